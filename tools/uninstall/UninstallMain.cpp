// The uninstaller: reads "setup.log" beside itself, asks, removes what the
// setup recorded, its registry entry, the log and finally itself.

#include <windows.h>

#include <algorithm>

#include "setup/InstallUndo.h"
#include "setup/SetupLogWords.h"
#include "tools/uninstall/SystemFolders.h"
#include "tools/uninstall/UninstallRules.h"
#include "utilities/DllSearch.h"
#include "utilities/FileSystem.h"
#include "utilities/Handles.h"
#include "utilities/SetupError.h"
#include "utilities/TrustedFolders.h"
#include "utilities/WindowsPath.h"

namespace {

constexpr int64_t kMaxLogSize = 16 * 1024 * 1024;
constexpr int kDeleteAttempts = 100;
constexpr DWORD kDeleteRetryMs = 100;
// A program the setup started from the installation folder has it as its
// current folder; one the user has just closed takes a moment to end.
constexpr int kFolderFreeAttempts = 50;
// The private folders in Temp the removing copy runs from: "Unz1", "Unz2"...
constexpr char kCopyFolderPrefix[] = "Unz";
constexpr unsigned kMaxCopyFolders = 1000;

// Empty when the system cannot tell: no log is found beside it then, and nothing removed.
std::string OwnFile()
{
    try {
        return files::RunningProgramFile();
    } catch (const ESetupError&) {
        return {};
    }
}

// A folder this uninstaller made in Temp for its removing copy.
bool IsCopyFolder(const std::string& folder)
{
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::string prefix = std::string(temp, length) + kCopyFolderPrefix;
    return folder.size() > prefix.size() && winpath::IsSamePath(folder.substr(0, prefix.size()), prefix) &&
           folder.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

bool IsGermanSystem()
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_GERMAN;
}

bool ReadSetupLog(const std::string& path, TSetupLog& log)
{
    std::string text;
    return files::ReadFileWithin(path, kMaxLogSize, text) && ParseSetupLog(text, log);
}

// The full, long spelling of a path, as the system's final paths have it: a
// short "PROGRA~1" or a trailing dot must not slip past a comparison of
// names. A path whose form the plan refuses anyway is left as it is.
std::string LongFullPath(const std::string& path)
{
    if (!IsRemovablePath(path)) return path;
    char full[MAX_PATH], longPath[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return path;
    // Only short names hold a tilde, and only they need the file system.
    if (std::find(full, full + length, '~') == full + length) return std::string(full, length);
    const DWORD longLength = GetLongPathNameA(full, longPath, MAX_PATH);
    return longLength == 0 || longLength >= MAX_PATH ? std::string(full, length) : std::string(longPath, longLength);
}

std::vector<std::string> LongFullPaths(std::vector<std::string> paths)
{
    for (std::string& path : paths) path = LongFullPath(path);
    return paths;
}

// Each entry is "KIND=path"; the kind stays, the path is spelt out.
std::vector<std::string> LongFullEntries(std::vector<std::string> entries)
{
    for (std::string& entry : entries) {
        const size_t kind = entry.find('=');
        if (kind != std::string::npos) entry = entry.substr(0, kind + 1) + LongFullPath(entry.substr(kind + 1));
    }
    return entries;
}

TUndoLimits LimitsFor(const std::string& installation, const std::string& title)
{
    TUndoLimits limits;
    limits.Installation = installation;
    limits.WindowsFolder = LongFullPath(WindowsFolder());
    limits.ShellFolders = LongFullPaths(ShellFolders());
    limits.ProgramsFolders = LongFullPaths(ProgramsFolders());
    limits.Desktops = LongFullPaths(Desktops());
    limits.Title = title;
    return limits;
}

std::string RegistryString(HKEY key, const char* name)
{
    char value[MAX_PATH * 2] = {};
    DWORD size = sizeof value - 1, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return value;
}

// Same bitness as the setup, so the same registry view it wrote to. True when
// no entry of this installation is left.
bool RemoveUninstallEntry(const std::string& keyName, const std::string& uninstaller)
{
    const std::string path = kUninstallKey + keyName;
    {
        TRegistryKey key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS)
            return true;
        if (!NamesUninstaller(RegistryString(key.Get(), "UninstallString"), uninstaller)) return true;
    }
    return RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str()) == ERROR_SUCCESS;
}

// A running program's file cannot be deleted. A copy in the temporary folder
// waits for this process to end (on a handle it inherits, so a reused process
// id cannot fool it), deletes the original and the then empty installation
// folder, and is itself deleted at the next restart: the system's delayed
// delete needs no running program, but alone it would keep the installation
// folder until then. Without the copy, both wait for the restart.
//
// The temporary folder is the user's, and the copy runs with this process's
// rights: so an elevated uninstaller puts it into a folder of its own that
// only administrators may change, held in its place until the copy runs, so
// that no other program can put its own file there to be started elevated.
// A folder "Unz<n>" of its own in Temp for the removing copy, held in its
// place; one only administrators may change where this process is elevated.
bool MakeCopyFolder(std::string& folder, TFileHandle& hold)
{
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) return false;
    const bool adminOnly = files::RunsAsAdministrator();
    for (unsigned n = 1; n <= kMaxCopyFolders; ++n) {
        folder = std::string(temp, length) + kCopyFolderPrefix + std::to_string(n);
        switch (adminOnly ? files::CreateAdminOnlyFolder(folder) : files::CreateNewFolder(folder)) {
        case files::TFolderCreation::Created: hold = files::HoldFolder(folder); return hold.Valid();
        case files::TFolderCreation::NameTaken: continue;
        case files::TFolderCreation::Failed: return false;
        }
    }
    return false;
}

// Starts the copy; false when it could not be made or started.
bool StartRemovingCopy(const std::string& self)
{
    std::string folder;
    TFileHandle hold;
    if (!MakeCopyFolder(folder, hold)) return false;
    const std::string copy = folder + "\\" + kUninstallerName;
    HANDLE process = nullptr;
    if (CopyFileA(self.c_str(), copy.c_str(), FALSE) &&
        DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &process, SYNCHRONIZE, TRUE,
                        0)) {
        TKernelHandle inherited(process);
        std::string command = RemoveOriginalCommand(copy, reinterpret_cast<std::uintptr_t>(process), self);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (CreateProcessA(copy.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                           &started)) {
            CloseHandle(started.hThread);
            CloseHandle(started.hProcess);
            return true;
        }
    }
    DeleteFileA(copy.c_str());
    hold.Reset();
    RemoveDirectoryA(folder.c_str());
    return false;
}

// A running program's file cannot be deleted. A copy in the temporary folder
// waits for this process to end (on a handle it inherits, so a reused process
// id cannot fool it), deletes the original and the then empty installation
// folder, and is itself deleted at the next restart: the system's delayed
// delete needs no running program, but alone it would keep the installation
// folder until then. Without the copy, both wait for the restart.
//
// The temporary folder is the user's, and the copy runs with this process's
// rights: so it runs from a folder of its own that only administrators may
// change, held in its place until the copy has started, so that no other
// program can put its own file there to be started elevated.
void RemoveSelfLater(const std::string& self)
{
    if (StartRemovingCopy(self)) return;
    MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(winpath::FolderOf(self).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// No program holds the folder: none has it as its current folder, nor keeps
// it open without sharing its deletion. A folder that is gone is free too.
bool FolderFree(const std::string& folder)
{
    const TFileHandle probe(CreateFileA(folder.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
    return probe || GetLastError() != ERROR_SHARING_VIOLATION;
}

void AwaitFolderFree(const std::string& folder)
{
    for (int attempt = 0; attempt < kFolderFreeAttempts && !FolderFree(folder); ++attempt) Sleep(kDeleteRetryMs);
}

int RemoveOriginal(const TUninstallCommand& command)
{
    TKernelHandle original(reinterpret_cast<HANDLE>(command.OriginalProcess));
    // Only a process handle really inherited from the uninstaller lets a path on the command line be deleted.
    if (WaitForSingleObject(original.Get(), INFINITE) != WAIT_OBJECT_0) return kNothingDone;
    // The system may hold the image a moment after the process has ended.
    for (int attempt = 0; attempt < kDeleteAttempts && !DeleteFileA(command.OriginalFile.c_str()) &&
                          GetLastError() != ERROR_FILE_NOT_FOUND;
         ++attempt)
        Sleep(kDeleteRetryMs);
    // The installation folder goes when empty, as a folder of its own: a junction put in its place goes, not what it points to.
    const std::string installation = winpath::FolderOf(command.OriginalFile);
    for (int attempt = 0; attempt < kFolderFreeAttempts &&
                          files::RemoveBelow(winpath::FolderOf(installation), installation, true) ==
                              files::TRemoveOutcome::Failed &&
                          GetLastError() == ERROR_SHARING_VIOLATION;
         ++attempt)
        Sleep(kDeleteRetryMs);
    // This copy, and the private folder it runs from, at the next restart: the file first, then its folder.
    const std::string self = OwnFile(), folder = winpath::FolderOf(self);
    MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (IsCopyFolder(folder)) MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return kRemovedAll;
}

struct TRemovalOutcome {
    std::vector<std::string> Left;
    // Files in use: the uninstaller, its log and its entry stay, so that it
    // can be started again once they are free.
    bool Repeatable = false;
};

TRemovalOutcome RemoveInstallation(const TSetupLog& log, const std::string& self, const TUndoPlan& plan)
{
    const std::string installation = winpath::FolderOf(self);
    TRemovalOutcome outcome;
    // A program started from the folder that the user has just closed may
    // hold it a moment longer. Held, the folder could not go (its removal
    // waits for this process to end): it is left, and named.
    AwaitFolderFree(installation);
    const TRemovalResult removed = PerformRemovals(plan.Removals);
    outcome.Left = removed.Left;
    outcome.Repeatable = !outcome.Left.empty();
    outcome.Left.insert(outcome.Left.end(), removed.BehindLinks.begin(), removed.BehindLinks.end());
    outcome.Left.insert(outcome.Left.end(), plan.Refused.begin(), plan.Refused.end());
    if (outcome.Repeatable) return outcome;
    if (IsProductKeyName(log.Key) && !RemoveUninstallEntry(log.Key, self))
        outcome.Left.push_back("HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKey) + log.Key);
    const std::string logFile = installation + "\\" + kSetupLogName;
    if (!DeleteFileA(logFile.c_str())) outcome.Left.push_back(logFile);
    return outcome;
}

void Tell(const TUninstallCommand& command, const TUninstallTexts& texts, const std::string& message, UINT icon)
{
    if (!command.Silent) MessageBoxA(nullptr, message.c_str(), texts.Caption.c_str(), MB_OK | icon);
}

// The plan for the log beside this uninstaller; false for a log no setup wrote.
bool PlanRemoval(const TSetupLog& log, const std::string& self, TUndoPlan& plan)
{
    plan = UndoPlan(LongFullEntries(log.Entries), LimitsFor(winpath::FolderOf(self), log.Name));
    // This very file goes last, once the program has ended.
    const auto isSelf = [&self](const TRemoval& removal) { return winpath::IsSamePath(removal.Path, self); };
    plan.Removals.erase(std::remove_if(plan.Removals.begin(), plan.Removals.end(), isSelf), plan.Removals.end());
    return !plan.TooLarge;
}

int Uninstall(const TUninstallCommand& command)
{
    // Spelt out in full and long, as the log's paths are before they are compared with it.
    const std::string self = LongFullPath(OwnFile());
    const std::string logFile = winpath::FolderOf(self) + "\\" + kSetupLogName;
    TSetupLog log;
    TUndoPlan plan;
    if (self.empty() || !ReadSetupLog(logFile, log) || !PlanRemoval(log, self, plan)) {
        const TUninstallTexts texts = UninstallTexts(IsGermanSystem(), "");
        Tell(command, texts, texts.DamagedLog + "\r\n" + logFile, MB_ICONERROR);
        return kNothingDone;
    }
    const TUninstallTexts texts = UninstallTexts(IsGermanSystem(), log.Name);
    if (!command.Silent &&
        MessageBoxA(nullptr, texts.Question.c_str(), texts.Caption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return kNothingDone;

    const TRemovalOutcome outcome = RemoveInstallation(log, self, plan);
    if (outcome.Left.empty())
        Tell(command, texts, texts.Done, MB_ICONINFORMATION);
    else
        Tell(command, texts, LeftMessage(texts, outcome.Left, outcome.Repeatable), MB_ICONWARNING);
    if (!outcome.Repeatable) RemoveSelfLater(self);
    return outcome.Left.empty() ? kRemovedAll : kSomethingLeft;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RestrictDllSearch();
    // Started from within the installation folder, this process would hold it
    // as its current folder, and it could not be removed.
    char system[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH) SetCurrentDirectoryA(system);
    const TUninstallCommand command = ParseUninstallCommand(GetCommandLineA());
    try {
        return command.RemoveOriginal ? RemoveOriginal(command) : Uninstall(command);
    } catch (const std::exception& error) {
        if (!command.Silent) MessageBoxA(nullptr, error.what(), "Uninstall", MB_OK | MB_ICONERROR);
    }
    return kSomethingLeft;
}
