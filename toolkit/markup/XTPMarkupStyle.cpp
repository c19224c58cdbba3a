#include "toolkit/markup/XTPMarkupStyle.h"

#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupInputElement.h"
#include "toolkit/markup/XTPMarkupTypeRegistry.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <string>

IMPLEMENT_MARKUPCLASS(L"Setter", CXTPMarkupSetter, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupSetter>,
                      &CXTPMarkupSetter::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupSetterColection, CXTPMarkupCollection,
                      &CreateMarkupObject<CXTPMarkupSetterColection>, nullptr)
IMPLEMENT_MARKUPCLASS(L"Trigger", CXTPMarkupTrigger, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupTrigger>,
                      &CXTPMarkupTrigger::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupTriggerCollection, CXTPMarkupCollection,
                      &CreateMarkupObject<CXTPMarkupTriggerCollection>, nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupActiveTriggerCollection, CXTPMarkupTriggerCollection,
                      &CreateMarkupObject<CXTPMarkupActiveTriggerCollection>, nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupResourceDictionary, CXTPMarkupObject,
                      &CreateMarkupObject<CXTPMarkupResourceDictionary>, nullptr)
IMPLEMENT_MARKUPCLASS(L"Style", CXTPMarkupStyle, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupStyle>,
                      &CXTPMarkupStyle::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupSetter::m_pPropertyProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupSetter::m_pValueProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTrigger::m_pSettersProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupStyle::m_pResourcesProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupStyle::m_pTargetTypeProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupStyle::m_pBasedOnProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupStyle::m_pTriggersProperty = nullptr;

namespace {

const wchar_t kSetterIncomplete[] = L"Must specify both Property and Value for Setter.";

// "TargetType" written as a tag name: types cannot be made by name, so the value type's own
// conversion has no object to ask.
CXTPMarkupObject* ConvertTargetType(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(value);
    CXTPMarkupType* type = text ? FindMarkupType(text->GetBuffer()) : nullptr;
    if (type)
        type->AddRef();
    return type;
}

} // namespace

// ---- Setters and triggers

void CXTPMarkupSetter::RegisterMarkupClass()
{
    m_pPropertyProperty =
        CXTPMarkupDependencyProperty::RegisterProperty(L"Property", CXTPMarkupObject::MarkupType(), MarkupType());
    m_pValueProperty =
        CXTPMarkupDependencyProperty::RegisterProperty(L"Value", CXTPMarkupObject::MarkupType(), MarkupType());
}

CXTPMarkupSetter::CXTPMarkupSetter(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value)
{
    CXTPMarkupType::RegisterProperties(MarkupType());
    if (property)
        property->AddRef();
    SetValue(m_pPropertyProperty, property);
    SetValue(m_pValueProperty, value);
}

CXTPMarkupDependencyProperty* CXTPMarkupSetter::GetSetterProperty() const
{
    return MarkupDynamicCast<CXTPMarkupDependencyProperty>(GetValue(m_pPropertyProperty));
}

CXTPMarkupSetterColection::CXTPMarkupSetterColection() : CXTPMarkupCollection(CXTPMarkupSetter::MarkupType()) {}

void CXTPMarkupTrigger::RegisterMarkupClass()
{
    CXTPMarkupType::RegisterProperties(CXTPMarkupSetter::MarkupType());
    CXTPMarkupSetter::m_pPropertyProperty->AddOwner(MarkupType());
    CXTPMarkupSetter::m_pValueProperty->AddOwner(MarkupType());
    m_pSettersProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Setters", CXTPMarkupSetterColection::MarkupType(), MarkupType());
}

CXTPMarkupTrigger::CXTPMarkupTrigger(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value)
{
    CXTPMarkupType::RegisterProperties(MarkupType());
    if (property)
        property->AddRef();
    SetValue(CXTPMarkupSetter::m_pPropertyProperty, property);
    SetValue(CXTPMarkupSetter::m_pValueProperty, value);
}

CXTPMarkupDependencyProperty* CXTPMarkupTrigger::GetTriggerProperty() const
{
    return MarkupDynamicCast<CXTPMarkupDependencyProperty>(GetValue(CXTPMarkupSetter::m_pPropertyProperty));
}

CXTPMarkupSetterColection* CXTPMarkupTrigger::GetSetters() const
{
    return MarkupDynamicCast<CXTPMarkupSetterColection>(GetValue(m_pSettersProperty));
}

void CXTPMarkupTrigger::AddSetter(CXTPMarkupSetter* setter)
{
    CXTPMarkupSetterColection* setters = GetSetters();
    if (!setters) {
        setters = new CXTPMarkupSetterColection();
        SetValue(m_pSettersProperty, setters);
    }
    setters->Add(setter);
}

CXTPMarkupTriggerCollection::CXTPMarkupTriggerCollection() : CXTPMarkupCollection(CXTPMarkupTrigger::MarkupType())
{
}

// ---- Resource dictionaries

CXTPMarkupResourceDictionary::~CXTPMarkupResourceDictionary()
{
    for (auto& entry : m_entries) {
        entry.first->Release();
        if (entry.second->GetLogicalParent() == this)
            entry.second->SetLogicalParent(nullptr);
        entry.second->Release();
    }
}

CXTPMarkupObject* CXTPMarkupResourceDictionary::Lookup(const CXTPMarkupObject* key) const
{
    if (!key)
        return nullptr;
    for (const auto& entry : m_entries) {
        if (entry.first->IsEqual(key))
            return entry.second;
    }
    return nullptr;
}

BOOL CXTPMarkupResourceDictionary::Add(CXTPMarkupObject* key, CXTPMarkupObject* value)
{
    if (!key || !value || Lookup(key)) {
        MarkupRelease(value);
        return FALSE;
    }
    key->AddRef();
    value->SetLogicalParent(this);
    m_entries.emplace_back(key, value);
    return TRUE;
}

void CXTPMarkupResourceDictionary::SetContentObject(CXTPMarkupBuilder*, CXTPMarkupObject* content)
{
    if (!content)
        return;
    CXTPMarkupObject* key = content->CXTPMarkupObject::GetLocalValue(CXTPMarkupObject::m_pKeyProperty);
    if (!key) {
        if (CXTPMarkupStyle* style = MarkupDynamicCast<CXTPMarkupStyle>(content))
            key = style->GetTargetType();
    }
    // On an error the content stays with the caller (the builder), which releases it.
    if (!key)
        CXTPMarkupBuilder::ThrowBuilderException(
            L"Objects added to Dictionary must have Key attribute or some other type of associated Key");
    if (Lookup(key))
        CXTPMarkupBuilder::ThrowBuilderException(L"Dictionary key is already used. Key attributes must be unique.");
    Add(key, content);
}

CXTPMarkupResourceDictionary* MarkupGetOwnResources(CXTPMarkupObject* object)
{
    if (!object)
        return nullptr;
    if (CXTPMarkupResourceDictionary* dictionary = MarkupDynamicCast<CXTPMarkupResourceDictionary>(object))
        return dictionary;
    if (!CXTPMarkupStyle::m_pResourcesProperty)
        return nullptr;
    // The element's own dictionary only: a style's values are not resources of the element.
    return MarkupDynamicCast<CXTPMarkupResourceDictionary>(
        object->CXTPMarkupObject::GetLocalValue(CXTPMarkupStyle::m_pResourcesProperty));
}

CXTPMarkupObject* MarkupFindResource(CXTPMarkupObject* object, const CXTPMarkupObject* key)
{
    if (!object || !key)
        return nullptr;
    if (CXTPMarkupResourceDictionary* dictionary = MarkupDynamicCast<CXTPMarkupResourceDictionary>(object))
        return dictionary->Lookup(key);
    for (CXTPMarkupObject* walk = object; walk; walk = walk->GetLogicalParent()) {
        if (CXTPMarkupResourceDictionary* own = MarkupGetOwnResources(walk)) {
            if (CXTPMarkupObject* found = own->Lookup(key))
                return found;
        }
        if (CXTPMarkupInputElement* element = MarkupDynamicCast<CXTPMarkupInputElement>(walk)) {
            CXTPMarkupStyle* style = MarkupDynamicCast<CXTPMarkupStyle>(element->GetStyle());
            if (CXTPMarkupResourceDictionary* resources = style ? style->GetResources() : nullptr) {
                if (CXTPMarkupObject* found = resources->Lookup(key))
                    return found;
            }
        }
        if (walk->IsKindOf(CXTPMarkupStyle::MarkupType()))
            break;
    }
    return nullptr;
}

// ---- Styles

void CXTPMarkupStyle::RegisterMarkupClass()
{
    CXTPMarkupType* owner = MarkupType();
    CXTPMarkupType::RegisterProperties(CXTPMarkupTrigger::MarkupType());
    m_pResourcesProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Resources", CXTPMarkupResourceDictionary::MarkupType(), owner);
    m_pTargetTypeProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"TargetType", CXTPMarkupType::MarkupType(), owner, new CXTPMarkupPropertyMetadata(nullptr, &ConvertTargetType));
    m_pBasedOnProperty = CXTPMarkupDependencyProperty::RegisterProperty(L"BasedOn", owner, owner);
    m_pTriggersProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Triggers", CXTPMarkupTriggerCollection::MarkupType(), owner);
}

CXTPMarkupStyle::CXTPMarkupStyle() : m_pSetters(new CXTPMarkupSetterColection())
{
    m_pSetters->SetLogicalParent(this);
}

CXTPMarkupStyle::~CXTPMarkupStyle()
{
    m_pSetters->SetLogicalParent(nullptr);
    m_pSetters->Release();
    MarkupRelease(m_pSealedValues);
}

CXTPMarkupStyle* CXTPMarkupStyle::GetBasedOn() const
{
    return MarkupDynamicCast<CXTPMarkupStyle>(GetValue(m_pBasedOnProperty));
}

CXTPMarkupTriggerCollection* CXTPMarkupStyle::GetTriggers() const
{
    return MarkupDynamicCast<CXTPMarkupTriggerCollection>(GetValue(m_pTriggersProperty));
}

CXTPMarkupType* CXTPMarkupStyle::GetTargetType() const
{
    return MarkupDynamicCast<CXTPMarkupType>(GetValue(m_pTargetTypeProperty));
}

CXTPMarkupResourceDictionary* CXTPMarkupStyle::GetResources() const
{
    return MarkupDynamicCast<CXTPMarkupResourceDictionary>(GetValue(m_pResourcesProperty));
}

void CXTPMarkupStyle::ResolveSetter(CXTPMarkupBuilder* builder, CXTPMarkupObject* setter) const
{
    CXTPMarkupObject* name = setter->GetLocalValue(CXTPMarkupSetter::m_pPropertyProperty);
    if (!name)
        CXTPMarkupBuilder::ThrowBuilderException(kSetterIncomplete);
    CXTPMarkupDependencyProperty* property = MarkupDynamicCast<CXTPMarkupDependencyProperty>(name);
    if (!property) {
        const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(name);
        if (!text)
            CXTPMarkupBuilder::ThrowBuilderException(kSetterIncomplete);
        const std::wstring written = text->GetBuffer();
        const size_t dot = written.find(L'.');
        if (dot != std::wstring::npos) {
            const CXTPMarkupType* owner = FindMarkupType(written.substr(0, dot).c_str());
            if (owner)
                property = CXTPMarkupDependencyProperty::FindProperty(owner, written.c_str() + dot + 1);
        } else if (const CXTPMarkupType* target = GetTargetType()) {
            property = CXTPMarkupDependencyProperty::FindProperty(target, written.c_str());
        }
        if (!property)
            CXTPMarkupBuilder::ThrowBuilderException(L"Cannot find the Style Property '%ls'", written.c_str());
        property->AddRef();
        setter->SetValue(CXTPMarkupSetter::m_pPropertyProperty, property);
    }
    CXTPMarkupObject* value = setter->GetLocalValue(CXTPMarkupSetter::m_pValueProperty);
    if (!value)
        CXTPMarkupBuilder::ThrowBuilderException(kSetterIncomplete);
    if (!value->IsKindOf(property->GetPropertyType()) && builder)
        setter->SetValue(CXTPMarkupSetter::m_pValueProperty, builder->ConvertValue(property, value));
}

void CXTPMarkupStyle::AddSetter(CXTPMarkupBuilder* builder, CXTPMarkupSetter* setter)
{
    // Resolved first: a setter that fails stays with the caller.
    ResolveSetter(builder, setter);
    m_pSetters->Add(setter);
}

void CXTPMarkupStyle::SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content)
{
    if (CXTPMarkupSetter* setter = MarkupDynamicCast<CXTPMarkupSetter>(content)) {
        AddSetter(builder, setter);
        return;
    }
    CXTPMarkupObject::SetContentObject(builder, content);
}

void CXTPMarkupStyle::SetPropertyObject(CXTPMarkupBuilder* builder, CXTPMarkupDependencyProperty* property,
                                        CXTPMarkupObject* value)
{
    if (property == m_pTriggersProperty) {
        if (CXTPMarkupTriggerCollection* triggers = MarkupDynamicCast<CXTPMarkupTriggerCollection>(value)) {
            for (int i = 0; i < triggers->GetCount(); ++i) {
                CXTPMarkupTrigger* trigger = triggers->GetTrigger(i);
                ResolveSetter(builder, trigger);
                if (CXTPMarkupSetterColection* setters = trigger->GetSetters()) {
                    for (int j = 0; j < setters->GetCount(); ++j)
                        ResolveSetter(builder, setters->GetSetter(j));
                }
            }
        }
    }
    CXTPMarkupObject::SetPropertyObject(builder, property, value);
}

void CXTPMarkupStyle::Seal()
{
    if (m_bSealed || m_bSealing)
        return;
    m_bSealing = TRUE;
    if (!m_pSealedValues)
        m_pSealedValues = new CXTPMarkupProperties(nullptr);
    SetLogicalParent(nullptr);
    if (CXTPMarkupStyle* base = GetBasedOn()) {
        base->Seal();
        m_pSealedValues->Copy(base->m_pSealedValues);
    }
    for (int i = 0; i < m_pSetters->GetCount(); ++i) {
        CXTPMarkupSetter* setter = m_pSetters->GetSetter(i);
        CXTPMarkupDependencyProperty* property = setter->GetSetterProperty();
        CXTPMarkupObject* value = setter->GetSetterValue();
        if (!property || !value)
            continue;
        value->AddRef();
        m_pSealedValues->Set(property->GetIndex(), value);
    }
    m_bSealed = TRUE;
    m_bSealing = FALSE;
}

CXTPMarkupObject* CXTPMarkupStyle::FindValue(CXTPMarkupDependencyProperty* property) const
{
    if (!m_bSealed || !m_pSealedValues || !property)
        return nullptr;
    return m_pSealedValues->Get(property->GetIndex());
}
