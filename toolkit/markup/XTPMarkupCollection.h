#pragma once
// The general collection of markup objects (base of inlines, children, setters, triggers, stops
// and definitions) and the list of numbers used for dash patterns.

#include "toolkit/markup/XTPMarkupObject.h"

#include <vector>

class CXTPMarkupCollection : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupCollection)
public:
    // elementType: what every item must be (or derive from); null: any markup object.
    explicit CXTPMarkupCollection(CXTPMarkupType* elementType = nullptr);

    int GetCount() const { return static_cast<int>(m_arrItems.size()); }
    CXTPMarkupObject* GetItem(int index) const; // lent; null outside the collection
    CXTPMarkupType* GetElementType() const { return m_pElementType; }

    // Takes over the item's reference. An index below 0 or past the count appends. A null item or
    // one of the wrong type is released and changes nothing.
    void Insert(int index, CXTPMarkupObject* item);
    void Add(CXTPMarkupObject* item) { Insert(-1, item); }
    // Nothing for an index outside the collection.
    void Remove(int index);
    void RemoveAll();
    int IndexOf(const CXTPMarkupObject* item) const;

    int GetLogicalChildrenCount() const override { return GetCount(); }
    CXTPMarkupObject* GetLogicalChild(int index) const override { return GetItem(index); }
    BOOL HasContentObject() const override { return GetCount() > 0; }
    // Adds content of the element type; anything else is a build error.
    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;

protected:
    ~CXTPMarkupCollection() override;

    virtual void OnItemAdded(CXTPMarkupObject* item, int index) {}
    virtual void OnChanged() {}

    std::vector<CXTPMarkupObject*> m_arrItems; // one reference each
    CXTPMarkupType* m_pElementType;            // not owned
    BOOL m_bLogicalParent = TRUE;               // items get the collection as logical parent

private:
    void DetachAndRelease(CXTPMarkupObject* item);
};

// A list of 32-bit floats, written "1 2,3" (the float-list grammar).
class CXTPMarkupDoubleCollection : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupDoubleCollection)
public:
    CXTPMarkupDoubleCollection() = default;
    explicit CXTPMarkupDoubleCollection(std::vector<float> values) : m_arr(std::move(values)) {}

    int GetCount() const { return static_cast<int>(m_arr.size()); }
    // 0 outside the list.
    float GetAt(int index) const
    {
        return index >= 0 && index < GetCount() ? m_arr[static_cast<size_t>(index)] : 0.0f;
    }
    void Add(float value) { m_arr.push_back(value); }
    const std::vector<float>& GetItems() const { return m_arr; }

    CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const override;

protected:
    std::vector<float> m_arr;
};
