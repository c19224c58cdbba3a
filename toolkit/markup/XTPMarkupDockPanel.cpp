#include "toolkit/markup/XTPMarkupDockPanel.h"

#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>

IMPLEMENT_MARKUPCLASS(L"DockPanel", CXTPMarkupDockPanel, CXTPMarkupPanel, &CreateMarkupObject<CXTPMarkupDockPanel>,
                      &CXTPMarkupDockPanel::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupDockPanel::m_pLastChildFillProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupDockPanel::m_pDockProperty = nullptr;

void CXTPMarkupDockPanel::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    m_pLastChildFillProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"LastChildFill", CXTPMarkupBool::MarkupType(), MarkupType(),
        new Metadata(MarkupTrue(), Metadata::flagAffectsArrange));
    m_pDockProperty = CXTPMarkupDependencyProperty::RegisterAttached(
        L"Dock", CXTPMarkupEnum::MarkupType(), MarkupType(),
        new Metadata(CreateMarkupEnum(xtpMarkupDockLeft), &MarkupConvertDock, &CXTPMarkupDockPanel::OnDockChanged, 0));
}

void CXTPMarkupDockPanel::OnDockChanged(CXTPMarkupObject* object, CXTPMarkupPropertyChangedEventArgs*)
{
    CXTPMarkupUIElement* element = MarkupDynamicCast<CXTPMarkupUIElement>(object);
    if (!element)
        return;
    if (CXTPMarkupDockPanel* panel = MarkupDynamicCast<CXTPMarkupDockPanel>(element->GetVisualParent()))
        panel->InvalidateMeasure();
}

int CXTPMarkupDockPanel::GetDock(const CXTPMarkupObject* element)
{
    const CXTPMarkupEnum* value = element ? MarkupDynamicCast<CXTPMarkupEnum>(element->GetValue(m_pDockProperty)) : nullptr;
    return value ? static_cast<int>(*value) : xtpMarkupDockLeft;
}

void CXTPMarkupDockPanel::SetDock(CXTPMarkupObject* element, int dock)
{
    if (element)
        element->SetValue(m_pDockProperty, CreateMarkupEnum(dock));
}

BOOL CXTPMarkupDockPanel::GetLastChildFill() const
{
    const CXTPMarkupBool* value = MarkupDynamicCast<CXTPMarkupBool>(GetValue(m_pLastChildFillProperty));
    return value ? static_cast<BOOL>(*value) : TRUE;
}

void CXTPMarkupDockPanel::SetLastChildFill(BOOL fill)
{
    SetValue(m_pLastChildFillProperty, CXTPMarkupBool::CreateValue(fill));
}

SIZE CXTPMarkupDockPanel::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    int usedWidth = 0;
    int usedHeight = 0;
    int largestWidth = 0;
    int largestHeight = 0;
    for (int i = 0; i < m_pChildren->GetCount(); ++i) {
        CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
        if (!child)
            continue;
        child->Measure(dc, std::max(0, availableWidth - usedWidth), std::max(0, availableHeight - usedHeight));
        const SIZE desired = child->GetDesiredSize();
        switch (GetDock(child)) {
        case xtpMarkupDockTop:
        case xtpMarkupDockBottom:
            largestWidth = std::max(largestWidth, usedWidth + static_cast<int>(desired.cx));
            usedHeight += desired.cy;
            break;
        case xtpMarkupDockLeft:
        case xtpMarkupDockRight:
            largestHeight = std::max(largestHeight, usedHeight + static_cast<int>(desired.cy));
            usedWidth += desired.cx;
            break;
        default:
            break; // not a side: measured, but it takes no room
        }
    }
    return SIZE{std::max(usedWidth, largestWidth), std::max(usedHeight, largestHeight)};
}

SIZE CXTPMarkupDockPanel::ArrangeOverride(int finalWidth, int finalHeight)
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    const int count = m_pChildren->GetCount();
    const BOOL fill = GetLastChildFill();
    for (int i = 0; i < count; ++i) {
        CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
        if (!child)
            continue;
        RECT remaining = {left, top, finalWidth - right, finalHeight - bottom};
        if (remaining.right < remaining.left)
            remaining.right = remaining.left;
        if (remaining.bottom < remaining.top)
            remaining.bottom = remaining.top;
        const SIZE desired = child->GetDesiredSize();
        if (fill && i == count - 1) {
            child->Arrange(remaining);
            continue;
        }
        switch (GetDock(child)) {
        case xtpMarkupDockLeft:
            child->Arrange(RECT{left, top, left + desired.cx, remaining.bottom});
            left += desired.cx;
            break;
        case xtpMarkupDockTop:
            child->Arrange(RECT{left, top, remaining.right, top + desired.cy});
            top += desired.cy;
            break;
        case xtpMarkupDockRight: {
            right += desired.cx;
            const int childLeft = std::max(0, finalWidth - right);
            child->Arrange(RECT{childLeft, top, childLeft + desired.cx, remaining.bottom});
            break;
        }
        case xtpMarkupDockBottom: {
            bottom += desired.cy;
            const int childTop = std::max(0, finalHeight - bottom);
            child->Arrange(RECT{left, childTop, remaining.right, childTop + desired.cy});
            break;
        }
        default:
            child->Arrange(remaining);
            break;
        }
    }
    return SIZE{finalWidth, finalHeight};
}
