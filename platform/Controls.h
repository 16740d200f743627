#pragma once

// Child controls of a TDialog over the standard Win32 controls: each one
// creates its window with the dialog's font at a position given at 96 dpi,
// and answers the command and notify messages its parent passes on.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

class TDialog;

class TControl {
public:
    TControl() = default;
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    HWND Handle() const { return Wnd; }
    bool HandleAllocated() const { return Wnd != nullptr; }
    std::string Text() const;
    void SetText(const std::string& text);
    void SetVisible(bool visible);

    // A command or notify message from this control, passed on by its dialog.
    virtual void Command(int /*code*/) {}
    virtual LRESULT Notify(const NMHDR& /*header*/) { return 0; }

protected:
    void CreateControl(TDialog& parent, const char* className, DWORD style, const RECT& bounds96,
                       const std::string& text);
    void DestroyControl();
    TDialog* Parent() const { return Owner; }

private:
    HWND Wnd = nullptr;
    TDialog* Owner = nullptr;
};

class TLabel : public TControl {
public:
    // alignment: SS_LEFT, or SS_CENTER (which also wraps words).
    void Create(TDialog& parent, const RECT& bounds96, const std::string& text, DWORD alignment = SS_LEFT);
};

class TEdit : public TControl {
public:
    void Create(TDialog& parent, const RECT& bounds96);
    std::function<void()> OnChange;
    void Command(int code) override;
};

class TPushButton : public TControl {
public:
    void Create(TDialog& parent, const RECT& bounds96, const std::string& caption);
    std::function<void()> OnClick;
    void Command(int code) override;
};

// The tree-view control with the operations its users need by name.
class TTreeView : public TControl {
public:
    void CreateTree(TDialog& parent, const RECT& bounds96, DWORD extraStyle);

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
