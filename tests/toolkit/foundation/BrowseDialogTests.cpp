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

// Presses a key in the browser, falling back to the button's command when the key could not be
// delivered; the browser must close either way.
bool Press(HWND browser, WORD key, int command)
{
    bool pressed = BringToForeground(browser) && PressKeys({key}) && PumpUntil([browser] { return !::IsWindow(browser); });
    if (!pressed && ::IsWindow(browser))
        ::PostMessageW(browser, WM_COMMAND, command, 0);
    return pressed;
}

class BrowseDialogTest : public ::testing::Test {
protected:
    CTestApp app;
    ScratchFolder folder;
};

}    // namespace

TEST_F(BrowseDialogTest, OkReturnsThePreselectedFolder)
{
    const CString start = folder / L"start here";
    ASSERT_TRUE(::CreateDirectoryW(start, nullptr));
    CXTPBrowseDialog dialog;
    EXPECT_EQ(std::wstring(L"Select Directory:"), dialog.m_bi.lpszTitle);
    ASSERT_TRUE(dialog.SetFolderPath(start));

    bool titleShown = false;
    ModalDriver driver({L"#32770", nullptr}, [&](HWND browser) {
        titleShown = PumpUntil([&] { return ShowsText(browser, L"Select Directory:"); });
        Press(browser, VK_RETURN, IDOK);
    });
    EXPECT_EQ(IDOK, dialog.DoModal());
    ASSERT_TRUE(driver.Wait());
    EXPECT_TRUE(titleShown);
    EXPECT_TRUE(SamePath(start, dialog.GetFolderPath())) << std::wstring(dialog.GetFolderPath()).c_str();
}

TEST_F(BrowseDialogTest, WithAnEmptyBufferItOpensAtTheCurrentDirectory)
{
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.Path()));
    CXTPBrowseDialog dialog;
    ModalDriver driver({L"#32770", nullptr}, [&](HWND browser) { Press(browser, VK_RETURN, IDOK); });
    const INT_PTR result = dialog.DoModal();
    ::SetCurrentDirectoryW(previous);
    ASSERT_TRUE(driver.Wait());
    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(SamePath(folder.Path(), dialog.GetFolderPath())) << std::wstring(dialog.GetFolderPath()).c_str();
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
