// The parts of TDirTree that follow the world while the program runs: media
// exchanged in a drive, drives appearing and disappearing, folders shared on
// the network and files dropped from the shell.

#include "folders/DirTree.h"

#include <shellapi.h>

#include <cctype>

using namespace folders;

namespace {

constexpr UINT kDeviceChange = 0x0219;
constexpr ULONG kSharedAttribute = 0x20000;

int32_t SerialNow(char letter)
{
    const std::string root = std::string(1, letter) + ":\\";
    DWORD serial = 0;
    if (!GetVolumeInformationA(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return -1;
    return static_cast<int32_t>(serial);
}

// The node a drop landed on, highlighted while the drop's handler runs, however it ends.
class TDropHighlight {
public:
    TDropHighlight(TTreeView& tree, HTREEITEM node) : Tree(tree) { Tree.SetDropTarget(node); }
    ~TDropHighlight() { Tree.SetDropTarget(nullptr); }
    TDropHighlight(const TDropHighlight&) = delete;
    TDropHighlight& operator=(const TDropHighlight&) = delete;

private:
    TTreeView& Tree;
};

int IndexOfLetter(char letter)
{
    const int upper = std::toupper(static_cast<unsigned char>(letter));
    return upper >= 'A' && upper <= 'Z' ? upper - 'A' : -1;
}

}  // namespace

bool TDirTree::MediumChanged(char letter) const
{
    const int index = IndexOfLetter(letter);
    return index >= 0 && SerialNow(static_cast<char>('A' + index)) != VolumeSerials[index];
}

void TDirTree::RefreshDrive(HTREEITEM drive, char letter)
{
    const int index = IndexOfLetter(letter);
    // Deleting the selected folder moves the selection; that move must not
    // run the medium check again while the old serial is still stored.
    TChangeLockHold locked(*this);
    ResetNode(drive);
    SetItemText(drive, DriveLabel(static_cast<char>('A' + index), VolumeSerials[index]));
    if (VolumeSerials[index] != -1 && !FirstChild(drive)) AddChild(drive, "");
}

HTREEITEM TDirTree::MediumChecked(HTREEITEM node)
{
    const TDirEntry* entry = EntryOf(node);
    if (!entry || !MediumChanged(entry->Path[0])) return node;
    const char letter = entry->Path[0];
    HTREEITEM drive = FindNode(std::string(1, letter) + ":\\");
    if (drive) RefreshDrive(drive, letter);
    return drive;
}

void TDirTree::ScanMediaChange()
{
    for (char letter = 'Z'; letter >= 'A'; --letter) {
        if (!MediumChanged(letter)) continue;
        if (HTREEITEM drive = FindNode(std::string(1, letter) + ":\\")) RefreshDrive(drive, letter);
        return;
    }
}

void TDirTree::DeviceChanged()
{
    {
        TChangeLockHold locked(*this);
        if (!UpdateDrives()) ScanMediaChange();
    }
    SelectionChanged(Selected());
}

// An error raised by the handlers of the owner's or the tree's messages is
// kept for the report by the hook that called them (TWindowHook); the tree
// stays as far as it got, and the next change tries again.
bool TDirTree::OwnerMessage(UINT message, WPARAM, LPARAM, LRESULT& result)
{
    if (message != kDeviceChange) return false;
    DeviceChanged();
    result = 0;
    return true;
}

int TDirTree::ShareOverlayIndex(HTREEITEM node)
{
    TDirEntry* entry = const_cast<TDirEntry*>(EntryOf(node));
    if (!entry) return -1;
    IShellFolder* folder = MyComputerFolder.Get();
    std::string name = entry->Path;
    if (const TDirEntry* parent = EntryOf(ParentOf(node))) {
        folder = parent->ShellFolder.Get();
        name = LastComponent(entry->Path);
    }
    if (!folder) return -1;
    wchar_t wide[MAX_PATH] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, MAX_PATH)) return -1;
    // Switched on a second time, a node keeps what the first time found.
    if (!entry->ItemId.Get() &&
        FAILED(folder->ParseDisplayName(Handle(), nullptr, wide, nullptr, entry->ItemId.Receive(), nullptr)))
        return -1;
    if (!entry->ShellFolder.Get() &&
        FAILED(folder->BindToObject(entry->ItemId.Get(), nullptr, IID_IShellFolder, entry->ShellFolder.Receive())))
        return -1;
    ULONG attributes = kSharedAttribute;
    LPCITEMIDLIST items[] = {entry->ItemId.Get()};
    if (FAILED(folder->GetAttributesOf(1, items, &attributes))) return -1;
    return (attributes & kSharedAttribute) ? 0 : -1;
}

void TDirTree::ApplyShareOverlays(HTREEITEM first, bool on)
{
    for (HTREEITEM node = first; node; node = NextSibling(node)) {
        const TDirEntry* entry = EntryOf(node);
        if (on && !entry) return;
        SetItemOverlay(node, on ? ShareOverlayIndex(node) : -1);
        if (!on || entry->Scanned) ApplyShareOverlays(FirstChild(node), on);
    }
}

void TDirTree::SetShowShareOverlay(bool value)
{
    if (value == ShareOverlay) return;
    ShareOverlay = value;
    if (HandleAllocated() && FirstTopLevel()) ApplyShareOverlays(FirstTopLevel(), value);
}

void TDirTree::SetAcceptDropFiles(bool value)
{
    DropTarget = value;
    RegisterDropTarget();
}

void TDirTree::RegisterDropTarget()
{
    if (HandleAllocated()) DragAcceptFiles(Handle(), DropTarget);
}

void TDirTree::FilesDropped(HDROP drop)
{
    POINT point{};
    const bool inClient = DragQueryPoint(drop, &point);
    HTREEITEM target = inClient ? ItemAt(point) : nullptr;
    if (target) {
        DroppedFiles.clear();
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            char name[MAX_PATH + 1] = {};
            // A drop without files still counts one, empty, name.
            if (DragQueryFileA(drop, i, name, sizeof name) > 0) DroppedFiles.push_back(name);
        }
    }
    DragFinish(drop);
    if (!target || !OnDropFiles || DroppedFiles.empty()) return;
    const TDropHighlight highlight(*this, target);
    const TShiftState shift{GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_MENU) < 0};
    OnDropFiles(point.x, point.y, EntryOf(target) ? EntryOf(target)->Path : std::string(), DroppedFiles, shift);
}

bool TDirTree::TreeMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message != WM_DROPFILES || !DropTarget) return false;
    FilesDropped(reinterpret_cast<HDROP>(wParam));
    result = 0;
    return true;
}
