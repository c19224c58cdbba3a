#pragma once
// CArray and its named forms: a growable array indexed by int. Out-of-range element access throws
// CInvalidArgException instead of reading past the end.

#include "framework/Exception.h"
#include "framework/Object.h"
#include "framework/String.h"

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
public:
    CArray() = default;
    CArray(const CArray&) = default;
    CArray& operator=(const CArray&) = default;
    CArray(CArray&&) noexcept = default;
    CArray& operator=(CArray&&) noexcept = default;

    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_items.empty(); }
    int GetUpperBound() const { return GetSize() - 1; }

    // New elements are value-initialised; growBy is accepted for compatibility and ignored.
    void SetSize(int newSize, int growBy = -1)
    {
        (void)growBy;
        m_items.resize(static_cast<size_t>(std::max(newSize, 0)));
    }
    void FreeExtra() { m_items.shrink_to_fit(); }
    void RemoveAll() { m_items.clear(); }

    const TYPE& GetAt(int index) const { return m_items[Checked(index)]; }
    TYPE& GetAt(int index) { return m_items[Checked(index)]; }
    TYPE& ElementAt(int index) { return m_items[Checked(index)]; }
    void SetAt(int index, ARG_TYPE element) { m_items[Checked(index)] = element; }
    const TYPE& operator[](int index) const { return GetAt(index); }
    TYPE& operator[](int index) { return GetAt(index); }
    const TYPE* GetData() const { return m_items.data(); }
    TYPE* GetData() { return m_items.data(); }

    // Sets the element, growing the array when index is past the end.
    void SetAtGrow(int index, ARG_TYPE element)
    {
        if (index < 0)
            AfxThrowInvalidArgException();
        TYPE copy(element); // element may refer into this array
        if (index >= GetSize())
            SetSize(index + 1);
        m_items[static_cast<size_t>(index)] = std::move(copy);
    }
    int Add(ARG_TYPE element)
    {
        m_items.push_back(TYPE(element));
        return GetSize() - 1;
    }
    // Takes the element over instead of copying it (arrays whose elements are passed by reference).
    int Add(TYPE&& element)
        requires std::is_reference_v<ARG_TYPE>
    {
        m_items.push_back(std::move(element));
        return GetSize() - 1;
    }
    int Append(const CArray& other)
    {
        const int oldSize = GetSize();
        m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
        return oldSize;
    }
    void Copy(const CArray& other)
    {
        if (this != &other)
            m_items = other.m_items;
    }
    // Inserts count copies at index; an index past the end grows the array first.
    void InsertAt(int index, ARG_TYPE element, int count = 1)
    {
        if (index < 0 || count < 0)
            AfxThrowInvalidArgException();
        TYPE copy(element);
        if (index > GetSize())
            SetSize(index);
        m_items.insert(m_items.begin() + index, static_cast<size_t>(count), copy);
    }
    void RemoveAt(int index, int count = 1)
    {
        if (index < 0 || count < 0 || index + count > GetSize())
            AfxThrowInvalidArgException();
        m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
    }

    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    size_t Checked(int index) const
    {
        if (index < 0 || index >= GetSize())
            AfxThrowInvalidArgException();
        return static_cast<size_t>(index);
    }

    std::vector<TYPE> m_items;
};

class CStringArray : public CArray<CString, const CString&> {};
class CPtrArray : public CArray<void*, void*> {};
class CObArray : public CArray<CObject*, CObject*> {};
class CByteArray : public CArray<BYTE, BYTE> {};
class CWordArray : public CArray<WORD, WORD> {};
class CDWordArray : public CArray<DWORD, DWORD> {};
class CUIntArray : public CArray<UINT, UINT> {};

// An array of typed pointers over a pointer array; the pointers are not owned.
template <class BASE_CLASS, class TYPE>
class CTypedPtrArray : public BASE_CLASS {
public:
    TYPE GetAt(int index) const { return static_cast<TYPE>(BASE_CLASS::GetAt(index)); }
    TYPE& ElementAt(int index) { return reinterpret_cast<TYPE&>(BASE_CLASS::ElementAt(index)); }
    void SetAt(int index, TYPE element) { BASE_CLASS::SetAt(index, element); }
    void SetAtGrow(int index, TYPE element) { BASE_CLASS::SetAtGrow(index, element); }
    int Add(TYPE element) { return BASE_CLASS::Add(element); }
    void InsertAt(int index, TYPE element, int count = 1) { BASE_CLASS::InsertAt(index, element, count); }
    TYPE operator[](int index) const { return GetAt(index); }
    TYPE& operator[](int index) { return ElementAt(index); }
};
