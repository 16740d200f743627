#pragma once

// 32-bit pixel colours: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
// Windows colour values (red in the low byte) are converted on the way in.

#include <cstdint>

using TColor32 = uint32_t;

constexpr TColor32 kColourMask = 0x00FFFFFF;

constexpr TColor32 MakeColor32(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    return static_cast<TColor32>(a) << 24 | static_cast<TColor32>(r) << 16 | static_cast<TColor32>(g) << 8 | b;
}

constexpr uint8_t AlphaOf(TColor32 c) { return static_cast<uint8_t>(c >> 24); }
constexpr uint8_t RedOf(TColor32 c) { return static_cast<uint8_t>(c >> 16); }
constexpr uint8_t GreenOf(TColor32 c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t BlueOf(TColor32 c) { return static_cast<uint8_t>(c); }

// An RGB Windows colour value (system colours already resolved) as an opaque TColor32.
constexpr TColor32 Color32FromRgb(uint32_t rgb)
{
    return MakeColor32(static_cast<uint8_t>(rgb), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb >> 16), 255);
}

// Perceived intensity 0..255; the weights add up to 256.
constexpr int Brightness(TColor32 c)
{
    return (RedOf(c) * 61 + GreenOf(c) * 174 + BlueOf(c) * 21) >> 8;
}

constexpr TColor32 WithAlpha(TColor32 c, int alpha)
{
    const int clamped = alpha < 0 ? 0 : alpha > 255 ? 255 : alpha;
    return (c & kColourMask) | static_cast<TColor32>(clamped) << 24;
}
