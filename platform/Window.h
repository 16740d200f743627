#pragma once

// The base of every window of the program: registers its window class once,
// keeps `this` with the handle (set in WM_NCCREATE) and hands each message to
// the virtual HandleMessage, so that a class answers only what it needs.

#include <windows.h>

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

// Runs the message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();
