#include "framework/window/CommonDialog.h"

#include "framework/window/WinThread.h"

#include <algorithm>
#include <cstddef>
#include <cwchar>

namespace {

// The dialog object waiting for its system window on this thread, and the hook that finds it.
struct DialogHookState {
    CCommonDialog* pending = nullptr;
    HHOOK hook = nullptr;
};
thread_local DialogHookState t_dialogHook;

LRESULT CALLBACK DialogCreateHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_dialogHook.pending) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        wchar_t className[16] = {};
        ::GetClassNameW(hWnd, className, 16);
        // The system dialog is the first top-level window of the dialog class; its pages, the
        // list view and input-method windows come as children or other classes.
        if (!(cs->style & WS_CHILD) && std::wcscmp(className, L"#32770") == 0) {
            CCommonDialog* dialog = t_dialogHook.pending;
            t_dialogHook.pending = nullptr;
            dialog->SubclassWindow(hWnd);
        }
    }
    return ::CallNextHookEx(t_dialogHook.hook, code, wParam, lParam);
}

// Watches for the system window for the length of one system call; nests (a file dialog started
// from another one's message handler gets its own watch).
class DialogHookScope {
public:
    explicit DialogHookScope(CCommonDialog* dialog) : m_saved(t_dialogHook)
    {
        t_dialogHook.pending = dialog;
        t_dialogHook.hook = ::SetWindowsHookExW(WH_CBT, DialogCreateHook, nullptr, ::GetCurrentThreadId());
    }
    ~DialogHookScope()
    {
        if (t_dialogHook.hook)
            ::UnhookWindowsHookEx(t_dialogHook.hook);
        t_dialogHook = m_saved;
    }
    DialogHookScope(const DialogHookScope&) = delete;
    DialogHookScope& operator=(const DialogHookScope&) = delete;

private:
    DialogHookState m_saved;
};

bool IsFullPath(const wchar_t* name)
{
    return (name[0] && name[1] == L':') || (name[0] == L'\\' && name[1] == L'\\');
}

} // namespace

// ---- CCommonDialog ------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CCommonDialog, CWnd)

CCommonDialog::CCommonDialog(CWnd* parent) : m_pParentWnd(parent) {}

INT_PTR CCommonDialog::DoModal()
{
    if (m_hWnd)
        return IDCANCEL;    // already running
    CWnd* owner = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    m_hWndOwner = owner && owner->m_hWnd ? ::GetAncestor(owner->m_hWnd, GA_ROOT) : nullptr;
    HWND focus = ::GetFocus();
    // Disabled here rather than left to the system call, so dialogs that take no owner (the
    // folder browser's may be null) still block the window that started them.
    const bool disabledOwner = m_hWndOwner && ::IsWindowEnabled(m_hWndOwner);
    if (disabledOwner)
        ::EnableWindow(m_hWndOwner, FALSE);
    m_dwExtendedError = 0;

    INT_PTR result;
    {
        DialogHookScope hook(this);
        result = RunModal();
    }
    // A window the system call left behind (it should not) is only let go of, not destroyed.
    if (m_hWnd)
        UnsubclassWindow();

    if (disabledOwner) {
        ::EnableWindow(m_hWndOwner, TRUE);
        // With the owner disabled while the dialog closed, the system may have activated some
        // other window: the owner gets the activation and the focus back.
        if (::GetActiveWindow() != m_hWndOwner && ::IsWindowVisible(m_hWndOwner))
            ::SetActiveWindow(m_hWndOwner);
    }
    if (focus && ::IsWindow(focus) && ::GetFocus() != focus)
        ::SetFocus(focus);
    m_hWndOwner = nullptr;
    return result;
}

// ---- CFileDialog --------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CFileDialog, CCommonDialog)

CFileDialog::CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension, const wchar_t* fileName,
                         DWORD flags, const wchar_t* filter, CWnd* parent)
    : CCommonDialog(parent), m_bOpenFileDialog(openFileDialog), m_fileBuffer(kDefaultFileBufferSize, L'\0'),
      m_defaultExtension(defaultExtension)
{
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = kDefaultFileBufferSize;
    m_ofn.Flags = flags | OFN_EXPLORER;
    if (fileName)
        ::lstrcpynW(m_fileBuffer.data(), fileName, static_cast<int>(kDefaultFileBufferSize));
    if (defaultExtension && *defaultExtension)
        m_ofn.lpstrDefExt = m_defaultExtension;
    if (filter && *filter) {
        for (const wchar_t* p = filter; *p; ++p)
            m_filter.push_back(*p == L'|' ? L'\0' : *p);
        // The list ends with an empty pair: two NULs whether or not the text ended in "||".
        m_filter.push_back(L'\0');
        m_filter.push_back(L'\0');
        m_ofn.lpstrFilter = m_filter.data();
    }
}

namespace {

// Units the names take in a filled name buffer, terminators included: one string, or with a
// multiple selection a list ending in an empty string. 0 when no end lies within size units (the
// system cut the list).
size_t UsedLength(const wchar_t* buffer, size_t size, bool multiple)
{
    for (size_t i = 0; i < size; ++i) {
        if (buffer[i] != L'\0')
            continue;
        if (!multiple || i == 0)
            return i + 1;
        if (i + 1 < size && buffer[i + 1] == L'\0')
            return i + 2;
    }
    return 0;
}

} // namespace

INT_PTR CFileDialog::RunModal()
{
    m_ofn.hwndOwner = m_hWndOwner;
    m_ofn.Flags |= OFN_EXPLORER;
    m_dwRequiredSize = 0;
    wchar_t* const callerBuffer = m_ofn.lpstrFile;
    const DWORD callerSize = callerBuffer ? m_ofn.nMaxFile : 0;
    if (!callerBuffer || callerSize == 0) {
        m_dwExtendedError = FNERR_INVALIDFILENAME;
        return IDCANCEL;
    }
    // The system is handed a roomy buffer of our own and the names are copied into the caller's
    // afterwards. Some systems (Wine among them) do not report a multiple selection that is larger
    // than the buffer: they answer OK with the list cut short, or write past its end. Measuring
    // the list here makes an overflow an overflow everywhere.
    const DWORD workSize = callerSize > kSystemBufferSize ? callerSize : kSystemBufferSize;
    std::vector<wchar_t> work(workSize, L'\0');
    std::copy(callerBuffer, callerBuffer + callerSize, work.begin());
    m_ofn.lpstrFile = work.data();
    m_ofn.nMaxFile = workSize;
    const BOOL ok = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    m_ofn.lpstrFile = callerBuffer;
    m_ofn.nMaxFile = callerSize;

    if (ok) {
        const size_t used = UsedLength(work.data(), workSize, (m_ofn.Flags & OFN_ALLOWMULTISELECT) != 0);
        if (used != 0 && used <= callerSize) {
            std::copy(work.begin(), work.begin() + static_cast<std::ptrdiff_t>(used), callerBuffer);
            return IDOK;
        }
        m_dwExtendedError = FNERR_BUFFERTOOSMALL;
        m_dwRequiredSize = static_cast<DWORD>(used);
    } else {
        m_dwExtendedError = ::CommDlgExtendedError();
        // After an overflow the system puts the size it needed into the first unit.
        if (m_dwExtendedError == FNERR_BUFFERTOOSMALL)
            m_dwRequiredSize = static_cast<WORD>(work[0]);
    }
    // Nothing half-read is left to look like a selection.
    if (m_dwExtendedError == FNERR_BUFFERTOOSMALL) {
        callerBuffer[0] = L'\0';
        if (callerSize > 1)
            callerBuffer[1] = L'\0';
    }
    return IDCANCEL;
}

POSITION CFileDialog::GetStartPosition() const
{
    if (!m_ofn.lpstrFile || !m_ofn.lpstrFile[0])
        return nullptr;
    // Positions are offsets into the name buffer, plus one so that the first is not null.
    return reinterpret_cast<POSITION>(static_cast<INT_PTR>(1));
}

CString CFileDialog::GetNextPathName(POSITION& pos) const
{
    const wchar_t* buffer = m_ofn.lpstrFile;
    if (!pos || !buffer) {
        pos = nullptr;
        return CString();
    }
    size_t offset = static_cast<size_t>(reinterpret_cast<INT_PTR>(pos)) - 1;
    const size_t firstLength = std::wcslen(buffer);
    // One file (or no multiple selection): the first string is the full path.
    const bool several = (m_ofn.Flags & OFN_ALLOWMULTISELECT) && firstLength + 1 < m_ofn.nMaxFile &&
                         buffer[firstLength + 1] != L'\0';
    if (!several) {
        pos = nullptr;
        return CString(buffer);
    }
    // Several: the folder, then the names, the list ending in an empty string.
    if (offset == 0)
        offset = firstLength + 1;
    const wchar_t* name = buffer + offset;
    const size_t nameLength = std::wcslen(name);
    const size_t next = offset + nameLength + 1;
    pos = next < m_ofn.nMaxFile && buffer[next] ? reinterpret_cast<POSITION>(static_cast<INT_PTR>(next + 1))
                                                : nullptr;
    if (IsFullPath(name))
        return CString(name);
    CString path(buffer);
    if (path.IsEmpty() || path[path.GetLength() - 1] != L'\\')
        path += L'\\';
    return path + name;
}

CString CFileDialog::GetPathName() const
{
    POSITION pos = GetStartPosition();
    return pos ? GetNextPathName(pos) : CString();
}

CString CFileDialog::GetFileName() const
{
    const CString path = GetPathName();
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

CString CFileDialog::GetFileExt() const
{
    const CString name = GetFileName();
    const int dot = name.ReverseFind(L'.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const
{
    const CString name = GetFileName();
    const int dot = name.ReverseFind(L'.');
    return dot < 0 ? name : name.Left(dot);
}
