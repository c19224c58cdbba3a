#include "toolkit/markup/XTPMarkupDependencyProperty.h"

#include "toolkit/markup/XTPMarkupTypeRegistry.h"

#include <algorithm>
#include <cwchar>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

// The key of the name map: the property's name (static text) and the type it is found under.
// Names compare character by character, so "background" is not "Background".
struct NameKey {
    const wchar_t* name;
    const CXTPMarkupType* owner;
};

struct NameKeyHash {
    size_t operator()(const NameKey& key) const
    {
        return std::hash<std::wstring_view>{}(key.name) ^ (reinterpret_cast<size_t>(key.owner) >> 4);
    }
};

struct NameKeyEqual {
    bool operator()(const NameKey& a, const NameKey& b) const
    {
        return a.owner == b.owner && wcscmp(a.name, b.name) == 0;
    }
};

// Each entry holds one reference to its property. Made on first use, emptied at exit.
using NameMap = std::unordered_map<NameKey, CXTPMarkupDependencyProperty*, NameKeyHash, NameKeyEqual>;
NameMap* g_pNameMap = nullptr;

// The next store slot; events take none.
int g_nNextPropertyIndex = 0;

NameMap& GetNameMap()
{
    if (!g_pNameMap)
        g_pNameMap = new NameMap();
    return *g_pNameMap;
}

// Enters the property (whose reference the map takes over) under the key, releasing an entry it
// replaces.
void EnterInNameMap(const wchar_t* name, const CXTPMarkupType* owner, CXTPMarkupDependencyProperty* property)
{
    CXTPMarkupDependencyProperty*& entry = GetNameMap()[NameKey{name, owner}];
    CXTPMarkupDependencyProperty* replaced = entry;
    entry = property;
    if (replaced)
        replaced->Release();
}

} // namespace

// ---- Metadata

CXTPMarkupPropertyMetadata::CXTPMarkupPropertyMetadata(CXTPMarkupObject* defaultValue, DWORD flags)
    : CXTPMarkupPropertyMetadata(defaultValue, nullptr, nullptr, flags)
{
}

CXTPMarkupPropertyMetadata::CXTPMarkupPropertyMetadata(CXTPMarkupObject* defaultValue, Converter converter,
                                                       DWORD flags)
    : CXTPMarkupPropertyMetadata(defaultValue, converter, nullptr, flags)
{
}

CXTPMarkupPropertyMetadata::CXTPMarkupPropertyMetadata(CXTPMarkupObject* defaultValue, ChangedCallback callback,
                                                       DWORD flags)
    : CXTPMarkupPropertyMetadata(defaultValue, nullptr, callback, flags)
{
}

CXTPMarkupPropertyMetadata::CXTPMarkupPropertyMetadata(CXTPMarkupObject* defaultValue, Converter converter,
                                                       ChangedCallback callback, DWORD flags)
    : m_pDefaultValue(defaultValue), m_pConverter(converter), m_pPropertyChanged(callback), m_dwFlags(flags)
{
}

CXTPMarkupPropertyMetadata::~CXTPMarkupPropertyMetadata()
{
    MarkupRelease(m_pDefaultValue);
}

// ---- Properties

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupDependencyProperty, CXTPMarkupObject, nullptr, nullptr)

CXTPMarkupDependencyProperty::~CXTPMarkupDependencyProperty()
{
    delete m_pMetadata;
}

CXTPMarkupDependencyProperty* CXTPMarkupDependencyProperty::Register(
    CXTPMarkupDependencyProperty* record, const wchar_t* name, CXTPMarkupType* propertyType,
    CXTPMarkupType* ownerType, CXTPMarkupPropertyMetadata* metadata, BOOL attached)
{
    record->m_lpszName = name;
    record->m_pPropertyType = propertyType;
    record->m_pOwnerType = ownerType;
    record->m_bAttached = attached;
    record->m_pMetadata = metadata;
    if (!record->IsEvent())
        record->m_nIndex = g_nNextPropertyIndex++;
    EnterInNameMap(name, ownerType, record);
    return record;
}

CXTPMarkupDependencyProperty* CXTPMarkupDependencyProperty::RegisterProperty(
    const wchar_t* name, CXTPMarkupType* propertyType, CXTPMarkupType* ownerType,
    CXTPMarkupPropertyMetadata* metadata)
{
    return Register(new CXTPMarkupDependencyProperty(), name, propertyType, ownerType, metadata, FALSE);
}

CXTPMarkupDependencyProperty* CXTPMarkupDependencyProperty::RegisterAttached(
    const wchar_t* name, CXTPMarkupType* propertyType, CXTPMarkupType* ownerType,
    CXTPMarkupPropertyMetadata* metadata)
{
    return Register(new CXTPMarkupDependencyProperty(), name, propertyType, ownerType, metadata, TRUE);
}

CXTPMarkupDependencyProperty* CXTPMarkupDependencyProperty::AddOwner(CXTPMarkupType* ownerType)
{
    AddRef();
    EnterInNameMap(m_lpszName, ownerType, this);
    return this;
}

CXTPMarkupDependencyProperty* CXTPMarkupDependencyProperty::FindProperty(const CXTPMarkupType* type,
                                                                         const wchar_t* name)
{
    if (!name || !g_pNameMap)
        return nullptr;
    if (name[0] == L'x' && name[1] == L':')
        name += 2;
    for (const CXTPMarkupType* walk = type; walk; walk = walk->GetBaseType()) {
        auto found = g_pNameMap->find(NameKey{name, walk});
        if (found != g_pNameMap->end())
            return found->second;
    }
    return nullptr;
}

int CXTPMarkupDependencyProperty::GetPropertyCount()
{
    return g_nNextPropertyIndex;
}

void ReleaseMarkupPropertyMap()
{
    NameMap* map = g_pNameMap;
    g_pNameMap = nullptr;
    if (map) {
        for (auto& entry : *map)
            entry.second->Release();
        delete map;
    }
    g_nNextPropertyIndex = 0;
}

// ---- Property stores

CXTPMarkupProperties::CXTPMarkupProperties(CXTPMarkupObject* owner)
    : m_values(static_cast<size_t>(CXTPMarkupDependencyProperty::GetPropertyCount()), nullptr), m_pOwner(owner)
{
}

CXTPMarkupProperties::~CXTPMarkupProperties()
{
    for (CXTPMarkupObject*& value : m_values) {
        if (value)
            Drop(std::exchange(value, nullptr));
    }
}

void CXTPMarkupProperties::Drop(CXTPMarkupObject* value)
{
    // Only a parent link that still points here is cleared: a shared value (true, an enumeration)
    // may since have been stored under another object.
    if (m_pOwner && value->GetLogicalParent() == m_pOwner)
        value->SetLogicalParent(nullptr);
    value->Release();
}

CXTPMarkupObject* CXTPMarkupProperties::Get(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_values[static_cast<size_t>(index)];
}

void CXTPMarkupProperties::Set(int index, CXTPMarkupObject* value)
{
    if (index < 0) {
        MarkupRelease(value); // an event or an unregistered record has no slot
        return;
    }
    if (index >= GetCount()) {
        if (!value)
            return;
        // A property registered after this store was made still gets its slot.
        m_values.resize(static_cast<size_t>(std::max(index + 1, CXTPMarkupDependencyProperty::GetPropertyCount())),
                        nullptr);
    }
    CXTPMarkupObject* old = std::exchange(m_values[static_cast<size_t>(index)], nullptr);
    if (old)
        Drop(old);
    if (value) {
        m_values[static_cast<size_t>(index)] = value;
        if (m_pOwner)
            value->SetLogicalParent(m_pOwner);
    }
}

void CXTPMarkupProperties::Copy(const CXTPMarkupProperties* other)
{
    if (!other)
        return;
    if (other->GetCount() > GetCount())
        m_values.resize(static_cast<size_t>(other->GetCount()), nullptr);
    for (int i = 0; i < other->GetCount(); ++i) {
        CXTPMarkupObject* value = other->m_values[static_cast<size_t>(i)];
        if (!value)
            continue;
        value->AddRef();
        CXTPMarkupObject* old = std::exchange(m_values[static_cast<size_t>(i)], value);
        if (old)
            Drop(old);
    }
}
