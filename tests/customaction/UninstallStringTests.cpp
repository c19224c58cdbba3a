// The search for uninstall commands registered during a run, and the installed-program key that
// keeps the one found.

#include "customaction/UninstallAction.h"
#include "engine/model/GuidText.h"
#include "tests/customaction/VeltTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace velttest;

namespace {

FILETIME Now()
{
    FILETIME time = {};
    GetSystemTimeAsFileTime(&time);
    return time;
}

// Waits until the system clock has moved past a time, so that what happens next is stamped later
// than it. The clock's step is coarse (up to about 16 ms) but the wait ends with the next step.
bool ClockPassed(const FILETIME& time)
{
    return testsupport::WaitFor([&] {
        const FILETIME now = Now();
        return CompareFileTime(&now, &time) > 0;
    }, 60000);
}

// The time the system stamped on a key of the installed-programs list when it was written.
FILETIME KeyWriteTime(HKEY root, const CString& key)
{
    FILETIME written = {};
    UniqueRegKey opened;
    EXPECT_EQ(0, RegOpenKeyExW(root, key, 0, KEY_READ, opened.Put()));
    EXPECT_EQ(0, RegQueryInfoKeyW(opened.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, &written));
    return written;
}

// An entry of the system's list of installed programs, removed at the end.
class UninstallEntry {
public:
    UninstallEntry(HKEY root, const CString& command) : m_root(root)
    {
        m_key = CString(kSystemUninstallKey) + L"\\VeltTest" + NewGuidString();
        UniqueRegKey key;
        EXPECT_EQ(0, RegCreateKeyExW(root, m_key, 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr));
        EXPECT_EQ(0, RegSetValueExW(key.Get(), kUninstallStringValue, 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(command.GetString()),
                                    static_cast<DWORD>((command.GetLength() + 1) * sizeof(wchar_t))));
    }
    ~UninstallEntry() { RegDeleteKeyW(m_root, m_key); }
    const CString& Key() const { return m_key; }
    UninstallEntry(const UninstallEntry&) = delete;
    UninstallEntry& operator=(const UninstallEntry&) = delete;

private:
    HKEY m_root;
    CString m_key;
};

bool Contains(const CUninstallStrings& found, const CString& command)
{
    for (const CString& text : found.m_commands) {
        if (text == command)
            return true;
    }
    return false;
}

TEST(UninstallStrings, OnlyProgramsRegisteredDuringTheRunAndNotByMsiexecAreFound)
{
    const CString suffix = NewGuidString();
    const CString older = L"C:\\Old\\uninst.exe " + suffix;
    UninstallEntry olderEntry(HKEY_LOCAL_MACHINE, older);
    // The run starts strictly after the older entry was written, and the entries of the run are
    // written strictly after it starts.
    ASSERT_TRUE(ClockPassed(KeyWriteTime(HKEY_LOCAL_MACHINE, olderEntry.Key())));
    CUninstallStrings found;
    found.m_startTime = Now();
    ASSERT_TRUE(ClockPassed(found.m_startTime));

    const struct {
        const char* name;
        HKEY root;
        CString command;
        bool expected;
    } rows[] = {
        {"machine entry", HKEY_LOCAL_MACHINE, L"\"C:\\Program Files\\App\\unins000.exe\" /x " + suffix, true},
        {"user entry", HKEY_CURRENT_USER, L"C:\\Users\\App\\uninstall.exe " + suffix, true},
        {"kept in its own case", HKEY_CURRENT_USER, L"C:\\MixedCase\\UnInstall.EXE " + suffix, true},
        {"an MSI package removes itself", HKEY_LOCAL_MACHINE, L"MsiExec.exe /X" + suffix, false},
    };
    std::vector<std::unique_ptr<UninstallEntry>> entries;
    for (const auto& row : rows)
        entries.push_back(std::make_unique<UninstallEntry>(row.root, row.command));

    CollectUninstallStrings(found);
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, Contains(found, row.command)) << row.name;
    EXPECT_FALSE(Contains(found, older)) << "an entry written before the run was taken";
}

TEST(UninstallStrings, ScanningAMissingUninstallKeyReturnsTheOpenError)
{
    CUninstallStrings found;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, ScanUninstallKeys(found, HKEY_LOCAL_MACHINE, KEY_READ));
    // HKEY_CLASSES_ROOT has no uninstall list.
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ScanUninstallKeys(found, HKEY_CLASSES_ROOT, KEY_READ));
}

TEST(UninstallStrings, TheKeptCommandIsReadBackWholeAtAnyLength)
{
    const CString projectId = L"{" + NewGuidString() + L"}";
    CString command;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadUninstallString(projectId, command));
    // Longer than the 260 characters that a fixed buffer would hold.
    const CString kept = L"\"C:\\Program Files\\" + CString(L'x', 400) + L"\\unins000.exe\" /SILENT";
    ASSERT_EQ(0, StoreUninstallString(projectId, kept));
    EXPECT_EQ(0, ReadUninstallString(projectId, command));
    EXPECT_EQ(testsupport::Utf8(kept.View()), testsupport::Utf8(command.View()));
    (void)RemoveUninstallString(projectId);
}

// What a key holds: its subkeys and values; -1 when it does not exist.
int KeyContents(const wchar_t* path)
{
    UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return -1;
    DWORD subkeys = 0;
    DWORD values = 0;
    RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    return static_cast<int>(subkeys + values);
}

// The kept key goes after its command ran; the keys above it go with the last of them, unless
// something else lives there. A key that is already gone is no error.
TEST(UninstallStrings, RemovingTheLastKeptCommandRemovesTheLibrarysEmptyKeys)
{
    const wchar_t kMorvalund[] = L"SOFTWARE\\Morvalund";
    const wchar_t kTarnwick[] = L"SOFTWARE\\Morvalund\\Tarnwick";
    const wchar_t kInstaller[] = L"SOFTWARE\\Morvalund\\Tarnwick\\Installer";
    const CString first = L"{" + NewGuidString() + L"}";
    const CString second = L"{" + NewGuidString() + L"}";
    ASSERT_EQ(0, StoreUninstallString(first, L"a.exe"));
    ASSERT_EQ(0, StoreUninstallString(second, L"b.exe"));
    if (KeyContents(kInstaller) != 2 || KeyContents(kTarnwick) != 1 || KeyContents(kMorvalund) != 1) {
        (void)RemoveUninstallString(first);
        (void)RemoveUninstallString(second);
        GTEST_SKIP() << "this prefix keeps other commands or values under " << testsupport::Utf8(kMorvalund);
    }

    EXPECT_EQ(0, RemoveUninstallString(first));
    CString command;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadUninstallString(first, command));
    EXPECT_EQ(1, KeyContents(kInstaller)) << "the other project's command must stay";

    // A value that another program put beside the library's keys keeps its key.
    {
        UniqueRegKey tarnwick;
        ASSERT_EQ(0, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTarnwick, 0, KEY_WRITE, tarnwick.Put()));
        const DWORD one = 1;
        ASSERT_EQ(0, RegSetValueExW(tarnwick.Get(), L"Other", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                                    sizeof(one)));
    }
    EXPECT_EQ(0, RemoveUninstallString(second));
    EXPECT_EQ(-1, KeyContents(kInstaller));
    EXPECT_EQ(1, KeyContents(kTarnwick)) << "a key holding a value of another program was removed";

    {
        UniqueRegKey tarnwick;
        ASSERT_EQ(0, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTarnwick, 0, KEY_WRITE, tarnwick.Put()));
        ASSERT_EQ(0, RegDeleteValueW(tarnwick.Get(), L"Other"));
    }
    EXPECT_EQ(0, RemoveUninstallString(second)) << "an already removed key";
    EXPECT_EQ(-1, KeyContents(kTarnwick));
    EXPECT_EQ(-1, KeyContents(kMorvalund));
}

// Other programs may write the value by hand: without its terminator, or with more after it.
TEST(UninstallStrings, TheKeptCommandEndsAtItsFirstTerminatorOrAtTheValuesEnd)
{
    const struct {
        const char* name;
        std::wstring stored; // the value's text, written without its terminator...
        DWORD extraBytes;    // ...and this many bytes of the terminator
        const char* expected;
    } rows[] = {
        {"no terminator", L"C:\\App\\unins000.exe /S", 0, "C:\\App\\unins000.exe /S"},
        {"half a terminator", L"C:\\App\\u.exe", 1, "C:\\App\\u.exe"},
        {"text after the terminator", std::wstring(L"C:\\App\\unins000.exe\0/junk", 25), 2, "C:\\App\\unins000.exe"},
        {"empty", L"", 0, ""},
    };
    for (const auto& row : rows) {
        const CString projectId = L"{" + NewGuidString() + L"}";
        const CString keyPath = CString(kInstalledProgramKey) + projectId;
        {
            UniqueRegKey key;
            ASSERT_EQ(0, RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(),
                                         nullptr));
            const DWORD bytes = static_cast<DWORD>(row.stored.size() * sizeof(wchar_t)) + row.extraBytes;
            ASSERT_EQ(0, RegSetValueExW(key.Get(), kUninstallStringValue, 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(row.stored.c_str()), bytes));
        }
        CString command;
        EXPECT_EQ(0, ReadUninstallString(projectId, command)) << row.name;
        EXPECT_EQ(row.expected, testsupport::Utf8(command.View())) << row.name;
        (void)RemoveUninstallString(projectId);
    }
}

} // namespace
