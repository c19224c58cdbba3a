// The main frame made the way the program makes it (frame, view and document of one template),
// on a package list of its own: the status bar and toolbar, the tree beside the view, the output
// row collapsed until a worker writes to it, the commands' enabling by the tree's selection, and
// the hosted panel covering the view through resizes.

#include "app/MainFrame.h"
#include "app/TarnwickView.h"

#include "engine/storage/Projects.h"

#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"

#include "tests/support/AppDriver.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <commctrl.h>

using namespace testsupport;

namespace {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Tarnwick Professional") {}
};

CFeature Project(const wchar_t* name, int mode)
{
    CFeature project;
    project.m_name = name;
    project.m_conversionMode = mode;
    return project;
}

// Records the state an update handler gives a command.
class CStateQuery : public CCmdUI {
public:
    explicit CStateQuery(UINT id) { m_nID = id; }
    void Enable(BOOL bOn) override
    {
        enabled = bOn != FALSE;
        m_bEnableChanged = TRUE;
    }
    bool enabled = true;
};

// A panel that takes Delete and Enter, as the files and registry editors will.
class CKeyPanel : public CWnd {
public:
    int deletes = 0;
    int enters = 0;
    BOOL CreatePanel(CWnd* parent)
    {
        return CreateEx(0, AfxRegisterWndClass(0), L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 50, 50,
                        parent->m_hWnd, nullptr);
    }

protected:
    void OnPanelDelete() { ++deletes; }
    void OnPanelEnter() { ++enters; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CKeyPanel, CWnd)
    ON_COMMAND(ID_PANEL_DELETE, OnPanelDelete)
    ON_COMMAND(ID_PANEL_ENTER, OnPanelEnter)
END_MESSAGE_MAP()

CRect WindowRect(HWND window)
{
    CRect rect;
    ::GetWindowRect(window, &rect);
    return rect;
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
        dataFile = scratch / L"tarnwick.dat";
        CProjects made;
        ASSERT_TRUE(CreatePackage(L"Office", scratch.Path(), made));
        ASSERT_TRUE(CreatePackage(L"Empty", scratch.Path(), made));
        made[0].m_projects.Add(Project(L"Repack", CFeature::modeRepackage));
        ASSERT_TRUE(SaveDataFile(dataFile, made));
        document.m_bAutoDelete = FALSE;    // the test owns it
    }

    CMainFrame* Open()
    {
        auto* frame = new CMainFrame;
        frame->TreeArgs().projects = &projects;
        frame->TreeArgs().dataFile = dataFile;
        frame->TreeArgs().defaultDataFile = ModuleFolder() + L"\\tarnwick.dat";
        CCreateContext context;
        context.m_pNewViewClass = RUNTIME_CLASS(CtarnwickView);
        context.m_pCurrentDoc = &document;
        if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context))
            return nullptr;    // a failed frame deletes itself
        app.m_pMainWnd = frame;
        frame->InitialUpdateFrame(&document, TRUE);
        frame->SetWindowPos(nullptr, 20, 20, 900, 600, SWP_NOZORDER | SWP_SHOWWINDOW);
        frame->RecalcLayout();
        return frame;
    }

    void Close(CMainFrame* frame)
    {
        app.m_pMainWnd = nullptr;
        frame->DestroyWindow();
        AfxDeleteTempMaps();
    }

    static bool Enabled(CMainFrame* frame, UINT id)
    {
        CStateQuery query(id);
        frame->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &query, nullptr);
        return query.enabled;
    }

    CTestApp app;
    ScratchFolder scratch;
    CString dataFile;
    CProjects projects;
    CtarnwickDoc document;
};

} // namespace

TEST_F(FrameTest, ShowsBarsTheTreeBesideTheViewAndEnablesCommandsBySelection)
{
    CMainFrame* frame = Open();
    ASSERT_NE(frame, nullptr);
    CProjectsTree& tree = frame->Tree();
    CtarnwickView* view = frame->MainView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(frame->GetActiveView(), view);

    // status bar with the idle text, then a command's prompt
    EXPECT_TRUE(PumpUntil([&] { return frame->StatusBar().GetPaneText(0) == L"Ready"; }))
        << Utf8(frame->StatusBar().GetPaneText(0).GetString());
    frame->SendMessage(WM_SETMESSAGESTRING, ID_DELETE_ITEM);
    EXPECT_EQ(frame->StatusBar().GetPaneText(0), CString(L"Delete Item"));
    HWND toolbar = ::GetDlgItem(frame->m_hWnd, AFX_IDW_TOOLBAR);
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 7);

    // the tree at the left, the view beside it, the output row collapsed below both
    const CRect treeRect = WindowRect(tree.m_hWnd);
    const CRect viewRect = WindowRect(view->m_hWnd);
    EXPECT_EQ(treeRect.Width(), CMainFrame::kTreeWidth);
    EXPECT_LE(treeRect.right, viewRect.left);
    EXPECT_GT(viewRect.Width(), 400);
    EXPECT_FALSE(frame->IsOutputWindowOpen());
    EXPECT_EQ(WindowRect(frame->OutputList().m_hWnd).Height(), 0);

    // the remembered node (the project) shows its panel over the whole view
    EXPECT_EQ(ReadSelectedTreeItem(tree.m_hWnd), L"Repack");
    ASSERT_TRUE(PumpUntil([&] { return view->ShownPanel() == &tree.ProjectPanel(); }));
    EXPECT_EQ(WindowRect(tree.ProjectPanel().m_hWnd), WindowRect(view->m_hWnd));
    EXPECT_TRUE(Enabled(frame, ID_DELETE_ITEM));
    EXPECT_TRUE(Enabled(frame, ID_BUILD_PACKAGE));

    // resizing the frame resizes the panel with the view
    frame->SetWindowPos(nullptr, 0, 0, 700, 450, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(PumpUntil([&] {
        CRect client;
        view->GetClientRect(&client);
        const CRect panel = WindowRect(tree.ProjectPanel().m_hWnd);
        return client.Width() < 500 && panel.Width() == client.Width() && panel.Height() == client.Height();
    }));

    // "Files" is neither package nor project: no Delete; its package has a project: Build
    tree.SelectItem(FindTreeItem(tree, L"Files"));
    EXPECT_FALSE(Enabled(frame, ID_DELETE_ITEM));
    EXPECT_TRUE(Enabled(frame, ID_BUILD_PACKAGE));
    // a package without a project builds nothing, and can be deleted
    tree.SelectItem(FindTreeItem(tree, L"Empty"));
    EXPECT_TRUE(Enabled(frame, ID_DELETE_ITEM));
    EXPECT_FALSE(Enabled(frame, ID_BUILD_PACKAGE));

    // Start Page lets the panel go
    frame->SendMessage(WM_COMMAND, ID_VIEW_START_PAGE);
    EXPECT_EQ(view->ShownPanel(), nullptr);
    EXPECT_TRUE(view->StartPage().IsWindowVisible());
    Close(frame);
}

TEST_F(FrameTest, LinesFromAWorkerOpenTheCollapsedOutputRowArriveInOrderAndTheLastIsSelected)
{
    CMainFrame* frame = Open();
    ASSERT_NE(frame, nullptr);
    ASSERT_FALSE(frame->IsOutputWindowOpen());

    constexpr int kLines = 60;
    std::atomic<bool> done{false};
    const HWND target = frame->m_hWnd;
    std::thread worker([&] {
        ::SendMessageW(target, WM_APP_CLEAR_OUTPUT, 0, 0);
        for (int i = 0; i < kLines; ++i) {
            std::wstring line = L"> line " + std::to_wstring(i);
            ::SendMessageW(target, WM_APP_APPEND_OUTPUT, reinterpret_cast<WPARAM>(line.c_str()), 0);
            line.assign(line.size(), L'x');    // the list keeps its own copy
        }
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();

    const std::vector<std::wstring> lines = ReadListBoxItems(frame->OutputList().m_hWnd);
    ASSERT_EQ(lines.size(), static_cast<size_t>(kLines));
    for (int i = 0; i < kLines; ++i)
        EXPECT_EQ(lines[i], L"> line " + std::to_wstring(i));
    EXPECT_EQ(frame->OutputList().GetCurSel(), kLines - 1);
    EXPECT_TRUE(frame->IsOutputWindowOpen());
    EXPECT_GT(WindowRect(frame->OutputList().m_hWnd).Height(), 50);
    // the view gave the row its room
    EXPECT_LE(WindowRect(frame->MainView()->m_hWnd).bottom, WindowRect(frame->OutputList().m_hWnd).top);

    frame->SendMessage(WM_APP_CLEAR_OUTPUT);
    EXPECT_EQ(frame->OutputList().GetCount(), 0);
    Close(frame);
}

TEST_F(FrameTest, AnOutputMessageWithLParamOneOnlyOpensTheRow)
{
    CMainFrame* frame = Open();
    ASSERT_NE(frame, nullptr);
    ASSERT_FALSE(frame->IsOutputWindowOpen());
    frame->SendMessage(WM_APP_APPEND_OUTPUT, reinterpret_cast<WPARAM>(L"not added"), 1);
    EXPECT_TRUE(frame->IsOutputWindowOpen());
    EXPECT_EQ(frame->OutputList().GetCount(), 0);
    Close(frame);
}

TEST_F(FrameTest, TheKeyboardContextMenuOfTheTreeOpensBesideItsCorner)
{
    CMainFrame* frame = Open();
    ASSERT_NE(frame, nullptr);
    CProjectsTree& tree = frame->Tree();
    CPoint corner(0, 0);
    tree.ClientToScreen(&corner);

    // The menu runs its own loop inside the tree's handler: a worker watches it and closes it.
    struct Seen {
        RECT rect{};
        int items = -1;
        bool found = false;
    };
    const auto open = [&](bool selected) {
        if (!selected)
            tree.SelectItem(nullptr);
        Seen seen;
        std::thread watcher([&] {
            const ULONGLONG end = ::GetTickCount64() + 60000;
            while (::GetTickCount64() < end) {
                HWND menu = ::FindWindowW(L"#32768", nullptr);
                if (menu && ::IsWindowVisible(menu)) {
                    ::GetWindowRect(menu, &seen.rect);
                    HMENU items = reinterpret_cast<HMENU>(::SendMessageW(menu, MN_GETHMENU, 0, 0));
                    seen.items = items ? ::GetMenuItemCount(items) : -1;
                    seen.found = true;
                    ::PostMessageW(frame->m_hWnd, WM_CANCELMODE, 0, 0);
                    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                    return;
                }
                ::Sleep(20);
            }
        });
        tree.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree.m_hWnd), MAKELPARAM(-1, -1));
        watcher.join();
        return seen;
    };

    const Seen withNode = open(true);
    ASSERT_TRUE(withNode.found) << "no menu opened";
    EXPECT_EQ(withNode.rect.left, corner.x + 5);
    EXPECT_EQ(withNode.rect.top, corner.y + 5);
    EXPECT_EQ(withNode.items, 4) << "the actions of the selected node";
    const Seen without = open(false);
    ASSERT_TRUE(without.found);
    EXPECT_EQ(without.items, 2) << "the two package commands of the File menu";
    Close(frame);
}

TEST_F(FrameTest, DeleteAndEnterGoToThePanelThatHasTheFocus)
{
    CMainFrame* frame = Open();
    ASSERT_NE(frame, nullptr);
    CKeyPanel panel;
    ASSERT_TRUE(panel.CreatePanel(frame->MainView()));
    const auto press = [&](UINT key) {
        MSG msg{};
        msg.hwnd = ::GetFocus();
        msg.message = WM_KEYDOWN;
        msg.wParam = key;
        msg.lParam = 1;
        return frame->PreTranslateMessage(&msg);
    };

    panel.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == panel.m_hWnd; }));
    EXPECT_TRUE(press(VK_DELETE));
    EXPECT_TRUE(press(VK_RETURN));
    EXPECT_TRUE(press(VK_DELETE));
    EXPECT_EQ(panel.deletes, 2);
    EXPECT_EQ(panel.enters, 1);

    // with the focus elsewhere the panel hears nothing
    frame->Tree().SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == frame->Tree().m_hWnd; }));
    press(VK_DELETE);
    EXPECT_EQ(panel.deletes, 2);
    panel.DestroyWindow();
    Close(frame);
}

namespace {

// Pixels with a strong colour of their own (not a grey, white or black of a disabled picture).
int CountColourful(const RgbImage& image, const RECT& region)
{
    int count = 0;
    for (int y = std::max(0, static_cast<int>(region.top)); y < std::min(image.height, static_cast<int>(region.bottom)); ++y)
        for (int x = std::max(0, static_cast<int>(region.left)); x < std::min(image.width, static_cast<int>(region.right)); ++x) {
            const COLORREF c = image.At(x, y);
            const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            if (std::max({r, g, b}) - std::min({r, g, b}) > 80)
                ++count;
        }
    return count;
}

// The items of a popup as "text:enabled", separators as "-".
std::vector<std::string> MenuItems(HMENU menu)
{
    std::vector<std::string> items;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (state & MF_SEPARATOR) {
            items.push_back("-");
            continue;
        }
        wchar_t text[128] = L"";
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        items.push_back(Utf8(text) + ((state & (MF_GRAYED | MF_DISABLED)) ? ":off" : ":on"));
    }
    return items;
}

} // namespace

TEST_F(FrameTest, ToolbarIconsComeFromTheirOwnStripAndDisabledButtonsLoseTheirColour)
{
    CMainFrame* frame = Open();
    ASSERT_NE(frame, nullptr);
    HWND toolbar = ::GetDlgItem(frame->m_hWnd, AFX_IDW_TOOLBAR);
    ASSERT_NE(toolbar, nullptr);
    const auto images = reinterpret_cast<HIMAGELIST>(::SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
    EXPECT_EQ(images, frame->ToolbarImages().GetSafeHandle());
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(images, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    EXPECT_EQ(ImageList_GetImageCount(images), 5) << "one picture per button, separators skipped";

    const auto deleteButton = [&] {
        RECT rect{};
        ::SendMessageW(toolbar, TB_GETRECT, ID_DELETE_ITEM, reinterpret_cast<LPARAM>(&rect));
        return rect;
    };
    const auto stateAfterIdle = [&] {
        frame->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE, TRUE);
        return ::SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_DELETE_ITEM, 0) != 0;
    };

    // a project is selected: Delete is enabled and shows its red cross
    ASSERT_TRUE(stateAfterIdle());
    RgbImage enabled = CaptureClient(toolbar, CaptureMethod::Print);
    ASSERT_FALSE(enabled.IsEmpty());
    EXPECT_GT(CountColour(enabled, deleteButton(), RGB(200, 40, 40), 30), 10) << "the enabled cross is red";
    const RECT whole{0, 0, enabled.width, enabled.height};
    EXPECT_EQ(CountColour(enabled, whole, RGB(255, 0, 255), 8), 0) << "magenta is transparent";

    // "Files" cannot be deleted: the button is disabled, drawn without its colours
    frame->Tree().SelectItem(FindTreeItem(frame->Tree(), L"Files"));
    ASSERT_FALSE(stateAfterIdle());
    RgbImage disabled = CaptureClient(toolbar, CaptureMethod::Print);
    ASSERT_FALSE(disabled.IsEmpty());
    EXPECT_EQ(CountColourful(disabled, deleteButton()), 0) << "a disabled button keeps no colour";
    EXPECT_GT(CountColour(disabled, deleteButton(), ::GetSysColor(COLOR_BTNSHADOW), 8), 5)
        << "its picture shows in the shadow colour";
    EXPECT_EQ(CountColour(disabled, whole, RGB(255, 0, 255), 8), 0);
    Close(frame);
}

TEST_F(FrameTest, TheActionsMenuShowsTheActionsOfTheSelectedNodeOrItsPlaceholder)
{
    CMainFrame* frame = Open();
    ASSERT_NE(frame, nullptr);
    CProjectsTree& tree = frame->Tree();
    HMENU actions = ::GetSubMenu(::GetMenu(frame->m_hWnd), 1);
    ASSERT_NE(actions, nullptr);
    const auto open = [&] {
        frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(actions), 1);
        return MenuItems(actions);
    };

    tree.SelectItem(nullptr);
    EXPECT_EQ(open(), (std::vector<std::string>{"No Actions:off"}));
    tree.SelectItem(FindTreeItem(tree, L"Office"));
    EXPECT_EQ(open(), (std::vector<std::string>{"&Build MSI Package:on", "&Open in Explorer:on", "-",
                                                "&Delete Package:on"}));
    EXPECT_EQ(open(), (std::vector<std::string>{"&Build MSI Package:on", "&Open in Explorer:on", "-",
                                                "&Delete Package:on"}))
        << "opening it again adds nothing twice";
    tree.SelectItem(FindTreeItem(tree, L"Repack"));
    EXPECT_EQ(open(), (std::vector<std::string>{"&Build MSI Package:on", "&Open in Explorer:on", "-",
                                                "&Delete Project:on"}));
    tree.SelectItem(FindTreeItem(tree, L"Registry"));
    EXPECT_EQ(open(), (std::vector<std::string>{"&Build MSI Package:on"}));
    // a package without a project: the same actions, Build greyed
    tree.SelectItem(FindTreeItem(tree, L"Empty"));
    EXPECT_EQ(open(), (std::vector<std::string>{"&Build MSI Package:off", "&Open in Explorer:on", "-",
                                                "&Delete Package:on"}));
    tree.SelectItem(nullptr);
    EXPECT_EQ(open(), (std::vector<std::string>{"No Actions:off"}));

    // the other menus are left as they are
    HMENU file = ::GetSubMenu(::GetMenu(frame->m_hWnd), 0);
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_EQ(::GetMenuItemCount(file), 4);
    Close(frame);
}

TEST_F(FrameTest, OpenInExplorerOpensTheOutputFolderOfTheSelectedPackageAndNeverAProgram)
{
    std::vector<CString> opened;
    CMainFrame* frame = nullptr;
    {
        // the frame made with a recorder in place of the shell
        auto* made = new CMainFrame;
        made->TreeArgs().openFolder = [&](const CString& folder) { opened.push_back(folder); };
        made->TreeArgs().projects = &projects;
        made->TreeArgs().dataFile = dataFile;
        made->TreeArgs().defaultDataFile = ModuleFolder() + L"\\tarnwick.dat";
        CCreateContext context;
        context.m_pNewViewClass = RUNTIME_CLASS(CtarnwickView);
        context.m_pCurrentDoc = &document;
        ASSERT_TRUE(made->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context));
        app.m_pMainWnd = made;
        made->InitialUpdateFrame(&document, TRUE);
        frame = made;
    }
    CProjectsTree& tree = frame->Tree();

    // the project's package: created with its own folder as the output folder
    tree.SelectItem(FindTreeItem(tree, L"Repack"));
    frame->SendMessage(WM_COMMAND, ID_OPEN_IN_EXPLORER);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(Utf8(opened[0].GetString()), Utf8(projects[0].m_outputFolder.GetString()));

    // nothing selected: nothing happens
    tree.SelectItem(nullptr);
    frame->SendMessage(WM_COMMAND, ID_OPEN_IN_EXPLORER);
    EXPECT_EQ(opened.size(), 1u);

    // an output folder naming a program is refused with a message, not run
    const CString program = scratch / L"tool.exe";
    ASSERT_TRUE(WriteAllBytes(program, {0x4D, 0x5A}));
    projects[1].m_outputFolder = program;
    tree.SelectItem(FindTreeItem(tree, L"Empty"));
    std::wstring told;
    ModalDriver box({L"#32770", L"Tarnwick Professional"}, [&](HWND window) {
        told = MessageBoxText(window);
        AppDriver::PressButton(window, IDOK);
    });
    frame->SendMessage(WM_COMMAND, ID_OPEN_IN_EXPLORER);
    ASSERT_TRUE(box.Wait());
    EXPECT_NE(told.find(L"tool.exe"), std::wstring::npos) << Utf8(told);
    EXPECT_EQ(opened.size(), 1u);
    Close(frame);
}
