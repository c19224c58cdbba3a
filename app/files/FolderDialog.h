#pragma once
// CFolderDialog: picks one of the system folders of the folder table, showing its description
// and its path on this machine. Alias rows (without a description) are not offered, so each
// property is listed once.

#include "app/AppBases.h"

class CFolderDialog : public AppDialog {
public:
    explicit CFolderDialog(CWnd* pParent = nullptr);

    CString m_folderName;   // the chosen property, read after OK

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnSelChange();

private:
    // Fills the two labels from the row named by the combo's current text.
    void ShowRow();

    DECLARE_MESSAGE_MAP()
};
