#include "archive/BlockIndex.h"

#include <cstring>
#include <optional>

#include "archive/ArchiveFormat.h"
#include "archive/InflateReader.h"

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

// Reads the block back as the reader will extract it and compares it with the
// whole of file.
bool BlockHolds(files::TFile& archive, const TWrittenBlock& block, files::TFile& file)
{
    archive.Seek(block.Offset);
    std::optional<TInflateReader> inflater;
    if (!block.Stored) inflater.emplace(archive);
    std::vector<uint8_t> mine(kCompareBlockSize), theirs(kCompareBlockSize);
    file.Seek(0);
    for (int64_t remaining = block.Size;;) {
        const size_t got = file.Read(mine.data(), mine.size());
        if (static_cast<int64_t>(got) > remaining) return false;
        const size_t given = inflater ? inflater->Read(theirs.data(), got) : archive.Read(theirs.data(), got);
        if (given != got || std::memcmp(mine.data(), theirs.data(), got) != 0) return false;
        remaining -= static_cast<int64_t>(got);
        if (got < mine.size()) return remaining == 0;
    }
}

}  // namespace

const TWrittenBlock* TBlockIndex::Find(files::TFile& file, files::TFile& archive) const
{
    const auto sameSize = BlocksBySize.find(file.Size());
    if (sameSize == BlocksBySize.end()) return nullptr;
    const uint32_t crc = CrcFromStart(file);
    const int64_t archivePosition = archive.Position();
    const TWrittenBlock* found = nullptr;
    for (const TWrittenBlock& block : sameSize->second) {
        if (block.Crc == crc && BlockHolds(archive, block, file)) {
            found = &block;
            break;
        }
    }
    archive.Seek(archivePosition);
    file.Seek(0);
    return found;
}

void TBlockIndex::Add(const TWrittenBlock& block)
{
    BlocksBySize[block.Size].push_back(block);
}
