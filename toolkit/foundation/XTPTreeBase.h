#pragma once
// CXTPTreeBase: what the toolkit adds to the platform tree control, as a mix-in that talks to the
// tree window only through its messages: several selected items (Shift, Ctrl, a rubber-band
// marquee), a colour and a font per item, hot tracking, searching by label text and painting
// through an off-screen buffer. CXTPTreeT puts it on a framework window class (the tree control
// or the tree view) and routes that window's messages to it.
//
// The platform tree knows one selected item only: the caret. With multiple selection on, the
// selection is a set of items kept here; only the caret carries the platform's own TVIS_SELECTED
// bit (its keyboard and focus logic go on working), and setting that bit on other items is not
// used at all: the platform takes milliseconds per visible item for it, so selecting a large tree
// item by item would take minutes. The window classes route GetItemState/SelectItem/SetItemState
// here, and the state messages others send the window (TVM_GETITEMSTATE, TVM_GETITEM,
// TVM_SETITEM) are answered from the set as well. A caret move the platform makes by itself
// (keys, letters, the first focus) hands the selection from the old caret to the new one, as the
// platform's bit would. Bulk changes repaint once, when the outermost change ends.
//
// Two handlers run private message loops (the click-or-drag decision after a press on an item,
// and the marquee); both dispatch what they do not consume and end when the tree loses the
// mouse capture or a WM_QUIT arrives, which is posted again for the loop outside.
// User-interface thread only.

#include "framework/Archive.h"
#include "framework/Map.h"
#include "framework/window/Controls.h"
#include "framework/window/Wnd.h"

#include <commctrl.h>

#include <unordered_set>

// The caret bit of an item's state and the action part of TVM_EXPAND's code; the headers of this
// tool chain leave them out.
#ifndef TVIS_FOCUSED
#define TVIS_FOCUSED 0x0001
#endif
#ifndef TVE_ACTIONMASK
#define TVE_ACTIONMASK 0x0003
#endif

class CDC;

// A set of items: the selection, or what was selected when a marquee started (kept apart so the
// rectangle can give it back).
using CXTPTreeItemList = std::unordered_set<HTREEITEM>;

class CXTPTreeBase {
public:
    // Colour and font of one item. An empty face name means no font of its own; -1 colours
    // mean not set. Stored as 100 bytes (the font record, then the two colours).
    struct CLRFONT {
        CLRFONT();
        LOGFONTW logfont;
        COLORREF color;
        COLORREF colorBack;
    };
    static_assert(sizeof(LOGFONTW) + 2 * sizeof(COLORREF) == 100, "CLRFONT is stored as 100 bytes");

    CXTPTreeBase();
    CXTPTreeBase(const CXTPTreeBase&) = delete;
    CXTPTreeBase& operator=(const CXTPTreeBase&) = delete;
    virtual ~CXTPTreeBase();

    // ---- tree order ----
    virtual HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const;
    // Depth first, collapsed branches included; null past the last item.
    virtual HTREEITEM NextInTreeOrder(HTREEITEM hItem) const;
    virtual HTREEITEM PrevInTreeOrder(HTREEITEM hItem) const;
    // From hItem (null: the last root item) down the last children.
    virtual HTREEITEM LastInTreeOrder(HTREEITEM hItem) const;

    // ---- searching ----
    // Finds a label containing text from hStart (else the caret, else the first root item), the
    // start included, through collapsed branches, wrapping once at the end of the tree.
    virtual HTREEITEM FindItem(const wchar_t* text, BOOL bCaseSensitive = FALSE, BOOL bDownDir = TRUE,
                               BOOL bWholeWord = FALSE, HTREEITEM hStart = nullptr);
    // Depth-first search of hParent's descendants.
    virtual HTREEITEM FindItemInBranch(const wchar_t* text, BOOL bCaseSensitive, BOOL bWholeWord,
                                       HTREEITEM hParent);

    // ---- per-item look ----
    virtual void SetItemFont(HTREEITEM hItem, const LOGFONTW& logfont);
    virtual BOOL GetItemFont(HTREEITEM hItem, LOGFONTW* plogfont);
    virtual void SetItemBold(HTREEITEM hItem, BOOL bBold = TRUE);
    virtual BOOL GetItemBold(HTREEITEM hItem);
    virtual void SetItemColor(HTREEITEM hItem, COLORREF color);
    virtual void SetItemBackColor(HTREEITEM hItem, COLORREF color);
    virtual COLORREF GetItemColor(HTREEITEM hItem);
    virtual COLORREF GetStateBackColor(UINT uState, BOOL bHasFocus, DWORD dwStyle, COLORREF clrDefault);
    virtual COLORREF GetItemBackColor(HTREEITEM hItem);

    // ---- selection ----
    // Returns the previous setting; turning it off keeps only the caret selected (when it was).
    virtual BOOL EnableMultiSelect(BOOL bMultiSelect = TRUE);
    virtual HTREEITEM GetPrevSelectedItem(HTREEITEM hItem) const;
    // Runs once the window exists; TRUE when it does.
    virtual BOOL Initialize();
    // WM_NOTIFY to the owner (the parent when there is none); 0 without either.
    virtual LRESULT SendNotify(NMHDR* pNMHDR);
    virtual BOOL SelectAllExcept(BOOL bSelect, HTREEITEM hSkip);
    virtual BOOL OnButtonDown(BOOL bLeft, UINT nFlags, CPoint point);
    virtual void DoPreSelection(HTREEITEM hItem, BOOL bLeft, UINT nFlags);
    virtual void DoAction(HTREEITEM hItem, BOOL bLeft, UINT nFlags, CPoint point);
    virtual void SelectMarquee(UINT nFlags, CPoint point);
    virtual void SelectRect(const CRect& rect, UINT nFlags, CXTPTreeItemList& listSelected);
    virtual BOOL IsFindValid(HTREEITEM hItem);

    // ---- painting ----
    virtual void DrawTree(CDC* pDC, BOOL bOwnerDrawLabels);
    virtual COLORREF GetTreeBackColor();
    virtual COLORREF GetTreeTextColor();
    virtual COLORREF GetStateTextColor(UINT uState, BOOL bHasFocus, DWORD dwStyle, COLORREF clrDefault);

    // ---- window hooks ----
    // TRUE when the message was consumed; FALSE leaves it to the framework's pre-translation.
    virtual BOOL PreTranslateKeys(MSG* pMsg);
    // Raises the tree's tooltip on TTN_SHOW; FALSE leaves the notification to the framework.
    virtual BOOL HandleNotify(WPARAM wParam, NMHDR* pNMHDR, LRESULT* pResult);

    // ---- state, routed from the window classes ----
    BOOL ChangeItemState(HTREEITEM hItem, UINT nState, UINT nStateMask);
    // The platform's bits, with TVIS_FOCUSED for the caret when the mask asks for it.
    UINT QueryItemState(HTREEITEM hItem, UINT nStateMask) const;
    BOOL SetCaretItem(HTREEITEM hItem);
    // hItem null: the caret item loses its caret (focus) bit.
    BOOL FocusItem(HTREEITEM hItem);
    HTREEITEM GetFirstSelectedItem() const;
    HTREEITEM GetNextSelectedItem(HTREEITEM hItem) const;
    UINT GetSelectedCount() const;
    void SelectAll(BOOL bSelect = TRUE, HTREEITEM hStart = nullptr);
    void SelectRange(HTREEITEM hFirst, HTREEITEM hLast, BOOL bClearOthers = TRUE);
    // Returns whether the caret was one of the children.
    BOOL SelectChildren(HTREEITEM hParent, BOOL bSelect = TRUE, BOOL bRecurse = TRUE);
    void CollectSelectedItems(CXTPTreeItemList& list) const;
    static BOOL IsNavigationKey(UINT nKey);

    BOOL IsMultiSelect() const { return m_bMultiSelect; }
    // Whether the marquee tests label rectangles (TRUE) or whole rows.
    void SetTextOnlyRects(BOOL bTextOnly) { m_bTextOnlyRects = bTextOnly; }
    HTREEITEM GetAnchorItem() const { return m_hAnchor; }
    HTREEITEM GetHotItem() const { return m_hHotItem; }

    // The colour-and-font map: a count, then per entry the item handle and the 100-byte record.
    void SerializeItemMap(CArchive& ar);
    int GetItemMapCount() const { return m_mapColorFont.GetCount(); }

    // The state messages sent to the window while multiple selection is on: TVM_GETITEMSTATE and
    // TVM_GETITEM answer the selected bit from the set, TVM_SETITEM changes the set (without the
    // selection notifications, as the platform's own message does), deleting every item empties
    // it. TRUE when the message was answered (*pResult).
    BOOL AnswerStateMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // ---- message handlers (the window classes route their messages here) ----
    void OnLButtonDownMsg(UINT nFlags, CPoint point);
    void OnRButtonDownMsg(UINT nFlags, CPoint point);
    void OnSetFocusMsg();
    void OnKillFocusMsg();
    void OnKeyDownMsg(UINT nChar);
    void OnPaintMsg();
    LRESULT OnPrintClientMsg(HDC hdc);
    void OnSizeMsg();
    void OnMouseMoveMsg(CPoint point);
    void OnNcMouseMoveMsg();
    void OnTimerMsg(UINT_PTR nIDEvent);
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelChanged(NMHDR* pNMHDR);

    // Timer ids and periods (ms): the marquee scrolls while the pointer is outside the client
    // area; the hot item is dropped soon after the pointer leaves the window.
    static constexpr UINT_PTR kMarqueeTimer = 1;
    static constexpr UINT kMarqueeTimerMs = 75;
    static constexpr UINT_PTR kHotTimer = 85;
    static constexpr UINT kHotTimerMs = 55;

protected:
    HWND TreeHwnd() const { return m_pTreeWnd ? m_pTreeWnd->GetSafeHwnd() : nullptr; }
    LRESULT SendTree(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(TreeHwnd(), message, wParam, lParam);
    }
    DWORD Style() const { return static_cast<DWORD>(::GetWindowLongW(TreeHwnd(), GWL_STYLE)); }
    COLORREF TreeColor(int disabledIndex, UINT getMessage, int defaultIndex);
    HTREEITEM Caret() const { return GetNextItem(nullptr, TVGN_CARET); }
    HTREEITEM FirstVisibleFromRoot() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM NextVisible(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXTVISIBLE); }
    // Straight to the platform's window procedure, past the answers from the selection set.
    LRESULT DefTree(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return m_pTreeWnd->DefWindowProc(message, wParam, lParam);
    }
    UINT PlatformState(HTREEITEM hItem, UINT nMask) const;
    BOOL PlatformSetState(HTREEITEM hItem, UINT nState, UINT nMask);
    BOOL IsSelected(HTREEITEM hItem) const
    {
        if (m_bMultiSelect)
            return m_selected.count(hItem) != 0;
        return (PlatformState(hItem, TVIS_SELECTED) & TVIS_SELECTED) != 0;
    }
    // Puts the item in or out of the selection set and repaints its row (once at the end of a
    // bulk change); no notifications.
    void MarkSelected(HTREEITEM hItem, BOOL bSelected);
    void InvalidateItem(HTREEITEM hItem);
    // Whether the handle names an item of this tree.
    BOOL IsItem(HTREEITEM hItem) const;
    // Moves the caret (null: none) without the move counting as the platform's own.
    BOOL MoveCaret(HTREEITEM hItem);

    // Open for the length of a change to many items: rows are repainted once, when the outermost
    // one closes.
    class CBulkChange {
    public:
        explicit CBulkChange(CXTPTreeBase& tree) : m_tree(tree) { ++m_tree.m_nBulk; }
        ~CBulkChange();
        CBulkChange(const CBulkChange&) = delete;
        CBulkChange& operator=(const CBulkChange&) = delete;

    private:
        CXTPTreeBase& m_tree;
    };
    BOOL ItemRect(HTREEITEM hItem, CRect* pRect, BOOL bTextOnly) const;
    HTREEITEM HitTestItem(CPoint point, UINT* pFlags) const;
    CString ItemLabel(HTREEITEM hItem) const;
    // Sends a selection notification record (TVN_SELCHANGING / TVN_SELCHANGED).
    LRESULT NotifySelection(UINT code, HTREEITEM hItem, UINT nState, UINT nMask);
    BOOL MatchLabel(const CString& label, const CString& text, BOOL bWholeWord) const;
    void InvalidateSelectedLabels();
    // The pointer's position in client coordinates.
    CPoint CursorClientPos() const;

    BOOL m_bMultiSelect = FALSE;
    BOOL m_bTextOnlyRects = TRUE;
    HTREEITEM m_hAnchor = nullptr;
    HTREEITEM m_hEditLabel = nullptr;
    HTREEITEM m_hHotItem = nullptr;
    CMap<HTREEITEM, HTREEITEM, CLRFONT, const CLRFONT&> m_mapColorFont{10};
    CWnd* m_pTreeWnd = nullptr;    // not owned: the window object carrying the mix-in
    CXTPTreeItemList m_selected;    // multiple selection: the selected items
    int m_nBulk = 0;
    BOOL m_bBulkDirty = FALSE;
    int m_nOwnCaretMove = 0;    // inside a caret move or a notification of our own
    BYTE m_bActionDone = 0;
    BYTE m_bEditPending = 1;
};

// The mix-in on a framework window class (CTreeCtrl or CTreeView): the platform's state calls
// routed through the selection rules and the message table of the tree.
template <typename TBase>
class CXTPTreeT : public TBase, public CXTPTreeBase {
public:
    CXTPTreeT() { m_pTreeWnd = this; }

    virtual UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const { return QueryItemState(hItem, nStateMask); }
    virtual BOOL SelectItem(HTREEITEM hItem) { return SetCaretItem(hItem); }
    virtual BOOL SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask)
    {
        return ChangeItemState(hItem, nState, nStateMask);
    }
    using CXTPTreeBase::GetNextItem;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = 0;
        if (AnswerStateMessage(message, wParam, lParam, &result))
            return result;
        return TBase::WindowProc(message, wParam, lParam);
    }

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        return PreTranslateKeys(pMsg) || TBase::PreTranslateMessage(pMsg);
    }
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override
    {
        m_bPreSubclassInit = FALSE;
        return TBase::PreCreateWindow(cs);
    }
    void PreSubclassWindow() override
    {
        TBase::PreSubclassWindow();
        if (m_bPreSubclassInit)
            Initialize();
    }

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        if (HandleNotify(wParam, reinterpret_cast<NMHDR*>(lParam), pResult))
            return TRUE;
        return TBase::OnNotify(wParam, lParam, pResult);
    }
    int OnCreate(LPCREATESTRUCTW lpcs)
    {
        if (TBase::OnCreate(lpcs) == -1)
            return -1;
        Initialize();
        return 0;
    }
    LRESULT OnLButtonDownRaw(WPARAM w, LPARAM l) { OnLButtonDownMsg(UINT(w), CPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l))); return 0; }
    LRESULT OnRButtonDownRaw(WPARAM w, LPARAM l) { OnRButtonDownMsg(UINT(w), CPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l))); return 0; }
    LRESULT OnMouseMoveRaw(WPARAM, LPARAM l) { OnMouseMoveMsg(CPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l))); return 0; }
    LRESULT OnNcMouseMoveRaw(WPARAM, LPARAM) { OnNcMouseMoveMsg(); return 0; }
    LRESULT OnSetFocusRaw(WPARAM, LPARAM) { OnSetFocusMsg(); return 0; }
    LRESULT OnKillFocusRaw(WPARAM, LPARAM) { OnKillFocusMsg(); return 0; }
    LRESULT OnKeyDownRaw(WPARAM w, LPARAM) { OnKeyDownMsg(UINT(w)); return 0; }
    LRESULT OnEraseBkgndRaw(WPARAM, LPARAM) { return TRUE; }
    LRESULT OnPaintRaw(WPARAM, LPARAM) { OnPaintMsg(); return 0; }
    LRESULT OnPrintClientRaw(WPARAM w, LPARAM) { return OnPrintClientMsg(reinterpret_cast<HDC>(w)); }
    LRESULT OnSizeRaw(WPARAM, LPARAM) { OnSizeMsg(); return 0; }
    LRESULT OnTimerRaw(WPARAM w, LPARAM) { OnTimerMsg(UINT_PTR(w)); return 0; }
    // The reflected notifications go on to the parent as well (FALSE).
    BOOL OnBeginLabelEditRefl(NMHDR* h, LRESULT* r) { OnBeginLabelEdit(h, r); return FALSE; }
    BOOL OnEndLabelEditRefl(NMHDR* h, LRESULT* r) { OnEndLabelEdit(h, r); return FALSE; }
    BOOL OnItemExpandingRefl(NMHDR* h, LRESULT* r) { OnItemExpanding(h, r); return FALSE; }
    BOOL OnDeleteItemRefl(NMHDR* h, LRESULT* r) { OnDeleteItem(h, r); return FALSE; }
    BOOL OnSelChangedRefl(NMHDR* h, LRESULT*) { OnSelChanged(h); return FALSE; }

    // Set by the constructor, cleared by PreCreateWindow: a window subclassed from a dialog item
    // initialises from PreSubclassWindow, one made by Create from WM_CREATE.
    BOOL m_bPreSubclassInit = TRUE;

    DECLARE_MESSAGE_MAP()
};

BEGIN_TEMPLATE_MESSAGE_MAP(CXTPTreeT, TBase, TBase)
    ON_WM_CREATE()
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownRaw)
    ON_MESSAGE(WM_RBUTTONDOWN, OnRButtonDownRaw)
    ON_MESSAGE(WM_SETFOCUS, OnSetFocusRaw)
    ON_MESSAGE(WM_KILLFOCUS, OnKillFocusRaw)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDownRaw)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndRaw)
    ON_MESSAGE(WM_PAINT, OnPaintRaw)
    ON_MESSAGE(WM_PRINTCLIENT, OnPrintClientRaw)
    ON_MESSAGE(WM_SIZE, OnSizeRaw)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveRaw)
    ON_MESSAGE(WM_NCMOUSEMOVE, OnNcMouseMoveRaw)
    ON_MESSAGE(WM_TIMER, OnTimerRaw)
    ON_NOTIFY_REFLECT_EX(TVN_BEGINLABELEDITW, OnBeginLabelEditRefl)
    ON_NOTIFY_REFLECT_EX(TVN_ENDLABELEDITW, OnEndLabelEditRefl)
    ON_NOTIFY_REFLECT_EX(TVN_ITEMEXPANDINGW, OnItemExpandingRefl)
    ON_NOTIFY_REFLECT_EX(TVN_DELETEITEMW, OnDeleteItemRefl)
    ON_NOTIFY_REFLECT_EX(TVN_SELCHANGEDW, OnSelChangedRefl)
END_MESSAGE_MAP()
