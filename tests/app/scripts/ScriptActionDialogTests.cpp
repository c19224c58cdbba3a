// The step editor runs modally while a helper thread reads its controls and drives it with real
// input: the actions offered per control type, a kind chosen and then cancelled, the pause's spin
// limits, a larger typed pause kept, and the framework's refusal of a number that is no int.

#include "app/scripts/ScriptActionDialog.h"

#include "engine/model/MsgAction.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace testsupport;

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Step Editor Tests") {}
};

constexpr wchar_t kTitle[] = L"Action Properties";

bool IsReadOnly(HWND edit)
{
    return (::GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) != 0;
}

bool IsChecked(HWND dialog, int id)
{
    return ::SendMessageW(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Another visible dialog of dialog's thread (a message box it shows); null when none.
BOOL CALLBACK FindOtherDialog(HWND window, LPARAM data)
{
    auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(data);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (window != found->first && ::IsWindowVisible(window) && std::wstring(className) == L"#32770") {
        found->second = window;
        return FALSE;
    }
    return TRUE;
}

HWND OtherDialog(HWND dialog)
{
    std::pair<HWND, HWND> search{dialog, nullptr};
    ::EnumThreadWindows(::GetWindowThreadProcessId(dialog, nullptr), FindOtherDialog, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

CMsgAction Step(int controlType, int kind, const wchar_t* text, int delay = 1)
{
    CMsgAction step;
    step.m_controlType = controlType;
    step.m_kind = kind;
    step.m_controlText = text;
    step.m_delay = delay;
    step.m_processName = L"setupprog.exe";
    step.m_windowPath = L"#32770-0\\edit-0\\-0";
    return step;
}

void ExpectSameStep(const CMsgAction& before, const CMsgAction& after)
{
    EXPECT_EQ(before.m_kind, after.m_kind);
    EXPECT_EQ(before.m_controlText, after.m_controlText);
    EXPECT_EQ(before.m_delay, after.m_delay);
    EXPECT_EQ(before.m_continueOnFailure, after.m_continueOnFailure);
    EXPECT_EQ(before.m_controlType, after.m_controlType);
}

class StepEditorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW)); }
    void TearDown() override { AfxDeleteTempMaps(); }

    // Runs the editor on step while drive works on it from a helper thread; the dialog is
    // cancelled when drive leaves it open. Answers the dialog's result.
    INT_PTR Run(CMsgAction& step, const std::function<void(HWND)>& drive)
    {
        CScriptActionDialog dialog(&step);
        return RunModal({L"#32770", kTitle}, [&] { return dialog.DoModal(); }, drive);
    }

    CTestApp app;
};

TEST_F(StepEditorTest, ActionsOfferedCheckedKindAndTextBoxFollowTheStep)
{
    struct Row {
        const char* name;
        int controlType;
        int kind;
        const wchar_t* text;
        bool enabled[4]; // Click, Set Text, Select, UnSelect
        int checked;     // 0 for none
        bool editable;
        const wchar_t* typeName;
    };
    const Row rows[] = {
        {"button", CMsgAction::controlButton, 0, L"Next >", {true, false, false, false}, IDC_ACTION_CLICK, false, L"Button"},
        {"radio button", CMsgAction::controlRadioButton, 0, L"Typical", {true, false, false, false}, IDC_ACTION_CLICK, false,
         L"Radio button"},
        {"check box selected", CMsgAction::controlCheckBox, 4, L"I accept", {true, false, true, true}, IDC_ACTION_SELECT,
         false, L"CheckBox"},
        // a captured edit: Click stays checked although only Set Text can be chosen
        {"edit clicked", CMsgAction::controlEdit, 0, L"abc", {false, true, false, false}, IDC_ACTION_CLICK, false, L"Edit"},
        {"edit set text", CMsgAction::controlEdit, 3, L"abc", {false, true, false, false}, IDC_ACTION_SET_TEXT, true, L"Edit"},
        {"tree item unselected", CMsgAction::controlTreeview, 5, L"Docs", {true, false, true, true}, IDC_ACTION_UNSELECT, false,
         L"Treeview"},
        {"tree without item", CMsgAction::controlTreeview, 0, L"", {true, false, false, false}, IDC_ACTION_CLICK, false,
         L"Treeview"},
        {"list view right click", CMsgAction::controlListview, 1, L"Row", {true, false, false, false}, 0, false, L"Listview"},
        {"combo box timeout", CMsgAction::controlCombobox, 11, L"English", {true, false, false, false}, 0, false, L"Combobox"},
        {"window send key", CMsgAction::controlWindow, 6, L"", {true, false, false, false}, 0, false, L"Window"},
    };
    const int buttons[] = {IDC_ACTION_CLICK, IDC_ACTION_SET_TEXT, IDC_ACTION_SELECT, IDC_ACTION_UNSELECT};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CMsgAction step = Step(row.controlType, row.kind, row.text);
        const CMsgAction before = step;
        Run(step, [&](HWND dialog) {
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(row.enabled[i], ::IsWindowEnabled(::GetDlgItem(dialog, buttons[i])) != FALSE) << buttons[i];
                EXPECT_EQ(buttons[i] == row.checked, IsChecked(dialog, buttons[i])) << buttons[i];
            }
            EXPECT_EQ(!row.editable, IsReadOnly(::GetDlgItem(dialog, IDC_ACTION_TEXT)));
            EXPECT_EQ(std::wstring(row.text), WindowText(::GetDlgItem(dialog, IDC_ACTION_TEXT)));
            EXPECT_EQ(std::wstring(row.typeName), WindowText(::GetDlgItem(dialog, IDC_ACTION_CONTROL_TYPE)));
            EXPECT_TRUE(IsReadOnly(::GetDlgItem(dialog, IDC_ACTION_CONTROL_TYPE)));
            EXPECT_EQ(L"1", WindowText(::GetDlgItem(dialog, IDC_ACTION_DELAY)));
        });
        ExpectSameStep(before, step);
    }
}

TEST_F(StepEditorTest, AKindChosenThenCancelledLeavesTheStepAndOkStoresIt)
{
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        CMsgAction step = Step(CMsgAction::controlEdit, CMsgAction::kindClick, L"abc");
        const CMsgAction before = step;
        const INT_PTR result = Run(step, [&](HWND dialog) {
            ASSERT_TRUE(BringToForeground(dialog));
            HWND text = ::GetDlgItem(dialog, IDC_ACTION_TEXT);
            ASSERT_TRUE(IsReadOnly(text));
            ASSERT_TRUE(ClickCentre(::GetDlgItem(dialog, IDC_ACTION_SET_TEXT)));
            EXPECT_TRUE(WaitFor([&] { return !IsReadOnly(text); }, kGuiTimeoutMs)) << "Set Text makes the box editable";
            EXPECT_TRUE(IsChecked(dialog, IDC_ACTION_SET_TEXT));
            ReplaceTextByKeys(text, L"Jane Doe");
            ReplaceTextByKeys(::GetDlgItem(dialog, IDC_ACTION_DELAY), L"7");
            ASSERT_TRUE(ClickCentre(::GetDlgItem(dialog, IDC_ACTION_CONTINUE)));
            WaitFor([&] { return IsChecked(dialog, IDC_ACTION_CONTINUE); }, kGuiTimeoutMs);
            EXPECT_EQ(L"Jane Doe", WindowText(text));
            ASSERT_TRUE(ClickCentre(::GetDlgItem(dialog, ok ? IDOK : IDCANCEL)));
            WaitFor([&] { return !::IsWindow(dialog); }, kGuiTimeoutMs);
        });
        EXPECT_EQ(ok ? IDOK : IDCANCEL, result);
        if (!ok) {
            ExpectSameStep(before, step);
            continue;
        }
        EXPECT_EQ(CMsgAction::kindSetText, step.m_kind);
        EXPECT_EQ(CString(L"Jane Doe"), step.m_controlText);
        EXPECT_EQ(7, step.m_delay);
        EXPECT_EQ(1, step.m_continueOnFailure);
    }
}

TEST_F(StepEditorTest, ChoosingAKindKeepsThePauseTypedBeforeIt)
{
    CMsgAction step = Step(CMsgAction::controlTreeview, CMsgAction::kindClick, L"I accept");
    Run(step, [&](HWND dialog) {
        ASSERT_TRUE(BringToForeground(dialog));
        ReplaceTextByKeys(::GetDlgItem(dialog, IDC_ACTION_DELAY), L"12");
        ASSERT_TRUE(ClickCentre(::GetDlgItem(dialog, IDC_ACTION_SELECT)));
        WaitFor([&] { return IsChecked(dialog, IDC_ACTION_SELECT); }, kGuiTimeoutMs);
        EXPECT_EQ(L"12", WindowText(::GetDlgItem(dialog, IDC_ACTION_DELAY)));
        EXPECT_EQ(L"I accept", WindowText(::GetDlgItem(dialog, IDC_ACTION_TEXT)));
        ASSERT_TRUE(ClickCentre(::GetDlgItem(dialog, IDOK)));
        WaitFor([&] { return !::IsWindow(dialog); }, kGuiTimeoutMs);
    });
    EXPECT_EQ(CMsgAction::kindSelect, step.m_kind);
    EXPECT_EQ(12, step.m_delay);
    EXPECT_EQ(CString(L"I accept"), step.m_controlText);
}

// Middle of the upper or lower arrow of the spin control.
POINT SpinArrow(HWND spin, bool up)
{
    RECT client = {};
    ::GetClientRect(spin, &client);
    return {client.right / 2, up ? client.bottom / 4 : client.bottom * 3 / 4};
}

TEST_F(StepEditorTest, SpinArrowsStopAtZeroAndThreeHoursButALargerTypedPauseIsKept)
{
    struct Row {
        const char* name;
        int stored;
        bool up;             // arrow clicked twice
        const wchar_t* typed; // instead of arrows; null: arrows
        const wchar_t* shown; // the box after the arrows or the typing
        int result;
    };
    const Row rows[] = {
        {"up to the top", 10799, true, nullptr, L"10800", 10800},
        {"down to zero", 1, false, nullptr, L"0", 0},
        {"typed above the top", 5, true, L"20000", L"20000", 20000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CMsgAction step = Step(CMsgAction::controlButton, CMsgAction::kindClick, L"Next >", row.stored);
        const INT_PTR result = Run(step, [&](HWND dialog) {
            ASSERT_TRUE(BringToForeground(dialog));
            HWND delay = ::GetDlgItem(dialog, IDC_ACTION_DELAY);
            HWND spin = ::GetDlgItem(dialog, IDC_ACTION_DELAY_SPIN);
            if (row.typed) {
                ReplaceTextByKeys(delay, row.typed);
            } else {
                for (int i = 0; i < 2; ++i) {
                    ASSERT_TRUE(ClickClient(spin, SpinArrow(spin, row.up)));
                    // the first click reaches the edge; the second must stay there
                    if (i == 0)
                        WaitFor([&] { return WindowText(delay) == row.shown; }, kGuiTimeoutMs);
                }
            }
            // input is handled asynchronously: wait for the box to show the value
            EXPECT_TRUE(WaitFor([&] { return WindowText(delay) == row.shown; }, kGuiTimeoutMs))
                << "the box shows " << Utf8(WindowText(delay));
            ASSERT_TRUE(ClickCentre(::GetDlgItem(dialog, IDOK)));
            WaitFor([&] { return !::IsWindow(dialog); }, kGuiTimeoutMs);
        });
        EXPECT_EQ(IDOK, result);
        EXPECT_EQ(row.result, step.m_delay);
    }
}

TEST_F(StepEditorTest, APauseThatIsNoIntegerIsRefusedWithTheFrameworksPrompt)
{
    CMsgAction step = Step(CMsgAction::controlButton, CMsgAction::kindClick, L"Next >", 3);
    const CMsgAction before = step;
    std::wstring message;
    bool stayed = false;
    const INT_PTR result = Run(step, [&](HWND dialog) {
        ASSERT_TRUE(BringToForeground(dialog));
        // digits only can be typed; too many of them are still no int
        ReplaceTextByKeys(::GetDlgItem(dialog, IDC_ACTION_DELAY), L"99999999999");
        ASSERT_TRUE(ClickCentre(::GetDlgItem(dialog, IDOK)));
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = OtherDialog(dialog)) != nullptr; }, kGuiTimeoutMs));
        message = MessageBoxText(box);
        PostClick(box, IDOK);
        WaitFor([&] { return !::IsWindow(box); }, kGuiTimeoutMs);
        stayed = ::IsWindow(dialog) && ::IsWindowVisible(dialog);
    });
    EXPECT_EQ(L"Enter an integer.", message);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(IDCANCEL, result);
    ExpectSameStep(before, step);
}

} // namespace
