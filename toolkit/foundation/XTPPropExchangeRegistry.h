#pragma once
// CXTPPropExchangeRegistry: the property exchange over a registry key. A section is a subkey,
// a value a named registry value: integers as REG_DWORD, floats and doubles as REG_BINARY of
// their raw bytes, texts, rectangles and sizes as REG_SZ. The section key is opened (created,
// also when loading) on the first value and held until the exchange dies or the section is
// emptied; sections never outlive the exchange that made them.

#include "framework/Handle.h"
#include "toolkit/foundation/XTPPropExchange.h"

class CXTPPropExchangeRegistry : public CXTPPropExchange {
    DECLARE_DYNAMIC(CXTPPropExchangeRegistry)
public:
    // parentKey: not owned. Null means the application's key under HKEY_CURRENT_USER (see
    // SetApplicationKey), opened here and closed with this exchange.
    CXTPPropExchangeRegistry(BOOL loading, HKEY parentKey, const wchar_t* section);
    ~CXTPPropExchangeRegistry() override;

    // The application's key below HKEY_CURRENT_USER ("Software\<company>\<program>"), set once at
    // start-up; an exchange made without a parent key stores there. Empty: such exchanges fail.
    static void SetApplicationKey(const wchar_t* subKey);

    BOOL OpenStore() override;
    CXTPPropExchange* GetSection(const wchar_t* name) override;
    void EmptySection() override;
    BOOL ExchangeValue(const wchar_t* name, VARTYPE type, void* value, const void* defaultValue) override;
    BOOL ExchangeBlob(const wchar_t* name, BYTE*& data, DWORD& size) override;
    BOOL IsBinaryStore() override;

private:
    // A section under a key of its parent (which may be null when the parent failed to open).
    struct SectionTag {};
    CXTPPropExchangeRegistry(SectionTag, BOOL loading, HKEY parentKey, const wchar_t* section);

    BOOL LoadStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault) override;
    BOOL WriteStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault) override;
    void RemoveStoredValue(const wchar_t* name) override;
    // The value's bytes; false when it is absent or cannot be read.
    bool QueryBytes(const wchar_t* name, std::vector<BYTE>& bytes, DWORD& type) const;

    UniqueRegKey m_sectionKey;
    HKEY m_hParentKey;           // not owned unless m_ownedParentKey holds it
    UniqueRegKey m_ownedParentKey;
    CString m_strSectionName;
};
