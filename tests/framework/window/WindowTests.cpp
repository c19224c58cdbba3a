// Windows, message tables, idle updates, modal loops and threads with real windows under Xvfb.
// Input goes through SendInput; every wait is on a condition with a wide limit.

#include "AppPump.h"

#include "framework/window/OleDropTarget.h"
#include "framework/window/WinApp.h"
#include "framework/window/WinThread.h"
#include "framework/window/Wnd.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <ole2.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const DWORD kWaitMs = 20000;

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Window Tests") {}
    int exitCode = 42;    // negative: the framework's own answer, the quit code
    int ExitInstance() override { return exitCode >= 0 ? exitCode : CWinApp::ExitInstance(); }
};

using apppump::RunUntil;

void DrainQuit()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void SendKey(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof(input));
}

void ClickAt(POINT screen)
{
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = static_cast<LONG>((screen.x * 65535LL + width / 2) / (width - 1));
        input.mi.dy = static_cast<LONG>((screen.y * 65535LL + height / 2) / (height - 1));
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(3, inputs, sizeof(INPUT));
}

std::vector<std::string> g_log;

// ---- a top-level frame to host the children ----

class CFrame : public CWnd {
public:
    int idleUpdates = 0;
    int buttonUpdates = 0;
    int notifyClicks = 0;
    int contextMenus = 0;
    CPoint contextPoint{0, 0};
    DWORD reportThread = 0;
    BOOL stopPreTranslate = FALSE;

    BOOL CreateFrame(const wchar_t* title = L"frame", DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE)
    {
        return CreateEx(0, AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                        title, style, 40, 40, 420, 320, nullptr, nullptr);
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP)
            g_log.push_back(std::string("frame ") + (msg->message == WM_KEYDOWN ? "down" : "up"));
        return (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && stopPreTranslate;
    }

protected:
    void OnIdleUpdateCmdUI()
    {
        ++idleUpdates;
        UpdateDialogControls(this, TRUE);
    }
    void OnUpdateButton(CCmdUI* ui)
    {
        ++buttonUpdates;
        ui->Enable(FALSE);
    }
    void OnTreeClick(NMHDR*, LRESULT*) { ++notifyClicks; }
    void OnContextMenu(CWnd*, CPoint point)
    {
        ++contextMenus;
        contextPoint = point;
    }
    LRESULT OnReport(WPARAM, LPARAM)
    {
        reportThread = ::GetCurrentThreadId();
        return 7;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFrame, CWnd)
    ON_MESSAGE_VOID(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_UPDATE_COMMAND_UI(101, OnUpdateButton)
    ON_NOTIFY(NM_CLICK, 200, OnTreeClick)
    ON_WM_CONTEXTMENU()
    ON_MESSAGE(WM_APP + 1, OnReport)
END_MESSAGE_MAP()

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_log.clear();
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
    }
    void TearDown() override
    {
        if (frame.m_hWnd)
            frame.DestroyWindow();
        DrainQuit();
        AfxDeleteTempMaps();
    }
    // The frame as the application's visible, focused main window.
    void ShowMainFrame()
    {
        ASSERT_TRUE(frame.CreateFrame());
        app.m_pMainWnd = &frame;
        frame.SetForegroundWindow();
        ASSERT_TRUE(RunUntil([&] { return ::GetForegroundWindow() == frame.m_hWnd; }));
    }
    CTestApp app;
    CFrame frame;
};

// ---- creation through the hook, reflection with real clicks ----

class CLoggingTree : public CWnd {
public:
    std::vector<UINT> created;
    int reflectedClicks = 0;
    BOOL letParentSee = FALSE;
    std::vector<std::string> order;

protected:
    BOOL OnNcCreate(LPCREATESTRUCTW cs)
    {
        created.push_back(WM_NCCREATE);
        return CWnd::OnNcCreate(cs);
    }
    int OnCreate(LPCREATESTRUCTW cs)
    {
        created.push_back(WM_CREATE);
        return CWnd::OnCreate(cs);
    }
    void OnGetMinMaxInfo(MINMAXINFO* info)
    {
        created.push_back(WM_GETMINMAXINFO);
        CWnd::OnGetMinMaxInfo(info);
    }
    BOOL OnReflectedClick(NMHDR*, LRESULT*)
    {
        ++reflectedClicks;
        return !letParentSee;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLoggingTree, CWnd)
    ON_WM_NCCREATE()
    ON_WM_CREATE()
    ON_WM_GETMINMAXINFO()
    ON_NOTIFY_REFLECT_EX(NM_CLICK, OnReflectedClick)
END_MESSAGE_MAP()

TEST_F(WindowTest, CreateExSubclassesSystemClassesBeforeTheirFirstMessage)
{
    ShowMainFrame();
    CLoggingTree tree;
    ASSERT_TRUE(tree.CreateEx(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 300, 200),
                              &frame, 200));
    EXPECT_EQ(tree.created, (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
    EXPECT_EQ(CWnd::FromHandlePermanent(tree.m_hWnd), &tree);

    // A top-level window of a system class also gets WM_GETMINMAXINFO, first of all.
    CLoggingTree popup;
    ASSERT_TRUE(popup.CreateEx(0, WC_TREEVIEWW, L"popup", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr));
    ASSERT_GE(popup.created.size(), 3u);
    EXPECT_EQ(popup.created.front(), static_cast<UINT>(WM_GETMINMAXINFO));
    EXPECT_EQ(std::vector<UINT>(popup.created.end() - 2, popup.created.end()),
              (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
    popup.DestroyWindow();
    EXPECT_EQ(popup.m_hWnd, nullptr);
    tree.DestroyWindow();
}

TEST_F(WindowTest, RealClickReachesTheReflectHandlerAndTheParentOnlyWhenLetThrough)
{
    ShowMainFrame();
    CLoggingTree tree;
    ASSERT_TRUE(tree.CreateEx(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 300, 200),
                              &frame, 200));
    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(L"First item");
    auto item = reinterpret_cast<HTREEITEM>(tree.SendMessage(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    ASSERT_NE(item, nullptr);
    RECT itemRect = {};
    std::memcpy(&itemRect, &item, sizeof(item));    // TVM_GETITEMRECT takes the item in the rectangle
    ASSERT_TRUE(tree.SendMessage(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&itemRect)));
    POINT point = {(itemRect.left + itemRect.right) / 2, (itemRect.top + itemRect.bottom) / 2};
    tree.ClientToScreen(&point);

    struct Case {
        BOOL letParentSee;
        int parentClicks;
    } cases[] = {{FALSE, 0}, {TRUE, 1}};
    for (const Case& c : cases) {
        tree.letParentSee = c.letParentSee;
        tree.reflectedClicks = 0;
        frame.notifyClicks = 0;
        ClickAt(point);
        ASSERT_TRUE(RunUntil([&] { return tree.reflectedClicks > 0; })) << "no reflected NM_CLICK";
        // The parent's handler runs in the same WM_NOTIFY, right after the reflected one.
        EXPECT_EQ(frame.notifyClicks, c.parentClicks) << "letParentSee " << c.letParentSee;
        // Let the double-click time pass so the next click is a click again.
        const ULONGLONG until = ::GetTickCount64() + ::GetDoubleClickTime() + 50;
        RunUntil([&] { return ::GetTickCount64() > until; });
    }
    tree.DestroyWindow();
}

TEST_F(WindowTest, KeyboardContextMenuArrivesAtMinusOne)
{
    ShowMainFrame();
    struct Case {
        const char* name;
        std::vector<std::pair<WORD, bool>> keys;
    } cases[] = {
        // Wine's DefWindowProc also enters the menu mode when F10 goes up, Shift or not: the
        // queued Escapes leave it again.
        {"Shift+F10", {{VK_SHIFT, false}, {VK_F10, false}, {VK_F10, true}, {VK_SHIFT, true},
                       {VK_ESCAPE, false}, {VK_ESCAPE, true}, {VK_ESCAPE, false}, {VK_ESCAPE, true}}},
        {"VK_APPS", {{VK_APPS, false}, {VK_APPS, true}}},
    };
    for (const Case& c : cases) {
        frame.contextMenus = 0;
        frame.contextPoint = CPoint(0, 0);
        frame.SetFocus();
        for (const auto& key : c.keys)
            SendKey(key.first, key.second);
        ASSERT_TRUE(RunUntil([&] { return frame.contextMenus > 0; })) << c.name;
        EXPECT_EQ(frame.contextPoint, CPoint(-1, -1)) << c.name;
    }
}

// ---- idle updates ----

std::atomic<int> g_rawIdleMessages{0};

LRESULT CALLBACK RawWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_IDLEUPDATECMDUI)
        ++g_rawIdleMessages;
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

TEST_F(WindowTest, OnePostedMessageRunsTheIdleUpdateOfPermanentWindowsOnly)
{
    ShowMainFrame();
    CWnd button;
    ASSERT_TRUE(button.CreateEx(0, L"BUTTON", L"Build", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 110, 40),
                                &frame, 101));
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RawWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"RawIdleProbe";
    ::RegisterClassW(&wc);
    HWND raw = ::CreateWindowExW(0, L"RawIdleProbe", L"", WS_CHILD | WS_VISIBLE, 10, 50, 50, 50, frame.m_hWnd,
                                 nullptr, wc.hInstance, nullptr);
    ASSERT_NE(raw, nullptr);
    g_rawIdleMessages = 0;
    // A temporary made now must be gone after the next idle time.
    CWnd* temporary = CWnd::FromHandle(raw);
    ASSERT_EQ(CWnd::LookupTemporary(raw), temporary);

    // Quiet first, then exactly one posted message and one idle cycle.
    RunUntil([] { return false; }, 200);
    frame.buttonUpdates = 0;
    ASSERT_TRUE(button.IsWindowEnabled() || true);
    button.EnableWindow(TRUE);
    frame.PostMessage(WM_NULL);
    ASSERT_TRUE(RunUntil([&] { return frame.buttonUpdates > 0 && CWnd::LookupTemporary(raw) == nullptr; }));
    EXPECT_FALSE(::IsWindowEnabled(button.m_hWnd));
    EXPECT_EQ(g_rawIdleMessages.load(), 0);
    EXPECT_EQ(CWnd::LookupTemporary(raw), nullptr);
    ::DestroyWindow(raw);
    button.DestroyWindow();
}

// ---- pre-translation ----

class CChainWnd : public CWnd {
public:
    const char* name = "";
    BOOL stop = FALSE;
    int keyDowns = 0;
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message != WM_KEYDOWN && msg->message != WM_KEYUP)
            return FALSE;
        g_log.push_back(std::string(name) + (msg->message == WM_KEYDOWN ? " down" : " up"));
        return stop;
    }

protected:
    void OnKeyDown(UINT key, UINT repeat, UINT flags)
    {
        ++keyDowns;
        CWnd::OnKeyDown(key, repeat, flags);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CChainWnd, CWnd)
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

TEST_F(WindowTest, PreTranslationWalksFromTheFocusUpAndStopsAtTrue)
{
    ShowMainFrame();
    CChainWnd panel, edit;
    panel.name = "panel";
    edit.name = "edit";
    ASSERT_TRUE(panel.CreateEx(0, nullptr, L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &frame, 1));
    ASSERT_TRUE(edit.CreateEx(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 10, 200, 40), &panel, 2));
    struct Case {
        BOOL panelStops;
        std::vector<std::string> log;
        int editKeyDowns;
    } cases[] = {
        {FALSE, {"edit down", "panel down", "frame down", "edit up", "panel up", "frame up"}, 1},
        {TRUE, {"edit down", "panel down", "edit up", "panel up"}, 0},
    };
    for (const Case& c : cases) {
        panel.stop = c.panelStops;
        edit.keyDowns = 0;
        edit.SetFocus();
        ASSERT_TRUE(RunUntil([&] { return ::GetFocus() == edit.m_hWnd; }));
        g_log.clear();
        SendKey('A', false);
        SendKey('A', true);
        const std::string last = c.log.back();
        ASSERT_TRUE(RunUntil([&] { return !g_log.empty() && g_log.back() == last; })) << "panelStops " << c.panelStops;
        EXPECT_EQ(g_log, c.log) << "panelStops " << c.panelStops;
        EXPECT_EQ(edit.keyDowns, c.editKeyDowns) << "panelStops " << c.panelStops;
    }

    // A top-level window outside the main window: the main window gets the last chance.
    CChainWnd floating;
    floating.name = "floating";
    ASSERT_TRUE(floating.CreateEx(0, nullptr, L"floating", WS_POPUP | WS_VISIBLE, 500, 400, 100, 100, nullptr, nullptr));
    floating.SetForegroundWindow();
    floating.SetFocus();
    ASSERT_TRUE(RunUntil([&] { return ::GetFocus() == floating.m_hWnd; }));
    g_log.clear();
    SendKey('B', false);
    SendKey('B', true);
    ASSERT_TRUE(RunUntil([&] { return !g_log.empty() && g_log.back() == "frame up"; }));
    EXPECT_EQ(g_log, (std::vector<std::string>{"floating down", "frame down", "floating up", "frame up"}));
    floating.DestroyWindow();
    edit.DestroyWindow();
    panel.DestroyWindow();
}

// ---- modal loop and the end of Run ----

class CModalWnd : public CWnd {
public:
    std::vector<BOOL> ownerEnabledAtKick;
    std::vector<BOOL> visibleAtKick;
    int quitCode = -1;    // >= 0: PostQuitMessage instead of ending the loop

protected:
    LRESULT OnKickIdle(WPARAM, LPARAM count)
    {
        ownerEnabledAtKick.push_back(::IsWindowEnabled(::GetWindow(m_hWnd, GW_OWNER)));
        visibleAtKick.push_back(IsWindowVisible());
        if (quitCode >= 0)
            ::PostQuitMessage(quitCode);
        else
            EndModalLoop(7);
        return FALSE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CModalWnd, CWnd)
    ON_MESSAGE(WM_KICKIDLE, OnKickIdle)
END_MESSAGE_MAP()

TEST_F(WindowTest, RunModalLoopDisablesTheOwnerAndEnablesItAgain)
{
    ShowMainFrame();
    CModalWnd modal;
    ASSERT_TRUE(modal.CreateEx(0, nullptr, L"modal", WS_POPUP | WS_CAPTION, 100, 100, 200, 120, frame.m_hWnd, nullptr));
    ASSERT_TRUE(frame.IsWindowEnabled());
    EXPECT_EQ(modal.RunModalLoop(MLF_SHOWONIDLE), 7);
    ASSERT_EQ(modal.ownerEnabledAtKick.size(), 1u);
    EXPECT_FALSE(modal.ownerEnabledAtKick[0]);
    EXPECT_TRUE(modal.visibleAtKick[0]);    // shown when the loop first idled
    EXPECT_TRUE(frame.IsWindowEnabled());
    EXPECT_FALSE(modal.ContinueModal());
    modal.DestroyWindow();
}

class CQuitFrame : public CFrame {
public:
    int modalResult = 0;

protected:
    LRESULT OnStartModal(WPARAM, LPARAM)
    {
        CModalWnd modal;
        modal.quitCode = 3;
        modal.CreateEx(0, nullptr, L"modal", WS_POPUP | WS_VISIBLE, 100, 100, 200, 120, m_hWnd, nullptr);
        modalResult = modal.RunModalLoop();
        modal.DestroyWindow();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CQuitFrame, CFrame)
    ON_MESSAGE(WM_APP + 2, OnStartModal)
END_MESSAGE_MAP()

TEST_F(WindowTest, QuitInsideAModalLoopEndsItAndThenRun)
{
    CQuitFrame quitFrame;
    ASSERT_TRUE(quitFrame.CreateFrame());
    app.m_pMainWnd = &quitFrame;
    app.exitCode = -1;
    quitFrame.PostMessage(WM_APP + 2);
    // The modal loop meets the quit, ends with -1 and posts it again; Run then ends with it.
    EXPECT_EQ(app.Run(), 3);
    EXPECT_EQ(quitFrame.modalResult, -1);
    quitFrame.DestroyWindow();
    app.m_pMainWnd = nullptr;
}

TEST_F(WindowTest, DestroyingTheMainWindowEndsRunWithExitInstanceCode)
{
    ShowMainFrame();
    frame.PostMessage(WM_CLOSE);
    EXPECT_EQ(app.Run(), 42);
    EXPECT_EQ(frame.m_hWnd, nullptr);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

// ---- heap windows and subclassing ----

bool g_heapWindowDeleted = false;
std::vector<std::string> g_endOrder;

class CHeapWnd : public CWnd {
public:
    ~CHeapWnd() override { g_heapWindowDeleted = true; }

protected:
    void PostNcDestroy() override
    {
        g_endOrder.push_back("PostNcDestroy");
        delete this;
    }
    void OnDestroy()
    {
        g_endOrder.push_back("WM_DESTROY");
        CWnd::OnDestroy();
    }
    void OnNcDestroy()
    {
        g_endOrder.push_back("WM_NCDESTROY");
        CWnd::OnNcDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHeapWnd, CWnd)
    ON_WM_DESTROY()
    ON_WM_NCDESTROY()
END_MESSAGE_MAP()

TEST_F(WindowTest, HeapWindowsDeleteThemselvesLastAndSubclassingRoundTrips)
{
    g_heapWindowDeleted = false;
    g_endOrder.clear();
    auto* heap = new CHeapWnd;
    ASSERT_TRUE(heap->CreateEx(0, nullptr, L"heap", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    HWND hWnd = heap->m_hWnd;
    ::DestroyWindow(hWnd);
    EXPECT_TRUE(g_heapWindowDeleted);
    EXPECT_EQ(g_endOrder, (std::vector<std::string>{"WM_DESTROY", "WM_NCDESTROY", "PostNcDestroy"}));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);

    HWND raw = ::CreateWindowExW(0, L"STATIC", L"raw", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    const auto original = ::GetWindowLongPtrW(raw, GWLP_WNDPROC);
    CWnd wrapper;
    ASSERT_TRUE(wrapper.SubclassWindow(raw));
    EXPECT_FALSE(CWnd().Attach(raw));    // one permanent object per window
    EXPECT_EQ(::GetWindowLongPtrW(raw, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&AfxWndProc));
    CString text;
    wrapper.GetWindowText(text);
    EXPECT_EQ(text, L"raw");
    EXPECT_EQ(wrapper.UnsubclassWindow(), raw);
    EXPECT_EQ(::GetWindowLongPtrW(raw, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandlePermanent(raw), nullptr);
    ::DestroyWindow(raw);

    // Generated class names are stable per argument set.
    const wchar_t* a = AfxRegisterWndClass(CS_DBLCLKS);
    const wchar_t* b = AfxRegisterWndClass(CS_DBLCLKS);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::wstring(a).rfind(L"Afx:", 0), 0u);
    EXPECT_NE(std::wstring(a), std::wstring(AfxRegisterWndClass(CS_HREDRAW)));
}

// ---- the message forms, one table ----

UINT g_registeredMessage = ::RegisterWindowMessageW(L"TarnwickWindowTestsMessage");

class CFormsChild : public CWnd {
public:
    HBRUSH brush = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));

protected:
    BOOL OnReflectedSetFocus()
    {
        g_log.push_back("child setfocus");
        return FALSE;    // the parent sees it too
    }
    void OnReflectedKillFocus() { g_log.push_back("child killfocus"); }
    HBRUSH CtlColor(CDC*, UINT kind)
    {
        g_log.push_back("child ctlcolor " + std::to_string(kind));
        return brush;
    }
    void HScroll(UINT code, UINT) { g_log.push_back("child hscroll " + std::to_string(code)); }
    void OnChar(UINT ch, UINT repeat, UINT flags)
    {
        // A nested message first: Default must still replay this WM_CHAR, not the nested one.
        GetParent()->SendMessage(WM_APP + 5, 0, 0);
        g_log.push_back("child char");
        Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFormsChild, CWnd)
    ON_CONTROL_REFLECT_EX(EN_SETFOCUS, OnReflectedSetFocus)
    ON_CONTROL_REFLECT(EN_KILLFOCUS, OnReflectedKillFocus)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_HSCROLL_REFLECT()
    ON_WM_CHAR()
END_MESSAGE_MAP()

class CFormsWnd : public CWnd {
protected:
    LRESULT OnApp5(WPARAM w, LPARAM l)
    {
        g_log.push_back("message " + std::to_string(w) + " " + std::to_string(l));
        return 77;
    }
    LRESULT OnRegistered(WPARAM w, LPARAM)
    {
        g_log.push_back("registered " + std::to_string(w));
        return 78;
    }
    void OnCommand200() { g_log.push_back("command 200"); }
    void OnCommandRange(UINT id) { g_log.push_back("range " + std::to_string(id)); }
    void OnCommand400() { g_log.push_back("command 400"); }
    void OnUpdate400(CCmdUI* ui) { ui->Enable(FALSE); }
    void OnEditChange() { g_log.push_back("control change"); }
    void OnEditSetFocus() { g_log.push_back("parent setfocus"); }
    void OnEditKillFocus() { g_log.push_back("parent killfocus"); }
    void OnNotifyRange(UINT id, NMHDR* header, LRESULT* result)
    {
        g_log.push_back("notify " + std::to_string(id));
        *result = 5;
    }
    void OnContextMenu(CWnd*, CPoint point)
    {
        g_log.push_back("context " + std::to_string(point.x) + " " + std::to_string(point.y));
    }
    void OnMouseMove(UINT, CPoint point)
    {
        g_log.push_back("move " + std::to_string(point.x) + " " + std::to_string(point.y));
    }
    HBRUSH OnCtlColor(CDC*, CWnd*, UINT kind)
    {
        g_log.push_back("parent ctlcolor " + std::to_string(kind));
        return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFormsWnd, CWnd)
    ON_MESSAGE(WM_APP + 5, OnApp5)
    ON_REGISTERED_MESSAGE(g_registeredMessage, OnRegistered)
    ON_COMMAND(200, OnCommand200)
    ON_COMMAND_RANGE(300, 309, OnCommandRange)
    ON_COMMAND(400, OnCommand400)
    ON_UPDATE_COMMAND_UI(400, OnUpdate400)
    ON_CONTROL(EN_CHANGE, 10, OnEditChange)
    ON_CONTROL(EN_SETFOCUS, 10, OnEditSetFocus)
    ON_CONTROL(EN_KILLFOCUS, 10, OnEditKillFocus)
    ON_NOTIFY_RANGE(NM_RETURN, 500, 509, OnNotifyRange)
    ON_WM_CONTEXTMENU()
    ON_WM_MOUSEMOVE()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

TEST_F(WindowTest, MessageFormsReachTheirTypedHandlers)
{
    CFormsWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"forms", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr));
    CFormsChild child;
    ASSERT_TRUE(child.CreateEx(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 30), &parent, 10));
    HWND edit = child.m_hWnd;
    NMHDR header = {edit, 503, static_cast<UINT>(NM_RETURN)};
    HDC dc = ::GetDC(parent.m_hWnd);
    auto hwndParam = [](HWND h) { return reinterpret_cast<LPARAM>(h); };

    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT result;
        std::vector<std::string> log;
    } cases[] = {
        {"ON_MESSAGE", WM_APP + 5, 1, 2, 77, {"message 1 2"}},
        {"ON_REGISTERED_MESSAGE", g_registeredMessage, 9, 0, 78, {"registered 9"}},
        {"ON_COMMAND", WM_COMMAND, MAKEWPARAM(200, 0), 0, 1, {"command 200"}},
        {"ON_COMMAND_RANGE", WM_COMMAND, MAKEWPARAM(305, 0), 0, 1, {"range 305"}},
        {"a disabled menu command is eaten", WM_COMMAND, MAKEWPARAM(400, 0), 0, 1, {}},
        {"ON_CONTROL", WM_COMMAND, MAKEWPARAM(10, EN_CHANGE), hwndParam(edit), 1, {"control change"}},
        {"ON_CONTROL_REFLECT_EX FALSE", WM_COMMAND, MAKEWPARAM(10, EN_SETFOCUS), hwndParam(edit), 1,
         {"child setfocus", "parent setfocus"}},
        {"ON_CONTROL_REFLECT", WM_COMMAND, MAKEWPARAM(10, EN_KILLFOCUS), hwndParam(edit), 1, {"child killfocus"}},
        {"ON_NOTIFY_RANGE", WM_NOTIFY, 503, reinterpret_cast<LPARAM>(&header), 5, {"notify 503"}},
        {"WM_CTLCOLOR reflected", WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), hwndParam(edit),
         reinterpret_cast<LRESULT>(child.brush), {"child ctlcolor 1"}},
        {"WM_CTLCOLOR of a window without object", WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
         hwndParam(parent.m_hWnd), reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH)), {"parent ctlcolor 6"}},
        {"WM_HSCROLL reflected", WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), hwndParam(edit), 0, {"child hscroll 1"}},
        {"WM_CONTEXTMENU keyboard", WM_CONTEXTMENU, reinterpret_cast<WPARAM>(parent.m_hWnd), MAKELPARAM(-1, -1), 0,
         {"context -1 -1"}},
        {"WM_MOUSEMOVE signed", WM_MOUSEMOVE, 0, MAKELPARAM(-5, 7), 0, {"move -5 7"}},
    };
    for (const Case& c : cases) {
        g_log.clear();
        const LRESULT result = parent.SendMessage(c.message, c.wParam, c.lParam);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(g_log, c.log) << c.name;
    }

    // Default replays the current message even after a nested one.
    g_log.clear();
    child.SendMessage(WM_CHAR, L'x', 1);
    CString text;
    child.GetWindowText(text);
    EXPECT_EQ(text, L"x");
    // The edit then reports its new text to the parent as usual.
    EXPECT_EQ(g_log, (std::vector<std::string>{"message 0 0", "child char", "control change"}));
    EXPECT_EQ(sizeof(*AfxGetCurrentMessage()), sizeof(MSG));

    ::ReleaseDC(parent.m_hWnd, dc);
    child.DestroyWindow();
    parent.DestroyWindow();
}

// ---- threads ----

std::atomic<bool> g_threadObjectDeleted{false};

class CCountingThread : public CWinThread {
    DECLARE_DYNCREATE(CCountingThread)
public:
    ~CCountingThread() override { g_threadObjectDeleted = true; }
    BOOL InitInstance() override { return FALSE; }
    int ExitInstance() override { return 5; }
};

IMPLEMENT_DYNCREATE(CCountingThread, CWinThread)

UINT __cdecl ReturnEleven(LPVOID)
{
    return 11;
}

TEST(WindowThreadTest, AutoDeleteThreadsGoAtTheirEndAndTheOwnedHandleStaysValid)
{
    g_threadObjectDeleted = false;
    UniqueKernelHandle handle;
    CWinThread* thread = AfxBeginThread(RUNTIME_CLASS(CCountingThread), THREAD_PRIORITY_NORMAL, 0, 0, nullptr, &handle);
    ASSERT_NE(thread, nullptr);
    ASSERT_TRUE(handle);
    ASSERT_EQ(::WaitForSingleObject(handle.Get(), kWaitMs), WAIT_OBJECT_0);
    EXPECT_TRUE(g_threadObjectDeleted);
    // Waiting again after the end returns at once; the code is ExitInstance's.
    EXPECT_EQ(::WaitForSingleObject(handle.Get(), 0), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(::GetExitCodeThread(handle.Get(), &code));
    EXPECT_EQ(code, 5u);

    // Auto-delete turned off while suspended: the caller owns the object and its handle.
    CWinThread* kept = AfxBeginThread(ReturnEleven, nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(kept, nullptr);
    kept->m_bAutoDelete = FALSE;
    kept->ResumeThread();
    ASSERT_EQ(::WaitForSingleObject(kept->m_hThread, kWaitMs), WAIT_OBJECT_0);
    EXPECT_TRUE(::GetExitCodeThread(kept->m_hThread, &code));
    EXPECT_EQ(code, 11u);
    delete kept;
}

struct WorkerReport {
    CWnd* mainWnd = nullptr;
    HWND mainHandle = nullptr;
    CWnd* permanentOnWorker = reinterpret_cast<CWnd*>(1);
    LRESULT sendResult = 0;
    CWinThread* thread = nullptr;
};

UINT __cdecl ReportToMainWindow(LPVOID param)
{
    auto* report = static_cast<WorkerReport*>(param);
    report->thread = AfxGetThread();
    report->mainWnd = AfxGetMainWnd();
    report->mainHandle = report->mainWnd ? report->mainWnd->m_hWnd : nullptr;
    report->permanentOnWorker = CWnd::FromHandlePermanent(report->mainHandle);
    if (report->mainWnd)
        report->sendResult = report->mainWnd->SendMessage(WM_APP + 1);
    return 0;
}

TEST_F(WindowTest, WorkerSeesTheMainWindowThroughItsOwnObjectAndSendsWithoutDeadlock)
{
    ShowMainFrame();
    WorkerReport report;
    UniqueKernelHandle handle;
    ASSERT_NE(AfxBeginThread(ReportToMainWindow, &report, THREAD_PRIORITY_NORMAL, 0, 0, nullptr, &handle), nullptr);
    // The worker reports with SendMessage: this wait must keep answering sent messages.
    ASSERT_EQ(AfxWaitForHandleDispatchingSent(handle.Get(), kWaitMs), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(report.mainHandle, frame.m_hWnd);
    EXPECT_NE(report.mainWnd, &frame);
    EXPECT_EQ(report.permanentOnWorker, nullptr);
    EXPECT_NE(report.thread, &app);
    EXPECT_EQ(report.sendResult, 7);
    EXPECT_EQ(frame.reportThread, ::GetCurrentThreadId());
    EXPECT_EQ(AfxGetMainWnd(), &frame);
    EXPECT_EQ(AfxGetThread(), &app);
}

UINT __cdecl ShowMessageBox(LPVOID param)
{
    *static_cast<int*>(param) = AfxMessageBox(L"Built.", MB_OK);
    return 0;
}

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM param)
{
    wchar_t name[16] = {};
    ::GetClassNameW(hWnd, name, 16);
    if (std::wstring(name) == L"#32770") {
        *reinterpret_cast<HWND*>(param) = hWnd;
        return FALSE;
    }
    return TRUE;
}

TEST_F(WindowTest, MessageBoxFromAWorkerIsCaptionedAndOwned)
{
    ShowMainFrame();
    int answer = 0;
    UniqueKernelHandle handle;
    CWinThread* worker = AfxBeginThread(ShowMessageBox, &answer, THREAD_PRIORITY_NORMAL, 0, 0, nullptr, &handle);
    ASSERT_NE(worker, nullptr);
    const DWORD workerId = ::GetThreadId(handle.Get());
    HWND box = nullptr;
    ASSERT_TRUE(RunUntil([&] {
        ::EnumThreadWindows(workerId, FindDialog, reinterpret_cast<LPARAM>(&box));
        return box != nullptr && ::IsWindowVisible(box);
    }));
    wchar_t caption[64] = {};
    ::GetWindowTextW(box, caption, 64);
    EXPECT_EQ(std::wstring(caption), L"Window Tests");
    EXPECT_EQ(::GetWindow(box, GW_OWNER), frame.m_hWnd);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(RunUntil([&] { return ::WaitForSingleObject(handle.Get(), 0) == WAIT_OBJECT_0; }));
    EXPECT_EQ(answer, IDOK);
}

// ---- OLE drop target ----

class CRecordingDropTarget : public COleDropTarget {
public:
    CPoint enterPoint{0, 0};
    DROPEFFECT OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint point) override
    {
        enterPoint = point;
        return DROPEFFECT_COPY;
    }
};

TEST_F(WindowTest, DropTargetRegistersAndRoutesTheInterfaceToItsVirtuals)
{
    ASSERT_TRUE(AfxOleInit());
    ShowMainFrame();
    CRecordingDropTarget target;
    ASSERT_TRUE(target.Register(&frame));
    EXPECT_FALSE(target.Register(&frame));
    IDropTarget* drop = nullptr;
    ASSERT_EQ(target.ExternalQueryInterface(&IID_IDropTarget, reinterpret_cast<void**>(&drop)), static_cast<DWORD>(S_OK));
    POINT client = {15, 25};
    frame.ClientToScreen(&client);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(drop->DragEnter(nullptr, 0, POINTL{client.x, client.y}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target.enterPoint, CPoint(15, 25));
    drop->DragLeave();
    drop->Release();
    target.Revoke();
    AfxEnableControlContainer();
    EXPECT_TRUE(AfxControlContainerEnabled());
    EXPECT_FALSE(frame.CreateControl(L"Some.Control", L"", WS_CHILD, CRect(0, 0, 10, 10), &frame, 5));
}

} // namespace
