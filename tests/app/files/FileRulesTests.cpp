// The files editor's window-free rules: the size text, the rows of a folder, the machine folder of
// a destination path, the names the dialogs accept, and the monitoring-filter edits.

#include "app/files/FileRules.h"

#include "engine/storage/Projects.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

// Failure text shows texts as text.
inline void PrintTo(const CString& text, std::ostream* os)
{
    *os << '"' << testing::PrintToString(std::wstring(text.GetString())) << '"';
}

namespace {

CFileEntry Entry(const wchar_t* path, int kind, const wchar_t* source = L"")
{
    CFileEntry entry;
    entry.m_path = path;
    entry.m_kind = kind;
    entry.m_sourcePath = source;
    return entry;
}

// Source files named "missing..." do not exist; every other one does.
bool FakeExists(const CString& path)
{
    return path.Find(L"missing") < 0;
}

struct Row {
    std::wstring text;
    std::wstring type;
    int image;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& row)
{
    return os << std::string(row.text.begin(), row.text.end()) << '/' << std::string(row.type.begin(), row.type.end())
              << '/' << row.image;
}

std::vector<Row> Rows(const CFileEntries& entries, FolderRowsArgs args)
{
    args.fileExists = &FakeExists;
    std::vector<Row> rows;
    for (const FolderRow& row : ListFolderRows(entries, args))
        rows.push_back({row.text.GetString(), row.type, row.image});
    return rows;
}

TEST(FileSize, KilobytesRoundedAndGroupedByThrees)
{
    struct Case {
        DWORD bytes;
        const wchar_t* text;
    } cases[] = {
        {0, L"1 KB"},
        {1024, L"1 KB"},
        {1536, L"2 KB"},
        {1263616, L"1,234 KB"},
        {1234567u * 1024u, L"1,234,567 KB"},
        {0xFFFFFFFFu, L"4,194,304 KB"},
        {1023 * 1024, L"1,023 KB"},
        {999 * 1024, L"999 KB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFileSize(c.bytes), c.text) << c.bytes;
}

TEST(FolderRows, SubfoldersFirstThenFilesAndShortcutsWithTheirImages)
{
    CFileEntries entries;
    entries.Add(Entry(L"ProgramFilesFolder\\", CFileEntry::kindRoot));
    entries.Add(Entry(L"ProgramFilesFolder\\App\\", CFileEntry::kindFolder));
    entries.Add(Entry(L"ProgramFilesFolder\\App\\b.exe", CFileEntry::kindFile, L"C:\\src\\b.exe"));
    entries.Add(Entry(L"ProgramFilesFolder\\App\\Sub\\c.dll", CFileEntry::kindFile, L"C:\\src\\c.dll"));
    entries.Add(Entry(L"programfilesfolder\\app\\a.exe", CFileEntry::kindFile, L"C:\\src\\missing.exe"));
    entries.Add(Entry(L"ProgramFilesFolder\\APP\\SUB\\", CFileEntry::kindFolder));
    entries.Add(Entry(L"ProgramFilesFolder\\App\\Run b.lnk", CFileEntry::kindShortcut, L"ProgramFilesFolder\\app\\B.EXE"));
    entries.Add(Entry(L"ProgramFilesFolder\\App\\Broken.lnk", CFileEntry::kindShortcut, L"ProgramFilesFolder\\App\\gone.exe"));
    entries.Add(Entry(L"ProgramFilesFolder\\Apple\\d.exe", CFileEntry::kindFile, L"C:\\src\\d.exe"));

    FolderRowsArgs args;
    args.folder = L"ProgramFilesFolder\\App\\";
    EXPECT_EQ(Rows(entries, args), (std::vector<Row>{
                                       {L"Sub", L"Folder", imageFolder},
                                       {L"a.exe", L"File", imageMissing},
                                       {L"b.exe", L"File", imageFile},
                                       {L"Broken.lnk", L"Shortcut", imageMissing},
                                       {L"Run b.lnk", L"Shortcut", imageShortcut},
                                   }))
        << "entries in other letter case lie in the same folder; Apple is no part of App";

    args.folder.Empty();
    EXPECT_EQ(Rows(entries, args), (std::vector<Row>{{L"ProgramFilesFolder", L"Folder", imageFolder}}))
        << "the top level lists the roots through the entries below them";
}

TEST(FolderRows, ThePickersFilterShowsOnlyFoldersHoldingAMatchAndOnlyFiles)
{
    CFileEntries entries;
    for (const wchar_t* path : {L"Temp\\setup.exe", L"Temp\\readme.txt", L"Temp\\bin\\tool.exe", L"Temp\\docs\\a.txt"})
        entries.Add(Entry(path, CFileEntry::kindFile, L"C:\\src\\x"));
    entries.Add(Entry(L"Temp\\Start.exe", CFileEntry::kindShortcut, L"Temp\\setup.exe"));
    FolderRowsArgs args;
    args.folder = L"Temp\\";
    args.filter = L".EXE";
    args.filesOnly = true;
    EXPECT_EQ(Rows(entries, args), (std::vector<Row>{{L"bin", L"Folder", imageFolder}, {L"setup.exe", L"File", imageFile}}));
}

TEST(MachinePath, OnlyTheFirstNameMapsAndOnlyAWholeName)
{
    CSystemFolderTable table;
    SystemFolderSource source;
    source.shellFolder = [](int csidl) -> CString {
        switch (csidl) {
        case 38: return L"C:\\Program Files (x86)";
        case 26: return L"C:\\Users\\u\\AppData\\Roaming";
        case 35: return L"C:\\ProgramData";
        case 25: return L"C:\\Users\\Public\\Desktop";
        case 16: return L"C:\\Users\\u\\Desktop";
        default: return CString();
        }
    };
    source.expand = [](const wchar_t*) { return CString(); };
    table.Resolve(source);
    struct Case {
        const wchar_t* path;
        const wchar_t* mapped;
    } cases[] = {
        {L"ProgramFilesFolder\\Vendor\\", L"C:\\Program Files (x86)\\Vendor\\"},
        {L"programfilesfolder\\Vendor\\", L"C:\\Program Files (x86)\\Vendor\\"},
        {L"CommonAppDataFolder\\Vendor\\", L"C:\\ProgramData\\Vendor\\"},
        {L"AppDataFolder\\Vendor\\AppDataFolder\\", L"C:\\Users\\u\\AppData\\Roaming\\Vendor\\AppDataFolder\\"},
        {L"DesktopFolder\\", L"C:\\Users\\Public\\Desktop\\"},
        {L"Temp\\Vendor\\", L"Temp\\Vendor\\"},
        {L"Vendor\\ProgramFilesFolder\\", L"Vendor\\ProgramFilesFolder\\"},
        {L"SystemFolder\\", L"SystemFolder\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MapToMachinePath(c.path, table), c.mapped) << testing::PrintToString(std::wstring(c.path));
}

TEST(EntryNames, TheDialogsNameRule)
{
    CFileEntries entries;
    entries.Add(Entry(L"P\\App\\a.exe", CFileEntry::kindFile));
    entries.Add(Entry(L"P\\App\\b.exe", CFileEntry::kindFile));
    entries.Add(Entry(L"P\\App\\Sub\\", CFileEntry::kindFolder));
    entries.Add(Entry(L"P\\App\\Run.lnk", CFileEntry::kindShortcut));
    struct Case {
        const char* what;
        const wchar_t* start;
        const wchar_t* typed;
        bool newShortcut;
        const wchar_t* path;
    } cases[] = {
        {"forbidden characters go", L"P\\App\\a.exe", L"a:b.exe", false, L"P\\App\\ab.exe"},
        {"only forbidden and blanks", L"P\\App\\a.exe", L" :*? ", false, L""},
        {"its own path in other case", L"P\\App\\a.exe", L"A.EXE", false, L"P\\App\\A.EXE"},
        {"another file's name", L"P\\App\\a.exe", L"B.exe", false, L""},
        {"a new shortcut over a file", L"P\\App\\b.exe", L"b.exe", true, L""},
        {"a new shortcut over a folder entry", L"P\\App\\Sub", L"Sub", true, L""},
        {"a new shortcut over a shortcut at its proposed path", L"P\\App\\Run.lnk", L"Run.lnk", true, L"P\\App\\Run.lnk"},
        {"a new shortcut over another shortcut", L"P\\App\\New", L"Run.lnk", true, L""},
        {"a free name", L"P\\App\\New", L" Tool.lnk ", true, L"P\\App\\Tool.lnk"},
        {"a file renamed like a folder", L"P\\App\\a.exe", L"sub", false, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RenamedPath(entries, c.start, c.start, c.typed, c.newShortcut), c.path) << c.what;
}

}  // namespace
