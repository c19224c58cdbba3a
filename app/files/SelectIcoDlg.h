#pragma once
// CSelectIcoDlg: lists the icon groups of an executable or DLL (loaded as data, none of its code
// runs) as 32 x 32 icons captioned with their resource names, and returns the chosen group's
// number or name. Each item keeps the group it was made from, so a name that begins with digits,
// or a long one, comes back as it is.

#include "app/AppBases.h"

#include "framework/window/ImageList.h"

#include <vector>

class CSelectIcoDlg : public AppDialog {
public:
    explicit CSelectIcoDlg(CWnd* pParent = nullptr);

    CString m_file;   // set by the caller; the file whose groups are listed

    // After OK: the chosen group, in the form the resource functions take (a number made with
    // MAKEINTRESOURCEW, or a name that lives as long as the dialog).
    const wchar_t* Group() const;
    bool GroupIsNumber() const { return m_chosen >= 0 && m_groups[static_cast<size_t>(m_chosen)].name.IsEmpty(); }
    WORD GroupNumber() const;
    CString GroupName() const;

    void FillIcons();
    void OnBrowse();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDblClk(NMHDR* pNMHDR, LRESULT* pResult);

private:
    struct IconGroupItem {
        WORD id = 0;
        CString name;   // empty for a numbered group
    };

    AppListCtrl m_list;
    CImageList m_images;
    std::vector<IconGroupItem> m_groups;   // item data indexes this
    int m_chosen = -1;

    DECLARE_MESSAGE_MAP()
};
