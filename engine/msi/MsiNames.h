#pragma once
// Names and texts the MSI builder makes: the short|long file names of the File and Directory
// tables, the redirection of a wrapped project's "Temp\" tree, the installer's last error and a
// file's version as text.

#include "framework/Map.h"
#include "framework/String.h"

// The short names handed out during one build, so that no two names in one folder share a short
// name. Keys are the parent folder and the short name, compared without regard to case, as the
// file system compares them; each key remembers the long name it belongs to.
class CShortNames {
public:
    // Claims a name that is already a valid 8.3 name for itself before the names around it are
    // made, so that no generated short name of a sibling ("read me.txt" -> "readme.txt") takes
    // the long name of a file that comes later: installers look sources up by short name first.
    void Reserve(const CString& path);

    // The FileName / DefaultDir text for the last component of a tree path (a path that ends in a
    // backslash names that folder): the name alone when it is a valid 8.3 name that no other name
    // of its folder has taken, otherwise a new valid 8.3 short name, "|" and the unchanged long
    // name. Every short name handed out is registered, the name-alone form included.
    CString MakeShortLongName(const CString& path);

    // True for a name of 1 to 8 characters with an optional extension of 1 to 3 after one dot,
    // made only of the characters an 8.3 name may hold.
    static bool IsValidShortName(const CString& name);

    // Forgets every name handed out (a new build).
    void Clear() { m_taken.RemoveAll(); }

private:
    // Registers the short name in the folder for the long name; false when another long name has
    // it already.
    bool Claim(const CString& folder, const CString& shortName, const CString& longName);

    CMapStringToString m_taken; // upper-cased "folder\short name" -> upper-cased long name
};

// The per-project folder that a wrapped project's "Temp\" tree is installed into:
// "WindowsFolder\Temp\" + the braced project id + "\".
CString ProjectTempFolder(const CString& projectId);

// A tree path under the root "Temp\" moved into ProjectTempFolder; only the leading "Temp\" is
// replaced (a folder named "AppTemp" further down is an ordinary folder). Other paths unchanged.
CString RedirectTempPath(const CString& treePath, const CString& projectId);

// The code page of the template database. Texts are stored in it: a character it lacks becomes
// "?", which in a file or folder name makes the package impossible to install.
constexpr UINT kDatabaseCodePage = 1252;

// True when every character of the text survives the database code page unchanged.
bool FitsDatabaseCodePage(const CString& text);

// The formatted text of the installer's last error record followed by ".", or empty when there is
// none (Wine keeps none).
CString GetLastMsiErrorText();

// The file version of a file's version resource as "a.b.c.d", or empty when the file has none or
// cannot be read.
CString GetFileVersionText(const CString& path);

// The Registry table's Value text of a registry value: its type mark ("#x" binary, "#" number,
// "#%" expandable string) and the value text as the records keep it.
CString MakeRegistryValueText(int valueType, const CString& value);
