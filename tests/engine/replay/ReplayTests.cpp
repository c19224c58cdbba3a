#include "engine/model/MsgAction.h"
#include "engine/replay/RemoteWindow.h"
#include "engine/replay/ScriptActions.h"
#include "tests/engine/replay/SetupProgramRun.h"
#include "tests/support/setupprog/SetupProgIds.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

using namespace replaytest;

namespace {

const wchar_t kProcess[] = L"setupprog.exe";
const wchar_t kNamePath[] = L"#32770--1\\edit-0\\-0";
const wchar_t kAgreePath[] = L"#32770--1\\button-0\\-0";
const wchar_t kCustomPath[] = L"#32770--1\\button-3\\-0";
const wchar_t kFoldersPath[] = L"#32770--1\\listbox-0\\-0";
const wchar_t kFeaturesPath[] = L"#32770--1\\systreeview32-0\\-0";
const wchar_t kNextPath[] = L"#32770--1\\button-4\\-0";
const wchar_t kCancelPath[] = L"#32770--1\\button-5\\-0";
const wchar_t kDestinationPath[] = L"#32770--1\\#32770-0\\edit-0\\-0";
const wchar_t kBrowsePath[] = L"#32770--1\\#32770-0\\button-0\\-0";
// While the confirmation is up it is listed first and owns the rank 0 of the shared path.
const wchar_t kConfirmYesPath[] = L"#32770--1\\#32770-0\\button-0\\-0";

// The monotonic clock, not the tick count: Wine's tick count is refreshed by the server and
// lags behind under load, so a 300 ms sleep could read as 279 ms.
long long ElapsedMs(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

CMsgAction Step(int kind, int controlType, const wchar_t* path, const wchar_t* text = L"", POINT point = {5, 5})
{
    return ScriptStep(kind, controlType, kProcess, path, text, point);
}

CMsgActions Script(std::initializer_list<CMsgAction> steps)
{
    CMsgActions script;
    for (const CMsgAction& step : steps)
        script.Add(step);
    return script;
}

CString ClipboardText()
{
    CString text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

void SetClipboardText(const wchar_t* text)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(block), text, bytes);
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}

// True when another thread can open the clipboard: nobody has left it open.
bool ClipboardFreeForOthers()
{
    bool opened = false;
    std::thread([&opened] {
        opened = OpenClipboard(nullptr) != FALSE;
        if (opened)
            CloseClipboard();
    }).join();
    return opened;
}

// Keeps the clipboard open on another thread for its lifetime, as a program busy with it does.
class ClipboardHolder {
public:
    ClipboardHolder()
        : m_thread([this] {
              m_opened = OpenClipboard(nullptr) != FALSE;
              SetEvent(m_ready.Get());
              WaitForSingleObject(m_release.Get(), INFINITE);
              if (m_opened)
                  CloseClipboard();
          })
    {
        WaitForSingleObject(m_ready.Get(), INFINITE);
    }
    ~ClipboardHolder()
    {
        SetEvent(m_release.Get());
        m_thread.join();
    }
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;

    bool Opened() const { return m_opened; }

private:
    UniqueKernelHandle m_ready{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle m_release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    bool m_opened = false;
    std::thread m_thread; // last: it uses the members above
};

// Waits of the replays here. A window that should be there is searched for up to the tests' wait
// limit, since under a loaded CTest a dialog can take seconds to show; a step that must fail
// searches briefly (ShortSearches).
ReplayTiming GenerousTiming()
{
    ReplayTiming timing;
    timing.msPerDelaySecond = 100;
    timing.attemptPauseMs = 100;
    timing.attempts = static_cast<int>(kWaitLimitMs / timing.attemptPauseMs);
    timing.highlightMs = 10;
    return timing;
}

class Replay : public ::testing::Test {
protected:
    void SetUp() override { SetReplayTimingForTests(GenerousTiming()); }
    void TearDown() override
    {
        SetReplayTimingForTests(ReplayTiming());
        SetWow64ProbeForTests(nullptr);
    }

    // For engines built after this call: three searches 100 ms apart.
    static void ShortSearches()
    {
        ReplayTiming timing = GenerousTiming();
        timing.attempts = 3;
        SetReplayTimingForTests(timing);
    }

    DesktopLock m_desktop;
};

} // namespace

TEST_F(Replay, EveryActingKindReachesTheWizard)
{
    SetupProgramRun run;
    HWND wizard = run.WaitForMainWindow();
    ASSERT_NE(nullptr, wizard);
    CMsgActions script = Script({
        Step(CMsgAction::kindSetText, CMsgAction::controlEdit, kNamePath, L"Jane Doe"),
        Step(CMsgAction::kindSetText, CMsgAction::controlEdit, kDestinationPath, L"C:\\Program Files\\Test App"),
        Step(CMsgAction::kindSelect, CMsgAction::controlCheckBox, kAgreePath),
        Step(CMsgAction::kindClick, CMsgAction::controlRadioButton, kCustomPath),
        Step(CMsgAction::kindSelect, CMsgAction::controlListbox, kFoldersPath, L"Start Menu"),
        Step(CMsgAction::kindDblClick, CMsgAction::controlButton, kBrowsePath),
        Step(CMsgAction::kindRightClick, CMsgAction::controlButton, kNextPath),
    });
    CScriptActions engine;
    EXPECT_EQ(0, engine.PlayActions(script, true));
    for (const CMsgAction& step : script)
        EXPECT_EQ("ok", testsupport::Utf8(step.m_result.View())) << testsupport::Utf8(step.m_windowPath.View());

    Result result = run.CloseAndRead();
    EXPECT_EQ("Jane Doe", result["name"]);
    EXPECT_EQ("C:\\Program Files\\Test App", result["destination"]);
    EXPECT_EQ("1", result["agree"]);
    EXPECT_EQ("1", result["custom"]);
    EXPECT_EQ("0", result["typical"]);
    EXPECT_EQ("Start Menu", result["folders"]);
    EXPECT_EQ("1", result["clicks.browse"]) << "a double click is replayed as one click";
    EXPECT_EQ("1", result["clicks.next"]);
    EXPECT_EQ("2", result["page"]);
}

TEST_F(Replay, CheckBoxIsClickedOnlyWhenItsStateMustChange)
{
    SetupProgramRun run;
    ASSERT_NE(nullptr, run.WaitForMainWindow());
    // Select, Select again (already checked: no click), UnSelect, UnSelect again.
    CMsgActions script = Script({
        Step(CMsgAction::kindSelect, CMsgAction::controlCheckBox, kAgreePath),
        Step(CMsgAction::kindSelect, CMsgAction::controlCheckBox, kAgreePath),
        Step(CMsgAction::kindUnSelect, CMsgAction::controlCheckBox, kAgreePath),
        Step(CMsgAction::kindUnSelect, CMsgAction::controlCheckBox, kAgreePath),
        Step(CMsgAction::kindSelect, CMsgAction::controlCheckBox, kAgreePath),
    });
    CScriptActions engine;
    EXPECT_EQ(0, engine.PlayActions(script, false));
    Result result = run.CloseAndRead();
    EXPECT_EQ("3", result["clicks.agree"]);
    EXPECT_EQ("1", result["agree"]);
}

TEST_F(Replay, ListBoxItemIsSelectedByTextOrByIndex)
{
    SetupProgramRun run;
    ASSERT_NE(nullptr, run.WaitForMainWindow());
    CScriptActions engine;
    CMsgAction byText = Step(CMsgAction::kindSelect, CMsgAction::controlListbox, kFoldersPath, L"desk");
    EXPECT_EQ(0, engine.PlayAction(byText)) << testsupport::Utf8(byText.m_result.View());
    EXPECT_EQ("Desktop", run.CloseAndRead()["folders"]) << "selection by the start of the text";

    SetupProgramRun second;
    ASSERT_NE(nullptr, second.WaitForMainWindow());
    CMsgAction byIndex = Step(CMsgAction::kindUnSelect, CMsgAction::controlListbox, kFoldersPath);
    byIndex.m_controlId = 3;
    EXPECT_EQ(0, engine.PlayAction(byIndex)) << testsupport::Utf8(byIndex.m_result.View());
    CMsgAction missing = Step(CMsgAction::kindSelect, CMsgAction::controlListbox, kFoldersPath, L"Favorites");
    EXPECT_EQ(1, engine.PlayAction(missing)) << "an item that is not in the list was reported done";
    EXPECT_EQ("Listbox item 'Favorites' was not found", testsupport::Utf8(missing.m_result.View()));
    CMsgAction outOfRange = Step(CMsgAction::kindSelect, CMsgAction::controlListbox, kFoldersPath);
    outOfRange.m_controlId = 9;
    EXPECT_EQ(1, engine.PlayAction(outOfRange));
    EXPECT_EQ("Listbox item 9 was not found", testsupport::Utf8(outOfRange.m_result.View()));
    Result result = second.CloseAndRead();
    EXPECT_EQ("Documents", result["folders"]);
}

TEST_F(Replay, TreeItemIsCheckedAndUncheckedAloneAmongItsNeighbours)
{
    SetupProgramRun run;
    HWND wizard = run.WaitForMainWindow();
    ASSERT_NE(nullptr, wizard);
    HWND tree = GetDlgItem(wizard, IDC_FEATURES);
    const POINT documentation = TreeStateIconPoint(tree, L"Documentation");
    const POINT themes = TreeStateIconPoint(tree, L"Themes");
    ASSERT_NE(-1, documentation.x);

    CScriptActions engine;
    CMsgActions script = Script({
        Step(CMsgAction::kindSelect, CMsgAction::controlTreeview, kFeaturesPath, L"Documentation", documentation),
        Step(CMsgAction::kindSelect, CMsgAction::controlTreeview, kFeaturesPath, L"Themes", themes),
        Step(CMsgAction::kindSelect, CMsgAction::controlTreeview, kFeaturesPath, L"Themes", themes),
        Step(CMsgAction::kindUnSelect, CMsgAction::controlTreeview, kFeaturesPath, L"Themes", themes),
    });
    EXPECT_EQ(0, engine.PlayActions(script, false));
    for (const CMsgAction& step : script)
        EXPECT_EQ("ok", testsupport::Utf8(step.m_result.View()));

    Result result = run.CloseAndRead();
    EXPECT_EQ("1", result["feature.Documentation"]);
    EXPECT_EQ("0", result["feature.Themes"]);
    EXPECT_EQ("0", result["feature.Main program"]);
    EXPECT_EQ("0", result["feature.Plug-ins"]);
    EXPECT_EQ("0", result["feature.Samples"]);
}

TEST_F(Replay, TreeOfAnotherBitnessIsNotWrittenInto)
{
    SetupProgramRun run;
    HWND wizard = run.WaitForMainWindow();
    ASSERT_NE(nullptr, wizard);
    const POINT samples = TreeStateIconPoint(GetDlgItem(wizard, IDC_FEATURES), L"Samples");
    // Only 64-bit processes run here: pretend every other process is a 32-bit one.
    SetWow64ProbeForTests(PretendOthersAre32Bit);
    CScriptActions engine;
    CMsgAction step = Step(CMsgAction::kindSelect, CMsgAction::controlTreeview, kFeaturesPath, L"Samples", samples);
    EXPECT_EQ(1, engine.PlayAction(step));
    EXPECT_EQ("Treeview 'Samples' was not changed: the setup program is a 32-bit process",
              testsupport::Utf8(step.m_result.View()));
    SetWow64ProbeForTests(nullptr);
    EXPECT_EQ("0", run.CloseAndRead()["feature.Samples"]);
}

TEST_F(Replay, SetTextKeepsTheUsersClipboard)
{
    SetupProgramRun run;
    ASSERT_NE(nullptr, run.WaitForMainWindow());
    SetClipboardText(L"the user's own text");
    CScriptActions engine;
    CMsgAction type = Step(CMsgAction::kindSetText, CMsgAction::controlEdit, kNamePath, L"typed by the script");
    EXPECT_EQ(0, engine.PlayAction(type));
    EXPECT_TRUE(ClipboardFreeForOthers()) << "the replay left the clipboard open";
    EXPECT_EQ("the user's own text", testsupport::Utf8(ClipboardText().View()));

    // An empty text clears the box without going through the clipboard.
    SetClipboardText(L"untouched");
    CMsgAction clear = Step(CMsgAction::kindSetText, CMsgAction::controlEdit, kDestinationPath, L"");
    CMsgAction fill = Step(CMsgAction::kindSetText, CMsgAction::controlEdit, kDestinationPath, L"D:\\Apps");
    EXPECT_EQ(0, engine.PlayAction(fill));
    EXPECT_EQ(0, engine.PlayAction(clear));
    EXPECT_EQ("untouched", testsupport::Utf8(ClipboardText().View()));
    Result result = run.CloseAndRead();
    EXPECT_EQ("typed by the script", result["name"]);
    EXPECT_EQ("", result["destination"]);
}

// A clipboard that another program keeps open can be neither read nor replaced: the text is set
// directly, and whatever the clipboard holds is left as it was.
TEST_F(Replay, SetTextWithABusyClipboardSetsTheTextDirectly)
{
    SetupProgramRun run;
    ASSERT_NE(nullptr, run.WaitForMainWindow());
    SetClipboardText(L"kept while busy");
    CScriptActions engine;
    CMsgAction type = Step(CMsgAction::kindSetText, CMsgAction::controlEdit, kNamePath, L"set while busy");
    {
        ClipboardHolder busy;
        ASSERT_TRUE(busy.Opened());
        EXPECT_EQ(0, engine.PlayAction(type));
        EXPECT_EQ("ok", testsupport::Utf8(type.m_result.View()));
    }
    EXPECT_TRUE(ClipboardFreeForOthers());
    EXPECT_EQ("kept while busy", testsupport::Utf8(ClipboardText().View()));
    EXPECT_EQ("set while busy", run.CloseAndRead()["name"]);
}

TEST_F(Replay, MissingWindowFailsAfterItsAttempts)
{
    SetupProgramRun run;
    ASSERT_NE(nullptr, run.WaitForMainWindow());
    ShortSearches();
    CScriptActions engine;
    CMsgAction step = Step(CMsgAction::kindClick, CMsgAction::controlButton, L"#32770--1\\button-9\\-0", L"Install");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(1, engine.PlayAction(step));
    EXPECT_GE(ElapsedMs(start), 280) << "three attempts with a pause after each";
    EXPECT_EQ("Button 'Install' was not found", testsupport::Utf8(step.m_result.View()));
    EXPECT_EQ(nullptr, engine.CurrentWindow());

    CMsgAction odd = Step(CMsgAction::kindClick, 42, L"#32770--1\\nothing-0\\-0", L"x");
    EXPECT_EQ(1, engine.PlayAction(odd));
    EXPECT_EQ("Control 'x' was not found", testsupport::Utf8(odd.m_result.View()));
}

TEST_F(Replay, TimeoutStepOnlyWaits)
{
    CScriptActions engine;
    CMsgAction step;
    step.m_kind = CMsgAction::kindTimeout;
    step.m_delay = 3;
    step.m_windowPath = L"#32770--1\\nothing-0\\-0";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, engine.PlayAction(step));
    const long long elapsed = ElapsedMs(start);
    EXPECT_GE(elapsed, 280) << "the delay of 3 seconds at 100 ms each";
    // A search for the missing window would take the whole search time; half of it is a bound
    // that no load reaches.
    EXPECT_LT(elapsed, static_cast<long long>(kWaitLimitMs / 2)) << "a Timeout step searched for its window";
    EXPECT_EQ("timeout 3 sec.", testsupport::Utf8(step.m_result.View()));
}

TEST_F(Replay, FailedStepStopsTheScriptUnlessItMayFail)
{
    SetupProgramRun run;
    ASSERT_NE(nullptr, run.WaitForMainWindow());
    const CMsgAction missing = Step(CMsgAction::kindClick, CMsgAction::controlButton, L"#32770--1\\button-9\\-0", L"Gone");
    CMsgAction mayFail = missing;
    mayFail.m_continueOnFailure = 1;
    const CMsgAction next = Step(CMsgAction::kindClick, CMsgAction::controlButton, kNextPath);

    ShortSearches(); // the wizard and its Next button are up already
    CScriptActions engine;
    CMsgActions stops = Script({missing, next});
    EXPECT_EQ(1, engine.PlayActions(stops, false));
    EXPECT_EQ("", testsupport::Utf8(stops[1].m_result.View())) << "the step after a failure ran";

    CMsgActions goesOn = Script({mayFail, next, next});
    EXPECT_EQ(0, engine.PlayActions(goesOn, false));
    EXPECT_EQ("Button 'Gone' was not found", testsupport::Utf8(goesOn[0].m_result.View()));
    EXPECT_EQ("ok", testsupport::Utf8(goesOn[2].m_result.View()));

    CMsgActions endsBadly = Script({next, mayFail});
    EXPECT_EQ(1, engine.PlayActions(endsBadly, false)) << "the last step's result is the run's";
    CMsgActions empty;
    EXPECT_EQ(0, engine.PlayActions(empty, false));
    EXPECT_EQ("3", run.CloseAndRead()["clicks.next"]);
}

TEST_F(Replay, KindsWithoutActionSayNothingWasPerformed)
{
    SetupProgramRun run;
    ASSERT_NE(nullptr, run.WaitForMainWindow());
    CScriptActions engine;
    const struct {
        int kind;
        int controlType;
        const char* result;
    } cases[] = {
        {CMsgAction::kindSendKey, CMsgAction::controlButton, "nothing performed: Send Key is not replayed"},
        {CMsgAction::kindSendMessage, CMsgAction::controlButton, "nothing performed: Send Message is not replayed"},
        {CMsgAction::kindPostMessage, CMsgAction::controlButton, "nothing performed: Post Message is not replayed"},
        {CMsgAction::kindMouseEvent, CMsgAction::controlButton, "nothing performed: Mouse event is not replayed"},
        {CMsgAction::kindKeyboardEvent, CMsgAction::controlButton, "nothing performed: Keyboard Event is not replayed"},
        {CMsgAction::kindSelect, CMsgAction::controlButton, "nothing performed: Select is not replayed on a Button"},
    };
    for (const auto& c : cases) {
        CMsgAction step = Step(c.kind, c.controlType, kNextPath);
        EXPECT_EQ(0, engine.PlayAction(step)) << c.result;
        EXPECT_EQ(c.result, testsupport::Utf8(step.m_result.View()));
    }
    EXPECT_EQ("", run.CloseAndRead()["clicks.next"]);
}

TEST_F(Replay, OwnedConfirmationIsAnsweredByItsPath)
{
    SetupProgramRun run;
    ASSERT_NE(nullptr, run.WaitForMainWindow());
    CMsgActions script = Script({
        Step(CMsgAction::kindClick, CMsgAction::controlButton, kCancelPath),
        Step(CMsgAction::kindClick, CMsgAction::controlButton, kConfirmYesPath),
    });
    script[1].m_delay = 1;
    CScriptActions engine;
    EXPECT_EQ(0, engine.PlayActions(script, false));
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_EQ(1602u, run.ExitCode());
    Result result = run.ReadResult();
    EXPECT_EQ("1", result["clicks.cancel"]);
    EXPECT_EQ("1", result["clicks.yes"]);
    EXPECT_EQ("", result["clicks.browse"]) << "the page's button answered instead of the confirmation";
}

TEST_F(Replay, HighlightFrameIsDrawnAndRemoved)
{
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"Static", L"", WS_POPUP | WS_VISIBLE, 100, 100, 120, 80, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    UpdateWindow(window);
    auto pixel = [window](int x, int y) {
        HDC dc = GetWindowDC(window);
        const COLORREF color = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return color;
    };
    const COLORREF background = pixel(2, 2);
    CScriptActions engine;
    engine.HighlightWindow(window);
    EXPECT_EQ(RGB(255, 16, 16), pixel(2, 2)) << "no frame at the window's edge";
    EXPECT_EQ(background, pixel(60, 40)) << "the frame filled the window";
    RepaintWindowArea(window);
    EXPECT_EQ(background, pixel(2, 2)) << "the frame stayed after the repaint";
    DestroyWindow(window);
}
