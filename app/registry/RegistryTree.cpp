#include "app/registry/RegistryTree.h"

#include "app/TreeItems.h"
#include "app/monitor/MonitorSettings.h"
#include "app/registry/RegistryDialogs.h"
#include "app/registry/RegistryList.h"
#include "app/registry/RegistryRules.h"

#include "engine/files/Globals.h"
#include "engine/files/PathHelpers.h"

#include "framework/window/Menu.h"
#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include <commctrl.h>

namespace {

enum Image { imageRoot = 0, imageKey = 1 };

const wchar_t kNewKeyName[] = L"New Key";
const wchar_t kConfirmDeleteKey[] = L"Delete key?";

CString& KeyPathOf(CRegistryEntry& record)
{
    return record.m_keyPath;
}

} // namespace

IMPLEMENT_DYNCREATE(CRegistryTree, CTreeView)

BEGIN_MESSAGE_MAP(CRegistryTree, CTreeView)
    ON_WM_CREATE()
    ON_WM_CONTEXTMENU()
    ON_NOTIFY_REFLECT(TVN_SELCHANGEDW, OnSelChanged)
    ON_NOTIFY_REFLECT(TVN_BEGINLABELEDITW, OnBeginLabelEdit)
    ON_NOTIFY_REFLECT(TVN_ENDLABELEDITW, OnEndLabelEdit)
    ON_NOTIFY_REFLECT(NM_RCLICK, OnRClick)
    ON_COMMAND(ID_REG_NEW_KEY, OnNewKey)
    ON_COMMAND(ID_REG_RENAME, OnRenameKey)
    ON_COMMAND(ID_PANEL_ENTER, OnEditKey)
    ON_COMMAND(ID_PANEL_DELETE, OnDeleteKey)
    ON_COMMAND(ID_REG_ADD_TO_FILTER, OnAddToFilter)
    ON_COMMAND(ID_REG_REMOVE_FROM_FILTER, OnRemoveFromFilter)
    ON_COMMAND_RANGE(ID_REG_NEW_STRING, ID_REG_NEW_STRING, OnNewValue)
    ON_COMMAND_RANGE(ID_REG_NEW_BINARY, ID_REG_NEW_BINARY, OnNewValue)
    ON_COMMAND_RANGE(ID_REG_NEW_DWORD, ID_REG_NEW_DWORD, OnNewValue)
    ON_COMMAND_RANGE(ID_REG_NEW_EXPAND_STRING, ID_REG_NEW_EXPAND_STRING, OnNewValue)
    ON_COMMAND_RANGE(ID_REG_NEW_MULTI_STRING, ID_REG_NEW_MULTI_STRING, OnNewValue)
END_MESSAGE_MAP()

BOOL CRegistryTree::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!AppTreeView::PreCreateWindow(cs))
        return FALSE;
    cs.style = kStyle;
    return TRUE;
}

int CRegistryTree::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    if (AppTreeView::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (LoadRegistryImages(m_images))
        GetTreeCtrl().SetImageList(&m_images, TVSIL_NORMAL);
    return 0;
}

void CRegistryTree::Bind(CRegistryEntries* records, CRegistryList* list)
{
    m_records = records;
    m_list = list;
}

void CRegistryTree::Fill()
{
    CTreeCtrl& tree = GetTreeCtrl();
    SetRedraw(FALSE);
    tree.DeleteAllItems();
    if (m_records) {
        treeitems::CTreePathIndex index(tree);
        const auto imageOf = [](bool isRoot, const CString& name) {
            return isRoot && IsRegistryRootName(name) ? imageRoot : imageKey;
        };
        for (const CRegistryEntry& record : *m_records) {
            if (record.m_kind != CRegistryEntry::kindValue)
                index.AddPath(record.m_keyPath, imageOf);
        }
    }
    treeitems::SortChildren(tree, nullptr);
    SetRedraw(TRUE);
    Invalidate();

    if (m_records) {
        if (HTREEITEM last = treeitems::FindItemByPath(tree, m_records->m_lastShownKeyPath)) {
            if (HTREEITEM parent = tree.GetParentItem(last)) {
                tree.Expand(parent, TVE_EXPAND);
                tree.SelectItem(last);
            }
        }
    }
    if (!tree.GetSelectedItem()) {
        if (HTREEITEM first = tree.GetNextItem(nullptr, TVGN_FIRSTVISIBLE))
            tree.SelectItem(first);
    }
}

HTREEITEM CRegistryTree::AddKey(HTREEITEM parent, const CString& name)
{
    if (!m_records)
        return nullptr;
    CTreeCtrl& tree = GetTreeCtrl();
    const CString clean = treeitems::RemoveForbiddenChars(name);
    if (clean.IsEmpty())
        return nullptr;
    if (HTREEITEM existing = treeitems::FindChild(tree, parent, clean))
        return existing;
    const CString parentPath = treeitems::ItemPath(tree, parent);
    CRegistryEntry record;
    record.m_kind = CRegistryEntry::kindKey;
    record.m_keyPath = (parentPath == L"\\" ? CString() : parentPath) + clean + L"\\";
    m_records->Add(record);
    HTREEITEM item = tree.InsertItem(clean, imageKey, imageKey, parent ? parent : TVI_ROOT, TVI_LAST);
    treeitems::SortChildren(tree, parent);
    tree.SelectItem(item);
    return item;
}

void CRegistryTree::ShowKeyInList(const CString& keyPath)
{
    if (m_list)
        m_list->ShowKey(keyPath, this, m_records);
}

void CRegistryTree::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const auto* change = reinterpret_cast<const NMTREEVIEWW*>(pNMHDR);
    if (change->itemNew.hItem)
        ShowKeyInList(treeitems::ItemPath(GetTreeCtrl(), change->itemNew.hItem));
}

void CRegistryTree::OnNewKey()
{
    CTreeCtrl& tree = GetTreeCtrl();
    // a key needs a parent: a new root could only be a name that is no root
    HTREEITEM selected = tree.GetSelectedItem();
    if (!selected)
        return;
    HTREEITEM item = AddKey(selected, kNewKeyName);
    if (!item)
        return;
    tree.Expand(selected, TVE_EXPAND);
    tree.SelectItem(item);
    SetFocus();
    tree.EditLabel(item);
}

void CRegistryTree::OnRenameKey()
{
    CTreeCtrl& tree = GetTreeCtrl();
    if (HTREEITEM selected = tree.GetSelectedItem()) {
        SetFocus();
        tree.EditLabel(selected);
    }
}

void CRegistryTree::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* info = reinterpret_cast<const NMTVDISPINFOW*>(pNMHDR);
    m_labelBeforeEdit = GetTreeCtrl().GetItemText(info->item.hItem);
    *pResult = FALSE;
}

void CRegistryTree::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    // Refusing (FALSE) leaves the old label. An accepted name is set here, trimmed, so the item
    // text and the moved paths agree; the result stays FALSE so the control does not put the
    // untrimmed text back.
    *pResult = FALSE;
    const auto* info = reinterpret_cast<const NMTVDISPINFOW*>(pNMHDR);
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM item = info->item.hItem;
    const treeitems::LabelEditCheck check = treeitems::CheckLabelEdit(
        tree, item, info->item.pszText, m_labelBeforeEdit, [](const CString& name) { return IsRegistryRootName(name); });
    if (!check.accepted || !m_records)
        return;
    treeitems::MovePathPrefix(*m_records, check.oldPrefix, check.newPrefix, KeyPathOf);
    tree.SetItemText(item, check.name);
    treeitems::SortChildren(tree, tree.GetParentItem(item));
    ShowKeyInList(check.newPrefix);
}

void CRegistryTree::OnEditKey()
{
    CTreeCtrl& tree = GetTreeCtrl();
    // Enter while a label is being edited ends that edit instead
    if (tree.GetEditControl()) {
        tree.EndEditLabelNow(FALSE);
        return;
    }
    HTREEITEM selected = tree.GetSelectedItem();
    if (!selected || !m_records)
        return;
    const CString oldPath = treeitems::ItemPath(tree, selected);
    CRegKeyDlg dialog(this);
    dialog.Bind(*m_records, oldPath);
    if (dialog.DoModal() != IDOK)
        return;
    const CString newPath = dialog.EditedRecord().m_keyPath;
    if (newPath == oldPath)
        return;
    treeitems::MovePathPrefix(*m_records, oldPath, newPath, KeyPathOf);
    ShowKeyInList(newPath);
    tree.SetItemText(selected, LastKeyName(newPath));
    treeitems::SortChildren(tree, tree.GetParentItem(selected));
}

void CRegistryTree::OnDeleteKey()
{
    CTreeCtrl& tree = GetTreeCtrl();
    // the Delete key reaches the tree through the frame's accelerators even while a label is
    // being edited: there it belongs to the edit box
    if (HWND edit = tree.GetEditControl()) {
        ::SendMessageW(edit, WM_KEYDOWN, VK_DELETE, 0);
        return;
    }
    HTREEITEM selected = tree.GetSelectedItem();
    if (!selected || !m_records)
        return;
    const CString path = treeitems::ItemPath(tree, selected);
    if (IsRegistryRootName(path))
        return;
    if (AfxMessageBox(kConfirmDeleteKey, MB_YESNO) != IDYES)
        return;
    if (m_records->RemoveKeyTree(path))
        tree.DeleteItem(selected);
}

void CRegistryTree::OnAddToFilter()
{
    HTREEITEM selected = GetTreeCtrl().GetSelectedItem();
    if (selected && m_projects)
        AddPathToFilterByDialog(this, m_projects->m_registryFilter, treeitems::ItemPath(GetTreeCtrl(), selected));
}

void CRegistryTree::OnRemoveFromFilter()
{
    HTREEITEM selected = GetTreeCtrl().GetSelectedItem();
    if (selected && m_projects)
        RemovePathFromFilterByQuestion(m_projects->m_registryFilter, treeitems::ItemPath(GetTreeCtrl(), selected));
}

void CRegistryTree::OnContextMenu(CWnd*, CPoint point)
{
    if (point.x == -1 && point.y == -1) {
        const DWORD position = ::GetMessagePos();
        point = CPoint(GET_X_LPARAM(position), GET_Y_LPARAM(position));
    }
    CTreeCtrl& tree = GetTreeCtrl();
    TVHITTESTINFO hit{};
    hit.pt = point;
    ScreenToClient(&hit.pt);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(tree.SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (!item)
        return;
    CMenu menu;
    if (!menu.LoadMenu(tree.GetParentItem(item) ? IDR_REGISTRY_KEY_MENU : IDR_REGISTRY_ROOT_MENU))
        return;
    if (CMenu* popup = menu.GetSubMenu(0))
        popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, point.x, point.y, this);
}

void CRegistryTree::OnRClick(NMHDR*, LRESULT* pResult)
{
    // the control would otherwise send WM_CONTEXTMENU to its parent, the splitter
    const DWORD position = ::GetMessagePos();
    SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), static_cast<LPARAM>(position));
    *pResult = 1;
}

void CRegistryTree::OnNewValue(UINT command)
{
    if (m_list)
        m_list->OnNewValue(command);
}
