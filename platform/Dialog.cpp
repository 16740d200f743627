#include "platform/Dialog.h"

#include <algorithm>
#include <utility>

#include "platform/Controls.h"

namespace {

int SystemDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

HFONT CreateMessageFont()
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return CreateFontIndirectA(&metrics.lfMessageFont);
    return nullptr;
}

// The other windows of the thread are disabled while a modal loop runs, as
// with any modal dialog, and enabled again before it is hidden.
class TOtherWindowsDisabled {
public:
    explicit TOtherWindowsDisabled(HWND dialog) : Dialog(dialog)
    {
        EnumThreadWindows(GetCurrentThreadId(), &TOtherWindowsDisabled::DisableOne, reinterpret_cast<LPARAM>(this));
    }
    ~TOtherWindowsDisabled()
    {
        for (HWND wnd : Disabled) EnableWindow(wnd, TRUE);
    }
    TOtherWindowsDisabled(const TOtherWindowsDisabled&) = delete;
    TOtherWindowsDisabled& operator=(const TOtherWindowsDisabled&) = delete;

private:
    static BOOL CALLBACK DisableOne(HWND wnd, LPARAM self)
    {
        auto* disabling = reinterpret_cast<TOtherWindowsDisabled*>(self);
        if (wnd != disabling->Dialog && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
            EnableWindow(wnd, FALSE);
            disabling->Disabled.push_back(wnd);
        }
        return TRUE;
    }

    HWND Dialog;
    std::vector<HWND> Disabled;
};

}  // namespace

TDialog::TDialog() : Dpi(SystemDpi()), FontObject(CreateMessageFont()) {}

void TDialog::CreateForm(const char* className, const std::string& caption, DWORD style, int width, int height,
                         bool clientSize, COLORREF background)
{
    Background = background;
    BackgroundBrush.Reset(CreateSolidBrush(background));
    RECT bounds{0, 0, Scale(width), Scale(height)};
    if (clientSize) AdjustWindowRectEx(&bounds, style, FALSE, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
    OffsetRect(&bounds, -bounds.left, -bounds.top);
    CreateHandle(className, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, style, nullptr, bounds, caption.c_str());
    CentreOnScreen();
}

int TDialog::Scale(int value) const
{
    return MulDiv(value, Dpi, 96);
}

RECT TDialog::ScaledRect(int left, int top, int width, int height) const
{
    return RECT{Scale(left), Scale(top), Scale(left + width), Scale(top + height)};
}

void TDialog::SetCaption(const std::string& caption)
{
    SetWindowTextA(Handle(), caption.c_str());
}

void TDialog::SetOuterSize(int width, int height)
{
    SetWindowPos(Handle(), nullptr, 0, 0, Scale(width), Scale(height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDialog::SetOuterHeight(int height)
{
    SetWindowPos(Handle(), nullptr, 0, 0, Width(), Scale(height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDialog::CentreOnScreen()
{
    const int left = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDialog::AddControl(TControl* control)
{
    Controls.push_back(control);
}

void TDialog::RemoveControl(TControl* control)
{
    Controls.erase(std::remove(Controls.begin(), Controls.end(), control), Controls.end());
}

TControl* TDialog::ControlOf(HWND wnd) const
{
    for (TControl* control : Controls) {
        if (control->Handle() == wnd && wnd) return control;
    }
    return nullptr;
}

int TDialog::ShowModal()
{
    ModalResult = kModalNone;
    PendingError = nullptr;
    {
        TOtherWindowsDisabled others(Handle());
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
        if (HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE)) SetFocus(first);
        InModalLoop = true;
        MSG message;
        while (ModalResult == kModalNone) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got <= 0) {
                // The program is ending: the quit request belongs to the outer loop.
                if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
                ModalResult = kModalCancel;
                break;
            }
            if (IsDialogMessageA(Handle(), &message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        InModalLoop = false;
    }
    ShowWindow(Handle(), SW_HIDE);
    if (PendingError) std::rethrow_exception(std::exchange(PendingError, nullptr));
    return ModalResult;
}

LRESULT TDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE: ModalResult = kModalCancel; return 0;
    case WM_COMMAND: return OnCommand(wParam, lParam);
    case WM_NOTIFY: return OnNotify(lParam);
    case WM_CTLCOLORSTATIC: return OnControlColour(wParam);
    case WM_ERASEBKGND: OnEraseBackground(reinterpret_cast<HDC>(wParam)); return 1;
    default: return DefaultHandling(message, wParam, lParam);
    }
}

LRESULT TDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (TControl* control = ControlOf(reinterpret_cast<HWND>(lParam)))
        Guarded([&] { control->Command(HIWORD(wParam)); });
    return 0;
}

LRESULT TDialog::OnNotify(LPARAM lParam)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    LRESULT result = 0;
    if (TControl* control = ControlOf(header->hwndFrom)) Guarded([&] { result = control->Notify(*header); });
    return result;
}

LRESULT TDialog::OnControlColour(WPARAM wParam)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetBkColor(dc, Background);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(BackgroundBrush.Get());
}

void TDialog::OnEraseBackground(HDC dc) const
{
    RECT client = ClientRect();
    FillRect(dc, &client, static_cast<HBRUSH>(BackgroundBrush.Get()));
}
