// The GDI+ back end: the run-time loader of "GdiPlus.dll" and the device context that draws fills,
// outlines, ellipses, polygons and paths with it. The flat GDI+ entry points are declared here by
// hand (opaque handles, the documented signatures) because the library is loaded by name and may
// be missing: nothing links against it.

#include "toolkit/markup/XTPMarkupDrawingContext.h"

#include <algorithm>
#include <vector>

namespace {

// ---- The flat interface

using GpStatus = int;
using ARGB = DWORD;
using REAL = float;
struct GpPointF {
    REAL X, Y;
};
static_assert(sizeof(GpPointF) == sizeof(MARKUP_POINTF), "path points go to GDI+ as they are");
static_assert(sizeof(POINT) == 2 * sizeof(INT), "POINT arrays go to GDI+ as GpPoint arrays");

struct GdiplusStartupInput {
    UINT32 GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};

enum {
    UnitWorld = 0,
    UnitPixel = 2,
    SmoothingModeHighSpeed = 1,
    SmoothingModeHighQuality = 2,
    PixelOffsetModeDefault = 0,
    PixelOffsetModeHalf = 4,
    WrapModeTileFlipXY = 3,
    FillModeAlternate = 0,
};

// Slots of the entry points, in the order of kEntryNames.
enum Entry {
    eStartup,
    eShutdown,
    eCreateFromHDC,
    eCreateFromHDC2,
    eDeleteGraphics,
    eSetPageUnit,
    eSetSmoothingMode,
    eSetPixelOffsetMode,
    eCreateSolidFill,
    eCreateLineBrush,
    eSetLinePresetBlend,
    eDeleteBrush,
    eCreatePen1,
    eCreatePen2,
    eSetPenDashArray,
    eSetPenLineJoin,
    eSetPenStartCap,
    eSetPenEndCap,
    eDeletePen,
    eCreatePath2,
    eDeletePath,
    eFillRectangleI,
    eFillEllipse,
    eDrawEllipse,
    eFillPolygonI,
    eDrawPolygonI,
    eDrawLinesI,
    eDrawLineI,
    eFillPath,
    eDrawPath,
    eEntryCount
};
static_assert(static_cast<int>(eEntryCount) <= static_cast<int>(MarkupGdiPlus::maxEntries), "every entry has a slot");

const char* const kEntryNames[eEntryCount] = {
    "GdiplusStartup", "GdiplusShutdown", "GdipCreateFromHDC", "GdipCreateFromHDC2", "GdipDeleteGraphics",
    "GdipSetPageUnit", "GdipSetSmoothingMode", "GdipSetPixelOffsetMode", "GdipCreateSolidFill",
    "GdipCreateLineBrush", "GdipSetLinePresetBlend", "GdipDeleteBrush", "GdipCreatePen1", "GdipCreatePen2",
    "GdipSetPenDashArray", "GdipSetPenLineJoin", "GdipSetPenStartCap", "GdipSetPenEndCap", "GdipDeletePen",
    "GdipCreatePath2", "GdipDeletePath", "GdipFillRectangleI", "GdipFillEllipse", "GdipDrawEllipse",
    "GdipFillPolygonI", "GdipDrawPolygonI", "GdipDrawLinesI", "GdipDrawLineI", "GdipFillPath", "GdipDrawPath",
};

// Calls one entry point; a missing one does nothing and answers a failure (the caller then gets
// no object and draws nothing or falls back).
template <class... Args>
GpStatus Gdip(Entry entry, Args... args)
{
    using Fn = GpStatus(WINAPI*)(Args...);
    FARPROC proc = MarkupGdiPlus::GetProc(entry, kEntryNames[entry]);
    if (!proc)
        return -1;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc))(args...);
}

struct GdiPlusState {
    HMODULE module = nullptr;
    ULONG_PTR token = 0;
    int useCount = 0;
    FARPROC entries[MarkupGdiPlus::maxEntries] = {};
};

// Made zeroed on first use and never freed: it outlives every markup context.
GdiPlusState& State()
{
    static GdiPlusState* state = new GdiPlusState();
    return *state;
}

void ClearEntries()
{
    std::fill(std::begin(State().entries), std::end(State().entries), nullptr);
}

ARGB ToArgb(DWORD color)
{
    // 0xAABBGGRR to 0xAARRGGBB
    return (color & 0xFF00FF00) | (color & 0xFF) << 16 | (color >> 16 & 0xFF);
}

bool IsOpaqueSolidBrush(CXTPMarkupBrush* brush)
{
    const CXTPMarkupSolidColorBrush* solid = MarkupDynamicCast<CXTPMarkupSolidColorBrush>(brush);
    const CXTPMarkupColor* color = solid ? solid->GetColorObject() : nullptr;
    return color && color->GetAlpha() == 0xFF;
}

// A GDI+ brush for a markup brush over the bounds (gradient points are fractions of them); null
// for a brush GDI+ cannot draw. The caller deletes it.
void* CreateGdiPlusBrush(CXTPMarkupBrush* brush, const RECT& bounds)
{
    void* result = nullptr;
    if (CXTPMarkupSolidColorBrush* solid = MarkupDynamicCast<CXTPMarkupSolidColorBrush>(brush)) {
        if (const CXTPMarkupColor* color = solid->GetColorObject())
            Gdip(eCreateSolidFill, ToArgb(color->GetValue()), &result);
        return result;
    }
    const CXTPMarkupLinearGradientBrush* gradient = MarkupDynamicCast<CXTPMarkupLinearGradientBrush>(brush);
    if (!gradient)
        return nullptr;
    const std::vector<MarkupSortedStop> stops = SortMarkupGradientStops(gradient);
    if (stops.empty())
        return nullptr;
    const MarkupGradientLine line = GetMarkupGradientLine(gradient);
    const REAL width = static_cast<REAL>(bounds.right - bounds.left);
    const REAL height = static_cast<REAL>(bounds.bottom - bounds.top);
    const GpPointF start = {bounds.left + width * static_cast<REAL>(line.startX),
                            bounds.top + height * static_cast<REAL>(line.startY)};
    const GpPointF end = {bounds.left + width * static_cast<REAL>(line.endX),
                          bounds.top + height * static_cast<REAL>(line.endY)};
    const ARGB first = ToArgb(stops.front().color);
    const ARGB last = ToArgb(stops.back().color);
    if (Gdip(eCreateLineBrush, &start, &end, first, last, static_cast<int>(WrapModeTileFlipXY), &result) != 0 ||
        !result)
        return nullptr;
    // The first colour at 0, every stop at its offset, the last colour at 1.
    std::vector<ARGB> colors{first};
    std::vector<REAL> positions{0};
    for (const MarkupSortedStop& stop : stops) {
        colors.push_back(ToArgb(stop.color));
        positions.push_back(static_cast<REAL>(stop.offset));
    }
    colors.push_back(last);
    positions.push_back(1);
    Gdip(eSetLinePresetBlend, result, static_cast<const ARGB*>(colors.data()), static_cast<const REAL*>(positions.data()),
         static_cast<INT>(colors.size()));
    return result;
}

void DeleteBrush(void* brush)
{
    if (brush)
        Gdip(eDeleteBrush, brush);
}

// A GDI+ pen for the stroke style; null without a stroke brush. The caller deletes it.
void* CreateGdiPlusPen(const CXTPMarkupStrokeStyle* stroke, const RECT& bounds)
{
    if (!stroke || !stroke->pStrokeBrush)
        return nullptr;
    void* pen = nullptr;
    const REAL width = static_cast<REAL>(stroke->nStrokeThickness);
    CXTPMarkupSolidColorBrush* solid = MarkupDynamicCast<CXTPMarkupSolidColorBrush>(stroke->pStrokeBrush);
    if (solid && solid->GetColorObject()) {
        Gdip(eCreatePen1, ToArgb(solid->GetColorObject()->GetValue()), width, static_cast<int>(UnitWorld), &pen);
    } else {
        void* brush = CreateGdiPlusBrush(stroke->pStrokeBrush, bounds);
        if (!brush)
            return nullptr;
        Gdip(eCreatePen2, brush, width, static_cast<int>(UnitWorld), &pen);
        DeleteBrush(brush);
    }
    if (!pen)
        return nullptr;
    if (const CXTPMarkupDoubleCollection* dashes = stroke->pStrokeDashArray) {
        // One entry v means dashes and gaps of v.
        const std::vector<float>& items = dashes->GetItems();
        std::vector<REAL> pattern;
        if (items.size() == 1)
            pattern.assign(2, items.front());
        else
            pattern.assign(items.begin(), items.end());
        if (!pattern.empty())
            Gdip(eSetPenDashArray, pen, static_cast<const REAL*>(pattern.data()), static_cast<INT>(pattern.size()));
    }
    if (stroke->nStrokeLineJoin)
        Gdip(eSetPenLineJoin, pen, stroke->nStrokeLineJoin);
    if (stroke->nStrokeStartLineCap)
        Gdip(eSetPenStartCap, pen, stroke->nStrokeStartLineCap);
    if (stroke->nStrokeEndLineCap)
        Gdip(eSetPenEndCap, pen, stroke->nStrokeEndLineCap);
    return pen;
}

void DeletePen(void* pen)
{
    if (pen)
        Gdip(eDeletePen, pen);
}

int ThicknessOffsetMode(const CXTPMarkupStrokeStyle* stroke)
{
    // Even widths sit on pixel edges with the half-pixel offset, odd widths on pixel centres
    // without it: both stay crisp on axis-aligned edges.
    return stroke && stroke->nStrokeThickness % 2 == 0 ? PixelOffsetModeHalf : PixelOffsetModeDefault;
}

RECT BoundsOf(const POINT* points, int count)
{
    if (count <= 0)
        return RECT{};
    RECT rc = {points[0].x, points[0].y, points[0].x, points[0].y};
    for (int i = 1; i < count; ++i) {
        rc.left = std::min(rc.left, points[i].x);
        rc.top = std::min(rc.top, points[i].y);
        rc.right = std::max(rc.right, points[i].x);
        rc.bottom = std::max(rc.bottom, points[i].y);
    }
    return rc;
}

// The Graphics of one operation, deleted when the scope ends.
class ScopedGraphics {
public:
    explicit ScopedGraphics(CXTPMarkupGdiPlusDeviceContext* dc) : m_dc(dc), m_graphics(dc->CreateGraphics()) {}
    ScopedGraphics(const ScopedGraphics&) = delete;
    ScopedGraphics& operator=(const ScopedGraphics&) = delete;
    ~ScopedGraphics()
    {
        if (m_graphics)
            m_dc->DeleteGraphics(m_graphics);
    }
    void* Get() const { return m_graphics; }
    void Smoothing(int mode) const { Gdip(eSetSmoothingMode, m_graphics, mode); }
    void PixelOffset(int mode) const { Gdip(eSetPixelOffsetMode, m_graphics, mode); }

private:
    CXTPMarkupGdiPlusDeviceContext* m_dc;
    void* m_graphics;
};

} // namespace

// ---- Loader

void MarkupGdiPlus::AddRef(bool add)
{
    GdiPlusState& state = State();
    if (add) {
        if (++state.useCount > 1)
            return;
        ClearEntries();
        state.module = LoadLibraryW(L"GdiPlus.dll");
        if (state.module) {
            GdiplusStartupInput input;
            ULONG_PTR token = 0;
            // A failed start leaves the token 0: every operation then draws with GDI.
            if (Gdip(eStartup, &token, static_cast<const GdiplusStartupInput*>(&input), static_cast<void*>(nullptr)) == 0)
                state.token = token;
        }
        return;
    }
    // A release without a matching add would otherwise leave the count below 0 and keep GDI+ from
    // ever loading again.
    if (state.useCount <= 0 || --state.useCount > 0)
        return;
    if (state.module) {
        if (state.token)
            Gdip(eShutdown, state.token);
        FreeLibrary(state.module);
    }
    ClearEntries();
    state.module = nullptr;
    state.token = 0;
}

bool MarkupGdiPlus::IsRunning()
{
    return State().token != 0;
}

int MarkupGdiPlus::GetUseCount()
{
    return State().useCount;
}

FARPROC MarkupGdiPlus::GetProc(int slot, const char* name)
{
    GdiPlusState& state = State();
    if (slot < 0 || slot >= maxEntries || !state.module)
        return nullptr;
    if (!state.entries[slot])
        state.entries[slot] = GetProcAddress(state.module, name);
    return state.entries[slot];
}

// ---- Device context

void* CXTPMarkupGdiPlusDeviceContext::CreateGraphics()
{
    if (!MarkupGdiPlus::IsRunning() || !m_hDC)
        return nullptr;
    void* graphics = nullptr;
    const GpStatus status = m_hDC == m_hAttribDC ? Gdip(eCreateFromHDC, m_hDC, &graphics)
                                                 : Gdip(eCreateFromHDC2, m_hDC, static_cast<HANDLE>(m_hAttribDC), &graphics);
    if (status != 0 || !graphics)
        return nullptr;
    Gdip(eSetPageUnit, graphics, static_cast<int>(UnitPixel));
    Gdip(eSetSmoothingMode, graphics, static_cast<int>(SmoothingModeHighQuality));
    Gdip(eSetPixelOffsetMode, graphics, static_cast<int>(PixelOffsetModeHalf));
    return graphics;
}

void CXTPMarkupGdiPlusDeviceContext::DeleteGraphics(void* graphics)
{
    Gdip(eDeleteGraphics, graphics);
}

void CXTPMarkupGdiPlusDeviceContext::FillRectangle(const RECT& rc, CXTPMarkupBrush* brush)
{
    // Opaque solid fills stay on GDI: nothing to blend, and GDI is faster.
    if (m_hDC && IsOpaqueSolidBrush(brush)) {
        CXTPMarkupDeviceContext::FillRectangle(rc, brush);
        return;
    }
    ScopedGraphics graphics(this);
    if (!graphics.Get()) {
        CXTPMarkupDeviceContext::FillRectangle(rc, brush);
        return;
    }
    graphics.Smoothing(SmoothingModeHighSpeed);
    graphics.PixelOffset(PixelOffsetModeHalf);
    if (void* fill = CreateGdiPlusBrush(brush, rc)) {
        Gdip(eFillRectangleI, graphics.Get(), fill, static_cast<INT>(rc.left), static_cast<INT>(rc.top),
             static_cast<INT>(rc.right - rc.left), static_cast<INT>(rc.bottom - rc.top));
        DeleteBrush(fill);
    }
}

void CXTPMarkupGdiPlusDeviceContext::DrawFrame(const RECT& rc, CXTPMarkupBrush* brush,
                                               const CXTPMarkupThickness* thickness)
{
    if (!thickness)
        return;
    if (m_hDC && IsOpaqueSolidBrush(brush)) {
        CXTPMarkupDeviceContext::DrawFrame(rc, brush, thickness);
        return;
    }
    ScopedGraphics graphics(this);
    if (!graphics.Get()) {
        CXTPMarkupDeviceContext::DrawFrame(rc, brush, thickness);
        return;
    }
    graphics.Smoothing(SmoothingModeHighSpeed);
    void* fill = CreateGdiPlusBrush(brush, rc);
    if (!fill)
        return;
    const INT l = thickness->GetLeft(), t = thickness->GetTop(), r = thickness->GetRight(), b = thickness->GetBottom();
    const INT height = rc.bottom - rc.top;
    // Top and bottom strips run between the side strips, so translucent corners are not painted
    // twice.
    const INT inner = rc.right - r - l - rc.left;
    auto strip = [&](INT x, INT y, INT w, INT h) {
        Gdip(eFillRectangleI, graphics.Get(), fill, x, y, w, h);
    };
    strip(rc.left, rc.top, l, height);
    strip(rc.right - r, rc.top, r, height);
    strip(rc.left + l, rc.top, inner, t);
    strip(rc.left + l, rc.bottom - b, inner, b);
    DeleteBrush(fill);
}

void CXTPMarkupGdiPlusDeviceContext::DrawEllipse(const RECT& rc, const CXTPMarkupStrokeStyle* stroke,
                                                 CXTPMarkupBrush* fill)
{
    ScopedGraphics graphics(this);
    if (!graphics.Get()) {
        CXTPMarkupDeviceContext::DrawEllipse(rc, stroke, fill);
        return;
    }
    graphics.Smoothing(SmoothingModeHighQuality);
    graphics.PixelOffset(PixelOffsetModeHalf);
    // The outline is centred on the figure's edge: inset by half of it to stay inside the box.
    const int thickness = stroke ? stroke->nStrokeThickness : 0;
    const REAL h = std::max(thickness, 0) * 0.5f;
    const REAL x = rc.left + h, y = rc.top + h;
    const REAL width = rc.right - rc.left - 2 * h, height = rc.bottom - rc.top - 2 * h;
    if (fill) {
        if (void* brush = CreateGdiPlusBrush(fill, rc)) {
            Gdip(eFillEllipse, graphics.Get(), brush, x, y, width, height);
            DeleteBrush(brush);
        }
    }
    if (thickness > 0) {
        if (void* pen = CreateGdiPlusPen(stroke, rc)) {
            Gdip(eDrawEllipse, graphics.Get(), pen, x, y, width, height);
            DeletePen(pen);
        }
    }
}

void CXTPMarkupGdiPlusDeviceContext::DrawLine(int x1, int y1, int x2, int y2, const CXTPMarkupStrokeStyle* stroke)
{
    ScopedGraphics graphics(this);
    if (!graphics.Get()) {
        CXTPMarkupDeviceContext::DrawLine(x1, y1, x2, y2, stroke);
        return;
    }
    // Axis-aligned lines need no anti-aliasing.
    graphics.Smoothing(x1 == x2 || y1 == y2 ? SmoothingModeHighSpeed : SmoothingModeHighQuality);
    graphics.PixelOffset(ThicknessOffsetMode(stroke));
    const POINT ends[2] = {{x1, y1}, {x2, y2}};
    if (void* pen = CreateGdiPlusPen(stroke, BoundsOf(ends, 2))) {
        Gdip(eDrawLineI, graphics.Get(), pen, static_cast<INT>(x1), static_cast<INT>(y1), static_cast<INT>(x2),
             static_cast<INT>(y2));
        DeletePen(pen);
    }
}

void CXTPMarkupGdiPlusDeviceContext::Polyline(const POINT* points, int count, const CXTPMarkupStrokeStyle* stroke)
{
    ScopedGraphics graphics(this);
    if (!graphics.Get()) {
        CXTPMarkupDeviceContext::Polyline(points, count, stroke);
        return;
    }
    graphics.Smoothing(SmoothingModeHighQuality);
    graphics.PixelOffset(ThicknessOffsetMode(stroke));
    if (void* pen = CreateGdiPlusPen(stroke, BoundsOf(points, count))) {
        Gdip(eDrawLinesI, graphics.Get(), pen, static_cast<const void*>(points), static_cast<INT>(count));
        DeletePen(pen);
    }
}

void CXTPMarkupGdiPlusDeviceContext::Polygon(const POINT* points, int count, const CXTPMarkupStrokeStyle* stroke,
                                             CXTPMarkupBrush* fill)
{
    ScopedGraphics graphics(this);
    if (!graphics.Get()) {
        CXTPMarkupDeviceContext::Polygon(points, count, stroke, fill);
        return;
    }
    graphics.Smoothing(SmoothingModeHighQuality);
    const RECT bounds = BoundsOf(points, count);
    if (fill) {
        graphics.PixelOffset(PixelOffsetModeHalf);
        if (void* brush = CreateGdiPlusBrush(fill, bounds)) {
            Gdip(eFillPolygonI, graphics.Get(), brush, static_cast<const void*>(points), static_cast<INT>(count),
                 static_cast<int>(FillModeAlternate));
            DeleteBrush(brush);
        }
    }
    if (stroke && stroke->nStrokeThickness > 0) {
        graphics.PixelOffset(ThicknessOffsetMode(stroke));
        if (void* pen = CreateGdiPlusPen(stroke, bounds)) {
            Gdip(eDrawPolygonI, graphics.Get(), pen, static_cast<const void*>(points), static_cast<INT>(count));
            DeletePen(pen);
        }
    }
}

void CXTPMarkupGdiPlusDeviceContext::DrawPath(const CXTPMarkupPathGeometry* geometry,
                                              const CXTPMarkupStrokeStyle* stroke, CXTPMarkupBrush* fill)
{
    ScopedGraphics graphics(this);
    if (!graphics.Get()) {
        CXTPMarkupDeviceContext::DrawPath(geometry, stroke, fill);
        return;
    }
    graphics.Smoothing(SmoothingModeHighQuality);
    if (!geometry || geometry->GetPointCount() == 0)
        return;
    void* path = nullptr;
    Gdip(eCreatePath2, static_cast<const void*>(geometry->GetPoints()), static_cast<const BYTE*>(geometry->GetTypes()),
         static_cast<INT>(geometry->GetPointCount()), static_cast<int>(FillModeAlternate), &path);
    if (!path)
        return;
    if (fill) {
        graphics.PixelOffset(PixelOffsetModeHalf);
        if (void* brush = CreateGdiPlusBrush(fill, geometry->GetBounds())) {
            Gdip(eFillPath, graphics.Get(), brush, path);
            DeleteBrush(brush);
        }
    }
    if (stroke && stroke->nStrokeThickness > 0) {
        const int hint = geometry->GetPixelOffsetHint();
        graphics.PixelOffset(hint ? hint : PixelOffsetModeHalf);
        if (void* pen = CreateGdiPlusPen(stroke, geometry->GetBounds())) {
            Gdip(eDrawPath, graphics.Get(), pen, path);
            DeletePen(pen);
        }
    }
    Gdip(eDeletePath, path);
}
