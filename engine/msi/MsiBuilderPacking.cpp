// File packing: the files of the File table put where Windows Installer looks for them, and the
// Media row that says where that is. Files are taken in the File table's order (PackageFiles), so
// that LastSequence covers exactly the numbers that step gave.
// Two layouts: loose files copied beside the package under their tree paths (which are the
// Directory table's long source names), or one cabinet stored inside the database as a stream.

#include "engine/msi/MsiTools.h"

#include "engine/files/Globals.h"
#include "engine/files/PathHelpers.h"
#include "engine/files/WideBuffer.h"
#include "engine/model/RecordLookup.h"

namespace {

// True when the path stays inside the folder it is joined to: no drive, no root, no "..". The
// file system takes "/" as a separator too.
bool StaysInside(const CString& treePath)
{
    if (treePath.IsEmpty() || treePath[0] == L'\\' || treePath[0] == L'/' || treePath.Find(L':') >= 0)
        return false;
    int start = 0;
    for (int i = 0; i <= treePath.GetLength(); ++i) {
        if (i == treePath.GetLength() || treePath[i] == L'\\' || treePath[i] == L'/') {
            const CString part = treePath.Mid(start, i - start);
            if (part == L"..")
                return false;
            start = i + 1;
        }
    }
    return true;
}

} // namespace

UINT CMsiTools::PackFiles()
{
    if (PackageFiles().empty())
        return ERROR_SUCCESS;
    if (m_package->m_packageFiles == CProjectSettings::filesLoose)
        return CopyLooseFiles();
    return CompressFiles();
}

UINT CMsiTools::CopyLooseFiles()
{
    const CString& outputFolder = m_package->m_outputFolder;
    const std::vector<PackageFile> files = PackageFiles();
    for (const PackageFile& file : files) {
        // A file without a source path lies in the package's folder, which is the output folder
        // unless the user builds elsewhere: then it must be copied like any other.
        const CString& source = file.source;
        const CString& treePath = file.treePath;
        if (!StaysInside(treePath)) {
            AppendOutputFormat(L"> !Error: The path %s of file %s leads out of the output folder.",
                               treePath.GetString(), source.GetString());
            return ERROR_INVALID_DATA;
        }

        CString folder;
        folder.Format(L"%s\\%s", outputFolder.GetString(), GetFolderPart(treePath).GetString());
        DWORD error = CreateDirectoryTree(folder);
        if (error != ERROR_SUCCESS) {
            AppendOutputFormat(L"! CreateDirectory failed. Error:(%d)%s ...", static_cast<int>(error),
                               FormatSystemErrorText(error).GetString());
            return error;
        }
        CString target;
        target.Format(L"%s\\%s", outputFolder.GetString(), treePath.GetString());
        if (recordlookup::EqualsNoCase(source, target))
            continue;
        AppendOutputFormat(L"> CopyFile: '%s'", target.GetString());
        // A copy of a read-only source is read-only too, and would refuse the next build's copy.
        SetFileAttributesW(target, FILE_ATTRIBUTE_NORMAL);
        if (!CopyFileW(source, target, FALSE)) {
            error = GetLastError();
            AppendOutputFormat(L"! CopyFile failed. Error:(%d)%s ...", static_cast<int>(error),
                               FormatSystemErrorText(error).GetString());
            return error;
        }
    }
    UniqueMsiHandle view;
    return InsertRow(view, L"INSERT INTO `Media` (`DiskId`, `LastSequence`) VALUES (1, ?)",
                     {static_cast<int>(files.size())});
}
