#pragma once
// The caption bar: a thin static strip above a pane (background, text, an optional icon) with one
// owner-drawn button. It works in one of two modes, fixed when it is created:
//
// - close mode (caption style 4): the button is a 16 x 15 close glyph at the right; a click sends
//   the caption's own command id to its owner, who hides or closes the pane;
// - pin mode: the button is a text button showing the caption text. Once the owner attached the
//   pane body (AttachPopupChild), a click lifts the body into a pop-up window that hangs over the
//   pane's area. The pop-up has a small caption of its own with a push pin; pressing the pin puts
//   the body back below the caption, and the focus leaving the pop-up closes it.
//
// The pop-up watches the focus with a 10-ms timer and reports to the caption with
// WM_CAPTION_POPUP_CLOSED or WM_CAPTION_PIN; the caption deletes the pop-up while handling either
// message, i.e. inside the pop-up's own SendMessage, so the pop-up touches nothing of its own once
// the send returns. Drawing goes through the caption themes (XTPCaptionTheme.h). Everything runs
// on the user-interface thread.

#include "framework/Rect.h"
#include "framework/String.h"
#include "framework/window/Controls.h"
#include "framework/window/ImageList.h"
#include "toolkit/foundation/XTPButton.h"

// Sent with SendMessage, wParam and lParam 0: by the pop-up to its caption, and by the caption on
// to its owner.
constexpr UINT WM_CAPTION_PIN = 10046;             // the push pin was pressed
constexpr UINT WM_CAPTION_POPUP_CLOSED = 10047;    // the pop-up lost the focus and closes
// WM_CONTROL_SET_THEME (XTPButton.h) switches the caption and its button to a theme number.

// Caption style bits (the low three bits given to CreateCaption).
enum : DWORD {
    CPS_XTP_SUNKEN = 0x0001,    // sunken outer and raised inner border
    CPS_XTP_RAISED = 0x0002,    // raised border
    CPS_XTP_CLOSE = 0x0004,     // close mode
};

// The caption's button always has this control id; so has the pop-up's push pin.
constexpr UINT XTP_IDC_CAPTION_BUTTON = 100;
// The glyph strip (pin, hot pin, close, Aero close; 16 x 15 each on magenta) and the pop-up's
// caption text in the toolkit resources.
constexpr UINT XTP_IDB_CAPTION_GLYPHS = 9302;
constexpr UINT XTP_IDS_CLICKKEEPOPEN = 9347;

class CXTPCaption;
class CXTPCaptionPopupWnd;
class CXTPCaptionTheme;

// The caption's button: an owner-drawn button that knows its caption, so that its themes can
// blend the idle button into the caption.
class CXTPCaptionButton : public CXTPButton {
public:
    CXTPCaptionButton() = default;

    // 4 Office XP, 5 Office 2003, any other number the plain caption-button look. Unlike the
    // plain button it leaves the use-visual-styles flag as it is.
    BOOL SetTheme(int theme) override;

    void SetCaption(CXTPCaption* caption) { m_pCaption = caption; }
    CXTPCaption* GetCaption() const { return m_pCaption; }

protected:
    CXTPCaption* m_pCaption = nullptr;    // not owned
};

class CXTPCaption : public CStatic {
public:
    CXTPCaption();
    ~CXTPCaption() override;

    // Forwards to the static control's creation unchanged.
    BOOL Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                CWnd* parent, UINT id, void* context = nullptr) override;

    // Stores the three colours; a later system colour change keeps them. No repaint. Whether the
    // button window exists.
    virtual BOOL SetCaptionColors(COLORREF background, COLORREF inner, COLORREF text);
    // Each argument that is given (non-zero border, non-null font, text or icon) replaces the
    // current one; then the caption is invalidated with erase.
    virtual void ModifyCaptionStyle(int border, CFont* font = nullptr, const wchar_t* text = nullptr,
                                    HICON icon = nullptr);
    // Pin mode: makes child (the pane body) the window the button lifts into the pop-up, and
    // owner (null: none, the parent then) the window told about pin and close. Keeps the
    // rectangles of child, parent and grandparent and shows the button.
    virtual void AttachPopupChild(CWnd* child, CWnd* owner);
    // Hides and releases the button; destroys and deletes the pop-up when there is one.
    virtual void DetachPopupChild();
    // TRUE when the pop-up is (already) visible afterwards; FALSE when the child's old parent or
    // grandparent is gone or the pop-up cannot be made.
    virtual BOOL ShowChildPopup();
    // Repaints at once on the caption's client DC: the background, then the new text (and the
    // button's) when given, then the new icon when given.
    virtual void UpdateCaptionNow(const wchar_t* text, HICON icon);
    // TRUE on success, FALSE when the caption or its button cannot be made (a half-made caption
    // window is destroyed again).
    virtual BOOL CreateCaption(CWnd* parent, const wchar_t* text, DWORD captionStyle, DWORD windowStyle,
                               const CRect& rect, UINT id);
    // Where the text goes: empty without text; otherwise as wide as the text plus some air,
    // never into the right-most 18 pixels when an icon is set.
    virtual CRect CalcTextRect();
    virtual void DrawCaptionBack(CDC* dc, const CRect& rect);
    virtual void DrawCaptionText(CDC* dc);
    virtual void DrawCaptionIcon(CDC* dc, const CRect& rect);
    // Gives the button the caption text and its place, then draws the text.
    virtual void SyncButtonText(CDC* dc);
    // Empty without a button window; close mode: the glyph's 16 x 15 rectangle centred
    // vertically at the right; pin mode: the text rectangle.
    virtual CRect CalcButtonRect();
    virtual void RefreshMetrics();

    // 4 Office XP, 5 Office 2003, any other number the plain look; the button follows.
    BOOL SetTheme(int theme);
    BOOL SetThemeObject(CXTPCaptionTheme* theme);
    CXTPCaptionTheme* GetTheme() const { return m_pTheme; }
    int GetThemeNumber() const;

    // What the themes read.
    int GetBorder() const { return m_nBorder; }
    COLORREF GetBackgroundColor() const { return m_clrBackground; }
    COLORREF GetInnerColor() const { return m_clrInner; }
    COLORREF GetCaptionTextColor() const { return m_clrText; }
    DWORD GetCaptionStyle() const { return m_dwCaptionStyle; }
    BOOL IsTextButton() const { return m_bTextButton != 0; }
    void SetTextButton(BOOL textButton) { m_bTextButton = textButton ? 1 : 0; }
    HICON GetCaptionIcon() const { return m_hIcon; }
    CSize GetIconSize() const { return CSize(m_nIconWidth, m_nIconHeight); }
    const CString& GetCaptionText() const { return m_strCaption; }
    CXTPCaptionButton& GetCaptionButton() { return m_btnCaption; }
    CXTPCaptionPopupWnd* GetPopupWnd() const { return m_pPopupWnd; }
    HWND GetPopupChild() const { return m_hChild; }
    int GetCaptionHeight() const { return m_nCaptionHeight; }
    // Who hears about pin, close and the button in close mode: the owner given to
    // AttachPopupChild, else the parent.
    HWND GetNotifyWindow() const;

protected:
    // The close glyph of the strip as a new icon the caller destroys; null when the strip cannot
    // be loaded. A separate step so tests can follow the handle.
    virtual HICON LoadCloseGlyph();

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void OnPaint();
    LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
    BOOL OnEraseBkgnd(CDC* dc);
    void OnSize(UINT type, int cx, int cy);
    void OnWindowPosChanged(WINDOWPOS* pos);
    void OnSysColorChange();
    void OnButtonClicked();
    LRESULT OnCaptionPin(WPARAM wParam, LPARAM lParam);
    LRESULT OnPopupClosed(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetTheme(WPARAM wParam, LPARAM lParam);

    int m_nBorder = 0;
    COLORREF m_clrBackground;
    COLORREF m_clrInner;
    COLORREF m_clrText;
    int m_nCaptionHeight = 0;          // the child's parent's client height less the child's
    BOOL m_bUserColors = FALSE;        // SetCaptionColors ran: system colour changes keep them
    BYTE m_bTextButton = 0;            // created in pin mode
    HWND m_hChild = nullptr;           // not owned: the pane body
    HWND m_hChildParent = nullptr;     // not owned: the body's parent
    HWND m_hGrandParent = nullptr;     // not owned: that parent's parent
    HWND m_hOwner = nullptr;           // not owned: told about pin and close (null: the parent)
    int m_nIconWidth = 16;
    int m_nIconHeight = 16;
    CRect m_rcChild;                   // client rectangles kept by AttachPopupChild
    CRect m_rcParent;                  // ... grown by twice the edge metrics
    CRect m_rcGrandParent;
    DWORD m_dwCaptionStyle = 0;        // CPS_XTP_ bits
    HICON m_hIcon = nullptr;           // not owned
    CString m_strCaption;
    CImageList m_imageList;            // the glyph strip while the caption is created
    CXTPCaptionButton m_btnCaption;
    CXTPCaptionPopupWnd* m_pPopupWnd = nullptr;    // owned
    CXTPCaptionTheme* m_pTheme = nullptr;          // owned (one reference)

    DECLARE_MESSAGE_MAP()
};

// The pop-up that holds the pane body while it is lifted out of its pane: a tool window with a
// small caption ("Click push pin to keep open") and a push pin above the body.
class CXTPCaptionPopupWnd : public CWnd {
public:
    CXTPCaptionPopupWnd();
    // Destroys the window when it still exists (which gives the body back), then the icons.
    ~CXTPCaptionPopupWnd() override;

    // FALSE when the caption or the child is not a window, or a step fails; the caller deletes
    // the pop-up then, which gives the child back.
    virtual BOOL CreatePopup(const CRect& rect, CXTPCaption* caption, CWnd* child);
    // Caption row at the top of the inner rectangle, the body below, the pin at the row's right.
    virtual void RecalcLayout();
    // Puts the body back at the parent it had before.
    virtual void RestoreChildParent();
    // When the focus is none of the pop-up's windows (and the caption still is a window) tells
    // the caption, which deletes this pop-up: TRUE then, and nothing of this object may be
    // touched afterwards.
    virtual BOOL CheckFocus();

    void SetPopupTheme(int theme);

    CXTPCaption& GetPopupCaption() { return m_wndCaption; }
    CXTPCaptionButton& GetPinButton() { return m_btnPin; }

    // The timer that runs CheckFocus, and how often.
    static constexpr UINT_PTR kFocusTimer = 1;
    static constexpr UINT kFocusTimerMs = 10;

protected:
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnPinClicked();

    HWND m_hCaption = nullptr;        // not owned: the caption that opened the pop-up
    HWND m_hChild = nullptr;          // not owned: the body shown here
    HWND m_hChildParent = nullptr;    // not owned: the body's parent before
    CXTPCaption m_wndCaption;
    CXTPCaptionButton m_btnPin;
    HICON m_hPin = nullptr;           // owned
    HICON m_hPinHot = nullptr;        // owned

    DECLARE_MESSAGE_MAP()
};
