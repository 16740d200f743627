#include "folders/FolderMan.h"

#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"
#include "utilities/WindowsPath.h"

namespace {

constexpr int kOuterWidth = 316, kOuterHeight = 358;
constexpr COLORREF kLightGrey = RGB(224, 224, 224);
// The controls stack inside a borderless panel at (13, 14), 281 wide.
constexpr int kPanelLeft = 13, kPanelTop = 14, kPanelWidth = 281;
constexpr int kHeadHeight = 22, kLabelHeight = 13, kEditPanelHeight = 24, kEditHeight = 21, kTreeHeight = 191;
constexpr int kButtonTop = 288, kButtonWidth = 75, kButtonHeight = 24;
constexpr int kNewLeft = 6, kOKLeft = 140, kCancelLeft = 220;
constexpr const char* kDesignInitialDirectory = "C:\\Vendrel\\Develop1.3";

constexpr RECT PanelRow(int top, int height)
{
    return RECT{kPanelLeft, kPanelTop + top, kPanelLeft + kPanelWidth, kPanelTop + top + height};
}

constexpr RECT ButtonAt(int left)
{
    return RECT{left, kButtonTop, left + kButtonWidth, kButtonTop + kButtonHeight};
}

constexpr int kPathLabelTop = kHeadHeight;
constexpr int kEditTop = kPathLabelTop + kLabelHeight;
constexpr int kDirLabelTop = kEditTop + kEditPanelHeight;
constexpr int kTreeTop = kDirLabelTop + kLabelHeight;

bool IsExistingFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string CurrentDirectory()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof path, path);
    return length < sizeof path ? std::string(path, length) : std::string();
}

std::string IoErrorText(DWORD code)
{
    return "I/O error " + std::to_string(code);
}

// Puts the process's current directory back when the scope ends.
class TCurrentDirectoryKept {
public:
    TCurrentDirectoryKept() : Saved(CurrentDirectory()) {}
    ~TCurrentDirectoryKept() { SetCurrentDirectoryA(Saved.c_str()); }
    TCurrentDirectoryKept(const TCurrentDirectoryKept&) = delete;
    TCurrentDirectoryKept& operator=(const TCurrentDirectoryKept&) = delete;

private:
    std::string Saved;
};

}  // namespace

TFolderMan::TFolderMan(HWND owner)
{
    CreateForm("ZorevaFolderMan", "Choose Folder", WS_POPUP | WS_CAPTION | WS_SYSMENU, kOuterWidth, kOuterHeight,
               false, kLightGrey, owner);
    // Creation order is the tab order: edit box, tree, OK, Cancel, New Folder.
    Head.Create(*this, PanelRow(0, kHeadHeight), "Please choose the installation folder.");
    PathLabel.Create(*this, PanelRow(kPathLabelTop, kLabelHeight), "Path:");
    PathEdit.Create(*this, PanelRow(kEditTop, kEditHeight));
    DirLabel.Create(*this, PanelRow(kDirLabelTop, kLabelHeight), "Directories");
    DirTree.SetDirTypes({folders::dtNormal, folders::dtAll});
    DirTree.SetGoBelowRecycleBin(true);
    DirTree.SetDriveTypes({folders::drtUnknown, folders::drtFixed, folders::drtRemote});
    DirTree.InitialDirectory = kDesignInitialDirectory;
    DirTree.CreateHandle(*this, PanelRow(kTreeTop, kTreeHeight));
    OKBut.Create(*this, ButtonAt(kOKLeft), "OK");
    CancelBut.Create(*this, ButtonAt(kCancelLeft), "Cancel");
    NewBut.Create(*this, ButtonAt(kNewLeft), "New Folder");
    NewBut.SetVisible(false);

    PathEdit.OnChange = [this] { PathEditChange(); };
    DirTree.OnClick = [this] { DirTreeClick(); };
    OKBut.OnClick = [this] { SetModalResult(kModalOK); };
    CancelBut.OnClick = [this] { SetModalResult(kModalCancel); };
    NewBut.OnClick = [this] { NewButClick(); };
    DirTree.Loaded();
}

bool TFolderMan::Execute()
{
    PathEdit.SetText(FolderPath);
    if (IsExistingFolder(FolderPath)) {
        DirTree.SetDirectory(FolderPath);
    } else {
        DirTree.SetDirectory(GetProgramFilesFolder(Handle()));
        DirTree.Expand(DirTree.Selected());
    }
    return ShowModal() == kModalOK;
}

void TFolderMan::DirTreeClick()
{
    FolderPath = DirTree.GetDirectory();
    PathEdit.SetText(FolderPath);
}

void TFolderMan::NewButClick()
{
    TCurrentDirectoryKept kept;
    // Without the change the new folder would land in whatever folder was current.
    if (!SetCurrentDirectoryA(FolderPath.c_str())) throw ESetupError(IoErrorText(GetLastError()));
    DirTree.Expand(DirTree.Selected());
    // The wizard's destination has no trailing backslash, a picked folder has one.
    const std::string parent = winpath::AddBackslash(FolderPath);
    const std::string name =
        folders::NewFolderName([&parent](const std::string& candidate) { return IsExistingFolder(parent + candidate); });
    if (!CreateDirectoryA(name.c_str(), nullptr)) throw ESetupError(IoErrorText(GetLastError()));
    DirTree.DeleteNode(FolderPath);
    FolderPath = parent + name;
    DirTree.AddPathNodes(FolderPath);
    DirTree.SetDirectory(FolderPath);
}
