#include "engine/files/OutputSink.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

class RecordingSink : public IOutputSink {
public:
    void Clear() override { lines.push_back(L"<clear>"); }
    LRESULT AppendLine(const wchar_t* line) override
    {
        lines.push_back(line);
        return 5;
    }
    std::vector<std::wstring> lines;
};

TEST(OutputSink, AnInstalledSinkReceivesEverything)
{
    RecordingSink sink;
    IOutputSink* previous = SetOutputSink(&sink);
    ClearOutput();
    EXPECT_EQ(5, AppendOutputLine(L"> Validating data.."));
    EXPECT_EQ(&sink, SetOutputSink(previous));
    AppendOutputLine(L"> after the sink was removed");
    EXPECT_EQ((std::vector<std::wstring>{L"<clear>", L"> Validating data.."}), sink.lines);
}

// A window standing in for the main frame: it records the two output messages.
struct OutputWindow {
    static std::vector<std::wstring>& Lines()
    {
        static std::vector<std::wstring> lines;
        return lines;
    }

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_OUTPUT_CLEAR) {
            Lines().push_back(L"<clear>");
            return 0;
        }
        if (message == WM_OUTPUT_APPEND) {
            if (lParam == 0)
                Lines().push_back(reinterpret_cast<const wchar_t*>(wParam));
            return 0x402;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    OutputWindow()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TarnwickOutputSinkTest";
        RegisterClassW(&windowClass);
        handle = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, nullptr);
        Lines().clear();
    }
    ~OutputWindow() { DestroyWindow(handle); }

    HWND handle = nullptr;
};

TEST(OutputSink, TheDefaultSinkSendsTheTwoMessagesToTheOutputWindow)
{
    OutputWindow window;
    ASSERT_NE(nullptr, window.handle);
    SetOutputWindow(nullptr);
    EXPECT_EQ(0, AppendOutputLine(L"> nowhere")) << "no window, no line";

    SetOutputWindow(window.handle);
    // A worker reports as the builder does, while this thread pumps as the user interface does.
    bool done = false;
    std::thread worker([&done] {
        ClearOutput();
        std::wstring line = L"> Creating features..";
        const LRESULT answer = AppendOutputLine(line.c_str());
        line.assign(line.size(), L'x'); // the window must have copied the line already
        AppendOutputLine(answer == 0x402 ? L"> answer passed on" : L"> answer lost");
        done = true;
        PostThreadMessageW(0, 0, 0, 0);
    });
    const DWORD start = GetTickCount();
    while (!done && GetTickCount() - start < 10000) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    worker.join();
    SetOutputWindow(nullptr);
    EXPECT_TRUE(done) << "the worker did not finish within 10 s";
    EXPECT_EQ((std::vector<std::wstring>{L"<clear>", L"> Creating features..", L"> answer passed on"}),
              OutputWindow::Lines());
}

} // namespace
