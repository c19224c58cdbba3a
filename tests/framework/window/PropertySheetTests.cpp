// Property sheets and wizards on the framework's modal loop, with real windows under Xvfb. A helper
// thread (ModalDriver) clicks and types while the test thread sits in DoModal; it reads the
// current page and the state of the sheet's buttons back from Windows. Each page template has a
// static "1", "2" or "3" (IDC_PAGE_MARK), so the driver can tell which page is current.

#include "PropertySheetTestsResource.h"

#include "framework/window/Controls.h"
#include "framework/window/DataExchange.h"
#include "framework/window/PropertySheet.h"
#include "framework/window/WinApp.h"
#include "framework/window/WinThread.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

using namespace testsupport;

namespace {

const wchar_t kAppName[] = L"Sheet Tests";
const wchar_t kSheetCaption[] = L"Sheet Test";

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(kAppName) {}
};

// ---- what the driver reads from the sheet ----

HWND CurrentPage(HWND sheet)
{
    DWORD_PTR page = 0;
    if (!::SendMessageTimeoutW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_NORMAL, 5000, &page))
        return nullptr;
    return reinterpret_cast<HWND>(page);
}

// 1, 2 or 3 for the current page; 0 when there is none.
int PageNumber(HWND sheet)
{
    HWND page = CurrentPage(sheet);
    if (!page)
        return 0;
    const std::wstring mark = WindowText(::GetDlgItem(page, IDC_PAGE_MARK));
    return mark.empty() ? 0 : mark[0] - L'0';
}

HWND PageItem(HWND sheet, int id) { return ::GetDlgItem(CurrentPage(sheet), id); }

bool Usable(HWND button) { return button && ::IsWindowVisible(button) && ::IsWindowEnabled(button); }

// The wizard buttons as the user sees them, in PSWIZB_ bits.
DWORD WizardButtons(HWND sheet)
{
    DWORD flags = 0;
    if (Usable(::GetDlgItem(sheet, ID_WIZBACK)))
        flags |= PSWIZB_BACK;
    if (Usable(::GetDlgItem(sheet, ID_WIZNEXT)))
        flags |= PSWIZB_NEXT;
    if (Usable(::GetDlgItem(sheet, ID_WIZFINISH)))
        flags |= PSWIZB_FINISH;
    return flags;
}

bool WaitForPage(HWND sheet, int number, DWORD buttons)
{
    return WaitFor([&] { return PageNumber(sheet) == number && WizardButtons(sheet) == buttons; });
}

void Click(HWND sheet, int id) { ClickCentre(::GetDlgItem(sheet, id)); }

// The driver's last step after its closing input: a sheet that is still open because some input
// went astray is cancelled, so the test fails on its checks instead of waiting for ever.
void CloseSheet(HWND sheet)
{
    if (WaitFor([&] { return !::IsWindow(sheet); }, 10000))
        return;
    ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    if (!WaitFor([&] { return !::IsWindow(sheet); }, 10000))
        ::PostMessageW(sheet, WM_CLOSE, 0, 0);
}

// ---- the pages ----

struct PageLog {
    std::atomic<int> init{0};
    std::atomic<int> setActive{0};
    std::atomic<int> killActive{0};
    std::atomic<int> ok{0};
    std::atomic<int> cancel{0};
    std::atomic<int> queryCancel{0};
    std::atomic<int> finish{0};
};

// Counts the keys that reach the edit's own pre-translation.
class CKeyEdit : public CEdit {
public:
    std::atomic<int> keys{0};
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_CHAR)
            ++keys;
        return CEdit::PreTranslateMessage(pMsg);
    }
};

class CLoggedPage : public CPropertyPage {
public:
    CLoggedPage(UINT id, DWORD buttons) : CPropertyPage(id), wizardButtons(buttons) {}
    PageLog log;
    DWORD wizardButtons;
    std::atomic<bool> refuseCancel{false};

    CPropertySheet* Sheet() const { return static_cast<CPropertySheet*>(GetParent()); }

    BOOL OnInitDialog() override
    {
        ++log.init;
        return CPropertyPage::OnInitDialog();
    }
    BOOL OnSetActive() override
    {
        ++log.setActive;
        if (Sheet()->IsWizard())
            Sheet()->SetWizardButtons(wizardButtons);
        return CPropertyPage::OnSetActive();
    }
    BOOL OnKillActive() override
    {
        ++log.killActive;
        return CPropertyPage::OnKillActive();
    }
    void OnOK() override { ++log.ok; }
    void OnCancel() override { ++log.cancel; }
    BOOL OnQueryCancel() override
    {
        ++log.queryCancel;
        return !refuseCancel;
    }
    BOOL OnWizardFinish() override
    {
        ++log.finish;
        return CPropertyPage::OnWizardFinish();
    }
};

enum class Jump { None, ById, BySetActivePage };

class CFirstPage : public CLoggedPage {
public:
    CFirstPage() : CLoggedPage(IDD_SHEET_ONE, PSWIZB_NEXT) {}
    CString name = L"first name";
    int number = 7;
    Jump jump = Jump::None;
    CKeyEdit nameEdit;

    BOOL OnSetActive() override
    {
        // As the program's pages do: the buttons are posted to the sheet.
        ++log.setActive;
        if (Sheet()->IsWizard())
            ::PostMessageW(GetParent()->m_hWnd, PSM_SETWIZBUTTONS, 0, wizardButtons);
        return CPropertyPage::OnSetActive();
    }
    LRESULT OnWizardNext() override
    {
        switch (jump) {
        case Jump::ById:
            return IDD_SHEET_THREE;
        case Jump::BySetActivePage:
            Sheet()->SetActivePage(2);
            return -1;
        default:
            return 0;
        }
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_SHEET_NAME, nameEdit);
        DDX_Text(pDX, IDC_SHEET_NAME, name);
        DDX_Text(pDX, IDC_SHEET_NUMBER, number);
    }
};

// Page two: its Back changes page one's data (which page one must show again), a button starts
// a worker thread that posts the wizard buttons, and another disables the sheet's Cancel.
class CSecondPage : public CLoggedPage {
public:
    CSecondPage() : CLoggedPage(IDD_SHEET_TWO, PSWIZB_BACK | PSWIZB_NEXT) {}
    CFirstPage* first = nullptr;
    CString nameSeenOnBack;
    std::thread worker;
    int workerRuns = 0;

    ~CSecondPage() override
    {
        if (worker.joinable())
            worker.join();
    }

    LRESULT OnWizardBack() override
    {
        nameSeenOnBack = first->name;
        first->name = L"changed while away";
        return 0;
    }

protected:
    void OnWorker()
    {
        if (worker.joinable())
            worker.join();
        // First run: Back and Finish; second run: nothing.
        const DWORD flags = workerRuns++ == 0 ? PSWIZB_BACK | PSWIZB_FINISH : 0;
        CPropertySheet* sheet = Sheet();
        worker = std::thread([sheet, flags] { sheet->SetWizardButtons(flags); });
    }
    void OnLock()
    {
        CWnd* cancel = GetParent()->GetDlgItem(IDCANCEL);
        cancel->EnableWindow(!cancel->IsWindowEnabled());
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSecondPage, CLoggedPage)
    ON_COMMAND(IDC_SHEET_WORKER, OnWorker)
    ON_COMMAND(IDC_SHEET_LOCK, OnLock)
END_MESSAGE_MAP()

class CThirdPage : public CLoggedPage {
public:
    CThirdPage() : CLoggedPage(IDD_SHEET_THREE, PSWIZB_BACK | PSWIZB_FINISH) {}
    CString note = L"note";

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_SHEET_NOTE, note); }
};

class CFrame : public CWnd {
public:
    BOOL CreateFrame()
    {
        return CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                        L"sheet frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 500, 360, nullptr, nullptr);
    }
};

class PropertySheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        ASSERT_TRUE(frame.CreateFrame());
        app.m_pMainWnd = &frame;
        ASSERT_TRUE(BringToForeground(frame.m_hWnd));
        second.first = &first;
        sheet.AddPage(&first);
        sheet.AddPage(&second);
        sheet.AddPage(&third);
    }
    void TearDown() override
    {
        app.m_pMainWnd = nullptr;
        if (frame.m_hWnd)
            frame.DestroyWindow();
        AfxDeleteTempMaps();
    }
    // The sheet of this process, once it is shown and ready for input. Not by its title: a
    // wizard's title bar may show the current page's caption.
    static WindowQuery SheetQuery() { return {L"#32770", nullptr}; }

    CTestApp app;
    CFrame frame;
    CFirstPage first;
    CSecondPage second;
    CThirdPage third;
    CPropertySheet sheet{kSheetCaption, &frame};
};

// ---- the wizard ----

struct WalkSeen {
    bool ownerDisabled = false;
    bool parentIsSheet = false;
    bool startedOnOne = false;
    bool tabReachedNumber = false;
    bool onTwo = false;
    bool backReloaded = false;
    bool onThree = false;
};

TEST_F(PropertySheetTest, WizardWalksWithTheButtonsEachPageSetsReloadsOnReturnAndFinishesOnTheClick)
{
    sheet.SetWizardMode();
    WalkSeen seen;
    ModalDriver driver(SheetQuery(), [&](HWND hSheet) {
        seen.ownerDisabled = !::IsWindowEnabled(frame.m_hWnd);
        BringToForeground(hSheet);
        seen.startedOnOne = WaitForPage(hSheet, 1, PSWIZB_NEXT);
        ReplaceTextByKeys(PageItem(hSheet, IDC_SHEET_NAME), L"typed name");
        // A dialog key inside a page goes through the sheet.
        PressKeys({VK_TAB});
        seen.tabReachedNumber =
            WaitFor([&] { return FocusOfThread(hSheet) == PageItem(hSheet, IDC_SHEET_NUMBER); });
        Click(hSheet, ID_WIZNEXT);
        seen.onTwo = WaitForPage(hSheet, 2, PSWIZB_BACK | PSWIZB_NEXT);
        Click(hSheet, ID_WIZBACK);
        seen.backReloaded = WaitForPage(hSheet, 1, PSWIZB_NEXT) &&
                            WaitFor([&] { return WindowText(PageItem(hSheet, IDC_SHEET_NAME)) == L"changed while away"; });
        Click(hSheet, ID_WIZNEXT);
        WaitForPage(hSheet, 2, PSWIZB_BACK | PSWIZB_NEXT);
        Click(hSheet, ID_WIZNEXT);
        seen.onThree = WaitForPage(hSheet, 3, PSWIZB_BACK | PSWIZB_FINISH);
        // The last input: DoModal must end on this click alone.
        Click(hSheet, ID_WIZFINISH);
        CloseSheet(hSheet);
    });
    EXPECT_EQ(sheet.DoModal(), ID_WIZFINISH);
    ASSERT_TRUE(driver.Wait());
    EXPECT_TRUE(seen.ownerDisabled);
    EXPECT_TRUE(seen.startedOnOne);
    EXPECT_TRUE(seen.tabReachedNumber);
    EXPECT_TRUE(seen.onTwo);
    EXPECT_TRUE(seen.backReloaded);
    EXPECT_TRUE(seen.onThree);
    EXPECT_GT(first.nameEdit.keys.load(), 0);    // the page's control saw its keys
    EXPECT_STREQ(second.nameSeenOnBack, L"typed name");
    EXPECT_STREQ(first.name, L"changed while away");
    EXPECT_EQ(first.log.init.load(), 1);
    EXPECT_EQ(first.log.setActive.load(), 2);
    EXPECT_EQ(third.log.finish.load(), 1);
    EXPECT_EQ(first.log.ok.load() + third.log.ok.load(), 0);    // Finish is no OK
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(first.m_hWnd, nullptr);
    EXPECT_TRUE(frame.IsWindowEnabled());
}

struct WorkerSeen {
    bool onTwo = false;
    bool workerFinish = false;
    bool workerNone = false;
    bool cancelDisabled = false;
    bool cancelEnabledAgain = false;
    bool refusedCancelKept = false;
};

TEST_F(PropertySheetTest, WorkerThreadSetsTheButtonsAPageDisablesCancelAndARefusedCancelKeepsTheSheet)
{
    sheet.SetWizardMode();
    WorkerSeen seen;
    ModalDriver driver(SheetQuery(), [&](HWND hSheet) {
        BringToForeground(hSheet);
        WaitForPage(hSheet, 1, PSWIZB_NEXT);
        Click(hSheet, ID_WIZNEXT);
        seen.onTwo = WaitForPage(hSheet, 2, PSWIZB_BACK | PSWIZB_NEXT);
        ClickCentre(PageItem(hSheet, IDC_SHEET_WORKER));
        seen.workerFinish = WaitForPage(hSheet, 2, PSWIZB_BACK | PSWIZB_FINISH);
        ClickCentre(PageItem(hSheet, IDC_SHEET_WORKER));
        seen.workerNone = WaitForPage(hSheet, 2, 0);
        ClickCentre(PageItem(hSheet, IDC_SHEET_LOCK));
        seen.cancelDisabled = WaitFor([&] { return !::IsWindowEnabled(::GetDlgItem(hSheet, IDCANCEL)); });
        ClickCentre(PageItem(hSheet, IDC_SHEET_LOCK));
        seen.cancelEnabledAgain = WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(hSheet, IDCANCEL)) != FALSE; });
        second.refuseCancel = true;
        PressKeys({VK_ESCAPE});
        seen.refusedCancelKept = WaitFor([&] { return second.log.queryCancel == 1; }) && PageNumber(hSheet) == 2 &&
                                 ::IsWindowVisible(hSheet);
        second.refuseCancel = false;
        PressKeys({VK_ESCAPE});
        CloseSheet(hSheet);
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    ASSERT_TRUE(driver.Wait());
    EXPECT_TRUE(seen.onTwo);
    EXPECT_TRUE(seen.workerFinish);
    EXPECT_TRUE(seen.workerNone);
    EXPECT_TRUE(seen.cancelDisabled);
    EXPECT_TRUE(seen.cancelEnabledAgain);
    EXPECT_TRUE(seen.refusedCancelKept);
    EXPECT_EQ(second.log.queryCancel.load(), 2);
    // Cancel reaches the pages that were made, and no other.
    EXPECT_EQ(first.log.cancel.load(), 1);
    EXPECT_EQ(second.log.cancel.load(), 1);
    EXPECT_EQ(third.log.init.load(), 0);
    EXPECT_EQ(third.log.cancel.load(), 0);
}

TEST_F(PropertySheetTest, NextJumpsFromTheFirstPageToTheThirdByTemplateIdOrByActivatingIt)
{
    for (Jump jump : {Jump::ById, Jump::BySetActivePage}) {
        SCOPED_TRACE(jump == Jump::ById ? "by template id" : "by SetActivePage and -1");
        CFirstPage one;
        CSecondPage two;
        CThirdPage three;
        two.first = &one;
        one.jump = jump;
        CPropertySheet wizard(kSheetCaption, &frame);
        wizard.AddPage(&one);
        wizard.AddPage(&two);
        wizard.AddPage(&three);
        wizard.SetWizardMode();
        bool landedOnThree = false;
        ModalDriver driver(SheetQuery(), [&](HWND hSheet) {
            BringToForeground(hSheet);
            WaitForPage(hSheet, 1, PSWIZB_NEXT);
            ReplaceTextByKeys(PageItem(hSheet, IDC_SHEET_NUMBER), L"31");
            Click(hSheet, ID_WIZNEXT);
            landedOnThree = WaitForPage(hSheet, 3, PSWIZB_BACK | PSWIZB_FINISH);
            PressKeys({VK_ESCAPE});
            CloseSheet(hSheet);
        });
        EXPECT_EQ(wizard.DoModal(), IDCANCEL);
        ASSERT_TRUE(driver.Wait());
        EXPECT_TRUE(landedOnThree);
        EXPECT_EQ(two.log.init.load(), 0);    // skipped, never made
        EXPECT_EQ(one.log.killActive.load(), 1);
        EXPECT_EQ(one.number, 31);            // saved when the page was left
    }
}

struct RefusalSeen {
    bool promptShown = false;
    std::wstring prompt;
    bool stayedOnOne = false;
    bool focusOnNumber = false;
    bool leftAfterFix = false;
};

TEST_F(PropertySheetTest, FailingExchangeOnLeavingShowsThePromptAndKeepsThePage)
{
    sheet.SetWizardMode();
    RefusalSeen seen;
    ModalDriver driver(SheetQuery(), [&](HWND hSheet) {
        BringToForeground(hSheet);
        WaitForPage(hSheet, 1, PSWIZB_NEXT);
        HWND number = PageItem(hSheet, IDC_SHEET_NUMBER);
        ReplaceTextByKeys(number, L"abc");
        Click(hSheet, ID_WIZNEXT);
        HWND box = nullptr;
        seen.promptShown = WaitFor([&] { return (box = FindProcessWindow({L"#32770", kAppName})) != nullptr; });
        if (!seen.promptShown) {
            CloseSheet(hSheet);
            return;
        }
        seen.prompt = MessageBoxText(box);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        WaitFor([&] { return !::IsWindow(box); });
        BringToForeground(hSheet);
        seen.focusOnNumber = WaitFor([&] { return FocusOfThread(hSheet) == number; });
        seen.stayedOnOne = PageNumber(hSheet) == 1;
        // The correction is put straight into the edit: the typing was shown above, and keys
        // typed while the foreground comes back from the prompt could go astray.
        WaitFor([&] { return ::IsWindowEnabled(hSheet) && ::GetForegroundWindow() == hSheet; });
        ::SetWindowTextW(number, L"42");
        Click(hSheet, ID_WIZNEXT);
        seen.leftAfterFix = WaitForPage(hSheet, 2, PSWIZB_BACK | PSWIZB_NEXT);
        PressKeys({VK_ESCAPE});
        CloseSheet(hSheet);
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    ASSERT_TRUE(driver.Wait());
    EXPECT_TRUE(seen.promptShown);
    EXPECT_EQ(seen.prompt, L"Enter an integer.");
    EXPECT_TRUE(seen.focusOnNumber);
    EXPECT_TRUE(seen.stayedOnOne);
    EXPECT_TRUE(seen.leftAfterFix);
    EXPECT_EQ(first.number, 42);
}

// ---- another process presses the button ----

TEST_F(PropertySheetTest, ButtonPressPostedFromAnotherProcessEndsDoModal)
{
    struct Case {
        const char* name;
        bool wizard;
        int startPage;
        int button;
        INT_PTR result;
    };
    const Case cases[] = {
        {"wizard finish", true, 2, PSBTN_FINISH, ID_WIZFINISH},
        {"wizard cancel", true, 0, PSBTN_CANCEL, IDCANCEL},
        {"sheet ok", false, 1, PSBTN_OK, IDOK},
    };
    const CString helper = ModuleFolder() + L"\\sheet_press_button.exe";
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        CFirstPage one;
        CSecondPage two;
        CThirdPage three;
        two.first = &one;
        CPropertySheet target(kSheetCaption, &frame);
        target.AddPage(&one);
        target.AddPage(&two);
        target.AddPage(&three);
        if (row.wizard)
            target.SetWizardMode();
        target.SetActivePage(row.startPage);
        ChildResult child;
        bool ready = false;
        ModalDriver driver(SheetQuery(), [&](HWND hSheet) {
            ready = WaitFor([&] { return PageNumber(hSheet) == row.startPage + 1; });
            const std::wstring command = L"\"" + std::wstring(helper.View()) + L"\" " +
                                         std::to_wstring(reinterpret_cast<ULONG_PTR>(hSheet)) + L" " +
                                         std::to_wstring(row.button);
            child = RunChild(command.c_str(), 60000);
            CloseSheet(hSheet);
        });
        EXPECT_EQ(target.DoModal(), row.result);
        ASSERT_TRUE(driver.Wait());
        EXPECT_TRUE(ready);
        EXPECT_TRUE(child.started);
        EXPECT_EQ(child.exitCode, 0u);
    }
}

// ---- a tabbed sheet ----

TEST_F(PropertySheetTest, OkAndCancelReachOnlyThePagesThatWereVisited)
{
    for (bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        CFirstPage one;
        CSecondPage two;
        CThirdPage three;
        two.first = &one;
        CPropertySheet tabs(kSheetCaption, &frame);
        tabs.AddPage(&one);
        tabs.AddPage(&two);
        tabs.AddPage(&three);
        bool onThree = false;
        ModalDriver driver(SheetQuery(), [&](HWND hSheet) {
            BringToForeground(hSheet);
            WaitFor([&] { return PageNumber(hSheet) == 1; });
            ClickCentre(PageItem(hSheet, IDC_SHEET_NAME));
            // Ctrl+Shift+Tab goes back one tab, from the first round to the last: a key the
            // sheet handles for its pages.
            PressKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
            onThree = WaitFor([&] { return PageNumber(hSheet) == 3; });
            ReplaceTextByKeys(PageItem(hSheet, IDC_SHEET_NOTE), L"edited note");
            if (ok)
                Click(hSheet, IDOK);
            else
                PressKeys({VK_ESCAPE});
            CloseSheet(hSheet);
        });
        EXPECT_EQ(tabs.DoModal(), ok ? IDOK : IDCANCEL);
        ASSERT_TRUE(driver.Wait());
        EXPECT_TRUE(onThree);
        EXPECT_EQ(two.log.init.load(), 0);
        EXPECT_EQ(two.log.ok.load(), 0);
        EXPECT_EQ(two.log.cancel.load(), 0);
        EXPECT_EQ(one.log.ok.load(), ok ? 1 : 0);
        EXPECT_EQ(three.log.ok.load(), ok ? 1 : 0);
        EXPECT_EQ(one.log.cancel.load(), ok ? 0 : 1);
        EXPECT_EQ(three.log.cancel.load(), ok ? 0 : 1);
        EXPECT_STREQ(three.note, ok ? L"edited note" : L"note");
    }
}

TEST_F(PropertySheetTest, PagesHaveTheSheetObjectAsParentAndLeaveWhenTheSheetCloses)
{
    ASSERT_TRUE(sheet.Create(&frame));
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    EXPECT_EQ(first.GetParent(), &sheet);
    EXPECT_EQ(CWnd::FromHandlePermanent(first.m_hWnd), &first);
    EXPECT_EQ(second.m_hWnd, nullptr);
    EXPECT_TRUE(sheet.SetActivePage(&third));
    EXPECT_EQ(sheet.GetActivePage(), &third);
    EXPECT_EQ(third.GetParent(), &sheet);
    EXPECT_EQ(::GetWindowTextLengthW(::GetDlgItem(third.m_hWnd, IDC_SHEET_NOTE)), 4);    // "note" loaded
    sheet.DestroyWindow();
    EXPECT_EQ(first.m_hWnd, nullptr);
    EXPECT_EQ(third.m_hWnd, nullptr);
}

} // namespace
