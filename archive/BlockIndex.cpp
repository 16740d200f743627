#include "archive/BlockIndex.h"

#include <cstring>

#include "archive/ArchiveFormat.h"

namespace {

constexpr size_t kCompareBlockSize = 65536;

uint32_t CrcFromStart(files::TFile& file)
{
    std::vector<uint8_t> block(kCompareBlockSize);
    uint32_t crc = 0;
    file.Seek(0);
    while (const size_t got = file.Read(block.data(), block.size())) crc = UpdateCrc32(crc, block.data(), got);
    return crc;
}

// A source that cannot be opened any more vouches for nothing.
bool SameBytes(files::TFile& file, const std::string& otherPath)
{
    files::TFile other;
    if (!other.OpenForReading(otherPath)) return false;
    std::vector<uint8_t> mine(kCompareBlockSize), theirs(kCompareBlockSize);
    file.Seek(0);
    for (;;) {
        const size_t got = file.Read(mine.data(), mine.size());
        if (other.Read(theirs.data(), theirs.size()) != got) return false;
        if (got == 0) return true;
        if (std::memcmp(mine.data(), theirs.data(), got) != 0) return false;
    }
}

}  // namespace

const TWrittenBlock* TBlockIndex::Find(files::TFile& file) const
{
    const auto sameSize = BlocksBySize.find(file.Size());
    if (sameSize == BlocksBySize.end()) return nullptr;
    const uint32_t crc = CrcFromStart(file);
    const TWrittenBlock* found = nullptr;
    for (const TWrittenBlock& block : sameSize->second) {
        if (block.Crc == crc && SameBytes(file, block.Source)) {
            found = &block;
            break;
        }
    }
    file.Seek(0);
    return found;
}

void TBlockIndex::Add(int64_t size, const TWrittenBlock& block)
{
    BlocksBySize[size].push_back(block);
}
