// The package and project panels hosted in a plain window, driven with real input: loading and
// saving their records, the check box that disables another at once, live renaming with unique
// names, stretching with the host, and Enter and Esc leaving a panel as it was.

#include "app/SettingsPanels.h"

#include "engine/files/Globals.h"
#include "engine/storage/Projects.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace testsupport;

// Failure text shows texts as text.
inline void PrintTo(const CString& text, std::ostream* os)
{
    *os << '"' << Utf8(text.GetString()) << '"';
}

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Panel Tests") {}
};

// A plain top-level window standing for the main view: it stretches its one panel over its
// client area.
class CHost : public CWnd {
public:
    CWnd* panel = nullptr;   // not owned

    BOOL CreateHost()
    {
        return CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                        L"panel host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 760, 520, nullptr, nullptr);
    }
    void Fit()
    {
        RECT client{};
        GetClientRect(&client);
        panel->SetWindowPos(nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_SHOWWINDOW);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        if (message == WM_SIZE && panel && panel->m_hWnd)
            Fit();
        return result;
    }
};

class FakeSite : public CPanelSite {
public:
    bool selected = true;
    std::wstring itemText;
    int renames = 0;

    bool HasSelectedItem() const override { return selected; }
    void SetSelectedItemText(const CString& text) override
    {
        itemText = text.GetString();
        ++renames;
    }
};

RECT ClientRectOf(HWND control)
{
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

CFeature Project(const wchar_t* name)
{
    CFeature project;
    project.m_name = name;
    project.m_description = L"about " + CString(name);
    project.m_conditions = L"VersionNT";
    return project;
}

CProjectSettings Package(const wchar_t* name, int noRegistration)
{
    CProjectSettings package;
    package.m_productName = name;
    package.m_productVersion = L"2.1";
    package.m_companyName = L"Makers";
    package.m_supportUrl = L"https://example.org";
    package.m_supportPhone = L"555";
    package.m_comment = L"note";
    package.m_launchCondition = L"Privileged";
    package.m_noRegistration = noRegistration;
    package.m_hidden = 1;
    package.m_perUser = 1;
    package.m_projects.Add(Project(L"Setup"));
    package.m_projects.Add(Project(L"Tools"));
    package.m_projects.Add(Project(L"Extras"));
    return package;
}

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        ASSERT_TRUE(host.CreateHost());
        app.m_pMainWnd = &host;
        projects.Add(Package(L"Alpha", 0));
        projects.Add(Package(L"Beta", 1));
        CurrentPackageIndex = 1;
        CurrentProjectIndex = 1;
    }
    void TearDown() override
    {
        app.m_pMainWnd = nullptr;
        if (host.m_hWnd)
            host.DestroyWindow();
        AfxDeleteTempMaps();
    }

    // Creates the panel in the host, loads it, shows it over the host's client area and puts the
    // focus in the control; the click is tried again when another program's window had the
    // foreground for a moment.
    void Host(CSettingsPanel& panel)
    {
        ASSERT_TRUE(panel.CreatePanel(&host));
        panel.SetSite(&site);
        host.panel = &panel;
        panel.UpdateData(FALSE);
        host.Fit();
        ASSERT_TRUE(PumpUntil([&] { return panel.IsWindowVisible() != FALSE; }));
    }
    void FocusEdit(HWND edit)
    {
        bool focused = false;
        for (int attempt = 0; attempt < 5 && !focused; ++attempt) {
            ASSERT_TRUE(BringToForeground(host.m_hWnd));
            ClickClient(edit, {4, 4});
            focused = PumpUntil([&] { return ::GetFocus() == edit; }, 5000);
        }
        ASSERT_TRUE(focused) << "the click never put the focus in the edit";
    }
    void ReplaceText(HWND edit, const wchar_t* text)
    {
        FocusEdit(edit);
        PressKeys({VK_CONTROL, 'A'});
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        TypeText(text);
    }

    CTestApp app;
    CHost host;
    FakeSite site;
    CProjects projects;
};

} // namespace

TEST_F(PanelTest, PackagePanelLoadsTheCurrentPackageAndSavesEditsBack)
{
    CProjectPanel panel(projects);
    Host(panel);
    struct Field {
        int id;
        CString CProjectSettings::*member;
    };
    const Field fields[] = {
        {IDC_PRODUCT_NAME, &CProjectSettings::m_productName},
        {IDC_PRODUCT_VERSION, &CProjectSettings::m_productVersion},
        {IDC_COMPANY_NAME, &CProjectSettings::m_companyName},
        {IDC_SUPPORT_URL, &CProjectSettings::m_supportUrl},
        {IDC_SUPPORT_PHONE, &CProjectSettings::m_supportPhone},
        {IDC_COMMENT, &CProjectSettings::m_comment},
        {IDC_LAUNCH_CONDITION, &CProjectSettings::m_launchCondition},
    };
    for (const Field& field : fields)
        EXPECT_EQ(WindowText(panel.GetDlgItem(field.id)->m_hWnd), (projects[1].*field.member).GetString()) << field.id;
    EXPECT_EQ(panel.IsDlgButtonChecked(IDC_NO_REGISTRATION), 1u);
    EXPECT_EQ(panel.IsDlgButtonChecked(IDC_HIDDEN_IN_LIST), 1u);
    EXPECT_EQ(panel.IsDlgButtonChecked(IDC_PER_USER), 1u);
    EXPECT_FALSE(::IsWindowEnabled(panel.GetDlgItem(IDC_HIDDEN_IN_LIST)->m_hWnd))
        << "an unregistered package cannot be hidden from the programs list";

    panel.SetDlgItemText(IDC_COMPANY_NAME, L"Other Makers");
    panel.CheckDlgButton(IDC_PER_USER, 0);
    ASSERT_TRUE(panel.UpdateData(TRUE));
    EXPECT_EQ(projects[1].m_companyName, L"Other Makers");
    EXPECT_EQ(projects[1].m_perUser, 0);
    EXPECT_EQ(projects[0].m_companyName, L"Makers") << "the other package stays as it was";

    // no package at the index: the exchange does nothing either way
    CurrentPackageIndex = 5;
    panel.SetDlgItemText(IDC_COMPANY_NAME, L"nowhere");
    ASSERT_TRUE(panel.UpdateData(TRUE));
    ASSERT_TRUE(panel.UpdateData(FALSE));
    EXPECT_EQ(WindowText(panel.GetDlgItem(IDC_COMPANY_NAME)->m_hWnd), L"nowhere");
    EXPECT_EQ(projects[1].m_companyName, L"Other Makers");
}

TEST_F(PanelTest, ClickingDoNotRegisterDisablesDoNotShowInListAtOnceAndUncheckingEnablesIt)
{
    CurrentPackageIndex = 0;
    CProjectPanel panel(projects);
    Host(panel);
    HWND noRegistration = panel.GetDlgItem(IDC_NO_REGISTRATION)->m_hWnd;
    HWND hidden = panel.GetDlgItem(IDC_HIDDEN_IN_LIST)->m_hWnd;
    ASSERT_TRUE(::IsWindowEnabled(hidden));
    ASSERT_TRUE(BringToForeground(host.m_hWnd));
    ClickClient(noRegistration, {6, 6});
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindowEnabled(hidden); }));
    EXPECT_EQ(projects[0].m_noRegistration, 1);
    ClickClient(noRegistration, {6, 6});
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowEnabled(hidden) != FALSE; }));
    EXPECT_EQ(projects[0].m_noRegistration, 0);
}

TEST_F(PanelTest, TypingAnotherPackagesNameRenamesWithTheFirstFreeCounterAndKeepsTheCaretAtTheEnd)
{
    CProjectPanel panel(projects);
    Host(panel);
    HWND name = panel.GetDlgItem(IDC_PRODUCT_NAME)->m_hWnd;
    ReplaceText(name, L"Alpha");
    ASSERT_TRUE(PumpUntil([&] { return WindowText(name) == L"Alpha(1)"; })) << "the box shows " << Utf8(WindowText(name));
    EXPECT_EQ(site.itemText, L"Alpha(1)");
    EXPECT_EQ(projects[1].m_productName, L"Alpha(1)");
    EXPECT_EQ(projects[0].m_productName, L"Alpha");
    DWORD start = 0, end = 0;
    ::SendMessageW(name, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 8u);
    EXPECT_EQ(end, 8u);

    // a keystroke in the middle of a name that stays unique leaves the caret where it is
    ::SendMessageW(name, EM_SETSEL, 5, 5);
    TypeText(L"x");
    ASSERT_TRUE(PumpUntil([&] { return WindowText(name) == L"Alphax(1)"; })) << Utf8(WindowText(name));
    ::SendMessageW(name, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 6u);
    EXPECT_EQ(site.itemText, L"Alphax(1)");
    EXPECT_EQ(projects[1].m_productName, L"Alphax(1)");

    // with no selected tree item nothing is renamed
    site.selected = false;
    const int renames = site.renames;
    TypeText(L"y");
    ASSERT_TRUE(PumpUntil([&] { return WindowText(name) == L"Alphaxy(1)"; }));
    EXPECT_EQ(site.renames, renames);
    EXPECT_EQ(projects[1].m_productName, L"Alphax(1)");
}

TEST_F(PanelTest, ProjectPanelRenamesUniquelyAmongItsPackagesProjectsAndEditsTheCurrentOne)
{
    CFeaturePanel panel(projects);
    Host(panel);
    HWND name = panel.GetDlgItem(IDC_PROJECT_NAME)->m_hWnd;
    EXPECT_EQ(WindowText(name), L"Tools");
    EXPECT_EQ(WindowText(panel.GetDlgItem(IDC_PROJECT_DESCRIPTION)->m_hWnd), L"about Tools");
    EXPECT_EQ(WindowText(panel.GetDlgItem(IDC_PROJECT_CONDITIONS)->m_hWnd), L"VersionNT");

    ReplaceText(name, L"Extras");
    ASSERT_TRUE(PumpUntil([&] { return WindowText(name) == L"Extras(1)"; })) << Utf8(WindowText(name));
    EXPECT_EQ(site.itemText, L"Extras(1)");
    EXPECT_EQ(projects[1].m_projects[1].m_name, L"Extras(1)");
    EXPECT_EQ(projects[1].m_projects[2].m_name, L"Extras");
    EXPECT_EQ(projects[0].m_projects[1].m_name, L"Tools") << "the other package's project is untouched";

    // after project 2 of 3 is removed, index 1 names what was project 3: a panel reloaded there
    // shows and edits that one, never the removed one's fields
    projects[1].m_projects.RemoveAt(1);
    panel.UpdateData(FALSE);
    EXPECT_EQ(WindowText(name), L"Extras");
    panel.SetDlgItemText(IDC_PROJECT_CONDITIONS, L"NOT Installed");
    ASSERT_TRUE(panel.UpdateData(TRUE));
    EXPECT_EQ(projects[1].m_projects[1].m_conditions, L"NOT Installed");
    EXPECT_EQ(projects[1].m_projects[1].m_name, L"Extras");

    CurrentProjectIndex = 2;   // past the remaining two: nothing is exchanged
    panel.SetDlgItemText(IDC_PROJECT_NAME, L"ghost");
    ASSERT_TRUE(panel.UpdateData(TRUE));
    EXPECT_EQ(projects[1].m_projects.GetSize(), 2);
    EXPECT_EQ(projects[1].m_projects[1].m_name, L"Extras");
}

TEST_F(PanelTest, PanelsStretchWithTheirHostByTheirAnchors)
{
    CProjectPanel panel(projects);
    Host(panel);
    HWND name = panel.GetDlgItem(IDC_PRODUCT_NAME)->m_hWnd;
    HWND hidden = panel.GetDlgItem(IDC_HIDDEN_IN_LIST)->m_hWnd;
    HWND noRegistration = panel.GetDlgItem(IDC_NO_REGISTRATION)->m_hWnd;
    const RECT nameBefore = ClientRectOf(name);
    const RECT hiddenBefore = ClientRectOf(hidden);
    const RECT checkBefore = ClientRectOf(noRegistration);
    RECT panelBefore{};
    panel.GetClientRect(&panelBefore);

    RECT window{};
    host.GetWindowRect(&window);
    host.SetWindowPos(nullptr, 0, 0, window.right - window.left + 200, window.bottom - window.top + 60,
                      SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(PumpUntil([&] {
        RECT now{};
        panel.GetClientRect(&now);
        return now.right == panelBefore.right + 200;
    }));
    const RECT nameAfter = ClientRectOf(name);
    const RECT hiddenAfter = ClientRectOf(hidden);
    const RECT checkAfter = ClientRectOf(noRegistration);
    EXPECT_EQ(nameAfter.left, nameBefore.left);
    EXPECT_EQ(nameAfter.right, nameBefore.right + 200);
    EXPECT_EQ(nameAfter.top, nameBefore.top) << "no control moves down: the bottom factors are 0";
    EXPECT_EQ(hiddenAfter.left, hiddenBefore.left + 100);
    EXPECT_EQ(hiddenAfter.right, hiddenBefore.right + 200);
    EXPECT_EQ(checkAfter.left, checkBefore.left);
    EXPECT_EQ(checkAfter.right, checkBefore.right);
}

TEST_F(PanelTest, EnterAndEscInAPanelNeitherEndNorHideIt)
{
    for (bool projectPanel : {false, true}) {
        SCOPED_TRACE(projectPanel ? "project panel" : "package panel");
        CProjectPanel packagePanel(projects);
        CFeaturePanel featurePanel(projects);
        CSettingsPanel& panel = projectPanel ? static_cast<CSettingsPanel&>(featurePanel) : packagePanel;
        Host(panel);
        HWND edit = panel.GetDlgItem(projectPanel ? IDC_PROJECT_CONDITIONS : IDC_COMMENT)->m_hWnd;
        FocusEdit(edit);
        PressKeys({VK_RETURN});
        PressKeys({VK_ESCAPE});
        TypeText(L"!");
        ASSERT_TRUE(PumpUntil([&] { return WindowText(edit).find(L'!') != std::wstring::npos; }));
        EXPECT_TRUE(panel.IsWindowVisible());
        EXPECT_EQ(::GetFocus(), edit);
        panel.DestroyWindow();
        host.panel = nullptr;
    }
}
