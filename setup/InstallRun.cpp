#include "setup/InstallRun.h"

#include <windows.h>

#include <algorithm>

#include "setup/InstallUndo.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"
#include "utilities/TrustedFolders.h"
#include "utilities/WindowsPath.h"

namespace {

// Milliseconds between two looks at the queue while files are copied.
// Windows shows a window as "Not responding" only after five seconds without
// one; a look after every small file cost up to a tenth of its copy.
constexpr DWORD kQueueLookInterval = 50;

// What the steps of one run share.
struct TRun {
    const TInstallObserver& Observer;
    const std::string& Aside;
    TSetupLogBook& Book;
    // Where the previous file went: the next one for the same folder copies
    // without looking for it first.
    std::string LastFolder;
    DWORD LastQueueLook;  // GetTickCount's
};

// Looking at the queue tells Windows the window still answers, so a long copy
// is never shown as "Not responding"; the messages themselves wait for the run's end.
void KeepWindowResponding(TRun& run)
{
    const DWORD now = GetTickCount();
    if (now - run.LastQueueLook < kQueueLookInterval) return;
    run.LastQueueLook = now;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
}

// The copy asks for a free place, so that only a file already there costs a
// look (and is kept aside); the system's reason stays for the caller.
bool CopyInPlace(const TInstallStep& step, TRun& run)
{
    if (CopyFileA(step.Source.c_str(), step.Path.c_str(), TRUE)) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    return KeepAside(step.Path, run.Aside, run.Book) && CopyFileA(step.Source.c_str(), step.Path.c_str(), FALSE);
}

bool CopyWithRetry(const TInstallStep& step, TRun& run)
{
    const std::string folder = winpath::FolderOf(step.Path);
    // A copy that fails where its folder was taken for granted is tried once more, the folder looked at, before
    // anyone is asked.
    for (bool lookAtFolder = folder != run.LastFolder;; lookAtFolder = true) {
        if (lookAtFolder && !folder.empty() && !files::DirectoryExists(folder)) files::ForceDirectories(folder);
        if (CopyInPlace(step, run)) {
            run.LastFolder = folder;
            return true;
        }
        if (!lookAtFolder) continue;
        const std::string message = "Could not copy \"" + step.Path + "\".\r\n" + files::LastSystemError();
        if (run.Observer.CopyFailed(message) == TCopyFailureAnswer::Cancel) return false;
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

void MakeLink(const TShortcut& link, const std::string& aside, TSetupLogBook& book)
{
    if (!KeepAside(link.LinkFile, aside, book))
        throw ESetupError("Cannot replace the shortcut \"" + link.LinkFile + "\".\r\n" + files::LastSystemError());
    CreateShellLink(link.LinkFile, link.Target, link.Arguments, link.WorkingFolder, link.Description, false, "", 0,
                    false, 0, link.ShowCommand);
}

enum class TStepOutcome { Done, NothingToRecord, Cancelled };

TStepOutcome PerformStep(const TInstallStep& step, TRun& run)
{
    switch (step.Kind) {
    case TInstallStepKind::RecordFolder: break;
    case TInstallStepKind::MakeFolders: files::ForceDirectories(step.Path); break;
    case TInstallStepKind::InstallFile:
        run.Observer.Copying(step);
        if (!CopyWithRetry(step, run)) return TStepOutcome::Cancelled;
        KeepWindowResponding(run);
        break;
    case TInstallStepKind::MakeProgramFolder:
        if (!MakeProgramFolder(step.Path)) return TStepOutcome::NothingToRecord;
        break;
    case TInstallStepKind::MakeLink: MakeLink(step.Link, run.Aside, run.Book); break;
    }
    return TStepOutcome::Done;
}

}  // namespace

bool KeepAside(const std::string& path, const std::string& aside, TSetupLogBook& book)
{
    if (!files::FileExists(path)) return true;
    if (!files::DirectoryExists(aside)) files::ForceDirectories(aside);
    const std::string backup = aside + "\\" + std::to_string(book.Replaced().size() + 1);
    if (!MoveFileExA(path.c_str(), backup.c_str(), MOVEFILE_COPY_ALLOWED)) return false;
    book.AddReplaced(path, backup);
    return true;
}

bool PerformInstallPlan(const std::vector<TInstallStep>& plan, TSetupLogBook& book, const TInstallObserver& observer,
                        const std::string& aside)
{
    TRun run{observer, aside, book, {}, GetTickCount()};
    for (const TInstallStep& step : plan) {
        const TStepOutcome outcome = PerformStep(step, run);
        if (outcome == TStepOutcome::Cancelled) return false;
        if (outcome == TStepOutcome::Done) RecordStep(step, book);
    }
    return true;
}

void PerformUndo(const TSetupLogBook& book)
{
    std::vector<TRemoval> removals = UndoPlan(book.Entries()).Removals;
    // Newest first: a path set aside twice ends with what was there before the run.
    const auto& replaced = book.Replaced();
    for (auto kept = replaced.rbegin(); kept != replaced.rend(); ++kept) {
        // The run's copy goes first (copies keep a read-only flag, which would refuse the replacement).
        files::RemoveBelow(winpath::FolderOf(kept->first), kept->first, false);
        if (!MoveFileExA(kept->second.c_str(), kept->first.c_str(), MOVEFILE_COPY_ALLOWED)) continue;
        const std::string& restored = kept->first;
        const auto isRestored = [&restored](const TRemoval& removal) {
            return winpath::IsSamePath(removal.Path, restored);
        };
        removals.erase(std::remove_if(removals.begin(), removals.end(), isRestored), removals.end());
    }
    PerformRemovals(removals);
}
