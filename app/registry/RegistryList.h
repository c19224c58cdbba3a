#pragma once
// CRegistryList: the registry editor's right-hand pane, a report list of the values that the
// project's records hold for the key selected in the key tree. It makes values of the five
// types (named "New Value #n", no dialog), edits and renames them through the value dialog,
// deletes them without asking, and hands "New Key" to the tree.
//
// Rows carry no record pointers: the records may be reallocated by any edit, so a row is found
// again through its name under the shown key path.

#include "app/AppBases.h"

#include "engine/model/RegistryEntry.h"

#include "framework/window/ImageList.h"

class CRegistryTree;

// The images of the registry editor (bitmap 153: root key, key, string value, binary value) in a
// new 16 x 16 list; false when the bitmap could not be loaded.
bool LoadRegistryImages(CImageList& images);

class CRegistryList : public AppListView {
    DECLARE_DYNCREATE(CRegistryList)
public:
    CRegistryList() = default;

    // Binds the list to the records and the key path and lists that key's values.
    void ShowKey(const CString& keyPath, CRegistryTree* tree, CRegistryEntries* records);
    // Lists the shown key's values again, in the order of the records.
    void Refill();

    const CString& ShownKeyPath() const { return m_keyPath; }
    CRegistryEntries* Records() const { return m_records; }

    // The handlers, public because the key tree forwards its own new-value commands here and the
    // tests drive them directly.
    void OnNewValue(UINT command);
    void OnEditValue();
    void OnDeleteValues();
    void OnNewKey();
    void OnContextMenu(CWnd* pWnd, CPoint point);

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    void OnDblClk(NMHDR* pNMHDR, LRESULT* pResult);

private:
    void AddValueRow(const CRegistryEntry& record);
    int FirstSelectedRow() const;

    CRegistryEntries* m_records = nullptr;   // not owned: the shown project's records
    CRegistryTree* m_tree = nullptr;         // not owned: the panel's key tree
    CImageList m_images;
    CString m_keyPath;

    DECLARE_MESSAGE_MAP()
};
