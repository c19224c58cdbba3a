#pragma once
// The system-folder table: 32 rows that map Windows Installer folder properties
// (ProgramFilesFolder, SystemFolder, ...) to the folders of this machine, and the conversions
// between real paths and the property form that project records store.
//
// Rows are taken in table order and the first match wins, so aliases (rows without a
// description) come before the row they stand beside, and the more specific folders before
// WindowsFolder. The table is resolved once by InitGlobals on the main thread; afterwards every
// thread only reads it.
//
// Where a folder comes from depends on the process: the table always describes what a 32-bit
// program sees, so that ProgramFilesFolder means the same folder for the 32-bit and the 64-bit
// build. A 64-bit process therefore asks for the x86 program-files folders in rows 20 and 25.

#include "framework/String.h"

#include <functional>

struct SystemFolderRow {
    const wchar_t* property;     // Windows Installer folder property
    const wchar_t* description;  // null for an alias row, which only maps a further folder
    int csidl;                   // shell folder id, kNoFolder, or one of the two markers below
    CString path;                // resolved folder without trailing backslash; empty when unresolved
};

// How a row finds its folder. Tests replace it to describe machines that Wine cannot be.
struct SystemFolderSource {
    // The shell folder of a CSIDL as the calling process sees it; empty when there is none.
    std::function<CString(int csidl)> shellFolder;
    // The expansion of an environment text (into at most 260 characters); empty on failure.
    std::function<CString(const wchar_t* text)> expand;
    // True for a 64-bit process, whose program-files CSIDLs name the native folders.
    bool is64BitProcess = false;

    // The running machine: SHGetFolderPathW, ExpandEnvironmentStringsW and this build's bitness.
    static SystemFolderSource ThisMachine();
};

class CSystemFolderTable {
public:
    static constexpr int kRowCount = 32;
    static constexpr int kNoFolder = -1;
    static constexpr int kProgramW6432Marker = 42;        // "%ProgramW6432%"
    static constexpr int kCommonProgramW6432Marker = 44;  // "%CommonProgramW6432%"

    // The constant rows with every path empty.
    CSystemFolderTable();

    // Fills the path of every row whose CSIDL is not kNoFolder from the source. A folder that
    // cannot be found, or a variable that does not expand (32-bit Windows has no
    // %ProgramW6432%), leaves its row empty.
    void Resolve(const SystemFolderSource& source);

    const SystemFolderRow& Row(int index) const { return m_rows[index]; }

    // Backslashes removed at both ends, true when the text names the property of a non-alias
    // row, without regard to case ("Temp" too, although it is never resolved).
    bool IsSystemFolderName(const CString& text) const;
    // The path of the first non-alias row with that property (same trimming and comparison);
    // empty when there is none or it is unresolved.
    CString GetSystemFolderPath(const CString& property) const;
    // The path of the first row with that CSIDL; empty when there is none.
    CString GetPathOfCsidl(int csidl) const;
    // Replaces, row by row, every occurrence of a resolved folder followed by a backslash with
    // "[Property]", without regard to case. True when anything was replaced.
    bool ReplaceFolderPathsWithProperties(CString& text) const;
    // When the path starts with a resolved folder followed by a backslash (without regard to
    // case), rewrites that start as "Property\" for the first such row. True when rewritten.
    bool MakeFolderRelativePath(CString& path) const;

private:
    // The row's path, trimmed of white space, with one backslash appended; empty when the row
    // takes no part in conversions.
    CString ConversionPrefix(int index) const;
    int FindNonAliasRow(const CString& name) const;

    SystemFolderRow m_rows[kRowCount];
};

// The process's working table, resolved by InitGlobals.
extern CSystemFolderTable SystemFolderTable;

// The operations above on the process's working table.
bool IsSystemFolderName(const CString& text);
CString GetSystemFolderPath(const CString& property);
bool ReplaceFolderPathsWithProperties(CString& text);
bool MakeFolderRelativePath(CString& path);
