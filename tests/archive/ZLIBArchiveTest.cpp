#include "archive/ZLIBArchive.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <utility>

#include "tests/TestSupport.h"
#include "utilities/SetupError.h"

namespace fs = std::filesystem;

namespace {

using Event = std::pair<std::string, int>;

// Expects the call to raise the system error with exactly this text.
template <typename Call>
void ExpectError(Call call, const std::string& message)
{
    try {
        call();
        ADD_FAILURE() << "no error, expected: " << message;
    } catch (const ESetupError& error) {
        EXPECT_EQ(error.what(), message);
    }
}

std::string Host(std::string path)
{
    for (char& c : path)
        if (c == '\\') c = files::kPathDelim;
    return path;
}

class ArchiveTest : public testing::Test {
protected:
    ArchiveTest()
    {
        Archive.OnProgress = [this](const std::string& msg, int percentage) { Events.emplace_back(msg, percentage); };
    }

    std::string Write(const TRawArchive& raw, const std::string& name = "test.x")
    {
        raw.WriteTo(Temp.Path() / name);
        return Temp / name;
    }
    std::string Write(const Bytes& bytes, const std::string& name = "test.x")
    {
        WriteAll(Temp.Path() / name, bytes);
        return Temp / name;
    }
    std::string Dest(const std::string& name = "out") const
    {
        fs::create_directories(Temp.Path() / name);
        return (Temp.Path() / name / "").string();
    }

    TTempFolder Temp;
    TZLBArchive Archive;
    std::vector<Event> Events;
};

TRawArchive ThreeMembers()
{
    TRawArchive raw;
    raw.AddMember("one.txt", TextBytes("first member"));
    raw.AddMember("two.bin", SampleRandom(10000), true);
    raw.AddMember("three.txt", SampleText(9000));
    return raw;
}

// ---- opening, closing and the states between ----

TEST_F(ArchiveTest, EmptyNameOpensNothingAndReportsTheImplicitClose)
{
    EXPECT_FALSE(Archive.OpenArchive(""));
    EXPECT_EQ(Events, (std::vector<Event>{{"", 0}}));
    ExpectError([&] { Archive.FileCount(); }, "No archive is currently open");
    ExpectError([&] { Archive.ExtractAll(Dest()); }, "No archive is currently open");
}

TEST_F(ArchiveTest, MissingFileLeavesTheNameWithoutRecords)
{
    const std::string name = Temp / "absent.x";
    ExpectError([&] { Archive.OpenArchive(name); }, "Archive file not found");
    EXPECT_EQ(Archive.ArchiveFileName(), name);
    EXPECT_EQ(Archive.FileCount(), 0);
    TZLBFileEntry entry;
    ExpectError([&] { Archive.GetFileEntry(0, entry); }, "Index out of bounds");
    ExpectError([&] { Archive.ExtractAll(Dest()); }, "Unable to open file (" + name + ")");
}

TEST_F(ArchiveTest, FolderIsNotAnArchiveFile)
{
    ExpectError([&] { Archive.OpenArchive(Temp.Path().string()); }, "Archive file not found");
}

TEST_F(ArchiveTest, OpenLoadsRecordsAndReportsTheArchiveName)
{
    const std::string name = Write(ThreeMembers());
    EXPECT_TRUE(Archive.OpenArchive(name));
    EXPECT_EQ(Events, (std::vector<Event>{{"", 0}, {name, 0}}));
    ASSERT_EQ(Archive.FileCount(), 3);
    TZLBFileEntry entry;
    Archive.GetFileEntry(1, entry);
    EXPECT_EQ(entry.FileName(), "two.bin");
    EXPECT_EQ(entry.UncompressedSize(), 10000);
    EXPECT_TRUE(entry.Stored());
    ExpectError([&] { Archive.GetFileEntry(3, entry); }, "Index out of bounds");
    ExpectError([&] { Archive.GetFileEntry(-1, entry); }, "Index out of bounds");
}

TEST_F(ArchiveTest, SecondOpenClosesTheFirst)
{
    const std::string first = Write(ThreeMembers(), "a.x");
    TRawArchive single;
    single.AddMember("only", TextBytes("x"));
    const std::string second = Write(single, "b.x");
    Archive.OpenArchive(first);
    Events.clear();
    Archive.OpenArchive(second);
    EXPECT_EQ(Events, (std::vector<Event>{{"", 0}, {second, 0}}));
    EXPECT_EQ(Archive.FileCount(), 1);
    Archive.CloseArchive();
    ExpectError([&] { Archive.FileCount(); }, "No archive is currently open");
    for (uint8_t byte : Archive.ArchiveTrailer().Bytes) EXPECT_EQ(byte, 0);
}

TEST_F(ArchiveTest, DestructionReportsNoProgress)
{
    const std::string name = Write(ThreeMembers());
    std::vector<Event> seen;
    {
        TZLBArchive local;
        local.OpenArchive(name);
        local.OnProgress = [&seen](const std::string& msg, int p) { seen.emplace_back(msg, p); };
    }
    EXPECT_TRUE(seen.empty());
}

TEST_F(ArchiveTest, ArchiveFileIsNotHeldOpenBetweenCalls)
{
    const std::string name = Write(ThreeMembers());
    Archive.OpenArchive(name);
    fs::rename(name, Temp / "moved.x");  // fails on Windows while a handle is open
    fs::rename(Temp / "moved.x", name);
    Archive.ExtractAll(Dest());
    fs::remove(name);
    EXPECT_FALSE(fs::exists(name));
}

#ifdef _WIN32
TEST_F(ArchiveTest, ArchiveBeingWrittenCannotBeOpened)
{
    const std::string name = Write(ThreeMembers());
    std::ofstream writer(name, std::ios::binary | std::ios::app);
    ExpectError([&] { Archive.OpenArchive(name); }, "Unable to open file (" + name + ")");
}
#endif

// ---- integrity ----

TEST_F(ArchiveTest, AnyChangedByteBeforeTheTrailerIsCorruption)
{
    const Bytes good = ThreeMembers().Build();
    for (size_t at = 0; at < good.size() - kTrailerSize; at += 97) {
        Bytes bad = good;
        bad[at] ^= 0x20;
        const std::string name = Write(bad);
        ExpectError([&] { Archive.OpenArchive(name); }, "The archive file appears to be corrupted");
        EXPECT_EQ(Archive.ArchiveFileName(), "");
        for (uint8_t byte : Archive.ArchiveTrailer().Bytes) ASSERT_EQ(byte, 0);
    }
}

TEST_F(ArchiveTest, UninterpretedTrailerBytesMayChange)
{
    Bytes archive = ThreeMembers().Build();
    const size_t trailer = archive.size() - kTrailerSize;
    for (size_t at : {8, 9, 15, 21, 30, 35}) archive[trailer + at] = 0xA5;
    EXPECT_TRUE(Archive.OpenArchive(Write(archive)));
    EXPECT_EQ(Archive.FileCount(), 3);
}

TEST_F(ArchiveTest, FilesShorterThanTheTrailerAreCorrupt)
{
    for (size_t size : {0, 1, 35}) {
        const std::string name = Write(Bytes(size, 0));
        ExpectError([&] { Archive.OpenArchive(name); }, "The archive file appears to be corrupted");
        EXPECT_EQ(Archive.ArchiveFileName(), "");
    }
}

TEST_F(ArchiveTest, EmptyArchiveOpensAndExtractsNothingWhereverItsListOffsetPoints)
{
    for (const bool compressed : {false, true}) {
        for (const int32_t listOffset : {0, -1, kTrailerSize, 1 << 30, 0x7FFFFFFF}) {
            Bytes archive(kTrailerSize, 0);  // CRC of nothing is 0
            PatchInt32(archive, TrailerField(archive.size(), 16), listOffset);
            archive[TrailerField(archive.size(), 20)] = compressed;
            const std::string name = Write(archive);
            EXPECT_TRUE(Archive.OpenArchive(name)) << listOffset;
            EXPECT_EQ(Archive.FileCount(), 0);
            const std::string dest = Dest();
            Archive.ExtractAll(dest);
            EXPECT_TRUE(fs::is_empty(dest));
        }
    }
}

// ---- the file list ----

TEST_F(ArchiveTest, PlainAndCompressedListsGiveTheSameRecords)
{
    TRawArchive raw = ThreeMembers();
    raw.AddMember(std::string(255, 'n'), TextBytes("long"), false, std::string(255, 'p'));
    Archive.OpenArchive(Write(raw, "plain.x"));
    std::vector<TZLBFileEntry> plain(static_cast<size_t>(Archive.FileCount()));
    for (int i = 0; i < Archive.FileCount(); ++i) Archive.GetFileEntry(i, plain[static_cast<size_t>(i)]);

    raw.CompressList = true;
    Archive.OpenArchive(Write(raw, "packed.x"));
    ASSERT_EQ(Archive.FileCount(), 4);
    for (int i = 0; i < 4; ++i) {
        TZLBFileEntry entry;
        Archive.GetFileEntry(i, entry);
        EXPECT_EQ(entry.Bytes, plain[static_cast<size_t>(i)].Bytes) << i;
    }
    EXPECT_EQ(plain[3].FileName(), std::string(255, 'n'));
    EXPECT_EQ(plain[3].FilePath(), std::string(255, 'p'));
}

TEST_F(ArchiveTest, CompressedListReportsEachChunk)
{
    TRawArchive raw;
    for (int i = 0; i < 20; ++i) raw.AddMember("m" + std::to_string(i), TextBytes("x"));
    raw.CompressList = true;
    const std::string name = Write(raw);
    Archive.OpenArchive(name);
    // 20 records are 10,640 bytes: chunks end at 4,096, 8,192 and 10,640.
    const std::string reading = "Extracting archive registry";
    EXPECT_EQ(Events, (std::vector<Event>{{"", 0}, {reading, 38}, {reading, 77}, {reading, 100}, {name, 0}}));
}

TEST_F(ArchiveTest, NameByteBeyondTheLengthIsNotPartOfTheName)
{
    TRawArchive raw;
    TZLBFileEntry& entry = raw.AddMember("abc", TextBytes("1"));
    entry.Bytes[4] = 'Z';
    Archive.OpenArchive(Write(raw));
    TZLBFileEntry read;
    Archive.GetFileEntry(0, read);
    EXPECT_EQ(read.FileName(), "abc");
}

TEST_F(ArchiveTest, NegativeEntryCountIsEmptyWhenPlainAndUnreadableWhenCompressed)
{
    Bytes archive = ThreeMembers().Build();
    PatchInt32(archive, TrailerField(archive.size(), 4), -5);
    FixTrailerCrc(archive);
    EXPECT_TRUE(Archive.OpenArchive(Write(archive)));
    EXPECT_EQ(Archive.FileCount(), 0);

    TRawArchive raw = ThreeMembers();
    raw.CompressList = true;
    archive = raw.Build();
    PatchInt32(archive, TrailerField(archive.size(), 4), -5);
    FixTrailerCrc(archive);
    const std::string name = Write(archive);
    ExpectError([&] { Archive.OpenArchive(name); }, "Unable to read archive file list");
}

TEST_F(ArchiveTest, UnreadableListsCloseTheArchive)
{
    struct Case {
        const char* what;
        bool compressed;
        size_t field;
        int32_t value;
    };
    const Case cases[] = {
        {"plain list longer than the file", false, 4, 4},
        {"absurd plain count", false, 4, 0x7FFFFFFF},
        {"absurd compressed count", true, 4, 0x7FFFFFFF},
        {"compressed list shorter than its count", true, 4, 4},
        {"negative list offset", false, 16, -1},
        {"list offset past the end", false, 16, 1 << 30},
        {"compressed list at a non-stream", true, 16, 0},
    };
    for (const Case& c : cases) {
        TRawArchive raw = ThreeMembers();
        raw.CompressList = c.compressed;
        Bytes archive = raw.Build();
        PatchInt32(archive, TrailerField(archive.size(), c.field), c.value);
        FixTrailerCrc(archive);
        const std::string name = Write(archive);
        Events.clear();
        ExpectError([&] { Archive.OpenArchive(name); }, "Unable to read archive file list");
        EXPECT_EQ(Archive.ArchiveFileName(), "") << c.what;
        ExpectError([&] { Archive.FileCount(); }, "No archive is currently open");
        ASSERT_FALSE(Events.empty());
        EXPECT_EQ(Events.back(), Event("", 0)) << c.what;
    }
}

TEST_F(ArchiveTest, FailingOpenedHandlerFailsTheList)
{
    const std::string name = Write(ThreeMembers());
    int calls = 0;
    Archive.OnArchiveOpened = [&](TZLBArchive& sender) {
        EXPECT_EQ(&sender, &Archive);
        EXPECT_EQ(sender.FileCount(), 3);
        if (++calls == 1) throw ESetupError("handler refused");
    };
    ExpectError([&] { Archive.OpenArchive(name); }, "Unable to read archive file list");
    EXPECT_EQ(Archive.ArchiveFileName(), "");
    EXPECT_TRUE(Archive.OpenArchive(name));
    EXPECT_EQ(calls, 2);
}

// ---- extraction ----

TEST_F(ArchiveTest, ExtractsStoredAndCompressedMembersExactly)
{
    TRawArchive raw;
    const Bytes text = SampleText(70000), noise = SampleRandom(5000);
    raw.AddMember("text.txt", text);
    raw.AddMember("noise.bin", noise, true);
    raw.AddMember("empty-z", {});
    raw.AddMember("empty-s", {}, true);
    const std::string dest = Dest();
    WriteAll(dest + "empty-z", TextBytes("old contents"));
    Archive.CheckCRC = true;
    Archive.OpenArchive(Write(raw));
    Archive.ExtractAll(dest);
    EXPECT_EQ(ReadAll(dest + "text.txt"), text);
    EXPECT_EQ(ReadAll(dest + "noise.bin"), noise);
    EXPECT_TRUE(ReadAll(dest + "empty-z").empty());
    EXPECT_TRUE(ReadAll(dest + "empty-s").empty());
}

// The writer gives identical files one block that several records name; each
// record is still a file of its own, wherever it lies in the list.
TEST_F(ArchiveTest, RecordsNamingOneBlockEachExtractTheirOwnFile)
{
    TRawArchive raw;
    const Bytes text = SampleText(70000), noise = SampleRandom(5000);
    const int32_t compressed = raw.AddBlock(Deflate(text));
    const int32_t stored = raw.AddBlock(noise);
    const struct {
        const char *name, *path;
        const Bytes& data;
        int32_t offset;
    } records[] = {{"a.txt", "", text, compressed},
                   {"n1", "", noise, stored},
                   {"b.txt", "sub", text, compressed},
                   {"n2", "sub\\deeper", noise, stored},
                   {"c.txt", "", text, compressed}};
    for (const auto& record : records) {
        TZLBFileEntry entry;
        entry.SetFileName(record.name);
        entry.SetFilePath(record.path);
        entry.SetUncompressedSize(static_cast<int32_t>(record.data.size()));
        entry.SetCrc32(Crc32Of(record.data));
        entry.SetStored(record.offset == stored);
        entry.SetDataOffset(record.offset);
        raw.AddRecord(entry);
    }
    Archive.CheckCRC = true;
    Archive.ExtractWithPath = true;
    Archive.OpenArchive(Write(raw));
    const std::string dest = Dest();
    Archive.ExtractAll(dest);
    for (const auto& record : records)
        EXPECT_EQ(ReadAll(fs::path(dest) / Host(record.path) / record.name), record.data) << record.name;
}

TEST_F(ArchiveTest, ProgressRestartsForEveryMember)
{
    TRawArchive raw;
    raw.AddMember("a", Bytes(10000, 'a'));
    raw.AddMember("nothing", {});
    raw.AddMember("b", Bytes(4096, 'b'), true);
    const std::string name = Write(raw);
    Archive.OpenArchive(name);
    Events.clear();
    Archive.ExtractAll(Dest());
    EXPECT_EQ(Events, (std::vector<Event>{{"Extracting a", 41},
                                          {"Extracting a", 82},
                                          {"Extracting a", 100},
                                          {"Extracting b", 100},
                                          {name, 0}}));
}

TEST_F(ArchiveTest, WithoutPathsTheLaterOfEqualNamesWins)
{
    TRawArchive raw;
    raw.AddMember("same.txt", TextBytes("first"), false, "one");
    raw.AddMember("same.txt", TextBytes("second"), false, "two");
    const std::string dest = Dest();
    Archive.OpenArchive(Write(raw));
    Archive.ExtractAll(dest);
    EXPECT_EQ(ReadAll(dest + "same.txt"), TextBytes("second"));
    EXPECT_FALSE(fs::exists(dest + "one"));
}

TEST_F(ArchiveTest, DestinationWithAndWithoutSeparatorWritesTheSameFiles)
{
    TRawArchive raw;
    raw.AddMember("name", TextBytes("content"));
    const std::string name = Write(raw);
    std::vector<std::string> reported;
    Archive.OnFileExtracted = [&](const std::string& file) { reported.push_back(file); };
    Archive.OpenArchive(name);
    const std::string withSeparator = Dest("dest");
    const std::string without = withSeparator.substr(0, withSeparator.size() - 1);
    Archive.ExtractAll(withSeparator);
    fs::remove(withSeparator + "name");
    Archive.ExtractAll(without);
    EXPECT_EQ(ReadAll(withSeparator + "name"), TextBytes("content"));
    EXPECT_EQ(reported, (std::vector<std::string>{withSeparator + "name", without + "name"}));
}

TEST_F(ArchiveTest, StoredPathsAreJoinedWithSeparatorRunsCollapsed)
{
    TRawArchive raw;
    raw.AddMember("deep.txt", TextBytes("deep"), false, "\\sub\\\\inner\\");
    raw.AddMember("flat.txt", TextBytes("flat"), true, "");
    const std::string dest = Dest();
    std::vector<std::string> reported;
    Archive.OnFileExtracted = [&](const std::string& file) { reported.push_back(file); };
    Archive.ExtractWithPath = true;
    Archive.OpenArchive(Write(raw));
    Archive.ExtractAll(dest);
    EXPECT_EQ(ReadAll(dest + Host("sub\\inner\\deep.txt")), TextBytes("deep"));
    EXPECT_EQ(ReadAll(dest + "flat.txt"), TextBytes("flat"));
    EXPECT_EQ(reported, (std::vector<std::string>{dest + "deep.txt", dest + "flat.txt"}));
}

TEST_F(ArchiveTest, ReplaceHandlerDecidesAboutExistingFiles)
{
    TRawArchive raw;
    raw.AddMember("keep", TextBytes("new"));
    raw.AddMember("swap", TextBytes("new"));
    raw.AddMember("fresh", TextBytes("new"));
    const std::string dest = Dest();
    WriteAll(dest + "keep", TextBytes("old"));
    WriteAll(dest + "swap", TextBytes("old"));
    std::vector<std::string> asked, extracted;
    Archive.OnReplaceFile = [&](const std::string& file, bool& replace) {
        EXPECT_FALSE(replace);
        asked.push_back(file);
        if (file == dest + "swap") replace = true;
    };
    Archive.OnFileExtracted = [&](const std::string& file) { extracted.push_back(file); };
    Archive.OpenArchive(Write(raw));
    Archive.ExtractAll(dest);
    EXPECT_EQ(asked, (std::vector<std::string>{dest + "keep", dest + "swap"}));
    EXPECT_EQ(extracted, (std::vector<std::string>{dest + "swap", dest + "fresh"}));
    EXPECT_EQ(ReadAll(dest + "keep"), TextBytes("old"));
    EXPECT_EQ(ReadAll(dest + "swap"), TextBytes("new"));
}

TEST_F(ArchiveTest, FailingMemberStopsExtractionAndKeepsEarlierOnes)
{
    const Bytes text = SampleText(20000);
    struct Case {
        const char* what;
        std::function<void(TRawArchive&)> addBroken;
        bool checkCrc;
    };
    const Case cases[] = {
        {"archive file ends inside the stream", [&](TRawArchive& r) {
             // One stored deflate block: what follows the cut is read as its
             // data until the file ends.
             Bytes cut = Deflate(text, 0);
             cut.resize(cut.size() / 2);
             TZLBFileEntry& e = r.AddMember("broken", {});
             e.SetDataOffset(r.AddBlock(cut));
             e.SetUncompressedSize(20000);
         }, false},
        {"stream shorter than its size", [&](TRawArchive& r) {
             r.AddMember("broken", text).SetUncompressedSize(20001);
         }, false},
        {"not a zlib stream", [&](TRawArchive& r) {
             r.AddMember("broken", text, true).SetStored(false);
         }, false},
        {"wrong CRC-32 when checked", [&](TRawArchive& r) {
             r.AddMember("broken", text).SetCrc32(1);
         }, true},
    };
    for (const Case& c : cases) {
        TRawArchive raw;
        raw.AddMember("before", TextBytes("fine"));
        c.addBroken(raw);
        raw.AddMember("after", TextBytes("never"));
        TTempFolder dest;
        const std::string name = Write(raw);
        std::vector<std::string> extracted;
        Archive.OnFileExtracted = [&](const std::string& file) { extracted.push_back(file); };
        Archive.CheckCRC = c.checkCrc;
        Archive.OpenArchive(name);
        Events.clear();
        ExpectError([&] { Archive.ExtractAll(dest.Text()); }, "File (1) is corrupt");
        EXPECT_EQ(extracted, std::vector<std::string>{dest.Text() + "before"}) << c.what;
        EXPECT_TRUE(fs::exists(dest / "broken")) << c.what;
        EXPECT_FALSE(fs::exists(dest / "after")) << c.what;
        EXPECT_EQ(Events.back(), Event(name, 0)) << c.what;
        EXPECT_EQ(Archive.FileCount(), 3) << "a failed extraction leaves the archive open";
    }
}

// A zlib stream of stored deflate blocks, so that the output each block
// gives is known exactly.
// With damaged, a second block follows whose length check fails; otherwise
// the stream ends after the first block.
Bytes StoredBlocksStream(const Bytes& data, size_t firstBlock, bool damaged)
{
    Bytes stream = {0x78, 0x01};
    const auto addBlock = [&stream](const uint8_t* bytes, size_t size, bool last, bool badLength) {
        stream.push_back(last ? 1 : 0);
        const uint16_t length = static_cast<uint16_t>(size);
        const uint16_t complement = static_cast<uint16_t>(~length ^ (badLength ? 1 : 0));
        for (const uint16_t field : {length, complement}) {
            stream.push_back(static_cast<uint8_t>(field));
            stream.push_back(static_cast<uint8_t>(field >> 8));
        }
        stream.insert(stream.end(), bytes, bytes + size);
    };
    addBlock(data.data(), firstBlock, !damaged, false);
    if (damaged) addBlock(data.data() + firstBlock, data.size() - firstBlock, true, true);
    const uLong adler = adler32(adler32(0, nullptr, 0), data.data(), static_cast<uInt>(firstBlock));
    for (int shift = 24; shift >= 0; shift -= 8) stream.push_back(static_cast<uint8_t>(adler >> shift));
    return stream;
}

TEST_F(ArchiveTest, StreamEndingEarlyAndDamagedDataLeaveTheSamePartialFile)
{
    // 10,000 bytes come out before the trouble: two whole pieces of 4,096
    // and the start of a third.
    const Bytes text = SampleText(20000);
    const Bytes twoPieces(text.begin(), text.begin() + 2 * kChunkSize);
    for (const bool damaged : {false, true}) {
        TRawArchive raw;
        TZLBFileEntry& entry = raw.AddMember("broken", {});
        entry.SetDataOffset(raw.AddBlock(StoredBlocksStream(text, 10000, damaged)));
        entry.SetUncompressedSize(20000);
        const std::string name = Write(raw);
        const std::string dest = Dest();
        Archive.OpenArchive(name);
        Events.clear();
        ExpectError([&] { Archive.ExtractAll(dest); }, "File (0) is corrupt");
        EXPECT_EQ(Events, (std::vector<Event>{{"Extracting broken", 20}, {"Extracting broken", 41}, {name, 0}}))
            << (damaged ? "damaged" : "ends early");
        EXPECT_EQ(ReadAll(dest + "broken"), twoPieces) << (damaged ? "damaged" : "ends early");
    }
}

TEST_F(ArchiveTest, WrongCrcPassesUncheckedAndLongStreamsAreCut)
{
    TRawArchive raw;
    raw.AddMember("unchecked", TextBytes("payload")).SetCrc32(7);
    raw.AddMember("cut", TextBytes("0123456789")).SetUncompressedSize(4);
    const std::string dest = Dest();
    Archive.OpenArchive(Write(raw));
    Archive.ExtractAll(dest);
    EXPECT_EQ(ReadAll(dest + "unchecked"), TextBytes("payload"));
    EXPECT_EQ(ReadAll(dest + "cut"), TextBytes("0123"));
}

TEST_F(ArchiveTest, StoredMemberRunningPastTheFileEndIsShortened)
{
    TRawArchive raw;
    TZLBFileEntry entry;
    entry.SetFileName("tail");
    entry.SetStored(true);
    entry.SetUncompressedSize(1 << 20);
    const Bytes start = TextBytes("only this much");
    entry.SetDataOffset(raw.AddBlock(start));
    raw.AddRecord(entry);
    const Bytes archive = raw.Build();
    const std::string dest = Dest();
    Archive.OpenArchive(Write(archive));
    Archive.ExtractAll(dest);
    const Bytes out = ReadAll(dest + "tail");
    // Everything from the block to the end of the file, list and trailer included.
    EXPECT_EQ(out.size(), archive.size());
    EXPECT_TRUE(std::equal(start.begin(), start.end(), out.begin()));
}

TEST_F(ArchiveTest, DestinationProblemsUseTheirMessages)
{
    TRawArchive raw;
    raw.AddMember("member", TextBytes("x"));
    const std::string name = Write(raw);
    Archive.OpenArchive(name);
    WriteAll(Temp.Path() / "plainfile", TextBytes("in the way"));
    ExpectError([&] { Archive.ExtractAll((Temp.Path() / "plainfile" / "").string()); },
                "Unable to create destination path");
    ExpectError([&] { Archive.ExtractAll(""); }, "Unable to create destination path");

    const std::string dest = Dest();
    fs::create_directory(dest + "member");
    try {
        Archive.ExtractAll(dest);
        ADD_FAILURE() << "a folder in the target's place must fail";
    } catch (const ESetupError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"" + dest + "member\". ", 0), 0u)
            << error.what();
    }
}

// ---- members that would escape the destination ----

TEST_F(ArchiveTest, UnsafeNamesAndPathsAreCorruptAndWriteNothing)
{
    const std::vector<std::pair<std::string, std::string>> unsafe = {
        {"", ""}, {".", ""}, {"..", ""}, {".. ", ""}, {"a\\b", ""}, {"a/b", ""}, {"c:x", ""},
        {"evil", "..\\"}, {"evil", "sub\\..\\..\\"}, {"evil", "C:\\windows\\"}, {"evil", "sub\\.. \\"},
        {"evil", "../up/"}, {"evil", "x:"}, {std::string("nul\0byte", 8), ""},
        // Devices: on Windows the bytes would go to the device and no file would appear.
        {"CON", ""}, {"nul.txt", ""}, {"Com1.log", ""}, {"lpt9", ""}, {"evil", "sub\\aux\\"},
    };
    for (const auto& [fileName, filePath] : unsafe) {
        TTempFolder root;
        fs::create_directories(root.Path() / "a" / "b");
        const std::string dest = (root.Path() / "a" / "b" / "").string();
        TRawArchive raw;
        TZLBFileEntry& entry = raw.AddMember("placeholder", TextBytes("x"), false, filePath);
        entry.Bytes[0] = static_cast<uint8_t>(fileName.size());
        std::copy(fileName.begin(), fileName.end(), entry.Bytes.begin() + 1);
        const std::string name = Write(raw);
        Archive.ExtractWithPath = true;
        Archive.OpenArchive(name);
        ExpectError([&] { Archive.ExtractAll(dest); }, "File (0) is corrupt");
        size_t files = 0;
        for (const auto& item : fs::recursive_directory_iterator(root.Path())) files += item.is_regular_file();
        EXPECT_EQ(files, 0u) << "name '" << fileName << "' path '" << filePath << "'";
    }
}

TEST_F(ArchiveTest, StoredPathIsIgnoredWithoutExtractWithPath)
{
    TRawArchive raw;
    raw.AddMember("fine", TextBytes("x"), false, "..\\..\\");
    const std::string dest = Dest();
    Archive.OpenArchive(Write(raw));
    Archive.ExtractAll(dest);
    EXPECT_EQ(ReadAll(dest + "fine"), TextBytes("x"));
}

TEST_F(ArchiveTest, LeadingSeparatorNeedsADestinationToAppendTo)
{
    TRawArchive raw;
    raw.AddMember("rooted", TextBytes("x"), false, "\\tmp\\");
    Archive.ExtractWithPath = true;
    Archive.OpenArchive(Write(raw));
    ExpectError([&] { Archive.ExtractAll(""); }, "File (0) is corrupt");
}

TEST_F(ArchiveTest, NegativeSizesAndOffsetsAreCorrupt)
{
    for (const auto& [size, offset] : {std::pair{-1, 0}, std::pair{5, -1}, std::pair{0, -4}}) {
        TRawArchive raw;
        TZLBFileEntry& entry = raw.AddMember("m", TextBytes("hello"), true);
        entry.SetUncompressedSize(size);
        entry.SetDataOffset(offset);
        const std::string dest = Dest();
        Archive.OpenArchive(Write(raw));
        ExpectError([&] { Archive.ExtractAll(dest); }, "File (0) is corrupt");
        EXPECT_FALSE(fs::exists(dest + "m"));
    }
}

// ---- the helpers around archives ----

TEST_F(ArchiveTest, StreamCrcLeavesTheTailOutAndRestoresThePosition)
{
    const Bytes data = SampleRandom(25000);
    const std::string name = Write(data, "data.bin");
    files::TFile file;
    ASSERT_TRUE(file.OpenForReading(name));
    file.Seek(123);
    EXPECT_EQ(Archive.StreamCRC32(file, 36), Crc32Of(Bytes(data.begin(), data.end() - 36)));
    EXPECT_EQ(Archive.StreamCRC32(file, 0), Crc32Of(data));
    EXPECT_EQ(file.Position(), 123);
}

TEST_F(ArchiveTest, TempArchiveNameIsAFreshEmptyFile)
{
    std::string first, second;
    Archive.GetTempArchiveName(first);
    Archive.GetTempArchiveName(second);
    EXPECT_NE(first, second);
    EXPECT_EQ(fs::path(first).filename().string().rfind("ZLB", 0), 0u) << first;
    EXPECT_EQ(fs::file_size(first), 0u);
    fs::remove(first);
    fs::remove(second);
}

TEST_F(ArchiveTest, ListFolderFilesPutsSubFoldersFirst)
{
    fs::create_directories(Temp.Path() / "sub" / "deeper");
    for (const char* file : {"a.txt", "z.txt", "sub/b.txt", "sub/deeper/c.txt"}) WriteAll(Temp.Path() / file, {});
    const std::string root = Temp.Path().string();
    const char d = files::kPathDelim;
    const std::string sub = root + d + "sub", deeper = sub + d + "deeper";

    std::vector<std::string> flat;
    Archive.ListFolderFiles(root + d, flat);
    EXPECT_EQ(flat, (std::vector<std::string>{root + d + "a.txt", root + d + "z.txt"}));

    std::vector<std::string> all;
    Archive.RecursePaths = true;
    Archive.SavePaths = true;
    Archive.ListFolderFiles(root, all);
    EXPECT_EQ(all, (std::vector<std::string>{deeper + d + "c.txt", sub + d + "b.txt", deeper, root + d + "a.txt",
                                             sub, root + d + "z.txt"}));
}

TEST(ProgressPercentage, RoundsHalvesToEven)
{
    EXPECT_EQ(RoundedPercentage(0, 10), 0);
    EXPECT_EQ(RoundedPercentage(1, 8), 12);    // 12.5
    EXPECT_EQ(RoundedPercentage(3, 8), 38);    // 37.5
    EXPECT_EQ(RoundedPercentage(1, 200), 0);   // 0.5
    EXPECT_EQ(RoundedPercentage(3, 200), 2);   // 1.5
    EXPECT_EQ(RoundedPercentage(2, 3), 67);
    EXPECT_EQ(RoundedPercentage(4096, 10640), 38);
    EXPECT_EQ(RoundedPercentage(7, 7), 100);
    EXPECT_EQ(RoundedPercentage(1, 0), 0);
}

}  // namespace
