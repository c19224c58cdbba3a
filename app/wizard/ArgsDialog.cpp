#include "app/wizard/ArgsDialog.h"

#include "app/wizard/WizardRules.h"

#include "engine/detection/ParseManifest.h"

#include "resources/app/AppResource.h"

#include <shellapi.h>

CArgsDialog::CArgsDialog(CWnd* parent) : AppResizeDialog(IDD_ARGS_DIALOG, parent)
{
    m_open = [](const CString& address) {
        ::ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
    };
}

void CArgsDialog::DoDataExchange(CDataExchange* pDX)
{
    AppResizeDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MARKUP_LABEL, m_help);
    DDX_Text(pDX, IDC_ARGUMENTS, m_arguments);
}

BOOL CArgsDialog::OnInitDialog()
{
    AppResizeDialog::OnInitDialog();
    SetControlAnchors(IDC_ARGUMENTS, 0, 0, 1, 0);
    SetControlAnchors(IDC_MARKUP_LABEL, 0, 0, 1, 1);
    SetControlAnchors(IDOK, 1, 1, 1, 1);
    SetControlAnchors(IDCANCEL, 1, 1, 1, 1);
    m_help.SetClickHandler([this](const CString& tag) { OnHyperlinkClick(tag); });

    CParseManifest maker;
    const bool recognised = maker.Detect(m_path) != 0;
    // an unrecognised program has neither name, link nor help here: the fallback texts are the
    // wizard header's
    m_help.SetMarkupText(MakeArgsHelpMarkup(recognised ? maker.m_strInstallerName : CString(),
                                            recognised ? maker.m_strWebLink : CString(), maker.m_strHelp,
                                            recognised));
    CString trimmed = m_arguments;
    trimmed.Trim();
    if (trimmed.IsEmpty()) {
        m_arguments = maker.m_strInstallCmd;
        UpdateData(FALSE);
    }
    return TRUE;
}

void CArgsDialog::OnHyperlinkClick(const CString& tag)
{
    if (IsWebAddressTag(tag)) {
        CString address = tag;
        address.Trim();
        if (m_open)
            m_open(address);
        return;
    }
    UpdateData(TRUE);
    if (AppendSwitch(m_arguments, tag))
        UpdateData(FALSE);
}
