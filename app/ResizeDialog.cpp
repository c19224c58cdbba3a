#include "app/ResizeDialog.h"

#include <cmath>

IMPLEMENT_DYNAMIC(CResizeDialog, CDialog)

BEGIN_MESSAGE_MAP(CResizeDialog, CDialog)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_NCHITTEST()
END_MESSAGE_MAP()

BOOL CResizeDialog::OnInitDialog()
{
    const BOOL result = CDialog::OnInitDialog();
    RECT client{};
    GetClientRect(&client);
    m_startSize = {client.right - client.left, client.bottom - client.top};
    return result;
}

BOOL CResizeDialog::SetControlAnchors(int nID, double left, double top, double right, double bottom)
{
    HWND control = ::GetDlgItem(m_hWnd, nID);
    if (!control)
        return FALSE;
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ScreenToClient(&rect);
    // a control anchored after the dialog changed size is measured back to the start size, so all
    // anchors share one origin
    RECT client{};
    GetClientRect(&client);
    const double dx = (client.right - client.left) - m_startSize.cx;
    const double dy = (client.bottom - client.top) - m_startSize.cy;
    rect.left -= static_cast<LONG>(std::lround(dx * left));
    rect.right -= static_cast<LONG>(std::lround(dx * right));
    rect.top -= static_cast<LONG>(std::lround(dy * top));
    rect.bottom -= static_cast<LONG>(std::lround(dy * bottom));
    for (Anchor& anchor : m_anchors) {
        if (anchor.id == nID) {
            anchor = {nID, rect, left, top, right, bottom};
            return TRUE;
        }
    }
    m_anchors.push_back({nID, rect, left, top, right, bottom});
    return TRUE;
}

void CResizeDialog::SetOptionFlags(DWORD flags)
{
    m_options = flags;
    if (m_hWnd)
        Invalidate();
}

void CResizeDialog::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (nType == SIZE_MINIMIZED)
        return;
    MoveAnchored(cx, cy);
    if (ShowsGripper())
        Invalidate();
}

void CResizeDialog::MoveAnchored(int cx, int cy)
{
    if (m_anchors.empty())
        return;
    const double dx = cx - m_startSize.cx;
    const double dy = cy - m_startSize.cy;
    HDWP positions = ::BeginDeferWindowPos(static_cast<int>(m_anchors.size()));
    for (const Anchor& anchor : m_anchors) {
        HWND control = ::GetDlgItem(m_hWnd, anchor.id);
        if (!control)
            continue;
        const LONG left = anchor.start.left + static_cast<LONG>(std::lround(dx * anchor.left));
        const LONG top = anchor.start.top + static_cast<LONG>(std::lround(dy * anchor.top));
        LONG right = anchor.start.right + static_cast<LONG>(std::lround(dx * anchor.right));
        LONG bottom = anchor.start.bottom + static_cast<LONG>(std::lround(dy * anchor.bottom));
        // shrinking below the start size never turns a control inside out
        right = right < left ? left : right;
        bottom = bottom < top ? top : bottom;
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (positions)
            positions = ::DeferWindowPos(positions, control, nullptr, left, top, right - left, bottom - top, flags);
        else
            ::SetWindowPos(control, nullptr, left, top, right - left, bottom - top, flags);
    }
    if (positions)
        ::EndDeferWindowPos(positions);
    // group boxes and labels leave traces when only their edges move
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool CResizeDialog::ShowsGripper() const
{
    return !(m_options & kNoSizeGripper) && !(GetStyle() & WS_CHILD) && (GetStyle() & WS_THICKFRAME) &&
           !::IsZoomed(m_hWnd);
}

RECT CResizeDialog::GripperRect() const
{
    RECT client{};
    GetClientRect(&client);
    const int cx = ::GetSystemMetrics(SM_CXVSCROLL);
    const int cy = ::GetSystemMetrics(SM_CYHSCROLL);
    return {client.right - cx, client.bottom - cy, client.right, client.bottom};
}

void CResizeDialog::OnPaint()
{
    if (!ShowsGripper()) {
        CDialog::OnPaint();
        return;
    }
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    RECT grip = GripperRect();
    ::DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    ::EndPaint(m_hWnd, &paint);
}

LRESULT CResizeDialog::OnNcHitTest(CPoint point)
{
    if (ShowsGripper()) {
        POINT client = point;
        ScreenToClient(&client);
        const RECT grip = GripperRect();
        if (::PtInRect(&grip, client))
            return HTBOTTOMRIGHT;
    }
    return CDialog::OnNcHitTest(point);
}
