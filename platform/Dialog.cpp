#include "platform/Dialog.h"

#include <vector>

namespace {

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

void TDialog::CreateForm(const char* className, const std::string& caption, DWORD style, int width, int height,
                         bool clientSize, COLORREF background, HWND owner)
{
    RECT bounds{0, 0, width, height};
    if (clientSize) AdjustWindowRectEx(&bounds, style, FALSE, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
    OffsetRect(&bounds, -bounds.left, -bounds.top);
    CreateHandle(className, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, style, owner, bounds, caption.c_str());
    AttachHost(Handle(), nullptr);
    SetBackgroundColor(background);
    CentreOnScreen();
}

void TDialog::SetCaption(const std::string& caption)
{
    SetWindowTextA(Handle(), caption.c_str());
}

void TDialog::SetOuterSize(int width, int height)
{
    SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDialog::SetOuterHeight(int height)
{
    SetWindowPos(Handle(), nullptr, 0, 0, Width(), height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDialog::CentreOnScreen()
{
    const int left = (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2;
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TDialog::ShowModal()
{
    ModalResult = kModalNone;
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
            if (!IsDialogMessageA(Handle(), &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            ReportKeptErrors();
        }
        InModalLoop = false;
    }
    ShowWindow(Handle(), SW_HIDE);
    return ModalResult;
}

LRESULT TDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (HostMessage(message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_CLOSE: ModalResult = kModalCancel; return 0;
    case WM_ERASEBKGND: FillBackground(reinterpret_cast<HDC>(wParam)); return 1;
    default: return DefaultHandling(message, wParam, lParam);
    }
}
