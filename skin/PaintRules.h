#pragma once

// Sizing decisions of the image form and frame, apart from any window.

#include "skin/PixelOps.h"

enum class TScaleMode { smNormal, smStretch, smScale, smResize };

struct TPixelSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TPixelSize& other) const { return Width == other.Width && Height == other.Height; }
};

// Buffer slack in pixels: a buffer too small grows to the wanted size plus
// this; one larger by more than this shrinks to the wanted size exactly.
constexpr int kBufferOversize = 40;

// The back buffer's next size for a client area of wanted; oversize -1 means exact.
TPixelSize NextBufferSize(TPixelSize current, TPixelSize wanted, int oversize = kBufferOversize);

// The bitmap's size in the client area for a scale mode; 0 x 0 when either is empty.
TPixelSize BitmapSize(TScaleMode mode, float scale, TPixelSize bitmap, TPixelSize control);

// Scale values below this are stored as this.
constexpr float kMinimumScale = 0.001f;
