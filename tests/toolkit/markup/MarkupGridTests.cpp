// The grid: the length text, a table of grids whose every child rectangle is asserted (fixed, auto
// and star columns, limits, spans, cells out of range and the faults a careless grid has with
// negative cells and negative stars), what a change of a definition or a cell does to a laid-out
// grid, and the two build errors of the definition collections.

#include "MarkupDocumentSupport.h"
#include "MarkupLayoutSupport.h"

#include "toolkit/markup/XTPMarkupGrid.h"

#include "toolkit/markup/XTPMarkupParser.h"

#include <functional>
#include <string>
#include <vector>

using namespace markuptests;

namespace {

CXTPMarkupGridLength* Length(const wchar_t* text)
{
    CXTPMarkupString* string = CreateMarkupString(text);
    CXTPMarkupGridLength prototype;
    CXTPMarkupObject* made = prototype.ConvertFrom(nullptr, string);
    string->Release();
    return static_cast<CXTPMarkupGridLength*>(made);
}

// A definition of each length text; "text|min|max" adds limits (empty parts stay unset).
void AddDefinitions(CXTPMarkupGrid* grid, bool columns, const std::vector<std::wstring>& specs)
{
    for (const std::wstring& spec : specs) {
        std::vector<std::wstring> parts;
        size_t start = 0;
        for (size_t bar; (bar = spec.find(L'|', start)) != std::wstring::npos; start = bar + 1)
            parts.push_back(spec.substr(start, bar - start));
        parts.push_back(spec.substr(start));
        if (columns) {
            auto* column = new CXTPMarkupColumnDefinition();
            if (!parts[0].empty())
                column->SetWidth(Length(parts[0].c_str()));
            if (parts.size() > 1 && !parts[1].empty())
                column->SetMinWidth(std::stoi(parts[1]));
            if (parts.size() > 2 && !parts[2].empty())
                column->SetMaxWidth(std::stoi(parts[2]));
            grid->GetColumnDefinitions()->Add(column);
        } else {
            auto* row = new CXTPMarkupRowDefinition();
            if (!parts[0].empty())
                row->SetHeight(Length(parts[0].c_str()));
            if (parts.size() > 1 && !parts[1].empty())
                row->SetMinHeight(std::stoi(parts[1]));
            if (parts.size() > 2 && !parts[2].empty())
                row->SetMaxHeight(std::stoi(parts[2]));
            grid->GetRowDefinitions()->Add(row);
        }
    }
}

// One child: its content size and cell. Spans of 1 are left unset unless given.
struct Child {
    const wchar_t* name;
    int width, height;
    int column = 0, row = 0;
    int columnSpan = -1, rowSpan = -1; // -1: unset
};

struct GridCase {
    const char* what;
    std::vector<std::wstring> columns;
    std::vector<std::wstring> rows;
    std::vector<Child> children;
    SIZE host;
    SIZE desired;                                      // the grid's desired size at the host size
    std::vector<std::pair<const wchar_t*, RECT>> rects; // every child's rectangle
};

std::string Describe(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + ", " + std::to_string(rc.top) + ", " + std::to_string(rc.right) + ", " +
           std::to_string(rc.bottom) + ")";
}

} // namespace

class MarkupGridTest : public MarkupLayoutTest {};

TEST_F(MarkupGridTest, LengthTextGivesPixelsAutoOrStarsAndNothingElse)
{
    struct Case {
        const wchar_t* text;
        bool valid;
        double value;
        int unit;
    };
    const Case cases[] = {
        {L"2*", true, 2, CXTPMarkupGridLength::unitStar},  {L"*", true, 1, CXTPMarkupGridLength::unitStar},
        {L"0.5*", true, 0.5, CXTPMarkupGridLength::unitStar}, {L"auto", true, 1, CXTPMarkupGridLength::unitAuto},
        {L"AUTO", true, 1, CXTPMarkupGridLength::unitAuto}, {L"Auto", true, 1, CXTPMarkupGridLength::unitAuto},
        {L"40", true, 40, CXTPMarkupGridLength::unitPixel}, {L"12.5", true, 12.5, CXTPMarkupGridLength::unitPixel},
        {L"", false, 0, 0},       {L"Autos", false, 0, 0}, {L"abc", false, 0, 0},
        {L"2**", false, 0, 0},    {L"x*", false, 0, 0},    {L"40px", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text));
        CXTPMarkupGridLength* length = Length(c.text);
        if (!c.valid) {
            EXPECT_EQ(nullptr, length);
            MarkupRelease(length);
            continue;
        }
        ASSERT_NE(nullptr, length);
        EXPECT_DOUBLE_EQ(c.value, length->GetValue());
        EXPECT_EQ(c.unit, length->GetUnit());
        length->Release();
    }
}

TEST_F(MarkupGridTest, TableOfGridsPlacesEveryChild)
{
    const LONG H = 40;
    const std::vector<GridCase> cases = {
        {"no definitions: every child overlays the whole grid, which measures to the largest child",
         {}, {}, {{L"a", 30, 10}, {L"b", 60, 5, 3, 2}}, {200, H}, {60, 10},
         {{L"a", {0, 0, 200, H}}, {L"b", {0, 0, 200, H}}}},
        {"100 / Auto / * in 300: widths 100, 50, 150; the star column adds nothing to the desired width",
         {L"100", L"Auto", L"*"}, {}, {{L"fixed", 0, 0, 0}, {L"auto", 50, 10, 1}, {L"star", 0, 0, 2}}, {300, H},
         {150, 10},
         {{L"fixed", {0, 0, 100, H}}, {L"auto", {100, 0, 150, H}}, {L"star", {150, 0, 300, H}}}},
        {"1* and 2* share 300 as 100 and 200",
         {L"1*", L"2*"}, {}, {{L"one", 0, 0, 0}, {L"two", 0, 0, 1}}, {300, H}, {0, 0},
         {{L"one", {0, 0, 100, H}}, {L"two", {100, 0, 300, H}}}},
        {"MaxWidth 50 on the one-star column: the two-star column takes 200 first, 50 stay empty",
         {L"1*||50", L"2*"}, {}, {{L"one", 0, 0, 0}, {L"two", 0, 0, 1}}, {300, H}, {0, 0},
         {{L"one", {0, 0, 50, H}}, {L"two", {50, 0, 250, H}}}},
        {"MinWidth on a star column is kept even when the share is smaller",
         {L"*|120", L"*"}, {}, {{L"one", 0, 0, 0}, {L"two", 0, 0, 1}}, {200, H}, {120, 0},
         {{L"one", {0, 0, 120, H}}, {L"two", {120, 0, 200, H}}}},
        {"rows Auto / * / 30 in 200 high: the star row takes what the others leave",
         {}, {L"Auto", L"*", L"30"}, {{L"top", 10, 25, 0, 0}, {L"mid", 10, 5, 0, 1}, {L"bottom", 10, 5, 0, 2}},
         {100, 200}, {10, 60},
         {{L"top", {0, 0, 100, 25}}, {L"mid", {0, 25, 100, 170}}, {L"bottom", {0, 170, 100, 200}}}},
        {"Column 5 of two lands in the last column; ColumnSpan 0 counts as 1; a span past the end is cut",
         {L"100", L"100"}, {},
         {{L"far", 0, 0, 5}, {L"zeroSpan", 0, 0, 0, 0, 0}, {L"longSpan", 0, 0, 1, 0, 3}}, {200, H}, {200, 0},
         {{L"far", {100, 0, 200, H}}, {L"zeroSpan", {0, 0, 100, H}}, {L"longSpan", {100, 0, 200, H}}}},
        {"a child spanning two auto columns wider than both spreads the excess evenly",
         {L"Auto", L"Auto", L"*"}, {}, {{L"narrow", 30, 10, 0}, {L"wide", 100, 10, 0, 0, 2}, {L"rest", 0, 0, 2}},
         {300, H}, {100, 10},
         {{L"narrow", {0, 0, 50, H}}, {L"wide", {0, 0, 100, H}}, {L"rest", {100, 0, 300, H}}}},
        {"a span over a limited pixel column and an auto column grows the pixel column up to its maximum first",
         {L"40||100", L"Auto"}, {}, {{L"wide", 100, 10, 0, 0, 2}}, {300, H}, {100, 10},
         {{L"wide", {0, 0, 100, H}}}},
        {"a grid narrower than its fixed columns shrinks nothing below the minimums (desired clipped to 150)",
         {L"100", L"*", L"100"}, {}, {{L"left", 0, 0, 0}, {L"mid", 0, 0, 1}, {L"right", 0, 0, 2}}, {150, H},
         {150, 0},
         {{L"left", {0, 0, 100, H}}, {L"mid", {100, 0, 100, H}}, {L"right", {100, 0, 200, H}}}},
        {"a negative Column or Row counts as the first cell",
         {L"100", L"100"}, {L"20", L"20"}, {{L"negative", 0, 0, -3, -1}, {L"second", 0, 0, 1, 1}}, {200, H},
         {200, 40},
         {{L"negative", {0, 0, 100, 20}}, {L"second", {100, 20, 200, 40}}}},
        {"a negative star counts as no stars: the other star column takes the whole width",
         {L"-1*", L"*"}, {}, {{L"negative", 0, 0, 0}, {L"star", 0, 0, 1}}, {300, H}, {0, 0},
         {{L"negative", {0, 0, 0, H}}, {L"star", {0, 0, 300, H}}}},
        {"only negative stars: every column is empty, nothing divides by a zero total",
         {L"-2*", L"-1*"}, {L"-1*"}, {{L"a", 0, 0, 0}, {L"b", 0, 0, 1}}, {300, H}, {0, 0},
         {{L"a", {0, 0, 0, 0}}, {L"b", {0, 0, 0, 0}}}},
    };

    for (const GridCase& c : cases) {
        SCOPED_TRACE(c.what);
        CTree tree;
        auto* grid = tree.Root(L"grid", new CXTPMarkupGrid());
        AddDefinitions(grid, true, c.columns);
        AddDefinitions(grid, false, c.rows);
        for (const Child& child : c.children) {
            auto* element = tree.Add(grid, child.name, new CCountingElement(child.width, child.height));
            if (child.column)
                CXTPMarkupGrid::SetColumn(element, child.column);
            if (child.row)
                CXTPMarkupGrid::SetRow(element, child.row);
            if (child.columnSpan >= 0)
                CXTPMarkupGrid::SetColumnSpan(element, child.columnSpan);
            if (child.rowSpan >= 0)
                CXTPMarkupGrid::SetRowSpan(element, child.rowSpan);
        }
        tree.Layout(c.host.cx, c.host.cy);
        EXPECT_EQ(c.desired.cx, grid->GetDesiredSize().cx);
        EXPECT_EQ(c.desired.cy, grid->GetDesiredSize().cy);
        for (const auto& [name, expected] : c.rects) {
            SCOPED_TRACE(Narrow(name));
            EXPECT_EQ(Describe(expected), Describe(RootRect(tree[name])));
        }
    }
}

TEST_F(MarkupGridTest, StarsMeasureAsAutoWhenTheWidthIsAbove32000)
{
    for (const int available : {300, 32000, 32001, XTP_MARKUP_UNBOUNDED}) {
        SCOPED_TRACE(available);
        CTree tree;
        auto* grid = tree.Root(L"grid", new CXTPMarkupGrid());
        AddDefinitions(grid, true, {L"*", L"*"});
        auto* left = tree.Add(grid, L"left", new CCountingElement(30, 10));
        auto* right = tree.Add(grid, L"right", new CCountingElement(70, 10));
        CXTPMarkupGrid::SetColumn(right, 1);
        CXTPMarkupDrawingContext dc;
        grid->Measure(&dc, available, 50);
        if (available > 32000) {
            // As auto columns the children are offered unbounded widths.
            EXPECT_TRUE(IsMarkupUnbounded(left->m_lastAvailable.cx));
            EXPECT_TRUE(IsMarkupUnbounded(right->m_lastAvailable.cx));
        } else {
            EXPECT_EQ(available / 2, left->m_lastAvailable.cx);
            EXPECT_EQ(available / 2, right->m_lastAvailable.cx);
        }
        EXPECT_EQ(100, grid->GetDesiredSize().cx);
    }
}

TEST_F(MarkupGridTest, ChangedDefinitionsAndCellsLayTheGridOutAgain)
{
    CTree tree;
    auto* grid = tree.Root(L"grid", new CXTPMarkupGrid());
    AddDefinitions(grid, true, {L"100", L"*"});
    auto* child = tree.Add(grid, L"child", new CCountingElement(10, 10));
    tree.Layout(300, 40);
    EXPECT_EQ("(0, 0, 100, 40)", Describe(RootRect(child)));

    // The root has no host to lay it out again: each step does, and the grid must not answer from
    // its previous pass.
    static_cast<CXTPMarkupColumnDefinition*>(grid->GetColumnDefinitions()->GetItem(0))->SetWidth(Length(L"60"));
    tree.Layout(300, 40);
    EXPECT_EQ("(0, 0, 60, 40)", Describe(RootRect(child)));

    CXTPMarkupGrid::SetColumn(child, 1);
    tree.Layout(300, 40);
    EXPECT_EQ("(60, 0, 300, 40)", Describe(RootRect(child)));

    static_cast<CXTPMarkupColumnDefinition*>(grid->GetColumnDefinitions()->GetItem(1))->SetMaxWidth(90);
    tree.Layout(300, 40);
    EXPECT_EQ("(60, 0, 150, 40)", Describe(RootRect(child)));

    auto* third = tree.Add(grid, L"third", new CCountingElement(10, 10));
    CXTPMarkupGrid::SetColumn(third, 2);
    tree.Layout(300, 40);
    EXPECT_EQ("(60, 0, 150, 40)", Describe(RootRect(third))) << "column 2 of two is the last";
    grid->GetColumnDefinitions()->Add(new CXTPMarkupColumnDefinition());
    tree.Layout(300, 40);
    EXPECT_EQ("(60, 0, 150, 40)", Describe(RootRect(child))) << "1* capped at 90";
    EXPECT_EQ("(150, 0, 270, 40)", Describe(RootRect(third))) << "the new star column takes half of 240";
}

namespace {

class MarkupGridDocumentTest : public MarkupContextLayoutTest {
protected:
    std::string Error(const wchar_t* text)
    {
        CXTPMarkupParser parser;
        parser.SetBuffer(text, text + wcslen(text));
        CXTPMarkupBuilder builder(m_pContext);
        CXTPMarkupUIElement* root = builder.Parse(&parser);
        if (root) {
            root->Release();
            return "built";
        }
        return Narrow(builder.GetLastError());
    }

};

} // namespace

TEST_F(MarkupGridDocumentTest, DefinitionsFromMarkupAndTheirErrors)
{
    CXTPMarkupUIElement* root = m_pContext->Parse(
        L"<Grid><Grid.ColumnDefinitions><ColumnDefinition Width='Auto'/><ColumnDefinition Width='2*' "
        L"MaxWidth='80'/></Grid.ColumnDefinitions><Grid.RowDefinitions><RowDefinition Height='25'/>"
        L"<RowDefinition/></Grid.RowDefinitions>"
        L"<Border Width='40' Height='10'/><Border Grid.Column='1' Grid.Row='1' Grid.RowSpan='5' Name='x'/></Grid>");
    ASSERT_NE(nullptr, root);
    auto* grid = MarkupDynamicCast<CXTPMarkupGrid>(root);
    ASSERT_NE(nullptr, grid);
    EXPECT_EQ(2, grid->GetColumnDefinitions()->GetCount());
    EXPECT_EQ(2, grid->GetRowDefinitions()->GetCount());
    EXPECT_EQ(grid, grid->GetColumnDefinitions()->GetLogicalParent());
    CXTPMarkupDrawingContext dc;
    root->Measure(&dc, 300, 100);
    root->Arrange(RECT{0, 0, 300, 100});
    auto* second = MarkupDynamicCast<CXTPMarkupUIElement>(grid->GetChildren()->GetItem(1));
    EXPECT_EQ("(40, 25, 120, 100)", Describe(RootRect(second)));
    root->Release();

    EXPECT_EQ("CXTPMarkupColumnDefinitionCollection class expected. Line 1, position 28",
              Error(L"<Grid ColumnDefinitions='1'/>"));
    EXPECT_EQ("CXTPMarkupRowDefinitionCollection class expected. Line 1, position 25",
              Error(L"<Grid RowDefinitions='1'/>"));
}
