#pragma once
// The colours, metrics, cursors and fonts that the stand-alone controls share (caption, list
// box, splitter window), made once on first use. Every font and cursor is made on its own: one
// that fails (a resource module without a cursor, a font GDI refuses) does not leave the others
// unmade; the functions still report the failure.

#include "framework/window/Gdi.h"

#include <windows.h>

class CXTPAuxData {
public:
    CXTPAuxData();
    CXTPAuxData(const CXTPAuxData&) = delete;
    CXTPAuxData& operator=(const CXTPAuxData&) = delete;
    virtual ~CXTPAuxData();

    void UpdateAuxColors();
    void UpdateAuxMetrics();
    // FALSE when any cursor is missing (the others are still loaded).
    BOOL LoadAuxCursors();
    // FALSE when any font cannot be made (the others are still made).
    BOOL UpdateFonts();
    void DeleteFonts();
    static BOOL CreateFontFrom(const LOGFONTW& logFont, CFont& font, int weight = -1, BYTE underline = 0xFF,
                               int orientation = -1, int escapement = -1);

    // System colours through the colour manager.
    COLORREF clr3DFace, clr3DShadow, clr3DDkShadow, clr3DHilight, clr3DLight, clrBtnText, clrGrayText,
        clrHighlight, clrHighlightText, clrMenu, clrMenuText, clrWindow, clrWindowFrame, clrWindowText,
        clrActiveCaption, clrInActiveCaption, clrGradActiveCapt, clrGradInActiveCapt, clrActiveCaptText,
        clrInactiveCaptText;
    // Toolkit colours 30 to 49.
    COLORREF clrXP[20];

    HCURSOR hcurDragCopy = nullptr;      // 9308
    HCURSOR hcurDragMove = nullptr;      // 9309
    HCURSOR hcurDragNone = nullptr;      // 9310
    HCURSOR hcurHand = nullptr;          // IDC_HAND, else 9973
    HCURSOR hcurHSplitBar = nullptr;     // 9970: bars between columns
    HCURSOR hcurVSplitBar = nullptr;     // 9971: bars between rows
    HCURSOR hcurMove = nullptr;          // IDC_SIZEALL

    int cxSmIcon = 0, cySmIcon = 0, cxSize = 18, cySize = 18, cxHThumb = 0, cyVThumb = 0, cyMenuItem = 0;

    CFont font, fontBold, fontULine, fontVert, fontVertBold, fontIconTitle, fontIconTitleBold, fontMarlett,
        fontStatus, fontSmCaption;

    BOOL bWin95 = FALSE, bWin98 = FALSE, bWinNT4 = FALSE, bWin2K = FALSE, bWinXP = FALSE;
    DWORD nComCtlVersion = 0x40000;

    // The base face of the vertical fonts after the last UpdateFonts ("Arial" unless the menu
    // font is Tahoma or Arial is missing).
    const wchar_t* GetVerticalFace() const { return m_verticalFace; }

protected:
    // The resource cursor of an id (through the resource manager); tests answer for a module
    // without some cursors.
    virtual HCURSOR LoadResourceCursor(UINT id);

    wchar_t m_verticalFace[LF_FACESIZE] = {};

    friend CXTPAuxData& GetAuxData();
    void Init();
};

CXTPAuxData& GetAuxData();

// Command-bar control types 2 and 3 (popups) and 5 (combo box).
BOOL IsDropDownControlType(int type);
LOGFONTW& ClearLogFont(LOGFONTW& logFont);
// Reads the non-client metrics with the 500-byte record that every Windows since 2000 accepts:
// with this project's WINVER the structure is 504 bytes, which older systems refuse.
BOOL GetNonClientMetrics(NONCLIENTMETRICSW* metrics);
constexpr UINT kNonClientMetricsSize = 500;
