#pragma once
// CTempFile: a temporary file of the builder (an extracted icon, the cabinet, the settings, the
// library copy) that is deleted when its holder goes, on every way out of a step.

#include "engine/files/PathHelpers.h"

class CTempFile {
public:
    // A new, empty file in the user's temporary folder; an empty path when none could be made.
    static CTempFile Make() { return CTempFile(MakeTempFileName()); }
    // Takes charge of the file at the path (an empty path: no file).
    explicit CTempFile(CString path = CString()) : m_path(std::move(path)) {}
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    ~CTempFile()
    {
        if (!m_path.IsEmpty())
            DeleteFileW(m_path);
    }

    const CString& Path() const { return m_path; }

private:
    CString m_path;
};
