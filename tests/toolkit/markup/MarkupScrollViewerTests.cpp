// The scroll viewer without a window: which bars exist for which visibilities, the offsets and their
// limits, the scroll commands and the wheel, the bar's geometry and hit test, and its drawing
// compared with the platform's own scroll-bar drawing at the rectangles the geometry gives.
//
// Cases named "Classic" run only in the classic-look pass (TARNWICK_CLASSIC_LOOK=1, visual styles
// off in the prefix); the themed ones expect the default visual style.

#include "MarkupDocumentSupport.h"
#include "MarkupScrollViewerSupport.h"

#include "tests/support/DibCanvas.h"
#include "toolkit/foundation/XTPWinThemeWrapper.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"

#include <vssym32.h>

#include <string>
#include <vector>

using namespace markuptests;

namespace {

class MarkupScrollViewerTest : public MarkupTest {
protected:
    void SetUp() override
    {
        MarkupTest::SetUp();
        m_pContext = CreateMarkupContext(nullptr);
    }
    void TearDown() override
    {
        ReleaseMarkupElement(&m_pRoot);
        ReleaseMarkupContext(&m_pContext);
        MarkupTest::TearDown();
    }

    // Parses the document and lays it out in width x height.
    CXTPMarkupScrollViewer* Load(const std::wstring& text, int width = 120, int height = 100)
    {
        ReleaseMarkupElement(&m_pRoot);
        m_pRoot = ParseMarkupText(m_pContext, text.c_str());
        EXPECT_NE(nullptr, m_pRoot) << Narrow(text.c_str());
        Layout(width, height);
        return Viewer();
    }
    void Layout(int width, int height)
    {
        CXTPMarkupDrawingContext dc(m_pContext);
        m_pRoot->Measure(&dc, width, height);
        m_pRoot->Arrange(RECT{0, 0, width, height});
    }
    CXTPMarkupScrollViewer* Viewer() const { return MarkupDynamicCast<CXTPMarkupScrollViewer>(m_pRoot); }
    CXTPMarkupFrameworkElement* Content() const
    {
        return MarkupDynamicCast<CXTPMarkupFrameworkElement>(Viewer()->GetContent());
    }

    CXTPMarkupContext* m_pContext = nullptr;
    CXTPMarkupUIElement* m_pRoot = nullptr;
};

TEST_F(MarkupScrollViewerTest, VisibilitiesDecideWhichBarsAndGripperExist)
{
    struct Case {
        const wchar_t* attributes;
        int contentWidth;
        int contentHeight;
        bool vertical;
        bool horizontal;
    };
    const Case cases[] = {
        {L"", 50, 50, true, false},     // defaults: vertical Visible, horizontal Disabled
        {L"", 500, 300, true, false},
        {L"VerticalScrollBarVisibility='Auto'", 50, 50, false, false},
        {L"VerticalScrollBarVisibility='Auto'", 50, 300, true, false},
        {L"VerticalScrollBarVisibility='auto'", 50, 300, true, false},
        {L"VerticalScrollBarVisibility='Disabled'", 50, 300, false, false},
        {L"HorizontalScrollBarVisibility='Auto'", 90, 50, true, false},
        {L"HorizontalScrollBarVisibility='Auto'", 110, 50, true, true},   // wider than 120 less the bar
        {L"HorizontalScrollBarVisibility='Visible' VerticalScrollBarVisibility='Disabled'", 10, 10, false, true},
        {L"HorizontalScrollBarVisibility='VISIBLE' VerticalScrollBarVisibility='Auto'", 10, 10, false, true},
    };
    for (const Case& c : cases) {
        const std::wstring text = L"<ScrollViewer " + std::wstring(c.attributes) + L"><Border Width='" +
                                  std::to_wstring(c.contentWidth) + L"' Height='" + std::to_wstring(c.contentHeight) +
                                  L"'/></ScrollViewer>";
        SCOPED_TRACE(Narrow(text.c_str()));
        CXTPMarkupScrollViewer* viewer = Load(text);
        ASSERT_NE(nullptr, viewer);
        EXPECT_EQ(c.vertical, viewer->GetVerticalScrollBar() != nullptr);
        EXPECT_EQ(c.horizontal, viewer->GetHorizontalScrollBar() != nullptr);
        EXPECT_EQ(c.vertical && c.horizontal, viewer->GetGripper() != nullptr);
        if (c.vertical) {
            EXPECT_EQ(CXTPMarkupScrollBar::orientationVertical, viewer->GetVerticalScrollBar()->GetOrientation());
        }
        if (c.horizontal) {
            EXPECT_EQ(CXTPMarkupScrollBar::orientationHorizontal, viewer->GetHorizontalScrollBar()->GetOrientation());
        }
    }
}

TEST_F(MarkupScrollViewerTest, ClipsAndPutsBarsOverTheContentInDrawingOrder)
{
    CXTPMarkupScrollViewer* viewer =
        Load(L"<ScrollViewer HorizontalScrollBarVisibility='Visible'><Border Width='300' Height='300' "
             L"Background='White'/></ScrollViewer>");
    const CXTPMarkupBool* clip = MarkupDynamicCast<CXTPMarkupBool>(viewer->GetValue(CXTPMarkupUIElement::m_pClipToBoundsProperty));
    ASSERT_NE(nullptr, clip);
    EXPECT_TRUE(static_cast<BOOL>(*clip));

    ASSERT_EQ(4, viewer->GetVisualChildrenCount());
    EXPECT_EQ(viewer->GetContent(), viewer->GetVisualChild(0));
    EXPECT_EQ(viewer->GetVerticalScrollBar(), viewer->GetVisualChild(1));
    EXPECT_EQ(viewer->GetHorizontalScrollBar(), viewer->GetVisualChild(2));
    EXPECT_EQ(viewer->GetGripper(), viewer->GetVisualChild(3));
    EXPECT_EQ(nullptr, viewer->GetVisualChild(4));
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(viewer, viewer->GetVisualChild(i)->GetLogicalParent());

    // Bars sit along the right and bottom edges, the gripper in the corner; a point over a bar hits
    // the bar, not the content under it, and the gripper answers only in its corner.
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    const int h = GetSystemMetrics(SM_CYHSCROLL);
    EXPECT_EQ((RECT{120 - w, 0, 120, 100 - h}), viewer->GetVerticalScrollBar()->GetFinalRect());
    EXPECT_EQ((RECT{0, 100 - h, 120 - w, 100}), viewer->GetHorizontalScrollBar()->GetFinalRect());
    EXPECT_EQ((RECT{120 - w, 100 - h, 120, 100}), viewer->GetGripper()->GetFinalRect());
    EXPECT_EQ(viewer->GetVerticalScrollBar(), viewer->InputHitTest(120 - w / 2, 10));
    EXPECT_EQ(viewer->GetHorizontalScrollBar(), viewer->InputHitTest(10, 100 - h / 2));
    EXPECT_EQ(viewer->GetGripper(), viewer->InputHitTest(119, 99));
    EXPECT_EQ(viewer->GetContent(), viewer->InputHitTest(3, 3));
}

TEST_F(MarkupScrollViewerTest, DroppingABarResetsItsOffsetAndShowingItAgainMakesANewOne)
{
    CXTPMarkupScrollViewer* viewer = Load(L"<ScrollViewer><Border Height='300'/></ScrollViewer>");
    viewer->SetScrollOffset(CXTPMarkupScrollViewer::kVertical, 50);
    EXPECT_EQ(50, viewer->GetScrollOffset(CXTPMarkupScrollViewer::kVertical));
    EXPECT_EQ(-50, viewer->GetContent()->GetFinalRect().top);

    viewer->SetValue(CXTPMarkupScrollViewer::m_pVerticalScrollBarVisibilityProperty, CreateMarkupEnum(0));
    Layout(120, 100);
    EXPECT_EQ(nullptr, viewer->GetVerticalScrollBar());
    EXPECT_EQ(0, viewer->GetScrollOffset(CXTPMarkupScrollViewer::kVertical));
    EXPECT_EQ(0, viewer->GetContent()->GetFinalRect().top);
    EXPECT_EQ(1, viewer->GetVisualChildrenCount());

    viewer->SetValue(CXTPMarkupScrollViewer::m_pVerticalScrollBarVisibilityProperty, CreateMarkupEnum(2));
    Layout(120, 100);
    ASSERT_NE(nullptr, viewer->GetVerticalScrollBar());
    EXPECT_EQ(0, viewer->GetScrollOffset(CXTPMarkupScrollViewer::kVertical));
}

TEST_F(MarkupScrollViewerTest, ScrollCommandsAndTheWheelStayWithinZeroAndTheMaximum)
{
    // 300 high in 100: maximum 299 - (100 - 1) = 200.
    CXTPMarkupScrollViewer* viewer = Load(L"<ScrollViewer><Border Height='300'/></ScrollViewer>");
    constexpr int V = CXTPMarkupScrollViewer::kVertical;
    EXPECT_EQ(200, viewer->GetMaxScrollOffset(V));
    EXPECT_EQ(0, viewer->GetMaxScrollOffset(CXTPMarkupScrollViewer::kHorizontal));

    struct Step {
        int command;
        int position;
        int expected;
    };
    const Step steps[] = {
        {SB_LINEUP, 0, 0},         {SB_LINEDOWN, 0, 16},      {SB_LINEDOWN, 0, 32},   {SB_PAGEDOWN, 0, 132},
        {SB_PAGEDOWN, 0, 200},     {SB_LINEDOWN, 0, 200},     {SB_PAGEUP, 0, 100},    {SB_LINEUP, 0, 84},
        {SB_THUMBTRACK, 150, 150}, {SB_THUMBPOSITION, 500, 200}, {SB_THUMBTRACK, -5, 0}, {SB_BOTTOM, 0, 200},
        {SB_ENDSCROLL, 0, 200},    {SB_TOP, 0, 0},            {SB_PAGEUP, 0, 0},      {SB_THUMBPOSITION, 40, 40},
    };
    for (const Step& step : steps) {
        viewer->Scroll(V, step.command, step.position);
        EXPECT_EQ(step.expected, viewer->GetScrollOffset(V)) << "command " << step.command;
        EXPECT_EQ(-step.expected, viewer->GetContent()->GetFinalRect().top);
        EXPECT_EQ(step.expected, viewer->GetVerticalScrollBar()->GetScrollInfo().nPos);
    }
    // No horizontal bar: nothing moves.
    viewer->Scroll(CXTPMarkupScrollViewer::kHorizontal, SB_PAGEDOWN, 0);
    EXPECT_EQ(0, viewer->GetScrollOffset(CXTPMarkupScrollViewer::kHorizontal));

    // The wheel moves 48 per message whatever the delta, down for a negative one.
    viewer->SetScrollOffset(V, 0);
    const int deltas[] = {-120, -1, -960, 120, 1};
    const int expected[] = {48, 96, 144, 96, 48};
    for (int i = 0; i < 5; ++i) {
        CXTPMarkupMouseWheelEventArgs args(nullptr, viewer);
        args.m_nDelta = deltas[i];
        viewer->OnMouseWheel(&args);
        EXPECT_TRUE(args.IsHandled());
        EXPECT_EQ(expected[i], viewer->GetScrollOffset(V)) << "delta " << deltas[i];
    }
    for (int i = 0; i < 6; ++i) {
        CXTPMarkupMouseWheelEventArgs args(nullptr, viewer);
        args.m_nDelta = -120;
        viewer->OnMouseWheel(&args);
    }
    EXPECT_EQ(200, viewer->GetScrollOffset(V));
}

TEST_F(MarkupScrollViewerTest, ShrinkingContentPullsTheOffsetBack)
{
    CXTPMarkupScrollViewer* viewer = Load(L"<ScrollViewer><Border Height='300'/></ScrollViewer>");
    constexpr int V = CXTPMarkupScrollViewer::kVertical;
    viewer->SetScrollOffset(V, 200);
    Content()->SetHeight(250);
    Layout(120, 100);
    EXPECT_EQ(150, viewer->GetScrollOffset(V));    // the content's end stays at the viewport's end
    EXPECT_EQ(-150, viewer->GetContent()->GetFinalRect().top);
    EXPECT_EQ(249, viewer->GetVerticalScrollBar()->GetScrollInfo().nMax);
    Content()->SetHeight(80);
    Layout(120, 100);
    EXPECT_EQ(0, viewer->GetScrollOffset(V));
    // The content then fills the viewport.
    EXPECT_EQ((RECT{0, 0, 120 - GetSystemMetrics(SM_CXVSCROLL), 100}), viewer->GetContent()->GetFinalRect());
}

TEST_F(MarkupScrollViewerTest, OffsetsSetBeforeTheFirstArrangeAreClampedByIt)
{
    m_pRoot = ParseMarkupText(m_pContext, L"<ScrollViewer><Border Height='300'/></ScrollViewer>");
    ASSERT_NE(nullptr, m_pRoot);
    Viewer()->SetScrollOffset(CXTPMarkupScrollViewer::kVertical, 1000);
    EXPECT_EQ(1000, Viewer()->GetScrollOffset(CXTPMarkupScrollViewer::kVertical));
    Viewer()->SetScrollOffset(CXTPMarkupScrollViewer::kHorizontal, -7);
    EXPECT_EQ(0, Viewer()->GetScrollOffset(CXTPMarkupScrollViewer::kHorizontal));
    Layout(120, 100);
    EXPECT_EQ(200, Viewer()->GetScrollOffset(CXTPMarkupScrollViewer::kVertical));
}

TEST_F(MarkupScrollViewerTest, ScrollInfoRecomputesTheGeometryOnlyWhenMaximumPageOrPositionChange)
{
    CXTPMarkupScrollViewer* viewer = Load(L"<ScrollViewer><Border Height='300'/></ScrollViewer>");
    CXTPMarkupScrollBar* bar = viewer->GetVerticalScrollBar();
    const RECT rect = bar->GetFinalRect();
    SCROLLINFO info = bar->GetScrollInfo();

    // The minimum is not compared: a record differing only there is not taken.
    info.nMin = 5;
    bar->SetScrollInfo(info);
    bar->Arrange(rect);
    EXPECT_EQ(0, bar->GetScrollInfo().nMin);
    EXPECT_EQ(0, bar->GetGeometry().posMin);

    // A new position is taken whole and marks the bar, so the same rectangle lays it out again.
    info.nPos = 200;
    bar->SetScrollInfo(info);
    EXPECT_EQ(5, bar->GetScrollInfo().nMin);
    EXPECT_EQ(0, bar->GetGeometry().pos);
    bar->Arrange(rect);
    EXPECT_EQ(200, bar->GetGeometry().pos);
    EXPECT_EQ(5, bar->GetGeometry().posMin);
}

TEST_F(MarkupScrollViewerTest, GeometryFollowsTheSystemMetricsAndTheScrollInformation)
{
    CXTPMarkupScrollViewer* viewer = Load(L"<ScrollViewer><Border Height='300'/></ScrollViewer>");
    CXTPMarkupScrollBar* bar = viewer->GetVerticalScrollBar();
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);
    const int breadth = GetSystemMetrics(SM_CXVSCROLL);
    const ExpectedGeometry g = ExpectGeometry(arrow, 100, 0, 299, 100, 0);
    const SCROLLBARPOSINFO& spi = bar->GetGeometry();
    EXPECT_EQ(0, spi.pxTop);
    EXPECT_EQ(100, spi.pxBottom);
    EXPECT_EQ(0, spi.pxLeft);
    EXPECT_EQ(breadth, spi.pxRight);
    EXPECT_EQ(g.thumb, spi.cpxThumb);
    EXPECT_EQ(arrow, spi.pxUpArrow);
    EXPECT_EQ(100 - arrow, spi.pxDownArrow);
    EXPECT_EQ(arrow, spi.pxMin);
    EXPECT_EQ(g.free, spi.cpx);
    EXPECT_EQ(g.thumbStart, spi.pxThumbTop);
    EXPECT_EQ(g.thumbStart + g.thumb, spi.pxThumbBottom);
    EXPECT_EQ(0, spi.pxPopup);
    EXPECT_TRUE(spi.fVert);
    EXPECT_EQ((RECT{0, 0, breadth, 100}), spi.rc);

    viewer->SetScrollOffset(CXTPMarkupScrollViewer::kVertical, 200);
    EXPECT_EQ(100 - arrow - g.thumb, bar->GetGeometry().pxThumbTop);    // at the end of the track

    // Positions from pixels: the minimum before the track, the last page start after it.
    EXPECT_EQ(0, bar->PositionFromPixel(arrow - 1));
    EXPECT_EQ(200, bar->PositionFromPixel(arrow + g.free));
    EXPECT_EQ(MulDiv(299 - 99, g.free / 2, g.free), bar->PositionFromPixel(arrow + g.free / 2));

    // Short bars: arrows take at most half the length each, the thumb keeps its minimum.
    bar->CalcScrollBarInfo(RECT{0, 0, breadth, 20});
    EXPECT_EQ(10, bar->GetGeometry().pxUpArrow);
    EXPECT_EQ(10, bar->GetGeometry().pxDownArrow);
    SCROLLINFO big = {sizeof(SCROLLINFO), SIF_ALL, 0, 99999, 100, 0, 0};
    bar->SetScrollInfo(big);
    bar->CalcScrollBarInfo(RECT{0, 0, breadth, 100});
    EXPECT_EQ(std::max(16, arrow / 2), bar->GetGeometry().cpxThumb);
}

TEST_F(MarkupScrollViewerTest, HitTestNamesEachPartAlongTheAxis)
{
    CXTPMarkupScrollViewer* viewer =
        Load(L"<ScrollViewer HorizontalScrollBarVisibility='Visible'><Border Width='400' Height='300'/></ScrollViewer>");
    CXTPMarkupScrollBar* vertical = viewer->GetVerticalScrollBar();
    const SCROLLBARPOSINFO& g = vertical->GetGeometry();
    struct Case {
        int along;
        int expected;
    };
    const Case cases[] = {
        {0, 60}, {g.pxUpArrow - 1, 60}, {g.pxThumbTop, 64}, {g.pxThumbBottom - 1, 64}, {g.pxThumbBottom, 63},
        {g.pxDownArrow - 1, 63}, {g.pxDownArrow, 61}, {g.pxBottom - 1, 61}, {g.pxBottom, 0}, {-1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, vertical->HitTest(POINT{5, c.along})) << "at " << c.along;
    EXPECT_EQ(0, vertical->HitTest(POINT{g.pxRight, 30}));
    viewer->SetScrollOffset(CXTPMarkupScrollViewer::kVertical, 100);
    EXPECT_EQ(62, vertical->HitTest(POINT{5, g.pxUpArrow}));

    // The horizontal bar reads x along its axis.
    CXTPMarkupScrollBar* horizontal = viewer->GetHorizontalScrollBar();
    EXPECT_FALSE(horizontal->GetGeometry().fVert);
    EXPECT_EQ(60, horizontal->HitTest(POINT{1, 5}));
    EXPECT_EQ(64, horizontal->HitTest(POINT{horizontal->GetGeometry().pxThumbTop, 5}));
    EXPECT_EQ(61, horizontal->HitTest(POINT{horizontal->GetGeometry().pxBottom - 1, 5}));

    // A page that covers the range: nothing to scroll, no part answers.
    CXTPMarkupScrollViewer* still = Load(L"<ScrollViewer><Border Height='60'/></ScrollViewer>");
    EXPECT_FALSE(still->GetVerticalScrollBar()->IsScrollable());
    EXPECT_EQ(0, still->GetVerticalScrollBar()->HitTest(POINT{5, 1}));
}

TEST_F(MarkupScrollViewerTest, HotPartFollowsTheMouseAndLeavingClearsIt)
{
    CXTPMarkupScrollViewer* viewer = Load(L"<ScrollViewer><Border Height='300'/></ScrollViewer>");
    CXTPMarkupScrollBar* bar = viewer->GetVerticalScrollBar();
    const int x = bar->GetFinalRect().left + 3;
    CXTPMarkupMouseEventArgs over(CXTPMarkupInputElement::m_pMouseMoveEvent, bar, nullptr, x, 2);
    bar->OnMouseMove(&over);
    EXPECT_TRUE(over.IsHandled());
    EXPECT_EQ(60, bar->GetGeometry().ht);
    CXTPMarkupMouseEventArgs thumb(CXTPMarkupInputElement::m_pMouseMoveEvent, bar, nullptr, x,
                                   bar->GetGeometry().pxThumbTop + 1);
    bar->OnMouseMove(&thumb);
    EXPECT_EQ(64, bar->GetGeometry().ht);
    CXTPMarkupMouseEventArgs leave(CXTPMarkupInputElement::m_pMouseLeaveEvent, bar);
    bar->OnMouseLeave(&leave);
    EXPECT_EQ(0, bar->GetGeometry().ht);
}

// ---- Drawing against the platform

// Renders the document into a canvas of its own.
void RenderInto(CXTPMarkupUIElement* root, testsupport::DibCanvas& canvas)
{
    const RECT rc = {0, 0, canvas.Width(), canvas.Height()};
    RenderMarkupElement(root, canvas.DC(), &rc);
}

void FillWith(testsupport::DibCanvas& canvas, COLORREF colour)
{
    const RECT rc = {0, 0, canvas.Width(), canvas.Height()};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(canvas.DC(), &rc, brush);
    DeleteObject(brush);
}

// Pixels of region that differ between two canvases.
int Differences(const testsupport::DibCanvas& a, const testsupport::DibCanvas& b, const RECT& region)
{
    int differ = 0;
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x)
            differ += a.At(x, y) != b.At(x, y) ? 1 : 0;
    return differ;
}

// The rectangle along the axis from..to of a bar whose final rectangle is bar.
RECT Along(const RECT& bar, bool vertical, int from, int to)
{
    return vertical ? RECT{bar.left, bar.top + from, bar.right, bar.top + to}
                    : RECT{bar.left + from, bar.top, bar.left + to, bar.bottom};
}

const wchar_t kBothBars[] =
    L"<ScrollViewer HorizontalScrollBarVisibility='Visible'><Border Width='400' Height='300' "
    L"Background='#FF204080'/></ScrollViewer>";

TEST_F(MarkupScrollViewerTest, ThemedBarsDrawTheScrollBarPartsOfTheVisualStyle)
{
    CXTPWinThemeWrapper theme;
    theme.OpenThemeData(nullptr, L"SCROLLBAR");
    ASSERT_TRUE(theme.IsAppThemed()) << "the prefix should have its visual style on";

    CXTPMarkupScrollViewer* viewer = Load(kBothBars, 160, 120);
    // The vertical bar's thumb is hot.
    CXTPMarkupScrollBar* vertical = viewer->GetVerticalScrollBar();
    CXTPMarkupMouseEventArgs over(nullptr, vertical, nullptr, vertical->GetFinalRect().left + 2,
                                  vertical->GetGeometry().pxThumbTop + 2);
    vertical->OnMouseMove(&over);
    ASSERT_EQ(64, vertical->GetGeometry().ht);

    testsupport::DibCanvas rendered(160, 120);
    RenderInto(m_pRoot, rendered);
    // The content reaches under both bars: the parts are drawn over its colour.
    testsupport::DibCanvas expected(160, 120);
    FillWith(expected, RGB(0x20, 0x40, 0x80));

    for (CXTPMarkupScrollBar* bar : {vertical, viewer->GetHorizontalScrollBar()}) {
        const SCROLLBARPOSINFO& g = bar->GetGeometry();
        const bool v = g.fVert != FALSE;
        const RECT rc = bar->GetFinalRect();
        const int hot = g.ht;
        auto state = [hot](int part) { return hot == part ? 2 : 1; };
        const RECT first = Along(rc, v, g.pxTop, g.pxUpArrow);
        const RECT second = Along(rc, v, g.pxDownArrow, g.pxBottom);
        const RECT before = Along(rc, v, g.pxUpArrow, g.pxThumbTop);
        const RECT thumb = Along(rc, v, g.pxThumbTop, g.pxThumbBottom);
        const RECT after = Along(rc, v, g.pxThumbBottom, g.pxDownArrow);
        theme.DrawThemeBackground(expected.DC(), SBP_ARROWBTN, v ? ABS_UPNORMAL : ABS_LEFTNORMAL, &first, nullptr);
        theme.DrawThemeBackground(expected.DC(), SBP_ARROWBTN, v ? ABS_DOWNNORMAL : ABS_RIGHTNORMAL, &second, nullptr);
        if (!IsRectEmpty(&before))
            theme.DrawThemeBackground(expected.DC(), v ? SBP_UPPERTRACKVERT : SBP_LOWERTRACKHORZ, 1, &before, nullptr);
        theme.DrawThemeBackground(expected.DC(), v ? SBP_THUMBBTNVERT : SBP_THUMBBTNHORZ, state(64), &thumb, nullptr);
        if (g.cpxThumb > 13)
            theme.DrawThemeBackground(expected.DC(), v ? SBP_GRIPPERVERT : SBP_GRIPPERHORZ, state(64), &thumb, nullptr);
        theme.DrawThemeBackground(expected.DC(), v ? SBP_LOWERTRACKVERT : SBP_UPPERTRACKHORZ, 1, &after, nullptr);
        EXPECT_EQ(0, Differences(rendered, expected, rc)) << (v ? "vertical" : "horizontal");
    }
    // The gripper is the button face; the content keeps its own colour under no bar.
    const RECT corner = viewer->GetGripper()->GetFinalRect();
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), rendered.At(corner.left + 3, corner.top + 3));
    EXPECT_EQ(RGB(0x20, 0x40, 0x80), rendered.At(5, 5));
}

TEST_F(MarkupScrollViewerTest, ThemedBarThatCannotScrollDrawsDisabledArrowsAndOneTrack)
{
    CXTPWinThemeWrapper theme;
    theme.OpenThemeData(nullptr, L"SCROLLBAR");
    ASSERT_TRUE(theme.IsAppThemed());
    CXTPMarkupScrollViewer* viewer = Load(L"<ScrollViewer><Border Height='40'/></ScrollViewer>", 60, 100);
    CXTPMarkupScrollBar* bar = viewer->GetVerticalScrollBar();
    testsupport::DibCanvas rendered(60, 100);
    RenderInto(m_pRoot, rendered);
    testsupport::DibCanvas expected(60, 100);    // the content has no background: white stays
    const SCROLLBARPOSINFO& g = bar->GetGeometry();
    const RECT rc = bar->GetFinalRect();
    const RECT first = Along(rc, true, g.pxTop, g.pxUpArrow);
    const RECT second = Along(rc, true, g.pxDownArrow, g.pxBottom);
    const RECT track = Along(rc, true, g.pxUpArrow, g.pxDownArrow);
    theme.DrawThemeBackground(expected.DC(), SBP_ARROWBTN, ABS_UPDISABLED, &first, nullptr);
    theme.DrawThemeBackground(expected.DC(), SBP_ARROWBTN, ABS_DOWNDISABLED, &second, nullptr);
    theme.DrawThemeBackground(expected.DC(), SBP_LOWERTRACKVERT, 4, &track, nullptr);
    EXPECT_EQ(0, Differences(rendered, expected, rc));
}

TEST_F(MarkupScrollViewerTest, ClassicBarsDrawFrameControlsTrackAndRaisedThumb)
{
    if (!ClassicLookRequested())
        GTEST_SKIP() << "runs in the classic-look pass";
    // The pass sets ThemeActive to "0" before starting this process: no visual style now.
    CXTPWinThemeWrapper theme;
    theme.OpenThemeData(nullptr, L"SCROLLBAR");
    ASSERT_FALSE(theme.IsAppThemed()) << "ThemeActive=\"0\" did not take effect for a new process";

    CXTPMarkupScrollViewer* viewer = Load(kBothBars, 160, 120);
    testsupport::DibCanvas rendered(160, 120);
    RenderInto(m_pRoot, rendered);
    testsupport::DibCanvas expected(160, 120);
    FillWith(expected, RGB(0x20, 0x40, 0x80));
    HDC dc = expected.DC();
    for (CXTPMarkupScrollBar* bar : {viewer->GetVerticalScrollBar(), viewer->GetHorizontalScrollBar()}) {
        const SCROLLBARPOSINFO& g = bar->GetGeometry();
        const bool v = g.fVert != FALSE;
        const RECT rc = bar->GetFinalRect();
        RECT first = Along(rc, v, g.pxTop, g.pxUpArrow);
        RECT second = Along(rc, v, g.pxDownArrow, g.pxBottom);
        RECT track = Along(rc, v, g.pxUpArrow, g.pxDownArrow);
        RECT thumb = Along(rc, v, g.pxThumbTop, g.pxThumbBottom);
        DrawFrameControl(dc, &first, DFC_SCROLL, v ? DFCS_SCROLLUP : DFCS_SCROLLLEFT);
        DrawFrameControl(dc, &second, DFC_SCROLL, v ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT);
        SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
        FillRect(dc, &track, DesktopTrackBrush(dc));
        FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_ADJUST);
        EXPECT_EQ(0, Differences(rendered, expected, rc)) << (v ? "vertical" : "horizontal");
    }
    const RECT corner = viewer->GetGripper()->GetFinalRect();
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), rendered.At(corner.left + 3, corner.top + 3));
}

TEST_F(MarkupScrollViewerTest, ClassicTrackIsNeverLeftUnfilled)
{
    if (!ClassicLookRequested())
        GTEST_SKIP() << "runs in the classic-look pass";
    // Whatever the desktop answers, the track gets a real brush: with none it is the system
    // scroll-bar brush, so the track's pixels are never the canvas left as it was.
    testsupport::DibCanvas canvas(20, 20);
    HBRUSH brush = CXTPMarkupScrollBar::GetClassicTrackBrush(canvas.DC());
    ASSERT_NE(nullptr, brush);
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(brush));

    CXTPMarkupScrollViewer* viewer = Load(L"<ScrollViewer><Border Height='40'/></ScrollViewer>", 60, 100);
    testsupport::DibCanvas rendered(60, 100);
    // A colour no track brush gives, so an unfilled track would show it.
    RECT all = {0, 0, 60, 100};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(rendered.DC(), &all, magenta);
    DeleteObject(magenta);
    RenderInto(m_pRoot, rendered);
    const SCROLLBARPOSINFO& g = viewer->GetVerticalScrollBar()->GetGeometry();
    const RECT rc = viewer->GetVerticalScrollBar()->GetFinalRect();
    const RECT track = Along(rc, true, g.pxUpArrow, g.pxDownArrow);
    int unfilled = 0;
    for (int y = track.top; y < track.bottom; ++y)
        for (int x = track.left; x < track.right; ++x)
            unfilled += rendered.At(x, y) == RGB(255, 0, 255) ? 1 : 0;
    EXPECT_EQ(0, unfilled);
}

} // namespace
