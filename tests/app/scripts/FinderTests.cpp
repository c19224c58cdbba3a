// The recorder over the test setup program, started in the script job as the install-script
// panel starts it. The recorder runs modally on the test thread (its hook and timer need that
// thread's loop) while a helper thread moves the real pointer, holds Ctrl, clicks, reads the
// frame's pixels from the screen and answers the step editor.

#include "app/scripts/FinderDlg.h"

#include "engine/model/MsgAction.h"
#include "engine/replay/JobProcess.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include "tests/engine/replay/SetupProgramRun.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/setupprog/SetupProgIds.h"

#include "tests/app/scripts/RecorderPointer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

using namespace testsupport;
using namespace recordertest;

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Recorder Tests") {}
};

constexpr wchar_t kRecorderTitle[] = L"Select Control...";
constexpr wchar_t kEditorTitle[] = L"Action Properties";

// Points at a control of the setup program, waits until the recorder framed it (as a user waits
// for the frame) and Ctrl + clicks it once the thick frame shows Ctrl was seen.
void CtrlClickOn(HWND control)
{
    std::string why;
    ASSERT_TRUE(CtrlClickFramed(control, why)) << why;
}

HWND WaitForWindow(const wchar_t* title)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = FindProcessWindow({L"#32770", title})) != nullptr; }, kGuiTimeoutMs);
    return found;
}

bool IsTopmost(HWND window)
{
    return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// What the step editor showed for one captured step.
struct EditorView {
    std::wstring type;
    bool clickChecked = false;
    bool topmost = false;
};

// Waits for the step editor, reads it and ends it with OK or Cancel; then waits until the
// recorder is back (armed again).
EditorView AnswerEditor(HWND recorder, int button)
{
    EditorView view;
    HWND editor = WaitForWindow(kEditorTitle);
    if (!editor) {
        ADD_FAILURE() << "the step editor did not open";
        return view;
    }
    view.type = WindowText(::GetDlgItem(editor, IDC_ACTION_CONTROL_TYPE));
    view.clickChecked = ::SendMessageW(::GetDlgItem(editor, IDC_ACTION_CLICK), BM_GETCHECK, 0, 0) == BST_CHECKED;
    view.topmost = IsTopmost(editor);
    EXPECT_FALSE(::IsWindowVisible(recorder)) << "the recorder hides while the editor runs";
    PostClick(editor, button);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(editor) && ::IsWindowVisible(recorder); }, kGuiTimeoutMs))
        << "the recorder did not come back after the editor";
    return view;
}

// A window of the test process itself: never part of the setup program.
class OutsideWindow {
public:
    explicit OutsideWindow(POINT at, SIZE size = {160, 100})
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TarnwickRecorderOutside";
        windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        ::RegisterClassW(&windowClass);
        m_window = ::CreateWindowExW(0, windowClass.lpszClassName, L"Outside", WS_POPUP | WS_VISIBLE | WS_BORDER, at.x,
                                     at.y, size.cx, size.cy, nullptr, nullptr, windowClass.hInstance, nullptr);
        s_buttonDowns = 0;
        s_buttonUps = 0;
    }
    ~OutsideWindow() { ::DestroyWindow(m_window); }

    HWND Get() const { return m_window; }

    static inline std::atomic<int> s_buttonDowns{0};
    static inline std::atomic<int> s_buttonUps{0};

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_LBUTTONDOWN)
            ++s_buttonDowns;
        if (message == WM_LBUTTONUP)
            ++s_buttonUps;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
};

class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        wizard = run.WaitForMainWindow();
        ASSERT_NE(nullptr, wizard) << "the setup program showed no window";
    }
    void TearDown() override { AfxDeleteTempMaps(); }

    // Runs the recorder over the script while drive works from a helper thread; "Stop Record"
    // ends it when drive leaves it open. Answers the recorder's result.
    INT_PTR Record(const std::function<void(HWND)>& drive)
    {
        CFinderDlg recorder(&script);
        return RunModal({L"#32770", kRecorderTitle}, [&] { return recorder.DoModal(); }, drive);
    }

    replaytest::DesktopLock desktop; // replay tests click the same kind of program
    CTestApp app;
    replaytest::SetupProgramRun run;
    HWND wizard = nullptr;
    CMsgActions script;
};

TEST_F(RecorderTest, FramesTheControlUnderThePointerThinAndThickWhileCtrlIsHeld)
{
    HWND edit = ::GetDlgItem(wizard, IDC_NAME);
    RECT rect = {};
    ::GetWindowRect(edit, &rect);
    const int middle = (rect.top + rect.bottom) / 2;
    const POINT edge = {rect.left + 1, middle};   // inside both frames
    const POINT inner = {rect.left + 3, middle};  // inside the thick frame only

    // a main window for the recorder to hide and show again
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, AfxRegisterWndClass(0), L"Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 40, 300, 200,
                              nullptr, nullptr));
    app.m_pMainWnd = &main;
    bool mainHidden = false;
    bool topmost = false;
    bool thin = false;
    bool thick = false;
    bool thinAgain = false;
    Record([&](HWND recorder) {
        mainHidden = WaitFor([&] { return !::IsWindowVisible(main.m_hWnd); }, kGuiTimeoutMs);
        topmost = IsTopmost(recorder);
        thin = PointAtAndWaitForFrame(edit);
        ASSERT_TRUE(Key(VK_CONTROL, true));
        thick = WaitFor([&] { return ScreenPixel(edge) == kThickFrame && ScreenPixel(inner) == kThickFrame; },
                        kGuiTimeoutMs);
        ASSERT_TRUE(Key(VK_CONTROL, false));
        thinAgain = WaitFor([&] {
            const COLORREF at = ScreenPixel(inner);
            return ScreenPixel(edge) == kThinFrame && at != kThickFrame && at != kThinFrame;
        }, kGuiTimeoutMs);
    });
    EXPECT_TRUE(mainHidden) << "the main window stays visible while recording";
    EXPECT_TRUE(topmost);
    EXPECT_TRUE(thin) << "no 4 px light red frame on the edit";
    EXPECT_TRUE(thick) << "no 7 px red frame while Ctrl is held";
    EXPECT_TRUE(thinAgain) << "the thick frame stayed after Ctrl was released";
    // "Stop Record": the frame is wiped and the main window is back
    EXPECT_TRUE(::IsWindowVisible(main.m_hWnd));
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(edge) != kThinFrame; }, kGuiTimeoutMs)) << "the frame stayed";
    EXPECT_TRUE(script.IsEmpty());
    app.m_pMainWnd = nullptr;
    main.DestroyWindow();
}

// The frame is drawn on the screen, so it also lands on a window in front of the control; taking
// the thick frame away must repaint that window too, not just the control.
TEST_F(RecorderTest, TheThickFrameIsWipedFromAWindowInFrontOfTheControl)
{
    HWND edit = ::GetDlgItem(wizard, IDC_NAME);
    RECT rect = {};
    ::GetWindowRect(edit, &rect);
    const int middle = (rect.top + rect.bottom) / 2;
    const POINT inner = {rect.left + 3, middle};  // inside the thick frame only
    // white, over the edit's left end only, clear of the pointer at the edit's centre
    OutsideWindow cover({rect.left - 6, rect.top - 6}, {24, rect.bottom - rect.top + 12});
    ::SetWindowPos(cover.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_TRUE(PumpUntil([&] { return ::WindowFromPoint(inner) == cover.Get() && ScreenPixel(inner) == RGB(255, 255, 255); }))
        << "the cover did not show in front of the edit";
    bool thin = false;
    bool thick = false;
    bool wiped = false;
    Record([&](HWND) {
        thin = PointAtAndWaitForFrame(edit);
        ASSERT_TRUE(Key(VK_CONTROL, true));
        thick = WaitFor([&] { return ScreenPixel(inner) == kThickFrame; }, kGuiTimeoutMs);
        ASSERT_TRUE(Key(VK_CONTROL, false));
        wiped = WaitFor([&] { return ScreenPixel(inner) == RGB(255, 255, 255); }, kGuiTimeoutMs);
    });
    EXPECT_TRUE(thin);
    EXPECT_TRUE(thick) << "no thick frame drawn over the window in front";
    EXPECT_TRUE(wiped) << "the thick frame stayed on the window in front after Ctrl was released: pixel " << std::hex
                       << ScreenPixel(inner);
}

TEST_F(RecorderTest, CtrlClickRecordsTheControlSwallowsTheClickAndCancelAppendsNothing)
{
    HWND agree = ::GetDlgItem(wizard, IDC_AGREE);
    HWND typical = ::GetDlgItem(wizard, IDC_TYPICAL);
    std::vector<EditorView> views;
    const INT_PTR result = Record([&](HWND recorder) {
        // Cancel first: nothing kept, recording goes on with the same control
        CtrlClickOn(agree);
        views.push_back(AnswerEditor(recorder, IDCANCEL));
        CtrlClickOn(agree);
        views.push_back(AnswerEditor(recorder, IDOK));
        // a radio button inside a group box: the box lies above it, the button is meant
        CtrlClickOn(typical);
        views.push_back(AnswerEditor(recorder, IDOK));
        // Enter (the dialog's OK command) ends recording as well
        PostClick(recorder, IDOK);
        WaitFor([&] { return !::IsWindow(recorder); }, kGuiTimeoutMs);
    });
    EXPECT_EQ(IDOK, result);
    ASSERT_EQ(3u, views.size());
    for (const EditorView& view : views)
        EXPECT_TRUE(view.topmost);
    EXPECT_EQ(L"CheckBox", views[0].type);
    EXPECT_TRUE(views[0].clickChecked);
    EXPECT_EQ(L"CheckBox", views[1].type);
    EXPECT_EQ(L"Radio button", views[2].type);

    ASSERT_EQ(2, script.GetSize()) << "the cancelled step was appended";
    EXPECT_EQ(CMsgAction::controlCheckBox, script[0].m_controlType);
    EXPECT_EQ(CMsgAction::kindClick, script[0].m_kind);
    EXPECT_EQ(1, script[0].m_delay);
    EXPECT_EQ(IDC_AGREE, script[0].m_controlId);
    EXPECT_EQ(CString(L"setupprog.exe"), script[0].m_processName);
    EXPECT_FALSE(script[0].m_windowPath.IsEmpty());
    EXPECT_EQ(CMsgAction::controlRadioButton, script[1].m_controlType);
    EXPECT_EQ(IDC_TYPICAL, script[1].m_controlId);

    // the setup program never saw the recorded clicks
    const replaytest::Result state = run.CloseAndRead();
    EXPECT_EQ("0", state.at("agree"));
    EXPECT_EQ("0", state.at("typical"));
    EXPECT_EQ(0u, state.count("clicks.agree"));
    EXPECT_EQ(0u, state.count("clicks.typical"));
}

TEST_F(RecorderTest, CtrlClickOutsideTheSetupProgramRecordsNothingAndIsSwallowed)
{
    OutsideWindow outside({620, 60});
    ASSERT_NE(nullptr, outside.Get());
    // the pointer rests outside before recording starts, so nothing has been framed yet
    ASSERT_TRUE(PointAt(Centre(outside.Get())));
    HWND agree = ::GetDlgItem(wizard, IDC_AGREE);
    EditorView view;
    bool released = false;
    Record([&](HWND recorder) {
        CtrlClickAt(Centre(outside.Get()));
        // the button's release is not swallowed: once it arrived, the press was handled too
        released = WaitFor([&] { return OutsideWindow::s_buttonUps > 0; }, kGuiTimeoutMs);
        // had the outside click recorded anything, its editor would be the next one to open
        CtrlClickOn(agree);
        view = AnswerEditor(recorder, IDCANCEL);
    });
    EXPECT_TRUE(released);
    EXPECT_EQ(0, OutsideWindow::s_buttonDowns.load()) << "the Ctrl + click reached the window";
    EXPECT_EQ(L"CheckBox", view.type);
    EXPECT_TRUE(script.IsEmpty());
}

TEST(RecorderCandidates, ASetupProgramWithManyProcessesIsStillFramed)
{
    replaytest::DesktopLock desktop;
    CTestApp app;
    ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
    OutsideWindow outside({620, 60});
    {
        replaytest::SetupProgramRun run(L"/children:11");
        HWND wizard = run.WaitForMainWindow();
        ASSERT_NE(nullptr, wizard);
        UniqueKernelHandle job = DuplicateScriptJob();
        std::vector<DWORD> ids;
        ASSERT_TRUE(WaitFor([&] { return QueryJobProcessIds(job.Get(), ids) == 0 && ids.size() >= 12; }))
            << "the job holds " << ids.size() << " processes";
        CFinderDlg recorder;
        EXPECT_TRUE(recorder.IsCandidate(::GetDlgItem(wizard, IDC_NAME)));
        EXPECT_TRUE(recorder.IsCandidate(wizard));
        EXPECT_FALSE(recorder.IsCandidate(outside.Get())) << "a window of this process";
        EXPECT_FALSE(recorder.IsCandidate(nullptr));
    }
    // no script job any more: nothing is a candidate
    CFinderDlg recorder;
    EXPECT_FALSE(recorder.IsCandidate(outside.Get()));
    AfxDeleteTempMaps();
}

} // namespace
