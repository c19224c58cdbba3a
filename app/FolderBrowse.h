#pragma once
// CFolderBrowseDialog: the system's folder browser, opened at a starting folder. The toolkit's own
// browser takes its place through the AppBrowseDialog alias.

#include "framework/window/Wnd.h"

class CFolderBrowseDialog {
public:
    explicit CFolderBrowseDialog(CWnd* parent = nullptr, const wchar_t* title = nullptr);

    // IDOK with the chosen folder in GetSelPath(), or IDCANCEL.
    INT_PTR DoModal();
    CString GetSelPath() const { return m_selected; }
    // The folder the browser opens at; empty: the browser's own start.
    void SetSelPath(const CString& folder) { m_start = folder; }

private:
    static int CALLBACK Callback(HWND window, UINT message, LPARAM, LPARAM data);

    CWnd* m_parent;    // not owned
    CString m_title;
    CString m_start;
    CString m_selected;
};
