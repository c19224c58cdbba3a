// The registry editor's window-free rules: the texts that the value dialog accepts per type, how
// values show in the list, the names of new values, and the key names the key dialog accepts.

#include "RegistryRecords.h"

#include "app/registry/RegistryRules.h"

#include "resources/app/AppResource.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::Utf8;

namespace {

const wchar_t kSoftware[] = L"HKEY_CURRENT_USER\\Software\\";

} // namespace

TEST(RegistryValueTypes, EachTypeHasItsTextImageCommandAndNewData)
{
    struct Row {
        int type;
        const wchar_t* text;
        int image;
        UINT command;
        const wchar_t* data;
    };
    const Row rows[] = {
        {0, L"String", 2, ID_REG_NEW_STRING, L""},
        {1, L"Expandable String", 2, ID_REG_NEW_EXPAND_STRING, L""},
        {2, L"REG_MULTI_SZ", 2, ID_REG_NEW_MULTI_STRING, L""},
        {3, L"Binary", 3, ID_REG_NEW_BINARY, L""},
        {4, L"Dword", 3, ID_REG_NEW_DWORD, L"0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.text));
        const RegistryValueTypeRow& shown = ValueTypeRow(row.type);
        EXPECT_STREQ(row.text, shown.typeText);
        EXPECT_EQ(row.image, shown.image);
        EXPECT_EQ(row.command, shown.newCommand);
        EXPECT_STREQ(row.data, shown.newValue);
        EXPECT_EQ(row.type, ValueTypeOfCommand(row.command));
    }
    // a type from elsewhere shows as a string; other commands make no value
    EXPECT_STREQ(L"String", ValueTypeRow(7).typeText);
    EXPECT_EQ(2, ValueTypeRow(-1).image);
    EXPECT_EQ(-1, ValueTypeOfCommand(ID_REG_RENAME));
    EXPECT_EQ(-1, ValueTypeOfCommand(ID_REG_NEW_KEY));
}

TEST(RegistryValueText, BinaryTextsTakeOnlyHexadecimalDigits)
{
    struct Row {
        const wchar_t* text;
        bool accepted;
    };
    const Row rows[] = {
        {L"0aFF", true},
        {L"", true},            // no data at all
        {L"abc", true},         // an odd count of digits
        {L"0123456789abcdefABCDEF", true},
        {L"0x0A", false},       // the x
        {L"0a FF", false},      // a space inside
        {L" 0a", false},        // a space before
        {L"0g", false},
        {L"-1", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.accepted, IsBinaryText(row.text)) << Utf8(row.text);
}

TEST(RegistryValueText, DwordTextsAreUnsigned32BitNumbersStoredInDecimal)
{
    struct Row {
        const wchar_t* text;
        const wchar_t* stored;    // null: refused
    };
    const Row rows[] = {
        {L"0", L"0"},
        {L"4294967295", L"4294967295"},
        {L"2147483648", L"2147483648"},   // past the signed range
        {L" 12 ", L"12"},
        {L"007", L"7"},
        {L"4294967296", nullptr},         // 33 bits
        {L"99999999999999999999", nullptr},
        {L"-1", nullptr},                 // typed, a sign is refused
        {L"abc", nullptr},
        {L"", nullptr},
        {L"0x10", nullptr},
        {L"1 2", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.text));
        CString stored = L"unchanged";
        const bool accepted = ParseDwordText(row.text, &stored);
        EXPECT_EQ(row.stored != nullptr, accepted);
        if (row.stored) {
            EXPECT_EQ(CString(row.stored), stored);
        }
    }
}

TEST(RegistryValueText, CapturedNegativeDwordsShowAsTheirUnsignedEqual)
{
    struct Row {
        const wchar_t* stored;
        const wchar_t* shown;
    };
    const Row rows[] = {
        {L"-1", L"4294967295"},
        {L"-2147483648", L"2147483648"},
        {L"0", L"0"},
        {L"4294967295", L"4294967295"},
        {L"", L""},
        {L"-x", L"-x"},     // not a number: shown as it is, and the dialog refuses it
    };
    for (const Row& row : rows)
        EXPECT_EQ(CString(row.shown), ShownDwordText(row.stored)) << Utf8(row.stored);
    // what the box shows for a captured value passes the box's own check unchanged
    CString stored;
    EXPECT_TRUE(ParseDwordText(ShownDwordText(L"-1"), &stored));
    EXPECT_EQ(CString(L"4294967295"), stored);
    EXPECT_EQ(CString(L"4294967295"), ShownValueText(Value(kSoftware, L"d", CRegistryEntry::typeDword, L"-1")));
}

TEST(RegistryValueText, MultiStringsJoinTheirLinesWithTheSeparator)
{
    EXPECT_EQ(CString(L"one[~]two"), LinesToMultiString(L"one\r\ntwo"));
    EXPECT_EQ(CString(L"one\r\ntwo"), MultiStringToLines(L"one[~]two"));
    EXPECT_EQ(CString(L"one[~][~]three"), LinesToMultiString(MultiStringToLines(L"one[~][~]three")));
    EXPECT_EQ(CString(L"one two"), ShownValueText(Value(kSoftware, L"m", CRegistryEntry::typeMultiString, L"one[~]two")));
    EXPECT_EQ(CString(L"a b"), ShownValueText(Value(kSoftware, L"m", CRegistryEntry::typeMultiString, L"a[~]b")));
    // only a multi-string's separator is a separator
    EXPECT_EQ(CString(L"a[~]b"), ShownValueText(Value(kSoftware, L"s", CRegistryEntry::typeString, L"a[~]b")));
}

TEST(RegistryValueText, TheDefaultValueShowsItsOwnName)
{
    EXPECT_EQ(CString(L"(Default)"), ValueNameForRow(L""));
    EXPECT_EQ(CString(L"Path"), ValueNameForRow(L"Path"));
    EXPECT_EQ(CString(), ValueNameFromRow(L"(Default)"));
    EXPECT_EQ(CString(L"Path"), ValueNameFromRow(L"Path"));
}

TEST(RegistryNewValueName, TakesTheSmallestNumberNoValueOfTheKeyHas)
{
    CRegistryEntries records;
    EXPECT_EQ(CString(L"New Value #1"), NewValueName(records, kSoftware));
    records.Add(Value(kSoftware, L"New Value #1"));
    records.Add(Value(kSoftware, L"New Value #2"));
    records.Add(Value(kSoftware, L"New Value #3"));
    EXPECT_EQ(CString(L"New Value #4"), NewValueName(records, kSoftware));
    records.RemoveValue(kSoftware, L"New Value #2");
    EXPECT_EQ(CString(L"New Value #2"), NewValueName(records, kSoftware));

    // any letter case blocks; other keys and the default value do not
    CRegistryEntries other;
    other.Add(Value(kSoftware, L"new value #1"));
    other.Add(Value(L"HKEY_CURRENT_USER\\Software\\A\\", L"New Value #2"));
    other.Add(Value(kSoftware, L""));
    EXPECT_EQ(CString(L"New Value #2"), NewValueName(other, kSoftware));
}

TEST(RegistryKeyPaths, LastNameAndParentOfAKeyPath)
{
    struct Row {
        const wchar_t* path;
        const wchar_t* last;
        const wchar_t* parent;
    };
    const Row rows[] = {
        {L"HKEY_CURRENT_USER\\Software\\A\\", L"A", L"HKEY_CURRENT_USER\\Software\\"},
        {L"HKEY_CURRENT_USER\\Software\\A\\\\", L"A", L"HKEY_CURRENT_USER\\Software\\"},
        {L"HKEY_CURRENT_USER\\Software\\A", L"A", L"HKEY_CURRENT_USER\\Software\\"},
        {L"HKEY_CURRENT_USER\\", L"HKEY_CURRENT_USER", L""},
        {L"", L"", L""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.path));
        EXPECT_EQ(CString(row.last), LastKeyName(row.path));
        EXPECT_EQ(CString(row.parent), KeyParentPath(row.path));
    }
}

TEST(RegistryKeyDialogName, RefusesForbiddenCharactersAndSiblingNamesInAnyCase)
{
    CRegistryEntries records;   // the five roots
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\A\\"));
    records.Add(Key(L"HKEY_CURRENT_USER\\Software\\Sibling\\Deeper\\"));   // Sibling has no record of its own
    records.Add(Value(L"HKEY_CURRENT_USER\\Software\\ValuesOnly\\", L"x"));  // values make no key
    const CString opening = L"HKEY_CURRENT_USER\\Software\\A\\";

    struct Row {
        const wchar_t* box;
        KeyNameCheck check;
        const wchar_t* newPath;   // when accepted
    };
    const Row rows[] = {
        {L"B", KeyNameCheck::ok, L"HKEY_CURRENT_USER\\Software\\B\\"},
        {L"  B  ", KeyNameCheck::ok, L"HKEY_CURRENT_USER\\Software\\B\\"},
        {L"\"B\"", KeyNameCheck::ok, L"HKEY_CURRENT_USER\\Software\\B\\"},      // quotes dropped
        {L"a", KeyNameCheck::ok, L"HKEY_CURRENT_USER\\Software\\a\\"},          // its own name in other case
        {L"A", KeyNameCheck::ok, L"HKEY_CURRENT_USER\\Software\\A\\"},
        {L"ValuesOnly", KeyNameCheck::ok, L"HKEY_CURRENT_USER\\Software\\ValuesOnly\\"},
        {L"sibling", KeyNameCheck::siblingHasName, nullptr},                    // a sibling in other case
        {L"Sibling", KeyNameCheck::siblingHasName, nullptr},
        {L"", KeyNameCheck::empty, nullptr},
        {L"  \"\" ", KeyNameCheck::empty, nullptr},
        {L"B\\C", KeyNameCheck::forbiddenCharacter, nullptr},                   // would make deeper keys
        {L"B/C", KeyNameCheck::forbiddenCharacter, nullptr},
        {L"B:C", KeyNameCheck::forbiddenCharacter, nullptr},
        {L"B*", KeyNameCheck::forbiddenCharacter, nullptr},
        {L"B?", KeyNameCheck::forbiddenCharacter, nullptr},
        {L"<B>", KeyNameCheck::forbiddenCharacter, nullptr},
        {L"B|C", KeyNameCheck::forbiddenCharacter, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.box));
        CString newPath;
        EXPECT_EQ(row.check, CheckKeyDialogName(records, opening, opening, row.box, nullptr, &newPath));
        if (row.newPath) {
            EXPECT_EQ(CString(row.newPath), newPath);
        }
    }
}

TEST(RegistryKeyDialogName, ARootKeepsARootName)
{
    CRegistryEntries records;
    const CString root = L"HKEY_CURRENT_USER\\";
    EXPECT_EQ(KeyNameCheck::notRootName, CheckKeyDialogName(records, root, root, L"Software", nullptr, nullptr));
    EXPECT_EQ(KeyNameCheck::ok, CheckKeyDialogName(records, root, root, L"hkey_current_user", nullptr, nullptr));
    EXPECT_EQ(KeyNameCheck::siblingHasName,
              CheckKeyDialogName(records, root, root, L"HKEY_LOCAL_MACHINE", nullptr, nullptr));
}

TEST(RegistryKeyOptions, ChecksAndFlagsAgree)
{
    for (int options = 0; options < 4; ++options) {
        EXPECT_EQ(options, KeyOptionsFromChecks(KeyAlwaysCreates(options), KeyDeletesAtUninstall(options)));
    }
    EXPECT_TRUE(KeyAlwaysCreates(3));
    EXPECT_FALSE(KeyAlwaysCreates(2));
    EXPECT_TRUE(KeyDeletesAtUninstall(2));
    EXPECT_FALSE(KeyDeletesAtUninstall(1));
}
