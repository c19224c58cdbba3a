// Defaults, copies and look-ups of the package records.

#include "engine/model/ProjectSettings.h"

#include "tests/engine/model/ModelTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace {

using modeltest::Bytes;

TEST(RecordDefaults, NewPackage)
{
    const CProjectSettings package;
    EXPECT_EQ(CString(L"New package"), package.m_productName);
    EXPECT_EQ(CString(L"1.0.0"), package.m_productVersion);
    EXPECT_EQ(38, package.m_productCode.GetLength()) << testsupport::Utf8(package.m_productCode.View());
    EXPECT_EQ(CString(L"Company Name"), package.m_companyName);
    EXPECT_EQ(CString(L"New package.msi"), package.m_outputFileName);
    EXPECT_TRUE(package.m_outputFolder.IsEmpty());
    EXPECT_EQ(0, package.m_perUser + package.m_noRegistration + package.m_hidden + package.m_debugMode);
    EXPECT_EQ(CProjectSettings::filesInCabinet, package.m_packageFiles);
    EXPECT_EQ(CProjectSettings::deploySetupPackage, package.m_deploymentMethod);
    EXPECT_EQ(0, package.m_projects.GetSize());
    for (BYTE b : package.m_reserved)
        EXPECT_EQ(0, b);
    EXPECT_NE(package.m_productCode, CProjectSettings().m_productCode);
}

TEST(RecordDefaults, NewProjectAndEntries)
{
    const CFeature project;
    EXPECT_EQ(38, project.m_id.GetLength()) << testsupport::Utf8(project.m_id.View());
    EXPECT_EQ(L'{', project.m_id[0]);
    EXPECT_EQ(CFeature::modeGuiScript, project.m_conversionMode);
    EXPECT_EQ(0, project.m_files.GetSize() + project.m_customActions.GetSize() + project.m_installScript.GetSize() +
                     project.m_uninstallScript.GetSize());

    const CFileEntry file;
    EXPECT_EQ(32, file.m_id.GetLength()) << testsupport::Utf8(file.m_id.View());
    EXPECT_EQ(CFileEntry::kindNone, file.m_kind);
    EXPECT_EQ(512, file.m_attributes);
    EXPECT_EQ(0, file.m_componentAttributes + file.m_fileSize + file.m_iconIndex + file.m_reservedInt);

    const CRegistryEntry value;
    EXPECT_EQ(32, value.m_id.GetLength()) << testsupport::Utf8(value.m_id.View());
    EXPECT_EQ(0, value.m_keyOptions + value.m_valueType + value.m_taken);

    const CMsgAction step;
    EXPECT_EQ(CMsgAction::kindClick, step.m_kind);
    EXPECT_EQ(1, step.m_delay);
    EXPECT_EQ(0, step.m_continueOnFailure + step.m_controlType + step.m_controlId + step.m_point.x + step.m_point.y);
    EXPECT_EQ(0, step.m_windowRect.left + step.m_windowRect.top + step.m_windowRect.right + step.m_windowRect.bottom);
}

TEST(RecordDefaults, CustomActionIntegersStartAtZero)
{
    // Heap memory left dirty by an earlier record must not show through a new one.
    alignas(CCustomAction) unsigned char storage[sizeof(CCustomAction)];
    std::memset(storage, 0xCD, sizeof(storage));
    CCustomAction* action = new (storage) CCustomAction; // default-initialised, as a record made by new is
    EXPECT_EQ(0, action->m_firstInt);
    EXPECT_EQ(0, action->m_secondInt);
    action->~CCustomAction();
}

TEST(RecordDefaults, NewRegistryListHoldsTheFiveRoots)
{
    const CRegistryEntries roots;
    ASSERT_EQ(5, roots.GetSize());
    const wchar_t* expected[] = {L"HKEY_CLASSES_ROOT\\", L"HKEY_CURRENT_USER\\", L"HKEY_LOCAL_MACHINE\\",
                                 L"HKEY_USERS\\", L"Per User/Machine Hive\\"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(CString(expected[i]), roots[i].m_keyPath);
        EXPECT_EQ(CRegistryEntry::kindRoot, roots[i].m_kind);
        EXPECT_EQ(roots[0].m_id, roots[i].m_id) << "the roots are copies of one prototype";
    }
    EXPECT_EQ(32, roots[0].m_id.GetLength());
    // Key look-ups only see keys: the root records never answer, under any spelling.
    for (const wchar_t* path : {L"HKEY_CLASSES_ROOT\\", L"HKEY_CLASSES_ROOT", L"hkey_users\\"})
        EXPECT_EQ(nullptr, roots.FindKey(path)) << testsupport::Utf8(path);
}

TEST(RecordCopies, CopiesAreDeepAndSelfAssignmentKeepsTheRecord)
{
    CProjectSettings package;
    CFeature project;
    project.m_name = L"One";
    CFileEntry file;
    file.m_path = L"ProgramFilesFolder\\a.txt";
    project.m_files.Add(file);
    CMsgAction step;
    step.m_result = L"Passed";
    project.m_installScript.Add(step);
    package.m_projects.Add(project);

    CProjectSettings copy(package);
    copy.m_projects[0].m_files[0].m_path = L"changed";
    copy.m_projects[0].m_name = L"Two";
    EXPECT_EQ(CString(L"ProgramFilesFolder\\a.txt"), package.m_projects[0].m_files[0].m_path);
    EXPECT_EQ(CString(L"One"), package.m_projects[0].m_name);
    EXPECT_EQ(package.m_productCode, copy.m_productCode);
    EXPECT_EQ(CString(L"Passed"), copy.m_projects[0].m_installScript[0].m_result) << "a copy keeps the result";

    CProjectSettings assigned;
    assigned = copy;
    EXPECT_EQ(CString(L"Two"), assigned.m_projects[0].m_name);
    EXPECT_EQ(copy.m_productCode, assigned.m_productCode);

    CProjectSettings& self = assigned;
    assigned = self;
    ASSERT_EQ(1, assigned.m_projects.GetSize());
    EXPECT_EQ(CString(L"changed"), assigned.m_projects[0].m_files[0].m_path);

    CRegistryEntry value;
    value.m_taken = 1;
    CRegistryEntry copiedValue(value);
    EXPECT_EQ(1, copiedValue.m_taken) << "the taken flag travels with copies";
    EXPECT_EQ(value.m_id, copiedValue.m_id);
}

// The one rule for the projects whose setup program the custom-action library runs: the builder
// numbers its install actions by it and the library's export n finds wrapped project n by it.
TEST(WrappedProjects, NotRepackagedAndWithASetupProgramPath)
{
    const struct {
        const char* name;
        int mode;
        const wchar_t* installerPath;
        bool wrapped;
    } cases[] = {
        {"GUI script with a program", CFeature::modeGuiScript, L"Temp\\setup.exe", true},
        {"command line with a program", CFeature::modeCommandLine, L"Temp\\setup.exe", true},
        {"program path padded with blanks", CFeature::modeCommandLine, L"  Temp\\setup.exe\t", true},
        {"repackaged, even with a program", CFeature::modeRepackage, L"Temp\\setup.exe", false},
        {"GUI script without a program", CFeature::modeGuiScript, L"", false},
        {"GUI script whose program path is blanks", CFeature::modeGuiScript, L" \t ", false},
    };
    CFeatures projects;
    for (const auto& c : cases) {
        CFeature project;
        project.m_name = c.name;
        project.m_conversionMode = c.mode;
        project.m_installerPath = c.installerPath;
        EXPECT_EQ(c.wrapped, IsWrappedProject(project)) << c.name;
        projects.Add(project);
    }
    EXPECT_EQ(3, CountWrappedProjects(projects));
    EXPECT_EQ(0, FindWrappedProject(projects, 0));
    EXPECT_EQ(1, FindWrappedProject(projects, 1));
    EXPECT_EQ(2, FindWrappedProject(projects, 2));
    EXPECT_EQ(-1, FindWrappedProject(projects, 3));
    EXPECT_EQ(-1, FindWrappedProject(projects, -1));
    EXPECT_EQ(0, CountWrappedProjects(CFeatures()));

    // Numbers count wrapped projects only: one after an unwrapped project keeps number 0.
    CFeatures mixed;
    mixed.Add(projects[3]);
    mixed.Add(projects[4]);
    mixed.Add(projects[1]);
    EXPECT_EQ(2, FindWrappedProject(mixed, 0));
    EXPECT_EQ(-1, FindWrappedProject(mixed, 1));
}

// The editor's "last shown" texts of a project's two trees live in its lists: copies of the
// project (the build thread builds from one) carry them, the package file never does.
TEST(LastShownTexts, TravelWithCopiesButNeverIntoTheFile)
{
    CFeature project;
    project.m_files.Add(CFileEntry());
    const Bytes plainBytes = modeltest::Store(project);

    project.m_files.m_lastShownFolder = L"ProgramFilesFolder\\App\\";
    project.m_registry.m_lastShownKeyPath = L"HKEY_CURRENT_USER\\Software\\Vendor\\";
    EXPECT_EQ(plainBytes, modeltest::Store(project)) << "a last-shown text reached the stored form";

    CFeature copied(project);
    EXPECT_EQ(CString(L"ProgramFilesFolder\\App\\"), copied.m_files.m_lastShownFolder);
    EXPECT_EQ(CString(L"HKEY_CURRENT_USER\\Software\\Vendor\\"), copied.m_registry.m_lastShownKeyPath);
    CProjectSettings package;
    package.m_projects.Add(project);
    CProjectSettings assigned;
    assigned = package;
    EXPECT_EQ(CString(L"ProgramFilesFolder\\App\\"), assigned.m_projects[0].m_files.m_lastShownFolder);
    EXPECT_EQ(CString(L"HKEY_CURRENT_USER\\Software\\Vendor\\"),
              assigned.m_projects[0].m_registry.m_lastShownKeyPath);
    // A copy is a copy: changing it leaves the original as it was.
    copied.m_files.m_lastShownFolder = L"AppDataFolder\\";
    EXPECT_EQ(CString(L"ProgramFilesFolder\\App\\"), project.m_files.m_lastShownFolder);
    CFileEntries& files = project.m_files;
    files = std::as_const(files);
    EXPECT_EQ(CString(L"ProgramFilesFolder\\App\\"), project.m_files.m_lastShownFolder) << "self-assignment";

    // New lists start empty; lists loaded from a file hold no editor state, even when loaded
    // into lists that had some.
    EXPECT_TRUE(CFileEntries().m_lastShownFolder.IsEmpty());
    EXPECT_TRUE(CRegistryEntries().m_lastShownKeyPath.IsEmpty());
    CFeature loaded(project);
    ASSERT_NO_THROW(modeltest::Load(loaded, plainBytes));
    EXPECT_TRUE(loaded.m_files.m_lastShownFolder.IsEmpty());
    EXPECT_TRUE(loaded.m_registry.m_lastShownKeyPath.IsEmpty());
    EXPECT_EQ(1, loaded.m_files.GetSize());
}

TEST(MakeUniqueName, TriesNameThenCountersExactly)
{
    struct Case { std::vector<const wchar_t*> existing; const wchar_t* proposed; const wchar_t* expected; };
    const Case cases[] = {
        {{}, L"Setup", L"Setup"},
        {{L"Setup", L"Setup(1)"}, L"Setup", L"Setup(2)"},
        {{L"Setup", L"Setup(1)"}, L"setup", L"setup"},
        {{L"Setup", L"Setup(2)"}, L"Setup", L"Setup(1)"},
        {{L"Setup(1)"}, L"Setup", L"Setup"},
        {{L"", L"(1)"}, L"", L"(2)"},
        {{L"A", L"A(1)", L"A(2)", L"A(3)", L"A(4)", L"A(5)", L"A(6)", L"A(7)", L"A(8)", L"A(9)"}, L"A", L"A(10)"},
    };
    for (const Case& c : cases) {
        CFeatures projects;
        for (const wchar_t* name : c.existing) {
            CFeature project;
            project.m_name = name;
            projects.Add(project);
        }
        EXPECT_EQ(CString(c.expected), projects.MakeUniqueName(c.proposed))
            << "proposed " << testsupport::Utf8(c.proposed) << " among " << c.existing.size() << " projects";
    }
}

CFileEntries FileTree(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> pathsAndSources)
{
    CFileEntries files;
    for (const auto& [path, source] : pathsAndSources) {
        CFileEntry entry;
        entry.m_path = path;
        entry.m_sourcePath = source;
        files.Add(entry);
    }
    return files;
}

std::vector<CString> Paths(const CFileEntries& files)
{
    std::vector<CString> paths;
    for (const CFileEntry& entry : files)
        paths.push_back(entry.m_path);
    return paths;
}

TEST(FileEntries, FindsByPathAndSourceIgnoringCase)
{
    CFileEntries files = FileTree({
        {L"ProgramFilesFolder\\App\\", L""},
        {L"ProgramFilesFolder\\App\\app.exe", L"C:\\Src\\App.exe"},
        {L"ProgramFilesFolder\\App\\APP.EXE", L"C:\\Other\\app.exe"},
    });
    EXPECT_EQ(&files[1], files.FindByPath(L"programfilesfolder\\app\\App.Exe")) << "the first of two matches";
    EXPECT_EQ(nullptr, files.FindByPath(L"ProgramFilesFolder\\App"));
    EXPECT_EQ(&files[1], files.FindBySourcePath(L"c:\\src\\app.exe"));
    EXPECT_EQ(CString(L"ProgramFilesFolder\\App\\app.exe"), files.GetPathBySourcePath(L"C:\\SRC\\APP.EXE"));
    EXPECT_TRUE(files.GetPathBySourcePath(L"C:\\none.exe").IsEmpty());
    // an empty source path finds the first entry without one
    EXPECT_EQ(&files[0], files.FindBySourcePath(L""));
}

TEST(FileEntries, SourcePathsComeFromTheBaseFolderTheCallerGives)
{
    CFileEntries files = FileTree({
        {L"ProgramFilesFolder\\App\\stored.dll", L"D:\\build\\stored.dll"},
        {L"ProgramFilesFolder\\App\\copied.dll", L""},
    });
    const CString packageFolder = L"C:\\Packages\\Demo";
    // Same base: the list and the entry agree.
    EXPECT_EQ(CString(L"C:\\Packages\\Demo\\ProgramFilesFolder\\App\\copied.dll"),
              files.GetSourcePathOf(L"ProgramFilesFolder\\App\\copied.dll", packageFolder));
    EXPECT_EQ(files.GetSourcePathOf(L"ProgramFilesFolder\\App\\copied.dll", packageFolder),
              files[1].GetSourcePath(packageFolder));
    // Another output folder: only the entries without a stored source move.
    EXPECT_EQ(CString(L"E:\\Out\\ProgramFilesFolder\\App\\copied.dll"),
              files.GetSourcePathOf(L"ProgramFilesFolder\\App\\copied.dll", L"E:\\Out"));
    EXPECT_EQ(CString(L"D:\\build\\stored.dll"), files.GetSourcePathOf(L"programfilesfolder\\app\\STORED.dll", L"E:\\Out"));
    EXPECT_EQ(CString(L"D:\\build\\stored.dll"), files[0].GetSourcePath(packageFolder));
    EXPECT_TRUE(files.GetSourcePathOf(L"ProgramFilesFolder\\App\\missing.dll", packageFolder).IsEmpty());
}

TEST(FileEntries, FindPathSuffixMatchesTheEndOfThePath)
{
    CFileEntries files = FileTree({
        {L"ProgramFilesFolder\\Tools\\app.exe.config", L""},
        {L"ProgramFilesFolder\\svc.exe.d\\svc.exe", L""},
        {L"ProgramFilesFolder\\App\\App.exe", L""},
        {L"ProgramFilesFolder\\Bin\\app.exe", L""},
    });
    EXPECT_EQ(&files[2], files.FindPathSuffix(L"APP\\app.EXE"));
    EXPECT_EQ(&files[2], files.FindPathSuffix(L"app.exe")) << "the config file holds the text, but not at its end";
    EXPECT_EQ(&files[3], files.FindPathSuffix(L"Bin\\app.exe"));
    // the text also appears earlier in the path: only the end counts
    EXPECT_EQ(&files[1], files.FindPathSuffix(L"SVC.exe"));
    EXPECT_EQ(nullptr, files.FindPathSuffix(L"setup.exe"));
    EXPECT_EQ(nullptr, files.FindPathSuffix(L"x\\ProgramFilesFolder\\App\\App.exe")) << "longer than every path";
}

TEST(FileEntries, RemoveUnderPathStopsAtPathBoundaries)
{
    struct Case { const wchar_t* path; std::vector<CString> survivors; };
    const Case cases[] = {
        // "App" must not take "Apple": the prefix only counts at a backslash.
        {L"ProgramFilesFolder\\App", {L"ProgramFilesFolder\\Apple\\y.dll", L"ProgramFilesFolder\\Other", L"Temp\\", L"Temp\\setup.exe"}},
        {L"ProgramFilesFolder\\App\\", {L"ProgramFilesFolder\\Apple\\y.dll", L"ProgramFilesFolder\\Other", L"Temp\\", L"Temp\\setup.exe"}},
        {L"temp\\", {L"ProgramFilesFolder\\App", L"programfilesfolder\\app\\x.dll", L"ProgramFilesFolder\\App\\Sub\\z.dll",
                     L"ProgramFilesFolder\\Apple\\y.dll", L"ProgramFilesFolder\\Other"}},
        {L"ProgramFilesFolder", {L"Temp\\", L"Temp\\setup.exe"}},
        {L"", {L"ProgramFilesFolder\\App", L"programfilesfolder\\app\\x.dll", L"ProgramFilesFolder\\App\\Sub\\z.dll",
               L"ProgramFilesFolder\\Apple\\y.dll", L"ProgramFilesFolder\\Other", L"Temp\\", L"Temp\\setup.exe"}},
    };
    for (const Case& c : cases) {
        CFileEntries files = FileTree({
            {L"ProgramFilesFolder\\App", L""},
            {L"programfilesfolder\\app\\x.dll", L""},
            {L"ProgramFilesFolder\\App\\Sub\\z.dll", L""},
            {L"ProgramFilesFolder\\Apple\\y.dll", L""},
            {L"ProgramFilesFolder\\Other", L""},
            {L"Temp\\", L""},
            {L"Temp\\setup.exe", L""},
        });
        files.RemoveUnderPath(c.path);
        EXPECT_EQ(c.survivors, Paths(files)) << "removing under \"" << testsupport::Utf8(c.path) << "\"";
    }
}

CRegistryEntry Record(int kind, const wchar_t* keyPath, const wchar_t* valueName = L"")
{
    CRegistryEntry entry;
    entry.m_kind = kind;
    entry.m_keyPath = keyPath;
    entry.m_valueName = valueName;
    return entry;
}

TEST(RegistryEntries, FindsKeysAndValuesIgnoringCase)
{
    CRegistryEntries registry;
    registry.Add(Record(CRegistryEntry::kindValue, L"HKEY_CURRENT_USER\\Software\\App", L"Path"));
    registry.Add(Record(CRegistryEntry::kindKey, L"HKEY_CURRENT_USER\\Software\\App"));
    registry.Add(Record(CRegistryEntry::kindValue, L"HKEY_CURRENT_USER\\Software\\App", L""));

    EXPECT_EQ(&registry[6], registry.FindKey(L"hkey_current_user\\SOFTWARE\\app")) << "values are not keys";
    EXPECT_EQ(&registry[5], registry.FindValue(L"HKEY_CURRENT_USER\\software\\App", L"PATH"));
    EXPECT_EQ(&registry[7], registry.FindValue(L"HKEY_CURRENT_USER\\Software\\App", L"")) << "the default value";
    EXPECT_EQ(nullptr, registry.FindValue(L"HKEY_CURRENT_USER\\Software\\App", L"Missing"));
    EXPECT_EQ(nullptr, registry.FindValue(L"HKEY_CURRENT_USER\\Software", L"Path"));
}

TEST(RegistryEntries, RemoveValueTakesEveryMatchingValueOnly)
{
    CRegistryEntries registry;
    registry.Add(Record(CRegistryEntry::kindValue, L"HKEY_CURRENT_USER\\Software\\App", L"Path"));
    registry.Add(Record(CRegistryEntry::kindValue, L"hkey_current_user\\software\\app", L"path"));
    registry.Add(Record(CRegistryEntry::kindKey, L"HKEY_CURRENT_USER\\Software\\App", L"Path"));
    registry.Add(Record(CRegistryEntry::kindValue, L"HKEY_CURRENT_USER\\Software\\App", L"Other"));

    EXPECT_TRUE(registry.RemoveValue(L"HKEY_CURRENT_USER\\Software\\App", L"Path"));
    ASSERT_EQ(7, registry.GetSize());
    EXPECT_EQ(CRegistryEntry::kindKey, registry[5].m_kind);
    EXPECT_EQ(CString(L"Other"), registry[6].m_valueName);
    EXPECT_FALSE(registry.RemoveValue(L"HKEY_CURRENT_USER\\Software\\App", L"Path"));
}

TEST(RegistryEntries, RemoveKeyTreeStopsAtKeyBoundaries)
{
    struct Case { const wchar_t* keyPath; bool removed; std::vector<CString> survivors; };
    const CString roots[] = {L"HKEY_CLASSES_ROOT\\", L"HKEY_CURRENT_USER\\", L"HKEY_LOCAL_MACHINE\\", L"HKEY_USERS\\",
                             L"Per User/Machine Hive\\"};
    const auto withRoots = [&](std::vector<CString> rest) {
        std::vector<CString> all(std::begin(roots), std::end(roots));
        all.insert(all.end(), rest.begin(), rest.end());
        return all;
    };
    const Case cases[] = {
        {L"HKEY_LOCAL_MACHINE\\Software\\App", true, withRoots({L"HKEY_LOCAL_MACHINE\\Software\\Apple", L"HKEY_LOCAL_MACHINE\\Software"})},
        {L"hkey_local_machine\\software\\app\\", true, withRoots({L"HKEY_LOCAL_MACHINE\\Software\\Apple", L"HKEY_LOCAL_MACHINE\\Software"})},
        {L"HKEY_LOCAL_MACHINE\\Software\\App\\Sub", true,
         withRoots({L"HKEY_LOCAL_MACHINE\\Software\\App", L"HKEY_LOCAL_MACHINE\\Software\\App", L"HKEY_LOCAL_MACHINE\\Software\\Apple",
                    L"HKEY_LOCAL_MACHINE\\Software"})},
        {L"HKEY_LOCAL_MACHINE\\Software\\Ap", false,
         withRoots({L"HKEY_LOCAL_MACHINE\\Software\\App", L"HKEY_LOCAL_MACHINE\\Software\\App", L"HKEY_LOCAL_MACHINE\\Software\\App\\Sub",
                    L"HKEY_LOCAL_MACHINE\\Software\\Apple", L"HKEY_LOCAL_MACHINE\\Software"})},
        {L"", false,
         withRoots({L"HKEY_LOCAL_MACHINE\\Software\\App", L"HKEY_LOCAL_MACHINE\\Software\\App", L"HKEY_LOCAL_MACHINE\\Software\\App\\Sub",
                    L"HKEY_LOCAL_MACHINE\\Software\\Apple", L"HKEY_LOCAL_MACHINE\\Software"})},
    };
    for (const Case& c : cases) {
        CRegistryEntries registry;
        registry.Add(Record(CRegistryEntry::kindKey, L"HKEY_LOCAL_MACHINE\\Software\\App"));
        registry.Add(Record(CRegistryEntry::kindValue, L"HKEY_LOCAL_MACHINE\\Software\\App", L"v"));
        registry.Add(Record(CRegistryEntry::kindKey, L"HKEY_LOCAL_MACHINE\\Software\\App\\Sub"));
        registry.Add(Record(CRegistryEntry::kindKey, L"HKEY_LOCAL_MACHINE\\Software\\Apple"));
        registry.Add(Record(CRegistryEntry::kindKey, L"HKEY_LOCAL_MACHINE\\Software"));

        EXPECT_EQ(c.removed, registry.RemoveKeyTree(c.keyPath)) << testsupport::Utf8(c.keyPath);
        std::vector<CString> survivors;
        for (const CRegistryEntry& entry : registry)
            survivors.push_back(entry.m_keyPath);
        EXPECT_EQ(c.survivors, survivors) << "removing the tree of \"" << testsupport::Utf8(c.keyPath) << "\"";
    }
}

} // namespace
