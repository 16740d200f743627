#pragma once

// TSetupForm: the skinned wizard window. UnpackPayload prepares the workspace
// and unpacks the payload, on a thread of its own while the windows are made;
// Prepare then reads "Setup.ini" and skins the window; its pages lead the
// user to the installation run and the finish actions; its destruction
// removes the workspace. What happens on each page and button is decided by
// the page flow and the install plan; the window shows and performs it.

#include <array>
#include <string>

#include "platform/ControlHost.h"
#include "platform/Controls.h"
#include "setup/PageFlow.h"
#include "setup/PageTexts.h"
#include "setup/SetupFile.h"
#include "setup/SetupLogBook.h"
#include "skin/Skinned.h"

class TFolderMan;
class TConfirmationForm;

// The page's heading, spacer and sub-heading rows, top to bottom.
struct TPageRows {
    TLabel Head, Spacer, Text;
};

class TSetupForm : public THostWindow<TZupForm> {
public:
    TSetupForm();
    ~TSetupForm() override;

    // Makes the workspace and unpacks the setup program's payload into it;
    // returns the workspace, ending in a backslash. Touches no window.
    static std::string UnpackPayload();
    // With the payload unpacked: reads its description, checks the user's
    // rights, skins the window and puts up the Welcome page.
    void Prepare(const std::string& workspace);

    // The dialogs the wizard opens, made after it with the wizard as their owner.
    void UseDialogs(TFolderMan& folderMan, TConfirmationForm& confirmation);
    // Shows the window in the centre of the screen.
    void ShowCentred();

    void ShowPage(TWizardPage page);

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void ReadSetupDescription();
    void CheckAdministrator() const;
    void CreateControls();
    void CreatePage(TPanel& panel, TPageRows& rows);
    void CreateLicencePage();
    void CreateDestinationPage();
    void CreateFolderPage();
    void CreateCopyPage();
    void CreateFinishPage();
    void ApplySettings();
    void ApplyTexts(const TPageTexts& texts);
    void SkinWindow();
    void SkinButton(TZupButton& button, const TButtonSkin& skin);
    void ShowButtons();
    TFinishStrips FinishStrips() const;
    std::string ProgramsFolder() const;
    std::string DesktopFolder() const;

    void ForwardbuttonClick();
    void BackbuttonClick();
    void LicenceCheckClick();
    void DestinationButtonClick();
    void FolderListClick();
    void FolderEditChange();
    void CancelButtonClick();
    void CloseRequested();
    void Leave(TLeaving leaving);

    // Installed, cancelled by the user at a failed copy, or failed with an
    // error, which it has shown.
    TSetupExit RunInstallation();
    void FinishSetup(const TFinishChoices& choices);
    // The one way out of a run that did not install: what it did is taken back.
    void UndoAndClose(TSetupExit exit);
    void CloseWizard(TSetupExit exit);

    TWizardState State;  // the page shown and what its buttons allow
    TSetupLogBook LogBook;
    std::string Workspace;
    TSetupSettings Settings;

    TFolderMan* FolderMan = nullptr;
    TConfirmationForm* Confirmation = nullptr;

    TZupButton Backbutton;
    TZupButton Forwardbutton;
    TZupButton Cancelbutton;

    TPanel MainPanel;
    TPanel TextBox;
    TPanel WelcomeBox, LicenceBox, DestinationBox, FolderBox, CopyBox, FinishBox;
    std::array<TPanel*, 6> PageBoxes{};
    TPageRows WelcomeRows, LicenceRows, DestinationRows, FolderRows, CopyRows, FinishRows;
    std::array<TPageRows*, 6> PageRows{};

    TPanel LicenceMemoPanel, LicenceCheckPanel;
    TMemo LicenceMemo;
    TCheckBox LicenceCheck;

    TGroupBox DestinationGroup;
    TLabel DestinationText;
    TPushButton DestinationButton;

    TPanel FolderContent;
    TLabel FolderEditHead;
    TEdit FolderEdit;
    TLabel FolderSpacer;
    TLabel FolderListHead;
    TListBox FolderList;

    TPanel CopyContent;
    TLabel Copymessage;
    TProgressBar CopyProgress;

    TPanel FinishDesktopPanel, FinishReadMePanel, FinishLaunchProgPanel;
    TCheckBox DesktopCheck, ReadMeCheck, LaunchProgCheck;
};
