#pragma once
// CMap: a hash map walked with POSITION values. The walking order is the bucket order, not the
// order of insertion. A POSITION stays valid until its own entry is removed; adding entries while
// walking is allowed but may or may not visit the new ones.

#include "framework/Exception.h"
#include "framework/Object.h"
#include "framework/String.h"

#include <functional>
#include <type_traits>
#include <vector>

template <class KEY>
inline UINT HashKey(const KEY& key)
{
    if constexpr (std::is_pointer_v<KEY>)
        return static_cast<UINT>(reinterpret_cast<ULONG_PTR>(key) >> 4);
    else
        return static_cast<UINT>(std::hash<KEY>{}(key));
}

inline UINT HashKey(const wchar_t* key)
{
    return static_cast<UINT>(std::hash<std::wstring_view>{}(key ? std::wstring_view(key) : std::wstring_view()));
}

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject {
    struct Assoc {
        Assoc* next;
        UINT hash;
        KEY key;
        VALUE value;
    };

public:
    explicit CMap(int blockSize = 10) { (void)blockSize; }
    CMap(const CMap&) = delete;
    CMap& operator=(const CMap&) = delete;
    ~CMap() override { RemoveAll(); }

    int GetCount() const { return m_count; }
    int GetSize() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    UINT GetHashTableSize() const { return static_cast<UINT>(m_buckets.size()); }

    // Sets the bucket count; only takes effect while the map is empty.
    void InitHashTable(UINT hashSize, bool allocNow = true)
    {
        (void)allocNow;
        if (m_count == 0 && hashSize > 0)
            m_buckets.assign(hashSize, nullptr);
    }

    bool Lookup(ARG_KEY key, VALUE& value) const
    {
        const Assoc* assoc = FindAssoc(key);
        if (!assoc)
            return false;
        value = assoc->value;
        return true;
    }
    VALUE& operator[](ARG_KEY key)
    {
        if (Assoc* assoc = FindAssoc(key))
            return assoc->value;
        return NewAssoc(key)->value;
    }
    void SetAt(ARG_KEY key, ARG_VALUE value) { (*this)[key] = value; }

    bool RemoveKey(ARG_KEY key)
    {
        if (m_buckets.empty())
            return false;
        const UINT hash = HashKey(KEY(key));
        for (Assoc** link = &m_buckets[hash % m_buckets.size()]; *link; link = &(*link)->next) {
            if ((*link)->hash == hash && (*link)->key == key) {
                Assoc* gone = *link;
                *link = gone->next;
                delete gone;
                --m_count;
                return true;
            }
        }
        return false;
    }
    void RemoveAll()
    {
        for (Assoc*& head : m_buckets) {
            while (head) {
                Assoc* next = head->next;
                delete head;
                head = next;
            }
        }
        m_count = 0;
    }

    POSITION GetStartPosition() const { return ToPosition(FirstFrom(0)); }
    // Gives the entry at position and moves position to the next entry (null after the last).
    void GetNextAssoc(POSITION& position, KEY& key, VALUE& value) const
    {
        if (!position)
            AfxThrowInvalidArgException();
        const Assoc* assoc = reinterpret_cast<const Assoc*>(position);
        key = assoc->key;
        value = assoc->value;
        const Assoc* next = assoc->next ? assoc->next : FirstFrom(assoc->hash % m_buckets.size() + 1);
        position = ToPosition(next);
    }

private:
    static POSITION ToPosition(const Assoc* assoc)
    {
        return reinterpret_cast<POSITION>(const_cast<Assoc*>(assoc));
    }

    const Assoc* FirstFrom(size_t bucket) const
    {
        for (; bucket < m_buckets.size(); ++bucket) {
            if (m_buckets[bucket])
                return m_buckets[bucket];
        }
        return nullptr;
    }

    Assoc* FindAssoc(ARG_KEY key) const
    {
        if (m_buckets.empty())
            return nullptr;
        const UINT hash = HashKey(KEY(key));
        for (Assoc* assoc = m_buckets[hash % m_buckets.size()]; assoc; assoc = assoc->next) {
            if (assoc->hash == hash && assoc->key == key)
                return assoc;
        }
        return nullptr;
    }

    Assoc* NewAssoc(ARG_KEY key)
    {
        if (m_buckets.empty())
            m_buckets.assign(kDefaultBuckets, nullptr);
        const UINT hash = HashKey(KEY(key));
        Assoc*& head = m_buckets[hash % m_buckets.size()];
        head = new Assoc{head, hash, KEY(key), VALUE()};
        ++m_count;
        return head;
    }

    // A prime, as the classic default; callers with many entries size the table themselves.
    static constexpr UINT kDefaultBuckets = 17;

    std::vector<Assoc*> m_buckets;
    int m_count = 0;
};

class CMapStringToString : public CMap<CString, const wchar_t*, CString, const wchar_t*> {};
class CMapStringToPtr : public CMap<CString, const wchar_t*, void*, void*> {};
class CMapStringToOb : public CMap<CString, const wchar_t*, CObject*, CObject*> {};
class CMapPtrToPtr : public CMap<void*, void*, void*, void*> {};
class CMapWordToPtr : public CMap<WORD, WORD, void*, void*> {};
