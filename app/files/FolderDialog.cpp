#include "app/files/FolderDialog.h"

#include "engine/files/Globals.h"

#include "framework/window/DataExchange.h"

#include "resources/app/AppResource.h"

BEGIN_MESSAGE_MAP(CFolderDialog, AppDialog)
    ON_CONTROL(CBN_SELCHANGE, IDC_SYSTEM_FOLDER_NAME, OnSelChange)
END_MESSAGE_MAP()

CFolderDialog::CFolderDialog(CWnd* pParent) : AppDialog(IDD_SYSTEM_FOLDER, pParent) {}

BOOL CFolderDialog::OnInitDialog()
{
    const BOOL result = AppDialog::OnInitDialog();
    HWND combo = ::GetDlgItem(m_hWnd, IDC_SYSTEM_FOLDER_NAME);
    for (int i = 0; i < CSystemFolderTable::kRowCount; ++i) {
        const SystemFolderRow& row = SystemFolderTable.Row(i);
        if (row.description)
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.property));
    }
    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
    ShowRow();
    return result;
}

void CFolderDialog::DoDataExchange(CDataExchange* pDX)
{
    AppDialog::DoDataExchange(pDX);
    // Only saved: the combo is filled after the first exchange, from the table.
    if (pDX->m_bSaveAndValidate)
        DDX_CBString(pDX, IDC_SYSTEM_FOLDER_NAME, m_folderName);
}

void CFolderDialog::OnSelChange()
{
    ShowRow();
}

void CFolderDialog::ShowRow()
{
    CString name;
    GetDlgItemText(IDC_SYSTEM_FOLDER_NAME, name);
    for (int i = 0; i < CSystemFolderTable::kRowCount; ++i) {
        const SystemFolderRow& row = SystemFolderTable.Row(i);
        if (row.description && name == row.property) {
            SetDlgItemText(IDC_SYSTEM_FOLDER_DESCRIPTION, row.description);
            SetDlgItemText(IDC_SYSTEM_FOLDER_PATH, row.path);
            return;
        }
    }
}
