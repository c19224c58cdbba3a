#pragma once
// A panel that lines its children up along its orientation (Horizontal by default) and starts a
// new line when the next child no longer fits. "ItemWidth" and "ItemHeight", when set, give every
// child the same slot.

#include "toolkit/markup/XTPMarkupStackPanel.h"

#include <vector>

class CXTPMarkupWrapPanel : public CXTPMarkupPanel {
    DECLARE_MARKUPCLASS(CXTPMarkupWrapPanel)
public:
    CXTPMarkupWrapPanel() = default;

    XTPMarkupOrientation GetOrientation() const;
    void SetOrientation(XTPMarkupOrientation orientation);
    void SetItemWidth(int width);
    void SetItemHeight(int height);

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;

    static CXTPMarkupDependencyProperty* m_pOrientationProperty;
    static CXTPMarkupDependencyProperty* m_pItemHeightProperty;
    static CXTPMarkupDependencyProperty* m_pItemWidthProperty;
    static void RegisterMarkupClass();

private:
    struct Line {
        int first;     // index of the first child
        int end;       // one past the last
        int length;    // along the orientation
        int thickness; // across it
    };
    // The children broken into lines no longer than limit (an overlong child alone on its line).
    std::vector<Line> BreakLines(int limit) const;
    // A child's slot: ItemWidth/ItemHeight when set, else its desired size; as (length, thickness).
    SIZE GetItemSize(const CXTPMarkupUIElement* child) const;
};
