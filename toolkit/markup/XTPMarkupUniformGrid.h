#pragma once
// A panel of equal cells filled row by row. "Columns" and "Rows" fix the grid; what is not fixed
// is computed from the number of children that are not Collapsed. "FirstColumn" leaves cells free
// at the start of the first row and counts only together with "Columns".

#include "toolkit/markup/XTPMarkupPanel.h"

class CXTPMarkupUniformGrid : public CXTPMarkupPanel {
    DECLARE_MARKUPCLASS(CXTPMarkupUniformGrid)
public:
    CXTPMarkupUniformGrid() = default;

    void SetColumns(int columns);
    void SetRows(int rows);
    void SetFirstColumn(int firstColumn);

    // The layout of the last measure.
    int GetComputedColumns() const { return m_nColumns; }
    int GetComputedRows() const { return m_nRows; }
    int GetComputedFirstColumn() const { return m_nFirstColumn; }

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;

    static CXTPMarkupDependencyProperty* m_pFirstColumnProperty;
    static CXTPMarkupDependencyProperty* m_pColumnsProperty;
    static CXTPMarkupDependencyProperty* m_pRowsProperty;
    static void RegisterMarkupClass();

protected:
    void UpdateComputedValues();

    int m_nColumns = 1;
    int m_nRows = 1;
    int m_nFirstColumn = 0;
};
