// Shapes: desired sizes with and without Stretch, the point-list grammar, exact GDI pixels of
// rectangles, paths, lines and polylines, the hit tests of ellipses and lines, the scaled copy of
// a flat path, and the build errors of stroke names and path data.

#include "MarkupDocumentSupport.h"
#include "MarkupLayoutSupport.h"
#include "tests/support/DibCanvas.h"

#include "toolkit/markup/XTPMarkupParser.h"
#include "toolkit/markup/XTPMarkupShape.h"

#include <cmath>
#include <string>

using namespace markuptests;
using testsupport::DibCanvas;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class MarkupShapeTest : public MarkupContextLayoutTest {
protected:
    // Builds the document, lays it out in the canvas and renders it with GDI; null on a build
    // error (the text is in m_strError). The caller releases the root.
    CXTPMarkupUIElement* Render(const wchar_t* text, DibCanvas& canvas)
    {
        CXTPMarkupUIElement* root = Layout(text, canvas.Width(), canvas.Height());
        if (root) {
            CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, FALSE);
            root->Render(&dc);
        }
        return root;
    }
    CXTPMarkupUIElement* Layout(const wchar_t* text, int width, int height)
    {
        CXTPMarkupParser parser;
        parser.SetBuffer(text, text + wcslen(text));
        CXTPMarkupBuilder builder(m_pContext);
        CXTPMarkupUIElement* root = builder.Parse(&parser);
        m_strError = Narrow(builder.GetLastError());
        if (!root)
            return nullptr;
        CXTPMarkupDrawingContext measure;
        root->Measure(&measure, width, height);
        root->Arrange(RECT{0, 0, width, height});
        return root;
    }

    std::string m_strError;
};

std::string PixelList(const DibCanvas& canvas, COLORREF colour)
{
    std::string out;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (canvas.At(x, y) == colour)
                out += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
    return out;
}

} // namespace

TEST_F(MarkupShapeTest, PointListGrammar)
{
    struct Case {
        const wchar_t* text;
        bool valid;
        const char* points;
        RECT bounds;
    };
    const Case cases[] = {
        {L"0,0 10,10 10,0", true, "0,0 10,10 10,0", {0, 0, 10, 10}},
        {L"0 0, 10 10", true, "0,0 10,10", {0, 0, 10, 10}},
        {L"-5,-6 7,8", true, "-5,-6 7,8", {-5, -6, 7, 8}},
        {L"  3,4  ", true, "3,4", {3, 4, 3, 4}},
        {L"", true, "", {0, 0, 0, 0}},
        {L"1.5,2", false, "", {}},
        {L"0,0 10", false, "", {}},
        {L"+1,2", false, "", {}},
        {L",1 2", false, "", {}},
        {L"1,,2", false, "", {}},
        {L"1;2", false, "", {}},
        {L"-,2", false, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        CXTPMarkupString* text = CreateMarkupString(c.text);
        CXTPMarkupPointCollection prototype;
        auto* points = static_cast<CXTPMarkupPointCollection*>(prototype.ConvertFrom(nullptr, text));
        text->Release();
        if (!c.valid) {
            EXPECT_EQ(nullptr, points);
            MarkupRelease(points);
            continue;
        }
        ASSERT_NE(nullptr, points);
        std::string list;
        for (const POINT& p : points->GetPoints())
            list += (list.empty() ? "" : " ") + std::to_string(p.x) + "," + std::to_string(p.y);
        EXPECT_EQ(c.points, list);
        EXPECT_TRUE(EqualRect(&c.bounds, &points->GetBounds()));
        points->Release();
    }
}

TEST_F(MarkupShapeTest, DesiredSizes)
{
    struct Case {
        const wchar_t* text;
        SIZE available;
        SIZE desired;
    };
    const int U = XTP_MARKUP_UNBOUNDED;
    const Case cases[] = {
        {L"<Rectangle Fill='Red'/>", {60, 40}, {0, 0}},
        {L"<Rectangle Fill='Red' Stretch='Fill'/>", {60, 40}, {60, 40}},
        {L"<Rectangle Fill='Red' Stretch='Uniform'/>", {U, 40}, {0, 40}},
        {L"<Ellipse Fill='Red' Stretch='UniformToFill'/>", {60, U}, {60, 0}},
        {L"<Line X1='0' Y1='10' X2='100' Y2='10' Stroke='Black'/>", {U, U}, {100, 11}},
        {L"<Line X1='20' Y1='0' X2='20' Y2='30' Stroke='Black' StrokeThickness='4'/>", {U, U}, {22, 30}},
        {L"<Line X1='0' Y1='10' X2='100' Y2='10'/>", {U, U}, {100, 10}},
        {L"<Line X1='5' Y1='10' X2='100' Y2='30' Stroke='Black' Stretch='Fill'/>", {50, 60}, {50, 60}},
        {L"<Polyline Points='10,10 30,20' Stroke='Black'/>", {U, U}, {30, 20}},
        {L"<Polyline Points='-10,-10 30,-2' Stroke='Black'/>", {U, U}, {40, 8}},
        {L"<Polyline Points='0,5 40,5' Stroke='Black' StrokeThickness='3'/>", {U, U}, {40, 5}},
        {L"<Polyline Points='0,0 40,0' Stroke='Black' StrokeThickness='3'/>", {U, U}, {40, 2}},
        {L"<Polyline Points='0,0 40,0'/>", {U, U}, {40, 0}},
        {L"<Polygon Points='0,0 40,0' Stroke='Black' StrokeThickness='3'/>", {U, U}, {40, 0}},
        {L"<Polyline Stroke='Black'/>", {60, 40}, {0, 0}},
        {L"<Path Data='M 10 10 L 30 25' Stroke='Black'/>", {U, U}, {30, 25}},
        {L"<Path Data='M 10 10 L 30 25' Stroke='Black' Stretch='Fill'/>", {70, 80}, {70, 80}},
        {L"<Path Stroke='Black'/>", {60, 40}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        CXTPMarkupUIElement* root = Layout(c.text, 1, 1);
        ASSERT_NE(nullptr, root) << m_strError;
        CXTPMarkupDrawingContext dc;
        root->Measure(&dc, c.available.cx, c.available.cy);
        EXPECT_EQ(c.desired.cx, root->GetDesiredSize().cx);
        EXPECT_EQ(c.desired.cy, root->GetDesiredSize().cy);
        root->Release();
    }
}

TEST_F(MarkupShapeTest, PathFillsExactlyItsSquare)
{
    DibCanvas canvas(30, 30);
    CXTPMarkupUIElement* root = Render(L"<Path Data='M 0 0 h 10 v 10 h -10 z' Fill='Red' Margin='5' "
                                       L"HorizontalAlignment='Left' VerticalAlignment='Top'/>",
                                       canvas);
    ASSERT_NE(nullptr, root) << m_strError;
    std::string expected;
    for (int y = 5; y < 15; ++y)
        for (int x = 5; x < 15; ++x)
            expected += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
    EXPECT_EQ(expected, PixelList(canvas, kRed));
    EXPECT_EQ(30 * 30 - 100, canvas.Count(kWhite));
    root->Release();
}

TEST_F(MarkupShapeTest, StretchedPolylineDrawsTheBoxDiagonal)
{
    DibCanvas canvas(60, 60);
    CXTPMarkupUIElement* root = Render(L"<Polyline Points='0,0 100,50' Stretch='Fill' Stroke='Black' Width='50' "
                                       L"Height='50' HorizontalAlignment='Left' VerticalAlignment='Top'/>",
                                       canvas);
    ASSERT_NE(nullptr, root) << m_strError;
    std::string expected;
    for (int i = 0; i < 50; ++i)
        expected += "(" + std::to_string(i) + "," + std::to_string(i) + ")";
    EXPECT_EQ(expected, PixelList(canvas, kBlack)) << "GDI leaves the end point out";
    root->Release();
}

TEST_F(MarkupShapeTest, LineDrawsOnePixelWideWithoutAThickness)
{
    DibCanvas canvas(120, 20);
    CXTPMarkupUIElement* root = Render(L"<StackPanel><Line X1='0' Y1='10' X2='100' Y2='10' Stroke='Black'/>"
                                       L"<Line Stroke='Red' StrokeThickness='5'/></StackPanel>",
                                       canvas);
    ASSERT_NE(nullptr, root) << m_strError;
    std::string expected;
    for (int x = 0; x < 100; ++x)
        expected += "(" + std::to_string(x) + ",10)";
    EXPECT_EQ(expected, PixelList(canvas, kBlack));
    EXPECT_EQ(0, canvas.Count(kRed)) << "a line with every coordinate 0 draws nothing";
    root->Release();
}

TEST_F(MarkupShapeTest, RectangleFrameFillAndCorners)
{
    struct Case {
        const char* what;
        const wchar_t* radii;
        COLORREF corner;
    };
    const Case cases[] = {
        {"square", L"", kRed},
        {"radii capped to the box: the corners stay empty", L"RadiusX='100' RadiusY='100'", kWhite},
        {"RadiusY unset: square corners", L"RadiusX='100'", kRed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DibCanvas canvas(20, 10);
        const std::wstring text = L"<Rectangle Fill='Blue' Stroke='Red' StrokeThickness='2' " +
                                  std::wstring(c.radii) + L"/>";
        CXTPMarkupUIElement* root = Render(text.c_str(), canvas);
        ASSERT_NE(nullptr, root) << m_strError;
        EXPECT_EQ(c.corner, canvas.At(0, 0));
        EXPECT_EQ(c.corner, canvas.At(19, 9));
        EXPECT_EQ(kBlue, canvas.At(10, 5));
        EXPECT_EQ(kRed, canvas.At(10, 0)) << "the frame along the straight top";
        EXPECT_EQ(kRed, canvas.At(10, 1));
        if (c.corner == kRed) {
            // Square corners: a frame 2 wide on every side, the fill exactly inside it.
            const RECT inner = {2, 2, 18, 8};
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 20; ++x) {
                    const POINT p = {x, y};
                    ASSERT_EQ(PtInRect(&inner, p) ? kBlue : kRed, canvas.At(x, y)) << x << ", " << y;
                }
        }
        root->Release();
    }
}

TEST_F(MarkupShapeTest, EllipseHitTest)
{
    struct Case {
        SIZE size;
        POINT point;
        bool hit;
    };
    const Case cases[] = {
        {{10, 20}, {5, 10}, true},  {{10, 20}, {0, 0}, false}, {{10, 20}, {5, 0}, true},
        {{10, 20}, {0, 10}, true},  {{10, 20}, {1, 1}, false}, {{10, 20}, {9, 10}, true},
        {{10, 20}, {9, 19}, false},
        // One pixel wide: a half width of 0.5, not a division by 0.
        {{1, 10}, {0, 5}, true},    {{1, 10}, {0, 0}, false},
        // Empty: the element itself, whatever the point.
        {{0, 10}, {0, 5}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size.cx) + "x" + std::to_string(c.size.cy) + " at " +
                     std::to_string(c.point.x) + "," + std::to_string(c.point.y));
        auto* ellipse = new CXTPMarkupEllipse();
        ellipse->SetFill(new CXTPMarkupSolidColorBrush(kRed));
        ellipse->Measure(nullptr, c.size.cx, c.size.cy);
        ellipse->Arrange(RECT{0, 0, c.size.cx, c.size.cy});
        EXPECT_EQ(c.hit ? ellipse : nullptr, ellipse->InputHitTestOverride(c.point.x, c.point.y));
        ellipse->Release();
    }
}

TEST_F(MarkupShapeTest, LineHitTestByPerpendicularDistance)
{
    struct Case {
        const wchar_t* text;
        POINT point;
        bool hit;
    };
    const Case cases[] = {
        {L"<Line X1='0' Y1='10' X2='100' Y2='10' Stroke='Black' StrokeThickness='4'/>", {50, 12}, true},
        {L"<Line X1='0' Y1='10' X2='100' Y2='10' Stroke='Black' StrokeThickness='4'/>", {50, 13}, false},
        {L"<Line X1='0' Y1='0' X2='100' Y2='100' Stroke='Black' StrokeThickness='2'/>", {50, 51}, true},
        {L"<Line X1='0' Y1='0' X2='100' Y2='100' Stroke='Black' StrokeThickness='2'/>", {50, 52}, false},
        {L"<Line X1='10' Y1='0' X2='10' Y2='50' Stroke='Black' StrokeThickness='3'/>", {11, 20}, true},
        {L"<Line X1='10' Y1='0' X2='10' Y2='50' Stroke='Black' StrokeThickness='3'/>", {12, 20}, false},
        {L"<Line X1='0' Y1='10' X2='100' Y2='10' StrokeThickness='4'/>", {50, 10}, false},
        {L"<Line X1='0' Y1='10' X2='100' Y2='10' Stroke='Black' StrokeThickness='0'/>", {50, 10}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text) + " at " + std::to_string(c.point.x) + "," + std::to_string(c.point.y));
        CXTPMarkupUIElement* root = Layout(c.text, 200, 200);
        ASSERT_NE(nullptr, root) << m_strError;
        EXPECT_EQ(c.hit ? root : nullptr, root->InputHitTestOverride(c.point.x, c.point.y));
        root->Release();
    }
}

TEST_F(MarkupShapeTest, FlatPathWithStretchKeepsItsFlatAxis)
{
    CXTPMarkupPathGeometryBuilder builder;
    const wchar_t* data = L"M 0 5 L 40 5";
    CXTPMarkupPathGeometry* flat = builder.Parse(nullptr, data, static_cast<int>(wcslen(data)));
    ASSERT_NE(nullptr, flat);
    CXTPMarkupPathGeometry* scaled = CXTPMarkupPath::CreateScaledGeometry(flat, 50, 20);
    ASSERT_EQ(2, scaled->GetPointCount());
    EXPECT_FLOAT_EQ(0, scaled->GetPoints()[0].x);
    EXPECT_FLOAT_EQ(50, scaled->GetPoints()[1].x);
    EXPECT_FLOAT_EQ(5, scaled->GetPoints()[0].y) << "no extent to scale: the coordinate stays";
    EXPECT_FLOAT_EQ(5, scaled->GetPoints()[1].y);
    EXPECT_EQ(0, scaled->GetPixelOffsetHint());
    scaled->Release();
    flat->Release();

    DibCanvas canvas(60, 20);
    CXTPMarkupUIElement* root = Render(L"<Path Data='M 0 5 L 40 5' Stroke='Black' Stretch='Fill' Width='50' "
                                       L"Height='20' HorizontalAlignment='Left'/>",
                                       canvas);
    ASSERT_NE(nullptr, root) << m_strError;
    EXPECT_EQ(kBlack, canvas.At(0, 5));
    EXPECT_EQ(kBlack, canvas.At(45, 5)) << "stretched along x";
    EXPECT_EQ(kWhite, canvas.At(55, 5));
    EXPECT_EQ(kWhite, canvas.At(25, 6));
    root->Release();
}

TEST_F(MarkupShapeTest, StrokeNamesAndPathDataInDocuments)
{
    struct Case {
        const wchar_t* text;
        const char* errorStart; // null: builds
    };
    const Case cases[] = {
        {L"<Line StrokeStartLineCap='round' StrokeEndLineCap='TRIANGLE' StrokeLineJoin='Bevel' "
         L"StrokeDashArray='2 1'/>",
         nullptr},
        {L"<Line StrokeStartLineCap='Bogus'/>", "Cannot convert"},
        {L"<Line StrokeLineJoin='Square'/>", "Cannot convert"},
        {L"<Polygon Points='1.5,2'/>", "Cannot convert"},
        {L"<Path Data='M 0 0 X 4'/>", "Unexpected token encountered at position '7'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        const LONG live = CXTPMarkupObject::GetLiveObjectCount();
        CXTPMarkupUIElement* root = Layout(c.text, 10, 10);
        if (!c.errorStart) {
            EXPECT_NE(nullptr, root) << m_strError;
        } else {
            EXPECT_EQ(nullptr, root);
            EXPECT_EQ(0u, m_strError.find(c.errorStart)) << m_strError;
        }
        MarkupRelease(root);
        EXPECT_EQ(live, CXTPMarkupObject::GetLiveObjectCount()) << "what the build made is gone";
    }
}
