#include "engine/files/SystemFolderTable.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <shlobj.h>
#include <string>

namespace {

// A machine described by what its shell and environment answer to the calling process.
struct FakeMachine {
    std::map<int, std::wstring> folders;
    std::map<std::wstring, std::wstring> variables;
    bool is64BitProcess = false;

    SystemFolderSource Source() const
    {
        SystemFolderSource source;
        source.shellFolder = [this](int csidl) {
            const auto it = folders.find(csidl);
            return it == folders.end() ? CString() : CString(it->second.c_str());
        };
        // Like ExpandEnvironmentStrings: an unknown variable stays as it is.
        source.expand = [this](const wchar_t* text) {
            std::wstring name(text);
            const auto it = variables.find(name.substr(1, name.size() - 2));
            return it == variables.end() ? CString(text) : CString(it->second.c_str());
        };
        source.is64BitProcess = is64BitProcess;
        return source;
    }
};

std::map<int, std::wstring> CommonFolders()
{
    return {
        {CSIDL_COMMON_DESKTOPDIRECTORY, L"C:\\Users\\Public\\Desktop"},
        {CSIDL_DESKTOPDIRECTORY, L"C:\\Users\\ann\\Desktop"},
        {CSIDL_FONTS, L"C:\\Windows\\Fonts"},
        {CSIDL_PERSONAL, L"C:\\Users\\ann\\Documents"},
        {CSIDL_APPDATA, L"C:\\Users\\ann\\AppData\\Roaming"},
        {CSIDL_LOCAL_APPDATA, L"C:\\Users\\ann\\AppData\\Local"},
        {CSIDL_COMMON_APPDATA, L"C:\\ProgramData"},
        {CSIDL_WINDOWS, L"C:\\Windows\\"}, // a trailing backslash is dropped when stored
        // No CSIDL_ADMINTOOLS: that row stays empty.
    };
}

FakeMachine Windows32()
{
    FakeMachine machine{CommonFolders(), {}, false};
    machine.folders[CSIDL_PROGRAM_FILES] = L"C:\\Program Files";
    machine.folders[CSIDL_PROGRAM_FILESX86] = L"C:\\Program Files";
    machine.folders[CSIDL_PROGRAM_FILES_COMMON] = L"C:\\Program Files\\Common Files";
    machine.folders[CSIDL_SYSTEMX86] = L"C:\\Windows\\system32";
    machine.folders[CSIDL_SYSTEM] = L"C:\\Windows\\system32";
    return machine;
}

// A 32-bit program on 64-bit Windows.
FakeMachine Wow64()
{
    FakeMachine machine{CommonFolders(),
                        {{L"ProgramW6432", L"C:\\Program Files"},
                         {L"CommonProgramW6432", L"C:\\Program Files\\Common Files"}},
                        false};
    machine.folders[CSIDL_PROGRAM_FILES] = L"C:\\Program Files (x86)";
    machine.folders[CSIDL_PROGRAM_FILES_COMMON] = L"C:\\Program Files (x86)\\Common Files";
    machine.folders[CSIDL_SYSTEMX86] = L"C:\\Windows\\SysWOW64";
    machine.folders[CSIDL_SYSTEM] = L"C:\\Windows\\system32";
    return machine;
}

// A 64-bit program on 64-bit Windows: the program-files ids name the native folders.
FakeMachine Windows64()
{
    FakeMachine machine = Wow64();
    machine.is64BitProcess = true;
    machine.folders[CSIDL_PROGRAM_FILES] = L"C:\\Program Files";
    machine.folders[CSIDL_PROGRAM_FILESX86] = L"C:\\Program Files (x86)";
    machine.folders[CSIDL_PROGRAM_FILES_COMMON] = L"C:\\Program Files\\Common Files";
    machine.folders[CSIDL_PROGRAM_FILES_COMMONX86] = L"C:\\Program Files (x86)\\Common Files";
    return machine;
}

CSystemFolderTable Resolved(const FakeMachine& machine)
{
    CSystemFolderTable table;
    table.Resolve(machine.Source());
    return table;
}

constexpr int kProgramFilesRow = 20;
constexpr int kProgramFiles64Row = 21;
constexpr int kCommonFiles64Row = 26;

TEST(SystemFolderTable, ResolvesEachRowFromItsOwnSource)
{
    const CSystemFolderTable win32 = Resolved(Windows32());
    EXPECT_EQ(CString(L"C:\\Program Files"), win32.Row(kProgramFilesRow).path);
    EXPECT_TRUE(win32.Row(kProgramFiles64Row).path.IsEmpty())
        << "an unexpanded %ProgramW6432% is no folder: " << win32.Row(kProgramFiles64Row).path.GetString();
    EXPECT_TRUE(win32.Row(kCommonFiles64Row).path.IsEmpty());
    EXPECT_TRUE(win32.GetSystemFolderPath(L"ProgramFiles64Folder").IsEmpty());
    EXPECT_TRUE(win32.GetSystemFolderPath(L"AdminToolsFolder").IsEmpty()) << "unresolvable rows stay empty";
    EXPECT_EQ(CString(L"C:\\Windows"), win32.GetSystemFolderPath(L"WindowsFolder"));
    EXPECT_EQ(CString(L"C:\\Windows"), win32.GetPathOfCsidl(CSIDL_WINDOWS));

    const CSystemFolderTable wow64 = Resolved(Wow64());
    EXPECT_EQ(CString(L"C:\\Program Files (x86)"), wow64.GetSystemFolderPath(L"ProgramFilesFolder"));
    EXPECT_EQ(CString(L"C:\\Program Files"), wow64.GetSystemFolderPath(L"\\ProgramFiles64Folder\\"));
    EXPECT_EQ(CString(L"C:\\Program Files\\Common Files"), wow64.GetSystemFolderPath(L"commonfiles64folder"));

    // The 64-bit build must describe the machine exactly as the 32-bit program sees it.
    const CSystemFolderTable win64 = Resolved(Windows64());
    for (int row = 0; row < CSystemFolderTable::kRowCount; ++row)
        EXPECT_EQ(wow64.Row(row).path, win64.Row(row).path) << "row " << row << " (" << win64.Row(row).property << ")";
}

TEST(SystemFolderTable, NeverResolvesTheTwoTempRows)
{
    FakeMachine everywhere;
    for (int csidl = -1; csidl < 64; ++csidl)
        everywhere.folders[csidl] = L"C:\\Somewhere";
    const CSystemFolderTable table = Resolved(everywhere);
    EXPECT_TRUE(table.Row(29).path.IsEmpty());
    EXPECT_TRUE(table.Row(30).path.IsEmpty());
    EXPECT_TRUE(table.IsSystemFolderName(L"Temp")) << "known although never resolved";
    EXPECT_TRUE(table.GetSystemFolderPath(L"TempFolder").IsEmpty());
}

TEST(SystemFolderTable, FolderNames)
{
    const CSystemFolderTable table;
    struct Case {
        const wchar_t* text;
        bool expected;
    } cases[] = {
        {L"\\ProgramFilesFolder\\", true},
        {L"DesktopFolder", true},
        {L"desktopfolder\\\\", true},
        {L"Temp", true},
        {L"Desktop", false},
        {L"ProgramFilesFolder\\App", false},
        {L"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, table.IsSystemFolderName(c.text)) << c.text;
}

TEST(SystemFolderTable, ConvertsPathsToPropertiesOnEveryLayout)
{
    const CSystemFolderTable win32 = Resolved(Windows32());
    const CSystemFolderTable wow64 = Resolved(Wow64());
    const CSystemFolderTable win64 = Resolved(Windows64());
    struct Case {
        const char* layout;
        const CSystemFolderTable& table;
        const wchar_t* input;
        const wchar_t* bracketed;  // ReplaceFolderPathsWithProperties, null: unchanged
        const wchar_t* relative;   // MakeFolderRelativePath, null: unchanged
    } cases[] = {
        {"32-bit", win32, L"C:\\Program Files\\App\\app.exe", L"[ProgramFilesFolder]App\\app.exe",
         L"ProgramFilesFolder\\App\\app.exe"},
        {"WOW64", wow64, L"C:\\Program Files\\App\\app.exe", L"[ProgramFiles64Folder]App\\app.exe",
         L"ProgramFiles64Folder\\App\\app.exe"},
        {"64-bit", win64, L"C:\\Program Files\\App\\app.exe", L"[ProgramFiles64Folder]App\\app.exe",
         L"ProgramFiles64Folder\\App\\app.exe"},
        {"64-bit", win64, L"c:\\program files (x86)\\App\\a.exe", L"[ProgramFilesFolder]App\\a.exe",
         L"ProgramFilesFolder\\App\\a.exe"},
        {"WOW64", wow64, L"C:\\Windows\\SysWOW64\\x.dll", L"[SystemFolder]x.dll", L"SystemFolder\\x.dll"},
        {"64-bit", win64, L"C:\\Windows\\System32\\x.dll", L"[System64Folder]x.dll", L"System64Folder\\x.dll"},
        {"32-bit", win32, L"C:\\Windows\\System32\\x.dll", L"[SystemFolder]x.dll", L"SystemFolder\\x.dll"},
        // The first matching row wins: Fonts before Windows, Program Files before Common Files.
        {"32-bit", win32, L"C:\\Windows\\Fonts\\x.ttf", L"[FontsFolder]x.ttf", L"FontsFolder\\x.ttf"},
        {"32-bit", win32, L"C:\\Program Files\\Common Files\\x.dll", L"[ProgramFilesFolder]Common Files\\x.dll",
         L"ProgramFilesFolder\\Common Files\\x.dll"},
        {"WOW64", wow64, L"C:\\Program Files (x86)\\Common Files\\x.dll", L"[ProgramFilesFolder]Common Files\\x.dll",
         L"ProgramFilesFolder\\Common Files\\x.dll"},
        {"32-bit", win32, L"C:\\Users\\Public\\Desktop\\a.lnk", L"[DesktopFolder]a.lnk", L"DesktopFolder\\a.lnk"},
        {"32-bit", win32, L"C:\\Windows\\notepad.exe", L"[WindowsFolder]notepad.exe", L"WindowsFolder\\notepad.exe"},
        // Every occurrence is replaced, but only a leading folder makes a relative path.
        {"WOW64", wow64, L"\"C:\\Program Files (x86)\\App\\a.exe\" /log=C:\\Windows\\l.txt",
         L"\"[ProgramFilesFolder]App\\a.exe\" /log=[WindowsFolder]l.txt", nullptr},
        // A folder matches only with the backslash that follows it.
        {"32-bit", win32, L"C:\\Windows", nullptr, nullptr},
        {"32-bit", win32, L"C:\\WindowsApps\\x", nullptr, nullptr},
        {"32-bit", win32, L"D:\\Data\\x.txt", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        CString bracketed(c.input);
        EXPECT_EQ(c.bracketed != nullptr, c.table.ReplaceFolderPathsWithProperties(bracketed)) << c.layout << ": " << c.input;
        EXPECT_EQ(CString(c.bracketed ? c.bracketed : c.input), bracketed) << c.layout << ": " << c.input;
        CString relative(c.input);
        EXPECT_EQ(c.relative != nullptr, c.table.MakeFolderRelativePath(relative)) << c.layout << ": " << c.input;
        EXPECT_EQ(CString(c.relative ? c.relative : c.input), relative) << c.layout << ": " << c.input;
    }
}

} // namespace
