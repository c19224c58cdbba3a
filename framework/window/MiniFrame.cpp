// Floating frames with synchronised captions.

#include "framework/window/MiniFrame.h"

IMPLEMENT_DYNCREATE(CMiniFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMiniFrameWnd, CFrameWnd)
    ON_MESSAGE(WM_FLOATSTATUS, OnFloatStatus)
    ON_MESSAGE(WM_NCACTIVATE, OnNcActivateMini)
    ON_MESSAGE(WM_SYSCOMMAND, OnSysCommandMini)
    ON_MESSAGE(WM_NCLBUTTONDOWN, OnNcButtonMini)
    ON_MESSAGE(WM_NCRBUTTONDOWN, OnNcButtonMini)
    ON_MESSAGE(WM_NCRBUTTONUP, OnNcButtonMini)
END_MESSAGE_MAP()

BOOL CMiniFrameWnd::Create(const wchar_t* lpClassName, const wchar_t* lpWindowName, DWORD dwStyle, const RECT& rect,
                           CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, lpClassName, lpWindowName, dwStyle, rect, pParentWnd, nID);
}

BOOL CMiniFrameWnd::CreateEx(DWORD dwExStyle, const wchar_t* lpClassName, const wchar_t* lpWindowName, DWORD dwStyle,
                             const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    m_strTitle = lpWindowName ? lpWindowName : L"";
    m_dwMiniStyle = dwStyle & (MFS_SYNCACTIVE | MFS_4THICKFRAME | MFS_THICKFRAME | MFS_MOVEFRAME | MFS_BLOCKSYSMENU);
    DWORD style = dwStyle & ~m_dwMiniStyle;
    if (m_dwMiniStyle & (MFS_THICKFRAME | MFS_4THICKFRAME))
        style |= WS_THICKFRAME;
    // The mini style bits stay in the window style's class-specific low word, where a program (or
    // WM_FLOATSTATUS) can read them back with GetStyle.
    style |= m_dwMiniStyle;
    HMENU idOrMenu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)) : nullptr;
    return CWnd::CreateEx(dwExStyle | WS_EX_TOOLWINDOW, lpClassName, lpWindowName, style, rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top, pParentWnd->GetSafeHwnd(), idOrMenu);
}

BOOL CMiniFrameWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    return TRUE;
}

void CMiniFrameWnd::PostNcDestroy()
{
    if (m_bAutoDelete)
        delete this;
}

LRESULT CMiniFrameWnd::OnFloatStatus(WPARAM wParam, LPARAM)
{
    const BOOL sync = (m_dwMiniStyle & MFS_SYNCACTIVE) != 0;
    if (wParam & FS_SYNCACTIVE)
        return sync;
    if (wParam & (FS_ACTIVATE | FS_DEACTIVATE)) {
        if (sync)
            ::SendMessageW(m_hWnd, WM_NCACTIVATE, (wParam & FS_ACTIVATE) ? TRUE : FALSE, 0);
    }
    if (wParam & (FS_ENABLE | FS_DISABLE))
        ::EnableWindow(m_hWnd, (wParam & FS_ENABLE) ? TRUE : FALSE);
    if (wParam & (FS_SHOW | FS_HIDE))
        ::ShowWindow(m_hWnd, (wParam & FS_SHOW) ? SW_SHOWNA : SW_HIDE);
    return TRUE;
}

LRESULT CMiniFrameWnd::OnNcActivateMini(WPARAM wParam, LPARAM lParam)
{
    BOOL bActive = static_cast<BOOL>(wParam);
    if (m_dwMiniStyle & MFS_SYNCACTIVE) {
        // The caption follows the owner's: active while the owner frame counts as active.
        CFrameWnd* pOwner = GetTopLevelFrame();
        if (pOwner && pOwner != this && (pOwner->m_nFlags & WF_STAYACTIVE))
            bActive = TRUE;
    }
    if (!IsWindowEnabled())
        bActive = FALSE;
    return DefWindowProc(WM_NCACTIVATE, static_cast<WPARAM>(bActive), lParam);
}

LRESULT CMiniFrameWnd::OnSysCommandMini(WPARAM wParam, LPARAM lParam)
{
    const UINT command = static_cast<UINT>(wParam & 0xFFF0);
    if ((m_dwMiniStyle & MFS_BLOCKSYSMENU) && (command == SC_KEYMENU || command == SC_MOUSEMENU))
        return 0;
    return DefWindowProc(WM_SYSCOMMAND, wParam, lParam);
}

LRESULT CMiniFrameWnd::OnNcButtonMini(WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = AfxGetCurrentMessage();
    if ((m_dwMiniStyle & MFS_BLOCKSYSMENU) && (wParam == HTSYSMENU || (msg->message != WM_NCLBUTTONDOWN && wParam == HTCAPTION)))
        return 0;
    return DefWindowProc(msg->message, wParam, lParam);
}
