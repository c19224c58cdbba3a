#include "app/TarnwickApp.h"

#include "app/AppPaths.h"
#include "app/StartPage.h"

#include "engine/files/FileVersionInfo.h"
#include "engine/files/Globals.h"
#include "engine/replay/JobProcess.h"

#include "resources/app/AppResource.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

// The id of the view pane in a frame: the start page stands where the view will.
constexpr UINT kStartPageId = 0xE900;

// Until the frame and view classes exist the program shows a plain top-level window with the
// main menu, whose commands go to the application, and the start page over its client area.
class CShellWindow : public CWnd {
public:
    BOOL CreateShell()
    {
        HMENU menu = ::LoadMenuW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
        HICON icon = ::LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDI_MAINFRAME));
        const wchar_t* className =
            AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), icon);
        return CreateEx(0, className, L"tarnwick", WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, CW_USEDEFAULT, 800, 600, nullptr, menu);
    }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        const UINT id = LOWORD(wParam);
        if (id == ID_APP_EXIT) {
            PostMessage(WM_CLOSE);
            return TRUE;
        }
        if (lParam == 0 && AfxGetApp()->OnCmdMsg(id, 0, nullptr, nullptr))
            return TRUE;
        return CWnd::OnCommand(wParam, lParam);
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        if (message == WM_CREATE && result != -1) {
            RECT client{};
            GetClientRect(&client);
            m_startPage.CreatePage(this, client, kStartPageId);
        } else if (message == WM_SIZE && m_startPage.m_hWnd) {
            m_startPage.MoveWindow(0, 0, LOWORD(lParam), HIWORD(lParam));
        }
        return result;
    }

    void PostNcDestroy() override { delete this; }

private:
    CStartPage m_startPage;
};

} // namespace

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
    auto* window = new CShellWindow;
    if (!window->CreateShell()) {
        delete window;
        return FALSE;
    }
    m_pMainWnd = window;
    return TRUE;
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
