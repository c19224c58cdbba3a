// Buttons, a three-state check box and two radio groups in a host window, driven by real input
// (SendInput moves the pointer and presses the button). The test asserts on what the context and
// Windows report (capture, pressed state, the events in order), then on the window's pixels
// against the platform's own drawing of the same part and state.

#include "MarkupButtonSupport.h"
#include "MarkupHostWindow.h"

#include "tests/support/DibCanvas.h"
#include "tests/support/GuiSupport.h"

#include <uxtheme.h>

#include <functional>
#include <string>
#include <vector>

using namespace markuptests;
using namespace testsupport;

namespace {

using Strings = std::vector<std::string>;

const wchar_t kDocument[] =
    L"<StackPanel x:Name='root' Background='White'>"
    L"<Button x:Name='push' Width='100' Height='30' HorizontalAlignment='Left'>Push</Button>"
    L"<Button x:Name='off' Width='100' Height='30' HorizontalAlignment='Left' IsEnabled='False'>Off</Button>"
    L"<CheckBox x:Name='three' Height='20' IsThreeState='True'>Three</CheckBox>"
    L"<StackPanel x:Name='groupA' Orientation='Horizontal' Height='20'>"
    L"<RadioButton x:Name='a1' Width='60' IsChecked='True'>A1</RadioButton>"
    L"<RadioButton x:Name='a2' Width='60'>A2</RadioButton>"
    L"</StackPanel>"
    L"<StackPanel x:Name='groupB' Height='20'><RadioButton x:Name='b1' IsChecked='True'>B1</RadioButton></StackPanel>"
    L"<Button x:Name='blank' Width='60' Height='24' HorizontalAlignment='Left'/>"
    L"</StackPanel>";

// A point of the host's client area that no button covers.
constexpr POINT kOutside = {250, 210};

class MarkupButtonWindowTest : public MarkupTest {
protected:
    void SetUp() override
    {
        m_hWnd = CreateMarkupHost(300, 220, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        ASSERT_NE(nullptr, m_hWnd);
        MarkupTest::SetUp();
        m_pContext = CreateMarkupContext(m_hWnd);
        g_markupHost.root = ParseMarkupText(m_pContext, kDocument);
        ASSERT_NE(nullptr, g_markupHost.root);
        ASSERT_TRUE(BringToForeground(m_hWnd));
        InvalidateRect(m_hWnd, nullptr, FALSE);
        ASSERT_TRUE(PumpUntil([] { return g_markupHost.paints > 0; }));
        ASSERT_TRUE(MovePointerToClient(m_hWnd, kOutside));
        ASSERT_TRUE(PumpUntil([this] {
            CXTPMarkupInputElement* over = m_pContext->GetMouseOverElement();
            return over == nullptr || over == g_markupHost.root;
        }));
        // Added after the build: building with IsChecked raised the checked events already.
        m_log.RecordContext(m_pContext);
    }
    void TearDown() override
    {
        PressButton(MouseButton::Left, false);
        ReleaseMarkupElement(&g_markupHost.root);
        EXPECT_EQ(1, m_pContext->GetRefCount());
        ReleaseMarkupContext(&m_pContext);
        DestroyWindow(m_hWnd);
        MarkupTest::TearDown();
    }

    template <class T = CXTPMarkupToggleButton>
    T* Named(const wchar_t* name)
    {
        return MarkupDynamicCast<T>(FindNamed(g_markupHost.root, name));
    }
    RECT RectOf(const wchar_t* name) { return m_pContext->GetElementRect(Named<CXTPMarkupInputElement>(name)); }
    POINT CentreOf(const wchar_t* name)
    {
        const RECT rc = RectOf(name);
        return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    // Whether the element or one of its descendants (the button's text) is under the pointer.
    bool IsOver(const wchar_t* name)
    {
        CXTPMarkupObject* element = FindNamed(g_markupHost.root, name);
        for (CXTPMarkupObject* walk = m_pContext->GetMouseOverElement(); walk; walk = walk->GetLogicalParent()) {
            if (walk == element)
                return true;
        }
        return false;
    }
    // Moves the pointer over the element and waits until the context sees it there.
    bool PointAt(const wchar_t* name)
    {
        return MovePointerToClient(m_hWnd, CentreOf(name)) && PumpUntil([&] { return IsOver(name); });
    }
    bool NotFocused(const wchar_t* name)
    {
        const CXTPMarkupBool* focused = MarkupDynamicCast<CXTPMarkupBool>(
            Named<CXTPMarkupInputElement>(name)->GetValue(CXTPMarkupInputElement::m_pIsKeyboardFocusedProperty));
        return !focused || !static_cast<BOOL>(*focused);
    }
    // The client area once the host painted after the state the condition waits for.
    RgbImage CaptureAfter(const std::function<bool()>& condition)
    {
        const int paints = g_markupHost.paints;
        if (!PumpUntil([&] { return condition() && g_markupHost.paints > paints; }))
            return RgbImage();
        return CaptureClient(m_hWnd);
    }

    HWND m_hWnd = nullptr;
    CXTPMarkupContext* m_pContext = nullptr;
    CButtonEventLog m_log;
};

TEST_F(MarkupButtonWindowTest, PressDragOutAndReleaseOutsideGivesNoClick)
{
    CXTPMarkupButtonBase* push = Named<CXTPMarkupButtonBase>(L"push");
    ASSERT_TRUE(PointAt(L"push"));
    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    ASSERT_TRUE(PumpUntil([&] { return m_pContext->GetCapturedElement() == push && push->IsPressed(); }));
    EXPECT_EQ(m_hWnd, GetCapture());

    ASSERT_TRUE(MovePointerToClient(m_hWnd, kOutside));
    ASSERT_TRUE(PumpUntil([&] { return !push->IsPressed(); }));
    EXPECT_EQ(push, m_pContext->GetCapturedElement()) << "still armed";
    EXPECT_EQ(m_hWnd, GetCapture());

    ASSERT_TRUE(PressButton(MouseButton::Left, false));
    ASSERT_TRUE(PumpUntil([&] { return m_pContext->GetCapturedElement() == nullptr && GetCapture() == nullptr; }));
    EXPECT_TRUE(m_log.entries.empty()) << testing::PrintToString(m_log.entries);
    EXPECT_FALSE(push->IsMouseOver()) << "the mouse-over state kept while armed ends with the release";
    EXPECT_TRUE(NotFocused(L"push"));
}

TEST_F(MarkupButtonWindowTest, PressDragOutComeBackAndReleaseGivesOneClick)
{
    CXTPMarkupButtonBase* push = Named<CXTPMarkupButtonBase>(L"push");
    ASSERT_TRUE(PointAt(L"push"));
    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    ASSERT_TRUE(PumpUntil([&] { return push->IsPressed(); }));
    ASSERT_TRUE(MovePointerToClient(m_hWnd, kOutside));
    ASSERT_TRUE(PumpUntil([&] { return !push->IsPressed(); }));
    ASSERT_TRUE(MovePointerToClient(m_hWnd, CentreOf(L"push")));
    ASSERT_TRUE(PumpUntil([&] { return push->IsPressed(); })) << "pressed again on the way back";
    ASSERT_TRUE(PressButton(MouseButton::Left, false));
    ASSERT_TRUE(PumpUntil([&] { return !m_log.entries.empty() && GetCapture() == nullptr; }));
    PumpPending();
    EXPECT_EQ(Strings{"push:Click"}, m_log.entries);
    EXPECT_FALSE(push->IsPressed());
    EXPECT_TRUE(push->IsMouseOver());
}

TEST_F(MarkupButtonWindowTest, LosingTheCaptureEndsThePressWithoutAClick)
{
    CXTPMarkupButtonBase* push = Named<CXTPMarkupButtonBase>(L"push");
    ASSERT_TRUE(PointAt(L"push"));
    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    ASSERT_TRUE(PumpUntil([&] { return push->IsPressed() && GetCapture() == m_hWnd; }));
    // Someone else ends the capture (as a popup taking it would); the host hears WM_CAPTURECHANGED.
    ReleaseCapture();
    ASSERT_TRUE(PumpUntil([&] { return !push->IsPressed() && m_pContext->GetCapturedElement() == nullptr; }));
    MessageRecorder recorder(m_hWnd, {WM_LBUTTONUP});
    ASSERT_TRUE(PressButton(MouseButton::Left, false));
    ASSERT_TRUE(PumpUntil([&] { return recorder.Contains(WM_LBUTTONUP); }));
    EXPECT_TRUE(m_log.entries.empty()) << testing::PrintToString(m_log.entries);
}

TEST_F(MarkupButtonWindowTest, DisabledButtonTakesNoCaptureAndHidesThePressFromItsParent)
{
    MessageRecorder recorder(m_hWnd, {WM_LBUTTONDOWN, WM_LBUTTONUP});
    CButtonEventLog parent;
    parent.RecordElement(Named<CXTPMarkupInputElement>(L"root"), CXTPMarkupInputElement::m_pMouseLeftButtonDownEvent);
    CXTPMarkupButtonBase* off = Named<CXTPMarkupButtonBase>(L"off");
    ASSERT_TRUE(PointAt(L"off"));
    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    ASSERT_TRUE(PumpUntil([&] { return recorder.Contains(WM_LBUTTONDOWN); }));
    EXPECT_EQ(nullptr, m_pContext->GetCapturedElement());
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_FALSE(off->IsPressed());
    EXPECT_TRUE(parent.entries.empty()) << testing::PrintToString(parent.entries);
    ASSERT_TRUE(PressButton(MouseButton::Left, false));
    ASSERT_TRUE(PumpUntil([&] { return recorder.Contains(WM_LBUTTONUP); }));
    EXPECT_TRUE(m_log.entries.empty()) << testing::PrintToString(m_log.entries);

    // The press it hid is not lost for the enabled: the same input on "push" clicks.
    ASSERT_TRUE(PointAt(L"push"));
    ASSERT_TRUE(ClickClient(m_hWnd, CentreOf(L"push")));
    ASSERT_TRUE(PumpUntil([&] { return !m_log.entries.empty(); }));
    EXPECT_EQ(Strings{"push:Click"}, m_log.entries);
}

TEST_F(MarkupButtonWindowTest, ThreeStateCheckBoxCyclesInThreeClicks)
{
    CXTPMarkupToggleButton* three = Named(L"three");
    ASSERT_EQ(0, three->GetChecked());
    ASSERT_TRUE(PointAt(L"three"));
    const POINT glyph = {RectOf(L"three").left + 6, CentreOf(L"three").y};
    std::vector<int> states;
    for (size_t i = 1; i <= 3; ++i) {
        ASSERT_TRUE(ClickClient(m_hWnd, glyph));
        ASSERT_TRUE(PumpUntil([&] { return m_log.entries.size() >= 2 * i && GetCapture() == nullptr; }));
        states.push_back(three->GetChecked());
    }
    EXPECT_EQ((std::vector<int>{1, 2, 0}), states);
    EXPECT_EQ((Strings{"three:Checked", "three:Click", "three:Indeterminate", "three:Click", "three:Unchecked",
                       "three:Click"}),
              m_log.entries);
    EXPECT_TRUE(NotFocused(L"three"));
}

TEST_F(MarkupButtonWindowTest, RadioButtonUnchecksItsSiblingButNotTheOneUnderAnotherPanel)
{
    ASSERT_TRUE(PointAt(L"a2"));
    ASSERT_TRUE(ClickClient(m_hWnd, CentreOf(L"a2")));
    ASSERT_TRUE(PumpUntil([&] { return m_log.entries.size() >= 3 && GetCapture() == nullptr; }));
    EXPECT_EQ((Strings{"a1:Unchecked", "a2:Checked", "a2:Click"}), m_log.entries);
    EXPECT_EQ(0, Named(L"a1")->GetChecked());
    EXPECT_EQ(1, Named(L"a2")->GetChecked());
    EXPECT_EQ(1, Named(L"b1")->GetChecked());
}

// Pixels of the window's region rc against the platform's drawing of the same size.
int CountDifferences(const RgbImage& image, const RECT& rc, const testsupport::DibCanvas& expected, std::string& first)
{
    int count = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            const COLORREF want = expected.At(x - rc.left, y - rc.top);
            if (image.At(x, y) == want)
                continue;
            if (count++ == 0) {
                char text[96];
                snprintf(text, sizeof(text), "(%d, %d): %06lX, expected %06lX", x, y,
                         static_cast<unsigned long>(image.At(x, y)), static_cast<unsigned long>(want));
                first = text;
            }
        }
    }
    return count;
}

TEST_F(MarkupButtonWindowTest, HotAndPressedButtonShowTheVisualStyleFaces)
{
    if (ClassicLookRequested())
        GTEST_SKIP() << "visual styles are off in this process";
    CXTPMarkupButtonBase* blank = Named<CXTPMarkupButtonBase>(L"blank");
    ASSERT_TRUE(blank->IsThemed());
    const RECT rc = RectOf(L"blank");
    ASSERT_EQ(60, rc.right - rc.left);
    ASSERT_EQ(24, rc.bottom - rc.top);

    struct Step {
        const char* name;
        int state;
    };
    HTHEME theme = OpenThemeData(nullptr, L"BUTTON");
    ASSERT_NE(nullptr, theme);
    auto check = [&](const RgbImage& image, int state, const char* name) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(image.IsEmpty());
        DibCanvas expected(60, 24);
        const RECT box = {0, 0, 60, 24};
        DrawThemeBackground(theme, expected.DC(), 1, state, &box, nullptr);
        GdiFlush();
        std::string first;
        EXPECT_EQ(0, CountDifferences(image, rc, expected, first)) << "first at " << first;
    };

    ASSERT_TRUE(MovePointerToClient(m_hWnd, CentreOf(L"blank")));
    check(CaptureAfter([&] { return IsOver(L"blank"); }), 2, "hot");
    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    check(CaptureAfter([&] { return blank->IsPressed(); }), 3, "pressed");
    ASSERT_TRUE(MovePointerToClient(m_hWnd, kOutside));
    check(CaptureAfter([&] { return !blank->IsPressed(); }), 2, "armed outside");
    ASSERT_TRUE(PressButton(MouseButton::Left, false));
    check(CaptureAfter([&] { return GetCapture() == nullptr && !blank->IsMouseOver(); }), 1, "released outside");
    CloseThemeData(theme);
}

TEST_F(MarkupButtonWindowTest, ClassicPressedButtonSinksItsContentInsideTheDarkFrames)
{
    if (!ClassicLookRequested())
        GTEST_SKIP() << "needs visual styles off and TARNWICK_CLASSIC_LOOK=1";
    CXTPMarkupButtonBase* push = Named<CXTPMarkupButtonBase>(L"push");
    ASSERT_FALSE(push->IsThemed());
    const RECT rc = RectOf(L"push");
    ASSERT_TRUE(MovePointerToClient(m_hWnd, CentreOf(L"push")));
    const RgbImage released = CaptureAfter([&] { return IsOver(L"push"); });
    ASSERT_FALSE(released.IsEmpty());
    EXPECT_TRUE(RegionIs(released, RECT{rc.left, rc.top, rc.right - 1, rc.top + 1}, GetSysColor(COLOR_WINDOW)));
    EXPECT_TRUE(RegionIs(released, RECT{rc.right - 1, rc.top, rc.right, rc.bottom}, GetSysColor(COLOR_3DDKSHADOW)));

    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    const RgbImage pressed = CaptureAfter([&] { return push->IsPressed(); });
    ASSERT_FALSE(pressed.IsEmpty());
    EXPECT_TRUE(RegionIs(pressed, RECT{rc.left, rc.top, rc.right, rc.top + 1}, GetSysColor(COLOR_WINDOWFRAME)));
    EXPECT_TRUE(RegionIs(pressed, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, GetSysColor(COLOR_WINDOWFRAME)));
    EXPECT_TRUE(
        RegionIs(pressed, RECT{rc.left + 1, rc.top + 1, rc.right - 1, rc.top + 2}, GetSysColor(COLOR_BTNSHADOW)));
    // The face with its text, one pixel right and down.
    const RECT inner = {rc.left + 4, rc.top + 4, rc.right - 5, rc.bottom - 5};
    EXPECT_LT(CountColour(released, inner, GetSysColor(COLOR_BTNFACE)), (inner.right - inner.left) * (inner.bottom - inner.top))
        << "the text shows";
    EXPECT_TRUE(SameRegion(released, inner, pressed, POINT{inner.left + 1, inner.top + 1}));
}

} // namespace
