#include "framework/File.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(CFile, CreatesWritesSeeksAndReads)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"data.bin";
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite));
        file.Write("hello world", 11);
        EXPECT_EQ(11u, file.GetLength());
        file.Close();
    }
    CFile file(path, CFile::modeRead | CFile::shareDenyWrite);
    EXPECT_EQ(6u, file.Seek(6, CFile::begin));
    char buffer[16] = {};
    EXPECT_EQ(5u, file.Read(buffer, sizeof(buffer)));
    EXPECT_STREQ("world", buffer);
    EXPECT_EQ(0u, file.Read(buffer, sizeof(buffer)));
    EXPECT_TRUE(file.GetFileName() == L"data.bin");
}

TEST(CFile, CreateTruncatesUnlessToldNotTo)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"t.bin";
    ASSERT_TRUE(testsupport::WriteAllBytes(path, {1, 2, 3, 4}));
    {
        CFile file(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        EXPECT_EQ(4u, file.GetLength());
    }
    {
        CFile file(path, CFile::modeCreate | CFile::modeWrite);
        EXPECT_EQ(0u, file.GetLength());
    }
}

TEST(CFile, OpenFailureFillsTheExceptionRecord)
{
    testsupport::ScratchFolder folder;
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(folder / L"missing.bin", CFile::modeRead, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, error.m_lOsError);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_THROW(CFile(folder / L"no\\such\\folder.bin", CFile::modeRead), CFileException);
}

TEST(CFile, ReadingAClosedFileThrows)
{
    CFile file;
    char buffer[4];
    EXPECT_THROW(file.Read(buffer, sizeof(buffer)), CFileException);
}

TEST(CMemFile, GrowsAndSeeks)
{
    CMemFile file;
    file.Write("abc", 3);
    file.Seek(5, CFile::begin);
    file.Write("z", 1);
    EXPECT_EQ(6u, file.GetLength());
    file.SeekToBegin();
    char buffer[8] = {};
    EXPECT_EQ(6u, file.Read(buffer, sizeof(buffer)));
    EXPECT_EQ('\0', buffer[3]);
    EXPECT_EQ('z', buffer[5]);
    EXPECT_THROW(file.Seek(-1, CFile::begin), CFileException);
}

} // namespace
