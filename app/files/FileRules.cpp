#include "app/files/FileRules.h"

#include "app/TreeItems.h"

#include "engine/files/PathHelpers.h"
#include "engine/storage/Projects.h"

#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

CString FormatFileSize(DWORD bytes)
{
    const DWORD counted = bytes < 1024 ? 1024 : bytes;
    // rounded like "%.0f" of the size in KB: half a KB and more goes up
    const unsigned long long kilobytes = (static_cast<unsigned long long>(counted) + 512) / 1024;
    std::wstring digits = std::to_wstring(kilobytes);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), 1, L',');
    return CString(digits.c_str()) + L" KB";
}

bool PathStartsWith(const CString& path, const CString& prefix)
{
    return treeitems::StartsWithNoCase(path, prefix);
}

namespace {
// Whether files exist, answered from one listing per folder: a big folder's rows test thousands
// of files that mostly come from a few source folders, and one listing costs far less than a
// file-system query per file. Paths that a listing cannot answer exactly (relative ones, "." and
// "..", wildcards) are asked about one by one.
class ExistenceCache {
public:
    bool Exists(const CString& path)
    {
        const int slash = path.ReverseFind(L'\\');
        if (slash < 3 || slash + 1 >= path.GetLength() || path.FindOneOf(L"*?") >= 0 || path.Find(L"\\.") >= 0 ||
            path.Find(L':') != 1)
            return ::PathFileExistsW(path) != FALSE;
        std::wstring folder = treeitems::FoldName(path.Left(slash));
        auto listed = m_folders.find(folder);
        if (listed == m_folders.end())
            listed = m_folders.emplace(folder, List(path.Left(slash))).first;
        return listed->second.count(treeitems::FoldName(path.Mid(slash + 1))) != 0;
    }

private:
    static std::unordered_set<std::wstring> List(const CString& folder)
    {
        std::unordered_set<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileExW(folder + L"\\*", FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            names.insert(treeitems::FoldName(found.cFileName));
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
        return names;
    }

    std::unordered_map<std::wstring, std::unordered_set<std::wstring>> m_folders;
};
}  // namespace

std::vector<FolderRow> ListFolderRows(const CFileEntries& entries, const FolderRowsArgs& args)
{
    ExistenceCache cache;
    const auto exists = [&](const CString& path) { return args.fileExists ? args.fileExists(path) : cache.Exists(path); };
    CString filter = args.filter;
    filter.MakeLower();
    std::vector<FolderRow> rows;
    std::unordered_set<std::wstring> listed;            // folded row texts
    std::unordered_set<std::wstring> paths;             // folded entry paths, made on first need
    bool pathsMade = false;
    for (INT_PTR i = 0; i < entries.GetSize(); ++i) {
        const CFileEntry& entry = entries[i];
        if (entry.m_kind == CFileEntry::kindRoot || !PathStartsWith(entry.m_path, args.folder))
            continue;
        if (!filter.IsEmpty()) {
            CString lowered = entry.m_path;
            lowered.MakeLower();
            if (lowered.GetLength() < filter.GetLength() || lowered.Right(filter.GetLength()) != filter)
                continue;
        }
        CString rest = entry.m_path.Mid(args.folder.GetLength());
        const int slash = rest.Find(L'\\');
        const bool direct = slash < 0;
        if (!direct)
            rest = rest.Left(slash);
        if (rest.IsEmpty() || !listed.insert(treeitems::FoldName(rest)).second)
            continue;
        FolderRow row{rest, L"Folder", imageFolder, static_cast<int>(i)};
        if (direct) {
            if (entry.m_kind == CFileEntry::kindFile) {
                row.type = L"File";
                row.image = exists(entry.GetSourcePath(args.baseFolder)) ? imageFile : imageMissing;
            } else if (args.filesOnly) {
                listed.erase(treeitems::FoldName(rest));
                continue;
            } else if (entry.m_kind == CFileEntry::kindShortcut) {
                if (!pathsMade) {
                    for (INT_PTR j = 0; j < entries.GetSize(); ++j)
                        paths.insert(treeitems::FoldName(entries[j].m_path));
                    pathsMade = true;
                }
                row.type = L"Shortcut";
                row.image = paths.count(treeitems::FoldName(entry.m_sourcePath)) ? imageShortcut : imageMissing;
            }
        }
        rows.push_back(row);
    }
    std::stable_sort(rows.begin(), rows.end(), [&](const FolderRow& a, const FolderRow& b) {
        const bool aFolder = a.image == imageFolder, bFolder = b.image == imageFolder;
        if (aFolder != bFolder)
            return aFolder;
        return ComparePathsNoCase(entries[a.entry].m_path, entries[b.entry].m_path) < 0;
    });
    return rows;
}

CString MapToMachinePath(const CString& destinationPath, const CSystemFolderTable& table)
{
    const int slash = destinationPath.Find(L'\\');
    const CString first = slash < 0 ? destinationPath : destinationPath.Left(slash);
    for (int i = 0; i < CSystemFolderTable::kRowCount; ++i) {
        const SystemFolderRow& row = table.Row(i);
        if (row.csidl == CSystemFolderTable::kNoFolder || row.path.IsEmpty())
            continue;
        if (SamePathNoCase(first, row.property))
            return row.path + (slash < 0 ? CString() : destinationPath.Mid(slash));
    }
    return destinationPath;
}

CString CleanEntryName(const CString& typed)
{
    CString name = treeitems::RemoveForbiddenChars(typed);
    name.Trim();
    return name;
}

CString RenamedPath(const CFileEntries& entries, const CString& entryPath, const CString& startPath,
                    const CString& typedName, bool refuseNonShortcuts)
{
    const CString name = CleanEntryName(typedName);
    if (name.IsEmpty())
        return CString();
    const CString newPath = GetFolderPartWithSlash(entryPath) + name;
    // a folder of that name (its own entry, or entries below it) is no file a rename may become
    const CString asFolder = newPath + L"\\";
    for (INT_PTR i = 0; i < entries.GetSize(); ++i) {
        if (PathStartsWith(entries[i].m_path, asFolder))
            return CString();
    }
    if (const CFileEntry* existing = entries.FindByPath(newPath)) {
        if (refuseNonShortcuts && existing->m_kind != CFileEntry::kindShortcut)
            return CString();
        if (!SamePathNoCase(newPath, startPath))
            return CString();
    }
    return newPath;
}

