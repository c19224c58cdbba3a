// Files and components: every file of every project becomes a File row, a component of its own
// with the file as key path, and a FeatureComponents row in its project's feature. Files are
// numbered across the whole package in the order of PackageFiles, which the packing step walks too.

#include "engine/msi/MsiTools.h"

#include "engine/files/PathHelpers.h"
#include "engine/model/GuidText.h"

namespace {

} // namespace

bool IsUnder64BitRoot(const CString& treePath)
{
    const CString root = treePath.Left(treePath.Find(L'\\'));
    return root == L"ProgramFiles64Folder" || root == L"CommonFiles64Folder" || root == L"System64Folder";
}

std::vector<CMsiTools::PackageFile> CMsiTools::PackageFiles() const
{
    std::vector<PackageFile> files;
    const CFeatures& projects = m_package->m_projects;
    for (int p = 0; p < projects.GetSize(); ++p) {
        const CFeature& project = projects[p];
        for (int i = 0; i < project.m_files.GetSize(); ++i) {
            const CFileEntry& entry = project.m_files[i];
            if (entry.m_kind != CFileEntry::kindFile)
                continue;
            CFileEntry redirected = entry;
            redirected.m_path = RedirectTempPath(entry.m_path, project.m_id);
            files.push_back({&project, &entry, redirected.m_path, redirected.GetSourcePath(SourceBaseFolder())});
        }
    }
    return files;
}

UINT CMsiTools::WriteFilesTable()
{
    const std::vector<PackageFile> files = PackageFiles();
    // The package's platform first: whether a component is 64-bit depends on it, and the first
    // file may come before the one that decides it.
    for (const PackageFile& file : files) {
        ReserveShortName(file.treePath);
        if (IsUnder64BitRoot(file.treePath))
            m_is64Bit = 1;
    }

    UniqueMsiHandle view;
    int sequence = 0;
    for (const PackageFile& file : files) {
        const CFileEntry& entry = *file.entry;
        const CString& path = file.treePath;
        ++sequence;

        // The folder first: a File row without its component would be a broken row.
        const CString folderPath = GetFolderPartWithSlash(path);
        const CFileEntry* folder = m_folders.FindByPath(folderPath);
        if (!folder) {
            AppendOutputFormat(L"> !Error: Directory %s for file %s is not found.", folderPath.GetString(),
                               path.GetString());
            return ERROR_INVALID_DATA;
        }
        if (!CheckNameFitsCodePage(path))
            return ERROR_INVALID_DATA;
        const CString directoryKey = DirectoryKey(*folder);

        const CString fileKey = L"F_" + entry.m_id;
        const CString componentKey = L"C_" + entry.m_id;
        // The version of the very file that the packing stores.
        const CString version = GetFileVersionText(file.source);
        UINT result = InsertRow(view,
            L"INSERT INTO `File` (`File`, `Component_`, `FileName`, `FileSize`, `Version`, "
            L"`Language`, `Attributes`, `Sequence`) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
            {fileKey, componentKey, MakeShortLongName(path), entry.m_fileSize, version,
             version.IsEmpty() ? L"" : L"1033", entry.m_attributes, sequence});
        if (result != ERROR_SUCCESS)
            return result;

        // The record's own bit (set for a 64-bit image) is not asked: a 64-bit image in a 32-bit
        // package, or a data file under a 64-bit folder, must still agree with the package.
        const int componentAttributes = Component64BitAttribute(IsUnder64BitRoot(path));
        result = InsertRow(view,
            L"INSERT INTO `Component` (`Component`, `ComponentId`, `Directory_`, `Attributes`, "
            L"`Condition`, `KeyPath`) VALUES (?, ?, ?, ?, ?, ?)",
            {componentKey, NewGuidString(), directoryKey, componentAttributes, entry.m_condition, fileKey});
        if (result != ERROR_SUCCESS)
            return result;

        result = InsertRow(view, L"INSERT INTO `FeatureComponents` (`Feature_`, `Component_`) VALUES (?, ?)",
                           {MakeFeatureKey(file.project->m_id), componentKey}, 2);
        if (result != ERROR_SUCCESS)
            return result;
    }
    return ERROR_SUCCESS;
}
