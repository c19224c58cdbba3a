// The exports of velt.bin, each test on its own copy of the library carrying its own package, called
// with a real installer handle; the log lines come back through an external user-interface handler.
// The copies run with the product's waits (a 4-second pause before each replay).

#include "customaction/UninstallAction.h"
#include "tests/customaction/VeltTestSupport.h"
#include "tests/engine/replay/SetupProgramRun.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace velttest;
using testsupport::FileExists;

namespace {

// The names the installer calls, and nothing more.
TEST(VeltExports, TheLibraryExportsExactlyTheElevenActions)
{
    UniqueModule module(LoadLibraryExW(VeltPath(), nullptr, DONT_RESOLVE_DLL_REFERENCES));
    ASSERT_TRUE(module.IsValid()) << "velt.bin did not load: " << GetLastError();
    const auto* base = reinterpret_cast<const BYTE*>(module.Get());
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(0u, directory.VirtualAddress) << "velt.bin has no export table";
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::vector<std::string> listed;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        listed.push_back(reinterpret_cast<const char*>(base + names[i]));
    const std::vector<std::string> expected = {
        "INSTALLAction0", "INSTALLAction1", "INSTALLAction2", "INSTALLAction3", "INSTALLAction4", "INSTALLAction5",
        "INSTALLAction6", "INSTALLAction7", "INSTALLAction8", "INSTALLAction9", "UNINSTALLAction",
    };
    EXPECT_EQ(expected, listed);
    EXPECT_EQ(expected.size(), exports->NumberOfFunctions) << "exports without a name";
}

class Exports : public ::testing::Test {
protected:
    // Arguments that make the setup program write its result into the scratch folder and end.
    CString SilentTo(const wchar_t* resultName) const
    {
        CString arguments;
        arguments.Format(L"/silent /result:\"%s\"", (m_scratch / resultName).GetString());
        return arguments;
    }

    replaytest::DesktopLock m_desktop;
    testsupport::ScratchFolder m_scratch;
    InstallerSession m_session;
};

TEST_F(Exports, EachInstallExportRunsItsOwnWrappedProject)
{
    CProjectSettings package;
    package.m_productName = L"Wrapped";
    CFeature repackaged = SetupProject(L"Repack", CFeature::modeRepackage, SilentTo(L"Repack.txt"));
    CFeature blank = SetupProject(L"Blank", CFeature::modeGuiScript, SilentTo(L"Blank.txt"));
    PlacedSetupProgram placedBlank(blank);
    blank.m_installerPath = L"   ";
    package.m_projects.Add(repackaged);
    package.m_projects.Add(SetupProject(L"Gui One", CFeature::modeGuiScript, SilentTo(L"Gui One.txt")));
    package.m_projects.Add(blank);
    package.m_projects.Add(SetupProject(L"Command Two", CFeature::modeCommandLine, SilentTo(L"Command Two.txt")));
    package.m_projects.Add(SetupProject(L"Gui Three", CFeature::modeGuiScript, SilentTo(L"Gui Three.txt")));
    std::vector<std::unique_ptr<PlacedSetupProgram>> placed;
    for (const CFeature& project : package.m_projects) {
        if (&project != &package.m_projects[2])
            placed.push_back(std::make_unique<PlacedSetupProgram>(project));
    }
    VeltLibrary velt(VeltWithPackage(m_scratch.Path(), &package));
    ASSERT_TRUE(velt.Loaded());

    const wchar_t* const expected[] = {L"Gui One.txt", L"Command Two.txt", L"Gui Three.txt"};
    for (int number = 0; number < 3; ++number) {
        ASSERT_EQ(0u, velt.Install(number, m_session.Handle())) << "INSTALLAction" << number << m_session.LogText();
        for (int other = 0; other < 3; ++other)
            EXPECT_EQ(other <= number, FileExists(m_scratch / expected[other]))
                << "after INSTALLAction" << number << ": " << testsupport::Utf8(expected[other]);
    }
    // A bare path with a space reaches the program whole.
    Result first = ReadResultFile(m_scratch / L"Gui One.txt");
    EXPECT_EQ(0u, first["commandline"].find("\"" + testsupport::Utf8(placed[1]->Path().View()) + "\" /silent"))
        << first["commandline"];
    EXPECT_EQ("msitmp", first["desktop"]);

    ASSERT_EQ(0u, velt.Install(3, m_session.Handle()));
    EXPECT_FALSE(FileExists(m_scratch / L"Repack.txt")) << "a repackaged project ran";
    EXPECT_FALSE(FileExists(m_scratch / L"Blank.txt")) << "a project with a blank path ran";

    const std::vector<CString> lines = m_session.LogLines();
    ASSERT_FALSE(lines.empty());
    // The first call of the process shows the new package's name, later ones the loaded name.
    EXPECT_EQ("Init install process 'New package'.", testsupport::Utf8(lines.front().View()));
    EXPECT_TRUE(m_session.Logged(L"Init install process 'Wrapped'.")) << m_session.LogText();
    EXPECT_EQ("Install process 'Wrapped' is completed successfully.", testsupport::Utf8(lines.back().View()));
    // A silent run registers nothing, so no command is kept.
    CString warning;
    warning.Format(L"Warning: Uninstall String for '%s' was not detected. The uninstall process will failed.",
                   package.m_projects[3].m_installerPath.GetString());
    EXPECT_TRUE(m_session.Logged(warning)) << m_session.LogText();
}

TEST_F(Exports, CustomActionDataReplacesTheStoredArguments)
{
    CProjectSettings package;
    package.m_projects.Add(SetupProject(L"Setup", CFeature::modeCommandLine, SilentTo(L"stored.txt")));
    PlacedSetupProgram placed(package.m_projects[0]);
    VeltLibrary velt(VeltWithPackage(m_scratch.Path(), &package));
    m_session.SetCustomActionData(SilentTo(L"override.txt"));

    ASSERT_EQ(0u, velt.Install(0, m_session.Handle())) << m_session.LogText();
    EXPECT_TRUE(FileExists(m_scratch / L"override.txt"));
    EXPECT_FALSE(FileExists(m_scratch / L"stored.txt"));
}

TEST_F(Exports, APackageWithoutWrappedProjectsRunsNothingAtInstallOrRemoval)
{
    CProjectSettings package;
    package.m_productName = L"Repackaged";
    package.m_projects.Add(SetupProject(L"Repack", CFeature::modeRepackage, SilentTo(L"Repack.txt")));
    package.m_projects.Add(SetupProject(L"Blank", CFeature::modeCommandLine, SilentTo(L"Blank.txt")));
    package.m_projects[1].m_installerPath = L" \t ";
    VeltLibrary velt(VeltWithPackage(m_scratch.Path(), &package));

    EXPECT_EQ(0u, velt.Install(0, m_session.Handle()));
    EXPECT_EQ(0u, velt.Uninstall(m_session.Handle()));
    // Projects that wrap no setup program never have a kept command: the removal passes them over
    // without a warning.
    const std::vector<CString> lines = m_session.LogLines();
    ASSERT_EQ(3u, lines.size()) << m_session.LogText();
    EXPECT_EQ("Init install process 'New package'.", testsupport::Utf8(lines[0].View()));
    EXPECT_EQ("Init Uninstall process 'Repackaged'.", testsupport::Utf8(lines[1].View()));
    EXPECT_EQ("Uninstall process 'Repackaged' is completed successfully.", testsupport::Utf8(lines[2].View()));
}

// Temporary files that a settings copy would leave behind.
int CountTemporaryCopies()
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW(CString(folder) + L"0*.tmp", &data));
    int count = 0;
    if (find) {
        do
            ++count;
        while (FindNextFileW(find.Get(), &data));
    }
    return count;
}

TEST_F(Exports, SettingsThatCannotBeReadFailTheInstallAndLeaveNoCopy)
{
    const struct {
        const char* name;
        bool resource;
        std::vector<uint8_t> bytes;
    } rows[] = {
        {"no settings resource", false, {}},
        {"not a package file", true, std::vector<uint8_t>(300, 0x5A)},
    };
    for (const auto& row : rows) {
        testsupport::ScratchFolder folder;
        const int copiesBefore = CountTemporaryCopies();
        VeltLibrary velt(row.resource ? VeltWithBytes(folder.Path(), row.bytes) : VeltWithPackage(folder.Path(), nullptr));
        InstallerSession session;
        EXPECT_EQ(1603u, velt.Install(0, session.Handle())) << row.name;
        EXPECT_EQ(0u, velt.Uninstall(session.Handle())) << row.name << ": a removal must not be blocked";
        const std::vector<CString> lines = session.LogLines();
        ASSERT_EQ(4u, lines.size()) << row.name << session.LogText();
        int code = -1;
        EXPECT_EQ(1, swscanf(lines[1], L"Loading settings failed: Error %d Install script is aborted.", &code))
            << testsupport::Utf8(lines[1].View());
        EXPECT_NE(0, code) << row.name << ": a failed read was reported as error 0";
        CString uninstallLine;
        uninstallLine.Format(L"Loading settings failed: Error %d Uninstall script is aborted.", code);
        EXPECT_EQ(testsupport::Utf8(uninstallLine.View()), testsupport::Utf8(lines[3].View()));
        EXPECT_EQ(copiesBefore, CountTemporaryCopies()) << row.name << ": the settings copy was left behind";
    }
}

TEST_F(Exports, TheKeptUninstallCommandRunsAtRemovalForEveryProjectThatHasOne)
{
    CProjectSettings package;
    package.m_productName = L"Kept";
    const CString app = m_scratch / L"App";
    CString arguments;
    arguments.Format(L"/silent /install:\"%s\" /result:\"%s\"", app.GetString(), (m_scratch / L"install.txt").GetString());
    // The first project never ran, so it has no kept command: the walk must still reach the second.
    package.m_projects.Add(SetupProject(L"Never Run", CFeature::modeGuiScript, SilentTo(L"never.txt")));
    package.m_projects.Add(SetupProject(L"Installer", CFeature::modeCommandLine, arguments));
    const CFeature& installer = package.m_projects[1];
    PlacedSetupProgram placed(installer);
    RemoveSetupTraces(package.m_projects[0].m_id);
    VeltLibrary velt(VeltWithPackage(m_scratch.Path(), &package));

    ASSERT_EQ(0u, velt.Install(1, m_session.Handle())) << m_session.LogText();
    ASSERT_EQ("1", ReadResultFile(m_scratch / L"install.txt")["installed"]);
    CString kept;
    ASSERT_EQ(0, ReadUninstallString(installer.m_id, kept)) << "no command was kept" << m_session.LogText();
    CString expected;
    expected.Format(L"\"%s\\unins000.exe\" /uninstall:\"%s\"", app.GetString(), app.GetString());
    EXPECT_EQ(testsupport::Utf8(expected.View()), testsupport::Utf8(kept.View()));

    // The kept command carries no /result switch: the program then writes the default file.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const CString defaultResult = CString(temp) + L"setupprog-result.txt";
    DeleteFileW(defaultResult);
    EXPECT_EQ(0u, velt.Uninstall(m_session.Handle())) << m_session.LogText();
    // The uninstaller hands its work to a copy of itself, which finishes after the action returned.
    EXPECT_TRUE(testsupport::WaitFor([&] { return ReadResultFile(defaultResult)["uninstalled"] == "1"; }, 30000))
        << m_session.LogText();
    EXPECT_FALSE(FileExists(app)) << "the application folder is still there";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadUninstallString(installer.m_id, kept))
        << "the command ran, yet its key stayed: " << testsupport::Utf8(kept.View());

    CString warning;
    warning.Format(L"Warning: Uninstall String for '%s' is not detected. The uninstall process failed.",
                   package.m_projects[0].m_installerPath.GetString());
    EXPECT_TRUE(m_session.Logged(warning)) << m_session.LogText();
    CString completed;
    completed.Format(L"Uninstall script '%s' is completed successfully.", installer.m_installerPath.GetString());
    EXPECT_TRUE(m_session.Logged(completed)) << m_session.LogText();
    EXPECT_EQ("Uninstall process 'Kept' is completed successfully.",
              testsupport::Utf8(m_session.LogLines().back().View()));
    RemoveSetupTraces(installer.m_id);
    DeleteFileW(defaultResult);
}

// A command that cannot run leaves its key, so that a later removal finds it again; once it can
// run, the key and the keys above it that hold nothing else go.
TEST_F(Exports, AKeptCommandThatCannotRunKeepsItsKeyUntilItRuns)
{
    CProjectSettings package;
    package.m_productName = L"Kept Until Run";
    package.m_projects.Add(SetupProject(L"Gone", CFeature::modeCommandLine, SilentTo(L"gone.txt")));
    const CFeature& project = package.m_projects[0];
    const CString app = m_scratch / L"Missing Folder";
    const CString missing = L"\"" + app + L"\\unins000.exe\" /uninstall:\"" + app + L"\" /result:\"" +
                            (m_scratch / L"uninstall.txt") + L"\"";
    ASSERT_EQ(0, StoreUninstallString(project.m_id, missing));
    VeltLibrary velt(VeltWithPackage(m_scratch.Path(), &package));

    EXPECT_EQ(0u, velt.Uninstall(m_session.Handle())) << m_session.LogText();
    CString kept;
    EXPECT_EQ(0, ReadUninstallString(project.m_id, kept)) << "the key went with a command that never ran"
                                                           << m_session.LogText();
    EXPECT_EQ(testsupport::Utf8(missing.View()), testsupport::Utf8(kept.View()));
    bool aborted = false;
    for (const CString& line : m_session.LogLines())
        aborted = aborted || (line.Left(6) == L"Error " && line.Find(L" Install script aborted.") > 0);
    EXPECT_TRUE(aborted) << m_session.LogText();

    // The uninstaller is there now: this removal runs it and the key goes.
    ASSERT_TRUE(CreateDirectoryW(app, nullptr));
    ASSERT_TRUE(CopyFileW(testsupport::ModuleFolder() + L"\\setupprog.exe", app + L"\\unins000.exe", FALSE));
    const bool othersKept = [] {
        HKEY key = nullptr;
        CString parent = kInstalledProgramKey;
        parent.TrimRight(L'\\');
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, parent, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        DWORD subkeys = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(key);
        return subkeys > 1;
    }();
    EXPECT_EQ(0u, velt.Uninstall(m_session.Handle())) << m_session.LogText();
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadUninstallString(project.m_id, kept)) << m_session.LogText();
    // The uninstaller hands its work to a copy of itself: let that copy finish before the scratch goes.
    EXPECT_TRUE(testsupport::WaitFor([&] { return !FileExists(app); }, 30000)) << "the uninstaller did not run";
    if (!othersKept) {
        HKEY key = nullptr;
        EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Morvalund", 0, KEY_READ, &key))
            << "the library's empty keys stayed";
        if (key)
            RegCloseKey(key);
    }
    testsupport::RemoveTree(app);
}

} // namespace
