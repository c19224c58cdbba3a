#include "app/monitor/FilterRules.h"

#include "engine/files/PathHelpers.h"

bool IsBlankFilterText(const CString& text)
{
    return CString(text).Trim().IsEmpty();
}

bool AddPathToFilter(CExludeList& filter, CString text)
{
    text.Trim();
    StripTrailingBackslashes(text);
    if (IsBlankFilterText(text) || filter.Find(text))
        return false;
    filter.AddTail(text);
    return true;
}
