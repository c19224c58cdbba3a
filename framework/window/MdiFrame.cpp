// MDI frames and their child frames.

#include "framework/window/MdiFrame.h"

#include "framework/window/DocTemplate.h"
#include "framework/window/Document.h"
#include "framework/window/Menu.h"
#include "framework/window/View.h"
#include "framework/window/WinApp.h"

// ---- CMDIFrameWnd ---------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
    ON_COMMAND(ID_WINDOW_NEW, OnWindowNew)
    ON_COMMAND_RANGE(ID_WINDOW_ARRANGE, ID_WINDOW_TILE_VERT, OnMDIWindowCmd)
    ON_UPDATE_COMMAND_UI_RANGE(ID_WINDOW_ARRANGE, ID_WINDOW_TILE_VERT, OnUpdateMDIWindowCmd)
END_MESSAGE_MAP()

BOOL CMDIFrameWnd::OnCreateClient(LPCREATESTRUCTW lpcs, CCreateContext*)
{
    CMenu* pMenu = nullptr;
    HMENU hMenu = ::GetMenu(m_hWnd);
    HMENU hWindowMenu = hMenu ? GetWindowMenuPopup(hMenu) : nullptr;
    if (hWindowMenu)
        pMenu = CMenu::FromHandle(hWindowMenu);
    return CreateClient(lpcs, pMenu);
}

BOOL CMDIFrameWnd::CreateClient(LPCREATESTRUCTW, CMenu* pWindowMenu)
{
    CLIENTCREATESTRUCT ccs{};
    ccs.hWindowMenu = pWindowMenu ? pWindowMenu->m_hMenu : nullptr;
    ccs.idFirstChild = AFX_IDM_FIRST_MDICHILD;
    m_hWndMDIClient = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL |
                                            WS_HSCROLL | MDIS_ALLCHILDSTYLES,
                                        0, 0, 0, 0, m_hWnd,
                                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)),
                                        ::GetModuleHandleW(nullptr), &ccs);
    return m_hWndMDIClient != nullptr;
}

HMENU CMDIFrameWnd::GetWindowMenuPopup(HMENU hMenuBar)
{
    const int count = hMenuBar ? ::GetMenuItemCount(hMenuBar) : 0;
    // The window list goes into the popup that holds the window commands, else the last but one.
    for (int i = count - 1; i >= 0; --i) {
        HMENU popup = ::GetSubMenu(hMenuBar, i);
        if (!popup)
            continue;
        const int items = ::GetMenuItemCount(popup);
        for (int j = 0; j < items; ++j) {
            const UINT id = ::GetMenuItemID(popup, j);
            if (id >= ID_WINDOW_NEW && id <= ID_WINDOW_TILE_VERT)
                return popup;
        }
    }
    return count >= 2 ? ::GetSubMenu(hMenuBar, count - 2) : nullptr;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* pbMaximized) const
{
    BOOL maximized = FALSE;
    HWND hWnd = m_hWndMDIClient ? reinterpret_cast<HWND>(::SendMessageW(m_hWndMDIClient, WM_MDIGETACTIVE, 0,
                                                                         reinterpret_cast<LPARAM>(&maximized)))
                                : nullptr;
    if (pbMaximized)
        *pbMaximized = hWnd ? maximized : FALSE;
    CWnd* pWnd = hWnd ? CWnd::FromHandlePermanent(hWnd) : nullptr;
    return (pWnd && pWnd->IsKindOf(RUNTIME_CLASS(CMDIChildWnd))) ? static_cast<CMDIChildWnd*>(pWnd) : nullptr;
}

void CMDIFrameWnd::MDIActivate(CWnd* pWndActivate)
{
    ::SendMessageW(m_hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(pWndActivate->GetSafeHwnd()), 0);
}

void CMDIFrameWnd::MDINext()
{
    ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 0);
}

void CMDIFrameWnd::MDIPrev()
{
    ::SendMessageW(m_hWndMDIClient, WM_MDINEXT, 0, 1);
}

void CMDIFrameWnd::MDIMaximize(CWnd* pWnd)
{
    ::SendMessageW(m_hWndMDIClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(pWnd->GetSafeHwnd()), 0);
}

void CMDIFrameWnd::MDIRestore(CWnd* pWnd)
{
    ::SendMessageW(m_hWndMDIClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(pWnd->GetSafeHwnd()), 0);
}

void CMDIFrameWnd::MDICascade()
{
    ::SendMessageW(m_hWndMDIClient, WM_MDICASCADE, 0, 0);
}

void CMDIFrameWnd::MDITile(int nType)
{
    ::SendMessageW(m_hWndMDIClient, WM_MDITILE, static_cast<WPARAM>(nType), 0);
}

void CMDIFrameWnd::MDIIconArrange()
{
    ::SendMessageW(m_hWndMDIClient, WM_MDIICONARRANGE, 0, 0);
}

HMENU CMDIFrameWnd::MDISetMenu(HMENU hMenuFrame, HMENU hMenuWindow)
{
    HMENU old = reinterpret_cast<HMENU>(::SendMessageW(m_hWndMDIClient, WM_MDISETMENU,
                                                       reinterpret_cast<WPARAM>(hMenuFrame),
                                                       reinterpret_cast<LPARAM>(hMenuWindow)));
    ::DrawMenuBar(m_hWnd);
    return old;
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame()
{
    CMDIChildWnd* pChild = MDIGetActive();
    return pChild ? static_cast<CFrameWnd*>(pChild) : this;
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    // The active child first: its view, its document, its own table.
    if (CMDIChildWnd* pChild = MDIGetActive()) {
        if (pChild->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
    }
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CMDIFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // The window list's items are the MDI client's.
    if (LOWORD(wParam) >= AFX_IDM_FIRST_MDICHILD && lParam == 0) {
        DefWindowProc(WM_COMMAND, wParam, lParam);
        return TRUE;
    }
    return CFrameWnd::OnCommand(wParam, lParam);
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefFrameProcW(m_hWnd, m_hWndMDIClient, message, wParam, lParam);
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    // A modal window's keys stay its own.
    if (InModalState() || !pMsg->hwnd || !AfxIsDescendant(m_hWnd, pMsg->hwnd))
        return FALSE;
    CMDIChildWnd* pChild = MDIGetActive();
    if (pChild && pChild->m_hAccelTable && ::TranslateAcceleratorW(m_hWnd, pChild->m_hAccelTable, pMsg))
        return TRUE;
    if (m_hWndMDIClient && ::TranslateMDISysAccel(m_hWndMDIClient, pMsg))
        return TRUE;
    return m_hAccelTable && ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg);
}

void CMDIFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    CFrameWnd::OnUpdateFrameTitle(bAddToTitle);
}

void CMDIFrameWnd::OnWindowNew()
{
    // Another frame on the active document.
    CMDIChildWnd* pActive = MDIGetActive();
    CDocument* pDoc = pActive ? pActive->GetActiveDocument() : nullptr;
    CDocTemplate* pTemplate = pDoc ? pDoc->GetDocTemplate() : nullptr;
    if (!pTemplate)
        return;
    if (CFrameWnd* pFrame = pTemplate->CreateNewFrame(pDoc, pActive))
        pTemplate->InitialUpdateFrame(pFrame, pDoc);
}

void CMDIFrameWnd::OnMDIWindowCmd(UINT nID)
{
    switch (nID) {
    case ID_WINDOW_ARRANGE:
        MDIIconArrange();
        break;
    case ID_WINDOW_CASCADE:
        MDICascade();
        break;
    case ID_WINDOW_TILE_HORZ:
        MDITile(MDITILE_HORIZONTAL);
        break;
    case ID_WINDOW_TILE_VERT:
        MDITile(MDITILE_VERTICAL);
        break;
    default:
        break;
    }
}

void CMDIFrameWnd::OnUpdateMDIWindowCmd(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(MDIGetActive() != nullptr);
}

// ---- CMDIChildWnd ---------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_MESSAGE(WM_MDIACTIVATE, OnMDIActivateMsg)
END_MESSAGE_MAP()

BOOL CMDIChildWnd::Create(const wchar_t* lpszClassName, const wchar_t* lpszWindowName, DWORD dwStyle,
                          const RECT& rect, CMDIFrameWnd* pParentWnd, CCreateContext* pContext)
{
    if (!pParentWnd) {
        CWnd* pMain = AfxGetMainWnd();
        pParentWnd = pMain ? dynamic_cast<CMDIFrameWnd*>(CWnd::FromHandlePermanent(pMain->m_hWnd)) : nullptr;
    }
    if (!pParentWnd || !pParentWnd->m_hWndMDIClient)
        return FALSE;
    m_dwFrameStyle = dwStyle & (FWS_ADDTOTITLE | FWS_PREFIXTITLE | FWS_SNAPTOBARS);
    CREATESTRUCTW cs{};
    cs.style = (dwStyle & ~(m_dwFrameStyle | WS_VISIBLE)) | WS_CHILD;
    cs.lpszClass = lpszClassName;
    if (!PreCreateWindow(cs))
        return FALSE;
    MDICREATESTRUCTW mcs{};
    mcs.szClass = cs.lpszClass;
    mcs.szTitle = lpszWindowName ? lpszWindowName : L"";
    mcs.hOwner = ::GetModuleHandleW(nullptr);
    mcs.x = rect.left;
    mcs.y = rect.top;
    mcs.cx = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.right - rect.left;
    mcs.cy = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.bottom - rect.top;
    mcs.style = cs.style;
    mcs.lParam = reinterpret_cast<LPARAM>(pContext);
    HWND hWnd;
    {
        // The MDI client makes the window: the object is attached when it is announced.
        CNextWindowHook hook(this);
        hWnd = reinterpret_cast<HWND>(::SendMessageW(pParentWnd->m_hWndMDIClient, WM_MDICREATE, 0,
                                                     reinterpret_cast<LPARAM>(&mcs)));
    }
    if (!hWnd || m_hWnd != hWnd)
        return FALSE;
    if (dwStyle & WS_VISIBLE) {
        ::ShowWindow(m_hWnd, SW_SHOW);
        ::SendMessageW(pParentWnd->m_hWndMDIClient, WM_MDIREFRESHMENU, 0, 0);
    }
    return TRUE;
}

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    m_nIDHelp = nIDResource;
    CString full;
    full.LoadString(nIDResource);
    const int lineBreak = full.Find(L'\n');
    m_strTitle = lineBreak >= 0 ? full.Left(lineBreak) : full;
    CWnd* pParentPerm = pParentWnd ? CWnd::FromHandlePermanent(pParentWnd->m_hWnd) : nullptr;
    auto* pMDIFrame = dynamic_cast<CMDIFrameWnd*>(pParentPerm);
    if (!Create(nullptr, m_strTitle, dwDefaultStyle, rectDefault, pMDIFrame, pContext))
        return FALSE;
    // The shared menu and accelerators of the template.
    if (pContext && pContext->m_pNewDocTemplate) {
        m_hMenuShared = pContext->m_pNewDocTemplate->m_hMenuShared;
        m_hAccelTable = pContext->m_pNewDocTemplate->m_hAccelTable;
    }
    if (!m_hAccelTable)
        LoadAccelTable(MAKEINTRESOURCEW(nIDResource));
    if (HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource)))
        ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    return TRUE;
}

int CMDIChildWnd::OnCreate(LPCREATESTRUCTW lpcs)
{
    // The creation context rides in the MDI creation record.
    auto* mcs = static_cast<MDICREATESTRUCTW*>(lpcs->lpCreateParams);
    auto* pContext = mcs ? reinterpret_cast<CCreateContext*>(mcs->lParam) : nullptr;
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    return OnCreateHelper(lpcs, pContext);
}

BOOL CMDIChildWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    MDIDestroy();
    return TRUE;
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const
{
    HWND hWndClient = ::GetParent(m_hWnd);
    HWND hWndFrame = hWndClient ? ::GetParent(hWndClient) : nullptr;
    CWnd* pWnd = hWndFrame ? CWnd::FromHandlePermanent(hWndFrame) : nullptr;
    return dynamic_cast<CMDIFrameWnd*>(pWnd);
}

void CMDIChildWnd::MDIActivate()
{
    ::SendMessageW(::GetParent(m_hWnd), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIDestroy()
{
    ::SendMessageW(::GetParent(m_hWnd), WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIMaximize()
{
    ::SendMessageW(::GetParent(m_hWnd), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIRestore()
{
    ::SendMessageW(::GetParent(m_hWnd), WM_MDIRESTORE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::ActivateFrame(int nCmdShow)
{
    if (nCmdShow == -1)
        nCmdShow = SW_SHOW;
    ::ShowWindow(m_hWnd, nCmdShow);
    MDIActivate();
    RecalcLayout();
}

BOOL CMDIChildWnd::PreTranslateMessage(MSG* pMsg)
{
    // The MDI frame translates the child's accelerators, after the child's tips.
    return CWnd::PreTranslateMessage(pMsg);
}

LRESULT CMDIChildWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefMDIChildProcW(m_hWnd, message, wParam, lParam);
}

void CMDIChildWnd::OnSize(UINT nType, int cx, int cy)
{
    // DefMDIChildProc keeps the maximized state; the layout follows.
    Default();
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
    (void)cx;
    (void)cy;
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    CDocument* pDoc = GetActiveDocument();
    if (bAddToTitle && pDoc)
        AfxSetWindowText(m_hWnd, pDoc->GetTitle());
    if (CMDIFrameWnd* pFrame = GetMDIFrame())
        pFrame->OnUpdateFrameTitle(bAddToTitle);
}

void CMDIChildWnd::OnUpdateFrameMenu(BOOL bActivate, CWnd* pActivateWnd, HMENU hMenuAlt)
{
    CMDIFrameWnd* pFrame = GetMDIFrame();
    if (!pFrame)
        return;
    if (!hMenuAlt)
        hMenuAlt = m_hMenuShared;
    if (bActivate && hMenuAlt) {
        pFrame->MDISetMenu(hMenuAlt, pFrame->GetWindowMenuPopup(hMenuAlt));
    } else if (!bActivate && !pActivateWnd) {
        // The last child went: the frame's own menu comes back.
        HMENU hMenuDefault = pFrame->m_hMenuDefault;
        if (hMenuDefault)
            pFrame->MDISetMenu(hMenuDefault, pFrame->GetWindowMenuPopup(hMenuDefault));
    }
}

LRESULT CMDIChildWnd::OnMDIActivateMsg(WPARAM wParam, LPARAM lParam)
{
    Default();
    HWND hWndDeactivate = reinterpret_cast<HWND>(wParam);
    HWND hWndActivate = reinterpret_cast<HWND>(lParam);
    const BOOL bActivate = hWndActivate == m_hWnd;
    CWnd* pActivate = hWndActivate ? CWnd::FromHandle(hWndActivate) : nullptr;
    if (bActivate || (hWndDeactivate == m_hWnd && !hWndActivate))
        OnUpdateFrameMenu(bActivate, pActivate, nullptr);
    if (bActivate) {
        if (CView* pView = GetActiveView())
            pView->OnActivateView(TRUE, pView, pView);
        if (CMDIFrameWnd* pFrame = GetMDIFrame())
            pFrame->DelayUpdateFrameTitle();
    }
    return 0;
}
