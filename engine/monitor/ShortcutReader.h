#pragma once
// Reading a captured shortcut file through the shell link object into a shortcut record: its
// target, working directory and icon file in folder-property form, its arguments with folder paths
// replaced by properties, and its description and icon index. COM must be initialised on the
// calling thread.

#include "engine/model/FileEntry.h"

// Fills the shortcut fields of the record from the .lnk file at path. 0 (S_OK) on success; ERROR_PATH_NOT_FOUND
// (3) when the target does not exist or lies outside every known folder; otherwise the failing
// call's HRESULT. The record should then be dropped.
[[nodiscard]] HRESULT ReadShortcut(CFileEntry& entry, const CString& path);
