#pragma once
// What goes when the user deletes a package and answers Yes ("permanently delete files").
//
// Only the folder that package creation makes is taken whole: "<parent>\<name>" holding
// "<name>.tkpj", where the builder and the monitor put the package's other files. A package file
// that lies anywhere else (opened from a download folder, a desktop, a drive root) takes only
// itself, never its neighbours; and a folder that is, or holds, a drive root, the data folder,
// Documents, the Desktop or the program folder is never taken, whatever its name.

#include "framework/String.h"

#include <vector>

struct PackageDeletionPlan {
    CString folder;     // the package's folder to recycle whole; empty when the file goes alone
    CString file;       // the package file to recycle when the folder stays; empty otherwise
};

// Folders that deletion never takes, nor any folder that holds them: the data folder, the user's
// Documents and Desktop, and the program folder (the ones this machine has).
std::vector<CString> ProtectedFolders();

// The plan for the package file at packagePath. openedPackage is true for a package the user
// opened from a file rather than created here: it never takes its folder along.
PackageDeletionPlan PlanPackageDeletion(const CString& packagePath, bool openedPackage,
                                        const std::vector<CString>& protectedFolders);

// Carries the plan out through the shell, to the Recycle Bin; true when what it names is gone
// (an empty plan succeeds).
bool RecyclePackageFiles(const PackageDeletionPlan& plan);
