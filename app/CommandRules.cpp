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
