#pragma once
// The files editor: CFilesPanel, a splitter with the folder tree CFileTree on the left and the
// file list CFileList on the right, over one project's file entries. Folders are not stored as a
// hierarchy: every entry carries its whole destination path ("ProgramFilesFolder\App\app.exe"),
// and the tree is rebuilt from those paths. Tree items carry no data; an item is known by its
// item path. Both panes edit the entries in place; the packages tree saves them with the rest of
// the list.
//
// The panes hold pointers to the shown project's entries, which live in the package list's
// arrays: the packages tree lets go of them (Release) whenever it leaves the "Files" node or the
// list changes shape, so no pane keeps a pointer into a moved array.

#include "app/AppBases.h"

#include "engine/model/FileEntry.h"

#include "framework/window/ImageList.h"

#include <functional>

class CProjects;
class CFeature;
class CFileList;

// What the panes need beyond the entries: the package list (for the output folder, the setup
// program and the monitoring filter) and the shell, which tests replace.
struct FilesContext {
    CProjects* projects = nullptr;   // not owned; null: the global list
    // Opens a folder of this machine ("open" verb). Null: the shell.
    std::function<void(const CString& folder)> openFolder;
    // Opens Explorer on a file's folder with the file selected. Null: the shell.
    std::function<void(const CString& file)> openAndSelect;

    CProjects& List() const;
    // The output folder of the current package; empty when there is none.
    CString OutputFolder() const;
    // The current project, or null.
    CFeature* CurrentProject() const;
};

class CFileTree : public AppTreeView {
    DECLARE_DYNCREATE(CFileTree)
public:
    void Bind(CFileEntries* entries, CFileList* list, FilesContext* context);
    CFileEntries* Entries() const { return m_entries; }

    // Rebuilds the items from the entries and selects the last shown folder (or the first item).
    void Fill();
    // The new or existing folder named name (forbidden characters removed) below parent (null:
    // the top level); a new one gets an entry. Null when the name is empty once cleaned.
    HTREEITEM AddFolder(HTREEITEM parent, const CString& name);
    // Selects the child of the selected item with that name (any case); nothing when none.
    void SelectChild(const CString& name);
    // Removes the child folder of the selected item with that name, its entries and all below.
    void RemoveChildFolder(const CString& name);
    CString GetItemPath(HTREEITEM item) const;
    HTREEITEM FindChild(HTREEITEM parent, const CString& name) const;
    // Clears the items and forgets the entries (selection handling off meanwhile).
    void Release();

    void OnNewFolder();
    void OnAddSystemFolder();
    void OnEditFolder();
    void OnDeleteFolder();
    void OnOpenInExplorer();
    void OnAddToFilter();
    void OnRemoveFromFilter();
    void OnAddFiles();
    void OnNewShortcut();

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRightClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnContextMenu(CWnd* pWnd, CPoint point);

private:
    // Picks the system folder to add; the dialog unless a test replaced it.
    bool ChooseSystemFolder(CString& property);
    void ShowInList(const CString& folder);

    CImageList m_images;
    CFileEntries* m_entries = nullptr;   // not owned
    CFileList* m_list = nullptr;         // not owned
    FilesContext* m_context = nullptr;   // not owned
    CString m_labelBeforeEdit;
    bool m_handleSelection = true;

    DECLARE_MESSAGE_MAP()
};

class CFileList : public AppListView {
    DECLARE_DYNCREATE(CFileList)
public:
    // Binds the list to the entries and shows what lies directly in folder (with its backslash;
    // empty: nothing is shown, the top level).
    void ShowFolder(CFileEntries* entries, CFileTree* tree, const CString& folder);
    // Forgets the entries and deletes every row.
    void Detach();
    CFileEntries* Entries() const { return m_entries; }
    const CString& CurrentFolder() const { return m_folder; }
    void SetContext(FilesContext* context) { m_context = context; }
    // Counts the refills, so a command that deletes rows can tell the list was rebuilt under it.
    int FillCount() const { return m_fillCount; }

    void OnAddFiles();
    void OnNewShortcut();
    void OnEdit();
    void OnDelete();
    void OnOpenInExplorer();
    void OnAddToFilter();
    void OnRemoveFromFilter();
    void OnNewFolder();
    void OnAddSystemFolder();

    // Adds the files at these full paths to the shown folder, as Add Files does after its dialog.
    void AddFiles(const std::vector<CString>& paths);

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    void OnDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnContextMenu(CWnd* pWnd, CPoint point);

private:
    int FirstSelected() const;
    int FindRow(const CString& text) const;
    CString RowType(int row) const;
    void ShowFileRow(int row, const CFileEntry& entry);
    void SelectOnly(int row);

    CImageList m_images;
    CFileTree* m_tree = nullptr;          // not owned
    CFileEntries* m_entries = nullptr;    // not owned
    FilesContext* m_context = nullptr;    // not owned
    CString m_folder;
    int m_fillCount = 0;

    DECLARE_MESSAGE_MAP()
};

class CFilesPanel : public AppSplitterWnd {
    DECLARE_DYNAMIC(CFilesPanel)
public:
    // Makes the two panes once the splitter window exists.
    BOOL CreatePanes();
    // Shows the project's entries.
    void ShowFiles(CFileEntries* entries);
    // Leaving the "Files" node: the list's folder is remembered in its entries, then both panes
    // let go of the entries.
    void Leave();
    // The list changes shape: both panes let go of the entries without remembering anything.
    void Release();

    FilesContext& Context() { return m_context; }
    CFileTree* Tree() const { return m_tree; }
    CFileList* List() const { return m_list; }

private:
    FilesContext m_context;
    CFileTree* m_tree = nullptr;   // owned by its window
    CFileList* m_list = nullptr;   // owned by its window
};
