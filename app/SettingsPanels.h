#pragma once
// The two upper-level editor panels the main view hosts: CProjectPanel edits the package of a
// selected package node, CFeaturePanel the project of a selected project node. Both edit the
// package list in place through CurrentPackageIndex and CurrentProjectIndex, which the packages
// tree sets before it shows them, and hold nothing of their own: an exchange with no record at the
// indexes does nothing, so a panel never writes through an index the list no longer has.
//
// Renaming: every keystroke in the name box stores the panel's fields, makes the name unique
// (UniqueNames.h) and renames the tree's selected item through the panel's site. The box is
// written back only when the name changed, so the caret stays where the user types.

#include "app/AppBases.h"

#include "engine/storage/Projects.h"

// What a panel asks of the packages tree.
class CPanelSite {
public:
    virtual ~CPanelSite() = default;
    virtual bool HasSelectedItem() const = 0;
    virtual void SetSelectedItemText(const CString& text) = 0;
};

class CSettingsPanel : public AppResizeDialog {
    DECLARE_DYNAMIC(CSettingsPanel)
public:
    CSettingsPanel(UINT nIDTemplate, CProjects& projects) : AppResizeDialog(nIDTemplate), m_projects(projects) {}

    // Makes the panel's window (hidden) as a child of parent.
    BOOL CreatePanel(CWnd* parent);
    void SetSite(CPanelSite* site) { m_site = site; }

protected:
    // Enter and Esc in a panel must neither end nor hide it.
    void OnOK() override {}
    void OnCancel() override {}

    // The name box's edit-change: stores the fields, then the unique name, and renames the item.
    void RenameFromBox(int nameBox, CString* storedName, const CString& uniqueName);

    CProjects& m_projects;          // not owned
    CPanelSite* m_site = nullptr;   // not owned
};

class CProjectPanel : public CSettingsPanel {
    DECLARE_DYNAMIC(CProjectPanel)
public:
    explicit CProjectPanel(CProjects& projects = Projects);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnNameChange();
    void OnNoRegistrationClicked();

private:
    CProjectSettings* CurrentPackage();

    DECLARE_MESSAGE_MAP()
};

class CFeaturePanel : public CSettingsPanel {
    DECLARE_DYNAMIC(CFeaturePanel)
public:
    explicit CFeaturePanel(CProjects& projects = Projects);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnNameChange();

private:
    CFeature* CurrentProject();

    DECLARE_MESSAGE_MAP()
};
