#include "platform/Controls.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/Window.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

namespace {

// Control identifiers, for the dialog manager's commands that name a control
// by its number; they stay clear of IDOK and the other predefined ones.
constexpr int kFirstControlId = 100;
constexpr int kLastControlId = 0xFFFF;

int NewControlId()
{
    static int next = kFirstControlId;
    const int id = next;
    next = next == kLastControlId ? kFirstControlId : next + 1;
    return id;
}

constexpr const char* kLineBreak = "\r\n";
constexpr int kProgressMaximum = 100;
constexpr const char* kPanelClass = "ZorevaPanel";

HWND CreateChild(TControlHost& host, const char* className, DWORD style, DWORD exStyle, const RECT& rect,
                 const std::string& text, int id)
{
    HWND wnd = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, host.HostHandle(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (!wnd) throw ESetupError("Cannot create control " + std::string(className) + ": " + files::LastSystemError());
    return wnd;
}

void InitCommonControlClasses(DWORD classes)
{
    INITCOMMONCONTROLSEX init{sizeof init, classes};
    InitCommonControlsEx(&init);
}

}  // namespace

TControl::~TControl()
{
    DestroyControl();
}

void TControl::CreateControl(TControlHost& host, const char* className, DWORD style, const RECT& bounds,
                             const std::string& text, DWORD exStyle)
{
    ControlId = NewControlId();
    Wnd = CreateChild(host, className, style, exStyle, bounds, text, ControlId);
    Layout.Bounds = layout::TRect{bounds.left, bounds.top, bounds.right, bounds.bottom};
    Layout.ParentSize = host.DesignSize();
    Owner = &host;
    Owner->AddControl(this);
    ApplyFont();
    Owner->Realign();
}

void TControl::DestroyControl()
{
    if (Owner) Owner->RemoveControl(this);
    Owner = nullptr;
    if (Wnd) DestroyWindow(Wnd);
    Wnd = nullptr;
}

void TControl::HostDestroyed()
{
    Owner = nullptr;
    Wnd = nullptr;
}

std::string TControl::Text() const
{
    std::string text(static_cast<size_t>(GetWindowTextLengthA(Wnd)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(Wnd, &text[0], static_cast<int>(text.size()))));
    return text;
}

void TControl::SetText(const std::string& text)
{
    SetWindowTextA(Wnd, text.c_str());
}

bool TControl::Visible() const
{
    return GetWindowLongPtrA(Wnd, GWL_STYLE) & WS_VISIBLE;
}

void TControl::SetVisible(bool visible)
{
    ShowWindow(Wnd, visible ? SW_SHOW : SW_HIDE);
    if (Owner) Owner->Realign();
}

bool TControl::Enabled() const
{
    return IsWindowEnabled(Wnd);
}

void TControl::SetEnabled(bool enabled)
{
    EnableWindow(Wnd, enabled);
}

void TControl::SetFocus()
{
    ::SetFocus(Wnd);
}

void TControl::BringToFront()
{
    SetWindowPos(Wnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TControl::SetAlign(layout::TAlign align)
{
    Layout.Align = align;
    if (Owner) Owner->Realign();
}

void TControl::SetAnchors(layout::TAnchors anchors)
{
    Layout.Anchors = anchors;
}

void TControl::SetBounds(const RECT& rect)
{
    RECT client{};
    GetClientRect(Owner->HostHandle(), &client);
    Layout.Bounds = layout::TRect{rect.left, rect.top, rect.right, rect.bottom};
    Layout.ParentSize = layout::TSize{client.right, client.bottom};
    Owner->Realign();
}

RECT TControl::BoundsRect() const
{
    RECT rect{};
    GetWindowRect(Wnd, &rect);
    MapWindowPoints(nullptr, GetParent(Wnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

layout::TChild TControl::LayoutItem() const
{
    layout::TChild item = Layout;
    item.Visible = Visible();
    return item;
}

void TControl::Place(const layout::TRect& rect)
{
    const RECT now = BoundsRect();
    if (layout::TRect{now.left, now.top, now.right, now.bottom} == rect) return;
    SetWindowPos(Wnd, nullptr, rect.Left, rect.Top, rect.Width(), rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::SetFont(const TFontAttributes& attributes)
{
    OwnFont.emplace(attributes);
    ApplyFont();
}

const TFont& TControl::Font() const
{
    return OwnFont ? *OwnFont : Owner->Font();
}

void TControl::HostFontChanged()
{
    if (!OwnFont) ApplyFont();
}

void TControl::ApplyFont()
{
    SendMessageA(Wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
}

HBRUSH TControl::ControlColour(HDC dc) const
{
    SetTextColor(dc, Font().Attributes().Color);
    SetBkColor(dc, Owner->BackgroundColor());
    return Owner->BackgroundBrush();
}

void TLabel::Create(TControlHost& host, const RECT& bounds, const std::string& text, DWORD alignment)
{
    Alignment = alignment;
    CreateControl(host, "STATIC", alignment | SS_NOPREFIX, bounds, text);
}

void TLabel::FitHeightToText()
{
    RECT rect = BoundsRect();
    const int width = rect.right - rect.left;
    RECT measured{0, 0, width, 0};
    HDC dc = GetDC(Handle());
    HGDIOBJ previous = SelectObject(dc, Font().Handle());
    const std::string text = Text();
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &measured,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | (Alignment == SS_CENTER ? DT_CENTER : DT_LEFT));
    SelectObject(dc, previous);
    ReleaseDC(Handle(), dc);
    rect.bottom = rect.top + measured.bottom;
    SetBounds(rect);
}

HBRUSH TLabel::ControlColour(HDC dc) const
{
    SetBkMode(dc, TRANSPARENT);
    return TControl::ControlColour(dc);
}

void TEdit::Create(TControlHost& host, const RECT& bounds)
{
    CreateControl(host, "EDIT", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, bounds, "");
}

void TEdit::Command(int code)
{
    if (code == EN_CHANGE && OnChange) OnChange();
}

HBRUSH TEdit::ControlColour(HDC dc) const
{
    SetTextColor(dc, Font().Attributes().Color);
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
}

void TMemo::Create(TControlHost& host, const RECT& bounds)
{
    CreateControl(host, "EDIT",
                  WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                      ES_AUTOHSCROLL,
                  bounds, "");
    // A licence is longer than an edit control's default limit.
    SendMessageA(Handle(), EM_SETLIMITTEXT, 0, 0);
}

void TMemo::SetLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? kLineBreak : "") + lines[i];
    SetText(text);
}

std::vector<std::string> TMemo::Lines() const
{
    const std::string text = Text();
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    size_t start = 0;
    for (size_t end; (end = text.find(kLineBreak, start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

void TPushButton::Create(TControlHost& host, const RECT& bounds, const std::string& caption)
{
    CreateControl(host, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, bounds, caption);
}

void TPushButton::SetDefault(bool isDefault)
{
    Default = isDefault;
    SendMessageA(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TPushButton::Command(int code)
{
    if (code == BN_CLICKED && OnClick) OnClick();
}

bool TPushButton::PressedByEnter(bool focused) const
{
    return focused || Default;
}

void TCheckBox::Create(TControlHost& host, const RECT& bounds, const std::string& caption)
{
    CreateControl(host, "BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, bounds, caption);
}

bool TCheckBox::Checked() const
{
    return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked)
{
    SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::Command(int code)
{
    if (code == BN_CLICKED && OnClick) OnClick();
}

HBRUSH TCheckBox::ControlColour(HDC dc) const
{
    SetBkMode(dc, TRANSPARENT);
    return TControl::ControlColour(dc);
}

void TListBox::Create(TControlHost& host, const RECT& bounds)
{
    CreateControl(host, "LISTBOX", WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, bounds,
                  "");
}

void TListBox::AddItem(const std::string& item)
{
    SendMessageA(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void TListBox::Clear()
{
    SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
}

std::vector<std::string> TListBox::Items() const
{
    std::vector<std::string> items;
    const auto count = static_cast<int>(SendMessageA(Handle(), LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string item(static_cast<size_t>(SendMessageA(Handle(), LB_GETTEXTLEN, i, 0)) + 1, '\0');
        item.resize(static_cast<size_t>(SendMessageA(Handle(), LB_GETTEXT, i, reinterpret_cast<LPARAM>(&item[0]))));
        items.push_back(item);
    }
    return items;
}

int TListBox::ItemIndex() const
{
    const auto index = static_cast<int>(SendMessageA(Handle(), LB_GETCURSEL, 0, 0));
    return index == LB_ERR ? -1 : index;
}

void TListBox::SetItemIndex(int index)
{
    SendMessageA(Handle(), LB_SETCURSEL, index, 0);
}

void TListBox::Command(int code)
{
    if (code == LBN_SELCHANGE && OnClick) OnClick();
}

HBRUSH TListBox::ControlColour(HDC dc) const
{
    SetTextColor(dc, Font().Attributes().Color);
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
}

void TProgressBar::Create(TControlHost& host, const RECT& bounds)
{
    InitCommonControlClasses(ICC_PROGRESS_CLASS);
    CreateControl(host, PROGRESS_CLASSA, 0, bounds, "");
    SendMessageA(Handle(), PBM_SETRANGE32, 0, kProgressMaximum);
}

int TProgressBar::Position() const
{
    return static_cast<int>(SendMessageA(Handle(), PBM_GETPOS, 0, 0));
}

void TProgressBar::SetPosition(int position)
{
    SendMessageA(Handle(), PBM_SETPOS, std::clamp(position, 0, kProgressMaximum), 0);
}

void TContainer::CreateContainer(TControlHost& host, const char* className, DWORD style, const RECT& bounds,
                                 const std::string& text)
{
    CreateControl(host, className, style | WS_CLIPCHILDREN, bounds, text, WS_EX_CONTROLPARENT);
    AttachHost(Handle(), &host);
    // The window underneath does not paint below its children: the container fills its background itself.
    Hook.Install(Handle(), [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (message != WM_ERASEBKGND) return HostMessage(message, wParam, lParam, result);
        FillBackground(reinterpret_cast<HDC>(wParam));
        result = 1;
        return true;
    });
}

void TContainer::ApplyFont()
{
    TControl::ApplyFont();
    for (TControl* child : Children()) child->HostFontChanged();
}

void TPanel::Create(TControlHost& host, const RECT& bounds)
{
    static const bool registered = [] {
        WNDCLASSEXA panelClass{};
        panelClass.cbSize = sizeof panelClass;
        panelClass.lpfnWndProc = DefWindowProcA;
        panelClass.hInstance = GetModuleHandleA(nullptr);
        panelClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        panelClass.lpszClassName = kPanelClass;
        return RegisterClassExA(&panelClass) != 0;
    }();
    if (!registered) throw ESetupError("Cannot register window class " + std::string(kPanelClass));
    CreateContainer(host, kPanelClass, 0, bounds, "");
}

void TGroupBox::Create(TControlHost& host, const RECT& bounds, const std::string& caption)
{
    CreateContainer(host, "BUTTON", BS_GROUPBOX, bounds, caption);
}

void TTreeView::CreateTree(TControlHost& host, const RECT& bounds, DWORD extraStyle)
{
    InitCommonControlClasses(ICC_TREEVIEW_CLASSES);
    CreateControl(host, WC_TREEVIEWA, WS_TABSTOP | WS_BORDER | extraStyle, bounds, "");
}

namespace {

HTREEITEM Insert(HWND tree, HTREEITEM parent, HTREEITEM after, const std::string& text)
{
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<char*>(text.c_str());
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT relation)
{
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

TVITEMA ItemOf(HWND tree, HTREEITEM item, UINT mask, UINT stateMask = 0)
{
    TVITEMA data{};
    data.mask = mask;
    data.hItem = item;
    data.stateMask = stateMask;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return data;
}

void SetItem(HWND tree, TVITEMA& data)
{
    SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&data));
}

}  // namespace

HTREEITEM TTreeView::AddChild(HTREEITEM parent, const std::string& text)
{
    return Insert(Handle(), parent, TVI_LAST, text);
}

HTREEITEM TTreeView::InsertTopLevelBefore(HTREEITEM next, const std::string& text)
{
    if (!next) return Insert(Handle(), nullptr, TVI_LAST, text);
    HTREEITEM previous = Next(Handle(), next, TVGN_PREVIOUS);
    return Insert(Handle(), nullptr, previous ? previous : TVI_FIRST, text);
}

void TTreeView::DeleteItem(HTREEITEM item)
{
    SendMessageA(Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

void TTreeView::DeleteChildren(HTREEITEM item)
{
    while (HTREEITEM child = FirstChild(item)) DeleteItem(child);
}

void TTreeView::DeleteAll()
{
    SendMessageA(Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
}

HTREEITEM TTreeView::FirstTopLevel() const
{
    return Next(Handle(), nullptr, TVGN_ROOT);
}

HTREEITEM TTreeView::FirstChild(HTREEITEM item) const
{
    return Next(Handle(), item, TVGN_CHILD);
}

HTREEITEM TTreeView::NextSibling(HTREEITEM item) const
{
    return Next(Handle(), item, TVGN_NEXT);
}

HTREEITEM TTreeView::ParentOf(HTREEITEM item) const
{
    return Next(Handle(), item, TVGN_PARENT);
}

std::string TTreeView::ItemText(HTREEITEM item) const
{
    char text[MAX_PATH + 1] = {};
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

void TTreeView::SetItemText(HTREEITEM item, const std::string& text)
{
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = const_cast<char*>(text.c_str());
    SetItem(Handle(), data);
}

void TTreeView::SetItemImages(HTREEITEM item, int image, int selectedImage)
{
    TVITEMA data{};
    data.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    data.hItem = item;
    data.iImage = image;
    data.iSelectedImage = selectedImage;
    SetItem(Handle(), data);
}

int TTreeView::ItemImage(HTREEITEM item) const
{
    return ItemOf(Handle(), item, TVIF_IMAGE).iImage;
}

int TTreeView::ItemSelectedImage(HTREEITEM item) const
{
    return ItemOf(Handle(), item, TVIF_SELECTEDIMAGE).iSelectedImage;
}

void TTreeView::SetItemOverlay(HTREEITEM item, int overlay)
{
    TVITEMA data{};
    data.mask = TVIF_STATE;
    data.hItem = item;
    data.stateMask = TVIS_OVERLAYMASK;
    data.state = overlay < 0 ? 0 : INDEXTOOVERLAYMASK(overlay + 1);
    SetItem(Handle(), data);
}

int TTreeView::ItemOverlay(HTREEITEM item) const
{
    const UINT state = ItemOf(Handle(), item, TVIF_STATE, TVIS_OVERLAYMASK).state & TVIS_OVERLAYMASK;
    return static_cast<int>(state >> 8) - 1;
}

HTREEITEM TTreeView::Selected() const
{
    return Next(Handle(), nullptr, TVGN_CARET);
}

void TTreeView::Select(HTREEITEM item)
{
    SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

void TTreeView::MakeVisible(HTREEITEM item)
{
    SendMessageA(Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
}

void TTreeView::ExpandOneLevel(HTREEITEM item)
{
    SendMessageA(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

bool TTreeView::IsExpanded(HTREEITEM item) const
{
    return ItemOf(Handle(), item, TVIF_STATE, TVIS_EXPANDED).state & TVIS_EXPANDED;
}

void TTreeView::SortChildren(HTREEITEM item)
{
    SendMessageA(Handle(), TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(item));
}

HTREEITEM TTreeView::ItemAt(POINT client) const
{
    TVHITTESTINFO hit{};
    hit.pt = client;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

RECT TTreeView::ItemRect(HTREEITEM item) const
{
    // The message takes the item in the rectangle's first bytes.
    RECT rect{};
    std::memcpy(&rect, &item, sizeof item);
    if (!SendMessageA(Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) return RECT{};
    return rect;
}

void TTreeView::SetDropTarget(HTREEITEM item)
{
    SendMessageA(Handle(), TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
}

void TTreeView::SetImageList(HIMAGELIST images)
{
    SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
}

void TTreeView::SetRedraw(bool redraw)
{
    SendMessageA(Handle(), WM_SETREDRAW, redraw, 0);
}

void TWindowHook::Install(HWND wnd, THandler handler)
{
    Remove();
    Handler = std::move(handler);
    if (SetWindowSubclass(wnd, &TWindowHook::Procedure, reinterpret_cast<UINT_PTR>(this),
                          reinterpret_cast<DWORD_PTR>(this)))
        Wnd = wnd;
}

void TWindowHook::Remove()
{
    if (Wnd) RemoveWindowSubclass(Wnd, &TWindowHook::Procedure, reinterpret_cast<UINT_PTR>(this));
    Wnd = nullptr;
}

LRESULT CALLBACK TWindowHook::Procedure(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                        DWORD_PTR self)
{
    auto* hook = reinterpret_cast<TWindowHook*>(self);
    if (message == WM_NCDESTROY) {
        hook->Remove();
        return DefSubclassProc(wnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    bool answered = false;
    // An error is kept for the report; the message then goes on as if unanswered.
    RunGuarded([&] { answered = hook->Handler && hook->Handler(message, wParam, lParam, result); });
    return answered ? result : DefSubclassProc(wnd, message, wParam, lParam);
}
