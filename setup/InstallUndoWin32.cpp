#include "setup/InstallUndo.h"

#include <algorithm>

#include "utilities/TrustedFolders.h"

TRemovalResult PerformRemovals(const std::vector<TRemoval>& removals)
{
    TRemovalResult result;
    for (const TRemoval& removal : removals) {
        const bool isFolder = removal.Kind == TRemovalKind::Folder;
        switch (files::RemoveBelow(removal.Root, removal.Path, isFolder)) {
        case files::TRemoveOutcome::Removed:
        case files::TRemoveOutcome::Missing: break;
        case files::TRemoveOutcome::BehindLink: result.BehindLinks.push_back(removal.Path); break;
        // A folder the user still keeps something in stays, as it should.
        case files::TRemoveOutcome::Failed:
            if (!isFolder && std::find(result.Left.begin(), result.Left.end(), removal.Path) == result.Left.end())
                result.Left.push_back(removal.Path);
            break;
        }
    }
    return result;
}
