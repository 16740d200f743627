#pragma once

// The archive format shared by the payload and every ".x" archive: member
// blocks anywhere before the trailer, a file list of fixed 532-byte records
// (plain or one zlib stream) and a 36-byte trailer that ends the file. All
// integers are little-endian; sizes and offsets are signed 32-bit.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kTrailerSize = 36;
constexpr int kFileEntrySize = 532;
constexpr int kMaxStoredNameLength = 255;

// Data moves through the reader in chunks of this size; one progress report each.
constexpr int kChunkSize = 4096;
// The inflating reader takes its input from the archive file in blocks of this size.
constexpr int kInflateBlockSize = 65536;
// CRC-32 of a whole file is computed over blocks of this size.
constexpr int kCrcBlockSize = 10240;
// Deflate cannot expand data by more than this factor; a compressed file list
// claiming more records than its bytes could hold is refused before inflating.
constexpr int64_t kMaxInflateRatio = 1032;

enum class TFileCompressionLevel { fcNone, fcFastest, fcDefault, fcMaximum };

// The standard CRC-32 (zlib's); start from 0.
uint32_t UpdateCrc32(uint32_t crc, const void* data, size_t count);

int32_t ReadInt32LE(const uint8_t* at);
uint32_t ReadUInt32LE(const uint8_t* at);
void WriteUInt32LE(uint8_t* at, uint32_t value);

// The 36 bytes at the end of an archive, kept as read so that the bytes the
// reader does not interpret survive a copy.
struct TZLBTrailer {
    std::array<uint8_t, kTrailerSize> Bytes{};

    uint32_t Crc32() const { return ReadUInt32LE(&Bytes[0]); }
    int32_t EntryCount() const { return ReadInt32LE(&Bytes[4]); }
    int32_t ListOffset() const { return ReadInt32LE(&Bytes[16]); }
    bool ListCompressed() const { return Bytes[20] != 0; }

    void SetCrc32(uint32_t value) { WriteUInt32LE(&Bytes[0], value); }
    void SetEntryCount(int32_t value) { WriteUInt32LE(&Bytes[4], static_cast<uint32_t>(value)); }
    void SetListOffset(int32_t value) { WriteUInt32LE(&Bytes[16], static_cast<uint32_t>(value)); }
    void SetListCompressed(bool value) { Bytes[20] = value ? 1 : 0; }
};

// One 532-byte file record, kept as read.
struct TZLBFileEntry {
    std::array<uint8_t, kFileEntrySize> Bytes{};

    std::string FileName() const { return ShortString(0); }
    std::string FilePath() const { return ShortString(256); }
    int32_t UncompressedSize() const { return ReadInt32LE(&Bytes[512]); }
    int32_t DataOffset() const { return ReadInt32LE(&Bytes[520]); }
    uint32_t Crc32() const { return ReadUInt32LE(&Bytes[524]); }
    bool Stored() const { return Bytes[528] != 0; }

    // Names longer than 255 bytes do not fit the record; the writer refuses them first.
    void SetFileName(const std::string& name) { SetShortString(0, name); }
    void SetFilePath(const std::string& path) { SetShortString(256, path); }
    void SetUncompressedSize(int32_t value) { WriteUInt32LE(&Bytes[512], static_cast<uint32_t>(value)); }
    void SetDataOffset(int32_t value) { WriteUInt32LE(&Bytes[520], static_cast<uint32_t>(value)); }
    void SetCrc32(uint32_t value) { WriteUInt32LE(&Bytes[524], value); }
    void SetStored(bool value) { Bytes[528] = value ? 1 : 0; }

private:
    std::string ShortString(int at) const;
    void SetShortString(int at, const std::string& text);
};
