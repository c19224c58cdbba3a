#pragma once
// Windowless scroll bars for toolkit objects that draw themselves (galleries, markup scroll
// viewers, the status-bar zoom slider). CXTPScrollBase holds one bar's geometry, hit-tests it
// and runs the modal mouse tracking with auto-repeat; the object that mixes it in supplies the
// rectangle, the scroll information, the scroll action and the redraw. The paint managers draw
// it in the classic, flat and visual-styles looks, or as a zoom slider.

#include "framework/Rect.h"
#include "framework/window/Dc.h"
#include "toolkit/foundation/XTPWinThemeWrapper.h"

#include <windows.h>

#include <memory>

class CWnd;
class CXTPPaintManagerLink;
class CXTPScrollBarPaintManager;

// Hit codes of a scroll bar's parts.
enum XTPScrollBarHit {
    XTP_HTSCROLLNONE = 0,
    XTP_HTSCROLLUP = 60,          // first arrow
    XTP_HTSCROLLDOWN = 61,        // second arrow
    XTP_HTSCROLLUPPAGE = 62,      // track before the thumb
    XTP_HTSCROLLDOWNPAGE = 63,    // track after the thumb
    XTP_HTSCROLLTHUMB = 64,
    XTP_HTSCROLLPOPUP = 65,       // the extra part beyond the track
};

// Timers of the tracking loop, on the tracked window.
constexpr UINT_PTR XTP_TID_SCROLLREPEAT = 23345;
constexpr UINT_PTR XTP_TID_SCROLLANIMATION = 23346;

// The geometry of one bar; the markup scroll bar reads the same layout.
struct SCROLLBARPOSINFO {
    int posMin;
    int posMax;
    int page;
    int pos;
    int pxTop;         // start of the bar along its length
    int pxBottom;      // end of the bar along its length
    int pxLeft;        // edges across
    int pxRight;
    int cpxThumb;      // thumb length
    int pxUpArrow;     // end of the first arrow
    int pxDownArrow;   // start of the second arrow
    int pxStart;       // thumb start when a drag began
    int pxThumbBottom;
    int pxThumbTop;
    int pxPopup;       // start of the extra part (0 = none)
    int cpx;           // free track: track length less the thumb
    int pxMin;         // track start
    RECT rc;           // the bar
    int ht;            // part under the mouse
    BOOL fVert;
};
static_assert(sizeof(SCROLLBARPOSINFO) == 92, "the geometry record is 92 bytes");

// Owned by the tracking loop while it runs.
struct SCROLLBARTRACKINFO {
    BOOL fHitOld;          // still over the part
    RECT rcTrack;          // the part's rectangle
    UINT cmdSB;            // command being repeated, -1 none
    UINT_PTR hTimerSB;
    int dpxThumb;          // offset of the press inside the thumb
    int pxOld;             // last thumb pixel
    int posOld;            // position when the drag began
    int posNew;            // current position
    HWND hWndTrack;
    BOOL bTrackThumb;
    SCROLLBARPOSINFO* pSBInfo;
};

// The tick list of a slider: an owned array and its count, freed by the shared index-array free.
struct TabRowIndex {
    double* items = nullptr;
    int count = 0;
    // Frees the array and sets the field to null.
    static void Free(TabRowIndex& record);
};

class CXTPScrollBase {
public:
    CXTPScrollBase();
    CXTPScrollBase(const CXTPScrollBase&) = delete;
    CXTPScrollBase& operator=(const CXTPScrollBase&) = delete;
    virtual ~CXTPScrollBase();

    virtual BOOL IsScrollBarEnabled() const = 0;
    virtual CWnd* GetParentWindow() const = 0;
    virtual void OnAnimationTick() {}
    virtual CRect GetScrollBarRect() = 0;
    virtual void GetScrollInfo(SCROLLINFO* info) = 0;
    virtual void DoScroll(int command, int position) = 0;
    virtual void RedrawScrollBar() = 0;
    virtual void CalcScrollBarInfo(LPCRECT rect, SCROLLBARPOSINFO* geometry, SCROLLINFO* info);
    virtual CXTPScrollBarPaintManager* GetScrollBarPaintManager() const = 0;

    void RecalcLayout();
    int HitTest(POINT point) const;
    // Runs the modal tracking after a press at point (client coordinates of window).
    void TrackMouse(POINT point, HWND window, SCROLLBARPOSINFO* geometry, BOOL jump = FALSE);
    int GetScrollBarStyle() const;
    void SetScrollBarStyle(int style) { m_nScrollBarStyle = style; }
    CRect CalcThumbTrackLimitRect(const SCROLLBARTRACKINFO& track) const;
    // The position for a thumb pixel.
    int PositionFromPixel(int pixel) const;

    // Ticks of a slider (values in the scroll range).
    void SetTicks(const double* ticks, int count);
    const TabRowIndex& GetTicks() const { return m_ticks; }

    const SCROLLBARPOSINFO& GetGeometry() const { return m_spi; }
    SCROLLBARPOSINFO& GetGeometry() { return m_spi; }
    const SCROLLBARTRACKINFO* GetTrackInfo() const { return m_pSBTrack; }

    // How many tracking loops run on this thread (nested ones count).
    static int GetTrackingDepth();

protected:
    void PartHandler(UINT message, POINT point);
    void ThumbHandler(UINT message, POINT point);
    void OnRepeatTimer();
    void MoveThumb(int pixel);
    void EndTracking(BOOL cancel);
    int Along(POINT point) const { return m_spi.fVert ? point.y : point.x; }
    CRect PartRect(int ht) const;

    SCROLLBARPOSINFO m_spi;
    SCROLLBARTRACKINFO* m_pSBTrack = nullptr;
    int m_nScrollBarStyle = 0;
    BOOL m_bAnimation = FALSE;
    UINT m_nRepeatInterval = 0;
    TabRowIndex m_ticks;
};

class CXTPScrollBarPaintManager {
public:
    explicit CXTPScrollBarPaintManager(CXTPPaintManagerLink* owner = nullptr);
    CXTPScrollBarPaintManager(const CXTPScrollBarPaintManager&) = delete;
    CXTPScrollBarPaintManager& operator=(const CXTPScrollBarPaintManager&) = delete;
    virtual ~CXTPScrollBarPaintManager();

    virtual void DrawScrollBar(CDC* dc, CXTPScrollBase* bar);
    virtual void RefreshMetrics();

    // The owning command-bar paint manager, else the toolkit-wide one.
    CXTPPaintManagerLink* GetOwner() const;

    CXTPPaintManagerLink* m_pPaintManager;    // not owned
    int m_cxHScroll = 0;    // horizontal arrow width
    int m_cyHScroll = 0;    // horizontal arrow height
    int m_cyVScroll = 0;    // vertical arrow height
    int m_cxVScroll = 0;    // vertical arrow width
    int m_nThumbWidth = 0;  // fixed thumb length, 0 = proportional
    std::unique_ptr<CXTPWinThemeWrapper> m_themeScrollBar;
};

class CXTPSliderPaintManager : public CXTPScrollBarPaintManager {
public:
    explicit CXTPSliderPaintManager(CXTPPaintManagerLink* owner = nullptr);
    void DrawScrollBar(CDC* dc, CXTPScrollBase* bar) override;
    void RefreshMetrics() override;
    // The x of a tick value on the narrowed channel, or -1 when it lies outside.
    static int TickPosition(const SCROLLBARPOSINFO& geometry, double value);
};
