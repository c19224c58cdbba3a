// The tree mix-in: selection rules, the two mouse loops, keyboard ranges, owner painting and
// searching. Overview in XTPTreeBase.h.

#include "toolkit/foundation/XTPTreeBase.h"

#include "framework/window/Dc.h"
#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPModuleHandle.h"
#include "toolkit/foundation/XTPOsVersion.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

constexpr UINT kOnItem = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON;
constexpr COLORREF kNoColor = static_cast<COLORREF>(-1);
// Common-controls versions above 4.70 answer TVM_GETBKCOLOR and TVM_GETTEXTCOLOR.
constexpr DWORD kComCtlColorsVersion = 0x40046;

COLORREF ToolkitColor(int index) { return GetColorManager()->GetColor(index); }

bool IsWordChar(wchar_t ch) { return ch != 0 && (::IsCharAlphaW(ch) || ch == L'_'); }

// Reposts a WM_QUIT that a private message loop took from the queue, so the loop outside ends too.
void RepostQuit(const MSG& msg) { ::PostQuitMessage(static_cast<int>(msg.wParam)); }

}    // namespace

CXTPTreeBase::CLRFONT::CLRFONT() : logfont{}, color(kNoColor), colorBack(kNoColor) {}

CXTPTreeBase::CXTPTreeBase() = default;

CXTPTreeBase::~CXTPTreeBase() { m_mapColorFont.RemoveAll(); }

// ---- platform access ------------------------------------------------------------------------

UINT CXTPTreeBase::PlatformState(HTREEITEM hItem, UINT nMask) const
{
    return static_cast<UINT>(DefTree(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem), nMask));
}

BOOL CXTPTreeBase::PlatformSetState(HTREEITEM hItem, UINT nState, UINT nMask)
{
    TVITEMW item = {};
    item.mask = TVIF_STATE;
    item.hItem = hItem;
    item.state = nState;
    item.stateMask = nMask;
    return static_cast<BOOL>(DefTree(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CXTPTreeBase::IsItem(HTREEITEM hItem) const
{
    if (!hItem)
        return FALSE;
    TVITEMW item = {};
    item.mask = TVIF_HANDLE | TVIF_PARAM;
    item.hItem = hItem;
    return DefTree(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

void CXTPTreeBase::InvalidateItem(HTREEITEM hItem)
{
    if (m_nBulk > 0) {
        m_bBulkDirty = TRUE;
        return;
    }
    // The whole row: the labels are painted over to the right edge.
    CRect rect;
    if (hItem && ItemRect(hItem, &rect, FALSE))
        ::InvalidateRect(TreeHwnd(), &rect, FALSE);
}

void CXTPTreeBase::MarkSelected(HTREEITEM hItem, BOOL bSelected)
{
    if (!hItem)
        return;
    const bool changed = bSelected ? m_selected.insert(hItem).second : m_selected.erase(hItem) != 0;
    if (changed)
        InvalidateItem(hItem);
}

BOOL CXTPTreeBase::MoveCaret(HTREEITEM hItem)
{
    HTREEITEM hOld = Caret();
    ++m_nOwnCaretMove;
    const BOOL bMoved = static_cast<BOOL>(SendTree(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem)));
    --m_nOwnCaretMove;
    // The focus rectangle goes with the caret.
    InvalidateItem(hOld);
    InvalidateItem(hItem);
    return bMoved;
}

CXTPTreeBase::CBulkChange::~CBulkChange()
{
    if (--m_tree.m_nBulk == 0 && m_tree.m_bBulkDirty) {
        m_tree.m_bBulkDirty = FALSE;
        ::InvalidateRect(m_tree.TreeHwnd(), nullptr, FALSE);
    }
}

BOOL CXTPTreeBase::AnswerStateMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (!m_bMultiSelect)
        return FALSE;
    switch (message) {
    case TVM_GETITEMSTATE: {
        const UINT mask = static_cast<UINT>(lParam);
        if (!(mask & TVIS_SELECTED))
            return FALSE;
        HTREEITEM hItem = reinterpret_cast<HTREEITEM>(wParam);
        UINT state = static_cast<UINT>(DefTree(message, wParam, lParam)) & ~TVIS_SELECTED;
        if (m_selected.count(hItem))
            state |= TVIS_SELECTED;
        *pResult = static_cast<LRESULT>(state);
        return TRUE;
    }
    case TVM_GETITEMW:
    case TVM_GETITEMA: {
        // The two records agree up to the state fields.
        auto* item = reinterpret_cast<TVITEMW*>(lParam);
        if (!item || !(item->mask & TVIF_STATE))
            return FALSE;
        *pResult = DefTree(message, wParam, lParam);
        if (*pResult) {
            item->state &= ~TVIS_SELECTED;
            if ((item->stateMask & TVIS_SELECTED) && m_selected.count(item->hItem))
                item->state |= TVIS_SELECTED;
        }
        return TRUE;
    }
    case TVM_SETITEMW:
    case TVM_SETITEMA: {
        auto* item = reinterpret_cast<TVITEMW*>(lParam);
        if (!item || !(item->mask & TVIF_STATE) || !(item->stateMask & TVIS_SELECTED))
            return FALSE;
        if (!IsItem(item->hItem)) {
            *pResult = FALSE;
            return TRUE;
        }
        MarkSelected(item->hItem, (item->state & TVIS_SELECTED) != 0);
        // The rest of the record goes to the platform, in place (it may be the longer record).
        const UINT mask = item->mask, stateMask = item->stateMask;
        item->stateMask &= ~TVIS_SELECTED;
        if (!item->stateMask)
            item->mask &= ~TVIF_STATE;
        *pResult = (item->mask & ~TVIF_HANDLE) ? DefTree(message, wParam, lParam) : TRUE;
        item->mask = mask;
        item->stateMask = stateMask;
        return TRUE;
    }
    case TVM_DELETEITEM:
        *pResult = DefTree(message, wParam, lParam);
        if (!lParam || reinterpret_cast<HTREEITEM>(lParam) == TVI_ROOT)
            m_selected.clear();    // the handles will be given out again
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CXTPTreeBase::ItemRect(HTREEITEM hItem, CRect* pRect, BOOL bTextOnly) const
{
    RECT* rect = pRect;
    std::memcpy(rect, &hItem, sizeof(hItem));    // the message takes the item in the rectangle
    return static_cast<BOOL>(SendTree(TVM_GETITEMRECT, bTextOnly, reinterpret_cast<LPARAM>(static_cast<RECT*>(pRect))));
}

HTREEITEM CXTPTreeBase::HitTestItem(CPoint point, UINT* pFlags) const
{
    TVHITTESTINFO info = {};
    info.pt = point;
    HTREEITEM hItem = reinterpret_cast<HTREEITEM>(SendTree(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    *pFlags = info.flags;
    return hItem;
}

CString CXTPTreeBase::ItemLabel(HTREEITEM hItem) const
{
    for (int size = 256;; size *= 2) {
        std::wstring buffer(static_cast<size_t>(size), L'\0');
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = buffer.data();
        item.cchTextMax = size;
        if (!SendTree(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
            return CString();
        if (item.pszText != buffer.data())
            return CString(item.pszText);    // the control answered with its own buffer
        const int length = static_cast<int>(wcsnlen(buffer.c_str(), static_cast<size_t>(size)));
        if (length < size - 1 || size >= 0x10000)
            return CString(buffer.c_str());
    }
}

CPoint CXTPTreeBase::CursorClientPos() const
{
    POINT point = {};
    ::GetCursorPos(&point);
    ::ScreenToClient(TreeHwnd(), &point);
    return CPoint(point.x, point.y);
}

// ---- tree order -----------------------------------------------------------------------------

HTREEITEM CXTPTreeBase::GetNextItem(HTREEITEM hItem, UINT nCode) const
{
    return reinterpret_cast<HTREEITEM>(SendTree(TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem)));
}

HTREEITEM CXTPTreeBase::NextInTreeOrder(HTREEITEM hItem) const
{
    if (HTREEITEM hChild = GetNextItem(hItem, TVGN_CHILD))
        return hChild;
    for (; hItem; hItem = GetNextItem(hItem, TVGN_PARENT)) {
        if (HTREEITEM hNext = GetNextItem(hItem, TVGN_NEXT))
            return hNext;
    }
    return nullptr;
}

HTREEITEM CXTPTreeBase::PrevInTreeOrder(HTREEITEM hItem) const
{
    if (HTREEITEM hPrev = GetNextItem(hItem, TVGN_PREVIOUS))
        return LastInTreeOrder(hPrev);
    return GetNextItem(hItem, TVGN_PARENT);
}

HTREEITEM CXTPTreeBase::LastInTreeOrder(HTREEITEM hItem) const
{
    if (!hItem) {
        hItem = GetNextItem(nullptr, TVGN_ROOT);
        if (!hItem)
            return nullptr;
        while (HTREEITEM hNext = GetNextItem(hItem, TVGN_NEXT))
            hItem = hNext;
    }
    while (HTREEITEM hChild = GetNextItem(hItem, TVGN_CHILD)) {
        hItem = hChild;
        while (HTREEITEM hNext = GetNextItem(hItem, TVGN_NEXT))
            hItem = hNext;
    }
    return hItem;
}

// ---- searching ------------------------------------------------------------------------------

BOOL CXTPTreeBase::MatchLabel(const CString& label, const CString& text, BOOL bWholeWord) const
{
    const int length = text.GetLength();
    for (int from = 0;;) {
        const int pos = label.Find(static_cast<const wchar_t*>(text), from);
        if (pos < 0)
            return FALSE;
        if (!bWholeWord)
            return TRUE;
        const wchar_t before = pos > 0 ? label[pos - 1] : 0;
        const wchar_t after = pos + length < label.GetLength() ? label[pos + length] : 0;
        if (!IsWordChar(before) && !IsWordChar(after))
            return TRUE;
        from = pos + length;
    }
}

HTREEITEM CXTPTreeBase::FindItem(const wchar_t* text, BOOL bCaseSensitive, BOOL bDownDir, BOOL bWholeWord,
                                 HTREEITEM hStart)
{
    if (!text || !*text)
        return nullptr;
    HTREEITEM hFirst = hStart ? hStart : Caret();
    if (!hFirst)
        hFirst = GetNextItem(nullptr, TVGN_ROOT);
    if (!hFirst)
        return nullptr;
    CString search(text);
    if (!bCaseSensitive)
        search.MakeLower();
    BOOL bWrapped = FALSE;
    for (HTREEITEM hItem = hFirst;;) {
        CString label = ItemLabel(hItem);
        if (!bCaseSensitive)
            label.MakeLower();
        if (MatchLabel(label, search, bWholeWord) && IsFindValid(hItem))
            return hItem;
        HTREEITEM hNext = bDownDir ? NextInTreeOrder(hItem) : PrevInTreeOrder(hItem);
        if (!hNext) {
            if (bWrapped)
                return nullptr;
            bWrapped = TRUE;
            hNext = bDownDir ? GetNextItem(nullptr, TVGN_ROOT) : LastInTreeOrder(nullptr);
        }
        if (!hNext || hNext == hFirst)
            return nullptr;
        hItem = hNext;
    }
}

HTREEITEM CXTPTreeBase::FindItemInBranch(const wchar_t* text, BOOL bCaseSensitive, BOOL bWholeWord,
                                         HTREEITEM hParent)
{
    if (!text || !*text)
        return nullptr;
    CString search(text);
    if (!bCaseSensitive)
        search.MakeLower();
    for (HTREEITEM hChild = GetNextItem(hParent, TVGN_CHILD); hChild; hChild = GetNextItem(hChild, TVGN_NEXT)) {
        if (GetNextItem(hChild, TVGN_CHILD)) {
            if (HTREEITEM hFound = FindItemInBranch(text, bCaseSensitive, bWholeWord, hChild))
                return hFound;
        }
        CString label = ItemLabel(hChild);
        if (!bCaseSensitive)
            label.MakeLower();
        if (MatchLabel(label, search, bWholeWord) && IsFindValid(hChild))
            return hChild;
    }
    return nullptr;
}

BOOL CXTPTreeBase::IsFindValid(HTREEITEM) { return TRUE; }

// ---- per-item look --------------------------------------------------------------------------

void CXTPTreeBase::SetItemFont(HTREEITEM hItem, const LOGFONTW& logfont)
{
    m_mapColorFont[hItem].logfont = logfont;
}

BOOL CXTPTreeBase::GetItemFont(HTREEITEM hItem, LOGFONTW* plogfont)
{
    CLRFONT entry;
    if (!m_mapColorFont.Lookup(hItem, entry) || entry.logfont.lfFaceName[0] == 0)
        return FALSE;
    if (plogfont)
        *plogfont = entry.logfont;
    return TRUE;
}

void CXTPTreeBase::SetItemBold(HTREEITEM hItem, BOOL bBold)
{
    ChangeItemState(hItem, bBold ? TVIS_BOLD : 0, TVIS_BOLD);
    ::InvalidateRect(TreeHwnd(), nullptr, TRUE);
}

BOOL CXTPTreeBase::GetItemBold(HTREEITEM hItem) { return (PlatformState(hItem, TVIS_BOLD) & TVIS_BOLD) != 0; }

void CXTPTreeBase::SetItemColor(HTREEITEM hItem, COLORREF color)
{
    m_mapColorFont[hItem].color = color;
    ::InvalidateRect(TreeHwnd(), nullptr, TRUE);
}

void CXTPTreeBase::SetItemBackColor(HTREEITEM hItem, COLORREF color)
{
    m_mapColorFont[hItem].colorBack = color;
    ::InvalidateRect(TreeHwnd(), nullptr, TRUE);
}

COLORREF CXTPTreeBase::GetItemColor(HTREEITEM hItem)
{
    CLRFONT entry;
    return m_mapColorFont.Lookup(hItem, entry) ? entry.color : kNoColor;
}

COLORREF CXTPTreeBase::GetItemBackColor(HTREEITEM hItem)
{
    CLRFONT entry;
    return m_mapColorFont.Lookup(hItem, entry) ? entry.colorBack : kNoColor;
}

COLORREF CXTPTreeBase::GetStateBackColor(UINT uState, BOOL bHasFocus, DWORD dwStyle, COLORREF clrDefault)
{
    const BOOL bEnabled = ::IsWindowEnabled(TreeHwnd());
    if ((uState & (TVIS_SELECTED | TVIS_DROPHILITED)) && (bHasFocus || (uState & TVIS_DROPHILITED)))
        return ToolkitColor(bEnabled ? COLOR_HIGHLIGHT : COLOR_GRAYTEXT);
    if ((uState & TVIS_SELECTED) && (dwStyle & TVS_SHOWSELALWAYS) && !bHasFocus)
        return ToolkitColor(bEnabled ? COLOR_BTNFACE : COLOR_GRAYTEXT);
    return clrDefault;
}

COLORREF CXTPTreeBase::GetStateTextColor(UINT uState, BOOL bHasFocus, DWORD dwStyle, COLORREF clrDefault)
{
    const BOOL bEnabled = ::IsWindowEnabled(TreeHwnd());
    if ((uState & (TVIS_SELECTED | TVIS_DROPHILITED)) && (bHasFocus || (uState & TVIS_DROPHILITED)))
        return ToolkitColor(bEnabled ? COLOR_HIGHLIGHTTEXT : COLOR_BTNFACE);
    if ((uState & TVIS_SELECTED) && (dwStyle & TVS_SHOWSELALWAYS) && !bHasFocus)
        return ToolkitColor(bEnabled ? COLOR_WINDOWTEXT : COLOR_BTNFACE);
    return clrDefault;
}

// A disabled tree draws in disabledIndex; an enabled one in the colour the control was given
// (getMessage), when the control keeps colours and one was set, else in defaultIndex.
COLORREF CXTPTreeBase::TreeColor(int disabledIndex, UINT getMessage, int defaultIndex)
{
    if (!::IsWindowEnabled(TreeHwnd()))
        return ToolkitColor(disabledIndex);
    if (GetComCtlVersion() > kComCtlColorsVersion) {
        const COLORREF color = static_cast<COLORREF>(SendTree(getMessage));
        if (color != kNoColor)
            return color;
    }
    return ToolkitColor(defaultIndex);
}

COLORREF CXTPTreeBase::GetTreeBackColor()
{
    return TreeColor(COLOR_BTNFACE, TVM_GETBKCOLOR, COLOR_WINDOW);
}

COLORREF CXTPTreeBase::GetTreeTextColor()
{
    return TreeColor(COLOR_GRAYTEXT, TVM_GETTEXTCOLOR, COLOR_WINDOWTEXT);
}

void CXTPTreeBase::SerializeItemMap(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteCount(static_cast<DWORD>(m_mapColorFont.GetCount()));
        POSITION position = m_mapColorFont.GetStartPosition();
        while (position) {
            HTREEITEM hItem = nullptr;
            CLRFONT entry;
            m_mapColorFont.GetNextAssoc(position, hItem, entry);
            ar.Write(&hItem, sizeof(hItem));
            ar.Write(&entry.logfont, sizeof(entry.logfont));
            ar.Write(&entry.color, sizeof(entry.color));
            ar.Write(&entry.colorBack, sizeof(entry.colorBack));
        }
        return;
    }
    m_mapColorFont.RemoveAll();
    for (DWORD count = ar.ReadCount(); count > 0; --count) {
        HTREEITEM hItem = nullptr;
        CLRFONT entry;
        if (ar.Read(&hItem, sizeof(hItem)) != sizeof(hItem) ||
            ar.Read(&entry.logfont, sizeof(entry.logfont)) != sizeof(entry.logfont) ||
            ar.Read(&entry.color, sizeof(entry.color)) != sizeof(entry.color) ||
            ar.Read(&entry.colorBack, sizeof(entry.colorBack)) != sizeof(entry.colorBack))
            break;
        m_mapColorFont[hItem] = entry;
    }
}

// ---- selection state ------------------------------------------------------------------------

BOOL CXTPTreeBase::Initialize() { return ::IsWindow(TreeHwnd()); }

LRESULT CXTPTreeBase::SendNotify(NMHDR* pNMHDR)
{
    HWND hTarget = ::GetWindow(TreeHwnd(), GW_OWNER);
    if (!hTarget)
        hTarget = ::GetParent(TreeHwnd());
    if (!hTarget)
        return 0;
    return ::SendMessageW(hTarget, WM_NOTIFY, pNMHDR->idFrom, reinterpret_cast<LPARAM>(pNMHDR));
}

LRESULT CXTPTreeBase::NotifySelection(UINT code, HTREEITEM hItem, UINT nState, UINT nMask)
{
    NMTREEVIEWW notify = {};
    notify.hdr.hwndFrom = TreeHwnd();
    notify.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(TreeHwnd()));
    notify.hdr.code = code;
    TVITEMW& item = (nState & TVIS_SELECTED) ? notify.itemNew : notify.itemOld;
    item.mask = TVIF_HANDLE | TVIF_PARAM;
    item.hItem = hItem;
    TVITEMW data = {};
    data.mask = TVIF_PARAM;
    data.hItem = hItem;
    if (DefTree(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)))
        item.lParam = data.lParam;
    item.state = nState;
    item.stateMask = nMask;
    ++m_nOwnCaretMove;    // comes back reflected; it is no caret move of the platform's
    const LRESULT result = SendNotify(&notify.hdr);
    --m_nOwnCaretMove;
    return result;
}

BOOL CXTPTreeBase::ChangeItemState(HTREEITEM hItem, UINT nState, UINT nStateMask)
{
    if (!hItem)
        return FALSE;
    if (!m_bMultiSelect)
        return PlatformSetState(hItem, nState, nStateMask);

    const BOOL bFocusInMask = (nStateMask & TVIS_FOCUSED) != 0;
    const BOOL bFocusSet = (nState & TVIS_FOCUSED) != 0;
    nState &= ~TVIS_FOCUSED;
    nStateMask &= ~TVIS_FOCUSED;
    if (bFocusInMask) {
        // The caret move leaves the selection set as it is.
        HTREEITEM hCaret = Caret();
        if (bFocusSet && hItem != hCaret) {
            if (!MoveCaret(hItem)) {
                // Refused (the owner vetoed the move): give the caret back so nothing has changed.
                if (hCaret && Caret() != hCaret)
                    MoveCaret(hCaret);
                return FALSE;
            }
        } else if (!bFocusSet && hItem == hCaret) {
            MoveCaret(nullptr);
        }
    }

    if (nStateMask & TVIS_SELECTED) {
        const BOOL bSelect = (nState & TVIS_SELECTED) != 0;
        if (bSelect != IsSelected(hItem)) {
            if (NotifySelection(TVN_SELCHANGINGW, hItem, nState, nStateMask))
                return FALSE;
            MarkSelected(hItem, bSelect);
            NotifySelection(TVN_SELCHANGEDW, hItem, nState, nStateMask);
        }
    }
    const UINT nRest = nStateMask & ~TVIS_SELECTED;
    if (nRest)
        PlatformSetState(hItem, nState & nRest, nRest);
    return TRUE;
}

UINT CXTPTreeBase::QueryItemState(HTREEITEM hItem, UINT nStateMask) const
{
    UINT state = PlatformState(hItem, nStateMask);
    if (m_bMultiSelect && (nStateMask & TVIS_SELECTED)) {
        state &= ~TVIS_SELECTED;
        if (m_selected.count(hItem))
            state |= TVIS_SELECTED;
    }
    if (nStateMask & TVIS_FOCUSED) {
        state &= ~TVIS_FOCUSED;
        if (hItem && hItem == Caret())
            state |= TVIS_FOCUSED;
    }
    return state;
}

BOOL CXTPTreeBase::SetCaretItem(HTREEITEM hItem)
{
    if (m_bMultiSelect)
        return ChangeItemState(hItem, TVIS_FOCUSED | TVIS_SELECTED, TVIS_FOCUSED | TVIS_SELECTED);
    return static_cast<BOOL>(SendTree(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem)));
}

BOOL CXTPTreeBase::FocusItem(HTREEITEM hItem)
{
    if (hItem)
        return ChangeItemState(hItem, TVIS_FOCUSED, TVIS_FOCUSED);
    HTREEITEM hCaret = Caret();
    return hCaret ? ChangeItemState(hCaret, 0, TVIS_FOCUSED) : FALSE;
}

HTREEITEM CXTPTreeBase::GetFirstSelectedItem() const
{
    if (m_bMultiSelect && m_selected.empty())
        return nullptr;
    for (HTREEITEM hItem = FirstVisibleFromRoot(); hItem; hItem = NextVisible(hItem)) {
        if (IsSelected(hItem))
            return hItem;
    }
    return nullptr;
}

HTREEITEM CXTPTreeBase::GetNextSelectedItem(HTREEITEM hItem) const
{
    for (hItem = hItem ? NextVisible(hItem) : nullptr; hItem; hItem = NextVisible(hItem)) {
        if (IsSelected(hItem))
            return hItem;
    }
    return nullptr;
}

HTREEITEM CXTPTreeBase::GetPrevSelectedItem(HTREEITEM hItem) const
{
    for (hItem = hItem ? GetNextItem(hItem, TVGN_PREVIOUSVISIBLE) : nullptr; hItem;
         hItem = GetNextItem(hItem, TVGN_PREVIOUSVISIBLE)) {
        if (IsSelected(hItem))
            return hItem;
    }
    return nullptr;
}

UINT CXTPTreeBase::GetSelectedCount() const
{
    UINT count = 0;
    if (m_bMultiSelect && m_selected.empty())
        return 0;
    for (HTREEITEM hItem = FirstVisibleFromRoot(); hItem; hItem = NextVisible(hItem)) {
        if (IsSelected(hItem))
            ++count;
    }
    return count;
}

void CXTPTreeBase::CollectSelectedItems(CXTPTreeItemList& list) const
{
    for (HTREEITEM hItem = FirstVisibleFromRoot(); hItem; hItem = NextVisible(hItem)) {
        if (IsSelected(hItem))
            list.insert(hItem);
    }
}

// Items already in the wanted state are left alone: a change that changes nothing would only
// send the owner a pair of notifications about it, for every item of a large tree.
void CXTPTreeBase::SelectAll(BOOL bSelect, HTREEITEM hStart)
{
    if (m_bMultiSelect && !bSelect && m_selected.empty())
        return;
    CBulkChange bulk(*this);
    for (HTREEITEM hItem = hStart ? hStart : FirstVisibleFromRoot(); hItem; hItem = NextVisible(hItem)) {
        if (IsSelected(hItem) != bSelect)
            ChangeItemState(hItem, bSelect ? TVIS_SELECTED : 0, TVIS_SELECTED);
    }
}

BOOL CXTPTreeBase::SelectAllExcept(BOOL bSelect, HTREEITEM hSkip)
{
    if (m_bMultiSelect && !bSelect && m_selected.empty())
        return 0;
    CBulkChange bulk(*this);
    for (HTREEITEM hItem = FirstVisibleFromRoot(); hItem; hItem = NextVisible(hItem)) {
        if (hItem != hSkip && IsSelected(hItem) != bSelect)
            ChangeItemState(hItem, bSelect ? TVIS_SELECTED : 0, TVIS_SELECTED);
    }
    return 0;
}

void CXTPTreeBase::SelectRange(HTREEITEM hFirst, HTREEITEM hLast, BOOL bClearOthers)
{
    if (!hFirst)
        hFirst = hLast;
    if (!hLast)
        hLast = hFirst;
    enum { Before, Inside, After } phase = Before;
    HTREEITEM hEnd = nullptr;
    CBulkChange bulk(*this);
    for (HTREEITEM hItem = FirstVisibleFromRoot(); hItem; hItem = NextVisible(hItem)) {
        if (phase == Before && (hItem == hFirst || hItem == hLast)) {
            phase = Inside;
            hEnd = hItem == hFirst ? hLast : hFirst;
        }
        if (phase == Inside) {
            if (!IsSelected(hItem))
                ChangeItemState(hItem, TVIS_SELECTED, TVIS_SELECTED);
            if (hItem == hEnd)
                phase = After;
        } else if (bClearOthers && IsSelected(hItem)) {
            ChangeItemState(hItem, 0, TVIS_SELECTED);
        }
    }
}

BOOL CXTPTreeBase::SelectChildren(HTREEITEM hParent, BOOL bSelect, BOOL bRecurse)
{
    BOOL bCaretFound = FALSE;
    HTREEITEM hCaret = Caret();
    CBulkChange bulk(*this);
    for (HTREEITEM hChild = GetNextItem(hParent, TVGN_CHILD); hChild; hChild = GetNextItem(hChild, TVGN_NEXT)) {
        if (hChild == hCaret)
            bCaretFound = TRUE;
        if (IsSelected(hChild) != bSelect)
            ChangeItemState(hChild, bSelect ? TVIS_SELECTED : 0, TVIS_SELECTED);
        if (bRecurse && (PlatformState(hChild, TVIS_EXPANDED) & TVIS_EXPANDED)) {
            if (SelectChildren(hChild, bSelect, TRUE))
                bCaretFound = TRUE;
        }
    }
    return bCaretFound;
}

BOOL CXTPTreeBase::EnableMultiSelect(BOOL bMultiSelect)
{
    const BOOL bPrevious = m_bMultiSelect;
    if (bPrevious == bMultiSelect)
        return bPrevious;
    HTREEITEM hCaret = Caret();
    if (bMultiSelect) {
        // The platform's selection is its caret, when that carries the bit.
        m_selected.clear();
        if (hCaret && (PlatformState(hCaret, TVIS_SELECTED) & TVIS_SELECTED))
            m_selected.insert(hCaret);
    } else {
        const BOOL bCaretSelected = hCaret && m_selected.count(hCaret) != 0;
        m_selected.clear();
        if (hCaret)
            PlatformSetState(hCaret, bCaretSelected ? TVIS_SELECTED : 0, TVIS_SELECTED);
        ::InvalidateRect(TreeHwnd(), nullptr, FALSE);
    }
    m_bMultiSelect = bMultiSelect;
    return bPrevious;
}

BOOL CXTPTreeBase::IsNavigationKey(UINT nKey)
{
    return nKey == VK_BACK || (nKey >= VK_PRIOR && nKey <= VK_DOWN) || nKey == VK_MULTIPLY || nKey == VK_ADD ||
           nKey == VK_SUBTRACT;
}

// ---- mouse ----------------------------------------------------------------------------------

void CXTPTreeBase::OnLButtonDownMsg(UINT nFlags, CPoint point)
{
    if (!m_bMultiSelect) {
        m_pTreeWnd->Default();
        return;
    }
    UINT hitFlags = 0;
    HTREEITEM hItem = HitTestItem(point, &hitFlags);
    if (hitFlags & (TVHT_ONITEMBUTTON | TVHT_ONITEMSTATEICON)) {
        m_pTreeWnd->Default();
        return;
    }
    if (Style() & TVS_EDITLABELS) {
        if (!(nFlags & (MK_SHIFT | MK_CONTROL)) && hItem && (hitFlags & TVHT_ONITEMLABEL) && hItem == Caret() &&
            m_bEditPending) {
            // A second click on the caret: the platform starts the label edit.
            SelectAll(FALSE);
            SetCaretItem(hItem);
            m_pTreeWnd->Default();
            return;
        }
        m_bEditPending = (hItem && (hitFlags & kOnItem)) ? 1 : 0;
    }
    OnButtonDown(TRUE, nFlags, point);
}

void CXTPTreeBase::OnRButtonDownMsg(UINT nFlags, CPoint point)
{
    (void)nFlags;
    if (!m_bMultiSelect || (Style() & TVS_SINGLEEXPAND)) {
        m_pTreeWnd->Default();
        return;
    }
    UINT hitFlags = 0;
    HTREEITEM hItem = HitTestItem(point, &hitFlags);
    if (!hItem || !(hitFlags & kOnItem)) {
        SelectAll(FALSE);
    } else if (!IsSelected(hItem)) {
        SelectAll(FALSE);
        SetCaretItem(hItem);
    }
    m_pTreeWnd->Default();
}

BOOL CXTPTreeBase::OnButtonDown(BOOL bLeft, UINT nFlags, CPoint point)
{
    if (!m_bMultiSelect)
        return TRUE;
    UINT hitFlags = 0;
    HTREEITEM hItem = HitTestItem(point, &hitFlags);
    if (hItem && ((hitFlags & TVHT_ONITEMBUTTON) ||
                  (bLeft && (hitFlags & TVHT_ONITEMSTATEICON) && (Style() & TVS_CHECKBOXES))))
        return TRUE;
    if (hItem && (hitFlags & kOnItem)) {
        DoPreSelection(hItem, bLeft, nFlags);
        DoAction(hItem, bLeft, nFlags, point);
        return m_bActionDone;
    }
    SelectMarquee(nFlags, point);
    return TRUE;
}

void CXTPTreeBase::DoPreSelection(HTREEITEM hItem, BOOL bLeft, UINT nFlags)
{
    const BOOL bShift = (nFlags & MK_SHIFT) != 0, bCtrl = (nFlags & MK_CONTROL) != 0;
    if (bLeft) {
        if (bShift) {
            if (!m_hAnchor)
                m_hAnchor = Caret();
            if (!m_hAnchor)
                m_hAnchor = hItem;    // no caret either: the range starts at the item
            ChangeItemState(hItem, TVIS_FOCUSED, TVIS_FOCUSED);
            SelectRange(m_hAnchor, hItem, !bCtrl);
        } else if (bCtrl) {
            m_hAnchor = nullptr;
        } else {
            if (!IsSelected(hItem)) {
                SelectAllExcept(FALSE, hItem);
                ChangeItemState(hItem, TVIS_FOCUSED | TVIS_SELECTED, TVIS_FOCUSED | TVIS_SELECTED);
            }
            m_hAnchor = nullptr;
        }
        return;
    }
    if (bShift)
        return;
    if (bCtrl) {
        m_hAnchor = hItem;
        return;
    }
    if (!IsSelected(hItem)) {
        SelectAllExcept(FALSE, hItem);
        ChangeItemState(hItem, TVIS_FOCUSED | TVIS_SELECTED, TVIS_FOCUSED | TVIS_SELECTED);
    }
}

void CXTPTreeBase::DoAction(HTREEITEM hItem, BOOL bLeft, UINT nFlags, CPoint point)
{
    m_bActionDone = 0;
    HWND hwnd = TreeHwnd();
    ::SetCapture(hwnd);
    const int dragX = ::GetSystemMetrics(SM_CXDRAG), dragY = ::GetSystemMetrics(SM_CYDRAG);
    enum { Neither, Click, Drag } outcome = Neither;
    MSG msg = {};
    BOOL bQuit = FALSE;
    while (outcome == Neither && ::GetCapture() == hwnd) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            bQuit = TRUE;
            break;
        }
        if (got == -1)
            break;
        switch (msg.message) {
        case WM_MOUSEMOVE:
            if (std::abs(GET_X_LPARAM(msg.lParam) - point.x) > dragX ||
                std::abs(GET_Y_LPARAM(msg.lParam) - point.y) > dragY)
                outcome = Drag;
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            outcome = Click;
            break;
        default:
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
            break;
        }
    }
    if (::GetCapture() == hwnd)
        ::ReleaseCapture();
    if (bQuit) {
        RepostQuit(msg);
        return;
    }
    if (outcome == Neither)
        return;

    NMTREEVIEWW notify = {};
    notify.hdr.hwndFrom = hwnd;
    notify.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(hwnd));
    notify.itemNew.mask = TVIF_HANDLE | TVIF_PARAM;
    notify.itemNew.hItem = hItem;
    TVITEMW data = {};
    data.mask = TVIF_PARAM;
    data.hItem = hItem;
    if (SendTree(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)))
        notify.itemNew.lParam = data.lParam;

    if (outcome == Click) {
        if (bLeft && !(nFlags & MK_SHIFT)) {
            if (nFlags & MK_CONTROL) {
                const UINT toggled = IsSelected(hItem) ? 0 : TVIS_SELECTED;
                ChangeItemState(hItem, TVIS_FOCUSED | toggled, TVIS_FOCUSED | TVIS_SELECTED);
            } else {
                SelectAllExcept(FALSE, hItem);
                ChangeItemState(hItem, TVIS_FOCUSED | TVIS_SELECTED, TVIS_FOCUSED | TVIS_SELECTED);
            }
        }
        if (::GetFocus() != hwnd)
            ::SetFocus(hwnd);
        notify.hdr.code = static_cast<UINT>(bLeft ? NM_CLICK : NM_RCLICK);
        SendNotify(&notify.hdr);
    } else {
        ChangeItemState(hItem, TVIS_FOCUSED | TVIS_SELECTED, TVIS_FOCUSED | TVIS_SELECTED);
        if (!(Style() & TVS_DISABLEDRAGDROP)) {
            notify.hdr.code = static_cast<UINT>(bLeft ? TVN_BEGINDRAGW : TVN_BEGINRDRAGW);
            notify.ptDrag = point;
            SendNotify(&notify.hdr);
        }
    }
    m_bActionDone = 1;
}

// ---- marquee --------------------------------------------------------------------------------

void CXTPTreeBase::SelectMarquee(UINT nFlags, CPoint point)
{
    HWND hwnd = TreeHwnd();
    ::SetFocus(hwnd);
    ::SetCapture(hwnd);
    const BOOL bModifier = (nFlags & (MK_SHIFT | MK_CONTROL)) != 0;
    CXTPTreeItemList listSelected;
    if (bModifier)
        CollectSelectedItems(listSelected);

    HDC hdc = ::GetDC(hwnd);
    CRect client;
    ::GetClientRect(hwnd, &client);
    const int dragX = ::GetSystemMetrics(SM_CXDRAG), dragY = ::GetSystemMetrics(SM_CYDRAG);
    ::SetTimer(hwnd, kMarqueeTimer, kMarqueeTimerMs, nullptr);

    // The vertical scroll position counts rows; the rectangle lives in pixels.
    int rowHeight = 0;
    if (HTREEITEM hRoot = GetNextItem(nullptr, TVGN_ROOT)) {
        CRect rootRect;
        rowHeight = ItemRect(hRoot, &rootRect, FALSE) ? rootRect.Height()
                                                      : static_cast<int>(SendTree(TVM_GETITEMHEIGHT));
    }
    const CPoint start(point.x + ::GetScrollPos(hwnd, SB_HORZ), point.y + ::GetScrollPos(hwnd, SB_VERT) * rowHeight);

    BOOL bTracking = FALSE;
    CPoint lastPoint = point;
    CRect focusRect(point, point);
    MSG msg = {};
    BOOL bQuit = FALSE;
    BOOL bEnd = FALSE;
    while (!bEnd && ::GetCapture() == hwnd) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            bQuit = TRUE;
            break;
        }
        if (got == -1)
            break;
        CPoint current;
        BOOL bHavePoint = FALSE;
        switch (msg.message) {
        case WM_KEYDOWN:
            if (msg.wParam == VK_ESCAPE) {
                SelectAll(FALSE);
                bEnd = TRUE;
            } else {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            break;
        case WM_TIMER:
            // Only the marquee's own tick counts; it is not passed on, since the platform
            // tree kills unknown timers of its own ids. Other timers wait for the loop's end.
            // Outside the client area the tick scrolls; inside it catches up with the pointer
            // when a move never arrived (Wine now and then drops one that comes while the one
            // before is being taken from the queue, and the rectangle would stay behind).
            if (msg.hwnd == hwnd && msg.wParam == kMarqueeTimer) {
                current = CursorClientPos();
                bHavePoint = !client.PtInRect(current) || current != lastPoint;
            }
            break;
        case WM_MOUSEMOVE:
            current = CPoint(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
            bHavePoint = TRUE;
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            bEnd = TRUE;
            break;
        default:
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
            break;
        }
        if (!bHavePoint)
            continue;
        lastPoint = current;
        if (!bTracking) {
            if (std::abs(current.x - point.x) <= dragX && std::abs(current.y - point.y) <= dragY)
                continue;
            bTracking = TRUE;
            if (!bModifier) {
                SelectAll(FALSE);
                ::UpdateWindow(hwnd);
            }
            focusRect = CRect(point, point);
            ::DrawFocusRect(hdc, &focusRect);
        }
        ::DrawFocusRect(hdc, &focusRect);
        if (current.y < client.top)
            SendTree(WM_VSCROLL, SB_LINEUP);
        else if (current.y > client.bottom)
            SendTree(WM_VSCROLL, SB_LINEDOWN);
        if (current.x < client.left)
            SendTree(WM_HSCROLL, SB_LINELEFT);
        else if (current.x > client.right)
            SendTree(WM_HSCROLL, SB_LINERIGHT);
        CRect rect(start.x - ::GetScrollPos(hwnd, SB_HORZ), start.y - ::GetScrollPos(hwnd, SB_VERT) * rowHeight,
                   current.x, current.y);
        rect.NormalizeRect();
        SelectRect(rect, nFlags, listSelected);
        focusRect = rect;
        ::DrawFocusRect(hdc, &focusRect);
    }
    ::KillTimer(hwnd, kMarqueeTimer);
    if (::GetCapture() == hwnd)
        ::ReleaseCapture();
    if (bTracking)
        ::DrawFocusRect(hdc, &focusRect);
    ::ReleaseDC(hwnd, hdc);
    if (!bTracking && !bModifier && !bQuit)
        SelectAll(FALSE);    // a click on empty space
    if (bQuit)
        RepostQuit(msg);
}

void CXTPTreeBase::SelectRect(const CRect& rect, UINT nFlags, CXTPTreeItemList& listSelected)
{
    const BOOL bCtrl = (nFlags & MK_CONTROL) != 0;
    {
        CBulkChange bulk(*this);    // one repaint for the whole rectangle, below
        for (HTREEITEM hItem = FirstVisibleFromRoot(); hItem; hItem = NextVisible(hItem)) {
            CRect itemRect;
            if (!ItemRect(hItem, &itemRect, m_bTextOnlyRects))
                continue;
            CRect overlap;
            const BOOL bInside = overlap.IntersectRect(&itemRect, &rect);
            const BOOL bInList = listSelected.count(hItem) != 0;
            const BOOL bSelected = IsSelected(hItem);
            if (bInside) {
                if (!bSelected && !bInList)
                    ChangeItemState(hItem, TVIS_SELECTED, TVIS_SELECTED);
                else if (bInList && bCtrl && bSelected)
                    ChangeItemState(hItem, 0, TVIS_SELECTED);
                // With Shift an item selected before the marquee stays selected and stays in the
                // list: the rectangle only adds, so leaving the item again must not drop it.
            } else if (bInList) {
                if (!bSelected)
                    ChangeItemState(hItem, TVIS_SELECTED, TVIS_SELECTED);
            } else if (bSelected) {
                ChangeItemState(hItem, 0, TVIS_SELECTED);
            }
        }
    }
    ::UpdateWindow(TreeHwnd());
}

// ---- keyboard -------------------------------------------------------------------------------

void CXTPTreeBase::OnKeyDownMsg(UINT nChar)
{
    if (!m_bMultiSelect) {
        m_pTreeWnd->Default();
        return;
    }
    const BOOL bCtrl = ::GetKeyState(VK_CONTROL) < 0, bShift = ::GetKeyState(VK_SHIFT) < 0;
    if (IsNavigationKey(nChar) && !bCtrl && !bShift) {
        HTREEITEM hCaret = Caret();
        HTREEITEM hFirst = GetFirstSelectedItem();
        const BOOL bOnlyCaret = hCaret && hFirst == hCaret && !GetNextSelectedItem(hFirst);
        if (!bOnlyCaret)
            SelectAll(FALSE);
    }
    const BOOL bRangeKey = nChar == VK_PRIOR || nChar == VK_NEXT || nChar == VK_UP || nChar == VK_DOWN;
    HTREEITEM hOldCaret = Caret();
    const BOOL bOldCaretSelected = hOldCaret && IsSelected(hOldCaret);
    if (bRangeKey) {
        if (!m_hAnchor)
            m_hAnchor = hOldCaret;
        if (!bCtrl && !bShift)
            m_hAnchor = nullptr;
    }
    HTREEITEM hTarget = nullptr;
    BOOL bTargetSelected = FALSE;
    if (bRangeKey && (nChar == VK_UP || nChar == VK_DOWN)) {
        hTarget = hOldCaret ? GetNextItem(hOldCaret, nChar == VK_UP ? TVGN_PREVIOUSVISIBLE : TVGN_NEXTVISIBLE) : nullptr;
        if (!hTarget)
            hTarget = hOldCaret;
        bTargetSelected = hTarget && IsSelected(hTarget);
    }

    m_pTreeWnd->Default();

    if (!bRangeKey || !(bCtrl || bShift)) {
        // The platform's own move hands the selection over (also done from its notification,
        // which a parent outside the framework does not reflect).
        HTREEITEM hNew = Caret();
        if (hNew != hOldCaret) {
            MarkSelected(hOldCaret, FALSE);
            MarkSelected(hNew, TRUE);
        }
        return;
    }
    if (nChar == VK_PRIOR || nChar == VK_NEXT) {
        hTarget = Caret();
        bTargetSelected = hTarget == hOldCaret ? bOldCaretSelected : FALSE;
    }
    if (!hTarget)
        return;
    if (bShift) {
        SelectRange(m_hAnchor, hTarget, TRUE);
        return;
    }
    // Ctrl alone moves the caret only; the platform's own move selected and deselected on the way.
    if (hOldCaret && hOldCaret != hTarget)
        MarkSelected(hOldCaret, bOldCaretSelected);
    ChangeItemState(hTarget, TVIS_FOCUSED, TVIS_FOCUSED);
    MarkSelected(hTarget, bTargetSelected);
}

BOOL CXTPTreeBase::PreTranslateKeys(MSG* pMsg)
{
    if (pMsg->message != WM_KEYDOWN)
        return FALSE;
    if ((Style() & TVS_EDITLABELS) && SendTree(TVM_GETEDITCONTROL)) {
        // The label's edit box gets Enter and Escape instead of a dialog's default buttons.
        ::TranslateMessage(pMsg);
        ::DispatchMessageW(pMsg);
        return TRUE;
    }
    if (pMsg->wParam == VK_RETURN) {
        if (HTREEITEM hCaret = Caret()) {
            SendTree(TVM_EXPAND, TVE_TOGGLE, reinterpret_cast<LPARAM>(hCaret));
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CXTPTreeBase::HandleNotify(WPARAM, NMHDR* pNMHDR, LRESULT*)
{
    if (pNMHDR && pNMHDR->code == static_cast<UINT>(TTN_SHOW)) {
        if (HWND hTip = reinterpret_cast<HWND>(SendTree(TVM_GETTOOLTIPS)))
            ::SetWindowPos(hTip, HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }
    return FALSE;
}

// ---- focus, size, hot tracking --------------------------------------------------------------

void CXTPTreeBase::InvalidateSelectedLabels()
{
    for (HTREEITEM hItem = FirstVisibleFromRoot(); hItem; hItem = NextVisible(hItem)) {
        CRect rect;
        if (IsSelected(hItem) && ItemRect(hItem, &rect, TRUE))
            ::InvalidateRect(TreeHwnd(), &rect, TRUE);
    }
}

void CXTPTreeBase::OnSetFocusMsg()
{
    if (m_bMultiSelect)
        InvalidateSelectedLabels();
    m_pTreeWnd->Default();
}

void CXTPTreeBase::OnKillFocusMsg()
{
    m_pTreeWnd->Default();
    if (m_bMultiSelect)
        InvalidateSelectedLabels();
}

void CXTPTreeBase::OnSizeMsg()
{
    m_pTreeWnd->Default();
    if (!(Style() & TVS_EDITLABELS) || !m_hEditLabel)
        return;
    HWND hEdit = reinterpret_cast<HWND>(SendTree(TVM_GETEDITCONTROL));
    CRect rect;
    if (hEdit && ItemRect(m_hEditLabel, &rect, TRUE))
        ::SetWindowPos(hEdit, nullptr, rect.left - 3, rect.top - 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CXTPTreeBase::OnMouseMoveMsg(CPoint point)
{
    if (Style() & TVS_TRACKSELECT) {
        UINT hitFlags = 0;
        HTREEITEM hItem = HitTestItem(point, &hitFlags);
        if (!(hitFlags & kOnItem))
            hItem = nullptr;
        if (hItem != m_hHotItem) {
            m_hHotItem = hItem;
            if (hItem)
                ::SetTimer(TreeHwnd(), kHotTimer, kHotTimerMs, nullptr);
            ::InvalidateRect(TreeHwnd(), nullptr, FALSE);
        }
    }
    m_pTreeWnd->Default();
}

void CXTPTreeBase::OnNcMouseMoveMsg()
{
    if (m_hHotItem) {
        m_hHotItem = nullptr;
        ::InvalidateRect(TreeHwnd(), nullptr, FALSE);
    }
    m_pTreeWnd->Default();
}

void CXTPTreeBase::OnTimerMsg(UINT_PTR nIDEvent)
{
    if (!(Style() & TVS_TRACKSELECT) || nIDEvent != kHotTimer) {
        m_pTreeWnd->Default();
        return;
    }
    if (m_hHotItem) {
        const DWORD pos = ::GetMessagePos();
        const POINT point = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
        CRect window;
        ::GetWindowRect(TreeHwnd(), &window);
        if (window.PtInRect(point))
            return;
        m_hHotItem = nullptr;
        ::InvalidateRect(TreeHwnd(), nullptr, FALSE);
    }
    ::KillTimer(TreeHwnd(), kHotTimer);
}

// ---- reflected notifications ----------------------------------------------------------------

void CXTPTreeBase::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    m_hEditLabel = reinterpret_cast<NMTVDISPINFOW*>(pNMHDR)->item.hItem;
    *pResult = 0;
}

void CXTPTreeBase::OnEndLabelEdit(NMHDR*, LRESULT* pResult)
{
    m_hEditLabel = nullptr;
    *pResult = 0;
}

void CXTPTreeBase::OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (!m_bMultiSelect)
        return;
    const NMTREEVIEWW* notify = reinterpret_cast<NMTREEVIEWW*>(pNMHDR);
    const UINT action = notify->action;
    if ((action & TVE_ACTIONMASK) != TVE_COLLAPSE && !(action & TVE_COLLAPSERESET))
        return;
    HTREEITEM hItem = notify->itemNew.hItem;
    if (SelectChildren(hItem, FALSE, TRUE) && !IsSelected(hItem))
        FocusItem(hItem);
}

void CXTPTreeBase::OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult)
{
    HTREEITEM hItem = reinterpret_cast<NMTREEVIEWW*>(pNMHDR)->itemOld.hItem;
    m_mapColorFont.RemoveKey(hItem);
    // The handle may be reused by the next inserted item: forget it everywhere.
    if (m_hAnchor == hItem)
        m_hAnchor = nullptr;
    if (m_hHotItem == hItem)
        m_hHotItem = nullptr;
    if (m_hEditLabel == hItem)
        m_hEditLabel = nullptr;
    m_selected.erase(hItem);
    *pResult = 0;
}

void CXTPTreeBase::OnSelChanged(NMHDR* pNMHDR)
{
    if (!m_bMultiSelect || m_nOwnCaretMove > 0)
        return;
    // The platform moved its caret by itself: the old caret's selection goes to the new one, as
    // the platform's bit did.
    const NMTREEVIEWW* notify = reinterpret_cast<NMTREEVIEWW*>(pNMHDR);
    MarkSelected(notify->itemOld.hItem, FALSE);
    MarkSelected(notify->itemNew.hItem, TRUE);
}

// ---- painting -------------------------------------------------------------------------------

void CXTPTreeBase::OnPaintMsg()
{
    CPaintDC dc(m_pTreeWnd);
    DrawTree(&dc, TRUE);
}

LRESULT CXTPTreeBase::OnPrintClientMsg(HDC hdc)
{
    CDC dc;
    dc.Attach(hdc);
    DrawTree(&dc, TRUE);
    dc.Detach();
    return 0;
}

void CXTPTreeBase::DrawTree(CDC* pDC, BOOL bOwnerDrawLabels)
{
    HWND hwnd = TreeHwnd();
    CRect client;
    ::GetClientRect(hwnd, &client);
    const COLORREF clrBack = GetTreeBackColor();
    const COLORREF clrText = GetTreeTextColor();

    CXTPBufferDC buffer(pDC->GetSafeHdc(), client);
    buffer.FillSolidRect(&client, clrBack);
    m_pTreeWnd->DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(buffer.GetSafeHdc()), 0);
    if (!bOwnerDrawLabels)
        return;

    HDC hdc = buffer.GetSafeHdc();
    const int saved = ::SaveDC(hdc);
    const DWORD style = Style();
    const BOOL bEditing = (style & TVS_EDITLABELS) && SendTree(TVM_GETEDITCONTROL);
    if (!bEditing)
        m_hEditLabel = nullptr;
    const BOOL bEnabled = ::IsWindowEnabled(hwnd);
    const BOOL bHasFocus = ::GetFocus() == hwnd;
    HTREEITEM hFirst = GetNextItem(nullptr, TVGN_FIRSTVISIBLE);
    const UINT count = static_cast<UINT>(SendTree(TVM_GETVISIBLECOUNT)) + 1;
    HFONT hBaseFont = reinterpret_cast<HFONT>(SendTree(WM_GETFONT));
    if (!hBaseFont)
        hBaseFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW baseFont = {};
    ::GetObjectW(hBaseFont, sizeof(baseFont), &baseFont);
    HTREEITEM hDrop = GetNextItem(nullptr, TVGN_DROPHILITE);
    const CXTPOsVersionCache& os = GetOsVersionCache();
    const int hotIndex = (os.IsWin95() || os.IsWinNT4()) ? COLOR_HIGHLIGHT : COLOR_HOTLIGHT;

    UINT drawn = 0;
    for (HTREEITEM hItem = hFirst; hItem && drawn < count; hItem = NextVisible(hItem), ++drawn) {
        CRect label;
        if (!ItemRect(hItem, &label, TRUE))
            continue;
        buffer.FillSolidRect(CRect(label.left, label.top, client.right, label.bottom), clrBack);

        UINT state = QueryItemState(hItem, TVIS_FOCUSED | TVIS_SELECTED | TVIS_DROPHILITED);
        if (hDrop && hDrop != hItem)
            state &= ~TVIS_SELECTED;
        COLORREF back = GetStateBackColor(state, bHasFocus, style, clrBack);
        COLORREF text = GetStateTextColor(state, bHasFocus, style, clrText);
        if (hItem == m_hEditLabel)
            back = text = clrBack;    // the edit box covers the label

        LOGFONTW font = baseFont;
        CLRFONT entry;
        if (m_mapColorFont.Lookup(hItem, entry)) {
            if (!(state & (TVIS_SELECTED | TVIS_DROPHILITED)) && bEnabled) {
                if (entry.color != kNoColor)
                    text = entry.color;
                if (entry.colorBack != kNoColor)
                    back = entry.colorBack;
            }
            if (entry.logfont.lfFaceName[0] != 0)
                font = entry.logfont;
        }
        if (GetItemBold(hItem))
            font.lfWeight = FW_BOLD;
        if ((style & TVS_TRACKSELECT) && hItem == m_hHotItem && !(state & TVIS_SELECTED))
            text = ToolkitColor(hotIndex);

        HFONT hFont = ::CreateFontIndirectW(&font);
        HGDIOBJ hOldFont = ::SelectObject(hdc, hFont);
        const CString caption = ItemLabel(hItem);
        SIZE extent = {};
        ::GetTextExtentPoint32W(hdc, caption, caption.GetLength(), &extent);
        if (extent.cx > label.Width())
            label.right = label.left + extent.cx + 2;
        if (state & (TVIS_SELECTED | TVIS_DROPHILITED))
            buffer.FillSolidRect(&label, back);
        ::SetBkColor(hdc, back);
        ::SetTextColor(hdc, text);
        CRect textRect = label;
        textRect.OffsetRect(3, 0);
        ::DrawTextW(hdc, caption, caption.GetLength(), &textRect, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if ((state & TVIS_FOCUSED) && !bEditing && bEnabled && bHasFocus) {
            ::SetTextColor(hdc, clrText);
            ::DrawFocusRect(hdc, &label);
        }
        ::SelectObject(hdc, hOldFont);
        ::DeleteObject(hFont);
    }
    ::RestoreDC(hdc, saved);
}
