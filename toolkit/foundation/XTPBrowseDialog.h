#pragma once
// The shell's folder browser as a common dialog: it opens at a given folder (else the current
// directory) and leaves the chosen folder in its path buffer.

#include "framework/window/CommonDialog.h"

#include <shlobj.h>

class CXTPBrowseDialog : public CCommonDialog {
    DECLARE_DYNAMIC(CXTPBrowseDialog)
public:
    explicit CXTPBrowseDialog(CWnd* pParent = nullptr);

    // The folder the browser starts at. A path that does not fit the buffer (MAX_PATH characters
    // with the terminator) is refused with FALSE and the buffer keeps what it held.
    BOOL SetFolderPath(const wchar_t* lpszPath);
    // After IDOK: the chosen folder.
    const wchar_t* GetFolderPath() const { return m_szSelPath; }

    void SetTitle(const wchar_t* lpszTitle);
    void SetFlags(UINT ulFlags) { m_bi.ulFlags = ulFlags; }
    UINT GetFlags() const { return m_bi.ulFlags; }

    BROWSEINFOW m_bi{};    // may be changed before DoModal (flags, root); the title and buffer are ours

protected:
    INT_PTR RunModal() override;

private:
    static int CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

    wchar_t m_szSelPath[MAX_PATH] = {};
    CString m_strTitle;
};
