#pragma once
// Drawing objects: CGdiObject and its kinds (CPen, CBrush, CFont, CBitmap, CRgn) and the device
// context CDC.
//
// Ownership: a wrapper that created or attached a handle owns it and deletes it with itself
// (DeleteObject / DeleteDC); Detach hands the handle on. Handle maps: every owned handle is known
// by its wrapper ("permanent" object), so FromHandle and SelectObject answer the very object that
// was selected before. A handle that no wrapper owns gets a temporary wrapper of the right kind
// (chosen by GetObjectType), which never deletes the handle and lives until the thread's
// temporaries are released at idle time (DeleteTempMaps). A temporary must therefore not be kept
// across messages.
//
// Threads: GDI objects may be shared between threads (the toolkit caches drawing bitmaps), so the
// permanent map of GDI objects is process-wide under a lock; temporaries and the device-context
// maps are per thread, as device contexts are used by one thread.

#include "framework/Object.h"
#include "framework/String.h"

class CDC;

class CGdiObject : public CObject {
    DECLARE_DYNCREATE(CGdiObject)
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    ~CGdiObject() override;    // deletes an owned handle

    HGDIOBJ m_hObject = nullptr;

    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    // The wrapper that owns the handle, else a temporary one of the right kind; null for null.
    static CGdiObject* PASCAL FromHandle(HGDIOBJ handle);
    // Releases this thread's temporary wrappers (not their handles). Run at idle time.
    static void PASCAL DeleteTempMap();

    // Takes ownership of a handle; false when this wrapper already holds one or the handle is null.
    BOOL Attach(HGDIOBJ handle);
    // Gives up ownership without deleting; the wrapper is then empty.
    HGDIOBJ Detach();
    // Deletes the held handle (DeleteObject); false when there is none or GDI refuses (still
    // selected into a device context, for example).
    BOOL DeleteObject();

    int GetObject(int count, void* buffer) const;
    UINT GetObjectType() const;
    BOOL CreateStockObject(int index);    // stock objects are never deleted
    BOOL UnrealizeObject();

protected:
    // Kind check used by the typed FromHandle of the subclasses.
    static CGdiObject* PASCAL FromHandleOfType(HGDIOBJ handle, const CRuntimeClass* kind);
};

class CPen : public CGdiObject {
    DECLARE_DYNAMIC(CPen)
public:
    CPen() = default;
    CPen(int penStyle, int width, COLORREF color);
    CPen(int penStyle, int width, const LOGBRUSH* brush, int styleCount = 0, const DWORD* styles = nullptr);

    static CPen* PASCAL FromHandle(HPEN handle);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }

    BOOL CreatePen(int penStyle, int width, COLORREF color);
    BOOL CreatePen(int penStyle, int width, const LOGBRUSH* brush, int styleCount = 0,
                   const DWORD* styles = nullptr);
    BOOL CreatePenIndirect(LOGPEN* logPen);
    int GetLogPen(LOGPEN* logPen) const;
};

class CBrush : public CGdiObject {
    DECLARE_DYNAMIC(CBrush)
public:
    CBrush() = default;
    explicit CBrush(COLORREF color);
    CBrush(int hatchIndex, COLORREF color);

    static CBrush* PASCAL FromHandle(HBRUSH handle);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }

    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreateHatchBrush(int index, COLORREF color);
    BOOL CreateBrushIndirect(const LOGBRUSH* logBrush);
    BOOL CreatePatternBrush(class CBitmap* bitmap);
    BOOL CreateSysColorBrush(int index);
    int GetLogBrush(LOGBRUSH* logBrush) const;
};

class CFont : public CGdiObject {
    DECLARE_DYNAMIC(CFont)
public:
    static CFont* PASCAL FromHandle(HFONT handle);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }

    BOOL CreateFontIndirect(const LOGFONTW* logFont);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                    BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, const wchar_t* faceName);
    // Height in tenths of a point for the device context (the screen when null).
    BOOL CreatePointFont(int pointSize, const wchar_t* faceName, CDC* dc = nullptr);
    BOOL CreatePointFontIndirect(const LOGFONTW* logFont, CDC* dc = nullptr);
    int GetLogFont(LOGFONTW* logFont) const;
};

class CBitmap : public CGdiObject {
    DECLARE_DYNAMIC(CBitmap)
public:
    static CBitmap* PASCAL FromHandle(HBITMAP handle);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }

    // Bitmap resources come from the program's resource module.
    BOOL LoadBitmap(UINT resourceId);
    BOOL LoadBitmap(const wchar_t* resourceName);
    BOOL LoadOEMBitmap(UINT bitmapId);
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    BOOL CreateBitmapIndirect(BITMAP* bitmap);
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    BOOL CreateDiscardableBitmap(CDC* dc, int width, int height);
    int GetBitmap(BITMAP* bitmap) const;
    DWORD SetBitmapBits(DWORD count, const void* bits);
    DWORD GetBitmapBits(DWORD count, void* bits) const;
    SIZE GetBitmapDimension() const;
};

class CRgn : public CGdiObject {
    DECLARE_DYNAMIC(CRgn)
public:
    static CRgn* PASCAL FromHandle(HRGN handle);
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }

    BOOL CreateRectRgn(int x1, int y1, int x2, int y2);
    BOOL CreateRectRgnIndirect(LPCRECT rect);
    BOOL CreateEllipticRgn(int x1, int y1, int x2, int y2);
    BOOL CreateEllipticRgnIndirect(LPCRECT rect);
    BOOL CreatePolygonRgn(const POINT* points, int count, int polyFillMode);
    BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3);
    BOOL CreateFromPath(CDC* dc);
    void SetRectRgn(int x1, int y1, int x2, int y2);
    void SetRectRgn(LPCRECT rect);
    int CombineRgn(const CRgn* a, const CRgn* b, int combineMode);
    int CopyRgn(const CRgn* source);
    BOOL EqualRgn(const CRgn* other) const;
    int OffsetRgn(int x, int y);
    int OffsetRgn(POINT point);
    int GetRgnBox(LPRECT rect) const;
    BOOL PtInRegion(int x, int y) const;
    BOOL PtInRegion(POINT point) const;
    BOOL RectInRegion(LPCRECT rect) const;
};

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
