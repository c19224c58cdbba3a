// Drop shadows: the alpha ramps of the layered look read from the pixels the manager fills, and
// shadow windows beside a real popup (their rectangles, topmost beside a topmost owner, following
// the owner's WM_SHOWWINDOW and WM_DESTROY through the hook manager). Layered output is not compared
// from screenshots here.

#include "framework/window/Wnd.h"
#include "toolkit/foundation/XTPShadowManager.h"

#include "tests/support/GuiSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

BYTE AlphaAt(const std::vector<DWORD>& bits, int cx, int x, int yFromBottom)
{
    return static_cast<BYTE>(bits[static_cast<size_t>(yFromBottom) * cx + x] >> 24);
}

TEST(ShadowPixels, LayeredRampsFollowTheKindAndTheOptions)
{
    struct Probe {
        int x, yFromBottom;
        BYTE alpha;
    };
    struct Row {
        const char* name;
        int kind, cx, cy, options;
        std::vector<Probe> probes;
    };
    const Row rows[] = {
        // Bottom shadow, options 0: middle of the top row 120, of the bottom row 30; corner 6.
        {"bottom, options 0", CXTPShadowManager::kBottom, 100, 4, 0,
         {{50, 3, 120}, {50, 0, 30}, {0, 0, 6}, {99, 0, 6}, {3, 3, 96}, {96, 3, 96}, {4, 1, 60}}},
        {"bottom, option 1 halves", CXTPShadowManager::kBottom, 100, 4, 1,
         {{50, 3, 60}, {50, 0, 15}, {0, 0, 3}, {3, 3, 48}}},
        // Right shadow: the top corner ramps down, the rest by column.
        {"right, options 0", CXTPShadowManager::kRight, 4, 50, 0,
         {{0, 49, 24}, {0, 46, 96}, {3, 49, 6}, {0, 0, 120}, {3, 0, 30}, {1, 20, 90}}},
        {"corner", CXTPShadowManager::kCorner, 1, 1, 0, {{0, 0, 120}}},
        {"corner, option 1", CXTPShadowManager::kCorner, 1, 1, 1, {{0, 0, 60}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<DWORD> bits(static_cast<size_t>(row.cx) * row.cy, 0);
        CXTPShadowManager::FillShadowPixels(bits.data(), row.cx, row.cy, row.kind, 0, row.options);
        for (const Probe& p : row.probes)
            EXPECT_EQ(AlphaAt(bits, row.cx, p.x, p.yFromBottom), p.alpha) << "pixel " << p.x << "," << p.yFromBottom;
    }
}

TEST(ShadowPixels, ColourChannelsAreScaledByTheRamp)
{
    std::vector<DWORD> bits(100 * 4, 0);
    CXTPShadowManager::FillShadowPixels(bits.data(), 100, 4, CXTPShadowManager::kBottom, RGB(200, 100, 40), 0);
    // Middle of the top row: factor 4/4; second row: 2/4 (truncated per channel).
    EXPECT_EQ(bits[3 * 100 + 50], 0x78C86428u);
    EXPECT_EQ(bits[1 * 100 + 50], (60u << 24) | (100u << 16) | (50u << 8) | 20u);
}

// ---- shadows beside real popups ------------------------------------------------------------------

class ShadowWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_manager = new CXTPShadowManager();
        m_manager->m_nOptions = CXTPShadowManager::xtpShadowAlways;
    }
    void TearDown() override
    {
        for (HWND h : m_windows)
            if (::IsWindow(h))
                ::DestroyWindow(h);
        delete m_manager;
    }
    CWnd* MakePopup(const RECT& rect, DWORD exStyle = 0)
    {
        auto* popup = new CWnd();
        popup->CreateEx(exStyle | WS_EX_TOOLWINDOW, AfxRegisterWndClass(0), L"popup", WS_POPUP | WS_VISIBLE, rect.left,
                        rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr);
        m_windows.push_back(popup->GetSafeHwnd());
        m_popups.emplace_back(popup);
        return popup;
    }
    std::vector<CXTPShadowManager::CShadowWnd*> Shadows() const
    {
        std::vector<CXTPShadowManager::CShadowWnd*> result;
        POSITION pos = m_manager->GetShadows().GetHeadPosition();
        while (pos)
            result.push_back(static_cast<CXTPShadowManager::CShadowWnd*>(m_manager->GetShadows().GetNext(pos)));
        return result;
    }
    static CRect WindowRect(HWND h)
    {
        CRect rect;
        ::GetWindowRect(h, &rect);
        return rect;
    }

    CXTPShadowManager* m_manager = nullptr;
    std::vector<HWND> m_windows;
    std::vector<std::unique_ptr<CWnd>> m_popups;
};

TEST_F(ShadowWindowsTest, ShadowsLieAlongTheRightAndBottomEdgesInBothLooks)
{
    for (BOOL layered : {TRUE, FALSE}) {
        SCOPED_TRACE(layered ? "layered" : "solid strips");
        m_manager->SetLayered(layered);
        if (layered && !m_manager->IsLayered())
            GTEST_SKIP() << "UpdateLayeredWindow is missing";
        const int w = layered ? 4 : 2;
        CWnd* popup = MakePopup(CRect(100, 100, 300, 250));
        m_manager->SetShadowForWindow(popup, CRect(0, 0, 0, 0), 0);
        const auto shadows = Shadows();
        ASSERT_EQ(shadows.size(), 2u);
        EXPECT_EQ(shadows[0]->m_nKind, CXTPShadowManager::kBottom);
        EXPECT_EQ(WindowRect(shadows[0]->GetSafeHwnd()), CRect(100 + w, 250, 300 + w, 250 + w));
        EXPECT_EQ(shadows[1]->m_nKind, CXTPShadowManager::kRight);
        EXPECT_EQ(WindowRect(shadows[1]->GetSafeHwnd()), CRect(300, 100 + w, 300 + w, 250));
        for (auto* shadow : shadows) {
            EXPECT_TRUE(::IsWindowVisible(shadow->GetSafeHwnd()));
            const LONG_PTR ex = ::GetWindowLongPtrW(shadow->GetSafeHwnd(), GWL_EXSTYLE);
            EXPECT_EQ((ex & WS_EX_LAYERED) != 0, layered != FALSE);
            EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
            EXPECT_EQ(::SendMessageW(shadow->GetSafeHwnd(), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
        }
        // Growing the popup by (30, 20): the bottom shadow moves down and widens, the right one
        // moves right and lengthens.
        m_manager->OffsetShadows(popup->GetSafeHwnd(), 30, 20);
        EXPECT_EQ(WindowRect(shadows[0]->GetSafeHwnd()), CRect(100 + w, 270, 330 + w, 270 + w));
        EXPECT_EQ(WindowRect(shadows[1]->GetSafeHwnd()), CRect(330, 100 + w, 330 + w, 270));
        m_manager->RemoveShadows(popup->GetSafeHwnd());
        EXPECT_TRUE(m_manager->GetShadows().IsEmpty());
        EXPECT_EQ(GetHookManager()->FindSink(popup->GetSafeHwnd()), nullptr);
    }
}

TEST_F(ShadowWindowsTest, NothingWithoutOptionOneAndWithoutTheSystemSetting)
{
    BOOL systemShadows = FALSE;
    ::SystemParametersInfoW(SPI_GETDROPSHADOW, 0, &systemShadows, 0);
    if (systemShadows)
        GTEST_SKIP() << "the system draws drop shadows here";
    m_manager->m_nOptions = 0;
    CWnd* popup = MakePopup(CRect(10, 10, 60, 60));
    m_manager->SetShadowForWindow(popup, CRect(0, 0, 0, 0), 0);
    EXPECT_TRUE(m_manager->GetShadows().IsEmpty());
    // A rectangle shadow needs both option bits.
    m_manager->m_nOptions = 1;
    m_manager->SetShadowForRect(10, 10, 60, 60, popup);
    EXPECT_TRUE(m_manager->GetShadows().IsEmpty());
    m_manager->m_nOptions = 3;
    m_manager->SetShadowForRect(10, 10, 60, 60, popup);
    ASSERT_EQ(Shadows().size(), 2u);
    EXPECT_TRUE(Shadows()[0]->m_bForRect);
    // Rectangle shadows stay where they are when the owner grows.
    const CRect before = WindowRect(Shadows()[0]->GetSafeHwnd());
    m_manager->OffsetShadows(popup->GetSafeHwnd(), 10, 10);
    EXPECT_EQ(WindowRect(Shadows()[0]->GetSafeHwnd()), before);
}

TEST_F(ShadowWindowsTest, ATopmostOwnerGetsTopmostShadows)
{
    CWnd* plain = MakePopup(CRect(10, 10, 110, 110));
    CWnd* topmost = MakePopup(CRect(200, 10, 300, 110), WS_EX_TOPMOST);
    m_manager->SetShadowForWindow(plain, CRect(0, 0, 0, 0), 0);
    m_manager->SetShadowForWindow(topmost, CRect(0, 0, 0, 0), 0);
    for (auto* shadow : Shadows()) {
        const bool isTopmost = (::GetWindowLongPtrW(shadow->GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        EXPECT_EQ(isTopmost, shadow->m_hOwner == topmost->GetSafeHwnd());
    }
}

TEST_F(ShadowWindowsTest, ShadowsFollowTheOwnersShowAndDestroy)
{
    CWnd* popup = MakePopup(CRect(50, 50, 150, 150));
    const HWND owner = popup->GetSafeHwnd();
    m_manager->SetShadowForWindow(popup, CRect(0, 0, 0, 0), 0);
    const auto shadows = Shadows();
    ASSERT_EQ(shadows.size(), 2u);
    std::vector<HWND> handles{shadows[0]->GetSafeHwnd(), shadows[1]->GetSafeHwnd()};
    ::ShowWindow(owner, SW_HIDE);
    for (HWND h : handles)
        EXPECT_FALSE(::IsWindowVisible(h));
    ::ShowWindow(owner, SW_SHOWNA);
    for (HWND h : handles)
        EXPECT_TRUE(::IsWindowVisible(h));
    const DWORD refsBefore = static_cast<DWORD>(m_manager->m_dwRef);
    EXPECT_EQ(refsBefore, 3u) << "each shadow holds the manager";
    ::DestroyWindow(owner);
    EXPECT_TRUE(m_manager->GetShadows().IsEmpty());
    for (HWND h : handles)
        EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(m_manager->m_dwRef, 1);
    EXPECT_EQ(GetHookManager()->FindSink(owner), nullptr);
}

TEST_F(ShadowWindowsTest, ShadowsAreClippedByPopupsOfTheSameKeyAndTheExclusion)
{
    m_manager->SetLayered(FALSE);
    m_manager->m_nOptions = CXTPShadowManager::xtpShadowAlways;
    // A drop-down below a popup of the same key: the popup's bottom shadow would run over it.
    CWnd* dropDown = MakePopup(CRect(50, 200, 250, 300));
    CWnd* popup = MakePopup(CRect(100, 100, 200, 200));
    CWnd* stranger = MakePopup(CRect(400, 200, 600, 300));
    m_manager->SetShadowForWindow(dropDown, CRect(0, 0, 0, 0), 7);
    m_manager->SetShadowForWindow(stranger, CRect(0, 0, 0, 0), 8);
    m_manager->SetShadowForWindow(popup, CRect(0, 0, 0, 0), 7);
    for (auto* shadow : Shadows()) {
        const bool clipped = shadow->m_hOwner == popup->GetSafeHwnd() && shadow->m_nKind == CXTPShadowManager::kBottom;
        EXPECT_EQ(shadow->m_bHasRegion != FALSE, clipped) << "kind " << shadow->m_nKind;
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        const int type = ::GetWindowRgn(shadow->GetSafeHwnd(), region);
        EXPECT_EQ(type != ERROR, clipped);
        ::DeleteObject(region);
    }
    m_manager->RemoveShadows(popup->GetSafeHwnd());

    // Option 2 clips a new shadow against the caller's exclusion rectangle, here the right
    // shadow's lower half.
    m_manager->m_nOptions = CXTPShadowManager::xtpShadowAlways | CXTPShadowManager::xtpShadowExclude;
    m_manager->SetShadowForWindow(popup, CRect(150, 150, 260, 260), 9);
    for (auto* shadow : Shadows()) {
        if (shadow->m_hOwner != popup->GetSafeHwnd() || shadow->m_nKind != CXTPShadowManager::kRight)
            continue;
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(::GetWindowRgn(shadow->GetSafeHwnd(), region), ERROR);
        EXPECT_TRUE(::PtInRegion(region, 0, 0));
        EXPECT_FALSE(::PtInRegion(region, 0, 60)) << "window y 162 lies in the exclusion";
        ::DeleteObject(region);
    }
}

} // namespace
