#pragma once
// Puts the global package list and its selection back as they were when the test ends, whatever
// way it ends: the builder reads both to find a package's own folder.

#include "engine/files/Globals.h"
#include "engine/storage/Projects.h"

struct SavedPackageList {
    CProjects list = Projects;
    int index = CurrentPackageIndex;
    SavedPackageList() = default;
    SavedPackageList(const SavedPackageList&) = delete;
    SavedPackageList& operator=(const SavedPackageList&) = delete;
    ~SavedPackageList()
    {
        Projects = list;
        CurrentPackageIndex = index;
    }
};
