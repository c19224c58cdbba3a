// The anchor layout of resizable dialogs, with real dialogs from templates under Xvfb. Sizes are
// set with SetWindowPos, which delivers WM_SIZE synchronously, so every layout pass has run when
// the call returns; the control rectangles are read back from Windows.

#include "ResizeTestsResource.h"

#include "toolkit/foundation/XTPResize.h"

#include "framework/window/WinApp.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

using namespace testsupport;

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Resize Tests") {}
};

// Anchors every control of the resizable template but the late one.
class CAnchoredDialog : public CXTPResizeDialog {
public:
    explicit CAnchoredDialog(UINT id = IDD_RESIZABLE, int options = 0) : CXTPResizeDialog(id, nullptr, options) {}

protected:
    BOOL OnInitDialog() override
    {
        CXTPResizeDialog::OnInitDialog();
        if (!::GetDlgItem(m_hWnd, IDC_CORNER))
            return TRUE;
        SetControlAnchors(IDC_GROWS, CXTPResizeFactorRect(0, 0, 1, 0));
        SetControlAnchors(IDC_CORNER, CXTPResizeFactorPoint(1, 1), CXTPResizeFactorPoint(1, 1));
        SetControlAnchors(IDC_HALF, CXTPResizeFactorRect(0.5f, 0, 0.5f, 0));
        // twice: the factors add up to (0, 0, 1, 1)
        SetControlAnchors(IDC_TWICE, CXTPResizeFactorRect(0, 0, 1, 0));
        SetControlAnchors(IDC_TWICE, CXTPResizeFactorRect(0, 0, 0, 1));
        SetControlAnchors(IDC_GROUP, CXTPResizeFactorRect(1, 0, 1, 1));
        return TRUE;
    }
};

// Fails the deferred move of the first item of one pass, as DeferWindowPos does when it runs out
// of resources: the structure is gone and the handle comes back null.
class CFailingDialog : public CAnchoredDialog {
public:
    bool failNextPass = false;

    BOOL MoveItem(HDWP& hdwp, CXTPResizeItem* pItem, float dx, float dy) override
    {
        if (failNextPass && hdwp) {
            failNextPass = false;
            // the move is worked out as always, and DeferWindowPos fails on it
            HDWP failing = nullptr;
            const BOOL moved = CAnchoredDialog::MoveItem(failing, pItem, dx, dy);
            ::EndDeferWindowPos(hdwp);
            hdwp = nullptr;
            return moved;
        }
        return CAnchoredDialog::MoveItem(hdwp, pItem, dx, dy);
    }
};

class ResizeTest : public ::testing::Test {
protected:
    CTestApp app;

    static RECT ControlRect(const CWnd& dialog, int id)
    {
        RECT rect{};
        HWND control = ::GetDlgItem(dialog.m_hWnd, id);
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(HWND_DESKTOP, dialog.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    static SIZE ClientSize(const CWnd& dialog)
    {
        RECT client{};
        ::GetClientRect(dialog.m_hWnd, &client);
        return {client.right, client.bottom};
    }
    // Grows the client area by (dx, dy) from its present size.
    static void Grow(CWnd& dialog, int dx, int dy)
    {
        RECT window{};
        ::GetWindowRect(dialog.m_hWnd, &window);
        ::SetWindowPos(dialog.m_hWnd, nullptr, 0, 0, window.right - window.left + dx, window.bottom - window.top + dy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    static std::map<int, RECT> Rects(const CWnd& dialog)
    {
        std::map<int, RECT> rects;
        for (int id : {IDC_GROWS, IDC_CORNER, IDC_HALF, IDC_TWICE, IDC_GROUP, IDC_LATE, CXTPResize::kSizeIconId})
            rects[id] = ControlRect(dialog, id);
        return rects;
    }
    static RECT Moved(RECT rect, int left, int top, int right, int bottom)
    {
        return {rect.left + left, rect.top + top, rect.right + right, rect.bottom + bottom};
    }
    // Every control where (dx, dy) since `start` puts it by its anchors.
    static void ExpectLaidOut(const CWnd& dialog, std::map<int, RECT>& start, int dx, int dy)
    {
        const struct {
            int id;
            RECT expected;
        } cases[] = {
            {IDC_GROWS, Moved(start[IDC_GROWS], 0, 0, dx, 0)},
            {IDC_CORNER, Moved(start[IDC_CORNER], dx, dy, dx, dy)},
            {IDC_HALF, Moved(start[IDC_HALF], dx / 2, 0, dx / 2, 0)},
            {IDC_TWICE, Moved(start[IDC_TWICE], 0, 0, dx, dy)},
            {IDC_GROUP, Moved(start[IDC_GROUP], dx, 0, dx, dy)},
            {IDC_LATE, start[IDC_LATE]},
            {CXTPResize::kSizeIconId, Moved(start[CXTPResize::kSizeIconId], dx, dy, dx, dy)},
        };
        for (const auto& c : cases) {
            const RECT actual = ControlRect(dialog, c.id);
            EXPECT_TRUE(::EqualRect(&actual, &c.expected))
                << "control " << c.id << ": (" << actual.left << "," << actual.top << "," << actual.right << ","
                << actual.bottom << "), expected (" << c.expected.left << "," << c.expected.top << ","
                << c.expected.right << "," << c.expected.bottom << ")";
        }
    }
};

}    // namespace

TEST_F(ResizeTest, ControlsFollowTheirAnchorsAndTheGripperTheCorner)
{
    CAnchoredDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_RESIZABLE));
    std::map<int, RECT> start = Rects(dialog);

    // the gripper: one pixel in from the bottom-right corner, above the other controls
    const SIZE client = ClientSize(dialog);
    HWND grip = ::GetDlgItem(dialog.m_hWnd, CXTPResize::kSizeIconId);
    ASSERT_NE(nullptr, grip);
    const RECT expectedGrip{client.cx - 1 - ::GetSystemMetrics(SM_CXVSCROLL),
                            client.cy - 1 - ::GetSystemMetrics(SM_CYHSCROLL), client.cx - 1, client.cy - 1};
    EXPECT_TRUE(::EqualRect(&start[CXTPResize::kSizeIconId], &expectedGrip));
    EXPECT_EQ(grip, ::GetWindow(dialog.m_hWnd, GW_CHILD)) << "the gripper is first in the z-order";
    EXPECT_TRUE(::GetWindowLongPtrW(grip, GWL_STYLE) & SBS_SIZEGRIP);
    EXPECT_TRUE(dialog.GetStyle() & WS_CLIPCHILDREN);

    Grow(dialog, 40, 30);
    ExpectLaidOut(dialog, start, 40, 30);
    Grow(dialog, 20, 10);
    ExpectLaidOut(dialog, start, 60, 40);
    Grow(dialog, -60, -40);
    ExpectLaidOut(dialog, start, 0, 0);

    // the group box shows what lies behind it and is repainted after each pass
    EXPECT_TRUE(::GetWindowLongPtrW(::GetDlgItem(dialog.m_hWnd, IDC_GROUP), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    dialog.DestroyWindow();
}

TEST_F(ResizeTest, HalfFactorsAccumulateWithoutDrift)
{
    CAnchoredDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_RESIZABLE));
    const RECT half = ControlRect(dialog, IDC_HALF);
    Grow(dialog, 1, 0);
    RECT now = ControlRect(dialog, IDC_HALF);
    EXPECT_EQ(half.left, now.left) << "half a pixel is not a pixel yet";
    Grow(dialog, 1, 0);
    now = ControlRect(dialog, IDC_HALF);
    EXPECT_EQ(half.left + 1, now.left) << "two half pixels are one";
    for (int i = 0; i < 10; ++i)
        Grow(dialog, 3, 0);
    now = ControlRect(dialog, IDC_HALF);
    EXPECT_EQ(half.left + 16, now.left) << "32 pixels wider moves the control by 16";
    dialog.DestroyWindow();
}

TEST_F(ResizeTest, MinimisingLeavesTheControlsAndRestoringContinues)
{
    CAnchoredDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_RESIZABLE));
    dialog.ShowWindow(SW_SHOWNOACTIVATE);
    std::map<int, RECT> start = Rects(dialog);
    Grow(dialog, 40, 30);

    dialog.ShowWindow(SW_MINIMIZE);
    ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(dialog.m_hWnd) != FALSE; }));
    dialog.ShowWindow(SW_RESTORE);
    ASSERT_TRUE(PumpUntil([&] { return !::IsIconic(dialog.m_hWnd); }));
    ExpectLaidOut(dialog, start, 40, 30);
    Grow(dialog, 10, 10);
    ExpectLaidOut(dialog, start, 50, 40);
    dialog.DestroyWindow();
}

TEST_F(ResizeTest, AControlRegisteredLateTakesTheWholeChangeOnItsFirstPass)
{
    CAnchoredDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_RESIZABLE));
    Grow(dialog, 40, 30);
    const RECT registered = ControlRect(dialog, IDC_LATE);
    ASSERT_TRUE(dialog.SetControlAnchors(IDC_LATE, CXTPResizeFactorRect(1, 1, 1, 1)));
    EXPECT_FALSE(dialog.SetControlAnchors(4242, CXTPResizeFactorRect(1, 1, 1, 1))) << "no such control";
    Grow(dialog, 10, 5);
    RECT expected = Moved(registered, 50, 35, 50, 35);
    RECT actual = ControlRect(dialog, IDC_LATE);
    EXPECT_TRUE(::EqualRect(&expected, &actual));
    // from then on it moves by each pass's change only
    Grow(dialog, 10, 5);
    expected = Moved(expected, 10, 5, 10, 5);
    actual = ControlRect(dialog, IDC_LATE);
    EXPECT_TRUE(::EqualRect(&expected, &actual));
    dialog.DestroyWindow();
}

TEST_F(ResizeTest, TrackingLimits)
{
    CAnchoredDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_RESIZABLE));
    RECT window{};
    ::GetWindowRect(dialog.m_hWnd, &window);
    const SIZE initial{window.right - window.left, window.bottom - window.top};

    auto limits = [&] {
        MINMAXINFO info{};
        info.ptMaxTrackSize = {5000, 5000};
        info.ptMaxSize = {5000, 5000};
        dialog.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        return info;
    };
    MINMAXINFO info = limits();
    EXPECT_EQ(initial.cx, info.ptMinTrackSize.x) << "the initial size is the smallest";
    EXPECT_EQ(initial.cy, info.ptMinTrackSize.y);
    EXPECT_EQ(5000, info.ptMaxTrackSize.x);

    // the system applies the limits to a program's own resizing too
    Grow(dialog, -50, -50);
    ::GetWindowRect(dialog.m_hWnd, &window);
    EXPECT_EQ(initial.cx, window.right - window.left);

    Grow(dialog, 30, 20);
    dialog.SetOptionFlags(CXTPResize::xtpResizeNoHorizontal);
    info = limits();
    EXPECT_EQ(initial.cx + 30, info.ptMaxTrackSize.x) << "the width is locked at the last laid-out width";
    EXPECT_EQ(initial.cx + 30, info.ptMaxSize.x);
    EXPECT_EQ(5000, info.ptMaxTrackSize.y);

    dialog.SetMaxSize(CSize(0, ClientSize(dialog).cy + 7));
    info = limits();
    EXPECT_EQ(initial.cy + 20 + 7, info.ptMaxTrackSize.y);
    dialog.DestroyWindow();
}

TEST_F(ResizeTest, GripperShowsTheSizingCursorAndAFixedDialogHasNone)
{
    CAnchoredDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_RESIZABLE));
    HWND grip = ::GetDlgItem(dialog.m_hWnd, CXTPResize::kSizeIconId);
    ASSERT_NE(nullptr, grip);
    EXPECT_FALSE(::GetWindowLongPtrW(grip, GWL_STYLE) & WS_TABSTOP);
    // over the gripper the cursor is the diagonal sizing one
    EXPECT_TRUE(::SendMessageW(grip, WM_SETCURSOR, reinterpret_cast<WPARAM>(grip), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_SIZENWSE), ::GetCursor());
    dialog.DestroyWindow();

    CAnchoredDialog fixed(IDD_FIXED);
    ASSERT_TRUE(fixed.Create(IDD_FIXED));
    EXPECT_EQ(nullptr, ::GetDlgItem(fixed.m_hWnd, CXTPResize::kSizeIconId));
    EXPECT_TRUE(fixed.GetOptionFlags() & CXTPResize::xtpResizeNoSizeIcon);
    fixed.DestroyWindow();
}

TEST_F(ResizeTest, OptionsLeaveGroupBoxesAndClippingAlone)
{
    CAnchoredDialog dialog(IDD_RESIZABLE, CXTPResize::xtpResizeNoTransparentGroup | CXTPResize::xtpResizeNoClipChildren |
                                              CXTPResize::xtpResizeNoSizeIcon | CXTPResize::xtpResizeNoMinsize);
    ASSERT_TRUE(dialog.Create(IDD_RESIZABLE));
    EXPECT_FALSE(::GetWindowLongPtrW(::GetDlgItem(dialog.m_hWnd, IDC_GROUP), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_FALSE(dialog.GetStyle() & WS_CLIPCHILDREN);
    EXPECT_EQ(nullptr, ::GetDlgItem(dialog.m_hWnd, CXTPResize::kSizeIconId));
    MINMAXINFO info{};
    dialog.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(0, info.ptMinTrackSize.x) << "no minimum";
    dialog.DestroyWindow();
}

TEST_F(ResizeTest, Bug_APassWhoseDeferredMoveFailsStillPutsEveryControlInPlace)
{
    CFailingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_RESIZABLE));
    std::map<int, RECT> start = Rects(dialog);
    dialog.failNextPass = true;
    Grow(dialog, 40, 30);
    EXPECT_FALSE(dialog.failNextPass);
    ExpectLaidOut(dialog, start, 40, 30);
    // and the next pass starts from there rather than from where the failed pass left off
    Grow(dialog, 10, 10);
    ExpectLaidOut(dialog, start, 50, 40);
    dialog.DestroyWindow();
}

TEST_F(ResizeTest, ThePlacementIsSavedInTheProfileWhenTheDialogCloses)
{
    app.SetRegistryKey(L"Tarnwick Test Suite");
    CAnchoredDialog dialog;
    dialog.SetPlacementSection(L"Resize Tests Placement");
    ASSERT_TRUE(dialog.Create(IDD_RESIZABLE));
    Grow(dialog, 25, 15);
    WINDOWPLACEMENT expected{};
    expected.length = sizeof(expected);
    ASSERT_TRUE(::GetWindowPlacement(dialog.m_hWnd, &expected));
    dialog.DestroyWindow();

    LPBYTE data = nullptr;
    UINT bytes = 0;
    ASSERT_TRUE(app.GetProfileBinary(L"Resize Tests Placement", L"WindowPlacement", &data, &bytes));
    EXPECT_EQ(44u, bytes);
    if (bytes == sizeof(expected)) {
        EXPECT_EQ(0, std::memcmp(data, &expected, bytes));
    }
    delete[] data;
}
