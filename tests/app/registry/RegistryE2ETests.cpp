// The registry editor through the program's own windows: on a project's "Registry" node the test
// makes HKEY_CURRENT_USER\Software\Tarnwick Reg\ with New Key and typed labels, adds a value of
// every type through the commands and the value dialog (a multi-string through the large editor),
// renames the key, and builds the package; the package file holds the moved paths and the texts,
// and Windows Installer writes each value with its type and data and removes them again.

#include "engine/storage/PackageFile.h"
#include "engine/storage/Projects.h"

#include "resources/app/AppResource.h"

#include "tests/customaction/VeltTestSupport.h"
#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

constexpr wchar_t kPackage[] = L"RegRoad";
constexpr wchar_t kOldKey[] = L"HKEY_CURRENT_USER\\Software\\Tarnwick Reg\\";
constexpr wchar_t kNewKey[] = L"HKEY_CURRENT_USER\\Software\\Tarnwick Registry\\";
constexpr wchar_t kInstalledKey[] = L"Software\\Tarnwick Registry";
// The splitter's panes carry the ids of their row and column.
constexpr int kKeyTreeId = 0xE900;
constexpr int kValueListId = 0xE901;

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT code)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item), SMTO_NORMAL, 10000, &result);
    return reinterpret_cast<HTREEITEM>(result);
}

// The item reached from the first root by steps: 'c' first child, 'n' next sibling.
HTREEITEM Walk(HWND tree, const char* steps)
{
    HTREEITEM item = NextItem(tree, nullptr, TVGN_ROOT);
    for (const char* step = steps; *step && item; ++step)
        item = NextItem(tree, item, *step == 'c' ? TVGN_CHILD : TVGN_NEXT);
    return item;
}

bool Select(HWND tree, HTREEITEM item)
{
    DWORD_PTR result = 0;
    return item && ::SendMessageTimeoutW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item),
                                         SMTO_NORMAL, 10000, &result) && result;
}

HWND EditControlOf(HWND tree)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(tree, TVM_GETEDITCONTROL, 0, 0, SMTO_NORMAL, 10000, &result);
    return reinterpret_cast<HWND>(result);
}

// Posts a command to a pane as its context menu would.
void PostCommandTo(HWND window, UINT id)
{
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// Types name into the label edit that the tree has open and ends it with Enter.
::testing::AssertionResult TypeLabel(HWND main, HWND tree, const wchar_t* name)
{
    HWND edit = nullptr;
    if (!WaitFor([&] { return (edit = EditControlOf(tree)) != nullptr; }, 20000))
        return ::testing::AssertionFailure() << "no label edit opened";
    if (!BringToForeground(main) || !WaitFor([&] { return FocusOfThread(main) == edit; }, 20000))
        return ::testing::AssertionFailure() << "the label edit has no focus";
    if (!PressKeys({VK_CONTROL, 'A'}) || !TypeText(name) || !WaitFor([&] { return WindowText(edit) == name; }, 20000))
        return ::testing::AssertionFailure() << "typing failed: " << Utf8(WindowText(edit));
    if (!PressKeys({VK_RETURN}) || !WaitFor([&] { return EditControlOf(tree) == nullptr; }, 20000))
        return ::testing::AssertionFailure() << "Enter did not end the label edit";
    return ::testing::AssertionSuccess();
}

// Selects the list's last row with the keyboard and opens the value dialog on it.
HWND OpenLastValue(const AppDriver& program, HWND main, HWND list, const wchar_t* title)
{
    RECT client{};
    ::GetClientRect(list, &client);
    // Two clicks on one spot within the double-click time are a double click, which the list
    // answers on its own: each call clicks beside the previous call's spot.
    const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const POINT spot{client.right - 5 - 20 * (rows % 2), client.bottom - 5};
    if (!BringToForeground(main) || !ClickClient(list, spot) ||
        !WaitFor([&] { return FocusOfThread(main) == list; }, 20000) || !PressKeys({VK_END}))
        return nullptr;
    const int last = rows - 1;
    if (!WaitFor([&] { return ::SendMessageW(list, LVM_GETITEMSTATE, last, LVIS_SELECTED) != 0; }, 20000))
        return nullptr;
    PostCommandTo(list, ID_PANEL_ENTER);
    return program.WaitForTopLevel({L"#32770", title, -1}, 20000);
}

// Fills the value dialog's boxes (name, and the value unless null) and presses OK.
::testing::AssertionResult AnswerValueDialog(HWND dialog, const wchar_t* name, const wchar_t* value)
{
    if (!dialog)
        return ::testing::AssertionFailure() << "no value dialog";
    if (!SetText(Control(dialog, IDC_REG_NAME), name) || (value && !SetText(Control(dialog, IDC_REG_VALUE), value)))
        return ::testing::AssertionFailure() << "the boxes took no text";
    if (!Click(Control(dialog, IDOK)) || !WaitFor([&] { return !::IsWindow(dialog); }, 20000))
        return ::testing::AssertionFailure() << "the value dialog stayed";
    return ::testing::AssertionSuccess();
}

struct InstalledValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

bool ReadInstalled(const wchar_t* name, InstalledValue& value)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kInstalledKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status = ::RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
    }
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::vector<BYTE> Bytes(const std::wstring& text)
{
    const auto* begin = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(begin, begin + text.size() * sizeof(wchar_t));
}

bool KeyExists()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kInstalledKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

} // namespace

TEST(RegistryEditorRoad, ValuesOfEveryTypeMadeInTheEditorInstallAndUninstall)
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kInstalledKey);
    ASSERT_TRUE(AppDriver::ResetDataFolder());
    ScratchFolder scratch;
    {
        CProjects made;
        ASSERT_TRUE(CreatePackage(kPackage, scratch.Path(), made));
        CFeature project;
        project.m_name = kPackage;
        project.m_conversionMode = CFeature::modeRepackage;
        made[0].m_projects.Add(project);
        ASSERT_TRUE(SaveDataFile(AppDriver::DataFolder() + L"\\tarnwick.dat", made));
    }

    AppDriver program;
    ASSERT_TRUE(program.Start());
    HWND main = program.MainWindowPastTheWizard(60000);
    ASSERT_NE(main, nullptr);
    HWND packages = FindDescendant(main, {L"SysTreeView32", nullptr, -1});
    ASSERT_NE(packages, nullptr);
    // package, project, "Files", "Registry"
    ASSERT_TRUE(WaitFor([&] { return Walk(packages, "ccn") != nullptr; }, 20000));
    ASSERT_TRUE(Select(packages, Walk(packages, "ccn")));
    HWND keys = nullptr;
    HWND values = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        keys = FindDescendant(main, {L"SysTreeView32", nullptr, kKeyTreeId});
        values = FindDescendant(main, {L"SysListView32", nullptr, kValueListId});
        return keys && values;
    }, 20000)) << "the registry panel did not show";
    EXPECT_EQ(ReadTreeItems(keys), (std::vector<std::wstring>{L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER",
                                                             L"HKEY_LOCAL_MACHINE", L"HKEY_USERS",
                                                             L"Per User/Machine Hive"}));

    // HKEY_CURRENT_USER\Software\Tarnwick Reg\ by New Key and typed labels
    ASSERT_TRUE(Select(keys, Walk(keys, "n")));
    PostCommandTo(keys, ID_REG_NEW_KEY);
    ASSERT_TRUE(TypeLabel(main, keys, L"Software"));
    ASSERT_TRUE(WaitFor([&] { return ReadSelectedTreeItem(keys) == L"Software"; }, 20000));
    PostCommandTo(keys, ID_REG_NEW_KEY);
    ASSERT_TRUE(TypeLabel(main, keys, L"Tarnwick Reg"));
    ASSERT_TRUE(WaitFor([&] { return ReadSelectedTreeItem(keys) == L"Tarnwick Reg"; }, 20000));

    // one value of each type; the tree hands the new-value commands to the list
    struct Made {
        UINT command;
        const wchar_t* title;
        const wchar_t* name;
        const wchar_t* value;   // null: through the large editor
    };
    const Made made[] = {
        {ID_REG_NEW_STRING, L"Edit String", L"Text", L"plain text"},
        {ID_REG_NEW_EXPAND_STRING, L"Edit String", L"Expandable", L"%SystemRoot%\\tarnwick"},
        {ID_REG_NEW_MULTI_STRING, L"Edit String", L"Lines", nullptr},
        {ID_REG_NEW_BINARY, L"Edit Binary", L"Bytes", L"0aFF"},
        {ID_REG_NEW_DWORD, L"Edit DWORD", L"Number", L"4294967295"},
        {ID_REG_NEW_STRING, L"Edit String", L"", L"the default"},
    };
    int rows = 0;
    for (const Made& value : made) {
        SCOPED_TRACE(Utf8(value.name));
        PostCommandTo(keys, value.command);
        ++rows;
        ASSERT_TRUE(WaitFor([&] { return ::SendMessageW(values, LVM_GETITEMCOUNT, 0, 0) == rows; }, 20000));
        HWND dialog = OpenLastValue(program, main, values, value.title);
        ASSERT_NE(dialog, nullptr);
        if (!value.value) {
            ASSERT_TRUE(Click(Control(dialog, IDC_REG_EDIT_LARGE)));
            HWND editor = program.WaitForTopLevel({L"#32770", L"Edit Value", -1}, 20000);
            ASSERT_NE(editor, nullptr);
            ASSERT_TRUE(SetText(Control(editor, IDC_EDIT_VALUE_TEXT), L"one\r\ntwo"));
            ASSERT_TRUE(Click(Control(editor, IDOK)));
            ASSERT_TRUE(WaitFor([&] { return !::IsWindow(editor); }, 20000));
            EXPECT_TRUE(WaitFor([&] { return WindowText(Control(dialog, IDC_REG_VALUE)) == L"one two"; }, 20000));
        }
        ASSERT_TRUE(AnswerValueDialog(dialog, value.name, value.value));
    }
    EXPECT_EQ(ReadListViewColumn(values, 0), (std::vector<std::wstring>{L"Text", L"Expandable", L"Lines", L"Bytes",
                                                                       L"Number", L"(Default)"}));
    EXPECT_EQ(ReadListViewColumn(values, 2),
              (std::vector<std::wstring>{L"plain text", L"%SystemRoot%\\tarnwick", L"one two", L"0aFF",
                                         L"4294967295", L"the default"}));

    // the key gets its new name by a typed label; its values follow it
    PostCommandTo(keys, ID_REG_RENAME);
    ASSERT_TRUE(TypeLabel(main, keys, L"Tarnwick Registry"));
    ASSERT_TRUE(WaitFor([&] { return ReadSelectedTreeItem(keys) == L"Tarnwick Registry"; }, 20000));
    EXPECT_EQ(ReadListViewColumn(values, 0).size(), 6u);

    // the build saves the package first; the package file holds the moved paths and the texts
    const CString output = scratch / L"out";
    ASSERT_TRUE(::CreateDirectoryW(output, nullptr));
    ASSERT_EQ(program.BuildThroughDialog(ID_BUILD_PACKAGE, L"RegRoad", output, L"Tarnwick Professional"),
              L"MSI package was created successfully!");

    CProjects saved;
    ASSERT_TRUE(LoadDataFile(AppDriver::DataFolder() + L"\\tarnwick.dat", saved));
    ASSERT_EQ(saved.GetSize(), 1);
    CProjectSettings package;
    ASSERT_EQ(LoadPackageFile(saved.m_packagePaths[0], package), 1);
    ASSERT_EQ(package.m_projects.GetSize(), 1);
    const CRegistryEntries& records = package.m_projects[0].m_registry;
    for (const CRegistryEntry& record : records)
        EXPECT_NE(record.m_keyPath.Left(static_cast<int>(wcslen(kOldKey))), kOldKey) << Utf8(record.m_keyPath.View());
    const CRegistryEntry* key = records.FindKey(kNewKey);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->m_keyPath, kNewKey);
    struct Stored {
        const wchar_t* name;
        int type;
        const wchar_t* value;
    };
    for (const Stored& expected : {Stored{L"Text", CRegistryEntry::typeString, L"plain text"},
                                   Stored{L"Expandable", CRegistryEntry::typeExpandString, L"%SystemRoot%\\tarnwick"},
                                   Stored{L"Lines", CRegistryEntry::typeMultiString, L"one[~]two"},
                                   Stored{L"Bytes", CRegistryEntry::typeBinary, L"0aFF"},
                                   Stored{L"Number", CRegistryEntry::typeDword, L"4294967295"},
                                   Stored{L"", CRegistryEntry::typeString, L"the default"}}) {
        const CRegistryEntry* value = records.FindValue(kNewKey, expected.name);
        ASSERT_NE(value, nullptr) << Utf8(expected.name);
        EXPECT_EQ(value->m_keyPath, kNewKey);
        EXPECT_EQ(value->m_valueType, expected.type) << Utf8(expected.name);
        EXPECT_EQ(Utf8(value->m_value.View()), Utf8(expected.value));
    }

    // the system's installer writes each value with its type, and removes them
    const CString msi = output + L"\\RegRoad.msi";
    ASSERT_TRUE(FileExists(msi));
    const DWORD installed = velttest::RunMsiexec(L"/i", msi, scratch / L"install.log");
    EXPECT_EQ(installed, 0u) << velttest::ReadInstallerLog(scratch / L"install.log").substr(0, 20000);
    struct Expected {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
    };
    const std::vector<Expected> expected = {
        {L"Text", REG_SZ, Bytes(std::wstring(L"plain text", 11))},
        {L"Expandable", REG_EXPAND_SZ, Bytes(std::wstring(L"%SystemRoot%\\tarnwick", 22))},
        {L"Lines", REG_MULTI_SZ, Bytes(std::wstring(L"one\0two\0", 9))},
        {L"Bytes", REG_BINARY, {0x0a, 0xff}},
        {L"Number", REG_DWORD, {0xff, 0xff, 0xff, 0xff}},
        {L"", REG_SZ, Bytes(std::wstring(L"the default", 12))},
    };
    for (const Expected& value : expected) {
        SCOPED_TRACE(Utf8(value.name));
        InstalledValue read;
        ASSERT_TRUE(ReadInstalled(value.name, read));
        EXPECT_EQ(read.type, value.type);
        if (value.type == REG_MULTI_SZ) {
            // the final empty string's terminator may or may not be stored
            std::vector<BYTE> data = read.data;
            if (data.size() == value.data.size() + 2 && data[data.size() - 1] == 0 && data[data.size() - 2] == 0)
                data.resize(value.data.size());
            EXPECT_EQ(data, value.data);
        } else {
            EXPECT_EQ(read.data, value.data);
        }
    }

    const DWORD removed = velttest::RunMsiexec(L"/x", msi, scratch / L"remove.log");
    EXPECT_EQ(removed, 0u) << velttest::ReadInstallerLog(scratch / L"remove.log").substr(0, 20000);
    for (const Expected& value : expected) {
        InstalledValue read;
        EXPECT_FALSE(ReadInstalled(value.name, read)) << "left behind: " << Utf8(value.name);
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kInstalledKey);
    EXPECT_FALSE(KeyExists());
    EXPECT_TRUE(program.Close());
}
