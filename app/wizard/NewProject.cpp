// The packages tree's new-project command: the wizard, then the new project's nodes.

#include "app/ProjectsTree.h"

#include "app/NodeData.h"
#include "app/monitor/MonitorPage.h"
#include "app/wizard/Wizard.h"
#include "app/wizard/WizardRules.h"

#include "framework/window/WinApp.h"

void CProjectsTree::NewProject()
{
    CFeature project;
    project.m_name = L"New Project";
    // the page outlives the sheet: its destructor still waits for a worker the sheet left running
    CMonitorPP monitor;
    CWizard wizard(project, *m_projects, AfxGetMainWnd());
    wizard.SetMonitorPage(&monitor);
    if (m_prepareWizard)
        m_prepareWizard(wizard);
    if (wizard.DoModal() != ID_WIZFINISH)
        return;

    if (m_host)
        m_host->Panels().Show(nullptr);
    // the project may join a package whose project array then moves
    if (m_filesPanel)
        m_filesPanel->Release();
    const NewProjectResult added = AddWizardProject(project, wizard.m_packageChoice, wizard.m_location,
                                                    wizard.m_packageName, *m_projects);
    if (!added.added) {
        AfxMessageBox(added.message, MB_OK | MB_ICONERROR);
        return;
    }

    HTREEITEM packageNode = nullptr;
    HTREEITEM projectNode = nullptr;
    if (added.createdPackage) {
        // the new package's nodes include its one project already
        packageNode = AddPackageNodes(added.packageIndex);
        projectNode = packageNode ? GetChildItem(packageNode) : nullptr;
    } else {
        for (HTREEITEM root = GetRootItem(); root; root = GetNextSiblingItem(root)) {
            if (NodePackageOf(GetItemData(root)) == added.packageIndex) {
                packageNode = root;
                break;
            }
        }
        if (packageNode) {
            HTREEITEM parents[2] = {packageNode, nullptr};
            const CFeature& stored = (*m_projects)[added.packageIndex].m_projects[added.projectIndex];
            for (const NodeSpec& node : BuildProjectNodes(stored, added.packageIndex, added.projectIndex)) {
                const int image = NodeImageOf(NodeKindOf(node.data));
                HTREEITEM item = InsertItem(node.text, image, image, parents[node.depth == 1 ? 0 : 1]);
                SetItemData(item, node.data);
                if (node.depth == 1)
                    parents[1] = projectNode = item;
            }
        }
    }

    // collapse what shows, top to bottom, asking for the next node after each collapse
    for (HTREEITEM node = GetNextItem(nullptr, TVGN_FIRSTVISIBLE); node; node = GetNextItem(node, TVGN_NEXTVISIBLE))
        Expand(node, TVE_COLLAPSE);
    if (projectNode) {
        Expand(projectNode, TVE_EXPAND);
        HTREEITEM target = projectNode;
        if (project.m_conversionMode != CFeature::modeRepackage) {
            for (HTREEITEM child = GetChildItem(projectNode); child; child = GetNextSiblingItem(child)) {
                if (GetItemText(child).CompareNoCase(L"Install Script") == 0) {
                    target = child;
                    break;
                }
            }
        }
        SelectItem(target);
    }
    if (!SaveProjects())
        AfxMessageBox(L"The package list could not be saved.", MB_OK | MB_ICONERROR);
}
