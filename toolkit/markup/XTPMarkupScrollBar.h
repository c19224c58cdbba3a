#pragma once
// The scroll bars a scroll viewer makes for itself: windowless bars that compute their own
// geometry, draw with the "SCROLLBAR" visual style or classic frame controls, and track a press
// in a modal loop with auto-repeat. The geometry record is the toolkit's own windowless scroll-bar
// record, so the toolkit's helpers (the thumb's tracking limits) read it unchanged. The gripper
// fills the corner between two bars.

#include "toolkit/foundation/XTPScrollBase.h"
#include "toolkit/markup/XTPMarkupControl.h"

class CXTPMarkupScrollBar : public CXTPMarkupControl {
    DECLARE_MARKUPCLASS(CXTPMarkupScrollBar)
public:
    enum Orientation { orientationHorizontal = 0, orientationVertical = 1 };
    // Hit codes of the parts (also the hot part and, while tracking, the pressed one).
    enum Part {
        partNone = 0,
        partFirstArrow = 60,
        partSecondArrow = 61,
        partTrackBefore = 62,
        partTrackAfter = 63,
        partThumb = 64,
    };
    // The repeat timer of the tracking loop, set on the host window.
    static constexpr UINT_PTR kRepeatTimerId = 63345;
    // The step of one line command.
    static constexpr int kLineStep = 16;

    CXTPMarkupScrollBar() = default;

    void OnMouseLeave(CXTPMarkupMouseEventArgs* args) override;
    void OnMouseEnter(CXTPMarkupMouseEventArgs* args) override;
    void OnMouseMove(CXTPMarkupMouseEventArgs* args) override;
    void OnMouseLeftButtonUp(CXTPMarkupMouseButtonEventArgs* args) override;
    void OnMouseLeftButtonDown(CXTPMarkupMouseButtonEventArgs* args) override;
    void OnRender(CXTPMarkupDrawingContext* dc) override;
    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;

    int GetOrientation() const { return m_nOrientation; }
    void SetOrientation(int orientation) { m_nOrientation = orientation; }

    // Stores the record and marks the bar for a new arrange only when the maximum, the page or the
    // position changed, so an unchanged viewer does not recompute the geometry.
    void SetScrollInfo(const SCROLLINFO& info);
    const SCROLLINFO& GetScrollInfo() const { return m_scrollInfo; }
    // Fills the geometry for the bar's rectangle (bar coordinates).
    void CalcScrollBarInfo(const RECT& rect);
    // The part at a point in bar coordinates; partNone when the bar cannot scroll.
    int HitTest(POINT point) const;
    // Asks the viewer that owns the bar to scroll along the bar's axis.
    void DoScroll(int command, int position);
    // Whether the range exceeds the page.
    BOOL IsScrollable() const;
    // The position for a thumb pixel along the axis.
    int PositionFromPixel(int pixel) const;

    const SCROLLBARPOSINFO& GetGeometry() const { return m_spi; }
    const SCROLLBARTRACKINFO* GetTrackInfo() const { return m_pSBTrack; }
    // How many tracking loops run on this thread now.
    static int GetTrackingDepth();

    // The desktop's answer to WM_CTLCOLORSCROLLBAR for the DC, or the system scroll-bar brush when
    // it gives none: a classic track is never filled with a null brush.
    static HBRUSH GetClassicTrackBrush(HDC dc);

protected:
    // Runs the modal tracking of a press at point (bar coordinates) on the host window.
    void TrackMouse(HWND host, POINT point, BOOL shift);

private:
    int Along(POINT point) const { return m_spi.fVert ? point.y : point.x; }
    RECT MakeRect(int from, int to) const;
    POINT ToBar(HWND host, POINT screen) const;
    void RepeatStep(UINT message, POINT point);
    void TimerStep();
    void DragStep(UINT message, POINT point);
    void EndTracking();
    void DrawThemed(HDC dc, CXTPWinThemeWrapper& theme, const RECT parts[6], int hot, int pressed);
    void DrawClassic(HDC dc, const RECT parts[6], int pressed);

    int m_nOrientation = orientationVertical;
    SCROLLBARPOSINFO m_spi = {};
    SCROLLBARTRACKINFO* m_pSBTrack = nullptr; // owned while TrackMouse runs
    SCROLLINFO m_scrollInfo = {sizeof(SCROLLINFO), 0, 0, 0, 0, 0, 0};
};

// Fills the corner between a vertical and a horizontal bar. It keeps its visual offset at (0, 0),
// so it draws its final rectangle in the viewer's coordinates.
class CXTPMarkupScrollBarGripper : public CXTPMarkupUIElement {
    DECLARE_MARKUPCLASS(CXTPMarkupScrollBarGripper)
public:
    CXTPMarkupScrollBarGripper() = default;
    void OnRender(CXTPMarkupDrawingContext* dc) override;
    // The render box reaches the corner (its offset stays 0), so a repaint of the corner alone
    // still draws the gripper; hits count only on the corner itself, never over the content.
    void ArrangeCore(const RECT& rect) override;
    CXTPMarkupInputElement* InputHitTest(int x, int y) const override;
};
