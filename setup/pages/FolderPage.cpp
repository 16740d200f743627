#include "setup/pages/FolderPage.h"

#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/WindowsPath.h"

namespace {

constexpr int kMargin = 8, kLabelHeight = 13, kEditHeight = 21, kSpacerHeight = 5;

TFontAttributes Bold(TFontAttributes attributes)
{
    attributes.Face.lfWeight = FW_BOLD;
    return attributes;
}

}  // namespace

void TFolderPage::CreateContent()
{
    Content.Create(Box, kPageDesign);
    Content.SetAlign(layout::TAlign::alClient);
    Content.SetBorderWidth(kMargin);
    const int width = kPageWidth - 2 * kMargin;
    EditHead.Create(Content, PageRow(0, kLabelHeight, width), "FolderEditHead");
    Edit.Create(Content, PageRow(0, kEditHeight, width));
    EditSpacer.Create(Content, PageRow(0, kSpacerHeight, width), "");
    ListHead.Create(Content, PageRow(0, kLabelHeight, width), "FolderListHead");
    for (TControl* row : std::initializer_list<TControl*>{&EditHead, &Edit, &EditSpacer, &ListHead})
        row->SetAlign(layout::TAlign::alTop);
    List.Create(Content, PageRow(0, kLabelHeight, width));
    List.SetAlign(layout::TAlign::alClient);
    List.OnClick = [this] { Pick(); };
}

void TFolderPage::Apply(const TPageSetup& setup)
{
    Head.SetFont(setup.Heading);
    OfferExistingFolders(setup.ProgramsFolder);
    Edit.SetText(setup.Choices.ProgramFolder);
    TFontAttributes black = setup.Text;
    black.Color = 0;
    Edit.SetFont(black);
    List.SetFont(black);
    EditHead.SetFont(Bold(setup.Text));
    ListHead.SetFont(Bold(setup.Text));
    const TPageTexts& t = setup.Texts;
    SetHeadings(t.FolderHead1, t.FolderHead2);
    EditHead.SetText(t.FolderEditHead);
    ListHead.SetText(t.FolderListHead);
}

void TFolderPage::OfferExistingFolders(const std::string& programsFolder)
{
    const std::string folder = winpath::WithoutBackslash(programsFolder);
    if (folder.empty() || !files::DirectoryExists(folder)) return;
    try {
        for (const files::FolderEntry& entry : files::ListFolder(folder))
            if (entry.IsFolder && entry.Name[0] != '.') List.AddItem(entry.Name);
    } catch (const ESetupError&) {
        // The list only offers a choice; a name can still be typed.
    }
}

void TFolderPage::Shown()
{
    Edit.SetFocus();
    RedrawWindow(GetAncestor(Box.Handle(), GA_ROOT), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TFolderPage::Report(TWizardChoices& choices) const
{
    choices.ProgramFolder = Edit.Text();
}

void TFolderPage::Pick()
{
    const int index = List.ItemIndex();
    if (index >= 0) Edit.SetText(List.Items()[static_cast<size_t>(index)]);
}
