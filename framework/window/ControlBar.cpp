// Control bars, the status bar, the toolbar and the dialog bar.

#include "framework/window/ControlBar.h"

#include "framework/window/Dc.h"
#include "framework/window/WinApp.h"

#include <algorithm>

namespace {

// Width of one border line of the CBRS_BORDER_ bits.
int BorderLine(DWORD dwStyle)
{
    return (dwStyle & CBRS_BORDER_3D) ? 2 : 1;
}

CRect BorderInsets(DWORD dwStyle)
{
    const int line = BorderLine(dwStyle);
    return CRect((dwStyle & CBRS_BORDER_LEFT) ? line : 0, (dwStyle & CBRS_BORDER_TOP) ? line : 0,
                 (dwStyle & CBRS_BORDER_RIGHT) ? line : 0, (dwStyle & CBRS_BORDER_BOTTOM) ? line : 0);
}

} // namespace

// ---- CControlBar ------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_MESSAGE(WM_NCCALCSIZE, OnNcCalcSizeMsg)
    ON_MESSAGE(WM_NCPAINT, OnNcPaintMsg)
END_MESSAGE_MAP()

CControlBar::~CControlBar() = default;

BOOL CControlBar::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= WS_CLIPSIBLINGS;
    return CWnd::PreCreateWindow(cs);
}

void CControlBar::PostNcDestroy()
{
    if (m_bAutoDelete)
        delete this;
}

void CControlBar::AttachToFrame(CWnd* pParentWnd)
{
    CWnd* pParent = pParentWnd ? CWnd::FromHandlePermanent(pParentWnd->m_hWnd) : nullptr;
    if (pParent && pParent->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
        m_pDockSite = static_cast<CFrameWnd*>(pParent);
        m_pDockSite->AddControlBar(this);
        m_pDockSite->DelayRecalcLayout();
    }
}

int CControlBar::OnCreate(LPCREATESTRUCTW lpcs)
{
    return CWnd::OnCreate(lpcs);
}

void CControlBar::OnDestroy()
{
    if (m_pDockSite) {
        m_pDockSite->RemoveControlBar(this);
        m_pDockSite = nullptr;
    }
    CWnd::OnDestroy();
}

void CControlBar::SetBorders(int cxLeft, int cyTop, int cxRight, int cyBottom)
{
    m_cxLeftBorder = cxLeft;
    m_cyTopBorder = cyTop;
    m_cxRightBorder = cxRight;
    m_cyBottomBorder = cyBottom;
}

CSize CControlBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    const CRect insets = BorderInsets(m_dwStyle);
    CSize size(insets.left + insets.right + m_cxLeftBorder + m_cxRightBorder,
               insets.top + insets.bottom + m_cyTopBorder + m_cyBottomBorder);
    if (bStretch) {
        if (bHorz)
            size.cx = 32767;
        else
            size.cy = 32767;
    }
    return size;
}

void CControlBar::CalcInsideRect(CRect& rect, BOOL bHorz) const
{
    (void)bHorz;
    const CRect insets = BorderInsets(m_dwStyle);
    rect.left += insets.left + m_cxLeftBorder;
    rect.top += insets.top + m_cyTopBorder;
    rect.right -= insets.right + m_cxRightBorder;
    rect.bottom -= insets.bottom + m_cyBottomBorder;
}

void CControlBar::SetBarStyle(DWORD dwStyle)
{
    const DWORD dwOld = m_dwStyle;
    m_dwStyle = dwStyle & CBRS_ALL;
    if (dwOld != m_dwStyle)
        OnBarStyleChange(dwOld, m_dwStyle);
}

void CControlBar::OnBarStyleChange(DWORD dwOldStyle, DWORD dwNewStyle)
{
    // Other borders mean another non-client area; another alignment another place in the frame.
    if ((dwOldStyle ^ dwNewStyle) & (CBRS_BORDER_ANY | CBRS_BORDER_3D))
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (m_pDockSite && ((dwOldStyle ^ dwNewStyle) & (CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_BORDER_3D)))
        m_pDockSite->DelayRecalcLayout();
}

BOOL CControlBar::IsVisible() const
{
    if (m_nStateFlags & delayHide)
        return FALSE;
    return (m_nStateFlags & delayShow) || (GetStyle() & WS_VISIBLE);
}

CFrameWnd* CControlBar::GetDockingFrame() const
{
    return m_pDockSite ? m_pDockSite : GetParentFrame();
}

void CControlBar::DelayShow(BOOL bShow)
{
    m_nStateFlags &= ~(delayHide | delayShow);
    const BOOL visible = (GetStyle() & WS_VISIBLE) != 0;
    if (bShow && !visible)
        m_nStateFlags |= delayShow;
    else if (!bShow && visible)
        m_nStateFlags |= delayHide;
}

LRESULT CControlBar::OnSizeParent(WPARAM, LPARAM lParam)
{
    auto* lpLayout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    // A show or hide still pending takes effect with this layout.
    if (m_nStateFlags & (delayHide | delayShow)) {
        const BOOL show = (m_nStateFlags & delayShow) != 0;
        m_nStateFlags &= ~(delayHide | delayShow);
        ::ShowWindow(m_hWnd, show ? SW_SHOWNA : SW_HIDE);
    }
    const DWORD dwStyle = m_dwStyle;
    if (!(GetStyle() & WS_VISIBLE) || !(dwStyle & CBRS_ALIGN_ANY))
        return 0;
    CRect rect(lpLayout->rect);
    const CSize sizeAvail(rect.Width(), rect.Height());
    const BOOL bHorz = (dwStyle & CBRS_ORIENT_HORZ) != 0;
    CSize size = CalcFixedLayout(lpLayout->bStretch, bHorz);
    size.cx = std::max(0L, std::min(size.cx, sizeAvail.cx));
    size.cy = std::max(0L, std::min(size.cy, sizeAvail.cy));
    if (bHorz) {
        lpLayout->sizeTotal.cy += size.cy;
        lpLayout->sizeTotal.cx = std::max(lpLayout->sizeTotal.cx, size.cx);
        if (dwStyle & CBRS_ALIGN_TOP) {
            lpLayout->rect.top += size.cy;
        } else {
            rect.top = rect.bottom - size.cy;
            lpLayout->rect.bottom -= size.cy;
        }
    } else {
        lpLayout->sizeTotal.cx += size.cx;
        lpLayout->sizeTotal.cy = std::max(lpLayout->sizeTotal.cy, size.cy);
        if (dwStyle & CBRS_ALIGN_LEFT) {
            lpLayout->rect.left += size.cx;
        } else {
            rect.left = rect.right - size.cx;
            lpLayout->rect.right -= size.cx;
        }
    }
    rect.right = rect.left + size.cx;
    rect.bottom = rect.top + size.cy;
    if (lpLayout->hDWP)
        AfxRepositionWindow(lpLayout, m_hWnd, &rect);
    return 0;
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    if (m_nStateFlags & (delayHide | delayShow)) {
        const BOOL show = (m_nStateFlags & delayShow) != 0;
        m_nStateFlags &= ~(delayHide | delayShow);
        ::ShowWindow(m_hWnd, show ? SW_SHOWNA : SW_HIDE);
        if (CFrameWnd* pFrame = GetDockingFrame())
            pFrame->RecalcLayout();
    }
    if (!(GetStyle() & WS_VISIBLE))
        return 0;
    CWnd* pOwner = GetOwner();
    CWnd* pOwnerPerm = pOwner ? CWnd::FromHandlePermanent(pOwner->m_hWnd) : nullptr;
    CFrameWnd* pTarget = (pOwnerPerm && pOwnerPerm->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
                             ? static_cast<CFrameWnd*>(pOwnerPerm)
                             : GetParentFrame();
    if (pTarget)
        OnUpdateCmdUI(pTarget->GetActiveFrame(), static_cast<BOOL>(wParam));
    return 0;
}

LRESULT CControlBar::OnNcCalcSizeMsg(WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = Default();
    RECT* rect = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
    const CRect insets = BorderInsets(m_dwStyle);
    rect->left += insets.left;
    rect->top += insets.top;
    rect->right = std::max(rect->left, rect->right - insets.right);
    rect->bottom = std::max(rect->top, rect->bottom - insets.bottom);
    return result;
}

LRESULT CControlBar::OnNcPaintMsg(WPARAM, LPARAM)
{
    Default();
    EraseNonClient();
    return 0;
}

void CControlBar::EraseNonClient()
{
    HDC hdc = ::GetWindowDC(m_hWnd);
    if (!hdc)
        return;
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    ::OffsetRect(&window, -window.left, -window.top);
    const int line = BorderLine(m_dwStyle);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    auto fill = [&](int l, int t, int r, int b, COLORREF colour) {
        HBRUSH brush = ::CreateSolidBrush(colour);
        RECT rect = {l, t, r, b};
        ::FillRect(hdc, &rect, brush);
        ::DeleteObject(brush);
    };
    const int w = window.right, h = window.bottom;
    if (m_dwStyle & CBRS_BORDER_TOP) {
        fill(0, 0, w, 1, shadow);
        if (line == 2)
            fill(0, 1, w, 2, light);
    }
    if (m_dwStyle & CBRS_BORDER_BOTTOM) {
        fill(0, h - line, w, h - line + 1, shadow);
        if (line == 2)
            fill(0, h - 1, w, h, light);
    }
    if (m_dwStyle & CBRS_BORDER_LEFT) {
        fill(0, 0, 1, h, shadow);
        if (line == 2)
            fill(1, 0, 2, h, light);
    }
    if (m_dwStyle & CBRS_BORDER_RIGHT) {
        fill(w - line, 0, w - line + 1, h, shadow);
        if (line == 2)
            fill(w - 1, 0, w, h, light);
    }
    ::ReleaseDC(m_hWnd, hdc);
}

BOOL CControlBar::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // A bar's controls command the frame, not the bar.
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    CWnd* pOwner = GetOwner();
    if (pOwner && pOwner->m_hWnd && pOwner->m_hWnd != m_hWnd) {
        ::SendMessageW(pOwner->m_hWnd, WM_COMMAND, wParam, lParam);
        return TRUE;
    }
    return FALSE;
}

// ---- CStatusBar -------------------------------------------------------------------------------

namespace {

class CStatusCmdUI : public CCmdUI {
public:
    CStatusBar* bar = nullptr;
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        UINT style = bar->GetPaneStyle(static_cast<int>(m_nIndex)) & ~SBPS_DISABLED;
        if (!bOn)
            style |= SBPS_DISABLED;
        bar->SetPaneStyle(static_cast<int>(m_nIndex), style);
    }
    void SetCheck(int nCheck) override
    {
        UINT style = bar->GetPaneStyle(static_cast<int>(m_nIndex)) & ~SBPS_POPOUT;
        if (nCheck)
            style |= SBPS_POPOUT;
        bar->SetPaneStyle(static_cast<int>(m_nIndex), style);
    }
    void SetText(const wchar_t* text) override { bar->SetPaneText(static_cast<int>(m_nIndex), text); }
};

} // namespace

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
    ON_WM_SIZE()
    ON_MESSAGE(WM_SETTEXT, OnSetTextMsg)
    ON_MESSAGE(WM_GETTEXT, OnGetTextMsg)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLengthMsg)
END_MESSAGE_MAP()

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, 0, dwStyle, nID);
}

BOOL CStatusBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    // The low word of the style is the control's; the bar keeps its CBRS_ bits apart.
    const DWORD windowStyle = (dwStyle & 0xFFFF0000u & ~static_cast<DWORD>(CBRS_GRIPPER)) | CCS_NOPARENTALIGN |
                              CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE | (dwCtrlStyle & 0xFFFF);
    if (!CWnd::CreateEx(0, STATUSCLASSNAMEW, nullptr, windowStyle | WS_CHILD, 0, 0, 0, 0, pParentWnd->GetSafeHwnd(),
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return FALSE;
    if (!::SendMessageW(m_hWnd, WM_GETFONT, 0, 0))
        ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    AttachToFrame(pParentWnd);
    return TRUE;
}

int CStatusBar::TextWidth(const wchar_t* text) const
{
    HDC hdc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(hdc, reinterpret_cast<HGDIOBJ>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32W(hdc, text, static_cast<int>(wcslen(text)), &size);
    ::SelectObject(hdc, old);
    ::ReleaseDC(m_hWnd, hdc);
    return size.cx;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    m_panes.clear();
    BOOL ok = TRUE;
    for (int i = 0; i < nIDCount; ++i) {
        Pane pane;
        pane.nID = lpIDArray ? lpIDArray[i] : 0;
        if (pane.nID) {
            if (!pane.strText.LoadString(pane.nID))
                ok = FALSE;
            pane.cxText = TextWidth(pane.strText);
        }
        m_panes.push_back(pane);
    }
    if (!m_panes.empty())
        m_panes[0].nStyle |= SBPS_STRETCH | SBPS_NOBORDERS;
    m_nCount = static_cast<int>(m_panes.size());
    UpdateAllPanes(TRUE, TRUE);
    return ok;
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    return nIndex >= 0 && nIndex < m_nCount ? m_panes[static_cast<size_t>(nIndex)].nID : 0;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const
{
    for (int i = 0; i < m_nCount; ++i) {
        if (m_panes[static_cast<size_t>(i)].nID == nIDFind)
            return i;
    }
    return -1;
}

void CStatusBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    ::SetRectEmpty(lpRect);
    ::SendMessageW(m_hWnd, SB_GETRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect));
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    return nIndex >= 0 && nIndex < m_nCount ? m_panes[static_cast<size_t>(nIndex)].strText : CString();
}

BOOL CStatusBar::SetPaneText(int nIndex, const wchar_t* lpszNewText, BOOL bUpdate)
{
    if (nIndex < 0 || nIndex >= m_nCount)
        return FALSE;
    Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    const CString text = lpszNewText ? lpszNewText : L"";
    if (pane.strText == text)
        return TRUE;
    pane.strText = text;
    if (bUpdate)
        UpdateAllPanes(FALSE, TRUE);
    return TRUE;
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const
{
    const Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    nID = pane.nID;
    nStyle = pane.nStyle;
    cxWidth = pane.cxText;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth)
{
    Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    pane.nID = nID;
    pane.nStyle = nStyle;
    pane.cxText = cxWidth;
    UpdateAllPanes(TRUE, TRUE);
}

UINT CStatusBar::GetPaneStyle(int nIndex) const
{
    return m_panes[static_cast<size_t>(nIndex)].nStyle;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle)
{
    Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    if (pane.nStyle == nStyle)
        return;
    pane.nStyle = nStyle;
    UpdateAllPanes(FALSE, TRUE);
}

void CStatusBar::UpdateAllPanes(BOOL bUpdateRects, BOOL bUpdateText)
{
    if (!m_hWnd || m_panes.empty())
        return;
    const int padding = 8;
    if (bUpdateRects) {
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        int others = 0;
        for (size_t i = 1; i < m_panes.size(); ++i)
            others += m_panes[i].cxText + padding;
        std::vector<int> rights(m_panes.size());
        int x = 0;
        for (size_t i = 0; i < m_panes.size(); ++i) {
            const Pane& pane = m_panes[i];
            const int width = (pane.nStyle & SBPS_STRETCH) ? std::max(0, static_cast<int>(client.right) - others)
                                                           : pane.cxText + padding;
            x += width;
            rights[i] = x;
        }
        rights.back() = -1;
        ::SendMessageW(m_hWnd, SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
    }
    if (bUpdateText) {
        for (size_t i = 0; i < m_panes.size(); ++i) {
            const Pane& pane = m_panes[i];
            const UINT type = pane.nStyle & (SBT_NOBORDERS | SBT_POPOUT | SBT_OWNERDRAW);
            // A disabled pane shows nothing.
            const wchar_t* text = (pane.nStyle & SBPS_DISABLED) ? L"" : static_cast<const wchar_t*>(pane.strText);
            ::SendMessageW(m_hWnd, SB_SETTEXTW, static_cast<WPARAM>(i | type), reinterpret_cast<LPARAM>(text));
        }
    }
}

void CStatusBar::OnSize(UINT nType, int cx, int cy)
{
    Default();
    (void)nType;
    (void)cx;
    (void)cy;
    UpdateAllPanes(TRUE, FALSE);
}

LRESULT CStatusBar::OnSetTextMsg(WPARAM, LPARAM lParam)
{
    // The frame's message text goes to pane 0.
    if (m_panes.empty()) {
        Pane pane;
        pane.nStyle = SBPS_STRETCH | SBPS_NOBORDERS;
        m_panes.push_back(pane);
        m_nCount = 1;
        UpdateAllPanes(TRUE, FALSE);
    }
    SetPaneText(0, reinterpret_cast<const wchar_t*>(lParam));
    return TRUE;
}

LRESULT CStatusBar::OnGetTextMsg(WPARAM wParam, LPARAM lParam)
{
    const CString text = GetPaneText(0);
    auto* buffer = reinterpret_cast<wchar_t*>(lParam);
    if (!buffer || wParam == 0)
        return 0;
    const size_t count = std::min(static_cast<size_t>(text.GetLength()), static_cast<size_t>(wParam) - 1);
    wmemcpy(buffer, text, count);
    buffer[count] = L'\0';
    return static_cast<LRESULT>(count);
}

LRESULT CStatusBar::OnGetTextLengthMsg(WPARAM, LPARAM)
{
    return GetPaneText(0).GetLength();
}

CSize CStatusBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    CSize size = CControlBar::CalcFixedLayout(bStretch, bHorz);
    TEXTMETRICW tm{};
    HDC hdc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(hdc, reinterpret_cast<HGDIOBJ>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    ::GetTextMetricsW(hdc, &tm);
    ::SelectObject(hdc, old);
    ::ReleaseDC(m_hWnd, hdc);
    // The text with the control's frame of each pane above and below it.
    size.cy += tm.tmHeight - tm.tmInternalLeading + 2 * ::GetSystemMetrics(SM_CYBORDER) * 2 + 4;
    return size;
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    CStatusCmdUI state;
    state.bar = this;
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(m_nCount);
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = m_panes[state.m_nIndex].nID;
        // Pane 0 shows the frame's messages; an empty pane has nothing to update.
        if (state.m_nIndex == 0 || state.m_nID == 0)
            continue;
        (void)bDisableIfNoHndler;
        state.DoUpdate(pTarget, FALSE);    // an indicator without a handler keeps its text
    }
}

// ---- CToolBar ---------------------------------------------------------------------------------

namespace {

class CToolCmdUI : public CCmdUI {
public:
    HWND toolbar = nullptr;
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        ::SendMessageW(toolbar, TB_ENABLEBUTTON, m_nID, MAKELPARAM(bOn ? TRUE : FALSE, 0));
    }
    void SetCheck(int nCheck) override
    {
        ::SendMessageW(toolbar, TB_CHECKBUTTON, m_nID, MAKELPARAM(nCheck ? TRUE : FALSE, 0));
        ::SendMessageW(toolbar, TB_INDETERMINATE, m_nID, MAKELPARAM(nCheck == 2 ? TRUE : FALSE, 0));
    }
    void SetText(const wchar_t*) override {}
};

// The toolbar resource: version 1, then the button size, the count and the ids.
struct ToolBarResource {
    WORD wVersion;
    WORD wWidth;
    WORD wHeight;
    WORD wItemCount;
    // WORD aItems[wItemCount]
};

constexpr WORD kRtToolbar = 241;

} // namespace

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

CToolBar::~CToolBar()
{
    if (m_hbmImageWell)
        ::DeleteObject(m_hbmImageWell);
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, TBSTYLE_FLAT, dwStyle, CRect(0, 0, 0, 0), nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    SetBorders(rcBorders.left, rcBorders.top, rcBorders.right, rcBorders.bottom);
    DWORD windowStyle = (dwStyle & 0xFFFF0000u & ~static_cast<DWORD>(CBRS_GRIPPER)) | CCS_NOPARENTALIGN |
                        CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE | (dwCtrlStyle & 0xFFFF);
    if (m_dwStyle & CBRS_TOOLTIPS)
        windowStyle |= TBSTYLE_TOOLTIPS;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEW, nullptr, windowStyle | WS_CHILD, 0, 0, 0, 0,
                        pParentWnd->GetSafeHwnd(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return FALSE;
    ::SendMessageW(m_hWnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    AttachToFrame(pParentWnd);
    return TRUE;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage)
{
    m_sizeButton = CSize(sizeButton.cx, sizeButton.cy);
    m_sizeImage = CSize(sizeImage.cx, sizeImage.cy);
    ::SendMessageW(m_hWnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(sizeImage.cx, sizeImage.cy));
    ::SendMessageW(m_hWnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(sizeButton.cx, sizeButton.cy));
}

BOOL CToolBar::LoadBitmap(UINT nIDResource)
{
    HBITMAP bitmap = static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource),
                                                       IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS | LR_CREATEDIBSECTION));
    if (!bitmap)
        return FALSE;
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof(info), &info);
    TBADDBITMAP add = {nullptr, reinterpret_cast<UINT_PTR>(bitmap)};
    const int images = m_sizeImage.cx > 0 ? info.bmWidth / m_sizeImage.cx : 0;
    if (::SendMessageW(m_hWnd, TB_ADDBITMAP, static_cast<WPARAM>(images), reinterpret_cast<LPARAM>(&add)) == -1) {
        ::DeleteObject(bitmap);
        return FALSE;
    }
    if (m_hbmImageWell)
        ::DeleteObject(m_hbmImageWell);
    m_hbmImageWell = bitmap;
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount)
{
    // Take the old buttons off first.
    while (::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0) > 0)
        ::SendMessageW(m_hWnd, TB_DELETEBUTTON, 0, 0);
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (int i = 0; i < nIDCount; ++i) {
        TBBUTTON button{};
        const UINT id = lpIDArray ? lpIDArray[i] : 0;
        if (id == 0) {
            button.fsStyle = BTNS_SEP;
            button.iBitmap = 6;
        } else {
            button.idCommand = static_cast<int>(id);
            button.iBitmap = image++;
            button.fsStyle = BTNS_BUTTON;
            button.fsState = TBSTATE_ENABLED;
        }
        buttons.push_back(button);
    }
    m_nCount = nIDCount;
    if (buttons.empty())
        return TRUE;
    return ::SendMessageW(m_hWnd, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())) != 0;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource)
{
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(nIDResource), MAKEINTRESOURCEW(kRtToolbar));
    if (!found)
        return FALSE;
    const DWORD size = ::SizeofResource(instance, found);
    HGLOBAL loaded = ::LoadResource(instance, found);
    const auto* data = static_cast<const ToolBarResource*>(::LockResource(loaded));
    if (!data || size < sizeof(ToolBarResource) || data->wVersion != 1 ||
        size < sizeof(ToolBarResource) + data->wItemCount * sizeof(WORD))
        return FALSE;
    const WORD* items = reinterpret_cast<const WORD*>(data + 1);
    std::vector<UINT> ids(items, items + data->wItemCount);
    SetSizes(CSize(data->wWidth + 7, data->wHeight + 7), CSize(data->wWidth, data->wHeight));
    if (!SetButtons(ids.data(), static_cast<int>(ids.size())))
        return FALSE;
    return LoadBitmap(nIDResource);
}

UINT CToolBar::GetItemID(int nIndex) const
{
    TBBUTTON button{};
    if (!::SendMessageW(m_hWnd, TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&button)))
        return 0;
    return (button.fsStyle & BTNS_SEP) ? 0 : static_cast<UINT>(button.idCommand);
}

int CToolBar::CommandToIndex(UINT nIDFind) const
{
    return static_cast<int>(::SendMessageW(m_hWnd, TB_COMMANDTOINDEX, nIDFind, 0));
}

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    ::SetRectEmpty(lpRect);
    ::SendMessageW(m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect));
}

UINT CToolBar::GetButtonStyle(int nIndex) const
{
    TBBUTTON button{};
    ::SendMessageW(m_hWnd, TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&button));
    return button.fsStyle | (static_cast<UINT>(button.fsState) << 16);
}

CSize CToolBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    CSize size = CControlBar::CalcFixedLayout(FALSE, bHorz);
    const DWORD buttonSize = static_cast<DWORD>(::SendMessageW(m_hWnd, TB_GETBUTTONSIZE, 0, 0));
    const int buttonHeight = HIWORD(buttonSize);
    const int buttonWidth = LOWORD(buttonSize);
    SIZE total{};
    ::SendMessageW(m_hWnd, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&total));
    if (bHorz) {
        size.cy += buttonHeight + 4;
        size.cx = bStretch ? 32767 : size.cx + total.cx;
    } else {
        size.cx += buttonWidth + 4;
        size.cy = bStretch ? 32767 : size.cy + total.cy;
    }
    return size;
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    CToolCmdUI state;
    state.toolbar = m_hWnd;
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0));
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = GetItemID(static_cast<int>(state.m_nIndex));
        if (state.m_nID == 0)
            continue;
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
    // The bar's own children (a combo box on the bar) follow their handlers too.
    UpdateDialogControls(pTarget, bDisableIfNoHndler);
}

// ---- CDialogBar -------------------------------------------------------------------------------

namespace {

INT_PTR CALLBACK DialogBarProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

} // namespace

IMPLEMENT_DYNAMIC(CDialogBar, CControlBar)

BOOL CDialogBar::Create(CWnd* pParentWnd, UINT nIDTemplate, UINT nStyle, UINT nID)
{
    m_dwStyle = nStyle & CBRS_ALL;
    HWND hWnd;
    {
        CNextWindowHook hook(this);
        hWnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDTemplate),
                                    pParentWnd->GetSafeHwnd(), DialogBarProc, 0);
    }
    if (!hWnd || m_hWnd != hWnd)
        return FALSE;
    SetDlgCtrlID(static_cast<int>(nID));
    RECT rect;
    ::GetWindowRect(m_hWnd, &rect);
    m_sizeDefault = CSize(rect.right - rect.left, rect.bottom - rect.top);
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    if (nStyle & WS_VISIBLE)
        ::ShowWindow(m_hWnd, SW_SHOWNA);
    AttachToFrame(pParentWnd);
    return TRUE;
}

CSize CDialogBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    if (bStretch)
        return bHorz ? CSize(32767, m_sizeDefault.cy) : CSize(m_sizeDefault.cx, 32767);
    return m_sizeDefault;
}

void CDialogBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    UpdateDialogControls(pTarget, bDisableIfNoHndler);
}
