#include "toolkit/markup/XTPMarkupWrapPanel.h"

#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>

IMPLEMENT_MARKUPCLASS(L"WrapPanel", CXTPMarkupWrapPanel, CXTPMarkupPanel, &CreateMarkupObject<CXTPMarkupWrapPanel>,
                      &CXTPMarkupWrapPanel::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupWrapPanel::m_pOrientationProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupWrapPanel::m_pItemHeightProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupWrapPanel::m_pItemWidthProperty = nullptr;

void CXTPMarkupWrapPanel::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    m_pOrientationProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Orientation", CXTPMarkupEnum::MarkupType(), MarkupType(),
        new Metadata(nullptr, &MarkupConvertOrientation, Metadata::flagAffectsMeasure));
    m_pItemHeightProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"ItemHeight", CXTPMarkupInt::MarkupType(), MarkupType(), new Metadata(nullptr, Metadata::flagAffectsMeasure));
    m_pItemWidthProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"ItemWidth", CXTPMarkupInt::MarkupType(), MarkupType(), new Metadata(nullptr, Metadata::flagAffectsMeasure));
}

XTPMarkupOrientation CXTPMarkupWrapPanel::GetOrientation() const
{
    const CXTPMarkupEnum* value = MarkupDynamicCast<CXTPMarkupEnum>(GetValue(m_pOrientationProperty));
    return value && static_cast<int>(*value) == xtpMarkupOrientationVertical ? xtpMarkupOrientationVertical
                                                                              : xtpMarkupOrientationHorizontal;
}

void CXTPMarkupWrapPanel::SetOrientation(XTPMarkupOrientation orientation)
{
    SetValue(m_pOrientationProperty, CreateMarkupEnum(orientation));
}

void CXTPMarkupWrapPanel::SetItemWidth(int width)
{
    SetValue(m_pItemWidthProperty, new CXTPMarkupInt(width));
}

void CXTPMarkupWrapPanel::SetItemHeight(int height)
{
    SetValue(m_pItemHeightProperty, new CXTPMarkupInt(height));
}

SIZE CXTPMarkupWrapPanel::GetItemSize(const CXTPMarkupUIElement* child) const
{
    const CXTPMarkupInt* itemWidth = MarkupDynamicCast<CXTPMarkupInt>(GetValue(m_pItemWidthProperty));
    const CXTPMarkupInt* itemHeight = MarkupDynamicCast<CXTPMarkupInt>(GetValue(m_pItemHeightProperty));
    const SIZE desired = child->GetDesiredSize();
    const int width = itemWidth ? static_cast<int>(*itemWidth) : desired.cx;
    const int height = itemHeight ? static_cast<int>(*itemHeight) : desired.cy;
    return GetOrientation() == xtpMarkupOrientationHorizontal ? SIZE{width, height} : SIZE{height, width};
}

std::vector<CXTPMarkupWrapPanel::Line> CXTPMarkupWrapPanel::BreakLines(int limit) const
{
    std::vector<Line> lines;
    Line line = {0, 0, 0, 0};
    for (int i = 0; i < m_pChildren->GetCount(); ++i) {
        const CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
        if (!child)
            continue;
        const SIZE item = GetItemSize(child);
        if (static_cast<long long>(line.length) + item.cx > limit) {
            // A child too long for even an empty line finishes that empty line (no thickness) and
            // stands alone on the next one.
            line.end = i;
            lines.push_back(line);
            line = {i, i + 1, static_cast<int>(item.cx), static_cast<int>(item.cy)};
        } else {
            line.length += item.cx;
            line.thickness = std::max(line.thickness, static_cast<int>(item.cy));
            line.end = i + 1;
        }
    }
    line.end = m_pChildren->GetCount();
    lines.push_back(line);
    return lines;
}

SIZE CXTPMarkupWrapPanel::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    const CXTPMarkupInt* itemWidth = MarkupDynamicCast<CXTPMarkupInt>(GetValue(m_pItemWidthProperty));
    const CXTPMarkupInt* itemHeight = MarkupDynamicCast<CXTPMarkupInt>(GetValue(m_pItemHeightProperty));
    const int childWidth = itemWidth ? static_cast<int>(*itemWidth) : availableWidth;
    const int childHeight = itemHeight ? static_cast<int>(*itemHeight) : availableHeight;
    for (int i = 0; i < m_pChildren->GetCount(); ++i) {
        if (CXTPMarkupUIElement* child = m_pChildren->GetElement(i))
            child->Measure(dc, childWidth, childHeight);
    }

    const bool horizontal = GetOrientation() == xtpMarkupOrientationHorizontal;
    // The longest of all lines, the last one included: a panel whose children fit on one line
    // asks for that line's length.
    int longest = 0;
    int thickness = 0;
    for (const Line& line : BreakLines(horizontal ? availableWidth : availableHeight)) {
        longest = std::max(longest, line.length);
        thickness += line.thickness;
    }
    return horizontal ? SIZE{longest, thickness} : SIZE{thickness, longest};
}

SIZE CXTPMarkupWrapPanel::ArrangeOverride(int finalWidth, int finalHeight)
{
    const bool horizontal = GetOrientation() == xtpMarkupOrientationHorizontal;
    int lineOffset = 0;
    for (const Line& line : BreakLines(horizontal ? finalWidth : finalHeight)) {
        int position = 0;
        for (int i = line.first; i < line.end; ++i) {
            CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
            if (!child)
                continue;
            const int length = GetItemSize(child).cx;
            if (horizontal)
                child->Arrange(RECT{position, lineOffset, position + length, lineOffset + line.thickness});
            else
                child->Arrange(RECT{lineOffset, position, lineOffset + line.thickness, position + length});
            position += length;
        }
        lineOffset += line.thickness;
    }
    return SIZE{finalWidth, finalHeight};
}
