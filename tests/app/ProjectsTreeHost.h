#pragma once
// The packages tree in a plain top-level window, at the left of a stand-in for the main view that
// hosts the panels: what the tree and panel tests run on in place of the main frame.

#include "app/PanelHosting.h"
#include "app/ProjectsTree.h"

#include "framework/window/WinApp.h"

#include "tests/support/TestSupport.h"

namespace projectstreetest {

class CTestApp : public CWinApp {
public:
    CTestApp() : CWinApp(L"Tarnwick Professional") {}
};

// The main view's stand-in: a child window that hosts the panels over its client area.
class CView : public CWnd, public CPanelHost {
public:
    CPanelHosting hosting{this};
    CWnd* PanelParent() override { return this; }
    CPanelHosting& Panels() override { return hosting; }
};

// Counts the new-project wizards the tree would have opened.
class CTestTree : public CProjectsTree {
public:
    int wizards = 0;
    void NewProject() override { ++wizards; }
};

// A top-level window with the tree (220 pixels wide) at the left and the view of viewSize beside it.
class CHost : public CWnd {
public:
    CView view;
    CTestTree tree;

    BOOL CreateHost(const CString& dataFile, CProjects& projects, SIZE viewSize)
    {
        if (!CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                             reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                      L"tree host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20,
                      kTreeWidth + viewSize.cx + 20, viewSize.cy + 40, nullptr, nullptr))
            return FALSE;
        if (!view.CreateEx(0, AfxRegisterWndClass(0), L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, kTreeWidth, 0,
                           viewSize.cx, viewSize.cy, m_hWnd, nullptr))
            return FALSE;
        ProjectsTreeArgs args;
        args.parent = this;
        args.host = &view;
        args.id = 4000;
        args.projects = &projects;
        args.dataFile = dataFile;
        args.defaultDataFile = testsupport::ModuleFolder() + L"\\tarnwick.dat";
        if (!tree.CreateTree(args))
            return FALSE;
        tree.MoveWindow(0, 0, kTreeWidth, viewSize.cy);
        return TRUE;
    }

private:
    static constexpr int kTreeWidth = 220;
};

} // namespace projectstreetest
