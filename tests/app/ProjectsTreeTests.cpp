// The packages tree in a plain window beside a stand-in for the main view: filling from the data
// file, panels bound to the selection, committing on switch, live rename of the node, deleting
// with the panel let go first, and the selection remembered across a restart.

#include "app/ProjectsTree.h"
#include "app/registry/RegistryTree.h"

#include "engine/files/Globals.h"
#include "engine/storage/Projects.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include "tests/app/ProjectsTreeHost.h"
#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace projectstreetest;
using namespace testsupport;

// Failure text shows texts as text.
inline void PrintTo(const CString& text, std::ostream* os)
{
    *os << '"' << Utf8(text.GetString()) << '"';
}

namespace {

CFeature Project(const wchar_t* name, int mode)
{
    CFeature project;
    project.m_name = name;
    project.m_conversionMode = mode;
    project.m_conditions = CString(L"condition of ") + name;
    return project;
}

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        dataFile = scratch / L"tarnwick.dat";
        CProjects made;
        ASSERT_TRUE(CreatePackage(L"Office", scratch.Path(), made));
        ASSERT_TRUE(CreatePackage(L"Tools", scratch.Path(), made));
        made[0].m_projects.Add(Project(L"Repack", CFeature::modeRepackage));
        made[1].m_projects.Add(Project(L"One", CFeature::modeGuiScript));
        made[1].m_projects.Add(Project(L"Two", CFeature::modeCommandLine));
        made[1].m_projects.Add(Project(L"Three", CFeature::modeRepackage));
        ASSERT_TRUE(SaveDataFile(dataFile, made));
    }
    void Start(CHost& host, CProjects& projects)
    {
        ASSERT_TRUE(host.CreateHost(dataFile, projects, SIZE{660, 520}));
        app.m_pMainWnd = &host;
    }
    void Stop(CHost& host)
    {
        app.m_pMainWnd = nullptr;
        host.DestroyWindow();
        AfxDeleteTempMaps();
    }
    CProjects Reload()
    {
        CProjects loaded;
        EXPECT_TRUE(LoadDataFile(dataFile, loaded));
        return loaded;
    }

    CTestApp app;
    ScratchFolder scratch;
    CString dataFile;
};

} // namespace

TEST_F(TreeTest, FillsFromTheDataFileAndBindsThePanelOfTheSelectedNode)
{
    CProjects projects;
    CHost host;
    Start(host, projects);
    EXPECT_EQ(ReadTreeItems(host.tree.m_hWnd),
              (std::vector<std::wstring>{L"Office", L"  Repack", L"    Files", L"    Registry", L"Tools", L"  One",
                                         L"    Files", L"    Registry", L"    Install Script", L"    Uninstall Script",
                                         L"  Two", L"    Files", L"    Registry", L"    Install Script",
                                         L"    Uninstall Script", L"  Three", L"    Files", L"    Registry"}));
    // the remembered position 0 is the node after the first root
    EXPECT_EQ(ReadSelectedTreeItem(host.tree.m_hWnd), L"Repack");
    CFeaturePanel& projectPanel = host.tree.ProjectPanel();
    ASSERT_TRUE(PumpUntil([&] { return projectPanel.IsWindowVisible() != FALSE; }));
    EXPECT_EQ(CurrentPackageIndex, 0);
    EXPECT_EQ(CurrentProjectIndex, 0);
    EXPECT_EQ(WindowText(projectPanel.GetDlgItem(IDC_PROJECT_NAME)->m_hWnd), L"Repack");
    RECT viewClient{}, panelRect{};
    host.view.GetClientRect(&viewClient);
    projectPanel.GetClientRect(&panelRect);
    EXPECT_EQ(panelRect.right, viewClient.right) << "the panel covers the whole view";
    EXPECT_EQ(panelRect.bottom, viewClient.bottom);

    // switching commits the old panel under its own indexes; the new one loads under the new ones
    projectPanel.SetDlgItemText(IDC_PROJECT_CONDITIONS, L"edited");
    host.tree.SelectItem(FindTreeItem(host.tree, L"Tools"));
    EXPECT_EQ(projects[0].m_projects[0].m_conditions, L"edited");
    EXPECT_FALSE(projectPanel.IsWindowVisible());
    CProjectPanel& packagePanel = host.tree.PackagePanel();
    EXPECT_TRUE(packagePanel.IsWindowVisible());
    EXPECT_EQ(CurrentPackageIndex, 1);
    EXPECT_EQ(WindowText(packagePanel.GetDlgItem(IDC_PRODUCT_NAME)->m_hWnd), L"Tools");

    // renaming in the panel renames the node, uniquely
    packagePanel.SetDlgItemText(IDC_PRODUCT_NAME, L"Office");
    EXPECT_EQ(ReadSelectedTreeItem(host.tree.m_hWnd), L"Office(1)");
    EXPECT_EQ(projects[1].m_productName, L"Office(1)");

    // the Registry node hosts the registry editor on the project's records
    host.tree.SelectItem(FindTreeItem(host.tree, L"Registry", FindTreeItem(host.tree, L"Two")));
    EXPECT_FALSE(packagePanel.IsWindowVisible());
    EXPECT_EQ(host.view.hosting.Current(), &host.tree.RegistryPanel());
    EXPECT_TRUE(host.tree.RegistryPanel().IsWindowVisible());
    EXPECT_EQ(host.tree.RegistryPanel().Tree()->Records(), &projects[1].m_projects[1].m_registry);
    EXPECT_EQ(CurrentPackageIndex, 1);
    EXPECT_EQ(CurrentProjectIndex, 1);
    EXPECT_TRUE(host.tree.CanBuild());
    EXPECT_FALSE(host.tree.CanDelete());

    // the selection survives a restart through the data file
    ASSERT_TRUE(host.tree.SaveProjects());
    Stop(host);
    CProjects again;
    CHost restarted;
    Start(restarted, again);
    EXPECT_EQ(again[1].m_productName, L"Office(1)");
    const HTREEITEM selected = restarted.tree.GetSelectedItem();
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(restarted.tree.GetItemText(selected), L"Registry");
    EXPECT_EQ(restarted.tree.GetItemText(restarted.tree.GetParentItem(selected)), L"Two");
    Stop(restarted);
}

// Removing project 2 of 3 moves project 3 to index 1: the panel bound to project 2 must not write
// its controls into project 3 on the way.
TEST_F(TreeTest, Bug_DeletingProjectTwoOfThreeLeavesProjectThreeAsItWas)
{
    CProjects projects;
    CHost host;
    Start(host, projects);
    host.tree.SelectItem(FindTreeItem(host.tree, L"Two"));
    CFeaturePanel& panel = host.tree.ProjectPanel();
    ASSERT_EQ(WindowText(panel.GetDlgItem(IDC_PROJECT_NAME)->m_hWnd), L"Two");
    panel.SetDlgItemText(IDC_PROJECT_CONDITIONS, L"typed into two");

    ModalDriver yes({L"#32770", L"Tarnwick Professional"}, [](HWND box) { AppDriver::PressButton(box, IDYES); });
    EXPECT_TRUE(host.tree.DeleteSelected());
    ASSERT_TRUE(yes.Wait());

    ASSERT_EQ(projects[1].m_projects.GetSize(), 2);
    EXPECT_EQ(projects[1].m_projects[0].m_name, L"One");
    EXPECT_EQ(projects[1].m_projects[1].m_name, L"Three");
    EXPECT_EQ(projects[1].m_projects[1].m_conditions, L"condition of Three");
    EXPECT_EQ(ReadSelectedTreeItem(host.tree.m_hWnd), L"Office") << "the first root is selected after a removal";
    EXPECT_TRUE(host.tree.PackagePanel().IsWindowVisible());

    const CProjects saved = Reload();
    ASSERT_EQ(saved[1].m_projects.GetSize(), 2);
    EXPECT_EQ(saved[1].m_projects[1].m_conditions, L"condition of Three");
    Stop(host);
}

TEST_F(TreeTest, DeletingAPackageWithNoUnlistsItAndYesRecyclesItsFolder)
{
    CProjects projects;
    CHost host;
    Start(host, projects);
    const CString officeFolder = scratch / L"Office";
    const CString toolsFolder = scratch / L"Tools";

    host.tree.SelectItem(FindTreeItem(host.tree, L"Tools"));
    {
        ModalDriver no({L"#32770", L"Tarnwick Professional"}, [](HWND box) { AppDriver::PressButton(box, IDNO); });
        EXPECT_TRUE(host.tree.DeleteSelected());
        ASSERT_TRUE(no.Wait());
    }
    EXPECT_EQ(projects.GetSize(), 1);
    EXPECT_EQ(projects.m_packagePaths.GetSize(), 1);
    EXPECT_TRUE(FileExists(toolsFolder + L"\\Tools.tkpj")) << "No keeps the files";

    host.tree.SelectItem(FindTreeItem(host.tree, L"Office"));
    {
        ModalDriver cancel({L"#32770", L"Tarnwick Professional"},
                           [](HWND box) { AppDriver::PressButton(box, IDCANCEL); });
        EXPECT_FALSE(host.tree.DeleteSelected());
        ASSERT_TRUE(cancel.Wait());
    }
    EXPECT_EQ(projects.GetSize(), 1);
    {
        ModalDriver yes({L"#32770", L"Tarnwick Professional"}, [](HWND box) { AppDriver::PressButton(box, IDYES); });
        EXPECT_TRUE(host.tree.DeleteSelected());
        ASSERT_TRUE(yes.Wait());
    }
    EXPECT_EQ(projects.GetSize(), 0);
    EXPECT_FALSE(FileExists(officeFolder)) << "Yes recycles the folder that package creation made";
    EXPECT_EQ(host.tree.GetCount(), 0u);
    EXPECT_EQ(host.view.hosting.Current(), nullptr) << "an empty tree leaves the start page";
    EXPECT_EQ(Reload().GetSize(), 0);
    Stop(host);
}

TEST_F(TreeTest, AnUnreadableDataFileIsKeptAsBadAndTheEmptyDefaultOpensTheWizard)
{
    ASSERT_TRUE(::CopyFileW(FixturePath(L"storage\\damaged-plain.dat"), dataFile, FALSE));
    CProjects projects;
    CHost host;
    Start(host, projects);
    EXPECT_TRUE(FileExists(dataFile + L".bad"));
    EXPECT_EQ(projects.GetSize(), 0);
    EXPECT_EQ(host.tree.GetCount(), 0u);
    EXPECT_EQ(host.tree.wizards, 1);
    Stop(host);
}

// A package opened from a folder named like it (as package creation names its folders) that also
// holds the user's own file: its node goes last, selected, and Yes on deleting it takes the
// package file alone, in this run and in a later one.
TEST_F(TreeTest, AnOpenedPackageIsSelectedAndItsDeletionNeverTakesItsNeighboursAlsoAfterARestart)
{
    ScratchFolder elsewhere;
    CProjects made;
    ASSERT_TRUE(CreatePackage(L"Shared", elsewhere.Path(), made));
    const CString sharedFolder = elsewhere / L"Shared";
    const CString packageFile = sharedFolder + L"\\Shared.tkpj";
    const CString neighbour = sharedFolder + L"\\notes.txt";
    ASSERT_TRUE(WriteAllBytes(neighbour, {'k', 'e', 'e', 'p'}));

    CProjects projects;
    {
        CHost host;
        Start(host, projects);
        host.tree.Expand(FindTreeItem(host.tree, L"Tools"), TVE_EXPAND);
        ASSERT_TRUE(host.tree.ListPackageFile(packageFile));
        EXPECT_EQ(projects.GetSize(), 3);
        EXPECT_EQ(ReadSelectedTreeItem(host.tree.m_hWnd), L"Shared");
        EXPECT_EQ(host.tree.GetNextSiblingItem(host.tree.GetSelectedItem()), nullptr) << "the new node is the last root";
        EXPECT_FALSE(host.tree.GetItemState(FindTreeItem(host.tree, L"Tools"), TVIS_EXPANDED) & TVIS_EXPANDED)
            << "the shown nodes collapse";
        EXPECT_TRUE(host.tree.PackagePanel().IsWindowVisible());
        EXPECT_EQ(CurrentPackageIndex, 2);
        EXPECT_TRUE(host.tree.OpenedPackages().Contains(packageFile));

        // the same file again is refused with a message, and nothing changes
        ModalDriver told({L"#32770", L"Tarnwick Professional"}, [](HWND box) { AppDriver::PressButton(box, IDOK); });
        EXPECT_FALSE(host.tree.ListPackageFile(packageFile));
        ASSERT_TRUE(told.Wait());
        EXPECT_EQ(projects.GetSize(), 3);
        ASSERT_TRUE(host.tree.SaveProjects());
        Stop(host);
    }

    CProjects again;
    CHost restarted;
    Start(restarted, again);
    ASSERT_EQ(again.GetSize(), 3);
    EXPECT_EQ(ReadSelectedTreeItem(restarted.tree.m_hWnd), L"Shared");
    EXPECT_TRUE(restarted.tree.OpenedPackages().Contains(packageFile)) << "the mark outlives the run";
    {
        ModalDriver yes({L"#32770", L"Tarnwick Professional"}, [](HWND box) { AppDriver::PressButton(box, IDYES); });
        EXPECT_TRUE(restarted.tree.DeleteSelected());
        ASSERT_TRUE(yes.Wait());
    }
    EXPECT_EQ(again.GetSize(), 2);
    EXPECT_FALSE(FileExists(packageFile)) << "Yes takes the package file";
    EXPECT_TRUE(FileExists(neighbour)) << "but never the user's other files beside it";
    EXPECT_FALSE(FileExists(COpenedPackages::ListPathFor(dataFile))) << "no opened package is left to mark";
    Stop(restarted);
}

// Another program holds the data file at start-up: it can be neither read nor set aside, so it
// still holds the user's list. The run says so, and its empty list never replaces that file, even
// once the file is free again.
TEST_F(TreeTest, Bug_ADataFileHeldByAnotherProgramAtStartIsNeverOverwrittenByTheEmptyList)
{
    std::vector<uint8_t> before;
    ASSERT_TRUE(ReadAllBytes(dataFile, before));
    CProjects projects;
    CHost host;
    {
        UniqueKernelHandle lock(::CreateFileW(dataFile, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(lock.Get(), INVALID_HANDLE_VALUE);
        std::wstring told;
        ModalDriver box({L"#32770", L"Tarnwick Professional"}, [&](HWND window) {
            told = MessageBoxText(window);
            AppDriver::PressButton(window, IDOK);
        });
        Start(host, projects);
        ASSERT_TRUE(box.Wait());
        EXPECT_NE(told.find(L"could not be read"), std::wstring::npos) << Utf8(told);
    }
    EXPECT_TRUE(host.tree.KeepsDataFile());
    EXPECT_EQ(projects.GetSize(), 0);
    EXPECT_FALSE(FileExists(dataFile + L".bad"));

    // the file is free now; the run's save still leaves it alone and says it failed
    EXPECT_FALSE(host.tree.SaveProjects());
    std::vector<uint8_t> after;
    ASSERT_TRUE(ReadAllBytes(dataFile, after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(Reload().GetSize(), 2);
    Stop(host);
}
