#include "engine/msi/MsiNames.h"

#include "engine/msi/MsiHandle.h"

#include <iterator>
#include <vector>

namespace {

// Characters an 8.3 name may hold besides letters and digits. Anything else (spaces, the
// characters Windows Installer reserves, and every non-ASCII letter, which the database code page
// might not carry) is left out of a generated short name.
constexpr const wchar_t* kShortNamePunctuation = L"!#$%&'()-@^_`{}~";

// Longest base of a generated first candidate: one character less than 8 leaves the look of the
// classic "name~1" forms to the names that collide.
constexpr int kFirstCandidateBase = 7;

bool IsShortNameChar(wchar_t ch)
{
    if ((ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z') || (ch >= L'0' && ch <= L'9'))
        return true;
    return ch != 0 && wcschr(kShortNamePunctuation, ch) != nullptr;
}

// A folder path ends in a backslash and names that folder; its siblings live in its parent.
void SplitName(const CString& path, CString& folder, CString& name)
{
    CString trimmed = path;
    trimmed.TrimRight(L'\\');
    const int slash = trimmed.ReverseFind(L'\\');
    name = trimmed.Mid(slash + 1);
    folder = slash < 0 ? CString() : trimmed.Left(slash);
}

} // namespace

bool CShortNames::IsValidShortName(const CString& name)
{
    const int dot = name.Find(L'.');
    const int baseLength = dot < 0 ? name.GetLength() : dot;
    const int extensionLength = dot < 0 ? 0 : name.GetLength() - dot - 1;
    if (baseLength < 1 || baseLength > 8)
        return false;
    if (dot >= 0 && (extensionLength < 1 || extensionLength > 3))
        return false;
    for (int i = 0; i < name.GetLength(); ++i) {
        if (i != dot && !IsShortNameChar(name[i]))
            return false;
    }
    return true;
}

bool CShortNames::Claim(const CString& folder, const CString& shortName, const CString& longName)
{
    CString key = folder + L"\\" + shortName;
    key.MakeUpper();
    CString owner = longName;
    owner.MakeUpper();
    CString taken;
    if (m_taken.Lookup(key, taken))
        return taken == owner;
    m_taken.SetAt(key, owner);
    return true;
}

void CShortNames::Reserve(const CString& path)
{
    CString folder, name;
    SplitName(path, folder, name);
    if (IsValidShortName(name))
        (void)Claim(folder, name, name);
}

CString CShortNames::MakeShortLongName(const CString& path)
{
    CString folder, longName;
    SplitName(path, folder, longName);

    if (IsValidShortName(longName) && Claim(folder, longName, longName))
        return longName;

    // Keep only short-name characters and dots; leading dots (".gitignore") begin no extension;
    // the last dot splits base and extension and the other dots go.
    CString kept;
    for (int i = 0; i < longName.GetLength(); ++i) {
        if (longName[i] == L'.' || IsShortNameChar(longName[i]))
            kept.AppendChar(longName[i]);
    }
    kept.TrimLeft(L'.');
    const int dot = kept.ReverseFind(L'.');
    CString base = dot < 0 ? kept : kept.Left(dot);
    base.Remove(L'.');
    if (base.IsEmpty())
        base = L"_";
    const CString extension = dot < 0 ? CString() : kept.Mid(dot + 1).Left(3);
    const CString extensionPart = extension.IsEmpty() ? CString() : L"." + extension;

    CString shortName = base.Left(kFirstCandidateBase) + extensionPart;
    for (int counter = 1; !Claim(folder, shortName, longName); ++counter) {
        CString digits;
        digits.Format(L"%d", counter);
        shortName = base.Left(kFirstCandidateBase - digits.GetLength()) + L"~" + digits + extensionPart;
    }
    return shortName + L"|" + longName;
}

CString ProjectTempFolder(const CString& projectId)
{
    CString folder;
    folder.Format(L"WindowsFolder\\Temp\\%s\\", projectId.GetString());
    return folder;
}

CString RedirectTempPath(const CString& treePath, const CString& projectId)
{
    static constexpr wchar_t kTempRoot[] = L"Temp\\";
    constexpr int kTempRootLength = static_cast<int>(std::size(kTempRoot)) - 1;
    if (treePath.Left(kTempRootLength) != kTempRoot)
        return treePath;
    return ProjectTempFolder(projectId) + treePath.Mid(kTempRootLength);
}

bool FitsDatabaseCodePage(const CString& text)
{
    if (text.IsEmpty())
        return true;
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(kDatabaseCodePage, WC_NO_BEST_FIT_CHARS, text, text.GetLength(),
                                         nullptr, 0, nullptr, &usedDefault);
    return size > 0 && !usedDefault;
}

CString GetLastMsiErrorText()
{
    UniqueMsiHandle record(MsiGetLastErrorRecord());
    if (!record)
        return CString();
    wchar_t empty[1] = {};
    DWORD length = 0;
    if (MsiFormatRecordW(0, record.Get(), empty, &length) != ERROR_MORE_DATA)
        return CString();
    std::vector<wchar_t> text(length + 1);
    DWORD size = length + 1;
    if (MsiFormatRecordW(0, record.Get(), text.data(), &size) != ERROR_SUCCESS)
        return CString();
    return CString(text.data()) + L".";
}

CString GetFileVersionText(const CString& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        return CString();
    std::vector<BYTE> block(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!GetFileVersionInfoW(path, 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) ||
        info == nullptr || infoSize < sizeof(VS_FIXEDFILEINFO))
        return CString();
    CString version;
    version.Format(L"%u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                   HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
    return version;
}
