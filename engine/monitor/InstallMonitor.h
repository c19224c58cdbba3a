#pragma once
// CInstallMonitor: one monitoring run of a setup program. It notes the registry before the run,
// runs the setup program inside a job until it and every process it started have ended, then
// turns what changed on the system volume and in the registry into the target project's file and
// registry records (in folder-property form) and finally copies the captured files into the
// project's folder.
//
// Threads: every operation runs on the caller's (the monitor worker's) thread, except that the
// registry snapshot and difference each walk HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE on two
// threads of their own and wait for both. The two difference threads append to the one project
// registry list; each key's records go in as one block under m_registryLock. The stop event
// (StopEventHandle) is polled by the job wait, the registry walks and the copy loop.

#include "engine/files/OutputSink.h"
#include "engine/model/Feature.h"
#include "engine/monitor/VolumeDevice.h"
#include "engine/storage/Projects.h"

#include "framework/Handle.h"
#include "framework/List.h"
#include "framework/String.h"

#include <functional>
#include <mutex>
#include <vector>

struct KeyNode;

// How a monitoring run reports; empty members take the defaults.
struct MonitorOptions {
    // Where the output lines go (not owned; it must outlive the run). Default: the process-wide
    // output sink.
    IOutputSink* output = nullptr;
};

class CInstallMonitor {
public:
    // The answer to "Some files cannot be copied ...": IDRETRY or IDCANCEL.
    using RetryQuestion = std::function<int(const CString& text)>;

    // The message the copy asks with when files stay locked.
    static constexpr const wchar_t* kRetryCopyText =
        L"Some files cannot be copied to the project's directory. Try to close installed application and retry.";

    // Called for every key a registry walk reaches, on the thread that reads it; tests throw from
    // it to stand for a walk that runs out of memory.
    using WalkProbe = std::function<void(const CString& keyPath)>;

    // An empty holder for the project (not owned; it must outlive the holder). The filters are
    // those of the global package list unless SetFilters names others.
    explicit CInstallMonitor(CFeature& project, const MonitorOptions& options = {});
    CInstallMonitor(const CInstallMonitor&) = delete;
    CInstallMonitor& operator=(const CInstallMonitor&) = delete;
    ~CInstallMonitor() = default;

    // Filters (not owned; null: no filter).
    void SetFilters(const CExludeList* fileFilter, const CExludeList* registryFilter);
    // Replaces the message box that asks whether to retry a failed copy.
    void SetRetryQuestion(RetryQuestion question) { m_retryQuestion = std::move(question); }
    // Set before a walk starts, never during one.
    void SetWalkProbe(WalkProbe probe) { m_walkProbe = std::move(probe); }
    // Where this run's output lines go.
    IOutputSink& Output() const { return *m_output; }

    // The time window of the run (FILETIME values, UTC).
    ULONGLONG StartTime() const { return m_startTime; }
    ULONGLONG EndTime() const { return m_endTime; }
    void SetStartTime(ULONGLONG time) { m_startTime = time; }
    void SetEndTime(ULONGLONG time) { m_endTime = time; }

    // Notes, for every key of both hives, its path and number of values. 0; ERROR_CANCELLED when
    // the stop event abandoned it (both lists are then empty, or the abandoned one); else the
    // error of a walk that failed (a root that cannot be opened, or no memory), whose list is
    // then incomplete and must not be compared against.
    [[nodiscard]] DWORD TakeRegistrySnapshot();
    // Sets the start time and runs the setup program until it and the processes it started have
    // ended or the stop event is set. 0, or the Windows error of the start.
    [[nodiscard]] DWORD RunInstaller(const CString& commandLine);
    // Scans the journal of the system volume and appends the changed files as records. 0, or the
    // Windows error of the volume (then nothing is added).
    [[nodiscard]] DWORD CollectChangedFiles();
    // Appends the registry values written in the window as records, then frees both snapshots.
    // 0 (also when the stop event cut it short: what was found stays); else the error of a walk
    // that failed, whose records are then incomplete.
    [[nodiscard]] DWORD CollectRegistryChanges();
    // Copies every file record's source file into the folder (under its tree path) and empties the
    // source paths of the copied records. 0, or the last copy error.
    [[nodiscard]] DWORD CopyChangedFiles(const CString& projectFolder);

    // Appends folder, file and shortcut records for the existing files of the list.
    void AddChangedFiles(const CStringList& changedPaths);

    // One key's subtree into the root's snapshot list. The walk shares the subtree with helper
    // threads; the records come in post-order all the same. 0; ERROR_CANCELLED when the stop event
    // abandoned it (the list is then emptied); ERROR_NOT_ENOUGH_MEMORY when the walk ran out of
    // memory (the list then holds what was found and is not to be trusted).
    [[nodiscard]] DWORD SnapshotKey(UniqueRegKey key, const CString& keyPath, CStringList& snapshot);
    // Exports the changes of the key's subtree against the root's snapshot. 0, also when the stop
    // event cut it short; ERROR_NOT_ENOUGH_MEMORY when it ran out of memory (the records found
    // until then stay).
    [[nodiscard]] DWORD DiffKey(HKEY root, UniqueRegKey key, const CString& keyPath, const CStringList& snapshot);
    // Appends the key record and the records of the values from firstIndex on, unless filtered.
    void ExportKeyValues(HKEY root, const CString& keyPath, HKEY key, DWORD valueCount, DWORD firstIndex,
                         DWORD longestValueBytes);

    const CStringList& HkcuSnapshot() const { return m_hkcuSnapshot; }
    const CStringList& HklmSnapshot() const { return m_hklmSnapshot; }

    // The key text of a key path under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE.
    static CString MakeKeyText(HKEY root, const CString& keyPath);

    bool IsExcludedFile(const CString& path) const;
    bool IsExcludedRegistryKey(const CString& keyText) const;

private:
    static DWORD WINAPI SnapshotHkcuThread(void* holder);
    static DWORD WINAPI SnapshotHklmThread(void* holder);
    static DWORD WINAPI DiffHkcuThread(void* holder);
    static DWORD WINAPI DiffHklmThread(void* holder);
    DWORD SnapshotRoot(HKEY root, CStringList& snapshot);
    DWORD DiffRoot(HKEY root, const CStringList& snapshot);
    // The key record and value records of one key into records (nothing when filtered).
    void MakeKeyRecords(HKEY root, const CString& keyPath, HKEY key, DWORD valueCount, DWORD firstIndex,
                        DWORD longestValueBytes, std::vector<CRegistryEntry>& records) const;
    // The blocks found by a difference walk, in post-order.
    void AppendDiffRecords(const KeyNode& node);
    void AppendRegistryBlock(const std::vector<CRegistryEntry>& records);
    struct CopiedFile {
        int record;          // index in the project's file list
        CString sourcePath;  // what the record held before the copy
        CString target;
    };
    // One pass over the file records, noting each copy it makes; false when it ended early (stop
    // event, folder not made).
    bool CopyPass(const CString& projectFolder, std::vector<CopiedFile>& copied, bool& failed, DWORD& lastError);

    CFeature& m_project;                          // not owned
    ULONGLONG m_startTime = 0;
    ULONGLONG m_endTime = 0;
    CStringList m_hkcuSnapshot;
    CStringList m_hklmSnapshot;
    const CExludeList* m_fileFilter;              // not owned
    const CExludeList* m_registryFilter;          // not owned
    RetryQuestion m_retryQuestion;
    WalkProbe m_walkProbe;
    IOutputSink* m_output;                        // not owned
    std::mutex m_registryLock;                    // guards m_project.m_registry during the difference
};

// True when the stop event (StopEventHandle) is set; the monitoring steps poll it.
bool IsStopRequested();
// The current system time as a FILETIME value (UTC), at full resolution.
ULONGLONG CurrentFileTime();
// A FILETIME's two halves as one 64-bit value.
inline ULONGLONG FileTimeValue(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
// The filter test of files and registry keys: true when the text, lower-cased, begins with one of
// the entries, lower-cased. An entry of white space only would match every text, so it is no entry
// at all. With asKey each entry first gets exactly one trailing backslash, so that it matches its
// key and the keys below, never a sibling whose name merely begins alike. Null excludes nothing.
bool MatchesFilterEntry(const CExludeList* filter, const CString& text, bool asKey);

// Creates (or keeps) the change journal of the system volume; 0 or the Windows error.
[[nodiscard]] DWORD CreateSystemVolumeUsnJournal();

// The drive of the Windows folder row of the system-folder table ("C:"); empty when unresolved.
CString GetSystemDrive();
// The device name of that drive's volume: "\\.\" and the drive in lower case ("\\.\c:").
CString GetSystemVolumeDeviceName();

// Runs the command line inside a new job (jobName) and waits for the program and every process it
// started, or for the stop event. 0 when the program ran, else the error of its start.
[[nodiscard]] DWORD StartProcessInJob(const CString& commandLine, const wchar_t* jobName);

// Waits until the job holds no process (then a further settling wait), or, when the job cannot be
// listed (job null or a failing first query), until the process ends; either wait ends early
// when the stop event is set.
void WaitForSetupToEnd(HANDLE job, HANDLE process, HANDLE stopEvent);

// The name and parent of a file record of the volume. 0, or the error of a control call, or
// ERROR_FILE_NOT_FOUND when the volume answered with another record than the one asked for (a
// reused or freed record), or ERROR_FILE_CORRUPT for a record whose lengths do not fit.
[[nodiscard]] DWORD ReadFileRecordName(IVolumeDevice& volume, ULONGLONG reference, CString& name,
                                       ULONGLONG& parentReference);

// The full path of a folder with a trailing backslash ("C:\Program Files\App\"). 0, or the error of
// the first record that cannot be read (the path is then empty).
[[nodiscard]] DWORD ResolveFolderPath(IVolumeDevice& volume, ULONGLONG reference, CString& path);

// Every byte as two upper-case hexadecimal digits.
CString FormatBinaryValue(const BYTE* bytes, size_t count);

// The journal scan: the paths of the journal records stamped within [start, end], each once, in
// journal order. 0 or the Windows error of the open or of a control call.
[[nodiscard]] DWORD ScanVolumeJournal(const CString& deviceName, ULONGLONG startTime, ULONGLONG endTime,
                                      CStringList& changedPaths);
