// The tooltip context and the toolkit's tip windows.

#include "toolkit/foundation/XTPToolTipContext.h"

#include "framework/window/Dc.h"
#include "toolkit/foundation/XTPAuxData.h"
#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/foundation/XTPMarkupServices.h"
#include "toolkit/foundation/XTPModuleHandle.h"
#include "toolkit/foundation/XTPMonitorApi.h"
#include "toolkit/foundation/XTPOsVersion.h"
#include "toolkit/foundation/XTPResourceImage.h"
#include "toolkit/foundation/XTPResourceManager.h"
#include "toolkit/foundation/XTPRichRender.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <utility>

namespace {

constexpr UINT_PTR kPendingTimer = 1;
constexpr UINT_PTR kAutoPopTimer = 3;

wchar_t* DuplicateText(const wchar_t* text)
{
    if (!text)
        return nullptr;
    if (text == LPSTR_TEXTCALLBACKW)
        return LPSTR_TEXTCALLBACKW;    // asked for when shown
    const size_t length = std::wcslen(text);
    auto* copy = static_cast<wchar_t*>(std::calloc(length + 1, sizeof(wchar_t)));
    if (copy)
        std::memcpy(copy, text, length * sizeof(wchar_t));
    return copy;
}

bool IsRealText(const wchar_t* text) { return text && text != LPSTR_TEXTCALLBACKW; }

// Removes mnemonic ampersands ("&&" keeps one).
void RemoveAmpersands(wchar_t* text)
{
    if (!IsRealText(text))
        return;
    wchar_t* out = text;
    for (const wchar_t* in = text; *in; ++in) {
        if (*in == L'&') {
            if (in[1] == L'&')
                *out++ = *++in;
            continue;
        }
        *out++ = *in;
    }
    *out = 0;
}

void StripEllipsis(wchar_t* text)
{
    if (!IsRealText(text))
        return;
    const size_t length = std::wcslen(text);
    if (length > 3 && std::wcscmp(text + length - 3, L"...") == 0)
        text[length - 3] = 0;
}

HWND GetParentOwnerOf(HWND hWnd)
{
    while (hWnd && (::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = ::GetParent(hWnd);
    return hWnd;
}

bool IsTopLevelActive(HWND hWnd)
{
    HWND top = ::GetAncestor(hWnd, GA_ROOT);
    HWND active = ::GetActiveWindow();
    if (!top || !active)
        return false;
    return active == top || ::GetAncestor(active, GA_ROOTOWNER) == ::GetAncestor(top, GA_ROOTOWNER);
}

bool AnyMouseButtonDown()
{
    return (::GetKeyState(VK_LBUTTON) < 0) || (::GetKeyState(VK_RBUTTON) < 0) || (::GetKeyState(VK_MBUTTON) < 0);
}

// The visible height of the current cursor below its hot spot (21 when it cannot be read).
int CursorHeightBelowHotSpot()
{
    HCURSOR cursor = ::GetCursor();
    ICONINFO info{};
    if (!cursor || !::GetIconInfo(cursor, &info))
        return 21;
    int result = 21;
    BITMAP mask{};
    if (info.hbmMask && ::GetObjectW(info.hbmMask, sizeof(mask), &mask) && mask.bmWidth > 0) {
        const int stride = ((mask.bmWidth + 15) / 16) * 2;
        const int height = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
        BYTE bytes[256] = {};
        const LONG read = ::GetBitmapBits(info.hbmMask, sizeof(bytes), bytes);
        const int rows = std::min(height, static_cast<int>(read) / stride);
        int last = -1;
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < mask.bmWidth; ++x) {
                if (!(bytes[y * stride + x / 8] & (0x80 >> (x % 8)))) {
                    last = y;
                    break;
                }
            }
        }
        if (rows > 0 && last >= 0)
            result = last + 1 - static_cast<int>(info.yHotspot);
    }
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    return result;
}

void DrawTipIcon(HDC dc, CXTPImageManagerIcon* icon, int x, int y)
{
    if (!icon)
        return;
    if (icon->GetIcon()) {
        ::DrawIconEx(dc, x, y, icon->GetIcon(), icon->GetWidth(), icon->GetHeight(), 0, nullptr, DI_NORMAL);
    } else if (HBITMAP bitmap = icon->GetAlphaBitmap()) {
        HDC memory = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        if (PFNXTPALPHABLEND alphaBlend = GetDrawHelpers()->m_pfnAlphaBlend)
            alphaBlend(dc, x, y, icon->GetWidth(), icon->GetHeight(), memory, 0, 0, icon->GetWidth(),
                       icon->GetHeight(), blend);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
    }
}

CXTPToolTipContextToolTip* g_hookOwner = nullptr;
HHOOK g_mouseHook = nullptr;

} // namespace

// ==== the context =====================================================================================

CXTPToolTipContext::CXTPToolTipContext()
{
    m_dwComCtlVersion = GetComCtlVersion();
    m_nMaxTipWidth = ::GetSystemMetrics(SM_CXSCREEN) / 2;
    NONCLIENTMETRICSW metrics{};
    GetNonClientMetrics(&metrics);
    LOGFONTW font = metrics.lfStatusFont;
    font.lfCharSet = GetResourceManager()->GetFontCharset();
    font.lfWeight = FW_NORMAL;
    m_hFont = ::CreateFontIndirectW(&font);
    font.lfWeight = FW_BOLD;
    m_hBoldFont = ::CreateFontIndirectW(&font);
}

CXTPToolTipContext::~CXTPToolTipContext()
{
    DestroyToolTip();
    if (m_hFont)
        ::DeleteObject(m_hFont);
    if (m_hBoldFont)
        ::DeleteObject(m_hBoldFont);
}

void CXTPToolTipContext::DestroyToolTip()
{
    if (m_pToolTip) {
        if (m_pToolTip->GetSafeHwnd())
            m_pToolTip->DestroyWindow();
        delete m_pToolTip;
        m_pToolTip = nullptr;
    }
    m_hToolTipOwner = nullptr;
    m_lastTool = TOOLINFOW{};
}

void CXTPToolTipContext::SetStyle(int style)
{
    if (style == m_nStyle)
        return;
    if (style == xtpToolTipBalloon && m_dwComCtlVersion <= 0x5004F)
        return;
    m_nStyle = style;
    DestroyToolTip();
    if (style == xtpToolTipOffice)
        m_dwTipStyle |= xtpToolTipFrameFace | xtpToolTipNoShadow;
    else
        m_dwTipStyle &= ~static_cast<DWORD>(xtpToolTipFrameFace | xtpToolTipNoShadow);
    if (style == xtpToolTipOffice2007)
        m_dwTipStyle |= xtpToolTipLookOffice2007;
    else
        m_dwTipStyle &= ~static_cast<DWORD>(xtpToolTipLookOffice2007);
}

void CXTPToolTipContext::ModifyTipStyle(DWORD remove, DWORD add)
{
    const DWORD style = (m_dwTipStyle & ~remove) | add;
    if (style == m_dwTipStyle)
        return;
    m_dwTipStyle = style;
    DestroyToolTip();
}

void CXTPToolTipContext::SetDelayTime(DWORD which, int ms)
{
    switch (which) {
    case TTDT_RESHOW: m_nDelayReshow = ms; break;
    case TTDT_AUTOPOP: m_nDelayAutoPop = ms; break;
    case TTDT_INITIAL: m_nDelayInitial = ms; break;
    default: break;
    }
}

COLORREF CXTPToolTipContext::GetTipBkColor() const
{
    return m_clrTipBack != static_cast<COLORREF>(-1) ? m_clrTipBack : GetColorManager()->GetColor(COLOR_INFOBK);
}

COLORREF CXTPToolTipContext::GetTipTextColor() const
{
    if (m_clrTipText != static_cast<COLORREF>(-1))
        return m_clrTipText;
    if (m_dwTipStyle & xtpToolTipLookOffice2007)
        return RGB(76, 76, 76);
    return GetColorManager()->GetColor(COLOR_INFOTEXT);
}

void CXTPToolTipContext::CancelToolTip()
{
    if (m_pToolTip && m_pToolTip->GetSafeHwnd())
        m_pToolTip->SendMessage(TTM_ACTIVATE, FALSE);
}

void CXTPToolTipContext::SetToolInfo(TOOLINFOW* ti, HWND hWnd, UINT_PTR id, const RECT& rect, const wchar_t* text)
{
    if (!ti || ti->cbSize < kToolInfoSize)
        return;
    ti->hwnd = hWnd;
    ti->uId = id;
    ti->rect = rect;
    ti->lpszText = DuplicateText(text);
}

void CXTPToolTipContext::SetToolInfoEx(TOOLINFOW* ti, HWND hWnd, UINT_PTR id, const RECT& rect,
                                       const wchar_t* text, const wchar_t* title, const wchar_t* description,
                                       DWORD_PTR itemData)
{
    SetToolInfo(ti, hWnd, id, rect, text);
    if (!ti || ti->cbSize != kToolInfoExSize || !ti->lParam)
        return;
    auto* ext = reinterpret_cast<XTP_TOOLTIP_TOOLINFO_EX*>(ti->lParam);
    if (title && *title && description && *description) {
        ext->lpszTitle = DuplicateText(title);
        ext->lpszDescription = DuplicateText(description);
    }
    ext->dwItemData = itemData;
}

void CXTPToolTipContext::FreeToolInfoTexts(TOOLINFOW& ti)
{
    if (IsRealText(ti.lpszText))
        std::free(ti.lpszText);
    ti.lpszText = nullptr;
    if (ti.cbSize == kToolInfoExSize && ti.lParam) {
        auto* ext = reinterpret_cast<XTP_TOOLTIP_TOOLINFO_EX*>(ti.lParam);
        std::free(ext->lpszTitle);
        std::free(ext->lpszDescription);
        ext->lpszTitle = ext->lpszDescription = nullptr;
    }
}

CWnd* CXTPToolTipContext::CreateToolTip(CWnd*)
{
    switch (m_nStyle) {
    case xtpToolTipOffice:
    case xtpToolTipOffice2007: return new CXTPToolTipContextToolTip(this);
    case xtpToolTipRTF: return new CRichEditToolTip(this);
    case xtpToolTipLuna: return new CLunaToolTip(this);
    case xtpToolTipHTML: return new CHTMLToolTip(this);
    case xtpToolTipMarkup: return new CMarkupToolTip(this);
    default: return new CStandardToolTip();
    }
}

INT_PTR CXTPToolTipContext::OnToolHitTest(CWnd* wnd, CPoint point, TOOLINFOW* ti)
{
    return wnd ? wnd->OnToolHitTest(point, ti) : -1;
}

void CXTPToolTipContext::RelayMouseMessage(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    POINT cursor{};
    ::GetCursorPos(&cursor);
    FilterToolTipMessage(wnd, message, wParam, lParam, cursor);
}

void CXTPToolTipContext::RelayToolTipMessage(const MSG& original)
{
    if (!m_pToolTip || !m_pToolTip->GetSafeHwnd())
        return;
    MSG msg = original;
    POINT cursor = msg.pt;
    const HWND under = reinterpret_cast<HWND>(
        m_pToolTip->SendMessage(TTM_WINDOWFROMPOINT, 0, reinterpret_cast<LPARAM>(&cursor)));
    if (under)
        msg.hwnd = under;
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST && msg.hwnd) {
        POINT client = cursor;
        ::ScreenToClient(msg.hwnd, &client);
        msg.lParam = MAKELPARAM(client.x, client.y);
    }
    m_pToolTip->SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void CXTPToolTipContext::FilterToolTipMessage(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam, POINT cursor)
{
    if (!wnd || !wnd->GetSafeHwnd())
        return;
    const HWND hWnd = wnd->GetSafeHwnd();
    const bool mouseMove = message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE || message == WM_LBUTTONUP ||
                           message == WM_RBUTTONUP || message == WM_MBUTTONUP || message == WM_MOUSELEAVE;
    if (mouseMove && !AnyMouseButtonDown()) {
        // 1. An inactive application shows no tip.
        if (m_pToolTip && m_pToolTip->GetSafeHwnd() && m_pToolTip->IsWindowVisible() && !IsTopLevelActive(hWnd)) {
            m_pToolTip->SendMessage(TTM_ACTIVATE, FALSE);
            return;
        }
        // 2. The tip window for this owner.
        const HWND owner = GetParentOwnerOf(hWnd);
        if (m_pToolTip && m_hToolTipOwner != owner)
            DestroyToolTip();
        if (!m_pToolTip) {
            m_pToolTip = CreateToolTip(CWnd::FromHandle(owner));
            m_hToolTipOwner = owner;
        }
        if (!m_pToolTip)
            return;
        if (!m_pToolTip->GetSafeHwnd()) {
            BOOL created = FALSE;
            if (auto* own = dynamic_cast<CXTPToolTipContextToolTip*>(m_pToolTip))
                created = own->Create(CWnd::FromHandle(owner), m_dwTipStyle | TTS_ALWAYSTIP | TTS_NOPREFIX);
            else if (auto* standard = dynamic_cast<CToolTipCtrl*>(m_pToolTip))
                created = standard->Create(CWnd::FromHandle(owner), (m_dwTipStyle & 0xFFF) | TTS_ALWAYSTIP |
                                                                        TTS_NOPREFIX |
                                                                        (m_nStyle == xtpToolTipBalloon ? TTS_BALLOON : 0));
            if (!created) {
                DestroyToolTip();
                return;
            }
            m_pToolTip->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
            m_pToolTip->SendMessage(TTM_SETMAXTIPWIDTH, 0, m_nMaxTipWidth);
            m_pToolTip->SendMessage(TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&m_rcMargin));
            if (m_clrTipBack != static_cast<COLORREF>(-1))
                m_pToolTip->SendMessage(TTM_SETTIPBKCOLOR, m_clrTipBack);
            if (m_clrTipText != static_cast<COLORREF>(-1))
                m_pToolTip->SendMessage(TTM_SETTIPTEXTCOLOR, m_clrTipText);
            if (m_nDelayReshow != -1)
                m_pToolTip->SendMessage(TTM_SETDELAYTIME, TTDT_RESHOW, static_cast<WORD>(m_nDelayReshow));
            if (m_nDelayInitial != -1)
                m_pToolTip->SendMessage(TTM_SETDELAYTIME, TTDT_INITIAL, static_cast<WORD>(m_nDelayInitial));
            if (m_nDelayAutoPop != -1)
                m_pToolTip->SendMessage(TTM_SETDELAYTIME, TTDT_AUTOPOP, static_cast<WORD>(m_nDelayAutoPop));
            m_pToolTip->SendMessage(TTM_ACTIVATE, FALSE);
        }

        // 3. The tool under the cursor.
        const bool extended = m_bShowTitleAndDescription || m_bShowImage;
        XTP_TOOLTIP_TOOLINFO_EX ext{};
        TOOLINFOW ti{};
        ti.cbSize = extended ? kToolInfoExSize : kToolInfoSize;
        if (extended)
            ti.lParam = reinterpret_cast<LPARAM>(&ext);
        POINT client = cursor;
        ::ScreenToClient(hWnd, &client);
        const INT_PTR hit = OnToolHitTest(wnd, CPoint(client), &ti);

        // 4. Texts.
        const bool titled = m_bShowTitleAndDescription && ext.lpszTitle && ext.lpszDescription;
        if (titled && std::wcscmp(ext.lpszTitle, ext.lpszDescription) == 0) {
            std::free(ext.lpszDescription);
            ext.lpszDescription = nullptr;
        }
        if (!(m_dwTipStyle & TTS_NOPREFIX)) {
            RemoveAmpersands(ti.lpszText);
            RemoveAmpersands(ext.lpszTitle);
        }
        if (m_bStripEllipsis) {
            StripEllipsis(ti.lpszText);
            StripEllipsis(ext.lpszTitle);
        }

        MSG msg{};
        msg.hwnd = hWnd;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        msg.pt = cursor;
        msg.time = ::GetMessageTime();

        // 5. The same tool again.
        const bool sameTool = ti.hwnd == m_lastTool.hwnd && ti.uId == m_lastTool.uId;
        if (sameTool && ::EqualRect(&ti.rect, &m_lastTool.rect)) {
            if (hit != -1)
                RelayToolTipMessage(msg);
            FreeToolInfoTexts(ti);
            return;
        }
        if (sameTool && m_lastTool.hwnd) {
            m_pToolTip->SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&m_lastTool));
            m_lastTool = TOOLINFOW{};
        }

        // 6. A new tool, or none.
        if (hit == -1) {
            m_pToolTip->SendMessage(TTM_ACTIVATE, FALSE);
        } else {
            const UINT flags = ti.uFlags;
            ti.uFlags &= ~0xC0000000u;
            const bool hasDescription = ext.lpszTitle && ext.lpszDescription;
            m_pToolTip->SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
            if (m_nStyle != xtpToolTipRTF && m_nStyle != xtpToolTipHTML && m_nStyle != xtpToolTipMarkup &&
                (m_dwComCtlVersion > 0x5004F || m_nStyle != xtpToolTipStandard)) {
                if (m_bShowTitleAndDescription && hasDescription) {
                    m_pToolTip->SendMessage(TTM_SETTITLEW, m_nTitleIcon, reinterpret_cast<LPARAM>(ext.lpszTitle));
                    TOOLINFOW update = ti;
                    update.lpszText = ext.lpszDescription;
                    m_pToolTip->SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&update));
                } else {
                    m_pToolTip->SendMessage(TTM_SETTITLEW, 0, 0);
                }
            }
            if (m_bShowImage) {
                CXTPImageManagerIcon* icon = nullptr;
                if (auto* images = reinterpret_cast<CXTPImageManager*>(ext.dwItemData))
                    icon = images->LookupIcon(static_cast<UINT>(m_nImageBase + hit), m_nImageWidth);
                m_pToolTip->SendMessage(WM_XTP_TOOLTIP_SETIMAGE, 0, reinterpret_cast<LPARAM>(icon));
            }
            if ((flags & TTF_ALWAYSTIP) || IsTopLevelActive(hWnd)) {
                m_pToolTip->SendMessage(TTM_ACTIVATE, TRUE);
                ::SetWindowPos(m_pToolTip->GetSafeHwnd(), HWND_TOP, 0, 0, 0, 0,
                               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            }
        }

        // 7. Relay, then forget the previous tool.
        RelayToolTipMessage(msg);
        if (m_lastTool.hwnd && !sameTool)
            m_pToolTip->SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&m_lastTool));
        FreeToolInfoTexts(ti);
        m_lastTool = ti;
        m_lastTool.lpszText = nullptr;
        m_lastTool.lParam = 0;
        m_lastTool.cbSize = kToolInfoSize;
        if (hit == -1)
            m_lastTool = TOOLINFOW{};
        return;
    }

    const bool press = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN ||
                       message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDOWN || message == WM_MBUTTONDBLCLK ||
                       message == WM_NCLBUTTONDOWN || message == WM_NCLBUTTONDBLCLK || message == WM_NCRBUTTONDOWN ||
                       message == WM_NCRBUTTONDBLCLK || message == WM_NCMBUTTONDOWN || message == WM_NCMBUTTONDBLCLK;
    if ((message >= WM_KEYFIRST && message <= WM_KEYLAST) || press)
        CancelToolTip();
}

void CXTPToolTipContext::DrawBackground(CDC* dc, const CRect& rect)
{
    if (m_dwTipStyle & xtpToolTipLookOffice2007) {
        CXTPResourceImages* images = GetResourceImages();
        const COLORREF light = images->GetColor(L"Window", L"TooltipLight", RGB(255, 255, 255));
        const COLORREF dark = images->GetColor(L"Window", L"TooltipDark", RGB(201, 217, 239));
        GetDrawHelpers()->GradientFill(dc, &rect, light, dark, FALSE);
        CXTPResourceImage* frame = images->GetImage(L"TOOLTIPFRAME");
        if (frame) {
            const CSize extent = frame->GetExtent();
            frame->DrawImageTransparent(dc, rect, CRect(0, 0, extent.cx, extent.cy), CRect(3, 3, 3, 3), RGB(255, 0, 255));
        } else {
            const COLORREF border = images->GetColor(L"Window", L"TooltipBorder", RGB(118, 118, 118));
            dc->Draw3dRect(&rect, border, border);
        }
    } else {
        dc->FillSolidRect(&rect, GetTipBkColor());
        const COLORREF topLeft = (m_dwTipStyle & xtpToolTipFrameFace) ? ::GetSysColor(COLOR_BTNFACE) : RGB(0, 0, 0);
        dc->Draw3dRect(&rect, topLeft, RGB(0, 0, 0));
    }
    ::SetTextColor(dc->GetSafeHdc(), GetTipTextColor());
}

// ==== the platform tip ===================================================================================

LRESULT CXTPToolTipContext::CStandardToolTip::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CToolTipCtrl::WindowProc(message, wParam, lParam);
    if (message == TTM_WINDOWFROMPOINT && result) {
        const HWND under = reinterpret_cast<HWND>(result);
        if ((::GetWindowLongW(under, GWL_STYLE) & WS_CHILD) && ::SendMessageW(under, WM_XTP_TOOLTIP_TRANSPARENT, 0, 0) == 1)
            result = reinterpret_cast<LRESULT>(::GetParent(under));
    }
    return result;
}

// ==== the toolkit's tip window ===========================================================================

CXTPToolTipContextToolTip::CXTPToolTipContextToolTip(CXTPToolTipContext* context) : m_pContext(context) {}

CXTPToolTipContextToolTip::~CXTPToolTipContextToolTip()
{
    if (m_hWnd)
        DestroyWindow();
    RemoveHook();
    for (int i = 0; i < m_arrTools.GetSize(); ++i)
        delete static_cast<TOOLITEM*>(m_arrTools[i]);
    m_arrTools.RemoveAll();
    SetTipIcon(nullptr);
}

void CXTPToolTipContextToolTip::SetTipIcon(CXTPImageManagerIcon* icon)
{
    // The tip keeps its own reference: the manager may let the icon go (a theme change drops the
    // icons of its image lists) while the tip is still on screen.
    if (icon)
        icon->InternalAddRef();
    if (CXTPImageManagerIcon* previous = std::exchange(m_pIcon, icon))
        previous->InternalRelease();
}

BOOL CXTPToolTipContextToolTip::Create(CWnd* owner, DWORD style)
{
    UINT classStyle = CS_SAVEBITS | CS_OWNDC;
    if (!(style & xtpToolTipNoShadow) && GetOsVersionCache().IsWinXPOrLater())
        classStyle |= CS_DROPSHADOW;
    const wchar_t* className = AfxRegisterWndClass(classStyle, ::LoadCursorW(nullptr, IDC_ARROW));
    if (!CreateEx(WS_EX_TOOLWINDOW, className, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, owner ? owner->GetSafeHwnd() : nullptr, nullptr))
        return FALSE;
    m_hOwner = owner ? owner->GetSafeHwnd() : nullptr;
    return TRUE;
}

HWND CXTPToolTipContextToolTip::WindowFromPointRule(HWND, POINT point)
{
    HWND under = ::WindowFromPoint(point);
    if (under && (::GetWindowLongW(under, GWL_STYLE) & WS_CHILD) &&
        ::SendMessageW(under, WM_XTP_TOOLTIP_TRANSPARENT, 0, 0) == 1)
        under = ::GetParent(under);
    return under;
}

CXTPToolTipContextToolTip::TOOLITEM* CXTPToolTipContextToolTip::FindToolItem(HWND hWnd, UINT_PTR id)
{
    for (int i = 0; i < m_arrTools.GetSize(); ++i) {
        auto* tool = static_cast<TOOLITEM*>(m_arrTools[i]);
        if (tool->hWnd == hWnd && tool->uId == id)
            return tool;
    }
    return nullptr;
}

CXTPToolTipContextToolTip::TOOLITEM* CXTPToolTipContextToolTip::FindTool(bool ignoreButtons)
{
    if (!ignoreButtons && AnyMouseButtonDown())
        return nullptr;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    for (int i = 0; i < m_arrTools.GetSize(); ++i) {
        auto* tool = static_cast<TOOLITEM*>(m_arrTools[i]);
        if (!::IsWindow(tool->hWnd))
            continue;
        CRect rect;
        if (tool->uFlags & TTF_IDISHWND) {
            ::GetWindowRect(reinterpret_cast<HWND>(tool->uId), &rect);
        } else {
            rect = tool->rect;
            ::MapWindowPoints(tool->hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        }
        if (!rect.PtInRect(cursor))
            continue;
        if (tool->uFlags & TTF_IDISHWND)
            return tool;
        if (WindowFromPointRule(m_hWnd, cursor) == tool->hWnd)
            return tool;
    }
    return nullptr;
}

CString CXTPToolTipContextToolTip::GetToolText(TOOLITEM& tool)
{
    if (tool.bTextCallback && ::IsWindow(tool.hWnd)) {
        NMTTDISPINFOW info{};
        info.hdr.hwndFrom = m_hWnd;
        info.hdr.idFrom = tool.uId;
        info.hdr.code = TTN_GETDISPINFOW;
        info.uFlags = tool.uFlags;
        ::SendMessageW(tool.hWnd, WM_NOTIFY, tool.uId, reinterpret_cast<LPARAM>(&info));
        CString text;
        if (reinterpret_cast<UINT_PTR>(info.lpszText) > 0xFFFF) {
            text = info.lpszText;
        } else if (info.lpszText) {
            const UINT id = static_cast<UINT>(reinterpret_cast<UINT_PTR>(info.lpszText));
            wchar_t buffer[1024] = {};
            if (::LoadStringW(info.hinst ? info.hinst : tool.hInst, id, buffer, 1024) > 0)
                text = buffer;
            else
                text = GetResourceManager()->LoadString(id);
        } else {
            text = info.szText;
        }
        if (!(m_pContext->GetTipStyle() & TTS_NOPREFIX))
            StripAmpersands(text);
        tool.strText = text;
        tool.bTextCallback = FALSE;
    }
    return tool.strText;
}

void CXTPToolTipContextToolTip::Deactivate()
{
    m_bActive = FALSE;
    if (m_nPendingTimer) {
        KillTimer(kPendingTimer);
        m_nPendingTimer = 0;
    }
    m_pendingTool = TOOLITEM{};
    ShowTool(nullptr);
}

void CXTPToolTipContextToolTip::RelayEvent(const MSG* msg)
{
    if (!m_bActive || !msg)
        return;
    const UINT message = msg->message;
    if (!((message >= WM_MOUSEFIRST && message <= 522) || (message >= 160 && message <= 169)))
        return;
    // 1. The tool under the cursor; a pressed tool keeps quiet while the pointer stays on it.
    TOOLITEM* tool = nullptr;
    if (message == WM_LBUTTONDOWN) {
        // The button is down during the press itself: look through it to name the pressed tool.
        TOOLITEM* pressed = FindTool(true);
        m_pressedTool = pressed ? *pressed : TOOLITEM{};
    } else {
        tool = FindTool();
        if (tool && !m_pressedTool.IsEmpty() && tool->IsSame(m_pressedTool))
            tool = nullptr;
    }
    // 2. A pending tool that is no longer under the cursor.
    if (m_nPendingTimer && (!tool || !tool->IsSame(m_pendingTool))) {
        KillTimer(kPendingTimer);
        m_nPendingTimer = 0;
        m_pendingTool = TOOLITEM{};
    }
    // 3./4.
    if (!tool) {
        ShowTool(nullptr);
        return;
    }
    if (!m_shownTool.IsEmpty() && tool->IsSame(m_shownTool))
        return;
    // While a tip shows, the pointer is moving from tool to tool: the next one shows at once.
    const DWORD elapsed = m_shownTool.IsEmpty() ? ::GetTickCount() - m_dwLastChange : 0;
    if (elapsed >= static_cast<DWORD>(m_nDelayReshow)) {
        if (m_nPendingTimer && tool->IsSame(m_pendingTool))
            return;
        m_pendingTool = *tool;
        m_nPendingTimer = SetTimer(kPendingTimer, static_cast<UINT>(m_nDelayInitial), nullptr);
    } else {
        ShowTool(tool);
    }
}

void CXTPToolTipContextToolTip::ShowTool(const TOOLITEM* toolIn)
{
    TOOLITEM tool;
    if (toolIn)
        tool = *toolIn;
    if (toolIn && !m_shownTool.IsEmpty() && tool.IsSame(m_shownTool))
        return;
    if (!toolIn && m_shownTool.IsEmpty())
        return;
    CSize size(0, 0);
    if (toolIn) {
        // The list's own record learns the resolved text.
        TOOLITEM* listed = FindToolItem(tool.hWnd, tool.uId);
        size = CalcToolSize(listed ? listed : &tool);
        if (listed)
            tool = *listed;
        if (size.cx == 0 && size.cy == 0)
            toolIn = nullptr;
    }
    if (!toolIn && m_shownTool.IsEmpty())
        return;

    if (::IsWindowVisible(m_hWnd))
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (m_bRegionSet) {
        ::SetWindowRgn(m_hWnd, nullptr, FALSE);
        m_bRegionSet = FALSE;
    }

    if (toolIn) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        CRect rect;
        if (tool.rcExclude.IsRectEmpty()) {
            rect.SetRect(cursor.x, cursor.y + CursorHeightBelowHotSpot(), 0, 0);
            rect.right = rect.left + size.cx;
            rect.bottom = rect.top + size.cy;
            if (::GetWindowLongW(tool.hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)
                rect.OffsetRect(-size.cx, 0);
        } else {
            POINT at{tool.rect.left, tool.rcExclude.bottom};
            ::ClientToScreen(tool.hWnd, &at);
            rect.SetRect(at.x, at.y, at.x + size.cx, at.y + size.cy);
        }
        const RECT work = GetMonitorApi().GetWorkAreaAtPoint(cursor);
        if (rect.right > work.right - 4)
            rect.OffsetRect(work.right - 4 - rect.right, 0);
        if (rect.left < work.left)
            rect.OffsetRect(work.left - rect.left, 0);
        if (rect.bottom > work.bottom - 4)
            rect.OffsetRect(0, (cursor.y - 3) - rect.bottom);

        ::SetWindowPos(m_hWnd, HWND_TOP, rect.left, rect.top, rect.Width(), rect.Height(),
                       SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        NMHDR header{m_hWnd, tool.uId, static_cast<UINT>(TTN_SHOW)};
        if (::IsWindow(tool.hWnd))
            ::SendMessageW(tool.hWnd, WM_NOTIFY, tool.uId, reinterpret_cast<LPARAM>(&header));
        if (GetStyle() & xtpToolTipLookOffice2007) {
            const int w = rect.Width(), h = rect.Height();
            HRGN region = ::CreateRectRgn(1, 0, w - 1, 1);
            HRGN middle = ::CreateRectRgn(0, 1, w, h - 1);
            HRGN bottom = ::CreateRectRgn(1, h - 1, w - 1, h);
            ::CombineRgn(region, region, middle, RGN_OR);
            ::CombineRgn(region, region, bottom, RGN_OR);
            ::DeleteObject(middle);
            ::DeleteObject(bottom);
            if (::SetWindowRgn(m_hWnd, region, FALSE))
                m_bRegionSet = TRUE;
            else
                ::DeleteObject(region);
        }
        ::ShowWindow(m_hWnd, SW_SHOWNA);
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        InstallHook();
        m_pressedTool = TOOLITEM{};
        if (m_nDelayAutoPop > 0)
            m_nAutoPopTimer = SetTimer(kAutoPopTimer, static_cast<UINT>(m_nDelayAutoPop), nullptr);
        m_shownTool = tool;
    } else {
        RemoveHook();
        m_pendingTool = TOOLITEM{};
        if (m_nAutoPopTimer) {
            KillTimer(kAutoPopTimer);
            m_nAutoPopTimer = 0;
        }
        m_shownTool = TOOLITEM{};
    }
    m_dwLastChange = ::GetTickCount();
    OnVisibilityChanged(toolIn != nullptr);
}

void CXTPToolTipContextToolTip::OnVisibilityChanged(BOOL) {}

void CXTPToolTipContextToolTip::InstallHook()
{
    if (g_mouseHook)
        return;
    g_mouseHook = ::SetWindowsHookExW(WH_MOUSE, MouseHookProc, nullptr, ::GetCurrentThreadId());
    if (g_mouseHook)
        g_hookOwner = this;
}

void CXTPToolTipContextToolTip::RemoveHook()
{
    if (g_hookOwner != this || !g_mouseHook)
        return;
    ::UnhookWindowsHookEx(g_mouseHook);
    g_mouseHook = nullptr;
    g_hookOwner = nullptr;
}

LRESULT CALLBACK CXTPToolTipContextToolTip::MouseHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const HHOOK hook = g_mouseHook;
    CXTPToolTipContextToolTip* tip = g_hookOwner;
    if (code == HC_ACTION && tip && !tip->m_shownTool.IsEmpty() && lParam) {
        const auto* info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
        if (WindowFromPointRule(tip->m_hWnd, info->pt) != tip->m_shownTool.hWnd) {
            MSG msg{};
            msg.hwnd = tip->m_shownTool.hWnd;
            msg.message = WM_MOUSEMOVE;
            msg.pt = info->pt;
            tip->RelayEvent(&msg);
        }
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
}

CRect CXTPToolTipContextToolTip::ContentRect() const
{
    CRect rect;
    GetClientRect(&rect);
    const CRect& margin = m_pContext->GetMargin();
    rect.DeflateRect(margin.left + 3, margin.top + 3, margin.right + 3, margin.bottom + 3);
    return rect;
}

CSize CXTPToolTipContextToolTip::CalcToolSize(TOOLITEM* tool)
{
    const CString text = GetToolText(*tool);
    if (text.IsEmpty())
        return CSize(0, 0);
    const CRect& margin = m_pContext->GetMargin();
    const int extraX = margin.left + margin.right + 6;
    const int extraY = margin.top + margin.bottom + 6;
    int maxWidth = m_pContext->GetMaxTipWidth();
    if (maxWidth == -1)
        maxWidth = ::GetSystemMetrics(SM_CXSCREEN);
    int limit = maxWidth - extraX;

    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ oldFont = ::SelectObject(dc, m_pContext->GetFont());
    int titleWidth = 0, titleHeight = 0;
    if (!m_strTitle.IsEmpty()) {
        ::SelectObject(dc, m_pContext->GetBoldFont());
        CRect title(0, 0, 0, 0);
        ::DrawTextW(dc, m_strTitle, -1, &title, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX);
        titleWidth = title.Width() + 4;
        titleHeight = title.Height() + 20;
        ::SelectObject(dc, m_pContext->GetFont());
    }
    int imageSpace = 0, iconHeight = 0;
    if (m_pIcon) {
        iconHeight = m_pIcon->GetHeight();
        if (m_pIcon->GetHeight() > 16)
            imageSpace = m_pIcon->GetWidth() + 5;
        else if (!m_strTitle.IsEmpty())
            titleWidth += m_pIcon->GetWidth() + 1;
        else
            imageSpace = m_pIcon->GetWidth() + 3;
    }
    if (!m_strTitle.IsEmpty())
        limit = std::max(limit, titleWidth) - 25;
    CRect measured(0, 0, std::max(limit, 1), 0);
    ::DrawTextW(dc, text, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(m_hWnd, dc);

    int width = measured.Width() + imageSpace;
    int height = std::max(static_cast<int>(measured.Height()), iconHeight);
    if (!m_strTitle.IsEmpty()) {
        width = std::max(titleWidth, width + 25);
        height += titleHeight;
    }
    return CSize(width + extraX, height + extraY);
}

void CXTPToolTipContextToolTip::DrawContent(CDC* dc, TOOLITEM* tool, CRect rect)
{
    const bool rtl = (::GetWindowLongW(tool->hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    UINT format = DT_EXPANDTABS | DT_NOPREFIX;
    if (rtl)
        format |= DT_RIGHT | DT_RTLREADING;
    const HDC hdc = dc->GetSafeHdc();
    CRect title(rect.left + 2, rect.top + 2, rect.right - 2, rect.bottom);
    const bool hasTitle = !m_strTitle.IsEmpty();
    if (m_pIcon && m_pIcon->GetHeight() <= 16) {
        const int x = rtl ? rect.right - m_pIcon->GetWidth() : rect.left;
        DrawTipIcon(hdc, m_pIcon, x, rect.top);
        const int shift = m_pIcon->GetWidth() + (hasTitle ? 1 : 3);
        CRect& moved = hasTitle ? title : rect;
        if (rtl)
            moved.right -= shift;
        else
            moved.left += shift;
    }
    if (hasTitle) {
        HGDIOBJ old = ::SelectObject(hdc, m_pContext->GetBoldFont());
        CRect measure = title;
        ::DrawTextW(hdc, m_strTitle, -1, &measure, DT_CALCRECT | DT_SINGLELINE | format);
        ::DrawTextW(hdc, m_strTitle, -1, &title, DT_SINGLELINE | format);
        ::SelectObject(hdc, old);
        rect.top += measure.Height() + 12;
        rect.left += rtl ? 15 : 10;
        rect.right -= rtl ? 10 : 15;
    }
    if (m_pIcon && m_pIcon->GetHeight() > 16) {
        const int x = rtl ? rect.right - m_pIcon->GetWidth() : rect.left;
        DrawTipIcon(hdc, m_pIcon, x, rect.top);
        if (rtl)
            rect.right -= m_pIcon->GetWidth() + 5;
        else
            rect.left += m_pIcon->GetWidth() + 5;
    }
    ::DrawTextW(hdc, tool->strText, -1, &rect, DT_WORDBREAK | format);
}

void CXTPToolTipContextToolTip::DrawBackground(CDC* dc, TOOLITEM*, const CRect& rect)
{
    m_pContext->DrawBackground(dc, rect);
}

void CXTPToolTipContextToolTip::OnPaintTip()
{
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    CDC dc;
    dc.Attach(hdc);
    CRect client;
    GetClientRect(&client);
    TOOLITEM* tool = m_shownTool.IsEmpty() ? nullptr : &m_shownTool;
    DrawBackground(&dc, tool, client);
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, m_pContext->GetTipTextColor());
    HGDIOBJ old = ::SelectObject(hdc, m_pContext->GetFont());
    if (tool)
        DrawContent(&dc, tool, ContentRect());
    ::SelectObject(hdc, old);
    dc.Detach();
    ::EndPaint(m_hWnd, &ps);
}

void CXTPToolTipContextToolTip::OnTimerTip(UINT_PTR id)
{
    if (id == kPendingTimer) {
        if (!m_pendingTool.IsEmpty()) {
            TOOLITEM* now = FindTool();
            if (now && now->IsSame(m_pendingTool)) {
                const TOOLITEM pending = m_pendingTool;
                ShowTool(&pending);
            }
        }
        KillTimer(kPendingTimer);
        m_nPendingTimer = 0;
        m_pendingTool = TOOLITEM{};
    } else if (id == kAutoPopTimer) {
        KillTimer(kAutoPopTimer);
        m_nAutoPopTimer = 0;
        Deactivate();
    }
}

void CXTPToolTipContextToolTip::OnDestroyTip()
{
    m_shownTool = m_pressedTool = m_pendingTool = TOOLITEM{};
    for (int i = 0; i < m_arrTools.GetSize(); ++i)
        delete static_cast<TOOLITEM*>(m_arrTools[i]);
    m_arrTools.RemoveAll();
    m_strTitle.Empty();
    SetTipIcon(nullptr);
    m_bActive = FALSE;
    RemoveHook();
}

LRESULT CXTPToolTipContextToolTip::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case TTM_ADDTOOLW: {
        const auto* ti = reinterpret_cast<const TOOLINFOW*>(lParam);
        if (!ti)
            return 0;
        auto* tool = new TOOLITEM();
        tool->bTextCallback = ti->lpszText == LPSTR_TEXTCALLBACKW;
        if (!tool->bTextCallback && ti->lpszText)
            tool->strText = ti->lpszText;
        tool->uFlags = ti->uFlags;
        tool->rect = ti->rect;
        tool->hInst = ti->hinst;
        tool->hWnd = ti->hwnd;
        tool->uId = ti->uId;
        if (ti->cbSize == kToolInfoExSize && ti->lParam)
            tool->rcExclude = reinterpret_cast<const XTP_TOOLTIP_TOOLINFO_EX*>(ti->lParam)->rcExclude;
        m_arrTools.Add(tool);
        return 1;
    }
    case TTM_DELTOOLW: {
        const auto* ti = reinterpret_cast<const TOOLINFOW*>(lParam);
        if (!ti)
            return 0;
        TOOLITEM key;
        key.hWnd = ti->hwnd;
        key.uId = ti->uId;
        if (!m_shownTool.IsEmpty() && m_shownTool.IsSame(key))
            ShowTool(nullptr);
        if (m_pressedTool.IsSame(key))
            m_pressedTool = TOOLITEM{};
        if (m_pendingTool.IsSame(key)) {
            m_pendingTool = TOOLITEM{};
            if (m_nPendingTimer) {
                KillTimer(kPendingTimer);
                m_nPendingTimer = 0;
            }
        }
        for (int i = m_arrTools.GetSize() - 1; i >= 0; --i) {
            auto* tool = static_cast<TOOLITEM*>(m_arrTools[i]);
            if (tool->IsSame(key)) {
                delete tool;
                m_arrTools.RemoveAt(i);
            }
        }
        return 0;
    }
    case TTM_ACTIVATE:
        if (wParam)
            m_bActive = TRUE;
        else
            Deactivate();
        return 0;
    case TTM_RELAYEVENT:
        RelayEvent(reinterpret_cast<const MSG*>(lParam));
        return 0;
    case TTM_SETDELAYTIME: {
        const int time = static_cast<int>(static_cast<short>(LOWORD(lParam)));
        if (wParam == TTDT_RESHOW)
            m_nDelayReshow = time;
        else if (wParam == TTDT_AUTOPOP)
            m_nDelayAutoPop = time;
        else if (wParam == TTDT_INITIAL)
            m_nDelayInitial = time;
        return 0;
    }
    case TTM_SETTITLEW:
        m_strTitle = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        return 1;
    case TTM_UPDATETIPTEXTW: {
        const auto* ti = reinterpret_cast<const TOOLINFOW*>(lParam);
        if (!ti)
            return 0;
        if (TOOLITEM* tool = FindToolItem(ti->hwnd, ti->uId)) {
            tool->bTextCallback = ti->lpszText == LPSTR_TEXTCALLBACKW;
            tool->strText = (!tool->bTextCallback && ti->lpszText) ? ti->lpszText : L"";
        }
        return 0;
    }
    case TTM_WINDOWFROMPOINT:
        return lParam ? reinterpret_cast<LRESULT>(WindowFromPointRule(m_hWnd, *reinterpret_cast<const POINT*>(lParam)))
                      : 0;
    case WM_XTP_TOOLTIP_SETIMAGE:
        SetTipIcon(reinterpret_cast<CXTPImageManagerIcon*>(lParam));
        return 0;
    case TTM_SETMAXTIPWIDTH:
    case TTM_SETMARGIN:
    case TTM_SETTIPBKCOLOR:
    case TTM_SETTIPTEXTCOLOR:
    case WM_SETFONT:
        return 0;    // the context keeps these; the tip reads them from it
    case WM_PAINT:
        OnPaintTip();
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
        ShowTool(nullptr);
        return 0;
    case WM_TIMER:
        OnTimerTip(wParam);
        break;
    case WM_DESTROY:
        OnDestroyTip();
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// ==== the other looks ====================================================================================

void CXTPToolTipContext::CLunaToolTip::DrawBackground(CDC* dc, TOOLITEM*, const CRect& rect)
{
    const int theme = GetColorManager()->GetCurrentSystemTheme();
    if (theme >= 1 && theme <= 5) {
        GetDrawHelpers()->GradientFill(dc, &rect, RGB(255, 212, 151), RGB(255, 242, 200), FALSE);
        const COLORREF frame = theme == 2 ? RGB(63, 93, 56) : theme == 3 ? RGB(75, 75, 111) : RGB(0, 0, 128);
        dc->Draw3dRect(&rect, frame, frame);
    } else {
        GetDrawHelpers()->GradientFill(dc, &rect, m_pContext->GetTipBkColor(), RGB(255, 255, 255), FALSE);
        dc->Draw3dRect(&rect, RGB(0, 0, 0), RGB(0, 0, 0));
    }
    ::SetTextColor(dc->GetSafeHdc(), m_pContext->GetTipTextColor());
}

CXTPToolTipContext::CRichEditToolTip::CRichEditToolTip(CXTPToolTipContext* context)
    : CXTPToolTipContextToolTip(context), m_pRender(std::make_unique<CXTPRichRender>())
{
}

CXTPToolTipContext::CRichEditToolTip::~CRichEditToolTip() = default;

CSize CXTPToolTipContext::CRichEditToolTip::CalcToolSize(TOOLITEM* tool)
{
    const CString text = GetToolText(*tool);
    if (!m_pRender->GetTextServices() || text.IsEmpty())
        return CSize(0, 0);
    m_pRender->SetText(nullptr);
    CHARFORMATW format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED | CFM_COLOR;
    format.crTextColor = m_pContext->GetTipTextColor();
    LOGFONTW font{};
    HDC screen = ::GetDC(nullptr);
    if (::GetObjectW(m_pContext->GetFont(), sizeof(font), &font)) {
        format.dwMask |= CFM_SIZE | CFM_FACE;
        format.yHeight = -::MulDiv(font.lfHeight, 1440, ::GetDeviceCaps(screen, LOGPIXELSY));
        ::wcsncpy(format.szFaceName, font.lfFaceName, LF_FACESIZE - 1);
    }
    ::ReleaseDC(nullptr, screen);
    m_pRender->SetDefaultCharFormat(&format);
    m_pRender->SetText(text);
    const CRect& margin = m_pContext->GetMargin();
    int maxWidth = m_pContext->GetMaxTipWidth();
    if (maxWidth == -1)
        maxWidth = ::GetSystemMetrics(SM_CXSCREEN);
    CDC dc;
    dc.Attach(::GetDC(m_hWnd));
    const CSize size = m_pRender->GetTextExtent(&dc, maxWidth - (margin.left + margin.right + 6));
    ::ReleaseDC(m_hWnd, dc.Detach());
    if (size.cx == 0 && size.cy == 0)
        return CSize(0, 0);
    return CSize(size.cx + margin.left + margin.right + 6, size.cy + margin.top + margin.bottom + 6);
}

void CXTPToolTipContext::CRichEditToolTip::DrawContent(CDC* dc, TOOLITEM*, CRect rect)
{
    m_pRender->DrawText(dc, rect);
}

CXTPToolTipContext::CMarkupToolTip::CMarkupToolTip(CXTPToolTipContext* context) : CXTPToolTipContextToolTip(context)
{
    m_pMarkupContext = XTPMarkup::CreateContext(nullptr);
}

CXTPToolTipContext::CMarkupToolTip::~CMarkupToolTip()
{
    XTPMarkup::ReleaseElement(&m_pElement);
    XTPMarkup::ReleaseContext(&m_pMarkupContext);
}

CSize CXTPToolTipContext::CMarkupToolTip::CalcToolSize(TOOLITEM* tool)
{
    XTPMarkup::ReleaseElement(&m_pElement);
    const CString text = GetToolText(*tool);
    XTPMarkup::SetDefaults(m_pMarkupContext, m_pContext->GetFont(), m_pContext->GetTipTextColor());
    m_pElement = XTPMarkup::Parse(m_pMarkupContext, text);
    if (!m_pElement)
        return CXTPToolTipContextToolTip::CalcToolSize(tool);
    const CRect& margin = m_pContext->GetMargin();
    int maxWidth = m_pContext->GetMaxTipWidth();
    if (maxWidth == -1)
        maxWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const SIZE size = XTPMarkup::Measure(m_pElement, maxWidth - (margin.left + margin.right + 6), 0x7FFFFFFF);
    return CSize(size.cx + margin.left + margin.right + 6, size.cy + margin.top + margin.bottom + 6);
}

void CXTPToolTipContext::CMarkupToolTip::DrawContent(CDC* dc, TOOLITEM* tool, CRect rect)
{
    if (!m_pElement) {
        CXTPToolTipContextToolTip::DrawContent(dc, tool, rect);
        return;
    }
    XTPMarkup::Render(m_pElement, dc->GetSafeHdc(), &rect);
}

CSize CXTPToolTipContext::CHTMLToolTip::CalcToolSize(TOOLITEM* tool)
{
    if (m_bBrowserFailed || GetToolText(*tool).IsEmpty())
        return CSize(0, 0);
    // The browser control is made on first use; the framework's containment answers FALSE.
    CWnd browser;
    if (!browser.CreateControl(L"{8856F961-340A-11D0-A96B-00C04FD705A2}", nullptr, WS_VISIBLE | WS_CHILD,
                               CRect(0, 0, 200, 200), this, 0xE900)) {
        m_bBrowserFailed = TRUE;
        return CSize(0, 0);
    }
    browser.DestroyWindow();
    m_bBrowserFailed = TRUE;
    return CSize(0, 0);
}
