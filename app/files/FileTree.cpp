#include "app/files/FilesPanel.h"

#include "app/TreeItems.h"
#include "app/files/FileRules.h"
#include "app/files/FolderDialog.h"
#include "app/monitor/MonitorSettings.h"

#include "engine/files/Globals.h"
#include "engine/files/PathHelpers.h"
#include "engine/storage/Projects.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include <shlwapi.h>

namespace {
// Magenta marks the transparent pixels of the image strip.
constexpr COLORREF kMaskColour = RGB(255, 0, 255);
// Exactly: child, visible, clip siblings, buttons, lines at root, label edits, selection always shown.
constexpr DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TVS_HASBUTTONS | TVS_LINESATROOT |
                             TVS_EDITLABELS | TVS_SHOWSELALWAYS;
static_assert(kTreeStyle == 0x5400002D);
const wchar_t kNewFolderName[] = L"New Folder";
}  // namespace

// ---- FilesContext ----

CProjects& FilesContext::List() const
{
    return projects ? *projects : Projects;
}

CString FilesContext::OutputFolder() const
{
    CProjects& list = List();
    if (CurrentPackageIndex < 0 || CurrentPackageIndex >= list.GetSize())
        return CString();
    return list[CurrentPackageIndex].m_outputFolder;
}

CFeature* FilesContext::CurrentProject() const
{
    CProjects& list = List();
    if (CurrentPackageIndex < 0 || CurrentPackageIndex >= list.GetSize())
        return nullptr;
    CFeatures& features = list[CurrentPackageIndex].m_projects;
    if (CurrentProjectIndex < 0 || CurrentProjectIndex >= features.GetSize())
        return nullptr;
    return &features[CurrentProjectIndex];
}

// ---- CFileTree ----

IMPLEMENT_DYNCREATE(CFileTree, CTreeView)

BEGIN_MESSAGE_MAP(CFileTree, AppTreeView)
    ON_WM_CREATE()
    ON_NOTIFY_REFLECT(TVN_SELCHANGEDW, OnSelChanged)
    ON_NOTIFY_REFLECT(TVN_BEGINLABELEDITW, OnBeginLabelEdit)
    ON_NOTIFY_REFLECT(TVN_ENDLABELEDITW, OnEndLabelEdit)
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDEDW, OnItemExpanded)
    ON_NOTIFY_REFLECT(NM_RCLICK, OnRightClick)
    ON_WM_CONTEXTMENU()
    ON_COMMAND(ID_FILES_NEW_FOLDER, OnNewFolder)
    ON_COMMAND(ID_FILES_ADD_SYSTEM_FOLDER, OnAddSystemFolder)
    ON_COMMAND(ID_FILES_ADD_FILES, OnAddFiles)
    ON_COMMAND(ID_FILES_NEW_SHORTCUT, OnNewShortcut)
    ON_COMMAND(ID_PANEL_ENTER, OnEditFolder)
    ON_COMMAND(ID_PANEL_DELETE, OnDeleteFolder)
    ON_COMMAND(ID_FILES_OPEN_IN_EXPLORER, OnOpenInExplorer)
    ON_COMMAND(ID_FILES_ADD_TO_FILTER, OnAddToFilter)
    ON_COMMAND(ID_FILES_REMOVE_FROM_FILTER, OnRemoveFromFilter)
END_MESSAGE_MAP()

BOOL CFileTree::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!AppTreeView::PreCreateWindow(cs))
        return FALSE;
    cs.style = kTreeStyle;
    return TRUE;
}

int CFileTree::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    if (AppTreeView::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (m_images.Create(IDB_FILE_IMAGES, 16, 2, kMaskColour))
        GetTreeCtrl().SetImageList(&m_images, TVSIL_NORMAL);
    return 0;
}

void CFileTree::Bind(CFileEntries* entries, CFileList* list, FilesContext* context)
{
    m_entries = entries;
    m_list = list;
    m_context = context;
}

CString CFileTree::GetItemPath(HTREEITEM item) const
{
    return treeitems::ItemPath(GetTreeCtrl(), item);
}

HTREEITEM CFileTree::FindChild(HTREEITEM parent, const CString& name) const
{
    return treeitems::FindChild(GetTreeCtrl(), parent, name);
}

void CFileTree::ShowInList(const CString& folder)
{
    if (m_list)
        m_list->ShowFolder(m_entries, this, folder);
}

void CFileTree::Release()
{
    m_handleSelection = false;
    GetTreeCtrl().DeleteAllItems();
    m_handleSelection = true;
    m_entries = nullptr;
}

void CFileTree::Fill()
{
    CTreeCtrl& tree = GetTreeCtrl();
    m_handleSelection = false;
    SetRedraw(FALSE);
    tree.DeleteAllItems();
    if (m_entries) {
        treeitems::CTreePathIndex index(tree);
        for (INT_PTR i = 0; i < m_entries->GetSize(); ++i) {
            const CFileEntry& entry = (*m_entries)[i];
            const bool rootKind = entry.m_kind == CFileEntry::kindRoot;
            index.AddPath(entry.m_path, [&](bool isRoot, const CString& name) {
                return isRoot && (rootKind || IsSystemFolderName(name)) ? imageRoot : imageFolder;
            });
        }
        treeitems::SortChildren(tree, nullptr);
    }
    SetRedraw(TRUE);
    Invalidate();
    m_handleSelection = true;

    // The remembered folder is selected only below a root: a root that matches is left to the
    // first-visible rule, as the tree always did.
    HTREEITEM last = m_entries ? treeitems::FindItemByPath(tree, m_entries->m_lastShownFolder) : nullptr;
    if (last && tree.GetParentItem(last)) {
        tree.SelectItem(last);
        tree.Expand(tree.GetParentItem(last), TVE_EXPAND);
    }
    if (!tree.GetSelectedItem()) {
        if (HTREEITEM first = tree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE))
            tree.SelectItem(first);
    }
}

HTREEITEM CFileTree::AddFolder(HTREEITEM parent, const CString& name)
{
    if (!m_entries)
        return nullptr;
    const CString clean = treeitems::RemoveForbiddenChars(name);
    if (clean.IsEmpty())
        return nullptr;
    CTreeCtrl& tree = GetTreeCtrl();
    if (HTREEITEM existing = FindChild(parent, clean))
        return existing;
    const CString parentPath = GetItemPath(parent);
    const CString path = (parentPath == L"\\" ? CString() : parentPath) + clean + L"\\";
    const bool system = IsSystemFolderName(clean);
    CFileEntry entry;
    entry.m_kind = system ? CFileEntry::kindRoot : CFileEntry::kindFolder;
    entry.m_path = path;
    m_entries->Add(entry);
    const int image = system ? imageRoot : imageFolder;
    HTREEITEM item = tree.InsertItem(clean, image, image, parent ? parent : TVI_ROOT, TVI_LAST);
    treeitems::SortChildren(tree, parent);
    tree.SelectItem(item);
    return item;
}

void CFileTree::SelectChild(const CString& name)
{
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM selected = tree.GetSelectedItem();
    if (!selected)
        return;
    if (HTREEITEM child = FindChild(selected, name))
        tree.SelectItem(child);
}

void CFileTree::RemoveChildFolder(const CString& name)
{
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM selected = tree.GetSelectedItem();
    HTREEITEM child = selected ? FindChild(selected, name) : nullptr;
    if (child && m_entries) {
        m_entries->RemoveUnderPath(GetItemPath(child));
        tree.DeleteItem(child);
    }
    if (tree.GetCount() == 0)
        ShowInList(CString());
}

void CFileTree::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (!m_handleSelection)
        return;
    const auto* change = reinterpret_cast<const NMTREEVIEWW*>(pNMHDR);
    if (change->itemNew.hItem)
        ShowInList(GetItemPath(change->itemNew.hItem));
}

void CFileTree::OnNewFolder()
{
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM selected = tree.GetSelectedItem();
    HTREEITEM item = AddFolder(selected, kNewFolderName);
    if (!item)
        return;
    if (selected)
        tree.Expand(selected, TVE_EXPAND);
    tree.SelectItem(item);
    SetFocus();
    tree.EditLabel(item);
}

bool CFileTree::ChooseSystemFolder(CString& property)
{
    CFolderDialog dialog(this);
    if (dialog.DoModal() != IDOK)
        return false;
    property = dialog.m_folderName;
    return !property.IsEmpty();
}

void CFileTree::OnAddSystemFolder()
{
    CString property;
    if (ChooseSystemFolder(property))
        AddFolder(nullptr, property);
}

void CFileTree::OnEditFolder()
{
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM selected = tree.GetSelectedItem();
    if (!selected)
        return;
    CString path = GetItemPath(selected);
    TrimTrailingBackslashes(path);
    if (IsSystemFolderName(path))
        return;   // a root system folder keeps its name
    SetFocus();
    tree.EditLabel(selected);
}

void CFileTree::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* info = reinterpret_cast<const NMTVDISPINFOW*>(pNMHDR);
    m_labelBeforeEdit = GetTreeCtrl().GetItemText(info->item.hItem);
    *pResult = FALSE;
}

void CFileTree::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = FALSE;   // refused: the old label stays
    const auto* info = reinterpret_cast<const NMTVDISPINFOW*>(pNMHDR);
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM item = info->item.hItem;
    const treeitems::LabelEditCheck check = treeitems::CheckLabelEdit(
        tree, item, info->item.pszText, m_labelBeforeEdit, [](const CString& name) { return IsSystemFolderName(name); });
    if (!check.accepted || !m_entries)
        return;
    treeitems::MovePathPrefix(*m_entries, check.oldPrefix, check.newPrefix,
                              [](CFileEntry& entry) -> CString& { return entry.m_path; });
    // a shortcut names its target and working folder by destination path too: they follow the
    // folder, or the shortcut would point at an entry that no longer exists
    for (INT_PTR i = 0; i < m_entries->GetSize(); ++i) {
        CFileEntry& entry = (*m_entries)[i];
        if (entry.m_kind != CFileEntry::kindShortcut)
            continue;
        for (CString* path : {&entry.m_sourcePath, &entry.m_workingDirectory}) {
            if (treeitems::StartsWithNoCase(*path, check.oldPrefix))
                *path = check.newPrefix + path->Mid(check.oldPrefix.GetLength());
        }
    }
    tree.SetItemText(item, check.name);
    treeitems::SortChildren(tree, tree.GetParentItem(item));
    ShowInList(check.newPrefix);
}

void CFileTree::OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const auto* change = reinterpret_cast<const NMTREEVIEWW*>(pNMHDR);
    if (change->action & TVE_EXPAND)
        treeitems::SortChildren(GetTreeCtrl(), change->itemNew.hItem);
}

void CFileTree::OnDeleteFolder()
{
    if (!IsWindowVisible())
        return;
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM selected = tree.GetSelectedItem();
    if (!selected || !m_entries)
        return;
    if (AfxMessageBox(L"Delete selected folder?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    m_entries->RemoveUnderPath(GetItemPath(selected));
    tree.DeleteItem(selected);
    if (tree.GetCount() == 0)
        ShowInList(CString());
}

void CFileTree::OnOpenInExplorer()
{
    HTREEITEM selected = GetTreeCtrl().GetSelectedItem();
    if (!selected)
        return;
    const CString folder = MapToMachinePath(GetItemPath(selected), SystemFolderTable);
    if (!::PathFileExistsW(folder))
        return;
    if (m_context && m_context->openFolder)
        m_context->openFolder(folder);
    else
        ::ShellExecuteW(nullptr, L"open", folder, nullptr, nullptr, SW_SHOWNORMAL);
}

void CFileTree::OnAddToFilter()
{
    HTREEITEM selected = GetTreeCtrl().GetSelectedItem();
    if (selected && m_context)
        AddPathToFilterByDialog(this, m_context->List().m_fileFilter, GetItemPath(selected));
}

void CFileTree::OnRemoveFromFilter()
{
    HTREEITEM selected = GetTreeCtrl().GetSelectedItem();
    if (selected && m_context)
        RemovePathFromFilterByQuestion(m_context->List().m_fileFilter, GetItemPath(selected));
}

void CFileTree::OnAddFiles()
{
    if (!m_list)
        return;
    m_list->OnAddFiles();
    m_list->SetFocus();
}

void CFileTree::OnNewShortcut()
{
    if (!m_list)
        return;
    m_list->OnNewShortcut();
    m_list->SetFocus();
}

void CFileTree::OnRightClick(NMHDR*, LRESULT* pResult)
{
    const DWORD position = ::GetMessagePos();
    SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), static_cast<LPARAM>(position));
    *pResult = 1;
}

void CFileTree::OnContextMenu(CWnd*, CPoint point)
{
    if (point.x == -1 && point.y == -1) {
        const DWORD position = ::GetMessagePos();
        point = CPoint(GET_X_LPARAM(position), GET_Y_LPARAM(position));
    }
    TVHITTESTINFO hit{};
    hit.pt = point;
    ScreenToClient(&hit.pt);
    const bool onItem = ::SendMessageW(m_hWnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) != 0 &&
                        (hit.flags & TVHT_ONITEM);
    if (!onItem) {
        if (CWnd* parent = GetParent())
            parent->SetFocus();
    }
    HMENU menu = ::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(onItem ? IDR_FILES_ITEM_MENU : IDR_FILES_EMPTY_MENU));
    if (!menu)
        return;
    ::TrackPopupMenu(::GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_LEFTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    ::DestroyMenu(menu);
}
