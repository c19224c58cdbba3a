#pragma once
// CScriptActions: finds a window of a setup program by its textual window path and replays
// recorded script steps on it (clicks, text, selections), or captures a step from a clicked
// window. It works only through window messages, the clipboard and cross-process memory of the
// target; the setup program's processes are those of the script job (JobProcess.h).
//
// Window path: the ancestors of a window, outermost first, each as "<class>-<index>\" with the
// class name lower-cased ("Afx:0xx" for any framework class containing "afx:0") and the index the
// window's position among its parent's same-class descendants (-1 without parent); then
// "-<n>", the window's rank among the listed windows with the same path.
//
// An engine is cheap: callers build one for a capture or a replay run, on one thread.

#include "framework/Array.h"
#include "framework/Handle.h"
#include "framework/Map.h"
#include "framework/String.h"

#include <functional>
#include <utility>
#include <vector>

class CMsgAction;
class CMsgActions;

// Names of a step's kind and control type for result texts and logs; numbers outside the known
// range give "Action" and "Control".
CString MsgActionKindName(int kind);
CString MsgControlTypeName(int controlType);

// Waits of a replay. The product always uses the defaults; tests shorten them.
struct ReplayTiming {
    DWORD msPerDelaySecond = 1000; // a step's delay is given in seconds
    int attempts = 10;             // searches for a step's window
    DWORD attemptPauseMs = 1000;   // pause after each failed search
    DWORD highlightMs = 200;       // how long a highlight frame stays before the step acts
};
void SetReplayTimingForTests(const ReplayTiming& timing);

// Key of the process-name map. Its hash sets the map's walking order, and that order decides which
// of two same-named processes keeps the plain name and which is "(1)": scripts recorded against
// one numbering must find the same process on replay, so the hash is fixed here, apart from the
// general map hash. Process ids are multiples of 4, so the low bits carry nothing.
struct ProcessMapKey {
    ProcessMapKey() = default;
    ProcessMapKey(DWORD processId) : id(processId) {}
    operator DWORD() const { return id; }

    DWORD id = 0;
};

inline UINT HashKey(const ProcessMapKey& key)
{
    return key.id >> 4;
}

class CScriptActions {
public:
    // One listed window.
    class CHwndPath {
    public:
        CHwndPath() = default;
        CHwndPath(HWND window, const CString& path) : m_hWnd(window), m_path(path) {}
        virtual ~CHwndPath() = default;

        HWND m_hWnd = nullptr; // not owned
        CString m_path;
    };

    CScriptActions();
    CScriptActions(const CScriptActions&) = delete;
    CScriptActions& operator=(const CScriptActions&) = delete;
    virtual ~CScriptActions() = default;

    // ---- replay (ScriptActionsPlay.cpp) ----

    // Told after each step with its index and the step, its result text written; false stops the
    // run there. It runs on the replaying thread: a caller that shows results on another thread
    // copies what it needs here rather than reading the steps while they are replayed.
    using StepReport = std::function<bool(int index, const CMsgAction& action)>;

    // Replays the steps in order; a failing step ends the run unless it may fail. Returns the
    // result of the last step replayed (0 for an empty list).
    int PlayActions(CMsgActions& actions, bool highlight, const StepReport& afterStep = {});
    // Waits the step's delay, finds its window and performs it; writes the step's result text.
    // 0 done (or nothing to do), 1 window not found or the step could not act on it.
    int PlayAction(CMsgAction& action);

    // ---- capture (ScriptActionsCapture.cpp) ----

    // Fills a new step from the window under a click: 1 for a null or vanished window, else 0.
    int CaptureAction(CMsgAction& action, HWND window);
    void CaptureControlData(HWND window, CMsgAction& action);

    // ---- finding windows (ScriptActions.cpp) ----

    // Lists the job's processes and windows and looks the step's path up: 1 and the current
    // window set when found, else 0.
    int FindActionWindow(const CMsgAction& action);
    // The same search by process name and window path (exact, case-sensitive).
    int FindWindowByPath(const CString& processName, const CString& windowPath);
    // Fills the process-name map from the script job; 0 or the Windows error (map then empty).
    [[nodiscard]] DWORD ListJobProcesses();
    // Same, for a given job.
    [[nodiscard]] DWORD ListJobProcesses(HANDLE job);
    // Fills the process-name map from listed processes (id and executable name, in the job's
    // order): names are lower-cased and given the "*.tmp" rule; among same-named processes the
    // first in the map's walking order keeps the name and the n-th later one becomes "name(n)".
    void SetProcessNames(const std::vector<std::pair<DWORD, CString>>& processes);
    // Rebuilds the window list for the process of that name, with final paths.
    void ListProcessWindows(const CString& processName);
    // A window's path without the rank suffix.
    CString BuildWindowPath(HWND window);
    // Frame drawn on a found window while highlighting.
    void HighlightWindow(HWND window);

    HWND CurrentWindow() const { return m_hCurrentWnd; }
    const CArray<CHwndPath>& Windows() const { return m_windows; }
    // Process name by id, as listed last; empty when the id is not in the job.
    CString ProcessName(DWORD processId) const;
    int ProcessCount() const { return m_processNames.GetCount(); }

    // The "*.tmp" rule for one executable name (lower-cased).
    static CString NormalizeProcessName(const CString& exeName);

private:
    static BOOL CALLBACK CollectWindowProc(HWND window, LPARAM param);
    static BOOL CALLBACK CountSameClassProc(HWND window, LPARAM param);

    // Performs the step on the current window: false when it could not act (outcome says why).
    [[nodiscard]] bool ActOnWindow(CMsgAction& action, CString& outcome);
    void ClickControl(const CMsgAction& action);
    void SetControlText(const CMsgAction& action);
    [[nodiscard]] bool SelectControlItem(const CMsgAction& action, CString& outcome);
    [[nodiscard]] bool ToggleTreeItem(const CMsgAction& action, CString& outcome);
    void CaptureListViewItem(HWND window, CMsgAction& action);
    void CaptureTreeViewItem(HWND window, CMsgAction& action);

    HWND m_hCurrentWnd = nullptr; // not owned
    HWND m_hSearchTarget = nullptr; // not owned
    CString m_searchClass;
    CString m_searchedPath;
    DWORD m_listedProcessId = 0;
    int m_searchCounter = -1;
    bool m_highlight = false;
    CArray<CHwndPath> m_windows;
    CMap<ProcessMapKey, DWORD, CString, const CString&> m_processNames;
    ReplayTiming m_timing;
};

// Removes the highlight frame: repaints the window and the part of its parent it covers.
void RepaintWindowArea(HWND window);

// Control type number of a window (the CMsgAction control types).
int GetControlType(HWND window);
