// Registry values: every value of every project that the service step did not take becomes a
// Registry row with a component of its own (the registry row as its key path) in the project's
// feature. Root and key records write nothing: a key without values is not created.

#include "engine/msi/MsiTools.h"

#include "engine/model/GuidText.h"

namespace {

// The Root column of a key path's root text; false for a root that is not one of the five.
bool RootNumber(const CString& rootText, int& root)
{
    static constexpr struct {
        const wchar_t* text;
        int root;
    } kRoots[] = {
        {L"HKEY_CLASSES_ROOT\\", 0},
        {L"HKEY_CURRENT_USER\\", 1},
        {L"HKEY_LOCAL_MACHINE\\", 2},
        {L"HKEY_USERS\\", 3},
        {L"Per User/Machine Hive\\", -1}, // the machine's or the user's hive, by the installation
    };
    for (const auto& known : kRoots) {
        if (rootText == known.text) {
            root = known.root;
            return true;
        }
    }
    return false;
}

constexpr int kRootLocalMachine = 2;
constexpr int kRegistryKeyPath = 4; // the component's key path is a Registry row
constexpr wchar_t kWow64Node[] = L"Software\\Wow6432Node";

// The Key column of a value. The monitor records a key in the view its path names: a 32-bit
// program's key under HKLM as "Software\Wow6432Node\...". A 64-bit component writes that path as
// it stands, which is the 32-bit view. A 32-bit component writes in the 32-bit view by itself, so
// the node goes: Wine would look for it inside the 32-bit view again (Wow6432Node\Wow6432Node),
// and on a 32-bit Windows it is a key that no program reads.
CString KeyInComponentView(int root, const CString& key, bool component64Bit)
{
    if (component64Bit || root != kRootLocalMachine)
        return key;
    const int nodeLength = static_cast<int>(std::size(kWow64Node)) - 1;
    if (key.GetLength() < nodeLength || key.Left(nodeLength).CompareNoCase(kWow64Node) != 0)
        return key;
    if (key.GetLength() == nodeLength)
        return L"Software";
    if (key[nodeLength] != L'\\')
        return key;
    return L"Software" + key.Mid(nodeLength);
}

} // namespace

CString MakeRegistryValueText(int valueType, const CString& value)
{
    switch (valueType) {
    case CRegistryEntry::typeBinary:
        return L"#x" + value;
    case CRegistryEntry::typeDword:
        return L"#" + value;
    case CRegistryEntry::typeExpandString:
        return L"#%" + value;
    case CRegistryEntry::typeString:
        // Windows Installer reads a leading "#" as a type mark; "##" keeps it a string's "#".
        return value.Left(1) == L"#" ? L"#" + value : value;
    case CRegistryEntry::typeMultiString:
        // The installer takes a text for a list only when it holds "[~]", reads a leading "#" as a
        // type mark before it looks for one, and merges a list that begins or ends with "[~]" into
        // the strings already there. A list that begins and ends with it replaces the value with
        // exactly its strings: so one string ("single") stays a list, a first string beginning with
        // "#" stays text, and "[~]" alone is the empty list.
        return value.IsEmpty() ? CString(L"[~]") : L"[~]" + value + L"[~]";
    default:
        return value;
    }
}

UINT CMsiTools::WriteRegistryTable()
{
    UniqueMsiHandle view;
    const CFeatures& projects = m_package->m_projects;
    for (int p = 0; p < projects.GetSize(); ++p) {
        const CFeature& project = projects[p];
        const CString featureKey = MakeFeatureKey(project.m_id);
        for (const CRegistryEntry& value : project.m_registry) {
            if (value.m_kind != CRegistryEntry::kindValue || value.m_taken)
                continue;
            const int slash = value.m_keyPath.Find(L'\\');
            int root = 0;
            if (!RootNumber(value.m_keyPath.Left(slash + 1), root)) {
                AppendOutputFormat(L"> !Error: Unknown registry root of key %s.", value.m_keyPath.GetString());
                return ERROR_INVALID_DATA;
            }
            CString key = value.m_keyPath.Mid(slash + 1);
            key.Trim(L'\\');
            // A registry value of a 64-bit package is 64-bit: its key path names its view itself.
            const int bitness = Component64BitAttribute(true);
            key = KeyInComponentView(root, key, bitness != 0);

            const CString registryKey = L"R_" + value.m_id;
            const CString componentKey = L"C_" + value.m_id;
            UINT result = InsertRow(view,
                L"INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Value`, `Component_`) "
                L"VALUES (?, ?, ?, ?, ?, ?)",
                {registryKey, root, key, value.m_valueName, MakeRegistryValueText(value.m_valueType, value.m_value),
                 componentKey});
            if (result != ERROR_SUCCESS)
                return result;
            result = InsertRow(view,
                L"INSERT INTO `Component` (`Component`, `ComponentId`, `Directory_`, `Attributes`, `Condition`, "
                L"`KeyPath`) VALUES (?, ?, 'TARGETDIR', ?, ?, ?)",
                {componentKey, NewGuidString(), kRegistryKeyPath | bitness, value.m_condition, registryKey});
            if (result != ERROR_SUCCESS)
                return result;
            result = InsertRow(view, L"INSERT INTO `FeatureComponents` (`Feature_`, `Component_`) VALUES (?, ?)",
                               {featureKey, componentKey}, 2);
            if (result != ERROR_SUCCESS)
                return result;
        }
    }
    return ERROR_SUCCESS;
}
