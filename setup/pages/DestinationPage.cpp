#include "setup/pages/DestinationPage.h"

#include "folders/FolderMan.h"

namespace {

constexpr int kGroupHeight = 50;
constexpr RECT kFolderBounds{12, 17, 12 + 261, 17 + 27};
constexpr RECT kBrowseBounds{285, 17, 285 + 75, 17 + 25};
constexpr int kLargestButtonPoints = 10;

}  // namespace

void TDestinationPage::CreateContent()
{
    Group.Create(Box, PageRow(0, kGroupHeight), "DestinationGroup");
    Group.SetAlign(layout::TAlign::alBottom);
    Folder.Create(Group, kFolderBounds, "");
    BrowseButton.Create(Group, kBrowseBounds, "Browse...");
    BrowseButton.SetAnchors(layout::kAnchorTopRight);
    BrowseButton.OnClick = [this] { Browse(); };
}

void TDestinationPage::Apply(const TPageSetup& setup)
{
    Head.SetFont(setup.Heading);
    if (FontPointSize(BrowseButton.Font().Attributes()) > kLargestButtonPoints) {
        TFontAttributes button = BrowseButton.Font().Attributes();
        SetFontPointSize(button, kLargestButtonPoints);
        BrowseButton.SetFont(button);
    }
    Destination = setup.Choices.Destination;
    Folder.SetText(Destination);
    const TPageTexts& t = setup.Texts;
    SetHeadings(t.DestinationHead1, t.DestinationHead2);
    Group.SetText(t.DestinationGroup);
    BrowseButton.SetText(t.DestinationButton);
    if (t.DestinationButtonWidening) {
        RECT bounds = BrowseButton.BoundsRect();
        bounds.left -= t.DestinationButtonWidening;
        BrowseButton.SetBounds(bounds);
    }
}

void TDestinationPage::Report(TWizardChoices& choices) const
{
    choices.Destination = Destination;
}

void TDestinationPage::Browse()
{
    Chooser->SetPath(Destination);
    if (!Chooser->Execute()) return;
    Destination = Chooser->Path();
    Folder.SetText(Destination);
}
