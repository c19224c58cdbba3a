// The monitoring settings sheet and the list-item dialog, run modally while a helper thread drives
// them: the two pages show their filters in order; "+", "-" and double click edit the list; blank
// texts never get in; OK writes back only the pages that were made, Cancel nothing.

#include "app/monitor/MonitorSettings.h"

#include "engine/storage/Projects.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

const wchar_t kSheetTitle[] = L"Installation Monitoring Settings";
const wchar_t kItemTitle[] = L"Edit Item";

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Monitor Settings Tests") {}
};

std::vector<std::wstring> Texts(const CExludeList& list)
{
    std::vector<std::wstring> texts;
    for (POSITION position = list.GetHeadPosition(); position;)
        texts.emplace_back(list.GetNext(position).GetString());
    return texts;
}

void Fill(CExludeList& list, std::initializer_list<const wchar_t*> texts)
{
    list.RemoveAll();
    for (const wchar_t* text : texts)
        list.AddTail(text);
}

HWND CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

std::vector<std::wstring> ListTexts(HWND list)
{
    std::vector<std::wstring> texts;
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        // The page may be removing entries while this reads them.
        const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, i, 0);
        if (length < 0)
            break;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(text.size() - 1);
        texts.push_back(text);
    }
    return texts;
}

int Selection(HWND list) { return static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0)); }

void PostCommand(HWND page, int id, WORD code = BN_CLICKED)
{
    ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
}

HWND WaitForWindow(const wchar_t* title)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = FindProcessWindow({nullptr, title})) != nullptr; }, kGuiTimeoutMs);
    return found;
}

// Answers the list-item dialog that an action of the page opens: its text as it came, then the
// given text and OK (or Cancel when ok is false). Runs on the driver thread.
std::wstring AnswerItemDialog(const std::wstring& text, bool ok = true)
{
    HWND dialog = WaitForWindow(kItemTitle);
    if (!dialog) {
        ADD_FAILURE() << "the list-item dialog did not open";
        return {};
    }
    HWND edit = ::GetDlgItem(dialog, IDC_ITEM_TEXT);
    const std::wstring before = WindowText(edit);
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::PostMessageW(dialog, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }, kGuiTimeoutMs));
    return before;
}

class MonitorSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        Fill(projects.m_fileFilter, {L"WindowsFolder\\Temp", L"ProgramFilesFolder\\Common"});
        // A blank entry from an older data file: it shows whether the page wrote its list back.
        Fill(projects.m_registryFilter, {L"HKEY_LOCAL_MACHINE\\Software\\Wine", L"  "});
    }
    void TearDown() override { AfxDeleteTempMaps(); }

    // Runs the sheet while drive works on it; the sheet is cancelled should drive leave it open.
    INT_PTR RunSheet(const std::function<void(HWND sheet)>& drive)
    {
        CMonitorSettingsPS sheet(nullptr, projects);
        ModalDriver driver({nullptr, kSheetTitle}, [&](HWND window) {
            drive(window);
            if (!WaitFor([&] { return !::IsWindow(window); }, kGuiTimeoutMs)) {
                // A list-item dialog left open would keep the sheet from hearing the Cancel.
                while (HWND item = FindProcessWindow({nullptr, kItemTitle})) {
                    ::PostMessageW(item, WM_COMMAND, IDCANCEL, 0);
                    WaitFor([&] { return !::IsWindow(item); }, kGuiTimeoutMs);
                }
                ::PostMessageW(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            }
        });
        const INT_PTR result = sheet.DoModal();
        EXPECT_TRUE(driver.Wait()) << "the sheet never showed";
        return result;
    }

    CTestApp app;
    CProjects projects;
};

} // namespace

TEST_F(MonitorSettingsTest, ThePageEditsItsListAndOkWritesOnlyThatPageBack)
{
    const INT_PTR result = RunSheet([](HWND sheet) {
        HWND page = CurrentPage(sheet);
        HWND list = ::GetDlgItem(page, IDC_FILTER_LIST);
        EXPECT_EQ(ListTexts(list), (std::vector<std::wstring>{L"WindowsFolder\\Temp", L"ProgramFilesFolder\\Common"}));

        // "+" appends at the end, unsorted; blank texts and Cancel add nothing.
        PostCommand(page, IDC_FILTER_ADD);
        EXPECT_EQ(AnswerItemDialog(L"AppDataFolder\\Noise"), L"") << "a new entry starts empty";
        PostCommand(page, IDC_FILTER_ADD);
        AnswerItemDialog(L" \t ");
        PostCommand(page, IDC_FILTER_ADD);
        AnswerItemDialog(L"");
        PostCommand(page, IDC_FILTER_ADD);
        AnswerItemDialog(L"Cancelled", false);
        PostCommand(page, IDC_FILTER_ADD);
        AnswerItemDialog(L"A last one");
        EXPECT_TRUE(WaitFor([&] { return ListTexts(list).size() == 4; }, kGuiTimeoutMs));
        EXPECT_EQ(ListTexts(list), (std::vector<std::wstring>{L"WindowsFolder\\Temp", L"ProgramFilesFolder\\Common",
                                                              L"AppDataFolder\\Noise", L"A last one"}));

        // Double click edits the selected entry in place and selects it; a blank text keeps it.
        ::SendMessageW(list, LB_SETCURSEL, 1, 0);
        PostCommand(page, IDC_FILTER_LIST, LBN_DBLCLK);
        EXPECT_EQ(AnswerItemDialog(L"ProgramFilesFolder\\Shared"), L"ProgramFilesFolder\\Common");
        EXPECT_TRUE(WaitFor([&] { return ListTexts(list)[1] == L"ProgramFilesFolder\\Shared"; }, kGuiTimeoutMs));
        EXPECT_EQ(Selection(list), 1);
        ::SendMessageW(list, LB_SETCURSEL, 0, 0);
        PostCommand(page, IDC_FILTER_LIST, LBN_DBLCLK);
        EXPECT_EQ(AnswerItemDialog(L"   "), L"WindowsFolder\\Temp");
        EXPECT_EQ(ListTexts(list)[0], L"WindowsFolder\\Temp");

        // "-" selects the entry before; removing the first leaves none, and "-" then does nothing.
        ::SendMessageW(list, LB_SETCURSEL, 2, 0);
        PostCommand(page, IDC_FILTER_REMOVE);
        EXPECT_TRUE(WaitFor([&] { return ListTexts(list).size() == 3; }, kGuiTimeoutMs));
        EXPECT_EQ(Selection(list), 1);
        ::SendMessageW(list, LB_SETCURSEL, 0, 0);
        PostCommand(page, IDC_FILTER_REMOVE);
        EXPECT_TRUE(WaitFor([&] { return ListTexts(list).size() == 2; }, kGuiTimeoutMs));
        EXPECT_EQ(Selection(list), LB_ERR);
        // Sent, not posted: the selection set next must not overtake them.
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_FILTER_REMOVE, BN_CLICKED), 0);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_FILTER_LIST, LBN_DBLCLK), 0);    // no selection: no dialog
        ::SendMessageW(list, LB_SETCURSEL, 1, 0);
        PostCommand(page, IDC_FILTER_REMOVE);
        EXPECT_TRUE(WaitFor([&] { return ListTexts(list).size() == 1; }, kGuiTimeoutMs));
        EXPECT_EQ(ListTexts(list), (std::vector<std::wstring>{L"ProgramFilesFolder\\Shared"}));
        EXPECT_EQ(FindProcessWindow({nullptr, kItemTitle}), nullptr);

        ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Texts(projects.m_fileFilter), (std::vector<std::wstring>{L"ProgramFilesFolder\\Shared"}));
    EXPECT_EQ(Texts(projects.m_registryFilter), (std::vector<std::wstring>{L"HKEY_LOCAL_MACHINE\\Software\\Wine", L"  "}))
        << "the registry page was never made, so its list stays exactly as it was";
}

TEST_F(MonitorSettingsTest, CancelKeepsBothListsAndOkWritesEveryVisitedPage)
{
    auto addToRegistryPage = [](HWND sheet, const wchar_t* text) {
        ::SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
        HWND page = nullptr;
        EXPECT_TRUE(WaitFor([&] {
            page = CurrentPage(sheet);
            return page && ::GetDlgItem(page, IDC_FILTER_LIST) &&
                   ListTexts(::GetDlgItem(page, IDC_FILTER_LIST)).front() == L"HKEY_LOCAL_MACHINE\\Software\\Wine";
        }, kGuiTimeoutMs));
        PostCommand(page, IDC_FILTER_ADD);
        AnswerItemDialog(text);
        EXPECT_TRUE(WaitFor([&] { return ListTexts(::GetDlgItem(page, IDC_FILTER_LIST)).size() == 3; }, kGuiTimeoutMs));
    };

    EXPECT_EQ(RunSheet([&](HWND sheet) {
                  addToRegistryPage(sheet, L"HKEY_CURRENT_USER\\Software\\Noise");
                  ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
              }),
              IDCANCEL);
    EXPECT_EQ(Texts(projects.m_fileFilter), (std::vector<std::wstring>{L"WindowsFolder\\Temp", L"ProgramFilesFolder\\Common"}));
    EXPECT_EQ(Texts(projects.m_registryFilter), (std::vector<std::wstring>{L"HKEY_LOCAL_MACHINE\\Software\\Wine", L"  "}));

    EXPECT_EQ(RunSheet([&](HWND sheet) {
                  addToRegistryPage(sheet, L"HKEY_CURRENT_USER\\Software\\Noise");
                  ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
              }),
              IDOK);
    EXPECT_EQ(Texts(projects.m_fileFilter), (std::vector<std::wstring>{L"WindowsFolder\\Temp", L"ProgramFilesFolder\\Common"}));
    EXPECT_EQ(Texts(projects.m_registryFilter),
              (std::vector<std::wstring>{L"HKEY_LOCAL_MACHINE\\Software\\Wine", L"HKEY_CURRENT_USER\\Software\\Noise"}))
        << "written back in list order, the old blank entry left out";
}

TEST_F(MonitorSettingsTest, TheItemDialogTakesATitleAndAtMost255TypedCharacters)
{
    struct Case {
        const wchar_t* title;
        const wchar_t* caption;
    };
    for (const Case& c : {Case{L"Add Path to the Monitoring Filter", L"Add Path to the Monitoring Filter"},
                          Case{L" \t", kItemTitle}, Case{L"", kItemTitle}}) {
        CAddListItemDlg dialog(c.title);
        ModalDriver driver({nullptr, c.caption}, [](HWND window) { ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0); });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_TRUE(driver.Wait()) << "no window titled " << Utf8(c.caption);
    }

    CAddListItemDlg dialog;
    dialog.m_strText = L"Start ";
    const std::wstring typed(300, L'x');
    ModalDriver driver({nullptr, kItemTitle}, [&](HWND window) {
        HWND edit = ::GetDlgItem(window, IDC_ITEM_TEXT);
        EXPECT_TRUE(BringToForeground(window));
        EXPECT_TRUE(WaitFor([&] { return FocusOfThread(window) == edit; }, kGuiTimeoutMs));
        ::SendMessageW(edit, EM_SETSEL, 6, 6);
        TypeText(typed);
        EXPECT_TRUE(WaitFor([&] { return WindowText(edit).size() == 255; }, kGuiTimeoutMs));
        PressKeys({VK_RETURN});
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(driver.Wait());
    EXPECT_EQ(dialog.m_strText.GetLength(), CAddListItemDlg::kMaxText);
    EXPECT_EQ(std::wstring(dialog.m_strText), L"Start " + std::wstring(249, L'x'));
}
