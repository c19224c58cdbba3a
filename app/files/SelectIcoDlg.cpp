#include "app/files/SelectIcoDlg.h"

#include "framework/window/DataExchange.h"

#include "resources/app/AppResource.h"

namespace {
const wchar_t kIconFilter[] = L"Executable Files (*.exe)|*.exe|DLL Files (*.dll)|*.dll|Icon Files (*.ico)|*.ico|| ";

BOOL CALLBACK CollectGroup(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    auto* groups = reinterpret_cast<std::vector<std::pair<WORD, CString>>*>(param);
    if (IS_INTRESOURCE(name))
        groups->emplace_back(static_cast<WORD>(reinterpret_cast<UINT_PTR>(name)), CString());
    else
        groups->emplace_back(WORD(0), CString(name));
    return TRUE;
}
}  // namespace

BEGIN_MESSAGE_MAP(CSelectIcoDlg, AppDialog)
    ON_COMMAND(IDC_ICON_BROWSE, OnBrowse)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_ICON_LIST, OnItemChanged)
    ON_NOTIFY(NM_DBLCLK, IDC_ICON_LIST, OnDblClk)
END_MESSAGE_MAP()

CSelectIcoDlg::CSelectIcoDlg(CWnd* pParent) : AppDialog(IDD_SELECT_ICON, pParent) {}

BOOL CSelectIcoDlg::OnInitDialog()
{
    const BOOL result = AppDialog::OnInitDialog();
    FillIcons();
    return result;
}

void CSelectIcoDlg::DoDataExchange(CDataExchange* pDX)
{
    AppDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ICON_LIST, m_list);
    DDX_Text(pDX, IDC_ICON_FILE, m_file);
}

void CSelectIcoDlg::FillIcons()
{
    m_list.DeleteAllItems();
    m_groups.clear();
    m_images.DeleteImageList();
    m_images.Create(32, 32, ILC_COLOR24 | ILC_MASK, 0, 2);
    m_list.SetImageList(&m_images, LVSIL_NORMAL);

    HMODULE module = ::LoadLibraryExW(m_file, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module) {
        std::vector<std::pair<WORD, CString>> found;
        ::EnumResourceNamesW(module, RT_GROUP_ICON, CollectGroup, reinterpret_cast<LONG_PTR>(&found));
        const int size = ::GetSystemMetrics(SM_CXICON);
        for (const auto& [id, name] : found) {
            const wchar_t* resource = name.IsEmpty() ? MAKEINTRESOURCEW(id) : name.GetString();
            HICON icon = static_cast<HICON>(::LoadImageW(module, resource, IMAGE_ICON, size, size, 0));
            if (!icon)
                continue;
            const int image = m_images.Add(icon);
            ::DestroyIcon(icon);
            if (image < 0)
                continue;
            CString caption = name;
            if (caption.IsEmpty())
                caption.Format(L"%d", id);
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
            item.iItem = m_list.GetItemCount();
            item.pszText = const_cast<wchar_t*>(caption.GetString());
            item.iImage = image;
            item.lParam = static_cast<LPARAM>(m_groups.size());
            if (m_list.InsertItem(&item) >= 0)
                m_groups.push_back(IconGroupItem{id, name});
        }
        ::FreeLibrary(module);
    }
    if (CWnd* ok = GetDlgItem(IDOK))
        ok->EnableWindow(FALSE);
    if (m_list.GetItemCount() > 0)
        m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.SetFocus();
}

void CSelectIcoDlg::OnBrowse()
{
    AppFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, kIconFilter, this);
    if (dialog.DoModal() != IDOK)
        return;
    m_file = dialog.GetPathName();
    SetDlgItemText(IDC_ICON_FILE, m_file);
    FillIcons();
}

void CSelectIcoDlg::OnItemChanged(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    if (CWnd* ok = GetDlgItem(IDOK))
        ok->EnableWindow(m_list.GetSelectedCount() > 0);
}

void CSelectIcoDlg::OnDblClk(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OnOK();
}

void CSelectIcoDlg::OnOK()
{
    const int selected = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (selected < 0)
        return;
    const size_t group = static_cast<size_t>(m_list.GetItemData(selected));
    if (group >= m_groups.size())
        return;
    m_chosen = static_cast<int>(group);
    EndDialog(IDOK);
}

const wchar_t* CSelectIcoDlg::Group() const
{
    if (m_chosen < 0)
        return nullptr;
    const IconGroupItem& group = m_groups[static_cast<size_t>(m_chosen)];
    return group.name.IsEmpty() ? MAKEINTRESOURCEW(group.id) : group.name.GetString();
}

WORD CSelectIcoDlg::GroupNumber() const
{
    return m_chosen < 0 ? WORD(0) : m_groups[static_cast<size_t>(m_chosen)].id;
}

CString CSelectIcoDlg::GroupName() const
{
    return m_chosen < 0 ? CString() : m_groups[static_cast<size_t>(m_chosen)].name;
}
