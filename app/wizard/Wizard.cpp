#include "app/wizard/Wizard.h"

#include "app/monitor/MonitorPage.h"
#include "app/wizard/ArgsDialog.h"
#include "app/wizard/WizardRules.h"

#include "engine/detection/ParseManifest.h"
#include "engine/files/Globals.h"
#include "engine/files/PathHelpers.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

namespace {

constexpr wchar_t kCreateNewPackage[] = L"<Create new Package>";
constexpr wchar_t kExecutableFilter[] = L"Executable Files (*.exe)|*.exe||";

bool FileExists(const CString& path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return !path.IsEmpty() && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void FocusControl(CDialog& page, int id)
{
    if (CWnd* control = page.GetDlgItem(id))
        page.GotoDlgCtrl(control);
}

} // namespace

// --- pages -------------------------------------------------------------------------------------

LRESULT CWizardPage::OnWizardBack()
{
    return m_wizard.GoBack();
}

void CWizardPage::PostButtons(DWORD buttons)
{
    if (m_wizard.m_hWnd)
        ::PostMessageW(m_wizard.m_hWnd, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(buttons));
}

BEGIN_MESSAGE_MAP(CStartPropertyPage, AppPropertyPage)
    ON_CONTROL(CBN_SELCHANGE, IDC_PACKAGE_CHOICE, OnPackageChanged)
    ON_COMMAND(IDC_BROWSE_LOCATION, OnBrowseLocation)
    ON_COMMAND(IDC_BROWSE_INSTALLER, OnBrowseInstaller)
END_MESSAGE_MAP()

CStartPropertyPage::CStartPropertyPage(CWizard& wizard) : CWizardPage(IDD_WIZARD_START, wizard) {}

void CStartPropertyPage::DoDataExchange(CDataExchange* pDX)
{
    AppPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MARKUP_LABEL, m_header);
    DDX_CBIndex(pDX, IDC_PACKAGE_CHOICE, m_choice);
    DDX_Text(pDX, IDC_PROJECT_NAME, m_wizard.Project().m_name);
    DDX_Text(pDX, IDC_PROJECT_LOCATION, m_wizard.m_location);
    DDX_Text(pDX, IDC_INSTALLER_PATH, m_wizard.m_installerPath);
}

BOOL CStartPropertyPage::OnSetActive()
{
    // Back is offered by no page before this one
    PostButtons(PSWIZB_NEXT);
    if (m_bFirstSetActive) {
        auto* combo = static_cast<AppComboBox*>(GetDlgItem(IDC_PACKAGE_CHOICE));
        if (combo) {
            combo->ResetContent();
            combo->AddString(kCreateNewPackage);
            const CProjects& projects = m_wizard.List();
            for (int i = 0; i < projects.GetSize(); ++i)
                combo->AddString(projects[i].m_productName);
        }
        m_choice = 0;
        m_wizard.m_location = DataFolder;
        UpdateData(FALSE);
    }
    return AppPropertyPage::OnSetActive();
}

void CStartPropertyPage::ApplyPackageChoice(int choice)
{
    const CProjects& projects = m_wizard.List();
    const bool existing = choice > 0 && choice <= projects.GetSize() && choice <= projects.m_packagePaths.GetSize();
    m_wizard.m_location = existing ? GetFolderPart(projects.m_packagePaths[choice - 1]) : DataFolder;
    if (CWnd* location = GetDlgItem(IDC_PROJECT_LOCATION))
        location->SendMessage(EM_SETREADONLY, existing ? TRUE : FALSE);
    if (CWnd* browse = GetDlgItem(IDC_BROWSE_LOCATION))
        browse->EnableWindow(!existing);
}

void CStartPropertyPage::OnPackageChanged()
{
    UpdateData(TRUE);
    ApplyPackageChoice(m_choice);
    UpdateData(FALSE);
}

void CStartPropertyPage::OnBrowseLocation()
{
    UpdateData(TRUE);
    AppBrowseDialog browse(this);
    browse.SetSelPath(m_wizard.m_location);
    if (browse.DoModal() != IDOK)
        return;
    m_wizard.m_location = browse.GetSelPath();
    UpdateData(FALSE);
}

void CStartPropertyPage::OnBrowseInstaller()
{
    UpdateData(TRUE);
    AppFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, kExecutableFilter, this);
    if (dialog.DoModal() != IDOK)
        return;
    TakeInstaller(dialog.GetPathName());
}

void CStartPropertyPage::TakeInstaller(const CString& path)
{
    m_wizard.m_installerPath = path;
    auto* combo = static_cast<AppComboBox*>(GetDlgItem(IDC_PACKAGE_CHOICE));
    m_choice = combo ? combo->GetCurSel() : 0;
    if (m_choice < 0)
        m_choice = 0;
    m_wizard.Project().m_name =
        MakeUniqueProjectName(ProposedProjectName(path), m_choice, m_wizard.List());
    if (FileExists(path)) {
        CParseManifest maker;
        m_wizard.m_recognised = maker.Detect(path);
        if (!maker.m_strInstallerName.IsEmpty())
            m_wizard.m_headerMarkup = MakeWizardHeaderMarkup(maker.m_strInstallerName, maker.m_strWebLink);
    }
    // a click on the header's link does nothing on this page
    m_header.SetMarkupText(m_wizard.m_headerMarkup);
    UpdateData(FALSE);
}

LRESULT CStartPropertyPage::OnWizardNext()
{
    if (!UpdateData(TRUE))
        return -1;
    CFeature& project = m_wizard.Project();
    project.m_name.Trim();
    if (project.m_name.IsEmpty()) {
        AfxMessageBox(L"Please, enter the project name", MB_OK);
        FocusControl(*this, IDC_PROJECT_NAME);
        return -1;
    }
    if (!FileExists(m_wizard.m_installerPath)) {
        AfxMessageBox(L"Please, select the installer file", MB_OK);
        FocusControl(*this, IDC_INSTALLER_PATH);
        return -1;
    }
    CString packageName;
    if (m_choice == kNewPackageChoice) {
        // the name becomes a folder and a file name: refuse it now, not after the whole wizard,
        // and fix the folder now, because a monitoring run copies into it before Finish
        if (IsValidPackageName(project.m_name))
            packageName = MakeUniquePackageName(project.m_name, m_wizard.List(), m_wizard.m_location);
        if (packageName.IsEmpty()) {
            AfxMessageBox(L"The project name cannot be used as a folder name.\nIt may not contain \\ / : * ? \" < > "
                          L"| and may not end with a dot or a space.",
                          MB_OK | MB_ICONINFORMATION);
            FocusControl(*this, IDC_PROJECT_NAME);
            return -1;
        }
    }
    (void)AddInstallerToProject(project, m_wizard.m_installerPath);   // a file that vanished has size 0
    m_wizard.m_packageChoice = m_choice;
    m_wizard.m_packageName = packageName;
    m_wizard.m_packageFolder =
        m_choice == kNewPackageChoice ? NewPackageFolder(m_wizard.m_location, packageName) : m_wizard.m_location;
    m_wizard.m_history.push_back(this);
    return 0;
}

CSelectWrapperPP::CSelectWrapperPP(CWizard& wizard) : CWizardPage(IDD_WIZARD_MODE, wizard) {}

void CSelectWrapperPP::DoDataExchange(CDataExchange* pDX)
{
    AppPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MARKUP_LABEL, m_header);
}

BOOL CSelectWrapperPP::OnSetActive()
{
    PostButtons(PSWIZB_BACK | PSWIZB_NEXT);
    int checked = IDC_MODE_SCRIPT;
    if (m_wizard.Project().m_conversionMode == CFeature::modeRepackage && m_wizard.MonitorPage())
        checked = IDC_MODE_REPACKAGE;
    else if (m_wizard.Project().m_conversionMode == CFeature::modeCommandLine)
        checked = IDC_MODE_COMMAND_LINE;
    CheckRadioButton(IDC_MODE_SCRIPT, IDC_MODE_COMMAND_LINE, checked);
    if (CWnd* repackage = GetDlgItem(IDC_MODE_REPACKAGE))
        repackage->EnableWindow(m_wizard.MonitorPage() != nullptr);
    return AppPropertyPage::OnSetActive();
}

LRESULT CSelectWrapperPP::OnWizardNext()
{
    m_wizard.m_history.push_back(this);
    CFeature& project = m_wizard.Project();
    switch (GetCheckedRadioButton(IDC_MODE_SCRIPT, IDC_MODE_COMMAND_LINE)) {
    case IDC_MODE_REPACKAGE:
        if (m_wizard.MonitorPage()) {
            project.m_conversionMode = CFeature::modeRepackage;
            m_wizard.PrepareMonitorPage();
            return 0;
        }
        break;
    case IDC_MODE_COMMAND_LINE:
        project.m_conversionMode = CFeature::modeCommandLine;
        m_wizard.JumpTo(&m_wizard.ParamsPage());
        return -1;
    default:
        break;
    }
    project.m_conversionMode = CFeature::modeGuiScript;
    m_wizard.JumpTo(&m_wizard.FinishPage());
    return -1;
}

BEGIN_MESSAGE_MAP(CParamsPP, AppPropertyPage)
    ON_COMMAND(IDC_EDIT_INSTALL_ARGUMENTS, OnEditInstallArguments)
    ON_COMMAND(IDC_EDIT_UNINSTALL_ARGUMENTS, OnEditUninstallArguments)
END_MESSAGE_MAP()

CParamsPP::CParamsPP(CWizard& wizard) : CWizardPage(IDD_WIZARD_PARAMS, wizard) {}

void CParamsPP::DoDataExchange(CDataExchange* pDX)
{
    AppPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MARKUP_LABEL, m_header);
    DDX_Text(pDX, IDC_INSTALL_ARGUMENTS, m_wizard.Project().m_installerArguments);
    DDX_Text(pDX, IDC_UNINSTALL_ARGUMENTS, m_wizard.Project().m_uninstallArguments);
}

BOOL CParamsPP::OnSetActive()
{
    PostButtons(PSWIZB_BACK | PSWIZB_NEXT);
    m_header.SetMarkupText(m_wizard.m_headerMarkup);
    for (int id : {IDC_EDIT_INSTALL_ARGUMENTS, IDC_EDIT_UNINSTALL_ARGUMENTS})
        if (CWnd* button = GetDlgItem(id))
            button->EnableWindow(m_wizard.m_recognised != 0);
    return AppPropertyPage::OnSetActive();
}

void CParamsPP::EditArguments(CString& arguments)
{
    UpdateData(TRUE);
    if (!FileExists(m_wizard.m_installerPath)) {
        AfxMessageBox(L"Invalid installer path. Please, select the installer file.", MB_OK);
        return;
    }
    CArgsDialog dialog(this);
    dialog.m_path = m_wizard.m_installerPath;
    dialog.m_arguments = arguments;
    if (dialog.DoModal() != IDOK)
        return;
    arguments = dialog.m_arguments;
    UpdateData(FALSE);
}

void CParamsPP::OnEditInstallArguments()
{
    EditArguments(m_wizard.Project().m_installerArguments);
}

void CParamsPP::OnEditUninstallArguments()
{
    EditArguments(m_wizard.Project().m_uninstallArguments);
}

LRESULT CParamsPP::OnWizardNext()
{
    m_wizard.m_history.push_back(this);
    m_wizard.JumpTo(&m_wizard.FinishPage());
    return -1;
}

CFinishPP::CFinishPP(CWizard& wizard) : CWizardPage(IDD_WIZARD_FINISH, wizard) {}

void CFinishPP::DoDataExchange(CDataExchange* pDX)
{
    AppPropertyPage::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_FINISH_TEXT, m_text);
}

BOOL CFinishPP::OnSetActive()
{
    PostButtons(PSWIZB_BACK | PSWIZB_FINISH);
    if (const wchar_t* text = FinishTextForMode(m_wizard.Project().m_conversionMode))
        m_text = text;
    // the first activation follows the dialog's own loading, which ran before the text was set
    if (m_bFirstSetActive)
        UpdateData(FALSE);
    return AppPropertyPage::OnSetActive();
}

// --- the sheet ---------------------------------------------------------------------------------

CWizard::CWizard(CFeature& project, CProjects& projects, CWnd* parent)
    : AppPropertySheet(kWizardCaption, parent), m_project(project), m_projects(projects), m_start(*this),
      m_mode(*this), m_params(*this), m_finish(*this)
{
    AddPage(&m_start);
    AddPage(&m_mode);
    AddPage(&m_params);
    AddPage(&m_finish);
    SetWizardMode();
}

void CWizard::SetMonitorPage(CMonitorPP* page)
{
    if (m_monitor)
        RemovePage(m_monitor);
    m_monitor = page;
    if (!page)
        return;
    page->m_data.project = &m_project;
    page->m_data.back = [this] { return GoBack(); };
    // between the mode and parameters pages: the pages after it are added again behind it
    RemovePage(&m_params);
    RemovePage(&m_finish);
    AddPage(page);
    AddPage(&m_params);
    AddPage(&m_finish);
}

void CWizard::PrepareMonitorPage()
{
    if (!m_monitor)
        return;
    m_monitor->m_data.project = &m_project;
    m_monitor->m_data.installerPath = m_installerPath;
    m_monitor->m_data.packageFolder = m_packageFolder;
}

LRESULT CWizard::GoBack()
{
    if (m_history.empty())
        return -1;
    CPropertyPage* page = m_history.back();
    if (page->m_hWnd)
        SetActivePage(page);
    m_history.pop_back();
    return -1;
}

void CWizard::JumpTo(CPropertyPage* page)
{
    SetActivePage(page);
}
