#include "toolkit/markup/XTPMarkupUniformGrid.h"

#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>

IMPLEMENT_MARKUPCLASS(L"UniformGrid", CXTPMarkupUniformGrid, CXTPMarkupPanel,
                      &CreateMarkupObject<CXTPMarkupUniformGrid>, &CXTPMarkupUniformGrid::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupUniformGrid::m_pFirstColumnProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupUniformGrid::m_pColumnsProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupUniformGrid::m_pRowsProperty = nullptr;

void CXTPMarkupUniformGrid::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    auto count = [](const wchar_t* name) {
        return CXTPMarkupDependencyProperty::RegisterProperty(name, CXTPMarkupInt::MarkupType(), MarkupType(),
                                                              new Metadata(nullptr, Metadata::flagAffectsMeasure));
    };
    m_pFirstColumnProperty = count(L"FirstColumn");
    m_pColumnsProperty = count(L"Columns");
    m_pRowsProperty = count(L"Rows");
}

void CXTPMarkupUniformGrid::SetColumns(int columns)
{
    SetValue(m_pColumnsProperty, new CXTPMarkupInt(columns));
}

void CXTPMarkupUniformGrid::SetRows(int rows)
{
    SetValue(m_pRowsProperty, new CXTPMarkupInt(rows));
}

void CXTPMarkupUniformGrid::SetFirstColumn(int firstColumn)
{
    SetValue(m_pFirstColumnProperty, new CXTPMarkupInt(firstColumn));
}

void CXTPMarkupUniformGrid::UpdateComputedValues()
{
    auto read = [this](CXTPMarkupDependencyProperty* property) {
        const CXTPMarkupInt* value = MarkupDynamicCast<CXTPMarkupInt>(GetValue(property));
        return value ? static_cast<int>(*value) : 0;
    };
    // Counts of 0 or less mean "compute it", and a negative first column means none: the measure
    // and arrange passes divide by both counts.
    int columns = std::max(0, read(m_pColumnsProperty));
    int rows = std::max(0, read(m_pRowsProperty));
    int firstColumn = std::max(0, read(m_pFirstColumnProperty));
    if (firstColumn >= columns)
        firstColumn = 0;

    if (rows == 0 || columns == 0) {
        int visible = 0;
        for (int i = 0; i < m_pChildren->GetCount(); ++i) {
            const CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
            if (child && child->GetVisibility() != visibilityCollapsed)
                ++visible;
        }
        visible = std::max(1, visible);
        if (rows > 0) {
            columns = (rows + visible - 1) / rows;
        } else if (columns > 0) {
            rows = (visible + columns + firstColumn - 1) / columns;
        } else {
            int side = 0;
            while ((side + 1) * (side + 1) <= visible)
                ++side;
            if (side * side < visible)
                ++side;
            rows = columns = side;
        }
    }
    m_nColumns = columns;
    m_nRows = rows;
    m_nFirstColumn = firstColumn;
}

SIZE CXTPMarkupUniformGrid::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    UpdateComputedValues();
    const int cellWidth = availableWidth / m_nColumns;
    const int cellHeight = availableHeight / m_nRows;
    int largestWidth = 0;
    int largestHeight = 0;
    for (int i = 0; i < m_pChildren->GetCount(); ++i) {
        CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
        if (!child)
            continue;
        child->Measure(dc, cellWidth, cellHeight);
        largestWidth = std::max(largestWidth, static_cast<int>(child->GetDesiredSize().cx));
        largestHeight = std::max(largestHeight, static_cast<int>(child->GetDesiredSize().cy));
    }
    return SIZE{largestWidth * m_nColumns, largestHeight * m_nRows};
}

SIZE CXTPMarkupUniformGrid::ArrangeOverride(int finalWidth, int finalHeight)
{
    const int cellWidth = finalWidth / m_nColumns;
    RECT cell = {0, 0, cellWidth, finalHeight / m_nRows};
    OffsetRect(&cell, cellWidth * m_nFirstColumn, 0);
    for (int i = 0; i < m_pChildren->GetCount(); ++i) {
        CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
        if (!child)
            continue;
        child->Arrange(cell);
        if (child->GetVisibility() == visibilityCollapsed)
            continue;
        OffsetRect(&cell, cellWidth, 0);
        if (cell.right > finalWidth) {
            const LONG oldTop = cell.top;
            const LONG oldBottom = cell.bottom;
            cell = {0, oldBottom, cellWidth, 2 * oldBottom - oldTop};
        }
    }
    return SIZE{finalWidth, finalHeight};
}
