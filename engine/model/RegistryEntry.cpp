#include "engine/model/RegistryEntry.h"

#include "engine/files/Globals.h"
#include "engine/model/GuidText.h"
#include "engine/model/RecordArchive.h"
#include "engine/model/RecordLookup.h"

using namespace recordarchive;
using recordlookup::RemoveMatching;


CRegistryEntry::CRegistryEntry() : m_id(NewGuidStringBare())
{
}

void CRegistryEntry::Serialize(CArchive& ar)
{
    if (ar.IsLoading())
        m_taken = 0;
    Exchange(ar, m_id);
    Exchange(ar, m_kind);
    Exchange(ar, m_keyOptions);
    Exchange(ar, m_keyPath);
    Exchange(ar, m_valueName);
    Exchange(ar, m_valueType);
    Exchange(ar, m_value);
    Exchange(ar, m_condition);
    ExchangeSpareTexts(ar, 7);
    ExchangeSpareInts(ar, 8);
}

CRegistryEntries::CRegistryEntries()
{
    CRegistryEntry root;
    root.m_kind = CRegistryEntry::kindRoot;
    for (const wchar_t* name : RegistryRootNames) {
        root.m_keyPath = CString(name) + L"\\";
        Add(root);
    }
}

void CRegistryEntries::Serialize(CArchive& ar)
{
    // Not part of the stored form: a loaded list, like a loaded record, carries no editor state.
    if (ar.IsLoading())
        m_lastShownKeyPath.Empty();
    ExchangeList(ar, *this);
}

const CRegistryEntry* CRegistryEntries::FindKey(const CString& keyPath) const
{
    return recordlookup::FindFirst(*this, [&](const CRegistryEntry& entry) {
        return entry.m_kind == CRegistryEntry::kindKey && recordlookup::EqualsNoCase(entry.m_keyPath, keyPath);
    });
}

CRegistryEntry* CRegistryEntries::FindKey(const CString& keyPath)
{
    return const_cast<CRegistryEntry*>(std::as_const(*this).FindKey(keyPath));
}

namespace {

bool IsValueOf(const CRegistryEntry& entry, const CString& keyPath, const CString& valueName)
{
    return entry.m_kind == CRegistryEntry::kindValue && recordlookup::EqualsNoCase(entry.m_keyPath, keyPath) &&
           recordlookup::EqualsNoCase(entry.m_valueName, valueName);
}

} // namespace

const CRegistryEntry* CRegistryEntries::FindValue(const CString& keyPath, const CString& valueName) const
{
    return recordlookup::FindFirst(*this, [&](const CRegistryEntry& entry) { return IsValueOf(entry, keyPath, valueName); });
}

CRegistryEntry* CRegistryEntries::FindValue(const CString& keyPath, const CString& valueName)
{
    return const_cast<CRegistryEntry*>(std::as_const(*this).FindValue(keyPath, valueName));
}

bool CRegistryEntries::RemoveValue(const CString& keyPath, const CString& valueName)
{
    return RemoveMatching(*this, [&](const CRegistryEntry& entry) { return IsValueOf(entry, keyPath, valueName); });
}

bool CRegistryEntries::RemoveKeyTree(const CString& keyPath)
{
    return RemoveMatching(*this, [&](const CRegistryEntry& entry) {
        return recordlookup::IsSameOrUnderPath(entry.m_keyPath, keyPath);
    });
}
