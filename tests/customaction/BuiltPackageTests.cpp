// Packages made by the MSI builder around the test setup program, installed and removed by
// msiexec with the custom-action library beside the tests. What the hand-made packages of the
// other tests take for granted is checked here: the builder's Binary, CustomAction and sequence
// rows, the settings resource in its copy of the library, and the setup program installed under
// <Windows>\Temp\<project id>, where the install action looks for it. One package drives the
// setup program's wizard with a recorded script, the other runs it with silent switches.

#include "customaction/UninstallAction.h"
#include "engine/files/WideBuffer.h"
#include "engine/model/GuidText.h"
#include "engine/model/MsgAction.h"
#include "engine/msi/MsiTools.h"
#include "tests/customaction/VeltTestSupport.h"
#include "tests/support/RecordingOutput.h"
#include "tests/engine/msi/PackagePlatformCheck.h"
#include "tests/engine/replay/SetupProgramRun.h"

#include <gtest/gtest.h>

using namespace velttest;
using testsupport::FileExists;

namespace {

// The uninstaller hands its work to a copy of itself and ends; the copy finishes a moment later,
// after msiexec may already have returned.
constexpr DWORD kUninstallerCopyTimeoutMs = 30000;

const wchar_t kTestSetupUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TarnwickTestSetup";

CString Quoted(const CString& text)
{
    return L"\"" + text + L"\"";
}

bool KeyExists(HKEY root, const wchar_t* path, REGSAM view = 0)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Every key path below root\path (one per line), to name what a failed clean-up left behind.
std::string KeyTree(HKEY root, const CString& path, REGSAM view)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return {};
    std::string tree = testsupport::Utf8(path.View()) + "\n";
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        tree += KeyTree(root, path + L"\\" + name, view);
    }
    RegCloseKey(key);
    return tree;
}

constexpr wchar_t kCompanyKey[] = L"SOFTWARE\\Morvalund";

class BuiltPackageTest : public ::testing::Test {
protected:
    BuiltPackageTest()
    {
        m_package.m_productVersion = L"1.0.0";
        m_package.m_productCode = NewGuidString();
        m_package.m_companyName = L"Morvalund Test";
        m_package.m_outputFolder = m_scratch.Path();
        m_package.m_outputFileName = L"wrapped.msi";
        m_package.m_debugMode = 0; // the hidden desktop
        // The test programs share one prefix: a key another program's kept command holds is
        // not ours to expect gone.
        m_companyKeyBefore[0] = KeyExists(HKEY_LOCAL_MACHINE, kCompanyKey, KEY_WOW64_64KEY);
        m_companyKeyBefore[1] = KeyExists(HKEY_LOCAL_MACHINE, kCompanyKey, KEY_WOW64_32KEY);
    }

    ~BuiltPackageTest() override
    {
        RemoveSetupTraces(m_projectId);
        if (!m_programFolder.IsEmpty())
            testsupport::RemoveTree(m_programFolder);
    }

    // Adds the one wrapped project: the test setup program under fileName in the project's
    // "Temp\" tree, as a recorded project keeps its setup program.
    CFeature& AddWrappedProject(int mode, const wchar_t* fileName, const CString& arguments)
    {
        CFeature project;
        project.m_name = L"Wrapped Setup";
        project.m_conversionMode = mode;
        project.m_installerPath = CString(L"Temp\\") + fileName;
        project.m_installerArguments = arguments;
        CFileEntry root;
        root.m_kind = CFileEntry::kindRoot;
        root.m_path = L"Temp\\";
        project.m_files.Add(root);
        CFileEntry setup;
        setup.m_kind = CFileEntry::kindFile;
        setup.m_path = project.m_installerPath;
        setup.m_sourcePath = testsupport::ModuleFolder() + L"\\setupprog.exe";
        // As the project editor reads a file it adds: size, attributes and, for a 64-bit image
        // such as this build's setup program, the 64-bit component bit.
        EXPECT_EQ(0u, setup.ReadFileAttributes()) << "no setupprog.exe beside the tests";
        if (sizeof(void*) == 8) {
            EXPECT_EQ(CFileEntry::component64Bit, setup.m_componentAttributes) << "this build's program is 64-bit";
        }
        project.m_files.Add(setup);

        wchar_t windows[MAX_PATH] = {};
        GetSystemWindowsDirectoryW(windows, MAX_PATH);
        m_programFolder.Format(L"%s\\Temp\\%s", windows, project.m_id.GetString());
        m_program = m_programFolder + L"\\" + fileName;
        m_projectId = project.m_id;
        m_installerPath = project.m_installerPath;
        RemoveSetupTraces(m_projectId);
        m_package.m_projects.Add(project);
        return m_package.m_projects[m_package.m_projects.GetSize() - 1];
    }

    // Builds with schema.bin and velt.bin from the folder of the tests, as the program does from
    // its own folder.
    ::testing::AssertionResult Build()
    {
        RecordingOutput output;
        MsiBuildOptions options;
        options.programFolder = testsupport::ModuleFolder() + L"\\";
        options.output = &output;
        int result = 0;
        {
            CMsiTools builder(&m_package, options); // keeps the database open until it goes
            result = builder.BuildPackage();
        }
        if (result != 0)
            return ::testing::AssertionFailure() << "BuildPackage returned " << result << ", last line: "
                                                 << (output.lines.empty() ? "" : output.lines.back());
        const std::string disagreement = buildtest::CheckComponentPlatform(m_scratch / L"wrapped.msi");
        if (!disagreement.empty())
            return ::testing::AssertionFailure() << disagreement;
        // The setup program lies under the Windows folder: a 32-bit package, whatever its image.
        const std::string platform = buildtest::PackageTemplate(m_scratch / L"wrapped.msi");
        if (platform != "Intel;0")
            return ::testing::AssertionFailure() << "Template " << platform << ", expected Intel;0";
        return ::testing::AssertionSuccess();
    }

    // msiexec /i or /x of the built package; the log's text.
    std::string Run(const wchar_t* verb, const wchar_t* logName)
    {
        const CString log = m_scratch / logName;
        const DWORD exitCode = RunMsiexec(verb, m_scratch / L"wrapped.msi", log);
        const std::string text = ReadInstallerLog(log);
        EXPECT_EQ(0u, exitCode) << "msiexec " << testsupport::Utf8(verb) << "; log:\n" << text.substr(0, 20000);
        return text;
    }

    // Each line must be among the library's log lines.
    static void ExpectLogLines(const std::string& log, std::initializer_list<CString> lines)
    {
        for (const CString& line : lines)
            EXPECT_NE(std::string::npos, log.find("-->Tarnwick Log: " + testsupport::Utf8(line.View())))
                << "missing log line: " << testsupport::Utf8(line.View()) << "\nlog:\n" << log.substr(0, 20000);
    }

    std::string KeptCommand() const
    {
        CString kept;
        const LONG error = ReadUninstallString(m_projectId, kept);
        return error == 0 ? testsupport::Utf8(kept.View()) : "<no kept command, error " + std::to_string(error) + ">";
    }

    // After a removal nothing of the library's may stay in the registry, in either view.
    void ExpectNoKeptKeys() const
    {
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            const char* name = view == KEY_WOW64_64KEY ? "64-bit view" : "32-bit view";
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, CString(kInstalledProgramKey) + m_projectId, view))
                << name << ": the kept command's key stayed";
            const bool before = m_companyKeyBefore[view == KEY_WOW64_64KEY ? 0 : 1];
            if (!before) {
                EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kCompanyKey, view))
                    << name << ": our keys stayed:\n" << KeyTree(HKEY_LOCAL_MACHINE, kCompanyKey, view);
            }
        }
    }

    testsupport::ScratchFolder m_scratch;
    bool m_companyKeyBefore[2] = {}; // 64-bit view, 32-bit view
    CProjectSettings m_package;
    CString m_projectId;
    CString m_installerPath; // as the project keeps it
    CString m_programFolder; // where the package installs the setup program
    CString m_program;
};

TEST_F(BuiltPackageTest, RecordedScriptDrivesTheWizardOnTheHiddenDesktopAndTheKeptCommandRemovesIt)
{
    replaytest::DesktopLock desktop;
    const CString app = m_scratch / L"Gui App";
    const CString resultFile = m_scratch / L"gui.txt";
    m_package.m_productName = L"Built Gui Setup";
    m_package.m_packageFiles = CProjectSettings::filesInCabinet;
    // A repackaged project comes first: the builder's INSTALLAction0 and the library's wrapped
    // project 0 must both skip it, and so must the removal's walk.
    CFeature repackaged;
    repackaged.m_name = L"Repackaged";
    repackaged.m_conversionMode = CFeature::modeRepackage;
    repackaged.m_installerPath = L"C:\\Setups\\repackaged.exe";
    m_package.m_projects.Add(repackaged);
    CFeature& project = AddWrappedProject(CFeature::modeGuiScript, L"Gui Setup.exe",
                                          L"/install:" + Quoted(app) + L" /result:" + Quoted(resultFile));
    // The replay finds the program by its lower-cased file name.
    project.m_installScript.Add(ScriptStep(CMsgAction::kindSetText, CMsgAction::controlEdit, L"gui setup.exe",
                                           L"#32770--1\\edit-0\\-0", L"Jane Doe"));
    for (int page = 0; page < 3; ++page)
        project.m_installScript.Add(ScriptStep(CMsgAction::kindClick, CMsgAction::controlButton, L"gui setup.exe",
                                               L"#32770--1\\button-4\\-0", L"Next >"));
    ASSERT_TRUE(Build());

    const std::string log = Run(L"/i", L"install.log");
    Result result = ReadResultFile(resultFile);
    EXPECT_EQ("msitmp", result["desktop"]);
    EXPECT_EQ("Jane Doe", result["name"]);
    EXPECT_EQ("3", result["clicks.next"]);
    EXPECT_EQ("1", result["installed"]);
    EXPECT_EQ("ended", result["state"]);
    ExpectLogLines(log, {
        L"Install script '" + m_installerPath + L"' is started.",
        L"Set Text Edit 'Jane Doe' =>  ok",
        L"Click Button 'Next >' =>  ok",
        L"Process '" + m_program + L"' is finished with exit code 0",
        L"Install script '" + m_installerPath + L"' is completed successfully.",
        L"Install process 'Built Gui Setup' is completed successfully.",
    });
    const std::string kept = KeptCommand();
    EXPECT_NE(std::string::npos, kept.find(testsupport::Utf8((app + L"\\unins000.exe").View()))) << kept;

    // No uninstall arguments: the kept command runs as the setup program wrote it.
    const std::string removal = Run(L"/x", L"remove.log");
    ExpectLogLines(removal, {
        L"Uninstall script for '" + m_installerPath + L"' is started.",
        L"Uninstall script '" + m_installerPath + L"' is completed successfully.",
        L"Uninstall process 'Built Gui Setup' is completed successfully.",
    });
    EXPECT_TRUE(testsupport::WaitFor([&] { return !FileExists(app); }, kUninstallerCopyTimeoutMs))
        << "the kept uninstall command did not remove " << testsupport::Utf8(app.View()) << "\nlog:\n"
        << removal.substr(0, 20000);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kTestSetupUninstallKey)) << "the setup program's entry stayed";
    EXPECT_FALSE(FileExists(m_program)) << "the package left its setup program behind";
    ExpectNoKeptKeys();
}

TEST_F(BuiltPackageTest, SilentSwitchesRunTheQuotedProgramAndUninstallArgumentsReplaceTheKeptOnes)
{
    replaytest::DesktopLock desktop;
    const CString app = m_scratch / L"Command App";
    const CString resultFile = m_scratch / L"command.txt";
    const CString uninstallFile = m_scratch / L"uninstall.txt";
    const CString arguments = L"/silent /install:" + Quoted(app) + L" /result:" + Quoted(resultFile);
    m_package.m_productName = L"Built Command Setup";
    m_package.m_packageFiles = CProjectSettings::filesLoose;
    CFeature& project = AddWrappedProject(CFeature::modeCommandLine, L"Command Setup.exe", arguments);
    project.m_uninstallArguments = L"/uninstall:" + Quoted(app) + L" /silent /result:" + Quoted(uninstallFile);
    ASSERT_TRUE(Build());
    // A program named after the path's first word lies beside the setup program: an unquoted
    // command line would start it instead (Wine quotes a path it had to search for, so only this
    // shows the missing quotes).
    ASSERT_EQ(0u, CreateDirectoryTree(m_programFolder));
    ASSERT_TRUE(CopyFileW(testsupport::ModuleFolder() + L"\\setupprog.exe", m_programFolder + L"\\Command.exe", FALSE));

    const std::string log = Run(L"/i", L"install.log");
    Result result = ReadResultFile(resultFile);
    EXPECT_EQ("msitmp", result["desktop"]);
    // The path has a space, so it goes in quotes, the switches after it.
    EXPECT_EQ(testsupport::Utf8((Quoted(m_program) + L" " + arguments).View()), result["commandline"]);
    std::string workingFolder = result["workingfolder"];
    if (!workingFolder.empty() && workingFolder.back() == '\\')
        workingFolder.pop_back();
    EXPECT_EQ(testsupport::Utf8(m_programFolder.View()), workingFolder);
    EXPECT_EQ("1", result["installed"]);
    ExpectLogLines(log, {
        L"Install script '" + m_installerPath + L"' is started.",
        L"Process '" + m_program + L"' is finished with exit code 0",
        L"Install process 'Built Command Setup' is completed successfully.",
    });
    EXPECT_EQ(std::string::npos, log.find("=>  ")) << "a project without a script replayed steps";
    const std::string kept = KeptCommand();
    EXPECT_NE(std::string::npos, kept.find(testsupport::Utf8((app + L"\\unins000.exe").View()))) << kept;

    const std::string removal = Run(L"/x", L"remove.log");
    ExpectLogLines(removal, {
        L"Uninstall script '" + m_installerPath + L"' is completed successfully.",
        L"Uninstall process 'Built Command Setup' is completed successfully.",
    });
    // Only the uninstall arguments name this result file: the uninstaller recording there shows
    // that they replaced the ones in the kept command.
    Result removed;
    EXPECT_TRUE(testsupport::WaitFor([&] {
        removed = ReadResultFile(uninstallFile);
        return removed["state"] == "ended";
    }, kUninstallerCopyTimeoutMs)) << "the uninstaller did not record its end\nlog:\n" << removal.substr(0, 20000);
    EXPECT_EQ("1", removed["uninstalled"]);
    EXPECT_FALSE(FileExists(app)) << testsupport::Utf8(app.View()) << " stayed";
    EXPECT_FALSE(FileExists(m_program)) << "the package left its setup program behind";
    ExpectNoKeptKeys();
}

} // namespace
