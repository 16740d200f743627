#pragma once

// What every window that holds controls shares, be it a dialog, the skinned
// wizard form, a panel or a group box: the registry of its child controls,
// the routing of the messages Windows sends a parent (commands, notices,
// colour requests, the dialog manager's questions) to the control they
// concern, the font and background colour the children take by default,
// and the layout of the children, placed in pixels (kDesignDpi, Layout.h).

#include <windows.h>

#include <utility>
#include <vector>

#include "platform/Font.h"
#include "platform/Layout.h"
#include "utilities/Handles.h"

class TControl;

class TControlHost {
public:
    TControlHost() = default;
    virtual ~TControlHost();
    TControlHost(const TControlHost&) = delete;
    TControlHost& operator=(const TControlHost&) = delete;

    HWND HostHandle() const { return HostWnd; }
    TControlHost* ParentHost() const { return Parent; }

    // The client size the children's design positions refer to.
    layout::TSize DesignSize() const { return Design; }

    // The font children show unless they have their own.
    virtual const TFont& Font() const = 0;
    // The background; without a colour of its own a host shows its parent's.
    COLORREF BackgroundColor() const;
    HBRUSH BackgroundBrush() const;
    void SetBackgroundColor(COLORREF color);
    // Aligned children keep this distance to every side.
    void SetBorderWidth(int width);

    // Places every child where its alignment and anchors put it.
    void Realign();

    void AddControl(TControl* control);
    void RemoveControl(TControl* control);

protected:
    // Makes wnd the host window, a control parent for the dialog manager;
    // its present client size is the design size.
    void AttachHost(HWND wnd, TControlHost* parent);
    // Answers the messages a parent receives for its controls; false for
    // all others, which the window handles as before.
    bool HostMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void FillBackground(HDC dc) const;
    const std::vector<TControl*>& Children() const { return Controls; }

private:
    TControlHost& Root();
    TControl* ControlOf(HWND wnd) const;
    TControl* ControlWithId(int id) const;
    TControl* EnterTarget() const;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnControlColour(WPARAM wParam, LPARAM lParam);
    LRESULT OnDefaultButtonQuery();
    void OnNextControl(WPARAM wParam, LPARAM lParam);

    HWND HostWnd = nullptr;
    TControlHost* Parent = nullptr;
    layout::TSize Design;
    int Border = 0;
    COLORREF OwnColor = 0;
    TGdiObject OwnBrush;
    std::vector<TControl*> Controls;
};

// A top-level window of our own that hosts controls, with the system's
// message font: the skinned wizard form is THostWindow<TZupForm>.
template <typename Window>
class THostWindow : public Window, public TControlHost {
public:
    template <typename... Args>
    explicit THostWindow(Args&&... args) : Window(std::forward<Args>(args)...)
    {
        AttachHost(this->Handle(), nullptr);
    }

    const TFont& Font() const override { return HostFont; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = 0;
        if (HostMessage(message, wParam, lParam, result)) return result;
        return Window::HandleMessage(message, wParam, lParam);
    }

private:
    TFont HostFont{MessageFontAttributes()};
};
