#pragma once
// CXTPPropExchangeArchive: the property exchange over an open framework archive. Values follow
// one another in call order with no names and no defaults, so a stream is read back by the same
// routine that wrote it. Reading past the end, or in the wrong direction, lets the archive's own
// exception through.

#include "toolkit/foundation/XTPPropExchange.h"

class CXTPPropExchangeArchive : public CXTPPropExchange {
    DECLARE_DYNAMIC(CXTPPropExchangeArchive)
public:
    explicit CXTPPropExchangeArchive(CArchive& archive);

    BOOL ExchangeValue(const wchar_t* name, VARTYPE type, void* value, const void* defaultValue) override;
    BOOL ExchangeBlob(const wchar_t* name, BYTE*& data, DWORD& size) override;
    BOOL ExchangeRuntimeClass(const wchar_t* name, const CRuntimeClass*& runtimeClass,
                              const CRuntimeClass* defaultClass) override;
    BOOL ExchangeObject(CObject*& object, const CRuntimeClass* expected) override;
    CArchive* OpenArchive(const wchar_t* name) override;
    void CloseArchive(const wchar_t* name, CArchive* archive) override;
    CXTPPropExchange* GetSection(const wchar_t* name) override;
    void WriteCount(DWORD count) override;
    DWORD ReadCount() override;
    BOOL WriteBytes(const wchar_t* name, const void* data, DWORD size) override;
    DWORD ReadBytes(const wchar_t* name, void* buffer, DWORD size) override;
    BOOL AllowsOmittedValues() override;
    BOOL IsBinaryStore() override;
    void ExchangeSchema() override;

    CArchive& GetArchive() const { return *m_pArchive; }

private:
    void ExchangeVariant(VARIANT& variant);

    CArchive* m_pArchive; // not owned
};
