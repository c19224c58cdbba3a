// The application object, its names and profile, message boxes and OLE set-up.

#include "framework/window/WinApp.h"

#include "framework/Handle.h"
#include "framework/window/DocTemplate.h"
#include "framework/window/ThreadState.h"
#include "framework/window/Wnd.h"

#include <ole2.h>

#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {

CWinApp* g_app = nullptr;          // not owned
bool g_controlContainer = false;

wchar_t* Duplicate(const wchar_t* text)
{
    return text ? ::_wcsdup(text) : nullptr;
}

void Replace(const wchar_t*& field, const wchar_t* text)
{
    wchar_t* copy = Duplicate(text);
    std::free(const_cast<wchar_t*>(field));
    field = copy;
}

// A string of the program's string tables, searched through the resource handle; empty when
// missing.
CString LoadProgramString(UINT id)
{
    CString text;
    return text.LoadString(id) ? text : CString();
}

CString ModuleBaseName(HINSTANCE instance)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(instance, path, MAX_PATH);
    CString name(path);
    name = name.Mid(name.ReverseFind(L'\\') + 1);
    const int dot = name.ReverseFind(L'.');
    return dot > 0 ? name.Left(dot) : name;
}

} // namespace

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

// File New and Open are the program's to wire (ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew));
// Exit and the recent files are always there.
BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
    ON_COMMAND(0xE141, OnAppExit)
    ON_UPDATE_COMMAND_UI(0xE110, OnUpdateRecentFileMenu)
    ON_COMMAND_EX_RANGE(0xE110, 0xE11F, OnOpenRecentFile)
END_MESSAGE_MAP()

CWinApp::CWinApp(const wchar_t* lpszAppName)
{
    if (!g_app)
        g_app = this;
    m_nThreadID = ::GetCurrentThreadId();
    CWindowThreadState& state = AfxGetWindowThreadState();
    if (!state.m_pCurrentWinThread)
        state.m_pCurrentWinThread = this;
    m_hInstance = ::GetModuleHandleW(nullptr);
    const CString exeName = ModuleBaseName(m_hInstance);
    Replace(m_pszExeName, exeName);
    CString appName = lpszAppName ? CString(lpszAppName) : LoadProgramString(AFX_IDS_APP_TITLE);
    if (appName.IsEmpty())
        appName = exeName;
    Replace(m_pszAppName, appName);
    Replace(m_pszProfileName, m_profile.GetIniFile());
}

CWinApp::~CWinApp()
{
    DeleteDocTemplates();
    if (m_bOleInitialized && ::GetCurrentThreadId() == m_nThreadID)
        ::OleUninitialize();
    CWindowThreadState& state = AfxGetWindowThreadState();
    if (state.m_pCurrentWinThread == this)
        state.m_pCurrentWinThread = nullptr;
    if (g_app == this)
        g_app = nullptr;
    for (const wchar_t** field : {&m_pszAppName, &m_pszExeName, &m_pszRegistryKey, &m_pszProfileName,
                                  &m_pszHelpFilePath})
        Replace(*field, nullptr);
}

BOOL CWinApp::InitApplication()
{
    return TRUE;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    if (m_pRecentFileList)
        m_pRecentFileList->WriteList();
    return static_cast<int>(m_msgCur.wParam);
}

int CWinApp::Run()
{
    return CWinThread::Run();
}

BOOL CWinApp::OnIdle(LONG lCount)
{
    return CWinThread::OnIdle(lCount);
}

void CWinApp::SetAppName(const wchar_t* name)
{
    Replace(m_pszAppName, name);
}

int CWinApp::DoMessageBox(const wchar_t* lpszPrompt, UINT nType, UINT)
{
    // The handle only: on another thread the main window's object is not ours to use.
    HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    if (owner && !::IsWindow(owner))
        owner = nullptr;
    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            nType |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            nType |= MB_ICONQUESTION;
            break;
        default:
            break;
        }
    }
    return ::MessageBoxW(owner, lpszPrompt, m_pszAppName, nType);
}

// ---- profile ------------------------------------------------------------------------------------

void CWinApp::SetRegistryKey(const wchar_t* lpszRegistryKey)
{
    // The profile name is fixed now: renaming the application later must not move its settings.
    m_profile.SetRegistryKey(lpszRegistryKey, m_pszAppName);
    Replace(m_pszRegistryKey, m_profile.GetRegistryKeyName());
    Replace(m_pszProfileName, m_profile.GetProfileName());
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey)
{
    const CString key = LoadProgramString(nIDRegistryKey);
    if (!key.IsEmpty())
        SetRegistryKey(key);
}

HKEY CWinApp::GetAppRegistryKey()
{
    return m_profile.GetAppRegistryKey();
}

HKEY CWinApp::GetSectionKey(const wchar_t* lpszSection)
{
    return m_profile.GetSectionKey(lpszSection);
}

UINT CWinApp::GetProfileInt(const wchar_t* lpszSection, const wchar_t* lpszEntry, int nDefault)
{
    return m_profile.GetProfileInt(lpszSection, lpszEntry, nDefault);
}

BOOL CWinApp::WriteProfileInt(const wchar_t* lpszSection, const wchar_t* lpszEntry, int nValue)
{
    return m_profile.WriteProfileInt(lpszSection, lpszEntry, nValue);
}

CString CWinApp::GetProfileString(const wchar_t* lpszSection, const wchar_t* lpszEntry, const wchar_t* lpszDefault)
{
    return m_profile.GetProfileString(lpszSection, lpszEntry, lpszDefault);
}

BOOL CWinApp::WriteProfileString(const wchar_t* lpszSection, const wchar_t* lpszEntry, const wchar_t* lpszValue)
{
    return m_profile.WriteProfileString(lpszSection, lpszEntry, lpszValue);
}

BOOL CWinApp::GetProfileBinary(const wchar_t* lpszSection, const wchar_t* lpszEntry, LPBYTE* ppData, UINT* pBytes)
{
    *ppData = nullptr;
    *pBytes = 0;
    std::vector<BYTE> bytes;
    if (!m_profile.GetProfileBinary(lpszSection, lpszEntry, bytes))
        return FALSE;
    *ppData = new BYTE[bytes.empty() ? 1 : bytes.size()];
    std::copy(bytes.begin(), bytes.end(), *ppData);
    *pBytes = static_cast<UINT>(bytes.size());
    return TRUE;
}

BOOL CWinApp::WriteProfileBinary(const wchar_t* lpszSection, const wchar_t* lpszEntry, LPBYTE pData, UINT nBytes)
{
    return m_profile.WriteProfileBinary(lpszSection, lpszEntry, pData, nBytes);
}

// ---- free functions -----------------------------------------------------------------------------

CWinApp* AfxGetApp()
{
    return g_app;
}

const wchar_t* AfxGetAppName()
{
    return g_app ? g_app->m_pszAppName : L"";
}

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = g_app;
    if (!app)
        return FALSE;
    if (hInstance)
        app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    app->m_nThreadID = ::GetCurrentThreadId();
    AfxGetWindowThreadState().m_pCurrentWinThread = app;
    return TRUE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (!app || !AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow) || !app->InitApplication())
        return -1;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}

int AfxMessageBox(const wchar_t* lpszText, UINT nType, UINT nIDHelp)
{
    if (CWinApp* app = AfxGetApp())
        return app->DoMessageBox(lpszText, nType, nIDHelp);
    return ::MessageBoxW(nullptr, lpszText, nullptr, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    const CString text = LoadProgramString(nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp == static_cast<UINT>(-1) ? nIDPrompt : nIDHelp);
}

BOOL AfxOleInit()
{
    const HRESULT hr = ::OleInitialize(nullptr);
    if (FAILED(hr))
        return FALSE;
    CWinApp* app = AfxGetApp();
    if (app && ::GetCurrentThreadId() == app->m_nThreadID) {
        if (!app->m_bOleInitialized)
            app->m_bOleInitialized = true;    // the application's end uninitialises
        else
            ::OleUninitialize();    // a second call keeps the one count
    }
    return TRUE;
}

void AfxEnableControlContainer()
{
    g_controlContainer = true;
}

BOOL AfxControlContainerEnabled()
{
    return g_controlContainer;
}
