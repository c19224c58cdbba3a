// The program folder, the default data file beside the program, and start-up's data-file load
// with its fallback to the default.

#include "app/AppPaths.h"

#include "engine/storage/Projects.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace testsupport;

namespace {

std::vector<uint8_t> Bytes(const wchar_t* path)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadAllBytes(path, bytes)) << Utf8(path);
    return bytes;
}

// Runs the body with another current folder, as a program started by bare name from elsewhere.
class CurrentFolder {
public:
    explicit CurrentFolder(const wchar_t* folder)
    {
        ::GetCurrentDirectoryW(MAX_PATH, m_saved);
        ::SetCurrentDirectoryW(folder);
    }
    ~CurrentFolder() { ::SetCurrentDirectoryW(m_saved); }

private:
    wchar_t m_saved[MAX_PATH] = {};
};

} // namespace

TEST(ProgramFolder, IsTheModulesFolderWhateverTheCurrentFolderAndCommandLine)
{
    ScratchFolder elsewhere;
    CurrentFolder cd(elsewhere.Path());
    const CString folder = GetProgramFolder();
    EXPECT_EQ(Utf8(folder.GetString()), Utf8((ModuleFolder() + L"\\").GetString()));
    // the default data file is found beside the program, not in the current folder
    EXPECT_TRUE(FileExists(GetDefaultDataFilePath()));
    EXPECT_EQ(Utf8(GetHelpFilePath().GetString()), Utf8((folder + L"tarnwick.chm").GetString()));
}

TEST(DefaultDataFile, IsByteForByteWhatSavingAnEmptyListWrites)
{
    ScratchFolder scratch;
    const CString saved = scratch / L"tarnwick.dat";
    CProjects empty;
    ASSERT_TRUE(SaveDataFile(saved, empty));
    const std::vector<uint8_t> shipped = Bytes(GetDefaultDataFilePath());
    const std::vector<uint8_t> written = Bytes(saved);
    EXPECT_EQ(shipped, written) << "shipped " << Hex(shipped) << "\nwritten " << Hex(written);

    CProjects loaded;
    loaded.m_lastSelection = 7;
    ASSERT_TRUE(LoadDataFile(GetDefaultDataFilePath(), loaded));
    EXPECT_EQ(loaded.GetSize(), 0);
    EXPECT_EQ(loaded.m_lastSelection, 0);
}

// One row per state the user's data file can be in at start-up.
TEST(DataFileLoad, FallsBackToTheDefaultAndKeepsAnUnreadableFileAsBad)
{
    struct Row {
        const char* name;
        const wchar_t* fixture;   // copied in as the data file; null: no data file
        bool lockDataFile;        // held open without sharing, as by another program
        bool loaded;
        bool dataFileIsDefault;   // the data file holds the default afterwards
        bool keptAsBad;           // "<data file>.bad" holds the file's old bytes
        int packages;
    };
    const Row rows[] = {
        {"first run, no data file", nullptr, false, true, true, false, 0},
        {"damaged data file", L"storage\\damaged-plain.dat", false, true, true, true, 0},
        {"data file of an unknown magic", L"storage\\wrong-case-magic.dat", false, true, true, true, 0},
        {"readable data file", L"storage\\filters.dat", false, true, false, false, 0},
        {"data file held open by another program", L"storage\\filters.dat", true, false, false, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder scratch;
        const CString dataFile = scratch / L"tarnwick.dat";
        const CString bad = dataFile + L".bad";
        std::vector<uint8_t> before;
        if (row.fixture) {
            ASSERT_TRUE(::CopyFileW(FixturePath(row.fixture), dataFile, FALSE));
            before = Bytes(dataFile);
        }
        UniqueKernelHandle lock;
        if (row.lockDataFile) {
            lock.Reset(::CreateFileW(dataFile, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_NE(lock.Get(), INVALID_HANDLE_VALUE);
        }
        CProjects projects;
        EXPECT_EQ(LoadDataFileOrDefault(dataFile, GetDefaultDataFilePath(), projects), row.loaded);
        lock.Reset();
        EXPECT_EQ(projects.GetSize(), row.packages);
        if (row.dataFileIsDefault) {
            EXPECT_EQ(Bytes(dataFile), Bytes(GetDefaultDataFilePath()));
        } else if (row.fixture) {
            EXPECT_EQ(Bytes(dataFile), before) << "the user's data file was changed";
        }
        EXPECT_EQ(FileExists(bad), row.keptAsBad);
        if (row.keptAsBad) {
            EXPECT_EQ(Bytes(bad), before);
        }
    }
}
