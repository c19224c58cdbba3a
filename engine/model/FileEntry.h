#pragma once
// CFileEntry: one node of a project's destination tree: a root, a folder, a file or a shortcut.
// Its tree path starts at a root (a folder property such as ProgramFilesFolder, or Temp); roots
// and folders end with a backslash ("ProgramFilesFolder\App\"), and the node's name is the last
// component ("ProgramFilesFolder\App\app.exe").

#include "framework/Array.h"
#include "framework/Archive.h"

class CFileEntry {
public:
    enum Kind : int { kindNone = 0, kindRoot = 1, kindFolder = 2, kindFile = 3, kindShortcut = 4 };
    // File attributes of a file entry (the MSI File table's bits).
    enum : int { attrReadOnly = 1, attrHidden = 2, attrSystem = 4, attrVital = 512 };
    // Component attribute of a file that is an x64 image.
    enum : int { component64Bit = 256 };

    CFileEntry();   // a new entry id, kind 0 until the creator sets it
    CFileEntry(const CFileEntry&) = default;
    CFileEntry& operator=(const CFileEntry&) = default;
    CFileEntry(CFileEntry&&) noexcept = default;
    CFileEntry& operator=(CFileEntry&&) noexcept = default;
    virtual ~CFileEntry() = default;

    void Serialize(CArchive& ar);

    // The file on the build machine: the source path when set, else baseFolder + "\" + tree path.
    // The caller names the base (the folder of the package file) so that nothing here reads the
    // editor's selection, which a worker thread must not.
    CString GetSourcePath(const CString& baseFolder) const;

    // Refreshes the entry from the file named by its source path. When the file's attributes
    // cannot be read, returns the Windows error and changes nothing. Otherwise sets (never clears)
    // the read-only, hidden and system bits, takes the size (its low 32 bits) and sets the
    // component attributes to 256 when the file is an x64 image; returns 0.
    [[nodiscard]] DWORD ReadFileAttributes();

    CString m_id;                  // 32 hexadecimal digits
    CString m_reservedText1;
    CString m_path;                // tree path
    int m_kind = kindNone;
    int m_fileSize = 0;            // low 32 bits of the source file's size
    CString m_reservedText2;
    int m_attributes = attrVital;  // a file's MSI attributes; a shortcut's "Advertised" flag
    int m_componentAttributes = 0;
    int m_reservedInt = 0;
    CString m_workingDirectory;    // shortcut "Directory"
    CString m_arguments;           // shortcut "Arguments"
    CString m_iconFile;            // shortcut: the module whose icons it offers
    int m_iconIndex = 0;           // shortcut: position of its icon group in that module
    CString m_description;         // shortcut description
    CString m_sourcePath;          // a file's file on the build machine; a shortcut's target tree path
    CString m_condition;           // component condition
};

class CFileEntries : public CArray<CFileEntry, const CFileEntry&> {
public:
    // The count, then each entry; loading replaces the list.
    void Serialize(CArchive& ar) override;

    // The first entry whose tree path equals the given one, ignoring case; null when none.
    CFileEntry* FindByPath(const CString& path);
    const CFileEntry* FindByPath(const CString& path) const;

    // The first entry whose source path equals the given one, ignoring case; null when none.
    CFileEntry* FindBySourcePath(const CString& sourcePath);
    const CFileEntry* FindBySourcePath(const CString& sourcePath) const;

    // The tree path of the entry FindBySourcePath finds; empty when none.
    CString GetPathBySourcePath(const CString& sourcePath) const;

    // The source file of the entry with that tree path: its source path when set, else
    // outputFolder + "\" + path; empty when no entry has that path.
    CString GetSourcePathOf(const CString& path, const CString& outputFolder) const;

    // The first entry whose tree path ends with the text, ignoring case; null when none.
    CFileEntry* FindPathSuffix(const CString& text);
    const CFileEntry* FindPathSuffix(const CString& text) const;

    // Removes every entry at or below the path (ignoring case): "A\App" takes "A\App" and
    // "a\app\x.dll" but not "A\Apple\y.dll". Survivors keep their order.
    void RemoveUnderPath(const CString& path);

    // The folder the project's file list showed last, so that the editor can show it again when
    // the user comes back to the project. Editor state: never stored in a package file (loading
    // empties it); copied with the list like every other member.
    CString m_lastShownFolder;
};
