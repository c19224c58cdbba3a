#pragma once
// CWizard: the new-project wizard. It asks for the project's name, its package (a new one or a
// listed one), the setup program and the conversion mode, then the arguments (command-line mode)
// or nothing more (GUI-script mode). It edits the caller's project and its own fields only:
// nothing reaches the package list before Finish, which the packages tree then carries out.
//
// Pages, in the order added: start, mode, [installation monitor,] parameters, finish. Next from
// the mode page jumps by the chosen mode; Back on every page after the start page walks the
// history of pages actually left with Next, not the page order. Every page posts its wizard
// buttons to the sheet when it becomes active. The monitoring mode's radio button is disabled
// while the wizard has no monitor page. The monitor page ends the wizard with its own Finish: it
// copies the captured files into the package folder that the start page fixed, so that folder
// and the package name must not change between the run and Finish.

#include "app/AppBases.h"
#include "app/MarkupStatic.h"

#include "engine/model/Feature.h"
#include "engine/storage/Projects.h"

#include <vector>

class CMonitorPP;
class CWizard;

// A page of the wizard: it reaches the shared data through the wizard, and goes Back through the
// history.
class CWizardPage : public AppPropertyPage {
public:
    CWizardPage(UINT templateId, CWizard& wizard) : AppPropertyPage(templateId), m_wizard(wizard) {}

protected:
    LRESULT OnWizardBack() override;
    // Posts the wizard buttons to the sheet (the sheet may be busy with this very notification).
    void PostButtons(DWORD buttons);

    CWizard& m_wizard;
};

class CStartPropertyPage : public CWizardPage {
public:
    explicit CStartPropertyPage(CWizard& wizard);

    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override { return AppPropertyPage::OnWizardBack(); }
    CMarkupStatic& Header() { return m_header; }
    // Takes an installer path as the file dialog would hand it over: the proposed name, the
    // maker's recognition and the header.
    void TakeInstaller(const CString& path);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnPackageChanged();
    void OnBrowseLocation();
    void OnBrowseInstaller();

private:
    void ApplyPackageChoice(int choice);

    CMarkupStatic m_header;
    int m_choice = 0;   // the combo's selection

    DECLARE_MESSAGE_MAP()
};

class CSelectWrapperPP : public CWizardPage {
public:
    explicit CSelectWrapperPP(CWizard& wizard);

    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    CMarkupStatic m_header;
};

class CParamsPP : public CWizardPage {
public:
    explicit CParamsPP(CWizard& wizard);

    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;
    CMarkupStatic& Header() { return m_header; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnEditInstallArguments();
    void OnEditUninstallArguments();

private:
    void EditArguments(CString& arguments);

    CMarkupStatic m_header;

    DECLARE_MESSAGE_MAP()
};

class CFinishPP : public CWizardPage {
public:
    explicit CFinishPP(CWizard& wizard);

    BOOL OnSetActive() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    CString m_text = L"Click Finish button to create the Project";
};

class CWizard : public AppPropertySheet {
public:
    // The project is the caller's; projects is the list the package combo offers.
    CWizard(CFeature& project, CProjects& projects, CWnd* parent = nullptr);

    // Adds the installation monitor's page between the mode and parameters pages (before DoModal);
    // without one the monitoring mode cannot be chosen. The page works on this wizard's project and
    // goes Back through its history; its output sink and test hook stay the caller's.
    void SetMonitorPage(CMonitorPP* page);
    CMonitorPP* MonitorPage() const { return m_monitor; }
    // Hands the monitor page the setup program and the package folder fixed at the start page.
    void PrepareMonitorPage();

    CFeature& Project() { return m_project; }
    CProjects& List() { return m_projects; }

    // The shared data.
    int m_packageChoice = 0;        // 0 new package, n > 0 package n - 1
    CString m_installerPath;
    CString m_location;             // where a new package's folder goes; an existing package's folder
    CString m_packageFolder;        // the target package's folder
    CString m_packageName;          // a new package's name, made unique at the start page's Next
    CString m_headerMarkup;
    int m_recognised = 0;

    // The pages left with Next, most recent last.
    std::vector<CPropertyPage*> m_history;
    // Back: the last page of the history becomes current and leaves the history; -1 (stay) for
    // the framework either way.
    LRESULT GoBack();
    // Activates the page (the answer a page's Next gives after a jump is -1).
    void JumpTo(CPropertyPage* page);

    CStartPropertyPage& StartPage() { return m_start; }
    CSelectWrapperPP& ModePage() { return m_mode; }
    CParamsPP& ParamsPage() { return m_params; }
    CFinishPP& FinishPage() { return m_finish; }

private:
    CFeature& m_project;      // not owned
    CProjects& m_projects;    // not owned
    CStartPropertyPage m_start;
    CSelectWrapperPP m_mode;
    CParamsPP m_params;
    CFinishPP m_finish;
    CMonitorPP* m_monitor = nullptr;   // not owned
};

// The wizard's caption (the sheet's; each page shows its own while it is current).
inline constexpr wchar_t kWizardCaption[] = L"Tarnwick Project Wizard";
