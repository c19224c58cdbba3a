#pragma once
// Shapes: framework elements that draw one figure with an optional fill and an outline
// (rectangles, ellipses, lines, polylines, polygons and paths), and the point lists of "Points".
// A shape keeps no drawing state: each render works out its stroke style and any fitted points or
// scaled geometry afresh and frees them at once.

#include "toolkit/markup/XTPMarkupFrameworkElement.h"

#include <vector>

class CXTPMarkupBrush;
class CXTPMarkupPathGeometry;
struct CXTPMarkupStrokeStyle;

// Integer points written "0,0 10,10 10,0" or "0 0, 10 10": integers only, separated by one space
// or comma.
class CXTPMarkupPointCollection : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupPointCollection)
public:
    CXTPMarkupPointCollection() = default;
    explicit CXTPMarkupPointCollection(std::vector<POINT> points);

    const std::vector<POINT>& GetPoints() const { return m_arrPoints; }
    int GetCount() const { return static_cast<int>(m_arrPoints.size()); }
    // Smallest and largest x and y; empty without points.
    const RECT& GetBounds() const { return m_rcBounds; }

    CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const override;
    // The grammar itself; false (points untouched) for bad text.
    static BOOL Parse(const wchar_t* text, std::vector<POINT>& points);

protected:
    std::vector<POINT> m_arrPoints;
    RECT m_rcBounds = {0, 0, 0, 0};
};

class CXTPMarkupShape : public CXTPMarkupFrameworkElement {
    DECLARE_MARKUPCLASS(CXTPMarkupShape)
public:
    enum Stretch { stretchNone = 0, stretchFill = 1, stretchUniform = 2, stretchUniformToFill = 3 };

    CXTPMarkupShape() = default;

    CXTPMarkupBrush* GetFill() const;
    CXTPMarkupBrush* GetStroke() const;
    // Each takes over the reference.
    void SetFill(CXTPMarkupBrush* brush);
    void SetStroke(CXTPMarkupBrush* brush);
    void SetStrokeThickness(int thickness);
    void SetStretch(Stretch stretch);
    Stretch GetStretch() const;
    // "StrokeThickness" (1 when unset) with a stroke, else 0.
    int GetStrokeThickness() const;
    void GetStrokeStyle(CXTPMarkupStrokeStyle* style) const;

    static CXTPMarkupDependencyProperty* m_pFillProperty;
    static CXTPMarkupDependencyProperty* m_pStrokeProperty;
    static CXTPMarkupDependencyProperty* m_pStrokeThicknessProperty;
    static CXTPMarkupDependencyProperty* m_pStretchProperty;
    static CXTPMarkupDependencyProperty* m_pStrokeDashArrayProperty;
    static CXTPMarkupDependencyProperty* m_pStrokeStartLineCapProperty;
    static CXTPMarkupDependencyProperty* m_pStrokeEndLineCapProperty;
    static CXTPMarkupDependencyProperty* m_pStrokeLineJoinProperty;
    static void RegisterMarkupClass();

protected:
    // A measured size with Stretch: every constrained component of the available size replaces it.
    SIZE ApplyStretch(SIZE size, int availableWidth, int availableHeight) const;
    // The figure's size from its bounds: (max(r, r - l), max(b, b - t)).
    static SIZE SizeFromBounds(const RECT& bounds);
};

class CXTPMarkupRectangle : public CXTPMarkupShape {
    DECLARE_MARKUPCLASS(CXTPMarkupRectangle)
public:
    CXTPMarkupRectangle() = default;

    void SetRadiusX(int radius);
    void SetRadiusY(int radius);

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    void OnRender(CXTPMarkupDrawingContext* dc) override;

    static CXTPMarkupDependencyProperty* m_pRadiusXProperty;
    static CXTPMarkupDependencyProperty* m_pRadiusYProperty;
    static void RegisterMarkupClass();
};

class CXTPMarkupEllipse : public CXTPMarkupShape {
    DECLARE_MARKUPCLASS(CXTPMarkupEllipse)
public:
    CXTPMarkupEllipse() = default;

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    void OnRender(CXTPMarkupDrawingContext* dc) override;
    CXTPMarkupInputElement* InputHitTestOverride(int x, int y) const override;
};

class CXTPMarkupLine : public CXTPMarkupShape {
    DECLARE_MARKUPCLASS(CXTPMarkupLine)
public:
    CXTPMarkupLine() = default;

    void SetPoints(int x1, int y1, int x2, int y2);

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    void OnRender(CXTPMarkupDrawingContext* dc) override;
    CXTPMarkupInputElement* InputHitTestOverride(int x, int y) const override;

    static CXTPMarkupDependencyProperty* m_pX1Property;
    static CXTPMarkupDependencyProperty* m_pY1Property;
    static CXTPMarkupDependencyProperty* m_pX2Property;
    static CXTPMarkupDependencyProperty* m_pY2Property;
    static void RegisterMarkupClass();

protected:
    // X1, Y1, X2, Y2, fitted to the render size when Stretch is not None.
    void GetFittedPoints(int& x1, int& y1, int& x2, int& y2) const;
};

// What polylines and polygons share: the "Points" list and its fitting to the render size.
class CXTPMarkupPointsShape : public CXTPMarkupShape {
public:
    const CXTPMarkupPointCollection* GetPointsValue() const;
    // Takes over the reference.
    void SetPointsValue(CXTPMarkupPointCollection* points);

protected:
    virtual CXTPMarkupDependencyProperty* PointsProperty() const = 0;
    SIZE MeasurePoints(int availableWidth, int availableHeight, BOOL strokeWidensFlat) const;
    // The points fitted to the render size when Stretch is not None; false without "Points".
    BOOL GetFittedPoints(std::vector<POINT>& points) const;
};

class CXTPMarkupPolyline : public CXTPMarkupPointsShape {
    DECLARE_MARKUPCLASS(CXTPMarkupPolyline)
public:
    CXTPMarkupPolyline() = default;

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    void OnRender(CXTPMarkupDrawingContext* dc) override;

    static CXTPMarkupDependencyProperty* m_pPointsProperty;
    static void RegisterMarkupClass();

protected:
    CXTPMarkupDependencyProperty* PointsProperty() const override { return m_pPointsProperty; }
};

class CXTPMarkupPolygon : public CXTPMarkupPointsShape {
    DECLARE_MARKUPCLASS(CXTPMarkupPolygon)
public:
    CXTPMarkupPolygon() = default;

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    void OnRender(CXTPMarkupDrawingContext* dc) override;

    static CXTPMarkupDependencyProperty* m_pPointsProperty;
    static void RegisterMarkupClass();

protected:
    CXTPMarkupDependencyProperty* PointsProperty() const override { return m_pPointsProperty; }
};

class CXTPMarkupPath : public CXTPMarkupShape {
    DECLARE_MARKUPCLASS(CXTPMarkupPath)
public:
    CXTPMarkupPath() = default;

    CXTPMarkupPathGeometry* GetData() const;
    // Takes over the reference.
    void SetData(CXTPMarkupPathGeometry* geometry);

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    void OnRender(CXTPMarkupDrawingContext* dc) override;

    // The geometry scaled into width x height (one reference). An axis along which the geometry
    // has no extent keeps its coordinates.
    static CXTPMarkupPathGeometry* CreateScaledGeometry(const CXTPMarkupPathGeometry* geometry, int width,
                                                        int height);

    static CXTPMarkupDependencyProperty* m_pDataProperty;
    static void RegisterMarkupClass();
};

// The cap and join words of the stroke ("Flat", "Square", "Round", "Triangle"; "Miter", "Bevel",
// "Round") in any letter case; null for other words.
CXTPMarkupObject* MarkupConvertLineCap(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
CXTPMarkupObject* MarkupConvertLineJoin(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
