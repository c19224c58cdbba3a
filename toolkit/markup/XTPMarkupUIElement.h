#pragma once
// Visuals and UI elements: elements that draw, answer hit tests and take part in the two-pass
// layout. A host (or a panel for its children) calls Measure with the space it offers, then
// Arrange with the rectangle the element is to fill, then Render. Lengths are device pixels; a
// length above XTP_MARKUP_UNBOUNDED_LIMIT is unbounded.
//
// A pass is skipped when its inputs are unchanged, so layout state lives in the elements between
// passes. A change propagates by RemeasureUpward: the element measures again at once and climbs
// only while desired sizes change; where they stop changing, the element re-arranges in place.

#include "toolkit/markup/XTPMarkupConverters.h"
#include "toolkit/markup/XTPMarkupInputElement.h"

class CXTPMarkupDrawingContext;

class CXTPMarkupVisual : public CXTPMarkupInputElement {
    DECLARE_MARKUPCLASS(CXTPMarkupVisual)
public:
    CXTPMarkupVisual() = default;

    virtual int GetVisualChildrenCount() const { return 0; }
    virtual CXTPMarkupVisual* GetVisualChild(int index) const { return nullptr; }
    // A clip in element coordinates for drawing and hit testing; false: none.
    virtual BOOL GetLayoutClip(RECT& clip) const { return FALSE; }
    virtual void OnRender(CXTPMarkupDrawingContext* dc) {}
    virtual void OnRenderFocusVisual(CXTPMarkupDrawingContext* dc) {}
    // Which element a point inside the render box hits; the element itself by default.
    virtual CXTPMarkupInputElement* InputHitTestOverride(int x, int y) const;
    // Called instead of drawing when the element is hidden, collapsed or outside the clip box.
    virtual void OnNotRendered(CXTPMarkupDrawingContext* dc);

    int GetLogicalChildrenCount() const override { return GetVisualChildrenCount(); }
    CXTPMarkupObject* GetLogicalChild(int index) const override { return GetVisualChild(index); }

    // x, y in the visual parent's coordinates.
    CXTPMarkupInputElement* InputHitTest(int x, int y) const override;

    void Render(CXTPMarkupDrawingContext* dc);
    void UpdateBoundRect();
    // The nearest visual among the logical ancestors (a panel's children reach it through the
    // children collection).
    CXTPMarkupVisual* GetVisualParent() const;

    POINT GetVisualOffset() const { return m_ptVisualOffset; }
    SIZE GetRenderSize() const { return m_szRenderSize; }
    const RECT& GetBoundRect() const { return m_rcBoundRect; }

protected:
    POINT m_ptVisualOffset = {0, 0};
    SIZE m_szRenderSize = {0, 0};
    RECT m_rcBoundRect = {0, 0, 0, 0};
};

class CXTPMarkupUIElement : public CXTPMarkupVisual {
    DECLARE_MARKUPCLASS(CXTPMarkupUIElement)
public:
    enum Visibility { visibilityVisible = 0, visibilityHidden = 1, visibilityCollapsed = 2 };

    CXTPMarkupUIElement() = default;

    virtual void InvalidateArrange();
    virtual void InvalidateVisual();
    virtual void InvalidateMeasure();
    // rect in the visual parent's coordinates.
    virtual void ArrangeCore(const RECT& rect);
    virtual SIZE MeasureCore(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight);
    virtual void RemeasureUpward(CXTPMarkupDrawingContext* dc);

    BOOL GetLayoutClip(RECT& clip) const override;

    // dc may be null (no remeasure is then forced).
    void Measure(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight);
    void Arrange(const RECT& finalRect);

    SIZE GetDesiredSize() const { return m_szDesiredSize; }
    const RECT& GetFinalRect() const { return m_rcFinalRect; }
    Visibility GetVisibility() const;
    BOOL IsVisible() const { return GetVisibility() == visibilityVisible; }

    static CXTPMarkupDependencyProperty* m_pClipToBoundsProperty;
    static CXTPMarkupDependencyProperty* m_pVisibilityProperty;
    static CXTPMarkupDependencyProperty* m_pFocusableProperty;
    static CXTPMarkupDependencyProperty* m_pIsEnabledProperty;
    static void RegisterMarkupClass();

protected:
    SIZE m_szDesiredSize = {0, 0};
    RECT m_rcFinalRect = {0, 0, 0, 0};
    BOOL m_bNeedsRemeasure = FALSE;   // the next Measure runs even with the same space
    BOOL m_bNeverMeasured = TRUE;
    SIZE m_szPreviousAvailable = {0, 0};
    BOOL m_bArrangeDirty = FALSE;     // measured since the last Arrange
    BOOL m_bNeverArranged = TRUE;
    BOOL m_bArrangeInProgress = FALSE;
    BOOL m_bMeasureInProgress = FALSE;
};
