#pragma once
// The package files the user opened rather than created here. Deleting a package with Yes takes
// the whole folder only of a package this program made; an opened one takes its file alone, since
// its folder may hold the user's other files. The data file keeps paths only, so the opened ones
// are listed in a file of their own beside it and the mark lasts from one run to the next.
//
// The list file is UTF-16 text with a byte-order mark, one full path per line. It holds only
// paths that the package list holds too, and is removed when none is left.

#include "engine/storage/Projects.h"

#include "framework/String.h"

#include <vector>

class COpenedPackages {
public:
    // The list file that goes with the data file: its name with ".opened" in place of ".dat".
    static CString ListPathFor(const CString& dataFile);

    // Reads the list file; a missing or unreadable file is an empty list.
    void Load(const CString& listFile);
    // Writes the paths that projects still lists (and forgets the others); removes the file when
    // none is left. False when the file could not be written or removed.
    bool Save(const CString& listFile, const CProjects& projects);

    void Add(const CString& packagePath);
    void Remove(const CString& packagePath);
    // Compared as full paths without regard to case.
    bool Contains(const CString& packagePath) const;
    const std::vector<CString>& Paths() const { return m_paths; }

private:
    std::vector<CString> m_paths;
};
