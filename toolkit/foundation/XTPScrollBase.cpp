// Windowless scroll bars. The tracking loop follows the behaviour of Windows' own scroll bars:
// a press on an arrow or the track scrolls once, waits 4/5 of the double-click time, then
// repeats every tenth of it while the pointer stays on the part; a dragged thumb that strays
// far from the bar (8 breadths across, 2 thumb sizes along) snaps back to where it started.
// The loop runs on the user-interface thread and keeps a thread-wide depth count.

#include "toolkit/foundation/XTPScrollBase.h"

#include "framework/window/Wnd.h"
#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPPaintManagerLink.h"

#include <vssym32.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

thread_local int t_trackingDepth = 0;

constexpr UINT kNoCommand = static_cast<UINT>(-1);

}    // namespace

void TabRowIndex::Free(TabRowIndex& record)
{
    delete[] record.items;
    record.items = nullptr;
}

// ---- geometry ----

CXTPScrollBase::CXTPScrollBase()
{
    std::memset(&m_spi, 0, sizeof(m_spi));
    m_spi.fVert = TRUE;
}

CXTPScrollBase::~CXTPScrollBase()
{
    TabRowIndex::Free(m_ticks);
    delete m_pSBTrack;
}

int CXTPScrollBase::GetTrackingDepth()
{
    return t_trackingDepth;
}

void CXTPScrollBase::SetTicks(const double* ticks, int count)
{
    TabRowIndex::Free(m_ticks);
    m_ticks.count = 0;
    if (ticks && count > 0) {
        m_ticks.items = new double[count];
        std::copy(ticks, ticks + count, m_ticks.items);
        m_ticks.count = count;
    }
}

void CXTPScrollBase::RecalcLayout()
{
    CRect rect = GetScrollBarRect();
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(&info);
    CalcScrollBarInfo(&rect, &m_spi, &info);
}

void CXTPScrollBase::CalcScrollBarInfo(LPCRECT rect, SCROLLBARPOSINFO* geometry, SCROLLINFO* info)
{
    CXTPScrollBarPaintManager* paint = GetScrollBarPaintManager();
    geometry->rc = *rect;
    geometry->pxPopup = 0;
    int arrow;
    if (geometry->fVert) {
        geometry->pxTop = rect->top;
        geometry->pxBottom = rect->bottom;
        geometry->pxLeft = rect->left;
        geometry->pxRight = rect->right;
        arrow = paint ? paint->m_cyVScroll : ::GetSystemMetrics(SM_CYVSCROLL);
    } else {
        geometry->pxTop = rect->left;
        geometry->pxBottom = rect->right;
        geometry->pxLeft = rect->top;
        geometry->pxRight = rect->bottom;
        arrow = paint ? paint->m_cxHScroll : ::GetSystemMetrics(SM_CXHSCROLL);
    }
    const int fullArrow = arrow;
    const int length = geometry->pxBottom - geometry->pxTop;
    arrow = std::min(arrow, length / 2);

    geometry->posMin = info->nMin;
    geometry->posMax = info->nMax;
    int range = info->nMax - info->nMin + 1;
    // A page larger than the range is taken as the range, as Windows' scroll bars do: otherwise
    // range - page turns negative below and the thumb lands outside the track.
    int page = static_cast<int>(info->nPage);
    if (range > 0 && page > range)
        page = range;
    geometry->page = page;
    geometry->pos = std::clamp(info->nPos, info->nMin, std::max(info->nMin, info->nMax));

    geometry->pxUpArrow = geometry->pxTop + arrow;
    geometry->pxDownArrow = geometry->pxBottom - arrow;

    int thumb = fullArrow;
    if (page && range) {
        thumb = ::MulDiv(geometry->pxDownArrow - geometry->pxUpArrow, page, range);
        thumb = std::max(thumb, fullArrow / 2);
    }
    if (paint && paint->m_nThumbWidth > 0)
        thumb = paint->m_nThumbWidth;
    geometry->cpxThumb = thumb;

    geometry->pxMin = geometry->pxUpArrow;
    geometry->cpx = geometry->pxBottom - arrow - geometry->pxMin - thumb;

    const int effectivePage = page ? page : 1;
    if (range == effectivePage)
        geometry->pxThumbTop = geometry->pxMin - 1;
    else
        geometry->pxThumbTop = geometry->pxMin + ::MulDiv(geometry->pos - geometry->posMin, geometry->cpx,
                                                          range - page);
    geometry->pxThumbBottom = geometry->pxThumbTop + thumb;
}

int CXTPScrollBase::HitTest(POINT point) const
{
    if (!::PtInRect(&m_spi.rc, point))
        return XTP_HTSCROLLNONE;
    int p = Along(point);
    if (p < m_spi.pxUpArrow)
        return XTP_HTSCROLLUP;
    if (m_spi.pxPopup > 0 && p > m_spi.pxPopup)
        return XTP_HTSCROLLPOPUP;
    if (p >= m_spi.pxDownArrow)
        return XTP_HTSCROLLDOWN;
    if (p < m_spi.pxThumbTop)
        return XTP_HTSCROLLUPPAGE;
    if (p < m_spi.pxThumbBottom)
        return XTP_HTSCROLLTHUMB;
    return XTP_HTSCROLLDOWNPAGE;
}

int CXTPScrollBase::PositionFromPixel(int pixel) const
{
    if (pixel < m_spi.pxMin)
        return m_spi.posMin;
    if (pixel >= m_spi.pxMin + m_spi.cpx) {
        return m_spi.page ? m_spi.posMax - m_spi.page + 1 : m_spi.posMax;
    }
    if (m_spi.cpx == 0)
        return m_spi.posMin - 1;
    int travel = m_spi.posMax - m_spi.posMin - (m_spi.page ? m_spi.page - 1 : 0);
    return m_spi.posMin + ::MulDiv(travel, pixel - m_spi.pxMin, m_spi.cpx);
}

CRect CXTPScrollBase::CalcThumbTrackLimitRect(const SCROLLBARTRACKINFO& track) const
{
    const SCROLLBARPOSINFO& g = track.pSBInfo ? *track.pSBInfo : m_spi;
    int breadth = g.pxRight - g.pxLeft;
    if (g.fVert) {
        int t = ::GetSystemMetrics(SM_CYVTHUMB);
        return CRect(g.pxLeft - 8 * breadth, g.pxTop - 2 * t, g.pxRight + 8 * breadth, g.pxBottom + 2 * t);
    }
    int t = ::GetSystemMetrics(SM_CXHTHUMB);
    return CRect(g.pxTop - 2 * t, g.pxLeft - 8 * breadth, g.pxBottom + 2 * t, g.pxRight + 8 * breadth);
}

int CXTPScrollBase::GetScrollBarStyle() const
{
    if (m_nScrollBarStyle != 0)
        return m_nScrollBarStyle;
    CXTPScrollBarPaintManager* paint = GetScrollBarPaintManager();
    int theme = paint ? paint->GetOwner()->GetThemeNumber() : GetGlobalPaintThemeNumber();
    if (theme == 0)
        return 2;
    if (theme == 5 || theme == 6)
        return 5;
    return 3;
}

CRect CXTPScrollBase::PartRect(int ht) const
{
    // In the bar's own frame: along from a to b, across the whole breadth.
    auto make = [this](int a, int b) {
        return m_spi.fVert ? CRect(m_spi.pxLeft, a, m_spi.pxRight, b) : CRect(a, m_spi.pxLeft, b, m_spi.pxRight);
    };
    switch (ht) {
    case XTP_HTSCROLLUP:
        return make(m_spi.pxTop, m_spi.pxUpArrow);
    case XTP_HTSCROLLDOWN:
        return make(m_spi.pxDownArrow, m_spi.pxBottom);
    case XTP_HTSCROLLUPPAGE:
        return make(m_spi.pxUpArrow, m_spi.pxThumbTop);
    case XTP_HTSCROLLDOWNPAGE:
        return make(m_spi.pxThumbBottom, m_spi.pxDownArrow);
    case XTP_HTSCROLLTHUMB:
        return make(m_spi.pxThumbTop, m_spi.pxThumbBottom);
    default:
        return CRect();
    }
}

// ---- tracking ----

void CXTPScrollBase::TrackMouse(POINT point, HWND window, SCROLLBARPOSINFO* geometry, BOOL jump)
{
    if (m_pSBTrack || !geometry)
        return;
    int ht = HitTest(point);
    if (ht == XTP_HTSCROLLNONE || ht == XTP_HTSCROLLPOPUP)
        return;
    geometry->ht = ht;

    auto* track = new SCROLLBARTRACKINFO{};
    track->cmdSB = kNoCommand;
    track->hWndTrack = window;
    track->pSBInfo = geometry;
    track->rcTrack = PartRect(ht);
    switch (ht) {
    case XTP_HTSCROLLUP:
        track->cmdSB = SB_LINEUP;
        break;
    case XTP_HTSCROLLDOWN:
        track->cmdSB = SB_LINEDOWN;
        break;
    case XTP_HTSCROLLUPPAGE:
        track->cmdSB = SB_PAGEUP;
        break;
    case XTP_HTSCROLLDOWNPAGE:
        track->cmdSB = SB_PAGEDOWN;
        break;
    default:
        break;
    }
    BOOL thumb = ht == XTP_HTSCROLLTHUMB;
    if (jump && (ht == XTP_HTSCROLLUPPAGE || ht == XTP_HTSCROLLDOWNPAGE)) {
        thumb = TRUE;
        track->cmdSB = kNoCommand;
        geometry->ht = XTP_HTSCROLLTHUMB;
    }
    if (thumb) {
        if (geometry->cpxThumb >= geometry->pxDownArrow - geometry->pxUpArrow) {
            delete track;    // a thumb as long as the track cannot be dragged
            return;
        }
        track->bTrackThumb = TRUE;
        geometry->pxStart = geometry->pxThumbTop;
        track->posOld = track->posNew = geometry->pos;
        track->pxOld = geometry->pxThumbTop;
        track->dpxThumb = jump && ht != XTP_HTSCROLLTHUMB ? -geometry->cpxThumb / 2 : geometry->pxThumbTop - Along(point);
        track->rcTrack = CalcThumbTrackLimitRect(*track);
    }
    m_pSBTrack = track;
    if (thumb)
        DoScroll(SB_THUMBTRACK, geometry->pos);

    ::SetCapture(window);
    ++t_trackingDepth;

    if (thumb)
        ThumbHandler(WM_LBUTTONDOWN, point);
    else
        PartHandler(WM_LBUTTONDOWN, point);

    MSG msg = {};
    while (m_pSBTrack && ::GetCapture() == window) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1 || !::IsWindow(window))
            break;
        if (msg.message == WM_TIMER && msg.hwnd == window && msg.wParam == XTP_TID_SCROLLREPEAT) {
            OnRepeatTimer();
        } else if (msg.message == WM_TIMER && msg.hwnd == window && msg.wParam == XTP_TID_SCROLLANIMATION) {
            OnAnimationTick();
        } else if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSEWHEEL) {
            POINT client = {static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
            if (msg.hwnd != window)
                ::MapWindowPoints(msg.hwnd, window, &client, 1);
            if (m_pSBTrack->bTrackThumb)
                ThumbHandler(msg.message, client);
            else
                PartHandler(msg.message, client);
        } else {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (m_pSBTrack)
        EndTracking(FALSE);
    --t_trackingDepth;

    if (::IsWindow(window)) {
        ::KillTimer(window, XTP_TID_SCROLLREPEAT);
        POINT cursor = {};
        ::GetCursorPos(&cursor);
        ::ScreenToClient(window, &cursor);
        m_spi.ht = HitTest(cursor);
        RedrawScrollBar();
    }
    while (m_bAnimation && ::IsWindow(window)) {
        if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_TIMER && msg.hwnd == window && msg.wParam == XTP_TID_SCROLLANIMATION) {
            OnAnimationTick();
        } else {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

void CXTPScrollBase::PartHandler(UINT message, POINT point)
{
    SCROLLBARTRACKINFO* track = m_pSBTrack;
    if (!track)
        return;
    // The page parts end at the thumb, which moves as the page scrolls.
    if (track->cmdSB == SB_PAGEUP)
        track->rcTrack = PartRect(XTP_HTSCROLLUPPAGE);
    else if (track->cmdSB == SB_PAGEDOWN)
        track->rcTrack = PartRect(XTP_HTSCROLLDOWNPAGE);

    BOOL over = ::PtInRect(&track->rcTrack, point);
    BOOL cameBack = over && !track->fHitOld;
    if (over != track->fHitOld) {
        track->fHitOld = over;
        RedrawScrollBar();
    }
    UINT doubleClick = ::GetDoubleClickTime();
    if (message == WM_MOUSEMOVE)
        m_nRepeatInterval = doubleClick / 10;
    else if (message == WM_LBUTTONDOWN)
        m_nRepeatInterval = doubleClick * 4 / 5;
    else if (message == WM_LBUTTONUP) {
        EndTracking(FALSE);
        return;
    } else
        return;
    if (cameBack) {
        track->hTimerSB = ::SetTimer(track->hWndTrack, XTP_TID_SCROLLREPEAT, m_nRepeatInterval, nullptr);
        DoScroll(static_cast<int>(track->cmdSB), 0);
    }
}

void CXTPScrollBase::OnRepeatTimer()
{
    SCROLLBARTRACKINFO* track = m_pSBTrack;
    if (!track || track->bTrackThumb)
        return;
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(track->hWndTrack, &cursor);
    if (track->cmdSB == SB_PAGEUP)
        track->rcTrack = PartRect(XTP_HTSCROLLUPPAGE);
    else if (track->cmdSB == SB_PAGEDOWN)
        track->rcTrack = PartRect(XTP_HTSCROLLDOWNPAGE);
    BOOL over = ::PtInRect(&track->rcTrack, cursor);
    if (over != track->fHitOld) {
        track->fHitOld = over;
        RedrawScrollBar();
    }
    if (over) {
        m_nRepeatInterval = ::GetDoubleClickTime() / 10;
        track->hTimerSB = ::SetTimer(track->hWndTrack, XTP_TID_SCROLLREPEAT, m_nRepeatInterval, nullptr);
        DoScroll(static_cast<int>(track->cmdSB), 0);
    }
}

void CXTPScrollBase::ThumbHandler(UINT message, POINT point)
{
    SCROLLBARTRACKINFO* track = m_pSBTrack;
    if (!track || message < WM_MOUSEFIRST || message > WM_MOUSEWHEEL)
        return;
    CXTPScrollBarPaintManager* paint = GetScrollBarPaintManager();
    BOOL slider = paint && paint->m_nThumbWidth > 0;
    SCROLLBARPOSINFO& g = *track->pSBInfo;
    int pixel;
    if (slider || ::PtInRect(&track->rcTrack, point))
        pixel = std::clamp(Along(point) + track->dpxThumb, g.pxMin, g.pxMin + g.cpx);
    else
        pixel = g.pxStart;    // strayed too far: back to where the drag began
    MoveThumb(pixel);
    if (message == WM_LBUTTONUP || !(::GetKeyState(VK_LBUTTON) & 0x8000))
        EndTracking(FALSE);
}

void CXTPScrollBase::MoveThumb(int pixel)
{
    SCROLLBARTRACKINFO* track = m_pSBTrack;
    SCROLLBARPOSINFO& g = *track->pSBInfo;
    if (pixel == track->pxOld)
        return;
    int position = PositionFromPixel(pixel);
    if (position != track->posNew) {
        DoScroll(SB_THUMBTRACK, position);
        track->posNew = position;
    }
    track->pxOld = pixel;
    g.pxThumbTop = pixel;
    g.pxThumbBottom = pixel + g.cpxThumb;
    RedrawScrollBar();
}

void CXTPScrollBase::EndTracking(BOOL cancel)
{
    SCROLLBARTRACKINFO* track = m_pSBTrack;
    if (!track)
        return;
    UINT command = track->cmdSB;
    track->cmdSB = kNoCommand;
    HWND window = track->hWndTrack;
    BOOL thumb = track->bTrackThumb;
    int position = cancel ? track->posOld : track->posNew;
    m_pSBTrack = nullptr;
    if (::GetCapture() == window)
        ::ReleaseCapture();
    if (thumb) {
        DoScroll(SB_THUMBPOSITION, position);
        RedrawScrollBar();
    } else {
        ::KillTimer(window, XTP_TID_SCROLLREPEAT);
    }
    (void)command;
    delete track;
    DoScroll(SB_ENDSCROLL, 0);
}

// ---- paint managers ----

CXTPScrollBarPaintManager::CXTPScrollBarPaintManager(CXTPPaintManagerLink* owner)
    : m_pPaintManager(owner), m_themeScrollBar(std::make_unique<CXTPWinThemeWrapper>())
{
    CXTPScrollBarPaintManager::RefreshMetrics();
}

CXTPScrollBarPaintManager::~CXTPScrollBarPaintManager() = default;

CXTPPaintManagerLink* CXTPScrollBarPaintManager::GetOwner() const
{
    return m_pPaintManager ? m_pPaintManager : GetGlobalPaintManagerLink();
}

void CXTPScrollBarPaintManager::RefreshMetrics()
{
    m_cxHScroll = ::GetSystemMetrics(SM_CXHSCROLL);
    m_cyHScroll = ::GetSystemMetrics(SM_CYHSCROLL);
    m_cyVScroll = ::GetSystemMetrics(SM_CYVSCROLL);
    m_cxVScroll = ::GetSystemMetrics(SM_CXVSCROLL);
    m_themeScrollBar->OpenThemeData(nullptr, L"SCROLLBAR");
}

namespace {

struct BarParts {
    CRect arrowUp, arrowDown, track, trackBefore, thumb, trackAfter;
};

BarParts ComputeParts(const SCROLLBARPOSINFO& g, BOOL enabled)
{
    BarParts parts;
    auto make = [&g](int a, int b) {
        return g.fVert ? CRect(g.pxLeft, a, g.pxRight, b) : CRect(a, g.pxLeft, b, g.pxRight);
    };
    parts.arrowUp = make(g.pxTop, g.pxUpArrow);
    parts.arrowDown = make(g.pxDownArrow, g.pxBottom);
    parts.track = make(g.pxUpArrow, g.pxDownArrow);
    if (enabled) {
        parts.trackBefore = make(g.pxUpArrow, g.pxThumbTop);
        parts.thumb = make(g.pxThumbTop, g.pxThumbBottom);
        parts.trackAfter = make(g.pxThumbBottom, g.pxDownArrow);
    } else {
        parts.trackBefore = parts.track;
    }
    return parts;
}

void DrawFlatArrow(CDC* dc, const CRect& rect, const wchar_t* glyph, BOOL pressed, BOOL enabled)
{
    CXTPColorManager* colors = GetColorManager();
    dc->FillSolidRect(&rect, colors->GetColor(COLOR_BTNFACE));
    if (pressed)
        dc->Draw3dRect(&rect, colors->GetColor(COLOR_BTNSHADOW), colors->GetColor(COLOR_BTNHIGHLIGHT));
    else
        dc->Draw3dRect(&rect, colors->GetColor(COLOR_BTNHIGHLIGHT), colors->GetColor(COLOR_BTNSHADOW));
    int height = std::min(rect.Width(), rect.Height()) - 4;
    if (height < 6)
        return;
    CFont font;
    LOGFONTW lf = {};
    lf.lfHeight = height;
    lf.lfCharSet = SYMBOL_CHARSET;
    wcscpy(lf.lfFaceName, L"MARLETT");
    font.CreateFontIndirect(&lf);
    CXTPFontDC fontDC(dc, &font);
    dc->SetBkMode(TRANSPARENT);
    COLORREF old = dc->SetTextColor(enabled ? RGB(0, 0, 0) : colors->GetColor(COLOR_BTNSHADOW));
    CRect text = rect;
    dc->DrawText(glyph, 1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    dc->SetTextColor(old);
}

}    // namespace

void CXTPScrollBarPaintManager::DrawScrollBar(CDC* dc, CXTPScrollBase* bar)
{
    const SCROLLBARPOSINFO& g = bar->GetGeometry();
    if (g.pxRight - g.pxLeft <= 0)
        return;
    const SCROLLBARTRACKINFO* track = bar->GetTrackInfo();
    int pressed = 0, hot = 0;
    if (track) {
        if (track->fHitOld || track->bTrackThumb)
            pressed = g.ht;
    } else {
        hot = g.ht;
    }
    BOOL enabled = g.posMax - g.page - g.posMin + 1 > 0 && bar->IsScrollBarEnabled();
    BarParts parts = ComputeParts(g, enabled);
    int style = bar->GetScrollBarStyle();

    if (style == 3 && m_themeScrollBar->IsAppThemed() && m_themeScrollBar->GetThemeHandle()) {
        auto state = [&](int ht) { return !enabled ? 4 : pressed == ht ? 3 : hot == ht ? 2 : 1; };
        int upBase = g.fVert ? 1 : 9, downBase = g.fVert ? 5 : 13;
        m_themeScrollBar->DrawThemeBackground(dc->GetSafeHdc(), SBP_ARROWBTN, upBase + state(XTP_HTSCROLLUP) - 1,
                                              &parts.arrowUp, nullptr);
        m_themeScrollBar->DrawThemeBackground(dc->GetSafeHdc(), SBP_ARROWBTN,
                                              downBase + state(XTP_HTSCROLLDOWN) - 1, &parts.arrowDown, nullptr);
        if (parts.track.IsRectEmpty())
            return;
        int before = g.fVert ? SBP_UPPERTRACKVERT : SBP_UPPERTRACKHORZ;
        int after = g.fVert ? SBP_LOWERTRACKVERT : SBP_LOWERTRACKHORZ;
        int thumbPart = g.fVert ? SBP_THUMBBTNVERT : SBP_THUMBBTNHORZ;
        int gripper = g.fVert ? SBP_GRIPPERVERT : SBP_GRIPPERHORZ;
        if (!parts.trackBefore.IsRectEmpty())
            m_themeScrollBar->DrawThemeBackground(dc->GetSafeHdc(), before, state(XTP_HTSCROLLUPPAGE),
                                                  &parts.trackBefore, nullptr);
        if (!parts.trackAfter.IsRectEmpty())
            m_themeScrollBar->DrawThemeBackground(dc->GetSafeHdc(), after, state(XTP_HTSCROLLDOWNPAGE),
                                                  &parts.trackAfter, nullptr);
        if (enabled && !parts.thumb.IsRectEmpty()) {
            m_themeScrollBar->DrawThemeBackground(dc->GetSafeHdc(), thumbPart, state(XTP_HTSCROLLTHUMB),
                                                  &parts.thumb, nullptr);
            if (g.cpxThumb > 13)
                m_themeScrollBar->DrawThemeBackground(dc->GetSafeHdc(), gripper, state(XTP_HTSCROLLTHUMB),
                                                      &parts.thumb, nullptr);
        }
        return;
    }

    if (style == 2) {
        DrawFlatArrow(dc, parts.arrowUp, g.fVert ? L"5" : L"3", pressed == XTP_HTSCROLLUP, enabled);
        DrawFlatArrow(dc, parts.arrowDown, g.fVert ? L"6" : L"4", pressed == XTP_HTSCROLLDOWN, enabled);
    } else {
        UINT inactive = enabled ? 0 : DFCS_INACTIVE;
        CRect up = parts.arrowUp, down = parts.arrowDown;
        dc->DrawFrameControl(&up, DFC_SCROLL,
                             (g.fVert ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) |
                                 (pressed == XTP_HTSCROLLUP ? DFCS_PUSHED : 0) | inactive);
        dc->DrawFrameControl(&down, DFC_SCROLL,
                             (g.fVert ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) |
                                 (pressed == XTP_HTSCROLLDOWN ? DFCS_PUSHED : 0) | inactive);
    }

    CWnd* parent = bar->GetParentWindow();
    HWND parentWnd = parent ? parent->GetSafeHwnd() : nullptr;
    HBRUSH brush = reinterpret_cast<HBRUSH>(::DefWindowProcW(parentWnd, WM_CTLCOLORSCROLLBAR,
                                                             reinterpret_cast<WPARAM>(dc->GetSafeHdc()),
                                                             reinterpret_cast<LPARAM>(parentWnd)));
    if (!brush)
        brush = ::GetSysColorBrush(COLOR_SCROLLBAR);
    ::FillRect(dc->GetSafeHdc(), &parts.track, brush);
    if (pressed == XTP_HTSCROLLUPPAGE && !parts.trackBefore.IsRectEmpty())
        dc->InvertRect(&parts.trackBefore);
    if (enabled && !parts.thumb.IsRectEmpty()) {
        CXTPColorManager* colors = GetColorManager();
        CRect thumb = parts.thumb;
        dc->FillSolidRect(&thumb, colors->GetColor(COLOR_BTNFACE));
        if (style == 2)
            dc->Draw3dRect(&thumb, colors->GetColor(COLOR_BTNHIGHLIGHT), colors->GetColor(COLOR_BTNSHADOW));
        else
            dc->DrawEdge(&thumb, EDGE_RAISED, BF_RECT | BF_ADJUST);
    }
    if (pressed == XTP_HTSCROLLDOWNPAGE && !parts.trackAfter.IsRectEmpty())
        dc->InvertRect(&parts.trackAfter);
}

// ---- slider ----

CXTPSliderPaintManager::CXTPSliderPaintManager(CXTPPaintManagerLink* owner) : CXTPScrollBarPaintManager(owner)
{
    CXTPSliderPaintManager::RefreshMetrics();
}

void CXTPSliderPaintManager::RefreshMetrics()
{
    CXTPScrollBarPaintManager::RefreshMetrics();
    m_cxHScroll = 16;
    m_cyHScroll = 16;
    m_nThumbWidth = 11;
}

int CXTPSliderPaintManager::TickPosition(const SCROLLBARPOSINFO& g, double value)
{
    int left = g.pxUpArrow + 6, right = g.pxDownArrow - 6;
    int width = right - left;
    if (g.posMax <= g.posMin || width <= 0)
        return -1;
    int x = left + static_cast<int>(width * (value - g.posMin) / (g.posMax - g.posMin));
    return x < left || x > right ? -1 : x;
}

void CXTPSliderPaintManager::DrawScrollBar(CDC* dc, CXTPScrollBase* bar)
{
    const SCROLLBARPOSINFO& g = bar->GetGeometry();
    if (g.fVert)
        return;
    CXTPColorManager* colors = GetColorManager();
    const COLORREF face = colors->GetColor(COLOR_BTNFACE), shadow = colors->GetColor(COLOR_BTNSHADOW),
                   highlight = colors->GetColor(COLOR_BTNHIGHLIGHT);
    const SCROLLBARTRACKINFO* track = bar->GetTrackInfo();
    int pressed = 0, hot = 0;
    if (track) {
        if (track->fHitOld || track->bTrackThumb)
            pressed = g.ht;
    } else {
        hot = g.ht;
    }
    BOOL enabled = g.posMax - g.page - g.posMin + 1 > 0 && bar->IsScrollBarEnabled();

    // Channel.
    int mid = (g.rc.top + g.rc.bottom - 2) / 2;
    dc->FillSolidRect(g.pxUpArrow, mid, g.pxDownArrow - g.pxUpArrow, 1, shadow);
    dc->FillSolidRect(g.pxUpArrow, mid + 1, g.pxDownArrow - g.pxUpArrow, 1, highlight);

    // Ticks: a shadow line of 4, a gap, a line of 2, and a highlight line of 7 beside them.
    auto drawTick = [&](int x) {
        int top = mid + 1 - 3;
        dc->FillSolidRect(x, top, 1, 4, shadow);
        dc->FillSolidRect(x, top + 5, 1, 2, shadow);
        dc->FillSolidRect(x + 1, top, 1, 7, highlight);
    };
    const TabRowIndex& ticks = bar->GetTicks();
    if (ticks.count > 0 && g.posMin < g.posMax) {
        for (int i = 0; i < ticks.count; ++i) {
            int x = TickPosition(g, ticks.items[i]);
            if (x >= 0)
                drawTick(x);
        }
    } else {
        drawTick((g.pxUpArrow + g.pxDownArrow) / 2);
    }

    // Buttons.
    auto drawButton = [&](int left, int right, int ht, BOOL plus) {
        int size = std::min<int>(right - left, g.rc.bottom - g.rc.top);
        CRect circle(left, mid + 1 - size / 2, left + size, mid + 1 - size / 2 + size);
        COLORREF fill = hot == ht ? highlight : face;
        DrawSmoothCircle(dc, &circle, shadow, fill);
        if (pressed != ht) {
            CRect inner = circle;
            inner.DeflateRect(1, 1);
            DrawSmoothCircle(dc, &inner, highlight, fill);
        }
        CPoint centre((circle.left + circle.right) / 2, (circle.top + circle.bottom) / 2);
        dc->FillSolidRect(centre.x - 4, centre.y - 1, 8, 2, RGB(0, 0, 0));
        if (plus)
            dc->FillSolidRect(centre.x - 1, centre.y - 4, 2, 8, RGB(0, 0, 0));
    };
    drawButton(g.pxTop, g.pxUpArrow, XTP_HTSCROLLUP, FALSE);
    drawButton(g.pxDownArrow, g.pxBottom, XTP_HTSCROLLDOWN, TRUE);

    // Thumb: a pointer 8 wide and 13 high centred on the thumb.
    if (enabled) {
        int x = (g.pxThumbTop + g.pxThumbBottom) / 2 - 4;
        int y = mid + 1 - 13 / 2;
        POINT shape[5] = {{x, y}, {x + 8, y}, {x + 8, y + 9}, {x + 4, y + 13}, {x, y + 9}};
        COLORREF fill = hot == XTP_HTSCROLLTHUMB ? highlight : face;
        {
            CXTPPenDC pen(dc->GetSafeHdc(), fill);
            CXTPBrushDC brush(dc->GetSafeHdc(), fill);
            dc->Polygon(shape, 5);
        }
        {
            CXTPPenDC pen(dc->GetSafeHdc(), shadow);
            dc->Polyline(shape, 5);
            dc->MoveTo(shape[4]);
            dc->LineTo(shape[0]);
        }
        if (pressed != XTP_HTSCROLLTHUMB) {
            POINT inner[5] = {{x + 1, y + 1}, {x + 7, y + 1}, {x + 7, y + 9}, {x + 4, y + 12}, {x + 1, y + 9}};
            CXTPPenDC pen(dc->GetSafeHdc(), highlight);
            dc->Polyline(inner, 5);
        }
    }
}
