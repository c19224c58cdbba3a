#include "engine/msi/MsiNames.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using testsupport::FixturePath;

// The short part of a "short|long" text, or the whole text when it has no "|".
CString ShortPart(const CString& text)
{
    const int bar = text.Find(L'|');
    return bar < 0 ? text : text.Left(bar);
}

struct NameStep {
    const wchar_t* path;
    const wchar_t* expected;
};

struct NameCase {
    const char* name;
    std::vector<NameStep> steps; // handed to one list in order
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class ShortLongNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ShortLongNameTest, GivesValidUniqueShortNames)
{
    CShortNames names;
    for (const NameStep& step : GetParam().steps) {
        const CString result = names.MakeShortLongName(step.path);
        EXPECT_EQ(testsupport::Utf8(step.expected), testsupport::Utf8(result.View()))
            << "for " << testsupport::Utf8(step.path);
        EXPECT_TRUE(CShortNames::IsValidShortName(ShortPart(result)))
            << "short part of " << testsupport::Utf8(result.View()) << " is not a valid 8.3 name";
    }
}

const wchar_t kApp[] = L"ProgramFilesFolder\\App\\";

INSTANTIATE_TEST_SUITE_P(Names, ShortLongNameTest, ::testing::Values(
    NameCase{"already_short", {{L"ProgramFilesFolder\\App\\readme.txt", L"readme.txt"},
                               {L"ProgramFilesFolder\\App\\setup.exe", L"setup.exe"},
                               {L"ProgramFilesFolder\\App\\INSTALL", L"INSTALL"}}},
    NameCase{"long_names", {{L"ProgramFilesFolder\\App\\LongFileName.html", L"LongFil.htm|LongFileName.html"},
                            {L"ProgramFilesFolder\\App\\My Program.exe", L"MyProgr.exe|My Program.exe"},
                            {L"ProgramFilesFolder\\App\\My Programs.exe", L"MyProg~1.exe|My Programs.exe"}}},
    // Several dots: only the last one begins the extension.
    NameCase{"dots", {{L"ProgramFilesFolder\\App\\my.file.name.txt", L"myfilen.txt|my.file.name.txt"},
                      {L"ProgramFilesFolder\\App\\my.file.txt", L"myfile.txt|my.file.txt"},
                      {L"ProgramFilesFolder\\App\\txt.txt.backup.txt", L"txttxtb.txt|txt.txt.backup.txt"},
                      {L"ProgramFilesFolder\\App\\a.b.c.d.e", L"abcd.e|a.b.c.d.e"},
                      {L"ProgramFilesFolder\\App\\.gitignore", L"gitigno|.gitignore"}}},
    // Names used unchanged are registered too, whichever comes first.
    NameCase{"readme_then_read_me", {{L"ProgramFilesFolder\\App\\readme.txt", L"readme.txt"},
                                     {L"ProgramFilesFolder\\App\\read me.txt", L"readme~1.txt|read me.txt"}}},
    NameCase{"read_me_then_readme", {{L"ProgramFilesFolder\\App\\read me.txt", L"readme.txt|read me.txt"},
                                     {L"ProgramFilesFolder\\App\\readme.txt", L"readme~1.txt|readme.txt"}}},
    // One name in two cases is one file on disk: it keeps its name; other names see it taken.
    NameCase{"case_does_not_count", {{L"ProgramFilesFolder\\App\\README.TXT", L"README.TXT"},
                                     {L"ProgramFilesFolder\\App\\readme.txt", L"readme.txt"},
                                     {L"ProgramFilesFolder\\App\\Read Me.txt", L"ReadMe~1.txt|Read Me.txt"}}},
    NameCase{"two_folders", {{L"ProgramFilesFolder\\A\\My Program.exe", L"MyProgr.exe|My Program.exe"},
                             {L"ProgramFilesFolder\\B\\My Program.exe", L"MyProgr.exe|My Program.exe"}}},
    // A folder path names that folder; its siblings share its parent's names.
    NameCase{"folders", {{L"ProgramFilesFolder\\App\\Data\\", L"Data"},
                         {L"ProgramFilesFolder\\Program Files A\\", L"Program|Program Files A"},
                         {L"ProgramFilesFolder\\Program Files B\\", L"Progra~1|Program Files B"},
                         {L"ProgramFilesFolder\\App\\Data\\Program Files A\\", L"Program|Program Files A"}}},
    NameCase{"roots", {{L"WindowsFolder\\", L"Windows|WindowsFolder"},
                       {L"ProgramFilesFolder\\", L"Program|ProgramFilesFolder"},
                       {L"ProgramFiles64Folder\\", L"Progra~1|ProgramFiles64Folder"}}},
    NameCase{"characters", {{L"ProgramFilesFolder\\App\\O'Reilly.txt", L"O'Reilly.txt"},
                            {L"ProgramFilesFolder\\App\\[].txt", L"txt|[].txt"},
                            {L"ProgramFilesFolder\\App\\[=]", L"_|[=]"},
                            {L"ProgramFilesFolder\\App\\\u00dcn\u00efc\u00f6de.txt", L"ncde.txt|\u00dcn\u00efc\u00f6de.txt"},
                            {L"ProgramFilesFolder\\App\\a=b;c.txt", L"abc.txt|a=b;c.txt"}}}),
    [](const ::testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

TEST(ShortLongName, CounterGrowsIntoTheBase)
{
    CShortNames names;
    EXPECT_EQ(testsupport::Utf8(L"MyProgr.exe|My Program.exe"),
              testsupport::Utf8(names.MakeShortLongName(CString(kApp) + L"My Program.exe").View()));
    for (int i = 1; i <= 9; ++i) {
        CString path;
        path.Format(L"%sMy Program %d.exe", kApp, i);
        CString expected;
        expected.Format(L"MyProg~%d.exe", i);
        EXPECT_EQ(testsupport::Utf8(expected.View()),
                  testsupport::Utf8(ShortPart(names.MakeShortLongName(path)).View()));
    }
    EXPECT_EQ(testsupport::Utf8(L"MyPro~10.exe|My Programs.exe"),
              testsupport::Utf8(names.MakeShortLongName(CString(kApp) + L"My Programs.exe").View()));
}

// A name that is a valid short name keeps it when it was reserved before its siblings were named,
// whichever comes first; a second reservation or naming of the same long name changes nothing.
TEST(ShortLongName, ReservedNamesStayTheirOwn)
{
    CShortNames names;
    names.Reserve(L"ProgramFilesFolder\\App\\readme.txt");
    names.Reserve(L"ProgramFilesFolder\\App\\read me.txt");
    names.Reserve(L"ProgramFilesFolder\\App\\Data\\");
    EXPECT_EQ("readme~1.txt|read me.txt",
              testsupport::Utf8(names.MakeShortLongName(L"ProgramFilesFolder\\App\\read me.txt").View()));
    EXPECT_EQ("readme.txt", testsupport::Utf8(names.MakeShortLongName(L"ProgramFilesFolder\\App\\readme.txt").View()));
    EXPECT_EQ("README.TXT", testsupport::Utf8(names.MakeShortLongName(L"ProgramFilesFolder\\App\\README.TXT").View()));
    EXPECT_EQ("readme~1.txt|read me.txt",
              testsupport::Utf8(names.MakeShortLongName(L"ProgramFilesFolder\\App\\read me.txt").View()));
    EXPECT_EQ("Data~1|Da ta", testsupport::Utf8(names.MakeShortLongName(L"ProgramFilesFolder\\App\\Da ta\\").View()));
    EXPECT_EQ("Data", testsupport::Utf8(names.MakeShortLongName(L"ProgramFilesFolder\\App\\Data\\").View()));
}

TEST(ShortName, Validity)
{
    struct Case {
        const wchar_t* name;
        bool valid;
    };
    const Case cases[] = {
        {L"readme.txt", true}, {L"INSTALL", true}, {L"12345678.abc", true}, {L"a~1.x", true},
        {L"123456789", false}, {L"abc.defg", false}, {L"my.file.txt", false}, {L".gitignore", false},
        {L"abc.", false}, {L"", false}, {L"read me.txt", false}, {L"a+b.txt", false},
        {L"\u00e9t\u00e9.txt", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.valid, CShortNames::IsValidShortName(c.name)) << testsupport::Utf8(c.name);
}

TEST(RedirectTempPath, MovesOnlyTheLeadingTempRoot)
{
    const CString id = L"{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
    struct Case {
        const wchar_t* path;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"Temp\\", L"WindowsFolder\\Temp\\{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}\\"},
        {L"Temp\\setup.exe", L"WindowsFolder\\Temp\\{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}\\setup.exe"},
        {L"Temp\\AppTemp\\x.dll",
         L"WindowsFolder\\Temp\\{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}\\AppTemp\\x.dll"},
        {L"ProgramFilesFolder\\AppTemp\\x.dll", L"ProgramFilesFolder\\AppTemp\\x.dll"},
        {L"WindowsFolder\\Temp\\x.dll", L"WindowsFolder\\Temp\\x.dll"},
        {L"temp\\x.dll", L"temp\\x.dll"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(testsupport::Utf8(c.expected), testsupport::Utf8(RedirectTempPath(c.path, id).View()))
            << testsupport::Utf8(c.path);
}

TEST(FileVersionText, ReadsTheFixedVersion)
{
    EXPECT_EQ("1.2.0.15", testsupport::Utf8(GetFileVersionText(FixturePath(L"msi-versioned.exe")).View()));
    testsupport::ScratchFolder scratch;
    const CString text = scratch / L"notes.txt";
    ASSERT_TRUE(testsupport::WriteAllBytes(text, {'h', 'i'}));
    EXPECT_EQ("", testsupport::Utf8(GetFileVersionText(text).View()));
    EXPECT_EQ("", testsupport::Utf8(GetFileVersionText(scratch / L"missing.dll").View()));
}

} // namespace
