#pragma once
// Pickers over a project's own file entries rather than the disk: CBrowseFilesDlg picks a file
// entry from a folder tree and a file list side by side (the bar between them moves),
// CBrowseFolderDlg a destination folder. Both return destination paths; Cancel leaves the
// selection as the caller set it.
//
// CSplitterControl is the bar: a thin static control the user drags. While dragging it draws a
// tracker over the screen; on release it moves itself and tells its owner how far it moved
// (WM_NOTIFY, code kSplitterMoved, the distance after the header).

#include "app/AppBases.h"

#include "engine/model/FileEntry.h"

#include "framework/window/ImageList.h"

// The notification the bar sends when it was moved.
struct SplitterNotify {
    NMHDR header;
    int delta;   // pixels along the bar's axis, positive to the right or down
};

class CSplitterControl : public CStatic {
public:
    static constexpr UINT kControlId = 1106;
    static constexpr UINT kSplitterMoved = 1025;
    static constexpr int kThickness = 5;
    enum Orientation { vertical = 1, horizontal = 2 };

    // Creates the bar over rect of parent: narrower than tall gives a vertical bar, otherwise a
    // horizontal one, then made kThickness pixels thick. It cannot move until SetRange.
    BOOL Create(const RECT& rect, CWnd* parent);
    // The bar may move before pixels back and after pixels on from its centre.
    void SetRange(int before, int after);
    Orientation GetOrientation() const { return m_orientation; }

protected:
    void OnPaint();
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);

private:
    void DrawTracker(CPoint screen);
    int Along(const POINT& point) const { return m_orientation == vertical ? point.x : point.y; }

    Orientation m_orientation = vertical;
    bool m_dragging = false;
    CPoint m_tracker;           // screen coordinates while dragging
    int m_min = 0, m_max = 0;   // the parent's client coordinates along the axis
    int m_start = 0;

    DECLARE_MESSAGE_MAP()
};

class CBrowseFilesDlg : public AppDialog {
public:
    CBrowseFilesDlg(CFileEntries* entries, const CString& filter, CWnd* pParent = nullptr);

    // On entry the path to preselect (used once); after OK the chosen file entry's path.
    CString m_selection;

    // Where source files without a path of their own lie (the package's output folder).
    CString m_outputFolder;

    // Shows the rows of the folder with that path.
    void ShowFolder(const CString& folder);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnTreeSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult);

private:
    // The entry of the selected row when it is a file row; null otherwise.
    const CFileEntry* SelectedFile() const;
    void UpdateOk();
    void MoveSplitter(int delta);

    void DoDataExchange(CDataExchange* pDX) override;

    CSplitterControl m_splitter;
    AppTreeCtrl m_tree;
    AppListCtrl m_list;
    CImageList m_images;
    CFileEntries* m_entries;   // not owned
    CString m_filter;
    CString m_preselect;

    DECLARE_MESSAGE_MAP()
};

class CBrowseFolderDlg : public AppDialog {
public:
    explicit CBrowseFolderDlg(CFileEntries* entries, CWnd* pParent = nullptr);

    // On entry the path to preselect; after OK the chosen folder's path (with its backslash).
    CString m_selection;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnTreeDblClk(NMHDR* pNMHDR, LRESULT* pResult);

private:
    void DoDataExchange(CDataExchange* pDX) override;

    AppTreeCtrl m_tree;
    CImageList m_images;
    CFileEntries* m_entries;   // not owned

    DECLARE_MESSAGE_MAP()
};

// Builds a picker's tree from the entries as the folder tree does; the entry whose path equals
// preselect (any case) has its folders expanded and its deepest folder selected.
void FillPickerTree(CTreeCtrl& tree, const CFileEntries& entries, const CString& preselect);
