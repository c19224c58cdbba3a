#include "app/registry/RegistryDialogs.h"

#include "app/registry/RegistryRules.h"

#include "framework/window/DataExchange.h"

#include "resources/app/AppResource.h"

// ---- CRegKeyDlg ----

IMPLEMENT_DYNAMIC(CRegKeyDlg, CDialog)

CRegKeyDlg::CRegKeyDlg(CWnd* pParent) : AppDialog(IDD_REG_KEY, pParent)
{
    m_record = &m_ownRecord;
}

void CRegKeyDlg::Bind(CRegistryEntries& records, const CString& keyPath)
{
    m_records = &records;
    m_openingPath = keyPath;
    m_record = records.FindKey(keyPath);
    if (!m_record) {
        m_ownRecord.m_kind = CRegistryEntry::kindKey;
        m_ownRecord.m_keyPath = keyPath;
        m_record = &m_ownRecord;
    }
}

BOOL CRegKeyDlg::OnInitDialog()
{
    return AppDialog::OnInitDialog();
}

void CRegKeyDlg::DoDataExchange(CDataExchange* pDX)
{
    AppDialog::DoDataExchange(pDX);
    if (!pDX->m_bSaveAndValidate) {
        CString name = LastKeyName(m_record->m_keyPath);
        CString condition = m_record->m_condition;
        int alwaysCreate = KeyAlwaysCreates(m_record->m_keyOptions) ? BST_CHECKED : BST_UNCHECKED;
        int deleteAtUninstall = KeyDeletesAtUninstall(m_record->m_keyOptions) ? BST_CHECKED : BST_UNCHECKED;
        DDX_Text(pDX, IDC_REG_NAME, name);
        DDX_Text(pDX, IDC_REG_CONDITION, condition);
        DDX_Check(pDX, IDC_REG_ALWAYS_CREATE, alwaysCreate);
        DDX_Check(pDX, IDC_REG_DELETE_AT_UNINSTALL, deleteAtUninstall);
        return;
    }

    CString box;
    DDX_Text(pDX, IDC_REG_NAME, box);
    CString name;
    CString newPath;
    const CRegistryEntries empty;
    if (CheckKeyDialogName(m_records ? *m_records : empty, m_record->m_keyPath, m_openingPath, box, &name,
                           &newPath) != KeyNameCheck::ok)
        pDX->Fail();
    CString condition;
    int alwaysCreate = 0;
    int deleteAtUninstall = 0;
    DDX_Text(pDX, IDC_REG_CONDITION, condition);
    DDX_Check(pDX, IDC_REG_ALWAYS_CREATE, alwaysCreate);
    DDX_Check(pDX, IDC_REG_DELETE_AT_UNINSTALL, deleteAtUninstall);

    m_record->m_keyPath = newPath;
    m_record->m_keyOptions = KeyOptionsFromChecks(alwaysCreate == BST_CHECKED, deleteAtUninstall == BST_CHECKED);
    m_record->m_condition = condition;
}

void CRegKeyDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    // A key that lives only inside longer paths gets a record of its own once it has something
    // to carry; without options or a condition it stays as it was, a path and nothing more.
    if (m_records && m_record == &m_ownRecord && !m_records->FindKey(m_ownRecord.m_keyPath)) {
        CString condition = m_ownRecord.m_condition;
        if (m_ownRecord.m_keyOptions != 0 || !condition.Trim().IsEmpty())
            m_records->Add(m_ownRecord);
    }
    EndDialog(IDOK);
}

// ---- CRegValueDlg ----

IMPLEMENT_DYNAMIC(CRegValueDlg, CDialog)

BEGIN_MESSAGE_MAP(CRegValueDlg, CDialog)
    ON_COMMAND(IDC_REG_EDIT_LARGE, OnEditLarge)
END_MESSAGE_MAP()

CRegValueDlg::CRegValueDlg(CWnd* pParent) : AppDialog(IDD_REG_VALUE, pParent) {}

bool CRegValueDlg::Bind(CRegistryEntries& records, const CString& keyPath, const CString& name)
{
    m_records = &records;
    m_record = records.FindValue(keyPath, name);
    if (!m_record)
        return false;
    m_openingName = m_record->m_valueName;
    m_multiString = m_record->m_value;
    return true;
}

BOOL CRegValueDlg::OnInitDialog()
{
    const BOOL result = AppDialog::OnInitDialog();
    switch (m_record->m_valueType) {
    case CRegistryEntry::typeBinary:
        SetWindowText(L"Edit Binary");
        break;
    case CRegistryEntry::typeDword:
        SetWindowText(L"Edit DWORD");
        break;
    case CRegistryEntry::typeString:
    case CRegistryEntry::typeExpandString:
    case CRegistryEntry::typeMultiString:
        SetWindowText(L"Edit String");
        break;
    default:
        break;
    }
    // multi-string data holds line breaks that one line of text cannot show: only "..." edits it
    if (m_record->m_valueType == CRegistryEntry::typeMultiString)
        if (CWnd* box = GetDlgItem(IDC_REG_VALUE))
            box->EnableWindow(FALSE);
    return result;
}

void CRegValueDlg::DoDataExchange(CDataExchange* pDX)
{
    AppDialog::DoDataExchange(pDX);
    if (!pDX->m_bSaveAndValidate) {
        CString name = m_record->m_valueName;
        CString value = ShownValueText(*m_record);
        CString condition = m_record->m_condition;
        DDX_Text(pDX, IDC_REG_NAME, name);
        DDX_Text(pDX, IDC_REG_VALUE, value);
        DDX_Text(pDX, IDC_REG_CONDITION, condition);
        return;
    }

    // Every box is read and checked before anything is written, so a refused box leaves the
    // record as it was.
    CString name;
    DDX_Text(pDX, IDC_REG_NAME, name);
    name.Trim();
    if (name.CompareNoCase(m_openingName) != 0) {
        const CRegistryEntry* other = m_records->FindValue(m_record->m_keyPath, name);
        if (other && other != m_record)
            pDX->Fail();
    }

    CString value = m_record->m_value;
    switch (m_record->m_valueType) {
    case CRegistryEntry::typeMultiString:
        value = m_multiString;
        break;
    case CRegistryEntry::typeBinary:
        DDX_Text(pDX, IDC_REG_VALUE, value);
        if (!IsBinaryText(value))
            pDX->Fail();
        break;
    case CRegistryEntry::typeDword: {
        // the framework refuses anything but 0 to 4294967295 with its own prompt
        DWORD number = 0;
        DDX_Text(pDX, IDC_REG_VALUE, number);
        value.Format(L"%lu", static_cast<unsigned long>(number));
        break;
    }
    default:
        DDX_Text(pDX, IDC_REG_VALUE, value);
        break;
    }

    CString condition;
    DDX_Text(pDX, IDC_REG_CONDITION, condition);

    m_record->m_valueName = name;
    m_record->m_value = value;
    m_record->m_condition = condition;
}

void CRegValueDlg::OnEditLarge()
{
    const bool multiString = m_record->m_valueType == CRegistryEntry::typeMultiString;
    CEditValDlg editor(this);
    if (multiString)
        editor.m_text = MultiStringToLines(m_multiString);
    else
        GetDlgItemText(IDC_REG_VALUE, editor.m_text);
    if (editor.DoModal() != IDOK)
        return;
    if (multiString) {
        m_multiString = LinesToMultiString(editor.m_text);
        CString shown = m_multiString;
        shown.Replace(kMultiStringSeparator, L" ");
        SetDlgItemText(IDC_REG_VALUE, shown);
    } else {
        SetDlgItemText(IDC_REG_VALUE, editor.m_text);
    }
}

// ---- CEditValDlg ----

IMPLEMENT_DYNAMIC(CEditValDlg, CResizeDialog)

CEditValDlg::CEditValDlg(CWnd* pParent) : AppResizeDialog(IDD_EDIT_VALUE, pParent) {}

BOOL CEditValDlg::OnInitDialog()
{
    const BOOL result = AppResizeDialog::OnInitDialog();
    SetOptionFlags(kNoSizeGripper);
    SetControlAnchors(IDC_EDIT_VALUE_TEXT, 0, 0, 1, 1);
    SetControlAnchors(IDOK, 1, 1, 1, 1);
    SetControlAnchors(IDCANCEL, 1, 1, 1, 1);
    return result;
}

void CEditValDlg::DoDataExchange(CDataExchange* pDX)
{
    AppResizeDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT_VALUE_TEXT, m_text);
}
