// The output list as the main window answers worker threads: lines sent from another thread
// arrive in order, the last is selected, lParam 1 only shows the pane, WM_USER+1 clears.

#include "app/OutputList.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace testsupport;

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Output Tests") {}
};

// Stands for the main window: it answers the two output messages for its list.
class CHost : public CWnd {
public:
    COutputList list;
    int paneShown = 0;

    BOOL CreateHost()
    {
        return CreateEx(0, AfxRegisterWndClass(0), L"output host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 500, 300,
                        nullptr, nullptr);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP_CLEAR_OUTPUT || message == WM_APP_APPEND_OUTPUT)
            return HandleOutputMessage(list, message, wParam, lParam, [this] {
                ++paneShown;
                if (!list.m_hWnd && list.CreateList(this)) // the pane makes its window when first shown
                    list.MoveWindow(0, 0, 480, 250);
            });
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

} // namespace

TEST(OutputList, LinesSentFromAWorkerArriveInOrderAndTheLastIsSelected)
{
    CTestApp app;
    ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
    CHost host;
    ASSERT_TRUE(host.CreateHost());
    app.m_pMainWnd = &host;

    // clearing before the list exists does nothing
    EXPECT_EQ(host.SendMessage(WM_APP_CLEAR_OUTPUT), 0);
    EXPECT_EQ(host.list.m_hWnd, nullptr);

    constexpr int kLines = 150;
    std::atomic<bool> done{false};
    const HWND target = host.m_hWnd;
    std::thread worker([&] {
        ::SendMessageW(target, WM_APP_CLEAR_OUTPUT, 0, 0);
        for (int i = 0; i < kLines; ++i) {
            // the text lives only for the send: the list must keep its own copy
            std::wstring line = (i % 10 == 9 ? L"> !line " : L"> line ") + std::to_wstring(i);
            ::SendMessageW(target, WM_APP_APPEND_OUTPUT, reinterpret_cast<WPARAM>(line.c_str()), 0);
            line.assign(line.size(), L'x');
        }
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();

    ASSERT_NE(host.list.m_hWnd, nullptr);
    const std::vector<std::wstring> lines = ReadListBoxItems(host.list.m_hWnd);
    ASSERT_EQ(lines.size(), static_cast<size_t>(kLines));
    for (int i = 0; i < kLines; ++i)
        EXPECT_EQ(lines[i], (i % 10 == 9 ? L"> !line " : L"> line ") + std::to_wstring(i));
    EXPECT_EQ(host.list.GetCurSel(), kLines - 1);
    EXPECT_EQ(host.paneShown, kLines);

    // lParam 1 only shows the pane
    host.SendMessage(WM_APP_APPEND_OUTPUT, reinterpret_cast<WPARAM>(L"not added"), 1);
    EXPECT_EQ(host.paneShown, kLines + 1);
    EXPECT_EQ(host.list.GetCount(), kLines);

    host.SendMessage(WM_APP_CLEAR_OUTPUT);
    EXPECT_EQ(host.list.GetCount(), 0);

    app.m_pMainWnd = nullptr;
    host.DestroyWindow();
    AfxDeleteTempMaps();
}
