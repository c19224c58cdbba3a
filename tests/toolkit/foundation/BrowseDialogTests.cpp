// The shell's folder browser driven through its window: a helper thread waits for the browser the
// test thread runs modally and presses its keys like a user.

#include "toolkit/foundation/XTPBrowseDialog.h"

#include "framework/window/WinApp.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace testsupport;

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Browse Dialog Tests") {}
};

bool SamePath(const wchar_t* a, const wchar_t* b)
{
    wchar_t longA[MAX_PATH] = {}, longB[MAX_PATH] = {};
    ::GetLongPathNameW(a, longA, MAX_PATH);
    ::GetLongPathNameW(b, longB, MAX_PATH);
    return longA[0] && ::lstrcmpiW(longA, longB) == 0;
}

struct TextSearch {
    const wchar_t* text;
    bool found;
};

BOOL CALLBACK FindText(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<TextSearch*>(data);
    if (WindowText(child) == search->text)
        search->found = true;
    return !search->found;
}

// A child of the browser that shows this text.
bool ShowsText(HWND browser, const wchar_t* text)
{
    TextSearch search{text, false};
    ::EnumChildWindows(browser, FindText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text of the browser's selected folder. The browser selects the start folder only once its
// tree has been filled, which can come after the window shows: pressing Enter sooner returns
// whatever was selected first.
std::wstring SelectedFolderName(HWND browser)
{
    HWND tree = ::FindWindowExW(browser, nullptr, L"SysTreeView32", nullptr);
    for (HWND child = ::GetWindow(browser, GW_CHILD); !tree && child; child = ::GetWindow(child, GW_HWNDNEXT))
        tree = ::FindWindowExW(child, nullptr, L"SysTreeView32", nullptr);
    if (!tree)
        return {};
    const auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item)
        return {};
    wchar_t text[MAX_PATH] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = MAX_PATH;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return text;
}

std::wstring LeafName(const wchar_t* path)
{
    std::wstring text(path);
    while (!text.empty() && text.back() == L'\\')
        text.pop_back();
    return text.substr(text.find_last_of(L'\\') + 1);
}

// Presses a key in the browser, falling back to the button's command when the key could not be
// delivered; the browser must close either way.
bool Press(HWND browser, WORD key, int command)
{
    bool pressed = BringToForeground(browser) && PressKeys({key}) && PumpUntil([browser] { return !::IsWindow(browser); });
    if (!pressed && ::IsWindow(browser))
        ::PostMessageW(browser, WM_COMMAND, command, 0);
    return pressed;
}

// A folder of its own straight under C:\. The browser finds a folder by walking its tree from the
// desktop down, listing each level's folder on the way; the user's profile and the desktop
// (the home folder under Wine) are where the other test programs create and delete files all
// the time, and a listing that meets a file going away ends early: a folder under the profile
// is then not found. The root of the drive is quiet.
class DriveFolder {
public:
    DriveFolder()
    {
        m_path.Format(L"C:\\browse-test-%lu-%lu", ::GetCurrentProcessId(), ::GetTickCount());
        ::CreateDirectoryW(m_path, nullptr);
    }
    DriveFolder(const DriveFolder&) = delete;
    DriveFolder& operator=(const DriveFolder&) = delete;
    ~DriveFolder() { RemoveTree(m_path); }

    const CString& Path() const { return m_path; }
    CString operator/(const wchar_t* name) const { return m_path + L"\\" + name; }

private:
    CString m_path;
};

class BrowseDialogTest : public ::testing::Test {
protected:
    CTestApp app;
    DriveFolder folder;
};

}    // namespace

// One run of the browser: waits until it shows the folder named leaf selected, then presses
// Enter. Under Wine the browser also follows changes of the desktop folder, which is the home
// folder the other test programs keep writing into, and such a change can reset its tree before
// the selection arrives: the attempt then reports what was shown instead.
struct BrowseAttempt {
    bool titleShown = false;
    std::wstring selected; // the caret folder's name when Enter was pressed
    INT_PTR result = 0;
    CString path;
};

// The walk to the start folder takes about a second; a reset tree never gets there.
constexpr DWORD kSelectionWaitMs = 10000;

BrowseAttempt AcceptWhenSelected(CXTPBrowseDialog& dialog, const std::wstring& leaf)
{
    BrowseAttempt attempt;
    ModalDriver driver({L"#32770", nullptr}, [&](HWND browser) {
        attempt.titleShown = PumpUntil([&] { return ShowsText(browser, L"Select Directory:"); });
        PumpUntil([&] { return SelectedFolderName(browser) == leaf; }, kSelectionWaitMs);
        attempt.selected = SelectedFolderName(browser);
        Press(browser, VK_RETURN, IDOK);
    });
    attempt.result = dialog.DoModal();
    EXPECT_TRUE(driver.Wait());
    attempt.path = dialog.GetFolderPath();
    return attempt;
}

constexpr int kBrowseAttempts = 3;

TEST_F(BrowseDialogTest, OkReturnsThePreselectedFolder)
{
    const CString start = folder / L"start here";
    ASSERT_TRUE(::CreateDirectoryW(start, nullptr));
    std::string tried;
    for (int i = 0; i < kBrowseAttempts; ++i) {
        CXTPBrowseDialog dialog;
        EXPECT_EQ(std::wstring(L"Select Directory:"), dialog.m_bi.lpszTitle);
        ASSERT_TRUE(dialog.SetFolderPath(start));
        const BrowseAttempt attempt = AcceptWhenSelected(dialog, L"start here");
        EXPECT_TRUE(attempt.titleShown);
        ASSERT_EQ(IDOK, attempt.result);
        if (attempt.selected == L"start here") {
            EXPECT_TRUE(SamePath(start, attempt.path)) << Utf8(attempt.path.View());
            return;
        }
        tried += " [" + Utf8(attempt.selected.c_str()) + " -> " + Utf8(attempt.path.View()) + "]";
    }
    ADD_FAILURE() << "the browser never showed the start folder selected:" << tried;
}

TEST_F(BrowseDialogTest, WithAnEmptyBufferItOpensAtTheCurrentDirectory)
{
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.Path()));
    const std::wstring leaf = LeafName(folder.Path());
    std::string tried;
    bool opened = false;
    for (int i = 0; i < kBrowseAttempts && !opened; ++i) {
        CXTPBrowseDialog dialog;
        const BrowseAttempt attempt = AcceptWhenSelected(dialog, leaf);
        EXPECT_EQ(IDOK, attempt.result);
        opened = attempt.selected == leaf;
        if (opened)
            EXPECT_TRUE(SamePath(folder.Path(), attempt.path)) << Utf8(attempt.path.View());
        else
            tried += " [" + Utf8(attempt.selected.c_str()) + " -> " + Utf8(attempt.path.View()) + "]";
    }
    ::SetCurrentDirectoryW(previous);
    EXPECT_TRUE(opened) << "the browser never showed the current directory selected:" << tried;
}

TEST_F(BrowseDialogTest, CancelLeavesTheBufferAsItWas)
{
    CXTPBrowseDialog dialog;
    ASSERT_TRUE(dialog.SetFolderPath(folder.Path()));
    ModalDriver driver({L"#32770", nullptr}, [&](HWND browser) { Press(browser, VK_ESCAPE, IDCANCEL); });
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    ASSERT_TRUE(driver.Wait());
    EXPECT_EQ(std::wstring(folder.Path()), dialog.GetFolderPath());
}

TEST(BrowseDialog, Bug_APathLongerThanTheBufferIsRefusedNotWrittenPastIt)
{
    CXTPBrowseDialog dialog;
    ASSERT_TRUE(dialog.SetFolderPath(L"C:\\kept"));
    const std::wstring longest(MAX_PATH - 1, L'a');
    const std::wstring tooLong(MAX_PATH, L'a');
    EXPECT_FALSE(dialog.SetFolderPath(tooLong.c_str()));
    EXPECT_EQ(std::wstring(L"C:\\kept"), dialog.GetFolderPath());
    EXPECT_TRUE(dialog.SetFolderPath(longest.c_str()));
    EXPECT_EQ(longest, dialog.GetFolderPath());
    EXPECT_EQ(static_cast<UINT>(BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_NEWDIALOGSTYLE), dialog.GetFlags());
}
