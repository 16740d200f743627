#include "skin/PixelOps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "utilities/SetupError.h"

void ClearTo(const TPixelMap& map, TColor32 colour)
{
    std::fill_n(map.Pixels, map.Count(), colour);
}

void MakeOpaque(const TPixelMap& map)
{
    for (int i = 0; i < map.Count(); ++i) map.Pixels[i] |= 0xFF000000u;
}

static TPixelRect Clipped(TPixelRect area, int width, int height)
{
    return {std::max(area.Left, 0), std::max(area.Top, 0), std::min(area.Right, width), std::min(area.Bottom, height)};
}

bool FillArea(const TPixelMap& map, TPixelRect area, TColor32 colour)
{
    const TPixelRect inside = Clipped(area, map.Width, map.Height);
    if (area.IsEmpty() || inside.IsEmpty()) return false;
    for (int y = inside.Top; y < inside.Bottom; ++y) std::fill_n(&map.At(inside.Left, y), inside.Width(), colour);
    return true;
}

void AlphaFromIntensity(const TPixelMap& destination, const TPixelMap& source)
{
    for (int i = 0; i < destination.Count(); ++i)
        destination.Pixels[i] = WithAlpha(destination.Pixels[i], Brightness(source.Pixels[i]));
}

void ApplyCornerKey(const TPixelMap& map)
{
    MakeOpaque(map);
    if (map.IsEmpty()) return;
    const TColor32 key = map.At(0, map.Height - 1) & kColourMask;
    const TColor32 transparentGreen = MakeColor32(0, 255, 0, 0);
    for (int i = 0; i < map.Count(); ++i)
        if ((map.Pixels[i] & kColourMask) == key) map.Pixels[i] = transparentGreen;
}

void ApplyInvisibleColor(const TPixelMap& map, TColor32 invisible)
{
    MakeOpaque(map);
    const TColor32 key = invisible & kColourMask;
    for (int i = 0; i < map.Count(); ++i)
        if ((map.Pixels[i] & kColourMask) == key) map.Pixels[i] = key;
}

void CopyPixels(const TPixelMap& source, const TPixelMap& destination, int x, int y)
{
    const TPixelRect target = Clipped({x, y, x + source.Width, y + source.Height}, destination.Width, destination.Height);
    if (source.IsEmpty() || target.IsEmpty()) return;
    for (int row = target.Top; row < target.Bottom; ++row)
        std::memcpy(&destination.At(target.Left, row), &source.At(target.Left - x, row - y),
                    static_cast<size_t>(target.Width()) * sizeof(TColor32));
}

// The first source offset in 16.16 for a destination clipped by skipped pixels:
// round(skipped x (s - 1) x 65535 / (d - 1)), halves up. A one-pixel-wide
// destination has no divisor; it starts at the source's first pixel rather
// than one before it.
static int64_t StartOffset(int skipped, int sourceSize, int destSize)
{
    if (destSize == 1) return 0;
    const double exact = double(skipped) * (sourceSize - 1) * 65535.0 / (destSize - 1);
    return static_cast<int64_t>(std::floor(exact + 0.5));
}

bool StretchPixels(const TPixelMap& source, TPixelRect sourceRect, const TPixelMap& destination, TPixelRect destRect)
{
    if (source.IsEmpty() || destination.IsEmpty() || sourceRect.IsEmpty()) return false;
    if (sourceRect.Left < 0 || sourceRect.Top < 0 || sourceRect.Right > source.Width || sourceRect.Bottom > source.Height)
        throw ESetupError("Source rectangle is invalid");
    const TPixelRect clip = Clipped(destRect, destination.Width, destination.Height);
    if (clip.IsEmpty()) return false;
    const int sw = sourceRect.Width(), sh = sourceRect.Height();
    const int dw = destRect.Width(), dh = destRect.Height();
    if (sw == dw && sh == dh) {
        for (int row = clip.Top; row < clip.Bottom; ++row)
            std::memcpy(&destination.At(clip.Left, row),
                        &source.At(sourceRect.Left + clip.Left - destRect.Left, sourceRect.Top + row - destRect.Top),
                        static_cast<size_t>(clip.Width()) * sizeof(TColor32));
        return true;
    }
    const int64_t stepX = int64_t{sw} * 65536 / dw, stepY = int64_t{sh} * 65536 / dh;
    const int64_t startX = StartOffset(clip.Left - destRect.Left, sw, dw);
    int64_t y = StartOffset(clip.Top - destRect.Top, sh, dh);
    for (int row = clip.Top; row < clip.Bottom; ++row, y += stepY) {
        const TColor32* sourceRow = &source.At(sourceRect.Left, sourceRect.Top + static_cast<int>(y >> 16));
        TColor32* out = &destination.At(0, row);
        int64_t x = startX;
        for (int column = clip.Left; column < clip.Right; ++column, x += stepX) out[column] = sourceRow[x >> 16];
    }
    return true;
}
