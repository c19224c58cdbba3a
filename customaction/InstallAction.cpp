#include "customaction/InstallAction.h"

#include "customaction/EmbeddedSettings.h"
#include "customaction/InstallerLog.h"
#include "customaction/SetupRunner.h"
#include "customaction/UninstallAction.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace {

bool SystemAdminCheck()
{
    return IsUserAnAdmin() != FALSE;
}

bool (*g_isAdmin)() = SystemAdminCheck;

// Both folders must be readable before anything runs: the setup program lies under the Windows
// folder's Temp folder.
bool ReadSystemFolders(CString& windowsFolder)
{
    wchar_t temp[MAX_PATH] = {};
    const DWORD tempLength = GetTempPathW(MAX_PATH, temp);
    wchar_t windows[MAX_PATH] = {};
    const UINT windowsLength = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (tempLength == 0 || tempLength > MAX_PATH || windowsLength == 0 || windowsLength > MAX_PATH)
        return false;
    windowsFolder = windows;
    return true;
}

FILETIME CurrentFileTime()
{
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    FILETIME time = {};
    SystemTimeToFileTime(&now, &time);
    return time;
}

// Keeps the first uninstall command registered during the run, or warns that there is none.
void KeepUninstallCommand(MSIHANDLE install, const CFeature& project, const FILETIME& start)
{
    CUninstallStrings found;
    found.m_startTime = start;
    CollectUninstallStrings(found);
    if (found.m_commands.IsEmpty()) {
        LogInstallerFormat(install,
                           L"Warning: Uninstall String for '%s' was not detected. The uninstall process will failed.",
                           project.m_installerPath.GetString());
        return;
    }
    if (LONG error = StoreUninstallString(project.m_id, found.m_commands[0]))
        LogInstallerFormat(install, L"Warning: Uninstall String for '%s' could not be kept: Error %d",
                           project.m_installerPath.GetString(), static_cast<int>(error));
}

} // namespace

void SetAdminCheckForTests(bool (*isAdmin)())
{
    g_isAdmin = isAdmin ? isAdmin : SystemAdminCheck;
}

bool UserIsAdmin()
{
    return g_isAdmin();
}

UINT RunInstallAction(MSIHANDLE install, int number)
{
    if (!UserIsAdmin()) {
        LogInstallerMessage(install, L"Error. The administrator privileges are required to run the script.");
        MessageBoxW(nullptr, L"The administrator privileges are required to install this package.", nullptr, MB_OK);
        return kActionFailed;
    }
    CProjectSettings& package = GlobalPackage();
    LogInstallerFormat(install, L"Init install process '%s'.", package.m_productName.GetString());
    if (DWORD error = LoadEmbeddedSettings()) {
        LogInstallerFormat(install, L"Loading settings failed: Error %d Install script is aborted.",
                           static_cast<int>(error));
        return kActionFailed;
    }
    const int wrapped = CountWrappedProjects(package.m_projects);
    CString windowsFolder;
    if (!ReadSystemFolders(windowsFolder)) {
        LogInstallerFormat(install, L"Loading settings failed: Error %d Install script is aborted.", 0);
        return kActionFailed;
    }
    if (wrapped == 0)
        return 0;

    const CString customActionData = GetCustomActionData(install);
    const int index = FindWrappedProject(package.m_projects, number);
    if (index >= 0) {
        const CFeature& project = package.m_projects[index];
        const FILETIME start = CurrentFileTime();
        LogInstallerFormat(install, L"Install script '%s' is started.", project.m_installerPath.GetString());
        CString installer = project.m_installerPath;
        installer.Trim();
        CString program;
        program.Format(L"%s\\Temp\\%s\\%s", windowsFolder.GetString(), project.m_id.GetString(),
                       PathFindFileNameW(installer));
        const CString& arguments = customActionData.IsEmpty() ? project.m_installerArguments : customActionData;
        if (DWORD error = RunSetupProcess(index, install, program, arguments, runInstall)) {
            LogInstallerFormat(install, L"Error %d Install script failed", static_cast<int>(error));
            return kActionFailed;
        }
        KeepUninstallCommand(install, project, start);
        LogInstallerFormat(install, L"Install script '%s' is completed successfully.",
                           project.m_installerPath.GetString());
    }
    LogInstallerFormat(install, L"Install process '%s' is completed successfully.", package.m_productName.GetString());
    return 0;
}
