#pragma once
// Comparisons and the removal loop shared by the record look-ups. Case is folded with the
// system's lower-casing (CharLowerBuff), the same for equality and for prefixes, so a look-up and
// a removal never disagree about which records a path names.

#include "framework/String.h"

#include <utility>

namespace recordlookup {

bool EqualsNoCase(const CString& a, const CString& b);

// True when path names base itself or something below it, ignoring case and trailing backslashes
// of base: under "A\App" lie "A\App", "a\app\" and "A\App\x.dll", but not "A\Apple\y.dll". An
// empty base (or one of backslashes only) names nothing, so it never matches.
bool IsSameOrUnderPath(const CString& path, const CString& base);

// The first element that matches, or null. The pointer is valid until the list changes.
template <class List, class Predicate>
auto FindFirst(const List& list, Predicate matches) -> decltype(&list[0])
{
    for (const auto& element : list) {
        if (matches(element))
            return &element;
    }
    return nullptr;
}

// Removes every element that matches, in one pass from the front: after a removal the element
// that moved into the slot is examined next, so runs of matches all go; survivors keep their
// order. True when anything was removed.
template <class List, class Predicate>
bool RemoveMatching(List& list, Predicate matches)
{
    bool removed = false;
    for (int i = 0; i < list.GetSize();) {
        if (matches(std::as_const(list)[i])) {
            list.RemoveAt(i);
            removed = true;
        } else {
            ++i;
        }
    }
    return removed;
}

} // namespace recordlookup
