// Stop sorting shared by both back ends and the software linear gradient of the GDI back end.

#include "toolkit/markup/XTPMarkupDrawingContext.h"

#include "toolkit/foundation/XTPImageManager.h"

#include <algorithm>

std::vector<MarkupSortedStop> SortMarkupGradientStops(const CXTPMarkupLinearGradientBrush* brush)
{
    std::vector<MarkupSortedStop> stops;
    const CXTPMarkupGradientStops* collection = brush ? brush->GetGradientStops() : nullptr;
    if (!collection)
        return stops;
    for (int i = 0; i < collection->GetCount(); ++i) {
        const CXTPMarkupGradientStop* stop = collection->GetStop(i);
        stops.push_back({stop->GetColor(), stop->GetOffset(), i});
    }
    // Stable: two stops at one offset keep their written order.
    std::stable_sort(stops.begin(), stops.end(),
                     [](const MarkupSortedStop& a, const MarkupSortedStop& b) { return a.offset < b.offset; });
    return stops;
}

MarkupGradientLine GetMarkupGradientLine(const CXTPMarkupLinearGradientBrush* brush)
{
    MarkupGradientLine line = {0, 0, 1, 1};
    if (const CXTPMarkupPoint* start = brush->GetStartPoint()) {
        line.startX = start->x;
        line.startY = start->y;
    }
    if (const CXTPMarkupPoint* end = brush->GetEndPoint()) {
        line.endX = end->x;
        line.endY = end->y;
    }
    return line;
}

namespace {

// A colour as the DIB stores it: blue, green, red and a 0 alpha byte.
DWORD DibPixel(int red, int green, int blue)
{
    return static_cast<DWORD>(blue) | static_cast<DWORD>(green) << 8 | static_cast<DWORD>(red) << 16;
}

struct GradientRamp {
    std::vector<MarkupSortedStop> stops;
    std::vector<double> distance; // to the previous stop's offset

    DWORD ColorAt(double t) const
    {
        if (t <= stops.front().offset)
            return Pixel(stops.front().color);
        if (t >= stops.back().offset)
            return Pixel(stops.back().color);
        for (size_t i = 1; i < stops.size(); ++i) {
            if (stops[i].offset > t && distance[i] != 0) {
                const double k = (stops[i].offset - t) / distance[i];
                const DWORD previous = stops[i - 1].color, next = stops[i].color;
                auto channel = [&](int shift) {
                    const int a = previous >> shift & 0xFF, b = next >> shift & 0xFF;
                    return static_cast<int>(a * k + b * (1 - k));
                };
                return DibPixel(channel(0), channel(8), channel(16));
            }
        }
        return Pixel(stops.back().color);
    }

    static DWORD Pixel(DWORD color) { return DibPixel(color & 0xFF, color >> 8 & 0xFF, color >> 16 & 0xFF); }
};

} // namespace

void FillMarkupGradientRect(HDC dc, const RECT& rc, const CXTPMarkupLinearGradientBrush* brush,
                            MarkupGradientDibFactory makeDib)
{
    GradientRamp ramp;
    ramp.stops = SortMarkupGradientStops(brush);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (ramp.stops.empty() || width < 1 || height < 1)
        return;
    if (ramp.stops.size() == 1) {
        const COLORREF old = SetBkColor(dc, ramp.stops[0].color & 0xFFFFFF);
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
        SetBkColor(dc, old);
        return;
    }
    const MarkupGradientLine line = GetMarkupGradientLine(brush);
    const double sx = line.startX * width, sy = line.startY * height;
    const double ex = line.endX * width, ey = line.endY * height;
    if (sx == ex && sy == ey)
        return;

    // Only the visible part is computed and held: a tall background in a scrolled document would
    // otherwise need a bitmap of the whole element.
    RECT clip = {};
    if (GetClipBox(dc, &clip) == ERROR)
        return;
    OffsetRect(&clip, -rc.left, -rc.top);
    const RECT whole = {0, 0, width, height};
    RECT visible = {};
    if (!IntersectRect(&visible, &clip, &whole))
        return;
    const int visibleWidth = visible.right - visible.left;
    const int visibleHeight = visible.bottom - visible.top;

    void* bits = nullptr;
    HBITMAP dib = (makeDib ? makeDib : &CreateAlphaDibSection)(dc, visibleWidth, visibleHeight, &bits);
    // Without pixels to write there is nothing to draw: a failed DIB leaves the target as it was.
    if (!dib || !bits) {
        if (dib)
            DeleteObject(dib);
        return;
    }
    DWORD* pixels = static_cast<DWORD*>(bits);

    ramp.distance.assign(ramp.stops.size(), 0);
    for (size_t i = 1; i < ramp.stops.size(); ++i)
        ramp.distance[i] = ramp.stops[i].offset - ramp.stops[i - 1].offset;
    const double dx = ex - sx, dy = ey - sy;
    const double lengthSquared = dx * dx + dy * dy;
    // The projection of (column, row + 1) onto the line from start to end, in its length.
    auto parameter = [&](int column, int row) { return ((column - sx) * dx + (row + 1 - sy) * dy) / lengthSquared; };
    // Rows are counted from the top; the DIB keeps them bottom-up.
    auto dibRow = [&](int visibleRow) {
        return pixels + static_cast<size_t>(visibleHeight - 1 - visibleRow) * static_cast<size_t>(visibleWidth);
    };

    if (dx == 0) {
        for (int vr = 0; vr < visibleHeight; ++vr) {
            const DWORD color = ramp.ColorAt(parameter(0, visible.top + vr));
            std::fill(dibRow(vr), dibRow(vr) + visibleWidth, color);
        }
    } else if (dy == 0) {
        DWORD* first = dibRow(0);
        for (int vc = 0; vc < visibleWidth; ++vc)
            first[vc] = ramp.ColorAt(parameter(visible.left + vc, visible.top));
        for (int vr = 1; vr < visibleHeight; ++vr)
            std::copy(first, first + visibleWidth, dibRow(vr));
    } else {
        for (int vr = 0; vr < visibleHeight; ++vr) {
            DWORD* row = dibRow(vr);
            for (int vc = 0; vc < visibleWidth; ++vc)
                row[vc] = ramp.ColorAt(parameter(visible.left + vc, visible.top + vr));
        }
    }

    HDC memory = CreateCompatibleDC(dc);
    if (memory) {
        HGDIOBJ old = SelectObject(memory, dib);
        BitBlt(dc, rc.left + visible.left, rc.top + visible.top, visibleWidth, visibleHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    DeleteObject(dib);
}
