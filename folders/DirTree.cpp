#include "folders/DirTree.h"

#include <shellapi.h>

#include "platform/Dialog.h"
#include "utilities/Handles.h"
#include "utilities/SetupError.h"
#include "utilities/WindowsPath.h"

using namespace folders;

namespace {

// No "insert a disk" or "drive not ready" prompts while drives and folders are read.
class TCriticalErrorsFail {
public:
    TCriticalErrorsFail() : Previous(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~TCriticalErrorsFail() { SetErrorMode(Previous); }
    TCriticalErrorsFail(const TCriticalErrorsFail&) = delete;
    TCriticalErrorsFail& operator=(const TCriticalErrorsFail&) = delete;

private:
    UINT Previous;
};

class TWaitCursor {
public:
    TWaitCursor() : Previous(SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)))) {}
    ~TWaitCursor() { SetCursor(Previous); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    HCURSOR Previous;
};

std::string UpperCase(std::string text)
{
    if (!text.empty()) CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

bool SameTextIgnoringCase(const std::string& left, const std::string& right)
{
    return lstrcmpiA(left.c_str(), right.c_str()) == 0;
}

int LetterIndex(char letter)
{
    const char upper = UpperCase(std::string(1, letter))[0];
    return upper >= 'A' && upper <= 'Z' ? upper - 'A' : -1;
}

std::string RootOfLetter(int index)
{
    return std::string(1, static_cast<char>('A' + index)) + ":\\";
}

UINT DriveTypeOf(const std::string& root)
{
    return GetDriveTypeA(root.c_str());
}

struct TShellInfo {
    int Icon = -1;
    std::string DisplayName;
};

TShellInfo ShellInfo(const std::string& path, UINT extraFlags)
{
    SHFILEINFOA info{};
    TShellInfo result;
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extraFlags)) {
        result.Icon = info.iIcon;
        result.DisplayName = info.szDisplayName;
    }
    return result;
}

std::string CurrentDirectory()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof path, path);
    return length < sizeof path ? std::string(path, length) : std::string();
}

bool IsExistingFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The stored name of what path names, "" when nothing is there.
std::string StoredName(const std::string& path)
{
    WIN32_FIND_DATAA found{};
    TFindHandle search(FindFirstFileA(path.c_str(), &found));
    return search.Valid() ? found.cFileName : std::string();
}

// Runs what is waiting in the queue. A quit request taken here belongs to the
// loop that runs the program: it is posted again and ends the processing.
void ProcessPendingMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

bool DirExists(const std::string& path)
{
    TCriticalErrorsFail quiet;
    if (path.size() == 3 && path[1] == ':' && path[2] == '\\') {
        const int index = LetterIndex(path[0]);
        return index >= 0 && ((GetLogicalDrives() >> index) & 1u);
    }
    if (path.empty()) return false;
    // Like a search for directories only: hidden, system and volume entries are passed over.
    const DWORD passedOver = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x08;
    WIN32_FIND_DATAA found{};
    TFindHandle search(FindFirstFileA(winpath::WithoutBackslash(path).c_str(), &found));
    if (!search.Valid()) return false;
    do {
        if (!(found.dwFileAttributes & passedOver)) return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    } while (FindNextFileA(search.Get(), &found));
    return false;
}

class TDirTree::TUpdateHold {
public:
    explicit TUpdateHold(TDirTree& tree) : Tree(tree) { Tree.BeginUpdate(); }
    ~TUpdateHold() { Tree.EndUpdate(); }
    TUpdateHold(const TUpdateHold&) = delete;
    TUpdateHold& operator=(const TUpdateHold&) = delete;

private:
    TDirTree& Tree;
};

TDirTree::TDirTree() : InitialDirectory(CurrentDirectory())
{
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    WindowsDir = winpath::AddBackslash(windows);
    SHFILEINFOA info{};
    SystemImages = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA(WindowsDir.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    ClosedFolderIcon = ShellInfo(WindowsDir, 0).Icon;
    OpenFolderIcon = ShellInfo(WindowsDir, SHGFI_OPENICON).Icon;
    for (int i = 0; i < 26; ++i) LastDirs[i] = RootOfLetter(i);
    const std::string current = UpperCase(CurrentDirectory());
    if (LetterIndex(current.empty() ? ' ' : current[0]) >= 0) LastDirs[LetterIndex(current[0])] = current;

    TComPtr<IShellFolder> desktop;
    TItemIdList drives;
    if (SUCCEEDED(SHGetDesktopFolder(reinterpret_cast<IShellFolder**>(desktop.Receive()))) &&
        SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, drives.Receive())))
        desktop->BindToObject(drives.Get(), nullptr, IID_IShellFolder, MyComputerFolder.Receive());
}

TDirTree::~TDirTree()
{
    Destroying = true;
    ChangeLock = 0;
    if (HandleAllocated()) ClearTree();
    OwnerHook.Remove();
    TreeHook.Remove();
    DestroyControl();
}

void TDirTree::CreateHandle(TControlHost& owner, const RECT& bounds96)
{
    CreateTree(owner, bounds96, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS);
    SetImageList(SystemImages);
    OwnerHook.Install(owner.HostHandle(), [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return OwnerMessage(message, wParam, lParam, result);
    });
    TreeHook.Install(Handle(), [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return TreeMessage(message, wParam, lParam, result);
    });
    if (ReadOnStart) ReadDrives();
    if (RecreatePending) {
        RecreatePending = false;
        SetDirectory(SavedDirectory);
    }
    RegisterDropTarget();
}

void TDirTree::DestroyHandle()
{
    if (!HandleAllocated()) return;
    SetAcceptDropFiles(false);
    RecreatePending = true;
    SavedDirectory = GetDirectory();
    ClearTree();
    OwnerHook.Remove();
    TreeHook.Remove();
    DestroyControl();
}

void TDirTree::Loaded()
{
    SetDirectory(IsExistingFolder(InitialDirectory) ? InitialDirectory : CurrentDirectory());
}

void TDirTree::SetDirTypes(TDirTypes value)
{
    if (value == DirTypeFilter) return;
    DirTypeFilter = value;
    Rebuild();
}

void TDirTree::SetGoBelowRecycleBin(bool value)
{
    if (value == BelowRecycleBin) return;
    BelowRecycleBin = value;
    Rebuild();
}

void TDirTree::SetDriveTypes(TDriveTypes value)
{
    if (value == DriveTypeFilter) return;
    DriveTypeFilter = value;
    UpdateDrives();
}

TDirEntry* TDirTree::Entry(HTREEITEM node) const
{
    const auto found = node ? Entries.find(node) : Entries.end();
    return found == Entries.end() ? nullptr : found->second.get();
}

const TDirEntry* TDirTree::EntryOf(HTREEITEM node) const
{
    return Entry(node);
}

void TDirTree::BeginUpdate()
{
    if (UpdateCount++ == 0 && HandleAllocated()) SetRedraw(false);
}

void TDirTree::EndUpdate()
{
    if (--UpdateCount == 0 && HandleAllocated()) {
        SetRedraw(true);
        InvalidateRect(Handle(), nullptr, TRUE);
    }
}

uint32_t TDirTree::ValidDrives() const
{
    TCriticalErrorsFail quiet;
    uint32_t mask = GetLogicalDrives() & ((1u << 26) - 1);
    for (int i = 0; i < 26; ++i) {
        if (((mask >> i) & 1u) && !DriveTypeAccepted(DriveTypeOf(RootOfLetter(i)), DriveTypeFilter))
            mask &= ~(1u << i);
    }
    return mask;
}

std::string TDirTree::DriveLabel(char letter, int32_t& serial) const
{
    const std::string root = std::string(1, letter) + ":\\";
    char volumeName[24] = {};
    char systemName[499] = {};
    DWORD volumeSerial = 0;
    const bool read = GetVolumeInformationA(root.c_str(), volumeName, sizeof volumeName, &volumeSerial, nullptr,
                                            nullptr, systemName, sizeof systemName);
    std::string text = DriveLabelText(read, volumeName, letter);
    serial = read ? static_cast<int32_t>(volumeSerial) : -1;
    const UINT type = DriveTypeOf(root);
    if (type == DRIVE_REMOVABLE || type == DRIVE_REMOTE)
        text = winpath::WithoutBackslash(ShellInfo(root, SHGFI_DISPLAYNAME).DisplayName);
    return text;
}

bool TDirTree::AcceptDir(const std::string& path) const
{
    bool keep = BelowRecycleBin || !IsBelowRecycleBin(path);
    if (keep && OnAddDir) OnAddDir(path, keep);
    return keep;
}

void TDirTree::Enumerate(HTREEITEM node, const std::function<bool(const TDirRec&)>& accepted) const
{
    const TDirEntry* entry = Entry(node);
    if (!entry) return;
    const std::string nodePath = entry->Path;
    TCriticalErrorsFail quiet;
    TDirRec rec;
    rec.Data = entry->Data;
    int result = 0;
    if (OnFindDir) {
        OnFindDir(nodePath, rec, result, true);
    } else {
        rec.SearchHandle = FindFirstFileA((nodePath + "*.*").c_str(), &rec.FindData);
        result = rec.SearchHandle == INVALID_HANDLE_VALUE ? static_cast<int>(GetLastError()) : 0;
    }
    TFindHandle search(rec.SearchHandle);
    while (result == 0) {
        if (!OnFindDir) {
            rec.Attr = rec.FindData.dwFileAttributes;
            rec.Name = rec.FindData.cFileName;
            rec.Data = nullptr;
        }
        const bool candidate = (rec.Attr & kAttrDirectory) && rec.Name != "." && rec.Name != "..";
        if (candidate && AcceptDir(nodePath + rec.Name + "\\") && AcceptAttributes(rec.Attr, DirTypeFilter) &&
            !accepted(rec))
            return;
        if (OnFindDir) {
            rec.Data = entry->Data;
            OnFindDir(nodePath, rec, result, false);
        } else {
            result = FindNextFileA(rec.SearchHandle, &rec.FindData) ? 0 : static_cast<int>(GetLastError());
        }
    }
}

void TDirTree::LoadChildren(HTREEITEM node)
{
    TDirEntry* entry = Entry(node);
    if (!entry || entry->Scanned) return;
    DeleteChildren(node);
    entry->Scanned = true;
    std::vector<TFoundFolder> found;
    Enumerate(node, [&found](const TDirRec& rec) {
        found.push_back({rec.Name, rec.Data});
        return true;
    });
    SortByName(found, lstrcmpiA);
    const std::string nodePath = entry->Path;
    for (const TFoundFolder& folder : found) AddFolderNode(node, nodePath + folder.Name, folder.Name, folder.Data);
}

void TDirTree::CheckSubfolders(HTREEITEM node)
{
    const TDirEntry* entry = Entry(node);
    // A node that already has a child keeps its one placeholder.
    if (!entry || entry->Scanned || FirstChild(node)) return;
    bool any = false;
    Enumerate(node, [&any](const TDirRec&) {
        any = true;
        return false;
    });
    if (any) AddChild(node, "");
}

void TDirTree::AddPlaceholderOrProbe(HTREEITEM drive, const std::string& root)
{
    const UINT type = DriveTypeOf(root);
    if (FastLoad || type < DRIVE_FIXED || type == DRIVE_CDROM) AddChild(drive, "");
    else CheckSubfolders(drive);
}

void TDirTree::AttachEntry(HTREEITEM node, const std::string& path, void* data)
{
    auto entry = std::make_unique<TDirEntry>();
    entry->Path = path;
    entry->Data = data;
    Entries[node] = std::move(entry);
    if (ShareOverlay) SetItemOverlay(node, ShareOverlayIndex(node));
}

void TDirTree::SetNodeIcons(HTREEITEM node, int iconIndex)
{
    const int selected = iconIndex == ClosedFolderIcon ? OpenFolderIcon
                                                       : ShellInfo(Entry(node)->Path, SHGFI_OPENICON).Icon;
    SetItemImages(node, iconIndex, selected);
    if (OnGetIcon) OnGetIcon(node);
}

HTREEITEM TDirTree::AddDriveNode(const std::string& root, void* data, bool inLetterOrder)
{
    const std::string path = winpath::AddBackslash(root);
    const TShellInfo shell = ShellInfo(path, SHGFI_DISPLAYNAME);
    std::string text = shell.DisplayName;
    if (DriveTypeOf(root) != DRIVE_REMOVABLE) {
        const int index = LetterIndex(root[0]);
        text = DriveLabel(root[0], VolumeSerials[index]);
    }
    HTREEITEM next = nullptr;
    if (inLetterOrder) {
        for (next = FirstTopLevel(); next; next = NextSibling(next)) {
            const TDirEntry* entry = Entry(next);
            if (entry && entry->Path.compare(root) > 0) break;
        }
    }
    HTREEITEM node = InsertTopLevelBefore(next, text);
    AttachEntry(node, path, data);
    SetNodeIcons(node, shell.Icon);
    return node;
}

HTREEITEM TDirTree::AddFolderNode(HTREEITEM parent, const std::string& path, void* data)
{
    std::string truePath;
    {
        TCriticalErrorsFail quiet;
        truePath = TruePathName(winpath::AddBackslash(path), StoredName);
    }
    return AddFolderNode(parent, path, LastComponent(truePath), data);
}

HTREEITEM TDirTree::AddFolderNode(HTREEITEM parent, const std::string& path, const std::string& name, void* data)
{
    if (!parent) return nullptr;
    const std::string folder = winpath::AddBackslash(path);
    HTREEITEM node = AddChild(parent, name);
    AttachEntry(node, folder, data);
    SetNodeIcons(node, ShellInfo(folder, 0).Icon);
    return node;
}

void TDirTree::ReadDrives()
{
    if (!HandleAllocated()) return;
    TChangeLockHold locked(*this);
    TWaitCursor wait;
    {
        TUpdateHold update(*this);
        ClearTree();
        ProcessPendingMessages();
        const uint32_t mask = ValidDrives();
        KnownDrives = mask;
        for (int i = 0; i < 26; ++i) {
            const std::string root = RootOfLetter(i);
            if (!((mask >> i) & 1u) || !AcceptDir(root)) continue;
            AddPlaceholderOrProbe(AddDriveNode(root, nullptr, false), root);
        }
    }
    if (HTREEITEM selected = Selected()) MakeVisible(selected);
}

bool TDirTree::UpdateDrives()
{
    if (!HandleAllocated()) return false;
    bool changed = false;
    {
        TChangeLockHold locked(*this);
        TUpdateHold update(*this);
        const uint32_t mask = ValidDrives();
        for (int i = 0; i < 26; ++i) {
            if (!((KnownDrives >> i) & 1u) || ((mask >> i) & 1u)) continue;
            if (HTREEITEM node = FindNode(RootOfLetter(i))) {
                ResetNode(node);
                DeleteItem(node);
                changed = true;
            }
        }
        for (int i = 0; i < 26; ++i) {
            if (!((mask >> i) & 1u) || ((KnownDrives >> i) & 1u)) continue;
            const std::string root = RootOfLetter(i);
            AddPlaceholderOrProbe(AddDriveNode(root, nullptr, true), root);
            changed = true;
        }
        KnownDrives = mask;
    }
    UpdateWindow(Handle());
    if (changed) SelectionChanged(Selected());
    return changed;
}

HTREEITEM TDirTree::FindLevel(HTREEITEM first, const std::string& part) const
{
    for (HTREEITEM node = first; node; node = NextSibling(node)) {
        const TDirEntry* entry = Entry(node);
        if (!entry) return nullptr;
        if (SameTextIgnoringCase(entry->Path, part)) return node;
    }
    return nullptr;
}

HTREEITEM TDirTree::WalkPath(const std::string& path, bool load)
{
    HTREEITEM found = nullptr;
    const int levels = CountBackslashes(path);
    for (int k = 1; k <= levels; ++k) {
        found = FindLevel(k == 1 ? FirstTopLevel() : FirstChild(found), PathPrefix(path, k));
        if (!found) return nullptr;
        if (load && k < levels) LoadChildren(found);
    }
    return found;
}

HTREEITEM TDirTree::FindNode(const std::string& path)
{
    if (!HandleAllocated()) return nullptr;
    TWaitCursor wait;
    return WalkPath(UpperCase(winpath::AddBackslash(path)), false);
}

void TDirTree::SetDirectory(const std::string& path)
{
    if (path.empty()) throw ESetupError("Invalid Path Name");
    if (path == "?" || !HandleAllocated()) return;
    std::string target = winpath::AddBackslash(path);
    bool exists;
    {
        TCriticalErrorsFail quiet;
        exists = GetFileAttributesA(winpath::WithoutBackslash(target).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    if (!exists) target = CurrentDirectory().substr(0, 1) + ":\\";
    TWaitCursor wait;
    HTREEITEM found;
    {
        TUpdateHold update(*this);
        found = WalkPath(UpperCase(target), true);
        if (found) Select(found);
    }
    if (found) MakeVisible(found);
}

std::string TDirTree::GetDirectory() const
{
    HTREEITEM selected = HandleAllocated() ? Selected() : nullptr;
    if (!selected) return "?";
    const TDirEntry* entry = Entry(selected);
    return entry ? entry->Path : std::string();
}

void TDirTree::DeleteNode(const std::string& path)
{
    if (HTREEITEM node = FindNode(path)) DeleteItem(node);
}

void TDirTree::ResetNode(HTREEITEM node)
{
    TDirEntry* entry = Entry(node);
    if (!entry) return;
    DeleteChildren(node);
    entry->Scanned = false;
    CheckSubfolders(node);
}

void TDirTree::AddPathNodes(const std::string& path)
{
    for (const TPathLevel& level : PathLevels(path)) {
        if (level.Name.empty()) continue;
        HTREEITEM parent = FindNode(level.Parent);
        if (!parent) continue;
        HTREEITEM child = FindNode(level.Parent + level.Name);
        if (!child) child = AddFolderNode(parent, Entry(parent)->Path + level.Name, nullptr);
        CheckSubfolders(child);
        SortChildren(parent);
    }
}

void TDirTree::Expand(HTREEITEM node)
{
    if (!node) return;
    ExpandingNode(node);
    ExpandOneLevel(node);
}

void TDirTree::ExpandingNode(HTREEITEM node)
{
    TWaitCursor wait;
    LoadChildren(node);
    for (HTREEITEM child = FirstChild(node); child; child = NextSibling(child)) CheckSubfolders(child);
}

void TDirTree::ClearTree()
{
    {
        TChangeLockHold locked(*this);
        TUpdateHold update(*this);
        DeleteAll();
        Entries.clear();
    }
    if (ChangeLock > 0) ChangeLock = 0;
    if (ChangeLock == 0 && HandleAllocated()) SelectionChanged(Selected());
}

void TDirTree::Rebuild()
{
    const std::string current = GetDirectory();
    ReadDrives();
    SetDirectory(current);
    if (FirstTopLevel() && !Selected()) SetDirectory(current.substr(0, 3));
    if (Selected()) return;
    try {
        HTREEITEM node = FirstTopLevel();
        if (!node) return;
        while (FirstChild(node) && !Entry(FirstChild(node)) && NextSibling(node)) node = NextSibling(node);
        const int index = LetterIndex(Entry(node)->Path[0]);
        SetDirectory(LastDirs[index]);
        if (GetDirectory() != LastDirs[index]) {
            Select(node);
            SelectionChanged(node);
        }
    } catch (const ESetupError&) {
        // Restoring a selection is a courtesy; the tree is complete without it.
    }
}

void TDirTree::NodeDeleted(HTREEITEM node)
{
    Entries.erase(node);
    if (OnDeleteItem) OnDeleteItem(node);
}

void TDirTree::SelectionChanged(HTREEITEM node)
{
    if (Destroying || ChangeLock != 0) return;
    node = MediumChecked(node);
    if (const TDirEntry* entry = Entry(node)) {
        const int index = LetterIndex(entry->Path[0]);
        if (index >= 0) LastDirs[index] = UpperCase(entry->Path);
    }
    if (OnChange) OnChange(node);
}

LRESULT TDirTree::Notify(const NMHDR& header)
{
    const auto& tree = reinterpret_cast<const NMTREEVIEWA&>(header);
    switch (header.code) {
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW: NodeDeleted(tree.itemOld.hItem); return 0;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: SelectionChanged(tree.itemNew.hItem); return 0;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
        if (tree.action & TVE_EXPAND) ExpandingNode(tree.itemNew.hItem);
        return FALSE;
    case TVN_ENDLABELEDITA: return reinterpret_cast<const NMTVDISPINFOA&>(header).item.pszText != nullptr;
    case TVN_ENDLABELEDITW: return reinterpret_cast<const NMTVDISPINFOW&>(header).item.pszText != nullptr;
    case NM_CLICK: Click(); return 0;
    default: return 0;
    }
}

void TDirTree::Click()
{
    // The tree view reports the click before it moves the selection. The
    // clicked node is selected first, quietly, so that the medium check sees
    // the drive that was clicked before anything else reads its serial.
    const DWORD position = GetMessagePos();
    POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ScreenToClient(Handle(), &point);
    HTREEITEM clicked = ItemAt(point);
    const bool moved = clicked && clicked != Selected();
    if (moved) {
        TChangeLockHold locked(*this);
        Select(clicked);
    }
    const TDirEntry* entry = Entry(Selected());
    const bool hasEntry = entry != nullptr;
    if (hasEntry && MediumChanged(entry->Path[0])) {
        SelectionChanged(Selected());
        return;
    }
    if (moved) SelectionChanged(Selected());
    if (hasEntry && OnClick) OnClick();
}
