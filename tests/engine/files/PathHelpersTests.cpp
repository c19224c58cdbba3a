#include "engine/files/PathHelpers.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(PathHelpers, TrimBackslashes)
{
    struct Case {
        const wchar_t* input;
        const wchar_t* trailingTrimmed;
        const wchar_t* leadingTrimmed;
    } cases[] = {
        {L"C:\\a\\b\\\\\\", L"C:\\a\\b", L"C:\\a\\b\\\\\\"},
        {L"\\\\\\", L"", L""},
        {L"", L"", L""},
        {L"\\\\server\\share\\", L"\\\\server\\share", L"server\\share\\"},
        {L"C:\\a\\b", L"C:\\a\\b", L"C:\\a\\b"},
    };
    for (const Case& c : cases) {
        CString trailing(c.input);
        TrimTrailingBackslashes(trailing);
        EXPECT_EQ(CString(c.trailingTrimmed), trailing) << "trailing, input " << c.input;
        CString stripped(c.input);
        StripTrailingBackslashes(stripped);
        EXPECT_EQ(trailing, stripped) << "the two names do one thing";
        CString leading(c.input);
        TrimLeadingBackslashes(leading);
        EXPECT_EQ(CString(c.leadingTrimmed), leading) << "leading, input " << c.input;
    }
}

TEST(PathHelpers, FolderParts)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* folderWithSlash;
    } cases[] = {
        {L"C:\\dir\\file.tkpj", L"C:\\dir", L"C:\\dir\\"},
        {L"file.tkpj", L"", L""},
        {L"C:\\dir\\", L"C:\\dir", L"C:\\dir\\"},
        {L"\"C:\\Program Files\\Tarnwick\\tarnwick.exe\"", L"\"C:\\Program Files\\Tarnwick",
         L"\"C:\\Program Files\\Tarnwick\\"},
        {L"", L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CString(c.folder), GetFolderPart(c.path)) << c.path;
        EXPECT_EQ(CString(c.folderWithSlash), GetFolderPartWithSlash(c.path)) << c.path;
    }
}

TEST(PathHelpers, ReplaceNoCase)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* search;
        const wchar_t* replacement;
        const wchar_t* expected;
        int count;
    } cases[] = {
        {L"c:\\program files\\App\\app.exe", L"C:\\Program Files\\", L"[ProgramFilesFolder]",
         L"[ProgramFilesFolder]App\\app.exe", 1},
        {L"\"C:\\WINDOWS\\a.exe\" /dir=c:\\windows\\x", L"C:\\Windows\\", L"[WindowsFolder]",
         L"\"[WindowsFolder]a.exe\" /dir=[WindowsFolder]x", 2},
        {L"nothing here", L"C:\\Windows\\", L"[WindowsFolder]", L"nothing here", 0},
        {L"abc", L"", L"x", L"abc", 0},
        // A replacement holding the search text must not loop for ever.
        {L"a-a", L"A", L"[a]", L"[a]-[a]", 2},
    };
    for (const Case& c : cases) {
        CString text(c.text);
        EXPECT_EQ(c.count, ReplaceNoCase(text, c.search, c.replacement)) << c.text;
        EXPECT_EQ(CString(c.expected), text) << c.text;
    }
}

TEST(PathHelpers, MakeTempFileNameCreatesAnEmptyFileInTheTempFolder)
{
    const CString first = MakeTempFileName();
    const CString second = MakeTempFileName();
    ASSERT_FALSE(first.IsEmpty());
    EXPECT_NE(first, second);
    wchar_t temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
    EXPECT_EQ(0, GetFolderPartWithSlash(first).CompareNoCase(temp)) << first.GetString() << " is not in " << temp;
    const CString name = first.Mid(GetFolderPartWithSlash(first).GetLength());
    EXPECT_EQ(L'0', name[0]) << "the prefix \"0\": " << name.GetString();
    std::vector<uint8_t> bytes{1};
    EXPECT_TRUE(testsupport::ReadAllBytes(first, bytes));
    EXPECT_TRUE(bytes.empty());
    DeleteFileW(first);
    DeleteFileW(second);
}

TEST(PathHelpers, MakeTempFileNameReportsWhyItMadeNoName)
{
    testsupport::ScratchFolder scratch;
    const CString missing = scratch / L"gone\\";
    wchar_t saved[MAX_PATH] = {};
    const DWORD savedLength = GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
    ASSERT_TRUE(SetEnvironmentVariableW(L"TMP", missing));
    DWORD error = 0;
    const CString name = MakeTempFileName(&error);
    SetEnvironmentVariableW(L"TMP", savedLength ? saved : nullptr);
    EXPECT_TRUE(name.IsEmpty()) << name.GetString();
    EXPECT_NE(0u, error) << "a missing temporary folder must not read as success";

    const CString made = MakeTempFileName(&error);
    EXPECT_FALSE(made.IsEmpty());
    EXPECT_EQ(0u, error);
    DeleteFileW(made);
}

} // namespace
