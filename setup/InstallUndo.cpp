#include "setup/InstallUndo.h"

#include <algorithm>

namespace {

const char kLinkPrefix[] = "LINK=";
const char kFilePrefix[] = "COPYFILE=";
const char kFolderPrefix[] = "DIRECTORY=";

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The part after "X:\" or after "\\server\share\"; none when the path has neither root.
bool SplitRoot(const std::string& path, std::string& below)
{
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) {
        below = path.substr(3);
        return true;
    }
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
    const size_t server = path.find_first_of("\\/", 2);
    if (server == std::string::npos || server == 2) return false;
    const size_t share = path.find_first_of("\\/", server + 1);
    if (share == std::string::npos || share == server + 1) return false;
    below = path.substr(share + 1);
    return true;
}

// Windows drops trailing dots and spaces from a name, so ".. " climbs like "..".
bool IsDotsAndSpaces(const std::string& component)
{
    return component.find_first_not_of(". ") == std::string::npos;
}

std::string ParentOf(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool IsStrictlyBelow(const std::string& path, std::string folder)
{
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
    return path.size() > folder.size() && StartsWith(path, folder);
}

// The copy loop makes the folders of deeper entries without recording them;
// they are found again from the files below a recorded folder, deepest first,
// or the recorded folders above them would never be empty.
bool Names(const std::vector<TRemoval>& folders, const std::string& path)
{
    return std::any_of(folders.begin(), folders.end(), [&path](const TRemoval& folder) { return folder.Path == path; });
}

std::vector<TRemoval> UnrecordedFolders(const std::vector<TRemoval>& files, const std::vector<TRemoval>& recorded)
{
    const auto belowRecorded = [&recorded](const std::string& path) {
        return std::any_of(recorded.begin(), recorded.end(),
                           [&path](const TRemoval& folder) { return IsStrictlyBelow(path, folder.Path); });
    };
    std::vector<TRemoval> found;
    for (const TRemoval& file : files)
        for (std::string folder = ParentOf(file.Path); belowRecorded(folder); folder = ParentOf(folder))
            if (!Names(found, folder) && !Names(recorded, folder)) found.push_back({TRemovalKind::Folder, folder});
    std::stable_sort(found.begin(), found.end(),
                     [](const TRemoval& a, const TRemoval& b) { return a.Path.size() > b.Path.size(); });
    return found;
}

}  // namespace

bool IsRemovablePath(const std::string& path)
{
    std::string below;
    if (!SplitRoot(path, below)) return false;
    if (below.find(':') != std::string::npos || below.find('\0') != std::string::npos) return false;
    bool namesSomething = false;
    std::string component;
    for (size_t i = 0; i <= below.size(); ++i) {
        if (i < below.size() && !IsSeparator(below[i])) {
            component += below[i];
            continue;
        }
        // An empty component is a doubled backslash, which the installation writes after a picked folder.
        if (!component.empty()) {
            if (IsDotsAndSpaces(component)) return false;
            namesSomething = true;
        }
        component.clear();
    }
    return namesSomething;
}

TUndoPlan UndoPlan(const std::vector<std::string>& lines)
{
    TUndoPlan plan;
    std::vector<TRemoval> folders;
    for (const std::string& line : lines) {
        TRemoval removal;
        if (StartsWith(line, kLinkPrefix))
            removal = {TRemovalKind::File, line.substr(sizeof kLinkPrefix - 1)};
        else if (StartsWith(line, kFilePrefix))
            removal = {TRemovalKind::File, line.substr(sizeof kFilePrefix - 1)};
        else if (StartsWith(line, kFolderPrefix))
            removal = {TRemovalKind::Folder, line.substr(sizeof kFolderPrefix - 1)};
        else
            continue;
        if (!IsRemovablePath(removal.Path))
            plan.Refused.push_back(line);
        else
            (removal.Kind == TRemovalKind::File ? plan.Removals : folders).push_back(removal);
    }
    const std::vector<TRemoval> unrecorded = UnrecordedFolders(plan.Removals, folders);
    plan.Removals.insert(plan.Removals.end(), unrecorded.begin(), unrecorded.end());
    plan.Removals.insert(plan.Removals.end(), folders.begin(), folders.end());
    return plan;
}
