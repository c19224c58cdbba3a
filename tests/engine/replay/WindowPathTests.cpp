#include "engine/replay/ScriptActions.h"
#include "tests/engine/replay/SetupProgramRun.h"
#include "tests/support/setupprog/SetupProgIds.h"

#include <commctrl.h>

#include <gtest/gtest.h>

using namespace replaytest;

namespace {

// The listed path of a window, or "(not listed)".
CString ListedPath(const CScriptActions& engine, HWND window)
{
    for (const auto& element : engine.Windows()) {
        if (element.m_hWnd == window)
            return element.m_path;
    }
    return L"(not listed)";
}

void ListSetupWindows(CScriptActions& engine)
{
    EXPECT_EQ(0u, engine.ListJobProcesses());
    engine.ListProcessWindows(L"setupprog.exe");
}

} // namespace

TEST(WindowPath, EveryControlOfTheWizardHasItsPath)
{
    SetupProgramRun run;
    HWND wizard = run.WaitForMainWindow();
    ASSERT_NE(nullptr, wizard);
    HWND page = FindWindowExW(wizard, nullptr, L"#32770", nullptr);
    ASSERT_NE(nullptr, page);

    // Indexes count same-class descendants of the parent, grandchildren included, in enumeration
    // order; the page's controls count within the page.
    const struct {
        HWND parent;
        int id;
        const wchar_t* path;
    } cases[] = {
        {nullptr, 0, L"#32770--1\\-0"},
        {wizard, IDC_TITLE, L"#32770--1\\static-0\\-0"},
        {wizard, IDC_NAME, L"#32770--1\\edit-0\\-0"},
        {wizard, IDC_AGREE, L"#32770--1\\button-0\\-0"},
        {wizard, IDC_TYPEGROUP, L"#32770--1\\button-1\\-0"},
        {wizard, IDC_TYPICAL, L"#32770--1\\button-2\\-0"},
        {wizard, IDC_CUSTOM, L"#32770--1\\button-3\\-0"},
        {wizard, IDC_LANGUAGE, L"#32770--1\\combobox-0\\-0"},
        {wizard, IDC_FOLDERS, L"#32770--1\\listbox-0\\-0"},
        {wizard, IDC_COMPONENTS, L"#32770--1\\syslistview32-0\\-0"},
        {wizard, IDC_FEATURES, L"#32770--1\\systreeview32-0\\-0"},
        {wizard, IDC_PAGEFRAME, L"#32770--1\\static-1\\-0"},
        {wizard, IDC_STEP, L"#32770--1\\static-2\\-0"},
        {wizard, IDC_NEXT, L"#32770--1\\button-4\\-0"},
        {wizard, IDCANCEL, L"#32770--1\\button-5\\-0"},
        {page, 0, L"#32770--1\\#32770-0\\-0"},
        {page, IDC_DESTLABEL, L"#32770--1\\#32770-0\\static-0\\-0"},
        {page, IDC_DESTINATION, L"#32770--1\\#32770-0\\edit-0\\-0"},
        {page, IDC_BROWSE, L"#32770--1\\#32770-0\\button-0\\-0"},
    };
    CScriptActions engine;
    ListSetupWindows(engine);
    for (const auto& c : cases) {
        HWND window = !c.parent ? wizard : c.id == 0 ? c.parent : GetDlgItem(c.parent, c.id);
        EXPECT_EQ(testsupport::Utf8(c.path), testsupport::Utf8(ListedPath(engine, window).View()))
            << "control id " << c.id;
    }
    // A child of a child: the list view's header.
    HWND header = reinterpret_cast<HWND>(SendMessageW(GetDlgItem(wizard, IDC_COMPONENTS), LVM_GETHEADER, 0, 0));
    EXPECT_EQ("#32770--1\\syslistview32-0\\sysheader32-0\\-0", testsupport::Utf8(ListedPath(engine, header).View()));
    // Hidden and disabled windows are not listed.
    EnableWindow(GetDlgItem(wizard, IDC_NEXT), FALSE);
    ListSetupWindows(engine);
    EXPECT_EQ("(not listed)", testsupport::Utf8(ListedPath(engine, GetDlgItem(wizard, IDC_NEXT)).View()));
}

// An owned window is counted under its owner, which never enumerates it: its index is the number
// of same-class descendants of the owner less one. The confirmation therefore shares the page's
// path and the two differ only by their rank.
TEST(WindowPath, OwnedDialogIsCountedUnderItsOwner)
{
    SetupProgramRun run;
    HWND wizard = run.WaitForMainWindow();
    ASSERT_NE(nullptr, wizard);
    PostMessageW(GetDlgItem(wizard, IDCANCEL), BM_CLICK, 0, 0);
    HWND confirm = nullptr;
    // The listing follows the z-order, and a new window can show a moment before it is put in
    // front of its owner: wait for both.
    const auto inFrontOf = [](HWND window, HWND other) {
        for (HWND above = GetWindow(other, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
            if (above == window)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(WaitFor([&] {
        confirm = FindWindowW(L"#32770", L"Exit Setup");
        return confirm && IsWindowVisible(confirm) && inFrontOf(confirm, wizard);
    })) << "the confirmation did not come up in front of the wizard";

    CScriptActions engine;
    ListSetupWindows(engine);
    EXPECT_EQ("#32770--1\\#32770-0\\", testsupport::Utf8(engine.BuildWindowPath(confirm).View()));
    EXPECT_EQ("#32770--1\\#32770-0\\button-0\\",
              testsupport::Utf8(engine.BuildWindowPath(GetDlgItem(confirm, IDYES)).View()));
    EXPECT_EQ("#32770--1\\#32770-0\\button-1\\",
              testsupport::Utf8(engine.BuildWindowPath(GetDlgItem(confirm, IDNO)).View()));
    // Top-level windows are listed front to back: the confirmation comes before the wizard's page.
    HWND page = FindWindowExW(wizard, nullptr, L"#32770", nullptr);
    EXPECT_EQ("#32770--1\\#32770-0\\-0", testsupport::Utf8(ListedPath(engine, confirm).View()));
    EXPECT_EQ("#32770--1\\#32770-0\\-1", testsupport::Utf8(ListedPath(engine, page).View()));
    EXPECT_EQ("#32770--1\\#32770-0\\button-0\\-0",
              testsupport::Utf8(ListedPath(engine, GetDlgItem(confirm, IDYES)).View()));
    EXPECT_EQ("#32770--1\\#32770-0\\button-0\\-1",
              testsupport::Utf8(ListedPath(engine, GetDlgItem(page, IDC_BROWSE)).View()));
}

TEST(WindowPath, IdenticalDialogsAreRankedInListOrder)
{
    SetupProgramRun run(L"/twin");
    ASSERT_NE(nullptr, run.WaitForMainWindow());
    CScriptActions engine;
    ASSERT_TRUE(WaitFor([&] {
        ListSetupWindows(engine);
        return engine.FindWindowByPath(L"setupprog.exe", L"#32770--1\\edit-0\\-1") == 1;
    })) << "the second wizard's edit box was not listed";
    HWND second = engine.CurrentWindow();
    ASSERT_EQ(1, engine.FindWindowByPath(L"setupprog.exe", L"#32770--1\\edit-0\\-0"));
    HWND first = engine.CurrentWindow();
    EXPECT_NE(first, second);
    EXPECT_NE(GetParent(first), GetParent(second));
    // Paths compare exactly: another case or a missing rank finds nothing.
    EXPECT_EQ(0, engine.FindWindowByPath(L"setupprog.exe", L"#32770--1\\Edit-0\\-0"));
    EXPECT_EQ(0, engine.FindWindowByPath(L"setupprog.exe", L"#32770--1\\edit-0\\"));
    EXPECT_EQ(0, engine.FindWindowByPath(L"SetupProg.exe", L"#32770--1\\edit-0\\-0"));
}

TEST(WindowPath, FrameworkClassNamesShareOneElement)
{
    // A window of this process with a generated class name, under a plain parent.
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Afx:00400000:8:00010003:00000000:00000000";
    ASSERT_NE(0, RegisterClassW(&windowClass));
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, window);
    CScriptActions engine;
    EXPECT_EQ("Afx:0xx--1\\", testsupport::Utf8(engine.BuildWindowPath(window).View()));
    DestroyWindow(window);
}
