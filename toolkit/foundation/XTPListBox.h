#pragma once
// An owner-drawn list box of variable item height in three looks: the system's colours, an
// Office XP selection (a framed, tinted item) and skin images with hot tracking, where the item
// under the mouse is drawn in the "LISTBOX" image's hot state.
//
// The box must be owner-drawn from the moment it exists: the system's list box reads
// LBS_OWNERDRAWVARIABLE and LBS_HASSTRINGS when it is created and ignores them when they are added
// later, so a box that gains them afterwards keeps drawing itself and never measures or asks to
// draw an item. A box made by the program gets them in PreCreateWindow; a box from a dialog
// template must carry them in the template (InitListBox says so in debug builds when it does not).
//
// Painting goes through a buffer: the list box's own WM_PAINT runs with the buffer's context, so
// its items come back through WM_DRAWITEM (reflected here by the parent) into the buffer.

#include "framework/window/Controls.h"

#include <windows.h>

// The looks of CXTPListBox.
enum XTPListBoxStyle {
    xtpListBoxStandard = 0,    // system colours
    xtpListBoxOfficeXP = 1,    // Office XP selection
    xtpListBoxOffice2007 = 2,  // skin images, hot tracking, no focus rectangle
};

class CXTPListBox : public CListBox {
    DECLARE_DYNAMIC(CXTPListBox)
public:
    CXTPListBox() = default;
    CXTPListBox(const CXTPListBox&) = delete;
    CXTPListBox& operator=(const CXTPListBox&) = delete;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    // Height = the item-height field when above 0, else SM_CYMENU - 2.
    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;

    // ---- own virtual operations ----
    // TRUE: the toolkit's shared normal font, redrawn; FALSE: the font stays as it is.
    virtual void SetListFont(BOOL bUse);
    // The colour behind the items (the system's window colour).
    virtual COLORREF GetBackColor();
    // Adds LBS_OWNERDRAWVARIABLE and LBS_HASSTRINGS to the window style. On a box that lacked
    // them this changes the style word only: see the note at the top.
    virtual void InitListBox();

    // ---- non-virtual ----
    int GetListStyle() const { return m_nStyle; }
    void SetListStyle(int nStyle);
    // 0 measures SM_CYMENU - 2. Read when an item is added.
    int GetItemHeight() const { return m_nItemHeight; }
    void SetItemHeight(int nHeight) { m_nItemHeight = nHeight; }
    int GetTextMargin() const { return m_nTextMargin; }
    void SetTextMargin(int nMargin) { m_nTextMargin = nMargin; }
    // The item under the mouse in the skin look; -1 when none.
    int GetHotItem() const { return m_nHotItem; }

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void PreSubclassWindow() override;

    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    LRESULT OnEraseBkgndMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaintMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMoveMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeaveMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnFocusMsg(WPARAM wParam, LPARAM lParam);

    // The item whose rectangle holds the client point, -1 when none does.
    int ItemFromClientPoint(CPoint point) const;
    // Stores the hot item of the pointer position and repaints on a change.
    void UpdateHotItem(CPoint point);

    BOOL m_bPreSubclassInit = TRUE;   // cleared when the program creates the box
    int m_nStyle = xtpListBoxStandard;
    int m_nItemHeight = 0;
    int m_nTextMargin = 2;
    int m_nHotItem = -1;

    DECLARE_MESSAGE_MAP()
};
