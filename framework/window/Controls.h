#pragma once
// Thin wrappers of the system's controls: each is a CWnd whose methods send the control's own
// messages. Attach one to a control of a dialog with DDX_Control or SubclassDlgItem, or make one
// with Create. The owner-draw calls (DrawItem, MeasureItem, CompareItem, DeleteItem) reach the
// control's object through reflection: the parent offers WM_DRAWITEM and the others to the
// control first (Wnd.h), and these classes answer them with their virtuals. A class that does
// not override them does nothing, as a control that draws itself needs nothing.

#include "framework/window/Wnd.h"

#include <commctrl.h>

class CImageList;

// Shared by the controls that have owner-draw items.
class COwnerDrawControl : public CWnd {
    DECLARE_DYNAMIC(COwnerDrawControl)
public:
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    virtual int CompareItem(LPCOMPAREITEMSTRUCT lpCompareItemStruct);
    virtual void DeleteItem(LPDELETEITEMSTRUCT lpDeleteItemStruct);

protected:
    // Creates a control of a system class as a child of pParentWnd.
    BOOL CreateControlWindow(const wchar_t* className, const wchar_t* text, DWORD dwStyle,
                             const RECT& rect, CWnd* pParentWnd, UINT nID, DWORD dwExStyle = 0);
    DECLARE_MESSAGE_MAP()
};

class CButton : public COwnerDrawControl {
    DECLARE_DYNAMIC(CButton)
public:
    BOOL Create(const wchar_t* lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetCheck() const;
    void SetCheck(int nCheck);
    UINT GetState() const;
    void SetState(BOOL bHighlight);
    UINT GetButtonStyle() const;
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE);
    HBITMAP SetBitmap(HBITMAP hBitmap);
    HICON SetIcon(HICON hIcon);
};

class CStatic : public COwnerDrawControl {
    DECLARE_DYNAMIC(CStatic)
public:
    BOOL Create(const wchar_t* lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID = 0xFFFF);
    HICON SetIcon(HICON hIcon);
    HICON GetIcon() const;
    HBITMAP SetBitmap(HBITMAP hBitmap);
};

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void GetSel(int& nStartChar, int& nEndChar) const;
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void ReplaceSel(const wchar_t* lpszNewText, BOOL bCanUndo = FALSE);
    void SetLimitText(UINT nMax);
    UINT GetLimitText() const;
    BOOL GetModify() const;
    void SetModify(BOOL bModified = TRUE);
    BOOL SetReadOnly(BOOL bReadOnly = TRUE);
    int GetLineCount() const;
    void Clear();
    void Copy();
    void Cut();
    void Paste();
    BOOL Undo();
};

class CListBox : public COwnerDrawControl {
    DECLARE_DYNAMIC(CListBox)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetCount() const;
    int AddString(const wchar_t* lpszItem);
    int InsertString(int nIndex, const wchar_t* lpszItem);
    int DeleteString(UINT nIndex);
    void ResetContent();
    int GetText(int nIndex, CString& rString) const;
    int GetCurSel() const;
    int SetCurSel(int nSelect);
    int GetSel(int nIndex) const;               // multiple selection
    int SetSel(int nIndex, BOOL bSelect = TRUE);
    int GetSelCount() const;
    DWORD_PTR GetItemData(int nIndex) const;
    int SetItemData(int nIndex, DWORD_PTR dwItemData);
    int FindStringExact(int nIndexStart, const wchar_t* lpszFind) const;
};

class CComboBox : public COwnerDrawControl {
    DECLARE_DYNAMIC(CComboBox)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetCount() const;
    int AddString(const wchar_t* lpszString);
    int InsertString(int nIndex, const wchar_t* lpszString);
    int DeleteString(UINT nIndex);
    void ResetContent();
    int GetLBText(int nIndex, CString& rString) const;
    int GetCurSel() const;
    int SetCurSel(int nSelect);
    DWORD_PTR GetItemData(int nIndex) const;
    int SetItemData(int nIndex, DWORD_PTR dwItemData);
    int FindStringExact(int nIndexStart, const wchar_t* lpszFind) const;
    int SelectString(int nStartAfter, const wchar_t* lpszString);
    BOOL LimitText(int nMaxChars);
    void ShowDropDown(BOOL bShowIt = TRUE);
    BOOL GetDroppedState() const;
};

class CScrollBar : public CWnd {
    DECLARE_DYNAMIC(CScrollBar)
public:
    // SBS_SIZEGRIP in dwStyle makes the size grip of a resizable window.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int GetScrollPos() const;
    int SetScrollPos(int nPos, BOOL bRedraw = TRUE);
    void GetScrollRange(LPINT lpMinPos, LPINT lpMaxPos) const;
    void SetScrollRange(int nMinPos, int nMaxPos, BOOL bRedraw = TRUE);
    BOOL SetScrollInfo(LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
    BOOL GetScrollInfo(LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
};

class CSpinButtonCtrl : public CWnd {
    DECLARE_DYNAMIC(CSpinButtonCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    CWnd* SetBuddy(CWnd* pWndBuddy);
    CWnd* GetBuddy() const;
    void SetRange32(int nLower, int nUpper);
    void GetRange32(int& nLower, int& nUpper) const;
    int SetPos32(int nPos);
    int GetPos32(BOOL* pbError = nullptr) const;
};

class CProgressCtrl : public CWnd {
    DECLARE_DYNAMIC(CProgressCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetRange32(int nLower, int nUpper);
    int SetPos(int nPos);
    int GetPos() const;
    int StepIt();
    int SetStep(int nStep);
    // Needs PBS_MARQUEE; nInterval in milliseconds (0: the control's default).
    BOOL SetMarquee(BOOL fMarqueeMode, int nInterval);
};

class CListCtrl : public COwnerDrawControl {
    DECLARE_DYNAMIC(CListCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    DWORD SetExtendedStyle(DWORD dwNewStyle);
    DWORD GetExtendedStyle() const;
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);
    int InsertColumn(int nCol, const wchar_t* lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1);
    BOOL DeleteColumn(int nCol);
    int InsertItem(int nItem, const wchar_t* lpszItem, int nImage = -1);
    int InsertItem(const LVITEMW* pItem);
    BOOL SetItemText(int nItem, int nSubItem, const wchar_t* lpszText);
    CString GetItemText(int nItem, int nSubItem) const;
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    // Owner data (LVS_OWNERDATA): the number of items the list asks its owner about.
    void SetItemCountEx(int iCount, DWORD dwFlags = LVSICF_NOINVALIDATEALL);
    DWORD_PTR GetItemData(int nItem) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    UINT GetItemState(int nItem, UINT nMask) const;
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    int GetNextItem(int nItem, int nFlags) const;
    int GetSelectedCount() const;
    BOOL EnsureVisible(int nItem, BOOL bPartialOK);
    int FindItemByData(DWORD_PTR dwData) const;
    using COwnerDrawControl::DeleteItem;
};

class CTreeCtrl : public CWnd {
    DECLARE_DYNAMIC(CTreeCtrl)
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);
    HTREEITEM InsertItem(const wchar_t* lpszItem, HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST);
    HTREEITEM InsertItem(const wchar_t* lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent = TVI_ROOT,
                         HTREEITEM hInsertAfter = TVI_LAST);
    BOOL DeleteItem(HTREEITEM hItem);
    BOOL DeleteAllItems();
    CString GetItemText(HTREEITEM hItem) const;
    BOOL SetItemText(HTREEITEM hItem, const wchar_t* lpszItem);
    DWORD_PTR GetItemData(HTREEITEM hItem) const;
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData);
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const;
    BOOL SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask);
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const;
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL SelectItem(HTREEITEM hItem);
    BOOL Expand(HTREEITEM hItem, UINT nCode);
    BOOL EnsureVisible(HTREEITEM hItem);
    UINT GetCount() const;
    // Label editing (TVS_EDITLABELS): the edit control the tree made, or null.
    HWND EditLabel(HTREEITEM hItem);
    HWND GetEditControl() const;
    BOOL EndEditLabelNow(BOOL fCancelWithoutSave);
};

// A tooltip control of its own (the thread's shared one for EnableToolTips is in Wnd.h). A tool
// added for a window without an id is that window itself (TTF_IDISHWND, its parent receives the
// notifications); with an id it is a rectangle of the window, its client area by default. The
// control does not watch the mouse by itself: the owner passes mouse messages to RelayEvent
// (from its PreTranslateMessage), unless the tool's flags ask for TTF_SUBCLASS.
class CToolTipCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolTipCtrl)
public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    // lpszText LPSTR_TEXTCALLBACKW: the text is asked for with TTN_GETDISPINFOW when shown.
    BOOL AddTool(CWnd* pWnd, const wchar_t* lpszText = LPSTR_TEXTCALLBACKW, LPCRECT lpRectTool = nullptr,
                 UINT_PTR nIDTool = 0, UINT nFlags = 0);
    BOOL AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(const wchar_t* lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(UINT nIDText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    void GetText(CString& str, CWnd* pWnd, UINT_PTR nIDTool = 0) const;
    BOOL GetToolInfo(TOOLINFOW& toolInfo, CWnd* pWnd, UINT_PTR nIDTool = 0) const;
    void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect);
    int GetToolCount() const;
    void Activate(BOOL bActivate);
    void RelayEvent(LPMSG lpMsg);
    int SetMaxTipWidth(int iWidth);    // answers the previous width
    int GetMaxTipWidth() const;
    void SetDelayTime(UINT nDelay);    // all delays from the automatic one
    void SetDelayTime(DWORD dwDuration, int iTime);
    int GetDelayTime(DWORD dwDuration) const;
    void SetTipBkColor(COLORREF clr);
    void SetTipTextColor(COLORREF clr);
    void Pop();
    void Update();

private:
    // The record that names a tool: the window itself (id 0) or an id within the window.
    static void FillInToolInfo(TOOLINFOW& toolInfo, CWnd* pWnd, UINT_PTR nIDTool);
};
