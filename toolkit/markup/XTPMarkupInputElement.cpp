#include "toolkit/markup/XTPMarkupInputElement.h"

#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupConverters.h"
#include "toolkit/markup/XTPMarkupDelegate.h"
#include "toolkit/markup/XTPMarkupKeyboardNavigation.h"
#include "toolkit/markup/XTPMarkupStyle.h"
#include "toolkit/markup/XTPMarkupValues.h"

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupInputElement, CXTPMarkupObject, nullptr,
                      &CXTPMarkupInputElement::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupInputElement::m_pCursorProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupInputElement::m_pIsMouseOverProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupInputElement::m_pStyleProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupInputElement::m_pIsKeyboardFocusedProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupInputElement::m_pIsFocusableProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupInputElement::m_pToolTipProperty = nullptr;

CXTPMarkupRoutedEvent* CXTPMarkupInputElement::m_pMouseLeaveEvent = nullptr;
CXTPMarkupRoutedEvent* CXTPMarkupInputElement::m_pMouseEnterEvent = nullptr;
CXTPMarkupRoutedEvent* CXTPMarkupInputElement::m_pMouseLeftButtonUpEvent = nullptr;
CXTPMarkupRoutedEvent* CXTPMarkupInputElement::m_pMouseLeftButtonDownEvent = nullptr;
CXTPMarkupRoutedEvent* CXTPMarkupInputElement::m_pMouseRightButtonUpEvent = nullptr;
CXTPMarkupRoutedEvent* CXTPMarkupInputElement::m_pMouseRightButtonDownEvent = nullptr;
CXTPMarkupRoutedEvent* CXTPMarkupInputElement::m_pMouseMoveEvent = nullptr;
CXTPMarkupRoutedEvent* CXTPMarkupInputElement::m_pLostMouseCaptureEvent = nullptr;

void CXTPMarkupInputElement::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    CXTPMarkupType* owner = MarkupType();
    m_pCursorProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Cursor", CXTPMarkupInt::MarkupType(), owner,
        new Metadata(nullptr, &MarkupConvertCursor, &CXTPMarkupInputElement::OnCursorChanged));
    m_pIsMouseOverProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"IsMouseOver", CXTPMarkupBool::MarkupType(), owner, new Metadata(MarkupFalse()));
    // Every input element may carry resources: the style's property, entered here too.
    CXTPMarkupType::RegisterProperties(CXTPMarkupStyle::MarkupType());
    CXTPMarkupStyle::m_pResourcesProperty->AddOwner(owner);
    m_pStyleProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Style", CXTPMarkupStyle::MarkupType(), owner,
        new Metadata(nullptr, &CXTPMarkupInputElement::OnStyleChanged, 0));
    m_pIsKeyboardFocusedProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"IsKeyboardFocused", CXTPMarkupBool::MarkupType(), owner,
        new Metadata(MarkupFalse(), Metadata::flagAffectsRender));
    m_pIsFocusableProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"IsFocusable", CXTPMarkupBool::MarkupType(), owner, new Metadata(MarkupFalse()));
    m_pToolTipProperty =
        CXTPMarkupDependencyProperty::RegisterProperty(L"ToolTip", CXTPMarkupObject::MarkupType(), owner);

    m_pMouseLeaveEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"MouseLeave", 0, owner);
    m_pMouseEnterEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"MouseEnter", 0, owner);
    m_pMouseLeftButtonUpEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"MouseLeftButtonUp", 0, owner);
    m_pMouseLeftButtonDownEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"MouseLeftButtonDown", 0, owner);
    m_pMouseRightButtonUpEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"MouseRightButtonUp", 0, owner);
    m_pMouseRightButtonDownEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"MouseRightButtonDown", 0, owner);
    m_pMouseMoveEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"MouseMove", 0, owner);
    m_pLostMouseCaptureEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"LostMouseCapture", 0, owner);
}

CXTPMarkupInputElement::~CXTPMarkupInputElement()
{
    if (m_pHandlers) {
        for (auto& entry : *m_pHandlers) {
            for (CXTPMarkupDelegate* handler : entry.second)
                handler->Release();
        }
        delete m_pHandlers;
    }
    MarkupRelease(m_pActiveTriggers);
    MarkupRelease(m_pTriggerProperties);
    MarkupRelease(m_pStyle);
}

void CXTPMarkupInputElement::OnFinalRelease()
{
    // The context forgets this element (mouse-over, capture) and drops the reference the element
    // held on it; then the object dies.
    if (CXTPMarkupContext* context = m_pMarkupContext)
        context->OnElementFinalRelease(this);
    CXTPMarkupObject::OnFinalRelease();
}

CXTPMarkupObject* CXTPMarkupInputElement::GetLocalValue(CXTPMarkupDependencyProperty* property) const
{
    if (CXTPMarkupObject* value = CXTPMarkupObject::GetLocalValue(property))
        return value;
    if (m_pTriggerProperties && property) {
        if (CXTPMarkupObject* value = m_pTriggerProperties->Get(property->GetIndex()))
            return value;
    }
    return GetStyleValue(property);
}

void CXTPMarkupInputElement::SetPropertyObject(CXTPMarkupBuilder* builder, CXTPMarkupDependencyProperty* property,
                                               CXTPMarkupObject* value)
{
    if (!property || !property->IsEvent()) {
        CXTPMarkupObject::SetPropertyObject(builder, property, value);
        return;
    }
    // An event cannot be stored as a value: outside a build the attribute is dropped quietly.
    if (!builder) {
        MarkupRelease(value);
        return;
    }
    // An event attribute names a delegate that only a markup context can supply. On an error the
    // value stays with the caller (the builder), which releases it.
    if (!m_pMarkupContext)
        CXTPMarkupBuilder::ThrowBuilderException(L"Markup Context is NULL");
    const CXTPMarkupString* name = MarkupDynamicCast<CXTPMarkupString>(value);
    CString text = name ? name->GetBuffer() : L"";
    CXTPMarkupDelegate* handler = m_pMarkupContext->FindDelegate(text);
    if (!handler)
        CXTPMarkupBuilder::ThrowBuilderException(L"'%ls' delegate not found", static_cast<const wchar_t*>(text));
    handler->AddRef();
    AddHandler(static_cast<CXTPMarkupRoutedEvent*>(property), handler);
    MarkupRelease(value);
}

void CXTPMarkupInputElement::AddHandler(CXTPMarkupRoutedEvent* event, CXTPMarkupDelegate* handler)
{
    if (!event || !handler) {
        MarkupRelease(handler);
        return;
    }
    if (!m_pHandlers)
        m_pHandlers = new std::map<CXTPMarkupRoutedEvent*, std::vector<CXTPMarkupDelegate*>>();
    (*m_pHandlers)[event].push_back(handler);
}

void CXTPMarkupInputElement::InvokeHandlers(CXTPMarkupRoutedEventArgs* args)
{
    if (!m_pHandlers)
        return;
    auto found = m_pHandlers->find(args->GetEvent());
    if (found == m_pHandlers->end())
        return;
    // A delegate may add handlers while it runs: the list as it stood when the event arrived
    // runs, each delegate kept alive for its call.
    std::vector<CXTPMarkupDelegate*> handlers = found->second;
    for (CXTPMarkupDelegate* handler : handlers)
        handler->AddRef();
    AddRef();
    for (CXTPMarkupDelegate* handler : handlers) {
        handler->Invoke(this, args);
        handler->Release();
    }
    Release();
}

void CXTPMarkupInputElement::RaiseEvent(CXTPMarkupRoutedEventArgs* args)
{
    if (!args || !args->GetEvent())
        return;
    if (!args->GetEvent()->IsBubbling()) {
        InvokeHandlers(args);
        return;
    }
    for (CXTPMarkupObject* walk = this; walk; walk = walk->GetLogicalParent()) {
        CXTPMarkupInputElement* element = MarkupDynamicCast<CXTPMarkupInputElement>(walk);
        if (!element)
            continue;
        element->InvokeHandlers(args);
        if (args->IsHandled())
            return;
    }
    // Unhandled: the markup context's own handlers run once, with this element as source.
    if (m_pMarkupContext)
        m_pMarkupContext->RaiseEvent(this, args);
}

void CXTPMarkupInputElement::OnMouseEnter(CXTPMarkupMouseEventArgs*)
{
    SetValue(m_pIsMouseOverProperty, MarkupTrue());
}

void CXTPMarkupInputElement::OnMouseLeave(CXTPMarkupMouseEventArgs*)
{
    SetValue(m_pIsMouseOverProperty, nullptr);
}

BOOL CXTPMarkupInputElement::IsMouseOver() const
{
    const CXTPMarkupBool* value = MarkupDynamicCast<CXTPMarkupBool>(GetValue(m_pIsMouseOverProperty));
    return value && static_cast<BOOL>(*value);
}

void CXTPMarkupInputElement::OnQueryCursor(CXTPMarkupQueryCursorEventArgs* args)
{
    const CXTPMarkupInt* cursor = MarkupDynamicCast<CXTPMarkupInt>(GetValue(m_pCursorProperty));
    if (!cursor || !args)
        return;
    args->SetHandled();
    args->m_hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(static_cast<int>(*cursor)));
}

void CXTPMarkupInputElement::CaptureMouse()
{
    // The context holds the capture on the element's behalf; without one there is no host window.
    if (m_pMarkupContext)
        m_pMarkupContext->CaptureMouse(this);
}

void CXTPMarkupInputElement::ReleaseMouseCapture()
{
    if (m_pMarkupContext)
        m_pMarkupContext->ReleaseMouseCapture();
}

void CXTPMarkupInputElement::Focus()
{
    // Keyboard focus is inert: the navigation object takes the element and does nothing.
    if (m_pMarkupContext && m_pMarkupContext->GetKeyboardNavigation())
        m_pMarkupContext->GetKeyboardNavigation()->Focus(this);
}

void CXTPMarkupInputElement::OnCursorChanged(CXTPMarkupObject* object, CXTPMarkupPropertyChangedEventArgs*)
{
    // The context re-runs its cursor query at once so the new cursor shows without a mouse move;
    // an element without a context has no cursor to refresh.
    CXTPMarkupInputElement* element = MarkupDynamicCast<CXTPMarkupInputElement>(object);
    if (element && element->m_pMarkupContext)
        element->m_pMarkupContext->UpdateCursor();
}

void CXTPMarkupInputElement::OnStyleChanged(CXTPMarkupObject* object, CXTPMarkupPropertyChangedEventArgs* e)
{
    if (CXTPMarkupInputElement* element = MarkupDynamicCast<CXTPMarkupInputElement>(object))
        element->SetStyleObject(e->m_pNewValue);
}

void CXTPMarkupInputElement::SetStyleObject(CXTPMarkupObject* style)
{
    CXTPMarkupStyle* sealed = MarkupDynamicCast<CXTPMarkupStyle>(style);
    if (sealed) {
        sealed->Seal();
        sealed->AddRef();
    }
    MarkupRelease(m_pStyle);
    m_pStyle = sealed;
}

CXTPMarkupObject* CXTPMarkupInputElement::GetStyleValue(CXTPMarkupDependencyProperty* property) const
{
    if (const CXTPMarkupStyle* style = static_cast<const CXTPMarkupStyle*>(m_pStyle)) {
        if (CXTPMarkupObject* value = style->FindValue(property))
            return value;
    }
    const CXTPMarkupStyle* defaultStyle = MarkupDynamicCast<CXTPMarkupStyle>(GetType()->GetDefaultStyle());
    return defaultStyle ? defaultStyle->FindValue(property) : nullptr;
}

void CXTPMarkupInputElement::OnApplyStyle()
{
    if (!m_pStyle) {
        CXTPMarkupStyle* implicit = MarkupDynamicCast<CXTPMarkupStyle>(MarkupFindResource(this, GetType()));
        if (implicit)
            SetStyleObject(implicit);
    }
    // The type's default style (the hyperlink's) has triggers too: they start out evaluated as well.
    if (m_pStyle || GetType()->GetDefaultStyle())
        UpdateTriggers(nullptr, nullptr);
}

namespace {

bool ValuesEqual(const CXTPMarkupObject* a, const CXTPMarkupObject* b)
{
    if (a == b)
        return true;
    return a && b && a->IsEqual(b);
}

} // namespace

bool CXTPMarkupInputElement::ApplyTriggers(CXTPMarkupObject* style, CXTPMarkupDependencyProperty* property,
                                           CXTPMarkupObject* value)
{
    return ApplyTriggers(style, property, value, 0);
}

bool CXTPMarkupInputElement::ApplyTriggers(CXTPMarkupObject* style, CXTPMarkupDependencyProperty* property,
                                           CXTPMarkupObject* value, int depth)
{
    CXTPMarkupStyle* current = MarkupDynamicCast<CXTPMarkupStyle>(style);
    // A BasedOn chain that comes back to itself is followed no further than any real one goes.
    if (!current || depth > 64)
        return false;
    bool activated = false;
    if (CXTPMarkupStyle* base = current->GetBasedOn())
        activated = ApplyTriggers(base, property, value, depth + 1);
    CXTPMarkupTriggerCollection* triggers = current->GetTriggers();
    if (!triggers)
        return activated;
    for (int i = triggers->GetCount() - 1; i >= 0; --i) {
        CXTPMarkupTrigger* trigger = triggers->GetTrigger(i);
        CXTPMarkupDependencyProperty* watched = trigger->GetTriggerProperty();
        if (!watched || (property && watched != property))
            continue;
        CXTPMarkupObject* compared = property ? value : GetValue(watched);
        CXTPMarkupObject* wanted = trigger->GetTriggerValue();
        if (!wanted || !compared || !wanted->IsEqual(compared))
            continue;
        auto* active = static_cast<CXTPMarkupActiveTriggerCollection*>(m_pActiveTriggers);
        // A trigger already active stays listed once, whatever sets its property again.
        if (active && active->IndexOf(trigger) >= 0)
            continue;
        if (!active) {
            active = new CXTPMarkupActiveTriggerCollection();
            m_pActiveTriggers = active;
        }
        trigger->AddRef();
        active->Add(trigger);
        activated = true;
    }
    return activated;
}

void CXTPMarkupInputElement::UpdateTriggers(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value)
{
    CXTPMarkupObject* style = m_pStyle ? m_pStyle : GetType()->GetDefaultStyle();
    if (!style && !m_pActiveTriggers)
        return;
    // Kept alive while the change is worked out: a handler may drop the last outside reference.
    AddRef();
    std::vector<std::pair<CXTPMarkupDependencyProperty*, CXTPMarkupObject*>> changed; // old value, one ref
    auto remember = [&](CXTPMarkupDependencyProperty* changedProperty) {
        for (const auto& entry : changed) {
            if (entry.first == changedProperty)
                return;
        }
        CXTPMarkupObject* old = m_pTriggerProperties ? m_pTriggerProperties->Get(changedProperty->GetIndex()) : nullptr;
        if (old)
            old->AddRef();
        changed.emplace_back(changedProperty, old);
    };

    bool anything = false;
    auto* active = static_cast<CXTPMarkupActiveTriggerCollection*>(m_pActiveTriggers);
    if (property && active) {
        for (int i = active->GetCount() - 1; i >= 0; --i) {
            CXTPMarkupTrigger* trigger = active->GetTrigger(i);
            if (trigger->GetTriggerProperty() != property || ValuesEqual(trigger->GetTriggerValue(), value))
                continue;
            if (CXTPMarkupSetterColection* setters = trigger->GetSetters()) {
                for (int j = 0; j < setters->GetCount(); ++j) {
                    CXTPMarkupDependencyProperty* target = setters->GetSetter(j)->GetSetterProperty();
                    if (!target)
                        continue;
                    remember(target);
                    if (m_pTriggerProperties)
                        m_pTriggerProperties->Set(target->GetIndex(), nullptr);
                }
            }
            active->Remove(i);
            anything = true;
        }
    }
    if (style && ApplyTriggers(style, property, value))
        anything = true;

    active = static_cast<CXTPMarkupActiveTriggerCollection*>(m_pActiveTriggers);
    if (anything && active) {
        if (!m_pTriggerProperties)
            m_pTriggerProperties = new CXTPMarkupProperties(nullptr);
        for (int i = 0; i < active->GetCount(); ++i) {
            CXTPMarkupSetterColection* setters = active->GetTrigger(i)->GetSetters();
            for (int j = 0; setters && j < setters->GetCount(); ++j) {
                CXTPMarkupSetter* setter = setters->GetSetter(j);
                CXTPMarkupDependencyProperty* target = setter->GetSetterProperty();
                CXTPMarkupObject* setValue = setter->GetSetterValue();
                if (!target || ValuesEqual(setValue, m_pTriggerProperties->Get(target->GetIndex())))
                    continue;
                remember(target);
                if (setValue)
                    setValue->AddRef();
                m_pTriggerProperties->Set(target->GetIndex(), setValue);
            }
        }
    }

    for (auto& entry : changed) {
        CXTPMarkupObject* now = m_pTriggerProperties ? m_pTriggerProperties->Get(entry.first->GetIndex()) : nullptr;
        if (entry.second || now) {
            CXTPMarkupObject* effective = GetValue(entry.first);
            OnPropertyChanged(entry.first, entry.second, effective);
            if (entry.first->GetFlags() & CXTPMarkupPropertyMetadata::flagInherited)
                NotifyInheritedChange(entry.first, entry.second, effective);
        }
        MarkupRelease(entry.second);
    }
    Release();
}
