#pragma once
// CView: a window that shows a document inside a frame. The frame creates it (with a creation
// context naming the document); it adds itself to the document, and the frame routes commands
// through it first while it is the active view. A click in a view makes it the frame's active view,
// wherever it sits (inside a splitter, inside another view). A view that dies while active leaves
// its frame without an active view, so no later command reaches the dead object.
//
// CCtrlView and its CTreeView and CListView are views that are a common control: the control's
// class and default styles go in through PreCreateWindow and the control paints itself.

#include "framework/window/Controls.h"
#include "framework/window/FrameWnd.h"

class CDC;
class CDocument;

// Default style of a view window.
constexpr DWORD AFX_WS_DEFAULT_VIEW = WS_CHILD | WS_VISIBLE | WS_BORDER;

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    CView() = default;
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }

    virtual void OnDraw(CDC* pDC) = 0;
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnPrepareDC(CDC* pDC, void* pInfo = nullptr);
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);
    virtual void OnActivateFrame(UINT nState, CFrameWnd* pFrameWnd);
    virtual int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
    // True when the view's top-level frame is the active window.
    BOOL IsTopParentActive() const;

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    void PostNcDestroy() override;

    CDocument* m_pDocument = nullptr;    // not owned
    BOOL m_bInitialUpdateDone = FALSE;

protected:
    int OnCreate(LPCREATESTRUCTW lpcs);
    void OnDestroy();
    void OnPaint();
    LRESULT OnMouseActivateMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnInitialUpdateMsg(WPARAM wParam, LPARAM lParam);
    // Forgets the view in its frames (active view) and in its document.
    void Unhook();

    friend class CDocument;
    DECLARE_MESSAGE_MAP()
};

class CCtrlView : public CView {
    DECLARE_DYNAMIC(CCtrlView)
public:
    CCtrlView(const wchar_t* lpszClass, DWORD dwStyle);
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void OnDraw(CDC*) override {}

    CString m_strClass;
    DWORD m_dwDefaultStyle = 0;

protected:
    void OnPaint();
    DECLARE_MESSAGE_MAP()
};

class CTreeView : public CCtrlView {
    DECLARE_DYNCREATE(CTreeView)
public:
    CTreeView();
    ~CTreeView() override;
    // The view's own window seen as a tree control.
    CTreeCtrl& GetTreeCtrl() const;

private:
    mutable CTreeCtrl m_ctrl;    // a wrapper of this view's handle, never attached
};

class CListView : public CCtrlView {
    DECLARE_DYNCREATE(CListView)
public:
    CListView();
    ~CListView() override;
    CListCtrl& GetListCtrl() const;

private:
    mutable CListCtrl m_ctrl;
};
