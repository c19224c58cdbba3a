#include "engine/replay/JobProcess.h"
#include "engine/replay/ScriptActions.h"
#include "tests/engine/replay/SetupProgramRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <string>
#include <vector>

using namespace replaytest;

namespace {

std::vector<DWORD> JobIds(HANDLE job)
{
    std::vector<DWORD> ids;
    EXPECT_EQ(0u, QueryJobProcessIds(job, ids));
    return ids;
}

// Wine may start its desktop process (explorer.exe) from the first program that shows a window,
// inside that program's job: count only the setup program's own processes.
size_t SetupProcessCount(HANDLE job)
{
    CScriptActions engine;
    if (engine.ListJobProcesses(job) != 0)
        return 0;
    size_t count = 0;
    for (DWORD id : JobIds(job)) {
        if (engine.ProcessName(id).Find(L"setupprog.exe") == 0)
            ++count;
    }
    return count;
}

// Waits until the job holds that many processes of the setup program (itself and its children);
// a failure says how many were listed last.
::testing::AssertionResult SetupProcessesReach(HANDLE job, size_t expected)
{
    size_t listed = 0;
    if (WaitFor([&] {
            listed = SetupProcessCount(job);
            return listed == expected;
        }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << expected << " setup program processes in the job, listed "
                                         << listed;
}

} // namespace

TEST(SetupCommand, ProgramAndArgumentsMakeCommandLineAndFolder)
{
    const struct {
        const wchar_t* program;
        const wchar_t* arguments;
        const wchar_t* commandLine;
        const wchar_t* folder;
    } cases[] = {
        // Arguments inside the program text stay when no arguments are given...
        {L"\"C:\\Program Files\\App\\unins000.exe\" /SILENT", L"", L"\"C:\\Program Files\\App\\unins000.exe\" /SILENT",
         L"C:\\Program Files\\App\\"},
        // ...and are replaced by given ones; a path with a space is quoted again.
        {L"\"C:\\Program Files\\App\\unins000.exe\" /SILENT", L" /VERYSILENT ",
         L"\"C:\\Program Files\\App\\unins000.exe\" /VERYSILENT", L"C:\\Program Files\\App\\"},
        {L"  C:\\Setup\\SETUP.EXE  ", L"/q", L"C:\\Setup\\SETUP.EXE /q", L"C:\\Setup\\"},
        {L"setup.exe", L"", L"setup.exe", L""},
        // Cut at the first ".exe", whatever follows.
        {L"C:\\a.exe.dir\\setup.exe", L"/x", L"C:\\a.exe /x", L"C:\\"},
    };
    for (const auto& c : cases) {
        const SetupCommand command = MakeSetupCommand(c.program, c.arguments);
        EXPECT_EQ(testsupport::Utf8(c.commandLine), testsupport::Utf8(command.commandLine.View()))
            << testsupport::Utf8(c.program);
        EXPECT_EQ(testsupport::Utf8(c.folder), testsupport::Utf8(command.workingFolder.View()))
            << testsupport::Utf8(c.program);
    }
}

TEST(SetupProgramStart, RunsInTheFolderWithTheArgumentsInsideTheScriptJob)
{
    SetupProgramRun run(L"/silent /exitcode:7");
    ASSERT_TRUE(run.WaitForExit());
    EXPECT_EQ(7u, run.ExitCode());
    Result result = run.ReadResult();
    EXPECT_EQ(testsupport::Utf8(testsupport::ModuleFolder().View()), result["workingfolder"]);
    EXPECT_NE(std::string::npos, result["commandline"].find("/silent /exitcode:7")) << result["commandline"];
    EXPECT_EQ("Default", result["desktop"]);
}

TEST(SetupProgramStart, ChildrenStartedAtOnceStayInTheJob)
{
    // The program starts its children before anything else: created running, it could do so
    // before being put in the job.
    SetupProgramRun run(L"/children:3");
    UniqueKernelHandle job = DuplicateScriptJob();
    ASSERT_TRUE(job);
    EXPECT_TRUE(SetupProcessesReach(job.Get(), 4)) << "the program and its 3 children";
}

TEST(SetupProgramStart, MissingProgramKeepsThePreviousJob)
{
    SetupProgramRun run;
    ASSERT_NE(nullptr, run.WaitForMainWindow());
    testsupport::ScratchFolder scratch;
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), StartSetupProgram(scratch / L"missing.exe", L"/x"));
    UniqueKernelHandle job = DuplicateScriptJob();
    ASSERT_TRUE(job);
    EXPECT_EQ(1u, SetupProcessCount(job.Get())) << "the running program's job was replaced";
}

TEST(SetupProgramStart, SecondRunGetsAJobOfItsOwn)
{
    // The first run's job still exists (its program runs) under the shared job name: the second
    // program must not join it, or the replay would see both programs' windows.
    SetupProgramRun first;
    ASSERT_NE(nullptr, first.WaitForMainWindow());
    SetupProgramRun second(L"/hang");
    UniqueKernelHandle job = DuplicateScriptJob();
    ASSERT_TRUE(job);
    EXPECT_EQ(1u, SetupProcessCount(job.Get())) << "the second run's job also holds the first run's program";
}

TEST(JobProcessList, ListsMoreProcessesThanTheFirstQueryHolds)
{
    // Twenty children and the program: more than the first query's room.
    SetupProgramRun run(L"/children:20");
    UniqueKernelHandle job = DuplicateScriptJob();
    ASSERT_TRUE(job);
    ASSERT_TRUE(SetupProcessesReach(job.Get(), 21));
    std::vector<DWORD> ids = JobIds(job.Get());
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids.end(), std::unique(ids.begin(), ids.end())) << "an id was listed twice";

    CScriptActions engine;
    ASSERT_EQ(0u, engine.ListJobProcesses());
    EXPECT_EQ(static_cast<int>(ids.size()), engine.ProcessCount());
}

TEST(JobProcessList, SameNamedProcessesAreNumbered)
{
    SetupProgramRun run(L"/children:2");
    UniqueKernelHandle job = DuplicateScriptJob();
    ASSERT_TRUE(SetupProcessesReach(job.Get(), 3));
    CScriptActions engine;
    ASSERT_EQ(0u, engine.ListJobProcesses());
    std::vector<std::string> names;
    for (DWORD id : JobIds(job.Get())) {
        if (engine.ProcessName(id).Find(L"setupprog") == 0)
            names.push_back(testsupport::Utf8(engine.ProcessName(id).View()));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"setupprog.exe", "setupprog.exe(1)", "setupprog.exe(2)"}), names);
    EXPECT_EQ("", testsupport::Utf8(engine.ProcessName(GetCurrentProcessId()).View()))
        << "a process outside the job was named";
}

// Which of two same-named processes keeps the plain name follows the map's walking order: buckets
// by id / 16 modulo 17, and in one bucket the later listed first. A script recorded against
// "setup.exe(1)" depends on it. Each row lists the job's processes in order and the names given.
TEST(JobProcessList, SameNamedProcessesAreNumberedInTheMapsOrder)
{
    struct Process {
        DWORD id;
        const wchar_t* exeName;
        const char* listedName;
    };
    const struct {
        const char* what;
        std::vector<Process> processes;
    } cases[] = {
        // Bucket 1 before bucket 2; an id modulo 17 would put 36 (2) before 20 (3).
        {"ids in two buckets", {{20, L"Setup.exe", "setup.exe"}, {36, L"setup.EXE", "setup.exe(1)"}}},
        // Both in bucket 0: the later listed is walked first.
        {"ids in one bucket", {{4, L"setup.exe", "setup.exe(1)"}, {8, L"setup.exe", "setup.exe"}}},
        {"one bucket, listed the other way", {{8, L"setup.exe", "setup.exe(1)"}, {4, L"setup.exe", "setup.exe"}}},
        // 272 wraps round to bucket 0 with 4, ahead of 40 in bucket 2.
        {"three holders", {{272, L"a.exe", "a.exe(1)"}, {4, L"a.exe", "a.exe"}, {40, L"a.exe", "a.exe(2)"}}},
        {"three in one bucket", {{1200, L"b.exe", "b.exe(2)"}, {1204, L"b.exe", "b.exe(1)"}, {1208, L"b.exe", "b.exe"}}},
        {"temporary names and another name",
         {{100, L"is-A1B2C.tmp", "*.tmp(1)"}, {52, L"IS-XYZ.TMP", "*.tmp"}, {68, L"setup.exe", "setup.exe"}}},
        {"highest id", {{0xFFFFFFFC, L"c.exe", "c.exe(1)"}, {12, L"c.exe", "c.exe"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::pair<DWORD, CString>> listed;
        for (const Process& process : c.processes)
            listed.emplace_back(process.id, process.exeName);
        CScriptActions engine;
        engine.SetProcessNames(listed);
        EXPECT_EQ(static_cast<int>(c.processes.size()), engine.ProcessCount());
        for (const Process& process : c.processes)
            EXPECT_EQ(process.listedName, testsupport::Utf8(engine.ProcessName(process.id).View())) << process.id;
    }
}

TEST(JobProcessList, TemporaryFileNamesBecomeOneName)
{
    EXPECT_EQ("*.tmp", testsupport::Utf8(CScriptActions::NormalizeProcessName(L"is-ABC12.tmp").View()));
    EXPECT_EQ("setup.exe", testsupport::Utf8(CScriptActions::NormalizeProcessName(L"Setup.EXE").View()));

    // A real process started from a .tmp file, as setup makers do.
    testsupport::ScratchFolder scratch;
    const CString copy = scratch / L"is-QW3RT.tmp";
    ASSERT_TRUE(CopyFileW(SetupProgramPath(), copy, FALSE));
    ASSERT_EQ(0u, StartSetupProgram(copy, L"/hang"));
    UniqueKernelHandle job = DuplicateScriptJob();
    CScriptActions engine;
    ASSERT_EQ(0u, engine.ListJobProcesses());
    const std::vector<DWORD> ids = JobIds(job.Get());
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ("*.tmp", testsupport::Utf8(engine.ProcessName(ids[0]).View()));
    TerminateJobObject(job.Get(), 1);
    CloseScriptJob();
}

TEST(JobProcessList, NoScriptJobListsNothing)
{
    CloseScriptJob();
    CScriptActions engine;
    EXPECT_NE(0u, engine.ListJobProcesses());
    EXPECT_EQ(0, engine.ProcessCount());
}
