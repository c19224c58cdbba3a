// The files editor in real windows: the panel over a project's entries (fill, rename by label
// edit, new folder, delete with the setup-program question), the file picker (filter, OK only on
// a file row, the bar between its panes dragged with real input) and the icon picker over a
// module whose groups are numbered, named, and named with leading digits.

#include "app/TreeItems.h"
#include "app/files/FileDialogs.h"
#include "app/files/FilePickers.h"
#include "app/files/FileRules.h"
#include "app/files/FilesPanel.h"
#include "app/files/SelectIcoDlg.h"

#include "engine/files/Globals.h"
#include "engine/storage/Projects.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace testsupport;

inline void PrintTo(const CString& text, std::ostream* os)
{
    *os << '"' << Utf8(text.View()) << '"';
}

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Files Editor Tests") {}
};

CFileEntry Entry(const CString& path, int kind, const CString& source = CString())
{
    CFileEntry entry;
    entry.m_path = path;
    entry.m_kind = kind;
    entry.m_sourcePath = source;
    return entry;
}

std::vector<std::wstring> Paths(const CFileEntries& entries)
{
    std::vector<std::wstring> paths;
    for (INT_PTR i = 0; i < entries.GetSize(); ++i)
        paths.emplace_back(entries[i].m_path.GetString());
    return paths;
}

struct ListRow {
    std::wstring name, type, size, source;
    int image;
    bool operator==(const ListRow&) const = default;
};

std::ostream& operator<<(std::ostream& os, const ListRow& row)
{
    return os << Utf8(row.name) << '|' << Utf8(row.type) << '|' << Utf8(row.size) << '|' << Utf8(row.source) << '|'
              << row.image;
}

std::vector<ListRow> Rows(CListCtrl& list)
{
    std::vector<ListRow> rows;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        ::SendMessageW(list.m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        rows.push_back({list.GetItemText(i, 0).GetString(), list.GetItemText(i, 1).GetString(),
                        list.GetItemText(i, 2).GetString(), list.GetItemText(i, 3).GetString(), item.iImage});
    }
    return rows;
}

int ImageOf(CTreeCtrl& tree, HTREEITEM item)
{
    TVITEMW data{};
    data.mask = TVIF_IMAGE;
    data.hItem = item;
    ::SendMessageW(tree.m_hWnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return data.iImage;
}

// Answers the message boxes that show, in order: each one must contain its text, and gets the
// button. Runs on a helper thread while the test thread sits in the boxes' modal loops.
class BoxAnswers {
public:
    BoxAnswers(std::vector<std::pair<std::wstring, int>> answers) : m_answers(std::move(answers))
    {
        m_thread = std::thread([this] {
            for (const auto& [text, button] : m_answers) {
                HWND box = nullptr;
                if (!WaitFor([&] { return (box = FindProcessWindow({L"#32770", nullptr})) != nullptr; }, kGuiTimeoutMs))
                    return;
                m_seen.push_back(MessageBoxText(box));
                ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
                WaitFor([&] { return !::IsWindow(box); }, kGuiTimeoutMs);
            }
        });
    }
    ~BoxAnswers() { Join(); }
    // The texts of the boxes that showed.
    const std::vector<std::wstring>& Join()
    {
        if (m_thread.joinable())
            m_thread.join();
        return m_seen;
    }

private:
    std::vector<std::pair<std::wstring, int>> m_answers;
    std::vector<std::wstring> m_seen;
    std::thread m_thread;
};

// A top-level window holding the files panel, over one package with one project.
class FilesPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CProjectSettings package;
        package.m_outputFolder = scratch.Path();
        package.m_projects.Add(CFeature());
        projects.Add(package);
        CurrentPackageIndex = 0;
        CurrentProjectIndex = 0;
        ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                                         reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                                  L"files host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, 900, 500,
                                  nullptr, nullptr));
        ASSERT_TRUE(panel.CreateStatic(&host, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST));
        ASSERT_TRUE(panel.CreatePanes());
        panel.Context().projects = &projects;
        CRect client;
        host.GetClientRect(&client);
        panel.MoveWindow(&client, TRUE);
    }
    void TearDown() override
    {
        panel.Release();
        panel.DestroyWindow();
        host.DestroyWindow();
    }

    CFileEntries& Files() { return projects[0].m_projects[0].m_files; }
    CFeature& Project() { return projects[0].m_projects[0]; }
    CTreeCtrl& Tree() { return panel.Tree()->GetTreeCtrl(); }
    CListCtrl& List() { return panel.List()->GetListCtrl(); }
    CString SelectedPath() { return panel.Tree()->GetItemPath(Tree().GetSelectedItem()); }
    HTREEITEM Item(const wchar_t* path) { return treeitems::FindItemByPath(Tree(), path); }
    void SelectRows(std::initializer_list<const wchar_t*> names)
    {
        List().SetItemState(-1, 0, LVIS_SELECTED);
        for (const wchar_t* name : names) {
            for (int i = 0; i < List().GetItemCount(); ++i) {
                if (List().GetItemText(i, 0) == name)
                    List().SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
            }
        }
    }
    // Renames item by its label edit, as typing a name and pressing Enter does.
    void Rename(HTREEITEM item, const wchar_t* name)
    {
        panel.Tree()->SetFocus();
        HWND edit = Tree().EditLabel(item);
        ASSERT_NE(edit, nullptr);
        ::SetWindowTextW(edit, name);
        Tree().EndEditLabelNow(FALSE);
    }

    CTestApp app;
    ScratchFolder scratch;
    CProjects projects;
    CWnd host;
    CFilesPanel panel;
};

TEST_F(FilesPanelTest, FillGroupsPathsWhateverTheirCaseAndShowsTheRememberedFolder)
{
    ASSERT_TRUE(WriteAllBytes(scratch / L"a.exe", std::vector<uint8_t>(1536, 'a')));
    CFileEntries& files = Files();
    files.Add(Entry(L"ProgramFilesFolder\\App\\", CFileEntry::kindFolder));
    CFileEntry a = Entry(L"ProgramFilesFolder\\App\\a.exe", CFileEntry::kindFile, scratch / L"a.exe");
    a.m_fileSize = 1536;
    files.Add(a);
    files.Add(Entry(L"programfilesfolder\\app\\Sub\\b.dll", CFileEntry::kindFile, L"C:\\nowhere\\b.dll"));
    files.Add(Entry(L"PROGRAMFILESFOLDER\\APP\\gone.dll", CFileEntry::kindFile, L"C:\\nowhere\\gone.dll"));
    files.Add(Entry(L"Vendor\\x.txt", CFileEntry::kindFile, L"C:\\nowhere\\x.txt"));
    files.m_lastShownFolder = L"ProgramFilesFolder\\App\\";
    panel.ShowFiles(&files);

    HTREEITEM root = Item(L"ProgramFilesFolder\\");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Tree().GetCount(), 4u) << "ProgramFilesFolder, App, Sub, Vendor: one item per folder";
    EXPECT_EQ(ImageOf(Tree(), root), imageRoot);
    EXPECT_EQ(ImageOf(Tree(), Item(L"Vendor\\")), imageFolder) << "no system folder, no root entry";
    EXPECT_EQ(SelectedPath(), L"ProgramFilesFolder\\App\\");
    EXPECT_EQ(panel.List()->CurrentFolder(), L"ProgramFilesFolder\\App\\");
    EXPECT_EQ(Rows(List()), (std::vector<ListRow>{
                                {L"Sub", L"Folder", L"", L"", imageFolder},
                                {L"a.exe", L"File", L"2 KB", L"[ProjectDirectory]a.exe", imageFile},
                                {L"gone.dll", L"File", L"", L"C:\\nowhere\\gone.dll",
                                 imageMissing},
                            }));

    // leaving remembers the folder; coming back shows it again
    SelectRows({});
    Tree().SelectItem(Item(L"Vendor\\"));
    EXPECT_EQ(Rows(List()).size(), 1u);
    panel.Leave();
    EXPECT_EQ(files.m_lastShownFolder, L"Vendor\\");
    EXPECT_EQ(panel.List()->Entries(), nullptr);
    EXPECT_EQ(List().GetItemCount(), 0);
}

TEST_F(FilesPanelTest, RenamingAFolderMovesEverythingBelowItWhateverItsCase)
{
    CFileEntries& files = Files();
    files.Add(Entry(L"ProgramFilesFolder\\", CFileEntry::kindRoot));
    files.Add(Entry(L"ProgramFilesFolder\\A\\", CFileEntry::kindFolder));
    files.Add(Entry(L"programfilesfolder\\a\\x.exe", CFileEntry::kindFile));
    files.Add(Entry(L"ProgramFilesFolder\\A\\Deep\\y.dll", CFileEntry::kindFile));
    files.Add(Entry(L"ProgramFilesFolder\\AB\\z.dll", CFileEntry::kindFile));
    CFileEntry run = Entry(L"ProgramMenuFolder\\Run.lnk", CFileEntry::kindShortcut, L"programfilesfolder\\A\\x.exe");
    run.m_workingDirectory = L"ProgramFilesFolder\\A\\";
    files.Add(run);
    panel.ShowFiles(&files);
    HTREEITEM a = Item(L"ProgramFilesFolder\\A\\");
    ASSERT_NE(a, nullptr);
    Tree().SelectItem(a);

    Rename(a, L"ab");
    Rename(a, L"a:b");
    Rename(Item(L"ProgramFilesFolder\\"), L"Vendor");
    EXPECT_EQ(Paths(files), (std::vector<std::wstring>{L"ProgramFilesFolder\\", L"ProgramFilesFolder\\A\\",
                                                      L"programfilesfolder\\a\\x.exe", L"ProgramFilesFolder\\A\\Deep\\y.dll",
                                                      L"ProgramFilesFolder\\AB\\z.dll", L"ProgramMenuFolder\\Run.lnk"}))
        << "a sibling's name in other case, a forbidden character and a root without a system name are refused";
    EXPECT_EQ(Tree().GetItemText(a), L"A");

    Rename(a, L"C");
    EXPECT_EQ(Paths(files), (std::vector<std::wstring>{L"ProgramFilesFolder\\", L"ProgramFilesFolder\\C\\",
                                                      L"ProgramFilesFolder\\C\\x.exe", L"ProgramFilesFolder\\C\\Deep\\y.dll",
                                                      L"ProgramFilesFolder\\AB\\z.dll", L"ProgramMenuFolder\\Run.lnk"}));
    EXPECT_EQ(files[5].m_sourcePath, L"ProgramFilesFolder\\C\\x.exe") << "the shortcut follows its target";
    EXPECT_EQ(files[5].m_workingDirectory, L"ProgramFilesFolder\\C\\");
    EXPECT_EQ(Tree().GetItemText(a), L"C");
    EXPECT_EQ(panel.List()->CurrentFolder(), L"ProgramFilesFolder\\C\\");
    EXPECT_EQ(Rows(List()).size(), 2u) << "Deep and x.exe";
}

TEST_F(FilesPanelTest, NewFolderTwiceSelectsTheExistingOneAndEditsItsLabel)
{
    CFileEntries& files = Files();
    files.Add(Entry(L"ProgramFilesFolder\\", CFileEntry::kindRoot));
    panel.ShowFiles(&files);
    HTREEITEM root = Item(L"ProgramFilesFolder\\");
    for (int round = 0; round < 2; ++round) {
        Tree().SelectItem(root);
        panel.Tree()->SendMessage(WM_COMMAND, ID_FILES_NEW_FOLDER);
        EXPECT_EQ(SelectedPath(), L"ProgramFilesFolder\\New Folder\\");
        EXPECT_NE(Tree().GetEditControl(), nullptr) << "round " << round;
        Tree().EndEditLabelNow(TRUE);
    }
    int made = 0;
    for (INT_PTR i = 0; i < files.GetSize(); ++i)
        made += files[i].m_path == L"ProgramFilesFolder\\New Folder\\" && files[i].m_kind == CFileEntry::kindFolder;
    EXPECT_EQ(made, 1);

    // a system folder name makes a root entry and item
    HTREEITEM system = panel.Tree()->AddFolder(nullptr, L"System:Folder");
    EXPECT_EQ(panel.Tree()->GetItemPath(system), L"SystemFolder\\");
    EXPECT_EQ(ImageOf(Tree(), system), imageRoot);
    EXPECT_EQ(files[files.GetSize() - 1].m_kind, CFileEntry::kindRoot);
}

TEST_F(FilesPanelTest, DeletingTheSetupProgramAsksWhateverTheCaseOfItsPath)
{
    CFileEntries& files = Files();
    files.Add(Entry(L"ProgramFilesFolder\\App\\setup.exe", CFileEntry::kindFile));
    files.Add(Entry(L"ProgramFilesFolder\\App\\setup.exe.config", CFileEntry::kindFile));
    files.Add(Entry(L"ProgramFilesFolder\\App\\Sub\\c.dll", CFileEntry::kindFile));
    Project().m_installerPath = L"programfilesfolder\\APP\\SETUP.EXE";
    files.m_lastShownFolder = L"ProgramFilesFolder\\App\\";
    panel.ShowFiles(&files);
    ASSERT_EQ(panel.List()->CurrentFolder(), L"ProgramFilesFolder\\App\\");

    SelectRows({L"setup.exe", L"setup.exe.config"});
    {
        BoxAnswers boxes({{L"Delete selected?", IDYES}, {L"Install Script", IDNO}});
        panel.List()->SendMessage(WM_COMMAND, ID_PANEL_DELETE);
        const auto& seen = boxes.Join();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_NE(seen[1].find(L"File \"ProgramFilesFolder\\App\\setup.exe\" is used in the Install Script. Delete anyway?"),
                  std::wstring::npos)
            << Utf8(seen[1]);
    }
    EXPECT_EQ(Paths(files), (std::vector<std::wstring>{L"ProgramFilesFolder\\App\\setup.exe",
                                                      L"ProgramFilesFolder\\App\\Sub\\c.dll"}));
    EXPECT_EQ(Project().m_installerPath, L"programfilesfolder\\APP\\SETUP.EXE");
    EXPECT_EQ(Rows(List()).size(), 2u) << "Sub and setup.exe stay";

    SelectRows({L"setup.exe", L"Sub"});
    {
        BoxAnswers boxes({{L"Delete selected?", IDYES}, {L"Install Script", IDYES}});
        panel.List()->SendMessage(WM_COMMAND, ID_PANEL_DELETE);
        EXPECT_EQ(boxes.Join().size(), 2u);
    }
    EXPECT_EQ(files.GetSize(), 0);
    EXPECT_TRUE(Project().m_installerPath.IsEmpty());
    EXPECT_EQ(List().GetItemCount(), 0);
}

// ---- the file picker ----

class PickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const wchar_t* path : {L"Temp\\setup.exe", L"Temp\\readme.txt", L"Temp\\bin\\tool.exe", L"Temp\\docs\\a.txt"})
            entries.Add(Entry(path, CFileEntry::kindFile, L"C:\\nowhere\\x"));
    }
    CTestApp app;
    CFileEntries entries;
};

HWND VisibleSplitter(HWND dialog)
{
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) == IDC_PICKER_SPLITTER && ::IsWindowVisible(child))
            return child;
    }
    return nullptr;
}

std::vector<std::wstring> ListTexts(HWND list)
{
    std::vector<std::wstring> texts;
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[260] = {};
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = 260;
        ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        texts.emplace_back(text);
    }
    return texts;
}

int RowOf(HWND list, const wchar_t* text)
{
    const auto texts = ListTexts(list);
    for (size_t i = 0; i < texts.size(); ++i) {
        if (texts[i] == text)
            return static_cast<int>(i);
    }
    return -1;
}

void SelectRow(HWND list, int row)
{
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

TEST_F(PickerTest, OnlyAFileRowSelectedByMouseOrKeyboardEnablesOk)
{
    CBrowseFilesDlg dialog(&entries, L".exe");
    dialog.m_selection = L"Temp\\bin\\tool.exe";
    std::vector<std::wstring> shown;
    bool okOnPreselected = false, okOnFolder = true, stayedOpen = false, okByKeyboard = false;
    ModalDriver driver({nullptr, L"Files"}, [&](HWND window) {
        HWND list = ::GetDlgItem(window, IDC_PICKER_LIST);
        HWND tree = ::GetDlgItem(window, IDC_PICKER_TREE);
        HWND ok = ::GetDlgItem(window, IDOK);
        okOnPreselected = ::IsWindowEnabled(ok) != FALSE;
        // up to Temp, which shows bin and setup.exe only
        HTREEITEM bin = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        HTREEITEM temp = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT,
                                                                    reinterpret_cast<LPARAM>(bin)));
        ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(temp));
        shown = ListTexts(list);
        SelectRow(list, RowOf(list, L"bin"));
        okOnFolder = ::IsWindowEnabled(ok) != FALSE;
        ::SendMessageW(window, WM_COMMAND, IDOK, 0);
        stayedOpen = ::IsWindow(window) && ::IsWindowVisible(window);
        // the keyboard: from bin down to setup.exe
        EXPECT_TRUE(BringToForeground(window));
        ::SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
        WaitFor([&] { return FocusOfThread(window) == list; }, kGuiTimeoutMs);
        PressKeys({VK_DOWN});
        okByKeyboard = WaitFor([&] { return ::IsWindowEnabled(ok) != FALSE; }, kGuiTimeoutMs);
        PressKeys({VK_RETURN});
        if (!WaitFor([&] { return !::IsWindow(window); }, kGuiTimeoutMs))
            ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(driver.Wait());
    EXPECT_TRUE(okOnPreselected) << "the preselected tool.exe is a file row";
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"bin", L"setup.exe"})) << "readme.txt and docs hold no .exe";
    EXPECT_FALSE(okOnFolder);
    EXPECT_TRUE(stayedOpen) << "OK on a folder row returns nothing";
    EXPECT_TRUE(okByKeyboard);
    EXPECT_EQ(dialog.m_selection, L"Temp\\setup.exe");
}

// Drags with real input from one screen point to another, in steps.
void Drag(POINT from, POINT to)
{
    ::SetCursorPos(from.x, from.y);
    INPUT down{};
    down.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    ::SendInput(1, &down, sizeof(INPUT));
    for (int step = 1; step <= 6; ++step) {
        ::Sleep(20);   // lets the dialog thread see each move as its own message
        ::SetCursorPos(from.x + (to.x - from.x) * step / 6, from.y + (to.y - from.y) * step / 6);
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dwFlags = MOUSEEVENTF_MOVE;
        ::SendInput(1, &move, sizeof(INPUT));
    }
    INPUT up{};
    up.type = INPUT_MOUSE;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &up, sizeof(INPUT));
}

TEST_F(PickerTest, DraggingTheBarWidensTheTreeWithinItsRange)
{
    CBrowseFilesDlg dialog(&entries, CString());
    int widened = 0, narrowed = 0, clamped = 0;
    ModalDriver driver({nullptr, L"Files"}, [&](HWND window) {
        HWND tree = ::GetDlgItem(window, IDC_PICKER_TREE);
        HWND list = ::GetDlgItem(window, IDC_PICKER_LIST);
        HWND bar = VisibleSplitter(window);
        EXPECT_NE(bar, nullptr);
        if (!bar) {
            ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        EXPECT_TRUE(BringToForeground(window));
        const auto width = [](HWND w) {
            RECT r;
            ::GetWindowRect(w, &r);
            return static_cast<int>(r.right - r.left);
        };
        const int tree0 = width(tree), list0 = width(list);
        RECT b;
        ::GetWindowRect(bar, &b);
        const POINT centre{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
        Drag(centre, POINT{centre.x + 30, centre.y});
        WaitFor([&] { return width(tree) != tree0; }, kGuiTimeoutMs);
        widened = width(tree) - tree0;
        narrowed = list0 - width(list);
        // a drag far beyond the range stops 50 pixels from where the bar started
        ::GetWindowRect(bar, &b);
        const POINT now{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
        Drag(now, POINT{now.x + 200, now.y});
        WaitFor([&] { return width(tree) != tree0 + widened; }, kGuiTimeoutMs);
        clamped = width(tree) - tree0;
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(driver.Wait());
    EXPECT_EQ(widened, 30);
    EXPECT_EQ(narrowed, 30);
    EXPECT_EQ(clamped, 50);
}

// ---- the icon picker ----

// A copy of the icon fixture module with two more groups made at run time, since a resource
// script cannot name a group with a leading digit: "7ZIP" and a name of 200 characters, both
// holding the image of group 101.
CString ModuleWithNamedGroups(const ScratchFolder& scratch, const std::wstring& longName)
{
    const CString copy = scratch / L"icons.dll";
    if (!::CopyFileW(FixturePath(L"icon_groups.dll"), copy, FALSE))
        return CString();
    HMODULE module = ::LoadLibraryExW(copy, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return CString();
    HRSRC groupInfo = ::FindResourceW(module, MAKEINTRESOURCEW(101), RT_GROUP_ICON);
    std::vector<uint8_t> group;
    if (groupInfo) {
        const auto* data = static_cast<const uint8_t*>(::LockResource(::LoadResource(module, groupInfo)));
        group.assign(data, data + ::SizeofResource(module, groupInfo));
    }
    ::FreeLibrary(module);
    if (group.empty())
        return CString();
    HANDLE update = ::BeginUpdateResourceW(copy, FALSE);
    if (!update)
        return CString();
    for (const wchar_t* name : {L"7ZIP", longName.c_str()})
        ::UpdateResourceW(update, RT_GROUP_ICON, name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), group.data(),
                          static_cast<DWORD>(group.size()));
    return ::EndUpdateResourceW(update, FALSE) ? copy : CString();
}

TEST(IconPicker, EachItemReturnsItsOwnGroupNumberOrName)
{
    CTestApp app;
    ScratchFolder scratch;
    const std::wstring longName = L"ICON" + std::wstring(196, L'X');
    const CString module = ModuleWithNamedGroups(scratch, longName);
    ASSERT_FALSE(module.IsEmpty());
    struct Case {
        std::wstring caption;
        WORD number;
        std::wstring name;
    } cases[] = {
        {L"101", 101, L""},
        {L"MAINICON", 0, L"MAINICON"},
        {L"7ZIP", 0, L"7ZIP"},
        {longName, 0, longName},
    };
    for (const Case& c : cases) {
        CSelectIcoDlg dialog;
        dialog.m_file = module;
        std::vector<std::wstring> captions;
        bool okAtStart = false;
        ModalDriver driver({nullptr, L"Icon"}, [&](HWND window) {
            HWND list = ::GetDlgItem(window, IDC_ICON_LIST);
            okAtStart = ::IsWindowEnabled(::GetDlgItem(window, IDOK)) != FALSE;
            captions = ListTexts(list);
            const int row = RowOf(list, c.caption.c_str());
            if (row >= 0) {
                SelectRow(list, row);
                ::PostMessageW(window, WM_COMMAND, IDOK, 0);
            } else {
                ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            }
        });
        ASSERT_EQ(dialog.DoModal(), IDOK) << Utf8(c.caption);
        EXPECT_TRUE(driver.Wait());
        EXPECT_TRUE(okAtStart) << "the first group is selected";
        EXPECT_EQ(captions.size(), 5u) << "1, 101, MAINICON, 7ZIP and the long name";
        EXPECT_EQ(dialog.GroupNumber(), c.number) << Utf8(c.caption);
        EXPECT_EQ(std::wstring(dialog.GroupName().GetString()), c.name) << Utf8(c.caption);
    }

    // a file that is no module lists nothing and keeps OK disabled
    ASSERT_TRUE(WriteAllBytes(scratch / L"plain.ico", std::vector<uint8_t>(64, 'x')));
    CSelectIcoDlg dialog;
    dialog.m_file = scratch / L"plain.ico";
    bool okEnabled = true;
    int count = -1;
    ModalDriver driver({nullptr, L"Icon"}, [&](HWND window) {
        okEnabled = ::IsWindowEnabled(::GetDlgItem(window, IDOK)) != FALSE;
        count = static_cast<int>(::SendMessageW(::GetDlgItem(window, IDC_ICON_LIST), LVM_GETITEMCOUNT, 0, 0));
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(driver.Wait());
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(okEnabled);
}

// ---- the shortcut dialog ----

TEST(ShortcutDialog, WritesTheEntryAndItsIconOnlyWhenOkPasses)
{
    CTestApp app;
    ScratchFolder scratch;
    ASSERT_TRUE(::CopyFileW(FixturePath(L"icon_groups.dll"), scratch / L"app.exe", FALSE));
    CFileEntries entries;
    entries.Add(Entry(L"ProgramFilesFolder\\App\\app.exe", CFileEntry::kindFile, scratch / L"app.exe"));
    entries.Add(Entry(L"ProgramFilesFolder\\App\\b.exe", CFileEntry::kindFile, scratch / L"app.exe"));
    CFileEntry shortcut = Entry(L"ProgramFilesFolder\\App\\Shortcut to app.exe", CFileEntry::kindShortcut,
                                L"ProgramFilesFolder\\App\\app.exe");
    shortcut.m_attributes = 0;
    const CFileEntry before = shortcut;

    // Runs the dialog: choose an icon, type name, press OK (and Cancel when it stays open).
    const auto run = [&](const wchar_t* name, CString& tempSeen, bool& stayedOpen) {
        CShortcutDlg dialog;
        dialog.m_outputFolder = scratch.Path();
        dialog.InitNew(&entries, &shortcut, shortcut.m_path);
        CString suggested;
        dialog.chooseIcon = [&](const CString& offered, CShortcutDlg::IconChoice& choice) {
            suggested = offered;
            choice.source = offered;
            choice.name = L"MAINICON";
            return true;
        };
        ModalDriver driver({nullptr, L"Edit Shortcut"}, [&](HWND window) {
            ::SendMessageW(window, WM_COMMAND, IDC_SHORTCUT_ICON, 0);
            tempSeen = dialog.TempIconFile();
            ::SetDlgItemTextW(window, IDC_ENTRY_NAME, name);
            ::SendMessageW(window, WM_COMMAND, IDOK, 0);
            // an OK that passed closes the dialog; one that was refused leaves it for Cancel
            if (!WaitFor([&] { return !::IsWindow(window) || !::IsWindowVisible(window); }, 3000))
                ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        });
        const INT_PTR result = dialog.DoModal();
        stayedOpen = result == IDCANCEL;
        EXPECT_TRUE(driver.Wait());
        EXPECT_EQ(suggested, scratch / L"app.exe") << "the target's own file offers its icons";
        return std::make_pair(result, dialog.IconFilePath());
    };

    CString temp;
    bool stayedOpen = false;
    auto [refused, iconFile] = run(L"b.exe", temp, stayedOpen);
    EXPECT_EQ(refused, IDCANCEL);
    EXPECT_TRUE(stayedOpen) << "a new shortcut cannot take a file's name";
    EXPECT_FALSE(temp.IsEmpty());
    EXPECT_FALSE(FileExists(temp)) << "Cancel deletes the temporary icon";
    EXPECT_FALSE(FileExists(iconFile)) << "no icon before OK passed";
    EXPECT_EQ(shortcut.m_path, before.m_path);
    EXPECT_EQ(shortcut.m_sourcePath, before.m_sourcePath);

    auto [accepted, storedIcon] = run(L" Tool ", temp, stayedOpen);
    EXPECT_EQ(accepted, IDOK);
    EXPECT_FALSE(stayedOpen);
    EXPECT_EQ(shortcut.m_path, L"ProgramFilesFolder\\App\\Tool");
    EXPECT_EQ(storedIcon, scratch.Path() + L"\\resources\\I" + shortcut.m_id + L".ico");
    EXPECT_TRUE(FileExists(storedIcon));
    EXPECT_FALSE(FileExists(temp));
}

}  // namespace
