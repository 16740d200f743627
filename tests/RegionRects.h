#pragma once

// The rectangles of a region, or of a window's region, as GDI reports them.

#include <windows.h>

#include <cstdint>
#include <vector>

inline std::vector<RECT> RegionRects(HRGN region)
{
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<uint8_t> buffer(size);
    if (size == 0 || !GetRegionData(region, size, reinterpret_cast<RGNDATA*>(buffer.data()))) return {};
    const auto* data = reinterpret_cast<const RGNDATA*>(buffer.data());
    const auto* first = reinterpret_cast<const RECT*>(data->Buffer);
    return std::vector<RECT>(first, first + data->rdh.nCount);
}

// Empty when the window has no region at all.
inline std::vector<RECT> WindowRegionRects(HWND window)
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    std::vector<RECT> rects;
    if (GetWindowRgn(window, region) != ERROR) rects = RegionRects(region);
    DeleteObject(region);
    return rects;
}
