// The drawing context and its GDI back end. The GDI+ back end is in
// XTPMarkupDrawingContextGdiPlus.cpp, the software gradient in XTPMarkupDrawingContextGradient.cpp.

#include "toolkit/markup/XTPMarkupDrawingContext.h"

#include "toolkit/markup/XTPMarkupContext.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// Selects a pen for one call and puts the previous one back; owns the pen it made.
class ScopedPen {
public:
    ScopedPen(HDC dc, const CXTPMarkupStrokeStyle* stroke) : m_dc(dc)
    {
        if (stroke && stroke->pStrokeBrush && stroke->nStrokeThickness > 0)
            m_pen = CreatePen(PS_SOLID, stroke->nStrokeThickness, stroke->pStrokeBrush->GetColor());
        m_old = SelectObject(dc, m_pen ? static_cast<HGDIOBJ>(m_pen) : GetStockObject(NULL_PEN));
    }
    ScopedPen(const ScopedPen&) = delete;
    ScopedPen& operator=(const ScopedPen&) = delete;
    ~ScopedPen()
    {
        SelectObject(m_dc, m_old);
        if (m_pen)
            DeleteObject(m_pen);
    }
    bool HasPen() const { return m_pen != nullptr; }

private:
    HDC m_dc;
    HPEN m_pen = nullptr;
    HGDIOBJ m_old;
};

class ScopedBrush {
public:
    ScopedBrush(HDC dc, CXTPMarkupBrush* fill) : m_dc(dc)
    {
        if (fill)
            m_brush = CreateSolidBrush(fill->GetColor());
        m_old = SelectObject(dc, m_brush ? static_cast<HGDIOBJ>(m_brush) : GetStockObject(NULL_BRUSH));
    }
    ScopedBrush(const ScopedBrush&) = delete;
    ScopedBrush& operator=(const ScopedBrush&) = delete;
    ~ScopedBrush()
    {
        SelectObject(m_dc, m_old);
        if (m_brush)
            DeleteObject(m_brush);
    }
    bool HasBrush() const { return m_brush != nullptr; }

private:
    HDC m_dc;
    HBRUSH m_brush = nullptr;
    HGDIOBJ m_old;
};

void OpaqueFill(HDC dc, const RECT& rc, COLORREF color)
{
    const COLORREF old = SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

// One closed figure with a corner curve at each corner; r are the radii in record order.
CXTPMarkupPathGeometry* MakeRoundRectangle(float x0, float y0, float x1, float y1, const CXTPMarkupCornerRadii& radii)
{
    const double* r = radii.radii;
    auto f = [](double value) { return static_cast<float>(value); };
    CXTPMarkupPathGeometryBuilder builder;
    builder.BeginFigure(x0, y0 + f(r[0]));
    builder.CornerTo(x0, y0, x0 + f(r[1]), y0);
    builder.LineTo(x1 - f(r[2]), y0);
    builder.CornerTo(x1, y0, x1, y0 + f(r[3]));
    builder.LineTo(x1, y1 - f(r[4]));
    builder.CornerTo(x1, y1, x1 - f(r[5]), y1);
    builder.LineTo(x0 + f(r[6]), y1);
    builder.CornerTo(x0, y1, x0, y1 - f(r[7]));
    builder.CloseFigure();
    return builder.CreateGeometry(4);
}

} // namespace

// ---- GDI back end

CXTPMarkupDeviceContext::CXTPMarkupDeviceContext(HDC target, HDC attributeDC)
    : m_hDC(target), m_hAttribDC(attributeDC ? attributeDC : target)
{
    if (!target)
        return;
    SIZE window = {}, viewport = {};
    GetWindowExtEx(target, &window);
    GetViewportExtEx(target, &viewport);
    if (window.cx == 0 || window.cy == 0)
        return; // keeps 1:1
    m_szWindowExt = {std::abs(window.cx), std::abs(window.cy)};
    m_szViewportExt = {std::abs(viewport.cx), std::abs(viewport.cy)};
}

void CXTPMarkupDeviceContext::OffsetViewport(int x, int y)
{
    OffsetViewportOrgEx(m_hDC, x * m_szViewportExt.cx / m_szWindowExt.cx, y * m_szViewportExt.cy / m_szWindowExt.cy,
                        nullptr);
}

void CXTPMarkupDeviceContext::FillRectangle(const RECT& rc, CXTPMarkupBrush* brush)
{
    if (CXTPMarkupSolidColorBrush* solid = MarkupDynamicCast<CXTPMarkupSolidColorBrush>(brush)) {
        if (solid->GetColorObject())
            OpaqueFill(m_hDC, rc, solid->GetColor());
    } else if (const CXTPMarkupLinearGradientBrush* gradient = MarkupDynamicCast<CXTPMarkupLinearGradientBrush>(brush)) {
        FillMarkupGradientRect(m_hDC, rc, gradient);
    }
}

void CXTPMarkupDeviceContext::DrawFrame(const RECT& rc, CXTPMarkupBrush* brush, const CXTPMarkupThickness* thickness)
{
    if (!thickness)
        return;
    const int l = thickness->GetLeft(), t = thickness->GetTop(), r = thickness->GetRight(), b = thickness->GetBottom();
    if (l)
        FillRectangle({rc.left, rc.top, rc.left + l, rc.bottom}, brush);
    if (r)
        FillRectangle({rc.right - r, rc.top, rc.right, rc.bottom}, brush);
    if (t)
        FillRectangle({rc.left, rc.top, rc.right, rc.top + t}, brush);
    if (b)
        FillRectangle({rc.left, rc.bottom - b, rc.right, rc.bottom}, brush);
}

void CXTPMarkupDeviceContext::DrawEllipse(const RECT& rc, const CXTPMarkupStrokeStyle* stroke, CXTPMarkupBrush* fill)
{
    ScopedPen pen(m_hDC, stroke);
    ScopedBrush brush(m_hDC, fill);
    Ellipse(m_hDC, rc.left, rc.top, rc.right, rc.bottom);
}

void CXTPMarkupDeviceContext::DrawLine(int x1, int y1, int x2, int y2, const CXTPMarkupStrokeStyle* stroke)
{
    ScopedPen pen(m_hDC, stroke);
    MoveToEx(m_hDC, x1, y1, nullptr);
    LineTo(m_hDC, x2, y2);
}

void CXTPMarkupDeviceContext::Polyline(const POINT* points, int count, const CXTPMarkupStrokeStyle* stroke)
{
    ScopedPen pen(m_hDC, stroke);
    ::Polyline(m_hDC, points, count);
}

void CXTPMarkupDeviceContext::Polygon(const POINT* points, int count, const CXTPMarkupStrokeStyle* stroke,
                                      CXTPMarkupBrush* fill)
{
    ScopedPen pen(m_hDC, stroke);
    ScopedBrush brush(m_hDC, fill);
    ::Polygon(m_hDC, points, count);
}

void CXTPMarkupDeviceContext::DrawPath(const CXTPMarkupPathGeometry* geometry, const CXTPMarkupStrokeStyle* stroke,
                                       CXTPMarkupBrush* fill)
{
    if (!geometry || geometry->GetPointCount() == 0)
        return;
    const MARKUP_POINTF* points = geometry->GetPoints();
    const BYTE* types = geometry->GetTypes();
    const int count = geometry->GetPointCount();
    auto at = [points](int i) { return POINT{static_cast<LONG>(points[i].x), static_cast<LONG>(points[i].y)}; };

    BeginPath(m_hDC);
    for (int i = 0; i < count; ++i) {
        const BYTE type = types[i] & CXTPMarkupPathGeometry::typeMask;
        BYTE closing = types[i];
        if (type == CXTPMarkupPathGeometry::typeStart) {
            MoveToEx(m_hDC, at(i).x, at(i).y, nullptr);
        } else if (type == CXTPMarkupPathGeometry::typeBezier && i + 2 < count) {
            const POINT bezier[3] = {at(i), at(i + 1), at(i + 2)};
            PolyBezierTo(m_hDC, bezier, 3);
            i += 2;
            closing = types[i];
        } else {
            LineTo(m_hDC, at(i).x, at(i).y);
        }
        if (closing & CXTPMarkupPathGeometry::typeCloseFigure)
            CloseFigure(m_hDC);
    }
    EndPath(m_hDC);

    ScopedBrush brush(m_hDC, fill);
    ScopedPen pen(m_hDC, stroke);
    if (brush.HasBrush() && pen.HasPen())
        StrokeAndFillPath(m_hDC);
    else if (brush.HasBrush())
        FillPath(m_hDC);
    else if (pen.HasPen())
        StrokePath(m_hDC);
    else
        AbortPath(m_hDC);
}

void CXTPMarkupDeviceContext::FillRoundRectangle(const RECT& rc, CXTPMarkupBrush* brush,
                                                 const CXTPMarkupCornerRadii* radii)
{
    if (!radii) {
        FillRectangle(rc, brush);
        return;
    }
    CXTPMarkupPathGeometry* geometry = MakeRoundRectangle(static_cast<float>(rc.left), static_cast<float>(rc.top),
                                                          static_cast<float>(rc.right), static_cast<float>(rc.bottom),
                                                          *radii);
    CXTPMarkupStrokeStyle noStroke;
    DrawPath(geometry, &noStroke, brush);
    geometry->Release();
}

void CXTPMarkupDeviceContext::DrawRoundFrame(const RECT& rc, CXTPMarkupBrush* brush,
                                             const CXTPMarkupThickness* thickness, const CXTPMarkupCornerRadii* radii)
{
    if (!radii) {
        DrawFrame(rc, brush, thickness);
        return;
    }
    if (!thickness)
        return;
    // The outline runs along the middle of the frame, so the figure is inset by half of it; only
    // the left side's thickness is used for the whole outline.
    const int t = thickness->GetLeft();
    const float inset = t / 2.0f;
    CXTPMarkupPathGeometry* geometry =
        MakeRoundRectangle(rc.left + inset, rc.top + inset, rc.right - inset, rc.bottom - inset, *radii);
    CXTPMarkupStrokeStyle stroke;
    stroke.nStrokeThickness = t;
    stroke.pStrokeBrush = brush;
    DrawPath(geometry, &stroke, nullptr);
    geometry->Release();
}

SIZE CXTPMarkupDeviceContext::MeasureString(const wchar_t* text, int length)
{
    SIZE size = {};
    GetTextExtentPoint32W(m_hAttribDC, text, length, &size);
    return size;
}

void CXTPMarkupDeviceContext::SetTextColor(CXTPMarkupBrush* brush)
{
    ::SetTextColor(m_hDC, brush ? brush->GetColor() : 0);
}

void CXTPMarkupDeviceContext::DrawTextLine(const wchar_t* text, int length, const RECT& rc)
{
    if (m_hDC == m_hAttribDC) {
        ExtTextOutW(m_hDC, rc.left, rc.top, 0, &rc, text, static_cast<UINT>(length), nullptr);
        return;
    }
    DrawTextWithAttributeAdvances(text, length, rc);
}

void CXTPMarkupDeviceContext::DrawTextWithAttributeAdvances(const wchar_t* text, int length, const RECT& rc)
{
    TEXTMETRICW target = {}, attribute = {};
    GetTextMetricsW(m_hDC, &target);
    GetTextMetricsW(m_hAttribDC, &attribute);
    const UINT align = GetTextAlign(m_hAttribDC);
    int startX = rc.left;
    POINT current = {};
    if (align & TA_UPDATECP) {
        GetCurrentPositionEx(m_hDC, &current);
        startX = current.x;
    }

    std::vector<wchar_t> output;
    std::vector<INT> advances;
    int leading = 0;           // taken by characters before the first one output
    int segmentStart = 0;      // first character after the last break
    int segmentAdvance = 0;    // advances given since then
    auto addToPrevious = [&](int amount) {
        if (advances.empty())
            leading += amount;
        else
            advances.back() += amount;
    };
    for (int i = 0; i < length; ++i) {
        const wchar_t ch = text[i];
        if (ch == attribute.tmBreakChar) {
            // A break is not output: the attribute DC's extent of the text up to it fixes where the
            // next word starts.
            SIZE extent = {};
            GetTextExtentPoint32W(m_hAttribDC, text + segmentStart, i - segmentStart + 1, &extent);
            addToPrevious(extent.cx - segmentAdvance);
            segmentStart = i + 1;
            segmentAdvance = 0;
            continue;
        }
        INT attributeWidth = 0, targetWidth = 0;
        if (!GetCharWidth32W(m_hAttribDC, ch, ch, &attributeWidth))
            attributeWidth = attribute.tmAveCharWidth;
        if (!GetCharWidth32W(m_hDC, ch, ch, &targetWidth))
            targetWidth = target.tmAveCharWidth;
        const int advance = attributeWidth - attribute.tmOverhang;
        // Half the difference moves to the previous character, so each glyph sits centred in the
        // room the attribute DC gives it.
        const int half = (advance - (targetWidth - target.tmOverhang)) / 2;
        addToPrevious(half);
        output.push_back(ch);
        advances.push_back(advance - half);
        segmentAdvance += advance;
    }

    if ((align & TA_CENTER) == TA_CENTER)
        startX += leading / 2;
    else if ((align & (TA_CENTER | TA_RIGHT)) == TA_LEFT)
        startX += leading;
    if (align & TA_UPDATECP)
        MoveToEx(m_hDC, startX, current.y, nullptr);
    ExtTextOutW(m_hDC, startX, rc.top, 0, &rc, output.data(), static_cast<UINT>(output.size()),
                advances.empty() ? nullptr : advances.data());
}

void CXTPMarkupDeviceContext::IntersectClipRect(const RECT& rc)
{
    ::IntersectClipRect(m_hDC, rc.left, rc.top, rc.right, rc.bottom);
}

void CXTPMarkupDeviceContext::GetClipBox(RECT& rc)
{
    ::GetClipBox(m_hDC, &rc);
}

HRGN CXTPMarkupDeviceContext::GetClipRegion()
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (!region || GetClipRgn(m_hDC, region) == 1)
        return region;
    DeleteObject(region);
    return reinterpret_cast<HRGN>(-1);
}

void CXTPMarkupDeviceContext::SelectClipRegion(HRGN region)
{
    if (!region)
        return;
    if (region == reinterpret_cast<HRGN>(-1)) {
        ExtSelectClipRgn(m_hDC, nullptr, RGN_COPY);
        return;
    }
    ExtSelectClipRgn(m_hDC, region, RGN_COPY);
    DeleteObject(region);
}

// ---- Drawing context

CXTPMarkupDrawingContext::CXTPMarkupDrawingContext(HDC target, HDC attributeDC, BOOL useGdiPlus)
    : m_hDC(target), m_hAttribDC(attributeDC ? attributeDC : target)
{
    Init(useGdiPlus);
}

CXTPMarkupDrawingContext::CXTPMarkupDrawingContext()
{
    m_hDC = m_hAttribDC = CreateCompatibleDC(nullptr);
    m_bOwnsDC = TRUE;
    Init(TRUE);
}

CXTPMarkupDrawingContext::CXTPMarkupDrawingContext(CXTPMarkupContext* context, HDC target, HDC attributeDC)
    : m_hDC(target), m_hAttribDC(attributeDC ? attributeDC : target)
{
    Init(!context || context->IsGdiPlusEnabled());
}

CXTPMarkupDrawingContext::CXTPMarkupDrawingContext(CXTPMarkupContext* context)
{
    m_hDC = m_hAttribDC = CreateCompatibleDC(nullptr);
    m_bOwnsDC = TRUE;
    Init(!context || context->IsGdiPlusEnabled());
}

void CXTPMarkupDrawingContext::SetFont(CXTPMarkupFont* font)
{
    if (font == m_pFont)
        return;
    m_pDeviceContext->SetTextFont(font);
    MarkupRelease(m_pFont);
    m_pFont = font;
    if (m_pFont)
        m_pFont->AddRef();
}

void CXTPMarkupDeviceContext::SetTextFont(CXTPMarkupFont* font)
{
    if (!m_hDC)
        return;
    if (font) {
        const HFONT handle = font->GetHandle();
        if (m_hDC != m_hAttribDC)
            SelectObject(m_hDC, handle);
        const HGDIOBJ previous = SelectObject(m_hAttribDC ? m_hAttribDC : m_hDC, handle);
        // Only the DC's own font is kept: the one it had before the first markup font.
        if (!m_hSavedFont)
            m_hSavedFont = static_cast<HFONT>(previous);
        return;
    }
    if (m_hSavedFont) {
        if (m_hDC != m_hAttribDC)
            SelectObject(m_hDC, m_hSavedFont);
        SelectObject(m_hAttribDC ? m_hAttribDC : m_hDC, m_hSavedFont);
        m_hSavedFont = nullptr;
    }
}

void CXTPMarkupDrawingContext::Init(BOOL useGdiPlus)
{
    if (useGdiPlus)
        m_pDeviceContext = new CXTPMarkupGdiPlusDeviceContext(m_hDC, m_hAttribDC);
    else
        m_pDeviceContext = new CXTPMarkupDeviceContext(m_hDC, m_hAttribDC);
    ReadClipBox();
    if (m_hDC)
        SetBkMode(m_hDC, TRANSPARENT);
}

CXTPMarkupDrawingContext::~CXTPMarkupDrawingContext()
{
    // Puts the DC's own font back before the last markup font can die.
    SetFont(nullptr);
    delete m_pDeviceContext;
    if (m_bOwnsDC && m_hDC)
        DeleteDC(m_hDC);
}

void CXTPMarkupDrawingContext::ReadClipBox()
{
    m_pDeviceContext->GetClipBox(m_rcClipBox);
}

void CXTPMarkupDrawingContext::OffsetViewport(const POINT& offset)
{
    m_pDeviceContext->OffsetViewport(offset.x, offset.y);
    ReadClipBox();
}

void CXTPMarkupDrawingContext::IntersectClipRect(const RECT& rc)
{
    m_pDeviceContext->IntersectClipRect(rc);
    ReadClipBox();
}

HRGN CXTPMarkupDrawingContext::GetClipRegion()
{
    return m_pDeviceContext->GetClipRegion();
}

void CXTPMarkupDrawingContext::SelectClipRegion(HRGN region)
{
    if (!region)
        return;
    m_pDeviceContext->SelectClipRegion(region);
    ReadClipBox();
}

void CXTPMarkupDrawingContext::FillRectangle(int left, int top, int right, int bottom, CXTPMarkupBrush* brush,
                                             const CXTPMarkupCornerRadii* radii)
{
    const RECT rc = {left, top, right, bottom};
    if (radii)
        m_pDeviceContext->FillRoundRectangle(rc, brush, radii);
    else
        m_pDeviceContext->FillRectangle(rc, brush);
}

void CXTPMarkupDrawingContext::DrawFrame(int left, int top, int right, int bottom, CXTPMarkupBrush* brush,
                                         const CXTPMarkupThickness* thickness, const CXTPMarkupCornerRadii* radii)
{
    if (!brush || !thickness)
        return;
    const RECT rc = {left, top, right, bottom};
    if (radii)
        m_pDeviceContext->DrawRoundFrame(rc, brush, thickness, radii);
    else
        m_pDeviceContext->DrawFrame(rc, brush, thickness);
}

void CXTPMarkupDrawingContext::DrawFrame(int left, int top, int right, int bottom, CXTPMarkupBrush* brush)
{
    CXTPMarkupThickness* one = new CXTPMarkupThickness(1);
    DrawFrame(left, top, right, bottom, brush, one);
    one->Release();
}

void CXTPMarkupDrawingContext::FillSolidRect(int left, int top, int right, int bottom, COLORREF color)
{
    CXTPMarkupSolidColorBrush* brush = new CXTPMarkupSolidColorBrush(0xFF, color);
    m_pDeviceContext->FillRectangle({left, top, right, bottom}, brush);
    brush->Release();
}

void CXTPMarkupDrawingContext::DrawLine(int x1, int y1, int x2, int y2, const CXTPMarkupStrokeStyle* stroke)
{
    if (stroke && stroke->nStrokeThickness > 0)
        m_pDeviceContext->DrawLine(x1, y1, x2, y2, stroke);
}

void CXTPMarkupDrawingContext::DrawPolyline(const POINT* points, int count, const CXTPMarkupStrokeStyle* stroke)
{
    m_pDeviceContext->Polyline(points, count, stroke);
}

void CXTPMarkupDrawingContext::DrawPolygon(const POINT* points, int count, const CXTPMarkupStrokeStyle* stroke,
                                           CXTPMarkupBrush* fill)
{
    m_pDeviceContext->Polygon(points, count, stroke, fill);
}

void CXTPMarkupDrawingContext::DrawEllipse(int left, int top, int right, int bottom,
                                           const CXTPMarkupStrokeStyle* stroke, CXTPMarkupBrush* fill)
{
    m_pDeviceContext->DrawEllipse({left, top, right, bottom}, stroke, fill);
}

void CXTPMarkupDrawingContext::DrawPath(const CXTPMarkupPathGeometry* geometry, const CXTPMarkupStrokeStyle* stroke,
                                        CXTPMarkupBrush* fill)
{
    m_pDeviceContext->DrawPath(geometry, stroke, fill);
}

void CXTPMarkupDrawingContext::DrawTextLine(const wchar_t* text, int length, const RECT& rc)
{
    m_pDeviceContext->DrawTextLine(text, length, rc);
}

SIZE CXTPMarkupDrawingContext::GetTextExtent(const wchar_t* text, int length)
{
    return m_pDeviceContext->MeasureString(text, length);
}

void CXTPMarkupDrawingContext::SetTextColor(CXTPMarkupBrush* brush)
{
    m_pDeviceContext->SetTextColor(brush);
}
