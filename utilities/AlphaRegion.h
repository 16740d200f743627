#pragma once

// The shape of a skinned window: one rectangle per horizontal run of pixels
// whose alpha is above a threshold, rows top to bottom, runs left to right,
// runs of consecutive rows never merged.

#include <vector>

#include "skin/PixelOps.h"

std::vector<TPixelRect> AlphaRuns(const TPixelMap& map, int threshold);
