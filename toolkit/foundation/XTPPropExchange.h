#pragma once
// The property exchange: one routine names each value it keeps ("Width", "Id", "Schema" ...) and
// hands it with its type and default to an exchange object, which saves when it is storing and
// loads when it is loading. The stores (archive, registry, ini file, XML node) derive from
// CXTPPropExchange; callers only see this interface and the free Exchange*Property functions.
//
// Ownership: every exchange is reference counted (CCmdTarget's count) and starts with one
// reference. Sections from GetSection and enumerators from GetEnumerator belong to the caller;
// CXTPPropExchangeSection and CXTPPropExchangeEnumeratorPtr release them at the end of a scope.
//
// Failures are results: a missing value loads its default (or leaves the variable), a store that
// cannot be opened drops its saves (FALSE). Only the archive store lets the framework archive's
// exceptions through, because a positional stream cannot skip what it cannot read;
// ExchangeSerializedObject catches them.

#include "framework/Archive.h"
#include "framework/CmdTarget.h"
#include "framework/Object.h"
#include "framework/String.h"

#include <oleauto.h>

#include <memory>
#include <vector>

class CXTPPropExchangeEnumerator;

// The value type codes; 2 to 17 are the OLE variant codes.
enum : VARTYPE {
    VT_XTP_STRING = 30,   // CString
    VT_XTP_RECT = 100,    // RECT
    VT_XTP_SIZE = 101,    // SIZE
};

// A date value (type VT_DATE): days since 30 December 1899 with the time as the fraction, and its
// status. Only the first 12 bytes (the double and the status) take part in copies and comparisons.
struct XTP_DATETIME {
    enum Status : LONG { valid = 0, invalid = 1, null = 2 };
    DATE dt = 0;
    LONG status = valid;
};

// Size in bytes of a value of the type; 0 for strings (30) and for codes that are no value type.
UINT GetValueSize(VARTYPE type);

class CXTPPropExchange : public CCmdTarget {
    DECLARE_DYNAMIC(CXTPPropExchange)
public:
    CXTPPropExchange();
    CXTPPropExchange(const CXTPPropExchange&) = delete;
    CXTPPropExchange& operator=(const CXTPPropExchange&) = delete;
    ~CXTPPropExchange() override;

    BOOL IsLoading() const { return m_bLoading; }
    BOOL IsStoring() const { return !m_bLoading; }
    BOOL IsRootSection() const { return !m_bChildSection; }
    BOOL IsSectionEmptied() const { return m_bEmptySection; }

    // Exchanges one value. name: the key (an empty name means the section's own value where a
    // store supports it); type: a type code; value: the variable; defaultValue: null for none.
    virtual BOOL ExchangeValue(const wchar_t* name, VARTYPE type, void* value, const void* defaultValue) = 0;
    // A block of bytes. Loading into a null pointer allocates it with malloc (the caller frees it).
    virtual BOOL ExchangeBlob(const wchar_t* name, BYTE*& data, DWORD& size);
    virtual BOOL ExchangeRuntimeClass(const wchar_t* name, const CRuntimeClass*& runtimeClass,
                                      const CRuntimeClass* defaultClass);
    // Saving: the object's class; loading: an object of the stored class, kept only when it is of
    // the expected class (or derived from it).
    virtual BOOL ExchangeObject(CObject*& object, const CRuntimeClass* expected);
    // A framework archive carried inside a property; CloseArchive stores it and destroys it.
    virtual CArchive* OpenArchive(const wchar_t* name);
    virtual void CloseArchive(const wchar_t* name, CArchive* archive);
    // A new exchange for the named nested section, owned by the caller.
    virtual CXTPPropExchange* GetSection(const wchar_t* name) = 0;
    virtual void EmptySection();
    virtual void WriteCount(DWORD count);
    virtual DWORD ReadCount();
    virtual BOOL WriteBytes(const wchar_t* name, const void* data, DWORD size);
    virtual DWORD ReadBytes(const wchar_t* name, void* buffer, DWORD size);
    // TRUE when missing values load back as their defaults, so empty lists need not be written.
    virtual BOOL AllowsOmittedValues();
    virtual BOOL IsBinaryStore();
    virtual BOOL OpenStore();
    // A new enumerator of numbered sections, owned by the caller.
    virtual CXTPPropExchangeEnumerator* GetEnumerator(const wchar_t* prefix);
    // "Schema" (default 32) into the schema field.
    virtual void ExchangeSchema();

    // Takes over the parent's schema, context and flags; called on every new section.
    void InitSection(const CXTPPropExchange* parent);
    // Copies the default into the variable; FALSE without a default or for a type without a copy.
    BOOL CopyDefault(VARTYPE type, void* value, const void* defaultValue) const;
    // TRUE when the variable holds the default (see the type rules in the source).
    BOOL IsSameValue(VARTYPE type, const void* value, const void* defaultValue) const;
    // Converts between a value and its text form in the exchange's direction.
    BOOL ExchangeText(CString& text, VARTYPE type, void* value, const void* defaultValue) const;
    // "Schema" with the current schema (38) as default.
    void ExchangeSchemaCurrent();

    void* m_pContext = nullptr;    // not owned; inherited by sections
    void* m_pOwner = nullptr;      // not owned; callers' own use
    BOOL m_bLoading = FALSE;
    int m_nSchema;
    BOOL m_bChildSection = FALSE;
    BOOL m_bEmptySection = FALSE;  // nothing stored to delete: values equal to defaults are just skipped
    BOOL m_bInitialized = FALSE;   // OpenStore has run
    BOOL m_bUseDefaultOnLoad = TRUE;
    BOOL m_bUseDefaultOnSave = TRUE;

protected:
    // The string escapes of the text stores: backslash, line feed, carriage return and tab.
    static void EscapeText(CString& text);
    static void UnescapeText(CString& text);
    // Hands a loaded block to a caller: into the caller's buffer when it is large enough, else
    // FALSE; into a new malloc'd block when data is null. size becomes the block's size.
    [[nodiscard]] static BOOL HandOutBlob(const std::vector<BYTE>& bytes, BYTE*& data, DWORD& size);
    // The default that a keyed store applies in the current direction (null when switched off).
    const void* EffectiveDefault(const void* defaultValue) const;

    // The rules that every keyed store (registry, ini file, XML) follows; the store supplies the
    // operations below. Loading: a store that cannot be opened gives the default. Saving: see
    // SaveKeyedValue.
    BOOL ExchangeKeyedValue(const wchar_t* name, VARTYPE type, void* value, const void* defaultValue);
    // Opens the store (FALSE when it cannot be); a value equal to its default is not written and a
    // stored one is removed unless the section was emptied; any other value is written.
    virtual BOOL SaveKeyedValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault);
    // With the store open: load the value (the default when it is absent), write it, remove it.
    virtual BOOL LoadStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault);
    virtual BOOL WriteStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault);
    virtual void RemoveStoredValue(const wchar_t* name);
};

// Walks numbered sections prefix0, prefix1 ... with their count in "Count".
class CXTPPropExchangeEnumerator {
public:
    CXTPPropExchangeEnumerator(CXTPPropExchange* container, const wchar_t* sectionPrefix);
    CXTPPropExchangeEnumerator(const CXTPPropExchangeEnumerator&) = delete;
    CXTPPropExchangeEnumerator& operator=(const CXTPPropExchangeEnumerator&) = delete;
    virtual ~CXTPPropExchangeEnumerator();

    // The first position (0: nothing to walk). storeCount: the count goes through WriteCount and
    // ReadCount instead of a "Count" value.
    virtual POSITION GetPosition(DWORD count = 0, BOOL storeCount = TRUE);
    // The section at the position, owned by the caller; the position advances (null at the end).
    virtual CXTPPropExchange* GetNext(POSITION& position);
    virtual DWORD GetCount();

protected:
    CXTPPropExchange* m_pContainer;   // not owned
    CString m_strSectionName;
    DWORD m_nCount = 0;
};

// Releases an exchange at the end of a scope.
class CXTPPropExchangeSection {
public:
    explicit CXTPPropExchangeSection(CXTPPropExchange* exchange = nullptr) : m_pExchange(exchange) {}
    CXTPPropExchangeSection(const CXTPPropExchangeSection&) = delete;
    CXTPPropExchangeSection& operator=(const CXTPPropExchangeSection&) = delete;
    ~CXTPPropExchangeSection() { Reset(); }

    void Reset(CXTPPropExchange* exchange = nullptr)
    {
        if (m_pExchange)
            m_pExchange->InternalRelease();
        m_pExchange = exchange;
    }
    CXTPPropExchange* Get() const { return m_pExchange; }
    CXTPPropExchange* operator->() const { return m_pExchange; }
    CXTPPropExchange& operator*() const { return *m_pExchange; }
    explicit operator bool() const { return m_pExchange != nullptr; }

private:
    CXTPPropExchange* m_pExchange;
};

using CXTPPropExchangeEnumeratorPtr = std::unique_ptr<CXTPPropExchangeEnumerator>;

// Free functions: each returns FALSE for a null exchange and otherwise forwards.
BOOL ExchangeByteProperty(CXTPPropExchange* px, const wchar_t* name, BYTE& value, BYTE defaultValue);
BOOL ExchangeShortProperty(CXTPPropExchange* px, const wchar_t* name, short& value, short defaultValue);
// No default: always written; an absent value leaves the variable unchanged.
BOOL ExchangeLongProperty(CXTPPropExchange* px, const wchar_t* name, long& value);
BOOL ExchangeLongPropertyDefault(CXTPPropExchange* px, const wchar_t* name, long& value, long defaultValue);
BOOL ExchangeBoolProperty(CXTPPropExchange* px, const wchar_t* name, BOOL& value, BOOL defaultValue);
BOOL ExchangeStringProperty(CXTPPropExchange* px, const wchar_t* name, CString& value);
BOOL ExchangeStringPropertyDefault(CXTPPropExchange* px, const wchar_t* name, CString& value,
                                   const wchar_t* defaultValue);
BOOL ExchangeSizeProperty(CXTPPropExchange* px, const wchar_t* name, SIZE& value, SIZE defaultValue);
BOOL ExchangeRectProperty(CXTPPropExchange* px, const wchar_t* name, RECT& value, RECT defaultValue);
BOOL ExchangeRuntimeClassProperty(CXTPPropExchange* px, const wchar_t* name,
                                  const CRuntimeClass*& runtimeClass, const CRuntimeClass* defaultClass);
BOOL ExchangeBlobProperty(CXTPPropExchange* px, const wchar_t* name, BYTE*& data, DWORD& size);
// The object serialises itself into or out of an archive carried in the property; archive and
// OLE failures give FALSE.
BOOL ExchangeSerializedObject(CXTPPropExchange* px, const wchar_t* name, CObject* object);
void DeleteExchangeEnumerator(CXTPPropExchangeEnumerator*& enumerator);
