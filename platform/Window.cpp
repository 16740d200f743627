#include "platform/Window.h"

#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

namespace {

void RegisterClassOnce(const char* className, WNDPROC procedure)
{
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(GetModuleHandleA(nullptr), className, &existing)) return;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = className;
    if (!RegisterClassExA(&windowClass)) throw ESetupError("Cannot register window class " + std::string(className));
}

}  // namespace

TWindow::~TWindow()
{
    Destroy();
}

void TWindow::Destroy()
{
    if (!Wnd) return;
    HWND wnd = Wnd;
    SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
    Wnd = nullptr;
    DestroyWindow(wnd);
}

void TWindow::CreateHandle(const char* className, DWORD exStyle, DWORD style, HWND parent, const RECT& bounds,
                           const char* caption)
{
    RegisterClassOnce(className, &TWindow::WindowProc);
    // `this` travels as the creation parameter and is attached in WM_NCCREATE,
    // so the window's very first messages reach HandleMessage too.
    HWND wnd = CreateWindowExA(exStyle, className, caption, style, bounds.left, bounds.top, bounds.right - bounds.left,
                               bounds.bottom - bounds.top, parent, nullptr, GetModuleHandleA(nullptr), this);
    if (!wnd) throw ESetupError("Cannot create window: " + files::LastSystemError());
}

LRESULT CALLBACK TWindow::WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* creating = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        creating->Wnd = wnd;
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
    }
    auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(wnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
        self->Wnd = nullptr;
        return DefWindowProcA(wnd, message, wParam, lParam);
    }
    // An error must not unwind through Windows' own frames: it stops the
    // handler's work and is shown here, the one place that tells the user.
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        ShowError(error.what());
        return 0;
    }
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultHandling(message, wParam, lParam);
}

LRESULT TWindow::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(Wnd, message, wParam, lParam);
}

RECT TWindow::ClientRect() const
{
    RECT rect{};
    if (Wnd) GetClientRect(Wnd, &rect);
    return rect;
}

int TWindow::Width() const
{
    RECT rect{};
    if (Wnd) GetWindowRect(Wnd, &rect);
    return rect.right - rect.left;
}

int TWindow::Height() const
{
    RECT rect{};
    if (Wnd) GetWindowRect(Wnd, &rect);
    return rect.bottom - rect.top;
}

void TWindow::SetBounds(int left, int top, int width, int height)
{
    if (Wnd) SetWindowPos(Wnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWindow::Invalidate()
{
    if (Wnd) InvalidateRect(Wnd, nullptr, FALSE);
}

void ShowError(const std::string& message)
{
    MessageBoxA(nullptr, message.c_str(), nullptr, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

int RunMessageLoop()
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
