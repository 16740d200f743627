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

TEST(MemberNames, RefuseAnythingThatLeavesTheFolder)
{
    for (const char* good : {"a.txt", "Setup.ini", ".hidden", "a..b", "x y", "console", "icon.ico", "nul1", "com10",
                             "lpt0", "com", "auxiliary.txt", "xcon", "con_.txt"})
        EXPECT_TRUE(IsSafeFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "...", ". .", "a\\b", "a/b", "c:x", "stream:$DATA"})
        EXPECT_FALSE(IsSafeFileName(bad)) << bad;
    // Windows devices, in any case, with any extension or trailing spaces.
    for (const char* device : {"CON", "prn", "Aux", "nul", "NUL.txt", "nul.tar.gz", "con .log", "COM1", "com9.dat",
                               "Lpt1", "LPT9.x", "aux."})
        EXPECT_FALSE(IsSafeFileName(device)) << device;
    EXPECT_FALSE(IsSafeFileName(std::string("a\0b", 3)));

    for (const char* good : {"", "sub", "sub\\inner\\", "\\sub\\\\inner\\", "a..b\\c", ".x\\y"})
        EXPECT_TRUE(IsSafeFilePath(good, "dest")) << good;
    for (const char* bad : {"..", "..\\", "a\\..\\b", "a/../b", "C:\\x", "c:", "a\\.\\b", "a\\ ..\\b", "con\\x",
                            "a\\Lpt3\\", "a\\nul.d\\b"})
        EXPECT_FALSE(IsSafeFilePath(bad, "dest")) << bad;
    EXPECT_TRUE(IsSafeFilePath("\\rooted", "dest"));
    EXPECT_FALSE(IsSafeFilePath("\\rooted", ""));
    EXPECT_FALSE(IsSafeFilePath("/rooted", ""));
}

// What a setup unpacks must come out under the name it was packed with.
TEST(MemberNames, WindowsCreatesOnlySomeAsWritten)
{
    for (const char* good : {"a.txt", ".hidden", "a..b", " leading space", "x y", "a=b;c,d", "con_.txt", "Console",
                             "na\xEFve", "[1] {2} #3 %4 &5 'six' ~7"})
        EXPECT_TRUE(IsWindowsFileName(good)) << good;
    for (const char* bad : {"", "a?b.txt", "pi|pe", "say \"hi\"", "a*b", "a<b", "a>b", "dot.", "space ", "dots..",
                            "tab\tname", "bell\x07", "\x1F", "a:b", "a\\b", "a/b", "..", "CON", "nul.txt", "Lpt1.log"})
        EXPECT_FALSE(IsWindowsFileName(bad)) << bad;
    EXPECT_FALSE(IsWindowsFileName(std::string("a\0b", 3)));
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
