#pragma once

// The data blocks an archive writer has written, found again by the bytes
// they hold, so that a file identical to an earlier member can name that
// member's block instead of a copy. Size and CRC-32 only pick the candidates:
// a file shares a block only when every byte equals what the block gives when
// read back from the archive, as different files may well share a checksum,
// and the file a block was made from may have changed or been reused since.
// The index keeps where each block lies, never its bytes, so it grows with
// the members, not the payload.

#include <cstdint>
#include <map>
#include <vector>

#include "utilities/FileSystem.h"

struct TWrittenBlock {
    int32_t Offset = 0;
    int32_t Size = 0;  // of the data it holds
    uint32_t Crc = 0;
    bool Stored = false;
    int64_t Length = 0;  // in the archive
};

class TBlockIndex {
public:
    // The block of archive (open for reading and writing) that holds exactly
    // the bytes of file, or nullptr. Reads only when a block of the file's
    // size exists, and leaves file at its start and archive where it was. The
    // pointer is valid until the next Add.
    const TWrittenBlock* Find(files::TFile& file, files::TFile& archive) const;
    void Add(const TWrittenBlock& block);

private:
    std::map<int64_t, std::vector<TWrittenBlock>> BlocksBySize;
};
