#include "engine/monitor/MonitorSequence.h"

#include "engine/files/Globals.h"
#include "engine/monitor/InstallMonitor.h"

#include <objbase.h>

#include <new>

namespace {

void Show(IMonitorPage* page, const wchar_t* text)
{
    if (page)
        page->SetStatusText(text);
}

// Uninitialises COM when the sequence leaves early.
class CComScope {
public:
    CComScope() : m_initialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~CComScope() { End(); }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;
    void End()
    {
        if (m_initialised)
            CoUninitialize();
        m_initialised = false;
    }

private:
    bool m_initialised;
};

void Report(IOutputSink& output, const wchar_t* format, DWORD error)
{
    CString line;
    line.Format(format, static_cast<int>(error));
    output.AppendLine(line);
}

DWORD RunSteps(IMonitorSteps& steps, const CString& commandLine, const CString& projectFolder, IMonitorPage* page,
               IOutputSink& output)
{
    CComScope com;
    Show(page, kSnapshotText);
    (void)steps.CreateJournal(); // a volume without a journal yields no file records later
    const DWORD snapshotError = steps.TakeRegistrySnapshot();
    if (IsStopRequested())
        return ERROR_CANCELLED;
    // Compared against a partial snapshot every key left out would look new: better no run at
    // all, while nothing has been installed yet and the user can simply try again.
    if (snapshotError) {
        Report(output, kSnapshotFailedLine, snapshotError);
        return snapshotError;
    }

    Show(page, kInstallingText);
    // A setup program that cannot start still leaves a short window to collect, as the run did.
    (void)steps.RunInstaller(commandLine);
    if (StopEventHandle)
        ResetEvent(StopEventHandle.Get());
    steps.SetEndTime(CurrentFileTime());

    Show(page, kCollectingText);
    (void)steps.CollectChangedFiles();
    const DWORD registryError = steps.CollectRegistryChanges();
    // The installation has happened: its files are still worth keeping, so the copy runs, but
    // the run must not pass for complete.
    if (registryError)
        Report(output, kRegistryChangesFailedLine, registryError);
    com.End();
    if (IsStopRequested())
        return ERROR_CANCELLED;

    Show(page, kCopyingText);
    const DWORD copyError = steps.CopyChangedFiles(projectFolder);
    if (copyError && page)
        page->ReportCopyFailure(copyError);
    return registryError ? registryError : copyError;
}

} // namespace

DWORD CMonitorSteps::CreateJournal()
{
    return CreateSystemVolumeUsnJournal();
}

DWORD CMonitorSteps::TakeRegistrySnapshot()
{
    return m_monitor.TakeRegistrySnapshot();
}

DWORD CMonitorSteps::RunInstaller(const CString& commandLine)
{
    return m_monitor.RunInstaller(commandLine);
}

void CMonitorSteps::SetEndTime(ULONGLONG time)
{
    m_monitor.SetEndTime(time);
}

DWORD CMonitorSteps::CollectChangedFiles()
{
    return m_monitor.CollectChangedFiles();
}

DWORD CMonitorSteps::CollectRegistryChanges()
{
    return m_monitor.CollectRegistryChanges();
}

DWORD CMonitorSteps::CopyChangedFiles(const CString& projectFolder)
{
    return m_monitor.CopyChangedFiles(projectFolder);
}

DWORD RunMonitorSequence(IMonitorSteps& steps, const CString& commandLine, const CString& projectFolder,
                         IMonitorPage* page, const MonitorOptions& options)
{
    IOutputSink& output = options.output ? *options.output : GetOutputSink();
    // The caller is a thread entry: no exception may reach it.
    try {
        return RunSteps(steps, commandLine, projectFolder, page, output);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

DWORD MonitorProject(CFeature& project, const CString& commandLine, const CString& projectFolder, IMonitorPage* page,
                     const MonitorOptions& options)
{
    try {
        CInstallMonitor monitor(project, options);
        CMonitorSteps steps(monitor);
        return RunMonitorSequence(steps, commandLine, projectFolder, page, options);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
