// The owner-drawn button's behaviour in a real dialog under Xvfb: hot tracking and presses driven
// by SendInput, keys and dialog codes sent as the dialog manager would, themes switched by message.

#include "ButtonTestSupport.h"

#include "toolkit/foundation/XTPToolTipContext.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <typeinfo>

using namespace testsupport;
using namespace buttontests;

namespace {

int Normalise(int value, int extent)
{
    return static_cast<int>((static_cast<long long>(value) * 65535 + extent / 2) / (extent - 1));
}

// Puts the pointer on a point of a window's client area.
bool PointerTo(HWND window, POINT client)
{
    ::ClientToScreen(window, &client);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = Normalise(client.x, ::GetSystemMetrics(SM_CXSCREEN));
    move.mi.dy = Normalise(client.y, ::GetSystemMetrics(SM_CYSCREEN));
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    if (::SendInput(1, &move, sizeof(move)) != 1)
        return false;
    auto there = [client] {
        POINT at{};
        return ::GetCursorPos(&at) && at.x == client.x && at.y == client.y;
    };
    return PumpUntil(there, 2000) || (::SetCursorPos(client.x, client.y) && PumpUntil(there));
}

bool LeftButton(bool down)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    return ::SendInput(1, &input, sizeof(input)) == 1;
}

POINT Centre(HWND window)
{
    const SIZE size = ClientSize(window);
    return {size.cx / 2, size.cy / 2};
}

class ButtonTest : public ::testing::Test {
protected:
    CTestApp app;
    CButtonsDialog dialog;

    void SetUp() override
    {
        ASSERT_TRUE(dialog.Create());
        dialog.ShowWindow(SW_SHOW);
        ASSERT_TRUE(BringToForeground(dialog.m_hWnd));
    }
    void TearDown() override
    {
        LeftButton(false);
        dialog.DestroyWindow();
    }
};

} // namespace

TEST_F(ButtonTest, KindAndAlignmentComeFromTheStyleBits)
{
    const struct {
        int id;
        BYTE type;
        BOOL pushLike;
        DWORD alignment;
    } cases[] = {
        {IDC_PUSH, BS_PUSHBUTTON, TRUE, BS_CENTER | BS_VCENTER},
        {IDC_DEFPUSH, BS_DEFPUSHBUTTON, TRUE, BS_CENTER | BS_VCENTER},
        {IDC_CHECK, BS_AUTOCHECKBOX, FALSE, BS_LEFT | BS_VCENTER},
        {IDC_3STATE, BS_AUTO3STATE, FALSE, BS_LEFT | BS_VCENTER},
        {IDC_RADIO, BS_AUTORADIOBUTTON, FALSE, BS_LEFT | BS_VCENTER},
        {IDC_GROUP, BS_GROUPBOX, FALSE, BS_LEFT | BS_VCENTER},
        {IDC_TOGGLE, BS_AUTOCHECKBOX, TRUE, BS_CENTER | BS_VCENTER},    // BS_PUSHLIKE
    };
    for (const auto& c : cases) {
        CProbeButton& button = dialog.Button(c.id);
        EXPECT_EQ(c.type, button.GetButtonType()) << "control " << c.id;
        EXPECT_EQ(c.pushLike, button.IsPushLike()) << "control " << c.id;
        EXPECT_EQ(c.alignment, button.GetTextAlignment()) << "control " << c.id;
    }
    // an explicit part wins, the missing one is filled in
    CProbeButton& push = dialog.Button(IDC_PUSH);
    push.ModifyStyle(0, BS_RIGHT | BS_TOP);
    EXPECT_EQ(static_cast<DWORD>(BS_RIGHT | BS_TOP), push.GetTextAlignment());
    push.ModifyStyle(BS_TOP, 0);
    EXPECT_EQ(static_cast<DWORD>(BS_RIGHT | BS_VCENTER), push.GetTextAlignment());

    // push-like buttons keep their own checked state, the others ask the window
    dialog.Button(IDC_CHECK).SendMessage(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, dialog.Button(IDC_CHECK).GetChecked());
    push.SetChecked(2);
    EXPECT_EQ(2, push.GetChecked());
}

TEST_F(ButtonTest, HotFollowsThePointerAndStaysWhileTheButtonHoldsTheCapture)
{
    CProbeButton& push = dialog.Button(IDC_PUSH);
    ASSERT_TRUE(PointerTo(push.m_hWnd, Centre(push.m_hWnd)));
    EXPECT_TRUE(PumpUntil([&] { return push.IsHot() != FALSE; })) << "hot on enter";
    ASSERT_TRUE(PointerTo(dialog.m_hWnd, POINT{2, 2}));
    EXPECT_TRUE(PumpUntil([&] { return !push.IsHot(); })) << "the leave notice clears hot";

    // group boxes never turn hot
    CProbeButton& group = dialog.Button(IDC_GROUP);
    ASSERT_TRUE(PointerTo(group.m_hWnd, Centre(group.m_hWnd)));
    PumpPending();
    EXPECT_FALSE(group.IsHot());

    ASSERT_TRUE(PointerTo(dialog.m_hWnd, POINT{2, 2}));
    push.SetCapture();
    EXPECT_TRUE(push.IsHot()) << "the capture counts as hot with the pointer outside";
    ::ReleaseCapture();
    EXPECT_FALSE(push.IsHot());
}

TEST_F(ButtonTest, ADropDownNotifiesAtPressTimeWhileDrawnPressed)
{
    CProbeButton& drop = dialog.Button(IDC_DROPDOWN);
    ASSERT_TRUE(PointerTo(drop.m_hWnd, Centre(drop.m_hWnd)));
    ASSERT_TRUE(LeftButton(true));
    ASSERT_TRUE(PumpUntil([&] { return dialog.Count(IDC_DROPDOWN, XTP_BN_DROPDOWN) > 0; }));
    // the system button repeats its press state on every move while it holds the capture
    ASSERT_TRUE(PointerTo(drop.m_hWnd, POINT{Centre(drop.m_hWnd).x + 3, Centre(drop.m_hWnd).y}));
    PumpUntil([&] { return false; }, 200);
    EXPECT_EQ(1, dialog.Count(IDC_DROPDOWN, XTP_BN_DROPDOWN)) << "one press, one drop-down";
    EXPECT_EQ(0, dialog.Count(IDC_DROPDOWN, BN_CLICKED)) << "nothing else before the release";
    const RecordedCommand& drop7 = dialog.commands.front();
    EXPECT_EQ(2, drop7.pushedState) << "the button is drawn pressed while the parent's menu runs";
    EXPECT_TRUE(drop7.mouseDown);
    ASSERT_TRUE(LeftButton(false));
    PumpUntil([&] { return ::GetCapture() != drop.m_hWnd; });
    EXPECT_EQ(0, drop.GetPushedState()) << "released";
    EXPECT_EQ(1, dialog.Count(IDC_DROPDOWN, XTP_BN_DROPDOWN));
}

TEST_F(ButtonTest, PressStateSentDuringADropDownIsIgnored)
{
    CProbeButton& drop = dialog.Button(IDC_DROPDOWN);
    dialog.releaseDuringDropDown = true;
    drop.SendMessage(BM_SETSTATE, TRUE);
    ASSERT_EQ(1, dialog.Count(IDC_DROPDOWN, XTP_BN_DROPDOWN));
    EXPECT_EQ(2, dialog.commands.front().pushedState) << "BM_SETSTATE(FALSE) sent meanwhile changed nothing";
    EXPECT_EQ(0, drop.GetPushedState());

    // a split button is not opened by a press of its body
    dialog.commands.clear();
    dialog.Button(IDC_SPLIT).SendMessage(BM_SETSTATE, TRUE);
    EXPECT_TRUE(dialog.commands.empty());
    EXPECT_EQ(1, dialog.Button(IDC_SPLIT).GetPushedState());
    dialog.Button(IDC_SPLIT).SendMessage(BM_SETSTATE, FALSE);
}

TEST_F(ButtonTest, ASplitButtonOpensOnlyFromItsArrowPart)
{
    CProbeButton& split = dialog.Button(IDC_SPLIT);
    const SIZE size = ClientSize(split.m_hWnd);
    const int arrowPart = split.GetBorderGap() + 16;

    // the body: an ordinary click
    ASSERT_TRUE(ClickClient(split.m_hWnd, POINT{size.cx - arrowPart - 3, size.cy / 2}));
    ASSERT_TRUE(PumpUntil([&] { return dialog.Count(IDC_SPLIT, BN_CLICKED) == 1; }));
    EXPECT_EQ(0, dialog.Count(IDC_SPLIT, XTP_BN_DROPDOWN));

    // the arrow part: the drop-down alone
    dialog.commands.clear();
    ASSERT_TRUE(ClickClient(split.m_hWnd, POINT{size.cx - arrowPart + 2, size.cy / 2}));
    ASSERT_TRUE(PumpUntil([&] { return dialog.Count(IDC_SPLIT, XTP_BN_DROPDOWN) == 1; }));
    PumpUntil([&] { return false; }, 200);    // room for a click that must not come
    EXPECT_EQ(0, dialog.Count(IDC_SPLIT, BN_CLICKED));
}

TEST_F(ButtonTest, KeysAndDialogCodesFollowThePushStyle)
{
    // What WM_GETDLGCODE adds for a space character and for Enter (key-down and character).
    const struct {
        int style;
        bool wantsSpaceChar;
        bool wantsEnter;
    } codes[] = {
        {xtpButtonNormal, false, false},         {xtpButtonDropDown, true, true},
        {xtpButtonDropDownRight, true, true},    {xtpButtonSplitDropDown, true, false},
        {xtpButtonDropDownNoGlyph, true, false},
    };
    CProbeButton& push = dialog.Button(IDC_PUSH);
    for (const auto& c : codes) {
        push.SetPushButtonStyle(c.style);
        MSG spaceChar{push.m_hWnd, WM_CHAR, VK_SPACE, 0, 0, {0, 0}};
        MSG enterDown{push.m_hWnd, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
        MSG enterChar{push.m_hWnd, WM_CHAR, VK_RETURN, 0, 0, {0, 0}};
        auto code = [&](MSG& msg) { return push.SendMessage(WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)); };
        EXPECT_EQ(c.wantsSpaceChar, (code(spaceChar) & DLGC_WANTCHARS) != 0) << "style " << c.style;
        EXPECT_EQ(c.wantsEnter, (code(enterDown) & DLGC_WANTALLKEYS) != 0) << "style " << c.style;
        EXPECT_EQ(c.wantsEnter, (code(enterChar) & DLGC_WANTALLKEYS) != 0) << "style " << c.style;
    }
    push.SetPushButtonStyle(xtpButtonNormal);

    // Which characters open the drop-down, and that key-downs are swallowed without opening it.
    const struct {
        int id;
        WPARAM key;
        int dropDowns;
    } chars[] = {
        {IDC_DROPDOWN, VK_SPACE, 1}, {IDC_DROPDOWN, VK_RETURN, 1}, {IDC_SPLIT, VK_SPACE, 1},
        {IDC_SPLIT, VK_RETURN, 0},   {IDC_NOGLYPH, VK_SPACE, 1},   {IDC_NOGLYPH, VK_RETURN, 0},
    };
    for (const auto& c : chars) {
        dialog.commands.clear();
        CProbeButton& button = dialog.Button(c.id);
        button.SendMessage(WM_KEYDOWN, c.key, 1);
        EXPECT_TRUE(dialog.commands.empty()) << "key-down of " << c.key << " on " << c.id;
        button.SendMessage(WM_CHAR, c.key, 1);
        EXPECT_EQ(c.dropDowns, dialog.Count(c.id, XTP_BN_DROPDOWN)) << "character " << c.key << " on " << c.id;
        EXPECT_EQ(0, button.GetPushedState());
    }
    // Enter is swallowed on key-down by the glyphless drop-down: the system button never sees it
    dialog.commands.clear();
    dialog.Button(IDC_NOGLYPH).SendMessage(WM_KEYDOWN, VK_RETURN, 1);
    dialog.Button(IDC_NOGLYPH).SendMessage(WM_KEYUP, VK_RETURN, 1);
    PumpPending();
    EXPECT_TRUE(dialog.commands.empty());
}

TEST_F(ButtonTest, ThemeMessageSelectsTheLookByNumber)
{
    const struct {
        WPARAM number;
        const std::type_info& type;
        int themeNumber;
    } cases[] = {
        {0, typeid(CXTPButtonTheme), 0},
        {1, typeid(CXTPButtonFlatTheme), 1},
        {2, typeid(CXTPButtonUltraFlatTheme), 2},
        {3, typeid(CXTPButtonOffice2000Theme), 3},
        {4, typeid(CXTPButtonOfficeXPTheme), 4},
        {5, typeid(CXTPButtonOffice2003Theme), 5},
        {6, typeid(CXTPButtonTheme), 0},
        {7, typeid(CXTPButtonResourceTheme), 7},
        {42, typeid(CXTPButtonTheme), 0},
    };
    CProbeButton& push = dialog.Button(IDC_PUSH);
    for (const auto& c : cases) {
        EXPECT_EQ(0, push.SendMessage(WM_CONTROL_SET_THEME, c.number));
        ASSERT_NE(nullptr, push.GetTheme());
        EXPECT_EQ(c.type, typeid(*push.GetTheme())) << "theme " << c.number;
        EXPECT_EQ(c.themeNumber, push.GetTheme()->GetThemeNumber()) << "theme " << c.number;
        EXPECT_EQ(c.number == 0, push.GetUseVisualStyle() != FALSE) << "theme " << c.number;
    }
}

TEST_F(ButtonTest, TooltipCoversTheClientAreaLessTwoPixels)
{
    CProbeButton& push = dialog.Button(IDC_PUSH);
    const SIZE size = ClientSize(push.m_hWnd);
    EXPECT_EQ(-1, push.OnToolHitTest(CPoint(size.cx / 2, size.cy / 2), nullptr)) << "no text, no tool";

    push.SetTooltip(L"Saves the package");
    const struct {
        POINT at;
        INT_PTR hit;
    } cases[] = {
        {{size.cx / 2, size.cy / 2}, 1}, {{2, 2}, 1}, {{1, 5}, -1}, {{5, 1}, -1},
        {{size.cx - 3, size.cy - 3}, 1}, {{size.cx - 2, 5}, -1}, {{5, size.cy - 2}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.hit, push.OnToolHitTest(CPoint(c.at), nullptr)) << c.at.x << "," << c.at.y;

    TOOLINFOW ti{};
    ti.cbSize = kToolInfoExSize;
    XTP_TOOLTIP_TOOLINFO_EX ext{};
    ti.lParam = reinterpret_cast<LPARAM>(&ext);
    ASSERT_EQ(1, push.OnToolHitTest(CPoint(size.cx / 2, size.cy / 2), &ti));
    EXPECT_EQ(push.m_hWnd, ti.hwnd);
    EXPECT_EQ(1u, ti.uId);
    const RECT expected{2, 2, size.cx - 2, size.cy - 2};
    EXPECT_TRUE(::EqualRect(&expected, &ti.rect));
    ASSERT_NE(nullptr, ti.lpszText);
    EXPECT_STREQ(L"Saves the package", ti.lpszText);
    ASSERT_NE(nullptr, ext.lpszTitle);
    EXPECT_STREQ(L"Push", ext.lpszTitle) << "the title is the button's text";
    ASSERT_NE(nullptr, ext.lpszDescription);
    EXPECT_STREQ(L"Saves the package", ext.lpszDescription);
    ::free(ti.lpszText);
    ::free(ext.lpszTitle);
    ::free(ext.lpszDescription);
}

TEST_F(ButtonTest, NewTextIsKeptAndTheButtonStaysVisible)
{
    CProbeButton& push = dialog.Button(IDC_PUSH);
    push.SetWindowText(L"Renamed");
    EXPECT_EQ(L"Renamed", WindowText(push.m_hWnd));
    EXPECT_TRUE(push.GetStyle() & WS_VISIBLE);
    dialog.Button(IDC_PUSH).SendMessage(BM_SETSTATE, TRUE);
    EXPECT_TRUE(push.GetStyle() & WS_VISIBLE);
    EXPECT_EQ(1, push.GetPushedState());
    dialog.Button(IDC_PUSH).SendMessage(BM_SETSTATE, FALSE);
    EXPECT_EQ(0, push.GetPushedState());
}
