#include "app/TarnwickApp.h"

#include "app/AppPaths.h"
#include "app/CommandRules.h"
#include "app/PanelHosting.h"
#include "app/ProjectsTree.h"
#include "app/StartPage.h"

#include "engine/files/FileVersionInfo.h"
#include "engine/files/Globals.h"
#include "engine/replay/JobProcess.h"

#include "resources/app/AppResource.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

// The ids of the view pane and the packages tree in the frame that will hold them.
constexpr UINT kViewId = 0xE900;
constexpr UINT kTreeId = 4000;
constexpr int kTreeWidth = 220;     // pixels: the tree pane's first width

// The main view until the framework's view class exists: the start page, or the panel of the
// tree's selected node over the whole client area.
class CShellView : public CWnd, public CPanelHost {
public:
    CShellView() : m_hosting(this)
    {
        m_hosting.SetOnChange([this](bool panelShown) {
            if (m_startPage.m_hWnd)
                m_startPage.ShowWindow(panelShown ? SW_HIDE : SW_SHOW);
        });
    }
    BOOL CreateView(CWnd* parent)
    {
        if (!CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW)), L"",
                      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, parent->m_hWnd,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewId))))
            return FALSE;
        return m_startPage.CreatePage(this, CRect(0, 0, 0, 0), 0xFFFF);
    }
    CWnd* PanelParent() override { return this; }
    CPanelHosting& Panels() override { return m_hosting; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        if (message == WM_SIZE) {
            if (m_startPage.m_hWnd)
                m_startPage.MoveWindow(0, 0, LOWORD(lParam), HIWORD(lParam));
            m_hosting.OnSize(LOWORD(lParam), HIWORD(lParam));
        }
        return result;
    }

private:
    CPanelHosting m_hosting;
    CStartPage m_startPage;
};

// Until the frame classes exist the program shows a plain top-level window with the main menu,
// whose commands go to the application, the packages tree at the left and the view beside it.
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
                        CW_USEDEFAULT, CW_USEDEFAULT, 900, 600, nullptr, menu);
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
        if (message == WM_CLOSE && !CanClose())
            return 0;
        const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        if (message == WM_CREATE && result != -1) {
            if (!m_view.CreateView(this))
                return -1;
            ProjectsTreeArgs args;
            args.parent = this;
            args.host = &m_view;
            args.id = kTreeId;
            if (!m_tree.CreateTree(args))
                return -1;
            RECT client{};
            GetClientRect(&client);
            Layout(client.right, client.bottom);
        } else if (message == WM_SIZE) {
            Layout(LOWORD(lParam), HIWORD(lParam));
        }
        return result;
    }

    void PostNcDestroy() override { delete this; }

private:
    void Layout(int cx, int cy)
    {
        if (m_tree.m_hWnd)
            m_tree.MoveWindow(0, 0, kTreeWidth, cy);
        if (m_view.m_hWnd)
            m_view.MoveWindow(kTreeWidth, 0, cx > kTreeWidth ? cx - kTreeWidth : 0, cy);
    }

    // Refuses while a worker runs; then saves the package list, and when that fails the user may
    // stay (and save again later) or close and lose the edits.
    bool CanClose()
    {
        CString message;
        if (m_tree.m_hWnd && !CanCloseNow(m_tree.Work(), &message)) {
            AfxMessageBox(message, MB_OK | MB_ICONINFORMATION);
            return false;
        }
        if (!m_tree.m_hWnd || m_tree.SaveProjects())
            return true;
        return AfxMessageBox(kSaveFailedClosePrompt, MB_YESNO | MB_ICONWARNING) == IDYES;
    }

    CShellView m_view;
    CProjectsTree m_tree;
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
