#include "toolkit/markup/XTPMarkupFrameworkElement.h"

#include "toolkit/markup/XTPMarkupThickness.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>

IMPLEMENT_MARKUPCLASS(L"FrameworkElement", CXTPMarkupFrameworkElement, CXTPMarkupUIElement,
                      &CreateMarkupObject<CXTPMarkupFrameworkElement>, &CXTPMarkupFrameworkElement::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupFrameworkElement::m_pMarginProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupFrameworkElement::m_pHorizontalAlignmentProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupFrameworkElement::m_pVerticalAlignmentProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupFrameworkElement::m_pWidthProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupFrameworkElement::m_pHeightProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupFrameworkElement::m_pMinWidthProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupFrameworkElement::m_pMinHeightProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupFrameworkElement::m_pMaxWidthProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupFrameworkElement::m_pMaxHeightProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupFrameworkElement::m_pTagProperty = nullptr;

void CXTPMarkupFrameworkElement::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    CXTPMarkupType* owner = MarkupType();
    const DWORD measure = Metadata::flagAffectsMeasure;
    m_pMarginProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Margin", CXTPMarkupThickness::MarkupType(), owner, new Metadata(CXTPMarkupThickness::GetDefault(), measure));
    m_pHorizontalAlignmentProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"HorizontalAlignment", CXTPMarkupEnum::MarkupType(), owner,
        new Metadata(nullptr, &MarkupConvertHorizontalAlignment, Metadata::flagAffectsArrange));
    m_pVerticalAlignmentProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"VerticalAlignment", CXTPMarkupEnum::MarkupType(), owner,
        new Metadata(nullptr, &MarkupConvertVerticalAlignment, Metadata::flagAffectsArrange));
    auto length = [&](const wchar_t* name) {
        return CXTPMarkupDependencyProperty::RegisterProperty(name, CXTPMarkupInt::MarkupType(), owner,
                                                              new Metadata(nullptr, &MarkupConvertSize, measure));
    };
    m_pWidthProperty = length(L"Width");
    m_pHeightProperty = length(L"Height");
    m_pMinWidthProperty = length(L"MinWidth");
    m_pMinHeightProperty = length(L"MinHeight");
    m_pMaxWidthProperty = length(L"MaxWidth");
    m_pMaxHeightProperty = length(L"MaxHeight");
    m_pTagProperty = CXTPMarkupDependencyProperty::RegisterProperty(L"Tag", CXTPMarkupObject::MarkupType(), owner);
}

namespace {

// The integer value of the property, or fallback when it has none.
int GetIntValue(const CXTPMarkupObject* object, CXTPMarkupDependencyProperty* property, int fallback)
{
    const CXTPMarkupInt* value = MarkupDynamicCast<CXTPMarkupInt>(object->GetValue(property));
    return value ? static_cast<int>(*value) : fallback;
}

int GetEnumValue(const CXTPMarkupObject* object, CXTPMarkupDependencyProperty* property, int fallback)
{
    const CXTPMarkupEnum* value = MarkupDynamicCast<CXTPMarkupEnum>(object->GetValue(property));
    return value ? static_cast<int>(*value) : fallback;
}

} // namespace

// ---- Property access

const CXTPMarkupThickness* CXTPMarkupFrameworkElement::GetMargin() const
{
    return MarkupDynamicCast<CXTPMarkupThickness>(GetValue(m_pMarginProperty));
}

void CXTPMarkupFrameworkElement::SetMargin(int left, int top, int right, int bottom)
{
    SetValue(m_pMarginProperty, new CXTPMarkupThickness(left, top, right, bottom));
}

void CXTPMarkupFrameworkElement::SetWidth(int width)
{
    SetValue(m_pWidthProperty, new CXTPMarkupInt(width));
}

void CXTPMarkupFrameworkElement::SetHeight(int height)
{
    SetValue(m_pHeightProperty, new CXTPMarkupInt(height));
}

void CXTPMarkupFrameworkElement::SetMinWidth(int width)
{
    SetValue(m_pMinWidthProperty, new CXTPMarkupInt(width));
}

void CXTPMarkupFrameworkElement::SetMinHeight(int height)
{
    SetValue(m_pMinHeightProperty, new CXTPMarkupInt(height));
}

void CXTPMarkupFrameworkElement::SetMaxWidth(int width)
{
    SetValue(m_pMaxWidthProperty, new CXTPMarkupInt(width));
}

void CXTPMarkupFrameworkElement::SetMaxHeight(int height)
{
    SetValue(m_pMaxHeightProperty, new CXTPMarkupInt(height));
}

void CXTPMarkupFrameworkElement::SetHorizontalAlignment(HorizontalAlignment alignment)
{
    SetValue(m_pHorizontalAlignmentProperty, CreateMarkupEnum(alignment));
}

void CXTPMarkupFrameworkElement::SetVerticalAlignment(VerticalAlignment alignment)
{
    SetValue(m_pVerticalAlignmentProperty, CreateMarkupEnum(alignment));
}

CXTPMarkupFrameworkElement::HorizontalAlignment CXTPMarkupFrameworkElement::GetHorizontalAlignment() const
{
    return static_cast<HorizontalAlignment>(GetEnumValue(this, m_pHorizontalAlignmentProperty, alignStretch));
}

CXTPMarkupFrameworkElement::VerticalAlignment CXTPMarkupFrameworkElement::GetVerticalAlignment() const
{
    return static_cast<VerticalAlignment>(GetEnumValue(this, m_pVerticalAlignmentProperty, alignVStretch));
}

// ---- Layout

SIZE CXTPMarkupFrameworkElement::MeasureOverride(CXTPMarkupDrawingContext*, int, int)
{
    return SIZE{0, 0};
}

SIZE CXTPMarkupFrameworkElement::ArrangeOverride(int finalWidth, int finalHeight)
{
    return SIZE{finalWidth, finalHeight};
}

void CXTPMarkupFrameworkElement::UpdateMinMax()
{
    // Width and Height "Auto" arrive as the unbounded length and mean unset.
    int height = GetIntValue(this, m_pHeightProperty, XTP_MARKUP_UNBOUNDED);
    const bool heightSet = height != XTP_MARKUP_UNBOUNDED;
    const int minHeight = GetIntValue(this, m_pMinHeightProperty, 0);
    const int maxHeight = GetIntValue(this, m_pMaxHeightProperty, XTP_MARKUP_UNBOUNDED);
    m_minMax.maxHeight = std::max(minHeight, std::min(heightSet ? height : XTP_MARKUP_UNBOUNDED, maxHeight));
    m_minMax.minHeight = std::max(minHeight, std::min(m_minMax.maxHeight, heightSet ? height : 0));

    int width = GetIntValue(this, m_pWidthProperty, XTP_MARKUP_UNBOUNDED);
    const bool widthSet = width != XTP_MARKUP_UNBOUNDED;
    const int minWidth = GetIntValue(this, m_pMinWidthProperty, 0);
    const int maxWidth = GetIntValue(this, m_pMaxWidthProperty, XTP_MARKUP_UNBOUNDED);
    m_minMax.maxWidth = std::max(minWidth, std::min(widthSet ? width : XTP_MARKUP_UNBOUNDED, maxWidth));
    m_minMax.minWidth = std::max(minWidth, std::min(m_minMax.maxWidth, widthSet ? width : 0));
}

SIZE CXTPMarkupFrameworkElement::MeasureCore(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    const CXTPMarkupThickness* margin = GetMargin();
    const int marginWidth = margin ? margin->GetLeft() + margin->GetRight() : 0;
    const int marginHeight = margin ? margin->GetTop() + margin->GetBottom() : 0;

    auto space = [](int offered, int marginSum) {
        if (IsMarkupUnbounded(offered) || marginSum < -XTP_MARKUP_UNBOUNDED_LIMIT)
            return XTP_MARKUP_UNBOUNDED;
        return std::max(0, offered - marginSum);
    };
    const int spaceWidth = space(availableWidth, marginWidth);
    const int spaceHeight = space(availableHeight, marginHeight);

    UpdateMinMax();

    const int contentWidth = std::max(m_minMax.minWidth, std::min(spaceWidth, m_minMax.maxWidth));
    const int contentHeight = std::max(m_minMax.minHeight, std::min(spaceHeight, m_minMax.maxHeight));

    const SIZE size = MeasureOverride(dc, contentWidth, contentHeight);
    const SIZE unclipped = {std::max(size.cx, static_cast<LONG>(m_minMax.minWidth)),
                            std::max(size.cy, static_cast<LONG>(m_minMax.minHeight))};

    bool clipped = false;
    LONG width = unclipped.cx;
    LONG height = unclipped.cy;
    if (width > m_minMax.maxWidth) {
        width = m_minMax.maxWidth;
        clipped = true;
    }
    if (height > m_minMax.maxHeight) {
        height = m_minMax.maxHeight;
        clipped = true;
    }
    // Summed wide: unbounded content plus a margin must not wrap round.
    long long resultWidth = static_cast<long long>(width) + marginWidth;
    long long resultHeight = static_cast<long long>(height) + marginHeight;
    if (resultWidth > availableWidth) {
        resultWidth = availableWidth;
        clipped = true;
    }
    if (resultHeight > availableHeight) {
        resultHeight = availableHeight;
        clipped = true;
    }

    m_bNeedsClipBounds = FALSE;
    m_bUnclippedDesiredSizeValid = FALSE;
    if (clipped || resultWidth < 0 || resultHeight < 0) {
        m_bNeedsClipBounds = TRUE;
        m_bUnclippedDesiredSizeValid = TRUE;
        m_szUnclippedDesiredSize = unclipped;
    }
    return SIZE{static_cast<LONG>(std::max(0LL, resultWidth)), static_cast<LONG>(std::max(0LL, resultHeight))};
}

void CXTPMarkupFrameworkElement::ArrangeCore(const RECT& rect)
{
    const CXTPMarkupThickness* margin = GetMargin();
    const int marginLeft = margin ? margin->GetLeft() : 0;
    const int marginTop = margin ? margin->GetTop() : 0;
    const int marginWidth = margin ? margin->GetLeft() + margin->GetRight() : 0;
    const int marginHeight = margin ? margin->GetTop() + margin->GetBottom() : 0;
    const int rectWidth = rect.right - rect.left;
    const int rectHeight = rect.bottom - rect.top;

    int arrangeWidth = std::max(0, rectWidth - marginWidth);
    int arrangeHeight = std::max(0, rectHeight - marginHeight);

    SIZE unclipped = m_bUnclippedDesiredSizeValid
                         ? m_szUnclippedDesiredSize
                         : SIZE{m_szDesiredSize.cx - marginWidth, m_szDesiredSize.cy - marginHeight};

    if (arrangeWidth < unclipped.cx) {
        m_bNeedsClipBounds = TRUE;
        arrangeWidth = unclipped.cx;
    }
    if (arrangeHeight < unclipped.cy) {
        m_bNeedsClipBounds = TRUE;
        arrangeHeight = unclipped.cy;
    }
    if (GetHorizontalAlignment() != alignStretch)
        arrangeWidth = unclipped.cx;
    if (GetVerticalAlignment() != alignVStretch)
        arrangeHeight = unclipped.cy;

    const int effectiveMaxWidth = std::max(static_cast<int>(unclipped.cx), m_minMax.maxWidth);
    if (effectiveMaxWidth < arrangeWidth) {
        m_bNeedsClipBounds = TRUE;
        arrangeWidth = effectiveMaxWidth;
    }
    const int effectiveMaxHeight = std::max(static_cast<int>(unclipped.cy), m_minMax.maxHeight);
    if (effectiveMaxHeight < arrangeHeight) {
        m_bNeedsClipBounds = TRUE;
        arrangeHeight = effectiveMaxHeight;
    }

    m_szRenderSize = ArrangeOverride(arrangeWidth, arrangeHeight);

    const int inkWidth = std::min(static_cast<int>(m_szRenderSize.cx), m_minMax.maxWidth);
    const int inkHeight = std::min(static_cast<int>(m_szRenderSize.cy), m_minMax.maxHeight);
    if (m_szRenderSize.cx > m_minMax.maxWidth || m_szRenderSize.cy > m_minMax.maxHeight)
        m_bNeedsClipBounds = TRUE;

    const int clientWidth = std::max(0, rectWidth - marginWidth);
    const int clientHeight = std::max(0, rectHeight - marginHeight);
    if (clientWidth < inkWidth || clientHeight < inkHeight)
        m_bNeedsClipBounds = TRUE;

    const POINT offset = ComputeAlignmentOffset(clientWidth, clientHeight, inkWidth, inkHeight);
    m_ptVisualOffset = {rect.left + marginLeft + offset.x, rect.top + marginTop + offset.y};
}

POINT CXTPMarkupFrameworkElement::ComputeAlignmentOffset(int clientWidth, int clientHeight, int inkWidth,
                                                         int inkHeight) const
{
    int horizontal = GetHorizontalAlignment();
    int vertical = GetVerticalAlignment();
    // Stretched content wider than its box starts at the near edge and is clipped at the far one.
    if (horizontal == alignStretch && inkWidth > clientWidth)
        horizontal = alignLeft;
    if (vertical == alignVStretch && inkHeight > clientHeight)
        vertical = alignTop;

    POINT offset = {0, 0};
    if (horizontal == alignCenter || horizontal == alignStretch)
        offset.x = (clientWidth - inkWidth) / 2;
    else if (horizontal == alignRight)
        offset.x = clientWidth - inkWidth;
    if (vertical == alignVCenter || vertical == alignVStretch)
        offset.y = (clientHeight - inkHeight) / 2;
    else if (vertical == alignBottom)
        offset.y = clientHeight - inkHeight;
    return offset;
}

BOOL CXTPMarkupFrameworkElement::GetLayoutClip(RECT& clip) const
{
    if (CXTPMarkupUIElement::GetLayoutClip(clip))
        return TRUE;
    const CXTPMarkupBool* clipValue = MarkupDynamicCast<CXTPMarkupBool>(GetValue(m_pClipToBoundsProperty));
    const bool clipToBounds = clipValue && static_cast<BOOL>(*clipValue);
    if (!clipToBounds && !m_bNeedsClipBounds)
        return FALSE;

    const int renderWidth = m_szRenderSize.cx;
    const int renderHeight = m_szRenderSize.cy;
    const int limitWidth = m_minMax.maxWidth != XTP_MARKUP_UNBOUNDED ? m_minMax.maxWidth : renderWidth;
    const int limitHeight = m_minMax.maxHeight != XTP_MARKUP_UNBOUNDED ? m_minMax.maxHeight : renderHeight;
    const bool maxClip = clipToBounds || limitWidth < renderWidth || limitHeight < renderHeight;

    const int inkWidth = std::min(renderWidth, m_minMax.maxWidth);
    const int inkHeight = std::min(renderHeight, m_minMax.maxHeight);
    const CXTPMarkupThickness* margin = GetMargin();
    const int marginWidth = margin ? margin->GetLeft() + margin->GetRight() : 0;
    const int marginHeight = margin ? margin->GetTop() + margin->GetBottom() : 0;
    const int clientWidth = std::max(0, static_cast<int>(m_rcFinalRect.right - m_rcFinalRect.left) - marginWidth);
    const int clientHeight = std::max(0, static_cast<int>(m_rcFinalRect.bottom - m_rcFinalRect.top) - marginHeight);
    const bool clientClip = clipToBounds || clientWidth < inkWidth || clientHeight < inkHeight;

    if (!maxClip && !clientClip)
        return FALSE;
    const RECT limitRect = {0, 0, limitWidth, limitHeight};
    if (!clientClip) {
        clip = limitRect;
        return TRUE;
    }
    const POINT offset = ComputeAlignmentOffset(clientWidth, clientHeight, inkWidth, inkHeight);
    clip = {-offset.x, -offset.y, clientWidth - offset.x, clientHeight - offset.y};
    if (maxClip)
        IntersectRect(&clip, &clip, &limitRect);
    return TRUE;
}

void CXTPMarkupFrameworkElement::OnPropertyChanged(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* oldValue,
                                                   CXTPMarkupObject* newValue)
{
    CXTPMarkupUIElement::OnPropertyChanged(property, oldValue, newValue);
    UpdateTriggers(property, newValue);
    const DWORD flags = property ? property->GetFlags() : 0;
    if (flags & CXTPMarkupPropertyMetadata::flagAffectsMeasure)
        InvalidateMeasure();
    if (flags & CXTPMarkupPropertyMetadata::flagAffectsArrange)
        InvalidateArrange();
    if (flags & CXTPMarkupPropertyMetadata::flagAffectsRender)
        InvalidateVisual();
}
