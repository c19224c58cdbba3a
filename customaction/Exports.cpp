// The library's exports, as the installer calls them: deferred custom actions of type 3073 that
// receive the installation's handle. Nothing thrown inside may reach the installer.

#include "customaction/InstallAction.h"
#include "customaction/InstallerLog.h"
#include "customaction/UninstallAction.h"

namespace {

template <class Action>
UINT Guarded(MSIHANDLE install, UINT failure, Action action) noexcept
{
    try {
        return action();
    } catch (...) {
        try {
            LogInstallerMessage(install, L"Error. The custom action stopped on an unexpected failure.");
        } catch (...) {
        }
        return failure;
    }
}

UINT Install(MSIHANDLE install, int number) noexcept
{
    return Guarded(install, kActionFailed, [&] { return RunInstallAction(install, number); });
}

} // namespace

extern "C" {

UINT __stdcall INSTALLAction0(MSIHANDLE install) { return Install(install, 0); }
UINT __stdcall INSTALLAction1(MSIHANDLE install) { return Install(install, 1); }
UINT __stdcall INSTALLAction2(MSIHANDLE install) { return Install(install, 2); }
UINT __stdcall INSTALLAction3(MSIHANDLE install) { return Install(install, 3); }
UINT __stdcall INSTALLAction4(MSIHANDLE install) { return Install(install, 4); }
UINT __stdcall INSTALLAction5(MSIHANDLE install) { return Install(install, 5); }
UINT __stdcall INSTALLAction6(MSIHANDLE install) { return Install(install, 6); }
UINT __stdcall INSTALLAction7(MSIHANDLE install) { return Install(install, 7); }
UINT __stdcall INSTALLAction8(MSIHANDLE install) { return Install(install, 8); }
UINT __stdcall INSTALLAction9(MSIHANDLE install) { return Install(install, 9); }

// A removal goes on whatever happens here: only a missing administrator right fails it.
UINT __stdcall UNINSTALLAction(MSIHANDLE install)
{
    return Guarded(install, 0, [&] { return RunUninstallAction(install); });
}

} // extern "C"
