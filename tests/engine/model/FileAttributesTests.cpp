// CFileEntry::ReadFileAttributes on real files: attribute bits, sizes and the x64 test, and
// entries left untouched when the file cannot be read.

#include "engine/model/FileEntry.h"

#include "tests/engine/model/ModelTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using modeltest::Bytes;
using modeltest::Store;
using testsupport::FixturePath;
using testsupport::ReadAllBytes;
using testsupport::ScratchFolder;
using testsupport::WriteAllBytes;

CFileEntry EntryFor(const CString& source)
{
    CFileEntry entry;
    entry.m_path = L"ProgramFilesFolder\\App\\file";
    entry.m_kind = CFileEntry::kindFile;
    entry.m_sourcePath = source;
    return entry;
}

// Clears the attributes that would stop the scratch folder from being removed.
struct AttributeReset {
    CString path;
    ~AttributeReset() { SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL); }
};

TEST(ReadFileAttributes, TakesAttributeBitsAndSizeWithoutClearingAny)
{
    struct Case { const char* name; DWORD fileAttributes; int before; int expected; };
    const Case cases[] = {
        {"plain file keeps the vital bit", FILE_ATTRIBUTE_NORMAL, 512, 512},
        {"read-only adds 1", FILE_ATTRIBUTE_READONLY, 512, 513},
        {"hidden and system add 2 and 4", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 512, 518},
        {"archive bit is not an MSI attribute", FILE_ATTRIBUTE_ARCHIVE, 0, 0},
        {"bits already set stay set", FILE_ATTRIBUTE_NORMAL, 512 | 1 | 4, 517},
    };
    ScratchFolder folder;
    int n = 0;
    for (const Case& c : cases) {
        const CString path = folder / (CString(L"f") + CString(std::to_wstring(n++)));
        ASSERT_TRUE(WriteAllBytes(path, Bytes(1000 + static_cast<size_t>(n), 'x')));
        ASSERT_TRUE(SetFileAttributesW(path, c.fileAttributes)) << c.name;
        AttributeReset reset{path};

        CFileEntry entry = EntryFor(path);
        entry.m_attributes = c.before;
        EXPECT_EQ(0u, entry.ReadFileAttributes()) << c.name;
        EXPECT_EQ(c.expected, entry.m_attributes) << c.name;
        EXPECT_EQ(1000 + n, entry.m_fileSize) << c.name;
        EXPECT_EQ(0, entry.m_componentAttributes) << c.name << ": a text file is no x64 image";
    }
}

TEST(ReadFileAttributes, UnreadableSourceReturnsTheErrorAndChangesNothing)
{
    ScratchFolder folder;
    struct Case { const char* name; CString source; DWORD expected; };
    const Case cases[] = {
        {"missing file", folder / L"missing.exe", ERROR_FILE_NOT_FOUND},
        {"missing folder", folder / L"none\\missing.exe", ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        CFileEntry entry = EntryFor(c.source);
        entry.m_fileSize = 77;
        entry.m_componentAttributes = 3;
        const Bytes before = Store(entry);
        EXPECT_EQ(c.expected, entry.ReadFileAttributes()) << c.name;
        EXPECT_EQ(before, Store(entry)) << c.name << ": the entry must stay as it was";
    }

    CFileEntry empty = EntryFor(L"");
    const Bytes before = Store(empty);
    EXPECT_NE(0u, empty.ReadFileAttributes()) << "an entry without a source path has no file";
    EXPECT_EQ(before, Store(empty));
}

TEST(ReadFileAttributes, MarksOnlyX64ImagesAs64BitComponents)
{
    ScratchFolder folder;
    std::vector<uint8_t> x64;
    ASSERT_TRUE(ReadAllBytes(FixturePath(L"console-x86_64.exe"), x64)) << "fixture console-x86_64.exe";
    ASSERT_GT(x64.size(), 512u);
    const CString truncated = folder / L"truncated.exe";
    ASSERT_TRUE(WriteAllBytes(truncated, std::vector<uint8_t>(x64.begin(), x64.begin() + 100)));

    struct Case { const char* name; CString source; int expected; };
    const Case cases[] = {
        {"x86_64 program", FixturePath(L"console-x86_64.exe"), 256},
        {"i686 program", FixturePath(L"console-i686.exe"), 0},
        {"x64 program cut before its PE header", truncated, 0},
    };
    for (const Case& c : cases) {
        CFileEntry entry = EntryFor(c.source);
        ASSERT_EQ(0u, entry.ReadFileAttributes()) << c.name;
        EXPECT_EQ(c.expected, entry.m_componentAttributes) << c.name;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(GetFileAttributesExW(c.source, GetFileExInfoStandard, &data));
        EXPECT_EQ(static_cast<int>(data.nFileSizeLow), entry.m_fileSize) << c.name;
    }
}

} // namespace
