#include "app/FolderBrowse.h"

#include "framework/window/Dialog.h"

#include <shlobj.h>

CFolderBrowseDialog::CFolderBrowseDialog(CWnd* parent, const wchar_t* title)
    : m_parent(parent), m_title(title ? title : L"")
{
}

int CALLBACK CFolderBrowseDialog::Callback(HWND window, UINT message, LPARAM, LPARAM data)
{
    const auto* self = reinterpret_cast<const CFolderBrowseDialog*>(data);
    if (message == BFFM_INITIALIZED && !self->m_start.IsEmpty())
        ::SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(self->m_start.GetString()));
    return 0;
}

INT_PTR CFolderBrowseDialog::DoModal()
{
    BROWSEINFOW info{};
    info.hwndOwner = AfxGetModalOwner(m_parent);
    if (m_parent && m_parent->m_hWnd)
        info.hwndOwner = m_parent->m_hWnd;
    info.lpszTitle = m_title.IsEmpty() ? nullptr : m_title.GetString();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = Callback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen)
        return IDCANCEL;
    wchar_t path[MAX_PATH] = L"";
    const BOOL named = ::SHGetPathFromIDListW(chosen, path);
    ::CoTaskMemFree(chosen);
    if (!named)
        return IDCANCEL;
    m_selected = path;
    return IDOK;
}
