#pragma once
// The application object, its start-up and shutdown, the About box and the Help command.
//
// Start-up runs in a fixed order and ends quietly at the first failure: a second instance (the
// single-instance mutex existed already) ends before anything else; the common controls, the
// framework, OLE (a failure shown with string 100), the global state (a failure shown with its
// reason), control containment and the registry key follow; then the main window is made, the
// application takes its product name, and the window its title with the product version.

#include "app/SingleInstance.h"

#include "framework/window/Dialog.h"
#include "framework/window/WinApp.h"

// The name the program shows: message-box captions, the About box and the main window's title.
inline constexpr wchar_t kProductNameWithEdition[] = L"Tarnwick Professional";
// The maker's registry key: the saved window state lives under HKCU\Software\Morvalund\tarnwick.
inline constexpr wchar_t kRegistryCompany[] = L"Morvalund";

class CtarnwickApp : public CWinApp {
public:
    // The mutex is the global constructed right after the application object; it is only read
    // once start-up runs.
    explicit CtarnwickApp(const CInstanceMutex* instanceMutex);

    BOOL InitInstance() override;
    int ExitInstance() override;

    void OnAppAbout();
    void OnHelpContents();

protected:
    // Makes the single-document template and processes the command line, which creates the
    // document, the main frame and the view and sets m_pMainWnd; FALSE ends start-up.
    virtual BOOL CreateMainWindow();

private:
    const CInstanceMutex* m_instanceMutex;  // not owned

    DECLARE_MESSAGE_MAP()
};

// "Tarnwick Professional 3.6": the product name and the program's ProductVersion.
CString MainWindowTitle();
// "Tarnwick Professional build 3.6.0": the product name and the program's FileVersion.
CString AboutBuildText();

class CAboutDialog : public CDialog {
public:
    CAboutDialog();

protected:
    BOOL OnInitDialog() override;
};
