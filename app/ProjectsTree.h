#pragma once
// CProjectsTree: the packages tree. One root node per package, one child per project, and below
// each project the nodes that open its editors (NodeData.h). It owns the editor panels, has the
// main view host the panel of the selected node, and publishes the selection through
// CurrentPackageIndex and CurrentProjectIndex, set after the old panel was written back and before
// the new one loads.
//
// Changing the list under the panels: before a package or project is removed, the shown panel
// writes back and is let go, so no panel writes through an index the removal moved onto another
// record; the nodes are rebuilt and the first one is selected, which binds its panel anew.

#include "app/AppBases.h"
#include "app/CommandRules.h"
#include "app/OpenedPackages.h"
#include "app/PanelHosting.h"
#include "app/SettingsPanels.h"
#include "app/customactions/CustomActionsPanel.h"
#include "app/files/FilesPanel.h"
#include "app/registry/RegistryPanel.h"
#include "app/scripts/ScriptPanel.h"
#include "app/monitor/MonitorState.h"

#include "engine/storage/Projects.h"

#include "framework/window/ImageList.h"

#include <atomic>
#include <functional>
#include <memory>

class CWizard;

struct ProjectsTreeArgs {
    CWnd* parent = nullptr;           // the window the tree is a child of
    CPanelHost* host = nullptr;       // the main view; not owned
    UINT id = 0;
    CProjects* projects = nullptr;    // null: the global list
    CString dataFile;                 // empty: the data folder's file
    CString defaultDataFile;          // empty: the program folder's default
    // Opens a folder for Open in Explorer; empty: the shell's "open" verb, shown normally.
    std::function<void(const CString& folder)> openFolder;
};

class CProjectsTree : public AppTreeCtrl, public CPanelSite {
public:
    CProjectsTree() = default;

    // Creates the tree window, its panels, loads the data file (falling back to the default) and
    // fills the nodes.
    BOOL CreateTree(const ProjectsTreeArgs& args);

    // Rebuilds every node from the list and selects the remembered position.
    void FillTree();
    // Inserts one package with its projects as the last root node; null past the tree's limit.
    HTREEITEM AddPackageNodes(int packageIndex);
    // Deletes the selected package or project after asking (Yes/No/Cancel for a package, whose Yes
    // also recycles its files; Yes/No for a project); then saves. False when nothing was removed.
    bool DeleteSelected();
    // Open: asks for a package file and lists it (ListPackageFile). A cancelled dialog is no
    // failure; a failure is told. The data file is saved later, with the rest of the list.
    bool OpenPackage();
    // Lists the package file at path: its nodes go last, the shown nodes collapse and the new
    // package node is expanded and selected. The package counts as opened from then on, also in
    // later runs. A failure is told and changes nothing.
    bool ListPackageFile(const CString& path);
    // Open in Explorer: opens the output folder of the selected node's package; nothing when no
    // node is selected, a message when the folder is not an existing folder.
    void OpenOutputFolder();
    // Whether this run leaves the data file alone: it could be neither read nor set aside at
    // start-up (another program held it), so it still holds the user's list, which the empty
    // list of this run must not replace. Saves then write the package files only, and fail.
    bool KeepsDataFile() const { return m_keepDataFile; }
    // The package files opened rather than created here.
    const COpenedPackages& OpenedPackages() const { return m_opened; }

    // Remembers the selection, writes the shown panel back and saves the data file and every
    // package file; false when the save failed (the caller tells the user).
    bool SaveProjects();

    bool IsPackageSelected() const;
    bool IsProjectSelected() const;
    bool HasSelection() const;
    TreeSelection Selection() const;
    // A package or project node is selected, and it does not hold the project whose script a
    // test is playing.
    bool CanDelete() const;
    bool CanBuild() const { return ::CanBuild(*m_projects, Selection(), m_buildBusy); }
    // The worker threads the tree started that still run (they write into the tree and panels).
    RunningWork Work() const { return {m_buildBusy, IsMonitorRunning(), IsScriptTesting()}; }
    bool IsScriptTesting() const { return m_scriptPanel && m_scriptPanel->IsTesting(); }
    bool IsBuilding() const { return m_buildBusy; }

    // The package list's selection memory.
    void RememberSelection();
    void RestoreSelection();

    CProjectPanel& PackagePanel() { return *m_packagePanel; }
    CFeaturePanel& ProjectPanel() { return *m_projectPanel; }
    // The files editor; null when the tree was made without a host.
    CFilesPanel* FilesPanel() { return m_filesPanel.get(); }
    CRegistryPanel& RegistryPanel() { return *m_registryPanel; }
    CScriptPanel& ScriptPanel() { return *m_scriptPanel; }
    CProjects& List() { return *m_projects; }

    // Runs the new-project wizard; on Finish makes the package when asked for, adds the project
    // with its nodes, selects its "Install Script" node (or the project for a repackaged one) and
    // saves. A package that cannot be made is reported and the project is dropped.
    virtual void NewProject();
    // Called with each wizard before it runs (the monitor page is added here).
    void SetWizardPreparation(std::function<void(CWizard&)> prepare) { m_prepareWizard = std::move(prepare); }

    // Command 32784: saves, runs the build dialog on the selected node's package and, on OK,
    // builds a copy of that package on a worker thread; TRUE when the thread was started.
    BOOL BuildSelectedPackage();

    // The context menu of the tree, also reached through the main frame: acts only when window is
    // the tree. From the keyboard (point -1, -1) it opens 5 pixels right of and below the tree's
    // top-left corner. With a selected node it is the main menu's actions menu; without, the File
    // menu's two package commands. Its commands go to the main window.
    void OnContextMenu(CWnd* window, CPoint point);

    // CPanelSite: the panels rename the selected node while the user types.
    bool HasSelectedItem() const override { return SelectedNode() != nullptr; }
    void SetSelectedItemText(const CString& text) override;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);

private:
    // The caret node when its state says it is selected; null otherwise.
    HTREEITEM SelectedNode() const;
    // Rebuilds all nodes with selection handling off, then selects the first root (which binds
    // its panel) and saves.
    void RebuildAfterRemoval();
    // Lets the editor panels go of the records before the list changes shape under them.
    void ReleaseEditors();
    // Adds the nodes of the package the list has just gained at its end and selects it.
    void ShowAddedPackage();
    CString DataFilePath() const;
    // The registry editor lets go of the project it shows, remembering its key in the project that
    // node names (while the node's indexes still name that project).
    void LeaveRegistry(HTREEITEM node);

    ProjectsTreeArgs m_args;
    CProjects* m_projects = &Projects;  // not owned
    CPanelHost* m_host = nullptr;       // not owned
    std::unique_ptr<CProjectPanel> m_packagePanel;   // made for the tree's list at creation
    std::unique_ptr<CFeaturePanel> m_projectPanel;
    std::unique_ptr<CFilesPanel> m_filesPanel;                   // a splitter on the view
    std::unique_ptr<CRegistryPanel> m_registryPanel;             // a splitter on the view
    std::unique_ptr<CCustomActionsPanel> m_customActionsPanel;   // made, never shown: no node opens it
    std::unique_ptr<CScriptPanel> m_scriptPanel;                 // both script nodes
    CImageList m_images;
    COpenedPackages m_opened;
    std::atomic<bool> m_buildBusy{false};    // set while the build thread runs
    std::function<void(CWizard&)> m_prepareWizard;
    bool m_handleSelection = true;
    bool m_keepDataFile = false;

    DECLARE_MESSAGE_MAP()
};
