// The registry store, checked against what RegQueryValueEx sees under a scratch HKCU key.

#include "tests/toolkit/foundation/ExchangeTestSupport.h"
#include "toolkit/foundation/XTPPropExchangeRegistry.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace exchangetests;

namespace {

DWORD AsDword(const RegistryValue& value)
{
    DWORD number = 0;
    std::memcpy(&number, value.bytes.data(), std::min<size_t>(value.bytes.size(), sizeof(number)));
    return number;
}

CString AsText(const RegistryValue& value)
{
    return CString(reinterpret_cast<const wchar_t*>(value.bytes.data()));
}

TEST(PropExchangeRegistry, ValuesGetTheirRegistryTypes)
{
    ScratchRegistryKey key(L"Types");
    {
        CXTPPropExchangeRegistry px(FALSE, key.Get(), L"Section");
        short s = -1;
        float f = 2.5f;
        double d = 0.125;
        CString text = L"line\r\nbreak";
        RECT rect = {1, 2, 3, 4};
        ExchangeShortProperty(&px, L"Short", s, 0);
        ASSERT_TRUE(px.ExchangeValue(L"Float", VT_R4, &f, nullptr));
        ASSERT_TRUE(px.ExchangeValue(L"Double", VT_R8, &d, nullptr));
        ExchangeStringProperty(&px, L"Text", text);
        ExchangeRectProperty(&px, L"Rect", rect, RECT{});
        XTP_DATETIME date;
        EXPECT_FALSE(px.ExchangeValue(L"Date", VT_DATE, &date, nullptr)) << "dates are not kept in the registry";
        CXTPPropExchangeSection nested(px.GetSection(L"Nested"));
        long n = 1;
        ExchangeLongProperty(nested.Get(), L"N", n);
    }
    const CString section = key.Path() + L"\\Section";
    const RegistryValue s = ReadRegistryValue(HKEY_CURRENT_USER, section, L"Short");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), s.type);
    EXPECT_EQ(65535u, AsDword(s));
    const RegistryValue f = ReadRegistryValue(HKEY_CURRENT_USER, section, L"Float");
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), f.type);
    EXPECT_EQ(4u, f.bytes.size());
    EXPECT_EQ(8u, ReadRegistryValue(HKEY_CURRENT_USER, section, L"Double").bytes.size());
    const RegistryValue text = ReadRegistryValue(HKEY_CURRENT_USER, section, L"Text");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), text.type);
    EXPECT_STREQ(L"line\r\nbreak", AsText(text)) << "the registry keeps texts without escapes";
    EXPECT_STREQ(L"1, 2, 3, 4", AsText(ReadRegistryValue(HKEY_CURRENT_USER, section, L"Rect")));
    EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, section, L"Date").present);
    EXPECT_EQ(1u, AsDword(ReadRegistryValue(HKEY_CURRENT_USER, section + L"\\Nested", L"N")));

    CXTPPropExchangeRegistry px(TRUE, key.Get(), L"Section");
    short s16 = 0;
    float f32 = 0;
    double f64 = 0;
    ExchangeShortProperty(&px, L"Short", s16, 0);
    EXPECT_EQ(-1, s16);
    EXPECT_TRUE(px.ExchangeValue(L"Float", VT_R4, &f32, nullptr));
    EXPECT_EQ(2.5f, f32) << "floats load back what was saved";
    EXPECT_TRUE(px.ExchangeValue(L"Double", VT_R8, &f64, nullptr));
    EXPECT_EQ(0.125, f64);
}

TEST(PropExchangeRegistry, ForeignValuesLoadWhatFitsOrTheDefault)
{
    ScratchRegistryKey key(L"Foreign");
    HKEY section = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(key.Get(), L"S", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &section, nullptr));
    UniqueRegKey owned(section);
    const ULONGLONG big = 0x100000001ull;
    RegSetValueExW(section, L"Qword", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&big), sizeof(big));
    const DWORD word = 0x00020003;
    RegSetValueExW(section, L"Word", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&word), sizeof(word));
    const float wrongSize = 1.0f;
    RegSetValueExW(section, L"Double", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&wrongSize), sizeof(wrongSize));
    const wchar_t rect[] = L"1,2,3";
    RegSetValueExW(section, L"Rect", 0, REG_SZ, reinterpret_cast<const BYTE*>(rect), sizeof(rect));
    // a text without its terminating zero
    RegSetValueExW(section, L"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 3 * sizeof(wchar_t));

    CXTPPropExchangeRegistry px(TRUE, key.Get(), L"S");
    long value = 0;
    EXPECT_TRUE(ExchangeLongPropertyDefault(&px, L"Qword", value, 77));
    EXPECT_EQ(77, value) << "an 8-byte value is not a 32-bit integer";
    short low = 0;
    ExchangeShortProperty(&px, L"Word", low, 0);
    EXPECT_EQ(3, low) << "the low bytes that a short needs";
    double d = 0;
    const double defaultDouble = 9.5;
    EXPECT_TRUE(px.ExchangeValue(L"Double", VT_R8, &d, &defaultDouble));
    EXPECT_EQ(9.5, d) << "a 4-byte block is no double";
    RECT r = {};
    ExchangeRectProperty(&px, L"Rect", r, RECT{7, 7, 7, 7});
    EXPECT_EQ(7, r.left);
    CString bare;
    ExchangeStringProperty(&px, L"Bare", bare);
    EXPECT_STREQ(L"abc", bare);
    long untouched = 5;
    EXPECT_FALSE(ExchangeLongProperty(&px, L"Absent", untouched));
    EXPECT_EQ(5, untouched);
}

TEST(PropExchangeRegistry, DefaultsDeleteStoredValuesUntilTheSectionIsEmptied)
{
    ScratchRegistryKey key(L"Defaults");
    const CString section = key.Path() + L"\\S";
    {
        CXTPPropExchangeRegistry px(FALSE, key.Get(), L"S");
        long one = 1;
        ExchangeLongPropertyDefault(&px, L"Value", one, 0);
        CXTPPropExchangeSection child(px.GetSection(L"Child"));
        ExchangeLongPropertyDefault(child.Get(), L"Value", one, 0);
    }
    ASSERT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, section, L"Value").present);
    {
        CXTPPropExchangeRegistry px(FALSE, key.Get(), L"S");
        long zero = 0;
        EXPECT_TRUE(ExchangeLongPropertyDefault(&px, L"Value", zero, 0));
    }
    EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, section, L"Value").present) << "a default removes the value";

    CXTPPropExchangeRegistry px(FALSE, key.Get(), L"S");
    px.EmptySection();
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, section)) << "the section key and its subkeys go";
    long zero = 0;
    EXPECT_TRUE(ExchangeLongPropertyDefault(&px, L"Value", zero, 0));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, section)) << "the next value makes the key again";
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, section + L"\\Child"));
}

TEST(PropExchangeRegistry, WithoutAKeyLoadsGiveDefaultsAndSavesFail)
{
    CXTPPropExchangeRegistry::SetApplicationKey(L"");
    CXTPPropExchangeRegistry save(FALSE, nullptr, L"S");
    long value = 3;
    EXPECT_FALSE(ExchangeLongPropertyDefault(&save, L"V", value, 0));
    CXTPPropExchangeSection section(save.GetSection(L"Child"));
    EXPECT_FALSE(ExchangeLongPropertyDefault(section.Get(), L"V", value, 0));

    CXTPPropExchangeRegistry load(TRUE, nullptr, L"S");
    EXPECT_TRUE(ExchangeLongPropertyDefault(&load, L"V", value, 8));
    EXPECT_EQ(8, value);
}

TEST(PropExchangeRegistry, ANullParentMeansTheApplicationKey)
{
    ScratchRegistryKey key(L"Application");
    CXTPPropExchangeRegistry::SetApplicationKey(key.Path());
    {
        CXTPPropExchangeRegistry px(FALSE, nullptr, L"CommandBars");
        long value = 12;
        ASSERT_TRUE(ExchangeLongProperty(&px, L"Value", value));
    }
    CXTPPropExchangeRegistry::SetApplicationKey(L"");
    EXPECT_EQ(12u, AsDword(ReadRegistryValue(HKEY_CURRENT_USER, key.Path() + L"\\CommandBars", L"Value")));
}

TEST(PropExchangeRegistry, BlobsAreBinaryValues)
{
    ScratchRegistryKey key(L"Blob");
    {
        CXTPPropExchangeRegistry px(FALSE, key.Get(), L"S");
        BYTE bytes[] = {1, 2, 3, 4, 5};
        ASSERT_TRUE(px.WriteBytes(L"Blob", bytes, sizeof(bytes)));
    }
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), ReadRegistryValue(HKEY_CURRENT_USER, key.Path() + L"\\S", L"Blob").type);
    CXTPPropExchangeRegistry px(TRUE, key.Get(), L"S");
    BYTE small[4] = {};
    EXPECT_EQ(0u, px.ReadBytes(L"Blob", small, sizeof(small)));
    BYTE fits[8] = {};
    EXPECT_EQ(5u, px.ReadBytes(L"Blob", fits, sizeof(fits)));
    EXPECT_EQ(5, fits[4]);
}

} // namespace
