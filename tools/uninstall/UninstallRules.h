#pragma once

// The uninstaller's portable decisions: its command line, its texts in the
// system's language, whether the registry entry is the one this installation
// made, and the exit code.

#include <cstdint>
#include <string>
#include <vector>

enum TUninstallExit : int { kRemovedAll = 0, kSomethingLeft = 1, kNothingDone = 2 };

struct TUninstallCommand {
    bool Silent = false;  // "/S": no question, no message box
    // The copy in the temporary folder that removes the uninstaller once the
    // original (whose process handle it inherited) has ended.
    bool RemoveOriginal = false;
    std::uintptr_t OriginalProcess = 0;
    std::string OriginalFile;
};

// The whole command line as GetCommandLine gives it, program name first.
// Unknown words are ignored, so a caller's extra switch does no harm.
TUninstallCommand ParseUninstallCommand(const std::string& commandLine);
// The command line of the copy that removes "original" after the process ends.
std::string RemoveOriginalCommand(const std::string& copy, std::uintptr_t process, const std::string& original);

struct TUninstallTexts {
    std::string Caption;
    std::string Question;      // before anything is removed
    std::string Done;          // everything recorded is gone
    std::string Left;          // followed by one line per item left
    std::string Repeat;        // after the list, when files in use were left
    std::string DamagedLog;    // followed by the log's path
};
TUninstallTexts UninstallTexts(bool german, const std::string& name);

// The entry's UninstallString, quoted or not, names this uninstaller; another
// product's key named by an edited log is left alone.
bool NamesUninstaller(const std::string& uninstallString, const std::string& uninstaller);

// What is left (files, refused entries, a key) as one message; "repeatable"
// asks the user to start the uninstaller again once the files are free.
std::string LeftMessage(const TUninstallTexts& texts, const std::vector<std::string>& left, bool repeatable);
