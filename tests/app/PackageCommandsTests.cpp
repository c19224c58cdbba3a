// Opening, creating and removing packages and projects as the packages tree asks for them: every
// failure comes with a message, and a refused change leaves the list whole.

#include "app/PackageCommands.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

// Failure text shows texts as text.
inline void PrintTo(const CString& text, std::ostream* os)
{
    *os << '"' << Utf8(text.GetString()) << '"';
}

TEST(PackageCommands, OpeningAPackageFileSaysWhyItFailed)
{
    ScratchFolder scratch;
    const CString good = scratch / L"Good.tkpj";
    ASSERT_TRUE(::CopyFileW(FixturePath(L"storage\\one-project.tkpj"), good, FALSE));
    const CString damaged = scratch / L"Damaged.tkpj";
    ASSERT_TRUE(::CopyFileW(FixturePath(L"storage\\damaged-flipped.tkpj"), damaged, FALSE));

    CProjects projects;
    CString message;
    EXPECT_EQ(OpenPackageAt(good, projects, &message), OpenResult::opened);
    EXPECT_TRUE(message.IsEmpty());
    ASSERT_EQ(projects.GetSize(), 1);

    struct Row {
        const char* name;
        CString path;
        const wchar_t* says;
    };
    const Row rows[] = {
        {"already listed", good, L"already in the list"},
        {"already listed, spelled otherwise", scratch.Path() + L"\\.\\GOOD.tkpj", L"already in the list"},
        {"damaged", damaged, L"could not be opened"},
        {"missing", scratch / L"Missing.tkpj", L"could not be opened"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        message.Empty();
        EXPECT_EQ(OpenPackageAt(row.path, projects, &message), OpenResult::failed);
        EXPECT_NE(message.Find(row.says), -1) << Utf8(message.GetString());
        EXPECT_EQ(projects.GetSize(), 1);
        EXPECT_EQ(projects.m_packagePaths.GetSize(), 1);
    }

    // a list at the tree's limit takes no more
    projects.SetSize(256);
    projects.m_packagePaths.SetSize(256);
    const CString another = scratch / L"Another.tkpj";
    ASSERT_TRUE(::CopyFileW(FixturePath(L"storage\\empty.tkpj"), another, FALSE));
    message.Empty();
    EXPECT_EQ(OpenPackageAt(another, projects, &message), OpenResult::failed);
    EXPECT_NE(message.Find(L"256"), -1) << Utf8(message.GetString());
    EXPECT_EQ(projects.GetSize(), 256);
}

TEST(PackageCommands, CreatingAPackageThatCannotBeMadeSaysSoAndListsNothing)
{
    ScratchFolder scratch;
    CProjects projects;
    CString message;
    ASSERT_TRUE(CreatePackageForProject(L"Fine", scratch.Path(), projects, &message));
    EXPECT_EQ(projects.GetSize(), 1);

    struct Row {
        const char* name;
        const wchar_t* project;
        CString location;
    };
    const Row rows[] = {
        {"name that is no file name", L"a|b", scratch.Path()},
        {"location that cannot be made", L"Fine", scratch.Path() + L"\\file.txt\\below"},
        {"no location", L"Fine", CString()},
    };
    ASSERT_TRUE(WriteAllBytes(scratch / L"file.txt", {'x'}));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        message.Empty();
        EXPECT_FALSE(CreatePackageForProject(row.project, row.location, projects, &message));
        EXPECT_FALSE(message.IsEmpty());
        EXPECT_EQ(projects.GetSize(), 1);
        EXPECT_EQ(projects.m_packagePaths.GetSize(), 1);
    }
}

TEST(PackageCommands, RemovingKeepsPackagesAndPathsTogetherAndRefusesIndexesOutsideTheList)
{
    CProjects projects;
    for (const wchar_t* name : {L"A", L"B", L"C"}) {
        CProjectSettings package;
        package.m_productName = name;
        for (const wchar_t* project : {L"one", L"two", L"three"}) {
            CFeature feature;
            feature.m_name = project;
            package.m_projects.Add(feature);
        }
        projects.Add(package);
        projects.m_packagePaths.Add(CString(L"C:\\") + name + L".tkpj");
    }
    EXPECT_TRUE(RemoveProjectAt(projects, 0, 1));   // project 2 of 3
    ASSERT_EQ(projects[0].m_projects.GetSize(), 2);
    EXPECT_EQ(projects[0].m_projects[1].m_name, L"three");
    EXPECT_FALSE(RemoveProjectAt(projects, 0, 2));
    EXPECT_FALSE(RemoveProjectAt(projects, 3, 0));

    EXPECT_TRUE(RemovePackageAt(projects, 1));
    ASSERT_EQ(projects.GetSize(), 2);
    EXPECT_EQ(projects[1].m_productName, L"C");
    EXPECT_EQ(projects.m_packagePaths[1], L"C:\\C.tkpj");
    EXPECT_FALSE(RemovePackageAt(projects, 2));
    EXPECT_FALSE(RemovePackageAt(projects, -1));
    EXPECT_EQ(projects.m_packagePaths.GetSize(), 2);
}
