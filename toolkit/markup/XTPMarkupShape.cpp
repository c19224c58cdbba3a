#include "toolkit/markup/XTPMarkupShape.h"

#include "toolkit/markup/XTPMarkupBrush.h"
#include "toolkit/markup/XTPMarkupCollection.h"
#include "toolkit/markup/XTPMarkupConverters.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupPathGeometry.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupPointCollection, CXTPMarkupObject,
                      &CreateMarkupObject<CXTPMarkupPointCollection>, nullptr)
IMPLEMENT_MARKUPCLASS(L"Shape", CXTPMarkupShape, CXTPMarkupFrameworkElement, &CreateMarkupObject<CXTPMarkupShape>,
                      &CXTPMarkupShape::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"Rectangle", CXTPMarkupRectangle, CXTPMarkupShape, &CreateMarkupObject<CXTPMarkupRectangle>,
                      &CXTPMarkupRectangle::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"Ellipse", CXTPMarkupEllipse, CXTPMarkupShape, &CreateMarkupObject<CXTPMarkupEllipse>, nullptr)
IMPLEMENT_MARKUPCLASS(L"Line", CXTPMarkupLine, CXTPMarkupShape, &CreateMarkupObject<CXTPMarkupLine>,
                      &CXTPMarkupLine::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"Polyline", CXTPMarkupPolyline, CXTPMarkupShape, &CreateMarkupObject<CXTPMarkupPolyline>,
                      &CXTPMarkupPolyline::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"Polygon", CXTPMarkupPolygon, CXTPMarkupShape, &CreateMarkupObject<CXTPMarkupPolygon>,
                      &CXTPMarkupPolygon::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"Path", CXTPMarkupPath, CXTPMarkupShape, &CreateMarkupObject<CXTPMarkupPath>,
                      &CXTPMarkupPath::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupShape::m_pFillProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupShape::m_pStrokeProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupShape::m_pStrokeThicknessProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupShape::m_pStretchProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupShape::m_pStrokeDashArrayProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupShape::m_pStrokeStartLineCapProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupShape::m_pStrokeEndLineCapProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupShape::m_pStrokeLineJoinProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupRectangle::m_pRadiusXProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupRectangle::m_pRadiusYProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupLine::m_pX1Property = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupLine::m_pY1Property = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupLine::m_pX2Property = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupLine::m_pY2Property = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupPolyline::m_pPointsProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupPolygon::m_pPointsProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupPath::m_pDataProperty = nullptr;

namespace {

using Metadata = CXTPMarkupPropertyMetadata;

int ReadInt(const CXTPMarkupObject* object, CXTPMarkupDependencyProperty* property, int fallback = 0)
{
    const CXTPMarkupInt* value = MarkupDynamicCast<CXTPMarkupInt>(object->GetValue(property));
    return value ? static_cast<int>(*value) : fallback;
}

int ReadEnum(const CXTPMarkupObject* object, CXTPMarkupDependencyProperty* property)
{
    const CXTPMarkupEnum* value = MarkupDynamicCast<CXTPMarkupEnum>(object->GetValue(property));
    return value ? static_cast<int>(*value) : 0;
}

struct Word {
    const wchar_t* text;
    int value;
};

template <size_t N>
CXTPMarkupObject* ConvertWord(CXTPMarkupObject* value, const Word (&table)[N])
{
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(value);
    if (!text)
        return nullptr;
    for (const Word& word : table) {
        if (_wcsicmp(text->GetBuffer(), word.text) == 0)
            return CreateMarkupEnum(word.value);
    }
    return nullptr;
}

} // namespace

CXTPMarkupObject* MarkupConvertLineCap(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const Word table[] = {{L"Flat", 0}, {L"Square", 1}, {L"Round", 2}, {L"Triangle", 3}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertLineJoin(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const Word table[] = {{L"Miter", 0}, {L"Bevel", 1}, {L"Round", 2}};
    return ConvertWord(value, table);
}

// ---- Point lists

CXTPMarkupPointCollection::CXTPMarkupPointCollection(std::vector<POINT> points) : m_arrPoints(std::move(points))
{
    if (m_arrPoints.empty())
        return;
    m_rcBounds = {m_arrPoints[0].x, m_arrPoints[0].y, m_arrPoints[0].x, m_arrPoints[0].y};
    for (const POINT& point : m_arrPoints) {
        m_rcBounds.left = std::min(m_rcBounds.left, point.x);
        m_rcBounds.top = std::min(m_rcBounds.top, point.y);
        m_rcBounds.right = std::max(m_rcBounds.right, point.x);
        m_rcBounds.bottom = std::max(m_rcBounds.bottom, point.y);
    }
}

BOOL CXTPMarkupPointCollection::Parse(const wchar_t* text, std::vector<POINT>& points)
{
    if (!text)
        return FALSE;
    const wchar_t* p = text;
    // One integer, ended by the end of the text or by one space or comma (consumed).
    auto readInt = [&p](LONG& out) {
        while (*p == L' ')
            ++p;
        bool negative = false;
        if (*p == L'-') {
            negative = true;
            ++p;
        }
        if (*p < L'0' || *p > L'9')
            return false;
        long long value = 0;
        while (*p >= L'0' && *p <= L'9') {
            value = value * 10 + (*p - L'0');
            if (value > 0x7FFFFFFF)
                return false;
            ++p;
        }
        if (*p == L' ' || *p == L',')
            ++p;
        else if (*p != 0)
            return false;
        out = static_cast<LONG>(negative ? -value : value);
        return true;
    };
    std::vector<POINT> parsed;
    while (*p) {
        POINT point = {};
        if (!readInt(point.x) || !readInt(point.y))
            return FALSE;
        parsed.push_back(point);
        while (*p == L' ')
            ++p;
    }
    points = std::move(parsed);
    return TRUE;
}

CXTPMarkupObject* CXTPMarkupPointCollection::ConvertFrom(CXTPMarkupBuilder*, CXTPMarkupObject* object) const
{
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(object);
    if (!text)
        return nullptr;
    std::vector<POINT> points;
    if (!Parse(text->GetBuffer(), points))
        return nullptr;
    return new CXTPMarkupPointCollection(std::move(points));
}

// ---- Shape

void CXTPMarkupShape::RegisterMarkupClass()
{
    CXTPMarkupType* owner = MarkupType();
    auto add = [owner](const wchar_t* name, CXTPMarkupType* type, Metadata* metadata) {
        return CXTPMarkupDependencyProperty::RegisterProperty(name, type, owner, metadata);
    };
    m_pFillProperty = add(L"Fill", CXTPMarkupBrush::MarkupType(), new Metadata(nullptr, Metadata::flagAffectsRender));
    m_pStrokeProperty =
        add(L"Stroke", CXTPMarkupBrush::MarkupType(), new Metadata(nullptr, Metadata::flagAffectsRender));
    m_pStrokeThicknessProperty =
        add(L"StrokeThickness", CXTPMarkupInt::MarkupType(), new Metadata(nullptr, Metadata::flagAffectsRender));
    m_pStretchProperty = add(L"Stretch", CXTPMarkupEnum::MarkupType(),
                             new Metadata(CreateMarkupEnum(0), &MarkupConvertStretch, Metadata::flagAffectsRender));
    m_pStrokeDashArrayProperty = add(L"StrokeDashArray", CXTPMarkupDoubleCollection::MarkupType(),
                                     new Metadata(nullptr, Metadata::flagAffectsMeasure));
    m_pStrokeStartLineCapProperty =
        add(L"StrokeStartLineCap", CXTPMarkupEnum::MarkupType(),
            new Metadata(CreateMarkupEnum(0), &MarkupConvertLineCap, Metadata::flagAffectsRender));
    m_pStrokeEndLineCapProperty =
        add(L"StrokeEndLineCap", CXTPMarkupEnum::MarkupType(),
            new Metadata(CreateMarkupEnum(0), &MarkupConvertLineCap, Metadata::flagAffectsRender));
    m_pStrokeLineJoinProperty =
        add(L"StrokeLineJoin", CXTPMarkupEnum::MarkupType(),
            new Metadata(CreateMarkupEnum(0), &MarkupConvertLineJoin, Metadata::flagAffectsRender));
}

CXTPMarkupBrush* CXTPMarkupShape::GetFill() const
{
    return MarkupDynamicCast<CXTPMarkupBrush>(GetValue(m_pFillProperty));
}

CXTPMarkupBrush* CXTPMarkupShape::GetStroke() const
{
    return MarkupDynamicCast<CXTPMarkupBrush>(GetValue(m_pStrokeProperty));
}

void CXTPMarkupShape::SetFill(CXTPMarkupBrush* brush)
{
    SetValue(m_pFillProperty, brush);
}

void CXTPMarkupShape::SetStroke(CXTPMarkupBrush* brush)
{
    SetValue(m_pStrokeProperty, brush);
}

void CXTPMarkupShape::SetStrokeThickness(int thickness)
{
    SetValue(m_pStrokeThicknessProperty, new CXTPMarkupInt(thickness));
}

void CXTPMarkupShape::SetStretch(Stretch stretch)
{
    SetValue(m_pStretchProperty, CreateMarkupEnum(stretch));
}

CXTPMarkupShape::Stretch CXTPMarkupShape::GetStretch() const
{
    return static_cast<Stretch>(ReadEnum(this, m_pStretchProperty));
}

int CXTPMarkupShape::GetStrokeThickness() const
{
    return GetStroke() ? ReadInt(this, m_pStrokeThicknessProperty, 1) : 0;
}

void CXTPMarkupShape::GetStrokeStyle(CXTPMarkupStrokeStyle* style) const
{
    style->nStrokeThickness = GetStrokeThickness();
    style->pStrokeBrush = GetStroke();
    style->pStrokeDashArray = MarkupDynamicCast<CXTPMarkupDoubleCollection>(GetValue(m_pStrokeDashArrayProperty));
    style->nStrokeStartLineCap = ReadEnum(this, m_pStrokeStartLineCapProperty);
    style->nStrokeEndLineCap = ReadEnum(this, m_pStrokeEndLineCapProperty);
    style->nStrokeLineJoin = ReadEnum(this, m_pStrokeLineJoinProperty);
}

SIZE CXTPMarkupShape::ApplyStretch(SIZE size, int availableWidth, int availableHeight) const
{
    if (GetStretch() == stretchNone)
        return size;
    if (!IsMarkupUnbounded(availableWidth))
        size.cx = availableWidth;
    if (!IsMarkupUnbounded(availableHeight))
        size.cy = availableHeight;
    return size;
}

SIZE CXTPMarkupShape::SizeFromBounds(const RECT& bounds)
{
    return SIZE{std::max(bounds.right, bounds.right - bounds.left), std::max(bounds.bottom, bounds.bottom - bounds.top)};
}

// ---- Rectangle

void CXTPMarkupRectangle::RegisterMarkupClass()
{
    m_pRadiusXProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"RadiusX", CXTPMarkupInt::MarkupType(), MarkupType(), new Metadata(nullptr, Metadata::flagAffectsRender));
    m_pRadiusYProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"RadiusY", CXTPMarkupInt::MarkupType(), MarkupType(), new Metadata(nullptr, Metadata::flagAffectsRender));
}

void CXTPMarkupRectangle::SetRadiusX(int radius)
{
    SetValue(m_pRadiusXProperty, new CXTPMarkupInt(radius));
}

void CXTPMarkupRectangle::SetRadiusY(int radius)
{
    SetValue(m_pRadiusYProperty, new CXTPMarkupInt(radius));
}

SIZE CXTPMarkupRectangle::MeasureOverride(CXTPMarkupDrawingContext*, int availableWidth, int availableHeight)
{
    return ApplyStretch(SIZE{0, 0}, availableWidth, availableHeight);
}

void CXTPMarkupRectangle::OnRender(CXTPMarkupDrawingContext* dc)
{
    CXTPMarkupBrush* stroke = GetStroke();
    CXTPMarkupBrush* fill = GetFill();
    const int w = m_szRenderSize.cx;
    const int h = m_szRenderSize.cy;
    if ((!stroke && !fill) || w == 0 || h == 0)
        return;
    const int t = GetStrokeThickness();
    double rx = ReadInt(this, m_pRadiusXProperty);
    double ry = ReadInt(this, m_pRadiusYProperty);
    rx = std::min(rx, (w - t) * 0.5);
    ry = std::min(ry, (h - t) * 0.5);
    CXTPMarkupCornerRadii radii;
    const bool rounded = rx > 0 && ry > 0;
    if (rounded) {
        const double values[8] = {ry, rx, rx, ry, ry, rx, rx, ry};
        std::copy(values, values + 8, radii.radii);
    }
    if (fill)
        dc->FillRectangle(t / 2, t / 2, w - t / 2, h - t / 2, fill, rounded ? &radii : nullptr);
    if (t > 0) {
        CXTPMarkupThickness* thickness = new CXTPMarkupThickness(t);
        dc->DrawFrame(0, 0, w, h, stroke, thickness, rounded ? &radii : nullptr);
        thickness->Release();
    }
}

// ---- Ellipse

SIZE CXTPMarkupEllipse::MeasureOverride(CXTPMarkupDrawingContext*, int availableWidth, int availableHeight)
{
    return ApplyStretch(SIZE{0, 0}, availableWidth, availableHeight);
}

void CXTPMarkupEllipse::OnRender(CXTPMarkupDrawingContext* dc)
{
    CXTPMarkupBrush* fill = GetFill();
    if (!GetStroke() && !fill)
        return;
    CXTPMarkupStrokeStyle stroke;
    GetStrokeStyle(&stroke);
    dc->DrawEllipse(0, 0, m_szRenderSize.cx, m_szRenderSize.cy, &stroke, fill);
}

CXTPMarkupInputElement* CXTPMarkupEllipse::InputHitTestOverride(int x, int y) const
{
    CXTPMarkupEllipse* self = const_cast<CXTPMarkupEllipse*>(this);
    const int w = m_szRenderSize.cx;
    const int h = m_szRenderSize.cy;
    if (w < 1 || h < 1)
        return self;
    // Half axes in floating point: a one-pixel-wide ellipse has a half width of 0.5, not 0.
    const double a = w / 2.0;
    const double b = h / 2.0;
    const double dx = x - a;
    const double dy = y - b;
    return dx * dx / (a * a) + dy * dy / (b * b) <= 1.0 ? self : nullptr;
}

// ---- Line

void CXTPMarkupLine::RegisterMarkupClass()
{
    auto coordinate = [](const wchar_t* name) {
        return CXTPMarkupDependencyProperty::RegisterProperty(name, CXTPMarkupInt::MarkupType(), MarkupType(),
                                                              new Metadata(nullptr, Metadata::flagAffectsMeasure));
    };
    m_pX1Property = coordinate(L"X1");
    m_pY1Property = coordinate(L"Y1");
    m_pX2Property = coordinate(L"X2");
    m_pY2Property = coordinate(L"Y2");
}

void CXTPMarkupLine::SetPoints(int x1, int y1, int x2, int y2)
{
    SetValue(m_pX1Property, new CXTPMarkupInt(x1));
    SetValue(m_pY1Property, new CXTPMarkupInt(y1));
    SetValue(m_pX2Property, new CXTPMarkupInt(x2));
    SetValue(m_pY2Property, new CXTPMarkupInt(y2));
}

SIZE CXTPMarkupLine::MeasureOverride(CXTPMarkupDrawingContext*, int availableWidth, int availableHeight)
{
    const int x1 = ReadInt(this, m_pX1Property), y1 = ReadInt(this, m_pY1Property);
    const int x2 = ReadInt(this, m_pX2Property), y2 = ReadInt(this, m_pY2Property);
    SIZE size = {std::max(x1, x2), std::max(y1, y2)};
    if (GetStroke()) {
        // A straight line still has the width of its pen across it.
        const int half = (GetStrokeThickness() + 1) / 2;
        if (x1 == x2)
            size.cx += half;
        if (y1 == y2)
            size.cy += half;
    }
    return ApplyStretch(size, availableWidth, availableHeight);
}

void CXTPMarkupLine::GetFittedPoints(int& x1, int& y1, int& x2, int& y2) const
{
    x1 = ReadInt(this, m_pX1Property);
    y1 = ReadInt(this, m_pY1Property);
    x2 = ReadInt(this, m_pX2Property);
    y2 = ReadInt(this, m_pY2Property);
    if (GetStretch() == stretchNone)
        return;
    auto fit = [](int& a, int& b, int length) {
        if (a == b) {
            a = b = length / 2;
        } else if (a > b) {
            a = length;
            b = 0;
        } else {
            a = 0;
            b = length;
        }
    };
    fit(x1, x2, m_szRenderSize.cx);
    fit(y1, y2, m_szRenderSize.cy);
}

void CXTPMarkupLine::OnRender(CXTPMarkupDrawingContext* dc)
{
    CXTPMarkupStrokeStyle stroke;
    GetStrokeStyle(&stroke);
    int x1, y1, x2, y2;
    GetFittedPoints(x1, y1, x2, y2);
    if (stroke.nStrokeThickness == 0 || (x1 == 0 && y1 == 0 && x2 == 0 && y2 == 0))
        return;
    dc->DrawLine(x1, y1, x2, y2, &stroke);
}

CXTPMarkupInputElement* CXTPMarkupLine::InputHitTestOverride(int x, int y) const
{
    const int thickness = GetStrokeThickness();
    if (!GetStroke() || thickness == 0)
        return nullptr;
    int x1, y1, x2, y2;
    GetFittedPoints(x1, y1, x2, y2);
    const double g = thickness * 0.5;
    if (x < std::min(x1, x2) - g || x > std::max(x1, x2) + g || y < std::min(y1, y2) - g || y > std::max(y1, y2) + g)
        return nullptr;
    CXTPMarkupLine* self = const_cast<CXTPMarkupLine*>(this);
    if (x1 == x2)
        return std::fabs(static_cast<double>(x - x1)) <= g ? self : nullptr;
    const double slope = static_cast<double>(y2 - y1) / (x2 - x1);
    const double distance = std::fabs(slope * (x - x1) - (y - y1));
    return distance <= std::fabs(g / std::cos(std::atan(slope))) ? self : nullptr;
}

// ---- Polyline and polygon

const CXTPMarkupPointCollection* CXTPMarkupPointsShape::GetPointsValue() const
{
    return MarkupDynamicCast<CXTPMarkupPointCollection>(GetValue(PointsProperty()));
}

void CXTPMarkupPointsShape::SetPointsValue(CXTPMarkupPointCollection* points)
{
    SetValue(PointsProperty(), points);
}

SIZE CXTPMarkupPointsShape::MeasurePoints(int availableWidth, int availableHeight, BOOL strokeWidensFlat) const
{
    const CXTPMarkupPointCollection* points = GetPointsValue();
    if (!points)
        return SIZE{0, 0};
    SIZE size = SizeFromBounds(points->GetBounds());
    if (strokeWidensFlat && GetStroke()) {
        const int half = (GetStrokeThickness() + 1) / 2;
        if (size.cx == 0)
            size.cx = half;
        if (size.cy == 0)
            size.cy = half;
    }
    return ApplyStretch(size, availableWidth, availableHeight);
}

BOOL CXTPMarkupPointsShape::GetFittedPoints(std::vector<POINT>& points) const
{
    const CXTPMarkupPointCollection* collection = GetPointsValue();
    if (!collection)
        return FALSE;
    points = collection->GetPoints();
    const RECT bounds = collection->GetBounds();
    if (GetStretch() == stretchNone || (bounds.left == bounds.right && bounds.top == bounds.bottom))
        return TRUE;
    // Every Stretch other than None fits the points to the box, each axis on its own.
    const LONG spanX = bounds.right - bounds.left;
    const LONG spanY = bounds.bottom - bounds.top;
    for (POINT& point : points) {
        if (spanX != 0)
            point.x = static_cast<LONG>(static_cast<long long>(point.x - bounds.left) * m_szRenderSize.cx / spanX);
        if (spanY != 0)
            point.y = static_cast<LONG>(static_cast<long long>(point.y - bounds.top) * m_szRenderSize.cy / spanY);
    }
    return TRUE;
}

void CXTPMarkupPolyline::RegisterMarkupClass()
{
    m_pPointsProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Points", CXTPMarkupPointCollection::MarkupType(), MarkupType(),
        new Metadata(nullptr, Metadata::flagAffectsMeasure));
}

SIZE CXTPMarkupPolyline::MeasureOverride(CXTPMarkupDrawingContext*, int availableWidth, int availableHeight)
{
    return MeasurePoints(availableWidth, availableHeight, TRUE);
}

void CXTPMarkupPolyline::OnRender(CXTPMarkupDrawingContext* dc)
{
    CXTPMarkupStrokeStyle stroke;
    GetStrokeStyle(&stroke);
    std::vector<POINT> points;
    if (stroke.nStrokeThickness == 0 || !GetFittedPoints(points) || points.empty())
        return;
    dc->DrawPolyline(points.data(), static_cast<int>(points.size()), &stroke);
}

void CXTPMarkupPolygon::RegisterMarkupClass()
{
    m_pPointsProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Points", CXTPMarkupPointCollection::MarkupType(), MarkupType(),
        new Metadata(nullptr, Metadata::flagAffectsMeasure));
}

SIZE CXTPMarkupPolygon::MeasureOverride(CXTPMarkupDrawingContext*, int availableWidth, int availableHeight)
{
    return MeasurePoints(availableWidth, availableHeight, FALSE);
}

void CXTPMarkupPolygon::OnRender(CXTPMarkupDrawingContext* dc)
{
    CXTPMarkupBrush* fill = GetFill();
    if (!GetStroke() && !fill)
        return;
    CXTPMarkupStrokeStyle stroke;
    GetStrokeStyle(&stroke);
    std::vector<POINT> points;
    if (!GetFittedPoints(points) || points.empty())
        return;
    dc->DrawPolygon(points.data(), static_cast<int>(points.size()), &stroke, fill);
}

// ---- Path

void CXTPMarkupPath::RegisterMarkupClass()
{
    m_pDataProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Data", CXTPMarkupPathGeometry::MarkupType(), MarkupType(),
        new Metadata(nullptr, Metadata::flagAffectsMeasure));
}

CXTPMarkupPathGeometry* CXTPMarkupPath::GetData() const
{
    return MarkupDynamicCast<CXTPMarkupPathGeometry>(GetValue(m_pDataProperty));
}

void CXTPMarkupPath::SetData(CXTPMarkupPathGeometry* geometry)
{
    SetValue(m_pDataProperty, geometry);
}

SIZE CXTPMarkupPath::MeasureOverride(CXTPMarkupDrawingContext*, int availableWidth, int availableHeight)
{
    const CXTPMarkupPathGeometry* geometry = GetData();
    if (!geometry)
        return SIZE{0, 0};
    return ApplyStretch(SizeFromBounds(geometry->GetBounds()), availableWidth, availableHeight);
}

CXTPMarkupPathGeometry* CXTPMarkupPath::CreateScaledGeometry(const CXTPMarkupPathGeometry* geometry, int width,
                                                             int height)
{
    const RECT& bounds = geometry->GetBounds();
    const float spanX = static_cast<float>(bounds.right - bounds.left);
    const float spanY = static_cast<float>(bounds.bottom - bounds.top);
    std::vector<MARKUP_POINTF> points(geometry->GetPoints(), geometry->GetPoints() + geometry->GetPointCount());
    for (MARKUP_POINTF& point : points) {
        // A flat geometry has nothing to scale along that axis; dividing by its zero extent would
        // give infinities.
        if (spanX != 0)
            point.x = (point.x - bounds.left) * width / spanX;
        if (spanY != 0)
            point.y = (point.y - bounds.top) * height / spanY;
    }
    return new CXTPMarkupPathGeometry(points.data(), geometry->GetTypes(), geometry->GetPointCount(), 0);
}

void CXTPMarkupPath::OnRender(CXTPMarkupDrawingContext* dc)
{
    CXTPMarkupBrush* fill = GetFill();
    CXTPMarkupPathGeometry* geometry = GetData();
    if ((!GetStroke() && !fill) || !geometry)
        return;
    CXTPMarkupStrokeStyle stroke;
    GetStrokeStyle(&stroke);
    if (GetStretch() == stretchNone) {
        dc->DrawPath(geometry, &stroke, fill);
        return;
    }
    CXTPMarkupPathGeometry* scaled = CreateScaledGeometry(geometry, m_szRenderSize.cx, m_szRenderSize.cy);
    dc->DrawPath(scaled, &stroke, fill);
    scaled->Release();
}
