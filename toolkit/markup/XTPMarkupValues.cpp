#include "toolkit/markup/XTPMarkupValues.h"

#include "toolkit/markup/XTPMarkupBuilder.h"

#include <climits>
#include <cwchar>

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupInt, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupInt>, nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupDouble, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupDouble>, nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupEnum, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupEnum>, nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupBool, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupBool>, nullptr)
IMPLEMENT_MARKUPCLASS(L"Color", CXTPMarkupColor, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupColor>, nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupString, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupString>, nullptr)

namespace {

// The process's own references to the shared values; null until first use and after teardown.
CXTPMarkupBool* g_pTrue = nullptr;
CXTPMarkupBool* g_pFalse = nullptr;
CXTPMarkupEnum* g_pEnums[8] = {};
CXTPMarkupString* g_pEmptyString = nullptr;
CXTPMarkupString* g_pSpaceString = nullptr;
CXTPMarkupString* g_pLineFeedString = nullptr;

template <class T>
T* HandOut(T*& shared, T* (*make)())
{
    if (!shared)
        shared = make();
    shared->AddRef();
    return shared;
}

const CXTPMarkupString* AsString(const CXTPMarkupObject* object)
{
    return static_cast<const CXTPMarkupString*>(
        MarkupDynamicCast(CXTPMarkupString::MarkupType(), const_cast<CXTPMarkupObject*>(object)));
}

bool SameClass(const CXTPMarkupObject* a, const CXTPMarkupObject* b)
{
    return b && b->GetType() == a->GetType();
}

} // namespace

void ReleaseMarkupSharedValues()
{
    // Enumerations, then booleans, then strings. Each is only a reference drop: a value that a
    // property default or a live object still holds dies with its last holder, not here.
    for (CXTPMarkupEnum*& value : g_pEnums)
        MarkupRelease(value);
    MarkupRelease(g_pTrue);
    MarkupRelease(g_pFalse);
    MarkupRelease(g_pEmptyString);
    MarkupRelease(g_pSpaceString);
    MarkupRelease(g_pLineFeedString);
}

// ---- Integers, doubles, enumerations

BOOL CXTPMarkupInt::IsEqual(const CXTPMarkupObject* other) const
{
    return SameClass(this, other) && static_cast<const CXTPMarkupInt*>(other)->m_nValue == m_nValue;
}

CXTPMarkupObject* CXTPMarkupInt::ConvertFrom(CXTPMarkupBuilder*, CXTPMarkupObject* object) const
{
    const CXTPMarkupString* text = AsString(object);
    if (!text)
        return nullptr;
    // The leading integer as the C library's atoi reads it, kept in range instead of wrapping.
    const wchar_t* p = text->GetBuffer();
    while (*p == L' ' || (*p >= 9 && *p <= 13))
        ++p;
    const bool negative = *p == L'-';
    if (*p == L'-' || *p == L'+')
        ++p;
    long long value = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        if (value <= static_cast<long long>(INT_MAX) + 1)
            value = value * 10 + (*p - L'0');
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    if (value < INT_MIN)
        value = INT_MIN;
    return new CXTPMarkupInt(static_cast<int>(value));
}

BOOL CXTPMarkupDouble::IsEqual(const CXTPMarkupObject* other) const
{
    return SameClass(this, other) &&
           static_cast<const CXTPMarkupDouble*>(other)->m_dValue == m_dValue;
}

CXTPMarkupObject* CXTPMarkupDouble::ConvertFrom(CXTPMarkupBuilder*, CXTPMarkupObject* object) const
{
    const CXTPMarkupString* text = AsString(object);
    if (!text)
        return nullptr;
    const wchar_t* cursor = text->GetBuffer();
    double value = 0;
    if (!ParseMarkupNumber(cursor, value, 0, TRUE))
        return nullptr;
    return new CXTPMarkupDouble(value);
}

BOOL CXTPMarkupEnum::IsEqual(const CXTPMarkupObject* other) const
{
    return SameClass(this, other) && static_cast<const CXTPMarkupEnum*>(other)->m_nValue == m_nValue;
}

CXTPMarkupEnum* CXTPMarkupEnum::CreateValue(int value)
{
    if (value < 0 || value > 7)
        return new CXTPMarkupEnum(value);
    if (!g_pEnums[value])
        g_pEnums[value] = new CXTPMarkupEnum(value);
    g_pEnums[value]->AddRef();
    return g_pEnums[value];
}

// ---- Booleans

BOOL CXTPMarkupBool::IsEqual(const CXTPMarkupObject* other) const
{
    return SameClass(this, other) && static_cast<const CXTPMarkupBool*>(other)->m_bValue == m_bValue;
}

CXTPMarkupBool* CXTPMarkupBool::CreateTrueValue()
{
    return HandOut<CXTPMarkupBool>(g_pTrue, [] { return new CXTPMarkupBool(TRUE); });
}

CXTPMarkupBool* CXTPMarkupBool::CreateFalseValue()
{
    return HandOut<CXTPMarkupBool>(g_pFalse, [] { return new CXTPMarkupBool(FALSE); });
}

CXTPMarkupObject* CXTPMarkupBool::ConvertFrom(CXTPMarkupBuilder*, CXTPMarkupObject* object) const
{
    const CXTPMarkupString* text = AsString(object);
    if (!text)
        return nullptr;
    if (_wcsicmp(text->GetBuffer(), L"True") == 0)
        return CreateTrueValue();
    if (_wcsicmp(text->GetBuffer(), L"False") == 0)
        return CreateFalseValue();
    return nullptr;
}

// ---- Colours

BOOL CXTPMarkupColor::IsEqual(const CXTPMarkupObject* other) const
{
    return SameClass(this, other) && static_cast<const CXTPMarkupColor*>(other)->m_nValue == m_nValue;
}

CXTPMarkupObject* CXTPMarkupColor::ConvertFrom(CXTPMarkupBuilder*, CXTPMarkupObject* object) const
{
    const CXTPMarkupString* text = AsString(object);
    DWORD color = 0;
    if (!text || !ParseMarkupColor(text->GetBuffer(), color))
        return nullptr;
    return new CXTPMarkupColor(color);
}

void CXTPMarkupColor::SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content)
{
    const CXTPMarkupString* text = AsString(content);
    DWORD color = 0;
    // Text that names no colour is refused like any other content: the base raises the string
    // message, and the content stays with the caller.
    if (!text || !ParseMarkupColor(text->GetBuffer(), color)) {
        CXTPMarkupObject::SetContentObject(builder, content);
        return;
    }
    m_nValue = color;
    content->Release();
}

// ---- Strings

CXTPMarkupString::CXTPMarkupString(const wchar_t* text, int length)
{
    if (!text)
        length = 0;
    else if (length < 0)
        length = static_cast<int>(wcslen(text));
    m_nLength = length;
    m_lpszValue = new wchar_t[static_cast<size_t>(length) + 1];
    if (length > 0)
        wmemcpy(m_lpszValue, text, static_cast<size_t>(length));
    m_lpszValue[length] = 0;
}

CXTPMarkupString::~CXTPMarkupString()
{
    delete[] m_lpszValue;
}

CXTPMarkupString* CXTPMarkupString::CreateValue(const wchar_t* text, int length)
{
    if (!text || length == 0 || text[0] == 0)
        return HandOut<CXTPMarkupString>(g_pEmptyString, [] { return new CXTPMarkupString(L"", 0); });
    const bool single = length == 1 || (length < 0 && text[1] == 0);
    if (single && text[0] == L' ')
        return HandOut<CXTPMarkupString>(g_pSpaceString, [] { return new CXTPMarkupString(L" ", 1); });
    if (single && text[0] == L'\n')
        return HandOut<CXTPMarkupString>(g_pLineFeedString, [] { return new CXTPMarkupString(L"\n", 1); });
    return new CXTPMarkupString(text, length);
}

UINT CXTPMarkupString::GetHashKey() const
{
    UINT hash = 0;
    for (int i = 0; i < m_nLength; ++i)
        hash = hash * 33 + m_lpszValue[i];
    return hash;
}

BOOL CXTPMarkupString::IsEqual(const CXTPMarkupObject* other) const
{
    if (!SameClass(this, other))
        return FALSE;
    const CXTPMarkupString* string = static_cast<const CXTPMarkupString*>(other);
    return string->m_nLength == m_nLength && wmemcmp(string->m_lpszValue, m_lpszValue, static_cast<size_t>(m_nLength)) == 0;
}

CXTPMarkupString* CreateMarkupString(const wchar_t* text, int length)
{
    return CXTPMarkupString::CreateValue(text, length);
}

CXTPMarkupEnum* CreateMarkupEnum(int value)
{
    return CXTPMarkupEnum::CreateValue(value);
}

CXTPMarkupBool* MarkupTrue()
{
    return CXTPMarkupBool::CreateTrueValue();
}

CXTPMarkupBool* MarkupFalse()
{
    return CXTPMarkupBool::CreateFalseValue();
}
