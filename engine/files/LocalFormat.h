#pragma once
// Dates in the user's short-date pattern, for the editor's list of installed programs.

#include "framework/String.h"

#include <cstdint>

class CLocalFormat {
public:
    virtual ~CLocalFormat() = default;

    // The local date of a time value (seconds since 1970, UTC) by the user's short-date pattern.
    CString FormatDate(int64_t time) const;

    // The same with the pattern given. Runs of M, d and y are fields (M/MM month number, MMM/MMMM
    // its abbreviated/full name; d/dd day, ddd/dddd weekday name; y, yy last one or two digits
    // of the year, yyyy the year); a run of another length gives nothing, every other character
    // is copied. A time that cannot be converted gives zero fields and no names. An empty result
    // falls back to the C runtime's "%x".
    CString FormatDate(int64_t time, const wchar_t* pattern) const;
};
