#pragma once

// The layout of a BMP file, read without the system's help: the packer checks
// on any host that Windows' bitmap loader will take a skin picture.

#include <cstddef>
#include <cstdint>
#include <optional>

struct TBmpLayout {
    int32_t Width = 0;
    int32_t Height = 0;  // rows, whichever way they are stored
    uint16_t BitCount = 0;
    uint32_t Compression = 0;
};

// None unless the headers are sound, the colour table and the pixels lie
// within the file, and the format is one Windows draws (1, 4, 8, 16, 24 or 32
// bits per pixel; plain, run-length encoded or with bit masks).
std::optional<TBmpLayout> ReadBmpLayout(const uint8_t* data, size_t size);
