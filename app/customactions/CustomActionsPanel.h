#pragma once
// CCustomActionsPanel: the editor of a project's custom actions, a splitter with the installation
// phases on the left and the actions' columns on the right. It offers no commands yet and lists
// no actions; the packages tree makes it with the other panels and would show it for a node that
// it does not insert, so it stays hidden.

#include "app/AppBases.h"

#include "engine/model/CustomAction.h"

#include "framework/window/ImageList.h"

class CCustomActionsList;

class CCustomActionsTree : public AppTreeView {
    DECLARE_DYNCREATE(CCustomActionsTree)
public:
    static constexpr DWORD kStyle =
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;

    CCustomActionsTree() = default;

    void Bind(CCustomActions* actions, CCustomActionsList* list);
    // The four phases as root items, replacing whatever the tree held.
    void ShowPhases();

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);

private:
    CImageList m_images;
    CCustomActions* m_actions = nullptr;     // not owned, not read yet
    CCustomActionsList* m_list = nullptr;    // not owned

    DECLARE_MESSAGE_MAP()
};

class CCustomActionsList : public AppListView {
    DECLARE_DYNCREATE(CCustomActionsList)
public:
    CCustomActionsList() = default;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);

    DECLARE_MESSAGE_MAP()
};

class CCustomActionsPanel : public AppSplitterWnd {
    DECLARE_DYNAMIC(CCustomActionsPanel)
public:
    CCustomActionsPanel() = default;

    bool CreatePanel(CWnd* parent, UINT id = AFX_IDW_PANE_FIRST);
    bool CreatePanes();
    // Entering a custom-actions node: binds the tree and shows the phases.
    void ShowActions(CCustomActions* actions);

    CCustomActionsTree* Tree() const { return m_tree; }
    CCustomActionsList* List() const { return m_list; }

private:
    CCustomActionsTree* m_tree = nullptr;    // not owned: a pane, deleted with its window
    CCustomActionsList* m_list = nullptr;    // not owned: a pane, deleted with its window
};
