#include "app/monitor/MonitorSettings.h"

#include "app/monitor/FilterRules.h"

#include "engine/files/PathHelpers.h"

#include "framework/window/DataExchange.h"
#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

namespace {
const wchar_t kSheetCaption[] = L"Installation Monitoring Settings";
}

// ---- CAddListItemDlg ----

IMPLEMENT_DYNAMIC(CAddListItemDlg, CDialog)

CAddListItemDlg::CAddListItemDlg() : AppDialog(IDD_EDIT_ITEM) {}

CAddListItemDlg::CAddListItemDlg(const CString& title, CWnd* pParent) : AppDialog(IDD_EDIT_ITEM, pParent), m_strTitle(title)
{
}

BOOL CAddListItemDlg::OnInitDialog()
{
    const BOOL result = AppDialog::OnInitDialog();
    CString title = m_strTitle;
    if (!title.Trim().IsEmpty())
        SetWindowText(title);
    return result;
}

void CAddListItemDlg::DoDataExchange(CDataExchange* pDX)
{
    AppDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_ITEM_TEXT, m_strText);
    DDV_MaxChars(pDX, m_strText, kMaxText);
}

// ---- CFilterPage ----

IMPLEMENT_DYNAMIC(CFilterPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CFilterPage, CPropertyPage)
    ON_COMMAND(IDC_FILTER_ADD, OnAdd)
    ON_COMMAND(IDC_FILTER_REMOVE, OnRemove)
    ON_CONTROL(LBN_DBLCLK, IDC_FILTER_LIST, OnEdit)
END_MESSAGE_MAP()

BOOL CFilterPage::OnInitDialog()
{
    const BOOL result = CPropertyPage::OnInitDialog();
    m_list.SubclassDlgItem(IDC_FILTER_LIST, this);
    for (POSITION position = m_filter.GetHeadPosition(); position;)
        m_list.AddString(m_filter.GetNext(position));
    return result;
}

void CFilterPage::OnAdd()
{
    CAddListItemDlg dialog;
    if (dialog.DoModal() != IDOK || IsBlankFilterText(dialog.m_strText))
        return;
    m_list.AddString(dialog.m_strText);
}

void CFilterPage::OnRemove()
{
    const int selected = m_list.GetCurSel();
    if (selected == LB_ERR)
        return;
    m_list.DeleteString(selected);
    // The entry before the removed one; the first entry leaves no selection (-1 clears it).
    m_list.SetCurSel(selected - 1);
}

void CFilterPage::OnEdit()
{
    const int selected = m_list.GetCurSel();
    if (selected == LB_ERR)
        return;
    CAddListItemDlg dialog;
    m_list.GetText(selected, dialog.m_strText);
    // A blank text keeps the entry as it was rather than turning it into a match-everything one.
    if (dialog.DoModal() != IDOK || IsBlankFilterText(dialog.m_strText))
        return;
    m_list.DeleteString(selected);
    m_list.InsertString(selected, dialog.m_strText);
    m_list.SetCurSel(selected);
}

void CFilterPage::OnOK()
{
    m_filter.RemoveAll();
    const int count = m_list.GetCount();
    for (int index = 0; index < count; ++index) {
        CString text;
        m_list.GetText(index, text);
        if (!IsBlankFilterText(text))
            m_filter.AddTail(text);
    }
}

CFileFilterPP::CFileFilterPP(CProjects& projects) : CFilterPage(IDD_FILE_FILTERS, projects.m_fileFilter) {}

CRegistryFilterPP::CRegistryFilterPP(CProjects& projects) : CFilterPage(IDD_REGISTRY_FILTERS, projects.m_registryFilter) {}

// ---- CMonitorSettingsPS ----

IMPLEMENT_DYNAMIC(CMonitorSettingsPS, CPropertySheet)

CMonitorSettingsPS::CMonitorSettingsPS(CWnd* pParent, CProjects& projects)
    : CPropertySheet(kSheetCaption, pParent), m_filePage(projects), m_registryPage(projects)
{
    AddPage(&m_filePage);
    AddPage(&m_registryPage);
}

void AddPathToFilterByDialog(CWnd* owner, CExludeList& filter, const CString& path)
{
    CAddListItemDlg dialog(L"Add Path to the Monitoring Filter", owner);
    dialog.m_strText = path;
    if (dialog.DoModal() == IDOK)
        AddPathToFilter(filter, dialog.m_strText);
}

void RemovePathFromFilterByQuestion(CExludeList& filter, const CString& path)
{
    CString text = path;
    TrimTrailingBackslashes(text);
    if (text.IsEmpty() || !filter.Find(text))
        return;
    CString question;
    question.Format(L"Remove \"%s\" \n from the Monitoring Filter?", text.GetString());
    // the answer may come after other edits of the filter: look it up again
    if (AfxMessageBox(question, MB_YESNO) == IDYES) {
        if (POSITION at = filter.Find(text))
            filter.RemoveAt(at);
    }
}
