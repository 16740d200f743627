#include "setup/InstallRun.h"

#include <windows.h>

#include "setup/InstallUndo.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// Looking at the queue tells Windows the window still answers, so a long copy
// is never shown as "Not responding"; the messages themselves wait for the run's end.
void KeepWindowResponding()
{
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
}

bool CopyWithRetry(const TInstallStep& step, const TInstallObserver& observer)
{
    const std::string folder = FolderOf(step.Path);
    for (;;) {
        if (!folder.empty() && !files::DirectoryExists(folder)) files::ForceDirectories(folder);
        if (CopyFileA(step.Source.c_str(), step.Path.c_str(), FALSE)) return true;
        const std::string message = "Could not copy \"" + step.Path + "\".\r\n" + files::LastSystemError();
        if (observer.CopyFailed(message) == TCopyFailureAnswer::Cancel) return false;
    }
}

// A folder that is already there belongs to someone else and is not recorded.
bool MakeProgramFolder(const std::string& folder)
{
    if (files::DirectoryExists(folder)) return false;
    if (!CreateDirectoryA(folder.c_str(), nullptr))
        throw ESetupError("Cannot create the program folder \"" + folder + "\".\r\n" + files::LastSystemError());
    return true;
}

void MakeLink(const TShortcut& link)
{
    CreateShellLink(link.LinkFile, link.Target, link.Arguments, link.WorkingFolder, link.Description, false, "", 0,
                    false, 0, link.ShowCommand);
}

enum class TStepOutcome { Done, NothingToRecord, Cancelled };

TStepOutcome PerformStep(const TInstallStep& step, const TInstallObserver& observer)
{
    switch (step.Kind) {
    case TInstallStepKind::RecordFolder: break;
    case TInstallStepKind::MakeFolders: files::ForceDirectories(step.Path); break;
    case TInstallStepKind::InstallFile:
        observer.Copying(step);
        if (!CopyWithRetry(step, observer)) return TStepOutcome::Cancelled;
        KeepWindowResponding();
        break;
    case TInstallStepKind::MakeProgramFolder:
        if (!MakeProgramFolder(step.Path)) return TStepOutcome::NothingToRecord;
        break;
    case TInstallStepKind::MakeLink: MakeLink(step.Link); break;
    }
    return TStepOutcome::Done;
}

}  // namespace

bool PerformInstallPlan(const std::vector<TInstallStep>& plan, TSetupLogBook& book, const TInstallObserver& observer)
{
    for (const TInstallStep& step : plan) {
        const TStepOutcome outcome = PerformStep(step, observer);
        if (outcome == TStepOutcome::Cancelled) return false;
        if (outcome == TStepOutcome::Done) RecordStep(step, book);
    }
    return true;
}

void PerformUndo(const std::vector<std::string>& lines)
{
    PerformRemovals(UndoPlan(lines).Removals);
}
