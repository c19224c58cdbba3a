#include "app/monitor/UninstallEntries.h"

#include "engine/files/Globals.h"

#include "framework/Handle.h"

namespace {

// Long enough for the subkey names the registry allows (255 characters).
constexpr DWORD kMaxKeyName = 256;

std::vector<CString> SubkeyNames(HKEY key)
{
    std::vector<CString> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kMaxKeyName] = {};
        DWORD length = kMaxKeyName;
        const LONG status = ::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS)
            names.emplace_back(name, static_cast<int>(length));
        else if (status != ERROR_MORE_DATA)
            break;
    }
    return names;
}

// A string value (REG_SZ or REG_EXPAND_SZ, not expanded), or nothing.
std::optional<CString> ReadString(HKEY key, const wchar_t* name)
{
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return std::nullopt;
    // Room for a terminator that the stored data may lack.
    std::wstring buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    buffer.resize(size / sizeof(wchar_t));
    while (!buffer.empty() && buffer.back() == L'\0')
        buffer.pop_back();
    return CString(buffer.c_str(), static_cast<int>(buffer.size()));
}

bool ContainsLower(const CString& text, const wchar_t* lowerPart)
{
    CString lower = text;
    lower.MakeLower();
    return lower.Find(lowerPart) >= 0;
}

} // namespace

REGSAM OtherRegistryView(bool is64BitProgram, bool isWow64)
{
    if (is64BitProgram)
        return KEY_WOW64_32KEY;
    return isWow64 ? KEY_WOW64_64KEY : 0;
}

REGSAM OtherRegistryView()
{
    return OtherRegistryView(sizeof(void*) == 8, IsWow64 != 0);
}

std::vector<UninstallKey> UninstallKeysToVisit(const std::vector<CString>& profiles, REGSAM otherView)
{
    std::vector<UninstallKey> keys;
    const REGSAM views[] = {0, otherView};
    for (int pass = 0; pass < (otherView ? 2 : 1); ++pass) {
        keys.push_back({HKEY_LOCAL_MACHINE, kUninstallKeyPath, views[pass]});
        for (const CString& profile : profiles) {
            CString path;
            path.Format(L"%s\\%s", profile.GetString(), kUninstallKeyPath);
            keys.push_back({HKEY_USERS, path, views[pass]});
        }
    }
    return keys;
}

std::vector<CString> ReadProfileIds()
{
    UniqueRegKey list;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileListPath, 0, KEY_READ, list.Put()) != ERROR_SUCCESS)
        return {};
    return SubkeyNames(list.Get());
}

UninstallValues ReadUninstallValues(HKEY entry)
{
    UninstallValues values;
    DWORD type = 0;
    DWORD component = 0;
    DWORD size = sizeof(component);
    if (::RegQueryValueExW(entry, L"SystemComponent", nullptr, &type, reinterpret_cast<BYTE*>(&component), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD)
        values.systemComponent = component;
    values.releaseType = ReadString(entry, L"ReleaseType");
    values.uninstallString = ReadString(entry, L"UninstallString");
    values.displayName = ReadString(entry, L"DisplayName");
    values.displayVersion = ReadString(entry, L"DisplayVersion");
    values.displayIcon = ReadString(entry, L"DisplayIcon");
    ::RegQueryInfoKeyW(entry, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &values.lastWrite);
    return values;
}

CString RemovalCommand(const CString& command)
{
    CString result = command;
    result.Replace(L".exe /I", L".exe /X");
    return result;
}

std::optional<UninstallRow> CUninstallFilter::Take(const UninstallValues& values)
{
    // The tests in this order: cheap flags first, then the command, then the name.
    if (values.systemComponent != 0)
        return std::nullopt;
    if (!m_options.showUpdates && values.releaseType &&
        (ContainsLower(*values.releaseType, L"update") || ContainsLower(*values.releaseType, L"hotfix")))
        return std::nullopt;
    if (!values.uninstallString)
        return std::nullopt;
    const CString& asRead = *values.uninstallString;
    if (m_commands.count(asRead.GetString()))
        return std::nullopt;
    const bool runsInstaller = ContainsLower(asRead, L"msiexec");
    if (!m_options.showInstallerPackages && runsInstaller)
        return std::nullopt;
    if (!values.displayName)
        return std::nullopt;
    if (!m_options.showUpdates && ContainsLower(*values.displayName, L"(kb"))
        return std::nullopt;

    UninstallRow row;
    row.name = *values.displayName;
    row.version = values.displayVersion.value_or(CString());
    row.command = runsInstaller ? RemovalCommand(asRead) : asRead;
    row.iconPath = values.displayIcon.value_or(CString());
    row.lastWrite = values.lastWrite;
    m_commands.insert(asRead.GetString());
    m_commands.insert(row.command.GetString());
    return row;
}

std::vector<UninstallRow> ReadUninstallRows(const UninstallOptions& options, const std::vector<UninstallKey>& keys)
{
    std::vector<UninstallRow> rows;
    CUninstallFilter filter(options);
    for (const UninstallKey& key : keys) {
        UniqueRegKey uninstall;
        if (::RegOpenKeyExW(key.root, key.path, 0, KEY_READ | key.view, uninstall.Put()) != ERROR_SUCCESS)
            continue;
        for (const CString& name : SubkeyNames(uninstall.Get())) {
            UniqueRegKey entry;
            if (::RegOpenKeyExW(uninstall.Get(), name, 0, KEY_READ | key.view, entry.Put()) != ERROR_SUCCESS)
                continue;
            if (std::optional<UninstallRow> row = filter.Take(ReadUninstallValues(entry.Get())))
                rows.push_back(std::move(*row));
        }
    }
    return rows;
}

long long FileTimeToUnixSeconds(const FILETIME& time)
{
    // 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
    constexpr long long kEpochDifference = 116444736000000000LL;
    const long long value = (static_cast<long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (value - kEpochDifference) / 10000000LL;
}
