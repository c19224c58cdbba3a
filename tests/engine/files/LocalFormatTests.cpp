#include "engine/files/LocalFormat.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

CString Locale(LCTYPE type)
{
    wchar_t text[128] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 128);
    return CString(text);
}

// Noon of the given local day, so that no time-zone shift moves the date.
int64_t LocalNoon(int year, int month, int day)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    return _mktime64(&local);
}

TEST(CLocalFormat, FormatsByThePattern)
{
    const CLocalFormat format;
    const int64_t monday = LocalNoon(2012, 3, 5); // 5 March 2012 was a Monday
    ASSERT_GT(monday, 0);
    struct Case {
        const wchar_t* pattern;
        CString expected;
    } cases[] = {
        {L"dd.MM.yyyy", L"05.03.2012"},
        {L"M/d/yy", L"3/5/12"},
        {L"y-MMM", CString(L"2-") + Locale(LOCALE_SABBREVMONTHNAME3)},
        {L"dddd, MMMM d", Locale(LOCALE_SDAYNAME1) + L", " + Locale(LOCALE_SMONTHNAME3) + L" 5"},
        {L"ddd", Locale(LOCALE_SABBREVDAYNAME1)},
        {L"yyy|MMMMM|ddddd", L"||"},            // runs of other lengths give nothing
        {L"'at' d", L"'at' 5"},                  // other characters are copied as they stand
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, format.FormatDate(monday, c.pattern)) << c.pattern;

    const int64_t sunday = LocalNoon(2012, 3, 4);
    EXPECT_EQ(Locale(LOCALE_SDAYNAME7), format.FormatDate(sunday, L"dddd")) << "the week starts on Sunday";
}

TEST(CLocalFormat, ATimeThatCannotBeConvertedGivesZeroFields)
{
    const CLocalFormat format;
    const int64_t farFuture = 0x7FFFFFFFFFFFFFFFll;
    EXPECT_EQ(CString(L"00.00.0"), format.FormatDate(farFuture, L"dd.MM.yyyy"));
    EXPECT_EQ(CString(L"|"), format.FormatDate(farFuture, L"MMMM|dddd")) << "no names for an unknown date";
    EXPECT_EQ(CString(L"00/00/00"), format.FormatDate(-1, L"")) << "the fallback must not see an invalid date";
}

TEST(CLocalFormat, UsesTheUserPatternAndFallsBackWhenItGivesNothing)
{
    const CLocalFormat format;
    const int64_t time = LocalNoon(2012, 3, 5);
    EXPECT_EQ(format.FormatDate(time, Locale(LOCALE_SSHORTDATE)), format.FormatDate(time));
    const CString fallback = format.FormatDate(time, L"");
    EXPECT_NE(-1, fallback.Find(L"12")) << "expected the runtime's date for an empty pattern, got \""
                                         << fallback.GetString() << "\"";
}

} // namespace
