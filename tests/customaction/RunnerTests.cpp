// The setup-program runner in this process: the command line it builds, the desktop it runs the
// program on, the replayed steps it logs and the time-out that ends the whole job.

#include "customaction/EmbeddedSettings.h"
#include "customaction/InstallAction.h"
#include "customaction/UninstallAction.h"
#include "customaction/SetupRunner.h"
#include "engine/model/MsgAction.h"
#include "engine/replay/JobProcess.h"
#include "engine/replay/ScriptActions.h"
#include "tests/customaction/VeltTestSupport.h"
#include "tests/engine/replay/SetupProgramRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace velttest;

namespace {

const wchar_t kNamePath[] = L"#32770--1\\edit-0\\-0";
const wchar_t kNextPath[] = L"#32770--1\\button-4\\-0";
const wchar_t kMissingPath[] = L"#32770--1\\button-99\\-0";

struct CommandCase {
    const char* name;
    const wchar_t* program;
    const wchar_t* arguments;
    int mode;
    const wchar_t* commandLine;
    const wchar_t* workingFolder;
};

const CommandCase kCommandCases[] = {
    {"kept command runs as written", L"  \"C:\\Program Files\\App\\unins000.exe\" /SILENT ", L"", runUninstall,
     L"\"C:\\Program Files\\App\\unins000.exe\" /SILENT", L"C:\\Program Files\\App\\"},
    {"arguments replace the kept ones", L"\"C:\\Program Files\\App\\unins000.exe\" /SILENT", L"/VERYSILENT",
     runUninstall, L"\"C:\\Program Files\\App\\unins000.exe\" /VERYSILENT", L"C:\\Program Files\\App\\"},
    {"bare install path with a space is quoted", L"C:\\windows\\Temp\\{1}\\My Setup.exe", L"", runInstall,
     L"\"C:\\windows\\Temp\\{1}\\My Setup.exe\"", L"C:\\windows\\Temp\\{1}\\"},
    {"bare install path without a space", L"C:\\windows\\Temp\\{1}\\setup.exe", L"  ", runInstall,
     L"C:\\windows\\Temp\\{1}\\setup.exe", L"C:\\windows\\Temp\\{1}\\"},
    {"install arguments after the quoted path", L"C:\\windows\\Temp\\{1}\\My Setup.exe", L"/S", runInstall,
     L"\"C:\\windows\\Temp\\{1}\\My Setup.exe\" /S", L"C:\\windows\\Temp\\{1}\\"},
    {"kept command without quotes stays as written", L"C:\\Program Files\\App\\unins000.exe", L"", runUninstall,
     L"C:\\Program Files\\App\\unins000.exe", L"C:\\Program Files\\App\\"},
};

TEST(RunCommand, BuildsTheCommandLineAndWorkingFolder)
{
    for (const CommandCase& row : kCommandCases) {
        const SetupCommand command = MakeRunCommand(row.program, row.arguments, row.mode);
        EXPECT_EQ(testsupport::Utf8(row.commandLine), testsupport::Utf8(command.commandLine.View())) << row.name;
        EXPECT_EQ(testsupport::Utf8(row.workingFolder), testsupport::Utf8(command.workingFolder.View())) << row.name;
    }
}

CMsgAction Step(int kind, int controlType, const wchar_t* path, const wchar_t* text)
{
    return ScriptStep(kind, controlType, L"setupprog.exe", path, text);
}

class Runner : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetupRunTiming quick;
        // Long enough for a wizard to come up while other tests load the machine.
        quick.startupPauseMs = 1500;
        quick.scriptTimeoutMs = 20000;
        quick.unscriptedTimeoutMs = 20000;
        SetSetupRunTimingForTests(quick);
        ReplayTiming replay;
        replay.msPerDelaySecond = 100;
        replay.attempts = 40;
        replay.attemptPauseMs = 250;
        replay.highlightMs = 10;
        SetReplayTimingForTests(replay);
        GlobalPackage() = CProjectSettings();
        GlobalPackage().m_projects.Add(SetupProject(L"Setup", CFeature::modeGuiScript, L""));
    }
    void TearDown() override
    {
        SetSetupRunTimingForTests(SetupRunTiming());
        SetReplayTimingForTests(ReplayTiming());
        CloseScriptJob();
    }

    // Runs the test setup program as project 0 with the switches plus its result file.
    DWORD Run(const wchar_t* switches, int mode = runInstall)
    {
        CString arguments;
        arguments.Format(L"/result:\"%s\" %s", m_result.GetString(), switches);
        return RunSetupProcess(0, m_session.Handle(), replaytest::SetupProgramPath(), arguments, mode);
    }
    CString FinishedLine(int code) const
    {
        CString line;
        line.Format(L"Process '%s' is finished with exit code %d", replaytest::SetupProgramPath().GetString(), code);
        return line;
    }

    replaytest::DesktopLock m_desktop;
    testsupport::ScratchFolder m_scratch;
    CString m_result = m_scratch / L"result.txt";
    InstallerSession m_session;
};

TEST_F(Runner, RunsOnTheHiddenDesktopUnlessThePackageIsInDebugMode)
{
    // In debug mode the program runs on the caller's own desktop ("Default" on Windows). The
    // caller's name is read at the time of the run: Wine drops the name of a session's default
    // desktop when the first process of the session creates another desktop, so a fixed
    // "Default" would only hold when another test happened to create "msitmp" first.
    const HDESK own = GetThreadDesktop(GetCurrentThreadId());
    auto desktopName = [](HDESK desktop) {
        wchar_t name[64] = {};
        GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof(name), nullptr);
        return testsupport::Utf8(name);
    };
    for (const int debugMode : {0, 1}) {
        GlobalPackage().m_debugMode = debugMode;
        ASSERT_EQ(0u, Run(L"/silent /exitcode:7")) << "debug mode " << debugMode;
        Result result = ReadResultFile(m_result);
        const std::string expected = debugMode == 0 ? std::string("msitmp") : desktopName(own);
        EXPECT_EQ(expected, result["desktop"]) << "debug mode " << debugMode;
        EXPECT_EQ("ended", result["state"]);
        EXPECT_EQ(testsupport::Utf8(testsupport::ModuleFolder().View()), result["workingfolder"]);
        // The program's own exit code is only logged: the run still succeeds.
        EXPECT_TRUE(m_session.Logged(FinishedLine(7))) << "log:" << m_session.LogText();
    }
    // The thread is back on its own desktop after the hidden run.
    EXPECT_EQ(own, GetThreadDesktop(GetCurrentThreadId()));
}

TEST_F(Runner, AProgramThatCannotStartReturnsTheError)
{
    const DWORD error = RunSetupProcess(0, m_session.Handle(), m_scratch / L"missing.exe", L"", runInstall);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);
    EXPECT_TRUE(m_session.LogLines().empty()) << "log:" << m_session.LogText();
}

TEST_F(Runner, TheScriptDrivesTheWizardOnTheHiddenDesktop)
{
    CMsgActions& script = GlobalPackage().m_projects[0].m_installScript;
    script.Add(Step(CMsgAction::kindSetText, CMsgAction::controlEdit, kNamePath, L"Jane Doe"));
    for (int page = 0; page < 3; ++page)
        script.Add(Step(CMsgAction::kindClick, CMsgAction::controlButton, kNextPath, L"Next >"));
    ASSERT_EQ(0u, Run(L""));

    Result result = ReadResultFile(m_result);
    EXPECT_EQ("msitmp", result["desktop"]);
    EXPECT_EQ("Jane Doe", result["name"]);
    EXPECT_EQ("3", result["clicks.next"]);
    const std::vector<CString> lines = m_session.LogLines();
    ASSERT_EQ(5u, lines.size()) << "log:" << m_session.LogText();
    EXPECT_EQ("Set Text Edit 'Jane Doe' =>  ok", testsupport::Utf8(lines[0].View()));
    EXPECT_EQ("Click Button 'Next >' =>  ok", testsupport::Utf8(lines[3].View()));
    EXPECT_EQ(testsupport::Utf8(FinishedLine(0).View()), testsupport::Utf8(lines[4].View()));
}

TEST_F(Runner, StepsAfterAStoppedReplayAreNotLogged)
{
    SetupRunTiming quick;
    quick.startupPauseMs = 1500;
    quick.scriptTimeoutMs = 3000;
    SetSetupRunTimingForTests(quick);
    CMsgActions& script = GlobalPackage().m_projects[0].m_installScript;
    script.Add(Step(CMsgAction::kindSetText, CMsgAction::controlEdit, kNamePath, L"Jane Doe"));
    script.Add(Step(CMsgAction::kindClick, CMsgAction::controlButton, kMissingPath, L"Gone"));
    script.Add(Step(CMsgAction::kindClick, CMsgAction::controlButton, kNextPath, L"Next >"));
    // The wizard is never finished, so the time-out ends it.
    ASSERT_EQ(0u, Run(L""));

    const std::vector<CString> lines = m_session.LogLines();
    ASSERT_EQ(4u, lines.size()) << "log:" << m_session.LogText();
    EXPECT_EQ("Set Text Edit 'Jane Doe' =>  ok", testsupport::Utf8(lines[0].View()));
    EXPECT_EQ("Click Button 'Gone' =>  Button 'Gone' was not found", testsupport::Utf8(lines[1].View()));
    EXPECT_EQ("Process '" + testsupport::Utf8(replaytest::SetupProgramPath().View()) +
                  "' is not ended  as expected durnng the time-out interval. Process is terminated.",
              testsupport::Utf8(lines[2].View()));
    EXPECT_EQ(testsupport::Utf8(FinishedLine(WAIT_TIMEOUT).View()), testsupport::Utf8(lines[3].View()));
}

TEST_F(Runner, TheTimeOutEndsEveryProcessOfTheJob)
{
    constexpr DWORD kChildrenStartLimitMs = 30000;
    SetupRunTiming quick;
    quick.startupPauseMs = 0;
    // The time-out must strike only after both children have started: it is wide enough for a
    // loaded machine, and the test watches the job for all three processes, not for a time.
    quick.unscriptedTimeoutMs = kChildrenStartLimitMs;
    SetSetupRunTimingForTests(quick);
    // The wizard stays up and its two children wait for ever: the time-out must end all three,
    // not only the program it started.
    DWORD error = 1;
    std::thread run([&] { error = Run(L"/children:2"); });
    size_t most = 0;
    const bool allStarted = testsupport::WaitFor([&] {
        UniqueKernelHandle job = DuplicateScriptJob();
        std::vector<DWORD> running;
        if (job && QueryJobProcessIds(job.Get(), running) == 0)
            most = std::max(most, running.size());
        return most >= 3;
    }, kChildrenStartLimitMs);
    run.join();
    ASSERT_EQ(0u, error);
    EXPECT_TRUE(allStarted) << "only " << most << " of the 3 processes were seen in the job";
    const std::vector<CString> lines = m_session.LogLines();
    ASSERT_EQ(2u, lines.size()) << "log:" << m_session.LogText();
    EXPECT_EQ(testsupport::Utf8(FinishedLine(WAIT_TIMEOUT).View()), testsupport::Utf8(lines[1].View()));

    UniqueKernelHandle job = DuplicateScriptJob();
    ASSERT_TRUE(job.IsValid()) << "the job of the run was not kept";
    std::vector<DWORD> ids;
    EXPECT_TRUE(testsupport::WaitFor([&] { return QueryJobProcessIds(job.Get(), ids) == 0 && ids.empty(); }, 10000))
        << ids.size() << " processes of the timed-out run are still running";
}

// A Wine user is always an administrator, so the test replaces the check.
TEST_F(Runner, UninstallWithoutAdministratorRightsFailsBeforeReadingAnything)
{
    SetAdminCheckForTests([] { return false; });
    const UINT result = RunUninstallAction(m_session.Handle());
    SetAdminCheckForTests(nullptr);
    EXPECT_EQ(1603u, result);
    const std::vector<CString> lines = m_session.LogLines();
    ASSERT_EQ(1u, lines.size()) << "log:" << m_session.LogText();
    EXPECT_EQ("Error. The administrator privileges is required to run the script.", testsupport::Utf8(lines[0].View()));
}

struct MessageBoxSearch {
    HWND box = nullptr;
};

BOOL CALLBACK FindOwnMessageBox(HWND window, LPARAM param)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (processId == GetCurrentProcessId() && IsWindowVisible(window) && CString(className) == L"#32770") {
        reinterpret_cast<MessageBoxSearch*>(param)->box = window;
        return FALSE;
    }
    return TRUE;
}

TEST_F(Runner, InstallWithoutAdministratorRightsTellsTheUserAndFails)
{
    SetAdminCheckForTests([] { return false; });
    // The message box holds the action until someone answers it: a helper reads and answers it.
    CString shown;
    std::thread answer([&] {
        MessageBoxSearch search;
        if (testsupport::WaitFor([&] {
                EnumWindows(FindOwnMessageBox, reinterpret_cast<LPARAM>(&search));
                return search.box != nullptr;
            }, 20000)) {
            wchar_t text[200] = {};
            GetDlgItemTextW(search.box, 0xFFFF, text, 200);
            shown = text;
            PostMessageW(search.box, WM_COMMAND, IDOK, 0);
        }
    });
    const UINT result = RunInstallAction(m_session.Handle(), 0);
    answer.join();
    SetAdminCheckForTests(nullptr);

    EXPECT_EQ(1603u, result);
    EXPECT_EQ("The administrator privileges are required to install this package.", testsupport::Utf8(shown.View()));
    const std::vector<CString> lines = m_session.LogLines();
    ASSERT_EQ(1u, lines.size()) << "log:" << m_session.LogText();
    EXPECT_EQ("Error. The administrator privileges are required to run the script.",
              testsupport::Utf8(lines[0].View()));
}

} // namespace
