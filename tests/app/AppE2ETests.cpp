// The program itself, started from the build folder on a fresh data folder: its title, the single
// instance, the About box and closing.

#include "engine/files/FileVersionInfo.h"
#include "engine/storage/PackageFile.h"
#include "engine/storage/Projects.h"

#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include <commctrl.h>
#include <prsht.h>

using namespace testsupport;

namespace {

constexpr UINT kAboutCommand = 57664;

// The program file's own version strings, read as data.
CFileVersionInfo ProgramVersion(HMODULE& module)
{
    module = ::LoadLibraryExW(AppDriver::ProgramPath(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    return CFileVersionInfo(module);
}

} // namespace

TEST(Program, StartsWithItsVersionInTheTitleAllowsOneInstanceShowsAboutAndCloses)
{
    ASSERT_TRUE(AppDriver::ResetDataFolder());
    HMODULE module = nullptr;
    const CFileVersionInfo version = ProgramVersion(module);
    ASSERT_NE(module, nullptr);
    const CString productVersion = version.GetProductVersion();
    const CString fileVersion = version.GetFileVersion();
    ::FreeLibrary(module);
    EXPECT_FALSE(productVersion.IsEmpty());

    AppDriver program;
    ASSERT_TRUE(program.Start());
    HWND main = program.MainWindowPastTheWizard();
    ASSERT_NE(main, nullptr) << "the program showed no window";
    EXPECT_EQ(WindowText(main), (L"Tarnwick Professional " + productVersion).GetString());
    EXPECT_TRUE(FileExists(AppDriver::DataFolder()));

    // a second start ends without a window and leaves the first one as it was
    AppDriver second;
    ASSERT_TRUE(second.Start());
    bool secondShowedWindow = false;
    const ULONGLONG end = ::GetTickCount64() + 60000;
    while (second.IsRunning() && ::GetTickCount64() < end) {
        if (!second.TopLevelWindows().empty())
            secondShowedWindow = true;
        ::Sleep(10);
    }
    EXPECT_FALSE(second.IsRunning()) << "the second instance is still running";
    EXPECT_FALSE(secondShowedWindow);
    EXPECT_TRUE(program.IsRunning());
    EXPECT_TRUE(::IsWindowVisible(main));

    ASSERT_TRUE(program.PostCommand(kAboutCommand));
    HWND about = program.WaitForTopLevel({L"#32770", L"Tarnwick Professional", -1});
    ASSERT_NE(about, nullptr) << "no About box";
    HWND build = FindDescendant(about, {nullptr, nullptr, 1064});
    ASSERT_NE(build, nullptr);
    EXPECT_EQ(WindowText(build), (L"Tarnwick Professional build " + fileVersion).GetString());
    ASSERT_TRUE(AppDriver::PressButton(about, IDOK));
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(about); }, 20000));

    DWORD exitCode = 99;
    ASSERT_TRUE(program.Close());
    EXPECT_TRUE(program.WaitForExit(1000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

namespace {

CFeature Project(const wchar_t* name, int mode)
{
    CFeature project;
    project.m_name = name;
    project.m_conversionMode = mode;
    return project;
}

HWND ProjectNameBox(HWND main)
{
    return FindDescendant(main, {L"Edit", nullptr, 1068});
}

// A package file and its project saved as the program's data file, after emptying the data folder.
CString SaveOnePackage(const ScratchFolder& scratch, const wchar_t* package, const wchar_t* project)
{
    if (!AppDriver::ResetDataFolder())
        return CString();
    CProjects made;
    if (!CreatePackage(package, scratch.Path(), made))
        return CString();
    CFeature only;
    only.m_name = project;
    only.m_conversionMode = CFeature::modeRepackage;
    made[0].m_projects.Add(only);
    const CString dataFile = AppDriver::DataFolder() + L"\\tarnwick.dat";
    return SaveDataFile(dataFile, made) ? dataFile : CString();
}

// Renames the project shown in the panel and waits for the tree to follow.
bool RenameShownProject(HWND main, const wchar_t* name)
{
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = ProjectNameBox(main)) != nullptr; }, 20000))
        return false;
    ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
    HWND tree = FindDescendant(main, {L"SysTreeView32", nullptr, -1});
    return tree && WaitFor([&] { return ReadSelectedTreeItem(tree) == name; }, 20000);
}

} // namespace

TEST(Program, ListsThePackagesRenamesAProjectLiveAndSelectsTheSameNodeAfterARestart)
{
    ASSERT_TRUE(AppDriver::ResetDataFolder());
    ScratchFolder scratch;
    CProjects made;
    ASSERT_TRUE(CreatePackage(L"Office", scratch.Path(), made));
    ASSERT_TRUE(CreatePackage(L"Tools", scratch.Path(), made));
    made[0].m_projects.Add(Project(L"Repack", CFeature::modeRepackage));
    made[1].m_projects.Add(Project(L"Script", CFeature::modeGuiScript));
    made[1].m_projects.Add(Project(L"Other", CFeature::modeGuiScript));
    const CString dataFile = AppDriver::DataFolder() + L"\\tarnwick.dat";
    ASSERT_TRUE(SaveDataFile(dataFile, made));

    AppDriver program;
    ASSERT_TRUE(program.Start());
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    HWND tree = FindDescendant(main, {L"SysTreeView32", nullptr, -1});
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(ReadTreeItems(tree),
              (std::vector<std::wstring>{L"Office", L"  Repack", L"    Files", L"    Registry", L"Tools", L"  Script",
                                         L"    Files", L"    Registry", L"    Install Script", L"    Uninstall Script",
                                         L"  Other", L"    Files", L"    Registry", L"    Install Script",
                                         L"    Uninstall Script"}));
    EXPECT_EQ(ReadSelectedTreeItem(tree), L"Repack");

    // select the project "Script" as a user would, by its position: the project panel shows it
    const auto next = [&](HTREEITEM item, UINT code) {
        return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    };
    const HTREEITEM tools = next(next(nullptr, TVGN_ROOT), TVGN_NEXT);
    const HTREEITEM script = next(tools, TVGN_CHILD);
    ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(script));
    HWND name = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        name = ProjectNameBox(main);
        return name && WindowText(name) == L"Script";
    }, 20000)) << "the project panel does not show the selected project";

    // the panel covers the whole view, and follows it when the frame is resized
    HWND panel = ::GetParent(name);
    HWND view = ::GetParent(panel);
    const auto coversView = [&] {
        RECT client{};
        ::GetClientRect(view, &client);
        ::MapWindowPoints(view, nullptr, reinterpret_cast<POINT*>(&client), 2);
        RECT shown{};
        ::GetWindowRect(panel, &shown);
        return ::IsWindowVisible(panel) && ::EqualRect(&client, &shown) && client.right > client.left;
    };
    EXPECT_TRUE(WaitFor(coversView, 20000)) << "the panel does not cover the view";
    RECT before{};
    ::GetWindowRect(panel, &before);
    ::SetWindowPos(main, nullptr, 0, 0, 640, 470, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(WaitFor([&] {
        RECT now{};
        ::GetWindowRect(panel, &now);
        return coversView() && (now.right - now.left) != (before.right - before.left);
    }, 20000)) << "the panel did not follow the resized frame";

    // typing the other project's name makes the label unique
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Other"));
    EXPECT_TRUE(WaitFor([&] { return ReadSelectedTreeItem(tree) == L"Other(1)"; }, 20000))
        << Utf8(ReadSelectedTreeItem(tree));
    EXPECT_EQ(WindowText(name), L"Other(1)");

    ASSERT_TRUE(program.Close());
    CProjects saved;
    ASSERT_TRUE(LoadDataFile(dataFile, saved));
    ASSERT_EQ(saved.GetSize(), 2);
    EXPECT_EQ(Utf8(saved[1].m_projects[0].m_name.GetString()), "Other(1)");
    CProjectSettings package;
    ASSERT_EQ(LoadPackageFile(saved.m_packagePaths[1], package), 1);
    EXPECT_EQ(Utf8(package.m_projects[0].m_name.GetString()), "Other(1)") << "the package file holds the name";

    AppDriver again;
    ASSERT_TRUE(again.Start());
    HWND main2 = again.WaitForMainWindow();
    ASSERT_NE(main2, nullptr);
    HWND tree2 = FindDescendant(main2, {L"SysTreeView32", nullptr, -1});
    ASSERT_NE(tree2, nullptr);
    EXPECT_EQ(ReadSelectedTreeItem(tree2), L"Other(1)") << "the restart selects the node selected at closing";
    EXPECT_TRUE(again.Close());
}

TEST(Program, Bug_AFailedSaveAtClosingIsReportedAndTheUserMayStay)
{
    ASSERT_TRUE(AppDriver::ResetDataFolder());
    ScratchFolder scratch;
    CProjects made;
    ASSERT_TRUE(CreatePackage(L"Kept", scratch.Path(), made));
    made[0].m_projects.Add(Project(L"Only", CFeature::modeRepackage));
    const CString dataFile = AppDriver::DataFolder() + L"\\tarnwick.dat";
    ASSERT_TRUE(SaveDataFile(dataFile, made));

    AppDriver program;
    ASSERT_TRUE(program.Start());
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    HWND tree = FindDescendant(main, {L"SysTreeView32", nullptr, -1});
    ASSERT_NE(tree, nullptr);
    HWND name = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        name = ProjectNameBox(main);
        return name != nullptr;
    }, 20000));
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Renamed"));
    ASSERT_TRUE(WaitFor([&] { return ReadSelectedTreeItem(tree) == L"Renamed"; }, 20000));

    {
        // another program holds the data file without sharing while the user closes
        UniqueKernelHandle lock(::CreateFileW(dataFile, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(lock.Get(), INVALID_HANDLE_VALUE);
        ::PostMessageW(main, WM_CLOSE, 0, 0);
        HWND box = program.WaitForMessageBox(L"Tarnwick Professional");
        ASSERT_NE(box, nullptr) << "the failed save was not reported";
        EXPECT_NE(MessageBoxText(box).find(L"could not be saved"), std::wstring::npos) << Utf8(MessageBoxText(box));
        ASSERT_TRUE(AppDriver::PressButton(box, IDNO));
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box); }, 20000));
        EXPECT_TRUE(program.IsRunning()) << "No keeps the program open with the edits";
        EXPECT_TRUE(::IsWindowVisible(main));
    }

    ASSERT_TRUE(program.Close());
    CProjects saved;
    ASSERT_TRUE(LoadDataFile(dataFile, saved));
    ASSERT_EQ(saved.GetSize(), 1);
    EXPECT_EQ(Utf8(saved[0].m_projects[0].m_name.GetString()), "Renamed") << "the second close saved the edit";
}

TEST(Program, Bug_ADamagedDataFileIsKeptAsBadAndTheProgramStartsOnAnEmptyList)
{
    ASSERT_TRUE(AppDriver::ResetDataFolder());
    const CString dataFile = AppDriver::DataFolder() + L"\\tarnwick.dat";
    std::vector<uint8_t> damaged;
    ASSERT_TRUE(ReadAllBytes(FixturePath(L"storage\\damaged-plain.dat"), damaged));
    ASSERT_TRUE(WriteAllBytes(dataFile, damaged));

    AppDriver program;
    ASSERT_TRUE(program.Start());
    HWND main = program.MainWindowPastTheWizard();
    ASSERT_NE(main, nullptr) << "the program did not start on a damaged data file";
    std::vector<uint8_t> kept;
    ASSERT_TRUE(ReadAllBytes(dataFile + L".bad", kept)) << "the damaged file was not kept";
    EXPECT_EQ(kept, damaged);
    HWND tree = FindDescendant(main, {L"SysTreeView32", nullptr, -1});
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(ReadTreeItems(tree).empty());

    ASSERT_TRUE(program.Close());
    CProjects saved;
    ASSERT_TRUE(LoadDataFile(dataFile, saved)) << "closing left a data file that does not load";
    EXPECT_EQ(saved.GetSize(), 0);
}

TEST(Program, Bug_ADataFileLockedByAnotherProgramAtClosingIsReportedAndYesClosesLeavingItWhole)
{
    ScratchFolder scratch;
    const CString dataFile = SaveOnePackage(scratch, L"Kept", L"Only");
    ASSERT_FALSE(dataFile.IsEmpty());
    AppDriver program;
    ASSERT_TRUE(program.Start());
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(RenameShownProject(main, L"Renamed"));

    // the test setup program holds the data file open, sharing nothing, until it ends
    const CString command = L"\"" + ModuleFolder() + L"\\setupprog.exe\" \"/lock:" + dataFile + L"\" \"/result:" +
                            (scratch / L"result.txt") + L"\"";
    std::wstring line(command.GetString());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    UniqueKernelHandle locker(info.hProcess);
    ::CloseHandle(info.hThread);
    const auto locked = [&] {
        HANDLE probe = ::CreateFileW(dataFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
        if (probe == INVALID_HANDLE_VALUE)
            return ::GetLastError() == ERROR_SHARING_VIOLATION;
        ::CloseHandle(probe);
        return false;
    };
    ASSERT_TRUE(WaitFor(locked, 60000)) << "the setup program did not lock the data file";

    ::PostMessageW(main, WM_CLOSE, 0, 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        box = program.WaitForMessageBox(L"Tarnwick Professional", 100);
        return box && ::GetDlgItem(box, IDYES);
    }, 60000)) << "the failed save was not put to the user";
    EXPECT_NE(MessageBoxText(box).find(L"could not be saved"), std::wstring::npos) << Utf8(MessageBoxText(box));
    ASSERT_TRUE(AppDriver::PressButton(box, IDYES));
    DWORD exitCode = 99;
    EXPECT_TRUE(program.WaitForExit(60000, &exitCode)) << "Yes closes the program";
    EXPECT_EQ(exitCode, 0u);

    ::TerminateProcess(locker.Get(), 0);
    ASSERT_EQ(::WaitForSingleObject(locker.Get(), 60000), WAIT_OBJECT_0);
    CProjects saved;
    ASSERT_TRUE(LoadDataFile(dataFile, saved)) << "the data file was damaged by the failed save";
    ASSERT_EQ(saved.GetSize(), 1);
    // the package files are written before the list, so the package file (not locked) is whole
    CProjectSettings package;
    ASSERT_EQ(LoadPackageFile(saved.m_packagePaths[0], package), 1);
    EXPECT_EQ(package.m_projects.GetSize(), 1);
}

// A package opened from a folder named like it (as the folders of new packages are named) that
// holds another file of the user: Yes on deleting it, in a later run, takes the package file only.
TEST(Program, Bug_YesOnAPackageOpenedFromAFolderHoldingAnotherFileLeavesThatFile)
{
    ScratchFolder scratch;
    const CString dataFile = SaveOnePackage(scratch, L"Office", L"Repack");
    ASSERT_FALSE(dataFile.IsEmpty());
    ScratchFolder elsewhere;
    CProjects other;
    ASSERT_TRUE(CreatePackage(L"Shared", elsewhere.Path(), other));
    const CString packageFile = elsewhere / L"Shared\\Shared.tkpj";
    const CString neighbour = elsewhere / L"Shared\\notes.txt";
    ASSERT_TRUE(WriteAllBytes(neighbour, {'k', 'e', 'e', 'p'}));

    {
        AppDriver program;
        ASSERT_TRUE(program.Start());
        HWND main = program.WaitForMainWindow();
        ASSERT_NE(main, nullptr);
        HWND tree = FindDescendant(main, {L"SysTreeView32", nullptr, -1});
        ASSERT_NE(tree, nullptr);
        ASSERT_TRUE(program.PostCommand(32775));
        HWND dialog = program.WaitForTopLevel({L"#32770", nullptr, -1}, 120000);
        ASSERT_NE(dialog, nullptr) << "Open showed no file dialog";
        ASSERT_TRUE(AppDriver::ChooseFileInOpenDialog(dialog, packageFile));
        ASSERT_TRUE(WaitFor([&] { return ReadSelectedTreeItem(tree) == L"Shared"; }, 60000))
            << "the opened package is not selected";
        EXPECT_EQ(ReadTreeItems(tree),
                  (std::vector<std::wstring>{L"Office", L"  Repack", L"    Files", L"    Registry", L"Shared"}))
            << "its node goes last";
        ASSERT_TRUE(program.Close());
    }
    CProjects listed;
    ASSERT_TRUE(LoadDataFile(dataFile, listed));
    ASSERT_EQ(listed.GetSize(), 2) << "the opened package is remembered for the next run";

    AppDriver again;
    ASSERT_TRUE(again.Start());
    HWND main = again.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    HWND tree = FindDescendant(main, {L"SysTreeView32", nullptr, -1});
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(ReadSelectedTreeItem(tree), L"Shared");
    ASSERT_TRUE(again.PostCommand(32780));
    HWND box = again.WaitForMessageBox(L"Tarnwick Professional");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageBoxText(box).find(L"Click YES to permanently delete files."), std::wstring::npos);
    ASSERT_TRUE(AppDriver::PressButton(box, IDYES));
    EXPECT_TRUE(WaitFor([&] { return !FileExists(packageFile); }, 60000)) << "Yes takes the package file";
    EXPECT_TRUE(FileExists(neighbour)) << "but never the other file beside it";
    EXPECT_TRUE(WaitFor([&] { return ReadTreeItems(tree).size() == 4; }, 20000));
    ASSERT_TRUE(again.Close());
    CProjects left;
    ASSERT_TRUE(LoadDataFile(dataFile, left));
    EXPECT_EQ(left.GetSize(), 1);
}

TEST(Program, EnterAndEscInAPanelNeitherEndNorHideIt)
{
    ScratchFolder scratch;
    ASSERT_FALSE(SaveOnePackage(scratch, L"Office", L"Only").IsEmpty());
    AppDriver program;
    ASSERT_TRUE(program.Start());
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    HWND name = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (name = ProjectNameBox(main)) != nullptr; }, 20000));
    HWND panel = ::GetParent(name);
    HWND tree = FindDescendant(main, {L"SysTreeView32", nullptr, -1});
    ASSERT_NE(tree, nullptr);

    ASSERT_TRUE(BringToForeground(main));
    ASSERT_TRUE(ClickCentre(name));
    ASSERT_TRUE(WaitFor([&] { return FocusOfThread(main) == name; }, 20000)) << "the name box has no focus";
    ASSERT_TRUE(PressKeys({VK_RETURN}));
    ASSERT_TRUE(PressKeys({VK_ESCAPE}));
    ASSERT_TRUE(PressKeys({VK_END}));
    ASSERT_TRUE(TypeText(L"Z"));
    // the typed letter arrives after both keys, so they have been handled when it shows
    EXPECT_TRUE(WaitFor([&] { return WindowText(name) == L"OnlyZ"; }, 20000)) << Utf8(WindowText(name));
    EXPECT_TRUE(::IsWindowVisible(panel)) << "the panel was hidden";
    EXPECT_TRUE(::IsWindow(panel));
    EXPECT_TRUE(WaitFor([&] { return ReadSelectedTreeItem(tree) == L"OnlyZ"; }, 20000));
    EXPECT_TRUE(program.IsRunning());
    ASSERT_TRUE(program.Close());
}
