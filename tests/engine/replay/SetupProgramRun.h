#pragma once
// The test setup program (tests/support/setupprog) run inside the script job, as the
// install-script editor runs a setup program, with its result file in a scratch folder.

#include "engine/model/MsgAction.h"
#include "framework/String.h"

#include <commctrl.h>
#include "tests/support/TestSupport.h"

#include <map>
#include <string>

namespace replaytest {

using Result = std::map<std::string, std::string>;

// One script step without delay on the window of that path in the named process, acting at the
// point given (inside the control).
CMsgAction ScriptStep(int kind, int controlType, const wchar_t* processName, const wchar_t* path,
                      const wchar_t* text = L"", POINT point = {5, 5});

// Path of the program beside the tests.
CString SetupProgramPath();

// The key=value lines of a result file the program wrote; empty when it cannot be read.
Result ReadResultFile(const CString& path);

// Limit of every wait in these tests for something that should happen soon (a window appears, a
// process ends). CTest runs tests in parallel on a loaded machine, where a Wine process can take
// many seconds to show its first window; a wait that passes returns as soon as its condition holds.
inline constexpr DWORD kWaitLimitMs = 60000;

// Holds the whole desktop for one test: replays focus windows, type through the clipboard and
// click; two tests doing that at once (CTest runs tests in parallel) would disturb each other.
// The test fails when the desktop is not free within the limit (other tests held it throughout).
class DesktopLock {
public:
    // Long enough for the other holders' tests (package installs among them) to end.
    static constexpr DWORD kLimitMs = 15 * 60 * 1000;

    DesktopLock();
    ~DesktopLock();
    DesktopLock(const DesktopLock&) = delete;
    DesktopLock& operator=(const DesktopLock&) = delete;

private:
    UniqueKernelHandle m_mutex;
    bool m_held = false;
};

class SetupProgramRun {
public:
    // Starts the program with the switches plus /result:<scratch file>; fails the test when it
    // cannot start.
    explicit SetupProgramRun(const wchar_t* switches = L"");
    ~SetupProgramRun(); // ends every process of the job

    SetupProgramRun(const SetupProgramRun&) = delete;
    SetupProgramRun& operator=(const SetupProgramRun&) = delete;

    DWORD StartError() const { return m_startError; }
    const CString& ResultFile() const { return m_resultFile; }

    // The first visible top-level window of the started process, waiting up to timeoutMs for it;
    // null when none appears or the process has ended.
    HWND WaitForMainWindow(DWORD timeoutMs = kWaitLimitMs);
    // Waits for the started process to end (false on time-out).
    bool WaitForExit(DWORD timeoutMs = kWaitLimitMs);
    // Closes the wizard (it writes its state as it goes), waits for the process and reads the
    // result file.
    Result CloseAndRead();
    Result ReadResult() const;
    DWORD ExitCode() const;

private:
    testsupport::ScratchFolder m_scratch;
    CString m_resultFile;
    DWORD m_startError = 0;
    UniqueKernelHandle m_job;
    UniqueKernelHandle m_process;
};

// Client points inside items of the wizard's controls, found through the controls themselves
// (list views and trees answer only inside their own process, so a remote block carries the
// rectangles). Each returns {-1, -1} when the item is not there.
POINT ListBoxItemPoint(HWND listBox, int index);
POINT ListViewItemPoint(HWND listView, int index);
// The tree item with that text, and the middle of its check box (left of its label) or label.
HTREEITEM FindTreeItem(HWND tree, const wchar_t* text);
POINT TreeStateIconPoint(HWND tree, const wchar_t* text);
POINT TreeLabelPoint(HWND tree, const wchar_t* text);

// A WOW64 probe for the bitness tests (only 64-bit processes run here): every process but this
// one passes for a 32-bit process.
bool PretendOthersAre32Bit(HANDLE process);

using testsupport::WaitFor;

} // namespace replaytest
