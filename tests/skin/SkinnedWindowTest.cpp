// The skinned form and button in-process, with real windows and regions.

#include <gtest/gtest.h>

#include "skin/Picture.h"
#include "skin/Skinned.h"
#include "tests/RegionRects.h"
#include "tests/TestSupport.h"
#include "utilities/KMediaList.h"
#include "utilities/SetupError.h"

namespace {

constexpr COLORREF kInvisible = RGB(255, 0, 255);
constexpr uint32_t kMagenta = 0xFF00FF, kBlue = 0x3366AA;

// A 24-bit BMP file filled with fill, the corner squares of side corner in magenta.
Bytes SkinBmp(int width, int height, int corner, uint32_t fill)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inCorner = (x < corner || x >= width - corner) && (y < corner || y >= height - corner);
            pixels.push_back(inCorner ? kMagenta : fill);
        }
    return BmpFile(width, height, 24, pixels);
}

bool SameRect(const RECT& r, int left, int top, int right, int bottom)
{
    return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
}

class SkinnedWindowTest : public testing::Test {
protected:
    std::string Picture(const std::string& name, int width, int height, int corner, uint32_t fill)
    {
        WriteAll(Temp.Path() / name, SkinBmp(width, height, corner, fill));
        return Temp / name;
    }
    // The wizard's order: file and colour, alpha mode 4, threshold 100, shape mode 4, then the skin's size.
    void SkinForm(TZupForm& form, const std::string& file)
    {
        form.Skin.SetFileName(file);
        form.Skin.SetInvisibleColor(kInvisible);
        form.Skin.SetAlphaMode(amInvisibleColor);
        form.SetRegionThreshold(100);
        form.SetShapeMode(shAlphaMask);
        TBitmap32& skin = form.Skin.GetBitmap();
        form.SetBounds(0, 0, skin.Width(), skin.Height());
    }
    TGdiplusSession Gdiplus;
    KMediaList Media{Gdiplus};
    TTempFolder Temp;
};

TEST_F(SkinnedWindowTest, FormTakesTheSkinsSizeAndCutsTheCornersAway)
{
    TZupForm form;
    SkinForm(form, Picture("skin.bmp", 120, 80, 10, kBlue));
    EXPECT_EQ(form.Width(), 120);
    EXPECT_EQ(form.Height(), 80);
    const std::vector<RECT> rects = WindowRegionRects(form.Handle());
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_TRUE(SameRect(rects[0], 10, 0, 110, 10));
    EXPECT_TRUE(SameRect(rects[1], 0, 10, 120, 70));
    EXPECT_TRUE(SameRect(rects[2], 10, 70, 110, 80));

    // The displayed bitmap is the prepared skin, pixel for pixel.
    TBitmap32& skin = form.Skin.GetBitmap();
    ASSERT_EQ(form.Bitmap.Width(), skin.Width());
    ASSERT_EQ(form.Bitmap.Height(), skin.Height());
    for (int y = 0; y < skin.Height(); ++y)
        for (int x = 0; x < skin.Width(); ++x) ASSERT_EQ(form.Bitmap.Pixel(x, y), skin.Pixel(x, y)) << x << "," << y;
    EXPECT_EQ(form.Bitmap.Pixel(0, 0), 0x00FF00FFu);
    EXPECT_EQ(form.Bitmap.Pixel(60, 40), 0xFF000000u | kBlue);
}

TEST_F(SkinnedWindowTest, RegionRulesOfTheOtherShapes)
{
    TZupForm form;
    form.SetBounds(0, 0, 50, 40);
    form.SetShapeMode(shAlphaMask);  // no skin: the whole rectangle
    std::vector<RECT> rects = WindowRegionRects(form.Handle());
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_TRUE(SameRect(rects[0], 0, 0, 50, 40));
    form.SetShapeMode(shNone);
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(form.Handle(), probe), ERROR) << "no region at all";
    DeleteObject(probe);
    form.SetShapeMode(shEllipse);
    EXPECT_GT(WindowRegionRects(form.Handle()).size(), 1u);
}

TEST_F(SkinnedWindowTest, UnchangedThresholdDoesNotRebuildTheRegion)
{
    TZupForm form;
    SkinForm(form, Picture("skin.bmp", 40, 30, 5, kBlue));
    SetWindowRgn(form.Handle(), CreateRectRgn(0, 0, 7, 7), FALSE);  // a marker the rebuild would replace
    form.SetRegionThreshold(100);
    std::vector<RECT> rects = WindowRegionRects(form.Handle());
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_TRUE(SameRect(rects[0], 0, 0, 7, 7));
    form.SetRegionThreshold(101);
    EXPECT_EQ(WindowRegionRects(form.Handle()).size(), 3u);
}

TEST_F(SkinnedWindowTest, ButtonTakesTheSizeOfEachStatesPicture)
{
    TZupForm form;
    SkinForm(form, Picture("skin.bmp", 300, 200, 0, kBlue));
    TZupButton button(form.Handle(), POINT{15, 25});
    EXPECT_EQ(button.Name().rfind("Vendrel", 0), 0u);
    EXPECT_EQ(button.Width(), 73) << "the design size until a picture comes";
    EXPECT_EQ(button.Height(), 57);
    EXPECT_EQ(button.Position().x, 15);
    EXPECT_EQ(button.Position().y, 25);
    button.ImageNormal = Picture("normal.bmp", 60, 30, 4, 0x0000FF);
    button.ImageOver = Picture("over.bmp", 64, 32, 4, 0x00FF00);
    button.ImagePressed = button.ImageOver;
    button.ImageDisabled = Picture("disabled.bmp", 50, 20, 0, 0x808080);
    button.Skin.SetInvisibleColor(kInvisible);
    button.Skin.SetAlphaMode(amInvisibleColor);
    button.SetRegionThreshold(100);
    button.SetButtonEnabled(true);
    button.SetShapeMode(shAlphaMask);
    EXPECT_EQ(button.Width(), 60);
    EXPECT_EQ(button.Height(), 30);
    EXPECT_EQ(WindowRegionRects(button.Handle()).size(), 3u);

    button.ShowState(1);
    EXPECT_EQ(button.Width(), 64);
    EXPECT_EQ(button.Position().x, 15) << "left and top stay";
    EXPECT_EQ(button.Position().y, 25);
    button.ShowState(2);  // the same file: nothing changes
    EXPECT_EQ(button.Skin.FileName(), button.ImageOver);
    button.SetButtonEnabled(false);
    EXPECT_EQ(button.Width(), 50);
    EXPECT_FALSE(button.Enabled());
    button.BEnter();  // a disabled button ignores the mouse
    EXPECT_EQ(button.Skin.FileName(), button.ImageDisabled);
    button.SetButtonEnabled(true);
    EXPECT_EQ(button.Skin.FileName(), button.ImageNormal);
}

TEST_F(SkinnedWindowTest, MissingButtonPictureIsThePlaceholder)
{
    TZupForm form;
    TZupButton button(form.Handle(), POINT{0, 0});
    button.ImageNormal = Temp / "absent.bmp";
    button.SetButtonEnabled(true);
    EXPECT_EQ(button.Width(), 100);
    EXPECT_EQ(button.Height(), 100);
}

// An image form whose paint errors stay with the test instead of going to
// the program's message box.
class TPaintProbe : public TZForm {
public:
    std::vector<std::string> Errors;

    // Paints the whole client area now, into the back buffer and the window.
    void PaintNow()
    {
        Invalidate();
        UpdateWindow(Handle());
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        try {
            return TZForm::HandleMessage(message, wParam, lParam);
        } catch (const ESetupError& error) {
            Errors.push_back(error.what());
            return 0;
        }
    }
};

constexpr COLORREF kFormColour = RGB(0x10, 0x20, 0x30);
constexpr TColor32 kFormPixel = 0xFF102030, kMarker = 0xFF00FF00, kPicturePixel = 0xFF3366AA;

struct TBackgroundCase {
    const char* What;
    TScaleMode Mode;
    int BitmapWidth, BitmapHeight;  // 0: empty
    TDrawMode DrawMode;
    // What the background stage leaves at (5, 5) inside the bitmap's place, right of it and below it.
    TColor32 Inside, Right, Below;
};

// The background stage alone, after a custom stage that marks the buffer,
// shows which pixels it fills; then the default stages show the picture.
TEST(ImageForm, BackgroundIsFilledOnlyWhereTheBitmapDoesNotCover)
{
    const TBackgroundCase cases[] = {
        {"stretched opaque bitmap: no fill at all", TScaleMode::smStretch, 10, 8, TDrawMode::dmOpaque, kMarker,
         kMarker, kMarker},
        {"smaller bitmap at its own size: bands right and below", TScaleMode::smNormal, 20, 12, TDrawMode::dmOpaque,
         kMarker, kFormPixel, kFormPixel},
        {"bitmap as large as the client area", TScaleMode::smNormal, 40, 30, TDrawMode::dmOpaque, kMarker, kMarker,
         kMarker},
        {"blended bitmap: filled everywhere", TScaleMode::smStretch, 10, 8, TDrawMode::dmBlend, kFormPixel,
         kFormPixel, kFormPixel},
        {"empty bitmap: filled everywhere", TScaleMode::smStretch, 0, 0, TDrawMode::dmOpaque, kFormPixel, kFormPixel,
         kFormPixel},
    };
    for (const TBackgroundCase& c : cases) {
        SCOPED_TRACE(c.What);
        TPaintProbe form;
        form.SetBounds(0, 0, 40, 30);
        ShowWindow(form.Handle(), SW_SHOWNA);
        form.Color = kFormColour;
        form.SetScaleMode(c.Mode);
        form.Bitmap.SetDimensions(c.BitmapWidth, c.BitmapHeight);
        form.Bitmap.ClearTo(kPicturePixel);
        form.Bitmap.SetDrawMode(c.DrawMode);
        const std::vector<TPaintStage> defaults = form.PaintStages;

        form.PaintStages = {{false, true, PST_CUSTOM, 0}, {false, true, PST_CLEAR_BACKGND, 0}};
        form.OnPaintStage = [](TImageWindow&, TBitmap32& buffer, size_t) { buffer.ClearTo(kMarker); };
        form.PaintNow();
        const TBitmap32& buffer = form.BackBuffer();
        ASSERT_GE(buffer.Width(), 40);
        ASSERT_GE(buffer.Height(), 30);
        EXPECT_EQ(buffer.Pixel(5, 5), c.Inside);
        EXPECT_EQ(buffer.Pixel(35, 5), c.Right);
        EXPECT_EQ(buffer.Pixel(5, 25), c.Below);
        EXPECT_EQ(buffer.Pixel(39, 29), c.Right == kMarker && c.Below == kMarker ? kMarker : kFormPixel);

        form.PaintStages = defaults;
        form.PaintNow();
        const bool drawn = c.BitmapWidth > 0;
        const bool coversRight = drawn && (c.Mode == TScaleMode::smStretch || c.BitmapWidth > 35);
        EXPECT_EQ(buffer.Pixel(5, 5), drawn ? kPicturePixel : kFormPixel);
        EXPECT_EQ(buffer.Pixel(35, 5), coversRight ? kPicturePixel : kFormPixel);
        EXPECT_TRUE(form.Errors.empty());
    }
}

TEST(ImageForm, ScaleBelowTheMinimumIsStoredAsTheMinimum)
{
    TZForm form;
    for (float scale : {0.0f, -2.0f, 0.0005f}) {
        form.SetScale(scale);
        EXPECT_EQ(form.Scale(), kMinimumScale) << scale;
    }
    form.SetScale(0.25f);
    EXPECT_EQ(form.Scale(), 0.25f);
}

// The error goes to whoever handles it, and the window's device context goes
// back to Windows all the same; a failed stage leaves the buffer to be
// painted again on the next paint Windows asks for.
TEST(ImageForm, FailingPaintEndsThePaintAndPaintsAgainLater)
{
    TPaintProbe form;
    form.SetBounds(0, 0, 40, 30);
    ShowWindow(form.Handle(), SW_SHOWNA);
    form.Color = kFormColour;
    HDC canvas = nullptr;
    form.OnGDIOverlay = [&](TImageWindow&, HDC dc) {
        canvas = dc;
        throw ESetupError("overlay failed");
    };
    form.PaintNow();
    ASSERT_EQ(form.Errors, std::vector<std::string>{"overlay failed"});
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(WindowFromDC(canvas), nullptr) << "the paint's device context was not given back";

    form.OnGDIOverlay = nullptr;
    bool fail = true;
    form.PaintStages.push_back({false, true, PST_CUSTOM, 0});
    form.OnPaintStage = [&](TImageWindow&, TBitmap32&, size_t) {
        if (fail) throw ESetupError("stage failed");
    };
    form.PaintNow();
    EXPECT_EQ(form.Errors.back(), "stage failed");
    fail = false;
    form.Color = RGB(0xAA, 0xBB, 0xCC);
    InvalidateRect(form.Handle(), nullptr, FALSE);
    UpdateWindow(form.Handle());
    EXPECT_EQ(form.BackBuffer().Pixel(1, 1), 0xFFAABBCCu);
    EXPECT_EQ(form.Errors.size(), 2u);
}

}  // namespace
