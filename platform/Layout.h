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
