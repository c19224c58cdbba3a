#pragma once
// When the main window's commands are enabled, and when the program may close: plain predicates
// over the package list and the tree's selection, asked by the update and close handlers.

#include "engine/storage/Projects.h"

#include "framework/String.h"

// The packages tree's selection as the rules see it: whether a node is selected, and its data.
struct TreeSelection {
    bool hasNode = false;
    DWORD data = 0;
};

// Long-running work of the user-interface's worker threads. Their threads write into the tree,
// the panels and the output list, so the windows must outlive them.
struct RunningWork {
    bool building = false;      // the build thread
    bool monitoring = false;    // the installation monitor's worker
    bool replaying = false;     // an install-script test run
};

// A package or project node is selected.
bool CanDelete(const TreeSelection& selection);
// A node is selected whose package exists and has a project, and no build runs.
bool CanBuild(const CProjects& projects, const TreeSelection& selection, bool buildBusy);

// Whether the command is enabled, by the main window's command table; commands the table does not
// name are always enabled (the framework's own commands enable themselves).
bool IsCommandEnabled(UINT id, const CProjects& projects, const TreeSelection& selection, bool buildBusy);

// Open in Explorer: the output folder of the selected node's package, opened only when it is an
// existing folder. A package file may come from anywhere, and the shell's "open" on a path that
// names a program would run it, so anything but a folder is refused with a message. With nothing
// selected (or a package index past the list) there is nothing to open and no message.
struct OutputFolderChoice {
    CString folder;     // the folder to open; empty when nothing is opened
    CString message;    // why nothing is opened, for the user; empty when there is nothing to say
};
OutputFolderChoice ChooseOutputFolder(const CProjects& projects, const TreeSelection& selection);

// Closing is refused while work runs; the message names what runs.
bool CanCloseNow(const RunningWork& work, CString* message = nullptr);

// Asked at closing when the data file could not be saved: Yes closes and loses the edits, No stays.
inline constexpr wchar_t kSaveFailedClosePrompt[] =
    L"Your changes could not be saved.\n\nClose anyway and lose them?";
