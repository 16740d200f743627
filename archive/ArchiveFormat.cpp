#include "archive/ArchiveFormat.h"

#include <zlib.h>

#include <algorithm>

uint32_t UpdateCrc32(uint32_t crc, const void* data, size_t count)
{
    return static_cast<uint32_t>(crc32(crc, static_cast<const Bytef*>(data), static_cast<uInt>(count)));
}

uint32_t ReadUInt32LE(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

int32_t ReadInt32LE(const uint8_t* at)
{
    return static_cast<int32_t>(ReadUInt32LE(at));
}

void WriteUInt32LE(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

std::string TZLBFileEntry::ShortString(int at) const
{
    const auto* text = reinterpret_cast<const char*>(&Bytes[at + 1]);
    return std::string(text, Bytes[at]);
}

void TZLBFileEntry::SetShortString(int at, const std::string& text)
{
    const size_t length = std::min<size_t>(text.size(), kMaxStoredNameLength);
    std::fill(&Bytes[at], &Bytes[at] + 256, 0);
    Bytes[at] = static_cast<uint8_t>(length);
    std::copy_n(text.begin(), length, &Bytes[at + 1]);
}
