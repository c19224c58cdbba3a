// The blending paths of the image manager, drawn into a white DIB and checked pixel by pixel:
// alpha blending through msimg32 and through the manager's own compositor, colour-keyed copies
// with and without msimg32, plain icons drawn with real alpha, alpha bitmaps, and pictures that
// only OLE reads.

#include "tests/support/DibCanvas.h"
#include "tests/toolkit/foundation/ImageTestSupport.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/foundation/XTPOsVersion.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <cstdlib>
#include <fstream>
#include <vector>

using testsupport::DibCanvas;

namespace {

// A 32-bit bitmap selected into a memory context; pixels given as 0xAARRGGBB, row by row from
// the top.
HBITMAP MakeBitmap(int width, int height, const std::vector<DWORD>& pixels)
{
    void* bits = nullptr;
    HBITMAP bitmap = CreateAlphaDibSection(nullptr, width, height, &bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            static_cast<DWORD*>(bits)[(height - 1 - y) * width + x] = pixels[static_cast<size_t>(y * width + x)];
    return bitmap;
}

class SourcePicture {
public:
    SourcePicture(int width, int height, const std::vector<DWORD>& pixels)
        : m_bitmap(MakeBitmap(width, height, pixels))
    {
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~SourcePicture()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    SourcePicture(const SourcePicture&) = delete;
    SourcePicture& operator=(const SourcePicture&) = delete;
    HDC DC() const { return m_dc; }
    HBITMAP Bitmap() const { return m_bitmap; }

private:
    HDC m_dc = CreateCompatibleDC(nullptr);
    HBITMAP m_bitmap;
    HGDIOBJ m_old = nullptr;
};

// Source over a white target: each channel s + 255 x (255 - a) / 255 (integer division).
COLORREF OverWhite(DWORD premultiplied)
{
    const int a = premultiplied >> 24 & 0xFF;
    auto channel = [a](int s) { return s + 255 * (255 - a) / 255; };
    return RGB(channel(premultiplied >> 16 & 0xFF), channel(premultiplied >> 8 & 0xFF), channel(premultiplied & 0xFF));
}

bool Near(COLORREF expected, COLORREF actual, int tolerance)
{
    return std::abs(GetRValue(expected) - GetRValue(actual)) <= tolerance &&
           std::abs(GetGValue(expected) - GetGValue(actual)) <= tolerance &&
           std::abs(GetBValue(expected) - GetBValue(actual)) <= tolerance;
}

// Restores the global manager's blending entry points and system version after a test.
struct GlobalSeams {
    ~GlobalSeams()
    {
        GetGlobalImageManager()->SetDrawHelpers(nullptr);
        GetGlobalImageManager()->SetOsVersion(nullptr);
    }
};

OSVERSIONINFOW VersionRecord(DWORD platform, DWORD major, DWORD minor)
{
    OSVERSIONINFOW record = {};
    record.dwOSVersionInfoSize = sizeof(record);
    record.dwPlatformId = platform;
    record.dwMajorVersion = major;
    record.dwMinorVersion = minor;
    return record;
}

// A 16 x 16 icon, colour where the mask is opaque (the left half), transparent on the right.
HICON LeftHalfIcon(COLORREF colour)
{
    void* bits = nullptr;
    HBITMAP dib = CreateAlphaDibSection(nullptr, 16, 16, &bits);
    const DWORD bgr = GetBValue(colour) | GetGValue(colour) << 8 | GetRValue(colour) << 16;
    for (int i = 0; i < 256; ++i)
        static_cast<DWORD*>(bits)[i] = i % 16 < 8 ? bgr : 0;
    WORD rows[16];
    for (WORD& row : rows)
        row = 0xFF00; // left byte 0x00 (opaque), right byte 0xFF (transparent)
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, rows);
    ICONINFO info = {TRUE, 0, 0, mask, dib};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(dib);
    DeleteObject(mask);
    return icon;
}

TEST(ImageDrawing, AlphaBlendLaysPremultipliedPixelsOverTheTargetWithOrWithoutMsimg32)
{
    GlobalSeams restore;
    // Opaque red, half-covering green, fully transparent, a quarter-covering blue.
    const std::vector<DWORD> pixels = {0xFFFF0000, 0x80008000, 0x00000000, 0x40000040};
    SourcePicture source(4, 1, pixels);
    const CXTPOsVersionCache nt4(VersionRecord(VER_PLATFORM_WIN32_NT, 4, 0));
    const CXTPOsVersionCache win9x(VersionRecord(VER_PLATFORM_WIN32_WINDOWS, 4, 10));
    CXTPDrawHelpers none(nullptr, nullptr, nullptr);

    struct Case {
        const char* name;
        CXTPDrawHelpers* helpers;
        const CXTPOsVersionCache* os;
        int sourceLeft;
        int tolerance; // msimg32 may round where the compositor truncates
    };
    const Case cases[] = {
        {"msimg32", nullptr, nullptr, 0, 1},
        {"no AlphaBlend entry point: the compositor", &none, nullptr, 0, 0},
        {"before Windows 2000 with the source off (0, 0): the compositor", nullptr, &nt4, 1, 0},
        {"9x with a left-to-right target keeps msimg32", nullptr, &win9x, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GetGlobalImageManager()->SetDrawHelpers(c.helpers);
        GetGlobalImageManager()->SetOsVersion(c.os);
        DibCanvas canvas(8, 4);
        const int count = 4 - c.sourceLeft;
        const RECT target = {2, 1, 2 + count, 2};
        const RECT from = {c.sourceLeft, 0, 4, 1};
        ASSERT_TRUE(GetGlobalImageManager()->AlphaBlend(canvas.DC(), &target, source.DC(), &from));
        for (int i = 0; i < count; ++i) {
            const COLORREF expected = OverWhite(pixels[static_cast<size_t>(c.sourceLeft + i)]);
            EXPECT_TRUE(Near(expected, canvas.At(2 + i, 1), c.tolerance))
                << "pixel " << i << ": " << std::hex << canvas.At(2 + i, 1) << " for " << expected;
        }
        EXPECT_EQ(RGB(255, 255, 255), canvas.At(1, 1)) << "nothing outside the target rectangle";
        EXPECT_EQ(RGB(255, 255, 255), canvas.At(2, 2));
    }
}

TEST(ImageDrawing, TheCompositorStretchesTheSourceOverTheTarget)
{
    SourcePicture source(2, 1, {0xFFFF0000, 0xFF0000FF});
    DibCanvas canvas(4, 1);
    ASSERT_TRUE(AlphaBlendFallback(canvas.DC(), 0, 0, 4, 1, source.DC(), 0, 0, 2, 1));
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(0, 0));
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(1, 0));
    EXPECT_EQ(RGB(0, 0, 255), canvas.At(2, 0));
    EXPECT_EQ(RGB(0, 0, 255), canvas.At(3, 0));

    EXPECT_FALSE(AlphaBlendFallback(canvas.DC(), 0, 0, 0, 1, source.DC(), 0, 0, 2, 1)) << "empty target";
}

TEST(ImageDrawing, TransparentCopiesLeaveKeyPixelsAloneWithOrWithoutMsimg32)
{
    GlobalSeams restore;
    CXTPDrawHelpers none(nullptr, nullptr, nullptr);
    const CXTPOsVersionCache nt4(VersionRecord(VER_PLATFORM_WIN32_NT, 4, 0));
    const DWORD magenta = 0x00FF00FF, black = 0, red = 0x00FF0000, blue = 0x000000FF, grey = 0x00808080;

    struct Case {
        const char* name;
        CXTPDrawHelpers* helpers;
        const CXTPOsVersionCache* os;
        DWORD key;
    };
    const Case cases[] = {
        {"msimg32, magenta key", nullptr, nullptr, magenta},
        {"masks, no entry point, magenta key", &none, nullptr, magenta},
        {"masks before Windows 2000, magenta key", nullptr, &nt4, magenta},
        {"masks, black key: nothing to blacken", &none, nullptr, black},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GetGlobalImageManager()->SetDrawHelpers(c.helpers);
        GetGlobalImageManager()->SetOsVersion(c.os);
        SourcePicture source(4, 1, {c.key, red, c.key, blue});
        const COLORREF key = RGB(c.key >> 16 & 0xFF, c.key >> 8 & 0xFF, c.key & 0xFF);
        for (int scale : {1, 2}) {
            SCOPED_TRACE(scale == 1 ? "same size" : "stretched twice");
            DibCanvas canvas(10, 3);
            SourcePicture background(1, 1, {grey});
            StretchBlt(canvas.DC(), 0, 0, 10, 3, background.DC(), 0, 0, 1, 1, SRCCOPY);
            const RECT target = {1, 1, 1 + 4 * scale, 1 + scale};
            const RECT from = {0, 0, 4, 1};
            ASSERT_TRUE(GetGlobalImageManager()->TransparentBlt(canvas.DC(), &target, source.DC(), &from, key));
            const COLORREF expected[4] = {RGB(128, 128, 128), RGB(255, 0, 0), RGB(128, 128, 128), RGB(0, 0, 255)};
            for (int i = 0; i < 4; ++i)
                for (int s = 0; s < scale; ++s)
                    EXPECT_EQ(expected[i], canvas.At(1 + i * scale + s, 1)) << "pixel " << i;
            EXPECT_EQ(RGB(128, 128, 128), canvas.At(0, 1));
            EXPECT_EQ(RGB(0, 0, 0), GetTextColor(canvas.DC())) << "the target's colours are put back";
            EXPECT_EQ(RGB(255, 255, 255), GetBkColor(canvas.DC()));
        }
    }
}

TEST(ImageDrawing, PlainIconsDrawnWithAlphaCoverWhatTheirMaskCoversAndMirrorOnANegativeWidth)
{
    HICON icon = LeftHalfIcon(RGB(200, 30, 40));
    ASSERT_NE(nullptr, icon);
    DibCanvas canvas(24, 20);
    ASSERT_TRUE(DrawIconAlphaBlended(canvas.DC(), 2, 2, 16, 16, icon));
    EXPECT_EQ(RGB(200, 30, 40), canvas.At(2, 2));
    EXPECT_EQ(RGB(200, 30, 40), canvas.At(9, 17));
    EXPECT_EQ(RGB(255, 255, 255), canvas.At(10, 2));
    EXPECT_EQ(RGB(255, 255, 255), canvas.At(17, 17));
    EXPECT_EQ(RGB(255, 255, 255), canvas.At(1, 2));

    DibCanvas mirrored(24, 20);
    ASSERT_TRUE(DrawIconAlphaBlended(mirrored.DC(), 18, 2, -16, 16, icon)) << "x + cx .. x, right to left";
    EXPECT_EQ(RGB(255, 255, 255), mirrored.At(2, 2));
    EXPECT_EQ(RGB(255, 255, 255), mirrored.At(9, 17));
    EXPECT_EQ(RGB(200, 30, 40), mirrored.At(10, 2));
    EXPECT_EQ(RGB(200, 30, 40), mirrored.At(17, 17));

    EXPECT_FALSE(DrawIconAlphaBlended(canvas.DC(), 0, 0, 0, 16, icon));
    EXPECT_FALSE(DrawIconAlphaBlended(canvas.DC(), 0, 0, 16, 16, nullptr));
    DestroyIcon(icon);
}

TEST(ImageDrawing, AlphaBitmapsBlendAPartOrTheWholeAtTheTargetSize)
{
    // Two columns: opaque green and half-covering red (premultiplied).
    HBITMAP copy = MakeBitmap(2, 2, {0xFF00FF00, 0x80800000, 0xFF00FF00, 0x80800000});
    DibCanvas canvas(6, 2);
    ASSERT_TRUE(AlphaBlendBitmap(canvas.DC(), copy, 0, 0, 2, 2));
    EXPECT_TRUE(Near(RGB(0, 255, 0), canvas.At(0, 0), 1));
    EXPECT_TRUE(Near(OverWhite(0x80800000), canvas.At(1, 1), 1));
    ASSERT_TRUE(AlphaBlendBitmap(canvas.DC(), copy, 4, 0, 2, 2, 1, 0, 1, 2)) << "the right column, stretched";
    EXPECT_TRUE(Near(OverWhite(0x80800000), canvas.At(4, 0), 1));
    EXPECT_TRUE(Near(OverWhite(0x80800000), canvas.At(5, 1), 1));
    EXPECT_EQ(RGB(255, 255, 255), canvas.At(3, 0));
    EXPECT_FALSE(AlphaBlendBitmap(canvas.DC(), nullptr, 0, 0, 2, 2));
    DeleteObject(copy);
}

// A GIF of 4 x 4 pixels: the top row palette entry 1 (blue), the rest entry 0 (red). The image
// data is written as 3-bit LZW codes, a clear code before every pair of pixels so that the code
// size never grows.
std::vector<BYTE> FourByFourGif()
{
    std::vector<BYTE> gif = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x80, 0, 0,
                             0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, // palette: red, blue
                             0x2C, 0, 0, 0, 0, 4, 0, 4, 0, 0, 2};
    std::vector<int> codes;
    for (int pixel = 0; pixel < 16; pixel += 2) {
        codes.push_back(4);
        codes.push_back(pixel < 4 ? 1 : 0);
        codes.push_back(pixel + 1 < 4 ? 1 : 0);
    }
    codes.push_back(5);
    std::vector<BYTE> data;
    unsigned accumulator = 0;
    int bits = 0;
    for (int code : codes) {
        accumulator |= static_cast<unsigned>(code) << bits;
        bits += 3;
        while (bits >= 8) {
            data.push_back(static_cast<BYTE>(accumulator & 0xFF));
            accumulator >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        data.push_back(static_cast<BYTE>(accumulator & 0xFF));
    gif.push_back(static_cast<BYTE>(data.size()));
    gif.insert(gif.end(), data.begin(), data.end());
    gif.push_back(0);
    gif.push_back(0x3B);
    return gif;
}

TEST(ImageDrawing, PicturesOnlyOleReadsComeBackUprightAndLeaveTheAlphaFlagAlone)
{
    const HRESULT com = CoInitialize(nullptr);
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"image-drawing-ole.gif";
    {
        const std::vector<BYTE> gif = FourByFourGif();
        std::ofstream file(path.c_str(), std::ios::binary);
        file.write(reinterpret_cast<const char*>(gif.data()), static_cast<std::streamsize>(gif.size()));
    }
    for (BOOL flag : {FALSE, TRUE}) {
        BOOL alpha = flag;
        HBITMAP bitmap = LoadImageFileAsBitmap(path.c_str(), &alpha);
        ASSERT_NE(nullptr, bitmap);
        EXPECT_EQ(flag, alpha) << "OLE does not know about alpha: the caller's value stays";
        EXPECT_EQ(4, imagetest::BitmapSize(bitmap).cx);
        EXPECT_EQ(4, imagetest::BitmapSize(bitmap).cy);
        const auto top = imagetest::DibPixel(bitmap, 1, 0);
        const auto bottom = imagetest::DibPixel(bitmap, 2, 3);
        EXPECT_EQ(255, top[0]) << "the blue row stays on top";
        EXPECT_EQ(0, top[2]);
        EXPECT_EQ(255, bottom[2]);
        EXPECT_EQ(0, bottom[0]);
        DeleteObject(bitmap);
    }
    BOOL untouched = 7;
    EXPECT_EQ(nullptr, LoadImageFileAsBitmap(L"Z:\\no\\such\\picture.gif", &untouched));
    EXPECT_EQ(7, untouched);
    DeleteFileW(path.c_str());
    if (SUCCEEDED(com))
        CoUninitialize();
}

TEST(ImageDrawing, BitmapPixelsAndLightenedColoursComeFromTheDrawingLayer)
{
    HBITMAP copy = MakeBitmap(2, 1, {0xFF102030, 0xFF405060});
    EXPECT_EQ(RGB(0x10, 0x20, 0x30), GetBitmapPixel(copy, 0, 0));
    EXPECT_EQ(RGB(0x40, 0x50, 0x60), GetBitmapPixel(copy, 1, 0));
    EXPECT_EQ(CLR_INVALID, GetBitmapPixel(nullptr, 0, 0));
    DeleteObject(copy);
    // int(f x 255 + (1 - f) x c): 0.3 x 255 + 0.7 x 100 = 146.5.
    EXPECT_EQ(RGB(146, 255, 76), CXTPImageManagerIcon::LightenColor(RGB(100, 255, 0), 0.3));
    EXPECT_EQ(BlendColors(RGB(255, 255, 255), RGB(7, 8, 9), 0.25), CXTPImageManagerIcon::LightenColor(RGB(7, 8, 9), 0.25));
}

} // namespace
