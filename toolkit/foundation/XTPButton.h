#pragma once
// An owner-drawn button: push button, check box, radio button or group box, painted entirely by
// an exchangeable theme object (XTPButtonTheme.h). It adds hot tracking, drop-down and split
// push styles, an icon placed relative to the text, a tooltip and an optional markup caption.
//
// The window's own BS_ style bits stay the source of truth for the kind and the alignment, so a
// button subclassed from a dialog template behaves as the template says. Everything is drawn
// through a double buffer on WM_PAINT and WM_PRINTCLIENT; WM_ERASEBKGND does nothing.
//
// Push styles (SetPushButtonStyle): the drop-down ones notify the parent with WM_COMMAND code 7
// (xtpButtonDropDown) when pressed, not when released, because the parent usually opens a menu
// right there; the button is drawn pressed until that send returns.

#include "framework/String.h"
#include "framework/window/Controls.h"

#include <windows.h>

class CDC;
class CXTPButtonTheme;
class CXTPIconImage;
class CXTPImageManagerIcon;
class CXTPMarkupContext;
class CXTPMarkupUIElement;
class CXTPToolTipContext;

// Switches a caption, button or splitter to a theme number; wParam = the number, result 0.
constexpr UINT WM_CONTROL_SET_THEME = 10059;

// Theme numbers shared by the toolkit's standard controls; any other number draws plain.
enum XTPControlTheme {
    xtpControlThemeDefault = 0,
    xtpControlThemeFlat = 1,
    xtpControlThemeUltraFlat = 2,
    xtpControlThemeOffice2000 = 3,
    xtpControlThemeOfficeXP = 4,
    xtpControlThemeOffice2003 = 5,
    xtpControlThemeResource = 7,
};

enum XTPPushButtonStyle {
    xtpButtonNormal = 0,
    xtpButtonDropDown = 1,        // down arrow, the whole button opens
    xtpButtonDropDownRight = 2,   // right arrow (pop-out)
    xtpButtonSplitDropDown = 3,   // down arrow in its own part at the right; only that part opens
    xtpButtonDropDownNoGlyph = 4, // opens like 1, draws no arrow
};

enum XTPButtonTextImageRelation {
    xtpButtonOverlay = 0,          // image and text placed independently
    xtpButtonImageAboveText = 1,
    xtpButtonTextAboveImage = 2,
    xtpButtonImageBeforeText = 3,
    xtpButtonTextBeforeImage = 4,
};

enum XTPGroupBoxStyle {
    xtpGroupBoxBorder = 0,   // the whole frame
    xtpGroupBoxHeader = 1,   // a line across the top only
    xtpGroupBoxNone = 2,     // no frame and no caption
};

// The WM_COMMAND notification code of a drop-down press.
constexpr WORD XTP_BN_DROPDOWN = 7;

class CXTPButton : public CButton {
    DECLARE_DYNAMIC(CXTPButton)
public:
    CXTPButton();
    ~CXTPButton() override;
    CXTPButton(const CXTPButton&) = delete;
    CXTPButton& operator=(const CXTPButton&) = delete;

    // The low four style bits: BS_PUSHBUTTON .. BS_OWNERDRAW.
    BYTE GetButtonType() const;
    // Types 0, 1 and 11, or BS_PUSHLIKE.
    BOOL IsPushLike() const;

    // ---- own virtual operations ----
    // Non-zero while pressed (1) or while a drop-down notification runs (2).
    virtual BOOL IsPushed() const;
    // Under the mouse, or holding the mouse capture.
    virtual BOOL IsHot() const;
    // Push-like buttons keep their own state (0, 1, 2 = indeterminate); others ask the window.
    virtual int GetChecked() const;
    // Horizontal and vertical BS_ bits, defaults filled in.
    virtual DWORD GetTextAlignment() const;
    virtual DWORD GetImageAlignment() const;
    // The icon's size, (0, 0) without one.
    virtual CSize GetImageSize() const;
    // Draws the icon image of the present state into the rectangle.
    virtual void DrawImage(CDC* pDC, int left, int top, int right, int bottom);
    // 1 flat, 2 ultra-flat, 3 Office 2000, 4 Office XP, 5 Office 2003, 7 resource images, any other
    // number plain (0 also lets the system's visual styles draw). Whether a theme is set.
    virtual BOOL SetTheme(int nTheme);
    virtual CRect GetButtonRect() const;
    // A zero size takes the normal image's own. The images are copied; a null or empty hot image
    // is none.
    virtual BOOL SetIcon(CSize size, CXTPIconImage* pNormal, CXTPIconImage* pHot = nullptr, BOOL bRedraw = TRUE);
    // Icon resources of the module's resource instance.
    virtual BOOL SetIcon(CSize size, const wchar_t* lpszNormal, const wchar_t* lpszHot = nullptr, BOOL bRedraw = TRUE);
    virtual BOOL SetIcon(CSize size, UINT nNormalID, UINT nHotID = 0, BOOL bRedraw = TRUE);
    // The handles stay the caller's.
    virtual BOOL SetIcon(CSize size, HICON hIcon, HICON hIconHot = nullptr, BOOL bRedraw = TRUE);
    virtual BOOL SetBitmap(CSize size, UINT nID, BOOL bRedraw = TRUE);
    virtual CString GetButtonText() const;
    virtual COLORREF GetTextColor() const;
    virtual COLORREF GetBackColor() const;
    // WM_COMMAND (id, 7) to the parent.
    virtual void NotifyDropDown();
    virtual void OnDraw(CDC* pDC);
    // Reparses the window text when a markup context is set.
    virtual void UpdateMarkup();
    virtual void RefreshMetrics();
    virtual void DrawButton(CDC* pDC);

    // ---- non-virtual ----
    // Takes over the caller's reference to the icon (null clears it).
    BOOL SetIconObject(CXTPImageManagerIcon* pIcon, BOOL bRedraw = TRUE);
    CXTPImageManagerIcon* GetIcon() const { return m_pIcon; }
    // Presses the button as a drop-down would: pushed state 2 around the notification.
    void RunDropDown();

    CXTPButtonTheme* GetTheme() const { return m_pTheme; }
    int GetPushButtonStyle() const { return m_nPushButtonStyle; }
    void SetPushButtonStyle(int nStyle);
    BOOL GetUseVisualStyle() const { return m_bUseVisualStyle; }
    void SetUseVisualStyle(BOOL bUse);
    // Push-like buttons only: 0, 1 or 2.
    void SetChecked(int nChecked);
    BOOL GetTransparent() const { return m_bTransparent; }
    void SetTransparent(BOOL bTransparent);
    void SetImageAlignment(DWORD dwAlignment);
    int GetBorderGap() const { return m_nBorderGap; }
    void SetBorderGap(int nGap);
    int GetImageGap() const { return m_nImageGap; }
    void SetImageGap(int nGap);
    int GetTextImageRelation() const { return m_nTextImageRelation; }
    void SetTextImageRelation(int nRelation);
    int GetGroupBoxStyle() const { return m_nGroupBoxStyle; }
    void SetGroupBoxStyle(int nStyle);
    BOOL GetShowFocus() const { return m_bShowFocus; }
    void SetShowFocus(BOOL bShow);
    CString GetTooltip() const { return m_strTooltip; }
    void SetTooltip(const wchar_t* lpszTooltip) { m_strTooltip = lpszTooltip ? lpszTooltip : L""; }
    CXTPToolTipContext* GetToolTipContext() const { return m_pToolTipContext; }
    // Turns markup captions on (a context for this window) or off.
    void EnableMarkup(BOOL bEnable = TRUE);
    CXTPMarkupContext* GetMarkupContext() const { return m_pMarkupContext; }
    CXTPMarkupUIElement* GetMarkupUIElement() const { return m_pMarkupUIElement; }
    // The pushed state itself: 0, 1, or 2 during a drop-down.
    int GetPushedState() const { return m_nPushedState; }

    // ---- framework virtuals ----
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnToolHitTest(CPoint point, tagTOOLINFOW* ti) const override;

protected:
    // The message table's handlers.
    LRESULT OnEraseBkgndMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaintMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMoveMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeaveMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnDefaultAndRedraw(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnableMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnUpdateUIState(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetState(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDownMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnCharMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDownMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDlgCodeMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetThemeMsg(WPARAM wParam, LPARAM lParam);

    void UpdateHot(CPoint point);
    // Default processing with WS_VISIBLE off, so the system control cannot paint over us.
    LRESULT DefaultHidden(UINT message, WPARAM wParam, LPARAM lParam);
    void InvalidateNoErase();

    int m_nPushedState = 0;          // 0 released, 1 pressed, 2 drop-down notification running
    BOOL m_bHot = FALSE;
    CXTPButtonTheme* m_pTheme = nullptr;   // owned reference
    int m_nChecked = 0;              // push-like buttons only
    BOOL m_bTransparent = FALSE;     // no background while idle
    BOOL m_bUseVisualStyle = TRUE;   // theme number 0 only
    DWORD m_dwImageAlignment = BS_CENTER | BS_VCENTER;
    int m_nBorderGap = 4;
    int m_nPushButtonStyle = xtpButtonNormal;
    int m_nImageGap = 3;
    int m_nTextImageRelation = xtpButtonImageBeforeText;
    CXTPImageManagerIcon* m_pIcon = nullptr;   // owned reference
    int m_nGroupBoxStyle = xtpGroupBoxBorder;
    BOOL m_bShowFocus = TRUE;
    CXTPToolTipContext* m_pToolTipContext = nullptr;   // owned
    CString m_strTooltip;
    CXTPMarkupContext* m_pMarkupContext = nullptr;     // owned
    CXTPMarkupUIElement* m_pMarkupUIElement = nullptr; // owned

    DECLARE_MESSAGE_MAP()
};
