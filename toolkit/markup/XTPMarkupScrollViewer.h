#pragma once
// A viewport over one content element that scrolls it vertically and horizontally. The viewer
// makes its scroll bars (and the gripper between two of them) only while its visibilities ask for
// them, clips the content to its box and keeps both offsets within the content's overflow.

#include "toolkit/markup/XTPMarkupControl.h"

class CXTPMarkupScrollBar;
class CXTPMarkupScrollBarGripper;

class CXTPMarkupScrollViewer : public CXTPMarkupContentControl {
    DECLARE_MARKUPCLASS(CXTPMarkupScrollViewer)
public:
    enum ScrollBarVisibility { visibilityDisabled = 0, visibilityAuto = 1, visibilityVisible = 2 };
    // Orientations as the bars give them.
    static constexpr int kHorizontal = 0;
    static constexpr int kVertical = 1;
    // The step of one wheel message, whatever its delta.
    static constexpr int kWheelStep = 48;

    CXTPMarkupScrollViewer();

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;
    void OnMouseWheel(CXTPMarkupMouseWheelEventArgs* args) override;

    // Content first, then the bars and the gripper, so those draw over it and are hit first.
    int GetVisualChildrenCount() const override;
    CXTPMarkupVisual* GetVisualChild(int index) const override;

    // The bar of that orientation, made when missing; lent.
    CXTPMarkupScrollBar* EnsureScrollBar(int orientation);
    int GetScrollOffset(int orientation) const;
    // The largest offset the bar's scroll information allows; 0 without the bar.
    int GetMaxScrollOffset(int orientation) const;
    // Clamped to 0..maximum once the viewer is laid out; a change arranges again.
    void SetScrollOffset(int orientation, int offset);
    // A scroll command (SB_LINEUP .. SB_BOTTOM) along an axis; nothing without that bar.
    void Scroll(int orientation, int command, int position);

    ScrollBarVisibility GetVerticalScrollBarVisibility() const;
    ScrollBarVisibility GetHorizontalScrollBarVisibility() const;

    // Lent; null while absent.
    CXTPMarkupScrollBar* GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
    CXTPMarkupScrollBar* GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }
    CXTPMarkupScrollBarGripper* GetGripper() const { return m_pGripper; }

    static CXTPMarkupDependencyProperty* m_pVerticalScrollBarVisibilityProperty;
    static CXTPMarkupDependencyProperty* m_pHorizontalScrollBarVisibilityProperty;
    static void RegisterMarkupClass();

protected:
    ~CXTPMarkupScrollViewer() override;

private:
    void DropScrollBar(int orientation);
    void DropGripper();
    int BarWidth() const;
    int BarHeight() const;

    CXTPMarkupScrollBar* m_pVerticalScrollBar = nullptr;   // one reference
    CXTPMarkupScrollBar* m_pHorizontalScrollBar = nullptr; // one reference
    CXTPMarkupScrollBarGripper* m_pGripper = nullptr;      // one reference
    int m_xOffset = 0;
    int m_yOffset = 0;
};
