#pragma once
// CFinderDlg: the script recorder. While a setup program runs in the script job (JobProcess.h),
// this small window stays above everything, hides the program's main window, follows the mouse
// and frames the setup program's control under the cursor; Ctrl + left click captures that
// control as a new step, which the step editor (CScriptActionDialog) shows and, on OK, appends to
// the script. "Stop Record" (or Enter) ends recording and shows the main window again.
//
// Usage: CFinderDlg recorder(&script); recorder.DoModal(); the result is IDCANCEL after
// "Stop Record" and IDOK after Enter; either way the steps kept are already in the script.
//
// The mouse is watched through a low-level hook, which swallows every Ctrl + left click while the
// recorder is armed so that the setup program never sees the click being recorded. Only one
// recorder runs at a time in a process (the hook procedure finds it through a global).

#include "app/AppBases.h"

#include <vector>

class CMsgActions;

class CFinderDlg : public AppDialog {
public:
    explicit CFinderDlg(CMsgActions* script = nullptr, CWnd* parent = nullptr);
    ~CFinderDlg() override;

    CMsgActions* m_pScript = nullptr; // not owned: captured steps are appended here

    // Timer that follows the mouse, and its period in milliseconds: fast enough that the frame
    // follows the pointer, slow enough to cost nothing.
    static constexpr UINT_PTR kTrackTimer = 111;
    static constexpr UINT kTrackPeriodMs = 100;

    // The control that carries the highlight frame; null when none.
    HWND HighlightedWindow() const { return m_hHighlighted; }
    // Whether a window may be highlighted: a visible window of the setup program's processes
    // (the script job's), not the recorder or one of its children, not the one already framed.
    bool IsCandidate(HWND window) const;

protected:
    BOOL OnInitDialog() override;
    // Enter: stops recording like "Stop Record", ending with IDOK.
    void OnOK() override;
    // Esc and "Stop Record" (the cancel id).
    void OnCancel() override;

    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();
    void OnStopRecord();

    static LRESULT CALLBACK MouseHookProc(int code, WPARAM message, LPARAM data);

private:
    void Arm();
    void Disarm(DWORD pauseMs);
    // Ends recording: disarms, erases the frame, shows the main window again, ends with result.
    void StopRecording(int result);
    void TrackWindowUnderCursor();
    void DrawHighlight(HWND window);
    void Unhighlight(HWND window);
    void CaptureClickedWindow();
    void ShowHiddenWindows();

    HWND m_hHighlighted = nullptr;     // not owned
    int m_ctrlWasHeld = 0;             // Ctrl was down when the frame was last drawn
    bool m_armed = false;
    std::vector<HWND> m_hiddenWindows; // not owned: shown again when recording ends

    DECLARE_MESSAGE_MAP()
};
