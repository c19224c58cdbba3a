// Splitter windows: layout of the pane grid, the bars, tracking and dynamic splits.

#include "framework/window/Splitter.h"

#include "framework/window/Dc.h"
#include "framework/window/Gdi.h"
#include "framework/window/View.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_KEYDOWN()
    ON_WM_CAPTURECHANGED()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CSplitterWnd::CSplitterWnd() = default;

CSplitterWnd::~CSplitterWnd() = default;

BOOL CSplitterWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    // The tracker is drawn across the panes: the splitter must not clip its children.
    cs.style &= ~WS_CLIPCHILDREN;
    return TRUE;
}

BOOL CSplitterWnd::CreateCommon(CWnd* pParentWnd, SIZE sizeMin, DWORD dwStyle, UINT nID)
{
    m_bHasHScroll = (dwStyle & WS_HSCROLL) != 0;
    m_bHasVScroll = (dwStyle & WS_VSCROLL) != 0;
    m_pColInfo.assign(static_cast<size_t>(m_nMaxCols), CRowColInfo{});
    m_pRowInfo.assign(static_cast<size_t>(m_nMaxRows), CRowColInfo{});
    for (CRowColInfo& info : m_pColInfo)
        info.nMinSize = sizeMin.cx;
    for (CRowColInfo& info : m_pRowInfo)
        info.nMinSize = sizeMin.cy;
    const DWORD style = (dwStyle & ~(WS_HSCROLL | WS_VSCROLL)) | WS_CHILD;
    return CWnd::CreateEx(0, nullptr, nullptr, style, 0, 0, 0, 0, pParentWnd->GetSafeHwnd(),
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID)
{
    if (nRows < 1 || nCols < 1 || nRows > 16 || nCols > 16 || m_hWnd)
        return FALSE;
    m_nRows = m_nMaxRows = nRows;
    m_nCols = m_nMaxCols = nCols;
    return CreateCommon(pParentWnd, CSize(0, 0), dwStyle & ~SPLS_DYNAMIC_SPLIT, nID);
}

BOOL CSplitterWnd::Create(CWnd* pParentWnd, int nMaxRows, int nMaxCols, SIZE sizeMin, CCreateContext* pContext,
                          DWORD dwStyle, UINT nID)
{
    // A dynamic splitter splits into two at most each way.
    if (nMaxRows < 1 || nMaxCols < 1 || nMaxRows > 2 || nMaxCols > 2 || !pContext || !pContext->m_pNewViewClass ||
        m_hWnd)
        return FALSE;
    m_nMaxRows = nMaxRows;
    m_nMaxCols = nMaxCols;
    m_nRows = m_nCols = 1;
    m_pDynamicViewClass = pContext->m_pNewViewClass;
    if (!CreateCommon(pParentWnd, sizeMin, dwStyle | SPLS_DYNAMIC_SPLIT, nID))
        return FALSE;
    if (m_bHasHScroll && !CreateScrollBarCtrl(SBS_HORZ, AFX_IDW_HSCROLL_FIRST))
        return FALSE;
    if (m_bHasVScroll && !CreateScrollBarCtrl(SBS_VERT, AFX_IDW_VSCROLL_FIRST))
        return FALSE;
    if (!CreateView(0, 0, m_pDynamicViewClass, CSize(0, 0), pContext))
        return FALSE;
    m_pColInfo[0].nIdealSize = m_pColInfo[0].nMinSize;
    m_pRowInfo[0].nIdealSize = m_pRowInfo[0].nMinSize;
    return TRUE;
}

BOOL CSplitterWnd::CreateScrollBarCtrl(DWORD dwStyle, UINT nID)
{
    HWND hWnd = ::CreateWindowExW(0, L"SCROLLBAR", nullptr, dwStyle | WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), ::GetModuleHandleW(nullptr),
                                  nullptr);
    return hWnd != nullptr;
}

BOOL CSplitterWnd::CreateView(int row, int col, const CRuntimeClass* pViewClass, SIZE sizeInit, CCreateContext* pContext)
{
    if (row < 0 || col < 0 || row >= m_nRows || col >= m_nCols || !pViewClass)
        return FALSE;
    const int nID = IdFromRowCol(row, col);
    if (::GetDlgItem(m_hWnd, nID))
        return FALSE;    // the pane is taken
    m_pColInfo[static_cast<size_t>(col)].nIdealSize = sizeInit.cx;
    m_pRowInfo[static_cast<size_t>(row)].nIdealSize = sizeInit.cy;

    // Without a context the new view shows the document of the frame's active view.
    BOOL bSendInitialUpdate = FALSE;
    CCreateContext contextT;
    if (!pContext) {
        CFrameWnd* pFrame = GetParentFrame();
        CView* pOldView = pFrame ? pFrame->GetActiveView() : nullptr;
        if (pOldView) {
            contextT.m_pLastView = pOldView;
            contextT.m_pCurrentDoc = pOldView->GetDocument();
        }
        contextT.m_pNewViewClass = pViewClass;
        pContext = &contextT;
        bSendInitialUpdate = TRUE;
    }
    CObject* pObject = pViewClass->CreateObject();
    CWnd* pWnd = dynamic_cast<CWnd*>(pObject);
    if (!pWnd) {
        delete pObject;
        return FALSE;
    }
    const RECT rect = {0, 0, sizeInit.cx, sizeInit.cy};
    // The splitter draws the pane's border itself.
    if (!pWnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, this, static_cast<UINT>(nID), pContext)) {
        if (!pWnd->m_hWnd)
            delete pWnd;
        return FALSE;
    }
    if (bSendInitialUpdate)
        pWnd->SendMessage(WM_INITIALUPDATE);
    return TRUE;
}

void CSplitterWnd::GetRowInfo(int row, int& cyCur, int& cyMin) const
{
    const CRowColInfo& info = m_pRowInfo[static_cast<size_t>(row)];
    cyCur = info.nCurSize;
    cyMin = info.nMinSize;
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin)
{
    CRowColInfo& info = m_pRowInfo[static_cast<size_t>(row)];
    info.nIdealSize = cyIdeal;
    info.nMinSize = cyMin;
}

void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const
{
    const CRowColInfo& info = m_pColInfo[static_cast<size_t>(col)];
    cxCur = info.nCurSize;
    cxMin = info.nMinSize;
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin)
{
    CRowColInfo& info = m_pColInfo[static_cast<size_t>(col)];
    info.nIdealSize = cxIdeal;
    info.nMinSize = cxMin;
}

DWORD CSplitterWnd::GetScrollStyle() const
{
    return (m_bHasHScroll ? WS_HSCROLL : 0) | (m_bHasVScroll ? WS_VSCROLL : 0);
}

void CSplitterWnd::SetScrollStyle(DWORD dwStyle)
{
    m_bHasHScroll = (dwStyle & WS_HSCROLL) != 0;
    m_bHasVScroll = (dwStyle & WS_VSCROLL) != 0;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const
{
    HWND hWnd = ::GetDlgItem(m_hWnd, IdFromRowCol(row, col));
    return hWnd ? CWnd::FromHandle(hWnd) : nullptr;
}

BOOL CSplitterWnd::IsChildPane(CWnd* pWnd, int* pRow, int* pCol)
{
    if (!pWnd || !pWnd->m_hWnd || ::GetParent(pWnd->m_hWnd) != m_hWnd)
        return FALSE;
    const int nID = ::GetDlgCtrlID(pWnd->m_hWnd) - static_cast<int>(AFX_IDW_PANE_FIRST);
    if (nID < 0 || nID >= 256)
        return FALSE;
    const int row = nID / 16, col = nID % 16;
    if (row >= m_nRows || col >= m_nCols)
        return FALSE;
    if (pRow)
        *pRow = row;
    if (pCol)
        *pCol = col;
    return TRUE;
}

int CSplitterWnd::ScrollBarWidth() const
{
    return m_bHasVScroll ? ::GetSystemMetrics(SM_CXVSCROLL) : 0;
}

int CSplitterWnd::ScrollBarHeight() const
{
    return m_bHasHScroll ? ::GetSystemMetrics(SM_CYHSCROLL) : 0;
}

void CSplitterWnd::GetInsideRect(CRect& rect) const
{
    ::GetClientRect(m_hWnd, &rect);
    rect.right -= ScrollBarWidth();
    rect.bottom -= ScrollBarHeight();
    rect.right = std::max(rect.right, rect.left);
    rect.bottom = std::max(rect.bottom, rect.top);
}

void CSplitterWnd::LayoutRowCol(std::vector<CRowColInfo>& info, int nMax, int nSize, int nSizeSplitter, int nBorder)
{
    // Every pane but the last gets its ideal size while there is room; the last gets the rest.
    for (int i = 0; i < nMax; ++i) {
        CRowColInfo& entry = info[static_cast<size_t>(i)];
        const int room = std::max(0, nSize - 2 * nBorder);
        if (i == nMax - 1) {
            entry.nCurSize = room;
            break;
        }
        entry.nCurSize = std::min(std::max(entry.nIdealSize, 0), room);
        nSize -= entry.nCurSize + 2 * nBorder + nSizeSplitter;
    }
}

CRect CSplitterWnd::CellRect(int row, int col) const
{
    CRect inside;
    GetInsideRect(inside);
    int x = inside.left;
    for (int c = 0; c < col; ++c)
        x += m_pColInfo[static_cast<size_t>(c)].nCurSize + 2 * m_cxBorder + m_cxSplitterGap;
    int y = inside.top;
    for (int r = 0; r < row; ++r)
        y += m_pRowInfo[static_cast<size_t>(r)].nCurSize + 2 * m_cyBorder + m_cySplitterGap;
    return CRect(x, y, x + m_pColInfo[static_cast<size_t>(col)].nCurSize + 2 * m_cxBorder,
                 y + m_pRowInfo[static_cast<size_t>(row)].nCurSize + 2 * m_cyBorder);
}

void CSplitterWnd::RecalcLayout()
{
    if (!m_hWnd)
        return;
    CRect inside;
    GetInsideRect(inside);
    LayoutRowCol(m_pColInfo, m_nCols, inside.Width(), m_cxSplitterGap, m_cxBorder);
    LayoutRowCol(m_pRowInfo, m_nRows, inside.Height(), m_cySplitterGap, m_cyBorder);

    AFX_SIZEPARENTPARAMS layout;
    layout.hDWP = ::BeginDeferWindowPos(m_nRows * m_nCols + m_nRows + m_nCols);
    for (int row = 0; row < m_nRows; ++row) {
        for (int col = 0; col < m_nCols; ++col) {
            HWND hWndPane = ::GetDlgItem(m_hWnd, IdFromRowCol(row, col));
            if (!hWndPane)
                continue;
            CRect cell = CellRect(row, col);
            cell.DeflateRect(m_cxBorder, m_cyBorder);
            AfxRepositionWindow(&layout, hWndPane, &cell);
        }
    }
    // The shared scroll bars: one under each column, one beside each row; the split box takes the
    // first bar's end while a split is still possible.
    const CRect client = [this] {
        CRect rect;
        ::GetClientRect(m_hWnd, &rect);
        return rect;
    }();
    for (int col = 0; col < m_nCols && m_bHasHScroll; ++col) {
        HWND hWndBar = ::GetDlgItem(m_hWnd, static_cast<int>(AFX_IDW_HSCROLL_FIRST) + col);
        if (!hWndBar)
            continue;
        CRect cell = CellRect(0, col);
        CRect rect(cell.left, inside.bottom, col == m_nCols - 1 ? inside.right : cell.right, client.bottom);
        if (col == 0 && (GetStyle() & SPLS_DYNAMIC_SPLIT) && m_nCols < m_nMaxCols)
            rect.left += m_cxSplitter;
        AfxRepositionWindow(&layout, hWndBar, &rect);
    }
    for (int row = 0; row < m_nRows && m_bHasVScroll; ++row) {
        HWND hWndBar = ::GetDlgItem(m_hWnd, static_cast<int>(AFX_IDW_VSCROLL_FIRST) + row);
        if (!hWndBar)
            continue;
        CRect cell = CellRect(row, 0);
        CRect rect(inside.right, cell.top, client.right, row == m_nRows - 1 ? inside.bottom : cell.bottom);
        if (row == 0 && (GetStyle() & SPLS_DYNAMIC_SPLIT) && m_nRows < m_nMaxRows)
            rect.top += m_cySplitter;
        AfxRepositionWindow(&layout, hWndBar, &rect);
    }
    ::EndDeferWindowPos(layout.hDWP);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

// ---- hit testing and drawing ----

int CSplitterWnd::HitTest(CPoint pt) const
{
    CRect inside;
    GetInsideRect(inside);
    const BOOL dynamic = (GetStyle() & SPLS_DYNAMIC_SPLIT) != 0;
    if (dynamic && m_bHasVScroll && m_nRows < m_nMaxRows) {
        CRect box(inside.right, inside.top, inside.right + ScrollBarWidth(), inside.top + m_cySplitter);
        if (box.PtInRect(pt))
            return vSplitterBox;
    }
    if (dynamic && m_bHasHScroll && m_nCols < m_nMaxCols) {
        CRect box(inside.left, inside.bottom, inside.left + m_cxSplitter, inside.bottom + ScrollBarHeight());
        if (box.PtInRect(pt))
            return hSplitterBox;
    }
    if (!inside.PtInRect(pt))
        return noHit;
    int col;
    int x = inside.left;
    for (col = 0; col < m_nCols - 1; ++col) {
        x += m_pColInfo[static_cast<size_t>(col)].nCurSize + 2 * m_cxBorder;
        if (pt.x >= x && pt.x < x + m_cxSplitterGap)
            break;
        x += m_cxSplitterGap;
    }
    int row;
    int y = inside.top;
    for (row = 0; row < m_nRows - 1; ++row) {
        y += m_pRowInfo[static_cast<size_t>(row)].nCurSize + 2 * m_cyBorder;
        if (pt.y >= y && pt.y < y + m_cySplitterGap)
            break;
        y += m_cySplitterGap;
    }
    if (col < m_nCols - 1 && row < m_nRows - 1)
        return splitterIntersection1 + row * 15 + col;
    if (col < m_nCols - 1)
        return hSplitterBar1 + col;
    if (row < m_nRows - 1)
        return vSplitterBar1 + row;
    return noHit;
}

void CSplitterWnd::GetHitRect(int ht, CRect& rect)
{
    CRect inside;
    GetInsideRect(inside);
    rect.SetRectEmpty();
    if (ht == vSplitterBox) {
        rect = CRect(inside.left, inside.top, inside.right, inside.top + m_cySplitterGap);
    } else if (ht == hSplitterBox) {
        rect = CRect(inside.left, inside.top, inside.left + m_cxSplitterGap, inside.bottom);
    } else if (ht >= vSplitterBar1 && ht <= vSplitterBar15) {
        const int y = CellRect(ht - vSplitterBar1, 0).bottom;
        rect = CRect(inside.left, y, inside.right, y + m_cySplitterGap);
    } else if (ht >= hSplitterBar1 && ht <= hSplitterBar15) {
        const int x = CellRect(0, ht - hSplitterBar1).right;
        rect = CRect(x, inside.top, x + m_cxSplitterGap, inside.bottom);
    } else if (ht >= splitterIntersection1 && ht <= splitterIntersection225) {
        const int row = (ht - splitterIntersection1) / 15, col = (ht - splitterIntersection1) % 15;
        const CRect cell = CellRect(row, col);
        rect = CRect(cell.right, cell.bottom, cell.right + m_cxSplitterGap, cell.bottom + m_cySplitterGap);
    }
}

void CSplitterWnd::OnDrawSplitter(CDC* pDC, ESplitType nType, const CRect& rectArg)
{
    if (!pDC) {
        ::InvalidateRect(m_hWnd, &rectArg, FALSE);
        return;
    }
    CRect rect = rectArg;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF dark = ::GetSysColor(COLOR_WINDOWFRAME);
    switch (nType) {
    case splitBorder:
        // Sunken, two lines deep.
        pDC->Draw3dRect(&rect, shadow, light);
        rect.DeflateRect(1, 1);
        pDC->Draw3dRect(&rect, dark, face);
        return;
    case splitBox:
        pDC->Draw3dRect(&rect, face, dark);
        rect.DeflateRect(1, 1);
        pDC->Draw3dRect(&rect, light, shadow);
        rect.DeflateRect(1, 1);
        pDC->FillSolidRect(&rect, face);
        return;
    case splitBar:
    case splitIntersection:
        pDC->FillSolidRect(&rect, face);
        return;
    }
}

void CSplitterWnd::DrawAllSplitBars(CDC* pDC, int cxInside, int cyInside)
{
    CRect inside;
    GetInsideRect(inside);
    (void)cxInside;
    (void)cyInside;
    for (int row = 0; row < m_nRows - 1; ++row) {
        CRect rect;
        GetHitRect(vSplitterBar1 + row, rect);
        OnDrawSplitter(pDC, splitBar, rect);
    }
    for (int col = 0; col < m_nCols - 1; ++col) {
        CRect rect;
        GetHitRect(hSplitterBar1 + col, rect);
        OnDrawSplitter(pDC, splitBar, rect);
    }
    for (int row = 0; row < m_nRows - 1; ++row) {
        for (int col = 0; col < m_nCols - 1; ++col) {
            CRect rect;
            GetHitRect(splitterIntersection1 + row * 15 + col, rect);
            OnDrawSplitter(pDC, splitIntersection, rect);
        }
    }
    for (int row = 0; row < m_nRows; ++row) {
        for (int col = 0; col < m_nCols; ++col)
            OnDrawSplitter(pDC, splitBorder, CellRect(row, col));
    }
}

void CSplitterWnd::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    ::GetClientRect(m_hWnd, &client);
    CRect inside;
    GetInsideRect(inside);
    DrawAllSplitBars(&dc, inside.right, inside.bottom);
    const BOOL dynamic = (GetStyle() & SPLS_DYNAMIC_SPLIT) != 0;
    if (dynamic && m_bHasVScroll && m_nRows < m_nMaxRows)
        OnDrawSplitter(&dc, splitBox, CRect(inside.right, inside.top, client.right, inside.top + m_cySplitter));
    if (dynamic && m_bHasHScroll && m_nCols < m_nMaxCols)
        OnDrawSplitter(&dc, splitBox, CRect(inside.left, inside.bottom, inside.left + m_cxSplitter, client.bottom));
}

void CSplitterWnd::OnInvertTracker(const CRect& rect)
{
    HDC hdc = ::GetDC(m_hWnd);
    if (!hdc)
        return;
    CBrush* pBrush = CDC::GetHalftoneBrush();
    HGDIOBJ old = ::SelectObject(hdc, pBrush ? pBrush->m_hObject : ::GetStockObject(GRAY_BRUSH));
    ::PatBlt(hdc, rect.left, rect.top, rect.Width(), rect.Height(), PATINVERT);
    ::SelectObject(hdc, old);
    ::ReleaseDC(m_hWnd, hdc);
}

// ---- tracking ----

void CSplitterWnd::SetSplitCursor(int ht)
{
    const wchar_t* cursor = IDC_ARROW;
    if (ht == vSplitterBox || (ht >= vSplitterBar1 && ht <= vSplitterBar15))
        cursor = IDC_SIZENS;
    else if (ht == hSplitterBox || (ht >= hSplitterBar1 && ht <= hSplitterBar15))
        cursor = IDC_SIZEWE;
    else if (ht == bothSplitterBox || (ht >= splitterIntersection1 && ht <= splitterIntersection225))
        cursor = IDC_SIZEALL;
    ::SetCursor(::LoadCursorW(nullptr, cursor));
}

BOOL CSplitterWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (nHitTest == HTCLIENT && pWnd && pWnd->m_hWnd == m_hWnd && !m_bTracking) {
        POINT pt;
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWnd, &pt);
        SetSplitCursor(HitTest(CPoint(pt.x, pt.y)));
        return TRUE;
    }
    return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

void CSplitterWnd::StartTracking(int ht)
{
    if (ht == noHit || m_bTracking)
        return;
    CRect inside;
    GetInsideRect(inside);
    m_htTrack = ht;
    m_bTracking2 = FALSE;
    m_rectLimit = inside;
    if (ht >= splitterIntersection1 && ht <= splitterIntersection225) {
        const int row = (ht - splitterIntersection1) / 15, col = (ht - splitterIntersection1) % 15;
        GetHitRect(vSplitterBar1 + row, m_rectTracker);
        GetHitRect(hSplitterBar1 + col, m_rectTracker2);
        m_bTracking2 = TRUE;
        m_rectLimit.top = CellRect(row, 0).top;
        m_rectLimit.bottom = CellRect(row + 1, 0).bottom;
        m_rectLimit.left = CellRect(0, col).left;
        m_rectLimit.right = CellRect(0, col + 1).right;
    } else {
        GetHitRect(ht, m_rectTracker);
        if (ht >= vSplitterBar1 && ht <= vSplitterBar15) {
            const int row = ht - vSplitterBar1;
            m_rectLimit.top = CellRect(row, 0).top;
            m_rectLimit.bottom = CellRect(row + 1, 0).bottom;
        } else if (ht >= hSplitterBar1 && ht <= hSplitterBar15) {
            const int col = ht - hSplitterBar1;
            m_rectLimit.left = CellRect(0, col).left;
            m_rectLimit.right = CellRect(0, col + 1).right;
        }
    }
    POINT pt;
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    m_ptTrackOffset = CPoint(pt.x - m_rectTracker.left, pt.y - m_rectTracker.top);
    if (m_bTracking2)
        m_ptTrackOffset.x = pt.x - m_rectTracker2.left;
    m_bTracking = TRUE;
    ::SetCapture(m_hWnd);
    OnInvertTracker(m_rectTracker);
    if (m_bTracking2)
        OnInvertTracker(m_rectTracker2);
}

namespace {

// The tracker moves vertically for the row bars and the box above the vertical scroll bar.
bool MovesVertically(int ht)
{
    return ht == CSplitterWnd::vSplitterBox ||
           (ht >= CSplitterWnd::vSplitterBar1 && ht <= CSplitterWnd::vSplitterBar15) ||
           (ht >= CSplitterWnd::splitterIntersection1 && ht <= CSplitterWnd::splitterIntersection225);
}

int Clamp(int value, int low, int high)
{
    return std::max(low, std::min(value, std::max(low, high)));
}

} // namespace

void CSplitterWnd::OnMouseMove(UINT, CPoint pt)
{
    if (!m_bTracking) {
        SetSplitCursor(HitTest(pt));
        return;
    }
    if (::GetCapture() != m_hWnd) {
        StopTracking(FALSE);
        return;
    }
    CRect rect = m_rectTracker;
    if (MovesVertically(m_htTrack)) {
        const int top = Clamp(pt.y - m_ptTrackOffset.y, m_rectLimit.top, m_rectLimit.bottom - rect.Height());
        rect.OffsetRect(0, top - rect.top);
    } else {
        const int left = Clamp(pt.x - m_ptTrackOffset.x, m_rectLimit.left, m_rectLimit.right - rect.Width());
        rect.OffsetRect(left - rect.left, 0);
    }
    if (rect != m_rectTracker) {
        OnInvertTracker(m_rectTracker);
        m_rectTracker = rect;
        OnInvertTracker(m_rectTracker);
    }
    if (m_bTracking2) {
        CRect rect2 = m_rectTracker2;
        const int left = Clamp(pt.x - m_ptTrackOffset.x, m_rectLimit.left, m_rectLimit.right - rect2.Width());
        rect2.OffsetRect(left - rect2.left, 0);
        if (rect2 != m_rectTracker2) {
            OnInvertTracker(m_rectTracker2);
            m_rectTracker2 = rect2;
            OnInvertTracker(m_rectTracker2);
        }
    }
}

void CSplitterWnd::OnLButtonDown(UINT, CPoint pt)
{
    if (m_bTracking)
        return;
    StartTracking(HitTest(pt));
}

void CSplitterWnd::OnLButtonUp(UINT, CPoint)
{
    StopTracking(TRUE);
}

void CSplitterWnd::OnKeyDown(UINT nChar, UINT, UINT)
{
    if (nChar == VK_ESCAPE)
        StopTracking(FALSE);
}

void CSplitterWnd::OnCaptureChanged(CWnd* pWnd)
{
    if (m_bTracking && (!pWnd || pWnd->m_hWnd != m_hWnd))
        StopTracking(FALSE);
}

void CSplitterWnd::StopTracking(BOOL bAccept)
{
    if (!m_bTracking)
        return;
    m_bTracking = FALSE;    // first: releasing the capture comes back here through WM_CAPTURECHANGED
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    OnInvertTracker(m_rectTracker);
    if (m_bTracking2)
        OnInvertTracker(m_rectTracker2);
    const BOOL bTracking2 = m_bTracking2;
    m_bTracking2 = FALSE;
    if (!bAccept)
        return;
    CRect inside;
    GetInsideRect(inside);
    const int ht = m_htTrack;
    if (ht == vSplitterBox) {
        SplitRow(m_rectTracker.top - inside.top - 2 * m_cyBorder);
        return;
    }
    if (ht == hSplitterBox) {
        SplitColumn(m_rectTracker.left - inside.left - 2 * m_cxBorder);
        return;
    }
    if (ht >= vSplitterBar1 && ht <= vSplitterBar15) {
        TrackRowSize(m_rectTracker.top, ht - vSplitterBar1);
    } else if (ht >= hSplitterBar1 && ht <= hSplitterBar15) {
        TrackColumnSize(m_rectTracker.left, ht - hSplitterBar1);
    } else if (ht >= splitterIntersection1 && ht <= splitterIntersection225) {
        TrackRowSize(m_rectTracker.top, (ht - splitterIntersection1) / 15);
        if (bTracking2)
            TrackColumnSize(m_rectTracker2.left, (ht - splitterIntersection1) % 15);
    }
    RecalcLayout();
}

void CSplitterWnd::TrackRowSize(int y, int row)
{
    // The bar's new top less the row's top and its borders is the row's new size.
    const int size = y - CellRect(row, 0).top - 2 * m_cyBorder;
    CRowColInfo& info = m_pRowInfo[static_cast<size_t>(row)];
    info.nIdealSize = size;
    if (size < info.nMinSize) {
        info.nIdealSize = 0;
        if ((GetStyle() & SPLS_DYNAMIC_SPLIT) && m_nRows > 1)
            DeleteRow(row);
    } else if (row + 1 < m_nRows &&
               info.nCurSize + m_pRowInfo[static_cast<size_t>(row + 1)].nCurSize <
                   size + m_pRowInfo[static_cast<size_t>(row + 1)].nMinSize) {
        if (GetStyle() & SPLS_DYNAMIC_SPLIT)
            DeleteRow(row + 1);
    }
}

void CSplitterWnd::TrackColumnSize(int x, int col)
{
    const int size = x - CellRect(0, col).left - 2 * m_cxBorder;
    CRowColInfo& info = m_pColInfo[static_cast<size_t>(col)];
    info.nIdealSize = size;
    if (size < info.nMinSize) {
        info.nIdealSize = 0;
        if ((GetStyle() & SPLS_DYNAMIC_SPLIT) && m_nCols > 1)
            DeleteColumn(col);
    } else if (col + 1 < m_nCols &&
               info.nCurSize + m_pColInfo[static_cast<size_t>(col + 1)].nCurSize <
                   size + m_pColInfo[static_cast<size_t>(col + 1)].nMinSize) {
        if (GetStyle() & SPLS_DYNAMIC_SPLIT)
            DeleteColumn(col + 1);
    }
}

// ---- dynamic splits ----

// A pane made by a split shows the document of the pane it was split from.
CCreateContext CSplitterWnd::SplitContext(CWnd* pOld) const
{
    CCreateContext context;
    context.m_pNewViewClass = m_pDynamicViewClass;
    CWnd* pOldPerm = pOld ? CWnd::FromHandlePermanent(pOld->m_hWnd) : nullptr;
    if (pOldPerm && pOldPerm->IsKindOf(RUNTIME_CLASS(CView))) {
        context.m_pLastView = static_cast<CView*>(pOldPerm);
        context.m_pCurrentDoc = static_cast<CView*>(pOldPerm)->GetDocument();
    }
    return context;
}

BOOL CSplitterWnd::SplitRow(int cyBefore)
{
    if (m_nRows >= m_nMaxRows || !m_pDynamicViewClass)
        return FALSE;
    const int cyNew = m_pRowInfo[0].nCurSize - cyBefore - m_cySplitterGap - 2 * m_cyBorder;
    if (cyBefore < m_pRowInfo[0].nMinSize || cyNew < m_pRowInfo[0].nMinSize)
        return FALSE;
    const int row = m_nRows++;
    m_pRowInfo[static_cast<size_t>(row - 1)].nIdealSize = cyBefore;
    m_pRowInfo[static_cast<size_t>(row)].nIdealSize = cyNew;
    m_pRowInfo[static_cast<size_t>(row)].nMinSize = m_pRowInfo[0].nMinSize;
    for (int col = 0; col < m_nCols; ++col) {
        CCreateContext context = SplitContext(GetPane(row - 1, col));
        const int cx = m_pColInfo[static_cast<size_t>(col)].nIdealSize;
        if (!CreateView(row, col, m_pDynamicViewClass, CSize(cx, cyNew), &context)) {
            --m_nRows;
            RecalcLayout();
            return FALSE;
        }
        m_pColInfo[static_cast<size_t>(col)].nIdealSize = cx;
        GetPane(row, col)->SendMessage(WM_INITIALUPDATE);
    }
    m_pRowInfo[static_cast<size_t>(row - 1)].nIdealSize = cyBefore;
    if (m_bHasVScroll)
        CreateScrollBarCtrl(SBS_VERT, AFX_IDW_VSCROLL_FIRST + static_cast<UINT>(row));
    RecalcLayout();
    return TRUE;
}

BOOL CSplitterWnd::SplitColumn(int cxBefore)
{
    if (m_nCols >= m_nMaxCols || !m_pDynamicViewClass)
        return FALSE;
    const int cxNew = m_pColInfo[0].nCurSize - cxBefore - m_cxSplitterGap - 2 * m_cxBorder;
    if (cxBefore < m_pColInfo[0].nMinSize || cxNew < m_pColInfo[0].nMinSize)
        return FALSE;
    const int col = m_nCols++;
    m_pColInfo[static_cast<size_t>(col)].nMinSize = m_pColInfo[0].nMinSize;
    for (int row = 0; row < m_nRows; ++row) {
        CCreateContext context = SplitContext(GetPane(row, col - 1));
        const int cy = m_pRowInfo[static_cast<size_t>(row)].nIdealSize;
        if (!CreateView(row, col, m_pDynamicViewClass, CSize(cxNew, cy), &context)) {
            --m_nCols;
            RecalcLayout();
            return FALSE;
        }
        m_pRowInfo[static_cast<size_t>(row)].nIdealSize = cy;
        GetPane(row, col)->SendMessage(WM_INITIALUPDATE);
    }
    m_pColInfo[static_cast<size_t>(col - 1)].nIdealSize = cxBefore;
    if (m_bHasHScroll)
        CreateScrollBarCtrl(SBS_HORZ, AFX_IDW_HSCROLL_FIRST + static_cast<UINT>(col));
    RecalcLayout();
    return TRUE;
}

void CSplitterWnd::DeleteRow(int rowDelete)
{
    if (m_nRows <= 1 || rowDelete < 0 || rowDelete >= m_nRows)
        return;
    // The active pane moves to the row that stays.
    int rowActive = 0, colActive = 0;
    if (GetActivePane(&rowActive, &colActive) && rowActive == rowDelete)
        SetActivePane(rowDelete == 0 ? 1 : rowDelete - 1, colActive);
    for (int col = 0; col < m_nCols; ++col) {
        if (CWnd* pPane = GetPane(rowDelete, col))
            ::DestroyWindow(pPane->m_hWnd);
    }
    for (int row = rowDelete + 1; row < m_nRows; ++row) {
        for (int col = 0; col < m_nCols; ++col) {
            if (HWND hWnd = ::GetDlgItem(m_hWnd, IdFromRowCol(row, col)))
                ::SetWindowLongPtrW(hWnd, GWLP_ID, IdFromRowCol(row - 1, col));
        }
    }
    if (m_bHasVScroll) {
        if (HWND hWndBar = ::GetDlgItem(m_hWnd, static_cast<int>(AFX_IDW_VSCROLL_FIRST) + m_nRows - 1))
            ::DestroyWindow(hWndBar);
    }
    m_pRowInfo.erase(m_pRowInfo.begin() + rowDelete);
    m_pRowInfo.push_back(CRowColInfo{m_pRowInfo.front().nMinSize, 0, 0});
    --m_nRows;
    RecalcLayout();
}

void CSplitterWnd::DeleteColumn(int colDelete)
{
    if (m_nCols <= 1 || colDelete < 0 || colDelete >= m_nCols)
        return;
    int rowActive = 0, colActive = 0;
    if (GetActivePane(&rowActive, &colActive) && colActive == colDelete)
        SetActivePane(rowActive, colDelete == 0 ? 1 : colDelete - 1);
    for (int row = 0; row < m_nRows; ++row) {
        if (CWnd* pPane = GetPane(row, colDelete))
            ::DestroyWindow(pPane->m_hWnd);
    }
    for (int col = colDelete + 1; col < m_nCols; ++col) {
        for (int row = 0; row < m_nRows; ++row) {
            if (HWND hWnd = ::GetDlgItem(m_hWnd, IdFromRowCol(row, col)))
                ::SetWindowLongPtrW(hWnd, GWLP_ID, IdFromRowCol(row, col - 1));
        }
    }
    if (m_bHasHScroll) {
        if (HWND hWndBar = ::GetDlgItem(m_hWnd, static_cast<int>(AFX_IDW_HSCROLL_FIRST) + m_nCols - 1))
            ::DestroyWindow(hWndBar);
    }
    m_pColInfo.erase(m_pColInfo.begin() + colDelete);
    m_pColInfo.push_back(CRowColInfo{m_pColInfo.front().nMinSize, 0, 0});
    --m_nCols;
    RecalcLayout();
}

// ---- active pane ----

CWnd* CSplitterWnd::GetActivePane(int* pRow, int* pCol)
{
    CWnd* pView = nullptr;
    if (CFrameWnd* pFrame = GetParentFrame())
        pView = pFrame->GetActiveView();
    if (!pView || !IsChildPane(pView, pRow, pCol)) {
        HWND focus = ::GetFocus();
        pView = focus ? CWnd::FromHandle(focus) : nullptr;
        if (!pView || !IsChildPane(pView, pRow, pCol))
            return nullptr;
    }
    return pView;
}

void CSplitterWnd::SetActivePane(int row, int col, CWnd* pWnd)
{
    CWnd* pPane = pWnd ? pWnd : GetPane(row, col);
    if (!pPane || !pPane->m_hWnd)
        return;
    CWnd* pPerm = CWnd::FromHandlePermanent(pPane->m_hWnd);
    CFrameWnd* pFrame = GetParentFrame();
    if (pPerm && pPerm->IsKindOf(RUNTIME_CLASS(CView)) && pFrame)
        pFrame->SetActiveView(static_cast<CView*>(pPerm));
    else
        ::SetFocus(pPane->m_hWnd);
}

void CSplitterWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED && cx > 0 && cy > 0)
        RecalcLayout();
}
