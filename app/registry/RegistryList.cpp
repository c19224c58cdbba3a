#include "app/registry/RegistryList.h"

#include "app/registry/RegistryDialogs.h"
#include "app/registry/RegistryRules.h"
#include "app/registry/RegistryTree.h"

#include "engine/files/Globals.h"

#include "framework/window/Gdi.h"
#include "framework/window/Menu.h"

#include "resources/app/AppResource.h"

#include <commctrl.h>

namespace {
const COLORREF kMaskColour = RGB(255, 0, 255);
enum Column { columnName = 0, columnType = 1, columnValue = 2 };
} // namespace

bool LoadRegistryImages(CImageList& images)
{
    if (!images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 2))
        return false;
    CBitmap bitmap;
    return bitmap.LoadBitmap(IDB_REGISTRY_IMAGES) && images.Add(&bitmap, kMaskColour) >= 0;
}

IMPLEMENT_DYNCREATE(CRegistryList, CListView)

BEGIN_MESSAGE_MAP(CRegistryList, CListView)
    ON_WM_CREATE()
    ON_WM_CONTEXTMENU()
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClk)
    ON_COMMAND(ID_PANEL_ENTER, OnEditValue)
    ON_COMMAND(ID_REG_RENAME, OnEditValue)
    ON_COMMAND(ID_PANEL_DELETE, OnDeleteValues)
    ON_COMMAND(ID_REG_NEW_KEY, OnNewKey)
    ON_COMMAND_RANGE(ID_REG_NEW_STRING, ID_REG_NEW_STRING, OnNewValue)
    ON_COMMAND_RANGE(ID_REG_NEW_BINARY, ID_REG_NEW_BINARY, OnNewValue)
    ON_COMMAND_RANGE(ID_REG_NEW_DWORD, ID_REG_NEW_DWORD, OnNewValue)
    ON_COMMAND_RANGE(ID_REG_NEW_EXPAND_STRING, ID_REG_NEW_EXPAND_STRING, OnNewValue)
    ON_COMMAND_RANGE(ID_REG_NEW_MULTI_STRING, ID_REG_NEW_MULTI_STRING, OnNewValue)
END_MESSAGE_MAP()

BOOL CRegistryList::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= LVS_REPORT | LVS_SHOWSELALWAYS;
    return AppListView::PreCreateWindow(cs);
}

int CRegistryList::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    if (AppListView::OnCreate(lpCreateStruct) == -1)
        return -1;
    CListCtrl& list = GetListCtrl();
    list.SetExtendedStyle(LVS_EX_HEADERDRAGDROP | LVS_EX_INFOTIP);
    if (LoadRegistryImages(m_images))
        list.SetImageList(&m_images, LVSIL_SMALL);
    list.InsertColumn(columnName, L"Name", LVCFMT_LEFT, 200);
    list.InsertColumn(columnType, L"Type", LVCFMT_LEFT, 80);
    list.InsertColumn(columnValue, L"Value", LVCFMT_LEFT, 200);
    return 0;
}

void CRegistryList::ShowKey(const CString& keyPath, CRegistryTree* tree, CRegistryEntries* records)
{
    m_keyPath = keyPath;
    m_tree = tree;
    m_records = records;
    Refill();
}

void CRegistryList::Refill()
{
    CListCtrl& list = GetListCtrl();
    // one repaint for the whole key: a repackaged key can hold thousands of values
    SetRedraw(FALSE);
    list.DeleteAllItems();
    if (m_records) {
        for (const CRegistryEntry& record : *m_records) {
            if (record.m_kind == CRegistryEntry::kindValue && record.m_keyPath == m_keyPath)
                AddValueRow(record);
        }
    }
    SetRedraw(TRUE);
    Invalidate();
}

void CRegistryList::AddValueRow(const CRegistryEntry& record)
{
    CListCtrl& list = GetListCtrl();
    const RegistryValueTypeRow& type = ValueTypeRow(record.m_valueType);
    const int row = list.InsertItem(list.GetItemCount(), ValueNameForRow(record.m_valueName), type.image);
    if (row < 0)
        return;
    list.SetItemText(row, columnType, type.typeText);
    list.SetItemText(row, columnValue, ShownValueText(record));
}

int CRegistryList::FirstSelectedRow() const
{
    return GetListCtrl().GetNextItem(-1, LVNI_SELECTED);
}

void CRegistryList::OnNewValue(UINT command)
{
    const int type = ValueTypeOfCommand(command);
    if (type < 0 || !m_records)
        return;
    CRegistryEntry record;
    record.m_kind = CRegistryEntry::kindValue;
    record.m_valueType = type;
    record.m_keyPath = m_keyPath;
    record.m_valueName = NewValueName(*m_records, m_keyPath);
    record.m_value = ValueTypeRow(type).newValue;
    m_records->Add(record);
    AddValueRow(record);
}

void CRegistryList::OnEditValue()
{
    const int row = FirstSelectedRow();
    if (row < 0 || !m_records)
        return;
    CListCtrl& list = GetListCtrl();
    CRegValueDlg dialog(this);
    if (!dialog.Bind(*m_records, m_keyPath, ValueNameFromRow(list.GetItemText(row, columnName))))
        return;
    if (dialog.DoModal() != IDOK)
        return;
    const CRegistryEntry& record = dialog.EditedRecord();
    list.SetItemText(row, columnName, ValueNameForRow(record.m_valueName));
    list.SetItemText(row, columnValue, ShownValueText(record));
}

void CRegistryList::OnDeleteValues()
{
    if (!m_records)
        return;
    CListCtrl& list = GetListCtrl();
    for (int row = FirstSelectedRow(); row >= 0; row = FirstSelectedRow()) {
        m_records->RemoveValue(m_keyPath, ValueNameFromRow(list.GetItemText(row, columnName)));
        if (!list.DeleteItem(row))
            break;
    }
}

void CRegistryList::OnNewKey()
{
    if (m_tree)
        m_tree->OnNewKey();
}

void CRegistryList::OnContextMenu(CWnd*, CPoint point)
{
    if (point.x == -1 && point.y == -1) {
        const DWORD position = ::GetMessagePos();
        point = CPoint(GET_X_LPARAM(position), GET_Y_LPARAM(position));
    }
    LVHITTESTINFO hit{};
    hit.pt = point;
    ScreenToClient(&hit.pt);
    GetListCtrl().SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const bool onRow = hit.iItem >= 0 && (hit.flags & LVHT_ONITEM) != 0;

    CMenu menu;
    if (!menu.LoadMenu(IsRegistryRootName(m_keyPath) ? IDR_REGISTRY_ROOT_MENU : IDR_REGISTRY_VALUE_MENU))
        return;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup)
        return;
    if (!onRow) {
        popup->DeleteMenu(ID_PANEL_ENTER, MF_BYCOMMAND);
        popup->DeleteMenu(ID_PANEL_DELETE, MF_BYCOMMAND);
        popup->DeleteMenu(ID_REG_RENAME, MF_BYCOMMAND);
        popup->DeleteMenu(1, MF_BYPOSITION);
    }
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, point.x, point.y, this);
}

void CRegistryList::OnDblClk(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OnEditValue();
}
