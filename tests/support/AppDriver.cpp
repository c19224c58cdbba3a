#include "tests/support/AppDriver.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <string>

namespace testsupport {

namespace {

DWORD WindowProcessId(HWND window)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process;
}

bool Matches(HWND window, const AppWindowQuery& query)
{
    if (!::IsWindowVisible(window))
        return false;
    if (query.className) {
        wchar_t className[256] = {};
        ::GetClassNameW(window, className, 256);
        if (_wcsicmp(className, query.className) != 0)
            return false;
    }
    if (query.title && WindowText(window) != query.title)
        return false;
    if (query.controlId != -1 && ::GetDlgCtrlID(window) != query.controlId)
        return false;
    return true;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() > end)
            return condition();
        PumpPending();      // this thread's own windows may be what is searched
        ::Sleep(20);
    }
    return true;
}

// Memory in another process for one exchange with its control, freed at the end.
class RemoteBlock {
public:
    RemoteBlock(HWND window, size_t bytes) : m_bytes(bytes)
    {
        m_process.Reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                      WindowProcessId(window)));
        if (m_process.Get())
            m_address = ::VirtualAllocEx(m_process.Get(), nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    ~RemoteBlock()
    {
        if (m_address)
            ::VirtualFreeEx(m_process.Get(), m_address, 0, MEM_RELEASE);
    }

    bool IsValid() const { return m_address != nullptr; }
    BYTE* Address() const { return static_cast<BYTE*>(m_address); }
    bool Write(size_t offset, const void* data, size_t bytes) const
    {
        return ::WriteProcessMemory(m_process.Get(), Address() + offset, data, bytes, nullptr) != FALSE;
    }
    bool Read(size_t offset, void* data, size_t bytes) const
    {
        return ::ReadProcessMemory(m_process.Get(), Address() + offset, data, bytes, nullptr) != FALSE;
    }

private:
    UniqueKernelHandle m_process;
    void* m_address = nullptr;   // in the other process
    size_t m_bytes;
};

constexpr int kTextUnits = 1024;

std::wstring TreeItemText(HWND tree, const RemoteBlock& block, HTREEITEM item)
{
    TVITEMW query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = reinterpret_cast<wchar_t*>(block.Address() + sizeof(TVITEMW));
    query.cchTextMax = kTextUnits;
    const wchar_t empty = 0;
    if (!block.Write(0, &query, sizeof(query)) || !block.Write(sizeof(TVITEMW), &empty, sizeof(empty)))
        return {};
    if (!::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.Address())))
        return {};
    // the control may answer with a pointer of its own instead of filling the buffer
    TVITEMW answer{};
    block.Read(0, &answer, sizeof(answer));
    std::vector<wchar_t> text(kTextUnits + 1, 0);
    if (answer.pszText == query.pszText)
        block.Read(sizeof(TVITEMW), text.data(), kTextUnits * sizeof(wchar_t));
    return text.data();
}

void WalkTree(HWND tree, const RemoteBlock& block, HTREEITEM item, int depth, std::vector<std::wstring>& out)
{
    for (; item; item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                                     reinterpret_cast<LPARAM>(item)))) {
        out.push_back(std::wstring(static_cast<size_t>(depth) * 2, L' ') + TreeItemText(tree, block, item));
        WalkTree(tree,
                 block,
                 reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD,
                                                            reinterpret_cast<LPARAM>(item))),
                 depth + 1, out);
    }
}

} // namespace

// ---- the program's process ------------------------------------------------------------------

AppDriver::~AppDriver()
{
    if (IsRunning() && !Close(20000))
        Kill();
}

CString AppDriver::ProgramPath()
{
    return ModuleFolder() + L"\\tarnwick.exe";
}

CString AppDriver::DataFolder()
{
    wchar_t documents[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, documents);
    return CString(documents) + L"\\Tarnwick";
}

bool AppDriver::ResetDataFolder()
{
    const CString folder = DataFolder();
    if (FileExists(folder) && !RemoveTree(folder))
        return false;
    return ::CreateDirectoryW(folder, nullptr) != FALSE;
}

bool AppDriver::Start(const wchar_t* arguments)
{
    CString commandLine = L"\"" + ProgramPath() + L"\"";
    if (arguments && *arguments)
        commandLine += CString(L" ") + arguments;
    std::vector<wchar_t> buffer(commandLine.GetString(), commandLine.GetString() + commandLine.GetLength() + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const CString folder = ModuleFolder();
    if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &info))
        return false;
    ::CloseHandle(info.hThread);
    m_process.Reset(info.hProcess);
    m_processId = info.dwProcessId;
    m_mainWindow = nullptr;
    return true;
}

HWND AppDriver::WaitForMainWindow(const wchar_t* className, DWORD timeoutMs)
{
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows()) {
                if (::GetWindow(window, GW_OWNER))
                    continue;   // message boxes and dialogs are owned
                if (!className || Matches(window, {className, nullptr, -1})) {
                    m_mainWindow = window;
                    return true;
                }
            }
            return !IsRunning();
        },
        timeoutMs);
    return m_mainWindow;
}

HWND AppDriver::MainWindowPastTheWizard(DWORD timeoutMs)
{
    static constexpr wchar_t kProduct[] = L"Tarnwick Professional";
    std::wstring mainClass;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows()) {
                wchar_t name[256] = {};
                ::GetClassNameW(window, name, 256);
                if (std::wstring(name) == L"#32770")
                    ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                else if (WindowText(window).compare(0, std::size(kProduct) - 1, kProduct) == 0)
                    mainClass = name;
            }
            return !mainClass.empty() || !IsRunning();
        },
        timeoutMs);
    return mainClass.empty() ? nullptr : WaitForMainWindow(mainClass.c_str(), timeoutMs);
}

bool AppDriver::IsRunning() const
{
    return m_process.Get() && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool AppDriver::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (!m_process.Get())
        return true;
    if (::WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        ::GetExitCodeProcess(m_process.Get(), exitCode);
    return true;
}

bool AppDriver::Close(DWORD timeoutMs)
{
    if (!IsRunning())
        return true;
    if (m_mainWindow && ::IsWindow(m_mainWindow))
        ::PostMessageW(m_mainWindow, WM_CLOSE, 0, 0);
    return WaitForExit(timeoutMs);
}

void AppDriver::Kill()
{
    if (IsRunning()) {
        ::TerminateProcess(m_process.Get(), 1);
        ::WaitForSingleObject(m_process.Get(), 10000);
    }
}

namespace {

struct WindowSearch {
    DWORD process;
    std::vector<HWND> found;
};

// A plain function: the 32-bit system calls it with the stdcall convention.
BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (WindowProcessId(window) == search->process && ::IsWindowVisible(window))
        search->found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> AppDriver::TopLevelWindows() const
{
    WindowSearch search{m_processId, {}};
    ::EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND AppDriver::WaitForTopLevel(const AppWindowQuery& query, DWORD timeoutMs) const
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows())
                if (Matches(window, query)) {
                    found = window;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

bool AppDriver::PostCommand(UINT id) const
{
    return m_mainWindow && ::PostMessageW(m_mainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

std::wstring AppDriver::BuildThroughDialog(UINT buildCommand, const wchar_t* packageName, const CString& output,
                                           const wchar_t* resultCaption) const
{
    constexpr int kOutputFolder = 1036, kOutputKind = 1035;
    if (!PostCommand(buildCommand))
        return L"the build command could not be posted";
    const std::wstring title = std::wstring(L"Build ") + packageName;
    HWND build = WaitForTopLevel({L"#32770", title.c_str(), -1}, 30000);
    if (!build)
        return L"no build dialog";
    if (!SetText(Control(build, kOutputFolder), output))
        return L"no output folder box";
    ::SendMessageW(Control(build, kOutputKind), CB_SETCURSEL, 0, 0);
    if (!Click(Control(build, IDOK)))
        return L"no OK button";
    // building a package takes a while on a loaded machine
    HWND box = WaitForMessageBox(resultCaption, 180000);
    if (!box)
        return L"no build result";
    const std::wstring text = MessageBoxText(box);
    if (!PressButton(box, IDOK) || !testsupport::WaitFor([box] { return !::IsWindow(box); }, 20000))
        return L"the result box stayed: " + text;
    return text;
}

HWND AppDriver::WaitForMessageBox(const wchar_t* title, DWORD timeoutMs) const
{
    return WaitForTopLevel({L"#32770", title, -1}, timeoutMs);
}

bool AppDriver::PressButton(HWND dialog, int buttonId)
{
    HWND button = ::GetDlgItem(dialog, buttonId);
    if (!button)
        return false;
    // posted: a sent click would wait inside the other program's modal loop
    return ::PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

bool AppDriver::ChooseFileInOpenDialog(HWND dialog, const wchar_t* path)
{
    // the file name goes into edt1 (0x480), or into the edit inside the cmb13 (0x47C) combo box,
    // which may itself sit in a ComboBoxEx
    HWND name = ::GetDlgItem(dialog, 0x480);
    if (!name) {
        if (HWND combo = ::GetDlgItem(dialog, 0x47C))
            name = FindDescendant(combo, {L"Edit", nullptr, -1});
    }
    if (!name)
        return false;
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path));
    return ::PostMessageW(dialog, WM_COMMAND, IDOK, 0) != FALSE;
}

bool AppDriver::BrowseForFile(HWND owner, HWND browseButton, const CString& path) const
{
    if (!Click(browseButton)) {
        ADD_FAILURE() << "no browse button";
        return false;
    }
    // the name box is control 0x47c in one form of the dialog and 0x480 in the other
    HWND files = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows())
                if (window != owner && Control(window, IDOK, L"Button") &&
                    (Control(window, 0x47c) || Control(window, 0x480)))
                    files = window;
            return files != nullptr;
        },
        30000);
    if (!files) {
        ADD_FAILURE() << "no file dialog";
        return false;
    }
    if (!ChooseFileInOpenDialog(files, path)) {
        ADD_FAILURE() << "the file dialog has no name box";
        return false;
    }
    if (!WaitUntil([&] { return !::IsWindow(files); }, 30000)) {
        ADD_FAILURE() << "the file dialog stayed";
        return false;
    }
    return true;
}

// ---- windows and their contents -------------------------------------------------------------

HWND FindDescendant(HWND parent, const AppWindowQuery& query)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (Matches(child, query))
            return child;
        if (HWND found = FindDescendant(child, query))
            return found;
    }
    return nullptr;
}

std::vector<std::wstring> ReadTreeItems(HWND tree)
{
    std::vector<std::wstring> items;
    RemoteBlock block(tree, sizeof(TVITEMW) + (kTextUnits + 1) * sizeof(wchar_t));
    if (!block.IsValid())
        return items;
    WalkTree(tree, block,
             reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0, items);
    return items;
}

std::wstring ReadSelectedTreeItem(HWND tree)
{
    const auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item)
        return {};
    RemoteBlock block(tree, sizeof(TVITEMW) + (kTextUnits + 1) * sizeof(wchar_t));
    return block.IsValid() ? TreeItemText(tree, block, item) : std::wstring();
}

std::vector<std::wstring> ReadListViewColumn(HWND list, int column)
{
    std::vector<std::wstring> rows;
    RemoteBlock block(list, sizeof(LVITEMW) + (kTextUnits + 1) * sizeof(wchar_t));
    if (!block.IsValid())
        return rows;
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        LVITEMW query{};
        query.iSubItem = column;
        query.pszText = reinterpret_cast<wchar_t*>(block.Address() + sizeof(LVITEMW));
        query.cchTextMax = kTextUnits;
        block.Write(0, &query, sizeof(query));
        const LRESULT length = ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                              reinterpret_cast<LPARAM>(block.Address()));
        std::vector<wchar_t> text(kTextUnits + 1, 0);
        if (length > 0)
            block.Read(sizeof(LVITEMW), text.data(), static_cast<size_t>(length) * sizeof(wchar_t));
        rows.push_back(text.data());
    }
    return rows;
}

std::vector<std::wstring> ReadListBoxItems(HWND list)
{
    // LB_GETTEXT is marshalled between processes for list boxes with strings
    std::vector<std::wstring> lines;
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::vector<wchar_t> text(length > 0 ? static_cast<size_t>(length) + 1 : 1, 0);
        if (length > 0)
            ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        lines.push_back(text.data());
    }
    return lines;
}

HWND Control(HWND top, int id, const wchar_t* className)
{
    return FindDescendant(top, {className, nullptr, id});
}

HWND WaitForControl(HWND top, int id, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = Control(top, id)) != nullptr; }, timeoutMs);
    return found;
}

bool SetText(HWND window, const CString& text)
{
    DWORD_PTR result = 0;
    return window && ::SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.GetString()),
                                           SMTO_NORMAL, 10000, &result) != 0;
}

bool Click(HWND button)
{
    return button && ::PostMessageW(button, BM_CLICK, 0, 0);
}

bool PressWizardButton(HWND sheet, int button)
{
    return ::PostMessageW(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
}

HWND CurrentPage(HWND sheet)
{
    DWORD_PTR page = 0;
    ::SendMessageTimeoutW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_NORMAL, 5000, &page);
    return reinterpret_cast<HWND>(page);
}

bool AddListItem(const AppDriver& program, HWND sheet, int listId, int addId, int textId, const wchar_t* text)
{
    HWND page = CurrentPage(sheet);
    HWND list = ::GetDlgItem(page, listId);
    ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(addId, BN_CLICKED), 0);
    HWND dialog = program.WaitForTopLevel({nullptr, L"Edit Item"});
    if (!dialog)
        return false;
    SetText(::GetDlgItem(dialog, textId), text);
    AppDriver::PressButton(dialog, IDOK);
    return WaitFor([&] {
        const std::vector<std::wstring> items = ReadListBoxItems(list);
        return !items.empty() && items.back() == text;
    }, 20000);
}

} // namespace testsupport
