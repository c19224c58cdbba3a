// Drawing and hit testing of a laid-out tree: panels with backgrounds, a child clipped to its slot,
// a Hidden and a Collapsed child, rendered with GDI into a 32-bit DIB and hit-tested on one table
// of points.

#include "MarkupLayoutSupport.h"
#include "tests/support/DibCanvas.h"

#include <vector>

using namespace markuptests;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kGray = RGB(128, 128, 128);
constexpr COLORREF kOrange = RGB(255, 128, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);


std::string Hex(COLORREF color)
{
    char text[16];
    snprintf(text, sizeof(text), "#%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
    return text;
}

std::string Describe(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + ", " + std::to_string(rc.top) + ", " + std::to_string(rc.right) + ", " +
           std::to_string(rc.bottom) + ")";
}

CXTPMarkupPanel* ColouredPanel(COLORREF color, int width, int height)
{
    auto* panel = WithBackground(new CXTPMarkupPanel(), color);
    if (width >= 0)
        panel->SetWidth(width);
    if (height >= 0)
        panel->SetHeight(height);
    panel->SetVerticalAlignment(CXTPMarkupFrameworkElement::alignTop);
    return panel;
}

} // namespace

class MarkupRenderTest : public MarkupLayoutTest {
protected:
    // The scene of the render and hit-test tables, laid out in 200 x 200:
    //   red    (0,0)-(200,40)      a panel with a background
    //   row    (0,40)-(200,90)     green horizontal stack: y1 yellow, a Hidden magenta, a Collapsed
    //                              cyan, y2 yellow, each 30 x 20 at the top
    //   holder (0,90)-(50,130)     gray stack 50 wide; orange child 100 wide, clipped to 50
    //   gap    (0,130)-(200,150)   horizontal stack without a background: b1 and b2 (blue, 20
    //                              wide) with 20 pixels between them
    // The root stack has no background.
    void Build(CTree& t)
    {
        auto* root = t.Root(L"root", new CXTPMarkupStackPanel());
        t.Add(root, L"red", ColouredPanel(kRed, -1, 40));

        auto* row = t.Add(root, L"row", WithBackground(new CXTPMarkupStackPanel(), kGreen));
        row->SetOrientation(xtpMarkupOrientationHorizontal);
        row->SetHeight(50);
        t.Add(row, L"y1", ColouredPanel(kYellow, 30, 20));
        t.Add(row, L"hidden", WithVisibility(ColouredPanel(kMagenta, 30, 20), CXTPMarkupUIElement::visibilityHidden));
        t.Add(row, L"collapsed",
              WithVisibility(ColouredPanel(kCyan, 30, 20), CXTPMarkupUIElement::visibilityCollapsed));
        t.Add(row, L"y2", ColouredPanel(kYellow, 30, 20));

        auto* holder = t.Add(root, L"holder", WithBackground(new CXTPMarkupStackPanel(), kGray));
        holder->SetWidth(50);
        holder->SetHeight(40);
        holder->SetHorizontalAlignment(CXTPMarkupFrameworkElement::alignLeft);
        auto* orange = t.Add(holder, L"orange", ColouredPanel(kOrange, 100, 30));
        orange->SetHorizontalAlignment(CXTPMarkupFrameworkElement::alignLeft);

        auto* gap = t.Add(root, L"gap", new CXTPMarkupStackPanel());
        gap->SetOrientation(xtpMarkupOrientationHorizontal);
        gap->SetHeight(20);
        t.Add(gap, L"b1", ColouredPanel(kBlue, 20, 20));
        auto* b2 = t.Add(gap, L"b2", ColouredPanel(kBlue, 20, 20));
        b2->SetMargin(20, 0, 0, 0);

        t.Layout(200, 200);
    }
};

TEST_F(MarkupRenderTest, RegionsShowTheirBackgroundsClippedAndHiddenOnesDoNot)
{
    CTree t;
    Build(t);
    // Where the layout put the coloured elements, in root coordinates.
    struct Region {
        const wchar_t* name;
        RECT expected;
        COLORREF color;
    } regions[] = {
        {L"red", {0, 0, 200, 40}, kRed},     {L"row", {0, 40, 200, 90}, kGreen},
        {L"y1", {0, 40, 30, 60}, kYellow},   {L"y2", {60, 40, 90, 60}, kYellow},
        {L"holder", {0, 90, 50, 130}, kGray}, {L"orange", {0, 90, 100, 120}, kOrange},
        {L"b1", {0, 130, 20, 150}, kBlue},   {L"b2", {40, 130, 60, 150}, kBlue},
    };
    for (const Region& region : regions)
        EXPECT_EQ(Describe(region.expected), Describe(RootRect(t[region.name])))
            << std::string(region.name, region.name + wcslen(region.name));

    testsupport::DibCanvas canvas(200, 200);
    {
        CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, FALSE);
        t.GetRoot()->Render(&dc);
    }
    // The layout clip was put back: the DC has no clip region left.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(0, GetClipRgn(canvas.DC(), region));
    DeleteObject(region);

    struct Probe {
        const char* what;
        int x, y;
        COLORREF expected;
    } probes[] = {
        {"red panel, corners", 0, 0, kRed},
        {"red panel, far corner", 199, 39, kRed},
        {"first yellow leaf", 1, 41, kYellow},
        {"first yellow leaf, far corner", 29, 59, kYellow},
        {"Hidden leaf: its parent's green shows", 45, 50, kGreen},
        {"second yellow leaf right after the Hidden one (Collapsed takes no room)", 60, 40, kYellow},
        {"second yellow leaf, far corner", 89, 59, kYellow},
        {"row background below the leaves", 15, 75, kGreen},
        {"row background right of the leaves", 150, 60, kGreen},
        {"orange child inside its slot", 49, 119, kOrange},
        {"orange child clipped away", 50, 100, kWhite},
        {"orange child clipped away, far end", 99, 100, kWhite},
        {"holder below its child", 25, 125, kGray},
        {"left of nothing: the root has no background", 150, 110, kWhite},
        {"b1", 10, 140, kBlue},
        {"between b1 and b2: no background", 30, 140, kWhite},
        {"b2", 50, 140, kBlue},
        {"below everything", 100, 180, kWhite},
    };
    for (const Probe& probe : probes)
        EXPECT_EQ(Hex(probe.expected), Hex(canvas.At(probe.x, probe.y))) << probe.what;
    EXPECT_EQ(0, canvas.Count(kMagenta)) << "a Hidden element is not drawn";
    EXPECT_EQ(0, canvas.Count(kCyan)) << "a Collapsed element is not drawn";
    EXPECT_EQ(50 * 30, canvas.Count(kOrange)) << "only the slot's part of the orange child";
}

TEST_F(MarkupRenderTest, TheHostsClipStaysInForceAndIsPutBack)
{
    CTree t;
    Build(t);
    testsupport::DibCanvas canvas(200, 200);
    IntersectClipRect(canvas.DC(), 0, 0, 200, 100);
    {
        CXTPMarkupDrawingContext dc(canvas.DC(), nullptr, FALSE);
        t.GetRoot()->Render(&dc);
    }
    // The orange child's own clip was intersected with the host's and then undone: the host's
    // clip is the one in force again.
    RECT box = {};
    GetClipBox(canvas.DC(), &box);
    EXPECT_EQ(Describe(RECT{0, 0, 200, 100}), Describe(box));
    EXPECT_EQ(Hex(kOrange), Hex(canvas.At(25, 99)));
    EXPECT_EQ(Hex(kWhite), Hex(canvas.At(25, 100))) << "below the host's clip";
    EXPECT_EQ(Hex(kWhite), Hex(canvas.At(10, 140))) << "b1 lies wholly outside the host's clip";
    EXPECT_EQ(10 * 50, canvas.Count(kOrange));
}

TEST_F(MarkupRenderTest, HitTestTable)
{
    CTree t;
    Build(t);
    struct Hit {
        const char* what;
        int x, y;
        const wchar_t* expected; // null: no element
    } hits[] = {
        {"red panel", 10, 20, L"red"},
        {"first yellow leaf", 5, 45, L"y1"},
        {"Hidden leaf: its parent with a background", 45, 45, L"row"},
        {"second yellow leaf", 75, 45, L"y2"},
        {"row background", 150, 60, L"row"},
        {"orange child in its slot", 25, 100, L"orange"},
        {"orange child's clipped-away part", 70, 100, nullptr},
        {"holder below its child", 25, 125, L"holder"},
        {"b1", 10, 140, L"b1"},
        {"between children of a panel without background", 30, 140, nullptr},
        {"b2", 50, 140, L"b2"},
        {"below everything", 100, 180, nullptr},
        {"outside the root", 250, 10, nullptr},
    };
    for (const Hit& hit : hits) {
        CXTPMarkupInputElement* expected = hit.expected ? t[hit.expected] : nullptr;
        EXPECT_EQ(expected, t.GetRoot()->InputHitTest(hit.x, hit.y)) << hit.what;
    }
    // A Collapsed element is never hit, even at its own position.
    EXPECT_EQ(nullptr, t[L"collapsed"]->InputHitTest(0, 0));
}

namespace {

// Counts what the render walk does with it.
class CRenderProbe : public CXTPMarkupFrameworkElement {
public:
    void OnRender(CXTPMarkupDrawingContext*) override { ++m_nRendered; }
    void OnNotRendered(CXTPMarkupDrawingContext* dc) override
    {
        ++m_nNotRendered;
        CXTPMarkupFrameworkElement::OnNotRendered(dc);
    }
    void OnRenderFocusVisual(CXTPMarkupDrawingContext*) override { ++m_nFocusVisuals; }

    int m_nRendered = 0;
    int m_nNotRendered = 0;
    int m_nFocusVisuals = 0;
};

CRenderProbe* Probe(int width, int height)
{
    auto* probe = new CRenderProbe();
    probe->SetWidth(width);
    probe->SetHeight(height);
    return probe;
}

} // namespace

TEST_F(MarkupRenderTest, HiddenCollapsedAndOffClipElementsAreNotRendered)
{
    CTree t;
    auto* canvas = t.Root(L"canvas", new CXTPMarkupCanvas());
    auto* shown = t.Add(canvas, L"shown", Probe(10, 10));
    auto* focused = t.Add(canvas, L"focused", Probe(10, 10));
    focused->SetValue(CXTPMarkupInputElement::m_pIsKeyboardFocusedProperty, MarkupTrue());
    auto* hidden = t.Add(canvas, L"hidden", WithVisibility(Probe(10, 10), CXTPMarkupUIElement::visibilityHidden));
    auto* collapsed =
        t.Add(canvas, L"collapsed", WithVisibility(Probe(10, 10), CXTPMarkupUIElement::visibilityCollapsed));
    auto* outside = t.Add(canvas, L"outside", Probe(10, 10));
    CXTPMarkupCanvas::SetLeft(outside, 150);
    t.Layout(100, 100);

    testsupport::DibCanvas dib(100, 100);
    {
        CXTPMarkupDrawingContext dc(dib.DC(), nullptr, FALSE);
        t.GetRoot()->Render(&dc);
    }
    struct Row {
        const char* what;
        CRenderProbe* probe;
        int rendered, notRendered, focusVisuals;
    } rows[] = {
        {"visible", shown, 1, 0, 0},
        {"keyboard-focused", focused, 1, 0, 1},
        {"Hidden", hidden, 0, 1, 0},
        {"Collapsed", collapsed, 0, 1, 0},
        {"outside the clip box", outside, 0, 1, 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.rendered, row.probe->m_nRendered) << row.what;
        EXPECT_EQ(row.notRendered, row.probe->m_nNotRendered) << row.what;
        EXPECT_EQ(row.focusVisuals, row.probe->m_nFocusVisuals) << row.what;
    }
}
