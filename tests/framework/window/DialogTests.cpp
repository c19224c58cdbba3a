// Dialogs from templates, their keys, data exchange and the control wrappers, with real windows
// under Xvfb. Modal runs are driven from a helper thread (ModalDriver) with real input while the
// test thread sits in the framework's modal loop; the state is read back from Windows.

#include "DialogTestsResource.h"

#include "framework/window/Controls.h"
#include "framework/window/DataExchange.h"
#include "framework/window/Dialog.h"
#include "framework/window/FrameworkPrompts.h"
#include "framework/window/Menu.h"
#include "framework/window/WinApp.h"
#include "framework/window/WinThread.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

const wchar_t kAppName[] = L"Dialog Tests";

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(kAppName) {}
};

// Pumps through the application (pre-translation included, as the real message loop does)
// until the condition holds; false after the time-out.
bool RunUntil(const std::function<bool()>& condition, DWORD timeoutMs = kGuiTimeoutMs)
{
    CWinThread* thread = AfxGetThread();
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() > end)
            return false;
        MSG peek;
        if (::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!thread->PumpMessage())
                return condition();
        } else {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}

// ---- the frame that owns the dialogs ----

class CFrame : public CWnd {
public:
    int deleteAccelerators = 0;

    BOOL CreateFrame()
    {
        return CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                        L"dialog frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 500, 360, nullptr, nullptr);
    }
    // Stands for the frame's accelerator table: Delete would delete the selected item.
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_DELETE) {
            ++deleteAccelerators;
            return TRUE;
        }
        return FALSE;
    }
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        ASSERT_TRUE(frame.CreateFrame());
        app.m_pMainWnd = &frame;
        ASSERT_TRUE(BringToForeground(frame.m_hWnd));
    }
    void TearDown() override
    {
        app.m_pMainWnd = nullptr;
        if (frame.m_hWnd)
            frame.DestroyWindow();
        AfxDeleteTempMaps();
    }
    CTestApp app;
    CFrame frame;
};

// ---- a modal dialog with text, a check box and a number ----

class CExchangeDialog : public CDialog {
public:
    CExchangeDialog() : CDialog(IDD_EXCHANGE) {}
    CString name = L"old name";
    int flag = 0;
    int count = 5;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_NAME, name);
        DDX_Check(pDX, IDC_FLAG, flag);
        DDX_Text(pDX, IDC_COUNT, count);
    }
};

// What the helper thread saw while the dialog ran.
struct Observed {
    bool ownerEnabled = true;
    std::wstring prompt;
    bool promptShown = false;
    bool dialogStayed = false;
    bool focusOnCount = false;
    DWORD selStart = 99;
    DWORD selEnd = 99;
    int countLength = -1;
};

TEST_F(DialogTest, TypedTextAndClickedCheckReachTheMembersOnOkWhileTheOwnerIsDisabled)
{
    CExchangeDialog dialog;
    Observed seen;
    ModalDriver driver({L"#32770", L"Exchange Test"}, [&](HWND dlg) {
        seen.ownerEnabled = ::IsWindowEnabled(frame.m_hWnd) != FALSE;
        BringToForeground(dlg);
        ReplaceTextByKeys(::GetDlgItem(dlg, IDC_NAME), L"typed name");
        ClickCentre(::GetDlgItem(dlg, IDC_FLAG));
        WaitFor([&] { return ::SendMessageW(::GetDlgItem(dlg, IDC_FLAG), BM_GETCHECK, 0, 0) == BST_CHECKED; });
        ClickCentre(::GetDlgItem(dlg, IDOK));
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    ASSERT_TRUE(driver.Wait());
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_STREQ(dialog.name, L"typed name");
    EXPECT_EQ(dialog.flag, 1);
    EXPECT_EQ(dialog.count, 5);
    EXPECT_TRUE(frame.IsWindowEnabled());
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_TRUE(RunUntil([&] { return ::GetActiveWindow() == frame.m_hWnd; }));
}

TEST_F(DialogTest, CancelLeavesTheMembersAsTheyWere)
{
    CExchangeDialog dialog;
    ModalDriver driver({L"#32770", L"Exchange Test"}, [&](HWND dlg) {
        BringToForeground(dlg);
        ReplaceTextByKeys(::GetDlgItem(dlg, IDC_NAME), L"never saved");
        ClickCentre(::GetDlgItem(dlg, IDC_FLAG));
        PressKeys({VK_ESCAPE});
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_TRUE(driver.Wait());
    EXPECT_STREQ(dialog.name, L"old name");
    EXPECT_EQ(dialog.flag, 0);
    EXPECT_TRUE(frame.IsWindowEnabled());
}

TEST_F(DialogTest, TextThatIsNoIntShowsThePromptAndKeepsTheDialogWithTheEditSelected)
{
    for (const wchar_t* typed : {L"abc", L"99999999999"}) {
        SCOPED_TRACE(::testing::Message() << "typed " << std::string(typed, typed + wcslen(typed)));
        CExchangeDialog dialog;
        Observed seen;
        ModalDriver driver({L"#32770", L"Exchange Test"}, [&](HWND dlg) {
            BringToForeground(dlg);
            HWND countEdit = ::GetDlgItem(dlg, IDC_COUNT);
            ReplaceTextByKeys(countEdit, typed);
            PressKeys({VK_RETURN});
            HWND box = nullptr;
            seen.promptShown = WaitFor([&] { return (box = FindProcessWindow({L"#32770", kAppName})) != nullptr; });
            if (!seen.promptShown)
                return;
            seen.prompt = MessageBoxText(box);
            BringToForeground(box);
            PressKeys({VK_RETURN});
            WaitFor([&] { return !::IsWindow(box); });
            seen.focusOnCount = WaitFor([&] { return FocusOfThread(dlg) == countEdit; });
            ::SendMessageW(countEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&seen.selStart),
                           reinterpret_cast<LPARAM>(&seen.selEnd));
            seen.countLength = ::GetWindowTextLengthW(countEdit);
            seen.dialogStayed = ::IsWindowVisible(dlg) != FALSE;
            PressKeys({VK_ESCAPE});
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        ASSERT_TRUE(driver.Wait());
        EXPECT_TRUE(seen.promptShown);
        EXPECT_EQ(seen.prompt, L"Enter an integer.");
        EXPECT_TRUE(seen.dialogStayed);
        EXPECT_TRUE(seen.focusOnCount);
        EXPECT_EQ(seen.selStart, 0u);
        EXPECT_EQ(static_cast<int>(seen.selEnd), seen.countLength);
        EXPECT_EQ(seen.countLength, static_cast<int>(wcslen(typed)));
        EXPECT_EQ(dialog.count, 5);    // the member was left alone
    }
}

TEST_F(DialogTest, DialogWithAHiddenOwnerComesUpCentredOnTheScreen)
{
    frame.ShowWindow(SW_HIDE);
    CExchangeDialog dialog;
    RECT placed = {};
    ModalDriver driver({L"#32770", L"Exchange Test"}, [&](HWND dlg) {
        ::GetWindowRect(dlg, &placed);
        ::PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_TRUE(driver.Wait());
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((placed.left + placed.right) / 2, (work.left + work.right) / 2, 2);
    EXPECT_NEAR((placed.top + placed.bottom) / 2, (work.top + work.bottom) / 2, 2);
}

// ---- notifications while the data is loaded ----

class CCountingDialog : public CExchangeDialog {
public:
    int nameChanges = 0;

protected:
    void OnNameChange() { ++nameChanges; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingDialog, CExchangeDialog)
    ON_CONTROL(EN_CHANGE, IDC_NAME, OnNameChange)
END_MESSAGE_MAP()

TEST_F(DialogTest, LoadingRaisesNoChangeNotificationButTypingDoesAndUnchangedTextKeepsItsSelection)
{
    CCountingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_EXCHANGE, &frame));
    HWND nameEdit = ::GetDlgItem(dialog.m_hWnd, IDC_NAME);
    EXPECT_EQ(WindowText(nameEdit), L"old name");    // OnInitDialog loaded it
    EXPECT_EQ(dialog.nameChanges, 0);

    dialog.name = L"loaded again";
    EXPECT_TRUE(dialog.UpdateData(FALSE));
    EXPECT_EQ(WindowText(nameEdit), L"loaded again");
    EXPECT_EQ(dialog.nameChanges, 0);

    // Loading the same text again leaves the edit alone: its selection stays.
    ::SendMessageW(nameEdit, EM_SETSEL, 2, 5);
    EXPECT_TRUE(dialog.UpdateData(FALSE));
    DWORD start = 0, end = 0;
    ::SendMessageW(nameEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 5u);

    ASSERT_TRUE(BringToForeground(dialog.m_hWnd));
    ClickCentre(nameEdit);
    ASSERT_TRUE(RunUntil([&] { return ::GetFocus() == nameEdit; }));
    TypeText(L"x");
    EXPECT_TRUE(RunUntil([&] { return dialog.nameChanges == 1; }));
    dialog.DestroyWindow();
}

// ---- a child dialog as a panel of a framework window ----

class CPanel : public CDialog {
public:
    CPanel() : CDialog(IDD_PANEL) {}
};

TEST_F(DialogTest, ChildPanelWalksItsControlsWithTabEditsWithDeleteAndSurvivesEnterAndEsc)
{
    CPanel panel;
    ASSERT_TRUE(panel.Create(IDD_PANEL, &frame));
    EXPECT_TRUE(panel.IsChildDialog());
    HWND first = ::GetDlgItem(panel.m_hWnd, IDC_PANEL_FIRST);
    HWND second = ::GetDlgItem(panel.m_hWnd, IDC_PANEL_SECOND);
    HWND check = ::GetDlgItem(panel.m_hWnd, IDC_PANEL_CHECK);
    ::SetWindowTextW(first, L"abcd");
    // Other test programs' windows may take the foreground for a moment while this one starts:
    // the click that puts the focus in the first edit is tried again until it lands.
    bool focused = false;
    for (int attempt = 0; attempt < 5 && !focused; ++attempt) {
        ASSERT_TRUE(BringToForeground(frame.m_hWnd));
        ClickClient(first, {2, 4});
        focused = RunUntil([&] { return ::GetFocus() == first; }, 5000);
    }
    ASSERT_TRUE(focused) << "the click never put the focus in the first edit";

    std::vector<HWND> walked;
    for (int i = 0; i < 3; ++i) {
        HWND before = ::GetFocus();
        PressKeys({VK_TAB});
        RunUntil([&] { return ::GetFocus() != before; });
        walked.push_back(::GetFocus());
    }
    EXPECT_EQ(walked, (std::vector<HWND>{second, check, first}));

    PressKeys({VK_HOME});
    PressKeys({VK_DELETE});
    EXPECT_TRUE(RunUntil([&] { return WindowText(first) == L"bcd"; }));
    EXPECT_EQ(frame.deleteAccelerators, 0);

    PressKeys({VK_RETURN});
    PressKeys({VK_ESCAPE});
    TypeText(L"z");    // a marker: once it arrives, Enter and Esc have been handled
    EXPECT_TRUE(RunUntil([&] { return WindowText(first) == L"zbcd"; }));
    EXPECT_TRUE(::IsWindow(panel.m_hWnd));
    EXPECT_TRUE(panel.IsWindowVisible());
    panel.DestroyWindow();
}

// ---- the exchange forms ----

class CButtonSpy : public CButton {
public:
    int preSubclassCalls = 0;
    void PreSubclassWindow() override { ++preSubclassCalls; }
};

class CFormsDialog : public CDialog {
public:
    CFormsDialog() : CDialog(IDD_FORMS) {}
    CString text = L"start";
    int number = 0;
    DWORD size = 0;
    int flag = 0;
    int radio = 0;
    int listIndex = 0;
    CString listText = L"two";
    CString editText;
    int maxChars = 100;
    CButtonSpy flagButton;

protected:
    BOOL OnInitDialog() override
    {
        for (int id : {IDC_LIST_COMBO, IDC_EDIT_COMBO}) {
            for (const wchar_t* item : {L"one", L"two", L"three"})
                SendDlgItemMessage(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, IDC_NAME, text);
        DDV_MaxChars(pDX, text, maxChars);
        DDX_Text(pDX, IDC_COUNT, number);
        DDX_Text(pDX, IDC_AMOUNT, size);
        DDX_Control(pDX, IDC_FLAG, flagButton);
        DDX_Check(pDX, IDC_FLAG, flag);
        DDX_Radio(pDX, IDC_RADIO_A, radio);
        DDX_CBIndex(pDX, IDC_LIST_COMBO, listIndex);
        DDX_CBString(pDX, IDC_EDIT_COMBO, editText);
    }
};

struct FormCase {
    const char* name;
    std::function<void(CFormsDialog&)> arrange;    // puts what the user would have entered
    bool saves;                                     // UpdateData(TRUE) answers TRUE
    const wchar_t* prompt;                          // the prompt shown, or null for none
    int failingControl;                             // where the focus goes on failure
    std::function<void(const CFormsDialog&)> check;
};

void SetItem(CDialog& dialog, int id, const wchar_t* text) { ::SetWindowTextW(::GetDlgItem(dialog.m_hWnd, id), text); }

TEST_F(DialogTest, ExchangeFormsLoadSaveAndRefuseWhatIsOutOfRange)
{
    const FormCase cases[] = {
        {"text saved", [](CFormsDialog& d) { SetItem(d, IDC_NAME, L"new text"); }, true, nullptr, 0,
         [](const CFormsDialog& d) { EXPECT_STREQ(d.text, L"new text"); }},
        {"int with blanks and sign", [](CFormsDialog& d) { SetItem(d, IDC_COUNT, L" -2147483648 "); }, true, nullptr, 0,
         [](const CFormsDialog& d) { EXPECT_EQ(d.number, INT_MIN); }},
        {"int max", [](CFormsDialog& d) { SetItem(d, IDC_COUNT, L"2147483647"); }, true, nullptr, 0,
         [](const CFormsDialog& d) { EXPECT_EQ(d.number, INT_MAX); }},
        {"int one past max", [](CFormsDialog& d) { SetItem(d, IDC_COUNT, L"2147483648"); }, false,
         L"Enter an integer.", IDC_COUNT, [](const CFormsDialog& d) { EXPECT_EQ(d.number, 0); }},
        {"int from 4294967295 is not wrapped to -1", [](CFormsDialog& d) { SetItem(d, IDC_COUNT, L"4294967295"); },
         false, L"Enter an integer.", IDC_COUNT, [](const CFormsDialog& d) { EXPECT_EQ(d.number, 0); }},
        {"int with trailing text", [](CFormsDialog& d) { SetItem(d, IDC_COUNT, L"12ab"); }, false,
         L"Enter an integer.", IDC_COUNT, [](const CFormsDialog& d) { EXPECT_EQ(d.number, 0); }},
        {"int empty", [](CFormsDialog& d) { SetItem(d, IDC_COUNT, L""); }, false, L"Enter an integer.", IDC_COUNT,
         [](const CFormsDialog&) {}},
        {"dword zero", [](CFormsDialog& d) { SetItem(d, IDC_AMOUNT, L"0"); }, true, nullptr, 0,
         [](const CFormsDialog& d) { EXPECT_EQ(d.size, 0u); }},
        {"dword max", [](CFormsDialog& d) { SetItem(d, IDC_AMOUNT, L"4294967295"); }, true, nullptr, 0,
         [](const CFormsDialog& d) { EXPECT_EQ(d.size, 4294967295u); }},
        {"dword -1 is not wrapped", [](CFormsDialog& d) { SetItem(d, IDC_AMOUNT, L"-1"); }, false,
         L"Enter a positive integer.", IDC_AMOUNT, [](const CFormsDialog& d) { EXPECT_EQ(d.size, 0u); }},
        {"dword 4294967296 is not wrapped", [](CFormsDialog& d) { SetItem(d, IDC_AMOUNT, L"4294967296"); }, false,
         L"Enter a positive integer.", IDC_AMOUNT, [](const CFormsDialog& d) { EXPECT_EQ(d.size, 0u); }},
        {"dword of many digits", [](CFormsDialog& d) { SetItem(d, IDC_AMOUNT, L"99999999999999999999999"); }, false,
         L"Enter a positive integer.", IDC_AMOUNT, [](const CFormsDialog& d) { EXPECT_EQ(d.size, 0u); }},
        {"check, radio and combos",
         [](CFormsDialog& d) {
             d.CheckDlgButton(IDC_FLAG, BST_INDETERMINATE);
             d.CheckRadioButton(IDC_RADIO_A, IDC_RADIO_C, IDC_RADIO_C);
             d.SendDlgItemMessage(IDC_LIST_COMBO, CB_SETCURSEL, 2);
             SetItem(d, IDC_EDIT_COMBO, L"typed, not listed");
         },
         true, nullptr, 0,
         [](const CFormsDialog& d) {
             EXPECT_EQ(d.flag, 2);
             EXPECT_EQ(d.radio, 2);
             EXPECT_EQ(d.listIndex, 2);
             EXPECT_STREQ(d.editText, L"typed, not listed");
         }},
        {"no radio checked",
         [](CFormsDialog& d) {
             for (int id : {IDC_RADIO_A, IDC_RADIO_B, IDC_RADIO_C})
                 d.CheckDlgButton(id, BST_UNCHECKED);
         },
         true, nullptr, 0, [](const CFormsDialog& d) { EXPECT_EQ(d.radio, -1); }},
        {"text longer than allowed",
         [](CFormsDialog& d) {
             d.maxChars = 3;
             SetItem(d, IDC_NAME, L"four");
         },
         false, L"Enter no more than 3 characters.", IDC_NAME,
         [](const CFormsDialog& d) { EXPECT_STREQ(d.text, L"four"); }},
    };

    for (const FormCase& row : cases) {
        SCOPED_TRACE(row.name);
        CFormsDialog dialog;
        ASSERT_TRUE(dialog.Create(IDD_FORMS, &frame));
        dialog.ShowWindow(SW_SHOW);
        // Loaded from the members by OnInitDialog.
        EXPECT_EQ(WindowText(::GetDlgItem(dialog.m_hWnd, IDC_NAME)), L"start");
        EXPECT_EQ(WindowText(::GetDlgItem(dialog.m_hWnd, IDC_COUNT)), L"0");
        EXPECT_EQ(dialog.IsDlgButtonChecked(IDC_RADIO_A), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(dialog.SendDlgItemMessage(IDC_EDIT_COMBO, CB_GETCURSEL), CB_ERR);
        EXPECT_EQ(dialog.SendDlgItemMessage(IDC_NAME, EM_GETLIMITTEXT), 100);
        EXPECT_EQ(dialog.flagButton.preSubclassCalls, 1);
        EXPECT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(dialog.m_hWnd, IDC_FLAG)), &dialog.flagButton);
        row.arrange(dialog);

        std::wstring prompt;
        BOOL saved = FALSE;
        if (row.prompt) {
            ModalDriver promptReader({L"#32770", kAppName}, [&](HWND box) {
                prompt = MessageBoxText(box);
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            });
            saved = dialog.UpdateData(TRUE);
            EXPECT_TRUE(promptReader.Wait());
        } else {
            // No helper here: its search reads window texts, which needs this thread pumping.
            saved = dialog.UpdateData(TRUE);
        }
        EXPECT_EQ(saved != FALSE, row.saves);
        EXPECT_EQ(prompt, row.prompt ? row.prompt : L"");
        if (row.prompt) {
            EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog.m_hWnd, row.failingControl));
        }
        row.check(dialog);
        dialog.DestroyWindow();
        EXPECT_EQ(dialog.flagButton.m_hWnd, nullptr);
    }
}

TEST(DataExchangeParseTest, TextIsANumberOfTheTypeOrRefused)
{
    struct Row {
        const wchar_t* text;
        bool isInt;
        int intValue;
        bool isDword;
        DWORD dwordValue;
    };
    const Row rows[] = {
        {L"0", true, 0, true, 0},
        {L"+7", true, 7, true, 7},
        {L"-0", true, 0, false, 0},
        {L"-2147483649", false, 0, false, 0},
        {L"4294967295", false, 0, true, 4294967295u},
        {L"4294967296", false, 0, false, 0},
        {L"18446744073709551617", false, 0, false, 0},    // wraps a 64-bit reader to 1
        {L"1 2", false, 0, false, 0},
        {L"0x10", false, 0, false, 0},
        {L" ", false, 0, false, 0},
        {L"-", false, 0, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << std::string(row.text, row.text + wcslen(row.text)));
        int i = 12345;
        DWORD d = 12345;
        EXPECT_EQ(AfxParseInt(row.text, i) != FALSE, row.isInt);
        EXPECT_EQ(i, row.isInt ? row.intValue : 12345);
        EXPECT_EQ(AfxParseDword(row.text, d) != FALSE, row.isDword);
        EXPECT_EQ(d, row.isDword ? row.dwordValue : 12345u);
    }
}

// ---- control wrappers and reflected owner drawing ----

class COwnerDrawnList : public CListBox {
public:
    int measured = 0;
    int drawn = 0;
    int deleted = 0;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override
    {
        ++measured;
        mis->itemHeight = 20;
    }
    void DrawItem(LPDRAWITEMSTRUCT) override { ++drawn; }
    void DeleteItem(LPDELETEITEMSTRUCT) override { ++deleted; }
};

TEST_F(DialogTest, ControlWrappersSetAndReadStateAndOwnerDrawIsReflectedToTheList)
{
    const RECT rect = {10, 10, 200, 120};
    COwnerDrawnList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, rect, &frame, 300));
    list.AddString(L"first");
    list.AddString(L"second");
    list.SetItemData(1, 77);
    list.SetCurSel(1);
    CString text;
    list.GetText(1, text);
    EXPECT_STREQ(text, L"second");
    EXPECT_EQ(list.GetItemData(1), 77u);
    EXPECT_EQ(list.GetCurSel(), 1);
    list.UpdateWindow();
    EXPECT_TRUE(RunUntil([&] { return list.drawn > 0; }));
    EXPECT_GT(list.measured, 0);
    EXPECT_EQ(list.SendMessage(LB_GETITEMHEIGHT, 0), 20);

    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWNLIST, {220, 10, 400, 120}, &frame, 301));
    combo.AddString(L"a");
    combo.AddString(L"b");
    EXPECT_EQ(combo.SelectString(-1, L"b"), 1);
    combo.GetLBText(combo.GetCurSel(), text);
    EXPECT_STREQ(text, L"b");

    CListCtrl listView;
    ASSERT_TRUE(listView.Create(WS_CHILD | LVS_REPORT, {10, 130, 200, 250}, &frame, 302));
    listView.InsertColumn(0, L"Name", LVCFMT_LEFT, 80);
    listView.InsertColumn(1, L"Value", LVCFMT_LEFT, 80);
    EXPECT_EQ(listView.InsertItem(0, L"row"), 0);
    listView.SetItemText(0, 1, L"cell");
    listView.SetItemData(0, 55);
    listView.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_STREQ(listView.GetItemText(0, 1), L"cell");
    EXPECT_EQ(listView.GetItemData(0), 55u);
    EXPECT_EQ(listView.FindItemByData(55), 0);
    EXPECT_EQ(listView.GetNextItem(-1, LVNI_SELECTED), 0);

    CTreeCtrl tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | TVS_EDITLABELS, {220, 130, 400, 250}, &frame, 303));
    HTREEITEM root = tree.InsertItem(L"root");
    HTREEITEM child = tree.InsertItem(L"child", root);
    tree.SetItemData(child, 9);
    tree.Expand(root, TVE_EXPAND);
    tree.SelectItem(child);
    EXPECT_EQ(tree.GetChildItem(root), child);
    EXPECT_EQ(tree.GetParentItem(child), root);
    EXPECT_EQ(tree.GetSelectedItem(), child);
    EXPECT_EQ(tree.GetItemData(child), 9u);
    EXPECT_STREQ(tree.GetItemText(child), L"child");
    EXPECT_TRUE(tree.GetItemState(root, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(tree.GetCount(), 2u);

    CProgressCtrl progress;
    ASSERT_TRUE(progress.Create(WS_CHILD, {10, 260, 200, 280}, &frame, 304));
    progress.SetRange32(0, 10);
    progress.SetPos(4);
    EXPECT_EQ(progress.GetPos(), 4);

    CSpinButtonCtrl spin;
    ASSERT_TRUE(spin.Create(WS_CHILD, {220, 260, 240, 280}, &frame, 305));
    spin.SetRange32(-5, 5);
    spin.SetPos32(3);
    EXPECT_EQ(spin.GetPos32(), 3);

    list.ResetContent();
    EXPECT_EQ(list.deleted, 2);    // an owner-drawn list announces every item it drops
    for (CWnd* control : std::initializer_list<CWnd*>{&list, &combo, &listView, &tree, &progress, &spin})
        control->DestroyWindow();
}

// ---- tooltip control ----

// Hands the mouse messages over the button to the tooltip control, as an owner's
// PreTranslateMessage does.
class CRelayingButton : public CButton {
public:
    CToolTipCtrl* tip = nullptr;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (tip && pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST)
            tip->RelayEvent(pMsg);
        return CButton::PreTranslateMessage(pMsg);
    }
};

TEST_F(DialogTest, ToolTipControlKeepsItsToolsAndShowsTheTipWhenTheMouseRestsOnTheTool)
{
    CRelayingButton target;
    ASSERT_TRUE(target.Create(L"tool", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, {20, 20, 140, 60}, &frame, 310));
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&frame, TTS_ALWAYSTIP));
    EXPECT_TRUE(tip.AddTool(&target, L"first text"));
    EXPECT_EQ(tip.GetToolCount(), 1);
    CString text;
    tip.GetText(text, &target);
    EXPECT_STREQ(text, L"first text");
    tip.UpdateTipText(L"second text", &target);
    tip.GetText(text, &target);
    EXPECT_STREQ(text, L"second text");
    TOOLINFOW info;
    ASSERT_TRUE(tip.GetToolInfo(info, &target));
    EXPECT_EQ(info.uId, reinterpret_cast<UINT_PTR>(target.m_hWnd));
    EXPECT_EQ(info.hwnd, frame.m_hWnd);
    EXPECT_TRUE(info.uFlags & TTF_IDISHWND);
    tip.SetMaxTipWidth(300);
    EXPECT_EQ(tip.SetMaxTipWidth(200), 300);
    EXPECT_EQ(tip.GetMaxTipWidth(), 200);
    tip.SetDelayTime(TTDT_INITIAL, 20);
    EXPECT_EQ(tip.GetDelayTime(TTDT_INITIAL), 20);

    target.tip = &tip;
    tip.Activate(TRUE);
    ASSERT_TRUE(BringToForeground(frame.m_hWnd));
    RECT rect;
    target.GetWindowRect(&rect);
    MovePointerTo({rect.left + 10, rect.top + 10});
    MovePointerTo({rect.left + 12, rect.top + 11});
    EXPECT_TRUE(RunUntil([&] { return tip.IsWindowVisible() != FALSE; }));
    tip.Activate(FALSE);
    EXPECT_TRUE(RunUntil([&] { return !tip.IsWindowVisible(); }));
    tip.DelTool(&target);
    EXPECT_EQ(tip.GetToolCount(), 0);
    tip.DestroyWindow();
    target.DestroyWindow();
}

// ---- popup menus ----

class CMenuOwner : public CWnd {
public:
    std::atomic<UINT> chosen{0};
    BOOL CreateOwner()
    {
        return CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                        L"menu owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 80, 300, 200, nullptr, nullptr);
    }

protected:
    void OnChoice(UINT id) { chosen = id; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMenuOwner, CWnd)
    ON_COMMAND_RANGE(4001, 4003, OnChoice)
END_MESSAGE_MAP()

TEST_F(DialogTest, PopupMenuShowsAndTheItemChosenByKeysSendsItsCommandToTheOwner)
{
    CMenuOwner owner;
    ASSERT_TRUE(owner.CreateOwner());
    ASSERT_TRUE(BringToForeground(owner.m_hWnd));
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 4001, L"First");
    menu.AppendMenu(MF_STRING, 4002, L"Second");
    menu.AppendMenu(MF_STRING, 4003, L"Third");
    HMENU shown = nullptr;
    bool secondLit = false;
    ModalDriver driver({L"#32768", nullptr}, [&](HWND popup) {
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(popup, MN_GETHMENU, 0, 0, SMTO_NORMAL, 5000, &answer);
        shown = reinterpret_cast<HMENU>(answer);
        // Down until "Second" is lit, however the menu starts out.
        for (int i = 0; i < 4 && !secondLit; ++i) {
            PressKeys({VK_DOWN});
            secondLit = WaitFor([&] { return (::GetMenuState(shown, 4002, MF_BYCOMMAND) & MF_HILITE) != 0; }, 2000);
        }
        PressKeys({VK_RETURN});
    });
    RECT rect;
    owner.GetWindowRect(&rect);
    EXPECT_TRUE(menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, rect.left + 30, rect.top + 50, &owner));
    ASSERT_TRUE(driver.Wait());
    EXPECT_EQ(shown, menu.m_hMenu);
    EXPECT_TRUE(secondLit);
    EXPECT_TRUE(RunUntil([&] { return owner.chosen == 4002u; }));
    owner.DestroyWindow();
}

} // namespace
