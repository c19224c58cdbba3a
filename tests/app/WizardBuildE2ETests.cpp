// The road of one build through the program's own windows: a first start opens the new-project
// wizard, which takes a copy of the test setup program through the real file dialog; the build
// dialog builds the package; Windows Installer installs it (the custom-action library runs the
// setup program with the typed switches) and removes it again.

#include "engine/model/Feature.h"
#include "engine/storage/Projects.h"

#include "tests/customaction/VeltTestSupport.h"
#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <msi.h>
#include <msiquery.h>
#include <prsht.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

constexpr UINT kBuildCommand = 32784;
constexpr wchar_t kWizardPageCaption[] = L"Tarnwick - New Project";
constexpr wchar_t kMessageCaption[] = L"Tarnwick Professional";
// The uninstaller hands its work to a copy of itself and ends; the copy finishes a moment later.
constexpr DWORD kUninstallerCopyTimeoutMs = 30000;

CString Quoted(const CString& text)
{
    return L"\"" + text + L"\"";
}






// The rows of the package's CustomAction table: "Action|Source|Target".
std::vector<std::string> CustomActionRows(const CString& package)
{
    std::vector<std::string> rows;
    MSIHANDLE database = 0;
    if (::MsiOpenDatabaseW(package, MSIDBOPEN_READONLY, &database) != ERROR_SUCCESS)
        return rows;
    MSIHANDLE view = 0;
    if (::MsiDatabaseOpenViewW(database, L"SELECT `Action`, `Source`, `Target` FROM `CustomAction`", &view) ==
            ERROR_SUCCESS &&
        ::MsiViewExecute(view, 0) == ERROR_SUCCESS) {
        MSIHANDLE record = 0;
        while (::MsiViewFetch(view, &record) == ERROR_SUCCESS) {
            std::string row;
            for (UINT field = 1; field <= 3; ++field) {
                wchar_t text[512] = L"";
                DWORD size = 512;
                ::MsiRecordGetStringW(record, field, text, &size);
                row += (field > 1 ? "|" : "") + Utf8(text);
            }
            rows.push_back(row);
            ::MsiCloseHandle(record);
        }
    }
    if (view)
        ::MsiCloseHandle(view);
    ::MsiCloseHandle(database);
    return rows;
}

// "msiinfo export <package> CustomAction" run on the Linux side through the shell (Wine starts
// Unix programs given by their path); false when msitools or Wine's path conversion is missing,
// with the exported text otherwise.
bool MsiinfoCustomActions(const CString& package, const CString& outputFile, std::string& text)
{
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix || !FileExists(L"Z:\\usr\\bin\\msiinfo"))
        return false;
    const auto unixPath = [&](const CString& path) {
        std::string converted;
        if (char* name = toUnix(path)) {
            converted = name;
            ::HeapFree(::GetProcessHeap(), 0, name);
        }
        return converted;
    };
    const std::string script =
        "msiinfo export '" + unixPath(package) + "' CustomAction > '" + unixPath(outputFile) + "' 2>&1";
    std::wstring line = L"Z:\\bin\\sh -c \"" + std::wstring(script.begin(), script.end()) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    ::WaitForSingleObject(process.hProcess, 60000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    std::vector<uint8_t> bytes;
    WaitFor([&] { return ReadAllBytes(outputFile, bytes) && !bytes.empty(); }, 10000);
    text.assign(bytes.begin(), bytes.end());
    return true;
}

} // namespace

TEST(WizardBuildRoad, FirstStartWizardBuildsInstallsAndRemovesTheSetupProgram)
{
    ASSERT_TRUE(AppDriver::ResetDataFolder());
    ScratchFolder scratch;
    const CString setup = scratch / L"mysetup.exe";
    ASSERT_TRUE(::CopyFileW(ModuleFolder() + L"\\setupprog.exe", setup, FALSE));
    const CString app = scratch / L"Road App";
    const CString resultFile = scratch / L"installed.txt";
    const CString uninstallFile = scratch / L"removed.txt";
    const CString installArguments = L"/silent /install:" + Quoted(app) + L" /result:" + Quoted(resultFile);
    const CString uninstallArguments = L"/uninstall:" + Quoted(app) + L" /silent /result:" + Quoted(uninstallFile);
    const CString output = scratch / L"out";
    ASSERT_TRUE(::CreateDirectoryW(output, nullptr));

    AppDriver program;
    ASSERT_TRUE(program.Start());
    // an empty list: the wizard comes before the main window
    HWND sheet = program.WaitForTopLevel({L"#32770", kWizardPageCaption, -1}, 60000);
    ASSERT_NE(sheet, nullptr) << "the first start showed no wizard";
    EXPECT_TRUE(program.TopLevelWindows().size() == 1) << "the main window showed before the wizard ended";

    // the start page: browse to the setup program through the file dialog
    HWND browse = WaitForControl(sheet, 1024);
    ASSERT_NE(browse, nullptr);
    ASSERT_TRUE(program.BrowseForFile(sheet, browse, setup));
    HWND name = Control(sheet, 1068);
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(WaitFor([&] { return WindowText(name) == L"mysetup"; }, 30000))
        << "proposed name: " << Utf8(WindowText(name));
    EXPECT_EQ(WindowText(Control(sheet, 1069)), setup.GetString());

    // the mode page: the command line
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_NEXT));
    HWND commandLine = WaitForControl(sheet, 1089);
    ASSERT_NE(commandLine, nullptr) << "the mode page did not come";
    EXPECT_TRUE(::IsWindowEnabled(Control(sheet, 1088))) << "the wizard has its monitor page";
    ASSERT_TRUE(Click(commandLine));
    ASSERT_TRUE(WaitFor([&] { return ::SendMessageW(commandLine, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 20000));

    // the parameters page
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_NEXT));
    HWND install = WaitForControl(sheet, 1002);
    ASSERT_NE(install, nullptr) << "the parameters page did not come";
    ASSERT_TRUE(SetText(install, installArguments));
    ASSERT_TRUE(SetText(Control(sheet, 1003), uninstallArguments));
    EXPECT_FALSE(::IsWindowEnabled(Control(sheet, 1004))) << "the test program's maker is not known";

    // the finish page, then Finish
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_NEXT));
    HWND finish = WaitForControl(sheet, 1091);
    ASSERT_NE(finish, nullptr) << "the finish page did not come";
    EXPECT_EQ(WindowText(finish), L"Click Finish button to create the Project");
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_FINISH));
    ::PostMessageW(sheet, WM_NULL, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 60000)) << "Finish did not end the wizard";

    HWND main = program.WaitForMainWindow(nullptr, 60000);
    ASSERT_NE(main, nullptr);
    HWND tree = FindDescendant(main, {L"SysTreeView32", nullptr, -1});
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(ReadTreeItems(tree), (std::vector<std::wstring>{L"mysetup", L"  mysetup", L"    Files", L"    Registry",
                                                               L"    Install Script", L"    Uninstall Script"}));
    EXPECT_TRUE(WaitFor([&] { return ReadSelectedTreeItem(tree) == L"Install Script"; }, 20000))
        << Utf8(ReadSelectedTreeItem(tree));

    CProjects saved;
    ASSERT_TRUE(LoadDataFile(AppDriver::DataFolder() + L"\\tarnwick.dat", saved));
    ASSERT_EQ(saved.GetSize(), 1);
    ASSERT_EQ(saved[0].m_projects.GetSize(), 1);
    const CFeature& project = saved[0].m_projects[0];
    EXPECT_EQ(Utf8(saved.m_packagePaths[0].GetString()),
              Utf8((AppDriver::DataFolder() + L"\\mysetup\\mysetup.tkpj").GetString()));
    EXPECT_EQ(project.m_conversionMode, CFeature::modeCommandLine);
    EXPECT_EQ(Utf8(project.m_installerPath.GetString()), "Temp\\mysetup.exe");
    EXPECT_EQ(Utf8(project.m_installerArguments.GetString()), Utf8(installArguments.GetString()));
    const CString projectId = project.m_id;
    wchar_t windows[MAX_PATH] = L"";
    ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    CString programFolder;
    programFolder.Format(L"%s\\Temp\\%s", windows, projectId.GetString());
    velttest::RemoveSetupTraces(projectId);

    // the build dialog: a missing output folder keeps it open and builds nothing
    ASSERT_TRUE(program.PostCommand(kBuildCommand));
    HWND build = program.WaitForTopLevel({L"#32770", L"Build mysetup", -1}, 30000);
    ASSERT_NE(build, nullptr) << "no build dialog";
    const CString missing = scratch / L"missing";
    ASSERT_TRUE(SetText(Control(build, 1036), missing));
    ASSERT_TRUE(Click(Control(build, IDOK)));
    HWND box = program.WaitForMessageBox(kMessageCaption, 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), L"Invalid Output Didectory path");
    ASSERT_TRUE(AppDriver::PressButton(box, IDOK));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box); }, 20000));
    EXPECT_TRUE(::IsWindowVisible(build)) << "the dialog closed on a missing folder";
    EXPECT_FALSE(FileExists(missing));

    // then a real folder, in setup file
    ASSERT_TRUE(SetText(Control(build, 1036), output + L"\\\\"));
    ::SendMessageW(Control(build, 1035), CB_SETCURSEL, 0, 0);
    ASSERT_TRUE(Click(Control(build, IDOK)));
    box = program.WaitForMessageBox(kMessageCaption, 180000);
    ASSERT_NE(box, nullptr) << "no build result";
    EXPECT_EQ(MessageBoxText(box), L"MSI package was created successfully!");
    HWND list = FindDescendant(main, {L"ListBox", nullptr, -1});
    ASSERT_NE(list, nullptr);
    const std::vector<std::wstring> lines = ReadListBoxItems(list);
    ASSERT_FALSE(lines.empty());
    for (const std::wstring& line : lines)
        EXPECT_EQ(line.rfind(L"> ", 0), 0u) << Utf8(line);
    // the build thread runs until its result box is answered: closing is refused meanwhile
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    HWND refusal = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND window : program.TopLevelWindows())
            if (window != box && MessageBoxText(window).find(L"A package is being built") != std::wstring::npos)
                refusal = window;
        return refusal != nullptr;
    }, 30000)) << "closing during the build was not refused";
    ASSERT_TRUE(AppDriver::PressButton(refusal, IDOK));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(refusal); }, 20000));
    EXPECT_TRUE(program.IsRunning());
    ASSERT_TRUE(AppDriver::PressButton(box, IDOK));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(box); }, 20000));

    const CString package = output + L"\\mysetup.msi";
    ASSERT_TRUE(FileExists(package));
    const std::vector<std::string> actions = CustomActionRows(package);
    bool callsInstall = false;
    for (const std::string& row : actions)
        callsInstall = callsInstall || row.find("|INSTALLAction0") != std::string::npos;
    EXPECT_TRUE(callsInstall) << "no custom action calls INSTALLAction0";
    std::string exported;
    if (MsiinfoCustomActions(package, scratch / L"customactions.txt", exported))
        EXPECT_NE(exported.find("INSTALLAction0"), std::string::npos) << "msiinfo:\n" << exported;
    else
        ADD_FAILURE() << "msiinfo could not be run from the test";

    // install and remove with the system's installer
    const DWORD installed = velttest::RunMsiexec(L"/i", package, scratch / L"install.log");
    EXPECT_EQ(installed, 0u) << velttest::ReadInstallerLog(scratch / L"install.log").substr(0, 20000);
    replaytest::Result result = replaytest::ReadResultFile(resultFile);
    EXPECT_EQ(result["installed"], "1");
    EXPECT_TRUE(FileExists(app)) << "the setup program installed nothing";
    EXPECT_TRUE(FileExists(programFolder + L"\\mysetup.exe")) << "the package did not carry the setup program";

    const DWORD removed = velttest::RunMsiexec(L"/x", package, scratch / L"remove.log");
    EXPECT_EQ(removed, 0u) << velttest::ReadInstallerLog(scratch / L"remove.log").substr(0, 20000);
    replaytest::Result removal;
    EXPECT_TRUE(WaitFor([&] {
        removal = replaytest::ReadResultFile(uninstallFile);
        return removal["state"] == "ended";
    }, kUninstallerCopyTimeoutMs)) << "the uninstaller did not record its end";
    EXPECT_EQ(removal["uninstalled"], "1");
    EXPECT_TRUE(WaitFor([&] { return !FileExists(app); }, kUninstallerCopyTimeoutMs)) << "the setup's files stayed";
    EXPECT_FALSE(FileExists(programFolder + L"\\mysetup.exe")) << "the package left the setup program behind";

    velttest::RemoveSetupTraces(projectId);
    EXPECT_TRUE(program.Close());
}
