// The registry editor hosted in a plain window: the key tree built from the records' paths, new
// keys, label edits and the key dialog moving records, deleting keys, the monitoring filter, the
// value list with its new values, edits and deletes, the context menus, and the custom-actions
// panel. Modal dialogs and menus are answered from a helper thread.

#include "RegistryRecords.h"

#include "app/customactions/CustomActionsPanel.h"
#include "app/registry/RegistryList.h"
#include "app/registry/RegistryPanel.h"
#include "app/registry/RegistryTree.h"

#include "engine/storage/Projects.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Registry Editor Tests") {}
};

// A plain top-level window standing for the main view, with one panel over its client area.
class CHost : public CWnd {
public:
    BOOL CreateHost()
    {
        return CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                        L"registry host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 760, 520, nullptr, nullptr);
    }
};

const wchar_t kUser[] = L"HKEY_CURRENT_USER\\";
const wchar_t kSoftware[] = L"HKEY_CURRENT_USER\\Software\\";

std::vector<std::wstring> Paths(const CRegistryEntries& records)
{
    std::vector<std::wstring> paths;
    for (const CRegistryEntry& record : records)
        paths.emplace_back(record.m_keyPath.GetString());
    return paths;
}

int CountPath(const CRegistryEntries& records, const wchar_t* path)
{
    int count = 0;
    for (const CRegistryEntry& record : records)
        count += record.m_keyPath == path ? 1 : 0;
    return count;
}

std::vector<std::wstring> ListRows(CRegistryList& list, int column)
{
    return ReadListViewColumn(list.GetListCtrl().m_hWnd, column);
}

// The commands of a tracked popup menu, one level deep ("New>" for a submenu, "-" a separator).
std::vector<std::wstring> MenuItems(HMENU menu)
{
    std::vector<std::wstring> items;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 127, MF_BYPOSITION);
        if (::GetSubMenu(menu, i))
            items.push_back(std::wstring(text) + L">");
        else if (::GetMenuItemID(menu, i) == 0)
            items.emplace_back(L"-");
        else
            items.emplace_back(text);
    }
    return items;
}

class RegistryEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        ASSERT_TRUE(host.CreateHost());
        ASSERT_TRUE(panel.CreatePanel(&host));
        RECT client{};
        host.GetClientRect(&client);
        panel.SetWindowPos(nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER);
        tree = panel.Tree();
        list = panel.List();
        ASSERT_NE(nullptr, tree);
        ASSERT_NE(nullptr, list);
        tree->SetProjects(&projects);
    }
    void TearDown() override
    {
        if (host.m_hWnd)
            host.DestroyWindow();
        AfxDeleteTempMaps();
    }

    void Show()
    {
        panel.ShowRecords(&records);
        PumpPending();
    }
    CTreeCtrl& Tree() { return tree->GetTreeCtrl(); }
    HTREEITEM ItemAt(const std::vector<const wchar_t*>& names)
    {
        HTREEITEM item = nullptr;
        for (const wchar_t* name : names) {
            HTREEITEM child = item ? Tree().GetChildItem(item) : Tree().GetRootItem();
            while (child && Tree().GetItemText(child) != name)
                child = Tree().GetNextSiblingItem(child);
            if (!child)
                return nullptr;
            item = child;
        }
        return item;
    }
    int ImageOf(HTREEITEM item)
    {
        TVITEMW query{};
        query.mask = TVIF_IMAGE | TVIF_HANDLE;
        query.hItem = item;
        Tree().SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
        return query.iImage;
    }
    // Edits the label of item to text through the tree's own edit box; false when no edit began.
    bool EditLabel(HTREEITEM item, const wchar_t* text)
    {
        Tree().SelectItem(item);
        HWND edit = Tree().EditLabel(item);
        if (!edit)
            return false;
        ::SetWindowTextW(edit, text);
        Tree().EndEditLabelNow(FALSE);
        PumpPending();
        return true;
    }
    void SelectRow(int row)
    {
        CListCtrl& rows = list->GetListCtrl();
        rows.SetItemState(-1, 0, LVIS_SELECTED);
        rows.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }

    CTestApp app;
    CHost host;
    CRegistryPanel panel;
    CRegistryTree* tree = nullptr;
    CRegistryList* list = nullptr;
    CRegistryEntries records;   // the five roots to begin with
    CProjects projects;
};

TEST_F(RegistryEditorTest, TheTreeGroupsKeyPathsUnderSortedRootsAndSelectsTheFirstItem)
{
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\B\\"));
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\A\\"));
    records.Add(Key(L"hkey_current_user\\software\\a\\Deep\\"));   // the same keys in other case
    records.Add(Value(L"HKEY_LOCAL_MACHINE\\OnlyValues\\", L"v"));  // values make no key
    Show();

    const std::vector<std::wstring> expected = {
        L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER", L"  Software", L"    B", L"    A", L"      Deep",
        L"HKEY_LOCAL_MACHINE", L"HKEY_USERS", L"Per User/Machine Hive"};
    EXPECT_EQ(expected, ReadTreeItems(Tree().m_hWnd));
    EXPECT_EQ(0, ImageOf(ItemAt({L"HKEY_CURRENT_USER"})));
    EXPECT_EQ(1, ImageOf(ItemAt({L"HKEY_CURRENT_USER", L"Software"})));
    EXPECT_EQ(L"HKEY_CLASSES_ROOT", ReadSelectedTreeItem(Tree().m_hWnd));
    EXPECT_EQ(CString(L"HKEY_CLASSES_ROOT\\"), list->ShownKeyPath());
    EXPECT_EQ(CRegistryTree::kStyle, tree->GetStyle() & 0xFFFF00FF & ~WS_VSCROLL & ~WS_HSCROLL);
}

TEST_F(RegistryEditorTest, TheRememberedKeyIsSelectedAgainWithItsValues)
{
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\A\\"));
    records.Add(Value(L"HKEY_CURRENT_USER\\Software\\A\\", L"", CRegistryEntry::typeString, L"default"));
    records.Add(Value(L"HKEY_CURRENT_USER\\Software\\A\\", L"Lines", CRegistryEntry::typeMultiString, L"a[~]b"));
    records.Add(Value(L"HKEY_CURRENT_USER\\Software\\A\\", L"Count", CRegistryEntry::typeDword, L"-1"));
    records.Add(Value(L"HKEY_CURRENT_USER\\Software\\A\\Sub\\", L"Elsewhere"));
    records.m_lastShownKeyPath = L"HKEY_CURRENT_USER\\Software\\A\\";
    Show();

    EXPECT_EQ(L"A", ReadSelectedTreeItem(Tree().m_hWnd));
    EXPECT_TRUE(Tree().GetItemState(ItemAt({L"HKEY_CURRENT_USER", L"Software"}), TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ((std::vector<std::wstring>{L"(Default)", L"Lines", L"Count"}), ListRows(*list, 0));
    EXPECT_EQ((std::vector<std::wstring>{L"String", L"REG_MULTI_SZ", L"Dword"}), ListRows(*list, 1));
    EXPECT_EQ((std::vector<std::wstring>{L"default", L"a b", L"4294967295"}), ListRows(*list, 2));

    // leaving remembers the shown key and empties the list
    records.m_lastShownKeyPath.Empty();
    panel.Leave(&records);
    EXPECT_EQ(CString(L"HKEY_CURRENT_USER\\Software\\A\\"), records.m_lastShownKeyPath);
    EXPECT_EQ(0, list->GetListCtrl().GetItemCount());
}

TEST_F(RegistryEditorTest, AddKeyCleansTheNameReusesAChildOfThatNameAndSortsSiblings)
{
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\M\\"));
    Show();
    HTREEITEM software = ItemAt({L"HKEY_CURRENT_USER", L"Software"});
    const int before = static_cast<int>(records.GetSize());

    HTREEITEM added = tree->AddKey(software, L"a:b");
    ASSERT_NE(nullptr, added);
    EXPECT_EQ(CString(L"ab"), Tree().GetItemText(added));
    EXPECT_EQ(1, ImageOf(added));
    ASSERT_EQ(before + 1, records.GetSize());
    EXPECT_EQ(CRegistryEntry::kindKey, records[before].m_kind);
    EXPECT_EQ(CString(L"HKEY_CURRENT_USER\\Software\\ab\\"), records[before].m_keyPath);
    EXPECT_EQ((std::vector<std::wstring>{L"ab", L"M"}), [&] {
        std::vector<std::wstring> names;
        for (HTREEITEM child = Tree().GetChildItem(software); child; child = Tree().GetNextSiblingItem(child))
            names.emplace_back(Tree().GetItemText(child).GetString());
        return names;
    }());

    // the same name in other case is the existing key: no record, no item
    EXPECT_EQ(added, tree->AddKey(software, L"AB"));
    EXPECT_EQ(before + 1, records.GetSize());
    // nothing left of the name: nothing made
    EXPECT_EQ(nullptr, tree->AddKey(software, L"\\/:"));
    EXPECT_EQ(before + 1, records.GetSize());
}

TEST_F(RegistryEditorTest, NewKeyTwiceEditsTheExistingKeyTheSecondTime)
{
    Show();
    Tree().SelectItem(ItemAt({L"HKEY_CURRENT_USER"}));
    tree->OnNewKey();
    HTREEITEM first = Tree().GetSelectedItem();
    EXPECT_EQ(CString(L"New Key"), Tree().GetItemText(first));
    EXPECT_EQ(1, ImageOf(first));
    EXPECT_EQ(0, ImageOf(ItemAt({L"HKEY_CURRENT_USER"})));
    EXPECT_NE(nullptr, Tree().GetEditControl());
    Tree().EndEditLabelNow(TRUE);

    Tree().SelectItem(ItemAt({L"HKEY_CURRENT_USER"}));
    tree->OnNewKey();
    EXPECT_EQ(first, Tree().GetSelectedItem());
    EXPECT_NE(nullptr, Tree().GetEditControl());
    Tree().EndEditLabelNow(TRUE);
    EXPECT_EQ(1, CountPath(records, L"HKEY_CURRENT_USER\\New Key\\"));
}

TEST_F(RegistryEditorTest, LabelEditsRefuseBadNamesAndMoveTheKeyTreeWithoutRegardToCase)
{
    struct Row {
        const wchar_t* typed;
        bool accepted;
    };
    const Row rows[] = {
        {L"x:y", false},        // forbidden characters are refused, not cleaned
        {L"x\\y", false},
        {L"   ", false},
        {L"ab", false},         // a sibling's name in other case
        {L"a", false},          // its own name in other case
        {L"A", false},          // its own name
        {L" C ", true},
    };
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\A\\"));
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\A\\Deep\\"));
    records.Add(Value(L"HKEY_CURRENT_USER\\Software\\A\\", L"v"));
    records.Add(Value(L"hkey_current_user\\software\\a\\Deep\\", L"w"));   // the same key in other case
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\AB\\"));
    Show();
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.typed));
        HTREEITEM item = ItemAt({L"HKEY_CURRENT_USER", L"Software", L"A"});
        ASSERT_NE(nullptr, item);
        ASSERT_TRUE(EditLabel(item, row.typed));
        if (!row.accepted) {
            EXPECT_EQ(CString(L"A"), Tree().GetItemText(item));
            EXPECT_EQ(2, CountPath(records, L"HKEY_CURRENT_USER\\Software\\A\\"));
        }
    }
    HTREEITEM renamed = ItemAt({L"HKEY_CURRENT_USER", L"Software", L"C"});
    ASSERT_NE(nullptr, renamed);
    const std::vector<std::wstring> expected = {
        L"HKEY_CLASSES_ROOT\\", L"HKEY_CURRENT_USER\\", L"HKEY_LOCAL_MACHINE\\", L"HKEY_USERS\\",
        L"Per User/Machine Hive\\",
        L"HKEY_CURRENT_USER\\Software\\C\\", L"HKEY_CURRENT_USER\\Software\\C\\Deep\\",
        L"HKEY_CURRENT_USER\\Software\\C\\", L"HKEY_CURRENT_USER\\Software\\C\\Deep\\",
        L"HKEY_CURRENT_USER\\Software\\AB\\"};
    EXPECT_EQ(expected, Paths(records));
    EXPECT_EQ(CString(L"HKEY_CURRENT_USER\\Software\\C\\"), list->ShownKeyPath());
    EXPECT_EQ((std::vector<std::wstring>{L"v"}), ListRows(*list, 0));

    // a root takes only a root name
    HTREEITEM root = ItemAt({L"HKEY_USERS"});
    ASSERT_TRUE(EditLabel(root, L"Software"));
    EXPECT_EQ(CString(L"HKEY_USERS"), Tree().GetItemText(root));
}

TEST_F(RegistryEditorTest, RenamingByTypingInTheLabelEdit)
{
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\Old\\"));
    Show();
    HTREEITEM item = ItemAt({L"HKEY_CURRENT_USER", L"Software", L"Old"});
    Tree().SelectItem(item);
    ASSERT_TRUE(BringToForeground(host.m_hWnd));
    tree->OnRenameKey();
    HWND edit = Tree().GetEditControl();
    ASSERT_NE(nullptr, edit);
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == edit; }));
    ASSERT_TRUE(PressKeys({VK_CONTROL, 'A'}));
    ASSERT_TRUE(TypeText(L"New Name"));
    ASSERT_TRUE(PressKeys({VK_RETURN}));
    EXPECT_TRUE(PumpUntil([&] { return Tree().GetItemText(item) == L"New Name"; }));
    EXPECT_EQ(1, CountPath(records, L"HKEY_CURRENT_USER\\Software\\New Name\\"));
}

TEST_F(RegistryEditorTest, TheKeyDialogRenamesTheKeyTreeAndGivesAPartOnlyKeyItsOwnRecord)
{
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\A\\"));
    records.Add(Value(L"hkey_current_user\\software\\a\\", L"v"));
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\AB\\"));
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\Vendor\\App\\"));
    Show();

    // a backslash and a sibling's name keep the dialog open; then a good name goes through
    Tree().SelectItem(ItemAt({L"HKEY_CURRENT_USER", L"Software", L"A"}));
    {
        std::vector<bool> stayedOpen;
        ModalDriver driver({L"#32770", L"Edit Registry Key"}, [&](HWND dialog) {
            HWND name = ::GetDlgItem(dialog, IDC_REG_NAME);
            for (const wchar_t* refused : {L"C\\D", L"ab"}) {
                SetText(name, refused);
                ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                stayedOpen.push_back(::IsWindowVisible(dialog) != FALSE);
            }
            SetText(name, L"C");
            PostClick(dialog, IDOK);
        });
        tree->OnEditKey();
        EXPECT_TRUE(driver.Wait());
        EXPECT_EQ((std::vector<bool>{true, true}), stayedOpen);
    }
    EXPECT_EQ(CString(L"C"), Tree().GetItemText(Tree().GetSelectedItem()));
    EXPECT_EQ(2, CountPath(records, L"HKEY_CURRENT_USER\\Software\\C\\"));
    EXPECT_EQ(1, CountPath(records, L"HKEY_CURRENT_USER\\Software\\AB\\"));
    EXPECT_EQ((std::vector<std::wstring>{L"v"}), ListRows(*list, 0));

    // "Vendor" exists only inside a longer path: Always Create gives it a record with flag 1
    Tree().SelectItem(ItemAt({L"HKEY_CURRENT_USER", L"Software", L"Vendor"}));
    const int before = static_cast<int>(records.GetSize());
    {
        ModalDriver driver({L"#32770", L"Edit Registry Key"}, [&](HWND dialog) {
            ::SendMessageW(::GetDlgItem(dialog, IDC_REG_ALWAYS_CREATE), BM_SETCHECK, BST_CHECKED, 0);
            PostClick(dialog, IDOK);
        });
        tree->OnEditKey();
        EXPECT_TRUE(driver.Wait());
    }
    ASSERT_EQ(before + 1, records.GetSize());
    EXPECT_EQ(CString(L"HKEY_CURRENT_USER\\Software\\Vendor\\"), records[before].m_keyPath);
    EXPECT_EQ(CRegistryEntry::kindKey, records[before].m_kind);
    EXPECT_EQ(1, records[before].m_keyOptions);

    // a cancelled dialog changes nothing
    const std::vector<std::wstring> paths = Paths(records);
    {
        ModalDriver driver({L"#32770", L"Edit Registry Key"}, [&](HWND dialog) {
            SetText(::GetDlgItem(dialog, IDC_REG_NAME), L"Other");
            PostClick(dialog, IDCANCEL);
        });
        tree->OnEditKey();
        EXPECT_TRUE(driver.Wait());
    }
    EXPECT_EQ(paths, Paths(records));
}

TEST_F(RegistryEditorTest, DeletingAKeyTakesItsSubtreeAndNeverARoot)
{
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\A\\"));
    records.Add(Value(L"HKEY_CURRENT_USER\\Software\\A\\Deep\\", L"v"));
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\A\\Deep\\"));
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\AB\\"));
    Show();

    Tree().SelectItem(ItemAt({L"HKEY_CURRENT_USER", L"Software", L"A"}));
    std::wstring question;
    {
        ModalDriver driver({L"#32770", nullptr}, [&](HWND box) {
            question = MessageBoxText(box);
            PostClick(box, IDYES);
        });
        tree->OnDeleteKey();
        EXPECT_TRUE(driver.Wait());
    }
    EXPECT_EQ(L"Delete key?", question);
    EXPECT_EQ(nullptr, ItemAt({L"HKEY_CURRENT_USER", L"Software", L"A"}));
    EXPECT_EQ(0, CountPath(records, L"HKEY_CURRENT_USER\\Software\\A\\"));
    EXPECT_EQ(0, CountPath(records, L"HKEY_CURRENT_USER\\Software\\A\\Deep\\"));
    EXPECT_EQ(1, CountPath(records, L"HKEY_CURRENT_USER\\Software\\AB\\"));

    // a root asks nothing and stays
    Tree().SelectItem(ItemAt({L"HKEY_USERS"}));
    tree->OnDeleteKey();
    EXPECT_NE(nullptr, ItemAt({L"HKEY_USERS"}));
    EXPECT_EQ(1, CountPath(records, L"HKEY_USERS\\"));
}

TEST_F(RegistryEditorTest, TheMonitoringFilterTakesTheKeyPathOnceAndGivesItBack)
{
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\A\\"));
    Show();
    Tree().SelectItem(ItemAt({L"HKEY_CURRENT_USER", L"Software", L"A"}));
    const auto addAnswering = [&](const wchar_t* text) {
        std::wstring offered;
        ModalDriver driver({L"#32770", L"Add Path to the Monitoring Filter"}, [&](HWND dialog) {
            offered = WindowText(::GetDlgItem(dialog, IDC_ITEM_TEXT));
            if (text)
                SetText(::GetDlgItem(dialog, IDC_ITEM_TEXT), text);
            PostClick(dialog, IDOK);
        });
        tree->OnAddToFilter();
        EXPECT_TRUE(driver.Wait());
        return offered;
    };
    EXPECT_EQ(L"HKEY_CURRENT_USER\\Software\\A\\", addAnswering(nullptr));
    addAnswering(L"  HKEY_CURRENT_USER\\Software\\A\\\\ ");   // the same path once cleaned
    addAnswering(L"   ");                                      // blank: never added
    ASSERT_EQ(1, projects.m_registryFilter.GetCount());
    EXPECT_EQ(CString(L"HKEY_CURRENT_USER\\Software\\A"), projects.m_registryFilter.GetHead());

    std::wstring question;
    {
        ModalDriver driver({L"#32770", nullptr}, [&](HWND box) {
            question = MessageBoxText(box);
            PostClick(box, IDYES);
        });
        tree->OnRemoveFromFilter();
        EXPECT_TRUE(driver.Wait());
    }
    EXPECT_NE(std::wstring::npos, question.find(L"Remove \"HKEY_CURRENT_USER\\Software\\A\""));
    EXPECT_EQ(0, projects.m_registryFilter.GetCount());
    // absent: nothing to ask
    tree->OnRemoveFromFilter();
    EXPECT_EQ(nullptr, FindProcessWindow({L"#32770", nullptr}));
}

TEST_F(RegistryEditorTest, NewValuesTakeFreeNamesAndDeletesNeedNoQuestion)
{
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\A\\"));
    records.m_lastShownKeyPath = L"HKEY_CURRENT_USER\\Software\\A\\";
    Show();
    for (UINT command : {ID_REG_NEW_STRING, ID_REG_NEW_DWORD, ID_REG_NEW_BINARY})
        list->SendMessage(WM_COMMAND, command);
    EXPECT_EQ((std::vector<std::wstring>{L"New Value #1", L"New Value #2", L"New Value #3"}), ListRows(*list, 0));
    EXPECT_EQ((std::vector<std::wstring>{L"String", L"Dword", L"Binary"}), ListRows(*list, 1));
    EXPECT_EQ((std::vector<std::wstring>{L"", L"0", L""}), ListRows(*list, 2));

    SelectRow(1);
    list->SendMessage(WM_COMMAND, ID_PANEL_DELETE);
    EXPECT_EQ(nullptr, records.FindValue(L"HKEY_CURRENT_USER\\Software\\A\\", L"New Value #2"));
    EXPECT_EQ((std::vector<std::wstring>{L"New Value #1", L"New Value #3"}), ListRows(*list, 0));

    // the tree hands its new-value commands to the list
    tree->SendMessage(WM_COMMAND, ID_REG_NEW_MULTI_STRING);
    EXPECT_EQ((std::vector<std::wstring>{L"New Value #1", L"New Value #3", L"New Value #2"}), ListRows(*list, 0));
    const CRegistryEntry* multi = records.FindValue(L"HKEY_CURRENT_USER\\Software\\A\\", L"New Value #2");
    ASSERT_NE(nullptr, multi);
    EXPECT_EQ(CRegistryEntry::typeMultiString, multi->m_valueType);

    // several selected rows all go
    SelectRow(0);
    list->GetListCtrl().SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    list->OnDeleteValues();
    EXPECT_EQ((std::vector<std::wstring>{L"New Value #3"}), ListRows(*list, 0));
}

TEST_F(RegistryEditorTest, EditingARowRunsTheValueDialogAndTheDefaultRowIsTheUnnamedValue)
{
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\A\\"));
    records.Add(Value(L"HKEY_CURRENT_USER\\Software\\A\\", L"", CRegistryEntry::typeString, L"old"));
    records.m_lastShownKeyPath = L"HKEY_CURRENT_USER\\Software\\A\\";
    Show();
    SelectRow(0);
    std::wstring title;
    {
        ModalDriver driver({L"#32770", L"Edit String"}, [&](HWND dialog) {
            title = WindowText(dialog);
            SetText(::GetDlgItem(dialog, IDC_REG_NAME), L"Renamed");
            SetText(::GetDlgItem(dialog, IDC_REG_VALUE), L"new");
            PostClick(dialog, IDOK);
        });
        list->SendMessage(WM_COMMAND, ID_REG_RENAME);
        EXPECT_TRUE(driver.Wait());
    }
    EXPECT_EQ(L"Edit String", title);
    EXPECT_EQ((std::vector<std::wstring>{L"Renamed"}), ListRows(*list, 0));
    EXPECT_EQ((std::vector<std::wstring>{L"new"}), ListRows(*list, 2));
    const CRegistryEntry* value = records.FindValue(L"HKEY_CURRENT_USER\\Software\\A\\", L"Renamed");
    ASSERT_NE(nullptr, value);
    EXPECT_EQ(CString(L"new"), value->m_value);
}

TEST_F(RegistryEditorTest, ContextMenusOfferWhatTheKeyAndThePointAllow)
{
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\A\\"));
    records.Add(Value(L"HKEY_CURRENT_USER\\Software\\A\\", L"v"));
    records.m_lastShownKeyPath = L"HKEY_CURRENT_USER\\Software\\A\\";
    Show();
    ASSERT_TRUE(BringToForeground(host.m_hWnd));
    // Opens the window's context menu at a client point and reads the menu from the helper.
    const auto menuAt = [&](CWnd& window, POINT client) {
        std::vector<std::wstring> items;
        ModalDriver driver({L"#32768", nullptr}, [&](HWND menuWindow) {
            HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
            items = MenuItems(menu);
            ::PostMessageW(window.m_hWnd, WM_CANCELMODE, 0, 0);
            ::PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        });
        ::ClientToScreen(window.m_hWnd, &client);
        window.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.m_hWnd), MAKELPARAM(client.x, client.y));
        EXPECT_TRUE(driver.Wait());
        return items;
    };
    const std::vector<std::wstring> keyMenu = {
        L"New>", L"-", L"Rename", L"Delete", L"-", L"Installation Monitor>"};
    const std::vector<std::wstring> onRow = {L"New>", L"-", L"Rename", L"Delete", L"Edit"};
    const std::vector<std::wstring> offRow = {L"New>"};
    const std::vector<std::wstring> rootMenu = {L"New Key"};

    RECT row{};
    row.left = LVIR_LABEL;
    list->GetListCtrl().SendMessage(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    EXPECT_EQ(onRow, menuAt(*list, {(row.left + row.right) / 2, (row.top + row.bottom) / 2}));
    RECT client{};
    list->GetClientRect(&client);
    EXPECT_EQ(offRow, menuAt(*list, {client.right / 2, client.bottom - 5}));

    // TVM_GETITEMRECT takes the item in the rectangle it fills
    const auto centreOf = [&](HTREEITEM handle) {
        RECT item{};
        std::memcpy(&item, &handle, sizeof(handle));
        Tree().SendMessage(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&item));
        return POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    };
    EXPECT_EQ(keyMenu, menuAt(*tree, centreOf(ItemAt({L"HKEY_CURRENT_USER", L"Software", L"A"}))));
    EXPECT_EQ(rootMenu, menuAt(*tree, centreOf(ItemAt({L"HKEY_USERS"}))));

    // a root's value list offers only a new key
    Tree().SelectItem(ItemAt({L"HKEY_USERS"}));
    EXPECT_EQ(rootMenu, menuAt(*list, {client.right / 2, client.bottom - 5}));
}

TEST(CustomActionsPanel, ShowsTheFourPhasesHoweverOftenItIsShown)
{
    CTestApp app;
    ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
    CHost host;
    ASSERT_TRUE(host.CreateHost());
    CCustomActionsPanel panel;
    ASSERT_TRUE(panel.CreatePanel(&host));
    CCustomActions actions;
    panel.ShowActions(&actions);
    panel.ShowActions(&actions);
    const std::vector<std::wstring> phases = {L"Install", L"Commit", L"Rollback", L"Uninstall"};
    EXPECT_EQ(phases, ReadTreeItems(panel.Tree()->GetTreeCtrl().m_hWnd));
    EXPECT_EQ((std::vector<std::wstring>{}), ReadListViewColumn(panel.List()->GetListCtrl().m_hWnd, 0));
    HWND header = reinterpret_cast<HWND>(panel.List()->SendMessage(LVM_GETHEADER));
    EXPECT_EQ(3, static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)));
    host.DestroyWindow();
    AfxDeleteTempMaps();
}

} // namespace
