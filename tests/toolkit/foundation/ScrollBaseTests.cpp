// Scroll-bar geometry, hit testing, thumb positions, the slider's ticks, and the tracking paths
// that end at once (jump with no button held, a thumb too long to drag).

#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPPaintManagerLink.h"
#include "toolkit/foundation/XTPScrollBase.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class ThemeLink : public CXTPPaintManagerLink {
public:
    explicit ThemeLink(int theme) : m_theme(theme) {}
    int GetThemeNumber() const override { return m_theme; }
    int m_theme;
};

class TestBar : public CXTPScrollBase {
public:
    TestBar(CXTPScrollBarPaintManager* paint, CRect rect, BOOL vertical) : m_paint(paint), m_rect(rect)
    {
        m_spi.fVert = vertical;
    }
    void SetInfo(int min, int max, UINT page, int pos)
    {
        m_info = {sizeof(SCROLLINFO), SIF_ALL, min, max, page, pos, 0};
        RecalcLayout();
    }
    BOOL IsScrollBarEnabled() const override { return TRUE; }
    CWnd* GetParentWindow() const override { return nullptr; }
    CRect GetScrollBarRect() override { return m_rect; }
    void GetScrollInfo(SCROLLINFO* info) override { *info = m_info; }
    void DoScroll(int command, int position) override { calls.emplace_back(command, position); }
    void RedrawScrollBar() override {}
    CXTPScrollBarPaintManager* GetScrollBarPaintManager() const override { return m_paint; }

    std::vector<std::pair<int, int>> calls;

private:
    CXTPScrollBarPaintManager* m_paint;
    CRect m_rect;
    SCROLLINFO m_info = {};
};

// A plain paint manager with a 17-pixel arrow, whatever the system metrics.
struct Fixture : testing::Test {
    Fixture()
    {
        paint.m_cyVScroll = 17;
        paint.m_cxHScroll = 17;
    }
    CXTPScrollBarPaintManager paint;
};

using ScrollGeometry = Fixture;

}    // namespace

TEST_F(ScrollGeometry, TableOfThumbs)
{
    struct Case {
        const char* name;
        int min, max;
        UINT page;
        int pos;
        int thumb, thumbTop, freeTrack;
    } cases[] = {
        // 200 pixels, arrows of 17: 166 pixels between them.
        {"page covers the range", 0, 99, 100, 0, 166, 16, 0},
        {"page larger than the range", 0, 99, 150, 0, 166, 16, 0},
        {"proportional", 0, 99, 10, 45, 17, 17 + 75, 149},    // MulDiv(45, 149, 90) = 74.5, rounded
        {"thumb at least half an arrow", 0, 999, 1, 0, 8, 17, 158},
        {"no page: arrow-long thumb", 0, 99, 0, 99, 17, 17 + 148, 149},    // MulDiv(99, 149, 100)
        {"position clamped to the maximum", 0, 99, 0, 500, 17, 17 + 148, 149},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestBar bar(&paint, CRect(0, 0, 17, 200), TRUE);
        bar.SetInfo(c.min, c.max, c.page, c.pos);
        const SCROLLBARPOSINFO& g = bar.GetGeometry();
        EXPECT_EQ(17, g.pxUpArrow);
        EXPECT_EQ(183, g.pxDownArrow);
        EXPECT_EQ(c.thumb, g.cpxThumb);
        EXPECT_EQ(c.thumbTop, g.pxThumbTop);
        EXPECT_EQ(c.thumbTop + c.thumb, g.pxThumbBottom);
        EXPECT_EQ(c.freeTrack, g.cpx);
        // The thumb never leaves the track.
        EXPECT_GE(g.pxThumbTop, g.pxUpArrow - 1);
        EXPECT_LE(g.pxThumbBottom, g.pxDownArrow);
    }
}

TEST_F(ScrollGeometry, ShortBarHalvesTheArrows)
{
    TestBar bar(&paint, CRect(0, 0, 20, 17), FALSE);
    bar.SetInfo(0, 9, 5, 0);
    EXPECT_EQ(10, bar.GetGeometry().pxUpArrow);
    EXPECT_EQ(10, bar.GetGeometry().pxDownArrow);
}

TEST_F(ScrollGeometry, FixedThumbLengthOfTheSlider)
{
    CXTPSliderPaintManager slider;
    TestBar bar(&slider, CRect(0, 0, 200, 20), FALSE);
    bar.SetInfo(0, 200, 0, 100);
    const SCROLLBARPOSINFO& g = bar.GetGeometry();
    EXPECT_EQ(16, g.pxUpArrow);
    EXPECT_EQ(11, g.cpxThumb);
    EXPECT_EQ(157, g.cpx);
    EXPECT_EQ(16 + 78, g.pxThumbTop);    // MulDiv(100, 157, 201)
}

TEST_F(ScrollGeometry, HitTestAndPositions)
{
    TestBar bar(&paint, CRect(0, 0, 17, 200), TRUE);
    bar.SetInfo(0, 99, 10, 45);    // thumb 92..109
    struct Case {
        POINT point;
        int ht;
    } cases[] = {
        {{5, 0}, XTP_HTSCROLLUP},       {{5, 16}, XTP_HTSCROLLUP},        {{5, 17}, XTP_HTSCROLLUPPAGE},
        {{5, 91}, XTP_HTSCROLLUPPAGE},  {{5, 92}, XTP_HTSCROLLTHUMB},      {{5, 108}, XTP_HTSCROLLTHUMB},
        {{5, 109}, XTP_HTSCROLLDOWNPAGE}, {{5, 183}, XTP_HTSCROLLDOWN},   {{5, 199}, XTP_HTSCROLLDOWN},
        {{17, 50}, XTP_HTSCROLLNONE},   {{5, 200}, XTP_HTSCROLLNONE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.ht, bar.HitTest(c.point)) << "at y " << c.point.y << ", x " << c.point.x;

    EXPECT_EQ(0, bar.PositionFromPixel(10));
    EXPECT_EQ(0, bar.PositionFromPixel(17));
    EXPECT_EQ(45, bar.PositionFromPixel(17 + 75));    // MulDiv(90, 75, 149) = 45.3
    EXPECT_EQ(90, bar.PositionFromPixel(17 + 149));   // the end: maximum - page + 1
    EXPECT_EQ(90, bar.PositionFromPixel(300));
}

TEST_F(ScrollGeometry, ThumbTrackLimitRectangle)
{
    TestBar bar(&paint, CRect(0, 0, 17, 200), TRUE);
    bar.SetInfo(0, 99, 10, 0);
    SCROLLBARTRACKINFO track = {};
    track.pSBInfo = &bar.GetGeometry();
    int t = ::GetSystemMetrics(SM_CYVTHUMB);
    EXPECT_EQ(CRect(-8 * 17, -2 * t, 17 + 8 * 17, 200 + 2 * t), bar.CalcThumbTrackLimitRect(track));

    TestBar horizontal(&paint, CRect(0, 0, 200, 20), FALSE);
    horizontal.SetInfo(0, 99, 10, 0);
    track.pSBInfo = &horizontal.GetGeometry();
    int h = ::GetSystemMetrics(SM_CXHTHUMB);
    EXPECT_EQ(CRect(-2 * h, -8 * 20, 200 + 2 * h, 20 + 8 * 20), horizontal.CalcThumbTrackLimitRect(track));
}

TEST_F(ScrollGeometry, StyleFollowsTheOwningThemeUnlessSet)
{
    struct Case {
        int theme, style;
    } cases[] = {{0, 2}, {1, 3}, {2, 3}, {5, 5}, {6, 5}, {9, 3}};
    for (const Case& c : cases) {
        ThemeLink link(c.theme);
        CXTPScrollBarPaintManager owned(&link);
        TestBar bar(&owned, CRect(0, 0, 17, 100), TRUE);
        EXPECT_EQ(c.style, bar.GetScrollBarStyle()) << "theme " << c.theme;
    }
    // Without a command-bar paint manager the toolkit-wide stand-in answers theme 0.
    CXTPScrollBarPaintManager orphan;
    TestBar bar(&orphan, CRect(0, 0, 17, 100), TRUE);
    EXPECT_EQ(0, GetGlobalPaintThemeNumber());
    EXPECT_EQ(2, bar.GetScrollBarStyle());
    bar.SetScrollBarStyle(3);
    EXPECT_EQ(3, bar.GetScrollBarStyle());
}

namespace {

struct TrackWindow {
    TrackWindow()
    {
        hwnd = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
    }
    ~TrackWindow() { ::DestroyWindow(hwnd); }
    HWND hwnd;
};

}    // namespace

// With the jump flag a press on the track becomes a thumb drag centred on the pointer. No button
// is held here, so the drag ends at the first look: one move, then position and end.
TEST_F(ScrollGeometry, JumpCentresTheThumbOnThePress)
{
    TrackWindow window;
    TestBar bar(&paint, CRect(0, 0, 17, 200), TRUE);
    bar.SetInfo(0, 99, 10, 0);    // thumb 17..34
    POINT press = {5, 150};
    ASSERT_EQ(XTP_HTSCROLLDOWNPAGE, bar.HitTest(press));
    bar.TrackMouse(press, window.hwnd, &bar.GetGeometry(), TRUE);
    int expected = bar.PositionFromPixel(150 - 17 / 2);
    std::vector<std::pair<int, int>> calls = {
        {SB_THUMBTRACK, 0}, {SB_THUMBTRACK, expected}, {SB_THUMBPOSITION, expected}, {SB_ENDSCROLL, 0}};
    EXPECT_EQ(calls, bar.calls);
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(0, CXTPScrollBase::GetTrackingDepth());
}

TEST_F(ScrollGeometry, ThumbAsLongAsTheTrackCannotBeDragged)
{
    TrackWindow window;
    TestBar bar(&paint, CRect(0, 0, 17, 200), TRUE);
    bar.SetInfo(0, 99, 100, 0);    // thumb 16..182
    POINT press = {5, 100};
    ASSERT_EQ(XTP_HTSCROLLTHUMB, bar.HitTest(press));
    bar.TrackMouse(press, window.hwnd, &bar.GetGeometry(), FALSE);
    EXPECT_TRUE(bar.calls.empty());
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST(SliderTicks, QuarterAndThreeQuartersOfTheNarrowedChannel)
{
    CXTPSliderPaintManager slider;
    TestBar bar(&slider, CRect(0, 0, 200, 20), FALSE);
    bar.SetInfo(0, 200, 0, 0);
    const double ticks[] = {50, 150, 250};
    bar.SetTicks(ticks, 3);
    // Channel 16..184 narrowed by 6 at each end: 22..178, 156 wide.
    EXPECT_EQ(22 + 39, CXTPSliderPaintManager::TickPosition(bar.GetGeometry(), 50));
    EXPECT_EQ(22 + 117, CXTPSliderPaintManager::TickPosition(bar.GetGeometry(), 150));
    EXPECT_EQ(-1, CXTPSliderPaintManager::TickPosition(bar.GetGeometry(), 250));

    // Drawn: a shadow line with a highlight line to its right, centred on the channel.
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 200, -20, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc.GetSafeHdc(), dib);
    dc.FillSolidRect(0, 0, 200, 20, RGB(1, 2, 3));
    slider.DrawScrollBar(&dc, &bar);
    ::GdiFlush();
    auto at = [bits](int x, int y) {
        DWORD v = bits[y * 200 + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    };
    const COLORREF shadow = GetColorManager()->GetColor(COLOR_BTNSHADOW);
    const COLORREF highlight = GetColorManager()->GetColor(COLOR_BTNHIGHLIGHT);
    for (int x : {61, 139}) {
        EXPECT_EQ(shadow, at(x, 7)) << "tick at " << x;
        EXPECT_EQ(shadow, at(x, 10)) << "tick at " << x;
        EXPECT_EQ(RGB(1, 2, 3), at(x, 11)) << "gap of the tick at " << x;
        EXPECT_EQ(shadow, at(x, 12)) << "tick at " << x;
        EXPECT_EQ(highlight, at(x + 1, 7)) << "tick at " << x;
        EXPECT_EQ(highlight, at(x + 1, 13)) << "tick at " << x;
    }
    EXPECT_EQ(RGB(1, 2, 3), at(100, 7));    // no tick in the middle when a list is given
    ::SelectObject(dc.GetSafeHdc(), old);
    ::DeleteObject(dib);
}
