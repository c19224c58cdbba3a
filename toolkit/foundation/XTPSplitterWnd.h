#pragma once
// CXTPSplitterWnd: the framework's splitter with themed drawing, full-window dragging of the bars,
// a choice of tracker, fixed bars, one hidden row and one hidden column, and exchange of the view
// in a pane.
//
// Full-window drag: while the desktop shows window contents during drags (and style bit 2 is
// clear), dragging a bar applies the new sizes at every mouse move instead of drawing a tracker:
// each move ends the framework's tracking with accept and starts it again at the bar's new place.
// The two split boxes of a dynamic splitter keep the inverted tracker, so WM_LBUTTONDOWN records
// the pressed hit code before the framework starts tracking. The desktop setting is read through
// a replaceable reader (SetFullDragReader), at construction and on WM_SETTINGCHANGE.
//
// Hidden panes stay alive under parked ids: a hidden column's pane of real row r takes the id of
// column N (the column count before hiding) in row r; a hidden row's pane of real column c takes
// the id of row N in column c. "Real" counts the hidden row or column too. HideColumn, HideRow,
// ShowColumn and ShowRow check every pane they will move before changing any id or count: a
// missing pane makes them answer FALSE with the splitter unchanged.

#include "framework/window/Splitter.h"

#include <windows.h>

#include <functional>
#include <vector>

class CXTPSplitterWndTheme;

// Style bits of SetSplitterStyle.
constexpr DWORD XTP_SPLIT_DOTTRACKER = 0x0001;   // the tracker is a focus rectangle
constexpr DWORD XTP_SPLIT_NOFULLDRAG = 0x0002;   // never drag the full window
constexpr DWORD XTP_SPLIT_NOBORDER = 0x0004;     // flat pane borders (no 3D edges)
constexpr DWORD XTP_SPLIT_NOSIZE = 0x0008;       // fixed bars: WM_NCHITTEST answers HTBORDER

class CXTPSplitterWnd : public CSplitterWnd {
    DECLARE_DYNAMIC(CXTPSplitterWnd)
public:
    // Answers whether the desktop shows window contents while dragging.
    using FullDragReader = std::function<BOOL()>;

    CXTPSplitterWnd();
    ~CXTPSplitterWnd() override;
    CXTPSplitterWnd(const CXTPSplitterWnd&) = delete;
    CXTPSplitterWnd& operator=(const CXTPSplitterWnd&) = delete;

    // Shows the hidden column again in its old place and width; TRUE also when none is hidden.
    virtual BOOL ShowColumn();
    // Hides column nCol (showing a column hidden before first); FALSE for a bad index, for the
    // last visible column, or when a pane is missing.
    virtual BOOL HideColumn(int nCol);
    virtual BOOL ShowRow();
    virtual BOOL HideRow(int nRow);
    // The pane's window and pWnd exchange their ids and both are shown (SW_SHOW); FALSE when
    // pWnd already is the pane's window or the pane is empty.
    virtual BOOL SwitchView(int nRow, int nCol, CWnd* pWnd);
    // Makes a view of pViewClass (a CView class) in the pane's place, showing the old view's
    // document. Answers the old view, hidden, with id 0 and still alive (the caller owns it);
    // null when the pane already shows that class or the new view could not be made, and then
    // nothing changed and no new view object is left behind.
    virtual CWnd* ReplaceView(int nRow, int nCol, const CRuntimeClass* pViewClass);
    // Puts pWnd in the pane's place; answers the old window (hidden, id 0) or null when pWnd
    // already is the pane's window or the pane is empty.
    virtual CWnd* ReplaceView(int nRow, int nCol, CWnd* pWnd);
    virtual void SetSplitterStyle(DWORD dwStyle);
    virtual DWORD GetSplitterStyle() const;
    // TRUE selects theme 4, FALSE theme 3; both are the Office XP look for a splitter.
    virtual void EnableFlatLook(BOOL bFlatLook);
    virtual void RefreshMetrics();
    // Draws or erases (the drawing is its own inverse) the tracking feedback for rect.
    virtual void DrawTracker(const CRect& rect, HBRUSH hBrush);

    // The name the application's panels use for EnableFlatLook.
    void SetFlatLook(BOOL bFlatLook) { EnableFlatLook(bFlatLook); }

    BOOL SetTheme(int nTheme);
    // Takes the caller's reference to pTheme (null leaves the splitter without a theme: the
    // framework's drawing). Answers whether a theme is set.
    BOOL SetTheme(CXTPSplitterWndTheme* pTheme);
    CXTPSplitterWndTheme* GetTheme() const { return m_pTheme; }

    // Replaces the reader of the desktop's full-drag setting and reads it at once.
    void SetFullDragReader(FullDragReader reader);
    // Whether the current or next tracking drags the full window.
    BOOL IsFullDragActive() const;

    int GetHiddenColumn() const { return m_nHiddenCol; }
    int GetHiddenRow() const { return m_nHiddenRow; }
    BOOL IsBorder3D() const { return m_bBorder3D; }

    // Overridden framework operations.
    void OnDrawSplitter(CDC* pDC, ESplitType nType, const CRect& rect) override;
    void OnInvertTracker(const CRect& rect) override;
    void SetActivePane(int row, int col, CWnd* pWnd = nullptr) override;
    void SetSplitCursor(int ht) override;
    void StartTracking(int ht) override;
    void StopTracking(BOOL bAccept) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    // Whether a hit code names a bar, box or crossing that exists now.
    BOOL IsLiveHitCode(int ht) const;
    void PaintTo(CDC* pDC);
    void RedrawNow();

    void OnMouseMove(UINT nFlags, CPoint pt);
    LRESULT OnNcHitTest(CPoint point);
    LRESULT OnSetTheme(WPARAM wParam, LPARAM lParam);

    int m_nHiddenCol = -1;
    int m_nHiddenRow = -1;
    int m_nFullDrag = -1;           // -1: follow the desktop; 0: never drag the full window
    BOOL m_bSysFullDrag = FALSE;    // the desktop's setting, as last read
    BOOL m_bDottedTracker = FALSE;  // style bit 1
    BOOL m_bFixedBars = FALSE;      // style bit 8
    BOOL m_bBorder3D = TRUE;        // cleared by style bit 4
    CPoint m_ptLastDrag{-1, -1};    // the last clamped point a full-window drag redrew at
    CXTPSplitterWndTheme* m_pTheme = nullptr;   // owned (one reference)
    FullDragReader m_fullDragReader;

    DECLARE_MESSAGE_MAP()
};
