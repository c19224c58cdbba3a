#pragma once
// Dependency properties: named, typed slots that markup attributes set. Each registration takes
// the next index of one process-wide counter; every object keeps its local values in a flat store
// indexed by it, so a lookup is one array access. Names are found through one process-wide map
// keyed by {name, owner type}; a derived type finds its bases' properties by walking up, an
// attached property is found only under its owner (or a type added with AddOwner).

#include "toolkit/markup/XTPMarkupObject.h"

#include <vector>

// How a property behaves: its default, how markup text becomes a value, whom a change concerns.
class CXTPMarkupPropertyMetadata {
public:
    // A value made from markup text that is not of the property's type; null when it cannot.
    using Converter = CXTPMarkupObject* (*)(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
    using ChangedCallback = void (*)(CXTPMarkupObject* object, CXTPMarkupPropertyChangedEventArgs* e);

    enum : DWORD {
        flagInherited = 0x01,       // looked up through logical ancestors, passed down on a change
        flagAffectsArrange = 0x02,
        flagAffectsMeasure = 0x04,
        flagAffectsRender = 0x20,
    };

    // The metadata takes over the reference to defaultValue.
    CXTPMarkupPropertyMetadata(CXTPMarkupObject* defaultValue, DWORD flags = 0);
    CXTPMarkupPropertyMetadata(CXTPMarkupObject* defaultValue, Converter converter, DWORD flags = 0);
    CXTPMarkupPropertyMetadata(CXTPMarkupObject* defaultValue, ChangedCallback callback, DWORD flags = 0);
    CXTPMarkupPropertyMetadata(CXTPMarkupObject* defaultValue, Converter converter,
                               ChangedCallback callback, DWORD flags = 0);
    CXTPMarkupPropertyMetadata(const CXTPMarkupPropertyMetadata&) = delete;
    CXTPMarkupPropertyMetadata& operator=(const CXTPMarkupPropertyMetadata&) = delete;
    virtual ~CXTPMarkupPropertyMetadata();

    CXTPMarkupObject* m_pDefaultValue;  // owned
    Converter m_pConverter;
    ChangedCallback m_pPropertyChanged;
    DWORD m_dwFlags;
};

class CXTPMarkupDependencyProperty : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupDependencyProperty)
public:
    // name: static text, case-sensitive; the metadata (may be null) becomes the property's. The
    // returned property is held by the name map: callers keep it without a reference of their own.
    static CXTPMarkupDependencyProperty* RegisterProperty(const wchar_t* name, CXTPMarkupType* propertyType,
                                                          CXTPMarkupType* ownerType,
                                                          CXTPMarkupPropertyMetadata* metadata = nullptr);
    static CXTPMarkupDependencyProperty* RegisterAttached(const wchar_t* name, CXTPMarkupType* propertyType,
                                                          CXTPMarkupType* ownerType,
                                                          CXTPMarkupPropertyMetadata* metadata = nullptr);
    // Makes the property findable under another type too; returns the property.
    CXTPMarkupDependencyProperty* AddOwner(CXTPMarkupType* ownerType);
    // By name ("x:" skipped) under the type or one of its bases; null when none.
    static CXTPMarkupDependencyProperty* FindProperty(const CXTPMarkupType* type, const wchar_t* name);

    virtual BOOL IsEvent() const { return FALSE; }

    const wchar_t* GetName() const { return m_lpszName; }
    CXTPMarkupType* GetPropertyType() const { return m_pPropertyType; }
    CXTPMarkupType* GetOwnerType() const { return m_pOwnerType; }
    CXTPMarkupPropertyMetadata* GetMetadata() const { return m_pMetadata; }
    DWORD GetFlags() const { return m_pMetadata ? m_pMetadata->m_dwFlags : 0; }
    BOOL IsAttached() const { return m_bAttached; }
    int GetIndex() const { return m_nIndex; }

    // The number of store slots handed out so far.
    static int GetPropertyCount();

protected:
    CXTPMarkupDependencyProperty() = default;
    ~CXTPMarkupDependencyProperty() override;

    // Fills the record, gives it an index unless it is an event, and enters it in the name map
    // (replacing an earlier entry with the same name and owner). Takes over record and metadata.
    static CXTPMarkupDependencyProperty* Register(CXTPMarkupDependencyProperty* record, const wchar_t* name,
                                                  CXTPMarkupType* propertyType, CXTPMarkupType* ownerType,
                                                  CXTPMarkupPropertyMetadata* metadata, BOOL attached);

private:
    const wchar_t* m_lpszName = nullptr;            // static text
    CXTPMarkupType* m_pPropertyType = nullptr;      // not owned: types outlive properties
    CXTPMarkupType* m_pOwnerType = nullptr;         // not owned
    CXTPMarkupPropertyMetadata* m_pMetadata = nullptr; // owned
    BOOL m_bAttached = FALSE;
    int m_nIndex = -1;                              // -1: an event, or not registered
};

// The local values of one object, one slot per property index, each holding one reference.
// Reading past the end answers null and storing past it grows the store: properties registered
// after the store was made still get a slot.
class CXTPMarkupProperties : public CXTPMarkupObject {
public:
    // owner: the object whose values these are (values get it as logical parent); may be null.
    explicit CXTPMarkupProperties(CXTPMarkupObject* owner);

    int GetCount() const { return static_cast<int>(m_values.size()); }
    CXTPMarkupObject* Get(int index) const; // lent
    // Puts value (taking over its reference) into the slot, releasing what was there; null clears.
    void Set(int index, CXTPMarkupObject* value);
    // Adds every value of other (one more reference each), replacing what those slots held.
    void Copy(const CXTPMarkupProperties* other);

protected:
    ~CXTPMarkupProperties() override;

private:
    void Drop(CXTPMarkupObject* value);

    std::vector<CXTPMarkupObject*> m_values;
    CXTPMarkupObject* m_pOwner; // not owned
};

// Empties the name map, releasing every property (exit-time teardown).
void ReleaseMarkupPropertyMap();
