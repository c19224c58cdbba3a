#include "toolkit/foundation/XTPBrowseDialog.h"

#include "toolkit/foundation/XTPResourceManager.h"

#include <cwchar>

namespace {

constexpr UINT kTitleStringId = 9342;    // "Select Directory:"

// Frees an item list with the shell's allocator.
struct ItemListFree {
    IMalloc* malloc;
    LPITEMIDLIST items;
    ~ItemListFree()
    {
        if (items)
            malloc->Free(items);
    }
};

}    // namespace

IMPLEMENT_DYNAMIC(CXTPBrowseDialog, CCommonDialog)

CXTPBrowseDialog::CXTPBrowseDialog(CWnd* pParent) : CCommonDialog(pParent)
{
    GetResourceManager()->LoadStringTo(m_strTitle, kTitleStringId);
    m_bi.hwndOwner = nullptr;
    m_bi.pidlRoot = nullptr;
    m_bi.pszDisplayName = m_szSelPath;
    m_bi.lpszTitle = m_strTitle;
    m_bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_NEWDIALOGSTYLE;
    m_bi.lpfn = BrowseCallbackProc;
    m_bi.lParam = reinterpret_cast<LPARAM>(this);
}

BOOL CXTPBrowseDialog::SetFolderPath(const wchar_t* lpszPath)
{
    const wchar_t* path = lpszPath ? lpszPath : L"";
    const size_t length = std::wcslen(path);
    if (length >= MAX_PATH)
        return FALSE;
    std::wmemcpy(m_szSelPath, path, length + 1);
    return TRUE;
}

void CXTPBrowseDialog::SetTitle(const wchar_t* lpszTitle)
{
    m_strTitle = lpszTitle ? lpszTitle : L"";
    m_bi.lpszTitle = m_strTitle;
}

INT_PTR CXTPBrowseDialog::RunModal()
{
    IMalloc* malloc = nullptr;
    if (FAILED(::SHGetMalloc(&malloc)) || !malloc)
        return IDCANCEL;

    m_bi.hwndOwner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    // The browser writes the display name of the chosen item into this buffer, so the path the
    // caller set is kept aside until we know the run produced a folder.
    wchar_t before[MAX_PATH];
    std::wmemcpy(before, m_szSelPath, MAX_PATH);

    INT_PTR result = IDCANCEL;
    {
        ItemListFree chosen{malloc, ::SHBrowseForFolderW(&m_bi)};
        if (!chosen.items) {
            std::wmemcpy(m_szSelPath, before, MAX_PATH);
        } else {
            wchar_t path[MAX_PATH] = {};
            if (::SHGetPathFromIDListW(chosen.items, path)) {
                std::wmemcpy(m_szSelPath, path, MAX_PATH);
                result = IDOK;
            } else if ((m_bi.ulFlags & BIF_BROWSEFORCOMPUTER) && m_szSelPath[0]) {
                // A computer has no file-system path; its name becomes a UNC host prefix, but
                // only when the two backslashes still fit: a cut name would name another host.
                const size_t length = std::wcslen(m_szSelPath);
                if (length + 2 < MAX_PATH) {
                    std::wmemmove(m_szSelPath + 2, m_szSelPath, length + 1);
                    m_szSelPath[0] = m_szSelPath[1] = L'\\';
                    result = IDOK;
                }
            }
        }
    }
    malloc->Release();
    return result;
}

int CALLBACK CXTPBrowseDialog::BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData)
{
    auto* self = reinterpret_cast<CXTPBrowseDialog*>(lpData);
    switch (uMsg) {
    case BFFM_INITIALIZED: {
        wchar_t start[MAX_PATH] = {};
        if (self && self->m_szSelPath[0])
            std::wmemcpy(start, self->m_szSelPath, MAX_PATH);
        else
            ::GetCurrentDirectoryW(MAX_PATH, start);
        if (start[0])
            ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start));
        break;
    }
    case BFFM_SELCHANGED:
        if (self && (self->m_bi.ulFlags & BIF_STATUSTEXT)) {
            wchar_t path[MAX_PATH] = {};
            if (::SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(lParam), path))
                ::SendMessageW(hwnd, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
        }
        break;
    default:
        break;
    }
    return 0;
}
