#pragma once

#include <windows.h>

#include "skin/Bitmap32.h"

// A new region of the bitmap's pixels whose alpha is above threshold; the
// window that receives it owns it. Null when the region cannot be made.
HRGN RegionFromAlpha(const TBitmap32& bitmap, int threshold);
