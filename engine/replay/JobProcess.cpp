#include "engine/replay/JobProcess.h"

#include <algorithm>
#include <cstddef>
#include <mutex>

namespace {

// Room for this many ids in the first query; most setup programs run one to three processes.
constexpr DWORD kInitialJobIds = 16;

struct ScriptJobState {
    std::mutex lock; // guards job: the editor's thread replaces it while a Test thread reads it
    UniqueKernelHandle job;
};

ScriptJobState& ScriptJob()
{
    static ScriptJobState state;
    return state;
}

// The job name is shared by every run on the machine: a previous run's job (still alive through
// its processes) or another program's run answers to it. A job found under the name is not ours,
// so our processes go into a job of their own instead of being mixed with the others.
[[nodiscard]] DWORD CreateJob(const wchar_t* name, UniqueKernelHandle& job)
{
    job.Reset(CreateJobObjectW(nullptr, name));
    DWORD error = GetLastError();
    if (!job)
        return error;
    if (name && error == ERROR_ALREADY_EXISTS) {
        job.Reset(CreateJobObjectW(nullptr, nullptr));
        if (!job)
            return GetLastError();
    }
    return 0;
}

} // namespace

SetupCommand MakeSetupCommand(const CString& program, const CString& arguments)
{
    SetupCommand command;
    CString text = program;
    text.Trim();
    CString lower = text;
    lower.MakeLower();
    const int exe = lower.Find(L".exe");
    CString executable = exe >= 0 ? text.Left(exe + 4) : text;
    executable.Remove(L'"');
    const int slash = executable.ReverseFind(L'\\');
    if (slash >= 0)
        command.workingFolder = executable.Left(slash + 1);

    CString args = arguments;
    args.Trim();
    if (args.IsEmpty()) {
        command.commandLine = text;
    } else {
        command.commandLine = executable.Find(L' ') >= 0 ? L"\"" + executable + L"\"" : executable;
        command.commandLine += L" " + args;
    }
    return command;
}

DWORD CJobProcess::Start(const CString& commandLine, const wchar_t* workingFolder, const wchar_t* desktop,
                         const wchar_t* jobName)
{
    m_thread.Reset();
    m_process.Reset();
    m_processId = 0;
    if (DWORD error = CreateJob(jobName, m_job))
        return error;

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.lpDesktop = const_cast<wchar_t*>(desktop);
    PROCESS_INFORMATION info = {};
    CString line = commandLine; // CreateProcessW may write into its command line
    if (!CreateProcessW(nullptr, line.GetBuffer(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | CREATE_BREAKAWAY_FROM_JOB, nullptr,
                        workingFolder && *workingFolder ? workingFolder : nullptr, &startup, &info)) {
        const DWORD error = GetLastError();
        m_job.Reset();
        return error;
    }
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    if (!AssignProcessToJobObject(m_job.Get(), process.Get())) {
        const DWORD error = GetLastError();
        TerminateProcess(process.Get(), error);
        m_job.Reset();
        return error;
    }
    if (ResumeThread(thread.Get()) == static_cast<DWORD>(-1)) {
        const DWORD error = GetLastError();
        TerminateJobObject(m_job.Get(), error);
        m_job.Reset();
        return error;
    }
    m_process = std::move(process);
    m_thread = std::move(thread);
    m_processId = info.dwProcessId;
    return 0;
}

DWORD QueryJobProcessIds(HANDLE job, std::vector<DWORD>& ids)
{
    ids.clear();
    DWORD room = kInitialJobIds;
    for (;;) {
        // The list's header is two DWORD counts, its ids are ULONG_PTR: size it from the structure
        // itself, never from the 32-bit layout.
        const size_t bytes = offsetof(JOBOBJECT_BASIC_PROCESS_ID_LIST, ProcessIdList) + room * sizeof(ULONG_PTR);
        std::vector<ULONG_PTR> buffer((bytes + sizeof(ULONG_PTR) - 1) / sizeof(ULONG_PTR), 0);
        auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
        const BOOL ok = QueryInformationJobObject(job, JobObjectBasicProcessIdList, list,
                                                  static_cast<DWORD>(buffer.size() * sizeof(ULONG_PTR)), nullptr);
        const DWORD error = ok ? 0 : GetLastError();
        if (!ok && error != ERROR_MORE_DATA)
            return error;
        // A list that is too small fails with ERROR_MORE_DATA, but the call may also succeed with
        // the list cut short: either way NumberOfAssignedProcesses holds the true count.
        const DWORD listed = std::min<DWORD>(list->NumberOfProcessIdsInList, room);
        if (listed == room && (list->NumberOfAssignedProcesses > room || !ok)) {
            // Grow past the count given, with a margin for processes started meanwhile.
            room = std::max<DWORD>(list->NumberOfAssignedProcesses + 8, room * 2);
            continue;
        }
        for (DWORD i = 0; i < listed; ++i)
            ids.push_back(static_cast<DWORD>(list->ProcessIdList[i]));
        return 0;
    }
}

void SetScriptJob(UniqueKernelHandle job)
{
    ScriptJobState& state = ScriptJob();
    std::lock_guard<std::mutex> guard(state.lock);
    state.job = std::move(job);
}

UniqueKernelHandle DuplicateScriptJob()
{
    ScriptJobState& state = ScriptJob();
    std::lock_guard<std::mutex> guard(state.lock);
    HANDLE copy = nullptr;
    if (state.job && !DuplicateHandle(GetCurrentProcess(), state.job.Get(), GetCurrentProcess(), &copy, 0, FALSE,
                                      DUPLICATE_SAME_ACCESS))
        copy = nullptr;
    return UniqueKernelHandle(copy);
}

void CloseScriptJob()
{
    SetScriptJob(UniqueKernelHandle());
}

DWORD StartSetupProgram(const CString& program, const CString& arguments)
{
    const SetupCommand command = MakeSetupCommand(program, arguments);
    CJobProcess process;
    if (DWORD error = process.Start(command.commandLine, command.workingFolder, nullptr))
        return error;
    SetScriptJob(process.ReleaseJob());
    return 0;
}
