#pragma once
// CRegistryTree: the registry editor's key tree. Keys are not stored as a hierarchy: every root,
// key and value record carries its full key path ("HKEY_CURRENT_USER\Software\Vendor\"), and the
// tree is rebuilt from the paths of the root and key records (values make no keys). Its items
// carry no data; an item is known by its item path.
//
// Renaming a key (label edit or key dialog) moves the records of the key and of every key below
// it to the new path, comparing the old path without regard to case, the way the tree groups
// keys; a sibling whose name merely begins with the old name ("AB" beside "A") keeps its path.

#include "app/AppBases.h"

#include "engine/model/RegistryEntry.h"
#include "engine/storage/Projects.h"

#include "framework/window/ImageList.h"

class CRegistryList;

class CRegistryTree : public AppTreeView {
    DECLARE_DYNCREATE(CRegistryTree)
public:
    // The tree's window style, whatever its creator asks for.
    static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TVS_HASBUTTONS | TVS_LINESATROOT |
                                    TVS_EDITLABELS | TVS_SHOWSELALWAYS;

    CRegistryTree() = default;

    // The records shown and the value list that follows the selection; neither is owned.
    void Bind(CRegistryEntries* records, CRegistryList* list);
    // The filter that the monitoring-filter commands edit (the global package list's by default).
    void SetProjects(CProjects* projects) { m_projects = projects; }

    // Rebuilds the items from the records, sorts the roots and selects the key that the records
    // remember as shown last (with its parent expanded), else the first visible item.
    void Fill();
    // The item of the key name under parent (forbidden characters taken out): an existing child
    // of that name in any case, else a new key record and item, selected. Null for a name with
    // nothing left.
    HTREEITEM AddKey(HTREEITEM parent, const CString& name);

    CRegistryEntries* Records() const { return m_records; }
    CRegistryList* List() const { return m_list; }

    // The commands, public so that the value list and the tests reach them.
    void OnNewKey();
    void OnRenameKey();
    void OnEditKey();
    void OnDeleteKey();
    void OnAddToFilter();
    void OnRemoveFromFilter();
    void OnContextMenu(CWnd* pWnd, CPoint point);

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnNewValue(UINT command);

private:
    void ShowKeyInList(const CString& keyPath);

    CRegistryEntries* m_records = nullptr;   // not owned: the shown project's records
    CRegistryList* m_list = nullptr;         // not owned: the panel's value list
    CProjects* m_projects = &Projects;       // not owned
    CImageList m_images;
    CString m_labelBeforeEdit;

    DECLARE_MESSAGE_MAP()
};
