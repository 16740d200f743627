#include "skin/PaintRules.h"

#include <cmath>

namespace {

int NextDimension(int current, int wanted, int oversize)
{
    if (current < wanted) return wanted + oversize;
    if (current > wanted + oversize) return wanted;
    return current;
}

// Nearest integer, ties to even, as the float rounding of the platform.
int RoundEven(float value)
{
    return static_cast<int>(std::nearbyint(value));
}

}  // namespace

TPixelSize NextBufferSize(TPixelSize current, TPixelSize wanted, int oversize)
{
    wanted = {wanted.Width < 0 ? 0 : wanted.Width, wanted.Height < 0 ? 0 : wanted.Height};
    if (current == wanted || oversize < 0) return wanted;
    return {NextDimension(current.Width, wanted.Width, oversize), NextDimension(current.Height, wanted.Height, oversize)};
}

TPixelSize BitmapSize(TScaleMode mode, float scale, TPixelSize bitmap, TPixelSize control)
{
    if (bitmap.Width <= 0 || bitmap.Height <= 0 || control.Width <= 0 || control.Height <= 0) return {};
    switch (mode) {
    case TScaleMode::smNormal: return bitmap;
    case TScaleMode::smStretch: return control;
    case TScaleMode::smScale: return {RoundEven(float(bitmap.Width) * scale), RoundEven(float(bitmap.Height) * scale)};
    case TScaleMode::smResize: {
        const float ax = float(control.Width) / float(bitmap.Width), ay = float(control.Height) / float(bitmap.Height);
        if (ax >= ay) return {RoundEven(float(bitmap.Width) * ay), control.Height};
        return {control.Width, RoundEven(ax * float(bitmap.Height))};
    }
    }
    return bitmap;
}
