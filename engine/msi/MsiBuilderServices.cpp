// Services: a repackaged installation that registered a Windows service leaves the service's key
// among the project's registry values. Written back as plain values the key would not make a
// service, so each service key becomes a ServiceInstall and a ServiceControl row on the component
// of the service's program, and the values used for them are marked as taken: the registry step,
// which runs next, leaves taken values out.

#include "engine/msi/MsiTools.h"

#include "engine/model/GuidText.h"
#include "engine/model/RecordLookup.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kServicesKey[] = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\";

// What Windows Installer assumes where a service key is silent: the table's columns take no null.
constexpr int kOwnProcessService = 0x10;
constexpr int kDemandStart = 3;
constexpr int kErrorNormal = 1;

// ServiceControl event: start the service at installation, delete it at removal.
constexpr int kStartAndDeleteEvents = 0x81;

// The separator of a multi-string value as the registry records keep it, which is also the
// separator of MSI's Dependencies column.
constexpr wchar_t kListSeparator[] = L"[~]";

// The service name when the value's key path is a service key directly below kServicesKey.
bool ServiceNameOf(const CString& keyPath, CString& name)
{
    const int prefixLength = static_cast<int>(std::size(kServicesKey)) - 1;
    if (keyPath.GetLength() <= prefixLength ||
        !recordlookup::EqualsNoCase(keyPath.Left(prefixLength), kServicesKey))
        return false;
    CString rest = keyPath.Mid(prefixLength);
    rest.Trim(L'\\');
    // "A\\\\B" still names a sub-key: empty parts are skipped, so any inner backslash is one.
    if (rest.IsEmpty() || rest.Find(L'\\') >= 0)
        return false;
    name = rest;
    return true;
}

// Leading decimal digits; 0 when there are none.
int LeadingNumber(const CString& text)
{
    return static_cast<int>(wcstol(text, nullptr, 10));
}

// Splits an image path into the program and its arguments, without quotes.
void SplitImagePath(const CString& imagePath, CString& program, CString& arguments)
{
    CString lower = imagePath;
    lower.MakeLower();
    const int exe = lower.Find(L".exe");
    if (exe < 0) {
        program = imagePath;
        arguments.Empty();
    } else {
        program = imagePath.Left(exe + 4);
        arguments = imagePath.Mid(exe + 4);
    }
    program.Remove(L'"');
    arguments.Remove(L'"');
    arguments.Trim();
}

// The project file that an image path names. A path in the bracketed folder form
// ("[ProgramFilesFolder]App\svc.exe") names a tree path exactly; any other path is matched by its
// folder and file name, whole components only ("MyApp\svc.exe" is not "App\svc.exe").
const CFileEntry* FindServiceProgram(const CFileEntries& files, const CString& program)
{
    if (program.Left(1) == L"[") {
        const int close = program.Find(L']');
        if (close > 1) {
            CString rest = program.Mid(close + 1);
            rest.TrimLeft(L'\\');
            return files.FindByPath(program.Mid(1, close - 1) + L"\\" + rest);
        }
    }
    const int last = program.ReverseFind(L'\\');
    const int secondLast = last <= 0 ? -1 : program.Left(last).ReverseFind(L'\\');
    const CString suffix = program.Mid(secondLast + 1);
    if (suffix.IsEmpty())
        return nullptr;
    return recordlookup::FindFirst(files, [&](const CFileEntry& entry) {
        const int extra = entry.m_path.GetLength() - suffix.GetLength();
        return extra >= 0 && recordlookup::EqualsNoCase(entry.m_path.Right(suffix.GetLength()), suffix) &&
               (extra == 0 || entry.m_path[extra - 1] == L'\\');
    });
}

// MSI's form of the dependencies: services and "+"-prefixed groups, each followed by "[~]"
// ("A[~]B[~]+Group[~]"); empty when there are none.
CString MakeDependencies(const CString& services, const CString& groups)
{
    CString result;
    const auto append = [&](const CString& list, const wchar_t* prefix) {
        int start = 0;
        while (start <= list.GetLength()) {
            int end = list.Find(kListSeparator, start);
            if (end < 0)
                end = list.GetLength();
            CString item = list.Mid(start, end - start);
            item.Trim();
            if (!item.IsEmpty())
                result += prefix + item + kListSeparator;
            start = end + static_cast<int>(std::size(kListSeparator)) - 1;
        }
    };
    append(services, L"");
    append(groups, L"+");
    return result;
}

} // namespace

UINT CMsiTools::WriteProjectServices(CFeature& project, UniqueMsiHandle& view)
{
    // Service name -> key path, in order of first appearance.
    std::vector<std::pair<CString, CString>> services;
    for (const CRegistryEntry& value : project.m_registry) {
        CString name;
        if (value.m_kind != CRegistryEntry::kindValue || !ServiceNameOf(value.m_keyPath, name))
            continue;
        // The registry spells one key in any case: "Svc" and "SVC" are one service.
        const bool known = std::any_of(services.begin(), services.end(), [&](const auto& service) {
            return recordlookup::EqualsNoCase(service.first, name);
        });
        if (!known)
            services.emplace_back(name, value.m_keyPath);
    }

    for (const auto& [name, keyPath] : services) {
        const auto find = [&](const wchar_t* valueName) { return project.m_registry.FindValue(keyPath, valueName); };
        const CRegistryEntry* imagePath = find(L"ImagePath");
        if (!imagePath) {
            AppendOutputString(L"Can't find ImagePath value for service: " + name);
            continue;
        }
        CRegistryEntry* type = find(L"Type");
        if (type && (type->m_value == L"1" || type->m_value == L"2" || type->m_value == L"4" || type->m_value == L"8"))
            continue; // drivers stay plain registry values

        CString program, arguments;
        SplitImagePath(imagePath->m_value, program, arguments);
        const CFileEntry* file = FindServiceProgram(project.m_files, program);
        if (!file || file->m_kind != CFileEntry::kindFile) {
            AppendOutputString(L"Can't find ImagePath file for service: " + program);
            continue;
        }

        // Each found value gives its column and is taken; a missing one gives the default.
        const auto text = [&](const wchar_t* valueName) -> MsiValue {
            CRegistryEntry* value = find(valueName);
            if (!value)
                return MsiValue::Null();
            value->m_taken = 1;
            return value->m_value;
        };
        const auto number = [&](const wchar_t* valueName, int fallback) -> MsiValue {
            CRegistryEntry* value = find(valueName);
            if (!value)
                return fallback;
            value->m_taken = 1;
            return LeadingNumber(value->m_value);
        };
        CString dependOnService, dependOnGroup;
        for (auto [valueName, list] : {std::pair{L"DependOnService", &dependOnService},
                                       std::pair{L"DependOnGroup", &dependOnGroup}}) {
            if (CRegistryEntry* value = find(valueName)) {
                value->m_taken = 1;
                *list = value->m_value;
            }
        }
        const CString componentKey = L"C_" + file->m_id;
        UINT result = InsertRow(view,
            L"INSERT INTO `ServiceInstall` (`ServiceInstall`, `Name`, `DisplayName`, `ServiceType`, `StartType`, "
            L"`ErrorControl`, `LoadOrderGroup`, `Dependencies`, `StartName`, `Password`, `Arguments`, "
            L"`Component_`, `Description`) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {L"SI_" + NewGuidStringBare(), name, text(L"DisplayName"), number(L"Type", kOwnProcessService),
             number(L"Start", kDemandStart), number(L"ErrorControl", kErrorNormal), text(L"Group"),
             MakeDependencies(dependOnService, dependOnGroup), text(L"ObjectName"), MsiValue::Null(), arguments,
             componentKey, text(L"Description")});
        if (result != ERROR_SUCCESS)
            return result;
        // Only now that the service is stored: a control row for a service that is not installed
        // would fail the installation.
        result = InsertRow(view,
            L"INSERT INTO `ServiceControl` (`ServiceControl`, `Name`, `Event`, `Component_`) VALUES (?, ?, ?, ?)",
            {L"SC_" + NewGuidStringBare(), name, kStartAndDeleteEvents, componentKey});
        if (result != ERROR_SUCCESS)
            return result;
    }
    return ERROR_SUCCESS;
}

UINT CMsiTools::WriteServicesTable()
{
    UniqueMsiHandle view;
    CFeatures& projects = m_package->m_projects;
    for (int p = 0; p < projects.GetSize(); ++p) {
        const UINT result = WriteProjectServices(projects[p], view);
        if (result != ERROR_SUCCESS)
            return result;
    }
    return ERROR_SUCCESS;
}
