// One exchange routine, saved and loaded through each of the four stores.

#include "tests/toolkit/foundation/ExchangeTestSupport.h"
#include "tests/support/TestSupport.h"
#include "toolkit/foundation/XTPPropExchangeArchive.h"
#include "toolkit/foundation/XTPPropExchangeIniFile.h"
#include "toolkit/foundation/XTPPropExchangeRegistry.h"
#include "toolkit/foundation/XTPPropExchangeXMLNode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

using namespace exchangetests;

namespace {

struct Toolbar {
    CString title;
    long width = 0;
};

// Everything a toolkit class typically keeps, with defaults that differ from the saved values
// so that each value is really written.
struct Settings {
    short shortValue = 0;
    long longValue = 0;
    long longWithDefault = 0;
    BOOL flag = FALSE;
    BYTE byteValue = 0;
    float floatValue = 0;
    double doubleValue = 0;
    CString text;
    RECT rect = {};
    SIZE size = {};
    std::vector<BYTE> blob;
    long nestedValue = 0;
    std::vector<Toolbar> bars;

    static Settings Sample()
    {
        Settings s;
        s.shortValue = -1;
        s.longValue = -123456;
        s.longWithDefault = 7;
        s.flag = TRUE;
        s.byteValue = 200;
        s.floatValue = 0.1f;
        s.doubleValue = 3.141592653589793;
        s.text = L"a\\b\tc\r\nline two";
        s.rect = {1, -2, 300, 400};
        s.size = {16, 15};
        s.blob = {0x12, 0xAB, 0x00, 0xFF};
        s.nestedValue = 42;
        s.bars = {{L"Standard", 100}, {L"Format", 200}, {L"", 300}};
        return s;
    }

    // The routine under test: the same code saves and loads.
    void Exchange(CXTPPropExchange* px)
    {
        px->ExchangeSchema();
        ASSERT_TRUE(ExchangeShortProperty(px, L"Short", shortValue, 5));
        ASSERT_TRUE(ExchangeLongProperty(px, L"Long", longValue));
        ASSERT_TRUE(ExchangeLongPropertyDefault(px, L"LongDefault", longWithDefault, 0));
        ASSERT_TRUE(ExchangeBoolProperty(px, L"Flag", flag, FALSE));
        ASSERT_TRUE(ExchangeByteProperty(px, L"Byte", byteValue, 0));
        ASSERT_TRUE(px->ExchangeValue(L"Float", VT_R4, &floatValue, nullptr));
        ASSERT_TRUE(px->ExchangeValue(L"Double", VT_R8, &doubleValue, nullptr));
        ASSERT_TRUE(ExchangeStringPropertyDefault(px, L"Text", text, L""));
        ASSERT_TRUE(ExchangeRectProperty(px, L"Rect", rect, RECT{}));
        ASSERT_TRUE(ExchangeSizeProperty(px, L"Size", size, SIZE{}));

        BYTE* data = px->IsStoring() ? blob.data() : nullptr;
        DWORD dataSize = static_cast<DWORD>(blob.size());
        // text stores leave an empty block out, and an absent block loads as FALSE
        const BOOL blobExchanged = ExchangeBlobProperty(px, L"Blob", data, dataSize);
        if (px->IsStoring()) {
            ASSERT_TRUE(blobExchanged);
        } else {
            blob.assign(data, blobExchanged && data ? data + dataSize : data);
            std::free(data);
        }

        {
            CXTPPropExchangeSection nested(px->GetSection(L"Nested"));
            ASSERT_TRUE(ExchangeLongPropertyDefault(nested.Get(), L"Value", nestedValue, 0));
        }

        CXTPPropExchangeEnumeratorPtr enumerator(px->GetEnumerator(L"Bar"));
        POSITION position = enumerator->GetPosition(static_cast<DWORD>(bars.size()));
        if (px->IsLoading())
            bars.assign(enumerator->GetCount(), Toolbar{});
        for (size_t i = 0; position; ++i) {
            CXTPPropExchangeSection bar(enumerator->GetNext(position));
            ASSERT_LT(i, bars.size());
            ASSERT_TRUE(ExchangeStringPropertyDefault(bar.Get(), L"Title", bars[i].title, L""));
            ASSERT_TRUE(ExchangeLongPropertyDefault(bar.Get(), L"Width", bars[i].width, 0));
        }
    }
};

void ExpectSame(const Settings& expected, const Settings& actual)
{
    EXPECT_EQ(expected.shortValue, actual.shortValue);
    EXPECT_EQ(expected.longValue, actual.longValue);
    EXPECT_EQ(expected.longWithDefault, actual.longWithDefault);
    EXPECT_EQ(expected.flag, actual.flag);
    EXPECT_EQ(expected.byteValue, actual.byteValue);
    EXPECT_EQ(expected.floatValue, actual.floatValue);
    EXPECT_EQ(expected.doubleValue, actual.doubleValue);
    EXPECT_STREQ(expected.text, actual.text);
    EXPECT_TRUE(EqualRect(&expected.rect, &actual.rect))
        << "rect came back as " << actual.rect.left << "," << actual.rect.top << "," << actual.rect.right << ","
        << actual.rect.bottom;
    EXPECT_EQ(expected.size.cx, actual.size.cx);
    EXPECT_EQ(expected.size.cy, actual.size.cy);
    EXPECT_EQ(expected.blob, actual.blob);
    EXPECT_EQ(expected.nestedValue, actual.nestedValue);
    ASSERT_EQ(expected.bars.size(), actual.bars.size());
    for (size_t i = 0; i < expected.bars.size(); ++i) {
        EXPECT_STREQ(expected.bars[i].title, actual.bars[i].title) << "bar " << i;
        EXPECT_EQ(expected.bars[i].width, actual.bars[i].width) << "bar " << i;
    }
}

// Runs one save and one load of the routine through a store. save and load get the routine to
// run on their exchange.
struct StoreCase {
    const char* name;
    std::function<void(const std::function<void(CXTPPropExchange*)>& save,
                       const std::function<void(CXTPPropExchange*)>& load)> run;
};

void PrintTo(const StoreCase& store, std::ostream* out)
{
    *out << store.name;
}

void RunArchive(const std::function<void(CXTPPropExchange*)>& save, const std::function<void(CXTPPropExchange*)>& load)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        CXTPPropExchangeArchive px(ar);
        save(&px);
        ar.Close();
    }
    CMemFile input(file.Data().data(), static_cast<UINT>(file.Data().size()));
    CArchive ar(&input, CArchive::load);
    CXTPPropExchangeArchive px(ar);
    load(&px);
}

void RunRegistry(const std::function<void(CXTPPropExchange*)>& save, const std::function<void(CXTPPropExchange*)>& load)
{
    ScratchRegistryKey key(L"RoundTrip");
    {
        CXTPPropExchangeSection px(new CXTPPropExchangeRegistry(FALSE, key.Get(), L"Settings"));
        save(px.Get());
    }
    CXTPPropExchangeSection px(new CXTPPropExchangeRegistry(TRUE, key.Get(), L"Settings"));
    load(px.Get());
}

void RunIniFile(const std::function<void(CXTPPropExchange*)>& save, const std::function<void(CXTPPropExchange*)>& load)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"settings.ini";
    {
        CXTPPropExchangeIniFile px(FALSE, nullptr, L"Settings");
        px.AssignFile(path);
        save(&px);
    }
    CXTPPropExchangeIniFile px(TRUE, nullptr, L"Settings");
    px.AssignFile(path);
    load(&px);
}

void RunXml(const std::function<void(CXTPPropExchange*)>& save, const std::function<void(CXTPPropExchange*)>& load)
{
    ComApartment com;
    CString xml;
    {
        CXTPPropExchangeXMLNode px(FALSE, nullptr, L"Settings");
        save(&px);
        xml = px.GetXML();
    }
    ASSERT_FALSE(xml.IsEmpty());
    CXTPPropExchangeXMLNode px(TRUE, nullptr, L"Settings");
    ASSERT_TRUE(px.LoadFromString(testsupport::Utf8(xml.View()).c_str())) << testsupport::Utf8(xml.View());
    load(&px);
}

class PropExchangeRoundTrip : public testing::TestWithParam<StoreCase> {};

TEST_P(PropExchangeRoundTrip, LoadsBackWhatTheSameRoutineSaved)
{
    Settings saved = Settings::Sample();
    Settings loaded;
    loaded.longValue = 99; // no default: must be overwritten by the stored value
    GetParam().run([&](CXTPPropExchange* px) { saved.Exchange(px); },
                   [&](CXTPPropExchange* px) { loaded.Exchange(px); });
    ExpectSame(saved, loaded);
}

TEST_P(PropExchangeRoundTrip, ValuesAtTheirDefaultsLoadAsDefaults)
{
    Settings saved; // everything at its default, no bars
    saved.shortValue = 5;
    Settings loaded = Settings::Sample();
    loaded.longValue = 0;
    GetParam().run([&](CXTPPropExchange* px) { saved.Exchange(px); },
                   [&](CXTPPropExchange* px) { loaded.Exchange(px); });
    EXPECT_EQ(5, loaded.shortValue);
    EXPECT_EQ(0, loaded.longWithDefault);
    EXPECT_EQ(FALSE, loaded.flag);
    EXPECT_STREQ(L"", loaded.text);
    EXPECT_TRUE(loaded.blob.empty());
    EXPECT_EQ(0, loaded.nestedValue);
    EXPECT_TRUE(loaded.bars.empty()) << "an empty list loads " << loaded.bars.size() << " items";
}

INSTANTIATE_TEST_SUITE_P(Stores, PropExchangeRoundTrip,
                         testing::Values(StoreCase{"Archive", RunArchive}, StoreCase{"Registry", RunRegistry},
                                         StoreCase{"IniFile", RunIniFile}, StoreCase{"Xml", RunXml}),
                         [](const testing::TestParamInfo<StoreCase>& info) { return std::string(info.param.name); });

} // namespace
