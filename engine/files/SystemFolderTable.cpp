#include "engine/files/SystemFolderTable.h"

#include "engine/files/PathHelpers.h"

#include <shlobj.h>

CSystemFolderTable SystemFolderTable;

namespace {

struct ConstantRow {
    const wchar_t* property;
    const wchar_t* description;
    int csidl;
};

const ConstantRow kRows[CSystemFolderTable::kRowCount] = {
    {L"DesktopFolder", nullptr, 25},
    {L"DesktopFolder", L"Desktop folder", 16},
    {L"FavoritesFolder", nullptr, 31},
    {L"FavoritesFolder", L"Favorites folder for the current user", 6},
    {L"FontsFolder", L"Fonts folder", 20},
    {L"TemplateFolder", L"Template folder for the current user", 45},
    {L"LocalAppDataFolder", L"Folder that contains local (nonroaming) applications", 28},
    {L"MyPicturesFolder", L"Pictures folder", 39},
    {L"ProgramMenuFolder", nullptr, 23},
    {L"ProgramMenuFolder", L"Program Menu folder", 2},
    {L"RecentFolder", L"Recent folder", 8},
    {L"SendToFolder", L"SendTo folder for the current user", 9},
    {L"StartMenuFolder", nullptr, 22},
    {L"StartMenuFolder", L"Start menu folder", 11},
    {L"StartupFolder", nullptr, 24},
    {L"StartupFolder", nullptr, 29},
    {L"StartupFolder", nullptr, 30},
    {L"StartupFolder", L"Startup folder", 7},
    {L"AdminToolsFolder", L"Directory that contains administrative tools", 48},
    {L"PersonalFolder", L"Documents folder for the current user", 5},
    {L"ProgramFilesFolder", L"Predefined Program Files folder", 38},
    {L"ProgramFiles64Folder", L"Predefined 64-bit Program Files folder", CSystemFolderTable::kProgramW6432Marker},
    {L"AppDataFolder", L"Roaming folder for the current user", 26},
    {L"NetHoodFolder", L"NetHood folder for the current user", 19},
    {L"CommonAppDataFolder", L"Application data for all users", 35},
    {L"CommonFilesFolder", L"Predefined Common Files folder", 43},
    {L"CommonFiles64Folder", L"Predefined 64-bit Common Files folder", CSystemFolderTable::kCommonProgramW6432Marker},
    {L"SystemFolder", L"Predefined System folder", 41},
    {L"System64Folder", L"Predefined 64-bit System folder", 37},
    {L"Temp", L"Feature temp folder(WindowsFolder\\Temp\\FeatureID)", CSystemFolderTable::kNoFolder},
    {L"TempFolder", L"Temp folder", CSystemFolderTable::kNoFolder},
    {L"WindowsFolder", L"Windows folder", 36},
};

CString ExpandMarker(const SystemFolderSource& source, const wchar_t* variable)
{
    CString path = source.expand ? source.expand(variable) : CString();
    // An unknown variable expands to itself: that is no folder.
    if (path.Find(L'%') >= 0)
        path.Empty();
    return path;
}

CString TrimmedName(const CString& text)
{
    CString name = text;
    name.Trim(L'\\');
    return name;
}

} // namespace

SystemFolderSource SystemFolderSource::ThisMachine()
{
    SystemFolderSource source;
    source.shellFolder = [](int csidl) {
        wchar_t path[MAX_PATH] = {};
        const HRESULT hr = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
        return hr == S_OK ? CString(path) : CString();
    };
    source.expand = [](const wchar_t* text) {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = ExpandEnvironmentStringsW(text, path, MAX_PATH);
        return length == 0 || length > MAX_PATH ? CString() : CString(path);
    };
    source.is64BitProcess = sizeof(void*) == 8;
    return source;
}

CSystemFolderTable::CSystemFolderTable()
{
    for (int i = 0; i < kRowCount; ++i)
        m_rows[i] = SystemFolderRow{kRows[i].property, kRows[i].description, kRows[i].csidl, CString()};
}

void CSystemFolderTable::Resolve(const SystemFolderSource& source)
{
    for (SystemFolderRow& row : m_rows) {
        CString path;
        switch (row.csidl) {
        case kNoFolder:
            break;
        case kProgramW6432Marker:
            path = ExpandMarker(source, L"%ProgramW6432%");
            break;
        case kCommonProgramW6432Marker:
            path = ExpandMarker(source, L"%CommonProgramW6432%");
            break;
        default: {
            int csidl = row.csidl;
            // A 64-bit process gets the native folders for these two ids; the 32-bit program
            // they are meant for gets the x86 ones.
            if (source.is64BitProcess && csidl == CSIDL_PROGRAM_FILES)
                csidl = CSIDL_PROGRAM_FILESX86;
            else if (source.is64BitProcess && csidl == CSIDL_PROGRAM_FILES_COMMON)
                csidl = CSIDL_PROGRAM_FILES_COMMONX86;
            if (source.shellFolder)
                path = source.shellFolder(csidl);
            break;
        }
        }
        // "C:\" would otherwise become "C:\\" once conversions append their backslash.
        TrimTrailingBackslashes(path);
        row.path = path;
    }
}

int CSystemFolderTable::FindNonAliasRow(const CString& name) const
{
    const CString trimmed = TrimmedName(name);
    for (int i = 0; i < kRowCount; ++i) {
        if (m_rows[i].description && trimmed.CompareNoCase(m_rows[i].property) == 0)
            return i;
    }
    return -1;
}

bool CSystemFolderTable::IsSystemFolderName(const CString& text) const
{
    return FindNonAliasRow(text) >= 0;
}

CString CSystemFolderTable::GetSystemFolderPath(const CString& property) const
{
    const int row = FindNonAliasRow(property);
    return row < 0 ? CString() : m_rows[row].path;
}

CString CSystemFolderTable::GetPathOfCsidl(int csidl) const
{
    for (const SystemFolderRow& row : m_rows) {
        if (row.csidl == csidl)
            return row.path;
    }
    return CString();
}

CString CSystemFolderTable::ConversionPrefix(int index) const
{
    const SystemFolderRow& row = m_rows[index];
    if (row.csidl == kNoFolder)
        return CString();
    CString prefix = row.path;
    prefix.Trim();
    if (prefix.IsEmpty())
        return prefix;
    return prefix + L"\\";
}

bool CSystemFolderTable::ReplaceFolderPathsWithProperties(CString& text) const
{
    bool replaced = false;
    for (int i = 0; i < kRowCount; ++i) {
        const CString prefix = ConversionPrefix(i);
        if (prefix.IsEmpty())
            continue;
        CString property;
        property.Format(L"[%s]", m_rows[i].property);
        if (ReplaceNoCase(text, prefix, property) > 0)
            replaced = true;
    }
    return replaced;
}

bool CSystemFolderTable::MakeFolderRelativePath(CString& path) const
{
    CString lowered = path;
    lowered.MakeLower();
    for (int i = 0; i < kRowCount; ++i) {
        CString prefix = ConversionPrefix(i);
        if (prefix.IsEmpty())
            continue;
        prefix.MakeLower();
        if (lowered.Left(prefix.GetLength()) == prefix) {
            path = CString(m_rows[i].property) + L"\\" + path.Mid(prefix.GetLength());
            return true;
        }
    }
    return false;
}

bool IsSystemFolderName(const CString& text)
{
    return SystemFolderTable.IsSystemFolderName(text);
}

CString GetSystemFolderPath(const CString& property)
{
    return SystemFolderTable.GetSystemFolderPath(property);
}

bool ReplaceFolderPathsWithProperties(CString& text)
{
    return SystemFolderTable.ReplaceFolderPathsWithProperties(text);
}

bool MakeFolderRelativePath(CString& path)
{
    return SystemFolderTable.MakeFolderRelativePath(path);
}
