#include "toolkit/foundation/XTPCaption.h"

#include "framework/ResourceHandle.h"
#include "framework/window/Dc.h"
#include "toolkit/foundation/XTPAuxData.h"
#include "toolkit/foundation/XTPCaptionTheme.h"
#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPResourceManager.h"

#include <algorithm>

namespace {

// The glyphs of the strip, each 16 x 15 on magenta.
constexpr int kGlyphWidth = 16;
constexpr int kGlyphHeight = 15;
constexpr COLORREF kGlyphMask = RGB(255, 0, 255);
enum : int { kGlyphPin = 0, kGlyphPinHot = 1, kGlyphClose = 2, kGlyphCloseAero = 3 };
// The colour scheme whose close glyph is the Aero one.
constexpr int kSchemeAero = 5;

// Text rectangle: the right-most pixels an icon keeps for itself, and the air beside the text
// (on top of one average character).
constexpr int kIconReserve = 18;
constexpr int kTextPadding = 12;

// Pop-up layout: the inner rectangle's inset from the client edge and the caption row's height.
constexpr int kPopupInset = 2;
constexpr int kPopupCaptionRow = 19;

// The strip cut into 16 x 15 images with magenta as the mask; FALSE when it cannot be loaded.
BOOL LoadGlyphStrip(CImageList& list, UINT flags)
{
    CBitmap strip;
    CXTPResourceManager* resources = GetResourceManager();
    if (!resources || !resources->LoadBitmap(&strip, XTP_IDB_CAPTION_GLYPHS))
        return FALSE;
    if (!list.Create(kGlyphWidth, kGlyphHeight, flags, 0, 1))
        return FALSE;
    return list.Add(&strip, kGlyphMask) >= 0;
}

BOOL IsWindowHandle(HWND window) { return window && ::IsWindow(window); }

} // namespace

// ---- caption button ------------------------------------------------------------------------------

BOOL CXTPCaptionButton::SetTheme(int theme)
{
    if (m_pTheme) {
        m_pTheme->InternalRelease();
        m_pTheme = nullptr;
    }
    if (theme == 4)
        m_pTheme = new CXTPCaptionButtonThemeOfficeXP();
    else if (theme == 5)
        m_pTheme = new CXTPCaptionButtonThemeOffice2003();
    else
        m_pTheme = new CXTPCaptionButtonTheme();
    RefreshMetrics();
    return m_pTheme != nullptr;
}

// ---- caption -------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CXTPCaption, CStatic)
    ON_WM_PAINT()
    ON_MESSAGE(WM_PRINTCLIENT, OnPrintClient)
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_WINDOWPOSCHANGED()
    ON_WM_SYSCOLORCHANGE()
    ON_CONTROL(BN_CLICKED, XTP_IDC_CAPTION_BUTTON, OnButtonClicked)
    ON_MESSAGE(WM_CAPTION_PIN, OnCaptionPin)
    ON_MESSAGE(WM_CAPTION_POPUP_CLOSED, OnPopupClosed)
    ON_MESSAGE(WM_CONTROL_SET_THEME, OnSetTheme)
END_MESSAGE_MAP()

CXTPCaption::CXTPCaption()
    : m_clrBackground(::GetSysColor(COLOR_BTNFACE)), m_clrInner(::GetSysColor(COLOR_BTNFACE)),
      m_clrText(::GetSysColor(COLOR_BTNTEXT))
{
    const CXTPAuxData& aux = GetAuxData();
    if (aux.cxSmIcon > 0 && aux.cxSmIcon <= 15)
        m_nIconWidth = aux.cxSmIcon;
    if (aux.cySmIcon > 0 && aux.cySmIcon <= 15)
        m_nIconHeight = aux.cySmIcon;
    SetTheme(0);
}

CXTPCaption::~CXTPCaption()
{
    // A pop-up still open when its caption goes would outlive it: its window would go with the
    // caption's (it is owned by it) but the object would leak.
    if (m_pPopupWnd) {
        CXTPCaptionPopupWnd* popup = m_pPopupWnd;
        m_pPopupWnd = nullptr;
        delete popup;
    }
    if (m_pTheme) {
        m_pTheme->InternalRelease();
        m_pTheme = nullptr;
    }
    if (m_btnCaption.GetSafeHwnd())
        m_btnCaption.DestroyWindow();
    m_imageList.DeleteImageList();
}

BOOL CXTPCaption::Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                         CWnd* parent, UINT id, void* context)
{
    return CWnd::Create(className, windowName, style, rect, parent, id, context);
}

HWND CXTPCaption::GetNotifyWindow() const
{
    if (m_hOwner)
        return m_hOwner;
    return m_hWnd ? ::GetParent(m_hWnd) : nullptr;
}

BOOL CXTPCaption::SetCaptionColors(COLORREF background, COLORREF inner, COLORREF text)
{
    m_clrBackground = background;
    m_clrInner = inner;
    m_clrText = text;
    m_bUserColors = TRUE;
    return m_btnCaption.GetSafeHwnd() != nullptr;
}

void CXTPCaption::ModifyCaptionStyle(int border, CFont* font, const wchar_t* text, HICON icon)
{
    if (border != 0)
        m_nBorder = border;
    if (font && m_hWnd) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font->GetSafeHandle()), 0);
        if (m_btnCaption.GetSafeHwnd())
            m_btnCaption.SetFont(GetFont());
    }
    if (text)
        m_strCaption = text;
    if (icon)
        m_hIcon = icon;
    if (m_hWnd)
        InvalidateRect(nullptr, TRUE);
}

void CXTPCaption::AttachPopupChild(CWnd* child, CWnd* owner)
{
    m_hChild = child->GetSafeHwnd();
    m_hOwner = owner->GetSafeHwnd();
    m_hChildParent = m_hChild ? ::GetParent(m_hChild) : nullptr;
    m_hGrandParent = m_hChildParent ? ::GetParent(m_hChildParent) : nullptr;

    m_rcChild.SetRectEmpty();
    m_rcParent.SetRectEmpty();
    m_rcGrandParent.SetRectEmpty();
    if (m_hChild)
        ::GetClientRect(m_hChild, &m_rcChild);
    if (m_hChildParent)
        ::GetClientRect(m_hChildParent, &m_rcParent);
    if (m_hGrandParent)
        ::GetClientRect(m_hGrandParent, &m_rcGrandParent);
    m_nCaptionHeight = m_rcParent.Height() - m_rcChild.Height();

    if (m_btnCaption.GetSafeHwnd()) {
        m_btnCaption.ShowWindow(SW_SHOW);
        m_btnCaption.UpdateWindow();
    }
    m_rcParent.InflateRect(2 * ::GetSystemMetrics(SM_CXEDGE), 2 * ::GetSystemMetrics(SM_CYEDGE));
}

void CXTPCaption::DetachPopupChild()
{
    if (m_btnCaption.GetSafeHwnd()) {
        m_btnCaption.ShowWindow(SW_HIDE);
        m_btnCaption.SendMessage(BM_SETSTATE, 0, 0);
    }
    if (m_pPopupWnd) {
        // Forgotten before it goes: destroying it moves the focus and may reach this caption.
        CXTPCaptionPopupWnd* popup = m_pPopupWnd;
        m_pPopupWnd = nullptr;
        if (popup->GetSafeHwnd())
            popup->DestroyWindow();
        delete popup;
    }
}

BOOL CXTPCaption::ShowChildPopup()
{
    if (m_pPopupWnd && m_pPopupWnd->GetSafeHwnd() && m_pPopupWnd->IsWindowVisible())
        return TRUE;

    // Checked before the pop-up is made: a pop-up made first would already hold the pane body,
    // and a failure here would leave the body inside a hidden pop-up.
    if (!IsWindowHandle(m_hChildParent) || !IsWindowHandle(m_hGrandParent))
        return FALSE;

    if (!m_pPopupWnd || !m_pPopupWnd->GetSafeHwnd()) {
        delete m_pPopupWnd;
        m_pPopupWnd = nullptr;
        auto* popup = new CXTPCaptionPopupWnd();
        if (!popup->CreatePopup(CRect(0, 0, 0, 0), this, CWnd::FromHandle(m_hChild))) {
            delete popup;
            return FALSE;
        }
        m_pPopupWnd = popup;
    }

    CRect rect(m_rcParent);
    ::MapWindowPoints(m_hChildParent, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    CRect grandParent;
    ::GetClientRect(m_hGrandParent, &grandParent);
    if (grandParent.Height() != m_rcGrandParent.Height())
        rect.bottom += grandParent.Height() - m_rcGrandParent.Height();

    m_pPopupWnd->MoveWindow(&rect, TRUE);
    m_pPopupWnd->ShowWindow(SW_SHOW);
    m_pPopupWnd->RecalcLayout();
    m_pPopupWnd->SetPopupTheme(GetThemeNumber());
    if (m_btnCaption.GetSafeHwnd())
        m_btnCaption.SendMessage(BM_SETSTATE, 1, 0);
    return TRUE;
}

void CXTPCaption::UpdateCaptionNow(const wchar_t* text, HICON icon)
{
    if (!m_hWnd)
        return;
    CClientDC dc(this);
    CRect client;
    GetClientRect(&client);
    DrawCaptionBack(&dc, client);
    if (text) {
        m_strCaption = text;
        SyncButtonText(&dc);
    }
    if (icon) {
        m_hIcon = icon;
        DrawCaptionIcon(&dc, client);
    }
}

HICON CXTPCaption::LoadCloseGlyph()
{
    if (!m_imageList.GetSafeHandle() && !LoadGlyphStrip(m_imageList, ILC_COLOR24 | ILC_MASK))
        return nullptr;
    const CXTPColorManager* colors = GetColorManager();
    const int scheme = colors->IsLunaColorsDisabled() ? 0 : colors->GetCurrentSystemTheme();
    return m_imageList.ExtractIcon(scheme == kSchemeAero ? kGlyphCloseAero : kGlyphClose);
}

BOOL CXTPCaption::CreateCaption(CWnd* parent, const wchar_t* text, DWORD captionStyle, DWORD windowStyle,
                                const CRect& rect, UINT id)
{
    if (!Create(L"Static", L"", windowStyle | WS_CLIPCHILDREN, rect, parent, id))
        return FALSE;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetAuxData().font.GetSafeHandle()), 0);

    m_dwCaptionStyle = captionStyle & 0x7;
    if (captionStyle & ~static_cast<DWORD>(0x7))
        ModifyStyle(0, captionStyle & ~static_cast<DWORD>(0x7));
    m_strCaption = text ? text : L"";

    const CRect empty(0, 0, 0, 0);
    if (m_dwCaptionStyle & CPS_XTP_CLOSE) {
        if (!m_btnCaption.Create(L"", WS_CHILD | WS_VISIBLE | BS_ICON | BS_CENTER | BS_VCENTER, empty, this,
                                 XTP_IDC_CAPTION_BUTTON)) {
            // A caption without its only button is of no use; do not leave it on the parent.
            DestroyWindow();
            return FALSE;
        }
        if (HICON glyph = LoadCloseGlyph()) {
            m_btnCaption.SetIcon(CSize(kGlyphWidth, kGlyphHeight), glyph, nullptr, TRUE);
            // The button keeps a copy of its own.
            ::DestroyIcon(glyph);
        }
    } else {
        if (!m_btnCaption.Create(m_strCaption, WS_CHILD | BS_ICON | BS_VCENTER, empty, this,
                                 XTP_IDC_CAPTION_BUTTON)) {
            DestroyWindow();
            return FALSE;
        }
        m_bTextButton = 1;
    }

    m_btnCaption.SetCaption(this);
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    return TRUE;
}

CRect CXTPCaption::CalcTextRect()
{
    if (m_strCaption.IsEmpty() || !m_hWnd)
        return CRect(0, 0, 0, 0);

    SIZE extent = {};
    TEXTMETRICW metrics = {};
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ oldFont = nullptr;
    if (HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)))
        oldFont = ::SelectObject(screen, font);
    ::GetTextExtentPoint32W(screen, m_strCaption, m_strCaption.GetLength(), &extent);
    ::GetTextMetricsW(screen, &metrics);
    if (oldFont)
        ::SelectObject(screen, oldFont);
    ::ReleaseDC(nullptr, screen);

    CRect client;
    GetClientRect(&client);
    const int room = m_hIcon ? client.Width() - kIconReserve : client.Width();
    const int wanted = extent.cx + metrics.tmAveCharWidth + kTextPadding;
    return CRect(m_nBorder, m_nBorder, m_nBorder + std::min(room, wanted), client.Height() - m_nBorder);
}

void CXTPCaption::DrawCaptionBack(CDC* dc, const CRect& rect)
{
    if (m_pTheme)
        m_pTheme->DrawCaptionBack(dc, this, rect);
}

void CXTPCaption::DrawCaptionText(CDC* dc)
{
    if (m_pTheme)
        m_pTheme->DrawCaptionText(dc, this);
}

void CXTPCaption::DrawCaptionIcon(CDC* dc, const CRect& rect)
{
    if (m_pTheme)
        m_pTheme->DrawCaptionIcon(dc, this, rect);
}

void CXTPCaption::SyncButtonText(CDC* dc)
{
    if (m_btnCaption.GetSafeHwnd()) {
        m_btnCaption.SetWindowText(m_strCaption);
        const CRect rect = CalcButtonRect();
        m_btnCaption.MoveWindow(&rect, TRUE);
    }
    DrawCaptionText(dc);
}

CRect CXTPCaption::CalcButtonRect()
{
    if (!m_btnCaption.GetSafeHwnd())
        return CRect(0, 0, 0, 0);
    if (m_dwCaptionStyle & CPS_XTP_CLOSE) {
        CRect client;
        GetClientRect(&client);
        const int inset = (client.Height() - kGlyphHeight) / 2;
        return CRect(client.Width() - inset - kGlyphWidth, inset, client.Width() - inset, inset + kGlyphHeight);
    }
    return CalcTextRect();
}

void CXTPCaption::RefreshMetrics()
{
    if (m_pTheme)
        m_pTheme->RefreshMetrics(this);
    if (m_hWnd)
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

BOOL CXTPCaption::SetTheme(int theme)
{
    CXTPCaptionTheme* object;
    if (theme == 4)
        object = new CXTPCaptionThemeOfficeXP();
    else if (theme == 5)
        object = new CXTPCaptionThemeOffice2003();
    else
        object = new CXTPCaptionTheme();
    return SetThemeObject(object);
}

BOOL CXTPCaption::SetThemeObject(CXTPCaptionTheme* theme)
{
    if (m_pTheme)
        m_pTheme->InternalRelease();
    m_pTheme = theme;
    m_btnCaption.SetTheme(GetThemeNumber());
    RefreshMetrics();
    return m_pTheme != nullptr;
}

int CXTPCaption::GetThemeNumber() const
{
    return m_pTheme ? m_pTheme->GetThemeNumber() : 0;
}

BOOL CXTPCaption::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_SETTINGCHANGE || message == WM_SYSCOLORCHANGE)
        RefreshMetrics();
    return CStatic::OnWndMsg(message, wParam, lParam, result);
}

void CXTPCaption::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CXTPBufferDC dc(paint.m_hDC, client);
    if (m_btnCaption.GetSafeHwnd() && m_btnCaption.IsWindowVisible()) {
        CRect button;
        m_btnCaption.GetWindowRect(&button);
        ScreenToClient(&button);
        dc.ExcludeClipRect(&button);
    }
    DrawCaptionBack(&dc, client);
    DrawCaptionText(&dc);
    DrawCaptionIcon(&dc, client);
}

LRESULT CXTPCaption::OnPrintClient(WPARAM wParam, LPARAM /*lParam*/)
{
    CDC* dc = CDC::FromHandle(reinterpret_cast<HDC>(wParam));
    if (!dc)
        return 0;
    CRect client;
    GetClientRect(&client);
    DrawCaptionBack(dc, client);
    DrawCaptionText(dc);
    DrawCaptionIcon(dc, client);
    return 1;
}

BOOL CXTPCaption::OnEraseBkgnd(CDC* /*dc*/) { return TRUE; }

void CXTPCaption::OnSize(UINT /*type*/, int /*cx*/, int /*cy*/)
{
    Default();
    if (m_hIcon)
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CXTPCaption::OnWindowPosChanged(WINDOWPOS* /*pos*/)
{
    Default();
    if (m_btnCaption.GetSafeHwnd()) {
        const CRect rect = CalcButtonRect();
        m_btnCaption.MoveWindow(&rect, TRUE);
    }
}

void CXTPCaption::OnSysColorChange()
{
    Default();
    if (!m_bUserColors) {
        m_clrText = ::GetSysColor(COLOR_BTNTEXT);
        m_clrBackground = m_clrInner = ::GetSysColor(COLOR_BTNFACE);
    }
}

void CXTPCaption::OnButtonClicked()
{
    if (!(m_dwCaptionStyle & CPS_XTP_CLOSE)) {
        ShowChildPopup();
        return;
    }
    if (HWND target = GetNotifyWindow())
        ::SendMessageW(target, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), 0), reinterpret_cast<LPARAM>(m_hWnd));
}

LRESULT CXTPCaption::OnCaptionPin(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    DetachPopupChild();
    if (IsWindowHandle(m_hChildParent) && IsWindowHandle(m_hChild)) {
        CRect parent;
        ::GetClientRect(m_hChildParent, &parent);
        ::MoveWindow(m_hChild, parent.left, parent.top + m_nCaptionHeight, parent.Width(),
                     parent.Height() - m_nCaptionHeight, TRUE);
    }
    HWND target = GetNotifyWindow();
    if (IsWindowHandle(target))
        ::SendMessageW(target, WM_CAPTION_PIN, 0, 0);
    if (m_hWnd)
        InvalidateRect(nullptr, TRUE);
    return 0;
}

LRESULT CXTPCaption::OnPopupClosed(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    if (m_btnCaption.GetSafeHwnd())
        m_btnCaption.SendMessage(BM_SETSTATE, 0, 0);
    if (m_pPopupWnd) {
        CXTPCaptionPopupWnd* popup = m_pPopupWnd;
        m_pPopupWnd = nullptr;
        if (popup->GetSafeHwnd())
            popup->DestroyWindow();
        delete popup;
    }
    HWND target = GetNotifyWindow();
    if (IsWindowHandle(target))
        ::SendMessageW(target, WM_CAPTION_POPUP_CLOSED, 0, 0);
    if (m_hWnd)
        InvalidateRect(nullptr, TRUE);
    return 0;
}

LRESULT CXTPCaption::OnSetTheme(WPARAM wParam, LPARAM /*lParam*/)
{
    SetTheme(static_cast<int>(wParam));
    return 0;
}

// ---- pop-up --------------------------------------------------------------------------------------

namespace {
constexpr wchar_t kPopupClass[] = L"XTPCaptionPopupWnd";
}

BEGIN_MESSAGE_MAP(CXTPCaptionPopupWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_CONTROL(BN_CLICKED, XTP_IDC_CAPTION_BUTTON, OnPinClicked)
END_MESSAGE_MAP()

CXTPCaptionPopupWnd::CXTPCaptionPopupWnd()
{
    RegisterWndClass(AfxGetInstanceHandle(), kPopupClass, CS_VREDRAW | CS_HREDRAW, nullptr,
                     reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
}

CXTPCaptionPopupWnd::~CXTPCaptionPopupWnd()
{
    // Destroyed here, while this class's handlers still run: WM_DESTROY gives the body back.
    if (GetSafeHwnd())
        DestroyWindow();
    if (m_hPin)
        ::DestroyIcon(m_hPin);
    if (m_hPinHot)
        ::DestroyIcon(m_hPinHot);
}

BOOL CXTPCaptionPopupWnd::CreatePopup(const CRect& rect, CXTPCaption* caption, CWnd* child)
{
    if (!IsWindowHandle(caption->GetSafeHwnd()) || !IsWindowHandle(child->GetSafeHwnd()))
        return FALSE;
    if (!CreateEx(WS_EX_TOOLWINDOW, kPopupClass, L"", WS_POPUP | WS_VISIBLE | WS_DLGFRAME, rect, caption, 0))
        return FALSE;
    m_hCaption = caption->GetSafeHwnd();
    m_hChild = child->GetSafeHwnd();
    m_hChildParent = ::SetParent(m_hChild, m_hWnd);

    CString text;
    if (CXTPResourceManager* resources = GetResourceManager())
        text = resources->LoadString(XTP_IDS_CLICKKEEPOPEN);
    if (!m_wndCaption.CreateCaption(this, text, CPS_XTP_RAISED, WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                                    CRect(0, 0, 0, 0), 0xFFFF))
        return FALSE;
    m_wndCaption.SetTextButton(FALSE);

    if (!m_btnPin.Create(L"", WS_CHILD | WS_VISIBLE | BS_ICON | BS_CENTER | BS_VCENTER, CRect(0, 0, 0, 0), this,
                         XTP_IDC_CAPTION_BUTTON))
        return FALSE;
    m_btnPin.SetCaption(&m_wndCaption);

    CImageList glyphs;
    if (!LoadGlyphStrip(glyphs, ILC_COLOR8 | ILC_MASK))
        return FALSE;
    m_hPin = glyphs.ExtractIcon(kGlyphPin);
    m_hPinHot = glyphs.ExtractIcon(kGlyphPinHot);
    m_btnPin.SetIcon(CSize(kGlyphWidth, kGlyphHeight), m_hPin, m_hPinHot, TRUE);
    glyphs.DeleteImageList();

    return SetTimer(kFocusTimer, kFocusTimerMs) != 0;
}

void CXTPCaptionPopupWnd::RecalcLayout()
{
    if (!m_hWnd)
        return;
    CRect inner;
    GetClientRect(&inner);
    inner.DeflateRect(kPopupInset, kPopupInset);

    CRect row(inner.left, inner.top, inner.right, inner.top + kPopupCaptionRow);
    if (m_wndCaption.GetSafeHwnd())
        m_wndCaption.MoveWindow(&row, TRUE);
    if (IsWindowHandle(m_hChild))
        ::MoveWindow(m_hChild, inner.left, row.bottom, inner.Width(), inner.bottom - row.bottom, TRUE);
    if (m_btnPin.GetSafeHwnd()) {
        CRect pin(row);
        pin.DeflateRect(2, 2);
        pin.left = pin.right - kGlyphWidth;
        pin.bottom = pin.top + kGlyphHeight;
        m_btnPin.MoveWindow(&pin, TRUE);
    }
}

void CXTPCaptionPopupWnd::RestoreChildParent()
{
    if (IsWindowHandle(m_hChild) && IsWindowHandle(m_hChildParent))
        ::SetParent(m_hChild, m_hChildParent);
    m_hChildParent = nullptr;
}

BOOL CXTPCaptionPopupWnd::CheckFocus()
{
    HWND focus = ::GetFocus();
    // The body may be a container: a control inside it counts as the body.
    const bool inBody = IsWindowHandle(m_hChild) && focus && (focus == m_hChild || ::IsChild(m_hChild, focus));
    if (inBody || focus == m_wndCaption.GetSafeHwnd() || focus == m_btnPin.GetSafeHwnd() || focus == m_hWnd)
        return FALSE;
    if (!IsWindowHandle(m_hCaption))
        return FALSE;
    // The caption deletes this pop-up while it handles the message.
    ::SendMessageW(m_hCaption, WM_CAPTION_POPUP_CLOSED, 0, 0);
    return TRUE;
}

void CXTPCaptionPopupWnd::SetPopupTheme(int theme)
{
    m_wndCaption.SetTheme(theme);
    m_btnPin.SetTheme(theme);
}

void CXTPCaptionPopupWnd::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    client.DeflateRect(1, 1);
    const CXTPColorManager* colors = GetColorManager();
    dc.Draw3dRect(&client, colors->GetColor(COLOR_3DSHADOW), colors->GetColor(COLOR_3DHIGHLIGHT));
}

void CXTPCaptionPopupWnd::OnTimer(UINT_PTR id)
{
    if (id != kFocusTimer) {
        Default();
        return;
    }
    // Nothing of this object may be touched after a TRUE answer: it is gone.
    CheckFocus();
}

void CXTPCaptionPopupWnd::OnDestroy()
{
    RestoreChildParent();
    Default();
}

void CXTPCaptionPopupWnd::OnPinClicked()
{
    // The caption deletes this pop-up while it handles the message: nothing after the send.
    if (IsWindowHandle(m_hCaption))
        ::SendMessageW(m_hCaption, WM_CAPTION_PIN, 0, 0);
}
