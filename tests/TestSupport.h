#pragma once

// Helpers shared by the tests: private temporary folders, whole-file reads and
// writes, and a builder for archives crafted byte by byte (valid or not),
// independent of the archive writer under test.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "archive/ArchiveFormat.h"

using Bytes = std::vector<uint8_t>;

// A fresh folder below the temporary folder, removed with everything in it.
class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return Root; }
    // The folder as the code under test takes it: a string with a trailing separator.
    std::string Text() const;
    std::string operator/(const std::string& name) const { return (Root / name).string(); }
    // Writes a file of these bytes into the folder and returns its path.
    std::string Put(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::filesystem::path Root;
};

// The message of the ESetupError the action raises; "no error" when it raises none.
std::string ErrorOf(const std::function<void()>& action);

Bytes ReadAll(const std::filesystem::path& path);
void WriteAll(const std::filesystem::path& path, const Bytes& bytes);
Bytes TextBytes(const std::string& text);
Bytes Deflate(const Bytes& data, int level = 6);
// Reproducible data of a given kind: text-like, random or a single repeated byte.
Bytes SampleText(size_t size, uint32_t seed = 1);
Bytes SampleRandom(size_t size, uint32_t seed = 1);
uint32_t Crc32Of(const Bytes& data);
// data followed by the four bytes that give the whole the CRC-32 crc: files
// that differ but share a checksum.
Bytes WithCrc32(Bytes data, uint32_t crc);
// A bottom-up BMP file of 24 or 32 bits per pixel; pixels top row first as 0xAARRGGBB.
Bytes BmpFile(int width, int height, int bits, const std::vector<uint32_t>& topDown);

// Builds an archive in memory: member blocks first, then the file list, then
// the trailer with the CRC-32 of everything before it.
class TRawArchive {
public:
    // Appends a data block and returns its offset.
    int32_t AddBlock(const Bytes& block);
    // A member whose record describes data honestly; compressed unless stored.
    TZLBFileEntry& AddMember(const std::string& name, const Bytes& data, bool stored = false,
                             const std::string& path = "");
    // A record with any field values at all.
    TZLBFileEntry& AddRecord(const TZLBFileEntry& entry);

    bool CompressList = false;

    Bytes Build() const;
    void WriteTo(const std::filesystem::path& path) const { WriteAll(path, Build()); }

private:
    Bytes Data;
    std::deque<TZLBFileEntry> Records;
};

// Trailer surgery on a built archive: set a field, then make the CRC-32 fit again.
void PatchInt32(Bytes& archive, size_t offset, int32_t value);
void FixTrailerCrc(Bytes& archive);
constexpr size_t TrailerField(Bytes::size_type archiveSize, size_t fieldOffset)
{
    return archiveSize - kTrailerSize + fieldOffset;
}
