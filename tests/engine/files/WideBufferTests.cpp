#include "engine/files/WideBuffer.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string MessageOf(const CWideBufferException& e)
{
    return e.GetText();
}

TEST(WideBuffer, AssignReservesAtLeastThreeHundredDoubled)
{
    WideBuffer buffer;
    EXPECT_EQ(nullptr, buffer.Get());
    buffer.Assign(L"0123456789");
    EXPECT_EQ(600u, buffer.Capacity()) << "10 characters ask for 300, doubled";
    EXPECT_STREQ(L"0123456789", buffer.Get());
    EXPECT_EQ(10u, buffer.Length());

    const std::wstring longText(1000, L'x');
    buffer.Assign(longText.c_str());
    EXPECT_EQ(2000u, buffer.Capacity());
    EXPECT_EQ(longText, buffer.Get());

    buffer.Assign(nullptr);
    EXPECT_STREQ(L"", buffer.Get());
    EXPECT_EQ(600u, buffer.Capacity()) << "Assign starts over rather than keeping the big array";
}

TEST(WideBuffer, ReserveGrowsOnlyWhenTheNeedReachesTheCapacity)
{
    WideBuffer buffer;
    buffer.Reserve(5);
    ASSERT_NE(nullptr, buffer.Get());
    EXPECT_EQ(10u, buffer.Capacity());
    EXPECT_STREQ(L"", buffer.Get()) << "an empty buffer gets an empty string";

    buffer.Assign(L"C:\\a\\b");
    const wchar_t* before = buffer.Get();
    buffer.Reserve(599);
    EXPECT_EQ(before, buffer.Get()) << "599 is below the capacity of 600: nothing moves";
    buffer.Reserve(600);
    EXPECT_EQ(1200u, buffer.Capacity());
    EXPECT_STREQ(L"C:\\a\\b", buffer.Get()) << "the string survives the move";
}

TEST(WideBuffer, ReserveRefusesSizesThatCannotBeAllocated)
{
    WideBuffer buffer;
    buffer.Assign(L"kept");
    try {
        buffer.Reserve(0xFFFFFFFFu);
        FAIL() << "expected an out-of-memory exception for 2 x 0xFFFFFFFF characters";
    } catch (const CWideBufferException& e) {
        EXPECT_EQ("Fatal error: Out of memory!", MessageOf(e));
        EXPECT_EQ(L"Fatal error: Out of memory!", std::wstring(e.GetErrorMessage().GetString()));
    }
    EXPECT_STREQ(L"kept", buffer.Get()) << "a failed growth leaves the buffer as it was";
}

TEST(WideBuffer, ReserveDetectsAStringThatOverranItsArray)
{
    WideBuffer buffer;
    buffer.Reserve(2);
    for (uint32_t i = 0; i < buffer.Capacity(); ++i)
        buffer.Get()[i] = L'z';
    try {
        buffer.Reserve(buffer.Capacity());
        FAIL() << "expected the missing-terminator exception";
    } catch (const CWideBufferException& e) {
        EXPECT_EQ("The string has no terminating null character!", MessageOf(e));
    }
}

bool IsFolder(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(CreateDirectoryTree, CreatesEveryMissingLevel)
{
    testsupport::ScratchFolder scratch;
    const CString deep = scratch / L"a\\b\\c\\";
    EXPECT_EQ(0u, CreateDirectoryTree(deep));
    EXPECT_TRUE(IsFolder(scratch / L"a"));
    EXPECT_TRUE(IsFolder(scratch / L"a\\b"));
    EXPECT_TRUE(IsFolder(scratch / L"a\\b\\c"));
    EXPECT_EQ(0u, CreateDirectoryTree(deep)) << "an existing folder is success";
    EXPECT_EQ(0u, CreateDirectoryTree(scratch / L"a\\b\\c\\d")) << "one level below an existing one";
    EXPECT_TRUE(IsFolder(scratch / L"a\\b\\c\\d"));
}

TEST(CreateDirectoryTree, ReportsTheFirstFailure)
{
    testsupport::ScratchFolder scratch;
    ASSERT_TRUE(testsupport::WriteAllBytes(scratch / L"file", {1}));

    struct Case {
        const char* name;
        CString path;
        DWORD expected;
    } cases[] = {
        {"single relative name", L"tw-no-such-relative-name", ERROR_INVALID_DRIVE},
        {"empty path", L"", ERROR_INVALID_DRIVE},
        {"drive that does not exist", L"Q:\\tw\\x", ERROR_INVALID_DRIVE},
        {"the path is a file", scratch / L"file", ERROR_ALREADY_EXISTS},
        {"the path is a file, trailing backslash", scratch / L"file\\", ERROR_ALREADY_EXISTS},
        {"a parent is a file", scratch / L"file\\sub\\leaf", ERROR_ALREADY_EXISTS},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, CreateDirectoryTree(c.path)) << c.name << ": " << c.path.GetString();
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), CreateDirectoryTree(nullptr));
}

} // namespace
