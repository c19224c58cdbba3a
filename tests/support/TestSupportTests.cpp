#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

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

} // namespace
