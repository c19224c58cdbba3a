#include "engine/model/GuidText.h"

#include <objbase.h>

namespace guidtext_detail {

CString NewGuidStringFrom(GuidSource source)
{
    GUID guid{};
    // Any failure code means no GUID: an id made from garbage would collide silently.
    if (FAILED(source(&guid)))
        return CString();
    wchar_t text[39] = {};
    if (StringFromGUID2(guid, text, static_cast<int>(sizeof(text) / sizeof(text[0]))) == 0)
        return CString();
    return CString(text);
}

} // namespace guidtext_detail

CString NewGuidString()
{
    return guidtext_detail::NewGuidStringFrom(&CoCreateGuid);
}

CString NewGuidStringBare()
{
    return StripGuidPunctuation(NewGuidString());
}

CString StripGuidPunctuation(const CString& text)
{
    CString result(text);
    result.Remove(L'{');
    result.Remove(L'}');
    result.Remove(L'-');
    return result;
}
