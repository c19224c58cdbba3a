#pragma once
// CSplitterWnd: panes in rows and columns with bars between them that the user drags.
//
// A static splitter (CreateStatic) has a fixed grid; each pane is made by CreateView (a view of a
// runtime class, with its first size) or is another splitter made with this one as its parent and
// IdFromRowCol as its id. Pane ids are AFX_IDW_PANE_FIRST + 16 * row + column. A dynamic splitter
// (Create) starts with one pane and up to 2 x 2: the split boxes at the ends of the shared scroll
// bars, dragged into the window, split it (SplitRow, SplitColumn make views of the creation
// context's class); a bar dragged until a pane is smaller than its minimum deletes that row or
// column again.
//
// Dragging shows an inverted tracker over the window until the button is released; the row or
// column before the bar then gets the tracker's position as its ideal size and the layout runs.
// Hit codes: 1-3 the split boxes (vertical, horizontal, both), 101 + row for the bar below a row,
// 201 + column for the bar right of a column, 301 + 15 * row + column for their crossing.
// Sizes are those of the panes' windows, without the splitter's borders around them.

#include "framework/window/FrameWnd.h"

#include <vector>

constexpr DWORD SPLS_DYNAMIC_SPLIT = 0x0100;
constexpr DWORD SPLS_INVERT_TRACKER = 0x0200;

class CSplitterWnd : public CWnd {
    DECLARE_DYNAMIC(CSplitterWnd)
public:
    CSplitterWnd();
    ~CSplitterWnd() override;

    BOOL Create(CWnd* pParentWnd, int nMaxRows, int nMaxCols, SIZE sizeMin, CCreateContext* pContext,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | SPLS_DYNAMIC_SPLIT,
                UINT nID = AFX_IDW_PANE_FIRST);
    BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                      UINT nID = AFX_IDW_PANE_FIRST);
    virtual BOOL CreateView(int row, int col, const CRuntimeClass* pViewClass, SIZE sizeInit, CCreateContext* pContext);

    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    int GetMaxRowCount() const { return m_nMaxRows; }
    int GetMaxColumnCount() const { return m_nMaxCols; }
    void GetRowInfo(int row, int& cyCur, int& cyMin) const;
    void SetRowInfo(int row, int cyIdeal, int cyMin);
    void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
    void SetColumnInfo(int col, int cxIdeal, int cxMin);
    DWORD GetScrollStyle() const;
    void SetScrollStyle(DWORD dwStyle);

    CWnd* GetPane(int row, int col) const;
    BOOL IsChildPane(CWnd* pWnd, int* pRow, int* pCol);
    int IdFromRowCol(int row, int col) const { return static_cast<int>(AFX_IDW_PANE_FIRST) + row * 16 + col; }

    virtual void RecalcLayout();
    virtual BOOL SplitRow(int cyBefore);
    virtual BOOL SplitColumn(int cxBefore);
    virtual void DeleteRow(int rowDelete);
    virtual void DeleteColumn(int colDelete);
    virtual CWnd* GetActivePane(int* pRow = nullptr, int* pCol = nullptr);
    virtual void SetActivePane(int row, int col, CWnd* pWnd = nullptr);

    enum ESplitType { splitBox, splitBar, splitIntersection, splitBorder };
    // Draws one part; with a null context it only invalidates the rectangle.
    virtual void OnDrawSplitter(CDC* pDC, ESplitType nType, const CRect& rect);
    virtual void OnInvertTracker(const CRect& rect);

    enum HitTestValue {
        noHit = 0, vSplitterBox = 1, hSplitterBox = 2, bothSplitterBox = 3,
        vSplitterBar1 = 101, vSplitterBar15 = 115, hSplitterBar1 = 201, hSplitterBar15 = 215,
        splitterIntersection1 = 301, splitterIntersection225 = 525
    };
    virtual int HitTest(CPoint pt) const;
    virtual void GetHitRect(int ht, CRect& rect);
    virtual void GetInsideRect(CRect& rect) const;
    virtual void SetSplitCursor(int ht);
    virtual void StartTracking(int ht);
    virtual void StopTracking(BOOL bAccept);
    virtual void TrackRowSize(int y, int row);
    virtual void TrackColumnSize(int x, int col);
    virtual void DrawAllSplitBars(CDC* pDC, int cxInside, int cyInside);

    struct CRowColInfo {
        int nMinSize = 0;
        int nIdealSize = 0;
        int nCurSize = 0;
    };

    const CRuntimeClass* m_pDynamicViewClass = nullptr;
    int m_nMaxRows = 1, m_nMaxCols = 1;
    int m_nRows = 1, m_nCols = 1;
    BOOL m_bHasHScroll = FALSE, m_bHasVScroll = FALSE;
    std::vector<CRowColInfo> m_pColInfo;
    std::vector<CRowColInfo> m_pRowInfo;
    int m_cxSplitter = 7, m_cySplitter = 7;        // bar and box sizes
    int m_cxBorderShare = 0, m_cyBorderShare = 0;  // part of the border the bars share
    int m_cxSplitterGap = 7, m_cySplitterGap = 7;  // space between two panes
    int m_cxBorder = 2, m_cyBorder = 2;            // border around each pane
    BOOL m_bTracking = FALSE, m_bTracking2 = FALSE;
    CPoint m_ptTrackOffset;
    CRect m_rectLimit;
    CRect m_rectTracker, m_rectTracker2;
    int m_htTrack = noHit;

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

protected:
    CCreateContext SplitContext(CWnd* pOld) const;
    BOOL CreateCommon(CWnd* pParentWnd, SIZE sizeMin, DWORD dwStyle, UINT nID);
    BOOL CreateScrollBarCtrl(DWORD dwStyle, UINT nID);
    void LayoutRowCol(std::vector<CRowColInfo>& info, int nMax, int nSize, int nSizeSplitter, int nBorder);
    // The pane cell's rectangle, borders included.
    CRect CellRect(int row, int col) const;
    int ScrollBarWidth() const;
    int ScrollBarHeight() const;

    void OnPaint();
    void OnSize(UINT nType, int cx, int cy);
    void OnLButtonDown(UINT nFlags, CPoint pt);
    void OnLButtonUp(UINT nFlags, CPoint pt);
    void OnMouseMove(UINT nFlags, CPoint pt);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnCaptureChanged(CWnd* pWnd);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    DECLARE_MESSAGE_MAP()
};
