#pragma once
// The uninstall export's action and the registry side of both actions: the search for the
// uninstall commands that a setup program registered during its run, and the installed-program key
// HKLM\SOFTWARE\Morvalund\Tarnwick\Installer\<project id> that keeps the one found until removal.

#include "framework/Array.h"
#include "framework/String.h"

#include <windows.h>
#include <msi.h>

inline constexpr wchar_t kInstalledProgramKey[] = L"SOFTWARE\\Morvalund\\Tarnwick\\Installer\\";
inline constexpr wchar_t kSystemUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr wchar_t kUninstallStringValue[] = L"UninstallString";

// The uninstall commands found after a run, and the run's start time (UTC).
struct CUninstallStrings {
    CStringArray m_commands;
    FILETIME m_startTime{};
};

// Appends the commands of programs registered since the start time: HKLM, HKLM's 64-bit view
// under WOW64, HKCU, HKCU's 64-bit view under WOW64. Commands that run msiexec are left out (an
// MSI package removes itself); unreadable keys and values are skipped.
void CollectUninstallStrings(CUninstallStrings& found);
// Scans one view of one root: ERROR_NO_MORE_ITEMS after a complete scan, else the error of
// opening the uninstall key.
[[nodiscard]] LONG ScanUninstallKeys(CUninstallStrings& found, HKEY root, REGSAM access);

// The installed-program key of a project: writing keeps the command (0 or a registry error);
// reading gives it whole, of any length (0, or the registry error; ERROR_FILE_NOT_FOUND when the
// key is missing).
[[nodiscard]] LONG StoreUninstallString(const CString& projectId, const CString& command);
[[nodiscard]] LONG ReadUninstallString(const CString& projectId, CString& command);
// Removes the installed-program key of a project once its command has run, then each key above
// it up to HKLM\SOFTWARE\Morvalund that holds nothing else any more. 0 also when the key was
// already gone; otherwise the registry error of deleting it.
[[nodiscard]] LONG RemoveUninstallString(const CString& projectId);

// Runs the kept uninstall command of every wrapped project with its uninstall script, removing
// the kept command once it has run. 0, or 1603 only when the user is not an administrator:
// nothing else may block a removal.
[[nodiscard]] UINT RunUninstallAction(MSIHANDLE install);
