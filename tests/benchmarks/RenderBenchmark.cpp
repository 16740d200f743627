// Figures for an 800 x 600 skin under Windows (or Wine): preparing the skin
// (copy from the image cache and the invisible colour), rendering it into the
// form, building the window region, and a full re-render with region and
// paint. Prints the median of repeated runs of each. Run: render_benchmark.exe

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "skin/Picture.h"
#include "skin/Skinned.h"
#include "utilities/FileSystem.h"
#include "utilities/KMediaList.h"
#include "utilities/WindowRegion.h"

namespace {

constexpr int kWidth = 800, kHeight = 600, kRuns = 40;
constexpr COLORREF kInvisible = RGB(255, 0, 255);

// An 800 x 600 skin with rounded corners and a band of holes in the invisible colour.
void WriteSkin(const std::string& path)
{
    TBitmap32 skin;
    skin.SetDimensions(kWidth, kHeight);
    skin.ClearTo(0xFF3366AA);
    const int radius = 60;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int cx = x < radius ? radius - x : x >= kWidth - radius ? x - (kWidth - radius - 1) : 0;
            const int cy = y < radius ? radius - y : y >= kHeight - radius ? y - (kHeight - radius - 1) : 0;
            if (cx * cx + cy * cy > radius * radius || (y > 500 && y < 540 && (x / 20) % 2 == 0))
                skin.SetPixel(x, y, 0xFFFF00FF);
        }
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = kWidth;
    info.biHeight = -kHeight;
    info.biPlanes = 1;
    info.biBitCount = 32;
    const DWORD pixels = kWidth * kHeight * 4;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixels;
    files::TFile out;
    out.CreateForWriting(path);
    out.Write(&file, sizeof file);
    out.Write(&info, sizeof info);
    out.Write(skin.Bits(), pixels);
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

void Measure(const char* what, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        work();
        QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    std::sort(times.begin(), times.end());
    std::printf("  %-44s %8.2f ms\n", what, times[times.size() / 2]);
}

}  // namespace

int main()
{
    TGdiplusSession gdiplus;
    KMediaList media(gdiplus);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string skinFile = std::string(temp) + "zoreva-render-benchmark.bmp";
    const std::string otherFile = std::string(temp) + "zoreva-render-benchmark-2.bmp";
    WriteSkin(skinFile);
    CopyFileA(skinFile.c_str(), otherFile.c_str(), FALSE);

    TZupForm form;
    form.Skin.SetFileName(skinFile);
    form.Skin.SetInvisibleColor(kInvisible);
    form.Skin.SetAlphaMode(amInvisibleColor);
    form.SetRegionThreshold(100);
    form.SetShapeMode(shAlphaMask);
    form.SetBounds(0, 0, kWidth, kHeight);
    ShowWindow(form.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(form.Handle());

    std::printf("%d x %d skin in a %d x %d form, median of %d runs:\n", form.Skin.GetBitmap().Width(),
                form.Skin.GetBitmap().Height(), form.Bitmap.Width(), form.Bitmap.Height(), kRuns);
    KGraphic holder;
    holder.SetFileName(skinFile);
    holder.SetInvisibleColor(kInvisible);
    Measure("prepare skin (cache copy + invisible colour)", [&] {
        holder.SetAlphaMode(amOpaque);
        holder.SetAlphaMode(amInvisibleColor);
        holder.GetBitmap();
    });
    Measure("render skin into the form", [&] { form.RenderSkin(); });
    Measure("RegionFromAlpha", [&] { DeleteObject(RegionFromAlpha(form.Bitmap, 100)); });
    bool flip = false;
    Measure("full re-render: new skin, region, paint", [&] {
        form.Skin.SetFileName((flip = !flip) ? otherFile : skinFile);
        RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    });
    DeleteFileA(skinFile.c_str());
    DeleteFileA(otherFile.c_str());
    return 0;
}
