#include "toolkit/markup/XTPMarkupInputElement.h"

#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupConverters.h"
#include "toolkit/markup/XTPMarkupDelegate.h"
#include "toolkit/markup/XTPMarkupKeyboardNavigation.h"
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
    // Styles are markup objects of their own class; until it exists any object is accepted.
    m_pStyleProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Style", CXTPMarkupObject::MarkupType(), owner,
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
        element->m_pStyle = e->m_pNewValue;
}
