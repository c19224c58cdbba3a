// The markup context without real input: its flat interface on null, the font cache and the
// drawing context's font, handlers in order, and the message handling driven by messages handed
// straight to HandleMessage on a hidden host window (the window test drives it with real input).

#include "MarkupDocumentSupport.h"

#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupInputElement.h"

#include <string>
#include <vector>

using namespace markuptests;

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

// Notes the name of the element it runs for and the event.
class CRecorder : public CXTPMarkupDelegate {
public:
    CRecorder(std::vector<EventRecord>* log, bool handles = false) : m_pLog(log), m_bHandles(handles) {}
    void Invoke(CXTPMarkupObject* sender, CXTPMarkupRoutedEventArgs* args) override
    {
        const CXTPMarkupString* name =
            sender ? MarkupDynamicCast<CXTPMarkupString>(sender->GetValue(CXTPMarkupObject::m_pNameProperty)) : nullptr;
        m_pLog->push_back({name ? name->GetBuffer() : L"?", args->GetEvent()->GetName()});
        if (m_bHandles)
            args->SetHandled();
    }

private:
    std::vector<EventRecord>* m_pLog;
    bool m_bHandles;
};

// A bubbling event of the tests' own, so the context's handlers are reached; made once, before any
// test counts the live objects.
CXTPMarkupRoutedEvent* TestClickEvent()
{
    static CXTPMarkupRoutedEvent* event = CXTPMarkupRoutedEvent::RegisterRoutedEvent(
        L"TestClick", CXTPMarkupRoutedEvent::flagBubbling, CTextProbe::MarkupType());
    return event;
}

class MarkupContextTest : public MarkupTest {
protected:
    void SetUp() override
    {
        MakeProcessStatics();
        TestClickEvent();
        m_hWnd = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_hWnd);
        // The count covers the context too: the tip window it makes on the first mouse message
        // holds markup objects of its own until the context lets it go.
        MarkupTest::SetUp();
        m_pContext = CreateMarkupContext(m_hWnd);
    }
    void TearDown() override
    {
        ReleaseMarkupContext(&m_pContext);
        DestroyWindow(m_hWnd);
        MarkupTest::TearDown();
    }

    // left (0..50) and right (50..100) children of a horizontal panel 200 × 40 at the origin.
    CXTPMarkupUIElement* ParseTwoChildren()
    {
        CXTPMarkupUIElement* root = m_pContext->Parse(
            L"<StackPanel x:Name='panel' Orientation='Horizontal' Background='White'>"
            L"<StackPanel x:Name='left' Width='50' Height='40' Background='Red'/>"
            L"<StackPanel x:Name='right' Width='50' Height='40' Background='Blue'/></StackPanel>");
        if (root)
            root->Arrange(RECT{0, 0, 200, 40});
        return root;
    }
    CXTPMarkupInputElement* Child(CXTPMarkupUIElement* root, int index)
    {
        return MarkupDynamicCast<CXTPMarkupInputElement>(
            MarkupDynamicCast<CXTPMarkupPanel>(root)->GetChildren()->GetItem(index));
    }
    void Record(CXTPMarkupInputElement* element, std::vector<EventRecord>* log)
    {
        for (CXTPMarkupRoutedEvent* event :
             {CXTPMarkupInputElement::m_pMouseEnterEvent, CXTPMarkupInputElement::m_pMouseLeaveEvent,
              CXTPMarkupInputElement::m_pMouseLeftButtonDownEvent, CXTPMarkupInputElement::m_pMouseLeftButtonUpEvent,
              CXTPMarkupInputElement::m_pLostMouseCaptureEvent})
            element->AddHandler(event, new CRecorder(log));
    }
    BOOL Send(CXTPMarkupUIElement* root, UINT message, int x, int y, WPARAM wParam = 0, LRESULT* result = nullptr)
    {
        LRESULT ignored = 0;
        return m_pContext->HandleMessage(root, message, wParam, MAKELPARAM(x, y), result ? result : &ignored);
    }

    HWND m_hWnd = nullptr;
    CXTPMarkupContext* m_pContext = nullptr;
};

TEST_F(MarkupContextTest, FlatInterfaceAcceptsNull)
{
    EXPECT_EQ(nullptr, ParseMarkupText(nullptr, L"<StackPanel/>"));
    EXPECT_EQ(nullptr, ParseMarkupText(m_pContext, nullptr));
    EXPECT_EQ(0, ReleaseMarkupElement(nullptr));
    CXTPMarkupUIElement* none = nullptr;
    EXPECT_EQ(0, ReleaseMarkupElement(&none));
    CXTPMarkupContext* noContext = nullptr;
    ReleaseMarkupContext(&noContext);
    ReleaseMarkupContext(nullptr);
    EXPECT_EQ(nullptr, GetMarkupElementContext(nullptr));
    EXPECT_FALSE(RelayMessageToElementContext(nullptr, WM_MOUSEMOVE, 0, 0, nullptr));
    EXPECT_FALSE(RelayMessageToMarkupContext(nullptr, WM_MOUSEMOVE, 0, 0, nullptr));
    const SIZE size = MeasureMarkupElement(nullptr, 100, 100);
    EXPECT_EQ(0, size.cx);
    EXPECT_EQ(0, size.cy);
    RenderMarkupElement(nullptr, nullptr, nullptr);
    SetMarkupContextDefaults(nullptr, nullptr, 0);
    // An invalid document gives null, through the flat interface too.
    EXPECT_EQ(nullptr, ParseMarkupText(m_pContext, L"<StackPanel>"));
}

TEST_F(MarkupContextTest, DefaultsChangeOnlyWhenGiven)
{
    const LOGFONTW before = m_pContext->GetDefaultLogFont();
    EXPECT_EQ(0u, m_pContext->GetDefaultForeground());
    SetMarkupContextDefaults(m_pContext, nullptr, static_cast<COLORREF>(-1));
    EXPECT_EQ(0, memcmp(&before, &m_pContext->GetDefaultLogFont(), sizeof(LOGFONTW)));
    EXPECT_EQ(0u, m_pContext->GetDefaultForeground());

    LOGFONTW lf = {};
    lf.lfHeight = -23;
    wcscpy(lf.lfFaceName, L"Tahoma");
    HFONT font = CreateFontIndirectW(&lf);
    SetMarkupContextDefaults(m_pContext, font, RGB(1, 2, 3));
    EXPECT_EQ(-23, m_pContext->GetDefaultLogFont().lfHeight);
    EXPECT_STREQ(L"Tahoma", m_pContext->GetDefaultLogFont().lfFaceName);
    EXPECT_EQ(RGB(1, 2, 3), m_pContext->GetDefaultForeground());
    DeleteObject(font);
}

TEST_F(MarkupContextTest, DefaultFontIsTheMessageFont)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    EXPECT_EQ(metrics.lfMessageFont.lfHeight, m_pContext->GetDefaultLogFont().lfHeight);
    EXPECT_STREQ(metrics.lfMessageFont.lfFaceName, m_pContext->GetDefaultLogFont().lfFaceName);
}

TEST_F(MarkupContextTest, FontCacheSharesByTheComparedFieldsAndHoldsNoReference)
{
    LOGFONTW lf = {};
    lf.lfHeight = -12;
    lf.lfWeight = 400;
    wcscpy(lf.lfFaceName, L"Arial");
    CXTPMarkupFont* first = m_pContext->GetFont(&lf);
    LOGFONTW other = lf;
    other.lfUnderline = 1;
    other.lfStrikeOut = 1;
    other.lfCharSet = 2;
    other.lfWidth = 7;
    CXTPMarkupFont* second = m_pContext->GetFont(&other);
    EXPECT_EQ(first, second);
    EXPECT_EQ(2, first->GetRefCount());
    // Height, weight, italic, quality and the face name (case-sensitive) tell fonts apart.
    const auto differs = [&](void (*change)(LOGFONTW&)) {
        LOGFONTW changed = lf;
        change(changed);
        CXTPMarkupFont* font = m_pContext->GetFont(&changed);
        const bool different = font != first;
        font->Release();
        return different;
    };
    EXPECT_TRUE(differs([](LOGFONTW& f) { f.lfHeight = -13; }));
    EXPECT_TRUE(differs([](LOGFONTW& f) { f.lfWeight = 700; }));
    EXPECT_TRUE(differs([](LOGFONTW& f) { f.lfItalic = 1; }));
    EXPECT_TRUE(differs([](LOGFONTW& f) { f.lfQuality = 5; }));
    EXPECT_TRUE(differs([](LOGFONTW& f) { wcscpy(f.lfFaceName, L"arial"); }));
    EXPECT_EQ(1, m_pContext->GetFontCount()) << "fonts nobody holds stay cached";
    first->Release();
    second->Release();
    EXPECT_EQ(0, m_pContext->GetFontCount());
    EXPECT_EQ(nullptr, m_pContext->GetFont(nullptr));
}

TEST_F(MarkupContextTest, DrawingContextSelectsMarkupFontsAndRestoresTheOwnOne)
{
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ own = GetCurrentObject(dc, OBJ_FONT);
    LOGFONTW lf = {};
    lf.lfHeight = -20;
    wcscpy(lf.lfFaceName, L"Arial");
    CXTPMarkupFont* big = m_pContext->GetFont(&lf);
    lf.lfHeight = -9;
    CXTPMarkupFont* small = m_pContext->GetFont(&lf);
    {
        CXTPMarkupDrawingContext drawing(m_pContext, dc, nullptr);
        drawing.SetFont(big);
        EXPECT_EQ(big->GetHandle(), GetCurrentObject(dc, OBJ_FONT));
        EXPECT_EQ(2, big->GetRefCount());
        drawing.SetFont(small);
        EXPECT_EQ(small->GetHandle(), GetCurrentObject(dc, OBJ_FONT));
        EXPECT_EQ(1, big->GetRefCount());
        drawing.SetFont(small);
        EXPECT_EQ(2, small->GetRefCount());
    }
    EXPECT_EQ(own, GetCurrentObject(dc, OBJ_FONT)) << "the DC's own font comes back with the drawing context";
    EXPECT_EQ(1, small->GetRefCount());
    big->Release();
    small->Release();
    DeleteDC(dc);
}

TEST_F(MarkupContextTest, DrawingContextFollowsTheContextsGdiPlusFlag)
{
    HDC dc = CreateCompatibleDC(nullptr);
    {
        CXTPMarkupDrawingContext drawing(m_pContext, dc, nullptr);
        EXPECT_NE(nullptr, dynamic_cast<CXTPMarkupGdiPlusDeviceContext*>(drawing.GetDeviceContext()));
    }
    m_pContext->EnableGdiPlus(FALSE);
    {
        CXTPMarkupDrawingContext drawing(m_pContext, dc, nullptr);
        EXPECT_EQ(nullptr, dynamic_cast<CXTPMarkupGdiPlusDeviceContext*>(drawing.GetDeviceContext()));
        CXTPMarkupDrawingContext measuring(m_pContext);
        EXPECT_EQ(nullptr, dynamic_cast<CXTPMarkupGdiPlusDeviceContext*>(measuring.GetDeviceContext()));
    }
    m_pContext->EnableGdiPlus(TRUE);
    DeleteDC(dc);
    // Each context is one more user of GDI+.
    const int users = MarkupGdiPlus::GetUseCount();
    CXTPMarkupContext* another = CreateMarkupContext(nullptr);
    EXPECT_EQ(users + 1, MarkupGdiPlus::GetUseCount());
    ReleaseMarkupContext(&another);
    EXPECT_EQ(users, MarkupGdiPlus::GetUseCount());
}

TEST_F(MarkupContextTest, ContextHandlersRunInOrderAfterUnhandledBubbling)
{
    std::vector<EventRecord> log;
    // A context of its own: its delegates live until it dies, within this test.
    CXTPMarkupContext* context = CreateMarkupContext(nullptr);
    CXTPMarkupRoutedEvent* clickEvent = TestClickEvent();
    context->AddHandler(clickEvent, new CRecorder(&log));
    context->AddHandler(clickEvent, new CRecorder(&log, true));
    context->AddHandler(clickEvent, new CRecorder(&log));
    context->AddHandler(nullptr, new CRecorder(&log)); // dropped, not leaked
    CXTPMarkupUIElement* root = context->Parse(L"<TextProbe x:Name='outer'><TextProbe x:Name='inner'/></TextProbe>");
    ASSERT_NE(nullptr, root);
    CXTPMarkupInputElement* inner = MarkupDynamicCast<CXTPMarkupInputElement>(root->GetLogicalChild(0));
    CXTPMarkupRoutedEventArgs args(clickEvent, inner);
    inner->RaiseEvent(&args);
    // Every delegate of the context runs, in the order added, whether or not one handled it.
    EXPECT_EQ((std::vector<EventRecord>{{L"inner", L"TestClick"}, {L"inner", L"TestClick"}, {L"inner", L"TestClick"}}),
              log);
    // Handled on the way up: the context is not asked.
    log.clear();
    inner->AddHandler(clickEvent, new CRecorder(&log, true));
    CXTPMarkupRoutedEventArgs handled(clickEvent, inner);
    inner->RaiseEvent(&handled);
    EXPECT_EQ((std::vector<EventRecord>{{L"inner", L"TestClick"}}), log);
    root->Release();
    EXPECT_EQ(nullptr, context->FindDelegate(L"TestClick"));
    ReleaseMarkupContext(&context);
}

TEST_F(MarkupContextTest, MovingBetweenSiblingsLeavesAndEntersButNotTheParent)
{
    std::vector<EventRecord> log;
    CXTPMarkupUIElement* root = ParseTwoChildren();
    ASSERT_NE(nullptr, root);
    Record(MarkupDynamicCast<CXTPMarkupInputElement>(root), &log);
    Record(Child(root, 0), &log);
    Record(Child(root, 1), &log);
    Send(root, WM_MOUSEMOVE, 10, 10);
    EXPECT_EQ((std::vector<EventRecord>{{L"left", L"MouseEnter"}, {L"panel", L"MouseEnter"}}), log);
    EXPECT_TRUE(Child(root, 0)->IsMouseOver());
    log.clear();
    Send(root, WM_MOUSEMOVE, 60, 10);
    EXPECT_EQ((std::vector<EventRecord>{{L"left", L"MouseLeave"}, {L"right", L"MouseEnter"}}), log);
    EXPECT_FALSE(Child(root, 0)->IsMouseOver());
    EXPECT_EQ(Child(root, 1), m_pContext->GetMouseOverElement());
    log.clear();
    // A double click arrives as a button down.
    Send(root, WM_LBUTTONDBLCLK, 60, 10);
    // A direct event goes to each element of the chain in turn while nobody handles it.
    EXPECT_EQ((std::vector<EventRecord>{{L"right", L"MouseLeftButtonDown"}, {L"panel", L"MouseLeftButtonDown"}}), log);
    log.clear();
    // Leaving the window ends the mouse-over state from the innermost.
    Send(root, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ((std::vector<EventRecord>{{L"right", L"MouseLeave"}, {L"panel", L"MouseLeave"}}), log);
    EXPECT_EQ(nullptr, m_pContext->GetMouseOverElement());
    root->Release();
}

TEST_F(MarkupContextTest, TheWheelGoesToClassHandlersOnly)
{
    CXTPMarkupUIElement* root = m_pContext->Parse(L"<TextProbe Width='50' Height='40'/>");
    ASSERT_NE(nullptr, root);
    root->Arrange(RECT{0, 0, 50, 40});
    CTextProbe* probe = static_cast<CTextProbe*>(root);
    LRESULT result = 0;
    // Nothing under the mouse yet: not handled.
    EXPECT_FALSE(Send(root, WM_MOUSEWHEEL, 10, 10, MAKEWPARAM(0, static_cast<WORD>(-120)), &result));
    Send(root, WM_MOUSEMOVE, 10, 10);
    ASSERT_EQ(probe, m_pContext->GetMouseOverElement());
    EXPECT_FALSE(Send(root, WM_MOUSEWHEEL, 10, 10, MAKEWPARAM(0, static_cast<WORD>(-120)), &result));
    EXPECT_EQ(-120, probe->m_nWheelDelta);
    EXPECT_EQ(0, result);
    probe->m_bHandleWheel = true;
    EXPECT_TRUE(Send(root, WM_MOUSEWHEEL, 10, 10, MAKEWPARAM(0, 240), &result));
    EXPECT_EQ(240, probe->m_nWheelDelta);
    EXPECT_EQ(1, result);
    root->Release();
}

TEST_F(MarkupContextTest, NullRootAndDestroyEndTheMouseOverState)
{
    std::vector<EventRecord> log;
    CXTPMarkupUIElement* root = ParseTwoChildren();
    ASSERT_NE(nullptr, root);
    Record(Child(root, 0), &log);
    Send(root, WM_MOUSEMOVE, 10, 10);
    log.clear();
    EXPECT_FALSE(RelayMessageToMarkupContext(m_pContext, WM_MOUSEMOVE, 0, 0, nullptr));
    EXPECT_EQ((std::vector<EventRecord>{{L"left", L"MouseLeave"}}), log);
    Send(root, WM_MOUSEMOVE, 10, 10);
    log.clear();
    Send(root, WM_DESTROY, 0, 0);
    EXPECT_EQ((std::vector<EventRecord>{{L"left", L"MouseLeave"}}), log);
    root->Release();
}

TEST_F(MarkupContextTest, WithoutHostWindowNothingIsHandled)
{
    CXTPMarkupContext* hostless = CreateMarkupContext(nullptr);
    CXTPMarkupUIElement* root = hostless->Parse(L"<StackPanel Background='Red' Width='10' Height='10'/>");
    ASSERT_NE(nullptr, root);
    root->Arrange(RECT{0, 0, 10, 10});
    EXPECT_FALSE(hostless->HandleMessage(root, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), nullptr));
    EXPECT_EQ(nullptr, hostless->GetMouseOverElement());
    root->Release();
    ReleaseMarkupContext(&hostless);
}

TEST_F(MarkupContextTest, MouseMessagesReachTheTooltipSeam)
{
    CXTPMarkupUIElement* root = ParseTwoChildren();
    ASSERT_NE(nullptr, root);
    const int before = m_pContext->GetToolTipContext()->GetRelayedCount();
    Send(root, WM_MOUSEMOVE, 10, 10);
    Send(root, WM_LBUTTONDOWN, 10, 10);
    Send(root, WM_MOUSELEAVE, 0, 0);
    Send(root, WM_SETCURSOR, 0, 0);
    EXPECT_EQ(before + 3, m_pContext->GetToolTipContext()->GetRelayedCount());
    root->Release();
}

// The tip controller is reference counted and a tip window may still hold it when the context
// goes: it then answers no tool instead of reaching into the dead context.
TEST_F(MarkupContextTest, TheTipControllerOutlivesItsContextSafely)
{
    CXTPMarkupContext::CTooltipContext* tips = m_pContext->GetToolTipContext();
    EXPECT_EQ(xtpToolTipMarkup, tips->GetStyle());
    EXPECT_EQ(m_pContext, tips->GetMarkupContext());
    tips->InternalAddRef();
    ReleaseMarkupContext(&m_pContext);
    EXPECT_EQ(nullptr, tips->GetMarkupContext());
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    EXPECT_EQ(-1, tips->OnToolHitTest(m_hWnd, POINT{10, 10}, &info));
    tips->RelayMouseMessage(m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    tips->InternalRelease();
    m_pContext = CreateMarkupContext(m_hWnd); // for the fixture's tear-down
}

TEST_F(MarkupContextTest, ToolHitTestNamesTheElementWithAFullPointer)
{
    CXTPMarkupUIElement* root = m_pContext->Parse(
        L"<StackPanel x:Name='panel' Orientation='Horizontal' Background='White' ToolTip='panel tip'>"
        L"<StackPanel x:Name='plain' Width='50' Height='40' Background='Red'>"
        L"<StackPanel.ToolTip><StackPanel/></StackPanel.ToolTip></StackPanel>"
        L"<StackPanel x:Name='tipped' Width='50' Height='40' Background='Blue' ToolTip='right tip'/></StackPanel>");
    ASSERT_NE(nullptr, root);
    root->Arrange(RECT{0, 0, 200, 40});
    CXTPMarkupContext::CTooltipContext* tips = m_pContext->GetToolTipContext();
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    EXPECT_EQ(-1, tips->OnToolHitTest(m_hWnd, POINT{0, 0}, &info)) << "no mouse-over element, no tool";

    Send(root, WM_MOUSEMOVE, 60, 10);
    // The identifier is the element's address at full width; a 32-bit cut would name another
    // element (or none) once addresses lie above 4 GB.
    static_assert(sizeof(tips->OnToolHitTest(m_hWnd, POINT{}, &info)) == sizeof(void*));
    const INT_PTR tool = tips->OnToolHitTest(m_hWnd, POINT{60, 10}, &info);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(Child(root, 1)), tool);
    EXPECT_EQ(static_cast<UINT_PTR>(tool), info.uId);
    EXPECT_STREQ(L"right tip", info.lpszText);
    EXPECT_EQ(50, info.rect.left);
    EXPECT_EQ(100, info.rect.right);
    EXPECT_EQ(40, info.rect.bottom);
    EXPECT_EQ(m_hWnd, info.hwnd);

    // An element whose tooltip is an element shows nothing of its own: its parent is asked.
    Send(root, WM_MOUSEMOVE, 10, 10);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(root), tips->OnToolHitTest(m_hWnd, POINT{10, 10}, &info));
    EXPECT_STREQ(L"panel tip", info.lpszText);
    EXPECT_EQ(0, info.rect.left);
    EXPECT_EQ(200, info.rect.right);
    root->Release();
}

TEST_F(MarkupContextTest, ParseForgetsMouseOverAndCapture)
{
    CXTPMarkupUIElement* root = ParseTwoChildren();
    ASSERT_NE(nullptr, root);
    Send(root, WM_MOUSEMOVE, 10, 10);
    Child(root, 0)->CaptureMouse();
    EXPECT_EQ(Child(root, 0), m_pContext->GetCapturedElement());
    CXTPMarkupUIElement* other = m_pContext->Parse(L"<StackPanel/>");
    EXPECT_EQ(nullptr, m_pContext->GetMouseOverElement());
    EXPECT_EQ(nullptr, m_pContext->GetCapturedElement());
    other->Release();
    root->Release();
}

TEST_F(MarkupContextTest, ADyingElementIsForgotten)
{
    CXTPMarkupUIElement* root = ParseTwoChildren();
    ASSERT_NE(nullptr, root);
    Send(root, WM_MOUSEMOVE, 10, 10);
    Child(root, 0)->CaptureMouse();
    root->Release();
    EXPECT_EQ(nullptr, m_pContext->GetMouseOverElement());
    EXPECT_EQ(nullptr, m_pContext->GetCapturedElement());
    EXPECT_EQ(1, m_pContext->GetRefCount());
}

TEST_F(MarkupContextTest, KeysAndFocusMessagesAreLeftUnhandled)
{
    CXTPMarkupUIElement* root = ParseTwoChildren();
    ASSERT_NE(nullptr, root);
    for (UINT message : {WM_KEYDOWN, WM_SETFOCUS, WM_KILLFOCUS})
        EXPECT_FALSE(Send(root, message, 0, 0, VK_TAB));
    Child(root, 0)->Focus();
    EXPECT_FALSE(MarkupDynamicCast<CXTPMarkupBool>(Child(root, 0)->GetValue(
                     CXTPMarkupInputElement::m_pIsKeyboardFocusedProperty))
                     ->operator BOOL());
    root->Release();
}

} // namespace
