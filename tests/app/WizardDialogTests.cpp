// The wizard's pages and the arguments dialog as real windows in this process: the header made
// from a setup program's manifest, the pages' path and Back through the history, the start page's
// refusals, and the switch links of the arguments dialog clicked with the mouse.

#include "app/monitor/MonitorPage.h"
#include "app/wizard/ArgsDialog.h"
#include "app/wizard/Wizard.h"

#include "engine/files/Globals.h"

#include "resources/app/AppResource.h"

#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include "framework/window/WinApp.h"

#include <gtest/gtest.h>

#include <objbase.h>

using namespace testsupport;

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Tarnwick Professional") {}
};

CString Fixture(const wchar_t* name)
{
    return ModuleFolder() + L"\\fixtures\\" + name;
}

class WizardWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        DataFolder = scratch.Path();
    }
    void TearDown() override
    {
        AfxDeleteTempMaps();
        ::CoUninitialize();
    }

    CTestApp app;
    ScratchFolder scratch;
};

// A modeless wizard over a list, destroyed at the end of the scope.
struct OpenWizard {
    OpenWizard(CFeature& project, CProjects& projects, CMonitorPP* monitor = nullptr) : wizard(project, projects)
    {
        if (monitor)
            wizard.SetMonitorPage(monitor);
        created = wizard.Create(nullptr, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE);
    }
    ~OpenWizard()
    {
        if (wizard.m_hWnd)
            wizard.DestroyWindow();
    }
    int Active() const { return wizard.GetActiveIndex(); }
    void Press(int button)
    {
        wizard.PressButton(button);
        PumpPending();
    }

    CWizard wizard;
    BOOL created = FALSE;
};

} // namespace

TEST_F(WizardWindows, Bug_ManifestTextInTheHeaderShowsAsTextWithoutALinkOfItsOwn)
{
    CFeature project;
    CProjects projects;
    OpenWizard open(project, projects);
    ASSERT_TRUE(open.created);
    CStartPropertyPage& start = open.wizard.StartPage();
    ASSERT_NE(start.m_hWnd, nullptr);
    start.TakeInstaller(Fixture(L"wizard_hostile.exe"));

    CMarkupStatic& header = start.Header();
    ASSERT_NE(header.m_hWnd, nullptr);
    const std::wstring shown = WindowText(header.m_hWnd);
    EXPECT_NE(shown.find(L"</hyperlink><hyperlink tag='http://evil.example/'>x & 'q'"), std::wstring::npos)
        << Utf8(shown);
    EXPECT_EQ(header.LinkCount(), 0) << "the manifest added a link: " << Utf8(header.LinkTag(0).GetString());
    EXPECT_EQ(open.wizard.m_recognised, 0);
    EXPECT_EQ(project.m_name, CString(L"wizard_hostile"));
}

TEST_F(WizardWindows, ScriptModeGoesStraightToFinishAndBackWalksThePathTaken)
{
    CFeature project;
    CProjects projects;
    OpenWizard open(project, projects);
    ASSERT_TRUE(open.created);
    open.wizard.StartPage().TakeInstaller(Fixture(L"detect_innosetup.exe"));
    EXPECT_EQ(open.wizard.m_recognised, 1);
    EXPECT_EQ(project.m_name, CString(L"detect_innosetup"));
    EXPECT_NE(WindowText(open.wizard.StartPage().Header().m_hWnd).find(L"Inno Setup Installer"), std::wstring::npos);

    open.Press(PSBTN_NEXT);
    ASSERT_TRUE(PumpUntil([&] { return open.Active() == 1; })) << "the mode page did not come";
    EXPECT_EQ(open.wizard.m_packageName, CString(L"detect_innosetup"));
    EXPECT_EQ(open.wizard.m_packageFolder, scratch / L"detect_innosetup");
    EXPECT_EQ(project.m_installerPath, CString(L"Temp\\detect_innosetup.exe"));
    CSelectWrapperPP& mode = open.wizard.ModePage();
    EXPECT_EQ(mode.IsDlgButtonChecked(IDC_MODE_SCRIPT), 1u);
    EXPECT_FALSE(mode.GetDlgItem(IDC_MODE_REPACKAGE)->IsWindowEnabled());

    open.Press(PSBTN_NEXT);
    ASSERT_TRUE(PumpUntil([&] { return open.Active() == 3; })) << "mode 1 goes to the finish page";
    EXPECT_EQ(WindowText(open.wizard.FinishPage().GetDlgItem(IDC_FINISH_TEXT)->m_hWnd),
              L"Click Finish button to create the Project.\nThen You can start the Script recording process by "
              L"clicking on the Record Script button.");
    open.Press(PSBTN_BACK);
    ASSERT_TRUE(PumpUntil([&] { return open.Active() == 1; })) << "Back returns to the mode page";

    // the command line this time: the parameters page offers the maker's switches
    mode.CheckRadioButton(IDC_MODE_SCRIPT, IDC_MODE_COMMAND_LINE, IDC_MODE_COMMAND_LINE);
    open.Press(PSBTN_NEXT);
    ASSERT_TRUE(PumpUntil([&] { return open.Active() == 2; })) << "mode 2 goes to the parameters page";
    EXPECT_EQ(project.m_conversionMode, CFeature::modeCommandLine);
    EXPECT_TRUE(open.wizard.ParamsPage().GetDlgItem(IDC_EDIT_INSTALL_ARGUMENTS)->IsWindowEnabled());
    EXPECT_TRUE(open.wizard.ParamsPage().GetDlgItem(IDC_EDIT_UNINSTALL_ARGUMENTS)->IsWindowEnabled());
    open.Press(PSBTN_NEXT);
    ASSERT_TRUE(PumpUntil([&] { return open.Active() == 3; }));
    EXPECT_EQ(WindowText(open.wizard.FinishPage().GetDlgItem(IDC_FINISH_TEXT)->m_hWnd),
              L"Click Finish button to create the Project");
    for (int expected : {2, 1, 0}) {
        open.Press(PSBTN_BACK);
        ASSERT_TRUE(PumpUntil([&] { return open.Active() == expected; })) << "Back to page " << expected;
    }
    // leaving the start page again replaces the installer's entries
    open.Press(PSBTN_NEXT);
    ASSERT_TRUE(PumpUntil([&] { return open.Active() == 1; }));
    EXPECT_EQ(project.m_files.GetSize(), 2);
}

TEST_F(WizardWindows, Bug_TheStartPageRefusesANameThatCannotBeAFolderBeforeGoingOn)
{
    CFeature project;
    CProjects projects;
    OpenWizard open(project, projects);
    ASSERT_TRUE(open.created);
    CStartPropertyPage& start = open.wizard.StartPage();
    start.TakeInstaller(Fixture(L"detect_plain.exe"));

    struct Row {
        const wchar_t* name;
        const wchar_t* installer;
        const wchar_t* says;
        int focus;
    } const rows[] = {
        {L"   ", L"detect_plain.exe", L"Please, enter the project name", IDC_PROJECT_NAME},
        {L"a:b", L"detect_plain.exe", L"cannot be used as a folder name", IDC_PROJECT_NAME},
        {L"CON", L"detect_plain.exe", L"cannot be used as a folder name", IDC_PROJECT_NAME},
        {L"ok", L"missing.exe", L"Please, select the installer file", IDC_INSTALLER_PATH},
    };
    for (const Row& row : rows) {
        start.SetDlgItemText(IDC_PROJECT_NAME, row.name);
        start.SetDlgItemText(IDC_INSTALLER_PATH, Fixture(row.installer));
        std::wstring said;
        ModalDriver box({L"#32770", L"Tarnwick Professional"}, [&](HWND window) {
            said = MessageBoxText(window);
            AppDriver::PressButton(window, IDOK);
        });
        open.Press(PSBTN_NEXT);
        ASSERT_TRUE(box.Wait()) << Utf8(row.name);
        PumpPending();
        EXPECT_NE(said.find(row.says), std::wstring::npos) << Utf8(row.name) << ": " << Utf8(said);
        EXPECT_EQ(open.Active(), 0) << Utf8(row.name);
        EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), row.focus) << Utf8(row.name);
        EXPECT_EQ(project.m_files.GetSize(), 0) << "nothing ran before the refusal";
    }
}

TEST_F(WizardWindows, ArgumentsDialogFillsTheSwitchesAndAddsAClickedSwitchOnce)
{
    std::vector<CString> opened;
    CArgsDialog dialog;
    dialog.m_path = Fixture(L"detect_innosetup.exe");
    dialog.SetOpener([&](const CString& address) { opened.push_back(address); });
    ASSERT_TRUE(dialog.Create(IDD_ARGS_DIALOG, nullptr));
    dialog.ShowWindow(SW_SHOW);
    CString arguments;
    dialog.GetDlgItemText(IDC_ARGUMENTS, arguments);
    EXPECT_EQ(arguments, CString(L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART")) << "blank arguments take the switches";

    CMarkupStatic& help = dialog.HelpLabel();
    int spLink = -1;
    int webLink = -1;
    for (int i = 0; i < help.LinkCount(); ++i) {
        if (help.LinkTag(i) == L"/SP-")
            spLink = i;
        if (help.LinkTag(i) == L"www.jrsoftware.org")
            webLink = i;
    }
    ASSERT_GE(spLink, 0);
    ASSERT_GE(webLink, 0);
    ASSERT_TRUE(BringToForeground(dialog.m_hWnd));
    const auto click = [&](int link) {
        const CRect rect = help.LinkRect(link);
        ASSERT_FALSE(rect.IsRectEmpty()) << "link " << link << " is not shown";
        ASSERT_TRUE(ClickClient(help.m_hWnd, rect.CenterPoint()));
    };
    click(spLink);
    ASSERT_TRUE(PumpUntil([&] {
        dialog.GetDlgItemText(IDC_ARGUMENTS, arguments);
        return arguments.Find(L"/SP-") >= 0;
    })) << Utf8(arguments.GetString());
    click(spLink);
    PumpUntil([] { return false; }, 500);
    dialog.GetDlgItemText(IDC_ARGUMENTS, arguments);
    EXPECT_EQ(arguments, CString(L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART /SP-"));

    click(webLink);
    ASSERT_TRUE(PumpUntil([&] { return !opened.empty(); }));
    EXPECT_EQ(opened, std::vector<CString>{L"www.jrsoftware.org"});
    dialog.GetDlgItemText(IDC_ARGUMENTS, arguments);
    EXPECT_EQ(arguments.Find(L"jrsoftware"), -1) << "a web address is not a switch";
    dialog.DestroyWindow();
}

TEST_F(WizardWindows, AnUnrecognisedProgramShowsNoHelpAndKeepsTypedArguments)
{
    CArgsDialog dialog;
    dialog.m_path = Fixture(L"detect_unknown.exe");
    dialog.m_arguments = L"/typed";
    ASSERT_TRUE(dialog.Create(IDD_ARGS_DIALOG, nullptr));
    CString arguments;
    dialog.GetDlgItemText(IDC_ARGUMENTS, arguments);
    EXPECT_EQ(arguments, CString(L"/typed"));
    EXPECT_EQ(dialog.HelpLabel().LinkCount(), 0);
    EXPECT_EQ(WindowText(dialog.HelpLabel().m_hWnd), L" \r\n");
    dialog.DestroyWindow();
}

TEST_F(WizardWindows, TheMonitorPageComesThirdForRepackagingWithTheFolderTheStartPageFixed)
{
    CFeature project;
    CProjects projects;
    CMonitorPP monitor;
    OpenWizard open(project, projects, &monitor);
    ASSERT_TRUE(open.created);
    open.wizard.StartPage().TakeInstaller(Fixture(L"detect_plain.exe"));
    open.Press(PSBTN_NEXT);
    ASSERT_TRUE(PumpUntil([&] { return open.Active() == 1; })) << "the mode page did not come";
    CSelectWrapperPP& mode = open.wizard.ModePage();
    EXPECT_TRUE(mode.GetDlgItem(IDC_MODE_REPACKAGE)->IsWindowEnabled());

    mode.CheckRadioButton(IDC_MODE_SCRIPT, IDC_MODE_COMMAND_LINE, IDC_MODE_REPACKAGE);
    open.Press(PSBTN_NEXT);
    ASSERT_TRUE(PumpUntil([&] { return open.Active() == 2; })) << "the repackage mode goes to the monitor page";
    EXPECT_EQ(project.m_conversionMode, CFeature::modeRepackage);
    EXPECT_EQ(monitor.m_data.project, &project);
    EXPECT_EQ(monitor.m_data.installerPath, Fixture(L"detect_plain.exe"));
    EXPECT_EQ(monitor.m_data.packageFolder, scratch / L"detect_plain");
    EXPECT_EQ(monitor.m_data.packageFolder, open.wizard.m_packageFolder);

    // Back along the history; the mode is remembered, and the command line skips the monitor
    open.Press(PSBTN_BACK);
    ASSERT_TRUE(PumpUntil([&] { return open.Active() == 1; })) << "Back from the monitor page";
    EXPECT_EQ(mode.IsDlgButtonChecked(IDC_MODE_REPACKAGE), 1u);
    mode.CheckRadioButton(IDC_MODE_SCRIPT, IDC_MODE_COMMAND_LINE, IDC_MODE_COMMAND_LINE);
    open.Press(PSBTN_NEXT);
    ASSERT_TRUE(PumpUntil([&] { return open.Active() == 3; })) << "the parameters page follows the monitor page";
    open.Press(PSBTN_NEXT);
    ASSERT_TRUE(PumpUntil([&] { return open.Active() == 4; }));
    for (int expected : {3, 1, 0}) {
        open.Press(PSBTN_BACK);
        ASSERT_TRUE(PumpUntil([&] { return open.Active() == expected; })) << "Back to page " << expected;
    }
}
