#pragma once

// Writes archives the reader understands: each member zlib-compressed (or
// stored at fcNone), then the file list, plain or as one zlib stream, then the
// trailer. Every byte the reader does not interpret is zero. A file identical
// to an earlier member gets no block of its own: its record names the earlier
// one's, as every record carries its own data offset.

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/ArchiveFormat.h"
#include "archive/BlockIndex.h"
#include "utilities/FileSystem.h"

int ZlibLevel(TFileCompressionLevel level);

// Members that share an earlier member's block, and the bytes of the blocks
// they did not need.
struct TDuplicateFigures {
    int Merged = 0;
    int64_t BytesSaved = 0;

    TDuplicateFigures& operator+=(const TDuplicateFigures& more);
};

class TZLBArchiveWriter {
public:
    TZLBArchiveWriter(const std::string& fileName, TFileCompressionLevel level, bool compressList);

    // Adds the file at sourcePath as member fileName with the stored folder
    // path filePath (backslashes, relative; may be empty).
    void AddFile(const std::string& sourcePath, const std::string& fileName, const std::string& filePath);
    // Writes the file list and the trailer and closes the archive.
    void Finish();

    // Told, as a file is added, how many of its bytes were read so far, so
    // that a caller can show progress within a large file.
    std::function<void(int64_t bytesRead)> OnRead;

    int64_t BytesIn() const { return UncompressedTotal; }
    int64_t BytesOut() const { return Position; }
    const TDuplicateFigures& Duplicates() const { return DuplicateFigures; }

private:
    void ShareBlock(const TWrittenBlock& block, TZLBFileEntry& entry);
    void WriteBlock(files::TFile& source, TZLBFileEntry& entry);
    void WriteMember(files::TFile& source, TZLBFileEntry& entry);
    void WriteList();
    void Emit(const void* data, size_t count);
    void DeflateInto(z_stream& stream, int flush);

    files::TFile Output;
    TFileCompressionLevel Level;
    bool CompressList;
    std::vector<TZLBFileEntry> Entries;
    TBlockIndex Blocks;
    TDuplicateFigures DuplicateFigures;
    std::vector<uint8_t> Buffer;
    uint32_t Crc = 0;
    int64_t Position = 0;
    int64_t UncompressedTotal = 0;
};
