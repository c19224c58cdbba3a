#pragma once
// A panel that places each child at its desired size where its attached "Left"/"Top" (or, when
// those are unset, "Right"/"Bottom") say. The canvas asks for no room of its own. The attached
// values have no metadata: changing them does not lay the canvas out again by itself.

#include "toolkit/markup/XTPMarkupPanel.h"

class CXTPMarkupCanvas : public CXTPMarkupPanel {
    DECLARE_MARKUPCLASS(CXTPMarkupCanvas)
public:
    CXTPMarkupCanvas() = default;

    static void SetLeft(CXTPMarkupObject* element, int value);
    static void SetTop(CXTPMarkupObject* element, int value);
    static void SetRight(CXTPMarkupObject* element, int value);
    static void SetBottom(CXTPMarkupObject* element, int value);

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;

    static CXTPMarkupDependencyProperty* m_pTopProperty;
    static CXTPMarkupDependencyProperty* m_pRightProperty;
    static CXTPMarkupDependencyProperty* m_pLeftProperty;
    static CXTPMarkupDependencyProperty* m_pBottomProperty;
    static void RegisterMarkupClass();
};
