#include "platform/ControlHost.h"

#include <algorithm>

#include "platform/Controls.h"

TControlHost::~TControlHost()
{
    for (TControl* control : Controls) control->HostDestroyed();
}

void TControlHost::AttachHost(HWND wnd, TControlHost* parent)
{
    HostWnd = wnd;
    Parent = parent;
    RECT client{};
    GetClientRect(wnd, &client);
    Design = layout::TSize{client.right, client.bottom};
    SetWindowLongPtrA(wnd, GWL_EXSTYLE, GetWindowLongPtrA(wnd, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
}

COLORREF TControlHost::BackgroundColor() const
{
    if (OwnBrush) return OwnColor;
    return Parent ? Parent->BackgroundColor() : GetSysColor(COLOR_BTNFACE);
}

HBRUSH TControlHost::BackgroundBrush() const
{
    if (OwnBrush) return static_cast<HBRUSH>(OwnBrush.Get());
    return Parent ? Parent->BackgroundBrush() : GetSysColorBrush(COLOR_BTNFACE);
}

void TControlHost::SetBackgroundColor(COLORREF color)
{
    OwnColor = ResolveColor(color);
    OwnBrush.Reset(CreateSolidBrush(OwnColor));
    if (HostWnd) RedrawWindow(HostWnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TControlHost::SetBorderWidth(int width)
{
    Border = width;
    Realign();
}

void TControlHost::Realign()
{
    if (!HostWnd) return;
    std::vector<layout::TChild> items;
    items.reserve(Controls.size());
    for (const TControl* control : Controls) items.push_back(control->LayoutItem());
    RECT client{};
    GetClientRect(HostWnd, &client);
    const auto rects = layout::ArrangeChildren({client.right, client.bottom}, Border, items);
    // Placing a child may resize it and so realign its own children: work on a copy of the list.
    const std::vector<TControl*> placed = Controls;
    for (size_t i = 0; i < placed.size(); ++i) placed[i]->Place(rects[i]);
}

void TControlHost::AddControl(TControl* control)
{
    Controls.push_back(control);
}

void TControlHost::RemoveControl(TControl* control)
{
    Controls.erase(std::remove(Controls.begin(), Controls.end(), control), Controls.end());
}

bool TControlHost::HostMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (!HostWnd) return false;
    switch (message) {
    case WM_COMMAND: {
        TControl* control = lParam ? ControlOf(reinterpret_cast<HWND>(lParam)) : ControlWithId(LOWORD(wParam));
        if (!control) return false;
        control->Command(HIWORD(wParam));
        result = 0;
        return true;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        TControl* control = ControlOf(header->hwndFrom);
        if (!control) return false;
        result = control->Notify(*header);
        return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
        if (!ControlOf(reinterpret_cast<HWND>(lParam))) return false;
        result = OnControlColour(wParam, lParam);
        return true;
    case DM_GETDEFID:
        result = OnDefaultButtonQuery();
        return true;
    case WM_NEXTDLGCTL:
        OnNextControl(wParam, lParam);
        result = 0;
        return true;
    case WM_SIZE:
        Realign();
        return false;
    default: return false;
    }
}

void TControlHost::FillBackground(HDC dc) const
{
    RECT client{};
    GetClientRect(HostWnd, &client);
    FillRect(dc, &client, BackgroundBrush());
}

TControlHost& TControlHost::Root()
{
    TControlHost* host = this;
    while (host->Parent) host = host->Parent;
    return *host;
}

// The dialog manager sends a nested control's messages to the top-level
// window, so the search goes down through the hosts inside this one.
TControl* TControlHost::ControlOf(HWND wnd) const
{
    if (!wnd) return nullptr;
    for (TControl* control : Controls) {
        if (control->Handle() == wnd) return control;
        if (TControlHost* inner = control->AsHost()) {
            if (TControl* found = inner->ControlOf(wnd)) return found;
        }
    }
    return nullptr;
}

TControl* TControlHost::ControlWithId(int id) const
{
    for (TControl* control : Controls) {
        if (control->Id() == id) return control;
        if (TControlHost* inner = control->AsHost()) {
            if (TControl* found = inner->ControlWithId(id)) return found;
        }
    }
    return nullptr;
}

TControl* TControlHost::EnterTarget() const
{
    if (TControl* focused = ControlOf(GetFocus()); focused && focused->PressedByEnter(true)) return focused;
    for (TControl* control : Controls) {
        if (control->PressedByEnter(false)) return control;
        if (TControlHost* inner = control->AsHost()) {
            if (TControl* found = inner->EnterTarget()) return found;
        }
    }
    return nullptr;
}

LRESULT TControlHost::OnControlColour(WPARAM wParam, LPARAM lParam)
{
    const TControl* control = ControlOf(reinterpret_cast<HWND>(lParam));
    return reinterpret_cast<LRESULT>(control->ControlColour(reinterpret_cast<HDC>(wParam)));
}

// Enter presses the focused push button, else the default one, in the whole window.
LRESULT TControlHost::OnDefaultButtonQuery()
{
    const TControl* target = Root().EnterTarget();
    return target ? MAKELRESULT(target->Id(), DC_HASDEFID) : 0;
}

// A multi-line edit asks its parent to move the focus on Tab.
void TControlHost::OnNextControl(WPARAM wParam, LPARAM lParam)
{
    HWND root = GetAncestor(HostWnd, GA_ROOT);
    HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(root, GetFocus(), wParam != 0);
    if (next) ::SetFocus(next);
}
