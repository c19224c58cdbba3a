// The installation monitor's wizard page in a wizard sheet of its own, running the real monitoring
// sequence over a copy of the test setup program: the states the user sees, "Stop Monitoring"
// while the setup program waits, Finish, and Cancel during the snapshot, which closes the sheet
// only after the worker has left.

#include "app/CommandRules.h"
#include "app/monitor/MonitorPage.h"

#include "engine/files/Globals.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include "tests/engine/monitor/MonitorTestSupport.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/setupprog/SetupProgIds.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

using namespace testsupport;

namespace {

const wchar_t kPageTitle[] = L"Tarnwick - Installation Monitor";

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Monitor Page Tests") {}
};

HWND Item(HWND page, int id) { return ::GetDlgItem(page, id); }
bool Visible(HWND page, int id) { return ::IsWindowVisible(Item(page, id)) != FALSE; }
std::wstring Text(HWND page, int id) { return WindowText(Item(page, id)); }
bool Usable(HWND button) { return button && ::IsWindowVisible(button) && ::IsWindowEnabled(button); }

DWORD WizardButtons(HWND sheet)
{
    DWORD flags = 0;
    if (Usable(::GetDlgItem(sheet, ID_WIZBACK)))
        flags |= PSWIZB_BACK;
    if (Usable(::GetDlgItem(sheet, ID_WIZNEXT)))
        flags |= PSWIZB_NEXT;
    if (Usable(::GetDlgItem(sheet, ID_WIZFINISH)))
        flags |= PSWIZB_FINISH;
    return flags;
}

bool ShowsIcon(HWND page, const wchar_t* systemIcon)
{
    return reinterpret_cast<HICON>(::SendMessageW(Item(page, IDC_MONITOR_ICON), STM_GETICON, 0, 0)) ==
           ::LoadIconW(nullptr, systemIcon);
}

HWND CurrentPage(HWND sheet)
{
    DWORD_PTR page = 0;
    ::SendMessageTimeoutW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_NORMAL, 5000, &page);
    return reinterpret_cast<HWND>(page);
}

class MonitorPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        monitortest::PrepareGlobals();
        // A copy of its own, so that the test can end whatever of it is left running.
        setupCopy = programFolder / L"setupprog.exe";
        ASSERT_TRUE(::CopyFileW(monitortest::SetupProgramPath(), setupCopy, FALSE));
        CFileEntry installer;
        installer.m_kind = CFileEntry::kindFile;
        installer.m_path = L"Temp\\setup.exe";
        project.m_files.Add(installer);
        project.m_installerPath = installer.m_path;
        page.m_data.project = &project;
        page.m_data.installerPath = setupCopy;
        page.m_data.packageFolder = packageFolder.Path();
        sheet.AddPage(&page);
        sheet.SetWizardMode();
    }
    void TearDown() override
    {
        monitortest::EndProcessesIn(programFolder.Path());
        ::SetEnvironmentVariableW(kSetupProgSwitchesVariable, nullptr);
        ::ResetEvent(StopEventHandle.Get());
        AfxDeleteTempMaps();
    }

    INT_PTR Run(const std::function<void(HWND sheet, HWND page)>& drive)
    {
        ModalDriver driver({nullptr, kPageTitle}, [&](HWND window) {
            HWND current = nullptr;
            EXPECT_TRUE(WaitFor([&] { return (current = CurrentPage(window)) != nullptr; }, kGuiTimeoutMs));
            drive(window, current);
            if (!WaitFor([&] { return !::IsWindow(window); }, 120000))
                ::PostMessageW(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        }, 60000);
        const INT_PTR result = sheet.DoModal();
        EXPECT_TRUE(driver.Wait(180000)) << "the sheet never showed";
        return result;
    }

    CTestApp app;
    ScratchFolder programFolder;
    ScratchFolder packageFolder;
    CString setupCopy;
    CFeature project;
    CMonitorPP page;
    CPropertySheet sheet{L"Monitor"};
};

} // namespace

TEST_F(MonitorPageTest, StopWhileTheSetupProgramWaitsThenCollectsAndEndsWithFinishOnly)
{
    // Started bare by the monitor, the setup program takes its switches from the variable it
    // inherits: it shows nothing and never ends on its own.
    ASSERT_TRUE(::SetEnvironmentVariableW(kSetupProgSwitchesVariable, L"/hang"));
    const INT_PTR result = Run([&](HWND sheet, HWND current) {
        EXPECT_TRUE(WaitFor([&] { return WizardButtons(sheet) == PSWIZB_BACK; }, kGuiTimeoutMs)) << "ready: Back only";
        EXPECT_TRUE(ShowsIcon(current, IDI_WARNING));
        EXPECT_EQ(Text(current, IDC_MONITOR_TEXT), kMonitorAdviceText);
        EXPECT_EQ(Text(current, IDC_MONITOR_START), kStartMonitoringText);
        EXPECT_FALSE(Visible(current, IDC_MONITOR_PROGRESS));
        EXPECT_FALSE(Visible(current, IDC_MONITOR_STATUS));

        ::PostMessageW(current, WM_COMMAND, MAKEWPARAM(IDC_MONITOR_START, BN_CLICKED), 0);
        // Installation: the button is back as "Stop Monitoring", Cancel refused in every form.
        EXPECT_TRUE(WaitFor([&] { return Text(current, IDC_MONITOR_TEXT) == kInstallingText; }, 120000));
        EXPECT_TRUE(WaitFor([&] { return Visible(current, IDC_MONITOR_START); }, kGuiTimeoutMs));
        EXPECT_EQ(Text(current, IDC_MONITOR_START), kStopMonitoringText);
        EXPECT_FALSE(Visible(current, IDC_MONITOR_PROGRESS));
        EXPECT_TRUE(ShowsIcon(current, IDI_INFORMATION));
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(sheet, IDCANCEL)));
        EXPECT_EQ(WizardButtons(sheet), 0u);
        EXPECT_TRUE(IsMonitorRunning());
        EXPECT_FALSE(CanCloseNow({false, IsMonitorRunning(), false})) << "the main window would refuse to close";
        // Sent, not posted: each attempt has been refused before Stop is clicked. A posted one
        // could still wait in the queue behind Stop and then rightly cancel the collecting.
        DWORD_PTR ignored = 0;
        EXPECT_TRUE(::SendMessageTimeoutW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0, SMTO_NORMAL, 10000, &ignored));
        EXPECT_TRUE(::SendMessageTimeoutW(sheet, WM_COMMAND, IDCANCEL, 0, SMTO_NORMAL, 10000, &ignored));
        EXPECT_TRUE(::SendMessageTimeoutW(sheet, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_NORMAL, 10000, &ignored));
        EXPECT_TRUE(::SendMessageTimeoutW(sheet, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored));
        EXPECT_TRUE(::IsWindow(sheet)) << "no way of cancelling works while the setup program runs";
        EXPECT_TRUE(page.IsRunning());

        ::PostMessageW(current, WM_COMMAND, MAKEWPARAM(IDC_MONITOR_START, BN_CLICKED), 0);
        // Stop ends only the wait: collecting follows, then the done state.
        EXPECT_TRUE(WaitFor([&] { return Text(current, IDC_MONITOR_TEXT) == kMonitorDoneText; }, 180000));
        EXPECT_TRUE(WaitFor([&] { return WizardButtons(sheet) == PSWIZB_FINISH; }, kGuiTimeoutMs)) << "Finish only";
        EXPECT_TRUE(ShowsIcon(current, IDI_INFORMATION));
        EXPECT_FALSE(Visible(current, IDC_MONITOR_START));
        EXPECT_FALSE(Visible(current, IDC_MONITOR_PROGRESS));
        EXPECT_FALSE(Visible(current, IDC_MONITOR_STATUS));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(sheet, IDCANCEL)));
        EXPECT_TRUE(WaitFor([&] { return !IsMonitorRunning(); }, kGuiTimeoutMs));
        ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        ::PostMessageW(sheet, WM_NULL, 0, 0);
    });
    EXPECT_EQ(result, ID_WIZFINISH);
    EXPECT_EQ(page.LastResult(), 0u);
    EXPECT_TRUE(project.m_installerPath.IsEmpty()) << "a repackaged project wraps no setup program";
    for (int i = 0; i < project.m_files.GetSize(); ++i)
        EXPECT_FALSE(project.m_files[i].m_path.Left(5) == L"Temp\\") << Utf8(project.m_files[i].m_path.View());
}

TEST_F(MonitorPageTest, CancelDuringTheSnapshotClosesTheSheetOnlyAfterTheWorkerLeft)
{
    ::HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> held{false};
    page.m_data.snapshotHook = [&] {
        held = true;
        ::WaitForSingleObject(release, 120000);
    };
    const INT_PTR result = Run([&](HWND sheet, HWND current) {
        ::PostMessageW(current, WM_COMMAND, MAKEWPARAM(IDC_MONITOR_START, BN_CLICKED), 0);
        EXPECT_TRUE(WaitFor([&] { return held.load(); }, 60000));
        EXPECT_TRUE(WaitFor([&] { return Text(current, IDC_MONITOR_STATUS) == kSnapshotText; }, kGuiTimeoutMs));
        EXPECT_TRUE(Visible(current, IDC_MONITOR_PROGRESS));
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(sheet, IDCANCEL))) << "Cancel stays possible during the snapshot";

        ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        EXPECT_TRUE(WaitFor([&] { return ::WaitForSingleObject(StopEventHandle.Get(), 0) == WAIT_OBJECT_0; },
                            kGuiTimeoutMs))
            << "Cancel sets the stop event";
        // Held in the snapshot, the worker has not left: the sheet waits, and still answers.
        DWORD_PTR ignored = 0;
        EXPECT_TRUE(::SendMessageTimeoutW(sheet, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored))
            << "the sheet stays responsive while it waits";
        EXPECT_TRUE(::IsWindow(sheet));
        EXPECT_TRUE(page.IsRunning());
        ::SetEvent(release);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(page.IsRunning()) << "the sheet returned before the worker had left";
    EXPECT_FALSE(IsMonitorRunning());
    EXPECT_EQ(page.LastResult(), static_cast<DWORD>(ERROR_CANCELLED));
    EXPECT_EQ(project.m_files.GetSize(), 0) << "the setup program's entry went at the start; nothing was captured";
    ::CloseHandle(release);
}
