#pragma once
// CRegistryEntry: one registry record of a project: a root, a key or a value. Key paths begin with
// a root name ("HKEY_LOCAL_MACHINE\Software\Vendor"); a root record holds the root name and one
// backslash. A new CRegistryEntries holds the five root records, so every project starts with them.

#include "framework/Array.h"
#include "framework/Archive.h"

class CRegistryEntry {
public:
    enum Kind : int { kindRoot = 0, kindKey = 1, kindValue = 2 };
    // Key options, a bit set.
    enum : int { keyAlwaysCreate = 1, keyDeleteAtUninstall = 2 };
    // Value types: the program's own numbers, not the Windows type codes.
    enum ValueType : int {
        typeString = 0, typeExpandString = 1, typeMultiString = 2, typeBinary = 3, typeDword = 4,
    };

    CRegistryEntry();   // a new entry id; the creator sets the kind
    CRegistryEntry(const CRegistryEntry&) = default;
    CRegistryEntry& operator=(const CRegistryEntry&) = default;
    CRegistryEntry(CRegistryEntry&&) noexcept = default;
    CRegistryEntry& operator=(CRegistryEntry&&) noexcept = default;
    virtual ~CRegistryEntry() = default;

    // One record; the taken flag is neither written nor read (a loaded record's flag is 0).
    void Serialize(CArchive& ar);

    CString m_id;                  // 32 hexadecimal digits
    int m_kind = kindRoot;
    int m_keyOptions = 0;
    CString m_keyPath;
    CString m_valueName;           // empty for the default value
    int m_valueType = typeString;
    CString m_value;               // value data as text
    CString m_condition;           // component condition
    int m_taken = 0;               // set by the builder on a value it turned into a service column
};

class CRegistryEntries : public CArray<CRegistryEntry, const CRegistryEntry&> {
public:
    // The five root records, copies of one prototype (so they share one id): "HKEY_CLASSES_ROOT\",
    // "HKEY_CURRENT_USER\", "HKEY_LOCAL_MACHINE\", "HKEY_USERS\", "Per User/Machine Hive\".
    CRegistryEntries();

    // The count, then each record; loading replaces the list, root records included.
    void Serialize(CArchive& ar) override;

    // The first key record (kind 1) whose key path equals the given one, ignoring case; null when
    // none. Root records are never found.
    CRegistryEntry* FindKey(const CString& keyPath);
    const CRegistryEntry* FindKey(const CString& keyPath) const;

    // The first value record (kind 2) with that key path and value name, both ignoring case; null
    // when none.
    CRegistryEntry* FindValue(const CString& keyPath, const CString& valueName);
    const CRegistryEntry* FindValue(const CString& keyPath, const CString& valueName) const;

    // Removes every value record that FindValue would match; true when one was removed.
    bool RemoveValue(const CString& keyPath, const CString& valueName);

    // Removes every record of any kind whose key path is the given key or lies below it (ignoring
    // case); "...\App" does not take "...\Apple". True when one was removed.
    bool RemoveKeyTree(const CString& keyPath);

    // The key path the project's value list showed last, so that the editor can select that key
    // again. Editor state: never stored in a package file (loading empties it); copied with the
    // list like every other member.
    CString m_lastShownKeyPath;
};
