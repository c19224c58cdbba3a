// The packages tree's build command and the build thread.
//
// Threads: the user-interface thread saves, runs the build dialog and takes a copy of the package
// (with the folder of its package file) before it starts the worker, so nothing the user does
// next (removing or reordering packages, moving the selection) changes what is built. The worker
// builds only that copy, reports through the output sink's sent messages and its own result box,
// then clears the tree's busy flag; the main window refuses to close while the flag is set, so
// the tree outlives the thread.

#include "app/ProjectsTree.h"

#include "app/NodeData.h"
#include "app/build/BuildDialog.h"

#include "engine/files/PathHelpers.h"
#include "engine/msi/MsiTools.h"

#include "framework/window/WinApp.h"
#include "framework/window/WinThread.h"

#include <memory>

namespace {

struct BuildJob {
    CProjectSettings package;
    MsiBuildOptions options;
    std::atomic<bool>* busy;   // not owned: the tree's flag
};

UINT BuildThreadProc(LPVOID param)
{
    std::unique_ptr<BuildJob> job(static_cast<BuildJob*>(param));
    int result = 0;
    {
        CMsiTools builder(&job->package, job->options);
        result = builder.BuildPackage();
    }
    AfxMessageBox(BuildResultText(result), MB_OK | MB_ICONINFORMATION);
    job->busy->store(false);
    return 0;
}

} // namespace

BOOL CProjectsTree::BuildSelectedPackage()
{
    if (!CanBuild())
        return FALSE;
    if (!SaveProjects())
        AfxMessageBox(L"The package list could not be saved.", MB_OK | MB_ICONERROR);
    HTREEITEM node = SelectedNode();
    if (!node)
        return FALSE;
    const int index = NodePackageOf(GetItemData(node));
    if (index >= m_projects->GetSize())
        return FALSE;

    CBuildDialog dialog(AfxGetMainWnd());
    dialog.m_package = &(*m_projects)[index];
    if (dialog.DoModal() != IDOK)
        return FALSE;
    // the dialog's edits belong in the package file before the copy is built
    if (!SaveProjects())
        AfxMessageBox(L"The package list could not be saved.", MB_OK | MB_ICONERROR);

    auto job = std::make_unique<BuildJob>();
    job->package = (*m_projects)[index];
    if (index < m_projects->m_packagePaths.GetSize())
        job->options.packageFolder = GetFolderPart(m_projects->m_packagePaths[index]);
    job->busy = &m_buildBusy;
    m_buildBusy = true;
    if (!AfxBeginThread(BuildThreadProc, job.get())) {
        m_buildBusy = false;
        AfxMessageBox(L"The build could not be started.", MB_OK | MB_ICONERROR);
        return FALSE;
    }
    job.release();   // the thread owns it now
    return TRUE;
}
