#include "skin/Bitmap32.h"

#include "utilities/SetupError.h"

namespace {

TPixelRect PixelRect(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

TColor32 ToColor32(COLORREF colour)
{
    if (colour & 0x80000000u) colour = GetSysColor(static_cast<int>(colour & 0xFF));
    return Color32FromRgb(colour);
}

TBitmap32::TBitmap32()
{
    InitializeCriticalSection(&OwnLock);
}

TBitmap32::~TBitmap32()
{
    Release();
    DeleteCriticalSection(&OwnLock);
}

void TBitmap32::Lock()
{
    EnterCriticalSection(&OwnLock);
}

void TBitmap32::Unlock()
{
    LeaveCriticalSection(&OwnLock);
}

void TBitmap32::NotifyChanged()
{
    if (UpdateCount == 0 && OnChange) OnChange(*this);
}

TPixelMap TBitmap32::Map() const
{
    if (Section) GdiFlush();
    return {Pixels, MapWidth, MapHeight};
}

void TBitmap32::Release()
{
    if (DC) {
        SelectObject(DC, PreviousObject);
        DeleteDC(DC);
    }
    if (Section) DeleteObject(Section);
    DC = nullptr;
    Section = nullptr;
    PreviousObject = nullptr;
    Pixels = nullptr;
    MapWidth = MapHeight = 0;
}

void TBitmap32::Allocate(int w, int h)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // rows from the top down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section) throw ESetupError("Can't allocate the DIB handle");
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        DeleteObject(section);
        throw ESetupError("Can't create compatible DC");
    }
    HGDIOBJ previous = SelectObject(dc, section);
    if (!previous) {
        DeleteDC(dc);
        DeleteObject(section);
        throw ESetupError("Can't select an object into DC");
    }
    Section = section;
    DC = dc;
    PreviousObject = previous;
    Pixels = static_cast<TColor32*>(bits);
    MapWidth = w;
    MapHeight = h;
}

bool TBitmap32::SetDimensions(int w, int h)
{
    w = w < 1 ? 0 : w;
    h = h < 1 ? 0 : h;
    if (w == MapWidth && h == MapHeight) return false;
    Release();
    try {
        if (w > 0 && h > 0) Allocate(w, h);
    } catch (...) {
        NotifyChanged();
        if (OnResize) OnResize(*this);
        throw;
    }
    NotifyChanged();
    if (OnResize) OnResize(*this);
    return true;
}

void TBitmap32::ClearTo(TColor32 colour)
{
    if (Empty()) return;
    ::ClearTo(Map(), colour);
    NotifyChanged();
}

void TBitmap32::MakeOpaque()
{
    ::MakeOpaque(Map());
    NotifyChanged();
}

void TBitmap32::FillArea(int x1, int y1, int x2, int y2, TColor32 colour)
{
    if (::FillArea(Map(), {x1, y1, x2, y2}, colour)) NotifyChanged();
}

void TBitmap32::AssignFrom(const TBitmap32* source)
{
    BeginUpdate();
    try {
        if (!source) {
            SetDimensions(0, 0);
        } else {
            SetDimensions(source->Width(), source->Height());
            if (!source->Empty() && source != this) {
                CopyPixels(source->Map(), Map(), 0, 0);
                Mode = source->Mode;
            }
        }
    } catch (...) {
        EndUpdate();
        NotifyChanged();
        throw;
    }
    EndUpdate();
    NotifyChanged();
}

void TBitmap32::CopyTo(TBitmap32& destination) const
{
    destination.CopyFrom(0, 0, *this);
}

void TBitmap32::CopyFrom(int x, int y, const TBitmap32& source)
{
    if (Empty() || source.Empty()) return;
    CopyPixels(source.Map(), Map(), x, y);
    NotifyChanged();
}

void TBitmap32::StretchTo(TBitmap32& destination, const RECT& destRect) const
{
    StretchTo(destination, destRect, RECT{0, 0, MapWidth, MapHeight});
}

void TBitmap32::StretchTo(TBitmap32& destination, const RECT& destRect, const RECT& sourceRect) const
{
    if (Empty() || destination.Empty()) return;
    if (StretchPixels(Map(), PixelRect(sourceRect), destination.Map(), PixelRect(destRect))) destination.NotifyChanged();
}

void TBitmap32::SetDrawMode(TDrawMode mode)
{
    if (mode == Mode) return;
    Mode = mode;
    NotifyChanged();
}

void AlphaFromIntensity(TBitmap32* destination, const TBitmap32* source)
{
    if (!destination) throw ESetupError("Destination is nil");
    if (!source) throw ESetupError("The source is nil");
    destination->SetDimensions(source->Width(), source->Height());
    AlphaFromIntensity(destination->Map(), source->Map());
    destination->NotifyChanged();
}
