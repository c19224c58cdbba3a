// The install-script panel hosted by the packages tree in a plain window: the script nodes fill
// it (fields, header, owner-data rows), it keeps its place on Enter and Esc, deletes and opens the
// step menu from the keyboard, and while a test replays it refuses what would change the steps,
// the tree refuses deleting the tested project and the program refuses to close.

#include "app/ProjectsTree.h"
#include "app/scripts/ScriptPanel.h"
#include "app/wizard/WizardRules.h"

#include "engine/files/Globals.h"
#include "engine/model/MsgAction.h"
#include "engine/replay/ScriptActions.h"
#include "engine/storage/Projects.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"
#include "resources/app/ScriptsResource.h"

#include "tests/app/ProjectsTreeHost.h"
#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "ScriptSteps.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

using namespace projectstreetest;
using namespace testsupport;

namespace {

std::wstring RowText(CListCtrl& list, int row, int column)
{
    wchar_t text[512] = L"";
    ListView_GetItemText(list.m_hWnd, row, column, text, 512);
    return text;
}

int SelectedRow(CListCtrl& list)
{
    return ListView_GetNextItem(list.m_hWnd, -1, LVNI_SELECTED);
}

void SelectRow(CListCtrl& list, int row)
{
    ListView_SetItemState(list.m_hWnd, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// Answers the next message box of this process with the button and keeps its text.
struct BoxAnswer {
    ModalDriver driver;
    std::wstring text;
    BoxAnswer(int button)
        : driver({L"#32770", L"Tarnwick Professional"}, [this, button](HWND box) {
              text = MessageBoxText(box);
              ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
          })
    {
    }
};

class ScriptPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        ReplayTiming quick;
        quick.attempts = 2;
        quick.attemptPauseMs = 300;
        quick.highlightMs = 0;
        SetReplayTimingForTests(quick);
        dataFile = scratch / L"tarnwick.dat";
        CProjects made;
        ASSERT_TRUE(CreatePackage(L"Office", scratch.Path(), made));
        ASSERT_TRUE(CreatePackage(L"Tools", scratch.Path(), made));
        CFeature one;
        one.m_name = L"One";
        one.m_id = L"{0A0A0A0A-1111-2222-3333-444444444444}";
        one.m_conversionMode = CFeature::modeGuiScript;
        (void)AddInstallerToProject(one, ModuleFolder() + L"\\fixtures\\detect_innosetup.exe");
        one.m_installerArguments = L"/VERYSILENT";
        one.m_uninstallArguments = L"/SILENT";
        one.m_installScript.Add(Step(CMsgAction::kindSetText, CMsgAction::controlEdit, L"abc"));
        one.m_installScript.Add(Step(CMsgAction::kindClick, CMsgAction::controlCheckBox, L"I agree"));
        one.m_installScript.Add(Step(CMsgAction::kindSelect, CMsgAction::controlTreeview, L"Core"));
        one.m_uninstallScript.Add(Step(CMsgAction::kindClick, CMsgAction::controlButton, L"Yes"));
        made[1].m_projects.Add(one);
        CFeature two;
        two.m_name = L"Two";
        two.m_id = L"{0B0B0B0B-1111-2222-3333-444444444444}";
        two.m_conversionMode = CFeature::modeCommandLine;
        two.m_installerPath = L"Temp\\gone.exe";   // no file entry has it
        made[0].m_projects.Add(two);
        ASSERT_TRUE(SaveDataFile(dataFile, made));
        ASSERT_TRUE(host.CreateHost(dataFile, projects, SIZE{740, 560}));
        app.m_pMainWnd = &host;
    }
    void TearDown() override
    {
        app.m_pMainWnd = nullptr;
        host.DestroyWindow();
        AfxDeleteTempMaps();
        SetReplayTimingForTests(ReplayTiming());
    }
    CScriptPanel& Panel() { return host.tree.ScriptPanel(); }
    void SelectScript(const wchar_t* project, const wchar_t* node)
    {
        host.tree.SelectItem(FindTreeItem(host.tree, node, FindTreeItem(host.tree, project)));
        ASSERT_TRUE(PumpUntil([&] { return Panel().IsWindowVisible() != FALSE; }));
    }
    std::wstring Text(int id) { return WindowText(Panel().GetDlgItem(id)->m_hWnd); }
    bool Enabled(int id) { return Panel().GetDlgItem(id)->IsWindowEnabled() != FALSE; }

    CTestApp app;
    ScratchFolder scratch;
    CString dataFile;
    CProjects projects;
    CHost host;
};

} // namespace

TEST_F(ScriptPanelTest, ScriptNodesFillFieldsHeaderAndRows)
{
    SelectScript(L"One", L"Install Script");
    CScriptPanel& panel = Panel();
    EXPECT_EQ(host.view.hosting.Current(), &panel);
    EXPECT_EQ(Text(IDC_SCRIPT_GROUP), L"Installer");
    EXPECT_EQ(Text(IDC_SCRIPT_SETUP_PATH), L"Temp\\detect_innosetup.exe");
    EXPECT_EQ(Text(IDC_SCRIPT_ARGUMENTS), L"/VERYSILENT");
    EXPECT_TRUE(Enabled(IDC_SCRIPT_SETUP_PATH));
    EXPECT_TRUE(Enabled(IDC_SCRIPT_BROWSE));
    EXPECT_TRUE(Enabled(IDC_SCRIPT_ARGUMENTS_BUTTON)) << "the maker was recognised";
    EXPECT_NE(WindowText(panel.Header().m_hWnd).find(L"Inno Setup"), std::wstring::npos)
        << Utf8(WindowText(panel.Header().m_hWnd));
    ASSERT_EQ(panel.Header().LinkCount(), 1);
    EXPECT_TRUE(IsWebAddressTag(panel.Header().LinkTag(0)));

    CListCtrl& list = panel.StepList();
    EXPECT_TRUE(list.GetStyle() & LVS_OWNERDATA);
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(RowText(list, 0, 0), L"Set Text Edit 'abc'");
    EXPECT_EQ(RowText(list, 1, 0), L"Click CheckBox 'I agree'");
    EXPECT_EQ(RowText(list, 2, 0), L"Select Treeview 'Core'");
    EXPECT_EQ(RowText(list, 0, 1), L"");
    EXPECT_NE(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SCRIPT_RECORD), IMAGE_ICON, 16, 16,
                           LR_SHARED), nullptr);
    for (int id : {IDC_SCRIPT_RECORD, IDC_SCRIPT_PLAY}) {
        HWND button = panel.GetDlgItem(id)->m_hWnd;
        // the icon beside the caption takes the version 6 buttons of the program's manifest (the e2e
        // test checks it there); this test program has the plain ones
        EXPECT_EQ(::GetWindowLongW(button, GWL_STYLE) & 0xF00, 0x100) << "left aligned " << id;
    }

    // the uninstall script: the path is found when removing, its arguments are the uninstall ones
    ::SetDlgItemTextW(panel.m_hWnd, IDC_SCRIPT_ARGUMENTS, L"/VERYSILENT /LOG");
    SelectScript(L"One", L"Uninstall Script");
    EXPECT_EQ(projects[1].m_projects[0].m_installerArguments, CString(L"/VERYSILENT /LOG"))
        << "moving between script nodes writes the fields back";
    EXPECT_EQ(Text(IDC_SCRIPT_GROUP), L"UnInstaller");
    EXPECT_EQ(Text(IDC_SCRIPT_SETUP_PATH), L"autodetect");
    EXPECT_EQ(Text(IDC_SCRIPT_ARGUMENTS), L"/SILENT");
    EXPECT_FALSE(Enabled(IDC_SCRIPT_SETUP_PATH));
    EXPECT_FALSE(Enabled(IDC_SCRIPT_BROWSE));
    ASSERT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(RowText(list, 0, 0), L"Click Button 'Yes'");
    ::SetDlgItemTextW(panel.m_hWnd, IDC_SCRIPT_ARGUMENTS, L"/SILENT /NORESTART");

    // a setup path that names no file entry is emptied; a missing file asks for one
    SelectScript(L"Two", L"Install Script");
    EXPECT_EQ(projects[1].m_projects[0].m_uninstallArguments, CString(L"/SILENT /NORESTART"));
    EXPECT_EQ(projects[1].m_projects[0].m_installerPath, CString(L"Temp\\detect_innosetup.exe"))
        << "autodetect is never stored";
    EXPECT_EQ(Text(IDC_SCRIPT_SETUP_PATH), L"");
    EXPECT_TRUE(projects[0].m_projects[0].m_installerPath.IsEmpty());
    EXPECT_FALSE(Enabled(IDC_SCRIPT_ARGUMENTS_BUTTON));
    EXPECT_EQ(WindowText(panel.Header().m_hWnd), L"Please, select the installer file.");
    EXPECT_EQ(list.GetItemCount(), 0);

    // only web addresses of the header are opened
    std::vector<CString> opened;
    panel.SetOpener([&](const CString& address) { opened.push_back(address); });
    panel.OnHyperlinkClick(L" http://maker.example/ ");
    panel.OnHyperlinkClick(L"C:\\windows\\system32\\calc.exe");
    panel.OnHyperlinkClick(L"/SILENT");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], CString(L"http://maker.example/"));
}

TEST_F(ScriptPanelTest, EnterAndEscKeepThePanelDeleteAndMenuKeysActOnTheSelectedRow)
{
    SelectScript(L"One", L"Install Script");
    CScriptPanel& panel = Panel();
    CListCtrl& list = panel.StepList();
    CMsgActions& script = projects[1].m_projects[0].m_installScript;
    // Enter and Esc reach a dialog as its OK and cancel commands: the panel neither ends nor hides
    for (WPARAM command : {IDOK, IDCANCEL}) {
        panel.SendMessage(WM_COMMAND, command, 0);
        EXPECT_TRUE(::IsWindow(panel.m_hWnd));
        EXPECT_TRUE(panel.IsWindowVisible()) << "command " << command << " hid the panel";
    }

    ASSERT_TRUE(BringToForeground(host.m_hWnd));
    list.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == list.m_hWnd; }));
    // no row selected: Delete asks nothing and deletes nothing
    {
        MessageRecorder keys(list.m_hWnd, {WM_KEYUP});
        ASSERT_TRUE(PressKeys({VK_DELETE}));
        ASSERT_TRUE(PumpUntil([&] { return keys.Contains(WM_KEYUP); }));
    }
    EXPECT_EQ(script.GetSize(), 3);
    EXPECT_EQ(FindProcessWindow({L"#32770", L"Tarnwick Professional"}), nullptr);

    // the context-menu key opens the step menu at the icon's bottom-right corner
    SelectRow(list, 1);
    {
        ModalDriver menu({L"#32768", nullptr}, [](HWND) { PressKeys({VK_ESCAPE}); });
        ASSERT_TRUE(PressKeys({VK_APPS}));
        ASSERT_TRUE(PumpUntil([&] { return menu.Wait(0); })) << "no step menu";
    }
    RECT icon{LVIR_ICON, 0, 0, 0};
    ASSERT_TRUE(ListView_GetItemRect(list.m_hWnd, 1, &icon, LVIR_ICON));
    POINT corner{icon.right, icon.bottom};
    ::ClientToScreen(list.m_hWnd, &corner);
    EXPECT_EQ(panel.LastMenuPoint(), CPoint(corner));

    // Delete asks; No keeps the step, Yes removes it and selects the row before
    {
        BoxAnswer no(IDNO);
        ASSERT_TRUE(PressKeys({VK_DELETE}));
        ASSERT_TRUE(PumpUntil([&] { return no.driver.Wait(0); }));
        EXPECT_EQ(no.text, L"Are you sure you want to delete this item ?");
    }
    EXPECT_EQ(script.GetSize(), 3);
    // the box took the focus with it: the list gets it back for the key
    ASSERT_TRUE(BringToForeground(host.m_hWnd));
    list.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == list.m_hWnd; }));
    {
        BoxAnswer yes(IDYES);
        ASSERT_TRUE(PressKeys({VK_DELETE}));
        ASSERT_TRUE(PumpUntil([&] { return yes.driver.Wait(0); }));
    }
    ASSERT_TRUE(PumpUntil([&] { return script.GetSize() == 2; }));
    EXPECT_EQ(script[1].m_controlText, CString(L"Core"));
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(SelectedRow(list), 0);

    // deleting the first row leaves none selected
    {
        BoxAnswer yes(IDYES);
        panel.DeleteSelectedStep();
        EXPECT_TRUE(yes.driver.Wait());
    }
    EXPECT_EQ(script.GetSize(), 1);
    EXPECT_EQ(SelectedRow(list), -1);
}

TEST_F(ScriptPanelTest, ARunningTestRefusesChangesAndHandsResultsToTheList)
{
    SelectScript(L"One", L"Install Script");
    CScriptPanel& panel = Panel();
    CListCtrl& list = panel.StepList();
    CMsgActions& script = projects[1].m_projects[0].m_installScript;
    script[0].m_result = L"stale";
    ASSERT_TRUE(panel.StartTest());
    EXPECT_TRUE(panel.IsTesting());
    EXPECT_FALSE(panel.StartTest()) << "one test at a time";
    EXPECT_TRUE(script[0].m_result.IsEmpty()) << "a run starts with empty results";
    EXPECT_FALSE(Enabled(IDC_SCRIPT_RECORD));
    EXPECT_FALSE(Enabled(IDC_SCRIPT_PLAY));

    // the program, the tested project and its package stay; other packages may go
    EXPECT_TRUE(host.tree.Work().replaying);
    CString why;
    EXPECT_FALSE(CanCloseNow(host.tree.Work(), &why));
    EXPECT_NE(why.Find(L"install script"), -1);
    host.tree.SelectItem(FindTreeItem(host.tree, L"One"));
    EXPECT_FALSE(host.tree.CanDelete());
    host.tree.SelectItem(FindTreeItem(host.tree, L"Tools"));
    EXPECT_FALSE(host.tree.CanDelete());
    host.tree.SelectItem(FindTreeItem(host.tree, L"Two"));
    EXPECT_TRUE(host.tree.CanDelete());

    // back on the script: steps cannot change while the copy replays
    SelectScript(L"One", L"Install Script");
    EXPECT_FALSE(Enabled(IDC_SCRIPT_RECORD)) << "still refused after selecting the script again";
    SelectRow(list, 0);
    for (auto command : {&CScriptPanel::DeleteSelectedStep, &CScriptPanel::EditSelectedStep, &CScriptPanel::OnRecord,
                         &CScriptPanel::OnPlay}) {
        if (!panel.IsTesting())
            break;
        BoxAnswer ok(IDOK);
        (panel.*command)();
        EXPECT_TRUE(ok.driver.Wait());
        EXPECT_EQ(ok.text, L"The install script is being played.\nWait until it has finished.");
    }
    EXPECT_EQ(script.GetSize(), 3);

    // the rows fill in step order while it runs; at the end every step has its result
    int filled = 0;
    ASSERT_TRUE(PumpUntil([&] {
        int now = 0;
        while (now < 3 && !RowText(list, now, 1).empty())
            ++now;
        EXPECT_GE(now, filled) << "results went backwards";
        filled = now;
        return !panel.IsTesting();
    }, 60000));
    for (int row = 0; row < 3; ++row)
        EXPECT_NE(RowText(list, row, 1).find(L"was not found"), std::wstring::npos) << Utf8(RowText(list, row, 1));
    EXPECT_TRUE(Enabled(IDC_SCRIPT_RECORD));
    EXPECT_TRUE(Enabled(IDC_SCRIPT_PLAY));
    EXPECT_FALSE(host.tree.Work().replaying);
}

TEST_F(ScriptPanelTest, PlayTellsWhatCannotStart)
{
    SelectScript(L"Two", L"Install Script");
    CScriptPanel& panel = Panel();
    {
        BoxAnswer cancel(IDCANCEL);
        panel.OnPlay();
        EXPECT_TRUE(cancel.driver.Wait());
        EXPECT_EQ(cancel.text, L"Invalid installer path. Please, select the installer file.");
    }
    EXPECT_FALSE(panel.IsTesting());
    {
        BoxAnswer ok(IDOK);
        panel.OnArguments();
        EXPECT_TRUE(ok.driver.Wait());
        EXPECT_EQ(ok.text, L"Invalid installer path. Please, select the installer file.");
    }
    SelectScript(L"Two", L"Uninstall Script");
    {
        BoxAnswer cancel(IDCANCEL);
        panel.OnPlay();
        EXPECT_TRUE(cancel.driver.Wait());
        EXPECT_EQ(cancel.text, L"Please, select program to uninstall");
    }
    {
        BoxAnswer cancel(IDCANCEL);
        panel.OnRecord();
        EXPECT_TRUE(cancel.driver.Wait());
        EXPECT_EQ(cancel.text, L"Please, select the program to uninstall.");
    }
    EXPECT_FALSE(panel.IsTesting());
}
