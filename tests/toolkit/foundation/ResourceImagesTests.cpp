// Skin images and the style text, from a fixture library that carries a CRLF style text (comments,
// sections, a last line without CR), two PNGs and a plain bitmap. Drawing goes into 32-bit DIB
// sections and is compared pixel by pixel.

#include "framework/window/Dc.h"
#include "toolkit/foundation/XTPResourceImage.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

HMODULE FixtureModule()
{
    static HMODULE module = ::LoadLibraryExW(testsupport::ModuleFolder() + L"\\fixtures\\toolkit-popups.dll", nullptr,
                                             LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

// Counts the module lookups of images.
class CountingImages : public CXTPResourceImages {
public:
    CXTPResourceImage* LoadImage(const wchar_t* imageName) override
    {
        ++m_lookups;
        return CXTPResourceImages::LoadImage(imageName);
    }
    int m_lookups = 0;
};

// A 32-bit top-down DIB section selected into a memory context, filled with one colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : m_width(width), m_height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<DWORD*>(bits);
        m_dc.Attach(::CreateCompatibleDC(nullptr));
        m_old = ::SelectObject(m_dc, m_bitmap);
        m_dc.FillSolidRect(0, 0, width, height, fill);
    }
    ~Canvas()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc.Detach());
        ::DeleteObject(m_bitmap);
    }
    COLORREF At(int x, int y) const
    {
        ::GdiFlush();
        const DWORD p = m_bits[static_cast<size_t>(y) * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    CDC* dc() { return &m_dc; }

private:
    int m_width, m_height;
    HBITMAP m_bitmap = nullptr;
    DWORD* m_bits = nullptr;
    HGDIOBJ m_old = nullptr;
    CDC m_dc;
};

class ResourceImagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(FixtureModule(), nullptr);
        m_images.SetHandle(FixtureModule());
    }
    CountingImages m_images;
};

TEST_F(ResourceImagesTest, TheStyleTextIsReadLineByLine)
{
    ASSERT_TRUE(m_images.IsValid());
    EXPECT_EQ(m_images.GetStyleName(), CString()) << "found as the module's first style text";
    struct Row {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* value;
    };
    const Row rows[] = {
        {L"Images", L"Tab.Normal", L"TABNORMAL.PNG"},   // comment cut, blanks trimmed
        {L"images", L"nine", L"NINE.PNG"},              // leading blanks; answers in upper case
        {L"Window", L"Lead", L"ABC"},
        {L"Window", L"Size", L"17"},
        {L"Other", L"Size", L"99"},                     // the same key in another section
        {L"Window", L"Hidden", L""},                    // a comment line
        {L"Window", L"Missing", L""},
        {L"Nowhere", L"Size", L""},
        {L"Other", L"Last", L""},                       // the last line has no CR
        {L"Window", L"PremultiplyImages", L""},         // the key lies in another section
    };
    for (const Row& row : rows)
        EXPECT_EQ(m_images.GetValue(row.section, row.key), CString(row.value)) << testsupport::Utf8(row.key);

    EXPECT_EQ(m_images.GetColor(L"Window", L"TooltipLight", 0), RGB(250, 251, 252));
    EXPECT_EQ(m_images.GetColor(L"Window", L"Wide", 0), RGB(300 & 0xFF, 2, 0)) << "cut to 8 bits, missing 0";
    EXPECT_EQ(m_images.GetColor(L"Window", L"None", RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(m_images.GetRect(L"Window", L"Border", CRect()), CRect(1, 2, 3, 4));
    EXPECT_EQ(m_images.GetRect(L"Window", L"None", CRect(9, 9, 9, 9)), CRect(9, 9, 9, 9));
    EXPECT_EQ(m_images.GetInt(L"Window", L"Size", -1), 17);
    EXPECT_EQ(m_images.GetInt(L"Window", L"None", -1), -1);
    EXPECT_FALSE(m_images.IsPremultiply());
}

TEST_F(ResourceImagesTest, ReadLineNeedsACarriageReturn)
{
    const char text[] = "one\r\ntwo\rthree";
    const char* cursor = text;
    const char* end = text + sizeof(text) - 1;
    CString line;
    ASSERT_TRUE(CXTPResourceImages::ReadLine(line, cursor, end));
    EXPECT_EQ(line, CString(L"one"));
    ASSERT_TRUE(CXTPResourceImages::ReadLine(line, cursor, end));
    EXPECT_EQ(line, CString(L"two"));
    EXPECT_FALSE(CXTPResourceImages::ReadLine(line, cursor, end));
    const char* none = nullptr;
    EXPECT_FALSE(CXTPResourceImages::ReadLine(line, none, end));
}

TEST_F(ResourceImagesTest, ImagesAreFoundThroughTheImagesSectionAndCached)
{
    EXPECT_EQ(m_images.GetImageResourceName(L"Tab.Normal"), CString(L"TABNORMAL_PNG"));
    EXPECT_EQ(m_images.GetImageResourceName(L"Folder\\Other.Png"), CString(L"Folder_Other_Png"));

    CXTPResourceImage* tab = m_images.GetImage(L"Tab.Normal");
    ASSERT_NE(tab, nullptr);
    EXPECT_TRUE(tab->IsAlphaImage());
    EXPECT_EQ(tab->GetExtent(), CSize(40, 100));
    EXPECT_EQ(tab->GetStateRect(2, 4), CRect(0, 50, 40, 75));
    EXPECT_EQ(m_images.GetImage(L"Tab.Normal"), tab);
    EXPECT_EQ(m_images.m_lookups, 1);

    // A failed name is cached as null: the module is searched once.
    EXPECT_EQ(m_images.GetImage(L"No.Such.Image"), nullptr);
    EXPECT_EQ(m_images.GetImage(L"No.Such.Image"), nullptr);
    EXPECT_EQ(m_images.m_lookups, 2);

    m_images.ClearCache();
    EXPECT_NE(m_images.GetImage(L"Tab.Normal"), nullptr);
    EXPECT_EQ(m_images.m_lookups, 3);
}

TEST_F(ResourceImagesTest, TheProgramsOwnModuleHasNoStyleText)
{
    CXTPResourceImages own;
    EXPECT_FALSE(own.IsValid());
    EXPECT_EQ(own.GetColor(L"Window", L"TooltipLight", RGB(1, 1, 1)), RGB(1, 1, 1));
}

TEST_F(ResourceImagesTest, NineGridCornersKeepTheirSizeAndTheBottomItsParity)
{
    CXTPResourceImage* nine = m_images.GetImage(L"Nine");
    ASSERT_NE(nine, nullptr);
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255), yellow = RGB(255, 255, 0);
    const COLORREF grey = RGB(128, 128, 128), white = RGB(255, 255, 255), back = RGB(1, 2, 3);

    // Into 40 x 30 with margins 8: corners 8 x 8 as in the source.
    {
        Canvas canvas(50, 40, back);
        nine->DrawImage(canvas.dc(), CRect(5, 5, 45, 35), CRect(0, 0, 20, 20), CRect(8, 8, 8, 8));
        struct Probe {
            int x, y;
            COLORREF colour;
        };
        const Probe probes[] = {{5, 5, red},    {12, 12, red},  {13, 12, grey}, {12, 13, grey}, {44, 5, green},
                                {37, 12, green}, {36, 12, grey}, {5, 34, blue},  {12, 27, blue}, {44, 34, yellow},
                                {37, 27, yellow}, {25, 20, white}, {4, 4, back},  {45, 35, back}, {25, 5, grey}};
        for (const Probe& p : probes)
            EXPECT_EQ(canvas.At(p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
    }
    // A 20 x 20 source with margins 8 into 10 x 10: left 5, right 5, top 5, bottom 6.
    {
        Canvas canvas(10, 10, back);
        nine->DrawImage(canvas.dc(), CRect(0, 0, 10, 10), CRect(0, 0, 20, 20), CRect(8, 8, 8, 8));
        EXPECT_EQ(canvas.At(4, 3), red);
        EXPECT_EQ(canvas.At(5, 3), green);
        EXPECT_EQ(canvas.At(4, 4), blue) << "the bottom's 6 rows start at row 4, over the top's last row";
        EXPECT_EQ(canvas.At(4, 9), blue);
        EXPECT_EQ(canvas.At(5, 4), yellow);
        EXPECT_EQ(canvas.At(9, 9), yellow);
    }
    // Top and bottom margins above the source height: nothing.
    {
        Canvas canvas(10, 10, back);
        nine->DrawImage(canvas.dc(), CRect(0, 0, 10, 10), CRect(0, 0, 20, 20), CRect(0, 12, 0, 12));
        EXPECT_EQ(canvas.At(5, 5), back);
    }
}

TEST_F(ResourceImagesTest, AStateOfAStackIsDrawnFromItsOwnRows)
{
    CXTPResourceImage* tab = m_images.GetImage(L"Tab.Normal");
    ASSERT_NE(tab, nullptr);
    Canvas canvas(40, 25, RGB(0, 0, 0));
    tab->DrawImagePart(canvas.dc(), CRect(0, 0, 40, 25), tab->GetStateRect(2, 4));
    EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 200));
    EXPECT_EQ(canvas.At(39, 24), RGB(0, 0, 200));
}

TEST_F(ResourceImagesTest, MagentaOfAPlainBitmapBecomesTransparent)
{
    CXTPResourceImage* keyed = m_images.GetImage(L"Keyed.Bmp");
    ASSERT_NE(keyed, nullptr);
    EXPECT_FALSE(keyed->IsAlphaImage());
    const COLORREF back = RGB(10, 200, 30);
    for (UINT flags : {0u, 1u}) {
        SCOPED_TRACE(flags ? "alpha key" : "transparent blit");
        Canvas canvas(10, 10, back);
        keyed->DrawImageAlphaKey(canvas.dc(), CRect(0, 0, 10, 10), CRect(0, 0, 10, 10), CRect(0, 0, 0, 0),
                                 RGB(255, 0, 255), flags);
        EXPECT_EQ(canvas.At(2, 5), back);
        EXPECT_EQ(canvas.At(7, 5), RGB(0, 0, 255));
    }
    // Without a key the magenta is drawn.
    Canvas canvas(10, 10, back);
    keyed->DrawImageTransparent(canvas.dc(), CRect(0, 0, 10, 10), CRect(0, 0, 10, 10), CRect(0, 0, 0, 0),
                                static_cast<COLORREF>(-1));
    EXPECT_EQ(canvas.At(2, 5), RGB(255, 0, 255));
}

} // namespace
