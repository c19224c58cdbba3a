// The files editor through the program itself: on a project made by the test, a system folder
// is added through its dialog, a folder is made and named by typing into its label, two files
// (one a 64-bit image) are added through the system's open dialog, a shortcut on one of them gets
// an icon through the icon picker, and the folder is renamed by typing again. The package file,
// read back with the engine, holds the moved paths, the files' attributes, the 64-bit flag and
// the shortcut's target; the icon lies in the output folder's resources. The package built from it
// installs the files and the shortcut with the system's installer.

#include "engine/files/PathHelpers.h"
#include "engine/model/FileEntry.h"
#include "engine/storage/PackageFile.h"
#include "engine/storage/Projects.h"

#include "tests/customaction/VeltTestSupport.h"
#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <commctrl.h>

using namespace testsupport;

namespace {

constexpr int kPaneTree = 0xE900;   // the splitter's first pane: the folder tree
constexpr int kPaneList = 0xE901;   // the second: the file list
constexpr UINT kNewFolder = 32792, kAddFiles = 32793, kNewShortcut = 32794, kEdit = 32785, kAddSystemFolder = 32795;
constexpr UINT kBuildCommand = 32784;
constexpr wchar_t kMessageCaption[] = L"Tarnwick Professional";
constexpr int kEntryName = 1068, kShortcutTarget = 1069, kIconButton = 1041;
constexpr int kFolderCombo = 1076;
constexpr int kProgramFilesRow = 13;   // ProgramFilesFolder among the listed system folders

HTREEITEM Next(HWND tree, HTREEITEM item, UINT code)
{
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

// Starts a label edit through the command, types name over the selected label, and ends the edit.
bool TypeLabel(HWND main, HWND tree, UINT command, const wchar_t* name)
{
    if (command)
        ::PostMessageW(tree, WM_COMMAND, command, 0);
    if (!WaitFor([&] { return ::SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0) != 0; }, 20000))
        return false;
    if (!BringToForeground(main))
        return false;
    HWND edit = reinterpret_cast<HWND>(::SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0));
    if (!WaitFor([&] { return FocusOfThread(tree) == edit; }, 20000))
        return false;
    TypeText(name);
    if (!WaitFor([&] { return WindowText(edit) == name; }, 20000))
        return false;
    ::SendMessageW(tree, TVM_ENDEDITLABELNOW, FALSE, 0);
    return WaitFor([&] { return ReadSelectedTreeItem(tree) == name; }, 20000);
}

}  // namespace

TEST(FilesRoad, FoldersAndFilesMadeInTheEditorLandInThePackageFile)
{
    ASSERT_TRUE(AppDriver::ResetDataFolder());
    ScratchFolder scratch;
    ASSERT_TRUE(::CopyFileW(FixturePath(L"icon_groups.dll"), scratch / L"app.exe", FALSE)) << "the 64-bit fixture";
    ASSERT_TRUE(WriteAllBytes(scratch / L"readme.txt", std::vector<uint8_t>(3000, 'r')));
    CProjects made;
    ASSERT_TRUE(CreatePackage(L"FilesRoad", scratch.Path(), made));
    CFeature project;
    project.m_name = L"Road";
    project.m_conversionMode = CFeature::modeRepackage;
    made[0].m_projects.Add(project);
    const CString dataFile = AppDriver::DataFolder() + L"\\tarnwick.dat";
    ASSERT_TRUE(SaveDataFile(dataFile, made));

    AppDriver program;
    ASSERT_TRUE(program.Start());
    HWND main = program.MainWindowPastTheWizard();
    ASSERT_NE(main, nullptr);
    HWND packages = FindDescendant(main, {L"SysTreeView32", nullptr, -1});
    ASSERT_NE(packages, nullptr);
    const HTREEITEM filesNode = Next(packages, Next(packages, Next(packages, nullptr, TVGN_ROOT), TVGN_CHILD), TVGN_CHILD);
    ASSERT_NE(filesNode, nullptr);
    ::SendMessageW(packages, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(filesNode));
    HWND tree = nullptr, list = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        tree = FindDescendant(main, {L"SysTreeView32", nullptr, kPaneTree});
        list = FindDescendant(main, {L"SysListView32", nullptr, kPaneList});
        return tree && list;
    }, 20000)) << "the files panel does not show";

    // Add System Folder: ProgramFilesFolder
    ::PostMessageW(tree, WM_COMMAND, kAddSystemFolder, 0);
    HWND folders = program.WaitForTopLevel({nullptr, L"System Folder Properties", -1});
    ASSERT_NE(folders, nullptr);
    HWND combo = WaitForControl(folders, kFolderCombo);
    ::SendMessageW(combo, CB_SETCURSEL, kProgramFilesRow, 0);
    ASSERT_EQ(WindowText(combo), L"ProgramFilesFolder");
    ASSERT_TRUE(AppDriver::PressButton(folders, IDOK));
    ASSERT_TRUE(WaitFor([&] { return ReadSelectedTreeItem(tree) == L"ProgramFilesFolder"; }, 20000));

    // New Folder, named App by typing into its label
    ASSERT_TRUE(TypeLabel(main, tree, kNewFolder, L"App"));

    // two files through the system's open dialog
    for (const wchar_t* name : {L"app.exe", L"readme.txt"}) {
        ::PostMessageW(tree, WM_COMMAND, kAddFiles, 0);
        HWND open = program.WaitForTopLevel({L"#32770", nullptr, -1});
        ASSERT_NE(open, nullptr);
        ASSERT_TRUE(AppDriver::ChooseFileInOpenDialog(open, scratch / name));
        ASSERT_TRUE(WaitFor([&] {
            const auto rows = ReadListViewColumn(list, 0);
            return std::find(rows.begin(), rows.end(), std::wstring(name)) != rows.end();
        }, 20000)) << Utf8(name);
    }
    EXPECT_EQ(ReadListViewColumn(list, 1), (std::vector<std::wstring>{L"File", L"File"}));

    // a shortcut on app.exe, the first row, with an icon from the file's own groups
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT headerRect{};
    ::GetClientRect(header, &headerRect);
    ASSERT_TRUE(BringToForeground(main));
    ASSERT_TRUE(ClickClient(list, POINT{30, headerRect.bottom + 8}));
    ASSERT_TRUE(WaitFor([&] { return ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == 0; },
                        20000)) << "app.exe was not selected";
    ::PostMessageW(list, WM_COMMAND, kNewShortcut, 0);
    HWND shortcut = program.WaitForTopLevel({L"#32770", L"Edit Shortcut", -1});
    ASSERT_NE(shortcut, nullptr);
    EXPECT_EQ(WindowText(WaitForControl(shortcut, kEntryName)), L"Shortcut to app.exe");
    EXPECT_EQ(WindowText(Control(shortcut, kShortcutTarget)), L"ProgramFilesFolder\\App\\app.exe");
    ASSERT_TRUE(Click(Control(shortcut, kIconButton)));
    HWND icons = program.WaitForTopLevel({L"#32770", L"Icon", -1});
    ASSERT_NE(icons, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ReadListViewColumn(Control(icons, 1000), 0).size() == 3; }, 20000))
        << "the fixture holds groups 1, 101 and MAINICON";
    ASSERT_TRUE(AppDriver::PressButton(icons, IDOK));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(icons); }, 20000));
    ASSERT_TRUE(AppDriver::PressButton(shortcut, IDOK));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(shortcut); }, 20000));
    ASSERT_TRUE(WaitFor([&] {
        const auto rows = ReadListViewColumn(list, 1);
        return std::find(rows.begin(), rows.end(), std::wstring(L"Shortcut")) != rows.end();
    }, 20000));

    // rename App to Tool through its label
    ASSERT_TRUE(TypeLabel(main, tree, kEdit, L"Tool"));

    // build, and install with the system's installer: the files and the shortcut land
    const CString output = scratch / L"out";
    ASSERT_TRUE(::CreateDirectoryW(output, nullptr));
    ASSERT_EQ(program.BuildThroughDialog(kBuildCommand, L"FilesRoad", output + L"\\", kMessageCaption),
              L"MSI package was created successfully!");
    CString package;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(output + L"\\*.msi", &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no package in the output folder";
    package = output + L"\\" + found.cFileName;
    ::FindClose(search);
    const DWORD installed = velttest::RunMsiexec(L"/i", package, scratch / L"install.log");
    EXPECT_EQ(installed, 0u) << velttest::ReadInstallerLog(scratch / L"install.log").substr(0, 20000);
    wchar_t programFiles[MAX_PATH] = L"";
    ::ExpandEnvironmentStringsW(L"%ProgramFiles(x86)%", programFiles, MAX_PATH);
    CString tool = CString(programFiles) + L"\\Tool";
    if (!FileExists(tool + L"\\app.exe")) {
        ::ExpandEnvironmentStringsW(L"%ProgramFiles%", programFiles, MAX_PATH);
        tool = CString(programFiles) + L"\\Tool";
    }
    EXPECT_TRUE(FileExists(tool + L"\\app.exe")) << Utf8(tool.View());
    EXPECT_TRUE(FileExists(tool + L"\\readme.txt"));
    EXPECT_TRUE(FileExists(tool + L"\\Shortcut to app.exe.lnk"));
    const DWORD removed = velttest::RunMsiexec(L"/x", package, scratch / L"remove.log");
    EXPECT_EQ(removed, 0u) << velttest::ReadInstallerLog(scratch / L"remove.log").substr(0, 20000);
    EXPECT_FALSE(FileExists(tool + L"\\app.exe"));

    ASSERT_TRUE(program.Close());
    CProjects saved;
    ASSERT_TRUE(LoadDataFile(dataFile, saved));
    ASSERT_EQ(saved.GetSize(), 1);
    ASSERT_EQ(saved[0].m_projects.GetSize(), 1);
    const CFileEntries& files = saved[0].m_projects[0].m_files;
    std::vector<std::wstring> paths;
    for (INT_PTR i = 0; i < files.GetSize(); ++i)
        paths.emplace_back(files[i].m_path.GetString());
    EXPECT_EQ(paths, (std::vector<std::wstring>{L"ProgramFilesFolder\\", L"ProgramFilesFolder\\Tool\\",
                                                 L"ProgramFilesFolder\\Tool\\app.exe",
                                                 L"ProgramFilesFolder\\Tool\\readme.txt",
                                                 L"ProgramFilesFolder\\Tool\\Shortcut to app.exe"}));
    const CFileEntry* link = files.FindByPath(L"ProgramFilesFolder\\Tool\\Shortcut to app.exe");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->m_kind, CFileEntry::kindShortcut);
    EXPECT_EQ(link->m_sourcePath, L"ProgramFilesFolder\\Tool\\app.exe");
    // the icon went into the output folder of the time (the build dialog then chose another)
    EXPECT_TRUE(FileExists(made[0].m_outputFolder + L"\\resources\\I" + link->m_id + L".ico"))
        << Utf8(made[0].m_outputFolder.View());
    const CFileEntry* app = files.FindByPath(L"ProgramFilesFolder\\Tool\\app.exe");
    const CFileEntry* readme = files.FindByPath(L"ProgramFilesFolder\\Tool\\readme.txt");
    ASSERT_NE(app, nullptr);
    ASSERT_NE(readme, nullptr);
    EXPECT_EQ(files[0].m_kind, CFileEntry::kindRoot);
    EXPECT_EQ(files[1].m_kind, CFileEntry::kindFolder);
    EXPECT_EQ(app->m_kind, CFileEntry::kindFile);
    EXPECT_EQ(app->m_componentAttributes, CFileEntry::component64Bit);
    EXPECT_EQ(readme->m_componentAttributes, 0);
    EXPECT_EQ(readme->m_fileSize, 3000);
    EXPECT_EQ(readme->m_attributes & CFileEntry::attrVital, CFileEntry::attrVital);
    EXPECT_TRUE(SamePathNoCase(app->m_sourcePath, scratch / L"app.exe"));
}
