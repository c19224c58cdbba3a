// The drawing context over GDI and GDI+, drawn into 32-bit DIB sections. Pixels are compared on
// RGB only (GDI leaves the alpha byte 0, GDI+ writes 0xFF), against colours computed here from the
// gradient formula and the colours given, never against images the code made.

#include "tests/support/DibCanvas.h"
#include "tests/toolkit/markup/MarkupTestSupport.h"
#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace markuptests;

namespace {

using Canvas = testsupport::DibCanvas;

const COLORREF kWhite = RGB(255, 255, 255);

std::string Show(COLORREF color)
{
    std::ostringstream out;
    out << "rgb(" << int(GetRValue(color)) << "," << int(GetGValue(color)) << "," << int(GetBValue(color)) << ")";
    return out.str();
}

// Every pixel of the canvas against an expectation; reports the first few differences.
void ExpectPixels(const Canvas& canvas, const std::function<COLORREF(int, int)>& expected, int tolerance,
                  const char* what)
{
    int wrong = 0;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const COLORREF want = expected(x, y), got = canvas.At(x, y);
            const bool same = std::abs(GetRValue(want) - GetRValue(got)) <= tolerance &&
                              std::abs(GetGValue(want) - GetGValue(got)) <= tolerance &&
                              std::abs(GetBValue(want) - GetBValue(got)) <= tolerance;
            if (!same && ++wrong <= 5)
                ADD_FAILURE() << what << ": pixel (" << x << "," << y << ") is " << Show(got) << ", expected "
                              << Show(want);
        }
    }
    EXPECT_EQ(0, wrong) << what << ": pixels that differ";
}

struct Stop {
    DWORD color; // 0xAABBGGRR
    double offset;
};

CXTPMarkupLinearGradientBrush* MakeGradient(std::vector<Stop> stops, double sx, double sy, double ex, double ey,
                                            bool setPoints = true)
{
    CXTPMarkupLinearGradientBrush* brush = new CXTPMarkupLinearGradientBrush();
    for (const Stop& stop : stops)
        brush->GetGradientStops()->Add(new CXTPMarkupGradientStop(stop.color, stop.offset));
    if (setPoints) {
        brush->SetValue(CXTPMarkupLinearGradientBrush::m_pStartPointProperty, new CXTPMarkupPoint(sx, sy));
        brush->SetValue(CXTPMarkupLinearGradientBrush::m_pEndPointProperty, new CXTPMarkupPoint(ex, ey));
    }
    return brush;
}

// The colour at t along the stops (sorted here by offset, written order kept): the first colour up
// to the first offset, the last from the last offset on, linear between neighbours, truncated.
COLORREF RampColor(std::vector<Stop> stops, double t)
{
    std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) { return a.offset < b.offset; });
    auto rgb = [](DWORD c) { return RGB(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF); };
    if (t <= stops.front().offset)
        return rgb(stops.front().color);
    if (t >= stops.back().offset)
        return rgb(stops.back().color);
    for (size_t i = 1; i < stops.size(); ++i) {
        const double distance = stops[i].offset - stops[i - 1].offset;
        if (stops[i].offset > t && distance != 0) {
            const double k = (stops[i].offset - t) / distance;
            auto mix = [&](int shift) {
                return int((stops[i - 1].color >> shift & 0xFF) * k + (stops[i].color >> shift & 0xFF) * (1 - k));
            };
            return RGB(mix(0), mix(8), mix(16));
        }
    }
    return rgb(stops.back().color);
}

// The gradient colour of one pixel of a rectangle width x height: the projection of
// (column, row + 1) onto the line from start to end, in units of its length.
COLORREF GradientColor(const std::vector<Stop>& stops, double sx, double sy, double ex, double ey, int width,
                       int height, int column, int row)
{
    sx *= width, ex *= width, sy *= height, ey *= height;
    const double t = ((column - sx) * (ex - sx) + (row + 1 - sy) * (ey - sy)) / ((ex - sx) * (ex - sx) + (ey - sy) * (ey - sy));
    return RampColor(stops, t);
}

class MarkupDrawing : public MarkupTest {
protected:
    void SetUp() override
    {
        MarkupTest::SetUp();
        // Solid brushes made below register nothing new; a stop collection is an object like any.
    }
};

// Red at 0, green at 0.5, blue at 1, written out of order.
const std::vector<Stop> kThreeStops = {{0xFFFF0000, 1.0}, {0xFF0000FF, 0.0}, {0xFF00FF00, 0.5}};

TEST_F(MarkupDrawing, SoftwareGradientsFollowTheProjectionExactly)
{
    // Two stops at one offset: the first written ends the gradient below it, the second starts
    // the one above it.
    const std::vector<Stop> tiedStops = {{0xFF0000FF, 0.5}, {0xFFFF0000, 0.5}, {0xFF00FF00, 0.0}, {0xFF000000, 1.0}};
    struct Row {
        const char* name;
        const std::vector<Stop>& stops;
        double sx, sy, ex, ey;
    } rows[] = {
        {"horizontal", kThreeStops, 0, 0, 1, 0},
        {"vertical", kThreeStops, 0, 0, 0, 1},
        {"diagonal", kThreeStops, 0, 0, 1, 1},
        {"reversed and partial", kThreeStops, 0.75, 0.5, 0.25, 0.25},
        {"two stops at one offset", tiedStops, 0, 0, 0, 1},
    };
    const RECT rc = {10, 5, 90, 45};
    // The GDI+ back end with GDI+ stopped falls back to the same software gradient.
    ASSERT_FALSE(MarkupGdiPlus::IsRunning());
    for (BOOL gdiPlusClass : {FALSE, TRUE}) {
        for (const Row& row : rows) {
            Canvas canvas(100, 50);
            CXTPMarkupLinearGradientBrush* brush = MakeGradient(row.stops, row.sx, row.sy, row.ex, row.ey);
            {
                CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, gdiPlusClass);
                dc.FillRectangle(rc.left, rc.top, rc.right, rc.bottom, brush);
            }
            const std::string what = std::string(row.name) + (gdiPlusClass ? ", GDI+ back end stopped" : ", GDI");
            ExpectPixels(
                canvas,
                [&](int x, int y) {
                    if (x < rc.left || x >= rc.right || y < rc.top || y >= rc.bottom)
                        return kWhite;
                    return GradientColor(row.stops, row.sx, row.sy, row.ex, row.ey, rc.right - rc.left,
                                         rc.bottom - rc.top, x - rc.left, y - rc.top);
                },
                0, what.c_str());
            brush->Release();
        }
    }
}

TEST_F(MarkupDrawing, GradientsWithoutAnythingToDrawLeaveThePixels)
{
    Canvas canvas(40, 40);
    CXTPMarkupLinearGradientBrush* none = MakeGradient({}, 0, 0, 1, 0);
    CXTPMarkupLinearGradientBrush* samePoints = MakeGradient(kThreeStops, 0.5, 0.5, 0.5, 0.5);
    CXTPMarkupLinearGradientBrush* one = MakeGradient({{0xFF00FF00, 0.3}}, 0, 0, 1, 0);
    {
        CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, FALSE);
        dc.FillRectangle(0, 0, 40, 20, none);
        dc.FillRectangle(0, 20, 40, 40, samePoints);
        dc.FillRectangle(5, 5, 5, 30, one); // empty
    }
    ExpectPixels(canvas, [](int, int) { return kWhite; }, 0, "nothing drawn");
    {
        CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, FALSE);
        dc.FillRectangle(10, 10, 20, 20, one);
    }
    ExpectPixels(
        canvas, [](int x, int y) { return x >= 10 && x < 20 && y >= 10 && y < 20 ? RGB(0, 255, 0) : kWhite; }, 0,
        "one stop is a solid fill");
    for (CXTPMarkupObject* brush : {static_cast<CXTPMarkupObject*>(none), static_cast<CXTPMarkupObject*>(samePoints),
                                    static_cast<CXTPMarkupObject*>(one)})
        brush->Release();
}

TEST_F(MarkupDrawing, ClippedGradientComputesOnlyTheVisiblePart)
{
    Canvas canvas(100, 100);
    CXTPMarkupLinearGradientBrush* brush = MakeGradient(kThreeStops, 0, 0, 1, 1);
    const RECT clip = {30, 40, 45, 52};
    {
        CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, FALSE);
        dc.IntersectClipRect(clip);
        EXPECT_TRUE(EqualRect(&clip, &dc.GetClipBox()));
        // A rectangle far larger than the canvas: only the clip box is computed and copied.
        dc.FillRectangle(-2000, -3000, 8000, 9000, brush);
    }
    ExpectPixels(
        canvas,
        [&](int x, int y) {
            if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom)
                return kWhite;
            return GradientColor(kThreeStops, 0, 0, 1, 1, 10000, 12000, x + 2000, y + 3000);
        },
        0, "clipped diagonal");
    brush->Release();
}

// DIB factories for the software gradient: one that records what it was asked for, two that fail.
SIZE g_dibAsked = {};
int g_dibCalls = 0;

HBITMAP RecordingDib(HDC dc, int width, int height, void** bits)
{
    ++g_dibCalls;
    g_dibAsked = {width, height};
    return CreateAlphaDibSection(dc, width, height, bits);
}

HBITMAP FailingDib(HDC, int, int, void** bits)
{
    ++g_dibCalls;
    *bits = nullptr;
    return nullptr;
}

HBITMAP DibWithoutBits(HDC dc, int width, int height, void** bits)
{
    ++g_dibCalls;
    *bits = nullptr;
    return CreateCompatibleBitmap(dc, width, height);
}

TEST_F(MarkupDrawing, SoftwareGradientAsksOnlyForTheVisiblePartAndDrawsNothingWithoutADib)
{
    Canvas canvas(100, 100);
    HRGN clip = CreateRectRgn(30, 40, 45, 52);
    SelectClipRgn(canvas.DC(), clip);
    DeleteObject(clip);
    CXTPMarkupLinearGradientBrush* brush = MakeGradient(kThreeStops, 0, 0, 1, 1);
    // The background of a document two million pixels tall, scrolled to its middle: a DIB of the
    // whole element would need 800 MB.
    const RECT tall = {0, -1000000, 100, 1000000};
    g_dibCalls = 0;
    FillMarkupGradientRect(canvas.DC(), tall, brush, &RecordingDib);
    EXPECT_EQ(1, g_dibCalls);
    EXPECT_EQ(15, g_dibAsked.cx);
    EXPECT_EQ(12, g_dibAsked.cy);
    ExpectPixels(
        canvas,
        [&](int x, int y) {
            if (x < 30 || x >= 45 || y < 40 || y >= 52)
                return kWhite;
            return GradientColor(kThreeStops, 0, 0, 1, 1, 100, 2000000, x, y + 1000000);
        },
        0, "the visible part of a tall gradient");

    for (MarkupGradientDibFactory failing : {&FailingDib, &DibWithoutBits}) {
        canvas.Clear();
        g_dibCalls = 0;
        FillMarkupGradientRect(canvas.DC(), {0, 0, 100, 100}, brush, failing);
        EXPECT_EQ(1, g_dibCalls);
        ExpectPixels(canvas, [](int, int) { return kWhite; }, 0, "no DIB, nothing drawn");
    }
    brush->Release();
}

TEST_F(MarkupDrawing, FillsOnBothBackEnds)
{
    CXTPMarkupSolidColorBrush* opaque = new CXTPMarkupSolidColorBrush(RGB(10, 20, 30));
    CXTPMarkupSolidColorBrush* halfRed = new CXTPMarkupSolidColorBrush(0x80, RGB(255, 0, 0));
    auto inside = [](int x, int y) { return x >= 5 && x < 25 && y >= 5 && y < 15; };

    for (bool running : {true, false}) {
        if (running)
            MarkupGdiPlus::AddRef(true);
        ASSERT_EQ(running, MarkupGdiPlus::IsRunning());
        for (BOOL gdiPlusClass : {TRUE, FALSE}) {
            Canvas canvas(30, 20);
            {
                CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, gdiPlusClass);
                dc.FillRectangle(5, 5, 25, 15, opaque);
            }
            ExpectPixels(canvas, [&](int x, int y) { return inside(x, y) ? RGB(10, 20, 30) : kWhite; }, 0,
                         running ? "opaque fill, GDI+ running" : "opaque fill, GDI+ stopped");
            canvas.Clear();
            {
                CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, gdiPlusClass);
                dc.FillRectangle(5, 5, 25, 15, halfRed);
            }
            // Blended only by GDI+; GDI ignores alpha.
            const bool blended = running && gdiPlusClass;
            const COLORREF fill = blended ? RGB(255, 127, 127) : RGB(255, 0, 0);
            ExpectPixels(canvas, [&](int x, int y) { return inside(x, y) ? fill : kWhite; }, blended ? 1 : 0,
                         blended ? "translucent fill blended" : "translucent fill opaque on GDI");
        }
        if (running)
            MarkupGdiPlus::AddRef(false);
    }
    opaque->Release();
    halfRed->Release();
}

TEST_F(MarkupDrawing, TranslucentFramePaintsEachPixelOnce)
{
    CXTPMarkupSolidColorBrush* halfRed = new CXTPMarkupSolidColorBrush(0x80, RGB(255, 0, 0));
    CXTPMarkupThickness* sides = new CXTPMarkupThickness(1, 2, 3, 4);
    const RECT rc = {5, 5, 35, 25};
    auto inFrame = [&](int x, int y) {
        if (x < rc.left || x >= rc.right || y < rc.top || y >= rc.bottom)
            return false;
        return x < rc.left + 1 || x >= rc.right - 3 || y < rc.top + 2 || y >= rc.bottom - 4;
    };
    for (bool running : {true, false}) {
        if (running)
            MarkupGdiPlus::AddRef(true);
        Canvas canvas(40, 30);
        {
            CXTPMarkupDrawingContext dc(canvas.DC());
            dc.DrawFrame(rc.left, rc.top, rc.right, rc.bottom, halfRed, sides);
        }
        // Corners painted twice would come out darker than the sides.
        const COLORREF frame = running ? RGB(255, 127, 127) : RGB(255, 0, 0);
        ExpectPixels(canvas, [&](int x, int y) { return inFrame(x, y) ? frame : kWhite; }, running ? 1 : 0,
                     running ? "translucent frame on GDI+" : "translucent frame on GDI");
        if (running)
            MarkupGdiPlus::AddRef(false);
    }
    sides->Release();
    halfRed->Release();
}

TEST_F(MarkupDrawing, GdiPlusGradientBlendsEveryStopInOffsetOrder)
{
    MarkupGdiPlus::AddRef(true);
    ASSERT_TRUE(MarkupGdiPlus::IsRunning());
    Canvas canvas(100, 50);
    CXTPMarkupLinearGradientBrush* brush = MakeGradient(kThreeStops, 0, 0, 1, 0);
    const RECT rc = {10, 5, 90, 45};
    {
        CXTPMarkupDrawingContext dc(canvas.DC());
        dc.FillRectangle(rc.left, rc.top, rc.right, rc.bottom, brush);
    }
    // GDI+ samples pixel centres and rounds; the middle stop only shows when the preset blend
    // carries every stop in offset order.
    ExpectPixels(
        canvas,
        [&](int x, int y) {
            if (x < rc.left || x >= rc.right || y < rc.top || y >= rc.bottom)
                return kWhite;
            return RampColor(kThreeStops, (x + 0.5 - rc.left) / (rc.right - rc.left));
        },
        8, "horizontal three-stop gradient on GDI+");
    brush->Release();
    MarkupGdiPlus::AddRef(false);
}

TEST_F(MarkupDrawing, GdiPlusLinesAreCrispAndDashed)
{
    MarkupGdiPlus::AddRef(true);
    ASSERT_TRUE(MarkupGdiPlus::IsRunning());
    Canvas canvas(60, 40);
    CXTPMarkupSolidColorBrush* blue = new CXTPMarkupSolidColorBrush(RGB(0, 0, 255));
    CXTPMarkupDoubleCollection* dashes = new CXTPMarkupDoubleCollection(std::vector<float>{3.0f});
    CXTPMarkupStrokeStyle thin;
    thin.nStrokeThickness = 1;
    thin.pStrokeBrush = blue;
    CXTPMarkupStrokeStyle thick = thin;
    thick.nStrokeThickness = 2;
    CXTPMarkupStrokeStyle dashed = thin;
    dashed.pStrokeDashArray = dashes;
    {
        CXTPMarkupDrawingContext dc(canvas.DC());
        dc.DrawLine(5, 10, 55, 10, &thin);
        dc.DrawLine(5, 20, 55, 20, &thick);
        dc.DrawLine(0, 30, 60, 30, &dashed);
    }
    // Odd widths sit on pixel centres, even ones on pixel edges: whole rows, no blending.
    for (int x = 10; x < 50; ++x) {
        EXPECT_EQ(kWhite, canvas.At(x, 9)) << x;
        EXPECT_EQ(RGB(0, 0, 255), canvas.At(x, 10)) << x;
        EXPECT_EQ(kWhite, canvas.At(x, 11)) << x;
        EXPECT_EQ(kWhite, canvas.At(x, 18)) << x;
        EXPECT_EQ(RGB(0, 0, 255), canvas.At(x, 19)) << x;
        EXPECT_EQ(RGB(0, 0, 255), canvas.At(x, 20)) << x;
        EXPECT_EQ(kWhite, canvas.At(x, 21)) << x;
    }
    // One dash entry 3 means dashes of 3 and gaps of 3: runs of about 3 pixels each way.
    std::vector<int> runs;
    bool inDash = canvas.At(10, 30) != kWhite;
    int run = 0;
    for (int x = 10; x < 50; ++x) {
        const bool dash = canvas.At(x, 30) != kWhite;
        if (dash != inDash) {
            runs.push_back(run);
            run = 0;
            inDash = dash;
        }
        ++run;
    }
    EXPECT_GE(runs.size(), 6u) << "the line is dashed";
    for (size_t i = 1; i < runs.size(); ++i) // the first run may start inside a dash or gap
        EXPECT_NEAR(3, runs[i], 1) << "run " << i;
    dashes->Release();
    blue->Release();
    MarkupGdiPlus::AddRef(false);
}

TEST_F(MarkupDrawing, ConstructorsChooseTheirBackEnds)
{
    Canvas canvas(10, 10);
    HDC attribute = CreateCompatibleDC(nullptr);
    SetBkMode(canvas.DC(), OPAQUE);
    {
        CXTPMarkupDrawingContext dc(canvas.DC());
        EXPECT_NE(nullptr, dynamic_cast<CXTPMarkupGdiPlusDeviceContext*>(dc.GetDeviceContext()));
        EXPECT_EQ(canvas.DC(), dc.GetDC());
        EXPECT_EQ(canvas.DC(), dc.GetDeviceContext()->GetAttributeDC()) << "the target measures too";
        EXPECT_EQ(TRANSPARENT, GetBkMode(canvas.DC()));
        const RECT whole = {0, 0, 10, 10};
        EXPECT_TRUE(EqualRect(&whole, &dc.GetClipBox()));
    }
    {
        CXTPMarkupDrawingContext dc(canvas.DC(), attribute, FALSE);
        EXPECT_EQ(nullptr, dynamic_cast<CXTPMarkupGdiPlusDeviceContext*>(dc.GetDeviceContext()));
        EXPECT_EQ(attribute, dc.GetDeviceContext()->GetAttributeDC());
    }
    HDC owned = nullptr;
    {
        CXTPMarkupDrawingContext measuring;
        owned = measuring.GetDC();
        EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(owned));
        EXPECT_NE(nullptr, dynamic_cast<CXTPMarkupGdiPlusDeviceContext*>(measuring.GetDeviceContext()));
        EXPECT_EQ(owned, measuring.GetDeviceContext()->GetAttributeDC());
        EXPECT_GT(measuring.GetTextExtent(L"Wide", 4).cx, 0) << "it measures with the DC's font";
    }
    EXPECT_EQ(0u, GetObjectType(owned)) << "the measuring context deletes its own DC";
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(attribute)) << "a DC it was given stays";
    DeleteDC(attribute);
}

TEST_F(MarkupDrawing, EllipseStrokeStaysInsideItsBox)
{
    MarkupGdiPlus::AddRef(true);
    ASSERT_TRUE(MarkupGdiPlus::IsRunning());
    Canvas canvas(40, 40);
    CXTPMarkupSolidColorBrush* blue = new CXTPMarkupSolidColorBrush(RGB(0, 0, 255));
    CXTPMarkupStrokeStyle stroke;
    stroke.nStrokeThickness = 4;
    stroke.pStrokeBrush = blue;
    {
        CXTPMarkupDrawingContext dc(canvas.DC());
        dc.DrawEllipse(10, 10, 30, 30, &stroke, nullptr);
    }
    // Nothing outside the box.
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (x < 10 || x >= 30 || y < 10 || y >= 30) {
                ASSERT_EQ(kWhite, canvas.At(x, y)) << "drawn outside the box at (" << x << "," << y << ")";
            }
        }
    }
    // The stroke reaches the middle of each side, and the inside stays empty.
    EXPECT_EQ(RGB(0, 0, 255), canvas.At(11, 20));
    EXPECT_EQ(RGB(0, 0, 255), canvas.At(28, 20));
    EXPECT_EQ(RGB(0, 0, 255), canvas.At(20, 11));
    EXPECT_EQ(RGB(0, 0, 255), canvas.At(20, 28));
    EXPECT_EQ(kWhite, canvas.At(20, 20));
    blue->Release();
    MarkupGdiPlus::AddRef(false);
}

TEST_F(MarkupDrawing, RoundedRectanglesOnTheirInteriorsAndWellOutside)
{
    CXTPMarkupSolidColorBrush* green = new CXTPMarkupSolidColorBrush(RGB(0, 128, 0));
    // A rounded frame takes its one outline width from the left side.
    CXTPMarkupThickness* three = new CXTPMarkupThickness(3, 9, 9, 9);
    CXTPMarkupCornerRadii radii;
    for (double& r : radii.radii)
        r = 6;
    for (bool running : {true, false}) {
        if (running)
            MarkupGdiPlus::AddRef(true);
        Canvas canvas(60, 60);
        {
            CXTPMarkupDrawingContext dc(canvas.DC());
            dc.FillRectangle(10, 10, 50, 30, green, &radii);
            dc.DrawFrame(10, 35, 50, 55, green, three, &radii);
        }
        const char* what = running ? "GDI+" : "GDI";
        EXPECT_EQ(RGB(0, 128, 0), canvas.At(30, 20)) << what << ": filled interior";
        EXPECT_EQ(RGB(0, 128, 0), canvas.At(12, 20)) << what << ": filled left edge, between the corners";
        EXPECT_EQ(kWhite, canvas.At(10, 10)) << what << ": the rounded-off corner";
        EXPECT_EQ(kWhite, canvas.At(5, 5)) << what << ": well outside";
        EXPECT_EQ(kWhite, canvas.At(30, 45)) << what << ": inside the frame";
        EXPECT_EQ(RGB(0, 128, 0), canvas.At(30, 36)) << what << ": the frame's top side";
        EXPECT_EQ(RGB(0, 128, 0), canvas.At(11, 45)) << what << ": the frame's left side";
        EXPECT_EQ(kWhite, canvas.At(30, 41)) << what << ": below a top side 3 wide, not 9";
        EXPECT_EQ(kWhite, canvas.At(44, 45)) << what << ": left of a right side 3 wide, not 9";
        EXPECT_EQ(kWhite, canvas.At(30, 58)) << what << ": below the frame";
        if (running)
            MarkupGdiPlus::AddRef(false);
    }
    three->Release();
    green->Release();
}

TEST_F(MarkupDrawing, OriginAndClipNestAndRestore)
{
    struct Row {
        const char* name;
        bool anisotropic;
        bool gdiPlus; // a translucent fill through GDI+, whose Graphics must see the origin and clip
    } rows[] = {
        {"1:1 mapping", false, false},
        {"2:1 mapping", true, false},
        {"1:1 mapping, GDI+", false, true},
    };
    CXTPMarkupSolidColorBrush* halfRed = new CXTPMarkupSolidColorBrush(0x80, RGB(255, 0, 0));
    for (const Row& row : rows) {
        const bool anisotropic = row.anisotropic;
        if (row.gdiPlus)
            MarkupGdiPlus::AddRef(true);
        Canvas canvas(100, 100);
        if (anisotropic) {
            // Twice the size on the device: logical offsets must land at twice the distance.
            SetMapMode(canvas.DC(), MM_ANISOTROPIC);
            SetWindowExtEx(canvas.DC(), 1, 1, nullptr);
            SetViewportExtEx(canvas.DC(), 2, 2, nullptr);
        }
        const int scale = anisotropic ? 2 : 1;
        {
            CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, row.gdiPlus);
            const HRGN saved = dc.GetClipRegion();
            EXPECT_EQ(reinterpret_cast<HRGN>(-1), saved) << "no clip region yet";
            dc.OffsetViewport({10, 10});
            dc.IntersectClipRect({0, 0, 20, 20});
            EXPECT_EQ(0, dc.GetClipBox().left);
            EXPECT_EQ(20, dc.GetClipBox().right);
            dc.OffsetViewport({5, 5});
            EXPECT_EQ(-5, dc.GetClipBox().left) << "the clip box follows the origin";
            const HRGN inner = dc.GetClipRegion();
            dc.IntersectClipRect({0, 0, 5, 5});
            // Drawn over more than the clip: only the clip box gets paint.
            if (row.gdiPlus)
                dc.FillRectangle(-10, -10, 30, 30, halfRed);
            else
                dc.FillSolidRect(-10, -10, 30, 30, RGB(255, 0, 0));
            dc.SelectClipRegion(inner);
            EXPECT_EQ(15, dc.GetClipBox().right);
            dc.OffsetViewport({-15, -15});
            dc.SelectClipRegion(saved);
            dc.SelectClipRegion(nullptr); // nothing
            EXPECT_EQ(0, dc.GetClipBox().left);
            EXPECT_EQ(100 / scale, dc.GetClipBox().right);
            // Back at the origin and unclipped.
            dc.FillSolidRect(0, 0, 2, 2, RGB(0, 0, 255));
        }
        ExpectPixels(
            canvas,
            [&](int x, int y) {
                if (x < 2 * scale && y < 2 * scale)
                    return RGB(0, 0, 255);
                const int from = 15 * scale, to = 20 * scale;
                const COLORREF red = row.gdiPlus ? RGB(255, 127, 127) : RGB(255, 0, 0);
                return x >= from && x < to && y >= from && y < to ? red : kWhite;
            },
            row.gdiPlus ? 1 : 0, row.name);
        if (row.gdiPlus)
            MarkupGdiPlus::AddRef(false);
    }
    halfRed->Release();
}

TEST_F(MarkupDrawing, PathSquareFillsExactlyItsPixelsOnGdi)
{
    Canvas canvas(40, 40);
    CXTPMarkupPathGeometryBuilder builder;
    CXTPMarkupPathGeometry* square = builder.Parse(nullptr, L"M 0 0 h 10 v 10 h -10 z", -1);
    ASSERT_NE(nullptr, square);
    CXTPMarkupSolidColorBrush* black = new CXTPMarkupSolidColorBrush(RGB(0, 0, 0));
    {
        CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, FALSE);
        dc.OffsetViewport({20, 20});
        dc.DrawPath(square, nullptr, black);
    }
    ExpectPixels(
        canvas, [](int x, int y) { return x >= 20 && x < 30 && y >= 20 && y < 30 ? RGB(0, 0, 0) : kWhite; }, 0,
        "square");
    black->Release();
    square->Release();
}

TEST_F(MarkupDrawing, TextWithAnotherAttributeDcEndsWhereThatDcMeasured)
{
    Canvas canvas(400, 60);
    HDC attribute = CreateCompatibleDC(nullptr);
    HFONT small = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HFONT large = CreateFontW(-24, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HGDIOBJ oldTarget = SelectObject(canvas.DC(), small);
    HGDIOBJ oldAttribute = SelectObject(attribute, large);
    const wchar_t text[] = L"Markup text lines up";
    const int length = static_cast<int>(wcslen(text));
    SIZE measured = {}, own = {};
    {
        CXTPMarkupDrawingContext dc(canvas.DC(), attribute, FALSE);
        measured = dc.GetTextExtent(text, length);
        GetTextExtentPoint32W(canvas.DC(), text, length, &own);
        ASSERT_GT(measured.cx, own.cx + 40) << "the fonts must differ clearly for this to show anything";
        dc.DrawTextLine(text, length, {10, 10, 390, 50});
    }
    int rightmost = -1;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 400; ++x)
            if (canvas.At(x, y) != kWhite)
                rightmost = std::max(rightmost, x);
    // The last glyph (small) sits centred where the attribute DC put the last character (large).
    INT lastWide = 0;
    GetCharWidth32W(attribute, L'p', L'p', &lastWide);
    EXPECT_GT(rightmost, 10 + measured.cx - lastWide) << "the line ends where the attribute DC measured it";
    EXPECT_LE(rightmost, 10 + measured.cx);
    SelectObject(canvas.DC(), oldTarget);
    SelectObject(attribute, oldAttribute);
    DeleteObject(small);
    DeleteObject(large);
    DeleteDC(attribute);
}

TEST_F(MarkupDrawing, LastUserUnloadsGdiPlusAndALaterOneLoadsItAgain)
{
    ASSERT_EQ(0, MarkupGdiPlus::GetUseCount());
    ASSERT_EQ(nullptr, GetModuleHandleW(L"gdiplus.dll")) << "nothing else of this program loads GDI+";
    for (int round = 0; round < 2; ++round) {
        MarkupGdiPlus::AddRef(true);
        MarkupGdiPlus::AddRef(true);
        EXPECT_TRUE(MarkupGdiPlus::IsRunning()) << round;
        EXPECT_NE(nullptr, GetModuleHandleW(L"gdiplus.dll")) << round;
        MarkupGdiPlus::AddRef(false);
        EXPECT_TRUE(MarkupGdiPlus::IsRunning()) << "one user is left";
        MarkupGdiPlus::AddRef(false);
        EXPECT_FALSE(MarkupGdiPlus::IsRunning()) << round;
        EXPECT_EQ(nullptr, GetModuleHandleW(L"gdiplus.dll")) << round;
    }
    MarkupGdiPlus::AddRef(false); // one release too many changes nothing
    EXPECT_EQ(0, MarkupGdiPlus::GetUseCount());
    MarkupGdiPlus::AddRef(true);
    EXPECT_TRUE(MarkupGdiPlus::IsRunning()) << "a stray release does not keep GDI+ from loading";
    MarkupGdiPlus::AddRef(false);
}

} // namespace
