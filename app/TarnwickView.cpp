#include "app/TarnwickView.h"

#include "framework/window/Dc.h"

IMPLEMENT_DYNCREATE(CtarnwickDoc, CDocument)

BOOL CtarnwickDoc::OnNewDocument()
{
    return CDocument::OnNewDocument();
}

// The runtime-class macros take the base by its own name, not its alias.
IMPLEMENT_DYNCREATE(CtarnwickView, CView)

BEGIN_MESSAGE_MAP(CtarnwickView, AppView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace {
constexpr UINT kStartPageId = 0xFFFF;
}

CtarnwickView::CtarnwickView() : m_hosting(this)
{
    m_hosting.SetOnChange([this](bool panelShown) {
        if (m_startPage.m_hWnd)
            m_startPage.ShowWindow(panelShown ? SW_HIDE : SW_SHOW);
    });
}

BOOL CtarnwickView::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!AppView::PreCreateWindow(cs))
        return FALSE;
    // the hosted panel and the start page paint themselves
    cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return TRUE;
}

int CtarnwickView::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (AppView::OnCreate(lpcs) == -1)
        return -1;
    if (!m_startPage.CreatePage(this, CRect(0, 0, lpcs->cx, lpcs->cy), kStartPageId))
        return -1;
    return 0;
}

void CtarnwickView::OnDraw(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    ::FillRect(pDC->m_hDC, &client, ::GetSysColorBrush(COLOR_WINDOW));
}

void CtarnwickView::OnSize(UINT nType, int cx, int cy)
{
    AppView::OnSize(nType, cx, cy);
    if (m_startPage.m_hWnd)
        m_startPage.MoveWindow(0, 0, cx, cy);
    m_hosting.OnSize(cx, cy);
}

BOOL CtarnwickView::OnEraseBkgnd(CDC* pDC)
{
    if (CWnd* panel = m_hosting.Current()) {
        CRect covered;
        panel->GetWindowRect(&covered);
        ScreenToClient(&covered);
        ::ExcludeClipRect(pDC->m_hDC, covered.left, covered.top, covered.right, covered.bottom);
    }
    return AppView::OnEraseBkgnd(pDC);
}
