// The run of the setup program inside a job: the wait follows the program and the processes it
// starts, and the stop event ends it within a poll. The test setup program is copied into a scratch
// folder first, so that the processes of this test (the hanging children among them) can be found
// and ended by their image path without touching other tests' copies.

#include "engine/monitor/InstallMonitor.h"
#include "tests/engine/monitor/MonitorTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace monitortest;
using testsupport::ScratchFolder;

namespace {

class SetupRun : public MonitorTest {
protected:
    void SetUp() override
    {
        MonitorTest::SetUp();
        ASSERT_TRUE(CopyFileW(SetupProgramPath(), program, FALSE)) << testsupport::Utf8(SetupProgramPath().View());
    }
    void TearDown() override
    {
        EndProcessesIn(scratch.Path());
        MonitorTest::TearDown();
    }

    CString CommandLine(const wchar_t* switches) const
    {
        CString line;
        line.Format(L"\"%s\" %s /result:\"%s\"", program.GetString(), switches, (scratch / L"result.txt").GetString());
        return line;
    }

    // Runs the call on a thread; the test watches it and the clock.
    template <class Call>
    void Start(Call call)
    {
        started = GetTickCount64();
        runner = std::thread([this, call] {
            result = call();
            finished = GetTickCount64();
            done = true;
        });
    }
    // Milliseconds from the start until the call returned; fails the test when it did not return
    // within timeoutMs.
    ULONGLONG Join(DWORD timeoutMs)
    {
        const ULONGLONG limit = GetTickCount64() + timeoutMs;
        while (!done && GetTickCount64() < limit)
            Sleep(20);
        if (!done) {
            ADD_FAILURE() << "the wait did not end within " << timeoutMs << " ms";
            SetEvent(StopEventHandle.Get());
            EndProcessesIn(scratch.Path());
        }
        runner.join();
        return finished - started;
    }

    ScratchFolder scratch;
    CString program = scratch / L"setupcopy.exe";
    CFeature project;
    CInstallMonitor monitor{project};
    std::thread runner;
    std::atomic<bool> done{false};
    std::atomic<DWORD> result{~0u};
    ULONGLONG started = 0;
    ULONGLONG finished = 0;
};

} // namespace

TEST_F(SetupRun, ANormalExitEndsTheRunAfterTheSettlingWait)
{
    const ULONGLONG before = CurrentFileTime();
    Start([this] { return monitor.RunInstaller(CommandLine(L"/silent")); });
    const ULONGLONG elapsed = Join(15000);
    EXPECT_EQ(0u, result.load());
    EXPECT_GE(elapsed, 3400u) << "files written at the very end get time to settle";
    EXPECT_LT(elapsed, 9000u);
    EXPECT_GE(monitor.StartTime() + 10000, before) << "the start time is taken when the program starts";
    std::vector<uint8_t> text;
    ASSERT_TRUE(testsupport::ReadAllBytes(scratch / L"result.txt", text));
    EXPECT_NE(std::string::npos, std::string(text.begin(), text.end()).find("state=ended"));
}

TEST_F(SetupRun, TheWaitGoesOnWhileAChildProcessRuns)
{
    Start([this] { return monitor.RunInstaller(CommandLine(L"/silent /children:1")); });
    Sleep(5000);
    EXPECT_FALSE(done) << "the setup program has ended but its child still runs";
    EXPECT_EQ(1, EndProcessesIn(scratch.Path())) << "the hanging child";
    const ULONGLONG ended = GetTickCount64();
    Join(10000);
    EXPECT_EQ(0u, result.load());
    EXPECT_LT(finished - ended, 6000u) << "one poll and the settling wait after the child ended";
}

TEST_F(SetupRun, TheStopEventEndsTheWaitWithinAPoll)
{
    const struct {
        const char* label;
        std::function<DWORD(const CString&)> run;
    } cases[] = {
        {"in a job", [this](const CString& line) { return monitor.RunInstaller(line); }},
        // No job can be made under this name, so the program runs alone and the wait follows it.
        {"without a job", [](const CString& line) { return StartProcessInJob(line, L"no\\such\\namespace\\job"); }},
    };
    for (const auto& c : cases) {
        done = false;
        ResetEvent(StopEventHandle.Get());
        const CString line = CommandLine(L"/hang");
        Start([&c, line] { return c.run(line); });
        Sleep(1500);
        EXPECT_FALSE(done) << c.label << ": the program hangs";
        const ULONGLONG set = GetTickCount64();
        SetEvent(StopEventHandle.Get());
        Join(10000);
        EXPECT_EQ(0u, result.load()) << c.label;
        EXPECT_LT(finished - set, 1500u) << c.label;
        EXPECT_EQ(1, EndProcessesIn(scratch.Path())) << c.label << ": the run leaves the program running";
    }
}

TEST_F(SetupRun, AJobThatCannotBeListedStillHonoursTheStopEvent)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    CString line = CommandLine(L"/hang");
    ASSERT_TRUE(CreateProcessW(nullptr, line.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    UniqueKernelHandle notAJob(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Start([&] {
        WaitForSetupToEnd(notAJob.Get(), process.Get(), StopEventHandle.Get());
        return DWORD(0);
    });
    Sleep(1500);
    EXPECT_FALSE(done) << "the first query fails, so the wait follows the process";
    SetEvent(StopEventHandle.Get());
    EXPECT_LT(Join(10000), 3000u);

    // And the process's end ends that wait just the same.
    done = false;
    ResetEvent(StopEventHandle.Get());
    Start([&] {
        WaitForSetupToEnd(notAJob.Get(), process.Get(), StopEventHandle.Get());
        return DWORD(0);
    });
    TerminateProcess(process.Get(), 0);
    EXPECT_LT(Join(10000), 2000u);
}

TEST_F(SetupRun, AProgramThatCannotStartReturnsTheError)
{
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), monitor.RunInstaller(L"\"" + (scratch / L"missing.exe") + L"\""));
    EXPECT_NE(0u, monitor.StartTime());
}
