// Shortcuts and their icons: every shortcut of every project becomes a Shortcut row pointing at a
// file of its own project, and an Icon row when an icon can be found for it: the icon the user
// picked (stored as "resources\I<id>.ico" in the output folder), else the chosen icon group of the
// module the shortcut names, else the same group of the target file.

#include "engine/msi/MsiTools.h"

#include "engine/files/IconGroup.h"
#include "engine/files/PathHelpers.h"
#include "engine/files/SystemFolderTable.h"
#include "engine/msi/TempFile.h"

#include <shellapi.h>

namespace {

// The template database's own icon; shortcuts without an icon of their own show it.
constexpr wchar_t kTemplateIcon[] = L"I_F7C29D1C99043FAB8EE73397827D227.ico";

// True when the shell can take an icon from the file (an .ico file or a module with icons).
bool HasIcon(const CString& path)
{
    const HICON icon = ExtractIconW(GetModuleHandleW(nullptr), path, 0);
    // 1 means "a file, but no module or icon file"
    if (icon == nullptr || icon == reinterpret_cast<HICON>(1))
        return false;
    DestroyIcon(icon);
    return true;
}

} // namespace

UINT CMsiTools::WriteShortcutIcon(const CFileEntry& shortcut, const CString& targetSource, UniqueMsiHandle& view,
                                  CString& iconKey)
{
    iconKey = kTemplateIcon;
    CString iconPath;
    iconPath.Format(L"%s\\resources\\I%s.ico", m_package->m_outputFolder.GetString(), shortcut.m_id.GetString());
    const bool picked = HasIcon(iconPath);
    const CTempFile extracted(picked ? CString() : MakeTempFileName());
    if (!picked) {
        // The chosen group of the module the shortcut names, else the same group of its target.
        const auto extractFrom = [&](const CString& module) {
            IconGroupEnumRecord record;
            record.wantedPosition = shortcut.m_iconIndex;
            return ExtractIconGroupToIcoFile(nullptr, &record, module, extracted.Path());
        };
        const bool done =
            !extracted.Path().IsEmpty() &&
            ((!shortcut.m_iconFile.IsEmpty() && extractFrom(m_package->m_outputFolder + L"\\" + shortcut.m_iconFile)) ||
             extractFrom(targetSource));
        if (!done || !HasIcon(extracted.Path()))
            return ERROR_SUCCESS;
        iconPath = extracted.Path();
    }

    const CString key = L"I_" + shortcut.m_id + L".ico";
    const UINT result = InsertRow(view, L"INSERT INTO `Icon` (`Name`, `Data`) VALUES (?, ?)",
                                  {key, MsiValue::Stream(iconPath)});
    if (result == ERROR_SUCCESS)
        iconKey = key;
    return result;
}

UINT CMsiTools::WriteShortcutTable()
{
    UniqueMsiHandle view;
    const CFeatures& projects = m_package->m_projects;
    for (int p = 0; p < projects.GetSize(); ++p) {
        const CFeature& project = projects[p];
        for (int i = 0; i < project.m_files.GetSize(); ++i) {
            const CFileEntry& shortcut = project.m_files[i];
            if (shortcut.m_kind != CFileEntry::kindShortcut)
                continue;

            const CString path = RedirectTempPath(shortcut.m_path, project.m_id);
            const int slash = path.ReverseFind(L'\\');
            const CString name = path.Mid(slash + 1);
            const CString folderPath = path.Left(slash + 1);
            const CFileEntry* folder = m_folders.FindByPath(folderPath);
            if (!folder) {
                AppendOutputFormat(L"> !Error: Target directory %s for shortcut %s is not found.",
                                   folderPath.GetString(), shortcut.m_path.GetString());
                return ERROR_INVALID_DATA;
            }

            if (!CheckNameFitsCodePage(path))
                return ERROR_INVALID_DATA;

            // Only a file has the component the shortcut belongs to.
            const CFileEntry* target = project.m_files.FindByPath(shortcut.m_sourcePath);
            if (!target || target->m_kind != CFileEntry::kindFile) {
                AppendOutputFormat(L"> !Error: Target file %s for shortcut %s is not found.",
                                   shortcut.GetSourcePath(SourceBaseFolder()).GetString(),
                                   shortcut.m_path.GetString());
                return ERROR_INVALID_DATA;
            }

            CString workingDirectory = shortcut.m_workingDirectory;
            workingDirectory.Trim();
            if (workingDirectory.IsEmpty())
                workingDirectory = GetFolderPartWithSlash(target->m_path);
            workingDirectory = RedirectTempPath(workingDirectory, project.m_id);
            CString workingKey;
            if (const CFileEntry* workingFolder = m_folders.FindByPath(workingDirectory)) {
                workingKey = DirectoryKey(*workingFolder);
            } else {
                workingKey = workingDirectory;
                workingKey.Trim(L'\\');
                if (!IsSystemFolderName(workingKey))
                    AppendOutputFormat(L"> !Error: Invalid working directory %s for shortcut %s",
                                       workingDirectory.GetString(), shortcut.m_path.GetString());
            }

            CString iconKey;
            UINT result = WriteShortcutIcon(shortcut, target->GetSourcePath(SourceBaseFolder()), view, iconKey);
            if (result != ERROR_SUCCESS)
                return result;

            const bool advertised = m_package->m_noRegistration == 0 && shortcut.m_attributes != 0;
            result = InsertRow(view,
                L"INSERT INTO `Shortcut` (`Shortcut`, `Directory_`, `Name`, `Component_`, `Target`, "
                L"`Arguments`, `Icon_`, `IconIndex`, `ShowCmd`, `WkDir`) VALUES (?, ?, ?, ?, ?, ?, ?, 0, 1, ?)",
                {L"S_" + shortcut.m_id, DirectoryKey(*folder), name, L"C_" + target->m_id,
                 advertised ? MakeFeatureKey(project.m_id) : L"[#F_" + target->m_id + L"]", shortcut.m_arguments,
                 iconKey, workingKey});
            if (result != ERROR_SUCCESS)
                return result;
        }
    }
    return ERROR_SUCCESS;
}
