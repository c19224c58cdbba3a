// A scroll viewer 100 high over taller content in a real host window, driven by real input: the
// wheel, clicks on the arrows and the track, an arrow held down (its repeat and its pause off the
// arrow), a thumb dragged out of its tracking rectangle and back, and a document released while the
// bar tracks the mouse.
//
// While the button is held the test thread sits in the bar's tracking loop, so the input of those
// cases comes from a helper thread that waits on the offsets the host window records.

#include "MarkupDocumentSupport.h"
#include "MarkupHostWindow.h"
#include "MarkupScrollViewerSupport.h"

#include "tests/support/DibCanvas.h"
#include "tests/support/GuiSupport.h"
#include "toolkit/foundation/XTPWinThemeWrapper.h"
#include "toolkit/markup/XTPMarkupDecorator.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <vssym32.h>

using namespace markuptests;
using namespace testsupport;

namespace {

constexpr UINT kReleaseDocument = WM_APP + 1;   // the host lets its document go
constexpr UINT kReloadDocument = WM_APP + 2;    // the host parses a new document in its place

// What the host saw: each new vertical offset with the time it appeared.
struct OffsetLog {
    struct Entry {
        ULONGLONG ms;
        int offset;
    };
    std::mutex lock;
    std::vector<Entry> entries;
    std::atomic<int> invalidations{0};
    int last = 0;

    size_t Count()
    {
        std::lock_guard<std::mutex> guard(lock);
        return entries.size();
    }
    Entry At(size_t index)
    {
        std::lock_guard<std::mutex> guard(lock);
        return entries[index];
    }
    int Last()
    {
        std::lock_guard<std::mutex> guard(lock);
        return last;
    }
};

OffsetLog* g_log = nullptr;
WNDPROC g_hostProc = nullptr;
CXTPMarkupContext* g_context = nullptr;
const wchar_t* g_reloadText = nullptr;

ULONGLONG NowMs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<ULONGLONG>(count.QuadPart * 1000 / frequency.QuadPart);
}

LRESULT CALLBACK RecordingHostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kReleaseDocument) {
        ReleaseMarkupElement(&g_markupHost.root);
        return 0;
    }
    if (message == kReloadDocument) {
        ReleaseMarkupElement(&g_markupHost.root);
        g_markupHost.root = ParseMarkupText(g_context, g_reloadText);
        return 0;
    }
    const LRESULT result = CallWindowProcW(g_hostProc, hwnd, message, wParam, lParam);
    if (message == XTP_MARKUP_WM_INVALIDATED && g_log) {
        ++g_log->invalidations;
        if (CXTPMarkupScrollViewer* viewer = MarkupDynamicCast<CXTPMarkupScrollViewer>(g_markupHost.root)) {
            const int offset = viewer->GetScrollOffset(CXTPMarkupScrollViewer::kVertical);
            std::lock_guard<std::mutex> guard(g_log->lock);
            if (offset != g_log->last) {
                g_log->last = offset;
                g_log->entries.push_back({NowMs(), offset});
            }
        }
    }
    return result;
}

// Waits on the helper thread (no message loop there) until condition holds; false on time-out.
template <class Condition>
bool WaitOn(Condition condition, DWORD timeoutMs = kGuiTimeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(5);
    }
    return true;
}

// Whether the window shows, at rc (client coordinates), the visual style's scroll arrow in the
// state given, drawn over the host's grey fill.
bool ShowsArrow(HWND window, const RECT& rc, int state)
{
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    testsupport::DibCanvas expected(width, height);
    const RECT all = {0, 0, width, height};
    FillRect(expected.DC(), &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    CXTPWinThemeWrapper theme;
    theme.OpenThemeData(nullptr, L"SCROLLBAR");
    theme.DrawThemeBackground(expected.DC(), SBP_ARROWBTN, state, &all, nullptr);
    const RgbImage shown = CaptureClient(window);
    if (shown.IsEmpty() || shown.width < rc.right || shown.height < rc.bottom)
        return false;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (shown.At(rc.left + x, rc.top + y) != expected.At(x, y))
                return false;
    return true;
}

bool Wheel(int delta)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
    input.mi.mouseData = static_cast<DWORD>(delta);
    return SendInput(1, &input, sizeof(input)) == 1;
}

class MarkupScrollViewerWindowTest : public MarkupTest {
protected:
    static constexpr int kWidth = 120;
    static constexpr int kHeight = 100;

    void SetUp() override
    {
        m_hWnd = CreateMarkupHost(kWidth, kHeight, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        ASSERT_NE(nullptr, m_hWnd);
        MarkupTest::SetUp();
        m_pContext = CreateMarkupContext(m_hWnd);
        g_context = m_pContext;
        g_log = &m_log;
        g_hostProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingHostProc)));
    }
    void TearDown() override
    {
        ReleaseMarkupElement(&g_markupHost.root);
        ReleaseMarkupContext(&m_pContext);
        DestroyWindow(m_hWnd);
        g_log = nullptr;
        g_context = nullptr;
        MarkupTest::TearDown();
    }

    // Shows a viewer over content of the given height and parks the pointer over the content.
    void Show(int contentHeight)
    {
        const std::wstring text = L"<ScrollViewer><Border Height='" + std::to_wstring(contentHeight) +
                                  L"' Background='White'/></ScrollViewer>";
        g_markupHost.root = ParseMarkupText(m_pContext, text.c_str());
        ASSERT_NE(nullptr, g_markupHost.root);
        ASSERT_TRUE(BringToForeground(m_hWnd));
        InvalidateRect(m_hWnd, nullptr, FALSE);
        ASSERT_TRUE(PumpUntil([] { return g_markupHost.paints > 0; }));
        ASSERT_NE(nullptr, Bar());
        ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{40, 50}));
        ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Viewer()->GetContent(); }));
    }

    CXTPMarkupScrollViewer* Viewer() const { return MarkupDynamicCast<CXTPMarkupScrollViewer>(g_markupHost.root); }
    CXTPMarkupScrollBar* Bar() const { return Viewer()->GetVerticalScrollBar(); }
    int Offset() const { return Viewer()->GetScrollOffset(CXTPMarkupScrollViewer::kVertical); }
    // A point of the bar (bar coordinates along its axis) in screen coordinates.
    POINT OnBar(int along) const
    {
        const RECT rc = Bar()->GetFinalRect();
        POINT point = {(rc.left + rc.right) / 2, rc.top + along};
        ClientToScreen(m_hWnd, &point);
        return point;
    }
    bool ClickBar(int along, int expected)
    {
        return ClickAt(OnBar(along)) &&
               PumpUntil([&] { return Offset() == expected && CXTPMarkupScrollBar::GetTrackingDepth() == 0; });
    }

    HWND m_hWnd = nullptr;
    CXTPMarkupContext* m_pContext = nullptr;
    OffsetLog m_log;
};

TEST_F(MarkupScrollViewerWindowTest, WheelArrowsAndTrackScrollByTheirStepsWithinTheRange)
{
    Show(300);
    // The wheel: 48 a message, never past 200.
    const int wheel[] = {48, 96, 144, 192, 200};
    for (int expected : wheel) {
        ASSERT_TRUE(Wheel(-WHEEL_DELTA));
        ASSERT_TRUE(PumpUntil([&] { return Offset() == expected; })) << "wheel to " << expected << ", at " << Offset();
    }
    ASSERT_TRUE(Wheel(WHEEL_DELTA));
    ASSERT_TRUE(PumpUntil([&] { return Offset() == 152; }));
    ASSERT_TRUE(Wheel(2 * WHEEL_DELTA));    // one message, one step
    ASSERT_TRUE(PumpUntil([&] { return Offset() == 104; }));
    ASSERT_TRUE(Wheel(WHEEL_DELTA));
    ASSERT_TRUE(Wheel(WHEEL_DELTA));
    ASSERT_TRUE(Wheel(WHEEL_DELTA));
    ASSERT_TRUE(PumpUntil([&] { return Offset() == 0; }));

    const SCROLLBARPOSINFO& g = Bar()->GetGeometry();
    // Arrows: 16 a click, not below 0.
    ASSERT_TRUE(ClickBar(g.pxUpArrow / 2, 0));
    ASSERT_TRUE(ClickBar(g.pxBottom - 3, 16)) << Offset();
    ASSERT_TRUE(ClickBar(g.pxBottom - 3, 32)) << Offset();
    ASSERT_TRUE(ClickBar(2, 16)) << Offset();
    // The track after the thumb: a page (100) a click, never past 200.
    ASSERT_TRUE(ClickBar(g.pxDownArrow - 2, 116)) << Offset();
    ASSERT_TRUE(ClickBar(g.pxDownArrow - 2, 200)) << Offset();
    ASSERT_TRUE(ClickBar(g.pxBottom - 3, 200)) << Offset();
    // The track before the thumb pages back.
    ASSERT_TRUE(ClickBar(g.pxUpArrow + 1, 100)) << Offset();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(nullptr, m_pContext->GetCapturedElement());
    for (size_t i = 0; i < m_log.Count(); ++i) {
        EXPECT_GE(m_log.At(i).offset, 0);
        EXPECT_LE(m_log.At(i).offset, 200);
    }
}

TEST_F(MarkupScrollViewerWindowTest, HeldArrowRepeatsAfterADelayThenFastAndPausesOffTheArrow)
{
    // Tall content, so the repeat cannot run into the end while the test watches it.
    Show(3000);
    const UINT doubleClick = GetDoubleClickTime();
    const POINT arrow = OnBar(Bar()->GetGeometry().pxBottom - 4);
    const RECT bar = Bar()->GetFinalRect();
    const RECT arrowRect = {bar.left, bar.top + Bar()->GetGeometry().pxDownArrow, bar.right,
                            bar.top + Bar()->GetGeometry().pxBottom};
    POINT away = {40, 50};
    ClientToScreen(m_hWnd, &away);

    ASSERT_TRUE(MovePointerTo(arrow));
    std::atomic<bool> done{false};
    std::vector<std::string> failures;
    ULONGLONG firstDelay = 0;
    std::vector<ULONGLONG> intervals;
    size_t pausedAt = 0;
    size_t afterPause = 0;
    std::thread helper([&] {
        auto fail = [&](const char* what) {
            failures.push_back(what);
            PressButton(MouseButton::Left, false);
            done = true;
        };
        if (!WaitOn([&] { return m_log.Count() >= 1; }))
            return fail("the press did not scroll at once");
        if (!WaitOn([&] { return m_log.Count() >= 2; }))
            return fail("the held arrow did not repeat");
        firstDelay = m_log.At(1).ms - m_log.At(0).ms;
        if (!WaitOn([&] { return m_log.Count() >= 6; }))
            return fail("the repeat did not go on");
        for (size_t i = 2; i < 6; ++i)
            intervals.push_back(m_log.At(i).ms - m_log.At(i - 1).ms);
        // The held arrow is drawn pressed, and plain once the pointer has left it.
        if (!WaitOn([&] { return ShowsArrow(m_hWnd, arrowRect, ABS_DOWNPRESSED); }))
            return fail("the held arrow was not drawn pressed");
        if (!MovePointerTo(away))
            return fail("the pointer did not move off the arrow");
        // A step already on its way may still land; then the offsets must rest.
        const size_t moved = m_log.Count();
        WaitOn([&] { return m_log.Count() > moved + 1; }, 4 * doubleClick / 10);
        pausedAt = m_log.Count();
        if (WaitOn([&] { return m_log.Count() > pausedAt; }, 8 * doubleClick / 10))
            return fail("the repeat went on off the arrow");
        if (!WaitOn([&] { return ShowsArrow(m_hWnd, arrowRect, ABS_DOWNNORMAL); }))
            return fail("the arrow stayed pressed off it");
        if (!MovePointerTo(arrow))
            return fail("the pointer did not come back");
        if (!WaitOn([&] { return m_log.Count() >= pausedAt + 2; }))
            return fail("the repeat did not resume on the arrow");
        afterPause = m_log.Count();
        PressButton(MouseButton::Left, false);
        done = true;
    });

    EXPECT_TRUE(PressButton(MouseButton::Left, true));
    const bool finished =
        PumpUntil([&] { return done.load() && CXTPMarkupScrollBar::GetTrackingDepth() == 0; }, 60000);
    if (!finished)
        PressButton(MouseButton::Left, false);
    helper.join();
    ASSERT_TRUE(finished);
    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;
    ASSERT_TRUE(failures.empty());

    EXPECT_EQ(16, m_log.At(0).offset);
    for (size_t i = 1; i < m_log.Count(); ++i)
        EXPECT_EQ(16, m_log.At(i).offset - m_log.At(i - 1).offset) << "step " << i;
    // 4/5 of the double-click time first (timers may be late, never much early), then a tenth.
    EXPECT_GE(firstDelay, doubleClick * 4 / 5 - 60);
    EXPECT_LT(firstDelay, 5000u);
    std::vector<ULONGLONG> sorted = intervals;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_LT(sorted[sorted.size() / 2], doubleClick * 4 / 5 - 60) << "the repeat after the first is faster";
    EXPECT_GE(sorted[0], 20u);
    EXPECT_GT(afterPause, pausedAt);
}

TEST_F(MarkupScrollViewerWindowTest, ThumbDraggedOutsideItsTrackingRectangleReturnsAndFollowsAgain)
{
    Show(300);
    const SCROLLBARPOSINFO g = Bar()->GetGeometry();
    const int grab = g.pxThumbTop + (g.pxThumbBottom - g.pxThumbTop) / 2;
    const int moveBy = g.cpx / 2;
    const int expected = Bar()->PositionFromPixel(g.pxThumbTop + moveBy);
    ASSERT_GT(expected, 0);
    const POINT start = OnBar(grab);
    const POINT inside = OnBar(grab + moveBy);
    // Far below the bar: past the tracking rectangle (the bar plus two thumb lengths).
    const POINT outside = OnBar(g.pxBottom + 2 * GetSystemMetrics(SM_CYVTHUMB) + 60);

    // Over the thumb first, so the hot part's repaint is over before the drag's are counted.
    ASSERT_TRUE(MovePointerTo(start));
    ASSERT_TRUE(PumpUntil([this] { return Bar()->GetGeometry().ht == CXTPMarkupScrollBar::partThumb; }));
    m_log.invalidations = 0;

    std::atomic<bool> done{false};
    std::vector<std::string> failures;
    std::thread helper([&] {
        auto fail = [&](const char* what) {
            failures.push_back(std::string(what) + " (offset " + std::to_string(m_log.Last()) + ", expected " +
                               std::to_string(expected) + ")");
            PressButton(MouseButton::Left, false);
            done = true;
        };
        if (!WaitOn([&] { return m_log.invalidations.load() > 0; }))
            return fail("the drag did not start");
        if (!MovePointerTo(inside) || !WaitOn([&] { return m_log.Last() == expected; }))
            return fail("the offset did not follow the thumb");
        if (!MovePointerTo(outside) || !WaitOn([&] { return m_log.Last() == 0; }))
            return fail("the thumb did not return to where the drag began");
        if (!MovePointerTo(inside) || !WaitOn([&] { return m_log.Last() == expected; }))
            return fail("the thumb did not follow again");
        PressButton(MouseButton::Left, false);
        done = true;
    });

    EXPECT_TRUE(PressButton(MouseButton::Left, true));
    const bool finished =
        PumpUntil([&] { return done.load() && CXTPMarkupScrollBar::GetTrackingDepth() == 0; }, 60000);
    if (!finished)
        PressButton(MouseButton::Left, false);
    helper.join();
    ASSERT_TRUE(finished);
    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;
    EXPECT_EQ(expected, Offset());
    EXPECT_EQ(nullptr, m_pContext->GetCapturedElement());
    // The thumb sits where the position puts it once the drag is over.
    const ExpectedGeometry e = ExpectGeometry(g.pxUpArrow, g.pxBottom, 0, 299, 100, expected);
    EXPECT_EQ(e.thumbStart, Bar()->GetGeometry().pxThumbTop);
}

TEST_F(MarkupScrollViewerWindowTest, ReloadingTheDocumentDuringATrackEndsTheLoop)
{
    Show(300);
    g_reloadText = L"<Border Background='White'/>";
    const POINT arrow = OnBar(Bar()->GetGeometry().pxBottom - 4);
    ASSERT_TRUE(MovePointerTo(arrow));

    std::atomic<bool> loopEnded{false};
    std::atomic<bool> done{false};
    std::vector<std::string> failures;
    std::thread helper([&] {
        if (!WaitOn([&] { return m_log.Count() >= 1; })) {
            failures.push_back("the press did not scroll");
        } else {
            PostMessageW(m_hWnd, kReloadDocument, 0, 0);
            if (!WaitOn([&] { return loopEnded.load(); }))
                failures.push_back("the loop went on after the reload");
        }
        PressButton(MouseButton::Left, false);
        done = true;
    });
    EXPECT_TRUE(PressButton(MouseButton::Left, true));
    const bool finished = PumpUntil([&] {
        if (m_log.Count() >= 1 && CXTPMarkupScrollBar::GetTrackingDepth() == 0)
            loopEnded = true;
        return done.load();
    }, 60000);
    if (!finished)
        PressButton(MouseButton::Left, false);
    helper.join();
    ASSERT_TRUE(finished);
    for (const std::string& failure : failures)
        ADD_FAILURE() << failure;
    EXPECT_EQ(0, CXTPMarkupScrollBar::GetTrackingDepth());
    EXPECT_EQ(nullptr, m_pContext->GetCapturedElement());
    EXPECT_NE(nullptr, MarkupDynamicCast<CXTPMarkupBorder>(g_markupHost.root));
    // The old document is gone once the press that started the loop has unwound (the fixture
    // checks that no markup object outlives the test).
}

TEST_F(MarkupScrollViewerWindowTest, DocumentReleasedUnderARunningLoopIsNeverTouchedAfterwards)
{
    Show(300);
    // The press reaches the bar directly, with nothing else holding the document: a message the
    // loop dispatches then releases the host's only reference.
    CXTPMarkupScrollBar* bar = Bar();
    const LONG liveBefore = CXTPMarkupObject::GetLiveObjectCount();
    PostMessageW(m_hWnd, kReleaseDocument, 0, 0);
    const RECT rc = bar->GetFinalRect();
    const int x = rc.left + 3;
    const int y = rc.top + bar->GetGeometry().pxBottom - 3;
    CXTPMarkupMouseButtonEventArgs press(CXTPMarkupInputElement::m_pMouseLeftButtonDownEvent, bar, m_hWnd, x, y);
    bar->OnMouseLeftButtonDown(&press);    // returns once the loop has ended
    EXPECT_TRUE(press.IsHandled());
    EXPECT_EQ(nullptr, g_markupHost.root);
    EXPECT_EQ(0, CXTPMarkupScrollBar::GetTrackingDepth());
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_LT(CXTPMarkupObject::GetLiveObjectCount(), liveBefore);
}

} // namespace
