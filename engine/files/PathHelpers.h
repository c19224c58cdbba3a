#pragma once
// Small text helpers for paths, shared by the editor, the monitor and the builder. None of them
// touches the file system except MakeTempFileName.

#include "framework/String.h"

// Removes the run of backslashes at the end of the text; a text of backslashes only becomes empty.
void TrimTrailingBackslashes(CString& text);
// The same operation under the name the folder-table code uses.
inline void StripTrailingBackslashes(CString& text) { TrimTrailingBackslashes(text); }
// Removes the run of backslashes at the start of the text.
void TrimLeadingBackslashes(CString& text);

// The text before the last backslash; empty when there is none.
CString GetFolderPart(const CString& path);
// The text up to and including the last backslash; empty when there is none.
CString GetFolderPartWithSlash(const CString& path);

// Orders two paths as the file system tells names apart: ordinally, without regard to case by
// the system's own upper-case table (CompareStringOrdinal): accented and other non-ASCII letters
// fold as they do on disk, and the user's locale plays no part. Returns -1, 0 or 1. The texts are
// compared as they are; make them full paths first where "." or ".." may appear.
int ComparePathsNoCase(const CString& a, const CString& b);
inline bool SamePathNoCase(const CString& a, const CString& b) { return ComparePathsNoCase(a, b) == 0; }

// Replaces every occurrence of search, found without regard to case, with replacement; returns
// the number of replacements. The text after each replacement is searched again only from the
// end of that replacement, so a replacement that contains the search text cannot loop; an empty
// search text replaces nothing.
int ReplaceNoCase(CString& text, const wchar_t* search, const wchar_t* replacement);

// The full name of a new, empty file in the user's temporary folder (made with the prefix "0");
// empty when the folder cannot be read or no name can be made, with the Windows error in *error
// when given.
CString MakeTempFileName(DWORD* error = nullptr);
