#include "setup/SetupForm.h"

#include <cstring>

#include "archive/PayloadLayout.h"
#include "archive/Workspace.h"
#include "folders/ConfirmationForm.h"
#include "folders/FolderMan.h"
#include "setup/Finish.h"
#include "setup/InstallPlan.h"
#include "setup/Startup.h"
#include "utilities/Shell.h"

namespace {

constexpr int kRegionThreshold = 100;
constexpr RECT kTextBoxDesign{kTextMargin, 14, kTextMargin + kPageWidth, 14 + kPageHeight};
constexpr int kHeadingGrowth = 2;  // points

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

TFontAttributes Heading(TFontAttributes attributes)
{
    SetFontPointSize(attributes, FontPointSize(attributes) + kHeadingGrowth);
    attributes.Face.lfWeight = FW_BOLD;
    return attributes;
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

}  // namespace

TSetupForm::TSetupForm()
    : THostWindow<TZupForm>(kDesignDpi),
      Backbutton(Handle(), {kBackDesign.Left, kBackDesign.Top}),
      Forwardbutton(Handle(), {kForwardDesign.Left, kForwardDesign.Top}),
      Cancelbutton(Handle(), {kCancelDesign.Left, kCancelDesign.Top})
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
    DestinationPage.UseChooser(folderMan);
    Confirmation = &confirmation;
}

void TSetupForm::ShowCentred()
{
    SetBounds((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2, Width(),
              Height());
    ShowWindow(Handle(), SW_SHOW);
    UpdateWindow(Handle());
}

void TSetupForm::Prepare(const std::string& workspace)
{
    Workspace = workspace;
    Settings = ReadSetupDescription(Workspace);
    SetWindowTextA(Handle(), Settings.Title.c_str());
    const TPanelRect& area = Settings.MainPanel;
    MainPanel.SetBounds(RECT{area.Left, area.Top, area.Left + area.Width, area.Top + area.Height});
    Skin.SetFileName(Workspace + Settings.Panel.Bitmap);
    Skin.SetInvisibleColor(static_cast<COLORREF>(Settings.Panel.InvisibleColor));
    CheckAdministrator(Settings);
    Wizard = TWizardController(!IsBlank(Settings.Licence), InitialChoices(Settings, GetProgramFilesFolder(Handle())));
    ApplySettings();
    SkinWindow();
    TBitmap32& skin = Skin.GetBitmap();
    SetBounds(0, 0, skin.Width(), skin.Height());
    ShowPage();
}

void TSetupForm::CreateControls()
{
    MainPanel.Create(*this, RECT{kMainPanelDesign.Left, kMainPanelDesign.Top, kMainPanelDesign.Left + kMainPanelDesign.Width,
                                 kMainPanelDesign.Top + kMainPanelDesign.Height});
    TextBox.Create(MainPanel, kTextBoxDesign);
    TextBox.SetAnchors(layout::kAnchorAll);
    Pages = {&WelcomePage, &LicencePage, &DestinationPage, &FolderPage, &CopyPage, &FinishPage};
    for (TPage* page : Pages) page->Create(TextBox);

    Forwardbutton.OnClick = [this](TImageWindow&) { Do(Reported(&TWizardController::Forward)); };
    Backbutton.OnClick = [this](TImageWindow&) { Do(Reported(&TWizardController::Back)); };
    Cancelbutton.OnClick = [this](TImageWindow&) { Do(Wizard.Cancel()); };
    LicencePage.OnAcceptedChange = [this] {
        Wizard.CheckLicence(LicencePage.Accepted());
        ShowButtons();
    };
}

void TSetupForm::ApplySettings()
{
    MainPanel.SetBackgroundColor(ResolveColor(static_cast<COLORREF>(Settings.TextBoxColor)));
    MainPanel.SetFont(TextFontAttributes(Settings.TextFont));
    const TFontAttributes text = MainPanel.Font().Attributes();
    const TPageTexts texts = PageTextsFor(Settings.Language, Settings.Title);
    const TPageSetup setup{Settings, texts, Wizard.Choices(), text, Heading(text), Workspace, ProgramsFolder()};
    for (TPage* page : Pages) page->Apply(setup);
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

LRESULT TSetupForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        Do(Wizard.Close());
        return 0;
    }
    return THostWindow<TZupForm>::HandleMessage(message, wParam, lParam);
}

TWizardCommand TSetupForm::Reported(TWizardCommand (TWizardController::*input)())
{
    CurrentPage().Report(Wizard.Choices());
    return (Wizard.*input)();
}

void TSetupForm::Do(TWizardCommand command)
{
    switch (command) {
    case TWizardCommand::None: break;
    case TWizardCommand::ShowPage: ShowPage(); break;
    case TWizardCommand::RunInstallation: {
        ShowPage();
        const TSetupExit outcome = RunInstallation();
        if (outcome == kExitInstalled) DiscardWaitingInput();
        Do(Wizard.RunEnded(outcome));
        break;
    }
    case TWizardCommand::AskToCancel:
        if (Confirmation->Confirm(CancelQuestion(Settings.Language), Settings.Language) == kModalYes)
            Do(Wizard.CancelConfirmed());
        break;
    case TWizardCommand::FinishSetup: Do(Wizard.FinishEnded(FinishSetup())); break;
    case TWizardCommand::End: EndWizard(Wizard.Outcome(), LogBook, Handle()); break;
    }
}

void TSetupForm::ShowPage()
{
    const TWizardPage shown = Wizard.Page();
    for (size_t i = 0; i < Pages.size(); ++i) Pages[i]->SetVisible(i == shown);
    CurrentPage().Raise();
    LicencePage.SetAccepted(Wizard.State().LicenceChecked);
    ShowButtons();
    CurrentPage().Shown();
}

void TSetupForm::ShowButtons()
{
    Backbutton.SetButtonEnabled(Wizard.State().BackEnabled);
    Forwardbutton.SetButtonEnabled(Wizard.State().ForwardEnabled);
}

TSetupExit TSetupForm::RunInstallation()
{
    const TWizardChoices& chosen = Wizard.Choices();
    return CopyPage.Run(Settings, {Workspace, chosen.Destination, ProgramsFolder(), chosen.ProgramFolder}, LogBook,
                        Workspace + kReplacedFolder);
}

bool TSetupForm::FinishSetup()
{
    const TFinishChoices& actions = Wizard.FinishActions();
    const std::string& destination = Wizard.Choices().Destination;
    const TFinishPlan plan = FinishPlan(Settings, destination, DesktopFolder(), actions.DesktopIcon, actions.ReadMe,
                                        actions.LaunchProg);
    return PerformFinish(plan, destination, LogBook, Workspace + kReplacedFolder, Handle());
}
