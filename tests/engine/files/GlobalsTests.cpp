#include "engine/files/Globals.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

bool IsFolder(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(InitGlobals, SetsUpTheStateOnThisMachine)
{
    CurrentPackageIndex = 7;
    CurrentProjectIndex = 3;
    CString message;
    ASSERT_EQ(0u, InitGlobals(&message)) << message.GetString();

    wchar_t documents[MAX_PATH];
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents));
    EXPECT_EQ(CString(documents) + L"\\Tarnwick", DataFolder);
    EXPECT_TRUE(IsFolder(DataFolder)) << DataFolder.GetString();
    EXPECT_EQ(0, CurrentPackageIndex);
    EXPECT_EQ(0, CurrentProjectIndex);
    EXPECT_EQ(0, IsWow64) << "Wine runs only 64-bit programs here, and a 64-bit program is never under WOW64";

    // The stop event is named, manual reset and starts unsignalled.
    ASSERT_TRUE(StopEventHandle);
    UniqueKernelHandle byName(OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, L"StopEvent"));
    ASSERT_TRUE(byName) << "OpenEventW(\"StopEvent\") failed with " << GetLastError();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(StopEventHandle.Get(), 0));
    ASSERT_TRUE(SetEvent(byName.Get()));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(StopEventHandle.Get(), 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(StopEventHandle.Get(), 0)) << "a wait must not reset it";
    ASSERT_TRUE(ResetEvent(byName.Get()));

    // Wine gives one layout only; these hold on any machine.
    EXPECT_TRUE(SystemFolderTable.Row(29).path.IsEmpty());
    EXPECT_TRUE(SystemFolderTable.Row(30).path.IsEmpty());
    for (int row = 0; row < CSystemFolderTable::kRowCount; ++row) {
        const CString& path = SystemFolderTable.Row(row).path;
        EXPECT_TRUE(path.IsEmpty() || (path[path.GetLength() - 1] != L'\\' && path.Find(L'%') < 0))
            << "row " << row << ": " << path.GetString();
    }
    const CString programFiles = GetSystemFolderPath(L"ProgramFilesFolder");
    EXPECT_FALSE(programFiles.IsEmpty());
    if (sizeof(void*) == 8) {
        EXPECT_NE(programFiles, GetSystemFolderPath(L"ProgramFiles64Folder"))
            << "the 64-bit build must map ProgramFilesFolder to the x86 folder";
    }
    CString path = programFiles + L"\\App\\app.exe";
    EXPECT_TRUE(ReplaceFolderPathsWithProperties(path));
    EXPECT_EQ(CString(L"[ProgramFilesFolder]App\\app.exe"), path);
    path = GetSystemFolderPath(L"WindowsFolder") + L"\\Fonts\\x.ttf";
    EXPECT_TRUE(MakeFolderRelativePath(path));
    EXPECT_EQ(CString(L"FontsFolder\\x.ttf"), path);
}

TEST(InitGlobals, FailsClearlyWithoutADocumentsFolder)
{
    SystemFolderSource source = SystemFolderSource::ThisMachine();
    const auto realShell = source.shellFolder;
    source.shellFolder = [realShell](int csidl) { return csidl == CSIDL_PERSONAL ? CString() : realShell(csidl); };
    DataFolder = L"unchanged";
    CString message;
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), InitGlobals(source, &message));
    EXPECT_NE(-1, message.Find(L"Documents")) << message.GetString();
    EXPECT_EQ(CString(L"unchanged"), DataFolder) << "no data folder is made up";
}

TEST(RegistryRoots, NamesAndRecognition)
{
    EXPECT_STREQ(L"HKEY_CLASSES_ROOT", RegistryRootNames[0]);
    EXPECT_STREQ(L"Per User/Machine Hive", RegistryRootNames[4]);
    struct Case {
        const wchar_t* text;
        bool expected;
    } cases[] = {
        {L"hkey_local_machine\\", true},
        {L"HKEY_LOCAL_MACHINE\\Software", false},
        {L"per user/machine hive", true},
        {L"HKEY_USERS\\\\", true},
        {L"\\HKEY_USERS", false},
        {L"HKLM", false},
        {L"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, IsRegistryRootName(c.text)) << c.text;
}

TEST(FormatSystemErrorText, OneLineWithTheCodeInHex)
{
    const CString notFound = FormatSystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_GT(notFound.GetLength(), 7) << "expected a message before the code: " << notFound.GetString();
    EXPECT_EQ(CString(L" (0x2)"), notFound.Right(6)) << notFound.GetString();

    // Messages with inserts must come back with the inserts as written, not read from nowhere.
    for (DWORD code : {DWORD(ERROR_WRONG_DISK), DWORD(ERROR_INSTALL_FAILURE), DWORD(ERROR_ACCESS_DENIED)}) {
        const CString text = FormatSystemErrorText(code);
        EXPECT_EQ(-1, text.FindOneOf(L"\r\n")) << code << ": " << text.GetString();
        EXPECT_NE(L' ', text[0]) << code << ": " << text.GetString();
    }
    EXPECT_EQ(CString(L"(0x2000ABCD)"), FormatSystemErrorText(0x2000ABCD)) << "no message: the code alone";
}

} // namespace
