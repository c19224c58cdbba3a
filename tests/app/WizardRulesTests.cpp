// The wizard's, the arguments dialog's, the build dialog's and the actions menu's rules without
// windows: the proposed name, the installer's entries, markup made from untrusted text, what a
// hyperlink's Tag does, and adding a finished project to the list.

#include "app/ActionsMenu.h"
#include "app/MarkupStatic.h"
#include "app/NodeData.h"
#include "app/build/BuildDialog.h"
#include "app/wizard/WizardRules.h"

#include "engine/storage/PackageFile.h"

#include "resources/app/AppResource.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

inline void PrintTo(const CString& text, std::ostream* os)
{
    *os << '"' << Utf8(text.GetString()) << '"';
}

namespace {

CFeature Project(const wchar_t* name, int mode = CFeature::modeGuiScript)
{
    CFeature project;
    project.m_name = name;
    project.m_conversionMode = mode;
    return project;
}

int CountLinks(const std::vector<MarkupRun>& runs)
{
    int links = 0;
    for (const MarkupRun& run : runs)
        links += run.kind == MarkupRun::Kind::link ? 1 : 0;
    return links;
}

} // namespace

TEST(WizardRules, ProposesTheInstallersNameCutBeforeItsLastDotAndMakesItUniqueForTheChoice)
{
    struct Row {
        const wchar_t* path;
        const wchar_t* name;
    } const rows[] = {
        {L"C:\\Setups\\setup.exe", L"setup"},
        {L"C:\\Setups\\my.tool.1.2.exe", L"my.tool.1.2"},
        {L"C:\\Setups.d\\noextension", L""},
        {L"setup.exe", L"setup"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ProposedProjectName(row.path), CString(row.name)) << Utf8(row.path);

    ScratchFolder scratch;
    CProjects projects;
    ASSERT_TRUE(CreatePackage(L"setup", scratch.Path(), projects));
    ASSERT_TRUE(CreatePackage(L"Tools", scratch.Path(), projects));
    projects[1].m_projects.Add(Project(L"setup"));
    projects[1].m_projects.Add(Project(L"setup(1)"));
    EXPECT_EQ(MakeUniqueProjectName(L"setup", kNewPackageChoice, projects), CString(L"setup(1)"));
    EXPECT_EQ(MakeUniqueProjectName(L"setup", 1, projects), CString(L"setup")) << "package setup has no projects";
    EXPECT_EQ(MakeUniqueProjectName(L"setup", 2, projects), CString(L"setup(2)"));
    EXPECT_EQ(MakeUniqueProjectName(L"other", 2, projects), CString(L"other"));
}

TEST(WizardRules, TheInstallerReplacesEverythingUnderTempEachTimeTheStartPageIsLeft)
{
    ScratchFolder scratch;
    const CString installer = scratch / L"setup.exe";
    ASSERT_TRUE(WriteAllBytes(installer, std::vector<uint8_t>(1234, 0x4D)));
    ASSERT_TRUE(::SetFileAttributesW(installer, FILE_ATTRIBUTE_READONLY));
    CFeature project = Project(L"setup");
    CFileEntry kept;
    kept.m_kind = CFileEntry::kindRoot;
    kept.m_path = L"ProgramFilesFolder\\";
    project.m_files.Add(kept);

    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(AddInstallerToProject(project, installer), 0u);
        ASSERT_EQ(project.m_files.GetSize(), 3) << "pass " << pass;
        EXPECT_EQ(project.m_files[0].m_path, CString(L"ProgramFilesFolder\\"));
        EXPECT_EQ(project.m_files[1].m_path, CString(L"Temp\\"));
        EXPECT_EQ(project.m_files[1].m_kind, CFileEntry::kindRoot);
        const CFileEntry& file = project.m_files[2];
        EXPECT_EQ(file.m_path, CString(L"Temp\\setup.exe"));
        EXPECT_EQ(file.m_kind, CFileEntry::kindFile);
        EXPECT_EQ(file.m_sourcePath, installer);
        EXPECT_EQ(file.m_fileSize, 1234);
        EXPECT_EQ(file.m_attributes, CFileEntry::attrVital | CFileEntry::attrReadOnly);
        EXPECT_EQ(project.m_installerPath, CString(L"Temp\\setup.exe"));
    }
    ::SetFileAttributesW(installer, FILE_ATTRIBUTE_NORMAL);
}

TEST(WizardRules, Bug_MakerTextIsEscapedSoASetupProgramCannotAddAHyperlink)
{
    // a manifest's description as the fallback maker name, crafted to open a link of its own
    const CString hostile = L"Installer info tag: x</Hyperlink><Hyperlink Tag='http://evil.example/'>Click</Hyperlink>"
                            L" & 'quoted' <b>";
    const std::vector<MarkupRun> header = ParseMarkupRuns(MakeWizardHeaderMarkup(hostile, L""));
    EXPECT_EQ(CountLinks(header), 0) << "an empty web address shows no link, and the name none at all";
    EXPECT_EQ(MarkupPlainText(header), hostile + L" ");

    const std::vector<MarkupRun> withLink =
        ParseMarkupRuns(MakeWizardHeaderMarkup(L"Inno Setup Installer", L"www.jrsoftware.org?a=1&b='2'"));
    ASSERT_EQ(CountLinks(withLink), 1);
    EXPECT_EQ(withLink[1].tag, CString(L"www.jrsoftware.org?a=1&b='2'"));
    EXPECT_EQ(withLink[1].text, CString(L"www.jrsoftware.org?a=1&b='2'"));

    // an error text standing in for the help is text; a recognised maker's help is markup
    const CString error = L"The system cannot find the file <x> & 'y' (0x2)";
    const std::vector<MarkupRun> errorHelp = ParseMarkupRuns(MakeArgsHelpMarkup(L"", L"", error, false));
    EXPECT_EQ(CountLinks(errorHelp), 0);
    EXPECT_NE(MarkupPlainText(errorHelp).Find(error), -1) << Utf8(MarkupPlainText(errorHelp).GetString());
    const std::vector<MarkupRun> help = ParseMarkupRuns(MakeArgsHelpMarkup(
        L"NSIS", L"nsis.sourceforge.io", L"Switches:<LineBreak/><Hyperlink Tag='/S' >/S</Hyperlink> silent", true));
    ASSERT_EQ(CountLinks(help), 2);
    EXPECT_EQ(MarkupPlainText(help), CString(L"NSIS nsis.sourceforge.io\r\nSwitches:\r\n/S silent"));
}

TEST(WizardRules, MarkupTextShowsEntitiesAsTextAndFoldsBlanks)
{
    const std::vector<MarkupRun> runs = ParseMarkupRuns(
        L"<Border>\t\t<TextBlock>a &lt;b&gt;\t &amp;  &apos;c&apos; &quot;d&quot; &#65;&#x42;</TextBlock>\t</Border>");
    EXPECT_EQ(MarkupPlainText(runs), CString(L"a <b> & 'c' \"d\" AB"));
    EXPECT_TRUE(ParseMarkupRuns(L"").empty());
    EXPECT_TRUE(ParseMarkupRuns(L"text outside any block").empty());
    EXPECT_EQ(MarkupPlainText(ParseMarkupRuns(L"<TextBlock>cut <Hyperlink")), CString(L"cut "));
}

TEST(WizardRules, OnlyWebAddressesAreOpenedAndASwitchIsAppendedOnce)
{
    struct TagRow {
        const wchar_t* tag;
        bool web;
    } const tags[] = {
        {L"http://example.org", true},      {L"https://example.org", true}, {L" HTTPS://EXAMPLE.ORG", true},
        {L"www.example.org", true},         {L"/S", false},                 {L"/D=www.example.org", false},
        {L"file://C:/x.exe", false},        {L"C:\\Windows\\notepad.exe", false},
    };
    for (const TagRow& row : tags)
        EXPECT_EQ(IsWebAddressTag(row.tag), row.web) << Utf8(row.tag);

    struct SwitchRow {
        const wchar_t* before;
        const wchar_t* tag;
        const wchar_t* after;
    } const switches[] = {
        {L"", L"/S", L"/S"},
        {L"   ", L" /S ", L"   /S"},
        {L"/VERYSILENT", L"/SP-", L"/VERYSILENT /SP-"},
        {L"/VERYSILENT /SP-", L"/SP-", L"/VERYSILENT /SP-"},
        {L"/SILENT", L"/S", L"/SILENT"},   // already part of a longer switch
    };
    for (const SwitchRow& row : switches) {
        CString arguments = row.before;
        AppendSwitch(arguments, row.tag);
        EXPECT_EQ(arguments, CString(row.after)) << Utf8(row.before) << " + " << Utf8(row.tag);
    }
}

TEST(WizardRules, OutputFileNamesRefuseTheNinePathCharacters)
{
    EXPECT_TRUE(IsValidOutputFileName(L""));
    EXPECT_TRUE(IsValidOutputFileName(L"My Package 1.0.msi"));
    for (const wchar_t* bad : {L"a\\b.msi", L"a/b.msi", L"a*.msi", L"c:x.msi", L"a?.msi", L"\"a\".msi", L"<a>.msi",
                               L"a>b", L"a|b"})
        EXPECT_FALSE(IsValidOutputFileName(bad)) << Utf8(bad);
}

TEST(WizardRules, FinishTextsByMode)
{
    EXPECT_EQ(CString(FinishTextForMode(CFeature::modeGuiScript)),
              CString(L"Click Finish button to create the Project.\nThen You can start the Script recording process by "
                      L"clicking on the Record Script button."));
    EXPECT_EQ(CString(FinishTextForMode(CFeature::modeCommandLine)), CString(L"Click Finish button to create the Project"));
    EXPECT_EQ(FinishTextForMode(CFeature::modeRepackage), nullptr);
}

TEST(WizardRules, Bug_FinishCreatesTheNewPackageUnderTheNameAndFolderFixedAtTheStartPage)
{
    ScratchFolder scratch;
    CProjects projects;
    ASSERT_TRUE(CreatePackage(L"Other", scratch.Path(), projects));
    // the start page's Next made the name unique and a monitoring run filled the folder since
    const CString name = MakeUniquePackageName(L"Tool", projects, scratch.Path());
    ASSERT_EQ(name, CString(L"Tool"));
    const CString folder = NewPackageFolder(scratch.Path() + L"\\\\", name);
    EXPECT_EQ(folder, scratch / L"Tool");
    ASSERT_TRUE(::CreateDirectoryW(folder, nullptr));
    ASSERT_TRUE(WriteAllBytes(folder + L"\\captured.dll", {1, 2, 3}));

    const NewProjectResult added = AddWizardProject(Project(L"Tool"), kNewPackageChoice, scratch.Path(), name, projects);
    ASSERT_TRUE(added.added) << Utf8(added.message.GetString());
    EXPECT_TRUE(added.createdPackage);
    ASSERT_EQ(projects.GetSize(), 2);
    EXPECT_EQ(added.packageIndex, 1);
    EXPECT_EQ(added.projectIndex, 0);
    EXPECT_EQ(projects[1].m_productName, CString(L"Tool")) << "not Tool(1)";
    EXPECT_EQ(projects.m_packagePaths[1], folder + L"\\Tool.tkpj");
    EXPECT_EQ(projects[1].m_outputFolder, folder);
    EXPECT_EQ(projects[1].m_outputFileName, CString(L"Tool.msi"));
    CProjectSettings stored;
    EXPECT_EQ(LoadPackageFile(folder + L"\\Tool.tkpj", stored), 1);
    EXPECT_TRUE(FileExists(folder + L"\\captured.dll"));

    // adding to an existing package appends
    const NewProjectResult second = AddWizardProject(Project(L"Second"), 1, L"ignored", L"", projects);
    ASSERT_TRUE(second.added);
    EXPECT_EQ(second.packageIndex, 0);
    EXPECT_EQ(projects[0].m_projects.GetSize(), 1);
}

TEST(WizardRules, Bug_AFailedPackageAtFinishIsReportedAndAddsNothing)
{
    ScratchFolder scratch;
    CProjects projects;
    ASSERT_TRUE(CreatePackage(L"Taken", scratch.Path(), projects));
    const CString notAFolder = scratch / L"file.txt";
    ASSERT_TRUE(WriteAllBytes(notAFolder, {1}));
    struct Row {
        const char* what;
        CString location;
        CString name;
    } const rows[] = {
        {"a name another package took since", scratch.Path(), L"Taken"},
        {"a location that is a file", notAFolder, L"New"},
        {"a name that cannot be a folder", scratch.Path(), L"a:b"},
        {"a folder that holds another package file", scratch.Path(), L"Holder"},
    };
    ASSERT_TRUE(::CreateDirectoryW(scratch / L"Holder", nullptr));
    ASSERT_TRUE(WriteAllBytes(scratch / L"Holder\\Holder.tkpj", {1}));
    for (const Row& row : rows) {
        const NewProjectResult result = AddWizardProject(Project(L"p"), kNewPackageChoice, row.location, row.name, projects);
        EXPECT_FALSE(result.added) << row.what;
        EXPECT_FALSE(result.message.IsEmpty()) << row.what;
        EXPECT_EQ(projects.GetSize(), 1) << row.what;
        EXPECT_EQ(projects.m_packagePaths.GetSize(), 1) << row.what;
    }
    const NewProjectResult gone = AddWizardProject(Project(L"p"), 5, L"", L"", projects);
    EXPECT_FALSE(gone.added);
    EXPECT_FALSE(gone.message.IsEmpty());
}

TEST(ActionsMenu, ShowsTheActionsOfTheSelectedNodeAndIsRebuiltEachTimeItOpens)
{
    HMENU actions = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACTIONS_MENU));
    ASSERT_NE(actions, nullptr);
    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuW(popup, MF_STRING, ID_NO_ACTIONS, L"No Actions");
    ASSERT_TRUE(IsActionsPopup(popup));

    const auto ids = [&] {
        std::vector<UINT> found;
        for (int i = 0; i < ::GetMenuItemCount(popup); ++i)
            found.push_back(::GetMenuItemID(popup, i));
        return found;
    };
    struct Row {
        const char* what;
        TreeSelection selection;
        std::vector<UINT> items;
    } const rows[] = {
        {"package", {true, MakeNodeData(NodeKind::package, 0, 0)},
         {ID_BUILD_PACKAGE, ID_OPEN_IN_EXPLORER, 0, ID_DELETE_ITEM}},
        {"project", {true, MakeNodeData(NodeKind::project, 0, 0)},
         {ID_BUILD_PACKAGE, ID_OPEN_IN_EXPLORER, 0, ID_DELETE_ITEM}},
        {"registry", {true, MakeNodeData(NodeKind::registry, 0, 0)}, {ID_BUILD_PACKAGE}},
        {"registry again", {true, MakeNodeData(NodeKind::registry, 0, 0)}, {ID_BUILD_PACKAGE}},
        {"nothing", {}, {ID_NO_ACTIONS}},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(IsActionsPopup(popup)) << row.what;
        ASSERT_TRUE(FillActionsPopup(popup, actions, row.selection));
        EXPECT_EQ(ids(), row.items) << row.what;
    }
    wchar_t text[64] = L"";
    ::GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"No Actions");
    FillActionsPopup(popup, actions, {true, MakeNodeData(NodeKind::project, 0, 0)});
    ::GetMenuStringW(popup, 3, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&Delete Project");

    HMENU file = ::CreatePopupMenu();
    ::AppendMenuW(file, MF_STRING, ID_NEW_PROJECT, L"Add New &Project...");
    EXPECT_FALSE(IsActionsPopup(file)) << "another menu is left alone";
    ::DestroyMenu(file);
    ::DestroyMenu(popup);
    ::DestroyMenu(actions);
}

TEST(BuildRules, TheDebugOptionShowsOnlyForScriptOrCommandLineProjects)
{
    CProjectSettings package;
    EXPECT_FALSE(PackageShowsDebugOption(package));
    package.m_projects.Add(Project(L"a", CFeature::modeRepackage));
    EXPECT_FALSE(PackageShowsDebugOption(package));
    package.m_projects.Add(Project(L"b", CFeature::modeCommandLine));
    EXPECT_TRUE(PackageShowsDebugOption(package));
    package.m_projects[1].m_conversionMode = CFeature::modeGuiScript;
    EXPECT_TRUE(PackageShowsDebugOption(package));
}
