#pragma once
// A panel that docks each child to one of its edges ("Dock", attached: Left by default), in
// collection order, each in the space the earlier ones left; with "LastChildFill" (the default)
// the last child fills what remains.

#include "toolkit/markup/XTPMarkupPanel.h"

enum XTPMarkupDock { xtpMarkupDockLeft = 0, xtpMarkupDockTop = 1, xtpMarkupDockRight = 2, xtpMarkupDockBottom = 3 };

class CXTPMarkupDockPanel : public CXTPMarkupPanel {
    DECLARE_MARKUPCLASS(CXTPMarkupDockPanel)
public:
    CXTPMarkupDockPanel() = default;

    static int GetDock(const CXTPMarkupObject* element);
    static void SetDock(CXTPMarkupObject* element, int dock);
    BOOL GetLastChildFill() const;
    void SetLastChildFill(BOOL fill);

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;

    static CXTPMarkupDependencyProperty* m_pLastChildFillProperty;
    static CXTPMarkupDependencyProperty* m_pDockProperty;
    static void RegisterMarkupClass();

private:
    static void OnDockChanged(CXTPMarkupObject* object, CXTPMarkupPropertyChangedEventArgs* e);
};
