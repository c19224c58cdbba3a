// The window-free rules behind the monitoring settings and the installed programs: which filter
// texts may be added, which uninstall entries are listed and what their rows show, and which
// uninstall keys are visited in which registry view.

#include "app/monitor/FilterRules.h"
#include "app/monitor/UninstallEntries.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

std::vector<std::wstring> Texts(const CExludeList& list)
{
    std::vector<std::wstring> texts;
    for (POSITION position = list.GetHeadPosition(); position;)
        texts.emplace_back(list.GetNext(position).GetString());
    return texts;
}

UninstallValues Entry(const wchar_t* name, const wchar_t* command)
{
    UninstallValues values;
    if (name)
        values.displayName = CString(name);
    if (command)
        values.uninstallString = CString(command);
    return values;
}

} // namespace

TEST(FilterRules, BlankTextsAreNeverAdded)
{
    for (const wchar_t* blank : {L"", L" ", L"\t \t", L"  \\\\ ", L"\\"}) {
        CExludeList filter;
        EXPECT_FALSE(AddPathToFilter(filter, blank)) << Utf8(blank);
        EXPECT_TRUE(filter.IsEmpty()) << Utf8(blank);
    }
    EXPECT_TRUE(IsBlankFilterText(L" \t "));
    EXPECT_FALSE(IsBlankFilterText(L" x "));
}

TEST(FilterRules, AddedPathsAreTrimmedAndKeptOnce)
{
    CExludeList filter;
    filter.AddTail(L"ProgramFilesFolder\\Old");
    EXPECT_TRUE(AddPathToFilter(filter, L"  HKEY_CURRENT_USER\\Software\\Wine\\\\ "));
    EXPECT_FALSE(AddPathToFilter(filter, L"HKEY_CURRENT_USER\\Software\\Wine\\")) << "exactly that text is there";
    EXPECT_TRUE(AddPathToFilter(filter, L"hkey_current_user\\software\\wine")) << "the match is exact, case counts";
    EXPECT_EQ(Texts(filter), (std::vector<std::wstring>{L"ProgramFilesFolder\\Old", L"HKEY_CURRENT_USER\\Software\\Wine",
                                                        L"hkey_current_user\\software\\wine"}));
}

TEST(UninstallFilter, EachRuleHidesItsEntries)
{
    struct Case {
        const char* what;
        UninstallValues values;
        UninstallOptions options;
        bool listed;
    };
    auto with = [](UninstallValues values, auto change) {
        change(values);
        return values;
    };
    const UninstallOptions none;
    const UninstallOptions updates{true, false};
    const UninstallOptions installer{false, true};
    const UninstallValues plain = Entry(L"Editor", L"C:\\Editor\\uninst.exe");
    const Case cases[] = {
        {"a plain entry", plain, none, true},
        {"SystemComponent", with(plain, [](auto& v) { v.systemComponent = 1; }), none, false},
        {"SystemComponent even with every option", with(plain, [](auto& v) { v.systemComponent = 7; }), {true, true}, false},
        {"release type update", with(plain, [](auto& v) { v.releaseType = CString(L"Security Update"); }), none, false},
        {"release type hotfix", with(plain, [](auto& v) { v.releaseType = CString(L"HotFix"); }), none, false},
        {"release type update, updates shown", with(plain, [](auto& v) { v.releaseType = CString(L"Update"); }), updates, true},
        {"another release type", with(plain, [](auto& v) { v.releaseType = CString(L"Application"); }), none, true},
        {"no command", Entry(L"Editor", nullptr), {true, true}, false},
        {"no name", Entry(nullptr, L"C:\\x.exe"), {true, true}, false},
        {"(KB name", Entry(L"Fix for Editor (Kb123456)", L"C:\\kb.exe"), none, false},
        {"(KB name, updates shown", Entry(L"Fix for Editor (KB123456)", L"C:\\kb.exe"), updates, true},
        {"msiexec command", Entry(L"Package", L"MsiExec.exe /I{1}"), none, false},
        {"msiexec command, packages shown", Entry(L"Package", L"MsiExec.exe /I{1}"), installer, true},
    };
    for (const Case& c : cases) {
        CUninstallFilter filter(c.options);
        EXPECT_EQ(filter.Take(c.values).has_value(), c.listed) << c.what;
    }
}

TEST(UninstallFilter, RowsShowTheEntryAndInstallerCommandsRemove)
{
    CUninstallFilter filter(UninstallOptions{false, true});
    UninstallValues values = Entry(L"Package", L"MsiExec.exe /I{AB} REBOOT=0 other.exe /I");
    values.displayVersion = CString(L"2.5");
    values.displayIcon = CString(L"C:\\p.exe,1");
    values.lastWrite = {1, 2};
    const std::optional<UninstallRow> row = filter.Take(values);
    ASSERT_TRUE(row);
    EXPECT_EQ(std::wstring(row->name), L"Package");
    EXPECT_EQ(std::wstring(row->version), L"2.5");
    EXPECT_EQ(std::wstring(row->command), L"MsiExec.exe /X{AB} REBOOT=0 other.exe /X");
    EXPECT_EQ(std::wstring(row->iconPath), L"C:\\p.exe,1");
    EXPECT_EQ(row->lastWrite.dwLowDateTime, 1u);

    // Only installer-package commands take the removal form.
    const std::optional<UninstallRow> other = filter.Take(Entry(L"Tool", L"C:\\tool.exe /I"));
    ASSERT_TRUE(other);
    EXPECT_EQ(std::wstring(other->command), L"C:\\tool.exe /I");
    EXPECT_EQ(std::wstring(RemovalCommand(L"a.exe /i b.exe /I")), L"a.exe /i b.exe /X") << "the letter case counts";
}

TEST(UninstallFilter, AProgramRegisteredTwiceIsListedOnce)
{
    CUninstallFilter filter(UninstallOptions{false, true});
    EXPECT_TRUE(filter.Take(Entry(L"Editor", L"C:\\Editor\\uninst.exe")));
    EXPECT_FALSE(filter.Take(Entry(L"Editor (per user)", L"C:\\Editor\\uninst.exe"))) << "same command as read";
    EXPECT_TRUE(filter.Take(Entry(L"Editor", L"c:\\editor\\uninst.exe"))) << "the comparison is exact";
    // An installer package registered in both registry views: the second entry's command is the
    // first one's as read, or already the removal form the first row shows.
    EXPECT_TRUE(filter.Take(Entry(L"Package", L"MsiExec.exe /I{1}")));
    EXPECT_FALSE(filter.Take(Entry(L"Package", L"MsiExec.exe /I{1}")));
    EXPECT_FALSE(filter.Take(Entry(L"Package", L"MsiExec.exe /X{1}")));
    // A hidden entry leaves its command free for a later one.
    UninstallValues hidden = Entry(L"Hidden", L"C:\\shared.exe");
    hidden.systemComponent = 1;
    EXPECT_FALSE(filter.Take(hidden));
    EXPECT_TRUE(filter.Take(Entry(L"Visible", L"C:\\shared.exe")));
}

TEST(UninstallKeys, EveryKeyIsVisitedInBothViewsWhereThereAreTwo)
{
    EXPECT_EQ(OtherRegistryView(true, false), static_cast<REGSAM>(KEY_WOW64_32KEY)) << "a 64-bit program";
    EXPECT_EQ(OtherRegistryView(false, true), static_cast<REGSAM>(KEY_WOW64_64KEY)) << "a 32-bit program under WOW64";
    EXPECT_EQ(OtherRegistryView(false, false), 0u) << "a 32-bit program on 32-bit Windows";

    const std::vector<UninstallKey> keys = UninstallKeysToVisit({L"S-1-5-18", L"S-1-5-21-1"}, KEY_WOW64_32KEY);
    ASSERT_EQ(keys.size(), 6u);
    const std::wstring user = std::wstring(L"S-1-5-21-1\\") + kUninstallKeyPath;
    for (int pass = 0; pass < 2; ++pass) {
        const REGSAM view = pass ? KEY_WOW64_32KEY : 0;
        EXPECT_EQ(keys[pass * 3].root, HKEY_LOCAL_MACHINE);
        EXPECT_EQ(std::wstring(keys[pass * 3].path), kUninstallKeyPath);
        EXPECT_EQ(keys[pass * 3 + 1].root, HKEY_USERS);
        EXPECT_EQ(std::wstring(keys[pass * 3 + 2].path), user);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(keys[pass * 3 + i].view, view) << pass << " " << i;
    }
    EXPECT_EQ(UninstallKeysToVisit({}, 0).size(), 1u) << "one view: the machine's key once";
}

TEST(UninstallKeys, FileTimesBecomeUnixSeconds)
{
    SYSTEMTIME noon{2024, 2, 0, 29, 12, 0, 0, 0};
    FILETIME time{};
    ASSERT_TRUE(SystemTimeToFileTime(&noon, &time));
    EXPECT_EQ(FileTimeToUnixSeconds(time), 1709208000LL);
}
