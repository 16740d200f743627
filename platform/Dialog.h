#pragma once

// A modal window with the system's dialog look: the system message font,
// layout values given at 96 dots per inch and scaled to the system's, a plain
// background colour, a nested message loop with keyboard navigation, and a
// modal result that ends it. Child controls register themselves (Controls.h)
// and receive their own command and notify messages.

#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "platform/Window.h"
#include "utilities/Handles.h"

class TControl;

constexpr int kModalNone = 0;
constexpr int kModalOK = 1;
constexpr int kModalCancel = 2;
constexpr int kModalYes = 6;
constexpr int kModalNo = 7;

class TDialog : public TWindow {
public:
    TDialog();

    // Shows the window, runs messages until a modal result is set, hides it
    // and returns the result. An error raised by a handler meanwhile ends the
    // loop and is raised again here, for the caller's one error report.
    int ShowModal();
    void SetModalResult(int result) { ModalResult = result; }
    bool IsShowingModal() const { return InModalLoop; }

    void SetCaption(const std::string& caption);
    // Outer size in 96-dpi units.
    void SetOuterSize(int width, int height);
    void SetOuterHeight(int height);
    void CentreOnScreen();

    int Scale(int value) const;
    RECT ScaledRect(int left, int top, int width, int height) const;
    HFONT Font() const { return static_cast<HFONT>(FontObject.Get()); }

    void AddControl(TControl* control);
    void RemoveControl(TControl* control);

protected:
    // Creates the hidden top-level window; width and height are at 96 dpi,
    // of the client area when clientSize is set, else of the whole window.
    void CreateForm(const char* className, const std::string& caption, DWORD style, int width, int height,
                    bool clientSize, COLORREF background);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Runs a handler; an error ends the modal loop and is kept for ShowModal.
    template <typename Handler>
    void Guarded(Handler&& handler)
    {
        try {
            handler();
        } catch (...) {
            PendingError = std::current_exception();
            ModalResult = kModalCancel;
        }
    }

private:
    TControl* ControlOf(HWND wnd) const;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(LPARAM lParam);
    LRESULT OnControlColour(WPARAM wParam);
    void OnEraseBackground(HDC dc) const;

    int Dpi = 96;
    TGdiObject FontObject;
    TGdiObject BackgroundBrush;
    COLORREF Background = 0;
    std::vector<TControl*> Controls;
    int ModalResult = kModalNone;
    bool InModalLoop = false;
    std::exception_ptr PendingError;
};
