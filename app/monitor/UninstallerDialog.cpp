#include "app/monitor/UninstallerDialog.h"

#include "engine/files/LocalFormat.h"

#include "framework/ResourceHandle.h"
#include "framework/window/Gdi.h"

#include "resources/app/AppResource.h"

#include <shellapi.h>

#include <cwchar>

namespace {
// The default program image's transparent colour.
constexpr COLORREF kMaskColour = RGB(255, 0, 255);
// Full-row selection and info tips.
constexpr DWORD kListStyles = LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;

struct Column {
    const wchar_t* title;
    int width;    // pixels
};
constexpr Column kColumns[] = {
    {L"Name", 370}, {L"Version", 80}, {L"Installed On", 80}, {L"Uninstall Command", 100}};
constexpr int kCommandColumn = 3;
} // namespace

IMPLEMENT_DYNAMIC(CUninstallerDialog, CResizeDialog)

BEGIN_MESSAGE_MAP(CUninstallerDialog, AppResizeDialog)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_PROGRAMS_LIST, OnItemChanged)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_PROGRAMS_LIST, OnColumnClick)
    ON_COMMAND(IDC_UNINSTALL, OnUninstall)
    ON_COMMAND(IDC_PROGRAMS_REFRESH, OnRefresh)
    ON_COMMAND(IDC_SHOW_UPDATES, OnFilterChanged)
    ON_COMMAND(IDC_SHOW_MSI, OnFilterChanged)
END_MESSAGE_MAP()

CUninstallerDialog::CUninstallerDialog(CWnd* pParent) : AppResizeDialog(IDD_INSTALLED_PROGRAMS, pParent) {}

BOOL CUninstallerDialog::OnInitDialog()
{
    AppResizeDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_PROGRAMS_LIST, this);
    SetControlAnchors(IDC_PROGRAMS_LIST, 0, 0, 1, 1);
    SetControlAnchors(IDC_SHOW_UPDATES, 0, 1, 0, 1);
    SetControlAnchors(IDC_SHOW_MSI, 0, 1, 0, 1);
    for (int id : {IDC_UNINSTALL, IDCANCEL, IDC_PROGRAMS_REFRESH})
        SetControlAnchors(id, 1, 1, 1, 1);

    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | kListStyles);
    for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column)
        m_list.InsertColumn(column, kColumns[column].title, LVCFMT_LEFT, kColumns[column].width);
    FillList();

    HICON icon = static_cast<HICON>(::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_MAINFRAME), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                                 LR_SHARED));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

    if (m_pickMode) {
        GetDlgItem(IDC_PROGRAMS_REFRESH)->ShowWindow(SW_HIDE);
        SetDlgItemText(IDC_UNINSTALL, L"OK");
    }
    return TRUE;
}

void CUninstallerDialog::FillList()
{
    m_options.showUpdates = IsDlgButtonChecked(IDC_SHOW_UPDATES) == BST_CHECKED;
    m_options.showInstallerPackages = IsDlgButtonChecked(IDC_SHOW_MSI) == BST_CHECKED;

    m_list.DeleteAllItems();
    m_names.clear();
    // The list keeps using the old image list until the new one is set: replace, then destroy.
    CImageList images;
    images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 2);
    CBitmap defaultImage;
    if (defaultImage.LoadBitmap(IDB_DEFAULT_PROGRAM))
        images.Add(&defaultImage, kMaskColour);
    m_list.SetImageList(CImageList::FromHandle(images.GetSafeHandle()), LVSIL_SMALL);
    m_images.DeleteImageList();
    m_images.Attach(images.Detach());

    const CLocalFormat format;
    const std::vector<UninstallRow> rows =
        ReadUninstallRows(m_options, UninstallKeysToVisit(ReadProfileIds(), OtherRegistryView()));
    for (const UninstallRow& row : rows) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = m_list.GetItemCount();
        item.pszText = const_cast<wchar_t*>(row.name.GetString());
        item.iImage = ImageFor(row.iconPath);
        item.lParam = static_cast<LPARAM>(m_names.size());
        m_names.push_back(row.name);
        const int index = m_list.InsertItem(&item);
        if (index < 0)
            continue;
        m_list.SetItemText(index, 1, row.version);
        m_list.SetItemText(index, 2, format.FormatDate(FileTimeToUnixSeconds(row.lastWrite)));
        m_list.SetItemText(index, kCommandColumn, row.command);
    }
    UpdateUninstallButton();
}

int CUninstallerDialog::ImageFor(const CString& iconPath)
{
    if (iconPath.IsEmpty())
        return 0;
    // The whole value is the path: a value with ",<index>" names no file and keeps the default.
    HICON small = nullptr;
    if (::ExtractIconExW(iconPath, 0, nullptr, &small, 1) == 0 || !small)
        return 0;
    const int image = m_images.Add(small);
    ::DestroyIcon(small);
    return image < 0 ? 0 : image;
}

void CUninstallerDialog::UpdateUninstallButton()
{
    GetDlgItem(IDC_UNINSTALL)->EnableWindow(m_list.GetSelectedCount() > 0);
}

void CUninstallerDialog::OnItemChanged(NMHDR*, LRESULT* pResult)
{
    UpdateUninstallButton();
    *pResult = 0;
}

int CALLBACK CUninstallerDialog::CompareNames(LPARAM first, LPARAM second, LPARAM self)
{
    const auto* dialog = reinterpret_cast<const CUninstallerDialog*>(self);
    const size_t a = static_cast<size_t>(first);
    const size_t b = static_cast<size_t>(second);
    if (a >= dialog->m_names.size() || b >= dialog->m_names.size())
        return 0;
    // Code units, case-sensitive: wcscmp compares wchar_t values, which are UTF-16 units here.
    const int order = std::wcscmp(dialog->m_names[a].GetString(), dialog->m_names[b].GetString());
    return dialog->m_sortAscending ? order : -order;
}

void CUninstallerDialog::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const auto* view = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    if (view->iSubItem != 0)
        return;
    m_sortAscending = !m_sortAscending;
    m_list.SendMessage(LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(&CompareNames));
}

void CUninstallerDialog::OnUninstall()
{
    const int selected = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (selected < 0)
        return;
    m_chosenCommand = m_list.GetItemText(selected, kCommandColumn);
    if (m_pickMode) {
        EndDialog(IDOK);
        return;
    }
    // CreateProcess may write into the command line, so it gets a copy of its own.
    std::wstring commandLine(m_chosenCommand.GetString());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &process)) {
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
}

void CUninstallerDialog::OnRefresh()
{
    FillList();
}

void CUninstallerDialog::OnFilterChanged()
{
    FillList();
}
