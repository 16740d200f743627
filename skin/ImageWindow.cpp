#include "skin/ImageWindow.h"

#include <windowsx.h>

#include "utilities/SetupError.h"

namespace {

constexpr uint32_t kVisibleLayers = 0x80000000u;
constexpr int kFormClientWidth = 386, kFormClientHeight = 324;

// A paint begun is ended however the painting ends: an error in a paint stage
// must not keep the window's device context.
class TPaintScope {
public:
    explicit TPaintScope(HWND window) : Window(window), Dc(BeginPaint(window, &Paint)) {}
    ~TPaintScope() { EndPaint(Window, &Paint); }
    TPaintScope(const TPaintScope&) = delete;
    TPaintScope& operator=(const TPaintScope&) = delete;
    HDC Canvas() const { return Dc; }

private:
    HWND Window;
    PAINTSTRUCT Paint{};
    HDC Dc;
};

}  // namespace

TImageWindow::TImageWindow()
{
    Buffer.BeginUpdate();  // the buffer's own notifications stay off for good
    Bitmap.OnChange = [this](TBitmap32&) { NotifyChanged(); };
    Bitmap.OnResize = [this](TBitmap32&) { BitmapResized(); };
    AddDefaultStages();
}

TImageWindow::~TImageWindow()
{
    BeginUpdate();
    Bitmap.OnChange = nullptr;
    Bitmap.OnResize = nullptr;
}

void TImageWindow::AddDefaultStages()
{
    PaintStages = {
        {true, true, PST_CLEAR_BACKGND, 0},
        {true, false, PST_CONTROL_FRAME, 0},
        {true, true, PST_DRAW_BITMAP, 0},
        {true, false, PST_BITMAP_FRAME, 0},
        {true, true, PST_DRAW_LAYERS, kVisibleLayers},
    };
}

void TImageWindow::SetBitmap(const TBitmap32& picture)
{
    CacheValid = false;
    Bitmap.AssignFrom(&picture);
}

void TImageWindow::SetScaleMode(TScaleMode mode)
{
    if (mode == Mode) return;
    CacheValid = false;
    Mode = mode;
    NotifyChanged();
}

void TImageWindow::SetScale(float value)
{
    value = value < kMinimumScale ? kMinimumScale : value;
    if (value == ScaleFactor) return;
    CacheValid = false;
    ScaleFactor = value;
    NotifyChanged();
}

void TImageWindow::SetOffsetHorz(float value)
{
    if (value == OffsetHorz) return;
    CacheValid = false;
    OffsetHorz = value;
    NotifyChanged();
}

void TImageWindow::SetOffsetVert(float value)
{
    if (value == OffsetVert) return;
    CacheValid = false;
    OffsetVert = value;
    NotifyChanged();
}

void TImageWindow::NotifyChanged()
{
    if (UpdateCount == 0) Changed();
}

void TImageWindow::Changed()
{
    if (OnChange) OnChange(*this);
}

void TImageWindow::Invalidate()
{
    BufferValid = false;
    CacheValid = false;
    TWindow::Invalidate();
}

void TImageWindow::SetBounds(int left, int top, int width, int height)
{
    BufferValid = false;
    TWindow::SetBounds(left, top, width, height);
}

void TImageWindow::BitmapResized()
{
    CacheValid = false;
    Invalidate();
}

TPixelSize TImageWindow::BitmapSize() const
{
    const RECT client = ClientRect();
    return ::BitmapSize(Mode, ScaleFactor, {Bitmap.Width(), Bitmap.Height()}, {client.right, client.bottom});
}

TPixelRect TImageWindow::BitmapRect() const
{
    if (Bitmap.Empty()) return {};
    const TPixelSize size = BitmapSize();
    return {0, 0, size.Width, size.Height};
}

void TImageWindow::AdjustBufferSize()
{
    const RECT client = ClientRect();
    const TPixelSize next = NextBufferSize({Buffer.Width(), Buffer.Height()}, {client.right, client.bottom});
    if (Buffer.SetDimensions(next.Width, next.Height)) BufferValid = false;
}

void TImageWindow::UpdateCache()
{
    if (CacheValid) return;
    CachedBitmapRect = BitmapRect();
    CacheValid = true;
}

void TImageWindow::RunPaintStages()
{
    UpdateCache();
    for (size_t i = 0; i < PaintStages.size(); ++i) {
        const TPaintStage& stage = PaintStages[i];
        if (!stage.RunTime) continue;
        switch (stage.Stage) {
        case PST_CUSTOM:
            if (OnPaintStage) OnPaintStage(*this, Buffer, i);
            break;
        case PST_CLEAR_BUFFER: Buffer.ClearTo(ToColor32(Color)); break;
        case PST_CLEAR_BACKGND: PaintBackground(); break;
        case PST_DRAW_BITMAP: PaintBitmap(); break;
        case PST_CONTROL_FRAME: {
            const RECT client = ClientRect();
            PaintFocusFrame({0, 0, client.right, client.bottom});
            break;
        }
        case PST_BITMAP_FRAME: PaintFocusFrame(CachedBitmapRect); break;
        default: break;  // no layers are ever added
        }
    }
    BufferValid = true;
}

void TImageWindow::PaintBackground()
{
    const TColor32 colour = ToColor32(Color);
    const RECT client = ClientRect();
    const int width = client.right, height = client.bottom;
    if (Bitmap.Empty() || Bitmap.DrawMode() != TDrawMode::dmOpaque) {
        Buffer.ClearTo(colour);
        return;
    }
    const TPixelRect r = CachedBitmapRect;
    if (r.Left <= 0 && r.Right >= width && r.Top <= 0 && r.Bottom >= height) return;
    Buffer.FillArea(0, 0, width, r.Top, colour);
    Buffer.FillArea(0, r.Bottom, width, height, colour);
    Buffer.FillArea(0, r.Top, r.Left, r.Bottom, colour);
    Buffer.FillArea(r.Right, r.Top, width, r.Bottom, colour);
}

void TImageWindow::PaintBitmap()
{
    if (Bitmap.Empty() || CachedBitmapRect.IsEmpty()) return;
    const TBitmapLock lock(Bitmap);
    const TPixelRect& r = CachedBitmapRect;
    Bitmap.StretchTo(Buffer, RECT{r.Left, r.Top, r.Right, r.Bottom});
}

void TImageWindow::PaintFocusFrame(const TPixelRect& rect)
{
    const RECT frame{rect.Left, rect.Top, rect.Right, rect.Bottom};
    DrawFocusRect(Buffer.Handle(), &frame);
}

void TImageWindow::Paint()
{
    const TPaintScope paint(Handle());
    AdjustBufferSize();
    if (!BufferValid) RunPaintStages();
    const RECT client = ClientRect();
    {
        const TBitmapLock lock(Buffer);
        BitBlt(paint.Canvas(), 0, 0, client.right, client.bottom, Buffer.Handle(), 0, 0, SRCCOPY);
    }
    if (OnGDIOverlay) OnGDIOverlay(*this, paint.Canvas());
}

void TImageWindow::MouseDown(TMouseButton button, WPARAM wParam, LPARAM lParam)
{
    if (button == TMouseButton::mbLeft) LeftDown = true;
    SetCapture(Handle());
    if (OnMouseDown) OnMouseDown(*this, button, wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

// As the platform's controls do it: the capture goes, a left press and release
// inside the client area is a click, then the mouse-up handler runs.
void TImageWindow::MouseUp(TMouseButton button, WPARAM wParam, LPARAM lParam)
{
    const bool wasLeftDown = LeftDown;
    if (button == TMouseButton::mbLeft) LeftDown = false;
    if (GetCapture() == Handle()) ReleaseCapture();
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const RECT client = ClientRect();
    if (button == TMouseButton::mbLeft && wasLeftDown && PtInRect(&client, at) && OnClick) Clicked();
    if (OnMouseUp) OnMouseUp(*this, button, wParam, at.x, at.y);
}

void TImageWindow::Clicked()
{
    OnClick(*this);
}

// The pointer is over the window when the window under it is this one, which
// also honours the window's region; while the mouse is captured, moves
// outside still arrive here and end the hover.
void TImageWindow::MouseMove(WPARAM wParam, LPARAM lParam)
{
    if (!TrackingLeave) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        TrackingLeave = TrackMouseEvent(&track) != 0;
    }
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    POINT screen = at;
    ClientToScreen(Handle(), &screen);
    SetHover(WindowFromPoint(screen) == Handle());
    if (OnMouseMove) OnMouseMove(*this, wParam, at.x, at.y);
}

void TImageWindow::SetHover(bool inside)
{
    if (inside == Hovering) return;
    Hovering = inside;
    if (inside && OnMouseEnter) OnMouseEnter(*this);
    if (!inside && OnMouseLeave) OnMouseLeave(*this);
}

LRESULT TImageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(); return 0;
    case WM_SIZE: Resized(); break;
    // The class asks for double clicks, so Windows turns every second quick
    // press into a double click: it is a press like any other.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: MouseDown(TMouseButton::mbLeft, wParam, lParam); return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: MouseDown(TMouseButton::mbRight, wParam, lParam); return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: MouseDown(TMouseButton::mbMiddle, wParam, lParam); return 0;
    case WM_LBUTTONUP: MouseUp(TMouseButton::mbLeft, wParam, lParam); return 0;
    case WM_RBUTTONUP: MouseUp(TMouseButton::mbRight, wParam, lParam); return 0;
    case WM_MBUTTONUP: MouseUp(TMouseButton::mbMiddle, wParam, lParam); return 0;
    case WM_MOUSEMOVE: MouseMove(wParam, lParam); return 0;
    case WM_MOUSELEAVE:
        TrackingLeave = false;
        if (GetCapture() != Handle()) SetHover(false);
        return 0;
    case WM_CAPTURECHANGED: LeftDown = false; break;
    default: break;
    }
    return DefaultHandling(message, wParam, lParam);
}

TZForm::TZForm(HWND owner)
{
    CreateHandle("TZForm", 0, WS_POPUP | WS_CLIPCHILDREN, owner, RECT{0, 0, kFormClientWidth, kFormClientHeight});
}

TZFrame::TZFrame(HWND parent, const RECT& bounds)
{
    CreateHandle("TZFrame", 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, parent, bounds);
}

void TZFrame::Changed()
{
    Invalidate();
    TImageWindow::Changed();
}

void TZFrame::Resized()
{
    MarkBufferAndCacheStale();
    AdjustBufferSize();
}
