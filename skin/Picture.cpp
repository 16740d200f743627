#include "skin/Picture.h"

#include <cstring>
#include <memory>

#include <gdiplus.h>

#include "skin/Bitmap32.h"
#include "skin/PictureKind.h"
#include "utilities/FileSystem.h"
#include "utilities/Handles.h"
#include "utilities/SetupError.h"

namespace {

TPictureKind KindOf(const std::string& path)
{
    const std::optional<TPictureKind> kind = PictureKindOf(path);
    if (!kind) throw ESetupError("Unknown picture file extension (" + LowerExtension(path) + ")");
    return *kind;
}

void LoadBitmapFile(TBitmap32& bitmap, const std::string& path)
{
    const TGdiObject file(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    DIBSECTION dib{};
    if (!file || GetObjectA(file.Get(), sizeof dib, &dib) != sizeof dib) throw ESetupError("Bitmap image is not valid");
    const int width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
    bitmap.SetDimensions(width, height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    GdiFlush();
    const auto section = static_cast<HBITMAP>(file.Get());
    if (GetDIBits(bitmap.Handle(), section, 0, static_cast<UINT>(height), bitmap.Bits(), &info, DIB_RGB_COLORS) != height)
        throw ESetupError("Bitmap image is not valid");
    if (dib.dsBm.bmBitsPixel != 32) bitmap.MakeOpaque();
}

void FailUnlessOk(Gdiplus::Status status, const std::string& path)
{
    if (status != Gdiplus::Ok) throw ESetupError("Cannot load picture " + path);
}

// Premultiplied pixels are what drawing the picture over zeroed pixels gives.
void CopyRaster(TBitmap32& bitmap, Gdiplus::Bitmap& picture, const std::string& path)
{
    FailUnlessOk(picture.GetLastStatus(), path);
    const int width = static_cast<int>(picture.GetWidth()), height = static_cast<int>(picture.GetHeight());
    bitmap.SetDimensions(width, height);
    if (bitmap.Empty()) return;
    Gdiplus::Rect whole(0, 0, width, height);
    Gdiplus::BitmapData data{};
    data.Width = static_cast<UINT>(width);
    data.Height = static_cast<UINT>(height);
    data.Stride = width * 4;
    data.PixelFormat = PixelFormat32bppPARGB;
    data.Scan0 = bitmap.Map().Pixels;
    FailUnlessOk(picture.LockBits(&whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                                  PixelFormat32bppPARGB, &data),
                 path);
    picture.UnlockBits(&data);
    bitmap.MakeOpaque();
}

void LoadRasterFile(TBitmap32& bitmap, const std::string& path)
{
    Gdiplus::Bitmap picture(files::WideFromAnsi(path).data());
    CopyRaster(bitmap, picture, path);
}

// Releases a COM stream when it goes out of scope.
struct TStreamRelease {
    void operator()(IStream* stream) const { stream->Release(); }
};

void LoadMetafile(TBitmap32& bitmap, const std::string& path)
{
    Gdiplus::Metafile picture(files::WideFromAnsi(path).data());
    FailUnlessOk(picture.GetLastStatus(), path);
    const int width = static_cast<int>(picture.GetWidth()), height = static_cast<int>(picture.GetHeight());
    bitmap.SetDimensions(width, height);
    if (bitmap.Empty()) return;
    bitmap.ClearTo(0);
    {
        Gdiplus::Graphics canvas(bitmap.Handle());
        FailUnlessOk(canvas.DrawImage(&picture, 0, 0, width, height), path);
    }
    bitmap.MakeOpaque();
}

}  // namespace

TGdiplusSession::TGdiplusSession()
{
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&Token, &input, nullptr) != Gdiplus::Ok) throw ESetupError("Cannot start GDI+");
}

TGdiplusSession::~TGdiplusSession()
{
    Gdiplus::GdiplusShutdown(Token);
}

void LoadPictureResource(TBitmap32& bitmap, const char* resourceName)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(self, resourceName, RT_RCDATA);
    HGLOBAL loaded = resource ? LoadResource(self, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) throw ESetupError(std::string("Picture resource missing: ") + resourceName);
    const DWORD size = SizeofResource(self, resource);
    // GDI+ reads from a stream, which needs memory of its own.
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy) throw ESetupError("Out of memory");
    std::memcpy(GlobalLock(copy), bytes, size);
    GlobalUnlock(copy);
    IStream* raw = nullptr;
    if (CreateStreamOnHGlobal(copy, TRUE, &raw) != S_OK) {
        GlobalFree(copy);
        throw ESetupError("Out of memory");
    }
    const std::unique_ptr<IStream, TStreamRelease> stream(raw);
    Gdiplus::Bitmap picture(stream.get());
    CopyRaster(bitmap, picture, resourceName);
    bitmap.NotifyChanged();
}

void LoadPictureFile(TBitmap32& bitmap, const std::string& path)
{
    bitmap.BeginUpdate();
    try {
        switch (KindOf(path)) {
        case TPictureKind::Bitmap: LoadBitmapFile(bitmap, path); break;
        case TPictureKind::Metafile: LoadMetafile(bitmap, path); break;
        case TPictureKind::Icon:
        case TPictureKind::Jpeg:
        case TPictureKind::Gif: LoadRasterFile(bitmap, path); break;
        }
    } catch (...) {
        bitmap.EndUpdate();
        bitmap.NotifyChanged();
        throw;
    }
    bitmap.EndUpdate();
    bitmap.NotifyChanged();
}
