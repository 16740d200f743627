#pragma once

// A 32-bit picture with alpha in a top-down DIB section, selected into a
// memory device context so that it can be drawn on with GDI and addressed
// pixel by pixel.

#include <windows.h>

#include <functional>

#include "skin/PixelOps.h"

class TBitmap32;

using TBitmapNotifyEvent = std::function<void(TBitmap32& Sender)>;

enum class TDrawMode { dmOpaque, dmBlend, dmCustom };

// Windows colour value to TColor32, system colours (high bit set) resolved.
TColor32 ToColor32(COLORREF colour);

class TBitmap32 {
public:
    TBitmap32();
    ~TBitmap32();
    TBitmap32(const TBitmap32&) = delete;
    TBitmap32& operator=(const TBitmap32&) = delete;

    void Lock();
    void Unlock();
    void BeginUpdate() { ++UpdateCount; }
    void EndUpdate() { --UpdateCount; }
    void NotifyChanged();

    // False when the size stays; w or h below 1 make the bitmap empty.
    bool SetDimensions(int w, int h);
    void ClearTo(TColor32 colour);
    void MakeOpaque();
    void FillArea(int x1, int y1, int x2, int y2, TColor32 colour);
    TColor32 Pixel(int x, int y) const { return Map().At(x, y); }
    void SetPixel(int x, int y, TColor32 colour) { Map().At(x, y) = colour; }

    void AssignFrom(const TBitmap32* source);
    void CopyTo(TBitmap32& destination) const;
    void CopyFrom(int x, int y, const TBitmap32& source);
    void StretchTo(TBitmap32& destination, const RECT& destRect) const;
    void StretchTo(TBitmap32& destination, const RECT& destRect, const RECT& sourceRect) const;

    void SetDrawMode(TDrawMode mode);
    TDrawMode DrawMode() const { return Mode; }

    int Width() const { return MapWidth; }
    int Height() const { return MapHeight; }
    bool Empty() const { return Section == nullptr; }
    HDC Handle() const { return DC; }
    TColor32* Bits() const { return Pixels; }
    // The pixels for direct work; GDI's pending drawing is flushed first.
    TPixelMap Map() const;

    TBitmapNotifyEvent OnChange;
    TBitmapNotifyEvent OnResize;

private:
    void Release();
    void Allocate(int w, int h);

    CRITICAL_SECTION OwnLock;
    int UpdateCount = 0;
    int MapWidth = 0;
    int MapHeight = 0;
    HBITMAP Section = nullptr;
    HGDIOBJ PreviousObject = nullptr;
    HDC DC = nullptr;
    TColor32* Pixels = nullptr;
    TDrawMode Mode = TDrawMode::dmOpaque;
};

// Holds a bitmap's lock for a scope, so that an error on the way cannot leave it locked.
class TBitmapLock {
public:
    explicit TBitmapLock(TBitmap32& bitmap) : Locked(bitmap) { Locked.Lock(); }
    ~TBitmapLock() { Locked.Unlock(); }
    TBitmapLock(const TBitmapLock&) = delete;
    TBitmapLock& operator=(const TBitmapLock&) = delete;

private:
    TBitmap32& Locked;
};

// destination's alpha from the brightness of source's pixels; sizes destination to source.
void AlphaFromIntensity(TBitmap32* destination, const TBitmap32* source);
