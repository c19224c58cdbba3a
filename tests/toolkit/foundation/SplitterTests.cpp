// The themed splitter in a real frame: a 1 x 3 splitter of views (or a dynamic one with split
// boxes) under Xvfb, driven by SendInput. The desktop's full-drag setting is answered through the
// splitter's reader, never changed for the prefix (other GUI tests run beside these). The tests
// read back what Windows reports (ids, rectangles, visibility, hit codes, cursors) and then the
// pixels the splitter prints through WM_PRINTCLIENT, in colours read from the system.

#include "framework/window/Document.h"
#include "framework/window/FrameWnd.h"
#include "framework/window/View.h"
#include "framework/window/WinApp.h"
#include "toolkit/foundation/XTPAuxData.h"
#include "toolkit/foundation/XTPButton.h"
#include "toolkit/foundation/XTPSplitterWnd.h"
#include "toolkit/foundation/XTPSplitterWndTheme.h"

#include "tests/support/DibCanvas.h"
#include "tests/support/GuiSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <typeinfo>
#include <vector>

void PrintTo(const CRect& rect, std::ostream* out)
{
    *out << "(" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << ")";
}

using testsupport::BringToForeground;
using testsupport::DibCanvas;
using testsupport::MouseButton;
using testsupport::MovePointerTo;
using testsupport::PressButton;
using testsupport::PumpUntil;

namespace {

BOOL g_fullDrag = TRUE;       // what the splitter's reader answers
bool g_dynamic = false;       // the next frame holds a dynamic 1 x 2 splitter
int g_viewsDeleted = 0;       // views of the failing classes that were deleted

std::string Hex(COLORREF colour)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%06lX", static_cast<unsigned long>(colour));
    return text;
}

class CSplitTestApp : public CWinApp {
public:
    CSplitTestApp() : CWinApp(L"Splitter Tests") {}
};

class CSplitDoc : public CDocument {
    DECLARE_DYNCREATE(CSplitDoc)
};
IMPLEMENT_DYNCREATE(CSplitDoc, CDocument)

class CPaneView : public CView {
    DECLARE_DYNCREATE(CPaneView)
public:
    int initialUpdates = 0;
    void OnDraw(CDC*) override {}
    void OnInitialUpdate() override
    {
        ++initialUpdates;
        CView::OnInitialUpdate();
    }
};
IMPLEMENT_DYNCREATE(CPaneView, CView)

class CAltView : public CPaneView {
    DECLARE_DYNCREATE(CAltView)
};
IMPLEMENT_DYNCREATE(CAltView, CPaneView)

// Views whose window cannot be made, each in another way.
class CRefusingView : public CView {
    DECLARE_DYNCREATE(CRefusingView)
public:
    ~CRefusingView() override { ++g_viewsDeleted; }
    void OnDraw(CDC*) override {}
    BOOL PreCreateWindow(CREATESTRUCTW&) override { return FALSE; }
};
IMPLEMENT_DYNCREATE(CRefusingView, CView)

class CNoClassView : public CView {
    DECLARE_DYNCREATE(CNoClassView)
public:
    ~CNoClassView() override { ++g_viewsDeleted; }
    void OnDraw(CDC*) override {}
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override
    {
        cs.lpszClass = L"TarnwickNoSuchSplitterViewClass";
        return TRUE;
    }
};
IMPLEMENT_DYNCREATE(CNoClassView, CView)

class CFailingCreateView : public CView {
    DECLARE_DYNCREATE(CFailingCreateView)
public:
    ~CFailingCreateView() override { ++g_viewsDeleted; }
    void OnDraw(CDC*) override {}

protected:
    int OnCreate(LPCREATESTRUCTW) { return -1; }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CFailingCreateView, CView)
BEGIN_MESSAGE_MAP(CFailingCreateView, CView)
    ON_WM_CREATE()
END_MESSAGE_MAP()

// Records the tracker feedback it draws.
class CRecordingSplitter : public CXTPSplitterWnd {
public:
    std::vector<CRect> trackers;
    void DrawTracker(const CRect& rect, HBRUSH hBrush) override
    {
        trackers.push_back(rect);
        CXTPSplitterWnd::DrawTracker(rect, hBrush);
    }
    using CSplitterWnd::m_cxBorder;
};

class CSplitFrame : public CFrameWnd {
public:
    CRecordingSplitter splitter;

protected:
    BOOL OnCreateClient(LPCREATESTRUCTW, CCreateContext* pContext) override
    {
        splitter.SetFullDragReader([] { return g_fullDrag; });
        if (g_dynamic)
            return splitter.Create(this, 1, 2, CSize(10, 10), pContext);
        return splitter.CreateStatic(this, 1, 3) &&
               splitter.CreateView(0, 0, RUNTIME_CLASS(CPaneView), CSize(150, 100), pContext) &&
               splitter.CreateView(0, 1, RUNTIME_CLASS(CPaneView), CSize(150, 100), pContext) &&
               splitter.CreateView(0, 2, RUNTIME_CLASS(CPaneView), CSize(100, 100), pContext);
    }
};

CRect RectIn(HWND parent, HWND child)
{
    CRect rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT ToScreen(HWND window, POINT client)
{
    ::ClientToScreen(window, &client);
    return client;
}

bool ButtonDown()
{
    return (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
}

class SplitterTest : public ::testing::Test {
protected:
    CSplitTestApp app;
    CSplitFrame* frame = nullptr;
    CSplitDoc* doc = nullptr;

    void SetUp() override
    {
        g_fullDrag = TRUE;
        g_viewsDeleted = 0;
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
    }
    void TearDown() override
    {
        if (ButtonDown())
            PressButton(MouseButton::Left, false);
        if (frame && frame->m_hWnd)
            frame->DestroyWindow();
        AfxDeleteTempMaps();
        g_dynamic = false;
    }
    void Open(bool dynamic = false)
    {
        g_dynamic = dynamic;
        doc = new CSplitDoc();
        CCreateContext context;
        context.m_pNewViewClass = RUNTIME_CLASS(CPaneView);
        context.m_pCurrentDoc = doc;
        frame = new CSplitFrame();
        ASSERT_TRUE(frame->Create(nullptr, L"Splitter tests", WS_OVERLAPPEDWINDOW, CRect(40, 40, 680, 440), nullptr,
                                  nullptr, 0, &context));
        frame->InitialUpdateFrame(doc, TRUE);
        frame->ShowWindow(SW_SHOW);
        ASSERT_TRUE(BringToForeground(frame->m_hWnd));
        ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(Splitter().m_hWnd) != FALSE; }));
    }
    CRecordingSplitter& Splitter() { return frame->splitter; }
    HWND Pane(int row, int col) { return ::GetDlgItem(Splitter().m_hWnd, Splitter().IdFromRowCol(row, col)); }
    int PaneWidth(int col) { return RectIn(Splitter().m_hWnd, Pane(0, col)).Width(); }
    int ColumnSize(int col)
    {
        int cur = 0, minimum = 0;
        Splitter().GetColumnInfo(col, cur, minimum);
        return cur;
    }
    CRect BarRect(int ht)
    {
        CRect bar;
        Splitter().GetHitRect(ht, bar);
        return bar;
    }
    // Presses the left button at a client point of the splitter. With tracking expected, waits
    // until the splitter has it: the framework's tracker takes its offset from where the pointer
    // is when the press is handled, so a move sent before that would be lost in the offset.
    bool PressAt(POINT client, bool tracking = true)
    {
        return MovePointerTo(ToScreen(Splitter().m_hWnd, client)) && PressButton(MouseButton::Left, true) &&
               PumpUntil(ButtonDown) && (!tracking || PumpUntil([&] { return Splitter().m_bTracking != FALSE; }));
    }
    bool MoveTo(POINT client) { return MovePointerTo(ToScreen(Splitter().m_hWnd, client)); }
    bool Release()
    {
        return PressButton(MouseButton::Left, false) && PumpUntil([] { return !ButtonDown(); }) &&
               PumpUntil([&] { return !Splitter().m_bTracking; });
    }
};

} // namespace

// ---- dragging ----

TEST_F(SplitterTest, FullWindowDragResizesThePanesAtEachMoveWithoutATracker)
{
    Open();
    ASSERT_TRUE(Splitter().IsFullDragActive());
    const int before = ColumnSize(0);
    const int paneBefore = PaneWidth(0);
    const CRect bar = BarRect(CSplitterWnd::hSplitterBar1);
    ASSERT_EQ(Splitter().HitTest(bar.CenterPoint()), CSplitterWnd::hSplitterBar1);

    const CPoint start = bar.CenterPoint();
    ASSERT_TRUE(PressAt(start));
    // The panes follow while the button is still down.
    ASSERT_TRUE(MoveTo({start.x + 30, start.y}));
    EXPECT_TRUE(PumpUntil([&] { return PaneWidth(0) == paneBefore + 30; })) << "width " << PaneWidth(0);
    EXPECT_TRUE(ButtonDown());
    EXPECT_TRUE(Splitter().m_bTracking);
    ASSERT_TRUE(MoveTo({start.x + 60, start.y + 20}));
    EXPECT_TRUE(PumpUntil([&] { return PaneWidth(0) == paneBefore + 60; })) << "width " << PaneWidth(0);
    EXPECT_TRUE(Splitter().m_bTracking);
    ASSERT_TRUE(Release());

    EXPECT_EQ(ColumnSize(0), before + 60);
    EXPECT_EQ(PaneWidth(0), paneBefore + 60);
    EXPECT_TRUE(Splitter().trackers.empty()) << "a full-window drag draws no tracker";
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(SplitterTest, FullDragFollowsTheStyleBitAndTheSettingReadOnSettingChange)
{
    g_fullDrag = FALSE;
    Open();
    CRecordingSplitter& splitter = Splitter();
    EXPECT_FALSE(splitter.IsFullDragActive());
    g_fullDrag = TRUE;
    EXPECT_FALSE(splitter.IsFullDragActive()) << "the setting is read only when it changes";
    splitter.SendMessage(WM_SETTINGCHANGE, SPI_SETDRAGFULLWINDOWS, 0);
    EXPECT_TRUE(splitter.IsFullDragActive());
    splitter.SetSplitterStyle(XTP_SPLIT_NOFULLDRAG);
    EXPECT_FALSE(splitter.IsFullDragActive());
    EXPECT_EQ(splitter.GetSplitterStyle(), XTP_SPLIT_NOFULLDRAG);

    // Without full drag the bar shows the 4-pixel inverted tracker and moves on release only.
    splitter.SetTheme(4);
    const int paneBefore = PaneWidth(0);
    const CPoint start = BarRect(CSplitterWnd::hSplitterBar1).CenterPoint();
    ASSERT_TRUE(PressAt(start));
    ASSERT_TRUE(MoveTo({start.x + 40, start.y}));
    ASSERT_TRUE(PumpUntil([&] { return splitter.trackers.size() >= 3; }))
        << "trackers " << splitter.trackers.size() << ", tracking " << splitter.m_bTracking << ", code "
        << splitter.m_htTrack;
    EXPECT_EQ(PaneWidth(0), paneBefore);
    ASSERT_TRUE(Release());
    EXPECT_EQ(PaneWidth(0), paneBefore + 40);

    splitter.SetSplitterStyle(0);
    EXPECT_TRUE(splitter.IsFullDragActive());
}

TEST_F(SplitterTest, DottedTrackerIsAFocusFrameFromTheInsideCornerToTheBar)
{
    Open();
    CRecordingSplitter& splitter = Splitter();
    splitter.SetSplitterStyle(XTP_SPLIT_DOTTRACKER | XTP_SPLIT_NOFULLDRAG);
    EXPECT_EQ(splitter.GetSplitterStyle(), XTP_SPLIT_DOTTRACKER | XTP_SPLIT_NOFULLDRAG);
    ::RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    testsupport::PumpPending();
    const testsupport::RgbImage before = testsupport::CaptureClient(splitter.m_hWnd);
    ASSERT_FALSE(before.IsEmpty());

    const CPoint start = BarRect(CSplitterWnd::hSplitterBar1).CenterPoint();
    ASSERT_TRUE(PressAt(start));
    ASSERT_TRUE(MoveTo({start.x + 40, start.y}));
    ASSERT_TRUE(PumpUntil([&] { return splitter.trackers.size() >= 3; }));
    const CRect tracker = splitter.trackers.back();
    const testsupport::RgbImage during = testsupport::CaptureClient(splitter.m_hWnd);
    ASSERT_FALSE(during.IsEmpty());
    // A dotted line along the top from the left edge to the bar's right edge, nothing past it.
    auto changedOnTop = [&](int from, int to) {
        int changed = 0;
        for (int x = from; x < to; ++x)
            changed += during.At(x, 0) != before.At(x, 0) ? 1 : 0;
        return changed;
    };
    EXPECT_GE(changedOnTop(0, tracker.right), tracker.right / 3);
    EXPECT_EQ(changedOnTop(tracker.right + 1, before.width), 0);
    ASSERT_TRUE(Release());
}

TEST_F(SplitterTest, SplitBoxesKeepTheInvertedTrackerUnderFullDrag)
{
    Open(true);
    CRecordingSplitter& splitter = Splitter();
    splitter.SetTheme(4);    // a white brush: the tracker is the exact inverse of what is under it
    ASSERT_EQ(splitter.GetColumnCount(), 1);
    CRect inside;
    splitter.GetInsideRect(inside);
    const CPoint box(inside.left + 3, inside.bottom + 4);
    ASSERT_EQ(splitter.HitTest(box), CSplitterWnd::hSplitterBox);
    // Everything painted before the picture that the tracker is compared with.
    ::RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    testsupport::PumpPending();
    const testsupport::RgbImage before = testsupport::CaptureClient(splitter.m_hWnd);
    ASSERT_FALSE(before.IsEmpty());

    ASSERT_TRUE(PressAt(box));
    ASSERT_TRUE(MoveTo({box.x + 200, box.y - 100}));
    ASSERT_TRUE(PumpUntil([&] { return !splitter.trackers.empty() && splitter.trackers.back().left >= 150; }))
        << "trackers " << splitter.trackers.size() << ", tracking " << splitter.m_bTracking << ", code "
        << splitter.m_htTrack;
    EXPECT_FALSE(splitter.IsFullDragActive());
    // The tracker began on the window's edge, where nothing is drawn.
    EXPECT_EQ(splitter.trackers.front().left, 0);
    const CRect tracker = splitter.trackers.back();
    const testsupport::RgbImage during = testsupport::CaptureClient(splitter.m_hWnd);
    ASSERT_FALSE(during.IsEmpty());
    const int y = tracker.CenterPoint().y;
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(Hex(during.At(x, y)), Hex(before.At(x, y))) << "edge x " << x;
    for (int x = tracker.right - 4; x < tracker.right; ++x)
        EXPECT_EQ(Hex(during.At(x, y)), Hex(before.At(x, y) ^ 0xFFFFFF)) << "x " << x;
    EXPECT_EQ(Hex(during.At(tracker.right - 5, y)), Hex(before.At(tracker.right - 5, y))) << "4 pixels thick";

    ASSERT_TRUE(Release());
    EXPECT_EQ(splitter.GetColumnCount(), 2);
}

TEST_F(SplitterTest, FixedBarsAnswerHtBorderKeepTheArrowAndDoNotMove)
{
    Open();
    CRecordingSplitter& splitter = Splitter();
    const CPoint centre = BarRect(CSplitterWnd::hSplitterBar1).CenterPoint();
    const POINT screen = ToScreen(splitter.m_hWnd, centre);
    const LPARAM at = MAKELPARAM(screen.x, screen.y);
    ASSERT_NE(GetAuxData().hcurHSplitBar, nullptr);
    ASSERT_NE(GetAuxData().hcurVSplitBar, nullptr);

    // Movable bars: the column-split cursor (9970) over a bar between columns.
    EXPECT_EQ(splitter.SendMessage(WM_NCHITTEST, 0, at), HTCLIENT);
    ASSERT_TRUE(MovePointerTo(screen));
    EXPECT_TRUE(PumpUntil([] { return ::GetCursor() == GetAuxData().hcurHSplitBar; }));
    splitter.SetSplitCursor(CSplitterWnd::vSplitterBar1);
    EXPECT_EQ(::GetCursor(), GetAuxData().hcurVSplitBar);

    splitter.SetSplitterStyle(XTP_SPLIT_NOSIZE);
    EXPECT_EQ(splitter.GetSplitterStyle(), XTP_SPLIT_NOSIZE);
    EXPECT_EQ(splitter.SendMessage(WM_NCHITTEST, 0, at), HTBORDER);
    ASSERT_TRUE(MovePointerTo(ToScreen(splitter.m_hWnd, {centre.x, centre.y + 10})));
    EXPECT_TRUE(PumpUntil([] { return ::GetCursor() != GetAuxData().hcurHSplitBar; }));
    const int paneBefore = PaneWidth(0);
    ASSERT_TRUE(PressAt(centre, false));
    ASSERT_TRUE(MoveTo({centre.x + 50, centre.y}));
    ASSERT_TRUE(PressButton(MouseButton::Left, false));
    ASSERT_TRUE(PumpUntil([] { return !ButtonDown(); }));
    testsupport::PumpPending();
    EXPECT_FALSE(splitter.m_bTracking);
    EXPECT_EQ(PaneWidth(0), paneBefore);
}

// ---- hidden columns ----

TEST_F(SplitterTest, HiddenColumnComesBackWithEveryPaneIdAndItsWidth)
{
    Open();
    CRecordingSplitter& splitter = Splitter();
    HWND panes[3] = {Pane(0, 0), Pane(0, 1), Pane(0, 2)};
    const int width1 = PaneWidth(1);
    const int size1 = ColumnSize(1);

    ASSERT_TRUE(splitter.HideColumn(1));
    EXPECT_EQ(splitter.GetColumnCount(), 2);
    EXPECT_EQ(splitter.GetHiddenColumn(), 1);
    EXPECT_EQ(Pane(0, 0), panes[0]);
    EXPECT_EQ(Pane(0, 1), panes[2]);
    EXPECT_EQ(::GetDlgCtrlID(panes[1]), splitter.IdFromRowCol(0, 3)) << "parked under column 3";
    EXPECT_FALSE(::IsWindowVisible(panes[1]));
    // The third pane takes the rest of the width.
    EXPECT_GT(PaneWidth(1), width1);
    EXPECT_TRUE(splitter.HideColumn(1)) << "hiding the hidden column again does nothing";
    EXPECT_EQ(splitter.GetColumnCount(), 2);

    ASSERT_TRUE(splitter.ShowColumn());
    EXPECT_EQ(splitter.GetColumnCount(), 3);
    EXPECT_EQ(splitter.GetHiddenColumn(), -1);
    for (int col = 0; col < 3; ++col)
        EXPECT_EQ(Pane(0, col), panes[col]) << "column " << col;
    EXPECT_TRUE(::IsWindowVisible(panes[1]));
    EXPECT_EQ(ColumnSize(1), size1);
    EXPECT_EQ(PaneWidth(1), width1);
    EXPECT_TRUE(splitter.ShowColumn()) << "nothing hidden";

    // Hiding another column first shows the hidden one.
    ASSERT_TRUE(splitter.HideColumn(2));
    ASSERT_TRUE(splitter.HideColumn(0));
    EXPECT_EQ(splitter.GetHiddenColumn(), 0);
    EXPECT_EQ(Pane(0, 0), panes[1]);
    EXPECT_EQ(Pane(0, 1), panes[2]);
    EXPECT_TRUE(::IsWindowVisible(panes[2]));
    ASSERT_TRUE(splitter.ShowColumn());
    for (int col = 0; col < 3; ++col)
        EXPECT_EQ(Pane(0, col), panes[col]) << "column " << col;
}

TEST_F(SplitterTest, HidesThatCannotFinishChangeNothing)
{
    Open();
    CRecordingSplitter& splitter = Splitter();
    HWND panes[3] = {Pane(0, 0), Pane(0, 1), Pane(0, 2)};
    auto unchanged = [&](int hiddenCol, int cols, const char* what) {
        EXPECT_EQ(splitter.GetHiddenColumn(), hiddenCol) << what;
        EXPECT_EQ(splitter.GetColumnCount(), cols) << what;
        EXPECT_EQ(splitter.GetHiddenRow(), -1) << what;
        EXPECT_EQ(splitter.GetRowCount(), 1) << what;
    };

    // Bad indexes, and the only row.
    for (int bad : {-1, 3, 15})
        EXPECT_FALSE(splitter.HideColumn(bad)) << "column " << bad;
    EXPECT_FALSE(splitter.HideRow(0)) << "the only row";
    unchanged(-1, 3, "bad indexes");

    // A missing pane right of the hidden column: no id moves.
    HWND moved = panes[2];
    ::SetWindowLongPtrW(moved, GWLP_ID, 0);
    EXPECT_FALSE(splitter.HideColumn(1));
    unchanged(-1, 3, "missing pane");
    EXPECT_EQ(Pane(0, 1), panes[1]);
    EXPECT_TRUE(::IsWindowVisible(panes[1]));
    ::SetWindowLongPtrW(moved, GWLP_ID, splitter.IdFromRowCol(0, 2));

    // A parked pane gone: neither ShowColumn nor a hide that must show first changes anything.
    ASSERT_TRUE(splitter.HideColumn(1));
    ::SetWindowLongPtrW(panes[1], GWLP_ID, 0);
    EXPECT_FALSE(splitter.ShowColumn());
    unchanged(1, 2, "parked pane gone");
    EXPECT_FALSE(splitter.HideColumn(0));
    unchanged(1, 2, "hide after a failed show");
    EXPECT_EQ(Pane(0, 0), panes[0]);
    EXPECT_EQ(Pane(0, 1), panes[2]);
    ::SetWindowLongPtrW(panes[1], GWLP_ID, splitter.IdFromRowCol(0, 3));
    EXPECT_TRUE(splitter.ShowColumn());
    for (int col = 0; col < 3; ++col)
        EXPECT_EQ(Pane(0, col), panes[col]) << "column " << col;
}

// A row and a column hidden together, in either order, give every pane its id back when both
// are shown again, in either order.
TEST_F(SplitterTest, HiddenRowAndColumnTogetherRestoreEveryPane)
{
    Open();
    CCreateContext context;
    context.m_pCurrentDoc = doc;
    CXTPSplitterWnd grid;
    ASSERT_TRUE(grid.CreateStatic(frame, 3, 3, WS_CHILD | WS_VISIBLE, 0x1234));
    HWND panes[3][3] = {};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            ASSERT_TRUE(grid.CreateView(row, col, RUNTIME_CLASS(CPaneView), CSize(60, 40), &context));
            panes[row][col] = ::GetDlgItem(grid.m_hWnd, grid.IdFromRowCol(row, col));
        }
    }
    grid.MoveWindow(0, 0, 400, 300);
    auto pane = [&](int row, int col) { return ::GetDlgItem(grid.m_hWnd, grid.IdFromRowCol(row, col)); };
    const struct {
        const char* name;
        bool rowFirst;
        bool showRowFirst;
        int row, col;
    } cases[] = {
        {"column then row, shown row first", false, true, 1, 0},
        {"column then row, shown column first", false, false, 0, 2},
        {"row then column, shown row first", true, true, 2, 1},
        {"row then column, shown column first", true, false, 0, 0},
    };
    for (const auto& c : cases) {
        if (c.rowFirst) {
            ASSERT_TRUE(grid.HideRow(c.row)) << c.name;
            ASSERT_TRUE(grid.HideColumn(c.col)) << c.name;
        } else {
            ASSERT_TRUE(grid.HideColumn(c.col)) << c.name;
            ASSERT_TRUE(grid.HideRow(c.row)) << c.name;
        }
        EXPECT_EQ(grid.GetRowCount(), 2) << c.name;
        EXPECT_EQ(grid.GetColumnCount(), 2) << c.name;
        // The visible panes are the others, in order.
        for (int row = 0, realRow = 0; row < 2; ++row, ++realRow) {
            realRow += realRow == c.row ? 1 : 0;
            for (int col = 0, realCol = 0; col < 2; ++col, ++realCol) {
                realCol += realCol == c.col ? 1 : 0;
                EXPECT_EQ(pane(row, col), panes[realRow][realCol]) << c.name << " at " << row << ", " << col;
                EXPECT_TRUE(::IsWindowVisible(pane(row, col))) << c.name;
            }
        }
        if (c.showRowFirst) {
            ASSERT_TRUE(grid.ShowRow()) << c.name;
            ASSERT_TRUE(grid.ShowColumn()) << c.name;
        } else {
            ASSERT_TRUE(grid.ShowColumn()) << c.name;
            ASSERT_TRUE(grid.ShowRow()) << c.name;
        }
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                EXPECT_EQ(pane(row, col), panes[row][col]) << c.name << " at " << row << ", " << col;
                EXPECT_TRUE(::IsWindowVisible(panes[row][col])) << c.name << " at " << row << ", " << col;
            }
        }
    }
    grid.DestroyWindow();
}

// ---- exchanging views ----

TEST_F(SplitterTest, ReplaceViewMakesTheNewClassOnceAndSwitchViewExchangesIds)
{
    Open();
    CRecordingSplitter& splitter = Splitter();
    HWND oldPane = Pane(0, 1);
    const int size1 = ColumnSize(1);

    EXPECT_EQ(splitter.ReplaceView(0, 1, RUNTIME_CLASS(CPaneView)), nullptr) << "the class already shown";
    EXPECT_EQ(Pane(0, 1), oldPane);

    CWnd* old = splitter.ReplaceView(0, 1, RUNTIME_CLASS(CAltView));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->m_hWnd, oldPane);
    EXPECT_EQ(::GetDlgCtrlID(oldPane), 0);
    EXPECT_FALSE(::IsWindowVisible(oldPane));
    auto* alt = dynamic_cast<CAltView*>(CWnd::FromHandlePermanent(Pane(0, 1)));
    ASSERT_NE(alt, nullptr);
    EXPECT_EQ(alt->GetDocument(), doc);
    EXPECT_EQ(alt->initialUpdates, 1);
    EXPECT_TRUE(::IsWindowVisible(alt->m_hWnd));
    EXPECT_EQ(ColumnSize(1), size1);
    EXPECT_EQ(splitter.ReplaceView(0, 1, RUNTIME_CLASS(CAltView)), nullptr);

    // The window form puts the first view back.
    HWND current = Pane(0, 1);
    CWnd* previous = splitter.ReplaceView(0, 1, old);
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->m_hWnd, current);
    EXPECT_EQ(Pane(0, 1), oldPane);
    EXPECT_TRUE(::IsWindowVisible(oldPane));
    EXPECT_EQ(splitter.ReplaceView(0, 1, old), nullptr) << "the same window";

    // SwitchView: two panes exchange places, both stay visible.
    HWND first = Pane(0, 0), third = Pane(0, 2);
    EXPECT_FALSE(splitter.SwitchView(0, 0, CWnd::FromHandle(first)));
    ASSERT_TRUE(splitter.SwitchView(0, 0, CWnd::FromHandle(third)));
    EXPECT_EQ(Pane(0, 0), third);
    EXPECT_EQ(Pane(0, 2), first);
    EXPECT_TRUE(::IsWindowVisible(first) && ::IsWindowVisible(third));
    EXPECT_EQ(RectIn(splitter.m_hWnd, third).left, 2);
}

TEST_F(SplitterTest, ReplaceViewThatCannotMakeItsWindowDeletesTheViewOnce)
{
    Open();
    CRecordingSplitter& splitter = Splitter();
    HWND pane = Pane(0, 1);
    const struct {
        const char* name;
        const CRuntimeClass* viewClass;
    } cases[] = {
        {"PreCreateWindow refuses", RUNTIME_CLASS(CRefusingView)},
        {"no such window class", RUNTIME_CLASS(CNoClassView)},
        {"OnCreate fails", RUNTIME_CLASS(CFailingCreateView)},
    };
    for (const auto& c : cases) {
        g_viewsDeleted = 0;
        EXPECT_EQ(splitter.ReplaceView(0, 1, c.viewClass), nullptr) << c.name;
        EXPECT_EQ(g_viewsDeleted, 1) << c.name;
        EXPECT_EQ(Pane(0, 1), pane) << c.name;
        EXPECT_TRUE(::IsWindowVisible(pane)) << c.name;
    }
}

// ---- themes and drawing ----

TEST_F(SplitterTest, ThemeNumbersChooseTheThemeClasses)
{
    CXTPSplitterWnd splitter;
    const struct {
        int number;
        int theme;
        const std::type_info& type;
    } cases[] = {
        {0, 0, typeid(CXTPSplitterWndTheme)},          {1, 0, typeid(CXTPSplitterWndTheme)},
        {2, 0, typeid(CXTPSplitterWndTheme)},          {3, 4, typeid(CXTPSplitterWndThemeOfficeXP)},
        {4, 4, typeid(CXTPSplitterWndThemeOfficeXP)},  {5, 5, typeid(CXTPSplitterWndThemeOffice2003)},
        {6, 0, typeid(CXTPSplitterWndTheme)},          {7, 7, typeid(CXTPSplitterWndThemeResource)},
        {8, 4, typeid(CXTPSplitterWndThemeOfficeXP)},  {9, 4, typeid(CXTPSplitterWndThemeOfficeXP)},
        {10, 10, typeid(CXTPSplitterWndThemeVisualStudio2010)}, {11, 0, typeid(CXTPSplitterWndTheme)},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(splitter.SetTheme(c.number));
        EXPECT_EQ(typeid(*splitter.GetTheme()), c.type) << "theme " << c.number;
        EXPECT_EQ(splitter.GetTheme()->GetThemeNumber(), c.theme) << "theme " << c.number;
    }
    splitter.SetFlatLook(FALSE);
    EXPECT_EQ(splitter.GetTheme()->GetThemeNumber(), 4);
    splitter.SetTheme(0);
    splitter.EnableFlatLook(TRUE);
    EXPECT_EQ(splitter.GetTheme()->GetThemeNumber(), 4);
    EXPECT_EQ(splitter.GetSplitterStyle(), 0u);
    EXPECT_EQ(splitter.m_cxSplitterGap, 6);
    EXPECT_EQ(splitter.m_cySplitter, 6);
}

TEST_F(SplitterTest, PrintClientDrawsBarsAndBordersInTheThemesColours)
{
    Open();
    CRecordingSplitter& splitter = Splitter();
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE), shadow = ::GetSysColor(COLOR_BTNSHADOW),
                   light = ::GetSysColor(COLOR_BTNHIGHLIGHT), frameColour = ::GetSysColor(COLOR_WINDOWFRAME);
    const struct {
        const char* name;
        int theme;          // sent as WM_CONTROL_SET_THEME
        DWORD style;
        COLORREF bar, outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
    } cases[] = {
        {"theme 0", 0, 0, face, shadow, light, frameColour, face},
        {"theme 6 is the plain theme", 6, 0, face, shadow, light, frameColour, face},
        {"theme 8 is Office XP", 8, 0, face, face, face, shadow, light},
        {"flat border", 0, XTP_SPLIT_NOBORDER, face, face, face, face, face},
        {"theme 10", 10, 0, RGB(173, 186, 206), RGB(173, 186, 206), RGB(173, 186, 206), RGB(132, 146, 165),
         RGB(132, 146, 165)},
    };
    CRect client;
    splitter.GetClientRect(&client);
    const CRect pane = RectIn(splitter.m_hWnd, Pane(0, 1));
    const int y = pane.CenterPoint().y;
    const int border = splitter.m_cxBorder;
    const int barX = pane.left - border - 3;    // the middle of the 6-pixel bar left of the pane
    for (const auto& c : cases) {
        splitter.SendMessage(WM_CONTROL_SET_THEME, static_cast<WPARAM>(c.theme), 0);
        splitter.SetSplitterStyle(c.style);
        DibCanvas canvas(client.Width(), client.Height());
        EXPECT_EQ(splitter.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.DC()), PRF_CLIENT), 0)
            << c.name;
        EXPECT_EQ(Hex(canvas.At(barX, y)), Hex(c.bar)) << c.name << ": bar";
        EXPECT_EQ(Hex(canvas.At(pane.left - 2, y)), Hex(c.outerTopLeft)) << c.name << ": outer left edge";
        EXPECT_EQ(Hex(canvas.At(pane.right + 1, y)), Hex(c.outerBottomRight)) << c.name << ": outer right edge";
        EXPECT_EQ(Hex(canvas.At(pane.left - 1, y)), Hex(c.innerTopLeft)) << c.name << ": inner left edge";
        EXPECT_EQ(Hex(canvas.At(pane.right, y)), Hex(c.innerBottomRight)) << c.name << ": inner right edge";
        EXPECT_EQ(Hex(canvas.At(pane.CenterPoint().x, y)), Hex(RGB(255, 255, 255))) << c.name << ": panes untouched";
    }
}
