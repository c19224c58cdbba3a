// The XML store over the platform's DOM, checked against the XML text it produces.

#include "tests/toolkit/foundation/ExchangeTestSupport.h"
#include "toolkit/foundation/XTPPropExchangeXMLNode.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

using namespace exchangetests;

namespace {

class PropExchangeXml : public testing::Test {
protected:
    ComApartment m_com;
};

std::string Xml(CXTPPropExchangeXMLNode& px, BOOL formatted = FALSE)
{
    return testsupport::Utf8(px.GetXML(formatted).View());
}

// The text without the white space that some DOMs put between tags, and without a trailing line
// break.
std::string OneLine(const std::string& xml)
{
    std::string out;
    for (size_t i = 0; i < xml.size(); ++i) {
        if (xml[i] == '>' ) {
            out += '>';
            size_t j = i + 1;
            while (j < xml.size() && isspace(static_cast<unsigned char>(xml[j])))
                ++j;
            if (j == xml.size() || xml[j] == '<')
                i = j - 1;
            continue;
        }
        out += xml[i];
    }
    return out;
}

TEST_F(PropExchangeXml, CompactModeWritesAttributesAndLeavesDefaultsOut)
{
    CXTPPropExchangeXMLNode px(FALSE, nullptr, L"Layout");
    long width = 16;
    ASSERT_TRUE(ExchangeLongPropertyDefault(&px, L"Width", width, 0));
    long same = 16;
    ASSERT_TRUE(ExchangeLongPropertyDefault(&px, L"Height", same, 16));
    CString text = L"a\\b";
    ExchangeStringProperty(&px, L"Text", text);
    {
        CXTPPropExchangeSection pane(px.GetSection(L"Pane"));
        RECT rect = {1, 2, 3, 4};
        ExchangeRectProperty(pane.Get(), L"Rect", rect, RECT{});
    }
    EXPECT_EQ("<Layout CompactMode=\"1\" Width=\"16\" Text=\"a\\\\b\"><Pane Rect=\"1, 2, 3, 4\"/></Layout>",
              OneLine(Xml(px)));
}

TEST_F(PropExchangeXml, ElementModeWritesChildElements)
{
    CXTPPropExchangeXMLNode px(FALSE, nullptr, L"Layout");
    px.SetCompactMode(FALSE);
    long width = 16;
    ExchangeLongPropertyDefault(&px, L"Width", width, 0);
    const std::string xml = Xml(px);
    EXPECT_NE(std::string::npos, xml.find("<Width>16</Width>")) << xml;
    EXPECT_EQ(std::string::npos, xml.find("CompactMode")) << xml;

    CXTPPropExchangeXMLNode load(TRUE, nullptr, L"Layout");
    ASSERT_TRUE(load.LoadFromString(xml.c_str()));
    long loaded = 0;
    ASSERT_TRUE(ExchangeLongPropertyDefault(&load, L"Width", loaded, 0));
    EXPECT_EQ(16, loaded) << "without CompactMode values are read as child elements";
    EXPECT_FALSE(load.IsCompactMode());
}

TEST_F(PropExchangeXml, MissingSectionsAndValuesLoadTheirDefaults)
{
    CXTPPropExchangeXMLNode px(TRUE, nullptr, L"Layout");
    ASSERT_TRUE(px.LoadFromString("<Layout CompactMode=\"1\" Width=\"5\"/>"));
    CXTPPropExchangeSection missing(px.GetSection(L"Pane"));
    long value = 0;
    EXPECT_TRUE(ExchangeLongPropertyDefault(missing.Get(), L"Width", value, 3));
    EXPECT_EQ(3, value);
    EXPECT_TRUE(px.HasProperty(L"Width"));
    EXPECT_FALSE(px.HasProperty(L"Height"));
    EXPECT_TRUE(static_cast<CXTPPropExchangeXMLNode*>(missing.Get())->HasProperty(nullptr));
}

TEST_F(PropExchangeXml, ListsAreRunsOfSiblingsUnlessTheyCarryACount)
{
    struct ListCase {
        const char* xml;
        std::vector<long> expected;
    };
    const ListCase cases[] = {
        {"<L CompactMode=\"1\"><Item V=\"1\"/><Other V=\"9\"/><Item V=\"2\"/><Item V=\"3\"/></L>", {1, 2, 3}},
        {"<L CompactMode=\"1\" Count=\"3\"><Item0 V=\"4\"/><Item1 V=\"5\"/><Item2 V=\"6\"/><Item V=\"9\"/></L>",
         {4, 5, 6}},
        {"<L CompactMode=\"1\"/>", {}},
    };
    for (const ListCase& c : cases) {
        CXTPPropExchangeXMLNode px(TRUE, nullptr, L"L");
        ASSERT_TRUE(px.LoadFromString(c.xml)) << c.xml;
        CXTPPropExchangeEnumeratorPtr items(px.GetEnumerator(L"Item"));
        POSITION position = items->GetPosition();
        std::vector<long> values;
        while (position) {
            CXTPPropExchangeSection item(items->GetNext(position));
            long v = 0;
            ExchangeLongProperty(item.Get(), L"V", v);
            values.push_back(v);
        }
        EXPECT_EQ(c.expected, values) << c.xml;
    }
}

TEST_F(PropExchangeXml, SavingAListWritesOneElementPerItemAndNoneForAnEmptyList)
{
    CXTPPropExchangeXMLNode px(FALSE, nullptr, L"L");
    {
        CXTPPropExchangeEnumeratorPtr none(px.GetEnumerator(L"Empty"));
        POSITION position = none->GetPosition(0);
        EXPECT_EQ(nullptr, position);
        while (position)
            CXTPPropExchangeSection ignored(none->GetNext(position));
    }
    CXTPPropExchangeEnumeratorPtr items(px.GetEnumerator(L"Item"));
    POSITION position = items->GetPosition(2);
    long n = 0;
    while (position) {
        CXTPPropExchangeSection item(items->GetNext(position));
        ++n;
        ExchangeLongProperty(item.Get(), L"V", n);
    }
    const std::string xml = OneLine(Xml(px));
    EXPECT_EQ(std::string::npos, xml.find("Empty")) << xml;
    EXPECT_NE(std::string::npos, xml.find("<Item V=\"1\"/><Item V=\"2\"/>")) << xml;
    EXPECT_EQ(std::string::npos, xml.find("Count")) << xml;
}

TEST_F(PropExchangeXml, FormattedTextPutsEachElementOnItsOwnLine)
{
    CXTPPropExchangeXMLNode px(FALSE, nullptr, L"Root");
    px.SetCompactMode(FALSE);
    CXTPPropExchangeSection a(px.GetSection(L"A"));
    CXTPPropExchangeSection b(px.GetSection(L"B"));
    ASSERT_TRUE(a->OpenStore());
    ASSERT_TRUE(b->OpenStore());
    std::string xml = Xml(px, TRUE);
    while (!xml.empty() && (xml.back() == '\n' || xml.back() == '\r'))
        xml.pop_back();
    EXPECT_EQ("<Root>\r\n\t<A/>\r\n\t<B/>\r\n</Root>", xml);
}

TEST_F(PropExchangeXml, EmptyingASectionRemovesItsElement)
{
    CXTPPropExchangeXMLNode px(FALSE, nullptr, L"Root");
    CXTPPropExchangeSection pane(px.GetSection(L"Pane"));
    long v = 1;
    ExchangeLongProperty(pane.Get(), L"Old", v);
    pane->EmptySection();
    ExchangeLongProperty(pane.Get(), L"New", v);
    const std::string xml = Xml(px);
    EXPECT_EQ(std::string::npos, xml.find("Old")) << xml;
    EXPECT_NE(std::string::npos, xml.find("<Pane New=\"1\"/>")) << xml;
}

TEST_F(PropExchangeXml, OleStringsKeepTheirTextAndDatesUseTheTextForm)
{
    CXTPPropExchangeXMLNode px(FALSE, nullptr, L"Root");
    BSTR text = SysAllocString(L"tab\there");
    ASSERT_TRUE(px.ExchangeValue(L"Ole", VT_BSTR, &text, nullptr));
    SysFreeString(text);
    XTP_DATETIME date;
    SYSTEMTIME st = {2024, 5, 0, 12, 10, 30, 0, 0};
    SystemTimeToVariantTime(&st, &date.dt);
    ASSERT_TRUE(px.ExchangeValue(L"When", VT_DATE, &date, nullptr));
    const std::string xml = Xml(px);
    EXPECT_NE(std::string::npos, xml.find("When=\"2024-12-05T10:30:00\"")) << xml;

    CXTPPropExchangeXMLNode load(TRUE, nullptr, L"Root");
    ASSERT_TRUE(load.LoadFromString(xml.c_str()));
    BSTR loaded = nullptr;
    ASSERT_TRUE(load.ExchangeValue(L"Ole", VT_BSTR, &loaded, nullptr));
    EXPECT_STREQ(L"tab\there", loaded) << "OLE strings are written without escapes";
    SysFreeString(loaded);
    ASSERT_TRUE(load.LoadFromString("<Root CompactMode=\"1\" Ole=\"a\\tb\"/>"));
    loaded = nullptr;
    ASSERT_TRUE(load.ExchangeValue(L"Ole", VT_BSTR, &loaded, nullptr));
    EXPECT_STREQ(L"a\tb", loaded) << "but escapes are undone when they are read";
    SysFreeString(loaded);
}

TEST_F(PropExchangeXml, FailuresAreResultsNotExceptions)
{
    CXTPPropExchangeXMLNode broken(TRUE, nullptr, L"Root");
    EXPECT_FALSE(broken.LoadFromString("<Root><unclosed></Root>"));
    EXPECT_FALSE(broken.LoadFromString(""));
    EXPECT_FALSE(broken.LoadFromString(nullptr));

    // a section with no document behind it
    CXTPPropExchangeXMLNode orphan(FALSE, nullptr, L"Orphan");
    orphan.InitSection(nullptr);
    long value = 1;
    EXPECT_FALSE(ExchangeLongProperty(&orphan, L"V", value));
    EXPECT_TRUE(orphan.GetXML().IsEmpty());
    EXPECT_FALSE(orphan.HasProperty(L"V"));
    CXTPPropExchangeSection child(orphan.GetSection(L"Child"));
    EXPECT_FALSE(ExchangeLongProperty(child.Get(), L"V", value));
    CXTPPropExchangeEnumeratorPtr items(orphan.GetEnumerator(L"Item"));
    POSITION position = items->GetPosition(1);
    while (position) {
        CXTPPropExchangeSection item(items->GetNext(position));
        EXPECT_FALSE(ExchangeLongProperty(item.Get(), L"V", value));
    }
    orphan.EmptySection();

    CXTPPropExchangeXMLNode loading(TRUE, nullptr, L"Orphan");
    loading.InitSection(nullptr);
    long loaded = 0;
    EXPECT_TRUE(ExchangeLongPropertyDefault(&loading, L"V", loaded, 6));
    EXPECT_EQ(6, loaded);
    CXTPPropExchangeEnumeratorPtr none(loading.GetEnumerator(L"Item"));
    EXPECT_EQ(nullptr, none->GetPosition());

    // a document whose root element is another one holds none of the section's values
    CXTPPropExchangeXMLNode other(TRUE, nullptr, L"Layout");
    ASSERT_TRUE(other.LoadFromString("<Something V=\"1\"/>"));
    EXPECT_TRUE(ExchangeLongPropertyDefault(&other, L"V", loaded, 2));
    EXPECT_EQ(2, loaded);
}

TEST_F(PropExchangeXml, ResourcesLoadThroughTheirBytes)
{
    CXTPPropExchangeXMLNode px(TRUE, nullptr, L"Root");
    SetLastError(0);
    EXPECT_FALSE(px.LoadFromResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(77), L"NOSUCHTYPE"));
    const DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_RESOURCE_TYPE_NOT_FOUND || error == ERROR_RESOURCE_DATA_NOT_FOUND)
        << "the lookup's error is kept, got " << error;
}

} // namespace
