#include "app/customactions/CustomActionsPanel.h"

#include "framework/window/Gdi.h"

#include <commctrl.h>

namespace {
const COLORREF kMaskColour = RGB(255, 0, 255);
// The files editor's image strip; its image 0, a root folder, stands for a phase.
constexpr UINT kPhaseImagesBitmap = 152;
const wchar_t* const kPhases[] = {L"Install", L"Commit", L"Rollback", L"Uninstall"};
} // namespace

// ---- CCustomActionsTree ----

IMPLEMENT_DYNCREATE(CCustomActionsTree, CTreeView)

BEGIN_MESSAGE_MAP(CCustomActionsTree, CTreeView)
    ON_WM_CREATE()
END_MESSAGE_MAP()

BOOL CCustomActionsTree::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!AppTreeView::PreCreateWindow(cs))
        return FALSE;
    cs.style = kStyle;
    return TRUE;
}

int CCustomActionsTree::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    if (AppTreeView::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (m_images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 2)) {
        CBitmap bitmap;
        if (bitmap.LoadBitmap(kPhaseImagesBitmap) && m_images.Add(&bitmap, kMaskColour) >= 0)
            GetTreeCtrl().SetImageList(&m_images, TVSIL_NORMAL);
    }
    return 0;
}

void CCustomActionsTree::Bind(CCustomActions* actions, CCustomActionsList* list)
{
    m_actions = actions;
    m_list = list;
}

void CCustomActionsTree::ShowPhases()
{
    CTreeCtrl& tree = GetTreeCtrl();
    tree.DeleteAllItems();
    for (const wchar_t* phase : kPhases)
        tree.InsertItem(phase, 0, 0, TVI_ROOT, TVI_LAST);
}

// ---- CCustomActionsList ----

IMPLEMENT_DYNCREATE(CCustomActionsList, CListView)

BEGIN_MESSAGE_MAP(CCustomActionsList, CListView)
    ON_WM_CREATE()
END_MESSAGE_MAP()

BOOL CCustomActionsList::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= LVS_REPORT | LVS_SHOWSELALWAYS;
    return AppListView::PreCreateWindow(cs);
}

int CCustomActionsList::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    if (AppListView::OnCreate(lpCreateStruct) == -1)
        return -1;
    CListCtrl& list = GetListCtrl();
    list.SetExtendedStyle(LVS_EX_HEADERDRAGDROP | LVS_EX_INFOTIP);
    list.InsertColumn(0, L"Type", LVCFMT_LEFT, 200);
    list.InsertColumn(1, L"Source", LVCFMT_RIGHT, 90);
    list.InsertColumn(2, L"Target", LVCFMT_LEFT, 90);
    return 0;
}

// ---- CCustomActionsPanel ----

IMPLEMENT_DYNAMIC(CCustomActionsPanel, CSplitterWnd)

bool CCustomActionsPanel::CreatePanel(CWnd* parent, UINT id)
{
    return CreateStatic(parent, 1, 2, WS_CHILD | WS_VISIBLE, id) && CreatePanes();
}

bool CCustomActionsPanel::CreatePanes()
{
    if (!CreateView(0, 0, RUNTIME_CLASS(CCustomActionsTree), CSize(200, 0), nullptr) ||
        !CreateView(0, 1, RUNTIME_CLASS(CCustomActionsList), CSize(0, 200), nullptr))
        return false;
    m_tree = dynamic_cast<CCustomActionsTree*>(GetPane(0, 0));
    m_list = dynamic_cast<CCustomActionsList*>(GetPane(0, 1));
    return m_tree && m_list;
}

void CCustomActionsPanel::ShowActions(CCustomActions* actions)
{
    if (!m_tree)
        return;
    m_tree->Bind(actions, m_list);
    m_tree->ShowPhases();
}
