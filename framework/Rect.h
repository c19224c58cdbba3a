#pragma once
// CPoint, CSize and CRect: POINT, SIZE and RECT with the usual arithmetic. They derive from the
// Windows structures, so a CRect* is an LPRECT wherever an API wants one. Coordinates are signed;
// a rectangle is "normal" when left <= right and top <= bottom, and the set operations (&, |,
// IntersectRect, UnionRect) treat an empty rectangle as nothing.

#include "framework/Base.h"

#include <algorithm>

class CSize : public SIZE {
public:
    CSize() noexcept : SIZE{0, 0} {}
    CSize(int x, int y) noexcept : SIZE{x, y} {}
    CSize(SIZE size) noexcept : SIZE(size) {}
    explicit CSize(POINT point) noexcept : SIZE{point.x, point.y} {}

    bool operator==(SIZE other) const noexcept { return cx == other.cx && cy == other.cy; }
    bool operator!=(SIZE other) const noexcept { return !(*this == other); }
    void operator+=(SIZE other) noexcept { cx += other.cx; cy += other.cy; }
    void operator-=(SIZE other) noexcept { cx -= other.cx; cy -= other.cy; }
    CSize operator+(SIZE other) const noexcept { return CSize(cx + other.cx, cy + other.cy); }
    CSize operator-(SIZE other) const noexcept { return CSize(cx - other.cx, cy - other.cy); }
    CSize operator-() const noexcept { return CSize(-cx, -cy); }
    void SetSize(int x, int y) noexcept { cx = x; cy = y; }
};

class CPoint : public POINT {
public:
    CPoint() noexcept : POINT{0, 0} {}
    CPoint(int x0, int y0) noexcept : POINT{x0, y0} {}
    CPoint(POINT point) noexcept : POINT(point) {}
    explicit CPoint(SIZE size) noexcept : POINT{size.cx, size.cy} {}

    void Offset(int dx, int dy) noexcept { x += dx; y += dy; }
    void Offset(POINT point) noexcept { Offset(point.x, point.y); }
    void Offset(SIZE size) noexcept { Offset(size.cx, size.cy); }
    void SetPoint(int x0, int y0) noexcept { x = x0; y = y0; }

    bool operator==(POINT other) const noexcept { return x == other.x && y == other.y; }
    bool operator!=(POINT other) const noexcept { return !(*this == other); }
    void operator+=(SIZE size) noexcept { Offset(size); }
    void operator-=(SIZE size) noexcept { Offset(-size.cx, -size.cy); }
    void operator+=(POINT point) noexcept { Offset(point); }
    void operator-=(POINT point) noexcept { Offset(-point.x, -point.y); }
    CPoint operator+(SIZE size) const noexcept { return CPoint(x + size.cx, y + size.cy); }
    CPoint operator-(SIZE size) const noexcept { return CPoint(x - size.cx, y - size.cy); }
    CPoint operator+(POINT point) const noexcept { return CPoint(x + point.x, y + point.y); }
    // The distance between two points.
    CSize operator-(POINT point) const noexcept { return CSize(x - point.x, y - point.y); }
    CPoint operator-() const noexcept { return CPoint(-x, -y); }
};

class CRect : public RECT {
public:
    CRect() noexcept : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) noexcept : RECT{l, t, r, b} {}
    CRect(const RECT& rect) noexcept : RECT(rect) {}
    CRect(const RECT* rect) noexcept : RECT(rect ? *rect : RECT{0, 0, 0, 0}) {}
    CRect(POINT topLeft, SIZE size) noexcept
        : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}
    CRect(POINT topLeft, POINT bottomRight) noexcept
        : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    CSize Size() const noexcept { return CSize(Width(), Height()); }
    CPoint& TopLeft() noexcept { return *reinterpret_cast<CPoint*>(&left); }
    CPoint& BottomRight() noexcept { return *reinterpret_cast<CPoint*>(&right); }
    const CPoint& TopLeft() const noexcept { return *reinterpret_cast<const CPoint*>(&left); }
    const CPoint& BottomRight() const noexcept { return *reinterpret_cast<const CPoint*>(&right); }
    CPoint CenterPoint() const noexcept { return CPoint((left + right) / 2, (top + bottom) / 2); }

    operator LPRECT() noexcept { return this; }
    operator LPCRECT() const noexcept { return this; }

    // Empty: no area (width or height not positive). Null: all four are zero.
    bool IsRectEmpty() const noexcept { return right <= left || bottom <= top; }
    bool IsRectNull() const noexcept { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    // Right and bottom edges are outside the rectangle.
    bool PtInRect(POINT point) const noexcept
    {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }

    void SetRect(int l, int t, int r, int b) noexcept { left = l; top = t; right = r; bottom = b; }
    void SetRect(POINT topLeft, POINT bottomRight) noexcept
    {
        SetRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    }
    void SetRectEmpty() noexcept { SetRect(0, 0, 0, 0); }
    void CopyRect(const RECT* rect) noexcept { *static_cast<RECT*>(this) = *rect; }
    bool EqualRect(const RECT* rect) const noexcept
    {
        return left == rect->left && top == rect->top && right == rect->right && bottom == rect->bottom;
    }

    void InflateRect(int dx, int dy) noexcept { left -= dx; top -= dy; right += dx; bottom += dy; }
    void InflateRect(SIZE size) noexcept { InflateRect(size.cx, size.cy); }
    void InflateRect(const RECT* rect) noexcept
    {
        left -= rect->left; top -= rect->top; right += rect->right; bottom += rect->bottom;
    }
    void InflateRect(int l, int t, int r, int b) noexcept { left -= l; top -= t; right += r; bottom += b; }
    void DeflateRect(int dx, int dy) noexcept { InflateRect(-dx, -dy); }
    void DeflateRect(SIZE size) noexcept { InflateRect(-size.cx, -size.cy); }
    void DeflateRect(const RECT* rect) noexcept
    {
        left += rect->left; top += rect->top; right -= rect->right; bottom -= rect->bottom;
    }
    void DeflateRect(int l, int t, int r, int b) noexcept { InflateRect(-l, -t, -r, -b); }
    void OffsetRect(int dx, int dy) noexcept { left += dx; right += dx; top += dy; bottom += dy; }
    void OffsetRect(POINT point) noexcept { OffsetRect(point.x, point.y); }
    void OffsetRect(SIZE size) noexcept { OffsetRect(size.cx, size.cy); }
    void MoveToX(int x) noexcept { right += x - left; left = x; }
    void MoveToY(int y) noexcept { bottom += y - top; top = y; }
    void MoveToXY(int x, int y) noexcept { MoveToX(x); MoveToY(y); }
    void MoveToXY(POINT point) noexcept { MoveToXY(point.x, point.y); }
    void NormalizeRect() noexcept
    {
        if (left > right)
            std::swap(left, right);
        if (top > bottom)
            std::swap(top, bottom);
    }

    // The overlap of the two; empty (all zero) when they do not overlap. False when empty.
    bool IntersectRect(const RECT* a, const RECT* b) noexcept
    {
        CRect ra(a), rb(b);
        CRect out(std::max(ra.left, rb.left), std::max(ra.top, rb.top), std::min(ra.right, rb.right),
                  std::min(ra.bottom, rb.bottom));
        if (ra.IsRectEmpty() || rb.IsRectEmpty() || out.IsRectEmpty()) {
            SetRectEmpty();
            return false;
        }
        *this = out;
        return true;
    }
    // The smallest rectangle holding both; an empty operand is ignored. False when empty.
    bool UnionRect(const RECT* a, const RECT* b) noexcept
    {
        CRect ra(a), rb(b);
        if (ra.IsRectEmpty()) {
            *this = rb.IsRectEmpty() ? CRect() : rb;
        } else if (rb.IsRectEmpty()) {
            *this = ra;
        } else {
            SetRect(std::min(ra.left, rb.left), std::min(ra.top, rb.top), std::max(ra.right, rb.right),
                    std::max(ra.bottom, rb.bottom));
        }
        return !IsRectEmpty();
    }

    bool operator==(const RECT& rect) const noexcept { return EqualRect(&rect); }
    bool operator!=(const RECT& rect) const noexcept { return !EqualRect(&rect); }
    void operator+=(POINT point) noexcept { OffsetRect(point); }
    void operator+=(SIZE size) noexcept { OffsetRect(size); }
    void operator-=(POINT point) noexcept { OffsetRect(-point.x, -point.y); }
    void operator-=(SIZE size) noexcept { OffsetRect(-size.cx, -size.cy); }
    void operator&=(const RECT& rect) noexcept { CRect a(*this); IntersectRect(&a, &rect); }
    void operator|=(const RECT& rect) noexcept { CRect a(*this); UnionRect(&a, &rect); }
    CRect operator+(POINT point) const noexcept { CRect r(*this); r.OffsetRect(point); return r; }
    CRect operator-(POINT point) const noexcept { CRect r(*this); r.OffsetRect(-point.x, -point.y); return r; }
    CRect operator+(SIZE size) const noexcept { CRect r(*this); r.OffsetRect(size); return r; }
    CRect operator-(SIZE size) const noexcept { CRect r(*this); r.OffsetRect(-size.cx, -size.cy); return r; }
    CRect operator&(const RECT& rect) const noexcept { CRect r; r.IntersectRect(this, &rect); return r; }
    CRect operator|(const RECT& rect) const noexcept { CRect r; r.UnionRect(this, &rect); return r; }
};
