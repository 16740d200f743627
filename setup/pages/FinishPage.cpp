#include "setup/pages/FinishPage.h"

namespace {

constexpr int kStripHeight = 20;

void ShowStrip(TPanel& panel, TCheckBox& check, const TFinishStrip& strip)
{
    panel.SetVisible(strip.Visible);
    check.SetChecked(strip.Checked);
}

}  // namespace

void TFinishPage::CreateContent()
{
    const std::pair<TPanel*, TCheckBox*> strips[] = {
        {&DesktopPanel, &DesktopCheck}, {&ReadMePanel, &ReadMeCheck}, {&LaunchProgPanel, &LaunchProgCheck}};
    for (const auto& [panel, check] : strips) {
        panel->Create(Box, PageRow(0, kStripHeight));
        panel->SetAlign(layout::TAlign::alTop);
        check->Create(*panel, PageRow(0, kStripHeight), "");
        check->SetAnchors(kAnchorLeftTopRight);
    }
}

void TFinishPage::Apply(const TPageSetup& setup)
{
    Head.SetFont(setup.Heading);
    const TFinishStrips& strips = setup.Choices.Finish;
    ShowStrip(DesktopPanel, DesktopCheck, strips.Desktop);
    ShowStrip(LaunchProgPanel, LaunchProgCheck, strips.LaunchProg);
    ShowStrip(ReadMePanel, ReadMeCheck, strips.ReadMe);
    const TPageTexts& t = setup.Texts;
    SetHeadings(t.FinishHead1, t.FinshHead2);
    DesktopCheck.SetText(t.DesktopCheck);
    LaunchProgCheck.SetText(t.LaunchProgCheck);
    ReadMeCheck.SetText(t.ReadMeCheck);
}

void TFinishPage::Report(TWizardChoices& choices) const
{
    choices.Finish = {{DesktopPanel.Visible(), DesktopCheck.Checked()},
                      {ReadMePanel.Visible(), ReadMeCheck.Checked()},
                      {LaunchProgPanel.Visible(), LaunchProgCheck.Checked()}};
}
