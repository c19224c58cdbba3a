#pragma once
// Path geometries: immutable lists of figures (start points, lines and cubic Bezier curves, open
// or closed) as a Path's "Data" holds them and as the device contexts build rounded rectangles.
// The path builder assembles both; it also reads the path-data text ("M 0 0 h 10 v 10 z").

#include "toolkit/markup/XTPMarkupObject.h"

#include <vector>

struct MARKUP_POINTF {
    float x;
    float y;
};

class CXTPMarkupPathGeometry : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupPathGeometry)
public:
    enum : BYTE {
        typeStart = 0,
        typeLine = 1,
        typeBezier = 3,      // in threes: two control points and the end point
        typeMask = 0x07,
        typeCloseFigure = 0x80, // on the last point of a closed figure
    };

    CXTPMarkupPathGeometry() = default;
    // Copies the points and types and computes the bounds.
    CXTPMarkupPathGeometry(const MARKUP_POINTF* points, const BYTE* types, int count, int pixelOffsetHint = 0);

    int GetPointCount() const { return static_cast<int>(m_points.size()); }
    const MARKUP_POINTF* GetPoints() const { return m_points.data(); }
    const BYTE* GetTypes() const { return m_types.data(); }
    // Floor of the smallest and ceiling of the largest coordinates; empty without points.
    const RECT& GetBounds() const { return m_rcBounds; }
    // 0 for parsed geometries (drawn as 4), 4 for rounded rectangles.
    int GetPixelOffsetHint() const { return m_nPixelOffsetHint; }

    // The geometry of a path-data string. Inside a build a bad text is the build error with the
    // position; outside one it gives null.
    CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const override;

private:
    std::vector<MARKUP_POINTF> m_points;
    std::vector<BYTE> m_types;
    RECT m_rcBounds = {};
    int m_nPixelOffsetHint = 0;
};

// Assembles a geometry figure by figure, by hand or from path-data text.
class CXTPMarkupPathGeometryBuilder {
public:
    CXTPMarkupPathGeometryBuilder() = default;
    CXTPMarkupPathGeometryBuilder(const CXTPMarkupPathGeometryBuilder&) = delete;
    CXTPMarkupPathGeometryBuilder& operator=(const CXTPMarkupPathGeometryBuilder&) = delete;

    void BeginFigure(float x, float y);
    void LineTo(float x, float y);
    void BezierTo(float x1, float y1, float x2, float y2, float x3, float y3);
    // A corner: the cubic Bezier (control, end, end).
    void CornerTo(float cx, float cy, float x, float y);
    // Marks the last point as closing its figure; nothing without points.
    void CloseFigure();
    // A new geometry (one reference) of the points so far.
    CXTPMarkupPathGeometry* CreateGeometry(int pixelOffsetHint = 0) const;

    // Parses path data. On bad text: with a builder, its exception ("Unexpected token encountered
    // at position '%i'", 0-based); without one, null.
    CXTPMarkupPathGeometry* Parse(CXTPMarkupBuilder* builder, const wchar_t* text, int length);

    // The index of the bad token after Parse gave null.
    int GetErrorPosition() const { return m_nErrorPosition; }

private:
    struct SyntaxError {};

    void Add(float x, float y, BYTE type);
    wchar_t SkipWhiteSpace();
    bool StartsNumber(wchar_t ch) const;
    float ReadNumber(bool allowComma);
    MARKUP_POINTF ReadPoint(bool allowComma, bool relative);
    bool MoreNumbers();
    void EnsureFigure();
    [[noreturn]] void Fail() const { throw SyntaxError(); }

    const wchar_t* m_pText = nullptr;
    int m_nLength = 0;
    int m_nIndex = 0;
    int m_nErrorPosition = -1;
    int m_nFillRule = 0; // read but not kept: geometries always fill alternate
    MARKUP_POINTF m_ptCurrent = {};
    MARKUP_POINTF m_ptLastControl = {};
    MARKUP_POINTF m_ptFigureStart = {};
    bool m_bFigureOpen = false;
    std::vector<MARKUP_POINTF> m_points;
    std::vector<BYTE> m_types;
};
