#include "app/build/BuildDialog.h"

#include "app/wizard/WizardRules.h"

#include "engine/files/PathHelpers.h"

#include "resources/app/AppResource.h"

#include "framework/window/WinApp.h"

#include <shlobj.h>

BEGIN_MESSAGE_MAP(CBuildDialog, AppDialog)
    ON_CONTROL(CBN_SELCHANGE, IDC_DEPLOYMENT_METHOD, OnKindChanged)
    ON_COMMAND(IDC_BROWSE_OUTPUT_FOLDER, OnBrowse)
END_MESSAGE_MAP()

bool PackageShowsDebugOption(const CProjectSettings& package)
{
    for (int i = 0; i < package.m_projects.GetSize(); ++i) {
        const int mode = package.m_projects[i].m_conversionMode;
        if (mode == CFeature::modeGuiScript || mode == CFeature::modeCommandLine)
            return true;
    }
    return false;
}

CBuildDialog::CBuildDialog(CWnd* parent) : AppDialog(IDD_BUILD_DIALOG, parent) {}

void CBuildDialog::DoDataExchange(CDataExchange* pDX)
{
    AppDialog::DoDataExchange(pDX);
    if (!m_package)
        return;
    if (!pDX->m_bSaveAndValidate)
        SetWindowText(L"Build " + m_package->m_productName);
    DDX_CBIndex(pDX, IDC_DEPLOYMENT_METHOD, m_package->m_deploymentMethod);
    DDX_CBIndex(pDX, IDC_MEDIA, m_package->m_packageFiles);
    DDX_Text(pDX, IDC_OUTPUT_FOLDER, m_package->m_outputFolder);
    DDX_Text(pDX, IDC_OUTPUT_FILE_NAME, m_package->m_outputFileName);
    DDX_Check(pDX, IDC_DEBUG_MODE, m_package->m_debugMode);
}

BOOL CBuildDialog::OnInitDialog()
{
    AppDialog::OnInitDialog();
    if (auto* kind = static_cast<AppComboBox*>(GetDlgItem(IDC_DEPLOYMENT_METHOD))) {
        kind->AddString(L"MSI Setup Package");
        kind->AddString(L"Administrative installation point");
    }
    if (auto* media = static_cast<AppComboBox*>(GetDlgItem(IDC_MEDIA))) {
        media->AddString(L"In setup file");
        media->AddString(L"As loose uncompressed files");
    }
    if (CWnd* debug = GetDlgItem(IDC_DEBUG_MODE))
        debug->ShowWindow(m_package && PackageShowsDebugOption(*m_package) ? SW_SHOW : SW_HIDE);
    // the first loading ran before the combos had their items
    UpdateData(FALSE);
    ApplyKindRule();
    return TRUE;
}

void CBuildDialog::ApplyKindRule()
{
    auto* kind = static_cast<AppComboBox*>(GetDlgItem(IDC_DEPLOYMENT_METHOD));
    auto* media = static_cast<AppComboBox*>(GetDlgItem(IDC_MEDIA));
    if (!kind || !media)
        return;
    const bool administrative = kind->GetCurSel() == CProjectSettings::deployAdministrativeImage;
    if (administrative)
        media->SetCurSel(CProjectSettings::filesLoose);
    media->EnableWindow(!administrative);
}

void CBuildDialog::OnKindChanged()
{
    ApplyKindRule();
}

void CBuildDialog::OnBrowse()
{
    CString start;
    GetDlgItemText(IDC_OUTPUT_FOLDER, start);
    if (start.IsEmpty()) {
        wchar_t documents[MAX_PATH] = L"";
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)))
            start = documents;
    }
    AppBrowseDialog browse(this);
    browse.SetSelPath(start);
    if (browse.DoModal() == IDOK)
        SetDlgItemText(IDC_OUTPUT_FOLDER, browse.GetSelPath());
}

void CBuildDialog::OnOK()
{
    CString folder;
    GetDlgItemText(IDC_OUTPUT_FOLDER, folder);
    TrimTrailingBackslashes(folder);
    const DWORD attributes = folder.IsEmpty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        AfxMessageBox(L"Invalid Output Didectory path", MB_OK | MB_ICONINFORMATION);
        if (CWnd* edit = GetDlgItem(IDC_OUTPUT_FOLDER))
            GotoDlgCtrl(edit);
        return;
    }
    SetDlgItemText(IDC_OUTPUT_FOLDER, folder);
    CString name;
    GetDlgItemText(IDC_OUTPUT_FILE_NAME, name);
    if (!IsValidOutputFileName(name)) {
        AfxMessageBox(L"Invalid Output File name", MB_OK | MB_ICONINFORMATION);
        if (CWnd* edit = GetDlgItem(IDC_OUTPUT_FILE_NAME))
            GotoDlgCtrl(edit);
        return;
    }
    AppDialog::OnOK();
}
