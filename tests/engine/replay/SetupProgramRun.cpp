#include "tests/engine/replay/SetupProgramRun.h"

#include "engine/replay/JobProcess.h"
#include "engine/replay/RemoteWindow.h"

#include <gtest/gtest.h>

#include <vector>

namespace replaytest {

CString SetupProgramPath()
{
    return testsupport::ModuleFolder() + L"\\setupprog.exe";
}

DesktopLock::DesktopLock() : m_mutex(CreateMutexW(nullptr, FALSE, L"TarnwickReplayTestsDesktop"))
{
    if (!m_mutex) {
        ADD_FAILURE() << "the desktop lock could not be created: error " << GetLastError();
        return;
    }
    // An abandoned lock (a test process that crashed holding it) is ours all the same.
    const DWORD wait = WaitForSingleObject(m_mutex.Get(), kLimitMs);
    m_held = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    if (!m_held)
        ADD_FAILURE() << "the desktop stayed held by other tests for " << kLimitMs / 1000 << " s";
}

DesktopLock::~DesktopLock()
{
    if (m_held)
        ReleaseMutex(m_mutex.Get());
}

SetupProgramRun::SetupProgramRun(const wchar_t* switches) : m_resultFile(m_scratch / L"result.txt")
{
    CString arguments;
    arguments.Format(L"/result:\"%s\" %s", static_cast<const wchar_t*>(m_resultFile), switches);
    m_startError = StartSetupProgram(SetupProgramPath(), arguments);
    EXPECT_EQ(0u, m_startError) << "the setup program did not start";
    m_job = DuplicateScriptJob();
    std::vector<DWORD> ids;
    if (m_job && QueryJobProcessIds(m_job.Get(), ids) == 0 && !ids.empty())
        m_process.Reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, ids.front()));
}

SetupProgramRun::~SetupProgramRun()
{
    if (m_job) {
        TerminateJobObject(m_job.Get(), 1);
        if (m_process)
            WaitForSingleObject(m_process.Get(), kWaitLimitMs);
    }
    CloseScriptJob();
}

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == search->processId && IsWindowVisible(window) && !GetWindow(window, GW_OWNER)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND SetupProgramRun::WaitForMainWindow(DWORD timeoutMs)
{
    if (!m_process)
        return nullptr;
    WindowSearch search = {GetProcessId(m_process.Get()), nullptr};
    // A process that has ended shows no window: no use waiting out the limit for it.
    WaitFor([&] {
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr || WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0;
    }, timeoutMs);
    return search.found;
}

bool SetupProgramRun::WaitForExit(DWORD timeoutMs)
{
    return m_process && WaitForSingleObject(m_process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

Result SetupProgramRun::CloseAndRead()
{
    if (HWND window = WaitForMainWindow())
        PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitForExit()) << "the setup program did not end after WM_CLOSE";
    return ReadResult();
}

Result SetupProgramRun::ReadResult() const
{
    return ReadResultFile(m_resultFile);
}

CMsgAction ScriptStep(int kind, int controlType, const wchar_t* processName, const wchar_t* path,
                      const wchar_t* text, POINT point)
{
    CMsgAction step;
    step.m_kind = kind;
    step.m_delay = 0;
    step.m_controlType = controlType;
    step.m_processName = processName;
    step.m_windowPath = path;
    step.m_controlText = text;
    step.m_point = point;
    return step;
}

Result ReadResultFile(const CString& path)
{
    Result result;
    std::vector<uint8_t> bytes;
    if (!testsupport::ReadAllBytes(path, bytes))
        return result;
    std::string text(bytes.begin(), bytes.end());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            result[line.substr(0, equals)] = line.substr(equals + 1);
        start = end + 2;
    }
    return result;
}

DWORD SetupProgramRun::ExitCode() const
{
    DWORD code = 0;
    if (m_process)
        GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

namespace {

constexpr size_t kTextOffset = 1024;

CString TreeItemText(HWND tree, CRemoteBlock& block, HTREEITEM item)
{
    TVITEMW data = {};
    data.mask = TVIF_HANDLE | TVIF_TEXT;
    data.hItem = item;
    data.pszText = reinterpret_cast<wchar_t*>(block.At(kTextOffset));
    data.cchTextMax = 200;
    block.Write(0, &data, sizeof(data));
    SendMessageW(tree, TVM_GETITEMW, 0, block.At(0));
    wchar_t text[201] = {};
    block.Read(kTextOffset, text, 200 * sizeof(wchar_t));
    return CString(text);
}

HTREEITEM FindTreeItemFrom(HWND tree, CRemoteBlock& block, HTREEITEM item, const wchar_t* text)
{
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        if (TreeItemText(tree, block, item) == text)
            return item;
        if (HTREEITEM found = FindTreeItemFrom(tree, block, TreeView_GetChild(tree, item), text))
            return found;
    }
    return nullptr;
}

// The item's label rectangle (TVM_GETITEMRECT with the label only), in the tree's client area.
bool TreeLabelRect(HWND tree, const wchar_t* text, RECT& rect)
{
    CRemoteBlock block;
    if (block.Open(tree) != 0)
        return false;
    HTREEITEM item = FindTreeItemFrom(tree, block, TreeView_GetRoot(tree), text);
    if (!item)
        return false;
    block.Write(0, &item, sizeof(item));
    if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, block.At(0)))
        return false;
    return block.Read(0, &rect, sizeof(rect));
}

} // namespace

bool PretendOthersAre32Bit(HANDLE process)
{
    return GetProcessId(process) != GetCurrentProcessId();
}

POINT ListBoxItemPoint(HWND listBox, int index)
{
    RECT rect = {};
    if (SendMessageW(listBox, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
        return {-1, -1};
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

POINT ListViewItemPoint(HWND listView, int index)
{
    CRemoteBlock block;
    RECT rect = {};
    rect.left = LVIR_LABEL;
    if (block.Open(listView) != 0 || !block.Write(0, &rect, sizeof(rect)) ||
        !SendMessageW(listView, LVM_GETITEMRECT, static_cast<WPARAM>(index), block.At(0)) ||
        !block.Read(0, &rect, sizeof(rect)))
        return {-1, -1};
    return {rect.left + 10, (rect.top + rect.bottom) / 2};
}

HTREEITEM FindTreeItem(HWND tree, const wchar_t* text)
{
    CRemoteBlock block;
    if (block.Open(tree) != 0)
        return nullptr;
    return FindTreeItemFrom(tree, block, TreeView_GetRoot(tree), text);
}

POINT TreeStateIconPoint(HWND tree, const wchar_t* text)
{
    RECT label = {};
    if (!TreeLabelRect(tree, text, label))
        return {-1, -1};
    // The check box image (16 pixels wide) sits just left of the label.
    return {label.left - 9, (label.top + label.bottom) / 2};
}

POINT TreeLabelPoint(HWND tree, const wchar_t* text)
{
    RECT label = {};
    if (!TreeLabelRect(tree, text, label))
        return {-1, -1};
    return {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
}

} // namespace replaytest
