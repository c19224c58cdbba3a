#include "toolkit/markup/XTPMarkupScrollViewer.h"

#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupDependencyProperty.h"
#include "toolkit/markup/XTPMarkupScrollBar.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>

IMPLEMENT_MARKUPCLASS(L"ScrollViewer", CXTPMarkupScrollViewer, CXTPMarkupContentControl,
                      &CreateMarkupObject<CXTPMarkupScrollViewer>, &CXTPMarkupScrollViewer::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupScrollViewer::m_pVerticalScrollBarVisibilityProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupScrollViewer::m_pHorizontalScrollBarVisibilityProperty = nullptr;

namespace {

bool IsBounded(int length)
{
    return !IsMarkupUnbounded(length);
}

} // namespace

void CXTPMarkupScrollViewer::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    // No defaults: an unset vertical visibility reads as Visible, an unset horizontal one as
    // Disabled.
    m_pVerticalScrollBarVisibilityProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"VerticalScrollBarVisibility", CXTPMarkupEnum::MarkupType(), MarkupType(),
        new Metadata(nullptr, &MarkupConvertScrollBarVisibility, Metadata::flagAffectsMeasure));
    m_pHorizontalScrollBarVisibilityProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"HorizontalScrollBarVisibility", CXTPMarkupEnum::MarkupType(), MarkupType(),
        new Metadata(nullptr, &MarkupConvertScrollBarVisibility, Metadata::flagAffectsMeasure));
}

CXTPMarkupScrollViewer::CXTPMarkupScrollViewer()
{
    SetValue(m_pClipToBoundsProperty, MarkupTrue());
}

CXTPMarkupScrollViewer::~CXTPMarkupScrollViewer()
{
    DropScrollBar(kVertical);
    DropScrollBar(kHorizontal);
    DropGripper();
}

CXTPMarkupScrollViewer::ScrollBarVisibility CXTPMarkupScrollViewer::GetVerticalScrollBarVisibility() const
{
    const CXTPMarkupEnum* value = MarkupDynamicCast<CXTPMarkupEnum>(GetValue(m_pVerticalScrollBarVisibilityProperty));
    return value ? static_cast<ScrollBarVisibility>(static_cast<int>(*value)) : visibilityVisible;
}

CXTPMarkupScrollViewer::ScrollBarVisibility CXTPMarkupScrollViewer::GetHorizontalScrollBarVisibility() const
{
    const CXTPMarkupEnum* value =
        MarkupDynamicCast<CXTPMarkupEnum>(GetValue(m_pHorizontalScrollBarVisibilityProperty));
    return value ? static_cast<ScrollBarVisibility>(static_cast<int>(*value)) : visibilityDisabled;
}

CXTPMarkupScrollBar* CXTPMarkupScrollViewer::EnsureScrollBar(int orientation)
{
    CXTPMarkupScrollBar*& slot = orientation == kVertical ? m_pVerticalScrollBar : m_pHorizontalScrollBar;
    if (slot)
        return slot;
    CXTPMarkupType* type = CXTPMarkupScrollBar::MarkupType();
    CXTPMarkupObject* made = m_pMarkupContext ? m_pMarkupContext->CreateObject(type) : type->CreateObject();
    slot = MarkupDynamicCast<CXTPMarkupScrollBar>(made);
    if (!slot) {
        MarkupRelease(made);
        return nullptr;
    }
    slot->SetOrientation(orientation == kVertical ? CXTPMarkupScrollBar::orientationVertical
                                                  : CXTPMarkupScrollBar::orientationHorizontal);
    slot->SetLogicalParent(this);
    return slot;
}

void CXTPMarkupScrollViewer::DropScrollBar(int orientation)
{
    CXTPMarkupScrollBar*& slot = orientation == kVertical ? m_pVerticalScrollBar : m_pHorizontalScrollBar;
    if (!slot)
        return;
    CXTPMarkupScrollBar* bar = slot;
    slot = nullptr;
    if (bar->GetLogicalParent() == this)
        bar->SetLogicalParent(nullptr);
    bar->Release();
}

void CXTPMarkupScrollViewer::DropGripper()
{
    if (!m_pGripper)
        return;
    CXTPMarkupScrollBarGripper* gripper = m_pGripper;
    m_pGripper = nullptr;
    if (gripper->GetLogicalParent() == this)
        gripper->SetLogicalParent(nullptr);
    gripper->Release();
}

int CXTPMarkupScrollViewer::BarWidth() const
{
    return m_pVerticalScrollBar ? m_pVerticalScrollBar->GetDesiredSize().cx : 0;
}

int CXTPMarkupScrollViewer::BarHeight() const
{
    return m_pHorizontalScrollBar ? m_pHorizontalScrollBar->GetDesiredSize().cy : 0;
}

int CXTPMarkupScrollViewer::GetVisualChildrenCount() const
{
    return (GetContent() ? 1 : 0) + (m_pVerticalScrollBar ? 1 : 0) + (m_pHorizontalScrollBar ? 1 : 0) +
           (m_pGripper ? 1 : 0);
}

CXTPMarkupVisual* CXTPMarkupScrollViewer::GetVisualChild(int index) const
{
    CXTPMarkupVisual* children[] = {GetContent(), m_pVerticalScrollBar, m_pHorizontalScrollBar, m_pGripper};
    for (CXTPMarkupVisual* child : children) {
        if (!child)
            continue;
        if (index == 0)
            return child;
        --index;
    }
    return nullptr;
}

SIZE CXTPMarkupScrollViewer::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    CXTPMarkupUIElement* content = GetContent();
    if (!content)
        return SIZE{0, 0};

    ScrollBarVisibility vertical = GetVerticalScrollBarVisibility();
    ScrollBarVisibility horizontal = GetHorizontalScrollBarVisibility();
    int widthLimit = horizontal != visibilityDisabled ? XTP_MARKUP_UNBOUNDED : availableWidth;
    int heightLimit = XTP_MARKUP_UNBOUNDED;

    if (vertical == visibilityAuto) {
        content->Measure(dc, widthLimit, XTP_MARKUP_UNBOUNDED);
        if (content->GetDesiredSize().cy > availableHeight) {
            vertical = visibilityVisible;
        } else {
            heightLimit = XTP_MARKUP_UNBOUNDED;
            DropScrollBar(kVertical);
            m_yOffset = 0;
        }
    }
    if (vertical == visibilityDisabled) {
        heightLimit = availableHeight;
        DropScrollBar(kVertical);
        m_yOffset = 0;
    } else if (vertical == visibilityVisible) {
        if (CXTPMarkupScrollBar* bar = EnsureScrollBar(kVertical)) {
            bar->Measure(dc, availableWidth, availableHeight);
            if (IsBounded(widthLimit))
                widthLimit = std::max<int>(0, widthLimit - bar->GetDesiredSize().cx);
        }
        heightLimit = XTP_MARKUP_UNBOUNDED;
    }

    if (horizontal == visibilityAuto) {
        content->Measure(dc, widthLimit, heightLimit);
        if (content->GetDesiredSize().cx > availableWidth - BarWidth())
            horizontal = visibilityVisible;
    }
    if (horizontal == visibilityVisible) {
        if (CXTPMarkupScrollBar* bar = EnsureScrollBar(kHorizontal)) {
            bar->Measure(dc, availableWidth, availableHeight);
            if (IsBounded(heightLimit))
                heightLimit = std::max<int>(0, heightLimit - bar->GetDesiredSize().cy);
        }
    } else {
        DropScrollBar(kHorizontal);
        m_xOffset = 0;
    }

    if (m_pVerticalScrollBar && m_pHorizontalScrollBar) {
        if (!m_pGripper) {
            CXTPMarkupType* type = CXTPMarkupScrollBarGripper::MarkupType();
            CXTPMarkupObject* made = m_pMarkupContext ? m_pMarkupContext->CreateObject(type) : type->CreateObject();
            m_pGripper = MarkupDynamicCast<CXTPMarkupScrollBarGripper>(made);
            if (m_pGripper)
                m_pGripper->SetLogicalParent(this);
            else
                MarkupRelease(made);
        }
    } else {
        DropGripper();
    }

    content->Measure(dc, widthLimit, heightLimit);
    const SIZE wanted = content->GetDesiredSize();
    return SIZE{std::min<int>(availableWidth, BarWidth() + wanted.cx), std::min<int>(availableHeight, BarHeight() + wanted.cy)};
}

SIZE CXTPMarkupScrollViewer::ArrangeOverride(int finalWidth, int finalHeight)
{
    CXTPMarkupUIElement* content = GetContent();
    if (!content)
        return SIZE{finalWidth, finalHeight};

    const int viewportWidth = finalWidth - BarWidth();
    const int viewportHeight = finalHeight - BarHeight();
    const SIZE wanted = content->GetDesiredSize();

    if (m_pVerticalScrollBar) {
        // Content that shrank pulls the offset back so its end stays at the viewport's end.
        if (m_yOffset > 0 && wanted.cy < viewportHeight + m_yOffset)
            m_yOffset = std::max<int>(0, wanted.cy - viewportHeight);
        SCROLLINFO info = {sizeof(SCROLLINFO), SIF_ALL, 0, wanted.cy - 1, static_cast<UINT>(std::max<int>(0, viewportHeight)),
                           m_yOffset, 0};
        m_pVerticalScrollBar->SetScrollInfo(info);
        const int width = m_pVerticalScrollBar->GetDesiredSize().cx;
        m_pVerticalScrollBar->Arrange(RECT{finalWidth - width, 0, finalWidth, viewportHeight});
    }
    if (m_pHorizontalScrollBar) {
        if (m_xOffset > 0 && wanted.cx < viewportWidth + m_xOffset)
            m_xOffset = std::max<int>(0, wanted.cx - viewportWidth);
        SCROLLINFO info = {sizeof(SCROLLINFO), SIF_ALL, 0, wanted.cx - 1, static_cast<UINT>(std::max<int>(0, viewportWidth)),
                           m_xOffset, 0};
        m_pHorizontalScrollBar->SetScrollInfo(info);
        const int height = m_pHorizontalScrollBar->GetDesiredSize().cy;
        m_pHorizontalScrollBar->Arrange(RECT{0, finalHeight - height, viewportWidth, finalHeight});
    }
    if (m_pGripper && m_pVerticalScrollBar && m_pHorizontalScrollBar)
        m_pGripper->Arrange(RECT{finalWidth - BarWidth(), finalHeight - BarHeight(), finalWidth, finalHeight});

    RECT rc = {0, 0, std::max<int>(viewportWidth, wanted.cx), std::max<int>(viewportHeight, wanted.cy)};
    OffsetRect(&rc, -m_xOffset, -m_yOffset);
    content->Arrange(rc);
    return SIZE{finalWidth, finalHeight};
}

int CXTPMarkupScrollViewer::GetScrollOffset(int orientation) const
{
    return orientation == kVertical ? m_yOffset : m_xOffset;
}

int CXTPMarkupScrollViewer::GetMaxScrollOffset(int orientation) const
{
    const CXTPMarkupScrollBar* bar = orientation == kVertical ? m_pVerticalScrollBar : m_pHorizontalScrollBar;
    if (!bar)
        return 0;
    const SCROLLINFO& info = bar->GetScrollInfo();
    return std::max<int>(0, info.nMax - std::max<int>(static_cast<int>(info.nPage) - 1, 0));
}

void CXTPMarkupScrollViewer::SetScrollOffset(int orientation, int offset)
{
    // Before the first arrange (or with one pending) the scroll information is stale; the next
    // arrange pulls the offset back instead.
    if (!m_bArrangeDirty && !m_bNeverArranged)
        offset = std::min<int>(offset, GetMaxScrollOffset(orientation));
    offset = std::max<int>(offset, 0);
    int& stored = orientation == kVertical ? m_yOffset : m_xOffset;
    if (offset == stored)
        return;
    stored = offset;
    InvalidateArrange();
}

void CXTPMarkupScrollViewer::Scroll(int orientation, int command, int position)
{
    const CXTPMarkupScrollBar* bar = orientation == kVertical ? m_pVerticalScrollBar : m_pHorizontalScrollBar;
    if (!bar)
        return;
    const SCROLLINFO& info = bar->GetScrollInfo();
    const int maximum = GetMaxScrollOffset(orientation);
    int offset = GetScrollOffset(orientation);
    switch (command) {
    case SB_LINEUP:
        offset = std::max<int>(0, offset - CXTPMarkupScrollBar::kLineStep);
        break;
    case SB_LINEDOWN:
        offset = std::min<int>(maximum, offset + CXTPMarkupScrollBar::kLineStep);
        break;
    case SB_PAGEUP:
        offset = std::max<int>(0, offset - static_cast<int>(info.nPage));
        break;
    case SB_PAGEDOWN:
        offset = std::min<int>(maximum, offset + static_cast<int>(info.nPage));
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        offset = position;
        break;
    case SB_TOP:
        offset = 0;
        break;
    case SB_BOTTOM:
        offset = maximum;
        break;
    default:
        break;
    }
    SetScrollOffset(orientation, offset);
}

void CXTPMarkupScrollViewer::OnMouseWheel(CXTPMarkupMouseWheelEventArgs* args)
{
    // One step per message: a high-resolution wheel's small deltas scroll as far as a notch.
    const int step = args->m_nDelta < 0 ? kWheelStep : -kWheelStep;
    SetScrollOffset(kVertical, m_yOffset + step);
    args->SetHandled();
}
