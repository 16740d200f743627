#pragma once

// TDirTree: a tree-view control listing the drives as top-level nodes and
// their folders below them, loaded lazily (one level on expansion, plus a
// probe that decides the expand button), filtered by drive type and folder
// attributes, selecting nodes from path strings and following drives and
// media that come and go (DirTreeMonitor.cpp).

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "folders/FolderRules.h"
#include "platform/Controls.h"
#include "utilities/Shell.h"

// The folder-existence test of the installation run: a drive root exists when
// its letter is in use; a hidden or system folder counts as absent.
bool DirExists(const std::string& path);

// A shell item identifier list, freed with its owner.
class TItemIdList {
public:
    TItemIdList() = default;
    ~TItemIdList() { CoTaskMemFree(List); }
    TItemIdList(const TItemIdList&) = delete;
    TItemIdList& operator=(const TItemIdList&) = delete;
    LPITEMIDLIST Get() const { return List; }
    LPITEMIDLIST* Receive() { return &List; }

private:
    LPITEMIDLIST List = nullptr;
};

struct TDirEntry {
    std::string Path;  // ends with a backslash
    bool Scanned = false;
    void* Data = nullptr;
    TComPtr<IShellFolder> ShellFolder;
    TItemIdList ItemId;
};

// One entry of a folder enumeration, as OnFindDir fills it.
struct TDirRec {
    uint32_t Attr = 0;
    std::string Name;
    HANDLE SearchHandle = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA FindData{};
    void* Data = nullptr;
};

struct TShiftState {
    bool Shift = false, Ctrl = false, Alt = false;
};

class TDirTree : public TTreeView {
public:
    TDirTree();
    ~TDirTree() override;

    // The window inside owner; the owner's device-change messages reach the tree while it exists.
    void CreateHandle(TControlHost& owner, const RECT& bounds96);
    // The selection is kept for the next CreateHandle.
    void DestroyHandle();
    // After the design values are set: selects InitialDirectory, or the current directory when it does not exist.
    void Loaded();

    bool ReadOnStart = true;
    bool FastLoad = false;
    std::string InitialDirectory;
    folders::TDirTypes DirTypes() const { return DirTypeFilter; }
    void SetDirTypes(folders::TDirTypes value);
    bool GoBelowRecycleBin() const { return BelowRecycleBin; }
    void SetGoBelowRecycleBin(bool value);
    folders::TDriveTypes DriveTypes() const { return DriveTypeFilter; }
    void SetDriveTypes(folders::TDriveTypes value);
    bool ShowShareOverlay() const { return ShareOverlay; }
    void SetShowShareOverlay(bool value);
    bool AcceptDropFiles() const { return DropTarget; }
    void SetAcceptDropFiles(bool value);

    std::function<void(const std::string& fileName, bool& doAdd)> OnAddDir;
    std::function<void(const std::string& path, TDirRec& rec, int& result, bool first)> OnFindDir;
    std::function<void(HTREEITEM node)> OnGetIcon;
    std::function<void(HTREEITEM node)> OnDeleteItem;
    std::function<void(HTREEITEM node)> OnChange;
    std::function<void()> OnClick;
    std::function<void(int x, int y, const std::string& dropDir, const std::vector<std::string>& files,
                       TShiftState shift)>
        OnDropFiles;

    void SetDirectory(const std::string& path);
    std::string GetDirectory() const;
    void ReadDrives();
    bool UpdateDrives();
    HTREEITEM FindNode(const std::string& path);
    void DeleteNode(const std::string& path);
    void ResetNode(HTREEITEM node);
    void AddPathNodes(const std::string& path);
    // Loads the node's folders and probes theirs, then opens it one level.
    void Expand(HTREEITEM node);
    // Null for placeholder children.
    const TDirEntry* EntryOf(HTREEITEM node) const;

    LRESULT Notify(const NMHDR& header) override;

private:
    // While held, selection changes are not reported.
    class TChangeLockHold {
    public:
        explicit TChangeLockHold(TDirTree& tree) : Tree(tree) { --Tree.ChangeLock; }
        ~TChangeLockHold() { ++Tree.ChangeLock; }
        TChangeLockHold(const TChangeLockHold&) = delete;
        TChangeLockHold& operator=(const TChangeLockHold&) = delete;

    private:
        TDirTree& Tree;
    };
    class TUpdateHold;

    TDirEntry* Entry(HTREEITEM node) const;
    void BeginUpdate();
    void EndUpdate();

    bool AcceptDir(const std::string& path) const;
    void Enumerate(HTREEITEM node, const std::function<bool(const TDirRec&)>& accepted) const;
    void LoadChildren(HTREEITEM node);
    void CheckSubfolders(HTREEITEM node);
    void AddPlaceholderOrProbe(HTREEITEM drive, const std::string& root);
    void AttachEntry(HTREEITEM node, const std::string& path, void* data);
    void SetNodeIcons(HTREEITEM node, int iconIndex);
    HTREEITEM AddDriveNode(const std::string& root, void* data, bool inLetterOrder);
    // Shows the folder under the name it is stored with on the disk.
    HTREEITEM AddFolderNode(HTREEITEM parent, const std::string& path, void* data);
    // A name read from the parent's listing is the stored one already.
    HTREEITEM AddFolderNode(HTREEITEM parent, const std::string& path, const std::string& name, void* data);
    std::string DriveLabel(char letter, int32_t& serial) const;
    uint32_t ValidDrives() const;
    // Walks the levels of an upper-case path; loads unscanned levels when asked.
    HTREEITEM WalkPath(const std::string& path, bool load);
    HTREEITEM FindLevel(HTREEITEM first, const std::string& part) const;
    void ClearTree();
    void Rebuild();
    void NodeDeleted(HTREEITEM node);
    void SelectionChanged(HTREEITEM node);
    void Click();
    void ExpandingNode(HTREEITEM node);

    // Drive monitoring and extras (DirTreeMonitor.cpp).
    HTREEITEM MediumChecked(HTREEITEM node);
    bool MediumChanged(char letter) const;
    void RefreshDrive(HTREEITEM drive, char letter);
    void DeviceChanged();
    void ScanMediaChange();
    int ShareOverlayIndex(HTREEITEM node);
    void ApplyShareOverlays(HTREEITEM first, bool on);
    void RegisterDropTarget();
    void FilesDropped(HDROP drop);
    bool OwnerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool TreeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    folders::TDirTypes DirTypeFilter{folders::dtNormal, folders::dtAll};
    folders::TDriveTypes DriveTypeFilter = folders::kAllDriveTypes;
    bool BelowRecycleBin = false;
    bool ShareOverlay = false;
    bool DropTarget = false;

    std::map<HTREEITEM, std::unique_ptr<TDirEntry>> Entries;
    std::string LastDirs[26];
    int32_t VolumeSerials[26] = {};
    uint32_t KnownDrives = 0;
    int ChangeLock = 0;
    int UpdateCount = 0;
    bool Destroying = false;
    int ClosedFolderIcon = -1, OpenFolderIcon = -1;
    HIMAGELIST SystemImages = nullptr;  // the shell's shared list, never destroyed here
    std::string WindowsDir;
    TComPtr<IShellFolder> MyComputerFolder;
    std::vector<std::string> DroppedFiles;
    bool RecreatePending = false;
    std::string SavedDirectory;
    TWindowHook OwnerHook;
    TWindowHook TreeHook;
};
