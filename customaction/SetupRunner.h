#pragma once
// Runs one wrapped setup program (or a kept uninstall command) for the custom actions: inside the
// job "tarnwick", on the hidden desktop "msitmp" unless the package is in debug mode, with the
// project's recorded script replayed on its dialogs and every replayed step logged, then waits for
// it under a time-out.
//
// The calling thread moves onto the hidden desktop for the whole run: the replay engine enumerates
// the windows of its own thread's desktop, so it must sit where the setup program's dialogs are.

#include "engine/replay/JobProcess.h"
#include "framework/String.h"

#include <windows.h>
#include <msi.h>

inline constexpr wchar_t kHiddenDesktopName[] = L"msitmp";
inline constexpr wchar_t kHiddenDesktopPath[] = L"WinSta0\\msitmp";

enum SetupRunMode : int { runUninstall = 0, runInstall = 1 };

// The waits of a run. The product always uses the defaults; tests shorten them.
struct SetupRunTiming {
    DWORD startupPauseMs = 4000;         // the setup program gets this long to show its first dialog
    DWORD scriptTimeoutMs = 180000;      // a run with a script: 3 minutes
    DWORD unscriptedTimeoutMs = 900000;  // a run without one (silent switches): 15 minutes
};
void SetSetupRunTimingForTests(const SetupRunTiming& timing);

// Runs the program of project projectIndex of the global package with the arguments (the install
// or uninstall script by the mode). The command line: with empty arguments the program text as it
// stands (a kept uninstall command keeps its own arguments), except that in install mode a bare
// program path holding a space is quoted; otherwise the executable (quoted when it holds a space),
// one space and the arguments. The working folder is the executable's folder.
//
// Returns 0 once the program was started, whatever its exit code (which is logged), or the Windows
// error of the desktop or process creation. On a time-out every process of the job is terminated.
// The job stays open until the next run, for the replay engine's process listing.
[[nodiscard]] DWORD RunSetupProcess(int projectIndex, MSIHANDLE install, const CString& program,
                                    const CString& arguments, int mode);

// The command line and working folder that RunSetupProcess uses.
SetupCommand MakeRunCommand(const CString& program, const CString& arguments, int mode);
