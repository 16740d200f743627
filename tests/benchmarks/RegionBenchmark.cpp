// Shape runs of an 800 x 600 skin: a rounded window whose corners and a
// band of holes carry the invisible colour, prepared as the skin holder does.

#include <benchmark/benchmark.h>

#include <vector>

#include "skin/PixelOps.h"
#include "utilities/AlphaRegion.h"

namespace {

constexpr int kWidth = 800, kHeight = 600, kThreshold = 100;
constexpr TColor32 kInvisible = 0xFF00FF;

std::vector<TColor32> SkinPixels()
{
    std::vector<TColor32> pixels(size_t(kWidth) * kHeight, MakeColor32(40, 60, 90, 0));
    const int radius = 60;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int cx = x < radius ? radius - x : x >= kWidth - radius ? x - (kWidth - radius - 1) : 0;
            const int cy = y < radius ? radius - y : y >= kHeight - radius ? y - (kHeight - radius - 1) : 0;
            const bool corner = cx * cx + cy * cy > radius * radius;
            const bool hole = y > 500 && y < 540 && (x / 20) % 2 == 0;
            if (corner || hole) pixels[size_t(y) * kWidth + size_t(x)] = kInvisible;
        }
    return pixels;
}

void BM_InvisibleColourAlpha(benchmark::State& state)
{
    const std::vector<TColor32> skin = SkinPixels();
    std::vector<TColor32> work = skin;
    for (auto _ : state) {
        work = skin;
        ApplyInvisibleColor({work.data(), kWidth, kHeight}, kInvisible);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_InvisibleColourAlpha)->Unit(benchmark::kMicrosecond);

void BM_AlphaRuns(benchmark::State& state)
{
    std::vector<TColor32> work = SkinPixels();
    ApplyInvisibleColor({work.data(), kWidth, kHeight}, kInvisible);
    size_t runs = 0;
    for (auto _ : state) {
        runs = AlphaRuns({work.data(), kWidth, kHeight}, kThreshold).size();
        benchmark::DoNotOptimize(runs);
    }
    state.counters["rectangles"] = double(runs);
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_AlphaRuns)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
