#pragma once
// CWinApp: the application, the one framework thread object of the user-interface thread.
//
// The one object is made as a global (or, in a test program, as a local of the test) on the
// user-interface thread; making it registers it as AfxGetApp and as that thread's framework
// thread. A program's entry calls AfxWinMain; a test program brings the application up without
// it: AfxWinInit, then InitInstance and, when it wants the loop, Run.
//
// Names: m_pszAppName starts as string 57344 of the program (else the program's file name) and is
// the caption of AfxMessageBox. SetRegistryKey fixes the profile name to the application name of
// that moment, so renaming the application later does not move the settings. The profile
// functions then keep values under HKEY_CURRENT_USER\Software\<key>\<profile name>\<section>;
// without a registry key they use the ini file named by m_pszProfileName (<program>.ini beside the
// program). The storage itself is CAppProfile's (framework/Profile.h).
//
// The name strings are malloc'ed (_wcsdup) and owned by the application: a program that replaces
// one frees the old one first.

#include "framework/Profile.h"
#include "framework/ResourceHandle.h"
#include "framework/String.h"
#include "framework/window/WinThread.h"

#include <vector>

class CCommandLineInfo;
class CDocTemplate;
class CDocument;
class CRecentFileList;

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(const wchar_t* lpszAppName = nullptr);
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;            // not owned
    int m_nCmdShow = SW_SHOWNORMAL;
    const wchar_t* m_pszAppName = nullptr;
    const wchar_t* m_pszExeName = nullptr;
    const wchar_t* m_pszRegistryKey = nullptr;
    const wchar_t* m_pszProfileName = nullptr;
    const wchar_t* m_pszHelpFilePath = nullptr;

    virtual BOOL InitApplication();
    BOOL InitInstance() override;
    int ExitInstance() override;
    int Run() override;
    BOOL OnIdle(LONG lCount) override;
    // The message box of AfxMessageBox: captioned with the application name, owned by the main
    // window (whatever thread asks).
    virtual int DoMessageBox(const wchar_t* lpszPrompt, UINT nType, UINT nIDPrompt);

    void SetRegistryKey(const wchar_t* lpszRegistryKey);
    void SetRegistryKey(UINT nIDRegistryKey);
    // Replaces m_pszAppName (the profile name is not affected once a registry key is set).
    void SetAppName(const wchar_t* name);

    UINT GetProfileInt(const wchar_t* lpszSection, const wchar_t* lpszEntry, int nDefault);
    BOOL WriteProfileInt(const wchar_t* lpszSection, const wchar_t* lpszEntry, int nValue);
    CString GetProfileString(const wchar_t* lpszSection, const wchar_t* lpszEntry,
                             const wchar_t* lpszDefault = nullptr);
    // A null entry removes the whole section, a null value the entry.
    BOOL WriteProfileString(const wchar_t* lpszSection, const wchar_t* lpszEntry, const wchar_t* lpszValue);
    // *ppData is allocated with new[] and belongs to the caller; FALSE (and null) when missing.
    BOOL GetProfileBinary(const wchar_t* lpszSection, const wchar_t* lpszEntry, LPBYTE* ppData, UINT* pBytes);
    BOOL WriteProfileBinary(const wchar_t* lpszSection, const wchar_t* lpszEntry, LPBYTE pData, UINT nBytes);
    // HKCU\Software\<key>\<profile name>, created when missing; the caller closes it. Null without
    // a registry key.
    HKEY GetAppRegistryKey();
    // The section's key under the application's key, created when missing; the caller closes it.
    HKEY GetSectionKey(const wchar_t* lpszSection);

    // ---- documents (DocTemplate.cpp) ----
    // The application owns the template from now on.
    void AddDocTemplate(CDocTemplate* pTemplate);
    int GetDocTemplateCount() const { return static_cast<int>(m_templates.size()); }
    CDocTemplate* GetDocTemplate(int index) const { return m_templates[static_cast<size_t>(index)]; }
    virtual CDocument* OpenDocumentFile(const wchar_t* lpszFileName);
    // Reads the process's command line (its arguments after the program) into rCmdInfo.
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    // New document, open a file; FALSE for the switches this framework does not serve and when
    // no main window came of it.
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    virtual void AddToRecentFileList(const wchar_t* lpszPathName);
    void OnFileNew();
    void OnAppExit();
    void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);
    BOOL OnOpenRecentFile(UINT nID);
    CRecentFileList* m_pRecentFileList = nullptr;    // owned

private:
    std::vector<CDocTemplate*> m_templates;    // owned
    void DeleteDocTemplates();    // and the recent file list (DocTemplate.cpp)
    CAppProfile m_profile;    // where the profile calls go; m_pszRegistryKey/m_pszProfileName mirror it
    bool m_bOleInitialized = false;
    friend BOOL AfxOleInit();

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
const wchar_t* AfxGetAppName();

// Sets up the application on the calling thread as WinMain would; FALSE without an application.
BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
// The program's entry: AfxWinInit, InitApplication, InitInstance, then Run (or ExitInstance when
// InitInstance fails).
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);

// A message box from any thread (see CWinApp::DoMessageBox). Without an icon in nType, an OK or
// OK/Cancel box gets the exclamation mark and a yes/no box the question mark.
int AfxMessageBox(const wchar_t* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));

// Makes the calling thread a single-threaded OLE apartment for the application's lifetime.
BOOL AfxOleInit();
// Allowed as the program's start-up asks, but no ActiveX control is hosted: CreateControl fails.
void AfxEnableControlContainer();
BOOL AfxControlContainerEnabled();
