#pragma once

// Windows that take their look and outline from a skin picture: the skinned
// form (top level) and the skinned frame (child), and the bitmap button.

#include <string>

#include "skin/ImageWindow.h"
#include "skin/ButtonStates.h"
#include "utilities/KGraphic.h"

enum TShapeMode : uint8_t { shRectangle = 0, shEllipse = 1, shRoundRect = 2, shNone = 3, shAlphaMask = 4 };

// The skin, shape mode and region threshold over an image form or frame.
// The form copies its skin unscaled in modes 0 to 3; the frame always
// stretches it. Rounded corners are 10 pixels on the form, 4 on the frame.
template <typename Base, int kCornerSize, bool kAlwaysStretch>
class TSkinnedWindow : public Base {
public:
    // Takes the construction arguments of the image form or frame below.
    template <typename... TBaseArgs>
    explicit TSkinnedWindow(TBaseArgs... args) : Base(args...)
    {
        Skin.SetOnChange([this](KGraphic&) { SkinChanged(); });
    }
    ~TSkinnedWindow() override { Skin.SetOnChange(nullptr); }

    KGraphic Skin;

    void SetShapeMode(uint8_t mode);
    uint8_t ShapeMode() const { return Shape; }
    void SetRegionThreshold(int value);
    int RegionThreshold() const { return Threshold; }

    virtual void RenderSkin();
    virtual void UpdateRegion();

protected:
    void Resized() override;

private:
    void SkinChanged();
    HRGN MakeRegion();

    uint8_t Shape = shRectangle;
    int Threshold = 0;
};

using TZupForm = TSkinnedWindow<TZForm, 10, false>;
using TZupFrame = TSkinnedWindow<TZFrame, 4, true>;

// A bitmap button: one picture per state, the size of the picture it shows.
class TZupButton : public TZupFrame {
public:
    // At position within the parent, of the design size 73 x 57 until its
    // first picture gives it its own.
    TZupButton(HWND parent, POINT position);

    std::string ImageNormal;
    std::string ImageOver;
    std::string ImagePressed;
    std::string ImageDisabled;
    const std::string& Name() const { return ComponentName; }

    virtual void ShowState(int state);
    virtual void SetButtonEnabled(bool value);
    bool Enabled() const;
    // Left and top within the parent window.
    POINT Position() const;

    virtual void BEnter();
    virtual void BExit();
    virtual void BUp();
    virtual void BDown();

protected:
    void Clicked() override;

private:
    void Show(std::optional<TButtonState> state);
    bool CursorInside() const;

    std::string ComponentName;
};
