#include <gtest/gtest.h>

#include "skin/ButtonStates.h"
#include "skin/CountedCache.h"
#include "skin/PaintRules.h"

namespace {

TEST(BackBuffer, GrowsWithSlackAndShrinksOnlyPastIt)
{
    TPixelSize buffer = NextBufferSize({100, 100}, {110, 100});
    EXPECT_EQ(buffer, (TPixelSize{150, 100}));
    buffer = NextBufferSize(buffer, {115, 100});
    EXPECT_EQ(buffer, (TPixelSize{150, 100}));
    buffer = NextBufferSize(buffer, {100, 100});
    EXPECT_EQ(buffer, (TPixelSize{100, 100}));
    EXPECT_EQ(NextBufferSize({0, 0}, {20, 30}), (TPixelSize{60, 70}));
    EXPECT_EQ(NextBufferSize({150, 100}, {110, 90}, -1), (TPixelSize{110, 90}));
    EXPECT_EQ(NextBufferSize({60, 10}, {-5, -5}), (TPixelSize{0, 10})) << "negative sizes count as 0";
}

TEST(BitmapSize, FollowsTheScaleMode)
{
    const TPixelSize bitmap{200, 100}, control{300, 300};
    EXPECT_EQ(BitmapSize(TScaleMode::smNormal, 1, bitmap, control), bitmap);
    EXPECT_EQ(BitmapSize(TScaleMode::smStretch, 1, bitmap, control), control);
    EXPECT_EQ(BitmapSize(TScaleMode::smScale, 0.5f, bitmap, control), (TPixelSize{100, 50}));
    EXPECT_EQ(BitmapSize(TScaleMode::smScale, 0.0125f, bitmap, control), (TPixelSize{2, 1})) << "2.5 and 1.25";
    EXPECT_EQ(BitmapSize(TScaleMode::smResize, 1, bitmap, control), (TPixelSize{300, 150}));
    EXPECT_EQ(BitmapSize(TScaleMode::smResize, 1, {100, 200}, control), (TPixelSize{150, 300}));
    EXPECT_EQ(BitmapSize(TScaleMode::smStretch, 1, {0, 0}, control), (TPixelSize{0, 0}));
    EXPECT_EQ(BitmapSize(TScaleMode::smNormal, 1, bitmap, {0, 10}), (TPixelSize{0, 0}));
}

TEST(ButtonStates, FollowTheMouseAndIgnoreItWhileDisabled)
{
    using E = TButtonEvent;
    using S = TButtonState;
    EXPECT_EQ(StateAfter(E::MouseEnter, {}), S::Over);
    EXPECT_EQ(StateAfter(E::MouseEnter, {true, true, false}), S::Pressed);
    EXPECT_EQ(StateAfter(E::MouseLeave, {}), S::Normal);
    EXPECT_EQ(StateAfter(E::MouseLeave, {true, true, false}), S::Pressed) << "held down while leaving";
    EXPECT_EQ(StateAfter(E::MouseDown, {}), S::Pressed);
    EXPECT_EQ(StateAfter(E::MouseUp, {true, false, true}), S::Over);
    EXPECT_EQ(StateAfter(E::MouseUp, {true, false, false}), S::Normal);
    EXPECT_EQ(StateAfter(E::Click, {true, false, true}), S::Normal) << "resting while the click's dialog is up";
    for (E event : {E::MouseEnter, E::MouseLeave, E::MouseDown, E::MouseUp, E::Click})
        EXPECT_EQ(StateAfter(event, {false, true, true}), std::nullopt);
    EXPECT_EQ(EnabledState(true), S::Normal);
    EXPECT_EQ(EnabledState(false), S::Disabled);
}

TEST(CountedCache, SweepKeepsOnlyEntriesAskedForThreeTimes)
{
    TCountedCache<int> cache;
    cache.Add("C:\\Skin\\Once.bmp", std::make_unique<int>(1));
    cache.Add("C:\\Skin\\Often.bmp", std::make_unique<int>(2));
    EXPECT_EQ(cache.Request("c:\\skin\\OFTEN.BMP") ? *cache.Request("C:\\Skin\\Often.bmp") : 0, 2);
    cache.Request("C:\\Skin\\Often.bmp");
    EXPECT_EQ(cache.CountAt(1), 3);
    EXPECT_EQ(cache.Request("C:\\Skin\\Absent.bmp"), nullptr);
    cache.Add("C:\\Skin\\Twice.bmp", std::make_unique<int>(3));
    cache.Request("C:\\Skin\\Twice.bmp");
    cache.Request("C:\\Skin\\Twice.bmp");

    cache.Sweep();
    ASSERT_EQ(cache.Size(), 1u);
    EXPECT_EQ(cache.KeyAt(0), "C:\\Skin\\Often.bmp");
    EXPECT_EQ(cache.CountAt(0), 0) << "a survivor starts counting again";
    cache.Sweep();
    EXPECT_EQ(cache.Size(), 0u);
}

TEST(CountedCache, KeysDifferingOnlyInAsciiCaseAreTheSame)
{
    EXPECT_TRUE(SameKeyIgnoringCase("Graphics\\Skin.BMP", "graphics\\skin.bmp"));
    EXPECT_FALSE(SameKeyIgnoringCase("skin.bmp", "skin.bmp "));
    EXPECT_FALSE(SameKeyIgnoringCase("a", "b"));
}

}  // namespace
