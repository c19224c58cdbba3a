#pragma once
// The package list's changes that the packages tree starts, with the message the user sees when
// one fails: the engine's calls report nothing themselves. Each leaves the list (and its parallel
// path array) whole: a refused or failed change changes nothing.

#include "engine/storage/Projects.h"

#include "framework/String.h"

enum class OpenResult {
    opened,       // the package is the list's new last one
    cancelled,    // the user closed the file dialog: nothing to report
    failed,       // see the message
};

// Lists the package file at path (OpenPackageFile); a list already at the tree's limit, a file
// already listed, or a file that does not load gives failed with a message naming the file.
OpenResult OpenPackageAt(const CString& path, CProjects& projects, CString* message);
// Asks for a package file with the system's file dialog (owned by owner, starting in the data
// folder), then OpenPackageAt.
OpenResult OpenPackageFromUser(HWND owner, CProjects& projects, CString* message);

// Makes a package for a new project (CreatePackage); false with a message when the list is full
// or the package cannot be made there.
bool CreatePackageForProject(const CString& projectName, const CString& location, CProjects& projects,
                             CString* message);

// Removes package index and its path together; false for an index outside the list.
bool RemovePackageAt(CProjects& projects, int index);
// Removes project index of package packageIndex; false for an index outside either array.
bool RemoveProjectAt(CProjects& projects, int packageIndex, int index);
