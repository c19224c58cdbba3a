#pragma once
// The window-free rules of the files editor: the rows a folder shows, the size text, the machine
// folder a destination path stands for, the names the file and shortcut dialogs accept, and the
// monitoring-filter edits. The tree, the list and the pickers call these; tests call them without
// a window.
//
// Destination paths are told apart without regard to case everywhere, as the folder tree groups
// them: "ProgramFilesFolder\App\" and "programfilesfolder\app\x.exe" lie in one folder.

#include "engine/files/SystemFolderTable.h"
#include "engine/model/FileEntry.h"

#include "framework/String.h"

#include <vector>

// Images of the shared strip (bitmap 152).
enum FileImage : int { imageRoot = 0, imageFolder = 1, imageFile = 2, imageShortcut = 3, imageMissing = 4 };

// The size column: the size in KB, rounded, never below 1 KB, its digits grouped by threes with
// commas ("1,234,567 KB").
CString FormatFileSize(DWORD bytes);

// One row of a folder's listing.
struct FolderRow {
    CString text;        // the name below the folder
    const wchar_t* type; // "Folder", "File" or "Shortcut"
    int image;
    int entry;           // index of the entry that produced the row
};

struct FolderRowsArgs {
    CString folder;            // the folder's path with its backslash; empty: the top level
    CString filter;            // non-empty: only entries whose path ends with it (picker)
    bool filesOnly = false;    // direct rows only for files (picker: no shortcuts)
    CString baseFolder;        // where source paths without a folder of their own lie
    // Whether a file exists; null: the file system.
    bool (*fileExists)(const CString& path) = nullptr;
};

// The rows of what lies directly in a folder: one per subfolder (the first entry below it) and
// one per file or shortcut lying in it; root entries make no rows, and a name already listed
// (without regard to case) makes none either. Folder rows first, then by the entry's path
// without regard to case. Linear in the number of entries.
std::vector<FolderRow> ListFolderRows(const CFileEntries& entries, const FolderRowsArgs& args);

// Whether the path begins with the prefix, without regard to case.
bool PathStartsWith(const CString& path, const CString& prefix);

// The folder on this machine that a destination path stands for: when the path's first name
// equals (any case) the property of a table row that has a shell folder, that name is replaced by
// the row's path; otherwise the path is returned unchanged. Nothing deeper is mapped, and only a
// whole name matches ("CommonAppDataFolder" is not "AppDataFolder").
CString MapToMachinePath(const CString& destinationPath, const CSystemFolderTable& table);

// The name a file or shortcut dialog saves: forbidden characters removed, white space trimmed.
CString CleanEntryName(const CString& typed);

// The path an entry gets when renamed to name (its folder kept); empty when the name is refused:
// empty after cleaning, the path of another entry than the one at startPath, or the name of a
// folder of that directory. With
// refuseNonShortcuts, any existing entry that is not a shortcut refuses the name even at the
// starting path (a new shortcut must not replace a file or folder).
CString RenamedPath(const CFileEntries& entries, const CString& entryPath, const CString& startPath,
                    const CString& typedName, bool refuseNonShortcuts = false);

