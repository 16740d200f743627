#include "archive/MemberPaths.h"

#include <gtest/gtest.h>

#include "archive/ArchiveFormat.h"
#include "utilities/FileSystem.h"

namespace {

std::string Host(std::string path)
{
    for (char& c : path)
        if (c == '\\') c = files::kPathDelim;
    return path;
}

TEST(MemberFolder, JoinsAsPlainTextAndCollapsesSeparatorRuns)
{
    EXPECT_EQ(MemberFolder(Host("C:\\dest\\"), "\\sub\\\\inner\\", true), Host("C:\\dest\\sub\\inner"));
    EXPECT_EQ(MemberFolder(Host("C:\\dest"), "sub", true), Host("C:\\destsub"));
    EXPECT_EQ(MemberFolder(Host("C:\\dest\\"), "ignored\\", false), Host("C:\\dest"));
    EXPECT_EQ(MemberFolder(Host("\\\\server\\share\\"), "", true), Host("\\server\\share"));
    EXPECT_EQ(MemberFolder("", "", true), "");
    EXPECT_EQ(MemberFolder(Host("\\"), "", false), "");
}

// Each name keeps to the Windows path rules (WindowsPathTest); a stored
// folder adds where it is joined.
TEST(MemberPaths, StoredFoldersStayBelowTheDestination)
{
    for (const char* good : {"", "sub", "sub\\inner\\", "\\sub\\\\inner\\", "a..b\\c", ".x\\y"})
        EXPECT_TRUE(IsSafeFilePath(good, "dest")) << good;
    for (const char* bad : {"..\\", "a/../b", "C:\\x", "a\\ ..\\b", "a\\nul.d\\b"})
        EXPECT_FALSE(IsSafeFilePath(bad, "dest")) << bad;
    EXPECT_TRUE(IsSafeFilePath("\\rooted", "dest"));
    EXPECT_FALSE(IsSafeFilePath("\\rooted", ""));
    EXPECT_FALSE(IsSafeFilePath("/rooted", ""));
}

TEST(FileRecord, FieldsSitAtTheirOffsetsLittleEndian)
{
    TZLBFileEntry entry;
    entry.SetFileName("name");
    entry.SetFilePath("p\\q");
    entry.SetUncompressedSize(0x01020304);
    entry.SetDataOffset(-2);
    entry.SetCrc32(0xA1B2C3D4);
    entry.SetStored(true);
    EXPECT_EQ(entry.Bytes[0], 4);
    EXPECT_EQ(entry.Bytes[1], 'n');
    EXPECT_EQ(entry.Bytes[256], 3);
    EXPECT_EQ(entry.Bytes[257], 'p');
    EXPECT_EQ(entry.Bytes[512], 0x04);
    EXPECT_EQ(entry.Bytes[515], 0x01);
    EXPECT_EQ(entry.Bytes[520], 0xFE);
    EXPECT_EQ(entry.Bytes[523], 0xFF);
    EXPECT_EQ(entry.Bytes[524], 0xD4);
    EXPECT_EQ(entry.Bytes[528], 1);
    EXPECT_EQ(entry.DataOffset(), -2);
    EXPECT_EQ(entry.Crc32(), 0xA1B2C3D4u);
    int nonZero = 0;
    for (uint8_t byte : entry.Bytes) nonZero += byte != 0;
    EXPECT_EQ(nonZero, 4 + 1 + 3 + 1 + 4 + 4 + 4 + 1);

    entry.SetFileName("x");  // a shorter name leaves no trace of the longer one
    EXPECT_EQ(entry.Bytes[2], 0);
}

TEST(Trailer, FieldsSitAtTheirOffsets)
{
    TZLBTrailer trailer;
    trailer.SetCrc32(0x11223344);
    trailer.SetEntryCount(-5);
    trailer.SetListOffset(0x7FFFFFFF);
    trailer.SetListCompressed(true);
    EXPECT_EQ(trailer.Bytes[0], 0x44);
    EXPECT_EQ(trailer.Bytes[4], 0xFB);
    EXPECT_EQ(trailer.Bytes[19], 0x7F);
    EXPECT_EQ(trailer.Bytes[20], 1);
    EXPECT_EQ(trailer.EntryCount(), -5);
    trailer.Bytes[20] = 0x80;
    EXPECT_TRUE(trailer.ListCompressed());
}

TEST(Crc32, IsTheStandardOne)
{
    const char text[] = "123456789";
    EXPECT_EQ(UpdateCrc32(0, text, 9), 0xCBF43926u);
    EXPECT_EQ(UpdateCrc32(UpdateCrc32(0, text, 4), text + 4, 5), 0xCBF43926u);
}

}  // namespace
