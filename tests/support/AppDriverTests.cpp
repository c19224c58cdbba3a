// The e2e driver's readers of another process's controls, run on controls of this process: the
// remote-memory path is the same whichever process owns the control.

#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

// A top-level window of this thread, destroyed with the object.
class PlainWindow {
public:
    PlainWindow()
    {
        m_window = ::CreateWindowExW(0, L"Static", L"driver host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 400, 300,
                                     nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    ~PlainWindow() { ::DestroyWindow(m_window); }
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};

HWND Child(HWND parent, const wchar_t* className, DWORD style, int id)
{
    return ::CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 200, 200, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
}

HTREEITEM InsertTreeItem(HWND tree, HTREEITEM parent, const wchar_t* text)
{
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text);
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

} // namespace

TEST(AppDriver, ReadsTreeListViewAndListBoxItemsAndFindsChildrenById)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    PlainWindow host;
    ASSERT_NE(host.Get(), nullptr);

    HWND tree = Child(host.Get(), WC_TREEVIEWW, TVS_HASBUTTONS, 4000);
    const HTREEITEM package = InsertTreeItem(tree, TVI_ROOT, L"Package");
    const HTREEITEM project = InsertTreeItem(tree, package, L"Project \x00e9t\x00e9");
    InsertTreeItem(tree, project, L"Files");
    InsertTreeItem(tree, TVI_ROOT, L"Second");
    ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(project));
    EXPECT_EQ(ReadTreeItems(tree),
              (std::vector<std::wstring>{L"Package", L"  Project \x00e9t\x00e9", L"    Files", L"Second"}));
    EXPECT_EQ(ReadSelectedTreeItem(tree), L"Project \x00e9t\x00e9");

    HWND list = Child(host.Get(), WC_LISTVIEWW, LVS_REPORT, 4001);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 80;
    column.pszText = const_cast<wchar_t*>(L"Name");
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.pszText = const_cast<wchar_t*>(L"Size");
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    for (int row = 0; row < 3; ++row) {
        const std::wstring name = L"file" + std::to_wstring(row);
        const std::wstring size = std::to_wstring(row * 10);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(name.c_str());
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = const_cast<wchar_t*>(size.c_str());
        ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    EXPECT_EQ(ReadListViewColumn(list), (std::vector<std::wstring>{L"file0", L"file1", L"file2"}));
    EXPECT_EQ(ReadListViewColumn(list, 1), (std::vector<std::wstring>{L"0", L"10", L"20"}));

    HWND lines = Child(host.Get(), L"ListBox", LBS_NOTIFY, 4002);
    for (const wchar_t* line : {L"> one", L"> !two", L""})
        ::SendMessageW(lines, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_EQ(ReadListBoxItems(lines), (std::vector<std::wstring>{L"> one", L"> !two", L""}));

    EXPECT_EQ(FindDescendant(host.Get(), {nullptr, nullptr, 4001}), list);
    EXPECT_EQ(FindDescendant(host.Get(), {L"ListBox", nullptr, -1}), lines);
    EXPECT_EQ(FindDescendant(host.Get(), {nullptr, nullptr, 4999}), nullptr);
    EXPECT_EQ(WindowText(host.Get()), L"driver host");
}
