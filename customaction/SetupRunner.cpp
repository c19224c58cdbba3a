#include "customaction/SetupRunner.h"

#include "customaction/EmbeddedSettings.h"
#include "customaction/InstallerLog.h"
#include "engine/model/MsgAction.h"
#include "engine/replay/JobProcess.h"
#include "engine/replay/ScriptActions.h"
#include "framework/Handle.h"

namespace {

SetupRunTiming g_timing;

// Puts the calling thread on a desktop for one scope and back on its own one afterwards; the
// desktop is closed only after the thread has left it.
class CDesktopSwitch {
public:
    CDesktopSwitch() = default;
    CDesktopSwitch(const CDesktopSwitch&) = delete;
    CDesktopSwitch& operator=(const CDesktopSwitch&) = delete;
    ~CDesktopSwitch()
    {
        if (m_desktop && m_previous)
            SetThreadDesktop(m_previous);
    }

    [[nodiscard]] DWORD Enter(const wchar_t* name)
    {
        HDESK previous = GetThreadDesktop(GetCurrentThreadId()); // not owned: never closed
        UniqueDesktop desktop(CreateDesktopW(name, nullptr, nullptr, 0, MAXIMUM_ALLOWED, nullptr));
        if (!desktop)
            return GetLastError();
        if (!SetThreadDesktop(desktop.Get()))
            return GetLastError();
        m_previous = previous;
        m_desktop = std::move(desktop);
        return 0;
    }

private:
    HDESK m_previous = nullptr; // not owned
    UniqueDesktop m_desktop;
};

void LogReplayedSteps(MSIHANDLE install, const CMsgActions& script)
{
    for (const CMsgAction& step : script) {
        // A step that the replay never reached has no result; nothing after it ran either.
        if (step.m_result.IsEmpty())
            break;
        LogInstallerFormat(install, L"%s %s '%s' =>  %s", MsgActionKindName(step.m_kind).GetString(),
                           MsgControlTypeName(step.m_controlType).GetString(), step.m_controlText.GetString(),
                           step.m_result.GetString());
    }
}

// Waits for the program; on a time-out ends the whole job, since a setup program often hands its
// work to a child and nobody could see or close what is left on a hidden desktop.
void WaitForSetupProgram(MSIHANDLE install, const CJobProcess& process, const CString& program, DWORD timeoutMs)
{
    if (WaitForSingleObject(process.Process(), timeoutMs) == WAIT_TIMEOUT) {
        UniqueKernelHandle job = DuplicateScriptJob();
        if (!job || !TerminateJobObject(job.Get(), WAIT_TIMEOUT))
            TerminateProcess(process.Process(), WAIT_TIMEOUT);
        // The exit code is read next: let the termination land first.
        WaitForSingleObject(process.Process(), 10000);
        LogInstallerFormat(install,
                           L"Process '%s' is not ended  as expected durnng the time-out interval. Process is terminated.",
                           program.GetString());
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Process(), &exitCode);
    LogInstallerFormat(install, L"Process '%s' is finished with exit code %d", program.GetString(),
                       static_cast<int>(exitCode));
}

} // namespace

void SetSetupRunTimingForTests(const SetupRunTiming& timing)
{
    g_timing = timing;
}

SetupCommand MakeRunCommand(const CString& program, const CString& arguments, int mode)
{
    SetupCommand command = MakeSetupCommand(program, arguments);
    CString text = program;
    text.Trim();
    CString args = arguments;
    args.Trim();
    // The install action passes a bare path, which CreateProcessW would cut at its first space.
    if (mode == runInstall && args.IsEmpty() && text.Find(L'"') < 0 && text.Find(L' ') >= 0)
        command.commandLine = L"\"" + text + L"\"";
    return command;
}

DWORD RunSetupProcess(int projectIndex, MSIHANDLE install, const CString& program, const CString& arguments,
                      int mode)
{
    CProjectSettings& package = GlobalPackage();
    CFeature& project = package.m_projects[projectIndex];
    CMsgActions& script = mode == runInstall ? project.m_installScript : project.m_uninstallScript;
    const bool hidden = package.m_debugMode == 0;

    CDesktopSwitch desktop;
    if (hidden) {
        if (DWORD error = desktop.Enter(kHiddenDesktopName))
            return error;
    }

    const SetupCommand command = MakeRunCommand(program, arguments, mode);
    // The previous run's job goes first, so that the new one can take the shared name.
    CloseScriptJob();
    CJobProcess process;
    if (DWORD error = process.Start(command.commandLine, command.workingFolder, hidden ? kHiddenDesktopPath : nullptr))
        return error;
    SetScriptJob(process.ReleaseJob());

    {
        CScriptActions engine;
        Sleep(g_timing.startupPauseMs);
        engine.PlayActions(script, package.m_debugMode != 0);
    }
    LogReplayedSteps(install, script);
    WaitForSetupProgram(install, process, program,
                        script.GetCount() > 0 ? g_timing.scriptTimeoutMs : g_timing.unscriptedTimeoutMs);
    return 0;
}
