#include "skin/BmpFile.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kLargestHeaderSize = 124;  // BITMAPV5HEADER
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
constexpr size_t kBitFieldMasksSize = 12;
// Beyond this a picture is no skin but damage; it also keeps the sums below in range.
constexpr int64_t kLargestSide = 1 << 16;

uint32_t U16(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0] | p[1] << 8);
}

uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

bool FitsCompression(uint16_t bits, uint32_t compression)
{
    switch (compression) {
    case kRgb: return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kRle8: return bits == 8;
    case kRle4: return bits == 4;
    case kBitFields: return bits == 16 || bits == 32;
    default: return false;
    }
}

}  // namespace

std::optional<TBmpLayout> ReadBmpLayout(const uint8_t* data, size_t size)
{
    if (size < kFileHeaderSize + kCoreHeaderSize || data[0] != 'B' || data[1] != 'M') return std::nullopt;
    const uint32_t pixelsAt = U32(data + 10);
    const uint32_t headerSize = U32(data + kFileHeaderSize);
    const bool core = headerSize == kCoreHeaderSize;
    if (!core && (headerSize < kInfoHeaderSize || headerSize > kLargestHeaderSize)) return std::nullopt;
    if (size < kFileHeaderSize + headerSize) return std::nullopt;

    const uint8_t* info = data + kFileHeaderSize;
    TBmpLayout layout;
    int64_t height = 0;
    uint32_t planes = 0, coloursUsed = 0;
    if (core) {
        layout.Width = static_cast<int32_t>(U16(info + 4));
        height = U16(info + 6);
        planes = U16(info + 8);
        layout.BitCount = static_cast<uint16_t>(U16(info + 10));
    } else {
        layout.Width = static_cast<int32_t>(U32(info + 4));
        height = static_cast<int32_t>(U32(info + 8));
        planes = U16(info + 12);
        layout.BitCount = static_cast<uint16_t>(U16(info + 14));
        layout.Compression = U32(info + 16);
        coloursUsed = U32(info + 32);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (planes != 1 || layout.Width <= 0 || height == 0 || layout.Width > kLargestSide || height > kLargestSide)
        return std::nullopt;
    if (!FitsCompression(layout.BitCount, layout.Compression)) return std::nullopt;
    const bool runLength = layout.Compression == kRle8 || layout.Compression == kRle4;
    if (runLength && topDown) return std::nullopt;
    layout.Height = static_cast<int32_t>(height);

    size_t tableAt = kFileHeaderSize + headerSize;
    if (layout.Compression == kBitFields && headerSize == kInfoHeaderSize) tableAt += kBitFieldMasksSize;
    uint64_t colours = 0;
    if (layout.BitCount <= 8) {
        const uint32_t most = 1u << layout.BitCount;
        if (coloursUsed > most) return std::nullopt;
        colours = coloursUsed != 0 ? coloursUsed : most;
    }
    const uint64_t tableEnd = tableAt + colours * (core ? 3 : 4);
    if (tableEnd > size || pixelsAt < tableEnd || pixelsAt >= size) return std::nullopt;

    if (runLength) return layout;  // the runs end where their end mark says
    const uint64_t stride = (static_cast<uint64_t>(layout.Width) * layout.BitCount + 31) / 32 * 4;
    if (pixelsAt + stride * static_cast<uint64_t>(height) > size) return std::nullopt;
    return layout;
}
