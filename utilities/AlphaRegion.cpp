#include "utilities/AlphaRegion.h"

std::vector<TPixelRect> AlphaRuns(const TPixelMap& map, int threshold)
{
    // The pixel with its colour bytes cleared is compared with the threshold
    // in the alpha byte: with 100, alpha 101..255 is inside.
    const TColor32 limit = static_cast<TColor32>(threshold) << 24;
    std::vector<TPixelRect> runs;
    for (int y = 0; y < map.Height; ++y) {
        const TColor32* row = &map.At(0, y);
        int start = -1;
        for (int x = 0; x < map.Width; ++x) {
            const bool inside = (row[x] & 0xFF000000u) > limit;
            if (inside && start < 0) start = x;
            if (!inside && start >= 0) {
                runs.push_back({start, y, x, y + 1});
                start = -1;
            }
        }
        if (start >= 0) runs.push_back({start, y, map.Width, y + 1});
    }
    return runs;
}
