// The Directory table and the builder's folder list. Every root and folder that the projects use
// becomes one list entry (the first record of a path wins, compared without regard to case) and
// one Directory row. A wrapped project's "Temp\" tree moves into a folder of its own under the
// Windows folder, from which its custom action runs the setup program.

#include "engine/msi/MsiTools.h"

namespace {

constexpr wchar_t kTempRoot[] = L"Temp\\";
constexpr wchar_t kWindowsRoot[] = L"WindowsFolder\\";
constexpr wchar_t kWindowsTemp[] = L"WindowsFolder\\Temp\\";

void AddOnce(CFileEntries& folders, const CFileEntry& folder)
{
    if (!folders.FindByPath(folder.m_path))
        folders.Add(folder);
}

void AddNewFolderOnce(CFileEntries& folders, const CString& path)
{
    if (folders.FindByPath(path))
        return;
    CFileEntry folder; // a new id
    folder.m_kind = CFileEntry::kindFolder;
    folder.m_path = path;
    folders.Add(folder);
}

} // namespace

void CMsiTools::GatherFolders()
{
    m_folders.RemoveAll();
    const CFeatures& projects = m_package->m_projects;
    for (int p = 0; p < projects.GetSize(); ++p) {
        const CFeature& project = projects[p];
        for (int i = 0; i < project.m_files.GetSize(); ++i) {
            CFileEntry entry = project.m_files[i];
            if (entry.m_kind == CFileEntry::kindRoot) {
                if (entry.m_path == kTempRoot) {
                    entry.m_path = kWindowsRoot;
                    AddOnce(m_folders, entry);
                    AddNewFolderOnce(m_folders, kWindowsTemp);
                    AddNewFolderOnce(m_folders, ProjectTempFolder(project.m_id));
                } else {
                    AddOnce(m_folders, entry);
                }
            } else if (entry.m_kind == CFileEntry::kindFolder) {
                entry.m_path = RedirectTempPath(entry.m_path, project.m_id);
                AddOnce(m_folders, entry);
            }
        }
    }
}

UINT CMsiTools::WriteDirectoryTable()
{
    GatherFolders();

    for (int i = 0; i < m_folders.GetSize(); ++i)
        ReserveShortName(m_folders[i].m_path);

    UniqueMsiHandle view;
    for (int i = 0; i < m_folders.GetSize(); ++i) {
        const CFileEntry& folder = m_folders[i];
        CString parentKey = L"TARGETDIR";
        if (folder.m_kind != CFileEntry::kindRoot) {
            CString trimmed = folder.m_path;
            trimmed.Trim(L'\\');
            const CString parentPath = trimmed.Left(trimmed.ReverseFind(L'\\') + 1);
            const CFileEntry* parent = parentPath.IsEmpty() ? nullptr : m_folders.FindByPath(parentPath);
            if (!parent) {
                AppendOutputFormat(L"> !Error: Parent directory %s of directory %s is not found.",
                                   parentPath.GetString(), folder.m_path.GetString());
                return ERROR_INVALID_DATA;
            }
            parentKey = DirectoryKey(*parent);
        }
        if (!CheckNameFitsCodePage(folder.m_path))
            return ERROR_INVALID_DATA;
        const UINT result = InsertRow(view,
            L"INSERT INTO `Directory` (`Directory`, `Directory_Parent`, `DefaultDir`) VALUES (?, ?, ?)",
            {DirectoryKey(folder), parentKey, MakeShortLongName(folder.m_path)});
        if (result != ERROR_SUCCESS)
            return result;
    }
    return ERROR_SUCCESS;
}
