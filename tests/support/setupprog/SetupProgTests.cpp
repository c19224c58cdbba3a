// The switches of the test setup program that other tests build on: install and uninstall, the
// file lock, the exit code.

#include "framework/String.h"
#include "tests/support/TestSupport.h"
#include "tests/support/setupprog/SetupProgIds.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

namespace {

CString ProgramPath()
{
    return testsupport::ModuleFolder() + L"\\setupprog.exe";
}

CString ReadString(HKEY root, const wchar_t* key, const wchar_t* name)
{
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"(missing)";
    return value;
}

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TarnwickTestSetup";

} // namespace

TEST(SetupProgram, InstallsAndItsUninstallStringRemovesEverything)
{
    testsupport::ScratchFolder scratch;
    const CString folder = scratch / L"Test App";
    CString install;
    install.Format(L"\"%s\" /silent /install:\"%s\" /result:\"%s\"", static_cast<const wchar_t*>(ProgramPath()),
                   static_cast<const wchar_t*>(folder), static_cast<const wchar_t*>(scratch / L"install.txt"));
    testsupport::ChildResult installed = testsupport::RunChild(install, 30000);
    ASSERT_TRUE(installed.started);
    EXPECT_EQ(0u, installed.exitCode);
    for (const wchar_t* file : {L"readme.txt", L"app.dat", L"unins000.exe"})
        EXPECT_TRUE(testsupport::FileExists(folder + L"\\" + file)) << testsupport::Utf8(file);
    wchar_t programs[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
    const CString shortcut = CString(programs) + L"\\Test Setup\\Test App.lnk";
    EXPECT_TRUE(testsupport::FileExists(shortcut));
    EXPECT_EQ(testsupport::Utf8(folder.View()),
              testsupport::Utf8(
                  ReadString(HKEY_CURRENT_USER, L"Software\\TarnwickTest\\SetupProg", L"InstallFolder").View()));
    EXPECT_EQ("1.0",
              testsupport::Utf8(
                  ReadString(HKEY_LOCAL_MACHINE, L"Software\\TarnwickTest\\SetupProg", L"Version").View()));
    const CString uninstall = ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString");
    EXPECT_EQ(0, uninstall.Find(L"\"" + folder + L"\\unins000.exe\" /uninstall:"))
        << testsupport::Utf8(uninstall.View());

    // The uninstaller runs from the installed folder, as the uninstall entry says; its copy in the
    // temporary folder finishes the removal once it has ended.
    testsupport::ChildResult removed = testsupport::RunChild(uninstall, 30000);
    ASSERT_TRUE(removed.started);
    EXPECT_EQ(0u, removed.exitCode);
    for (int i = 0; i < 200 && testsupport::FileExists(folder); ++i)
        Sleep(50);
    EXPECT_FALSE(testsupport::FileExists(folder)) << "the installed folder is still there";
    EXPECT_FALSE(testsupport::FileExists(shortcut));
    EXPECT_EQ("(missing)",
              testsupport::Utf8(
                  ReadString(HKEY_CURRENT_USER, L"Software\\TarnwickTest\\SetupProg", L"InstallFolder").View()));
    EXPECT_EQ("(missing)", testsupport::Utf8(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString").View()));
}

TEST(SetupProgram, HoldsItsLockAndEndsWithItsCode)
{
    testsupport::ScratchFolder scratch;
    const CString locked = scratch / L"locked.bin";
    CString line;
    // The lock is taken before the wizard shows; the test ends the program itself.
    line.Format(L"\"%s\" /lock:\"%s\" /exitcode:3", static_cast<const wchar_t*>(ProgramPath()),
                static_cast<const wchar_t*>(locked));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, line.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    bool sharingViolation = false;
    for (int i = 0; i < 100 && !sharingViolation; ++i) {
        UniqueKernelHandle file(CreateFileW(locked, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        sharingViolation = !file && GetLastError() == ERROR_SHARING_VIOLATION;
        if (!sharingViolation)
            Sleep(50);
    }
    EXPECT_TRUE(sharingViolation) << "the file could still be opened while the program held it";
    TerminateProcess(processHandle.Get(), 3);
    WaitForSingleObject(processHandle.Get(), 5000);

    CString quit;
    quit.Format(L"\"%s\" /silent /exitcode:1234 /result:\"%s\"", static_cast<const wchar_t*>(ProgramPath()),
                static_cast<const wchar_t*>(scratch / L"r.txt"));
    testsupport::ChildResult ended = testsupport::RunChild(quit, 30000);
    EXPECT_EQ(1234u, ended.exitCode);
}

// Started bare, as the installation monitor starts a setup program, it takes its switches from the
// environment it inherited; switches on the command line leave the variable unread.
TEST(SetupProgram, StartedWithoutArgumentsTakesItsSwitchesFromTheEnvironment)
{
    testsupport::ScratchFolder scratch;
    wchar_t programFiles[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles));
    const CString folder = CString(programFiles) + L"\\Tarnwick Env Test";
    const CString result = scratch / L"env.txt";
    CString switches;
    switches.Format(L"/silent /install:\"%s\" /result:\"%s\" /exitcode:7", static_cast<const wchar_t*>(folder),
                    static_cast<const wchar_t*>(result));
    ASSERT_TRUE(SetEnvironmentVariableW(kSetupProgSwitchesVariable, switches));
    CString bare;
    bare.Format(L"\"%s\"", static_cast<const wchar_t*>(ProgramPath()));
    const testsupport::ChildResult installed = testsupport::RunChild(bare, 30000);
    CString explicitLine;
    explicitLine.Format(L"\"%s\" /silent /exitcode:9 /result:\"%s\"", static_cast<const wchar_t*>(ProgramPath()),
                        static_cast<const wchar_t*>(scratch / L"explicit.txt"));
    const testsupport::ChildResult withArguments = testsupport::RunChild(explicitLine, 30000);
    SetEnvironmentVariableW(kSetupProgSwitchesVariable, nullptr);

    ASSERT_TRUE(installed.started);
    EXPECT_EQ(7u, installed.exitCode);
    EXPECT_TRUE(testsupport::FileExists(folder + L"\\readme.txt"));
    EXPECT_EQ(testsupport::Utf8(folder.View()),
              testsupport::Utf8(
                  ReadString(HKEY_CURRENT_USER, L"Software\\TarnwickTest\\SetupProg", L"InstallFolder").View()));
    std::vector<uint8_t> text;
    ASSERT_TRUE(testsupport::ReadAllBytes(result, text));
    EXPECT_NE(std::string(text.begin(), text.end()).find("switches=environment"), std::string::npos);
    EXPECT_EQ(9u, withArguments.exitCode) << "the command line's switches, not the variable's";
    EXPECT_FALSE(testsupport::FileExists(scratch / L"env.txt.partial"));

    CString uninstall;
    uninstall.Format(L"\"%s\" /silent /uninstall:\"%s\"", static_cast<const wchar_t*>(ProgramPath()),
                     static_cast<const wchar_t*>(folder));
    EXPECT_EQ(0u, testsupport::RunChild(uninstall, 30000).exitCode);
    for (int i = 0; i < 200 && testsupport::FileExists(folder); ++i)
        Sleep(50);
    EXPECT_FALSE(testsupport::FileExists(folder));
}
