// The monitor's windows through the program itself: the main window's commands open the
// monitoring settings and the installed programs, and filters added through the sheet reach the
// data file when the program closes.

#include "engine/storage/Projects.h"

#include "resources/app/AppResource.h"

#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

std::vector<std::wstring> Texts(const CExludeList& list)
{
    std::vector<std::wstring> texts;
    for (POSITION position = list.GetHeadPosition(); position;)
        texts.emplace_back(list.GetNext(position).GetString());
    return texts;
}



} // namespace

TEST(MonitorCommands, FiltersAddedThroughTheSettingsReachTheDataFileAndTheProgramsListOpens)
{
    ASSERT_TRUE(AppDriver::ResetDataFolder());
    AppDriver program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(program.MainWindowPastTheWizard(), nullptr);

    ASSERT_TRUE(program.PostCommand(ID_MONITOR_SETTINGS));
    HWND sheet = program.WaitForTopLevel({nullptr, L"Installation Monitoring Settings"});
    ASSERT_NE(sheet, nullptr) << "the settings did not open";
    EXPECT_TRUE(AddListItem(program, sheet, IDC_FILTER_LIST, IDC_FILTER_ADD, IDC_ITEM_TEXT, L"WindowsFolder\\Temp"));
    ::SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_TRUE(WaitFor([&] {
        HWND page = CurrentPage(sheet);
        return page && FindDescendant(sheet, {nullptr, L"Registry keys excluded from monitoring:"}) != nullptr;
    }, 20000));
    EXPECT_TRUE(AddListItem(program, sheet, IDC_FILTER_LIST, IDC_FILTER_ADD, IDC_ITEM_TEXT, L"HKEY_LOCAL_MACHINE\\Software\\Wine"));
    ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ::PostMessageW(sheet, WM_NULL, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(sheet); }, 20000));

    ASSERT_TRUE(program.PostCommand(ID_INSTALLED_PROGRAMS));
    HWND programs = program.WaitForTopLevel({nullptr, L"Installed Programs"});
    ASSERT_NE(programs, nullptr) << "the installed programs did not open";
    EXPECT_NE(::GetDlgItem(programs, IDC_PROGRAMS_LIST), nullptr);
    ::PostMessageW(programs, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(programs); }, 20000));

    ASSERT_TRUE(program.Close());
    CProjects saved;
    ASSERT_TRUE(LoadDataFile(AppDriver::DataFolder() + L"\\tarnwick.dat", saved));
    EXPECT_EQ(Texts(saved.m_fileFilter), (std::vector<std::wstring>{L"WindowsFolder\\Temp"}));
    EXPECT_EQ(Texts(saved.m_registryFilter), (std::vector<std::wstring>{L"HKEY_LOCAL_MACHINE\\Software\\Wine"}));
}
