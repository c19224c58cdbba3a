#pragma once
// Common dialogs: the system's own modal dialogs (file open and save, the folder browser) run from
// a framework object.
//
// CCommonDialog::DoModal finds the owner (the parent's top-level window, else the main window),
// disables it for the length of the dialog, runs the system call (RunModal, which each kind
// implements), then enables the owner again and gives the focus back. While the system dialog runs
// its window is subclassed by the object: a thread-local CBT hook catches the first top-level
// dialog window the call creates, before its first message, so m_hWnd is the dialog and the
// object's message table sees the dialog's messages. After the dialog is destroyed the object is
// empty again and can run once more.

#include "framework/window/Wnd.h"

#include <commdlg.h>

#include <vector>

class CCommonDialog : public CWnd {
    DECLARE_DYNAMIC(CCommonDialog)
public:
    explicit CCommonDialog(CWnd* parent = nullptr);

    // IDOK or IDCANCEL. Failures of the system call also answer IDCANCEL; GetExtendedError then
    // tells them from a plain cancel.
    virtual INT_PTR DoModal();

    // The CommDlgExtendedError code of the last run, kept with the object because the thread's
    // own value is overwritten by the next common-dialog call; 0 after OK or a plain cancel.
    DWORD GetExtendedError() const { return m_dwExtendedError; }

    CWnd* m_pParentWnd = nullptr;    // not owned; null: the main window owns the dialog

protected:
    // Runs the system dialog, owned by m_hWndOwner; IDOK or IDCANCEL. Sets m_dwExtendedError.
    virtual INT_PTR RunModal() = 0;

    HWND m_hWndOwner = nullptr;    // valid while DoModal runs
    DWORD m_dwExtendedError = 0;
};

// The system's file open and save dialog (explorer style).
//
// The filter is given as "Name|pattern|Name|pattern||" (several patterns separated by ";"). The
// chosen names land in the name buffer: the object's own, of kDefaultFileBufferSize characters,
// unless the caller points m_ofn.lpstrFile and m_ofn.nMaxFile at a buffer of its own before
// DoModal. With OFN_ALLOWMULTISELECT the buffer holds either one full path or the folder followed
// by the names; GetStartPosition and GetNextPathName read both forms as full paths.
//
// A selection that does not fit the buffer is not silently cut: DoModal answers IDCANCEL as if the
// user had cancelled, IsBufferTooSmall() (GetExtendedError() == FNERR_BUFFERTOOSMALL) lets the
// caller say so, GetRequiredBufferSize() tells the room it needed, and the buffer is left empty.
class CFileDialog : public CCommonDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    // Room for the longest path the system accepts (32767 characters and the terminator): a
    // single name always fits, and a multiple selection of several hundred ordinary names does.
    static constexpr DWORD kDefaultFileBufferSize = 32768;
    // The buffer the system itself fills (for the length of DoModal only): twice the default, so
    // that a selection too large for the caller's buffer is measured and reported, not cut.
    static constexpr DWORD kSystemBufferSize = 65536;

    explicit CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension = nullptr,
                         const wchar_t* fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         const wchar_t* filter = nullptr, CWnd* parent = nullptr);

    OPENFILENAMEW m_ofn = {};    // may be changed before DoModal (title, initial folder, flags)

    // The first chosen file's full path (for a multiple selection, the first of them); its name,
    // extension without the dot, and name without the extension.
    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    BOOL GetReadOnlyPref() const { return (m_ofn.Flags & OFN_READONLY) != 0; }

    // Walks the chosen files as full paths, in the dialog's order; null when nothing was chosen.
    POSITION GetStartPosition() const;
    CString GetNextPathName(POSITION& pos) const;

    // The selection did not fit the name buffer (the dialog then answered IDCANCEL).
    BOOL IsBufferTooSmall() const { return m_dwExtendedError == FNERR_BUFFERTOOSMALL; }
    // The buffer size the selection needed after an overflow, in characters; 0 when unknown (a
    // selection beyond kSystemBufferSize, which the system measures itself, if at all).
    DWORD GetRequiredBufferSize() const { return m_dwRequiredSize; }

protected:
    INT_PTR RunModal() override;

private:
    BOOL m_bOpenFileDialog;
    std::vector<wchar_t> m_filter;        // "|" turned into NUL, ending in two NULs
    std::vector<wchar_t> m_fileBuffer;    // the default name buffer
    CString m_defaultExtension;
    DWORD m_dwRequiredSize = 0;
};
