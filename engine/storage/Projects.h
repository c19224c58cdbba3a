#pragma once
// CProjects: the process-wide package list, with the path of each package's file, the last tree
// selection and the installation monitor's two filters. It is kept in the data file
// "tarnwick.dat", which names the package files: saving the data file saves every package file,
// loading it loads every package file.
//
// Every operation takes the list it works on; the forms without one work on the global
// `Projects` and the data file in the data folder. Loading builds a new list aside and takes it
// over only when the whole data file was read, so a failed load leaves the list as it was and the
// package and path arrays always have the same length.

#include "engine/model/ProjectSettings.h"

#include "framework/Archive.h"
#include "framework/Array.h"
#include "framework/List.h"

// A monitoring filter: texts naming file-system paths or registry keys the monitor ignores.
class CExludeList : public CStringList {
public:
    // The int32 count, then each text. Loading empties the list first and appends at the tail.
    void SerializeItems(CArchive& ar);
};

class CProjects : public CArray<CProjectSettings, const CProjectSettings&> {
public:
    CStringArray m_packagePaths;   // entry i is the package file of package i
    int m_lastSelection = 0;       // the packages tree's remembered selection
    CExludeList m_fileFilter;
    CExludeList m_registryFilter;
};

extern CProjects Projects;

constexpr int kDataFileFormat = 1002;
extern const wchar_t kDataFileMagic[];   // "tarnwick_datafile"

// Stores the data-file stream (saving every package file on the way), or loads it and takes the
// result over into projects. Storing returns 1 when every package file was saved, 0 when any
// failed (every path is written all the same). Loading returns 1, or 0 on a wrong format number
// or magic text (projects untouched); a damaged stream throws the archive's exception, with
// projects untouched.
[[nodiscard]] int SerializeDataFile(CArchive& ar, CProjects& projects);
[[nodiscard]] int SerializeDataFile(CArchive& ar);

// Loads the data file into the list; false when it cannot be opened, is not a data file of this
// format or is damaged (the list is then unchanged).
[[nodiscard]] bool LoadDataFile(const wchar_t* path, CProjects& projects);
[[nodiscard]] bool LoadDataFile();

// Writes the data file and every package file; false when the data file cannot be written (the
// old one then stays as it was) or any package file failed to save.
[[nodiscard]] bool SaveDataFile(const wchar_t* path, CProjects& projects);
[[nodiscard]] bool SaveDataFile();

// "<data folder>\tarnwick.dat".
CString GetDataFilePath();

// Puts a copy of the default data file in place of an unreadable one, keeping the unreadable
// file as "<data file>.bad" (replacing an older one) so that nothing the user had is lost.
[[nodiscard]] bool RestoreDefaultDataFile(const wchar_t* defaultDataFile, const wchar_t* dataFile);
[[nodiscard]] bool RestoreDefaultDataFile(const wchar_t* defaultDataFile);

// True when the name can be a folder and file name: not empty, none of <>:"/\|?* or control
// characters, no trailing dot or space, not a device name such as CON or LPT1.
bool IsValidPackageName(const CString& name);

// The proposed name when no listed package has that product name, compared without regard to
// case; otherwise "%s(%d)" with the first counter 1, 2, ... that none has. With a parent folder,
// a name whose folder or package file already exists there is skipped too, and an invalid name
// (IsValidPackageName) gives an empty text.
CString MakeUniquePackageName(const CString& name, const CProjects& projects, const wchar_t* parentFolder = nullptr);
CString MakeUniquePackageName(const CString& name);

// Creates a package under a unique name in "<parent folder>\<name>" (made when missing), saves
// its "<name>.tkpj" there and lists it; false, with nothing listed, when the name is invalid, the
// folder cannot be made or the file cannot be saved.
[[nodiscard]] bool CreatePackage(const CString& name, const CString& parentFolder, CProjects& projects);
[[nodiscard]] bool CreatePackage(const CString& name, const CString& parentFolder);

// Lists the package file at path under a unique product name, with the file's folder as its
// output folder; false when the path is already listed (compared as full paths without regard to
// case) or the file does not load.
[[nodiscard]] bool OpenPackageFile(const wchar_t* path, CProjects& projects);
[[nodiscard]] bool OpenPackageFile(const wchar_t* path);
// Asks the user for a package file (a file-open dialog starting in the data folder), then lists
// it in `Projects` as above; false on cancel.
[[nodiscard]] bool OpenPackageFile();
