#include "skin/Skinned.h"

#include "utilities/KUtilities.h"
#include "utilities/WindowRegion.h"

namespace {

constexpr int kButtonDesignWidth = 73, kButtonDesignHeight = 57;

}  // namespace

template <typename Base, int kCornerSize, bool kAlwaysStretch>
void TSkinnedWindow<Base, kCornerSize, kAlwaysStretch>::SetShapeMode(uint8_t mode)
{
    Shape = mode;
    this->SetScaleMode(TScaleMode::smStretch);
    RenderSkin();
    UpdateRegion();
}

template <typename Base, int kCornerSize, bool kAlwaysStretch>
void TSkinnedWindow<Base, kCornerSize, kAlwaysStretch>::SetRegionThreshold(int value)
{
    if (value == Threshold) return;
    Threshold = value;
    if (Shape == shNone || Shape == shAlphaMask) UpdateRegion();
}

template <typename Base, int kCornerSize, bool kAlwaysStretch>
void TSkinnedWindow<Base, kCornerSize, kAlwaysStretch>::SkinChanged()
{
    if (this->Bitmap.Empty()) this->Bitmap.AssignFrom(&Skin.GetBitmap());
    this->SetScaleMode(TScaleMode::smStretch);
    RenderSkin();
    UpdateRegion();
}

template <typename Base, int kCornerSize, bool kAlwaysStretch>
void TSkinnedWindow<Base, kCornerSize, kAlwaysStretch>::RenderSkin()
{
    if (Skin.FileName().empty()) return;
    TBitmap32& skin = Skin.GetBitmap();
    TBitmap32& bitmap = this->Bitmap;
    bitmap.BeginUpdate();
    if (kAlwaysStretch || Shape == shAlphaMask) {
        bitmap.SetDimensions(this->Width(), this->Height());
        skin.StretchTo(bitmap, RECT{0, 0, this->Width(), this->Height()});
    } else if (Shape < shAlphaMask) {
        bitmap.SetDimensions(skin.Width(), skin.Height());
        skin.CopyTo(bitmap);
    }
    bitmap.EndUpdate();
    bitmap.NotifyChanged();
}

template <typename Base, int kCornerSize, bool kAlwaysStretch>
HRGN TSkinnedWindow<Base, kCornerSize, kAlwaysStretch>::MakeRegion()
{
    const int width = this->Width(), height = this->Height();
    switch (Shape) {
    case shEllipse: return CreateEllipticRgn(0, 0, width, height);
    case shRoundRect: return CreateRoundRectRgn(0, 0, width, height, kCornerSize, kCornerSize);
    case shNone: return nullptr;
    case shAlphaMask:
        if (!this->Bitmap.Empty()) return RegionFromAlpha(this->Bitmap, Threshold);
        return CreateRectRgn(0, 0, width, height);
    default: return CreateRectRgn(0, 0, width, height);
    }
}

template <typename Base, int kCornerSize, bool kAlwaysStretch>
void TSkinnedWindow<Base, kCornerSize, kAlwaysStretch>::UpdateRegion()
{
    // The window owns the region from here on.
    SetWindowRgn(this->Handle(), MakeRegion(), TRUE);
}

template <typename Base, int kCornerSize, bool kAlwaysStretch>
void TSkinnedWindow<Base, kCornerSize, kAlwaysStretch>::Resized()
{
    Base::Resized();
    if (!Skin.FileName().empty()) {
        RenderSkin();
        UpdateRegion();
    } else if (Shape != shAlphaMask) {
        UpdateRegion();
    }
}

template class TSkinnedWindow<TZForm, 10, false>;
template class TSkinnedWindow<TZFrame, 4, true>;

TZupButton::TZupButton(HWND parent, POINT position)
    : TZupFrame(parent, RECT{position.x, position.y, position.x + kButtonDesignWidth, position.y + kButtonDesignHeight}),
      ComponentName(NewComponentName())
{
    OnMouseEnter = [this](TImageWindow&) { BEnter(); };
    OnMouseLeave = [this](TImageWindow&) { BExit(); };
    OnMouseUp = [this](TImageWindow&, TMouseButton, WPARAM, int, int) { BUp(); };
    OnMouseDown = [this](TImageWindow&, TMouseButton, WPARAM, int, int) { BDown(); };
}

bool TZupButton::Enabled() const
{
    return IsWindowEnabled(Handle()) != 0;
}

POINT TZupButton::Position() const
{
    RECT bounds{};
    GetWindowRect(Handle(), &bounds);
    POINT topLeft{bounds.left, bounds.top};
    ScreenToClient(GetParent(Handle()), &topLeft);
    return topLeft;
}

void TZupButton::ShowState(int state)
{
    const std::string* names[] = {&ImageNormal, &ImageOver, &ImagePressed, &ImageDisabled};
    const std::string name = state >= 0 && state < 4 ? *names[state] : std::string();
    if (name.empty() || name == Skin.FileName()) return;
    Skin.SetFileName(name);
    const POINT at = Position();
    TBitmap32& picture = Skin.GetBitmap();
    SetBounds(at.x, at.y, picture.Width(), picture.Height());
    if (IsWindowVisible(Handle())) UpdateWindow(Handle());
}

void TZupButton::SetButtonEnabled(bool value)
{
    ShowState(static_cast<int>(EnabledState(value)));
    EnableWindow(Handle(), value);
}

void TZupButton::Show(std::optional<TButtonState> state)
{
    if (state) ShowState(static_cast<int>(*state));
}

bool TZupButton::CursorInside() const
{
    POINT topLeft{0, 0};
    ClientToScreen(Handle(), &topLeft);
    POINT cursor{};
    GetCursorPos(&cursor);
    return cursor.x >= topLeft.x && cursor.x < topLeft.x + Width() && cursor.y >= topLeft.y &&
           cursor.y < topLeft.y + Height();
}

void TZupButton::BEnter()
{
    Show(StateAfter(TButtonEvent::MouseEnter, {Enabled(), LeftButtonDown(), false}));
}

void TZupButton::BExit()
{
    Show(StateAfter(TButtonEvent::MouseLeave, {Enabled(), LeftButtonDown(), false}));
}

void TZupButton::BUp()
{
    Show(StateAfter(TButtonEvent::MouseUp, {Enabled(), false, CursorInside()}));
}

void TZupButton::Clicked()
{
    // Not pressed while the handler's dialog holds the screen: the press is over.
    Show(StateAfter(TButtonEvent::Click, {Enabled(), false, false}));
    TZupFrame::Clicked();
}

void TZupButton::BDown()
{
    Show(StateAfter(TButtonEvent::MouseDown, {Enabled(), LeftButtonDown(), false}));
}
