// The image manager's loaders and bitmap routines: resource and file bitmaps, .ico files and
// icon groups, toolbar resources, strip splitting, icon scaling, premultiplying, the saved bitmap
// block and the fallback compositor. Damaged inputs are refused without reading past their data.

#include "tests/toolkit/foundation/ImageTestSupport.h"
#include "toolkit/foundation/XTPImageManager.h"

#include "framework/Archive.h"
#include "framework/Exception.h"
#include "framework/File.h"

#include <gtest/gtest.h>

#include <functional>

using imagetest::BitmapSize;
using imagetest::DibPixel;
using imagetest::ImageFixture;
using imagetest::Reference;

namespace {

std::array<BYTE, 4> Bgra(const std::array<BYTE, 4>& rgba)
{
    return {rgba[2], rgba[1], rgba[0], rgba[3]};
}

void ExpectReferencePixels(HBITMAP bitmap, int width, int height, int period = 0)
{
    ASSERT_NE(nullptr, bitmap);
    const SIZE size = BitmapSize(bitmap);
    ASSERT_EQ(width, size.cx);
    ASSERT_EQ(height, size.cy);
    const std::vector<BYTE> pixels = imagetest::DibRows(bitmap);
    ASSERT_EQ(static_cast<size_t>(width) * height * 4, pixels.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto want = period ? Reference(x % period, y % period) : Reference(x, y);
            const BYTE* p = pixels.data() + (static_cast<size_t>(y) * width + x) * 4;
            ASSERT_EQ(Bgra(want), (std::array<BYTE, 4>{p[0], p[1], p[2], p[3]})) << x << "," << y;
        }
}

void FreeImages(std::vector<XTPLoadedIconImage>& images)
{
    for (auto& image : images) {
        if (image.alphaBitmap)
            DeleteObject(image.alphaBitmap);
        if (image.icon)
            DestroyIcon(image.icon);
    }
    images.clear();
}

// A packed 32-bit DIB of the size, pixels from the reference formula.
std::vector<BYTE> PackedDib(LONG width, LONG height, WORD bitCount = 32, WORD planes = 1, DWORD headerSize = 40)
{
    BITMAPINFOHEADER header = {};
    header.biSize = headerSize;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = planes;
    header.biBitCount = bitCount;
    header.biCompression = BI_RGB;
    std::vector<BYTE> bytes(sizeof(header));
    std::memcpy(bytes.data(), &header, sizeof(header));
    if (width > 0 && height > 0 && width < 64 && height < 64)
        for (int y = height - 1; y >= 0; --y)
            for (int x = 0; x < width; ++x) {
                const auto p = Bgra(Reference(x, y));
                bytes.insert(bytes.end(), p.begin(), p.end());
            }
    return bytes;
}

TEST(ImageLoading, PackedDibsAreCheckedAgainstTheirRealLength)
{
    {
        const auto good = PackedDib(4, 3);
        imagetest::GuardedBuffer buffer(good);
        HBITMAP dib = CreateAlphaDibFromPackedDib(buffer.Data(), buffer.Size(), false);
        ExpectReferencePixels(dib, 4, 3);
        DeleteObject(dib);
    }
    struct Bad {
        const char* what;
        std::vector<BYTE> bytes;
    };
    auto shortByOne = PackedDib(4, 3);
    shortByOne.pop_back();
    const std::vector<Bad> bad = {
        {"one byte short", shortByOne},
        {"header alone", PackedDib(64, 3)},
        {"shorter than a header", std::vector<BYTE>(20, 0)},
        {"header size 41", PackedDib(4, 3, 32, 1, 41)},
        {"two planes", PackedDib(4, 3, 32, 2)},
        {"24 bits", PackedDib(4, 3, 24)},
        {"width 0", PackedDib(0, 3)},
        {"negative height", PackedDib(4, -3)},
        // 0x40000000 x 4 overflows 32 bits to 0 on i686 when multiplied there.
        {"a width whose byte count wraps", PackedDib(0x40000000, 1)},
        {"taller than the cap", PackedDib(1, 40000)},
    };
    for (const Bad& b : bad) {
        imagetest::GuardedBuffer buffer(b.bytes);
        EXPECT_EQ(nullptr, CreateAlphaDibFromPackedDib(buffer.Data(), buffer.Size(), false)) << b.what;
    }
}

TEST(ImageLoading, ResourceBitmapsComeBackByKind)
{
    HMODULE module = imagetest::ImageResourceModule();
    ASSERT_NE(nullptr, module);
    BOOL alpha = -1;
    HBITMAP png = LoadResourceBitmapFromModule(module, MAKEINTRESOURCEW(100), &alpha);
    ExpectReferencePixels(png, 5, 3);
    EXPECT_TRUE(alpha);
    DeleteObject(png);

    EXPECT_TRUE(IsBitmapResource32Bpp(module, MAKEINTRESOURCEW(101)));
    HBITMAP bmp32 = LoadResourceBitmapFromModule(module, MAKEINTRESOURCEW(101), &alpha);
    ExpectReferencePixels(bmp32, 4, 3);
    EXPECT_TRUE(alpha);
    DeleteObject(bmp32);

    // A 32-bit header over 100 bytes of pixels (16 x 16 needs 1024): refused, never over-read.
    EXPECT_EQ(nullptr, CreateAlphaDibFromPackedDib(nullptr, 0, false));
    HRSRC shortResource = FindResourceW(module, MAKEINTRESOURCEW(102), MAKEINTRESOURCEW(2));
    ASSERT_NE(nullptr, shortResource);
    EXPECT_EQ(nullptr, LoadAlphaBitmapResource(module, MAKEINTRESOURCEW(102)));

    EXPECT_FALSE(IsPngResource(module, MAKEINTRESOURCEW(101)));
    EXPECT_TRUE(IsPngResource(module, MAKEINTRESOURCEW(104)));
    EXPECT_EQ(nullptr, LoadResourceBitmapFromModule(module, MAKEINTRESOURCEW(104), &alpha)) << "cut PNG";
    EXPECT_FALSE(alpha);
    EXPECT_EQ(nullptr, LoadResourceBitmapFromModule(module, MAKEINTRESOURCEW(999), &alpha));
}

TEST(ImageLoading, ImageFilesLoadAsAlphaOrPlainBitmaps)
{
    EXPECT_TRUE(IsPngFile(ImageFixture(L"rgba.png")));
    EXPECT_FALSE(IsPngFile(ImageFixture(L"rgba32.bmp")));
    EXPECT_TRUE(IsBmpFile32Bpp(ImageFixture(L"rgba32.bmp")));
    EXPECT_FALSE(IsBmpFile32Bpp(ImageFixture(L"rgb24.bmp")));
    EXPECT_FALSE(IsPngFile(ImageFixture(L"missing.png")));

    BOOL alpha = FALSE;
    HBITMAP bmp32 = LoadImageFileAsBitmap(ImageFixture(L"rgba32.bmp"), &alpha);
    ExpectReferencePixels(bmp32, 4, 3);
    EXPECT_TRUE(alpha);
    DeleteObject(bmp32);

    HBITMAP png = LoadImageFileAsBitmap(ImageFixture(L"rgba.png"), &alpha);
    ExpectReferencePixels(png, 5, 3);
    EXPECT_TRUE(alpha);
    DeleteObject(png);

    HBITMAP bmp24 = LoadImageFileAsBitmap(ImageFixture(L"rgb24.bmp"), &alpha);
    ASSERT_NE(nullptr, bmp24);
    EXPECT_FALSE(alpha);
    EXPECT_EQ(4, BitmapSize(bmp24).cx);
    DeleteObject(bmp24);
}

TEST(ImageLoading, IcoFilesGiveTheirImagesBySize)
{
    struct Case {
        const wchar_t* file;
        int width, height;
        bool result;
        std::vector<int> widths; // of the images stored, in order
    };
    const std::vector<Case> cases = {
        {L"two-sizes.ico", 0, 0, true, {16, 32}},
        {L"two-sizes.ico", 32, 32, true, {32}},
        {L"two-sizes.ico", 24, 24, false, {}},
        {L"eight-bit.ico", 0, 0, true, {16}},
        {L"png-256.ico", 0, 0, true, {256}},
        {L"png-256.ico", 256, 256, true, {256}},
        {L"count-past-file.ico", 0, 0, false, {}},
        {L"entry-past-end.ico", 0, 0, false, {}},
        {L"entry-short.ico", 0, 0, false, {}},
        {L"rgba.png", 0, 0, false, {}},
        {L"missing.ico", 0, 0, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " at " << c.width);
        std::vector<XTPLoadedIconImage> images;
        EXPECT_EQ(c.result, LoadIcoFileImages(ImageFixture(c.file), c.width, c.height, images));
        ASSERT_EQ(c.widths.size(), images.size());
        for (size_t i = 0; i < images.size(); ++i) {
            EXPECT_EQ(c.widths[i], images[i].width);
            EXPECT_EQ(c.widths[i], images[i].height);
        }
        FreeImages(images);
    }

    std::vector<XTPLoadedIconImage> images;
    ASSERT_TRUE(LoadIcoFileImages(ImageFixture(L"two-sizes.ico"), 0, 0, images));
    ExpectReferencePixels(images[1].alphaBitmap, 32, 32);
    FreeImages(images);
    ASSERT_TRUE(LoadIcoFileImages(ImageFixture(L"png-256.ico"), 0, 0, images));
    ExpectReferencePixels(images[0].alphaBitmap, 256, 256, 4);
    FreeImages(images);
    ASSERT_TRUE(LoadIcoFileImages(ImageFixture(L"eight-bit.ico"), 0, 0, images));
    ASSERT_NE(nullptr, images[0].icon);
    EXPECT_EQ(16, GetIconPixelSize(images[0].icon).cx);
    FreeImages(images);
}

TEST(ImageLoading, CutAndFlippedIcoFilesLoadOrFailWithinTheirData)
{
    const auto original = imagetest::ReadFixture(L"two-sizes.ico");
    ASSERT_FALSE(original.empty());
    std::vector<XTPLoadedIconImage> images;
    for (size_t length = 0; length < original.size(); length += (length < 64 ? 1 : 37)) {
        imagetest::GuardedBuffer cut(std::vector<BYTE>(original.begin(), original.begin() + length));
        LoadIcoImagesFromMemory(cut.Data(), cut.Size(), 0, 0, images);
        FreeImages(images);
    }
    // The header and directory bytes, and some of the first image's header.
    for (size_t at = 0; at < 6 + 32 + 48; ++at)
        for (BYTE flip : {BYTE{0x01}, BYTE{0x40}, BYTE{0x80}, BYTE{0xFF}}) {
            auto bytes = original;
            bytes[at] ^= flip;
            imagetest::GuardedBuffer flipped(bytes);
            if (LoadIcoImagesFromMemory(flipped.Data(), flipped.Size(), 0, 0, images)) {
                EXPECT_FALSE(images.empty());
            }
            FreeImages(images);
        }
}

TEST(ImageLoading, IconResourcesAndGroups)
{
    HMODULE module = imagetest::ImageResourceModule();
    ASSERT_NE(nullptr, module);
    XTPLoadedIconImage image;
    ASSERT_TRUE(LoadIconResourceImage(module, MAKEINTRESOURCEW(110), 32, 32, true, image));
    ExpectReferencePixels(image.alphaBitmap, 32, 32);
    DeleteObject(image.alphaBitmap);
    EXPECT_FALSE(LoadIconResourceImage(module, MAKEINTRESOURCEW(110), 24, 24, true, image));

    std::vector<XTPLoadedIconImage> images;
    ASSERT_TRUE(LoadIconGroupImages(module, MAKEINTRESOURCEW(110), 0, 0, images));
    ASSERT_EQ(2u, images.size());
    EXPECT_EQ(16, images[0].width);
    EXPECT_EQ(32, images[1].width);
    FreeImages(images);

    ASSERT_TRUE(LoadIconGroupImages(module, MAKEINTRESOURCEW(111), 0, 0, images));
    ASSERT_EQ(1u, images.size());
    EXPECT_NE(nullptr, images[0].icon) << "an 8-bit image stays an icon";
    FreeImages(images);

    // A directory that counts four entries and holds one: the one there is used.
    ASSERT_TRUE(LoadIconGroupImages(module, MAKEINTRESOURCEW(130), 0, 0, images));
    EXPECT_EQ(1u, images.size());
    FreeImages(images);
}

TEST(ImageLoading, ToolbarResourcesDropSeparatorsAndRefuseShortData)
{
    HMODULE module = imagetest::ImageResourceModule();
    ASSERT_NE(nullptr, module);
    std::vector<UINT> ids;
    SIZE button = {};
    ASSERT_TRUE(LoadToolBarResource(module, 120, ids, button));
    EXPECT_EQ((std::vector<UINT>{100, 101, 102}), ids);
    EXPECT_EQ(16, button.cx);
    EXPECT_EQ(15, button.cy);
    EXPECT_FALSE(LoadToolBarResource(module, 121, ids, button)) << "ten items counted, two there";
    EXPECT_TRUE(ids.empty());
    EXPECT_FALSE(LoadToolBarResource(module, 0, ids, button));
    EXPECT_FALSE(LoadToolBarResource(module, 999, ids, button));
}

TEST(ImageLoading, SplittingAStripRefusesZeroCountsAndTooNarrowBitmaps)
{
    const auto packed = PackedDib(48, 16);
    HBITMAP strip = CreateAlphaDibFromPackedDib(packed.data(), packed.size(), false);
    ASSERT_NE(nullptr, strip);
    HBITMAP parts[49] = {};
    EXPECT_FALSE(SplitAlphaBitmap(strip, 0, parts));
    EXPECT_FALSE(SplitAlphaBitmap(strip, 49, parts)) << "an icon narrower than a pixel";
    EXPECT_FALSE(SplitAlphaBitmap(nullptr, 3, parts));
    ASSERT_TRUE(SplitAlphaBitmap(strip, 3, parts));
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(16, BitmapSize(parts[i]).cx);
        for (int y : {0, 7, 15})
            for (int x : {0, 15})
                EXPECT_EQ(Bgra(Reference(16 * i + x, y)), DibPixel(parts[i], x, y));
        DeleteObject(parts[i]);
    }
    DeleteObject(strip);
}

HICON MakeIcon(int width, int height, BYTE alpha)
{
    void* bits = nullptr;
    HBITMAP colour = CreateAlphaDibSection(nullptr, width, height, &bits);
    for (int i = 0; i < width * height; ++i)
        static_cast<DWORD*>(bits)[i] = (static_cast<DWORD>(alpha) << 24) | 0x102030;
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    ICONINFO info = {TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

TEST(ImageLoading, IconSizesScalingAndTheAlphaTest)
{
    EXPECT_EQ(0, GetIconPixelSize(nullptr).cx);
    HICON icon = MakeIcon(16, 16, 0x80);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(16, GetIconPixelSize(icon).cx);
    EXPECT_EQ(16, GetIconPixelSize(icon).cy);

    // MulDiv by an old width of 0 would give -1; these are refused instead.
    EXPECT_EQ(nullptr, ScaleIconToWidth(icon, 0, 16, 32));
    EXPECT_EQ(nullptr, ScaleIconToWidth(icon, 16, 0, 32));
    EXPECT_EQ(nullptr, ScaleIconToWidth(icon, 16, 16, 0));
    HICON same = ScaleIconToWidth(icon, 16, 16, 16);
    ASSERT_NE(nullptr, same);
    EXPECT_NE(icon, same);
    DestroyIcon(same);
    HICON wide = ScaleIconToWidth(icon, 16, 8, 32);
    ASSERT_NE(nullptr, wide);
    EXPECT_EQ(32, GetIconPixelSize(wide).cx);
    EXPECT_EQ(16, GetIconPixelSize(wide).cy);
    DestroyIcon(wide);

    HICON flat = MakeIcon(16, 16, 0);
    XTPSetComCtlVersionOverride(0x60000);
    EXPECT_TRUE(IsComCtl6OrLater());
    EXPECT_TRUE(IsAlphaIcon(icon));
    EXPECT_FALSE(IsAlphaIcon(flat)) << "all alpha bytes 0: a plain icon";
    XTPSetComCtlVersionOverride(0x50051);
    EXPECT_FALSE(IsComCtl6OrLater());
    XTPSetComCtlVersionOverride(0);
    DestroyIcon(flat);
    DestroyIcon(icon);
}

TEST(ImageLoading, PremultiplyingSetsTheAlphaTestOnlyForRealAlpha)
{
    void* bits = nullptr;
    HBITMAP source = CreateAlphaDibSection(nullptr, 2, 1, &bits);
    static_cast<DWORD*>(bits)[0] = 0x80FF8040; // a 128, r 255, g 128, b 64
    static_cast<DWORD*>(bits)[1] = 0x00FFFFFF;
    int test = -1;
    BYTE* premultiplied = nullptr;
    HBITMAP result = PremultiplyAlphaBitmap(source, &test, &premultiplied);
    ASSERT_NE(nullptr, result);
    EXPECT_EQ(1, test);
    EXPECT_EQ((std::array<BYTE, 4>{64 * 128 / 255, 128 * 128 / 255, 255 * 128 / 255, 128}), DibPixel(result, 0, 0));
    EXPECT_EQ((std::array<BYTE, 4>{0, 0, 0, 0}), DibPixel(result, 1, 0));
    DeleteObject(result);

    static_cast<DWORD*>(bits)[0] = 0x00FF8040;
    test = -1;
    result = PremultiplyAlphaBitmap(source, &test);
    EXPECT_EQ(-1, test);
    DeleteObject(result);
    DeleteObject(source);
}

TEST(ImageLoading, TheCompositorLaysPremultipliedSourceOverTarget)
{
    void *s = nullptr, *d = nullptr, *r = nullptr;
    HBITMAP source = CreateAlphaDibSection(nullptr, 2, 1, &s);
    HBITMAP target = CreateAlphaDibSection(nullptr, 2, 1, &d);
    HBITMAP result = CreateAlphaDibSection(nullptr, 2, 1, &r);
    static_cast<DWORD*>(s)[0] = 0x80004080; // alpha 128, premultiplied colour
    static_cast<DWORD*>(s)[1] = 0x00000000; // transparent
    static_cast<DWORD*>(d)[0] = 0x00C8C8C8;
    static_cast<DWORD*>(d)[1] = 0x00102030;
    ASSERT_TRUE(CompositeAlphaBitmaps(source, false, target, false, result));
    const BYTE over = static_cast<BYTE>(200 * 127 / 255);
    EXPECT_EQ((std::array<BYTE, 4>{static_cast<BYTE>(0x80 + over), static_cast<BYTE>(0x40 + over), over, 0}),
              DibPixel(result, 0, 0));
    EXPECT_EQ((std::array<BYTE, 4>{0x30, 0x20, 0x10, 0}), DibPixel(result, 1, 0));
    // A mirrored source reads its row right to left.
    ASSERT_TRUE(CompositeAlphaBitmaps(source, true, target, false, result));
    EXPECT_EQ((std::array<BYTE, 4>{0xC8, 0xC8, 0xC8, 0}), DibPixel(result, 0, 0));
    HBITMAP other = CreateAlphaDibSection(nullptr, 3, 1);
    EXPECT_FALSE(CompositeAlphaBitmaps(source, false, other, false, result)) << "sizes differ";
    for (HBITMAP b : {source, target, result, other})
        DeleteObject(b);
}

TEST(ImageLoading, DisabledAndLightenedColours)
{
    EXPECT_EQ(RGB(255, 255, 255), DisabledGreyColor(RGB(255, 255, 255)));
    EXPECT_EQ(RGB(0, 0, 0), DisabledGreyColor(RGB(0, 0, 0)));
    EXPECT_EQ(RGB(180, 180, 180), DisabledGreyColor(RGB(128, 128, 128)));
    EXPECT_EQ(RGB(10, 20, 30), DisabledTwoColor(RGB(0, 0, 0), RGB(200, 200, 200), RGB(10, 20, 30)));
    EXPECT_EQ(RGB(200, 200, 200), DisabledTwoColor(RGB(255, 255, 255), RGB(200, 200, 200), RGB(10, 20, 30)));
    EXPECT_EQ(RGB(76, 76 + 30, 255), LightenColor(RGB(0, 43, 255), 0.3));
}

// The saved bitmap block: a count, the BITMAPINFO, a count, the pixels.
std::vector<BYTE> BitmapBlock(const BITMAPINFOHEADER& header, DWORD infoSize, DWORD pixelCount)
{
    CMemFile file;
    {
        CArchive archive(&file, CArchive::store);
        archive.WriteCount(infoSize);
        std::vector<BYTE> info(infoSize, 0);
        std::memcpy(info.data(), &header, std::min<size_t>(sizeof(header), infoSize));
        archive.Write(info.data(), infoSize);
        archive.WriteCount(pixelCount);
        std::vector<BYTE> pixels(pixelCount, 0x5A);
        archive.Write(pixels.data(), pixelCount);
        archive.Close();
    }
    return file.Data();
}

TEST(ImageLoading, SavedBitmapBlocksRoundTripAndLyingHeadersAreRefused)
{
    const auto packed = PackedDib(5, 4);
    HBITMAP original = CreateAlphaDibFromPackedDib(packed.data(), packed.size(), false);
    CMemFile file;
    {
        CArchive archive(&file, CArchive::store);
        WriteArchiveBitmap(archive, original);
        WriteArchiveBitmap(archive, nullptr);
        archive.Close();
    }
    file.SeekToBegin();
    {
        CArchive archive(&file, CArchive::load);
        BYTE* bits = nullptr;
        HBITMAP back = ReadArchiveBitmap(archive, &bits);
        ExpectReferencePixels(back, 5, 4);
        EXPECT_NE(nullptr, bits);
        DeleteObject(back);
        EXPECT_EQ(nullptr, ReadArchiveBitmap(archive)) << "the empty block";
    }
    DeleteObject(original);

    BITMAPINFOHEADER good = {};
    good.biSize = 40;
    good.biWidth = 4;
    good.biHeight = 4;
    good.biPlanes = 1;
    good.biBitCount = 32;
    struct Lie {
        const char* what;
        std::function<void(BITMAPINFOHEADER&)> change;
        DWORD infoSize;
        DWORD pixels;
    };
    const std::vector<Lie> lies = {
        {"pixels fewer than described", [](BITMAPINFOHEADER&) {}, 40, 63},
        {"header block of 39 bytes", [](BITMAPINFOHEADER&) {}, 39, 64},
        {"header block past 40 + 1024", [](BITMAPINFOHEADER&) {}, 40 + 1025, 64},
        {"biSize 124", [](BITMAPINFOHEADER& h) { h.biSize = 124; }, 40, 64},
        {"no planes", [](BITMAPINFOHEADER& h) { h.biPlanes = 0; }, 40, 64},
        {"bit count 7", [](BITMAPINFOHEADER& h) { h.biBitCount = 7; }, 40, 64},
        {"width 0", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }, 40, 64},
        {"width beyond the cap", [](BITMAPINFOHEADER& h) { h.biWidth = 100000; }, 40, 64},
        {"a size whose bytes wrap 32 bits", [](BITMAPINFOHEADER& h) { h.biWidth = 32767; h.biHeight = 32767; }, 40, 64},
        {"compressed", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; h.biBitCount = 8; }, 40 + 1024, 64},
    };
    for (const Lie& lie : lies) {
        BITMAPINFOHEADER header = good;
        lie.change(header);
        auto bytes = BitmapBlock(header, lie.infoSize, lie.pixels);
        CMemFile in(bytes.data(), static_cast<UINT>(bytes.size()));
        CArchive archive(&in, CArchive::load);
        bool threw = false;
        try {
            HBITMAP made = ReadArchiveBitmap(archive);
            DeleteObject(made);
        } catch (const CArchiveException&) {
            threw = true;
        }
        EXPECT_TRUE(threw) << lie.what;
    }
}

} // namespace

namespace {

HBITMAP OnePixelRow(std::initializer_list<DWORD> pixels)
{
    void* bits = nullptr;
    HBITMAP bitmap = CreateAlphaDibSection(nullptr, static_cast<int>(pixels.size()), 1, &bits);
    int i = 0;
    for (DWORD p : pixels)
        static_cast<DWORD*>(bits)[i++] = p;
    return bitmap;
}

TEST(ImageDerived, AlphaPicturesFadeShadowAndGreyByTheirPremultipliedPixels)
{
    HBITMAP source = OnePixelRow({0xFFFFFFFF, 0xFF000000, 0xFF808080, 0x80404040, 0x00000000});
    HBITMAP grey = MakeDisabledBitmap(source);
    ASSERT_NE(nullptr, grey);
    EXPECT_EQ((std::array<BYTE, 4>{255, 255, 255, 255}), DibPixel(grey, 0, 0));
    EXPECT_EQ((std::array<BYTE, 4>{0, 0, 0, 255}), DibPixel(grey, 1, 0));
    EXPECT_EQ((std::array<BYTE, 4>{180, 180, 180, 255}), DibPixel(grey, 2, 0));
    // 0x40 at alpha 128 is 127 straight, grey 179, premultiplied again 89.
    EXPECT_EQ((std::array<BYTE, 4>{89, 89, 89, 128}), DibPixel(grey, 3, 0));
    EXPECT_EQ((std::array<BYTE, 4>{0, 0, 0, 0}), DibPixel(grey, 4, 0));

    HBITMAP faded = MakeFadedBitmap(source);
    EXPECT_EQ((std::array<BYTE, 4>{static_cast<BYTE>(0.7 * 0x80 + 0.3 * 255), static_cast<BYTE>(0.7 * 0x80 + 0.3 * 255),
                                   static_cast<BYTE>(0.7 * 0x80 + 0.3 * 255), 255}),
              DibPixel(faded, 2, 0));
    EXPECT_EQ((std::array<BYTE, 4>{0, 0, 0, 0}), DibPixel(faded, 4, 0)) << "transparent pixels stay";

    HBITMAP shadow = MakeShadowBitmap(source, RGB(90, 60, 30));
    EXPECT_EQ((std::array<BYTE, 4>{30, 60, 90, 255}), DibPixel(shadow, 1, 0));
    EXPECT_EQ((std::array<BYTE, 4>{30 * 128 / 255, 60 * 128 / 255, 90 * 128 / 255, 128}), DibPixel(shadow, 3, 0));

    HBITMAP twoColour = MakeDisabledBitmap(source, RGB(200, 200, 200), RGB(10, 20, 30));
    EXPECT_EQ((std::array<BYTE, 4>{30, 20, 10, 255}), DibPixel(twoColour, 1, 0));
    for (HBITMAP b : {source, grey, faded, shadow, twoColour})
        DeleteObject(b);
}

TEST(ImageDerived, PlainIconsAreRecolouredWhereTheirMaskIsOpaque)
{
    // Left half grey 128 and opaque, right half transparent.
    void* bits = nullptr;
    HBITMAP colour = CreateAlphaDibSection(nullptr, 16, 16, &bits);
    for (int i = 0; i < 256; ++i)
        static_cast<DWORD*>(bits)[i] = (i % 16) < 8 ? 0x00808080 : 0;
    WORD rows[16];
    for (WORD& row : rows)
        row = 0xFF00;
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, rows);
    ICONINFO info = {TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);

    auto drawn = [](HICON drawnIcon, int x) {
        HDC dc = CreateCompatibleDC(nullptr);
        void* canvasBits = nullptr;
        HBITMAP canvas = CreateAlphaDibSection(nullptr, 16, 16, &canvasBits);
        for (int i = 0; i < 256; ++i)
            static_cast<DWORD*>(canvasBits)[i] = 0x000000FF; // blue background
        HGDIOBJ old = SelectObject(dc, canvas);
        DrawIconEx(dc, 0, 0, drawnIcon, 16, 16, 0, nullptr, DI_NORMAL);
        const COLORREF result = GetPixel(dc, x, 5);
        SelectObject(dc, old);
        DeleteObject(canvas);
        DeleteDC(dc);
        return result;
    };
    HICON grey = MakeDisabledIcon(icon);
    ASSERT_NE(nullptr, grey);
    EXPECT_EQ(RGB(180, 180, 180), drawn(grey, 3));
    EXPECT_EQ(RGB(0, 0, 255), drawn(grey, 12)) << "the transparent half still shows the background";
    HICON faded = MakeFadedIcon(icon);
    const BYTE fadedGrey = static_cast<BYTE>(0.3 * 255 + 0.7 * 128);
    EXPECT_EQ(RGB(fadedGrey, fadedGrey, fadedGrey), drawn(faded, 3));
    HICON shadow = MakeShadowIcon(icon, RGB(90, 60, 30));
    EXPECT_EQ(RGB(90, 60, 30), drawn(shadow, 3));
    for (HICON i : {icon, grey, faded, shadow})
        DestroyIcon(i);
}

} // namespace
