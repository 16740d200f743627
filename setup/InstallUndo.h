#pragma once

// Taking an installation back from its log lines (newest first, as the log
// book and "setup.log" hold them): what to remove and in which order. Used
// after a stopped run, and by the uninstaller.

#include <string>
#include <vector>

enum class TRemovalKind { File, Folder };

struct TRemoval {
    TRemovalKind Kind = TRemovalKind::File;
    std::string Path;
};

struct TUndoPlan {
    // Shortcuts and files first, newest first; then the unrecorded folders
    // below recorded ones that held those files, deepest first; then the
    // recorded folders, newest (innermost) first. A folder is removed only
    // when empty, so nothing the user put there is lost.
    std::vector<TRemoval> Removals;
    // Entries whose path could name something that was never installed: not
    // absolute, climbing with "." or "..", or a drive or share root.
    std::vector<std::string> Refused;
};

// What an uninstaller must never remove, whatever a (possibly edited) log
// says: nothing inside the Windows folder, no shell folder as a DIRECTORY
// entry; and, when Installation is set, no COPYFILE entry outside it and no
// DIRECTORY entry that is neither inside it nor the folder of a LINK entry
// (the program folder). Empty members protect nothing.
struct TUndoLimits {
    std::string WindowsFolder;
    std::vector<std::string> ShellFolders;
    std::string Installation;
};

// Lines of other kinds (the log's header lines among them) are skipped.
TUndoPlan UndoPlan(const std::vector<std::string>& lines, const TUndoLimits& limits = {});

bool IsRemovablePath(const std::string& path);

// Windows' comparison: letter case, slashes and doubled or trailing backslashes do not matter.
bool IsSamePath(const std::string& a, const std::string& b);
// True for the folder itself and everything below it.
bool IsInside(const std::string& path, const std::string& folder);

// "setup.log" as the setup writes it: "SetupLOG", "NAME=", "KEY=", then the
// entries, each line ended by CR LF (a last line without one is taken too).
struct TSetupLog {
    std::string Name;
    std::string Key;
    std::vector<std::string> Entries;
};
// False when the text does not start with the three header lines.
bool ParseSetupLog(const std::string& text, TSetupLog& log);

// A KEY that is empty or holds a backslash would name another key than the product's own.
bool IsProductKeyName(const std::string& key);

#ifdef _WIN32
// Removes in the given order: files (read-only ones too), then folders, each
// folder only when empty. Returns the files and links still there afterwards.
std::vector<std::string> PerformRemovals(const std::vector<TRemoval>& removals);
#endif
