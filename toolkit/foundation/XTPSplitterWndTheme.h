#pragma once
// The looks of CXTPSplitterWnd: six colour pairs (bars, split boxes and the two edges of each
// pane border) and the drawing of each part type. A theme is chosen by number
// (CXTPSplitterWnd::SetTheme); like the other control themes it is a reference-counted command
// target that the splitter holds one reference to. RefreshMetrics rereads the colours and must
// run before the first draw; the splitter's SetTheme does it.

#include "framework/window/Splitter.h"
#include "toolkit/foundation/XTPButtonTheme.h"
#include "toolkit/foundation/XTPColorManager.h"

#include <windows.h>

class CDC;
class CXTPSplitterWnd;

class CXTPSplitterWndTheme : public CXTPControlTheme {
public:
    CXTPSplitterWndTheme();
    CXTPSplitterWndTheme(const CXTPSplitterWndTheme&) = delete;
    CXTPSplitterWndTheme& operator=(const CXTPSplitterWndTheme&) = delete;

    virtual void RefreshMetrics();
    // Draws one part (CSplitterWnd::ESplitType) of the splitter into rect.
    virtual void DrawSplitter(CDC* pDC, CXTPSplitterWnd* pSplitter, int nType, const CRect& rect);
    // The brush that the inverted tracker is drawn with; not owned by the caller.
    virtual HBRUSH GetTrackerBrush();

    // Selects the colours that suit a splitter inside tabbed panes (resource and Visual Studio
    // 2010 looks). Nothing sets it by default; call RefreshMetrics afterwards.
    void SetTabVariant(BOOL tabVariant) { m_bTabColors = tabVariant; }
    BOOL IsTabVariant() const { return m_bTabColors; }

    BOOL m_bTabColors = FALSE;
    CXTPPaintManagerColorGradient m_clrBarFace;      // dark fills bars and intersections
    CXTPPaintManagerColorGradient m_clrBoxFace;      // dark fills the inside of a split box
    CXTPPaintManagerColorGradient m_clrBorderOuter;  // pane border's outer edge: dark top-left, light bottom-right
    CXTPPaintManagerColorGradient m_clrBoxOuter;     // split box's outer edge: light top-left, dark bottom-right
    CXTPPaintManagerColorGradient m_clrBorderInner;  // pane border's inner edge
    CXTPPaintManagerColorGradient m_clrBoxInner;     // split box's inner edge

protected:
    // The three-dimensional drawing that the flat looks fall back on for every part but the box.
    void DrawSplitter3D(CDC* pDC, CXTPSplitterWnd* pSplitter, int nType, const CRect& rect);
};

// Theme numbers 3, 4, 8 and 9: flat edges, the split boxes raised once.
class CXTPSplitterWndThemeOfficeXP : public CXTPSplitterWndTheme {
public:
    CXTPSplitterWndThemeOfficeXP();
    void RefreshMetrics() override;
    HBRUSH GetTrackerBrush() override;
};

// Theme 5: the Office XP colours, or the Windows XP scheme's face and frame while the colour
// manager follows one; split boxes drawn flat with two lines.
class CXTPSplitterWndThemeOffice2003 : public CXTPSplitterWndThemeOfficeXP {
public:
    CXTPSplitterWndThemeOffice2003();
    void RefreshMetrics() override;
    void DrawSplitter(CDC* pDC, CXTPSplitterWnd* pSplitter, int nType, const CRect& rect) override;

protected:
    // Copies the box colours from the bar and border colours.
    void CopyBoxColors();
    void DrawFlatBox(CDC* pDC, const CRect& rect);
};

// Theme 7: face and frame from the resource images' style text ("Window" section).
class CXTPSplitterWndThemeResource : public CXTPSplitterWndThemeOffice2003 {
public:
    CXTPSplitterWndThemeResource();
    void RefreshMetrics() override;
};

// Theme 10: fixed blue-grey colours; with the tab variant the plain three-dimensional drawing.
class CXTPSplitterWndThemeVisualStudio2010 : public CXTPSplitterWndThemeOffice2003 {
public:
    CXTPSplitterWndThemeVisualStudio2010();
    void RefreshMetrics() override;
    void DrawSplitter(CDC* pDC, CXTPSplitterWnd* pSplitter, int nType, const CRect& rect) override;
};
