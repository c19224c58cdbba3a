// The hook manager on real windows: the order clients are asked in and their answers, one sink per
// window, unhooking, foreign subclassers above the sink, WM_NCDESTROY, and clients that remove
// themselves, others, the whole sink or the window while a message (or a nested one) is offered.
// A use after free does not crash reliably under Wine, so sink deletions are counted through the
// manager's test hook (none may happen inside a dispatch) and freed sinks are poisoned.

#include "framework/window/Wnd.h"
#include "toolkit/foundation/XTPHookManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr UINT kProbe = WM_APP + 7;
constexpr UINT kNested = WM_APP + 8;

std::vector<std::string>* g_log = nullptr;
int g_sinkDeletions = 0;
int g_deletionsInsideDispatch = 0;

void Log(const std::string& entry)
{
    if (g_log)
        g_log->push_back(entry);
}

void OnSinkDeleted(HWND, int depth)
{
    ++g_sinkDeletions;
    if (depth != 0)
        ++g_deletionsInsideDispatch;
}

LRESULT CALLBACK PlainProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kProbe || message == kNested) {
        Log("window");
        return 77;
    }
    if (message == WM_NCDESTROY) {
        // The sink has left already: nothing of the manager is seen from here.
        Log(GetHookManager()->FindSink(hWnd) ? "ncdestroy-with-sink" : "ncdestroy-without-sink");
        Log(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&PlainProc) ? "proc-restored"
                                                                                                : "proc-foreign");
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

LRESULT CALLBACK PlainProcA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kProbe)
        return 78;
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

HWND MakeWindow()
{
    static ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"HookManagerTestWindow";
        return ::RegisterClassW(&wc);
    }();
    (void)atom;
    return ::CreateWindowExW(0, L"HookManagerTestWindow", L"hooked", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                             nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

// A client whose answer and action are set per test.
class Client : public CXTPHookManagerHookAble {
public:
    Client(std::string name, int answer = 0) : m_name(std::move(name)), m_answer(answer) {}
    ~Client() override
    {
        *m_alive = false;
        Log("deleted " + m_name);
    }
    int OnHookMessage(HWND hWnd, UINT nMessage, WPARAM& wParam, LPARAM& lParam, LRESULT& lResult) override
    {
        if (nMessage != kProbe && nMessage != kNested)
            return 0;
        Log(m_name);
        m_sawCurrent = AfxGetCurrentMessage()->message == nMessage && AfxGetCurrentMessage()->hwnd == hWnd;
        (void)wParam;
        (void)lParam;
        if (m_action && nMessage == kProbe) {
            auto action = m_action;
            action(hWnd);    // may delete this object: nothing of it is touched afterwards
            return 0;
        }
        if (m_answer == 1)
            lResult = 5;
        return m_answer;
    }

    std::string m_name;
    int m_answer;
    bool m_sawCurrent = false;
    std::function<void(HWND)> m_action;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

class HookManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_log = &m_log;
        g_sinkDeletions = g_deletionsInsideDispatch = 0;
        CXTPHookManager::SetSinkDeletedHook(OnSinkDeleted);
        CXTPHookManager::SetPoisonFreedSinks(true);
        m_hWnd = MakeWindow();
        ASSERT_NE(m_hWnd, nullptr);
    }
    void TearDown() override
    {
        if (::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
        CXTPHookManager::SetSinkDeletedHook(nullptr);
        g_log = nullptr;
        EXPECT_EQ(g_deletionsInsideDispatch, 0);
    }

    std::vector<std::string> m_log;
    HWND m_hWnd = nullptr;
};

TEST_F(HookManagerTest, TheClientAddedLastIsAskedFirstAndItsAnswerDecides)
{
    struct Row {
        int lastAnswer;
        std::vector<std::string> seen;
        LRESULT result;
    };
    const Row rows[] = {
        {0, {"second", "first", "window"}, 77},
        {2, {"second", "window"}, 77},     // stop: the first client is skipped, the window gets it
        {1, {"second"}, 5},                 // handled: the client's result goes back
    };
    for (const Row& row : rows) {
        Client first("first"), second("second", row.lastAnswer);
        GetHookManager()->SetHook(m_hWnd, &first);
        GetHookManager()->SetHook(m_hWnd, &second);
        m_log.clear();
        EXPECT_EQ(::SendMessageW(m_hWnd, kProbe, 0, 0), row.result) << "answer " << row.lastAnswer;
        EXPECT_EQ(m_log, row.seen) << "answer " << row.lastAnswer;
        EXPECT_TRUE(second.m_sawCurrent) << "the current-message record names the message being offered";
        GetHookManager()->RemoveAll(&first);
        GetHookManager()->RemoveAll(&second);
        EXPECT_EQ(GetHookManager()->FindSink(m_hWnd), nullptr);
    }
}

TEST_F(HookManagerTest, OneSinkPerWindowAndOneEntryPerClient)
{
    const LONG_PTR original = ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC);
    Client client("client");
    GetHookManager()->SetHook(m_hWnd, &client);
    CXTPHookManager::CHookSink* sink = GetHookManager()->FindSink(m_hWnd);
    ASSERT_NE(sink, nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&CXTPHookManager::HookWindowProc));
    GetHookManager()->SetHook(m_hWnd, &client);
    EXPECT_EQ(GetHookManager()->FindSink(m_hWnd), sink);
    EXPECT_EQ(sink->GetSize(), 1);
    EXPECT_EQ(FindPointerInArray(*sink, &client), 0);
    ::SendMessageW(m_hWnd, kProbe, 0, 0);
    EXPECT_EQ(m_log, (std::vector<std::string>{"client", "window"}));

    GetHookManager()->RemoveHook(m_hWnd, &client);
    EXPECT_EQ(GetHookManager()->FindSink(m_hWnd), nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC), original);
    EXPECT_EQ(g_sinkDeletions, 1);
}

TEST_F(HookManagerTest, AnAnsiWindowIsSubclassedAndRestoredThroughTheAnsiCalls)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProcA;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = "HookManagerAnsiWindow";
    ::RegisterClassA(&wc);
    HWND ansi = ::CreateWindowExA(0, "HookManagerAnsiWindow", "a", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    ASSERT_NE(ansi, nullptr);
    ASSERT_FALSE(::IsWindowUnicode(ansi));
    const LONG_PTR original = ::GetWindowLongPtrA(ansi, GWLP_WNDPROC);
    Client client("ansi");
    GetHookManager()->SetHook(ansi, &client);
    EXPECT_FALSE(GetHookManager()->FindSink(ansi)->m_bUnicode);
    EXPECT_EQ(::SendMessageA(ansi, kProbe, 0, 0), 78);
    EXPECT_EQ(m_log, (std::vector<std::string>{"ansi"}));
    GetHookManager()->RemoveHook(ansi, &client);
    EXPECT_EQ(::GetWindowLongPtrA(ansi, GWLP_WNDPROC), original);
    EXPECT_FALSE(::IsWindowUnicode(ansi));
    ::DestroyWindow(ansi);
}

// A subclasser above the sink that knows the handover message adopts the sink's saved link.
WNDPROC g_foreignPrevious = nullptr;
bool g_foreignKnowsHandover = false;
LRESULT CALLBACK ForeignProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_HOOKMANAGER_SINKREMOVED && g_foreignKnowsHandover &&
        reinterpret_cast<WNDPROC>(wParam) == g_foreignPrevious) {
        g_foreignPrevious = reinterpret_cast<WNDPROC>(lParam);
        return 1;
    }
    if (message == kProbe)
        Log("foreign");
    return ::CallWindowProcW(g_foreignPrevious, hWnd, message, wParam, lParam);
}

TEST_F(HookManagerTest, ASubclasserAboveTheSinkKeepsItsPlaceWhenTheSinkGoes)
{
    for (bool knowsHandover : {true, false}) {
        SCOPED_TRACE(knowsHandover ? "the subclasser takes over the link" : "a subclasser that knows nothing");
        HWND hWnd = MakeWindow();
        g_foreignKnowsHandover = knowsHandover;
        Client client("client");
        GetHookManager()->SetHook(hWnd, &client);
        g_foreignPrevious =
            reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
        GetHookManager()->RemoveHook(hWnd, &client);

        EXPECT_EQ(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ForeignProc));
        if (knowsHandover) {
            EXPECT_EQ(g_foreignPrevious, &PlainProc);
            EXPECT_EQ(GetHookManager()->FindSink(hWnd), nullptr);
        } else {
            // Writing the saved procedure back would have cut the subclasser out: the sink stays
            // as a clientless pass-through until the window goes.
            ASSERT_NE(GetHookManager()->FindSink(hWnd), nullptr);
            EXPECT_EQ(GetHookManager()->FindSink(hWnd)->GetSize(), 0);
        }
        m_log.clear();
        EXPECT_EQ(::SendMessageW(hWnd, kProbe, 0, 0), 77);
        EXPECT_EQ(m_log, (std::vector<std::string>{"foreign", "window"}));
        ::DestroyWindow(hWnd);
        EXPECT_EQ(GetHookManager()->FindSink(hWnd), nullptr);
    }
}

TEST_F(HookManagerTest, NcDestroyRemovesTheSinkBeforeTheWindowProcedureSeesIt)
{
    auto* owned = new Client("owned");
    owned->m_dwHookFlags = 1;
    Client plain("plain");
    GetHookManager()->SetHook(m_hWnd, &plain);
    GetHookManager()->SetHook(m_hWnd, owned);
    ::DestroyWindow(m_hWnd);
    EXPECT_EQ(GetHookManager()->FindSink(m_hWnd), nullptr);
    EXPECT_EQ(g_sinkDeletions, 1);
    const std::vector<std::string> expected{"ncdestroy-without-sink", "proc-restored", "deleted owned"};
    EXPECT_EQ(m_log, expected);
}

// Clients that change the sink under the walk. Each row: what the first-asked client does, and
// what is seen afterwards. Removals only mark slots; the sink and owned clients are deleted when
// the outermost dispatch is over.
TEST_F(HookManagerTest, ClientsMayChangeTheSinkWhileAMessageIsOffered)
{
    struct Row {
        const char* name;
        std::function<void(HWND, Client&, Client&, Client&)> action;   // (window, a, b, c): c runs first
        std::vector<std::string> seen;
        bool sinkLeft;
    };
    const Row rows[] = {
        {"removes itself", [](HWND h, Client&, Client&, Client& c) { GetHookManager()->RemoveHook(h, &c); },
         {"c", "b", "a", "window"}, true},
        {"removes the next client",
         [](HWND h, Client&, Client& b, Client&) { GetHookManager()->RemoveHook(h, &b); },
         {"c", "a", "window"}, true},
        {"empties the sink",
         [](HWND h, Client& a, Client& b, Client& c) {
             GetHookManager()->RemoveHook(h, &c);
             GetHookManager()->RemoveHook(h, &b);
             GetHookManager()->RemoveHook(h, &a);
         },
         {"c", "window"}, false},
        {"removes the sink", [](HWND h, Client&, Client&, Client&) { GetHookManager()->RemoveSink(h, FALSE); },
         {"c", "b", "a", "window"}, false},
        {"sends a nested message that empties the sink",
         [](HWND h, Client& a, Client& b, Client& c) {
             ::SendMessageW(h, kNested, 0, 0);
             GetHookManager()->RemoveAll(&a);
             GetHookManager()->RemoveAll(&b);
             GetHookManager()->RemoveAll(&c);
         },
         {"c", "c", "b", "a", "window", "window"}, false},
        {"destroys the window", [](HWND h, Client&, Client&, Client&) { ::DestroyWindow(h); },
         {"c", "ncdestroy-without-sink", "proc-restored", "b", "a", "window"}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HWND hWnd = MakeWindow();
        Client a("a"), b("b"), c("c");
        GetHookManager()->SetHook(hWnd, &a);
        GetHookManager()->SetHook(hWnd, &b);
        GetHookManager()->SetHook(hWnd, &c);
        Client* pa = &a;
        Client* pb = &b;
        Client* pc = &c;
        const auto action = row.action;
        c.m_action = [=](HWND h) { action(h, *pa, *pb, *pc); };
        m_log.clear();
        g_sinkDeletions = 0;
        ::SendMessageW(hWnd, kProbe, 0, 0);
        EXPECT_EQ(m_log, row.seen);
        EXPECT_EQ(GetHookManager()->FindSink(hWnd) != nullptr, row.sinkLeft);
        if (CXTPHookManager::CHookSink* sink = GetHookManager()->FindSink(hWnd)) {
            EXPECT_EQ(FindPointerInArray(*sink, nullptr), -1) << "marked slots are compacted afterwards";
        }
        EXPECT_EQ(GetHookManager()->GetDispatchDepth(), 0);
        GetHookManager()->RemoveAll(&a);
        GetHookManager()->RemoveAll(&b);
        GetHookManager()->RemoveAll(&c);
        if (::IsWindow(hWnd))
            ::DestroyWindow(hWnd);
        EXPECT_EQ(g_sinkDeletions, 1);
        EXPECT_EQ(g_deletionsInsideDispatch, 0);
    }
}

TEST_F(HookManagerTest, OwnedClientsDroppedDuringADispatchAreDeletedAfterIt)
{
    auto* self = new Client("self");
    self->m_dwHookFlags = 1;
    auto* other = new Client("other");
    other->m_dwHookFlags = 1;
    const std::shared_ptr<bool> selfAlive = self->m_alive;
    const std::shared_ptr<bool> otherAlive = other->m_alive;
    Client keeper("keeper");
    GetHookManager()->SetHook(m_hWnd, &keeper);
    GetHookManager()->SetHook(m_hWnd, other);
    GetHookManager()->SetHook(m_hWnd, self);
    self->m_action = [&, self, other](HWND h) {
        GetHookManager()->RemoveHook(h, other);
        GetHookManager()->RemoveHook(h, self);
        Log(*selfAlive && *otherAlive ? "both alive during the dispatch" : "deleted too early");
    };
    ::SendMessageW(m_hWnd, kProbe, 0, 0);
    EXPECT_FALSE(*selfAlive);
    EXPECT_FALSE(*otherAlive);
    const std::vector<std::string> expected{"self", "both alive during the dispatch", "keeper", "window",
                                            "deleted self", "deleted other"};
    EXPECT_EQ(m_log, expected);
    ASSERT_NE(GetHookManager()->FindSink(m_hWnd), nullptr);
    EXPECT_EQ(GetHookManager()->FindSink(m_hWnd)->GetSize(), 1);
    GetHookManager()->RemoveHook(m_hWnd, &keeper);
}

TEST_F(HookManagerTest, RemoveAllTakesTheClientOffEveryWindow)
{
    HWND second = MakeWindow();
    Client shared("shared"), other("other");
    GetHookManager()->SetHook(m_hWnd, &shared);
    GetHookManager()->SetHook(second, &shared);
    GetHookManager()->SetHook(second, &other);
    GetHookManager()->RemoveAll(&shared);
    EXPECT_EQ(GetHookManager()->FindSink(m_hWnd), nullptr);
    ASSERT_NE(GetHookManager()->FindSink(second), nullptr);
    EXPECT_EQ(GetHookManager()->FindSink(second)->GetSize(), 1);
    ::SendMessageW(second, kProbe, 0, 0);
    EXPECT_EQ(m_log, (std::vector<std::string>{"other", "window"}));
    ::DestroyWindow(second);
}

} // namespace
