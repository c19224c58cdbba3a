#pragma once
// Where the program finds its own files (schema.bin, velt.bin, the default tarnwick.dat, the help
// file) and how start-up gets a readable data file.

#include "engine/storage/Projects.h"

#include "framework/String.h"

// The folder of the running program's file, with its trailing backslash. Taken from the module
// itself: the first command-line argument names no folder when the program was started by bare
// name (from a search path or a shortcut's working folder), and any parent process may pass
// whatever text it likes there. Empty only when the system cannot name the module.
CString GetProgramFolder();

// "<program folder>tarnwick.dat": the empty package list shipped beside the program.
CString GetDefaultDataFilePath();

// "<program folder>tarnwick.chm".
CString GetHelpFilePath();

// Loads the data file into projects; when it cannot be loaded, keeps the unreadable file as
// "<data file>.bad", puts a copy of the default data file in its place and loads that. Returns
// true when a data file was loaded at either attempt. A data file that cannot be set aside is
// left untouched (nothing is copied over it) and the list stays as it was.
[[nodiscard]] bool LoadDataFileOrDefault(const wchar_t* dataFile, const wchar_t* defaultDataFile, CProjects& projects);
// The same for the global list, the data folder's file and the program folder's default.
[[nodiscard]] bool LoadDataFileOrDefault();
