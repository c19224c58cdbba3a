#include "app/StartPage.h"

#include "framework/window/Dc.h"

const wchar_t* const CStartPage::kWelcome = L"Welcome to Tarnwick";
const wchar_t* const CStartPage::kHeading = L"What is Tarnwick?";
const wchar_t* const CStartPage::kDescription =
    L"Tarnwick quickly converts setup executable (exe) packages to the Windows Installer package (MSI). "
    L"The built-in script recorder allows you effectively automate the software installation process. "
    L"You can create an unattended installation package with just a few clicks. A single MSI package can "
    L"contain multiple applications.";
const wchar_t* const CStartPage::kLinkText = L"Click here to start New Project Wizard";

namespace {

constexpr COLORREF kTextColour = RGB(0x63, 0x63, 0x63);
constexpr COLORREF kLinkColour = RGB(0x00, 0xA4, 0xDB);
constexpr COLORREF kBorderColour = RGB(0x76, 0x76, 0x76);
constexpr int kBoxWidth = 512;       // the description box's widest, in pixels

HWND MakeStatic(HWND parent, const wchar_t* text, DWORD style, int id)
{
    return ::CreateWindowExW(0, L"Static", text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
}

SIZE TextExtent(HWND control, int width)
{
    wchar_t text[1024] = {};
    ::GetWindowTextW(control, text, 1024);
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT rect{0, 0, width, 0};
    ::DrawTextW(dc, text, -1, &rect, DT_CALCRECT | DT_WORDBREAK);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return {rect.right, rect.bottom};
}

} // namespace

BEGIN_MESSAGE_MAP(CStartPage, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_WM_SETCURSOR()
    ON_MESSAGE(WM_CTLCOLORSTATIC, OnCtlColorStatic)
END_MESSAGE_MAP()

BOOL CStartPage::CreatePage(CWnd* parent, const RECT& rect, UINT id)
{
    const wchar_t* className = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    return CreateEx(0, className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, parent->m_hWnd,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

int CStartPage::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    m_welcomeFont.CreatePointFont(150, L"Tahoma");
    LOGFONTW bold{};
    bold.lfHeight = -11;
    bold.lfWeight = FW_BOLD;
    wcscpy_s(bold.lfFaceName, L"Tahoma");
    m_headingFont.CreateFontIndirect(&bold);
    bold.lfWeight = FW_NORMAL;
    m_textFont.CreateFontIndirect(&bold);
    bold.lfHeight = -16;
    bold.lfUnderline = TRUE;
    m_linkFont.CreateFontIndirect(&bold);

    m_welcome = MakeStatic(m_hWnd, kWelcome, SS_CENTER | SS_NOPREFIX, 0xFFFF);
    m_heading = MakeStatic(m_hWnd, kHeading, SS_LEFT | SS_NOPREFIX, 0xFFFF);
    m_description = MakeStatic(m_hWnd, kDescription, SS_LEFT | SS_NOPREFIX, 0xFFFF);
    m_link = MakeStatic(m_hWnd, kLinkText, SS_CENTER | SS_NOTIFY | SS_NOPREFIX, kLinkId);
    ::SendMessageW(m_welcome, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_welcomeFont)), FALSE);
    ::SendMessageW(m_heading, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_headingFont)), FALSE);
    ::SendMessageW(m_description, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_textFont)), FALSE);
    ::SendMessageW(m_link, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_linkFont)), FALSE);
    Layout(lpCreateStruct->cx, lpCreateStruct->cy);
    return 0;
}

void CStartPage::Layout(int cx, int cy)
{
    if (!m_welcome)
        return;
    const int boxWidth = cx - 40 < kBoxWidth ? (cx - 40 > 100 ? cx - 40 : 100) : kBoxWidth;
    const int left = (cx - boxWidth) / 2;
    int y = 25;
    ::MoveWindow(m_welcome, 0, y, cx, 30, TRUE);
    y += 30 + 20;
    m_box = {left, y, left + boxWidth, y};
    y += 4;     // the box's padding
    ::MoveWindow(m_heading, left + 5, y, boxWidth - 10, 16, TRUE);
    y += 16 + 6;
    const int textWidth = boxWidth - 8 - 9 - 30;
    const int textHeight = TextExtent(m_description, textWidth).cy;
    ::MoveWindow(m_description, left + 4 + 9, y, textWidth, textHeight, TRUE);
    y += textHeight + 7 + 4;
    m_box.bottom = y;
    y += 10;
    // the link takes the width of its text, so only the text answers the mouse
    const SIZE link = TextExtent(m_link, cx);
    const int linkY = y > (cy - link.cy) / 2 ? y : (cy - link.cy) / 2;
    ::MoveWindow(m_link, (cx - link.cx) / 2, linkY, link.cx, link.cy, TRUE);
    Invalidate();
}

void CStartPage::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    Layout(cx, cy);
}

BOOL CStartPage::OnEraseBkgnd(CDC* pDC)
{
    RECT client{};
    GetClientRect(&client);
    ::FillRect(pDC->m_hDC, &client, ::GetSysColorBrush(COLOR_WINDOW));
    HBRUSH border = ::CreateSolidBrush(kBorderColour);
    ::FrameRect(pDC->m_hDC, &m_box, border);
    ::DeleteObject(border);
    return TRUE;
}

LRESULT CStartPage::OnCtlColorStatic(WPARAM wParam, LPARAM lParam)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    const HWND control = reinterpret_cast<HWND>(lParam);
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    ::SetTextColor(dc, control == m_link ? kLinkColour : control == m_welcome ? ::GetSysColor(COLOR_WINDOWTEXT)
                                                                              : kTextColour);
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
}

BOOL CStartPage::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd->m_hWnd == m_link) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

BOOL CStartPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == kLinkId && HIWORD(wParam) == STN_CLICKED) {
        if (m_onNewProject)
            m_onNewProject();
        return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
}
