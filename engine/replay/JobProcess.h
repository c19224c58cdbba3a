#pragma once
// Running a setup program inside a job object, so that the replay engine (and the installation
// monitor) can find every process it starts.
//
// The process is created suspended, assigned to the job and only then resumed: a setup program
// that starts its real installer at once would otherwise do so before the job exists, and that
// child would never be seen.

#include "framework/Handle.h"
#include "framework/String.h"

#include <vector>

// Name of the job object that holds a setup program run.
inline constexpr wchar_t kSetupJobName[] = L"tarnwick";

// A command line and working folder made from a program text and an argument text.
struct SetupCommand {
    CString commandLine;
    CString workingFolder; // with a trailing backslash; empty when the program has no folder part
};

// The program text is trimmed and cut after its first ".exe" (found without regard to case), with
// every double quote removed, to give the executable; its folder is the working folder. With an
// empty (trimmed) argument text the command line is the program text as it stands, so arguments
// written inside it stay; otherwise it is the executable (quoted when it holds a space), one space
// and the arguments.
SetupCommand MakeSetupCommand(const CString& program, const CString& arguments);

// One process started inside its own new job.
class CJobProcess {
public:
    CJobProcess() = default;
    CJobProcess(const CJobProcess&) = delete;
    CJobProcess& operator=(const CJobProcess&) = delete;

    // Creates the job (named jobName, or unnamed for null) and the process, suspended and with
    // CREATE_BREAKAWAY_FROM_JOB, assigns it to the job and resumes it. workingFolder null or empty
    // keeps the caller's folder; desktop null keeps the caller's. Returns 0 or the Windows error of
    // the step that failed; a process that cannot be assigned is terminated, never left running
    // outside the job. On failure the object holds nothing.
    [[nodiscard]] DWORD Start(const CString& commandLine, const wchar_t* workingFolder, const wchar_t* desktop,
                              const wchar_t* jobName = kSetupJobName);

    HANDLE Job() const { return m_job.Get(); }
    HANDLE Process() const { return m_process.Get(); }
    DWORD ProcessId() const { return m_processId; }

    // Hands the job on (the process handles stay here).
    [[nodiscard]] UniqueKernelHandle ReleaseJob() { return UniqueKernelHandle(m_job.Release()); }

private:
    UniqueKernelHandle m_job;
    UniqueKernelHandle m_process;
    UniqueKernelHandle m_thread;
    DWORD m_processId = 0;
};

// The ids of the processes in the job, in the order the system lists them. The list is sized for
// the pointer width and grown while the system reports that more processes are assigned than fit.
// Returns 0 or the Windows error of the query (ids then empty).
[[nodiscard]] DWORD QueryJobProcessIds(HANDLE job, std::vector<DWORD>& ids);

// The process-wide job of the last setup program started for a script: the replay engine lists
// its processes. SetScriptJob closes the job it replaces; DuplicateScriptJob gives the caller its
// own handle (empty when there is no job), so another thread may replace the job meanwhile.
void SetScriptJob(UniqueKernelHandle job);
[[nodiscard]] UniqueKernelHandle DuplicateScriptJob();
void CloseScriptJob();

// Starts a setup program for the install-script editor: MakeSetupCommand, then a new job
// kSetupJobName that becomes the script job. Returns 0 or the Windows error; on failure the
// previous script job stays.
[[nodiscard]] DWORD StartSetupProgram(const CString& program, const CString& arguments);
