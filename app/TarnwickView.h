#pragma once
// The document and the main view of the program's single-document structure.
//
// CtarnwickDoc holds nothing: the packages live in the global package list, not in the document;
// it exists because the framework's template binds a document to the frame and the view.
//
// CtarnwickView fills the frame beside the packages tree. It shows the start page while no panel
// is hosted, and otherwise the panel of the tree's selected node over its whole client area:
// switching panels writes the old panel back and hides it; the panel already shown is left alone
// (no write-back, so the caret and half-typed text stay). WM_SIZE follows with the hosted panel;
// erasing skips the part the panel covers, so resizing does not flicker it.

#include "app/AppBases.h"
#include "app/PanelHosting.h"
#include "app/StartPage.h"

#include "framework/window/Document.h"
#include "framework/window/View.h"

class CtarnwickDoc : public CDocument {
    DECLARE_DYNCREATE(CtarnwickDoc)
public:
    CtarnwickDoc() = default;
    BOOL OnNewDocument() override;
};

class CtarnwickView : public AppView, public CPanelHost {
    DECLARE_DYNCREATE(CtarnwickView)
public:
    CtarnwickView();

    // Hosts panel (null, or a panel without a window: the start page).
    void ShowPanel(CWnd* panel) { m_hosting.Show(panel); }
    CWnd* ShownPanel() const { return m_hosting.Current(); }
    CStartPage& StartPage() { return m_startPage; }

    CWnd* PanelParent() override { return this; }
    CPanelHosting& Panels() override { return m_hosting; }

    void OnDraw(CDC* pDC) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

protected:
    int OnCreate(LPCREATESTRUCTW lpcs);
    void OnSize(UINT nType, int cx, int cy);
    BOOL OnEraseBkgnd(CDC* pDC);

private:
    CPanelHosting m_hosting;
    CStartPage m_startPage;

    DECLARE_MESSAGE_MAP()
};
