// Self-tests of the GUI helpers, with real windows and real input.
#include "tests/support/GuiSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace testsupport;

// A top-level test window whose messages go to a handler the test sets; destroyed with the object
// so that the thread owns no windows after the test.
class TestWindow {
public:
    using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>; // true: handled

    explicit TestWindow(Handler handler = {}, const wchar_t* title = L"GUI support test")
        : m_handler(std::move(handler))
    {
        static const ATOM atom = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = Procedure;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = L"TarnwickGuiSupportTest";
            return ::RegisterClassExW(&wc);
        }();
        EXPECT_NE(0, atom);
        m_window = ::CreateWindowExW(0, L"TarnwickGuiSupportTest", title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                     60, 60, 400, 300, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
        EXPECT_NE(nullptr, m_window) << "no window (is DISPLAY set?) error " << ::GetLastError();
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    ~TestWindow()
    {
        if (m_window)
            ::DestroyWindow(m_window);
    }

    HWND Get() const { return m_window; }

    // Shows the window, brings it to the foreground and waits until it has painted.
    void ShowReady()
    {
        ::ShowWindow(m_window, SW_SHOW);
        ::UpdateWindow(m_window);
        ASSERT_TRUE(BringToForeground(m_window)) << "the test window did not become the foreground window";
        ASSERT_TRUE(PumpUntil([this] { return !::GetUpdateRect(m_window, nullptr, FALSE); }));
    }

    HWND AddChild(const wchar_t* className, const wchar_t* text, DWORD style, int id, RECT at)
    {
        return ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, at.left, at.top,
                                 at.right - at.left, at.bottom - at.top, m_window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        LRESULT result = 0;
        if (self && self->m_handler && self->m_handler(window, message, wParam, lParam, result))
            return result;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    Handler m_handler;
    HWND m_window = nullptr;
};

TEST(GuiSupport, PumpUntilRunsTheLoopAndKeepsItsTimeLimit)
{
    int received = 0;
    TestWindow window([&](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT&) {
        if (message == WM_APP)
            received += static_cast<int>(wParam);
        return false;
    });
    ASSERT_TRUE(::PostMessageW(window.Get(), WM_APP, 5, 0));
    EXPECT_TRUE(PumpUntil([&] { return received == 5; }));

    const ULONGLONG start = ::GetTickCount64();
    EXPECT_FALSE(PumpUntil([] { return false; }, 200));
    EXPECT_GE(::GetTickCount64() - start, 200u);
    EXPECT_TRUE(PumpUntil([] { return true; }, 0));

    // A quit met on the way stays in the queue for the loop that owns it.
    ::PostQuitMessage(4);
    EXPECT_FALSE(PumpUntil([] { return false; }, 200));
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(4u, msg.wParam);
}

// A real click lands on the button: the button sees the press and release at the point clicked,
// and its parent gets BN_CLICKED.
TEST(GuiSupport, ClickLandsOnAButton)
{
    constexpr int kButtonId = 1001;
    int clicks = 0;
    TestWindow window([&](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT&) {
        if (message == WM_COMMAND && LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED)
            ++clicks;
        return false;
    });
    const HWND button = window.AddChild(L"BUTTON", L"Press", BS_PUSHBUTTON, kButtonId, RECT{40, 40, 160, 80});
    ASSERT_NE(nullptr, button);
    window.ShowReady();
    MessageRecorder recorder(button, {WM_LBUTTONDOWN, WM_LBUTTONUP});

    ASSERT_TRUE(ClickClient(button, POINT{30, 12}));
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; })) << "the button was not clicked";
    ExpectMessages(recorder, {{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 12)}, {WM_LBUTTONUP, 0, MAKELPARAM(30, 12)}},
                   "click on the button");

    // A click beside the button reaches the parent, not the button.
    recorder.Clear();
    MessageRecorder parent(window.Get(), {WM_LBUTTONUP});
    ASSERT_TRUE(ClickClient(window.Get(), POINT{300, 200}));
    ASSERT_TRUE(PumpUntil([&] { return parent.Contains(WM_LBUTTONUP); }));
    ExpectMessages(parent, {{WM_LBUTTONUP, 0, MAKELPARAM(300, 200)}}, "click beside the button");
    EXPECT_EQ(1, clicks);
    EXPECT_TRUE(recorder.Messages().empty());
}

// A test that fails between its press and its release must not leave the button held down on the
// display: the helpers let go of it when each test ends.
TEST(GuiSupport, HeldButtonIsLetGoAtTheEnd)
{
    const auto leftDown = [] { return (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; };
    ASSERT_TRUE(MovePointerTo({5, 5}));
    ASSERT_TRUE(PressButton(MouseButton::Left, true));
    EXPECT_TRUE(PumpUntil(leftDown));
    ReleaseHeldButtons();
    EXPECT_TRUE(PumpUntil([&] { return !leftDown(); }));
    ReleaseHeldButtons();    // nothing held: no second release
    EXPECT_FALSE(leftDown());
}

TEST(GuiSupport, TypedTextLandsInAnEdit)
{
    TestWindow window;
    const HWND edit = window.AddChild(L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, 1002, RECT{20, 20, 300, 50});
    ASSERT_NE(nullptr, edit);
    window.ShowReady();
    ::SetFocus(edit);
    ASSERT_TRUE(PumpUntil([edit] { return ::GetFocus() == edit; }));

    const std::wstring typed = L"Hello, w\x00f6rld \x4e2d!";
    ASSERT_TRUE(TypeText(typed));
    auto text = [edit] {
        wchar_t buffer[64] = {};
        ::GetWindowTextW(edit, buffer, 64);
        return std::wstring(buffer);
    };
    EXPECT_TRUE(PumpUntil([&] { return text() == typed; })) << "edit holds " << text().size() << " units";

    // Keys with a modifier: Shift+Home selects back to the start.
    ASSERT_TRUE(PressKeys({VK_SHIFT, VK_HOME}));
    DWORD start = 1;
    DWORD end = 0;
    EXPECT_TRUE(PumpUntil([&] {
        ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return start == 0 && end == typed.size();
    })) << "selection " << start << ".." << end;
    EXPECT_FALSE(::GetAsyncKeyState(VK_SHIFT) & 0x8000) << "Shift was left down";
}

// Shift+F10 as a chord: the window sees Shift go down first, and the default handling turns it
// into WM_CONTEXTMENU from the keyboard (position -1, -1).
TEST(GuiSupport, KeyChordArrivesInOrder)
{
    TestWindow window;
    window.ShowReady();
    ::SetFocus(window.Get());
    MessageRecorder recorder(window.Get(), {WM_KEYDOWN, WM_KEYUP, WM_CONTEXTMENU});

    ASSERT_TRUE(PressKeys({VK_SHIFT, VK_F10}));
    // Wine's DefWindowProc enters the menu mode when F10 goes up, Shift or not, and stays in that
    // modal loop until a key leaves it: two queued Escapes do.
    ASSERT_TRUE(PressKeys({VK_ESCAPE}));
    ASSERT_TRUE(PressKeys({VK_ESCAPE}));
    ASSERT_TRUE(PumpUntil([&] { return recorder.Contains(WM_CONTEXTMENU); })) << "no context menu";
    const std::optional<RecordedMessage> menu = recorder.Last(WM_CONTEXTMENU);
    ASSERT_TRUE(menu.has_value());
    EXPECT_EQ(-1, static_cast<int>(static_cast<short>(LOWORD(menu->lParam))));
    EXPECT_EQ(-1, static_cast<int>(static_cast<short>(HIWORD(menu->lParam))));

    // Shift goes down before the menu key's context menu. Shift's release, like the Escapes, is
    // taken by the menu mode's own loop, so only the press and the menu are compared.
    std::vector<std::pair<UINT, WPARAM>> order;
    for (const RecordedMessage& m : recorder.Messages())
        if (m.message == WM_CONTEXTMENU || (m.message == WM_KEYDOWN && m.wParam == VK_SHIFT))
            order.emplace_back(m.message, m.message == WM_CONTEXTMENU ? 0 : m.wParam);
    const std::vector<std::pair<UINT, WPARAM>> expected{
        {WM_KEYDOWN, VK_SHIFT}, {WM_CONTEXTMENU, 0}};
    EXPECT_EQ(expected, order) << "Shift+F10";
}

// A rectangle filled with a system colour reads back as that colour, both from the screen and
// through PrintWindow, and the two captures agree.
TEST(GuiSupport, FilledRectangleReadsBackAsItsColour)
{
    const COLORREF fill = ::GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF background = ::GetSysColor(COLOR_WINDOW);
    ASSERT_NE(fill, background);
    const RECT box{10, 20, 110, 70};
    auto paint = [&](HDC dc) { ::FillRect(dc, &box, ::GetSysColorBrush(COLOR_HIGHLIGHT)); };
    TestWindow window([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hwnd, &ps);
            paint(dc);
            ::EndPaint(hwnd, &ps);
            return true;
        }
        if (message == WM_PRINTCLIENT) {
            RECT client{};
            ::GetClientRect(hwnd, &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, ::GetSysColorBrush(COLOR_WINDOW));
            paint(reinterpret_cast<HDC>(wParam));
            result = 0;
            return true;
        }
        return false;
    });
    window.ShowReady();

    for (const CaptureMethod method : {CaptureMethod::Screen, CaptureMethod::Print}) {
        SCOPED_TRACE(method == CaptureMethod::Screen ? "screen" : "print");
        RgbImage image;
        // The screen shows the window once the X server has it: wait for the colour.
        ASSERT_TRUE(PumpUntil([&] {
            image = CaptureClient(window.Get(), method);
            return !image.IsEmpty() && RegionIs(image, box, fill);
        })) << "the box never read back as " << std::hex << fill;
        EXPECT_EQ(100 * 50, CountColour(image, RECT{0, 0, image.width, image.height}, fill));
        EXPECT_TRUE(RegionIs(image, RECT{0, 0, 10, 20}, background));
        EXPECT_TRUE(RegionIs(image, RECT{110, 70, 200, 120}, background));
        EXPECT_FALSE(RegionIs(image, RECT{5, 15, 20, 30}, fill)) << "the box has no edge";
    }
    const RgbImage screen = CaptureClient(window.Get(), CaptureMethod::Screen);
    const RgbImage printed = CaptureClient(window.Get(), CaptureMethod::Print);
    EXPECT_TRUE(SameRegion(screen, RECT{0, 0, 200, 100}, printed, POINT{0, 0}));
    EXPECT_FALSE(SameRegion(screen, RECT{0, 0, 200, 100}, printed, POINT{5, 5}));
}

// A modal message box blocks the test thread; the driver finds it and presses Cancel with a real
// click, so the box answers IDCANCEL.
TEST(GuiSupport, ModalWindowIsDrivenFromAHelperThread)
{
    TestWindow owner;
    owner.ShowReady();
    const wchar_t* title = L"Driven message box";
    HWND pressed = nullptr;
    ModalDriver driver({L"#32770", title}, [&](HWND box) {
        const HWND cancel = ::GetDlgItem(box, IDCANCEL);
        if (cancel && BringToForeground(box) && ClickCentre(cancel)) {
            pressed = cancel;
            if (PumpUntil([box] { return !::IsWindow(box); }))
                return;
        }
        // The click did not end the box: end it with OK so the test thread goes on (and fails).
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    const int answer = ::MessageBoxW(owner.Get(), L"Press Cancel", title, MB_OKCANCEL);
    ASSERT_TRUE(driver.Wait());
    EXPECT_EQ(IDCANCEL, answer);
    EXPECT_NE(nullptr, pressed);
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_FALSE(::IsWindow(driver.Window()));
}

TEST(GuiSupport, ModalDriverGivesUpAfterItsTimeLimit)
{
    bool ran = false;
    ModalDriver driver({nullptr, L"No such window"}, [&](HWND) { ran = true; }, 300);
    EXPECT_FALSE(driver.Wait());
    EXPECT_TRUE(driver.TimedOut());
    EXPECT_FALSE(ran);
    EXPECT_EQ(nullptr, driver.Window());
}

} // namespace
