#include "setup/pages/LicencePage.h"

#include "utilities/FileSystem.h"

namespace {

constexpr int kStripHeight = 40, kMemoBottomMargin = 3;

}  // namespace

void TLicencePage::CreateContent()
{
    // The memo keeps its margins inside a panel of its own as the page grows.
    MemoPanel.Create(Box, kPageDesign);
    MemoPanel.SetAlign(layout::TAlign::alClient);
    Memo.Create(MemoPanel, RECT{kTextMargin, kTextMargin, kPageWidth - kTextMargin, kPageHeight - kMemoBottomMargin});
    Memo.SetAnchors(layout::kAnchorAll);
    CheckPanel.Create(Box, PageRow(0, kStripHeight));
    CheckPanel.SetAlign(layout::TAlign::alBottom);
    Check.Create(CheckPanel, RECT{kTextMargin, 2, kPageWidth - kTextMargin, kStripHeight - 2}, "LicenceCheck");
    Check.SetAnchors(kAnchorLeftTopRight);
    // The sentence the user accepts is longer than a narrow text area: it wraps
    // onto a second line of the strip instead of being cut off.
    const HWND check = Check.Handle();
    SetWindowLongPtrA(check, GWL_STYLE, GetWindowLongPtrA(check, GWL_STYLE) | BS_MULTILINE);
    Check.OnClick = [this] {
        if (OnAcceptedChange) OnAcceptedChange();
    };
}

void TLicencePage::Apply(const TPageSetup& setup)
{
    if (!IsBlank(setup.Settings.Licence)) {
        Head.SetFont(setup.Heading);
        Memo.SetLines(SplitLines(files::ReadWholeFile(setup.Workspace + setup.Settings.Licence)));
        Check.SetChecked(false);
    }
    SetHeadings(setup.Texts.LicenceHead1, setup.Texts.LicenceHead2);
    Check.SetText(setup.Texts.LicenceCheck);
}

void TLicencePage::Shown()
{
    Check.SetFocus();
}

bool TLicencePage::Accepted() const
{
    return Check.Checked();
}

void TLicencePage::SetAccepted(bool accepted)
{
    Check.SetChecked(accepted);
}
