#include "setup/InstallUndo.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "setup/SetupLogWords.h"
#include "utilities/WindowsPath.h"

namespace {

using winpath::ComparableInside;
using winpath::ComparablePath;

// MAX_PATH less its terminating NUL: the setup names nothing longer.
constexpr size_t kMaxPathLength = 259;
// An installation makes far fewer folders than files; a log whose files lie
// in more folders than this, each looked at once, was not written by a setup.
constexpr size_t kMaxFolders = 200000;

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The limits in comparable form, each folder worked out once. The lists are
// short (some twenty shell folders), so they are searched from end to end.
struct TComparableLimits {
    std::string WindowsFolder;
    std::vector<std::string> ShellFolders;
    std::string Installation;
    std::vector<std::pair<std::string, std::string>> ProgramsFolders;  // comparable, as given
    std::vector<std::pair<std::string, std::string>> DesktopLinks;     // comparable link, its desktop
    bool LimitsLinks = false;

    bool IsShellFolder(const std::string& comparable) const
    {
        return std::find(ShellFolders.begin(), ShellFolders.end(), comparable) != ShellFolders.end();
    }
    const std::string* DesktopOf(const std::string& comparableLink) const
    {
        for (const auto& [link, desktop] : DesktopLinks)
            if (link == comparableLink) return &desktop;
        return nullptr;
    }
};

TComparableLimits Comparable(const TUndoLimits& limits)
{
    TComparableLimits comparable;
    if (!limits.WindowsFolder.empty()) comparable.WindowsFolder = ComparablePath(limits.WindowsFolder);
    for (const std::string& folder : limits.ShellFolders)
        if (!folder.empty()) comparable.ShellFolders.push_back(ComparablePath(folder));
    if (!limits.Installation.empty()) comparable.Installation = ComparablePath(limits.Installation);
    for (const std::string& folder : limits.ProgramsFolders)
        if (!folder.empty()) comparable.ProgramsFolders.emplace_back(ComparablePath(folder), folder);
    for (const std::string& desktop : limits.Desktops)
        if (!desktop.empty() && !limits.Title.empty())
            comparable.DesktopLinks.emplace_back(ComparablePath(desktop + "\\" + limits.Title + ".lnk"), desktop);
    comparable.LimitsLinks = !limits.ProgramsFolders.empty() || !limits.Desktops.empty();
    return comparable;
}

// What the plan knows of a folder, by its comparable path.
struct TFolder {
    bool Recorded = false;                    // named by an allowed DIRECTORY entry
    const std::string* ProgramRoot = nullptr;  // holds allowed shortcuts: a program folder, below this
    bool Looked = false;                      // walked past on the way up from a file
    bool BelowRecorded = false;               // then: a recorded folder lies above it
};
using TFolders = std::map<std::string, TFolder>;

struct TEntry {
    const std::string* Line = nullptr;
    TRemoval Removal;
    std::string Comparable;  // only for entries of a safe form
    bool IsLink = false;
    bool Allowed = false;
};

bool ParseEntry(const std::string& line, TEntry& entry)
{
    entry.Line = &line;
    if (StartsWith(line, kLogLinkPrefix)) {
        entry.Removal = {TRemovalKind::File, line.substr(sizeof kLogLinkPrefix - 1), {}};
        entry.IsLink = true;
    } else if (StartsWith(line, kLogFilePrefix)) {
        entry.Removal = {TRemovalKind::File, line.substr(sizeof kLogFilePrefix - 1), {}};
    } else if (StartsWith(line, kLogFolderPrefix)) {
        entry.Removal = {TRemovalKind::Folder, line.substr(sizeof kLogFolderPrefix - 1), {}};
    } else {
        return false;
    }
    return true;
}

bool IsLinkFile(const std::string& comparable)
{
    return comparable.size() > 4 && comparable.compare(comparable.size() - 4, 4, ".LNK") == 0;
}

// The folder a removal starts from when the plan knows no trusted one: the entry's own.
const std::string kOwnFolder;

// Both comparable: path lies in a folder somewhere below folder.
bool LiesBelowFolderIn(const std::string& path, const std::string& folder)
{
    return path.size() > folder.size() + 1 && StartsWith(path, folder) && path[folder.size()] == '\\' &&
           path.find('\\', folder.size() + 1) != std::string::npos;
}

// Where a LINK entry may stand, and the folder its removal starts from; none
// when it may stand nowhere.
const std::string* LinkRoot(const TEntry& entry, const TComparableLimits& limits)
{
    if (!IsLinkFile(entry.Comparable)) return nullptr;
    if (!limits.LimitsLinks) return &kOwnFolder;
    for (const auto& [programs, given] : limits.ProgramsFolders)
        if (LiesBelowFolderIn(entry.Comparable, programs)) return &given;
    return limits.DesktopOf(entry.Comparable);
}

// The folder a COPYFILE or DIRECTORY entry's removal starts from; none when
// the entry is not allowed. folders: the program folders found so far.
const std::string* FileOrFolderRoot(const TEntry& entry, const TComparableLimits& limits, const TUndoLimits& given,
                                    const TFolders& folders)
{
    const bool inside = limits.Installation.empty() || ComparableInside(entry.Comparable, limits.Installation);
    const std::string* installation = limits.Installation.empty() ? &kOwnFolder : &given.Installation;
    if (entry.Removal.Kind == TRemovalKind::File) return inside ? installation : nullptr;
    if (limits.IsShellFolder(entry.Comparable)) return nullptr;
    if (inside) return installation;
    const auto programFolder = folders.find(entry.Comparable);
    return programFolder == folders.end() ? nullptr : programFolder->second.ProgramRoot;
}

void SetRoot(TEntry& entry, const std::string* root)
{
    entry.Allowed = root != nullptr;
    if (root) entry.Removal.Root = root == &kOwnFolder ? winpath::FolderOf(entry.Removal.Path) : *root;
}

// The folder a path lies in, spelt as in the path, without the backslashes
// that a doubled one leaves at its end: as its comparable key, which drops empty names.
std::string SpeltFolderOf(const std::string& path)
{
    std::string folder = winpath::FolderOf(path);
    while (!folder.empty() && winpath::IsSeparator(folder.back())) folder.pop_back();
    return folder;
}

// The copy loop makes the folders of deeper entries without recording them;
// they are found again from the files below a recorded folder, or the
// recorded folders above them would never be empty. Each folder is looked
// at once, so the work grows with the log, not with its square; and a log
// that would imply more folders than any installation makes is refused.
class TUnrecordedFolders {
public:
    explicit TUnrecordedFolders(TFolders& folders, const TComparableLimits& limits) : Folders(folders), Limits(limits)
    {
    }

    // False once the folders looked at pass kMaxFolders.
    bool AddFoldersAbove(const TEntry& file)
    {
        // Up to the first folder already looked at; below it, each folder's state follows from its parent's.
        Chain.clear();
        std::string raw = SpeltFolderOf(file.Removal.Path), key = winpath::FolderOf(file.Comparable);
        bool parentBelow = false;
        while (!key.empty()) {
            const auto known = Folders.find(key);
            if (known != Folders.end() && known->second.Looked) {
                parentBelow = known->second.BelowRecorded || known->second.Recorded;
                break;
            }
            Chain.push_back({raw, key, false});
            raw = SpeltFolderOf(raw);
            key = winpath::FolderOf(key);
        }
        Looked += Chain.size();
        if (Looked > kMaxFolders) return false;
        for (size_t i = Chain.size(); i-- > 0;) {
            TFolder& folder = Folders[Chain[i].Key];
            folder.Looked = true;
            folder.BelowRecorded = parentBelow;
            Chain[i].Remove = parentBelow && !folder.Recorded && !Limits.IsShellFolder(Chain[i].Key);
            parentBelow = parentBelow || folder.Recorded;
        }
        for (TLink& link : Chain)
            if (link.Remove) Add({TRemovalKind::Folder, std::move(link.Raw), file.Removal.Root});
        return true;
    }

    // Deepest first; folders of one depth in the order they were found.
    std::vector<TRemoval> DeepestFirst()
    {
        std::vector<TRemoval> folders;
        for (auto bucket = BySize.rbegin(); bucket != BySize.rend(); ++bucket)
            for (TRemoval& folder : *bucket) folders.push_back(std::move(folder));
        return folders;
    }

private:
    struct TLink {
        std::string Raw, Key;  // spelt as in the log, comparable
        bool Remove;
    };

    void Add(TRemoval folder)
    {
        const size_t size = folder.Path.size();
        if (BySize.size() <= size) BySize.resize(size + 1);
        BySize[size].push_back(std::move(folder));
    }

    TFolders& Folders;
    const TComparableLimits& Limits;
    size_t Looked = 0;
    std::vector<TLink> Chain;
    std::vector<std::vector<TRemoval>> BySize;
};

}  // namespace

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
    if (lines.size() < 3 || lines.size() - 3 > kMaxLogEntries || lines[0] != kLogHeading ||
        !StartsWith(lines[1], kLogNamePrefix) || !StartsWith(lines[2], kLogKeyPrefix))
        return false;
    log.Name = lines[1].substr(sizeof kLogNamePrefix - 1);
    log.Key = lines[2].substr(sizeof kLogKeyPrefix - 1);
    log.Entries.assign(std::make_move_iterator(lines.begin() + 3), std::make_move_iterator(lines.end()));
    return true;
}

bool IsProductKeyName(const std::string& key)
{
    return !key.empty() && key.find('\\') == std::string::npos;
}

bool IsRemovablePath(const std::string& path)
{
    // Only "X:\": a share, "\\?\" and "\\.\" reach places the setup never installs to,
    // and past the rules that compare names.
    if (path.size() > kMaxPathLength || path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' ||
        !winpath::IsSeparator(path[2]))
        return false;
    // Empty names are doubled backslashes, which the installation writes after a picked folder;
    // a path of nothing else names the drive's root.
    const std::string_view names(path.data() + 3, path.size() - 3);
    return winpath::NamesStayInside(names) && names.find_first_not_of("\\/") != std::string_view::npos;
}

TUndoPlan UndoPlan(const std::vector<std::string>& lines, const TUndoLimits& limits)
{
    const TComparableLimits comparable = Comparable(limits);
    std::vector<TEntry> entries;
    entries.reserve(lines.size());
    for (const std::string& line : lines) {
        TEntry entry;
        if (!ParseEntry(line, entry)) continue;
        // The form first: its length bounds the work on the names.
        if (IsRemovablePath(entry.Removal.Path)) {
            entry.Comparable = ComparablePath(entry.Removal.Path);
            const bool inWindows = !comparable.WindowsFolder.empty() &&
                                   ComparableInside(entry.Comparable, comparable.WindowsFolder);
            if (inWindows) entry.Comparable.clear();
            else if (entry.IsLink) SetRoot(entry, LinkRoot(entry, comparable));
        }
        entries.push_back(std::move(entry));
    }
    // The program folder is the one that holds the shortcuts the setup made
    // (the desktop holds one too, but is no program folder).
    TFolders folders;
    for (const TEntry& entry : entries)
        if (entry.IsLink && entry.Allowed && !comparable.DesktopOf(entry.Comparable))
            folders[winpath::FolderOf(entry.Comparable)].ProgramRoot = LinkRoot(entry, comparable);

    TUndoPlan plan;
    std::vector<TEntry*> files, recorded;
    for (TEntry& entry : entries) {
        if (!entry.IsLink && !entry.Comparable.empty())
            SetRoot(entry, FileOrFolderRoot(entry, comparable, limits, folders));
        if (!entry.Allowed)
            plan.Refused.push_back(*entry.Line);
        else
            (entry.Removal.Kind == TRemovalKind::File ? files : recorded).push_back(&entry);
    }
    for (const TEntry* folder : recorded) folders[folder->Comparable].Recorded = true;
    TUnrecordedFolders unrecorded(folders, comparable);
    for (const TEntry* file : files) {
        if (!unrecorded.AddFoldersAbove(*file)) {
            plan.TooLarge = true;
            plan.Removals.clear();
            return plan;
        }
    }
    std::vector<TRemoval> found = unrecorded.DeepestFirst();
    plan.Removals.reserve(files.size() + found.size() + recorded.size());
    for (TEntry* file : files) plan.Removals.push_back(std::move(file->Removal));
    for (TRemoval& folder : found) plan.Removals.push_back(std::move(folder));
    for (TEntry* folder : recorded) plan.Removals.push_back(std::move(folder->Removal));
    return plan;
}
