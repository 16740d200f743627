#include "folders/DirTree.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "platform/Window.h"
#include "tests/TestSupport.h"
#include "tests/folders/TestHost.h"
#include "utilities/SetupError.h"

// The tree against the running system: a drive letter of this session is
// pointed at one volume and then at another, which is what the tree sees
// when the medium in a drive is exchanged; dropped files arrive as the
// shell's own drop message.

namespace {

int32_t SerialOf(char letter)
{
    const std::string root = std::string(1, letter) + ":\\";
    DWORD serial = 0;
    if (!GetVolumeInformationA(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return -1;
    return static_cast<int32_t>(serial);
}

bool InUse(char letter)
{
    return (GetLogicalDrives() >> (letter - 'A')) & 1u;
}

// Two drives of this machine whose volumes have different serial numbers;
// fewer when the machine has no such pair.
std::vector<char> TwoVolumes()
{
    std::vector<char> found;
    for (char letter = 'A'; letter <= 'Z' && found.size() < 2; ++letter) {
        const int32_t serial = InUse(letter) ? SerialOf(letter) : -1;
        if (serial != -1 && (found.empty() || serial != SerialOf(found[0]))) found.push_back(letter);
    }
    return found;
}

// A drive letter of this session that stands for another drive's volume
// until the scope ends. The mapping reaches the volume's label and serial;
// Wine does not open files through it.
class TMappedLetter {
public:
    TMappedLetter()
    {
        for (char letter = 'M'; letter <= 'Y' && !Letter; ++letter)
            if (!InUse(letter)) Letter = letter;
    }
    ~TMappedLetter() { Unmap(); }
    TMappedLetter(const TMappedLetter&) = delete;
    TMappedLetter& operator=(const TMappedLetter&) = delete;

    std::string Root() const { return Device() + "\\"; }
    bool MapTo(char volume)
    {
        Unmap();
        const std::string target = "\\??\\" + std::string(1, volume) + ":";
        Mapped = Letter && DefineDosDeviceA(DDD_RAW_TARGET_PATH, Device().c_str(), target.c_str());
        return Mapped;
    }

private:
    std::string Device() const { return std::string(1, Letter) + ":"; }
    void Unmap()
    {
        if (Mapped) DefineDosDeviceA(DDD_REMOVE_DEFINITION, Device().c_str(), nullptr);
        Mapped = false;
    }

    char Letter = 0;
    bool Mapped = false;
};

// A drop as the shell hands it over: the point and the ANSI file names.
HDROP MakeDrop(POINT at, const std::vector<std::string>& files)
{
    // The names end with an empty one; an empty list is two zero bytes, as readers step past the first.
    size_t size = sizeof(DROPFILES) + 2;
    for (const std::string& file : files) size += file.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = at;
    drop->fNC = FALSE;
    drop->fWide = FALSE;
    char* name = reinterpret_cast<char*>(drop + 1);
    for (const std::string& file : files) {
        std::memcpy(name, file.c_str(), file.size() + 1);
        name += file.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// The text the message loop's report would show next; empty when no error is kept.
std::string NextReport()
{
    const std::exception_ptr error = TakeKeptError();
    if (!error) return "";
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& raised) {
        return raised.what();
    }
}

class DirTreeMonitorTest : public ::testing::Test {
protected:
    void SetUp() override { Tree.CreateHandle(Host, RECT{0, 0, 280, 380}); }
    void TearDown() override
    {
        Tree.OnChange = nullptr;
        Tree.OnFindDir = nullptr;
        Tree.OnDropFiles = nullptr;
    }

    std::vector<HTREEITEM> Children(HTREEITEM node) const
    {
        std::vector<HTREEITEM> children;
        for (HTREEITEM child = Tree.FirstChild(node); child; child = Tree.NextSibling(child))
            children.push_back(child);
        return children;
    }

    TComApartment Com;
    TTempFolder Temp;
    TTestHost Host;
    TDirTree Tree;
};

TEST_F(DirTreeMonitorTest, ExchangedMediumRefreshesItsDriveOnceAndReportsTheDrive)
{
    const std::vector<char> volumes = TwoVolumes();
    if (volumes.size() < 2) GTEST_SKIP() << "no two volumes with different serial numbers";
    TMappedLetter drive;
    ASSERT_TRUE(drive.MapTo(volumes[0]));
    // The mapped drive's folders come from the handler, the same on either volume.
    const std::vector<std::string> folders{"one", "two", "three"};
    size_t next = 0;
    Tree.OnFindDir = [&](const std::string& path, TDirRec& rec, int& result, bool first) {
        if (first) next = 0;
        result = path == drive.Root() && next < folders.size() ? 0 : ERROR_NO_MORE_FILES;
        if (result != 0) return;
        rec.Name = folders[next++];
        rec.Attr = FILE_ATTRIBUTE_DIRECTORY;
    };
    ASSERT_TRUE(Tree.UpdateDrives());
    HTREEITEM root = Tree.FindNode(drive.Root());
    ASSERT_NE(root, nullptr);
    std::vector<HTREEITEM> changes;
    Tree.OnChange = [&changes](HTREEITEM node) { changes.push_back(node); };

    // Each way the tree can learn of the new medium: a folder of the drive is
    // selected, or the system reports a device change while one is selected.
    struct Case {
        const char* How;
        char Volume;
        bool ByDeviceChange;
    };
    for (const Case& exchange : {Case{"selection", volumes[1], false}, Case{"device change", volumes[0], true}}) {
        SCOPED_TRACE(exchange.How);
        Tree.Expand(root);
        const std::vector<HTREEITEM> loaded = Children(root);
        ASSERT_EQ(loaded.size(), 3u);
        ASSERT_EQ(Tree.ItemText(loaded[0]), "one");
        Tree.Select(loaded[1]);
        changes.clear();

        ASSERT_TRUE(drive.MapTo(exchange.Volume));
        if (exchange.ByDeviceChange) SendMessageA(Host.Handle(), WM_DEVICECHANGE, 0, 0);
        else Tree.Select(loaded[0]);

        // Deleting the selected folders moves the selection; that must not refresh the drive again.
        EXPECT_EQ(changes, std::vector<HTREEITEM>{root});
        const std::vector<HTREEITEM> refreshed = Children(root);
        ASSERT_EQ(refreshed.size(), 1u);
        EXPECT_EQ(Tree.EntryOf(refreshed[0]), nullptr);
        EXPECT_FALSE(Tree.EntryOf(root)->Scanned);
        EXPECT_EQ(Tree.GetDirectory(), drive.Root());

        // The new serial is stored: selecting on the drive again is an ordinary change.
        Tree.Expand(root);
        changes.clear();
        Tree.Select(Tree.FirstChild(root));
        EXPECT_EQ(changes, std::vector<HTREEITEM>{Tree.FirstChild(root)});
        Tree.Select(root);
    }
}

TEST_F(DirTreeMonitorTest, DroppedFilesReachTheHandlerOnlyOnANode)
{
    for (const char* name : {"first", "second"}) ASSERT_TRUE(CreateDirectoryA((Temp / name).c_str(), nullptr));
    Tree.SetDirectory(Temp.Text());
    HTREEITEM folder = Tree.FindNode(Temp.Text());
    Tree.Expand(folder);
    HTREEITEM first = Tree.FindNode(Temp / "first");
    HTREEITEM second = Tree.FindNode(Temp / "second");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    Tree.MakeVisible(second);
    Tree.MakeVisible(first);
    const auto centre = [this](HTREEITEM node) {
        const RECT text = Tree.ItemRect(node);
        return POINT{(text.left + text.right) / 2, (text.top + text.bottom) / 2};
    };
    // Right of a node's text is still its row, but no node.
    RECT client{};
    GetClientRect(Tree.Handle(), &client);
    const POINT beside{client.right - 2, centre(first).y};

    struct Drop {
        std::string Path;
        std::vector<std::string> Files;
        int X, Y;
    };
    std::vector<Drop> drops;
    Tree.OnDropFiles = [&drops](int x, int y, const std::string& dropDir, const std::vector<std::string>& files,
                                TShiftState) { drops.push_back({dropDir, files, x, y}); };

    struct Case {
        const char* What;
        bool Accept;
        POINT At;
        std::vector<std::string> Files;
        bool Reported;
    };
    const std::vector<Case> cases{
        {"two files on a folder", true, centre(second), {"C:\\a.txt", "C:\\dir\\b.txt"}, true},
        {"one file on another folder", true, centre(first), {"C:\\c.txt"}, true},
        {"beside the nodes", true, beside, {"C:\\d.txt"}, false},
        {"no files", true, centre(first), {}, false},
        {"drops switched off", false, centre(first), {"C:\\e.txt"}, false},
    };
    for (const Case& drop : cases) {
        SCOPED_TRACE(drop.What);
        drops.clear();
        Tree.SetAcceptDropFiles(drop.Accept);
        HDROP handle = MakeDrop(drop.At, drop.Files);
        SendMessageA(Tree.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
        if (!drop.Accept) DragFinish(handle);
        ASSERT_EQ(drops.size(), drop.Reported ? 1u : 0u);
        if (drop.Reported) {
            EXPECT_EQ(drops[0].Path, Tree.EntryOf(Tree.ItemAt(drop.At))->Path);
            EXPECT_EQ(drops[0].Files, drop.Files);
            EXPECT_EQ(drops[0].X, drop.At.x);
            EXPECT_EQ(drops[0].Y, drop.At.y);
        }
    }
}

TEST_F(DirTreeMonitorTest, HandlerErrorsOfDropsAndDeviceChangesAreKeptForTheReport)
{
    ASSERT_TRUE(CreateDirectoryA((Temp / "target").c_str(), nullptr));
    Tree.SetDirectory(Temp.Text());
    HTREEITEM folder = Tree.FindNode(Temp.Text());
    Tree.Expand(folder);
    HTREEITEM target = Tree.FindNode(Temp / "target");
    ASSERT_NE(target, nullptr);
    Tree.MakeVisible(target);
    const RECT text = Tree.ItemRect(target);
    const POINT centre{(text.left + text.right) / 2, (text.top + text.bottom) / 2};
    const auto dropHighlight = [this] {
        return reinterpret_cast<HTREEITEM>(SendMessageA(Tree.Handle(), TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
    };
    // Both messages come through hooks that Windows calls: what a handler
    // raises waits for the message loop's report.
    ASSERT_EQ(NextReport(), "");
    HTREEITEM highlightedMeanwhile = nullptr;
    Tree.SetAcceptDropFiles(true);
    Tree.OnDropFiles = [&](int, int, const std::string&, const std::vector<std::string>&, TShiftState) {
        highlightedMeanwhile = dropHighlight();
        throw ESetupError("The drop's handler failed.");
    };
    SendMessageA(Tree.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(centre, {"C:\\a.txt"})), 0);
    EXPECT_EQ(NextReport(), "The drop's handler failed.");
    EXPECT_EQ(highlightedMeanwhile, target) << "the node is highlighted while the drop's handler runs";
    EXPECT_EQ(dropHighlight(), nullptr) << "and no longer once it failed";

    Tree.OnChange = [](HTREEITEM) { throw ESetupError("The change's handler failed."); };
    SendMessageA(Host.Handle(), WM_DEVICECHANGE, 0, 0);
    EXPECT_EQ(NextReport(), "The change's handler failed.");
    EXPECT_EQ(NextReport(), "") << "each error kept once";

    // The tree goes on: selection changes are reported again.
    std::vector<HTREEITEM> changes;
    Tree.OnChange = [&changes](HTREEITEM node) { changes.push_back(node); };
    Tree.Select(target);
    EXPECT_EQ(changes, std::vector<HTREEITEM>{target});
}

TEST_F(DirTreeMonitorTest, ShareOverlayParsesEveryLevelInTheShellAndSwitchesOff)
{
    ASSERT_TRUE(CreateDirectoryA((Temp / "inner").c_str(), nullptr));
    Tree.SetDirectory(Temp.Text());
    Tree.SetShowShareOverlay(true);
    // Loaded after the switch: the new node is parsed when its entry is attached.
    HTREEITEM folder = Tree.FindNode(Temp.Text());
    Tree.Expand(folder);
    HTREEITEM inner = Tree.FindNode(Temp / "inner");
    ASSERT_NE(inner, nullptr);

    // Every level, the drive in My Computer and each folder in its parent's
    // shell folder, has its shell identity. Wine shares no folder, so none
    // carries the overlay.
    std::vector<HTREEITEM> levels{inner};
    for (HTREEITEM node = folder; node; node = Tree.ParentOf(node)) levels.push_back(node);
    for (HTREEITEM node : levels) {
        const TDirEntry* entry = Tree.EntryOf(node);
        SCOPED_TRACE(entry->Path);
        EXPECT_NE(entry->ItemId.Get(), nullptr);
        EXPECT_NE(entry->ShellFolder.Get(), nullptr);
        EXPECT_EQ(Tree.ItemOverlay(node), -1);
    }

    // As if the inner folder were shared: switching off clears the whole tree.
    Tree.SetItemOverlay(inner, 0);
    Tree.SetShowShareOverlay(false);
    for (HTREEITEM node : levels) EXPECT_EQ(Tree.ItemOverlay(node), -1);
}

}  // namespace
