#pragma once
// Framework elements: layout with margins, alignment and size limits on top of the UI element's
// two passes. Derived classes size their content in MeasureOverride and place it in
// ArrangeOverride; MeasureCore and ArrangeCore wrap those with the margin, the Width/Height
// limits and the alignment, and note when the content overflows its slot so that it is clipped.

#include "toolkit/markup/XTPMarkupUIElement.h"

class CXTPMarkupThickness;

class CXTPMarkupFrameworkElement : public CXTPMarkupUIElement {
    DECLARE_MARKUPCLASS(CXTPMarkupFrameworkElement)
public:
    enum HorizontalAlignment { alignLeft = 0, alignCenter = 1, alignRight = 2, alignStretch = 3 };
    enum VerticalAlignment { alignTop = 0, alignVCenter = 1, alignBottom = 2, alignVStretch = 3 };

    CXTPMarkupFrameworkElement() = default;

    // The content's size for the space given (margins already taken off); 0 x 0 by default.
    virtual SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight);
    // Places the content in the size given; answers the size actually used.
    virtual SIZE ArrangeOverride(int finalWidth, int finalHeight);

    void OnPropertyChanged(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* oldValue,
                           CXTPMarkupObject* newValue) override;
    BOOL GetLayoutClip(RECT& clip) const override;
    void ArrangeCore(const RECT& rect) override;
    SIZE MeasureCore(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;

    // Typed access to the properties. Unset lengths answer their defaults (Auto for Width and
    // Height, 0 for the minimums, unbounded for the maximums).
    void SetMargin(int left, int top, int right, int bottom);
    const CXTPMarkupThickness* GetMargin() const;
    void SetWidth(int width);
    void SetHeight(int height);
    void SetMinWidth(int width);
    void SetMinHeight(int height);
    void SetMaxWidth(int width);
    void SetMaxHeight(int height);
    void SetHorizontalAlignment(HorizontalAlignment alignment);
    void SetVerticalAlignment(VerticalAlignment alignment);
    HorizontalAlignment GetHorizontalAlignment() const;
    VerticalAlignment GetVerticalAlignment() const;

    BOOL NeedsClipBounds() const { return m_bNeedsClipBounds; }

    static CXTPMarkupDependencyProperty* m_pMarginProperty;
    static CXTPMarkupDependencyProperty* m_pHorizontalAlignmentProperty;
    static CXTPMarkupDependencyProperty* m_pVerticalAlignmentProperty;
    static CXTPMarkupDependencyProperty* m_pWidthProperty;
    static CXTPMarkupDependencyProperty* m_pHeightProperty;
    static CXTPMarkupDependencyProperty* m_pMinWidthProperty;
    static CXTPMarkupDependencyProperty* m_pMinHeightProperty;
    static CXTPMarkupDependencyProperty* m_pMaxWidthProperty;
    static CXTPMarkupDependencyProperty* m_pMaxHeightProperty;
    static CXTPMarkupDependencyProperty* m_pTagProperty;
    static void RegisterMarkupClass();

protected:
    // Reads the size limits from Width, Height and their minimums and maximums.
    void UpdateMinMax();
    // Where ink of the given size sits in the client box by the element's alignment.
    POINT ComputeAlignmentOffset(int clientWidth, int clientHeight, int inkWidth, int inkHeight) const;

    BOOL m_bNeedsClipBounds = FALSE;
    SIZE m_szUnclippedDesiredSize = {0, 0};
    BOOL m_bUnclippedDesiredSizeValid = FALSE;
    struct MinMax {
        int maxHeight = XTP_MARKUP_UNBOUNDED;
        int minHeight = 0;
        int maxWidth = XTP_MARKUP_UNBOUNDED;
        int minWidth = 0;
    } m_minMax;
};
