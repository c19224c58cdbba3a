// A document in a plain Win32 window: the window procedure relays every message to the markup
// context through the flat interface and paints with it. Real input by SendInput moves the pointer
// and presses the button; the test asserts on what the elements and Windows report, then on pixels.

#include "MarkupDocumentSupport.h"
#include "MarkupHostWindow.h"

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

class MarkupWindowTest : public MarkupTest {
protected:
    void SetUp() override
    {
        m_hWnd = CreateMarkupHost(300, 80, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        ASSERT_NE(nullptr, m_hWnd);
        // The count covers the context too: its tip window holds markup objects of its own until
        // the context lets it go.
        MarkupTest::SetUp();
        m_pContext = CreateMarkupContext(m_hWnd);
        g_markupHost.root = ParseMarkupText(
            m_pContext, L"<StackPanel x:Name='panel' Orientation='Horizontal' Background='White'>"
                        L"<StackPanel x:Name='left' Width='100' Height='60' Background='#FFFF0000'/>"
                        L"<StackPanel x:Name='right' Width='100' Height='60' Background='#FF0000FF' Cursor='Hand'/>"
                        L"</StackPanel>");
        ASSERT_NE(nullptr, g_markupHost.root);
        ASSERT_TRUE(BringToForeground(m_hWnd));
        InvalidateRect(m_hWnd, nullptr, FALSE);
        ASSERT_TRUE(PumpUntil([] { return g_markupHost.paints > 0; }));
        // Start with the pointer outside both children: over the panel's own background, or over
        // nothing when the move arrived before the window was under the pointer.
        ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{250, 70}));
        ASSERT_TRUE(PumpUntil([this] {
            CXTPMarkupInputElement* over = m_pContext->GetMouseOverElement();
            return over == nullptr || over == Panel();
        }));
    }
    void TearDown() override
    {
        ReleaseMarkupElement(&g_markupHost.root);
        EXPECT_EQ(1, m_pContext->GetRefCount());
        ReleaseMarkupContext(&m_pContext);
        DestroyWindow(m_hWnd);
        MarkupTest::TearDown();
    }

    CXTPMarkupInputElement* Child(int index)
    {
        return MarkupDynamicCast<CXTPMarkupInputElement>(
            MarkupDynamicCast<CXTPMarkupPanel>(g_markupHost.root)->GetChildren()->GetItem(index));
    }
    CXTPMarkupInputElement* Panel() { return g_markupHost.root; }

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
        ReleaseMarkupElement(&g_markupHost.root);
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
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{50, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(0); }));
    m_log.clear();
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{150, 30}));
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
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{50, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(0); }));
    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetCapturedElement() == Child(0); }));
    EXPECT_EQ(m_hWnd, GetCapture());
    m_log.clear();
    // Over the sibling while captured: nothing is under the mouse any more.
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{150, 30}));
    ASSERT_TRUE(PumpUntil([this] { return !m_log.empty(); }));
    EXPECT_EQ(nullptr, m_pContext->GetMouseOverElement());
    ASSERT_TRUE(PressButton(MouseButton::Left, false));
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
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{50, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(0); }));
    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetCapturedElement() == Child(0); }));
    m_log.clear();
    ReleaseCapture();
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetCapturedElement() == nullptr; }));
    EXPECT_EQ((std::vector<EventRecord>{{L"left", L"LostMouseCapture"}}), m_log);
    PressButton(MouseButton::Left, false);
    PumpPending();
}

TEST_F(MarkupWindowTest, HandCursorShowsAndNoCursorLeavesItToTheHost)
{
    // Entering the element runs the cursor query at once (WM_SETCURSOR comes before the move).
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{150, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(1); }));
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)), GetCursor());
    // Moving within it: WM_SETCURSOR is answered by the element.
    int before = g_markupHost.setCursorCount;
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{160, 35}));
    ASSERT_TRUE(PumpUntil([&] { return g_markupHost.setCursorCount > before; }));
    EXPECT_TRUE(g_markupHost.lastSetCursorHandled);
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)), GetCursor());

    // An element without a cursor leaves WM_SETCURSOR to the host, whose class cursor shows.
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{50, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(0); }));
    before = g_markupHost.setCursorCount;
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{60, 35}));
    ASSERT_TRUE(PumpUntil([&] { return g_markupHost.setCursorCount > before; }));
    EXPECT_FALSE(g_markupHost.lastSetCursorHandled);
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)), GetCursor());
}

TEST_F(MarkupWindowTest, ChangingABackgroundInvalidatesExactlyThatElement)
{
    ASSERT_TRUE(PumpUntil([this] {
        RECT update;
        return !GetUpdateRect(m_hWnd, &update, FALSE);
    }));
    const int before = g_markupHost.invalidatedCount;
    MarkupDynamicCast<CXTPMarkupPanel>(Child(1))->SetBackground(new CXTPMarkupSolidColorBrush(RGB(0, 255, 0)));
    EXPECT_EQ(before + 1, g_markupHost.invalidatedCount);
    // The children are 60 high, centred in the 80 of the window.
    EXPECT_EQ(100, g_markupHost.lastUpdate.left);
    EXPECT_EQ(10, g_markupHost.lastUpdate.top);
    EXPECT_EQ(200, g_markupHost.lastUpdate.right);
    EXPECT_EQ(70, g_markupHost.lastUpdate.bottom);
    const int paints = g_markupHost.paints;
    ASSERT_TRUE(PumpUntil([&] { return g_markupHost.paints > paints; }));
    const RgbImage image = CaptureClient(m_hWnd);
    EXPECT_TRUE(RegionIs(image, RECT{110, 10, 190, 50}, RGB(0, 255, 0)));
    EXPECT_TRUE(RegionIs(image, RECT{10, 10, 90, 50}, RGB(255, 0, 0)));
}

TEST_F(MarkupWindowTest, ADelegateMayReleaseTheWholeDocument)
{
    Child(0)->AddHandler(CXTPMarkupInputElement::m_pMouseLeftButtonDownEvent,
                         CreateMarkupClassDelegate(this, &MarkupWindowTest::OnDownReleaseDocument));
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{50, 30}));
    ASSERT_TRUE(PumpUntil([this] { return m_pContext->GetMouseOverElement() == Child(0); }));
    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    ASSERT_TRUE(PumpUntil([] { return g_markupHost.root == nullptr; }));
    PressButton(MouseButton::Left, false);
    PumpPending();
    EXPECT_EQ((std::vector<EventRecord>{{L"left", L"MouseLeftButtonDown"}}), m_log);
    // Every live element holds a reference to its context: one left means no element of the
    // document survived. (The fixture's count, taken after the context goes, proves no other
    // object did; the tip window holds objects of its own until then.)
    EXPECT_EQ(1, m_pContext->GetRefCount());
    EXPECT_EQ(nullptr, m_pContext->GetMouseOverElement());
}

} // namespace

// An element whose ToolTip is a string gets a tip window of the markup kind when the pointer rests
// on it, placed below the pointer; moving to an element without one hides it.
TEST_F(MarkupWindowTest, AStringToolTipShowsATipWindowBelowThePointer)
{
    ReleaseMarkupElement(&g_markupHost.root);
    g_markupHost.root = ParseMarkupText(
        m_pContext, L"<StackPanel Orientation='Horizontal' Background='White'>"
                    L"<StackPanel Width='100' Height='60' Background='#FFFF0000'/>"
                    L"<StackPanel Width='100' Height='60' Background='#FF0000FF' ToolTip='right tip'/>"
                    L"</StackPanel>");
    ASSERT_NE(nullptr, g_markupHost.root);
    // The new document is laid out when it is painted; input is handled before paints, so a move
    // ahead of the paint would find no element.
    const int paints = g_markupHost.paints;
    InvalidateRect(m_hWnd, nullptr, FALSE);
    ASSERT_TRUE(PumpUntil([&] { return g_markupHost.paints > paints; }));
    CXTPMarkupContext::CTooltipContext* tips = m_pContext->GetToolTipContext();
    ASSERT_NE(nullptr, tips);
    EXPECT_EQ(xtpToolTipMarkup, tips->GetStyle());

    auto tipWindow = [tips] { return tips->GetToolTip() ? tips->GetToolTip()->GetSafeHwnd() : nullptr; };
    auto tipVisible = [&] { return tipWindow() && IsWindowVisible(tipWindow()); };
    // small moves keep the pointer resting over the tool until the initial delay has passed
    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{150, 30}));
    ASSERT_TRUE(PumpUntil([&] {
        MovePointerToClient(m_hWnd, POINT{150, 30});
        return tipVisible();
    }));
    RECT tip = {};
    GetWindowRect(tipWindow(), &tip);
    POINT pointer = {};
    GetCursorPos(&pointer);
    EXPECT_GT(tip.right - tip.left, 0);
    EXPECT_GE(tip.top, pointer.y) << "below the pointer";

    ASSERT_TRUE(MovePointerToClient(m_hWnd, POINT{50, 30}));
    EXPECT_TRUE(PumpUntil([&] { return !tipVisible(); })) << "the element without a tip hides it";
}
