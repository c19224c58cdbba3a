// Built packages install and uninstall with Windows Installer (Wine's msiexec): files with the
// same bytes in two system folders, registry values of every type under HKCU and HKLM, a
// shortcut, and the custom actions of the stand-in library, visible in the installer's log; in
// both media layouts. Every msiexec call runs under a time-out.

#include "E2EPackage.h"
#include "SavedPackageList.h"
#include "InstallerRun.h"
#include "tests/support/RecordingOutput.h"

#include "engine/files/Globals.h"
#include "engine/files/PathHelpers.h"
#include "engine/files/WideBuffer.h"
#include "engine/storage/Projects.h"
#include "framework/Handle.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

using namespace installtest;
using testsupport::FixturePath;
using testsupport::ScratchFolder;

struct InstallCase {
    const char* name;
    int packageFiles;
    bool wrapped;
    const wchar_t* productCode;
    // The custom-action library beside the tests instead of the stand-in: it reads the package
    // back from its settings resource.
    bool realLibrary = false;
};

void PrintTo(const InstallCase& c, std::ostream* os) { *os << c.name; }

class InstallTest : public ::testing::TestWithParam<InstallCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CopyFileW(testsupport::ModuleFolder() + L"\\schema.bin", m_program / L"schema.bin", FALSE));
        const CString library = GetParam().realLibrary ? testsupport::ModuleFolder() + L"\\velt.bin"
                                                       : FixturePath(L"msi-velt-standin.dll");
        if (GetParam().realLibrary && !testsupport::FileExists(library))
            GTEST_SKIP() << "no velt.bin beside the tests";
        ASSERT_TRUE(CopyFileW(library, m_program / L"velt.bin", FALSE));
        m_package = e2e::MakePackage(m_sources.Path(), m_output.Path(), GetParam().packageFiles, GetParam().wrapped,
                                     GetParam().productCode, FixturePath(L"msi-iconic.exe"));
    }

    // Where each file of the package must land, with its source.
    std::vector<std::pair<CString, CString>> ExpectedFiles() const
    {
        const CString app = KnownFolder(CSIDL_PROGRAM_FILESX86) + L"\\" + e2e::kAppFolder; // an "Intel" package
        const CString data = KnownFolder(CSIDL_APPDATA) + L"\\" + e2e::kAppFolder;
        std::vector<std::pair<CString, CString>> files;
        for (const CFeature& project : m_package.m_projects) {
            for (const CFileEntry& entry : project.m_files) {
                if (entry.m_kind != CFileEntry::kindFile)
                    continue;
                CString installed = entry.m_path;
                if (installed.Replace(L"ProgramFilesFolder\\Tarnwick E2E", app) == 0 &&
                    installed.Replace(L"AppDataFolder\\Tarnwick E2E", data) == 0)
                    installed.Replace(L"Temp\\", KnownFolder(CSIDL_WINDOWS) + L"\\Temp\\" + project.m_id + L"\\");
                files.emplace_back(installed, entry.m_sourcePath);
            }
        }
        return files;
    }

    bool ShortcutExists() const
    {
        const CString name = CString(L"\\") + e2e::kShortcutName + L".lnk";
        return testsupport::FileExists(KnownFolder(CSIDL_PROGRAMS) + name) ||
               testsupport::FileExists(KnownFolder(CSIDL_COMMON_PROGRAMS) + name);
    }

    ScratchFolder m_program;
    ScratchFolder m_sources;
    ScratchFolder m_output;
    CProjectSettings m_package;
};

TEST_P(InstallTest, InstallsAndRemovesEverything)
{
    RecordingOutput output;
    ASSERT_EQ(0, e2e::Build(m_package, m_program.Path() + L"\\", output))
        << (output.lines.empty() ? "" : output.lines.back());
    const CString package = m_output / L"e2e.msi";
    const CString installLog = m_output / L"install.log";
    // Lists replace what was there, whatever its type: none of these strings may stay.
    static const wchar_t oldList[] = L"old\0single\0";
    ASSERT_EQ(0, RegSetKeyValueW(HKEY_CURRENT_USER, e2e::kRegistryKey, L"Single", REG_MULTI_SZ, oldList, sizeof(oldList)));
    ASSERT_EQ(0, RegSetKeyValueW(HKEY_CURRENT_USER, e2e::kRegistryKey, L"HashList", REG_SZ, L"old", 8));
    DWORD exitCode = 0;
    ASSERT_TRUE(RunMsiexec(L"/i \"" + package + L"\" /qn /l*v \"" + installLog + L"\"", exitCode));
    ASSERT_EQ(0u, exitCode) << "msiexec /i; log:\n" << ReadLog(installLog).substr(0, 20000);

    const auto files = ExpectedFiles();
    for (const auto& [installed, source] : files) {
        std::vector<uint8_t> expected, actual;
        ASSERT_TRUE(testsupport::ReadAllBytes(source, expected));
        EXPECT_TRUE(testsupport::ReadAllBytes(installed, actual))
            << testsupport::Utf8(installed.View()) << " is missing";
        EXPECT_TRUE(expected == actual) << testsupport::Utf8(installed.View()) << ": " << actual.size()
                                        << " bytes, expected " << expected.size();
    }
    const struct {
        const char* name;
        HKEY root;
        REGSAM view;
    } hives[] = {{"HKCU", HKEY_CURRENT_USER, 0}, {"HKLM (32-bit view)", HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY}};
    for (const auto& hive : hives) {
        for (const e2e::RegistryCase& value : e2e::RegistryCases()) {
            const RegistryValue actual = ReadValue(hive.root, e2e::kRegistryKey, hive.view, value.name);
            EXPECT_EQ(value.registryType, actual.type)
                << hive.name << " value '" << testsupport::Utf8(value.name) << "'";
            EXPECT_EQ(testsupport::Hex(value.data), testsupport::Hex(actual.data))
                << hive.name << " value '" << testsupport::Utf8(value.name) << "'";
        }
    }
    // Recorded in the 32-bit view by its path, and written there once, not inside it again.
    const RegistryValue node = ReadValue(HKEY_LOCAL_MACHINE, e2e::kRegistryKey, KEY_WOW64_32KEY, e2e::kNodeValueName);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), node.type) << "the Wow6432Node value is not in the 32-bit view";
    EXPECT_EQ(testsupport::Hex(std::vector<uint8_t>{'3', 0, '2', 0, '-', 0, 'b', 0, 'i', 0, 't', 0}),
              testsupport::Hex(node.data));
    // Where Wine's installer puts a 32-bit component's literal node: inside the 32-bit view again.
    EXPECT_EQ(0u, ReadValue(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Wow6432Node\\Tarnwick E2E", KEY_WOW64_64KEY,
                            e2e::kNodeValueName).type)
        << "the 32-bit view's node was looked up inside the 32-bit view";
    EXPECT_TRUE(ShortcutExists()) << "no " << testsupport::Utf8(e2e::kShortcutName) << ".lnk in the programs menu";
    const std::string log = ReadLog(installLog);
    if (GetParam().realLibrary) {
        // The library names the process before it reads its settings; then a failure to read
        // them would be logged.
        EXPECT_NE(std::string::npos, log.find("-->Tarnwick Log: Init install process '"))
            << "the custom action did not run; log:\n" << log.substr(0, 20000);
        EXPECT_EQ(std::string::npos, log.find("Loading settings failed")) << "the library could not read the package";
    } else {
        EXPECT_NE(std::string::npos, log.find("-->Tarnwick Log: stand-in INSTALLAction0 called, settings "))
            << "the custom action did not run; log:\n" << log.substr(0, 20000);
        EXPECT_EQ(std::string::npos, log.find("settings 0 bytes")) << "the stored library lacks its settings";
    }

    const CString removeLog = m_output / L"remove.log";
    ASSERT_TRUE(RunMsiexec(L"/x \"" + package + L"\" /qn /l*v \"" + removeLog + L"\"", exitCode));
    ASSERT_EQ(0u, exitCode) << "msiexec /x; log:\n" << ReadLog(removeLog).substr(0, 20000);
    for (const auto& file : files)
        EXPECT_FALSE(testsupport::FileExists(file.first)) << testsupport::Utf8(file.first.View()) << " stayed";
    for (const auto& hive : hives) {
        for (const e2e::RegistryCase& value : e2e::RegistryCases())
            EXPECT_EQ(0u, ReadValue(hive.root, e2e::kRegistryKey, hive.view, value.name).type)
                << hive.name << " value '" << testsupport::Utf8(value.name) << "' stayed";
    }
    EXPECT_EQ(0u, ReadValue(HKEY_LOCAL_MACHINE, e2e::kRegistryKey, KEY_WOW64_32KEY, e2e::kNodeValueName).type)
        << "the Wow6432Node value stayed";
    EXPECT_FALSE(ShortcutExists()) << "the shortcut stayed";
    const bool uninstallRan =
        ReadLog(removeLog).find("-->Tarnwick Log: stand-in UNINSTALLAction called") != std::string::npos;
    EXPECT_EQ(GetParam().wrapped, uninstallRan) << "a package calls UNINSTALLAction exactly when it wraps a project";
}

INSTANTIATE_TEST_SUITE_P(Layouts, InstallTest, ::testing::Values(
    InstallCase{"cabinet", CProjectSettings::filesInCabinet, false, L"{5C0F3A11-7B2D-4C8E-9F10-2A3B4C5D6E01}"},
    InstallCase{"loose_with_wrapped_project", CProjectSettings::filesLoose, true,
                L"{5C0F3A11-7B2D-4C8E-9F10-2A3B4C5D6E02}"},
    InstallCase{"cabinet_with_the_library", CProjectSettings::filesInCabinet, false,
                L"{5C0F3A11-7B2D-4C8E-9F10-2A3B4C5D6E05}", true}),
    [](const ::testing::TestParamInfo<InstallCase>& info) { return std::string(info.param.name); });

// An administrative installation point whose files sit in the package's cabinet: msiexec /a
// unpacks them into a source tree beside a copy of the package.
TEST(AdministrativeInstall, CabinetPointUnpacksItsFiles)
{
    ScratchFolder program, sources, output, point;
    ASSERT_TRUE(CopyFileW(testsupport::ModuleFolder() + L"\\schema.bin", program / L"schema.bin", FALSE));
    ASSERT_TRUE(CopyFileW(FixturePath(L"msi-velt-standin.dll"), program / L"velt.bin", FALSE));
    CProjectSettings package = e2e::MakePackage(sources.Path(), output.Path(), CProjectSettings::filesInCabinet, false,
                                                L"{5C0F3A11-7B2D-4C8E-9F10-2A3B4C5D6E04}", FixturePath(L"msi-iconic.exe"));
    package.m_deploymentMethod = CProjectSettings::deployAdministrativeImage;
    RecordingOutput lines;
    ASSERT_EQ(0, e2e::Build(package, program.Path() + L"\\", lines))
        << (lines.lines.empty() ? "" : lines.lines.back());
    const CString log = output / L"admin.log";
    DWORD exitCode = 0;
    ASSERT_TRUE(RunMsiexec(L"/a \"" + (output / L"e2e.msi") + L"\" /qn TARGETDIR=\"" + point.Path() + L"\" /l*v \"" + log +
                               L"\"", exitCode));
    // Wine 8's msiexec starts the ADMIN action but runs no action of its sequence and answers
    // 1626; Windows unpacks the point.
    if (exitCode == ERROR_FUNCTION_NOT_CALLED && ReadLog(log).find("InstallFiles") == std::string::npos)
        GTEST_SKIP() << "this msiexec performs no administrative installation (1626)";
    ASSERT_EQ(0u, exitCode) << "msiexec /a; log:\n" << ReadLog(log).substr(0, 20000);
    const CFileEntry& readme = package.m_projects[0].m_files[7];
    ASSERT_EQ(CString(L"ProgramFilesFolder\\Tarnwick E2E\\read me.txt"), readme.m_path);
    std::vector<uint8_t> expected, actual;
    ASSERT_TRUE(testsupport::ReadAllBytes(readme.m_sourcePath, expected));
    EXPECT_TRUE(testsupport::ReadAllBytes(point / L"ProgramFilesFolder\\Tarnwick E2E\\read me.txt", actual))
        << "the file is not in the administrative point";
    EXPECT_TRUE(expected == actual);
}

std::string AllLines(const RecordingOutput& output)
{
    std::string text;
    for (const std::string& line : output.lines)
        text += line + "\n";
    return text;
}

// A repackaged project keeps its captured files in the package's folder, with no source path of
// their own. Built into an output folder elsewhere, as the user may choose, the package must still
// take them from the package's folder (the default of the builder, found through the package
// list), in either layout, and install them.
TEST(RepackagedElsewhere, FilesComeFromThePackageFolderWhateverTheOutputFolder)
{
    const struct {
        const wchar_t* name;
        int packageFiles;
        const wchar_t* productCode;
    } layouts[] = {
        {L"cabinet", CProjectSettings::filesInCabinet, L"{5C0F3A11-7B2D-4C8E-9F10-2A3B4C5D6E06}"},
        {L"loose", CProjectSettings::filesLoose, L"{5C0F3A11-7B2D-4C8E-9F10-2A3B4C5D6E07}"},
    };
    ScratchFolder program;
    ASSERT_TRUE(CopyFileW(testsupport::ModuleFolder() + L"\\schema.bin", program / L"schema.bin", FALSE));
    ASSERT_TRUE(CopyFileW(FixturePath(L"msi-velt-standin.dll"), program / L"velt.bin", FALSE));
    SavedPackageList saved;

    for (const auto& layout : layouts) {
        SCOPED_TRACE(testsupport::Utf8(layout.name));
        ScratchFolder packages, output;
        CString appFolder;
        appFolder.Format(L"TarnwickElsewhere-%lu-%s", GetCurrentProcessId(), layout.name);
        const CString treePath = L"AppDataFolder\\" + appFolder + L"\\captured.txt";
        const CString installed = KnownFolder(CSIDL_APPDATA) + L"\\" + appFolder + L"\\captured.txt";
        const std::vector<uint8_t> content = {'c', 'a', 'p', 't', 'u', 'r', 'e', 'd'};

        // The package as the editor has it: created in its own folder, then given a captured
        // project whose file the monitor emptied into that folder, and another output folder.
        Projects = CProjects();
        ASSERT_TRUE(CreatePackage(L"Elsewhere", packages.Path(), Projects));
        const CString packageFolder = GetFolderPart(Projects.m_packagePaths[0]);
        CProjectSettings& listed = Projects[0];
        listed.m_productCode = layout.productCode;
        listed.m_packageFiles = layout.packageFiles;
        listed.m_outputFolder = output.Path();
        CFeature project;
        project.m_name = L"Captured";
        project.m_conversionMode = CFeature::modeRepackage;
        CFileEntry root, folder, file;
        root.m_kind = CFileEntry::kindRoot;
        root.m_path = L"AppDataFolder\\";
        folder.m_kind = CFileEntry::kindFolder;
        folder.m_path = L"AppDataFolder\\" + appFolder + L"\\";
        file.m_kind = CFileEntry::kindFile;
        file.m_path = treePath;
        file.m_fileSize = static_cast<int>(content.size());
        project.m_files.Add(root);
        project.m_files.Add(folder);
        project.m_files.Add(file);
        listed.m_projects.Add(project);
        ASSERT_EQ(0u, CreateDirectoryTree(GetFolderPart(packageFolder + L"\\" + treePath)));
        ASSERT_TRUE(testsupport::WriteAllBytes(packageFolder + L"\\" + treePath, content));
        CurrentPackageIndex = 0;

        // The build thread builds from a copy of the selected package.
        CProjectSettings copy = Projects[CurrentPackageIndex];
        RecordingOutput lines;
        ASSERT_EQ(0, e2e::Build(copy, program.Path() + L"\\", lines)) << AllLines(lines);

        const CString msi = output / copy.m_outputFileName;
        const CString installLog = output / L"install.log";
        DWORD exitCode = 0;
        ASSERT_TRUE(RunMsiexec(L"/i \"" + msi + L"\" /qn /l*v \"" + installLog + L"\"", exitCode));
        EXPECT_EQ(0u, exitCode) << "msiexec /i; log:\n" << ReadLog(installLog).substr(0, 20000);
        std::vector<uint8_t> actual;
        EXPECT_TRUE(testsupport::ReadAllBytes(installed, actual)) << testsupport::Utf8(installed.View()) << " is missing";
        EXPECT_TRUE(content == actual) << testsupport::Utf8(installed.View()) << ": " << actual.size() << " bytes";

        const CString removeLog = output / L"remove.log";
        ASSERT_TRUE(RunMsiexec(L"/x \"" + msi + L"\" /qn /l*v \"" + removeLog + L"\"", exitCode));
        EXPECT_EQ(0u, exitCode) << "msiexec /x; log:\n" << ReadLog(removeLog).substr(0, 20000);
        EXPECT_FALSE(testsupport::FileExists(installed)) << testsupport::Utf8(installed.View()) << " stayed";
        testsupport::RemoveTree(KnownFolder(CSIDL_APPDATA) + L"\\" + appFolder);
    }
}

} // namespace
