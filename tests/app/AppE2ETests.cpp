// The program itself, started from the build folder on a fresh data folder: its title, the single
// instance, the About box and closing.

#include "engine/files/FileVersionInfo.h"

#include "tests/support/AppDriver.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

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
    HWND main = program.WaitForMainWindow();
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
