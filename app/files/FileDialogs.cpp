#include "app/files/FileDialogs.h"

#include "app/files/FilePickers.h"
#include "app/files/FileRules.h"
#include "app/files/SelectIcoDlg.h"

#include "engine/files/IconGroup.h"
#include "engine/files/PathHelpers.h"
#include "engine/files/WideBuffer.h"

#include "framework/ResourceHandle.h"
#include "framework/window/DataExchange.h"

#include "resources/app/AppResource.h"

#include <shellapi.h>

namespace {
const wchar_t kIconFilter[] = L"Executable Files (*.exe)|*.exe|DLL Files (*.dll)|*.dll|Icon Files (*.ico)|*.ico|| ";

CString NamePart(const CString& path)
{
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

// The icon at index of the file, or null; ExtractIconW answers 1 for a file that is no module.
HICON ExtractUsableIcon(const CString& file, UINT index)
{
    if (file.IsEmpty())
        return nullptr;
    HICON icon = ::ExtractIconW(AfxGetInstanceHandle(), file, index);
    if (reinterpret_cast<UINT_PTR>(icon) <= 1)
        return nullptr;
    return icon;
}
}  // namespace

// ---- CFileDlg ----

CFileDlg::CFileDlg(CWnd* pParent) : AppDialog(IDD_FILE_DIALOG, pParent) {}

bool CFileDlg::Init(CFileEntries* entries, const CString& path)
{
    m_entries = entries;
    m_entry = entries ? entries->FindByPath(path) : nullptr;
    if (!m_entry)
        return false;
    m_edit = *m_entry;
    m_startPath = m_entry->m_path;
    return true;
}

void CFileDlg::DoDataExchange(CDataExchange* pDX)
{
    AppDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_FILE_CONDITION, m_edit.m_condition);
    if (!pDX->m_bSaveAndValidate) {
        CString name = NamePart(m_edit.m_path);
        DDX_Text(pDX, IDC_ENTRY_NAME, name);
        m_vital = (m_edit.m_attributes & CFileEntry::attrVital) ? 1 : 0;
        m_readOnly = (m_edit.m_attributes & CFileEntry::attrReadOnly) ? 1 : 0;
        m_hidden = (m_edit.m_attributes & CFileEntry::attrHidden) ? 1 : 0;
        m_system = (m_edit.m_attributes & CFileEntry::attrSystem) ? 1 : 0;
    } else {
        CString name;
        DDX_Text(pDX, IDC_ENTRY_NAME, name);
        const CString path = m_entries ? RenamedPath(*m_entries, m_edit.m_path, m_startPath, name) : CString();
        if (path.IsEmpty())
            pDX->Fail();
        m_edit.m_path = path;
    }
    DDX_Check(pDX, IDC_FILE_VITAL, m_vital);
    DDX_Check(pDX, IDC_FILE_READ_ONLY, m_readOnly);
    DDX_Check(pDX, IDC_FILE_HIDDEN, m_hidden);
    DDX_Check(pDX, IDC_FILE_SYSTEM, m_system);
    if (pDX->m_bSaveAndValidate) {
        const auto apply = [&](int checked, int bit) {
            m_edit.m_attributes = checked ? (m_edit.m_attributes | bit) : (m_edit.m_attributes & ~bit);
        };
        apply(m_vital, CFileEntry::attrVital);
        apply(m_readOnly, CFileEntry::attrReadOnly);
        apply(m_hidden, CFileEntry::attrHidden);
        apply(m_system, CFileEntry::attrSystem);
    }
}

void CFileDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    *m_entry = m_edit;
    EndDialog(IDOK);
}

// ---- CShortcutDlg ----

BEGIN_MESSAGE_MAP(CShortcutDlg, AppDialog)
    ON_COMMAND(IDC_SHORTCUT_BROWSE_TARGET, OnBrowseTarget)
    ON_COMMAND(IDC_SHORTCUT_BROWSE_DIRECTORY, OnBrowseDirectory)
    ON_COMMAND(IDC_SHORTCUT_ICON, OnChooseIcon)
END_MESSAGE_MAP()

CShortcutDlg::CShortcutDlg(CWnd* pParent) : AppDialog(IDD_SHORTCUT_DIALOG, pParent) {}

CShortcutDlg::~CShortcutDlg()
{
    DropTempIcon();
    if (m_shownIcon)
        ::DestroyIcon(m_shownIcon);
}

bool CShortcutDlg::Init(CFileEntries* entries, const CString& path)
{
    m_entries = entries;
    m_entry = entries ? entries->FindByPath(path) : nullptr;
    if (!m_entry)
        return false;
    m_edit = *m_entry;
    m_startPath = path;
    m_new = false;
    return true;
}

void CShortcutDlg::InitNew(CFileEntries* entries, CFileEntry* entry, const CString& path)
{
    m_entries = entries;
    m_entry = entry;
    m_edit = *entry;
    m_startPath = path;
    m_new = true;
}

CString CShortcutDlg::IconFilePath() const
{
    CString path;
    path.Format(L"%s\\resources\\I%s.ico", m_outputFolder.GetString(), m_edit.m_id.GetString());
    return path;
}

BOOL CShortcutDlg::OnInitDialog()
{
    const BOOL result = AppDialog::OnInitDialog();
    UpdateIcon();
    return result;
}

void CShortcutDlg::DoDataExchange(CDataExchange* pDX)
{
    AppDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SHORTCUT_ICON, m_iconButton);
    DDX_Text(pDX, IDC_SHORTCUT_DIRECTORY, m_edit.m_workingDirectory);
    DDX_Text(pDX, IDC_SHORTCUT_ARGUMENTS, m_edit.m_arguments);
    int advertised = m_edit.m_attributes ? 1 : 0;
    DDX_Check(pDX, IDC_SHORTCUT_ADVERTISED, advertised);
    if (!pDX->m_bSaveAndValidate) {
        CString name = NamePart(m_edit.m_path);
        DDX_Text(pDX, IDC_ENTRY_NAME, name);
        DDX_Text(pDX, IDC_SHORTCUT_TARGET, m_edit.m_sourcePath);
        return;
    }
    m_edit.m_attributes = advertised;
    CString target;
    DDX_Text(pDX, IDC_SHORTCUT_TARGET, target);
    target.Trim();
    if (target.IsEmpty())
        pDX->Fail();
    m_edit.m_sourcePath = target;
    CString name;
    DDX_Text(pDX, IDC_ENTRY_NAME, name);
    const CString path = m_entries ? RenamedPath(*m_entries, m_edit.m_path, m_startPath, name, m_new) : CString();
    if (path.IsEmpty())
        pDX->Fail();
    m_edit.m_path = path;
}

void CShortcutDlg::ShowIcon(HICON icon)
{
    if (!icon || !m_iconButton.m_hWnd)
        return;
    HICON copy = static_cast<HICON>(::CopyImage(icon, IMAGE_ICON, 32, 32, 0));
    if (!copy)
        return;
    m_iconButton.SetWindowText(L"");
    m_iconButton.ModifyStyle(0, BS_ICON);
    ::SendMessageW(m_iconButton.m_hWnd, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(copy));
    m_iconButton.Invalidate();
    if (m_shownIcon)
        ::DestroyIcon(m_shownIcon);
    m_shownIcon = copy;
}

void CShortcutDlg::UpdateIcon()
{
    HICON icon = ExtractUsableIcon(IconFilePath(), 0);
    if (!icon && !m_edit.m_iconFile.IsEmpty())
        icon = ExtractUsableIcon(m_outputFolder + L"\\" + m_edit.m_iconFile, static_cast<UINT>(m_edit.m_iconIndex));
    if (!icon && m_entries) {
        CString target;
        GetDlgItemText(IDC_SHORTCUT_TARGET, target);
        if (const CFileEntry* entry = m_entries->FindByPath(target))
            icon = ExtractUsableIcon(entry->GetSourcePath(m_outputFolder), 0);
    }
    if (!icon)
        return;
    ShowIcon(icon);
    ::DestroyIcon(icon);
}

void CShortcutDlg::OnBrowseTarget()
{
    CBrowseFilesDlg dialog(m_entries, CString(), this);
    GetDlgItemText(IDC_SHORTCUT_TARGET, dialog.m_selection);
    if (dialog.DoModal() != IDOK)
        return;
    SetDlgItemText(IDC_SHORTCUT_TARGET, dialog.m_selection);
    UpdateIcon();
}

void CShortcutDlg::OnBrowseDirectory()
{
    CBrowseFolderDlg dialog(m_entries, this);
    GetDlgItemText(IDC_SHORTCUT_DIRECTORY, dialog.m_selection);
    if (dialog.m_selection.IsEmpty())
        GetDlgItemText(IDC_SHORTCUT_TARGET, dialog.m_selection);
    if (dialog.DoModal() == IDOK)
        SetDlgItemText(IDC_SHORTCUT_DIRECTORY, dialog.m_selection);
}

void CShortcutDlg::OnChooseIcon()
{
    CString suggested;
    HICON targetIcon = nullptr;
    if (m_entries) {
        CString target;
        GetDlgItemText(IDC_SHORTCUT_TARGET, target);
        if (const CFileEntry* entry = m_entries->FindByPath(target)) {
            const CString source = entry->GetSourcePath(m_outputFolder);
            if ((targetIcon = ExtractUsableIcon(source, 0)) != nullptr)
                suggested = source;
        }
    }
    IconChoice choice;
    bool chosen;
    if (chooseIcon) {
        chosen = chooseIcon(suggested, choice);
    } else {
        choice.source = suggested;
        chosen = true;
        if (choice.source.IsEmpty()) {
            AppFileDialog files(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, kIconFilter, this);
            chosen = files.DoModal() == IDOK;
            if (chosen)
                choice.source = files.GetPathName();
        }
        if (chosen) {
            CSelectIcoDlg picker(this);
            picker.m_file = choice.source;
            chosen = picker.DoModal() == IDOK;
            if (chosen) {
                choice.id = picker.GroupNumber();
                choice.name = picker.GroupName();
            }
        }
    }
    if (!chosen) {
        if (targetIcon)
            ::DestroyIcon(targetIcon);
        return;
    }
    const CString temp = MakeTempFileName();
    const wchar_t* group = choice.name.IsEmpty() ? MAKEINTRESOURCEW(choice.id) : choice.name.GetString();
    HICON icon = nullptr;
    if (!temp.IsEmpty() && ExtractIconGroupToIcoFile(group, nullptr, choice.source, temp)) {
        DropTempIcon();
        m_tempIcon = temp;
        icon = ExtractUsableIcon(temp, 0);
    } else {
        if (!temp.IsEmpty())
            ::DeleteFileW(temp);
        DropTempIcon();
    }
    if (!icon)
        icon = targetIcon;
    else if (targetIcon)
        ::DestroyIcon(targetIcon);
    if (icon) {
        ShowIcon(icon);
        ::DestroyIcon(icon);
    }
}

void CShortcutDlg::DropTempIcon()
{
    if (m_tempIcon.IsEmpty())
        return;
    ::DeleteFileW(m_tempIcon);
    m_tempIcon.Empty();
}

void CShortcutDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    *m_entry = m_edit;
    // the icon goes into the output folder only once the entry is written, so a refused name or
    // a Cancel leaves no icon file behind
    if (!m_tempIcon.IsEmpty() && !m_outputFolder.IsEmpty()) {
        const CString folder = m_outputFolder + L"\\resources\\";
        static_cast<void>(CreateDirectoryTree(folder));
        ::CopyFileW(m_tempIcon, IconFilePath(), FALSE);
    }
    DropTempIcon();
    EndDialog(IDOK);
}

void CShortcutDlg::OnCancel()
{
    DropTempIcon();
    AppDialog::OnCancel();
}
