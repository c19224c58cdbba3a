#pragma once
// Process-wide state that the editor, the installation monitor and the builder share, set up
// once by InitGlobals on the main thread before any worker starts. Afterwards DataFolder, the
// system-folder table and IsWow64 are only read. The two selection indices belong to the
// user-interface thread: worker threads are handed what they need instead of reading them.

#include "engine/files/SystemFolderTable.h"
#include "framework/Handle.h"
#include "framework/String.h"

// The user's Documents folder followed by "\Tarnwick": the data file's folder.
extern CString DataFolder;
// The named event "StopEvent" (manual reset): set by the user interface to stop the monitor,
// polled by the monitoring steps.
extern UniqueKernelHandle StopEventHandle;
// 1 when this process is a 32-bit program on 64-bit Windows; 0 otherwise or when unknown.
extern int IsWow64;
// The package and project selected in the packages tree (user-interface thread only).
extern int CurrentPackageIndex;
extern int CurrentProjectIndex;

// The five registry roots, in the order that registry records number them.
constexpr int kRegistryRootCount = 5;
extern const wchar_t* const RegistryRootNames[kRegistryRootCount];

// Sets up the global state: the data folder (created when missing; a failure to create it is
// left to the later saves), the indices, the stop event, the system-folder table and the WOW64
// flag. Returns 0, or a Windows error when the Documents folder cannot be found or the stop event
// cannot be made; a message for the user then goes into *message when given.
[[nodiscard]] DWORD InitGlobals(CString* message = nullptr);
// The same with the folders taken from the given source.
[[nodiscard]] DWORD InitGlobals(const SystemFolderSource& source, CString* message = nullptr);

// True when the process is a 32-bit program on 64-bit Windows; false otherwise or when unknown.
bool ProcessIsWow64(HANDLE process);

// Trailing backslashes removed, true when the text is one of the five root names (any case).
bool IsRegistryRootName(const CString& text);

// The system's message for a Windows error code on one line, followed by " (0x%X)"; for a
// code without a message, only "(0x%X)".
CString FormatSystemErrorText(DWORD code);
