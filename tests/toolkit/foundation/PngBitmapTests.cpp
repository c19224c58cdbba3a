// The PNG decoder: pixels against the fixtures' formula for every colour type it expands, and
// every damaged input refused without a bitmap.

#include "tests/toolkit/foundation/ImageTestSupport.h"
#include "toolkit/foundation/XTPGraphicBitmapPng.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <functional>

using imagetest::DibPixel;
using imagetest::Reference;

namespace {

struct PngCase {
    const wchar_t* file;
    int width;
    int height;
    bool alpha;
    // The expected red, green, blue and alpha of (x, y).
    std::function<std::array<BYTE, 4>(int, int)> expected;
};

std::array<BYTE, 4> Opaque3(std::array<BYTE, 4> colour)
{
    colour[3] = 0; // no alpha channel: the alpha byte stays 0
    return colour;
}

TEST(PngBitmap, DecodesEveryExpandedColourTypeToTopDownBgra)
{
    const BYTE trns[4] = {0, 85, 170, 255};
    const std::vector<PngCase> cases = {
        {L"rgba.png", 5, 3, true, [](int x, int y) { return Reference(x, y); }},
        {L"rgba16.png", 3, 2, true, [](int x, int y) { return Reference(x, y); }},
        {L"interlaced.png", 9, 9, true, [](int x, int y) { return Reference(x, y); }},
        {L"grey-alpha.png", 3, 2, true,
         [](int x, int y) {
             const auto r = Reference(x, y);
             return std::array<BYTE, 4>{r[0], r[0], r[0], r[3]};
         }},
        {L"palette.png", 4, 2, false, [](int x, int y) { return Opaque3(Reference((x + y) % 4, 0)); }},
        {L"palette-trns.png", 4, 2, true,
         [&trns](int x, int y) {
             auto colour = Reference((x + y) % 4, 0);
             colour[3] = trns[(x + y) % 4];
             return colour;
         }},
        // bKGD composes the image over its background: the transparent pixel shows it, the opaque
        // one keeps its colour, and the alpha channel is gone.
        {L"background.png", 2, 1, false,
         [](int x, int) {
             return x == 0 ? std::array<BYTE, 4>{200, 100, 50, 0} : std::array<BYTE, 4>{40, 50, 60, 0};
         }},
    };
    for (const PngCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file);
        CXTPGraphicBitmapPng png;
        ASSERT_TRUE(png.LoadFromFile(imagetest::ImageFixture(c.file)));
        EXPECT_EQ(c.alpha, png.IsAlpha() != FALSE);
        DIBSECTION section = {};
        ASSERT_EQ(static_cast<int>(sizeof(section)), GetObjectW(static_cast<HBITMAP>(png), sizeof(section), &section));
        EXPECT_EQ(c.width, section.dsBmih.biWidth);
        EXPECT_EQ(c.height, section.dsBm.bmHeight);
        // Top-down: the first row in memory is the image's top row.
        const auto top = c.expected(0, 0);
        EXPECT_EQ(0, std::memcmp(section.dsBm.bmBits, std::array<BYTE, 4>{top[2], top[1], top[0], top[3]}.data(), 4));
        EXPECT_EQ(32, section.dsBmih.biBitCount);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const auto want = c.expected(x, y);
                const auto got = DibPixel(static_cast<HBITMAP>(png), x, y);
                ASSERT_EQ((std::array<BYTE, 4>{want[2], want[1], want[0], want[3]}), got) << x << "," << y;
            }
    }
}

TEST(PngBitmap, RefusesDamagedAndForeignDataWithoutABitmap)
{
    // Each after a good load, so that a failure must also drop the earlier picture.
    for (const wchar_t* file : {L"cut-after-header.png", L"huge.png", L"rgba32.bmp", L"no-such-file.png"}) {
        SCOPED_TRACE(testing::Message() << file);
        CXTPGraphicBitmapPng png;
        ASSERT_TRUE(png.LoadFromFile(imagetest::ImageFixture(L"rgba.png")));
        EXPECT_FALSE(png.LoadFromFile(imagetest::ImageFixture(file)));
        EXPECT_EQ(nullptr, png.GetSafeHandle());
        EXPECT_FALSE(png.IsAlpha());
    }
}

std::vector<BYTE> Chunk(const char* kind, const std::vector<BYTE>& data)
{
    std::vector<BYTE> out;
    auto be32 = [&out](uLong v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<BYTE>(v >> shift));
    };
    be32(static_cast<uLong>(data.size()));
    std::vector<BYTE> body(kind, kind + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    be32(crc32(0, body.data(), static_cast<uInt>(body.size())));
    return out;
}

std::vector<BYTE> HeaderOnlyPng(uint32_t width, uint32_t height)
{
    std::vector<BYTE> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<BYTE> ihdr;
    for (uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            ihdr.push_back(static_cast<BYTE>(v >> shift));
    for (BYTE b : {8, 6, 0, 0, 0})
        ihdr.push_back(b);
    const auto chunk = Chunk("IHDR", ihdr);
    png.insert(png.end(), chunk.begin(), chunk.end());
    const auto end = Chunk("IEND", {});
    png.insert(png.end(), end.begin(), end.end());
    return png;
}

TEST(PngBitmap, RefusesImagesBeyondTheCapBeforeAllocatingPixels)
{
    // 20000 x 20000 x 4 is 1.6 GB: each side is allowed, the product is not. 32768 is one past
    // the side limit. Both headers are whole and valid, so only the caps can refuse them.
    for (auto size : {std::pair<uint32_t, uint32_t>{20000, 20000}, {32768, 1}, {1, 32768}, {100000, 100000}}) {
        const auto bytes = HeaderOnlyPng(size.first, size.second);
        XTPPngRows rows;
        EXPECT_FALSE(ReadPngRows(bytes.data(), bytes.size(), rows)) << size.first << "x" << size.second;
        EXPECT_EQ(nullptr, rows.rows);
    }
}

TEST(PngBitmap, ResourcesOfNineBytesOrDamagedAreRefused)
{
    HMODULE module = imagetest::ImageResourceModule();
    ASSERT_NE(nullptr, module);
    CXTPGraphicBitmapPng png;
    ASSERT_TRUE(png.LoadFromResource(module, FindResourceW(module, MAKEINTRESOURCEW(100), L"PNG")));
    EXPECT_TRUE(png.IsAlpha());
    EXPECT_FALSE(png.LoadFromResource(module, FindResourceW(module, MAKEINTRESOURCEW(106), L"PNG")));
    EXPECT_EQ(nullptr, png.GetSafeHandle());
    EXPECT_FALSE(png.LoadFromResource(module, FindResourceW(module, MAKEINTRESOURCEW(104), L"PNG")));
    EXPECT_FALSE(png.LoadFromResource(module, nullptr));
}

TEST(PngBitmap, CutAndFlippedCopiesEitherDecodeOrFailWithinTheirData)
{
    const auto original = imagetest::ReadFixture(L"interlaced.png");
    ASSERT_FALSE(original.empty());
    int decoded = 0;
    for (size_t length = 0; length < original.size(); ++length) {
        imagetest::GuardedBuffer cut(std::vector<BYTE>(original.begin(), original.begin() + length));
        CXTPGraphicBitmapPng png;
        decoded += png.LoadFromMemory(cut.Data(), cut.Size()) ? 1 : 0;
    }
    EXPECT_EQ(0, decoded) << "a PNG without its IEND chunk's data never decodes whole";
    for (size_t at = 8; at < original.size(); ++at) {
        for (BYTE flip : {BYTE{0x01}, BYTE{0x80}, BYTE{0xFF}}) {
            auto bytes = original;
            bytes[at] ^= flip;
            imagetest::GuardedBuffer flipped(bytes);
            CXTPGraphicBitmapPng png;
            if (png.LoadFromMemory(flipped.Data(), flipped.Size()))
                EXPECT_NE(nullptr, png.GetSafeHandle());
            else
                EXPECT_EQ(nullptr, png.GetSafeHandle());
        }
    }
}

} // namespace
