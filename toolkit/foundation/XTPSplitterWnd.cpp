// The themed splitter: full-window drag, trackers, fixed bars, hidden rows and columns, view
// exchange. Everything runs on the splitter's user-interface thread.
//
// Coordinates: the framework's trackers are in client coordinates and TrackRowSize/
// TrackColumnSize take the bar's new top or left as it is, so a full-window drag hands them the
// tracker unchanged; any offset there would move the bar a pixel per mouse move.

#include "toolkit/foundation/XTPSplitterWnd.h"

#include "framework/window/Dc.h"
#include "framework/window/Document.h"
#include "framework/window/View.h"
#include "toolkit/foundation/XTPAuxData.h"
#include "toolkit/foundation/XTPButton.h"
#include "toolkit/foundation/XTPSplitterWndTheme.h"

#include <windowsx.h>

#include <algorithm>
#include <map>

IMPLEMENT_DYNAMIC(CXTPSplitterWnd, CSplitterWnd)

BEGIN_MESSAGE_MAP(CXTPSplitterWnd, CSplitterWnd)
    ON_WM_MOUSEMOVE()
    ON_WM_NCHITTEST()
    ON_MESSAGE(WM_CONTROL_SET_THEME, OnSetTheme)
END_MESSAGE_MAP()

namespace {

// Bars, boxes and gaps of the themed splitter, in pixels: thinner than the framework's 7 so the
// flat looks read as one line between panes.
constexpr int kBarSize = 6;
// Thickness of the inverted tracker of the non-dotted kind, in pixels.
constexpr int kTrackerThickness = 4;

BOOL ReadDesktopFullDrag()
{
    BOOL on = FALSE;
    if (!::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &on, 0))
        return FALSE;
    return on;
}

bool IsRowBar(int ht)
{
    return ht >= CSplitterWnd::vSplitterBar1 && ht <= CSplitterWnd::vSplitterBar15;
}

bool IsColumnBar(int ht)
{
    return ht >= CSplitterWnd::hSplitterBar1 && ht <= CSplitterWnd::hSplitterBar15;
}

bool IsIntersection(int ht)
{
    return ht >= CSplitterWnd::splitterIntersection1 && ht <= CSplitterWnd::splitterIntersection225;
}

int ClampTo(int value, int low, int high)
{
    return std::max(low, std::min(value, std::max(low, high)));
}

// The windows of a splitter's panes by id, and the grid they form, for planning a hide or show
// before anything changes.
struct GridState {
    int rows = 0;
    int cols = 0;
    int hiddenRow = -1;
    int hiddenCol = -1;
    std::map<int, HWND> panes;

    int RealRow(int row) const { return hiddenRow != -1 && row >= hiddenRow ? row + 1 : row; }
    int RealColumn(int col) const { return hiddenCol != -1 && col >= hiddenCol ? col + 1 : col; }
    HWND Take(int id)
    {
        auto found = panes.find(id);
        if (found == panes.end())
            return nullptr;
        HWND hWnd = found->second;
        panes.erase(found);
        return hWnd;
    }
};

int PaneId(int row, int col)
{
    return static_cast<int>(AFX_IDW_PANE_FIRST) + row * 16 + col;
}

} // namespace

// Plans work on a GridState, not the windows, so that HideColumn can check "show the hidden
// column, then hide this one" as a whole before doing either.
namespace {

using Moves = std::vector<std::pair<HWND, std::pair<int, int>>>;   // window, (new id, show command)

void Commit(GridState& state, const Moves& moves)
{
    for (const auto& move : moves)
        state.panes[move.second.first] = move.first;
}

BOOL PlanHideColumn(GridState& state, int col, Moves& out)
{
    if (col < 0 || col >= state.cols || state.cols < 2)
        return FALSE;
    const int count = state.cols;
    Moves moves;
    for (int row = 0; row < state.rows; ++row) {
        HWND hidden = state.Take(PaneId(row, col));
        if (!hidden)
            return FALSE;
        moves.push_back({hidden, {PaneId(state.RealRow(row), count), SW_HIDE}});
        for (int next = col + 1; next < count; ++next) {
            HWND pane = state.Take(PaneId(row, next));
            if (!pane)
                return FALSE;
            moves.push_back({pane, {PaneId(row, next - 1), -1}});
        }
    }
    Commit(state, moves);
    state.cols = count - 1;
    state.hiddenCol = col;
    out.insert(out.end(), moves.begin(), moves.end());
    return TRUE;
}

BOOL PlanShowColumn(GridState& state, int maxRows, Moves& out)
{
    if (state.hiddenCol == -1)
        return TRUE;
    const int col = state.hiddenCol;
    const int count = state.cols + 1;
    Moves moves;
    for (int row = 0; row < state.rows; ++row) {
        HWND parked = state.Take(PaneId(state.RealRow(row), count));
        if (!parked)
            return FALSE;
        for (int from = count - 2; from >= col; --from) {
            HWND pane = state.Take(PaneId(row, from));
            if (!pane)
                return FALSE;
            moves.push_back({pane, {PaneId(row, from + 1), -1}});
        }
        moves.push_back({parked, {PaneId(row, col), SW_SHOWNA}});
    }
    // A row hidden after this column left its pane of this column under the column's parked id;
    // it joins the row's other parked panes. Hidden before, the row's panes never moved.
    if (state.hiddenRow != -1) {
        if (HWND parked = state.Take(PaneId(state.hiddenRow, count)))
            moves.push_back({parked, {PaneId(maxRows, col), -1}});
    }
    Commit(state, moves);
    state.cols = count;
    state.hiddenCol = -1;
    out.insert(out.end(), moves.begin(), moves.end());
    return TRUE;
}

BOOL PlanHideRow(GridState& state, int row, Moves& out)
{
    if (row < 0 || row >= state.rows || state.rows < 2)
        return FALSE;
    const int count = state.rows;
    Moves moves;
    for (int col = 0; col < state.cols; ++col) {
        HWND hidden = state.Take(PaneId(row, col));
        if (!hidden)
            return FALSE;
        moves.push_back({hidden, {PaneId(count, state.RealColumn(col)), SW_HIDE}});
        for (int next = row + 1; next < count; ++next) {
            HWND pane = state.Take(PaneId(next, col));
            if (!pane)
                return FALSE;
            moves.push_back({pane, {PaneId(next - 1, col), -1}});
        }
    }
    Commit(state, moves);
    state.rows = count - 1;
    state.hiddenRow = row;
    out.insert(out.end(), moves.begin(), moves.end());
    return TRUE;
}

BOOL PlanShowRow(GridState& state, int maxCols, Moves& out)
{
    if (state.hiddenRow == -1)
        return TRUE;
    const int row = state.hiddenRow;
    const int count = state.rows + 1;
    Moves moves;
    for (int col = 0; col < state.cols; ++col) {
        HWND parked = state.Take(PaneId(count, state.RealColumn(col)));
        if (!parked)
            return FALSE;
        for (int from = count - 2; from >= row; --from) {
            HWND pane = state.Take(PaneId(from, col));
            if (!pane)
                return FALSE;
            moves.push_back({pane, {PaneId(from + 1, col), -1}});
        }
        moves.push_back({parked, {PaneId(row, col), SW_SHOWNA}});
    }
    if (state.hiddenCol != -1) {
        if (HWND parked = state.Take(PaneId(count, state.hiddenCol)))
            moves.push_back({parked, {PaneId(row, maxCols), -1}});
    }
    Commit(state, moves);
    state.rows = count;
    state.hiddenRow = -1;
    out.insert(out.end(), moves.begin(), moves.end());
    return TRUE;
}

void Apply(const Moves& moves)
{
    // Every window is known by handle, so ids may pass through each other's values meanwhile.
    for (const auto& move : moves) {
        ::SetWindowLongPtrW(move.first, GWLP_ID, move.second.first);
        if (move.second.second != -1)
            ::ShowWindow(move.first, move.second.second);
    }
}

} // namespace

// ---- construction and themes ----

CXTPSplitterWnd::CXTPSplitterWnd() : m_fullDragReader(ReadDesktopFullDrag)
{
    m_bSysFullDrag = m_fullDragReader();
    m_cxSplitter = m_cySplitter = kBarSize;
    m_cxSplitterGap = m_cySplitterGap = kBarSize;
    SetTheme(0);
}

CXTPSplitterWnd::~CXTPSplitterWnd()
{
    if (m_pTheme) {
        m_pTheme->InternalRelease();
        m_pTheme = nullptr;
    }
}

BOOL CXTPSplitterWnd::SetTheme(int nTheme)
{
    CXTPSplitterWndTheme* theme;
    switch (nTheme) {
    case 3:
    case 4:
    case 8:
    case 9:
        theme = new CXTPSplitterWndThemeOfficeXP();
        break;
    case 5:
        theme = new CXTPSplitterWndThemeOffice2003();
        break;
    case 7:
        theme = new CXTPSplitterWndThemeResource();
        break;
    case 10:
        theme = new CXTPSplitterWndThemeVisualStudio2010();
        break;
    default:
        theme = new CXTPSplitterWndTheme();
        break;
    }
    return SetTheme(theme);
}

BOOL CXTPSplitterWnd::SetTheme(CXTPSplitterWndTheme* pTheme)
{
    if (m_pTheme)
        m_pTheme->InternalRelease();
    m_pTheme = pTheme;
    RefreshMetrics();
    return m_pTheme != nullptr;
}

LRESULT CXTPSplitterWnd::OnSetTheme(WPARAM wParam, LPARAM)
{
    SetTheme(static_cast<int>(wParam));
    return 0;
}

void CXTPSplitterWnd::EnableFlatLook(BOOL bFlatLook)
{
    SetTheme(bFlatLook ? 4 : 3);
}

void CXTPSplitterWnd::RedrawNow()
{
    if (m_hWnd)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CXTPSplitterWnd::RefreshMetrics()
{
    if (m_pTheme)
        m_pTheme->RefreshMetrics();
    RedrawNow();
}

void CXTPSplitterWnd::SetSplitterStyle(DWORD dwStyle)
{
    m_bDottedTracker = (dwStyle & XTP_SPLIT_DOTTRACKER) != 0;
    m_nFullDrag = (dwStyle & XTP_SPLIT_NOFULLDRAG) ? 0 : -1;
    m_bBorder3D = (dwStyle & XTP_SPLIT_NOBORDER) == 0;
    m_bFixedBars = (dwStyle & XTP_SPLIT_NOSIZE) != 0;
    RedrawNow();
}

DWORD CXTPSplitterWnd::GetSplitterStyle() const
{
    return (m_bDottedTracker ? XTP_SPLIT_DOTTRACKER : 0) | (m_nFullDrag == 0 ? XTP_SPLIT_NOFULLDRAG : 0) |
           (m_bBorder3D ? 0 : XTP_SPLIT_NOBORDER) | (m_bFixedBars ? XTP_SPLIT_NOSIZE : 0);
}

void CXTPSplitterWnd::SetFullDragReader(FullDragReader reader)
{
    m_fullDragReader = reader ? std::move(reader) : FullDragReader(ReadDesktopFullDrag);
    m_bSysFullDrag = m_fullDragReader();
}

BOOL CXTPSplitterWnd::IsFullDragActive() const
{
    // The split boxes always use the plain tracker: a split made by dragging a box has nothing to
    // show until the new pane exists.
    return m_htTrack != vSplitterBox && m_htTrack != hSplitterBox && m_nFullDrag == -1 && m_bSysFullDrag;
}

// ---- drawing ----

void CXTPSplitterWnd::OnDrawSplitter(CDC* pDC, ESplitType nType, const CRect& rect)
{
    if (!m_pTheme) {
        CSplitterWnd::OnDrawSplitter(pDC, nType, rect);
        return;
    }
    if (!pDC) {
        ::RedrawWindow(m_hWnd, &rect, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
        return;
    }
    m_pTheme->DrawSplitter(pDC, this, nType, rect);
}

void CXTPSplitterWnd::PaintTo(CDC* pDC)
{
    // The framework lays the panes out from the client's corner (its borders belong to each
    // pane's cell), so the boxes go where its own painting puts them.
    CRect client;
    ::GetClientRect(m_hWnd, &client);
    CRect inside;
    GetInsideRect(inside);
    if (m_bHasVScroll && m_nRows < m_nMaxRows)
        OnDrawSplitter(pDC, splitBox, CRect(inside.right, client.top, client.right, client.top + m_cySplitter));
    if (m_bHasHScroll && m_nCols < m_nMaxCols)
        OnDrawSplitter(pDC, splitBox, CRect(client.left, inside.bottom, client.left + m_cxSplitter, client.bottom));
    DrawAllSplitBars(pDC, inside.Width(), inside.Height());
}

void CXTPSplitterWnd::OnInvertTracker(const CRect& rect)
{
    if (IsFullDragActive())
        return;
    if (!m_pTheme) {
        CSplitterWnd::OnInvertTracker(rect);
        return;
    }
    DrawTracker(rect, m_pTheme->GetTrackerBrush());
}

void CXTPSplitterWnd::DrawTracker(const CRect& rect, HBRUSH hBrush)
{
    // A split box's tracker starts on the window's edge: nothing is shown until it leaves it.
    if ((m_htTrack == hSplitterBox && rect.left < m_cxSplitter) ||
        (m_htTrack == vSplitterBox && rect.top < m_cySplitter))
        return;
    CClientDC dc(this);
    if (!dc.GetSafeHdc())
        return;
    const int saved = dc.SaveDC();
    const bool vertical = rect.Width() < rect.Height();
    if (m_bDottedTracker) {
        CRect inside;
        GetInsideRect(inside);
        const CRect focus = vertical ? CRect(inside.left, inside.top, rect.right, rect.bottom)
                                     : CRect(inside.left, inside.top, rect.right, rect.top);
        dc.DrawFocusRect(&focus);
    } else {
        CRect bar = rect;
        if (vertical)
            bar.left = bar.right - kTrackerThickness;
        else
            bar.bottom = bar.top + kTrackerThickness;
        ::SelectObject(dc.GetSafeHdc(), hBrush ? static_cast<HGDIOBJ>(hBrush) : ::GetStockObject(GRAY_BRUSH));
        dc.PatBlt(bar.left, bar.top, bar.Width(), bar.Height(), PATINVERT);
    }
    dc.RestoreDC(saved);
}

// ---- cursors, hit test, activation ----

void CXTPSplitterWnd::SetSplitCursor(int ht)
{
    HCURSOR cursor = nullptr;
    if (ht == vSplitterBox || IsRowBar(ht))
        cursor = GetAuxData().hcurVSplitBar;
    else if (ht == hSplitterBox || IsColumnBar(ht))
        cursor = GetAuxData().hcurHSplitBar;
    else {
        CSplitterWnd::SetSplitCursor(ht);
        return;
    }
    // A program without the toolkit's cursor resources still gets a sizing cursor.
    if (cursor)
        ::SetCursor(cursor);
    else
        CSplitterWnd::SetSplitCursor(ht);
}

LRESULT CXTPSplitterWnd::OnNcHitTest(CPoint point)
{
    if (m_bFixedBars)
        return HTBORDER;
    return CSplitterWnd::OnNcHitTest(point);
}

void CXTPSplitterWnd::SetActivePane(int row, int col, CWnd* pWnd)
{
    CWnd* pPane = pWnd ? pWnd : GetPane(row, col);
    if (!pPane || !pPane->m_hWnd)
        return;
    CWnd* pPerm = CWnd::FromHandlePermanent(pPane->m_hWnd);
    if (pPerm && pPerm->IsKindOf(RUNTIME_CLASS(CView))) {
        if (CFrameWnd* pFrame = pPerm->GetParentFrame()) {
            pFrame->SetActiveView(static_cast<CView*>(pPerm));
            return;
        }
    }
    ::SetFocus(pPane->m_hWnd);
}

// ---- full-window drag ----

BOOL CXTPSplitterWnd::IsLiveHitCode(int ht) const
{
    if (IsRowBar(ht))
        return ht - vSplitterBar1 < m_nRows - 1;
    if (IsColumnBar(ht))
        return ht - hSplitterBar1 < m_nCols - 1;
    if (IsIntersection(ht))
        return (ht - splitterIntersection1) / 15 < m_nRows - 1 && (ht - splitterIntersection1) % 15 < m_nCols - 1;
    return FALSE;
}

void CXTPSplitterWnd::StartTracking(int ht)
{
    if (ht == vSplitterBox || ht == hSplitterBox || m_nFullDrag != -1 || !m_bSysFullDrag) {
        CSplitterWnd::StartTracking(ht);
        return;
    }
    if (ht == noHit || m_bTracking)
        return;
    CRect inside;
    GetInsideRect(inside);
    m_rectLimit = inside;
    m_bTracking2 = FALSE;
    // A bar may move between the far edges of the two cells beside it, as in the framework's
    // own tracking.
    auto limitRows = [this](int row) {
        m_rectLimit.top = CellRect(row, 0).top;
        m_rectLimit.bottom = CellRect(row + 1, 0).bottom;
    };
    auto limitColumns = [this](int col) {
        m_rectLimit.left = CellRect(0, col).left;
        m_rectLimit.right = CellRect(0, col + 1).right;
    };
    if (IsIntersection(ht)) {
        const int row = (ht - splitterIntersection1) / 15, col = (ht - splitterIntersection1) % 15;
        GetHitRect(vSplitterBar1 + row, m_rectTracker);
        GetHitRect(hSplitterBar1 + col, m_rectTracker2);
        m_bTracking2 = TRUE;
        limitRows(row);
        limitColumns(col);
    } else if (ht == bothSplitterBox) {
        GetHitRect(vSplitterBox, m_rectTracker);
        GetHitRect(hSplitterBox, m_rectTracker2);
        m_bTracking2 = TRUE;
        m_rectTracker.OffsetRect(0, m_rectLimit.Height() / 2);
        m_rectTracker2.OffsetRect(m_rectLimit.Width() / 2, 0);
    } else {
        GetHitRect(ht, m_rectTracker);
        if (IsRowBar(ht))
            limitRows(ht - vSplitterBar1);
        else if (IsColumnBar(ht))
            limitColumns(ht - hSplitterBar1);
    }
    // The position of the message being handled, not the pointer's position now: a drag resumed
    // at every move must keep the bar where the pointer was when the move was reported.
    const DWORD pos = ::GetMessagePos();
    POINT cursor = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    ::ScreenToClient(m_hWnd, &cursor);
    m_ptTrackOffset = CPoint(cursor.x - m_rectTracker.left, cursor.y - m_rectTracker.top);
    if (m_bTracking2)
        m_ptTrackOffset.x = cursor.x - m_rectTracker2.left;
    ::SetCapture(m_hWnd);
    m_bTracking = TRUE;
    m_htTrack = ht;
    SetSplitCursor(ht);
}

void CXTPSplitterWnd::StopTracking(BOOL bAccept)
{
    if (!IsFullDragActive()) {
        CSplitterWnd::StopTracking(bAccept);
        return;
    }
    if (!m_bTracking)
        return;
    m_bTracking = FALSE;    // first: releasing the capture comes back here through WM_CAPTURECHANGED
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    const BOOL bTracking2 = m_bTracking2;
    m_bTracking2 = FALSE;
    CWnd* pActive = GetActivePane();
    HWND hActive = pActive ? pActive->m_hWnd : nullptr;
    if (bAccept) {
        CRect inside;
        GetInsideRect(inside);
        const int ht = m_htTrack;
        if (ht == bothSplitterBox) {
            SplitRow(m_rectTracker.top - inside.top - 2 * m_cyBorder);
            if (bTracking2)
                SplitColumn(m_rectTracker2.left - inside.left - 2 * m_cxBorder);
        } else if (IsRowBar(ht)) {
            TrackRowSize(m_rectTracker.top, ht - vSplitterBar1);
            RecalcLayout();
        } else if (IsColumnBar(ht)) {
            TrackColumnSize(m_rectTracker.left, ht - hSplitterBar1);
            RecalcLayout();
        } else if (IsIntersection(ht)) {
            TrackRowSize(m_rectTracker.top, (ht - splitterIntersection1) / 15);
            if (bTracking2)
                TrackColumnSize(m_rectTracker2.left, (ht - splitterIntersection1) % 15);
            RecalcLayout();
        }
    }
    if (hActive) {
        CWnd* pNow = GetActivePane();
        if (pNow && pNow->m_hWnd == hActive)
            SetActivePane(-1, -1, pNow);
    }
}

void CXTPSplitterWnd::OnMouseMove(UINT nFlags, CPoint pt)
{
    if (!IsFullDragActive()) {
        CSplitterWnd::OnMouseMove(nFlags, pt);
        return;
    }
    if (m_bTracking && ::GetCapture() != m_hWnd) {
        StopTracking(FALSE);
        return;
    }
    if (!m_bTracking) {
        SetSplitCursor(HitTest(pt));
        return;
    }
    const int ht = m_htTrack;
    const CRect& columnTracker = m_bTracking2 ? m_rectTracker2 : m_rectTracker;
    CPoint point(pt.x - m_ptTrackOffset.x, pt.y - m_ptTrackOffset.y);
    point.x = ClampTo(point.x, m_rectLimit.left, m_rectLimit.right - columnTracker.Width());
    point.y = ClampTo(point.y, m_rectLimit.top, m_rectLimit.bottom - m_rectTracker.Height());
    if (ht == vSplitterBox || IsRowBar(ht)) {
        m_rectTracker.OffsetRect(0, point.y - m_rectTracker.top);
    } else if (ht == hSplitterBox || IsColumnBar(ht)) {
        m_rectTracker.OffsetRect(point.x - m_rectTracker.left, 0);
    } else {
        m_rectTracker.OffsetRect(0, point.y - m_rectTracker.top);
        if (m_bTracking2)
            m_rectTracker2.OffsetRect(point.x - m_rectTracker2.left, 0);
    }
    StopTracking(TRUE);
    // Resume on the bar at its new place. A bar held back by a pane's minimum is not under the
    // point: keep dragging the same bar while it exists rather than dropping the drag.
    int next = HitTest(point);
    if (next == noHit && IsLiveHitCode(ht))
        next = ht;
    StartTracking(next);
    if (point != m_ptLastDrag) {
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        m_ptLastDrag = point;
    }
}

BOOL CXTPSplitterWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        // Known before the framework starts tracking, so that a split box keeps its tracker.
        if (!m_bTracking)
            m_htTrack = HitTest(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        break;
    case WM_LBUTTONUP:
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        break;
    case WM_SYSCOLORCHANGE:
        RefreshMetrics();
        break;
    case WM_SETTINGCHANGE:
        m_bSysFullDrag = m_fullDragReader();
        RefreshMetrics();
        break;
    case WM_PRINTCLIENT: {
        CDC dc;
        if (dc.Attach(reinterpret_cast<HDC>(wParam))) {
            PaintTo(&dc);
            dc.Detach();
        }
        if (pResult)
            *pResult = 0;
        return TRUE;
    }
    default:
        break;
    }
    return CSplitterWnd::OnWndMsg(message, wParam, lParam, pResult);
}

// ---- hidden rows and columns ----

namespace {

GridState Snapshot(HWND splitter, int rows, int cols, int hiddenRow, int hiddenCol)
{
    GridState state;
    state.rows = rows;
    state.cols = cols;
    state.hiddenRow = hiddenRow;
    state.hiddenCol = hiddenCol;
    for (HWND child = ::GetWindow(splitter, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        // GetDlgItem answers the first child with an id: keep the first.
        if (id >= static_cast<int>(AFX_IDW_PANE_FIRST) && id <= static_cast<int>(AFX_IDW_PANE_LAST))
            state.panes.emplace(id, child);
    }
    return state;
}

} // namespace

BOOL CXTPSplitterWnd::ShowColumn()
{
    if (m_nHiddenCol == -1)
        return TRUE;
    GridState state = Snapshot(m_hWnd, m_nRows, m_nCols, m_nHiddenRow, m_nHiddenCol);
    Moves moves;
    if (!PlanShowColumn(state, m_nMaxRows, moves))
        return FALSE;
    const int col = m_nHiddenCol;
    const int saved = m_pColInfo[static_cast<size_t>(m_nCols)].nCurSize;
    Apply(moves);
    ++m_nCols;
    m_nHiddenCol = -1;
    // The columns from the shown one on take the widths they had before it was hidden.
    for (int next = m_nCols - 1; next > col; --next)
        m_pColInfo[static_cast<size_t>(next)].nIdealSize = m_pColInfo[static_cast<size_t>(next - 1)].nCurSize;
    m_pColInfo[static_cast<size_t>(col)].nIdealSize = saved;
    RecalcLayout();
    return TRUE;
}

BOOL CXTPSplitterWnd::HideColumn(int nCol)
{
    if (nCol == m_nHiddenCol && nCol != -1)
        return TRUE;
    {
        // Dry run over the ids as they would be: showing the hidden column first must not leave
        // the splitter changed when this hide then finds a pane missing.
        GridState state = Snapshot(m_hWnd, m_nRows, m_nCols, m_nHiddenRow, m_nHiddenCol);
        Moves dryRun;
        if (!PlanShowColumn(state, m_nMaxRows, dryRun) || !PlanHideColumn(state, nCol, dryRun))
            return FALSE;
    }
    if (m_nHiddenCol != -1 && !ShowColumn())
        return FALSE;

    int rowActive = 0, colActive = 0;
    if (GetActivePane(&rowActive, &colActive) && colActive == nCol)
        SetActivePane(rowActive, nCol + 1 < m_nCols ? nCol + 1 : 0);

    GridState state = Snapshot(m_hWnd, m_nRows, m_nCols, m_nHiddenRow, m_nHiddenCol);
    Moves moves;
    if (!PlanHideColumn(state, nCol, moves))
        return FALSE;
    Apply(moves);
    m_nHiddenCol = nCol;
    --m_nCols;
    m_pColInfo[static_cast<size_t>(m_nCols)].nCurSize = m_pColInfo[static_cast<size_t>(nCol)].nCurSize;
    RecalcLayout();
    return TRUE;
}

BOOL CXTPSplitterWnd::ShowRow()
{
    if (m_nHiddenRow == -1)
        return TRUE;
    GridState state = Snapshot(m_hWnd, m_nRows, m_nCols, m_nHiddenRow, m_nHiddenCol);
    Moves moves;
    if (!PlanShowRow(state, m_nMaxCols, moves))
        return FALSE;
    const int row = m_nHiddenRow;
    const int saved = m_pRowInfo[static_cast<size_t>(m_nRows)].nCurSize;
    Apply(moves);
    ++m_nRows;
    m_nHiddenRow = -1;
    for (int next = m_nRows - 1; next > row; --next)
        m_pRowInfo[static_cast<size_t>(next)].nIdealSize = m_pRowInfo[static_cast<size_t>(next - 1)].nCurSize;
    m_pRowInfo[static_cast<size_t>(row)].nIdealSize = saved;
    RecalcLayout();
    return TRUE;
}

BOOL CXTPSplitterWnd::HideRow(int nRow)
{
    if (nRow == m_nHiddenRow && nRow != -1)
        return TRUE;
    {
        GridState state = Snapshot(m_hWnd, m_nRows, m_nCols, m_nHiddenRow, m_nHiddenCol);
        Moves dryRun;
        if (!PlanShowRow(state, m_nMaxCols, dryRun) || !PlanHideRow(state, nRow, dryRun))
            return FALSE;
    }
    if (m_nHiddenRow != -1 && !ShowRow())
        return FALSE;

    int rowActive = 0, colActive = 0;
    if (GetActivePane(&rowActive, &colActive) && rowActive == nRow)
        SetActivePane(nRow + 1 < m_nRows ? nRow + 1 : 0, colActive);

    GridState state = Snapshot(m_hWnd, m_nRows, m_nCols, m_nHiddenRow, m_nHiddenCol);
    Moves moves;
    if (!PlanHideRow(state, nRow, moves))
        return FALSE;
    Apply(moves);
    m_nHiddenRow = nRow;
    --m_nRows;
    m_pRowInfo[static_cast<size_t>(m_nRows)].nCurSize = m_pRowInfo[static_cast<size_t>(nRow)].nCurSize;
    RecalcLayout();
    return TRUE;
}

// ---- exchanging views ----

BOOL CXTPSplitterWnd::SwitchView(int nRow, int nCol, CWnd* pWnd)
{
    CWnd* pOld = GetPane(nRow, nCol);
    if (!pOld || !pWnd || !pWnd->m_hWnd || pOld->m_hWnd == pWnd->m_hWnd)
        return FALSE;
    const int idOther = ::GetDlgCtrlID(pWnd->m_hWnd);
    ::SetWindowLongPtrW(pOld->m_hWnd, GWLP_ID, idOther);
    ::SetWindowLongPtrW(pWnd->m_hWnd, GWLP_ID, IdFromRowCol(nRow, nCol));
    ::ShowWindow(pOld->m_hWnd, SW_SHOW);
    ::ShowWindow(pWnd->m_hWnd, SW_SHOW);
    RecalcLayout();
    return TRUE;
}

CWnd* CXTPSplitterWnd::ReplaceView(int nRow, int nCol, CWnd* pWnd)
{
    CWnd* pOld = GetPane(nRow, nCol);
    if (!pOld || !pWnd || !pWnd->m_hWnd || pOld->m_hWnd == pWnd->m_hWnd)
        return nullptr;
    ::SetWindowLongPtrW(pOld->m_hWnd, GWLP_ID, 0);
    ::ShowWindow(pOld->m_hWnd, SW_HIDE);
    ::SetWindowLongPtrW(pWnd->m_hWnd, GWLP_ID, IdFromRowCol(nRow, nCol));
    ::ShowWindow(pWnd->m_hWnd, SW_SHOW);
    RecalcLayout();
    return pOld;
}

namespace {

// Watches one CreateWindowEx for the moment the window came to exist (HCBT_CREATEWND): from then
// on the framework has attached it, and a failure destroys the window, whose view deletes itself
// in PostNcDestroy. Before it, nothing owns the object but its creator.
struct CreationWatch {
    HWND parent = nullptr;
    UINT id = 0;
    bool created = false;
};
thread_local CreationWatch* t_watch = nullptr;

LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_watch && !t_watch->created) {
        const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        if (cs->hwndParent == t_watch->parent &&
            static_cast<UINT>(reinterpret_cast<UINT_PTR>(cs->hMenu)) == t_watch->id)
            t_watch->created = true;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

CWnd* CXTPSplitterWnd::ReplaceView(int nRow, int nCol, const CRuntimeClass* pViewClass)
{
    CWnd* pOldPane = GetPane(nRow, nCol);
    if (!pOldPane || !pViewClass || !pViewClass->IsDerivedFrom(RUNTIME_CLASS(CView)))
        return nullptr;
    CWnd* pOld = CWnd::FromHandlePermanent(pOldPane->m_hWnd);
    if (pOld && pOld->GetRuntimeClass() == pViewClass)
        return nullptr;
    if (!pOld)
        pOld = pOldPane;

    CCreateContext context;
    context.m_pNewViewClass = pViewClass;
    if (pOld->IsKindOf(RUNTIME_CLASS(CView))) {
        context.m_pCurrentDoc = static_cast<CView*>(pOld)->GetDocument();
        if (context.m_pCurrentDoc)
            context.m_pNewDocTemplate = context.m_pCurrentDoc->GetDocTemplate();
    }

    CObject* pObject = nullptr;
    try {
        pObject = pViewClass->CreateObject();
    } catch (...) {
        return nullptr;
    }
    auto* pView = dynamic_cast<CView*>(pObject);
    if (!pView) {
        delete pObject;
        return nullptr;
    }

    int cyCur = 0, cyMin = 0, cxCur = 0, cxMin = 0;
    GetRowInfo(nRow, cyCur, cyMin);
    GetColumnInfo(nCol, cxCur, cxMin);

    const UINT id = static_cast<UINT>(::GetDlgCtrlID(pOld->m_hWnd));
    // A view whose PreCreateWindow refuses is deleted here, before Create would hand it to its
    // own PostNcDestroy; after that only the creation watch tells who deletes it.
    CREATESTRUCTW probe = {};
    probe.style = WS_CHILD | WS_VISIBLE;
    probe.hwndParent = m_hWnd;
    probe.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id));
    probe.hInstance = ::GetModuleHandleW(nullptr);
    if (!pView->PreCreateWindow(probe)) {
        delete pView;
        return nullptr;
    }
    CreationWatch watch{m_hWnd, id, false};
    CreationWatch* savedWatch = t_watch;
    t_watch = &watch;
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, WatchCreation, nullptr, ::GetCurrentThreadId());
    const BOOL created = pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, id, &context);
    if (hook)
        ::UnhookWindowsHookEx(hook);
    t_watch = savedWatch;
    if (!created) {
        // Never made a window: nothing else will delete the object.
        if (hook && !watch.created)
            delete pView;
        return nullptr;
    }

    ::ShowWindow(pOld->m_hWnd, SW_HIDE);
    ::SetWindowLongPtrW(pOld->m_hWnd, GWLP_ID, 0);
    SetRowInfo(nRow, cyCur, cyMin);
    SetColumnInfo(nCol, cxCur, cxMin);
    RecalcLayout();
    pView->OnInitialUpdate();
    return pOld;
}
