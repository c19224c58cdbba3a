// Boxed values, their text grammars (numbers, float lists, colours), the shared instances and the
// two general collections.

#include "tests/toolkit/markup/MarkupTestSupport.h"
#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupCollection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace markuptests;
using testsupport::Utf8;

namespace {

class MarkupValues : public MarkupTest {};

// ---- Number grammar

TEST_F(MarkupValues, NumberGrammar)
{
    struct Row {
        const wchar_t* text;
        wchar_t separator;
        BOOL requireEnd;
        BOOL ok;
        double value;
        const wchar_t* rest; // what the cursor points at afterwards
    } rows[] = {
        {L"5", 0, TRUE, TRUE, 5, L""},
        {L"  -12.25", 0, TRUE, TRUE, -12.25, L""},
        {L"+3", 0, TRUE, TRUE, 3, L""},
        {L".5", 0, TRUE, TRUE, 0.5, L""},
        {L"5.", 0, TRUE, TRUE, 5, L""},
        {L"0.125", 0, TRUE, TRUE, 0.125, L""},
        {L".", 0, TRUE, FALSE, 0, nullptr},
        {L"-", 0, TRUE, FALSE, 0, nullptr},
        {L"", 0, TRUE, FALSE, 0, nullptr},
        {L"   ", 0, TRUE, FALSE, 0, nullptr},
        {L"1e3", 0, TRUE, FALSE, 0, nullptr},
        {L"1.2.3", 0, TRUE, FALSE, 0, nullptr},
        {L"12  ", 0, TRUE, TRUE, 12, L""},
        {L"12 x", 0, TRUE, FALSE, 0, nullptr},
        {L"12 x", 0, FALSE, TRUE, 12, L"x"},
        {L"1, 2", L',', FALSE, TRUE, 1, L"2"},
        {L"1 ,  2", L',', FALSE, TRUE, 1, L"2"},
        {L"1,,2", L',', FALSE, TRUE, 1, L",2"},
        {L"1,", L',', TRUE, TRUE, 1, L""},
        {L"1;2", L',', TRUE, FALSE, 0, nullptr},
        {L"--1", 0, TRUE, FALSE, 0, nullptr},
    };
    for (const Row& row : rows) {
        const wchar_t* cursor = row.text;
        double value = -99;
        EXPECT_EQ(row.ok, ParseMarkupNumber(cursor, value, row.separator, row.requireEnd)) << Utf8(row.text);
        if (row.ok) {
            EXPECT_EQ(row.value, value) << Utf8(row.text);
            EXPECT_STREQ(row.rest, cursor) << Utf8(row.text);
        }
    }
}

TEST_F(MarkupValues, NumbersAccumulateInExtendedPrecision)
{
    const wchar_t* cursor = L"0.1";
    double value = 0;
    ASSERT_TRUE(ParseMarkupNumber(cursor, value));
    EXPECT_EQ(0.1, value);
    cursor = L"123456789.987654321";
    ASSERT_TRUE(ParseMarkupNumber(cursor, value));
    EXPECT_NEAR(123456789.987654321, value, 1e-7);
}

// ---- Float lists

TEST_F(MarkupValues, FloatListGrammar)
{
    struct Row {
        const wchar_t* text;
        BOOL ok;
        std::vector<float> values;
    } rows[] = {
        {L"", TRUE, {}},
        {L"1,2,3", TRUE, {1, 2, 3}},
        {L"1 2 3", TRUE, {1, 2, 3}},
        {L"1, 2, 3", TRUE, {1, 2, 3}},
        {L"  -1.5  .5 2.", TRUE, {-1.5f, 0.5f, 2}},
        {L"1 ,2", FALSE, {}},
        {L"1,,2", FALSE, {}},
        {L"+1", FALSE, {}},
        {L"1;2", FALSE, {}},
        {L".", FALSE, {}},
        {L"1,", TRUE, {1}},
    };
    for (const Row& row : rows) {
        std::vector<float> values;
        EXPECT_EQ(row.ok, ParseMarkupFloatList(row.text, values)) << Utf8(row.text);
        if (row.ok) {
            EXPECT_EQ(row.values, values) << Utf8(row.text);
        }
    }
    std::vector<float> values;
    EXPECT_FALSE(ParseMarkupFloatList(nullptr, values));
}

TEST_F(MarkupValues, DoubleCollectionFromText)
{
    CXTPMarkupString* text = CreateMarkupString(L"4 2,1");
    CXTPMarkupObject* made = CXTPMarkupDoubleCollection::MarkupType()->CreateObject();
    CXTPMarkupDoubleCollection* dashes = MarkupDynamicCast<CXTPMarkupDoubleCollection>(made->ConvertFrom(nullptr, text));
    ASSERT_NE(nullptr, dashes);
    EXPECT_EQ((std::vector<float>{4, 2, 1}), dashes->GetItems());
    EXPECT_EQ(0.0f, dashes->GetAt(3));
    dashes->Release();

    CXTPMarkupString* bad = CreateMarkupString(L"4 ,2");
    EXPECT_EQ(nullptr, made->ConvertFrom(nullptr, bad));
    EXPECT_EQ(nullptr, made->ConvertFrom(nullptr, nullptr));
    bad->Release();
    made->Release();
    text->Release();
}

// ---- Colours

TEST_F(MarkupValues, ColorGrammar)
{
    struct Row {
        const wchar_t* text;
        BOOL ok;
        DWORD color;
    } rows[] = {
        {L"#FF0000", TRUE, 0xFF0000FF},
        {L"#0080ff", TRUE, 0xFFFF8000},
        {L"#80102030", TRUE, 0x80302010},
        {L"#00FFFFFF", TRUE, 0x00FFFFFF},
        {L"#F00", FALSE, 0},
        {L"#FF00", FALSE, 0},      // 4 characters
        {L"#FF00000", FALSE, 0},   // 8 characters
        {L"#FF0000FF00", FALSE, 0},
        {L"#GG0000", FALSE, 0},
        {L"# F0000", FALSE, 0},    // a scanf field would take the space
        {L"#+10000", FALSE, 0},    // ... or the sign
        {L"#0x1000", FALSE, 0},
        {L"#", FALSE, 0},
        {L"Red", TRUE, 0xFF0000FF},
        {L"red", TRUE, 0xFF0000FF},
        {L"rEd", TRUE, 0xFF0000FF},
        {L"Tan", TRUE, 0xFF8CB4D2},
        {L"DeepPink", TRUE, 0xFF9314FF},
        {L"YellowGreen", TRUE, 0xFF32CD9A},
        {L"LightGoldenrodYellow", TRUE, 0xFFD2FAFA},
        {L"Gray", TRUE, 0xFF808080},
        {L"DarkGray", TRUE, 0xFFA9A9A9},
        {L"lightslategray", TRUE, 0xFF998877},
        {L"AliceBlue", TRUE, 0xFFFFF8F0},
        {L"Transparent", TRUE, 0x00FFFFFF},
        {L"TRANSPARENT", TRUE, 0x00FFFFFF},
        {L"Grey", FALSE, 0},
        {L"DarkGrey", FALSE, 0},
        {L"DarkSlateGrey", FALSE, 0},
        {L"DimGrey", FALSE, 0},
        {L"LightGrey", FALSE, 0},
        {L"LightSlateGrey", FALSE, 0},
        {L"SlateGrey", FALSE, 0},
        {L" Red", FALSE, 0},
        {L"Red ", FALSE, 0},
        {L"1Red", FALSE, 0},
        {L"", FALSE, 0},
        {L"Reddish", FALSE, 0},
    };
    for (const Row& row : rows) {
        DWORD color = 0x12345678;
        EXPECT_EQ(row.ok, ParseMarkupColor(row.text, color)) << Utf8(row.text);
        if (row.ok) {
            EXPECT_EQ(row.color, color) << Utf8(row.text);
        }
    }
    DWORD color = 0;
    EXPECT_FALSE(ParseMarkupColor(nullptr, color));
}

TEST_F(MarkupValues, ColorFromTextAndContent)
{
    CXTPMarkupBuilder builder;
    CXTPMarkupColor* prototype = new CXTPMarkupColor();
    CXTPMarkupString* text = CreateMarkupString(L"Navy");
    CXTPMarkupColor* navy = MarkupDynamicCast<CXTPMarkupColor>(prototype->ConvertFrom(&builder, text));
    ASSERT_NE(nullptr, navy);
    EXPECT_EQ(0xFF800000u, navy->GetValue());
    EXPECT_EQ(RGB(0, 0, 128), navy->GetRgb());
    EXPECT_EQ(255, navy->GetAlpha());
    navy->Release();

    // <Color>#80FF0000</Color>: the text becomes the value and is released.
    prototype->SetContentObject(&builder, CreateMarkupString(L"#80FF0000"));
    EXPECT_EQ(0x800000FFu, prototype->GetValue());

    CXTPMarkupString* bad = CreateMarkupString(L"Nothing");
    try {
        prototype->SetContentObject(&builder, bad);
        ADD_FAILURE() << "accepted a text that names no colour";
    } catch (const CXTPMarkupBuilderException& e) {
        EXPECT_STREQ(L"Cannot convert the string 'Nothing' into a 'CXTPMarkupColor' object", e.GetMessage());
    }
    EXPECT_EQ(0x800000FFu, prototype->GetValue());
    bad->Release();
    text->Release();
    prototype->Release();

    CXTPMarkupColor* fromRgb = CXTPMarkupColor::FromRgb(RGB(1, 2, 3));
    EXPECT_EQ(0xFF030201u, fromRgb->GetValue());
    fromRgb->Release();
}

// ---- Boxed values

TEST_F(MarkupValues, ConversionsFromText)
{
    struct Row {
        CXTPMarkupType* type;
        const wchar_t* text;
        const wchar_t* expected; // null: no object
    } rows[] = {
        {CXTPMarkupInt::MarkupType(), L"42", L"42"},
        {CXTPMarkupInt::MarkupType(), L"  -7px", L"-7"},
        {CXTPMarkupInt::MarkupType(), L"+3", L"3"},
        {CXTPMarkupInt::MarkupType(), L"abc", L"0"},
        {CXTPMarkupInt::MarkupType(), L"", L"0"},
        {CXTPMarkupInt::MarkupType(), L"99999999999", L"2147483647"},
        {CXTPMarkupDouble::MarkupType(), L" 1.5", L"1.5"},
        {CXTPMarkupDouble::MarkupType(), L"1.5x", nullptr},
        {CXTPMarkupDouble::MarkupType(), L".", nullptr},
        {CXTPMarkupBool::MarkupType(), L"TRUE", L"true"},
        {CXTPMarkupBool::MarkupType(), L"false", L"false"},
        {CXTPMarkupBool::MarkupType(), L"yes", nullptr},
        {CXTPMarkupBool::MarkupType(), L"True ", nullptr},
        {CXTPMarkupColor::MarkupType(), L"#01020304", L"colour 01040302"},
        {CXTPMarkupEnum::MarkupType(), L"1", nullptr},
        {CXTPMarkupString::MarkupType(), L"x", nullptr},
        {CXTPMarkupType::MarkupType(), L"Color", L"type CXTPMarkupColor"},
        {CXTPMarkupType::MarkupType(), L"color", nullptr},
    };
    for (const Row& row : rows) {
        // A type record has no factory: its own record serves as the receiver.
        CXTPMarkupObject* receiver = row.type->CreateObject();
        if (!receiver) {
            receiver = row.type;
            receiver->AddRef();
        }
        CXTPMarkupString* text = CreateMarkupString(row.text);
        CXTPMarkupObject* made = receiver->ConvertFrom(nullptr, text);
        std::wstring shown = L"(none)";
        if (CXTPMarkupInt* i = MarkupDynamicCast<CXTPMarkupInt>(made))
            shown = std::to_wstring(static_cast<int>(*i));
        else if (CXTPMarkupDouble* d = MarkupDynamicCast<CXTPMarkupDouble>(made))
            shown = static_cast<double>(*d) == 1.5 ? L"1.5" : L"other double";
        else if (CXTPMarkupBool* b = MarkupDynamicCast<CXTPMarkupBool>(made))
            shown = *b ? L"true" : L"false";
        else if (CXTPMarkupColor* c = MarkupDynamicCast<CXTPMarkupColor>(made)) {
            wchar_t hex[16];
            swprintf(hex, 16, L"%08lX", static_cast<unsigned long>(c->GetValue()));
            shown = std::wstring(L"colour ") + hex;
        } else if (CXTPMarkupType* t = MarkupDynamicCast<CXTPMarkupType>(made))
            shown = std::wstring(L"type ") + t->GetTypeName();
        EXPECT_EQ(Utf8(row.expected ? row.expected : L"(none)"), Utf8(shown))
            << Utf8(row.type->GetTypeName()) << " from " << Utf8(row.text);
        // Only strings convert.
        CXTPMarkupObject* number = new CXTPMarkupInt(1);
        EXPECT_EQ(nullptr, receiver->ConvertFrom(nullptr, number)) << Utf8(row.type->GetTypeName());
        number->Release();
        if (made)
            made->Release();
        text->Release();
        receiver->Release();
    }
}

TEST_F(MarkupValues, EqualityAndHashKeys)
{
    CXTPMarkupObject* a = new CXTPMarkupInt(3);
    CXTPMarkupObject* b = new CXTPMarkupInt(3);
    CXTPMarkupObject* c = new CXTPMarkupInt(4);
    CXTPMarkupObject* e = new CXTPMarkupEnum(3);
    CXTPMarkupObject* d = new CXTPMarkupDouble(3);
    CXTPMarkupObject* s1 = CreateMarkupString(L"ab");
    CXTPMarkupObject* s2 = CreateMarkupString(L"ab", 2);
    CXTPMarkupObject* s3 = CreateMarkupString(L"abc", 2);
    CXTPMarkupObject* s4 = CreateMarkupString(L"ab\0c", 4);
    CXTPMarkupObject* o = new CXTPMarkupObject();

    EXPECT_TRUE(a->IsEqual(b));
    EXPECT_FALSE(a->IsEqual(c));
    EXPECT_FALSE(a->IsEqual(e)) << "same value, other class";
    EXPECT_FALSE(a->IsEqual(d));
    EXPECT_FALSE(a->IsEqual(nullptr));
    EXPECT_TRUE(s1->IsEqual(s2));
    EXPECT_TRUE(s1->IsEqual(s3));
    EXPECT_FALSE(s1->IsEqual(s4)) << "the length counts";
    EXPECT_TRUE(o->IsEqual(o));
    EXPECT_FALSE(o->IsEqual(a));

    EXPECT_EQ(static_cast<UINT>('a') * 33 + 'b', s1->GetHashKey());
    CXTPMarkupString* empty = CreateMarkupString(L"");
    EXPECT_EQ(0u, empty->GetHashKey());
    empty->Release();
    EXPECT_EQ(static_cast<UINT>(reinterpret_cast<UINT_PTR>(a)), a->GetHashKey()) << "numbers hash by identity";
    CXTPMarkupBool* yes = MarkupTrue();
    CXTPMarkupBool* no = MarkupFalse();
    EXPECT_EQ(1u, yes->GetHashKey());
    EXPECT_EQ(0u, no->GetHashKey());
    EXPECT_FALSE(yes->IsEqual(no));
    yes->Release();
    no->Release();

    for (CXTPMarkupObject* object : {a, b, c, e, d, s1, s2, s3, s4, o})
        object->Release();
}

TEST_F(MarkupValues, SharedInstances)
{
    for (int value = 0; value < 8; ++value) {
        CXTPMarkupEnum* first = CreateMarkupEnum(value);
        CXTPMarkupEnum* second = CreateMarkupEnum(value);
        EXPECT_EQ(first, second) << value;
        EXPECT_EQ(value, static_cast<int>(*first));
        first->Release();
        second->Release();
    }
    for (int value : {-1, 8, 100}) {
        CXTPMarkupEnum* first = CreateMarkupEnum(value);
        CXTPMarkupEnum* second = CreateMarkupEnum(value);
        EXPECT_NE(first, second) << value;
        EXPECT_EQ(value, static_cast<int>(*first));
        first->Release();
        second->Release();
    }

    CXTPMarkupBool* t1 = MarkupTrue();
    CXTPMarkupBool* t2 = CXTPMarkupBool::CreateValue(TRUE);
    EXPECT_EQ(t1, t2);
    EXPECT_TRUE(*t1);
    CXTPMarkupBool* f = MarkupFalse();
    EXPECT_FALSE(*f);
    for (CXTPMarkupObject* object : {static_cast<CXTPMarkupObject*>(t1), static_cast<CXTPMarkupObject*>(t2),
                                     static_cast<CXTPMarkupObject*>(f)})
        object->Release();

    struct Row {
        const wchar_t* text;
        int length;
        const wchar_t* sharedAs; // null: a new string each time
    } rows[] = {
        {nullptr, -1, L""},
        {L"", -1, L""},
        {L"abc", 0, L""},
        {L"\0abc", 4, L""},
        {L" ", -1, L" "},
        {L" x", 1, L" "},
        {L"\n", -1, L"\n"},
        {L"\n\n", 1, L"\n"},
        {L"  ", -1, nullptr},
        {L"\r\n", -1, nullptr},
        {L"a", -1, nullptr},
    };
    for (const Row& row : rows) {
        CXTPMarkupString* first = CreateMarkupString(row.text, row.length);
        CXTPMarkupString* second = CreateMarkupString(row.text, row.length);
        EXPECT_EQ(row.sharedAs != nullptr, first == second) << "row " << (&row - rows);
        if (row.sharedAs) {
            EXPECT_STREQ(row.sharedAs, first->GetBuffer());
        }
        first->Release();
        second->Release();
    }
}

// ---- Collections

// Records what a derived collection is told.
class CRecordingCollection : public CXTPMarkupCollection {
public:
    explicit CRecordingCollection(CXTPMarkupType* elementType) : CXTPMarkupCollection(elementType) {}
    std::vector<int> m_added;
    int m_changes = 0;
    void SetAdopting(BOOL adopt) { m_bLogicalParent = adopt; }

protected:
    void OnItemAdded(CXTPMarkupObject*, int index) override { m_added.push_back(index); }
    void OnChanged() override { ++m_changes; }
};

std::vector<int> Values(const CXTPMarkupCollection* collection)
{
    std::vector<int> values;
    for (int i = 0; i < collection->GetCount(); ++i)
        values.push_back(*MarkupDynamicCast<CXTPMarkupInt>(collection->GetItem(i)));
    return values;
}

TEST_F(MarkupValues, CollectionInsertionClampsAndNotifies)
{
    CRecordingCollection* items = new CRecordingCollection(CXTPMarkupInt::MarkupType());
    items->Add(new CXTPMarkupInt(1));
    items->Insert(-5, new CXTPMarkupInt(2));
    items->Insert(1000, new CXTPMarkupInt(3));
    items->Insert(0, new CXTPMarkupInt(0));
    items->Insert(2, new CXTPMarkupInt(9));
    EXPECT_EQ((std::vector<int>{0, 1, 9, 2, 3}), Values(items));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 0, 2}), items->m_added);
    EXPECT_EQ(5, items->m_changes);
    EXPECT_EQ(items, items->GetItem(0)->GetLogicalParent());
    EXPECT_EQ(5, items->GetLogicalChildrenCount());
    EXPECT_EQ(items->GetItem(4), items->GetLogicalChild(4));
    EXPECT_EQ(nullptr, items->GetItem(5));
    EXPECT_EQ(nullptr, items->GetItem(-1));
    EXPECT_TRUE(items->HasContentObject());
    EXPECT_EQ(2, items->IndexOf(items->GetItem(2)));

    // Rejected items: nothing stored, nothing told, the reference dropped (the leak check).
    items->Add(nullptr);
    items->Add(CreateMarkupString(L"4"));
    items->Insert(0, new CXTPMarkupDouble(4));
    EXPECT_EQ(5, items->GetCount());
    EXPECT_EQ(5, items->m_changes);

    // Removal: out-of-range indexes do nothing; a removed item loses its parent.
    CXTPMarkupObject* kept = items->GetItem(2);
    kept->AddRef();
    items->Remove(5);
    items->Remove(-1);
    EXPECT_EQ(5, items->m_changes);
    items->Remove(2);
    EXPECT_EQ(nullptr, kept->GetLogicalParent());
    EXPECT_EQ(1, kept->GetRefCount());
    EXPECT_EQ(6, items->m_changes);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), Values(items));
    kept->Release();

    items->RemoveAll();
    EXPECT_EQ(0, items->GetCount());
    EXPECT_EQ(7, items->m_changes) << "remove-all tells once";
    EXPECT_FALSE(items->HasContentObject());
    items->Release();
}

TEST_F(MarkupValues, CollectionWithoutAdoptionLeavesParents)
{
    CRecordingCollection* items = new CRecordingCollection(nullptr);
    items->SetAdopting(FALSE);
    CXTPMarkupObject* parent = new CXTPMarkupObject();
    CXTPMarkupObject* item = new CXTPMarkupString(L"s");
    item->SetLogicalParent(parent);
    items->Add(item);
    EXPECT_EQ(parent, item->GetLogicalParent());
    EXPECT_EQ(CXTPMarkupObject::MarkupType(), items->GetElementType());
    items->Release();
    parent->Release();
}

TEST_F(MarkupValues, CollectionContent)
{
    CXTPMarkupBuilder builder;
    CXTPMarkupCollection* colours = new CXTPMarkupCollection(CXTPMarkupColor::MarkupType());
    colours->SetContentObject(&builder, new CXTPMarkupColor(1));
    EXPECT_EQ(1, colours->GetCount());

    CXTPMarkupString* text = CreateMarkupString(L"Red");
    try {
        colours->SetContentObject(&builder, text);
        ADD_FAILURE() << "a string went into a colour collection";
    } catch (const CXTPMarkupBuilderException& e) {
        EXPECT_STREQ(L"'CXTPMarkupString' object cannot be added to 'CXTPMarkupCollection'. Object cannot be "
                     L"converted to type 'CXTPMarkupColor'",
                     e.GetMessage());
    }
    EXPECT_EQ(1, colours->GetCount());
    text->Release();
    colours->Release();
}

} // namespace
