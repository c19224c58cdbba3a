#include "toolkit/markup/XTPMarkupStackPanel.h"

#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>

IMPLEMENT_MARKUPCLASS(L"StackPanel", CXTPMarkupStackPanel, CXTPMarkupPanel, &CreateMarkupObject<CXTPMarkupStackPanel>,
                      &CXTPMarkupStackPanel::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupStackPanel::m_pOrientationProperty = nullptr;

void CXTPMarkupStackPanel::RegisterMarkupClass()
{
    m_pOrientationProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Orientation", CXTPMarkupEnum::MarkupType(), MarkupType(),
        new CXTPMarkupPropertyMetadata(nullptr, &MarkupConvertOrientation,
                                       CXTPMarkupPropertyMetadata::flagAffectsMeasure));
}

XTPMarkupOrientation CXTPMarkupStackPanel::GetOrientation() const
{
    const CXTPMarkupEnum* value = MarkupDynamicCast<CXTPMarkupEnum>(GetValue(m_pOrientationProperty));
    return value && static_cast<int>(*value) == xtpMarkupOrientationHorizontal ? xtpMarkupOrientationHorizontal
                                                                                : xtpMarkupOrientationVertical;
}

void CXTPMarkupStackPanel::SetOrientation(XTPMarkupOrientation orientation)
{
    SetValue(m_pOrientationProperty, CreateMarkupEnum(orientation));
}

SIZE CXTPMarkupStackPanel::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    const bool horizontal = GetOrientation() == xtpMarkupOrientationHorizontal;
    SIZE size = {0, 0};
    for (int i = 0; i < m_pChildren->GetCount(); ++i) {
        CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
        if (!child)
            continue;
        if (horizontal) {
            child->Measure(dc, XTP_MARKUP_UNBOUNDED, availableHeight);
            size.cx += child->GetDesiredSize().cx;
            size.cy = std::max(size.cy, child->GetDesiredSize().cy);
        } else {
            child->Measure(dc, availableWidth, XTP_MARKUP_UNBOUNDED);
            size.cx = std::max(size.cx, child->GetDesiredSize().cx);
            size.cy += child->GetDesiredSize().cy;
        }
    }
    return size;
}

SIZE CXTPMarkupStackPanel::ArrangeOverride(int finalWidth, int finalHeight)
{
    const bool horizontal = GetOrientation() == xtpMarkupOrientationHorizontal;
    int position = 0;
    for (int i = 0; i < m_pChildren->GetCount(); ++i) {
        CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
        if (!child)
            continue;
        const SIZE desired = child->GetDesiredSize();
        if (horizontal) {
            child->Arrange(RECT{position, 0, position + desired.cx, std::max(static_cast<LONG>(finalHeight), desired.cy)});
            position += desired.cx;
        } else {
            child->Arrange(RECT{0, position, std::max(static_cast<LONG>(finalWidth), desired.cx), position + desired.cy});
            position += desired.cy;
        }
    }
    return SIZE{finalWidth, finalHeight};
}
