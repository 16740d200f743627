#include "platform/Controls.h"

#include "platform/Dialog.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

#include <cstring>
#include <utility>

TControl::~TControl()
{
    DestroyControl();
}

void TControl::CreateControl(TDialog& parent, const char* className, DWORD style, const RECT& bounds96,
                             const std::string& text)
{
    const RECT bounds = parent.ScaledRect(bounds96.left, bounds96.top, bounds96.right - bounds96.left,
                                          bounds96.bottom - bounds96.top);
    Wnd = CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, bounds.left, bounds.top,
                          bounds.right - bounds.left, bounds.bottom - bounds.top, parent.Handle(), nullptr,
                          GetModuleHandleA(nullptr), nullptr);
    if (!Wnd) throw ESetupError("Cannot create control " + std::string(className) + ": " + files::LastSystemError());
    SendMessageA(Wnd, WM_SETFONT, reinterpret_cast<WPARAM>(parent.Font()), FALSE);
    Owner = &parent;
    Owner->AddControl(this);
}

void TControl::DestroyControl()
{
    if (Owner) Owner->RemoveControl(this);
    Owner = nullptr;
    if (Wnd) DestroyWindow(Wnd);
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

void TControl::SetVisible(bool visible)
{
    ShowWindow(Wnd, visible ? SW_SHOW : SW_HIDE);
}

void TLabel::Create(TDialog& parent, const RECT& bounds96, const std::string& text, DWORD alignment)
{
    CreateControl(parent, "STATIC", alignment | SS_NOPREFIX, bounds96, text);
}

void TEdit::Create(TDialog& parent, const RECT& bounds96)
{
    CreateControl(parent, "EDIT", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, bounds96, "");
}

void TEdit::Command(int code)
{
    if (code == EN_CHANGE && OnChange) OnChange();
}

void TPushButton::Create(TDialog& parent, const RECT& bounds96, const std::string& caption)
{
    CreateControl(parent, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, bounds96, caption);
}

void TPushButton::Command(int code)
{
    if (code == BN_CLICKED && OnClick) OnClick();
}

void TTreeView::CreateTree(TDialog& parent, const RECT& bounds96, DWORD extraStyle)
{
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    CreateControl(parent, WC_TREEVIEWA, WS_TABSTOP | WS_BORDER | extraStyle, bounds96, "");
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
    LRESULT result = 0;
    if (message == WM_NCDESTROY) hook->Remove();
    else if (hook->Handler && hook->Handler(message, wParam, lParam, result)) return result;
    return DefSubclassProc(wnd, message, wParam, lParam);
}
