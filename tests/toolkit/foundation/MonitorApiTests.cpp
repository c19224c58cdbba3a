// Monitor rectangles: the bound set, the all-or-nothing binding, and the primary-screen answers
// of a system without multi-monitor functions.

#include "toolkit/foundation/XTPMonitorApi.h"

#include "framework/window/Wnd.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

std::string Text(const RECT& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

TEST(MonitorApi, BindsAllFiveEntriesOrNone)
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const char* const names[] = {"GetSystemMetrics", "MonitorFromWindow", "MonitorFromRect",
                                 "MonitorFromPoint", "GetMonitorInfoW"};
    XTP_MONITOR_ENTRIES all;
    EXPECT_TRUE(BindMonitorEntries(all, true, [&](const char* name) { return GetProcAddress(user32, name); }));
    EXPECT_TRUE(all.IsComplete());

    for (const char* missing : names) {
        XTP_MONITOR_ENTRIES some;
        EXPECT_FALSE(BindMonitorEntries(some, true, [&](const char* name) {
            return std::string(name) == missing ? nullptr : GetProcAddress(user32, name);
        })) << missing;
        EXPECT_EQ(nullptr, some.getSystemMetrics) << missing;
        EXPECT_EQ(nullptr, some.monitorFromWindow) << missing;
        EXPECT_EQ(nullptr, some.monitorFromRect) << missing;
        EXPECT_EQ(nullptr, some.monitorFromPoint) << missing;
        EXPECT_EQ(nullptr, some.getMonitorInfo) << missing;
    }

    std::set<std::string> asked;
    XTP_MONITOR_ENTRIES narrow;
    BindMonitorEntries(narrow, false, [&](const char* name) {
        asked.insert(name);
        return GetProcAddress(user32, name);
    });
    EXPECT_TRUE(asked.count("GetMonitorInfoA")) << "systems before NT 4 get the ANSI entry";
    EXPECT_FALSE(asked.count("GetMonitorInfoW"));

    EXPECT_TRUE(GetMonitorApi().GetEntries().IsComplete()) << "user32 of the prefix has all five";
}

TEST(MonitorApi, QueriesOfTheOneScreen)
{
    // Xvfb gives one monitor: every query lands on it.
    const CXTPMonitorApi& api = GetMonitorApi();
    const RECT screen = GetPrimaryScreenRect();
    const RECT work = GetPrimaryWorkArea();
    const POINT origin{10, 10};
    const RECT inside{20, 20, 200, 100};
    EXPECT_TRUE(SameRect(screen, api.GetMonitorRectAtPoint(origin))) << Text(api.GetMonitorRectAtPoint(origin));
    EXPECT_TRUE(SameRect(work, api.GetWorkAreaAtPoint(origin)));
    EXPECT_TRUE(SameRect(screen, api.GetMonitorRectOfRect(inside)));
    EXPECT_TRUE(SameRect(work, api.GetWorkAreaOfRect(inside)));
    EXPECT_TRUE(SameRect(work, api.GetWorkAreaAtCursor()));
    EXPECT_TRUE(SameRect(work, api.GetWorkAreaOfHwnd(GetDesktopWindow())));
    EXPECT_TRUE(SameRect(work, api.GetWorkAreaOfWnd(CWnd::FromHandle(GetDesktopWindow()))));
    const CWnd unmade;
    EXPECT_TRUE(SameRect(work, api.GetWorkAreaOfWnd(&unmade))) << "a window object without a window";
    EXPECT_TRUE(SameRect(work, api.GetWorkAreaOfWnd(nullptr)));

    MONITORINFO info{};
    EXPECT_FALSE(api.GetMonitorInfo(nullptr, &info)) << "no monitor, no record";
    const HMONITOR primary = MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
    EXPECT_TRUE(api.GetMonitorInfo(primary, &info));
    EXPECT_EQ(sizeof(MONITORINFO), info.cbSize);
}

TEST(MonitorApi, WithoutMonitorFunctionsEveryQueryAnswersForThePrimaryScreen)
{
    XTP_MONITOR_ENTRIES partial;
    partial.getSystemMetrics = &GetSystemMetrics;   // one of five: not a usable set
    const CXTPMonitorApi api(partial);
    EXPECT_FALSE(api.GetEntries().IsComplete());
    EXPECT_EQ(nullptr, api.GetEntries().getSystemMetrics);

    const RECT screen = GetPrimaryScreenRect();
    RECT spiWork{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &spiWork, 0));
    // A point far off every screen still gets the primary screen's rectangles.
    const POINT offScreen{-5000, -5000};
    EXPECT_TRUE(SameRect(spiWork, api.GetWorkAreaAtCursor())) << Text(api.GetWorkAreaAtCursor());
    EXPECT_TRUE(SameRect(spiWork, api.GetWorkAreaAtPoint(offScreen)));
    EXPECT_TRUE(SameRect(spiWork, api.GetWorkAreaOfRect(RECT{0, 0, 10, 10})));
    EXPECT_TRUE(SameRect(spiWork, api.GetWorkAreaOfHwnd(nullptr)));
    EXPECT_TRUE(SameRect(screen, api.GetMonitorRectAtPoint(offScreen)));
    EXPECT_TRUE(SameRect(screen, api.GetMonitorRectOfRect(RECT{0, 0, 10, 10})));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen.right);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), screen.bottom);
    MONITORINFO info{};
    EXPECT_FALSE(api.GetMonitorInfo(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info));

    // With the real set, a point off every screen has no monitor (MONITOR_DEFAULTTONULL) and
    // falls back the same way.
    EXPECT_TRUE(SameRect(spiWork, GetMonitorApi().GetWorkAreaAtPoint(offScreen)));
}

} // namespace
