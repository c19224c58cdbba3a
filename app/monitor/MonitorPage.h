#pragma once
// CMonitorPP: the wizard page that records what a setup program changes. "Start Monitoring" starts
// a worker thread that runs the engine's monitoring sequence (MonitorSequence.h) for the wizard's
// project; the sequence reports its steps through this page's IMonitorPage side, and the page
// turns them into its texts, icon, progress bar and the sheet's buttons.
//
// Threads: the user-interface thread owns the windows; the worker changes texts, visibility and
// icons of the page's controls directly (those calls are sent to the user-interface thread) and
// drives the sheet's buttons only through posted PSM_SETWIZBUTTONS. The named "StopEvent" is the
// only signal between them: "Stop Monitoring" sets it to end the wait for the setup program, and
// Cancel sets it to end the whole run.
//
// The page, its sheet and the project live on the caller's stack, so Cancel (the button, Esc or
// the close box) does not let the sheet close before the worker has left: it sets the event and
// waits for the worker, dispatching messages meanwhile, since the worker sends to the page and to
// the main window. Once a cancel was seen the worker touches no control. While the setup program
// runs the sheet's Cancel is disabled, and Esc and the close box are refused as well: the
// installation cannot be abandoned half way.

#include "app/monitor/MonitorState.h"

#include "engine/model/Feature.h"
#include "engine/monitor/InstallMonitor.h"
#include "engine/monitor/MonitorSequence.h"

#include "framework/Handle.h"
#include "framework/window/PropertySheet.h"

#include <atomic>
#include <functional>

// The page's texts.
inline constexpr wchar_t kMonitorAdviceText[] =
    L"It is strongly recommend close all programs including the applications in your system tray before monitoring an installation.";
inline constexpr wchar_t kMonitorRunningAdviceText[] =
    L"It is strongly recommend close all programs including the applications in your system tray during installation monitoring process.";
inline constexpr wchar_t kMonitorDoneText[] =
    L"The Installation Monitoring process is successfully completed! To view and edit the detected files and registry entries click the Finish button.";
inline constexpr wchar_t kStartMonitoringText[] = L"Start Monitoring";
inline constexpr wchar_t kStopMonitoringText[] = L"Stop Monitoring";
inline constexpr wchar_t kCopyFailedFormat[] = L"File copy failed: %s";

// How long the copy failure stays in the status line, in milliseconds.
inline constexpr DWORD kCopyFailureShowMs = 2000;

// What the page works on; the wizard fills it before the page is shown.
struct MonitorPageData {
    CFeature* project = nullptr;     // not owned: the wizard's project
    CString installerPath;           // the setup program to run
    CString packageFolder;           // where the captured files are copied
    // The wizard's walk back along its page history; empty: the framework's Back.
    std::function<LRESULT()> back;
    MonitorOptions options;          // where the run's output lines go
    // Called on the worker when the snapshot begins, before it reads the registry; tests hold the
    // run there to cancel it at a known step.
    std::function<void()> snapshotHook;
};

class CMonitorPP : public CPropertyPage, public IMonitorPage {
    DECLARE_DYNAMIC(CMonitorPP)
public:
    CMonitorPP();
    // A worker still running (the page was never cancelled through its sheet) is stopped and
    // waited for: it works on objects that die with the page.
    ~CMonitorPP() override;

    MonitorPageData m_data;

    bool IsRunning() const { return m_running; }
    // The result of the last run's sequence (0 before any).
    DWORD LastResult() const { return m_result; }

    BOOL OnSetActive() override;
    BOOL OnQueryCancel() override;
    void OnCancel() override;
    LRESULT OnWizardBack() override;
    BOOL OnWizardFinish() override;

    // IMonitorPage, on the worker thread.
    void SetStatusText(const wchar_t* text) override;
    void ReportCopyFailure(DWORD error) override;

protected:
    BOOL OnInitDialog() override;
    void OnStartStop();

private:
    static UINT MonitorThreadProc(LPVOID page);
    void RunWorker();
    // Sets the stop event and waits for the worker, dispatching this thread's messages.
    void StopAndWaitForWorker();
    // The worker's control changes; each does nothing once a cancel was seen.
    bool Cancelled() const { return m_cancelled; }
    void ShowItem(int id, bool show);
    void SetItemText(int id, const wchar_t* text);
    void SetIcon(const wchar_t* systemIcon);
    void SetSheetButtons(DWORD flags);
    void EnableSheetCancel(bool enable);
    void Repaint();

    HWND m_sheet = nullptr;                  // not owned: the sheet, noted at the start
    UniqueKernelHandle m_worker;             // the worker's thread, valid until waited on
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_installing{false};   // the setup program runs: Cancel is refused
    std::atomic<bool> m_cancelled{false};
    bool m_started = false;                  // monitoring runs once per page visit
    std::atomic<DWORD> m_result{0};

    DECLARE_MESSAGE_MAP()
};
