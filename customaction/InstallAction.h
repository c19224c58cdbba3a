#pragma once
// The install action behind the exports INSTALLAction0 .. INSTALLAction9: it reads the package
// back from the library's resource, picks the n-th wrapped project, runs its setup program and
// keeps the uninstall command that the program registered.
//
// Wrapped projects are counted exactly as the builder counts them when it writes one custom action
// per wrapped project: export n runs wrapped project n.

#include "engine/model/ProjectSettings.h"

#include <windows.h>
#include <msi.h>

// Windows Installer's failure result of a custom action.
inline constexpr UINT kActionFailed = ERROR_INSTALL_FAILURE;

// A project whose mode is not repackage and whose installer path, trimmed, is not empty.
bool IsWrappedProject(const CFeature& project);
int CountWrappedProjects(const CProjectSettings& package);
// The index in the package's project list of wrapped project number n; -1 when there is none.
int FindWrappedProject(const CProjectSettings& package, int number);

// The administrator test of both actions; tests may replace it (a Wine user is always one).
void SetAdminCheckForTests(bool (*isAdmin)());
bool UserIsAdmin();

// Runs wrapped project n; 0 or kActionFailed.
[[nodiscard]] UINT RunInstallAction(MSIHANDLE install, int number);
