#include "engine/model/MsgAction.h"
#include "engine/replay/RemoteWindow.h"
#include "engine/replay/ScriptActions.h"
#include "tests/engine/replay/SetupProgramRun.h"
#include "tests/support/setupprog/SetupProgIds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace replaytest;

namespace {

// Captures a click at a client point of a control, the way the recorder does: with the cursor there.
CMsgAction CaptureAt(HWND control, POINT point)
{
    POINT screen = point;
    ClientToScreen(control, &screen);
    EXPECT_TRUE(SetCursorPos(screen.x, screen.y));
    CMsgAction step;
    CScriptActions engine;
    EXPECT_EQ(0, engine.CaptureAction(step, control));
    return step;
}

POINT Middle(HWND control)
{
    RECT rect = {};
    GetClientRect(control, &rect);
    return {rect.right / 2, rect.bottom / 2};
}

class Capture : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetWow64ProbeForTests(nullptr);
        SetReplayTimingForTests(ReplayTiming());
    }

    DesktopLock m_desktop;
};

} // namespace

TEST_F(Capture, EachControlGivesItsTypeTextAndKind)
{
    SetupProgramRun run;
    HWND wizard = run.WaitForMainWindow();
    ASSERT_NE(nullptr, wizard);
    HWND page = FindWindowExW(wizard, nullptr, L"#32770", nullptr);
    const std::wstring longText(100, L'x');
    SendMessageW(GetDlgItem(wizard, IDC_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(longText.c_str()));
    SendMessageW(GetDlgItem(page, IDC_DESTINATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\Apps"));
    HWND tree = GetDlgItem(wizard, IDC_FEATURES);

    const struct {
        HWND control;
        POINT point; // {-1, -1}: the middle of the control
        int type;
        int kind;
        int id;
        std::string text;
        std::string path;
    } cases[] = {
        {GetDlgItem(wizard, IDC_NAME), {-1, -1}, CMsgAction::controlEdit, CMsgAction::kindSetText, IDC_NAME,
         std::string(100, 'x'), "#32770--1\\edit-0\\-0"},
        {GetDlgItem(page, IDC_DESTINATION), {-1, -1}, CMsgAction::controlEdit, CMsgAction::kindSetText, IDC_DESTINATION,
         "C:\\Apps", "#32770--1\\#32770-0\\edit-0\\-0"},
        {GetDlgItem(wizard, IDC_AGREE), {-1, -1}, CMsgAction::controlCheckBox, CMsgAction::kindClick, IDC_AGREE,
         "I accept the agreement", "#32770--1\\button-0\\-0"},
        {GetDlgItem(wizard, IDC_TYPEGROUP), {3, 3}, CMsgAction::controlGroupBox, CMsgAction::kindClick, IDC_TYPEGROUP,
         "Setup type", "#32770--1\\button-1\\-0"},
        {GetDlgItem(wizard, IDC_CUSTOM), {-1, -1}, CMsgAction::controlRadioButton, CMsgAction::kindClick, IDC_CUSTOM,
         "Custom", "#32770--1\\button-3\\-0"},
        {GetDlgItem(wizard, IDC_NEXT), {-1, -1}, CMsgAction::controlButton, CMsgAction::kindClick, IDC_NEXT, "Next >",
         "#32770--1\\button-4\\-0"},
        {GetDlgItem(wizard, IDC_TITLE), {-1, -1}, CMsgAction::controlStaticText, CMsgAction::kindClick, IDC_TITLE,
         "Welcome to the Test Setup Wizard", "#32770--1\\static-0\\-0"},
        // Nothing selected: type and id only.
        {GetDlgItem(wizard, IDC_LANGUAGE), {-1, -1}, CMsgAction::controlCombobox, CMsgAction::kindClick, IDC_LANGUAGE, "",
         "#32770--1\\combobox-0\\-0"},
        {GetDlgItem(wizard, IDC_FOLDERS), ListBoxItemPoint(GetDlgItem(wizard, IDC_FOLDERS), 2), CMsgAction::controlListbox,
         CMsgAction::kindClick, 2, "Start Menu", "#32770--1\\listbox-0\\-0"},
        {GetDlgItem(wizard, IDC_COMPONENTS), ListViewItemPoint(GetDlgItem(wizard, IDC_COMPONENTS), 1),
         CMsgAction::controlListview, CMsgAction::kindClick, 1, "Help files", "#32770--1\\syslistview32-0\\-0"},
        {tree, TreeStateIconPoint(tree, L"Samples"), CMsgAction::controlTreeview, CMsgAction::kindSelect, 0, "Samples",
         "#32770--1\\systreeview32-0\\-0"},
        {tree, TreeLabelPoint(tree, L"Samples"), CMsgAction::controlTreeview, CMsgAction::kindClick, 0, "",
         "#32770--1\\systreeview32-0\\-0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("control id " + std::to_string(GetDlgCtrlID(c.control)) + " " + c.path);
        const POINT point = c.point.x == -1 ? Middle(c.control) : c.point;
        const CMsgAction step = CaptureAt(c.control, point);
        EXPECT_EQ(c.type, step.m_controlType);
        EXPECT_EQ(c.kind, step.m_kind);
        EXPECT_EQ(c.id, step.m_controlId);
        EXPECT_EQ(c.text, testsupport::Utf8(step.m_controlText.View()));
        EXPECT_EQ(c.path, testsupport::Utf8(step.m_windowPath.View()));
        EXPECT_EQ("setupprog.exe", testsupport::Utf8(step.m_processName.View()));
        EXPECT_EQ(point.x, step.m_point.x);
        EXPECT_EQ(point.y, step.m_point.y);
        RECT rect = {};
        GetWindowRect(c.control, &rect);
        EXPECT_TRUE(EqualRect(&rect, &step.m_windowRect));
    }
}

TEST_F(Capture, SelectedComboItemAndCheckedTreeItem)
{
    SetupProgramRun run;
    HWND wizard = run.WaitForMainWindow();
    ASSERT_NE(nullptr, wizard);
    HWND combo = GetDlgItem(wizard, IDC_LANGUAGE);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    CMsgAction comboStep = CaptureAt(combo, Middle(combo));
    EXPECT_EQ(1, comboStep.m_controlId);
    EXPECT_EQ("French", testsupport::Utf8(comboStep.m_controlText.View()));

    // A click on a checked item's box unchecks it: the step is an UnSelect.
    HWND tree = GetDlgItem(wizard, IDC_FEATURES);
    CScriptActions engine;
    CMsgAction check = ScriptStep(CMsgAction::kindSelect, CMsgAction::controlTreeview, L"setupprog.exe",
                                  L"#32770--1\\systreeview32-0\\-0", L"", TreeStateIconPoint(tree, L"Plug-ins"));
    ASSERT_EQ(0, engine.PlayAction(check)) << testsupport::Utf8(check.m_result.View());
    CMsgAction treeStep = CaptureAt(tree, check.m_point);
    EXPECT_EQ(CMsgAction::kindUnSelect, treeStep.m_kind);
    EXPECT_EQ("Plug-ins", testsupport::Utf8(treeStep.m_controlText.View()));
}

TEST_F(Capture, WindowsOutsideTheJobOrGoneAreNotCaptured)
{
    SetupProgramRun run;
    ASSERT_NE(nullptr, run.WaitForMainWindow());
    CScriptActions engine;
    CMsgAction step;
    EXPECT_EQ(1, engine.CaptureAction(step, nullptr));
    HWND own = CreateWindowExW(0, L"Button", L"Mine", WS_POPUP | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 50, 20, nullptr,
                               nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, own);
    EXPECT_EQ(0, engine.CaptureAction(step, own));
    EXPECT_EQ(CMsgAction::controlButton, step.m_controlType);
    EXPECT_EQ("Mine", testsupport::Utf8(step.m_controlText.View()));
    EXPECT_EQ("", testsupport::Utf8(step.m_processName.View())) << "a window outside the job got a process name";
    EXPECT_EQ("", testsupport::Utf8(step.m_windowPath.View()));
    DestroyWindow(own);
    CMsgAction gone;
    EXPECT_EQ(1, engine.CaptureAction(gone, own));
    EXPECT_EQ("", testsupport::Utf8(gone.m_windowPath.View()));
}

TEST_F(Capture, ListViewOfAnotherBitnessIsNotRead)
{
    SetupProgramRun run;
    HWND wizard = run.WaitForMainWindow();
    ASSERT_NE(nullptr, wizard);
    HWND list = GetDlgItem(wizard, IDC_COMPONENTS);
    const POINT item = ListViewItemPoint(list, 0);
    SetWow64ProbeForTests(PretendOthersAre32Bit);
    CMsgAction step = CaptureAt(list, item);
    EXPECT_EQ(CMsgAction::controlListview, step.m_controlType);
    EXPECT_EQ("", testsupport::Utf8(step.m_controlText.View()));
    EXPECT_EQ("Listview item cannot be read: the setup program is a 32-bit process",
              testsupport::Utf8(step.m_result.View()));
}

// What the recorder captures, replayed on a fresh run of the program, gives the same state.
TEST_F(Capture, CapturedStepsReplayToTheSameState)
{
    // Every step's window is there: search as long as the tests wait for anything.
    ReplayTiming timing;
    timing.attemptPauseMs = 100;
    timing.attempts = static_cast<int>(kWaitLimitMs / timing.attemptPauseMs);
    SetReplayTimingForTests(timing);

    CMsgActions script;
    Result recorded;
    {
        SetupProgramRun run;
        HWND wizard = run.WaitForMainWindow();
        ASSERT_NE(nullptr, wizard);
        HWND page = FindWindowExW(wizard, nullptr, L"#32770", nullptr);
        HWND tree = GetDlgItem(wizard, IDC_FEATURES);
        HWND folders = GetDlgItem(wizard, IDC_FOLDERS);
        // The user types, then Ctrl+clicks the box: the step carries the typed text.
        SendMessageW(GetDlgItem(wizard, IDC_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Recorded Name"));
        SendMessageW(GetDlgItem(page, IDC_DESTINATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"E:\\Recorded"));
        script.Add(CaptureAt(GetDlgItem(wizard, IDC_NAME), {5, 5}));
        script.Add(CaptureAt(GetDlgItem(page, IDC_DESTINATION), {5, 5}));
        // Clicks are captured before they take effect, then performed by the replay of that step.
        const POINT documents = ListBoxItemPoint(folders, 3);
        script.Add(CaptureAt(folders, documents));
        script.Add(CaptureAt(GetDlgItem(wizard, IDC_AGREE), {5, 5}));
        script.Add(CaptureAt(GetDlgItem(wizard, IDC_TYPICAL), {5, 5}));
        script.Add(CaptureAt(tree, TreeStateIconPoint(tree, L"Themes")));
        for (CMsgAction& step : script)
            step.m_delay = 0;
        CScriptActions engine;
        for (int i = 2; i < script.GetSize(); ++i)
            EXPECT_EQ(0, engine.PlayAction(script[i])) << testsupport::Utf8(script[i].m_result.View());
        recorded = run.CloseAndRead();
    }
    EXPECT_EQ("Documents", recorded["folders"]);
    EXPECT_EQ("1", recorded["feature.Themes"]);

    SetupProgramRun replayed;
    ASSERT_NE(nullptr, replayed.WaitForMainWindow());
    CScriptActions engine;
    EXPECT_EQ(0, engine.PlayActions(script, false));
    Result result = replayed.CloseAndRead();
    for (const char* key : {"name", "destination", "folders", "agree", "typical", "custom", "feature.Themes",
                            "feature.Samples", "feature.Main program"})
        EXPECT_EQ(recorded[key], result[key]) << key;
}
