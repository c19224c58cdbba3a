#pragma once
// CXTPPropExchangeIniFile: the property exchange over a profile (.ini) file. A section is the
// ini section named by the path of nested section names joined with backslashes ("Bars\Bar0");
// a value is one key holding the value's text form. Without a file of its own, the root exchange
// writes a temporary file and deletes it when it dies; an assigned file is never deleted.

#include "toolkit/foundation/XTPPropExchange.h"

class CXTPPropExchangeIniFile : public CXTPPropExchange {
    DECLARE_DYNAMIC(CXTPPropExchangeIniFile)
public:
    CXTPPropExchangeIniFile(BOOL loading, const wchar_t* parentSection, const wchar_t* section);
    ~CXTPPropExchangeIniFile() override;

    // Uses that file from now on; it is kept when the exchange dies.
    void AssignFile(const wchar_t* fileName);
    const CString& GetFileName() const { return m_strFileName; }
    const CString& GetSectionName() const { return m_strSectionName; }

    BOOL OpenStore() override;
    CXTPPropExchange* GetSection(const wchar_t* name) override;
    void EmptySection() override;
    BOOL ExchangeValue(const wchar_t* name, VARTYPE type, void* value, const void* defaultValue) override;

private:
    BOOL LoadStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault) override;
    BOOL WriteStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault) override;
    void RemoveStoredValue(const wchar_t* name) override;
    // The key's text; false when it is absent or empty.
    bool ReadKey(const wchar_t* name, CString& text) const;

    CString m_strSectionName;
    CString m_strFileName;
    BOOL m_bDeleteFile = TRUE;
};
