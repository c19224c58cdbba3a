#pragma once
// CFrameWnd: the window that holds a program's view, its control bars and its menu, and that
// routes commands. The single-document template makes one (LoadFrame) with a creation context
// naming the document and the view class; OnCreateClient then makes the view as the pane-first
// child (AFX_IDW_PANE_FIRST).
//
// Layout: RecalcLayout offers the client area to the children in z-order (which is creation order)
// with WM_SIZEPARENT: each control bar takes its strip off the remaining rectangle; the pane-first
// child gets what is left. DelayRecalcLayout leaves that for the next idle update, as do the other
// idle flags (title, menu bar). A RecalcLayout started while one runs is skipped.
//
// Command routing: the active view (and through it its document and the document's template),
// then the frame's own table, then the application. The frame translates its accelerators before
// dispatch, only while it is enabled: a modal window in front of it (a dialog, a message box) keeps
// its keys. WM_INITMENUPOPUP asks the update handlers of each item and greys those that have no
// command handler. The status text goes to the child AFX_IDW_STATUS_BAR as WM_SETTEXT.
//
// Titles: with FWS_ADDTOTITLE the frame shows "<document> - <title>". The frame writes its
// caption only when the document's title changed since it last did, so a caption the program set
// itself (product name and version) stays until the document is renamed.

#include "framework/window/Wnd.h"

#include <vector>

class CControlBar;
class CDocTemplate;
class CDocument;
class CView;

// ---- private messages of frames, views and bars ----
constexpr UINT WM_SIZEPARENT = 0x0361;        // lParam: AFX_SIZEPARENTPARAMS*
constexpr UINT WM_SETMESSAGESTRING = 0x0362;  // wParam: string id, or lParam: the text
constexpr UINT WM_INITIALUPDATE = 0x0364;     // sent once to every descendant of a new frame
constexpr UINT WM_FLOATSTATUS = 0x036D;       // wParam: FS_ bits
constexpr UINT WM_POPMESSAGESTRING = 0x0375;  // the same as WM_SETMESSAGESTRING, unless suppressed

// ---- standard ids ----
enum : UINT {
    AFX_IDW_TOOLBAR = 0xE800,
    AFX_IDW_STATUS_BAR = 0xE801,
    AFX_IDW_DIALOGBAR = 0xE805,
    AFX_IDW_PANE_FIRST = 0xE900,
    AFX_IDW_PANE_LAST = 0xE9FF,
    AFX_IDW_HSCROLL_FIRST = 0xEA00,
    AFX_IDW_VSCROLL_FIRST = 0xEA10,
    AFX_IDW_SIZE_BOX = 0xEA20,
    ID_VIEW_TOOLBAR = 0xE800,      // 59392
    ID_VIEW_STATUS_BAR = 0xE801,   // 59393
    AFX_IDS_IDLEMESSAGE = 0xE001,  // "Ready"
    AFX_IDS_SCFIRST = 0xEF00,      // prompts of the system commands: 0xEF00 + (id - 0xF000) / 16
    ID_FILE_NEW = 0xE100,
    ID_FILE_OPEN = 0xE101,
    ID_FILE_CLOSE = 0xE102,
    ID_FILE_SAVE = 0xE103,
    ID_FILE_SAVE_AS = 0xE104,
    ID_FILE_MRU_FILE1 = 0xE110,
    ID_FILE_MRU_FILE16 = 0xE11F,
    ID_APP_ABOUT = 0xE140,
    ID_APP_EXIT = 0xE141,          // 57665
    ID_HELP_FINDER = 0xE143,
    ID_WINDOW_NEW = 0xE130,
    ID_WINDOW_ARRANGE = 0xE131,
    ID_WINDOW_CASCADE = 0xE132,
    ID_WINDOW_TILE_HORZ = 0xE133,
    ID_WINDOW_TILE_VERT = 0xE134,
    AFX_IDM_FIRST_MDICHILD = 0xFF00,
};

// Frame styles (low word of the frame's creation style; they never reach Windows).
enum : DWORD {
    FWS_ADDTOTITLE = 0x00008000,
    FWS_PREFIXTITLE = 0x00004000,
    FWS_SNAPTOBARS = 0x00002000,
};

// WM_FLOATSTATUS bits.
enum : WPARAM {
    FS_SHOW = 0x01,
    FS_HIDE = 0x02,
    FS_ACTIVATE = 0x04,
    FS_DEACTIVATE = 0x08,
    FS_ENABLE = 0x10,
    FS_DISABLE = 0x20,
    FS_SYNCACTIVE = 0x40,
};

// More m_nFlags bits of frames (beside the WF_ bits of Wnd.h).
enum : UINT {
    WF_STAYACTIVE = 0x0020,      // a synchronised floating window of this frame is active
    WF_NOPOPMSG = 0x0040,        // WM_POPMESSAGESTRING does nothing
    WF_KEEPMINIACTIVE = 0x0200,  // floating windows keep their active caption meanwhile
};

// How RepositionBars treats the leftover child.
enum : UINT {
    reposDefault = 0,   // the leftover child gets the rest
    reposQuery = 1,     // nothing moves: the rest is answered in the rectangle
    reposExtra = 2,     // the rest, less the borders given in the rectangle
};

struct AFX_SIZEPARENTPARAMS {
    HDWP hDWP = nullptr;      // deferred positions of this layout (null: move at once)
    RECT rect{};              // what is left for the bars that follow and the pane
    SIZE sizeTotal{};         // the bars' total extent so far
    BOOL bStretch = TRUE;     // bars take the whole width (height) of the remaining rectangle
};

// Moves a child to rect (parent client coordinates) through the layout's deferred positions when
// there are some; a child already there is left alone.
void AfxRepositionWindow(AFX_SIZEPARENTPARAMS* lpLayout, HWND hWnd, LPCRECT lpRect);

// What a frame needs to make its view: the view class and the document it shows.
struct CCreateContext {
    const CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    class CFrameWnd* m_pCurrentFrame = nullptr;
};

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    static const RECT rectDefault;    // CW_USEDEFAULT everywhere

    BOOL Create(const wchar_t* lpszClassName, const wchar_t* lpszWindowName,
                DWORD dwStyle = WS_OVERLAPPEDWINDOW, const RECT& rect = rectDefault,
                CWnd* pParentWnd = nullptr, const wchar_t* lpszMenuName = nullptr,
                DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);
    // The frame of resource id nIDResource: its menu, accelerators, icon and title (the first
    // part of the string of that id).
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);

    // Makes a view of the context's class as a child with the given id (the document learns of it).
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
    // Activates the pane-first view, sends WM_INITIALUPDATE to every descendant and shows the frame.
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    virtual void ActivateFrame(int nCmdShow = -1);

    // ---- layout ----
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    void DelayRecalcLayout(BOOL bNotify = TRUE);
    void DelayUpdateFrameTitle() { m_nIdleFlags |= idleTitle; }
    enum { idleMenu = 1, idleTitle = 2, idleNotify = 4, idleLayout = 8 };
    UINT m_nIdleFlags = 0;
    BOOL m_bInRecalcLayout = FALSE;

    // ---- views ----
    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    virtual CFrameWnd* GetActiveFrame() { return this; }

    // ---- control bars ----
    CControlBar* GetControlBar(UINT nID);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);
    std::vector<CControlBar*> m_listControlBars;    // not owned

    // ---- status text ----
    virtual CWnd* GetMessageBar();
    void SetMessageText(const wchar_t* lpszText);
    void SetMessageText(UINT nID);
    // The prompt of a command: its string up to the line break ("Ready" for AFX_IDS_IDLEMESSAGE
    // when the program carries no such string).
    virtual void GetMessageString(UINT nID, CString& rMessage) const;
    UINT m_nIDTracking = 0;       // what the status bar should show
    UINT m_nIDLastMessage = 0;    // what it shows

    // ---- titles ----
    void SetTitle(const wchar_t* lpszTitle) { m_strTitle = lpszTitle; }
    CString GetTitle() const { return m_strTitle; }
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    void UpdateFrameTitleForDocument(const wchar_t* lpszDocName);
    CString m_strTitle;

    // ---- modal state and floating windows ----
    // TRUE while a modal window disabled this (top-level) frame, or between Begin/EndModalState.
    virtual BOOL InModalState() const;
    virtual void BeginModalState();
    virtual void EndModalState();
    // Sends WM_FLOATSTATUS to every popup owned by this frame's top-level frame.
    void NotifyFloatingWindows(DWORD dwFlags);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void PostNcDestroy() override;

    HACCEL m_hAccelTable = nullptr;       // from the resources (not destroyed)
    HMENU m_hMenuDefault = nullptr;       // the menu LoadFrame set (destroyed with the window)
    UINT m_nIDHelp = 0;                   // the resource id the frame was loaded from
    BOOL m_bAutoMenuEnable = TRUE;        // grey menu items without a handler
    CString m_strDocTitleShown;           // the document title the caption was built from
    BOOL m_bTitleBuilt = FALSE;
    DWORD m_dwFrameStyle = 0;             // the FWS_ bits of the creation style

protected:
    virtual BOOL OnCreateClient(LPCREATESTRUCTW lpcs, CCreateContext* pContext);
    BOOL LoadAccelTable(const wchar_t* lpszResourceName);

    int OnCreate(LPCREATESTRUCTW lpcs);
    // The frame's part of WM_CREATE: registers the frame, makes the client (the view) and asks for
    // the first layout and the idle text.
    int OnCreateHelper(LPCREATESTRUCTW lpcs, CCreateContext* pContext);
    void OnDestroy();
    void OnNcDestroy();
    void OnClose();
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(CWnd* pOldWnd);
    void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    LRESULT OnNcActivateMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnableMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnInitMenuPopupMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnMenuSelectMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnExitMenuLoopMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    LRESULT OnPopMessageString(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    LRESULT OnSizeParentFloat(WPARAM wParam, LPARAM lParam);
    BOOL OnBarCheck(UINT nID);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    BOOL OnToolTipText(UINT nID, NMHDR* pNMHDR, LRESULT* pResult);
    virtual void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);

    CView* m_pViewActive = nullptr;   // not owned
    int m_cModalStack = 0;
    std::vector<HWND> m_disabledFloating;

    DECLARE_MESSAGE_MAP()
};

// The frame that holds the window: its first ancestor (owner for popups) that is a frame.
CFrameWnd* AfxGetParentFrame(const CWnd* pWnd);
// The outermost frame above (or at) the window.
CFrameWnd* AfxGetTopLevelFrame(const CWnd* pWnd);
// True when hWnd is hWndParent or lies below it (owners count as parents).
BOOL AfxIsDescendant(HWND hWndParent, HWND hWnd);
