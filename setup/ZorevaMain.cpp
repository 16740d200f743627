// The setup program: the wizard window and its two dialogs, the message loop,
// and one message box for an error that ends the program.

#include <windows.h>

#include <memory>

#include "folders/ConfirmationForm.h"
#include "folders/FolderMan.h"
#include "platform/Window.h"
#include "setup/PageFlow.h"
#include "setup/SetupForm.h"
#include "setup/Startup.h"
#include "skin/Picture.h"
#include "utilities/BackgroundTask.h"
#include "utilities/DllSearch.h"
#include "utilities/KMediaList.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"

namespace {

int RunSetup()
{
    std::string workspace;
    // The payload unpacks while the windows are made; the first page needs both.
    TBackgroundTask unpacking([&workspace] { workspace = UnpackPayload(); });
    TComApartment com;
    TGdiplusSession gdiplus;
    KMediaList media(gdiplus);
    // The forms hold their controls, 13 KiB together: too much for one frame.
    const auto wizard = std::make_unique<TSetupForm>();
    // The dialogs exist before the user can click anything that opens them.
    const auto folderMan = std::make_unique<TFolderMan>(wizard->Handle());
    const auto confirmation = std::make_unique<TConfirmationForm>(wizard->Handle());
    wizard->UseDialogs(*folderMan, *confirmation);
    unpacking.Wait();
    wizard->Prepare(workspace);
    wizard->ShowCentred();
    return RunMessageLoop();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    // A setup that cannot start has failed as much as a run that failed.
    int exitCode = kExitFailed;
    try {
        exitCode = RunSetup();
    } catch (const std::exception& error) {
        ShowError(error.what());
    }
    // An error met while the windows went away, such as a workspace that could not be removed.
    ReportKeptErrors();
    return exitCode;
}
