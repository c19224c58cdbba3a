#include "app/files/FilePickers.h"

#include "app/TreeItems.h"
#include "app/files/FileRules.h"

#include "engine/files/Globals.h"

#include "framework/window/DataExchange.h"

#include "resources/app/AppResource.h"

#include <algorithm>
#include <vector>

namespace {
constexpr COLORREF kMaskColour = RGB(255, 0, 255);
constexpr COLORREF kTrackerColour = RGB(200, 200, 200);
// How far the picker's bar may move to either side, in pixels.
constexpr int kSplitterRange = 50;

HCURSOR g_sizeWE = nullptr;   // shared by every bar, loaded with the first
HCURSOR g_sizeNS = nullptr;
}  // namespace

// ---- CSplitterControl ----

BEGIN_MESSAGE_MAP(CSplitterControl, CStatic)
    ON_WM_PAINT()
    ON_WM_SETCURSOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

BOOL CSplitterControl::Create(const RECT& rect, CWnd* parent)
{
    CRect bar(rect);
    m_orientation = bar.Width() < bar.Height() ? vertical : horizontal;
    if (m_orientation == vertical)
        bar.right = bar.left + kThickness;
    else
        bar.bottom = bar.top + kThickness;
    if (!CStatic::Create(L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, bar, parent, kControlId))
        return FALSE;
    if (!g_sizeWE) {
        g_sizeWE = ::LoadCursorW(nullptr, IDC_SIZEWE);
        g_sizeNS = ::LoadCursorW(nullptr, IDC_SIZENS);
    }
    SetRange(0, 0);
    return TRUE;
}

void CSplitterControl::SetRange(int before, int after)
{
    CRect bar;
    GetWindowRect(&bar);
    if (CWnd* parent = GetParent())
        parent->ScreenToClient(&bar);
    const int centre = m_orientation == vertical ? bar.CenterPoint().x : bar.CenterPoint().y;
    m_min = centre - before;
    m_max = centre + after;
}

void CSplitterControl::OnPaint()
{
    PAINTSTRUCT paint;
    ::BeginPaint(m_hWnd, &paint);   // nothing to draw: the bar shows the parent's background
    ::EndPaint(m_hWnd, &paint);
}

BOOL CSplitterControl::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (nHitTest == HTCLIENT) {
        ::SetCursor(m_orientation == vertical ? g_sizeWE : g_sizeNS);
        return TRUE;
    }
    return CStatic::OnSetCursor(pWnd, nHitTest, message);
}

void CSplitterControl::DrawTracker(CPoint screen)
{
    CRect bar;
    GetWindowRect(&bar);
    HDC dc = ::GetDC(nullptr);
    const int oldMode = ::SetROP2(dc, R2_NOTXORPEN);
    HPEN pen = ::CreatePen(PS_SOLID, 1, kTrackerColour);
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    for (int side : {-1, 1}) {
        if (m_orientation == vertical) {
            ::MoveToEx(dc, screen.x + side, bar.top, nullptr);
            ::LineTo(dc, screen.x + side, bar.bottom);
        } else {
            ::MoveToEx(dc, bar.left, screen.y + side, nullptr);
            ::LineTo(dc, bar.right, screen.y + side);
        }
    }
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
    ::SetROP2(dc, oldMode);
    ::ReleaseDC(nullptr, dc);
}

void CSplitterControl::OnLButtonDown(UINT, CPoint)
{
    Default();
    m_dragging = true;
    SetCapture();
    CRect bar;
    GetWindowRect(&bar);
    m_tracker = bar.CenterPoint();
    m_start = Along(m_tracker);
    DrawTracker(m_tracker);
}

void CSplitterControl::OnMouseMove(UINT, CPoint point)
{
    if (!m_dragging)
        return;
    DrawTracker(m_tracker);
    CWnd* parent = GetParent();
    ClientToScreen(&point);
    if (parent)
        parent->ScreenToClient(&point);
    if (m_orientation == vertical)
        point.x = std::clamp(static_cast<int>(point.x), m_min, m_max);
    else
        point.y = std::clamp(static_cast<int>(point.y), m_min, m_max);
    if (parent)
        parent->ClientToScreen(&point);
    m_tracker = point;
    DrawTracker(m_tracker);
}

void CSplitterControl::OnLButtonUp(UINT, CPoint)
{
    if (m_dragging) {
        DrawTracker(m_tracker);
        m_dragging = false;
        HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
        if (!owner)
            owner = ::GetParent(m_hWnd);
        CRect bar;
        GetWindowRect(&bar);
        ::MapWindowPoints(nullptr, owner, reinterpret_cast<POINT*>(&bar), 2);
        CPoint position = m_tracker;
        ::ScreenToClient(owner, &position);
        if (m_orientation == vertical)
            bar.OffsetRect(position.x - bar.CenterPoint().x, 0);
        else
            bar.OffsetRect(0, position.y - bar.CenterPoint().y);
        MoveWindow(&bar, TRUE);
        SplitterNotify notify{};
        notify.header.hwndFrom = m_hWnd;
        notify.header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
        notify.header.code = kSplitterMoved;
        notify.delta = Along(m_tracker) - m_start;
        ::SendMessageW(owner, WM_NOTIFY, notify.header.idFrom, reinterpret_cast<LPARAM>(&notify));
        Default();
    }
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

// ---- shared tree filling ----

void FillPickerTree(CTreeCtrl& tree, const CFileEntries& entries, const CString& preselect)
{
    treeitems::CTreePathIndex index(tree);
    HTREEITEM selected = nullptr;
    for (INT_PTR i = 0; i < entries.GetSize(); ++i) {
        const CFileEntry& entry = entries[i];
        const bool rootKind = entry.m_kind == CFileEntry::kindRoot;
        const bool chosen = !preselect.IsEmpty() && SamePathNoCase(entry.m_path, preselect);
        std::vector<HTREEITEM> along;
        HTREEITEM deepest = index.AddPath(
            entry.m_path,
            [&](bool isRoot, const CString& name) {
                return isRoot && (rootKind || IsSystemFolderName(name)) ? imageRoot : imageFolder;
            },
            [&](HTREEITEM item) {
                if (chosen)
                    along.push_back(item);
            });
        if (chosen && deepest) {
            for (HTREEITEM item : along)
                tree.Expand(item, TVE_EXPAND);
            selected = deepest;
        }
    }
    treeitems::SortChildren(tree, nullptr);
    if (selected) {
        tree.SelectItem(selected);
        tree.EnsureVisible(selected);
    }
}

// ---- CBrowseFilesDlg ----

BEGIN_MESSAGE_MAP(CBrowseFilesDlg, AppDialog)
    ON_NOTIFY(TVN_SELCHANGEDW, IDC_PICKER_TREE, OnTreeSelChanged)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_PICKER_LIST, OnListItemChanged)
    ON_NOTIFY(NM_DBLCLK, IDC_PICKER_LIST, OnListDblClk)
END_MESSAGE_MAP()

CBrowseFilesDlg::CBrowseFilesDlg(CFileEntries* entries, const CString& filter, CWnd* pParent)
    : AppDialog(IDD_BROWSE_FILES, pParent), m_entries(entries), m_filter(filter)
{
}

void CBrowseFilesDlg::DoDataExchange(CDataExchange* pDX)
{
    AppDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PICKER_TREE, m_tree);
    DDX_Control(pDX, IDC_PICKER_LIST, m_list);
}

BOOL CBrowseFilesDlg::OnInitDialog()
{
    const BOOL result = AppDialog::OnInitDialog();
    CRect bar;
    if (CWnd* place = GetDlgItem(IDC_PICKER_SPLITTER)) {
        place->GetWindowRect(&bar);
        ScreenToClient(&bar);
    }
    if (m_splitter.Create(bar, this))
        m_splitter.SetRange(kSplitterRange, kSplitterRange);
    if (m_images.Create(IDB_FILE_IMAGES, 16, 2, kMaskColour)) {
        m_tree.SetImageList(&m_images, TVSIL_NORMAL);
        m_list.SetImageList(&m_images, LVSIL_SMALL);
    }
    m_list.InsertColumn(0, L"Name", LVCFMT_LEFT, 230);
    m_list.InsertColumn(1, L"Type", LVCFMT_LEFT, 50);
    if (CWnd* ok = GetDlgItem(IDOK))
        ok->EnableWindow(FALSE);
    m_preselect = m_selection;
    if (m_entries)
        FillPickerTree(m_tree, *m_entries, m_preselect);
    return result;
}

void CBrowseFilesDlg::ShowFolder(const CString& folder)
{
    m_list.DeleteAllItems();
    if (m_entries) {
        FolderRowsArgs args;
        args.folder = folder;
        args.filter = m_filter;
        args.filesOnly = true;
        args.baseFolder = m_outputFolder;
        for (const FolderRow& row : ListFolderRows(*m_entries, args)) {
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
            item.iItem = m_list.GetItemCount();
            item.pszText = const_cast<wchar_t*>(row.text.GetString());
            item.iImage = row.image;
            item.lParam = row.entry;
            const int index = m_list.InsertItem(&item);
            if (index < 0)
                continue;
            m_list.SetItemText(index, 1, row.type);
            if (!m_preselect.IsEmpty() && SamePathNoCase((*m_entries)[row.entry].m_path, m_preselect)) {
                m_list.SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                m_list.EnsureVisible(index, FALSE);
                m_preselect.Empty();   // used once
            }
        }
    }
    UpdateOk();
}

const CFileEntry* CBrowseFilesDlg::SelectedFile() const
{
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0 || !m_entries || m_list.GetItemText(row, 1) != L"File")
        return nullptr;
    const INT_PTR entry = static_cast<INT_PTR>(m_list.GetItemData(row));
    if (entry < 0 || entry >= m_entries->GetSize())
        return nullptr;
    return &(*m_entries)[entry];
}

void CBrowseFilesDlg::UpdateOk()
{
    if (CWnd* ok = GetDlgItem(IDOK))
        ok->EnableWindow(SelectedFile() != nullptr);
}

void CBrowseFilesDlg::OnTreeSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const auto* change = reinterpret_cast<const NMTREEVIEWW*>(pNMHDR);
    if (change->itemNew.hItem)
        ShowFolder(treeitems::ItemPath(m_tree, change->itemNew.hItem));
}

void CBrowseFilesDlg::OnListItemChanged(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    UpdateOk();
}

void CBrowseFilesDlg::OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR);
    if (activate->iItem < 0)
        return;
    if (m_list.GetItemText(activate->iItem, 1) == L"Folder") {
        HTREEITEM selected = m_tree.GetSelectedItem();
        if (HTREEITEM child = selected ? treeitems::FindChild(m_tree, selected, m_list.GetItemText(activate->iItem, 0))
                                       : nullptr)
            m_tree.SelectItem(child);
    } else {
        OnOK();
    }
}

void CBrowseFilesDlg::OnOK()
{
    const CFileEntry* file = SelectedFile();
    if (!file)
        return;   // a folder row names no file: the dialog stays open
    m_selection = file->m_path;
    EndDialog(IDOK);
}

BOOL CBrowseFilesDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->hwndFrom == m_splitter.m_hWnd && header->code == CSplitterControl::kSplitterMoved) {
        MoveSplitter(reinterpret_cast<const SplitterNotify*>(lParam)->delta);
        *pResult = 0;
        return TRUE;
    }
    return AppDialog::OnNotify(wParam, lParam, pResult);
}

void CBrowseFilesDlg::MoveSplitter(int delta)
{
    CRect tree, list;
    m_tree.GetWindowRect(&tree);
    m_list.GetWindowRect(&list);
    ScreenToClient(&tree);
    ScreenToClient(&list);
    tree.right += delta;
    list.left += delta;
    m_tree.MoveWindow(&tree, TRUE);
    m_list.MoveWindow(&list, TRUE);
    Invalidate();
}

// ---- CBrowseFolderDlg ----

BEGIN_MESSAGE_MAP(CBrowseFolderDlg, AppDialog)
    ON_NOTIFY(NM_DBLCLK, IDC_PICKER_TREE, OnTreeDblClk)
END_MESSAGE_MAP()

CBrowseFolderDlg::CBrowseFolderDlg(CFileEntries* entries, CWnd* pParent)
    : AppDialog(IDD_BROWSE_FOLDER, pParent), m_entries(entries)
{
}

void CBrowseFolderDlg::DoDataExchange(CDataExchange* pDX)
{
    AppDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PICKER_TREE, m_tree);
}

BOOL CBrowseFolderDlg::OnInitDialog()
{
    const BOOL result = AppDialog::OnInitDialog();
    if (m_images.Create(IDB_FILE_IMAGES, 16, 2, kMaskColour))
        m_tree.SetImageList(&m_images, TVSIL_NORMAL);
    if (m_entries)
        FillPickerTree(m_tree, *m_entries, m_selection);
    return result;
}

void CBrowseFolderDlg::OnTreeDblClk(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    OnOK();
}

void CBrowseFolderDlg::OnOK()
{
    if (HTREEITEM selected = m_tree.GetSelectedItem())
        m_selection = treeitems::ItemPath(m_tree, selected);
    EndDialog(IDOK);
}
