// The whole road: the test setup program's "install", monitored from the snapshot to the copy,
// becomes project records in folder-property form with its files copied into the project folder.

#include "engine/files/PathHelpers.h"
#include "engine/monitor/MonitorSequence.h"
#include "tests/engine/monitor/MonitorTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/setupprog/SetupProgIds.h"

#include <gtest/gtest.h>

#include <shlobj.h>

using namespace monitortest;
using testsupport::FileExists;
using testsupport::ScratchFolder;

namespace {

const wchar_t* const kProductKey = kSetupProgProductKey;
const wchar_t* const kUninstallKey = kSetupProgUninstallKey;

// What the setup program's install leaves behind, removed before and after the run so that the
// snapshot sees its keys as new.
void RemoveInstall(const CString& folder, const CString& shortcutFolder)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
    testsupport::RemoveTree(folder);
    testsupport::RemoveTree(shortcutFolder);
}

const CRegistryEntry* FindValue(const CFeature& project, const CString& key, const wchar_t* name)
{
    return project.m_registry.FindValue(key, name);
}

} // namespace

TEST_F(MonitorTest, AMonitoredInstallBecomesProjectRecordsAndCopiedFiles)
{
    const CString programFiles = GetSystemFolderPath(L"ProgramFilesFolder");
    ASSERT_FALSE(programFiles.IsEmpty());
    CString product;
    product.Format(L"TarnwickMonitorE2E-%lu", GetCurrentProcessId());
    const CString folder = programFiles + L"\\" + product;
    wchar_t programs[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs));
    const CString shortcutFolder = CString(programs) + L"\\Test Setup";
    RemoveInstall(folder, shortcutFolder);

    ScratchFolder projectFolder;
    ScratchFolder results;
    CString commandLine;
    commandLine.Format(L"\"%s\" /silent /install:\"%s\" /result:\"%s\"", SetupProgramPath().GetString(),
                       folder.GetString(), (results / L"result.txt").GetString());
    CFeature project;
    const DWORD result = MonitorProject(project, commandLine, projectFolder.Path(), nullptr);
    RemoveInstall(folder, shortcutFolder);
    EXPECT_EQ(0u, result);

    const CString base = L"ProgramFilesFolder\\" + product;
    const CFileEntry* root = project.m_files.FindByPath(L"ProgramFilesFolder\\");
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(CFileEntry::kindRoot, root->m_kind);
    const CFileEntry* appFolder = project.m_files.FindByPath(base + L"\\");
    ASSERT_NE(nullptr, appFolder);
    EXPECT_EQ(CFileEntry::kindFolder, appFolder->m_kind);
    for (const wchar_t* name : {L"readme.txt", L"app.dat", L"unins000.exe"}) {
        const CString path = base + L"\\" + name;
        const CFileEntry* file = project.m_files.FindByPath(path);
        ASSERT_NE(nullptr, file) << testsupport::Utf8(path.View());
        EXPECT_EQ(CFileEntry::kindFile, file->m_kind) << testsupport::Utf8(path.View());
        EXPECT_TRUE(file->m_sourcePath.IsEmpty())
            << testsupport::Utf8(path.View()) << ": copied, so the project holds it now";
        EXPECT_TRUE(FileExists(projectFolder.Path() + L"\\" + path)) << testsupport::Utf8(path.View());
    }
    const CFileEntry* shortcut = project.m_files.FindByPath(L"ProgramMenuFolder\\Test Setup\\Test App.lnk");
    ASSERT_NE(nullptr, shortcut);
    EXPECT_EQ(CFileEntry::kindShortcut, shortcut->m_kind);
    EXPECT_EQ(testsupport::Utf8((base + L"\\readme.txt").View()), testsupport::Utf8(shortcut->m_sourcePath.View()));
    EXPECT_EQ("Test application", testsupport::Utf8(shortcut->m_description.View()));

    const CRegistryEntry* user =
        FindValue(project, L"HKEY_CURRENT_USER\\Software\\TarnwickTest\\SetupProg\\", L"InstallFolder");
    ASSERT_NE(nullptr, user);
    EXPECT_EQ("[ProgramFilesFolder]" + testsupport::Utf8(product.View()), testsupport::Utf8(user->m_value.View()));
    const CRegistryEntry* machine =
        FindValue(project, L"HKEY_LOCAL_MACHINE\\Software\\TarnwickTest\\SetupProg\\", L"Version");
    ASSERT_NE(nullptr, machine);
    EXPECT_EQ("1.0", testsupport::Utf8(machine->m_value.View()));
    const CString uninstall = L"HKEY_LOCAL_MACHINE\\" + CString(kUninstallKey) + L"\\";
    EXPECT_NE(nullptr, project.m_registry.FindKey(uninstall));
    const CRegistryEntry* uninstallString = FindValue(project, uninstall, L"UninstallString");
    ASSERT_NE(nullptr, uninstallString);
    EXPECT_NE(-1, uninstallString->m_value.Find(L"[ProgramFilesFolder]" + product + L"\\unins000.exe"))
        << testsupport::Utf8(uninstallString->m_value.View());
}
