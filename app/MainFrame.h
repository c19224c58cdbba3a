#pragma once
// CMainFrame: the program's only top-level window. It carries the menu, the toolbar and the status
// bar ("Ready" and the command prompts), and a static splitter: the packages tree beside the main
// view, and below both the output list, whose row starts collapsed. It enables the commands by the
// tree's selection, hands Delete and Enter (the accelerators) to the panel that has the focus,
// passes WM_CONTEXTMENU on to the tree, and takes the two output messages of the worker threads.
//
// Closing is refused while a worker runs; otherwise the tree saves the package list first, and
// when that fails the user may stay.

#include "app/AppBases.h"
#include "app/OutputList.h"
#include "app/ProjectsTree.h"

class CtarnwickView;

class CMainFrame : public AppFrameBase {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();
    ~CMainFrame() override;

    // The output list pane (pane id 4001 in the layout the toolkit will keep).
    static constexpr UINT kOutputPaneId = 4001;
    // The packages tree pane.
    static constexpr UINT kTreePaneId = 4000;
    // The tree column's first width and the output row's height when it opens, in pixels.
    static constexpr int kTreeWidth = 200;
    static constexpr int kOutputHeight = 120;

    // What the tree is made with (parent, host and id are the frame's); set before the frame is
    // created to use another list or data file.
    ProjectsTreeArgs& TreeArgs() { return m_treeArgs; }
    CProjectsTree& Tree() { return m_tree; }
    COutputList& OutputList() { return m_output; }
    CtarnwickView* MainView() const { return m_view; }
    AppStatusBar& StatusBar() { return m_statusBar; }
    // Opens the output row (when it is collapsed) without changing its contents.
    void ShowOutputWindow();
    bool IsOutputWindowOpen() const;

    // The toolbar's command icons: bitmap 138 cut into 16 by 16 images in the order of the
    // toolbar's buttons (separators skipped), magenta transparent.
    CImageList& ToolbarImages() { return m_toolbarImages; }

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    BOOL OnCreateClient(LPCREATESTRUCTW lpcs, CCreateContext* pContext) override;
    int OnCreate(LPCREATESTRUCTW lpcs);
    void OnClose();
    void OnContextMenu(CWnd* pWnd, CPoint point);
    LRESULT OnOutputMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnAppendOutput(WPARAM wParam, LPARAM lParam);

    void OnNewProject();
    void OnOpenProject();
    void OnOpenInExplorer();
    // The "&Actions" menu (and the tree's context menu, which is the same submenu) shows the
    // actions of the selected node in place of its placeholder before it opens.
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu) override;
    void OnDeleteItem();
    void OnViewOutput();
    void OnViewStartPage();
    void OnEmptyCommand() {}
    void OnInstalledPrograms();
    void OnMonitorSettings();
    void OnUpdateDeleteItem(CCmdUI* pCmdUI);
    void OnUpdateBuildPackage(CCmdUI* pCmdUI);
    void OnBuildPackage();

private:
    // Refuses while a worker runs; then saves; a failed save asks whether to close anyway.
    bool CanClose();

    ProjectsTreeArgs m_treeArgs;
    AppStatusBar m_statusBar;
    AppToolBar m_toolBar;
    CImageList m_toolbarImages;
    AppSplitterWnd m_outerSplitter;    // rows: the work area, the output list
    AppSplitterWnd m_innerSplitter;    // columns: the tree, the view
    COutputList m_output;
    CProjectsTree m_tree;
    CtarnwickView* m_view = nullptr;   // not owned: a view deletes itself

    DECLARE_MESSAGE_MAP()
};
