#pragma once
// Drives the program itself for end-to-end tests: starts tarnwick.exe from the build folder on a
// fresh data folder, finds its windows by control id, class and title, reads the items of its
// tree, list-view and list-box controls from the other process, sends it commands, answers its
// message boxes, and ends it.
//
// Commands go as WM_COMMAND ids posted to the main window, so a test does not care whether the
// command sits in a menu, on a toolbar or in a command bar. Real input (clicks and typing) uses
// GuiSupport.h: SendInput reaches whichever window is in the foreground, so tests that type take
// the "desktop-input" lock, and tests that start the program run SERIAL (one instance per machine).
//
// Reading another process's controls: the item structure and its text buffer are placed in the
// program's address space (VirtualAllocEx), the control fills them there (its messages run in its
// own process), and the result is read back with ReadProcessMemory. The same path works on this
// process's own windows.

#include "framework/Handle.h"
#include "framework/String.h"

#include <string>
#include <vector>

namespace testsupport {

// What a window search matches; unset fields match anything. Only visible windows match.
struct AppWindowQuery {
    const wchar_t* className = nullptr;
    const wchar_t* title = nullptr;   // exact window text
    int controlId = -1;               // GetDlgCtrlID of a child
};

class AppDriver {
public:
    AppDriver() = default;
    AppDriver(const AppDriver&) = delete;
    AppDriver& operator=(const AppDriver&) = delete;
    // Ends the program if it still runs (WM_CLOSE first, then termination).
    ~AppDriver();

    // "<test program folder>\tarnwick.exe".
    static CString ProgramPath();
    // The program's data folder: "Tarnwick" under the user's Documents folder.
    static CString DataFolder();
    // Empties the data folder (the program then starts as on a first run); true when it is empty.
    static bool ResetDataFolder();

    // Starts the program with the arguments; true once it runs (not yet that it has a window).
    bool Start(const wchar_t* arguments = L"");
    // Waits for the program's main window: a visible top-level window of its process with the
    // given class (any when null); null after the time-out.
    HWND WaitForMainWindow(const wchar_t* className = nullptr, DWORD timeoutMs = 60000);
    // The program's main window ("Tarnwick Professional ..."). A start with an empty package list
    // opens the new-project wizard before the main window shows; any dialog met on the way is
    // cancelled.
    HWND MainWindowPastTheWizard(DWORD timeoutMs = 60000);
    HWND MainWindow() const { return m_mainWindow; }
    DWORD ProcessId() const { return m_processId; }
    HANDLE Process() const { return m_process.Get(); }

    bool IsRunning() const;
    // Waits for the program to end; true when it did, with its exit code in *exitCode.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    // Posts WM_CLOSE to the main window and waits for the program to end.
    bool Close(DWORD timeoutMs = 60000);
    // Ends the program at once.
    void Kill();

    // The visible top-level windows of the program, in the system's z-order.
    std::vector<HWND> TopLevelWindows() const;
    // The first visible top-level window of the program matching the query, waiting for it.
    HWND WaitForTopLevel(const AppWindowQuery& query, DWORD timeoutMs = 20000) const;
    // Posts a command to the main window as a menu would.
    bool PostCommand(UINT id) const;

    // A message box of the program (a dialog of class #32770 with the query's title, or any),
    // waiting for it; its text through MessageBoxText.
    HWND WaitForMessageBox(const wchar_t* title = nullptr, DWORD timeoutMs = 20000) const;
    // Clicks a message-box or dialog button by its id (IDOK, IDYES, ...) through BM_CLICK.
    static bool PressButton(HWND dialog, int buttonId);
    // Builds the selected package through its build dialog: posts buildCommand, waits for the
    // dialog captioned "Build <packageName>", types the output folder, chooses the first kind of
    // output, presses OK and answers the result box (captioned resultCaption). Returns that box's
    // text, or a line naming the step that did not come.
    std::wstring BuildThroughDialog(UINT buildCommand, const wchar_t* packageName, const CString& output,
                                    const wchar_t* resultCaption) const;
    // Answers the system's file-open dialog: the path goes into its file-name box, then its Open
    // button (IDOK) is clicked. False when the dialog has no file-name box.
    static bool ChooseFileInOpenDialog(HWND dialog, const wchar_t* path);
    // Clicks a browse button that opens the system's file-open dialog over owner, answers the
    // dialog with path as ChooseFileInOpenDialog does and waits for it to close. False, after
    // the test's failure message, when the dialog never came or never went.
    bool BrowseForFile(HWND owner, HWND browseButton, const CString& path) const;

private:
    UniqueKernelHandle m_process;
    DWORD m_processId = 0;
    HWND m_mainWindow = nullptr;    // not owned
};

// A visible descendant of parent matching the query (depth-first, in z-order); null when none.
HWND FindDescendant(HWND parent, const AppWindowQuery& query);
// The labels of a tree-view's items in pre-order, each prefixed by two spaces per level.
std::vector<std::wstring> ReadTreeItems(HWND tree);
// The label of the tree's selected item; empty when none.
std::wstring ReadSelectedTreeItem(HWND tree);
// The texts of one column of a list-view's rows.
std::vector<std::wstring> ReadListViewColumn(HWND list, int column = 0);
// The lines of a list box.
std::vector<std::wstring> ReadListBoxItems(HWND list);

// Controls of the program's dialogs by id, anywhere below top; WaitForControl waits for it.
HWND Control(HWND top, int id, const wchar_t* className = nullptr);
HWND WaitForControl(HWND top, int id, DWORD timeoutMs = 30000);
// WM_SETTEXT that gives up on a hung program.
bool SetText(HWND window, const CString& text);
// A posted BM_CLICK, so a dialog the button opens cannot block the test.
bool Click(HWND button);
// A posted PSM_PRESSBUTTON (PSBTN_NEXT, PSBTN_FINISH, ...).
bool PressWizardButton(HWND sheet, int button);
// The property sheet's current page; null when none.
HWND CurrentPage(HWND sheet);
// Adds text to the list of the sheet's current page through its add button and the item dialog
// ("Edit Item") it opens; true once the list ends with the text.
bool AddListItem(const AppDriver& program, HWND sheet, int listId, int addId, int textId, const wchar_t* text);

} // namespace testsupport
