#pragma once
// Registry records as the tests write them: a key or a value at a key path.

#include "engine/model/RegistryEntry.h"

inline CRegistryEntry Key(const wchar_t* path)
{
    CRegistryEntry record;
    record.m_kind = CRegistryEntry::kindKey;
    record.m_keyPath = path;
    return record;
}

inline CRegistryEntry Value(const wchar_t* path, const wchar_t* name, int type = CRegistryEntry::typeString,
                            const wchar_t* data = L"")
{
    CRegistryEntry record;
    record.m_kind = CRegistryEntry::kindValue;
    record.m_keyPath = path;
    record.m_valueName = name;
    record.m_valueType = type;
    record.m_value = data;
    return record;
}
