// Captured files to file records: existing files inside a known system folder that the file filter
// lets through become file records (shortcuts become shortcut records), with folder records for
// the folders on the way, all in folder-property form.

#include "engine/monitor/InstallMonitor.h"

#include "engine/files/SystemFolderTable.h"
#include "engine/monitor/ShortcutReader.h"

bool CInstallMonitor::IsExcludedFile(const CString& path) const
{
    return MatchesFilterEntry(m_fileFilter, path, false);
}

void CInstallMonitor::AddChangedFiles(const CStringList& changedPaths)
{
    CFileEntries& files = m_project.m_files;
    for (POSITION position = changedPaths.GetHeadPosition(); position;) {
        const CString& realPath = changedPaths.GetNext(position);
        const DWORD attributes = GetFileAttributesW(realPath);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        CString path = realPath;
        if (!MakeFolderRelativePath(path) || IsExcludedFile(path))
            continue;

        // The folder records on the way. Only the first level is a root: a deeper folder that
        // happens to be called like a property (App\Temp\) is an ordinary folder of its parent.
        const int lastSlash = path.ReverseFind(L'\\');
        CString cumulative;
        int start = 0;
        bool first = true;
        while (start < lastSlash) {
            const int slash = path.Find(L'\\', start); // at lastSlash at the latest
            const CString part = path.Mid(start, slash - start);
            cumulative += part + L"\\";
            if (!files.FindByPath(cumulative)) {
                CFileEntry folder;
                folder.m_kind = first && IsSystemFolderName(part) ? CFileEntry::kindRoot : CFileEntry::kindFolder;
                folder.m_path = cumulative;
                files.Add(folder);
            }
            first = false;
            start = slash + 1;
        }
        if (files.FindByPath(path))
            continue;

        CFileEntry entry;
        entry.m_path = path;
        const int dot = realPath.ReverseFind(L'.');
        if (dot >= 0 && realPath.Mid(dot).CompareNoCase(L".lnk") == 0) {
            if (ReadShortcut(entry, realPath) != S_OK)
                continue;
        } else {
            entry.m_kind = CFileEntry::kindFile;
            entry.m_sourcePath = realPath;
            // A file that vanished since the existence test keeps what it has; the copy reports it.
            (void)entry.ReadFileAttributes();
        }
        files.Add(entry);
    }
}
