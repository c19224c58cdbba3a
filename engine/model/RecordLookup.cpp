#include "engine/model/RecordLookup.h"

namespace recordlookup {

namespace {

CString Lowered(const CString& text)
{
    CString copy(text);
    copy.MakeLower();
    return copy;
}

} // namespace

bool EqualsNoCase(const CString& a, const CString& b)
{
    return a.GetLength() == b.GetLength() && Lowered(a) == Lowered(b);
}

bool IsSameOrUnderPath(const CString& path, const CString& base)
{
    CString folder = Lowered(base);
    folder.TrimRight(L'\\');
    if (folder.IsEmpty())
        return false;
    const CString lowered = Lowered(path);
    if (lowered.Left(folder.GetLength()) != folder)
        return false;
    return lowered.GetLength() == folder.GetLength() || lowered[folder.GetLength()] == L'\\';
}

} // namespace recordlookup
