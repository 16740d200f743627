#include "setup/InstallUndo.h"

#include <windows.h>

#include <algorithm>

namespace {

// Copies keep the source's attributes; a read-only file would refuse deletion.
// True when the file is gone afterwards, whether or not it was there before.
bool RemoveInstalledFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (DeleteFileA(path.c_str())) return true;
    // A file in use keeps its protection, as it was before.
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(path.c_str(), attributes);
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::vector<std::string> PerformRemovals(const std::vector<TRemoval>& removals)
{
    std::vector<std::string> left;
    for (const TRemoval& removal : removals) {
        if (removal.Kind == TRemovalKind::Folder)
            RemoveDirectoryA(removal.Path.c_str());
        else if (!RemoveInstalledFile(removal.Path) &&
                 std::none_of(left.begin(), left.end(), [&](const std::string& p) { return IsSamePath(p, removal.Path); }))
            left.push_back(removal.Path);
    }
    return left;
}
