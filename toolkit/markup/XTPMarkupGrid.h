#pragma once
// The grid: a panel that lays its children out in rows and columns of fixed, automatic (as large
// as their content) or proportional ("star") size, with minimum and maximum sizes per definition
// and children that span several cells.
//
// Measuring sorts the cells into four groups by the kinds of rows and columns they touch, so that
// automatic sizes are known before stars share out what is left; spanning cells spread their size
// over their definitions afterwards. Every size ends up a whole number of pixels; star shares are
// computed in double precision and truncated where they are stored.

#include "toolkit/markup/XTPMarkupCollection.h"
#include "toolkit/markup/XTPMarkupPanel.h"

#include <vector>

// A row height or column width: a number of pixels, "Auto" or a share of the rest ("*", "2*").
class CXTPMarkupGridLength : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupGridLength)
public:
    enum Unit { unitAuto = 0, unitPixel = 1, unitStar = 2 };

    explicit CXTPMarkupGridLength(double value = 0, int unit = unitPixel) : m_dValue(value), m_nUnit(unit) {}

    double GetValue() const { return m_dValue; }
    int GetUnit() const { return m_nUnit; }
    BOOL IsAuto() const { return m_nUnit == unitAuto; }
    BOOL IsStar() const { return m_nUnit == unitStar; }

    BOOL IsEqual(const CXTPMarkupObject* other) const override;
    // "Auto" in any letter case, "*", "<number>*" or "<number>"; anything else gives null.
    CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const override;

protected:
    double m_dValue;
    int m_nUnit;
};

// What rows and columns share: the user's length and limits, and the scratch state of one layout
// pass (kept until the next measure so that arrange can use it).
class CXTPMarkupDefinitionBase : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupDefinitionBase)
public:
    enum LayoutType { layoutPixel = 1, layoutAuto = 2, layoutStar = 4 };

    CXTPMarkupDefinitionBase() = default;

    BOOL IsColumn() const { return m_bIsColumn; }
    // The "Width" or "Height" value (one star when unset), lent.
    const CXTPMarkupGridLength* GetUserLength() const;
    // "MinWidth" / "MinHeight" (0 when unset) and "MaxWidth" / "MaxHeight" (unbounded when unset).
    int GetUserMinValue() const;
    int GetUserMaxValue() const;

    // Layout results of the last pass.
    int GetMinSize() const { return m_nMinSize; }
    double GetWorkSize() const { return m_dWorkSize; }
    int GetFinalOffset() const { return m_nFinalOffset; }
    int GetLayoutType() const { return m_nLayoutType; }

protected:
    friend class CXTPMarkupGrid;

    CXTPMarkupDependencyProperty* LengthProperty() const;
    CXTPMarkupDependencyProperty* MinProperty() const;
    CXTPMarkupDependencyProperty* MaxProperty() const;
    // The star count of a star length; a negative one counts as none.
    double GetStarValue() const;
    void UpdateMinSize(double size);

    BOOL m_bIsColumn = FALSE;
    int m_nMinSize = 0;
    int m_nLayoutType = 0;
    double m_dMeasureSize = 0;
    double m_dWorkSize = 0;
    int m_nFinalOffset = 0;
    // Read from the properties by every measure pass.
    int m_nUserMin = 0;
    int m_nUserMax = 0x7FFFFFFF;
    int m_nUserSize = 0x7FFFFFFF;
};

class CXTPMarkupColumnDefinition : public CXTPMarkupDefinitionBase {
    DECLARE_MARKUPCLASS(CXTPMarkupColumnDefinition)
public:
    CXTPMarkupColumnDefinition() { m_bIsColumn = TRUE; }

    // Each takes over the reference it is given; limits in pixels.
    void SetWidth(CXTPMarkupGridLength* width);
    void SetMinWidth(int width);
    void SetMaxWidth(int width);

    static CXTPMarkupDependencyProperty* m_pWidthProperty;
    static CXTPMarkupDependencyProperty* m_pMinWidthProperty;
    static CXTPMarkupDependencyProperty* m_pMaxWidthProperty;
    static void RegisterMarkupClass();
};

class CXTPMarkupRowDefinition : public CXTPMarkupDefinitionBase {
    DECLARE_MARKUPCLASS(CXTPMarkupRowDefinition)
public:
    CXTPMarkupRowDefinition() = default;

    void SetHeight(CXTPMarkupGridLength* height);
    void SetMinHeight(int height);
    void SetMaxHeight(int height);

    static CXTPMarkupDependencyProperty* m_pHeightProperty;
    static CXTPMarkupDependencyProperty* m_pMinHeightProperty;
    static CXTPMarkupDependencyProperty* m_pMaxHeightProperty;
    static void RegisterMarkupClass();
};

// A list of definitions; a change asks the grid that owns it to measure again.
class CXTPMarkupDefinitionCollection : public CXTPMarkupCollection {
    DECLARE_MARKUPCLASS(CXTPMarkupDefinitionCollection)
public:
    explicit CXTPMarkupDefinitionCollection(CXTPMarkupType* elementType = nullptr);

    CXTPMarkupDefinitionBase* GetDefinition(int index) const
    {
        return static_cast<CXTPMarkupDefinitionBase*>(GetItem(index));
    }

protected:
    void OnChanged() override;
};

class CXTPMarkupColumnDefinitionCollection : public CXTPMarkupDefinitionCollection {
    DECLARE_MARKUPCLASS(CXTPMarkupColumnDefinitionCollection)
public:
    CXTPMarkupColumnDefinitionCollection();
};

class CXTPMarkupRowDefinitionCollection : public CXTPMarkupDefinitionCollection {
    DECLARE_MARKUPCLASS(CXTPMarkupRowDefinitionCollection)
public:
    CXTPMarkupRowDefinitionCollection();
};

class CXTPMarkupGrid : public CXTPMarkupPanel {
    DECLARE_MARKUPCLASS(CXTPMarkupGrid)
public:
    CXTPMarkupGrid();

    CXTPMarkupColumnDefinitionCollection* GetColumnDefinitions() const { return m_pColumnDefinitions; }
    CXTPMarkupRowDefinitionCollection* GetRowDefinitions() const { return m_pRowDefinitions; }

    // The cell of a child (attached values; unset: column and row 0, spans 1, spans below 1 read
    // as 1).
    static void SetColumn(CXTPMarkupObject* element, int column);
    static void SetRow(CXTPMarkupObject* element, int row);
    static void SetColumnSpan(CXTPMarkupObject* element, int span);
    static void SetRowSpan(CXTPMarkupObject* element, int span);
    static int GetColumn(const CXTPMarkupObject* element);
    static int GetRow(const CXTPMarkupObject* element);
    static int GetColumnSpan(const CXTPMarkupObject* element);
    static int GetRowSpan(const CXTPMarkupObject* element);

    void SetPropertyObject(CXTPMarkupBuilder* builder, CXTPMarkupDependencyProperty* property,
                           CXTPMarkupObject* value) override;
    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;

    static CXTPMarkupDependencyProperty* m_pColumnDefinitionsProperty;
    static CXTPMarkupDependencyProperty* m_pRowDefinitionsProperty;
    static CXTPMarkupDependencyProperty* m_pColumnProperty;
    static CXTPMarkupDependencyProperty* m_pRowProperty;
    static CXTPMarkupDependencyProperty* m_pColumnSpanProperty;
    static CXTPMarkupDependencyProperty* m_pRowSpanProperty;
    static void RegisterMarkupClass();

    struct CELLCACHE {
        int nColumnIndex;
        int nRowIndex;
        int nColumnSpan;
        int nRowSpan;
        int nColumnSizeTypes;
        int nRowSizeTypes;
        int nNext;
    };
    struct SPANKEY {
        int nCount;
        int nStart;
        BOOL bColumn;
        int nValue;
    };

protected:
    ~CXTPMarkupGrid() override;

    using Definitions = std::vector<CXTPMarkupDefinitionBase*>;

    // Takes over the collection's reference and becomes its logical parent.
    template <class T>
    void SetDefinitions(T*& slot, T* collection);
    void ValidateDefinitions(CXTPMarkupDefinitionCollection*& effective, CXTPMarkupDefinitionCollection* user,
                             BOOL column, Definitions& list);
    void ResetDefinitions(Definitions& definitions, BOOL treatStarAsAuto);
    void ValidateCells();
    void MeasureCellsGroup(CXTPMarkupDrawingContext* dc, int head, BOOL ignoreDesiredWidth, BOOL forceRowsUnbounded);
    void ResolveStar(Definitions& definitions, double available);
    void SetFinalSize(Definitions& definitions, int finalSize);
    static void EnsureMinSizeInDefinitionRange(Definitions& definitions, int start, int count, int requested);
    static int SumMeasureSizes(const Definitions& definitions, int start, int count);
    void ReleaseCellCache();

    CXTPMarkupRowDefinitionCollection* m_pRowDefinitions;       // one reference
    CXTPMarkupColumnDefinitionCollection* m_pColumnDefinitions; // one reference
    CELLCACHE* m_pCellCache = nullptr;                          // one record per child
    int m_nCellCacheCount = 0;
    int m_nCellGroup1 = 0x7FFFFFFF;
    int m_nCellGroup2 = 0x7FFFFFFF;
    int m_nCellGroup3 = 0x7FFFFFFF;
    int m_nCellGroup4 = 0x7FFFFFFF;
    BOOL m_bHasStarCellsU = FALSE;
    BOOL m_bHasStarCellsV = FALSE;
    BOOL m_bHasGroup3CellsInAutoRows = FALSE;
    CXTPMarkupDefinitionCollection* m_pDefinitionsU = nullptr; // effective columns, one reference
    CXTPMarkupDefinitionCollection* m_pDefinitionsV = nullptr; // effective rows, one reference
    // The effective definitions as plain lists for the passes.
    Definitions m_arrColumns;
    Definitions m_arrRows;
};
