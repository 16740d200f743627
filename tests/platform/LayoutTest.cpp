#include "platform/Layout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace layout {

void PrintTo(const TRect& rect, std::ostream* out)
{
    *out << "{" << rect.Left << ", " << rect.Top << ", " << rect.Right << ", " << rect.Bottom << "}";
}

}  // namespace layout

namespace {

using layout::ArrangeChildren;
using layout::kAnchorAll;
using layout::kAnchorTopRight;
using layout::TAlign;
using layout::TAnchors;
using layout::TChild;
using layout::TRect;
using layout::TSize;

TRect Box(int left, int top, int width, int height)
{
    return TRect{left, top, left + width, top + height};
}

TChild Placed(TRect bounds, TSize parent, TAnchors anchors = {})
{
    return TChild{bounds, parent, TAlign::alNone, anchors, true};
}

TChild Aligned(TAlign align, int width, int height, bool visible = true)
{
    return TChild{Box(0, 0, width, height), {}, align, {}, visible};
}

TEST(Layout, AlignedChildrenClaimStripsAndAnchoredChildrenFollowTheirSides)
{
    const struct {
        const char* what;
        TSize client;
        int border;
        std::vector<TChild> children;
        std::vector<TRect> expected;
    } cases[] = {
        {"anchors when the parent grows by 40 x 20",
         {240, 120},
         0,
         {Placed(Box(10, 10, 50, 20), {200, 100}), Placed(Box(10, 10, 50, 20), {200, 100}, kAnchorTopRight),
          Placed(Box(10, 10, 50, 20), {200, 100}, kAnchorAll),
          Placed(Box(10, 60, 50, 20), {200, 100}, TAnchors{true, false, false, true}),
          Placed(Box(10, 10, 50, 20), {200, 100}, TAnchors{false, false, false, false})},
         {Box(10, 10, 50, 20), Box(50, 10, 50, 20), Box(10, 10, 90, 40), Box(10, 80, 50, 20), Box(30, 20, 50, 20)}},
        {"anchors when the parent shrinks",
         {160, 80},
         0,
         {Placed(Box(150, 10, 40, 20), {200, 100}, kAnchorTopRight),
          Placed(Box(10, 10, 180, 80), {200, 100}, kAnchorAll)},
         {Box(110, 10, 40, 20), Box(10, 10, 140, 60)}},
        {"top, bottom, left, right and client in that order, whatever the list order",
         {200, 100},
         0,
         {Aligned(TAlign::alClient, 5, 5), Aligned(TAlign::alRight, 30, 5), Aligned(TAlign::alLeft, 20, 5),
          Aligned(TAlign::alBottom, 5, 15), Aligned(TAlign::alTop, 5, 10), Aligned(TAlign::alTop, 5, 12)},
         {TRect{20, 22, 170, 85}, TRect{170, 22, 200, 85}, TRect{0, 22, 20, 85}, TRect{0, 85, 200, 100},
          TRect{0, 0, 200, 10}, TRect{0, 10, 200, 22}}},
        {"a hidden strip leaves no gap and keeps its own rectangle",
         {200, 100},
         0,
         {Aligned(TAlign::alTop, 5, 20), Aligned(TAlign::alTop, 5, 20, false), Aligned(TAlign::alTop, 5, 20),
          Aligned(TAlign::alBottom, 5, 10, false), Aligned(TAlign::alClient, 5, 5)},
         {TRect{0, 0, 200, 20}, Box(0, 0, 5, 20), TRect{0, 20, 200, 40}, Box(0, 0, 5, 10), TRect{0, 40, 200, 100}}},
        {"a border keeps aligned children off the edges",
         {100, 80},
         8,
         {Aligned(TAlign::alTop, 5, 13), Aligned(TAlign::alClient, 5, 5)},
         {TRect{8, 8, 92, 21}, TRect{8, 21, 92, 72}}},
        {"strips taller than the space are cut, never turned inside out",
         {100, 30},
         0,
         {Aligned(TAlign::alTop, 5, 20), Aligned(TAlign::alTop, 5, 20), Aligned(TAlign::alBottom, 5, 5),
          Aligned(TAlign::alClient, 5, 5)},
         {TRect{0, 0, 100, 20}, TRect{0, 20, 100, 30}, TRect{0, 30, 100, 30}, TRect{0, 30, 100, 30}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ArrangeChildren(c.client, c.border, c.children), c.expected) << c.what;
    }
}

// The wizard's text area, one level at a time, after the skin's Toolweb block
// made the text panel 27 pixels wider and 25 higher than designed.
TEST(Layout, WizardPagesNestInsideTheResizedTextPanel)
{
    const TSize mainPanelDesign{393, 305}, mainPanel{420, 330};
    const TRect textBox =
        ArrangeChildren(mainPanel, 0, {Placed(Box(12, 14, 369, 275), mainPanelDesign, kAnchorAll)})[0];
    EXPECT_EQ(textBox, (TRect{12, 14, 408, 314}));  // margins of 12, 14, 12 and 16 kept
    const TSize page{textBox.Width(), textBox.Height()};

    // The six page panels fill the text box, the hidden ones as well.
    const auto pages =
        ArrangeChildren(page, 0, {Aligned(TAlign::alClient, 369, 275), Aligned(TAlign::alClient, 369, 275)});
    EXPECT_EQ(pages, (std::vector<TRect>{TRect{0, 0, 396, 300}, TRect{0, 0, 396, 300}}));

    // Licence: heading, spacer, sub-heading, the memo's panel, the check box strip.
    EXPECT_EQ(ArrangeChildren(
                  page, 0,
                  {Aligned(TAlign::alTop, 369, 24), Aligned(TAlign::alTop, 369, 13), Aligned(TAlign::alTop, 369, 26),
                   Aligned(TAlign::alClient, 369, 100), Aligned(TAlign::alBottom, 369, 40)}),
              (std::vector<TRect>{TRect{0, 0, 396, 24}, TRect{0, 24, 396, 37}, TRect{0, 37, 396, 63},
                                  TRect{0, 63, 396, 260}, TRect{0, 260, 396, 300}}));
    // The memo inside its panel: 12 pixels at the left, top and right, 3 at the bottom.
    EXPECT_EQ(ArrangeChildren({396, 197}, 0, {Placed(Box(12, 12, 345, 155), {369, 170}, kAnchorAll)})[0],
              (TRect{12, 12, 384, 194}));

    // Destination: the group at the bottom; in it the path label stays, the button keeps to the right.
    const TRect group =
        ArrangeChildren(page, 0, {Aligned(TAlign::alTop, 369, 24), Aligned(TAlign::alBottom, 369, 50)})[1];
    EXPECT_EQ(group, (TRect{0, 250, 396, 300}));
    EXPECT_EQ(ArrangeChildren(
                  {group.Width(), group.Height()}, 0,
                  {Placed(Box(12, 17, 261, 27), {369, 50}), Placed(Box(285, 17, 75, 25), {369, 50}, kAnchorTopRight)}),
              (std::vector<TRect>{Box(12, 17, 261, 27), Box(312, 17, 75, 25)}));

    // Finish without a ReadMe: the launch strip moves up under the desktop strip.
    EXPECT_EQ(ArrangeChildren(page, 0,
                              {Aligned(TAlign::alTop, 369, 24), Aligned(TAlign::alTop, 369, 13),
                               Aligned(TAlign::alTop, 369, 26), Aligned(TAlign::alTop, 369, 20),
                               Aligned(TAlign::alTop, 369, 20, false), Aligned(TAlign::alTop, 369, 20)})[5],
              (TRect{0, 83, 396, 103}));
}

}  // namespace

namespace {

// The setup's texts keep the skin's scale: the system's message font, sized
// for any resolution, comes back to its 96-dpi height, and the headings made
// from it (two points larger) are the same pixels high everywhere.
TEST(Layout, FontsKeepTheSkinsScaleAtEveryResolution)
{
    const struct {
        int systemDpi, messageHeight;  // as the system gives its 9-point message font
    } screens[] = {{96, -12}, {120, -15}, {144, -18}, {192, -24}, {0, -12}};
    for (const auto& screen : screens) {
        SCOPED_TRACE(screen.systemDpi);
        const int height = layout::AtDesignDpi(screen.messageHeight, screen.systemDpi);
        EXPECT_EQ(height, -12);
        EXPECT_EQ(layout::PixelsToPoints(-height), 9);
        EXPECT_EQ(layout::PointsToPixels(layout::PixelsToPoints(-height) + 2), 15);
    }
    // Rounded to the nearest pixel or point, as the system rounds.
    const struct {
        int points, pixels;
    } sizes[] = {{8, 11}, {10, 13}, {12, 16}, {0, 0}};
    for (const auto& size : sizes) EXPECT_EQ(layout::PointsToPixels(size.points), size.pixels) << size.points;
    EXPECT_EQ(layout::PixelsToPoints(11), 8);
    EXPECT_EQ(layout::PixelsToPoints(13), 10);
    EXPECT_EQ(layout::AtDesignDpi(-16, 120), -13);
    EXPECT_EQ(layout::AtDesignDpi(-11, 144), -7);
    EXPECT_EQ(layout::AtDesignDpi(16, 120), 13);
}

}  // namespace
