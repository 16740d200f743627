#pragma once

// TSetupForm: the skinned wizard window. It hosts the six pages in the text
// area of its skin, passes the clicks on its buttons to the wizard controller
// and does what the controller answers: show a page, run the installation,
// ask before cancelling, perform the finish actions, end. Prepare reads the
// unpacked setup's description and skins the window; the destruction of the
// window removes the workspace.

#include <array>
#include <string>

#include "platform/ControlHost.h"
#include "platform/Controls.h"
#include "setup/SetupFile.h"
#include "setup/SetupLogBook.h"
#include "setup/WizardController.h"
#include "setup/pages/CopyPage.h"
#include "setup/pages/DestinationPage.h"
#include "setup/pages/FinishPage.h"
#include "setup/pages/FolderPage.h"
#include "setup/pages/LicencePage.h"
#include "setup/pages/WelcomePage.h"
#include "skin/Skinned.h"

class TFolderMan;
class TConfirmationForm;

class TSetupForm : public THostWindow<TZupForm> {
public:
    TSetupForm();
    ~TSetupForm() override;

    // With the payload unpacked into the workspace: reads its description,
    // checks the user's rights, skins the window and puts up the Welcome page.
    void Prepare(const std::string& workspace);

    // The dialogs the wizard opens, made after it with the wizard as their owner.
    void UseDialogs(TFolderMan& folderMan, TConfirmationForm& confirmation);
    // Shows the window in the centre of the screen.
    void ShowCentred();

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void CreateControls();
    void ApplySettings();
    void SkinWindow();
    void SkinButton(TZupButton& button, const TButtonSkin& skin);
    std::string ProgramsFolder() const;
    std::string DesktopFolder() const;

    TPage& CurrentPage() const { return *Pages[Wizard.Page()]; }
    // The user's choice on the page shown goes to the controller before it acts.
    TWizardCommand Reported(TWizardCommand (TWizardController::*input)());
    void Do(TWizardCommand command);
    void ShowPage();
    void ShowButtons();
    TSetupExit RunInstallation();
    bool FinishSetup();

    TWizardController Wizard;
    TSetupLogBook LogBook;
    std::string Workspace;
    TSetupSettings Settings;
    TConfirmationForm* Confirmation = nullptr;

    TZupButton Backbutton;
    TZupButton Forwardbutton;
    TZupButton Cancelbutton;

    TPanel MainPanel;
    TPanel TextBox;
    TWelcomePage WelcomePage;
    TLicencePage LicencePage;
    TDestinationPage DestinationPage;
    TFolderPage FolderPage;
    TCopyPage CopyPage;
    TFinishPage FinishPage;
    // In the order of the wizard's pages.
    std::array<TPage*, 6> Pages{};
};
