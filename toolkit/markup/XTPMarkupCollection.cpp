#include "toolkit/markup/XTPMarkupCollection.h"

#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupValues.h"

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupCollection, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupCollection>,
                      nullptr)
IMPLEMENT_MARKUPCLASS(L"DoubleCollection", CXTPMarkupDoubleCollection, CXTPMarkupObject,
                      &CreateMarkupObject<CXTPMarkupDoubleCollection>, nullptr)

CXTPMarkupCollection::CXTPMarkupCollection(CXTPMarkupType* elementType)
    : m_pElementType(elementType ? elementType : CXTPMarkupObject::MarkupType())
{
}

CXTPMarkupCollection::~CXTPMarkupCollection()
{
    // OnChanged would reach only this class's empty version from a destructor: the items are just
    // released.
    for (CXTPMarkupObject* item : m_arrItems)
        DetachAndRelease(item);
    m_arrItems.clear();
}

CXTPMarkupObject* CXTPMarkupCollection::GetItem(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_arrItems[static_cast<size_t>(index)];
}

void CXTPMarkupCollection::DetachAndRelease(CXTPMarkupObject* item)
{
    if (m_bLogicalParent && item->GetLogicalParent() == this)
        item->SetLogicalParent(nullptr);
    item->Release();
}

void CXTPMarkupCollection::Insert(int index, CXTPMarkupObject* item)
{
    if (!item)
        return;
    if (!item->IsKindOf(m_pElementType)) {
        item->Release(); // the collection owns what it is handed, kept or not
        return;
    }
    if (m_bLogicalParent)
        item->SetLogicalParent(this);
    if (index < 0 || index > GetCount())
        index = GetCount();
    m_arrItems.insert(m_arrItems.begin() + index, item);
    OnItemAdded(item, index);
    OnChanged();
}

void CXTPMarkupCollection::Remove(int index)
{
    if (index < 0 || index >= GetCount())
        return;
    CXTPMarkupObject* item = m_arrItems[static_cast<size_t>(index)];
    m_arrItems.erase(m_arrItems.begin() + index);
    DetachAndRelease(item);
    OnChanged();
}

void CXTPMarkupCollection::RemoveAll()
{
    std::vector<CXTPMarkupObject*> items;
    items.swap(m_arrItems);
    for (CXTPMarkupObject* item : items)
        DetachAndRelease(item);
    OnChanged();
}

int CXTPMarkupCollection::IndexOf(const CXTPMarkupObject* item) const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (m_arrItems[static_cast<size_t>(i)] == item)
            return i;
    }
    return -1;
}

void CXTPMarkupCollection::SetContentObject(CXTPMarkupBuilder*, CXTPMarkupObject* content)
{
    if (content && content->IsKindOf(m_pElementType)) {
        Add(content);
        return;
    }
    CXTPMarkupBuilder::ThrowBuilderException(
        L"'%ls' object cannot be added to '%ls'. Object cannot be converted to type '%ls'",
        content ? content->GetType()->GetTypeName() : L"", GetType()->GetTypeName(), m_pElementType->GetTypeName());
}

CXTPMarkupObject* CXTPMarkupDoubleCollection::ConvertFrom(CXTPMarkupBuilder*, CXTPMarkupObject* object) const
{
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(object);
    std::vector<float> values;
    if (!text || !ParseMarkupFloatList(text->GetBuffer(), values))
        return nullptr;
    return new CXTPMarkupDoubleCollection(std::move(values));
}
