#include "app/files/FilesPanel.h"

#include "app/TreeItems.h"
#include "app/files/FileDialogs.h"
#include "app/files/FileRules.h"
#include "app/monitor/MonitorSettings.h"

#include "engine/files/PathHelpers.h"
#include "engine/storage/Projects.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include <shlobj.h>

#include <vector>

namespace {
constexpr COLORREF kMaskColour = RGB(255, 0, 255);
// The open dialog's name buffer, in characters: room for a few hundred names of a multiple
// selection.
constexpr DWORD kAddFilesBufferChars = 26101;
const wchar_t kSetupProgramQuestion[] = L"File \"%s\" is used in the Install Script. Delete anyway?";

enum Column { columnName = 0, columnType = 1, columnSize = 2, columnSource = 3 };

CString NamePart(const CString& path)
{
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

void OpenAndSelect(const CString& file)
{
    PIDLIST_ABSOLUTE items = ::ILCreateFromPathW(file);
    if (!items)
        return;
    ::SHOpenFolderAndSelectItems(items, 0, nullptr, 0);
    ::ILFree(items);
}
}  // namespace

IMPLEMENT_DYNCREATE(CFileList, CListView)

BEGIN_MESSAGE_MAP(CFileList, AppListView)
    ON_WM_CREATE()
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClk)
    ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
    ON_WM_CONTEXTMENU()
    ON_COMMAND(ID_FILES_ADD_FILES, OnAddFiles)
    ON_COMMAND(ID_FILES_NEW_SHORTCUT, OnNewShortcut)
    ON_COMMAND(ID_PANEL_ENTER, OnEdit)
    ON_COMMAND(ID_PANEL_DELETE, OnDelete)
    ON_COMMAND(ID_FILES_OPEN_IN_EXPLORER, OnOpenInExplorer)
    ON_COMMAND(ID_FILES_ADD_TO_FILTER, OnAddToFilter)
    ON_COMMAND(ID_FILES_REMOVE_FROM_FILTER, OnRemoveFromFilter)
    ON_COMMAND(ID_FILES_NEW_FOLDER, OnNewFolder)
    ON_COMMAND(ID_FILES_ADD_SYSTEM_FOLDER, OnAddSystemFolder)
END_MESSAGE_MAP()

BOOL CFileList::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= LVS_REPORT | LVS_SHOWSELALWAYS;
    return AppListView::PreCreateWindow(cs);
}

int CFileList::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    if (AppListView::OnCreate(lpCreateStruct) == -1)
        return -1;
    CListCtrl& list = GetListCtrl();
    list.SetExtendedStyle(LVS_EX_HEADERDRAGDROP | LVS_EX_INFOTIP);
    if (m_images.Create(IDB_FILE_IMAGES, 16, 2, kMaskColour))
        list.SetImageList(&m_images, LVSIL_SMALL);
    list.InsertColumn(columnName, L"Name", LVCFMT_LEFT, 200);
    list.InsertColumn(columnType, L"Type", LVCFMT_LEFT, 80);
    list.InsertColumn(columnSize, L"Size", LVCFMT_RIGHT, 90);
    list.InsertColumn(columnSource, L"Source Path", LVCFMT_LEFT, 200);
    return 0;
}

void CFileList::ShowFolder(CFileEntries* entries, CFileTree* tree, const CString& folder)
{
    m_entries = entries;
    m_tree = tree;
    m_folder = folder;
    ++m_fillCount;
    CListCtrl& list = GetListCtrl();
    SetRedraw(FALSE);
    list.DeleteAllItems();
    if (m_entries) {
        FolderRowsArgs args;
        args.folder = folder;
        args.baseFolder = m_context ? m_context->OutputFolder() : CString();
        const CString projectDirectory = args.baseFolder + L"\\";
        const std::vector<FolderRow> rows = ListFolderRows(*m_entries, args);
        int at = 0;
        for (const FolderRow& row : rows) {
            const CFileEntry& entry = (*m_entries)[row.entry];
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
            item.iItem = at;
            item.pszText = const_cast<wchar_t*>(row.text.GetString());
            item.iImage = row.image;
            item.lParam = row.entry;
            const int index = list.InsertItem(&item);
            if (index < 0)
                continue;
            ++at;
            list.SetItemText(index, columnType, row.type);
            if (row.image == imageFile) {
                list.SetItemText(index, columnSize, FormatFileSize(static_cast<DWORD>(entry.m_fileSize)));
                CString source = entry.GetSourcePath(args.baseFolder);
                if (!args.baseFolder.IsEmpty())
                    ReplaceNoCase(source, projectDirectory, L"[ProjectDirectory]");
                list.SetItemText(index, columnSource, source);
            } else if (row.image != imageFolder) {
                list.SetItemText(index, columnSource, entry.m_sourcePath);
            }
        }
    }
    SetRedraw(TRUE);
    Invalidate();
}

void CFileList::Detach()
{
    m_entries = nullptr;
    ++m_fillCount;
    GetListCtrl().DeleteAllItems();
}

int CFileList::FirstSelected() const
{
    return GetListCtrl().GetNextItem(-1, LVNI_SELECTED);
}

int CFileList::FindRow(const CString& text) const
{
    CListCtrl& list = GetListCtrl();
    const int count = list.GetItemCount();
    for (int row = 0; row < count; ++row) {
        if (SamePathNoCase(list.GetItemText(row, columnName), text))
            return row;
    }
    return -1;
}

CString CFileList::RowType(int row) const
{
    return GetListCtrl().GetItemText(row, columnType);
}

void CFileList::SelectOnly(int row)
{
    CListCtrl& list = GetListCtrl();
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.EnsureVisible(row, FALSE);
}

void CFileList::ShowFileRow(int row, const CFileEntry& entry)
{
    CListCtrl& list = GetListCtrl();
    list.SetItemText(row, columnSize, FormatFileSize(static_cast<DWORD>(entry.m_fileSize)));
    list.SetItemText(row, columnSource, entry.m_sourcePath);
}

void CFileList::OnAddFiles()
{
    if (!m_entries)
        return;
    std::vector<wchar_t> buffer(kAddFilesBufferChars, L'\0');
    AppFileDialog dialog(TRUE, nullptr, nullptr,
                         OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER,
                         L"All Files (*.*)|*.*||", this);
    dialog.m_ofn.lpstrFile = buffer.data();
    dialog.m_ofn.nMaxFile = kAddFilesBufferChars;
    if (dialog.DoModal() != IDOK)
        return;
    std::vector<CString> paths;
    for (POSITION position = dialog.GetStartPosition(); position;)
        paths.push_back(dialog.GetNextPathName(position));
    AddFiles(paths);
}

void CFileList::AddFiles(const std::vector<CString>& paths)
{
    if (!m_entries)
        return;
    CListCtrl& list = GetListCtrl();
    for (const CString& path : paths) {
        CFileEntry entry;
        entry.m_kind = CFileEntry::kindFile;
        entry.m_sourcePath = path;
        const CString name = NamePart(path);
        entry.m_path = m_folder + name;
        // a file that cannot be read keeps the new entry's defaults: it is still listed, and the
        // build reports the missing file
        static_cast<void>(entry.ReadFileAttributes());
        int row = -1;
        if (CFileEntry* existing = m_entries->FindByPath(entry.m_path)) {
            m_entries->RemoveAt(static_cast<int>(existing - m_entries->GetData()));
            row = FindRow(name);
        }
        m_entries->Add(entry);
        if (row < 0) {
            row = list.InsertItem(list.GetItemCount(), name, imageFile);
            list.SetItemText(row, columnType, L"File");
        }
        ShowFileRow(row, entry);
        SelectOnly(row);
    }
}

void CFileList::OnNewShortcut()
{
    if (!m_entries)
        return;
    CListCtrl& list = GetListCtrl();
    CFileEntry entry;
    entry.m_kind = CFileEntry::kindShortcut;
    entry.m_attributes = 0;
    CString proposed = L"New Shortcut";
    const int selected = FirstSelected();
    if (selected >= 0) {
        const CString name = list.GetItemText(selected, columnName);
        const CString target = m_folder + name;
        if (const CFileEntry* existing = m_entries->FindByPath(target)) {
            if (existing->m_kind != CFileEntry::kindFile)
                return;   // a shortcut starts a file, never another shortcut or a folder
        }
        entry.m_sourcePath = target;
        proposed = L"Shortcut to " + name;
    }
    entry.m_path = m_folder + proposed;

    CShortcutDlg dialog(this);
    dialog.m_outputFolder = m_context ? m_context->OutputFolder() : CString();
    dialog.InitNew(m_entries, &entry, entry.m_path);
    if (dialog.DoModal() != IDOK)
        return;

    int row = -1;
    if (CFileEntry* existing = m_entries->FindByPath(entry.m_path)) {
        m_entries->RemoveAt(static_cast<int>(existing - m_entries->GetData()));
        row = FindRow(NamePart(entry.m_path));
    }
    m_entries->Add(entry);
    if (row < 0) {
        row = list.InsertItem(list.GetItemCount(), NamePart(entry.m_path), imageShortcut);
        list.SetItemText(row, columnType, L"Shortcut");
    }
    list.SetItemText(row, columnSource, entry.m_sourcePath);
    SelectOnly(row);
}

void CFileList::OnEdit()
{
    const int row = FirstSelected();
    if (row < 0 || !m_entries)
        return;
    CListCtrl& list = GetListCtrl();
    const CString type = RowType(row);
    const CString text = list.GetItemText(row, columnName);
    const CString path = m_folder + text;
    if (type == L"File") {
        CFileDlg dialog(this);
        if (!dialog.Init(m_entries, path) || dialog.DoModal() != IDOK)
            return;
        list.SetItemText(row, columnName, NamePart(dialog.Entry()->m_path));
    } else if (type == L"Shortcut") {
        CShortcutDlg dialog(this);
        dialog.m_outputFolder = m_context ? m_context->OutputFolder() : CString();
        if (!dialog.Init(m_entries, path) || dialog.DoModal() != IDOK)
            return;
        list.SetItemText(row, columnName, NamePart(dialog.Entry()->m_path));
        list.SetItemText(row, columnSource, dialog.Entry()->m_sourcePath);
    } else if (type == L"Folder" && m_tree) {
        m_tree->SelectChild(text);
        m_tree->SetFocus();
        m_tree->OnEditFolder();
    }
}

void CFileList::OnDblClk(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR);
    if (activate->iItem < 0)
        return;
    if (RowType(activate->iItem) == L"Folder") {
        if (m_tree)
            m_tree->SelectChild(GetListCtrl().GetItemText(activate->iItem, columnName));
    } else {
        OnEdit();
    }
}

void CFileList::OnColumnClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;   // the rows keep their order: folders first, then by path
}

void CFileList::OnDelete()
{
    if (FirstSelected() < 0 || !m_entries)
        return;
    if (AfxMessageBox(L"Delete selected?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    CListCtrl& list = GetListCtrl();
    std::vector<int> selected;
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = list.GetNextItem(row, LVNI_SELECTED))
        selected.push_back(row);
    std::vector<CString> texts, types;
    for (int row : selected) {
        texts.push_back(list.GetItemText(row, columnName));
        types.push_back(RowType(row));
    }
    const int fills = m_fillCount;
    std::vector<int> gone;
    for (size_t i = 0; i < selected.size() && m_entries; ++i) {
        const CString path = m_folder + texts[i];
        if (types[i] == L"File" || types[i] == L"Shortcut") {
            CFeature* project = m_context ? m_context->CurrentProject() : nullptr;
            if (project && !project->m_installerPath.IsEmpty() && SamePathNoCase(path, project->m_installerPath)) {
                CString question;
                question.Format(kSetupProgramQuestion, path.GetString());
                if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
                    continue;
                project->m_installerPath.Empty();
            }
            if (CFileEntry* entry = m_entries->FindByPath(path))
                m_entries->RemoveAt(static_cast<int>(entry - m_entries->GetData()));
            gone.push_back(selected[i]);
        } else if (types[i] == L"Folder") {
            if (m_tree)
                m_tree->RemoveChildFolder(texts[i]);
            gone.push_back(selected[i]);
        }
    }
    if (m_fillCount != fills)
        return;   // the list was rebuilt from the entries meanwhile
    for (auto row = gone.rbegin(); row != gone.rend(); ++row)
        list.DeleteItem(*row);
}

void CFileList::OnOpenInExplorer()
{
    const int row = FirstSelected();
    if (row < 0 || !m_entries)
        return;
    const CString path = m_folder + GetListCtrl().GetItemText(row, columnName);
    const CString output = m_context ? m_context->OutputFolder() : CString();
    CString file = m_entries->GetSourcePathOf(path, output);
    if (file.IsEmpty())
        file = output + L"\\" + path;
    if (m_context && m_context->openAndSelect)
        m_context->openAndSelect(file);
    else
        OpenAndSelect(file);
}

void CFileList::OnAddToFilter()
{
    const int row = FirstSelected();
    if (row >= 0 && m_context)
        AddPathToFilterByDialog(this, m_context->List().m_fileFilter,
                                m_folder + GetListCtrl().GetItemText(row, columnName));
}

void CFileList::OnRemoveFromFilter()
{
    const int row = FirstSelected();
    if (row >= 0 && m_context)
        RemovePathFromFilterByQuestion(m_context->List().m_fileFilter,
                                       m_folder + GetListCtrl().GetItemText(row, columnName));
}

void CFileList::OnNewFolder()
{
    if (m_tree)
        m_tree->OnNewFolder();
}

void CFileList::OnAddSystemFolder()
{
    if (m_tree)
        m_tree->OnAddSystemFolder();
}

void CFileList::OnContextMenu(CWnd*, CPoint point)
{
    if (point.x == -1 && point.y == -1) {
        const DWORD position = ::GetMessagePos();
        point = CPoint(GET_X_LPARAM(position), GET_Y_LPARAM(position));
    }
    const bool hasEntries = m_entries && m_entries->GetSize() > 0;
    HMENU menu = ::LoadMenuW(AfxGetResourceHandle(),
                             MAKEINTRESOURCEW(hasEntries ? IDR_FILES_ITEM_MENU : IDR_FILES_EMPTY_MENU));
    if (!menu)
        return;
    HMENU popup = ::GetSubMenu(menu, 0);
    LVHITTESTINFO hit{};
    hit.pt = point;
    ScreenToClient(&hit.pt);
    ::SendMessageW(m_hWnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hasEntries && (hit.iItem < 0 || !(hit.flags & LVHT_ONITEMLABEL))) {
        ::DeleteMenu(popup, ID_PANEL_ENTER, MF_BYCOMMAND);
        ::DeleteMenu(popup, ID_PANEL_DELETE, MF_BYCOMMAND);
        ::DeleteMenu(popup, 3, MF_BYPOSITION);
    }
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    ::DestroyMenu(menu);
}
