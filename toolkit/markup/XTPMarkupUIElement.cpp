#include "toolkit/markup/XTPMarkupUIElement.h"

#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupValues.h"

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupVisual, CXTPMarkupInputElement, nullptr, nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupUIElement, CXTPMarkupVisual, nullptr, &CXTPMarkupUIElement::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupUIElement::m_pClipToBoundsProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupUIElement::m_pVisibilityProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupUIElement::m_pFocusableProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupUIElement::m_pIsEnabledProperty = nullptr;

// ---- Visual

CXTPMarkupInputElement* CXTPMarkupVisual::InputHitTestOverride(int, int) const
{
    return const_cast<CXTPMarkupVisual*>(this);
}

void CXTPMarkupVisual::OnNotRendered(CXTPMarkupDrawingContext* dc)
{
    const int count = GetVisualChildrenCount();
    for (int i = 0; i < count; ++i) {
        if (CXTPMarkupVisual* child = GetVisualChild(i))
            child->OnNotRendered(dc);
    }
}

CXTPMarkupVisual* CXTPMarkupVisual::GetVisualParent() const
{
    for (CXTPMarkupObject* walk = GetLogicalParent(); walk; walk = walk->GetLogicalParent()) {
        if (CXTPMarkupVisual* visual = MarkupDynamicCast<CXTPMarkupVisual>(walk))
            return visual;
    }
    return nullptr;
}

void CXTPMarkupVisual::UpdateBoundRect()
{
    m_rcBoundRect = {0, 0, m_szRenderSize.cx, m_szRenderSize.cy};
    const int count = GetVisualChildrenCount();
    for (int i = 0; i < count; ++i) {
        CXTPMarkupVisual* child = GetVisualChild(i);
        if (!child)
            continue;
        child->UpdateBoundRect();
        RECT childRect = child->m_rcBoundRect;
        OffsetRect(&childRect, child->m_ptVisualOffset.x, child->m_ptVisualOffset.y);
        UnionRect(&m_rcBoundRect, &m_rcBoundRect, &childRect);
    }
}

void CXTPMarkupVisual::Render(CXTPMarkupDrawingContext* dc)
{
    if (!dc)
        return;
    RECT clipBox = dc->GetClipBox();
    OffsetRect(&clipBox, -m_ptVisualOffset.x, -m_ptVisualOffset.y);
    RECT visible;
    if (!IntersectRect(&visible, &clipBox, &m_rcBoundRect)) {
        OnNotRendered(dc);
        return;
    }
    RECT layoutClip;
    const BOOL clipped = GetLayoutClip(layoutClip);
    if (clipped) {
        if (IsRectEmpty(&layoutClip)) {
            OnNotRendered(dc);
            return;
        }
        IntersectRect(&clipBox, &clipBox, &layoutClip);
        if (!IntersectRect(&visible, &clipBox, &m_rcBoundRect)) {
            OnNotRendered(dc);
            return;
        }
    }

    dc->OffsetViewport(m_ptVisualOffset);
    HRGN savedClip = nullptr;
    if (clipped) {
        savedClip = dc->GetClipRegion();
        dc->IntersectClipRect(layoutClip);
    }

    OnRender(dc);
    const int count = GetVisualChildrenCount();
    for (int i = 0; i < count; ++i) {
        if (CXTPMarkupVisual* child = GetVisualChild(i))
            child->Render(dc);
    }
    const CXTPMarkupBool* focused = MarkupDynamicCast<CXTPMarkupBool>(GetValue(m_pIsKeyboardFocusedProperty));
    if (focused && static_cast<BOOL>(*focused))
        OnRenderFocusVisual(dc);

    if (clipped)
        dc->SelectClipRegion(savedClip);
    dc->OffsetViewport(POINT{-m_ptVisualOffset.x, -m_ptVisualOffset.y});
}

CXTPMarkupInputElement* CXTPMarkupVisual::InputHitTest(int x, int y) const
{
    const POINT point = {x - m_ptVisualOffset.x, y - m_ptVisualOffset.y};
    if (!PtInRect(&m_rcBoundRect, point))
        return nullptr;
    RECT clip;
    if (GetLayoutClip(clip) && !PtInRect(&clip, point))
        return nullptr;
    for (int i = GetVisualChildrenCount() - 1; i >= 0; --i) {
        CXTPMarkupVisual* child = GetVisualChild(i);
        if (!child)
            continue;
        if (CXTPMarkupInputElement* hit = child->InputHitTest(point.x, point.y))
            return hit;
    }
    const RECT renderBox = {0, 0, m_szRenderSize.cx, m_szRenderSize.cy};
    return PtInRect(&renderBox, point) ? InputHitTestOverride(point.x, point.y) : nullptr;
}

// ---- UI element

void CXTPMarkupUIElement::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    CXTPMarkupType* owner = MarkupType();
    m_pClipToBoundsProperty =
        CXTPMarkupDependencyProperty::RegisterProperty(L"ClipToBounds", CXTPMarkupBool::MarkupType(), owner);
    m_pVisibilityProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Visibility", CXTPMarkupEnum::MarkupType(), owner,
        new Metadata(nullptr, &MarkupConvertVisibility, Metadata::flagAffectsMeasure));
    m_pFocusableProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Focusable", CXTPMarkupBool::MarkupType(), owner, new Metadata(MarkupFalse()));
    m_pIsEnabledProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"IsEnabled", CXTPMarkupBool::MarkupType(), owner, new Metadata(MarkupTrue()));
}

CXTPMarkupUIElement::Visibility CXTPMarkupUIElement::GetVisibility() const
{
    const CXTPMarkupEnum* value = MarkupDynamicCast<CXTPMarkupEnum>(GetValue(m_pVisibilityProperty));
    return value ? static_cast<Visibility>(static_cast<int>(*value)) : visibilityVisible;
}

void CXTPMarkupUIElement::Measure(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    if (GetVisibility() == visibilityCollapsed) {
        m_szPreviousAvailable = {availableWidth, availableHeight};
        m_bNeedsRemeasure = TRUE;
        m_bNeverMeasured = FALSE;
        m_szDesiredSize = {0, 0};
        return;
    }
    const BOOL forced = dc && dc->IsRemeasureForced();
    if (!m_bNeedsRemeasure && !m_bNeverMeasured && m_szPreviousAvailable.cx == availableWidth &&
        m_szPreviousAvailable.cy == availableHeight && !forced)
        return;

    m_bArrangeDirty = TRUE;
    m_bMeasureInProgress = TRUE;
    m_bNeverMeasured = FALSE;
    m_szDesiredSize = MeasureCore(dc, availableWidth, availableHeight);
    m_szPreviousAvailable = {availableWidth, availableHeight};
    m_bMeasureInProgress = FALSE;
    m_bNeedsRemeasure = dc && dc->IsRemeasureForced();
}

void CXTPMarkupUIElement::Arrange(const RECT& finalRect)
{
    if (GetVisibility() == visibilityCollapsed) {
        m_rcFinalRect = finalRect;
        m_bNeverArranged = FALSE;
        m_bArrangeDirty = FALSE;
        return;
    }
    if (m_bNeverMeasured) {
        CXTPMarkupDrawingContext dc(m_pMarkupContext);
        Measure(&dc, finalRect.right - finalRect.left, finalRect.bottom - finalRect.top);
    }
    if (m_bArrangeDirty || m_bNeverArranged || !EqualRect(&finalRect, &m_rcFinalRect)) {
        m_bNeverArranged = FALSE;
        m_bArrangeInProgress = TRUE;
        ArrangeCore(finalRect);
        m_bArrangeInProgress = FALSE;
        UpdateBoundRect();
    }
    m_rcFinalRect = finalRect;
    m_bArrangeDirty = FALSE;
}

SIZE CXTPMarkupUIElement::MeasureCore(CXTPMarkupDrawingContext*, int, int)
{
    return SIZE{0, 0};
}

void CXTPMarkupUIElement::ArrangeCore(const RECT& rect)
{
    m_szRenderSize = {rect.right - rect.left, rect.bottom - rect.top};
}

BOOL CXTPMarkupUIElement::GetLayoutClip(RECT& clip) const
{
    const Visibility visibility = GetVisibility();
    if (visibility == visibilityHidden || visibility == visibilityCollapsed) {
        SetRectEmpty(&clip);
        return TRUE;
    }
    return FALSE;
}

void CXTPMarkupUIElement::InvalidateVisual()
{
    // The markup context repaints the element's area in its host window; an element built without
    // a context has no window to repaint.
    if (m_pMarkupContext)
        m_pMarkupContext->InvalidateElement(this);
}

void CXTPMarkupUIElement::InvalidateArrange()
{
    if (m_bArrangeInProgress || m_bNeverArranged)
        return;
    m_bArrangeDirty = TRUE;
    const RECT finalRect = m_rcFinalRect;
    Arrange(finalRect);
    InvalidateVisual();
}

void CXTPMarkupUIElement::InvalidateMeasure()
{
    // RemeasureUpward would return at once; a measuring context is not worth making for that
    // (property changes while a tree is being built all land here).
    if (m_bMeasureInProgress || m_bNeverMeasured)
        return;
    CXTPMarkupDrawingContext dc(m_pMarkupContext);
    RemeasureUpward(&dc);
}

void CXTPMarkupUIElement::RemeasureUpward(CXTPMarkupDrawingContext* dc)
{
    if (m_bMeasureInProgress || m_bNeverMeasured)
        return;
    const SIZE previous = m_szDesiredSize;
    m_bNeedsRemeasure = TRUE;
    m_bArrangeDirty = TRUE;
    Measure(dc, m_szPreviousAvailable.cx, m_szPreviousAvailable.cy);
    if (previous.cx == m_szDesiredSize.cx && previous.cy == m_szDesiredSize.cy) {
        const RECT finalRect = m_rcFinalRect;
        Arrange(finalRect);
        InvalidateVisual();
        return;
    }
    m_bNeedsRemeasure = TRUE;
    m_bArrangeDirty = TRUE;
    if (CXTPMarkupUIElement* parent = MarkupDynamicCast<CXTPMarkupUIElement>(GetVisualParent())) {
        parent->RemeasureUpward(dc);
        return;
    }
    // At the root the markup context repaints the whole host window, which lays the tree out again
    // on its next paint; without a context there is no host to tell.
    if (m_pMarkupContext)
        m_pMarkupContext->InvalidateAll();
}
