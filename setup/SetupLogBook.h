#pragma once

// The install log: one line for every folder made, file copied and shortcut
// created, newest first, written as "setup.log" for the uninstaller; and the
// uninstaller's entry in the system's list of installed programs.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TSetupLogBook {
public:
    void AddCopiedFile(const std::string& path);
    void AddDirectory(const std::string& path);
    void AddLink(const std::string& path);
    // A file or shortcut the run replaced, kept at backup until the run is
    // over: taking the run back puts it in place again. Not part of setup.log.
    void AddReplaced(const std::string& path, const std::string& backup);

    // The uninstaller beside the log, quoted so that a path with spaces
    // cannot start another program (C:\Program.exe for C:\Program Files\...).
    std::string UninstallString() const;
    // The files the run copied, as the log names them.
    std::vector<std::string> CopiedFiles() const;
#ifdef _WIN32
    // Writes DisplayName and UninstallString under HKEY_LOCAL_MACHINE, and
    // beside them what the list of programs shows: DisplayIcon (ProgramFile),
    // DisplayVersion and Publisher (this program's own ProductVersion and
    // CompanyName, when it has them), EstimatedSize (the copied files in KB),
    // InstallLocation (InstallFolder), NoModify and NoRepair. An empty KeyName
    // registers nothing: the key would be the uninstall key itself.
    void RegisterUninstall() const;
    // Removes what RegisterUninstall wrote, should the finish fail after it.
    void UnregisterUninstall() const;
    // Whether the entry is there already (an earlier installation's).
    bool IsRegistered() const;
#endif
    // Writes the three header lines, then every entry, CR LF after each line.
    void SaveLog() const;

    const std::vector<std::string>& Entries() const { return Lines; }
    const std::vector<std::pair<std::string, std::string>>& Replaced() const { return ReplacedFiles; }  // path, backup

    std::string LogFileName;
    std::string KeyName;
    std::string DisplayTitle;
    std::string InstallFolder;
    std::string ProgramFile;  // empty for none

private:
    void AddFirst(const std::string& line);

    std::vector<std::string> Lines;  // newest first
    std::vector<std::pair<std::string, std::string>> ReplacedFiles;  // oldest first
};

// Kilobytes as the list of programs counts them: 1024 bytes, rounded up, at
// most what a REG_DWORD holds.
uint32_t KilobytesRoundedUp(uint64_t bytes);
