#pragma once

// The base of every window of the program: registers its window class once,
// keeps `this` with the handle (set in WM_NCCREATE) and hands each message to
// the virtual HandleMessage, so that a class answers only what it needs.

#include <windows.h>

#include <exception>
#include <string>

class TWindow {
public:
    TWindow() = default;
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND Handle() const { return Wnd; }
    bool HandleAllocated() const { return Wnd != nullptr; }
    void Destroy();

    RECT ClientRect() const;
    int Width() const;
    int Height() const;
    virtual void SetBounds(int left, int top, int width, int height);
    virtual void Invalidate();

protected:
    // Creates the window with the class name given; the class is registered
    // on first use with this module, an arrow cursor and no background brush.
    void CreateHandle(const char* className, DWORD exStyle, DWORD style, HWND parent, const RECT& bounds,
                      const char* caption = "");
    // Answers one message; the default passes it to DefWindowProc.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND Wnd = nullptr;
};

// The program's one error message box, for errors no caller handled.
void ShowError(const std::string& message);

// An error must not unwind through the frames of Windows that called one of
// our procedures: it is kept, and the message loop that dispatched the
// message shows it once the dispatch has returned.
void KeepErrorForReport(std::exception_ptr error);
// The oldest kept error, which leaves the queue; null when none is kept.
std::exception_ptr TakeKeptError();
// Shows every kept error through ShowError, oldest first.
void ReportKeptErrors();

// Runs a handler inside a procedure Windows called; false when it raised an
// error, which is then kept for the report.
template <typename Handler>
bool RunGuarded(Handler&& handler) noexcept
{
    try {
        handler();
        return true;
    } catch (...) {
        KeepErrorForReport(std::current_exception());
        return false;
    }
}

// Dispatches one message; keyboard messages for the active top-level window
// go through the dialog manager first, so that Tab, Space and Enter work in
// every window that hosts controls.
void DispatchWithDialogKeys(MSG& message);

// Runs the message loop until WM_QUIT, reporting kept errors after each
// message; returns the exit code.
int RunMessageLoop();
