#pragma once
// The window-free rules for editing the installation monitor's filters (the texts of files,
// folders and registry keys that a capture leaves out). The monitor treats each entry as a
// prefix, so a blank entry would match everything and make a run capture nothing: no path of the
// editor ever adds one.

#include "engine/storage/Projects.h"

#include "framework/String.h"

// True when the text is empty or only white space.
bool IsBlankFilterText(const CString& text);

// What the file and registry editors' "Add to the Monitoring Filter" does with the dialog's text:
// trims white space at both ends and trailing backslashes, then appends it unless it is blank
// or the filter already holds exactly that text. True when it was appended.
bool AddPathToFilter(CExludeList& filter, CString text);
