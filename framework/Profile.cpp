#include "framework/Profile.h"

#include "framework/Handle.h"
#include "framework/ResourceHandle.h"

#include <cwchar>

namespace {

// Longest ini value we read back (units). The system routine truncates silently, so we grow the
// buffer until the text fits or this limit is reached.
constexpr DWORD kMaxIniValue = 1u << 20;

CString ProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = ::GetModuleFileNameW(AfxGetInstanceHandle(), path.data(), static_cast<DWORD>(path.size()));
        if (got == 0)
            return CString();
        if (got < path.size())
            return CString(path.data(), static_cast<int>(got));
        path.resize(path.size() * 2);
    }
}

// The ini text of an entry; false when the entry is missing or empty (the system routine does
// not tell the two apart).
bool ReadIniText(const CString& file, const wchar_t* section, const wchar_t* entry, CString& text)
{
    std::wstring buffer(256, L'\0');
    for (;;) {
        const DWORD got = ::GetPrivateProfileStringW(section, entry, L"", buffer.data(),
                                                     static_cast<DWORD>(buffer.size()), file);
        if (got + 1 < buffer.size() || buffer.size() >= kMaxIniValue) {
            text = CString(buffer.data(), static_cast<int>(got));
            return got > 0;
        }
        buffer.resize(buffer.size() * 4);
    }
}

// A REG_SZ value without the terminator(s) the writer may or may not have stored.
bool ReadRegistryString(HKEY key, const wchar_t* entry, CString& text)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD bytes = 0;
        if (::RegQueryValueExW(key, entry, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
            return false;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return false;
        std::wstring buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = bytes;
        const LONG status = ::RegQueryValueExW(key, entry, nullptr, &type,
                                               reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status == ERROR_MORE_DATA)
            continue; // the value grew between the two calls
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return false;
        size_t length = size / sizeof(wchar_t);
        while (length > 0 && buffer[length - 1] == L'\0')
            --length;
        text = CString(buffer.data(), static_cast<int>(length));
        return true;
    }
    return false;
}

// The system's ini routines write a new file in the ANSI code page, which turns every character
// outside it into '?', but keep an existing file's UTF-16 form. So a file we are about to write is
// first created holding just the UTF-16 byte-order mark. An existing file keeps its form.
void PrepareIniFile(const CString& file)
{
    UniqueKernelHandle created(::CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!created)
        return; // already there (or not creatable, which the write itself will report)
    static const BYTE kUtf16Mark[] = {0xFF, 0xFE};
    DWORD written = 0;
    ::WriteFile(created.Get(), kUtf16Mark, sizeof(kUtf16Mark), &written, nullptr);
}

BOOL WriteIniText(const CString& file, const wchar_t* section, const wchar_t* entry, const wchar_t* value)
{
    PrepareIniFile(file);
    return ::WritePrivateProfileStringW(section, entry, value, file);
}

} // namespace

void CAppProfile::SetRegistryKey(const wchar_t* key, const wchar_t* appName)
{
    m_registryKey = key;
    CString title;
    m_profileName = title.LoadString(AFX_IDS_APP_TITLE) ? title : CString(appName);
}

bool CAppProfile::SetRegistryKey(UINT keyStringId, const wchar_t* appName)
{
    CString key;
    if (!key.LoadString(keyStringId))
        return false;
    SetRegistryKey(key, appName);
    return true;
}

void CAppProfile::SetIniFile(const wchar_t* path)
{
    m_iniFile = path;
}

CString CAppProfile::GetIniFile() const
{
    if (!m_iniFile.IsEmpty())
        return m_iniFile;
    CString path = ProgramPath();
    const int slash = path.ReverseFind(L'\\');
    const int dot = path.ReverseFind(L'.');
    if (dot > slash)
        path = path.Left(dot);
    return path + L".ini";
}

CString CAppProfile::AppKeyPath() const
{
    return L"Software\\" + m_registryKey + L"\\" + m_profileName;
}

HKEY CAppProfile::GetAppRegistryKey() const
{
    if (!UsesRegistry())
        return nullptr;
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, AppKeyPath(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY CAppProfile::GetSectionKey(const wchar_t* section) const
{
    if (!section)
        return nullptr;
    UniqueRegKey app(GetAppRegistryKey());
    if (!app)
        return nullptr;
    HKEY key = nullptr;
    if (::RegCreateKeyExW(app.Get(), section, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                          nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY CAppProfile::OpenSection(const wchar_t* section, REGSAM access) const
{
    if (!section || !UsesRegistry())
        return nullptr;
    HKEY key = nullptr;
    const CString path = AppKeyPath() + L"\\" + section;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

UINT CAppProfile::GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const
{
    if (!section || !entry)
        return static_cast<UINT>(defaultValue);
    if (UsesRegistry()) {
        UniqueRegKey key(OpenSection(section, KEY_READ));
        if (!key)
            return static_cast<UINT>(defaultValue);
        DWORD type = 0;
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (::RegQueryValueExW(key.Get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS
            || type != REG_DWORD || size != sizeof(value))
            return static_cast<UINT>(defaultValue);
        return value;
    }
    // Parsed here rather than with GetPrivateProfileInt, which turns negative numbers into 0:
    // what WriteProfileInt wrote must read back the same in both modes.
    CString text;
    if (!ReadIniText(GetIniFile(), section, entry, text))
        return static_cast<UINT>(defaultValue);
    return static_cast<UINT>(std::wcstol(text, nullptr, 10));
}

BOOL CAppProfile::WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value) const
{
    if (!section || !entry)
        return FALSE;
    if (UsesRegistry()) {
        UniqueRegKey key(GetSectionKey(section));
        const DWORD data = static_cast<DWORD>(value);
        return key && ::RegSetValueExW(key.Get(), entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                       sizeof(data)) == ERROR_SUCCESS;
    }
    CString text;
    text.Format(L"%d", value);
    return WriteIniText(GetIniFile(), section, entry, text);
}

CString CAppProfile::GetProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* defaultValue) const
{
    const CString fallback(defaultValue);
    if (!section || !entry)
        return fallback;
    CString text;
    if (UsesRegistry()) {
        UniqueRegKey key(OpenSection(section, KEY_READ));
        return key && ReadRegistryString(key.Get(), entry, text) ? text : fallback;
    }
    return ReadIniText(GetIniFile(), section, entry, text) ? text : fallback;
}

BOOL CAppProfile::WriteProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* value) const
{
    if (!section)
        return FALSE;
    if (!UsesRegistry())
        return WriteIniText(GetIniFile(), section, entry, value);

    if (!entry) {
        UniqueRegKey app(GetAppRegistryKey());
        if (!app)
            return FALSE;
        const LONG status = ::RegDeleteTreeW(app.Get(), section);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return FALSE;
        // RegDeleteTree empties the key; the key itself goes separately.
        const LONG removed = ::RegDeleteKeyW(app.Get(), section);
        return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND;
    }
    if (!value) {
        UniqueRegKey key(OpenSection(section, KEY_SET_VALUE));
        if (!key)
            return TRUE; // no section, so no entry either
        const LONG status = ::RegDeleteValueW(key.Get(), entry);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    UniqueRegKey key(GetSectionKey(section));
    const size_t bytes = (std::wcslen(value) + 1) * sizeof(wchar_t);
    return key && ::RegSetValueExW(key.Get(), entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                   static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
}

BOOL CAppProfile::GetProfileBinary(const wchar_t* section, const wchar_t* entry, std::vector<BYTE>& data) const
{
    data.clear();
    if (!section || !entry)
        return FALSE;
    if (UsesRegistry()) {
        UniqueRegKey key(OpenSection(section, KEY_READ));
        if (!key)
            return FALSE;
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD type = 0;
            DWORD size = 0;
            if (::RegQueryValueExW(key.Get(), entry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_BINARY)
                return FALSE;
            data.resize(size);
            const LONG status = ::RegQueryValueExW(key.Get(), entry, nullptr, &type, data.data(), &size);
            if (status == ERROR_MORE_DATA)
                continue;
            if (status != ERROR_SUCCESS || type != REG_BINARY) {
                data.clear();
                return FALSE;
            }
            data.resize(size);
            return TRUE;
        }
        data.clear();
        return FALSE;
    }
    CString text;
    if (!ReadIniText(GetIniFile(), section, entry, text))
        return FALSE;
    if (text.GetLength() % 2 != 0)
        return FALSE;
    data.resize(static_cast<size_t>(text.GetLength() / 2));
    for (size_t i = 0; i < data.size(); ++i) {
        const wchar_t low = text[static_cast<int>(2 * i)];
        const wchar_t high = text[static_cast<int>(2 * i + 1)];
        if (low < L'A' || low > L'P' || high < L'A' || high > L'P') {
            data.clear();
            return FALSE;
        }
        data[i] = static_cast<BYTE>((low - L'A') | ((high - L'A') << 4));
    }
    return TRUE;
}

BOOL CAppProfile::WriteProfileBinary(const wchar_t* section, const wchar_t* entry, const void* data, UINT bytes) const
{
    if (!section || !entry || (!data && bytes))
        return FALSE;
    if (UsesRegistry()) {
        UniqueRegKey key(GetSectionKey(section));
        return key && ::RegSetValueExW(key.Get(), entry, 0, REG_BINARY, static_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
    }
    const auto* source = static_cast<const BYTE*>(data);
    std::wstring text(static_cast<size_t>(bytes) * 2, L'\0');
    for (UINT i = 0; i < bytes; ++i) {
        text[2 * i] = static_cast<wchar_t>(L'A' + (source[i] & 0x0F));
        text[2 * i + 1] = static_cast<wchar_t>(L'A' + ((source[i] >> 4) & 0x0F));
    }
    return WriteIniText(GetIniFile(), section, entry, text.c_str());
}
