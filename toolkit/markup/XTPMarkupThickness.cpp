#include "toolkit/markup/XTPMarkupThickness.h"

#include "toolkit/markup/XTPMarkupConverters.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <cwchar>
#include <cwctype>

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupThickness, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupThickness>,
                      nullptr)

BOOL CXTPMarkupThickness::IsEqual(const CXTPMarkupObject* other) const
{
    if (!other || other->GetType() != GetType())
        return FALSE;
    const CXTPMarkupThickness* thickness = static_cast<const CXTPMarkupThickness*>(other);
    return thickness->m_nLeft == m_nLeft && thickness->m_nTop == m_nTop && thickness->m_nRight == m_nRight &&
           thickness->m_nBottom == m_nBottom;
}

namespace {

CXTPMarkupThickness* g_pDefaultThickness = nullptr;

bool IsThicknessUnit(const wchar_t* unit)
{
    return _wcsicmp(unit, L"pt") == 0 || _wcsicmp(unit, L"in") == 0 || _wcsicmp(unit, L"cm") == 0 ||
           _wcsicmp(unit, L"mm") == 0;
}

} // namespace

CXTPMarkupThickness* CXTPMarkupThickness::GetDefault()
{
    if (!g_pDefaultThickness)
        g_pDefaultThickness = new CXTPMarkupThickness();
    g_pDefaultThickness->AddRef();
    return g_pDefaultThickness;
}

void CXTPMarkupThickness::ReleaseDefault()
{
    MarkupRelease(g_pDefaultThickness);
}

CXTPMarkupObject* CXTPMarkupThickness::ConvertFrom(CXTPMarkupBuilder*, CXTPMarkupObject* object) const
{
    const CXTPMarkupString* string = MarkupDynamicCast<CXTPMarkupString>(object);
    if (!string)
        return nullptr;
    const wchar_t* text = string->GetBuffer();
    const size_t length = wcslen(text);
    const wchar_t* unit = length > 2 && IsThicknessUnit(text + length - 2) ? text + length - 2 : nullptr;

    if (wcschr(text, L',')) {
        int sides[4] = {};
        if (unit) {
            wchar_t format[64];
            const wchar_t u0 = static_cast<wchar_t>(towlower(unit[0]));
            const wchar_t u1 = static_cast<wchar_t>(towlower(unit[1]));
            swprintf(format, 64, L"%%i%lc%lc, %%i%lc%lc, %%i%lc%lc, %%i%lc%lc", u0, u1, u0, u1, u0, u1, u0, u1);
            if (swscanf(text, format, &sides[0], &sides[1], &sides[2], &sides[3]) != 4)
                return nullptr;
            for (int& side : sides)
                side = MarkupConvertLength(side, text);
        } else if (swscanf(text, L"%i, %i, %i, %i", &sides[0], &sides[1], &sides[2], &sides[3]) != 4) {
            return nullptr;
        }
        return new CXTPMarkupThickness(sides[0], sides[1], sides[2], sides[3]);
    }
    int n = static_cast<int>(wcstol(text, nullptr, 10));
    if (unit)
        n = MarkupConvertLength(n, text);
    return new CXTPMarkupThickness(n);
}

RECT MarkupDeflateRect(const RECT& rect, const CXTPMarkupThickness* thickness)
{
    if (!thickness)
        return rect;
    RECT result = {rect.left + thickness->GetLeft(), rect.top + thickness->GetTop(), rect.right - thickness->GetRight(),
                   rect.bottom - thickness->GetBottom()};
    if (result.right < result.left)
        result.right = result.left;
    if (result.bottom < result.top)
        result.bottom = result.top;
    return result;
}
