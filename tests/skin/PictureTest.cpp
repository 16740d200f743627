// Picture files decoded by Windows (GDI and GDI+) under Wine.

#include "skin/Picture.h"

#include <gtest/gtest.h>
#include <gdiplus.h>

#include "skin/Bitmap32.h"
#include "tests/TestSupport.h"
#include "utilities/SetupError.h"

namespace {

// A 2 x 1 GIF: red then blue; with a transparent second pixel when asked.
Bytes GifFile(bool transparentSecond)
{
    Bytes out = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0, 255, 0, 0, 0, 0, 255};
    if (transparentSecond) out.insert(out.end(), {0x21, 0xF9, 4, 1, 0, 0, 1, 0});
    // Image descriptor, then LZW (minimum code size 2): clear, 0, 1, end in 3-bit codes.
    out.insert(out.end(), {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0, 2, 2, 0x44, 0x0A, 0, 0x3B});
    return out;
}

class PictureTest : public testing::Test {
protected:
    TGdiplusSession Gdiplus;
    TTempFolder Temp;
    TBitmap32 Bitmap;
};

TEST_F(PictureTest, TwentyFourBitBitmapBecomesOpaque)
{
    LoadPictureFile(Bitmap, Temp.Put("skin.bmp", BmpFile(3, 2, 24, {0x112233, 0x445566, 0x778899, 0xFF0000, 0x00FF00, 0x0000FF})));
    ASSERT_EQ(Bitmap.Width(), 3);
    ASSERT_EQ(Bitmap.Height(), 2);
    EXPECT_EQ(Bitmap.Pixel(0, 0), 0xFF112233u);
    EXPECT_EQ(Bitmap.Pixel(2, 0), 0xFF778899u);
    EXPECT_EQ(Bitmap.Pixel(0, 1), 0xFFFF0000u);
    EXPECT_EQ(Bitmap.Pixel(2, 1), 0xFF0000FFu);
}

TEST_F(PictureTest, ThirtyTwoBitBitmapKeepsItsAlpha)
{
    LoadPictureFile(Bitmap, Temp.Put("Skin.BMP", BmpFile(2, 1, 32, {0x00123456, 0x80ABCDEF})));
    EXPECT_EQ(Bitmap.Pixel(0, 0), 0x00123456u);
    EXPECT_EQ(Bitmap.Pixel(1, 0), 0x80ABCDEFu);
}

TEST_F(PictureTest, GifIsDrawnOverZeroedPixelsThenMadeOpaque)
{
    LoadPictureFile(Bitmap, Temp.Put("button.gif", GifFile(false)));
    ASSERT_EQ(Bitmap.Width(), 2);
    EXPECT_EQ(Bitmap.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(Bitmap.Pixel(1, 0), 0xFF0000FFu);
    LoadPictureFile(Bitmap, Temp.Put("clear.gif", GifFile(true)));
    EXPECT_EQ(Bitmap.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(Bitmap.Pixel(1, 0), 0xFF000000u) << "transparent comes out black and opaque";
}

TEST_F(PictureTest, JpegDecodes)
{
    // Made with Windows' own encoder: a flat colour survives JPEG almost exactly.
    {
        Gdiplus::Bitmap flat(16, 16, PixelFormat32bppARGB);
        Gdiplus::Graphics(&flat).Clear(Gdiplus::Color(255, 200, 100, 50));
        UINT count = 0, size = 0;
        Gdiplus::GetImageEncodersSize(&count, &size);
        std::vector<uint8_t> buffer(size);
        auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        Gdiplus::GetImageEncoders(count, size, encoders);
        const Gdiplus::ImageCodecInfo* jpeg = nullptr;
        for (UINT i = 0; i < count; ++i)
            if (std::wstring(encoders[i].MimeType) == L"image/jpeg") jpeg = &encoders[i];
        ASSERT_NE(jpeg, nullptr);
        const std::wstring path = (Temp.Path() / "photo.jpeg").wstring();
        ASSERT_EQ(flat.Save(path.c_str(), &jpeg->Clsid, nullptr), Gdiplus::Ok);
    }
    LoadPictureFile(Bitmap, Temp / "photo.jpeg");
    ASSERT_EQ(Bitmap.Width(), 16);
    const TColor32 pixel = Bitmap.Pixel(8, 8);
    EXPECT_EQ(AlphaOf(pixel), 255);
    EXPECT_NEAR(RedOf(pixel), 200, 3);
    EXPECT_NEAR(GreenOf(pixel), 100, 3);
    EXPECT_NEAR(BlueOf(pixel), 50, 3);
}

TEST_F(PictureTest, UnknownOrBrokenFilesRaise)
{
    try {
        LoadPictureFile(Bitmap, Temp.Put("skin.png", BmpFile(1, 1, 24, {0})));
        ADD_FAILURE();
    } catch (const ESetupError& error) {
        EXPECT_STREQ(error.what(), "Unknown picture file extension (.png)");
    }
    EXPECT_THROW(LoadPictureFile(Bitmap, Temp / "absent.bmp"), ESetupError);
    EXPECT_THROW(LoadPictureFile(Bitmap, Temp.Put("junk.gif", TextBytes("not a picture"))), ESetupError);
    EXPECT_THROW(LoadPictureFile(Bitmap, Temp.Put("junk.bmp", TextBytes("not a picture"))), ESetupError);
}

}  // namespace
