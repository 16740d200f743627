#include "folders/DirTree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "tests/TestSupport.h"
#include "tests/folders/TestHost.h"
#include "utilities/SetupError.h"

namespace {

void MakeFolder(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
}

std::string CurrentDriveRoot()
{
    char path[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof path, path);
    return std::string(1, path[0]) + ":\\";
}

std::string Lower(std::string text)
{
    CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

class DirTreeTest : public ::testing::Test {
protected:
    void SetUp() override { Tree.CreateHandle(Host, RECT{0, 0, 280, 380}); }

    // The temporary folder's node, loaded, with the texts of its children in tree order.
    std::vector<std::string> ChildTexts()
    {
        Tree.SetDirectory(Temp.Text());
        HTREEITEM node = Tree.FindNode(Temp.Text());
        EXPECT_NE(node, nullptr);
        Tree.Expand(node);
        std::vector<std::string> texts;
        for (HTREEITEM child = Tree.FirstChild(node); child; child = Tree.NextSibling(child))
            texts.push_back(Tree.ItemText(child));
        return texts;
    }

    TComApartment Com;
    TTempFolder Temp;
    TTestHost Host;
    TDirTree Tree;
};

using Texts = std::vector<std::string>;

TEST_F(DirTreeTest, DrivesAreTopLevelNodesWithLabels)
{
    HTREEITEM first = Tree.FirstTopLevel();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Tree.EntryOf(first)->Path, "C:\\");
    EXPECT_NE(Tree.ItemText(first).find("(C:)"), std::string::npos) << Tree.ItemText(first);
    EXPECT_GE(Tree.ItemImage(first), 0);
    EXPECT_EQ(Tree.GetDirectory(), "?");
}

TEST_F(DirTreeTest, ChildrenSortIgnoringCaseAndProbeGivesOnePlaceholder)
{
    for (const char* name : {"gamma", "Beta", "delta", "ALPHA", "empty"}) MakeFolder(Temp / name);
    MakeFolder(Temp / "Beta\\one");
    MakeFolder(Temp / "Beta\\two");
    WriteAll(Temp / "delta\\file.txt", TextBytes("a file is no subfolder"));
    WriteAll(Temp / "zfile", TextBytes("not a folder"));

    EXPECT_EQ(ChildTexts(), (Texts{"ALPHA", "Beta", "delta", "empty", "gamma"}));
    HTREEITEM beta = Tree.FindNode(Temp / "beta");
    ASSERT_NE(beta, nullptr);
    HTREEITEM placeholder = Tree.FirstChild(beta);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(Tree.EntryOf(placeholder), nullptr);
    EXPECT_EQ(Tree.NextSibling(placeholder), nullptr);
    EXPECT_FALSE(Tree.EntryOf(beta)->Scanned);
    EXPECT_EQ(Tree.FirstChild(Tree.FindNode(Temp / "delta")), nullptr);
    EXPECT_EQ(Tree.FirstChild(Tree.FindNode(Temp / "empty")), nullptr);

    Tree.Expand(beta);
    Tree.Expand(beta);
    EXPECT_TRUE(Tree.EntryOf(beta)->Scanned);
    EXPECT_EQ(Tree.ItemText(Tree.FirstChild(beta)), "one");
}

TEST_F(DirTreeTest, DirTypesFilterHiddenAndSystemFolders)
{
    MakeFolder(Temp / "plain");
    MakeFolder(Temp / "hidden", FILE_ATTRIBUTE_HIDDEN);
    MakeFolder(Temp / "system", FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(ChildTexts(), (Texts{"hidden", "plain", "system"}));
    Tree.SetDirTypes({folders::dtNormal});
    EXPECT_EQ(ChildTexts(), (Texts{"plain"}));
    Tree.SetDirTypes({folders::dtNormal, folders::dtSystem});
    EXPECT_EQ(ChildTexts(), (Texts{"plain", "system"}));
    Tree.SetDirTypes({folders::dtNormal, folders::dtHidden});
    EXPECT_EQ(ChildTexts(), (Texts{"hidden", "plain"}));
    // Hidden folders alone: the plain folders on the way to the temporary folder are gone too.
    Tree.SetDirTypes({folders::dtHidden});
    Tree.SetDirectory(Temp.Text());
    EXPECT_EQ(Tree.FindNode(Temp.Text()), nullptr);
}

TEST_F(DirTreeTest, NothingBelowTheRecycleBinUnlessAsked)
{
    MakeFolder(Temp / "RECYCLED");
    MakeFolder(Temp / "RECYCLED\\inner");
    Tree.SetDirectory(Temp / "RECYCLED");
    EXPECT_EQ(Tree.GetDirectory(), Temp / "RECYCLED\\");
    Tree.SetDirectory(Temp / "RECYCLED\\inner");
    EXPECT_EQ(Tree.GetDirectory(), Temp / "RECYCLED\\");

    Tree.SetGoBelowRecycleBin(true);
    Tree.SetDirectory(Temp / "RECYCLED\\inner");
    EXPECT_EQ(Tree.GetDirectory(), Temp / "RECYCLED\\inner\\");
}

TEST_F(DirTreeTest, SetDirectoryFindsStoredNamesAndFallsBackToTheCurrentDrive)
{
    MakeFolder(Temp / "Mixed Case");
    Tree.SetDirectory(Lower(Temp / "mixed case"));
    EXPECT_EQ(Tree.GetDirectory(), Temp / "Mixed Case\\");

    Tree.SetDirectory("?");
    EXPECT_EQ(Tree.GetDirectory(), Temp / "Mixed Case\\");
    EXPECT_THROW(
        try { Tree.SetDirectory(""); } catch (const ESetupError& error) {
            EXPECT_STREQ(error.what(), "Invalid Path Name");
            throw;
        },
        ESetupError);

    Tree.SetDirectory(Temp / "does not exist");
    EXPECT_EQ(Tree.GetDirectory(), CurrentDriveRoot());
}

TEST_F(DirTreeTest, EventsVetoAndReplaceTheEnumeration)
{
    for (const char* name : {"keep", "veto"}) MakeFolder(Temp / name);
    std::vector<std::string> asked;
    Tree.OnAddDir = [&asked](const std::string& path, bool& doAdd) {
        asked.push_back(path);
        if (path.find("veto") != std::string::npos) doAdd = false;
    };
    EXPECT_EQ(ChildTexts(), (Texts{"keep"}));
    EXPECT_NE(std::find(asked.begin(), asked.end(), Temp / "veto\\"), asked.end());

    // Names the handler makes up, in an order of its own; each node keeps the handler's value.
    static int values[] = {1, 2, 3};
    const std::vector<std::string> names{"zz", "Mm", "aa"};
    Tree.OnAddDir = nullptr;
    Tree.OnFindDir = [&names](const std::string&, TDirRec& rec, int& result, bool first) {
        static size_t next;
        if (first) next = 0;
        result = next < names.size() ? 0 : 18;
        if (result) return;
        rec.Name = names[next];
        rec.Attr = FILE_ATTRIBUTE_DIRECTORY;
        rec.Data = &values[next++];
    };
    Tree.SetDirectory("C:\\");
    HTREEITEM drive = Tree.FindNode("C:\\");
    Tree.ResetNode(drive);
    Tree.Expand(drive);
    HTREEITEM first = Tree.FirstChild(drive);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Tree.ItemText(first), "aa");
    EXPECT_EQ(Tree.EntryOf(first)->Data, &values[2]);
    EXPECT_EQ(Tree.ItemText(Tree.NextSibling(first)), "Mm");
}

TEST_F(DirTreeTest, NodesFoundAddedAndDeletedByPath)
{
    MakeFolder(Temp / "existing");
    ChildTexts();
    MakeFolder(Temp / "Added Later");
    EXPECT_EQ(Tree.FindNode(Temp / "added later"), nullptr);
    Tree.AddPathNodes(Temp / "Added Later");
    HTREEITEM added = Tree.FindNode(Temp / "added later");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(Tree.ItemText(added), "Added Later");
    EXPECT_EQ(Tree.ItemText(Tree.FirstChild(Tree.FindNode(Temp.Text()))), "Added Later");

    std::vector<HTREEITEM> deleted;
    Tree.OnDeleteItem = [&deleted](HTREEITEM node) { deleted.push_back(node); };
    Tree.DeleteNode(Temp / "ADDED LATER\\");
    EXPECT_EQ(Tree.FindNode(Temp / "added later"), nullptr);
    EXPECT_EQ(deleted, std::vector<HTREEITEM>{added});
    // The tree outlives this list and deletes its remaining nodes when it goes.
    Tree.OnDeleteItem = nullptr;
}

TEST_F(DirTreeTest, WindowRecreationKeepsTheSelection)
{
    MakeFolder(Temp / "kept");
    Tree.SetDirectory(Temp / "kept");
    Tree.DestroyHandle();
    EXPECT_EQ(Tree.GetDirectory(), "?");
    Tree.CreateHandle(Host, RECT{0, 0, 280, 380});
    EXPECT_EQ(Tree.GetDirectory(), Temp / "kept\\");
}

TEST_F(DirTreeTest, SelectionChangesReportedOnlyOutsideBulkWork)
{
    MakeFolder(Temp / "one");
    std::vector<HTREEITEM> changes;
    Tree.OnChange = [&changes](HTREEITEM node) { changes.push_back(node); };
    Tree.ReadDrives();
    EXPECT_TRUE(changes.empty());
    Tree.SetDirectory(Temp / "one");
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), Tree.FindNode(Temp / "one"));
    EXPECT_FALSE(Tree.UpdateDrives());
}

TEST_F(DirTreeTest, ReadDrivesRunsEveryPendingMessageAndKeepsAQuitRequest)
{
    int delivered = 0;
    TWindowHook counter;
    counter.Install(Host.Handle(), [&delivered](UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message != WM_APP) return false;
        ++delivered;
        result = 0;
        return true;
    });
    struct Case {
        int Posted;
        int ExitCode;
    };
    for (const Case& pending : {Case{2, 7}, Case{0, 9}}) {
        SCOPED_TRACE(pending.Posted);
        delivered = 0;
        for (int i = 0; i < pending.Posted; ++i) PostMessageA(Host.Handle(), WM_APP, 0, 0);
        PostQuitMessage(pending.ExitCode);
        Tree.ReadDrives();
        EXPECT_EQ(delivered, pending.Posted);
        MSG quit{};
        EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(quit.wParam, static_cast<WPARAM>(pending.ExitCode));
        EXPECT_NE(Tree.FindNode("C:\\"), nullptr);
    }
}

TEST(DirExists, DrivesFoldersAndWhatCountsAsAbsent)
{
    TTempFolder temp;
    MakeFolder(temp / "visible");
    MakeFolder(temp / "hidden", FILE_ATTRIBUTE_HIDDEN);
    WriteAll(temp / "file", TextBytes("x"));
    EXPECT_TRUE(DirExists("C:\\"));
    EXPECT_TRUE(DirExists("c:\\"));
    EXPECT_FALSE(DirExists("1:\\"));
    EXPECT_FALSE(DirExists(""));
    EXPECT_TRUE(DirExists(temp / "visible"));
    EXPECT_TRUE(DirExists(temp / "visible\\"));
    EXPECT_FALSE(DirExists(temp / "hidden"));
    EXPECT_FALSE(DirExists(temp / "file"));
    EXPECT_FALSE(DirExists(temp / "missing"));
}

}  // namespace
