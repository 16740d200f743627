#pragma once

// The install log: one line for every folder made, file copied and shortcut
// created, newest first, written as "setup.log" for the uninstaller; and the
// uninstaller's entry in the system's list of installed programs.

#include <string>
#include <vector>

class TSetupLogBook {
public:
    void AddCopiedFile(const std::string& path);
    void AddDirectory(const std::string& path);
    void AddLink(const std::string& path);

    // The uninstaller beside the log, quoted so that a path with spaces
    // cannot start another program (C:\Program.exe for C:\Program Files\...).
    std::string UninstallString() const;
#ifdef _WIN32
    // Writes DisplayName and UninstallString under HKEY_LOCAL_MACHINE. An
    // empty KeyName registers nothing: the key would be the uninstall key itself.
    void RegisterUninstall() const;
#endif
    // Writes the three header lines, then every entry, CR LF after each line.
    void SaveLog() const;

    const std::vector<std::string>& Entries() const { return Lines; }

    std::string LogFileName;
    std::string KeyName;
    std::string DisplayTitle;

private:
    void AddFirst(const std::string& line);

    std::vector<std::string> Lines;  // newest first
};
