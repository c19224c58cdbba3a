// The run of the setup program inside a job: the wait follows the program and the processes it
// starts, and the stop event ends it within a poll. The test setup program is copied into a scratch
// folder first, so that the processes of this test (the hanging children among them) can be found
// and ended by their image path without touching other tests' copies.
//
// CTest runs these beside other test programs on a loaded machine, so no test bounds how long a
// wait may take: each waits, with wide limits, for what shows that the right thing ended the run
// (the stop event while the program still runs, the last process's end), and time is only used
// as a lower bound (the settling wait).

#include "engine/monitor/InstallMonitor.h"
#include "tests/engine/monitor/MonitorTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace monitortest;
using testsupport::WaitFor;
using testsupport::ScratchFolder;

namespace {

// How long a run may take to notice what ends it before the test calls it hung: far beyond the
// one-second poll and the settling wait, for a loaded machine.
constexpr DWORD kEndLimitMs = 60000;

// The number of processes whose image lies in the folder.
int ProcessesIn(const CString& folder)
{
    const CString prefix = folder + L"\\";
    int count = 0;
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t image[MAX_PATH * 2] = {};
        DWORD length = MAX_PATH * 2;
        if (process && QueryFullProcessImageNameW(process.Get(), 0, image, &length) &&
            CString(image, static_cast<int>(length)).Left(prefix.GetLength()).CompareNoCase(prefix) == 0)
            ++count;
    }
    return count;
}

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
    ULONGLONG Join(DWORD timeoutMs = kEndLimitMs)
    {
        if (!WaitFor([this] { return done.load(); }, timeoutMs)) {
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
    const ULONGLONG elapsed = Join();
    EXPECT_EQ(0u, result.load());
    EXPECT_GE(elapsed, 3400u) << "files written at the very end get time to settle";
    EXPECT_GE(monitor.StartTime() + 10000, before) << "the start time is taken when the program starts";
    std::vector<uint8_t> text;
    ASSERT_TRUE(testsupport::ReadAllBytes(scratch / L"result.txt", text));
    EXPECT_NE(std::string::npos, std::string(text.begin(), text.end()).find("state=ended"));
}

TEST_F(SetupRun, TheWaitGoesOnWhileAChildProcessRuns)
{
    Start([this] { return monitor.RunInstaller(CommandLine(L"/silent /children:1")); });
    // The setup program has ended once only its child is left...
    ASSERT_TRUE(WaitFor(
        [this] {
            std::vector<uint8_t> text;
            return testsupport::ReadAllBytes(scratch / L"result.txt", text) &&
                   std::string(text.begin(), text.end()).find("state=ended") != std::string::npos &&
                   ProcessesIn(scratch.Path()) == 1;
        },
        kEndLimitMs))
        << "the setup program did not end leaving its child";
    // ...and the run outlasts a poll and the settling wait after that (ending early is the fault).
    EXPECT_FALSE(WaitFor([this] { return done.load(); }, 6000)) << "the run ended while the child still runs";
    EXPECT_EQ(1, EndProcessesIn(scratch.Path())) << "the hanging child";
    Join();
    EXPECT_EQ(0u, result.load());
}

TEST_F(SetupRun, TheStopEventEndsTheWaitWhileTheProgramRuns)
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
        ASSERT_TRUE(WaitFor([this] { return ProcessesIn(scratch.Path()) == 1; }, kEndLimitMs))
            << c.label << ": the program did not start";
        EXPECT_FALSE(done) << c.label << ": the program hangs";
        SetEvent(StopEventHandle.Get());
        Join();
        EXPECT_EQ(0u, result.load()) << c.label;
        // The program still runs: the stop event, not its end, ended the wait.
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
    // The first query fails, so the wait follows the process, which hangs: the run must not end
    // by a settling wait of its own.
    EXPECT_FALSE(WaitFor([this] { return done.load(); }, 5000)) << "the wait did not follow the process";
    SetEvent(StopEventHandle.Get());
    Join();
    EXPECT_EQ(DWORD(WAIT_TIMEOUT), WaitForSingleObject(process.Get(), 0)) << "the stop event, not the process, ended it";

    // And the process's end ends that wait just the same.
    done = false;
    ResetEvent(StopEventHandle.Get());
    Start([&] {
        WaitForSetupToEnd(notAJob.Get(), process.Get(), StopEventHandle.Get());
        return DWORD(0);
    });
    TerminateProcess(process.Get(), 0);
    Join();
    EXPECT_FALSE(IsStopRequested());
}

TEST_F(SetupRun, AProgramThatCannotStartReturnsTheError)
{
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), monitor.RunInstaller(L"\"" + (scratch / L"missing.exe") + L"\""));
    EXPECT_NE(0u, monitor.StartTime());
}
