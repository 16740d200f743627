#include "utilities/FolderTree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "tests/TestSupport.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

namespace fs = std::filesystem;

namespace {

void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    WriteAll(path, TextBytes("payload"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
}

void MakeFolder(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
}

// The message DeleteFolderTree raises, or "" when it does not raise.
std::string FailureOf(const std::string& folder)
{
    try {
        DeleteFolderTree(folder);
    } catch (const ESetupError& error) {
        return error.what();
    }
    return "";
}

TEST(DeleteFolderTree, RemovesEverythingWhateverItsAttributes)
{
    const TTempFolder temp;
    const std::string top = temp / "top";
    MakeFolder(top, FILE_ATTRIBUTE_READONLY);
    MakeFile(top + "\\plain.txt");
    MakeFile(top + "\\locked.txt", FILE_ATTRIBUTE_READONLY);
    MakeFile(top + "\\secret.sys", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    MakeFolder(top + "\\sub", FILE_ATTRIBUTE_READONLY);
    MakeFolder(top + "\\sub\\deeper", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(top + "\\sub\\deeper\\last.dat", FILE_ATTRIBUTE_READONLY);
    MakeFile(top + "\\sub\\noext");
    MakeFolder(top + "\\empty", FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(FailureOf(top), "");
    EXPECT_FALSE(fs::exists(top));
    EXPECT_TRUE(fs::exists(temp.Path()));
}

TEST(DeleteFolderTree, LeavesMissingFoldersAndFilesAlone)
{
    const TTempFolder temp;
    EXPECT_EQ(FailureOf(temp / "missing"), "");
    EXPECT_EQ(FailureOf(temp / "missing\\deeper\\"), "");

    // Only folders are deleted: a file of that name stays.
    const std::string file = temp / "not-a-folder";
    MakeFile(file);
    EXPECT_EQ(FailureOf(file), "");
    EXPECT_TRUE(files::FileExists(file));
}

TEST(DeleteFolderTree, AcceptsATrailingBackslash)
{
    const TTempFolder temp;
    const std::string top = temp / "top";
    MakeFolder(top);
    MakeFolder(top + "\\sub");
    MakeFile(top + "\\sub\\file.txt", FILE_ATTRIBUTE_READONLY);
    MakeFile(top + "\\file.txt");

    EXPECT_EQ(FailureOf(top + "\\"), "");
    EXPECT_FALSE(fs::exists(top));
}

// A file held open without FILE_SHARE_DELETE cannot be deleted, so its folder
// stays non-empty and its removal fails.
class DeleteFolderTreeWithOpenFile : public ::testing::Test {
protected:
    void HoldOpen(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
    {
        MakeFile(path, attributes);
        ASSERT_TRUE(Held.OpenForReading(path)) << path;
    }

    TTempFolder Temp;
    const std::string Top = Temp / "top";
    files::TFile Held;
};

TEST_F(DeleteFolderTreeWithOpenFile, NamesTheOutermostFolderAndEntry)
{
    MakeFolder(Top);
    MakeFile(Top + "\\a-first.txt");
    MakeFolder(Top + "\\b-outer");
    MakeFolder(Top + "\\b-outer\\inner");
    HoldOpen(Top + "\\b-outer\\inner\\open.txt");
    MakeFile(Top + "\\b-outer\\inner\\z-after.txt");

    EXPECT_EQ(FailureOf(Top), "Aborted deleting Directory: " + Top + "file: b-outer");
    // The failure stops the walk at the outermost entry; the entries before it are gone.
    EXPECT_FALSE(fs::exists(Top + "\\a-first.txt"));
    EXPECT_FALSE(fs::exists(Top + "\\b-outer\\inner\\z-after.txt"));
    EXPECT_TRUE(fs::exists(Top + "\\b-outer\\inner\\open.txt"));
}

TEST_F(DeleteFolderTreeWithOpenFile, StopsAtTheFailingEntry)
{
    MakeFolder(Top);
    MakeFolder(Top + "\\a-blocked");
    HoldOpen(Top + "\\a-blocked\\open.txt");
    MakeFolder(Top + "\\b-later");
    MakeFile(Top + "\\c-later.txt");

    EXPECT_EQ(FailureOf(Top), "Aborted deleting Directory: " + Top + "file: a-blocked");
    EXPECT_TRUE(fs::exists(Top + "\\b-later"));
    EXPECT_TRUE(fs::exists(Top + "\\c-later.txt"));
}

TEST_F(DeleteFolderTreeWithOpenFile, NamesNoEntryWhenTheFolderItselfStays)
{
    MakeFolder(Top, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    const std::string open = Top + "\\open.txt";
    HoldOpen(open, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

    EXPECT_EQ(FailureOf(Top), "Aborted deleting Directory: " + Top + "file: ");
    EXPECT_EQ(FailureOf(Top + "\\"), "Aborted deleting Directory: " + Top + "\\file: ");
    // Only the read-only flag was taken away on the way. (Wine marks every file
    // "archive" and keeps no read-only flag on folders, so for them this checks
    // only that "hidden" stays.)
    constexpr DWORD kWatched = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    EXPECT_EQ(GetFileAttributesA(open.c_str()) & kWatched, DWORD{FILE_ATTRIBUTE_HIDDEN});
    EXPECT_EQ(GetFileAttributesA(Top.c_str()) & kWatched, DWORD{FILE_ATTRIBUTE_HIDDEN});
}

}  // namespace
