// Single-child hosts: the border's layout, frame and background in a GDI DIB, its hit testing,
// the page and control layouts, the content rules with their build errors, a content control's
// text, and a window container moving and hiding a real child window.

#include "MarkupDocumentSupport.h"
#include "MarkupLayoutSupport.h"
#include "tests/support/DibCanvas.h"

#include "toolkit/markup/XTPMarkupControl.h"
#include "toolkit/markup/XTPMarkupDecorator.h"
#include "toolkit/markup/XTPMarkupParser.h"
#include "toolkit/markup/XTPMarkupTextBlock.h"

#include <functional>
#include <string>

namespace markuptests {
IMPLEMENT_MARKUPCLASS(L"TextProbe", CTextProbe, CXTPMarkupFrameworkElement, &CreateMarkupObject<CTextProbe>, nullptr)
} // namespace markuptests

using namespace markuptests;
using testsupport::DibCanvas;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

std::string Describe(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + ", " + std::to_string(rc.top) + ", " + std::to_string(rc.right) + ", " +
           std::to_string(rc.bottom) + ")";
}

CXTPMarkupBorder* MakeBorder(int thickness, int padding, COLORREF frame, COLORREF background)
{
    auto* border = new CXTPMarkupBorder();
    if (thickness >= 0)
        border->SetBorderThickness(new CXTPMarkupThickness(thickness));
    if (padding >= 0)
        border->SetPadding(new CXTPMarkupThickness(padding));
    if (frame != CLR_INVALID)
        border->SetBorderBrush(new CXTPMarkupSolidColorBrush(frame));
    if (background != CLR_INVALID)
        border->SetBackground(new CXTPMarkupSolidColorBrush(background));
    return border;
}

void RenderGdi(CXTPMarkupUIElement* root, DibCanvas& canvas)
{
    CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, FALSE);
    root->Render(&dc);
}

// Which of the colours each pixel of the canvas has, compared with what a rule says.
int CountMismatches(const DibCanvas& canvas, const std::function<COLORREF(int, int)>& expected, std::string& first)
{
    int mismatches = 0;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            if (canvas.At(x, y) == expected(x, y))
                continue;
            if (mismatches++ == 0)
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
    }
    return mismatches;
}

} // namespace

class MarkupHostTest : public MarkupLayoutTest {};

TEST_F(MarkupHostTest, BorderMeasuresThicknessAndPaddingAroundItsChild)
{
    CTree tree;
    auto* border = tree.Root(L"border", MakeBorder(2, 3, kRed, CLR_INVALID));
    auto* child = new CCountingElement(10, 10);
    border->SetChild(child);
    CXTPMarkupDrawingContext dc;
    border->Measure(&dc, 100, 100);
    EXPECT_EQ(20, border->GetDesiredSize().cx);
    EXPECT_EQ(20, border->GetDesiredSize().cy);
    EXPECT_EQ(90, child->m_lastAvailable.cx) << "the child is offered what thickness and padding leave";
    border->Arrange(RECT{0, 0, 50, 40});
    EXPECT_EQ("(5, 5, 45, 35)", Describe(RootRect(child)));

    // Offered less than the sides take, the child gets 0, never a negative size.
    border->SetBorderThickness(new CXTPMarkupThickness(30));
    border->Measure(&dc, 20, 20);
    EXPECT_EQ(0, child->m_lastAvailable.cx);
    EXPECT_EQ(0, child->m_lastAvailable.cy);
}

TEST_F(MarkupHostTest, BorderDrawsItsFrameStripsAndItsBackgroundInside)
{
    struct Case {
        const char* what;
        int thickness;         // -1: unset
        COLORREF frame;        // CLR_INVALID: no brush
        COLORREF background;   // CLR_INVALID: none
        SIZE size;
    };
    const Case cases[] = {
        {"frame 3 and background", 3, kRed, kBlue, {40, 30}},
        {"background only fills the whole box", -1, CLR_INVALID, kBlue, {40, 30}},
        {"a brush without thickness draws nothing", -1, kRed, CLR_INVALID, {40, 30}},
        {"a thickness without brush draws no frame", 4, CLR_INVALID, kBlue, {40, 30}},
        {"too small for its frame: frame, no background", 3, kRed, kBlue, {6, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DibCanvas canvas(60, 50);
        CTree tree;
        auto* stack = tree.Root(L"stack", new CXTPMarkupStackPanel());
        auto* border = tree.Add(stack, L"border", MakeBorder(c.thickness, -1, c.frame, c.background));
        border->SetWidth(c.size.cx);
        border->SetHeight(c.size.cy);
        border->SetMargin(5, 7, 0, 0);
        border->SetHorizontalAlignment(CXTPMarkupFrameworkElement::alignLeft);
        tree.Layout(60, 50);
        const RECT box = RootRect(border);
        ASSERT_EQ(Describe(RECT{5, 7, 5 + c.size.cx, 7 + c.size.cy}), Describe(box));
        RenderGdi(stack, canvas);

        const int t = c.thickness < 0 ? 0 : c.thickness;
        const RECT inner = {box.left + t, box.top + t, box.right - t, box.bottom - t};
        auto expected = [&](int x, int y) {
            const POINT p = {x, y};
            if (!PtInRect(&box, p))
                return kWhite;
            const bool innerPart = PtInRect(&inner, p) != FALSE;
            if (!innerPart)
                return c.frame != CLR_INVALID && t > 0 ? c.frame : kWhite;
            return c.background != CLR_INVALID ? c.background : kWhite;
        };
        std::string first;
        EXPECT_EQ(0, CountMismatches(canvas, expected, first)) << "first at " << first;
    }
}

TEST_F(MarkupHostTest, BorderFrameSidesAreEachTheirOwnWidth)
{
    DibCanvas canvas(40, 30);
    CTree tree;
    auto* border = tree.Root(L"border", MakeBorder(-1, -1, kRed, kBlue));
    border->SetBorderThickness(new CXTPMarkupThickness(1, 2, 3, 4));
    tree.Layout(40, 30);
    RenderGdi(border, canvas);
    const RECT inner = {1, 2, 37, 26};
    std::string first;
    EXPECT_EQ(0, CountMismatches(
                     canvas,
                     [&](int x, int y) {
                         const POINT p = {x, y};
                         return PtInRect(&inner, p) ? kBlue : kRed;
                     },
                     first))
        << "first at " << first;
}

TEST_F(MarkupHostTest, RoundedBorderLeavesItsCornersAndFillsItsMiddle)
{
    DibCanvas canvas(40, 40);
    CTree tree;
    auto* border = tree.Root(L"border", MakeBorder(2, -1, kRed, kBlue));
    border->SetCornerRadius(new CXTPMarkupThickness(10));
    tree.Layout(40, 40);
    RenderGdi(border, canvas);
    for (const POINT corner : {POINT{0, 0}, POINT{39, 0}, POINT{0, 39}, POINT{39, 39}})
        EXPECT_EQ(kWhite, canvas.At(corner.x, corner.y)) << corner.x << ", " << corner.y;
    EXPECT_EQ(kBlue, canvas.At(20, 20));
    EXPECT_EQ(kRed, canvas.At(20, 0)) << "the frame along the straight top edge";
    EXPECT_EQ(kRed, canvas.At(0, 20));
}

TEST_F(MarkupHostTest, BorderIsHitOnlyWithABackground)
{
    for (const bool withBackground : {false, true}) {
        SCOPED_TRACE(withBackground);
        CTree tree;
        auto* border = tree.Root(L"border", MakeBorder(2, 3, kRed, withBackground ? kBlue : CLR_INVALID));
        auto* child = new CCountingElement(10, 10);
        border->SetChild(child);
        tree.Layout(50, 40);
        EXPECT_EQ(child, border->InputHitTest(20, 20)) << "the child is asked first";
        CXTPMarkupInputElement* expected = withBackground ? border : nullptr;
        EXPECT_EQ(expected, border->InputHitTest(1, 1)) << "on the frame";
        EXPECT_EQ(expected, border->InputHitTest(4, 20)) << "in the padding";
    }
}

TEST_F(MarkupHostTest, PageAndControlGiveTheirChildTheWholeBox)
{
    CTree tree;
    auto* page = tree.Root(L"page", new CXTPMarkupPage());
    auto* child = new CCountingElement(30, 20);
    page->SetChild(child);
    CXTPMarkupDrawingContext dc;
    page->Measure(&dc, 200, 100);
    EXPECT_EQ(30, page->GetDesiredSize().cx);
    EXPECT_EQ(20, page->GetDesiredSize().cy);
    EXPECT_EQ(200, child->m_lastAvailable.cx);
    page->Arrange(RECT{0, 0, 200, 100});
    EXPECT_EQ("(0, 0, 200, 100)", Describe(RootRect(child)));

    CXTPMarkupControl* control = new CXTPMarkupControl();
    control->Measure(&dc, 200, 100);
    EXPECT_EQ(0, control->GetDesiredSize().cx);
    EXPECT_EQ(0, control->GetDesiredSize().cy);
    EXPECT_EQ(0, control->GetVisualChildrenCount());
    control->Release();

    CXTPMarkupContentControl* content = new CXTPMarkupContentControl();
    auto* inner = new CCountingElement(15, 5);
    content->SetContent(inner);
    content->Measure(&dc, 80, 60);
    EXPECT_EQ(15, content->GetDesiredSize().cx);
    content->Arrange(RECT{0, 0, 80, 60});
    EXPECT_EQ("(0, 0, 80, 60)", Describe(RootRect(inner)));
    content->Release();
}

namespace {

class MarkupHostDocumentTest : public MarkupContextLayoutTest {
protected:
    std::string Build(const wchar_t* text)
    {
        CXTPMarkupParser parser;
        parser.SetBuffer(text, text + wcslen(text));
        CXTPMarkupBuilder builder(m_pContext);
        CXTPMarkupUIElement* root = builder.Parse(&parser);
        if (!root)
            return "error: " + Narrow(builder.GetLastError());
        std::string dump = DumpMarkup(root);
        root->Release();
        return dump;
    }

};

} // namespace

TEST_F(MarkupHostDocumentTest, ContentRulesAndTheirMessages)
{
    struct Case {
        const wchar_t* text;
        const char* expected;
    };
    const Case cases[] = {
        {L"<Page><Border><Canvas/></Border></Page>", "Page(Border(Canvas))"},
        {L"<Page><Border/><Border/></Page>",
         "error: 'CXTPMarkupPage' already has a child and cannot add 'CXTPMarkupBorder'. 'CXTPMarkupPage' can "
         "accept only one child.. Line 1, position 25"},
        {L"<Border><Canvas/><Canvas/></Border>",
         "error: 'CXTPMarkupBorder' already has a child and cannot add 'CXTPMarkupCanvas'. 'CXTPMarkupBorder' can "
         "accept only one child.. Line 1, position 27"},
        {L"<Border><Run/></Border>",
         "error: 'CXTPMarkupRun' object cannot be added to 'CXTPMarkupBorder'. Object cannot be converted to type "
         "'CXTPMarkupUIElement'. Line 1, position 15"},
        {L"<Page>text</Page>",
         "error: 'CXTPMarkupString' object cannot be added to 'CXTPMarkupPage'. Object cannot be converted to type "
         "'CXTPMarkupUIElement'. Line 1, position 18"},
        {L"<Control Padding='3' Background='Red' Foreground='Blue'/>", "Control"},
        {L"<Page><WindowContainer/></Page>", "Page(WindowContainer)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        EXPECT_EQ(c.expected, Build(c.text));
    }
}

TEST_F(MarkupHostDocumentTest, ContentControlTurnsTextIntoATextBlockOfItsContext)
{
    auto* control = MarkupDynamicCast<CXTPMarkupContentControl>(
        m_pContext->CreateObject(CXTPMarkupContentControl::MarkupType()));
    ASSERT_NE(nullptr, control);
    control->SetContentObject(nullptr, CreateMarkupString(L"Press"));
    auto* block = MarkupDynamicCast<CXTPMarkupTextBlock>(control->GetContent());
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(m_pContext, block->GetMarkupContext());
    EXPECT_EQ(0u, DumpMarkup(block).find("CXTPMarkupTextBlock(CXTPMarkupInlineCollection(CXTPMarkupRun))")) << DumpMarkup(block);
    EXPECT_EQ(control, block->GetLogicalParent());

    CXTPMarkupObject* second = CreateMarkupString(L"again");
    try {
        control->SetContentObject(nullptr, second);
        ADD_FAILURE() << "a second content was taken";
    } catch (const CXTPMarkupBuilderException& e) {
        EXPECT_EQ("'CXTPMarkupContentControl' already has a child and cannot add 'CXTPMarkupString'. "
                  "'CXTPMarkupContentControl' can accept only one child.",
                  Narrow(e.GetMessage()));
    }
    second->Release();
    control->Release();
}

TEST_F(MarkupHostDocumentTest, WindowContainerMovesItsWindowWhenDrawnAndHidesItWhenNot)
{
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, host);
    HWND child = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD, 0, 0, 10, 10, host, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, child);
    CXTPMarkupContext* context = CreateMarkupContext(host);

    CXTPMarkupUIElement* root = context->Parse(L"<StackPanel><Border Height='15'/><WindowContainer Margin='7,0,0,0' "
                                               L"HorizontalAlignment='Left'/></StackPanel>");
    ASSERT_NE(nullptr, root);
    auto* stack = MarkupDynamicCast<CXTPMarkupPanel>(root);
    auto* container = MarkupDynamicCast<CXTPMarkupWindowContainer>(stack->GetChildren()->GetItem(1));
    ASSERT_NE(nullptr, container);

    {
        // Markup gives a container no window: it measures 0 x 0 and moves nothing.
        CXTPMarkupDrawingContext dc;
        root->Measure(&dc, 300, 200);
        EXPECT_EQ(7, container->GetDesiredSize().cx) << "only the margin";
        EXPECT_EQ(0, container->GetDesiredSize().cy);
    }

    container->SetChild(child, 80, 30);
    // Drawn into a bitmap: where the window goes comes from the layout, not from the DC.
    DibCanvas canvas(300, 200);
    HDC screen = canvas.DC();
    {
        CXTPMarkupDrawingContext dc(context, screen, nullptr);
        root->Measure(&dc, 300, 200);
        root->Arrange(RECT{0, 0, 300, 200});
        EXPECT_EQ(87, container->GetDesiredSize().cx);
        root->Render(&dc);
    }
    RECT rc = {};
    GetWindowRect(child, &rc);
    MapWindowPoints(HWND_DESKTOP, host, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ("(7, 15, 87, 45)", Describe(rc));
    EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE);

    // Through a deferred-position handle the move waits for EndDeferWindowPos.
    container->SetMargin(20, 0, 0, 0);
    {
        CXTPMarkupDrawingContext dc(context, screen, nullptr);
        root->Measure(&dc, 300, 200);
        root->Arrange(RECT{0, 0, 300, 200});
        dc.m_hDWP = BeginDeferWindowPos(1);
        root->Render(&dc);
        ASSERT_NE(nullptr, dc.m_hDWP);
        GetWindowRect(child, &rc);
        MapWindowPoints(HWND_DESKTOP, host, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_EQ(7, rc.left) << "not moved before the deferred positions are applied";
        EndDeferWindowPos(dc.m_hDWP);
    }
    GetWindowRect(child, &rc);
    MapWindowPoints(HWND_DESKTOP, host, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ("(20, 15, 100, 45)", Describe(rc));

    // Hidden, the container is not drawn and hides its window.
    container->SetValue(CXTPMarkupUIElement::m_pVisibilityProperty,
                        CreateMarkupEnum(CXTPMarkupUIElement::visibilityHidden));
    {
        CXTPMarkupDrawingContext dc(context, screen, nullptr);
        root->Measure(&dc, 300, 200);
        root->Arrange(RECT{0, 0, 300, 200});
        root->Render(&dc);
    }
    EXPECT_FALSE(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE);

    root->Release();
    ReleaseMarkupContext(&context);
    DestroyWindow(host);
}
