#pragma once
// CRegistryPanel: the registry editor, a splitter of one row with the key tree on the left and the
// value list on the right. The packages tree makes it once, on the main view, and binds it to the
// shown project's records whenever its "Registry" node is selected.

#include "app/AppBases.h"

#include "engine/model/RegistryEntry.h"

class CRegistryTree;
class CRegistryList;

class CRegistryPanel : public AppSplitterWnd {
    DECLARE_DYNAMIC(CRegistryPanel)
public:
    CRegistryPanel() = default;

    // Makes the splitter window (one row, two columns) on parent; false when it could not be made.
    bool CreatePanel(CWnd* parent, UINT id = AFX_IDW_PANE_FIRST);
    // Makes the two panes once the splitter window exists.
    bool CreatePanes();

    // Entering the "Registry" node: the tree shows the records and selects their remembered key.
    void ShowRecords(CRegistryEntries* records);
    // Leaving it: the shown key path goes into records (the project's records found anew by the
    // caller, null when there are none any more), and both panes let go of what they showed, so
    // nothing writes through a pointer into a list that may move or shrink meanwhile.
    void Leave(CRegistryEntries* records);

    CRegistryTree* Tree() const { return m_tree; }
    CRegistryList* List() const { return m_list; }

private:
    CRegistryTree* m_tree = nullptr;   // not owned: a pane, deleted with its window
    CRegistryList* m_list = nullptr;   // not owned: a pane, deleted with its window
};
