#pragma once

// Numbers in the byte order of every Windows file format the packer reads and
// writes (programs, icons, version information). Callers check the bounds.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace le {

inline uint16_t Get16(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

inline uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint32_t>(Get16(bytes, at)) | static_cast<uint32_t>(Get16(bytes, at + 2)) << 16;
}

inline void Set16(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

inline void Set32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    Set16(bytes, at, value & 0xFFFF);
    Set16(bytes, at + 2, value >> 16);
}

inline void Append16(std::vector<uint8_t>& bytes, uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

inline void Append32(std::vector<uint8_t>& bytes, uint32_t value)
{
    Append16(bytes, value & 0xFFFF);
    Append16(bytes, value >> 16);
}

}  // namespace le
