// The ini-file store, checked against the file's own text and the profile functions.

#include "tests/support/TestSupport.h"
#include "tests/toolkit/foundation/ExchangeTestSupport.h"
#include "toolkit/foundation/XTPPropExchangeIniFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <vector>

using namespace exchangetests;

namespace {

bool HasSection(const CString& path, const wchar_t* section)
{
    wchar_t names[4096] = {};
    GetPrivateProfileSectionNamesW(names, 4096, path);
    for (const wchar_t* name = names; *name; name += wcslen(name) + 1) {
        if (CString(name) == section)
            return true;
    }
    return false;
}

TEST(PropExchangeIniFile, SectionsNestWithBackslashesAndValuesAreText)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"layout.ini";
    {
        CXTPPropExchangeIniFile px(FALSE, nullptr, L"Bars");
        px.AssignFile(path);
        short s = -1;
        CString text = L"C:\\dir\tx";
        ExchangeShortProperty(&px, L"Short", s, 0);
        ExchangeStringProperty(&px, L"Text", text);
        CXTPPropExchangeSection bar(px.GetSection(L"Bar0"));
        SIZE size = {16, 15};
        ExchangeSizeProperty(bar.Get(), L"Size", size, SIZE{});
    }
    const std::string text = ReadIniText(path);
    EXPECT_NE(std::string::npos, text.find("[Bars]")) << text;
    EXPECT_NE(std::string::npos, text.find("Short=65535")) << text;
    EXPECT_NE(std::string::npos, text.find("Text=C:\\\\dir\\tx")) << text;
    EXPECT_NE(std::string::npos, text.find("[Bars\\Bar0]")) << text;
    EXPECT_NE(std::string::npos, text.find("Size=16, 15")) << text;
}

TEST(PropExchangeIniFile, EmptyingASectionTakesItsNestedSectionsOnly)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"empty.ini";
    WritePrivateProfileStringW(L"Bars", L"A", L"1", path);
    WritePrivateProfileStringW(L"Bars\\Bar0", L"A", L"1", path);
    WritePrivateProfileStringW(L"Bars\\Bar0\\Deep", L"A", L"1", path);
    WritePrivateProfileStringW(L"BarsExtra", L"A", L"1", path);
    WritePrivateProfileStringW(L"bars", L"B", L"1", path);

    CXTPPropExchangeIniFile px(FALSE, nullptr, L"Bars");
    px.AssignFile(path);
    px.EmptySection();
    EXPECT_FALSE(HasSection(path, L"Bars"));
    EXPECT_FALSE(HasSection(path, L"Bars\\Bar0"));
    EXPECT_FALSE(HasSection(path, L"Bars\\Bar0\\Deep"));
    EXPECT_TRUE(HasSection(path, L"BarsExtra"));

    // after emptying, a value equal to its default has nothing to delete
    long zero = 0;
    EXPECT_TRUE(ExchangeLongPropertyDefault(&px, L"A", zero, 0));
    long one = 1;
    EXPECT_TRUE(ExchangeLongPropertyDefault(&px, L"A", one, 0));
    EXPECT_EQ(1u, GetPrivateProfileIntW(L"Bars", L"A", 0, path));
}

TEST(PropExchangeIniFile, DefaultsAndEmptyKeys)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"defaults.ini";
    WritePrivateProfileStringW(L"S", L"Empty", L"", path);
    WritePrivateProfileStringW(L"S", L"Stale", L"5", path);

    CXTPPropExchangeIniFile load(TRUE, nullptr, L"S");
    load.AssignFile(path);
    long value = 0;
    EXPECT_TRUE(ExchangeLongPropertyDefault(&load, L"Empty", value, 9));
    EXPECT_EQ(9, value) << "a key with an empty value loads the default";
    long untouched = 4;
    EXPECT_FALSE(ExchangeLongProperty(&load, L"Absent", untouched));
    EXPECT_EQ(4, untouched);
    load.m_bUseDefaultOnLoad = FALSE;
    EXPECT_FALSE(ExchangeLongPropertyDefault(&load, L"Absent", untouched, 9));
    EXPECT_EQ(4, untouched) << "with defaults off an absent value leaves the variable";

    CXTPPropExchangeIniFile save(FALSE, nullptr, L"S");
    save.AssignFile(path);
    long zero = 0;
    EXPECT_TRUE(ExchangeLongPropertyDefault(&save, L"Stale", zero, 0));
    wchar_t stored[16] = {};
    EXPECT_EQ(0u, GetPrivateProfileStringW(L"S", L"Stale", L"", stored, 16, path))
        << "the assigned file's value equal to its default is deleted";
    save.m_bUseDefaultOnSave = FALSE;
    EXPECT_TRUE(ExchangeLongPropertyDefault(&save, L"Stale", zero, 0));
    EXPECT_EQ(0u, GetPrivateProfileIntW(L"S", L"Stale", 7, path)) << "with defaults off the value is written";
}

TEST(PropExchangeIniFile, LongValuesLoadBackWhole)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"long.ini";
    for (const DWORD size : {127u, 128u, 7999u, 8000u, 40000u}) {
        std::vector<BYTE> bytes(size);
        for (DWORD i = 0; i < size; ++i)
            bytes[i] = static_cast<BYTE>(i * 7 + 3);
        {
            CXTPPropExchangeIniFile px(FALSE, nullptr, L"S");
            px.AssignFile(path);
            ASSERT_TRUE(px.WriteBytes(L"Blob", bytes.data(), size)) << size;
        }
        CXTPPropExchangeIniFile px(TRUE, nullptr, L"S");
        px.AssignFile(path);
        BYTE* data = nullptr;
        DWORD loadedSize = 0;
        ASSERT_TRUE(ExchangeBlobProperty(&px, L"Blob", data, loadedSize)) << "block of " << size << " bytes";
        EXPECT_EQ(bytes, std::vector<BYTE>(data, data + loadedSize)) << "block of " << size << " bytes";
        std::free(data);
    }
}

TEST(PropExchangeIniFile, BlanksAndQuotesAroundATextSurvive)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"quotes.ini";
    const wchar_t* texts[] = {L"  padded  ", L"\"quoted\"", L"'single'", L" ", L"\"", L"in \"the\" middle", L"plain"};
    {
        CXTPPropExchangeIniFile px(FALSE, nullptr, L"S");
        px.AssignFile(path);
        for (size_t i = 0; i < std::size(texts); ++i) {
            CString name;
            name.Format(L"T%u", static_cast<unsigned>(i));
            CString text = texts[i];
            ASSERT_TRUE(ExchangeStringProperty(&px, name, text));
        }
    }
    EXPECT_NE(std::string::npos, ReadIniText(path).find("T6=plain")) << "texts that need no quotes get none";
    CXTPPropExchangeIniFile px(TRUE, nullptr, L"S");
    px.AssignFile(path);
    for (size_t i = 0; i < std::size(texts); ++i) {
        CString name;
        name.Format(L"T%u", static_cast<unsigned>(i));
        CString loaded;
        ASSERT_TRUE(ExchangeStringProperty(&px, name, loaded)) << i;
        EXPECT_STREQ(texts[i], loaded) << "text " << i;
    }
}

TEST(PropExchangeIniFile, ATemporaryFileLivesAsLongAsTheRootExchange)
{
    CString fileName;
    {
        CXTPPropExchangeIniFile px(FALSE, nullptr, L"S");
        long zero = 0;
        ASSERT_TRUE(ExchangeLongPropertyDefault(&px, L"V", zero, 0)) << "nothing to delete in a fresh file";
        long one = 1;
        ASSERT_TRUE(ExchangeLongPropertyDefault(&px, L"V", one, 0));
        fileName = px.GetFileName();
        ASSERT_FALSE(fileName.IsEmpty());
        EXPECT_TRUE(testsupport::FileExists(fileName));
        {
            CXTPPropExchangeSection section(px.GetSection(L"Child"));
            ExchangeLongPropertyDefault(section.Get(), L"V", one, 0);
        }
        EXPECT_TRUE(testsupport::FileExists(fileName)) << "a section never deletes the file";
        EXPECT_EQ(1u, GetPrivateProfileIntW(L"S\\Child", L"V", 0, fileName));
    }
    EXPECT_FALSE(testsupport::FileExists(fileName));

    testsupport::ScratchFolder folder;
    const CString assigned = folder / L"kept.ini";
    {
        CXTPPropExchangeIniFile px(FALSE, nullptr, L"S");
        px.AssignFile(assigned);
        long one = 1;
        ExchangeLongProperty(&px, L"V", one);
    }
    EXPECT_TRUE(testsupport::FileExists(assigned));
}

} // namespace
