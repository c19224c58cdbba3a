// The store-independent half of the exchange: text forms, defaults, blobs as text, classes and
// objects, numbered sections and the free functions.

#include "tests/support/TestSupport.h"
#include "tests/toolkit/foundation/ExchangeTestSupport.h"
#include "toolkit/foundation/XTPPropExchangeIniFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace exchangetests;

namespace {

// The base class with no store behind it, for its text conversions and defaults.
class CTextOnlyExchange : public CXTPPropExchange {
public:
    explicit CTextOnlyExchange(BOOL loading) { m_bLoading = loading; }
    BOOL ExchangeValue(const wchar_t*, VARTYPE, void*, const void*) override { return FALSE; }
    CXTPPropExchange* GetSection(const wchar_t*) override { return nullptr; }
};

DATE MakeDate(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0)
{
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = month;
    st.wDay = day;
    st.wHour = hour;
    st.wMinute = minute;
    st.wSecond = second;
    DATE date = 0;
    SystemTimeToVariantTime(&st, &date);
    return date;
}

CString SaveText(VARTYPE type, void* value)
{
    CTextOnlyExchange px(FALSE);
    CString text;
    EXPECT_TRUE(px.ExchangeText(text, type, value, nullptr)) << "type " << type;
    return text;
}

TEST(PropExchangeText, ValuesBecomeTheirTextForms)
{
    short minusOne = -1;
    long negative = -5;
    BYTE byte = 200;
    float tenth = 0.1f;
    double pi = 3.141592653589793;
    double half = 0.5;
    RECT rect = {1, 2, 3, 4};
    SIZE size = {16, -15};
    CString text = L"a\\b\nc\rd\te";
    EXPECT_STREQ(L"65535", SaveText(VT_I2, &minusOne));
    EXPECT_STREQ(L"-5", SaveText(VT_I4, &negative));
    EXPECT_STREQ(L"200", SaveText(VT_UI1, &byte));
    EXPECT_STREQ(L"0.1", SaveText(VT_R4, &tenth));
    EXPECT_STREQ(L"0.5", SaveText(VT_R8, &half));
    // six digits would lose the value; the shortest exact form is written instead
    EXPECT_EQ(pi, std::wcstod(SaveText(VT_R8, &pi), nullptr)) << testsupport::Utf8(SaveText(VT_R8, &pi).View());
    EXPECT_STREQ(L"1, 2, 3, 4", SaveText(VT_XTP_RECT, &rect));
    EXPECT_STREQ(L"16, -15", SaveText(VT_XTP_SIZE, &size));
    EXPECT_STREQ(L"a\\\\b\\nc\\rd\\te", SaveText(VT_XTP_STRING, &text));

    CTextOnlyExchange px(FALSE);
    CString out;
    CY currency = {};
    EXPECT_FALSE(px.ExchangeText(out, VT_CY, &currency, nullptr)) << "currency has no text form";
}

struct LoadCase {
    const wchar_t* text;
    VARTYPE type;
    long expected; // the loaded value widened to long (integers) or the left edge (rectangles)
};

TEST(PropExchangeText, TextsLoadAsTheRunTimeReadsThem)
{
    const LoadCase cases[] = {
        {L"65535", VT_I2, -1},      // cut to 16 bits
        {L"  -12abc", VT_I4, -12},  // leading blanks and sign, stops at the first non-digit
        {L"xyz", VT_I4, 0},
        {L"300", VT_UI1, 44},       // cut to 8 bits
        {L"1", VT_BOOL, 1},
    };
    for (const LoadCase& c : cases) {
        CTextOnlyExchange px(TRUE);
        LONG value = 0x7777;
        CString text = c.text;
        ASSERT_TRUE(px.ExchangeText(text, c.type, &value, nullptr)) << testsupport::Utf8(c.text);
        long loaded = value;
        if (c.type == VT_I2)
            loaded = static_cast<short>(value & 0xFFFF);
        else if (c.type == VT_UI1)
            loaded = value & 0xFF;
        EXPECT_EQ(c.expected, loaded) << testsupport::Utf8(c.text);
    }
}

TEST(PropExchangeText, MalformedRectanglesAndSizesLoadTheirDefaults)
{
    CTextOnlyExchange px(TRUE);
    const RECT defaultRect = {9, 9, 9, 9};
    RECT rect = {};
    CString shortText = L"1, 2, 3";
    EXPECT_TRUE(px.ExchangeText(shortText, VT_XTP_RECT, &rect, &defaultRect));
    EXPECT_TRUE(EqualRect(&rect, &defaultRect)) << "got " << rect.left << "," << rect.top;

    CString tight = L"1,2,3,4";
    EXPECT_TRUE(px.ExchangeText(tight, VT_XTP_RECT, &rect, &defaultRect));
    const RECT expected = {1, 2, 3, 4};
    EXPECT_TRUE(EqualRect(&rect, &expected)) << "got " << rect.left << "," << rect.top << "," << rect.right;

    SIZE size = {5, 5};
    CString one = L"7";
    EXPECT_FALSE(px.ExchangeText(one, VT_XTP_SIZE, &size, nullptr)) << "no default to fall back on";
    EXPECT_EQ(5, size.cx);
}

TEST(PropExchangeText, EscapesAreUndoneOnlyWhenTheTextHoldsABackslash)
{
    CTextOnlyExchange px(TRUE);
    CString value;
    CString stored = L"a\\\\b\\n\\\\n";
    ASSERT_TRUE(px.ExchangeText(stored, VT_XTP_STRING, &value, nullptr));
    EXPECT_STREQ(L"a\\b\n\\n", value);

    CString marks = L"x\x0001\x0001y";
    ASSERT_TRUE(px.ExchangeText(marks, VT_XTP_STRING, &value, nullptr));
    EXPECT_STREQ(L"x\x0001\x0001y", value);
}

TEST(PropExchangeText, DatesUseDayBeforeMonth)
{
    struct DateCase {
        DATE date;
        const wchar_t* text;
    };
    const DateCase cases[] = {
        {MakeDate(2024, 5, 12), L"2024-12-05"},
        {MakeDate(2024, 5, 12, 10, 30, 0), L"2024-12-05T10:30:00"},
        {(10 * 3600.0 + 30 * 60.0) / 86400.0, L"10:30:00"},
    };
    for (const DateCase& c : cases) {
        XTP_DATETIME saved;
        saved.dt = c.date;
        EXPECT_STREQ(c.text, SaveText(VT_DATE, &saved));

        CTextOnlyExchange px(TRUE);
        XTP_DATETIME loaded;
        loaded.status = XTP_DATETIME::invalid;
        CString text = c.text;
        ASSERT_TRUE(px.ExchangeText(text, VT_DATE, &loaded, nullptr)) << testsupport::Utf8(c.text);
        EXPECT_NEAR(c.date, loaded.dt, 1e-9) << testsupport::Utf8(c.text);
        EXPECT_EQ(XTP_DATETIME::valid, loaded.status);
    }

    XTP_DATETIME null;
    null.status = XTP_DATETIME::null;
    EXPECT_STREQ(L"", SaveText(VT_DATE, &null));
    XTP_DATETIME invalid;
    invalid.status = XTP_DATETIME::invalid;
    EXPECT_STREQ(L"Invalid DateTime", SaveText(VT_DATE, &invalid));

    CTextOnlyExchange px(TRUE);
    XTP_DATETIME loaded;
    for (const wchar_t* bad : {L"2024-31-02", L"2023-29-02", L"Invalid DateTime", L"noon"}) {
        CString text = bad;
        EXPECT_FALSE(px.ExchangeText(text, VT_DATE, &loaded, nullptr)) << testsupport::Utf8(bad);
    }
    CString hoursMinutes = L"10:30";
    ASSERT_TRUE(px.ExchangeText(hoursMinutes, VT_DATE, &loaded, nullptr));
    EXPECT_NEAR(10.5 / 24, loaded.dt, 1e-9);
}

TEST(PropExchangeText, VariantsTravelAsStringsOrDates)
{
    VARIANT number;
    VariantInit(&number);
    number.vt = VT_I4;
    number.lVal = 42;
    EXPECT_STREQ(L"42", SaveText(VT_VARIANT, &number));

    CTextOnlyExchange px(TRUE);
    VARIANT loaded;
    VariantInit(&loaded);
    CString text = L"2024-12-05";
    ASSERT_TRUE(px.ExchangeText(text, VT_VARIANT, &loaded, nullptr));
    EXPECT_EQ(VT_DATE, loaded.vt);
    EXPECT_EQ(MakeDate(2024, 5, 12), loaded.date);
    text = L"plain";
    ASSERT_TRUE(px.ExchangeText(text, VT_VARIANT, &loaded, nullptr));
    ASSERT_EQ(VT_BSTR, loaded.vt);
    EXPECT_STREQ(L"plain", loaded.bstrVal);
    VariantClear(&loaded);
}

TEST(PropExchangeDefaults, CopyAndCompareFollowTheType)
{
    CTextOnlyExchange px(TRUE);
    short s = 0;
    const short defaultShort = 7;
    EXPECT_TRUE(px.CopyDefault(VT_I2, &s, &defaultShort));
    EXPECT_EQ(7, s);
    EXPECT_FALSE(px.CopyDefault(VT_I2, &s, nullptr)) << "no default leaves the variable";
    EXPECT_FALSE(px.CopyDefault(VT_CLSID, &s, &defaultShort)) << "not a value type";

    CString text;
    EXPECT_TRUE(px.CopyDefault(VT_XTP_STRING, &text, L"abc"));
    EXPECT_TRUE(px.IsSameValue(VT_XTP_STRING, &text, L"abc"));
    EXPECT_FALSE(px.IsSameValue(VT_XTP_STRING, &text, L"abd"));
    EXPECT_FALSE(px.IsSameValue(VT_XTP_STRING, &text, nullptr));

    BSTR bstr = nullptr;
    EXPECT_TRUE(px.CopyDefault(VT_BSTR, &bstr, L"ole"));
    EXPECT_TRUE(px.IsSameValue(VT_BSTR, &bstr, L"ole"));
    SysFreeString(bstr);

    XTP_DATETIME a, b;
    a.status = b.status = XTP_DATETIME::null;
    a.dt = 1;
    EXPECT_TRUE(px.IsSameValue(VT_DATE, &a, &b)) << "two null dates are equal whatever their value";
    a.status = b.status = XTP_DATETIME::invalid;
    EXPECT_FALSE(px.IsSameValue(VT_DATE, &a, &b)) << "invalid dates are never equal";

    EXPECT_EQ(sizeof(BSTR), GetValueSize(VT_BSTR));
    EXPECT_EQ(sizeof(VARIANT), GetValueSize(VT_VARIANT));
    EXPECT_EQ(12u, GetValueSize(VT_DATE));
    EXPECT_EQ(0u, GetValueSize(VT_XTP_STRING));
}

TEST(PropExchangeBlobText, TwoLettersPerByteLowNibbleFirst)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"blob.ini";
    {
        CXTPPropExchangeIniFile px(FALSE, nullptr, L"S");
        px.AssignFile(path);
        BYTE bytes[] = {0x12, 0xAB};
        BYTE* data = bytes;
        DWORD size = sizeof(bytes);
        ASSERT_TRUE(px.ExchangeBlob(L"Blob", data, size));
    }
    wchar_t stored[32] = {};
    GetPrivateProfileStringW(L"S", L"Blob", L"", stored, 32, path);
    EXPECT_STREQ(L"CBLK", stored);

    WritePrivateProfileStringW(L"S", L"Odd", L"CBL", path);
    CXTPPropExchangeIniFile px(TRUE, nullptr, L"S");
    px.AssignFile(path);
    BYTE* data = nullptr;
    DWORD size = 0;
    EXPECT_FALSE(px.ExchangeBlob(L"Odd", data, size)) << "odd length";
    EXPECT_EQ(nullptr, data);
    EXPECT_FALSE(px.ExchangeBlob(L"Missing", data, size));

    BYTE small[1] = {};
    BYTE* buffer = small;
    size = sizeof(small);
    EXPECT_FALSE(px.ExchangeBlob(L"Blob", buffer, size)) << "a caller's buffer too small";
    EXPECT_EQ(0u, px.ReadBytes(L"Blob", small, sizeof(small)));
    BYTE fits[4] = {};
    EXPECT_EQ(2u, px.ReadBytes(L"Blob", fits, sizeof(fits)));
    EXPECT_EQ(0xAB, fits[1]);
}

class CCountedShape : public CObject {
    DECLARE_DYNCREATE(CCountedShape)
public:
    static int s_live;
    static int s_made;
    CCountedShape()
    {
        ++s_live;
        ++s_made;
    }
    ~CCountedShape() override { --s_live; }
};
int CCountedShape::s_live = 0;
int CCountedShape::s_made = 0;
IMPLEMENT_DYNCREATE(CCountedShape, CObject)

class CUnrelatedShape : public CObject {
    DECLARE_DYNCREATE(CUnrelatedShape)
};
IMPLEMENT_DYNCREATE(CUnrelatedShape, CObject)

// The stored class name is checked against the expected kind before anything is made: the
// constructor of a class of the wrong kind never runs.
TEST(PropExchangeObjects, AStoredClassOfTheWrongKindIsNeverConstructed)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"objects.ini";
    {
        CXTPPropExchangeIniFile px(FALSE, nullptr, L"S");
        px.AssignFile(path);
        CCountedShape shape;
        CObject* object = &shape;
        ASSERT_TRUE(px.ExchangeObject(object, RUNTIME_CLASS(CObject)));
    }
    ASSERT_EQ(0, CCountedShape::s_live);

    CXTPPropExchangeIniFile px(TRUE, nullptr, L"S");
    px.AssignFile(path);
    CObject* object = reinterpret_cast<CObject*>(1);
    const int madeBefore = CCountedShape::s_made;
    EXPECT_FALSE(px.ExchangeObject(object, RUNTIME_CLASS(CUnrelatedShape)));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(madeBefore, CCountedShape::s_made) << "an object of the wrong kind was constructed";
    EXPECT_EQ(0, CCountedShape::s_live) << "an object of the wrong kind was leaked";

    ASSERT_TRUE(px.ExchangeObject(object, RUNTIME_CLASS(CObject)));
    ASSERT_NE(nullptr, object);
    EXPECT_EQ(madeBefore + 1, CCountedShape::s_made);
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CCountedShape)));
    delete object;
}

TEST(PropExchangeObjects, RuntimeClassesTravelByName)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"classes.ini";
    CXTPPropExchangeIniFile save(FALSE, nullptr, L"S");
    save.AssignFile(path);
    const CRuntimeClass* shape = RUNTIME_CLASS(CCountedShape);
    ASSERT_TRUE(ExchangeRuntimeClassProperty(&save, L"Kind", shape, RUNTIME_CLASS(CObject)));
    const CRuntimeClass* plain = RUNTIME_CLASS(CObject);
    ASSERT_TRUE(ExchangeRuntimeClassProperty(&save, L"Plain", plain, RUNTIME_CLASS(CObject)));
    WritePrivateProfileStringW(L"S", L"Unknown", L"CNoSuchClass", path);

    CXTPPropExchangeIniFile load(TRUE, nullptr, L"S");
    load.AssignFile(path);
    const CRuntimeClass* loaded = nullptr;
    ASSERT_TRUE(ExchangeRuntimeClassProperty(&load, L"Kind", loaded, RUNTIME_CLASS(CObject)));
    EXPECT_EQ(RUNTIME_CLASS(CCountedShape), loaded);
    ASSERT_TRUE(ExchangeRuntimeClassProperty(&load, L"Plain", loaded, RUNTIME_CLASS(CUnrelatedShape)))
        << "a class equal to its default is left out and loads as the default";
    EXPECT_EQ(RUNTIME_CLASS(CUnrelatedShape), loaded);
    EXPECT_FALSE(ExchangeRuntimeClassProperty(&load, L"Unknown", loaded, RUNTIME_CLASS(CObject)));
    EXPECT_EQ(nullptr, loaded);
}

TEST(PropExchangeEnumerator, NumberedSectionsCarryTheirCount)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"list.ini";
    {
        CXTPPropExchangeIniFile px(FALSE, nullptr, L"List");
        px.AssignFile(path);
        CXTPPropExchangeEnumerator empty(&px, L"None");
        EXPECT_EQ(nullptr, empty.GetPosition(0));

        CXTPPropExchangeEnumerator items(&px, L"Item");
        POSITION position = items.GetPosition(3);
        std::vector<CString> names;
        while (position) {
            CXTPPropExchangeSection section(items.GetNext(position));
            names.push_back(static_cast<CXTPPropExchangeIniFile*>(section.Get())->GetSectionName());
            long marker = static_cast<long>(names.size());
            ExchangeLongProperty(section.Get(), L"N", marker);
        }
        ASSERT_EQ(3u, names.size());
        EXPECT_STREQ(L"List\\Item0", names[0]);
        EXPECT_STREQ(L"List\\Item2", names[2]);
    }
    EXPECT_EQ(3u, GetPrivateProfileIntW(L"List", L"Count", 0, path));

    CXTPPropExchangeIniFile px(TRUE, nullptr, L"List");
    px.AssignFile(path);
    CXTPPropExchangeEnumeratorPtr items(px.GetEnumerator(L"Item"));
    POSITION position = items->GetPosition();
    EXPECT_EQ(3u, items->GetCount());
    long sum = 0;
    while (position) {
        CXTPPropExchangeSection section(items->GetNext(position));
        long n = 0;
        ExchangeLongProperty(section.Get(), L"N", n);
        sum += n;
    }
    EXPECT_EQ(6, sum);
}

TEST(PropExchangeFreeFunctions, ANullExchangeDoesNothing)
{
    long value = 3;
    CString text;
    BOOL flag = FALSE;
    BYTE* data = nullptr;
    DWORD size = 0;
    const CRuntimeClass* cls = nullptr;
    EXPECT_FALSE(ExchangeLongProperty(nullptr, L"A", value));
    EXPECT_FALSE(ExchangeStringProperty(nullptr, L"A", text));
    EXPECT_FALSE(ExchangeBoolProperty(nullptr, L"A", flag, TRUE));
    EXPECT_FALSE(ExchangeBlobProperty(nullptr, L"A", data, size));
    EXPECT_FALSE(ExchangeRuntimeClassProperty(nullptr, L"A", cls, nullptr));
    EXPECT_FALSE(ExchangeSerializedObject(nullptr, L"A", nullptr));
    EXPECT_EQ(3, value);
    CXTPPropExchangeEnumerator* enumerator = new CXTPPropExchangeEnumerator(nullptr, L"X");
    EXPECT_EQ(nullptr, enumerator->GetPosition(5));
    DeleteExchangeEnumerator(enumerator);
    EXPECT_EQ(nullptr, enumerator);
}

} // namespace
