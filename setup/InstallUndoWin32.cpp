#include "setup/InstallUndo.h"

#include <algorithm>

#include "utilities/TrustedFolders.h"

TRemovalResult PerformRemovals(const std::vector<TRemoval>& removals)
{
    TRemovalResult result;
    for (const TRemoval& removal : removals) {
        const bool isFolder = removal.Kind == TRemovalKind::Folder;
        SetLastError(ERROR_SUCCESS);
        switch (files::RemoveBelow(removal.Root, removal.Path, isFolder)) {
        case files::TRemoveOutcome::Removed:
        case files::TRemoveOutcome::Missing: break;
        case files::TRemoveOutcome::BehindLink: result.BehindLinks.push_back(removal.Path); break;
        // A folder the user still keeps something in stays, as it should; one
        // a program holds (as its current folder, say) is left like a file in use.
        case files::TRemoveOutcome::Failed:
            if ((!isFolder || GetLastError() == ERROR_SHARING_VIOLATION) &&
                std::find(result.Left.begin(), result.Left.end(), removal.Path) == result.Left.end())
                result.Left.push_back(removal.Path);
            break;
        }
    }
    return result;
}
