// The caption bar with real windows: a top-level frame holds a panel whose top strip is the
// caption and whose body is an edit control. Clicks and focus moves are real input (SendInput);
// the tests read back what Windows reports (parents, rectangles, visibility, button states, the
// messages the owner received) and then the pixels the caption and its button print into a DIB.

#include "framework/window/Controls.h"
#include "framework/window/Wnd.h"
#include "toolkit/foundation/XTPAuxData.h"
#include "toolkit/foundation/XTPCaption.h"
#include "toolkit/foundation/XTPCaptionTheme.h"
#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPResourceManager.h"

#include "tests/support/DibCanvas.h"
#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <typeinfo>
#include <vector>

// Rectangles in failure text as (left, top, right, bottom).
void PrintTo(const CRect& rect, std::ostream* out)
{
    *out << "(" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << ")";
}

using testsupport::DibCanvas;
using testsupport::MessageRecorder;
using testsupport::PumpUntil;

namespace {

constexpr UINT kCaptionId = 4711;
constexpr COLORREF kMagenta = RGB(255, 0, 255);

COLORREF Colour(int index) { return GetColorManager()->GetColor(index); }

bool Near(COLORREF a, COLORREF b, int tolerance = 2)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::string Hex(COLORREF colour)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%06lX", static_cast<unsigned long>(colour));
    return text;
}

// A plain window of our own class: the frame (top level) and the panel (its child).
HWND MakeWindow(HWND parent, DWORD style, int x, int y, int width, int height)
{
    static const wchar_t* className =
        AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return ::CreateWindowExW(0, className, L"caption test", style, x, y, width, height, parent, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

HWND MakeEdit(HWND parent, int x, int y, int width, int height)
{
    return ::CreateWindowExW(0, L"Edit", L"body", WS_CHILD | WS_VISIBLE, x, y, width, height, parent, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

CRect WindowRectIn(HWND window, HWND relativeTo)
{
    CRect rect;
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, relativeTo, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK CountPopup(HWND window, LPARAM counter)
{
    if (ClassOf(window) == L"XTPCaptionPopupWnd")
        ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

// Every pop-up of this thread's caption class that is a window now.
int CountPopups()
{
    int count = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CountPopup, reinterpret_cast<LPARAM>(&count));
    return count;
}

bool IsPushed(HWND button) { return (::SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }

// What a window prints of its client area (WM_PRINTCLIENT) into a DIB of its size.
std::unique_ptr<DibCanvas> Print(HWND window)
{
    CRect client;
    ::GetClientRect(window, &client);
    auto canvas = std::make_unique<DibCanvas>(std::max(1L, client.right), std::max(1L, client.bottom));
    ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas->DC()), PRF_CLIENT);
    return canvas;
}

// A 16 x 16 icon of one colour.
HICON SolidIcon(COLORREF colour)
{
    DibCanvas colourBits(16, 16);
    HBRUSH brush = ::CreateSolidBrush(colour);
    RECT all = {0, 0, 16, 16};
    ::FillRect(colourBits.DC(), &all, brush);
    ::DeleteObject(brush);
    HBITMAP colourBitmap = ::CreateCompatibleBitmap(::GetDC(nullptr), 16, 16);
    HDC memory = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(memory, colourBitmap);
    ::BitBlt(memory, 0, 0, 16, 16, colourBits.DC(), 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    std::vector<BYTE> maskBits(16 * 2, 0);    // all opaque
    HBITMAP mask = ::CreateBitmap(16, 16, 1, 1, maskBits.data());
    ICONINFO info = {TRUE, 0, 0, mask, colourBitmap};
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(mask);
    ::DeleteObject(colourBitmap);
    return icon;
}

// The frame, a panel with the caption on its top 20 pixels and an edit below it, and a second
// edit outside the panel that takes the focus away from a pop-up.
struct CaptionFixture : testing::Test {
    static constexpr int kPanelWidth = 200;
    static constexpr int kPanelHeight = 200;
    static constexpr int kCaptionHeight = 20;

    CaptionFixture()
    {
        frame = MakeWindow(nullptr, WS_POPUP | WS_VISIBLE, 60, 60, 420, 320);
        panel = MakeWindow(frame, WS_CHILD | WS_VISIBLE, 10, 10, kPanelWidth, kPanelHeight);
        body = MakeEdit(panel, 0, kCaptionHeight, kPanelWidth, kPanelHeight - kCaptionHeight);
        elsewhere = MakeEdit(frame, 260, 10, 120, 20);
        frameObject.Attach(frame);
        panelObject.Attach(panel);
        bodyObject.Attach(body);
        recorder = std::make_unique<MessageRecorder>(frame, std::initializer_list<UINT>{WM_COMMAND, WM_CAPTION_PIN,
                                                                                       WM_CAPTION_POPUP_CLOSED});
    }
    ~CaptionFixture() override
    {
        recorder.reset();
        caption.reset();
        bodyObject.Detach();
        panelObject.Detach();
        frameObject.Detach();
        ::DestroyWindow(frame);
        testsupport::PumpPending();
    }

    // A caption in pin mode over the panel, the body attached, the frame told.
    void MakePinCaption(int theme = 0)
    {
        caption = std::make_unique<CXTPCaption>();
        ASSERT_EQ(TRUE, caption->CreateCaption(&panelObject, L"Script", 0, WS_CHILD | WS_VISIBLE,
                                               CRect(0, 0, kPanelWidth, kCaptionHeight), kCaptionId));
        caption->SetTheme(theme);
        caption->AttachPopupChild(&bodyObject, &frameObject);
        PumpPending();
    }

    // The pane's area on the screen, grown as the pop-up is.
    CRect ExpectedPopupRect() const
    {
        CRect rect(0, 0, kPanelWidth, kPanelHeight);
        rect.InflateRect(2 * ::GetSystemMetrics(SM_CXEDGE), 2 * ::GetSystemMetrics(SM_CYEDGE));
        ::MapWindowPoints(panel, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    static void PumpPending() { testsupport::PumpPending(); }

    HWND frame = nullptr, panel = nullptr, body = nullptr, elsewhere = nullptr;
    CWnd frameObject, panelObject, bodyObject;
    std::unique_ptr<MessageRecorder> recorder;
    std::unique_ptr<CXTPCaption> caption;
};

} // namespace

// ---- resources ------------------------------------------------------------------------------------

TEST(CaptionResources, GlyphStripIsFourGlyphsOnMagentaAndTheTipTextIsThere)
{
    CBitmap strip;
    ASSERT_TRUE(GetResourceManager()->LoadBitmap(&strip, XTP_IDB_CAPTION_GLYPHS));
    BITMAP info = {};
    ASSERT_TRUE(::GetObjectW(strip.GetSafeHandle(), sizeof(info), &info));
    EXPECT_EQ(64, info.bmWidth);
    EXPECT_EQ(15, info.bmHeight);

    DibCanvas canvas(64, 15);
    HDC memory = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(memory, strip.GetSafeHandle());
    ::BitBlt(canvas.DC(), 0, 0, 64, 15, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    for (int glyph = 0; glyph < 4; ++glyph) {
        int drawn = 0;
        for (int y = 0; y < 15; ++y)
            for (int x = glyph * 16; x < glyph * 16 + 16; ++x)
                drawn += canvas.At(x, y) != kMagenta ? 1 : 0;
        EXPECT_GT(drawn, 10) << "glyph " << glyph;
        EXPECT_EQ(kMagenta, canvas.At(glyph * 16, 0)) << "glyph " << glyph << " corner";
    }

    EXPECT_EQ(L"Click push pin to keep open", std::wstring(GetResourceManager()->LoadString(XTP_IDS_CLICKKEEPOPEN)));
}

// ---- creation and geometry ------------------------------------------------------------------------

TEST_F(CaptionFixture, TextRectangleFollowsTextBorderAndIcon)
{
    // The width the text wants, measured as the caption does: text, one average character, 12.
    auto wanted = [](const wchar_t* text) {
        HDC screen = ::GetDC(nullptr);
        HGDIOBJ old = ::SelectObject(screen, GetAuxData().font.GetSafeHandle());
        SIZE extent = {};
        ::GetTextExtentPoint32W(screen, text, static_cast<int>(wcslen(text)), &extent);
        TEXTMETRICW metrics = {};
        ::GetTextMetricsW(screen, &metrics);
        ::SelectObject(screen, old);
        ::ReleaseDC(nullptr, screen);
        return static_cast<int>(extent.cx + metrics.tmAveCharWidth + 12);
    };
    const wchar_t* longText = L"A caption text far too long for the narrow strip it is given";
    HICON icon = SolidIcon(RGB(200, 0, 0));
    struct Row {
        const char* name;
        const wchar_t* text;
        int border;
        int width;
        bool withIcon;
        CRect expected;
    } rows[] = {
        {"no text", L"", 0, 200, false, CRect(0, 0, 0, 0)},
        {"short text", L"Files", 0, 200, false, CRect(0, 0, wanted(L"Files"), 20)},
        {"short text, border 3", L"Files", 3, 200, false, CRect(3, 3, 3 + wanted(L"Files"), 17)},
        {"long text", longText, 0, 120, false, CRect(0, 0, 120, 20)},
        {"long text beside an icon", longText, 0, 120, true, CRect(0, 0, 120 - 18, 20)},
        {"long text beside an icon, border 2", longText, 2, 120, true, CRect(2, 2, 2 + 120 - 18, 18)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CXTPCaption strip;
        ASSERT_EQ(TRUE, strip.CreateCaption(&frameObject, row.text, 0, WS_CHILD | WS_VISIBLE,
                                            CRect(0, 0, row.width, 20), kCaptionId));
        strip.ModifyCaptionStyle(row.border, nullptr, nullptr, row.withIcon ? icon : nullptr);
        EXPECT_EQ(row.expected, strip.CalcTextRect());
        // In pin mode the button takes the text's place, so an empty text leaves it empty too.
        EXPECT_EQ(row.expected, strip.CalcButtonRect());
    }
    ::DestroyIcon(icon);
}

TEST_F(CaptionFixture, CloseButtonSitsCentredAtTheRightWhateverTheHeight)
{
    for (int height : {15, 16, 20, 21, 30}) {
        SCOPED_TRACE(height);
        CXTPCaption strip;
        ASSERT_EQ(TRUE, strip.CreateCaption(&frameObject, L"Output", CPS_XTP_CLOSE, WS_CHILD | WS_VISIBLE,
                                            CRect(0, 0, 150, height), kCaptionId));
        const int inset = (height - 15) / 2;
        const CRect expected(150 - inset - 16, inset, 150 - inset, inset + 15);
        EXPECT_EQ(expected, strip.CalcButtonRect());
        // The button is moved there whenever the caption moves.
        strip.SetWindowPos(nullptr, 0, 0, 150, height, SWP_NOZORDER | SWP_NOMOVE);
        EXPECT_EQ(expected, WindowRectIn(strip.GetCaptionButton().GetSafeHwnd(), strip.GetSafeHwnd()));
        EXPECT_TRUE(strip.GetCaptionButton().IsWindowVisible());
    }
}

namespace {

// Refuses to make any button window while it lives.
struct ButtonRefusal {
    ButtonRefusal() { hook = ::SetWindowsHookExW(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId()); }
    ~ButtonRefusal() { ::UnhookWindowsHookEx(hook); }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND) {
            const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
            if (!IS_INTRESOURCE(create->lpszClass) && _wcsicmp(create->lpszClass, L"Button") == 0)
                return 1;
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook = nullptr;
};

// Keeps the close glyph the caption takes from its strip, to see what became of it.
class GlyphWatchingCaption : public CXTPCaption {
public:
    HICON glyph = nullptr;

protected:
    HICON LoadCloseGlyph() override
    {
        glyph = CXTPCaption::LoadCloseGlyph();
        return glyph;
    }
};

} // namespace

TEST_F(CaptionFixture, ACaptionWhoseButtonCannotBeMadeAnswersFalseAndLeavesNoWindow)
{
    for (DWORD style : {static_cast<DWORD>(CPS_XTP_CLOSE), static_cast<DWORD>(0)}) {
        SCOPED_TRACE(style == CPS_XTP_CLOSE ? "close mode" : "pin mode");
        CXTPCaption strip;
        BOOL created;
        {
            ButtonRefusal refusal;
            created = strip.CreateCaption(&frameObject, L"Output", style, WS_CHILD | WS_VISIBLE,
                                          CRect(0, 0, 150, 20), kCaptionId);
        }
        // Exactly FALSE: every caller tests the answer as a BOOL.
        EXPECT_EQ(FALSE, created);
        EXPECT_EQ(nullptr, strip.GetSafeHwnd());
        EXPECT_EQ(nullptr, ::GetDlgItem(frame, kCaptionId));
    }
}

TEST_F(CaptionFixture, CloseGlyphIsDestroyedOnceTheButtonHoldsItsCopy)
{
    GlyphWatchingCaption strip;
    ASSERT_EQ(TRUE, strip.CreateCaption(&frameObject, L"Output", CPS_XTP_CLOSE, WS_CHILD | WS_VISIBLE,
                                        CRect(0, 0, 150, 21), kCaptionId));
    ASSERT_NE(nullptr, strip.glyph);
    ICONINFO info = {};
    EXPECT_FALSE(::GetIconInfo(strip.glyph, &info)) << "the glyph taken from the image list is still alive";

    // The button still draws the cross from its own copy.
    auto button = Print(strip.GetCaptionButton().GetSafeHwnd());
    EXPECT_GT(button->Count(RGB(0, 0, 0)) + button->Count(RGB(0x3C, 0x3C, 0x3C)), 10);
}

// ---- close mode ------------------------------------------------------------------------------------

TEST_F(CaptionFixture, CloseModeClickSendsTheCaptionsCommandAndOpensNothing)
{
    caption = std::make_unique<CXTPCaption>();
    ASSERT_EQ(TRUE, caption->CreateCaption(&panelObject, L"Output", CPS_XTP_CLOSE, WS_CHILD | WS_VISIBLE,
                                           CRect(0, 0, kPanelWidth, kCaptionHeight), kCaptionId));
    // No child attached: the owner is the panel. Give the frame the part of owner instead.
    caption->AttachPopupChild(nullptr, &frameObject);
    ASSERT_TRUE(testsupport::BringToForeground(frame));

    HWND button = caption->GetCaptionButton().GetSafeHwnd();
    ASSERT_TRUE(testsupport::ClickCentre(button));
    ASSERT_TRUE(PumpUntil([&] { return recorder->Contains(WM_COMMAND); }));

    const auto command = recorder->Last(WM_COMMAND);
    EXPECT_EQ(MAKEWPARAM(kCaptionId, 0), command->wParam);
    EXPECT_EQ(reinterpret_cast<LPARAM>(caption->GetSafeHwnd()), command->lParam);
    EXPECT_EQ(nullptr, caption->GetPopupWnd());
    EXPECT_EQ(0, CountPopups());
}

// ---- pin mode ---------------------------------------------------------------------------------------

TEST_F(CaptionFixture, ButtonClickLiftsTheBodyIntoAPopupThatClosesWhenTheFocusLeaves)
{
    MakePinCaption();
    HWND button = caption->GetCaptionButton().GetSafeHwnd();
    ASSERT_TRUE(::IsWindowVisible(button));
    EXPECT_EQ(kCaptionHeight, caption->GetCaptionHeight());
    ASSERT_TRUE(testsupport::BringToForeground(frame));

    ASSERT_TRUE(testsupport::ClickCentre(button));
    ASSERT_TRUE(PumpUntil([&] { return caption->GetPopupWnd() && caption->GetPopupWnd()->IsWindowVisible(); }));
    CXTPCaptionPopupWnd* popup = caption->GetPopupWnd();
    HWND popupWindow = popup->GetSafeHwnd();

    EXPECT_EQ(L"XTPCaptionPopupWnd", ClassOf(popupWindow));
    EXPECT_EQ(popupWindow, ::GetParent(body));
    CRect popupRect;
    ::GetWindowRect(popupWindow, &popupRect);
    EXPECT_EQ(ExpectedPopupRect(), popupRect);
    EXPECT_TRUE(IsPushed(button));
    EXPECT_EQ(L"Click push pin to keep open", std::wstring(popup->GetPopupCaption().GetCaptionText()));

    // Layout: the caption row on top of the inner rectangle, the body below, the pin at its right.
    CRect inner;
    ::GetClientRect(popupWindow, &inner);
    inner.DeflateRect(2, 2);
    EXPECT_EQ(CRect(inner.left, inner.top, inner.right, inner.top + 19),
              WindowRectIn(popup->GetPopupCaption().GetSafeHwnd(), popupWindow));
    EXPECT_EQ(CRect(inner.left, inner.top + 19, inner.right, inner.bottom), WindowRectIn(body, popupWindow));
    EXPECT_EQ(CRect(inner.right - 2 - 16, inner.top + 2, inner.right - 2, inner.top + 2 + 15),
              WindowRectIn(popup->GetPinButton().GetSafeHwnd(), popupWindow));

    // Asking again while it shows changes nothing.
    EXPECT_EQ(TRUE, caption->ShowChildPopup());
    EXPECT_EQ(popup, caption->GetPopupWnd());
    EXPECT_EQ(1, CountPopups());

    // The focus inside the pop-up keeps it open: on the body, then on the pop-up's own caption,
    // each for a few rounds of the focus watch.
    for (HWND inside : {body, popup->GetPopupCaption().GetSafeHwnd()}) {
        ::SetFocus(inside);
        MessageRecorder ticks(popupWindow, {WM_TIMER});
        EXPECT_TRUE(PumpUntil([&] { return ticks.Count(WM_TIMER) >= 3 || !caption->GetPopupWnd(); }));
        ASSERT_EQ(popup, caption->GetPopupWnd()) << "closed with the focus on a " << ClassOf(inside);
    }

    // A click anywhere else closes it and gives the body back.
    ASSERT_TRUE(testsupport::ClickCentre(elsewhere));
    ASSERT_TRUE(PumpUntil([&] { return caption->GetPopupWnd() == nullptr; }));
    EXPECT_FALSE(::IsWindow(popupWindow));
    EXPECT_EQ(panel, ::GetParent(body));
    EXPECT_EQ(1u, recorder->Count(WM_CAPTION_POPUP_CLOSED));
    EXPECT_EQ(0u, recorder->Count(WM_CAPTION_PIN));
    // The button stays, released, so the body can be lifted again.
    EXPECT_TRUE(::IsWindowVisible(button));
    EXPECT_FALSE(IsPushed(button));
    EXPECT_EQ(TRUE, caption->ShowChildPopup());
    EXPECT_EQ(1, CountPopups());
}

TEST_F(CaptionFixture, PinPutsTheBodyBackBelowTheCaptionOfTheParentAsItIsNow)
{
    MakePinCaption();
    ASSERT_TRUE(testsupport::BringToForeground(frame));
    ASSERT_EQ(TRUE, caption->ShowChildPopup());
    CXTPCaptionPopupWnd* popup = caption->GetPopupWnd();
    ASSERT_NE(nullptr, popup);
    ASSERT_TRUE(PumpUntil([&] { return popup->IsWindowVisible(); }));
    // The panel grows while the body is away: the body comes back at the panel's new size.
    ::SetWindowPos(panel, nullptr, 0, 0, kPanelWidth + 40, kPanelHeight + 30, SWP_NOMOVE | SWP_NOZORDER);

    ASSERT_TRUE(testsupport::ClickCentre(popup->GetPinButton().GetSafeHwnd()));
    ASSERT_TRUE(PumpUntil([&] { return caption->GetPopupWnd() == nullptr; }));

    EXPECT_EQ(panel, ::GetParent(body));
    EXPECT_EQ(CRect(0, kCaptionHeight, kPanelWidth + 40, kPanelHeight + 30), WindowRectIn(body, panel));
    EXPECT_EQ(1u, recorder->Count(WM_CAPTION_PIN));
    EXPECT_EQ(0u, recorder->Count(WM_CAPTION_POPUP_CLOSED));
    EXPECT_FALSE(caption->GetCaptionButton().IsWindowVisible());
    EXPECT_EQ(0, CountPopups());
}

TEST_F(CaptionFixture, PopupGrowsWithTheGrandparent)
{
    MakePinCaption();
    CRect frameRect;
    ::GetWindowRect(frame, &frameRect);
    ::SetWindowPos(frame, nullptr, 0, 0, frameRect.Width(), frameRect.Height() + 30, SWP_NOMOVE | SWP_NOZORDER);

    ASSERT_EQ(TRUE, caption->ShowChildPopup());
    CRect popupRect;
    caption->GetPopupWnd()->GetWindowRect(&popupRect);
    CRect expected = ExpectedPopupRect();
    expected.bottom += 30;
    EXPECT_EQ(expected, popupRect);
}

TEST_F(CaptionFixture, PopupIsNotMadeWhenTheGrandparentIsGone)
{
    MakePinCaption();
    // The panel moves to another frame and the old one goes: the kept grandparent is no window.
    HWND otherFrame = MakeWindow(nullptr, WS_POPUP | WS_VISIBLE, 500, 60, 300, 300);
    ::SetParent(panel, otherFrame);
    recorder.reset();
    frameObject.Detach();
    ::DestroyWindow(frame);
    frame = otherFrame;
    frameObject.Attach(frame);

    EXPECT_EQ(FALSE, caption->ShowChildPopup());
    EXPECT_EQ(nullptr, caption->GetPopupWnd());
    EXPECT_EQ(0, CountPopups());
    EXPECT_EQ(panel, ::GetParent(body));
    EXPECT_TRUE(::IsWindowVisible(body));
}

TEST_F(CaptionFixture, ThemeMessageReachesCaptionButtonAndPopup)
{
    MakePinCaption();
    EXPECT_EQ(0, caption->SendMessage(WM_CONTROL_SET_THEME, 5, 0));
    EXPECT_EQ(5, caption->GetThemeNumber());
    EXPECT_NE(nullptr, dynamic_cast<CXTPCaptionThemeOffice2003*>(caption->GetTheme()));
    EXPECT_NE(nullptr, dynamic_cast<CXTPCaptionButtonThemeOffice2003*>(caption->GetCaptionButton().GetTheme()));

    ASSERT_EQ(TRUE, caption->ShowChildPopup());
    CXTPCaptionPopupWnd* popup = caption->GetPopupWnd();
    EXPECT_EQ(5, popup->GetPopupCaption().GetThemeNumber());
    EXPECT_NE(nullptr, dynamic_cast<CXTPCaptionButtonThemeOffice2003*>(popup->GetPinButton().GetTheme()));

    // Numbers other than 4 and 5 are the plain look.
    caption->SendMessage(WM_CONTROL_SET_THEME, 2, 0);
    EXPECT_EQ(0, caption->GetThemeNumber());
    EXPECT_EQ(typeid(CXTPCaptionButtonTheme), typeid(*caption->GetCaptionButton().GetTheme()));
}

TEST_F(CaptionFixture, ColoursSetByTheCallerSurviveASystemColourChange)
{
    MakePinCaption();
    caption->SetCaptionColors(RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9));
    caption->SendMessage(WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(RGB(1, 2, 3), caption->GetBackgroundColor());
    EXPECT_EQ(RGB(4, 5, 6), caption->GetInnerColor());
    EXPECT_EQ(RGB(7, 8, 9), caption->GetCaptionTextColor());
}

// ---- looks ------------------------------------------------------------------------------------------

namespace {

struct CaptionLookFixture : CaptionFixture {
    static constexpr COLORREF kBackground = RGB(120, 20, 20);
    static constexpr COLORREF kInner = RGB(20, 120, 20);
    static constexpr COLORREF kText = RGB(20, 20, 220);

    std::unique_ptr<CXTPCaption> Make(DWORD captionStyle, int theme, int width = 160, int height = 24,
                                      const wchar_t* text = L"Registry")
    {
        auto strip = std::make_unique<CXTPCaption>();
        EXPECT_EQ(TRUE, strip->CreateCaption(&frameObject, text, captionStyle, WS_CHILD | WS_VISIBLE,
                                             CRect(0, 0, width, height), kCaptionId));
        strip->SetTheme(theme);
        strip->SetCaptionColors(kBackground, kInner, kText);
        return strip;
    }
};

} // namespace

TEST_F(CaptionLookFixture, PlainCaptionFramesByStyleBits)
{
    const COLORREF shadow = Colour(COLOR_3DSHADOW), light = Colour(COLOR_3DHIGHLIGHT);
    struct Row {
        const char* name;
        DWORD style;
        COLORREF outerTopLeft, outerBottomRight, at11;
    } rows[] = {
        {"sunken", CPS_XTP_SUNKEN, shadow, light, light},
        {"sunken wins over raised", CPS_XTP_SUNKEN | CPS_XTP_RAISED, shadow, light, light},
        {"raised", CPS_XTP_RAISED, light, shadow, kInner},
        {"no frame", 0, kInner, kInner, kInner},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto strip = Make(row.style, 0, 160, 24, L"");
        auto image = Print(strip->GetSafeHwnd());
        EXPECT_EQ(Hex(row.outerTopLeft), Hex(image->At(0, 0)));
        EXPECT_EQ(Hex(row.outerBottomRight), Hex(image->At(159, 23)));
        EXPECT_EQ(Hex(row.at11), Hex(image->At(1, 1)));
        EXPECT_EQ(Hex(kInner), Hex(image->At(80, 12)));
    }
}

TEST_F(CaptionLookFixture, CaptionTextAndIconLandWhereTheyBelong)
{
    auto strip = Make(0, 0, 160, 24);
    const CRect textRect = strip->CalcTextRect();
    auto image = Print(strip->GetSafeHwnd());
    int inside = 0, outside = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 160; ++x)
            (textRect.PtInRect(CPoint(x, y)) ? inside : outside) += image->At(x, y) == kText ? 1 : 0;
    EXPECT_GT(inside, 5);
    EXPECT_EQ(0, outside);

    // The icon is drawn whole at the right, or not at all.
    HICON icon = SolidIcon(RGB(250, 0, 0));
    struct Row {
        int width, border;
        bool drawn;
        int x;
    } rows[] = {{160, 0, true, 160 - 16 - 2}, {160, 3, true, 160 - 3 - 16 - 2}, {17, 0, true, 0},
                {16, 0, false, 0},           {20, 2, false, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "width " << row.width << ", border " << row.border);
        auto withIcon = Make(0, 0, row.width, 24, L"");
        withIcon->ModifyCaptionStyle(row.border, nullptr, nullptr, icon);
        auto shot = Print(withIcon->GetSafeHwnd());
        EXPECT_EQ(row.drawn ? 16 * 16 : 0, shot->Count(RGB(250, 0, 0)));
        if (row.drawn) {
            EXPECT_EQ(RGB(250, 0, 0), shot->At(row.x, (24 - 16) / 2));
            EXPECT_EQ(RGB(250, 0, 0), shot->At(row.x + 15, (24 - 16) / 2 + 15));
        }
    }
    ::DestroyIcon(icon);
}

TEST_F(CaptionLookFixture, OfficeCaptionBackgrounds)
{
    CXTPColorManager* colors = GetColorManager();
    {
        SCOPED_TRACE("Office XP, close mode: background and a light/shadow frame");
        auto strip = Make(CPS_XTP_CLOSE, 4, 160, 24, L"");
        auto image = Print(strip->GetSafeHwnd());
        EXPECT_EQ(Hex(Colour(COLOR_3DHIGHLIGHT)), Hex(image->At(0, 0)));
        EXPECT_EQ(Hex(Colour(COLOR_3DSHADOW)), Hex(image->At(159, 23)));
        EXPECT_EQ(Hex(kBackground), Hex(image->At(40, 12)));
    }
    {
        SCOPED_TRACE("Office XP, pin mode: background, inner fill inside the border");
        auto strip = Make(0, 4, 160, 24, L"");
        strip->ModifyCaptionStyle(3);
        auto image = Print(strip->GetSafeHwnd());
        EXPECT_EQ(Hex(kBackground), Hex(image->At(2, 2)));
        EXPECT_EQ(Hex(kInner), Hex(image->At(3, 3)));
        EXPECT_EQ(Hex(kInner), Hex(image->At(156, 20)));
    }
    {
        SCOPED_TRACE("Office 2003, close mode: toolbar gradient and a line at the bottom");
        auto strip = Make(CPS_XTP_CLOSE, 5, 160, 24, L"");
        auto image = Print(strip->GetSafeHwnd());
        EXPECT_TRUE(Near(colors->Gradient(3).clrLight.GetEffective(), image->At(40, 0)))
            << Hex(image->At(40, 0));
        EXPECT_EQ(Hex(Colour(54)), Hex(image->At(40, 23)));
        EXPECT_NE(Hex(Colour(54)), Hex(image->At(0, 10)));
    }
    {
        SCOPED_TRACE("Office 2003, pin mode: caption gradient framed on all sides");
        auto strip = Make(0, 5, 160, 24, L"");
        auto image = Print(strip->GetSafeHwnd());
        for (POINT at : {POINT{0, 0}, POINT{159, 23}, POINT{0, 12}, POINT{80, 0}, POINT{159, 12}})
            EXPECT_EQ(Hex(Colour(54)), Hex(image->At(at.x, at.y))) << at.x << "," << at.y;
        EXPECT_TRUE(Near(colors->Gradient(0).clrLight.GetEffective(), image->At(40, 1), 6)) << Hex(image->At(40, 1));
    }
}

TEST_F(CaptionLookFixture, IdleCaptionButtonsBlendIntoTheirCaption)
{
    {
        SCOPED_TRACE("plain and Office XP: the caption's inner colour");
        for (int theme : {0, 4}) {
            auto strip = Make(CPS_XTP_CLOSE, theme);
            auto image = Print(strip->GetCaptionButton().GetSafeHwnd());
            EXPECT_EQ(Hex(kInner), Hex(image->At(0, 0))) << "theme " << theme;
        }
        // Without a caption the plain look has its own back colour.
        CXTPCaptionButton loose;
        ASSERT_TRUE(loose.Create(L"", WS_CHILD | WS_VISIBLE | BS_ICON, CRect(200, 100, 216, 115), &frameObject, 100));
        loose.SetTheme(0);
        auto image = Print(loose.GetSafeHwnd());
        EXPECT_EQ(Hex(Colour(COLOR_BTNFACE)), Hex(image->At(0, 0)));
    }
    {
        SCOPED_TRACE("Office 2003: the caption's gradient where the caption has it");
        auto strip = Make(CPS_XTP_CLOSE, 5, 160, 40, L"");
        HWND button = strip->GetCaptionButton().GetSafeHwnd();
        const CRect place = WindowRectIn(button, strip->GetSafeHwnd());
        auto captionImage = Print(strip->GetSafeHwnd());
        auto buttonImage = Print(button);
        // The left-most column of the button carries no glyph.
        for (int y = 0; y < place.Height(); ++y)
            EXPECT_TRUE(Near(captionImage->At(place.left, place.top + y), buttonImage->At(0, y), 1))
                << "row " << y << ": caption " << Hex(captionImage->At(place.left, place.top + y)) << ", button "
                << Hex(buttonImage->At(0, y));
    }
}

TEST_F(CaptionLookFixture, PressedCaptionButtonsShowTheirOwnFace)
{
    struct Row {
        int theme;
        COLORREF topLeft, bottomRight, fill;
    } rows[] = {
        {0, Colour(COLOR_3DSHADOW), Colour(COLOR_3DHIGHLIGHT), Colour(COLOR_BTNFACE)},
        {4, Colour(32), Colour(32), Colour(33)},
        {5, GetColorManager()->GetLunaColor(32), GetColorManager()->GetLunaColor(32),
         GetColorManager()->Gradient(8).clrLight.GetEffective()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "theme " << row.theme);
        auto strip = Make(CPS_XTP_CLOSE, row.theme);
        HWND button = strip->GetCaptionButton().GetSafeHwnd();
        ::SendMessageW(button, BM_SETSTATE, 1, 0);
        auto image = Print(button);
        EXPECT_EQ(Hex(row.topLeft), Hex(image->At(0, 0)));
        EXPECT_EQ(Hex(row.bottomRight), Hex(image->At(15, 14)));
        EXPECT_TRUE(Near(row.fill, image->At(1, 1), 6)) << Hex(image->At(1, 1));
    }
}

TEST_F(CaptionLookFixture, CaptionButtonTextFollowsCaptionAndState)
{
    auto strip = Make(0, 0);
    strip->AttachPopupChild(nullptr, nullptr);
    CXTPCaptionButton& button = strip->GetCaptionButton();
    auto* theme = dynamic_cast<CXTPCaptionButtonTheme*>(button.GetTheme());
    ASSERT_NE(nullptr, theme);

    // The caption's text over the button, in the caption's text colour while idle.
    DibCanvas canvas(160, 24);
    theme->DrawCaptionButtonText(CDC::FromHandle(canvas.DC()), &button);
    EXPECT_GT(canvas.Count(kText), 5);

    EXPECT_EQ(Hex(kText), Hex(theme->GetTextColor(&button)));
    button.SendMessage(BM_SETSTATE, 1, 0);
    EXPECT_EQ(Hex(Colour(COLOR_BTNTEXT)), Hex(theme->GetTextColor(&button)));
    button.SendMessage(BM_SETSTATE, 0, 0);
    button.EnableWindow(FALSE);
    EXPECT_EQ(Hex(Colour(COLOR_GRAYTEXT)), Hex(theme->GetTextColor(&button)));

    // A close-mode caption has no text button to write on.
    auto closing = Make(CPS_XTP_CLOSE, 0);
    DibCanvas empty(160, 24);
    theme->DrawCaptionButtonText(CDC::FromHandle(empty.DC()), &closing->GetCaptionButton());
    EXPECT_EQ(160 * 24, empty.Count(RGB(255, 255, 255)));
}

TEST_F(CaptionFixture, UpdateCaptionNowGivesTheButtonTheNewTextAndPlace)
{
    MakePinCaption();
    caption->UpdateCaptionNow(L"A longer script caption", nullptr);
    EXPECT_EQ(L"A longer script caption", std::wstring(caption->GetCaptionText()));
    HWND button = caption->GetCaptionButton().GetSafeHwnd();
    EXPECT_EQ(L"A longer script caption", testsupport::WindowText(button));
    EXPECT_EQ(caption->CalcTextRect(), WindowRectIn(button, caption->GetSafeHwnd()));
}
