// Routed events on a three-level tree (root panel > stack > leaf) whose delegates record who ran
// for which event and whether it was handled; the input element's class handlers, its property
// table and the event attribute path of the builder.

#include "MarkupLayoutSupport.h"

#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupDelegate.h"
#include "toolkit/markup/XTPMarkupStyle.h"

#include <vector>

using namespace markuptests;

namespace {

struct Call {
    CXTPMarkupObject* sender;
    CXTPMarkupRoutedEvent* event;
    BOOL handledBefore;
    int tag;
    bool operator==(const Call& other) const
    {
        return sender == other.sender && event == other.event && handledBefore == other.handledBefore &&
               tag == other.tag;
    }
};

void PrintTo(const Call& call, std::ostream* os)
{
    *os << "{sender " << call.sender << ", event "
        << (call.event ? std::string(call.event->GetName(), call.event->GetName() + wcslen(call.event->GetName()))
                       : std::string("null"))
        << ", handled " << call.handledBefore << ", tag " << call.tag << "}";
}

class CRecordingDelegate : public CXTPMarkupDelegate {
public:
    CRecordingDelegate(std::vector<Call>* log, int tag, bool handles) : m_pLog(log), m_nTag(tag), m_bHandles(handles)
    {
    }
    void Invoke(CXTPMarkupObject* sender, CXTPMarkupRoutedEventArgs* args) override
    {
        m_pLog->push_back({sender, args->GetEvent(), args->IsHandled(), m_nTag});
        if (m_bHandles)
            args->SetHandled();
    }

private:
    std::vector<Call>* m_pLog; // not owned
    int m_nTag;
    bool m_bHandles;
};

// A bubbling event of the tests' own, registered once per process like a control's "Click".
CXTPMarkupRoutedEvent* BubblingEvent()
{
    static CXTPMarkupRoutedEvent* event = CXTPMarkupRoutedEvent::RegisterRoutedEvent(
        L"TestBubble", CXTPMarkupRoutedEvent::flagBubbling, CXTPMarkupFrameworkElement::MarkupType());
    return event;
}

} // namespace

class MarkupRoutedEventTest : public MarkupLayoutTest {
protected:
    void SetUp() override
    {
        BubblingEvent();
        MarkupLayoutTest::SetUp();
        m_pTree = new CTree();
        m_root = m_pTree->Root(L"root", new CXTPMarkupStackPanel());
        m_middle = m_pTree->Add(m_root, L"middle", new CXTPMarkupStackPanel());
        m_leaf = m_pTree->Add(m_middle, L"leaf", new CXTPMarkupFrameworkElement());
    }
    void TearDown() override
    {
        delete m_pTree;
        MarkupLayoutTest::TearDown();
    }
    void Handle(CXTPMarkupInputElement* element, CXTPMarkupRoutedEvent* event, int tag, bool handles = false)
    {
        element->AddHandler(event, new CRecordingDelegate(&m_log, tag, handles));
    }

    CTree* m_pTree = nullptr; // owned; dies before the live objects are counted
    CXTPMarkupPanel* m_root = nullptr;
    CXTPMarkupStackPanel* m_middle = nullptr;
    CXTPMarkupFrameworkElement* m_leaf = nullptr;
    std::vector<Call> m_log;
};

TEST_F(MarkupRoutedEventTest, BubblingStopsAtTheHandlerThatSetsHandled)
{
    CXTPMarkupRoutedEvent* event = BubblingEvent();
    Handle(m_leaf, event, 1);
    Handle(m_middle, event, 2, true);
    Handle(m_root, event, 3);
    CXTPMarkupRoutedEventArgs args(event, m_leaf);
    m_leaf->RaiseEvent(&args);
    EXPECT_EQ((std::vector<Call>{{m_leaf, event, FALSE, 1}, {m_middle, event, FALSE, 2}}), m_log);
    EXPECT_TRUE(args.IsHandled());
}

TEST_F(MarkupRoutedEventTest, UnhandledBubblingReachesEveryAncestorPastTheChildrenCollection)
{
    CXTPMarkupRoutedEvent* event = BubblingEvent();
    Handle(m_leaf, event, 1);
    Handle(m_root, event, 3);
    CXTPMarkupRoutedEventArgs args(event, m_leaf);
    m_leaf->RaiseEvent(&args);
    // The middle panel has no list, and the collections between the levels are no input elements.
    EXPECT_EQ((std::vector<Call>{{m_leaf, event, FALSE, 1}, {m_root, event, FALSE, 3}}), m_log);
    EXPECT_FALSE(args.IsHandled());
}

TEST_F(MarkupRoutedEventTest, DirectEventsStayOnTheirElement)
{
    CXTPMarkupRoutedEvent* down = CXTPMarkupInputElement::m_pMouseLeftButtonDownEvent;
    Handle(m_leaf, down, 1);
    Handle(m_middle, down, 2);
    Handle(m_root, down, 3);
    CXTPMarkupMouseButtonEventArgs args(down, m_leaf);
    m_leaf->RaiseEvent(&args);
    EXPECT_EQ((std::vector<Call>{{m_leaf, down, FALSE, 1}}), m_log);

    // No list on the element: nothing runs, the ancestors' lists included.
    m_log.clear();
    auto* bare = m_pTree->Add(m_middle, L"bare", new CXTPMarkupFrameworkElement());
    CXTPMarkupMouseButtonEventArgs bareArgs(down, bare);
    bare->RaiseEvent(&bareArgs);
    EXPECT_TRUE(m_log.empty());

    // Arguments without an event do nothing.
    CXTPMarkupRoutedEventArgs empty;
    m_leaf->RaiseEvent(&empty);
    EXPECT_TRUE(m_log.empty());
}

TEST_F(MarkupRoutedEventTest, AllDelegatesOfOneElementRunInOrderHandledOrNot)
{
    CXTPMarkupRoutedEvent* event = BubblingEvent();
    Handle(m_middle, event, 1, true);
    Handle(m_middle, event, 2);
    Handle(m_root, event, 3);
    CXTPMarkupRoutedEventArgs args(event, m_leaf);
    m_leaf->RaiseEvent(&args);
    EXPECT_EQ((std::vector<Call>{{m_middle, event, FALSE, 1}, {m_middle, event, TRUE, 2}}), m_log);

    // The eight mouse events are direct; the list of one event does not run for another.
    m_log.clear();
    CXTPMarkupRoutedEvent* mouseEvents[] = {
        CXTPMarkupInputElement::m_pMouseLeaveEvent,          CXTPMarkupInputElement::m_pMouseEnterEvent,
        CXTPMarkupInputElement::m_pMouseLeftButtonUpEvent,   CXTPMarkupInputElement::m_pMouseLeftButtonDownEvent,
        CXTPMarkupInputElement::m_pMouseRightButtonUpEvent,  CXTPMarkupInputElement::m_pMouseRightButtonDownEvent,
        CXTPMarkupInputElement::m_pMouseMoveEvent,           CXTPMarkupInputElement::m_pLostMouseCaptureEvent,
    };
    for (CXTPMarkupRoutedEvent* mouseEvent : mouseEvents) {
        ASSERT_NE(nullptr, mouseEvent);
        EXPECT_FALSE(mouseEvent->IsBubbling()) << "direct";
        EXPECT_TRUE(mouseEvent->IsEvent());
        EXPECT_EQ(-1, mouseEvent->GetIndex()) << "an event takes no store slot";
        CXTPMarkupMouseEventArgs mouseArgs(mouseEvent, m_middle);
        m_middle->RaiseEvent(&mouseArgs);
    }
    EXPECT_TRUE(m_log.empty());
    EXPECT_TRUE(BubblingEvent()->IsBubbling());
}

TEST_F(MarkupRoutedEventTest, MouseOverCursorAndPosition)
{
    CXTPMarkupMouseEventArgs enter(CXTPMarkupInputElement::m_pMouseEnterEvent, m_leaf);
    m_leaf->OnMouseEnter(&enter);
    EXPECT_TRUE(m_leaf->IsMouseOver());
    EXPECT_EQ(MarkupTrue(), m_leaf->GetLocalValue(CXTPMarkupInputElement::m_pIsMouseOverProperty));
    MarkupTrue()->Release();
    m_leaf->OnMouseLeave(&enter);
    EXPECT_FALSE(m_leaf->IsMouseOver());
    EXPECT_EQ(nullptr, m_leaf->GetLocalValue(CXTPMarkupInputElement::m_pIsMouseOverProperty));

    // No "Cursor": the query is not handled, so it climbs on to the ancestors.
    CXTPMarkupQueryCursorEventArgs query;
    m_leaf->OnQueryCursor(&query);
    EXPECT_FALSE(query.IsHandled());
    EXPECT_EQ(nullptr, query.m_hCursor);
    CXTPMarkupBuilder builder;
    m_leaf->SetPropertyObject(&builder, CXTPMarkupInputElement::m_pCursorProperty, CreateMarkupString(L"hand"));
    const CXTPMarkupInt* cursor =
        MarkupDynamicCast<CXTPMarkupInt>(m_leaf->GetValue(CXTPMarkupInputElement::m_pCursorProperty));
    ASSERT_NE(nullptr, cursor);
    EXPECT_EQ(32649, static_cast<int>(*cursor));
    m_leaf->OnQueryCursor(&query);
    EXPECT_TRUE(query.IsHandled());
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)), query.m_hCursor);

    // Positions relative to a visual take off its offset and its visual ancestors'.
    m_middle->SetMargin(10, 20, 0, 0);
    m_leaf->SetMargin(3, 4, 0, 0);
    m_pTree->Layout(200, 200);
    CXTPMarkupMouseEventArgs move(CXTPMarkupInputElement::m_pMouseMoveEvent, m_leaf, nullptr, 50, 60);
    EXPECT_EQ(37, move.GetPosition(m_leaf).x);
    EXPECT_EQ(36, move.GetPosition(m_leaf).y);
    EXPECT_EQ(40, move.GetPosition(m_middle).x);
    EXPECT_EQ(50, move.GetPosition(nullptr).x);
}

TEST_F(MarkupRoutedEventTest, PropertyTableAndEventAttributes)
{
    const CXTPMarkupType* type = m_leaf->GetType();
    for (const wchar_t* name : {L"Cursor", L"Style", L"ToolTip", L"IsMouseOver", L"IsKeyboardFocused",
                                L"IsFocusable", L"ClipToBounds", L"Visibility", L"Focusable", L"IsEnabled",
                                L"Margin", L"HorizontalAlignment", L"Tag"})
        EXPECT_NE(nullptr, CXTPMarkupDependencyProperty::FindProperty(type, name))
            << std::string(name, name + wcslen(name));

    CXTPMarkupDependencyProperty* click = CXTPMarkupDependencyProperty::FindProperty(type, L"MouseLeftButtonDown");
    ASSERT_NE(nullptr, click);
    EXPECT_TRUE(click->IsEvent());

    // An event attribute names a delegate of the markup context; an element built without one
    // fails the build.
    // As with every build error, the value then stays with the caller.
    CXTPMarkupBuilder builder;
    CXTPMarkupString* name = CreateMarkupString(L"OnClick");
    try {
        m_leaf->SetPropertyObject(&builder, click, name);
        FAIL() << "no build error";
    } catch (const CXTPMarkupBuilderException& e) {
        EXPECT_EQ(CString(L"Markup Context is NULL"), e.GetMessage());
    }
    name->Release();
    EXPECT_FALSE(m_leaf->HasHandlers());
    // Outside a build the attribute is dropped quietly, its value released.
    m_leaf->SetPropertyObject(nullptr, click, CreateMarkupString(L"OnClick"));
    EXPECT_FALSE(m_leaf->HasHandlers());

    // "Style" keeps the element's style (sealed); a value that is no style is refused.
    m_leaf->SetValue(CXTPMarkupInputElement::m_pStyleProperty, new CXTPMarkupInt(7));
    EXPECT_EQ(nullptr, m_leaf->GetStyle());
    auto* style = new CXTPMarkupStyle();
    m_leaf->SetValue(CXTPMarkupInputElement::m_pStyleProperty, style);
    EXPECT_EQ(style, m_leaf->GetStyle());
    EXPECT_TRUE(style->IsSealed());
    m_leaf->SetValue(CXTPMarkupInputElement::m_pStyleProperty, nullptr);
    EXPECT_EQ(nullptr, m_leaf->GetStyle());
}

TEST_F(MarkupRoutedEventTest, DelegatesDieWithTheirElement)
{
    bool destroyed = false;
    class CTrackedDelegate : public CXTPMarkupDelegate {
    public:
        explicit CTrackedDelegate(bool* destroyed) : m_pDestroyed(destroyed) {}
        void Invoke(CXTPMarkupObject*, CXTPMarkupRoutedEventArgs*) override {}

    protected:
        ~CTrackedDelegate() override { *m_pDestroyed = true; }

    private:
        bool* m_pDestroyed;
    };
    auto* element = new CXTPMarkupFrameworkElement();
    element->AddHandler(BubblingEvent(), new CTrackedDelegate(&destroyed));
    element->AddHandler(nullptr, new CTrackedDelegate(&destroyed));
    EXPECT_TRUE(destroyed) << "a delegate for no event is released at once";
    destroyed = false;
    element->Release();
    EXPECT_TRUE(destroyed);
}
