// The uninstaller: reads "setup.log" beside itself, asks, removes what the
// setup recorded, its registry entry, the log and finally itself.

#include <windows.h>

#include <algorithm>

#include "setup/InstallUndo.h"
#include "tools/uninstall/SystemFolders.h"
#include "tools/uninstall/UninstallRules.h"
#include "utilities/DllSearch.h"
#include "utilities/FileSystem.h"
#include "utilities/Handles.h"

namespace {

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kLogName[] = "setup.log";
constexpr int64_t kMaxLogSize = 16 * 1024 * 1024;
constexpr int kDeleteAttempts = 100;
constexpr DWORD kDeleteRetryMs = 100;

std::string ModulePath()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(path, length);
}

std::string FolderOf(const std::string& path)
{
    const size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool IsGermanSystem()
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_GERMAN;
}

bool ReadSetupLog(const std::string& path, TSetupLog& log)
{
    files::TFile file;
    if (!file.OpenForReading(path) || file.Size() > kMaxLogSize) return false;
    std::string text(static_cast<size_t>(file.Size()), '\0');
    return file.Read(&text[0], text.size()) == text.size() && ParseSetupLog(text, log);
}

TUndoLimits LimitsFor(const std::string& installation)
{
    TUndoLimits limits;
    limits.Installation = installation;
    limits.WindowsFolder = WindowsFolder();
    limits.ShellFolders = ShellFolders();
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
void RemoveSelfLater(const std::string& self)
{
    char folder[MAX_PATH], copy[MAX_PATH];
    HANDLE process = nullptr;
    const bool copied = GetTempPathA(MAX_PATH, folder) && GetTempFileNameA(folder, "Unz", 0, copy) &&
                        CopyFileA(self.c_str(), copy, FALSE);
    if (copied && DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &process,
                                  SYNCHRONIZE, TRUE, 0)) {
        TKernelHandle inherited(process);
        std::string command = RemoveOriginalCommand(copy, reinterpret_cast<std::uintptr_t>(process), self);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (CreateProcessA(copy, &command[0], nullptr, nullptr, TRUE, 0, nullptr, folder, &startup, &started)) {
            CloseHandle(started.hThread);
            CloseHandle(started.hProcess);
            return;
        }
    }
    if (copied) DeleteFileA(copy);
    MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(FolderOf(self).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
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
    RemoveDirectoryA(FolderOf(command.OriginalFile).c_str());
    MoveFileExA(ModulePath().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return kRemovedAll;
}

struct TRemovalOutcome {
    std::vector<std::string> Left;
    // Files in use: the uninstaller, its log and its entry stay, so that it
    // can be started again once they are free.
    bool Repeatable = false;
};

TRemovalOutcome RemoveInstallation(const TSetupLog& log, const std::string& self)
{
    const std::string installation = FolderOf(self);
    TUndoPlan plan = UndoPlan(log.Entries, LimitsFor(installation));
    // This very file goes last, once the program has ended.
    plan.Removals.erase(std::remove_if(plan.Removals.begin(), plan.Removals.end(),
                                       [&self](const TRemoval& removal) { return IsSamePath(removal.Path, self); }),
                        plan.Removals.end());
    TRemovalOutcome outcome;
    outcome.Left = PerformRemovals(plan.Removals);
    outcome.Repeatable = !outcome.Left.empty();
    outcome.Left.insert(outcome.Left.end(), plan.Refused.begin(), plan.Refused.end());
    if (outcome.Repeatable) return outcome;
    if (IsProductKeyName(log.Key) && !RemoveUninstallEntry(log.Key, self))
        outcome.Left.push_back("HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKey) + log.Key);
    const std::string logFile = installation + "\\" + kLogName;
    if (!DeleteFileA(logFile.c_str())) outcome.Left.push_back(logFile);
    return outcome;
}

void Tell(const TUninstallCommand& command, const TUninstallTexts& texts, const std::string& message, UINT icon)
{
    if (!command.Silent) MessageBoxA(nullptr, message.c_str(), texts.Caption.c_str(), MB_OK | icon);
}

int Uninstall(const TUninstallCommand& command)
{
    const std::string self = ModulePath();
    const std::string logFile = FolderOf(self) + "\\" + kLogName;
    TSetupLog log;
    if (self.empty() || !ReadSetupLog(logFile, log)) {
        const TUninstallTexts texts = UninstallTexts(IsGermanSystem(), "");
        Tell(command, texts, texts.DamagedLog + "\r\n" + logFile, MB_ICONERROR);
        return kNothingDone;
    }
    const TUninstallTexts texts = UninstallTexts(IsGermanSystem(), log.Name);
    if (!command.Silent &&
        MessageBoxA(nullptr, texts.Question.c_str(), texts.Caption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return kNothingDone;

    const TRemovalOutcome outcome = RemoveInstallation(log, self);
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
    const TUninstallCommand command = ParseUninstallCommand(GetCommandLineA());
    try {
        return command.RemoveOriginal ? RemoveOriginal(command) : Uninstall(command);
    } catch (const std::exception& error) {
        if (!command.Silent) MessageBoxA(nullptr, error.what(), "Uninstall", MB_OK | MB_ICONERROR);
    }
    return kSomethingLeft;
}
