// Measure and arrange of the element tree and the five panels, worked out by hand: one table whose
// rows build a small tree and list the rectangle and desired size every element must end with;
// then the pass-skipping and upward re-measure rules, proven with elements that count their passes.

#include "MarkupLayoutSupport.h"

#include "toolkit/markup/XTPMarkupBuilder.h"

#include <functional>
#include <vector>

using namespace markuptests;

namespace {

constexpr int kNone = -1000000; // "not checked" for the optional columns

struct Expect {
    const wchar_t* name;
    RECT finalRect;   // as the element was arranged, in its parent's coordinates
    SIZE desired;
    POINT offset = {kNone, kNone}; // visual offset, when the row checks it
    SIZE render = {kNone, kNone};  // render size, when the row checks it
};

struct LayoutRow {
    const char* label;
    SIZE host;
    std::function<void(CTree&)> build;
    std::vector<Expect> expected;
};

CXTPMarkupFrameworkElement* Aligned(CXTPMarkupFrameworkElement* element, int horizontal, int vertical = 3)
{
    element->SetHorizontalAlignment(static_cast<CXTPMarkupFrameworkElement::HorizontalAlignment>(horizontal));
    element->SetVerticalAlignment(static_cast<CXTPMarkupFrameworkElement::VerticalAlignment>(vertical));
    return element;
}

CXTPMarkupUniformGrid* Grid(int columns, int rows, int firstColumn)
{
    auto* grid = new CXTPMarkupUniformGrid();
    if (columns != kNone)
        grid->SetColumns(columns);
    if (rows != kNone)
        grid->SetRows(rows);
    if (firstColumn != kNone)
        grid->SetFirstColumn(firstColumn);
    return grid;
}

void AddLeaves(CTree& tree, CXTPMarkupPanel* panel, int count, int width, int height)
{
    static const wchar_t* names[] = {L"c0", L"c1", L"c2", L"c3", L"c4", L"c5"};
    for (int i = 0; i < count; ++i)
        tree.Add(panel, names[i], FixedLeaf(width, height));
}

// The cells of a 30 x 30 grid holding 10 x 10 leaves.
Expect Cell(const wchar_t* name, int column, int row, int firstColumnOffset = 0)
{
    const int left = (column + firstColumnOffset) * 30;
    return {name, {left, row * 30, left + 30, row * 30 + 30}, {10, 10}};
}

std::vector<LayoutRow> LayoutRows()
{
    using HA = CXTPMarkupFrameworkElement::HorizontalAlignment;
    (void)sizeof(HA);
    return {
        {"stack of 10/20/30 in a 100-wide panel",
         {100, 100},
         [](CTree& t) {
             auto* stack = t.Root(L"stack", new CXTPMarkupStackPanel());
             t.Add(stack, L"a", FixedLeaf(-1, 10));
             t.Add(stack, L"b", FixedLeaf(-1, 20));
             t.Add(stack, L"c", FixedLeaf(-1, 30));
         },
         {{L"stack", {0, 0, 100, 100}, {0, 60}},
          {L"a", {0, 0, 100, 10}, {0, 10}},
          {L"b", {0, 10, 100, 30}, {0, 20}},
          {L"c", {0, 30, 100, 60}, {0, 30}}}},
        {"horizontal stack: children as tall as the panel",
         {100, 50},
         [](CTree& t) {
             auto* stack = t.Root(L"stack", new CXTPMarkupStackPanel());
             stack->SetOrientation(xtpMarkupOrientationHorizontal);
             t.Add(stack, L"a", FixedLeaf(10, 5));
             t.Add(stack, L"b", FixedLeaf(20, 60));
         },
         {{L"stack", {0, 0, 100, 50}, {30, 50}},
          {L"a", {0, 0, 10, 50}, {10, 5}},
          {L"b", {10, 0, 30, 50}, {20, 50}}}},
        {"five 30-wide items wrapping in 100",
         {100, 100},
         [](CTree& t) {
             auto* wrap = t.Root(L"wrap", new CXTPMarkupWrapPanel());
             const int heights[] = {10, 15, 10, 20, 10};
             const wchar_t* names[] = {L"a", L"b", L"c", L"d", L"e"};
             for (int i = 0; i < 5; ++i)
                 t.Add(wrap, names[i], FixedLeaf(30, heights[i]));
         },
         {{L"wrap", {0, 0, 100, 100}, {90, 35}},
          {L"a", {0, 0, 30, 15}, {30, 10}},
          {L"b", {30, 0, 60, 15}, {30, 15}},
          {L"c", {60, 0, 90, 15}, {30, 10}},
          {L"d", {0, 15, 30, 35}, {30, 20}},
          {L"e", {30, 15, 60, 35}, {30, 10}}}},
        // Read literally, a line adds its length to the longest only when a later child breaks it,
        // so a panel whose children all fit on one line asked for no width at all and was squeezed
        // to nothing by a horizontal stack. The last line counts like the others.
        {"fault: a wrap panel on one line asks for that line's length",
         {200, 50},
         [](CTree& t) {
             auto* stack = t.Root(L"stack", new CXTPMarkupStackPanel());
             stack->SetOrientation(xtpMarkupOrientationHorizontal);
             auto* wrap = t.Add(stack, L"wrap", new CXTPMarkupWrapPanel());
             t.Add(wrap, L"a", FixedLeaf(30, 10));
             t.Add(wrap, L"b", FixedLeaf(30, 20));
             t.Add(stack, L"after", FixedLeaf(10, 10));
         },
         {{L"stack", {0, 0, 200, 50}, {70, 20}},
          {L"wrap", {0, 0, 60, 50}, {60, 20}},
          {L"a", {0, 0, 30, 20}, {30, 10}},
          {L"b", {30, 0, 60, 20}, {30, 20}},
          {L"after", {60, 0, 70, 50}, {10, 10}}}},
        {"wrap: ItemHeight gives every line its thickness; a full-width child fills its own line",
         {100, 100},
         [](CTree& t) {
             auto* wrap = t.Root(L"wrap", new CXTPMarkupWrapPanel());
             wrap->SetItemHeight(12);
             t.Add(wrap, L"a", FixedLeaf(40, 5));
             t.Add(wrap, L"b", FixedLeaf(120, 5));
             t.Add(wrap, L"c", FixedLeaf(40, 5));
         },
         // b is measured with the available width (100), so its desired width is 100: it no longer
         // fits after a (40 + 100 > 100) and fills its own line; c starts the third.
         {{L"wrap", {0, 0, 100, 100}, {100, 36}},
          {L"a", {0, 0, 40, 12}, {40, 5}},
          {L"b", {0, 12, 100, 24}, {100, 5}},
          {L"c", {0, 24, 40, 36}, {40, 5}}}},
        {"vertical wrap with ItemWidth",
         {100, 50},
         [](CTree& t) {
             auto* wrap = t.Root(L"wrap", new CXTPMarkupWrapPanel());
             wrap->SetOrientation(xtpMarkupOrientationVertical);
             wrap->SetItemWidth(25);
             t.Add(wrap, L"a", FixedLeaf(10, 30));
             t.Add(wrap, L"b", FixedLeaf(10, 30));
         },
         {{L"wrap", {0, 0, 100, 50}, {50, 30}},
          {L"a", {0, 0, 25, 30}, {10, 30}},
          {L"b", {25, 0, 50, 30}, {10, 30}}}},
        {"dock right, LastChildFill: the only child fills the panel",
         {100, 80},
         [](CTree& t) {
             auto* dock = t.Root(L"dock", new CXTPMarkupDockPanel());
             auto* child = t.Add(dock, L"a", FixedLeaf(20, 10));
             CXTPMarkupDockPanel::SetDock(child, xtpMarkupDockRight);
         },
         {{L"dock", {0, 0, 100, 80}, {20, 10}}, {L"a", {0, 0, 100, 80}, {20, 10}}}},
        {"dock right without LastChildFill: at the right edge",
         {100, 80},
         [](CTree& t) {
             auto* dock = t.Root(L"dock", new CXTPMarkupDockPanel());
             dock->SetLastChildFill(FALSE);
             auto* child = t.Add(dock, L"a", FixedLeaf(20, 10));
             CXTPMarkupDockPanel::SetDock(child, xtpMarkupDockRight);
         },
         {{L"dock", {0, 0, 100, 80}, {20, 10}}, {L"a", {80, 0, 100, 80}, {20, 10}}}},
        {"dock on all four sides, the last child filling the rest",
         {100, 100},
         [](CTree& t) {
             auto* dock = t.Root(L"dock", new CXTPMarkupDockPanel());
             t.Add(dock, L"left", FixedLeaf(10, 5));
             CXTPMarkupDockPanel::SetDock(t.Add(dock, L"top", FixedLeaf(7, 10)), xtpMarkupDockTop);
             CXTPMarkupDockPanel::SetDock(t.Add(dock, L"right", FixedLeaf(15, 3)), xtpMarkupDockRight);
             CXTPMarkupDockPanel::SetDock(t.Add(dock, L"bottom", FixedLeaf(4, 20)), xtpMarkupDockBottom);
             t.Add(dock, L"fill", FixedLeaf(-1, -1));
         },
         {{L"dock", {0, 0, 100, 100}, {29, 30}},
          {L"left", {0, 0, 10, 100}, {10, 5}},
          {L"top", {10, 0, 100, 10}, {7, 10}},
          {L"right", {85, 10, 100, 100}, {15, 3}},
          {L"bottom", {10, 80, 85, 100}, {4, 20}},
          {L"fill", {10, 10, 85, 80}, {0, 0}}}},
        {"dock value above 3: measured, given the remaining box, no edge moves",
         {100, 50},
         [](CTree& t) {
             auto* dock = t.Root(L"dock", new CXTPMarkupDockPanel());
             dock->SetLastChildFill(FALSE);
             CXTPMarkupDockPanel::SetDock(t.Add(dock, L"odd", FixedLeaf(10, 10)), 5);
             t.Add(dock, L"left", FixedLeaf(20, 10));
         },
         {{L"dock", {0, 0, 100, 50}, {20, 10}},
          {L"odd", {0, 0, 100, 50}, {10, 10}},
          {L"left", {0, 0, 20, 50}, {20, 10}}}},
        {"uniform grid of 5 becomes 3 x 3",
         {90, 90},
         [](CTree& t) { AddLeaves(t, t.Root(L"grid", Grid(kNone, kNone, kNone)), 5, 10, 10); },
         {{L"grid", {0, 0, 90, 90}, {30, 30}},
          Cell(L"c0", 0, 0), Cell(L"c1", 1, 0), Cell(L"c2", 2, 0), Cell(L"c3", 0, 1), Cell(L"c4", 1, 1)}},
        {"uniform grid, Columns 2: 3 rows",
         {60, 90},
         [](CTree& t) { AddLeaves(t, t.Root(L"grid", Grid(2, kNone, kNone)), 5, 10, 10); },
         {{L"grid", {0, 0, 60, 90}, {20, 30}},
          Cell(L"c0", 0, 0), Cell(L"c1", 1, 0), Cell(L"c2", 0, 1), Cell(L"c3", 1, 1), Cell(L"c4", 0, 2)}},
        {"uniform grid, Columns 3 and FirstColumn 2: first child in the third cell",
         {90, 90},
         [](CTree& t) { AddLeaves(t, t.Root(L"grid", Grid(3, kNone, 2)), 5, 10, 10); },
         {{L"grid", {0, 0, 90, 90}, {30, 30}},
          Cell(L"c0", 2, 0), Cell(L"c1", 0, 1), Cell(L"c2", 1, 1), Cell(L"c3", 2, 1), Cell(L"c4", 0, 2)}},
        {"uniform grid: FirstColumn without Columns has no effect",
         {60, 60},
         [](CTree& t) { AddLeaves(t, t.Root(L"grid", Grid(kNone, kNone, 1)), 4, 10, 10); },
         {{L"grid", {0, 0, 60, 60}, {20, 20}},
          Cell(L"c0", 0, 0), Cell(L"c1", 1, 0), Cell(L"c2", 0, 1), Cell(L"c3", 1, 1)}},
        {"uniform grid: a collapsed child is not counted and keeps the cell",
         {60, 60},
         [](CTree& t) {
             auto* grid = t.Root(L"grid", Grid(kNone, kNone, kNone));
             AddLeaves(t, grid, 4, 10, 10);
             WithVisibility(t[L"c1"], CXTPMarkupUIElement::visibilityCollapsed);
         },
         {{L"grid", {0, 0, 60, 60}, {20, 20}},
          Cell(L"c0", 0, 0),
          {L"c1", {30, 0, 60, 30}, {0, 0}},
          Cell(L"c2", 1, 0), Cell(L"c3", 0, 1)}},
        {"uniform grid, Rows 2: columns computed",
         {90, 60},
         [](CTree& t) { AddLeaves(t, t.Root(L"grid", Grid(kNone, 2, kNone)), 5, 10, 10); },
         {{L"grid", {0, 0, 90, 60}, {30, 20}},
          Cell(L"c0", 0, 0), Cell(L"c1", 1, 0), Cell(L"c2", 2, 0), Cell(L"c3", 0, 1), Cell(L"c4", 1, 1)}},
        // Counts of 0 or less once reached the divisions as they were: Columns -3 with Rows unset
        // gave (5 - 3 - 1) / -3 = 0 rows, a division by zero in the measure pass.
        {"fault: negative Columns counts as unset",
         {90, 90},
         [](CTree& t) { AddLeaves(t, t.Root(L"grid", Grid(-3, kNone, kNone)), 5, 10, 10); },
         {{L"grid", {0, 0, 90, 90}, {30, 30}},
          Cell(L"c0", 0, 0), Cell(L"c1", 1, 0), Cell(L"c2", 2, 0), Cell(L"c3", 0, 1), Cell(L"c4", 1, 1)}},
        // Rows -1 with Columns -2 were both "given" and used as they were: cells of negative size.
        {"fault: negative Rows and Columns together count as unset",
         {90, 90},
         [](CTree& t) { AddLeaves(t, t.Root(L"grid", Grid(-2, -1, kNone)), 5, 10, 10); },
         {{L"grid", {0, 0, 90, 90}, {30, 30}},
          Cell(L"c0", 0, 0), Cell(L"c1", 1, 0), Cell(L"c2", 2, 0), Cell(L"c3", 0, 1), Cell(L"c4", 1, 1)}},
        // FirstColumn -1 once moved the first cell left of the grid and shrank the row count.
        {"fault: negative FirstColumn counts as 0",
         {90, 60},
         [](CTree& t) { AddLeaves(t, t.Root(L"grid", Grid(3, kNone, -1)), 5, 10, 10); },
         {{L"grid", {0, 0, 90, 60}, {30, 20}},
          Cell(L"c0", 0, 0), Cell(L"c1", 1, 0), Cell(L"c2", 2, 0), Cell(L"c3", 0, 1), Cell(L"c4", 1, 1)}},
        {"fault: Rows 0 and Columns 0 written out are computed",
         {90, 90},
         [](CTree& t) { AddLeaves(t, t.Root(L"grid", Grid(0, 0, 0)), 5, 10, 10); },
         {{L"grid", {0, 0, 90, 90}, {30, 30}},
          Cell(L"c0", 0, 0), Cell(L"c1", 1, 0), Cell(L"c2", 2, 0), Cell(L"c3", 0, 1), Cell(L"c4", 1, 1)}},
        {"canvas: Left wins over Right, Right and Bottom from the far edges",
         {100, 100},
         [](CTree& t) {
             auto* canvas = t.Root(L"canvas", new CXTPMarkupCanvas());
             auto* both = t.Add(canvas, L"both", FixedLeaf(20, 20));
             CXTPMarkupCanvas::SetLeft(both, 10);
             CXTPMarkupCanvas::SetRight(both, 10);
             auto* farEdges = t.Add(canvas, L"far", FixedLeaf(20, 20));
             CXTPMarkupCanvas::SetRight(farEdges, 10);
             CXTPMarkupCanvas::SetBottom(farEdges, 5);
             auto* topWins = t.Add(canvas, L"top", FixedLeaf(20, 20));
             CXTPMarkupCanvas::SetTop(topWins, 7);
             CXTPMarkupCanvas::SetBottom(topWins, 7);
         },
         {{L"canvas", {0, 0, 100, 100}, {0, 0}},
          {L"both", {10, 0, 30, 20}, {20, 20}},
          {L"far", {70, 75, 90, 95}, {20, 20}},
          {L"top", {0, 7, 20, 27}, {20, 20}}}},
        {"150 x 40 content in a 100 x 100 slot: arranged at 150, clipped to the slot",
         {100, 100},
         [](CTree& t) { t.Root(L"content", new CCountingElement(150, 40)); },
         {{L"content", {0, 0, 100, 100}, {100, 40}, {0, 0}, {150, 100}}}},
        {"Width 50 with MaxWidth 30 gives 30; MinWidth beats MaxWidth",
         {100, 100},
         [](CTree& t) {
             auto* stack = t.Root(L"stack", new CXTPMarkupStackPanel());
             auto* limited = t.Add(stack, L"limited", FixedLeaf(50, 10));
             limited->SetMaxWidth(30);
             auto* minWins = t.Add(stack, L"minWins", FixedLeaf(-1, 10));
             minWins->SetMinWidth(40);
             minWins->SetMaxWidth(30);
         },
         {{L"stack", {0, 0, 100, 100}, {40, 20}},
          {L"limited", {0, 0, 100, 10}, {30, 10}, {35, 0}, {30, 10}},
          {L"minWins", {0, 10, 100, 20}, {40, 10}, {30, 10}, {40, 10}}}},
        {"margins and alignments; Stretch wider than the slot aligns Left; Center truncates",
         {100, 100},
         [](CTree& t) {
             auto* stack = t.Root(L"stack", new CXTPMarkupStackPanel());
             auto* margin = t.Add(stack, L"margin", Aligned(FixedLeaf(20, 10), 0));
             margin->SetMargin(5, 2, 5, 3);
             t.Add(stack, L"right", Aligned(FixedLeaf(20, 10), 2));
             t.Add(stack, L"center", Aligned(FixedLeaf(21, 10), 1));
             t.Add(stack, L"stretch", FixedLeaf(20, 10));
             t.Add(stack, L"wide", new CCountingElement(150, 10));
             t.Add(stack, L"wideCenter", Aligned(new CCountingElement(151, 10), 1));
         },
         {{L"stack", {0, 0, 100, 100}, {100, 65}},
          {L"margin", {0, 0, 100, 15}, {30, 15}, {5, 2}, {20, 10}},
          {L"right", {0, 15, 100, 25}, {20, 10}, {80, 15}, {20, 10}},
          {L"center", {0, 25, 100, 35}, {21, 10}, {39, 25}, {21, 10}},
          {L"stretch", {0, 35, 100, 45}, {20, 10}, {40, 35}, {20, 10}},
          {L"wide", {0, 45, 100, 55}, {100, 10}, {0, 45}, {150, 10}},
          // (100 - 151) / 2 = -25 toward zero, not -26.
          {L"wideCenter", {0, 55, 100, 65}, {100, 10}, {-25, 55}, {151, 10}}}},
        {"visibility: Hidden takes its room, Collapsed none and is not arranged",
         {100, 100},
         [](CTree& t) {
             auto* stack = t.Root(L"stack", new CXTPMarkupStackPanel());
             t.Add(stack, L"a", FixedLeaf(-1, 10));
             t.Add(stack, L"hidden", WithVisibility(FixedLeaf(-1, 10), CXTPMarkupUIElement::visibilityHidden));
             t.Add(stack, L"collapsed",
                   WithVisibility(FixedLeaf(-1, 10), CXTPMarkupUIElement::visibilityCollapsed));
             t.Add(stack, L"d", FixedLeaf(-1, 10));
         },
         {{L"stack", {0, 0, 100, 100}, {0, 30}},
          {L"a", {0, 0, 100, 10}, {0, 10}},
          {L"hidden", {0, 10, 100, 20}, {0, 10}, {0, 10}, {100, 10}},
          {L"collapsed", {0, 20, 100, 20}, {0, 0}, {0, 0}, {0, 0}},
          {L"d", {0, 20, 100, 30}, {0, 10}}}},
        {"nested panels: a dock panel holding a stack and a grid",
         {120, 100},
         [](CTree& t) {
             auto* dock = t.Root(L"dock", new CXTPMarkupDockPanel());
             auto* stack = t.Add(dock, L"stack", new CXTPMarkupStackPanel());
             CXTPMarkupDockPanel::SetDock(stack, xtpMarkupDockTop);
             t.Add(stack, L"s0", FixedLeaf(30, 10));
             t.Add(stack, L"s1", FixedLeaf(50, 15));
             auto* grid = t.Add(dock, L"grid", Grid(2, kNone, kNone));
             t.Add(grid, L"g0", FixedLeaf(10, 10));
             t.Add(grid, L"g1", FixedLeaf(10, 10));
         },
         {{L"dock", {0, 0, 120, 100}, {50, 35}},
          {L"stack", {0, 0, 120, 25}, {50, 25}},
          {L"s0", {0, 0, 120, 10}, {30, 10}, {45, 0}, {30, 10}},
          {L"s1", {0, 10, 120, 25}, {50, 15}},
          {L"grid", {0, 25, 120, 100}, {20, 10}},
          {L"g0", {0, 0, 60, 75}, {10, 10}},
          {L"g1", {60, 0, 120, 75}, {10, 10}}}},
    };
}

std::string Describe(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + ", " + std::to_string(rc.top) + ", " + std::to_string(rc.right) + ", " +
           std::to_string(rc.bottom) + ")";
}

} // namespace

class MarkupLayoutTableTest : public MarkupLayoutTest {};

TEST_F(MarkupLayoutTableTest, EveryRowEndsWithTheRectanglesWorkedOutByHand)
{
    for (const LayoutRow& row : LayoutRows()) {
        SCOPED_TRACE(row.label);
        CTree tree;
        row.build(tree);
        tree.Layout(row.host.cx, row.host.cy);
        for (const Expect& expect : row.expected) {
            const std::string name(expect.name, expect.name + wcslen(expect.name));
            CXTPMarkupUIElement* element = tree[expect.name];
            ASSERT_NE(nullptr, element) << name;
            EXPECT_EQ(Describe(expect.finalRect), Describe(element->GetFinalRect())) << name << ": final rectangle";
            EXPECT_EQ(expect.desired.cx, element->GetDesiredSize().cx) << name << ": desired width";
            EXPECT_EQ(expect.desired.cy, element->GetDesiredSize().cy) << name << ": desired height";
            if (expect.offset.x != kNone) {
                EXPECT_EQ(expect.offset.x, element->GetVisualOffset().x) << name << ": offset x";
                EXPECT_EQ(expect.offset.y, element->GetVisualOffset().y) << name << ": offset y";
            }
            if (expect.render.cx != kNone) {
                EXPECT_EQ(expect.render.cx, element->GetRenderSize().cx) << name << ": render width";
                EXPECT_EQ(expect.render.cy, element->GetRenderSize().cy) << name << ": render height";
            }
        }
    }
}

TEST_F(MarkupLayoutTableTest, OverflowingContentIsClippedToItsSlot)
{
    CTree tree;
    auto* content = tree.Root(L"content", new CCountingElement(150, 40));
    tree.Layout(100, 100);
    EXPECT_TRUE(content->NeedsClipBounds());
    RECT clip = {};
    ASSERT_TRUE(content->GetLayoutClip(clip));
    EXPECT_EQ(Describe(RECT{0, 0, 100, 100}), Describe(clip));

    // A MaxWidth below the rendered width clips at the limit; a fitting element has no clip.
    CTree limited;
    auto* stack = limited.Root(L"stack", new CXTPMarkupStackPanel());
    auto* leaf = limited.Add(stack, L"leaf", new CCountingElement(50, 10));
    leaf->SetMaxWidth(30);
    auto* fits = limited.Add(stack, L"fits", FixedLeaf(20, 10));
    limited.Layout(100, 100);
    EXPECT_EQ(50, leaf->GetRenderSize().cx);
    EXPECT_EQ(35, leaf->GetVisualOffset().x);
    ASSERT_TRUE(leaf->GetLayoutClip(clip));
    EXPECT_EQ(Describe(RECT{0, 0, 30, 10}), Describe(clip));
    EXPECT_FALSE(fits->GetLayoutClip(clip));

    // Hidden and Collapsed answer the empty clip.
    WithVisibility(fits, CXTPMarkupUIElement::visibilityHidden);
    ASSERT_TRUE(fits->GetLayoutClip(clip));
    EXPECT_TRUE(IsRectEmpty(&clip));
}

TEST_F(MarkupLayoutTableTest, WidthAutoIsUnsetAndLengthsTakeUnits)
{
    CXTPMarkupBuilder builder;
    struct Row {
        const wchar_t* property;
        const wchar_t* text;
        int expected;
    } rows[] = {
        {L"Width", L"Auto", XTP_MARKUP_UNBOUNDED}, {L"Width", L"12", 12},     {L"Width", L"1in", 96},
        {L"Height", L"12pt", 16},                  {L"MaxWidth", L"1cm", 37}, {L"MinHeight", L"10mm", 37},
        {L"Width", L"abc", 0},
    };
    for (const Row& row : rows) {
        auto* element = new CXTPMarkupFrameworkElement();
        CXTPMarkupDependencyProperty* property =
            CXTPMarkupDependencyProperty::FindProperty(element->GetType(), row.property);
        ASSERT_NE(nullptr, property);
        element->SetPropertyObject(&builder, property, CreateMarkupString(row.text));
        const CXTPMarkupInt* value = MarkupDynamicCast<CXTPMarkupInt>(element->GetValue(property));
        ASSERT_NE(nullptr, value);
        EXPECT_EQ(row.expected, static_cast<int>(*value));
        element->Release();
    }

    // "Auto" measures like no Width at all: the content decides.
    CTree tree;
    auto* stack = tree.Root(L"stack", new CXTPMarkupStackPanel());
    stack->SetOrientation(xtpMarkupOrientationHorizontal);
    auto* content = tree.Add(stack, L"content", new CCountingElement(42, 10));
    content->SetPropertyObject(&builder, CXTPMarkupFrameworkElement::m_pWidthProperty, CreateMarkupString(L"Auto"));
    tree.Layout(100, 100);
    EXPECT_EQ(42, content->GetDesiredSize().cx);
}

// ---- Thickness

TEST_F(MarkupLayoutTableTest, ThicknessTextTakesOneNumberOrFourWithUnits)
{
    struct Row {
        const wchar_t* text;
        bool converts;
        int left, top, right, bottom;
    } rows[] = {
        {L"2", true, 2, 2, 2, 2},
        {L"1, 2, 3, 4", true, 1, 2, 3, 4},
        {L"1,2,3,4", true, 1, 2, 3, 4},
        {L"1, 2", false, 0, 0, 0, 0},
        {L"1, 2, 3", false, 0, 0, 0, 0},
        {L"1pt", true, 1, 1, 1, 1},
        {L"12PT", true, 16, 16, 16, 16},
        {L"1in, 2in, 3in, 4in", true, 96, 192, 288, 384},
        {L"2cm", true, 75, 75, 75, 75},
        {L"10mm", true, 37, 37, 37, 37},
        {L"1in, 2pt, 3in, 4in", false, 0, 0, 0, 0},
        {L"1mm, 2mm", false, 0, 0, 0, 0},
    };
    CXTPMarkupBuilder builder;
    auto* prototype = new CXTPMarkupThickness();
    for (const Row& row : rows) {
        const std::string label(row.text, row.text + wcslen(row.text));
        CXTPMarkupString* text = CreateMarkupString(row.text);
        CXTPMarkupObject* converted = prototype->ConvertFrom(&builder, text);
        text->Release();
        auto* thickness = MarkupDynamicCast<CXTPMarkupThickness>(converted);
        EXPECT_EQ(row.converts, thickness != nullptr) << label;
        if (thickness) {
            EXPECT_EQ(row.left, thickness->GetLeft()) << label;
            EXPECT_EQ(row.top, thickness->GetTop()) << label;
            EXPECT_EQ(row.right, thickness->GetRight()) << label;
            EXPECT_EQ(row.bottom, thickness->GetBottom()) << label;
        }
        MarkupRelease(converted);
    }
    auto* number = new CXTPMarkupInt(3);
    EXPECT_EQ(nullptr, prototype->ConvertFrom(&builder, number));
    number->Release();
    prototype->Release();
}

TEST_F(MarkupLayoutTableTest, DeflateRectAndTheSharedZeroThickness)
{
    auto* eight = new CXTPMarkupThickness(8);
    EXPECT_EQ(Describe(RECT{8, 8, 8, 8}), Describe(MarkupDeflateRect(RECT{0, 0, 10, 10}, eight)));
    EXPECT_EQ(Describe(RECT{8, 8, 92, 42}), Describe(MarkupDeflateRect(RECT{0, 0, 100, 50}, eight)));
    EXPECT_EQ(Describe(RECT{1, 2, 3, 4}), Describe(MarkupDeflateRect(RECT{1, 2, 3, 4}, nullptr)));
    eight->Release();

    CXTPMarkupThickness* first = CXTPMarkupThickness::GetDefault();
    CXTPMarkupThickness* second = CXTPMarkupThickness::GetDefault();
    EXPECT_EQ(first, second);
    auto* element = new CXTPMarkupFrameworkElement();
    EXPECT_EQ(first, element->GetMargin());
    element->Release();
    first->Release();
    second->Release();
}

// ---- Skipped passes and the upward re-measure

class MarkupLayoutPassTest : public MarkupLayoutTest {};

TEST_F(MarkupLayoutPassTest, PassesWithUnchangedInputsAreSkipped)
{
    auto* element = new CCountingElement(20, 10);
    CXTPMarkupDrawingContext dc;
    element->Measure(&dc, 100, 50);
    element->Measure(&dc, 100, 50);
    EXPECT_EQ(1, element->m_nMeasureCalls);
    element->Measure(&dc, 90, 50);
    EXPECT_EQ(2, element->m_nMeasureCalls);

    element->Arrange(RECT{0, 0, 90, 50});
    element->Arrange(RECT{0, 0, 90, 50});
    EXPECT_EQ(1, element->m_nArrangeCalls);
    element->Arrange(RECT{5, 0, 95, 50});
    EXPECT_EQ(2, element->m_nArrangeCalls);
    // A real measure pass leaves an arrange pending, even for the same rectangle.
    element->Measure(&dc, 80, 50);
    element->Arrange(RECT{5, 0, 95, 50});
    EXPECT_EQ(3, element->m_nArrangeCalls);
    element->Release();
}

TEST_F(MarkupLayoutPassTest, FirstArrangeOfANeverMeasuredElementMeasuresWithTheRectangle)
{
    auto* element = new CCountingElement(20, 10);
    element->Arrange(RECT{10, 10, 50, 40});
    EXPECT_EQ(1, element->m_nMeasureCalls);
    EXPECT_EQ(40, element->m_lastAvailable.cx);
    EXPECT_EQ(30, element->m_lastAvailable.cy);
    EXPECT_EQ(1, element->m_nArrangeCalls);
    element->Release();
}

TEST_F(MarkupLayoutPassTest, CollapsedElementsTakeNoPasses)
{
    auto* element = new CCountingElement(20, 10);
    CXTPMarkupDrawingContext dc;
    element->Measure(&dc, 100, 100);
    element->Arrange(RECT{0, 0, 100, 100});
    WithVisibility(element, CXTPMarkupUIElement::visibilityCollapsed);
    const int measured = element->m_nMeasureCalls;
    const int arranged = element->m_nArrangeCalls;
    element->Measure(&dc, 60, 60);
    element->Arrange(RECT{0, 0, 60, 60});
    EXPECT_EQ(measured, element->m_nMeasureCalls);
    EXPECT_EQ(arranged, element->m_nArrangeCalls);
    EXPECT_EQ(0, element->GetDesiredSize().cx);
    EXPECT_EQ(0, element->GetDesiredSize().cy);
    EXPECT_EQ(100, element->GetRenderSize().cx) << "the render size keeps its last value";
    EXPECT_EQ(60, element->GetFinalRect().right);
    element->Release();
}

namespace {

// root > fixed (100 x 100) > inner > leaf: a change in leaf's size climbs to fixed and stops there,
// because fixed's own size cannot change.
struct ClimbTree {
    CTree tree;
    CCountingStack* root;
    CCountingStack* fixed;
    CCountingStack* inner;
    CCountingElement* leaf;

    ClimbTree()
    {
        root = tree.Root(L"root", new CCountingStack());
        fixed = tree.Add(root, L"fixed", new CCountingStack());
        fixed->SetWidth(100);
        fixed->SetHeight(100);
        inner = tree.Add(fixed, L"inner", new CCountingStack());
        inner->SetHorizontalAlignment(CXTPMarkupFrameworkElement::alignLeft);
        leaf = tree.Add(inner, L"leaf", new CCountingElement(10, 10));
        leaf->SetHorizontalAlignment(CXTPMarkupFrameworkElement::alignLeft);
        tree.Layout(200, 200);
    }
    std::vector<int> Counts() const
    {
        return {root->m_nMeasureCalls, fixed->m_nMeasureCalls, inner->m_nMeasureCalls, leaf->m_nMeasureCalls,
                root->m_nArrangeCalls, fixed->m_nArrangeCalls, inner->m_nArrangeCalls, leaf->m_nArrangeCalls};
    }
};

} // namespace

TEST_F(MarkupLayoutPassTest, ASizeChangeClimbsOnlyWhileDesiredSizesChange)
{
    ClimbTree t;
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1}), t.Counts());

    t.leaf->SetContentSize(20, 30);
    // leaf, inner and fixed measure again (inner and the leaf twice: each changed size leaves its
    // element forced for the parent's pass); fixed keeps 100 x 100 and re-arranges in place; root
    // is left alone.
    EXPECT_EQ((std::vector<int>{1, 2, 3, 3, 1, 2, 2, 2}), t.Counts());
    EXPECT_EQ(20, t.inner->GetDesiredSize().cx);
    EXPECT_EQ(30, t.inner->GetDesiredSize().cy);
    EXPECT_EQ(20, t.inner->GetRenderSize().cx);
    EXPECT_EQ(30, t.leaf->GetRenderSize().cy);

    // The same size again: only the leaf measures, and it re-arranges itself.
    t.leaf->SetContentSize(20, 30);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 1, 2, 2, 3}), t.Counts());
}

TEST_F(MarkupLayoutPassTest, PropertyChangesInvalidateByTheirMetadata)
{
    ClimbTree t;
    // Affects arrange only: no measure anywhere, the leaf arranges again.
    t.leaf->SetHorizontalAlignment(CXTPMarkupFrameworkElement::alignRight);
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 1, 1, 1, 2}), t.Counts());
    // Affects measure: Width 40 climbs like a size change.
    t.leaf->SetWidth(40);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 3, 1, 2, 2, 3}), t.Counts());
    EXPECT_EQ(40, t.inner->GetDesiredSize().cx);
    // No layout flags ("Tag"): nothing runs.
    t.leaf->SetValue(CXTPMarkupFrameworkElement::m_pTagProperty, new CXTPMarkupInt(1));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 3, 1, 2, 2, 3}), t.Counts());
}

TEST_F(MarkupLayoutPassTest, ChangingTheChildrenMeasuresThePanelAgain)
{
    ClimbTree t;
    t.inner->GetChildren()->Add(FixedLeaf(5, 7));
    // Once for the change, once more in fixed's pass (inner's size changed).
    EXPECT_EQ(3, t.inner->m_nMeasureCalls);
    EXPECT_EQ(1, t.root->m_nMeasureCalls);
    EXPECT_EQ(17, t.inner->GetDesiredSize().cy);
    EXPECT_EQ(t.inner, t.leaf->GetVisualParent());
    EXPECT_EQ(t.inner->GetChildren(), t.leaf->GetLogicalParent());
    t.inner->GetChildren()->Remove(1);
    EXPECT_EQ(5, t.inner->m_nMeasureCalls);
    EXPECT_EQ(10, t.inner->GetDesiredSize().cy);
}

TEST_F(MarkupLayoutPassTest, DockChangesLayOutTheDockPanelCanvasOffsetsDoNot)
{
    CTree tree;
    auto* dock = tree.Root(L"dock", new CXTPMarkupDockPanel());
    dock->SetWidth(100);
    dock->SetHeight(100);
    dock->SetLastChildFill(FALSE);
    auto* child = tree.Add(dock, L"child", FixedLeaf(20, 10));
    tree.Layout(100, 100);
    EXPECT_EQ(Describe(RECT{0, 0, 20, 100}), Describe(child->GetFinalRect()));
    CXTPMarkupDockPanel::SetDock(child, xtpMarkupDockRight);
    EXPECT_EQ(Describe(RECT{80, 0, 100, 100}), Describe(child->GetFinalRect()));

    CTree canvasTree;
    auto* canvas = canvasTree.Root(L"canvas", new CXTPMarkupCanvas());
    auto* placed = canvasTree.Add(canvas, L"placed", FixedLeaf(20, 10));
    canvasTree.Layout(100, 100);
    CXTPMarkupCanvas::SetLeft(placed, 30);
    EXPECT_EQ(Describe(RECT{0, 0, 20, 10}), Describe(placed->GetFinalRect()));
    canvas->InvalidateArrange();
    EXPECT_EQ(Describe(RECT{30, 0, 50, 10}), Describe(placed->GetFinalRect()));
}

TEST_F(MarkupLayoutPassTest, AUniformGridDividesAnUnboundedWidthIntoBoundedCells)
{
    auto* grid = new CXTPMarkupUniformGrid();
    grid->SetColumns(3);
    auto* cell = new CCountingElement(5, 5);
    grid->GetChildren()->Add(cell);
    CXTPMarkupDrawingContext dc;
    grid->Measure(&dc, XTP_MARKUP_UNBOUNDED, 30);
    EXPECT_EQ(XTP_MARKUP_UNBOUNDED / 3, cell->m_lastAvailable.cx);
    EXPECT_FALSE(IsMarkupUnbounded(cell->m_lastAvailable.cx));
    EXPECT_EQ(30, cell->m_lastAvailable.cy);
    grid->Release();
}

TEST_F(MarkupLayoutPassTest, WordPropertiesConvertWithoutRegardToCase)
{
    struct Row {
        CXTPMarkupDependencyProperty* property;
        const wchar_t* text;
        int expected; // -1: the conversion fails
    } rows[] = {
        {CXTPMarkupUIElement::m_pVisibilityProperty, L"hidden", 1},
        {CXTPMarkupUIElement::m_pVisibilityProperty, L"Collapsed", 2},
        {CXTPMarkupUIElement::m_pVisibilityProperty, L"Gone", -1},
        {CXTPMarkupFrameworkElement::m_pHorizontalAlignmentProperty, L"Center", 1},
        {CXTPMarkupFrameworkElement::m_pVerticalAlignmentProperty, L"bottom", 2},
        {CXTPMarkupFrameworkElement::m_pVerticalAlignmentProperty, L"Right", -1},
        {CXTPMarkupStackPanel::m_pOrientationProperty, L"horizontal", 0},
        {CXTPMarkupWrapPanel::m_pOrientationProperty, L"Vertical", 1},
        {CXTPMarkupDockPanel::m_pDockProperty, L"BOTTOM", 3},
        {CXTPMarkupDockPanel::m_pDockProperty, L"Middle", -1},
    };
    CXTPMarkupBuilder builder;
    for (const Row& row : rows) {
        const std::string label(row.text, row.text + wcslen(row.text));
        CXTPMarkupObject* target = row.property == CXTPMarkupStackPanel::m_pOrientationProperty
                                       ? static_cast<CXTPMarkupObject*>(new CXTPMarkupStackPanel())
                                       : static_cast<CXTPMarkupObject*>(new CXTPMarkupWrapPanel());
        CXTPMarkupString* text = CreateMarkupString(row.text);
        if (row.expected < 0) {
            EXPECT_THROW(target->SetPropertyObject(&builder, row.property, text), CXTPMarkupBuilderException)
                << label;
            text->Release(); // a failed conversion leaves the value with the caller, as in a build
        } else {
            target->SetPropertyObject(&builder, row.property, text);
            const CXTPMarkupEnum* value = MarkupDynamicCast<CXTPMarkupEnum>(target->GetLocalValue(row.property));
            ASSERT_NE(nullptr, value) << label;
            EXPECT_EQ(row.expected, static_cast<int>(*value)) << label;
        }
        target->Release();
    }
}

TEST_F(MarkupLayoutPassTest, PanelsTakeOnlyUIElementsAsContent)
{
    CXTPMarkupBuilder builder;
    auto* panel = new CXTPMarkupStackPanel();
    EXPECT_FALSE(panel->HasContentObject());
    panel->SetContentObject(&builder, FixedLeaf(1, 1));
    EXPECT_TRUE(panel->HasContentObject());
    EXPECT_EQ(1, panel->GetVisualChildrenCount());
    EXPECT_EQ(nullptr, panel->GetVisualChild(1));
    EXPECT_EQ(nullptr, panel->GetVisualChild(-1));

    auto* number = new CXTPMarkupInt(3);
    EXPECT_THROW(panel->SetContentObject(&builder, number), CXTPMarkupBuilderException);
    number->Release();
    EXPECT_EQ(1, panel->GetChildren()->GetCount());
    panel->Release();

    EXPECT_NE(nullptr, FindMarkupType(L"StackPanel"));
    EXPECT_NE(nullptr, FindMarkupType(L"WrapPanel"));
    EXPECT_NE(nullptr, FindMarkupType(L"DockPanel"));
    EXPECT_NE(nullptr, FindMarkupType(L"UniformGrid"));
    EXPECT_NE(nullptr, FindMarkupType(L"Canvas"));
    EXPECT_NE(nullptr, FindMarkupType(L"Panel"));
    EXPECT_NE(nullptr, FindMarkupType(L"FrameworkElement"));
}
