#include "folders/FolderRules.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace folders;

namespace {

constexpr uint32_t kPlain = 0;
constexpr uint32_t kReadOnly = 0x01;

TEST(FolderRules, PathArithmetic)
{
    EXPECT_EQ(CountBackslashes("C:\\a\\b\\"), 3);
    EXPECT_EQ(PathPrefix("C:\\A\\B\\", 1), "C:\\");
    EXPECT_EQ(PathPrefix("C:\\A\\B\\", 3), "C:\\A\\B\\");
    EXPECT_EQ(PathPrefix("C:\\A\\B", 3), "C:\\A\\B");
    EXPECT_EQ(LastComponent("C:\\Program Files\\"), "Program Files");
    EXPECT_EQ(DriveRootOf("e:\\x"), "E:\\");
}

// Each rule decides in its order: dtAll first, then one filter per attribute, then dtNormal.
TEST(FolderRules, AcceptAttributesInTheirOrder)
{
    EXPECT_TRUE(AcceptAttributes(kAttrHidden | kAttrSystem, TDirTypes{dtAll}));
    EXPECT_TRUE(AcceptAttributes(kPlain, TDirTypes{dtNormal}));
    EXPECT_TRUE(AcceptAttributes(kReadOnly, TDirTypes{dtNormal}));
    EXPECT_FALSE(AcceptAttributes(kAttrHidden, TDirTypes{dtNormal}));
    EXPECT_FALSE(AcceptAttributes(kAttrSystem, TDirTypes{dtNormal, dtHidden}));
    EXPECT_FALSE(AcceptAttributes(kAttrArchive, TDirTypes{dtNormal}));
    EXPECT_TRUE(AcceptAttributes(kAttrArchive, TDirTypes{dtNormal, dtArchive}));
    EXPECT_TRUE(AcceptAttributes(kAttrHidden, TDirTypes{dtHidden}));
    EXPECT_FALSE(AcceptAttributes(kPlain, TDirTypes{dtHidden}));
    EXPECT_FALSE(AcceptAttributes(kReadOnly, TDirTypes{dtReadOnly}));
    EXPECT_FALSE(AcceptAttributes(kAttrHidden | kAttrArchive, TDirTypes{dtHidden}));
    EXPECT_TRUE(AcceptAttributes(kAttrHidden | kAttrArchive, TDirTypes{dtHidden, dtArchive}));
}

TEST(FolderRules, RecycleBinFolderIsListedButNotWhatIsBelowIt)
{
    EXPECT_FALSE(IsBelowRecycleBin("C:\\RECYCLED\\"));
    EXPECT_FALSE(IsBelowRecycleBin("C:\\Recycler\\"));
    EXPECT_TRUE(IsBelowRecycleBin("C:\\RECYCLED\\x\\"));
    EXPECT_TRUE(IsBelowRecycleBin("D:\\deep\\down\\recycler\\S-1-5\\"));
    EXPECT_FALSE(IsBelowRecycleBin("C:\\deep\\Recycled\\"));
    EXPECT_FALSE(IsBelowRecycleBin("C:\\Recycledx\\y\\"));
    EXPECT_FALSE(IsBelowRecycleBin("C:\\"));
}

TEST(FolderRules, DriveTypesFilterAllButNoRootAndNewerTypes)
{
    const TDriveTypes chooser{drtUnknown, drtFixed, drtRemote};
    const std::map<unsigned, bool> expected{{0, true}, {1, true}, {2, false}, {3, true},
                                            {4, true}, {5, false}, {6, false}, {7, true}};
    for (const auto& [type, accepted] : expected) EXPECT_EQ(DriveTypeAccepted(type, chooser), accepted) << type;
    EXPECT_TRUE(DriveTypeAccepted(1, TDriveTypes{}));
    for (unsigned type = 0; type <= 6; ++type) EXPECT_TRUE(DriveTypeAccepted(type, kAllDriveTypes)) << type;
}

TEST(FolderRules, DriveLabels)
{
    EXPECT_EQ(DriveLabelText(true, "System", 'c'), "System (C:)");
    EXPECT_EQ(DriveLabelText(true, "", 'C'), " (C:)");
    EXPECT_EQ(DriveLabelText(false, "ignored", 'd'), "(D:)");
}

TEST(FolderRules, TruePathNameTakesStoredCapitalisation)
{
    const std::map<std::string, std::string> disk{{"c:\\program files", "Program Files"},
                                                  {"c:\\program files\\foo", "Foo"}};
    const auto stored = [&disk](const std::string& path) {
        const auto found = disk.find(path);
        return found == disk.end() ? std::string() : found->second;
    };
    EXPECT_EQ(TruePathName("c:\\program files\\foo\\", stored), "C:\\Program Files\\Foo");
    EXPECT_EQ(TruePathName("c:\\program files\\missing", stored), "C:\\Program Files\\missing");
    EXPECT_EQ(TruePathName("c:\\", stored), "c:");
    EXPECT_EQ(TruePathName("plain", stored), "plain");
}

TEST(FolderRules, PathLevelsOfAddPathNodes)
{
    const std::vector<TPathLevel> levels = PathLevels("C:\\Program Files\\New Folder");
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].Parent, "C:\\");
    EXPECT_EQ(levels[0].Name, "Program Files");
    EXPECT_EQ(levels[1].Parent, "C:\\Program Files\\");
    EXPECT_EQ(levels[1].Name, "New Folder");
    EXPECT_TRUE(PathLevels("nothing").empty());
}

TEST(FolderRules, NewFolderNumberingSkipsOne)
{
    std::set<std::string> existing;
    const auto taken = [&existing](const std::string& name) { return existing.count(name) > 0; };
    EXPECT_EQ(NewFolderName(taken), "New Folder");
    existing = {"New Folder"};
    EXPECT_EQ(NewFolderName(taken), "New Folder 2");
    existing = {"New Folder", "New Folder 2"};
    EXPECT_EQ(NewFolderName(taken), "New Folder 3");
    existing = {"New Folder 2"};
    EXPECT_EQ(NewFolderName(taken), "New Folder");
}

TEST(FolderRules, ConfirmationTextsOnlyGermanForExactlyGerman)
{
    const TConfirmationTexts german = ConfirmationTexts("German");
    EXPECT_EQ(german.Caption, "Best\xE4tigung!");
    EXPECT_EQ(german.Yes, "Ja");
    EXPECT_EQ(german.No, "Nein");
    for (const char* language : {"English", "French", "Spanish", "german", "GERMAN", ""}) {
        const TConfirmationTexts english = ConfirmationTexts(language);
        EXPECT_EQ(english.Caption, "Confirmation!") << language;
        EXPECT_EQ(english.Yes, "Yes") << language;
        EXPECT_EQ(english.No, "No") << language;
    }
}

TEST(FolderRules, ChildrenSortIgnoringCaseKeepingData)
{
    int a = 1, b = 2, c = 3, d = 4, e = 5;
    std::vector<TFoundFolder> found{{"gamma", &c}, {"beta", &e}, {"Beta", &b}, {"delta", &d}, {"ALPHA", &a}};
    SortByName(found, CompareIgnoringAsciiCase);
    // Names equal but for case go in byte order, whatever the listing's order.
    const std::vector<std::pair<std::string, int*>> expected{
        {"ALPHA", &a}, {"Beta", &b}, {"beta", &e}, {"delta", &d}, {"gamma", &c}};
    ASSERT_EQ(found.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(found[i].Name, expected[i].first) << i;
        EXPECT_EQ(found[i].Data, expected[i].second) << i;
    }
}

}  // namespace
