// The monitor's frame: the run of the setup program inside a job, the journal creation and the
// copy of the captured files. The journal scan is in InstallMonitorJournal.cpp, the captured files
// in InstallMonitorFiles.cpp, the registry in InstallMonitorRegistry.cpp.

#include "engine/monitor/InstallMonitor.h"

#include "engine/files/Globals.h"
#include "engine/files/OutputSink.h"
#include "engine/files/PathHelpers.h"
#include "engine/files/WideBuffer.h"
#include "engine/replay/JobProcess.h"

#include <winioctl.h>

namespace {

// After the last process of the job has ended the monitor waits this long (ms) before it collects:
// files and keys written just before the end (and their notifications) settle meanwhile.
constexpr DWORD kSettleMs = 3500;
// While processes run, the job is listed again at this interval (ms); it is also how long a set
// stop event can go unnoticed.
constexpr DWORD kPollMs = 1000;

// The start time is the system time to the millisecond: truncated, it only widens the window.
ULONGLONG SystemTimeNow()
{
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    FILETIME time = {};
    SystemTimeToFileTime(&now, &time);
    return FileTimeValue(time);
}

// Waits up to ms for the stop event (or simply sleeps without one); true when it was set.
bool WaitForStop(HANDLE stopEvent, DWORD ms)
{
    if (!stopEvent) {
        Sleep(ms);
        return false;
    }
    return WaitForSingleObject(stopEvent, ms) == WAIT_OBJECT_0;
}

// Waits for the process alone, still ending when the stop event is set.
void WaitForProcessOrStop(HANDLE process, HANDLE stopEvent)
{
    HANDLE waits[2] = {process, stopEvent};
    const DWORD count = stopEvent ? 2 : 1;
    WaitForMultipleObjects(count, waits, FALSE, INFINITE);
}

int AskWithMessageBox(const CString& text)
{
    return MessageBoxW(GetOutputWindow(), text, nullptr, MB_RETRYCANCEL);
}

} // namespace

bool IsStopRequested()
{
    return StopEventHandle && WaitForSingleObject(StopEventHandle.Get(), 0) == WAIT_OBJECT_0;
}

ULONGLONG CurrentFileTime()
{
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return FileTimeValue(now);
}

bool MatchesFilterEntry(const CExludeList* filter, const CString& text, bool asKey)
{
    if (!filter)
        return false;
    CString lower = text;
    lower.MakeLower();
    for (POSITION position = filter->GetHeadPosition(); position;) {
        CString prefix = filter->GetNext(position);
        if (CString(prefix).Trim().IsEmpty())
            continue;
        prefix.MakeLower();
        if (asKey) {
            StripTrailingBackslashes(prefix);
            prefix += L"\\";
        }
        if (lower.Left(prefix.GetLength()) == prefix)
            return true;
    }
    return false;
}

CInstallMonitor::CInstallMonitor(CFeature& project, const MonitorOptions& options)
    : m_project(project), m_fileFilter(&Projects.m_fileFilter), m_registryFilter(&Projects.m_registryFilter),
      m_retryQuestion(AskWithMessageBox), m_output(options.output ? options.output : &GetOutputSink())
{
}

void CInstallMonitor::SetFilters(const CExludeList* fileFilter, const CExludeList* registryFilter)
{
    m_fileFilter = fileFilter;
    m_registryFilter = registryFilter;
}

CString GetSystemDrive()
{
    const CString windows = SystemFolderTable.GetPathOfCsidl(0x24); // CSIDL_WINDOWS
    const int colon = windows.Find(L":\\");
    return colon < 0 ? CString() : windows.Left(colon + 1);
}

CString GetSystemVolumeDeviceName()
{
    CString device = L"\\\\.\\" + GetSystemDrive();
    device.MakeLower();
    return device;
}

DWORD CreateSystemVolumeUsnJournal()
{
    std::unique_ptr<IVolumeDevice> volume;
    if (DWORD error = OpenVolume(GetSystemVolumeDeviceName(), volume))
        return error;
    // Maximum size and allocation delta 0: the file system's defaults; an existing journal stays.
    CREATE_USN_JOURNAL_DATA request = {};
    DWORD returned = 0;
    return volume->Control(FSCTL_CREATE_USN_JOURNAL, &request, sizeof(request), nullptr, 0, &returned);
}

void WaitForSetupToEnd(HANDLE job, HANDLE process, HANDLE stopEvent)
{
    std::vector<DWORD> ids;
    if (!job || QueryJobProcessIds(job, ids) != 0) {
        WaitForProcessOrStop(process, stopEvent);
        return;
    }
    for (;;) {
        if (ids.empty()) {
            (void)WaitForStop(stopEvent, kSettleMs);
            return;
        }
        if (WaitForStop(stopEvent, kPollMs))
            return;
        std::vector<DWORD> again;
        // A job that stops answering is followed no further: the setup process itself is then
        // the only thing left to wait for.
        if (QueryJobProcessIds(job, again) != 0) {
            WaitForProcessOrStop(process, stopEvent);
            return;
        }
        ids.swap(again);
    }
}

DWORD StartProcessInJob(const CString& commandLine, const wchar_t* jobName)
{
    HANDLE stopEvent = StopEventHandle.Get();
    CJobProcess run;
    if (run.Start(commandLine, nullptr, nullptr, jobName) == 0) {
        WaitForSetupToEnd(run.Job(), run.Process(), stopEvent);
        return 0;
    }
    // Without a job (it cannot be made, or the process cannot join it: the helper has then ended
    // the suspended process before it ran) the setup program still runs, alone, and the wait
    // follows the process itself. A program that cannot start fails here with the same error.
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    CString line = commandLine; // CreateProcessW may write into its command line
    if (!CreateProcessW(nullptr, line.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return GetLastError();
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    WaitForSetupToEnd(nullptr, process.Get(), stopEvent);
    return 0;
}

DWORD CInstallMonitor::RunInstaller(const CString& commandLine)
{
    m_startTime = SystemTimeNow();
    return StartProcessInJob(commandLine, kSetupJobName);
}

bool CInstallMonitor::CopyPass(const CString& projectFolder, std::vector<CopiedFile>& copied, bool& failed,
                               DWORD& lastError)
{
    CFileEntries& files = m_project.m_files;
    for (int i = 0; i < files.GetSize(); ++i) {
        CFileEntry& entry = files[i];
        if (entry.m_kind != CFileEntry::kindFile || entry.m_sourcePath.IsEmpty())
            continue;
        if (IsStopRequested())
            return false;
        CString folder;
        folder.Format(L"%s\\%s", projectFolder.GetString(), GetFolderPart(entry.m_path).GetString());
        if (DWORD error = CreateDirectoryTree(folder)) {
            lastError = error;
            return false;
        }
        CString target;
        target.Format(L"%s\\%s", projectFolder.GetString(), entry.m_path.GetString());
        if (CopyFileW(entry.m_sourcePath, target, FALSE)) {
            copied.push_back(CopiedFile{i, entry.m_sourcePath, target});
            entry.m_sourcePath.Empty();
            continue;
        }
        lastError = GetLastError();
        CString line;
        line.Format(L"!Error Copying File: (%d). %s", static_cast<int>(lastError), entry.m_sourcePath.GetString());
        m_output->AppendLine(line);
        failed = true;
    }
    return true;
}

DWORD CInstallMonitor::CopyChangedFiles(const CString& projectFolder)
{
    std::vector<CopiedFile> copied; // over every pass, for a cancel
    DWORD lastError = 0;
    for (;;) {
        bool failed = false;
        if (!CopyPass(projectFolder, copied, failed, lastError) || !failed)
            return lastError;
        if (m_retryQuestion(kRetryCopyText) == IDRETRY)
            continue;
        // Discarding the copies must not lose the files: each record whose copy goes points at its
        // source again, as if it had never been copied.
        for (const CopiedFile& copy : copied) {
            DeleteFileW(copy.target);
            if (copy.record < m_project.m_files.GetSize())
                m_project.m_files[copy.record].m_sourcePath = copy.sourcePath;
        }
        return lastError;
    }
}
