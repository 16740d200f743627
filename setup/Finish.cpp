#include "setup/Finish.h"

#include <shellapi.h>

#include "platform/Window.h"
#include "setup/InstallRun.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"

namespace {

void MakeShellLink(const TShortcut& link)
{
    CreateShellLink(link.LinkFile, link.Target, link.Arguments, link.WorkingFolder, link.Description, false, "", 0,
                    false, 0, link.ShowCommand);
}

void StartProgram(HWND owner, const TProgramStart& start)
{
    const auto orNull = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };
    ShellExecuteA(owner, "open", start.File.c_str(), orNull(start.Parameters), orNull(start.WorkingFolder), SW_SHOW);
}

// Registration comes after the log: an entry in the list of programs whose
// uninstaller has no log could remove nothing.
void RecordInstallation(const TFinishPlan& plan, TSetupLogBook& book, const std::string& aside, bool& logWritten)
{
    if (plan.DesktopLink) {
        MakeShellLink(*plan.DesktopLink);
        book.AddLink(plan.DesktopLink->LinkFile);
    }
    // An earlier installation's log is kept aside like the files the run replaced.
    if (!KeepAside(plan.LogFileName, aside, book))
        throw ESetupError("Cannot replace \"" + plan.LogFileName + "\".\r\n" + files::LastSystemError());
    book.SaveLog();
    logWritten = true;
    book.RegisterUninstall();
}

}  // namespace

bool PerformFinish(const TFinishPlan& plan, TSetupLogBook& book, const std::string& aside, HWND owner)
{
    book.LogFileName = plan.LogFileName;
    book.KeyName = plan.KeyName;
    book.DisplayTitle = plan.DisplayTitle;
    book.InstallFolder = plan.InstallFolder;
    book.ProgramFile = plan.ProgramFile;
    // An earlier installation's entry is its own; a failed finish leaves it alone.
    const bool registeredBefore = book.IsRegistered();
    bool logWritten = false;
    try {
        RecordInstallation(plan, book, aside, logWritten);
    } catch (const std::exception& error) {
        ShowError(error.what());
        if (logWritten) files::RemoveFile(plan.LogFileName);
        if (logWritten && !registeredBefore) book.UnregisterUninstall();
        return false;
    }
    if (plan.ReadMeViewer) StartProgram(owner, *plan.ReadMeViewer);
    if (plan.Program) StartProgram(owner, *plan.Program);
    return true;
}

void EndWizard(TSetupExit exit, const TSetupLogBook& book, HWND wizard)
{
    if (exit != kExitInstalled) PerformUndo(book);
    ShowWindow(wizard, SW_HIDE);
    PostQuitMessage(exit);
}
