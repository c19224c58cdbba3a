#include "app/monitor/MonitorPage.h"

#include "engine/files/Globals.h"

#include "framework/window/WinThread.h"

#include "resources/app/AppResource.h"

#include <commctrl.h>

namespace {

// The marquee's step interval, in milliseconds.
constexpr UINT kMarqueeIntervalMs = 150;

std::atomic<int> RunningWorkers{0};

} // namespace

bool IsMonitorRunning()
{
    return RunningWorkers > 0;
}

IMPLEMENT_DYNAMIC(CMonitorPP, CPropertyPage)

BEGIN_MESSAGE_MAP(CMonitorPP, CPropertyPage)
    ON_COMMAND(IDC_MONITOR_START, OnStartStop)
END_MESSAGE_MAP()

CMonitorPP::CMonitorPP() : CPropertyPage(IDD_MONITOR_PAGE) {}

CMonitorPP::~CMonitorPP()
{
    if (m_worker) {
        m_cancelled = true;
        if (StopEventHandle)
            ::SetEvent(StopEventHandle.Get());
        ::WaitForSingleObject(m_worker.Get(), INFINITE);
    }
}

BOOL CMonitorPP::OnInitDialog()
{
    return CPropertyPage::OnInitDialog();
}

BOOL CMonitorPP::OnSetActive()
{
    if (CWnd* sheet = GetParent())
        sheet->PostMessage(PSM_SETWIZBUTTONS, 0, PSWIZB_BACK);
    SetIcon(IDI_WARNING);
    ::SendDlgItemMessageW(m_hWnd, IDC_MONITOR_PROGRESS, PBM_SETMARQUEE, TRUE, kMarqueeIntervalMs);
    return CPropertyPage::OnSetActive();
}

void CMonitorPP::OnStartStop()
{
    if (m_running) {
        // Ends only the wait for the setup program: the sequence resets the event afterwards and
        // collects what changed so far.
        if (StopEventHandle)
            ::SetEvent(StopEventHandle.Get());
        return;
    }
    if (m_started || !m_data.project)
        return;
    m_started = true;
    // A repackaged project carries the captured files, not the setup program the start page added.
    m_data.project->m_files.RemoveUnderPath(L"Temp\\");
    GetDlgItem(IDC_MONITOR_START)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_MONITOR_PROGRESS)->ShowWindow(SW_SHOW);
    GetDlgItem(IDC_MONITOR_STATUS)->ShowWindow(SW_SHOW);
    if (StopEventHandle)
        ::ResetEvent(StopEventHandle.Get());
    m_sheet = ::GetParent(m_hWnd);
    m_cancelled = false;
    m_running = true;
    ++RunningWorkers;
    if (!AfxBeginThread(MonitorThreadProc, this, THREAD_PRIORITY_NORMAL, 0, 0, nullptr, &m_worker)) {
        --RunningWorkers;
        m_running = false;
    }
}

UINT CMonitorPP::MonitorThreadProc(LPVOID page)
{
    static_cast<CMonitorPP*>(page)->RunWorker();
    return 0;
}

void CMonitorPP::RunWorker()
{
    SetSheetButtons(0);
    SetItemText(IDC_MONITOR_TEXT, kMonitorRunningAdviceText);
    // Started with no arguments; quoted, since the path may hold spaces.
    const CString commandLine = L"\"" + m_data.installerPath + L"\"";
    m_result = MonitorProject(*m_data.project, commandLine, m_data.packageFolder, this, m_data.options);
    m_installing = false;
    // A cancelled run ends here: the wizard is closing and its windows are not the worker's to touch.
    if (!Cancelled() && m_result != ERROR_CANCELLED && !IsStopRequested()) {
        ShowItem(IDC_MONITOR_START, false);
        ShowItem(IDC_MONITOR_PROGRESS, false);
        ShowItem(IDC_MONITOR_STATUS, false);
        SetItemText(IDC_MONITOR_TEXT, kMonitorDoneText);
        SetIcon(IDI_INFORMATION);
        SetSheetButtons(PSWIZB_FINISH);
        Repaint();
    }
    m_running = false;
    --RunningWorkers;
}

void CMonitorPP::SetStatusText(const wchar_t* text)
{
    if (Cancelled())
        return;
    const CString status = text ? text : L"";
    if (status == kSnapshotText) {
        SetItemText(IDC_MONITOR_STATUS, kSnapshotText);
        if (m_data.snapshotHook)
            m_data.snapshotHook();
    } else if (status == kInstallingText) {
        m_installing = true;
        ShowItem(IDC_MONITOR_PROGRESS, false);
        SetItemText(IDC_MONITOR_START, kStopMonitoringText);
        ShowItem(IDC_MONITOR_START, true);
        ShowItem(IDC_MONITOR_STATUS, false);
        SetIcon(IDI_INFORMATION);
        SetItemText(IDC_MONITOR_TEXT, kInstallingText);
        EnableSheetCancel(false);
        Repaint();
    } else if (status == kCollectingText) {
        m_installing = false;
        EnableSheetCancel(true);
        ShowItem(IDC_MONITOR_START, false);
        ShowItem(IDC_MONITOR_PROGRESS, true);
        SetIcon(IDI_WARNING);
        SetItemText(IDC_MONITOR_TEXT, kMonitorRunningAdviceText);
        SetItemText(IDC_MONITOR_STATUS, kCollectingText);
        ShowItem(IDC_MONITOR_STATUS, true);
        Repaint();
    } else {
        SetItemText(IDC_MONITOR_STATUS, status);
        Repaint();
    }
}

void CMonitorPP::ReportCopyFailure(DWORD error)
{
    if (Cancelled())
        return;
    CString status;
    status.Format(kCopyFailedFormat, FormatSystemErrorText(error).GetString());
    SetItemText(IDC_MONITOR_STATUS, status);
    // Shown for a while before the done state replaces it; a cancel cuts the wait short.
    if (StopEventHandle)
        ::WaitForSingleObject(StopEventHandle.Get(), kCopyFailureShowMs);
    else
        ::Sleep(kCopyFailureShowMs);
}

BOOL CMonitorPP::OnQueryCancel()
{
    if (!m_running)
        return CPropertyPage::OnQueryCancel();
    // The setup program is running: its changes would be half recorded and the wizard gone.
    if (m_installing || m_cancelled)
        return FALSE;
    StopAndWaitForWorker();
    return TRUE;
}

void CMonitorPP::OnCancel()
{
    if (StopEventHandle)
        ::SetEvent(StopEventHandle.Get());
    CPropertyPage::OnCancel();
}

void CMonitorPP::StopAndWaitForWorker()
{
    m_cancelled = true;
    if (StopEventHandle)
        ::SetEvent(StopEventHandle.Get());
    if (!m_worker)
        return;
    HANDLE worker = m_worker.Get();
    for (;;) {
        const DWORD wait = ::MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // Handed on to the loop that owns it, once the worker is gone.
                ::WaitForSingleObject(worker, INFINITE);
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                m_worker.Reset();
                return;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_worker.Reset();
}

LRESULT CMonitorPP::OnWizardBack()
{
    return m_data.back ? m_data.back() : CPropertyPage::OnWizardBack();
}

BOOL CMonitorPP::OnWizardFinish()
{
    // A repackaged project wraps no setup program.
    if (m_data.project)
        m_data.project->m_installerPath.Empty();
    return CPropertyPage::OnWizardFinish();
}

void CMonitorPP::ShowItem(int id, bool show)
{
    if (!Cancelled())
        ::ShowWindow(::GetDlgItem(m_hWnd, id), show ? SW_SHOW : SW_HIDE);
}

void CMonitorPP::SetItemText(int id, const wchar_t* text)
{
    if (!Cancelled())
        ::SetWindowTextW(::GetDlgItem(m_hWnd, id), text);
}

void CMonitorPP::SetIcon(const wchar_t* systemIcon)
{
    if (!Cancelled())
        ::SendDlgItemMessageW(m_hWnd, IDC_MONITOR_ICON, STM_SETICON,
                              reinterpret_cast<WPARAM>(::LoadIconW(nullptr, systemIcon)), 0);
}

void CMonitorPP::SetSheetButtons(DWORD flags)
{
    if (!Cancelled() && m_sheet)
        ::PostMessageW(m_sheet, PSM_SETWIZBUTTONS, 0, flags);
}

void CMonitorPP::EnableSheetCancel(bool enable)
{
    if (!Cancelled() && m_sheet)
        ::EnableWindow(::GetDlgItem(m_sheet, IDCANCEL), enable);
}

void CMonitorPP::Repaint()
{
    if (!Cancelled())
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}
