#pragma once
// Drawing of markup elements. A CXTPMarkupDrawingContext wraps a target DC (and an attribute DC
// for measuring, the same one unless a printer asks otherwise) and hands each operation to a back
// end: CXTPMarkupDeviceContext draws with GDI; CXTPMarkupGdiPlusDeviceContext draws fills,
// outlines, ellipses, polygons and paths with GDI+ (alpha, anti-aliasing, gradients) and falls
// back to GDI call by call whenever GDI+ is not running or cannot draw on the DC. Text, clipping
// and the drawing origin stay on GDI in both.
//
// GDI+ is loaded by name at run time and use-counted (MarkupGdiPlus::AddRef): the last user
// unloads it, a later one loads it again. Every GDI+ operation makes its own Graphics, so it always
// sees the DC's current origin and clip.
//
// Brush colours are 0xAABBGGRR; GDI uses the low 24 bits, GDI+ gets 0xAARRGGBB.

#include "toolkit/markup/XTPMarkupBrush.h"
#include "toolkit/markup/XTPMarkupPathGeometry.h"
#include "toolkit/markup/XTPMarkupThickness.h"

#include <vector>

// How an outline is drawn. The brush and dash array are lent, not counted.
struct CXTPMarkupStrokeStyle {
    int nStrokeThickness = 0;                       // drawn only above 0
    CXTPMarkupBrush* pStrokeBrush = nullptr;        // null: no outline
    CXTPMarkupDoubleCollection* pStrokeDashArray = nullptr;
    int nStrokeStartLineCap = 0;                    // 0 flat, 1 square, 2 round, 3 triangle
    int nStrokeEndLineCap = 0;
    int nStrokeLineJoin = 0;                        // 0 miter, 1 bevel, 2 round
};

// Where each corner curve begins, measured from the corner along its edge: top-left vertical,
// top-left horizontal, top-right horizontal, top-right vertical, bottom-right vertical,
// bottom-right horizontal, bottom-left horizontal, bottom-left vertical.
struct CXTPMarkupCornerRadii {
    double radii[8] = {};
};

// The process-wide GDI+ loader. Entry points are looked up by name once per load.
class MarkupGdiPlus {
public:
    // true: one more user (the first loads and starts GDI+); false: one user less (the last
    // shuts it down and frees the library).
    static void AddRef(bool add);
    static bool IsRunning();
    static int GetUseCount();
    // The entry point of that exported name, looked up on first use and kept; null when the
    // library is not loaded or lacks it.
    static FARPROC GetProc(int slot, const char* name);

    enum { maxEntries = 50 };
};

class CXTPMarkupContext;
class CXTPMarkupFont;

class CXTPMarkupDeviceContext {
public:
    // attributeDC null: the target measures too.
    CXTPMarkupDeviceContext(HDC target, HDC attributeDC);
    CXTPMarkupDeviceContext(const CXTPMarkupDeviceContext&) = delete;
    CXTPMarkupDeviceContext& operator=(const CXTPMarkupDeviceContext&) = delete;
    virtual ~CXTPMarkupDeviceContext() = default;

    // Moves the origin by an offset in logical units, scaled by the viewport and window extents
    // so that it is right under a scaling mapping mode too.
    virtual void OffsetViewport(int x, int y);
    virtual void DrawEllipse(const RECT& rc, const CXTPMarkupStrokeStyle* stroke, CXTPMarkupBrush* fill);
    virtual void DrawFrame(const RECT& rc, CXTPMarkupBrush* brush, const CXTPMarkupThickness* thickness);
    virtual void FillRectangle(const RECT& rc, CXTPMarkupBrush* brush);
    virtual void DrawLine(int x1, int y1, int x2, int y2, const CXTPMarkupStrokeStyle* stroke);
    virtual void Polyline(const POINT* points, int count, const CXTPMarkupStrokeStyle* stroke);
    virtual void Polygon(const POINT* points, int count, const CXTPMarkupStrokeStyle* stroke, CXTPMarkupBrush* fill);
    virtual void DrawPath(const CXTPMarkupPathGeometry* geometry, const CXTPMarkupStrokeStyle* stroke,
                          CXTPMarkupBrush* fill);
    virtual void FillRoundRectangle(const RECT& rc, CXTPMarkupBrush* brush, const CXTPMarkupCornerRadii* radii);
    virtual void DrawRoundFrame(const RECT& rc, CXTPMarkupBrush* brush, const CXTPMarkupThickness* thickness,
                                const CXTPMarkupCornerRadii* radii);
    virtual void DrawTextLine(const wchar_t* text, int length, const RECT& rc);
    virtual SIZE MeasureString(const wchar_t* text, int length);
    virtual void SetTextColor(CXTPMarkupBrush* brush);
    // Selects the font into the target and the attribute DC; the first call keeps the font the DC
    // had. Null selects that font back and forgets it.
    virtual void SetTextFont(CXTPMarkupFont* font);
    virtual void IntersectClipRect(const RECT& rc);
    virtual void GetClipBox(RECT& rc);
    // The DC's clip region (the caller owns it), or (HRGN)-1 when the DC has none.
    virtual HRGN GetClipRegion();
    // 0: nothing; (HRGN)-1: no clipping; any other region is selected and deleted.
    virtual void SelectClipRegion(HRGN region);
    virtual HDC GetDC() { return m_hDC; }
    virtual void ReleaseDC(HDC) {}

    HDC GetAttributeDC() const { return m_hAttribDC; }

protected:
    HDC m_hDC;        // not owned
    HDC m_hAttribDC;  // not owned
    SIZE m_szWindowExt = {1, 1};
    SIZE m_szViewportExt = {1, 1};
    HFONT m_hSavedFont = nullptr;  // the attribute DC's own font, while a markup font is selected

private:
    // The characters to output and their advances, so that a line drawn on the target ends where
    // the attribute DC measured it.
    void DrawTextWithAttributeAdvances(const wchar_t* text, int length, const RECT& rc);
};

class CXTPMarkupGdiPlusDeviceContext : public CXTPMarkupDeviceContext {
public:
    using CXTPMarkupDeviceContext::CXTPMarkupDeviceContext;

    void DrawEllipse(const RECT& rc, const CXTPMarkupStrokeStyle* stroke, CXTPMarkupBrush* fill) override;
    void DrawFrame(const RECT& rc, CXTPMarkupBrush* brush, const CXTPMarkupThickness* thickness) override;
    void FillRectangle(const RECT& rc, CXTPMarkupBrush* brush) override;
    void DrawLine(int x1, int y1, int x2, int y2, const CXTPMarkupStrokeStyle* stroke) override;
    void Polyline(const POINT* points, int count, const CXTPMarkupStrokeStyle* stroke) override;
    void Polygon(const POINT* points, int count, const CXTPMarkupStrokeStyle* stroke, CXTPMarkupBrush* fill) override;
    void DrawPath(const CXTPMarkupPathGeometry* geometry, const CXTPMarkupStrokeStyle* stroke,
                  CXTPMarkupBrush* fill) override;

    // A GDI+ Graphics over the target (null when GDI+ is not running or cannot draw here); every
    // operation deletes its own before it returns.
    virtual void* CreateGraphics();
    virtual void DeleteGraphics(void* graphics);
};

class CXTPMarkupDrawingContext {
public:
    // Draws on target and measures on attributeDC (null: the target), with the GDI+ back end
    // unless useGdiPlus is FALSE.
    CXTPMarkupDrawingContext(HDC target, HDC attributeDC = nullptr, BOOL useGdiPlus = TRUE);
    // The measuring context: a memory DC compatible with the screen, owned.
    CXTPMarkupDrawingContext();
    // A context for a markup context's documents: GDI+ unless that context switched it off (a
    // null markup context keeps GDI+). attributeDC null: the target measures too.
    CXTPMarkupDrawingContext(CXTPMarkupContext* context, HDC target, HDC attributeDC);
    // The measuring context of a markup context's documents.
    explicit CXTPMarkupDrawingContext(CXTPMarkupContext* context);
    CXTPMarkupDrawingContext(const CXTPMarkupDrawingContext&) = delete;
    CXTPMarkupDrawingContext& operator=(const CXTPMarkupDrawingContext&) = delete;
    virtual ~CXTPMarkupDrawingContext();

    virtual BOOL IsRemeasureForced() const { return FALSE; }
    virtual void DrawTextLine(const wchar_t* text, int length, const RECT& rc);

    void OffsetViewport(const POINT& offset);
    void IntersectClipRect(const RECT& rc);
    HRGN GetClipRegion();
    void SelectClipRegion(HRGN region);
    const RECT& GetClipBox() const { return m_rcClipBox; }

    void FillRectangle(int left, int top, int right, int bottom, CXTPMarkupBrush* brush,
                       const CXTPMarkupCornerRadii* radii = nullptr);
    void DrawFrame(int left, int top, int right, int bottom, CXTPMarkupBrush* brush,
                   const CXTPMarkupThickness* thickness, const CXTPMarkupCornerRadii* radii = nullptr);
    void DrawFrame(int left, int top, int right, int bottom, CXTPMarkupBrush* brush);
    void FillSolidRect(int left, int top, int right, int bottom, COLORREF color);
    void DrawLine(int x1, int y1, int x2, int y2, const CXTPMarkupStrokeStyle* stroke);
    void DrawPolyline(const POINT* points, int count, const CXTPMarkupStrokeStyle* stroke);
    void DrawPolygon(const POINT* points, int count, const CXTPMarkupStrokeStyle* stroke, CXTPMarkupBrush* fill);
    void DrawEllipse(int left, int top, int right, int bottom, const CXTPMarkupStrokeStyle* stroke,
                     CXTPMarkupBrush* fill);
    void DrawPath(const CXTPMarkupPathGeometry* geometry, const CXTPMarkupStrokeStyle* stroke, CXTPMarkupBrush* fill);
    SIZE GetTextExtent(const wchar_t* text, int length);
    void SetTextColor(CXTPMarkupBrush* brush);
    // Selects a cached markup font (null: the DC's own font again); keeps one reference to it.
    void SetFont(CXTPMarkupFont* font);
    CXTPMarkupFont* GetFont() const { return m_pFont; }

    HDC GetDC() { return m_pDeviceContext->GetDC(); }
    void ReleaseDC(HDC dc) { m_pDeviceContext->ReleaseDC(dc); }
    CXTPMarkupDeviceContext* GetDeviceContext() const { return m_pDeviceContext; }

    // Window containers move their windows through this when a creator sets it.
    HDWP m_hDWP = nullptr;

private:
    void Init(BOOL useGdiPlus);
    void ReadClipBox();

    HDC m_hDC;
    HDC m_hAttribDC;
    CXTPMarkupFont* m_pFont = nullptr;  // one reference
    RECT m_rcClipBox = {};
    BOOL m_bOwnsDC = FALSE;
    CXTPMarkupDeviceContext* m_pDeviceContext = nullptr; // owned
};

// A gradient stop as the back ends use it: sorted by offset, equal offsets in written order.
struct MarkupSortedStop {
    DWORD color;   // 0xAABBGGRR
    double offset;
    int index;     // position in the brush's collection
};
std::vector<MarkupSortedStop> SortMarkupGradientStops(const CXTPMarkupLinearGradientBrush* brush);

// StartPoint and EndPoint as fractions, (0, 0) and (1, 1) when not set.
struct MarkupGradientLine {
    double startX, startY, endX, endY;
};
MarkupGradientLine GetMarkupGradientLine(const CXTPMarkupLinearGradientBrush* brush);

// Makes the 32-bit bottom-up DIB section that the software gradient computes its pixels in; null,
// or no bits, when it cannot. The default is the image manager's CreateAlphaDibSection; tests pass
// their own to see the size asked for and to make it fail.
using MarkupGradientDibFactory = HBITMAP (*)(HDC dc, int width, int height, void** bits);

// Fills a rectangle of the DC with a linear gradient in software: stops sorted by offset (stable),
// only the part inside the clip box computed (the DIB is no larger than that part), one BitBlt.
// Nothing without stops, for an empty rectangle, when StartPoint and EndPoint coincide, or when the
// DIB cannot be made.
void FillMarkupGradientRect(HDC dc, const RECT& rc, const CXTPMarkupLinearGradientBrush* brush,
                            MarkupGradientDibFactory makeDib = nullptr);
