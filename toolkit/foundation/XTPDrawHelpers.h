#pragma once
// The toolkit's lowest drawing layer: the process-wide helper that binds msimg32's gradient and
// blending entry points, two-colour gradients with their fallbacks, scope objects that select a
// font, pen, brush or bitmap and put the previous one back, the double-buffering context, integer
// colour arithmetic (its exact rounding is relied on by every paint manager), right-to-left
// helpers, small window and font helpers, and the modal drag tracker of splitter bars.
// Everything here runs on the user-interface thread.

#include "framework/Rect.h"
#include "framework/String.h"
#include "framework/window/Dc.h"
#include "framework/window/Gdi.h"

#include <windows.h>

class CWnd;
class CXTPPaintManagerColorGradient;

using PFNXTPALPHABLEND = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
using PFNXTPTRANSPARENTBLT = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
using PFNXTPGRADIENTFILL = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

class CXTPDrawHelpers {
public:
    CXTPDrawHelpers();
    // A helper over given entry points (null ones stand for missing exports); lets the manual
    // fallback be exercised on a system that has msimg32.
    CXTPDrawHelpers(PFNXTPALPHABLEND alphaBlend, PFNXTPTRANSPARENTBLT transparentBlt,
                    PFNXTPGRADIENTFILL gradientFill);
    CXTPDrawHelpers(const CXTPDrawHelpers&) = delete;
    CXTPDrawHelpers& operator=(const CXTPDrawHelpers&) = delete;
    virtual ~CXTPDrawHelpers();    // msimg32 stays loaded: other code may hold its pointers

    BOOL CallGradientFill(HDC dc, PTRIVERTEX vertices, ULONG vertexCount, PVOID mesh,
                          ULONG meshCount, ULONG mode);
    void GradientFill(CDC* dc, LPCRECT rect, COLORREF from, COLORREF to, BOOL horizontal);
    // Only the part of rect inside clip, in the colours the whole gradient has there.
    void GradientFillClipped(CDC* dc, LPCRECT rect, COLORREF from, COLORREF to, BOOL horizontal,
                             LPCRECT clip);
    void GradientFillColorGradient(CDC* dc, LPCRECT rect, const CXTPPaintManagerColorGradient& gradient,
                                   BOOL horizontal, LPCRECT clip = nullptr);

    PFNXTPALPHABLEND m_pfnAlphaBlend = nullptr;
    PFNXTPTRANSPARENTBLT m_pfnTransparentBlt = nullptr;
    PFNXTPGRADIENTFILL m_pfnGradientFill = nullptr;
    HMODULE m_hMsImg32 = nullptr;    // kept loaded for the process's lifetime

protected:
    void GradientFillManual(CDC* dc, LPCRECT rect, COLORREF from, COLORREF to, BOOL horizontal);
    void GradientFillMsimg(CDC* dc, LPCRECT rect, COLORREF from, COLORREF to, BOOL horizontal);
};

CXTPDrawHelpers* GetDrawHelpers();

// Colour arithmetic. Hue/saturation/luminance are packed as hue (0..239) in the low byte,
// saturation (0..240) in the second and luminance (0..240) in the third.
COLORREF BlendColors(COLORREF a, COLORREF b, double factor);
DWORD RgbToHls(COLORREF color);
COLORREF HlsToRgb(DWORD hls);
int HueToRgbChannel(int m1, int m2, int hue);
BOOL IsLowColorDC(HDC dc);
// Per channel base + |factor| x (other - base); other is the context's pixel at (x, y) for a
// factor of 0 or more, else the given colour. Sets the pixel and returns the colour.
COLORREF MixPixelColor(CDC* dc, int x, int y, COLORREF base, COLORREF color, double factor);
// A filled anti-aliased circle in a square rectangle (nothing when it is not square).
void DrawSmoothCircle(CDC* dc, LPCRECT rect, COLORREF rim, COLORREF fill);

// Selects a font and, on destruction, the font that was selected before the first SetFont.
class CXTPFontDC {
public:
    CXTPFontDC(CDC* dc, CFont* font);
    CXTPFontDC(const CXTPFontDC&) = delete;
    CXTPFontDC& operator=(const CXTPFontDC&) = delete;
    virtual ~CXTPFontDC();

    void SetFont(CFont* font);
    void RestoreFont();
    void RestoreTextColor();

protected:
    CDC* m_pDC;                       // not owned
    CFont* m_pInitialFont = nullptr;  // not owned; null until a selection returned one
    COLORREF m_clrOldTextColor = static_cast<COLORREF>(-1);
};

// A memory context compatible with another (the screen for null) with a bitmap selected.
class CXTPCompatibleDC : public CDC {
public:
    CXTPCompatibleDC(CDC* dc, CBitmap* bitmap);
    CXTPCompatibleDC(CDC* dc, HBITMAP bitmap);
    ~CXTPCompatibleDC() override;

protected:
    HGDIOBJ m_hBitmapOld = nullptr;
};

// Double buffer: drawing goes to a memory bitmap, copied to the target at the same coordinates
// on destruction. When no bitmap can be made (GDI exhausted, a huge rectangle) the buffer is the
// target itself: drawing lands on it directly and nothing is copied, so a blank buffer never
// overwrites what is there.
class CXTPBufferDC : public CDC {
public:
    CXTPBufferDC(HDC target, const CRect& rect);
    explicit CXTPBufferDC(CPaintDC& paintDC);
    ~CXTPBufferDC() override;

    // Whether drawing goes to a memory bitmap (false: straight to the target).
    BOOL IsBuffered() const { return m_bBuffered; }

protected:
    void Init(int width, int height);

    HDC m_hDestDC;    // not owned
    CBitmap m_bitmap;
    CRect m_rect;
    HGDIOBJ m_hOldBitmap = nullptr;
    BOOL m_bBuffered = FALSE;
};

class CXTPPenDC {
public:
    CXTPPenDC(CDC* dc, CPen* pen);
    CXTPPenDC(HDC dc, COLORREF color);
    CXTPPenDC(const CXTPPenDC&) = delete;
    CXTPPenDC& operator=(const CXTPPenDC&) = delete;
    virtual ~CXTPPenDC();

    void SetColor(COLORREF color);

protected:
    HDC m_hDC;    // not owned
    CPen m_pen;
    HGDIOBJ m_hOldPen = nullptr;
};

class CXTPBrushDC {
public:
    CXTPBrushDC(HDC dc, COLORREF color);
    CXTPBrushDC(const CXTPBrushDC&) = delete;
    CXTPBrushDC& operator=(const CXTPBrushDC&) = delete;
    virtual ~CXTPBrushDC();

protected:
    HDC m_hDC;    // not owned
    CBrush m_brush;
    HGDIOBJ m_hOldBrush = nullptr;
};

// Shapes, rectangles, strings and windows.
void DrawTriangle(CDC* dc, POINT a, POINT b, POINT c);
void DrawFilledTriangle(CDC* dc, POINT a, POINT b, POINT c, COLORREF color);
CRect& InitEmptyRect(CRect& rect);
CRect& InitWindowRectOfHandle(CRect& rect, HWND window);
CRect& InitWindowRectOfWnd(CRect& rect, const CWnd* window);
CRect& InitClientRectOfWnd(CRect& rect, const CWnd* window);
wchar_t* StripMnemonicsInPlace(wchar_t* text);
void StripAmpersands(CString& text);
void GetWindowTextDirect(HWND window, CString& text);
BOOL RegisterWndClass(HINSTANCE instance, const wchar_t* className, UINT style, HICON icon = nullptr,
                      HBRUSH background = nullptr);
BOOL IsTopLevelWindowActive(HWND window);
BOOL GetIconTitleLogFont(LOGFONTW* logFont);
BOOL IsFontInstalled(const wchar_t* faceName);
void GetDefaultUIFontFace(CString& face, BOOL preferTahoma);
COLORREF GetBitmapTopLeftColor(HBITMAP bitmap);
HICON CreateIconFromBitmap(HBITMAP bitmap);

// Right-to-left helpers. GetLayout/SetLayout are looked up in gdi32 once per process.
DWORD GetDeviceLayout(HDC dc);
void SetDeviceLayout(HDC dc, DWORD layout);
BOOL IsDCMirrored(CDC* dc);
void SetDCLayout(CDC* dc, DWORD layout);
void MirrorArrowKeyForRtl(const CWnd* window, UINT& key);
void ScreenToWindowPointRtl(const CWnd* window, POINT& point);

// Moves a splitter bar with the mouse in a modal loop, drawing the bar as inverted or halftone
// feedback (or, on the desktop on Vista and later, as a translucent layered window).
class CXTPSplitterDragTracker {
public:
    explicit CXTPSplitterDragTracker(BOOL invertMode = FALSE, BOOL screenMode = FALSE);
    CXTPSplitterDragTracker(const CXTPSplitterDragTracker&) = delete;
    CXTPSplitterDragTracker& operator=(const CXTPSplitterDragTracker&) = delete;
    ~CXTPSplitterDragTracker();

    // TRUE when the left button was released (rect then holds the bar's last place), FALSE when
    // Esc, a lost capture or WM_QUIT ended it; a WM_QUIT is posted again for the caller's loop.
    BOOL Track(CWnd* owner, const CRect& bounds, CRect& rect, POINT start, BOOL horizontal);
    void DrawFeedback(const CRect& rect);

    CRect m_rcAdditional;    // drawn with the bar when not empty

    // Exposed for tests: the layered feedback window while tracking, else null.
    HWND GetLayeredWindow() const { return m_hLayered; }

protected:
    CDC* m_pDC = nullptr;       // the feedback context, only while tracking
    BOOL m_bInvertMode;
    HWND m_hTarget = nullptr;   // not owned: the window whose coordinates the feedback uses
    BOOL m_bScreenMode;
    HWND m_hLayered = nullptr;  // owned while tracking
    using PFNSETLAYEREDWINDOWATTRIBUTES = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    PFNSETLAYEREDWINDOWATTRIBUTES m_pfnSetLayeredWindowAttributes = nullptr;
};
