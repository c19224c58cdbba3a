#pragma once
// The install action behind the exports INSTALLAction0 .. INSTALLAction9: it reads the package
// back from the library's resource, picks the n-th wrapped project, runs its setup program and
// keeps the uninstall command that the program registered.
//
// Export n runs wrapped project n, counted by the model's one rule (IsWrappedProject) that the
// builder follows when it writes one install action per wrapped project.

#include "engine/model/ProjectSettings.h"

#include <windows.h>
#include <msi.h>

// Windows Installer's failure result of a custom action.
inline constexpr UINT kActionFailed = ERROR_INSTALL_FAILURE;

// The administrator test of both actions; tests may replace it (a Wine user is always one).
void SetAdminCheckForTests(bool (*isAdmin)());
bool UserIsAdmin();

// Runs wrapped project n; 0 or kActionFailed.
[[nodiscard]] UINT RunInstallAction(MSIHANDLE install, int number);
