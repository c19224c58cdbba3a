#include "engine/files/FileVersionInfo.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A module loaded as data only, as a resource reader may see it.
UniqueModule LoadAsData(const wchar_t* fixture)
{
    UniqueModule module(LoadLibraryExW(testsupport::FixturePath(fixture), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    EXPECT_TRUE(module) << "cannot load fixture, error " << GetLastError();
    return module;
}

TEST(CFileVersionInfo, ReadsTheStringsUnderTheTranslation)
{
    for (const wchar_t* fixture : {L"resources-x86_64.exe", L"resources-i686.exe"}) {
        UniqueModule module = LoadAsData(fixture);
        ASSERT_TRUE(module);
        const CFileVersionInfo info(module.Get());
        EXPECT_EQ(CString(L"3.6.0.1"), info.GetFileVersion()) << fixture << ": written \"3, 6, 0, 1\"";
        EXPECT_EQ(CString(L"3.6.0"), info.GetProductVersion()) << fixture << ": written with blanks around it";
        EXPECT_EQ(CString(L"Morvalund"), info.GetStringValue(L"CompanyName")) << fixture;
        EXPECT_TRUE(info.GetStringValue(L"LegalCopyright").IsEmpty()) << fixture;
    }
}

TEST(CFileVersionInfo, FallsBackToTheUserLanguageWithoutATranslation)
{
    if (GetUserDefaultLangID() != 0x0409)
        GTEST_SKIP() << "the fixture's block is 040904B0; this user's language is " << GetUserDefaultLangID();
    UniqueModule module = LoadAsData(L"version-no-translation.exe");
    ASSERT_TRUE(module);
    const CFileVersionInfo info(module.Get());
    EXPECT_EQ(CString(L"1.2.3.4"), info.GetFileVersion());
    EXPECT_TRUE(info.GetProductVersion().IsEmpty()) << "not in the block";
}

TEST(CFileVersionInfo, AModuleWithoutAVersionBlockGivesEmptyTexts)
{
    UniqueModule module = LoadAsData(L"console-x86_64.exe");
    ASSERT_TRUE(module);
    const CFileVersionInfo info(module.Get());
    EXPECT_TRUE(info.GetFileVersion().IsEmpty());
    EXPECT_TRUE(info.GetProductVersion().IsEmpty());
    EXPECT_TRUE(CFileVersionInfo().GetFileVersion().IsEmpty()) << "the test program has no version block";
}

TEST(CFileVersionInfo, FormatVersion)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    } cases[] = {
        {L"3.6.0", L"3.6.0"},
        {L"3, 6, 0, 1", L"3.6.0.1"},
        {L" 1 ,2 , 3  ", L"1.2.3"},
        {L"4.0 \t", L"4.0"},
        {L"", L""},
        {L"1,,2", L"1..2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CString(c.expected), CFileVersionInfo::FormatVersion(c.text)) << "\"" << c.text << "\"";
}

} // namespace
