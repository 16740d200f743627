// The DIB-section bitmap with real GDI under Wine.

#include "skin/Bitmap32.h"

#include <gtest/gtest.h>

#include "utilities/SetupError.h"

namespace {

struct TCounts {
    int Changes = 0;
    int Resizes = 0;
};

void Watch(TBitmap32& bitmap, TCounts& counts)
{
    bitmap.OnChange = [&counts](TBitmap32&) { ++counts.Changes; };
    bitmap.OnResize = [&counts](TBitmap32&) { ++counts.Resizes; };
}

TEST(Bitmap32, DimensionsNotifyOnlyWhenTheyChange)
{
    TBitmap32 bitmap;
    TCounts counts;
    Watch(bitmap, counts);
    EXPECT_TRUE(bitmap.SetDimensions(3, 2));
    EXPECT_EQ(counts.Changes, 1);
    EXPECT_EQ(counts.Resizes, 1);
    EXPECT_NE(bitmap.Handle(), nullptr);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(bitmap.Pixel(x, y), 0u);
    EXPECT_FALSE(bitmap.SetDimensions(3, 2));
    EXPECT_EQ(counts.Changes, 1);
    EXPECT_TRUE(bitmap.SetDimensions(-5, 10));
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
    EXPECT_EQ(counts.Resizes, 2);
}

TEST(Bitmap32, ImpossibleSizeFailsAndLeavesTheBitmapEmpty)
{
    TBitmap32 bitmap;
    TCounts counts;
    Watch(bitmap, counts);
    try {
        bitmap.SetDimensions(60000, 60000);
        ADD_FAILURE() << "a 13 GiB section cannot be made";
    } catch (const ESetupError& error) {
        EXPECT_STREQ(error.what(), "Can't allocate the DIB handle");
    }
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(counts.Changes, 1) << "the change is still announced";
    EXPECT_EQ(counts.Resizes, 1);
}

TEST(Bitmap32, UpdateBracketsHoldNotificationsBack)
{
    TBitmap32 bitmap;
    TCounts counts;
    bitmap.SetDimensions(4, 4);
    Watch(bitmap, counts);
    bitmap.BeginUpdate();
    bitmap.ClearTo(1);
    bitmap.FillArea(0, 0, 2, 2, 2);
    bitmap.EndUpdate();
    EXPECT_EQ(counts.Changes, 0);
    bitmap.FillArea(5, 5, 9, 9, 3);  // wholly outside: no change
    EXPECT_EQ(counts.Changes, 0);
    bitmap.SetDrawMode(TDrawMode::dmOpaque);
    EXPECT_EQ(counts.Changes, 0);
    bitmap.SetDrawMode(TDrawMode::dmBlend);
    EXPECT_EQ(counts.Changes, 1);
}

TEST(Bitmap32, PixelsAreTopDownAndSeeGdiDrawing)
{
    TBitmap32 bitmap;
    bitmap.SetDimensions(4, 3);
    bitmap.ClearTo(0);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT topRow{0, 0, 4, 1};
    FillRect(bitmap.Handle(), &topRow, red);
    DeleteObject(red);
    EXPECT_EQ(bitmap.Pixel(3, 0) & kColourMask, 0xFF0000u) << "row 0 is the top row";
    EXPECT_EQ(bitmap.Pixel(0, 2), 0u);
    bitmap.SetPixel(1, 2, 0x80123456);
    EXPECT_EQ(bitmap.Bits()[1 + 2 * 4], 0x80123456u);
    EXPECT_EQ(GetPixel(bitmap.Handle(), 1, 2), RGB(0x12, 0x34, 0x56));
}

TEST(Bitmap32, CopiesAndStretchesKeepAlpha)
{
    TBitmap32 source, target;
    source.SetDimensions(2, 1);
    source.SetPixel(0, 0, 0x11000001);
    source.SetPixel(1, 0, 0xEE000002);
    target.SetDimensions(4, 1);
    source.StretchTo(target, RECT{0, 0, 4, 1});
    EXPECT_EQ(target.Pixel(0, 0), 0x11000001u);
    EXPECT_EQ(target.Pixel(1, 0), 0x11000001u);
    EXPECT_EQ(target.Pixel(2, 0), 0xEE000002u);
    EXPECT_EQ(target.Pixel(3, 0), 0xEE000002u);
    EXPECT_THROW(source.StretchTo(target, RECT{0, 0, 4, 1}, RECT{0, 0, 3, 1}), ESetupError);

    target.ClearTo(0);
    target.CopyFrom(3, 0, source);
    EXPECT_EQ(target.Pixel(3, 0), 0x11000001u);
    TBitmap32 copy;
    copy.SetDrawMode(TDrawMode::dmBlend);
    source.SetDrawMode(TDrawMode::dmOpaque);
    copy.AssignFrom(&source);
    EXPECT_EQ(copy.Width(), 2);
    EXPECT_EQ(copy.Pixel(1, 0), 0xEE000002u);
    EXPECT_EQ(copy.DrawMode(), TDrawMode::dmOpaque);
    copy.AssignFrom(nullptr);
    EXPECT_TRUE(copy.Empty());
}

TEST(Bitmap32, ColoursAndIntensityAlpha)
{
    EXPECT_EQ(ToColor32(RGB(255, 0, 0)), 0xFFFF0000u);
    EXPECT_EQ(ToColor32(RGB(255, 255, 255)), 0xFFFFFFFFu);
    EXPECT_EQ(ToColor32(0x80000000u | COLOR_WINDOW), Color32FromRgb(GetSysColor(COLOR_WINDOW)));

    TBitmap32 picture, mask;
    mask.SetDimensions(2, 1);
    mask.SetPixel(0, 0, 0xFFFFFFFF);
    mask.SetPixel(1, 0, 0xFF00FF00);
    picture.SetDimensions(5, 5);
    AlphaFromIntensity(&picture, &mask);
    EXPECT_EQ(picture.Width(), 2);
    EXPECT_EQ(picture.Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(picture.Pixel(1, 0), 0xAD000000u);  // 173
    try {
        AlphaFromIntensity(nullptr, &mask);
        ADD_FAILURE();
    } catch (const ESetupError& error) {
        EXPECT_STREQ(error.what(), "Destination is nil");
    }
    try {
        AlphaFromIntensity(&picture, nullptr);
        ADD_FAILURE();
    } catch (const ESetupError& error) {
        EXPECT_STREQ(error.what(), "The source is nil");
    }
}

}  // namespace
