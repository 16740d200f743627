#pragma once

// The install log: one line for every folder made, file copied and shortcut
// created, newest first, written as "setup.log" for the uninstaller; and the
// uninstaller's entry in the system's list of installed programs.

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
#ifdef _WIN32
    // Writes DisplayName and UninstallString under HKEY_LOCAL_MACHINE. An
    // empty KeyName registers nothing: the key would be the uninstall key itself.
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

private:
    void AddFirst(const std::string& line);

    std::vector<std::string> Lines;  // newest first
    std::vector<std::pair<std::string, std::string>> ReplacedFiles;  // oldest first
};
