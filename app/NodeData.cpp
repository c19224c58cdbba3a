#include "app/NodeData.h"

#include <algorithm>

DWORD MakeNodeData(NodeKind kind, int packageIndex, int projectIndex)
{
    return static_cast<DWORD>(kind) | (static_cast<DWORD>(packageIndex & 0xFF) << 16) |
           (static_cast<DWORD>(projectIndex & 0xFF) << 24);
}

std::vector<NodeSpec> BuildProjectNodes(const CFeature& project, int packageIndex, int projectIndex)
{
    std::vector<NodeSpec> nodes;
    nodes.push_back({project.m_name, MakeNodeData(NodeKind::project, packageIndex, projectIndex), 1});
    nodes.push_back({L"Files", MakeNodeData(NodeKind::files, packageIndex, projectIndex), 2});
    nodes.push_back({L"Registry", MakeNodeData(NodeKind::registry, packageIndex, projectIndex), 2});
    if (project.m_conversionMode == CFeature::modeGuiScript || project.m_conversionMode == CFeature::modeCommandLine) {
        nodes.push_back({L"Install Script", MakeNodeData(NodeKind::installScript, packageIndex, projectIndex), 2});
        nodes.push_back({L"Uninstall Script", MakeNodeData(NodeKind::uninstallScript, packageIndex, projectIndex), 2});
    }
    return nodes;
}

std::vector<NodeSpec> BuildPackageNodes(const CProjectSettings& package, int packageIndex)
{
    std::vector<NodeSpec> nodes;
    nodes.push_back({package.m_productName, MakeNodeData(NodeKind::package, packageIndex, 0), 0});
    const int shown = ShownProjectCount(package);
    for (int i = 0; i < shown; ++i) {
        std::vector<NodeSpec> project = BuildProjectNodes(package.m_projects[i], packageIndex, i);
        nodes.insert(nodes.end(), project.begin(), project.end());
    }
    return nodes;
}

int ShownPackageCount(const CProjects& projects)
{
    return std::min(static_cast<int>(projects.GetSize()), kMaxTreePackages);
}

int ShownProjectCount(const CProjectSettings& package)
{
    return std::min(static_cast<int>(package.m_projects.GetSize()), kMaxTreeProjects);
}

bool HasRoomForPackage(const CProjects& projects, CString* message)
{
    if (projects.GetSize() < kMaxTreePackages)
        return true;
    if (message)
        message->Format(L"The list already holds %d packages, the most it can show.\n"
                        L"Remove a package before adding another.",
                        kMaxTreePackages);
    return false;
}

bool HasRoomForProject(const CProjectSettings& package, CString* message)
{
    if (package.m_projects.GetSize() < kMaxTreeProjects)
        return true;
    if (message)
        message->Format(L"The package \"%s\" already holds %d projects, the most it can show.\n"
                        L"Remove a project before adding another.",
                        package.m_productName.GetString(), kMaxTreeProjects);
    return false;
}
