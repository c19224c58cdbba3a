#include "engine/files/LocalFormat.h"

#include <ctime>
#include <cwchar>

namespace {

CString LocaleText(LCTYPE type)
{
    wchar_t text[128] = {};
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, static_cast<int>(std::size(text))) ? CString(text)
                                                                                                 : CString();
}

struct DateFields {
    int year = 0;
    int month = 0;    // 1..12; 0 when unknown
    int day = 0;
    int weekday = -1; // 0 Sunday .. 6; -1 when unknown
};

CString MonthName(const DateFields& date, bool full)
{
    if (date.month < 1 || date.month > 12)
        return CString();
    return LocaleText((full ? LOCALE_SMONTHNAME1 : LOCALE_SABBREVMONTHNAME1) + date.month - 1);
}

// The locale numbers its day names from Monday; the week here starts on Sunday.
CString WeekdayName(const DateFields& date, bool full)
{
    if (date.weekday < 0 || date.weekday > 6)
        return CString();
    const int mondayFirst = (date.weekday + 6) % 7;
    return LocaleText((full ? LOCALE_SDAYNAME1 : LOCALE_SABBREVDAYNAME1) + mondayFirst);
}

CString Number(const wchar_t* format, int value)
{
    CString text;
    text.Format(format, value);
    return text;
}

CString FormatField(wchar_t letter, int run, const DateFields& date)
{
    switch (letter) {
    case L'M':
        if (run == 1) return Number(L"%d", date.month);
        if (run == 2) return Number(L"%02d", date.month);
        if (run == 3 || run == 4) return MonthName(date, run == 4);
        break;
    case L'd':
        if (run == 1) return Number(L"%d", date.day);
        if (run == 2) return Number(L"%02d", date.day);
        if (run == 3 || run == 4) return WeekdayName(date, run == 4);
        break;
    case L'y':
        if (run == 1) return Number(L"%d", date.year % 10);
        if (run == 2) return Number(L"%02d", date.year % 100);
        if (run == 4) return Number(L"%d", date.year);
        break;
    }
    return CString();
}

} // namespace

CString CLocalFormat::FormatDate(int64_t time) const
{
    return FormatDate(time, LocaleText(LOCALE_SSHORTDATE));
}

CString CLocalFormat::FormatDate(int64_t time, const wchar_t* pattern) const
{
    // A time that the runtime cannot convert leaves every field at zero instead of whatever the
    // structure held before.
    std::tm local{};
    const __time64_t value = time;
    DateFields date;
    const bool converted = _localtime64_s(&local, &value) == 0;
    if (converted) {
        date.year = local.tm_year + 1900;
        date.month = local.tm_mon + 1;
        date.day = local.tm_mday;
        date.weekday = local.tm_wday;
    }

    CString result;
    const wchar_t* p = pattern ? pattern : L"";
    while (*p) {
        const wchar_t letter = *p;
        if (letter != L'M' && letter != L'd' && letter != L'y') {
            result += letter;
            ++p;
            continue;
        }
        int run = 0;
        while (p[run] == letter)
            ++run;
        result += FormatField(letter, run, date);
        p += run;
    }
    if (result.IsEmpty()) {
        // The runtime rejects a structure whose day is 0 (an empty result, or its
        // invalid-parameter handler), so zero fields take the shape of "%x" without it.
        if (!converted)
            return L"00/00/00";
        wchar_t text[128] = {};
        if (wcsftime(text, std::size(text), L"%x", &local) > 0)
            result = text;
    }
    return result;
}
