// Copying the captured files into the project's folder while the test setup program holds one of
// them locked: the error line, Retry copying only what is missing, Cancel removing the copies and
// pointing every record back at its source.

#include "engine/files/OutputSink.h"
#include "engine/monitor/InstallMonitor.h"
#include "tests/engine/monitor/MonitorTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace monitortest;
using testsupport::FileExists;
using testsupport::ScratchFolder;

namespace {

class LineSink : public IOutputSink {
public:
    void Clear() override { lines.clear(); }
    LRESULT AppendLine(const wchar_t* line) override
    {
        lines.push_back(testsupport::Utf8(line ? line : L""));
        return 0;
    }
    std::vector<std::string> lines;
};

class CopyFiles : public MonitorTest {
protected:
    void SetUp() override
    {
        MonitorTest::SetUp();
        // The monitor is handed its own sink: nothing may reach the process-wide one.
        previousSink = SetOutputSink(&stray);
        for (const wchar_t* name : {L"a.txt", L"b.txt", L"locked.txt", L"shortcut-target.txt"})
            ASSERT_TRUE(testsupport::WriteAllBytes(source / name, {'x', 'y'}));
        Add(CFileEntry::kindRoot, L"ProgramFilesFolder\\", L"");
        Add(CFileEntry::kindFile, L"ProgramFilesFolder\\App\\a.txt", source / L"a.txt");
        Add(CFileEntry::kindFile, L"ProgramFilesFolder\\App\\locked.txt", source / L"locked.txt");
        Add(CFileEntry::kindFile, L"ProgramFilesFolder\\App\\Sub\\b.txt", source / L"b.txt");
        Add(CFileEntry::kindFile, L"ProgramFilesFolder\\App\\empty.txt", L"");   // never copied
        Add(CFileEntry::kindShortcut, L"ProgramMenuFolder\\App.lnk", source / L"shortcut-target.txt");
        StartLocker();
    }
    void TearDown() override
    {
        EndLocker();
        SetOutputSink(previousSink);
        EXPECT_TRUE(stray.lines.empty()) << "a line went to the process-wide sink: " << stray.lines.front();
        MonitorTest::TearDown();
    }

    void Add(int kind, const wchar_t* path, const CString& sourcePath)
    {
        CFileEntry entry;
        entry.m_kind = kind;
        entry.m_path = path;
        entry.m_sourcePath = sourcePath;
        project.m_files.Add(entry);
    }

    // The test setup program holds locked.txt open without sharing until it ends.
    void StartLocker()
    {
        CString line;
        line.Format(L"\"%s\" /lock:\"%s\" /result:\"%s\"", SetupProgramPath().GetString(),
                    (source / L"locked.txt").GetString(), (scratch / L"result.txt").GetString());
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        ASSERT_TRUE(CreateProcessW(nullptr, line.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &info));
        locker.Reset(info.hProcess);
        CloseHandle(info.hThread);
        // The program takes the lock right after it writes its first result. Probing any earlier
        // could hold the file open at the moment it asks, and then it would get no lock at all.
        // Generous: under a loaded parallel run a program's start can take many seconds.
        const ULONGLONG limit = GetTickCount64() + 60000;
        while (ResultText().find("state=running") == std::string::npos) {
            ASSERT_LT(GetTickCount64(), limit) << "the setup program did not start";
            Sleep(50);
        }
        const CString locked = source / L"locked.txt";
        for (;;) {
            Sleep(100);
            HANDLE probe = CreateFileW(locked, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            const DWORD error = probe == INVALID_HANDLE_VALUE ? GetLastError() : 0;
            if (probe != INVALID_HANDLE_VALUE)
                CloseHandle(probe);
            if (error == ERROR_SHARING_VIOLATION)
                return;
            ASSERT_LT(GetTickCount64(), limit) << "the setup program did not lock the file: open gave " << error;
        }
    }
    std::string ResultText() const
    {
        std::vector<uint8_t> bytes;
        testsupport::ReadAllBytes(scratch / L"result.txt", bytes);
        return std::string(bytes.begin(), bytes.end());
    }
    void EndLocker()
    {
        if (locker) {
            TerminateProcess(locker.Get(), 0);
            WaitForSingleObject(locker.Get(), 5000);
            locker.Reset();
        }
    }

    CString Target(const wchar_t* path) const { return project_folder.Path() + L"\\" + path; }
    std::string Source(int record) const { return testsupport::Utf8(project.m_files[record].m_sourcePath.View()); }

    ScratchFolder scratch;
    ScratchFolder& source = scratch;
    ScratchFolder project_folder;
    LineSink sink;
    LineSink stray;
    IOutputSink* previousSink = nullptr;
    UniqueKernelHandle locker;
    CFeature project;
    CInstallMonitor monitor{project, MonitorOptions{&sink}};
};

} // namespace

TEST_F(CopyFiles, RetryCopiesOnlyWhatIsStillMissing)
{
    int questions = 0;
    monitor.SetRetryQuestion([&](const CString& text) {
        ++questions;
        EXPECT_EQ(testsupport::Utf8(CInstallMonitor::kRetryCopyText), testsupport::Utf8(text.View()));
        // The first pass copied everything but the locked file and reported that one.
        EXPECT_TRUE(FileExists(Target(L"ProgramFilesFolder\\App\\a.txt")));
        EXPECT_TRUE(FileExists(Target(L"ProgramFilesFolder\\App\\Sub\\b.txt")));
        EXPECT_FALSE(FileExists(Target(L"ProgramFilesFolder\\App\\locked.txt")));
        EXPECT_EQ("", Source(1));
        EXPECT_EQ(testsupport::Utf8((source / L"locked.txt").View()), Source(2));
        // The user closes the installed application, then retries; a copied file that changes
        // meanwhile must not be copied again.
        DeleteFileW(source / L"a.txt");
        EndLocker();
        return questions == 1 ? IDRETRY : IDCANCEL;
    });
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), monitor.CopyChangedFiles(project_folder.Path()))
        << "the last copy error of any pass";
    EXPECT_EQ(1, questions);
    const std::vector<std::string> expected = {"!Error Copying File: (32). " +
                                               testsupport::Utf8((source / L"locked.txt").View())};
    EXPECT_EQ(expected, sink.lines);
    EXPECT_TRUE(FileExists(Target(L"ProgramFilesFolder\\App\\locked.txt")));
    EXPECT_EQ("", Source(2));
    EXPECT_FALSE(FileExists(Target(L"ProgramFilesFolder\\App\\empty.txt")));
    EXPECT_FALSE(FileExists(Target(L"ProgramMenuFolder\\App.lnk"))) << "shortcut records are not copied";
    EXPECT_EQ(testsupport::Utf8((source / L"shortcut-target.txt").View()), Source(5));
}

TEST_F(CopyFiles, CancelDeletesTheCopiesAndKeepsEveryFileReachable)
{
    monitor.SetRetryQuestion([](const CString&) { return IDCANCEL; });
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), monitor.CopyChangedFiles(project_folder.Path()));
    EXPECT_FALSE(FileExists(Target(L"ProgramFilesFolder\\App\\a.txt")));
    EXPECT_FALSE(FileExists(Target(L"ProgramFilesFolder\\App\\Sub\\b.txt")));
    // The records point at their sources again, so the project still finds every file.
    EXPECT_EQ(testsupport::Utf8((source / L"a.txt").View()), Source(1));
    EXPECT_EQ(testsupport::Utf8((source / L"locked.txt").View()), Source(2));
    EXPECT_EQ(testsupport::Utf8((source / L"b.txt").View()), Source(3));
}

TEST_F(CopyFiles, TheStopEventEndsTheCopyWithoutAQuestion)
{
    monitor.SetRetryQuestion([](const CString&) {
        ADD_FAILURE() << "no question after a stop";
        return IDCANCEL;
    });
    SetEvent(StopEventHandle.Get());
    EXPECT_EQ(0u, monitor.CopyChangedFiles(project_folder.Path()));
    EXPECT_EQ(testsupport::Utf8((source / L"a.txt").View()), Source(1)) << "nothing copied";
}
