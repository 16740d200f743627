// The setup program: the wizard window and its two dialogs, the message loop,
// and one message box for an error that ends the program.

#include <windows.h>

#include "folders/ConfirmationForm.h"
#include "folders/FolderMan.h"
#include "platform/Window.h"
#include "setup/SetupForm.h"
#include "skin/Picture.h"
#include "utilities/KMediaList.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"

namespace {

constexpr int kExitFailure = 1;

// From here on DLLs load from System32 only, never from the folder the setup
// was started from (a Downloads folder may hold a planted gdiplus.dll). Old
// systems lack the call and keep their own search order.
void RestrictDllSearch()
{
    using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (!found) return;
    // Through the generic function type, which converts to any other without a warning.
    const auto restrict = reinterpret_cast<TSetDefaultDllDirectories>(reinterpret_cast<void (*)()>(found));
    restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

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
