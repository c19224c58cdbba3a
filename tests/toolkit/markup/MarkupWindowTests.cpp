// A document in a plain Win32 window: the window procedure relays every message to the markup
// context through the flat interface and paints with it. Real input by SendInput moves the pointer
// and presses the button; the test asserts on what the elements and Windows report, then on pixels.

#include "MarkupDocumentSupport.h"

#include "tests/support/GuiSupport.h"
#include "toolkit/markup/XTPMarkupInputElement.h"

#include <string>
#include <vector>

using namespace markuptests;
using namespace testsupport;

namespace {

struct EventRecord {
    std::wstring element;
    std::wstring event;
    bool operator==(const EventRecord& other) const { return element == other.element && event == other.event; }
};

void PrintTo(const EventRecord& record, std::ostream* os)
{
    *os << Narrow(record.element.c_str()) << ":" << Narrow(record.event.c_str());
}

// What the host window saw.
struct HostState {
    CXTPMarkupUIElement* root = nullptr;
    int invalidatedCount = 0;       // messages 0x2A5C
    RECT lastUpdate = {};           // the update region's box when 0x2A5C arrived
    int setCursorCount = 0;
    int setCursorHandled = 0;
    BOOL lastSetCursorHandled = FALSE;
    int paints = 0;
};
HostState g_host;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == XTP_MARKUP_WM_INVALIDATED) {
        ++g_host.invalidatedCount;
        GetUpdateRect(hwnd, &g_host.lastUpdate, FALSE);
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        RenderMarkupElement(g_host.root, dc, &client);
        EndPaint(hwnd, &ps);
        ++g_host.paints;
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1;
    LRESULT result = 0;
    // The root may die inside the relay (a handler releases the document); the relay holds it.
    const BOOL handled = RelayMessageToElementContext(g_host.root, message, wParam, lParam, &result);
    if (message == WM_SETCURSOR) {
        ++g_host.setCursorCount;
        g_host.lastSetCursorHandled = handled;
        if (handled)
            ++g_host.setCursorHandled;
    }
    if (handled)
        return result;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool MoveTo(HWND hwnd, POINT client)
{
    POINT screen = client;
    ClientToScreen(hwnd, &screen);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, width - 1);
    input.mi.dy = MulDiv(screen.y, 65535, height - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return SendInput(1, &input, sizeof(input)) == 1;
}

bool Button(bool down)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    return SendInput(1, &input, sizeof(input)) == 1;
}

class MarkupWindowTest : public MarkupTest {
protected:
    void SetUp() override
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TarnwickMarkupHost";
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        RegisterClassW(&wc);
        m_hWnd = CreateWindowExW(0, wc.lpszClassName, L"markup host", WS_POPUP | WS_VISIBLE, 100, 100, 300, 80,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(nullptr, m_hWnd);
        m_pContext = CreateMarkupContext(m_hWnd);
        MarkupTest::SetUp();
        g_host = HostState();
        g_host.root = ParseMarkupText(
            m_pContext, L"<StackPanel x:Name='panel' Orientation='Horizontal' Background='White'>"
                        L"<StackPanel x:Name='left' Width='100' Height='60' Background='#FFFF0000'/>"
                        L"<StackPanel x:Name='right' Width='100' Height='60' Background='#FF0000FF' Cursor='Hand'/>"
                        L"</StackPanel>");
        ASSERT_NE(nullptr, g_host.root);
        ASSERT_TRUE(BringToForeground(m_hWnd));
        InvalidateRect(m_hWnd, nullptr, FALSE);
        ASSERT_TRUE(PumpUntil([] { return g_host.paints > 0; }));
        // Start with the pointer outside both children.
        MoveTo(m_hWnd, POINT{250, 70});
        PumpUntil([this] { return m_pContext->GetMouseOverElement() == nullptr; });
    }
    void TearDown() override
    {
        ReleaseMarkupElement(&g_host.root);
        MarkupTest::TearDown();
        EXPECT_EQ(1, m_pContext->GetRefCount());
        ReleaseMarkupContext(&m_pContext);
        DestroyWindow(m_hWnd);
    }

    CXTPMarkupInputElement* Child(int index)
    {
        return MarkupDynamicCast<CXTPMarkupInputElement>(
            MarkupDynamicCast<CXTPMarkupPanel>(g_host.root)->GetChildren()->GetItem(index));
    }
    CXTPMarkupInputElement* Panel() { return g_host.root; }

public:
    // Class delegates recording into m_log.
    void OnEvent(CXTPMarkupObject* sender, CXTPMarkupRoutedEventArgs* args)
    {
        const CXTPMarkupString* name = MarkupDynamicCast<CXTPMarkupString>(sender->GetValue(CXTPMarkupObject::m_pNameProperty));
        m_log.push_back({name ? name->GetBuffer() : L"?", args->GetEvent()->GetName()});
    }
    void OnDownCapture(CXTPMarkupObject* sender, CXTPMarkupRoutedEventArgs* args)
    {
        OnEvent(sender, args);
        MarkupDynamicCast<CXTPMarkupInputElement>(sender)->CaptureMouse();
    }
    void OnDownReleaseDocument(CXTPMarkupObject* sender, CXTPMarkupRoutedEventArgs* args)
    {
        OnEvent(sender, args);
        ReleaseMarkupElement(&g_host.root);
        args->SetHandled();
    }
protected:
    void Record(CXTPMarkupInputElement* element)
    {
        for (CXTPMarkupRoutedEvent* event :
             {CXTPMarkupInputElement::m_pMouseEnterEvent, CXTPMarkupInputElement::m_pMouseLeaveEvent,
              CXTPMarkupInputElement::m_pMouseLeftButtonUpEvent, CXTPMarkupInputElement::m_pLostMouseCaptureEvent})
            element->AddHandler(event, CreateMarkupClassDelegate(this, &MarkupWindowTest::OnEvent));
    }

    HWND m_hWnd = nullptr;
    CXTPMarkupContext* m_pContext = nullptr;
    std::vector<EventRecord> m_log;
};

TEST_F(MarkupWindowTest, MovingToTheSiblingLeavesTheOldAndEntersTheNewOnly)
{
    Record(Panel());
    Record(Child(0));
    Record(Child(1));
    ASSERT_TRUE(MoveTo(m_hWnd, POINT{50, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(0); }));
    m_log.clear();
    ASSERT_TRUE(MoveTo(m_hWnd, POINT{150, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(1); }));
    EXPECT_EQ((std::vector<EventRecord>{{L"left", L"MouseLeave"}, {L"right", L"MouseEnter"}}), m_log);
    EXPECT_TRUE(Child(1)->IsMouseOver());
    EXPECT_FALSE(Child(0)->IsMouseOver());
    EXPECT_TRUE(Panel()->IsMouseOver());
}

TEST_F(MarkupWindowTest, CapturingElementGetsTheButtonUpOutsideIt)
{
    Record(Child(0));
    Child(0)->AddHandler(CXTPMarkupInputElement::m_pMouseLeftButtonDownEvent,
                         CreateMarkupClassDelegate(this, &MarkupWindowTest::OnDownCapture));
    ASSERT_TRUE(MoveTo(m_hWnd, POINT{50, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(0); }));
    ASSERT_TRUE(Button(true));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetCapturedElement() == Child(0); }));
    EXPECT_EQ(m_hWnd, GetCapture());
    m_log.clear();
    // Over the sibling while captured: nothing is under the mouse any more.
    ASSERT_TRUE(MoveTo(m_hWnd, POINT{150, 30}));
    ASSERT_TRUE(PumpUntil([this] { return !m_log.empty(); }));
    EXPECT_EQ(nullptr, m_pContext->GetMouseOverElement());
    ASSERT_TRUE(Button(false));
    ASSERT_TRUE(PumpUntil([this] { return m_log.size() >= 2; }));
    EXPECT_EQ((std::vector<EventRecord>{{L"left", L"MouseLeave"}, {L"left", L"MouseLeftButtonUp"}}), m_log);
    Child(0)->ReleaseMouseCapture();
    EXPECT_EQ(nullptr, m_pContext->GetCapturedElement());
}

TEST_F(MarkupWindowTest, ReleaseCaptureFromOutsideRaisesLostMouseCapture)
{
    Record(Child(0));
    Child(0)->AddHandler(CXTPMarkupInputElement::m_pMouseLeftButtonDownEvent,
                         CreateMarkupClassDelegate(this, &MarkupWindowTest::OnDownCapture));
    ASSERT_TRUE(MoveTo(m_hWnd, POINT{50, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(0); }));
    ASSERT_TRUE(Button(true));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetCapturedElement() == Child(0); }));
    m_log.clear();
    ReleaseCapture();
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetCapturedElement() == nullptr; }));
    EXPECT_EQ((std::vector<EventRecord>{{L"left", L"LostMouseCapture"}}), m_log);
    Button(false);
    PumpPending();
}

TEST_F(MarkupWindowTest, HandCursorShowsAndNoCursorLeavesItToTheHost)
{
    // Entering the element runs the cursor query at once (WM_SETCURSOR comes before the move).
    ASSERT_TRUE(MoveTo(m_hWnd, POINT{150, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(1); }));
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)), GetCursor());
    // Moving within it: WM_SETCURSOR is answered by the element.
    int before = g_host.setCursorCount;
    ASSERT_TRUE(MoveTo(m_hWnd, POINT{160, 35}));
    ASSERT_TRUE(PumpUntil([&] { return g_host.setCursorCount > before; }));
    EXPECT_TRUE(g_host.lastSetCursorHandled);
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)), GetCursor());

    // An element without a cursor leaves WM_SETCURSOR to the host, whose class cursor shows.
    ASSERT_TRUE(MoveTo(m_hWnd, POINT{50, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(0); }));
    before = g_host.setCursorCount;
    ASSERT_TRUE(MoveTo(m_hWnd, POINT{60, 35}));
    ASSERT_TRUE(PumpUntil([&] { return g_host.setCursorCount > before; }));
    EXPECT_FALSE(g_host.lastSetCursorHandled);
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)), GetCursor());
}

TEST_F(MarkupWindowTest, ChangingABackgroundInvalidatesExactlyThatElement)
{
    ASSERT_TRUE(PumpUntil([this] {
        RECT update;
        return !GetUpdateRect(m_hWnd, &update, FALSE);
    }));
    const int before = g_host.invalidatedCount;
    MarkupDynamicCast<CXTPMarkupPanel>(Child(1))->SetBackground(new CXTPMarkupSolidColorBrush(RGB(0, 255, 0)));
    EXPECT_EQ(before + 1, g_host.invalidatedCount);
    // The children are 60 high, centred in the 80 of the window.
    EXPECT_EQ(100, g_host.lastUpdate.left);
    EXPECT_EQ(10, g_host.lastUpdate.top);
    EXPECT_EQ(200, g_host.lastUpdate.right);
    EXPECT_EQ(70, g_host.lastUpdate.bottom);
    const int paints = g_host.paints;
    ASSERT_TRUE(PumpUntil([&] { return g_host.paints > paints; }));
    const RgbImage image = CaptureClient(m_hWnd);
    EXPECT_TRUE(RegionIs(image, RECT{110, 10, 190, 50}, RGB(0, 255, 0)));
    EXPECT_TRUE(RegionIs(image, RECT{10, 10, 90, 50}, RGB(255, 0, 0)));
}

TEST_F(MarkupWindowTest, ADelegateMayReleaseTheWholeDocument)
{
    const LONG live = m_liveAtStart;
    Child(0)->AddHandler(CXTPMarkupInputElement::m_pMouseLeftButtonDownEvent,
                         CreateMarkupClassDelegate(this, &MarkupWindowTest::OnDownReleaseDocument));
    ASSERT_TRUE(MoveTo(m_hWnd, POINT{50, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(0); }));
    ASSERT_TRUE(Button(true));
    ASSERT_TRUE(PumpUntil([] { return g_host.root == nullptr; }));
    Button(false);
    PumpPending();
    EXPECT_EQ((std::vector<EventRecord>{{L"left", L"MouseLeftButtonDown"}}), m_log);
    EXPECT_EQ(live, CXTPMarkupObject::GetLiveObjectCount());
    EXPECT_EQ(1, m_pContext->GetRefCount());
    EXPECT_EQ(nullptr, m_pContext->GetMouseOverElement());
}

} // namespace
