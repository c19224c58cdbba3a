// The sample single-document program run as its own process and driven with real input: its menu
// and accelerators, its title after start-up, and its exit code.

#include "sdisample/SdiSampleResource.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testsupport::PressKeys;
using testsupport::WindowText;
using testsupport::WaitFor;

CString SamplePath()
{
    return testsupport::ModuleFolder() + L"\\framework_sdi_sample.exe";
}

struct FindContext {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM parameter)
{
    auto* context = reinterpret_cast<FindContext*>(parameter);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == context->processId && ::IsWindowVisible(window) && ::GetMenu(window)) {
        context->found = window;
        return FALSE;
    }
    return TRUE;
}

class SampleProcess {
public:
    explicit SampleProcess(const wchar_t* arguments)
    {
        std::wstring commandLine = L"\"" + std::wstring(SamplePath()) + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &info) != FALSE;
    }
    ~SampleProcess()
    {
        if (started) {
            if (::WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
                ::TerminateProcess(info.hProcess, 1);
            ::CloseHandle(info.hThread);
            ::CloseHandle(info.hProcess);
        }
    }
    HWND MainWindow()
    {
        FindContext context{info.dwProcessId, nullptr};
        WaitFor([&] {
            ::EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&context));
            return context.found != nullptr || ::WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0;
        });
        return context.found;
    }
    // The exit code once the process ended; false after the time-out.
    bool ExitCode(DWORD& code, DWORD timeoutMs = 60000)
    {
        if (::WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return false;
        return ::GetExitCodeProcess(info.hProcess, &code) != FALSE;
    }

    bool started = false;
    PROCESS_INFORMATION info{};
};

TEST(SdiSampleTest, MenuAndAcceleratorsAnswerInputTitleStaysAndCloseEndsWithTheFullCode)
{
    SampleProcess sample(L"");
    ASSERT_TRUE(sample.started);
    HWND frame = sample.MainWindow();
    ASSERT_NE(frame, nullptr);
    HWND status = ::GetDlgItem(frame, 0xE801);
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(WaitFor([&] { return WindowText(status) == L"Ready"; }, 20000)) << "the idle text never showed";

    auto countIs = [&](int n) {
        const std::wstring expected = L"Count " + std::to_wstring(n);
        return WaitFor([&] { return WindowText(status) == expected; }, 20000);
    };
    auto foreground = [&] {
        return WaitFor(
            [&] {
                ::SetForegroundWindow(frame);
                return ::GetForegroundWindow() == frame;
            },
            20000);
    };
    // The accelerator, twice.
    ASSERT_TRUE(foreground());
    PressKeys({VK_CONTROL, 'K'});
    ASSERT_TRUE(countIs(1));
    PressKeys({VK_CONTROL, 'K'});
    ASSERT_TRUE(countIs(2));
    // The menu, opened and chosen from the keyboard.
    ASSERT_TRUE(foreground());
    PressKeys({VK_MENU, 'F'});
    PressKeys({'C'});
    ASSERT_TRUE(countIs(3));
    // After all that idle time the program's own title is still there.
    EXPECT_EQ(WindowText(frame), L"Sample Product 4.5.6");

    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    DWORD code = 0;
    ASSERT_TRUE(sample.ExitCode(code));
    EXPECT_EQ(code, static_cast<DWORD>(SAMPLE_EXIT_BASE + 3));
}

TEST(SdiSampleTest, ShellSwitchesThatNothingServesEndTheStartWithoutAWindow)
{
    const wchar_t* switches[] = {L"/p sample.txt", L"/pt sample.txt printer driver port", L"/dde", L"/Automation",
                                 L"/Embedding", L"/Unregserver"};
    for (const wchar_t* arguments : switches) {
        SampleProcess sample(arguments);
        ASSERT_TRUE(sample.started);
        DWORD code = 0;
        ASSERT_TRUE(sample.ExitCode(code)) << testsupport::Utf8(arguments);
        EXPECT_EQ(code, static_cast<DWORD>(SAMPLE_EXIT_NO_START)) << testsupport::Utf8(arguments);
    }
}

} // namespace
