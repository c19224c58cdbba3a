#include "framework/Profile.h"
#include "framework/Handle.h"
#include "tests/framework/FrameworkTestLibrary.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using testsupport::Utf8;

// A registry key of its own per test (the test cases run as parallel processes in one prefix),
// removed afterwards; and a scratch folder for ini files.
class ProfileTest : public ::testing::Test {
protected:
    ProfileTest()
    {
        static int counter = 0;
        m_key.Format(L"TarnwickTests-%lu-%d", ::GetCurrentProcessId(), ++counter);
    }
    ~ProfileTest() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\" + m_key); }

    const CString& Key() const { return m_key; }
    bool KeyExists(const CString& path) const
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(key);
        return true;
    }

    testsupport::ScratchFolder m_scratch;

private:
    CString m_key;
};

WINDOWPLACEMENT SamplePlacement()
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    placement.flags = WPF_SETMINPOSITION;
    placement.showCmd = SW_SHOWMAXIMIZED;
    placement.ptMinPosition = {-32000, -32000};
    placement.ptMaxPosition = {-1, -1};
    placement.rcNormalPosition = {10, 20, 810, 620};
    return placement;
}

// Written through the profile after the application was renamed, settings still sit under the
// profile name fixed at SetRegistryKey: string 57344 of the program ("FrameworkTests"), not
// either application name.
TEST_F(ProfileTest, SettingsStayUnderTheProfileNameAfterTheApplicationIsRenamed)
{
    CString appName = L"framework_tests";
    CAppProfile profile;
    profile.SetRegistryKey(Key(), appName);
    appName = L"Framework Tests Professional"; // the application's later rename
    EXPECT_EQ("FrameworkTests", Utf8(profile.GetProfileName().View()));
    EXPECT_EQ(Utf8(Key().View()), Utf8(profile.GetRegistryKeyName().View()));

    ASSERT_TRUE(profile.WriteProfileInt(L"Settings", L"Count", 7));
    ASSERT_TRUE(profile.WriteProfileString(L"Settings", L"Name", L"value"));

    const CString expected = L"Software\\" + Key() + L"\\FrameworkTests\\Settings";
    DWORD count = 0;
    DWORD size = sizeof(count);
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueW(HKEY_CURRENT_USER, expected, L"Count", RRF_RT_REG_DWORD, nullptr, &count, &size));
    EXPECT_EQ(7u, count);
    wchar_t text[32] = {};
    size = sizeof(text);
    ASSERT_EQ(ERROR_SUCCESS, ::RegGetValueW(HKEY_CURRENT_USER, expected, L"Name", RRF_RT_REG_SZ, nullptr, text, &size));
    EXPECT_STREQ(L"value", text);
    EXPECT_FALSE(KeyExists(L"Software\\" + Key() + L"\\framework_tests"));
    EXPECT_FALSE(KeyExists(L"Software\\" + Key() + L"\\" + appName));

    UniqueRegKey app(profile.GetAppRegistryKey());
    ASSERT_TRUE(app.IsValid());
    UniqueRegKey section(profile.GetSectionKey(L"Settings"));
    ASSERT_TRUE(section.IsValid());
    count = 0;
    size = sizeof(count);
    EXPECT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(section.Get(), L"Count", nullptr, nullptr,
                                                reinterpret_cast<BYTE*>(&count), &size));
    EXPECT_EQ(7u, count);
}

// Without string 57344 (inside the test library, whose resources lack it) the application name
// of that moment becomes the profile name.
TEST_F(ProfileTest, ProfileNameFallsBackToTheApplicationName)
{
    UniqueModule library(::LoadLibraryW((testsupport::ModuleFolder() + L"\\framework_test_library.dll").GetString()));
    ASSERT_TRUE(library.IsValid());
    auto profileName = reinterpret_cast<LibraryProfileNameFn>(
        reinterpret_cast<void*>(::GetProcAddress(library.Get(), "LibraryProfileName")));
    ASSERT_NE(nullptr, profileName);
    wchar_t name[64] = {};
    profileName(Key(), L"My Application", name, 64);
    EXPECT_STREQ(L"My Application", name);
}

// The same values round-trip in both stores; in the ini file too, text outside the ANSI code page
// (which the system's routines would write to a new file as '?').
TEST_F(ProfileTest, ValuesRoundTripInRegistryAndIniFile)
{
    for (const bool registry : {true, false}) {
        SCOPED_TRACE(registry ? "registry" : "ini file");
        CAppProfile profile;
        if (registry)
            profile.SetRegistryKey(Key(), L"app");
        else
            profile.SetIniFile(m_scratch / L"settings.ini");

        for (const int value : {0, 1, -5, 0x7FFFFFFF, static_cast<int>(0x80000000)}) {
            ASSERT_TRUE(profile.WriteProfileInt(L"Numbers", L"Value", value));
            EXPECT_EQ(static_cast<UINT>(value), profile.GetProfileInt(L"Numbers", L"Value", 99)) << value;
        }
        EXPECT_EQ(99u, profile.GetProfileInt(L"Numbers", L"Missing", 99));
        EXPECT_EQ(99u, profile.GetProfileInt(L"No Section", L"Value", 99));

        for (const CString& text : {CString(L"plain"), CString(L"with = and ; and [brackets]"),
                                    CString(L"\x00e9\x4e2d\x0416"),
                                    CString(std::wstring(5000, L'x'))}) { // longer than one ini read buffer
            ASSERT_TRUE(profile.WriteProfileString(L"Texts", L"Value", text));
            EXPECT_EQ(Utf8(text.View()), Utf8(profile.GetProfileString(L"Texts", L"Value").View()));
        }
        EXPECT_EQ("fallback", Utf8(profile.GetProfileString(L"Texts", L"Missing", L"fallback").View()));
        EXPECT_EQ("", Utf8(profile.GetProfileString(L"Texts", L"Missing").View()));

        // A window placement is saved as one 44-byte binary value.
        const WINDOWPLACEMENT placement = SamplePlacement();
        static_assert(sizeof(WINDOWPLACEMENT) == 44);
        ASSERT_TRUE(profile.WriteProfileBinary(L"Window", L"Placement", &placement, sizeof(placement)));
        std::vector<BYTE> back;
        ASSERT_TRUE(profile.GetProfileBinary(L"Window", L"Placement", back));
        ASSERT_EQ(44u, back.size());
        EXPECT_EQ(0, std::memcmp(&placement, back.data(), back.size())) << testsupport::Hex(back);
        EXPECT_FALSE(profile.GetProfileBinary(L"Window", L"Missing", back));
        EXPECT_TRUE(back.empty());

        // Deleting an entry, then a whole section; deleting what is gone succeeds.
        ASSERT_TRUE(profile.WriteProfileString(L"Texts", L"Value", nullptr));
        EXPECT_EQ("gone", Utf8(profile.GetProfileString(L"Texts", L"Value", L"gone").View()));
        EXPECT_TRUE(profile.WriteProfileString(L"Texts", L"Value", nullptr));
        ASSERT_TRUE(profile.WriteProfileString(L"Numbers", nullptr, nullptr));
        EXPECT_EQ(42u, profile.GetProfileInt(L"Numbers", L"Value", 42));
        EXPECT_TRUE(profile.WriteProfileString(L"Numbers", nullptr, nullptr));
    }
}

TEST_F(ProfileTest, ValueOfAnotherTypeReadsAsMissing)
{
    CAppProfile profile;
    profile.SetRegistryKey(Key(), L"app");
    ASSERT_TRUE(profile.WriteProfileString(L"Mixed", L"Text", L"12"));
    ASSERT_TRUE(profile.WriteProfileInt(L"Mixed", L"Number", 12));
    EXPECT_EQ(5u, profile.GetProfileInt(L"Mixed", L"Text", 5));
    EXPECT_EQ("d", Utf8(profile.GetProfileString(L"Mixed", L"Number", L"d").View()));
    std::vector<BYTE> data;
    EXPECT_FALSE(profile.GetProfileBinary(L"Mixed", L"Text", data));
}

TEST_F(ProfileTest, ReadingCreatesNoKeys)
{
    CAppProfile profile;
    profile.SetRegistryKey(Key(), L"app");
    std::vector<BYTE> data;
    EXPECT_EQ(3u, profile.GetProfileInt(L"Ghost", L"Value", 3));
    EXPECT_EQ("", Utf8(profile.GetProfileString(L"Ghost", L"Value").View()));
    EXPECT_FALSE(profile.GetProfileBinary(L"Ghost", L"Value", data));
    EXPECT_FALSE(KeyExists(L"Software\\" + Key()));
}

// Without a registry key the settings go to the ini file, in its ordinary text form; binary bytes
// as letter pairs (low nibble first).
TEST_F(ProfileTest, WithoutRegistryKeyTheIniFileIsWritten)
{
    CAppProfile profile;
    EXPECT_FALSE(profile.UsesRegistry());
    const CString beside = profile.GetIniFile();
    EXPECT_EQ(Utf8((testsupport::ModuleFolder() + L"\\framework_tests.ini").View()), Utf8(beside.View()));

    const CString file = m_scratch / L"app.ini";
    profile.SetIniFile(file);
    ASSERT_TRUE(profile.WriteProfileInt(L"Settings", L"Count", -7));
    ASSERT_TRUE(profile.WriteProfileString(L"Settings", L"Name", L"value"));
    const BYTE bytes[] = {0x12, 0xAB, 0x00, 0xFF};
    ASSERT_TRUE(profile.WriteProfileBinary(L"Settings", L"Blob", bytes, sizeof(bytes)));

    // UTF-16 with its byte-order mark, so that any text survives (see the next test).
    std::vector<uint8_t> raw;
    ASSERT_TRUE(testsupport::ReadAllBytes(file, raw));
    ASSERT_GE(raw.size(), 2u);
    ASSERT_EQ(0xFF, raw[0]);
    ASSERT_EQ(0xFE, raw[1]);
    std::string text = Utf8(std::wstring_view(reinterpret_cast<const wchar_t*>(raw.data() + 2), (raw.size() - 2) / 2));
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    EXPECT_NE(std::string::npos, text.find("[Settings]\n")) << text;
    EXPECT_NE(std::string::npos, text.find("Count=-7\n")) << text;
    EXPECT_NE(std::string::npos, text.find("Name=value\n")) << text;
    EXPECT_NE(std::string::npos, text.find("Blob=CBLKAAPP\n")) << text;
    EXPECT_FALSE(KeyExists(L"Software\\" + Key()));

    // A damaged binary value reads as missing.
    ASSERT_TRUE(profile.WriteProfileString(L"Settings", L"Blob", L"CBZ"));
    std::vector<BYTE> back;
    EXPECT_FALSE(profile.GetProfileBinary(L"Settings", L"Blob", back));
}

} // namespace
