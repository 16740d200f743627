#pragma once

// Child controls over the standard Win32 controls. Each one is created in
// a host (ControlHost.h) at a position given in the host's layout units,
// shows the host's font unless it has its own, takes its place from the
// host's layout (alignment, anchors) and answers the command, notify and
// colour messages the host passes on.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ControlHost.h"
#include "platform/Font.h"
#include "platform/Layout.h"

// Routes the messages of a window not our own through a handler while it
// lives (window subclassing); the handler returns true when it answered.
class TWindowHook {
public:
    using THandler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    TWindowHook() = default;
    ~TWindowHook() { Remove(); }
    TWindowHook(const TWindowHook&) = delete;
    TWindowHook& operator=(const TWindowHook&) = delete;

    void Install(HWND wnd, THandler handler);
    void Remove();
    bool Installed() const { return Wnd != nullptr; }

private:
    static LRESULT CALLBACK Procedure(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);
    HWND Wnd = nullptr;
    THandler Handler;
};

class TControl {
public:
    TControl() = default;
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    HWND Handle() const { return Wnd; }
    bool HandleAllocated() const { return Wnd != nullptr; }
    TControlHost* Host() const { return Owner; }
    int Id() const { return ControlId; }
    std::string Text() const;
    void SetText(const std::string& text);
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    void SetFocus();
    // Above its siblings, as the page shown is above the other pages.
    void BringToFront();

    void SetAlign(layout::TAlign align);
    void SetAnchors(layout::TAnchors anchors);
    // Where the control is, in pixels of the host's client area; its anchors
    // keep the distances it now has to the host's sides.
    RECT BoundsRect() const;
    void SetBounds(const RECT& rect);
    layout::TChild LayoutItem() const;
    // The host's layout puts the control there.
    void Place(const layout::TRect& rect);

    // Its own font from now on; otherwise the host's.
    void SetFont(const TFontAttributes& attributes);
    const TFont& Font() const;
    // The host's font changed: a control without a font of its own follows it.
    void HostFontChanged();

    // A command or notify message from this control, passed on by its host.
    virtual void Command(int /*code*/) {}
    virtual LRESULT Notify(const NMHDR& /*header*/) { return 0; }
    // The colours of the control's text and background; returns the background brush.
    virtual HBRUSH ControlColour(HDC dc) const;
    // The button Enter presses: a push button that has the focus or is the default.
    virtual bool PressedByEnter(bool /*focused*/) const { return false; }
    // A control that hosts controls of its own.
    virtual TControlHost* AsHost() { return nullptr; }

    // The host is going away and its window takes this control's window with it.
    void HostDestroyed();

protected:
    void CreateControl(TControlHost& host, const char* className, DWORD style, const RECT& bounds,
                       const std::string& text, DWORD exStyle = 0);
    void DestroyControl();
    // Sends the font to the window; a host passes it on to its children as well.
    virtual void ApplyFont();

private:
    HWND Wnd = nullptr;
    TControlHost* Owner = nullptr;
    int ControlId = 0;
    std::optional<TFont> OwnFont;
    layout::TChild Layout;
};

// Text on its host's colour, drawn transparently, wrapping words.
class TLabel : public TControl {
public:
    // alignment: SS_LEFT or SS_CENTER.
    void Create(TControlHost& host, const RECT& bounds, const std::string& text, DWORD alignment = SS_LEFT);
    // Makes the label as high as its text needs at its present width.
    void FitHeightToText();
    HBRUSH ControlColour(HDC dc) const override;

private:
    DWORD Alignment = SS_LEFT;
};

class TEdit : public TControl {
public:
    void Create(TControlHost& host, const RECT& bounds);
    std::function<void()> OnChange;
    void Command(int code) override;
    HBRUSH ControlColour(HDC dc) const override;
};

// Read-only text of many lines on its host's colour, with both scroll bars.
class TMemo : public TControl {
public:
    void Create(TControlHost& host, const RECT& bounds);
    void SetLines(const std::vector<std::string>& lines);
    std::vector<std::string> Lines() const;
};

class TPushButton : public TControl {
public:
    void Create(TControlHost& host, const RECT& bounds, const std::string& caption);
    // The button Enter presses when no other push button has the focus.
    void SetDefault(bool isDefault);
    std::function<void()> OnClick;
    void Command(int code) override;
    bool PressedByEnter(bool focused) const override;

private:
    bool Default = false;
};

class TCheckBox : public TControl {
public:
    void Create(TControlHost& host, const RECT& bounds, const std::string& caption);
    bool Checked() const;
    // Sets the mark without a click notice, as the program does, not the user.
    void SetChecked(bool checked);
    std::function<void()> OnClick;
    void Command(int code) override;
    HBRUSH ControlColour(HDC dc) const override;
};

class TListBox : public TControl {
public:
    void Create(TControlHost& host, const RECT& bounds);
    void AddItem(const std::string& item);
    void Clear();
    std::vector<std::string> Items() const;
    // -1 when no item is selected.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The user selected an item.
    std::function<void()> OnClick;
    void Command(int code) override;
    HBRUSH ControlColour(HDC dc) const override;
};

// A bar showing a position from 0 to 100.
class TProgressBar : public TControl {
public:
    void Create(TControlHost& host, const RECT& bounds);
    int Position() const;
    void SetPosition(int position);
};

// A control that is a host itself: the controls inside it are its children,
// their messages come to its window and it passes them on.
class TContainer : public TControl, public TControlHost {
public:
    const TFont& Font() const override { return TControl::Font(); }
    TControlHost* AsHost() override { return this; }

protected:
    void CreateContainer(TControlHost& host, const char* className, DWORD style, const RECT& bounds,
                         const std::string& text);
    void ApplyFont() override;

private:
    TWindowHook Hook;
};

// A borderless rectangle of its colour.
class TPanel : public TContainer {
public:
    void Create(TControlHost& host, const RECT& bounds);
};

// A framed group with a caption, on its host's colour.
class TGroupBox : public TContainer {
public:
    void Create(TControlHost& host, const RECT& bounds, const std::string& caption);
};

// The tree-view control with the operations its users need by name.
class TTreeView : public TControl {
public:
    void CreateTree(TControlHost& host, const RECT& bounds, DWORD extraStyle);

    HTREEITEM AddChild(HTREEITEM parent, const std::string& text);  // parent null: top level
    HTREEITEM InsertTopLevelBefore(HTREEITEM next, const std::string& text);
    void DeleteItem(HTREEITEM item);
    void DeleteChildren(HTREEITEM item);
    void DeleteAll();
    HTREEITEM FirstTopLevel() const;
    HTREEITEM FirstChild(HTREEITEM item) const;
    HTREEITEM NextSibling(HTREEITEM item) const;
    HTREEITEM ParentOf(HTREEITEM item) const;
    std::string ItemText(HTREEITEM item) const;
    void SetItemText(HTREEITEM item, const std::string& text);
    void SetItemImages(HTREEITEM item, int image, int selectedImage);
    int ItemImage(HTREEITEM item) const;
    int ItemSelectedImage(HTREEITEM item) const;
    // 0 for the first overlay image of the list, -1 for none.
    void SetItemOverlay(HTREEITEM item, int overlay);
    int ItemOverlay(HTREEITEM item) const;
    HTREEITEM Selected() const;
    void Select(HTREEITEM item);
    void MakeVisible(HTREEITEM item);
    void ExpandOneLevel(HTREEITEM item);
    bool IsExpanded(HTREEITEM item) const;
    void SortChildren(HTREEITEM item);
    HTREEITEM ItemAt(POINT client) const;
    RECT ItemRect(HTREEITEM item) const;  // of the text, in client coordinates
    void SetDropTarget(HTREEITEM item);
    void SetImageList(HIMAGELIST images);
    void SetRedraw(bool redraw);
};
