// The setup program: the wizard window and its two dialogs, the message loop,
// and one message box for an error that ends the program.

#include <windows.h>

#include "folders/ConfirmationForm.h"
#include "folders/FolderMan.h"
#include "platform/Window.h"
#include "setup/SetupForm.h"
#include "skin/Picture.h"
#include "utilities/DllSearch.h"
#include "utilities/KMediaList.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"

namespace {

constexpr int kExitFailure = 1;

int RunSetup()
{
    TComApartment com;
    TGdiplusSession gdiplus;
    KMediaList media(gdiplus);
    TSetupForm wizard;
    TFolderMan folderMan(wizard.Handle());
    TConfirmationForm confirmation(wizard.Handle());
    wizard.UseDialogs(folderMan, confirmation);
    wizard.ShowCentred();
    return RunMessageLoop();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    int exitCode = kExitFailure;
    try {
        exitCode = RunSetup();
    } catch (const std::exception& error) {
        ShowError(error.what());
    }
    // An error met while the windows went away, such as a workspace that could not be removed.
    ReportKeptErrors();
    return exitCode;
}
