#include "toolkit/foundation/XTPButton.h"

#include "framework/ResourceHandle.h"
#include "framework/window/Dc.h"
#include "framework/window/Gdi.h"
#include "toolkit/foundation/XTPButtonTheme.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/foundation/XTPMarkupServices.h"
#include "toolkit/foundation/XTPToolTipContext.h"

namespace {

// The arrow part of a split button: this many pixels plus the border gap at the right.
constexpr int kSplitArrowWidth = 16;

bool IsDropDownStyle(int style)
{
    return style >= xtpButtonDropDown && style <= xtpButtonDropDownNoGlyph;
}

} // namespace

IMPLEMENT_DYNAMIC(CXTPButton, CButton)

BEGIN_MESSAGE_MAP(CXTPButton, CButton)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMsg)
    ON_MESSAGE(WM_PAINT, OnPaintMsg)
    ON_MESSAGE(WM_PRINTCLIENT, OnPrintClient)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMsg)
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveMsg)
    ON_MESSAGE(WM_SETFOCUS, OnDefaultAndRedraw)
    ON_MESSAGE(WM_KILLFOCUS, OnDefaultAndRedraw)
    ON_MESSAGE(BM_SETSTYLE, OnDefaultAndRedraw)
    ON_MESSAGE(BM_SETCHECK, OnDefaultAndRedraw)
    ON_MESSAGE(WM_CAPTURECHANGED, OnDefaultAndRedraw)
    ON_MESSAGE(WM_ENABLE, OnEnableMsg)
    ON_MESSAGE(WM_UPDATEUISTATE, OnUpdateUIState)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(BM_SETSTATE, OnSetState)
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownMsg)
    ON_MESSAGE(WM_CHAR, OnCharMsg)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDownMsg)
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCodeMsg)
    ON_MESSAGE(WM_CONTROL_SET_THEME, OnSetThemeMsg)
END_MESSAGE_MAP()

CXTPButton::CXTPButton()
{
    m_pToolTipContext = new CXTPToolTipContext();
    SetTheme(xtpControlThemeDefault);
}

CXTPButton::~CXTPButton()
{
    if (m_pTheme)
        m_pTheme->InternalRelease();
    m_pTheme = nullptr;
    XTPMarkup::ReleaseElement(&m_pMarkupUIElement);
    XTPMarkup::ReleaseContext(&m_pMarkupContext);
    if (m_pIcon)
        m_pIcon->InternalRelease();
    m_pIcon = nullptr;
    if (m_pToolTipContext)
        m_pToolTipContext->InternalRelease();
    m_pToolTipContext = nullptr;
}

BYTE CXTPButton::GetButtonType() const
{
    return static_cast<BYTE>(GetStyle() & BS_TYPEMASK);
}

BOOL CXTPButton::IsPushLike() const
{
    const BYTE type = GetButtonType();
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW || (GetStyle() & BS_PUSHLIKE);
}

BOOL CXTPButton::IsPushed() const
{
    return m_nPushedState != 0;
}

BOOL CXTPButton::IsHot() const
{
    return m_bHot || (m_hWnd && ::GetCapture() == m_hWnd);
}

int CXTPButton::GetChecked() const
{
    if (!IsPushLike())
        return m_hWnd ? static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0)) : 0;
    return m_nChecked;
}

DWORD CXTPButton::GetTextAlignment() const
{
    const DWORD style = GetStyle();
    DWORD horizontal = style & (BS_LEFT | BS_RIGHT);    // BS_CENTER is both bits
    DWORD vertical = style & (BS_TOP | BS_BOTTOM);      // BS_VCENTER is both bits
    if (horizontal == 0)
        horizontal = IsPushLike() ? BS_CENTER : BS_LEFT;
    if (vertical == 0)
        vertical = BS_VCENTER;
    return horizontal | vertical;
}

DWORD CXTPButton::GetImageAlignment() const
{
    return m_dwImageAlignment;
}

CSize CXTPButton::GetImageSize() const
{
    if (!m_pIcon)
        return CSize(0, 0);
    return CSize(m_pIcon->GetWidth(), m_pIcon->GetHeight());
}

void CXTPButton::DrawImage(CDC* pDC, int left, int top, int right, int bottom)
{
    if (!m_pIcon || !pDC)
        return;
    CXTPIconImage* image = nullptr;
    if (!IsWindowEnabled()) {
        image = &m_pIcon->GetDisabledImage(TRUE);
    } else if (IsHot() || IsPushed() || GetChecked()) {
        if (GetChecked())
            image = &m_pIcon->GetCheckedImage();
        else if (IsPushed())
            image = &m_pIcon->GetPressedImage();
        else
            image = &m_pIcon->GetHotImage();
    } else {
        image = &m_pIcon->GetNormalImage();
    }
    m_pIcon->Draw(pDC->GetSafeHdc(), left, top, *image, right - left, bottom - top);
}

BOOL CXTPButton::SetTheme(int nTheme)
{
    if (m_pTheme)
        m_pTheme->InternalRelease();
    switch (nTheme) {
    case xtpControlThemeFlat: m_pTheme = new CXTPButtonFlatTheme(); break;
    case xtpControlThemeUltraFlat: m_pTheme = new CXTPButtonUltraFlatTheme(); break;
    case xtpControlThemeOffice2000: m_pTheme = new CXTPButtonOffice2000Theme(); break;
    case xtpControlThemeOfficeXP: m_pTheme = new CXTPButtonOfficeXPTheme(); break;
    case xtpControlThemeOffice2003: m_pTheme = new CXTPButtonOffice2003Theme(); break;
    case xtpControlThemeResource: m_pTheme = new CXTPButtonResourceTheme(); break;
    default: m_pTheme = new CXTPButtonTheme(); break;
    }
    m_bUseVisualStyle = nTheme == xtpControlThemeDefault;
    RefreshMetrics();
    return m_pTheme != nullptr;
}

CRect CXTPButton::GetButtonRect() const
{
    CRect rect(0, 0, 0, 0);
    if (m_hWnd)
        ::GetClientRect(m_hWnd, &rect);
    return rect;
}

BOOL CXTPButton::SetIcon(CSize size, CXTPIconImage* pNormal, CXTPIconImage* pHot, BOOL bRedraw)
{
    if (!pNormal || pNormal->IsEmpty())
        return FALSE;
    if (size.cx == 0 || size.cy == 0) {
        SIZE natural = pNormal->ComputeSize();
        size = CSize(natural.cx, natural.cy);
    }
    auto* icon = new CXTPImageManagerIcon(0, size.cx, size.cy);
    icon->SetNormalImage(*pNormal);
    if (pHot && !pHot->IsEmpty())
        icon->SetHotImage(*pHot);
    return SetIconObject(icon, bRedraw);
}

BOOL CXTPButton::SetIcon(CSize size, const wchar_t* lpszNormal, const wchar_t* lpszHot, BOOL bRedraw)
{
    CXTPIconImage normal;
    if (!lpszNormal || !normal.LoadIconFromResourceModule(lpszNormal, size.cx, size.cy, TRUE) || normal.IsEmpty())
        return FALSE;
    CXTPIconImage hot;
    if (lpszHot && (!hot.LoadIconFromResourceModule(lpszHot, size.cx, size.cy, TRUE) || hot.IsEmpty()))
        return FALSE;
    return SetIcon(size, &normal, lpszHot ? &hot : nullptr, bRedraw);
}

BOOL CXTPButton::SetIcon(CSize size, UINT nNormalID, UINT nHotID, BOOL bRedraw)
{
    return SetIcon(size, MAKEINTRESOURCEW(nNormalID), nHotID ? MAKEINTRESOURCEW(nHotID) : nullptr, bRedraw);
}

BOOL CXTPButton::SetIcon(CSize size, HICON hIcon, HICON hIconHot, BOOL bRedraw)
{
    CXTPIconImage normal;
    normal.InitFromIcon(hIcon, FALSE);
    CXTPIconImage hot;
    if (hIconHot)
        hot.InitFromIcon(hIconHot, FALSE);
    return SetIcon(size, &normal, hIconHot ? &hot : nullptr, bRedraw);
}

BOOL CXTPButton::SetBitmap(CSize size, UINT nID, BOOL bRedraw)
{
    BOOL alpha = FALSE;
    HBITMAP bitmap = LoadResourceBitmap(MAKEINTRESOURCEW(nID), &alpha);
    if (!bitmap)
        return FALSE;
    CXTPIconImage image;
    if (alpha) {
        image.SetBitmap(bitmap);    // owned by the record from here
    } else {
        // A plain bitmap keeps its top-left colour as the transparent one, like toolbar strips.
        HICON icon = CreateIconFromBitmap(bitmap);
        ::DeleteObject(bitmap);
        if (!icon)
            return FALSE;
        image.SetIcon(icon);
    }
    return SetIcon(size, &image, nullptr, bRedraw);
}

CString CXTPButton::GetButtonText() const
{
    CString text;
    if (m_hWnd)
        GetWindowText(text);
    return text;
}

COLORREF CXTPButton::GetTextColor() const
{
    return ::GetSysColor(COLOR_BTNTEXT);
}

COLORREF CXTPButton::GetBackColor() const
{
    return ::GetSysColor(COLOR_BTNFACE);
}

void CXTPButton::NotifyDropDown()
{
    HWND parent = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    if (!parent)
        return;
    ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), XTP_BN_DROPDOWN), reinterpret_cast<LPARAM>(m_hWnd));
}

void CXTPButton::OnDraw(CDC* pDC)
{
    if (!pDC || !m_pTheme)
        return;
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    if (GetButtonType() == BS_GROUPBOX) {
        // Group boxes draw straight on the target: they frame other controls and must not paint
        // over them with a buffer's background.
        HGDIOBJ oldFont = font ? pDC->SelectObject(font) : nullptr;
        pDC->SetBkColor(::GetSysColor(COLOR_BTNFACE));
        pDC->SetBkMode(TRANSPARENT);
        DrawButton(pDC);
        if (oldFont)
            pDC->SelectObject(oldFont);
        return;
    }
    const CRect rect = GetButtonRect();
    CXTPBufferDC buffer(pDC->GetSafeHdc(), rect);
    HBRUSH brush = nullptr;
    if (HWND parent = ::GetParent(m_hWnd)) {
        brush = reinterpret_cast<HBRUSH>(::SendMessageW(parent, WM_CTLCOLORBTN,
                                                        reinterpret_cast<WPARAM>(buffer.GetSafeHdc()),
                                                        reinterpret_cast<LPARAM>(m_hWnd)));
    }
    if (brush)
        ::FillRect(buffer.GetSafeHdc(), &rect, brush);
    else
        buffer.FillSolidRect(&rect, ::GetSysColor(COLOR_BTNFACE));
    HGDIOBJ oldFont = font ? buffer.SelectObject(font) : nullptr;
    buffer.SetBkMode(TRANSPARENT);
    DrawButton(&buffer);
    if (oldFont)
        buffer.SelectObject(oldFont);
}

void CXTPButton::UpdateMarkup()
{
    if (!m_pMarkupContext)
        return;
    XTPMarkup::ReleaseElement(&m_pMarkupUIElement);
    const CString text = GetButtonText();
    m_pMarkupUIElement = XTPMarkup::Parse(m_pMarkupContext, text);
}

void CXTPButton::RefreshMetrics()
{
    if (m_pTheme)
        m_pTheme->RefreshMetrics(this);
    if (m_hWnd)
        InvalidateNoErase();
}

void CXTPButton::DrawButton(CDC* pDC)
{
    if (m_pTheme)
        m_pTheme->DrawButton(pDC, this);
}

BOOL CXTPButton::SetIconObject(CXTPImageManagerIcon* pIcon, BOOL bRedraw)
{
    if (m_pIcon)
        m_pIcon->InternalRelease();
    m_pIcon = pIcon;
    if (bRedraw && m_hWnd)
        InvalidateNoErase();
    return TRUE;
}

void CXTPButton::RunDropDown()
{
    m_nPushedState = 2;
    InvalidateNoErase();
    NotifyDropDown();
    // The parent may have destroyed us while its menu ran.
    if (!m_hWnd)
        return;
    m_nPushedState = 0;
    InvalidateNoErase();
}

void CXTPButton::SetPushButtonStyle(int nStyle)
{
    m_nPushButtonStyle = nStyle;
    if (m_hWnd)
        InvalidateNoErase();
}

void CXTPButton::SetUseVisualStyle(BOOL bUse)
{
    m_bUseVisualStyle = bUse;
    RefreshMetrics();
}

void CXTPButton::SetChecked(int nChecked)
{
    m_nChecked = nChecked;
    if (m_hWnd)
        InvalidateNoErase();
}

void CXTPButton::SetTransparent(BOOL bTransparent)
{
    m_bTransparent = bTransparent;
    if (m_hWnd)
        InvalidateNoErase();
}

void CXTPButton::SetImageAlignment(DWORD dwAlignment)
{
    m_dwImageAlignment = dwAlignment;
    if (m_hWnd)
        InvalidateNoErase();
}

void CXTPButton::SetBorderGap(int nGap)
{
    m_nBorderGap = nGap;
    if (m_hWnd)
        InvalidateNoErase();
}

void CXTPButton::SetImageGap(int nGap)
{
    m_nImageGap = nGap;
    if (m_hWnd)
        InvalidateNoErase();
}

void CXTPButton::SetTextImageRelation(int nRelation)
{
    m_nTextImageRelation = nRelation;
    if (m_hWnd)
        InvalidateNoErase();
}

void CXTPButton::SetGroupBoxStyle(int nStyle)
{
    m_nGroupBoxStyle = nStyle;
    if (m_hWnd)
        InvalidateNoErase();
}

void CXTPButton::SetShowFocus(BOOL bShow)
{
    m_bShowFocus = bShow;
    if (m_hWnd)
        InvalidateNoErase();
}

void CXTPButton::EnableMarkup(BOOL bEnable)
{
    XTPMarkup::ReleaseElement(&m_pMarkupUIElement);
    XTPMarkup::ReleaseContext(&m_pMarkupContext);
    if (bEnable) {
        m_pMarkupContext = XTPMarkup::CreateContext(m_hWnd);
        UpdateMarkup();
    }
    if (m_hWnd)
        InvalidateNoErase();
}

// ---- messages ----

LRESULT CXTPButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTINGCHANGE || message == WM_SYSCOLORCHANGE)
        RefreshMetrics();
    LRESULT result = 0;
    if (m_pMarkupUIElement && XTPMarkup::RelayToElement(m_pMarkupUIElement, message, wParam, lParam, &result))
        return result;
    if (m_pToolTipContext)
        m_pToolTipContext->RelayMouseMessage(this, message, wParam, lParam);
    return CButton::WindowProc(message, wParam, lParam);
}

INT_PTR CXTPButton::OnToolHitTest(CPoint point, tagTOOLINFOW* ti) const
{
    if (m_strTooltip.IsEmpty())
        return -1;
    CRect rect = GetButtonRect();
    rect.DeflateRect(2, 2);
    if (!rect.PtInRect(point))
        return -1;
    if (ti) {
        const CString title = GetButtonText();
        CXTPToolTipContext::SetToolInfoEx(ti, m_hWnd, 1, rect, m_strTooltip, title, m_strTooltip, 0);
    }
    return 1;
}

void CXTPButton::InvalidateNoErase()
{
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

LRESULT CXTPButton::DefaultHidden(UINT message, WPARAM wParam, LPARAM lParam)
{
    const DWORD style = GetStyle();
    const bool visible = (style & WS_VISIBLE) != 0;
    // Clearing the bit with SetWindowLong (not ShowWindow) hides nothing on screen; it only keeps
    // the system control from painting its own face, which would flicker under ours.
    if (visible)
        ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(style & ~WS_VISIBLE));
    const LRESULT result = DefWindowProc(message, wParam, lParam);
    if (visible && m_hWnd)
        ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(GetStyle() | WS_VISIBLE));
    return result;
}

void CXTPButton::UpdateHot(CPoint point)
{
    const BOOL hot = GetButtonRect().PtInRect(point);
    if (hot == m_bHot)
        return;
    m_bHot = hot;
    InvalidateNoErase();
    if (hot) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
        ::TrackMouseEvent(&track);
    }
}

LRESULT CXTPButton::OnEraseBkgndMsg(WPARAM, LPARAM)
{
    return 1;
}

LRESULT CXTPButton::OnPaintMsg(WPARAM, LPARAM)
{
    CPaintDC dc(this);
    OnDraw(&dc);
    return 0;
}

LRESULT CXTPButton::OnPrintClient(WPARAM wParam, LPARAM lParam)
{
    if (!(lParam & PRF_CLIENT))
        return Default();
    OnDraw(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
    return 1;
}

LRESULT CXTPButton::OnMouseMoveMsg(WPARAM, LPARAM lParam)
{
    if (GetButtonType() == BS_GROUPBOX)
        return Default();
    const LRESULT result = Default();
    if (m_hWnd)
        UpdateHot(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    return result;
}

LRESULT CXTPButton::OnMouseLeaveMsg(WPARAM, LPARAM)
{
    if (GetButtonType() == BS_GROUPBOX)
        return Default();
    const LRESULT result = Default();
    if (m_hWnd)
        UpdateHot(CPoint(-1, -1));
    return result;
}

LRESULT CXTPButton::OnDefaultAndRedraw(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    if (m_hWnd) {
        InvalidateNoErase();
        ::UpdateWindow(m_hWnd);
    }
    return result;
}

LRESULT CXTPButton::OnEnableMsg(WPARAM, LPARAM)
{
    InvalidateNoErase();
    ::UpdateWindow(m_hWnd);
    return 0;
}

LRESULT CXTPButton::OnUpdateUIState(WPARAM wParam, LPARAM lParam)
{
    // The system's own handling keeps the UI-state bits; the button class would repaint too.
    const LRESULT result = ::DefWindowProcW(m_hWnd, WM_UPDATEUISTATE, wParam, lParam);
    InvalidateNoErase();
    return result;
}

LRESULT CXTPButton::OnSetText(WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = DefaultHidden(WM_SETTEXT, wParam, lParam);
    UpdateMarkup();
    InvalidateNoErase();
    return result;
}

LRESULT CXTPButton::OnSetState(WPARAM wParam, LPARAM lParam)
{
    // The system button repeats BM_SETSTATE(TRUE) on every mouse move while it holds the
    // capture; only the change from released to pressed is a press that opens a drop-down.
    const bool wasDown = (::SendMessageW(m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    DefaultHidden(BM_SETSTATE, wParam, lParam);
    // A drop-down notification is running: the parent's menu loop must not un-press us.
    if (m_nPushedState == 2)
        return 0;
    m_nPushedState = wParam ? 1 : 0;
    InvalidateNoErase();
    // Split buttons open only from their arrow part or the keyboard, never from a body press.
    if (wParam && !wasDown && IsPushLike() &&
        (m_nPushButtonStyle == xtpButtonDropDown || m_nPushButtonStyle == xtpButtonDropDownRight ||
         m_nPushButtonStyle == xtpButtonDropDownNoGlyph)) {
        RunDropDown();
    }
    return 0;
}

LRESULT CXTPButton::OnLButtonDownMsg(WPARAM, LPARAM lParam)
{
    if (m_nPushButtonStyle == xtpButtonSplitDropDown) {
        const CRect rect = GetButtonRect();
        if (GET_X_LPARAM(lParam) >= rect.right - (m_nBorderGap + kSplitArrowWidth)) {
            RunDropDown();
            return 0;
        }
    }
    return Default();
}

LRESULT CXTPButton::OnCharMsg(WPARAM wParam, LPARAM)
{
    const bool space = wParam == VK_SPACE;
    const bool enter = wParam == VK_RETURN;
    if ((IsDropDownStyle(m_nPushButtonStyle) && space) ||
        (enter && (m_nPushButtonStyle == xtpButtonDropDown || m_nPushButtonStyle == xtpButtonDropDownRight))) {
        RunDropDown();
        return 0;
    }
    return Default();
}

LRESULT CXTPButton::OnKeyDownMsg(WPARAM wParam, LPARAM)
{
    // Space would press the system button (and click it on release); the drop-down runs on the
    // character instead.
    if (wParam == VK_SPACE && IsDropDownStyle(m_nPushButtonStyle))
        return 0;
    if (wParam == VK_RETURN &&
        (m_nPushButtonStyle == xtpButtonDropDown || m_nPushButtonStyle == xtpButtonDropDownRight ||
         m_nPushButtonStyle == xtpButtonDropDownNoGlyph))
        return 0;
    return Default();
}

LRESULT CXTPButton::OnGetDlgCodeMsg(WPARAM, LPARAM lParam)
{
    LRESULT code = Default();
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (!msg)
        return code;
    if (IsDropDownStyle(m_nPushButtonStyle) && msg->message == WM_CHAR && msg->wParam == VK_SPACE)
        code |= DLGC_WANTCHARS;
    if ((m_nPushButtonStyle == xtpButtonDropDown || m_nPushButtonStyle == xtpButtonDropDownRight) &&
        (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) && msg->wParam == VK_RETURN)
        code |= DLGC_WANTALLKEYS;
    return code;
}

LRESULT CXTPButton::OnSetThemeMsg(WPARAM wParam, LPARAM)
{
    SetTheme(static_cast<int>(wParam));
    return 0;
}
