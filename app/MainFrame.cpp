#include "app/MainFrame.h"

#include "app/ActionsMenu.h"
#include "app/TarnwickView.h"
#include "app/monitor/MonitorSettings.h"
#include "app/monitor/UninstallerDialog.h"

#include "engine/files/OutputSink.h"

#include "resources/app/AppResource.h"

#include "framework/window/Menu.h"
#include "framework/window/WinApp.h"

#include <commctrl.h>

#include <climits>
#include <iterator>

// The runtime-class macros take the base by its own name, not its alias.
IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, AppFrameBase)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_CONTEXTMENU()
    ON_MESSAGE(WM_APP_CLEAR_OUTPUT, OnOutputMessage)
    ON_MESSAGE(WM_APP_APPEND_OUTPUT, OnAppendOutput)
    ON_COMMAND(ID_NEW_PROJECT, OnNewProject)
    ON_COMMAND(ID_DELETE_ITEM, OnDeleteItem)
    ON_COMMAND(ID_OPEN_PROJECT, OnOpenProject)
    ON_COMMAND(ID_OPEN_IN_EXPLORER, OnOpenInExplorer)
    ON_COMMAND(ID_VIEW_OUTPUT, OnViewOutput)
    ON_COMMAND(ID_VIEW_START_PAGE, OnViewStartPage)
    ON_COMMAND(ID_ADD_MSI_PACKAGE, OnEmptyCommand)
    ON_COMMAND(ID_INSTALLED_PROGRAMS, OnInstalledPrograms)
    ON_COMMAND(ID_MONITOR_SETTINGS, OnMonitorSettings)
    ON_UPDATE_COMMAND_UI(ID_DELETE_ITEM, OnUpdateDeleteItem)
    ON_UPDATE_COMMAND_UI(ID_BUILD_PACKAGE, OnUpdateBuildPackage)
    ON_COMMAND(ID_BUILD_PACKAGE, OnBuildPackage)
END_MESSAGE_MAP()

namespace {

// The status bar: child, visible, clipping, at the bottom with a top border.
constexpr DWORD kStatusBarStyle = 0x56008200;
// One stretching message pane.
constexpr UINT kIndicators[] = {0};
constexpr COLORREF kToolbarMask = RGB(255, 0, 255);
} // namespace

CMainFrame::CMainFrame() = default;
CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!AppFrameBase::PreCreateWindow(cs))
        return FALSE;
    cs.style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (AppFrameBase::OnCreate(lpcs) == -1)
        return -1;
    if (!m_statusBar.Create(this, kStatusBarStyle, AFX_IDW_STATUS_BAR) ||
        !m_statusBar.SetIndicators(kIndicators, 1))
        return -1;
    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY) ||
        !m_toolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    // the command icons come from their own 16 by 16 strip, not the toolbar resource's bitmap
    if (m_toolbarImages.Create(IDB_TOOLBAR_ICONS, 16, 2, kToolbarMask)) {
        m_toolBar.SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_toolbarImages.GetSafeHandle()));
        m_toolBar.SetSizes(CSize(16 + 7, 16 + 7), CSize(16, 16));
    }
    // the builder's and the monitor's lines come here
    SetOutputWindow(m_hWnd);
    return 0;
}

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCTW lpcs, CCreateContext* pContext)
{
    if (!m_outerSplitter.CreateStatic(this, 2, 1))
        return FALSE;
    if (!m_innerSplitter.CreateStatic(&m_outerSplitter, 1, 2, WS_CHILD | WS_VISIBLE,
                                      static_cast<UINT>(m_outerSplitter.IdFromRowCol(0, 0))))
        return FALSE;
    const int height = lpcs && lpcs->cy > 0 ? lpcs->cy : 600;
    if (!m_innerSplitter.CreateView(0, 1, RUNTIME_CLASS(CtarnwickView), CSize(0, height), pContext))
        return FALSE;
    m_view = dynamic_cast<CtarnwickView*>(m_innerSplitter.GetPane(0, 1));
    if (!m_view)
        return FALSE;
    m_view->StartPage().SetOnNewProject([this] { m_tree.NewProject(); });

    // The tree makes its panels as children of the view, so the view comes first.
    ProjectsTreeArgs args = m_treeArgs;
    args.parent = &m_innerSplitter;
    args.host = m_view;
    args.id = static_cast<UINT>(m_innerSplitter.IdFromRowCol(0, 0));
    if (!m_tree.CreateTree(args))
        return FALSE;
    m_innerSplitter.SetColumnInfo(0, kTreeWidth, 0);

    if (!m_output.CreateList(&m_outerSplitter, static_cast<UINT>(m_outerSplitter.IdFromRowCol(1, 0))))
        return FALSE;
    // The work area takes all it is given, so the output row stays collapsed until it is shown.
    m_outerSplitter.SetRowInfo(0, INT_MAX / 2, 0);
    SetActiveView(m_view, FALSE);
    return TRUE;
}

bool CMainFrame::IsOutputWindowOpen() const
{
    int current = 0;
    int minimum = 0;
    m_outerSplitter.GetRowInfo(1, current, minimum);
    return m_outerSplitter.m_hWnd && current > 0;
}

void CMainFrame::ShowOutputWindow()
{
    if (!m_outerSplitter.m_hWnd || IsOutputWindowOpen())
        return;
    CRect inside;
    m_outerSplitter.GetInsideRect(inside);
    const int rows = inside.Height() - kOutputHeight - m_outerSplitter.m_cySplitterGap - 4 * m_outerSplitter.m_cyBorder;
    m_outerSplitter.SetRowInfo(0, rows > 0 ? rows : 0, 0);
    m_outerSplitter.RecalcLayout();
}

BOOL CMainFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    // Delete and Enter belong to the panel that has the focus (and its parents inside the view).
    if (nID == ID_PANEL_DELETE || nID == ID_PANEL_ENTER) {
        for (HWND focus = ::GetFocus(); focus && focus != m_hWnd; focus = ::GetParent(focus)) {
            CWnd* target = CWnd::FromHandlePermanent(focus);
            if (target && target != m_view && target->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
                return TRUE;
        }
    }
    return AppFrameBase::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

LRESULT CMainFrame::OnOutputMessage(WPARAM wParam, LPARAM lParam)
{
    return HandleOutputMessage(m_output, WM_APP_CLEAR_OUTPUT, wParam, lParam, nullptr);
}

LRESULT CMainFrame::OnAppendOutput(WPARAM wParam, LPARAM lParam)
{
    return HandleOutputMessage(m_output, WM_APP_APPEND_OUTPUT, wParam, lParam, [this] { ShowOutputWindow(); });
}

void CMainFrame::OnContextMenu(CWnd* pWnd, CPoint point)
{
    if (m_tree.m_hWnd)
        m_tree.OnContextMenu(pWnd, point);
}

void CMainFrame::OnNewProject()
{
    if (m_tree.m_hWnd)
        m_tree.NewProject();
}

void CMainFrame::OnOpenProject()
{
    if (m_tree.m_hWnd)
        m_tree.OpenPackage();
}

void CMainFrame::OnOpenInExplorer()
{
    if (m_tree.m_hWnd)
        m_tree.OpenOutputFolder();
}

void CMainFrame::OnDeleteItem()
{
    if (m_tree.m_hWnd && m_tree.CanDelete())
        m_tree.DeleteSelected();
}

void CMainFrame::OnInstalledPrograms()
{
    CUninstallerDialog dialog(this);
    dialog.DoModal();
}

void CMainFrame::OnMonitorSettings()
{
    CProjects& projects = m_treeArgs.projects ? *m_treeArgs.projects : Projects;
    CMonitorSettingsPS sheet(this, projects);
    sheet.DoModal();
}

void CMainFrame::OnViewOutput()
{
    ShowOutputWindow();
}

void CMainFrame::OnViewStartPage()
{
    if (!m_view)
        return;
    SetActiveView(m_view, TRUE);
    if (m_tree.m_hWnd)
        m_tree.SetFocus();
    m_view->ShowPanel(nullptr);
}

void CMainFrame::OnUpdateDeleteItem(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_tree.m_hWnd && m_tree.CanDelete());
}

void CMainFrame::OnBuildPackage()
{
    if (m_tree.m_hWnd)
        m_tree.BuildSelectedPackage();
}

void CMainFrame::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    // the actions menu is rebuilt for the selection each time it opens, then enabled as usual
    if (!bSysMenu && pPopupMenu && IsActionsPopup(pPopupMenu->m_hMenu)) {
        HMENU actions = ::LoadMenuW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_ACTIONS_MENU));
        FillActionsPopup(pPopupMenu->m_hMenu, actions, m_tree.m_hWnd ? m_tree.Selection() : TreeSelection{});
        if (actions)
            ::DestroyMenu(actions);
    }
    AppFrameBase::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
}

void CMainFrame::OnUpdateBuildPackage(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_tree.m_hWnd && m_tree.CanBuild());
}

void CMainFrame::OnClose()
{
    if (!CanClose())
        return;
    AppFrameBase::OnClose();
}

bool CMainFrame::CanClose()
{
    CString message;
    if (m_tree.m_hWnd && !CanCloseNow(m_tree.Work(), &message)) {
        AfxMessageBox(message, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    if (!m_tree.m_hWnd || m_tree.SaveProjects())
        return true;
    return AfxMessageBox(kSaveFailedClosePrompt, MB_YESNO | MB_ICONWARNING) == IDYES;
}
