#pragma once
// CUninstallerDialog: the installed programs of the machine (UninstallEntries.h), one row each
// with its icon, version, date and uninstall command. "Uninstall/Change" starts the chosen row's
// command and leaves the dialog open; in pick mode (set by the install-script editor before
// DoModal) "Refresh" is hidden, the button reads "OK" and ends the dialog with the chosen command.

#include "app/AppBases.h"
#include "app/monitor/UninstallEntries.h"

#include "framework/window/ImageList.h"

#include <vector>

class CUninstallerDialog : public AppResizeDialog {
    DECLARE_DYNAMIC(CUninstallerDialog)
public:
    explicit CUninstallerDialog(CWnd* pParent = nullptr);

    // Clears and rebuilds the rows, reading the two check boxes first.
    void FillList();

    BOOL m_pickMode = FALSE;      // set by the caller before DoModal
    CString m_chosenCommand;      // the chosen row's command, read by the caller after OK

protected:
    BOOL OnInitDialog() override;

    void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnUninstall();
    void OnRefresh();
    void OnFilterChanged();

private:
    // Adds the first icon of the file the entry names; image 0 (the default) when it has none.
    int ImageFor(const CString& iconPath);
    void UpdateUninstallButton();
    static int CALLBACK CompareNames(LPARAM first, LPARAM second, LPARAM self);

    AppListCtrl m_list;
    CImageList m_images;
    std::vector<CString> m_names;    // each row's item data indexes its display name here
    UninstallOptions m_options;
    bool m_sortAscending = true;

    DECLARE_MESSAGE_MAP()
};
