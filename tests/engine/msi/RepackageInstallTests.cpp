// A repackaged project end to end: the test setup program (this build's image) installs under the
// installation monitor, writing files under the 64-bit Program Files folder and registry values in
// HKCU and in both views of HKLM; the captured project is built, the setup program's install is
// undone, and msiexec brings every value back in the view it was written in, with its type and
// bytes; /x removes everything again. Every msiexec call runs under a time-out.

#include "InstallerRun.h"
#include "tests/support/RecordingOutput.h"
#include "PackagePlatformCheck.h"

#include "engine/files/SystemFolderTable.h"
#include "engine/model/GuidText.h"
#include "engine/monitor/MonitorSequence.h"
#include "engine/msi/MsiTools.h"
#include "tests/engine/monitor/MonitorTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/setupprog/SetupProgIds.h"

#include <gtest/gtest.h>

#include <shlobj.h>

using namespace installtest;
using testsupport::FileExists;
using testsupport::ScratchFolder;

namespace {

const wchar_t kValuesKey[] = L"Software\\TarnwickRepackE2E";
// What the setup program's own install writes besides the values of the test.
const wchar_t* const kProductKey = kSetupProgProductKey;
const wchar_t* const kUninstallKey = kSetupProgUninstallKey;

std::vector<uint8_t> Utf16(const wchar_t* text, size_t characters)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    return std::vector<uint8_t>(bytes, bytes + characters * sizeof(wchar_t));
}

struct View {
    const char* name;
    const wchar_t* rootSwitch; // the setup program's /regvalue root
    HKEY root;
    REGSAM access;
};
const View kMachine64 = {"HKLM 64-bit view", L"HKLM64", HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY};
const View kMachine32 = {"HKLM 32-bit view", L"HKLM32", HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY};
const View kUser = {"HKCU", L"HKCU", HKEY_CURRENT_USER, 0};

struct WrittenValue {
    const View* view;
    const wchar_t* name;
    const wchar_t* type;  // the setup program's /regvalue type
    const wchar_t* data;  // and data
    DWORD registryType;   // what the installed value must be
    std::vector<uint8_t> bytes;
};

const std::vector<WrittenValue>& WrittenValues()
{
    static const DWORD seven = 7;
    static const std::vector<WrittenValue> values = {
        {&kMachine64, L"Text", L"sz", L"sixty-four", REG_SZ, Utf16(L"sixty-four", 10)},
        {&kMachine64, L"Single", L"multi", L"single", REG_MULTI_SZ, Utf16(L"single\0", 7)},
        {&kMachine64, L"HashList", L"multi", L"#first|second", REG_MULTI_SZ, Utf16(L"#first\0second\0", 14)},
        {&kMachine64, L"Count", L"dword", L"7", REG_DWORD,
         std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(&seven), reinterpret_cast<const uint8_t*>(&seven + 1))},
        {&kMachine64, L"Blob", L"binary", L"0aff", REG_BINARY, {0x0a, 0xff}},
        {&kMachine64, L"Expand", L"expand", L"%SystemRoot%\\x", REG_EXPAND_SZ, Utf16(L"%SystemRoot%\\x", 14)},
        {&kMachine32, L"Text", L"sz", L"thirty-two", REG_SZ, Utf16(L"thirty-two", 10)},
        {&kMachine32, L"Single", L"multi", L"single32", REG_MULTI_SZ, Utf16(L"single32\0", 9)},
        {&kUser, L"Text", L"sz", L"user", REG_SZ, Utf16(L"user", 4)},
        {&kUser, L"Single", L"multi", L"single", REG_MULTI_SZ, Utf16(L"single\0", 7)},
        {&kUser, L"HashList", L"multi", L"#first|second", REG_MULTI_SZ, Utf16(L"#first\0second\0", 14)},
    };
    return values;
}

// Everything the setup program's install and the package leave, in every view.
void RemoveInstall(const CString& folder, const CString& shortcutFolder)
{
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        for (const wchar_t* key : {kValuesKey, kProductKey, kUninstallKey}) {
            HKEY opened = nullptr;
            const CString parent = CString(key).Left(CString(key).ReverseFind(L'\\'));
            const CString name = CString(key).Mid(CString(key).ReverseFind(L'\\') + 1);
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, parent, 0, KEY_ALL_ACCESS | view, &opened) == ERROR_SUCCESS) {
                RegDeleteTreeW(opened, name);
                RegCloseKey(opened);
            }
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kValuesKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
    testsupport::RemoveTree(folder);
    testsupport::RemoveTree(shortcutFolder);
}

std::string Describe(const WrittenValue& value)
{
    return std::string(value.view->name) + " value '" + testsupport::Utf8(value.name) + "'";
}

class RepackagedInstall : public monitortest::MonitorTest {};

TEST_F(RepackagedInstall, EveryValueComesBackInTheViewItWasWrittenInAndGoesWithTheProduct)
{
    const CString programFiles64 = GetSystemFolderPath(L"ProgramFiles64Folder");
    ASSERT_FALSE(programFiles64.IsEmpty()) << "no 64-bit Program Files folder";
    CString product;
    product.Format(L"TarnwickRepackE2E-%lu", GetCurrentProcessId());
    const CString folder = programFiles64 + L"\\" + product;
    const CString shortcutFolder = KnownFolder(CSIDL_PROGRAMS) + L"\\Test Setup";
    RemoveInstall(folder, shortcutFolder);

    ScratchFolder projectFolder, results, program, output;
    CString commandLine;
    commandLine.Format(L"\"%s\" /silent /install:\"%s\" /result:\"%s\"", monitortest::SetupProgramPath().GetString(),
                       folder.GetString(), (results / L"result.txt").GetString());
    for (const WrittenValue& value : WrittenValues()) {
        CString argument;
        argument.Format(L" \"/regvalue:%s|%s|%s|%s|%s\"", value.view->rootSwitch, kValuesKey, value.name, value.type,
                        value.data);
        commandLine += argument;
    }
    CFeature project;
    project.m_name = L"Repackaged";
    project.m_conversionMode = CFeature::modeRepackage;
    const DWORD monitored = MonitorProject(project, commandLine, projectFolder.Path(), nullptr);
    RemoveInstall(folder, shortcutFolder);
    ASSERT_EQ(0u, monitored);
    std::vector<uint8_t> result;
    ASSERT_TRUE(testsupport::ReadAllBytes(results / L"result.txt", result)) << "the setup program wrote no result";
    const std::string written = "regvalues=" + std::to_string(WrittenValues().size()) + "\r\n";
    ASSERT_NE(std::string::npos, std::string(result.begin(), result.end()).find(written))
        << "the setup program did not write all its values:\n" << std::string(result.begin(), result.end());
    for (const WrittenValue& value : WrittenValues())
        EXPECT_EQ(0u, ReadValue(value.view->root, kValuesKey, value.view->access, value.name).type)
            << Describe(value) << " was not undone";

    CProjectSettings package;
    package.m_productName = L"Tarnwick Repackaged E2E";
    package.m_productVersion = L"1.0.0";
    package.m_productCode = NewGuidString();
    package.m_companyName = L"Morvalund";
    package.m_outputFolder = output.Path();
    package.m_outputFileName = L"repackaged.msi";
    package.m_packageFiles = CProjectSettings::filesInCabinet;
    package.m_projects.Add(project);
    ASSERT_TRUE(CopyFileW(testsupport::ModuleFolder() + L"\\schema.bin", program / L"schema.bin", FALSE));
    ASSERT_TRUE(CopyFileW(testsupport::FixturePath(L"msi-velt-standin.dll"), program / L"velt.bin", FALSE));
    RecordingOutput lines;
    MsiBuildOptions options;
    options.programFolder = program.Path() + L"\\";
    options.packageFolder = projectFolder.Path(); // where the monitor copied the captured files
    options.output = &lines;
    int built = 0;
    {
        CMsiTools builder(&package, options);
        built = builder.BuildPackage();
    }
    ASSERT_EQ(0, built) << (lines.lines.empty() ? "" : lines.lines.back());
    const CString msi = output / L"repackaged.msi";
    EXPECT_EQ("x64;0", buildtest::PackageTemplate(msi)) << "files under the 64-bit Program Files folder";
    EXPECT_EQ("", buildtest::CheckComponentPlatform(msi));

    const CString installLog = output / L"install.log";
    DWORD exitCode = 0;
    ASSERT_TRUE(RunMsiexec(L"/i \"" + msi + L"\" /qn /l*v \"" + installLog + L"\"", exitCode));
    ASSERT_EQ(0u, exitCode) << "msiexec /i; log:\n" << ReadLog(installLog).substr(0, 20000);
    for (const wchar_t* name : {L"readme.txt", L"app.dat", L"unins000.exe"})
        EXPECT_TRUE(FileExists(folder + L"\\" + name)) << testsupport::Utf8(name) << " did not come back";
    for (const WrittenValue& value : WrittenValues()) {
        const RegistryValue installed = ReadValue(value.view->root, kValuesKey, value.view->access, value.name);
        EXPECT_EQ(value.registryType, installed.type) << Describe(value);
        EXPECT_EQ(testsupport::Hex(value.bytes), testsupport::Hex(installed.data)) << Describe(value);
    }
    EXPECT_EQ(0u, ReadValue(HKEY_LOCAL_MACHINE, kValuesKey, KEY_WOW64_32KEY, L"Count").type)
        << "a 64-bit view's value reached the 32-bit view";

    const CString removeLog = output / L"remove.log";
    ASSERT_TRUE(RunMsiexec(L"/x \"" + msi + L"\" /qn /l*v \"" + removeLog + L"\"", exitCode));
    EXPECT_EQ(0u, exitCode) << "msiexec /x; log:\n" << ReadLog(removeLog).substr(0, 20000);
    for (const WrittenValue& value : WrittenValues())
        EXPECT_EQ(0u, ReadValue(value.view->root, kValuesKey, value.view->access, value.name).type)
            << Describe(value) << " stayed";
    EXPECT_FALSE(FileExists(folder + L"\\readme.txt")) << "the files stayed";
    RemoveInstall(folder, shortcutFolder);
}

} // namespace
