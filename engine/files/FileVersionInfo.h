#pragma once
// The version strings of a module's own version resource (RT_VERSION, id 1): the about box
// shows the file version, the main window's title the product version.

#include "framework/String.h"

class CFileVersionInfo {
public:
    // Reads from the given module; null means the program itself.
    explicit CFileVersionInfo(HMODULE module = nullptr);
    virtual ~CFileVersionInfo() = default;

    CString GetFileVersion() const;     // "FileVersion", dotted
    CString GetProductVersion() const;  // "ProductVersion", dotted

    // The string value under the resource's first translation, or under the user's default
    // language with the Unicode code page when the resource lists none; trimmed; empty when the
    // resource or the value is missing.
    CString GetStringValue(const wchar_t* name) const;

    // "3, 6, 0, 1" becomes "3.6.0.1": trailing white space removed, and a text with commas split
    // at them, each part trimmed and the parts joined with dots.
    static CString FormatVersion(const CString& text);

private:
    HMODULE m_module; // not owned
};
