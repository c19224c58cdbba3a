// What Yes on "delete package" takes from the disk, and deleting through the shell.

#include "app/OpenedPackages.h"
#include "app/PackageDeletion.h"
#include "app/ShellFiles.h"

#include "engine/files/PathHelpers.h"
#include "engine/storage/Projects.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

void Touch(const CString& path)
{
    ASSERT_TRUE(WriteAllBytes(path, {'x'})) << Utf8(path.GetString());
}

} // namespace

TEST(PackageDeletion, OnlyTheFolderThatPackageCreationMakesGoesWhole)
{
    ScratchFolder scratch;
    const CString parent = scratch.Path();
    const CString data = parent + L"\\Data";
    const std::vector<CString> guarded = {data, parent + L"\\Docs", parent + L"\\Program\\"};
    struct Row {
        const char* name;
        const wchar_t* packagePath;   // under the scratch folder
        bool opened;
        bool folderGoes;
    };
    const Row rows[] = {
        {"created package", L"\\Tools\\Tools.tkpj", false, true},
        {"created package, name in another case", L"\\Tools\\tools.TKPJ", false, true},
        {"folder named otherwise", L"\\Downloads\\Tools.tkpj", false, false},
        {"opened package in a folder of its name", L"\\Tools\\Tools.tkpj", true, false},
        {"package file with another extension", L"\\Tools\\Tools.bak", false, false},
        {"the data folder itself", L"\\Data\\Data.tkpj", false, false},
        {"the program folder", L"\\Program\\Program.tkpj", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CString path = parent + row.packagePath;
        const PackageDeletionPlan plan = PlanPackageDeletion(path, row.opened, guarded);
        if (row.folderGoes) {
            EXPECT_TRUE(SamePathNoCase(plan.folder, GetFolderPart(path))) << Utf8(plan.folder.GetString());
            EXPECT_TRUE(plan.file.IsEmpty());
        } else {
            EXPECT_TRUE(plan.folder.IsEmpty()) << Utf8(plan.folder.GetString());
            EXPECT_TRUE(SamePathNoCase(plan.file, path)) << Utf8(plan.file.GetString());
        }
    }

    // a folder that holds a protected one is never taken, even when named like the package file
    const CString holder = parent + L"\\Holder";
    EXPECT_TRUE(PlanPackageDeletion(holder + L"\\Holder.tkpj", false, {holder + L"\\Data"}).folder.IsEmpty());

    // drive roots and the user's own folders, whatever the file's name
    for (const wchar_t* path : {L"C:\\C.tkpj", L"C:\\pkg.tkpj", L"\\\\server\\share\\share.tkpj"}) {
        const PackageDeletionPlan plan = PlanPackageDeletion(path, false, {});
        EXPECT_TRUE(plan.folder.IsEmpty()) << Utf8(path);
    }
    for (const CString& folder : ProtectedFolders()) {
        CString trimmed(folder);
        TrimTrailingBackslashes(trimmed);
        const CString name = trimmed.Mid(trimmed.ReverseFind(L'\\') + 1);
        const PackageDeletionPlan plan = PlanPackageDeletion(trimmed + L"\\" + name + L".tkpj", false, ProtectedFolders());
        EXPECT_TRUE(plan.folder.IsEmpty()) << Utf8(trimmed.GetString());
    }
}

TEST(PackageDeletion, YesTakesACreatedPackagesFolderButAnOpenedPackageLeavesItsNeighbours)
{
    ScratchFolder scratch;
    CProjects projects;
    ASSERT_TRUE(CreatePackage(L"Made", scratch.Path(), projects));
    const CString madeFolder = scratch / L"Made";
    Touch(madeFolder + L"\\Made.msi");
    ASSERT_TRUE(RecyclePackageFiles(PlanPackageDeletion(projects.m_packagePaths[0], false, {})));
    EXPECT_FALSE(FileExists(madeFolder)) << "the package's own folder goes with what the builder put there";

    // a package opened from a folder holding another file: only the package file goes
    const CString shared = scratch / L"Shared";
    ASSERT_TRUE(::CreateDirectoryW(shared, nullptr));
    ASSERT_TRUE(::CopyFileW(FixturePath(L"storage\\empty.tkpj"), shared + L"\\Shared.tkpj", FALSE));
    Touch(shared + L"\\notes.txt");
    ASSERT_TRUE(OpenPackageFile(shared + L"\\Shared.tkpj", projects));
    ASSERT_TRUE(RecyclePackageFiles(PlanPackageDeletion(projects.m_packagePaths[1], true, {})));
    EXPECT_FALSE(FileExists(shared + L"\\Shared.tkpj"));
    EXPECT_TRUE(FileExists(shared + L"\\notes.txt")) << "an opened package took its neighbour along";
}

TEST(ShellFiles, DeletesAFolderTreeToTheRecycleBinOrPermanently)
{
    for (bool permanently : {false, true}) {
        SCOPED_TRACE(permanently ? "permanently" : "to the Recycle Bin");
        ScratchFolder scratch;
        const CString folder = scratch / L"gone";
        ASSERT_TRUE(::CreateDirectoryW(folder, nullptr));
        ASSERT_TRUE(::CreateDirectoryW(folder + L"\\inner", nullptr));
        Touch(folder + L"\\inner\\file.txt");
        Touch(scratch / L"stays.txt");
        EXPECT_TRUE(DeleteFolderThroughShell(folder, permanently));
        EXPECT_FALSE(FileExists(folder));
        EXPECT_TRUE(FileExists(scratch / L"stays.txt"));
    }
    EXPECT_FALSE(DeleteFolderThroughShell(CString(), false)) << "an empty path names nothing to delete";
}

// ---- the opened packages, remembered beside the data file -----------------------------------

TEST(OpenedPackages, AreKeptBesideTheDataFileForTheListedPackagesOnly)
{
    EXPECT_EQ(Utf8(COpenedPackages::ListPathFor(L"C:\\Data\\tarnwick.dat").GetString()), "C:\\Data\\tarnwick.opened");
    EXPECT_EQ(Utf8(COpenedPackages::ListPathFor(L"C:\\my.data\\list").GetString()), "C:\\my.data\\list.opened");

    ScratchFolder scratch;
    const CString listFile = scratch / L"tarnwick.opened";
    CProjects projects;
    projects.Add(CProjectSettings());
    projects.m_packagePaths.Add(scratch / L"Kept\\Kept.tkpj");
    projects.Add(CProjectSettings());
    projects.m_packagePaths.Add(scratch / L"Created\\Created.tkpj");

    COpenedPackages opened;
    opened.Add(scratch / L"Kept\\Kept.tkpj");
    opened.Add(scratch / L"Gone\\Gone.tkpj");     // no longer listed: forgotten at the save
    opened.Add(scratch / L"KEPT\\kept.TKPJ");     // the same file
    EXPECT_EQ(opened.Paths().size(), 2u);
    ASSERT_TRUE(opened.Save(listFile, projects));

    COpenedPackages again;
    again.Load(listFile);
    ASSERT_EQ(again.Paths().size(), 1u);
    EXPECT_TRUE(again.Contains(scratch / L"kept\\KEPT.tkpj"));
    EXPECT_FALSE(again.Contains(scratch / L"Created\\Created.tkpj"));
    EXPECT_FALSE(again.Contains(scratch / L"Gone\\Gone.tkpj"));

    // none left: the file goes, and a missing file reads as none
    again.Remove(scratch / L"Kept\\Kept.tkpj");
    ASSERT_TRUE(again.Save(listFile, projects));
    EXPECT_FALSE(FileExists(listFile));
    COpenedPackages none;
    none.Load(listFile);
    EXPECT_TRUE(none.Paths().empty());
}

TEST(OpenedPackages, AFileThatIsNotAListReadsAsNone)
{
    ScratchFolder scratch;
    const CString listFile = scratch / L"tarnwick.opened";
    const std::vector<std::vector<uint8_t>> contents = {
        {},                              // empty
        {'C', ':', '\\', 'x', '\r'},     // eight-bit text, no byte-order mark
        {0xFF, 0xFE, 'C', 0, ':', 0, 'x'},   // an odd size
    };
    for (const std::vector<uint8_t>& bytes : contents) {
        ASSERT_TRUE(WriteAllBytes(listFile, bytes));
        COpenedPackages opened;
        opened.Load(listFile);
        EXPECT_TRUE(opened.Paths().empty()) << Hex(bytes);
    }
}
