// Tips for the children of plain windows: one tooltip control per thread, fed by
// FilterToolTipMessage with the tool that the window's OnToolHitTest answers under the mouse.

#include "framework/window/Wnd.h"

#include <commctrl.h>

namespace {

// The thread's tooltip control and the one tool it holds now.
struct ThreadToolTip {
    HWND tip = nullptr;
    HWND toolWindow = nullptr;
    UINT_PTR toolId = 0;
    INT_PTR hit = -1;

    ~ThreadToolTip()
    {
        if (tip && ::IsWindow(tip))
            ::DestroyWindow(tip);
    }
    void RemoveTool()
    {
        if (hit == -1)
            return;
        TOOLINFOW ti = {};
        ti.cbSize = sizeof(ti);
        ti.hwnd = toolWindow;
        ti.uId = toolId;
        ::SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        hit = -1;
        toolWindow = nullptr;
        toolId = 0;
    }
};
thread_local ThreadToolTip t_toolTip;

} // namespace

HWND AfxGetThreadToolTip()
{
    return t_toolTip.tip;
}

INT_PTR CWnd::OnToolHitTest(CPoint point, tagTOOLINFOW* ti) const
{
    HWND child = ::ChildWindowFromPointEx(m_hWnd, point, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (!child || child == m_hWnd)
        return -1;
    if (ti) {
        ti->hwnd = m_hWnd;
        ti->uId = reinterpret_cast<UINT_PTR>(child);
        ti->uFlags |= TTF_IDISHWND | TTF_NOTBUTTON | TTF_ALWAYSTIP;
        ti->lpszText = LPSTR_TEXTCALLBACKW;
    }
    return ::GetDlgCtrlID(child);
}

BOOL CWnd::EnableToolTips(BOOL bEnable)
{
    if (!bEnable) {
        m_nFlags &= ~WF_TOOLTIPS;
        if (t_toolTip.tip && t_toolTip.toolWindow == m_hWnd)
            t_toolTip.RemoveTool();
        return TRUE;
    }
    if (!t_toolTip.tip) {
        INITCOMMONCONTROLSEX init = {sizeof(init), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&init);
        t_toolTip.tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                          nullptr, nullptr, nullptr, nullptr);
        if (!t_toolTip.tip)
            return FALSE;
    }
    m_nFlags |= WF_TOOLTIPS;
    return TRUE;
}

void CWnd::FilterToolTipMessage(MSG* pMsg)
{
    HWND tip = t_toolTip.tip;
    if (!tip || !pMsg || !m_hWnd)
        return;
    const UINT message = pMsg->message;
    const bool mouse = message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
    if (!mouse && message != WM_KEYDOWN && message != WM_SYSKEYDOWN && message != WM_NCMOUSEMOVE)
        return;
    if (message != WM_MOUSEMOVE) {
        // A click or a key: the tip goes until the mouse moves again.
        ::SendMessageW(tip, TTM_POP, 0, 0);
        if (message == WM_NCMOUSEMOVE)
            t_toolTip.RemoveTool();
        return;
    }
    // Only messages of this window or its descendants concern its tools.
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))
        return;

    POINT point = pMsg->pt;
    ::ScreenToClient(m_hWnd, &point);
    TOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    const INT_PTR hit = OnToolHitTest(CPoint(point.x, point.y), &ti);
    const bool sameTool = hit == t_toolTip.hit && ti.hwnd == t_toolTip.toolWindow && ti.uId == t_toolTip.toolId;
    if (!sameTool) {
        t_toolTip.RemoveTool();
        if (hit != -1) {
            // A tool without its own rectangle covers the client area of its window.
            if (!(ti.uFlags & TTF_IDISHWND) && ::IsRectEmpty(&ti.rect))
                ::GetClientRect(ti.hwnd, &ti.rect);
            ti.uFlags &= ~(TTF_NOTBUTTON | TTF_ALWAYSTIP);
            if (::SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti))) {
                t_toolTip.hit = hit;
                t_toolTip.toolWindow = ti.hwnd;
                t_toolTip.toolId = ti.uId;
            }
        }
        ::SendMessageW(tip, TTM_ACTIVATE, t_toolTip.hit != -1, 0);
    }
    if (t_toolTip.hit != -1)
        ::SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg));
}
