#include "framework/window/Controls.h"

#include "framework/window/ImageList.h"

#include <iterator>
#include <type_traits>

IMPLEMENT_DYNAMIC(COwnerDrawControl, CWnd)
IMPLEMENT_DYNAMIC(CButton, COwnerDrawControl)
IMPLEMENT_DYNAMIC(CStatic, COwnerDrawControl)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CListBox, COwnerDrawControl)
IMPLEMENT_DYNAMIC(CComboBox, COwnerDrawControl)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)
IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)
IMPLEMENT_DYNAMIC(CListCtrl, COwnerDrawControl)
IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)

BEGIN_MESSAGE_MAP(COwnerDrawControl, CWnd)
    ON_WM_DRAWITEM_REFLECT()
    ON_WM_MEASUREITEM_REFLECT()
    ON_WM_COMPAREITEM_REFLECT()
    ON_WM_DELETEITEM_REFLECT()
END_MESSAGE_MAP()

namespace {

template <class T = LRESULT>
T Send(const CWnd* wnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    const LRESULT result = ::SendMessageW(wnd->m_hWnd, message, wParam, lParam);
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(result);
    else
        return static_cast<T>(result);
}

template <class P>
LPARAM AsLParam(P pointer)
{
    return reinterpret_cast<LPARAM>(pointer);
}

} // namespace

// ---- owner draw --------------------------------------------------------------------------------

void COwnerDrawControl::DrawItem(LPDRAWITEMSTRUCT) {}
void COwnerDrawControl::MeasureItem(LPMEASUREITEMSTRUCT) {}
int COwnerDrawControl::CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }
void COwnerDrawControl::DeleteItem(LPDELETEITEMSTRUCT) {}

BOOL COwnerDrawControl::CreateControlWindow(const wchar_t* className, const wchar_t* text, DWORD dwStyle,
                                            const RECT& rect, CWnd* pParentWnd, UINT nID, DWORD dwExStyle)
{
    return CWnd::CreateEx(dwExStyle, className, text, dwStyle, rect, pParentWnd, nID);
}

// ---- buttons and statics -----------------------------------------------------------------------

BOOL CButton::Create(const wchar_t* lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateControlWindow(L"Button", lpszCaption, dwStyle, rect, pParentWnd, nID);
}
int CButton::GetCheck() const { return Send<int>(this, BM_GETCHECK); }
void CButton::SetCheck(int nCheck) { Send(this, BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
UINT CButton::GetState() const { return Send<UINT>(this, BM_GETSTATE); }
void CButton::SetState(BOOL bHighlight) { Send(this, BM_SETSTATE, static_cast<WPARAM>(bHighlight)); }
UINT CButton::GetButtonStyle() const { return static_cast<UINT>(GetStyle() & 0xFFFF); }
void CButton::SetButtonStyle(UINT nStyle, BOOL bRedraw) { Send(this, BM_SETSTYLE, nStyle, bRedraw); }
HBITMAP CButton::SetBitmap(HBITMAP hBitmap) { return Send<HBITMAP>(this, BM_SETIMAGE, IMAGE_BITMAP, AsLParam(hBitmap)); }
HICON CButton::SetIcon(HICON hIcon) { return Send<HICON>(this, BM_SETIMAGE, IMAGE_ICON, AsLParam(hIcon)); }

BOOL CStatic::Create(const wchar_t* lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateControlWindow(L"Static", lpszText, dwStyle, rect, pParentWnd, nID);
}
HICON CStatic::SetIcon(HICON hIcon) { return Send<HICON>(this, STM_SETICON, reinterpret_cast<WPARAM>(hIcon)); }
HICON CStatic::GetIcon() const { return Send<HICON>(this, STM_GETICON); }
HBITMAP CStatic::SetBitmap(HBITMAP hBitmap) { return Send<HBITMAP>(this, STM_SETIMAGE, IMAGE_BITMAP, AsLParam(hBitmap)); }

// ---- edit --------------------------------------------------------------------------------------

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::CreateEx(0, L"Edit", nullptr, dwStyle, rect, pParentWnd, nID);
}
void CEdit::GetSel(int& nStartChar, int& nEndChar) const
{
    DWORD start = 0;
    DWORD end = 0;
    Send(this, EM_GETSEL, reinterpret_cast<WPARAM>(&start), AsLParam(&end));
    nStartChar = static_cast<int>(start);
    nEndChar = static_cast<int>(end);
}
void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    Send(this, EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
    if (!bNoScroll)
        Send(this, EM_SCROLLCARET);
}
void CEdit::ReplaceSel(const wchar_t* lpszNewText, BOOL bCanUndo) { Send(this, EM_REPLACESEL, bCanUndo, AsLParam(lpszNewText)); }
void CEdit::SetLimitText(UINT nMax) { Send(this, EM_LIMITTEXT, nMax); }
UINT CEdit::GetLimitText() const { return Send<UINT>(this, EM_GETLIMITTEXT); }
BOOL CEdit::GetModify() const { return Send<BOOL>(this, EM_GETMODIFY); }
void CEdit::SetModify(BOOL bModified) { Send(this, EM_SETMODIFY, bModified); }
BOOL CEdit::SetReadOnly(BOOL bReadOnly) { return Send<BOOL>(this, EM_SETREADONLY, bReadOnly); }
int CEdit::GetLineCount() const { return Send<int>(this, EM_GETLINECOUNT); }
void CEdit::Clear() { Send(this, WM_CLEAR); }
void CEdit::Copy() { Send(this, WM_COPY); }
void CEdit::Cut() { Send(this, WM_CUT); }
void CEdit::Paste() { Send(this, WM_PASTE); }
BOOL CEdit::Undo() { return Send<BOOL>(this, EM_UNDO); }

// ---- list and combo boxes ----------------------------------------------------------------------

namespace {

int ItemText(const CWnd* wnd, UINT lengthMessage, UINT textMessage, int nIndex, CString& rString)
{
    const int length = Send<int>(wnd, lengthMessage, static_cast<WPARAM>(nIndex));
    if (length < 0) {
        rString.Empty();
        return length;
    }
    Send(wnd, textMessage, static_cast<WPARAM>(nIndex), AsLParam(rString.GetBufferSetLength(length + 1)));
    rString.ReleaseBuffer();
    return rString.GetLength();
}

} // namespace

BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateControlWindow(L"ListBox", nullptr, dwStyle, rect, pParentWnd, nID);
}
int CListBox::GetCount() const { return Send<int>(this, LB_GETCOUNT); }
int CListBox::AddString(const wchar_t* lpszItem) { return Send<int>(this, LB_ADDSTRING, 0, AsLParam(lpszItem)); }
int CListBox::InsertString(int nIndex, const wchar_t* lpszItem)
{
    return Send<int>(this, LB_INSERTSTRING, static_cast<WPARAM>(nIndex), AsLParam(lpszItem));
}
int CListBox::DeleteString(UINT nIndex) { return Send<int>(this, LB_DELETESTRING, nIndex); }
void CListBox::ResetContent() { Send(this, LB_RESETCONTENT); }
int CListBox::GetText(int nIndex, CString& rString) const { return ItemText(this, LB_GETTEXTLEN, LB_GETTEXT, nIndex, rString); }
int CListBox::GetCurSel() const { return Send<int>(this, LB_GETCURSEL); }
int CListBox::SetCurSel(int nSelect) { return Send<int>(this, LB_SETCURSEL, static_cast<WPARAM>(nSelect)); }
int CListBox::GetSel(int nIndex) const { return Send<int>(this, LB_GETSEL, static_cast<WPARAM>(nIndex)); }
int CListBox::SetSel(int nIndex, BOOL bSelect) { return Send<int>(this, LB_SETSEL, bSelect, nIndex); }
int CListBox::GetSelCount() const { return Send<int>(this, LB_GETSELCOUNT); }
DWORD_PTR CListBox::GetItemData(int nIndex) const { return Send<DWORD_PTR>(this, LB_GETITEMDATA, static_cast<WPARAM>(nIndex)); }
int CListBox::SetItemData(int nIndex, DWORD_PTR dwItemData)
{
    return Send<int>(this, LB_SETITEMDATA, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(dwItemData));
}
int CListBox::FindStringExact(int nIndexStart, const wchar_t* lpszFind) const
{
    return Send<int>(this, LB_FINDSTRINGEXACT, static_cast<WPARAM>(nIndexStart), AsLParam(lpszFind));
}

BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateControlWindow(L"ComboBox", nullptr, dwStyle, rect, pParentWnd, nID);
}
int CComboBox::GetCount() const { return Send<int>(this, CB_GETCOUNT); }
int CComboBox::AddString(const wchar_t* lpszString) { return Send<int>(this, CB_ADDSTRING, 0, AsLParam(lpszString)); }
int CComboBox::InsertString(int nIndex, const wchar_t* lpszString)
{
    return Send<int>(this, CB_INSERTSTRING, static_cast<WPARAM>(nIndex), AsLParam(lpszString));
}
int CComboBox::DeleteString(UINT nIndex) { return Send<int>(this, CB_DELETESTRING, nIndex); }
void CComboBox::ResetContent() { Send(this, CB_RESETCONTENT); }
int CComboBox::GetLBText(int nIndex, CString& rString) const { return ItemText(this, CB_GETLBTEXTLEN, CB_GETLBTEXT, nIndex, rString); }
int CComboBox::GetCurSel() const { return Send<int>(this, CB_GETCURSEL); }
int CComboBox::SetCurSel(int nSelect) { return Send<int>(this, CB_SETCURSEL, static_cast<WPARAM>(nSelect)); }
DWORD_PTR CComboBox::GetItemData(int nIndex) const { return Send<DWORD_PTR>(this, CB_GETITEMDATA, static_cast<WPARAM>(nIndex)); }
int CComboBox::SetItemData(int nIndex, DWORD_PTR dwItemData)
{
    return Send<int>(this, CB_SETITEMDATA, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(dwItemData));
}
int CComboBox::FindStringExact(int nIndexStart, const wchar_t* lpszFind) const
{
    return Send<int>(this, CB_FINDSTRINGEXACT, static_cast<WPARAM>(nIndexStart), AsLParam(lpszFind));
}
int CComboBox::SelectString(int nStartAfter, const wchar_t* lpszString)
{
    return Send<int>(this, CB_SELECTSTRING, static_cast<WPARAM>(nStartAfter), AsLParam(lpszString));
}
BOOL CComboBox::LimitText(int nMaxChars) { return Send<BOOL>(this, CB_LIMITTEXT, static_cast<WPARAM>(nMaxChars)); }
void CComboBox::ShowDropDown(BOOL bShowIt) { Send(this, CB_SHOWDROPDOWN, bShowIt); }
BOOL CComboBox::GetDroppedState() const { return Send<BOOL>(this, CB_GETDROPPEDSTATE); }

// ---- scroll bar, spin, progress ----------------------------------------------------------------

BOOL CScrollBar::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::CreateEx(0, L"ScrollBar", nullptr, dwStyle, rect, pParentWnd, nID);
}
int CScrollBar::GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
int CScrollBar::SetScrollPos(int nPos, BOOL bRedraw) { return ::SetScrollPos(m_hWnd, SB_CTL, nPos, bRedraw); }
void CScrollBar::GetScrollRange(LPINT lpMinPos, LPINT lpMaxPos) const { ::GetScrollRange(m_hWnd, SB_CTL, lpMinPos, lpMaxPos); }
void CScrollBar::SetScrollRange(int nMinPos, int nMaxPos, BOOL bRedraw) { ::SetScrollRange(m_hWnd, SB_CTL, nMinPos, nMaxPos, bRedraw); }
BOOL CScrollBar::SetScrollInfo(LPSCROLLINFO lpScrollInfo, BOOL bRedraw)
{
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    ::SetScrollInfo(m_hWnd, SB_CTL, lpScrollInfo, bRedraw);
    return TRUE;
}
BOOL CScrollBar::GetScrollInfo(LPSCROLLINFO lpScrollInfo, UINT nMask)
{
    lpScrollInfo->cbSize = sizeof(SCROLLINFO);
    lpScrollInfo->fMask = nMask;
    return ::GetScrollInfo(m_hWnd, SB_CTL, lpScrollInfo);
}

BOOL CSpinButtonCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::CreateEx(0, UPDOWN_CLASSW, nullptr, dwStyle, rect, pParentWnd, nID);
}
CWnd* CSpinButtonCtrl::SetBuddy(CWnd* pWndBuddy)
{
    return CWnd::FromHandle(Send<HWND>(this, UDM_SETBUDDY, reinterpret_cast<WPARAM>(pWndBuddy->GetSafeHwnd())));
}
CWnd* CSpinButtonCtrl::GetBuddy() const { return CWnd::FromHandle(Send<HWND>(this, UDM_GETBUDDY)); }
void CSpinButtonCtrl::SetRange32(int nLower, int nUpper) { Send(this, UDM_SETRANGE32, static_cast<WPARAM>(nLower), nUpper); }
void CSpinButtonCtrl::GetRange32(int& nLower, int& nUpper) const
{
    Send(this, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&nLower), AsLParam(&nUpper));
}
int CSpinButtonCtrl::SetPos32(int nPos) { return Send<int>(this, UDM_SETPOS32, 0, nPos); }
int CSpinButtonCtrl::GetPos32(BOOL* pbError) const { return Send<int>(this, UDM_GETPOS32, 0, AsLParam(pbError)); }

BOOL CProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::CreateEx(0, PROGRESS_CLASSW, nullptr, dwStyle, rect, pParentWnd, nID);
}
void CProgressCtrl::SetRange32(int nLower, int nUpper) { Send(this, PBM_SETRANGE32, static_cast<WPARAM>(nLower), nUpper); }
int CProgressCtrl::SetPos(int nPos) { return Send<int>(this, PBM_SETPOS, static_cast<WPARAM>(nPos)); }
int CProgressCtrl::GetPos() const { return Send<int>(this, PBM_GETPOS); }
int CProgressCtrl::StepIt() { return Send<int>(this, PBM_STEPIT); }
int CProgressCtrl::SetStep(int nStep) { return Send<int>(this, PBM_SETSTEP, static_cast<WPARAM>(nStep)); }
BOOL CProgressCtrl::SetMarquee(BOOL fMarqueeMode, int nInterval)
{
    return Send<BOOL>(this, PBM_SETMARQUEE, fMarqueeMode, nInterval);
}

// ---- list view ---------------------------------------------------------------------------------

BOOL CListCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateControlWindow(WC_LISTVIEWW, nullptr, dwStyle, rect, pParentWnd, nID);
}
DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) { return Send<DWORD>(this, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle); }
DWORD CListCtrl::GetExtendedStyle() const { return Send<DWORD>(this, LVM_GETEXTENDEDLISTVIEWSTYLE); }
CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType)
{
    HIMAGELIST old = Send<HIMAGELIST>(this, LVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType),
                                      AsLParam(pImageList ? pImageList->GetSafeHandle() : nullptr));
    return old ? CImageList::FromHandle(old) : nullptr;
}
int CListCtrl::InsertColumn(int nCol, const wchar_t* lpszColumnHeading, int nFormat, int nWidth)
{
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_FMT | (nWidth >= 0 ? LVCF_WIDTH : 0);
    column.fmt = nFormat;
    column.cx = nWidth;
    column.pszText = const_cast<wchar_t*>(lpszColumnHeading);
    return Send<int>(this, LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol), AsLParam(&column));
}
BOOL CListCtrl::DeleteColumn(int nCol) { return Send<BOOL>(this, LVM_DELETECOLUMN, static_cast<WPARAM>(nCol)); }
int CListCtrl::InsertItem(int nItem, const wchar_t* lpszItem, int nImage)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT | (nImage >= 0 ? LVIF_IMAGE : 0);
    item.iItem = nItem;
    item.pszText = const_cast<wchar_t*>(lpszItem);
    item.iImage = nImage;
    return InsertItem(&item);
}
int CListCtrl::InsertItem(const LVITEMW* pItem) { return Send<int>(this, LVM_INSERTITEMW, 0, AsLParam(pItem)); }
BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const wchar_t* lpszText)
{
    LVITEMW item = {};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<wchar_t*>(lpszText);
    return Send<BOOL>(this, LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), AsLParam(&item));
}
CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    // The list answers how many characters it copied; a full buffer may mean a longer text.
    for (int size = 256;; size *= 2) {
        CString text;
        LVITEMW item = {};
        item.iSubItem = nSubItem;
        item.cchTextMax = size;
        item.pszText = text.GetBufferSetLength(size);
        const int copied = Send<int>(this, LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), AsLParam(&item));
        text.ReleaseBuffer(copied);
        if (copied < size - 1 || size >= (1 << 20))
            return text;
    }
}
BOOL CListCtrl::DeleteItem(int nItem) { return Send<BOOL>(this, LVM_DELETEITEM, static_cast<WPARAM>(nItem)); }
BOOL CListCtrl::DeleteAllItems() { return Send<BOOL>(this, LVM_DELETEALLITEMS); }
int CListCtrl::GetItemCount() const { return Send<int>(this, LVM_GETITEMCOUNT); }
void CListCtrl::SetItemCountEx(int iCount, DWORD dwFlags) { Send(this, LVM_SETITEMCOUNT, static_cast<WPARAM>(iCount), dwFlags); }
DWORD_PTR CListCtrl::GetItemData(int nItem) const
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    return Send<BOOL>(this, LVM_GETITEMW, 0, AsLParam(&item)) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}
BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData)
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    item.lParam = static_cast<LPARAM>(dwData);
    return Send<BOOL>(this, LVM_SETITEMW, 0, AsLParam(&item));
}
UINT CListCtrl::GetItemState(int nItem, UINT nMask) const { return Send<UINT>(this, LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask); }
BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEMW item = {};
    item.state = nState;
    item.stateMask = nMask;
    return Send<BOOL>(this, LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), AsLParam(&item));
}
int CListCtrl::GetNextItem(int nItem, int nFlags) const
{
    return Send<int>(this, LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), MAKELPARAM(nFlags, 0));
}
int CListCtrl::GetSelectedCount() const { return Send<int>(this, LVM_GETSELECTEDCOUNT); }
BOOL CListCtrl::EnsureVisible(int nItem, BOOL bPartialOK) { return Send<BOOL>(this, LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), bPartialOK); }
int CListCtrl::FindItemByData(DWORD_PTR dwData) const
{
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(dwData);
    return Send<int>(this, LVM_FINDITEMW, static_cast<WPARAM>(-1), AsLParam(&find));
}

// ---- tree view ---------------------------------------------------------------------------------

BOOL CTreeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::CreateEx(0, WC_TREEVIEWW, nullptr, dwStyle, rect, pParentWnd, nID);
}
CImageList* CTreeCtrl::SetImageList(CImageList* pImageList, int nImageListType)
{
    HIMAGELIST old = Send<HIMAGELIST>(this, TVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType),
                                      AsLParam(pImageList ? pImageList->GetSafeHandle() : nullptr));
    return old ? CImageList::FromHandle(old) : nullptr;
}
HTREEITEM CTreeCtrl::InsertItem(const wchar_t* lpszItem, HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(lpszItem);
    return Send<HTREEITEM>(this, TVM_INSERTITEMW, 0, AsLParam(&insert));
}
HTREEITEM CTreeCtrl::InsertItem(const wchar_t* lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent,
                                HTREEITEM hInsertAfter)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(lpszItem);
    insert.item.iImage = nImage;
    insert.item.iSelectedImage = nSelectedImage;
    return Send<HTREEITEM>(this, TVM_INSERTITEMW, 0, AsLParam(&insert));
}
BOOL CTreeCtrl::DeleteItem(HTREEITEM hItem) { return Send<BOOL>(this, TVM_DELETEITEM, 0, AsLParam(hItem)); }
BOOL CTreeCtrl::DeleteAllItems() { return Send<BOOL>(this, TVM_DELETEITEM, 0, AsLParam(TVI_ROOT)); }
CString CTreeCtrl::GetItemText(HTREEITEM hItem) const
{
    for (int size = 256;; size *= 2) {
        CString text;
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.cchTextMax = size;
        item.pszText = text.GetBufferSetLength(size);
        if (!Send<BOOL>(this, TVM_GETITEMW, 0, AsLParam(&item))) {
            text.ReleaseBuffer(0);
            return text;
        }
        text.ReleaseBuffer();
        if (text.GetLength() < size - 1 || size >= (1 << 20))
            return text;
    }
}
BOOL CTreeCtrl::SetItemText(HTREEITEM hItem, const wchar_t* lpszItem)
{
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = const_cast<wchar_t*>(lpszItem);
    return Send<BOOL>(this, TVM_SETITEMW, 0, AsLParam(&item));
}
DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const
{
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    return Send<BOOL>(this, TVM_GETITEMW, 0, AsLParam(&item)) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}
BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR dwData)
{
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    item.lParam = static_cast<LPARAM>(dwData);
    return Send<BOOL>(this, TVM_SETITEMW, 0, AsLParam(&item));
}
UINT CTreeCtrl::GetItemState(HTREEITEM hItem, UINT nStateMask) const
{
    return Send<UINT>(this, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem), nStateMask);
}
BOOL CTreeCtrl::SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask)
{
    TVITEMW item = {};
    item.mask = TVIF_STATE;
    item.hItem = hItem;
    item.state = nState;
    item.stateMask = nStateMask;
    return Send<BOOL>(this, TVM_SETITEMW, 0, AsLParam(&item));
}
HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM hItem, UINT nCode) const
{
    return Send<HTREEITEM>(this, TVM_GETNEXTITEM, nCode, AsLParam(hItem));
}
BOOL CTreeCtrl::SelectItem(HTREEITEM hItem) { return Send<BOOL>(this, TVM_SELECTITEM, TVGN_CARET, AsLParam(hItem)); }
BOOL CTreeCtrl::Expand(HTREEITEM hItem, UINT nCode) { return Send<BOOL>(this, TVM_EXPAND, nCode, AsLParam(hItem)); }
BOOL CTreeCtrl::EnsureVisible(HTREEITEM hItem) { return Send<BOOL>(this, TVM_ENSUREVISIBLE, 0, AsLParam(hItem)); }
UINT CTreeCtrl::GetCount() const { return Send<UINT>(this, TVM_GETCOUNT); }
HWND CTreeCtrl::EditLabel(HTREEITEM hItem) { return Send<HWND>(this, TVM_EDITLABELW, 0, AsLParam(hItem)); }
HWND CTreeCtrl::GetEditControl() const { return Send<HWND>(this, TVM_GETEDITCONTROL); }
BOOL CTreeCtrl::EndEditLabelNow(BOOL fCancelWithoutSave) { return Send<BOOL>(this, TVM_ENDEDITLABELNOW, fCancelWithoutSave); }

// ---- tooltip -----------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle)
{
    // A top-level popup owned by the parent, as the system's tips are; it shows and hides itself.
    return CWnd::CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr,
                          nullptr);
}

void CToolTipCtrl::FillInToolInfo(TOOLINFOW& toolInfo, CWnd* pWnd, UINT_PTR nIDTool)
{
    toolInfo = {};
    // The size of the first tooltip record that has lParam: every comctl32 version takes it,
    // the older ones refuse the larger record of the newer headers.
    toolInfo.cbSize = TTTOOLINFOW_V2_SIZE;
    HWND hWnd = pWnd ? pWnd->GetSafeHwnd() : nullptr;
    if (nIDTool == 0) {
        toolInfo.hwnd = hWnd ? ::GetParent(hWnd) : nullptr;
        toolInfo.uFlags = TTF_IDISHWND;
        toolInfo.uId = reinterpret_cast<UINT_PTR>(hWnd);
    } else {
        toolInfo.hwnd = hWnd;
        toolInfo.uId = nIDTool;
    }
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, const wchar_t* lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool, UINT nFlags)
{
    if (!pWnd || !pWnd->m_hWnd)
        return FALSE;
    TOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    ti.uFlags |= nFlags;
    if (lpRectTool)
        ti.rect = *lpRectTool;
    else if (nIDTool != 0)
        ::GetClientRect(pWnd->m_hWnd, &ti.rect);
    ti.lpszText = const_cast<wchar_t*>(lpszText);
    ti.hinst = nullptr;
    return Send<BOOL>(this, TTM_ADDTOOLW, 0, AsLParam(&ti));
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    CString text;
    text.LoadString(nIDText);
    return AddTool(pWnd, text, lpRectTool, nIDTool);
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool)
{
    TOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    Send(this, TTM_DELTOOLW, 0, AsLParam(&ti));
}

void CToolTipCtrl::UpdateTipText(const wchar_t* lpszText, CWnd* pWnd, UINT_PTR nIDTool)
{
    TOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    ti.lpszText = const_cast<wchar_t*>(lpszText);
    Send(this, TTM_UPDATETIPTEXTW, 0, AsLParam(&ti));
}

void CToolTipCtrl::UpdateTipText(UINT nIDText, CWnd* pWnd, UINT_PTR nIDTool)
{
    CString text;
    text.LoadString(nIDText);
    UpdateTipText(text, pWnd, nIDTool);
}

void CToolTipCtrl::GetText(CString& str, CWnd* pWnd, UINT_PTR nIDTool) const
{
    // Older controls take no buffer size and copy what they hold: the buffer is large enough
    // for any tip text that fits on the screen.
    wchar_t buffer[1024] = {};
    TOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    ti.lpszText = buffer;
    Send(this, TTM_GETTEXTW, static_cast<WPARAM>(std::size(buffer)), AsLParam(&ti));
    str = buffer;
}

BOOL CToolTipCtrl::GetToolInfo(TOOLINFOW& toolInfo, CWnd* pWnd, UINT_PTR nIDTool) const
{
    FillInToolInfo(toolInfo, pWnd, nIDTool);
    toolInfo.lpszText = nullptr;
    return Send<BOOL>(this, TTM_GETTOOLINFOW, 0, AsLParam(&toolInfo));
}

void CToolTipCtrl::SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect)
{
    TOOLINFOW ti;
    FillInToolInfo(ti, pWnd, nIDTool);
    if (lpRect)
        ti.rect = *lpRect;
    Send(this, TTM_NEWTOOLRECTW, 0, AsLParam(&ti));
}

int CToolTipCtrl::GetToolCount() const { return Send<int>(this, TTM_GETTOOLCOUNT); }
void CToolTipCtrl::Activate(BOOL bActivate) { Send(this, TTM_ACTIVATE, static_cast<WPARAM>(bActivate)); }
void CToolTipCtrl::RelayEvent(LPMSG lpMsg) { Send(this, TTM_RELAYEVENT, 0, AsLParam(lpMsg)); }
int CToolTipCtrl::SetMaxTipWidth(int iWidth) { return Send<int>(this, TTM_SETMAXTIPWIDTH, 0, iWidth); }
int CToolTipCtrl::GetMaxTipWidth() const { return Send<int>(this, TTM_GETMAXTIPWIDTH); }
void CToolTipCtrl::SetDelayTime(UINT nDelay) { Send(this, TTM_SETDELAYTIME, TTDT_AUTOMATIC, static_cast<LPARAM>(nDelay)); }
void CToolTipCtrl::SetDelayTime(DWORD dwDuration, int iTime) { Send(this, TTM_SETDELAYTIME, dwDuration, MAKELPARAM(iTime, 0)); }
int CToolTipCtrl::GetDelayTime(DWORD dwDuration) const { return Send<int>(this, TTM_GETDELAYTIME, dwDuration); }
void CToolTipCtrl::SetTipBkColor(COLORREF clr) { Send(this, TTM_SETTIPBKCOLOR, clr); }
void CToolTipCtrl::SetTipTextColor(COLORREF clr) { Send(this, TTM_SETTIPTEXTCOLOR, clr); }
void CToolTipCtrl::Pop() { Send(this, TTM_POP); }
void CToolTipCtrl::Update() { Send(this, TTM_UPDATE); }
