// The installed-programs dialog over uninstall entries that the tests write into the registry of
// the Wine prefix: under HKEY_LOCAL_MACHINE in both registry views and under the current user's
// hive (which HKEY_USERS holds under the user's profile identifier). The machine's own entries
// may be listed beside them; the checks look only at the tests' rows.

#include "app/monitor/UninstallerDialog.h"

#include "engine/files/LocalFormat.h"

#include "framework/Handle.h"
#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

const wchar_t kDialogTitle[] = L"Installed Programs";
const wchar_t kKeyPrefix[] = L"TarnwickTest.";

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Installed Programs Tests") {}
};

// A 16x16 icon file of one colour, so that an entry can name a file that surely has an icon.
std::vector<uint8_t> IconFile()
{
    std::vector<uint8_t> bytes;
    auto put16 = [&](uint16_t v) { bytes.insert(bytes.end(), {uint8_t(v), uint8_t(v >> 8)}); };
    auto put32 = [&](uint32_t v) { put16(uint16_t(v)); put16(uint16_t(v >> 16)); };
    const uint32_t pixels = 16 * 16 * 4, mask = 16 * 4, image = 40 + pixels + mask;
    put16(0); put16(1); put16(1);                                    // icon directory, one image
    bytes.insert(bytes.end(), {16, 16, 0, 0}); put16(1); put16(32); put32(image); put32(22);
    put32(40); put32(16); put32(32); put16(1); put16(32);            // BITMAPINFOHEADER
    for (int i = 0; i < 6; ++i)
        put32(0);
    for (uint32_t i = 0; i < 16 * 16; ++i)
        put32(0xFF2080E0);                                           // opaque orange-ish
    bytes.insert(bytes.end(), mask, 0);                              // AND mask: all shown
    return bytes;
}

struct Value {
    Value(const wchar_t* valueName, std::wstring valueText) : name(valueName), text(std::move(valueText)) {}
    Value(const wchar_t* valueName, DWORD number) : name(valueName), dword(number) {}
    const wchar_t* name;
    std::wstring text;          // a REG_SZ, unless dword is set
    std::optional<DWORD> dword;
};

// One uninstall entry the tests write.
struct TestEntry {
    HKEY root;
    REGSAM view;
    std::wstring key;           // subkey name under the uninstall key
    std::vector<Value> values;
};

std::wstring UninstallPath(const std::wstring& key) { return std::wstring(kUninstallKeyPath) + L"\\" + key; }

void Write(const TestEntry& entry)
{
    UniqueRegKey key;
    ASSERT_EQ(::RegCreateKeyExW(entry.root, UninstallPath(entry.key).c_str(), 0, nullptr, 0,
                                KEY_WRITE | entry.view, nullptr, key.Put(), nullptr),
              ERROR_SUCCESS)
        << Utf8(entry.key);
    for (const Value& value : entry.values) {
        if (value.dword) {
            const DWORD data = *value.dword;
            ::RegSetValueExW(key.Get(), value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
        } else {
            ::RegSetValueExW(key.Get(), value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                             static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)));
        }
    }
}

void Remove(const TestEntry& entry)
{
    ::RegDeleteKeyExW(entry.root, UninstallPath(entry.key).c_str(), entry.view, 0);
}

// The last-write date of an entry's key as the dialog shows it.
std::wstring InstalledOn(const TestEntry& entry)
{
    UniqueRegKey key;
    if (::RegOpenKeyExW(entry.root, UninstallPath(entry.key).c_str(), 0, KEY_READ | entry.view, key.Put()) !=
        ERROR_SUCCESS)
        return L"?";
    FILETIME time{};
    ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, &time);
    return CLocalFormat().FormatDate(FileTimeToUnixSeconds(time)).GetString();
}

// One row as the list control holds it.
struct Row {
    int index;
    int image;
    std::wstring version;
    std::wstring date;
    std::wstring command;
};

std::wstring ItemText(HWND list, int item, int column)
{
    wchar_t text[1024] = {};
    LVITEMW lv{};
    lv.iSubItem = column;
    lv.pszText = text;
    lv.cchTextMax = 1024;
    ::SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
    return text;
}

// Rows by name; names listed more than once appear with a count in Counts.
std::map<std::wstring, Row> Rows(HWND list, std::map<std::wstring, int>* counts = nullptr)
{
    std::map<std::wstring, Row> rows;
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        LVITEMW lv{};
        lv.mask = LVIF_IMAGE;
        lv.iItem = i;
        ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
        const std::wstring name = ItemText(list, i, 0);
        rows[name] = {i, lv.iImage, ItemText(list, i, 1), ItemText(list, i, 2), ItemText(list, i, 3)};
        if (counts)
            ++(*counts)[name];
    }
    return rows;
}

bool Listed(HWND list, const wchar_t* name) { return Rows(list).count(name) != 0; }

// The order in which the named rows stand.
std::vector<std::wstring> OrderOf(HWND list, std::initializer_list<const wchar_t*> names)
{
    std::map<int, std::wstring> byIndex;
    const std::map<std::wstring, Row> rows = Rows(list);
    for (const wchar_t* name : names)
        if (auto found = rows.find(name); found != rows.end())
            byIndex[found->second.index] = name;
    std::vector<std::wstring> order;
    for (const auto& [index, name] : byIndex)
        order.push_back(name);
    return order;
}

RECT ItemRect(HWND list, int item)
{
    RECT rect{};
    rect.left = LVIR_LABEL;
    ::SendMessageW(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void ClickRect(HWND window, const RECT& rect)
{
    ClickClient(window, {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

// Selects a row with a real click (tried again when another window took the foreground).
bool ClickRow(HWND dialog, HWND list, const wchar_t* name)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        BringToForeground(dialog);
        ClickRect(list, ItemRect(list, Rows(list)[name].index));
        if (WaitFor([&] {
                const int selected = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
                return selected >= 0 && ItemText(list, selected, 0) == name;
            }, 5000))
            return true;
    }
    return false;
}

bool ClickButton(HWND dialog, int id, const std::function<bool()>& done)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        BringToForeground(dialog);
        ClickCentre(::GetDlgItem(dialog, id));
        if (WaitFor(done, 5000))
            return true;
    }
    return false;
}

// Toggles a check box with a real click (clicked again only when the first click did not land),
// then waits for what the toggle should bring.
bool ClickCheck(HWND dialog, int id, const std::function<bool()>& done)
{
    HWND check = ::GetDlgItem(dialog, id);
    const LRESULT before = ::SendMessageW(check, BM_GETCHECK, 0, 0);
    bool toggled = false;
    for (int attempt = 0; attempt < 5 && !toggled; ++attempt) {
        BringToForeground(dialog);
        ClickCentre(check);
        toggled = WaitFor([&] { return ::SendMessageW(check, BM_GETCHECK, 0, 0) != before; }, 5000);
    }
    return toggled && WaitFor(done, kGuiTimeoutMs);
}

const wchar_t kAlpha[] = L"Tarnwick Test Alpha";
const wchar_t kBravo[] = L"Tarnwick Test bravo";        // lower case: sorts after "Charlie" by code unit
const wchar_t kCharlie[] = L"Tarnwick Test Charlie";
const wchar_t kPackage[] = L"Tarnwick Test Package";
const wchar_t kFix[] = L"Tarnwick Test Fix (KB4242)";
const wchar_t kHotfix[] = L"Tarnwick Test Hotfix";
const wchar_t kSystem[] = L"Tarnwick Test System";
const wchar_t kNumberCommand[] = L"Tarnwick Test Number Command";
const wchar_t kAlphaUser[] = L"Tarnwick Test Alpha (this user)";

class UninstallerDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        iconPath = (scratch / L"program.ico").GetString();
        ASSERT_TRUE(WriteAllBytes(iconPath.c_str(), IconFile()));
        ranMarker = (scratch / L"ran").GetString();
        runCommand = L"cmd.exe /c mkdir \"" + ranMarker + L"\"";
        const std::wstring alphaCommand = L"C:\\TarnwickTest\\alpha.exe /remove";
        const std::wstring key = kKeyPrefix;
        entries = {
            {HKEY_LOCAL_MACHINE, 0, key + L"Alpha",
             {{L"DisplayName", kAlpha}, {L"UninstallString", alphaCommand}, {L"DisplayVersion", L"1.2.3"},
              {L"DisplayIcon", iconPath}}},
            // The same program registered for the user as well.
            {HKEY_CURRENT_USER, 0, key + L"AlphaUser", {{L"DisplayName", kAlphaUser}, {L"UninstallString", alphaCommand}}},
            // A 32-bit program: only the 32-bit view of a 64-bit program shows it.
            {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, key + L"Bravo",
             {{L"DisplayName", kBravo}, {L"UninstallString", L"C:\\TarnwickTest\\bravo.exe"},
              {L"DisplayIcon", iconPath + L",0"}}},
            {HKEY_CURRENT_USER, 0, key + L"Charlie", {{L"DisplayName", kCharlie}, {L"UninstallString", runCommand}}},
            {HKEY_LOCAL_MACHINE, 0, key + L"Package",
             {{L"DisplayName", kPackage}, {L"UninstallString", L"MsiExec.exe /I{0A1B2C3D-1111-2222-3333-444455556666}"}}},
            {HKEY_LOCAL_MACHINE, 0, key + L"Fix",
             {{L"DisplayName", kFix}, {L"UninstallString", L"C:\\TarnwickTest\\fix.exe"}}},
            {HKEY_LOCAL_MACHINE, 0, key + L"Hotfix",
             {{L"DisplayName", kHotfix}, {L"UninstallString", L"C:\\TarnwickTest\\hotfix.exe"},
              {L"ReleaseType", L"Hotfix"}}},
            {HKEY_LOCAL_MACHINE, 0, key + L"System",
             {{L"DisplayName", kSystem}, {L"UninstallString", L"C:\\TarnwickTest\\system.exe"},
              {L"SystemComponent", 1u}}},
            {HKEY_LOCAL_MACHINE, 0, key + L"NumberCommand",
             {{L"DisplayName", kNumberCommand}, {L"UninstallString", 5u}}},
            {HKEY_LOCAL_MACHINE, 0, key + L"NoName", {{L"UninstallString", L"C:\\TarnwickTest\\noname.exe"}}},
        };
        for (const TestEntry& entry : entries)
            Write(entry);
    }
    void TearDown() override
    {
        for (const TestEntry& entry : entries)
            Remove(entry);
        AfxDeleteTempMaps();
    }

    // Runs the dialog while drive works on it; the dialog is cancelled should drive leave it open.
    INT_PTR RunDialog(CUninstallerDialog& dialog, const std::function<void(HWND dialog, HWND list)>& drive)
    {
        ModalDriver driver({nullptr, kDialogTitle}, [&](HWND window) {
            drive(window, ::GetDlgItem(window, IDC_PROGRAMS_LIST));
            if (!WaitFor([&] { return !::IsWindow(window); }, 3000))
                ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        });
        const INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(driver.Wait()) << "the dialog never showed";
        return result;
    }

    CTestApp app;
    ScratchFolder scratch;
    std::wstring iconPath;
    std::wstring ranMarker;
    std::wstring runCommand;
    std::vector<TestEntry> entries;
};

} // namespace

TEST_F(UninstallerDialogTest, ListsEachProgramOnceFromEveryKeyAndViewAndTheChecksShowTheRest)
{
    CUninstallerDialog dialog;
    RunDialog(dialog, [&](HWND window, HWND list) {
        std::map<std::wstring, int> counts;
        std::map<std::wstring, Row> rows = Rows(list, &counts);
        for (const wchar_t* name : {kAlpha, kBravo, kCharlie})
            EXPECT_EQ(counts[name], 1) << Utf8(name);
        EXPECT_EQ(counts[kAlphaUser], 0) << "the user's entry has the machine entry's command";
        for (const wchar_t* name : {kPackage, kFix, kHotfix, kSystem, kNumberCommand})
            EXPECT_EQ(counts[name], 0) << Utf8(name);
        EXPECT_EQ(counts[L""], 0) << "an entry without a name is never listed";

        EXPECT_EQ(rows[kAlpha].version, L"1.2.3");
        EXPECT_EQ(rows[kAlpha].command, L"C:\\TarnwickTest\\alpha.exe /remove");
        EXPECT_EQ(rows[kAlpha].date, InstalledOn(entries[0]));
        EXPECT_GT(rows[kAlpha].image, 0) << "the icon of the file that DisplayIcon names";
        EXPECT_EQ(rows[kBravo].image, 0) << "\",0\" after the path names no file: the default image";
        EXPECT_EQ(rows[kCharlie].image, 0) << "no DisplayIcon";
        EXPECT_EQ(rows[kBravo].version, L"");
        EXPECT_FALSE(Enabled(window, IDC_UNINSTALL)) << "nothing is selected";

        // Updates and hotfixes, by name or by release type.
        EXPECT_TRUE(ClickCheck(window, IDC_SHOW_UPDATES, [&] { return Listed(list, kFix); }));
        EXPECT_TRUE(Listed(list, kHotfix));
        EXPECT_FALSE(Listed(list, kPackage));
        EXPECT_FALSE(Listed(list, kSystem));
        // Installer packages, with the command that removes them.
        EXPECT_TRUE(ClickCheck(window, IDC_SHOW_MSI, [&] { return Listed(list, kPackage); }));
        EXPECT_EQ(Rows(list)[kPackage].command, L"MsiExec.exe /X{0A1B2C3D-1111-2222-3333-444455556666}");
        EXPECT_TRUE(Listed(list, kFix));
        EXPECT_TRUE(ClickCheck(window, IDC_SHOW_UPDATES, [&] { return !Listed(list, kFix); }));
        EXPECT_FALSE(Listed(list, kHotfix));
        EXPECT_TRUE(Listed(list, kPackage));

        // The list stretches with the dialog; the buttons keep to the bottom-right corner.
        RECT listBefore{}, buttonBefore{}, dialogRect{};
        ::GetWindowRect(list, &listBefore);
        ::GetWindowRect(::GetDlgItem(window, IDC_UNINSTALL), &buttonBefore);
        ::GetWindowRect(window, &dialogRect);
        ::SetWindowPos(window, nullptr, 0, 0, dialogRect.right - dialogRect.left + 100,
                       dialogRect.bottom - dialogRect.top + 60, SWP_NOMOVE | SWP_NOZORDER);
        RECT listAfter{}, buttonAfter{};
        EXPECT_TRUE(WaitFor([&] {
            ::GetWindowRect(list, &listAfter);
            return listAfter.right - listAfter.left == listBefore.right - listBefore.left + 100;
        }, 5000));
        EXPECT_EQ(listAfter.bottom - listAfter.top, listBefore.bottom - listBefore.top + 60);
        ::GetWindowRect(::GetDlgItem(window, IDC_UNINSTALL), &buttonAfter);
        EXPECT_EQ(buttonAfter.left - buttonBefore.left, 100);
        EXPECT_EQ(buttonAfter.top - buttonBefore.top, 60);
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(window, IDC_PROGRAMS_REFRESH)));

        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(UninstallerDialogTest, TheNameColumnSortsByCodeUnitsAndTheChosenCommandRuns)
{
    CUninstallerDialog dialog;
    RunDialog(dialog, [&](HWND window, HWND list) {
        HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
        RECT nameColumn{}, versionColumn{};
        ::SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&nameColumn));
        ::SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&versionColumn));
        const std::vector<std::wstring> descending{kBravo, kCharlie, kAlpha};
        const std::vector<std::wstring> ascending{kAlpha, kCharlie, kBravo};
        for (const auto* expected : {&descending, &ascending}) {
            bool sorted = false;
            for (int attempt = 0; attempt < 3 && !sorted; ++attempt) {
                BringToForeground(window);
                ClickRect(header, nameColumn);
                sorted = WaitFor([&] { return OrderOf(list, {kAlpha, kBravo, kCharlie}) == *expected; }, 5000);
            }
            EXPECT_TRUE(sorted) << (expected == &descending ? "first click: descending" : "second click: ascending");
        }
        BringToForeground(window);
        ClickRect(header, versionColumn);
        EXPECT_TRUE(WaitFor([&] { return OrderOf(list, {kAlpha, kBravo, kCharlie}) == ascending; }, 5000))
            << "other columns do not sort";

        ASSERT_TRUE(ClickRow(window, list, kCharlie));
        EXPECT_TRUE(WaitFor([&] { return Enabled(window, IDC_UNINSTALL); }, 5000));
        EXPECT_TRUE(ClickButton(window, IDC_UNINSTALL, [&] { return FileExists(ranMarker.c_str()); }))
            << "the command runs";
        EXPECT_TRUE(::IsWindow(window)) << "the dialog stays open";

        // Refresh rebuilds the rows: nothing selected, so the button is off again.
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_PROGRAMS_REFRESH, BN_CLICKED), 0);
        EXPECT_TRUE(WaitFor([&] { return !Enabled(window, IDC_UNINSTALL); }, 5000));
        EXPECT_TRUE(Listed(list, kCharlie));

        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(std::wstring(dialog.m_chosenCommand), runCommand);
}

TEST_F(UninstallerDialogTest, PickModeReturnsTheChosenCommandWithoutRunningIt)
{
    CUninstallerDialog dialog;
    dialog.m_pickMode = TRUE;
    const INT_PTR result = RunDialog(dialog, [&](HWND window, HWND list) {
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(window, IDC_PROGRAMS_REFRESH)));
        EXPECT_EQ(WindowText(::GetDlgItem(window, IDC_UNINSTALL)), L"OK");
        EXPECT_TRUE(ClickCheck(window, IDC_SHOW_MSI, [&] { return Listed(list, kPackage); }));
        ASSERT_TRUE(ClickRow(window, list, kPackage));
        EXPECT_TRUE(ClickButton(window, IDC_UNINSTALL, [&] { return !::IsWindow(window); }));
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(std::wstring(dialog.m_chosenCommand), L"MsiExec.exe /X{0A1B2C3D-1111-2222-3333-444455556666}");
}
