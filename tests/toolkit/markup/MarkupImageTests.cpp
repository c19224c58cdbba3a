// The image element with real pictures: a 24-bit bitmap with a green key, an .ico of three sizes
// and a PNG with alpha from files, the same bitmap and icon linked into this program as resources,
// and an icon of the global image manager by command id. Sizes follow the Stretch table; pixels
// drawn unscaled equal the source's.

#include "MarkupLayoutSupport.h"
#include "tests/support/DibCanvas.h"

#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupImage.h"

#include <string>

using namespace markuptests;
using testsupport::DibCanvas;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// The rule the fixture script fills the keyed bitmap with (columns 0..7 are the green key).
COLORREF KeyColour(int x, int y)
{
    return RGB(8 * x - 1, 40, 15 * y + 10);
}

std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; *text; ++text)
        out += *text < 128 ? static_cast<char>(*text) : '?';
    return out;
}

std::wstring FileSource(const wchar_t* name)
{
    return L"file://" + std::wstring(testsupport::FixturePath(name).GetString());
}

class MarkupImageTest : public MarkupContextLayoutTest {
protected:
    CXTPMarkupImage* MakeImage(const std::wstring& source, CXTPMarkupImage::Stretch stretch)
    {
        auto* image = static_cast<CXTPMarkupImage*>(m_pContext->CreateObject(CXTPMarkupImage::MarkupType()));
        image->SetSource(source.c_str());
        image->SetStretch(stretch);
        image->SetHorizontalAlignment(CXTPMarkupFrameworkElement::alignLeft);
        image->SetVerticalAlignment(CXTPMarkupFrameworkElement::alignTop);
        return image;
    }
    void LayoutAndRender(CXTPMarkupImage* image, DibCanvas& canvas)
    {
        CXTPMarkupDrawingContext measure;
        image->Measure(&measure, canvas.Width(), canvas.Height());
        image->Arrange(RECT{0, 0, canvas.Width(), canvas.Height()});
        CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, FALSE);
        image->Render(&dc);
    }

};

} // namespace

TEST_F(MarkupImageTest, StretchTableForA32By16Picture)
{
    struct Case {
        CXTPMarkupImage::Stretch stretch;
        SIZE available;
        SIZE size;
    };
    const int U = XTP_MARKUP_UNBOUNDED;
    const Case cases[] = {
        {CXTPMarkupImage::stretchUniform, {64, 64}, {64, 32}},
        {CXTPMarkupImage::stretchUniformToFill, {64, 64}, {128, 64}},
        {CXTPMarkupImage::stretchFill, {64, 64}, {64, 64}},
        {CXTPMarkupImage::stretchNone, {64, 64}, {32, 16}},
        {CXTPMarkupImage::stretchUniform, {U, 32}, {64, 32}},
        {CXTPMarkupImage::stretchFill, {U, 32}, {64, 32}},
        {CXTPMarkupImage::stretchUniform, {48, U}, {48, 24}},
        {CXTPMarkupImage::stretchUniform, {64, 32001}, {64, 32}},
        {CXTPMarkupImage::stretchUniform, {32001, 32001}, {32, 16}},
        {CXTPMarkupImage::stretchUniform, {16, 32000}, {16, 8}},
    };
    const std::wstring source = FileSource(L"images/markup/key-32x16.bmp");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.stretch) + " in " + std::to_string(c.available.cx) + " x " +
                     std::to_string(c.available.cy));
        CXTPMarkupImage* image = MakeImage(source, c.stretch);
        CXTPMarkupDrawingContext dc;
        const SIZE size = image->MeasureOverride(&dc, c.available.cx, c.available.cy);
        ASSERT_NE(nullptr, image->GetIcon());
        EXPECT_EQ(c.size.cx, size.cx);
        EXPECT_EQ(c.size.cy, size.cy);
        const SIZE arranged = image->ArrangeOverride(c.available.cx, c.available.cy);
        EXPECT_EQ(c.size.cx, arranged.cx) << "arrange sizes the same way, never beyond Stretch";
        image->Release();
    }
}

TEST_F(MarkupImageTest, GreenKeyLeavesTheBackgroundAndOtherPixelsAreTheSources)
{
    for (const wchar_t* source : {L"file", L"res://#138", L"res://LOGO"}) {
        SCOPED_TRACE(Narrow(source));
        const std::wstring text =
            wcscmp(source, L"file") == 0 ? FileSource(L"images/markup/key-32x16.bmp") : std::wstring(source);
        DibCanvas canvas(40, 20);
        CXTPMarkupImage* image = MakeImage(text, CXTPMarkupImage::stretchNone);
        LayoutAndRender(image, canvas);
        ASSERT_NE(nullptr, image->GetIcon());
        EXPECT_EQ(32, image->GetDesiredSize().cx);
        EXPECT_EQ(16, image->GetDesiredSize().cy);
        int wrong = 0;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 40; ++x) {
                const COLORREF expected = x < 8 || x >= 32 || y >= 16 ? kWhite : KeyColour(x, y);
                if (canvas.At(x, y) != expected && wrong++ < 3)
                    ADD_FAILURE() << "pixel " << x << ", " << y;
            }
        }
        EXPECT_EQ(0, wrong);
        image->Release();
    }
}

TEST_F(MarkupImageTest, IconFilePicksTheImageNearestTheAvailableWidth)
{
    struct Case {
        int available;
        int size;
        COLORREF colour;
    };
    const Case cases[] = {
        {16, 16, RGB(255, 0, 0)},  {20, 16, RGB(255, 0, 0)}, {30, 32, RGB(0, 0, 255)},
        {41, 48, RGB(0, 128, 0)},  {200, 48, RGB(0, 128, 0)}, {XTP_MARKUP_UNBOUNDED, 48, RGB(0, 128, 0)},
    };
    for (const std::wstring& source : {FileSource(L"images/markup/sizes.ico"), std::wstring(L"res://SIZES")}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(Narrow(source.c_str()) + " in " + std::to_string(c.available));
            CXTPMarkupImage* image = MakeImage(source, CXTPMarkupImage::stretchNone);
            CXTPMarkupDrawingContext dc;
            const SIZE size = image->MeasureOverride(&dc, c.available, 100);
            EXPECT_EQ(c.size, size.cx);
            EXPECT_EQ(c.size, size.cy);
            image->Release();
        }
    }
    DibCanvas canvas(60, 60);
    CXTPMarkupImage* image = MakeImage(FileSource(L"images/markup/sizes.ico"), CXTPMarkupImage::stretchNone);
    LayoutAndRender(image, canvas);
    EXPECT_EQ(RGB(0, 128, 0), canvas.At(0, 0));
    EXPECT_EQ(RGB(0, 128, 0), canvas.At(47, 47));
    EXPECT_EQ(kWhite, canvas.At(48, 10));
    image->Release();
}

TEST_F(MarkupImageTest, StretchedPictureIsDrawnAtTheRenderSize)
{
    DibCanvas canvas(80, 80);
    CXTPMarkupImage* image = MakeImage(FileSource(L"images/markup/sizes.ico"), CXTPMarkupImage::stretchUniform);
    image->SetWidth(20);
    image->SetHeight(20);
    LayoutAndRender(image, canvas);
    EXPECT_EQ(20, image->GetRenderSize().cx);
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(10, 10)) << "the 16-pixel image, nearest to 20, scaled up";
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(19, 19));
    EXPECT_EQ(kWhite, canvas.At(21, 10));
    image->Release();
}

TEST_F(MarkupImageTest, PngWithAlphaBlendsOverTheBackground)
{
    DibCanvas canvas(10, 10);
    CXTPMarkupImage* image = MakeImage(FileSource(L"images/rgba-3x2.png"), CXTPMarkupImage::stretchNone);
    LayoutAndRender(image, canvas);
    EXPECT_EQ(3, image->GetDesiredSize().cx);
    EXPECT_EQ(2, image->GetDesiredSize().cy);
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(0, 0));
    EXPECT_EQ(kWhite, canvas.At(2, 0)) << "alpha 0";
    EXPECT_EQ(kWhite, canvas.At(1, 1));
    EXPECT_EQ(RGB(0, 0, 0), canvas.At(2, 1));
    EXPECT_EQ(kWhite, canvas.At(3, 0));
    image->Release();
}

TEST_F(MarkupImageTest, CommandIdComesFromTheContextsImageManager)
{
    CXTPImageManager* manager = m_pContext->GetImageManager();
    ASSERT_EQ(GetGlobalImageManager(), manager) << "a context without its own manager uses the global one";
    void* bits = nullptr;
    HBITMAP bitmap = CreateAlphaDibSection(nullptr, 24, 24, &bits);
    for (int i = 0; i < 24 * 24; ++i)
        static_cast<DWORD*>(bits)[i] = 0xFF0000FF; // opaque blue
    ASSERT_TRUE(manager->SetAlphaBitmap(bitmap, 4242, 24, 24));
    DeleteObject(bitmap);

    DibCanvas canvas(30, 30);
    CXTPMarkupImage* image = MakeImage(L"4242", CXTPMarkupImage::stretchNone);
    LayoutAndRender(image, canvas);
    EXPECT_EQ(24, image->GetDesiredSize().cx);
    EXPECT_EQ(RGB(0, 0, 255), canvas.At(12, 12));
    image->Release();

    for (const wchar_t* none : {L"0", L"-4242", L"abc", L"4243", L"file://C:\\missing.bmp", L"res://#999"}) {
        SCOPED_TRACE(Narrow(none));
        DibCanvas empty(30, 30);
        CXTPMarkupImage* nothing = MakeImage(none, CXTPMarkupImage::stretchUniform);
        LayoutAndRender(nothing, empty);
        EXPECT_EQ(nullptr, nothing->GetIcon());
        EXPECT_EQ(0, nothing->GetDesiredSize().cx);
        EXPECT_EQ(30 * 30, empty.Count(kWhite));
        nothing->Release();
    }
    manager->RemoveAll();
}

TEST_F(MarkupImageTest, ClearedSourceRemovesThePictureAtTheNextMeasure)
{
    DibCanvas canvas(40, 20);
    CXTPMarkupImage* image = MakeImage(FileSource(L"images/markup/key-32x16.bmp"), CXTPMarkupImage::stretchNone);
    LayoutAndRender(image, canvas);
    ASSERT_NE(nullptr, image->GetIcon());

    image->SetSource(nullptr);
    canvas.Clear();
    LayoutAndRender(image, canvas);
    EXPECT_EQ(nullptr, image->GetIcon());
    EXPECT_EQ(0, image->GetDesiredSize().cx);
    EXPECT_EQ(0, image->GetDesiredSize().cy);
    EXPECT_EQ(40 * 20, canvas.Count(kWhite)) << "nothing drawn";

    // A new source shows at the next layout.
    image->SetSource(FileSource(L"images/markup/sizes.ico").c_str());
    LayoutAndRender(image, canvas);
    ASSERT_NE(nullptr, image->GetIcon());
    EXPECT_EQ(32, image->GetIcon()->GetWidth()) << "40 lies as near 32 as 48: the smaller comes first";
    image->Release();
}
