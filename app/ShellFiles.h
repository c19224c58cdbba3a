#pragma once
// Deleting through the shell, so that what the user deletes goes to the Recycle Bin.

#include "framework/String.h"

// Deletes a folder with everything in it (or a single file) through the shell's file operation,
// without confirmation or progress; to the Recycle Bin unless permanently. The shell's own error
// messages are not suppressed. True when the operation reports success and nothing was aborted.
bool DeleteFolderThroughShell(const CString& path, bool permanently);
