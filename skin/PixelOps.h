#pragma once

// The pixel work of the 32-bit bitmaps, on plain memory: rows top down,
// Width pixels each, no gap. The Windows bitmap hands its section's pixels
// here; the tests hand vectors.

#include <vector>

#include "skin/Color32.h"

struct TPixelRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool operator==(const TPixelRect& other) const
    {
        return Left == other.Left && Top == other.Top && Right == other.Right && Bottom == other.Bottom;
    }
};

struct TPixelMap {
    TColor32* Pixels = nullptr;
    int Width = 0;
    int Height = 0;

    bool IsEmpty() const { return Width <= 0 || Height <= 0; }
    int Count() const { return IsEmpty() ? 0 : Width * Height; }
    TColor32& At(int x, int y) const { return Pixels[x + y * Width]; }
};

void ClearTo(const TPixelMap& map, TColor32 colour);
void MakeOpaque(const TPixelMap& map);
// Sets the pixels of the rectangle clipped to the map; false when nothing was inside.
bool FillArea(const TPixelMap& map, TPixelRect area, TColor32 colour);
// destination[i] gets the brightness of source[i] as its alpha; both the same size.
void AlphaFromIntensity(const TPixelMap& destination, const TPixelMap& source);
// Opaque, then every pixel of the bottom-left pixel's colour becomes transparent pure green.
void ApplyCornerKey(const TPixelMap& map);
// Opaque, then every pixel of the invisible colour (low 24 bits) gets alpha 0.
void ApplyInvisibleColor(const TPixelMap& map, TColor32 invisible);

// Copies source at (x, y) of destination, clipped to the destination.
void CopyPixels(const TPixelMap& source, const TPixelMap& destination, int x, int y);
// Nearest-neighbour stretch of sourceRect of source into destRect of destination
// in 16.16 fixed point; false when nothing was drawn. Raises "Source rectangle
// is invalid" when sourceRect does not lie within source.
bool StretchPixels(const TPixelMap& source, TPixelRect sourceRect, const TPixelMap& destination, TPixelRect destRect);
