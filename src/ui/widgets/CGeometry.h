// Points and rectangles in view coordinates (pixels, top-left origin).
// Plain value types: any thread, real-time safe.
#pragma once

#include <cstdint>

namespace VSTGUI {

using CCoord = double;

struct CPoint
{
    CCoord x = 0;
    CCoord y = 0;
    CPoint() = default;
    CPoint(CCoord x, CCoord y) : x(x), y(y) {}
    CPoint& offset(CCoord dx, CCoord dy) { x += dx; y += dy; return *this; }
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};

struct CRect
{
    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;

    CRect() = default;
    CRect(CCoord left, CCoord top, CCoord right, CCoord bottom)
        : left(left), top(top), right(right), bottom(bottom) {}
    CRect(const CPoint& origin, const CPoint& size)
        : left(origin.x), top(origin.y), right(origin.x + size.x), bottom(origin.y + size.y) {}

    CCoord getWidth() const { return right - left; }
    CCoord getHeight() const { return bottom - top; }
    CPoint getTopLeft() const { return {left, top}; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    // Left and top edges are inside, right and bottom edges are not.
    bool pointInside(const CPoint& p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    bool rectOverlap(const CRect& o) const
    {
        return right > o.left && left < o.right && bottom > o.top && top < o.bottom;
    }
    CRect& offset(CCoord dx, CCoord dy)
    {
        left += dx; right += dx; top += dy; bottom += dy;
        return *this;
    }
    CRect& inset(CCoord dx, CCoord dy)
    {
        left += dx; right -= dx; top += dy; bottom -= dy;
        return *this;
    }
    CRect& setWidth(CCoord w) { right = left + w; return *this; }
    CRect& setHeight(CCoord h) { bottom = top + h; return *this; }
    CRect& bound(const CRect& o);  // intersection; empty when disjoint
    CRect& unite(const CRect& o);
    bool operator==(const CRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }
};

}  // namespace VSTGUI
