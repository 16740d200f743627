#include "utilities/WindowRegion.h"

#include <cstring>
#include <vector>

#include "utilities/AlphaRegion.h"

HRGN RegionFromAlpha(const TBitmap32& bitmap, int threshold)
{
    const std::vector<TPixelRect> runs = AlphaRuns(bitmap.Map(), threshold);
    std::vector<uint8_t> buffer(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* header = reinterpret_cast<RGNDATAHEADER*>(buffer.data());
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = static_cast<DWORD>(runs.size());
    header->nRgnSize = 0;
    header->rcBound = RECT{0, 0, bitmap.Width() - 1, bitmap.Height() - 1};
    auto* rects = reinterpret_cast<RECT*>(buffer.data() + sizeof(RGNDATAHEADER));
    for (size_t i = 0; i < runs.size(); ++i) rects[i] = RECT{runs[i].Left, runs[i].Top, runs[i].Right, runs[i].Bottom};
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), reinterpret_cast<const RGNDATA*>(buffer.data()));
}
