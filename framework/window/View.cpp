// Views: documents shown in windows inside frames.

#include "framework/window/View.h"

#include "framework/window/Dc.h"
#include "framework/window/Document.h"

#include <commctrl.h>

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_MESSAGE(WM_MOUSEACTIVATE, OnMouseActivateMsg)
    ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMsg)
END_MESSAGE_MAP()

CView::~CView()
{
    Unhook();
}

void CView::Unhook()
{
    // Every frame above the view (a splitter's pane sits in a frame, maybe in a view in a frame)
    // forgets it as its active view.
    for (CFrameWnd* pFrame = GetParentFrame(); pFrame; pFrame = pFrame->GetParentFrame()) {
        if (pFrame->GetActiveView() == this)
            pFrame->SetActiveView(nullptr, FALSE);
    }
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    cs.style |= WS_CLIPSIBLINGS;
    return CWnd::PreCreateWindow(cs);
}

int CView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    auto* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    if (pContext && pContext->m_pCurrentDoc)
        pContext->m_pCurrentDoc->AddView(this);
    return 0;
}

void CView::OnDestroy()
{
    // A view dying while active must not stay its frame's active view: the next command would be
    // routed to a dead object.
    Unhook();
    CWnd::OnDestroy();
}

void CView::PostNcDestroy()
{
    delete this;
}

void CView::OnPaint()
{
    CPaintDC dc(this);
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, CObject*)
{
    Invalidate(TRUE);
}

void CView::OnPrepareDC(CDC*, void*) {}

LRESULT CView::OnInitialUpdateMsg(WPARAM, LPARAM)
{
    // Once per view, however many frames send it.
    if (!m_bInitialUpdateDone) {
        m_bInitialUpdateDone = TRUE;
        OnInitialUpdate();
    }
    return 0;
}

BOOL CView::IsTopParentActive() const
{
    CWnd* pTop = GetTopLevelParent();
    return pTop && ::GetActiveWindow() == pTop->m_hWnd;
}

void CView::OnActivateView(BOOL bActivate, CView* pActivateView, CView*)
{
    if (bActivate && pActivateView == this && IsTopParentActive() && ::GetFocus() != m_hWnd &&
        !::IsChild(m_hWnd, ::GetFocus()))
        SetFocus();
}

void CView::OnActivateFrame(UINT, CFrameWnd*) {}

int CView::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message)
{
    (void)pDesktopWnd;
    const int nResult = static_cast<int>(Default());
    if (nResult == MA_NOACTIVATE || nResult == MA_NOACTIVATEANDEAT)
        return nResult;
    (void)nHitTest;
    (void)message;
    // A click makes this the active view of its frame.
    if (CFrameWnd* pFrame = GetParentFrame()) {
        CView* pView = pFrame->GetActiveView();
        if (pView != this)
            pFrame->SetActiveView(this);
    }
    return nResult;
}

LRESULT CView::OnMouseActivateMsg(WPARAM wParam, LPARAM lParam)
{
    return OnMouseActivate(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam));
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ---- CCtrlView, CTreeView, CListView ------------------------------------------------------------

IMPLEMENT_DYNAMIC(CCtrlView, CView)

BEGIN_MESSAGE_MAP(CCtrlView, CView)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CCtrlView::CCtrlView(const wchar_t* lpszClass, DWORD dwStyle) : m_strClass(lpszClass), m_dwDefaultStyle(dwStyle) {}

BOOL CCtrlView::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.lpszClass = m_strClass;
    cs.style |= m_dwDefaultStyle;
    return CView::PreCreateWindow(cs);
}

void CCtrlView::OnPaint()
{
    // The control paints itself.
    Default();
}

IMPLEMENT_DYNCREATE(CTreeView, CCtrlView)

CTreeView::CTreeView() : CCtrlView(WC_TREEVIEWW, AFX_WS_DEFAULT_VIEW) {}

CTreeView::~CTreeView()
{
    m_ctrl.m_hWnd = nullptr;
}

CTreeCtrl& CTreeView::GetTreeCtrl() const
{
    m_ctrl.m_hWnd = m_hWnd;
    return m_ctrl;
}

IMPLEMENT_DYNCREATE(CListView, CCtrlView)

CListView::CListView() : CCtrlView(WC_LISTVIEWW, AFX_WS_DEFAULT_VIEW) {}

CListView::~CListView()
{
    m_ctrl.m_hWnd = nullptr;
}

CListCtrl& CListView::GetListCtrl() const
{
    m_ctrl.m_hWnd = m_hWnd;
    return m_ctrl;
}
