// The GUI-script road through the program's own windows: the wizard makes a GUI-script project of
// the test setup program; the install-script panel records a script with real mouse input (the
// recorder frames the control under the pointer and takes Ctrl + left click), plays it against a
// fresh run of the setup program while the result column fills, and the built package installs
// with the script replayed by the custom-action library.

#include "engine/model/Feature.h"
#include "engine/model/MsgAction.h"
#include "engine/storage/Projects.h"

#include "tests/customaction/VeltTestSupport.h"
#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include "tests/app/scripts/RecorderPointer.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

using namespace testsupport;
using namespace recordertest;

namespace {

constexpr UINT kBuildCommand = 32784;
constexpr wchar_t kWizardPageCaption[] = L"Tarnwick - New Project";
constexpr wchar_t kMessageCaption[] = L"Tarnwick Professional";
constexpr wchar_t kSetupCaption[] = L"Test Setup Wizard";
constexpr wchar_t kRecorderCaption[] = L"Select Control...";
constexpr wchar_t kStepEditorCaption[] = L"Action Properties";
// Ids of the test setup program's controls and of the panel's and step editor's.
constexpr int kSetupName = 1001;
constexpr int kSetupAgree = 1002;
constexpr int kSetupStep = 1010;
constexpr int kSetupNext = 1011;
constexpr int kPanelArguments = 1002;
constexpr int kPanelPlay = 1007;
constexpr int kPanelRecord = 1008;
constexpr int kPanelSteps = 1000;
constexpr int kEditorSetText = 1048;
constexpr int kEditorText = 1051;
// A replayed step waits its second of delay and its highlight: five steps take some seconds, and
// a loaded machine many more.
constexpr DWORD kPlayTimeoutMs = 180000;
constexpr DWORD kUninstallerCopyTimeoutMs = 30000;

CString Quoted(const CString& text)
{
    return L"\"" + text + L"\"";
}

// The step editor of the process; null when it did not come.
HWND WaitForStepEditor(const AppDriver& program, DWORD timeoutMs = 30000)
{
    return program.WaitForTopLevel({L"#32770", kStepEditorCaption, -1}, timeoutMs);
}

// Points at a control of the setup program as a user does, waits for the recorder's frame on it
// and Ctrl + clicks it (see CtrlClickFramed). Answers the step editor that opened; null when none
// came.
HWND CaptureStep(const AppDriver& program, HWND recorder, HWND control)
{
    // the recorder shows again only once it is armed: a click before that would reach the setup
    // program itself
    if (!WaitFor([&] { return ::IsWindowVisible(recorder) != FALSE; }, 20000)) {
        ADD_FAILURE() << "the recorder did not come back";
        return nullptr;
    }
    std::string why;
    if (!CtrlClickFramed(control, why, 30000)) {
        ADD_FAILURE() << why;
        return nullptr;
    }
    HWND editor = WaitForStepEditor(program);
    if (!editor) {
        HWND setup = ::GetAncestor(control, GA_ROOT);
        ADD_FAILURE() << "no step editor after the Ctrl + click on " << Utf8(WindowText(control)) << "; recorder "
                      << (::IsWindowVisible(recorder) ? "shown" : "hidden") << "; setup program at "
                      << Utf8(WindowText(::GetDlgItem(setup, kSetupStep))) << "; " << DescribeFrameMiss(control);
    }
    return editor;
}

// Closes every window of the test setup program still open. A run that stopped half-way leaves
// its setup program running, still in the program's named job; the next run would find that
// window by its caption instead of its own.
void CloseSetupPrograms()
{
    for (int left = 10; left > 0; --left) {
        HWND setup = ::FindWindowW(L"#32770", kSetupCaption);
        if (!setup)
            return;
        ::PostMessageW(setup, WM_CLOSE, 0, 0);
        WaitFor([&] { return !::IsWindow(setup); }, 20000);
    }
}

struct SetupProgramsClosed {
    SetupProgramsClosed() { CloseSetupPrograms(); }
    ~SetupProgramsClosed() { CloseSetupPrograms(); }
    SetupProgramsClosed(const SetupProgramsClosed&) = delete;
    SetupProgramsClosed& operator=(const SetupProgramsClosed&) = delete;
};

// Ends the step editor with OK or Cancel and waits until the recorder is armed again.
bool AnswerStepEditor(HWND editor, int button, HWND recorder)
{
    return Click(Control(editor, button, L"Button")) &&
           WaitFor([&] { return !::IsWindow(editor) && ::IsWindowVisible(recorder); }, 20000);
}

// Leading rows of the result column that read "ok".
int LeadingOks(const std::vector<std::wstring>& results)
{
    int count = 0;
    while (count < static_cast<int>(results.size()) && results[static_cast<size_t>(count)] == L"ok")
        ++count;
    return count;
}

} // namespace

TEST(ScriptRoad, RecordsPlaysBuildsAndInstallsAGuiScript)
{
    ASSERT_TRUE(AppDriver::ResetDataFolder());
    ScratchFolder scratch;
    const CString setup = scratch / L"guisetup.exe";
    ASSERT_TRUE(::CopyFileW(ModuleFolder() + L"\\setupprog.exe", setup, FALSE));
    const CString app = scratch / L"Script App";
    const CString resultFile = scratch / L"result.txt";
    const CString arguments = L"/install:" + Quoted(app) + L" /result:" + Quoted(resultFile);
    const CString output = scratch / L"out";
    ASSERT_TRUE(::CreateDirectoryW(output, nullptr));
    const wchar_t typedName[] = L"Ada Lovelace";

    const SetupProgramsClosed noStraySetup;
    AppDriver program;
    ASSERT_TRUE(program.Start());

    // ---- the wizard: a GUI-script project of the setup program ----
    HWND sheet = program.WaitForTopLevel({L"#32770", kWizardPageCaption, -1}, 60000);
    ASSERT_NE(sheet, nullptr) << "the first start showed no wizard";
    HWND browse = WaitForControl(sheet, 1024);
    ASSERT_NE(browse, nullptr);
    ASSERT_TRUE(program.BrowseForFile(sheet, browse, setup));
    ASSERT_TRUE(WaitFor([&] { return WindowText(Control(sheet, 1068)) == L"guisetup"; }, 30000));
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_NEXT));
    HWND scriptMode = WaitForControl(sheet, 1087);
    ASSERT_NE(scriptMode, nullptr) << "the mode page did not come";
    ASSERT_TRUE(Click(scriptMode));
    ASSERT_TRUE(WaitFor([&] { return ::SendMessageW(scriptMode, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 20000));
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_NEXT));
    ASSERT_NE(WaitForControl(sheet, 1091), nullptr) << "the finish page did not come";
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_FINISH));
    ::PostMessageW(sheet, WM_NULL, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 60000)) << "Finish did not end the wizard";

    HWND main = program.WaitForMainWindow(nullptr, 60000);
    ASSERT_NE(main, nullptr);
    HWND tree = FindDescendant(main, {L"SysTreeView32", nullptr, -1});
    ASSERT_NE(tree, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ReadSelectedTreeItem(tree) == L"Install Script"; }, 20000))
        << Utf8(ReadSelectedTreeItem(tree));
    HWND steps = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (steps = Control(main, kPanelSteps, L"SysListView32")) != nullptr; }, 20000))
        << "the install-script panel did not show";
    HWND record = Control(main, kPanelRecord, L"Button");
    HWND play = Control(main, kPanelPlay, L"Button");
    ASSERT_NE(record, nullptr);
    ASSERT_NE(play, nullptr);
    EXPECT_NE(::SendMessageW(record, BM_GETIMAGE, IMAGE_ICON, 0), 0) << "Record shows no icon";
    EXPECT_NE(::SendMessageW(play, BM_GETIMAGE, IMAGE_ICON, 0), 0) << "Play shows no icon";
    ASSERT_TRUE(SetText(Control(main, kPanelArguments, L"Edit"), arguments));

    // ---- record ----
    // the pointer rests where no window of the setup program will be, and clear of the recorder
    // in the bottom-right corner
    ASSERT_TRUE(MovePointerTo({::GetSystemMetrics(SM_CXSCREEN) - 8, 8}));
    ASSERT_TRUE(Click(record));
    HWND setupWindow = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (setupWindow = ::FindWindowW(L"#32770", kSetupCaption)) != nullptr; }, 60000))
        << "Record did not start the setup program";
    HWND recorder = program.WaitForTopLevel({L"#32770", kRecorderCaption, -1}, 30000);
    ASSERT_NE(recorder, nullptr) << "no recorder";
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(main); }, 20000)) << "the main window stayed while recording";
    // the dialog can be found before its controls are made
    HWND name = nullptr, agree = nullptr, next = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        name = ::GetDlgItem(setupWindow, kSetupName);
        agree = ::GetDlgItem(setupWindow, kSetupAgree);
        next = ::GetDlgItem(setupWindow, kSetupNext);
        return name && agree && next && ::IsWindowVisible(next);
    }, 30000));

    // the recorder stays on top: the setup program goes where the recorder does not cover it
    RECT recorderRect{}, setupRect{};
    ::GetWindowRect(recorder, &recorderRect);
    ::GetWindowRect(setupWindow, &setupRect);
    const int setupHeight = setupRect.bottom - setupRect.top;
    const int top = recorderRect.top >= setupHeight + 10 ? 0 : static_cast<int>(recorderRect.bottom) + 10;
    ::SetWindowPos(setupWindow, nullptr, 0, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitFor([&] {
        RECT now{};
        return ::GetWindowRect(setupWindow, &now) && now.top == top;
    }, 20000));

    // a Ctrl + click outside the setup program, before anything was framed, records nothing
    RECT movedSetup{};
    ::GetWindowRect(setupWindow, &movedSetup);
    const POINT outside{(movedSetup.right + ::GetSystemMetrics(SM_CXSCREEN)) / 2, movedSetup.top + 8};
    ASSERT_FALSE(::PtInRect(&movedSetup, outside) || ::PtInRect(&recorderRect, outside));
    ASSERT_TRUE(CtrlClickAt(outside));
    EXPECT_EQ(WaitForStepEditor(program, 3000), nullptr) << "a click outside the setup program opened the editor";

    // the name box: "Set Text" with the name
    HWND editor = CaptureStep(program, recorder, name);
    ASSERT_NE(editor, nullptr) << "the click on the name box opened no step editor";
    HWND setText = Control(editor, kEditorSetText, L"Button");
    ASSERT_NE(setText, nullptr);
    EXPECT_TRUE(::IsWindowEnabled(setText));
    ASSERT_TRUE(Click(setText));
    HWND text = Control(editor, kEditorText, L"Edit");
    ASSERT_TRUE(WaitFor([&] { return !(::GetWindowLongW(text, GWL_STYLE) & ES_READONLY); }, 20000))
        << "Set Text left the text box read-only";
    ASSERT_TRUE(SetText(text, typedName));
    ASSERT_TRUE(AnswerStepEditor(editor, IDOK, recorder));

    // the agreement: first cancelled, which appends nothing and goes on recording, then kept
    for (int button : {IDCANCEL, IDOK}) {
        editor = CaptureStep(program, recorder, agree);
        ASSERT_NE(editor, nullptr) << "no step editor for the check box";
        ASSERT_TRUE(AnswerStepEditor(editor, button, recorder));
    }
    // Next once for each page (the recorded clicks never reach the setup program)
    for (int page = 0; page < 3; ++page) {
        editor = CaptureStep(program, recorder, next);
        ASSERT_NE(editor, nullptr) << "no step editor for Next";
        ASSERT_TRUE(AnswerStepEditor(editor, IDOK, recorder));
    }
    EXPECT_EQ(::SendMessageW(agree, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "a recorded click reached the setup program";
    EXPECT_EQ(WindowText(name), L"") << "a recorded step reached the setup program";
    ASSERT_TRUE(Click(Control(recorder, IDCANCEL, L"Button")));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(recorder) && ::IsWindowVisible(main); }, 30000))
        << "Stop Record did not bring the main window back";
    // the recording's run of the setup program ends without installing
    ::PostMessageW(setupWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return replaytest::ReadResultFile(resultFile)["state"] == "ended"; }, 60000));
    EXPECT_NE(replaytest::ReadResultFile(resultFile)["installed"], "1");

    const std::vector<std::wstring> expectedRows = {
        std::wstring(L"Set Text Edit '") + typedName + L"'", L"Click CheckBox 'I accept the agreement'",
        L"Click Button 'Next >'", L"Click Button 'Next >'", L"Click Button 'Next >'"};
    ASSERT_TRUE(WaitFor([&] { return ReadListViewColumn(steps, 0) == expectedRows; }, 20000))
        << "rows: " << ReadListViewColumn(steps, 0).size();
    CProjects saved;
    ASSERT_TRUE(LoadDataFile(AppDriver::DataFolder() + L"\\tarnwick.dat", saved));
    ASSERT_EQ(saved.GetSize(), 1);
    ASSERT_EQ(saved[0].m_projects.GetSize(), 1);
    const CFeature& project = saved[0].m_projects[0];
    EXPECT_EQ(project.m_conversionMode, CFeature::modeGuiScript);
    EXPECT_EQ(Utf8(project.m_installerArguments.GetString()), Utf8(arguments.GetString()));
    ASSERT_EQ(project.m_installScript.GetSize(), 5) << "the data file holds the recorded steps";
    EXPECT_EQ(project.m_installScript[0].m_kind, CMsgAction::kindSetText);
    EXPECT_EQ(Utf8(project.m_installScript[0].m_controlText.GetString()), Utf8(typedName));
    EXPECT_EQ(Utf8(project.m_installScript[0].m_processName.GetString()), "guisetup.exe");
    const CString projectId = project.m_id;
    velttest::RemoveSetupTraces(projectId);

    // ---- play: the result column fills with "ok" in step order ----
    ASSERT_TRUE(::DeleteFileW(resultFile));
    ASSERT_TRUE(Click(play));
    int oks = 0;
    bool backwards = false;
    ASSERT_TRUE(WaitFor([&] {
        const int now = LeadingOks(ReadListViewColumn(steps, 1));
        backwards = backwards || now < oks;
        oks = now;
        return oks == 5 && ::IsWindowEnabled(play);
    }, kPlayTimeoutMs)) << "results: " << oks << " rows ok";
    for (const std::wstring& result : ReadListViewColumn(steps, 1))
        EXPECT_EQ(result, L"ok");
    EXPECT_FALSE(backwards) << "the result column went backwards";
    replaytest::Result played;
    ASSERT_TRUE(WaitFor([&] { return (played = replaytest::ReadResultFile(resultFile))["state"] == "ended"; }, 60000))
        << "the replayed setup program did not finish";
    EXPECT_EQ(played["name"], Utf8(typedName));
    EXPECT_EQ(played["agree"], "1");
    EXPECT_EQ(played["clicks.next"], "3");
    EXPECT_EQ(played["installed"], "1");
    EXPECT_TRUE(FileExists(app));
    velttest::RemoveSetupTraces(projectId);
    ASSERT_TRUE(::DeleteFileW(resultFile));

    // ---- build and install: the custom action replays the script ----
    const std::wstring built = program.BuildThroughDialog(kBuildCommand, L"guisetup", output, kMessageCaption);
    ASSERT_EQ(built, L"MSI package was created successfully!");
    const CString package = output + L"\\guisetup.msi";
    ASSERT_TRUE(FileExists(package));
    const DWORD installed = velttest::RunMsiexec(L"/i", package, scratch / L"install.log");
    EXPECT_EQ(installed, 0u) << velttest::ReadInstallerLog(scratch / L"install.log").substr(0, 20000);
    const replaytest::Result atInstall = replaytest::ReadResultFile(resultFile);
    EXPECT_EQ(atInstall.count("installed") ? atInstall.at("installed") : "", "1");
    EXPECT_EQ(atInstall.count("name") ? atInstall.at("name") : "", Utf8(typedName));

    const DWORD removed = velttest::RunMsiexec(L"/x", package, scratch / L"remove.log");
    EXPECT_EQ(removed, 0u) << velttest::ReadInstallerLog(scratch / L"remove.log").substr(0, 20000);
    EXPECT_TRUE(WaitFor([&] { return !FileExists(app); }, kUninstallerCopyTimeoutMs)) << "the setup's files stayed";
    velttest::RemoveSetupTraces(projectId);
    EXPECT_TRUE(program.Close());
}
