#pragma once
// The installed programs of the machine, read from the uninstall entries of the registry, without
// a window: which keys are visited in which order and registry view, which entries are listed, and
// what each listed row shows. The installed-programs dialog shows the rows; tests feed the filter
// values directly.
//
// A 64-bit program sees 32-bit programs only through the 32-bit registry view, and a 32-bit
// program on 64-bit Windows sees 64-bit programs only through the 64-bit view: every key is
// visited once in the process's own view and once more in the other view, where there is one.

#include "framework/String.h"

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

// The uninstall entries' path under HKEY_LOCAL_MACHINE and under each user's hive.
inline constexpr wchar_t kUninstallKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// Where the user profiles (their security identifiers) are listed, under HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kProfileListPath[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

struct UninstallOptions {
    bool showUpdates = false;             // "Display updates and hotfixes"
    bool showInstallerPackages = false;   // "Display Windows Installer packages (MSI)"
};

// One uninstall key to visit: a root, a path under it and the registry view to open it in.
struct UninstallKey {
    HKEY root;           // not owned: a predefined key
    CString path;
    REGSAM view = 0;     // 0 (the process's own view), KEY_WOW64_32KEY or KEY_WOW64_64KEY
};

// The view that holds what the process's own view does not show: the 32-bit view for a 64-bit
// program, the 64-bit view for a 32-bit program under WOW64, none (0) for a 32-bit program on
// 32-bit Windows.
REGSAM OtherRegistryView(bool is64BitProgram, bool isWow64);
// The same for this program (its build and the WOW64 flag of the globals).
REGSAM OtherRegistryView();

// The keys in visiting order: the machine's, then each profile's under HKEY_USERS; then all of them
// again in otherView when it is not 0.
std::vector<UninstallKey> UninstallKeysToVisit(const std::vector<CString>& profiles, REGSAM otherView);

// The names of the subkeys of the profile list, in enumeration order (empty when it cannot be read).
std::vector<CString> ReadProfileIds();

// What one entry's subkey holds. A string value of another type than REG_SZ or REG_EXPAND_SZ is
// missing; SystemComponent of another type than REG_DWORD is 0.
struct UninstallValues {
    DWORD systemComponent = 0;
    std::optional<CString> releaseType;
    std::optional<CString> uninstallString;
    std::optional<CString> displayName;
    std::optional<CString> displayVersion;
    std::optional<CString> displayIcon;
    FILETIME lastWrite{};    // the subkey's last-write time (UTC)
};

UninstallValues ReadUninstallValues(HKEY entry);

// One listed program.
struct UninstallRow {
    CString name;
    CString version;          // empty when the entry has none
    CString command;          // as shown: for installer packages the removal form
    CString iconPath;         // the DisplayIcon value as it stands; empty when missing
    FILETIME lastWrite{};
};

// Every "<program>.exe /I" turned into ".exe /X": an installer package's command that would
// install (or repair) becomes the one that removes it.
CString RemovalCommand(const CString& command);

// Decides entry by entry, in visiting order, which are listed; it remembers the commands of the
// rows it took, so that an entry registered in several places is listed once.
class CUninstallFilter {
public:
    explicit CUninstallFilter(const UninstallOptions& options) : m_options(options) {}

    // The row for the entry, or nothing when it is hidden or already listed.
    std::optional<UninstallRow> Take(const UninstallValues& values);

private:
    UninstallOptions m_options;
    // Both the command as read and as shown of every row taken: an entry registered twice is
    // one program whether it is compared before or after the removal form was made.
    std::set<std::wstring> m_commands;
};

// Visits the keys and answers the listed rows in order. Keys that cannot be opened (a profile
// whose hive is not loaded, a view that does not exist) are skipped.
std::vector<UninstallRow> ReadUninstallRows(const UninstallOptions& options, const std::vector<UninstallKey>& keys);

// Seconds since 1970 (UTC) of a FILETIME, for the date formatting.
long long FileTimeToUnixSeconds(const FILETIME& time);
