#pragma once
// CScriptPanel: the editor of a project's install or uninstall script, hosted by the main view
// for the "Install Script" (mode 4) and "Uninstall Script" (mode 5) nodes. It shows the setup
// program and its arguments, a header naming the recognised installer maker, and the recorded
// steps in an owner-data list (the list asks for each row's text as it paints, so it always shows
// the steps as they are). From here the user records steps with the recorder, edits or deletes
// single steps, and plays the script against a freshly started setup program.
//
// Threads: "Play" starts a test thread that replays its own copy of the script (ScriptRules.h);
// after each step it hands the result text over and posts kStepReported, and when it ends it
// posts kTestEnded. The user-interface thread writes the results into the project's steps, so
// the list only ever reads steps that this thread alone writes. While the test runs, Record,
// Play, editing and deleting steps are refused here, and the packages tree refuses deleting the
// tested project or its package and closing the program; the list stays readable.

#include "app/AppBases.h"
#include "app/MarkupStatic.h"
#include "app/scripts/ScriptRules.h"

#include "engine/storage/Projects.h"

#include "framework/Handle.h"
#include "framework/window/ImageList.h"

#include <functional>
#include <memory>

class CScriptPanel : public AppResizeDialog {
    DECLARE_DYNAMIC(CScriptPanel)
public:
    explicit CScriptPanel(CProjects& projects = Projects);
    // A test still running is told to stop after its step and waited for.
    ~CScriptPanel() override;

    // Timer that redraws the list while a test runs, and its period: the result column follows
    // the replay without redrawing for every message.
    static constexpr UINT_PTR kRedrawTimer = 111;
    static constexpr UINT kRedrawPeriodMs = 410;
    // Posted by the test thread to the panel.
    static constexpr UINT kStepReported = WM_APP + 0x51;
    static constexpr UINT kTestEnded = WM_APP + 0x52;

    // Makes the panel's window (hidden) as a child of parent.
    BOOL CreatePanel(CWnd* parent);

    // Shows a project's script: mode 4 the install script, 5 the uninstall script. package gives
    // the output folder that setup files without a source path lie in. A setup program path that
    // names no file entry of the project is emptied.
    void SetScript(CFeature* project, int mode, CProjectSettings* package = nullptr);
    // Lets go of the project before the list changes shape under it (nothing is written back).
    void Release();
    CFeature* Project() const { return m_project; }
    int Mode() const { return m_mode; }

    // Resolves the setup file and rebuilds the header and the arguments button from it.
    void UpdateHeader();
    // The setup program's file on this machine (the project's entry's source), or empty.
    CString ResolveSetupFile() const;

    // Starts a setup program in a new script job (JobProcess.h); 0 or the Windows error.
    [[nodiscard]] static DWORD StartSetupProgram(const CString& path, const CString& arguments);

    // Whether a test runs, and for which project (its id).
    bool IsTesting() const { return m_testing != 0; }
    CString TestedProjectId() const;
    // Starts the test thread on the shown script (Play does this once the setup program runs);
    // false when a test already runs or no script is shown.
    bool StartTest();

    // The commands; public so the tests can call them as the buttons and the menu do.
    void OnBrowseSetup();
    void OnArguments();
    void OnRecord();
    void OnPlay();
    void EditSelectedStep();
    void DeleteSelectedStep();
    void ShowStepMenuAtItem();
    void OnHyperlinkClick(const CString& tag);

    // How a web address of the header is opened; the shell's "open" by default.
    void SetOpener(std::function<void(const CString&)> opener) { m_open = std::move(opener); }
    // How the package list is saved after a recording; the data file of the list by default.
    void SetSaver(std::function<bool()> saver) { m_save = std::move(saver); }

    CListCtrl& StepList() { return m_list; }
    CMarkupStatic& Header() { return m_header; }
    // The screen point the step menu was last opened at (for the tests).
    CPoint LastMenuPoint() const { return m_lastMenuPoint; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // Enter and Esc in a panel must neither end nor hide it.
    void OnOK() override {}
    void OnCancel() override {}

    void OnTimer(UINT_PTR nIDEvent);
    void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListRightClick(NMHDR* pNMHDR, LRESULT* pResult);
    LRESULT OnStepReported(WPARAM wParam, LPARAM lParam);
    LRESULT OnTestEnded(WPARAM wParam, LPARAM lParam);

private:
    CMsgActions* ShownScript() const;
    int SelectedRow() const;
    void SetRowCount();
    // Shows the step menu at a screen point (nothing without a selected row).
    void ShowStepMenu(CPoint screen);
    // Tells the user that a running test refuses what was asked; true when one runs.
    bool RefuseWhileTesting();
    void SetTestButtons(bool enabled);
    // Takes the results the thread handed over into the project's steps and redraws their rows.
    void TakeTestReports();
    // Asks Play's and Record's question when the setup program cannot start; OK browses.
    void AskForSetupFile();
    // Mode 5: lets the user pick an installed program's uninstall command; false when cancelled.
    bool PickUninstallCommand(const wchar_t* question, CString& command);
    // Record's and Play's start: the setup program (mode 4) or a picked uninstall command (mode 5)
    // in the script job; false, with the user told why, when nothing was started.
    bool StartShownSetup(const wchar_t* pickQuestion);
    bool SaveList();
    static DWORD WINAPI TestThreadProc(void* parameter);

    CProjects& m_projects;                    // not owned
    int m_mode = 0;
    CImageList m_images;
    CMarkupStatic m_header;
    CFeature* m_project = nullptr;            // not owned: the shown project
    CProjectSettings* m_package = nullptr;    // not owned: the shown project's package
    AppButton m_recordButton;
    AppButton m_playButton;
    AppListCtrl m_list;
    int m_testing = 0;

    std::shared_ptr<CScriptTestRun> m_run;    // shared with the test thread
    UniqueKernelHandle m_testThread;
    HICON m_recordIcon = nullptr;             // not owned: shared resource icons
    HICON m_playIcon = nullptr;
    CPoint m_lastMenuPoint{-1, -1};
    std::function<void(const CString&)> m_open;
    std::function<bool()> m_save;

    DECLARE_MESSAGE_MAP()
};
