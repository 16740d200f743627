#pragma once

// A modal window with the system's dialog look, owned by the window it
// serves: the system message font, layout values in pixels at the skin's
// scale (Layout.h), a plain background colour, a nested message loop with
// keyboard navigation, and a modal result that ends it. It hosts controls
// (ControlHost.h).

#include <windows.h>

#include <string>

#include "platform/ControlHost.h"
#include "platform/Font.h"
#include "platform/Window.h"

constexpr int kModalNone = 0;
constexpr int kModalOK = 1;
constexpr int kModalCancel = 2;
constexpr int kModalYes = 6;
constexpr int kModalNo = 7;

class TDialog : public TWindow, public TControlHost {
public:
    TDialog() = default;

    // Shows the window, runs messages until a modal result is set, hides it
    // and returns the result. An error raised by a handler meanwhile is
    // reported and the dialog stays open, as the user expects.
    int ShowModal();
    void SetModalResult(int result) { ModalResult = result; }
    bool IsShowingModal() const { return InModalLoop; }

    void SetCaption(const std::string& caption);
    // Outer size, the system's frame included.
    void SetOuterSize(int width, int height);
    void SetOuterHeight(int height);
    void CentreOnScreen();

    const TFont& Font() const override { return DialogFont; }

protected:
    // Creates the hidden top-level window, owned by owner (it then stays
    // above it and has no taskbar button of its own); width and height are
    // those of the client area when clientSize is set, else of the whole
    // window.
    void CreateForm(const char* className, const std::string& caption, DWORD style, int width, int height,
                    bool clientSize, COLORREF background, HWND owner);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TFont DialogFont{MessageFontAttributes()};
    int ModalResult = kModalNone;
    bool InModalLoop = false;
};
