#include "toolkit/markup/XTPMarkupObject.h"

#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupDependencyProperty.h"
#include "toolkit/markup/XTPMarkupStyle.h"
#include "toolkit/markup/XTPMarkupTypeRegistry.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <cwchar>

namespace {

volatile LONG g_liveObjects = 0;

} // namespace

CXTPMarkupDependencyProperty* CXTPMarkupObject::m_pNameProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupObject::m_pKeyProperty = nullptr;
CXTPMarkupType* CXTPMarkupObject::s_pMarkupType = nullptr;

// The root of every chain: written by hand because it has no base type.
CXTPMarkupType* CXTPMarkupObject::MarkupType()
{
    if (!s_pMarkupType)
        CXTPMarkupType::CreateMarkupType(&s_pMarkupType, nullptr, L"CXTPMarkupObject",
                                         &CreateMarkupObject<CXTPMarkupObject>, nullptr,
                                         &CXTPMarkupObject::RegisterMarkupClass);
    return s_pMarkupType;
}

void CXTPMarkupObject::RegisterMarkupClass()
{
    m_pNameProperty = CXTPMarkupDependencyProperty::RegisterProperty(L"Name", CXTPMarkupString::MarkupType(),
                                                                     MarkupType());
    m_pKeyProperty = CXTPMarkupDependencyProperty::RegisterProperty(L"Key", CXTPMarkupObject::MarkupType(),
                                                                    MarkupType());
}

CXTPMarkupObject::CXTPMarkupObject()
{
    InterlockedIncrement(&g_liveObjects);
}

CXTPMarkupObject::~CXTPMarkupObject()
{
    if (m_pProperties)
        m_pProperties->Release();
    delete[] m_lpszTagName;
    InterlockedDecrement(&g_liveObjects);
}

LONG CXTPMarkupObject::GetLiveObjectCount()
{
    return InterlockedCompareExchange(&g_liveObjects, 0, 0);
}

LONG CXTPMarkupObject::AddRef()
{
    return InterlockedIncrement(&m_dwRef);
}

LONG CXTPMarkupObject::Release()
{
    // An object whose count is already 0 (a static, or one in its final release) is never freed
    // through the count again.
    if (m_dwRef == 0)
        return 0;
    const LONG count = InterlockedDecrement(&m_dwRef);
    if (count == 0)
        OnFinalRelease();
    return count;
}

void CXTPMarkupObject::OnFinalRelease()
{
    delete this;
}

CXTPMarkupObject* CXTPMarkupObject::GetLocalValue(CXTPMarkupDependencyProperty* property) const
{
    if (!property || !m_pProperties)
        return nullptr;
    return m_pProperties->Get(property->GetIndex());
}

UINT CXTPMarkupObject::GetHashKey() const
{
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(this));
}

BOOL CXTPMarkupObject::IsEqual(const CXTPMarkupObject* other) const
{
    return other == this;
}

int CXTPMarkupObject::GetLogicalChildrenCount() const
{
    return 0;
}

CXTPMarkupObject* CXTPMarkupObject::GetLogicalChild(int) const
{
    return nullptr;
}

void CXTPMarkupObject::SetContentObject(CXTPMarkupBuilder*, CXTPMarkupObject* content)
{
    if (const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(content))
        CXTPMarkupBuilder::ThrowBuilderException(L"Cannot convert the string '%ls' into a '%ls' object",
                                                 text->GetBuffer(), GetType()->GetTypeName());
    CXTPMarkupBuilder::ThrowBuilderException(L"Cannot add content to an object of type '%ls'",
                                             GetType()->GetTypeName());
}

void CXTPMarkupObject::SetPropertyObject(CXTPMarkupBuilder* builder, CXTPMarkupDependencyProperty* property,
                                         CXTPMarkupObject* value)
{
    if (!property) {
        MarkupRelease(value);
        return;
    }
    if (value && !value->IsKindOf(property->GetPropertyType())) {
        if (!builder) {
            // Nothing can convert outside a build: the value is dropped like any wrong-typed one.
            value->Release();
            return;
        }
        // ConvertValue raises the build error when it cannot convert; the caller (the builder)
        // then still owns value and releases it.
        CXTPMarkupObject* converted = builder->ConvertValue(property, value);
        value->Release();
        value = converted;
    }
    SetValue(property, value);
}

CXTPMarkupObject* CXTPMarkupObject::ConvertFrom(CXTPMarkupBuilder*, CXTPMarkupObject*) const
{
    return nullptr;
}

BOOL CXTPMarkupObject::HasContentObject() const
{
    return FALSE;
}

BOOL CXTPMarkupObject::AllowWhiteSpaceContent() const
{
    return FALSE;
}

void CXTPMarkupObject::OnPropertyChanged(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* oldValue,
                                         CXTPMarkupObject* newValue)
{
    CXTPMarkupPropertyMetadata* metadata = property->GetMetadata();
    if (metadata && metadata->m_pPropertyChanged) {
        CXTPMarkupPropertyChangedEventArgs e = {property, oldValue, newValue};
        metadata->m_pPropertyChanged(this, &e);
    }
}

BOOL CXTPMarkupObject::IsKindOf(const CXTPMarkupType* type) const
{
    return CXTPMarkupType::IsDerivedFrom(GetType(), type);
}

void CXTPMarkupObject::SetTagName(const wchar_t* tagName)
{
    delete[] m_lpszTagName;
    m_lpszTagName = nullptr;
    if (tagName) {
        const size_t length = wcslen(tagName);
        m_lpszTagName = new wchar_t[length + 1];
        wmemcpy(m_lpszTagName, tagName, length + 1);
    }
}

CXTPMarkupObject* CXTPMarkupObject::GetValue(CXTPMarkupDependencyProperty* property) const
{
    const CXTPMarkupObject* source = GetValueSource(property);
    if (source)
        return source->GetLocalValue(property);
    CXTPMarkupPropertyMetadata* metadata = property ? property->GetMetadata() : nullptr;
    return metadata ? metadata->m_pDefaultValue : nullptr;
}

const CXTPMarkupObject* CXTPMarkupObject::GetValueSource(CXTPMarkupDependencyProperty* property) const
{
    if (!property)
        return nullptr;
    if (GetLocalValue(property))
        return this;
    if (property->GetFlags() & CXTPMarkupPropertyMetadata::flagInherited) {
        for (const CXTPMarkupObject* ancestor = m_pLogicalParent; ancestor; ancestor = ancestor->m_pLogicalParent) {
            if (ancestor->GetLocalValue(property))
                return ancestor;
        }
    }
    return nullptr;
}

void CXTPMarkupObject::SetValue(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value)
{
    if (!property) {
        MarkupRelease(value);
        return;
    }
    if (value && !value->IsKindOf(property->GetPropertyType())) {
        // The receiver owns the reference either way: a rejected value is dropped, not leaked.
        value->Release();
        return;
    }
    if (value && !m_pProperties)
        m_pProperties = new CXTPMarkupProperties(this);

    // The store may hold the only reference to the old value; keep it alive until every
    // notification (the descendants' included) has seen it.
    CXTPMarkupObject* oldValue = GetValue(property);
    if (oldValue)
        oldValue->AddRef();

    if (m_pProperties)
        m_pProperties->Set(property->GetIndex(), value);
    else
        MarkupRelease(value); // clearing with no store, or an event (no slot): nothing to keep

    CXTPMarkupObject* newValue = GetValue(property);
    if (oldValue || newValue) {
        // Also when both are the same object: a cleared local value may uncover an equal default.
        OnPropertyChanged(property, oldValue, newValue);
        if (property->GetFlags() & CXTPMarkupPropertyMetadata::flagInherited)
            NotifyInheritedChange(property, oldValue, newValue);
    }
    MarkupRelease(oldValue);
}

void CXTPMarkupObject::NotifyInheritedChange(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* oldValue,
                                             CXTPMarkupObject* newValue)
{
    const int count = GetLogicalChildrenCount();
    for (int i = 0; i < count; ++i) {
        CXTPMarkupObject* child = GetLogicalChild(i);
        if (!child)
            continue;
        if (child->IsKindOf(property->GetOwnerType()))
            child->OnPropertyChanged(property, oldValue, newValue);
        child->NotifyInheritedChange(property, oldValue, newValue);
    }
}

CXTPMarkupObject* MarkupDynamicCast(const CXTPMarkupType* type, CXTPMarkupObject* object)
{
    return object && object->IsKindOf(type) ? object : nullptr;
}

// ---- Types

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupType, CXTPMarkupObject, nullptr, nullptr)

CXTPMarkupType::~CXTPMarkupType()
{
    MarkupRelease(m_pDefaultStyle);
    if (m_ppSlot && *m_ppSlot == this)
        *m_ppSlot = nullptr;
}

void CXTPMarkupType::SetDefaultStyle(CXTPMarkupObject* style)
{
    if (CXTPMarkupStyle* sealed = MarkupDynamicCast<CXTPMarkupStyle>(style))
        sealed->Seal();
    if (style)
        style->AddRef();
    MarkupRelease(m_pDefaultStyle);
    m_pDefaultStyle = style;
}

BOOL CXTPMarkupType::IsDerivedFrom(const CXTPMarkupType* type, const CXTPMarkupType* other)
{
    if (!other)
        return FALSE;
    for (const CXTPMarkupType* walk = type; walk; walk = walk->GetBaseType()) {
        if (walk == other)
            return TRUE;
    }
    return FALSE;
}

void CXTPMarkupType::RegisterProperties(CXTPMarkupType* type)
{
    if (!type || type->m_bRegistered)
        return;
    RegisterProperties(type->GetBaseType());
    type->m_bRegistered = TRUE;
    if (type->m_pfnRegister)
        type->m_pfnRegister();
}

CXTPMarkupObject* CXTPMarkupType::ConvertFrom(CXTPMarkupBuilder*, CXTPMarkupObject* object) const
{
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(object);
    if (!text)
        return nullptr;
    CXTPMarkupType* type = FindMarkupType(text->GetBuffer());
    if (type)
        type->AddRef();
    return type;
}
