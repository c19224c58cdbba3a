#pragma once
// Control bars: strips along a frame's edges that lay themselves out through WM_SIZEPARENT.
//
// CControlBar keeps the CBRS_ bits apart from the window style (alignment, which edges get a
// border line, tips): a bar aligned to the top or bottom takes its height off the remaining
// rectangle at that edge and the whole width; left and right bars take their width. CalcFixedLayout
// answers the bar's size, CalcInsideRect the part inside the borders. At idle time a bar applies a
// delayed show or hide (DelayShow) and asks its frame's handlers for the state of its items
// (OnUpdateCmdUI). The frame's commands ID_VIEW_STATUS_BAR and ID_VIEW_TOOLBAR show and hide the
// bar of that id and check the menu item while it shows.
//
// CStatusBar: the system's status control with panes named by string ids; pane 0 stretches and
// shows the frame's message text (WM_SETTEXT); the other panes show their string and are updated
// at idle time. CToolBar: the system's toolbar loaded from a toolbar resource (type 241: version,
// button width and height, count, ids with 0 for separators) and the bitmap of the same id; its
// buttons follow their update handlers and their tips are the part of the command string after the
// line break. CDialogBar: a bar made from a dialog template, as big as the template.

#include "framework/window/FrameWnd.h"

#include <commctrl.h>

#include <vector>

// CBRS_ bits.
enum : DWORD {
    CBRS_ALIGN_LEFT = 0x1000,
    CBRS_ALIGN_TOP = 0x2000,
    CBRS_ALIGN_RIGHT = 0x4000,
    CBRS_ALIGN_BOTTOM = 0x8000,
    CBRS_ALIGN_ANY = 0xF000,
    CBRS_BORDER_LEFT = 0x0100,
    CBRS_BORDER_TOP = 0x0200,
    CBRS_BORDER_RIGHT = 0x0400,
    CBRS_BORDER_BOTTOM = 0x0800,
    CBRS_BORDER_ANY = 0x0F00,
    CBRS_TOOLTIPS = 0x0010,
    CBRS_FLYBY = 0x0020,
    CBRS_FLOAT_MULTI = 0x0040,
    CBRS_BORDER_3D = 0x0080,
    CBRS_HIDE_INPLACE = 0x0008,
    CBRS_SIZE_DYNAMIC = 0x0004,
    CBRS_SIZE_FIXED = 0x0002,
    CBRS_FLOATING = 0x0001,
    CBRS_GRIPPER = 0x00400000,
    CBRS_ORIENT_HORZ = CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM,
    CBRS_ORIENT_VERT = CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT,
    CBRS_ALL = 0x0040FFFF,
    CBRS_NOALIGN = 0,
    CBRS_LEFT = CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT,
    CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM,
    CBRS_RIGHT = CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT,
    CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP,
};

// The style of a status bar pane (low word: SBT_ bits of the system control).
enum : UINT {
    SBPS_NORMAL = 0x0000,
    SBPS_NOBORDERS = SBT_NOBORDERS,
    SBPS_POPOUT = SBT_POPOUT,
    SBPS_OWNERDRAW = SBT_OWNERDRAW,
    SBPS_DISABLED = 0x04000000,
    SBPS_STRETCH = 0x08000000,
};

class CControlBar : public CWnd {
    DECLARE_DYNAMIC(CControlBar)
public:
    CControlBar() = default;
    ~CControlBar() override;

    // The bar's size in the frame: the whole length of the side when bStretch.
    virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
    // Takes the borders (and the bar's own margins) off a rectangle of the bar's client size.
    virtual void CalcInsideRect(CRect& rect, BOOL bHorz) const;
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;
    virtual void OnBarStyleChange(DWORD dwOldStyle, DWORD dwNewStyle);
    // Shows or hides the bar at the next idle update.
    virtual void DelayShow(BOOL bShow);
    // Draws the border lines of the CBRS_BORDER_ bits into the window's non-client area.
    void EraseNonClient();

    void SetBarStyle(DWORD dwStyle);
    DWORD GetBarStyle() const { return m_dwStyle; }
    BOOL IsVisible() const;
    int GetCount() const { return m_nCount; }
    CFrameWnd* GetDockingFrame() const;

    void SetBorders(int cxLeft = 0, int cyTop = 0, int cxRight = 0, int cyBottom = 0);
    CRect GetBorders() const { return CRect(m_cxLeftBorder, m_cyTopBorder, m_cxRightBorder, m_cyBottomBorder); }

    DWORD m_dwStyle = 0;    // CBRS_ bits
    int m_cxLeftBorder = 0, m_cxRightBorder = 0, m_cyTopBorder = 0, m_cyBottomBorder = 0;
    int m_nCount = 0;
    enum StateFlags { delayHide = 1, delayShow = 2 };
    UINT m_nStateFlags = 0;
    CFrameWnd* m_pDockSite = nullptr;    // not owned: the frame the bar lays itself out in

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void PostNcDestroy() override;

protected:
    // Registers the bar with its parent frame once it has a window.
    void AttachToFrame(CWnd* pParentWnd);
    int OnCreate(LPCREATESTRUCTW lpcs);
    void OnDestroy();
    LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcCalcSizeMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcPaintMsg(WPARAM wParam, LPARAM lParam);
    // Offers commands of the bar's buttons to the frame.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL m_bAutoDelete = FALSE;

    DECLARE_MESSAGE_MAP()
};

class CStatusBar : public CControlBar {
    DECLARE_DYNAMIC(CStatusBar)
public:
    CStatusBar() = default;
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = 0, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                  UINT nID = AFX_IDW_STATUS_BAR);
    // One pane per id (ID_SEPARATOR = 0: an empty pane); pane 0 stretches.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    UINT GetItemID(int nIndex) const;
    int CommandToIndex(UINT nIDFind) const;
    void GetItemRect(int nIndex, LPRECT lpRect) const;
    CString GetPaneText(int nIndex) const;
    BOOL SetPaneText(int nIndex, const wchar_t* lpszNewText, BOOL bUpdate = TRUE);
    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    UINT GetPaneStyle(int nIndex) const;
    void SetPaneStyle(int nIndex, UINT nStyle);

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    struct Pane {
        UINT nID = 0;
        UINT nStyle = 0;
        int cxText = 0;    // width of the text area
        CString strText;
    };
    std::vector<Pane> m_panes;

protected:
    // Gives the system control the right edges of the panes (pane 0 takes what the others leave).
    void UpdateAllPanes(BOOL bUpdateRects, BOOL bUpdateText);
    void OnSize(UINT nType, int cx, int cy);
    LRESULT OnSetTextMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetTextMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetTextLengthMsg(WPARAM wParam, LPARAM lParam);
    int TextWidth(const wchar_t* text) const;
    DECLARE_MESSAGE_MAP()
};

class CToolBar : public CControlBar {
    DECLARE_DYNAMIC(CToolBar)
public:
    CToolBar() = default;
    ~CToolBar() override;
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR);
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, CRect rcBorders = CRect(0, 0, 0, 0),
                  UINT nID = AFX_IDW_TOOLBAR);
    // The toolbar resource of that id and its bitmap.
    BOOL LoadToolBar(UINT nIDResource);
    BOOL LoadBitmap(UINT nIDResource);
    BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
    void SetSizes(SIZE sizeButton, SIZE sizeImage);
    UINT GetItemID(int nIndex) const;
    int CommandToIndex(UINT nIDFind) const;
    void GetItemRect(int nIndex, LPRECT lpRect) const;
    UINT GetButtonStyle(int nIndex) const;

    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    HBITMAP m_hbmImageWell = nullptr;    // owned
    CSize m_sizeButton{23, 22};
    CSize m_sizeImage{16, 15};
};

class CDialogBar : public CControlBar {
    DECLARE_DYNAMIC(CDialogBar)
public:
    CDialogBar() = default;
    BOOL Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID);
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

    CSize m_sizeDefault;
};
