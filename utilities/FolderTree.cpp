#include "utilities/FolderTree.h"

#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/TrustedFolders.h"

namespace {

// Every removal below the tree's top is checked against the top, so a folder
// swapped for a junction after it was listed is not entered either. A
// junction or symbolic link inside is removed itself and never entered;
// where the system would follow it (Wine does), it stays. A file or link
// that stays behind is reported by the removal of its folder.
void DeleteTreeBelow(const std::string& top, const std::string& folder)
{
    std::string entry;
    try {
        for (const files::FolderEntry& item : files::ListFolder(folder)) {
            entry = item.Name;
            const std::string path = folder + "\\" + item.Name;
            if (item.IsFolder && !item.IsLink)
                DeleteTreeBelow(top, path);
            else
                files::RemoveBelow(top, path, item.IsFolder);
        }
        entry.clear();
        const files::TRemoveOutcome outcome = files::RemoveBelow(top, folder, true);
        if (outcome != files::TRemoveOutcome::Removed && outcome != files::TRemoveOutcome::Missing)
            throw ESetupError(files::LastSystemError());
    } catch (const ESetupError&) {
        // The user learns which top-level entry of this folder stood in the way;
        // the deeper levels' texts are replaced on purpose.
        throw ESetupError("Aborted deleting Directory: " + folder + "file: " + entry);
    }
}

}  // namespace

void DeleteFolderTree(const std::string& folder)
{
    if (!files::DirectoryExists(folder)) return;
    DeleteTreeBelow(folder, folder);
}
