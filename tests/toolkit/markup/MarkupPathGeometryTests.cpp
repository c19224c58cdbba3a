// Path data as text and the path builder: each row is a text and the points, types and bounds
// it gives, or the position of the token it fails at.

#include "tests/toolkit/markup/MarkupTestSupport.h"
#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupPathGeometry.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using namespace markuptests;
using testsupport::Utf8;

namespace {

class MarkupPathGeometry : public MarkupTest {};

// "type:x,y" per point ("z" after a closing point), then the bounds.
std::string Dump(const CXTPMarkupPathGeometry* geometry)
{
    std::ostringstream out;
    for (int i = 0; i < geometry->GetPointCount(); ++i) {
        const BYTE type = geometry->GetTypes()[i];
        out << (type & CXTPMarkupPathGeometry::typeMask) << ':' << geometry->GetPoints()[i].x << ','
            << geometry->GetPoints()[i].y << ((type & CXTPMarkupPathGeometry::typeCloseFigure) ? "z" : "") << ' ';
    }
    const RECT& bounds = geometry->GetBounds();
    out << '[' << bounds.left << ',' << bounds.top << ',' << bounds.right << ',' << bounds.bottom << ']';
    return out.str();
}

std::string ParseToDump(const wchar_t* text)
{
    CXTPMarkupPathGeometryBuilder builder;
    CXTPMarkupPathGeometry* geometry = builder.Parse(nullptr, text, -1);
    if (!geometry)
        return "error at " + std::to_string(builder.GetErrorPosition());
    std::string dump = Dump(geometry);
    geometry->Release();
    return dump;
}

TEST_F(MarkupPathGeometry, PathDataTable)
{
    struct Row {
        const wchar_t* text;
        const char* expected;
    } rows[] = {
        {L"M 10,10 L 20,20 Z", "0:10,10 1:20,20z [10,10,20,20]"},
        {L"M 0 0 h 10 v 10 h -10 z", "0:0,0 1:10,0 1:10,10 1:0,10z [0,0,10,10]"},
        {L"M 0 0 C 1,1 2,2 3,3 S 4,4 5,5", "0:0,0 3:1,1 3:2,2 3:3,3 3:4,4 3:4,4 3:5,5 [0,0,5,5]"},
        {L"M 0 0 c 1 1 2 2 3 3 s 1 1 2 2", "0:0,0 3:1,1 3:2,2 3:3,3 3:4,4 3:4,4 3:5,5 [0,0,5,5]"},
        {L"M 0 0 C 1 1 2 2 3 3 4 4 5 5 6 6", "0:0,0 3:1,1 3:2,2 3:3,3 3:4,4 3:5,5 3:6,6 [0,0,6,6]"},
        {L"M 0 0 S 1 1 2 2", "0:0,0 3:0,0 3:1,1 3:2,2 [0,0,2,2]"},
        {L"M 0 0 L 1 1 S 1 1 2 2", "0:0,0 1:1,1 3:1,1 3:1,1 3:2,2 [0,0,2,2]"},
        {L"M 0 0 S 1 1 2 2 3 3 4 4", "0:0,0 3:0,0 3:1,1 3:2,2 3:3,3 3:3,3 3:4,4 [0,0,4,4]"},
        {L"F1 M 1 2 3 4 5 6", "0:1,2 1:3,4 1:5,6 [1,2,5,6]"},
        {L"F 0M1 2", "0:1,2 [1,2,1,2]"},
        {L"m 1 1 2 2 l 1 0", "0:1,1 1:3,3 1:4,3 [1,1,4,3]"},
        {L"M 5 5 Z L 6 6", "0:5,5z 0:5,5 1:6,6 [5,5,6,6]"},
        {L"M 0 0 Z Z", "0:0,0z 0:0,0z [0,0,0,0]"},
        {L"M 1 1 L 2 2 Z l 1 0", "0:1,1 1:2,2z 0:1,1 1:2,1 [1,1,2,2]"},
        {L"M 0,0 L 1,1,2,2", "0:0,0 1:1,1 1:2,2 [0,0,2,2]"},
        {L"M 0 0 L 1 1 ,2 2", "0:0,0 1:1,1 1:2,2 [0,0,2,2]"},
        {L"M\t.5\r\n5. L +1 -1", "0:0.5,5 1:1,-1 [0,-1,1,5]"},
        {L"M 0.5 0.5 L 2.5 1.25", "0:0.5,0.5 1:2.5,1.25 [0,0,3,2]"},
        {L"", "[0,0,0,0]"},
        {L"   ", "[0,0,0,0]"},
        // Errors at the index of the token (just past a bad command letter)
        {L"M 0 0 Q 5 5 10 0", "error at 7"},
        {L"M 0 0 T 1 1", "error at 7"},
        {L"M 0 0 A 1 1 0 0 0 2 2", "error at 7"},
        {L"L 1 1", "error at 1"},
        {L"F2 M 0 0", "error at 1"},
        {L"F", "error at 1"},
        {L"M 0 0 L 1,,1", "error at 10"},
        {L"M 0 0 L,1 1", "error at 7"},
        {L"M 0 0 L 1 1,", "error at 12"},
        {L"M 0 0 L - 1", "error at 9"},
        {L"M 0 0 L . 1", "error at 9"},
        {L"M 1e3 0", "error at 3"},
        {L"M 1", "error at 3"},
        {L"M 0 0 l 1", "error at 9"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, ParseToDump(row.text)) << Utf8(row.text);
}

TEST_F(MarkupPathGeometry, BadTextIsABuildErrorInsideABuildAndNoGeometryOutside)
{
    CXTPMarkupBuilder builder;
    CXTPMarkupPathGeometry* receiver = new CXTPMarkupPathGeometry();
    CXTPMarkupString* bad = CreateMarkupString(L"M 0 0 Q 5 5 10 0");
    try {
        receiver->ConvertFrom(&builder, bad);
        ADD_FAILURE() << "no build error";
    } catch (const CXTPMarkupBuilderException& e) {
        EXPECT_STREQ(L"Unexpected token encountered at position '7'", e.GetMessage());
    }
    EXPECT_EQ(nullptr, receiver->ConvertFrom(nullptr, bad));

    CXTPMarkupString* good = CreateMarkupString(L"M 0 0 L 3 4");
    CXTPMarkupObject* made = receiver->ConvertFrom(&builder, good);
    CXTPMarkupPathGeometry* geometry = MarkupDynamicCast<CXTPMarkupPathGeometry>(made);
    ASSERT_NE(nullptr, geometry);
    EXPECT_EQ(2, geometry->GetPointCount());
    EXPECT_EQ(0, geometry->GetPixelOffsetHint());
    made->Release();
    EXPECT_EQ(nullptr, receiver->ConvertFrom(&builder, nullptr));
    good->Release();
    bad->Release();
    receiver->Release();
}

TEST_F(MarkupPathGeometry, BuilderMakesCornersAndClosesFigures)
{
    CXTPMarkupPathGeometryBuilder builder;
    builder.CloseFigure(); // nothing to close yet
    builder.BeginFigure(0, 2);
    builder.CornerTo(0, 0, 2, 0);
    builder.LineTo(8.5f, 0);
    builder.CloseFigure();
    CXTPMarkupPathGeometry* geometry = builder.CreateGeometry(4);
    EXPECT_EQ("0:0,2 3:0,0 3:2,0 3:2,0 1:8.5,0z [0,0,9,2]", Dump(geometry));
    EXPECT_EQ(4, geometry->GetPixelOffsetHint());
    geometry->Release();
}

} // namespace
