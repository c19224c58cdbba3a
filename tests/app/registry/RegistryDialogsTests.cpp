// The registry editor's dialogs run modally while a helper thread fills their boxes and presses
// their buttons: the value dialog's checks per type (binary digits, unsigned DWORD numbers, name
// clashes), its titles, the multi-string edited through the large editor, the key dialog's name
// checks, and the large editor following its size.

#include "app/registry/RegistryDialogs.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace testsupport;

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Registry Dialog Tests") {}
};

const wchar_t kKey[] = L"HKEY_CURRENT_USER\\Software\\Tarnwick Reg\\";

CRegistryEntry Value(const wchar_t* name, int type, const wchar_t* data)
{
    CRegistryEntry record;
    record.m_kind = CRegistryEntry::kindValue;
    record.m_keyPath = kKey;
    record.m_valueName = name;
    record.m_valueType = type;
    record.m_value = data;
    return record;
}

HWND WaitForWindow(const wchar_t* title)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = FindProcessWindow({L"#32770", title})) != nullptr; }, kGuiTimeoutMs);
    return found;
}

// What became of one OK press on a dialog.
struct Outcome {
    bool closed = false;       // the dialog ended
    std::wstring message;      // the text of a message box it showed, answered with OK
};

struct DialogSearch {
    HWND owner;
    HWND found;
};

// A window procedure's calling convention: a lambda would not be one on 32-bit Windows.
BOOL CALLBACK FindOtherDialog(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<DialogSearch*>(data);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (window != search->owner && ::IsWindowVisible(window) && std::wstring(className) == L"#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Another visible dialog of dialog's thread (the message box it shows); null when none.
HWND OwnedWindow(HWND dialog)
{
    DialogSearch search{dialog, nullptr};
    ::EnumThreadWindows(::GetWindowThreadProcessId(dialog, nullptr), FindOtherDialog,
                        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Presses OK on dialog from the helper thread: either the dialog ends, or it shows a message box
// (answered with OK) and stays.
Outcome PressOk(HWND dialog)
{
    Outcome outcome;
    PostClick(dialog, IDOK);
    HWND box = nullptr;
    WaitFor([&] { return !::IsWindow(dialog) || (box = OwnedWindow(dialog)) != nullptr; }, kGuiTimeoutMs);
    if (box) {
        outcome.message = MessageBoxText(box);
        PostClick(box, IDOK);
        WaitFor([&] { return !::IsWindow(box); }, kGuiTimeoutMs);
        return outcome;
    }
    outcome.closed = !::IsWindow(dialog);
    return outcome;
}

// Presses OK and waits for it to be handled. A silent refusal leaves the dialog open; an accepted
// OK has the modal loop end before anything posted afterwards is read, so the Cancel that the
// callers post next never overrides it, and the dialog's result tells which happened.
void SendOk(HWND dialog)
{
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
}

class RegistryDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW)); }
    void TearDown() override { AfxDeleteTempMaps(); }

    // Runs the value dialog on the value named name while drive works on it; the dialog is
    // cancelled when drive leaves it open. Answers the dialog's result.
    INT_PTR RunValueDialog(const wchar_t* name, const wchar_t* title, const std::function<void(HWND)>& drive)
    {
        CRegValueDlg dialog;
        if (!dialog.Bind(records, kKey, name)) {
            ADD_FAILURE() << "no value " << Utf8(name);
            return -1;
        }
        return RunModal({L"#32770", title}, [&] { return dialog.DoModal(); }, drive);
    }

    CTestApp app;
    CRegistryEntries records;
};

TEST_F(RegistryDialogTest, BinaryTextsAreStoredAsTypedOrRefusedSilently)
{
    struct Row {
        const wchar_t* typed;
        bool accepted;
    };
    const Row rows[] = {
        {L"0aFF", true}, {L"abc", true}, {L"", true},
        {L"0x0A", false}, {L"0a FF", false}, {L"zz", false},
    };
    records.Add(Value(L"bin", CRegistryEntry::typeBinary, L"01"));
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.typed));
        std::wstring title;
        const INT_PTR result = RunValueDialog(L"bin", L"Edit Binary", [&](HWND dialog) {
            title = WindowText(dialog);
            SetText(::GetDlgItem(dialog, IDC_REG_VALUE), row.typed);
            SetText(::GetDlgItem(dialog, IDC_REG_NAME), L"renamed");
            SendOk(dialog);
            EXPECT_EQ(nullptr, OwnedWindow(dialog)) << "a refusal here shows no message";
        });
        EXPECT_EQ(L"Edit Binary", title);
        EXPECT_EQ(row.accepted ? IDOK : IDCANCEL, result);
        const CRegistryEntry& stored = records[records.GetSize() - 1];
        if (row.accepted) {
            EXPECT_EQ(CString(row.typed), stored.m_value);
            EXPECT_EQ(CString(L"renamed"), stored.m_valueName);
            records[records.GetSize() - 1].m_valueName = L"bin";
        } else {
            // nothing of a refused dialog is kept, the name included
            EXPECT_EQ(CString(L"bin"), stored.m_valueName);
        }
        records[records.GetSize() - 1].m_value = L"01";
    }
}

TEST_F(RegistryDialogTest, DwordTextsAreUnsignedAndACapturedNegativeShowsAndStoresUnsigned)
{
    struct Row {
        const wchar_t* stored;    // before the dialog
        const wchar_t* typed;     // null: the box as shown
        const wchar_t* result;    // null: refused with the framework's message
    };
    const Row rows[] = {
        {L"-1", nullptr, L"4294967295"},   // captured by the monitor; only the condition changes
        {L"5", L"0", L"0"},
        {L"5", L"4294967295", L"4294967295"},
        {L"5", L"4294967296", nullptr},
        {L"5", L"abc", nullptr},
        {L"5", L"-1", nullptr},
    };
    records.Add(Value(L"dw", CRegistryEntry::typeDword, L""));
    CRegistryEntry& record = records[records.GetSize() - 1];
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.typed ? row.typed : row.stored));
        record.m_value = row.stored;
        record.m_condition.Empty();
        std::wstring shown;
        Outcome outcome;
        RunValueDialog(L"dw", L"Edit DWORD", [&](HWND dialog) {
            shown = WindowText(::GetDlgItem(dialog, IDC_REG_VALUE));
            if (row.typed)
                SetText(::GetDlgItem(dialog, IDC_REG_VALUE), row.typed);
            SetText(::GetDlgItem(dialog, IDC_REG_CONDITION), L"VersionNT");
            outcome = PressOk(dialog);
        });
        if (!row.typed) {
            EXPECT_EQ(L"4294967295", shown);
        }
        if (row.result) {
            EXPECT_TRUE(outcome.closed) << Utf8(outcome.message);
            EXPECT_EQ(CString(row.result), record.m_value);
            EXPECT_EQ(CString(L"VersionNT"), record.m_condition);
        } else {
            EXPECT_FALSE(outcome.closed);
            EXPECT_EQ(L"Enter a positive integer.", outcome.message);
            EXPECT_EQ(CString(row.stored), record.m_value);
            EXPECT_EQ(CString(), record.m_condition);
        }
    }
}

TEST_F(RegistryDialogTest, AValueCannotTakeAnotherValuesNameInAnyCase)
{
    records.Add(Value(L"First", CRegistryEntry::typeString, L"1"));
    records.Add(Value(L"Second", CRegistryEntry::typeExpandString, L"%TEMP%"));
    bool clashKeptOpen = false;
    std::wstring title;
    const INT_PTR result = RunValueDialog(L"second", L"Edit String", [&](HWND dialog) {
        title = WindowText(dialog);
        SetText(::GetDlgItem(dialog, IDC_REG_NAME), L"FIRST");
        SendOk(dialog);
        // the refused OK changed nothing yet
        clashKeptOpen = ::IsWindowVisible(dialog) && records[records.GetSize() - 1].m_valueName == L"Second";
        SetText(::GetDlgItem(dialog, IDC_REG_NAME), L" SECOND ");
        SetText(::GetDlgItem(dialog, IDC_REG_VALUE), L"%TMP%");
        SendOk(dialog);
    });
    EXPECT_EQ(L"Edit String", title);
    EXPECT_TRUE(clashKeptOpen);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(CString(L"SECOND"), records[records.GetSize() - 1].m_valueName);
    EXPECT_EQ(CString(L"%TMP%"), records[records.GetSize() - 1].m_value);
    EXPECT_EQ(CString(L"First"), records[records.GetSize() - 2].m_valueName);

    // no value of that name: the dialog does not bind
    CRegValueDlg dialog;
    EXPECT_FALSE(dialog.Bind(records, kKey, L"Third"));
}

TEST_F(RegistryDialogTest, AMultiStringIsEditedAsLinesAndKeptOnlyByOk)
{
    records.Add(Value(L"multi", CRegistryEntry::typeMultiString, L"a[~]b"));
    CRegistryEntry& record = records[records.GetSize() - 1];
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        std::wstring editorText;
        std::wstring boxAfter;
        bool boxEnabled = true;
        RunValueDialog(L"multi", L"Edit String", [&](HWND dialog) {
            HWND box = ::GetDlgItem(dialog, IDC_REG_VALUE);
            boxEnabled = ::IsWindowEnabled(box) != FALSE;
            PostClick(dialog, IDC_REG_EDIT_LARGE);
            HWND editor = WaitForWindow(L"Edit Value");
            ASSERT_NE(nullptr, editor);
            editorText = WindowText(::GetDlgItem(editor, IDC_EDIT_VALUE_TEXT));
            SetText(::GetDlgItem(editor, IDC_EDIT_VALUE_TEXT), L"one\r\ntwo");
            PostClick(editor, IDOK);
            WaitFor([&] { return !::IsWindow(editor); }, kGuiTimeoutMs);
            WaitFor([&] { return WindowText(box) == L"one two"; }, kGuiTimeoutMs);
            boxAfter = WindowText(box);
            PostClick(dialog, ok ? IDOK : IDCANCEL);
            WaitFor([&] { return !::IsWindow(dialog); }, kGuiTimeoutMs);
        });
        EXPECT_FALSE(boxEnabled);
        EXPECT_EQ(L"a\r\nb", editorText);
        EXPECT_EQ(L"one two", boxAfter);
        EXPECT_EQ(CString(ok ? L"one[~]two" : L"a[~]b"), record.m_value);
    }
}

TEST_F(RegistryDialogTest, TheKeyDialogRefusesForbiddenAndSiblingNames)
{
    struct Row {
        const wchar_t* typed;
        const wchar_t* path;    // null: refused
    };
    const Row rows[] = {
        {L"A\\B", nullptr},           // would make a deeper key
        {L"A:B", nullptr},
        {L"A|B", nullptr},
        {L"sibling", nullptr},        // a sibling's name in other case
        {L"\"Quoted\"", L"HKEY_CURRENT_USER\\Software\\Quoted\\"},
        {L"key", L"HKEY_CURRENT_USER\\Software\\key\\"},       // its own name in other case
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.typed));
        CRegistryEntries keys;
        CRegistryEntry key;
        key.m_kind = CRegistryEntry::kindKey;
        key.m_keyPath = L"HKEY_CURRENT_USER\\Software\\Key\\";
        keys.Add(key);
        key.m_keyPath = L"HKEY_CURRENT_USER\\Software\\Sibling\\";
        keys.Add(key);
        CRegKeyDlg dialog;
        dialog.Bind(keys, L"HKEY_CURRENT_USER\\Software\\Key\\");
        std::wstring shown;
        ModalDriver driver({L"#32770", L"Edit Registry Key"}, [&](HWND window) {
            shown = WindowText(::GetDlgItem(window, IDC_REG_NAME));
            SetText(::GetDlgItem(window, IDC_REG_NAME), row.typed);
            SendOk(window);
            if (::IsWindow(window))
                PostClick(window, IDCANCEL);
        });
        const INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(driver.Wait());
        EXPECT_EQ(L"Key", shown);
        EXPECT_EQ(row.path ? IDOK : IDCANCEL, result);
        EXPECT_EQ(CString(row.path ? row.path : L"HKEY_CURRENT_USER\\Software\\Key\\"), keys[5].m_keyPath);
    }
}

TEST_F(RegistryDialogTest, TheLargeEditorGrowsWithItsWindow)
{
    CEditValDlg editor;
    editor.m_text = L"text";
    RECT before{};
    RECT after{};
    RECT okBefore{};
    RECT okAfter{};
    ModalDriver driver({L"#32770", L"Edit Value"}, [&](HWND window) {
        ::GetWindowRect(::GetDlgItem(window, IDC_EDIT_VALUE_TEXT), &before);
        ::GetWindowRect(::GetDlgItem(window, IDOK), &okBefore);
        RECT frame{};
        ::GetWindowRect(window, &frame);
        ::SendMessageW(window, WM_SETREDRAW, TRUE, 0);
        ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + 100, frame.bottom - frame.top + 60,
                       SWP_NOMOVE | SWP_NOZORDER);
        ::GetWindowRect(::GetDlgItem(window, IDC_EDIT_VALUE_TEXT), &after);
        ::GetWindowRect(::GetDlgItem(window, IDOK), &okAfter);
        SetText(::GetDlgItem(window, IDC_EDIT_VALUE_TEXT), L"one\r\ntwo");
        PostClick(window, IDOK);
    });
    EXPECT_EQ(IDOK, editor.DoModal());
    EXPECT_TRUE(driver.Wait());
    EXPECT_EQ(100, (after.right - after.left) - (before.right - before.left));
    EXPECT_EQ(60, (after.bottom - after.top) - (before.bottom - before.top));
    EXPECT_EQ(100, okAfter.left - okBefore.left);
    EXPECT_EQ(60, okAfter.top - okBefore.top);
    EXPECT_EQ(CString(L"one\r\ntwo"), editor.m_text);
}

} // namespace
