// The script recorder runs entirely on the user-interface thread, inside its own modal loop: the
// low-level mouse hook is called on this thread while the loop pumps, and only sets a flag; the
// 100 ms timer reads and clears it. The hook therefore never touches a window, so a slow setup
// program cannot stall the system's mouse input through us.
//
// Armed: hook installed, timer running, window topmost, main window hidden. During a capture the
// recorder is disarmed and hidden while the step editor runs, then armed again whatever the
// editor's answer.

#include "app/scripts/FinderDlg.h"

#include "app/scripts/FinderRules.h"
#include "app/scripts/ScriptActionDialog.h"

#include "engine/model/MsgAction.h"
#include "engine/replay/JobProcess.h"
#include "engine/replay/ScopedGdi.h"
#include "engine/replay/ScriptActions.h"

#include "framework/window/WinThread.h"

#include "resources/app/AppResource.h"

#include <algorithm>

namespace {

// Pauses after removing the hook, in milliseconds: they let a mouse event already on its way to
// the hook drain before the window changes under it.
constexpr DWORD kCapturePauseMs = 10;
constexpr DWORD kStopPauseMs = 25;
// Gap between the recorder and the corner of the work area, in pixels.
constexpr int kCornerMargin = 8;

// The hook procedure has no object: its handle and the flag it raises live here. One recorder
// runs at a time.
HHOOK g_mouseHook = nullptr;
int g_captureRequested = 0;

bool CtrlIsDown()
{
    return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
}

bool IsChildWindow(HWND window)
{
    return (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0;
}

// The visible siblings of a child window in one z-order direction, with their window rectangles.
void CollectSiblings(HWND window, UINT direction, std::vector<HWND>& windows, std::vector<RECT>& rects)
{
    windows.clear();
    rects.clear();
    for (HWND sibling = GetWindow(window, direction); sibling; sibling = GetWindow(sibling, direction)) {
        if (!IsWindowVisible(sibling))
            continue;
        RECT rect = {};
        GetWindowRect(sibling, &rect);
        windows.push_back(sibling);
        rects.push_back(rect);
    }
}

// The window the user points at: the deepest window the system finds at the cursor, or, for a
// control hidden under a sibling such as a group box, the sibling that really covers the cursor.
HWND WindowUnderCursor(POINT cursor)
{
    HWND window = WindowFromPoint(cursor);
    if (!window)
        return nullptr;
    if (!IsChildWindow(window)) {
        POINT client = cursor;
        ScreenToClient(window, &client);
        HWND child = RealChildWindowFromPoint(window, client);
        RECT rect = {};
        if (child && child != window && GetWindowRect(child, &rect) && PtInRect(&rect, cursor))
            window = child;
    }
    if (IsChildWindow(window)) {
        RECT taken = {};
        GetWindowRect(window, &taken);
        std::vector<HWND> siblings;
        std::vector<RECT> rects;
        for (UINT direction : {GW_HWNDNEXT, GW_HWNDPREV}) {
            CollectSiblings(window, direction, siblings, rects);
            if (const auto found = FirstCoveringSibling(taken, rects, cursor))
                return siblings[*found];
        }
    }
    return window;
}

} // namespace

BEGIN_MESSAGE_MAP(CFinderDlg, AppDialog)
    ON_WM_SHOWWINDOW()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CFinderDlg::CFinderDlg(CMsgActions* script, CWnd* parent) : AppDialog(IDD_SCRIPT_FINDER, parent), m_pScript(script)
{
}

CFinderDlg::~CFinderDlg()
{
    // a recorder destroyed while armed must not leave the whole desktop's clicks filtered
    if (m_armed && g_mouseHook) {
        UnhookWindowsHookEx(g_mouseHook);
        g_mouseHook = nullptr;
    }
}

BOOL CFinderDlg::OnInitDialog()
{
    const BOOL result = AppDialog::OnInitDialog();
    // Out of the way in the bottom-right corner of the work area: setup programs open centred or
    // at the top left, and a topmost recorder over their buttons would hide the very controls
    // that are to be recorded.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    RECT window = {};
    if (::GetWindowRect(m_hWnd, &window) &&
        ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        const RECT& work = monitor.rcWork;
        ::SetWindowPos(m_hWnd, nullptr, work.right - (window.right - window.left) - kCornerMargin,
                       work.bottom - (window.bottom - window.top) - kCornerMargin, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return result;
}

LRESULT CALLBACK CFinderDlg::MouseHookProc(int code, WPARAM message, LPARAM data)
{
    if (code < 0) {
        CallNextHookEx(nullptr, code, message, data);
        return 0;
    }
    if (message == WM_LBUTTONDOWN && CtrlIsDown()) {
        // swallowed: the setup program must not react to the click being recorded
        g_captureRequested = 1;
        return 1;
    }
    return CallNextHookEx(nullptr, code, message, data);
}

void CFinderDlg::Arm()
{
    g_captureRequested = 0;
    if (!g_mouseHook)
        g_mouseHook = SetWindowsHookExW(WH_MOUSE_LL, MouseHookProc, GetModuleHandleW(nullptr), 0);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetTimer(kTrackTimer, kTrackPeriodMs);
    m_armed = true;
}

void CFinderDlg::Disarm(DWORD pauseMs)
{
    if (g_mouseHook) {
        UnhookWindowsHookEx(g_mouseHook);
        g_mouseHook = nullptr;
    }
    Sleep(pauseMs);
    KillTimer(kTrackTimer);
    m_armed = false;
}

void CFinderDlg::OnShowWindow(BOOL bShow, UINT nStatus)
{
    AppDialog::OnShowWindow(bShow, nStatus);
    if (!bShow || m_armed)
        return;
    Arm();
    // The main window would cover the setup program; the recorder's owner is the main window
    // unless the caller gave another.
    HWND candidates[] = {nullptr, ::GetWindow(m_hWnd, GW_OWNER)};
    if (CWnd* main = AfxGetMainWnd())
        candidates[0] = main->m_hWnd;
    for (HWND window : candidates) {
        if (!window || window == m_hWnd || !::IsWindowVisible(window) ||
            std::find(m_hiddenWindows.begin(), m_hiddenWindows.end(), window) != m_hiddenWindows.end())
            continue;
        ::ShowWindow(window, SW_HIDE);
        m_hiddenWindows.push_back(window);
    }
}

void CFinderDlg::ShowHiddenWindows()
{
    for (HWND window : m_hiddenWindows) {
        if (::IsWindow(window))
            ::ShowWindow(window, SW_SHOW);
    }
    m_hiddenWindows.clear();
}

void CFinderDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kTrackTimer) {
        AppDialog::OnTimer(nIDEvent);
        return;
    }
    if (g_captureRequested) {
        CaptureClickedWindow();
        return;
    }
    TrackWindowUnderCursor();
    if (m_hHighlighted && ::IsWindowVisible(m_hHighlighted))
        DrawHighlight(m_hHighlighted);
    AppDialog::OnTimer(nIDEvent);
}

bool CFinderDlg::IsCandidate(HWND window) const
{
    if (!window || !::IsWindow(window) || !::IsWindowVisible(window) || window == m_hHighlighted)
        return false;
    if (window == m_hWnd || (m_hWnd && ::IsChild(m_hWnd, window)))
        return false;
    // The job's own list, grown to whatever it holds: a setup program that runs many processes
    // at once is recorded like any other.
    UniqueKernelHandle job = DuplicateScriptJob();
    if (!job)
        return false;
    std::vector<DWORD> ids;
    if (QueryJobProcessIds(job.Get(), ids) != 0 || ids.empty())
        return false;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return IsJobProcess(processId, ids);
}

void CFinderDlg::TrackWindowUnderCursor()
{
    POINT cursor = {};
    if (!GetCursorPos(&cursor))
        return;
    HWND window = WindowUnderCursor(cursor);
    if (!window || !IsCandidate(window))
        return;
    if (m_hHighlighted)
        Unhighlight(m_hHighlighted);
    m_hHighlighted = window;
}

void CFinderDlg::DrawHighlight(HWND window)
{
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    const bool ctrlDown = CtrlIsDown();
    {
        // Drawn on the screen, clipped to the window's rectangle, rather than on the window's own
        // context: under Wine a context of another process's window reaches no pixels at all.
        // The window's next repaint wipes the frame either way.
        ScopedWindowDC dc(nullptr);
        if (dc) {
            // the thick frame reaches further in than the thin one: wipe it before drawing thin
            if (!ctrlDown && m_ctrlWasHeld)
                Unhighlight(m_hHighlighted);
            const FramePen framePen = HighlightFramePen(ctrlDown);
            UniqueGdiObject pen(CreatePen(PS_SOLID, framePen.width, framePen.colour));
            const int saved = SaveDC(dc.Get());
            IntersectClipRect(dc.Get(), rect.left, rect.top, rect.right, rect.bottom);
            {
                ScopedSelect selectPen(dc.Get(), pen.Get());
                ScopedSelect selectBrush(dc.Get(), GetStockObject(NULL_BRUSH));
                Rectangle(dc.Get(), rect.left, rect.top, rect.right, rect.bottom);
            }
            RestoreDC(dc.Get(), saved);
        }
    }
    m_ctrlWasHeld = ctrlDown ? 1 : 0;
}

void CFinderDlg::Unhighlight(HWND window)
{
    if (!window || !::IsWindow(window))
        return;
    // The frame went onto the screen, so it also lies on any window in front of the control (a
    // tooltip, another program): everything under the control's rectangle repaints, the control
    // and its parent among them.
    RECT rect = {};
    if (::GetWindowRect(window, &rect))
        ::RedrawWindow(nullptr, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CFinderDlg::CaptureClickedWindow()
{
    Disarm(kCapturePauseMs);
    if (m_hHighlighted && ::IsWindow(m_hHighlighted)) {
        CScriptActions engine;
        CMsgAction step; // a Click with a pause of 1 s until the capture says otherwise
        step.m_kind = CMsgAction::kindClick;
        step.m_delay = 1;
        (void)engine.CaptureAction(step, m_hHighlighted);
        Unhighlight(m_hHighlighted);
        ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE);

        CScriptActionDialog editor(&step, this);
        editor.m_topmost = 1;
        if (editor.DoModal() == IDOK && m_pScript)
            m_pScript->Add(step);
    }
    // armed again whether a step was kept or not: recording goes on
    Arm();
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
}

void CFinderDlg::StopRecording(int result)
{
    Disarm(kStopPauseMs);
    if (m_hHighlighted)
        Unhighlight(m_hHighlighted);
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowHiddenWindows();
    EndDialog(result);
}

void CFinderDlg::OnStopRecord()
{
    StopRecording(IDCANCEL);
}

void CFinderDlg::OnCancel()
{
    OnStopRecord();
}

void CFinderDlg::OnOK()
{
    StopRecording(IDOK);
}

void CFinderDlg::OnDestroy()
{
    // ended some other way than through its buttons (its owner closed): still undo everything
    if (m_armed)
        Disarm(0);
    ShowHiddenWindows();
    AppDialog::OnDestroy();
}
