#include "toolkit/foundation/XTPListBox.h"

#include "framework/window/Dc.h"
#include "framework/window/Gdi.h"
#include "toolkit/foundation/XTPAuxData.h"
#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPResourceImage.h"

namespace {

constexpr DWORD kOwnerDrawStyles = LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS;

// The skin image of a selected or hot item: four states stacked top to bottom, sized with
// 4-pixel margins on every side.
constexpr const wchar_t* kItemImage = L"LISTBOX";
constexpr int kItemImageStates = 4;
constexpr int kItemImageMargin = 4;

constexpr COLORREF kNoColor = static_cast<COLORREF>(-1);

// Toolkit colours of the Office XP selection.
constexpr int kOfficeSelectedText = 45;
constexpr int kOfficeSelectedBack = 31;
constexpr int kOfficeSelectedFrame = 32;

COLORREF Colour(int index)
{
    return GetColorManager()->GetColor(index);
}

// 0 hot, 1 selected with the focus, 2 selected and hot, 3 selected without the focus.
int ItemImageState(bool selected, bool hot, bool focused)
{
    if (!selected)
        return 0;
    if (hot)
        return 2;
    return focused ? 1 : 3;
}

} // namespace

IMPLEMENT_DYNAMIC(CXTPListBox, CListBox)

BEGIN_MESSAGE_MAP(CXTPListBox, CListBox)
    ON_WM_CREATE()
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMsg)
    ON_MESSAGE(WM_PAINT, OnPaintMsg)
    ON_MESSAGE(WM_PRINTCLIENT, OnPrintClient)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMsg)
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveMsg)
    ON_MESSAGE(WM_SETFOCUS, OnFocusMsg)
    ON_MESSAGE(WM_KILLFOCUS, OnFocusMsg)
END_MESSAGE_MAP()

void CXTPListBox::SetListStyle(int nStyle)
{
    m_nStyle = nStyle;
    if (m_nStyle != xtpListBoxOffice2007)
        m_nHotItem = -1;
    if (m_hWnd)
        InvalidateRect(nullptr, FALSE);
}

BOOL CXTPListBox::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!CListBox::PreCreateWindow(cs))
        return FALSE;
    m_bPreSubclassInit = FALSE;
    // Only creation styles make the system's list box owner-drawn (see the header).
    cs.style |= static_cast<LONG>(kOwnerDrawStyles);
    return TRUE;
}

void CXTPListBox::PreSubclassWindow()
{
    CListBox::PreSubclassWindow();
    if (m_bPreSubclassInit)
        InitListBox();
}

int CXTPListBox::OnCreate(LPCREATESTRUCTW)
{
    if (Default() == -1)
        return -1;
    InitListBox();
    return 0;
}

void CXTPListBox::InitListBox()
{
#ifdef _DEBUG
    if ((GetStyle() & kOwnerDrawStyles) != kOwnerDrawStyles) {
        ::OutputDebugStringW(L"CXTPListBox: this list box was created without LBS_OWNERDRAWVARIABLE and "
                             L"LBS_HASSTRINGS; added now they are ignored and its items are never drawn "
                             L"here. Give them to the list box in its dialog template.\n");
    }
#endif
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(GetStyle() | kOwnerDrawStyles));
}

void CXTPListBox::SetListFont(BOOL bUse)
{
    if (bUse && m_hWnd)
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetAuxData().font.GetSafeHandle()), TRUE);
}

COLORREF CXTPListBox::GetBackColor()
{
    return Colour(COLOR_WINDOW);
}

void CXTPListBox::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    lpMeasureItemStruct->itemHeight =
        static_cast<UINT>(m_nItemHeight > 0 ? m_nItemHeight : ::GetSystemMetrics(SM_CYMENU) - 2);
}

void CXTPListBox::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    const UINT action = lpDrawItemStruct->itemAction;
    CDC* dc = CDC::FromHandle(lpDrawItemStruct->hDC);
    CRect item(lpDrawItemStruct->rcItem);

    if (lpDrawItemStruct->itemID != static_cast<UINT>(-1) && (action & (ODA_DRAWENTIRE | ODA_SELECT))) {
        const BOOL enabled = IsWindowEnabled();
        const bool selected = (lpDrawItemStruct->itemState & ODS_SELECTED) != 0;
        COLORREF back = GetBackColor();
        COLORREF text = Colour(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
        CRect textRect(item);
        textRect.DeflateRect(m_nTextMargin, 0);

        if (selected) {
            back = Colour(enabled ? COLOR_HIGHLIGHT : COLOR_GRAYTEXT);
            text = Colour(COLOR_HIGHLIGHTTEXT);
        }
        if (m_nStyle == xtpListBoxOfficeXP && selected && enabled) {
            text = Colour(kOfficeSelectedText);
            back = Colour(kOfficeSelectedBack);
            dc->Draw3dRect(&item, Colour(kOfficeSelectedFrame), Colour(kOfficeSelectedFrame));
            item.DeflateRect(1, 1);
            // A font taller than the item would paint its text cell over the frame.
            textRect.top = item.top;
            textRect.bottom = item.bottom;
        }
        if (m_nStyle == xtpListBoxOffice2007) {
            const bool hot = static_cast<int>(lpDrawItemStruct->itemID) == m_nHotItem;
            bool onImage = false;
            if ((selected || hot) && enabled) {
                if (CXTPResourceImage* image = GetResourceImages()->GetImage(kItemImage)) {
                    // Under the image goes the list's own colour: an item redrawn alone (a
                    // selection change) may still hold its previous state there.
                    dc->FillSolidRect(&item, GetBackColor());
                    const int state = ItemImageState(selected, hot, ::GetFocus() == m_hWnd);
                    image->DrawImageTransparent(dc, item, image->GetStateRect(state, kItemImageStates),
                                                CRect(kItemImageMargin, kItemImageMargin, kItemImageMargin,
                                                      kItemImageMargin),
                                                kNoColor);
                    onImage = true;
                    back = kNoColor;
                }
            }
            dc->SetBkMode(TRANSPARENT);
            // The skin's text colour is for text on the skin: a selected item whose image is
            // missing keeps the highlight and its text colour. Without a colour in the style
            // text the system's stays.
            if (onImage || !selected) {
                const COLORREF skinText = GetResourceImages()->GetColor(L"ListBox", L"NormalText", kNoColor);
                if (skinText != kNoColor)
                    text = skinText;
            }
        }

        if (back != kNoColor)
            dc->FillSolidRect(&item, back);
        dc->SetTextColor(text);
        if (back != kNoColor)
            dc->SetBkColor(back);

        CString label;
        GetText(static_cast<int>(lpDrawItemStruct->itemID), label);
        dc->DrawText(label, &textRect, DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
    }

    if ((action & ODA_FOCUS) && m_nStyle != xtpListBoxOffice2007)
        dc->DrawFocusRect(&lpDrawItemStruct->rcItem);
}

LRESULT CXTPListBox::OnEraseBkgndMsg(WPARAM, LPARAM)
{
    return 1;
}

LRESULT CXTPListBox::OnPaintMsg(WPARAM, LPARAM)
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CXTPBufferDC buffer(paint.GetSafeHdc(), client);
    buffer.FillSolidRect(&client, GetBackColor());
    // The list box may move the origin while it draws (scrolled multi-column boxes do).
    const POINT origin = buffer.GetWindowOrg();
    DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(buffer.GetSafeHdc()), 0);
    buffer.SetWindowOrg(origin);
    return 0;
}

LRESULT CXTPListBox::OnPrintClient(WPARAM wParam, LPARAM lParam)
{
    DefWindowProc(WM_ERASEBKGND, wParam, 0);
    return DefWindowProc(WM_PRINTCLIENT, wParam, lParam);
}

int CXTPListBox::ItemFromClientPoint(CPoint point) const
{
    CRect client;
    GetClientRect(&client);
    if (!client.PtInRect(point))
        return -1;
    const LRESULT hit =
        ::SendMessageW(m_hWnd, LB_ITEMFROMPOINT, 0, MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
    // The high word says the point lies outside every item (below the last one).
    if (HIWORD(hit) != 0)
        return -1;
    return static_cast<int>(LOWORD(hit));
}

void CXTPListBox::UpdateHotItem(CPoint point)
{
    if (m_nStyle != xtpListBoxOffice2007 || !m_hWnd)
        return;
    const int hot = ItemFromClientPoint(point);
    if (hot == m_nHotItem)
        return;
    m_nHotItem = hot;
    InvalidateRect(nullptr, FALSE);
    if (hot != -1) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, HOVER_DEFAULT};
        ::TrackMouseEvent(&track);
    }
}

LRESULT CXTPListBox::OnMouseMoveMsg(WPARAM, LPARAM lParam)
{
    const LRESULT result = Default();
    UpdateHotItem(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    return result;
}

LRESULT CXTPListBox::OnMouseLeaveMsg(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    UpdateHotItem(CPoint(-1, -1));
    return result;
}

LRESULT CXTPListBox::OnFocusMsg(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    if (m_nStyle == xtpListBoxOffice2007 && m_hWnd)
        InvalidateRect(nullptr, FALSE);
    return result;
}
