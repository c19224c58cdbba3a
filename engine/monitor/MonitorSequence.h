#pragma once
// The monitoring sequence that the wizard's monitor worker runs, in its fixed order:
//  1. COM initialised on the thread (multithreaded; the shortcut reading needs it);
//  2. the change journal of the system volume created (its result is not used);
//  3. the registry snapshot; steps 4 to 7 run only when the stop event is not set after it;
//  4. the setup program run to its end (or until the stop event);
//  5. the stop event reset and the end time taken;
//  6. the changed files and registry values collected, then COM uninitialised;
//  7. when the stop event is still not set, the captured files copied into the project's folder.
// So "Stop Monitoring" during the setup run only ends the wait of step 4; the collection still runs
// over the window up to that moment.
//
// A registry walk that fails (a hive that cannot be opened, no memory) is no stop: a failed
// snapshot ends the sequence before the setup program runs, since every key would then look new;
// a failed difference still lets the files be copied, but the sequence ends with its error. Both
// are reported by an output line.
//
// The wizard page and its thread entry belong to the application; it hands the sequence a page
// object for its status texts, the output sink for its lines (MonitorOptions), and calls
// MonitorProject on its worker thread.

#include "engine/model/Feature.h"
#include "engine/monitor/InstallMonitor.h"

#include "framework/String.h"

// The page texts between the steps.
inline constexpr wchar_t kSnapshotText[] = L"Creating the system snapshot...";
inline constexpr wchar_t kInstallingText[] =
    L"Installation process is started. Complete the installation steps and then close the  installer dialog.";
inline constexpr wchar_t kCollectingText[] = L"Getting system changes...";
inline constexpr wchar_t kCopyingText[] = L"Copy files...";

// The output lines of a failed registry walk ("%d": the Windows error).
inline constexpr wchar_t kSnapshotFailedLine[] =
    L"!Error Taking Registry Snapshot: (%d). Monitoring stopped before the installation.";
inline constexpr wchar_t kRegistryChangesFailedLine[] =
    L"!Error Getting Registry Changes: (%d). The registry changes of this installation are incomplete.";

// What the wizard's monitoring page shows.
class IMonitorPage {
public:
    virtual ~IMonitorPage() = default;
    virtual void SetStatusText(const wchar_t* text) = 0;
    // The copy into the project's folder failed with this Windows error (after its own retries);
    // called before the sequence returns. The texts alone cannot tell it from a registry failure.
    virtual void ReportCopyFailure(DWORD error) { (void)error; }
};

// The steps of one run; CMonitorSteps forwards them to a CInstallMonitor, tests record them.
class IMonitorSteps {
public:
    virtual ~IMonitorSteps() = default;
    virtual DWORD CreateJournal() = 0;
    virtual DWORD TakeRegistrySnapshot() = 0;
    virtual DWORD RunInstaller(const CString& commandLine) = 0;
    virtual void SetEndTime(ULONGLONG time) = 0;
    virtual DWORD CollectChangedFiles() = 0;
    virtual DWORD CollectRegistryChanges() = 0;
    virtual DWORD CopyChangedFiles(const CString& projectFolder) = 0;
};

class CMonitorSteps : public IMonitorSteps {
public:
    explicit CMonitorSteps(CInstallMonitor& monitor) : m_monitor(monitor) {}
    DWORD CreateJournal() override;
    DWORD TakeRegistrySnapshot() override;
    DWORD RunInstaller(const CString& commandLine) override;
    void SetEndTime(ULONGLONG time) override;
    DWORD CollectChangedFiles() override;
    DWORD CollectRegistryChanges() override;
    DWORD CopyChangedFiles(const CString& projectFolder) override;

private:
    CInstallMonitor& m_monitor; // not owned
};

// Runs the sequence above. Returns the copy's result; ERROR_CANCELLED when the stop event ended
// the run before the setup program started or before the copy; the error of a failed registry
// walk (the snapshot's, or the difference's when the copy succeeded); ERROR_NOT_ENOUGH_MEMORY when
// a step ran out of memory. Lines go to options.output (default: the process-wide sink). Never
// throws.
[[nodiscard]] DWORD RunMonitorSequence(IMonitorSteps& steps, const CString& commandLine, const CString& projectFolder,
                                       IMonitorPage* page, const MonitorOptions& options = {});

// The worker's whole run for a project: a CInstallMonitor for it, then RunMonitorSequence, both
// reporting to options.output.
[[nodiscard]] DWORD MonitorProject(CFeature& project, const CString& commandLine, const CString& projectFolder,
                                   IMonitorPage* page, const MonitorOptions& options = {});
