#pragma once

// Where the children of a window go when it is laid out: aligned children
// claim strips of the parent's client area in turn, the others keep their
// distances to the sides they are anchored to. Plain arithmetic on
// rectangles; the windows only receive the results.

#include <vector>

namespace layout {

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect& other) const
    {
        return Left == other.Left && Top == other.Top && Right == other.Right && Bottom == other.Bottom;
    }
    bool operator!=(const TRect& other) const { return !(*this == other); }
};

struct TSize {
    int Width = 0, Height = 0;
};

// The setup shows everything in the skin's pixels. The skin is a picture
// cut to shape and drawn pixel for pixel (stretched, it would blur and its
// outline would no longer fit), so the pages, the dialogs and every font
// keep that scale beside it, whatever the screen's resolution: layout values
// are pixels, and a font of n points is as many pixels high as at this
// resolution.
constexpr int kDesignDpi = 96;

// A length the system gives at its resolution (the height of its message
// font, say), at the design resolution.
int AtDesignDpi(int length, int systemDpi);
// A font's size at the design resolution, rounded as the system rounds.
int PointsToPixels(int points);
int PixelsToPoints(int pixels);

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

struct TAnchors {
    bool Left = true, Top = true, Right = false, Bottom = false;
};
constexpr TAnchors kAnchorAll{true, true, true, true};
constexpr TAnchors kAnchorTopRight{false, true, true, false};

struct TChild {
    TRect Bounds;       // as placed, in the parent's client coordinates
    TSize ParentSize;   // the parent's client size when Bounds were placed
    TAlign Align = TAlign::alNone;
    TAnchors Anchors;
    bool Visible = true;
};

// The rectangle of every child, in the children's order, for a parent whose
// client area now has clientSize. Aligned children are taken in the order
// top, bottom, left, right, client, and within one alignment in the given
// order; each keeps its own height (top, bottom) or width (left, right) and
// the client children share what is left. Hidden children take no space.
// The area for aligned children is the client area less border on each side.
std::vector<TRect> ArrangeChildren(TSize clientSize, int border, const std::vector<TChild>& children);

}  // namespace layout
