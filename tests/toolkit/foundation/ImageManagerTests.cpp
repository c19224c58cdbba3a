// The image manager's bitmap routines.

#include "toolkit/foundation/XTPImageManager.h"

#include <gtest/gtest.h>

namespace {

TEST(ImageManager, AlphaDibSectionIsZeroedBottomUpAnd32Bit)
{
    void* bits = reinterpret_cast<void*>(1);
    HBITMAP dib = CreateAlphaDibSection(nullptr, 7, 3, &bits);
    ASSERT_NE(nullptr, dib);
    ASSERT_NE(nullptr, bits);
    DIBSECTION section = {};
    ASSERT_EQ(static_cast<int>(sizeof(section)), GetObjectW(dib, sizeof(section), &section));
    EXPECT_EQ(7, section.dsBmih.biWidth);
    EXPECT_EQ(3, section.dsBmih.biHeight) << "positive: bottom-up";
    EXPECT_EQ(32, section.dsBmih.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), section.dsBmih.biCompression);
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(0u, pixels[i]);
    DeleteObject(dib);

    bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(nullptr, CreateAlphaDibSection(nullptr, 0, 5, &bits));
    EXPECT_EQ(nullptr, bits);
    EXPECT_EQ(nullptr, CreateAlphaDibSection(nullptr, 5, -1));
}

} // namespace
