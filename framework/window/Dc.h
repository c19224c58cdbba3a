#pragma once
// CDC: one owner of a device context. A context made by CreateCompatibleDC, CreateDC or Attach is
// deleted with its wrapper (DeleteDC); Detach hands it on. FromHandle answers the owning wrapper
// or a temporary one (the rules of temporaries are those of Gdi.h).

#include "framework/window/Gdi.h"

class CWnd;

class CDC : public CObject {
    DECLARE_DYNCREATE(CDC)
public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    ~CDC() override;    // DeleteDC of an owned context

    HDC m_hDC = nullptr;          // output context
    HDC m_hAttribDC = nullptr;    // attribute context; the same as m_hDC here

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }

    static CDC* PASCAL FromHandle(HDC handle);
    static void PASCAL DeleteTempMap();

    BOOL Attach(HDC handle);
    HDC Detach();
    BOOL CreateDC(const wchar_t* driver, const wchar_t* device, const wchar_t* output,
                  const DEVMODEW* initData);
    BOOL CreateIC(const wchar_t* driver, const wchar_t* device, const wchar_t* output,
                  const DEVMODEW* initData);
    // Memory context compatible with dc (the screen when null).
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();

    // State
    int SaveDC();
    BOOL RestoreDC(int savedDC);    // -1: the last saved state
    int GetDeviceCaps(int index) const;

    // Selection: each answers the object that was selected before (its owning wrapper, or a
    // temporary one; null when the selection failed).
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    virtual CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    int SelectObject(CRgn* region);    // region type, or ERROR
    CGdiObject* SelectObject(CGdiObject* object);
    HGDIOBJ SelectObject(HGDIOBJ object);
    virtual CGdiObject* SelectStockObject(int index);
    CPen* GetCurrentPen() const;
    CBrush* GetCurrentBrush() const;
    CFont* GetCurrentFont() const;
    CBitmap* GetCurrentBitmap() const;

    // Colours and modes
    COLORREF GetBkColor() const;
    virtual COLORREF SetBkColor(COLORREF color);
    int GetBkMode() const;
    int SetBkMode(int mode);
    COLORREF GetTextColor() const;
    virtual COLORREF SetTextColor(COLORREF color);
    int GetROP2() const;
    int SetROP2(int drawMode);
    int GetPolyFillMode() const;
    int SetPolyFillMode(int mode);
    int GetStretchBltMode() const;
    int SetStretchBltMode(int mode);
    int GetMapMode() const;
    int SetMapMode(int mode);
    UINT GetTextAlign() const;
    UINT SetTextAlign(UINT flags);

    // Coordinates
    POINT GetViewportOrg() const;
    POINT SetViewportOrg(int x, int y);
    POINT SetViewportOrg(POINT point);
    POINT OffsetViewportOrg(int dx, int dy);
    POINT GetWindowOrg() const;
    POINT SetWindowOrg(int x, int y);
    POINT SetWindowOrg(POINT point);
    POINT OffsetWindowOrg(int dx, int dy);
    void DPtoLP(LPPOINT points, int count = 1) const;
    void DPtoLP(LPRECT rect) const;
    void LPtoDP(LPPOINT points, int count = 1) const;
    void LPtoDP(LPRECT rect) const;

    // Clipping
    int GetClipBox(LPRECT rect) const;
    int SelectClipRgn(CRgn* region);    // null removes the clipping region
    int SelectClipRgn(CRgn* region, int mode);
    int ExcludeClipRect(int x1, int y1, int x2, int y2);
    int ExcludeClipRect(LPCRECT rect);
    int IntersectClipRect(int x1, int y1, int x2, int y2);
    int IntersectClipRect(LPCRECT rect);
    int OffsetClipRgn(int dx, int dy);
    BOOL PtVisible(int x, int y) const;
    BOOL RectVisible(LPCRECT rect) const;

    // Lines and shapes
    POINT GetCurrentPosition() const;
    POINT MoveTo(int x, int y);
    POINT MoveTo(POINT point);
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT point);
    BOOL Polyline(const POINT* points, int count);
    BOOL Polygon(const POINT* points, int count);
    BOOL Rectangle(int x1, int y1, int x2, int y2);
    BOOL Rectangle(LPCRECT rect);
    BOOL RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    BOOL Ellipse(int x1, int y1, int x2, int y2);
    BOOL Ellipse(LPCRECT rect);
    void FillRect(LPCRECT rect, CBrush* brush);
    void FrameRect(LPCRECT rect, CBrush* brush);
    void InvertRect(LPCRECT rect);
    BOOL FillRgn(CRgn* region, CBrush* brush);
    BOOL FrameRgn(CRgn* region, CBrush* brush, int width, int height);
    BOOL PaintRgn(CRgn* region);
    void DrawFocusRect(LPCRECT rect);
    BOOL DrawEdge(LPRECT rect, UINT edge, UINT flags);
    BOOL DrawFrameControl(LPRECT rect, UINT type, UINT state);
    BOOL DrawIcon(int x, int y, HICON icon);
    BOOL DrawIcon(POINT point, HICON icon);

    // Fills the rectangle with one colour. Unlike a bare ExtTextOut fill, the context's
    // background colour is left as it was.
    void FillSolidRect(LPCRECT rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    // One-pixel frame: top and left edges in topLeft, bottom and right edges in bottomRight
    // (the top-right and bottom-left corner pixels belong to the bottom-right colour).
    void Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);

    // Pixels and blocks
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(POINT point) const;
    COLORREF SetPixel(int x, int y, COLORREF color);
    BOOL SetPixelV(int x, int y, COLORREF color);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, DWORD rop);

    // Text
    BOOL TextOut(int x, int y, const wchar_t* text, int count);
    BOOL TextOut(int x, int y, const CString& text);
    BOOL ExtTextOut(int x, int y, UINT options, LPCRECT rect, const wchar_t* text, UINT count,
                    const int* widths);
    BOOL ExtTextOut(int x, int y, UINT options, LPCRECT rect, const CString& text,
                    const int* widths);
    int DrawText(const wchar_t* text, int count, LPRECT rect, UINT format);
    int DrawText(const CString& text, LPRECT rect, UINT format);
    SIZE GetTextExtent(const wchar_t* text, int count) const;
    SIZE GetTextExtent(const CString& text) const;
    BOOL GetTextMetrics(TEXTMETRICW* metrics) const;
    int GetTextFace(int count, wchar_t* faceName) const;
    int GetTextFace(CString& faceName) const;

    // The process-wide 50% grey checkerboard brush (alternate pixels), made on first use and kept
    // until exit; used for drag feedback with PATINVERT.
    static CBrush* PASCAL GetHalftoneBrush();
};

// The contexts of a window, each held for the wrapper's lifetime. They are the wrapper's
// permanent objects while they live (FromHandle answers them) and go back to the system with it;
// a context that cannot be had throws a resource exception.

// The paint context of a WM_PAINT handler: BeginPaint in the constructor, EndPaint in the
// destructor, which also validates the update region.
class CPaintDC : public CDC {
    DECLARE_DYNAMIC(CPaintDC)
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;

    HWND m_hWnd = nullptr;
    PAINTSTRUCT m_ps = {};    // m_ps.rcPaint: what needs painting, in client coordinates
};

// The client area's context (GetDC; the screen's for a null window), released with the wrapper.
class CClientDC : public CDC {
    DECLARE_DYNAMIC(CClientDC)
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

    HWND m_hWnd = nullptr;
};

// The whole window's context, frame included (GetWindowDC; the screen's for a null window).
class CWindowDC : public CDC {
    DECLARE_DYNAMIC(CWindowDC)
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;

    HWND m_hWnd = nullptr;
};
