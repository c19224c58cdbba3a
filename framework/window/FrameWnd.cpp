// Frame windows: creation from a resource id, layout of the control bars and the pane, command
// routing through the active view, menus, status text, titles and the modal state.

#include "framework/window/FrameWnd.h"

#include "framework/window/ControlBar.h"
#include "framework/window/DocTemplate.h"
#include "framework/window/Document.h"
#include "framework/window/Menu.h"
#include "framework/window/ThreadState.h"
#include "framework/window/View.h"
#include "framework/window/WinApp.h"

#include <algorithm>

// ---- CWnd's frame helpers -------------------------------------------------------------------

CFrameWnd* AfxGetParentFrame(const CWnd* pWnd)
{
    if (!pWnd || !pWnd->m_hWnd)
        return nullptr;
    for (HWND hWnd = ::GetParent(pWnd->m_hWnd); hWnd; hWnd = ::GetParent(hWnd)) {
        CWnd* pParent = CWnd::FromHandlePermanent(hWnd);
        if (pParent && pParent->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
            return static_cast<CFrameWnd*>(pParent);
    }
    return nullptr;
}

CFrameWnd* AfxGetTopLevelFrame(const CWnd* pWnd)
{
    if (!pWnd || !pWnd->m_hWnd)
        return nullptr;
    CFrameWnd* pFrame = nullptr;
    CWnd* pSelf = CWnd::FromHandlePermanent(pWnd->m_hWnd);
    if (pSelf && pSelf->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
        pFrame = static_cast<CFrameWnd*>(pSelf);
    for (CFrameWnd* pNext = AfxGetParentFrame(pWnd); pNext; pNext = AfxGetParentFrame(pNext))
        pFrame = pNext;
    return pFrame;
}

BOOL AfxIsDescendant(HWND hWndParent, HWND hWnd)
{
    for (; hWnd; hWnd = ::GetParent(hWnd)) {
        if (hWnd == hWndParent)
            return TRUE;
    }
    return FALSE;
}

CFrameWnd* CWnd::GetParentFrame() const
{
    return AfxGetParentFrame(this);
}

CFrameWnd* CWnd::GetTopLevelFrame() const
{
    return AfxGetTopLevelFrame(this);
}

void AfxRepositionWindow(AFX_SIZEPARENTPARAMS* lpLayout, HWND hWnd, LPCRECT lpRect)
{
    HWND hWndParent = ::GetParent(hWnd);
    RECT rectOld;
    ::GetWindowRect(hWnd, &rectOld);
    ::MapWindowPoints(nullptr, hWndParent, reinterpret_cast<POINT*>(&rectOld), 2);
    if (::EqualRect(&rectOld, lpRect))
        return;
    const int cx = lpRect->right - lpRect->left;
    const int cy = lpRect->bottom - lpRect->top;
    if (lpLayout && lpLayout->hDWP) {
        lpLayout->hDWP = ::DeferWindowPos(lpLayout->hDWP, hWnd, nullptr, lpRect->left, lpRect->top, cx, cy,
                                          SWP_NOACTIVATE | SWP_NOZORDER);
    } else {
        ::SetWindowPos(hWnd, nullptr, lpRect->left, lpRect->top, cx, cy, SWP_NOACTIVATE | SWP_NOZORDER);
    }
}

void CWnd::RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlag, LPRECT lpRectParam,
                          LPCRECT lpRectClient, BOOL bStretch)
{
    AFX_SIZEPARENTPARAMS layout;
    layout.bStretch = bStretch;
    if (lpRectClient)
        layout.rect = *lpRectClient;
    else
        ::GetClientRect(m_hWnd, &layout.rect);
    if (nFlag != reposQuery)
        layout.hDWP = ::BeginDeferWindowPos(8);

    HWND hWndLeftOver = nullptr;
    // Creation order is z-order among children: the bars made first take their strip first.
    for (HWND hWndChild = ::GetTopWindow(m_hWnd); hWndChild; hWndChild = ::GetWindow(hWndChild, GW_HWNDNEXT)) {
        const UINT nIDC = static_cast<UINT>(::GetDlgCtrlID(hWndChild));
        if (nIDC == nIDLeftOver)
            hWndLeftOver = hWndChild;
        else if (nIDC >= nIDFirst && nIDC <= nIDLast && FromHandlePermanent(hWndChild))
            ::SendMessageW(hWndChild, WM_SIZEPARENT, 0, reinterpret_cast<LPARAM>(&layout));
    }

    if (nFlag == reposQuery) {
        if (lpRectParam) {
            if (bStretch)
                *lpRectParam = layout.rect;
            else {
                lpRectParam->left = lpRectParam->top = 0;
                lpRectParam->right = layout.sizeTotal.cx;
                lpRectParam->bottom = layout.sizeTotal.cy;
            }
        }
        return;
    }
    if (nFlag == reposExtra && lpRectParam) {
        layout.rect.left += lpRectParam->left;
        layout.rect.top += lpRectParam->top;
        layout.rect.right -= lpRectParam->right;
        layout.rect.bottom -= lpRectParam->bottom;
    }
    if (hWndLeftOver) {
        // A pane never gets a negative size, however small the frame.
        RECT rect = layout.rect;
        rect.right = std::max(rect.right, rect.left);
        rect.bottom = std::max(rect.bottom, rect.top);
        AfxRepositionWindow(&layout, hWndLeftOver, &rect);
    }
    if (layout.hDWP && !::EndDeferWindowPos(layout.hDWP)) {
        // A window of the batch went away meanwhile: nothing to do but lay out once more later.
    }
}

// ---- CFrameWnd -------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

const RECT CFrameWnd::rectDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_NCDESTROY()
    ON_WM_CLOSE()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_ACTIVATE()
    ON_MESSAGE(WM_NCACTIVATE, OnNcActivateMsg)
    ON_MESSAGE(WM_ENABLE, OnEnableMsg)
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopupMsg)
    ON_MESSAGE(WM_MENUSELECT, OnMenuSelectMsg)
    ON_MESSAGE(WM_EXITMENULOOP, OnExitMenuLoopMsg)
    ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
    ON_MESSAGE(WM_POPMESSAGESTRING, OnPopMessageString)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParentFloat)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, OnBarCheck)
    ON_NOTIFY_EX_RANGE(TTN_GETDISPINFOW, 0, 0xFFFF, OnToolTipText)
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd()
{
    AfxRemoveFrameWnd(this);
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass) {
        HICON icon = m_nIDHelp ? ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDHelp)) : nullptr;
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon);
    }
    return TRUE;
}

BOOL CFrameWnd::Create(const wchar_t* lpszClassName, const wchar_t* lpszWindowName, DWORD dwStyle,
                       const RECT& rect, CWnd* pParentWnd, const wchar_t* lpszMenuName, DWORD dwExStyle,
                       CCreateContext* pContext)
{
    m_strTitle = lpszWindowName ? lpszWindowName : L"";
    HMENU hMenu = nullptr;
    if (lpszMenuName && !(dwStyle & WS_CHILD)) {
        hMenu = ::LoadMenuW(::GetModuleHandleW(nullptr), lpszMenuName);
        if (!hMenu)
            return FALSE;
    }
    m_hMenuDefault = hMenu;
    const int cx = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.right - rect.left;
    const int cy = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.bottom - rect.top;
    // FWS_ bits are the frame's, not the window class's: they stay in m_dwFrameStyle.
    m_dwFrameStyle = dwStyle & (FWS_ADDTOTITLE | FWS_PREFIXTITLE | FWS_SNAPTOBARS);
    const DWORD style = (dwStyle & WS_CHILD) ? dwStyle : (dwStyle & ~m_dwFrameStyle);
    if (!CreateEx(dwExStyle, lpszClassName, lpszWindowName, style, rect.left, rect.top, cx, cy,
                  pParentWnd->GetSafeHwnd(), hMenu, pContext)) {
        if (hMenu)
            ::DestroyMenu(hMenu);
        m_hMenuDefault = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CFrameWnd::LoadAccelTable(const wchar_t* lpszResourceName)
{
    if (m_hAccelTable)
        return FALSE;
    m_hAccelTable = ::LoadAcceleratorsW(::GetModuleHandleW(nullptr), lpszResourceName);
    return m_hAccelTable != nullptr;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    m_nIDHelp = nIDResource;
    CString full;
    full.LoadString(nIDResource);
    const int lineBreak = full.Find(L'\n');
    m_strTitle = lineBreak >= 0 ? full.Left(lineBreak) : full;
    const wchar_t* menuName = nullptr;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!(dwDefaultStyle & WS_CHILD) &&
        ::FindResourceW(instance, MAKEINTRESOURCEW(nIDResource), reinterpret_cast<LPCWSTR>(RT_MENU)))
        menuName = MAKEINTRESOURCEW(nIDResource);
    if (!Create(nullptr, m_strTitle, dwDefaultStyle, rectDefault, pParentWnd, menuName, 0, pContext))
        return FALSE;
    LoadAccelTable(MAKEINTRESOURCEW(nIDResource));
    if (HICON icon = ::LoadIconW(instance, MAKEINTRESOURCEW(nIDResource))) {
        ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    if (!pContext)
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    return OnCreateHelper(lpcs, static_cast<CCreateContext*>(lpcs->lpCreateParams));
}

int CFrameWnd::OnCreateHelper(LPCREATESTRUCTW lpcs, CCreateContext* pContext)
{
    AfxAddFrameWnd(this);
    if (!OnCreateClient(lpcs, pContext))
        return -1;
    // The bars the program makes after this lay themselves out at the next idle time, and the
    // status bar (made after this too) starts with the idle text.
    DelayRecalcLayout();
    PostMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE);
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCTW, CCreateContext* pContext)
{
    if (pContext && pContext->m_pNewViewClass)
        return CreateView(pContext, AFX_IDW_PANE_FIRST) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID)
{
    if (!pContext || !pContext->m_pNewViewClass)
        return nullptr;
    CObject* pObject = pContext->m_pNewViewClass->CreateObject();
    CWnd* pView = dynamic_cast<CWnd*>(pObject);
    if (!pView) {
        delete pObject;
        return nullptr;
    }
    // The view is made empty: the frame lays it out.
    RECT rect = {0, 0, 0, 0};
    if (!pView->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, rect, this, nID, pContext)) {
        // A view that never got a window is not deleted by its PostNcDestroy.
        if (!pView->m_hWnd)
            delete pView;
        return nullptr;
    }
    if (pView->GetExStyle() & WS_EX_CLIENTEDGE)
        ModifyStyle(WS_BORDER, 0, SWP_FRAMECHANGED);
    return pView;
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible)
{
    CView* pView = nullptr;
    if (!GetActiveView()) {
        // A pane that has a pane of the same id inside it (a splitter) hands on to that one.
        HWND hWndPane = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
        while (hWndPane) {
            HWND inner = ::GetDlgItem(hWndPane, AFX_IDW_PANE_FIRST);
            if (!inner)
                break;
            hWndPane = inner;
        }
        CWnd* pWnd = hWndPane ? CWnd::FromHandlePermanent(hWndPane) : nullptr;
        if (pWnd && pWnd->IsKindOf(RUNTIME_CLASS(CView))) {
            pView = static_cast<CView*>(pWnd);
            SetActiveView(pView, FALSE);
        }
    }
    if (bMakeVisible) {
        SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
        int nCmdShow = -1;
        if (pView)
            pView->OnActivateFrame(WA_INACTIVE, this);
        ActivateFrame(nCmdShow);
        if (pView)
            pView->OnActivateView(TRUE, pView, pView);
    }
    (void)pDoc;
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    if (nCmdShow == -1) {
        if (!IsWindowVisible()) {
            CWinApp* app = AfxGetApp();
            nCmdShow = (app && app->m_pMainWnd == this) ? app->m_nCmdShow : SW_SHOWNORMAL;
            if (nCmdShow == SW_HIDE)
                nCmdShow = SW_SHOWNORMAL;
        } else if (IsIconic()) {
            nCmdShow = SW_RESTORE;
        }
    }
    if (nCmdShow != -1) {
        ShowWindow(nCmdShow);
        BringWindowToTop();
    }
    if (nCmdShow != SW_HIDE && !(GetStyle() & WS_CHILD))
        ::SetForegroundWindow(m_hWnd);
    RecalcLayout();
}

void CFrameWnd::OnDestroy()
{
    // The views die with the frame; none stays active.
    m_pViewActive = nullptr;
    CWnd::OnDestroy();
}

void CFrameWnd::OnNcDestroy()
{
    AfxRemoveFrameWnd(this);
    CWinThread* thread = AfxGetThread();
    if (thread && thread->m_pMainWnd == this) {
        // The main window is gone: the program ends with it.
        thread->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    CWnd::OnNcDestroy();
    // The menu of the frame went with the window; the accelerators belong to the module.
    m_hMenuDefault = nullptr;
}

void CFrameWnd::PostNcDestroy()
{
    delete this;
}

void CFrameWnd::OnClose()
{
    if (CDocument* pDoc = GetActiveDocument()) {
        if (!pDoc->CanCloseFrame(this))
            return;
    }
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        // Closing the main window closes every document.
        for (int i = 0; i < app->GetDocTemplateCount(); ++i) {
            if (!app->GetDocTemplate(i)->SaveAllModified())
                return;
        }
        for (int i = 0; i < app->GetDocTemplateCount(); ++i)
            app->GetDocTemplate(i)->CloseAllDocuments(FALSE);
        if (!m_hWnd)
            return;    // closing the documents took the frame with them
    } else if (CDocument* pDoc = GetActiveDocument()) {
        pDoc->PreCloseFrame(this);
        if (pDoc->GetViewCount() <= 1 && GetActiveView() && GetActiveView()->GetDocument() == pDoc) {
            pDoc->OnCloseDocument();
            return;
        }
    }
    DestroyWindow();
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

void CFrameWnd::OnSetFocus(CWnd* pOldWnd)
{
    if (m_pViewActive && m_pViewActive->m_hWnd)
        m_pViewActive->SetFocus();
    else
        CWnd::OnSetFocus(pOldWnd);
}

void CFrameWnd::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CWnd::OnActivate(nState, pWndOther, bMinimized);
    CFrameWnd* pTopLevel = (GetStyle() & WS_CHILD) ? this : GetTopLevelFrame();
    if (!pTopLevel)
        pTopLevel = this;
    CWnd* pActive = nState == WA_INACTIVE ? pWndOther : this;
    // The frame keeps its active caption while one of its synchronised floating windows is active.
    BOOL bStayActive = FALSE;
    if (pActive && pActive->m_hWnd) {
        if (pActive->m_hWnd == pTopLevel->m_hWnd)
            bStayActive = TRUE;
        else if (AfxGetTopLevelFrame(pActive) == pTopLevel &&
                 ::SendMessageW(pActive->m_hWnd, WM_FLOATSTATUS, FS_SYNCACTIVE, 0) != 0)
            bStayActive = TRUE;
    }
    pTopLevel->m_nFlags &= ~WF_STAYACTIVE;
    if (bStayActive)
        pTopLevel->m_nFlags |= WF_STAYACTIVE;
    NotifyFloatingWindows(bStayActive ? FS_ACTIVATE : FS_DEACTIVATE);
    if (nState != WA_INACTIVE && m_pViewActive && m_pViewActive->m_hWnd)
        m_pViewActive->OnActivateFrame(nState, this);
}

LRESULT CFrameWnd::OnNcActivateMsg(WPARAM wParam, LPARAM lParam)
{
    BOOL bActive = static_cast<BOOL>(wParam);
    if (m_nFlags & WF_STAYACTIVE)
        bActive = TRUE;
    if (!IsWindowEnabled())
        bActive = FALSE;
    return DefWindowProc(WM_NCACTIVATE, static_cast<WPARAM>(bActive), lParam);
}

LRESULT CFrameWnd::OnEnableMsg(WPARAM wParam, LPARAM)
{
    Default();
    // A modal window disabled the frame (or enabled it again): its floating windows follow, and a
    // caption kept active for them goes grey.
    if (!(GetStyle() & WS_CHILD) && !GetParentFrame()) {
        NotifyFloatingWindows(wParam ? FS_ENABLE : FS_DISABLE);
        if (!wParam)
            NotifyFloatingWindows(FS_DEACTIVATE);
    }
    return 0;
}

void CFrameWnd::NotifyFloatingWindows(DWORD dwFlags)
{
    CFrameWnd* pParent = (GetStyle() & WS_CHILD) ? this : GetTopLevelFrame();
    if (!pParent)
        pParent = this;
    if (dwFlags & (FS_DEACTIVATE | FS_ACTIVATE)) {
        const BOOL bActivate = !(dwFlags & FS_DEACTIVATE);
        if (bActivate && pParent->IsWindowEnabled() && pParent != this) {
            m_nFlags |= WF_KEEPMINIACTIVE;
            ::SendMessageW(pParent->m_hWnd, WM_NCACTIVATE, TRUE, 0);
            m_nFlags &= ~WF_KEEPMINIACTIVE;
        } else if (!bActivate) {
            ::SendMessageW(pParent->m_hWnd, WM_NCACTIVATE, FALSE, 0);
        }
    }
    // Every top-level window owned (at any depth) by the frame hears of it.
    std::vector<HWND> popups;
    for (HWND hWnd = ::GetWindow(::GetDesktopWindow(), GW_CHILD); hWnd; hWnd = ::GetWindow(hWnd, GW_HWNDNEXT)) {
        if (hWnd != pParent->m_hWnd && AfxIsDescendant(pParent->m_hWnd, hWnd))
            popups.push_back(hWnd);
    }
    for (HWND hWnd : popups) {
        if (::IsWindow(hWnd))
            ::SendMessageW(hWnd, WM_FLOATSTATUS, dwFlags, 0);
    }
}

BOOL CFrameWnd::InModalState() const
{
    if (m_cModalStack > 0)
        return TRUE;
    // A top-level frame that a modal window disabled is in the modal state as well.
    return !(GetStyle() & WS_CHILD) && m_hWnd && !::IsWindowEnabled(m_hWnd);
}

void CFrameWnd::BeginModalState()
{
    if (m_cModalStack++ > 0)
        return;
    m_disabledFloating.clear();
    for (HWND hWnd = ::GetWindow(::GetDesktopWindow(), GW_CHILD); hWnd; hWnd = ::GetWindow(hWnd, GW_HWNDNEXT)) {
        if (hWnd != m_hWnd && ::IsWindowEnabled(hWnd) && AfxIsDescendant(m_hWnd, hWnd)) {
            m_disabledFloating.push_back(hWnd);
        }
    }
    for (HWND hWnd : m_disabledFloating)
        ::EnableWindow(hWnd, FALSE);
}

void CFrameWnd::EndModalState()
{
    if (m_cModalStack == 0 || --m_cModalStack > 0)
        return;
    for (HWND hWnd : m_disabledFloating) {
        if (::IsWindow(hWnd))
            ::EnableWindow(hWnd, TRUE);
    }
    m_disabledFloating.clear();
}

// ---- layout ----

void CFrameWnd::RecalcLayout(BOOL bNotify)
{
    if (m_bInRecalcLayout)
        return;    // a bar's reaction to being moved asked again: the running layout covers it
    m_bInRecalcLayout = TRUE;
    m_nIdleFlags &= ~(idleLayout | idleNotify);
    (void)bNotify;
    RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposDefault);
    m_bInRecalcLayout = FALSE;
}

void CFrameWnd::DelayRecalcLayout(BOOL bNotify)
{
    m_nIdleFlags |= idleLayout | (bNotify ? idleNotify : 0);
}

LRESULT CFrameWnd::OnSizeParentFloat(WPARAM, LPARAM)
{
    // A frame inside another window takes no strip of it.
    return 0;
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM)
{
    if (m_nIdleFlags & idleLayout)
        RecalcLayout(m_nIdleFlags & idleNotify);
    if (m_nIdleFlags & idleTitle)
        OnUpdateFrameTitle(TRUE);
    if (m_nIdleFlags & idleMenu) {
        if (!(GetStyle() & WS_CHILD))
            ::DrawMenuBar(m_hWnd);
    }
    m_nIdleFlags = 0;
    return 0;
}

// ---- views ----

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify)
{
    CView* pViewOld = m_pViewActive;
    if (pViewNew == pViewOld)
        return;
    m_pViewActive = nullptr;
    if (pViewOld && bNotify)
        pViewOld->OnActivateView(FALSE, pViewNew, pViewOld);
    // The old view may have activated another one meanwhile: that one stays.
    if (m_pViewActive)
        return;
    m_pViewActive = pViewNew;
    if (pViewNew && bNotify)
        pViewNew->OnActivateView(TRUE, pViewNew, pViewOld);
    DelayUpdateFrameTitle();
}

CDocument* CFrameWnd::GetActiveDocument()
{
    // An MDI frame's document is its active child's.
    CFrameWnd* pFrame = GetActiveFrame();
    CView* pView = pFrame ? pFrame->GetActiveView() : nullptr;
    return pView ? pView->GetDocument() : nullptr;
}

// ---- control bars ----

void CFrameWnd::AddControlBar(CControlBar* pBar)
{
    if (std::find(m_listControlBars.begin(), m_listControlBars.end(), pBar) == m_listControlBars.end())
        m_listControlBars.push_back(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar)
{
    m_listControlBars.erase(std::remove(m_listControlBars.begin(), m_listControlBars.end(), pBar),
                            m_listControlBars.end());
}

CControlBar* CFrameWnd::GetControlBar(UINT nID)
{
    for (CControlBar* pBar : m_listControlBars) {
        if (pBar->m_hWnd && static_cast<UINT>(pBar->GetDlgCtrlID()) == nID)
            return pBar;
    }
    return nullptr;
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay)
{
    if (!pBar || !pBar->m_hWnd)
        return;
    if (bDelay) {
        pBar->DelayShow(bShow);
        DelayRecalcLayout();
    } else {
        pBar->SetWindowPos(nullptr, 0, 0, 0, 0,
                           SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                               (bShow ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        pBar->DelayShow(bShow);    // cancels a pending one
        RecalcLayout();
    }
}

BOOL CFrameWnd::OnBarCheck(UINT nID)
{
    CControlBar* pBar = GetControlBar(nID);
    if (!pBar)
        return FALSE;
    ShowControlBar(pBar, !(pBar->GetStyle() & WS_VISIBLE), FALSE);
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    CControlBar* pBar = GetControlBar(pCmdUI->m_nID);
    if (pBar) {
        pCmdUI->SetCheck((pBar->GetStyle() & WS_VISIBLE) != 0);
        pCmdUI->Enable(TRUE);
        return;
    }
    pCmdUI->ContinueRouting();
}

BOOL CFrameWnd::OnToolTipText(UINT, NMHDR* pNMHDR, LRESULT* pResult)
{
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(pNMHDR);
    UINT_PTR nID = pNMHDR->idFrom;
    if (info->uFlags & TTF_IDISHWND)
        nID = static_cast<UINT_PTR>(::GetDlgCtrlID(reinterpret_cast<HWND>(nID)));
    if (nID == 0 || nID >= 0xF000)
        return FALSE;
    // The tip is the part of the command's string after its line break.
    CString full;
    if (!full.LoadString(static_cast<UINT>(nID)))
        return FALSE;
    const int lineBreak = full.Find(L'\n');
    const CString tip = lineBreak >= 0 ? full.Mid(lineBreak + 1) : CString();
    static thread_local wchar_t buffer[256];
    wcsncpy_s(buffer, tip, _TRUNCATE);
    info->lpszText = buffer;
    info->hinst = nullptr;
    *pResult = 0;
    ::SetWindowPos(pNMHDR->hwndFrom, HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOMOVE);
    return TRUE;
}

// ---- command routing ----

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    // The active view first (and through it its document), unless it died meanwhile.
    CView* pView = GetActiveView();
    if (pView && pView->m_hWnd && CWnd::FromHandlePermanent(pView->m_hWnd) == pView &&
        pView->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || !m_hAccelTable)
        return FALSE;
    // Keys typed in a modal window in front of the frame are that window's: a disabled frame
    // translates nothing, and neither does a frame for keys of windows outside it.
    if (InModalState() || !pMsg->hwnd || !AfxIsDescendant(m_hWnd, pMsg->hwnd))
        return FALSE;
    if (CWnd* pTop = GetTopLevelParent(); pTop && !::IsWindowEnabled(pTop->m_hWnd))
        return FALSE;
    return ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg) != 0;
}

LRESULT CFrameWnd::OnInitMenuPopupMsg(WPARAM wParam, LPARAM lParam)
{
    Default();
    OnInitMenuPopup(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam)), LOWORD(lParam), HIWORD(lParam));
    return 0;
}

void CFrameWnd::OnInitMenuPopup(CMenu* pMenu, UINT nIndex, BOOL bSysMenu)
{
    (void)nIndex;
    if (bSysMenu || !pMenu)
        return;
    CCmdUI state;
    state.m_pMenu = pMenu;
    state.m_nIndexMax = pMenu->GetMenuItemCount();
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = pMenu->GetMenuItemID(static_cast<int>(state.m_nIndex));
        if (state.m_nID == 0)
            continue;    // separator
        if (state.m_nID == static_cast<UINT>(-1)) {
            state.m_pSubMenu = pMenu->GetSubMenu(static_cast<int>(state.m_nIndex));
            continue;    // a popup keeps its state
        }
        state.m_pSubMenu = nullptr;
        // System commands are the window manager's; DoUpdate leaves them alone.
        state.DoUpdate(this, m_bAutoMenuEnable && state.m_nID < 0xF000);
        // An update handler may have added or removed items.
        const UINT count = pMenu->GetMenuItemCount();
        if (count < state.m_nIndexMax) {
            state.m_nIndex -= (state.m_nIndexMax - count);
            while (state.m_nIndex < count && pMenu->GetMenuItemID(static_cast<int>(state.m_nIndex)) == state.m_nID)
                ++state.m_nIndex;
        }
        state.m_nIndexMax = count;
    }
}

// ---- status text ----

CWnd* CFrameWnd::GetMessageBar()
{
    return GetDescendantWindow(AFX_IDW_STATUS_BAR, TRUE);
}

void CFrameWnd::GetMessageString(UINT nID, CString& rMessage) const
{
    CString full;
    if (full.LoadString(nID)) {
        const int lineBreak = full.Find(L'\n');
        rMessage = lineBreak >= 0 ? full.Left(lineBreak) : full;
        return;
    }
    rMessage = nID == AFX_IDS_IDLEMESSAGE ? CString(L"Ready") : CString();
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam)
{
    const UINT nIDLast = m_nIDLastMessage;
    m_nFlags &= ~WF_NOPOPMSG;
    CWnd* pBar = GetMessageBar();
    if (pBar) {
        CString text;
        if (lParam)
            text = reinterpret_cast<const wchar_t*>(lParam);
        else if (wParam)
            GetMessageString(static_cast<UINT>(wParam), text);
        ::SendMessageW(pBar->m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(static_cast<const wchar_t*>(text)));
    }
    m_nIDLastMessage = static_cast<UINT>(wParam);
    m_nIDTracking = static_cast<UINT>(wParam);
    return nIDLast;
}

LRESULT CFrameWnd::OnPopMessageString(WPARAM wParam, LPARAM lParam)
{
    if (m_nFlags & WF_NOPOPMSG)
        return 0;
    return ::SendMessageW(m_hWnd, WM_SETMESSAGESTRING, wParam, lParam);
}

void CFrameWnd::SetMessageText(const wchar_t* lpszText)
{
    ::SendMessageW(m_hWnd, WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(lpszText));
}

void CFrameWnd::SetMessageText(UINT nID)
{
    ::SendMessageW(m_hWnd, WM_SETMESSAGESTRING, nID, 0);
}

LRESULT CFrameWnd::OnMenuSelectMsg(WPARAM wParam, LPARAM lParam)
{
    const UINT nItemID = LOWORD(wParam);
    const UINT nFlags = HIWORD(wParam);
    CFrameWnd* pFrame = GetTopLevelFrame();
    if (!pFrame)
        pFrame = this;
    if (nFlags == 0xFFFF && lParam == 0) {
        // The menu closed.
        pFrame->m_nIDTracking = AFX_IDS_IDLEMESSAGE;
    } else if (nItemID == 0 || (nFlags & (MF_SEPARATOR | MF_POPUP))) {
        pFrame->m_nIDTracking = 0;
    } else if (nItemID >= 0xF000 && nItemID < 0xF1F0) {
        pFrame->m_nIDTracking = AFX_IDS_SCFIRST + ((nItemID - 0xF000) >> 4);
    } else if (nItemID >= AFX_IDM_FIRST_MDICHILD) {
        pFrame->m_nIDTracking = 0;
    } else {
        pFrame->m_nIDTracking = nItemID;
    }
    if (pFrame->m_nIDTracking != pFrame->m_nIDLastMessage)
        ::SendMessageW(pFrame->m_hWnd, WM_SETMESSAGESTRING, pFrame->m_nIDTracking, 0);
    return 0;
}

LRESULT CFrameWnd::OnExitMenuLoopMsg(WPARAM, LPARAM)
{
    Default();
    CFrameWnd* pFrame = GetTopLevelFrame();
    if (!pFrame)
        pFrame = this;
    pFrame->m_nIDTracking = AFX_IDS_IDLEMESSAGE;
    if (pFrame->m_nIDLastMessage != AFX_IDS_IDLEMESSAGE)
        ::SendMessageW(pFrame->m_hWnd, WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE, 0);
    return 0;
}

// ---- titles ----

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if (!(m_dwFrameStyle & FWS_ADDTOTITLE))
        return;
    CDocument* pDoc = GetActiveDocument();
    const CString docTitle = pDoc ? pDoc->GetTitle() : CString();
    // Only a new document title rebuilds the caption: one the program set stays otherwise.
    if (m_bTitleBuilt && docTitle == m_strDocTitleShown)
        return;
    m_bTitleBuilt = TRUE;
    m_strDocTitleShown = docTitle;
    UpdateFrameTitleForDocument(bAddToTitle && pDoc ? static_cast<const wchar_t*>(docTitle) : nullptr);
}

void CFrameWnd::UpdateFrameTitleForDocument(const wchar_t* lpszDocName)
{
    CString text;
    if (m_dwFrameStyle & FWS_PREFIXTITLE) {
        if (lpszDocName && *lpszDocName)
            text = CString(lpszDocName) + L" - ";
        text += m_strTitle;
    } else {
        text = m_strTitle;
        if (lpszDocName && *lpszDocName)
            text += CString(L" - ") + lpszDocName;
    }
    AfxSetWindowText(m_hWnd, text);
}
