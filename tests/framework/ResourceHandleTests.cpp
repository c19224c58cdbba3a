#include "framework/ResourceHandle.h"
#include "framework/Handle.h"
#include "framework/String.h"
#include "tests/framework/FrameworkTestLibrary.h"
#include "tests/framework/FrameworkTestsResource.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using testsupport::Utf8;

// Loads the test library and points the resource handle at it for the test's duration.
class ResourceHandleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_library.Reset(::LoadLibraryW((testsupport::ModuleFolder() + L"\\framework_test_library.dll").GetString()));
        ASSERT_TRUE(m_library.IsValid()) << "error " << ::GetLastError();
    }
    void TearDown() override { AfxSetResourceHandle(nullptr); }

    HINSTANCE Library() const { return m_library.Get(); }

private:
    UniqueModule m_library;
};

TEST_F(ResourceHandleTest, DefaultsToTheProgram)
{
    EXPECT_EQ(::GetModuleHandleW(nullptr), AfxGetInstanceHandle());
    EXPECT_EQ(AfxGetInstanceHandle(), AfxGetResourceHandle());
}

TEST_F(ResourceHandleTest, LibraryKnowsItsOwnModule)
{
    auto instance = reinterpret_cast<LibraryInstanceFn>(
        reinterpret_cast<void*>(::GetProcAddress(Library(), "LibraryInstance")));
    ASSERT_NE(nullptr, instance);
    EXPECT_EQ(Library(), instance()) << "a library must not read the host program's resources";
}

TEST_F(ResourceHandleTest, LoadStringFromTheProgram)
{
    struct Case {
        UINT id;
        const char* expected; // null: missing
    };
    const Case cases[] = {
        {IDS_TEST_FIRST, "First string"},
        {IDS_TEST_SECOND, "Second, with \"quotes\""},
        {IDS_TEST_MISSING, nullptr}, // its block exists, the string does not
        {IDS_TEST_OTHER_BLOCK, "Other block"},
        {IDS_TEST_LIBRARY_ONLY, nullptr},
        {IDS_TEST_APP_TITLE, "FrameworkTests"},
        {65535, nullptr},
    };
    for (const Case& c : cases) {
        CString text = L"unchanged";
        const BOOL found = text.LoadString(c.id);
        EXPECT_EQ(c.expected != nullptr, found != FALSE) << "id " << c.id;
        EXPECT_EQ(c.expected ? c.expected : "unchanged", Utf8(text.View())) << "id " << c.id;
        EXPECT_EQ(c.expected ? AfxGetInstanceHandle() : nullptr, AfxFindStringResourceHandle(c.id)) << "id " << c.id;
    }
    CString longText;
    ASSERT_TRUE(longText.LoadString(IDS_TEST_LONG));
    EXPECT_EQ(288, longText.GetLength());
}

// A resource-only library set as the resource handle comes first; what it lacks still comes
// from the program.
TEST_F(ResourceHandleTest, ResourceHandleIsSearchedFirst)
{
    AfxSetResourceHandle(Library());
    EXPECT_EQ(Library(), AfxGetResourceHandle());
    struct Case {
        UINT id;
        const char* expected;
        HINSTANCE from;
    };
    const Case cases[] = {
        {IDS_TEST_FIRST, "Library first", Library()},
        {IDS_TEST_LIBRARY_ONLY, "Library only", Library()},
        {IDS_TEST_SECOND, "Second, with \"quotes\"", AfxGetInstanceHandle()},
        {IDS_TEST_MISSING, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        CString text;
        EXPECT_EQ(c.expected != nullptr, text.LoadString(c.id) != FALSE) << "id " << c.id;
        EXPECT_EQ(c.expected ? c.expected : "", Utf8(text.View())) << "id " << c.id;
        EXPECT_EQ(c.from, AfxFindStringResourceHandle(c.id)) << "id " << c.id;
    }
    // One module only, when asked for.
    CString text;
    EXPECT_FALSE(text.LoadString(Library(), IDS_TEST_SECOND));
    EXPECT_FALSE(text.LoadString(nullptr, IDS_TEST_FIRST));

    AfxSetResourceHandle(nullptr);
    EXPECT_EQ(AfxGetInstanceHandle(), AfxGetResourceHandle());
}

} // namespace
