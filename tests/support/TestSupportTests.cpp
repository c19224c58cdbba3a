#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TestSupport, ChildExitCodeAndTimeOut)
{
    const testsupport::ChildResult done = testsupport::RunChild(L"cmd.exe /c exit 7", 30000);
    ASSERT_TRUE(done.started) << "error " << done.error;
    EXPECT_FALSE(done.timedOut);
    EXPECT_EQ(7u, done.exitCode);

    const testsupport::ChildResult slow = testsupport::RunChild(L"ping.exe -n 30 127.0.0.1", 200);
    ASSERT_TRUE(slow.started) << "error " << slow.error;
    EXPECT_TRUE(slow.timedOut);

    const testsupport::ChildResult missing = testsupport::RunChild(L"no-such-program.exe", 1000);
    EXPECT_FALSE(missing.started);
    EXPECT_NE(0u, missing.error);
}

TEST(TestSupport, ScratchFolderIsRemovedWithItsContents)
{
    CString path;
    {
        testsupport::ScratchFolder folder;
        path = folder.Path();
        ASSERT_FALSE(path.IsEmpty());
        ASSERT_TRUE(CreateDirectoryW(folder / L"sub", nullptr));
        ASSERT_TRUE(testsupport::WriteAllBytes(folder / L"sub\\file.bin", {1, 2, 3}));
    }
    EXPECT_FALSE(testsupport::FileExists(path));
}

// Texts beyond ASCII keep every character: a helper that turned them into '?' would let two
// different names compare equal.
TEST(TestSupport, Utf8KeepsEveryCharacter)
{
    struct Case { const char* title; std::wstring text; std::string expected; };
    const Case cases[] = {
        {"empty", L"", ""},
        {"ASCII", L"setup.exe", "setup.exe"},
        {"two-byte forms", L"\u00dcn\u00efc\u00f6de", "\xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "de"},
        {"three-byte forms", L"\u65e5\u672c \u263A", "\xE6\x97\xA5\xE6\x9C\xAC \xE2\x98\xBA"},
        {"surrogate pair", L"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
        {"embedded NUL", std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, testsupport::Utf8(c.text)) << c.title;
    }
    const CString stored(L"caf\u00e9", 4);
    EXPECT_EQ("caf\xC3\xA9", testsupport::Utf8(stored.View())) << "a CString through its View()";
}

} // namespace
