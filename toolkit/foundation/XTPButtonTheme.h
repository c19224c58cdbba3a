#pragma once
// The looks of CXTPButton. CXTPButtonTheme is the plain look and owns the whole geometry: the part
// rectangles (CalcRect), the push-button layout of icon, text and drop-down arrow (CalcLayout), the
// check and radio marks, the group-box frame and the labels. The derived looks replace only the
// background, the marks, the group-box frame and the colours, so every look places things alike.
//
// Themes are reference counted command targets: a button holds one reference and releases it; no
// one deletes a theme directly. RefreshMetrics rereads the colours (the system's and the colour
// manager's) and must run before the first draw; CXTPButton::SetTheme does it.

#include "framework/CmdTarget.h"
#include "framework/Rect.h"
#include "toolkit/foundation/XTPColorManager.h"

#include <windows.h>

class CDC;
class CXTPButton;
class CXTPWinThemeWrapper;

// The base of the standard controls' themes: only the number they were chosen by.
class CXTPControlTheme : public CCmdTarget {
public:
    CXTPControlTheme() = default;
    int GetThemeNumber() const { return m_nTheme; }

protected:
    int m_nTheme = 0;
};

// Parts of CalcRect.
enum XTPButtonPart {
    xtpButtonPartCheckMark = 1,
    xtpButtonPartRadioMark = 2,
    xtpButtonPartCheckText = 3,
    xtpButtonPartRadioText = 4,
    xtpButtonPartGroupCaption = 5,
    xtpButtonPartGroupFrame = 6,
    xtpButtonPartPushContent = 7,
};

class CXTPButtonTheme : public CXTPControlTheme {
public:
    CXTPButtonTheme();
    ~CXTPButtonTheme() override;
    CXTPButtonTheme(const CXTPButtonTheme&) = delete;
    CXTPButtonTheme& operator=(const CXTPButtonTheme&) = delete;

    virtual void DrawButtonBackground(CDC* pDC, CXTPButton* pButton);
    virtual void DrawFocusFrame(CDC* pDC, CXTPButton* pButton);
    virtual void DrawButton(CDC* pDC, CXTPButton* pButton);
    virtual void DrawThemedBackground(CDC* pDC, CXTPButton* pButton);
    virtual void RefreshMetrics(CXTPButton* pButton);
    virtual void DrawButtonText(CDC* pDC, CXTPButton* pButton);
    virtual COLORREF GetTextColor(CXTPButton* pButton);
    virtual void DrawCheckMark(CDC* pDC, CXTPButton* pButton);
    virtual void DrawRadioMark(CDC* pDC, CXTPButton* pButton);
    virtual void DrawGroupBox(CDC* pDC, CXTPButton* pButton);

    // The rectangle of one part (XTPButtonPart) of the button, in its client coordinates.
    CRect CalcRect(CDC* pDC, CXTPButton* pButton, int nPart);
    // Where a push-like button's text and icon go and the DrawText flags of the text. The image
    // rectangle includes the image-text gap on the side facing the text.
    void CalcLayout(CDC* pDC, CXTPButton* pButton, CRect& rcText, UINT& nFormat, CRect& rcImage);
    void DrawDropDownArrow(CDC* pDC, CXTPButton* pButton);
    void DrawButtonImage(CDC* pDC, CXTPButton* pButton);
    void DrawCheckLabel(CDC* pDC, CXTPButton* pButton);
    // 13 x 13, or the visual style's size of the mark.
    CSize GetCheckMarkSize(CXTPButton* pButton, BOOL bCheckBox);

    // Visual styles draw this button: an open style, a themed application and theme number 0.
    BOOL IsVisualStyleActive(CXTPButton* pButton) const;
    BOOL IsFlat() const { return m_bFlat; }
    BOOL GetOffsetWhenPressed() const { return m_bOffsetHiLiteText; }
    void SetOffsetWhenPressed(BOOL bOffset) { m_bOffsetHiLiteText = bOffset; }
    int GetFocusInset() const { return m_nFocusInset; }
    CXTPWinThemeWrapper* GetThemeWrapper() const { return m_pThemeWrapper; }

    // Colours, each a standard value from RefreshMetrics and an optional override.
    CXTPPaintManagerColor m_crTextDisabled;
    CXTPPaintManagerColor m_crBorderHilite;   // face
    CXTPPaintManagerColor m_crBorderShadow;   // shadow
    CXTPPaintManagerColor m_crBorder3DHilite; // highlight
    CXTPPaintManagerColor m_crBorder3DShadow; // dark shadow
    CXTPPaintManagerColor m_crBack;
    CXTPPaintManagerColor m_crText;

protected:
    // A flat sunken or raised frame: top-left and bottom-right colours.
    static void Draw3dRect(CDC* pDC, const CRect& rect, COLORREF topLeft, COLORREF bottomRight);
    static void FillSolid(CDC* pDC, const CRect& rect, COLORREF color);
    // Whether a window answers UISF_HIDEFOCUS / UISF_HIDEACCEL to WM_QUERYUISTATE.
    static BOOL IsFocusHidden(CXTPButton* pButton);
    static BOOL IsAccelHidden(CXTPButton* pButton);

    CXTPWinThemeWrapper* m_pThemeWrapper = nullptr;   // owned
    BOOL m_bOffsetHiLiteText = TRUE;
    int m_nFocusInset = 4;
    BOOL m_bFlat = FALSE;
    int m_cxBorder = 1;
    int m_cyBorder = 1;
    int m_cyEdge = 2;
    int m_cxEdge = 2;
};

class CXTPButtonFlatTheme : public CXTPButtonTheme {
public:
    CXTPButtonFlatTheme();
    void DrawButtonBackground(CDC* pDC, CXTPButton* pButton) override;
};

class CXTPButtonUltraFlatTheme : public CXTPButtonTheme {
public:
    CXTPButtonUltraFlatTheme();
    void DrawButtonBackground(CDC* pDC, CXTPButton* pButton) override;
    void RefreshMetrics(CXTPButton* pButton) override;
    void DrawCheckMark(CDC* pDC, CXTPButton* pButton) override;
    void DrawRadioMark(CDC* pDC, CXTPButton* pButton) override;
    void DrawGroupBox(CDC* pDC, CXTPButton* pButton) override;

    BOOL GetUseThemeColors() const { return m_bUseThemeColors; }

    CXTPPaintManagerColor m_crBackPushed;
    CXTPPaintManagerColor m_crBackHilite;
    CXTPPaintManagerColor m_crTextHilite;
    CXTPPaintManagerColor m_crBackChecked;

protected:
    // Fills a non-idle face: pressed back, checked back or hot back by the state.
    void FillStateBackground(CDC* pDC, CXTPButton* pButton, const CRect& rect);
    // The face of a check or radio mark.
    COLORREF GetMarkFaceColor(CXTPButton* pButton) const;

    BOOL m_bUseThemeColors = TRUE;
};

// A filled disc blended into what lies around it: radius (width - 1) / 2 - 0.25.
void XTPDrawAntialiasedDisc(CDC* pDC, const CRect& rect, COLORREF border, COLORREF fill);

class CXTPButtonOffice2000Theme : public CXTPButtonUltraFlatTheme {
public:
    CXTPButtonOffice2000Theme();
    void DrawButtonBackground(CDC* pDC, CXTPButton* pButton) override;
};

class CXTPButtonOfficeXPTheme : public CXTPButtonUltraFlatTheme {
public:
    CXTPButtonOfficeXPTheme();
    void DrawButtonBackground(CDC* pDC, CXTPButton* pButton) override;
    void RefreshMetrics(CXTPButton* pButton) override;
};

class CXTPButtonOffice2003Theme : public CXTPButtonOfficeXPTheme {
public:
    CXTPButtonOffice2003Theme();
    void DrawButtonBackground(CDC* pDC, CXTPButton* pButton) override;
    void RefreshMetrics(CXTPButton* pButton) override;

    // Whether a system colour scheme was in force at the last RefreshMetrics.
    BOOL IsLunaTheme() const { return m_bLunaTheme; }

protected:
    BOOL m_bLunaTheme = FALSE;
};

class CXTPButtonResourceTheme : public CXTPButtonUltraFlatTheme {
public:
    CXTPButtonResourceTheme();
    void DrawButtonBackground(CDC* pDC, CXTPButton* pButton) override;
    void RefreshMetrics(CXTPButton* pButton) override;
    void DrawCheckMark(CDC* pDC, CXTPButton* pButton) override;
    void DrawRadioMark(CDC* pDC, CXTPButton* pButton) override;
};
