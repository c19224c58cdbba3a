// Single-document programs with real windows under Xvfb: the template's document, frame and view,
// command routing, frame layout with control bars, status text, splitters and floating frames.
// Input goes through SendInput; every wait is on a condition with a wide limit.

#include "FrameTestsResource.h"

#include "AppPump.h"

#include "framework/window/ControlBar.h"
#include "framework/window/DocTemplate.h"
#include "framework/window/Document.h"
#include "framework/window/FrameWnd.h"
#include "framework/window/MdiFrame.h"
#include "framework/window/MiniFrame.h"
#include "framework/window/Splitter.h"
#include "framework/window/View.h"
#include "framework/window/WinApp.h"

#include "tests/support/GuiSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using testsupport::BringToForeground;
using testsupport::ClickAt;
using testsupport::ClickCentre;
using testsupport::ClickClient;
using testsupport::MouseButton;
using testsupport::MovePointerTo;
using testsupport::PressButton;
using testsupport::PressKeys;
using testsupport::TypeText;
using testsupport::WindowText;

namespace {

const DWORD kWaitMs = 20000;

std::vector<std::string> g_log;

enum class ClientKind { SingleView, StaticSplit, DynamicSplit, SplitInView };
ClientKind g_clientKind = ClientKind::SingleView;
bool g_withBars = false;

using apppump::RunUntil;

// Runs one full idle cycle (after whatever is queued now).
void RunIdle()
{
    bool done = false;
    ::PostMessageW(nullptr, WM_NULL, 0, 0);
    CWinThread* thread = AfxGetThread();
    RunUntil([&] {
        MSG peek;
        if (::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE))
            return false;
        if (!done) {
            LONG count = 0;
            while (thread->OnIdle(count++)) {
            }
            done = true;
        }
        return true;
    });
}

// What a thread timer runs (a timer procedure carries no context of its own).
std::function<void()>* g_tick = nullptr;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_tick)
        (*g_tick)();
}

void DrainQuit()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

CRect RectIn(HWND parent, HWND child)
{
    CRect rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Drags with the left button from one client point of the window to another, pumping through
// the application so the window sees each step.
bool Drag(HWND window, POINT from, POINT to)
{
    POINT a = from, b = to;
    ::ClientToScreen(window, &a);
    ::ClientToScreen(window, &b);
    auto at = [](POINT p) {
        return [p] {
            POINT c{};
            return ::GetCursorPos(&c) && c.x == p.x && c.y == p.y;
        };
    };
    if (!MovePointerTo(a) || !RunUntil(at(a)))
        return false;
    if (!PressButton(MouseButton::Left, true))
        return false;
    RunUntil([] { return (::GetKeyState(VK_LBUTTON) & 0x8000) != 0; }, 2000);
    // Two steps, so the window sees a move between press and release.
    POINT mid = {(a.x + b.x) / 2, (a.y + b.y) / 2};
    if (!MovePointerTo(mid) || !RunUntil(at(mid)))
        return false;
    if (!MovePointerTo(b) || !RunUntil(at(b)))
        return false;
    RunIdle();
    return PressButton(MouseButton::Left, false) && RunUntil([] { return (::GetKeyState(VK_LBUTTON) & 0x8000) == 0; });
}

// ---- the program's classes -----------------------------------------------------------------

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Frame Tests") {}
    void OnAppCommand() { g_log.push_back("app"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_CMD_APP, OnAppCommand)
END_MESSAGE_MAP()

class CTestDoc : public CDocument {
    DECLARE_DYNCREATE(CTestDoc)
public:
    int value = 0;
    void OnDocCommand() { g_log.push_back("doc"); }
    void DeleteContents() override { value = 0; }
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << value;
        else
            ar >> value;
    }
    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CTestDoc, CDocument)
BEGIN_MESSAGE_MAP(CTestDoc, CDocument)
    ON_COMMAND(ID_CMD_DOC, OnDocCommand)
END_MESSAGE_MAP()

class CTestView : public CView {
    DECLARE_DYNCREATE(CTestView)
public:
    int initialUpdates = 0;
    void OnDraw(CDC*) override {}
    void OnInitialUpdate() override
    {
        ++initialUpdates;
        CView::OnInitialUpdate();
    }
    void OnViewCommand() { g_log.push_back("view"); }
    void OnBothCommand() { g_log.push_back("view-both"); }
    void OnUpdateDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CTestView, CView)
BEGIN_MESSAGE_MAP(CTestView, CView)
    ON_COMMAND(ID_CMD_VIEW, OnViewCommand)
    ON_COMMAND(ID_CMD_BOTH, OnBothCommand)
    ON_UPDATE_COMMAND_UI(ID_CMD_DISABLED, OnUpdateDisabled)
END_MESSAGE_MAP()

// A list view that answers the Delete accelerator.
class CDeleteListView : public CListView {
    DECLARE_DYNCREATE(CDeleteListView)
public:
    void OnDelete() { g_log.push_back("list-delete"); }
    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CDeleteListView, CListView)
BEGIN_MESSAGE_MAP(CDeleteListView, CListView)
    ON_COMMAND(ID_EDIT_DELETE, OnDelete)
END_MESSAGE_MAP()

// A view that holds a splitter: a view on top, and below it a nested splitter with two views.
class CHostView : public CView {
    DECLARE_DYNCREATE(CHostView)
public:
    CSplitterWnd outer;
    CSplitterWnd inner;
    void OnDraw(CDC*) override {}

protected:
    int OnCreate(LPCREATESTRUCTW cs)
    {
        if (CView::OnCreate(cs) == -1)
            return -1;
        CCreateContext context;
        context.m_pCurrentDoc = GetDocument();
        if (!outer.CreateStatic(this, 2, 1) ||
            !outer.CreateView(0, 0, RUNTIME_CLASS(CTestView), CSize(100, 120), &context) ||
            !inner.CreateStatic(&outer, 1, 2, WS_CHILD | WS_VISIBLE, outer.IdFromRowCol(1, 0)) ||
            !inner.CreateView(0, 0, RUNTIME_CLASS(CTestView), CSize(200, 100), &context) ||
            !inner.CreateView(0, 1, RUNTIME_CLASS(CTestView), CSize(100, 100), &context))
            return -1;
        return 0;
    }
    void OnSize(UINT, int cx, int cy) { outer.MoveWindow(0, 0, cx, cy); }
    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CHostView, CView)
BEGIN_MESSAGE_MAP(CHostView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

// A bar on the left that takes 150 pixels and counts the layouts it takes part in; it may ask
// its frame for another layout from inside one.
class CTestBar : public CControlBar {
public:
    int width = 150;
    int sizeParentCalls = 0;
    bool nestRecalc = false;
    BOOL Create(CWnd* parent)
    {
        m_dwStyle = CBRS_ALIGN_LEFT;
        if (!CWnd::CreateEx(0, nullptr, L"test bar", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent->m_hWnd,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(0xE810))))
            return FALSE;
        AttachToFrame(parent);
        return TRUE;
    }
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override
    {
        return bHorz ? CSize(32767, width) : CSize(width, bStretch ? 32767 : 0);
    }
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}

protected:
    LRESULT OnSizeParentCounted(WPARAM wParam, LPARAM lParam)
    {
        ++sizeParentCalls;
        if (nestRecalc)
            GetParentFrame()->RecalcLayout();
        return OnSizeParent(wParam, lParam);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestBar, CControlBar)
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParentCounted)
END_MESSAGE_MAP()

class CTestFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CTestFrame)
public:
    CToolBar toolBar;
    CStatusBar statusBar;
    CTestBar testBar;
    CSplitterWnd splitter;
    std::vector<BOOL> ncActivates;              // wParam of each WM_NCACTIVATE received
    std::function<void(HMENU)> onMenuIdle;      // runs while a popup of the menu bar is open
    HMENU openPopup = nullptr;

    void OnFrameCommand() { g_log.push_back("frame"); }
    void OnBothCommand() { g_log.push_back("frame-both"); }
    void OnDelete() { g_log.push_back("frame-delete"); }
    void OnDisabledCommand() { g_log.push_back("disabled"); }

protected:
    int OnCreate(LPCREATESTRUCTW cs)
    {
        if (CFrameWnd::OnCreate(cs) == -1)
            return -1;
        if (g_withBars) {
            static const UINT indicators[] = {0, ID_INDICATOR_MODE};
            if (!toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS) ||
                !toolBar.LoadToolBar(IDR_TESTFRAME))
                return -1;
            if (!statusBar.Create(this) || !statusBar.SetIndicators(indicators, 2))
                return -1;
            if (!testBar.Create(this))
                return -1;
        }
        return 0;
    }
    BOOL OnCreateClient(LPCREATESTRUCTW cs, CCreateContext* pContext) override
    {
        switch (g_clientKind) {
        case ClientKind::SingleView:
            return CFrameWnd::OnCreateClient(cs, pContext);
        case ClientKind::StaticSplit:
            return splitter.CreateStatic(this, 1, 2) &&
                   splitter.CreateView(0, 0, RUNTIME_CLASS(CTreeView), CSize(150, 100), pContext) &&
                   splitter.CreateView(0, 1, RUNTIME_CLASS(CDeleteListView), CSize(100, 100), pContext);
        case ClientKind::DynamicSplit:
            return splitter.Create(this, 1, 2, CSize(20, 20), pContext);
        case ClientKind::SplitInView: {
            CCreateContext context = *pContext;
            context.m_pNewViewClass = RUNTIME_CLASS(CHostView);
            return CreateView(&context) != nullptr;
        }
        }
        return FALSE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NCACTIVATE)
            ncActivates.push_back(static_cast<BOOL>(wParam));
        if (message == WM_INITMENUPOPUP && !HIWORD(lParam))
            openPopup = reinterpret_cast<HMENU>(wParam);
        const LRESULT result = CFrameWnd::WindowProc(message, wParam, lParam);
        if ((message == WM_ENTERIDLE || message == WM_TIMER) && openPopup && onMenuIdle)
            onMenuIdle(openPopup);
        return result;
    }
    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CTestFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_CMD_FRAME, OnFrameCommand)
    ON_COMMAND(ID_CMD_BOTH, OnBothCommand)
    ON_COMMAND(ID_EDIT_DELETE, OnDelete)
    ON_COMMAND(ID_CMD_DISABLED, OnDisabledCommand)
END_MESSAGE_MAP()

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_log.clear();
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
    }
    void TearDown() override
    {
        if (app.m_pMainWnd && app.m_pMainWnd->m_hWnd)
            app.m_pMainWnd->DestroyWindow();
        DrainQuit();
        AfxDeleteTempMaps();
        g_clientKind = ClientKind::SingleView;
        g_withBars = false;
    }
    // The program's start-up: the template, then the stock command line (no argument: a new
    // document with its frame and view), the frame in front.
    void StartProgram(ClientKind kind, bool withBars)
    {
        g_clientKind = kind;
        g_withBars = withBars;
        app.AddDocTemplate(new CSingleDocTemplate(IDR_TESTFRAME, RUNTIME_CLASS(CTestDoc), RUNTIME_CLASS(CTestFrame),
                                                  RUNTIME_CLASS(CTestView)));
        CCommandLineInfo info;
        ASSERT_TRUE(app.ProcessShellCommand(info));
        frame = dynamic_cast<CTestFrame*>(app.m_pMainWnd);
        ASSERT_NE(frame, nullptr);
        frame->SetWindowPos(nullptr, 40, 40, 640, 480, SWP_NOZORDER);
        ASSERT_TRUE(BringToForeground(frame->m_hWnd));
        RunIdle();
    }
    HMENU Popup(int index) const { return ::GetSubMenu(::GetMenu(frame->m_hWnd), index); }
    // Opens popup `index` of the menu bar with a click and runs `whileOpen` from inside the menu
    // loop until it answers true (then the menu is closed); false when it never did.
    bool WithMenuOpen(int index, const std::function<bool(HMENU)>& whileOpen)
    {
        bool done = false;
        frame->openPopup = nullptr;
        frame->onMenuIdle = [&](HMENU popup) {
            if (!done && whileOpen(popup)) {
                done = true;
                ::EndMenu();
            }
        };
        // Timer ticks give the check more chances while the menu loop waits.
        const UINT_PTR timer = ::SetTimer(frame->m_hWnd, 77, 50, nullptr);
        // Another program's window may take the click on a shared display: click again then.
        for (int attempt = 0; attempt < 3 && !done; ++attempt) {
            BringToForeground(frame->m_hWnd);
            RECT item{};
            ::GetMenuItemRect(frame->m_hWnd, ::GetMenu(frame->m_hWnd), static_cast<UINT>(index), &item);
            if (!ClickAt({(item.left + item.right) / 2, (item.top + item.bottom) / 2}))
                continue;
            RunUntil([&] { return done; }, 6000);
        }
        ::KillTimer(frame->m_hWnd, timer);
        frame->onMenuIdle = nullptr;
        return done;
    }

    CTestApp app;
    CTestFrame* frame = nullptr;
};

// ---- start-up and routing ----

TEST_F(FrameTest, NewDocumentMakesFrameAndViewFromTheTemplate)
{
    StartProgram(ClientKind::SingleView, false);
    auto* view = dynamic_cast<CTestView*>(frame->GetActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDlgCtrlID(), 0xE900);
    EXPECT_EQ(view->GetParent()->m_hWnd, frame->m_hWnd);
    auto* doc = dynamic_cast<CTestDoc*>(view->GetDocument());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetDocTemplate(), app.GetDocTemplate(0));
    EXPECT_EQ(frame->GetActiveDocument(), doc);
    EXPECT_EQ(view->initialUpdates, 1);
    // Menu, accelerators and title of the resource id; the document's title joins the title.
    EXPECT_NE(::GetMenu(frame->m_hWnd), nullptr);
    EXPECT_NE(frame->m_hAccelTable, nullptr);
    // The template string names no document: the document is "Untitled".
    EXPECT_EQ(WindowText(frame->m_hWnd), L"Frame Tests - Untitled");
    EXPECT_EQ(frame->GetStyle() & WS_OVERLAPPEDWINDOW, static_cast<DWORD>(WS_OVERLAPPEDWINDOW));
    // A second File New reuses the one document and its frame.
    app.OnFileNew();
    EXPECT_EQ(app.m_pMainWnd, frame);
    EXPECT_EQ(frame->GetActiveView(), view);
}

TEST_F(FrameTest, ProgramTitleSurvivesIdleUntilTheDocumentIsRenamed)
{
    StartProgram(ClientKind::SingleView, false);
    frame->SetWindowText(L"Product 1.2.3");
    frame->DelayUpdateFrameTitle();
    RunIdle();
    // Activating the view again asks for the title again.
    CView* view = frame->GetActiveView();
    frame->SetActiveView(nullptr, FALSE);
    frame->SetActiveView(view);
    RunIdle();
    EXPECT_EQ(WindowText(frame->m_hWnd), L"Product 1.2.3");
    frame->GetActiveDocument()->SetTitle(L"Renamed");
    RunIdle();
    EXPECT_EQ(WindowText(frame->m_hWnd), L"Frame Tests - Renamed");
}

TEST_F(FrameTest, CommandsGoToViewDocumentFrameAndApplicationInThatOrder)
{
    StartProgram(ClientKind::SingleView, false);
    struct Case {
        UINT id;
        const char* handler;
    };
    const Case cases[] = {
        {ID_CMD_VIEW, "view"}, {ID_CMD_DOC, "doc"}, {ID_CMD_FRAME, "frame"},
        {ID_CMD_APP, "app"},   {ID_CMD_BOTH, "view-both"},
    };
    for (const Case& c : cases) {
        g_log.clear();
        frame->PostMessage(WM_COMMAND, c.id, 0);
        ASSERT_TRUE(RunUntil([] { return !g_log.empty(); })) << c.handler;
        RunIdle();
        ASSERT_EQ(g_log.size(), 1u) << c.handler;
        EXPECT_EQ(g_log[0], c.handler);
    }
    // The accelerator reaches the view through the frame's pre-translation.
    g_log.clear();
    PressKeys({VK_CONTROL, 'K'});
    ASSERT_TRUE(RunUntil([] { return !g_log.empty(); }));
    EXPECT_EQ(g_log[0], "view");
}

TEST_F(FrameTest, OpenMenuGreysItemsWithoutHandlerAndKeepsTheOthers)
{
    StartProgram(ClientKind::SingleView, false);
    UINT orphan = 0, view = 0, app = 0, exit = 0;
    ASSERT_TRUE(WithMenuOpen(0, [&](HMENU popup) {
        orphan = ::GetMenuState(popup, ID_CMD_ORPHAN, MF_BYCOMMAND);
        view = ::GetMenuState(popup, ID_CMD_VIEW, MF_BYCOMMAND);
        app = ::GetMenuState(popup, ID_CMD_APP, MF_BYCOMMAND);
        exit = ::GetMenuState(popup, 57665, MF_BYCOMMAND);
        return true;
    }));
    EXPECT_TRUE(orphan & MF_GRAYED);
    EXPECT_FALSE(view & MF_GRAYED);
    EXPECT_FALSE(app & MF_GRAYED);
    EXPECT_FALSE(exit & MF_GRAYED) << "the application's Exit";
}

TEST_F(FrameTest, ExitCommandClosesTheMainWindowAndEndsTheLoop)
{
    StartProgram(ClientKind::SingleView, false);
    HWND hWnd = frame->m_hWnd;
    frame->PostMessage(WM_COMMAND, ID_APP_EXIT, 0);
    ASSERT_TRUE(RunUntil([&] { return !::IsWindow(hWnd); }));
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// ---- layout ----

TEST_F(FrameTest, BarsTakeTheirStripsAndTheViewGetsExactlyTheRest)
{
    StartProgram(ClientKind::SingleView, true);
    HWND hFrame = frame->m_hWnd;
    CView* view = frame->GetActiveView();
    ASSERT_NE(view, nullptr);
    struct Case {
        const char* name;
        std::function<void()> act;
        bool statusShown;
    };
    const Case cases[] = {
        {"after start-up", [] {}, true},
        {"after a resize", [&] { frame->SetWindowPos(nullptr, 0, 0, 520, 400, SWP_NOMOVE | SWP_NOZORDER); }, true},
        {"after the status bar was hidden", [&] { frame->PostMessage(WM_COMMAND, ID_VIEW_STATUS_BAR, 0); }, false},
        {"after another resize", [&] { frame->SetWindowPos(nullptr, 0, 0, 600, 450, SWP_NOMOVE | SWP_NOZORDER); }, false},
        {"after the status bar came back", [&] { frame->PostMessage(WM_COMMAND, ID_VIEW_STATUS_BAR, 0); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.act();
        RunIdle();
        ASSERT_EQ(::IsWindowVisible(frame->statusBar.m_hWnd) != 0, c.statusShown);
        CRect client;
        ::GetClientRect(hFrame, &client);
        const CRect tool = RectIn(hFrame, frame->toolBar.m_hWnd);
        const CRect bar = RectIn(hFrame, frame->testBar.m_hWnd);
        const CRect pane = RectIn(hFrame, view->m_hWnd);
        const int statusTop = c.statusShown ? RectIn(hFrame, frame->statusBar.m_hWnd).top : client.bottom;
        EXPECT_EQ(tool, CRect(0, 0, client.right, tool.bottom));
        EXPECT_GT(tool.Height(), 15);
        if (c.statusShown) {
            EXPECT_EQ(RectIn(hFrame, frame->statusBar.m_hWnd), CRect(0, statusTop, client.right, client.bottom));
        }
        EXPECT_EQ(bar, CRect(0, tool.bottom, 150, statusTop));
        EXPECT_EQ(pane, CRect(150, tool.bottom, client.right, statusTop));
        // The View menu's check follows the bar.
        UINT state = 0;
        ASSERT_TRUE(WithMenuOpen(1, [&](HMENU popup) {
            state = ::GetMenuState(popup, ID_VIEW_STATUS_BAR, MF_BYCOMMAND);
            return true;
        }));
        EXPECT_EQ((state & MF_CHECKED) != 0, c.statusShown);
    }
}

TEST_F(FrameTest, DelayedLayoutWaitsForIdleAndANestedLayoutIsSkipped)
{
    StartProgram(ClientKind::SingleView, true);
    HWND hFrame = frame->m_hWnd;
    CView* view = frame->GetActiveView();
    frame->testBar.width = 200;
    frame->DelayRecalcLayout();
    EXPECT_EQ(RectIn(hFrame, view->m_hWnd).left, 150) << "laid out before idle time";
    RunIdle();
    EXPECT_EQ(RectIn(hFrame, view->m_hWnd).left, 200);

    frame->testBar.nestRecalc = true;
    frame->testBar.sizeParentCalls = 0;
    frame->testBar.width = 120;
    frame->RecalcLayout();
    EXPECT_EQ(frame->testBar.sizeParentCalls, 1);
    EXPECT_EQ(RectIn(hFrame, view->m_hWnd).left, 120);
    frame->testBar.nestRecalc = false;

    // A delayed hide happens at idle time and the pane takes the room.
    frame->ShowControlBar(&frame->testBar, FALSE, TRUE);
    EXPECT_TRUE(::IsWindowVisible(frame->testBar.m_hWnd));
    RunIdle();
    EXPECT_FALSE(::IsWindowVisible(frame->testBar.m_hWnd));
    EXPECT_EQ(RectIn(hFrame, view->m_hWnd).left, 0);
}

TEST_F(FrameTest, ToolbarFollowsUpdateHandlersAndItsClicksAreCommands)
{
    StartProgram(ClientKind::SingleView, true);
    HWND hTool = frame->toolBar.m_hWnd;
    EXPECT_EQ(frame->toolBar.GetItemID(0), static_cast<UINT>(ID_CMD_VIEW));
    EXPECT_EQ(frame->toolBar.GetItemID(1), 0u);    // separator
    ASSERT_TRUE(RunUntil([&] { return ::SendMessageW(hTool, TB_ISBUTTONENABLED, ID_CMD_DISABLED, 0) == 0; }));
    EXPECT_NE(::SendMessageW(hTool, TB_ISBUTTONENABLED, ID_CMD_VIEW, 0), 0);
    EXPECT_NE(::SendMessageW(hTool, TB_ISBUTTONENABLED, ID_CMD_FRAME, 0), 0);

    RECT button{};
    ::SendMessageW(hTool, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    g_log.clear();
    ASSERT_TRUE(ClickClient(hTool, {(button.left + button.right) / 2, (button.top + button.bottom) / 2}));
    ASSERT_TRUE(RunUntil([] { return !g_log.empty(); }));
    EXPECT_EQ(g_log[0], "view");

    // The tip is the command string's part after the line break.
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = hTool;
    info.hdr.idFrom = ID_CMD_DISABLED;
    info.hdr.code = TTN_GETDISPINFOW;
    frame->SendMessage(WM_NOTIFY, ID_CMD_DISABLED, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_STREQ(info.lpszText, L"Disabled tip");
}

// ---- status text ----

TEST_F(FrameTest, MessageStringsGoToTheStatusBarsFirstPane)
{
    StartProgram(ClientKind::SingleView, true);
    HWND hStatus = frame->statusBar.m_hWnd;
    frame->SendMessage(WM_SETMESSAGESTRING, ID_CMD_VIEW, 0);
    EXPECT_EQ(WindowText(hStatus), L"Runs the view's command");
    frame->SendMessage(WM_SETMESSAGESTRING, 0, reinterpret_cast<LPARAM>(L"Own text"));
    EXPECT_EQ(WindowText(hStatus), L"Own text");
    frame->SendMessage(WM_POPMESSAGESTRING, AFX_IDS_IDLEMESSAGE, 0);
    EXPECT_EQ(WindowText(hStatus), L"Ready");
    EXPECT_EQ(frame->statusBar.GetPaneText(1), L"MODE");

    // What a selected menu item shows: its prompt, a system command's prompt, nothing for
    // popups and separators, the idle text once the menu closed.
    HMENU sysMenu = ::GetSystemMenu(frame->m_hWnd, FALSE);
    struct Case {
        WPARAM wParam;
        LPARAM lParam;
        UINT tracking;
        const wchar_t* text;
    };
    const Case cases[] = {
        {MAKEWPARAM(ID_CMD_FRAME, MF_STRING), reinterpret_cast<LPARAM>(Popup(0)), ID_CMD_FRAME,
         L"Runs the frame's command"},
        {MAKEWPARAM(SC_CLOSE, MF_STRING | MF_SYSMENU), reinterpret_cast<LPARAM>(sysMenu), 0xEF06,
         L"Closes the window"},
        {MAKEWPARAM(0, MF_POPUP), reinterpret_cast<LPARAM>(::GetMenu(frame->m_hWnd)), 0, L""},
        {MAKEWPARAM(0, 0xFFFF), 0, AFX_IDS_IDLEMESSAGE, L"Ready"},
    };
    for (const Case& c : cases) {
        frame->SendMessage(WM_MENUSELECT, c.wParam, c.lParam);
        EXPECT_EQ(frame->m_nIDTracking, c.tracking);
        EXPECT_EQ(WindowText(hStatus), c.text);
    }

    // Pane 0 stretches: the indicator keeps its text's width at the right end.
    RECT first{}, second{}, bar{};
    frame->statusBar.GetItemRect(0, &first);
    frame->statusBar.GetItemRect(1, &second);
    ::GetClientRect(hStatus, &bar);
    EXPECT_GE(second.right, bar.right - 24);
    EXPECT_LE(second.right - second.left, 80);
    EXPECT_GT(first.right - first.left, bar.right / 2);
}

TEST_F(FrameTest, PathOpensThroughTheTemplateAndAMissingFileLeavesTheDocument)
{
    StartProgram(ClientKind::SingleView, false);
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    const CString path = CString(folder) + L"frame-test.smp";
    auto* doc = dynamic_cast<CTestDoc*>(frame->GetActiveDocument());
    ASSERT_NE(doc, nullptr);
    doc->value = 4242;
    ASSERT_TRUE(doc->OnSaveDocument(path));
    doc->value = 7;
    CDocument* opened = app.OpenDocumentFile(path);
    ASSERT_EQ(opened, doc) << "the single document is reused";
    EXPECT_EQ(doc->value, 4242);
    EXPECT_EQ(doc->GetTitle(), CString(L"frame-test.smp"));
    RunIdle();
    EXPECT_EQ(WindowText(frame->m_hWnd), L"Frame Tests - frame-test.smp");
    // A file that cannot be read: nothing opens, the frame and the document stay.
    EXPECT_EQ(app.OpenDocumentFile(CString(folder) + L"no-such-file.smp"), nullptr);
    EXPECT_EQ(frame->GetActiveDocument(), doc);
    EXPECT_TRUE(::IsWindow(frame->m_hWnd));
    ::DeleteFileW(path);
}

TEST_F(FrameTest, HoveredMenuItemShowsItsPromptAndReadyComesBack)
{
    StartProgram(ClientKind::SingleView, true);
    HWND hStatus = frame->statusBar.m_hWnd;
    bool moved = false;
    std::wstring shown;
    ASSERT_TRUE(WithMenuOpen(0, [&](HMENU popup) {
        if (!moved) {
            RECT item{};
            ::GetMenuItemRect(frame->m_hWnd, popup, 1, &item);    // "Document Command"
            MovePointerTo({(item.left + item.right) / 2, (item.top + item.bottom) / 2});
            moved = true;
            return false;
        }
        shown = WindowText(hStatus);
        return shown == L"Runs the document's command";
    })) << "last status text: " << testing::PrintToString(std::string(shown.begin(), shown.end()));
    ASSERT_TRUE(RunUntil([&] { return WindowText(hStatus) == L"Ready"; }));
}

// ---- splitters and the active view ----

TEST_F(FrameTest, StaticSplitterDragsClicksAndForgetsADestroyedActiveView)
{
    StartProgram(ClientKind::StaticSplit, false);
    CSplitterWnd& splitter = frame->splitter;
    EXPECT_EQ(splitter.GetDlgCtrlID(), 0xE900);
    CWnd* tree = splitter.GetPane(0, 0);
    CWnd* list = splitter.GetPane(0, 1);
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(tree->GetDlgCtrlID(), 0xE900);
    EXPECT_EQ(list->GetDlgCtrlID(), 0xE901);
    EXPECT_TRUE(CWnd::FromHandlePermanent(tree->m_hWnd)->IsKindOf(RUNTIME_CLASS(CTreeView)));
    // The first pane became the active view.
    EXPECT_EQ(frame->GetActiveView(), CWnd::FromHandlePermanent(tree->m_hWnd));

    int before = 0, minimum = 0;
    splitter.GetColumnInfo(0, before, minimum);
    EXPECT_EQ(before, 150);
    const CRect treeBefore = RectIn(splitter.m_hWnd, tree->m_hWnd);
    CRect bar;
    splitter.GetHitRect(CSplitterWnd::hSplitterBar1, bar);
    EXPECT_EQ(splitter.HitTest(bar.CenterPoint()), CSplitterWnd::hSplitterBar1);
    ASSERT_TRUE(Drag(splitter.m_hWnd, bar.CenterPoint(), {bar.CenterPoint().x + 40, bar.CenterPoint().y}));
    RunIdle();
    int after = 0;
    splitter.GetColumnInfo(0, after, minimum);
    EXPECT_EQ(after, before + 40);
    EXPECT_EQ(RectIn(splitter.m_hWnd, tree->m_hWnd).Width(), treeBefore.Width() + 40);

    // A click makes the list the active view; Delete reaches it through the accelerator.
    HWND hList = list->m_hWnd;
    ASSERT_TRUE(ClickCentre(hList));
    ASSERT_TRUE(RunUntil([&] { return frame->GetActiveView() && frame->GetActiveView()->m_hWnd == hList; }));
    g_log.clear();
    PressKeys({VK_DELETE});
    ASSERT_TRUE(RunUntil([] { return !g_log.empty(); }));
    EXPECT_EQ(g_log, std::vector<std::string>{"list-delete"});

    // The list dies while active: the frame takes the next command itself.
    ::DestroyWindow(hList);
    EXPECT_EQ(frame->GetActiveView(), nullptr);
    g_log.clear();
    frame->PostMessage(WM_COMMAND, ID_EDIT_DELETE, 0);
    ASSERT_TRUE(RunUntil([] { return !g_log.empty(); }));
    EXPECT_EQ(g_log, std::vector<std::string>{"frame-delete"});
}

TEST_F(FrameTest, DynamicSplitterSplitsFromItsBox)
{
    StartProgram(ClientKind::DynamicSplit, false);
    CSplitterWnd& splitter = frame->splitter;
    EXPECT_EQ(splitter.GetColumnCount(), 1);
    ASSERT_NE(::GetDlgItem(splitter.m_hWnd, AFX_IDW_HSCROLL_FIRST), nullptr);
    CRect inside;
    splitter.GetInsideRect(inside);
    const CPoint box(inside.left + 3, inside.bottom + 4);
    ASSERT_EQ(splitter.HitTest(box), CSplitterWnd::hSplitterBox);
    ASSERT_TRUE(Drag(splitter.m_hWnd, box, {box.x + 200, box.y - 100}));
    RunIdle();
    ASSERT_EQ(splitter.GetColumnCount(), 2);
    CWnd* second = splitter.GetPane(0, 1);
    ASSERT_NE(second, nullptr);
    CWnd* secondView = CWnd::FromHandlePermanent(second->m_hWnd);
    ASSERT_NE(secondView, nullptr);
    EXPECT_TRUE(secondView->IsKindOf(RUNTIME_CLASS(CTestView)));
    // Both panes show the one document.
    EXPECT_EQ(static_cast<CView*>(secondView)->GetDocument(), frame->GetActiveDocument());
    EXPECT_EQ(static_cast<CTestView*>(secondView)->initialUpdates, 1);
    int first = 0, minimum = 0;
    splitter.GetColumnInfo(0, first, minimum);
    EXPECT_NEAR(first, 200, 8);
    EXPECT_NE(::GetDlgItem(splitter.m_hWnd, AFX_IDW_HSCROLL_FIRST + 1), nullptr);
}

TEST_F(FrameTest, NestedSplittersInsideAViewLayOutAndAClickedPaneBecomesTheActiveView)
{
    StartProgram(ClientKind::SplitInView, false);
    auto* host = dynamic_cast<CHostView*>(CWnd::FromHandlePermanent(::GetDlgItem(frame->m_hWnd, 0xE900)));
    ASSERT_NE(host, nullptr);
    CSplitterWnd& outer = host->outer;
    CSplitterWnd& inner = host->inner;
    EXPECT_EQ(outer.GetPane(1, 0)->m_hWnd, inner.m_hWnd);
    EXPECT_EQ(inner.GetDlgCtrlID(), 0xE910);
    // Row 0 keeps its ideal height; the nested splitter fills row 1; its first column its width.
    int cur = 0, minimum = 0;
    outer.GetRowInfo(0, cur, minimum);
    EXPECT_EQ(cur, 120);
    CRect hostClient;
    host->GetClientRect(&hostClient);
    const CRect innerRect = RectIn(outer.m_hWnd, inner.m_hWnd);
    EXPECT_EQ(innerRect.top, 120 + 2 * outer.m_cyBorder + outer.m_cySplitterGap + outer.m_cyBorder);
    EXPECT_EQ(innerRect.bottom, hostClient.bottom - outer.m_cyBorder);
    inner.GetColumnInfo(0, cur, minimum);
    EXPECT_EQ(cur, 200);
    // Hit codes: the bar below row 0, the bar right of column 0, nothing inside a pane.
    CRect bar;
    outer.GetHitRect(CSplitterWnd::vSplitterBar1, bar);
    EXPECT_EQ(outer.HitTest(bar.CenterPoint()), CSplitterWnd::vSplitterBar1);
    inner.GetHitRect(CSplitterWnd::hSplitterBar1, bar);
    EXPECT_EQ(inner.HitTest(bar.CenterPoint()), CSplitterWnd::hSplitterBar1);
    EXPECT_EQ(inner.HitTest(CPoint(bar.left - 20, bar.top + 10)), CSplitterWnd::noHit);

    // A click in the nested splitter's second pane makes that view the frame's active view.
    CWnd* target = inner.GetPane(0, 1);
    ASSERT_NE(target, nullptr);
    HWND hTarget = target->m_hWnd;
    ASSERT_TRUE(ClickCentre(hTarget));
    ASSERT_TRUE(RunUntil([&] { return frame->GetActiveView() && frame->GetActiveView()->m_hWnd == hTarget; }));
    int row = -1, col = -1;
    EXPECT_EQ(inner.GetActivePane(&row, &col)->m_hWnd, hTarget);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(col, 1);
    g_log.clear();
    frame->PostMessage(WM_COMMAND, ID_CMD_VIEW, 0);
    ASSERT_TRUE(RunUntil([] { return !g_log.empty(); }));
    EXPECT_EQ(g_log[0], "view");
}

// ---- MDI ----

class CTestMdiFrame : public CMDIFrameWnd {
    DECLARE_DYNCREATE(CTestMdiFrame)
};
IMPLEMENT_DYNCREATE(CTestMdiFrame, CMDIFrameWnd)

TEST_F(FrameTest, MdiChildrenShowTheSharedMenuAndTakeCommandsWhileActive)
{
    auto* mdi = new CTestMdiFrame;
    ASSERT_TRUE(mdi->LoadFrame(IDR_MDIFRAME));
    app.m_pMainWnd = mdi;
    mdi->SetWindowPos(nullptr, 40, 40, 640, 480, SWP_NOZORDER);
    mdi->ShowWindow(SW_SHOW);
    ASSERT_TRUE(BringToForeground(mdi->m_hWnd));
    HMENU frameMenu = ::GetMenu(mdi->m_hWnd);
    ASSERT_NE(frameMenu, nullptr);
    ASSERT_NE(mdi->m_hWndMDIClient, nullptr);
    EXPECT_EQ(::GetDlgCtrlID(mdi->m_hWndMDIClient), 0xE900);

    auto* tmpl = new CMultiDocTemplate(IDR_TESTFRAME, RUNTIME_CLASS(CTestDoc), RUNTIME_CLASS(CMDIChildWnd),
                                       RUNTIME_CLASS(CTestView));
    app.AddDocTemplate(tmpl);
    ASSERT_NE(tmpl->m_hMenuShared, nullptr);
    CDocument* first = tmpl->OpenDocumentFile(nullptr);
    CDocument* second = tmpl->OpenDocumentFile(nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->GetTitle(), CString(L"Untitled1"));
    EXPECT_EQ(second->GetTitle(), CString(L"Untitled2"));
    RunIdle();

    CMDIChildWnd* active = mdi->MDIGetActive();
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(active->GetActiveDocument(), second);
    EXPECT_EQ(WindowText(active->m_hWnd), L"Untitled2");
    EXPECT_EQ(::GetMenu(mdi->m_hWnd), tmpl->m_hMenuShared);
    EXPECT_EQ(mdi->GetActiveDocument(), second);

    // Commands reach the active child's view; another activation moves them.
    g_log.clear();
    mdi->PostMessage(WM_COMMAND, ID_CMD_DOC, 0);
    ASSERT_TRUE(RunUntil([] { return !g_log.empty(); }));
    EXPECT_EQ(g_log[0], "doc");
    POSITION pos = first->GetFirstViewPosition();
    CView* firstView = first->GetNextView(pos);
    ASSERT_NE(firstView, nullptr);
    mdi->MDIActivate(firstView->GetParentFrame());
    RunIdle();
    EXPECT_EQ(mdi->MDIGetActive()->GetActiveDocument(), first);

    // Closing both children brings the frame's own menu back.
    HWND hFirst = firstView->GetParentFrame()->m_hWnd;
    ::SendMessageW(hFirst, WM_CLOSE, 0, 0);
    RunIdle();
    EXPECT_FALSE(::IsWindow(hFirst));
    ASSERT_NE(mdi->MDIGetActive(), nullptr);
    ::SendMessageW(mdi->MDIGetActive()->m_hWnd, WM_CLOSE, 0, 0);
    RunIdle();
    EXPECT_EQ(mdi->MDIGetActive(), nullptr);
    EXPECT_EQ(tmpl->GetFirstDocPosition(), nullptr);
    EXPECT_EQ(::GetMenu(mdi->m_hWnd), frameMenu);
}

// ---- modal state ----

TEST_F(FrameTest, KeysTypedInAModalWindowDoNotReachTheFramesAccelerators)
{
    StartProgram(ClientKind::SingleView, false);
    // A modal window that is no dialog: its keys walk up to the frame through its owner.
    CWnd modal;
    ASSERT_TRUE(modal.CreateEx(0, AfxRegisterWndClass(0), L"Modal", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100, 200,
                               120, frame->m_hWnd, nullptr));
    HWND hEdit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 10, 150, 24, modal.m_hWnd, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(hEdit, nullptr);
    bool disabledSeen = false, modalStateSeen = false;
    UINT_PTR timer = 0;
    auto step = [&]() {
        // Runs inside the modal loop.
        if (!disabledSeen) {
            disabledSeen = !frame->IsWindowEnabled();
            modalStateSeen = frame->InModalState() != FALSE;
            ::SetForegroundWindow(modal.m_hWnd);
            ::SetFocus(hEdit);
            if (::GetForegroundWindow() == modal.m_hWnd) {
                PressKeys({VK_DELETE});
                PressKeys({VK_CONTROL, 'K'});
                TypeText(L"x");
            }
        } else if (::GetWindowTextLengthW(hEdit) > 0) {
            modal.EndModalLoop(IDOK);
        }
    };
    std::function<void()> stepFn = step;
    g_tick = &stepFn;
    timer = ::SetTimer(nullptr, 0, 50, &Tick);
    g_log.clear();
    const int result = modal.RunModalLoop(0);
    ::KillTimer(nullptr, timer);
    g_tick = nullptr;
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(disabledSeen);
    EXPECT_TRUE(modalStateSeen);
    EXPECT_TRUE(g_log.empty()) << "a command ran behind the modal window: " << (g_log.empty() ? "" : g_log[0]);
    modal.DestroyWindow();
    // Enabled again, the frame translates its keys.
    ASSERT_TRUE(BringToForeground(frame->m_hWnd));
    EXPECT_FALSE(frame->InModalState());
    PressKeys({VK_CONTROL, 'K'});
    ASSERT_TRUE(RunUntil([] { return !g_log.empty(); }));
    EXPECT_EQ(g_log[0], "view");
}

TEST_F(FrameTest, SynchronisedMiniFrameKeepsTheOwnerActiveAndFollowsItsEnabledState)
{
    StartProgram(ClientKind::SingleView, false);
    CMiniFrameWnd mini;
    ASSERT_TRUE(mini.CreateEx(0, nullptr, L"Floating", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | MFS_SYNCACTIVE,
                              CRect(300, 300, 480, 420), frame));
    EXPECT_EQ(::GetWindow(mini.m_hWnd, GW_OWNER), frame->m_hWnd);
    EXPECT_EQ(mini.SendMessage(WM_FLOATSTATUS, FS_SYNCACTIVE), TRUE);
    // Showing the floating window activated it: the frame comes first again.
    ASSERT_TRUE(BringToForeground(frame->m_hWnd));
    ASSERT_TRUE(RunUntil([&] { return ::GetActiveWindow() == frame->m_hWnd; }));
    RunIdle();
    frame->ncActivates.clear();
    bool activated = false;
    for (int attempt = 0; attempt < 3 && !activated; ++attempt) {
        // An owned window stays above its owner, but the system may take a moment to restack it
        // after the owner came to the front.
        ::SetWindowPos(mini.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        CRect client;
        mini.GetClientRect(&client);
        CPoint centre = client.CenterPoint();
        mini.ClientToScreen(&centre);
        RunUntil([&] { return ::WindowFromPoint(centre) == mini.m_hWnd; }, 3000);
        ASSERT_TRUE(ClickCentre(mini.m_hWnd));
        activated = RunUntil([&] { return ::GetActiveWindow() == mini.m_hWnd; }, 6000);
    }
    ASSERT_TRUE(activated);
    RunIdle();
    ASSERT_FALSE(frame->ncActivates.empty());
    EXPECT_TRUE(frame->ncActivates.back()) << "the owner's caption went inactive";
    EXPECT_TRUE(frame->m_nFlags & WF_STAYACTIVE);

    // A message box owned by the frame disables the frame and its floating window.
    bool bothDisabled = false, modalState = false;
    testsupport::ModalDriver driver({L"#32770", L"Frame Tests"}, [&](HWND box) {
        bothDisabled = !::IsWindowEnabled(frame->m_hWnd) && !::IsWindowEnabled(mini.m_hWnd);
        modalState = frame->InModalState() != FALSE;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    frame->MessageBox(L"Stop", L"Frame Tests", MB_OK);
    ASSERT_TRUE(driver.Wait());
    EXPECT_TRUE(bothDisabled);
    EXPECT_TRUE(modalState);
    RunIdle();
    EXPECT_TRUE(::IsWindowEnabled(frame->m_hWnd));
    EXPECT_TRUE(::IsWindowEnabled(mini.m_hWnd));
    mini.DestroyWindow();
}

// A floating frame that notes its system menu opening and closes any menu at once.
class CRecordingMini : public CMiniFrameWnd {
public:
    int systemMenus = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_INITMENUPOPUP && HIWORD(lParam))
            ++systemMenus;
        if (message == WM_ENTERIDLE)
            ::EndMenu();
        return CMiniFrameWnd::WindowProc(message, wParam, lParam);
    }
};

TEST_F(FrameTest, BlockedSystemMenuOfAMiniFrameNeverOpens)
{
    StartProgram(ClientKind::SingleView, false);
    for (const bool block : {false, true}) {
        SCOPED_TRACE(block ? "blocked" : "not blocked");
        CRecordingMini mini;
        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | (block ? static_cast<DWORD>(MFS_BLOCKSYSMENU) : 0u);
        ASSERT_TRUE(mini.CreateEx(0, nullptr, L"Tool", style, CRect(320, 320, 480, 420), frame));
        mini.SendMessage(WM_SYSCOMMAND, SC_KEYMENU, L' ');
        RunIdle();
        EXPECT_EQ(mini.systemMenus, block ? 0 : 1);
        mini.DestroyWindow();
    }
}

} // namespace
