#include "app/PackageCommands.h"

#include "app/NodeData.h"

#include "engine/files/Globals.h"
#include "engine/files/PathHelpers.h"

#include <commdlg.h>

#include <iterator>

namespace {

CString FullPath(const CString& path)
{
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = ::GetFullPathNameW(path, static_cast<DWORD>(std::size(buffer)), buffer, nullptr);
    if (length == 0 || length >= std::size(buffer))
        return path;
    return CString(buffer, static_cast<int>(length));
}

bool IsListed(const CProjects& projects, const CString& path)
{
    const CString full = FullPath(path);
    for (const CString& listed : projects.m_packagePaths)
        if (SamePathNoCase(FullPath(listed), full))
            return true;
    return false;
}

OpenResult Failed(CString* message, const CString& text)
{
    if (message)
        *message = text;
    return OpenResult::failed;
}

} // namespace

OpenResult OpenPackageAt(const CString& path, CProjects& projects, CString* message)
{
    CString text;
    if (!HasRoomForPackage(projects, &text))
        return Failed(message, text);
    if (IsListed(projects, path)) {
        text.Format(L"The package file\n%s\nis already in the list.", path.GetString());
        return Failed(message, text);
    }
    if (!OpenPackageFile(path, projects)) {
        text.Format(L"The package file\n%s\ncould not be opened: it is missing, unreadable or not a package file.",
                    path.GetString());
        return Failed(message, text);
    }
    return OpenResult::opened;
}

OpenResult OpenPackageFromUser(HWND owner, CProjects& projects, CString* message)
{
    // the room is checked first: choosing a file only to be told the list is full wastes a step
    if (!HasRoomForPackage(projects, message))
        return OpenResult::failed;
    wchar_t file[MAX_PATH * 4] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"Tarnwick Project\0*.tkpj\0All Files (*.*)\0*.*\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = static_cast<DWORD>(std::size(file));
    dialog.lpstrInitialDir = DataFolder.GetString();
    dialog.lpstrDefExt = L"tkpj";
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (!::GetOpenFileNameW(&dialog)) {
        if (::CommDlgExtendedError() == 0)
            return OpenResult::cancelled;
        if (message)
            message->Format(L"The file dialog could not be shown (error 0x%lX).",
                            static_cast<unsigned long>(::CommDlgExtendedError()));
        return OpenResult::failed;
    }
    return OpenPackageAt(file, projects, message);
}

bool CreatePackageForProject(const CString& projectName, const CString& location, CProjects& projects,
                             CString* message)
{
    if (!HasRoomForPackage(projects, message))
        return false;
    if (CreatePackage(projectName, location, projects))
        return true;
    if (message)
        message->Format(L"A package for \"%s\" could not be created in\n%s\n"
                        L"Check that the name can be a file name and that the folder can be written.",
                        projectName.GetString(), location.GetString());
    return false;
}

bool RemovePackageAt(CProjects& projects, int index)
{
    if (index < 0 || index >= projects.GetSize())
        return false;
    projects.RemoveAt(index);
    if (index < projects.m_packagePaths.GetSize())
        projects.m_packagePaths.RemoveAt(index);
    return true;
}

bool RemoveProjectAt(CProjects& projects, int packageIndex, int index)
{
    if (packageIndex < 0 || packageIndex >= projects.GetSize())
        return false;
    CFeatures& features = projects[packageIndex].m_projects;
    if (index < 0 || index >= features.GetSize())
        return false;
    features.RemoveAt(index);
    return true;
}
