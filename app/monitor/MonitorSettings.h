#pragma once
// The installation monitoring settings: a property sheet with one page per filter of the package
// list (files and folders, registry keys), and the small dialog that edits one entry of such a
// list, which the file and registry editors use as well.
//
// The pages edit copies in their list boxes; only OK writes back, and only the pages whose windows
// were made, so a page never visited keeps its filter as it was. The lists reach the data file
// with its next save.

#include "app/AppBases.h"

#include "engine/storage/Projects.h"

#include "framework/window/PropertySheet.h"

// Edits one text of at most 255 characters. With a title (not blank) it replaces the template's
// "Edit Item" caption.
class CAddListItemDlg : public AppDialog {
    DECLARE_DYNAMIC(CAddListItemDlg)
public:
    static constexpr int kMaxText = 255;

    CAddListItemDlg();
    explicit CAddListItemDlg(const CString& title, CWnd* pParent = nullptr);

    CString m_strTitle;
    CString m_strText;    // read by the caller after OK

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
};

// "Add to the Monitoring Filter" of the file and registry editors: the list-item dialog, titled
// "Add Path to the Monitoring Filter", starts with the path; on OK its text goes into the filter
// through AddPathToFilter.
void AddPathToFilterByDialog(CWnd* owner, CExludeList& filter, const CString& path);
// "Remove from the Monitoring Filter": when the filter holds the path without its trailing
// backslashes (exactly), asks and removes it on Yes; shows nothing when it is not there.
void RemovePathFromFilterByQuestion(CExludeList& filter, const CString& path);

// One page of the sheet: a list box of the filter's entries with "+" and "-", and double click to
// edit. Both pages share this class's handlers; they differ in their template and their filter.
class CFilterPage : public CPropertyPage {
    DECLARE_DYNAMIC(CFilterPage)
public:
    CFilterPage(UINT nIDTemplate, CExludeList& filter) : CPropertyPage(nIDTemplate), m_filter(filter) {}

    // Writes the list box back into the filter (blank entries left out).
    void OnOK() override;

protected:
    BOOL OnInitDialog() override;

    void OnAdd();
    void OnRemove();
    void OnEdit();

    AppListBox m_list;
    CExludeList& m_filter;    // not owned: a filter of the package list

    DECLARE_MESSAGE_MAP()
};

class CFileFilterPP : public CFilterPage {
public:
    explicit CFileFilterPP(CProjects& projects);
};

class CRegistryFilterPP : public CFilterPage {
public:
    explicit CRegistryFilterPP(CProjects& projects);
};

class CMonitorSettingsPS : public CPropertySheet {
    DECLARE_DYNAMIC(CMonitorSettingsPS)
public:
    explicit CMonitorSettingsPS(CWnd* pParent = nullptr, CProjects& projects = Projects);

    CFileFilterPP m_filePage;
    CRegistryFilterPP m_registryPage;
};
