#include "framework/window/Dc.h"

#include "framework/Exception.h"
#include "framework/window/DrawingHandleMap.h"
#include "framework/window/Wnd.h"

namespace {

struct DcTraits {
    using Object = CDC;
    using Handle = HDC;
    static CDC* MakeTemporary(HDC handle)
    {
        CDC* dc = new CDC;
        dc->m_hDC = dc->m_hAttribDC = handle;
        return dc;
    }
    static void Forget(CDC* dc) { dc->m_hDC = dc->m_hAttribDC = nullptr; }
    static bool Fits(CDC*, HDC) { return true; }
};
using DcMap = DrawingHandleMap<DcTraits>;

} // namespace

// ---- CDC ----------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CDC, CObject)

CDC::~CDC()
{
    DeleteDC();
}

CDC* PASCAL CDC::FromHandle(HDC handle)
{
    return DcMap::FromHandle(handle);
}

void PASCAL CDC::DeleteTempMap()
{
    DcMap::DeleteTemps();
}

BOOL CDC::Attach(HDC handle)
{
    if (!handle || m_hDC)
        return FALSE;
    m_hDC = m_hAttribDC = handle;
    DcMap::SetPermanent(handle, this);
    return TRUE;
}

HDC CDC::Detach()
{
    HDC handle = m_hDC;
    if (handle)
        DcMap::RemovePermanent(handle, this);
    m_hDC = m_hAttribDC = nullptr;
    return handle;
}

BOOL CDC::CreateDC(const wchar_t* driver, const wchar_t* device, const wchar_t* output, const DEVMODEW* initData)
{
    return Attach(::CreateDCW(driver, device, output, initData));
}

BOOL CDC::CreateIC(const wchar_t* driver, const wchar_t* device, const wchar_t* output, const DEVMODEW* initData)
{
    return Attach(::CreateICW(driver, device, output, initData));
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr));
}

BOOL CDC::DeleteDC()
{
    HDC handle = Detach();
    return handle ? ::DeleteDC(handle) : FALSE;
}

int CDC::SaveDC()
{
    return ::SaveDC(m_hDC);
}

BOOL CDC::RestoreDC(int savedDC)
{
    return ::RestoreDC(m_hDC, savedDC);
}

int CDC::GetDeviceCaps(int index) const
{
    return ::GetDeviceCaps(m_hAttribDC, index);
}

CPen* CDC::SelectObject(CPen* pen)
{
    return pen ? CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, pen->m_hObject))) : nullptr;
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    return brush ? CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, brush->m_hObject))) : nullptr;
}

CFont* CDC::SelectObject(CFont* font)
{
    return font ? CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, font->m_hObject))) : nullptr;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    return bitmap ? CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, bitmap->m_hObject))) : nullptr;
}

int CDC::SelectObject(CRgn* region)
{
    if (!region)
        return ERROR;
    // For a region SelectObject answers the region type, not a handle.
    return static_cast<int>(reinterpret_cast<INT_PTR>(::SelectObject(m_hDC, region->m_hObject)));
}

CGdiObject* CDC::SelectObject(CGdiObject* object)
{
    return object ? CGdiObject::FromHandle(::SelectObject(m_hDC, object->m_hObject)) : nullptr;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object)
{
    return ::SelectObject(m_hDC, object);
}

CGdiObject* CDC::SelectStockObject(int index)
{
    HGDIOBJ stock = ::GetStockObject(index);
    return stock ? CGdiObject::FromHandle(::SelectObject(m_hDC, stock)) : nullptr;
}

CPen* CDC::GetCurrentPen() const
{
    return CPen::FromHandle(static_cast<HPEN>(::GetCurrentObject(m_hDC, OBJ_PEN)));
}

CBrush* CDC::GetCurrentBrush() const
{
    return CBrush::FromHandle(static_cast<HBRUSH>(::GetCurrentObject(m_hDC, OBJ_BRUSH)));
}

CFont* CDC::GetCurrentFont() const
{
    return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT)));
}

CBitmap* CDC::GetCurrentBitmap() const
{
    return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}

COLORREF CDC::GetBkColor() const { return ::GetBkColor(m_hAttribDC); }
COLORREF CDC::SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
int CDC::GetBkMode() const { return ::GetBkMode(m_hAttribDC); }
int CDC::SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
COLORREF CDC::GetTextColor() const { return ::GetTextColor(m_hAttribDC); }
COLORREF CDC::SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
int CDC::GetROP2() const { return ::GetROP2(m_hAttribDC); }
int CDC::SetROP2(int drawMode) { return ::SetROP2(m_hDC, drawMode); }
int CDC::GetPolyFillMode() const { return ::GetPolyFillMode(m_hAttribDC); }
int CDC::SetPolyFillMode(int mode) { return ::SetPolyFillMode(m_hDC, mode); }
int CDC::GetStretchBltMode() const { return ::GetStretchBltMode(m_hAttribDC); }
int CDC::SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
int CDC::GetMapMode() const { return ::GetMapMode(m_hAttribDC); }
int CDC::SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
UINT CDC::GetTextAlign() const { return ::GetTextAlign(m_hAttribDC); }
UINT CDC::SetTextAlign(UINT flags) { return ::SetTextAlign(m_hDC, flags); }

POINT CDC::GetViewportOrg() const
{
    POINT point = {0, 0};
    ::GetViewportOrgEx(m_hAttribDC, &point);
    return point;
}

POINT CDC::SetViewportOrg(int x, int y)
{
    POINT old = {0, 0};
    ::SetViewportOrgEx(m_hDC, x, y, &old);
    return old;
}

POINT CDC::SetViewportOrg(POINT point) { return SetViewportOrg(point.x, point.y); }

POINT CDC::OffsetViewportOrg(int dx, int dy)
{
    POINT old = {0, 0};
    ::OffsetViewportOrgEx(m_hDC, dx, dy, &old);
    return old;
}

POINT CDC::GetWindowOrg() const
{
    POINT point = {0, 0};
    ::GetWindowOrgEx(m_hAttribDC, &point);
    return point;
}

POINT CDC::SetWindowOrg(int x, int y)
{
    POINT old = {0, 0};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return old;
}

POINT CDC::SetWindowOrg(POINT point) { return SetWindowOrg(point.x, point.y); }

POINT CDC::OffsetWindowOrg(int dx, int dy)
{
    POINT old = {0, 0};
    ::OffsetWindowOrgEx(m_hDC, dx, dy, &old);
    return old;
}

void CDC::DPtoLP(LPPOINT points, int count) const { ::DPtoLP(m_hAttribDC, points, count); }
void CDC::DPtoLP(LPRECT rect) const { ::DPtoLP(m_hAttribDC, reinterpret_cast<LPPOINT>(rect), 2); }
void CDC::LPtoDP(LPPOINT points, int count) const { ::LPtoDP(m_hAttribDC, points, count); }
void CDC::LPtoDP(LPRECT rect) const { ::LPtoDP(m_hAttribDC, reinterpret_cast<LPPOINT>(rect), 2); }

int CDC::GetClipBox(LPRECT rect) const { return ::GetClipBox(m_hDC, rect); }

int CDC::SelectClipRgn(CRgn* region)
{
    return ::SelectClipRgn(m_hDC, region ? static_cast<HRGN>(region->m_hObject) : nullptr);
}

int CDC::SelectClipRgn(CRgn* region, int mode)
{
    return ::ExtSelectClipRgn(m_hDC, region ? static_cast<HRGN>(region->m_hObject) : nullptr, mode);
}

int CDC::ExcludeClipRect(int x1, int y1, int x2, int y2) { return ::ExcludeClipRect(m_hDC, x1, y1, x2, y2); }
int CDC::ExcludeClipRect(LPCRECT r) { return ExcludeClipRect(r->left, r->top, r->right, r->bottom); }
int CDC::IntersectClipRect(int x1, int y1, int x2, int y2) { return ::IntersectClipRect(m_hDC, x1, y1, x2, y2); }
int CDC::IntersectClipRect(LPCRECT r) { return IntersectClipRect(r->left, r->top, r->right, r->bottom); }
int CDC::OffsetClipRgn(int dx, int dy) { return ::OffsetClipRgn(m_hDC, dx, dy); }
BOOL CDC::PtVisible(int x, int y) const { return ::PtVisible(m_hDC, x, y); }
BOOL CDC::RectVisible(LPCRECT rect) const { return ::RectVisible(m_hDC, rect); }

POINT CDC::GetCurrentPosition() const
{
    POINT point = {0, 0};
    ::GetCurrentPositionEx(m_hAttribDC, &point);
    return point;
}

POINT CDC::MoveTo(int x, int y)
{
    POINT old = {0, 0};
    ::MoveToEx(m_hDC, x, y, &old);
    return old;
}

POINT CDC::MoveTo(POINT point) { return MoveTo(point.x, point.y); }
BOOL CDC::LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
BOOL CDC::LineTo(POINT point) { return LineTo(point.x, point.y); }
BOOL CDC::Polyline(const POINT* points, int count) { return ::Polyline(m_hDC, points, count); }
BOOL CDC::Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count); }
BOOL CDC::Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
BOOL CDC::Rectangle(LPCRECT r) { return Rectangle(r->left, r->top, r->right, r->bottom); }
BOOL CDC::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) { return ::RoundRect(m_hDC, x1, y1, x2, y2, x3, y3); }
BOOL CDC::Ellipse(int x1, int y1, int x2, int y2) { return ::Ellipse(m_hDC, x1, y1, x2, y2); }
BOOL CDC::Ellipse(LPCRECT r) { return Ellipse(r->left, r->top, r->right, r->bottom); }

void CDC::FillRect(LPCRECT rect, CBrush* brush)
{
    ::FillRect(m_hDC, rect, brush ? static_cast<HBRUSH>(brush->m_hObject) : nullptr);
}

void CDC::FrameRect(LPCRECT rect, CBrush* brush)
{
    ::FrameRect(m_hDC, rect, brush ? static_cast<HBRUSH>(brush->m_hObject) : nullptr);
}

void CDC::InvertRect(LPCRECT rect) { ::InvertRect(m_hDC, rect); }

BOOL CDC::FillRgn(CRgn* region, CBrush* brush)
{
    return region && brush ? ::FillRgn(m_hDC, static_cast<HRGN>(region->m_hObject), static_cast<HBRUSH>(brush->m_hObject)) : FALSE;
}

BOOL CDC::FrameRgn(CRgn* region, CBrush* brush, int width, int height)
{
    return region && brush ? ::FrameRgn(m_hDC, static_cast<HRGN>(region->m_hObject), static_cast<HBRUSH>(brush->m_hObject), width, height) : FALSE;
}

BOOL CDC::PaintRgn(CRgn* region)
{
    return region ? ::PaintRgn(m_hDC, static_cast<HRGN>(region->m_hObject)) : FALSE;
}

void CDC::DrawFocusRect(LPCRECT rect) { ::DrawFocusRect(m_hDC, rect); }
BOOL CDC::DrawEdge(LPRECT rect, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, rect, edge, flags); }
BOOL CDC::DrawFrameControl(LPRECT rect, UINT type, UINT state) { return ::DrawFrameControl(m_hDC, rect, type, state); }
BOOL CDC::DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
BOOL CDC::DrawIcon(POINT point, HICON icon) { return DrawIcon(point.x, point.y, icon); }

void CDC::FillSolidRect(LPCRECT rect, COLORREF color)
{
    // ExtTextOut with ETO_OPAQUE fills with the background colour: the fastest solid fill, and it
    // needs no brush. The previous background colour is put back so callers keep theirs.
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    RECT rect = {x, y, x + cx, y + cy};
    FillSolidRect(&rect, color);
}

void CDC::Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight)
{
    Draw3dRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight)
{
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
}

COLORREF CDC::GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
COLORREF CDC::GetPixel(POINT point) const { return GetPixel(point.x, point.y); }
COLORREF CDC::SetPixel(int x, int y, COLORREF color) { return ::SetPixel(m_hDC, x, y, color); }
BOOL CDC::SetPixelV(int x, int y, COLORREF color) { return ::SetPixelV(m_hDC, x, y, color); }
BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) { return ::PatBlt(m_hDC, x, y, width, height, rop); }

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop)
{
    return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                     int srcWidth, int srcHeight, DWORD rop)
{
    return ::StretchBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSrc, ySrc,
                        srcWidth, srcHeight, rop);
}

BOOL CDC::TextOut(int x, int y, const wchar_t* text, int count) { return ::TextOutW(m_hDC, x, y, text, count); }
BOOL CDC::TextOut(int x, int y, const CString& text) { return TextOut(x, y, text, text.GetLength()); }

BOOL CDC::ExtTextOut(int x, int y, UINT options, LPCRECT rect, const wchar_t* text, UINT count, const int* widths)
{
    return ::ExtTextOutW(m_hDC, x, y, options, rect, text, count, widths);
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, LPCRECT rect, const CString& text, const int* widths)
{
    return ExtTextOut(x, y, options, rect, text, static_cast<UINT>(text.GetLength()), widths);
}

int CDC::DrawText(const wchar_t* text, int count, LPRECT rect, UINT format)
{
    return ::DrawTextW(m_hDC, text, count, rect, format);
}

int CDC::DrawText(const CString& text, LPRECT rect, UINT format)
{
    return DrawText(text, text.GetLength(), rect, format);
}

SIZE CDC::GetTextExtent(const wchar_t* text, int count) const
{
    SIZE size = {0, 0};
    ::GetTextExtentPoint32W(m_hAttribDC, text, count, &size);
    return size;
}

SIZE CDC::GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
BOOL CDC::GetTextMetrics(TEXTMETRICW* metrics) const { return ::GetTextMetricsW(m_hAttribDC, metrics); }
int CDC::GetTextFace(int count, wchar_t* faceName) const { return ::GetTextFaceW(m_hAttribDC, count, faceName); }

int CDC::GetTextFace(CString& faceName) const
{
    int length = ::GetTextFaceW(m_hAttribDC, 0, nullptr);
    int copied = ::GetTextFaceW(m_hAttribDC, length, faceName.GetBuffer(length));
    faceName.ReleaseBuffer();
    return copied;
}

CBrush* PASCAL CDC::GetHalftoneBrush()
{
    // Made once for the process (thread-safe static initialisation); never deleted, so it
    // outlives every window that draws drag feedback with it.
    static CBrush* brush = [] {
        WORD pattern[8];
        for (int row = 0; row < 8; ++row)
            pattern[row] = static_cast<WORD>(0x5555 << (row & 1));
        CBitmap bitmap;
        auto* made = new CBrush;
        if (bitmap.CreateBitmap(8, 8, 1, 1, pattern))
            made->CreatePatternBrush(&bitmap);    // the brush keeps its own copy of the pattern
        return made;
    }();
    return brush;
}

// ---- window contexts ----------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr)
{
    if (!m_hWnd || !Attach(::BeginPaint(m_hWnd, &m_ps)))
        AfxThrowResourceException();
}

CPaintDC::~CPaintDC()
{
    // Detached first: the context belongs to the paint cycle and must not go to DeleteDC.
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr)
{
    if (!Attach(::GetDC(m_hWnd)))
        AfxThrowResourceException();
}

CClientDC::~CClientDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr)
{
    if (!Attach(::GetWindowDC(m_hWnd)))
        AfxThrowResourceException();
}

CWindowDC::~CWindowDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}
