// The shell's window-free rules: node data of the packages tree and its 8-bit limits, the
// selection memory's pre-order positions, command enabling, the closing refusal, the names a
// rename gives, and the single-instance mutex.

#include "app/ActionsMenu.h"
#include "app/CommandRules.h"
#include "app/NodeData.h"
#include "app/SelectionMemory.h"
#include "app/SingleInstance.h"
#include "app/UniqueNames.h"

#include "engine/storage/Projects.h"

#include "resources/app/AppResource.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

CFeature Project(const wchar_t* name, int mode)
{
    CFeature project;
    project.m_name = name;
    project.m_conversionMode = mode;
    return project;
}

CProjectSettings Package(const wchar_t* name, std::vector<CFeature> projects = {})
{
    CProjectSettings package;
    package.m_productName = name;
    for (const CFeature& project : projects)
        package.m_projects.Add(project);
    return package;
}

std::string Describe(const std::vector<NodeSpec>& nodes)
{
    std::string text;
    for (const NodeSpec& node : nodes) {
        text += std::string(static_cast<size_t>(node.depth) * 2, ' ') + Utf8(node.text.GetString()) + " k" +
                std::to_string(static_cast<int>(NodeKindOf(node.data))) + " p" +
                std::to_string(NodePackageOf(node.data)) + " j" + std::to_string(NodeProjectOf(node.data)) + "\n";
    }
    return text;
}

} // namespace

// ---- node data --------------------------------------------------------------------------------

TEST(NodeData, PacksKindPackageAndProjectIntoTheirBitsAndMasksIndexesToEightBits)
{
    struct Row {
        NodeKind kind;
        int package, project;
        DWORD data;
    };
    const Row rows[] = {
        {NodeKind::package, 0, 0, 0x00000000},
        {NodeKind::project, 3, 7, 0x07030001},
        {NodeKind::uninstallScript, 255, 255, 0xFFFF0005},
        {NodeKind::customActions, 1, 2, 0x02010006},
        {NodeKind::files, 256, 257, 0x01000002},   // masked: the caller's limits keep this from happening
    };
    for (const Row& row : rows) {
        const DWORD data = MakeNodeData(row.kind, row.package, row.project);
        EXPECT_EQ(data, row.data);
        EXPECT_EQ(NodeKindOf(data), row.kind);
        EXPECT_EQ(NodePackageOf(data), row.package & 0xFF);
        EXPECT_EQ(NodeProjectOf(data), row.project & 0xFF);
    }
    EXPECT_EQ(NodeImageOf(NodeKind::registry), 3);
}

TEST(NodeData, PackageNodesHaveScriptNodesOnlyForScriptAndCommandLineProjects)
{
    const CProjectSettings package = Package(L"Tools", {Project(L"Repack", CFeature::modeRepackage),
                                                        Project(L"Script", CFeature::modeGuiScript),
                                                        Project(L"Silent", CFeature::modeCommandLine)});
    EXPECT_EQ(Describe(BuildPackageNodes(package, 2)),
              "Tools k0 p2 j0\n"
              "  Repack k1 p2 j0\n"
              "    Files k2 p2 j0\n"
              "    Registry k3 p2 j0\n"
              "  Script k1 p2 j1\n"
              "    Files k2 p2 j1\n"
              "    Registry k3 p2 j1\n"
              "    Install Script k4 p2 j1\n"
              "    Uninstall Script k5 p2 j1\n"
              "  Silent k1 p2 j2\n"
              "    Files k2 p2 j2\n"
              "    Registry k3 p2 j2\n"
              "    Install Script k4 p2 j2\n"
              "    Uninstall Script k5 p2 j2\n");
}

// An index past 255 would wrap in the node data and make a node open another project's panel.
TEST(NodeData, Bug_AListBeyondTheEightBitLimitShowsTheFirst256AndRefusesAnother)
{
    CProjectSettings big = Package(L"Big");
    for (int i = 0; i < 300; ++i)
        big.m_projects.Add(Project(L"p", CFeature::modeRepackage));
    EXPECT_EQ(ShownProjectCount(big), 256);
    const std::vector<NodeSpec> nodes = BuildPackageNodes(big, 0);
    int projectNodes = 0;
    for (const NodeSpec& node : nodes)
        if (NodeKindOf(node.data) == NodeKind::project) {
            EXPECT_EQ(NodeProjectOf(node.data), projectNodes++) << "a project node points at another project";
        }
    EXPECT_EQ(projectNodes, 256);
    EXPECT_EQ(big.m_projects.GetSize(), 300) << "the projects the tree does not show are kept";

    CString message;
    EXPECT_FALSE(HasRoomForProject(big, &message));
    EXPECT_NE(message.Find(L"256"), -1) << Utf8(message.GetString());

    CProjectSettings full = Package(L"Full");
    for (int i = 0; i < 255; ++i)
        full.m_projects.Add(Project(L"p", CFeature::modeRepackage));
    EXPECT_TRUE(HasRoomForProject(full));
    full.m_projects.Add(Project(L"p", CFeature::modeRepackage));
    EXPECT_FALSE(HasRoomForProject(full));

    CProjects list;
    list.SetSize(255);
    EXPECT_TRUE(HasRoomForPackage(list));
    list.SetSize(256);
    message.Empty();
    EXPECT_FALSE(HasRoomForPackage(list, &message));
    EXPECT_FALSE(message.IsEmpty());
    list.SetSize(270);
    EXPECT_EQ(ShownPackageCount(list), 256);
}

// ---- selection memory -------------------------------------------------------------------------

namespace {

// A tree of numbered nodes (0 = none), built from (parent, id) pairs in insertion order.
struct FakeTree {
    struct Item {
        int parent = 0;
        std::vector<int> children;
        bool expanded = false;
    };
    std::vector<Item> items{Item{}};    // item 0 is the invisible root
    int selected = 0;

    int Add(int parent)
    {
        items.push_back(Item{parent, {}, false});
        const int id = static_cast<int>(items.size()) - 1;
        items[parent].children.push_back(id);
        return id;
    }
    int FirstChild(int node) const { return items[node].children.empty() ? 0 : items[node].children.front(); }
    int NextSibling(int node) const
    {
        const std::vector<int>& siblings = items[items[node].parent].children;
        for (size_t i = 0; i + 1 < siblings.size(); ++i)
            if (siblings[i] == node)
                return siblings[i + 1];
        return 0;
    }
    int Parent(int node) const { return items[node].parent; }
    bool IsSelected(int node) const { return node == selected; }
    void Select(int node) { selected = node; }
    void ExpandNode(int node) { items[node].expanded = true; }
    int FirstRoot() const { return FirstChild(0); }
};

} // namespace

TEST(SelectionMemory, PositionsArePreOrderFromMinusOneAndRoundTrip)
{
    FakeTree tree;
    const int a = tree.Add(0);
    const int a1 = tree.Add(a);
    const int a1files = tree.Add(a1);
    const int a1registry = tree.Add(a1);
    const int b = tree.Add(0);
    const int b1 = tree.Add(b);
    const int b1files = tree.Add(b1);
    const int order[] = {a, a1, a1files, a1registry, b, b1, b1files};

    for (int i = 0; i < static_cast<int>(std::size(order)); ++i) {
        tree.selected = order[i];
        int position = 1000;
        ASSERT_TRUE(RememberSelection(tree, tree.FirstRoot(), &position));
        EXPECT_EQ(position, i - 1) << "node " << order[i];

        FakeTree restored = tree;
        restored.selected = 0;
        ASSERT_TRUE(RestoreSelection(restored, restored.FirstRoot(), position));
        EXPECT_EQ(restored.selected, order[i]);
        const int parent = restored.Parent(order[i]);
        if (parent != 0) {
            EXPECT_TRUE(restored.items[parent].expanded) << "the parent of node " << order[i] << " is expanded";
        }
    }

    tree.selected = 0;
    int position = 42;
    EXPECT_FALSE(RememberSelection(tree, tree.FirstRoot(), &position));
    EXPECT_EQ(position, 42) << "no selection leaves the stored position alone";

    EXPECT_FALSE(RestoreSelection(tree, tree.FirstRoot(), 6)) << "a position past the last node selects nothing";
    EXPECT_EQ(tree.selected, 0);
    FakeTree empty;
    EXPECT_FALSE(RestoreSelection(empty, empty.FirstRoot(), -1));
}

// ---- commands and closing ---------------------------------------------------------------------

TEST(CommandRules, DeleteAndBuildFollowTheSelectedNodeAndTheBuildThread)
{
    CProjects projects;
    projects.Add(Package(L"With", {Project(L"p", CFeature::modeGuiScript)}));
    projects.Add(Package(L"Without"));
    struct Row {
        const char* name;
        TreeSelection selection;
        bool buildBusy;
        bool canDelete, canBuild;
    };
    const Row rows[] = {
        {"nothing selected", {}, false, false, false},
        {"package with a project", {true, MakeNodeData(NodeKind::package, 0, 0)}, false, true, true},
        {"package with a project while building", {true, MakeNodeData(NodeKind::package, 0, 0)}, true, true, false},
        {"package without projects", {true, MakeNodeData(NodeKind::package, 1, 0)}, false, true, false},
        {"project", {true, MakeNodeData(NodeKind::project, 0, 0)}, false, true, true},
        {"Files", {true, MakeNodeData(NodeKind::files, 0, 0)}, false, false, true},
        {"Registry", {true, MakeNodeData(NodeKind::registry, 0, 0)}, false, false, true},
        {"Install Script", {true, MakeNodeData(NodeKind::installScript, 0, 0)}, false, false, true},
        {"Uninstall Script", {true, MakeNodeData(NodeKind::uninstallScript, 0, 0)}, false, false, true},
        {"package index past the list", {true, MakeNodeData(NodeKind::package, 9, 0)}, false, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CanDelete(row.selection), row.canDelete);
        EXPECT_EQ(CanBuild(projects, row.selection, row.buildBusy), row.canBuild);
        EXPECT_EQ(IsCommandEnabled(ID_DELETE_ITEM, projects, row.selection, row.buildBusy), row.canDelete);
        EXPECT_EQ(IsCommandEnabled(ID_BUILD_PACKAGE, projects, row.selection, row.buildBusy), row.canBuild);
        for (UINT always : {ID_NEW_PROJECT, ID_OPEN_PROJECT, ID_OPEN_IN_EXPLORER, ID_VIEW_OUTPUT, ID_VIEW_START_PAGE,
                            ID_INSTALLED_PROGRAMS, ID_MONITOR_SETTINGS, ID_ADD_MSI_PACKAGE})
            EXPECT_TRUE(IsCommandEnabled(always, projects, row.selection, row.buildBusy)) << always;
    }
}

TEST(CommandRules, TheActionsMenuFollowsTheKindOfTheSelectedNode)
{
    struct Row {
        TreeSelection selection;
        int submenu;
    };
    const Row rows[] = {
        {{}, -1},
        {{true, MakeNodeData(NodeKind::package, 2, 0)}, 1},
        {{true, MakeNodeData(NodeKind::project, 2, 3)}, 2},
        {{true, MakeNodeData(NodeKind::files, 0, 0)}, 3},
        {{true, MakeNodeData(NodeKind::registry, 0, 0)}, 3},
        {{true, MakeNodeData(NodeKind::uninstallScript, 0, 0)}, 3},
        {{true, MakeNodeData(NodeKind::customActions, 0, 0)}, 3},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ActionsSubmenuFor(row.selection), row.submenu) << row.selection.data;
}

TEST(CommandRules, OpenInExplorerOpensOnlyAnExistingFolderOfTheSelectedPackage)
{
    ScratchFolder scratch;
    const CString folder = scratch / L"Out";
    ASSERT_TRUE(::CreateDirectoryW(folder, nullptr));
    const CString program = scratch / L"setup.exe";
    ASSERT_TRUE(WriteAllBytes(program, {0x4D, 0x5A}));
    const CString packages[] = {folder, folder + L"\\", L"", scratch / L"Missing", program};
    CProjects projects;
    for (const CString& output : packages) {
        CProjectSettings package = Package(L"p", {Project(L"x", CFeature::modeRepackage)});
        package.m_outputFolder = output;
        projects.Add(package);
    }
    struct Row {
        const char* name;
        TreeSelection selection;
        CString folder;
        bool told;
    };
    const Row rows[] = {
        {"nothing selected: nothing, quietly", {}, L"", false},
        {"package past the list: nothing, quietly", {true, MakeNodeData(NodeKind::package, 9, 0)}, L"", false},
        {"package node", {true, MakeNodeData(NodeKind::package, 0, 0)}, folder, false},
        {"a project's registry node opens its package's folder", {true, MakeNodeData(NodeKind::registry, 1, 0)},
         folder + L"\\", false},
        {"no output folder", {true, MakeNodeData(NodeKind::project, 2, 0)}, L"", true},
        {"a folder that is gone", {true, MakeNodeData(NodeKind::package, 3, 0)}, L"", true},
        {"a program in place of the folder is never run", {true, MakeNodeData(NodeKind::package, 4, 0)}, L"", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const OutputFolderChoice choice = ChooseOutputFolder(projects, row.selection);
        EXPECT_EQ(Utf8(choice.folder.GetString()), Utf8(row.folder.GetString()));
        EXPECT_EQ(!choice.message.IsEmpty(), row.told) << Utf8(choice.message.GetString());
    }
}

TEST(CommandRules, ClosingIsRefusedWithAMessageWhileAWorkerRuns)
{
    struct Row {
        RunningWork work;
        bool canClose;
        const wchar_t* names;
    };
    const Row rows[] = {
        {{false, false, false}, true, nullptr},
        {{true, false, false}, false, L"built"},
        {{false, true, false}, false, L"monitored"},
        {{false, false, true}, false, L"install script"},
    };
    for (const Row& row : rows) {
        CString message;
        EXPECT_EQ(CanCloseNow(row.work, &message), row.canClose);
        if (row.names) {
            EXPECT_NE(message.Find(row.names), -1) << Utf8(message.GetString());
        } else {
            EXPECT_TRUE(message.IsEmpty());
        }
    }
}

// ---- rename -----------------------------------------------------------------------------------

TEST(UniqueNames, ATypedNameThatAnotherRecordCarriesGetsTheFirstFreeCounter)
{
    CProjects projects;
    projects.Add(Package(L"Alpha", {Project(L"Setup", 1), Project(L"Tools", 0), Project(L"Tools(1)", 0)}));
    projects.Add(Package(L"Beta"));
    projects.Add(Package(L"Beta(1)"));
    struct Row {
        int self;
        const wchar_t* typed;
        const wchar_t* expected;
    };
    const Row packageRows[] = {
        {0, L"Beta", L"Beta(2)"},        // (1) is taken as well
        {0, L"Alpha", L"Alpha"},         // the record's own stored name
        {0, L"ALPHA", L"ALPHA"},         // letter case counts
        {1, L"Alpha", L"Alpha(1)"},
        {1, L"Bet", L"Bet"},
        {0, L"", L""},                   // an empty name is allowed
    };
    for (const Row& row : packageRows)
        EXPECT_EQ(Utf8(MakeUniqueNameForRename(projects, row.self, row.typed).GetString()), Utf8(row.expected))
            << "package " << row.self << " typed " << Utf8(row.typed);

    const CFeatures& features = projects[0].m_projects;
    const Row projectRows[] = {
        {0, L"Tools", L"Tools(2)"},
        {1, L"Tools", L"Tools"},
        {1, L"Setup", L"Setup(1)"},
        {2, L"setup", L"setup"},
    };
    for (const Row& row : projectRows)
        EXPECT_EQ(Utf8(MakeUniqueNameForRename(features, row.self, row.typed).GetString()), Utf8(row.expected))
            << "project " << row.self << " typed " << Utf8(row.typed);
}

// ---- single instance --------------------------------------------------------------------------

TEST(SingleInstance, TheSecondMutexOfTheNameReportsAnotherInstanceUntilTheFirstCloses)
{
    EXPECT_EQ(Utf8(kInstanceMutexName), "Global\\{ABC4F472-90EF-4136-9209-B3CBD2CC5211}");
    CString name;
    name.Format(L"Global\\tarnwick-test-%lu", ::GetCurrentProcessId());
    {
        CInstanceMutex first(name);
        ASSERT_NE(first.Handle(), nullptr);
        EXPECT_FALSE(first.AnotherInstanceRuns());
        CInstanceMutex second(name);
        EXPECT_TRUE(second.AnotherInstanceRuns());
        EXPECT_EQ(second.CreationError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    }
    CInstanceMutex again(name);
    EXPECT_FALSE(again.AnotherInstanceRuns()) << "closing the handles frees the name";
}
