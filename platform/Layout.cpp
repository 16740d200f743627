#include "platform/Layout.h"

#include <algorithm>

namespace layout {

namespace {

constexpr int kPointsPerInch = 72;

// a * b / c rounded to the nearest integer, halves away from zero, as the
// system's MulDiv; c is positive.
int MulDivRounded(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    return static_cast<int>((product >= 0 ? product + c / 2 : product - c / 2) / c);
}

// One side pair of an anchored child: both sides anchored stretch it, the far
// side alone moves it, neither keeps it centred on its old share of the space.
void Anchor(int& nearEdge, int& farEdge, bool nearAnchored, bool farAnchored, int growth)
{
    if (nearAnchored && farAnchored) {
        farEdge += growth;
    } else if (farAnchored) {
        nearEdge += growth;
        farEdge += growth;
    } else if (!nearAnchored) {
        nearEdge += growth / 2;
        farEdge += growth / 2;
    }
}

TRect Anchored(const TChild& child, TSize clientSize)
{
    TRect rect = child.Bounds;
    Anchor(rect.Left, rect.Right, child.Anchors.Left, child.Anchors.Right,
           clientSize.Width - child.ParentSize.Width);
    Anchor(rect.Top, rect.Bottom, child.Anchors.Top, child.Anchors.Bottom,
           clientSize.Height - child.ParentSize.Height);
    return rect;
}

// Takes a strip for one aligned child off the free area.
TRect Claim(TRect& free, const TChild& child)
{
    TRect rect = free;
    switch (child.Align) {
    case TAlign::alTop:
        rect.Bottom = std::min(free.Bottom, free.Top + child.Bounds.Height());
        free.Top = rect.Bottom;
        break;
    case TAlign::alBottom:
        rect.Top = std::max(free.Top, free.Bottom - child.Bounds.Height());
        free.Bottom = rect.Top;
        break;
    case TAlign::alLeft:
        rect.Right = std::min(free.Right, free.Left + child.Bounds.Width());
        free.Left = rect.Right;
        break;
    case TAlign::alRight:
        rect.Left = std::max(free.Left, free.Right - child.Bounds.Width());
        free.Right = rect.Left;
        break;
    case TAlign::alClient:
    case TAlign::alNone: break;
    }
    return rect;
}

}  // namespace

int AtDesignDpi(int length, int systemDpi)
{
    return systemDpi > 0 ? MulDivRounded(length, kDesignDpi, systemDpi) : length;
}

int PointsToPixels(int points)
{
    return MulDivRounded(points, kDesignDpi, kPointsPerInch);
}

int PixelsToPoints(int pixels)
{
    return MulDivRounded(pixels, kPointsPerInch, kDesignDpi);
}

std::vector<TRect> ArrangeChildren(TSize clientSize, int border, const std::vector<TChild>& children)
{
    std::vector<TRect> rects;
    rects.reserve(children.size());
    for (const TChild& child : children) rects.push_back(Anchored(child, clientSize));

    TRect free{border, border, std::max(border, clientSize.Width - border),
               std::max(border, clientSize.Height - border)};
    for (TAlign align : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
        for (size_t i = 0; i < children.size(); ++i) {
            if (children[i].Align == align && children[i].Visible) rects[i] = Claim(free, children[i]);
        }
    }
    return rects;
}

}  // namespace layout
