#include "app/TarnwickApp.h"

#include "app/AppPaths.h"
#include "app/MainFrame.h"
#include "app/TarnwickView.h"

#include "engine/files/FileVersionInfo.h"
#include "engine/files/Globals.h"
#include "engine/replay/JobProcess.h"

#include "resources/app/AppResource.h"

#include "framework/window/DocTemplate.h"

#include <commctrl.h>
#include <shellapi.h>

BEGIN_MESSAGE_MAP(CtarnwickApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_HELP_INDEX, OnHelpContents)
END_MESSAGE_MAP()

CtarnwickApp::CtarnwickApp(const CInstanceMutex* instanceMutex) : m_instanceMutex(instanceMutex) {}

BOOL CtarnwickApp::InitInstance()
{
    if (m_instanceMutex && m_instanceMutex->AnotherInstanceRuns())
        return FALSE;

    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    ::InitCommonControlsEx(&controls);

    if (!CWinApp::InitInstance())
        return FALSE;

    if (!AfxOleInit()) {
        AfxMessageBox(IDP_OLE_INIT_FAILED);
        return FALSE;
    }

    CString message;
    if (InitGlobals(&message) != 0) {
        AfxMessageBox(message.IsEmpty() ? CString(L"The program's data folder could not be prepared.") : message,
                      MB_OK | MB_ICONERROR);
        return FALSE;
    }

    AfxEnableControlContainer();
    SetRegistryKey(kRegistryCompany);

    if (!CreateMainWindow())
        return FALSE;

    SetAppName(kProductNameWithEdition);
    m_pMainWnd->SetWindowText(MainWindowTitle());
    m_pMainWnd->ShowWindow(SW_SHOW);
    m_pMainWnd->UpdateWindow();
    return TRUE;
}

BOOL CtarnwickApp::CreateMainWindow()
{
    // The application owns the template; processing the (empty) command line makes the document,
    // the main frame and the view through it.
    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CtarnwickDoc), RUNTIME_CLASS(CMainFrame),
                                          RUNTIME_CLASS(CtarnwickView)));
    CCommandLineInfo commandLine;
    ParseCommandLine(commandLine);
    return ProcessShellCommand(commandLine) && m_pMainWnd;
}

int CtarnwickApp::ExitInstance()
{
    CloseScriptJob();
    return CWinApp::ExitInstance();
}

void CtarnwickApp::OnAppAbout()
{
    CAboutDialog about;
    about.DoModal();
}

void CtarnwickApp::OnHelpContents()
{
    // a missing help file is the shell's to report
    ::ShellExecuteW(nullptr, L"open", GetHelpFilePath(), nullptr, nullptr, SW_SHOWNORMAL);
}

CString MainWindowTitle()
{
    CString title;
    title.Format(L"%s %s", kProductNameWithEdition, CFileVersionInfo().GetProductVersion().GetString());
    return title;
}

CString AboutBuildText()
{
    CString text;
    text.Format(L"%s build %s", kProductNameWithEdition, CFileVersionInfo().GetFileVersion().GetString());
    return text;
}

CAboutDialog::CAboutDialog() : CDialog(IDD_ABOUTBOX) {}

BOOL CAboutDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_ABOUT_BUILD, AboutBuildText());
    SetWindowText(kProductNameWithEdition);
    return TRUE;
}
