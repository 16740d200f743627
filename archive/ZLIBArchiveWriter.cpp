#include "archive/ZLIBArchiveWriter.h"

#include <limits>
#include <optional>

#include "archive/MemberPaths.h"
#include "utilities/SetupError.h"
#include "utilities/WindowsPath.h"

namespace {

constexpr int64_t kMaxArchiveBytes = std::numeric_limits<int32_t>::max();
constexpr size_t kIoBlockSize = 65536;

// Ends a deflate stream however the member is left.
class TDeflateStream {
public:
    explicit TDeflateStream(int level)
    {
        if (deflateInit(&Stream, level) != Z_OK) throw ESetupError("Unable to initialise deflate");
    }
    ~TDeflateStream() { deflateEnd(&Stream); }
    TDeflateStream(const TDeflateStream&) = delete;
    TDeflateStream& operator=(const TDeflateStream&) = delete;
    z_stream Stream{};
};

void CheckStoredName(const std::string& text, const std::string& what)
{
    if (text.size() > kMaxStoredNameLength)
        throw ESetupError(what + " longer than 255 bytes: " + text);
}

}  // namespace

int ZlibLevel(TFileCompressionLevel level)
{
    switch (level) {
    case TFileCompressionLevel::fcNone: return Z_NO_COMPRESSION;
    case TFileCompressionLevel::fcFastest: return Z_BEST_SPEED;
    case TFileCompressionLevel::fcDefault: return Z_DEFAULT_COMPRESSION;
    case TFileCompressionLevel::fcMaximum: return Z_BEST_COMPRESSION;
    }
    return Z_DEFAULT_COMPRESSION;
}

TDuplicateFigures& TDuplicateFigures::operator+=(const TDuplicateFigures& more)
{
    Merged += more.Merged;
    BytesSaved += more.BytesSaved;
    return *this;
}

TZLBArchiveWriter::TZLBArchiveWriter(const std::string& fileName, TFileCompressionLevel level, bool compressList)
    : Level(level), CompressList(compressList), Buffer(kIoBlockSize)
{
    Output.CreateForWriting(fileName);
}

void TZLBArchiveWriter::AddFile(const std::string& sourcePath, const std::string& fileName,
                                const std::string& filePath)
{
    CheckStoredName(fileName, "File name");
    CheckStoredName(filePath, "Folder path");
    if (!winpath::IsSafeFileName(fileName)) throw ESetupError("Not a valid member name: " + fileName);
    if (!IsSafeFilePath(filePath, "archive")) throw ESetupError("Not a valid member folder: " + filePath);
    files::TFile source;
    if (!source.OpenForReading(sourcePath)) throw ESetupError("Unable to open file (" + sourcePath + ")");

    TZLBFileEntry entry;
    entry.SetFileName(fileName);
    entry.SetFilePath(filePath);
    if (const TWrittenBlock* block = Blocks.Find(source, Output)) ShareBlock(*block, entry);
    else WriteBlock(source, entry);
    Entries.push_back(entry);
}

void TZLBArchiveWriter::ShareBlock(const TWrittenBlock& block, TZLBFileEntry& entry)
{
    entry.SetDataOffset(block.Offset);
    entry.SetStored(block.Stored);
    entry.SetUncompressedSize(block.Size);
    entry.SetCrc32(block.Crc);
    UncompressedTotal += block.Size;
    ++DuplicateFigures.Merged;
    DuplicateFigures.BytesSaved += block.Length;
}

void TZLBArchiveWriter::WriteBlock(files::TFile& source, TZLBFileEntry& entry)
{
    const int64_t start = Position;
    entry.SetDataOffset(static_cast<int32_t>(start));
    WriteMember(source, entry);
    Blocks.Add({entry.DataOffset(), entry.UncompressedSize(), entry.Crc32(), entry.Stored(), Position - start});
}

void TZLBArchiveWriter::WriteMember(files::TFile& source, TZLBFileEntry& entry)
{
    const bool store = Level == TFileCompressionLevel::fcNone;
    std::optional<TDeflateStream> deflater;
    if (!store) deflater.emplace(ZlibLevel(Level));
    std::vector<uint8_t> input(kIoBlockSize);
    uint32_t crc = 0;
    int64_t size = 0;
    while (const size_t got = source.Read(input.data(), input.size())) {
        crc = UpdateCrc32(crc, input.data(), got);
        size += static_cast<int64_t>(got);
        if (size > kMaxArchiveBytes) throw ESetupError("Member larger than 2 GiB: " + entry.FileName());
        if (OnRead) OnRead(size);
        if (store) {
            Emit(input.data(), got);
            continue;
        }
        deflater->Stream.next_in = input.data();
        deflater->Stream.avail_in = static_cast<uInt>(got);
        DeflateInto(deflater->Stream, Z_NO_FLUSH);
    }
    if (!store) DeflateInto(deflater->Stream, Z_FINISH);
    entry.SetStored(store);
    entry.SetUncompressedSize(static_cast<int32_t>(size));
    entry.SetCrc32(crc);
    UncompressedTotal += size;
}

// Runs deflate until it has taken all input (and, with Z_FINISH, ended the
// stream), emitting its output as it comes.
void TZLBArchiveWriter::DeflateInto(z_stream& stream, int flush)
{
    int result = Z_OK;
    do {
        stream.next_out = Buffer.data();
        stream.avail_out = static_cast<uInt>(Buffer.size());
        result = deflate(&stream, flush);
        if (result == Z_STREAM_ERROR) throw ESetupError("Deflate failed");
        Emit(Buffer.data(), Buffer.size() - stream.avail_out);
    } while (stream.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
}

void TZLBArchiveWriter::Emit(const void* data, size_t count)
{
    if (count == 0) return;
    if (Position + static_cast<int64_t>(count) > kMaxArchiveBytes - kTrailerSize)
        throw ESetupError("Archive larger than 2 GiB");
    Output.Write(data, count);
    Crc = UpdateCrc32(Crc, data, count);
    Position += static_cast<int64_t>(count);
}

void TZLBArchiveWriter::WriteList()
{
    std::vector<uint8_t> list;
    list.reserve(Entries.size() * kFileEntrySize);
    for (const TZLBFileEntry& entry : Entries) list.insert(list.end(), entry.Bytes.begin(), entry.Bytes.end());
    if (!CompressList) {
        Emit(list.data(), list.size());
        return;
    }
    TDeflateStream deflater(ZlibLevel(Level));
    deflater.Stream.next_in = list.data();
    deflater.Stream.avail_in = static_cast<uInt>(list.size());
    DeflateInto(deflater.Stream, Z_FINISH);
}

void TZLBArchiveWriter::Finish()
{
    TZLBTrailer trailer;
    trailer.SetEntryCount(static_cast<int32_t>(Entries.size()));
    trailer.SetListOffset(static_cast<int32_t>(Position));
    trailer.SetListCompressed(CompressList);
    WriteList();
    trailer.SetCrc32(Crc);
    Output.Write(trailer.Bytes.data(), trailer.Bytes.size());
    Output.Close();
}
