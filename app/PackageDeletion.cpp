#include "app/PackageDeletion.h"

#include "app/AppPaths.h"
#include "app/ShellFiles.h"

#include "engine/files/Globals.h"
#include "engine/files/PathHelpers.h"

#include <shlobj.h>

namespace {

CString FullPath(const CString& path)
{
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = ::GetFullPathNameW(path, MAX_PATH * 4, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH * 4)
        return path;
    return CString(buffer, static_cast<int>(length));
}

CString NormalFolder(const CString& path)
{
    CString folder = FullPath(path);
    TrimTrailingBackslashes(folder);
    return folder;
}

// "C:", "\\server\share" and the like: a folder with no parent folder of its own.
bool IsVolumeRoot(const CString& folder)
{
    if (folder.GetLength() <= 2)
        return true;    // "C:" or less
    if (folder.Left(2) == L"\\\\") {
        // \\server\share (or \\?\C:): at most three separators after the leading two
        int separators = 0;
        for (int i = 2; i < folder.GetLength(); ++i)
            if (folder[i] == L'\\')
                ++separators;
        return separators <= 1 || (folder.Left(4) == L"\\\\?\\" && folder.GetLength() <= 6);
    }
    return folder.Find(L'\\') < 0;
}

// Whether folder is protected itself or holds a protected folder.
bool IsOrHolds(const CString& folder, const CString& protectedFolder)
{
    const CString guarded = NormalFolder(protectedFolder);
    if (guarded.IsEmpty())
        return false;
    if (SamePathNoCase(folder, guarded))
        return true;
    return guarded.GetLength() > folder.GetLength() && guarded[folder.GetLength()] == L'\\' &&
           SamePathNoCase(guarded.Left(folder.GetLength()), folder);
}

CString SpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return CString();
    return CString(path);
}

} // namespace

std::vector<CString> ProtectedFolders()
{
    std::vector<CString> folders;
    for (const CString& folder : {DataFolder, SpecialFolder(CSIDL_PERSONAL), SpecialFolder(CSIDL_DESKTOPDIRECTORY),
                                  SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY), SpecialFolder(CSIDL_COMMON_DOCUMENTS),
                                  GetProgramFolder()})
        if (!folder.IsEmpty())
            folders.push_back(folder);
    return folders;
}

PackageDeletionPlan PlanPackageDeletion(const CString& packagePath, bool openedPackage,
                                        const std::vector<CString>& protectedFolders)
{
    PackageDeletionPlan plan;
    const CString file = FullPath(packagePath);
    plan.file = file;
    if (openedPackage)
        return plan;
    const CString folder = GetFolderPart(file);
    if (folder.IsEmpty() || IsVolumeRoot(folder))
        return plan;
    // the folder package creation makes is named like its package file without ".tkpj"
    CString fileName = file.Mid(folder.GetLength() + 1);
    if (fileName.GetLength() <= 5 || fileName.Right(5).CompareNoCase(L".tkpj") != 0)
        return plan;
    const CString stem = fileName.Left(fileName.GetLength() - 5);
    const CString folderName = folder.Mid(folder.ReverseFind(L'\\') + 1);
    if (!SamePathNoCase(stem, folderName))
        return plan;
    for (const CString& guarded : protectedFolders)
        if (IsOrHolds(folder, guarded))
            return plan;
    plan.folder = folder;
    plan.file.Empty();
    return plan;
}

bool RecyclePackageFiles(const PackageDeletionPlan& plan)
{
    const CString& target = plan.folder.IsEmpty() ? plan.file : plan.folder;
    if (target.IsEmpty())
        return true;
    if (::GetFileAttributesW(target) == INVALID_FILE_ATTRIBUTES)
        return true;    // nothing left to delete
    return DeleteFolderThroughShell(target, false);
}
