// The manager's tables: lookups by width, and the icons that cutting strips, toolbar resources
// and .ico files leave behind, checked by the colour each stored picture draws.

#include "tests/toolkit/foundation/ImageTestSupport.h"
#include "toolkit/foundation/XTPImageManager.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The colour the stored picture of id at width draws at its centre over white.
COLORREF DrawnColour(const CXTPImageManager& manager, UINT id, int width)
{
    CXTPImageManagerIcon* icon = manager.LookupIcon(id, width);
    if (!icon || icon->IsEmpty())
        return CLR_INVALID;
    if (icon->IsAlpha()) {
        const auto p = imagetest::DibPixel(icon->GetAlphaBitmap(), icon->GetWidth() / 2, icon->GetHeight() / 2);
        return RGB(p[2], p[1], p[0]);
    }
    HDC screen = GetDC(nullptr);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 64, 64);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, canvas);
    RECT r = {0, 0, 64, 64};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon->GetIcon(), 0, 0, 0, nullptr, DI_NORMAL);
    const COLORREF colour = GetPixel(dc, icon->GetWidth() / 2, icon->GetHeight() / 2);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    return colour;
}

// A 24-bit strip of count blocks of the width, block i in colour 40 x (i + 1) red.
HBITMAP BlockStrip(int count, int width, int height = 16)
{
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), count * width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const int stride = ((count * width * 3 + 3) / 4) * 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < count * width; ++x) {
            BYTE* p = static_cast<BYTE*>(bits) + y * stride + x * 3;
            p[0] = 0;
            p[1] = 0;
            p[2] = static_cast<BYTE>(40 * (x / width + 1));
        }
    return bitmap;
}

TEST(ImageManagerTable, LookupsTakeTheExactTheNearestOrTheEnds)
{
    CXTPImageManager manager;
    HICON small = imagetest::SolidIcon(16, RGB(10, 0, 0));
    HICON large = imagetest::SolidIcon(32, RGB(20, 0, 0));
    ASSERT_TRUE(manager.SetIcon(small, 7));
    ASSERT_TRUE(manager.SetIcon(large, 7));
    struct Case {
        int asked;
        int found;
    };
    for (const Case& c : {Case{16, 16}, {32, 32}, {24, 16}, {20, 16}, {30, 32}, {0, 16}, {1, 32}, {100, 32}})
        EXPECT_EQ(c.found, manager.LookupIcon(7, c.asked)->GetWidth()) << "asked " << c.asked;
    EXPECT_FALSE(manager.HasIcon(7, 24)) << "no nearest match for HasIcon";
    EXPECT_TRUE(manager.HasIcon(7, 0));
    EXPECT_TRUE(manager.HasIcon(7, 32));
    EXPECT_EQ(nullptr, manager.LookupIcon(8, 16));
    EXPECT_FALSE(manager.SetIcon(nullptr, 9));
    EXPECT_EQ(nullptr, manager.FindIconSet(9));
    DestroyIcon(small);
    DestroyIcon(large);
}

TEST(ImageManagerTable, CuttingStripsPairsIdsOneToOneOrSkipsSeparators)
{
    CXTPImageManager manager;
    manager.SetTransparentColor(RGB(255, 0, 255));
    {
        HBITMAP strip = BlockStrip(10, 16);
        std::vector<UINT> ids = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        ASSERT_TRUE(manager.AddIconsFromBitmap(strip, ids.data(), 10, 0, 0, FALSE));
        for (UINT id : ids) {
            ASSERT_TRUE(manager.HasIcon(id, 16)) << id;
            EXPECT_EQ(16, manager.LookupIcon(id, 16)->GetHeight());
            EXPECT_EQ(RGB(40 * id, 0, 0), DrawnColour(manager, id, 16)) << id;
        }
        DeleteObject(strip);
    }
    const UINT ids[] = {21, 0, 22};
    {
        CXTPImageManager oneToOne;
        oneToOne.SetTransparentColor(RGB(255, 0, 255));
        HBITMAP strip = BlockStrip(3, 16);
        ASSERT_TRUE(oneToOne.AddIconsFromBitmap(strip, ids, 3, 16, 16, FALSE));
        EXPECT_EQ(RGB(80, 0, 0), DrawnColour(oneToOne, 0, 16)) << "three ids, three images: id 0 takes image 1";
        EXPECT_EQ(RGB(120, 0, 0), DrawnColour(oneToOne, 22, 16));
        DeleteObject(strip);
    }
    {
        CXTPImageManager skipping;
        skipping.SetTransparentColor(RGB(255, 0, 255));
        HBITMAP strip = BlockStrip(2, 16);
        ASSERT_TRUE(skipping.AddIconsFromBitmap(strip, ids, 3, 16, 16, FALSE));
        EXPECT_EQ(nullptr, skipping.FindIconSet(0)) << "two images: the separator is skipped";
        EXPECT_EQ(RGB(80, 0, 0), DrawnColour(skipping, 22, 16));
        DeleteObject(strip);
    }
}

TEST(ImageManagerTable, AlphaStripsMustDivideExactlyAndZeroCountsAreRefused)
{
    void* bits = nullptr;
    HBITMAP alphaStrip = CreateAlphaDibSection(nullptr, 100, 16, &bits);
    for (int i = 0; i < 100 * 16; ++i)
        static_cast<DWORD*>(bits)[i] = 0xFF000000u | static_cast<DWORD>((i % 100) / 16 * 30) << 16;
    CXTPImageManager manager;
    manager.SetTransparentColor(RGB(255, 0, 255));
    EXPECT_FALSE(manager.AddIconsFromBitmap(alphaStrip, nullptr, 0, 16, 16, TRUE)) << "100 is no multiple of 16";
    EXPECT_EQ(nullptr, manager.FindIconSet(0));
    ASSERT_TRUE(manager.AddIconsFromBitmap(alphaStrip, nullptr, 0, 16, 16, FALSE)) << "through the image list";
    for (UINT id = 0; id < 6; ++id)
        EXPECT_TRUE(manager.HasIcon(id, 16)) << id;
    EXPECT_EQ(nullptr, manager.FindIconSet(6));

    HBITMAP even = CreateAlphaDibSection(nullptr, 96, 16, &bits);
    for (int i = 0; i < 96 * 16; ++i)
        static_cast<DWORD*>(bits)[i] = 0xFF000000u | static_cast<DWORD>((i % 96) / 16 * 30);
    CXTPImageManager alpha;
    ASSERT_TRUE(alpha.AddIconsFromBitmap(even, nullptr, 0, 16, 16, TRUE));
    for (UINT id = 0; id < 6; ++id) {
        ASSERT_TRUE(alpha.HasIcon(id, 16));
        EXPECT_TRUE(alpha.LookupIcon(id, 16)->IsAlpha());
        EXPECT_EQ(RGB(0, 0, 30 * id), DrawnColour(alpha, id, 16));
    }

    // No division by zero and no icon wider than its strip.
    CXTPImageManager refused;
    EXPECT_FALSE(refused.AddIconsFromBitmap(even, nullptr, 0, 0, 0, FALSE));
    EXPECT_FALSE(refused.AddIconsFromBitmap(even, nullptr, 0, 0, 0, TRUE));
    EXPECT_FALSE(refused.AddIconsFromBitmap(even, nullptr, 0, 200, 16, FALSE));
    EXPECT_FALSE(refused.AddIconsFromBitmap(even, nullptr, 0, 200, 16, TRUE));
    EXPECT_FALSE(refused.AddIconsFromBitmap(even, nullptr, 200, 0, 0, TRUE)) << "icons narrower than a pixel";
    DeleteObject(even);
    DeleteObject(alphaStrip);
}

TEST(ImageManagerTable, ToolbarAndIcoFileIcons)
{
    HMODULE module = imagetest::ImageResourceModule();
    ASSERT_NE(nullptr, module);
    CXTPImageManager manager;
    manager.SetTransparentColor(RGB(255, 0, 255));
    ASSERT_TRUE(manager.AddToolBarIcons(module, 120, 105));
    for (UINT id : {100u, 101u, 102u}) {
        ASSERT_TRUE(manager.HasIcon(id, 16)) << id << ": 48 pixels over three buttons, not the 16 x 15 buttons";
        EXPECT_EQ(16, manager.LookupIcon(id, 16)->GetHeight());
    }
    EXPECT_EQ(nullptr, manager.FindIconSet(0));
    EXPECT_FALSE(manager.AddToolBarIcons(module, 121, 105)) << "short toolbar resource";
    EXPECT_FALSE(manager.AddToolBarIcons(module, 120, 999)) << "missing bitmap";

    ASSERT_TRUE(manager.AddIconsFromIcoFile(imagetest::ImageFixture(L"two-sizes.ico"), 300, 0, 0));
    EXPECT_TRUE(manager.HasIcon(300, 16));
    EXPECT_TRUE(manager.HasIcon(300, 32));
    EXPECT_FALSE(manager.AddIconsFromIcoFile(imagetest::ImageFixture(L"two-sizes.ico"), 301, 24, 24));
    EXPECT_EQ(nullptr, manager.FindIconSet(301));
    EXPECT_FALSE(manager.AddIconsFromIcoFile(imagetest::ImageFixture(L"entry-past-end.ico"), 302, 0, 0));

    ASSERT_TRUE(manager.AddIconGroupResource(module, MAKEINTRESOURCEW(110), 400, 0, 0));
    EXPECT_TRUE(manager.LookupIcon(400, 32)->IsAlpha());
    EXPECT_TRUE(manager.HasIcon(400, 16));
    EXPECT_EQ(manager.LookupIcon(400, 1)->GetWidth(), 32);
    EXPECT_NE(nullptr, GetGlobalImageManager());
    EXPECT_EQ(GetGlobalImageManager(), GetGlobalImageManager());
}

} // namespace
