#include "engine/model/GuidText.h"

#include "tests/engine/model/ModelTestSupport.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace {

bool IsUpperHex(wchar_t ch)
{
    return (ch >= L'0' && ch <= L'9') || (ch >= L'A' && ch <= L'F');
}

TEST(GuidText, BracedFormIsTheRegistryFormInUpperCase)
{
    const CString guid = NewGuidString();
    ASSERT_EQ(38, guid.GetLength()) << testsupport::Utf8(guid.View());
    for (int i = 0; i < guid.GetLength(); ++i) {
        const wchar_t ch = guid[i];
        if (i == 0)
            EXPECT_EQ(L'{', ch) << testsupport::Utf8(guid.View());
        else if (i == 37)
            EXPECT_EQ(L'}', ch) << testsupport::Utf8(guid.View());
        else if (i == 9 || i == 14 || i == 19 || i == 24)
            EXPECT_EQ(L'-', ch) << "at " << i << " of " << testsupport::Utf8(guid.View());
        else
            EXPECT_TRUE(IsUpperHex(ch)) << "at " << i << " of " << testsupport::Utf8(guid.View());
    }
    EXPECT_NE(guid, NewGuidString()) << "two new GUIDs must differ";
}

TEST(GuidText, BareFormIs32UpperHexDigits)
{
    const CString bare = NewGuidStringBare();
    ASSERT_EQ(32, bare.GetLength()) << testsupport::Utf8(bare.View());
    for (int i = 0; i < bare.GetLength(); ++i)
        EXPECT_TRUE(IsUpperHex(bare[i])) << "at " << i << " of " << testsupport::Utf8(bare.View());
    EXPECT_NE(bare, NewGuidStringBare());
}

TEST(GuidText, StripGuidPunctuationRemovesOnlyBracesAndDashes)
{
    struct Case { const wchar_t* text; const wchar_t* expected; };
    const Case cases[] = {
        {L"{3F2504E0-4F89-11D3-9A0C-0305E82C3301}", L"3F2504E04F8911D39A0C0305E82C3301"},
        {L"3F2504E04F8911D39A0C0305E82C3301", L"3F2504E04F8911D39A0C0305E82C3301"},
        {L"{a-b}{-}c_d", L"abc_d"},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CString(c.expected), StripGuidPunctuation(c.text)) << testsupport::Utf8(c.text);
}

HRESULT WINAPI FailingSource(GUID*)
{
    return RPC_E_CHANGED_MODE;
}

HRESULT WINAPI FixedSource(GUID* guid)
{
    *guid = GUID{0x3F2504E0, 0x4F89, 0x11D3, {0x9A, 0x0C, 0x03, 0x05, 0xE8, 0x2C, 0x33, 0x01}};
    return S_OK;
}

TEST(GuidText, FailedCreationGivesEmptyTexts)
{
    const CString braced = guidtext_detail::NewGuidStringFrom(&FailingSource);
    EXPECT_TRUE(braced.IsEmpty()) << "got " << testsupport::Utf8(braced.View());
    EXPECT_TRUE(StripGuidPunctuation(braced).IsEmpty());
    EXPECT_EQ(CString(L"{3F2504E0-4F89-11D3-9A0C-0305E82C3301}"), guidtext_detail::NewGuidStringFrom(&FixedSource));
}

} // namespace
