// The shared icon strips: slot placement, reuse and emptying, the plain and alpha packings, and
// what a slot draws over a known background.

#include "tests/toolkit/foundation/ImageTestSupport.h"
#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/foundation/XTPImageManagerResource.h"

#include <gtest/gtest.h>

#include <vector>

using imagetest::BitmapSize;
using imagetest::DibPixel;

namespace {

// A 16 x 16 icon: colour (with the alpha byte) where the mask is opaque; the right half of the
// mask is transparent.
HICON MakeIcon(DWORD bgra, bool halfTransparent = true)
{
    void* bits = nullptr;
    HBITMAP colour = CreateAlphaDibSection(nullptr, 16, 16, &bits);
    for (int i = 0; i < 256; ++i)
        static_cast<DWORD*>(bits)[i] = (halfTransparent && i % 16 >= 8) ? 0 : bgra;
    // Mask rows are 16 bits: 0x00FF sets the right eight pixels (byte order: left byte first).
    WORD maskRows[16];
    for (WORD& row : maskRows)
        row = halfTransparent ? 0xFF00 : 0x0000;
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, maskRows);
    ICONINFO info = {TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap;
    HGDIOBJ old;
    Canvas(int width, int height, DWORD fill) : bitmap(CreateAlphaDibSection(nullptr, width, height, &bits))
    {
        for (int i = 0; i < width * height; ++i)
            static_cast<DWORD*>(bits)[i] = fill;
        old = SelectObject(dc, bitmap);
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    // Red, green, blue of (x, y) from the top.
    COLORREF Rgb(int x, int y)
    {
        GdiFlush();
        const int height = imagetest::BitmapSize(bitmap).cy;
        const BYTE* p = static_cast<const BYTE*>(bits) + (static_cast<size_t>(height - 1 - y) * imagetest::BitmapSize(bitmap).cx + x) * 4;
        return RGB(p[2], p[1], p[0]);
    }
};

TEST(ImageStrip, SlotsAreReusedMostRecentlyFreedFirstAndTheStripEmpties)
{
    CXTPImageManagerResource strip(16, 16);
    HICON icon = MakeIcon(0x00204060);
    XTPImageSlot* slots[3] = {};
    for (auto& slot : slots)
        slot = strip.AddIcon(icon);
    ASSERT_TRUE(slots[0] && slots[1] && slots[2]);
    EXPECT_EQ(0, slots[0]->rect.left);
    EXPECT_EQ(16, slots[1]->rect.left);
    EXPECT_EQ(32, slots[2]->rect.left);
    EXPECT_EQ(48, BitmapSize(strip.GetColorStrip()).cx);
    EXPECT_EQ(48, BitmapSize(strip.GetMaskStrip()).cx);
    EXPECT_EQ(16, BitmapSize(strip.GetColorStrip()).cy);

    strip.FreeSlot(slots[1]);
    strip.FreeSlot(slots[0]);
    XTPImageSlot* again = strip.AddIcon(icon);
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(0, again->rect.left) << "the last freed slot comes first";
    again = strip.AddIcon(icon);
    EXPECT_EQ(16, again->rect.left);
    EXPECT_EQ(48, strip.GetUsedWidth()) << "no growth while free slots remain";

    HICON wrongSize = CreateIcon(nullptr, 32, 32, 1, 1, std::vector<BYTE>(128, 0xFF).data(),
                                 std::vector<BYTE>(128, 0).data());
    EXPECT_EQ(nullptr, strip.AddIcon(wrongSize)) << "a 32-pixel icon in a 16-pixel strip";
    EXPECT_EQ(48, strip.GetUsedWidth());
    DestroyIcon(wrongSize);
    DestroyIcon(icon);
}

TEST(ImageStrip, FreeingEverySlotDeletesBothStrips)
{
    CXTPImageManagerResource strip(16, 16);
    HICON icon = MakeIcon(0x00204060);
    std::vector<XTPImageSlot*> slots;
    for (int i = 0; i < 3; ++i)
        slots.push_back(strip.AddIcon(icon));
    for (XTPImageSlot* slot : slots)
        strip.FreeSlot(slot);
    EXPECT_EQ(nullptr, strip.GetColorStrip());
    EXPECT_EQ(nullptr, strip.GetMaskStrip());
    EXPECT_EQ(0, strip.GetUsedWidth());
    XTPImageSlot* next = strip.AddIcon(icon);
    ASSERT_NE(nullptr, next);
    EXPECT_EQ(0, next->rect.left);
    EXPECT_EQ(16, BitmapSize(strip.GetColorStrip()).cx);
    DestroyIcon(icon);
}

TEST(ImageStrip, PlainSlotsDrawWithTheirMaskOverTheBackground)
{
    XTPSetComCtlVersionOverride(0x50051);
    CXTPImageManagerResource strip(16, 16);
    HICON icon = MakeIcon(0x00204060);
    XTPImageSlot* slot = strip.AddIcon(icon);
    ASSERT_NE(nullptr, slot);
    EXPECT_FALSE(slot->alpha);
    Canvas canvas(20, 20, 0x00C0C0C0);
    strip.DrawSlot(canvas.dc, slot, 2, 2, 16, 16);
    EXPECT_EQ(RGB(0x20, 0x40, 0x60), canvas.Rgb(3, 3)) << "opaque half";
    EXPECT_EQ(RGB(0xC0, 0xC0, 0xC0), canvas.Rgb(14, 3)) << "transparent half";
    EXPECT_EQ(RGB(0xC0, 0xC0, 0xC0), canvas.Rgb(1, 1)) << "outside";
    {
        Canvas mirrored(20, 20, 0x00C0C0C0);
        strip.DrawSlot(mirrored.dc, slot, 2, 2, 16, 16, true);
        EXPECT_EQ(RGB(0xC0, 0xC0, 0xC0), mirrored.Rgb(3, 3)) << "right to left: the opaque half on the right";
        EXPECT_EQ(RGB(0x20, 0x40, 0x60), mirrored.Rgb(14, 3));
        EXPECT_EQ(RGB(0xC0, 0xC0, 0xC0), mirrored.Rgb(1, 1)) << "outside";
        EXPECT_EQ(RGB(0xC0, 0xC0, 0xC0), mirrored.Rgb(18, 3)) << "outside";
    }

    XTPSlotImage copy = strip.CopySlotToImage(slot);
    ASSERT_NE(nullptr, copy.icon) << "a plain slot comes back as an icon";
    EXPECT_EQ(nullptr, copy.alphaBitmap);
    EXPECT_EQ(16, GetIconPixelSize(copy.icon).cx);
    DestroyIcon(copy.icon);
    XTPSetComCtlVersionOverride(0);
    DestroyIcon(icon);
}

TEST(ImageStrip, AlphaIconsArePackedAsAlphaSlotsOnlyWithCommonControls6)
{
    HICON icon = MakeIcon(0x80804000, false); // alpha 128, not premultiplied: r 0x80, g 0x40, b 0
    XTPSetComCtlVersionOverride(0x60000);
    CXTPImageManagerResource strip(16, 16);
    XTPImageSlot* slot = strip.AddIcon(icon);
    ASSERT_NE(nullptr, slot);
    EXPECT_TRUE(slot->alpha);
    Canvas canvas(16, 16, 0x00C8C8C8);
    strip.DrawSlot(canvas.dc, slot, 0, 0, 16, 16);
    // Premultiplied source over the target: s x a / 255 + d x (255 - a) / 255, within a step.
    const COLORREF got = canvas.Rgb(5, 5);
    const int over = 200 * 127 / 255;
    EXPECT_NEAR(0x80 * 128 / 255 + over, GetRValue(got), 2);
    EXPECT_NEAR(0x40 * 128 / 255 + over, GetGValue(got), 2);
    EXPECT_NEAR(over, GetBValue(got), 2);
    XTPSlotImage copy = strip.CopySlotToImage(slot);
    ASSERT_NE(nullptr, copy.alphaBitmap);
    EXPECT_EQ(128, DibPixel(copy.alphaBitmap, 3, 3)[3]);
    DeleteObject(copy.alphaBitmap);

    HICON flat = MakeIcon(0x00204060, false); // every alpha byte 0
    XTPImageSlot* plain = strip.AddIcon(flat);
    ASSERT_NE(nullptr, plain);
    EXPECT_FALSE(plain->alpha) << "alpha bytes all 0: packed as a plain icon";
    XTPSetComCtlVersionOverride(0);
    DestroyIcon(flat);
    DestroyIcon(icon);
}

} // namespace
