#include "toolkit/markup/XTPMarkupPanel.h"

#include "toolkit/markup/XTPMarkupBrush.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupUIElementCollection, CXTPMarkupCollection,
                      &CreateMarkupObject<CXTPMarkupUIElementCollection>, nullptr)
IMPLEMENT_MARKUPCLASS(L"Panel", CXTPMarkupPanel, CXTPMarkupFrameworkElement, &CreateMarkupObject<CXTPMarkupPanel>,
                      &CXTPMarkupPanel::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupPanel::m_pBackgroundProperty = nullptr;

// ---- Children

CXTPMarkupUIElementCollection::CXTPMarkupUIElementCollection()
    : CXTPMarkupCollection(CXTPMarkupUIElement::MarkupType())
{
}

void CXTPMarkupUIElementCollection::OnChanged()
{
    if (CXTPMarkupUIElement* panel = MarkupDynamicCast<CXTPMarkupUIElement>(GetLogicalParent()))
        panel->InvalidateMeasure();
}

// ---- Panel

void CXTPMarkupPanel::RegisterMarkupClass()
{
    m_pBackgroundProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Background", CXTPMarkupBrush::MarkupType(), MarkupType(),
        new CXTPMarkupPropertyMetadata(nullptr, CXTPMarkupPropertyMetadata::flagAffectsRender));
}

CXTPMarkupPanel::CXTPMarkupPanel() : m_pChildren(new CXTPMarkupUIElementCollection())
{
    m_pChildren->SetLogicalParent(this);
}

CXTPMarkupPanel::~CXTPMarkupPanel()
{
    m_pChildren->SetLogicalParent(nullptr);
    m_pChildren->Release();
}

CXTPMarkupBrush* CXTPMarkupPanel::GetBackground() const
{
    return MarkupDynamicCast<CXTPMarkupBrush>(GetValue(m_pBackgroundProperty));
}

void CXTPMarkupPanel::SetBackground(CXTPMarkupBrush* brush)
{
    SetValue(m_pBackgroundProperty, brush);
}

void CXTPMarkupPanel::SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content)
{
    m_pChildren->SetContentObject(builder, content);
}

BOOL CXTPMarkupPanel::HasContentObject() const
{
    return m_pChildren->HasContentObject();
}

int CXTPMarkupPanel::GetVisualChildrenCount() const
{
    return m_pChildren->GetCount();
}

CXTPMarkupVisual* CXTPMarkupPanel::GetVisualChild(int index) const
{
    return m_pChildren->GetElement(index);
}

void CXTPMarkupPanel::OnRender(CXTPMarkupDrawingContext* dc)
{
    CXTPMarkupBrush* background = GetBackground();
    if (background && m_szRenderSize.cx > 0 && m_szRenderSize.cy > 0)
        dc->FillRectangle(0, 0, m_szRenderSize.cx, m_szRenderSize.cy, background);
}

CXTPMarkupInputElement* CXTPMarkupPanel::InputHitTestOverride(int, int) const
{
    // Without a background the space between children lets the mouse through to what lies below.
    return GetBackground() ? const_cast<CXTPMarkupPanel*>(this) : nullptr;
}
