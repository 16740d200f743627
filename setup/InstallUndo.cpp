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
    const auto deeper = [](const TRemoval& a, const TRemoval& b) { return a.Path.size() > b.Path.size(); };
    // Each folder goes after those as deep as it, so equals keep the order they were found in.
    std::vector<TRemoval> found;
    for (const TRemoval& file : files)
        for (std::string folder = ParentOf(file.Path); belowRecorded(folder); folder = ParentOf(folder))
            if (!Names(found, folder) && !Names(recorded, folder)) {
                TRemoval removal{TRemovalKind::Folder, folder};
                const auto place = std::upper_bound(found.begin(), found.end(), removal, deeper);
                found.insert(place, std::move(removal));
            }
    return found;
}

// "c:/Apps\\x\" and "C:\APPS\X" become the same text, so they compare equal.
std::string ComparablePath(const std::string& path)
{
    std::string result;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = IsSeparator(path[i]) ? '\\' : path[i];
        // The leading pair of a share name stays; elsewhere a doubled backslash is one.
        if (c == '\\' && i > 1 && !result.empty() && result.back() == '\\') continue;
        result += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    while (result.size() > 1 && result.back() == '\\') result.pop_back();
    return result;
}

bool IsShellFolder(const std::string& path, const TUndoLimits& limits)
{
    return std::any_of(limits.ShellFolders.begin(), limits.ShellFolders.end(),
                       [&path](const std::string& folder) { return !folder.empty() && IsSamePath(path, folder); });
}

bool InsideIfSet(const std::string& path, const std::string& folder)
{
    return folder.empty() || IsInside(path, folder);
}

// The program folder is the one that holds the shortcuts the setup made.
bool HoldsLink(const std::vector<std::string>& lines, const std::string& folder)
{
    return std::any_of(lines.begin(), lines.end(), [&folder](const std::string& line) {
        return StartsWith(line, kLinkPrefix) && IsSamePath(ParentOf(line.substr(sizeof kLinkPrefix - 1)), folder);
    });
}

bool IsLinkFile(const std::string& path)
{
    const std::string name = ComparablePath(path);
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".LNK") == 0;
}

bool IsAllowed(const TRemoval& removal, bool isLink, const std::vector<std::string>& lines, const TUndoLimits& limits)
{
    if (!IsRemovablePath(removal.Path)) return false;
    if (!limits.WindowsFolder.empty() && IsInside(removal.Path, limits.WindowsFolder)) return false;
    if (isLink) return IsLinkFile(removal.Path);
    if (removal.Kind == TRemovalKind::File) return InsideIfSet(removal.Path, limits.Installation);
    if (IsShellFolder(removal.Path, limits)) return false;
    return InsideIfSet(removal.Path, limits.Installation) || HoldsLink(lines, removal.Path);
}

}  // namespace

bool IsSamePath(const std::string& a, const std::string& b)
{
    return ComparablePath(a) == ComparablePath(b);
}

bool IsInside(const std::string& path, const std::string& folder)
{
    const std::string inner = ComparablePath(path), outer = ComparablePath(folder);
    return inner == outer || StartsWith(inner, outer + '\\');
}

bool ParseSetupLog(const std::string& text, TSetupLog& log)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    if (lines.size() < 3 || lines[0] != "SetupLOG" || !StartsWith(lines[1], "NAME=") || !StartsWith(lines[2], "KEY="))
        return false;
    log.Name = lines[1].substr(5);
    log.Key = lines[2].substr(4);
    log.Entries.assign(lines.begin() + 3, lines.end());
    return true;
}

bool IsProductKeyName(const std::string& key)
{
    return !key.empty() && key.find('\\') == std::string::npos;
}

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

TUndoPlan UndoPlan(const std::vector<std::string>& lines, const TUndoLimits& limits)
{
    TUndoPlan plan;
    std::vector<TRemoval> folders;
    for (const std::string& line : lines) {
        TRemoval removal;
        const bool isLink = StartsWith(line, kLinkPrefix);
        if (isLink)
            removal = {TRemovalKind::File, line.substr(sizeof kLinkPrefix - 1)};
        else if (StartsWith(line, kFilePrefix))
            removal = {TRemovalKind::File, line.substr(sizeof kFilePrefix - 1)};
        else if (StartsWith(line, kFolderPrefix))
            removal = {TRemovalKind::Folder, line.substr(sizeof kFolderPrefix - 1)};
        else
            continue;
        if (!IsAllowed(removal, isLink, lines, limits))
            plan.Refused.push_back(line);
        else
            (removal.Kind == TRemovalKind::File ? plan.Removals : folders).push_back(removal);
    }
    std::vector<TRemoval> unrecorded = UnrecordedFolders(plan.Removals, folders);
    // A folder between the recorded ones may still be one the system owns.
    unrecorded.erase(std::remove_if(unrecorded.begin(), unrecorded.end(),
                                    [&limits](const TRemoval& folder) { return IsShellFolder(folder.Path, limits); }),
                     unrecorded.end());
    plan.Removals.insert(plan.Removals.end(), unrecorded.begin(), unrecorded.end());
    plan.Removals.insert(plan.Removals.end(), folders.begin(), folders.end());
    return plan;
}
