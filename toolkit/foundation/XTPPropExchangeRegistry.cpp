#include "toolkit/foundation/XTPPropExchangeRegistry.h"

#include <cstdlib>
#include <cstring>
#include <vector>

IMPLEMENT_DYNAMIC(CXTPPropExchangeRegistry, CXTPPropExchange)

namespace {

CString& ApplicationKey()
{
    static CString key;
    return key;
}

HKEY OpenApplicationKey(BOOL loading)
{
    if (ApplicationKey().IsEmpty())
        return nullptr;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, ApplicationKey(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        loading ? KEY_READ : KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

} // namespace

CXTPPropExchangeRegistry::CXTPPropExchangeRegistry(BOOL loading, HKEY parentKey, const wchar_t* section)
    : m_hParentKey(parentKey), m_strSectionName(section)
{
    m_bLoading = loading;
    if (!m_hParentKey) {
        m_ownedParentKey.Reset(OpenApplicationKey(loading));
        m_hParentKey = m_ownedParentKey.Get();
    }
}

CXTPPropExchangeRegistry::CXTPPropExchangeRegistry(SectionTag, BOOL loading, HKEY parentKey, const wchar_t* section)
    : m_hParentKey(parentKey), m_strSectionName(section)
{
    m_bLoading = loading;
}

CXTPPropExchangeRegistry::~CXTPPropExchangeRegistry() = default;

void CXTPPropExchangeRegistry::SetApplicationKey(const wchar_t* subKey)
{
    ApplicationKey() = subKey;
}

BOOL CXTPPropExchangeRegistry::OpenStore()
{
    if (!m_hParentKey)
        return FALSE;
    if (!m_bInitialized) {
        m_bInitialized = TRUE;
        // Saving also reads: emptying a section enumerates its subkeys.
        const REGSAM access = m_bLoading ? KEY_READ : KEY_READ | KEY_WRITE;
        HKEY key = nullptr;
        if (RegCreateKeyExW(m_hParentKey, m_strSectionName, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                            nullptr, &key, nullptr) == ERROR_SUCCESS)
            m_sectionKey.Reset(key);
    }
    return m_sectionKey.IsValid();
}

CXTPPropExchange* CXTPPropExchangeRegistry::GetSection(const wchar_t* name)
{
    OpenStore();
    // A section whose parent could not be opened has a null parent key and fails on its own.
    auto* section = new CXTPPropExchangeRegistry(SectionTag{}, m_bLoading, m_sectionKey.Get(), name);
    section->InitSection(this);
    return section;
}

void CXTPPropExchangeRegistry::EmptySection()
{
    m_bEmptySection = TRUE;
    m_sectionKey.Reset();
    if (m_hParentKey)
        RegDeleteTreeW(m_hParentKey, m_strSectionName); // the key itself and all below it
    m_bInitialized = FALSE;
}

bool CXTPPropExchangeRegistry::QueryBytes(const wchar_t* name, std::vector<BYTE>& bytes, DWORD& type) const
{
    DWORD size = 0;
    if (RegQueryValueExW(m_sectionKey.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    // A value can grow between the two calls; ask again with what it needs then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        bytes.assign(size, 0);
        const LONG rc = RegQueryValueExW(m_sectionKey.Get(), name, nullptr, &type, bytes.data(), &size);
        if (rc == ERROR_SUCCESS) {
            bytes.resize(size);
            return true;
        }
        if (rc != ERROR_MORE_DATA)
            return false;
    }
    return false;
}

BOOL CXTPPropExchangeRegistry::LoadStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* defaultValue)
{
    switch (type) {
    case VT_I2: case VT_I4: case VT_BOOL: case VT_UI1: {
        DWORD number = 0;
        DWORD size = sizeof(number);
        if (RegQueryValueExW(m_sectionKey.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&number),
                             &size) != ERROR_SUCCESS)
            return CopyDefault(type, value, defaultValue);
        std::memcpy(value, &number, GetValueSize(type));
        return TRUE;
    }
    case VT_R4: case VT_R8: {
        // Read back what SaveValue writes: the raw bytes as REG_BINARY of exactly the type's size.
        std::vector<BYTE> bytes;
        DWORD regType = 0;
        if (!QueryBytes(name, bytes, regType) || regType != REG_BINARY || bytes.size() != GetValueSize(type))
            return CopyDefault(type, value, defaultValue);
        std::memcpy(value, bytes.data(), bytes.size());
        return TRUE;
    }
    case VT_XTP_STRING: case VT_XTP_RECT: case VT_XTP_SIZE: {
        std::vector<BYTE> bytes;
        DWORD regType = 0;
        if (!QueryBytes(name, bytes, regType))
            return CopyDefault(type, value, defaultValue);
        // The stored text need not end with a zero.
        const int units = static_cast<int>(bytes.size() / sizeof(wchar_t));
        CString text(reinterpret_cast<const wchar_t*>(bytes.data()), units);
        const int end = text.Find(L'\0');
        if (end >= 0)
            text = text.Left(end);
        if (type == VT_XTP_STRING) {
            *static_cast<CString*>(value) = text;
            return TRUE;
        }
        // rectangles and sizes share the text stores' form, escapes aside
        return ExchangeText(text, type, value, defaultValue);
    }
    default:
        return FALSE;
    }
}

void CXTPPropExchangeRegistry::RemoveStoredValue(const wchar_t* name)
{
    RegDeleteValueW(m_sectionKey.Get(), name);
}

BOOL CXTPPropExchangeRegistry::WriteStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* defaultValue)
{
    switch (type) {
    case VT_I2: case VT_I4: case VT_BOOL: case VT_UI1: {
        DWORD number = 0;
        std::memcpy(&number, value, GetValueSize(type));
        return RegSetValueExW(m_sectionKey.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                              sizeof(number)) == ERROR_SUCCESS;
    }
    case VT_R4: case VT_R8:
        return RegSetValueExW(m_sectionKey.Get(), name, 0, REG_BINARY, static_cast<const BYTE*>(value),
                              GetValueSize(type)) == ERROR_SUCCESS;
    case VT_XTP_STRING: case VT_XTP_RECT: case VT_XTP_SIZE: {
        CString text;
        if (type == VT_XTP_STRING)
            text = *static_cast<const CString*>(value);
        else if (!ExchangeText(text, type, value, defaultValue))
            return FALSE;
        const DWORD bytes = static_cast<DWORD>((text.GetLength() + 1) * sizeof(wchar_t));
        return RegSetValueExW(m_sectionKey.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()),
                              bytes) == ERROR_SUCCESS;
    }
    default:
        return FALSE;
    }
}

BOOL CXTPPropExchangeRegistry::ExchangeValue(const wchar_t* name, VARTYPE type, void* value, const void* defaultValue)
{
    return ExchangeKeyedValue(name, type, value, defaultValue);
}

BOOL CXTPPropExchangeRegistry::ExchangeBlob(const wchar_t* name, BYTE*& data, DWORD& size)
{
    if (!OpenStore())
        return FALSE;
    if (!m_bLoading)
        return RegSetValueExW(m_sectionKey.Get(), name, 0, REG_BINARY, data, data ? size : 0) == ERROR_SUCCESS;

    std::vector<BYTE> bytes;
    DWORD regType = 0;
    if (!QueryBytes(name, bytes, regType))
        return FALSE;
    return HandOutBlob(bytes, data, size);
}

BOOL CXTPPropExchangeRegistry::IsBinaryStore()
{
    return TRUE;
}
