#include "framework/window/Gdi.h"

#include "framework/window/Dc.h"

#include "framework/window/DrawingHandleMap.h"

namespace {

// The wrapper class that matches the object's kind, so that the typed FromHandle of CPen,
// CBrush, ... answer objects of their own class; null when the handle is no GDI object (any more).
const CRuntimeClass* GdiClassOf(HGDIOBJ handle)
{
    switch (::GetObjectType(handle)) {
    case OBJ_PEN:
    case OBJ_EXTPEN:
        return RUNTIME_CLASS(CPen);
    case OBJ_BRUSH:
        return RUNTIME_CLASS(CBrush);
    case OBJ_FONT:
        return RUNTIME_CLASS(CFont);
    case OBJ_BITMAP:
        return RUNTIME_CLASS(CBitmap);
    case OBJ_REGION:
        return RUNTIME_CLASS(CRgn);
    case 0:
        return nullptr;
    default:
        return RUNTIME_CLASS(CGdiObject);
    }
}

struct GdiTraits {
    using Object = CGdiObject;
    using Handle = HGDIOBJ;
    static CGdiObject* MakeTemporary(HGDIOBJ handle)
    {
        const CRuntimeClass* kind = GdiClassOf(handle);
        CGdiObject* object = nullptr;
        if (kind == RUNTIME_CLASS(CPen))
            object = new CPen;
        else if (kind == RUNTIME_CLASS(CBrush))
            object = new CBrush;
        else if (kind == RUNTIME_CLASS(CFont))
            object = new CFont;
        else if (kind == RUNTIME_CLASS(CBitmap))
            object = new CBitmap;
        else if (kind == RUNTIME_CLASS(CRgn))
            object = new CRgn;
        else if (kind)
            object = new CGdiObject;
        if (object)
            object->m_hObject = handle;
        return object;
    }
    static void Forget(CGdiObject* object) { object->m_hObject = nullptr; }
    static bool Fits(CGdiObject* object, HGDIOBJ handle)
    {
        return object->GetRuntimeClass() == GdiClassOf(handle);
    }
};
using GdiMap = DrawingHandleMap<GdiTraits>;

HINSTANCE ResourceModule()
{
    return ::GetModuleHandleW(nullptr);
}

} // namespace

// ---- CGdiObject ---------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)

CGdiObject::~CGdiObject()
{
    DeleteObject();
}

CGdiObject* PASCAL CGdiObject::FromHandle(HGDIOBJ handle)
{
    return GdiMap::FromHandle(handle);
}

CGdiObject* PASCAL CGdiObject::FromHandleOfType(HGDIOBJ handle, const CRuntimeClass* kind)
{
    // A handle of another kind answers null rather than a wrapper that the caller's cast
    // would misread.
    CGdiObject* object = GdiMap::FromHandle(handle);
    return object && object->IsKindOf(kind) ? object : nullptr;
}

void PASCAL CGdiObject::DeleteTempMap()
{
    GdiMap::DeleteTemps();
}

BOOL CGdiObject::Attach(HGDIOBJ handle)
{
    if (!handle || m_hObject)
        return FALSE;
    m_hObject = handle;
    GdiMap::SetPermanent(handle, this);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ handle = m_hObject;
    if (handle)
        GdiMap::RemovePermanent(handle, this);
    m_hObject = nullptr;
    return handle;
}

BOOL CGdiObject::DeleteObject()
{
    HGDIOBJ handle = Detach();
    return handle ? ::DeleteObject(handle) : FALSE;
}

int CGdiObject::GetObject(int count, void* buffer) const
{
    return m_hObject ? ::GetObjectW(m_hObject, count, buffer) : 0;
}

UINT CGdiObject::GetObjectType() const
{
    return m_hObject ? static_cast<UINT>(::GetObjectType(m_hObject)) : 0;
}

BOOL CGdiObject::CreateStockObject(int index)
{
    // A stock object is owned by the system; DeleteObject of it is a harmless no-op, so it
    // can be held like any other handle.
    return Attach(::GetStockObject(index));
}

BOOL CGdiObject::UnrealizeObject()
{
    return m_hObject ? ::UnrealizeObject(m_hObject) : FALSE;
}

// ---- CPen ---------------------------------------------------------------------------------------

CPen::CPen(int penStyle, int width, COLORREF color)
{
    CreatePen(penStyle, width, color);
}

CPen::CPen(int penStyle, int width, const LOGBRUSH* brush, int styleCount, const DWORD* styles)
{
    CreatePen(penStyle, width, brush, styleCount, styles);
}

CPen* PASCAL CPen::FromHandle(HPEN handle)
{
    return static_cast<CPen*>(FromHandleOfType(handle, RUNTIME_CLASS(CPen)));
}

BOOL CPen::CreatePen(int penStyle, int width, COLORREF color)
{
    return Attach(::CreatePen(penStyle, width, color));
}

BOOL CPen::CreatePen(int penStyle, int width, const LOGBRUSH* brush, int styleCount, const DWORD* styles)
{
    return Attach(::ExtCreatePen(static_cast<DWORD>(penStyle), static_cast<DWORD>(width), brush,
                                 static_cast<DWORD>(styleCount), styles));
}

BOOL CPen::CreatePenIndirect(LOGPEN* logPen)
{
    return Attach(::CreatePenIndirect(logPen));
}

int CPen::GetLogPen(LOGPEN* logPen) const
{
    return GetObject(sizeof(LOGPEN), logPen);
}

// ---- CBrush -------------------------------------------------------------------------------------

CBrush::CBrush(COLORREF color)
{
    CreateSolidBrush(color);
}

CBrush::CBrush(int hatchIndex, COLORREF color)
{
    CreateHatchBrush(hatchIndex, color);
}

CBrush* PASCAL CBrush::FromHandle(HBRUSH handle)
{
    return static_cast<CBrush*>(FromHandleOfType(handle, RUNTIME_CLASS(CBrush)));
}

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    return Attach(::CreateSolidBrush(color));
}

BOOL CBrush::CreateHatchBrush(int index, COLORREF color)
{
    return Attach(::CreateHatchBrush(index, color));
}

BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* logBrush)
{
    return Attach(::CreateBrushIndirect(logBrush));
}

BOOL CBrush::CreatePatternBrush(CBitmap* bitmap)
{
    return bitmap ? Attach(::CreatePatternBrush(static_cast<HBITMAP>(bitmap->m_hObject))) : FALSE;
}

BOOL CBrush::CreateSysColorBrush(int index)
{
    return Attach(::GetSysColorBrush(index));
}

int CBrush::GetLogBrush(LOGBRUSH* logBrush) const
{
    return GetObject(sizeof(LOGBRUSH), logBrush);
}

// ---- CFont --------------------------------------------------------------------------------------

CFont* PASCAL CFont::FromHandle(HFONT handle)
{
    return static_cast<CFont*>(FromHandleOfType(handle, RUNTIME_CLASS(CFont)));
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* logFont)
{
    return logFont ? Attach(::CreateFontIndirectW(logFont)) : FALSE;
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                       BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, const wchar_t* faceName)
{
    return Attach(::CreateFontW(height, width, escapement, orientation, weight, italic, underline,
                                strikeOut, charSet, outPrecision, clipPrecision, quality,
                                pitchAndFamily, faceName));
}

BOOL CFont::CreatePointFont(int pointSize, const wchar_t* faceName, CDC* dc)
{
    LOGFONTW logFont = {};
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = pointSize;
    if (faceName)
        lstrcpynW(logFont.lfFaceName, faceName, LF_FACESIZE);
    return CreatePointFontIndirect(&logFont, dc);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONTW* logFont, CDC* dc)
{
    if (!logFont)
        return FALSE;
    HDC hdc = dc && dc->m_hAttribDC ? dc->m_hAttribDC : ::GetDC(nullptr);
    // lfHeight is in tenths of a point: turn it into device pixels through the context's
    // mapping, measured from the origin so that a window origin does not shift it.
    LOGFONTW scaled = *logFont;
    POINT pt = {0, ::MulDiv(::GetDeviceCaps(hdc, LOGPIXELSY), logFont->lfHeight, 720)};
    POINT origin = {0, 0};
    ::DPtoLP(hdc, &pt, 1);
    ::DPtoLP(hdc, &origin, 1);
    scaled.lfHeight = -abs(pt.y - origin.y);
    if (!(dc && dc->m_hAttribDC))
        ::ReleaseDC(nullptr, hdc);
    return CreateFontIndirect(&scaled);
}

int CFont::GetLogFont(LOGFONTW* logFont) const
{
    return GetObject(sizeof(LOGFONTW), logFont);
}

// ---- CBitmap ------------------------------------------------------------------------------------

CBitmap* PASCAL CBitmap::FromHandle(HBITMAP handle)
{
    return static_cast<CBitmap*>(FromHandleOfType(handle, RUNTIME_CLASS(CBitmap)));
}

BOOL CBitmap::LoadBitmap(UINT resourceId)
{
    return LoadBitmap(MAKEINTRESOURCEW(resourceId));
}

BOOL CBitmap::LoadBitmap(const wchar_t* resourceName)
{
    return Attach(::LoadBitmapW(ResourceModule(), resourceName));
}

BOOL CBitmap::LoadOEMBitmap(UINT bitmapId)
{
    return Attach(::LoadBitmapW(nullptr, MAKEINTRESOURCEW(bitmapId)));
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

BOOL CBitmap::CreateBitmapIndirect(BITMAP* bitmap)
{
    return Attach(::CreateBitmapIndirect(bitmap));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    return dc ? Attach(::CreateCompatibleBitmap(dc->m_hDC, width, height)) : FALSE;
}

BOOL CBitmap::CreateDiscardableBitmap(CDC* dc, int width, int height)
{
    return dc ? Attach(::CreateDiscardableBitmap(dc->m_hDC, width, height)) : FALSE;
}

int CBitmap::GetBitmap(BITMAP* bitmap) const
{
    return GetObject(sizeof(BITMAP), bitmap);
}

DWORD CBitmap::SetBitmapBits(DWORD count, const void* bits)
{
    return static_cast<DWORD>(::SetBitmapBits(static_cast<HBITMAP>(m_hObject), count, bits));
}

DWORD CBitmap::GetBitmapBits(DWORD count, void* bits) const
{
    return static_cast<DWORD>(::GetBitmapBits(static_cast<HBITMAP>(m_hObject), static_cast<LONG>(count), bits));
}

SIZE CBitmap::GetBitmapDimension() const
{
    SIZE size = {0, 0};
    ::GetBitmapDimensionEx(static_cast<HBITMAP>(m_hObject), &size);
    return size;
}

// ---- CRgn ---------------------------------------------------------------------------------------

CRgn* PASCAL CRgn::FromHandle(HRGN handle)
{
    return static_cast<CRgn*>(FromHandleOfType(handle, RUNTIME_CLASS(CRgn)));
}

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2)
{
    return Attach(::CreateRectRgn(x1, y1, x2, y2));
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT rect)
{
    return rect ? Attach(::CreateRectRgnIndirect(rect)) : FALSE;
}

BOOL CRgn::CreateEllipticRgn(int x1, int y1, int x2, int y2)
{
    return Attach(::CreateEllipticRgn(x1, y1, x2, y2));
}

BOOL CRgn::CreateEllipticRgnIndirect(LPCRECT rect)
{
    return rect ? Attach(::CreateEllipticRgnIndirect(rect)) : FALSE;
}

BOOL CRgn::CreatePolygonRgn(const POINT* points, int count, int polyFillMode)
{
    return Attach(::CreatePolygonRgn(points, count, polyFillMode));
}

BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3)
{
    return Attach(::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
}

BOOL CRgn::CreateFromPath(CDC* dc)
{
    return dc ? Attach(::PathToRegion(dc->m_hDC)) : FALSE;
}

void CRgn::SetRectRgn(int x1, int y1, int x2, int y2)
{
    ::SetRectRgn(static_cast<HRGN>(m_hObject), x1, y1, x2, y2);
}

void CRgn::SetRectRgn(LPCRECT rect)
{
    SetRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int combineMode)
{
    return ::CombineRgn(static_cast<HRGN>(m_hObject), a ? static_cast<HRGN>(a->m_hObject) : nullptr,
                        b ? static_cast<HRGN>(b->m_hObject) : nullptr, combineMode);
}

int CRgn::CopyRgn(const CRgn* source)
{
    return CombineRgn(source, nullptr, RGN_COPY);
}

BOOL CRgn::EqualRgn(const CRgn* other) const
{
    return other ? ::EqualRgn(static_cast<HRGN>(m_hObject), static_cast<HRGN>(other->m_hObject)) : FALSE;
}

int CRgn::OffsetRgn(int x, int y)
{
    return ::OffsetRgn(static_cast<HRGN>(m_hObject), x, y);
}

int CRgn::OffsetRgn(POINT point)
{
    return OffsetRgn(point.x, point.y);
}

int CRgn::GetRgnBox(LPRECT rect) const
{
    return ::GetRgnBox(static_cast<HRGN>(m_hObject), rect);
}

BOOL CRgn::PtInRegion(int x, int y) const
{
    return ::PtInRegion(static_cast<HRGN>(m_hObject), x, y);
}

BOOL CRgn::PtInRegion(POINT point) const
{
    return PtInRegion(point.x, point.y);
}

BOOL CRgn::RectInRegion(LPCRECT rect) const
{
    return ::RectInRegion(static_cast<HRGN>(m_hObject), rect);
}
