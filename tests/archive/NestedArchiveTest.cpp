#include "archive/NestedArchive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/TestSupport.h"
#include "utilities/SetupError.h"

namespace fs = std::filesystem;

namespace {

Bytes ArchiveOf(const std::vector<std::pair<std::string, Bytes>>& members)
{
    TRawArchive raw;
    for (const auto& [name, data] : members) raw.AddMember(name, data);
    return raw.Build();
}

// Every file below root, as "relative/path" (forward slashes), sorted.
std::vector<std::string> FilesBelow(const fs::path& root)
{
    std::vector<std::string> found;
    for (const auto& item : fs::recursive_directory_iterator(root))
        if (item.is_regular_file()) found.push_back(item.path().lexically_relative(root).generic_string());
    std::sort(found.begin(), found.end());
    return found;
}

TEST(NestedArchive, UnpacksEveryLevelAndDeletesTheArchives)
{
    TTempFolder temp;
    const Bytes deep = ArchiveOf({{"b.txt", TextBytes("deep")}});
    const Bytes fonts = ArchiveOf({{"a.ttf", TextBytes("font")}, {"Deep.X", deep}});
    WriteAll(temp.Path() / "Additional.x",
             ArchiveOf({{"Fonts.x", fonts}, {"readme.txt", TextBytes("plain")}, {"Extra.X", deep}}));
    ExtractNestedArchive(temp / "Additional.x");
    EXPECT_EQ(FilesBelow(temp.Path()), (std::vector<std::string>{"Additional/Extra/b.txt", "Additional/Fonts/Deep/b.txt",
                                                                 "Additional/Fonts/a.ttf", "Additional/readme.txt"}));
    EXPECT_EQ(ReadAll(temp.Path() / "Additional" / "Fonts" / "Deep" / "b.txt"), TextBytes("deep"));
}

TEST(NestedArchive, DamagedInnerArchiveStopsAndKeepsTheOuterOne)
{
    TTempFolder temp;
    WriteAll(temp.Path() / "Additional.x", ArchiveOf({{"Broken.x", TextBytes("not an archive at all, really")}}));
    try {
        ExtractNestedArchive(temp / "Additional.x");
        ADD_FAILURE() << "a damaged inner archive must fail";
    } catch (const ESetupError& error) {
        EXPECT_STREQ(error.what(), "The archive file appears to be corrupted");
    }
    EXPECT_TRUE(fs::exists(temp.Path() / "Additional.x"));
    EXPECT_TRUE(fs::exists(temp.Path() / "Additional" / "Broken.x"));
}

TEST(NestedArchive, FolderNamedLikeAnArchiveIsNotFound)
{
    TTempFolder temp;
    fs::create_directories(temp.Path() / "Additional" / "Folder.x");
    WriteAll(temp.Path() / "Additional.x", ArchiveOf({{"file.txt", TextBytes("x")}}));
    try {
        ExtractNestedArchive(temp / "Additional.x");
        ADD_FAILURE() << "a folder ending in .x must fail";
    } catch (const ESetupError& error) {
        EXPECT_STREQ(error.what(), "Archive file not found");
    }
}

TEST(NestedArchive, ArchiveWithoutANameOfItsOwnIsRefused)
{
    // ".x" would unpack beside itself, find itself again and never end.
    TTempFolder temp;
    const Bytes self = ArchiveOf({{"file.txt", TextBytes("x")}});
    WriteAll(temp.Path() / "Additional.x", ArchiveOf({{".x", self}}));
    EXPECT_THROW(ExtractNestedArchive(temp / "Additional.x"), ESetupError);
    WriteAll(temp.Path() / "..x", self);
    EXPECT_THROW(ExtractNestedArchive(temp / "..x"), ESetupError);
}

TEST(NestedArchive, MembersStayInsideTheirFolder)
{
    TTempFolder temp;
    TRawArchive inner;
    TZLBFileEntry& entry = inner.AddMember("placeholder", TextBytes("escaped"));
    entry.SetFileName("..");
    WriteAll(temp.Path() / "Additional.x", ArchiveOf({{"Evil.x", inner.Build()}}));
    EXPECT_THROW(ExtractNestedArchive(temp / "Additional.x"), ESetupError);
    for (const std::string& file : FilesBelow(temp.Path())) EXPECT_NE(file, "Additional/..") << file;
}

}  // namespace
