#include "engine/storage/PackageFile.h"

#include "tests/engine/storage/StorageFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using namespace storagefixtures;
using testsupport::ScratchFolder;

CProjectSettings NamedEmpty(const CString& name)
{
    CProjectSettings p = EmptyPackage();
    p.m_productName = name;
    return p;
}

// Files left in a folder besides the expected ones: a save must not leave temporaries behind.
int CountFiles(const CString& folder)
{
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW(folder + L"\\*", &data));
    int count = 0;
    if (find) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ++count;
        } while (FindNextFileW(find.Get(), &data));
    }
    return count;
}

TEST(PackageFile, FixturesLoadAndTheWriterReproducesThem)
{
    struct Case { const wchar_t* file; std::function<CProjectSettings()> make; size_t size; };
    const Case cases[] = {
        {L"empty.tkpj", EmptyPackage, 160},
        {L"one-project.tkpj", OneProjectPackage, 0},
        {L"five-projects.tkpj", FiveProjectsPackage, 0},
        {L"text-254.tkpj", [] { return NamedEmpty(CString(L'x', 254)); }, 0},
        {L"text-255.tkpj", [] { return NamedEmpty(CString(L'y', 255)); }, 0},
    };
    ScratchFolder scratch;
    for (const Case& c : cases) {
        const std::string name = testsupport::Utf8(c.file);
        const Bytes fixture = FileBytes(Fixture(c.file));
        if (c.size) {
            EXPECT_EQ(c.size, fixture.size()) << name;
        }

        CProjectSettings loaded;
        ASSERT_EQ(1, LoadPackageFile(Fixture(c.file), loaded)) << name;
        ExpectSamePackage(c.make(), loaded, name);

        CProjectSettings made = c.make();
        const CString saved = scratch / c.file;
        ASSERT_EQ(1, SavePackageFile(saved, made)) << name;
        EXPECT_EQ(fixture, FileBytes(saved)) << name << ": the writer's bytes differ from the fixture's";
    }
}

TEST(PackageFile, SingleByteTextFormLoads)
{
    CProjectSettings loaded;
    ASSERT_EQ(1, LoadPackageFile(Fixture(L"ansi-name.tkpj"), loaded));
    ExpectSamePackage(NamedEmpty(L"Ansi name"), loaded, "ansi-name.tkpj");
}

TEST(PackageFile, FailedLoadsLeaveThePackageAsItWas)
{
    const wchar_t* const files[] = {
        L"version-1001.tkpj", L"damaged-first-unit-only.tkpj", L"damaged-odd-size.tkpj",
        L"damaged-flipped.tkpj", L"damaged-padding.tkpj", L"damaged-huge-count.tkpj",
        L"damaged-huge-text.tkpj", L"empty.dat", L"no-such-file.tkpj",
    };
    for (const wchar_t* file : files) {
        CProjectSettings package = OneProjectPackage();
        EXPECT_EQ(0, LoadPackageFile(Fixture(file), package)) << testsupport::Utf8(file);
        ExpectSamePackage(OneProjectPackage(), package, testsupport::Utf8(file));
    }
}

TEST(PackageFile, LongTextsRoundTripAndStayByteIdentical)
{
    ScratchFolder scratch;
    for (int length : {2047, 2048, 4095, 10000, 100000}) {
        CProjectSettings package = OneProjectPackage();
        package.m_comment = CString(L'\x263A', length);
        package.m_projects[0].m_files[0].m_sourcePath = CString(L'p', length + 1);
        package.m_projects[0].m_installScript[0].m_controlText = CString(L't', length + 2);
        const CString first = scratch / L"first.tkpj";
        ASSERT_EQ(1, SavePackageFile(first, package)) << length;

        CProjectSettings loaded;
        ASSERT_EQ(1, LoadPackageFile(first, loaded)) << length;
        ExpectSamePackage(package, loaded, std::to_string(length) + " characters");

        const CString second = scratch / L"second.tkpj";
        ASSERT_EQ(1, SavePackageFile(second, loaded)) << length;
        EXPECT_EQ(FileBytes(first), FileBytes(second)) << length << ": a save and load cycle changed the file";
    }
}

TEST(PackageFile, ReplayResultAndTakenFlagAreNotStored)
{
    ScratchFolder scratch;
    CProjectSettings package = OneProjectPackage();
    package.m_projects[0].m_installScript[0].m_result = L"timeout 2 sec.";
    package.m_projects[0].m_registry[5].m_taken = 1;
    const CString path = scratch / L"p.tkpj";
    ASSERT_EQ(1, SavePackageFile(path, package));
    EXPECT_EQ(FileBytes(Fixture(L"one-project.tkpj")), FileBytes(path));
    CProjectSettings loaded;
    ASSERT_EQ(1, LoadPackageFile(path, loaded));
    EXPECT_TRUE(loaded.m_projects[0].m_installScript[0].m_result.IsEmpty());
    EXPECT_EQ(0, loaded.m_projects[0].m_registry[5].m_taken);
}

TEST(PackageFile, FailedSaveKeepsTheOldFileAndLeavesNoTemporary)
{
    ScratchFolder scratch;
    const CString path = scratch / L"kept.tkpj";
    CProjectSettings original = OneProjectPackage();
    ASSERT_EQ(1, SavePackageFile(path, original));
    const Bytes before = FileBytes(path);

    // a read-only file cannot be replaced
    ASSERT_TRUE(SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY));
    CProjectSettings other = FiveProjectsPackage();
    EXPECT_EQ(0, SavePackageFile(path, other));
    EXPECT_EQ(before, FileBytes(path));
    EXPECT_EQ(1, CountFiles(scratch.Path()));
    ASSERT_TRUE(SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL));

    // a folder in the way, and a folder that does not exist
    ASSERT_TRUE(CreateDirectoryW(scratch / L"folder.tkpj", nullptr));
    EXPECT_EQ(0, SavePackageFile(scratch / L"folder.tkpj", other));
    EXPECT_EQ(0, SavePackageFile(scratch / L"missing\\p.tkpj", other));
    EXPECT_EQ(1, CountFiles(scratch.Path()));

    // and a save that succeeds replaces the file
    EXPECT_EQ(1, SavePackageFile(path, other));
    CProjectSettings loaded;
    ASSERT_EQ(1, LoadPackageFile(path, loaded));
    ExpectSamePackage(FiveProjectsPackage(), loaded, "replaced");
    EXPECT_EQ(1, CountFiles(scratch.Path()));
}

// A write that fails half way (a full disk) and a load that runs out of memory: both report
// false, and the file that was there stays whole.
TEST(PackageFile, FailuresInsideTheArchiveBecomeResults)
{
    ScratchFolder scratch;
    const CString path = scratch / L"kept.tkpj";
    CProjectSettings original = OneProjectPackage();
    ASSERT_EQ(1, SavePackageFile(path, original));
    const Bytes before = FileBytes(path);

    const bool stored = StoreEncipheredFile(path, [](CArchive& ar) {
        for (int i = 0; i < 5000; ++i)
            ar << i;
        AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL);
    });
    EXPECT_FALSE(stored);
    EXPECT_EQ(before, FileBytes(path));
    EXPECT_EQ(1, CountFiles(scratch.Path())) << "the temporary file was left behind";

    EXPECT_FALSE(LoadEncipheredFile(path, [](CArchive&) -> bool { throw std::bad_alloc(); }));
    EXPECT_FALSE(StoreEncipheredFile(path, [](CArchive&) { throw std::bad_alloc(); }));
    EXPECT_EQ(before, FileBytes(path));
}

} // namespace
