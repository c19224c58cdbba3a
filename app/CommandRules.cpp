#include "app/CommandRules.h"

#include "app/NodeData.h"

#include "resources/app/AppResource.h"

bool CanDelete(const TreeSelection& selection)
{
    if (!selection.hasNode)
        return false;
    const NodeKind kind = NodeKindOf(selection.data);
    return kind == NodeKind::package || kind == NodeKind::project;
}

bool CanBuild(const CProjects& projects, const TreeSelection& selection, bool buildBusy)
{
    if (buildBusy || !selection.hasNode)
        return false;
    const int package = NodePackageOf(selection.data);
    return package < projects.GetSize() && projects[package].m_projects.GetSize() > 0;
}

bool IsCommandEnabled(UINT id, const CProjects& projects, const TreeSelection& selection, bool buildBusy)
{
    switch (id) {
    case ID_DELETE_ITEM:
        return CanDelete(selection);
    case ID_BUILD_PACKAGE:
        return CanBuild(projects, selection, buildBusy);
    default:
        return true;
    }
}

bool CanCloseNow(const RunningWork& work, CString* message)
{
    const wchar_t* what = work.building     ? L"A package is being built"
                          : work.monitoring ? L"An installation is being monitored"
                          : work.replaying  ? L"An install script is being played"
                                            : nullptr;
    if (!what)
        return true;
    if (message)
        message->Format(L"%s.\nWait until it has finished before closing Tarnwick.", what);
    return false;
}

OutputFolderChoice ChooseOutputFolder(const CProjects& projects, const TreeSelection& selection)
{
    OutputFolderChoice choice;
    if (!selection.hasNode)
        return choice;
    const int package = NodePackageOf(selection.data);
    if (package >= projects.GetSize())
        return choice;
    const CString& folder = projects[package].m_outputFolder;
    if (folder.IsEmpty()) {
        choice.message = L"The package has no output folder.";
        return choice;
    }
    const DWORD attributes = ::GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        choice.message.Format(L"The output folder\n%s\nis not a folder that exists.", folder.GetString());
        return choice;
    }
    choice.folder = folder;
    return choice;
}
