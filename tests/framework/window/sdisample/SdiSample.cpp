// A single-document program on the framework alone: template, frame with toolbar and status bar,
// view, accelerators and menu. The test that starts it counts commands through the status text
// and the exit code.

#include "SdiSampleResource.h"

#include "framework/window/ControlBar.h"
#include "framework/window/DocTemplate.h"
#include "framework/window/Document.h"
#include "framework/window/FrameWnd.h"
#include "framework/window/View.h"
#include "framework/window/WinApp.h"

namespace {

int g_count = 0;

class CSampleDoc : public CDocument {
    DECLARE_DYNCREATE(CSampleDoc)
};
IMPLEMENT_DYNCREATE(CSampleDoc, CDocument)

class CSampleView : public CView {
    DECLARE_DYNCREATE(CSampleView)
public:
    void OnDraw(CDC*) override {}
    void OnCount()
    {
        ++g_count;
        wchar_t text[32];
        swprintf_s(text, L"Count %d", g_count);
        if (CFrameWnd* frame = GetParentFrame())
            frame->SetMessageText(text);
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CSampleView, CView)
BEGIN_MESSAGE_MAP(CSampleView, CView)
    ON_COMMAND(ID_SAMPLE_COUNT, OnCount)
END_MESSAGE_MAP()

class CSampleFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CSampleFrame)
protected:
    CToolBar m_toolBar;
    CStatusBar m_statusBar;
    int OnCreate(LPCREATESTRUCTW cs)
    {
        if (CFrameWnd::OnCreate(cs) == -1)
            return -1;
        static const UINT indicators[] = {0};
        if (!m_toolBar.Create(this) || !m_toolBar.LoadToolBar(IDR_MAINFRAME))
            return -1;
        if (!m_statusBar.Create(this) || !m_statusBar.SetIndicators(indicators, 1))
            return -1;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CSampleFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CSampleFrame, CFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

class CSampleApp : public CWinApp {
public:
    CSampleApp() : CWinApp(L"Sample") {}
    BOOL InitInstance() override
    {
        AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CSampleDoc), RUNTIME_CLASS(CSampleFrame),
                                              RUNTIME_CLASS(CSampleView)));
        CCommandLineInfo info;
        ParseCommandLine(info);
        if (!ProcessShellCommand(info)) {
            m_bStarted = false;
            return FALSE;
        }
        // The program's own title: the frame keeps it while the document's title stays.
        m_pMainWnd->SetWindowText(L"Sample Product 4.5.6");
        m_pMainWnd->ShowWindow(SW_SHOW);
        m_pMainWnd->UpdateWindow();
        return TRUE;
    }
    int ExitInstance() override
    {
        CWinApp::ExitInstance();
        return m_bStarted ? SAMPLE_EXIT_BASE + g_count : SAMPLE_EXIT_NO_START;
    }

private:
    bool m_bStarted = true;
};

CSampleApp theApp;

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show)
{
    return AfxWinMain(instance, previous, commandLine, show);
}
