#include "archive/ZLIBArchiveWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

#include "archive/ZLIBArchive.h"
#include "tests/TestSupport.h"
#include "utilities/SetupError.h"

namespace fs = std::filesystem;

namespace {

class WriterTest : public testing::Test {
protected:
    std::string Source(const std::string& name, const Bytes& data)
    {
        WriteAll(Temp.Path() / name, data);
        return Temp / name;
    }
    TTempFolder Temp;
};

TEST_F(WriterTest, RoundTripsThroughTheReaderAtEveryLevel)
{
    const Bytes text = SampleText(200000), noise = SampleRandom(70000);
    for (auto level : {TFileCompressionLevel::fcNone, TFileCompressionLevel::fcFastest,
                       TFileCompressionLevel::fcDefault, TFileCompressionLevel::fcMaximum}) {
        for (bool compressList : {false, true}) {
            const std::string name = Temp / "out.x";
            TZLBArchiveWriter writer(name, level, compressList);
            writer.AddFile(Source("t", text), "text.txt", "docs\\en");
            writer.AddFile(Source("n", noise), "noise.bin", "");
            writer.AddFile(Source("e", {}), "empty", "");
            writer.Finish();
            EXPECT_EQ(writer.BytesIn(), 270000);
            EXPECT_EQ(writer.BytesOut() + kTrailerSize, static_cast<int64_t>(fs::file_size(name)));

            TZLBArchive reader;
            reader.ExtractWithPath = true;
            reader.CheckCRC = true;
            reader.OpenArchive(name);
            ASSERT_EQ(reader.FileCount(), 3);
            EXPECT_EQ(reader.ArchiveTrailer().ListCompressed(), compressList);
            TZLBFileEntry entry;
            reader.GetFileEntry(0, entry);
            EXPECT_EQ(entry.Stored(), level == TFileCompressionLevel::fcNone);
            EXPECT_EQ(entry.Crc32(), Crc32Of(text));
            EXPECT_EQ(entry.FilePath(), "docs\\en");
            TTempFolder dest;
            reader.ExtractAll(dest.Text());
            EXPECT_EQ(ReadAll(dest.Path() / "docs" / "en" / "text.txt"), text);
            EXPECT_EQ(ReadAll(dest.Path() / "noise.bin"), noise);
            EXPECT_TRUE(ReadAll(dest.Path() / "empty").empty());
        }
    }
}

TEST_F(WriterTest, LevelsMapToZlib)
{
    EXPECT_EQ(ZlibLevel(TFileCompressionLevel::fcNone), Z_NO_COMPRESSION);
    EXPECT_EQ(ZlibLevel(TFileCompressionLevel::fcFastest), Z_BEST_SPEED);
    EXPECT_EQ(ZlibLevel(TFileCompressionLevel::fcDefault), Z_DEFAULT_COMPRESSION);
    EXPECT_EQ(ZlibLevel(TFileCompressionLevel::fcMaximum), Z_BEST_COMPRESSION);
}

TEST_F(WriterTest, WritesTheLayoutByteForByte)
{
    const Bytes data = TextBytes("stored bytes");
    const std::string name = Temp / "out.x";
    TZLBArchiveWriter writer(name, TFileCompressionLevel::fcNone, false);
    writer.AddFile(Source("s", data), "s.txt", "p");
    writer.Finish();

    TRawArchive expected;
    expected.AddMember("s.txt", data, true, "p");
    EXPECT_EQ(ReadAll(name), expected.Build());
}

TEST_F(WriterTest, CompressedMembersAreZlibStreamsOfTheData)
{
    const Bytes data = SampleText(5000);
    const std::string name = Temp / "out.x";
    TZLBArchiveWriter writer(name, TFileCompressionLevel::fcMaximum, true);
    writer.AddFile(Source("d", data), "d", "");
    writer.Finish();

    const Bytes archive = ReadAll(name);
    const Bytes expectedBlock = Deflate(data, 9);
    ASSERT_GT(archive.size(), expectedBlock.size());
    EXPECT_TRUE(std::equal(expectedBlock.begin(), expectedBlock.end(), archive.begin()));
    TZLBTrailer trailer;
    std::copy_n(archive.end() - kTrailerSize, kTrailerSize, trailer.Bytes.begin());
    EXPECT_EQ(trailer.ListOffset(), static_cast<int32_t>(expectedBlock.size()));
    for (size_t at : {8, 12, 21, 28, 35}) EXPECT_EQ(trailer.Bytes[at], 0) << at;
}

// Records name one block exactly when their files hold the same bytes: a
// size and CRC-32 in common are not enough. The later copy of the collision
// must find its twin behind the block of the other file with that checksum.
// Every member passes through one source file, as a caller may reuse one:
// what it held when an earlier block was made vouches for nothing now.
TEST_F(WriterTest, IdenticalFilesShareOneBlockAndNoOtherFilesDo)
{
    const Bytes text = SampleText(70000), noise = SampleRandom(150000, 2);
    const Bytes sameCrc = WithCrc32(SampleText(text.size() - 4, 3), Crc32Of(text));
    ASSERT_EQ(sameCrc.size(), text.size());
    ASSERT_EQ(Crc32Of(sameCrc), Crc32Of(text));
    ASSERT_NE(sameCrc, text);
    const std::vector<std::pair<std::string, Bytes>> members = {
        {"text", text},       {"empty", {}},       {"same crc", sameCrc},        {"noise", noise},
        {"text again", text}, {"empty again", {}}, {"same crc again", sameCrc}, {"noise again", noise}};
    for (auto level : {TFileCompressionLevel::fcNone, TFileCompressionLevel::fcDefault}) {
        const std::string name = Temp / "out.x";
        TZLBArchiveWriter writer(name, level, true);
        for (size_t i = 0; i < members.size(); ++i)
            writer.AddFile(Source("source", members[i].second), members[i].first, i % 2 ? "odd" : "");
        writer.Finish();

        TZLBArchive reader;
        reader.ExtractWithPath = true;
        reader.CheckCRC = true;
        reader.OpenArchive(name);
        ASSERT_EQ(reader.FileCount(), static_cast<int>(members.size()));
        std::vector<TZLBFileEntry> records(members.size());
        int64_t saved = 0;
        for (size_t i = 0; i < members.size(); ++i) {
            const Bytes& data = members[i].second;
            reader.GetFileEntry(static_cast<int>(i), records[i]);
            EXPECT_EQ(records[i].FileName(), members[i].first);
            EXPECT_EQ(records[i].UncompressedSize(), static_cast<int32_t>(data.size()));
            EXPECT_EQ(records[i].Crc32(), Crc32Of(data));
            EXPECT_EQ(records[i].Stored(), level == TFileCompressionLevel::fcNone);
            bool shares = false;
            for (size_t earlier = 0; earlier < i; ++earlier) {
                // An empty stored block starts where the next block does.
                const bool sameBlock = records[earlier].DataOffset() == records[i].DataOffset() &&
                                       records[earlier].UncompressedSize() == records[i].UncompressedSize();
                EXPECT_EQ(sameBlock, members[earlier].second == data)
                    << members[earlier].first << ", " << members[i].first;
                shares = shares || sameBlock;
            }
            const size_t blockLength = records[i].Stored() ? data.size() : Deflate(data, ZlibLevel(level)).size();
            if (shares) saved += static_cast<int64_t>(blockLength);
        }
        EXPECT_EQ(writer.Duplicates().Merged, 4);
        EXPECT_EQ(writer.Duplicates().BytesSaved, saved);
        EXPECT_EQ(writer.BytesIn(), 2 * static_cast<int64_t>(text.size() + sameCrc.size() + noise.size()));

        TTempFolder dest;
        reader.ExtractAll(dest.Text());
        for (size_t i = 0; i < members.size(); ++i)
            EXPECT_EQ(ReadAll(dest.Path() / (i % 2 ? "odd" : "") / members[i].first), members[i].second)
                << members[i].first;
    }
}

TEST_F(WriterTest, RefusesNamesTheReaderWouldRefuse)
{
    TZLBArchiveWriter writer(Temp / "out.x", TFileCompressionLevel::fcDefault, true);
    const std::string source = Source("s", TextBytes("x"));
    EXPECT_THROW(writer.AddFile(source, "..", ""), ESetupError);
    EXPECT_THROW(writer.AddFile(source, "a:b", ""), ESetupError);
    EXPECT_THROW(writer.AddFile(source, std::string(256, 'n'), ""), ESetupError);
    EXPECT_THROW(writer.AddFile(source, "ok", "..\\up"), ESetupError);
    EXPECT_THROW(writer.AddFile(source, "ok", std::string(256, 'p')), ESetupError);
    EXPECT_THROW(writer.AddFile(Temp / "absent", "ok", ""), ESetupError);
    writer.AddFile(source, std::string(255, 'n'), std::string(255, 'p'));
    writer.Finish();
    TZLBArchive reader;
    reader.OpenArchive(Temp / "out.x");
    EXPECT_EQ(reader.FileCount(), 1);
}

}  // namespace
