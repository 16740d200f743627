#include "utilities/FolderTree.h"

#include <windows.h>

#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

namespace {

// A read-only file cannot be deleted and a read-only folder cannot be removed,
// so the flag goes first; the other attributes are the owner's business.
void ClearReadOnly(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

// A file that stays behind is reported by the removal of its folder.
void DeleteFileInTree(const std::string& path)
{
    if (!files::FileExists(path)) return;
    ClearReadOnly(path);
    files::RemoveFile(path);
}

void RemoveEmptyFolder(const std::string& folder)
{
    ClearReadOnly(folder);
    if (!RemoveDirectoryA(folder.c_str())) throw ESetupError(files::LastSystemError());
}

}  // namespace

void DeleteFolderTree(const std::string& folder)
{
    if (!files::DirectoryExists(folder)) return;
    std::string entry;
    try {
        for (const files::FolderEntry& item : files::ListFolder(folder)) {
            entry = item.Name;
            const std::string path = folder + "\\" + item.Name;
            if (item.IsFolder)
                DeleteFolderTree(path);
            else
                DeleteFileInTree(path);
        }
        entry.clear();
        RemoveEmptyFolder(folder);
    } catch (const ESetupError&) {
        // The user learns which top-level entry of this folder stood in the way;
        // the deeper levels' texts are replaced on purpose.
        throw ESetupError("Aborted deleting Directory: " + folder + "file: " + entry);
    }
}
