#include "engine/cabinet/NarrowBuffer.h"

#include <gtest/gtest.h>

#include <string>

using namespace Cabinet;

TEST(NarrowBuffer, StartsEmptyWithRoomAndGrowsToTwiceTheNeed)
{
    NarrowBuffer buffer;
    EXPECT_EQ(300u, buffer.Capacity());
    EXPECT_STREQ("", buffer.Get());
    buffer.Reserve(299);
    EXPECT_EQ(300u, buffer.Capacity()) << "below the capacity nothing changes";
    buffer.Format("%s", "kept");
    buffer.Reserve(300);
    EXPECT_EQ(600u, buffer.Capacity());
    EXPECT_STREQ("kept", buffer.Get());
}

TEST(NarrowBuffer, ConversionsFromUtf16)
{
    NarrowBuffer buffer;
    buffer.AssignUtf8(L"caf\u00e9 \u65e5");
    EXPECT_EQ(std::string("caf\xc3\xa9 \xe6\x97\xa5"), buffer.Get());
    buffer.AssignBytes(L"caf\u00e9");
    EXPECT_EQ(std::string("caf\xe9"), buffer.Get());
    try {
        buffer.AssignBytes(L"\u65e5");
        FAIL() << "a unit above 255 has no byte";
    } catch (const CWideBufferException& e) {
        EXPECT_STREQ("Unicode string cannot be converted to Ansi!", e.GetText());
    }
}

TEST(NarrowBuffer, FormattingGrowsUntilTheTextFitsAndCopyingChecksRoom)
{
    NarrowBuffer buffer;
    const std::string longText(1000, 'x');
    buffer.Format("<%s>", longText.c_str());
    EXPECT_EQ("<" + longText + ">", buffer.Get());

    char small[5];
    buffer.Format("%d", 1234);
    EXPECT_TRUE(buffer.CopyTo(small, 5));
    EXPECT_STREQ("1234", small);
    buffer.Format("%d", 12345);
    EXPECT_FALSE(buffer.CopyTo(small, 5)) << "length + 1 above the capacity";
    EXPECT_STREQ("1234", small) << "nothing copied";
}

TEST(WideText, PathOperations)
{
    struct Row {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* name;
    };
    const Row rows[] = {
        {L"C:\\dir\\file.cab", L"C:\\dir\\", L"file.cab"},
        {L"file.cab", L"", L"file.cab"},
        {L"C:\\dir\\", L"C:\\dir\\", L""},
        {L"", L"", L""},
    };
    for (const Row& row : rows) {
        WideBuffer folder, name;
        WideText::SplitPath(row.path, folder, name);
        EXPECT_STREQ(row.folder, folder.GetString()) << "folder of " << testing::PrintToString(std::wstring(row.path));
        EXPECT_STREQ(row.name, name.GetString()) << "name of " << testing::PrintToString(std::wstring(row.path));
    }

    const Row slashes[] = {{L"C:\\a", L"C:\\a\\", nullptr}, {L"C:\\a\\", L"C:\\a\\", nullptr}, {L"C", L"C", nullptr}};
    for (const Row& row : slashes) {
        WideBuffer buffer;
        buffer.Assign(row.path);
        WideText::AppendBackslash(buffer);
        EXPECT_STREQ(row.folder, buffer.GetString());
    }

    WideBuffer formatted;
    const std::wstring longText(700, L'y');
    WideText::Format(formatted, L"%s-%02X", longText.c_str(), 10);
    EXPECT_EQ(longText + L"-0A", formatted.GetString());
    WideBuffer fromUtf8;
    WideText::AssignUtf8(fromUtf8, "caf\xc3\xa9");
    EXPECT_STREQ(L"caf\u00e9", fromUtf8.GetString());
}
