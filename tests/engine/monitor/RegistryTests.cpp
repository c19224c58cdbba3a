// The registry snapshot and difference on scratch keys. Other test programs write the same hives
// at the same time, so the walks of one subtree are checked exactly and the walks of whole hives
// only for this test's keys.

#include "engine/monitor/InstallMonitor.h"
#include "tests/engine/monitor/MonitorTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

using namespace monitortest;

namespace {

// A scratch key under Software of a root, deleted with its subtree at the end.
class ScratchKey {
public:
    explicit ScratchKey(HKEY root = HKEY_CURRENT_USER) : m_root(root)
    {
        static int counter = 0;
        m_path.Format(L"Software\\TarnwickMonitorTests\\%lu-%d", GetCurrentProcessId(), ++counter);
        Create(L"");
    }
    ~ScratchKey() { RegDeleteTreeW(m_root, m_path); }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    // The key path as the monitor writes it: each level followed by a backslash.
    CString KeyPath(const wchar_t* sub = L"") const
    {
        CString path = m_path + L"\\";
        if (*sub)
            path += CString(sub) + L"\\";
        return path;
    }
    CString KeyText(const wchar_t* sub = L"") const
    {
        return (m_root == HKEY_CURRENT_USER ? L"HKEY_CURRENT_USER\\" : L"HKEY_LOCAL_MACHINE\\") + KeyPath(sub);
    }

    void Create(const wchar_t* sub)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(m_root, Full(sub), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegCloseKey(key);
    }
    void Set(const wchar_t* sub, const wchar_t* name, DWORD type, const void* data, DWORD bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(m_root, Full(sub), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes));
        RegCloseKey(key);
    }
    void SetString(const wchar_t* sub, const wchar_t* name, const wchar_t* text)
    {
        Set(sub, name, REG_SZ, text, static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    }

    UniqueRegKey Open() const
    {
        UniqueRegKey key;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(m_root, m_path, 0, KEY_READ | KEY_WOW64_64KEY, key.Put()));
        return key;
    }
    HKEY Root() const { return m_root; }

private:
    CString Full(const wchar_t* sub) const { return *sub ? m_path + L"\\" + sub : m_path; }

    HKEY m_root;
    CString m_path;
};

struct Rec {
    int kind;
    std::string key;
    std::string name;
    int type;
    std::string value;
    bool operator==(const Rec& o) const
    {
        return kind == o.kind && key == o.key && name == o.name && (kind != 2 || (type == o.type && value == o.value));
    }
};

void PrintTo(const Rec& r, std::ostream* os)
{
    *os << "{" << r.kind << ", " << r.key << ", " << r.name << ", " << r.type << ", " << r.value << "}";
}

// The records past the five root records.
std::vector<Rec> Added(const CFeature& project)
{
    std::vector<Rec> records;
    for (int i = 0; i < project.m_registry.GetSize(); ++i) {
        const CRegistryEntry& e = project.m_registry[i];
        if (e.m_kind == CRegistryEntry::kindRoot)
            continue;
        records.push_back({e.m_kind, testsupport::Utf8(e.m_keyPath.View()), testsupport::Utf8(e.m_valueName.View()),
                           e.m_valueType, testsupport::Utf8(e.m_value.View())});
    }
    return records;
}

Rec Key(const CString& text)
{
    return {1, testsupport::Utf8(text.View()), "", 0, ""};
}

Rec Value(const CString& keyText, const char* name, int type, const std::string& value)
{
    return {2, testsupport::Utf8(keyText.View()), name, type, value};
}

class RegistryDiff : public MonitorTest {
protected:
    // Snapshot of the scratch subtree, then the changes, then the difference over the window.
    template <class Change>
    std::vector<Rec> Diff(ScratchKey& scratch, Change change)
    {
        CStringList snapshot;
        EXPECT_EQ(0u, monitor.SnapshotKey(scratch.Open(), scratch.KeyPath(), snapshot));
        Sleep(20);
        monitor.SetStartTime(CurrentFileTime());
        Sleep(20);
        change();
        Sleep(20);
        monitor.SetEndTime(CurrentFileTime());
        EXPECT_EQ(0u, monitor.DiffKey(scratch.Root(), scratch.Open(), scratch.KeyPath(), snapshot));
        return Added(project);
    }

    CFeature project;
    CInstallMonitor monitor{project};
};

} // namespace

TEST_F(RegistryDiff, NewKeysAndAddedValuesExportOnlyWhatIsNew)
{
    ScratchKey scratch;
    for (const wchar_t* name : {L"v1", L"v2", L"v3"}) {
        scratch.SetString(L"Grown", name, L"old");
        scratch.SetString(L"Changed", name, L"old");
    }
    const std::vector<Rec> records = Diff(scratch, [&] {
        scratch.SetString(L"New", L"first", L"1");
        scratch.SetString(L"New", L"second", L"2");
        scratch.SetString(L"Grown", L"v4", L"added");
        scratch.SetString(L"Changed", L"v2", L"changed"); // modified only: nothing
        scratch.Create(L"Empty");                         // new but without values: nothing
    });
    const std::vector<Rec> expected = {
        Key(scratch.KeyText(L"Grown")),
        Value(scratch.KeyText(L"Grown"), "v4", 0, "added"),
        Key(scratch.KeyText(L"New")),
        Value(scratch.KeyText(L"New"), "first", 0, "1"),
        Value(scratch.KeyText(L"New"), "second", 0, "2"),
    };
    EXPECT_EQ(expected, records);
}

TEST_F(RegistryDiff, ValueTypesBecomeTheirTexts)
{
    ScratchKey scratch;
    const CString windows = GetSystemFolderPath(L"WindowsFolder");
    ASSERT_FALSE(windows.IsEmpty());
    const CString path = windows + L"\\app.ini";
    const BYTE binary[] = {0x0A, 0xFF};
    const DWORD minusOne = 0xFFFFFFFF;
    const DWORD seven = 7;
    const ULONGLONG qword = 1;
    const wchar_t multi[] = L"one\0two\0";
    const wchar_t emptyMulti[] = L"\0";
    const wchar_t unterminated[] = {L'a', L'b'};
    const std::vector<Rec> records = Diff(scratch, [&] {
        scratch.Set(L"T", L"bin", REG_BINARY, binary, sizeof(binary));
        scratch.Set(L"T", L"dw", REG_DWORD, &minusOne, sizeof(minusOne));
        scratch.Set(L"T", L"dw7", REG_DWORD, &seven, sizeof(seven));
        scratch.Set(L"T", L"emptymulti", REG_MULTI_SZ, emptyMulti, sizeof(emptyMulti));
        scratch.Set(L"T", L"expand", REG_EXPAND_SZ, L"%TEMP%\\x", sizeof(L"%TEMP%\\x"));
        scratch.Set(L"T", L"multi", REG_MULTI_SZ, multi, sizeof(multi));
        scratch.Set(L"T", L"qword", REG_QWORD, &qword, sizeof(qword)); // no record for this type
        scratch.SetString(L"T", L"str", path);
        scratch.Set(L"T", L"unterminated", REG_SZ, unterminated, sizeof(unterminated));
        scratch.SetString(L"T", path, L"named after a path");
    });
    const CString key = scratch.KeyText(L"T");
    const std::vector<Rec> expected = {
        Key(key),
        Value(key, "bin", 3, "0AFF"),
        Value(key, "dw", 4, "-1"),
        Value(key, "dw7", 4, "7"),
        Value(key, "emptymulti", 2, ""),
        Value(key, "expand", 1, "%TEMP%\\x"),
        Value(key, "multi", 2, "one[~]two"),
        Value(key, "str", 0, "[WindowsFolder]app.ini"),
        Value(key, "unterminated", 0, "ab"),
        Value(key, "[WindowsFolder]app.ini", 0, "named after a path"),
    };
    // Values come back in the registry's own order: compare as sets of records.
    ASSERT_EQ(expected.size(), records.size());
    for (const Rec& r : expected)
        EXPECT_NE(records.end(), std::find(records.begin(), records.end(), r)) << r.name;
    EXPECT_EQ(expected.front(), records.front()) << "the key record comes first";
}

TEST_F(RegistryDiff, Wow6432NodeIsRemovedAndTheSecondViewIsSkipped)
{
    ScratchKey scratch;
    IsWow64 = 1;
    const std::vector<Rec> records = Diff(scratch, [&] {
        scratch.SetString(L"App", L"Version", L"64");
        scratch.SetString(L"Wow6432Node\\App", L"Version", L"32");
        scratch.SetString(L"Wow6432Node\\App", L"Only32", L"x");
    });
    IsWow64 = 0;
    const CString key = scratch.KeyText(L"App");
    const std::vector<Rec> expected = {Key(key), Value(key, "Version", 0, "64"), Value(key, "Only32", 0, "x")};
    EXPECT_EQ(expected, records);
}

TEST_F(RegistryDiff, FilteredKeysExportNothing)
{
    ScratchKey scratch;
    CExludeList registryFilter;
    registryFilter.AddTail(scratch.KeyText(L"Foo"));
    registryFilter.AddTail(L"");
    registryFilter.AddTail(L"   ");
    monitor.SetFilters(nullptr, &registryFilter);
    const std::vector<Rec> records = Diff(scratch, [&] {
        scratch.SetString(L"Foo", L"a", L"1");
        scratch.SetString(L"Foo\\Bar", L"a", L"1");
        scratch.SetString(L"FooBar", L"a", L"1");
    });
    const std::vector<Rec> expected = {Key(scratch.KeyText(L"FooBar")), Value(scratch.KeyText(L"FooBar"), "a", 0, "1")};
    EXPECT_EQ(expected, records);
}

TEST_F(RegistryDiff, FilterEntriesMatchAKeyAndItsSubkeysOnly)
{
    const struct {
        const wchar_t* entry;
        const wchar_t* keyText;
        bool excluded;
    } cases[] = {
        {L"HKEY_CURRENT_USER\\Software\\Foo", L"HKEY_CURRENT_USER\\Software\\Foo\\Bar\\", true},
        {L"HKEY_CURRENT_USER\\Software\\Foo", L"HKEY_CURRENT_USER\\Software\\Foo\\", true},
        {L"HKEY_CURRENT_USER\\Software\\Foo", L"HKEY_CURRENT_USER\\Software\\FooBar\\", false},
        {L"hkey_current_user\\software\\foo\\\\", L"HKEY_CURRENT_USER\\SOFTWARE\\FOO\\X\\", true},
        {L"", L"HKEY_CURRENT_USER\\Software\\Foo\\", false},
        {L" ", L"HKEY_CURRENT_USER\\Software\\Foo\\", false},
    };
    CFeature project;
    CInstallMonitor monitor(project);
    for (const auto& c : cases) {
        CExludeList filter;
        filter.AddTail(c.entry);
        monitor.SetFilters(nullptr, &filter);
        EXPECT_EQ(c.excluded, monitor.IsExcludedRegistryKey(c.keyText))
            << "entry \"" << testsupport::Utf8(c.entry) << "\", key " << testsupport::Utf8(c.keyText);
    }
}

TEST(RegistryKeyText, RootsMapToTheirNames)
{
    const struct {
        HKEY root;
        const wchar_t* path;
        int wow64;
        const char* text;
    } cases[] = {
        {HKEY_CURRENT_USER, L"Software\\Vendor\\", 0, "HKEY_CURRENT_USER\\Software\\Vendor\\"},
        {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.abc\\", 0, "HKEY_CLASSES_ROOT\\.abc\\"},
        {HKEY_LOCAL_MACHINE, L"Software\\ClassesX\\", 0, "HKEY_LOCAL_MACHINE\\Software\\ClassesX\\"},
        {HKEY_CURRENT_USER, L"Software\\Classes\\.abc\\", 0, "HKEY_CURRENT_USER\\Software\\Classes\\.abc\\"},
        {HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Vendor\\", 0, "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Vendor\\"},
        {HKEY_LOCAL_MACHINE, L"Software\\WOW6432Node\\Vendor\\", 1, "HKEY_LOCAL_MACHINE\\Software\\Vendor\\"},
        {HKEY_LOCAL_MACHINE, L"", 0, "HKEY_LOCAL_MACHINE\\"},
    };
    for (const auto& c : cases) {
        IsWow64 = c.wow64;
        EXPECT_EQ(c.text, testsupport::Utf8(CInstallMonitor::MakeKeyText(c.root, c.path).View()))
            << testsupport::Utf8(c.path);
    }
    IsWow64 = 0;
    const BYTE bytes[] = {0x00, 0x0A, 0xFF, 0x7B};
    EXPECT_EQ("000AFF7B", testsupport::Utf8(FormatBinaryValue(bytes, sizeof(bytes)).View()));
    EXPECT_EQ("", testsupport::Utf8(FormatBinaryValue(bytes, 0).View()));
}

TEST_F(RegistryDiff, AStoppedSnapshotIsEmpty)
{
    ScratchKey scratch;
    scratch.SetString(L"A\\B", L"x", L"1");
    CStringList snapshot;
    ASSERT_EQ(0u, monitor.SnapshotKey(scratch.Open(), scratch.KeyPath(), snapshot));
    EXPECT_EQ(3, snapshot.GetCount()) << "B, A and the scratch key itself, in post-order";
    EXPECT_EQ(testsupport::Utf8((scratch.KeyPath(L"A\\B") + CString(L'\x1')).View()),
              testsupport::Utf8(snapshot.GetHead().View()));

    SetEvent(StopEventHandle.Get());
    CStringList stopped;
    EXPECT_EQ(DWORD(ERROR_CANCELLED), monitor.SnapshotKey(scratch.Open(), scratch.KeyPath(), stopped));
    EXPECT_TRUE(stopped.IsEmpty());
}

// Both hives on two threads each, appending to one project: every record of this test's keys
// arrives once, and each key's values follow its key record without another key's records between.
TEST_F(RegistryDiff, BothHivesOnTwoThreadsGiveWholeBlocksOnce)
{
    ScratchKey user(HKEY_CURRENT_USER);
    ScratchKey machine(HKEY_LOCAL_MACHINE);
    ASSERT_EQ(0u, monitor.TakeRegistrySnapshot());
    EXPECT_GT(monitor.HkcuSnapshot().GetCount(), 10);
    EXPECT_GT(monitor.HklmSnapshot().GetCount(), 10);
    Sleep(20);
    monitor.SetStartTime(CurrentFileTime());
    Sleep(20);
    constexpr int kKeys = 20;
    constexpr int kValues = 15;
    for (int k = 0; k < kKeys; ++k) {
        CString sub;
        sub.Format(L"K%02d", k);
        for (int v = 0; v < kValues; ++v) {
            CString name;
            name.Format(L"v%02d", v);
            user.SetString(sub, name, L"user");
            machine.SetString(sub, name, L"machine");
        }
    }
    // A machine key under Software\Classes is a class key.
    CString classKey;
    classKey.Format(L"Software\\Classes\\.twmon-%lu", GetCurrentProcessId());
    HKEY created = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, classKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &created, nullptr));
    RegSetValueExW(created, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"TwMon.Document"),
                   sizeof(L"TwMon.Document"));
    RegCloseKey(created);
    Sleep(20);
    monitor.SetEndTime(CurrentFileTime());
    EXPECT_EQ(0u, monitor.CollectRegistryChanges());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, classKey);
    CString classText;
    classText.Format(L"HKEY_CLASSES_ROOT\\.twmon-%lu\\", GetCurrentProcessId());
    const CRegistryEntry* classValue = project.m_registry.FindValue(classText, L"");
    ASSERT_NE(nullptr, classValue) << testsupport::Utf8(classText.View());
    EXPECT_EQ("TwMon.Document", testsupport::Utf8(classValue->m_value.View()));
    EXPECT_TRUE(monitor.HkcuSnapshot().IsEmpty());
    EXPECT_TRUE(monitor.HklmSnapshot().IsEmpty());

    const std::vector<Rec> records = Added(project);
    for (const ScratchKey* scratch : {&user, &machine}) {
        for (int k = 0; k < kKeys; ++k) {
            CString sub;
            sub.Format(L"K%02d", k);
            const std::string key = testsupport::Utf8(scratch->KeyText(sub).View());
            int keyRecords = 0;
            size_t at = 0;
            for (size_t i = 0; i < records.size(); ++i) {
                if (records[i].kind == 1 && records[i].key == key) {
                    ++keyRecords;
                    at = i;
                }
            }
            ASSERT_EQ(1, keyRecords) << key;
            ASSERT_LE(at + kValues, records.size() - 1) << key;
            for (int v = 0; v < kValues; ++v) {
                const Rec& value = records[at + 1 + v];
                EXPECT_EQ(2, value.kind) << key << " value " << v;
                EXPECT_EQ(key, value.key) << key << " value " << v;
            }
        }
    }
}

// A walk that runs out of memory on a helper thread or on its own thread is a failure the caller
// hears of, whichever key it happens at; it never passes for a complete snapshot or difference.
TEST_F(RegistryDiff, AWalkThatRunsOutOfMemoryReportsIt)
{
    ScratchKey scratch;
    for (const wchar_t* sub : {L"A\\A1\\A2", L"B\\B1", L"C", L"D\\D1\\D2\\D3"})
        scratch.SetString(sub, L"x", L"1");
    const struct {
        const char* label;
        CString failAt;
    } cases[] = {
        {"the top key", scratch.KeyPath()},
        {"a leaf", scratch.KeyPath(L"C")},
        {"a deep key", scratch.KeyPath(L"D\\D1\\D2\\D3")},
    };
    for (const auto& c : cases) {
        monitor.SetWalkProbe([&c](const CString& path) {
            if (path == c.failAt)
                throw std::bad_alloc();
        });
        CStringList snapshot;
        EXPECT_EQ(DWORD(ERROR_NOT_ENOUGH_MEMORY), monitor.SnapshotKey(scratch.Open(), scratch.KeyPath(), snapshot))
            << c.label;
        EXPECT_EQ(DWORD(ERROR_NOT_ENOUGH_MEMORY), monitor.DiffKey(scratch.Root(), scratch.Open(), scratch.KeyPath(), snapshot))
            << c.label;
    }
    monitor.SetWalkProbe(nullptr);
}

// The same through the walk threads of both hives: their exit codes reach the caller.
TEST_F(RegistryDiff, TheWalkThreadsHandTheirFailureOn)
{
    ScratchKey machine(HKEY_LOCAL_MACHINE);
    machine.SetString(L"Deep\\Er", L"x", L"1");
    const CString failAt = machine.KeyPath(L"Deep\\Er");
    monitor.SetWalkProbe([&failAt](const CString& path) {
        if (path == failAt)
            throw std::bad_alloc();
    });
    EXPECT_EQ(DWORD(ERROR_NOT_ENOUGH_MEMORY), monitor.TakeRegistrySnapshot());
    monitor.SetStartTime(CurrentFileTime());
    monitor.SetEndTime(CurrentFileTime());
    EXPECT_EQ(DWORD(ERROR_NOT_ENOUGH_MEMORY), monitor.CollectRegistryChanges());
    monitor.SetWalkProbe(nullptr);
    EXPECT_EQ(0u, monitor.TakeRegistrySnapshot());
}

namespace {

using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE key);

// Deletes the link itself, not the key it leads to.
void DeleteLink(HKEY root, const CString& path)
{
    HKEY link = nullptr;
    if (RegOpenKeyExW(root, path, REG_OPTION_OPEN_LINK, DELETE | KEY_READ | KEY_WOW64_64KEY, &link) != ERROR_SUCCESS)
        return;
    const auto deleteKey =
        reinterpret_cast<NtDeleteKeyFn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    if (deleteKey)
        deleteKey(link);
    RegCloseKey(link);
}

} // namespace

// Most keys are never opened by the walk: what it reads of them in their parent's listing must be
// what opening them would say. A registry link is listed as a key of its own with one value and no
// subkeys; opened, it is the key it leads to, with that key's subkeys and values, and so it must
// be walked.
TEST_F(RegistryDiff, ASnapshotSeesThroughLinksAsAnOpenedKeyDoes)
{
    ScratchKey scratch(HKEY_LOCAL_MACHINE);
    scratch.SetString(L"Target", L"a", L"1");
    scratch.SetString(L"Target", L"b", L"2");
    scratch.SetString(L"Target\\Sub", L"c", L"3");
    scratch.Create(L"Leaf");
    const CString linkPath = scratch.KeyPath(L"Link").TrimRight(L'\\');
    HKEY link = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, linkPath, 0, nullptr,
                                             REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &link, nullptr));
    const CString target = L"\\Registry\\Machine\\" + scratch.KeyPath(L"Target").TrimRight(L'\\');
    const LONG set = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.GetString()),
                                    static_cast<DWORD>(target.GetLength() * sizeof(wchar_t)));
    RegCloseKey(link);
    ASSERT_EQ(ERROR_SUCCESS, set);

    CStringList snapshot;
    const DWORD result = monitor.SnapshotKey(scratch.Open(), scratch.KeyPath(), snapshot);
    DeleteLink(HKEY_LOCAL_MACHINE, linkPath);
    ASSERT_EQ(0u, result);
    std::vector<std::string> records;
    for (POSITION p = snapshot.GetHeadPosition(); p;) {
        const CString& record = snapshot.GetNext(p);
        records.push_back(testsupport::Utf8(record.Left(record.GetLength() - 1).Mid(scratch.KeyPath().GetLength()).View()) +
                          " " + std::to_string(static_cast<int>(record[record.GetLength() - 1])));
    }
    const std::vector<std::string> expected = {"Leaf\\ 0", "Link\\Sub\\ 1", "Link\\ 2", "Target\\Sub\\ 1", "Target\\ 2", " 0"};
    EXPECT_EQ(expected, records);
}
