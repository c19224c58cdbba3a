// Finding a setup program's windows: the job's processes and their names, the window list with
// its paths, and the highlight frame. Every search starts from scratch (the program may have
// opened or closed windows since the last one); nothing but the timing and the highlight choice
// survives between steps.

#include "engine/replay/ScriptActions.h"

#include "engine/replay/JobProcess.h"
#include "engine/replay/RemoteWindow.h"
#include "engine/replay/ScopedGdi.h"

#include <tlhelp32.h>

#include <map>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

// The frame that shows which window a replay acts on: 7 pixels of red.
constexpr int kHighlightPenWidth = 7;
constexpr COLORREF kHighlightColor = RGB(255, 16, 16);

// Buckets of the process-name map; its walking order decides which of two same-named processes
// gets the "(1)".
constexpr UINT kProcessMapBuckets = 17;

std::mutex g_timingLock;
ReplayTiming g_timing;

// Executable names of every process of a snapshot, by id.
[[nodiscard]] DWORD SnapshotProcessNames(std::unordered_map<DWORD, CString>& names)
{
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return GetLastError();
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    if (!Process32FirstW(snapshot.Get(), &entry))
        return GetLastError();
    do {
        names[entry.th32ProcessID] = entry.szExeFile;
    } while (Process32NextW(snapshot.Get(), &entry));
    return 0;
}

} // namespace

void SetReplayTimingForTests(const ReplayTiming& timing)
{
    std::lock_guard<std::mutex> guard(g_timingLock);
    g_timing = timing;
}

CScriptActions::CScriptActions()
{
    m_processNames.InitHashTable(kProcessMapBuckets);
    std::lock_guard<std::mutex> guard(g_timingLock);
    m_timing = g_timing;
}

CString CScriptActions::NormalizeProcessName(const CString& exeName)
{
    CString name = exeName;
    name.MakeLower();
    // Setup makers unpack their real installer under a random temporary name (is-ABC12.tmp): one
    // name for all of them lets a script recorded once find it on every run.
    if (name.Find(L".tmp") >= 0)
        name = L"*.tmp";
    return name;
}

DWORD CScriptActions::ListJobProcesses()
{
    UniqueKernelHandle job = DuplicateScriptJob();
    if (!job) {
        m_processNames.RemoveAll();
        return ERROR_INVALID_HANDLE;
    }
    return ListJobProcesses(job.Get());
}

DWORD CScriptActions::ListJobProcesses(HANDLE job)
{
    m_processNames.RemoveAll();
    std::vector<DWORD> ids;
    if (DWORD error = QueryJobProcessIds(job, ids))
        return error;
    std::unordered_map<DWORD, CString> exeNames;
    if (DWORD error = SnapshotProcessNames(exeNames))
        return error;

    std::vector<std::pair<DWORD, CString>> processes;
    for (DWORD id : ids) {
        auto found = exeNames.find(id);
        if (found != exeNames.end()) // else it ended between the two queries
            processes.emplace_back(id, found->second);
    }
    SetProcessNames(processes);
    return 0;
}

void CScriptActions::SetProcessNames(const std::vector<std::pair<DWORD, CString>>& processes)
{
    m_processNames.RemoveAll();
    std::vector<CString> names;
    for (const auto& [id, exeName] : processes) {
        const CString name = NormalizeProcessName(exeName);
        m_processNames.SetAt(id, name);
        names.push_back(name);
    }

    // Same-named processes: the first in the map's order keeps the name, later ones get "(n)".
    // A numbered name no longer equals the plain one, so a name listed twice is numbered once.
    for (const CString& name : names) {
        int seen = 0;
        for (POSITION position = m_processNames.GetStartPosition(); position;) {
            ProcessMapKey id;
            CString value;
            m_processNames.GetNextAssoc(position, id, value);
            if (value.CompareNoCase(name) != 0)
                continue;
            if (seen > 0) {
                CString numbered;
                numbered.Format(L"%s(%d)", static_cast<const wchar_t*>(value), seen);
                m_processNames.SetAt(id, numbered);
            }
            ++seen;
        }
    }
}

CString CScriptActions::ProcessName(DWORD processId) const
{
    CString name;
    m_processNames.Lookup(processId, name);
    return name;
}

BOOL CALLBACK CScriptActions::CountSameClassProc(HWND window, LPARAM param)
{
    auto* self = reinterpret_cast<CScriptActions*>(param);
    if (WindowClassName(window).CompareNoCase(self->m_searchClass) == 0)
        ++self->m_searchCounter;
    return window != self->m_hSearchTarget;
}

CString CScriptActions::BuildWindowPath(HWND window)
{
    CString path;
    for (HWND current = window; current; current = GetParent(current)) {
        const CString className = WindowClassName(current);
        m_hSearchTarget = current;
        m_searchClass = className;
        m_searchCounter = -1;
        // An owned window is not among its owner's descendants: it counts all of them, less one.
        if (HWND parent = GetParent(current))
            EnumChildWindows(parent, CountSameClassProc, reinterpret_cast<LPARAM>(this));

        CString name = className;
        name.MakeLower();
        if (name.Find(L"afx:0") >= 0)
            name = L"Afx:0xx"; // framework class names carry addresses that change on every run
        CString element;
        element.Format(L"%s-%d\\", static_cast<const wchar_t*>(name), m_searchCounter);
        path = element + path;
    }
    return path;
}

BOOL CALLBACK CScriptActions::CollectWindowProc(HWND window, LPARAM param)
{
    auto* self = reinterpret_cast<CScriptActions*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != self->m_listedProcessId || !IsWindowVisible(window))
        return TRUE;
    WINDOWINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetWindowInfo(window, &info) || (info.dwStyle & WS_DISABLED))
        return TRUE;
    self->m_windows.Add(CHwndPath(window, self->BuildWindowPath(window)));
    return TRUE;
}

void CScriptActions::ListProcessWindows(const CString& processName)
{
    m_windows.RemoveAll();
    for (POSITION position = m_processNames.GetStartPosition(); position;) {
        ProcessMapKey id;
        CString name;
        m_processNames.GetNextAssoc(position, id, name);
        if (name != processName)
            continue;
        m_listedProcessId = id;
        m_hCurrentWnd = nullptr;
        EnumChildWindows(GetDesktopWindow(), CollectWindowProc, reinterpret_cast<LPARAM>(this));
    }

    // Rank suffix: the n-th listed window with a path (compared without regard to case) gets "-n".
    std::map<std::wstring, int> ranks;
    for (CHwndPath& element : m_windows) {
        CString key = element.m_path;
        key.MakeLower();
        const int rank = ranks[std::wstring(key.View())]++;
        element.m_path.AppendFormat(L"-%d", rank);
    }
}

int CScriptActions::FindWindowByPath(const CString& processName, const CString& windowPath)
{
    (void)ListJobProcesses(); // on failure the map is empty and nothing is found
    ListProcessWindows(processName);
    for (const CHwndPath& element : m_windows) {
        if (element.m_path == windowPath) {
            m_hCurrentWnd = element.m_hWnd;
            if (m_highlight)
                HighlightWindow(m_hCurrentWnd);
            return 1;
        }
    }
    return 0;
}

void CScriptActions::HighlightWindow(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    if (ScopedWindowDC dc(window); dc) {
        // The pen outlives its selection: the scopes end in reverse order, restoring first.
        UniqueGdiObject pen(CreatePen(PS_SOLID, kHighlightPenWidth, kHighlightColor));
        ScopedSelect penSelection(dc.Get(), pen.Get());
        ScopedSelect brushSelection(dc.Get(), GetStockObject(NULL_BRUSH));
        Rectangle(dc.Get(), 0, 0, rect.right - rect.left, rect.bottom - rect.top);
    }
    Sleep(m_timing.highlightMs);
}

void RepaintWindowArea(HWND window)
{
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW | RDW_FRAME);
    if (HWND parent = GetParent(window)) {
        RECT rect = {};
        GetWindowRect(window, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        InvalidateRect(parent, &rect, TRUE);
        UpdateWindow(parent);
        RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    }
}
