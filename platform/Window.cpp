#include "platform/Window.h"

#include <deque>

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
    LRESULT result = 0;
    RunGuarded([&] { result = self->HandleMessage(message, wParam, lParam); });
    return result;
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
    // Owned by the window the user works in, so that it cannot fall behind it.
    MessageBoxA(GetActiveWindow(), message.c_str(), nullptr, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

namespace {

std::deque<std::exception_ptr>& KeptErrors()
{
    static std::deque<std::exception_ptr> errors;
    return errors;
}

std::string MessageOf(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& raised) {
        return raised.what();
    } catch (...) {
        return "Unknown error";
    }
}

}  // namespace

void KeepErrorForReport(std::exception_ptr error)
{
    KeptErrors().push_back(std::move(error));
}

std::exception_ptr TakeKeptError()
{
    auto& errors = KeptErrors();
    if (errors.empty()) return nullptr;
    std::exception_ptr error = std::move(errors.front());
    errors.pop_front();
    return error;
}

void ReportKeptErrors()
{
    // The message box runs messages itself; errors kept meanwhile join the queue.
    while (const std::exception_ptr error = TakeKeptError()) ShowError(MessageOf(error));
}

void DispatchWithDialogKeys(MSG& message)
{
    HWND active = GetActiveWindow();
    if (active && IsDialogMessageA(active, &message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

int RunMessageLoop()
{
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchWithDialogKeys(message);
        ReportKeptErrors();
    }
    ReportKeptErrors();
    return static_cast<int>(message.wParam);
}
