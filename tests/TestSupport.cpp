#include "tests/TestSupport.h"

#include <zlib.h>

#include <fstream>
#include <random>
#include <stdexcept>

#include "utilities/SetupError.h"

namespace fs = std::filesystem;

TTempFolder::TTempFolder()
{
    std::random_device entropy;
    for (;;) {
        Root = fs::temp_directory_path() / ("zoreva-test-" + std::to_string(entropy()));
        if (fs::create_directory(Root)) return;
    }
}

TTempFolder::~TTempFolder()
{
    // Read-only files (copies keep the attribute on Windows) would stop remove_all.
    std::error_code ignored;
    fs::permissions(Root, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (fs::recursive_directory_iterator it(Root, ignored), end; !ignored && it != end; it.increment(ignored))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(Root, ignored);
}

std::string TTempFolder::Text() const
{
    return (Root / "").string();
}

std::string TTempFolder::Put(const std::string& name, const Bytes& bytes) const
{
    WriteAll(Root / name, bytes);
    return (Root / name).string();
}

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ESetupError& error) {
        return error.what();
    }
    return "no error";
}

Bytes ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

Bytes TextBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes Deflate(const Bytes& data, int level)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

Bytes SampleText(size_t size, uint32_t seed)
{
    static const char* const words[] = {"setup ", "archive ", "folder ", "Zoreva ", "install\r\n", "the ",
                                        "program ", "file ", "of ", "data "};
    std::mt19937 random(seed);
    Bytes out;
    out.reserve(size + 16);
    while (out.size() < size) {
        const char* word = words[random() % 10];
        out.insert(out.end(), word, word + std::char_traits<char>::length(word));
    }
    out.resize(size);
    return out;
}

Bytes SampleRandom(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes out(size);
    for (auto& byte : out) byte = static_cast<uint8_t>(random());
    return out;
}

uint32_t Crc32Of(const Bytes& data)
{
    return UpdateCrc32(0, data.data(), data.size());
}

// zlib's CRC-32 runs a register through one table step per byte. Each
// step's table entry is fixed by the top byte of the register after it, so
// walking back from the wanted register names the four entries; the four
// bytes are then chosen to select them.
Bytes WithCrc32(Bytes data, uint32_t crc)
{
    uint32_t table[256];
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t entry = i;
        for (int bit = 0; bit < 8; ++bit) entry = entry & 1 ? 0xEDB88320u ^ (entry >> 1) : entry >> 1;
        table[i] = entry;
    }
    const auto entryWithTop = [&table](uint32_t top) {
        uint32_t i = 0;
        while ((table[i] >> 24) != top) ++i;
        return i;
    };
    uint32_t entries[4];
    uint32_t wanted = ~crc;
    for (int step = 3; step >= 0; --step) {
        entries[step] = entryWithTop(wanted >> 24);
        wanted = (wanted ^ table[entries[step]]) << 8;
    }
    uint32_t state = ~Crc32Of(data);
    for (const uint32_t entry : entries) {
        data.push_back(static_cast<uint8_t>((state ^ entry) & 0xFF));
        state = (state >> 8) ^ table[entry];
    }
    return data;
}

static void Put16(Bytes& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

static void Put32(Bytes& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

Bytes BmpFile(int width, int height, int bits, const std::vector<uint32_t>& topDown)
{
    const int rowBytes = (width * bits / 8 + 3) & ~3;
    Bytes out = {'B', 'M'};
    Put32(out, static_cast<uint32_t>(54 + rowBytes * height));
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    for (int i = 0; i < 6; ++i) Put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        const size_t start = out.size();
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = topDown[size_t(y * width + x)];
            for (int byte = 0; byte < bits / 8; ++byte) out.push_back(static_cast<uint8_t>(pixel >> (8 * byte)));
        }
        out.resize(start + size_t(rowBytes), 0);
    }
    return out;
}

int32_t TRawArchive::AddBlock(const Bytes& block)
{
    const auto offset = static_cast<int32_t>(Data.size());
    Data.insert(Data.end(), block.begin(), block.end());
    return offset;
}

TZLBFileEntry& TRawArchive::AddMember(const std::string& name, const Bytes& data, bool stored,
                                      const std::string& path)
{
    TZLBFileEntry entry;
    entry.SetFileName(name);
    entry.SetFilePath(path);
    entry.SetUncompressedSize(static_cast<int32_t>(data.size()));
    entry.SetCrc32(Crc32Of(data));
    entry.SetStored(stored);
    entry.SetDataOffset(AddBlock(stored ? data : Deflate(data)));
    return AddRecord(entry);
}

TZLBFileEntry& TRawArchive::AddRecord(const TZLBFileEntry& entry)
{
    Records.push_back(entry);
    return Records.back();
}

Bytes TRawArchive::Build() const
{
    Bytes out = Data;
    Bytes list;
    for (const auto& record : Records) list.insert(list.end(), record.Bytes.begin(), record.Bytes.end());
    if (CompressList) list = Deflate(list);
    TZLBTrailer trailer;
    trailer.SetEntryCount(static_cast<int32_t>(Records.size()));
    trailer.SetListOffset(static_cast<int32_t>(out.size()));
    trailer.SetListCompressed(CompressList);
    out.insert(out.end(), list.begin(), list.end());
    out.insert(out.end(), trailer.Bytes.begin(), trailer.Bytes.end());
    FixTrailerCrc(out);
    return out;
}

void PatchInt32(Bytes& archive, size_t offset, int32_t value)
{
    WriteUInt32LE(&archive[offset], static_cast<uint32_t>(value));
}

void FixTrailerCrc(Bytes& archive)
{
    const size_t covered = archive.size() - kTrailerSize;
    WriteUInt32LE(&archive[covered], UpdateCrc32(0, archive.data(), covered));
}
