// Push buttons, check boxes and radio buttons without a window: the pressing rules driven through
// the class handlers, toggling and its events, radio groups, "IsChecked" text, layout, and the
// drawing compared pixel for pixel with what the platform draws for the same part and state.
// Cases named Classic need visual styles off (TARNWICK_CLASSIC_LOOK=1) and skip otherwise; the
// themed cases skip in that process.

#include "MarkupButtonSupport.h"
#include "MarkupLayoutSupport.h"
#include "tests/support/DibCanvas.h"

#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupParser.h"

#include <uxtheme.h>

#include <functional>
#include <string>
#include <vector>

using namespace markuptests;
using testsupport::DibCanvas;

namespace {

using Strings = std::vector<std::string>;

std::string Describe(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + ", " + std::to_string(rc.top) + ", " + std::to_string(rc.right) + ", " +
           std::to_string(rc.bottom) + ")";
}

class MarkupButtonTest : public MarkupContextLayoutTest {
protected:
    void TearDown() override
    {
        MarkupRelease(m_pRoot);
        MarkupContextLayoutTest::TearDown();
    }

    // Builds the document (the fixture owns it) and lays it out in width x height.
    bool Load(const wchar_t* text, int width = 200, int height = 100)
    {
        MarkupRelease(m_pRoot);
        CXTPMarkupParser parser;
        parser.SetBuffer(text, text + wcslen(text));
        CXTPMarkupBuilder builder(m_pContext);
        m_pRoot = builder.Parse(&parser);
        m_strError = m_pRoot ? "" : Narrow(builder.GetLastError());
        if (!m_pRoot)
            return false;
        CXTPMarkupDrawingContext dc(m_pContext);
        m_pRoot->Measure(&dc, width, height);
        m_pRoot->Arrange(RECT{0, 0, width, height});
        return true;
    }
    template <class T = CXTPMarkupToggleButton>
    T* Named(const wchar_t* name)
    {
        return MarkupDynamicCast<T>(FindNamed(m_pRoot, name));
    }

    CXTPMarkupUIElement* m_pRoot = nullptr;
    std::string m_strError;
    CButtonEventLog m_log;
};

// ---- Pressing, through the handlers the context calls

bool Down(CXTPMarkupButtonBase* button)
{
    CXTPMarkupMouseButtonEventArgs args(CXTPMarkupInputElement::m_pMouseLeftButtonDownEvent, button);
    button->OnMouseLeftButtonDown(&args);
    return args.IsHandled();
}

bool Up(CXTPMarkupButtonBase* button)
{
    CXTPMarkupMouseButtonEventArgs args(CXTPMarkupInputElement::m_pMouseLeftButtonUpEvent, button);
    button->OnMouseLeftButtonUp(&args);
    return args.IsHandled();
}

void Enter(CXTPMarkupButtonBase* button)
{
    CXTPMarkupMouseEventArgs args(CXTPMarkupInputElement::m_pMouseEnterEvent, button);
    button->OnMouseEnter(&args);
}

void Leave(CXTPMarkupButtonBase* button)
{
    CXTPMarkupMouseEventArgs args(CXTPMarkupInputElement::m_pMouseLeaveEvent, button);
    button->OnMouseLeave(&args);
}

void LoseCapture(CXTPMarkupButtonBase* button)
{
    CXTPMarkupMouseEventArgs args(CXTPMarkupInputElement::m_pLostMouseCaptureEvent, button);
    button->OnLostMouseCapture(&args);
}

TEST_F(MarkupButtonTest, ClicksOnlyWhenReleasedInsideAndStaysArmedOutside)
{
    struct Case {
        const char* steps; // e enter, l leave, d down, u up, c capture lost
        int clicks;
        bool pressedAfter;
        bool mouseOverAfter;
        bool capturedAfter;
    };
    const Case cases[] = {
        {"edu", 1, false, true, false},
        {"edlu", 0, false, false, false},    // released outside: the kept mouse-over state is cleared
        {"edleu", 1, false, true, false},    // back in before the release
        {"edl", 0, false, true, true},       // outside: looks released, still armed and capturing
        {"edle", 0, true, true, true},
        {"edcu", 0, false, true, false},     // a lost capture ends the press without a click
        {"eu", 0, false, true, false},       // a release without a press is not a click
        {"edudu", 2, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        ASSERT_TRUE(Load(L"<Button x:Name='push'>Go</Button>")) << m_strError;
        CXTPMarkupButtonBase* button = Named<CXTPMarkupButtonBase>(L"push");
        CButtonEventLog log;
        log.RecordElement(button, CXTPMarkupButtonBase::m_pClickEvent);
        for (const char* step = c.steps; *step; ++step) {
            switch (*step) {
            case 'e': Enter(button); break;
            case 'l': Leave(button); break;
            case 'd': EXPECT_TRUE(Down(button)); break;
            case 'u': Up(button); break;
            case 'c':
                // What the context does on WM_CAPTURECHANGED: forget the capture, tell the button.
                m_pContext->ReleaseMouseCapture();
                LoseCapture(button);
                break;
            }
        }
        EXPECT_EQ(static_cast<size_t>(c.clicks), log.entries.size());
        EXPECT_EQ(c.pressedAfter, !!button->IsPressed());
        EXPECT_EQ(c.mouseOverAfter, !!button->IsMouseOver());
        EXPECT_EQ(c.capturedAfter, m_pContext->GetCapturedElement() == button);
        // Keyboard focus is inert: pressing asks for it, nothing gets it.
        EXPECT_FALSE(!!static_cast<BOOL>(*MarkupDynamicCast<CXTPMarkupBool>(
            button->GetValue(CXTPMarkupInputElement::m_pIsKeyboardFocusedProperty))));
        MarkupRelease(m_pRoot); // the handler points at this case's log
    }
}

TEST_F(MarkupButtonTest, DisabledButtonHandlesTheDownButNeitherPressesNorCaptures)
{
    ASSERT_TRUE(Load(L"<Button x:Name='push' IsEnabled='False'>Off</Button>")) << m_strError;
    CXTPMarkupButtonBase* button = Named<CXTPMarkupButtonBase>(L"push");
    m_log.RecordElement(button, CXTPMarkupButtonBase::m_pClickEvent);
    Enter(button);
    EXPECT_TRUE(Down(button)) << "ancestors must not see the press";
    EXPECT_FALSE(button->IsPressed());
    EXPECT_EQ(nullptr, m_pContext->GetCapturedElement());
    EXPECT_FALSE(Up(button));
    EXPECT_TRUE(m_log.entries.empty());
    EXPECT_EQ(CXTPMarkupButtonBase::stateDisabled, button->GetVisualState());
}

TEST_F(MarkupButtonTest, VisualStatePrefersDisabledThenPressedThenHot)
{
    ASSERT_TRUE(Load(L"<Button x:Name='push'/>")) << m_strError;
    CXTPMarkupButtonBase* button = Named<CXTPMarkupButtonBase>(L"push");
    EXPECT_EQ(CXTPMarkupButtonBase::stateNormal, button->GetVisualState());
    Enter(button);
    EXPECT_EQ(CXTPMarkupButtonBase::stateHot, button->GetVisualState());
    Down(button);
    EXPECT_EQ(CXTPMarkupButtonBase::statePressed, button->GetVisualState());
    Leave(button);
    EXPECT_EQ(CXTPMarkupButtonBase::stateHot, button->GetVisualState()) << "outside while armed: hot, not pressed";
    Enter(button);
    button->SetValue(CXTPMarkupUIElement::m_pIsEnabledProperty, MarkupFalse());
    EXPECT_EQ(CXTPMarkupButtonBase::stateDisabled, button->GetVisualState());
    LoseCapture(button);
    // A button is focusable from the start.
    EXPECT_TRUE(!!static_cast<BOOL>(
        *MarkupDynamicCast<CXTPMarkupBool>(button->GetValue(CXTPMarkupUIElement::m_pFocusableProperty))));
}

// ---- Click routing and toggling

TEST_F(MarkupButtonTest, ClickBubblesUpTheTreeThenReachesTheContext)
{
    ASSERT_TRUE(Load(L"<StackPanel x:Name='outer'><Border x:Name='frame'><Button x:Name='push'>Go</Button></Border>"
                     L"</StackPanel>"))
        << m_strError;
    m_log.RecordContext(m_pContext);
    CButtonEventLog outer;
    outer.RecordElement(Named<CXTPMarkupInputElement>(L"outer"), CXTPMarkupButtonBase::m_pClickEvent);
    Named<CXTPMarkupButtonBase>(L"push")->OnClick();
    EXPECT_EQ(Strings{"outer:Click"}, outer.entries);
    EXPECT_EQ(Strings{"push:Click"}, m_log.entries) << "the context's handlers get the source as sender";

    outer.handle = true;
    Named<CXTPMarkupButtonBase>(L"push")->OnClick();
    EXPECT_EQ(1u, m_log.entries.size()) << "handled on the way up: the context sees nothing";
}

TEST_F(MarkupButtonTest, ToggleCyclesWithAndWithoutThreeStatesRaisingTheStateEventBeforeClick)
{
    struct Case {
        const wchar_t* markup;
        std::vector<int> states;
        Strings events;
    };
    const Case cases[] = {
        {L"<CheckBox x:Name='box'/>",
         {1, 0, 1},
         {"box:Checked", "box:Click", "box:Unchecked", "box:Click", "box:Checked", "box:Click"}},
        {L"<CheckBox x:Name='box' IsThreeState='True'/>",
         {1, 2, 0},
         {"box:Checked", "box:Click", "box:Indeterminate", "box:Click", "box:Unchecked", "box:Click"}},
        {L"<CheckBox x:Name='box' IsThreeState='True' IsChecked=''/>",
         {0, 1, 2},
         {"box:Unchecked", "box:Click", "box:Checked", "box:Click", "box:Indeterminate", "box:Click"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.markup));
        ASSERT_TRUE(Load(c.markup)) << m_strError;
        CButtonEventLog log;
        log.RecordContext(m_pContext);
        CXTPMarkupToggleButton* box = Named(L"box");
        std::vector<int> states;
        for (size_t i = 0; i < c.states.size(); ++i) {
            box->OnClick();
            states.push_back(box->GetChecked());
        }
        EXPECT_EQ(c.states, states);
        EXPECT_EQ(c.events, log.entries);
        MarkupRelease(m_pRoot);
        ReleaseMarkupContext(&m_pContext); // drops the handlers that point at this case's log
        m_pContext = CreateMarkupContext(nullptr);
    }
}

TEST_F(MarkupButtonTest, EachChangeOfIsCheckedRaisesExactlyOneEventAndNoChangeNone)
{
    ASSERT_TRUE(Load(L"<CheckBox x:Name='box'/>")) << m_strError;
    m_log.RecordContext(m_pContext);
    CXTPMarkupToggleButton* box = Named(L"box");
    box->SetChecked(CXTPMarkupToggleButton::indeterminate);
    box->SetChecked(CXTPMarkupToggleButton::indeterminate);
    box->SetValue(CXTPMarkupToggleButton::m_pIsCheckedProperty, nullptr); // back to the default, unchecked
    box->SetChecked(CXTPMarkupToggleButton::unchecked);
    box->SetChecked(CXTPMarkupToggleButton::checked);
    box->SetChecked(5); // any other value counts as indeterminate
    EXPECT_EQ((Strings{"box:Indeterminate", "box:Unchecked", "box:Checked", "box:Indeterminate"}), m_log.entries);
}

TEST_F(MarkupButtonTest, RadioButtonUnchecksOnlyTheRadioButtonsOfItsVisualParent)
{
    ASSERT_TRUE(Load(L"<StackPanel>"
                     L"<StackPanel x:Name='groupA'>"
                     L"<RadioButton x:Name='a1' IsChecked='True'/><RadioButton x:Name='a2'/>"
                     L"<CheckBox x:Name='check' IsChecked='True'/>"
                     L"<Border><RadioButton x:Name='nested' IsChecked='True'/></Border>"
                     L"</StackPanel>"
                     L"<StackPanel x:Name='groupB'><RadioButton x:Name='b1' IsChecked='True'/></StackPanel>"
                     L"</StackPanel>"))
        << m_strError;
    m_log.RecordContext(m_pContext);
    Named(L"a2")->OnClick();
    EXPECT_EQ((Strings{"a1:Unchecked", "a2:Checked", "a2:Click"}), m_log.entries);
    EXPECT_EQ(0, Named(L"a1")->GetChecked());
    EXPECT_EQ(1, Named(L"a2")->GetChecked());
    EXPECT_EQ(1, Named(L"check")->GetChecked()) << "a check box is no member of the group";
    EXPECT_EQ(1, Named(L"nested")->GetChecked()) << "another visual parent: another group";
    EXPECT_EQ(1, Named(L"b1")->GetChecked());

    // Clicking the checked one keeps it checked and changes nothing else.
    m_log.entries.clear();
    Named(L"a2")->OnClick();
    EXPECT_EQ(Strings{"a2:Click"}, m_log.entries);
    EXPECT_EQ(1, Named(L"a2")->GetChecked());

    // Checking by value groups the same way.
    m_log.entries.clear();
    Named(L"a1")->SetChecked(CXTPMarkupToggleButton::checked);
    EXPECT_EQ((Strings{"a2:Unchecked", "a1:Checked"}), m_log.entries);
}

TEST_F(MarkupButtonTest, IsCheckedTextIsTrueFalseOrEmptyInAnyCase)
{
    struct Case {
        const wchar_t* value; // null: not written
        int state;            // -1: the build fails
    };
    const Case cases[] = {
        {nullptr, 0}, {L"True", 1}, {L"true", 1}, {L"TRUE", 1}, {L"False", 0}, {L"fAlSe", 0},
        {L"", 2},     {L"1", -1},   {L"Yes", -1}, {L" True", -1}, {L"Indeterminate", -1},
    };
    for (const Case& c : cases) {
        std::wstring text = L"<RadioButton x:Name='r'";
        if (c.value)
            text += std::wstring(L" IsChecked='") + c.value + L"'";
        text += L"/>";
        SCOPED_TRACE(Narrow(text.c_str()));
        const bool built = Load(text.c_str());
        if (c.state < 0) {
            EXPECT_FALSE(built);
            EXPECT_NE(std::string::npos, m_strError.find("Cannot convert string in attribute 'IsChecked'")) << m_strError;
            continue;
        }
        ASSERT_TRUE(built) << m_strError;
        EXPECT_EQ(c.state, Named(L"r")->GetChecked());
    }
    ASSERT_TRUE(Load(L"<CheckBox x:Name='r' IsThreeState='true'/>")) << m_strError;
    EXPECT_TRUE(Named(L"r")->IsThreeState());
}

// ---- Layout

TEST_F(MarkupButtonTest, MeasureAddsTheFaceOrGlyphColumnAndPadding)
{
    enum Kind { push, check, radio };
    struct Case {
        const char* name;
        Kind kind;
        RECT padding;     // left, top, right, bottom; all -1: none set
        SIZE content;     // cx < 0: no content
        SIZE desired;
        SIZE offered;     // what the content was offered of 200 x 100
    };
    const Case cases[] = {
        {"empty button", push, {-1, -1, -1, -1}, {-1, 0}, {8, 8}, {}},
        {"padded empty button", push, {1, 2, 3, 4}, {-1, 0}, {12, 14}, {}},
        {"button", push, {-1, -1, -1, -1}, {30, 10}, {38, 18}, {192, 92}},
        {"padded button", push, {1, 2, 3, 4}, {30, 10}, {42, 24}, {188, 86}},
        {"empty check box", check, {-1, -1, -1, -1}, {-1, 0}, {16, 0}, {}},
        {"empty radio button", radio, {-1, -1, -1, -1}, {-1, 0}, {16, 13}, {}},
        {"tall empty radio button", radio, {0, 10, 0, 10}, {-1, 0}, {16, 20}, {}},
        {"low check box", check, {-1, -1, -1, -1}, {30, 5}, {46, 13}, {184, 100}},
        {"padded check box", check, {2, 3, 2, 3}, {30, 20}, {50, 26}, {180, 94}},
        {"low radio button", radio, {-1, -1, -1, -1}, {20, 4}, {36, 13}, {184, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CXTPMarkupContentControl* button = nullptr;
        switch (c.kind) {
        case push: button = new CXTPMarkupButton(); break;
        case check: button = new CXTPMarkupCheckBox(); break;
        case radio: button = new CXTPMarkupRadioButton(); break;
        }
        if (c.padding.left >= 0)
            button->SetValue(CXTPMarkupControl::m_pPaddingProperty,
                             new CXTPMarkupThickness(c.padding.left, c.padding.top, c.padding.right, c.padding.bottom));
        CCountingElement* content = nullptr;
        if (c.content.cx >= 0) {
            content = new CCountingElement(c.content.cx, c.content.cy);
            button->SetContent(content);
        }
        CXTPMarkupDrawingContext dc;
        button->Measure(&dc, 200, 100);
        EXPECT_EQ(c.desired.cx, button->GetDesiredSize().cx);
        EXPECT_EQ(c.desired.cy, button->GetDesiredSize().cy);
        if (content) {
            EXPECT_EQ(c.offered.cx, content->m_lastAvailable.cx);
            EXPECT_EQ(c.offered.cy, content->m_lastAvailable.cy);
        }
        button->Release();
    }
}

TEST_F(MarkupButtonTest, ArrangePlacesContentInsideThePaddingAndSinksItWhenPressed)
{
    for (bool background : {false, true}) {
        SCOPED_TRACE(background ? "with a background" : "without a background");
        auto* button = new CXTPMarkupButton();
        button->SetValue(CXTPMarkupControl::m_pPaddingProperty, new CXTPMarkupThickness(1, 2, 3, 4));
        if (background)
            button->SetValue(CXTPMarkupControl::m_pBackgroundProperty, new CXTPMarkupSolidColorBrush(RGB(200, 0, 0)));
        auto* content = new CCountingElement(30, 10);
        button->SetContent(content);
        CXTPMarkupDrawingContext dc;
        button->Measure(&dc, 100, 50);
        button->Arrange(RECT{0, 0, 100, 50});
        EXPECT_EQ("(5, 6, 93, 42)", Describe(RootRect(content)));
        Enter(button);
        Down(button);
        // The visual style draws a pressed face of its own: only classic and coloured faces sink.
        const bool sinks = background || !button->IsThemed();
        EXPECT_EQ(sinks ? "(6, 7, 94, 43)" : "(5, 6, 93, 42)", Describe(RootRect(content)));
        Leave(button);
        EXPECT_EQ("(5, 6, 93, 42)", Describe(RootRect(content))) << "outside it looks released";
        Up(button);
        button->Release();
    }

    for (bool radio : {false, true}) {
        SCOPED_TRACE(radio ? "radio button" : "check box");
        CXTPMarkupToggleButton* button = radio ? static_cast<CXTPMarkupToggleButton*>(new CXTPMarkupRadioButton())
                                               : new CXTPMarkupCheckBox();
        button->SetValue(CXTPMarkupControl::m_pPaddingProperty, new CXTPMarkupThickness(2));
        auto* content = new CCountingElement(0, 10);
        button->SetContent(content);
        CXTPMarkupDrawingContext dc;
        button->Measure(&dc, 100, 50);
        button->Arrange(RECT{0, 0, 100, 50});
        EXPECT_EQ("(18, 2, 98, 48)", Describe(RootRect(content)));
        button->Arrange(RECT{0, 0, 10, 50});
        // Narrower than the glyph column: an empty slot at the column's edge, never a negative one.
        EXPECT_EQ("(18, 2, 18, 48)", Describe(content->GetFinalRect()));
        button->Release();
    }
}

// ---- Drawing

struct ButtonLook {
    const char* name;
    const wchar_t* markup;   // one button named "b" as the root, with Width and Height
    const char* steps;       // pressing steps as above, before drawing
    int part;                // themed: visual-style part
    int state;               // themed: visual-style state
    UINT classicFlags;       // classic glyphs: DrawFrameControl flags
};

// The element drawn with GDI into a white canvas of the document's size.
void RenderElement(CXTPMarkupUIElement* root, DibCanvas& canvas)
{
    CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, FALSE);
    root->Render(&dc);
}

int CountDifferences(const DibCanvas& actual, const DibCanvas& expected, std::string& first)
{
    int count = 0;
    for (int y = 0; y < actual.Height(); ++y) {
        for (int x = 0; x < actual.Width(); ++x) {
            if (actual.At(x, y) == expected.At(x, y))
                continue;
            if (count++ == 0) {
                char text[96];
                snprintf(text, sizeof(text), "(%d, %d): %06lX, expected %06lX", x, y,
                         static_cast<unsigned long>(actual.At(x, y)), static_cast<unsigned long>(expected.At(x, y)));
                first = text;
            }
        }
    }
    return count;
}

class MarkupButtonDrawingTest : public MarkupButtonTest {
protected:
    // Loads the look's document at its size and applies its steps.
    CXTPMarkupButtonBase* Prepare(const ButtonLook& look, int width, int height)
    {
        if (!Load(look.markup, width, height))
            return nullptr;
        CXTPMarkupButtonBase* button = Named<CXTPMarkupButtonBase>(L"b");
        for (const char* step = look.steps; *step; ++step) {
            switch (*step) {
            case 'e': Enter(button); break;
            case 'l': Leave(button); break;
            case 'd': Down(button); break;
            }
        }
        return button;
    }
    // Draws the element and the expectation and compares them; the steps' press is undone after.
    void Compare(const ButtonLook& look, int width, int height, const std::function<void(HDC)>& drawExpected)
    {
        SCOPED_TRACE(look.name);
        CXTPMarkupButtonBase* button = Prepare(look, width, height);
        ASSERT_NE(nullptr, button) << m_strError;
        DibCanvas actual(width, height);
        RenderElement(m_pRoot, actual);
        DibCanvas expected(width, height);
        drawExpected(expected.DC());
        GdiFlush();
        std::string first;
        EXPECT_EQ(0, CountDifferences(actual, expected, first)) << "first at " << first;
        LoseCapture(button);
    }
};

// The edges of a push button by the face's rules, into dc.
void DrawClassicFace(HDC dc, int width, int height, COLORREF face, COLORREF light, COLORREF shadow, COLORREF dark,
                     bool pressed)
{
    auto fill = [dc](int l, int t, int r, int b, COLORREF color) {
        const RECT rc = {l, t, r, b};
        HBRUSH brush = CreateSolidBrush(color);
        FillRect(dc, &rc, brush);
        DeleteObject(brush);
    };
    fill(0, 0, width, height, face);
    if (pressed) {
        const RECT outer = {0, 0, width, height};
        const RECT inner = {1, 1, width - 1, height - 1};
        HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME));
        FrameRect(dc, &outer, frame);
        DeleteObject(frame);
        HBRUSH shade = CreateSolidBrush(shadow);
        FrameRect(dc, &inner, shade);
        DeleteObject(shade);
        return;
    }
    fill(0, 0, width, 1, light);
    fill(0, 0, 1, height, light);
    fill(1, height - 2, width - 1, height - 1, shadow);
    fill(width - 2, 1, width - 1, height - 1, shadow);
    fill(0, height - 1, width - 1, height, dark);
    fill(width - 1, 0, width, height, dark);
}

// The visual style's own drawing of the part and state at rc.
void DrawThemed(HDC dc, int part, int state, const RECT& rc)
{
    HTHEME theme = OpenThemeData(nullptr, L"BUTTON");
    ASSERT_NE(nullptr, theme);
    DrawThemeBackground(theme, dc, part, state, &rc, nullptr);
    CloseThemeData(theme);
}

const ButtonLook kPushLooks[] = {
    {"normal", L"<Button x:Name='b'/>", "", 1, 1, 0},
    {"hot", L"<Button x:Name='b'/>", "e", 1, 2, 0},
    {"pressed", L"<Button x:Name='b'/>", "ed", 1, 3, 0},
    {"armed outside", L"<Button x:Name='b'/>", "edl", 1, 2, 0},
    {"disabled", L"<Button x:Name='b' IsEnabled='False'/>", "e", 1, 4, 0},
};

// Check box 40 x 21 and radio button 40 x 20: the glyph square at (0, 4, 13, 17) either way.
const ButtonLook kGlyphLooks[] = {
    {"check box", L"<CheckBox x:Name='b'/>", "", 3, 1, DFCS_BUTTONCHECK},
    {"check box hot", L"<CheckBox x:Name='b'/>", "e", 3, 2, DFCS_BUTTONCHECK},
    {"check box checked", L"<CheckBox x:Name='b' IsChecked='True'/>", "", 3, 5, DFCS_BUTTONCHECK | DFCS_CHECKED},
    {"check box checked pressed", L"<CheckBox x:Name='b' IsChecked='True'/>", "ed", 3, 7,
     DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_PUSHED},
    {"check box indeterminate", L"<CheckBox x:Name='b' IsChecked=''/>", "", 3, 9,
     DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_BUTTON3STATE},
    {"check box indeterminate hot", L"<CheckBox x:Name='b' IsChecked=''/>", "e", 3, 10,
     DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_BUTTON3STATE},
    {"check box disabled", L"<CheckBox x:Name='b' IsEnabled='False' IsChecked='True'/>", "", 3, 8,
     DFCS_BUTTONCHECK | DFCS_CHECKED},
    {"radio button", L"<RadioButton x:Name='b'/>", "", 2, 1, DFCS_BUTTONRADIO},
    {"radio button pressed", L"<RadioButton x:Name='b'/>", "ed", 2, 3, DFCS_BUTTONRADIO | DFCS_PUSHED},
    {"radio button checked", L"<RadioButton x:Name='b' IsChecked='True'/>", "", 2, 5, DFCS_BUTTONRADIO | DFCS_CHECKED},
    {"radio button checked hot", L"<RadioButton x:Name='b' IsChecked='True'/>", "e", 2, 6,
     DFCS_BUTTONRADIO | DFCS_CHECKED},
    {"radio button disabled", L"<RadioButton x:Name='b' IsEnabled='False'/>", "", 2, 4, DFCS_BUTTONRADIO},
};

int GlyphLookHeight(const ButtonLook& look)
{
    return look.part == 3 ? 21 : 20;
}

TEST_F(MarkupButtonDrawingTest, ThemedLooksAreTheVisualStyleParts)
{
    if (ClassicLookRequested())
        GTEST_SKIP() << "visual styles are off in this process";
    ASSERT_TRUE(Load(L"<Button x:Name='b'/>")) << m_strError;
    ASSERT_TRUE(Named<CXTPMarkupButtonBase>(L"b")->IsThemed()) << "a visual style is active by default";
    for (const ButtonLook& look : kPushLooks)
        Compare(look, 60, 24, [&](HDC dc) { DrawThemed(dc, look.part, look.state, RECT{0, 0, 60, 24}); });
    for (const ButtonLook& look : kGlyphLooks)
        Compare(look, 40, GlyphLookHeight(look),
                [&](HDC dc) { DrawThemed(dc, look.part, look.state, RECT{0, 4, 13, 17}); });
}

TEST_F(MarkupButtonDrawingTest, ClassicLooksAreTheFrameControlGlyphsAndTheButtonFaceEdges)
{
    if (!ClassicLookRequested())
        GTEST_SKIP() << "needs visual styles off and TARNWICK_CLASSIC_LOOK=1";
    ASSERT_TRUE(Load(L"<Button x:Name='b'/>")) << m_strError;
    ASSERT_FALSE(Named<CXTPMarkupButtonBase>(L"b")->IsThemed()) << "visual styles are still on";
    for (const ButtonLook& look : kPushLooks) {
        const bool pressed = look.state == 3;
        Compare(look, 60, 24, [&](HDC dc) {
            DrawClassicFace(dc, 60, 24, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOW),
                            GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_3DDKSHADOW), pressed);
        });
    }
    for (const ButtonLook& look : kGlyphLooks) {
        Compare(look, 40, GlyphLookHeight(look), [&](HDC dc) {
            RECT rc = {0, 4, 13, 17};
            DrawFrameControl(dc, &rc, DFC_BUTTON, look.classicFlags);
        });
    }
}

TEST_F(MarkupButtonDrawingTest, BackgroundGivesTheFaceEdgesDerivedThroughLuminanceInEitherLook)
{
    struct Case {
        const char* name;
        COLORREF background;
    };
    const Case cases[] = {{"blue", RGB(0x33, 0x66, 0xCC)}, {"red", RGB(255, 0, 0)}, {"grey", RGB(128, 128, 128)},
                          {"black", RGB(0, 0, 0)}};
    for (const Case& c : cases) {
        // Light: luminance halved plus 120; shadow: two thirds of it; dark: the shadow halved.
        const DWORD hls = RgbToHls(c.background);
        const int luminance = static_cast<int>(hls >> 16 & 0xFF);
        const COLORREF light = HlsToRgb((hls & 0xFFFF) | static_cast<DWORD>(luminance / 2 + 120) << 16);
        const COLORREF shadow = HlsToRgb((hls & 0xFFFF) | static_cast<DWORD>(MulDiv(luminance, 2, 3)) << 16);
        const COLORREF dark = RGB(GetRValue(shadow) / 2, GetGValue(shadow) / 2, GetBValue(shadow) / 2);
        wchar_t markup[96];
        swprintf(markup, 96, L"<Button x:Name='b' Background='#FF%02X%02X%02X'/>", GetRValue(c.background),
                 GetGValue(c.background), GetBValue(c.background));
        for (bool pressed : {false, true}) {
            const std::string name = std::string(c.name) + (pressed ? " pressed" : "");
            const ButtonLook look = {name.c_str(), markup, pressed ? "ed" : "", 0, 0, 0};
            Compare(look, 50, 20, [&](HDC dc) { DrawClassicFace(dc, 50, 20, c.background, light, shadow, dark, pressed); });
        }
    }
    // The derived colours differ from the face where the face leaves room (not for black's light).
    const CXTPMarkupButton::EdgeColors blue = CXTPMarkupButton::EdgeColorsOf(RGB(0x33, 0x66, 0xCC));
    EXPECT_GT(GetRValue(blue.light) + GetGValue(blue.light) + GetBValue(blue.light), 0x33 + 0x66 + 0xCC);
    EXPECT_LT(GetRValue(blue.shadow) + GetGValue(blue.shadow) + GetBValue(blue.shadow), 0x33 + 0x66 + 0xCC);
}

TEST_F(MarkupButtonDrawingTest, FocusVisualsExistButAreNeverDrawn)
{
    struct Case {
        const wchar_t* markup;
        RECT focus; // empty: nothing drawn
    };
    const Case cases[] = {
        {L"<Button x:Name='b'>Go</Button>", {3, 3, 57, 21}},
        {L"<Button x:Name='b'/>", {3, 3, 57, 21}},
        {L"<CheckBox x:Name='b'>Go</CheckBox>", {15, 0, 60, 24}},
        {L"<RadioButton x:Name='b'>Go</RadioButton>", {15, 0, 60, 24}},
        {L"<CheckBox x:Name='b'/>", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.markup));
        ASSERT_TRUE(Load(c.markup, 60, 24)) << m_strError;
        CXTPMarkupButtonBase* button = Named<CXTPMarkupButtonBase>(L"b");
        // What a full render gives does not change when the focus visual is asked for directly...
        DibCanvas rendered(60, 24);
        RenderElement(m_pRoot, rendered);
        DibCanvas withFocus(60, 24);
        RenderElement(m_pRoot, withFocus);
        {
            CXTPMarkupDrawingContext dc(withFocus.DC(), nullptr, FALSE);
            button->OnRenderFocusVisual(&dc);
        }
        // ...except by the platform's focus rectangle, drawn white on black.
        DibCanvas expected(60, 24);
        RenderElement(m_pRoot, expected);
        if (!IsRectEmpty(&c.focus)) {
            SetTextColor(expected.DC(), RGB(255, 255, 255));
            SetBkColor(expected.DC(), RGB(0, 0, 0));
            DrawFocusRect(expected.DC(), &c.focus);
        }
        GdiFlush();
        std::string first;
        EXPECT_EQ(0, CountDifferences(withFocus, expected, first)) << "first at " << first;
        if (!IsRectEmpty(&c.focus)) {
            EXPECT_GT(CountDifferences(withFocus, rendered, first), 0) << "the focus rectangle shows";
        }
    }
}

} // namespace
