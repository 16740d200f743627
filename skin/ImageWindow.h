#pragma once

// The common ground of the image form and the image frame: a window whose
// whole client area shows Bitmap, painted through a back buffer by a list of
// paint stages, never erasing its background, with mouse capture on a press
// and mouse enter/leave notices.

#include <functional>
#include <vector>

#include "platform/Window.h"
#include "skin/Bitmap32.h"
#include "skin/PaintRules.h"

class TImageWindow;

using TImageNotifyEvent = std::function<void(TImageWindow& Sender)>;
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TImgMouseEvent = std::function<void(TImageWindow& Sender, TMouseButton Button, WPARAM Shift, int X, int Y)>;
using TImgMouseMoveEvent = std::function<void(TImageWindow& Sender, WPARAM Shift, int X, int Y)>;
using TPaintStageEvent = std::function<void(TImageWindow& Sender, TBitmap32& Buffer, size_t StageNum)>;

enum TPaintStageKind : uint32_t {
    PST_CUSTOM = 1,
    PST_CLEAR_BUFFER = 2,
    PST_CLEAR_BACKGND = 3,
    PST_DRAW_BITMAP = 4,
    PST_DRAW_LAYERS = 5,
    PST_CONTROL_FRAME = 6,
    PST_BITMAP_FRAME = 7,
};

struct TPaintStage {
    bool DsgnTime = false;
    bool RunTime = true;
    uint32_t Stage = 0;
    uint32_t Parameter = 0;
};

class TImageWindow : public TWindow {
public:
    TImageWindow();
    ~TImageWindow() override;

    TBitmap32 Bitmap;
    COLORREF Color = 0x80000000u | COLOR_BTNFACE;
    std::vector<TPaintStage> PaintStages;

    void SetBitmap(const TBitmap32& picture);
    void SetScaleMode(TScaleMode mode);
    TScaleMode ScaleMode() const { return Mode; }
    void SetScale(float value);
    float Scale() const { return ScaleFactor; }
    void SetOffsetHorz(float value);
    void SetOffsetVert(float value);

    void BeginUpdate() { ++UpdateCount; }
    void EndUpdate() { --UpdateCount; }
    // Tells the owner (and, for a frame, the screen) unless an update is open.
    void NotifyChanged();
    // Marks the buffered picture stale and asks Windows to repaint.
    void Invalidate() override;
    void SetBounds(int left, int top, int width, int height) override;

    TPixelRect BitmapRect() const;
    TPixelSize BitmapSize() const;
    const TBitmap32& BackBuffer() const { return Buffer; }

    TImageNotifyEvent OnChange;
    TImageNotifyEvent OnMouseEnter;
    TImageNotifyEvent OnMouseLeave;
    TImgMouseEvent OnMouseDown;
    TImgMouseEvent OnMouseUp;
    TImgMouseMoveEvent OnMouseMove;
    TPaintStageEvent OnPaintStage;
    std::function<void(TImageWindow& Sender, HDC Canvas)> OnGDIOverlay;
    std::function<void(TImageWindow& Sender)> OnClick;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Runs when the window's size changed; the frame and the skinned windows add to it.
    virtual void Resized() {}
    virtual void BitmapResized();
    virtual void Changed();
    // A left press and release inside the window with an OnClick handler; runs it.
    virtual void Clicked();
    void AdjustBufferSize();
    void MarkBufferAndCacheStale() { BufferValid = CacheValid = false; }
    bool LeftButtonDown() const { return LeftDown; }

private:
    void AddDefaultStages();
    void Paint();
    void RunPaintStages();
    void UpdateCache();
    void PaintBackground();
    void PaintBitmap();
    void PaintFocusFrame(const TPixelRect& rect);
    void MouseDown(TMouseButton button, WPARAM wParam, LPARAM lParam);
    void MouseUp(TMouseButton button, WPARAM wParam, LPARAM lParam);
    void MouseMove(WPARAM wParam, LPARAM lParam);
    void SetHover(bool inside);

    TBitmap32 Buffer;
    bool BufferValid = false;
    bool CacheValid = false;
    TPixelRect CachedBitmapRect;
    TScaleMode Mode = TScaleMode::smNormal;
    float ScaleFactor = 1.0f;
    float OffsetHorz = 0, OffsetVert = 0;
    int UpdateCount = 0;
    bool LeftDown = false;
    bool Hovering = false;
    bool TrackingLeave = false;
};

// A borderless top-level window showing its Bitmap.
class TZForm : public TImageWindow {
public:
    explicit TZForm(HWND owner = nullptr);
};

constexpr RECT kFrameDesignBounds{0, 0, 320, 240};

// A child window showing its Bitmap; it repaints itself on every change.
class TZFrame : public TImageWindow {
public:
    explicit TZFrame(HWND parent, const RECT& bounds = kFrameDesignBounds);

protected:
    void Changed() override;
    void Resized() override;
};
