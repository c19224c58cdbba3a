// Drop shadows of popups: layered alpha windows, or solid strips where layering is missing.

#include "toolkit/foundation/XTPShadowManager.h"

#include "framework/window/Dc.h"
#include "toolkit/foundation/XTPColorManager.h"

#include <algorithm>

namespace {

DWORD ShadowPixel(int alpha, double factor, COLORREF color)
{
    const auto channel = [factor](int value) { return static_cast<DWORD>(static_cast<int>(factor * value)) & 0xFF; };
    return (static_cast<DWORD>(alpha & 0xFF) << 24) | (channel(GetRValue(color)) << 16) |
           (channel(GetGValue(color)) << 8) | channel(GetBValue(color));
}

BOOL SystemDropShadowsOn()
{
    BOOL on = FALSE;
    if (!::SystemParametersInfoW(SPI_GETDROPSHADOW, 0, &on, 0))
        return FALSE;
    return on;
}

} // namespace

// ---- the manager ---------------------------------------------------------------------------------

CXTPShadowManager::CXTPShadowManager()
{
    if (HMODULE user32 = ::GetModuleHandleW(L"USER32"))
        m_pfnUpdateLayeredWindow =
            reinterpret_cast<PFNXTPUPDATELAYEREDWINDOW>(
                reinterpret_cast<void*>(::GetProcAddress(user32, "UpdateLayeredWindow")));
    m_bUseLayered = CanUseLayeredShadows();
}

CXTPShadowManager::~CXTPShadowManager()
{
    m_bDestroying = TRUE;
    while (!m_shadows.IsEmpty())
        DestroyShadow(static_cast<CShadowWnd*>(m_shadows.GetHead()));
}

BOOL CXTPShadowManager::CanUseLayeredShadows() const
{
    return m_pfnUpdateLayeredWindow != nullptr && !CXTPColorManager::IsLowColorDisplay(nullptr);
}

void CXTPShadowManager::SetShadowForWindow(CWnd* popup, const RECT& exclude, UINT_PTR key)
{
    if (!popup || !::IsWindow(popup->GetSafeHwnd()))
        return;
    if (!(m_nOptions & xtpShadowAlways) && !(m_bUseLayered && SystemDropShadowsOn()))
        return;
    CRect rect;
    popup->GetWindowRect(&rect);
    CreateShadow(kBottom, rect, exclude, popup->GetSafeHwnd(), FALSE, key);
    CreateShadow(kRight, rect, exclude, popup->GetSafeHwnd(), FALSE, key);
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    if (::GetWindowRgn(popup->GetSafeHwnd(), region) == COMPLEXREGION)
        CreateShadow(kCorner, rect, exclude, popup->GetSafeHwnd(), FALSE, key);
    ::DeleteObject(region);
}

void CXTPShadowManager::SetShadowForRect(int left, int top, int right, int bottom, CWnd* owner)
{
    if ((m_nOptions & 3) != 3)
        return;
    const CRect rect(left, top, right, bottom);
    const CRect empty(0, 0, 0, 0);
    const HWND hOwner = owner ? owner->GetSafeHwnd() : nullptr;
    CreateShadow(kBottom, rect, empty, hOwner, TRUE, 0);
    CreateShadow(kRight, rect, empty, hOwner, TRUE, 0);
}

CXTPShadowManager::CShadowWnd* CXTPShadowManager::CreateShadow(int kind, const RECT& ownerRect, const RECT& exclude,
                                                               HWND owner, BOOL forRect, UINT_PTR key)
{
    auto* shadow = new CShadowWnd(this, owner, key, forRect);
    if (!shadow->Create(kind, ownerRect.left, ownerRect.top, ownerRect.right, ownerRect.bottom)) {
        delete shadow;
        return nullptr;
    }
    shadow->AdjustToNeighbours(m_shadows);
    m_shadows.AddTail(shadow);

    if (m_nOptions & xtpShadowExclude)
        shadow->ExcludeRect(exclude);
    POSITION pos = m_shadows.GetHeadPosition();
    while (pos) {
        auto* other = static_cast<CShadowWnd*>(m_shadows.GetNext(pos));
        if (other == shadow || other->m_nKey != key || !other->m_hOwner)
            continue;
        if (kind == kCorner && other->m_hOwner == owner)
            continue;
        CRect ownerWindow;
        if (::GetWindowRect(other->m_hOwner, &ownerWindow))
            shadow->ExcludeRect(ownerWindow);
    }

    const bool topmost = owner && (::GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    ::SetWindowPos(shadow->m_hWnd, topmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
    if (owner)
        GetHookManager()->SetHook(owner, shadow);
    return shadow;
}

void CXTPShadowManager::RemoveShadows(HWND owner)
{
    POSITION pos = m_shadows.GetHeadPosition();
    while (pos) {
        auto* shadow = static_cast<CShadowWnd*>(m_shadows.GetNext(pos));
        if (shadow->m_hOwner != owner)
            continue;
        GetHookManager()->RemoveHook(owner, shadow);
        DestroyShadow(shadow);
        pos = m_shadows.GetHeadPosition();    // the list changed under the walk
    }
}

void CXTPShadowManager::DestroyShadow(CShadowWnd* shadow)
{
    if (!shadow)
        return;
    if (shadow->m_hWnd)
        ::ShowWindow(shadow->m_hWnd, SW_HIDE);
    if (shadow->m_hOwner)
        GetHookManager()->RemoveHook(shadow->m_hOwner, shadow);
    shadow->m_hOwner = nullptr;
    if (POSITION pos = m_shadows.Find(shadow))
        m_shadows.RemoveAt(pos);
    if (shadow->m_hWnd)
        shadow->DestroyWindow();
    delete shadow;
}

void CXTPShadowManager::OffsetShadows(HWND owner, int dx, int dy)
{
    const bool rtl = owner && (::GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    POSITION pos = m_shadows.GetHeadPosition();
    while (pos) {
        auto* shadow = static_cast<CShadowWnd*>(m_shadows.GetNext(pos));
        if (shadow->m_hOwner != owner || !shadow->m_hWnd || shadow->m_bForRect)
            continue;
        if (shadow->m_bHasRegion) {
            ::SetWindowRgn(shadow->m_hWnd, nullptr, FALSE);
            shadow->m_bHasRegion = FALSE;
        }
        CRect rect;
        ::GetWindowRect(shadow->m_hWnd, &rect);
        int x = rect.left, y = rect.top, cx = rect.Width(), cy = rect.Height();
        switch (shadow->m_nKind) {
        case kBottom:
            y += dy;
            cx += dx;
            if (rtl)
                x -= dx;
            break;
        case kRight:
            cy += dy;
            if (!rtl)
                x += dx;
            break;
        default:
            y += dy;
            if (!rtl)
                x += dx;
            break;
        }
        ::SetWindowPos(shadow->m_hWnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
}

void CXTPShadowManager::FillShadowPixels(DWORD* bits, int cx, int cy, int kind, COLORREF color, int options)
{
    if (!bits || cx <= 0 || cy <= 0)
        return;
    const bool always = (options & xtpShadowAlways) != 0;
    const int s = always ? 3 : 6;
    const int m = always ? 1 : 2;
    const auto at = [&](int x, int y) -> DWORD& { return bits[static_cast<size_t>(y) * cx + x]; };

    if (kind == kCorner) {
        bits[0] = ShadowPixel(60 * m, 1.0, color);
        return;
    }
    if (kind == kBottom) {
        const int rows = std::min(cy, 4);
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < 4 && x < cx; ++x) {
                const int v = (x + 1) * (y + 1);
                const DWORD pixel = ShadowPixel(v * s, v / 20.0, color);
                at(x, y) = pixel;
                at(cx - 1 - x, y) = pixel;
            }
            if (cx > 8) {
                const DWORD pixel = ShadowPixel(15 * m * (y + 1), (y + 1) / 4.0, color);
                for (int x = 4; x <= cx - 5; ++x)
                    at(x, y) = pixel;
            }
        }
        return;
    }
    // Right shadow: the top corner, then the straight part below it.
    const int cols = std::min(cx, 4);
    for (int c = 0; c < cols; ++c) {
        for (int j = 0; j < 4 && j < cy; ++j) {
            const int v = (4 - c) * (j + 1);
            at(c, cy - 1 - j) = ShadowPixel(v * s, v / 20.0, color);
        }
        const DWORD pixel = ShadowPixel(15 * m * (4 - c), (4 - c) / 4.0, color);
        for (int y = 0; y < cy - 4; ++y)
            at(c, y) = pixel;
    }
}

// ---- the shadow window -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CXTPShadowManager::CShadowWnd, CWnd)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_NCHITTEST()
END_MESSAGE_MAP()

CXTPShadowManager::CShadowWnd::CShadowWnd(CXTPShadowManager* manager, HWND owner, UINT_PTR key, BOOL forRect)
    : m_hOwner(owner), m_nKey(key), m_bForRect(forRect), m_pManager(manager)
{
    ::InterlockedIncrement(&m_pManager->m_dwRef);
}

CXTPShadowManager::CShadowWnd::~CShadowWnd()
{
    if (m_hWnd)
        DestroyWindow();
    if (!m_pManager->m_bDestroying)
        m_pManager->InternalRelease();
}

BOOL CXTPShadowManager::CShadowWnd::Create(int kind, int left, int top, int right, int bottom)
{
    if (!m_hWnd) {
        const wchar_t* className = AfxRegisterWndClass(m_pManager->m_bClassStyles ? CS_SAVEBITS | CS_OWNDC : 0,
                                                       ::LoadCursorW(nullptr, IDC_ARROW));
        const DWORD exStyle = m_pManager->m_bUseLayered ? WS_EX_TOOLWINDOW | WS_EX_LAYERED : WS_EX_TOOLWINDOW;
        const HWND parent = m_hOwner ? ::GetParent(m_hOwner) : nullptr;
        if (!CreateEx(exStyle, className, nullptr, WS_POPUP, 0, 0, 0, 0, parent, nullptr))
            return FALSE;
    }
    ::SetWindowRgn(m_hWnd, nullptr, FALSE);
    m_bHasRegion = FALSE;
    m_nKind = kind;

    const int w = m_pManager->m_bUseLayered ? 4 : 2;
    CRect rect;
    switch (kind) {
    case kCorner: rect.SetRect(right - 1, bottom - 1, right, bottom); break;
    case kBottom: rect.SetRect(left + w, bottom, right + w, bottom + w); break;
    default: rect.SetRect(right, top + w, right + w, bottom); break;
    }
    ::SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    return TRUE;
}

BOOL CXTPShadowManager::CShadowWnd::ExcludeRect(const RECT& rect)
{
    CRect window;
    GetWindowRect(&window);
    CRect overlap;
    if (!overlap.IntersectRect(&window, &rect))
        return TRUE;
    overlap.OffsetRect(-window.left, -window.top);
    HRGN region = ::CreateRectRgn(0, 0, window.Width(), window.Height());
    HRGN cut = ::CreateRectRgnIndirect(&overlap);
    ::CombineRgn(region, region, cut, RGN_DIFF);
    ::DeleteObject(cut);
    if (!::SetWindowRgn(m_hWnd, region, FALSE))
        ::DeleteObject(region);
    m_bHasRegion = TRUE;
    return TRUE;
}

void CXTPShadowManager::CShadowWnd::AdjustToNeighbours(CPtrList& shadows)
{
    CRect a;
    GetWindowRect(&a);
    const bool bottomLike = m_nKind == kBottom || m_nKind == kCorner;
    POSITION pos = shadows.GetHeadPosition();
    while (pos) {
        auto* other = static_cast<CShadowWnd*>(shadows.GetNext(pos));
        if (other == this || !other->m_hWnd)
            continue;
        const bool otherBottomLike = other->m_nKind == kBottom || other->m_nKind == kCorner;
        if (bottomLike == otherBottomLike)
            continue;
        CRect b;
        other->GetWindowRect(&b);
        if (bottomLike) {
            if (b.right == a.left + 1 && b.top < a.top && a.bottom < b.bottom) {
                a.left = a.left - 2 * b.Width() - 1;
                ::SetWindowPos(m_hWnd, nullptr, a.left, a.top, a.Width(), a.Height(),
                               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
            }
        } else if (b.bottom == a.top + 1 && b.left < a.right && a.right < b.right) {
            a.top = a.top - 2 * b.Height();
            ::SetWindowPos(m_hWnd, nullptr, a.left, a.top, a.Width(), a.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        }
    }
}

int CXTPShadowManager::CShadowWnd::OnHookMessage(HWND, UINT nMessage, WPARAM& wParam, LPARAM&, LRESULT&)
{
    if (nMessage == WM_SHOWWINDOW) {
        if (wParam == 0)
            ::ShowWindow(m_hWnd, SW_HIDE);
        else if (wParam == 1)
            ::ShowWindow(m_hWnd, SW_SHOWNA);
    } else if (nMessage == WM_DESTROY) {
        CXTPShadowManager* manager = m_pManager;
        GetHookManager()->RemoveHook(m_hOwner, this);
        manager->DestroyShadow(this);    // deletes this object: nothing of it is touched after
    }
    return 0;
}

BOOL CXTPShadowManager::CShadowWnd::OnEraseBkgnd(CDC*) { return TRUE; }

LRESULT CXTPShadowManager::CShadowWnd::OnNcHitTest(CPoint) { return HTTRANSPARENT; }

void CXTPShadowManager::CShadowWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    CRect client;
    GetClientRect(&client);
    const COLORREF fill = m_pManager->m_bUseLayered ? RGB(0, 0, 0) : GetColorManager()->GetColor(COLOR_BTNSHADOW);
    ::SetBkColor(dc, fill);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    ::EndPaint(m_hWnd, &ps);
}

void CXTPShadowManager::CShadowWnd::OnSize(UINT, int cx, int cy)
{
    if (!m_pManager->m_bUseLayered || !m_pManager->m_pfnUpdateLayeredWindow || !m_hOwner || cx <= 0 || cy <= 0)
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        std::fill_n(static_cast<DWORD*>(bits), static_cast<size_t>(cx) * cy, 0u);
        FillShadowPixels(static_cast<DWORD*>(bits), cx, cy, m_nKind, m_pManager->m_clrShadow, m_pManager->m_nOptions);
        HDC memory = ::CreateCompatibleDC(screen);
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        SIZE size{cx, cy};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        m_pManager->m_pfnUpdateLayeredWindow(m_hWnd, nullptr, nullptr, &size, memory, &source, 0, &blend, ULW_ALPHA);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
    }
    if (bitmap)
        ::DeleteObject(bitmap);
    ::ReleaseDC(nullptr, screen);
}
