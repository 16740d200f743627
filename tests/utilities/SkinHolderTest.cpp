// The skin holder, the image cache and window regions with real GDI, GDI+
// and the placeholder picture from the program's resources, under Wine.

#include <gtest/gtest.h>

#include "skin/Picture.h"
#include "tests/RegionRects.h"
#include "tests/TestSupport.h"
#include "utilities/KGraphic.h"
#include "utilities/KMediaList.h"
#include "utilities/SetupError.h"
#include "utilities/WindowRegion.h"

namespace {

class SkinHolderTest : public testing::Test {
protected:
    TGdiplusSession Gdiplus;
    KMediaList Media{Gdiplus};
    TTempFolder Temp;
};

// The cache is the program's, made after GDI+ has started; without one a
// skin cannot be read, and says so.
TEST(SkinHolder, NoPictureWithoutTheProgramsCache)
{
    TTempFolder temp;
    EXPECT_THROW(KMediaList::Instance(), ESetupError);
    KGraphic skin;
    skin.SetFileName(temp.Put("skin.bmp", BmpFile(1, 1, 24, {0})));
    EXPECT_THROW(skin.GetBitmap(), ESetupError);
    TGdiplusSession gdiplus;
    {
        KMediaList media(gdiplus);
        EXPECT_EQ(&KMediaList::Instance(), &media);
        EXPECT_THROW(KMediaList second(gdiplus), ESetupError) << "one cache per program";
        EXPECT_EQ(skin.GetBitmap().Width(), 1);
    }
    EXPECT_THROW(KMediaList::Instance(), ESetupError);
}

TEST_F(SkinHolderTest, MissingPictureIsTheHundredPixelPlaceholder)
{
    TBitmap32* missing = KMediaList::Instance().Fetch(Temp / "absent.bmp");
    ASSERT_EQ(missing->Width(), 100);
    ASSERT_EQ(missing->Height(), 100);
    EXPECT_EQ(AlphaOf(missing->Pixel(0, 0)), 255);
    EXPECT_EQ(missing->Pixel(50, 50) & kColourMask, missing->Pixel(30, 30) & kColourMask) << "the cross";
    EXPECT_NE(missing->Pixel(50, 50), missing->Pixel(10, 50));
    TBitmap32* broken = KMediaList::Instance().Fetch(Temp.Put("broken.gif", TextBytes("no picture")));
    EXPECT_EQ(broken->Width(), 100);
}

TEST_F(SkinHolderTest, CacheCountsRequestsAndSweepsRareOnes)
{
    KMediaList& cache = KMediaList::Instance();
    ASSERT_EQ(cache.Count(), 0u);
    const std::string file = Temp.Put("skin.bmp", BmpFile(2, 1, 24, {0x112233, 0x445566}));
    TBitmap32* first = cache.Fetch(file);
    EXPECT_EQ(first->Pixel(1, 0), 0xFF445566u);
    EXPECT_EQ(cache.RequestCount(0), 0);
    EXPECT_EQ(cache.Fetch(file), first);
    cache.Fetch(file);
    EXPECT_EQ(cache.Fetch(Temp / "SKIN.BMP"), first) << "names compare without case";
    EXPECT_EQ(cache.RequestCount(0), 3);
    cache.Fetch(Temp.Put("once.bmp", BmpFile(1, 1, 24, {0})));
    cache.Sweep();
    ASSERT_EQ(cache.Count(), 1u);
    EXPECT_EQ(cache.RequestCount(0), 0);
    cache.Sweep();
    EXPECT_EQ(cache.Count(), 0u);
}

TEST_F(SkinHolderTest, HolderWorksLazilyAndNotifiesOnRealChanges)
{
    KGraphic skin;
    int changes = 0;
    skin.SetOnChange([&changes](KGraphic&) { ++changes; });
    EXPECT_TRUE(skin.GetBitmap().Empty());

    const std::string file = Temp.Put("holder.bmp", BmpFile(3, 1, 24, {0xFF00FF, 0x00FF00, 0xFF00FF}));
    skin.SetFileName(file);
    skin.SetFileName(file);
    skin.SetFileName("");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(skin.GetBitmap().Pixel(0, 0), 0xFFFF00FFu);

    // A pixel drawn on the prepared picture shows whether a change marks
    // work: the work copies the picture from the cache again.
    skin.GetBitmap().SetPixel(2, 0, 0xFF123456);
    skin.SetInvisibleColor(RGB(255, 0, 255));  // not mode 4: notifies, marks no work
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(skin.GetBitmap().Pixel(2, 0), 0xFF123456u);

    skin.SetAlphaMode(amInvisibleColor);
    EXPECT_EQ(changes, 3);
    TBitmap32& prepared = skin.GetBitmap();
    EXPECT_EQ(prepared.Pixel(0, 0), 0x00FF00FFu) << "invisible colour: alpha 0, colour kept";
    EXPECT_EQ(prepared.Pixel(1, 0), 0xFF00FF00u);
    skin.SetInvisibleColor(RGB(0, 255, 0));  // mode 4: the picture is prepared afresh
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(skin.GetBitmap().Pixel(0, 0), 0xFFFF00FFu);
    EXPECT_EQ(skin.GetBitmap().Pixel(1, 0), 0x0000FF00u);

    skin.SetAlphaMode(amCornerKey);
    EXPECT_EQ(skin.GetBitmap().Pixel(2, 0), 0x0000FF00u) << "corner colour becomes transparent green";
    skin.SetAlphaMode(amOwnIntensity);
    EXPECT_EQ(AlphaOf(skin.GetBitmap().Pixel(1, 0)), 173);
}

TEST_F(SkinHolderTest, RegionHasOneRectanglePerRunAndNoneForClearPictures)
{
    TBitmap32 bitmap;
    bitmap.SetDimensions(4, 2);
    bitmap.ClearTo(0xFF000000);
    bitmap.SetPixel(0, 0, 0);
    bitmap.SetPixel(1, 1, 0x64000000);  // alpha 100 is outside with threshold 100
    HRGN region = RegionFromAlpha(bitmap, 100);
    ASSERT_NE(region, nullptr);
    const std::vector<RECT> rects = RegionRects(region);
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0].left, 1);
    EXPECT_EQ(rects[0].right, 4);
    EXPECT_EQ(rects[1].left, 0);
    EXPECT_EQ(rects[1].right, 1);
    EXPECT_EQ(rects[2].left, 2);
    EXPECT_EQ(rects[2].bottom, 2);
    DeleteObject(region);

    bitmap.ClearTo(0);
    region = RegionFromAlpha(bitmap, 100);
    ASSERT_NE(region, nullptr);
    RECT box;
    EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
    DeleteObject(region);
}

}  // namespace
