// Tooltips with a real host window and real input: the host passes its mouse messages to a tooltip
// context, and the pointer is moved and clicked through SendInput. Assertions read what Windows
// reports (visibility, rectangles, regions) first, then a few pixels of the tip.

#include "framework/window/Wnd.h"
#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/foundation/XTPMonitorApi.h"
#include "toolkit/foundation/XTPMarkupServices.h"
#include "toolkit/foundation/XTPToolTipContext.h"

#include "tests/support/GuiSupport.h"
#include "tests/support/TestSupport.h"
#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using testsupport::MovePointerTo;
using testsupport::PumpUntil;

namespace {

struct Tool {
    UINT id;
    CRect rect;
    std::wstring text;
    std::wstring title;
    std::wstring description;
};

// A window with tools at fixed rectangles; every mouse and key message goes to the context.
class TipHost : public CWnd {
public:
    TipHost(CXTPToolTipContext* context, std::vector<Tool> tools) : m_context(context), m_tools(std::move(tools)) {}

    INT_PTR OnToolHitTest(CPoint point, tagTOOLINFOW* ti) const override
    {
        for (const Tool& tool : m_tools) {
            if (!tool.rect.PtInRect(point))
                continue;
            CXTPToolTipContext::SetToolInfoEx(ti, m_hWnd, tool.id, tool.rect,
                                              tool.text.empty() ? LPSTR_TEXTCALLBACKW : tool.text.c_str(),
                                              tool.title.c_str(), tool.description.c_str(), m_itemData);
            ti->uFlags |= TTF_ALWAYSTIP;
            return tool.id;
        }
        return -1;
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
            message == WM_MOUSELEAVE) {
            const DWORD start = ::GetTickCount();
            m_context->RelayMouseMessage(this, message, wParam, lParam);
            m_longestFilter = std::max(m_longestFilter, ::GetTickCount() - start);
        }
        if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(TTN_SHOW))
            ++m_shows;
        if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(TTN_GETDISPINFOW)) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            ++m_textRequests;
            if (info->hdr.idFrom == 7)
                info->lpszText = const_cast<wchar_t*>(L"From the &callback...");
            else
                ::lstrcpynW(info->szText, L"In the buffer", 80);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

    POINT CentreOf(UINT id) const
    {
        for (const Tool& tool : m_tools) {
            if (tool.id == id) {
                POINT p = tool.rect.CenterPoint();
                ::ClientToScreen(m_hWnd, &p);
                return p;
            }
        }
        return POINT{};
    }

    CXTPToolTipContext* m_context;
    std::vector<Tool> m_tools;
    int m_shows = 0;
    int m_textRequests = 0;
    DWORD_PTR m_itemData = 0;    // the image manager of the tips' icons
    DWORD m_longestFilter = 0;
};

const std::vector<Tool> kTools = {
    {1, CRect(20, 20, 120, 60), L"Alpha", L"", L""},
    {2, CRect(120, 20, 220, 60), L"Beta", L"", L""},
    {3, CRect(20, 100, 120, 140), L"Open...", L"", L""},
    {4, CRect(140, 100, 240, 140), L"...", L"", L""},
    {5, CRect(20, 160, 120, 200), L"plain", L"Heading", L"The description"},
    {6, CRect(140, 160, 240, 200), L"plain", L"Same", L"Same"},
    {7, CRect(260, 20, 360, 60), L"", L"", L""},     // text asked for with TTN_GETDISPINFOW
    {8, CRect(260, 100, 360, 140), L"", L"", L""},
};

class ToolTipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_context = std::make_unique<CXTPToolTipContext>();
        MovePointerTo(POINT{5, 5});
    }
    void TearDown() override
    {
        if (m_host && m_host->GetSafeHwnd())
            m_host->DestroyWindow();
        m_host.reset();
        m_context.reset();
    }
    void MakeHost(int x = 100, int y = 100, int cx = 400, int cy = 260)
    {
        m_host = std::make_unique<TipHost>(m_context.get(), kTools);
        ASSERT_TRUE(m_host->CreateEx(0, AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                                            reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)),
                                     L"tips", WS_POPUP | WS_VISIBLE | WS_BORDER, x, y, cx, cy, nullptr, nullptr));
        ASSERT_TRUE(testsupport::BringToForeground(m_host->GetSafeHwnd()));
    }
    HWND TipWindow() const { return m_context->GetToolTip() ? m_context->GetToolTip()->GetSafeHwnd() : nullptr; }
    bool TipVisible() const { return TipWindow() && ::IsWindowVisible(TipWindow()); }
    CXTPToolTipContextToolTip* OwnTip() const { return dynamic_cast<CXTPToolTipContextToolTip*>(m_context->GetToolTip()); }
    std::wstring ShownText() const
    {
        const auto* tip = OwnTip();
        return tip && tip->GetShownTool() ? std::wstring(static_cast<const wchar_t*>(tip->GetShownTool()->strText))
                                          : std::wstring();
    }
    // Moves onto the tool and on by one pixel (a real pointer sends more than one move).
    void Hover(UINT id)
    {
        POINT p = m_host->CentreOf(id);
        MovePointerTo(p);
        testsupport::PumpPending();
        MovePointerTo(POINT{p.x + 1, p.y});
    }

    std::unique_ptr<CXTPToolTipContext> m_context;
    std::unique_ptr<TipHost> m_host;
};

TEST_F(ToolTipTest, TheFirstTipWaitsForTheInitialDelay)
{
    m_context->SetStyle(xtpToolTipOffice);
    MakeHost();
    const DWORD start = ::GetTickCount();
    Hover(1);
    ASSERT_TRUE(PumpUntil([&] { return TipVisible(); }));
    EXPECT_GE(::GetTickCount() - start, 400u) << "about 500 ms";
    EXPECT_EQ(ShownText(), L"Alpha");
    EXPECT_EQ(m_host->m_shows, 1);

    // Below the cursor, inside the work area.
    CRect tip;
    ::GetWindowRect(TipWindow(), &tip);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    EXPECT_GT(tip.top, cursor.y);
    EXPECT_EQ(tip.left, cursor.x);
    // The plain look: tip background inside a frame whose top-left edge is button face.
    const testsupport::RgbImage image = testsupport::CaptureClient(TipWindow());
    ASSERT_FALSE(image.IsEmpty());
    EXPECT_EQ(image.At(1, 1), m_context->GetTipBkColor());
    EXPECT_EQ(image.At(0, image.height / 2), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(image.At(image.width - 1, image.height / 2), RGB(0, 0, 0));

    // Leaving every tool hides it.
    MovePointerTo(POINT{m_host->CentreOf(1).x, m_host->CentreOf(1).y + 200});
    EXPECT_TRUE(PumpUntil([&] { return !TipVisible(); }));
}

TEST_F(ToolTipTest, TheNextToolShowsAtOnceWhileATipIsUp)
{
    m_context->SetStyle(xtpToolTipOffice);
    m_context->SetDelayTime(TTDT_INITIAL, 3000);
    MakeHost();
    Hover(1);
    ASSERT_TRUE(PumpUntil([&] { return TipVisible(); }));
    const DWORD start = ::GetTickCount();
    Hover(2);
    ASSERT_TRUE(PumpUntil([&] { return ShownText() == L"Beta" && TipVisible(); }));
    EXPECT_LT(::GetTickCount() - start, 2000u) << "well before the 3 s initial delay";
}

TEST_F(ToolTipTest, APressHidesTheTipAndItStaysHiddenOnThatTool)
{
    m_context->SetStyle(xtpToolTipOffice);
    MakeHost();
    Hover(1);
    ASSERT_TRUE(PumpUntil([&] { return TipVisible(); }));
    ASSERT_TRUE(testsupport::ClickAt(m_host->CentreOf(1)));
    EXPECT_TRUE(PumpUntil([&] { return !TipVisible(); }));
    POINT p = m_host->CentreOf(1);
    MovePointerTo(POINT{p.x + 5, p.y + 3});
    EXPECT_FALSE(PumpUntil([&] { return TipVisible(); }, 1500)) << "no tip again over the pressed tool";
    // Another tool brings tips back.
    Hover(2);
    EXPECT_TRUE(PumpUntil([&] { return TipVisible() && ShownText() == L"Beta"; }));
}

TEST_F(ToolTipTest, ATipAtTheBottomOfTheWorkAreaShowsAboveTheCursor)
{
    m_context->SetStyle(xtpToolTipOffice);
    const RECT work = GetMonitorApi().GetWorkAreaAtPoint(POINT{200, 200});
    MakeHost(100, work.bottom - 70, 400, 70);
    Hover(1);
    ASSERT_TRUE(PumpUntil([&] { return TipVisible(); }));
    CRect tip;
    ::GetWindowRect(TipWindow(), &tip);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (cursor.y + 21 + tip.Height() <= work.bottom - 4)
        GTEST_SKIP() << "the work area leaves room below the cursor";
    EXPECT_EQ(tip.bottom, cursor.y - 3);
    EXPECT_LE(tip.bottom, work.bottom - 4);
}

TEST_F(ToolTipTest, TitlesDescriptionsAndEllipses)
{
    m_context->SetStyle(xtpToolTipOffice);
    m_context->ShowTitleAndDescription(TRUE);
    MakeHost();
    struct Row {
        UINT tool;
        const wchar_t* text;
        const wchar_t* title;
    };
    const Row rows[] = {
        {5, L"The description", L"Heading"},
        {6, L"plain", L""},          // a description equal to the title is dropped
        {3, L"Open", L""},           // a trailing ellipsis goes
        {4, L"...", L""},            // ... unless it is the whole text
        {1, L"Alpha", L""},
    };
    for (const Row& row : rows) {
        Hover(row.tool);
        EXPECT_TRUE(PumpUntil([&] { return TipVisible() && ShownText() == row.text; }))
            << "tool " << row.tool << " shows " << testsupport::Utf8(ShownText());
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(OwnTip()->GetTitle())), row.title);
    }
    // With a title the tip is wider than the plain description would need.
    Hover(5);
    ASSERT_TRUE(PumpUntil([&] { return TipVisible() && ShownText() == L"The description"; }));
}

TEST_F(ToolTipTest, CallbackTextsAreAskedForOnceWhenShown)
{
    m_context->SetStyle(xtpToolTipOffice);
    m_context->ModifyTipStyle(TTS_NOPREFIX, 0);    // mnemonics are stripped from callback texts too
    MakeHost();
    Hover(7);
    ASSERT_TRUE(PumpUntil([&] { return TipVisible() && ShownText() == L"From the callback..."; }))
        << testsupport::Utf8(ShownText());
    Hover(8);
    ASSERT_TRUE(PumpUntil([&] { return TipVisible() && ShownText() == L"In the buffer"; }));
    EXPECT_EQ(m_host->m_textRequests, 2);
}

TEST_F(ToolTipTest, ASmallIconSitsBesideTheTitleAndALargeOneBesideTheText)
{
    CXTPImageManager images;
    HICON red = imagetest::SolidIcon(16, RGB(255, 0, 0));
    HICON blue = imagetest::SolidIcon(32, RGB(0, 0, 255));
    ASSERT_TRUE(images.SetIcon(red, 5));     // the titled tool
    ASSERT_TRUE(images.SetIcon(blue, 1));    // a plain one
    ::DestroyIcon(red);
    ::DestroyIcon(blue);
    m_context->SetStyle(xtpToolTipOffice);
    m_context->ShowTitleAndDescription(TRUE);
    m_context->ShowImage(TRUE);
    MakeHost();
    m_host->m_itemData = reinterpret_cast<DWORD_PTR>(&images);

    // 32 pixels: beside the whole text, at the content's top-left; the tip is at least that high.
    Hover(1);
    ASSERT_TRUE(PumpUntil([&] { return TipVisible() && ShownText() == L"Alpha"; }));
    CRect tip;
    ::GetClientRect(TipWindow(), &tip);
    EXPECT_GE(tip.Height(), 32 + 6);
    PumpUntil([&] { return !testsupport::CaptureClient(TipWindow()).IsEmpty(); });
    testsupport::RgbImage image = testsupport::CaptureClient(TipWindow());
    ASSERT_FALSE(image.IsEmpty());
    EXPECT_TRUE(testsupport::RegionIs(image, CRect(3, 3, 35, 35), RGB(0, 0, 255)));

    // 16 pixels with a title: in the title's line, the title moved right of it.
    Hover(5);
    ASSERT_TRUE(PumpUntil([&] { return TipVisible() && ShownText() == L"The description"; }));
    image = testsupport::CaptureClient(TipWindow());
    ASSERT_FALSE(image.IsEmpty());
    EXPECT_TRUE(testsupport::RegionIs(image, CRect(3, 3, 19, 19), RGB(255, 0, 0)));
    EXPECT_EQ(testsupport::CountColour(image, CRect(0, 19, image.width, image.height), RGB(255, 0, 0)), 0)
        << "the description starts below the title, without the icon";

    // The tip holds its own reference to the icon it shows: the manager may let the icon go while
    // the tip is up, and the tip then paints an empty, still valid icon.
    CXTPImageManagerIcon* shown = images.LookupIcon(5, 16);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(static_cast<LONG>(shown->m_dwRef), 2);
    const LONG live = CXTPImageManagerIcon::GetLiveCount();
    images.RemoveAll();
    EXPECT_EQ(CXTPImageManagerIcon::GetLiveCount(), live - 1) << "only the icon the tip holds is left";
    EXPECT_TRUE(PumpUntil([&] {
        ::RedrawWindow(TipWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        testsupport::RgbImage now = testsupport::CaptureClient(TipWindow());
        return !now.IsEmpty() && testsupport::CountColour(now, CRect(0, 0, now.width, now.height), RGB(255, 0, 0)) == 0;
    }));
    TearDown();
    EXPECT_EQ(CXTPImageManagerIcon::GetLiveCount(), live - 2) << "the tip let its icon go";
}

TEST_F(ToolTipTest, EveryStyleShowsItsKindOfTip)
{
    struct Row {
        int style;
        bool own;       // the toolkit's window (else the platform control)
    };
    const Row rows[] = {{0, false}, {1, false}, {2, true}, {3, true}, {4, true}, {5, true}, {7, true}};
    ASSERT_EQ(XTPGetMarkupServices(), nullptr) << "this test program links no markup engine";
    for (const Row& row : rows) {
        SCOPED_TRACE("style " + std::to_string(row.style));
        m_context = std::make_unique<CXTPToolTipContext>();
        m_context->SetStyle(row.style);
        if (row.style == 1 && m_context->GetStyle() != 1) {
            continue;    // common controls too old for balloons
        }
        MakeHost();
        Hover(1);
        ASSERT_TRUE(PumpUntil([&] { return TipVisible(); }));
        EXPECT_EQ(OwnTip() != nullptr, row.own);
        if (row.style == 1) {
            EXPECT_TRUE(::GetWindowLongW(TipWindow(), GWL_STYLE) & TTS_BALLOON);
        }
        if (row.own) {
            EXPECT_EQ(ShownText(), L"Alpha");
        }
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        const int kind = ::GetWindowRgn(TipWindow(), region);
        if (row.style == 5) {
            // The corner pixels are cut.
            CRect tip;
            ::GetWindowRect(TipWindow(), &tip);
            EXPECT_EQ(kind, COMPLEXREGION);
            EXPECT_FALSE(::PtInRegion(region, 0, 0));
            EXPECT_FALSE(::PtInRegion(region, tip.Width() - 1, tip.Height() - 1));
            EXPECT_TRUE(::PtInRegion(region, 1, 0));
            EXPECT_TRUE(::PtInRegion(region, 0, 1));
        } else if (row.own) {
            EXPECT_EQ(kind, ERROR) << "no region";
        }
        ::DeleteObject(region);
        m_host->DestroyWindow();
        m_host.reset();
        MovePointerTo(POINT{5, 5});
    }
}

TEST_F(ToolTipTest, TheHtmlStyleShowsNoTipAndDoesNotHang)
{
    // The test prefix has no HTML engine and the framework hosts no browser control: the tip
    // measures nothing. Real HTML layout is not tested for that reason.
    m_context->SetStyle(xtpToolTipHTML);
    MakeHost();
    Hover(1);
    EXPECT_FALSE(PumpUntil([&] { return TipVisible(); }, 1500));
    EXPECT_LT(m_host->m_longestFilter, 5000u);
}

} // namespace
