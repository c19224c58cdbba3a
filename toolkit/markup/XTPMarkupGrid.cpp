#include "toolkit/markup/XTPMarkupGrid.h"

#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupConverters.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>
#include <cwctype>

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupGridLength, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupGridLength>,
                      nullptr)
IMPLEMENT_MARKUPCLASS(L"DefinitionBase", CXTPMarkupDefinitionBase, CXTPMarkupObject,
                      &CreateMarkupObject<CXTPMarkupDefinitionBase>, nullptr)
IMPLEMENT_MARKUPCLASS(L"ColumnDefinition", CXTPMarkupColumnDefinition, CXTPMarkupDefinitionBase,
                      &CreateMarkupObject<CXTPMarkupColumnDefinition>, &CXTPMarkupColumnDefinition::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"RowDefinition", CXTPMarkupRowDefinition, CXTPMarkupDefinitionBase,
                      &CreateMarkupObject<CXTPMarkupRowDefinition>, &CXTPMarkupRowDefinition::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupDefinitionCollection, CXTPMarkupCollection,
                      &CreateMarkupObject<CXTPMarkupDefinitionCollection>, nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupColumnDefinitionCollection, CXTPMarkupDefinitionCollection,
                      &CreateMarkupObject<CXTPMarkupColumnDefinitionCollection>, nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupRowDefinitionCollection, CXTPMarkupDefinitionCollection,
                      &CreateMarkupObject<CXTPMarkupRowDefinitionCollection>, nullptr)
IMPLEMENT_MARKUPCLASS(L"Grid", CXTPMarkupGrid, CXTPMarkupPanel, &CreateMarkupObject<CXTPMarkupGrid>,
                      &CXTPMarkupGrid::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupColumnDefinition::m_pWidthProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupColumnDefinition::m_pMinWidthProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupColumnDefinition::m_pMaxWidthProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupRowDefinition::m_pHeightProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupRowDefinition::m_pMinHeightProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupRowDefinition::m_pMaxHeightProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupGrid::m_pColumnDefinitionsProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupGrid::m_pRowDefinitionsProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupGrid::m_pColumnProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupGrid::m_pRowProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupGrid::m_pColumnSpanProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupGrid::m_pRowSpanProperty = nullptr;

namespace {

constexpr int kUnbounded = 0x7FFFFFFF;
constexpr int kEndOfGroup = 0x7FFFFFFF;
// Above this available length stars cannot share anything sensible and size as Auto.
constexpr int kStarAsAutoLimit = 32000;

int ReadInt(const CXTPMarkupObject* object, CXTPMarkupDependencyProperty* property, int fallback)
{
    const CXTPMarkupInt* value = MarkupDynamicCast<CXTPMarkupInt>(object->GetValue(property));
    return value ? static_cast<int>(*value) : fallback;
}

bool IsAutoWithoutStar(int types)
{
    return (types & CXTPMarkupDefinitionBase::layoutAuto) && !(types & CXTPMarkupDefinitionBase::layoutStar);
}

int Truncate(double value)
{
    if (value >= kUnbounded)
        return kUnbounded;
    return static_cast<int>(value);
}

} // namespace

// ---- Length

BOOL CXTPMarkupGridLength::IsEqual(const CXTPMarkupObject* other) const
{
    const CXTPMarkupGridLength* length = MarkupDynamicCast<CXTPMarkupGridLength>(const_cast<CXTPMarkupObject*>(other));
    return length && length->m_dValue == m_dValue && length->m_nUnit == m_nUnit;
}

CXTPMarkupObject* CXTPMarkupGridLength::ConvertFrom(CXTPMarkupBuilder*, CXTPMarkupObject* object) const
{
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(object);
    if (!text || text->GetLength() == 0)
        return nullptr;
    const wchar_t* buffer = text->GetBuffer();
    const int length = text->GetLength();
    if (length == 4 && _wcsicmp(buffer, L"Auto") == 0)
        return new CXTPMarkupGridLength(1, unitAuto);
    if (buffer[length - 1] == L'*') {
        if (length == 1)
            return new CXTPMarkupGridLength(1, unitStar);
        const wchar_t* cursor = buffer;
        double value = 0;
        if (!ParseMarkupNumber(cursor, value, L'*', TRUE))
            return nullptr;
        return new CXTPMarkupGridLength(value, unitStar);
    }
    const wchar_t* cursor = buffer;
    double value = 0;
    if (!ParseMarkupNumber(cursor, value, 0, TRUE))
        return nullptr;
    return new CXTPMarkupGridLength(value, unitPixel);
}

// ---- Definitions

namespace {

// A change of a definition's length or limits: the grid that owns its collection measures again.
void OnDefinitionPropertyChanged(CXTPMarkupObject* object, CXTPMarkupPropertyChangedEventArgs*)
{
    CXTPMarkupObject* collection = object->GetLogicalParent();
    CXTPMarkupObject* owner = collection ? collection->GetLogicalParent() : nullptr;
    if (CXTPMarkupGrid* grid = MarkupDynamicCast<CXTPMarkupGrid>(owner))
        grid->InvalidateMeasure();
}

void RegisterDefinitionProperties(CXTPMarkupType* owner, const wchar_t* length, const wchar_t* minimum,
                                  const wchar_t* maximum, CXTPMarkupDependencyProperty** properties)
{
    using Metadata = CXTPMarkupPropertyMetadata;
    properties[0] = CXTPMarkupDependencyProperty::RegisterProperty(
        length, CXTPMarkupGridLength::MarkupType(), owner,
        new Metadata(new CXTPMarkupGridLength(1, CXTPMarkupGridLength::unitStar), &OnDefinitionPropertyChanged));
    properties[1] = CXTPMarkupDependencyProperty::RegisterProperty(
        minimum, CXTPMarkupInt::MarkupType(), owner, new Metadata(nullptr, &OnDefinitionPropertyChanged));
    properties[2] = CXTPMarkupDependencyProperty::RegisterProperty(
        maximum, CXTPMarkupInt::MarkupType(), owner, new Metadata(nullptr, &OnDefinitionPropertyChanged));
}

} // namespace

void CXTPMarkupColumnDefinition::RegisterMarkupClass()
{
    CXTPMarkupDependencyProperty* properties[3];
    RegisterDefinitionProperties(MarkupType(), L"Width", L"MinWidth", L"MaxWidth", properties);
    m_pWidthProperty = properties[0];
    m_pMinWidthProperty = properties[1];
    m_pMaxWidthProperty = properties[2];
}

void CXTPMarkupRowDefinition::RegisterMarkupClass()
{
    CXTPMarkupDependencyProperty* properties[3];
    RegisterDefinitionProperties(MarkupType(), L"Height", L"MinHeight", L"MaxHeight", properties);
    m_pHeightProperty = properties[0];
    m_pMinHeightProperty = properties[1];
    m_pMaxHeightProperty = properties[2];
}

void CXTPMarkupColumnDefinition::SetWidth(CXTPMarkupGridLength* width)
{
    SetValue(m_pWidthProperty, width);
}

void CXTPMarkupColumnDefinition::SetMinWidth(int width)
{
    SetValue(m_pMinWidthProperty, new CXTPMarkupInt(width));
}

void CXTPMarkupColumnDefinition::SetMaxWidth(int width)
{
    SetValue(m_pMaxWidthProperty, new CXTPMarkupInt(width));
}

void CXTPMarkupRowDefinition::SetHeight(CXTPMarkupGridLength* height)
{
    SetValue(m_pHeightProperty, height);
}

void CXTPMarkupRowDefinition::SetMinHeight(int height)
{
    SetValue(m_pMinHeightProperty, new CXTPMarkupInt(height));
}

void CXTPMarkupRowDefinition::SetMaxHeight(int height)
{
    SetValue(m_pMaxHeightProperty, new CXTPMarkupInt(height));
}

CXTPMarkupDependencyProperty* CXTPMarkupDefinitionBase::LengthProperty() const
{
    return m_bIsColumn ? CXTPMarkupColumnDefinition::m_pWidthProperty : CXTPMarkupRowDefinition::m_pHeightProperty;
}

CXTPMarkupDependencyProperty* CXTPMarkupDefinitionBase::MinProperty() const
{
    return m_bIsColumn ? CXTPMarkupColumnDefinition::m_pMinWidthProperty
                       : CXTPMarkupRowDefinition::m_pMinHeightProperty;
}

CXTPMarkupDependencyProperty* CXTPMarkupDefinitionBase::MaxProperty() const
{
    return m_bIsColumn ? CXTPMarkupColumnDefinition::m_pMaxWidthProperty
                       : CXTPMarkupRowDefinition::m_pMaxHeightProperty;
}

const CXTPMarkupGridLength* CXTPMarkupDefinitionBase::GetUserLength() const
{
    if (const CXTPMarkupGridLength* length = MarkupDynamicCast<CXTPMarkupGridLength>(GetValue(LengthProperty())))
        return length;
    const CXTPMarkupDependencyProperty* property = LengthProperty();
    if (property && property->GetMetadata())
        return MarkupDynamicCast<CXTPMarkupGridLength>(property->GetMetadata()->m_pDefaultValue);
    return nullptr;
}

int CXTPMarkupDefinitionBase::GetUserMinValue() const
{
    return ReadInt(this, MinProperty(), 0);
}

int CXTPMarkupDefinitionBase::GetUserMaxValue() const
{
    return ReadInt(this, MaxProperty(), kUnbounded);
}

double CXTPMarkupDefinitionBase::GetStarValue() const
{
    // A negative star count counts as none: star totals then never cancel to 0 and divide by it.
    const CXTPMarkupGridLength* length = GetUserLength();
    return length ? std::max(0.0, length->GetValue()) : 1.0;
}

void CXTPMarkupDefinitionBase::UpdateMinSize(double size)
{
    m_nMinSize = std::max(m_nMinSize, Truncate(size));
}

CXTPMarkupDefinitionCollection::CXTPMarkupDefinitionCollection(CXTPMarkupType* elementType)
    : CXTPMarkupCollection(elementType ? elementType : CXTPMarkupDefinitionBase::MarkupType())
{
}

void CXTPMarkupDefinitionCollection::OnChanged()
{
    if (CXTPMarkupGrid* grid = MarkupDynamicCast<CXTPMarkupGrid>(GetLogicalParent()))
        grid->InvalidateMeasure();
}

CXTPMarkupColumnDefinitionCollection::CXTPMarkupColumnDefinitionCollection()
    : CXTPMarkupDefinitionCollection(CXTPMarkupColumnDefinition::MarkupType())
{
}

CXTPMarkupRowDefinitionCollection::CXTPMarkupRowDefinitionCollection()
    : CXTPMarkupDefinitionCollection(CXTPMarkupRowDefinition::MarkupType())
{
}

// ---- Grid: properties

namespace {

// A change of a child's cell: the grid it sits in measures again.
void OnCellPropertyChanged(CXTPMarkupObject* object, CXTPMarkupPropertyChangedEventArgs*)
{
    CXTPMarkupVisual* visual = MarkupDynamicCast<CXTPMarkupVisual>(object);
    if (CXTPMarkupGrid* grid = MarkupDynamicCast<CXTPMarkupGrid>(visual ? visual->GetVisualParent() : nullptr))
        grid->InvalidateMeasure();
}

} // namespace

void CXTPMarkupGrid::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    CXTPMarkupType* owner = MarkupType();
    m_pColumnDefinitionsProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"ColumnDefinitions", CXTPMarkupColumnDefinitionCollection::MarkupType(), owner);
    m_pRowDefinitionsProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"RowDefinitions", CXTPMarkupRowDefinitionCollection::MarkupType(), owner);
    auto cell = [owner](const wchar_t* name) {
        return CXTPMarkupDependencyProperty::RegisterAttached(name, CXTPMarkupInt::MarkupType(), owner,
                                                              new Metadata(nullptr, &OnCellPropertyChanged));
    };
    m_pColumnProperty = cell(L"Column");
    m_pRowProperty = cell(L"Row");
    m_pColumnSpanProperty = cell(L"ColumnSpan");
    m_pRowSpanProperty = cell(L"RowSpan");
}

CXTPMarkupGrid::CXTPMarkupGrid()
    : m_pRowDefinitions(new CXTPMarkupRowDefinitionCollection()),
      m_pColumnDefinitions(new CXTPMarkupColumnDefinitionCollection())
{
    m_pRowDefinitions->SetLogicalParent(this);
    m_pColumnDefinitions->SetLogicalParent(this);
}

CXTPMarkupGrid::~CXTPMarkupGrid()
{
    m_pRowDefinitions->SetLogicalParent(nullptr);
    m_pColumnDefinitions->SetLogicalParent(nullptr);
    m_pRowDefinitions->Release();
    m_pColumnDefinitions->Release();
    ReleaseCellCache();
    MarkupRelease(m_pDefinitionsU);
    MarkupRelease(m_pDefinitionsV);
}

void CXTPMarkupGrid::ReleaseCellCache()
{
    delete[] m_pCellCache;
    m_pCellCache = nullptr;
    m_nCellCacheCount = 0;
}

void CXTPMarkupGrid::SetColumn(CXTPMarkupObject* element, int column)
{
    if (element)
        element->SetValue(m_pColumnProperty, new CXTPMarkupInt(column));
}

void CXTPMarkupGrid::SetRow(CXTPMarkupObject* element, int row)
{
    if (element)
        element->SetValue(m_pRowProperty, new CXTPMarkupInt(row));
}

void CXTPMarkupGrid::SetColumnSpan(CXTPMarkupObject* element, int span)
{
    if (element)
        element->SetValue(m_pColumnSpanProperty, new CXTPMarkupInt(span));
}

void CXTPMarkupGrid::SetRowSpan(CXTPMarkupObject* element, int span)
{
    if (element)
        element->SetValue(m_pRowSpanProperty, new CXTPMarkupInt(span));
}

int CXTPMarkupGrid::GetColumn(const CXTPMarkupObject* element)
{
    return element ? ReadInt(element, m_pColumnProperty, 0) : 0;
}

int CXTPMarkupGrid::GetRow(const CXTPMarkupObject* element)
{
    return element ? ReadInt(element, m_pRowProperty, 0) : 0;
}

int CXTPMarkupGrid::GetColumnSpan(const CXTPMarkupObject* element)
{
    const int span = element ? ReadInt(element, m_pColumnSpanProperty, 1) : 1;
    return span > 0 ? span : 1;
}

int CXTPMarkupGrid::GetRowSpan(const CXTPMarkupObject* element)
{
    const int span = element ? ReadInt(element, m_pRowSpanProperty, 1) : 1;
    return span > 0 ? span : 1;
}

template <class T>
void CXTPMarkupGrid::SetDefinitions(T*& slot, T* collection)
{
    slot->SetLogicalParent(nullptr);
    slot->Release();
    slot = collection;
    slot->SetLogicalParent(this);
    InvalidateMeasure();
}

void CXTPMarkupGrid::SetPropertyObject(CXTPMarkupBuilder* builder, CXTPMarkupDependencyProperty* property,
                                       CXTPMarkupObject* value)
{
    // On an error the value stays with the builder, which releases it.
    if (property == m_pColumnDefinitionsProperty) {
        auto* columns = MarkupDynamicCast<CXTPMarkupColumnDefinitionCollection>(value);
        if (!columns)
            CXTPMarkupBuilder::ThrowBuilderException(L"CXTPMarkupColumnDefinitionCollection class expected");
        SetDefinitions(m_pColumnDefinitions, columns);
        return;
    }
    if (property == m_pRowDefinitionsProperty) {
        auto* rows = MarkupDynamicCast<CXTPMarkupRowDefinitionCollection>(value);
        if (!rows)
            CXTPMarkupBuilder::ThrowBuilderException(L"CXTPMarkupRowDefinitionCollection class expected");
        SetDefinitions(m_pRowDefinitions, rows);
        return;
    }
    CXTPMarkupPanel::SetPropertyObject(builder, property, value);
}

// ---- Grid: measure

void CXTPMarkupGrid::ValidateDefinitions(CXTPMarkupDefinitionCollection*& effective,
                                         CXTPMarkupDefinitionCollection* user, BOOL column, Definitions& list)
{
    MarkupRelease(effective);
    if (user->GetCount() > 0) {
        user->AddRef();
        effective = user;
    } else {
        // Without definitions the axis is one star definition of its own.
        effective = new CXTPMarkupDefinitionCollection();
        if (column)
            effective->Add(new CXTPMarkupColumnDefinition());
        else
            effective->Add(new CXTPMarkupRowDefinition());
    }
    list.clear();
    for (int i = 0; i < effective->GetCount(); ++i)
        list.push_back(effective->GetDefinition(i));
}

void CXTPMarkupGrid::ResetDefinitions(Definitions& definitions, BOOL treatStarAsAuto)
{
    for (CXTPMarkupDefinitionBase* d : definitions) {
        d->m_nMinSize = 0;
        d->m_nLayoutType = 0;
        d->m_dMeasureSize = 0;
        int userMin = d->GetUserMinValue();
        const int userMax = d->GetUserMaxValue();
        int userSize = kUnbounded;
        const CXTPMarkupGridLength* length = d->GetUserLength();
        switch (length ? length->GetUnit() : CXTPMarkupGridLength::unitStar) {
        case CXTPMarkupGridLength::unitAuto:
            d->m_nLayoutType = CXTPMarkupDefinitionBase::layoutAuto;
            break;
        case CXTPMarkupGridLength::unitPixel:
            d->m_nLayoutType = CXTPMarkupDefinitionBase::layoutPixel;
            userSize = Truncate(length->GetValue());
            userMin = std::max(userMin, std::min(userSize, userMax));
            break;
        default:
            d->m_nLayoutType = treatStarAsAuto ? CXTPMarkupDefinitionBase::layoutAuto
                                               : CXTPMarkupDefinitionBase::layoutStar;
            break;
        }
        d->m_nUserMin = userMin;
        d->m_nUserMax = userMax;
        d->m_nUserSize = userSize;
        d->m_nMinSize = std::max(0, userMin);
        d->m_dMeasureSize = std::max(userMin, std::min(userSize, userMax));
    }
}

void CXTPMarkupGrid::ValidateCells()
{
    const int count = m_pChildren->GetCount();
    ReleaseCellCache();
    m_pCellCache = new CELLCACHE[static_cast<size_t>(std::max(1, count))]();
    m_nCellCacheCount = count;
    m_nCellGroup1 = m_nCellGroup2 = m_nCellGroup3 = m_nCellGroup4 = kEndOfGroup;
    m_bHasStarCellsU = m_bHasStarCellsV = m_bHasGroup3CellsInAutoRows = FALSE;

    const int columnCount = static_cast<int>(m_arrColumns.size());
    const int rowCount = static_cast<int>(m_arrRows.size());
    for (int i = count - 1; i >= 0; --i) {
        CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
        if (!child)
            continue;
        CELLCACHE& cell = m_pCellCache[i];
        // A negative column or row counts as the first: the passes index the definitions with it.
        cell.nColumnIndex = std::min(std::max(0, GetColumn(child)), columnCount - 1);
        cell.nRowIndex = std::min(std::max(0, GetRow(child)), rowCount - 1);
        cell.nColumnSpan = std::min(GetColumnSpan(child), columnCount - cell.nColumnIndex);
        cell.nRowSpan = std::min(GetRowSpan(child), rowCount - cell.nRowIndex);
        cell.nColumnSizeTypes = 0;
        for (int c = cell.nColumnIndex; c < cell.nColumnIndex + cell.nColumnSpan; ++c)
            cell.nColumnSizeTypes |= m_arrColumns[static_cast<size_t>(c)]->m_nLayoutType;
        cell.nRowSizeTypes = 0;
        for (int r = cell.nRowIndex; r < cell.nRowIndex + cell.nRowSpan; ++r)
            cell.nRowSizeTypes |= m_arrRows[static_cast<size_t>(r)]->m_nLayoutType;

        const bool columnsStar = (cell.nColumnSizeTypes & CXTPMarkupDefinitionBase::layoutStar) != 0;
        const bool columnsAuto = (cell.nColumnSizeTypes & CXTPMarkupDefinitionBase::layoutAuto) != 0;
        const bool rowsStar = (cell.nRowSizeTypes & CXTPMarkupDefinitionBase::layoutStar) != 0;
        const bool rowsAuto = (cell.nRowSizeTypes & CXTPMarkupDefinitionBase::layoutAuto) != 0;
        m_bHasStarCellsU |= columnsStar;
        m_bHasStarCellsV |= rowsStar;

        int* head;
        if (!rowsStar) {
            if (columnsStar) {
                head = &m_nCellGroup3;
                if (rowsAuto)
                    m_bHasGroup3CellsInAutoRows = TRUE;
            } else {
                head = &m_nCellGroup1;
            }
        } else {
            head = columnsAuto && !columnsStar ? &m_nCellGroup2 : &m_nCellGroup4;
        }
        cell.nNext = *head;
        *head = i;
    }
}

int CXTPMarkupGrid::SumMeasureSizes(const Definitions& definitions, int start, int count)
{
    double sum = 0;
    for (int i = start; i < start + count; ++i) {
        const CXTPMarkupDefinitionBase* d = definitions[static_cast<size_t>(i)];
        sum += d->m_nLayoutType & CXTPMarkupDefinitionBase::layoutAuto ? d->m_nMinSize : d->m_dMeasureSize;
    }
    return Truncate(sum);
}

void CXTPMarkupGrid::MeasureCellsGroup(CXTPMarkupDrawingContext* dc, int head, BOOL ignoreDesiredWidth,
                                       BOOL forceRowsUnbounded)
{
    if (head == kEndOfGroup)
        return;
    std::vector<SPANKEY> spans;
    for (int i = head; i != kEndOfGroup; i = m_pCellCache[i].nNext) {
        const CELLCACHE& cell = m_pCellCache[i];
        CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
        if (!child)
            continue;
        const int width = IsAutoWithoutStar(cell.nColumnSizeTypes)
                              ? kUnbounded
                              : SumMeasureSizes(m_arrColumns, cell.nColumnIndex, cell.nColumnSpan);
        const int height = forceRowsUnbounded || IsAutoWithoutStar(cell.nRowSizeTypes)
                               ? kUnbounded
                               : SumMeasureSizes(m_arrRows, cell.nRowIndex, cell.nRowSpan);
        child->Measure(dc, width, height);
        const SIZE desired = child->GetDesiredSize();
        if (!ignoreDesiredWidth) {
            if (cell.nColumnSpan == 1)
                m_arrColumns[static_cast<size_t>(cell.nColumnIndex)]->UpdateMinSize(desired.cx);
            else
                spans.push_back(SPANKEY{cell.nColumnSpan, cell.nColumnIndex, TRUE, static_cast<int>(desired.cx)});
        }
        if (!forceRowsUnbounded) {
            if (cell.nRowSpan == 1)
                m_arrRows[static_cast<size_t>(cell.nRowIndex)]->UpdateMinSize(desired.cy);
            else
                spans.push_back(SPANKEY{cell.nRowSpan, cell.nRowIndex, FALSE, static_cast<int>(desired.cy)});
        }
    }
    for (const SPANKEY& span : spans)
        EnsureMinSizeInDefinitionRange(span.bColumn ? m_arrColumns : m_arrRows, span.nStart, span.nCount,
                                       span.nValue);
}

void CXTPMarkupGrid::EnsureMinSizeInDefinitionRange(Definitions& definitions, int start, int count, int requested)
{
    if (requested == 0 || count <= 0)
        return;
    std::vector<CXTPMarkupDefinitionBase*> spanned(definitions.begin() + start, definitions.begin() + start + count);
    auto preferred = [](const CXTPMarkupDefinitionBase* d) {
        return !(d->m_nLayoutType & CXTPMarkupDefinitionBase::layoutAuto) && d->m_dMeasureSize > d->m_nMinSize
                   ? d->m_dMeasureSize
                   : static_cast<double>(d->m_nMinSize);
    };
    auto isAutoLength = [](const CXTPMarkupDefinitionBase* d) {
        const CXTPMarkupGridLength* length = d->GetUserLength();
        return length && length->IsAuto();
    };

    double rangeMin = 0, rangePreferred = 0, rangeMax = 0, largestMax = 0;
    int autoCount = 0;
    for (CXTPMarkupDefinitionBase* d : spanned) {
        const double m = d->m_nMinSize;
        const double p = preferred(d);
        double x = d->m_nUserMax;
        if (IsMarkupUnbounded(d->m_nUserMax) || x < m)
            x = m;
        d->m_dWorkSize = x;
        rangeMin += m;
        rangePreferred += p;
        rangeMax += x;
        largestMax = std::max(largestMax, x);
        if (isAutoLength(d))
            ++autoCount;
    }
    if (requested <= rangeMin)
        return;

    if (requested <= rangePreferred) {
        std::stable_sort(spanned.begin(), spanned.end(), [&](const CXTPMarkupDefinitionBase* a,
                                                              const CXTPMarkupDefinitionBase* b) {
            const bool autoA = isAutoLength(a), autoB = isAutoLength(b);
            if (autoA != autoB)
                return autoA;
            return autoA ? a->m_nMinSize < b->m_nMinSize : preferred(a) < preferred(b);
        });
        double remaining = requested;
        int i = 0;
        for (; i < autoCount; ++i)
            remaining -= spanned[static_cast<size_t>(i)]->m_nMinSize;
        for (; i < count; ++i) {
            CXTPMarkupDefinitionBase* d = spanned[static_cast<size_t>(i)];
            const double size = std::min(remaining / (count - i), preferred(d));
            if (size > d->m_nMinSize)
                d->UpdateMinSize(size);
            remaining -= size;
        }
    } else if (requested <= rangeMax) {
        std::stable_sort(spanned.begin(), spanned.end(), [&](const CXTPMarkupDefinitionBase* a,
                                                              const CXTPMarkupDefinitionBase* b) {
            const bool autoA = isAutoLength(a), autoB = isAutoLength(b);
            if (autoA != autoB)
                return autoB;
            return a->m_dWorkSize < b->m_dWorkSize;
        });
        double remaining = requested - rangePreferred;
        const int fixedCount = count - autoCount;
        int i = 0;
        for (; i < fixedCount; ++i) {
            CXTPMarkupDefinitionBase* d = spanned[static_cast<size_t>(i)];
            const double p = preferred(d);
            d->UpdateMinSize(std::min(p + remaining / (fixedCount - i), d->m_dWorkSize));
            remaining -= d->m_nMinSize - p;
        }
        for (; i < count; ++i) {
            CXTPMarkupDefinitionBase* d = spanned[static_cast<size_t>(i)];
            const double old = d->m_nMinSize;
            d->UpdateMinSize(std::min(old + remaining / (count - i), d->m_dWorkSize));
            remaining -= d->m_nMinSize - old;
        }
    } else {
        const double equal = static_cast<double>(requested) / count;
        if (equal < largestMax) {
            const double total = largestMax * count - rangeMax;
            const double extra = requested - rangeMax;
            for (CXTPMarkupDefinitionBase* d : spanned)
                d->UpdateMinSize(d->m_dWorkSize + extra * (largestMax - d->m_dWorkSize) / total);
        } else {
            for (CXTPMarkupDefinitionBase* d : spanned)
                d->UpdateMinSize(equal);
        }
    }
}

void CXTPMarkupGrid::ResolveStar(Definitions& definitions, double available)
{
    double taken = 0;
    std::vector<CXTPMarkupDefinitionBase*> stars;
    for (CXTPMarkupDefinitionBase* d : definitions) {
        switch (d->m_nLayoutType) {
        case CXTPMarkupDefinitionBase::layoutPixel:
            taken += d->m_dMeasureSize;
            break;
        case CXTPMarkupDefinitionBase::layoutAuto:
            taken += d->m_nMinSize;
            break;
        case CXTPMarkupDefinitionBase::layoutStar: {
            stars.push_back(d);
            const double star = d->GetStarValue();
            if (star == 0) {
                d->m_dMeasureSize = 0;
                d->m_dWorkSize = 0;
            } else {
                d->m_dMeasureSize = star;
                const double m = IsMarkupUnbounded(d->m_nUserMax) ? d->m_nMinSize
                                                                   : std::max(d->m_nMinSize, d->m_nUserMax);
                d->m_dWorkSize = m / star;
            }
            break;
        }
        default:
            break;
        }
    }
    if (stars.empty())
        return;
    std::stable_sort(stars.begin(), stars.end(), [](const CXTPMarkupDefinitionBase* a, const CXTPMarkupDefinitionBase* b) {
        return a->m_dWorkSize < b->m_dWorkSize;
    });
    double total = 0;
    for (size_t i = stars.size(); i-- > 0;) {
        total += stars[i]->GetStarValue();
        stars[i]->m_dWorkSize = total;
    }
    for (CXTPMarkupDefinitionBase* d : stars) {
        const double star = d->GetStarValue();
        double size;
        if (star == 0) {
            size = d->m_nMinSize;
        } else {
            size = Truncate(star / d->m_dWorkSize * std::max(0.0, available - taken));
            size = std::min(size, static_cast<double>(d->m_nUserMax));
            size = std::max(size, static_cast<double>(d->m_nMinSize));
        }
        d->m_dMeasureSize = size;
        taken += size;
    }
}

SIZE CXTPMarkupGrid::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    const int count = m_pChildren->GetCount();
    if (m_pColumnDefinitions->GetCount() == 0 && m_pRowDefinitions->GetCount() == 0) {
        ReleaseCellCache();
        SIZE largest = {0, 0};
        for (int i = 0; i < count; ++i) {
            CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
            if (!child)
                continue;
            child->Measure(dc, availableWidth, availableHeight);
            largest.cx = std::max(largest.cx, child->GetDesiredSize().cx);
            largest.cy = std::max(largest.cy, child->GetDesiredSize().cy);
        }
        return largest;
    }

    ValidateDefinitions(m_pDefinitionsU, m_pColumnDefinitions, TRUE, m_arrColumns);
    ValidateDefinitions(m_pDefinitionsV, m_pRowDefinitions, FALSE, m_arrRows);
    ResetDefinitions(m_arrColumns, availableWidth > kStarAsAutoLimit);
    ResetDefinitions(m_arrRows, availableHeight > kStarAsAutoLimit);
    ValidateCells();

    MeasureCellsGroup(dc, m_nCellGroup1, FALSE, FALSE);
    if (!m_bHasGroup3CellsInAutoRows) {
        if (m_bHasStarCellsV)
            ResolveStar(m_arrRows, availableHeight);
        MeasureCellsGroup(dc, m_nCellGroup2, FALSE, FALSE);
        if (m_bHasStarCellsU)
            ResolveStar(m_arrColumns, availableWidth);
        MeasureCellsGroup(dc, m_nCellGroup3, FALSE, FALSE);
    } else if (m_nCellGroup2 == kEndOfGroup) {
        if (m_bHasStarCellsU)
            ResolveStar(m_arrColumns, availableWidth);
        MeasureCellsGroup(dc, m_nCellGroup3, FALSE, FALSE);
        if (m_bHasStarCellsV)
            ResolveStar(m_arrRows, availableHeight);
    } else {
        MeasureCellsGroup(dc, m_nCellGroup2, FALSE, TRUE);
        if (m_bHasStarCellsU)
            ResolveStar(m_arrColumns, availableWidth);
        MeasureCellsGroup(dc, m_nCellGroup3, FALSE, FALSE);
        if (m_bHasStarCellsV)
            ResolveStar(m_arrRows, availableHeight);
        MeasureCellsGroup(dc, m_nCellGroup2, TRUE, FALSE);
    }
    MeasureCellsGroup(dc, m_nCellGroup4, FALSE, FALSE);

    SIZE desired = {0, 0};
    for (const CXTPMarkupDefinitionBase* d : m_arrColumns)
        desired.cx += d->m_nMinSize;
    for (const CXTPMarkupDefinitionBase* d : m_arrRows)
        desired.cy += d->m_nMinSize;
    return desired;
}

// ---- Grid: arrange

void CXTPMarkupGrid::SetFinalSize(Definitions& definitions, int finalSize)
{
    const size_t count = definitions.size();
    std::vector<CXTPMarkupDefinitionBase*> work(count, nullptr);
    size_t starCount = 0;
    size_t back = count;
    double taken = 0;
    for (CXTPMarkupDefinitionBase* d : definitions) {
        const CXTPMarkupGridLength* length = d->GetUserLength();
        if (length && length->IsStar()) {
            work[starCount++] = d;
            const double star = d->GetStarValue();
            if (star == 0) {
                d->m_dMeasureSize = 0;
                d->m_dWorkSize = 0;
            } else {
                d->m_dMeasureSize = star;
                const double m = IsMarkupUnbounded(d->m_nUserMax) ? d->m_nMinSize
                                                                   : std::max(d->m_nMinSize, d->m_nUserMax);
                d->m_dWorkSize = m / star;
            }
        } else {
            work[--back] = d;
            const double userSize = length && length->IsAuto() ? d->m_nMinSize : length ? length->GetValue() : 0;
            d->m_dWorkSize = std::max(static_cast<double>(d->m_nMinSize),
                                      std::min(userSize, static_cast<double>(d->m_nUserMax)));
            taken += d->m_dWorkSize;
        }
    }

    auto byWork = [](const CXTPMarkupDefinitionBase* a, const CXTPMarkupDefinitionBase* b) {
        return a->m_dWorkSize < b->m_dWorkSize;
    };
    std::stable_sort(work.begin(), work.begin() + static_cast<std::ptrdiff_t>(starCount), byWork);
    double total = 0;
    for (size_t i = starCount; i-- > 0;) {
        total += work[i]->GetStarValue();
        work[i]->m_dWorkSize = total;
    }
    for (size_t i = 0; i < starCount; ++i) {
        CXTPMarkupDefinitionBase* d = work[i];
        const double star = d->GetStarValue();
        double size;
        if (star == 0) {
            size = d->m_nMinSize;
        } else {
            size = Truncate(star / d->m_dWorkSize * std::max(0.0, finalSize - taken));
            size = std::min(size, static_cast<double>(d->m_nUserMax));
            size = std::max(size, static_cast<double>(d->m_nMinSize));
        }
        d->m_dWorkSize = size;
        taken += size;
    }

    if (taken > finalSize) {
        std::stable_sort(work.begin(), work.begin() + static_cast<std::ptrdiff_t>(starCount),
                         [](const CXTPMarkupDefinitionBase* a, const CXTPMarkupDefinitionBase* b) {
                             return a->m_dWorkSize - a->m_nMinSize < b->m_dWorkSize - b->m_nMinSize;
                         });
        double excess = finalSize - taken;
        for (size_t i = 0; i < count; ++i) {
            CXTPMarkupDefinitionBase* d = work[i];
            const double size = std::max(static_cast<double>(d->m_nMinSize),
                                         d->m_dWorkSize + excess / static_cast<double>(count - i));
            if (size < d->m_dWorkSize) {
                excess += d->m_dWorkSize - size;
                d->m_dWorkSize = size;
            }
        }
    }

    int offset = 0;
    for (size_t i = 0; i < count; ++i) {
        definitions[i]->m_nFinalOffset = offset;
        offset += Truncate(definitions[i]->m_dWorkSize);
    }
}

SIZE CXTPMarkupGrid::ArrangeOverride(int finalWidth, int finalHeight)
{
    const int count = m_pChildren->GetCount();
    const bool noDefinitions = m_pColumnDefinitions->GetCount() == 0 && m_pRowDefinitions->GetCount() == 0;
    if (noDefinitions || !m_pCellCache || m_nCellCacheCount != count) {
        for (int i = 0; i < count; ++i) {
            if (CXTPMarkupUIElement* child = m_pChildren->GetElement(i))
                child->Arrange(RECT{0, 0, finalWidth, finalHeight});
        }
        return SIZE{finalWidth, finalHeight};
    }

    SetFinalSize(m_arrColumns, finalWidth);
    SetFinalSize(m_arrRows, finalHeight);
    for (int i = 0; i < count; ++i) {
        CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
        if (!child)
            continue;
        const CELLCACHE& cell = m_pCellCache[i];
        int width = 0;
        for (int c = cell.nColumnIndex; c < cell.nColumnIndex + cell.nColumnSpan; ++c)
            width += Truncate(m_arrColumns[static_cast<size_t>(c)]->m_dWorkSize);
        int height = 0;
        for (int r = cell.nRowIndex; r < cell.nRowIndex + cell.nRowSpan; ++r)
            height += Truncate(m_arrRows[static_cast<size_t>(r)]->m_dWorkSize);
        const int x = m_arrColumns[static_cast<size_t>(cell.nColumnIndex)]->m_nFinalOffset;
        const int y = m_arrRows[static_cast<size_t>(cell.nRowIndex)]->m_nFinalOffset;
        child->Arrange(RECT{x, y, x + width, y + height});
    }
    return SIZE{finalWidth, finalHeight};
}
