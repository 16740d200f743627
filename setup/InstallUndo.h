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

// Lines of other kinds (the log's header lines among them) are skipped.
TUndoPlan UndoPlan(const std::vector<std::string>& lines);

bool IsRemovablePath(const std::string& path);
