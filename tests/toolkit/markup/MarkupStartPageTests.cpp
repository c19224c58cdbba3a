// Documents shaped like the program's own: a start page (a page over a grid of Auto / Auto / * /
// Auto rows with a centred, width-limited border round wrapping text and a hyperlink row) laid
// out at 800 x 600 and checked against rectangles worked out from measured text and the layout
// rules; and a ribbon-style fragment drawn with GDI+ whose interiors are compared.

#include "MarkupLayoutSupport.h"
#include "tests/support/DibCanvas.h"

#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupDecorator.h"
#include "toolkit/markup/XTPMarkupGrid.h"
#include "toolkit/markup/XTPMarkupTextBlock.h"

#include <cstdlib>
#include <string>

using namespace markuptests;
using testsupport::DibCanvas;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kFrame = RGB(0x76, 0x76, 0x76);

const wchar_t kBody[] = L"Turn a setup program into a Windows Installer package: choose the program, watch what it "
                        L"installs, then build the package from what was recorded. Every step can be repeated "
                        L"and every package rebuilt from its project.";

std::string Describe(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + ", " + std::to_string(rc.top) + ", " + std::to_string(rc.right) + ", " +
           std::to_string(rc.bottom) + ")";
}

CXTPMarkupUIElement* FindByName(CXTPMarkupObject* root, const wchar_t* name)
{
    if (!root)
        return nullptr;
    const CXTPMarkupString* own = MarkupDynamicCast<CXTPMarkupString>(root->GetValue(CXTPMarkupObject::m_pNameProperty));
    if (own && wcscmp(own->GetBuffer(), name) == 0)
        return MarkupDynamicCast<CXTPMarkupUIElement>(root);
    for (int i = 0; i < root->GetLogicalChildrenCount(); ++i)
        if (CXTPMarkupUIElement* found = FindByName(root->GetLogicalChild(i), name))
            return found;
    return nullptr;
}

class MarkupStartPageTest : public MarkupContextLayoutTest {
protected:
    // The desired size of a document measured alone in the given width.
    SIZE Measure(const std::wstring& text, int width)
    {
        CXTPMarkupUIElement* root = m_pContext->Parse(text.c_str());
        EXPECT_NE(nullptr, root);
        if (!root)
            return SIZE{0, 0};
        CXTPMarkupDrawingContext dc(m_pContext);
        root->Measure(&dc, width, XTP_MARKUP_UNBOUNDED);
        const SIZE size = root->GetDesiredSize();
        root->Release();
        return size;
    }

};

} // namespace

TEST_F(MarkupStartPageTest, StartPageLaysOutByItsRowsAndDrawsTheCardFrame)
{
    const std::wstring title = L"<TextBlock FontSize='20' FontWeight='Bold'>Welcome to Tarnwick</TextBlock>";
    const std::wstring body = L"<TextBlock TextWrapping='Wrap'>" + std::wstring(kBody) + L"</TextBlock>";
    const std::wstring footer = L"<TextBlock><Hyperlink>Open an existing project</Hyperlink></TextBlock>";
    const std::wstring page =
        L"<Page><Grid><Grid.RowDefinitions><RowDefinition Height='Auto'/><RowDefinition Height='Auto'/>"
        L"<RowDefinition Height='*'/><RowDefinition Height='Auto'/></Grid.RowDefinitions>"
        L"<Border Name='titleBox' Margin='10'>" + title + L"</Border>"
        L"<Border Name='card' Grid.Row='1' HorizontalAlignment='Center' MaxWidth='512' BorderBrush='#767676' "
        L"BorderThickness='1' Padding='8'>" + body + L"</Border>"
        L"<Border Name='filler' Grid.Row='2'/>"
        L"<Border Name='footerBox' Grid.Row='3' Padding='4'>" + footer + L"</Border>"
        L"</Grid></Page>";

    // What the layout rules make of the measured texts.
    const SIZE titleText = Measure(title, XTP_MARKUP_UNBOUNDED);
    const int bodyWidth = 512 - 2 * (1 + 8);
    const SIZE bodyText = Measure(body, bodyWidth);
    const SIZE footerText = Measure(footer, XTP_MARKUP_UNBOUNDED);
    ASSERT_GT(titleText.cy, 0);
    ASSERT_LE(bodyText.cx, bodyWidth);
    ASSERT_GT(bodyText.cy, titleText.cy / 2 * 2) << "the body wraps to several lines";

    const int titleRow = titleText.cy + 20;
    const int cardWidth = bodyText.cx + 18;
    const int cardHeight = bodyText.cy + 18;
    const int footerRow = footerText.cy + 8;
    const int cardLeft = (800 - cardWidth) / 2;
    const RECT titleBox = {10, 10, 790, 10 + titleText.cy};
    const RECT card = {cardLeft, titleRow, cardLeft + cardWidth, titleRow + cardHeight};
    const RECT filler = {0, titleRow + cardHeight, 800, 600 - footerRow};
    const RECT footerBox = {0, 600 - footerRow, 800, 600};

    CXTPMarkupUIElement* root = m_pContext->Parse(page.c_str());
    ASSERT_NE(nullptr, root);
    DibCanvas canvas(800, 600);
    {
        CXTPMarkupDrawingContext dc(m_pContext);
        root->Measure(&dc, 800, 600);
        root->Arrange(RECT{0, 0, 800, 600});
    }
    EXPECT_EQ(Describe(titleBox), Describe(RootRect(FindByName(root, L"titleBox"))));
    EXPECT_EQ(Describe(card), Describe(RootRect(FindByName(root, L"card"))));
    EXPECT_EQ(Describe(filler), Describe(RootRect(FindByName(root, L"filler"))));
    EXPECT_EQ(Describe(footerBox), Describe(RootRect(FindByName(root, L"footerBox"))));
    const RECT bodyRect = RootRect(FindByName(root, L"card")->GetVisualChild(0));
    EXPECT_EQ(Describe(RECT{card.left + 9, card.top + 9, card.right - 9, card.bottom - 9}), Describe(bodyRect));

    {
        CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, FALSE);
        root->Render(&dc);
    }
    // The frame is one pixel on each side of the card; the padding inside it stays empty.
    int wrong = 0;
    for (int y = card.top; y < card.bottom; ++y) {
        const bool edge = y == card.top || y == card.bottom - 1;
        wrong += canvas.At(card.left, y) != kFrame;
        wrong += canvas.At(card.right - 1, y) != kFrame;
        wrong += canvas.At(card.left - 1, y) != kWhite;
        wrong += canvas.At(card.right, y) != kWhite;
        wrong += !edge && canvas.At(card.left + 1, y) != kWhite;
    }
    for (int x = card.left; x < card.right; ++x) {
        const bool edge = x == card.left || x == card.right - 1;
        wrong += canvas.At(x, card.top) != kFrame;
        wrong += canvas.At(x, card.bottom - 1) != kFrame;
        wrong += !edge && canvas.At(x, card.top + 1) != kWhite;
    }
    EXPECT_EQ(0, wrong) << "pixels off the frame's rule";
    EXPECT_EQ(2 * (cardWidth + cardHeight) - 4, canvas.Count(kFrame)) << "no other pixel has the frame colour";
    root->Release();
}

TEST_F(MarkupStartPageTest, RibbonStyleFragmentDrawsItsInteriorsWithGdiPlus)
{
    ASSERT_TRUE(MarkupGdiPlus::IsRunning());
    CXTPMarkupUIElement* root = m_pContext->Parse(
        L"<StackPanel><Grid Margin='20' Width='120' Height='60' HorizontalAlignment='Left' ClipToBounds='True'>"
        L"<Border Margin='2' BorderThickness='1' CornerRadius='3' BorderBrush='{x:Static "
        L"SystemColors.ControlDarkBrush}' Background='{x:Static SystemColors.WindowBrush}'/>"
        L"<Ellipse Width='20' Height='20' Margin='10,10,0,0' HorizontalAlignment='Left' VerticalAlignment='Top' "
        L"Fill='#FFFF0000' Stroke='Black' StrokeThickness='1'/>"
        L"<Rectangle Width='30' Height='30' Stretch='Fill' HorizontalAlignment='Right' VerticalAlignment='Top' "
        L"Fill='#FF00FF00'/>"
        L"<Path Data='M 40 10 L 60 10 l 0 20 S 50 40 40 30 Z' Fill='#FFFF8000' Stroke='Black' "
        L"StrokeThickness='1'/>"
        L"<Rectangle Margin='-20,35,0,0' Width='40' Height='5' HorizontalAlignment='Left' VerticalAlignment='Top' "
        L"Fill='#FFFF00FF'/>"
        L"<Border Height='15' VerticalAlignment='Bottom'><Border.Background><LinearGradientBrush StartPoint='0,0' "
        L"EndPoint='1,0'><GradientStop Offset='-1' Color='#FFFF0000'/><GradientStop Offset='2' "
        L"Color='#FF0000FF'/></LinearGradientBrush></Border.Background></Border>"
        L"</Grid></StackPanel>");
    ASSERT_NE(nullptr, root);
    DibCanvas canvas(160, 100);
    {
        CXTPMarkupDrawingContext measure(m_pContext);
        root->Measure(&measure, 160, 100);
        root->Arrange(RECT{0, 0, 160, 100});
        CXTPMarkupDrawingContext dc(m_pContext, canvas.DC(), nullptr);
        root->Render(&dc);
    }
    auto expectNear = [&](int x, int y, COLORREF expected) {
        const COLORREF got = canvas.At(x, y);
        const bool close = std::abs(GetRValue(got) - GetRValue(expected)) <= 3 &&
                           std::abs(GetGValue(got) - GetGValue(expected)) <= 3 &&
                           std::abs(GetBValue(got) - GetBValue(expected)) <= 3;
        EXPECT_TRUE(close) << x << ", " << y << ": got " << std::hex << got << " expected " << expected;
    };
    // The grid lies at (20, 20); every point below is well inside one region.
    expectNear(40, 40, RGB(255, 0, 0));                      // the ellipse's middle
    expectNear(70, 40, RGB(255, 128, 0));                    // inside the path's figure
    expectNear(125, 35, RGB(0, 255, 0));                     // the stretched rectangle
    expectNear(100, 58, GetSysColor(COLOR_WINDOW));          // the rounded border's background
    expectNear(30, 57, RGB(255, 0, 255));                    // the overflowing strip inside the grid
    expectNear(10, 57, kWhite);                              // ... and cut at the grid's edge
    expectNear(80, 72, RGB(127, 0, 128));                    // halfway along a gradient from -1 to 2
    expectNear(44, 72, RGB(153, 0, 102));                    // a fifth of the way: (0.2 + 1) / 3 of red to blue
    expectNear(150, 50, kWhite);                             // beside the grid
    root->Release();
}
