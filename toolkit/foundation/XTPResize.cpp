#include "toolkit/foundation/XTPResize.h"

#include "framework/window/WinApp.h"

#include <cwchar>

namespace {

RECT WindowRectInHost(HWND wnd, HWND host)
{
    RECT rect{};
    ::GetWindowRect(wnd, &rect);
    ::MapWindowPoints(HWND_DESKTOP, host, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool IsGroupBox(HWND wnd)
{
    wchar_t className[9] = {};
    ::GetClassNameW(wnd, className, 9);
    if (_wcsnicmp(className, L"Button", 8) != 0)
        return false;
    const LONG_PTR style = ::GetWindowLongPtrW(wnd, GWL_STYLE);
    return (style & 0x7) == BS_GROUPBOX && !(style & WS_TABSTOP);
}

}    // namespace

// ---- CXTPResizeItem ----

CXTPResizeItem::CXTPResizeItem(CWnd* wnd, const CXTPResizeFactorRect& factors, const CXTPResizeFactorRect& rect,
                               bool ownsWindow)
    : m_bOwnsWindow(ownsWindow), m_pWnd(wnd), m_factors(factors), m_rect(rect), m_rectStart(rect), m_rectPending(rect)
{
}

CXTPResizeItem::~CXTPResizeItem()
{
    if (m_bOwnsWindow && m_pWnd) {
        m_pWnd->Detach();
        delete m_pWnd;
    }
}

void CXTPResizeItem::PrepareItem(CXTPResize* resize)
{
    if (resize->GetOptionFlags() & CXTPResize::xtpResizeNoTransparentGroup)
        return;
    HWND wnd = m_pWnd->GetSafeHwnd();
    if (!wnd || !IsGroupBox(wnd))
        return;
    // A group box paints its whole rectangle; transparent, the controls inside it stay visible
    // while it moves over them.
    ::SetWindowLongPtrW(wnd, GWL_EXSTYLE, ::GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    ::SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    m_bRepaint = true;
}

// ---- CXTPSizeIcon ----

IMPLEMENT_DYNAMIC(CXTPSizeIcon, CScrollBar)

BEGIN_MESSAGE_MAP(CXTPSizeIcon, CScrollBar)
    ON_WM_SETCURSOR()
    ON_WM_SETFOCUS()
END_MESSAGE_MAP()

CXTPSizeIcon::CXTPSizeIcon() : m_hCursor(::LoadCursorW(nullptr, IDC_SIZENWSE)) {}

BOOL CXTPSizeIcon::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (nHitTest == HTCLIENT && m_hCursor) {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return CScrollBar::OnSetCursor(pWnd, nHitTest, message);
}

void CXTPSizeIcon::OnSetFocus(CWnd*)
{
    // swallowed: the gripper is a handle, not a control to type into
}

// ---- CXTPResize ----

CXTPResize::CXTPResize(CWnd* pHost, int nOptionFlags) : m_nOptionFlags(nOptionFlags), m_pHost(pHost) {}

CXTPResize::~CXTPResize()
{
    RemoveAllItems();
}

CSize CXTPResize::ClientSize() const
{
    RECT client{};
    ::GetClientRect(m_pHost->GetSafeHwnd(), &client);
    return CSize(client.right - client.left, client.bottom - client.top);
}

void CXTPResize::Init()
{
    if (!m_pHost || !m_pHost->GetSafeHwnd())
        return;
    RemoveAllItems();

    m_szInitial = m_szLast = ClientSize();
    if (!(m_nOptionFlags & xtpResizeNoMinsize))
        m_szMin = m_szInitial;

    HWND host = m_pHost->GetSafeHwnd();
    if (!(m_nOptionFlags & xtpResizeNoClipChildren))
        ::SetWindowLongPtrW(host, GWL_STYLE, ::GetWindowLongPtrW(host, GWL_STYLE) | WS_CLIPCHILDREN);

    if (m_nOptionFlags & xtpResizeNoSizeIcon)
        return;
    if (!m_scrollIcon.GetSafeHwnd()) {
        RECT client{};
        ::GetClientRect(host, &client);
        const RECT grip{client.right - 1 - ::GetSystemMetrics(SM_CXVSCROLL),
                        client.bottom - 1 - ::GetSystemMetrics(SM_CYHSCROLL), client.right - 1, client.bottom - 1};
        if (!m_scrollIcon.Create(WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP, grip, m_pHost, kSizeIconId))
            return;
    }
    ::SetWindowPos(m_scrollIcon.GetSafeHwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
    SetControlAnchors(kSizeIconId, m_scrollIcon.GetSafeHwnd(), {1, 1, 1, 1});
}

void CXTPResize::AdjustClientSize(CSize&) {}

BOOL CXTPResize::SetControlAnchors(int nID, HWND hWnd, const CXTPResizeFactorRect& factors)
{
    if (!m_pHost || !m_pHost->GetSafeHwnd())
        return FALSE;
    for (auto& item : m_items) {
        HWND wnd = item->m_pWnd ? item->m_pWnd->GetSafeHwnd() : nullptr;
        if (wnd && ::IsWindow(wnd) && ::GetDlgCtrlID(wnd) == nID) {
            item->m_factors += factors;
            return TRUE;
        }
    }

    HWND host = m_pHost->GetSafeHwnd();
    if (!hWnd)
        hWnd = ::GetDlgItem(host, nID);
    if (!hWnd || !::IsWindow(hWnd))
        return FALSE;

    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    bool owns = false;
    if (!wnd) {
        wnd = new CWnd;
        wnd->Attach(hWnd);
        owns = true;
    }
    auto item = std::make_unique<CXTPResizeItem>(wnd, factors, CXTPResizeFactorRect(WindowRectInHost(hWnd, host)), owns);
    item->PrepareItem(this);
    m_items.push_back(std::move(item));
    return TRUE;
}

void CXTPResize::RemoveAllItems()
{
    m_items.clear();
}

BOOL CXTPResize::MoveItem(HDWP& hdwp, CXTPResizeItem* pItem, float dx, float dy)
{
    HWND wnd = pItem->m_pWnd ? pItem->m_pWnd->GetSafeHwnd() : nullptr;
    if (!wnd || !::IsWindow(wnd))
        return TRUE;

    if (!pItem->m_bPositioned) {
        // An item's first pass takes the whole change since the start, so a control registered
        // after the host had already been resized still lands where its factors put it.
        CSize size = ClientSize();
        AdjustClientSize(size);
        dx = static_cast<float>(size.cx - m_szInitial.cx);
        dy = static_cast<float>(size.cy - m_szInitial.cy);
    }

    const CXTPResizeFactorRect& cur = pItem->m_rect;
    const CXTPResizeFactorRect& f = pItem->m_factors;
    const CXTPResizeFactorRect next(cur.left + f.left * dx, cur.top + f.top * dy, cur.right + f.right * dx,
                                    cur.bottom + f.bottom * dy);
    pItem->m_rectPending = next;
    if (next == cur)
        return TRUE;

    const int x = static_cast<int>(next.left);
    const int y = static_cast<int>(next.top);
    const int cx = static_cast<int>(next.right - next.left);
    const int cy = static_cast<int>(next.bottom - next.top);
    const RECT now = WindowRectInHost(wnd, m_pHost->GetSafeHwnd());
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    if (x == now.left && y == now.top)
        flags |= SWP_NOMOVE;
    if (static_cast<int>(next.right) - x == now.right - now.left && static_cast<int>(next.bottom) - y == now.bottom - now.top)
        flags |= SWP_NOSIZE;
    else
        flags |= SWP_NOCOPYBITS;

    hdwp = ::DeferWindowPos(hdwp, wnd, nullptr, x, y, cx, cy, flags);
    return hdwp != nullptr;
}

void CXTPResize::MoveItemsDirectly()
{
    HWND host = m_pHost->GetSafeHwnd();
    for (auto& item : m_items) {
        HWND wnd = item->m_pWnd ? item->m_pWnd->GetSafeHwnd() : nullptr;
        if (!wnd || !::IsWindow(wnd))
            continue;
        const CXTPResizeFactorRect& next = item->m_rectPending;
        const int x = static_cast<int>(next.left);
        const int y = static_cast<int>(next.top);
        const RECT now = WindowRectInHost(wnd, host);
        if (x == now.left && y == now.top && static_cast<int>(next.right) - x == now.right - now.left &&
            static_cast<int>(next.bottom) - y == now.bottom - now.top)
            continue;
        ::SetWindowPos(wnd, nullptr, x, y, static_cast<int>(next.right - next.left),
                       static_cast<int>(next.bottom - next.top),
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOCOPYBITS);
    }
}

void CXTPResize::Relayout()
{
    if (m_items.empty() || !m_pHost || !m_pHost->GetSafeHwnd())
        return;
    CSize size = ClientSize();
    if (size.cx == 0 || size.cy == 0)
        return;    // minimised: the controls stay, and restoring continues from the last size

    AdjustClientSize(size);
    const float dx = static_cast<float>(size.cx - m_szLast.cx);
    const float dy = static_cast<float>(size.cy - m_szLast.cy);

    // The new rectangles are taken over only once the controls are really there: a pass that
    // failed half-way and still advanced the rectangles would leave the controls off their
    // anchors for good.
    HDWP hdwp = ::BeginDeferWindowPos(static_cast<int>(m_items.size()));
    bool deferred = hdwp != nullptr;
    for (auto& item : m_items) {
        if (deferred) {
            if (!MoveItem(hdwp, item.get(), dx, dy))
                deferred = false;    // DeferWindowPos freed the structure; the rest is computed below
        } else {
            HDWP none = nullptr;
            // still computes the target; nothing is deferred on a null handle
            MoveItem(none, item.get(), dx, dy);
        }
    }
    if (!deferred || !::EndDeferWindowPos(hdwp))
        MoveItemsDirectly();

    for (auto& item : m_items) {
        HWND wnd = item->m_pWnd ? item->m_pWnd->GetSafeHwnd() : nullptr;
        if (!wnd || !::IsWindow(wnd))
            continue;
        item->m_rect = item->m_rectPending;
        item->m_bPositioned = true;
        if (item->m_bRepaint)
            ::InvalidateRect(wnd, nullptr, TRUE);
    }
    m_szLast = size;
}

void CXTPResize::GetMinMaxInfo(MINMAXINFO* pMMI) const
{
    HWND host = m_pHost ? m_pHost->GetSafeHwnd() : nullptr;
    if (!host)
        return;
    RECT client{}, window{};
    ::GetClientRect(host, &client);
    if (::IsRectEmpty(&client))
        return;
    ::GetWindowRect(host, &window);
    const int ex = (window.right - window.left) - (client.right - client.left);
    const int ey = (window.bottom - window.top) - (client.bottom - client.top);

    if (m_szLast.cx != 0 || m_szLast.cy != 0) {
        if (m_nOptionFlags & xtpResizeNoHorizontal)
            pMMI->ptMaxSize.x = pMMI->ptMaxTrackSize.x = ex + m_szLast.cx;
        if (m_nOptionFlags & xtpResizeNoVertical)
            pMMI->ptMaxSize.y = pMMI->ptMaxTrackSize.y = ey + m_szLast.cy;
    }
    if (m_szMin.cx)
        pMMI->ptMinTrackSize.x = ex + m_szMin.cx;
    if (m_szMin.cy)
        pMMI->ptMinTrackSize.y = ey + m_szMin.cy;
    if (m_szMax.cx)
        pMMI->ptMaxTrackSize.x = ex + m_szMax.cx;
    if (m_szMax.cy)
        pMMI->ptMaxTrackSize.y = ey + m_szMax.cy;
}

BOOL CXTPResize::SavePlacement(const wchar_t* lpszSection)
{
    HWND host = m_pHost ? m_pHost->GetSafeHwnd() : nullptr;
    CWinApp* app = AfxGetApp();
    if (!host || !app)
        return FALSE;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!::GetWindowPlacement(host, &placement))
        return FALSE;
    return app->WriteProfileBinary(lpszSection, L"WindowPlacement", reinterpret_cast<LPBYTE>(&placement),
                                   sizeof(placement));
}

// ---- CXTPResizeDialog ----

IMPLEMENT_DYNCREATE(CXTPResizeDialog, CDialog)

BEGIN_MESSAGE_MAP(CXTPResizeDialog, CDialog)
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CXTPResizeDialog::CXTPResizeDialog() : CXTPResize(this, 0) {}

CXTPResizeDialog::CXTPResizeDialog(UINT nIDTemplate, CWnd* pParentWnd, int nOptionFlags)
    : CDialog(nIDTemplate, pParentWnd), CXTPResize(this, nOptionFlags), m_nDialogID(nIDTemplate)
{
}

BOOL CXTPResizeDialog::OnInitDialog()
{
    if (!(GetStyle() & WS_THICKFRAME))
        SetOptionFlags(xtpResizeNoSizeIcon);
    CDialog::OnInitDialog();
    Init();
    return TRUE;
}

void CXTPResizeDialog::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    Relayout();
}

void CXTPResizeDialog::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    GetMinMaxInfo(lpMMI);
}

void CXTPResizeDialog::OnDestroy()
{
    if (!m_strSection.IsEmpty())
        SavePlacement(m_strSection);
    CDialog::OnDestroy();
}
