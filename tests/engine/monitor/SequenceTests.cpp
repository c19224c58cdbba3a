// The order of the monitoring steps, with steps that record what they were asked and what the
// stop event and COM looked like at that moment.

#include "engine/monitor/MonitorSequence.h"
#include "tests/engine/monitor/MonitorTestSupport.h"
#include "tests/support/RecordingOutput.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <functional>
#include <string>
#include <vector>

using namespace monitortest;

namespace {

bool StopSet()
{
    return WaitForSingleObject(StopEventHandle.Get(), 0) == WAIT_OBJECT_0;
}

// "mta" when the thread is in the multithreaded apartment, "none" when COM is not initialised.
std::string Apartment()
{
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (hr == RPC_E_CHANGED_MODE)
        return "mta";
    if (SUCCEEDED(hr))
        CoUninitialize();
    return hr == S_OK ? "none" : "sta";
}

class RecordingSteps : public IMonitorSteps {
public:
    DWORD CreateJournal() override { return Note("journal"); }
    DWORD TakeRegistrySnapshot() override
    {
        Note("snapshot");
        return snapshotResult;
    }
    DWORD RunInstaller(const CString& commandLine) override
    {
        return Note("run " + testsupport::Utf8(commandLine.View()));
    }
    void SetEndTime(ULONGLONG) override { Note("end time"); }
    DWORD CollectChangedFiles() override { return Note("files"); }
    DWORD CollectRegistryChanges() override
    {
        Note("registry");
        return registryResult;
    }
    DWORD CopyChangedFiles(const CString& folder) override
    {
        Note("copy " + testsupport::Utf8(folder.View()));
        return 5;
    }

    // Called after a step is noted, with the step's name.
    std::function<void(const std::string&)> after;
    DWORD snapshotResult = 0;
    DWORD registryResult = 0;
    std::vector<std::string> calls;

private:
    DWORD Note(const std::string& step)
    {
        calls.push_back(step + (StopSet() ? " [stop]" : "") + " [" + Apartment() + "]");
        if (after)
            after(step.substr(0, step.find(' ')));
        return 0;
    }
};

class PageTexts : public IMonitorPage {
public:
    void SetStatusText(const wchar_t* text) override { texts.push_back(testsupport::Utf8(text ? text : L"")); }
    void ReportCopyFailure(DWORD error) override { copyFailures.push_back(error); }
    std::vector<std::string> texts;
    std::vector<DWORD> copyFailures;
};

class Sequence : public MonitorTest {
protected:
    DWORD Run() { return RunMonitorSequence(steps, L"setup.exe /x", L"D:\\Project", &page); }

    RecordingSteps steps;
    PageTexts page;
};

} // namespace

TEST_F(Sequence, StepsRunInOrderAndAStopDuringTheRunOnlyEndsTheRun)
{
    steps.after = [](const std::string& step) {
        if (step == "run")
            SetEvent(StopEventHandle.Get()); // "Stop Monitoring" while the setup program runs
    };
    EXPECT_EQ(5u, Run()) << "the copy's result";
    const std::vector<std::string> expected = {
        "journal [mta]", "snapshot [mta]", "run setup.exe /x [mta]", "end time [mta]", "files [mta]",
        "registry [mta]", "copy D:\\Project [none]",
    };
    EXPECT_EQ(expected, steps.calls) << "the stop event is reset after the run; COM ends before the copy";
    const std::vector<std::string> texts = {testsupport::Utf8(kSnapshotText), testsupport::Utf8(kInstallingText),
                                            testsupport::Utf8(kCollectingText), testsupport::Utf8(kCopyingText)};
    EXPECT_EQ(texts, page.texts);
    EXPECT_EQ(std::vector<DWORD>{5}, page.copyFailures) << "the page hears of the failed copy";
}

TEST_F(Sequence, AStopBeforeTheRunOrBeforeTheCopyEndsTheSequence)
{
    const struct {
        const char* stopAfter;
        std::vector<std::string> calls;
        size_t texts;
    } cases[] = {
        {"snapshot", {"journal", "snapshot"}, 1},
        {"files", {"journal", "snapshot", "run", "end", "files", "registry"}, 3},
    };
    for (const auto& c : cases) {
        RecordingSteps recording;
        PageTexts texts;
        ResetEvent(StopEventHandle.Get());
        const std::string stopAfter = c.stopAfter;
        recording.after = [stopAfter](const std::string& step) {
            if (step == stopAfter)
                SetEvent(StopEventHandle.Get());
        };
        EXPECT_EQ(DWORD(ERROR_CANCELLED), RunMonitorSequence(recording, L"setup.exe", L"D:\\P", &texts)) << c.stopAfter;
        std::vector<std::string> names;
        for (const std::string& call : recording.calls)
            names.push_back(call.substr(0, call.find(' ')));
        EXPECT_EQ(c.calls, names) << "stop after " << c.stopAfter;
        EXPECT_EQ(c.texts, texts.texts.size()) << "stop after " << c.stopAfter;
        EXPECT_EQ("none", Apartment()) << "COM is uninitialised on every way out";
    }
}

TEST_F(Sequence, AStepThatThrowsEndsTheSequenceWithAnError)
{
    steps.after = [](const std::string& step) {
        if (step == "files")
            throw std::bad_alloc();
    };
    EXPECT_EQ(DWORD(ERROR_NOT_ENOUGH_MEMORY), Run());
    EXPECT_EQ("none", Apartment());
}

// A registry walk that fails is no complete run: the sequence says so on the output it was handed
// (never on the process-wide one) and ends with the walk's error.
TEST_F(Sequence, AFailedRegistryWalkIsReportedAndEndsTheRunWithItsError)
{
    const struct {
        const char* label;
        DWORD snapshotResult;
        DWORD registryResult;
        std::vector<std::string> calls;
        const wchar_t* line;
    } cases[] = {
        // Nothing installed yet: against a partial snapshot every key would look new.
        {"snapshot", ERROR_NOT_ENOUGH_MEMORY, 0, {"journal", "snapshot"}, kSnapshotFailedLine},
        // Installed already: the files are still copied, but the run reports the failure.
        {"difference", 0, ERROR_NOT_ENOUGH_MEMORY, {"journal", "snapshot", "run", "end", "files", "registry", "copy"},
         kRegistryChangesFailedLine},
        {"difference, hive missing", 0, ERROR_FILE_NOT_FOUND,
         {"journal", "snapshot", "run", "end", "files", "registry", "copy"}, kRegistryChangesFailedLine},
    };
    for (const auto& c : cases) {
        RecordingSteps recording;
        recording.snapshotResult = c.snapshotResult;
        recording.registryResult = c.registryResult;
        RecordingOutput output;
        RecordingOutput processWide;
        IOutputSink* previous = SetOutputSink(&processWide);
        const DWORD result = RunMonitorSequence(recording, L"setup.exe", L"D:\\P", nullptr, MonitorOptions{&output});
        SetOutputSink(previous);

        EXPECT_EQ(c.snapshotResult ? c.snapshotResult : c.registryResult, result)
            << c.label << ": the walk's error, not the copy's result";
        std::vector<std::string> names;
        for (const std::string& call : recording.calls)
            names.push_back(call.substr(0, call.find(' ')));
        EXPECT_EQ(c.calls, names) << c.label;
        CString expected;
        expected.Format(c.line, static_cast<int>(result));
        EXPECT_EQ(std::vector<std::string>{testsupport::Utf8(expected.View())}, output.lines) << c.label;
        EXPECT_TRUE(processWide.lines.empty()) << c.label;
    }
}

TEST_F(Sequence, AStopDuringTheSnapshotIsNoFailure)
{
    steps.snapshotResult = ERROR_CANCELLED;
    steps.after = [](const std::string& step) {
        if (step == "snapshot")
            SetEvent(StopEventHandle.Get());
    };
    RecordingOutput output;
    EXPECT_EQ(DWORD(ERROR_CANCELLED), RunMonitorSequence(steps, L"setup.exe", L"D:\\P", &page, MonitorOptions{&output}));
    EXPECT_TRUE(output.lines.empty()) << "a stop asked for by the user is no error to report";
}
