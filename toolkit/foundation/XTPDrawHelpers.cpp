// Drawing helpers. The colour arithmetic is integer arithmetic on purpose: the paint managers'
// colours are derived from it, and a rounding change here shows as a one-off shade everywhere.

#include "toolkit/foundation/XTPDrawHelpers.h"

#include "framework/window/Wnd.h"
#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPOsVersion.h"
#include "toolkit/foundation/XTPResourceManager.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

// ---- process-wide helper and gradients ----

CXTPDrawHelpers::CXTPDrawHelpers()
{
    m_hMsImg32 = ::LoadLibraryW(L"msimg32.dll");
    if (m_hMsImg32) {
        m_pfnAlphaBlend = reinterpret_cast<PFNXTPALPHABLEND>(
            reinterpret_cast<void*>(::GetProcAddress(m_hMsImg32, "AlphaBlend")));
        m_pfnTransparentBlt = reinterpret_cast<PFNXTPTRANSPARENTBLT>(
            reinterpret_cast<void*>(::GetProcAddress(m_hMsImg32, "TransparentBlt")));
        m_pfnGradientFill = reinterpret_cast<PFNXTPGRADIENTFILL>(
            reinterpret_cast<void*>(::GetProcAddress(m_hMsImg32, "GradientFill")));
    }
}

CXTPDrawHelpers::CXTPDrawHelpers(PFNXTPALPHABLEND alphaBlend, PFNXTPTRANSPARENTBLT transparentBlt,
                                 PFNXTPGRADIENTFILL gradientFill)
    : m_pfnAlphaBlend(alphaBlend), m_pfnTransparentBlt(transparentBlt), m_pfnGradientFill(gradientFill)
{
}

CXTPDrawHelpers::~CXTPDrawHelpers() = default;

CXTPDrawHelpers* GetDrawHelpers()
{
    static CXTPDrawHelpers helpers;
    return &helpers;
}

BOOL CXTPDrawHelpers::CallGradientFill(HDC dc, PTRIVERTEX vertices, ULONG vertexCount, PVOID mesh,
                                       ULONG meshCount, ULONG mode)
{
    if (!m_pfnGradientFill)
        return FALSE;
    return m_pfnGradientFill(dc, vertices, vertexCount, mesh, meshCount, mode);
}

void CXTPDrawHelpers::GradientFill(CDC* dc, LPCRECT rect, COLORREF from, COLORREF to, BOOL horizontal)
{
    if (!rect || ::IsRectEmpty(rect))
        return;
    if (IsLowColorDC(dc ? dc->GetSafeHdc() : nullptr) || from == to) {
        dc->FillSolidRect(rect, from);
        return;
    }
    if (!m_pfnGradientFill || (IsDCMirrored(dc) && GetOsVersionCache().IsWin9x()))
        GradientFillManual(dc, rect, from, to, horizontal);
    else
        GradientFillMsimg(dc, rect, from, to, horizontal);
}

void CXTPDrawHelpers::GradientFillMsimg(CDC* dc, LPCRECT rect, COLORREF from, COLORREF to, BOOL horizontal)
{
    TRIVERTEX vertices[2] = {};
    vertices[0].x = rect->left;
    vertices[0].y = rect->top;
    vertices[0].Red = static_cast<COLOR16>(GetRValue(from) << 8);
    vertices[0].Green = static_cast<COLOR16>(GetGValue(from) << 8);
    vertices[0].Blue = static_cast<COLOR16>(GetBValue(from) << 8);
    vertices[1].x = rect->right;
    vertices[1].y = rect->bottom;
    vertices[1].Red = static_cast<COLOR16>(GetRValue(to) << 8);
    vertices[1].Green = static_cast<COLOR16>(GetGValue(to) << 8);
    vertices[1].Blue = static_cast<COLOR16>(GetBValue(to) << 8);
    GRADIENT_RECT mesh = {0, 1};
    CallGradientFill(dc->GetSafeHdc(), vertices, 2, &mesh, 1,
                     horizontal ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
}

void CXTPDrawHelpers::GradientFillManual(CDC* dc, LPCRECT rect, COLORREF from, COLORREF to, BOOL horizontal)
{
    int width = rect->right - rect->left;
    if (width <= 0)
        width = 1;
    int height = rect->bottom - rect->top;
    if (height <= 0)
        height = 1;
    // Only the visible part is painted: a large gradient under a small clip costs a few lines.
    CRect area;
    RECT clip = {};
    ::GetClipBox(dc->GetSafeHdc(), &clip);
    if (::IsRectEmpty(&clip))
        area = *rect;
    else
        ::IntersectRect(&area, &clip, rect);
    if (horizontal) {
        for (int x = area.left; x < area.right; ++x) {
            COLORREF color = BlendColors(from, to, 1.0 - static_cast<double>(x - rect->left) / width);
            dc->FillSolidRect(x, area.top, 1, area.Height(), color);
        }
    } else {
        for (int y = area.top; y < area.bottom; ++y) {
            COLORREF color = BlendColors(from, to, 1.0 - static_cast<double>(y - rect->top) / height);
            dc->FillSolidRect(area.left, y, area.Width(), 1, color);
        }
    }
}

void CXTPDrawHelpers::GradientFillClipped(CDC* dc, LPCRECT rectIn, COLORREF from, COLORREF to,
                                          BOOL horizontal, LPCRECT clip)
{
    if (!clip) {
        GradientFill(dc, rectIn, from, to, horizontal);
        return;
    }
    CRect rect(rectIn);
    COLORREF first = from, second = to;
    if (horizontal) {
        rect.top = clip->top;
        rect.bottom = clip->bottom;
        if (rect.right <= clip->left || rect.left >= clip->right)
            return;
        double width = rectIn->right - rectIn->left;
        if (rect.left < clip->left) {
            rect.left = clip->left;
            first = BlendColors(from, to, (rectIn->right - clip->left) / width);
        }
        if (rect.right > clip->right) {
            rect.right = clip->right;
            second = BlendColors(from, to, (rectIn->right - clip->right) / width);
        }
    } else {
        rect.left = clip->left;
        rect.right = clip->right;
        if (rect.bottom <= clip->top || rect.top >= clip->bottom)
            return;
        double height = rectIn->bottom - rectIn->top;
        if (rect.top < clip->top) {
            rect.top = clip->top;
            first = BlendColors(from, to, (rectIn->bottom - clip->top) / height);
        }
        if (rect.bottom > clip->bottom) {
            rect.bottom = clip->bottom;
            second = BlendColors(from, to, (rectIn->bottom - clip->bottom) / height);
        }
    }
    GradientFill(dc, &rect, first, second, horizontal);
}

void CXTPDrawHelpers::GradientFillColorGradient(CDC* dc, LPCRECT rectIn,
                                                const CXTPPaintManagerColorGradient& gradient,
                                                BOOL horizontal, LPCRECT clip)
{
    COLORREF first = gradient.clrLight.GetEffective();
    COLORREF second = gradient.clrDark.GetEffective();
    float factor = gradient.fGradientFactor;
    if (factor == 0.5f) {
        GradientFillClipped(dc, rectIn, first, second, horizontal, clip);
        return;
    }
    COLORREF middle = BlendColors(first, second, factor);
    CRect rect(rectIn);
    if (horizontal) {
        CRect leftPart(rect.left, rect.top, rect.right - (rect.right - rect.left) / 2, rect.bottom);
        GradientFillClipped(dc, &leftPart, first, middle, TRUE, clip);
        CRect rightPart(leftPart.right, rect.top, rect.right, rect.bottom);
        GradientFillClipped(dc, &rightPart, middle, second, TRUE, clip);
    } else {
        CRect topPart(rect.left, rect.top, rect.right, rect.bottom - (rect.bottom - rect.top) / 2);
        GradientFillClipped(dc, &topPart, first, middle, FALSE, clip);
        CRect bottomPart(rect.left, topPart.bottom, rect.right, rect.bottom);
        GradientFillClipped(dc, &bottomPart, middle, second, FALSE, clip);
    }
}

// ---- colour arithmetic ----

COLORREF BlendColors(COLORREF a, COLORREF b, double factor)
{
    auto channel = [factor](int x, int y) {
        int value = static_cast<int>(factor * x + (1.0 - factor) * y);
        return std::min(value, 255);
    };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

DWORD RgbToHls(COLORREF color)
{
    int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    int maxC = std::max({r, g, b});
    int minC = std::min({r, g, b});
    int sum = maxC + minC;
    int l = (sum + 1) / 2;
    int h, s;
    if (maxC == minC) {
        s = 0;
        h = 255;
    } else {
        int d = maxC - minC;
        s = l < 127 ? ((d + 1) * 256) / sum : (d * 256) / (512 - sum);
        if (r == maxC)
            h = ((g - b) * 256) / d;
        else if (g == maxC)
            h = ((b - r) * 256) / d + 512;
        else
            h = ((r - g) * 256) / d + 1024;
        h /= 6;
        if (h < 0)
            h += 256;
    }
    int h2 = std::min(h * 239 / 255, 239);
    int s2 = std::min(s * 240 / 255, 240);
    int l2 = std::min(l * 240 / 255, 240);
    return static_cast<DWORD>(h2 | (s2 << 8) | (l2 << 16));
}

int HueToRgbChannel(int m1, int m2, int h)
{
    if (h < 0)
        h += 255;
    if (h > 255)
        h -= 255;
    int step = (m2 - m1) / 255;
    int value;
    if (6 * h < 255)
        value = m1 + 6 * h * step;
    else if (2 * h < 255)
        value = m2;
    else if (3 * h < 510)
        value = m1 + 6 * (170 - h) * step;
    else
        value = m1;
    return value / 255;
}

COLORREF HlsToRgb(DWORD hls)
{
    int h = static_cast<int>(hls & 0xFF) * 255 / 239;
    int s = static_cast<int>((hls >> 8) & 0xFF) * 255 / 240;
    int l = static_cast<int>((hls >> 16) & 0xFF) * 255 / 240;
    if (s == 0)
        return RGB(l, l, l);
    int m2 = l <= 127 ? l * (s + 255) : (l + s - l * s / 255) * 255;
    int m1 = l * 510 - m2;
    int r = std::min(HueToRgbChannel(m1, m2, h + 85), 255);
    int g = std::min(HueToRgbChannel(m1, m2, h), 255);
    int b = std::min(HueToRgbChannel(m1, m2, h - 85), 255);
    return RGB(r, g, b);
}

BOOL IsLowColorDC(HDC dc)
{
    return CXTPColorManager::IsLowColorDisplay(dc);
}

COLORREF MixPixelColor(CDC* dc, int x, int y, COLORREF base, COLORREF color, double factor)
{
    COLORREF other = factor >= 0 ? dc->GetPixel(x, y) : color;
    double f = std::fabs(factor);
    auto channel = [f](int from, int to) {
        int value = static_cast<int>(from + f * (to - from));
        return std::clamp(value, 0, 255);
    };
    COLORREF result = RGB(channel(GetRValue(base), GetRValue(other)),
                          channel(GetGValue(base), GetGValue(other)),
                          channel(GetBValue(base), GetBValue(other)));
    dc->SetPixelV(x, y, result);
    return result;
}

void DrawSmoothCircle(CDC* dc, LPCRECT rect, COLORREF rim, COLORREF fill)
{
    int size = rect->right - rect->left;
    if (size != rect->bottom - rect->top || size <= 0)
        return;
    double radius = size / 2.0;
    double cx = rect->left + radius, cy = rect->top + radius;
    for (int y = rect->top; y < rect->bottom; ++y) {
        for (int x = rect->left; x < rect->right; ++x) {
            double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            double distance = std::sqrt(dx * dx + dy * dy);
            if (distance <= radius - 1.0) {
                dc->SetPixelV(x, y, fill);
            } else if (distance < radius) {
                // On the rim: fill blends into the rim colour as the pixel nears the radius.
                dc->SetPixelV(x, y, BlendColors(rim, fill, distance - (radius - 1.0)));
            }
        }
    }
}

// ---- device-context wrappers ----

CXTPFontDC::CXTPFontDC(CDC* dc, CFont* font) : m_pDC(dc)
{
    if (font)
        SetFont(font);
}

CXTPFontDC::~CXTPFontDC()
{
    RestoreFont();
    RestoreTextColor();
}

void CXTPFontDC::SetFont(CFont* font)
{
    if (!m_pDC || !font)
        return;
    CFont* previous = m_pDC->SelectObject(font);
    if (!m_pInitialFont && previous)
        m_pInitialFont = previous;
}

void CXTPFontDC::RestoreFont()
{
    if (m_pDC && m_pInitialFont) {
        m_pDC->SelectObject(m_pInitialFont);
        m_pInitialFont = nullptr;
    }
}

void CXTPFontDC::RestoreTextColor()
{
    if (m_pDC && m_clrOldTextColor != static_cast<COLORREF>(-1)) {
        m_pDC->SetTextColor(m_clrOldTextColor);
        m_clrOldTextColor = static_cast<COLORREF>(-1);
    }
}

CXTPCompatibleDC::CXTPCompatibleDC(CDC* dc, CBitmap* bitmap)
    : CXTPCompatibleDC(dc, bitmap ? static_cast<HBITMAP>(bitmap->GetSafeHandle()) : nullptr)
{
}

CXTPCompatibleDC::CXTPCompatibleDC(CDC* dc, HBITMAP bitmap)
{
    CreateCompatibleDC(dc);
    if (m_hDC && bitmap)
        m_hBitmapOld = ::SelectObject(m_hDC, bitmap);
}

CXTPCompatibleDC::~CXTPCompatibleDC()
{
    if (m_hDC && m_hBitmapOld)
        ::SelectObject(m_hDC, m_hBitmapOld);
    DeleteDC();
}

CXTPBufferDC::CXTPBufferDC(HDC target, const CRect& rect) : m_hDestDC(target), m_rect(rect)
{
    Init(rect.right, rect.bottom);
}

CXTPBufferDC::CXTPBufferDC(CPaintDC& paintDC) : m_hDestDC(paintDC.GetSafeHdc()), m_rect(paintDC.m_ps.rcPaint)
{
    Init(std::max<int>(m_rect.right, 1), std::max<int>(m_rect.bottom, 1));
    if (m_bBuffered) {
        CRgn clip;
        clip.CreateRectRgnIndirect(&m_rect);
        SelectClipRgn(&clip);
    }
}

void CXTPBufferDC::Init(int width, int height)
{
    HDC memory = ::CreateCompatibleDC(m_hDestDC);
    HBITMAP bitmap = memory && width > 0 && height > 0
                         ? ::CreateCompatibleBitmap(m_hDestDC, width, height)
                         : nullptr;
    if (memory && bitmap) {
        Attach(memory);
        m_bitmap.Attach(bitmap);
        m_hOldBitmap = ::SelectObject(m_hDC, bitmap);
        m_bBuffered = TRUE;
        return;
    }
    // Without a bitmap the buffer would be blank and its copy would wipe the target: draw on
    // the target itself instead (borrowed, so Detach before the base destructor runs).
    if (bitmap)
        ::DeleteObject(bitmap);
    if (memory)
        ::DeleteDC(memory);
    m_hDC = m_hAttribDC = m_hDestDC;
}

CXTPBufferDC::~CXTPBufferDC()
{
    if (!m_bBuffered) {
        m_hDC = m_hAttribDC = nullptr;
        return;
    }
    if (m_hDestDC)
        ::BitBlt(m_hDestDC, m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), m_hDC,
                 m_rect.left, m_rect.top, SRCCOPY);
    ::SelectObject(m_hDC, m_hOldBitmap);
    m_bitmap.DeleteObject();
    DeleteDC();
}

CXTPPenDC::CXTPPenDC(CDC* dc, CPen* pen) : m_hDC(dc ? dc->GetSafeHdc() : nullptr)
{
    if (m_hDC && pen && pen->GetSafeHandle())
        m_hOldPen = ::SelectObject(m_hDC, pen->GetSafeHandle());
}

CXTPPenDC::CXTPPenDC(HDC dc, COLORREF color) : m_hDC(dc)
{
    m_pen.CreatePen(PS_SOLID, 1, color);
    if (m_hDC && m_pen.GetSafeHandle())
        m_hOldPen = ::SelectObject(m_hDC, m_pen.GetSafeHandle());
}

void CXTPPenDC::SetColor(COLORREF color)
{
    if (!m_hDC)
        return;
    // Put the original pen back first: the owned pen cannot be deleted while selected, and the
    // pen remembered for the end must stay the one from before this wrapper.
    if (m_hOldPen)
        ::SelectObject(m_hDC, m_hOldPen);
    m_pen.DeleteObject();
    m_pen.CreatePen(PS_SOLID, 1, color);
    HGDIOBJ previous = ::SelectObject(m_hDC, m_pen.GetSafeHandle());
    if (!m_hOldPen)
        m_hOldPen = previous;
}

CXTPPenDC::~CXTPPenDC()
{
    if (m_hDC && m_hOldPen)
        ::SelectObject(m_hDC, m_hOldPen);
    m_pen.DeleteObject();
}

CXTPBrushDC::CXTPBrushDC(HDC dc, COLORREF color) : m_hDC(dc)
{
    m_brush.CreateSolidBrush(color);
    if (m_hDC && m_brush.GetSafeHandle())
        m_hOldBrush = ::SelectObject(m_hDC, m_brush.GetSafeHandle());
}

CXTPBrushDC::~CXTPBrushDC()
{
    if (m_hDC && m_hOldBrush)
        ::SelectObject(m_hDC, m_hOldBrush);
    m_brush.DeleteObject();
}

// ---- shapes, rectangles, strings, windows ----

void DrawTriangle(CDC* dc, POINT a, POINT b, POINT c)
{
    POINT points[3] = {a, b, c};
    dc->Polygon(points, 3);
}

void DrawFilledTriangle(CDC* dc, POINT a, POINT b, POINT c, COLORREF color)
{
    CXTPPenDC pen(dc->GetSafeHdc(), color);
    CXTPBrushDC brush(dc->GetSafeHdc(), color);
    DrawTriangle(dc, a, b, c);
}

CRect& InitEmptyRect(CRect& rect)
{
    ::SetRectEmpty(&rect);
    return rect;
}

CRect& InitWindowRectOfHandle(CRect& rect, HWND window)
{
    if (window && ::IsWindow(window))
        ::GetWindowRect(window, &rect);
    else
        ::SetRectEmpty(&rect);
    return rect;
}

CRect& InitWindowRectOfWnd(CRect& rect, const CWnd* window)
{
    if (window && ::IsWindow(window->m_hWnd))
        ::GetWindowRect(window->m_hWnd, &rect);
    else
        ::SetRectEmpty(&rect);
    return rect;
}

CRect& InitClientRectOfWnd(CRect& rect, const CWnd* window)
{
    if (window && ::IsWindow(window->m_hWnd))
        ::GetClientRect(window->m_hWnd, &rect);
    else
        ::SetRectEmpty(&rect);
    return rect;
}

wchar_t* StripMnemonicsInPlace(wchar_t* text)
{
    if (!text || text == reinterpret_cast<wchar_t*>(static_cast<INT_PTR>(-1)))
        return text;
    wchar_t* out = text;
    for (const wchar_t* in = text; *in; ++in) {
        if (*in == L'&') {
            if (in[1] == L'&') {
                *out++ = L'&';
                ++in;
            }
            continue;
        }
        *out++ = *in;
    }
    *out = L'\0';
    return text;
}

void StripAmpersands(CString& text)
{
    CString result;
    int length = text.GetLength();
    for (int i = 0; i < length; ++i) {
        if (text[i] == L'&') {
            ++i;    // the character that moves into the ampersand's place is kept as it is
            if (i >= length)
                break;
        }
        result += text[i];
    }
    text = result;
}

void GetWindowTextDirect(HWND window, CString& text)
{
    int length = static_cast<int>(::DefWindowProcW(window, WM_GETTEXTLENGTH, 0, 0));
    wchar_t* buffer = text.GetBuffer(length + 1);
    ::DefWindowProcW(window, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(buffer));
    text.ReleaseBuffer();
}

BOOL RegisterWndClass(HINSTANCE instance, const wchar_t* className, UINT style, HICON icon, HBRUSH background)
{
    if (!instance)
        instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW existing = {};
    if (::GetClassInfoW(instance, className, &existing))
        return TRUE;
    WNDCLASSW wc = {};
    wc.style = style;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return ::RegisterClassW(&wc) != 0;
}

BOOL IsTopLevelWindowActive(HWND window)
{
    if (!window)
        return FALSE;
    HWND top = window;
    for (HWND next = ::GetParent(top); next; next = ::GetParent(top))
        top = next;
    return ::GetForegroundWindow() == ::GetLastActivePopup(top);
}

BOOL GetIconTitleLogFont(LOGFONTW* logFont)
{
    ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(LOGFONTW), logFont, 0);
    logFont->lfCharSet = GetResourceManager()->GetFontCharset();
    return TRUE;
}

static int CALLBACK IsFontInstalledProc(const LOGFONTW* logFont, const TEXTMETRICW*, DWORD, LPARAM param)
{
    const wchar_t* wanted = reinterpret_cast<const wchar_t*>(param);
    return _wcsicmp(logFont->lfFaceName, wanted) == 0 ? 0 : 1;
}

BOOL IsFontInstalled(const wchar_t* faceName)
{
    HDC screen = ::GetDC(nullptr);
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    int result = ::EnumFontFamiliesExW(screen, &query, IsFontInstalledProc, reinterpret_cast<LPARAM>(faceName), 0);
    ::ReleaseDC(nullptr, screen);
    return result == 0;
}

void GetDefaultUIFontFace(CString& face, BOOL preferTahoma)
{
    LOGFONTW logFont = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    BOOL useStock = (logFont.lfCharSet > SYMBOL_CHARSET && GetOsVersionCache().IsWin2000OrLater() &&
                     _wcsicmp(logFont.lfFaceName, L"MS Shell Dlg") != 0) ||
                    !IsFontInstalled(L"Arial");
    if (useStock)
        face = logFont.lfFaceName;
    else if (preferTahoma && IsFontInstalled(L"Tahoma"))
        face = L"Tahoma";
    else
        face = L"Arial";
}

COLORREF GetBitmapTopLeftColor(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info))
        return static_cast<COLORREF>(-1);
    CXTPCompatibleDC dc(nullptr, bitmap);
    return dc.GetPixel(0, 0);
}

HICON CreateIconFromBitmap(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth == 0 || info.bmHeight == 0)
        return nullptr;
    HIMAGELIST list = ::ImageList_Create(info.bmWidth, info.bmHeight, ILC_COLOR24 | ILC_MASK, 0, 1);
    if (!list)
        return nullptr;
    ::ImageList_AddMasked(list, bitmap, GetBitmapTopLeftColor(bitmap));
    HICON icon = ::ImageList_GetIcon(list, 0, ILD_NORMAL);
    ::ImageList_Destroy(list);
    return icon;
}

// ---- right-to-left ----

namespace {

using PFNGETLAYOUT = DWORD(WINAPI*)(HDC);
using PFNSETLAYOUT = DWORD(WINAPI*)(HDC, DWORD);

struct LayoutEntries {
    PFNGETLAYOUT get = nullptr;
    PFNSETLAYOUT set = nullptr;
};

// Looked up once: layout questions are asked on every paint.
const LayoutEntries& GetLayoutEntries()
{
    static const LayoutEntries entries = [] {
        LayoutEntries result;
        HMODULE gdi = ::GetModuleHandleW(L"GDI32.DLL");
        if (gdi) {
            result.get = reinterpret_cast<PFNGETLAYOUT>(reinterpret_cast<void*>(::GetProcAddress(gdi, "GetLayout")));
            result.set = reinterpret_cast<PFNSETLAYOUT>(reinterpret_cast<void*>(::GetProcAddress(gdi, "SetLayout")));
        }
        return result;
    }();
    return entries;
}

}    // namespace

DWORD GetDeviceLayout(HDC dc)
{
    const LayoutEntries& entries = GetLayoutEntries();
    return entries.get ? entries.get(dc) : 0;
}

void SetDeviceLayout(HDC dc, DWORD layout)
{
    const LayoutEntries& entries = GetLayoutEntries();
    if (entries.set)
        entries.set(dc, layout);
}

BOOL IsDCMirrored(CDC* dc)
{
    return dc && GetDeviceLayout(dc->GetSafeHdc()) != 0;
}

void SetDCLayout(CDC* dc, DWORD layout)
{
    if (dc)
        SetDeviceLayout(dc->GetSafeHdc(), layout);
}

void MirrorArrowKeyForRtl(const CWnd* window, UINT& key)
{
    if (!window || !::IsWindow(window->m_hWnd))
        return;
    if (!(::GetWindowLongW(window->m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL))
        return;
    if (key == VK_LEFT)
        key = VK_RIGHT;
    else if (key == VK_RIGHT)
        key = VK_LEFT;
}

void ScreenToWindowPointRtl(const CWnd* window, POINT& point)
{
    CRect rect;
    InitWindowRectOfWnd(rect, window);
    point.y -= rect.top;
    if (window && ::IsWindow(window->m_hWnd) && (::GetWindowLongW(window->m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL))
        point.x = rect.right - point.x;
    else
        point.x -= rect.left;
}

// ---- splitter drag tracker ----

CXTPSplitterDragTracker::CXTPSplitterDragTracker(BOOL invertMode, BOOL screenMode)
    : m_bInvertMode(invertMode), m_bScreenMode(screenMode)
{
    ::SetRectEmpty(&m_rcAdditional);
    HMODULE user = ::GetModuleHandleW(L"USER32");
    if (user)
        m_pfnSetLayeredWindowAttributes = reinterpret_cast<PFNSETLAYEREDWINDOWATTRIBUTES>(
            reinterpret_cast<void*>(::GetProcAddress(user, "SetLayeredWindowAttributes")));
}

CXTPSplitterDragTracker::~CXTPSplitterDragTracker()
{
    if (m_hLayered)
        ::DestroyWindow(m_hLayered);
}

void CXTPSplitterDragTracker::DrawFeedback(const CRect& rectIn)
{
    CRect rect = rectIn;
    if (!m_bScreenMode && m_hTarget) {
        ::ScreenToClient(m_hTarget, &rect.TopLeft());
        ::ScreenToClient(m_hTarget, &rect.BottomRight());
    }
    if (m_hLayered) {
        ::SetWindowPos(m_hLayered, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
        return;
    }
    if (!m_pDC)
        return;
    if (m_bInvertMode) {
        m_pDC->InvertRect(&rect);
    } else {
        HGDIOBJ old = ::SelectObject(m_pDC->GetSafeHdc(), CDC::GetHalftoneBrush()->GetSafeHandle());
        m_pDC->PatBlt(rect.left, rect.top, rect.Width(), rect.Height(), PATINVERT);
        ::SelectObject(m_pDC->GetSafeHdc(), old);
    }
}

BOOL CXTPSplitterDragTracker::Track(CWnd* owner, const CRect& bounds, CRect& rect, POINT start, BOOL horizontal)
{
    HWND ownerWnd = owner->GetSafeHwnd();
    ::SetCapture(ownerWnd);
    m_pDC = nullptr;
    m_hLayered = nullptr;

    if (!::IsRectEmpty(&m_rcAdditional)) {
        m_hTarget = m_bScreenMode ? ::GetDesktopWindow() : ownerWnd;
    } else if (m_bScreenMode && GetOsVersionCache().IsVistaOrLater() && m_pfnSetLayeredWindowAttributes &&
               !CXTPColorManager::IsLowColorDisplay(nullptr)) {
        static const wchar_t kClass[] = L"XTPSplitterTrackerFeedback";
        RegisterWndClass(nullptr, kClass, 0, nullptr, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        m_hLayered = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClass, L"", WS_POPUP,
                                       0, 0, 0, 0, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (m_hLayered)
            m_pfnSetLayeredWindowAttributes(m_hLayered, 0, 100, LWA_ALPHA);
        m_hTarget = ::GetDesktopWindow();
    } else {
        m_hTarget = m_bScreenMode ? ::GetDesktopWindow() : ownerWnd;
    }

    BOOL locked = FALSE;
    CDC feedbackDC;
    if (!m_hLayered) {
        locked = ::LockWindowUpdate(m_hTarget);
        HDC dc = ::GetDCEx(m_hTarget, nullptr, DCX_WINDOW | DCX_CACHE | (locked ? DCX_LOCKWINDOWUPDATE : 0));
        feedbackDC.m_hDC = feedbackDC.m_hAttribDC = dc;    // borrowed; released below
        m_pDC = &feedbackDC;
    }

    CPoint offset(horizontal ? rect.left - start.x : 0, horizontal ? 0 : rect.top - start.y);
    DrawFeedback(rect);
    if (!::IsRectEmpty(&m_rcAdditional))
        DrawFeedback(m_rcAdditional);

    BOOL accepted = FALSE;
    MSG msg = {};
    while (::GetCapture() == ownerWnd) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Swallowing WM_QUIT here would leave the program running after the drag: hand it on.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        if (msg.message == WM_MOUSEMOVE) {
            POINT point = {static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
            ::ClientToScreen(ownerWnd, &point);
            point.x += offset.x;
            point.y += offset.y;
            if (bounds.left >= std::min<LONG>(point.x, bounds.right))
                point.x = bounds.left;
            else if (point.x >= bounds.right)
                point.x = bounds.right;
            if (bounds.top >= std::min<LONG>(point.y, bounds.bottom))
                point.y = bounds.top;
            else if (point.y >= bounds.bottom)
                point.y = bounds.bottom;
            if (horizontal ? point.x == rect.left : point.y == rect.top)
                continue;
            DrawFeedback(rect);
            if (horizontal)
                rect.OffsetRect(point.x - rect.left, 0);
            else
                rect.OffsetRect(0, point.y - rect.top);
            DrawFeedback(rect);
        } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            break;
        } else if (msg.message == WM_LBUTTONUP) {
            accepted = TRUE;
            break;
        } else {
            ::DispatchMessageW(&msg);
        }
    }

    if (!::IsRectEmpty(&m_rcAdditional))
        DrawFeedback(m_rcAdditional);
    DrawFeedback(rect);
    if (::GetCapture() == ownerWnd)
        ::ReleaseCapture();
    if (m_hLayered) {
        ::DestroyWindow(m_hLayered);
        m_hLayered = nullptr;
    } else {
        if (locked)
            ::LockWindowUpdate(nullptr);
        ::ReleaseDC(m_hTarget, feedbackDC.m_hDC);
        feedbackDC.m_hDC = feedbackDC.m_hAttribDC = nullptr;
    }
    m_pDC = nullptr;
    return accepted;
}
