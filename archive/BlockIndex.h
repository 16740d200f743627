#pragma once

// The data blocks an archive writer has written, found again by the bytes
// they hold, so that a file identical to an earlier member can name that
// member's block instead of a copy. Size and CRC-32 only pick the candidates:
// two files become one block only when every byte compares equal, as
// different files may well share a checksum. The index keeps where each block
// came from, never its bytes, so it grows with the members, not the payload.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "utilities/FileSystem.h"

struct TWrittenBlock {
    std::string Source;  // the file whose bytes the block holds
    uint32_t Crc = 0;
    size_t Member = 0;   // the writer's record that has the block
    int64_t Length = 0;  // in the archive
};

class TBlockIndex {
public:
    // The block holding exactly the bytes of file, or nullptr; reads file
    // only when a block of its size exists, and leaves it at its start. The
    // pointer is valid until the next Add.
    const TWrittenBlock* Find(files::TFile& file) const;
    void Add(int64_t size, const TWrittenBlock& block);

private:
    std::map<int64_t, std::vector<TWrittenBlock>> BlocksBySize;
};
