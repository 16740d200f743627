#include "setup/SetupForm.h"

#include <shellapi.h>

#include <cstring>

#include "archive/PayloadLayout.h"
#include "archive/Workspace.h"
#include "archive/ZLIBArchive.h"
#include "folders/ConfirmationForm.h"
#include "folders/FolderMan.h"
#include "setup/InstallPlan.h"
#include "setup/InstallRun.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"

namespace {

// Where the buttons sit when the description does not place them.
constexpr POINT kBackDesign{150, 280};
constexpr POINT kForwardDesign{230, 280};
constexpr POINT kCancelDesign{310, 280};

constexpr int kRegionThreshold = 100;
constexpr int kTextMargin = 12;
constexpr RECT kTextBoxDesign{kTextMargin, 14, kTextMargin + 369, 14 + 275};
constexpr int kPageWidth = 369, kPageHeight = 275;
constexpr RECT kPageDesign{0, 0, kPageWidth, kPageHeight};
constexpr int kRowHeight = 20, kSpacerHeight = 13, kSpacerFontHeight = -12;
constexpr int kLicenceStripHeight = 40, kMemoBottomMargin = 3;
constexpr int kGroupHeight = 50;
constexpr RECT kDestinationTextBounds{12, 17, 12 + 261, 17 + 27};
constexpr RECT kDestinationButtonBounds{285, 17, 285 + 75, 17 + 25};
constexpr int kFolderMargin = 8, kFolderLabelHeight = 13, kFolderEditHeight = 21, kFolderSpacerHeight = 5;
constexpr int kCopyLeft = 24, kCopyTop = 65, kCopyWidth = 321, kCopyMessageHeight = 13, kCopyBarHeight = 16;
constexpr int kFinishStripHeight = 20;
constexpr int kLargestButtonPoints = 10;
constexpr int kHeadingGrowth = 2;  // points
constexpr layout::TAnchors kAnchorLeftTopRight{true, true, true, false};

std::string ReadTextFile(const std::string& path)
{
    files::TFile file;
    if (!file.OpenForReading(path))
        throw ESetupError("Cannot open file \"" + path + "\". " + files::LastSystemError());
    std::string text(static_cast<size_t>(file.Size()), '\0');
    if (!text.empty()) file.ReadExactly(&text[0], text.size());
    return text;
}

std::string RunningProgramFile()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        throw ESetupError("Cannot find the setup program's own file. " + files::LastSystemError());
    return std::string(path, length);
}

std::string WithoutBackslash(std::string path)
{
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

TFontAttributes TextFontAttributes(const TFontDescription& description)
{
    TFontAttributes attributes = MessageFontAttributes();
    LOGFONTA& face = attributes.Face;
    if (description.Name) {
        const std::string name = description.Name->substr(0, LF_FACESIZE - 1);
        std::memcpy(face.lfFaceName, name.c_str(), name.size() + 1);
    }
    if (description.Color) attributes.Color = ResolveColor(static_cast<COLORREF>(*description.Color));
    if (description.Height) face.lfHeight = *description.Height;
    face.lfWeight = description.Style == TFontStyle::Bold ? FW_BOLD : FW_NORMAL;
    face.lfItalic = description.Style == TFontStyle::Italic;
    face.lfUnderline = description.Style == TFontStyle::Underline;
    face.lfStrikeOut = description.Style == TFontStyle::StrikeOut;
    return attributes;
}

TFontAttributes Bold(TFontAttributes attributes)
{
    attributes.Face.lfWeight = FW_BOLD;
    return attributes;
}

TFontAttributes Enlarged(TFontAttributes attributes)
{
    SetFontPointSize(attributes, FontPointSize(attributes) + kHeadingGrowth);
    return attributes;
}

RECT Row(int top, int height, int width = kPageWidth)
{
    return RECT{0, top, width, top + height};
}

// Clicks and keys given while the run worked were meant for the Copy page; on
// the Finish page that follows, a click on Next would end the setup unseen.
void DiscardWaitingInput()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
}

void MakeShellLink(const TShortcut& link)
{
    CreateShellLink(link.LinkFile, link.Target, link.Arguments, link.WorkingFolder, link.Description, false, "", 0,
                    false, 0, link.ShowCommand);
}

void StartProgram(HWND owner, const TProgramStart& start)
{
    ShellExecuteA(owner, "open", start.File.c_str(), start.Parameters.empty() ? nullptr : start.Parameters.c_str(),
                  nullptr, SW_SHOW);
}

}  // namespace

TSetupForm::TSetupForm()
    : THostWindow<TZupForm>(kDesignDpi),
      Backbutton(Handle(), kBackDesign),
      Forwardbutton(Handle(), kForwardDesign),
      Cancelbutton(Handle(), kCancelDesign)
{
    CreateControls();
}

TSetupForm::~TSetupForm()
{
    RunGuarded([this] {
        if (!Workspace.empty()) RemoveWorkspace();
    });
}

void TSetupForm::UseDialogs(TFolderMan& folderMan, TConfirmationForm& confirmation)
{
    FolderMan = &folderMan;
    Confirmation = &confirmation;
}

void TSetupForm::ShowCentred()
{
    SetBounds((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2, Width(),
              Height());
    ShowWindow(Handle(), SW_SHOW);
    UpdateWindow(Handle());
}

// ---- Start-up ----

std::string TSetupForm::UnpackPayload()
{
    // Said plainly: the loader's own words ("Resource name not found") tell a user nothing.
    if (!FindResourceA(nullptr, kPayloadResource, RT_RCDATA))
        throw ESetupError(std::string("This setup program carries nothing to install: its resource ") +
                          kPayloadResource + " is missing. Setups are made from it with \"zoreva-pack build\".");
    CreateWorkspace();
    const std::string workspace = WorkspaceFolder() + "\\";
    for (const char* folder : {kGraphicsFolder, kSoundsFolder, kAdditionalFolder})
        files::ForceDirectories(workspace + folder);
    TZLBArchive archiver;
    ExtractPayload(archiver, workspace, RunningProgramFile());
    return workspace;
}

void TSetupForm::Prepare(const std::string& workspace)
{
    Workspace = workspace;
    ReadSetupDescription();
    CheckAdministrator();
    ApplySettings();
    SkinWindow();
    TBitmap32& skin = Skin.GetBitmap();
    SetBounds(0, 0, skin.Width(), skin.Height());
    ShowPage(pgWelcome);
}

void TSetupForm::ReadSetupDescription()
{
    Settings = ReadSetupFile(ReadTextFile(Workspace + kSetupDescription));
    SetWindowTextA(Handle(), Settings.Title.c_str());
    const TPanelRect& area = Settings.MainPanel;
    MainPanel.SetBounds(RECT{area.Left, area.Top, area.Left + area.Width, area.Top + area.Height});
    Skin.SetFileName(Workspace + Settings.Panel.Bitmap);
    Skin.SetInvisibleColor(static_cast<COLORREF>(Settings.Panel.InvisibleColor));
}

// Without the rights the installation would fail half-way, so the wizard ends before it begins.
void TSetupForm::CheckAdministrator() const
{
    if (!IsAdministrator()) throw ESetupError(AdministratorMessage(Settings.Language));
}

void TSetupForm::CreateControls()
{
    MainPanel.Create(*this, RECT{kMainPanelDesign.Left, kMainPanelDesign.Top, kMainPanelDesign.Left + kMainPanelDesign.Width,
                                 kMainPanelDesign.Top + kMainPanelDesign.Height});
    TextBox.Create(MainPanel, kTextBoxDesign);
    TextBox.SetAnchors(layout::kAnchorAll);
    PageBoxes = {&WelcomeBox, &LicenceBox, &DestinationBox, &FolderBox, &CopyBox, &FinishBox};
    PageRows = {&WelcomeRows, &LicenceRows, &DestinationRows, &FolderRows, &CopyRows, &FinishRows};
    for (size_t i = 0; i < PageBoxes.size(); ++i) CreatePage(*PageBoxes[i], *PageRows[i]);
    CreateLicencePage();
    CreateDestinationPage();
    CreateFolderPage();
    CreateCopyPage();
    CreateFinishPage();

    Forwardbutton.OnClick = [this](TImageWindow&) { ForwardbuttonClick(); };
    Backbutton.OnClick = [this](TImageWindow&) { BackbuttonClick(); };
    Cancelbutton.OnClick = [this](TImageWindow&) { CancelButtonClick(); };
    LicenceCheck.OnClick = [this] { LicenceCheckClick(); };
    DestinationButton.OnClick = [this] { DestinationButtonClick(); };
    FolderList.OnClick = [this] { FolderListClick(); };
    FolderEdit.OnChange = [this] { FolderEditChange(); };
}

void TSetupForm::CreatePage(TPanel& panel, TPageRows& rows)
{
    panel.Create(TextBox, kPageDesign);
    panel.SetAlign(layout::TAlign::alClient);
    rows.Head.Create(panel, Row(0, kRowHeight), "", SS_CENTER);
    rows.Head.SetAlign(layout::TAlign::alTop);
    rows.Spacer.Create(panel, Row(kRowHeight, kSpacerHeight), "");
    rows.Spacer.SetAlign(layout::TAlign::alTop);
    TFontAttributes spacerFont = MessageFontAttributes();
    spacerFont.Face.lfHeight = kSpacerFontHeight;
    rows.Spacer.SetFont(spacerFont);
    rows.Text.Create(panel, Row(kRowHeight + kSpacerHeight, kRowHeight), "");
    rows.Text.SetAlign(layout::TAlign::alTop);
}

void TSetupForm::CreateLicencePage()
{
    // The memo keeps its margins inside a panel of its own as the page grows.
    LicenceMemoPanel.Create(LicenceBox, kPageDesign);
    LicenceMemoPanel.SetAlign(layout::TAlign::alClient);
    LicenceMemo.Create(LicenceMemoPanel,
                       RECT{kTextMargin, kTextMargin, kPageWidth - kTextMargin, kPageHeight - kMemoBottomMargin});
    LicenceMemo.SetAnchors(layout::kAnchorAll);
    LicenceCheckPanel.Create(LicenceBox, Row(0, kLicenceStripHeight));
    LicenceCheckPanel.SetAlign(layout::TAlign::alBottom);
    LicenceCheck.Create(LicenceCheckPanel, RECT{kTextMargin, 2, kPageWidth - kTextMargin, kLicenceStripHeight - 2},
                        "LicenceCheck");
    LicenceCheck.SetAnchors(kAnchorLeftTopRight);
    // The sentence the user accepts is longer than a narrow text area: it wraps
    // onto a second line of the strip instead of being cut off.
    const HWND check = LicenceCheck.Handle();
    SetWindowLongPtrA(check, GWL_STYLE, GetWindowLongPtrA(check, GWL_STYLE) | BS_MULTILINE);
}

void TSetupForm::CreateDestinationPage()
{
    DestinationGroup.Create(DestinationBox, Row(0, kGroupHeight), "DestinationGroup");
    DestinationGroup.SetAlign(layout::TAlign::alBottom);
    DestinationText.Create(DestinationGroup, kDestinationTextBounds, "");
    DestinationButton.Create(DestinationGroup, kDestinationButtonBounds, "Browse...");
    DestinationButton.SetAnchors(layout::kAnchorTopRight);
}

void TSetupForm::CreateFolderPage()
{
    FolderContent.Create(FolderBox, kPageDesign);
    FolderContent.SetAlign(layout::TAlign::alClient);
    FolderContent.SetBorderWidth(kFolderMargin);
    const int width = kPageWidth - 2 * kFolderMargin;
    FolderEditHead.Create(FolderContent, Row(0, kFolderLabelHeight, width), "FolderEditHead");
    FolderEdit.Create(FolderContent, Row(0, kFolderEditHeight, width));
    FolderSpacer.Create(FolderContent, Row(0, kFolderSpacerHeight, width), "");
    FolderListHead.Create(FolderContent, Row(0, kFolderLabelHeight, width), "FolderListHead");
    for (TControl* row : std::initializer_list<TControl*>{&FolderEditHead, &FolderEdit, &FolderSpacer, &FolderListHead})
        row->SetAlign(layout::TAlign::alTop);
    FolderList.Create(FolderContent, Row(0, kFolderLabelHeight, width));
    FolderList.SetAlign(layout::TAlign::alClient);
}

void TSetupForm::CreateCopyPage()
{
    CopyContent.Create(CopyBox, kPageDesign);
    CopyContent.SetAlign(layout::TAlign::alClient);
    const int right = kCopyLeft + kCopyWidth, barTop = kCopyTop + kCopyMessageHeight;
    Copymessage.Create(CopyContent, RECT{kCopyLeft, kCopyTop, right, barTop}, "");
    Copymessage.SetAnchors(kAnchorLeftTopRight);
    CopyProgress.Create(CopyContent, RECT{kCopyLeft, barTop, right, barTop + kCopyBarHeight});
    CopyProgress.SetAnchors(kAnchorLeftTopRight);
}

void TSetupForm::CreateFinishPage()
{
    const std::pair<TPanel*, TCheckBox*> strips[] = {{&FinishDesktopPanel, &DesktopCheck},
                                                     {&FinishReadMePanel, &ReadMeCheck},
                                                     {&FinishLaunchProgPanel, &LaunchProgCheck}};
    for (const auto& [panel, check] : strips) {
        panel->Create(FinishBox, Row(0, kFinishStripHeight));
        panel->SetAlign(layout::TAlign::alTop);
        check->Create(*panel, Row(0, kFinishStripHeight), "");
        check->SetAnchors(kAnchorLeftTopRight);
    }
}

void TSetupForm::ApplySettings()
{
    const TSetupSettings& s = Settings;
    MainPanel.SetBackgroundColor(ResolveColor(static_cast<COLORREF>(s.TextBoxColor)));
    MainPanel.SetFont(TextFontAttributes(s.TextFont));
    const TFontAttributes text = MainPanel.Font().Attributes();
    const TFontAttributes heading = Bold(Enlarged(text));
    WelcomeRows.Head.SetFont(heading);
    if (!IsBlank(s.Licence)) {
        LicenceRows.Head.SetFont(heading);
        LicenceMemo.SetLines(SplitLines(ReadTextFile(Workspace + s.Licence)));
        LicenceCheck.SetChecked(false);
    }
    DestinationRows.Head.SetFont(heading);
    if (FontPointSize(DestinationButton.Font().Attributes()) > kLargestButtonPoints) {
        TFontAttributes button = DestinationButton.Font().Attributes();
        SetFontPointSize(button, kLargestButtonPoints);
        DestinationButton.SetFont(button);
    }
    Settings.Destination = GetProgramFilesFolder(Handle()) + "\\" + s.Destination;
    DestinationText.SetText(Settings.Destination);
    FolderRows.Head.SetFont(heading);
    const std::string programs = WithoutBackslash(ProgramsFolder());
    if (!programs.empty() && files::DirectoryExists(programs)) {
        try {
            for (const files::FolderEntry& entry : files::ListFolder(programs))
                if (entry.IsFolder && entry.Name[0] != '.') FolderList.AddItem(entry.Name);
        } catch (const ESetupError&) {
            // The list only offers a choice; a name can still be typed.
        }
    }
    FolderEdit.SetText(s.Folder);
    TFontAttributes black = text;
    black.Color = 0;
    FolderEdit.SetFont(black);
    FolderList.SetFont(black);
    FolderEditHead.SetFont(Bold(text));
    FolderListHead.SetFont(Bold(text));
    CopyRows.Head.SetFont(heading);
    Copymessage.SetText("");
    CopyProgress.SetPosition(0);
    FinishRows.Head.SetFont(heading);
    const TFinishStrips strips = InitialFinishStrips(s);
    FinishDesktopPanel.SetVisible(strips.Desktop.Visible);
    FinishLaunchProgPanel.SetVisible(strips.LaunchProg.Visible);
    FinishReadMePanel.SetVisible(strips.ReadMe.Visible);
    DesktopCheck.SetChecked(strips.Desktop.Checked);
    LaunchProgCheck.SetChecked(strips.LaunchProg.Checked);
    ReadMeCheck.SetChecked(strips.ReadMe.Checked);
    ApplyTexts(PageTextsFor(s.Language, s.Title));
}

void TSetupForm::ApplyTexts(const TPageTexts& t)
{
    WelcomeRows.Head.SetText(t.WelcomeHead);
    WelcomeRows.Text.SetText(t.WelcomeText);
    LicenceRows.Head.SetText(t.LicenceHead1);
    LicenceRows.Text.SetText(t.LicenceHead2);
    LicenceCheck.SetText(t.LicenceCheck);
    DestinationRows.Head.SetText(t.DestinationHead1);
    DestinationRows.Text.SetText(t.DestinationHead2);
    DestinationGroup.SetText(t.DestinationGroup);
    DestinationButton.SetText(t.DestinationButton);
    if (t.DestinationButtonWidening) {
        RECT bounds = DestinationButton.BoundsRect();
        bounds.left -= t.DestinationButtonWidening;
        DestinationButton.SetBounds(bounds);
    }
    FolderRows.Head.SetText(t.FolderHead1);
    FolderRows.Text.SetText(t.FolderHead2);
    FolderEditHead.SetText(t.FolderEditHead);
    FolderListHead.SetText(t.FolderListHead);
    CopyRows.Head.SetText(t.CopyHead1);
    CopyRows.Text.SetText(t.CopyHead2);
    FinishRows.Head.SetText(t.FinishHead1);
    FinishRows.Text.SetText(t.FinshHead2);
    DesktopCheck.SetText(t.DesktopCheck);
    LaunchProgCheck.SetText(t.LaunchProgCheck);
    ReadMeCheck.SetText(t.ReadMeCheck);
}

void TSetupForm::SkinWindow()
{
    Skin.SetAlphaMode(amInvisibleColor);
    SetRegionThreshold(kRegionThreshold);
    SetShapeMode(shAlphaMask);
    SkinButton(Backbutton, Settings.Backbutton);
    SkinButton(Forwardbutton, Settings.Forwardbutton);
    SkinButton(Cancelbutton, Settings.Cancelbutton);
}

void TSetupForm::SkinButton(TZupButton& button, const TButtonSkin& skin)
{
    const auto inWorkspace = [this](const std::string& file) { return file.empty() ? file : Workspace + file; };
    button.ImageNormal = inWorkspace(skin.Mask);
    button.ImageOver = inWorkspace(skin.Touched);
    button.ImagePressed = inWorkspace(skin.Pressed);
    button.ImageDisabled = inWorkspace(skin.Disabled);
    button.Skin.SetInvisibleColor(static_cast<COLORREF>(skin.InvisibleColor));
    const POINT at = button.Position();
    button.SetBounds(skin.Left.value_or(at.x), skin.Top.value_or(at.y), button.Width(), button.Height());
    button.Skin.SetAlphaMode(amInvisibleColor);
    button.SetRegionThreshold(kRegionThreshold);
    button.SetButtonEnabled(true);
    button.SetShapeMode(shAlphaMask);
}

std::string TSetupForm::ProgramsFolder() const
{
    return PerMachineFolder(Settings.PerMachine, GetSpecialFolder(Handle(), kFolderCommonPrograms),
                            GetSpecialFolder(Handle(), kFolderPrograms));
}

std::string TSetupForm::DesktopFolder() const
{
    return PerMachineFolder(Settings.PerMachine, GetSpecialFolder(Handle(), kFolderCommonDesktop),
                            GetSpecialFolder(Handle(), kFolderDesktop));
}

// ---- Pages ----

void TSetupForm::ShowPage(TWizardPage page)
{
    State = EnterPage(State, page);
    for (size_t i = 0; i < PageBoxes.size(); ++i) PageBoxes[i]->SetVisible(i == page);
    PageBoxes[page]->BringToFront();
    PageRows[page]->Head.FitHeightToText();
    PageRows[page]->Text.FitHeightToText();
    LicenceCheck.SetChecked(State.LicenceChecked);
    ShowButtons();
    // Space accepts the licence without reaching for the mouse.
    if (page == pgLicence) LicenceCheck.SetFocus();
    switch (EntryActionOf(page)) {
    case TPageEntry::None: break;
    case TPageEntry::FocusFolderEdit:
        FolderEdit.SetFocus();
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        break;
    case TPageEntry::RunInstallation: {
        const TSetupExit outcome = RunInstallation();
        if (outcome != kExitInstalled) {
            UndoAndClose(outcome);
            break;
        }
        DiscardWaitingInput();
        ShowPage(pgFinish);
        break;
    }
    }
}

void TSetupForm::ShowButtons()
{
    Backbutton.SetButtonEnabled(State.BackEnabled);
    Forwardbutton.SetButtonEnabled(State.ForwardEnabled);
}

TFinishStrips TSetupForm::FinishStrips() const
{
    return {{FinishDesktopPanel.Visible(), DesktopCheck.Checked()},
            {FinishReadMePanel.Visible(), ReadMeCheck.Checked()},
            {FinishLaunchProgPanel.Visible(), LaunchProgCheck.Checked()}};
}

void TSetupForm::ForwardbuttonClick()
{
    const TStep step = ForwardStep(State, !IsBlank(Settings.Licence));
    if (step.Kind == TStepKind::ShowPage) ShowPage(step.Page);
    if (step.Kind == TStepKind::FinishSetup) FinishSetup(ChosenFinishActions(FinishStrips()));
}

void TSetupForm::BackbuttonClick()
{
    const TStep step = BackStep(State, !IsBlank(Settings.Licence));
    if (step.Kind == TStepKind::ShowPage) ShowPage(step.Page);
}

void TSetupForm::LicenceCheckClick()
{
    State = LicenceCheckChanged(State, LicenceCheck.Checked());
    ShowButtons();
}

void TSetupForm::DestinationButtonClick()
{
    FolderMan->SetPath(Settings.Destination);
    if (!FolderMan->Execute()) return;
    Settings.Destination = FolderMan->Path();
    DestinationText.SetText(Settings.Destination);
}

void TSetupForm::FolderListClick()
{
    const int index = FolderList.ItemIndex();
    if (index < 0) return;
    Settings.Folder = FolderList.Items()[static_cast<size_t>(index)];
    FolderEdit.SetText(Settings.Folder);
}

void TSetupForm::FolderEditChange()
{
    Settings.Folder = FolderEdit.Text();
}

void TSetupForm::CancelButtonClick()
{
    Leave(CancelLeaving(State.Page));
}

void TSetupForm::CloseRequested()
{
    Leave(CloseLeaving(State.Page));
}

void TSetupForm::Leave(TLeaving leaving)
{
    switch (leaving) {
    case TLeaving::Ignore: break;
    case TLeaving::Confirm:
        if (Confirmation->Confirm(CancelQuestion(Settings.Language), Settings.Language) == kModalYes)
            CloseWizard(kExitCancelled);
        break;
    case TLeaving::RegisterAndClose: FinishSetup(TFinishChoices{}); break;
    }
}

LRESULT TSetupForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        CloseRequested();
        return 0;
    }
    return THostWindow<TZupForm>::HandleMessage(message, wParam, lParam);
}

// ---- Installation and finish ----

TSetupExit TSetupForm::RunInstallation()
{
    // The whole Copy page is painted once; for each file only the message
    // and the bar change. Repainting the whole skinned window for every file
    // made the copy of many small files several times slower.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    TInstallObserver observer;
    observer.Copying = [this](const TInstallStep& step) {
        Copymessage.SetText(step.Message);
        CopyProgress.SetPosition(step.Progress);
        RedrawWindow(CopyContent.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    };
    observer.CopyFailed = [this](const std::string& message) {
        const int answer = MessageBoxA(Handle(), message.c_str(), nullptr, MB_RETRYCANCEL | MB_ICONERROR);
        return answer == IDRETRY ? TCopyFailureAnswer::Retry : TCopyFailureAnswer::Cancel;
    };
    try {
        return PerformInstallPlan(InstallPlan(Settings, {Workspace, Settings.Destination, ProgramsFolder()}), LogBook,
                                  observer, Workspace + kReplacedFolder)
                   ? kExitInstalled
                   : kExitCancelled;
    } catch (const std::exception& error) {
        ShowError(error.what());
        return kExitFailed;
    }
}

void TSetupForm::FinishSetup(const TFinishChoices& choices)
{
    const TFinishPlan plan = FinishPlan(Settings, Settings.Destination, DesktopFolder(), choices.DesktopIcon,
                                        choices.ReadMe, choices.LaunchProg);
    LogBook.LogFileName = plan.LogFileName;
    LogBook.KeyName = plan.KeyName;
    LogBook.DisplayTitle = plan.DisplayTitle;
    // An earlier installation's entry is its own; a failed finish leaves it alone.
    const bool registeredBefore = LogBook.IsRegistered();
    bool logWritten = false;
    try {
        if (plan.DesktopLink) {
            MakeShellLink(*plan.DesktopLink);
            LogBook.AddLink(plan.DesktopLink->LinkFile);
        }
        // The log first: an entry in the list of programs whose uninstaller has no log could remove nothing.
        // An earlier installation's log is kept aside like the files the run replaced.
        if (!KeepAside(plan.LogFileName, Workspace + kReplacedFolder, LogBook))
            throw ESetupError("Cannot replace \"" + plan.LogFileName + "\".\r\n" + files::LastSystemError());
        LogBook.SaveLog();
        logWritten = true;
        LogBook.RegisterUninstall();
    } catch (const std::exception& error) {
        // Said once; then the run is taken back, its log and entry with it.
        ShowError(error.what());
        if (logWritten) files::RemoveFile(plan.LogFileName);
        if (logWritten && !registeredBefore) LogBook.UnregisterUninstall();
        UndoAndClose(kExitFailed);
        return;
    }
    if (plan.ReadMeViewer) StartProgram(Handle(), *plan.ReadMeViewer);
    if (plan.Program) {
        SetCurrentDirectoryA(Settings.Destination.c_str());
        StartProgram(Handle(), *plan.Program);
    }
    CloseWizard(kExitInstalled);
}

void TSetupForm::UndoAndClose(TSetupExit exit)
{
    PerformUndo(LogBook);
    CloseWizard(exit);
}

// The windows are destroyed in order when the program unwinds; closing only
// hides the wizard and ends the message loop.
void TSetupForm::CloseWizard(TSetupExit exit)
{
    ShowWindow(Handle(), SW_HIDE);
    PostQuitMessage(exit);
}
