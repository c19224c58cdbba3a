#include "engine/files/Globals.h"
#include "engine/storage/PackageFile.h"
#include "engine/storage/Projects.h"

#include "tests/engine/storage/StorageFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using namespace storagefixtures;
using testsupport::ScratchFolder;

std::vector<CString> Texts(const CExludeList& list)
{
    std::vector<CString> texts;
    for (POSITION position = list.GetHeadPosition(); position;)
        texts.push_back(list.GetNext(position));
    return texts;
}

// A list with one package in it, to see that failed loads leave it alone.
CProjects ListWithOnePackage()
{
    CProjects projects;
    projects.Add(OneProjectPackage());
    projects.m_packagePaths.Add(L"C:\\somewhere\\One Project.tkpj");
    projects.m_lastSelection = 42;
    projects.m_fileFilter.AddTail(L"C:\\Temp\\");
    projects.m_registryFilter.AddTail(L"HKEY_CURRENT_USER\\Software\\Ignored");
    return projects;
}

void ExpectSameList(const CProjects& expected, const CProjects& actual, const std::string& where)
{
    ASSERT_EQ(expected.GetSize(), actual.GetSize()) << where << ": packages";
    ASSERT_EQ(expected.m_packagePaths.GetSize(), actual.m_packagePaths.GetSize()) << where << ": paths";
    for (int i = 0; i < expected.GetSize(); ++i) {
        ExpectSamePackage(expected[i], actual[i], where + ": package " + std::to_string(i));
        ExpectSameText(expected.m_packagePaths[i], actual.m_packagePaths[i], where + ": path");
    }
    EXPECT_EQ(expected.m_lastSelection, actual.m_lastSelection) << where;
    EXPECT_TRUE(Texts(expected.m_fileFilter) == Texts(actual.m_fileFilter)) << where << ": file filter";
    EXPECT_TRUE(Texts(expected.m_registryFilter) == Texts(actual.m_registryFilter)) << where << ": registry filter";
}

// The paths a data file lists, read straight from its stream (the loader drops missing packages).
std::vector<CString> ListedPaths(const CString& dataFile)
{
    std::vector<CString> paths;
    const bool read = LoadEncipheredFile(dataFile, [&paths](CArchive& ar) {
        int format = 0, selection = 0, count = 0;
        CString magic;
        ar >> format >> magic >> selection >> count;
        for (int i = 0; i < count; ++i) {
            CString path;
            ar >> path;
            paths.push_back(path);
        }
        return true;
    });
    EXPECT_TRUE(read) << testsupport::Utf8(dataFile.View());
    return paths;
}

TEST(DataFile, FixturesLoadAndTheWriterReproducesThem)
{
    ScratchFolder scratch;
    {
        CProjects projects = ListWithOnePackage();
        ASSERT_TRUE(LoadDataFile(Fixture(L"empty.dat"), projects));
        ExpectSameList(CProjects(), projects, "empty.dat");
        EXPECT_EQ(128u, FileBytes(Fixture(L"empty.dat")).size());
        ASSERT_TRUE(SaveDataFile(scratch / L"empty.dat", projects));
        EXPECT_EQ(FileBytes(Fixture(L"empty.dat")), FileBytes(scratch / L"empty.dat"));
    }
    {
        CProjects projects;
        ASSERT_TRUE(LoadDataFile(Fixture(L"filters.dat"), projects));
        EXPECT_EQ(3, projects.m_lastSelection);
        EXPECT_TRUE(Texts(projects.m_fileFilter) == (std::vector<CString>{L"C:\\Windows\\Temp\\", L"%TEMP%"}));
        EXPECT_TRUE(Texts(projects.m_registryFilter) == (std::vector<CString>{L"HKEY_CURRENT_USER\\Software\\Classes"}));
        ASSERT_TRUE(SaveDataFile(scratch / L"filters.dat", projects));
        EXPECT_EQ(FileBytes(Fixture(L"filters.dat")), FileBytes(scratch / L"filters.dat"));
    }
}

TEST(DataFile, RefusedFilesLeaveTheListAsItWas)
{
    const wchar_t* const files[] = {
        L"wrong-case-magic.dat", L"version-1001.dat", L"damaged-huge-count.dat", L"damaged-plain.dat",
        L"one-project.tkpj", L"no-such-file.dat",
    };
    for (const wchar_t* file : files) {
        CProjects projects = ListWithOnePackage();
        EXPECT_FALSE(LoadDataFile(Fixture(file), projects)) << testsupport::Utf8(file);
        ExpectSameList(ListWithOnePackage(), projects, testsupport::Utf8(file));
    }
}

TEST(DataFile, MissingPackageDropsOutAndIsNotWrittenBack)
{
    ScratchFolder scratch;
    CProjects projects = ListWithOnePackage();
    ASSERT_TRUE(LoadDataFile(Fixture(L"missing-package.dat"), projects));
    EXPECT_EQ(0, projects.GetSize());
    EXPECT_EQ(0, projects.m_packagePaths.GetSize());
    ASSERT_TRUE(SaveDataFile(scratch / L"tarnwick.dat", projects));
    EXPECT_EQ(FileBytes(Fixture(L"empty.dat")), FileBytes(scratch / L"tarnwick.dat"));
}

TEST(DataFile, SavesEveryPackageAndLoadsThemBack)
{
    ScratchFolder scratch;
    CProjects projects = TwoPackageList(scratch.Path());
    projects.m_fileFilter.AddTail(L"C:\\b\\");
    // the data folder is created when missing
    const CString dataFile = scratch / L"data\\folder\\tarnwick.dat";
    ASSERT_TRUE(SaveDataFile(dataFile, projects));
    EXPECT_EQ(FileBytes(Fixture(L"one-project.tkpj")), FileBytes(scratch / L"one.tkpj"));

    CProjects loaded;
    ASSERT_TRUE(LoadDataFile(dataFile, loaded));
    ExpectSameList(projects, loaded, "reloaded");
}

TEST(DataFile, SaveReportsFailuresButKeepsEveryPath)
{
    ScratchFolder scratch;
    CProjects projects = TwoPackageList(scratch.Path());
    projects.m_packagePaths[0] = scratch / L"no-folder\\one.tkpj";
    const CString dataFile = scratch / L"tarnwick.dat";
    EXPECT_FALSE(SaveDataFile(dataFile, projects)) << "a package that could not be saved must be reported";
    const std::vector<CString> paths = ListedPaths(dataFile);
    ASSERT_EQ(2u, paths.size());
    EXPECT_TRUE(paths[0] == projects.m_packagePaths[0]);
    EXPECT_TRUE(testsupport::FileExists(scratch / L"five.tkpj"));

    // a data file that cannot be replaced: false, and the old one stays
    projects.m_packagePaths[0] = scratch / L"one.tkpj";
    const Bytes before = FileBytes(dataFile);
    ASSERT_TRUE(SetFileAttributesW(dataFile, FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(SaveDataFile(dataFile, projects));
    EXPECT_EQ(before, FileBytes(dataFile));
    ASSERT_TRUE(SetFileAttributesW(dataFile, FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(SaveDataFile(dataFile, projects));
}

// A data file naming the given package paths in order, with empty filters.
void WriteDataFile(const CString& dataFile, const std::vector<CString>& packages)
{
    const bool written = StoreEncipheredFile(dataFile, [&](CArchive& ar) {
        ar << kDataFileFormat;
        ar << CString(kDataFileMagic);
        ar << 0;
        ar << static_cast<int>(packages.size());
        for (const CString& path : packages)
            ar << path;
        ar << 0;
        ar << 0;
        for (int i = 0; i < 7; ++i)
            ar << CString();
        for (int i = 0; i < 8; ++i)
            ar << 0;
    });
    ASSERT_TRUE(written) << testsupport::Utf8(dataFile.View());
}

// Anyone can hand the program a data file. One that names a package a thousand times, in every
// spelling the file system takes for the same file (letter case, accented capitals included, and
// "." or ".." steps), lists it once, under its first spelling; distinct packages all load.
TEST(DataFile, APackageNamedManyTimesLoadsOnce)
{
    ScratchFolder scratch;
    const CString accented = L"\u00C9t\u00E9";  // E-acute, t, e-acute
    ASSERT_TRUE(CreateDirectoryW(scratch / accented, nullptr));
    ASSERT_TRUE(CreateDirectoryW(scratch / L"Ete", nullptr));
    const CString path = scratch / (accented + L"\\One.tkpj");
    for (const CString& copy : {path, scratch / L"Ete\\One.tkpj", scratch / L"a.tkpj", scratch / L"b.tkpj"})
        ASSERT_TRUE(CopyFileW(Fixture(L"one-project.tkpj"), copy, FALSE)) << testsupport::Utf8(copy.View());

    CString upper = path, lower = path;
    upper.MakeUpper();
    lower.MakeLower();
    const std::vector<CString> spellings = {
        path,
        upper,
        lower,
        scratch / L"\u00C9T\u00C9\\oNE.TkPj",
        scratch / L".\\\u00E9t\u00E9\\ONE.tkpj",
        scratch / (accented + L"\\..\\" + accented + L"\\one.TKPJ"),
    };
    std::vector<CString> named;
    for (int i = 0; i < 1000; ++i)
        named.push_back(spellings[i % spellings.size()]);
    const CString dataFile = scratch / L"tarnwick.dat";
    WriteDataFile(dataFile, named);
    CProjects projects;
    ASSERT_TRUE(LoadDataFile(dataFile, projects));
    EXPECT_EQ(1, projects.GetSize());
    ASSERT_EQ(1, projects.m_packagePaths.GetSize());
    ExpectSameText(path, projects.m_packagePaths[0], "the first spelling");

    // Paths that differ by more than case are different files: every one loads, in order, and
    // the list round-trips through the data file.
    const std::vector<CString> distinct = {scratch / L"a.tkpj", path, scratch / L"Ete\\One.tkpj", scratch / L"b.tkpj",
                                           scratch / L"A.tkpj"};
    WriteDataFile(dataFile, distinct);
    ASSERT_TRUE(LoadDataFile(dataFile, projects));
    ASSERT_EQ(4, projects.GetSize());
    ASSERT_EQ(4, projects.m_packagePaths.GetSize());
    for (int i = 0; i < 4; ++i)
        ExpectSameText(distinct[i], projects.m_packagePaths[i], "distinct path " + std::to_string(i));
    ASSERT_TRUE(SaveDataFile(dataFile, projects));
    EXPECT_TRUE(ListedPaths(dataFile) == std::vector<CString>(distinct.begin(), distinct.begin() + 4));
}

TEST(DataFile, RestoringTheDefaultKeepsTheUnreadableFile)
{
    ScratchFolder scratch;
    const CString dataFile = scratch / L"tarnwick.dat";
    const Bytes damaged = FileBytes(Fixture(L"damaged-plain.dat"));
    ASSERT_TRUE(testsupport::WriteAllBytes(dataFile, damaged));
    ASSERT_TRUE(testsupport::WriteAllBytes(dataFile + L".bad", Bytes(3, 'x')));
    ASSERT_TRUE(RestoreDefaultDataFile(Fixture(L"filters.dat"), dataFile));
    EXPECT_EQ(damaged, FileBytes(scratch / L"tarnwick.dat.bad"));
    EXPECT_EQ(FileBytes(Fixture(L"filters.dat")), FileBytes(dataFile));

    // with no user file there is nothing to keep
    const CString fresh = scratch / L"fresh.dat";
    ASSERT_TRUE(RestoreDefaultDataFile(Fixture(L"empty.dat"), fresh));
    EXPECT_FALSE(testsupport::FileExists(fresh + L".bad"));
    EXPECT_FALSE(RestoreDefaultDataFile(Fixture(L"no-such-default.dat"), fresh));
}

TEST(PackageList, CreatePackageMakesUniqueFoldersAndFiles)
{
    ScratchFolder scratch;
    CProjects projects;
    const CString parent = scratch.Path() + L"\\\\";   // trailing backslashes are dropped
    ASSERT_TRUE(CreatePackage(L"Setup", parent, projects));
    ASSERT_TRUE(CreatePackage(L"Setup", parent, projects));
    ASSERT_TRUE(CreatePackage(L"setup", parent, projects));
    ASSERT_EQ(3, projects.GetSize());
    const wchar_t* const names[] = {L"Setup", L"Setup(1)", L"setup(2)"};
    for (int i = 0; i < 3; ++i) {
        const CString folder = scratch / names[i];
        ExpectSameText(names[i], projects[i].m_productName, "name");
        ExpectSameText(folder, projects[i].m_outputFolder, "output folder");
        ExpectSameText(CString(names[i]) + L".msi", projects[i].m_outputFileName, "output file name");
        ExpectSameText(folder + L"\\" + names[i] + L".tkpj", projects.m_packagePaths[i], "path");
        CProjectSettings saved;
        EXPECT_EQ(1, LoadPackageFile(projects.m_packagePaths[i], saved)) << i;
        ExpectSameText(names[i], saved.m_productName, "saved name");
    }

    // a folder or package file already on disk is never reused
    ASSERT_TRUE(CreateDirectoryW(scratch / L"Taken", nullptr));
    ASSERT_TRUE(CreatePackage(L"Taken", scratch.Path(), projects));
    ExpectSameText(L"Taken(1)", projects[3].m_productName, "name beside an existing folder");
}

TEST(PackageList, InvalidNamesAreRefused)
{
    ScratchFolder scratch;
    CProjects projects;
    for (const wchar_t* name : {L"", L"a/b", L"a\\b", L"a:b", L"a*", L"why?", L"<x>", L"pipe|", L"\"q\"", L"..",
                                L"dot.", L"space ", L"CON", L"nul.txt", L"LPT1", L"com9.tkpj", L"tab\t"}) {
        EXPECT_FALSE(IsValidPackageName(name)) << testsupport::Utf8(name);
        EXPECT_FALSE(CreatePackage(name, scratch.Path(), projects)) << testsupport::Utf8(name);
    }
    EXPECT_EQ(0, projects.GetSize());
    EXPECT_EQ(0, projects.m_packagePaths.GetSize());
    for (const wchar_t* name : {L"Setup", L"My App 2.0", L"CONSOLE", L"COM10", L"a.b"})
        EXPECT_TRUE(IsValidPackageName(name)) << testsupport::Utf8(name);
    EXPECT_FALSE(CreatePackage(L"Setup", L"", projects)) << "no parent folder";
    EXPECT_FALSE(CreatePackage(CString(L'n', 200), scratch.Path(), projects)) << "path longer than MAX_PATH";
    EXPECT_FALSE(testsupport::FileExists(scratch / CString(L'n', 200))) << "no folder for a refused name";
}

TEST(PackageList, UniqueNamesIgnoreCase)
{
    CProjects projects;
    for (const wchar_t* name : {L"Setup", L"SETUP(1)"}) {
        CProjectSettings package;
        package.m_productName = name;
        projects.Add(package);
        projects.m_packagePaths.Add(name);
    }
    ExpectSameText(L"setup(2)", MakeUniquePackageName(L"setup", projects), "case-insensitive");
    ExpectSameText(L"Other", MakeUniquePackageName(L"Other", projects), "free name");
}

TEST(PackageList, OpenPackageFileListsEachFileOnce)
{
    ScratchFolder scratch;
    const CString path = scratch / L"One.tkpj";
    ASSERT_TRUE(CopyFileW(Fixture(L"one-project.tkpj"), path, FALSE));
    CProjects projects;
    CProjectSettings existing;
    existing.m_productName = L"one project";
    projects.Add(existing);
    projects.m_packagePaths.Add(scratch / L"elsewhere.tkpj");

    ASSERT_TRUE(OpenPackageFile(path, projects));
    ASSERT_EQ(2, projects.GetSize());
    ExpectSameText(L"One Project(1)", projects[1].m_productName, "unique name");
    ExpectSameText(scratch.Path(), projects[1].m_outputFolder, "output folder");
    ExpectSameText(path, projects.m_packagePaths[1], "path");

    CString otherCase = path;
    otherCase.MakeUpper();
    EXPECT_FALSE(OpenPackageFile(otherCase, projects));
    EXPECT_FALSE(OpenPackageFile(scratch.Path() + L"\\.\\One.tkpj", projects));
    EXPECT_FALSE(OpenPackageFile(Fixture(L"damaged-padding.tkpj"), projects));
    EXPECT_FALSE(OpenPackageFile(Fixture(L"version-1001.tkpj"), projects));
    EXPECT_EQ(2, projects.GetSize());
    EXPECT_EQ(2, projects.m_packagePaths.GetSize());
}

TEST(PackageList, GlobalListUsesTheDataFolder)
{
    ScratchFolder scratch;
    const CString savedFolder = DataFolder;
    DataFolder = scratch / L"Tarnwick";
    Projects = CProjects();
    ExpectSameText(scratch / L"Tarnwick\\tarnwick.dat", GetDataFilePath(), "data file path");

    ASSERT_TRUE(CreatePackage(L"Global", scratch.Path()));
    ASSERT_TRUE(SaveDataFile());
    const CProjects saved = Projects;
    Projects = CProjects();
    ASSERT_TRUE(LoadDataFile());
    ExpectSameList(saved, Projects, "global list");
    EXPECT_FALSE(OpenPackageFile(scratch / L"Global\\Global.tkpj")) << "already listed";

    // an unreadable data file is kept aside before the default replaces it
    ASSERT_TRUE(testsupport::WriteAllBytes(GetDataFilePath(), Bytes(40, 0x55)));
    EXPECT_FALSE(LoadDataFile());
    ExpectSameList(saved, Projects, "after a failed load");
    ASSERT_TRUE(RestoreDefaultDataFile(Fixture(L"empty.dat")));
    EXPECT_TRUE(testsupport::FileExists(GetDataFilePath() + L".bad"));
    EXPECT_TRUE(LoadDataFile());
    EXPECT_EQ(0, Projects.GetSize());

    Projects = CProjects();
    DataFolder = savedFolder;
}

} // namespace
