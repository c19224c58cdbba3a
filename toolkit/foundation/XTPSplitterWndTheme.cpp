// The splitter's looks: colours per theme and the drawing of bars, split boxes and pane borders.

#include "toolkit/foundation/XTPSplitterWndTheme.h"

#include "framework/window/Dc.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPResourceImage.h"
#include "toolkit/foundation/XTPSplitterWnd.h"

namespace {

void SetPair(CXTPPaintManagerColorGradient& gradient, int light, int dark)
{
    gradient.SetStandardValue(::GetSysColor(light), ::GetSysColor(dark), 0.5f);
}

void SetSolid(CXTPPaintManagerColorGradient& gradient, COLORREF color)
{
    gradient.SetStandardSolid(color);
}

} // namespace

// ---- the plain look ----

CXTPSplitterWndTheme::CXTPSplitterWndTheme()
{
    m_nTheme = 0;
}

void CXTPSplitterWndTheme::RefreshMetrics()
{
    SetSolid(m_clrBarFace, ::GetSysColor(COLOR_BTNFACE));
    m_clrBoxFace.SetStandardValueFrom(m_clrBarFace);
    SetPair(m_clrBorderOuter, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
    m_clrBoxOuter.SetStandardValueFrom(m_clrBorderOuter);
    SetPair(m_clrBorderInner, COLOR_BTNFACE, COLOR_WINDOWFRAME);
    m_clrBoxInner.SetStandardValueFrom(m_clrBorderInner);
}

void CXTPSplitterWndTheme::DrawSplitter(CDC* pDC, CXTPSplitterWnd* pSplitter, int nType, const CRect& rect)
{
    DrawSplitter3D(pDC, pSplitter, nType, rect);
}

void CXTPSplitterWndTheme::DrawSplitter3D(CDC* pDC, CXTPSplitterWnd* pSplitter, int nType, const CRect& rectArg)
{
    CRect rect = rectArg;
    switch (nType) {
    case CSplitterWnd::splitBorder:
        if (!pSplitter || pSplitter->IsBorder3D()) {
            pDC->Draw3dRect(&rect, m_clrBorderOuter.clrDark, m_clrBorderOuter.clrLight);
            rect.DeflateRect(1, 1);
            pDC->Draw3dRect(&rect, m_clrBorderInner.clrDark, m_clrBorderInner.clrLight);
        } else {
            const COLORREF face = m_clrBarFace.clrDark;
            pDC->Draw3dRect(&rect, face, face);
            rect.DeflateRect(1, 1);
            pDC->Draw3dRect(&rect, face, face);
        }
        return;
    case CSplitterWnd::splitBar:
    case CSplitterWnd::splitIntersection:
        pDC->FillSolidRect(&rect, m_clrBarFace.clrDark);
        return;
    case CSplitterWnd::splitBox:
        pDC->Draw3dRect(&rect, m_clrBoxOuter.clrLight, m_clrBoxOuter.clrDark);
        rect.DeflateRect(1, 1);
        pDC->Draw3dRect(&rect, m_clrBoxInner.clrLight, m_clrBoxInner.clrDark);
        rect.DeflateRect(1, 1);
        pDC->FillSolidRect(&rect, m_clrBoxFace.clrDark);
        return;
    default:
        return;
    }
}

HBRUSH CXTPSplitterWndTheme::GetTrackerBrush()
{
    CBrush* brush = CDC::GetHalftoneBrush();
    return brush ? static_cast<HBRUSH>(brush->m_hObject) : static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
}

// ---- Office XP ----

CXTPSplitterWndThemeOfficeXP::CXTPSplitterWndThemeOfficeXP()
{
    m_nTheme = 4;
}

void CXTPSplitterWndThemeOfficeXP::RefreshMetrics()
{
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    SetSolid(m_clrBarFace, face);
    m_clrBoxFace.SetStandardValueFrom(m_clrBarFace);
    SetSolid(m_clrBorderOuter, face);
    SetPair(m_clrBoxOuter, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
    SetPair(m_clrBorderInner, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
    SetSolid(m_clrBoxInner, face);
}

HBRUSH CXTPSplitterWndThemeOfficeXP::GetTrackerBrush()
{
    return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
}

// ---- Office 2003 ----

CXTPSplitterWndThemeOffice2003::CXTPSplitterWndThemeOffice2003()
{
    m_nTheme = 5;
}

void CXTPSplitterWndThemeOffice2003::CopyBoxColors()
{
    m_clrBoxFace.SetStandardValueFrom(m_clrBarFace);
    m_clrBoxOuter.SetStandardValueFrom(m_clrBorderOuter);
    m_clrBoxInner.SetStandardValueFrom(m_clrBorderInner);
}

void CXTPSplitterWndThemeOffice2003::RefreshMetrics()
{
    CXTPSplitterWndThemeOfficeXP::RefreshMetrics();
    const CXTPColorManager* colors = GetColorManager();
    const int scheme = colors->IsLunaColorsDisabled() ? 0 : colors->GetCurrentSystemTheme();
    if (scheme >= 1 && scheme <= 5) {
        COLORREF face, frame;
        if (scheme == 2) {            // olive
            face = RGB(226, 231, 191);
            frame = RGB(99, 130, 90);
        } else if (scheme == 3) {     // silver
            face = RGB(223, 223, 234);
            frame = RGB(123, 125, 148);
        } else {                      // blue
            face = RGB(165, 195, 255);
            frame = RGB(0, 44, 148);
        }
        SetSolid(m_clrBarFace, face);
        SetSolid(m_clrBorderOuter, face);
        SetSolid(m_clrBorderInner, frame);
    }
    CopyBoxColors();
}

void CXTPSplitterWndThemeOffice2003::DrawFlatBox(CDC* pDC, const CRect& rect)
{
    pDC->FillSolidRect(&rect, m_clrBoxFace.clrDark);
    CXTPPenDC pen(pDC->GetSafeHdc(), m_clrBorderInner.clrDark);
    pDC->MoveTo(rect.left, rect.top);
    if (rect.Width() > rect.Height()) {
        pDC->LineTo(rect.left, rect.bottom - 1);
        pDC->LineTo(rect.right, rect.bottom - 1);
    } else {
        pDC->LineTo(rect.right - 1, rect.top);
        pDC->LineTo(rect.right - 1, rect.bottom);
    }
}

void CXTPSplitterWndThemeOffice2003::DrawSplitter(CDC* pDC, CXTPSplitterWnd* pSplitter, int nType, const CRect& rect)
{
    if (nType == CSplitterWnd::splitBox)
        DrawFlatBox(pDC, rect);
    else
        DrawSplitter3D(pDC, pSplitter, nType, rect);
}

// ---- resource images ----

CXTPSplitterWndThemeResource::CXTPSplitterWndThemeResource()
{
    m_nTheme = 7;
}

void CXTPSplitterWndThemeResource::RefreshMetrics()
{
    CXTPSplitterWndThemeOfficeXP::RefreshMetrics();
    const CXTPResourceImages* images = GetResourceImages();
    if (!images)
        return;
    const CXTPColorManager* colors = GetColorManager();
    const COLORREF face = images->GetColor(L"Window", m_bTabColors ? L"SplitterFaceTab" : L"SplitterFace",
                                           colors->GetColor(15));
    const COLORREF frame = images->GetColor(L"Window", m_bTabColors ? L"SplitterFrameTab" : L"SplitterFrame",
                                            colors->GetColor(16));
    SetSolid(m_clrBarFace, face);
    SetSolid(m_clrBorderOuter, face);
    SetSolid(m_clrBorderInner, frame);
    CopyBoxColors();
}

// ---- Visual Studio 2010 ----

CXTPSplitterWndThemeVisualStudio2010::CXTPSplitterWndThemeVisualStudio2010()
{
    m_nTheme = 10;
}

void CXTPSplitterWndThemeVisualStudio2010::RefreshMetrics()
{
    // Fixed colours throughout: nothing comes from the system.
    const COLORREF face = m_bTabColors ? RGB(255, 243, 206) : RGB(173, 186, 206);
    SetSolid(m_clrBarFace, face);
    SetSolid(m_clrBoxFace, RGB(208, 215, 226));
    m_clrBorderOuter.SetStandardValueFrom(m_clrBarFace);
    SetSolid(m_clrBoxOuter, m_bTabColors ? RGB(155, 167, 183) : RGB(208, 215, 226));
    SetSolid(m_clrBorderInner, m_bTabColors ? RGB(255, 243, 206) : RGB(132, 146, 165));
    SetSolid(m_clrBoxInner, RGB(208, 215, 226));
}

void CXTPSplitterWndThemeVisualStudio2010::DrawSplitter(CDC* pDC, CXTPSplitterWnd* pSplitter, int nType,
                                                        const CRect& rect)
{
    if (m_bTabColors)
        DrawSplitter3D(pDC, pSplitter, nType, rect);
    else
        CXTPSplitterWndThemeOffice2003::DrawSplitter(pDC, pSplitter, nType, rect);
}
