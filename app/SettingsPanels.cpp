#include "app/SettingsPanels.h"

#include "app/UniqueNames.h"

#include "engine/files/Globals.h"

#include "resources/app/AppResource.h"

IMPLEMENT_DYNAMIC(CSettingsPanel, CResizeDialog)
IMPLEMENT_DYNAMIC(CProjectPanel, CSettingsPanel)
IMPLEMENT_DYNAMIC(CFeaturePanel, CSettingsPanel)

// ---- shared ---------------------------------------------------------------------------------

BOOL CSettingsPanel::CreatePanel(CWnd* parent)
{
    return Create(m_lpszTemplateName, parent);
}

void CSettingsPanel::RenameFromBox(int nameBox, CString* storedName, const CString& uniqueName)
{
    CString typed;
    GetDlgItemText(nameBox, typed);
    UpdateData(TRUE);
    *storedName = uniqueName;
    UpdateData(FALSE);
    if (uniqueName != typed) {
        // the box was rewritten: keep typing at the end, after the counter
        const WPARAM end = static_cast<WPARAM>(uniqueName.GetLength());
        SendDlgItemMessage(nameBox, EM_SETSEL, end, static_cast<LPARAM>(end));
    }
    m_site->SetSelectedItemText(uniqueName);
}

// ---- package panel --------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CProjectPanel, CSettingsPanel)
    ON_CONTROL(EN_CHANGE, IDC_PRODUCT_NAME, OnNameChange)
    ON_CONTROL(BN_CLICKED, IDC_NO_REGISTRATION, OnNoRegistrationClicked)
END_MESSAGE_MAP()

CProjectPanel::CProjectPanel(CProjects& projects) : CSettingsPanel(IDD_PACKAGE_PANEL, projects) {}

CProjectSettings* CProjectPanel::CurrentPackage()
{
    if (CurrentPackageIndex < 0 || CurrentPackageIndex >= m_projects.GetSize())
        return nullptr;
    return &m_projects[CurrentPackageIndex];
}

BOOL CProjectPanel::OnInitDialog()
{
    const BOOL result = CSettingsPanel::OnInitDialog();
    SetOptionFlags(kNoSizeGripper);
    for (int id : {IDC_PACKAGE_DETAILS, IDC_PRODUCT_NAME, IDC_PRODUCT_VERSION, IDC_COMPANY_NAME, IDC_SUPPORT_INFO,
                   IDC_SUPPORT_URL, IDC_SUPPORT_PHONE, IDC_COMMENT, IDC_LAUNCH_CONDITION, IDC_INSTALLER_OPTIONS})
        SetControlAnchors(id, 0, 0, 1, 0);
    SetControlAnchors(IDC_HIDDEN_IN_LIST, 0.5, 0, 1, 0);
    return result;
}

void CProjectPanel::DoDataExchange(CDataExchange* pDX)
{
    CSettingsPanel::DoDataExchange(pDX);
    CProjectSettings* package = CurrentPackage();
    if (!package)
        return;
    DDX_Text(pDX, IDC_PRODUCT_NAME, package->m_productName);
    DDX_Text(pDX, IDC_PRODUCT_VERSION, package->m_productVersion);
    DDX_Text(pDX, IDC_COMPANY_NAME, package->m_companyName);
    DDX_Text(pDX, IDC_SUPPORT_URL, package->m_supportUrl);
    DDX_Text(pDX, IDC_SUPPORT_PHONE, package->m_supportPhone);
    DDX_Text(pDX, IDC_COMMENT, package->m_comment);
    DDX_Text(pDX, IDC_LAUNCH_CONDITION, package->m_launchCondition);
    DDX_Check(pDX, IDC_NO_REGISTRATION, package->m_noRegistration);
    // hiding from the programs list only means something for a registered package
    if (CWnd* hidden = GetDlgItem(IDC_HIDDEN_IN_LIST))
        hidden->EnableWindow(package->m_noRegistration == 0);
    DDX_Check(pDX, IDC_HIDDEN_IN_LIST, package->m_hidden);
    DDX_Check(pDX, IDC_PER_USER, package->m_perUser);
}

void CProjectPanel::OnNameChange()
{
    if (!m_site || !m_site->HasSelectedItem())
        return;
    CProjectSettings* package = CurrentPackage();
    if (!package)
        return;
    CString typed;
    GetDlgItemText(IDC_PRODUCT_NAME, typed);
    RenameFromBox(IDC_PRODUCT_NAME, &package->m_productName,
                  MakeUniqueNameForRename(m_projects, CurrentPackageIndex, typed));
}

void CProjectPanel::OnNoRegistrationClicked()
{
    UpdateData(TRUE);
}

// ---- project panel --------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFeaturePanel, CSettingsPanel)
    ON_CONTROL(EN_CHANGE, IDC_PROJECT_NAME, OnNameChange)
END_MESSAGE_MAP()

CFeaturePanel::CFeaturePanel(CProjects& projects) : CSettingsPanel(IDD_PROJECT_PANEL, projects) {}

CFeature* CFeaturePanel::CurrentProject()
{
    if (CurrentPackageIndex < 0 || CurrentPackageIndex >= m_projects.GetSize())
        return nullptr;
    CFeatures& projects = m_projects[CurrentPackageIndex].m_projects;
    if (CurrentProjectIndex < 0 || CurrentProjectIndex >= projects.GetSize())
        return nullptr;
    return &projects[CurrentProjectIndex];
}

BOOL CFeaturePanel::OnInitDialog()
{
    const BOOL result = CSettingsPanel::OnInitDialog();
    SetOptionFlags(kNoSizeGripper);
    for (int id : {IDC_PROJECT_NAME, IDC_PROJECT_DESCRIPTION, IDC_PROJECT_CONDITIONS, IDC_PROJECT_GROUP,
                   IDC_PROJECT_OPTIONS})
        SetControlAnchors(id, 0, 0, 1, 0);
    return result;
}

void CFeaturePanel::DoDataExchange(CDataExchange* pDX)
{
    CSettingsPanel::DoDataExchange(pDX);
    CFeature* project = CurrentProject();
    if (!project)
        return;
    DDX_Text(pDX, IDC_PROJECT_NAME, project->m_name);
    DDX_Text(pDX, IDC_PROJECT_DESCRIPTION, project->m_description);
    DDX_Text(pDX, IDC_PROJECT_CONDITIONS, project->m_conditions);
}

void CFeaturePanel::OnNameChange()
{
    if (!m_site || !m_site->HasSelectedItem())
        return;
    CFeature* project = CurrentProject();
    if (!project)
        return;
    CString typed;
    GetDlgItemText(IDC_PROJECT_NAME, typed);
    RenameFromBox(IDC_PROJECT_NAME, &project->m_name,
                  MakeUniqueNameForRename(m_projects[CurrentPackageIndex].m_projects, CurrentProjectIndex, typed));
}
