// The two modal mouse loops of the drawing layer with real windows and real input: the splitter
// drag tracker and a windowless scroll bar in a test window. Both loops run on the test thread
// and block it, so a driver thread sends the input and waits on what the loop has done; the
// window answers probes (posted WM_APP) that the loops dispatch, and the scroll bar publishes its
// calls through atomics.

#include "framework/window/Wnd.h"
#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPScrollBase.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <vssym32.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using testsupport::kGuiTimeoutMs;
using testsupport::MouseButton;
using testsupport::MovePointerTo;
using testsupport::PressButton;

namespace {

constexpr UINT kProbe = WM_APP + 1;

void Key(WORD vk)
{
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = vk;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, inputs, sizeof(INPUT));
}

// Waits from another thread; polls every 10 ms up to the GUI limit.
bool WaitFromDriver(const std::function<bool()>& condition, DWORD timeoutMs = kGuiTimeoutMs)
{
    DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(10);
    }
    return true;
}

// ---- a host window ----

struct Host;
thread_local Host* t_host = nullptr;

struct Host {
    HWND hwnd = nullptr;
    std::function<void(HWND, UINT, WPARAM, LPARAM)> onMessage;
    std::atomic<int> probes{0};
    std::atomic<int> ownTicks{0};

    Host(int x, int y, int width, int height)
    {
        RegisterWndClass(nullptr, L"XTPDrawingGuiHost", CS_DBLCLKS, nullptr,
                         reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        WNDCLASSW wc = {};
        ::GetClassInfoW(::GetModuleHandleW(nullptr), L"XTPDrawingGuiHost", &wc);
        hwnd = ::CreateWindowExW(0, L"XTPDrawingGuiHost", L"drawing host", WS_POPUP | WS_VISIBLE, x, y, width,
                                 height, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        t_host = this;
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Host::Proc));
        ::UpdateWindow(hwnd);
    }
    ~Host()
    {
        ::DestroyWindow(hwnd);
        t_host = nullptr;
        testsupport::PumpPending();
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        Host* host = t_host;
        if (host && host->onMessage)
            host->onMessage(window, message, wParam, lParam);
        if (host && message == kProbe)
            ++host->probes;
        if (host && message == WM_TIMER && wParam == 1)
            ++host->ownTicks;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    POINT Screen(POINT client) const
    {
        ::ClientToScreen(hwnd, &client);
        return client;
    }
};

}    // namespace

// ---- drag tracker ----

namespace {

struct DragFixture : testing::Test {
    DragFixture() : host(100, 100, 400, 300), owner()
    {
        owner.Attach(host.hwnd);
        EXPECT_TRUE(testsupport::BringToForeground(host.hwnd));
        // The loop dispatches the probes: each answer shows the rectangle as the loop left it.
        host.onMessage = [this](HWND, UINT message, WPARAM, LPARAM) {
            if (message == kProbe) {
                seenLeft = trackRect.left;
                layered = tracker ? tracker->GetLayeredWindow() : nullptr;
            }
        };
    }
    ~DragFixture() override { owner.Detach(); }

    // Driver side: posts probes until the loop reports the left edge.
    bool WaitForLeft(int left)
    {
        return WaitFromDriver([&] {
            ::PostMessageW(host.hwnd, kProbe, 0, 0);
            return seenLeft.load() == left;
        });
    }

    Host host;
    CWnd owner;
    CRect trackRect;
    std::atomic<int> seenLeft{-1};
    std::atomic<HWND> layered{nullptr};
    CXTPSplitterDragTracker* tracker = nullptr;
};

using SplitterDragTracker = DragFixture;

}    // namespace

TEST_F(SplitterDragTracker, FollowsThePointerWithinTheBoundsAndEndsOnRelease)
{
    CXTPSplitterDragTracker dragger(TRUE, FALSE);
    tracker = &dragger;
    const POINT start = host.Screen({103, 150});
    trackRect = CRect(host.Screen({100, 0}), CSize(6, 300));
    const int boundsLeft = host.Screen({50, 0}).x, boundsRight = host.Screen({300, 0}).x;
    CRect bounds(boundsLeft, trackRect.top, boundsRight, trackRect.bottom);
    MovePointerTo(start);

    std::atomic<bool> steps[3] = {};
    std::atomic<bool> tracking{true};
    std::thread driver([&] {
        MovePointerTo({start.x + 47, start.y});    // the bar keeps its offset from the pointer: left = x - 3
        steps[0] = WaitForLeft(start.x + 47 - 3);
        MovePointerTo({start.x + 400, start.y});    // beyond the right bound: clamped
        steps[1] = WaitForLeft(boundsRight);
        // Beyond the left bound, yet over the host: a click that lands on another program's
        // window never reaches the loop.
        MovePointerTo(host.Screen({10, 150}));
        steps[2] = WaitForLeft(boundsLeft);
        // The buttons reach the loop's capture only while the host is in the foreground, which
        // a window of another test may have taken: the click is repeated until the loop ends.
        for (int attempt = 0; attempt < 5 && tracking; ++attempt) {
            ::SetForegroundWindow(host.hwnd);
            PressButton(MouseButton::Left, true);
            PressButton(MouseButton::Left, false);
            WaitFromDriver([&] { return !tracking; }, 10000);
        }
    });
    BOOL result = dragger.Track(&owner, bounds, trackRect, start, TRUE);
    tracking = false;
    driver.join();
    EXPECT_TRUE(steps[0]) << "moved with the pointer";
    EXPECT_TRUE(steps[1]) << "clamped at the right bound";
    EXPECT_TRUE(steps[2]) << "clamped at the left bound";
    EXPECT_TRUE(result);
    EXPECT_EQ(boundsLeft, trackRect.left);
    EXPECT_EQ(6, trackRect.Width());
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(SplitterDragTracker, EscapeCancelsAndLeftBoundWinsOverRight)
{
    CXTPSplitterDragTracker dragger(FALSE, FALSE);
    tracker = &dragger;
    const POINT start = host.Screen({103, 150});
    trackRect = CRect(host.Screen({100, 0}), CSize(6, 300));
    const int left = host.Screen({250, 0}).x, right = host.Screen({80, 0}).x;    // left > right
    CRect bounds(left, trackRect.top, right, trackRect.bottom);
    MovePointerTo(start);
    std::atomic<bool> clamped{false};
    std::thread driver([&] {
        MovePointerTo({start.x + 20, start.y});
        clamped = WaitForLeft(left);
        Key(VK_ESCAPE);
    });
    BOOL result = dragger.Track(&owner, bounds, trackRect, start, TRUE);
    driver.join();
    EXPECT_TRUE(clamped);
    EXPECT_FALSE(result);
    EXPECT_EQ(nullptr, ::GetCapture());
}

// A quit request during the drag used to be swallowed by the loop, so the program did not quit.
TEST_F(SplitterDragTracker, QuitDuringTheDragIsStillQueuedAfterwards)
{
    CXTPSplitterDragTracker dragger(TRUE, FALSE);
    tracker = &dragger;
    const POINT start = host.Screen({103, 150});
    trackRect = CRect(host.Screen({100, 0}), CSize(6, 300));
    CRect bounds(host.Screen({0, 0}).x, trackRect.top, host.Screen({400, 0}).x, trackRect.bottom);
    MovePointerTo(start);
    const DWORD thread = ::GetCurrentThreadId();
    std::thread driver([&] {
        MovePointerTo({start.x + 30, start.y});
        WaitForLeft(start.x + 27);
        ::PostThreadMessageW(thread, WM_QUIT, 7, 0);
    });
    BOOL result = dragger.Track(&owner, bounds, trackRect, start, TRUE);
    driver.join();
    EXPECT_FALSE(result);
    MSG msg = {};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_QUIT was swallowed";
    EXPECT_EQ(7u, msg.wParam);
}

TEST_F(SplitterDragTracker, ScreenModeShowsATranslucentLayeredWindow)
{
    CXTPSplitterDragTracker dragger(FALSE, TRUE);
    tracker = &dragger;
    const POINT start = host.Screen({103, 150});
    trackRect = CRect(host.Screen({100, 0}), CSize(6, 300));
    CRect bounds(host.Screen({0, 0}).x, trackRect.top, host.Screen({400, 0}).x, trackRect.bottom);
    MovePointerTo(start);
    std::atomic<LONG_PTR> exStyle{0};
    std::atomic<int> alpha{-1};
    std::atomic<bool> placed{false};
    std::thread driver([&] {
        MovePointerTo({start.x + 30, start.y});
        WaitForLeft(start.x + 27);
        HWND window = layered.load();
        if (window) {
            exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
            BYTE value = 0;
            DWORD flags = 0;
            if (::GetLayeredWindowAttributes(window, nullptr, &value, &flags) && (flags & LWA_ALPHA))
                alpha = value;
            RECT rect{};
            ::GetWindowRect(window, &rect);
            placed = rect.left == start.x + 27 && rect.right - rect.left == 6;
        }
        PressButton(MouseButton::Left, true);
        PressButton(MouseButton::Left, false);
    });
    BOOL result = dragger.Track(&owner, bounds, trackRect, start, TRUE);
    driver.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(0x80088, exStyle.load() & 0x80088);
    EXPECT_EQ(100, alpha.load());
    EXPECT_TRUE(placed);
    EXPECT_EQ(nullptr, dragger.GetLayeredWindow());
}

// ---- scroll bar in a test window ----

namespace {

class HostedBar : public CXTPScrollBase {
public:
    HostedBar(HWND window, CRect rect, BOOL vertical) : m_window(window), m_rect(rect)
    {
        m_spi.fVert = vertical;
        m_paint.m_cyVScroll = 17;
        m_paint.m_cxHScroll = 17;
        RecalcLayout();
    }
    BOOL IsScrollBarEnabled() const override { return TRUE; }
    CWnd* GetParentWindow() const override { return nullptr; }
    CRect GetScrollBarRect() override { return m_rect; }
    void GetScrollInfo(SCROLLINFO* info) override
    {
        *info = {sizeof(SCROLLINFO), SIF_ALL, 0, 99, 10, position.load(), 0};
    }
    void DoScroll(int command, int pos) override
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            calls.emplace_back(command, pos);
        }
        if (command == SB_LINEDOWN)
            ++lineDowns;
        if (command == SB_LINEDOWN)
            position = std::min(position.load() + 1, 90);
        if (command == SB_THUMBTRACK || command == SB_THUMBPOSITION)
            lastThumb = pos;
        if (command == SB_ENDSCROLL)
            ended = true;
        if (command != SB_THUMBTRACK)
            RecalcLayout();
    }
    void RedrawScrollBar() override
    {
        over = m_pSBTrack && m_pSBTrack->fHitOld;
        thumbTop = m_spi.pxThumbTop;
        ::InvalidateRect(m_window, nullptr, FALSE);
    }
    CXTPScrollBarPaintManager* GetScrollBarPaintManager() const override
    {
        return const_cast<CXTPScrollBarPaintManager*>(&m_paint);
    }

    std::atomic<int> position{0};
    std::atomic<int> lineDowns{0};
    std::atomic<int> lastThumb{-1};
    std::atomic<int> thumbTop{0};
    std::atomic<bool> over{false};
    std::atomic<bool> ended{false};
    std::mutex mutex;
    std::vector<std::pair<int, int>> calls;

private:
    HWND m_window;
    CRect m_rect;
    CXTPScrollBarPaintManager m_paint;
};

struct ScrollFixture : testing::Test {
    ScrollFixture() : host(100, 100, 300, 300), bar(host.hwnd, CRect(200, 20, 217, 220), TRUE)
    {
        host.onMessage = [this](HWND window, UINT message, WPARAM, LPARAM lParam) {
            if (message == WM_LBUTTONDOWN) {
                POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                bar.TrackMouse(point, window, &bar.GetGeometry());
                trackingDone = true;
            }
        };
        EXPECT_TRUE(testsupport::BringToForeground(host.hwnd));
        // A timer of our own at the repeat interval: the loop dispatches it, so its ticks
        // measure time passing without a fixed sleep.
        ::SetTimer(host.hwnd, 1, ::GetDoubleClickTime() / 10, nullptr);
    }
    ~ScrollFixture() override { ::KillTimer(host.hwnd, 1); }

    bool WaitOwnTicks(int count)
    {
        int target = host.ownTicks + count;
        return WaitFromDriver([&] { return host.ownTicks.load() >= target; });
    }

    Host host;
    HostedBar bar;
    std::atomic<bool> trackingDone{false};
};

using ScrollBarGui = ScrollFixture;

}    // namespace

TEST_F(ScrollBarGui, HoldingAnArrowRepeatsAndLeavingItStops)
{
    const POINT arrow = host.Screen({208, 210});    // the second arrow: 203..220 of the client
    const POINT away = host.Screen({100, 150});
    MovePointerTo(arrow);
    ASSERT_TRUE(testsupport::PumpUntil([&] {
        POINT at{};
        return ::GetCursorPos(&at) && at.x == arrow.x && at.y == arrow.y;
    }));
    std::atomic<bool> repeated{false}, stopped{false}, resumed{false};
    std::atomic<int> whileAway{0}, afterLeaving{0};
    std::thread driver([&] {
        PressButton(MouseButton::Left, true);
        repeated = WaitFromDriver([&] { return bar.lineDowns.load() >= 4; });
        MovePointerTo(away);
        stopped = WaitFromDriver([&] { return !bar.over.load(); });
        afterLeaving = bar.lineDowns.load();
        WaitOwnTicks(8);    // eight repeat intervals away from the arrow
        whileAway = bar.lineDowns.load() - afterLeaving;
        int before = bar.lineDowns.load();
        MovePointerTo(arrow);
        resumed = WaitFromDriver([&] { return bar.lineDowns.load() >= before + 3; });
        PressButton(MouseButton::Left, false);
    });
    EXPECT_TRUE(testsupport::PumpUntil([&] { return trackingDone.load(); }, 2 * kGuiTimeoutMs));
    driver.join();
    EXPECT_TRUE(repeated) << "line-down calls while held: " << bar.lineDowns;
    EXPECT_TRUE(stopped);
    EXPECT_LE(whileAway.load(), 1) << "the repeat went on away from the arrow";
    EXPECT_TRUE(resumed);
    ASSERT_FALSE(bar.calls.empty());
    EXPECT_EQ(SB_LINEDOWN, bar.calls.front().first);
    EXPECT_EQ(SB_ENDSCROLL, bar.calls.back().first);
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(0, CXTPScrollBase::GetTrackingDepth());
}

TEST_F(ScrollBarGui, ThumbDraggedFarSidewaysSnapsBack)
{
    bar.position = 20;
    bar.RecalcLayout();
    const SCROLLBARPOSINFO& g = bar.GetGeometry();
    const int startTop = g.pxThumbTop;
    const POINT grip = host.Screen({208, startTop + 5});
    const POINT along = host.Screen({208, startTop + 45});
    const POINT sideways = host.Screen({217 + 9 * 17, startTop + 45});    // nine breadths out
    MovePointerTo(grip);
    ASSERT_TRUE(testsupport::PumpUntil([&] {
        POINT at{};
        return ::GetCursorPos(&at) && at.x == grip.x && at.y == grip.y;
    }));
    std::atomic<bool> followed{false}, snapped{false};
    std::thread driver([&] {
        PressButton(MouseButton::Left, true);
        WaitFromDriver([&] { return bar.lastThumb.load() == 20; });    // the drag began
        MovePointerTo(along);
        followed = WaitFromDriver([&] { return bar.thumbTop.load() == startTop + 40; });
        MovePointerTo(sideways);
        snapped = WaitFromDriver([&] { return bar.thumbTop.load() == startTop && bar.lastThumb.load() == 20; });
        PressButton(MouseButton::Left, false);
    });
    EXPECT_TRUE(testsupport::PumpUntil([&] { return trackingDone.load(); }, 2 * kGuiTimeoutMs));
    driver.join();
    EXPECT_TRUE(followed) << "thumb top " << bar.thumbTop << ", started at " << startTop;
    EXPECT_TRUE(snapped) << "thumb top " << bar.thumbTop << ", last position " << bar.lastThumb;
    ASSERT_GE(bar.calls.size(), 2u);
    EXPECT_EQ(std::make_pair(int(SB_THUMBPOSITION), 20), bar.calls[bar.calls.size() - 2]);
    EXPECT_EQ(SB_ENDSCROLL, bar.calls.back().first);
}

// ---- looks, region by region ----

namespace {

struct Dib {
    Dib(int width, int height) : width(width)
    {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        dc.CreateCompatibleDC(nullptr);
        old = ::SelectObject(dc.GetSafeHdc(), bitmap);
        dc.FillSolidRect(0, 0, width, height, RGB(1, 2, 3));
    }
    ~Dib()
    {
        ::SelectObject(dc.GetSafeHdc(), old);
        ::DeleteObject(bitmap);
    }
    COLORREF At(int x, int y) const
    {
        ::GdiFlush();
        DWORD v = bits[y * width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    int width;
    HBITMAP bitmap;
    DWORD* bits = nullptr;
    HGDIOBJ old;
    CDC dc;
};

int DifferentPixels(const Dib& a, const Dib& b, const RECT& region)
{
    int count = 0;
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x)
            count += a.At(x, y) != b.At(x, y);
    return count;
}

}    // namespace

TEST(ScrollBarLooks, ClassicArrowsAreTheSystemsFrameControls)
{
    Host host(100, 100, 50, 50);
    HostedBar bar(host.hwnd, CRect(0, 0, 17, 100), TRUE);
    bar.SetScrollBarStyle(1);
    Dib drawn(17, 100), reference(17, 100);
    bar.GetScrollBarPaintManager()->DrawScrollBar(&drawn.dc, &bar);
    CRect up(0, 0, 17, 17), down(0, 83, 17, 100);
    reference.dc.DrawFrameControl(&up, DFC_SCROLL, DFCS_SCROLLUP);
    reference.dc.DrawFrameControl(&down, DFC_SCROLL, DFCS_SCROLLDOWN);
    EXPECT_EQ(0, DifferentPixels(drawn, reference, up));
    EXPECT_EQ(0, DifferentPixels(drawn, reference, down));
    // The thumb: face filled, raised edge.
    const SCROLLBARPOSINFO& g = bar.GetGeometry();
    CRect thumb(0, g.pxThumbTop, 17, g.pxThumbBottom);
    CRect edge = thumb;
    reference.dc.FillSolidRect(&thumb, GetColorManager()->GetColor(COLOR_BTNFACE));
    reference.dc.DrawEdge(&edge, EDGE_RAISED, BF_RECT | BF_ADJUST);
    EXPECT_EQ(0, DifferentPixels(drawn, reference, thumb));
    // The track is filled (no pixel keeps the background).
    EXPECT_NE(RGB(1, 2, 3), drawn.At(8, 17 + 2));
}

TEST(ScrollBarLooks, FlatArrowsAreFramedFaces)
{
    Host host(100, 100, 50, 50);
    HostedBar bar(host.hwnd, CRect(0, 0, 17, 100), TRUE);
    bar.SetScrollBarStyle(2);
    Dib drawn(17, 100);
    bar.GetScrollBarPaintManager()->DrawScrollBar(&drawn.dc, &bar);
    CXTPColorManager* colors = GetColorManager();
    EXPECT_EQ(colors->GetColor(COLOR_BTNHIGHLIGHT), drawn.At(0, 0));
    EXPECT_EQ(colors->GetColor(COLOR_BTNSHADOW), drawn.At(16, 16));
    EXPECT_EQ(colors->GetColor(COLOR_BTNFACE), drawn.At(2, 2));
    // The Marlett glyph puts black pixels inside the arrow.
    int black = 0;
    for (int y = 2; y < 15; ++y)
        for (int x = 2; x < 15; ++x)
            black += drawn.At(x, y) == RGB(0, 0, 0);
    EXPECT_GT(black, 4);
}

TEST(ScrollBarLooks, ThemedPartsAreTheVisualStylesParts)
{
    Host host(100, 100, 50, 50);
    HostedBar bar(host.hwnd, CRect(0, 0, 17, 100), TRUE);
    bar.SetScrollBarStyle(3);
    CXTPWinThemeWrapper theme;
    if (!theme.OpenThemeData(nullptr, L"SCROLLBAR") || !theme.IsAppThemed())
        GTEST_SKIP() << "no visual style in this prefix";
    Dib drawn(17, 100), reference(17, 100);
    bar.GetScrollBarPaintManager()->DrawScrollBar(&drawn.dc, &bar);
    CRect up(0, 0, 17, 17), down(0, 83, 17, 100);
    theme.DrawThemeBackground(reference.dc.GetSafeHdc(), SBP_ARROWBTN, ABS_UPNORMAL, &up, nullptr);
    theme.DrawThemeBackground(reference.dc.GetSafeHdc(), SBP_ARROWBTN, ABS_DOWNNORMAL, &down, nullptr);
    const SCROLLBARPOSINFO& g = bar.GetGeometry();
    CRect thumb(0, g.pxThumbTop, 17, g.pxThumbBottom);
    theme.DrawThemeBackground(reference.dc.GetSafeHdc(), SBP_THUMBBTNVERT, SCRBS_NORMAL, &thumb, nullptr);
    if (g.cpxThumb > 13)
        theme.DrawThemeBackground(reference.dc.GetSafeHdc(), SBP_GRIPPERVERT, SCRBS_NORMAL, &thumb, nullptr);
    EXPECT_EQ(0, DifferentPixels(drawn, reference, up));
    EXPECT_EQ(0, DifferentPixels(drawn, reference, down));
    EXPECT_EQ(0, DifferentPixels(drawn, reference, thumb));
}

// ---- the paint-context buffer and the active-window test ----

TEST(BufferPaintDC, CopiesOnlyThePaintRectangle)
{
    Host host(100, 100, 200, 150);
    CWnd wnd;
    wnd.Attach(host.hwnd);
    ASSERT_TRUE(testsupport::BringToForeground(host.hwnd));
    ::UpdateWindow(host.hwnd);
    std::atomic<int> painted{0};
    host.onMessage = [&](HWND, UINT message, WPARAM, LPARAM) {
        if (message != WM_PAINT)
            return;
        CPaintDC paint(&wnd);
        CXTPBufferDC buffer(paint);
        // Everything is painted red; only the paint rectangle may reach the window.
        buffer.FillSolidRect(0, 0, 200, 150, RGB(255, 0, 0));
        ++painted;
    };
    RECT part = {10, 10, 60, 40};
    ::InvalidateRect(host.hwnd, &part, TRUE);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return painted.load() > 0; }));
    testsupport::RgbImage image = testsupport::CaptureClient(host.hwnd);
    ASSERT_FALSE(image.IsEmpty());
    EXPECT_TRUE(testsupport::RegionIs(image, part, RGB(255, 0, 0)));
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    EXPECT_TRUE(testsupport::RegionIs(image, RECT{0, 0, 200, 10}, window));
    EXPECT_TRUE(testsupport::RegionIs(image, RECT{60, 10, 200, 40}, window));
    EXPECT_TRUE(testsupport::RegionIs(image, RECT{0, 40, 200, 150}, window));
    host.onMessage = nullptr;
    wnd.Detach();
}

TEST(TopLevelWindowActive, FollowsTheForegroundWindow)
{
    Host host(100, 100, 200, 150);
    ASSERT_TRUE(testsupport::BringToForeground(host.hwnd));
    HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, host.hwnd, nullptr,
                                   nullptr, nullptr);
    EXPECT_TRUE(IsTopLevelWindowActive(host.hwnd));
    EXPECT_TRUE(IsTopLevelWindowActive(child));
    Host other(400, 100, 100, 100);
    ASSERT_TRUE(testsupport::BringToForeground(other.hwnd));
    EXPECT_FALSE(IsTopLevelWindowActive(child));
    EXPECT_FALSE(IsTopLevelWindowActive(nullptr));
}
