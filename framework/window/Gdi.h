#pragma once
// Drawing objects: CGdiObject and its kinds (CPen, CBrush, CFont, CBitmap, CRgn). The device
// context that draws with them is CDC (Dc.h).
//
// Ownership: a wrapper that created or attached a handle owns it and deletes it with itself
// (DeleteObject); Detach hands the handle on. Handle maps: every owned handle is known
// by its wrapper ("permanent" object), so FromHandle and SelectObject answer the very object that
// was selected before. A handle that no wrapper owns gets a temporary wrapper of the right kind
// (chosen by GetObjectType), which never deletes the handle and lives until the thread's
// temporaries are released at idle time (DeleteTempMaps). A temporary must therefore not be kept
// across messages.
//
// Threads: GDI objects may be shared between threads (the toolkit caches drawing bitmaps), so the
// permanent map of GDI objects is process-wide under a lock; temporaries are per thread.

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
