#include "toolkit/markup/XTPMarkupScrollBar.h"

#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupScrollViewer.h"

#include <algorithm>
#include <vssym32.h>

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupScrollBar, CXTPMarkupControl, &CreateMarkupObject<CXTPMarkupScrollBar>,
                      nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupScrollBarGripper, CXTPMarkupUIElement,
                      &CreateMarkupObject<CXTPMarkupScrollBarGripper>, nullptr)

namespace {

thread_local int t_trackingDepth = 0;

// The toolkit computes the thumb's tracking limits from a geometry record; a bar of its own kind
// is needed to ask, and the record it reads is the one handed in the tracking state.
class CThumbLimits : public CXTPScrollBase {
public:
    BOOL IsScrollBarEnabled() const override { return TRUE; }
    CWnd* GetParentWindow() const override { return nullptr; }
    CRect GetScrollBarRect() override { return CRect(); }
    void GetScrollInfo(SCROLLINFO*) override {}
    void DoScroll(int, int) override {}
    void RedrawScrollBar() override {}
    CXTPScrollBarPaintManager* GetScrollBarPaintManager() const override { return nullptr; }
};

RECT ThumbTrackLimits(const SCROLLBARTRACKINFO& track)
{
    CThumbLimits limits;
    const CRect rc = limits.CalcThumbTrackLimitRect(track);
    return RECT{rc.left, rc.top, rc.right, rc.bottom};
}

int ThemeState(int part, BOOL scrollable, int hot, int pressed)
{
    if (!scrollable)
        return 4;
    if (pressed == part)
        return 3;
    if (hot == part)
        return 2;
    return 1;
}

} // namespace

int CXTPMarkupScrollBar::GetTrackingDepth()
{
    return t_trackingDepth;
}

// ---- Layout and geometry

SIZE CXTPMarkupScrollBar::MeasureOverride(CXTPMarkupDrawingContext*, int, int)
{
    if (m_nOrientation == orientationVertical)
        return SIZE{GetSystemMetrics(SM_CXVSCROLL), 0};
    return SIZE{0, GetSystemMetrics(SM_CYHSCROLL)};
}

SIZE CXTPMarkupScrollBar::ArrangeOverride(int finalWidth, int finalHeight)
{
    CalcScrollBarInfo(RECT{0, 0, finalWidth, finalHeight});
    return SIZE{finalWidth, finalHeight};
}

void CXTPMarkupScrollBar::SetScrollInfo(const SCROLLINFO& info)
{
    if (info.nMax == m_scrollInfo.nMax && info.nPage == m_scrollInfo.nPage && info.nPos == m_scrollInfo.nPos)
        return;
    m_scrollInfo = info;
    m_bArrangeDirty = TRUE;
}

void CXTPMarkupScrollBar::CalcScrollBarInfo(const RECT& rect)
{
    SCROLLBARPOSINFO& g = m_spi;
    const BOOL vertical = m_nOrientation == orientationVertical;
    g.fVert = vertical;
    g.rc = rect;
    g.pxPopup = 0;
    int systemArrow;
    if (vertical) {
        g.pxTop = rect.top;
        g.pxBottom = rect.bottom;
        g.pxLeft = rect.left;
        g.pxRight = rect.right;
        systemArrow = GetSystemMetrics(SM_CYVSCROLL);
    } else {
        g.pxTop = rect.left;
        g.pxBottom = rect.right;
        g.pxLeft = rect.top;
        g.pxRight = rect.bottom;
        systemArrow = GetSystemMetrics(SM_CXHSCROLL);
    }
    const int length = g.pxBottom - g.pxTop;
    const int arrow = std::min(systemArrow, length / 2);
    g.cpxThumb = systemArrow;

    g.posMin = m_scrollInfo.nMin;
    g.posMax = m_scrollInfo.nMax;
    g.page = static_cast<int>(m_scrollInfo.nPage);
    g.pos = m_scrollInfo.nPos;

    g.pxUpArrow = g.pxTop + arrow;
    g.pxDownArrow = g.pxBottom - arrow;
    const int range = g.posMax + 1 - g.posMin;
    if (g.page != 0 && range != 0)
        g.cpxThumb = std::max(MulDiv(length - 2 * arrow, g.page, range), std::max(16, systemArrow / 2));
    g.pxMin = g.pxTop + arrow;
    g.cpx = g.pxBottom - g.pxTop - 2 * arrow - g.cpxThumb;

    const int page = g.page != 0 ? g.page : 1;
    if (range == page)
        g.pxThumbTop = g.pxMin;
    else
        g.pxThumbTop = g.pxMin + MulDiv(g.pos - g.posMin, g.cpx, range - page);
    g.pxThumbBottom = g.pxThumbTop + g.cpxThumb;
}

BOOL CXTPMarkupScrollBar::IsScrollable() const
{
    return m_spi.posMax - m_spi.page - m_spi.posMin >= 0;
}

int CXTPMarkupScrollBar::HitTest(POINT point) const
{
    if (!IsScrollable() || !PtInRect(&m_spi.rc, point))
        return partNone;
    const int along = Along(point);
    if (along < m_spi.pxUpArrow)
        return partFirstArrow;
    if (along >= m_spi.pxDownArrow)
        return partSecondArrow;
    if (along < m_spi.pxThumbTop)
        return partTrackBefore;
    if (along < m_spi.pxThumbBottom)
        return partThumb;
    return partTrackAfter;
}

int CXTPMarkupScrollBar::PositionFromPixel(int pixel) const
{
    const SCROLLBARPOSINFO& g = m_spi;
    if (pixel < g.pxMin)
        return g.posMin;
    if (pixel >= g.pxMin + g.cpx)
        return g.page != 0 ? g.posMax - g.page + 1 : g.posMax;
    if (g.cpx == 0)
        return -1;
    return g.posMin + MulDiv(g.posMax - g.posMin - (g.page != 0 ? g.page - 1 : 0), pixel - g.pxMin, g.cpx);
}

void CXTPMarkupScrollBar::DoScroll(int command, int position)
{
    if (CXTPMarkupScrollViewer* viewer = MarkupDynamicCast<CXTPMarkupScrollViewer>(GetLogicalParent()))
        viewer->Scroll(m_nOrientation == orientationVertical ? CXTPMarkupScrollViewer::kVertical
                                                             : CXTPMarkupScrollViewer::kHorizontal,
                       command, position);
}

RECT CXTPMarkupScrollBar::MakeRect(int from, int to) const
{
    if (m_spi.fVert)
        return RECT{m_spi.pxLeft, from, m_spi.pxRight, to};
    return RECT{from, m_spi.pxLeft, to, m_spi.pxRight};
}

// ---- Mouse

void CXTPMarkupScrollBar::OnMouseEnter(CXTPMarkupMouseEventArgs* args)
{
    CXTPMarkupControl::OnMouseEnter(args);
}

void CXTPMarkupScrollBar::OnMouseLeave(CXTPMarkupMouseEventArgs* args)
{
    if (m_spi.ht != partNone) {
        m_spi.ht = partNone;
        InvalidateVisual();
    }
    CXTPMarkupControl::OnMouseLeave(args);
}

void CXTPMarkupScrollBar::OnMouseMove(CXTPMarkupMouseEventArgs* args)
{
    const int hot = HitTest(args->GetPosition(this));
    if (hot != m_spi.ht) {
        m_spi.ht = hot;
        InvalidateVisual();
    }
    args->SetHandled();
}

void CXTPMarkupScrollBar::OnMouseLeftButtonUp(CXTPMarkupMouseButtonEventArgs*)
{
}

void CXTPMarkupScrollBar::OnMouseLeftButtonDown(CXTPMarkupMouseButtonEventArgs* args)
{
    args->SetHandled();
    if (IsScrollable())
        TrackMouse(args->m_hWnd, args->GetPosition(this), GetKeyState(VK_SHIFT) < 0);
}

POINT CXTPMarkupScrollBar::ToBar(HWND host, POINT screen) const
{
    ScreenToClient(host, &screen);
    const CXTPMarkupMouseEventArgs position(nullptr, nullptr, host, screen.x, screen.y);
    return position.GetPosition(const_cast<CXTPMarkupScrollBar*>(this));
}

void CXTPMarkupScrollBar::TrackMouse(HWND host, POINT point, BOOL shift)
{
    if (m_pSBTrack)
        return;
    // A message dispatched below may release the whole document (a host reloading its page): the
    // bar, its viewer and the context stay alive until the loop is done with them.
    CXTPMarkupContext* context = m_pMarkupContext;
    if (!context)
        return;
    AddRef();
    CXTPMarkupObject* owner = GetLogicalParent();
    if (owner)
        owner->AddRef();
    context->AddRef();

    auto* track = new SCROLLBARTRACKINFO{};
    track->cmdSB = static_cast<UINT>(-1);
    track->hWndTrack = host;
    track->pSBInfo = &m_spi;

    const int along = Along(point);
    BOOL thumb = FALSE;
    int hot = partNone;
    if (along < m_spi.pxUpArrow) {
        track->cmdSB = 0;
        hot = partFirstArrow;
        track->rcTrack = MakeRect(m_spi.pxTop, m_spi.pxUpArrow);
    } else if (along < m_spi.pxDownArrow) {
        if (along < m_spi.pxThumbTop) {
            track->cmdSB = 2;
            hot = partTrackBefore;
            track->rcTrack = MakeRect(m_spi.pxUpArrow, m_spi.pxThumbTop);
        } else if (along < m_spi.pxThumbBottom) {
            thumb = TRUE;
        } else {
            track->cmdSB = 3;
            hot = partTrackAfter;
            track->rcTrack = MakeRect(m_spi.pxThumbBottom, m_spi.pxDownArrow);
        }
        if (shift)
            thumb = TRUE;
    } else {
        track->cmdSB = 1;
        hot = partSecondArrow;
        track->rcTrack = MakeRect(m_spi.pxDownArrow, m_spi.pxBottom);
    }

    BOOL run = TRUE;
    if (thumb) {
        if (m_spi.cpx <= 0) {
            // The thumb fills the whole track: there is nowhere to drag it.
            run = FALSE;
        } else {
            track->cmdSB = 4;
            hot = partThumb;
            m_spi.pxStart = m_spi.pxThumbTop;
            track->pxOld = m_spi.pxThumbTop;
            track->posOld = track->posNew = m_spi.pos;
            track->dpxThumb = shift ? -m_spi.cpxThumb / 2 : m_spi.pxThumbTop - along;
            track->bTrackThumb = TRUE;
            track->rcTrack = ThumbTrackLimits(*track);
        }
    }

    if (run) {
        m_spi.ht = hot;
        m_pSBTrack = track;
        CaptureMouse();
        if (thumb)
            DoScroll(SB_THUMBTRACK, m_spi.pos);
        ++t_trackingDepth;

        if (m_pSBTrack) {
            if (thumb)
                DragStep(WM_LBUTTONDOWN, point);
            else
                RepeatStep(WM_LBUTTONDOWN, point);
        }

        MSG msg = {};
        while (m_pSBTrack && context->GetCapturedElement() == this) {
            // Only the loop's own reference left: the document let go of the bar or its viewer.
            if (GetRefCount() <= 1 || (owner && owner->GetRefCount() <= 1))
                break;
            if (!IsWindow(host))
                break;
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (got == -1)
                break;
            if (msg.message == WM_TIMER && msg.wParam == kRepeatTimerId && msg.hwnd == host) {
                TimerStep();
                continue;
            }
            if (msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSEWHEEL) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
                continue;
            }
            const POINT at = ToBar(host, msg.pt);
            if (m_pSBTrack->bTrackThumb)
                DragStep(msg.message, at);
            else
                RepeatStep(msg.message, at);
        }
        --t_trackingDepth;
    }

    const bool hostAlive = IsWindow(host) != FALSE;
    const bool detached = GetRefCount() <= 1 || (owner && owner->GetRefCount() <= 1);
    if (hostAlive)
        KillTimer(host, kRepeatTimerId);
    // Ended other than by the button (the host went, WM_QUIT, the document let go): the capture
    // must not outlive the loop.
    if (context->GetCapturedElement() == this)
        context->ReleaseMouseCapture();
    m_pSBTrack = nullptr;
    delete track;
    if (hostAlive && !detached) {
        POINT cursor = {};
        GetCursorPos(&cursor);
        m_spi.ht = HitTest(ToBar(host, cursor));
        InvalidateVisual();
    }

    context->Release();
    if (owner)
        owner->Release();
    Release();
}

void CXTPMarkupScrollBar::RepeatStep(UINT message, POINT point)
{
    SCROLLBARTRACKINFO* track = m_pSBTrack;
    // A page part ends at the thumb, which moves as the part repeats.
    if (track->cmdSB == 2) {
        (m_spi.fVert ? track->rcTrack.bottom : track->rcTrack.right) = m_spi.pxThumbTop;
    } else if (track->cmdSB == 3) {
        (m_spi.fVert ? track->rcTrack.top : track->rcTrack.left) = m_spi.pxThumbBottom;
    }
    const BOOL inside = PtInRect(&track->rcTrack, point);
    const BOOL wasInside = track->fHitOld;
    if (inside != wasInside) {
        track->fHitOld = inside;
        InvalidateVisual();
    }
    UINT delay = 0;
    switch (message) {
    case WM_LBUTTONDOWN:
        delay = GetDoubleClickTime() * 4 / 5;
        break;
    case WM_MOUSEMOVE:
        delay = GetDoubleClickTime() / 10;
        break;
    case WM_LBUTTONUP:
        EndTracking();
        return;
    default:
        return;
    }
    if (inside && !wasInside) {
        SetTimer(track->hWndTrack, kRepeatTimerId, delay, nullptr);
        DoScroll(static_cast<int>(track->cmdSB), 0);
    }
}

void CXTPMarkupScrollBar::TimerStep()
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    HWND host = m_pSBTrack->hWndTrack;
    RepeatStep(WM_TIMER, ToBar(host, cursor));
    if (m_pSBTrack && m_pSBTrack->fHitOld) {
        SetTimer(host, kRepeatTimerId, GetDoubleClickTime() / 10, nullptr);
        DoScroll(static_cast<int>(m_pSBTrack->cmdSB), 0);
    }
}

void CXTPMarkupScrollBar::DragStep(UINT message, POINT point)
{
    SCROLLBARTRACKINFO* track = m_pSBTrack;
    const BOOL inside = PtInRect(&track->rcTrack, point);
    const int pixel = inside ? std::clamp(Along(point) + track->dpxThumb, m_spi.pxMin, m_spi.pxMin + m_spi.cpx)
                             : m_spi.pxStart;
    if (pixel != track->pxOld) {
        // Back at the start the position is the one the drag began with, not a rounded one.
        const int position = inside ? PositionFromPixel(pixel) : track->posOld;
        if (position != track->posNew) {
            DoScroll(SB_THUMBTRACK, position);
            track->posNew = position;
        }
        track->pxOld = pixel;
    }
    m_spi.pxThumbTop = pixel;
    m_spi.pxThumbBottom = pixel + m_spi.cpxThumb;
    InvalidateVisual();
    if (message == WM_LBUTTONUP || GetKeyState(VK_LBUTTON) >= 0)
        EndTracking();
}

void CXTPMarkupScrollBar::EndTracking()
{
    SCROLLBARTRACKINFO* track = m_pSBTrack;
    ReleaseMouseCapture();
    if (track->bTrackThumb) {
        DoScroll(SB_THUMBPOSITION, track->posNew);
        InvalidateVisual();
    } else {
        KillTimer(track->hWndTrack, kRepeatTimerId);
    }
    DoScroll(SB_ENDSCROLL, 0);
}

// ---- Drawing

HBRUSH CXTPMarkupScrollBar::GetClassicTrackBrush(HDC dc)
{
    HWND desktop = GetDesktopWindow();
    DWORD_PTR answer = 0;
    // The desktop lives in another process: a hung one must not hang this paint.
    if (!SendMessageTimeoutW(desktop, WM_CTLCOLORSCROLLBAR, reinterpret_cast<WPARAM>(dc),
                             reinterpret_cast<LPARAM>(desktop), SMTO_ABORTIFHUNG, 1000, &answer))
        answer = 0;
    HBRUSH brush = reinterpret_cast<HBRUSH>(answer);
    if (!brush || GetObjectType(brush) != OBJ_BRUSH)
        brush = GetSysColorBrush(COLOR_SCROLLBAR);
    return brush;
}

void CXTPMarkupScrollBar::OnRender(CXTPMarkupDrawingContext* dc)
{
    if (!dc || m_spi.pxRight - m_spi.pxLeft <= 0)
        return;
    const SCROLLBARTRACKINFO* track = m_pSBTrack;
    const int pressed = track && (track->bTrackThumb || track->fHitOld) ? m_spi.ht : partNone;
    const int hot = track ? partNone : m_spi.ht;

    // First arrow, second arrow, track, part before the thumb, thumb, part after it.
    RECT parts[6] = {
        MakeRect(m_spi.pxTop, m_spi.pxUpArrow),     MakeRect(m_spi.pxDownArrow, m_spi.pxBottom),
        MakeRect(m_spi.pxUpArrow, m_spi.pxDownArrow), MakeRect(m_spi.pxUpArrow, m_spi.pxThumbTop),
        MakeRect(m_spi.pxThumbTop, m_spi.pxThumbBottom), MakeRect(m_spi.pxThumbBottom, m_spi.pxDownArrow),
    };
    if (!IsScrollable() || m_spi.pxThumbBottom > m_spi.pxDownArrow) {
        SetRectEmpty(&parts[3]);
        SetRectEmpty(&parts[4]);
        parts[5] = parts[2];
    }

    HDC hdc = dc->GetDC();
    if (!hdc)
        return;
    CXTPWinThemeWrapper theme;
    theme.OpenThemeData(nullptr, L"SCROLLBAR");
    if (theme.IsAppThemed())
        DrawThemed(hdc, theme, parts, hot, pressed);
    else
        DrawClassic(hdc, parts, pressed);
    dc->ReleaseDC(hdc);
}

void CXTPMarkupScrollBar::DrawThemed(HDC dc, CXTPWinThemeWrapper& theme, const RECT parts[6], int hot, int pressed)
{
    const BOOL vertical = m_spi.fVert;
    const BOOL scrollable = IsScrollable();
    auto arrowState = [&](int part, int first) {
        if (!scrollable)
            return first + 3;
        if (pressed == part)
            return first + 2;
        if (hot == part)
            return first + 1;
        return first;
    };
    theme.DrawThemeBackground(dc, SBP_ARROWBTN, arrowState(partFirstArrow, vertical ? ABS_UPNORMAL : ABS_LEFTNORMAL),
                              &parts[0], nullptr);
    theme.DrawThemeBackground(dc, SBP_ARROWBTN,
                              arrowState(partSecondArrow, vertical ? ABS_DOWNNORMAL : ABS_RIGHTNORMAL), &parts[1],
                              nullptr);
    if (IsRectEmpty(&parts[2]))
        return;
    if (!IsRectEmpty(&parts[3]))
        theme.DrawThemeBackground(dc, vertical ? SBP_UPPERTRACKVERT : SBP_LOWERTRACKHORZ,
                                  ThemeState(partTrackBefore, scrollable, hot, pressed), &parts[3], nullptr);
    if (!IsRectEmpty(&parts[4])) {
        const int state = ThemeState(partThumb, scrollable, hot, pressed);
        theme.DrawThemeBackground(dc, vertical ? SBP_THUMBBTNVERT : SBP_THUMBBTNHORZ, state, &parts[4], nullptr);
        const int length = vertical ? parts[4].bottom - parts[4].top : parts[4].right - parts[4].left;
        if (length > 13)
            theme.DrawThemeBackground(dc, vertical ? SBP_GRIPPERVERT : SBP_GRIPPERHORZ, state, &parts[4], nullptr);
    }
    if (!IsRectEmpty(&parts[5]))
        theme.DrawThemeBackground(dc, vertical ? SBP_LOWERTRACKVERT : SBP_UPPERTRACKHORZ,
                                  ThemeState(partTrackAfter, scrollable, hot, pressed), &parts[5], nullptr);
}

void CXTPMarkupScrollBar::DrawClassic(HDC dc, const RECT parts[6], int pressed)
{
    const BOOL vertical = m_spi.fVert;
    const UINT inactive = IsScrollable() ? 0 : DFCS_INACTIVE;
    RECT first = parts[0];
    RECT second = parts[1];
    DrawFrameControl(dc, &first, DFC_SCROLL,
                     (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | (pressed == partFirstArrow ? DFCS_PUSHED : 0) |
                         inactive);
    DrawFrameControl(dc, &second, DFC_SCROLL,
                     (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) |
                         (pressed == partSecondArrow ? DFCS_PUSHED : 0) | inactive);

    const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    const COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
    FillRect(dc, &parts[2], GetClassicTrackBrush(dc));
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);

    if (pressed == partTrackBefore && !IsRectEmpty(&parts[3]))
        InvertRect(dc, &parts[3]);
    else if (pressed == partTrackAfter && !IsRectEmpty(&parts[5]))
        InvertRect(dc, &parts[5]);

    if (!IsRectEmpty(&parts[2]) && !IsRectEmpty(&parts[4])) {
        RECT thumb = parts[4];
        FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_ADJUST);
    }
}

// ---- Gripper

void CXTPMarkupScrollBarGripper::ArrangeCore(const RECT& rect)
{
    m_szRenderSize = {std::max(rect.right, 0L), std::max(rect.bottom, 0L)};
}

CXTPMarkupInputElement* CXTPMarkupScrollBarGripper::InputHitTest(int x, int y) const
{
    const POINT point = {x, y};
    return PtInRect(&m_rcFinalRect, point) ? const_cast<CXTPMarkupScrollBarGripper*>(this) : nullptr;
}

void CXTPMarkupScrollBarGripper::OnRender(CXTPMarkupDrawingContext* dc)
{
    if (!dc)
        return;
    const RECT& rc = m_rcFinalRect;
    dc->FillSolidRect(rc.left, rc.top, rc.right, rc.bottom, GetSysColor(COLOR_BTNFACE));
}
