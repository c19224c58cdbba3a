// The repackaging road through the program's own windows: monitoring filters for the noise of the
// machine go in through the settings sheet, then the new-project wizard's monitor page runs the
// test setup program (which takes its switches from the environment it inherits, since the
// monitor starts it bare), and Finish lists the project with the captured files and values, the
// files copied into the package folder that the start page named.

#include "engine/storage/Projects.h"

#include "resources/app/AppResource.h"

#include "tests/customaction/VeltTestSupport.h"
#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/setupprog/SetupProgIds.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

constexpr wchar_t kWizardPageCaption[] = L"Tarnwick - New Project";
constexpr wchar_t kProduct[] = L"TarnwickRepackageRoad";
constexpr wchar_t kDoneText[] =
    L"The Installation Monitoring process is successfully completed! To view and edit the detected files and registry entries click the Finish button.";
// The wizard buttons' control ids on the sheet.
constexpr int kBackButton = 12323;
constexpr int kNextButton = 12324;
constexpr int kFinishButton = 12325;
// The whole monitoring run: a snapshot of both hives, the setup program, the difference, the copy.
constexpr DWORD kMonitorTimeoutMs = 600000;

CString Quoted(const CString& text)
{
    return L"\"" + text + L"\"";
}






bool Usable(HWND sheet, int id)
{
    HWND button = ::GetDlgItem(sheet, id);
    return button && ::IsWindowVisible(button) && ::IsWindowEnabled(button);
}



// The setup program's shortcut folder under the given start menu.
CString ShortcutFolder(int startMenu = CSIDL_PROGRAMS)
{
    wchar_t programs[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, startMenu, nullptr, SHGFP_TYPE_CURRENT, programs);
    return CString(programs) + L"\\Test Setup";
}

// The setup program puts its shortcut into the user's start menu; a package installed for all
// users puts it into the common one.
bool ShortcutInstalled()
{
    return FileExists(ShortcutFolder() + L"\\Test App.lnk") ||
           FileExists(ShortcutFolder(CSIDL_COMMON_PROGRAMS) + L"\\Test App.lnk");
}

// What the setup program's install leaves, removed before the run (so the snapshot sees it as new)
// and after it.
void RemoveInstall(const CString& folder)
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSetupProgProductKey);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSetupProgProductKey);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSetupProgUninstallKey);
    RemoveTree(folder);
    RemoveTree(ShortcutFolder());
    RemoveTree(ShortcutFolder(CSIDL_COMMON_PROGRAMS));
}

// Undoes the install and the variable whatever the test's outcome.
struct InstallCleanup {
    CString folder;
    ~InstallCleanup()
    {
        ::SetEnvironmentVariableW(kSetupProgSwitchesVariable, nullptr);
        RemoveInstall(folder);
    }
};

bool SameBytes(const CString& one, const CString& other)
{
    std::vector<uint8_t> a;
    std::vector<uint8_t> b;
    return ReadAllBytes(one, a) && ReadAllBytes(other, b) && a == b;
}

// A text value of the key in the given view of the registry; empty when there is none.
CString ReadString(HKEY root, const wchar_t* key, const wchar_t* name, REGSAM view)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS)
        return CString();
    wchar_t data[1024] = L"";
    DWORD size = sizeof(data);
    const LONG status = ::RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, data, &size);
    ::RegCloseKey(opened);
    return status == ERROR_SUCCESS ? CString(data) : CString();
}

// The same from whichever view holds it (a package may write the machine's values in either).
CString ReadString(HKEY root, const wchar_t* key, const wchar_t* name)
{
    const CString native = ReadString(root, key, name, KEY_WOW64_64KEY);
    return native.IsEmpty() ? ReadString(root, key, name, KEY_WOW64_32KEY) : native;
}

bool Contains(const std::vector<std::wstring>& lines, const wchar_t* line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST(RepackageRoad, TheMonitorPageCapturesTheSetupProgramIntoTheWizardsPackage)
{
    ASSERT_TRUE(AppDriver::ResetDataFolder());
    wchar_t programFiles[MAX_PATH] = L"";
    ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILESX86, nullptr, SHGFP_TYPE_CURRENT, programFiles), S_OK);
    const CString installFolder = CString(programFiles) + L"\\" + kProduct;
    InstallCleanup cleanup{installFolder};
    RemoveInstall(installFolder);

    ScratchFolder scratch;
    const CString setup = scratch / L"roadsetup.exe";
    ASSERT_TRUE(::CopyFileW(ModuleFolder() + L"\\setupprog.exe", setup, FALSE));
    const CString resultFile = scratch / L"installed.txt";
    // the monitor starts the setup program with no arguments: it reads these from the environment
    // it inherits from the program, which inherits it from this test
    ASSERT_TRUE(::SetEnvironmentVariableW(kSetupProgSwitchesVariable,
                                          L"/silent /install:" + Quoted(installFolder) + L" /result:" + Quoted(resultFile)));

    AppDriver program;
    ASSERT_TRUE(program.Start());
    // the first start offers the wizard before the main window: the filters come first
    HWND sheet = program.WaitForTopLevel({L"#32770", kWizardPageCaption, -1}, 60000);
    ASSERT_NE(sheet, nullptr) << "the first start showed no wizard";
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_CANCEL));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 30000));
    ASSERT_NE(program.WaitForMainWindow(nullptr, 60000), nullptr);

    // what the machine itself writes meanwhile is of no interest to the package
    ASSERT_TRUE(program.PostCommand(ID_MONITOR_SETTINGS));
    HWND settings = program.WaitForTopLevel({nullptr, L"Installation Monitoring Settings"});
    ASSERT_NE(settings, nullptr) << "the settings did not open";
    for (const wchar_t* folder : {L"WindowsFolder\\", L"TempFolder\\", L"LocalAppDataFolder\\", L"AppDataFolder\\"})
        EXPECT_TRUE(AddListItem(program, settings, IDC_FILTER_LIST, IDC_FILTER_ADD, IDC_ITEM_TEXT, folder)) << Utf8(folder);
    ::SendMessageW(settings, PSM_SETCURSEL, 1, 0);
    ASSERT_TRUE(WaitFor([&] {
        return FindDescendant(settings, {nullptr, L"Registry keys excluded from monitoring:"}) != nullptr;
    }, 20000));
    for (const wchar_t* key : {L"HKEY_LOCAL_MACHINE\\Software\\Wine", L"HKEY_CURRENT_USER\\Software\\Wine",
                               L"HKEY_LOCAL_MACHINE\\System", L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"})
        EXPECT_TRUE(AddListItem(program, settings, IDC_FILTER_LIST, IDC_FILTER_ADD, IDC_ITEM_TEXT, key)) << Utf8(key);
    ::PostMessageW(settings, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ::PostMessageW(settings, WM_NULL, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(settings); }, 20000));

    // the wizard's start page, with the setup program typed in
    ASSERT_TRUE(program.PostCommand(ID_NEW_PROJECT));
    sheet = program.WaitForTopLevel({L"#32770", kWizardPageCaption, -1}, 60000);
    ASSERT_NE(sheet, nullptr) << "no wizard";
    HWND name = WaitForControl(sheet, 1068);
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(SetText(name, L"roadsetup"));
    ASSERT_TRUE(SetText(Control(sheet, 1069), setup));

    // the mode page offers the monitoring now
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_NEXT));
    HWND repackage = WaitForControl(sheet, 1088);
    ASSERT_NE(repackage, nullptr) << "the mode page did not come";
    EXPECT_TRUE(::IsWindowEnabled(repackage)) << "the wizard has its monitor page";
    ASSERT_TRUE(Click(repackage));
    ASSERT_TRUE(WaitFor([&] { return ::SendMessageW(repackage, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 20000));

    // Next goes to the monitor page, Back along the history to the mode page, Next again
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_NEXT));
    HWND start = WaitForControl(sheet, IDC_MONITOR_START);
    ASSERT_NE(start, nullptr) << "the monitor page did not come";
    EXPECT_EQ(WindowText(start), L"Start Monitoring");
    EXPECT_TRUE(WaitFor([&] { return Usable(sheet, kBackButton) && !Usable(sheet, kNextButton); }, 20000))
        << "the monitor page offers Back only";
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_BACK));
    ASSERT_TRUE(WaitFor([&] { return Control(sheet, 1088) != nullptr && Control(sheet, IDC_MONITOR_START) == nullptr; },
                        20000))
        << "Back from the monitor page did not return to the mode page";
    EXPECT_EQ(::SendMessageW(Control(sheet, 1088), BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_NEXT));
    start = WaitForControl(sheet, IDC_MONITOR_START);
    ASSERT_NE(start, nullptr) << "the monitor page did not come again";

    // the run: the setup program installs silently and ends, so the run goes on to the end
    ASSERT_TRUE(Click(start));
    HWND text = Control(sheet, IDC_MONITOR_TEXT);
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(WaitFor([&] { return WindowText(text) == kDoneText; }, kMonitorTimeoutMs))
        << "the run did not end: " << Utf8(WindowText(text)) << " / " << Utf8(WindowText(Control(sheet, IDC_MONITOR_STATUS)));
    EXPECT_TRUE(WaitFor([&] { return Usable(sheet, kFinishButton) && !Usable(sheet, kBackButton); }, 20000))
        << "the done state offers Finish only";
    const replaytest::Result installed = replaytest::ReadResultFile(resultFile);
    EXPECT_EQ(installed.count("installed") ? installed.at("installed") : "", "1") << "the setup program did not install";
    ASSERT_TRUE(PressWizardButton(sheet, PSBTN_FINISH));
    ::PostMessageW(sheet, WM_NULL, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 60000)) << "Finish did not end the wizard";

    // the tree lists the project under its own package, the project node selected
    HWND main = program.MainWindow();
    HWND tree = FindDescendant(main, {L"SysTreeView32", nullptr, -1});
    ASSERT_NE(tree, nullptr);
    std::vector<std::wstring> nodes;
    EXPECT_TRUE(WaitFor([&] {
        nodes = ReadTreeItems(tree);
        return Contains(nodes, L"roadsetup") && Contains(nodes, L"  roadsetup") && Contains(nodes, L"    Files") &&
               Contains(nodes, L"    Registry");
    }, 20000));
    EXPECT_TRUE(WaitFor([&] { return ReadSelectedTreeItem(tree) == L"roadsetup"; }, 20000))
        << Utf8(ReadSelectedTreeItem(tree));

    // the list as saved: the package under the name and folder the start page fixed
    CProjects saved;
    ASSERT_TRUE(LoadDataFile(AppDriver::DataFolder() + L"\\tarnwick.dat", saved));
    ASSERT_EQ(saved.GetSize(), 1);
    ASSERT_EQ(saved[0].m_projects.GetSize(), 1);
    const CString packageFolder = AppDriver::DataFolder() + L"\\roadsetup";
    EXPECT_EQ(Utf8(saved.m_packagePaths[0].GetString()), Utf8((packageFolder + L"\\roadsetup.tkpj").GetString()));
    const CFeature& project = saved[0].m_projects[0];
    EXPECT_EQ(project.m_conversionMode, CFeature::modeRepackage);
    EXPECT_TRUE(project.m_installerPath.IsEmpty()) << "a repackaged project wraps no setup program";

    // the captured files, in folder-property form, copied into the package folder byte for byte
    for (int i = 0; i < project.m_files.GetSize(); ++i)
        EXPECT_FALSE(project.m_files[i].m_path.Left(5) == L"Temp\\") << Utf8(project.m_files[i].m_path.View());
    const CString base = CString(L"ProgramFilesFolder\\") + kProduct;
    std::string captured;
    for (int i = 0; i < project.m_files.GetSize(); ++i)
        captured += "\n  " + Utf8(project.m_files[i].m_path.View());
    for (int i = 0; i < project.m_registry.GetSize() && i < 40; ++i)
        captured += "\n  " + Utf8(project.m_registry[i].m_keyPath.View()) + " " +
                    Utf8(project.m_registry[i].m_valueName.View());
    for (const wchar_t* file : {L"readme.txt", L"app.dat", L"unins000.exe"}) {
        const CString path = base + L"\\" + file;
        const CFileEntry* entry = project.m_files.FindByPath(path);
        ASSERT_NE(entry, nullptr) << "not captured: " << Utf8(path.View()) << "; captured:" << captured;
        EXPECT_EQ(entry->m_kind, CFileEntry::kindFile) << Utf8(path.View());
        EXPECT_TRUE(SameBytes(packageFolder + L"\\" + path, installFolder + L"\\" + file))
            << "not in the package folder: " << Utf8(path.View());
    }
    const CFileEntry* shortcut = project.m_files.FindByPath(L"ProgramMenuFolder\\Test Setup\\Test App.lnk");
    ASSERT_NE(shortcut, nullptr) << "the shortcut was not captured";
    EXPECT_EQ(shortcut->m_kind, CFileEntry::kindShortcut);

    // the captured values
    const CString product = CString(kSetupProgProductKey) + L"\\";
    const CRegistryEntry* user = project.m_registry.FindValue(L"HKEY_CURRENT_USER\\" + product, L"InstallFolder");
    ASSERT_NE(user, nullptr) << "the HKCU value was not captured";
    EXPECT_EQ(Utf8(user->m_value.View()), "[ProgramFilesFolder]" + Utf8(std::wstring_view(kProduct)));
    const CRegistryEntry* machine = project.m_registry.FindValue(L"HKEY_LOCAL_MACHINE\\" + product, L"Version");
    ASSERT_NE(machine, nullptr) << "the HKLM value was not captured";
    EXPECT_EQ(Utf8(machine->m_value.View()), "1.0");
    // nothing the filters exclude
    for (int i = 0; i < project.m_registry.GetSize(); ++i) {
        CString key = project.m_registry[i].m_keyPath;
        EXPECT_FALSE(key.MakeLower().Left(33) == L"hkey_local_machine\\software\\wine\\") << Utf8(key.View());
    }

    // the captured package builds; the install is undone first, so that the system's installer
    // lays down what the package carries and not what the setup program left
    const CString output = scratch / L"out";
    ASSERT_TRUE(::CreateDirectoryW(output, nullptr));
    ASSERT_EQ(program.BuildThroughDialog(ID_BUILD_PACKAGE, L"roadsetup", output, L"Tarnwick Professional"),
              L"MSI package was created successfully!");
    const CString package = output + L"\\roadsetup.msi";
    ASSERT_TRUE(FileExists(package));
    RemoveInstall(installFolder);
    ASSERT_FALSE(FileExists(installFolder + L"\\readme.txt"));

    const DWORD installedByMsi = velttest::RunMsiexec(L"/i", package, scratch / L"install.log");
    EXPECT_EQ(installedByMsi, 0u) << velttest::ReadInstallerLog(scratch / L"install.log").substr(0, 20000);
    for (const wchar_t* file : {L"readme.txt", L"app.dat", L"unins000.exe"})
        EXPECT_TRUE(SameBytes(installFolder + L"\\" + file, packageFolder + L"\\" + base + L"\\" + file))
            << "not installed as captured: " << Utf8(file);
    EXPECT_TRUE(ShortcutInstalled()) << "the shortcut was not installed";
    EXPECT_EQ(Utf8(ReadString(HKEY_CURRENT_USER, kSetupProgProductKey, L"InstallFolder").View()),
              Utf8(installFolder.View()));
    EXPECT_EQ(Utf8(ReadString(HKEY_LOCAL_MACHINE, kSetupProgProductKey, L"Version").View()), "1.0");

    const DWORD removedByMsi = velttest::RunMsiexec(L"/x", package, scratch / L"remove.log");
    EXPECT_EQ(removedByMsi, 0u) << velttest::ReadInstallerLog(scratch / L"remove.log").substr(0, 20000);
    for (const wchar_t* file : {L"readme.txt", L"app.dat", L"unins000.exe"})
        EXPECT_FALSE(FileExists(installFolder + L"\\" + file)) << "left behind: " << Utf8(file);
    EXPECT_FALSE(ShortcutInstalled()) << "the shortcut stayed";
    EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, kSetupProgProductKey, L"InstallFolder").IsEmpty());
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kSetupProgProductKey, L"Version").IsEmpty());

    EXPECT_TRUE(program.Close());
}
