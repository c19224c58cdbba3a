#pragma once
// The names a package or project takes while the user types it into its panel. A typed name that
// another package (project of the same package) carries gets "%s(%d)" with the first counter 1,
// 2, ... that none carries. Names compare exactly (letter case counts). The record being renamed
// is left out of the comparison: its stored name is the one before this keystroke, and text equal
// to it (a paste over the same text, a case change undone) must stay as typed.

#include "engine/model/Feature.h"
#include "engine/storage/Projects.h"

#include "framework/String.h"

CString MakeUniqueNameForRename(const CProjects& projects, int packageIndex, const CString& typed);
CString MakeUniqueNameForRename(const CFeatures& projects, int projectIndex, const CString& typed);
