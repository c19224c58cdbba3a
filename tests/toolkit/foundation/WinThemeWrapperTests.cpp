// The visual-styles wrapper over the prefix's own uxtheme, over a table without a library, and
// the two window-manager calls.

#include "toolkit/foundation/XTPWinThemeWrapper.h"

#include "toolkit/foundation/XTPModuleHandle.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

int g_closeCalls = 0;
HRESULT(WINAPI* g_realClose)(HTHEME) = nullptr;

HRESULT WINAPI CountingClose(HTHEME theme)
{
    ++g_closeCalls;
    return g_realClose(theme);
}

HRESULT WINAPI ThrowingDraw(HTHEME, HDC, int, int, const RECT*, const RECT*)
{
    throw 42;
}

template <class Fn>
FARPROC AsProc(Fn fn)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(fn));
}

HMODULE UxTheme()
{
    return GetWinThemeTableA().GetModule();
}

template <class Fn>
Fn Export(const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(UxTheme(), name)));
}

TEST(WinThemeWrapper, OpensTheSystemThemeAndClosesTheFirstClassOnASecondOpen)
{
    ASSERT_NE(nullptr, UxTheme()) << "the prefix has uxtheme.dll";
    g_realClose = Export<HRESULT(WINAPI*)(HTHEME)>("CloseThemeData");
    ASSERT_NE(nullptr, g_realClose);
    auto table = std::make_unique<CXTPWinThemeTable>(UxTheme(), GetComCtlVersion());
    table->SetEntry(CXTPWinThemeTable::EntryCloseThemeData, AsProc(&CountingClose));
    g_closeCalls = 0;
    {
        CXTPWinThemeWrapper wrapper(std::move(table));
        EXPECT_FALSE(wrapper.IsAppThemed()) << "no theme opened yet";
        if (!wrapper.IsThemeActive())
            GTEST_SKIP() << "the prefix draws the classic look (ThemeActive 0)";

        const HTHEME button = wrapper.OpenThemeData(nullptr, L"BUTTON");
        ASSERT_NE(nullptr, button);
        EXPECT_EQ(button, wrapper.GetThemeHandle());
        EXPECT_EQ(0, g_closeCalls) << "nothing was open";
        EXPECT_TRUE(wrapper.IsAppThemed());
        COLORREF color = 0;
        EXPECT_EQ(S_OK, wrapper.GetThemeColor(1 /* BP_PUSHBUTTON */, 1, 3803 /* TMT_TEXTCOLOR */, &color));

        const HTHEME scroll = wrapper.OpenThemeData(nullptr, L"SCROLLBAR");
        EXPECT_NE(nullptr, scroll);
        EXPECT_EQ(1, g_closeCalls) << "the BUTTON theme was closed first";

        EXPECT_EQ(nullptr, wrapper.OpenThemeData(nullptr, L"NoSuchClass"));
        EXPECT_EQ(2, g_closeCalls);
        EXPECT_EQ(nullptr, wrapper.GetThemeHandle());
        EXPECT_FALSE(wrapper.IsAppThemed());

        wrapper.OpenThemeData(nullptr, L"PROGRESS");
    }
    EXPECT_EQ(3, g_closeCalls) << "the destructor closed the open theme";
}

TEST(WinThemeWrapper, SharedTableBFollowsTheLibraryModule)
{
    CXTPWinThemeTable& tableB = GetWinThemeTableB();
    ASSERT_NE(nullptr, tableB.GetModule());
    const HMODULE loaded = GetModuleHandleA("UXTHEME.DLL");
    const BOOL active = Export<BOOL(WINAPI*)()>("IsThemeActive")();

    // Play an unload: the table forgets its module and every entry.
    ASSERT_NE(nullptr, tableB.GetEntry(CXTPWinThemeTable::EntryIsThemeActive));
    tableB.RefreshModule(nullptr);
    EXPECT_EQ(nullptr, tableB.GetEntry(CXTPWinThemeTable::EntryIsThemeActive));

    CXTPWinThemeWrapper refreshing(TRUE);
    EXPECT_EQ(active, refreshing.IsThemeActive()) << "without an open theme IsThemeActive refreshes";
    EXPECT_EQ(loaded, tableB.GetModule());

    tableB.RefreshModule(nullptr);
    wchar_t file[MAX_PATH] = {}, color[64] = {}, size[64] = {};
    const HRESULT named = refreshing.GetCurrentThemeName(file, MAX_PATH, color, 64, size, 64);
    EXPECT_EQ(loaded, tableB.GetModule()) << "GetCurrentThemeName refreshes first";
    if (active) {
        EXPECT_EQ(S_OK, named);
    }

    if (active) {
        ASSERT_NE(nullptr, refreshing.OpenThemeData(nullptr, L"BUTTON"));
        tableB.RefreshModule(nullptr);
        EXPECT_FALSE(refreshing.IsThemeActive()) << "with an open theme there is no refresh";
        refreshing.OpenThemeData(nullptr, L"BUTTON");   // refreshes, closes, opens again
        EXPECT_EQ(loaded, tableB.GetModule());
    }

    // Table A never refreshes.
    CXTPWinThemeTable& tableA = GetWinThemeTableA();
    CXTPWinThemeWrapper plain(FALSE);
    EXPECT_EQ(&tableA, &plain.GetTable());
    EXPECT_EQ(&tableB, &refreshing.GetTable());
}

TEST(WinThemeWrapper, ATableWithoutTheLibraryGivesEveryFailureValue)
{
    CXTPWinThemeWrapper wrapper(std::make_unique<CXTPWinThemeTable>(nullptr, 0x40000));
    HDC dc = CreateCompatibleDC(nullptr);
    RECT rect{0, 0, 10, 10};
    COLORREF color = 0;
    int value = 0;
    SIZE size{};
    HDC paintDc = nullptr;
    wchar_t name[32] = {};

    EXPECT_EQ(nullptr, wrapper.OpenThemeData(nullptr, L"BUTTON"));
    EXPECT_EQ(E_FAIL, wrapper.DrawThemeBackground(dc, 1, 1, &rect, nullptr));
    EXPECT_EQ(E_FAIL, wrapper.DrawThemeTextEx(dc, 1, 1, L"x", 1, 0, &rect, nullptr));
    EXPECT_EQ(E_FAIL, wrapper.GetThemeColor(1, 1, 3803, &color));
    EXPECT_EQ(E_FAIL, wrapper.GetThemeInt(1, 1, 2401, &value));
    EXPECT_EQ(E_FAIL, wrapper.GetThemePartSize(dc, 1, 1, &rect, TS_TRUE, &size));
    EXPECT_FALSE(wrapper.GetThemeSysBool(1001));
    EXPECT_EQ(E_FAIL, wrapper.GetCurrentThemeName(name, 32, name, 32, name, 32));
    EXPECT_FALSE(wrapper.IsAppThemed());
    EXPECT_FALSE(wrapper.IsThemeActive());
    EXPECT_EQ(nullptr, wrapper.BeginBufferedPaint(dc, &rect, BPBF_TOPDOWNDIB, nullptr, &paintDc));
    wrapper.EndBufferedPaint(nullptr, TRUE);
    wrapper.CloseThemeData();
    EXPECT_EQ(0x40000u, wrapper.GetTable().GetComCtlVersion());

    // An entry that throws is a failure too.
    wrapper.GetTable().SetEntry(CXTPWinThemeTable::EntryDrawThemeBackground,
                                AsProc(&ThrowingDraw));
    EXPECT_EQ(E_FAIL, wrapper.DrawThemeBackground(dc, 1, 1, &rect, nullptr));
    DeleteDC(dc);
}

MARGINS g_margins{};
HRESULT WINAPI RecordMargins(HWND, const MARGINS* margins)
{
    g_margins = *margins;
    return S_OK;
}

HRESULT WINAPI ThrowingExtend(HWND, const MARGINS*)
{
    throw 7;
}

TEST(DwmApi, PassesTheMarginsInRecordOrderAndFailsWithoutTheLibrary)
{
    CXTPDwmApi fake(nullptr, AsProc(&RecordMargins));
    EXPECT_EQ(S_OK, fake.ExtendFrameIntoClientAreaOf(nullptr, 1, 2, 3, 4));
    EXPECT_EQ(1, g_margins.cxLeftWidth);
    EXPECT_EQ(2, g_margins.cxRightWidth);
    EXPECT_EQ(3, g_margins.cyTopHeight);
    EXPECT_EQ(4, g_margins.cyBottomHeight);

    CXTPDwmApi missing(static_cast<HMODULE>(nullptr));
    LRESULT result = 7;
    EXPECT_EQ(E_FAIL, missing.ExtendFrameIntoClientAreaOf(nullptr, 0, 0, 30, 0));
    EXPECT_FALSE(missing.DefWindowProcOf(nullptr, WM_NCHITTEST, 0, 0, &result)) << "not handled";
    EXPECT_EQ(7, result);

    CXTPDwmApi throwing(nullptr, AsProc(&ThrowingExtend));
    EXPECT_EQ(E_FAIL, throwing.ExtendFrameIntoClientAreaOf(nullptr, 0, 0, 30, 0));

    // The prefix's dwmapi is there, with composition off: the call reaches it and answers.
    EXPECT_NE(E_FAIL, CallDwmExtendFrameIntoClientArea(GetDesktopWindow(), 0, 0, 30, 0));
}

} // namespace
