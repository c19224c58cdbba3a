#include "app/ProjectsTree.h"

#include "app/AppPaths.h"
#include "app/NodeData.h"
#include "app/PackageCommands.h"
#include "app/PackageDeletion.h"
#include "app/SelectionMemory.h"

#include "engine/files/Globals.h"
#include "engine/files/PathHelpers.h"
#include "engine/storage/PackageFile.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

constexpr DWORD kTreeStyle = 0x54000027;    // child, visible, clip siblings, buttons, lines, lines at root, show selection
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

constexpr wchar_t kConfirmDeletePackage[] =
    L"Are you sure you want to delete this project?\nClick NO to remove item from tree\nClick YES to permanently "
    L"delete files.";

// The tree as the selection-memory walks see it.
struct TreeWalk {
    CProjectsTree& tree;
    HTREEITEM FirstChild(HTREEITEM node) const { return tree.GetChildItem(node); }
    HTREEITEM NextSibling(HTREEITEM node) const { return tree.GetNextSiblingItem(node); }
    HTREEITEM Parent(HTREEITEM node) const { return tree.GetParentItem(node); }
    bool IsSelected(HTREEITEM node) const
    {
        return node == tree.GetSelectedItem() && (tree.GetItemState(node, TVIS_SELECTED) & TVIS_SELECTED);
    }
    void Select(HTREEITEM node) { tree.SelectItem(node); }
    void ExpandNode(HTREEITEM node) { tree.Expand(node, TVE_EXPAND); }
};

} // namespace

BEGIN_MESSAGE_MAP(CProjectsTree, AppTreeCtrl)
    ON_WM_CREATE()
    ON_NOTIFY_REFLECT(TVN_SELCHANGEDW, OnSelChanged)
    ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

BOOL CProjectsTree::CreateTree(const ProjectsTreeArgs& args)
{
    m_args = args;
    m_projects = args.projects ? args.projects : &Projects;
    m_host = args.host;
    m_packagePanel = std::make_unique<CProjectPanel>(*m_projects);
    m_projectPanel = std::make_unique<CFeaturePanel>(*m_projects);
    m_registryPanel = std::make_unique<CRegistryPanel>();
    m_customActionsPanel = std::make_unique<CCustomActionsPanel>();
    m_scriptPanel = std::make_unique<CScriptPanel>(*m_projects);
    return Create(kTreeStyle, CRect(0, 0, 0, 0), args.parent, args.id);
}

BOOL CProjectsTree::PreCreateWindow(CREATESTRUCTW& cs)
{
    // whatever the creator asked for, the tree looks the same
    cs.style = kTreeStyle;
    return AppTreeCtrl::PreCreateWindow(cs);
}

int CProjectsTree::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    if (AppTreeCtrl::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (m_images.Create(IDB_TREE_NODES, 16, 2, kMaskColour))
        SetImageList(&m_images, TVSIL_NORMAL);
    const UINT indent = static_cast<UINT>(SendMessage(TVM_GETINDENT));
    SendMessage(TVM_SETINDENT, static_cast<WPARAM>(indent * 12 / 10));

    CWnd* panelParent = m_host ? m_host->PanelParent() : nullptr;
    for (CSettingsPanel* panel : {static_cast<CSettingsPanel*>(m_packagePanel.get()),
                                  static_cast<CSettingsPanel*>(m_projectPanel.get())}) {
        if (panelParent && panel->CreatePanel(panelParent))
            panel->SetSite(this);
    }
    // the splitter panels are hidden until their node is selected: the hosting shows them over the view
    if (panelParent) {
        m_filesPanel = std::make_unique<CFilesPanel>();
        if (m_filesPanel->CreateStatic(panelParent, 1, 2, WS_CHILD, AFX_IDW_PANE_FIRST) && m_filesPanel->CreatePanes()) {
            m_filesPanel->Context().projects = m_projects;
            m_filesPanel->Context().openFolder = m_args.openFolder;
        }
        if (m_registryPanel->CreatePanel(panelParent))
            m_registryPanel->ShowWindow(SW_HIDE);
        if (m_customActionsPanel->CreatePanel(panelParent))
            m_customActionsPanel->ShowWindow(SW_HIDE);
        // a recording saves the list as the tree does, into the tree's data file
        if (m_scriptPanel->CreatePanel(panelParent))
            m_scriptPanel->SetSaver([this] { return SaveProjects(); });
    }

    const CString dataFile = DataFilePath();
    const CString defaultFile = m_args.defaultDataFile.IsEmpty() ? GetDefaultDataFilePath() : m_args.defaultDataFile;
    if (!LoadDataFileOrDefault(dataFile, defaultFile, *m_projects) &&
        ::GetFileAttributesW(dataFile) != INVALID_FILE_ATTRIBUTES) {
        m_keepDataFile = true;
        CString message;
        message.Format(L"The package list\n%s\ncould not be read: another program may be using it.\n\n"
                       L"Tarnwick starts without it and will not write over it. Close Tarnwick and start it "
                       L"again once the file is free.",
                       dataFile.GetString());
        AfxMessageBox(message, MB_OK | MB_ICONWARNING);
    }
    // an empty list opens the wizard below
    m_opened.Load(COpenedPackages::ListPathFor(dataFile));
    FillTree();
    return 0;
}

void CProjectsTree::FillTree()
{
    SetRedraw(FALSE);
    DeleteAllItems();
    const int shown = ShownPackageCount(*m_projects);
    for (int i = 0; i < shown; ++i)
        AddPackageNodes(i);
    RestoreSelection();
    SetRedraw(TRUE);
    Invalidate();
    if (m_projects->GetSize() == 0)
        NewProject();
}

HTREEITEM CProjectsTree::AddPackageNodes(int packageIndex)
{
    if (packageIndex < 0 || packageIndex >= ShownPackageCount(*m_projects))
        return nullptr;
    HTREEITEM parents[3] = {TVI_ROOT, nullptr, nullptr};
    HTREEITEM packageNode = nullptr;
    for (const NodeSpec& node : BuildPackageNodes((*m_projects)[packageIndex], packageIndex)) {
        const int image = NodeImageOf(NodeKindOf(node.data));
        HTREEITEM item = InsertItem(node.text, image, image, parents[node.depth]);
        SetItemData(item, node.data);
        if (node.depth < 2)
            parents[node.depth + 1] = item;
        if (node.depth == 0)
            packageNode = item;
    }
    return packageNode;
}

HTREEITEM CProjectsTree::SelectedNode() const
{
    if (!m_hWnd)
        return nullptr;
    HTREEITEM caret = GetSelectedItem();
    if (!caret || !(GetItemState(caret, TVIS_SELECTED) & TVIS_SELECTED))
        return nullptr;
    return caret;
}

TreeSelection CProjectsTree::Selection() const
{
    HTREEITEM node = SelectedNode();
    if (!node)
        return {};
    return {true, static_cast<DWORD>(GetItemData(node))};
}

bool CProjectsTree::IsPackageSelected() const
{
    const TreeSelection selection = Selection();
    return selection.hasNode && NodeKindOf(selection.data) == NodeKind::package;
}

bool CProjectsTree::IsProjectSelected() const
{
    const TreeSelection selection = Selection();
    return selection.hasNode && NodeKindOf(selection.data) == NodeKind::project;
}

bool CProjectsTree::CanDelete() const
{
    const TreeSelection selection = Selection();
    if (!::CanDelete(selection))
        return false;
    // the test thread's results go to that project until it ends
    return !IsScriptTesting() || !SelectionHoldsProject(*m_projects, selection, m_scriptPanel->TestedProjectId());
}

bool CProjectsTree::HasSelection() const
{
    return SelectedNode() != nullptr;
}

void CProjectsTree::RememberSelection()
{
    TreeWalk walk{*this};
    ::RememberSelection(walk, GetRootItem(), &m_projects->m_lastSelection);
}

void CProjectsTree::RestoreSelection()
{
    TreeWalk walk{*this};
    ::RestoreSelection(walk, GetRootItem(), m_projects->m_lastSelection);
}

void CProjectsTree::SetSelectedItemText(const CString& text)
{
    if (HTREEITEM node = SelectedNode())
        SetItemText(node, text);
}

void CProjectsTree::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (!m_handleSelection)
        return;
    const auto* change = reinterpret_cast<const NMTREEVIEWW*>(pNMHDR);
    // leaving "Files": the list's folder is remembered in the project's entries
    if (change->itemOld.hItem && m_filesPanel &&
        NodeKindOf(GetItemData(change->itemOld.hItem)) == NodeKind::files)
        m_filesPanel->Leave();
    if (!change->itemNew.hItem)
        return;
    if (change->itemOld.hItem && NodeKindOf(GetItemData(change->itemOld.hItem)) == NodeKind::registry)
        LeaveRegistry(change->itemOld.hItem);
    // from one script node to another the panel stays shown, so the hosting writes nothing back:
    // its fields are written here, under the old indexes
    if (change->itemOld.hItem && m_host && m_host->Panels().Current() == m_scriptPanel.get() &&
        m_scriptPanel->m_hWnd) {
        const NodeKind oldKind = NodeKindOf(GetItemData(change->itemOld.hItem));
        if (oldKind == NodeKind::installScript || oldKind == NodeKind::uninstallScript)
            m_scriptPanel->UpdateData(TRUE);
    }
    const DWORD data = static_cast<DWORD>(GetItemData(change->itemNew.hItem));
    const int package = NodePackageOf(data);
    const int project = NodeProjectOf(data);
    if (package >= m_projects->GetSize())
        return;
    const NodeKind kind = NodeKindOf(data);
    if (kind != NodeKind::package && project >= (*m_projects)[package].m_projects.GetSize())
        return;
    CSettingsPanel* settings = nullptr;
    CWnd* panel = nullptr;
    CFileEntries* files = nullptr;
    switch (kind) {
    case NodeKind::package:
        panel = settings = m_packagePanel.get();
        break;
    case NodeKind::project:
        panel = settings = m_projectPanel.get();
        break;
    case NodeKind::files:
        if (m_filesPanel && m_filesPanel->m_hWnd) {
            panel = m_filesPanel.get();
            files = &(*m_projects)[package].m_projects[project].m_files;
        }
        break;
    case NodeKind::registry:
        panel = m_registryPanel.get();
        break;
    case NodeKind::customActions:
        panel = m_customActionsPanel.get();
        break;
    case NodeKind::installScript:
    case NodeKind::uninstallScript:
        if (m_scriptPanel->m_hWnd)
            panel = m_scriptPanel.get();
        break;
    default:
        break;
    }
    // the old panel writes back under the old indexes; the new one loads under the new ones
    if (m_host)
        m_host->Panels().Show(panel);
    CurrentPackageIndex = package;
    CurrentProjectIndex = project;
    if (settings && settings->m_hWnd)
        settings->UpdateData(FALSE);
    if (files)
        m_filesPanel->ShowFiles(files);
    if (kind == NodeKind::registry && m_registryPanel->m_hWnd)
        m_registryPanel->ShowRecords(&(*m_projects)[package].m_projects[project].m_registry);
    if (panel && panel == m_scriptPanel.get())
        m_scriptPanel->SetScript(&(*m_projects)[package].m_projects[project], static_cast<int>(kind),
                                 &(*m_projects)[package]);
    if (kind == NodeKind::customActions && m_customActionsPanel->m_hWnd)
        m_customActionsPanel->ShowActions(&(*m_projects)[package].m_projects[project].m_customActions);
}

void CProjectsTree::ReleaseEditors()
{
    if (m_host)
        m_host->Panels().Detach();
    if (m_filesPanel)
        m_filesPanel->Release();
    if (m_scriptPanel)
        m_scriptPanel->Release();
}

void CProjectsTree::LeaveRegistry(HTREEITEM node)
{
    if (!m_registryPanel || !m_registryPanel->m_hWnd)
        return;
    CRegistryEntries* records = nullptr;
    if (node) {
        const DWORD data = static_cast<DWORD>(GetItemData(node));
        const int package = NodePackageOf(data);
        const int project = NodeProjectOf(data);
        if (NodeKindOf(data) == NodeKind::registry && package < m_projects->GetSize() &&
            project < (*m_projects)[package].m_projects.GetSize())
            records = &(*m_projects)[package].m_projects[project].m_registry;
    }
    m_registryPanel->Leave(records);
}

void CProjectsTree::RebuildAfterRemoval()
{
    m_handleSelection = false;
    SetRedraw(FALSE);
    DeleteAllItems();
    const int shown = ShownPackageCount(*m_projects);
    for (int i = 0; i < shown; ++i)
        AddPackageNodes(i);
    SetRedraw(TRUE);
    Invalidate();
    m_handleSelection = true;
    if (HTREEITEM first = GetRootItem())
        SelectItem(first);
    else if (m_host)
        m_host->Panels().Show(nullptr);
}

bool CProjectsTree::DeleteSelected()
{
    HTREEITEM node = SelectedNode();
    if (!node)
        return false;
    const DWORD data = static_cast<DWORD>(GetItemData(node));
    const int package = NodePackageOf(data);
    if (package >= m_projects->GetSize())
        return false;
    bool recycle = false;
    switch (NodeKindOf(data)) {
    case NodeKind::package: {
        const int answer = AfxMessageBox(kConfirmDeletePackage, MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDCANCEL)
            return false;
        recycle = answer == IDYES;
        break;
    }
    case NodeKind::project:
        if (AfxMessageBox(IDS_CONFIRM_DELETE_ITEM, MB_YESNO) != IDYES)
            return false;
        break;
    default:
        return false;
    }
    // asked again after the question: the test may have started while it was open
    if (!CanDelete()) {
        AfxMessageBox(kScriptBusyMessage, MB_OK | MB_ICONINFORMATION);
        return false;
    }

    // the shown panel writes back while its indexes still name its record, then lets go
    if (m_host)
        m_host->Panels().Commit();
    LeaveRegistry(node);
    ReleaseEditors();
    if (NodeKindOf(data) == NodeKind::package) {
        if (recycle && package < m_projects->m_packagePaths.GetSize()) {
            const CString& path = m_projects->m_packagePaths[package];
            const PackageDeletionPlan plan = PlanPackageDeletion(path, m_opened.Contains(path), ProtectedFolders());
            if (!RecyclePackageFiles(plan))
                AfxMessageBox(L"Some of the package's files could not be deleted.", MB_OK | MB_ICONWARNING);
        }
        RemovePackageAt(*m_projects, package);
    } else {
        RemoveProjectAt(*m_projects, package, NodeProjectOf(data));
    }
    RebuildAfterRemoval();
    if (!SaveProjects())
        AfxMessageBox(L"The package list could not be saved.", MB_OK | MB_ICONERROR);
    return true;
}

CString CProjectsTree::DataFilePath() const
{
    return m_args.dataFile.IsEmpty() ? GetDataFilePath() : m_args.dataFile;
}

bool CProjectsTree::SaveProjects()
{
    RememberSelection();
    if (m_host)
        m_host->Panels().Commit();
    const CString dataFile = DataFilePath();
    if (m_keepDataFile) {
        // the packages of this run keep their edits; the list that would name them cannot be saved
        for (int i = 0; i < m_projects->GetSize() && i < m_projects->m_packagePaths.GetSize(); ++i)
            (void)SavePackageFile(m_projects->m_packagePaths[i], (*m_projects)[i]);
        return false;
    }
    const bool saved = SaveDataFile(dataFile, *m_projects);
    // the opened marks follow the list that was saved; a failed save leaves the old list on disk,
    // and the old marks with it
    return saved && m_opened.Save(COpenedPackages::ListPathFor(dataFile), *m_projects);
}

bool CProjectsTree::OpenPackage()
{
    // the edits of the shown panel are in the records before the list grows under it
    if (m_host)
        m_host->Panels().Commit();
    CString message;
    CWnd* owner = GetTopLevelParent();
    switch (OpenPackageFromUser(owner ? owner->m_hWnd : nullptr, *m_projects, &message)) {
    case OpenResult::opened:
        ShowAddedPackage();
        return true;
    case OpenResult::failed:
        AfxMessageBox(message, MB_OK | MB_ICONWARNING);
        return false;
    case OpenResult::cancelled:
        break;
    }
    return false;
}

bool CProjectsTree::ListPackageFile(const CString& path)
{
    if (m_host)
        m_host->Panels().Commit();
    CString message;
    if (OpenPackageAt(path, *m_projects, &message) != OpenResult::opened) {
        AfxMessageBox(message, MB_OK | MB_ICONWARNING);
        return false;
    }
    ShowAddedPackage();
    return true;
}

void CProjectsTree::ShowAddedPackage()
{
    const int index = static_cast<int>(m_projects->GetSize()) - 1;
    if (index < 0)
        return;
    if (index < m_projects->m_packagePaths.GetSize())
        m_opened.Add(m_projects->m_packagePaths[index]);
    // The array has grown and may have moved: the shown panel was written back before, and is
    // let go now rather than written through what it bound; selecting the new node binds anew.
    LeaveRegistry(SelectedNode());
    ReleaseEditors();
    HTREEITEM node = AddPackageNodes(index);
    // collapse what is shown from the top of the window down, each node's children skipped
    for (HTREEITEM shown = GetNextItem(nullptr, TVGN_FIRSTVISIBLE); shown; shown = GetNextItem(shown, TVGN_NEXTVISIBLE))
        Expand(shown, TVE_COLLAPSE);
    if (!node)
        return;
    Expand(node, TVE_EXPAND);
    SelectItem(node);
}

void CProjectsTree::OpenOutputFolder()
{
    const OutputFolderChoice choice = ChooseOutputFolder(*m_projects, Selection());
    if (!choice.message.IsEmpty()) {
        AfxMessageBox(choice.message, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (choice.folder.IsEmpty())
        return;
    if (m_args.openFolder)
        m_args.openFolder(choice.folder);
    else
        ::ShellExecuteW(nullptr, L"open", choice.folder, nullptr, nullptr, SW_SHOWNORMAL);
}

void CProjectsTree::OnContextMenu(CWnd* window, CPoint point)
{
    if (!m_hWnd || !window || window->m_hWnd != m_hWnd)
        return;
    if (point.x == -1 && point.y == -1) {
        point = CPoint(0, 0);
        ClientToScreen(&point);
        point.Offset(5, 5);
    }
    HMENU menu = ::LoadMenuW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (!menu)
        return;
    const bool selected = HasSelection();
    HMENU popup = ::GetSubMenu(menu, selected ? 1 : 0);
    if (popup && !selected) {
        // the File menu without its separator and Exit: the two package commands
        while (::GetMenuItemCount(popup) > 2)
            ::DeleteMenu(popup, static_cast<UINT>(::GetMenuItemCount(popup) - 1), MF_BYPOSITION);
    }
    CWnd* owner = AfxGetMainWnd();
    if (popup && owner && owner->m_hWnd)
        ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, owner->m_hWnd, nullptr);
    ::DestroyMenu(menu);
}
