#pragma once
// Tooltips of the toolkit. A window that wants tips owns a CXTPToolTipContext and passes it its
// mouse messages (RelayMouseMessage). The context asks the window which tool is under the cursor
// (the window's OnToolHitTest), keeps one tip window, feeds it the tool through the tooltip-control
// messages (TTM_ADDTOOLW, TTM_DELTOOLW, TTM_RELAYEVENT, TTM_ACTIVATE, ...) and hides the tip on
// clicks and keys. The tip window is the platform tooltip control or one of the toolkit's own
// (plain, Office 2007, Luna, rich text, markup, HTML), chosen by style number; all of them speak
// the same message protocol.

#include "framework/CmdTarget.h"
#include "framework/Array.h"
#include "framework/Rect.h"
#include "framework/String.h"
#include "framework/window/Controls.h"
#include "framework/window/Wnd.h"

#include <commctrl.h>

#include <memory>

class CDC;
class CXTPImageManagerIcon;
class CXTPRichRender;
class CXTPMarkupContext;
class CXTPMarkupUIElement;
class CXTPToolTipContext;

// Asked of a child window: 1 means "tips look through me to my parent".
constexpr UINT WM_XTP_TOOLTIP_TRANSPARENT = 10824;
// The context's order to the tip window: lParam is the image (CXTPImageManagerIcon*) or null.
constexpr UINT WM_XTP_TOOLTIP_SETIMAGE = 10825;

// Private bits of the tip style flags (the low bits are the platform's TTS_ styles).
enum : DWORD {
    xtpToolTipFrameFace = 0x1000,     // top-left edge of the border in COLOR_BTNFACE
    xtpToolTipNoShadow = 0x2000,      // no drop shadow
    xtpToolTipLookOffice2007 = 0x4000,    // resource colours and frame, four corner pixels cut
};

enum XTPToolTipStyle {
    xtpToolTipStandard = 0,
    xtpToolTipBalloon = 1,
    xtpToolTipOffice = 2,
    xtpToolTipRTF = 3,
    xtpToolTipLuna = 4,
    xtpToolTipOffice2007 = 5,
    xtpToolTipHTML = 6,
    xtpToolTipMarkup = 7,
};

// The record that lParam of an extended tool record points to (title and description mode, or
// images). The texts are calloc'ed copies, freed by the context.
struct XTP_TOOLTIP_TOOLINFO_EX {
    wchar_t* lpszDescription;
    wchar_t* lpszTitle;
    DWORD_PTR dwItemData;
    RECT rcExclude;      // placement rectangle: the tip goes below it, at its left edge
    DWORD dwReserved;
};

// The tool records the hit tests fill: the plain size, and the size that carries lParam.
inline const UINT kToolInfoSize = TTTOOLINFOW_V1_SIZE;
inline const UINT kToolInfoExSize = TTTOOLINFOW_V2_SIZE;

class CXTPToolTipContext : public CCmdTarget {
public:
    class CStandardToolTip;
    class CLunaToolTip;
    class CRichEditToolTip;
    class CMarkupToolTip;
    class CHTMLToolTip;

    CXTPToolTipContext();
    ~CXTPToolTipContext() override;

    void SetStyle(int style);
    int GetStyle() const { return m_nStyle; }
    void ModifyTipStyle(DWORD remove, DWORD add);
    DWORD GetTipStyle() const { return m_dwTipStyle; }
    void ShowTitleAndDescription(BOOL show = TRUE, int titleIcon = TTI_INFO)
    {
        m_bShowTitleAndDescription = show;
        m_nTitleIcon = titleIcon;
    }
    void ShowImage(BOOL show, int idOffset = 0, int width = 1)
    {
        m_bShowImage = show;
        m_nImageBase = idOffset;
        m_nImageWidth = width;
    }
    void SetMaxTipWidth(int width) { m_nMaxTipWidth = width; }
    int GetMaxTipWidth() const { return m_nMaxTipWidth; }
    void SetMargin(const RECT& margin) { m_rcMargin = margin; }
    const CRect& GetMargin() const { return m_rcMargin; }
    // TTDT_RESHOW 1, TTDT_AUTOPOP 2, TTDT_INITIAL 3; -1 keeps the tip window's own.
    void SetDelayTime(DWORD which, int ms);
    void SetTipBkColor(COLORREF color) { m_clrTipBack = color; }
    void SetTipTextColor(COLORREF color) { m_clrTipText = color; }
    COLORREF GetTipBkColor() const;
    COLORREF GetTipTextColor() const;
    void SetStripEllipsis(BOOL strip) { m_bStripEllipsis = strip; }
    HFONT GetFont() const { return m_hFont; }
    HFONT GetBoldFont() const { return m_hBoldFont; }
    // For tests: the common-controls version the context decides by.
    void SetComCtlVersion(DWORD version) { m_dwComCtlVersion = version; }

    void CancelToolTip();
    // Runs the message filter for a message of the window (the cursor read now).
    void RelayMouseMessage(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam);
    void FilterToolTipMessage(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam, POINT cursor);

    static void SetToolInfo(TOOLINFOW* ti, HWND hWnd, UINT_PTR id, const RECT& rect, const wchar_t* text);
    static void SetToolInfoEx(TOOLINFOW* ti, HWND hWnd, UINT_PTR id, const RECT& rect, const wchar_t* text,
                              const wchar_t* title, const wchar_t* description, DWORD_PTR itemData);

    CWnd* GetToolTip() const { return m_pToolTip; }

    virtual CWnd* CreateToolTip(CWnd* owner);
    virtual INT_PTR OnToolHitTest(CWnd* wnd, CPoint point, TOOLINFOW* ti);
    virtual void DrawBackground(CDC* dc, const CRect& rect);

protected:
    void DestroyToolTip();
    void RelayToolTipMessage(const MSG& msg);
    static void FreeToolInfoTexts(TOOLINFOW& ti);

    BOOL m_bShowTitleAndDescription = FALSE;
    BOOL m_bShowImage = FALSE;
    int m_nImageWidth = 1;
    int m_nImageBase = 0;
    int m_nStyle = xtpToolTipStandard;
    DWORD m_dwComCtlVersion = 0;
    int m_nTitleIcon = TTI_INFO;
    int m_nMaxTipWidth = 0;
    DWORD m_dwTipStyle = TTS_NOPREFIX;
    CRect m_rcMargin{0, 0, 0, 0};
    int m_nDelayInitial = -1;
    int m_nDelayReshow = -1;
    int m_nDelayAutoPop = -1;
    CWnd* m_pToolTip = nullptr;   // owned
    HWND m_hToolTipOwner = nullptr;
    TOOLINFOW m_lastTool{};
    COLORREF m_clrTipBack = static_cast<COLORREF>(-1);
    COLORREF m_clrTipText = static_cast<COLORREF>(-1);
    HFONT m_hFont = nullptr;
    HFONT m_hBoldFont = nullptr;
    BOOL m_bStripEllipsis = TRUE;
};

// The toolkit's own tip window.
class CXTPToolTipContextToolTip : public CWnd {
public:
    struct TOOLITEM {
        CString strText;
        BOOL bTextCallback = FALSE;
        UINT uFlags = 0;
        CRect rect;
        HINSTANCE hInst = nullptr;
        HWND hWnd = nullptr;
        UINT_PTR uId = 0;
        CRect rcExclude;
        bool IsSame(const TOOLITEM& other) const { return hWnd == other.hWnd && uId == other.uId; }
        bool IsEmpty() const { return hWnd == nullptr && uId == 0; }
    };

    explicit CXTPToolTipContextToolTip(CXTPToolTipContext* context);
    ~CXTPToolTipContextToolTip() override;

    BOOL Create(CWnd* owner, DWORD style);
    void ShowTool(const TOOLITEM* tool);
    void RelayEvent(const MSG* msg);

    const TOOLITEM* GetShownTool() const { return m_shownTool.IsEmpty() ? nullptr : &m_shownTool; }
    BOOL IsActive() const { return m_bActive; }
    int GetToolCount() const { return m_arrTools.GetSize(); }
    const CString& GetTitle() const { return m_strTitle; }
    // The text of the tool, resolved from a callback when needed.
    CString GetToolText(TOOLITEM& tool);

    virtual CSize CalcToolSize(TOOLITEM* tool);
    virtual void DrawContent(CDC* dc, TOOLITEM* tool, CRect rect);
    virtual void DrawBackground(CDC* dc, TOOLITEM* tool, const CRect& rect);
    virtual void OnVisibilityChanged(BOOL shown);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    TOOLITEM* FindTool(bool ignoreButtons = false);
    TOOLITEM* FindToolItem(HWND hWnd, UINT_PTR id);
    static HWND WindowFromPointRule(HWND tip, POINT point);
    void Deactivate();
    void InstallHook();
    void RemoveHook();
    static LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam);
    void OnPaintTip();
    void OnTimerTip(UINT_PTR id);
    void OnDestroyTip();
    // Holds a reference to the icon shown (null: none) and drops the one held before.
    void SetTipIcon(CXTPImageManagerIcon* icon);
    CRect ContentRect() const;

    CPtrArray m_arrTools;   // TOOLITEM*, owned
    BOOL m_bActive = FALSE;
    CXTPToolTipContext* m_pContext;
    TOOLITEM m_shownTool;
    TOOLITEM m_pressedTool;
    TOOLITEM m_pendingTool;
    UINT_PTR m_nPendingTimer = 0;
    DWORD m_dwLastChange = 0;
    int m_nDelayInitial = 500;
    int m_nDelayReshow = 200;
    int m_nDelayAutoPop = 0;
    UINT_PTR m_nAutoPopTimer = 0;
    CString m_strTitle;
    CXTPImageManagerIcon* m_pIcon = nullptr;   // one reference held (SetTipIcon)
    BOOL m_bRegionSet = FALSE;
    HWND m_hOwner = nullptr;
};

class CXTPToolTipContext::CLunaToolTip : public CXTPToolTipContextToolTip {
public:
    using CXTPToolTipContextToolTip::CXTPToolTipContextToolTip;
    void DrawBackground(CDC* dc, TOOLITEM* tool, const CRect& rect) override;
};

class CXTPToolTipContext::CRichEditToolTip : public CXTPToolTipContextToolTip {
public:
    explicit CRichEditToolTip(CXTPToolTipContext* context);
    ~CRichEditToolTip() override;
    CSize CalcToolSize(TOOLITEM* tool) override;
    void DrawContent(CDC* dc, TOOLITEM* tool, CRect rect) override;

private:
    std::unique_ptr<CXTPRichRender> m_pRender;
};

class CXTPToolTipContext::CMarkupToolTip : public CXTPToolTipContextToolTip {
public:
    explicit CMarkupToolTip(CXTPToolTipContext* context);
    ~CMarkupToolTip() override;
    CSize CalcToolSize(TOOLITEM* tool) override;
    void DrawContent(CDC* dc, TOOLITEM* tool, CRect rect) override;

private:
    CXTPMarkupContext* m_pMarkupContext = nullptr;
    CXTPMarkupUIElement* m_pElement = nullptr;
};

// A hosted browser control lays the tip out. The framework hosts no ActiveX controls, so the
// control cannot be made and the tip measures (0, 0): no tip.
class CXTPToolTipContext::CHTMLToolTip : public CXTPToolTipContextToolTip {
public:
    using CXTPToolTipContextToolTip::CXTPToolTipContextToolTip;
    CSize CalcToolSize(TOOLITEM* tool) override;
    void DrawContent(CDC*, TOOLITEM*, CRect) override {}

private:
    BOOL m_bBrowserFailed = FALSE;
};

// The platform tooltip control; TTM_WINDOWFROMPOINT looks through children answering 10824.
class CXTPToolTipContext::CStandardToolTip : public CToolTipCtrl {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
