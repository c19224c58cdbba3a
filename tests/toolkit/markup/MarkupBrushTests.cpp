// Brushes as values: their GDI colour, equality, the text they are made from, and gradient stops
// written as content.

#include "tests/toolkit/markup/MarkupTestSupport.h"
#include "toolkit/markup/XTPMarkupBrush.h"
#include "toolkit/markup/XTPMarkupBuilder.h"

#include <gtest/gtest.h>

using namespace markuptests;
using testsupport::Utf8;

namespace {

class MarkupBrush : public MarkupTest {};

CXTPMarkupObject* Convert(CXTPMarkupType* type, const wchar_t* text)
{
    CXTPMarkupObject* receiver = type->CreateObject();
    CXTPMarkupString* value = CreateMarkupString(text);
    CXTPMarkupObject* made = receiver->ConvertFrom(nullptr, value);
    value->Release();
    receiver->Release();
    return made;
}

TEST_F(MarkupBrush, ColourTextMakesASolidBrushForEveryBrushType)
{
    for (CXTPMarkupType* type : {CXTPMarkupBrush::MarkupType(), CXTPMarkupSolidColorBrush::MarkupType(),
                                 CXTPMarkupLinearGradientBrush::MarkupType()}) {
        CXTPMarkupObject* made = Convert(type, L"#80FF0000");
        CXTPMarkupSolidColorBrush* brush = MarkupDynamicCast<CXTPMarkupSolidColorBrush>(made);
        ASSERT_NE(nullptr, brush) << Utf8(type->GetTypeName());
        EXPECT_EQ(0x0000FFu, brush->GetColor()) << "red in GDI layout, no alpha";
        ASSERT_NE(nullptr, brush->GetColorObject());
        EXPECT_EQ(0x80, brush->GetColorObject()->GetAlpha());
        made->Release();

        made = Convert(type, L"navy");
        brush = MarkupDynamicCast<CXTPMarkupSolidColorBrush>(made);
        ASSERT_NE(nullptr, brush);
        EXPECT_EQ(0xFF800000u, brush->GetColorObject()->GetValue());
        made->Release();

        EXPECT_EQ(nullptr, Convert(type, L"notacolour"));
        EXPECT_EQ(nullptr, Convert(type, L"#12345"));
    }
}

TEST_F(MarkupBrush, SolidBrushesCompareWithoutAlpha)
{
    CXTPMarkupSolidColorBrush* opaque = new CXTPMarkupSolidColorBrush(RGB(1, 2, 3));
    CXTPMarkupSolidColorBrush* halfway = new CXTPMarkupSolidColorBrush(0x80, RGB(1, 2, 3));
    CXTPMarkupSolidColorBrush* other = new CXTPMarkupSolidColorBrush(RGB(1, 2, 4));
    CXTPMarkupSolidColorBrush* empty = new CXTPMarkupSolidColorBrush();
    EXPECT_EQ(0xFF030201u, opaque->GetColorObject()->GetValue());
    EXPECT_EQ(0x80030201u, halfway->GetColorObject()->GetValue());
    EXPECT_TRUE(opaque->IsEqual(halfway));
    EXPECT_FALSE(opaque->IsEqual(other));
    EXPECT_FALSE(opaque->IsEqual(nullptr));
    EXPECT_EQ(nullptr, empty->GetColorObject());
    EXPECT_EQ(0u, empty->GetColor());
    EXPECT_TRUE(empty->IsEqual(empty));
    for (CXTPMarkupObject* brush : {static_cast<CXTPMarkupObject*>(opaque), static_cast<CXTPMarkupObject*>(halfway),
                                    static_cast<CXTPMarkupObject*>(other), static_cast<CXTPMarkupObject*>(empty)})
        brush->Release();
}

TEST_F(MarkupBrush, GradientAnswersItsFirstWrittenStop)
{
    CXTPMarkupBuilder builder;
    CXTPMarkupLinearGradientBrush* gradient = new CXTPMarkupLinearGradientBrush();
    ASSERT_NE(nullptr, gradient->GetGradientStops()) << "made with an empty collection";
    EXPECT_EQ(0, gradient->GetGradientStops()->GetCount());
    EXPECT_EQ(0u, gradient->GetColor());
    EXPECT_EQ(nullptr, gradient->GetStartPoint());

    // Stops written inside the brush, offsets out of order: the first written one answers.
    gradient->SetContentObject(&builder, new CXTPMarkupGradientStop(0xFF0000FF, 1.0));
    gradient->SetContentObject(&builder, new CXTPMarkupGradientStop(0x8000FF00, 0.0));
    EXPECT_EQ(2, gradient->GetGradientStops()->GetCount());
    EXPECT_EQ(0x0000FFu, gradient->GetColor());
    EXPECT_EQ(0x8000FF00u, gradient->GetGradientStops()->GetStop(1)->GetColor());
    EXPECT_EQ(0.0, gradient->GetGradientStops()->GetStop(1)->GetOffset());
    EXPECT_EQ(nullptr, gradient->GetGradientStops()->GetStop(2));

    // Anything but a stop is refused with the collection's message.
    CXTPMarkupObject* point = new CXTPMarkupPoint(1, 1);
    try {
        gradient->SetContentObject(&builder, point);
        ADD_FAILURE() << "a point went in as a stop";
    } catch (const CXTPMarkupBuilderException& e) {
        EXPECT_STREQ(L"'CXTPMarkupPoint' object cannot be added to 'CXTPMarkupGradientStops'. Object cannot be "
                     L"converted to type 'CXTPMarkupGradientStop'",
                     e.GetMessage());
    }
    point->Release();
    gradient->Release();

    CXTPMarkupGradientStop* bare = new CXTPMarkupGradientStop();
    EXPECT_EQ(0u, bare->GetColor());
    EXPECT_EQ(0.0, bare->GetOffset());
    bare->Release();
}

TEST_F(MarkupBrush, PointsFromText)
{
    struct Row {
        const wchar_t* text;
        bool ok;
        double x, y;
    } rows[] = {
        {L"0,1", true, 0, 1},
        {L" 0.5 , .25 ", true, 0.5, 0.25},
        {L"-1,+2", true, -1, 2},
        {L"a,b", false, 0, 0},
        {L"1 2", false, 0, 0},
        {L"1,", false, 0, 0},
        {L"1,2,3", false, 0, 0},
        {L"", false, 0, 0},
    };
    for (const Row& row : rows) {
        CXTPMarkupObject* made = Convert(CXTPMarkupPoint::MarkupType(), row.text);
        CXTPMarkupPoint* point = MarkupDynamicCast<CXTPMarkupPoint>(made);
        EXPECT_EQ(row.ok, point != nullptr) << Utf8(row.text);
        if (point) {
            EXPECT_EQ(row.x, point->x) << Utf8(row.text);
            EXPECT_EQ(row.y, point->y) << Utf8(row.text);
        }
        if (made)
            made->Release();
    }
}

TEST_F(MarkupBrush, TagsAndProperties)
{
    EXPECT_EQ(CXTPMarkupSolidColorBrush::MarkupType(), FindMarkupType(L"SolidColorBrush"));
    EXPECT_EQ(CXTPMarkupLinearGradientBrush::MarkupType(), FindMarkupType(L"LinearGradientBrush"));
    EXPECT_EQ(CXTPMarkupGradientStop::MarkupType(), FindMarkupType(L"GradientStop"));
    EXPECT_EQ(nullptr, FindMarkupType(L"Brush"));
    EXPECT_EQ(CXTPMarkupBrush::MarkupType(), CXTPMarkupSolidColorBrush::MarkupType()->GetBaseType());
    EXPECT_EQ(CXTPMarkupCollection::MarkupType(), CXTPMarkupGradientStops::MarkupType()->GetBaseType());
    const CXTPMarkupType* gradient = CXTPMarkupLinearGradientBrush::MarkupType();
    for (const wchar_t* name : {L"StartPoint", L"EndPoint", L"GradientStops", L"Name"})
        EXPECT_NE(nullptr, CXTPMarkupDependencyProperty::FindProperty(gradient, name)) << Utf8(name);
    EXPECT_NE(CXTPMarkupDependencyProperty::FindProperty(CXTPMarkupSolidColorBrush::MarkupType(), L"Color"),
              CXTPMarkupDependencyProperty::FindProperty(CXTPMarkupGradientStop::MarkupType(), L"Color"));
    EXPECT_EQ(nullptr, CXTPMarkupSolidColorBrush::m_pColorProperty->GetMetadata()) << "no metadata, flags 0";
}

} // namespace
