#include "utilities/AlphaRegion.h"

#include <gtest/gtest.h>

namespace {

std::vector<TColor32> Alphas(std::initializer_list<int> alphas)
{
    std::vector<TColor32> pixels;
    for (int alpha : alphas) pixels.push_back(WithAlpha(0x00ABCDEF, alpha));
    return pixels;
}

TEST(AlphaRuns, OneRectanglePerRunRowByRow)
{
    std::vector<TColor32> pixels = Alphas({
        255, 255, 0,   255,  //
        0,   0,   0,   0,    //
        101, 100, 101, 101,  //
    });
    const TPixelMap map{pixels.data(), 4, 3};
    EXPECT_EQ(AlphaRuns(map, 100), (std::vector<TPixelRect>{{0, 0, 2, 1}, {3, 0, 4, 1}, {0, 2, 1, 3}, {2, 2, 4, 3}}));
}

TEST(AlphaRuns, InvisibleLeftHalfLeavesTheRightHalfOfEveryRow)
{
    std::vector<TColor32> pixels;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) pixels.push_back(WithAlpha(0, x < 3 ? 0 : 255));
    const TPixelMap map{pixels.data(), 6, 3};
    EXPECT_EQ(AlphaRuns(map, 100), (std::vector<TPixelRect>{{3, 0, 6, 1}, {3, 1, 6, 2}, {3, 2, 6, 3}}));
}

TEST(AlphaRuns, ThresholdComparesTheAlphaByteOnly)
{
    std::vector<TColor32> pixels = {0x64FFFFFF, 0x65000000, 0xFF000000};
    const TPixelMap map{pixels.data(), 3, 1};
    EXPECT_EQ(AlphaRuns(map, 100), (std::vector<TPixelRect>{{1, 0, 3, 1}}));
    EXPECT_EQ(AlphaRuns(map, 0), (std::vector<TPixelRect>{{0, 0, 3, 1}}));
    std::vector<TColor32> clear(8, 0x00FFFFFF);
    EXPECT_TRUE(AlphaRuns({clear.data(), 4, 2}, 100).empty());
}

}  // namespace
