// Drawing helpers into 32-bit DIB sections (no display needed): gradients through msimg32 and
// through the manual path, the double buffer, the scope wrappers, and the colour arithmetic.
// Expected colours come from the integer formulas, worked out by hand in the tables.

#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPDrawHelpers.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A top-down 32-bit DIB section in its own memory context, filled white.
class DibCanvas {
public:
    DibCanvas(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_dc.CreateCompatibleDC(nullptr);
        m_old = ::SelectObject(m_dc.GetSafeHdc(), m_bitmap);
        Fill(RGB(255, 255, 255));
    }
    ~DibCanvas()
    {
        ::SelectObject(m_dc.GetSafeHdc(), m_old);
        ::DeleteObject(m_bitmap);
    }
    CDC* dc() { return &m_dc; }
    void Fill(COLORREF color)
    {
        ::GdiFlush();
        for (int i = 0; i < m_width * m_height; ++i)
            m_bits[i] = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    }
    COLORREF At(int x, int y) const
    {
        ::GdiFlush();
        DWORD v = m_bits[y * m_width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }

private:
    int m_width, m_height;
    HBITMAP m_bitmap = nullptr;
    DWORD* m_bits = nullptr;
    HGDIOBJ m_old = nullptr;
    CDC m_dc;
};

int g_gradientCalls = 0;
BOOL WINAPI CountingGradientFill(HDC dc, PTRIVERTEX v, ULONG nv, PVOID mesh, ULONG nm, ULONG mode)
{
    ++g_gradientCalls;
    return GetDrawHelpers()->m_pfnGradientFill(dc, v, nv, mesh, nm, mode);
}

std::string Rgb(COLORREF c)
{
    return "RGB(" + std::to_string(GetRValue(c)) + ", " + std::to_string(GetGValue(c)) + ", " +
           std::to_string(GetBValue(c)) + ")";
}

#define EXPECT_RGB(expected, actual) EXPECT_EQ(Rgb(expected), Rgb(actual))

constexpr COLORREF kFrom = RGB(200, 100, 0);
constexpr COLORREF kTo = RGB(0, 50, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

}    // namespace

TEST(DrawHelpersGradient, ManualRowStartsAtFromColourAndIsHalfwayAtFifty)
{
    DibCanvas canvas(120, 4);
    CXTPDrawHelpers manual(nullptr, nullptr, nullptr);
    CRect rect(10, 0, 110, 4);
    manual.GradientFill(canvas.dc(), &rect, kFrom, kTo, TRUE);
    EXPECT_RGB(kFrom, canvas.At(10, 2));
    EXPECT_RGB(RGB(100, 75, 127), canvas.At(60, 2));    // factor 0.5: 127.5 truncates
    EXPECT_RGB(BlendColors(kFrom, kTo, 1.0 - 99 / 100.0), canvas.At(109, 2));
    EXPECT_RGB(kWhite, canvas.At(9, 2));
    EXPECT_RGB(kWhite, canvas.At(110, 2));
}

TEST(DrawHelpersGradient, ManualColumnRunsTopToBottom)
{
    DibCanvas canvas(4, 100);
    CXTPDrawHelpers manual(nullptr, nullptr, nullptr);
    CRect rect(0, 0, 4, 100);
    manual.GradientFill(canvas.dc(), &rect, kFrom, kTo, FALSE);
    EXPECT_RGB(kFrom, canvas.At(1, 0));
    EXPECT_RGB(RGB(100, 75, 127), canvas.At(1, 50));
}

TEST(DrawHelpersGradient, MsimgPathIsUsedAndMatchesTheBlend)
{
    ASSERT_NE(GetDrawHelpers()->m_pfnGradientFill, nullptr) << "msimg32 GradientFill is missing";
    DibCanvas canvas(100, 4);
    CXTPDrawHelpers counting(nullptr, nullptr, CountingGradientFill);
    g_gradientCalls = 0;
    CRect rect(0, 0, 100, 4);
    counting.GradientFill(canvas.dc(), &rect, kFrom, kTo, TRUE);
    EXPECT_EQ(1, g_gradientCalls);
    EXPECT_RGB(kFrom, canvas.At(0, 1));
    // 16-bit channels interpolate without the truncation of the manual path: allow one step.
    COLORREF mid = canvas.At(50, 1), blend = BlendColors(kFrom, kTo, 0.5);
    EXPECT_NEAR(GetRValue(blend), GetRValue(mid), 1);
    EXPECT_NEAR(GetGValue(blend), GetGValue(mid), 1);
    EXPECT_NEAR(GetBValue(blend), GetBValue(mid), 1);
}

TEST(DrawHelpersGradient, EqualColoursPaintOneSolidRectangleWithoutMsimg)
{
    DibCanvas canvas(50, 10);
    CXTPDrawHelpers counting(nullptr, nullptr, CountingGradientFill);
    g_gradientCalls = 0;
    CRect rect(5, 2, 45, 8);
    counting.GradientFill(canvas.dc(), &rect, RGB(10, 20, 30), RGB(10, 20, 30), TRUE);
    EXPECT_EQ(0, g_gradientCalls);
    for (int x : {5, 25, 44})
        EXPECT_RGB(RGB(10, 20, 30), canvas.At(x, 5)) << "x " << x;
    EXPECT_RGB(kWhite, canvas.At(45, 5));
}

TEST(DrawHelpersGradient, ManualPathPaintsOnlyTheClipBoxInTheWholeGradientsColours)
{
    DibCanvas canvas(100, 10);
    CRgn clip;
    clip.CreateRectRgn(30, 0, 40, 10);
    canvas.dc()->SelectClipRgn(&clip);
    CXTPDrawHelpers manual(nullptr, nullptr, nullptr);
    CRect rect(0, 0, 100, 10);
    manual.GradientFill(canvas.dc(), &rect, kFrom, kTo, TRUE);
    EXPECT_RGB(kWhite, canvas.At(29, 5));
    EXPECT_RGB(BlendColors(kFrom, kTo, 1.0 - 30 / 100.0), canvas.At(30, 5));
    EXPECT_RGB(BlendColors(kFrom, kTo, 1.0 - 39 / 100.0), canvas.At(39, 5));
    EXPECT_RGB(kWhite, canvas.At(40, 5));
}

TEST(DrawHelpersGradient, ClippedGradientRecomputesItsEndColours)
{
    DibCanvas canvas(100, 10);
    CXTPDrawHelpers manual(nullptr, nullptr, nullptr);
    CRect rect(0, 0, 100, 10), clip(20, 2, 60, 8);
    manual.GradientFillClipped(canvas.dc(), &rect, kFrom, kTo, TRUE, &clip);
    COLORREF first = BlendColors(kFrom, kTo, 80 / 100.0);
    EXPECT_RGB(first, canvas.At(20, 5));
    EXPECT_RGB(kWhite, canvas.At(19, 5));
    EXPECT_RGB(kWhite, canvas.At(60, 5));
    EXPECT_RGB(kWhite, canvas.At(30, 1));    // top and bottom narrowed to the clip
    EXPECT_RGB(kWhite, canvas.At(30, 8));
    // A clip wholly outside the rectangle draws nothing.
    CRect outside(100, 0, 120, 10);
    manual.GradientFillClipped(canvas.dc(), &rect, RGB(1, 2, 3), RGB(4, 5, 6), TRUE, &outside);
    EXPECT_RGB(kWhite, canvas.At(99, 0));
}

TEST(DrawHelpersGradient, TwoStageGradientSplitsAtHalfTheWidth)
{
    DibCanvas canvas(101, 4);
    CXTPDrawHelpers manual(nullptr, nullptr, nullptr);
    CXTPPaintManagerColorGradient gradient;
    gradient.SetStandardValue(kFrom, kTo, 0.3f);
    CRect rect(0, 0, 101, 4);
    manual.GradientFillColorGradient(canvas.dc(), &rect, gradient, TRUE);
    COLORREF middle = BlendColors(kFrom, kTo, 0.3f);
    EXPECT_RGB(kFrom, canvas.At(0, 1));
    // The left part is 51 pixels (101 - 101 / 2 = 51): its last pixel is still on the way to
    // the middle colour, and the right part starts exactly at it.
    EXPECT_RGB(BlendColors(kFrom, middle, 1.0 - 50 / 51.0), canvas.At(50, 1));
    EXPECT_RGB(middle, canvas.At(51, 1));

    // Factor 0.5: one gradient over the whole width.
    gradient.fGradientFactor = 0.5f;
    manual.GradientFillColorGradient(canvas.dc(), &rect, gradient, TRUE);
    EXPECT_RGB(BlendColors(kFrom, kTo, 1.0 - 51 / 101.0), canvas.At(51, 1));
}

TEST(DrawHelpersBufferDC, CopiesTheRectangleAtTheSameCoordinatesOnly)
{
    DibCanvas canvas(60, 50);
    {
        CXTPBufferDC buffer(canvas.dc()->GetSafeHdc(), CRect(10, 10, 50, 40));
        ASSERT_TRUE(buffer.IsBuffered());
        BITMAP info = {};
        ::GetObjectW(::GetCurrentObject(buffer.GetSafeHdc(), OBJ_BITMAP), sizeof(info), &info);
        EXPECT_EQ(50, info.bmWidth);    // right x bottom, not width x height
        EXPECT_EQ(40, info.bmHeight);
        buffer.FillSolidRect(0, 0, 50, 40, RGB(255, 0, 0));
        EXPECT_RGB(kWhite, canvas.At(20, 20)) << "drawn before the copy";
    }
    EXPECT_RGB(RGB(255, 0, 0), canvas.At(10, 10));
    EXPECT_RGB(RGB(255, 0, 0), canvas.At(49, 39));
    EXPECT_RGB(kWhite, canvas.At(9, 10));
    EXPECT_RGB(kWhite, canvas.At(10, 9));
    EXPECT_RGB(kWhite, canvas.At(50, 20));
    EXPECT_RGB(kWhite, canvas.At(20, 40));
}

// A buffer whose bitmap cannot be made must not copy blank pixels over the target.
TEST(DrawHelpersBufferDC, WithoutABitmapDrawsStraightOntoTheTarget)
{
    DibCanvas canvas(20, 20);
    canvas.Fill(RGB(0, 0, 255));
    {
        CXTPBufferDC buffer(canvas.dc()->GetSafeHdc(), CRect(0, 0, 200000, 200000));
        ASSERT_FALSE(buffer.IsBuffered());
        buffer.FillSolidRect(5, 5, 1, 1, RGB(255, 0, 0));
    }
    EXPECT_RGB(RGB(255, 0, 0), canvas.At(5, 5));
    EXPECT_RGB(RGB(0, 0, 255), canvas.At(6, 6));
    EXPECT_RGB(RGB(0, 0, 255), canvas.At(0, 0));
}

TEST(DrawHelpersWrappers, EachPutsBackTheObjectFromBeforeIt)
{
    DibCanvas canvas(10, 10);
    HDC dc = canvas.dc()->GetSafeHdc();
    const HGDIOBJ pen = ::GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ brush = ::GetCurrentObject(dc, OBJ_BRUSH);
    const HGDIOBJ font = ::GetCurrentObject(dc, OBJ_FONT);
    const HGDIOBJ bitmap = ::GetCurrentObject(dc, OBJ_BITMAP);

    {
        CXTPPenDC penDC(dc, RGB(255, 0, 0));
        EXPECT_NE(pen, ::GetCurrentObject(dc, OBJ_PEN));
        penDC.SetColor(RGB(0, 255, 0));
        penDC.SetColor(RGB(0, 0, 255));
        LOGPEN logPen = {};
        ::GetObjectW(::GetCurrentObject(dc, OBJ_PEN), sizeof(logPen), &logPen);
        EXPECT_RGB(RGB(0, 0, 255), logPen.lopnColor);
    }
    EXPECT_EQ(pen, ::GetCurrentObject(dc, OBJ_PEN));

    {
        CPen existing;
        existing.CreatePen(PS_DOT, 1, RGB(1, 2, 3));
        CXTPPenDC penDC(canvas.dc(), &existing);
        EXPECT_EQ(existing.GetSafeHandle(), ::GetCurrentObject(dc, OBJ_PEN));
    }
    EXPECT_EQ(pen, ::GetCurrentObject(dc, OBJ_PEN));

    {
        CXTPBrushDC brushDC(dc, RGB(1, 2, 3));
        EXPECT_NE(brush, ::GetCurrentObject(dc, OBJ_BRUSH));
    }
    EXPECT_EQ(brush, ::GetCurrentObject(dc, OBJ_BRUSH));

    {
        CFont first, second;
        LOGFONTW lf = {};
        lf.lfHeight = -12;
        wcscpy(lf.lfFaceName, L"Tahoma");
        first.CreateFontIndirect(&lf);
        lf.lfHeight = -20;
        second.CreateFontIndirect(&lf);
        CXTPFontDC fontDC(canvas.dc(), &first);
        fontDC.SetFont(&second);    // the font restored at the end is still the one before the first
        EXPECT_EQ(second.GetSafeHandle(), ::GetCurrentObject(dc, OBJ_FONT));
        fontDC.RestoreFont();
        EXPECT_EQ(font, ::GetCurrentObject(dc, OBJ_FONT));
        fontDC.SetFont(&first);
    }
    EXPECT_EQ(font, ::GetCurrentObject(dc, OBJ_FONT));

    {
        CXTPBufferDC buffer(dc, CRect(0, 0, 5, 5));
    }
    EXPECT_EQ(bitmap, ::GetCurrentObject(dc, OBJ_BITMAP));
}

TEST(DrawHelpersShapes, FilledTriangleIsOneColourAndRestoresPenAndBrush)
{
    DibCanvas canvas(20, 20);
    HDC dc = canvas.dc()->GetSafeHdc();
    const HGDIOBJ pen = ::GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ brush = ::GetCurrentObject(dc, OBJ_BRUSH);
    DrawFilledTriangle(canvas.dc(), {2, 2}, {17, 2}, {2, 17}, RGB(0, 128, 0));
    EXPECT_RGB(RGB(0, 128, 0), canvas.At(2, 2));    // outline
    EXPECT_RGB(RGB(0, 128, 0), canvas.At(5, 5));    // fill
    EXPECT_RGB(kWhite, canvas.At(16, 16));
    EXPECT_EQ(pen, ::GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(brush, ::GetCurrentObject(dc, OBJ_BRUSH));
}

TEST(DrawHelpersColour, BlendColorsTruncatesEachChannel)
{
    struct Case {
        COLORREF a, b;
        double factor;
        COLORREF expected;
    } cases[] = {
        {RGB(255, 255, 255), RGB(0, 0, 0), 1.0, RGB(255, 255, 255)},
        {RGB(255, 255, 255), RGB(0, 0, 0), 0.0, RGB(0, 0, 0)},
        {RGB(255, 255, 255), RGB(0, 0, 0), 0.5, RGB(127, 127, 127)},    // 127.5 truncates
        {RGB(200, 100, 0), RGB(0, 50, 255), 0.3, RGB(60, 65, 178)},     // 178.5 truncates
        {RGB(10, 20, 30), RGB(30, 20, 10), 0.25, RGB(25, 20, 15)},
        {RGB(255, 0, 0), RGB(255, 0, 0), 1.5, RGB(255, 0, 0)},          // 382 limited to 255
    };
    for (const Case& c : cases)
        EXPECT_RGB(c.expected, BlendColors(c.a, c.b, c.factor)) << "factor " << c.factor;
}

TEST(DrawHelpersColour, RgbToHlsAndBack)
{
    struct Case {
        COLORREF rgb;
        int h, s, l;
        COLORREF back;
    } cases[] = {
        {RGB(255, 255, 255), 239, 0, 240, RGB(255, 255, 255)},
        {RGB(0, 0, 0), 239, 0, 0, RGB(0, 0, 0)},
        {RGB(128, 128, 128), 239, 0, 120, RGB(127, 127, 127)},
        {RGB(255, 0, 0), 0, 239, 120, RGB(253, 0, 0)},
        {RGB(0, 128, 255), 139, 239, 120, RGB(0, 131, 253)},
        {RGB(200, 100, 50), 13, 144, 117, RGB(198, 94, 49)},
        {RGB(10, 200, 30), 83, 218, 98, RGB(9, 198, 23)},
    };
    for (const Case& c : cases) {
        DWORD hls = RgbToHls(c.rgb);
        EXPECT_EQ(c.h, static_cast<int>(hls & 0xFF)) << Rgb(c.rgb);
        EXPECT_EQ(c.s, static_cast<int>((hls >> 8) & 0xFF)) << Rgb(c.rgb);
        EXPECT_EQ(c.l, static_cast<int>((hls >> 16) & 0xFF)) << Rgb(c.rgb);
        EXPECT_RGB(c.back, HlsToRgb(hls));
    }
}

TEST(DrawHelpersColour, MixColorsWeighsInHundredthsOrThousandths)
{
    struct Case {
        COLORREF a, b;
        int weight;
        COLORREF expected;
    } cases[] = {
        {RGB(255, 255, 255), RGB(0, 0, 0), 50, RGB(128, 128, 128)},
        {RGB(255, 255, 255), RGB(0, 0, 0), 145, RGB(37, 37, 37)},    // 14.5 %
        {RGB(200, 100, 0), RGB(0, 0, 100), 93, RGB(186, 93, 7)},
        {RGB(0, 0, 0), RGB(255, 255, 255), 0, RGB(255, 255, 255)},
        {RGB(100, 100, 100), RGB(200, 200, 200), 1000, RGB(100, 100, 100)},
    };
    for (const Case& c : cases)
        EXPECT_RGB(c.expected, CXTPColorManager::MixColors(c.a, c.b, c.weight)) << "weight " << c.weight;
}

TEST(DrawHelpersStrings, StripMnemonics)
{
    struct Case {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"&&File", L"&File"}, {L"E&xit", L"Exit"}, {L"&", L""},       {L"a&&&b", L"a&b"},
        {L"plain", L"plain"},  {L"", L""},          {L"end&", L"end"}, {L"&&&&", L"&&"},
    };
    for (const Case& c : cases) {
        wchar_t buffer[32];
        wcscpy(buffer, c.in);
        EXPECT_STREQ(c.out, StripMnemonicsInPlace(buffer)) << "in place: " << testing::PrintToString(std::wstring(c.in));
        CString text(c.in);
        StripAmpersands(text);
        EXPECT_STREQ(c.out, static_cast<const wchar_t*>(text));
    }
    EXPECT_EQ(nullptr, StripMnemonicsInPlace(nullptr));
    wchar_t* minusOne = reinterpret_cast<wchar_t*>(static_cast<INT_PTR>(-1));
    EXPECT_EQ(minusOne, StripMnemonicsInPlace(minusOne));
}

TEST(DrawHelpersWindows, RegisterWndClassOnceAndFonts)
{
    EXPECT_TRUE(RegisterWndClass(nullptr, L"XTPDrawHelpersTestClass", CS_DBLCLKS));
    EXPECT_TRUE(RegisterWndClass(nullptr, L"XTPDrawHelpersTestClass", 0));    // exists: still true
    WNDCLASSW wc = {};
    ASSERT_TRUE(::GetClassInfoW(::GetModuleHandleW(nullptr), L"XTPDrawHelpersTestClass", &wc));
    EXPECT_EQ(static_cast<UINT>(CS_DBLCLKS), wc.style);    // the first registration stays

    EXPECT_TRUE(IsFontInstalled(L"tahoma"));
    EXPECT_FALSE(IsFontInstalled(L"No Such Face Anywhere"));
    CString face;
    GetDefaultUIFontFace(face, TRUE);
    EXPECT_FALSE(face.IsEmpty());
}

TEST(DrawHelpersWindows, IconFromBitmapAndTopLeftColour)
{
    EXPECT_EQ(nullptr, CreateIconFromBitmap(nullptr));
    EXPECT_EQ(static_cast<COLORREF>(-1), GetBitmapTopLeftColor(nullptr));
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 16, 16);
    ::ReleaseDC(nullptr, screen);
    {
        CXTPCompatibleDC dc(nullptr, bitmap);
        dc.FillSolidRect(0, 0, 16, 16, RGB(255, 0, 255));
        dc.FillSolidRect(4, 4, 8, 8, RGB(0, 0, 255));
    }
    EXPECT_RGB(RGB(255, 0, 255), GetBitmapTopLeftColor(bitmap));
    HICON icon = CreateIconFromBitmap(bitmap);
    ASSERT_NE(nullptr, icon);
    ICONINFO info = {};
    ASSERT_TRUE(::GetIconInfo(icon, &info));
    BITMAP colour = {};
    ::GetObjectW(info.hbmColor, sizeof(colour), &colour);
    EXPECT_EQ(16, colour.bmWidth);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ::DestroyIcon(icon);
    ::DeleteObject(bitmap);
}

TEST(DrawHelpersRtl, LayoutAndArrowKeys)
{
    DibCanvas canvas(4, 4);
    EXPECT_FALSE(IsDCMirrored(canvas.dc()));
    SetDCLayout(canvas.dc(), LAYOUT_RTL);
    EXPECT_TRUE(IsDCMirrored(canvas.dc()));
    SetDCLayout(canvas.dc(), 0);
    EXPECT_FALSE(IsDCMirrored(nullptr));

    UINT key = VK_LEFT;
    MirrorArrowKeyForRtl(nullptr, key);
    EXPECT_EQ(static_cast<UINT>(VK_LEFT), key);
}

TEST(DrawHelpersPaintSeam, MixPixelColorAndSmoothCircle)
{
    DibCanvas canvas(20, 20);
    canvas.Fill(RGB(100, 100, 100));
    // Factor 0 or more mixes toward the pixel that is there; negative toward the given colour.
    EXPECT_RGB(RGB(150, 150, 150), MixPixelColor(canvas.dc(), 1, 1, RGB(200, 200, 200), RGB(0, 0, 0), 0.5));
    EXPECT_RGB(RGB(150, 150, 150), canvas.At(1, 1));
    EXPECT_RGB(RGB(150, 125, 100), MixPixelColor(canvas.dc(), 2, 2, RGB(200, 200, 200), RGB(100, 50, 0), -0.5));

    canvas.Fill(kWhite);
    CRect square(2, 2, 16, 16);
    DrawSmoothCircle(canvas.dc(), &square, RGB(0, 0, 0), RGB(0, 0, 255));
    EXPECT_RGB(RGB(0, 0, 255), canvas.At(9, 9));
    EXPECT_RGB(kWhite, canvas.At(2, 2));    // the corner lies outside the circle
    CRect notSquare(0, 0, 10, 8);
    canvas.Fill(kWhite);
    DrawSmoothCircle(canvas.dc(), &notSquare, RGB(0, 0, 0), RGB(0, 0, 255));
    EXPECT_RGB(kWhite, canvas.At(5, 4));
}
