#include "customaction/UninstallAction.h"

#include "customaction/EmbeddedSettings.h"
#include "customaction/InstallAction.h"
#include "customaction/InstallerLog.h"
#include "customaction/SetupRunner.h"
#include "engine/files/Globals.h"
#include "framework/Handle.h"

#include <vector>

namespace {

// A string value of any length, REG_SZ or REG_EXPAND_SZ (not expanded), with or without its
// terminator in the registry.
[[nodiscard]] LONG ReadStringValue(HKEY key, const wchar_t* name, CString& value)
{
    value.Empty();
    DWORD type = 0;
    DWORD bytes = 0;
    LONG error = RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes);
    if (error != ERROR_SUCCESS)
        return error;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_UNSUPPORTED_TYPE;
    // Room for a terminator the value may lack; grown if the value grew in between.
    for (;;) {
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
        DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        error = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (error == ERROR_MORE_DATA) {
            bytes = size;
            continue;
        }
        if (error != ERROR_SUCCESS)
            return error;
        // The stored text ends at its first terminator; the buffer's last unit, never written,
        // ends a value that has none.
        value = buffer.data();
        return 0;
    }
}

CString InstalledProgramKeyPath(const CString& projectId)
{
    return CString(kInstalledProgramKey) + projectId;
}

// Runs one project's kept command; false when the walk must stop.
bool UninstallProject(MSIHANDLE install, int index, const CString& customActionData)
{
    const CFeature& project = GlobalPackage().m_projects[index];
    LogInstallerFormat(install, L"Uninstall script for '%s' is started.", project.m_installerPath.GetString());
    CString command;
    const LONG error = ReadUninstallString(project.m_id, command);
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        // The install found no command for this project; the other projects still get theirs.
        LogInstallerFormat(install, L"Warning: Uninstall String for '%s' is not detected. The uninstall process failed.",
                           project.m_installerPath.GetString());
        return true;
    }
    const CString& arguments = customActionData.IsEmpty() ? project.m_uninstallArguments : customActionData;
    if (DWORD runError = RunSetupProcess(index, install, command, arguments, runUninstall)) {
        LogInstallerFormat(install, L"Error %d Install script aborted.", static_cast<int>(runError));
        return false;
    }
    // The command ran: the key has served. A removal that could not run it keeps the key, so that
    // a later removal can find the command again.
    if (LONG removeError = RemoveUninstallString(project.m_id))
        LogInstallerFormat(install, L"Warning: Uninstall String for '%s' could not be removed: Error %d",
                           project.m_installerPath.GetString(), static_cast<int>(removeError));
    LogInstallerFormat(install, L"Uninstall script '%s' is completed successfully.", project.m_installerPath.GetString());
    return true;
}

} // namespace

LONG ScanUninstallKeys(CUninstallStrings& found, HKEY root, REGSAM access)
{
    UniqueRegKey uninstall;
    if (LONG error = RegOpenKeyExW(root, kSystemUninstallKey, 0, access, uninstall.Put()))
        return error;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256] = {};
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        FILETIME written = {};
        const LONG error = RegEnumKeyExW(uninstall.Get(), index, name, &nameLength, nullptr, nullptr, nullptr, &written);
        if (error == ERROR_NO_MORE_ITEMS)
            return ERROR_NO_MORE_ITEMS;
        if (error != ERROR_SUCCESS)
            continue;
        UniqueRegKey program;
        // The subkey is opened in the same view as its parent.
        if (RegOpenKeyExW(uninstall.Get(), name, 0, KEY_READ | (access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY)),
                          program.Put()) != ERROR_SUCCESS)
            continue;
        CString command;
        if (ReadStringValue(program.Get(), kUninstallStringValue, command) != ERROR_SUCCESS)
            continue;
        CString lower = command;
        lower.MakeLower();
        if (lower.Find(L"msiexec") < 0 && CompareFileTime(&written, &found.m_startTime) >= 0)
            found.m_commands.Add(command);
    }
}

void CollectUninstallStrings(CUninstallStrings& found)
{
    const bool wow64 = ProcessIsWow64(GetCurrentProcess());
    (void)ScanUninstallKeys(found, HKEY_LOCAL_MACHINE, KEY_READ);
    if (wow64)
        (void)ScanUninstallKeys(found, HKEY_LOCAL_MACHINE, KEY_READ | KEY_WOW64_64KEY);
    (void)ScanUninstallKeys(found, HKEY_CURRENT_USER, KEY_READ);
    if (wow64)
        (void)ScanUninstallKeys(found, HKEY_CURRENT_USER, KEY_READ | KEY_WOW64_64KEY);
}

LONG StoreUninstallString(const CString& projectId, const CString& command)
{
    UniqueRegKey key;
    if (LONG error = RegCreateKeyExW(HKEY_LOCAL_MACHINE, InstalledProgramKeyPath(projectId), 0, nullptr, 0,
                                     KEY_READ | KEY_WRITE, nullptr, key.Put(), nullptr))
        return error;
    const DWORD bytes = static_cast<DWORD>((command.GetLength() + 1) * sizeof(wchar_t));
    if (LONG error = RegSetValueExW(key.Get(), kUninstallStringValue, 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(command.GetString()), bytes))
        return error;
    return RegFlushKey(key.Get());
}

LONG ReadUninstallString(const CString& projectId, CString& command)
{
    command.Empty();
    UniqueRegKey key;
    if (LONG error = RegOpenKeyExW(HKEY_LOCAL_MACHINE, InstalledProgramKeyPath(projectId), 0, KEY_READ, key.Put()))
        return error;
    // A value that cannot be read leaves the command empty; the run then reports its own error.
    (void)ReadStringValue(key.Get(), kUninstallStringValue, command);
    return 0;
}

LONG RemoveUninstallString(const CString& projectId)
{
    const LONG error = RegDeleteKeyW(HKEY_LOCAL_MACHINE, InstalledProgramKeyPath(projectId));
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
        return error;
    // The keys above it belong to this library alone; each goes once nothing else is left in it
    // (another package's kept command, or a value someone put there).
    CString path = kInstalledProgramKey;
    path.TrimRight(L'\\');
    // Up to Morvalund, never SOFTWARE itself.
    for (; path.Find(L'\\') >= 0; path = path.Left(path.ReverseFind(L'\\'))) {
        UniqueRegKey key;
        const LONG openError = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.Put());
        if (openError == ERROR_FILE_NOT_FOUND)
            continue; // gone already; its parent may still be empty
        if (openError != ERROR_SUCCESS)
            break;
        DWORD subkeys = 0;
        DWORD values = 0;
        if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            subkeys != 0 || values != 0)
            break;
        key.Reset();
        if (RegDeleteKeyW(HKEY_LOCAL_MACHINE, path) != ERROR_SUCCESS)
            break;
    }
    return 0;
}

UINT RunUninstallAction(MSIHANDLE install)
{
    if (!UserIsAdmin()) {
        LogInstallerMessage(install, L"Error. The administrator privileges is required to run the script.");
        return kActionFailed;
    }
    CProjectSettings& package = GlobalPackage();
    LogInstallerFormat(install, L"Init Uninstall process '%s'.", package.m_productName.GetString());
    if (DWORD error = LoadEmbeddedSettings()) {
        LogInstallerFormat(install, L"Loading settings failed: Error %d Uninstall script is aborted.",
                           static_cast<int>(error));
        return 0;
    }
    const CString customActionData = GetCustomActionData(install);
    // Only wrapped projects ever got a kept command: the walk follows the install action's rule.
    for (int index = 0; index < package.m_projects.GetCount(); ++index) {
        if (IsWrappedProject(package.m_projects[index]) && !UninstallProject(install, index, customActionData))
            return 0;
    }
    LogInstallerFormat(install, L"Uninstall process '%s' is completed successfully.", package.m_productName.GetString());
    return 0;
}
