#pragma once
// A panel that stacks its children one below the other (Vertical, the default) or side by side
// (Horizontal). Each child gets the panel's whole breadth, or its own when that is larger.

#include "toolkit/markup/XTPMarkupPanel.h"

enum XTPMarkupOrientation { xtpMarkupOrientationHorizontal = 0, xtpMarkupOrientationVertical = 1 };

class CXTPMarkupStackPanel : public CXTPMarkupPanel {
    DECLARE_MARKUPCLASS(CXTPMarkupStackPanel)
public:
    CXTPMarkupStackPanel() = default;

    XTPMarkupOrientation GetOrientation() const;
    void SetOrientation(XTPMarkupOrientation orientation);

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;

    static CXTPMarkupDependencyProperty* m_pOrientationProperty;
    static void RegisterMarkupClass();
};
