// The item operations the path-keyed trees share, over a real tree control: item paths, names
// compared without regard to case, the checks that end a label edit, and the prefix move a rename
// makes over the records.

#include "app/TreeItems.h"

#include "framework/Array.h"
#include "framework/window/WinApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Tree Item Tests") {}
};

struct Record {
    CString path;
};
using Records = CArray<Record, const Record&>;

std::vector<std::wstring> Paths(const Records& records)
{
    std::vector<std::wstring> paths;
    for (INT_PTR i = 0; i < records.GetSize(); ++i)
        paths.emplace_back(records[i].path.GetString());
    return paths;
}

// A tree control in a hidden top-level window, holding the folders ProgramFilesFolder (with
// Vendor, which holds App, and Common) and Other.
class TreeFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), L"tree items", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300,
                                  nullptr, nullptr));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_EDITLABELS, CRect(0, 0, 300, 300), &host, 100));
        treeitems::CTreePathIndex index(tree);
        for (const wchar_t* path : {L"ProgramFilesFolder\\Vendor\\App\\app.exe", L"PROGRAMFILESFOLDER\\vendor\\",
                                    L"ProgramFilesFolder\\Common\\", L"Other\\"})
            index.AddPath(path, [](bool isRoot, const CString&) { return isRoot ? 0 : 1; });
        root = tree.GetRootItem();
        vendor = treeitems::FindChild(tree, root, L"VENDOR");
        app = vendor ? tree.GetChildItem(vendor) : nullptr;
        ASSERT_NE(app, nullptr);
    }
    void TearDown() override
    {
        tree.DestroyWindow();
        host.DestroyWindow();
    }

    CTestApp theApp;
    CWnd host;
    CTreeCtrl tree;
    HTREEITEM root = nullptr, vendor = nullptr, app = nullptr;
};

TEST_F(TreeFixture, PathsBuildOneItemPerFolderWhateverTheCaseAndFileNamesMakeNone)
{
    EXPECT_EQ(tree.GetCount(), 5u) << "ProgramFilesFolder, Vendor, App, Common, Other";
    EXPECT_EQ(tree.GetItemText(root), L"ProgramFilesFolder") << "the first spelling names the item";
    EXPECT_EQ(treeitems::ItemPath(tree, app), L"ProgramFilesFolder\\Vendor\\App\\");
    EXPECT_EQ(tree.GetChildItem(app), nullptr) << "app.exe is no tree item";
    EXPECT_EQ(treeitems::ItemPath(tree, nullptr), L"\\");
    EXPECT_EQ(treeitems::FindChild(tree, nullptr, L"other"), tree.GetNextSiblingItem(root));
    EXPECT_EQ(treeitems::FindChild(tree, root, L"App"), nullptr) << "only direct children count";
    EXPECT_EQ(treeitems::FindItemByPath(tree, L"ProgramFilesFolder\\Vendor\\App\\"), app);
    EXPECT_EQ(treeitems::FindItemByPath(tree, L"ProgramFilesFolder\\vendor\\App\\"), nullptr)
        << "the remembered folder is matched exactly";
    TVITEMW item{};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = app;
    ASSERT_TRUE(::SendMessageW(tree.m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.iImage, 1);
    EXPECT_EQ(item.iSelectedImage, 1);
    item.hItem = root;
    ASSERT_TRUE(::SendMessageW(tree.m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.iImage, 0);
}

TEST_F(TreeFixture, SortingOrdersTheChildrenOfOneItemByText)
{
    tree.InsertItem(L"Apps", root);
    treeitems::SortChildren(tree, root);
    std::vector<std::wstring> order;
    for (HTREEITEM child = tree.GetChildItem(root); child; child = tree.GetNextSiblingItem(child))
        order.emplace_back(tree.GetItemText(child).GetString());
    EXPECT_EQ(order, (std::vector<std::wstring>{L"Apps", L"Common", L"Vendor"}));
}

TEST_F(TreeFixture, LabelEditChecks)
{
    const auto systemName = [](const CString& name) { return name == L"SystemFolder" || name == L"Other"; };
    struct Case {
        const char* what;
        HTREEITEM item;
        const wchar_t* typed;
        const wchar_t* oldLabel;
        bool accepted;
        const wchar_t* name = nullptr;
        const wchar_t* oldPrefix = nullptr;
        const wchar_t* newPrefix = nullptr;
    } cases[] = {
        {"cancelled", app, nullptr, L"App", false},
        {"blank", app, L"   ", L"App", false},
        {"forbidden character refused, not cleaned", app, L"To:ol", L"App", false},
        {"a sibling's name in other case", vendor, L"COMMON", L"Vendor", false},
        {"its own name in other case", app, L"app", L"App", false},
        {"a root may only take a root name", root, L"Whatever", L"ProgramFilesFolder", false},
        {"another root's name", root, L"other", L"ProgramFilesFolder", false},
        {"trimmed and accepted", app, L"  Tool ", L"App", true, L"Tool", L"ProgramFilesFolder\\Vendor\\App\\",
         L"ProgramFilesFolder\\Vendor\\Tool\\"},
        {"a root taking a root name", root, L"SystemFolder", L"ProgramFilesFolder", true, L"SystemFolder",
         L"ProgramFilesFolder\\", L"SystemFolder\\"},
    };
    for (const Case& c : cases) {
        const treeitems::LabelEditCheck check = treeitems::CheckLabelEdit(tree, c.item, c.typed, c.oldLabel, systemName);
        EXPECT_EQ(check.accepted, c.accepted) << c.what;
        if (c.accepted && check.accepted) {
            EXPECT_EQ(check.name, c.name) << c.what;
            EXPECT_EQ(check.oldPrefix, c.oldPrefix) << c.what;
            EXPECT_EQ(check.newPrefix, c.newPrefix) << c.what;
        }
    }
}

TEST(TreeItemNames, ForbiddenCharactersAreTakenOut)
{
    struct Case {
        const wchar_t* name;
        const wchar_t* clean;
    } cases[] = {
        {L"a:b", L"ab"},
        {L"New Folder", L"New Folder"},
        {L"\\/:*?\"<>|", L""},
        {L"x<y>|z?", L"xyz"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(treeitems::RemoveForbiddenChars(c.name), c.clean);
        EXPECT_EQ(treeitems::HasForbiddenChars(c.name), CString(c.name) != c.clean);
    }
}

TEST(TreeItemMoves, ARenameMovesEveryRecordBelowTheFolderWhateverItsCase)
{
    Records records;
    for (const wchar_t* path : {L"ProgramFilesFolder\\A\\", L"programfilesfolder\\a\\x.exe", L"ProgramFilesFolder\\A\\Sub\\y.dll",
                                L"ProgramFilesFolder\\AB\\z.dll", L"ProgramFilesFolder\\", L"SystemFolder\\A\\w.dll"})
        records.Add(Record{path});
    const int moved = treeitems::MovePathPrefix(records, L"ProgramFilesFolder\\A\\", L"ProgramFilesFolder\\C\\",
                                                [](Record& r) -> CString& { return r.path; });
    EXPECT_EQ(moved, 3);
    EXPECT_EQ(Paths(records), (std::vector<std::wstring>{L"ProgramFilesFolder\\C\\", L"ProgramFilesFolder\\C\\x.exe",
                                                         L"ProgramFilesFolder\\C\\Sub\\y.dll", L"ProgramFilesFolder\\AB\\z.dll",
                                                         L"ProgramFilesFolder\\", L"SystemFolder\\A\\w.dll"}));
    EXPECT_EQ(treeitems::MovePathPrefix(records, L"", L"X\\", [](Record& r) -> CString& { return r.path; }), 0)
        << "an empty prefix would match everything";
}

}  // namespace
