#include "engine/storage/Projects.h"

#include "engine/files/Globals.h"
#include "engine/files/PathHelpers.h"
#include "engine/files/WideBuffer.h"
#include "engine/storage/PackageFile.h"

#include <commdlg.h>

#include <cwchar>
#include <iterator>
#include <set>
#include <utility>

CProjects Projects;

const wchar_t kDataFileMagic[] = L"tarnwick_datafile";

namespace {

constexpr int kDataFileSpareTexts = 7;
constexpr int kDataFileSpareInts = 8;

CString FullPath(const wchar_t* path)
{
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = ::GetFullPathNameW(path, static_cast<DWORD>(std::size(buffer)), buffer, nullptr);
    if (length == 0 || length >= std::size(buffer))
        return CString(path);
    return CString(buffer, static_cast<int>(length));
}

bool PathExists(const wchar_t* path)
{
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsListedName(const CProjects& projects, const CString& name)
{
    for (const CProjectSettings& package : projects)
        if (package.m_productName.CompareNoCase(name) == 0)
            return true;
    return false;
}

bool IsListedPath(const CProjects& projects, const CString& path)
{
    for (const CString& listed : projects.m_packagePaths)
        if (SamePathNoCase(FullPath(listed), path))
            return true;
    return false;
}

// Full paths ordered as the file system tells them apart.
struct PathOrder {
    bool operator()(const CString& a, const CString& b) const { return ComparePathsNoCase(a, b) < 0; }
};

CString PackageFolderOf(const CString& parentFolder, const CString& name)
{
    CString folder(parentFolder);
    TrimTrailingBackslashes(folder);
    return folder + L"\\" + name;
}

CString PackageFileOf(const CString& packageFolder, const CString& name)
{
    return packageFolder + L"\\" + name + L".tkpj";
}

// Writes the data-file stream and saves every package file on the way; false when a package file
// failed to save (its path is written all the same).
[[nodiscard]] bool StoreDataFile(CArchive& ar, CProjects& projects)
{
    bool packagesSaved = true;
    ar << kDataFileFormat;
    ar << CString(kDataFileMagic);
    ar << projects.m_lastSelection;
    ar << projects.GetSize();
    for (int i = 0; i < projects.GetSize(); ++i) {
        // a package that cannot be saved keeps its path: the user's list must not shrink
        if (SavePackageFile(projects.m_packagePaths[i], projects[i]) != 1)
            packagesSaved = false;
        ar << projects.m_packagePaths[i];
    }
    projects.m_fileFilter.SerializeItems(ar);
    projects.m_registryFilter.SerializeItems(ar);
    for (int i = 0; i < kDataFileSpareTexts; ++i)
        ar << CString();
    for (int i = 0; i < kDataFileSpareInts; ++i)
        ar << 0;
    return packagesSaved;
}

int LoadDataFileStream(CArchive& ar, CProjects& projects)
{
    int format = 0;
    ar >> format;
    if (format != kDataFileFormat)
        return 0;
    CString magic;
    ar >> magic;
    if (magic != kDataFileMagic)
        return 0;

    CProjects loaded;
    ar >> loaded.m_lastSelection;
    int count = 0;
    ar >> count;
    // A file that names one package many times (spelled in any case, or through "." and "..")
    // lists it once: loading every copy would cost memory and time for each, and the copies would
    // overwrite one another's file on the next save.
    std::set<CString, PathOrder> listed;
    // no room is reserved from the count: every path is read before the next, so a damaged count
    // ends at the end of the data
    for (int i = 0; i < count; ++i) {
        CString path;
        ar >> path;
        if (!listed.insert(FullPath(path)).second)
            continue;
        // load in place: adding a loaded package would copy every entry of it once more
        const int slot = loaded.GetSize();
        loaded.SetSize(slot + 1);
        if (LoadPackageFile(path, loaded[slot]) != 1) {
            loaded.SetSize(slot); // a package that no longer loads drops out of the list
            continue;
        }
        loaded.m_packagePaths.Add(path);
    }
    loaded.m_fileFilter.SerializeItems(ar);
    loaded.m_registryFilter.SerializeItems(ar);
    for (int i = 0; i < kDataFileSpareTexts; ++i) {
        CString spare;
        ar >> spare;
    }
    for (int i = 0; i < kDataFileSpareInts; ++i) {
        int spare = 0;
        ar >> spare;
    }
    projects = std::move(loaded);
    return 1;
}

} // namespace

void CExludeList::SerializeItems(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << GetCount();
        for (POSITION position = GetHeadPosition(); position;)
            ar << GetNext(position);
        return;
    }
    int count = 0;
    ar >> count;
    RemoveAll();
    for (int i = 0; i < count; ++i) {
        CString text;
        ar >> text;
        AddTail(text);
    }
}

int SerializeDataFile(CArchive& ar, CProjects& projects)
{
    if (ar.IsLoading())
        return LoadDataFileStream(ar, projects);
    return StoreDataFile(ar, projects) ? 1 : 0;
}

int SerializeDataFile(CArchive& ar)
{
    return SerializeDataFile(ar, Projects);
}

bool LoadDataFile(const wchar_t* path, CProjects& projects)
{
    return LoadEncipheredFile(path, [&projects](CArchive& ar) { return SerializeDataFile(ar, projects) == 1; });
}

bool SaveDataFile(const wchar_t* path, CProjects& projects)
{
    const CString folder = GetFolderPart(path);
    if (!folder.IsEmpty() && CreateDirectoryTree(folder) != 0)
        return false;
    bool packagesSaved = true;
    const bool written = StoreEncipheredFile(path, [&](CArchive& ar) {
        packagesSaved = SerializeDataFile(ar, projects) == 1;
    });
    return written && packagesSaved;
}

bool RestoreDefaultDataFile(const wchar_t* defaultDataFile, const wchar_t* dataFile)
{
    if (PathExists(dataFile)) {
        const CString kept = CString(dataFile) + L".bad";
        if (!::CopyFileW(dataFile, kept, FALSE))
            return false;
    }
    return ::CopyFileW(defaultDataFile, dataFile, FALSE) != FALSE;
}

bool IsValidPackageName(const CString& name)
{
    if (name.IsEmpty())
        return false;
    for (int i = 0; i < name.GetLength(); ++i) {
        const wchar_t ch = name[i];
        if (ch < 0x20 || std::wcschr(L"<>:\"/\\|?*", ch))
            return false;
    }
    const wchar_t last = name[name.GetLength() - 1];
    if (last == L'.' || last == L' ')
        return false;
    // device names stay devices whatever extension follows them
    CString stem = name.SpanExcluding(L".");
    stem.TrimRight(L' ');
    stem.MakeUpper();
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"})
        if (stem == device)
            return false;
    if (stem.GetLength() == 4 && (stem.Left(3) == L"COM" || stem.Left(3) == L"LPT") && stem[3] >= L'1' &&
        stem[3] <= L'9')
        return false;
    return true;
}

CString MakeUniquePackageName(const CString& name, const CProjects& projects, const wchar_t* parentFolder)
{
    const bool onDisk = parentFolder != nullptr;
    if (onDisk && !IsValidPackageName(name))
        return CString();
    const auto taken = [&](const CString& candidate) {
        if (IsListedName(projects, candidate))
            return true;
        if (!onDisk)
            return false;
        const CString folder = PackageFolderOf(parentFolder, candidate);
        return PathExists(folder) || PathExists(PackageFileOf(folder, candidate));
    };
    CString candidate(name);
    for (int counter = 1; taken(candidate); ++counter)
        candidate.Format(L"%s(%d)", name.GetString(), counter);
    return candidate;
}

CString MakeUniquePackageName(const CString& name)
{
    return MakeUniquePackageName(name, Projects);
}

bool CreatePackage(const CString& name, const CString& parentFolder, CProjects& projects)
{
    CString parent(parentFolder);
    TrimTrailingBackslashes(parent);
    if (parent.IsEmpty())
        return false;
    CProjectSettings package;
    package.m_productName = MakeUniquePackageName(name, projects, parent);
    if (package.m_productName.IsEmpty())
        return false;
    const CString folder = PackageFolderOf(parent, package.m_productName);
    package.m_outputFolder = folder;
    package.m_outputFileName.Format(L"%s.msi", package.m_productName.GetString());
    const CString path = PackageFileOf(folder, package.m_productName);
    if (path.GetLength() >= MAX_PATH)
        return false; // the editor and the builder work with paths of up to MAX_PATH characters
    if (CreateDirectoryTree(folder) != 0)
        return false;
    if (SavePackageFile(path, package) != 1)
        return false;
    projects.Add(package);
    projects.m_packagePaths.Add(path);
    return true;
}

bool OpenPackageFile(const wchar_t* path, CProjects& projects)
{
    const CString fullPath = FullPath(path);
    if (IsListedPath(projects, fullPath))
        return false;
    CProjectSettings package;
    if (LoadPackageFile(fullPath, package) != 1)
        return false;
    package.m_productName = MakeUniquePackageName(package.m_productName, projects);
    package.m_outputFolder = GetFolderPart(fullPath);
    projects.Add(package);
    projects.m_packagePaths.Add(fullPath);
    return true;
}

// --- the global list and the data folder ------------------------------------------------------

CString GetDataFilePath()
{
    CString path;
    path.Format(L"%s\\%s.dat", DataFolder.GetString(), L"tarnwick");
    return path;
}

bool LoadDataFile()
{
    return LoadDataFile(GetDataFilePath(), Projects);
}

bool SaveDataFile()
{
    return SaveDataFile(GetDataFilePath(), Projects);
}

bool RestoreDefaultDataFile(const wchar_t* defaultDataFile)
{
    return RestoreDefaultDataFile(defaultDataFile, GetDataFilePath());
}

bool CreatePackage(const CString& name, const CString& parentFolder)
{
    return CreatePackage(name, parentFolder, Projects);
}

bool OpenPackageFile(const wchar_t* path)
{
    return OpenPackageFile(path, Projects);
}

bool OpenPackageFile()
{
    wchar_t file[MAX_PATH * 4] = L"*.tkpj";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = ::GetActiveWindow();
    dialog.lpstrFilter = L"Tarnwick Project\0*.tkpj\0All Files (*.*)\0*.*\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = static_cast<DWORD>(std::size(file));
    dialog.lpstrInitialDir = DataFolder.GetString();
    dialog.lpstrDefExt = L"tkpj";
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (!::GetOpenFileNameW(&dialog))
        return false;
    return OpenPackageFile(file, Projects);
}
