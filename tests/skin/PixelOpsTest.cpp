#include "skin/PixelOps.h"

#include <gtest/gtest.h>

#include "utilities/SetupError.h"

namespace {

// A bitmap in a vector, for the pixel operations.
struct TTestMap {
    TTestMap(int width, int height, TColor32 fill = 0) : Pixels(size_t(width) * size_t(height), fill)
    {
        Map = {Pixels.data(), width, height};
    }
    std::vector<TColor32> Pixels;
    TPixelMap Map;
};

// Pixel i of the source holds i, so stretched results name their source pixels.
TTestMap Numbered(int width, int height)
{
    TTestMap map(width, height);
    for (size_t i = 0; i < map.Pixels.size(); ++i) map.Pixels[i] = static_cast<TColor32>(i);
    return map;
}

TEST(Colour, ConversionsAndIntensity)
{
    EXPECT_EQ(Color32FromRgb(0x0000FF), 0xFFFF0000u);  // Windows red
    EXPECT_EQ(Color32FromRgb(0xFFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(Color32FromRgb(0x123456), MakeColor32(0x56, 0x34, 0x12, 255));
    EXPECT_EQ(MakeColor32(1, 2, 3, 4), 0x04010203u);
    EXPECT_EQ(Brightness(0xFFFFFFFF), 255);
    EXPECT_EQ(Brightness(0xFF000000), 0);
    EXPECT_EQ(Brightness(MakeColor32(0, 255, 0, 0)), 173);
    EXPECT_EQ(WithAlpha(0x12345678, 300), 0xFF345678u);
    EXPECT_EQ(WithAlpha(0x12345678, -3), 0x00345678u);
    EXPECT_EQ(WithAlpha(0x12345678, 0x80), 0x80345678u);
}

TEST(Stretch, NearestNeighbourAsTheFixedPointSteppingGives)
{
    const TTestMap source = Numbered(2, 1);
    TTestMap wide(4, 1, 99);
    EXPECT_TRUE(StretchPixels(source.Map, {0, 0, 2, 1}, wide.Map, {0, 0, 4, 1}));
    EXPECT_EQ(wide.Pixels, (std::vector<TColor32>{0, 0, 1, 1}));

    const TTestMap big = Numbered(4, 4);
    TTestMap small(2, 2, 99);
    StretchPixels(big.Map, {0, 0, 4, 4}, small.Map, {0, 0, 2, 2});
    EXPECT_EQ(small.Pixels, (std::vector<TColor32>{0, 2, 8, 10}));

    // Source pixels of a sub-rectangle, shifted by its corner.
    TTestMap part(2, 1, 99);
    StretchPixels(big.Map, {1, 2, 2, 3}, part.Map, {0, 0, 2, 1});
    EXPECT_EQ(part.Pixels, (std::vector<TColor32>{9, 9}));
}

TEST(Stretch, ClippedDestinationStartsWhereTheWholeWouldBe)
{
    const TTestMap source = Numbered(3, 1);
    // step = 3 x 65536 / 9 = 21845 truncates, so the fourth pixel (x = 65535)
    // still samples source pixel 0; the ninth is clipped away.
    TTestMap clipped(8, 1, 99);
    StretchPixels(source.Map, {0, 0, 3, 1}, clipped.Map, {0, 0, 9, 1});
    EXPECT_EQ(clipped.Pixels, (std::vector<TColor32>{0, 0, 0, 0, 1, 1, 1, 2}));

    TTestMap shifted(4, 1, 99);
    StretchPixels(source.Map, {0, 0, 3, 1}, shifted.Map, {-5, 0, 4, 1});
    // start = round(5 x 2 x 65535 / 8) = 81919, step = 3 x 65536 / 9 = 21845
    EXPECT_EQ(shifted.Pixels, (std::vector<TColor32>{1, 1, 1, 2}));

    TTestMap onePixel(1, 1, 99);
    StretchPixels(source.Map, {0, 0, 3, 1}, onePixel.Map, {0, 0, 1, 1});
    EXPECT_EQ(onePixel.Pixels[0], 0u) << "a one-pixel destination takes the first source pixel";
}

TEST(Stretch, SameSizeCopiesAndBadRectanglesAreRefused)
{
    const TTestMap source = Numbered(3, 2);
    TTestMap out(3, 2, 99);
    EXPECT_TRUE(StretchPixels(source.Map, {0, 0, 3, 2}, out.Map, {1, 1, 4, 3}));
    EXPECT_EQ(out.Pixels, (std::vector<TColor32>{99, 99, 99, 99, 0, 1}));
    EXPECT_FALSE(StretchPixels(source.Map, {1, 1, 1, 2}, out.Map, {0, 0, 3, 2}));
    EXPECT_FALSE(StretchPixels(source.Map, {0, 0, 3, 2}, out.Map, {5, 5, 9, 9}));
    EXPECT_THROW(StretchPixels(source.Map, {0, 0, 4, 2}, out.Map, {0, 0, 3, 2}), ESetupError);
    EXPECT_THROW(StretchPixels(source.Map, {-1, 0, 2, 2}, out.Map, {0, 0, 3, 2}), ESetupError);
}

TEST(Fill, ClipsToTheBitmap)
{
    TTestMap map(3, 3, 0);
    EXPECT_TRUE(FillArea(map.Map, {-2, 1, 2, 9}, 7));
    EXPECT_EQ(map.Pixels, (std::vector<TColor32>{0, 0, 0, 7, 7, 0, 7, 7, 0}));
    EXPECT_FALSE(FillArea(map.Map, {2, 0, 2, 3}, 5));
    EXPECT_FALSE(FillArea(map.Map, {3, 0, 5, 3}, 5));

    TTestMap target(3, 2, 0);
    const TTestMap source = Numbered(2, 2);
    CopyPixels(source.Map, target.Map, 2, -1);
    EXPECT_EQ(target.Pixels, (std::vector<TColor32>{0, 0, 2, 0, 0, 0}));
}

TEST(AlphaModes, WorkOnColourBytesOnly)
{
    const TColor32 key = MakeColor32(10, 20, 30, 0);
    TTestMap map(4, 1);
    map.Pixels = {MakeColor32(10, 20, 30, 200), MakeColor32(10, 20, 31, 7), MakeColor32(10, 20, 30, 255),
                  MakeColor32(0, 0, 0, 0)};
    ApplyInvisibleColor(map.Map, key);
    EXPECT_EQ(map.Pixels, (std::vector<TColor32>{MakeColor32(10, 20, 30, 0), MakeColor32(10, 20, 31, 255),
                                                 MakeColor32(10, 20, 30, 0), MakeColor32(0, 0, 0, 255)}));

    TTestMap corner(2, 2);
    corner.Pixels = {MakeColor32(1, 1, 1, 9), MakeColor32(5, 5, 5, 9), MakeColor32(1, 1, 1, 3), MakeColor32(2, 2, 2, 0)};
    ApplyCornerKey(corner.Map);
    const TColor32 green = MakeColor32(0, 255, 0, 0);
    EXPECT_EQ(corner.Pixels, (std::vector<TColor32>{green, MakeColor32(5, 5, 5, 255), green, MakeColor32(2, 2, 2, 255)}));

    TTestMap picture(2, 1), intensity(2, 1);
    picture.Pixels = {MakeColor32(1, 2, 3, 0), MakeColor32(4, 5, 6, 255)};
    intensity.Pixels = {0xFFFFFFFF, MakeColor32(0, 255, 0, 0)};
    AlphaFromIntensity(picture.Map, intensity.Map);
    EXPECT_EQ(picture.Pixels, (std::vector<TColor32>{MakeColor32(1, 2, 3, 255), MakeColor32(4, 5, 6, 173)}));
}

}  // namespace
