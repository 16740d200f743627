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
    // The folder below which no junction or symbolic link may stand on the
    // way to Path: the installation folder, the Programs folder that holds
    // the program folder, or the desktop. Path's own folder where the plan
    // knows none of them (the setup's own undo, right after its run).
    std::string Root;
};

struct TUndoPlan {
    // Shortcuts and files first, newest first; then the unrecorded folders
    // below recorded ones that held those files, deepest first; then the
    // recorded folders, newest (innermost) first. A folder is removed only
    // when empty, so nothing the user put there is lost.
    std::vector<TRemoval> Removals;
    // Entries whose path could name something that was never installed: not
    // a plain "X:\..." path (no share, no "\\?\" or "\\.\" form), longer
    // than the setup ever writes, climbing with "." or "..", naming a device
    // (which the setup never makes), or a drive root; and entries outside the
    // limits below.
    std::vector<std::string> Refused;
    // The files lie in more folders than any installation makes: no log a
    // setup wrote. Removals is empty.
    bool TooLarge = false;
};

// What an uninstaller must never remove, whatever a (possibly edited) log
// says: nothing inside the Windows folder, no shell folder as a DIRECTORY
// entry; and, when Installation is set, no COPYFILE entry outside it and no
// DIRECTORY entry that is neither inside it nor the folder of a LINK entry
// (the program folder). When Programs folders or desktops are given, a LINK
// entry is either a shortcut in a program folder below a Programs folder, or
// the desktop shortcut named after Title. Empty members protect nothing.
struct TUndoLimits {
    std::string WindowsFolder;
    std::vector<std::string> ShellFolders;
    std::string Installation;
    std::vector<std::string> ProgramsFolders;
    std::vector<std::string> Desktops;
    std::string Title;
};

// Lines of other kinds (the log's header lines among them) are skipped. The
// time taken grows with the log's length, whatever its lines hold.
TUndoPlan UndoPlan(const std::vector<std::string>& lines, const TUndoLimits& limits = {});

// A plain "X:\..." path of at most MAX_PATH less one characters whose names
// stay inside the drive (winpath::NamesStayInside) and name something below
// its root.
bool IsRemovablePath(const std::string& path);

// "setup.log" as the setup writes it: "SetupLOG", "NAME=", "KEY=", then the
// entries, each line ended by CR LF (a last line without one is taken too).
struct TSetupLog {
    std::string Name;
    std::string Key;
    std::vector<std::string> Entries;
};
// False when the text does not start with the three header lines, or holds
// more entries than any installation records (kMaxLogEntries).
bool ParseSetupLog(const std::string& text, TSetupLog& log);
// The setup records one line per file, shortcut and folder it makes, each of
// some 40 to 260 characters: a log that reaches this many entries within the
// uninstaller's 16 MiB was not written by a setup.
constexpr size_t kMaxLogEntries = 500000;

// A KEY that is empty or holds a backslash would name another key than the product's own.
bool IsProductKeyName(const std::string& key);

#ifdef _WIN32
struct TRemovalResult {
    std::vector<std::string> Left;         // files, shortcuts and folders still there: in use
    std::vector<std::string> BehindLinks;  // not touched: a junction or symbolic link stood in the way
};
// Removes in the given order: files (read-only ones too), then folders, each
// folder only when empty, each only when no junction or symbolic link stands
// between its Root and it. A folder that is not empty stays unreported.
TRemovalResult PerformRemovals(const std::vector<TRemoval>& removals);
#endif
