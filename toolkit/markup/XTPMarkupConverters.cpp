#include "toolkit/markup/XTPMarkupConverters.h"

#include "toolkit/markup/XTPMarkupValues.h"

#include <cwchar>
#include <cwctype>

namespace {

struct WordValue {
    const wchar_t* word;
    int value;
};

const CXTPMarkupString* AsString(CXTPMarkupObject* value)
{
    return MarkupDynamicCast<CXTPMarkupString>(value);
}

template <size_t N>
CXTPMarkupObject* ConvertWord(CXTPMarkupObject* value, const WordValue (&table)[N], bool asEnum = true)
{
    const CXTPMarkupString* text = AsString(value);
    if (!text)
        return nullptr;
    for (const WordValue& entry : table) {
        if (_wcsicmp(text->GetBuffer(), entry.word) == 0)
            return asEnum ? static_cast<CXTPMarkupObject*>(CreateMarkupEnum(entry.value))
                          : static_cast<CXTPMarkupObject*>(new CXTPMarkupInt(entry.value));
    }
    return nullptr;
}

} // namespace

int MarkupConvertLength(int n, const wchar_t* text)
{
    const size_t length = text ? wcslen(text) : 0;
    if (n == 0 || length <= 2)
        return n;
    const wchar_t* unit = text + length - 2;
    if (_wcsicmp(unit, L"pt") == 0)
        return MulDiv(n, 96, 72);
    if (_wcsicmp(unit, L"in") == 0)
        return n * 96;
    if (_wcsicmp(unit, L"cm") == 0)
        return static_cast<int>(n * 37.79528);
    if (_wcsicmp(unit, L"mm") == 0)
        return static_cast<int>(n * 3.779528);
    return n;
}

CXTPMarkupObject* MarkupConvertSize(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    const CXTPMarkupString* text = AsString(value);
    if (!text)
        return nullptr;
    if (_wcsicmp(text->GetBuffer(), L"Auto") == 0)
        return new CXTPMarkupInt(XTP_MARKUP_UNBOUNDED);
    const int n = static_cast<int>(wcstol(text->GetBuffer(), nullptr, 10));
    return new CXTPMarkupInt(MarkupConvertLength(n, text->GetBuffer()));
}

CXTPMarkupObject* MarkupConvertVisibility(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"Visible", 0}, {L"Hidden", 1}, {L"Collapsed", 2}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertHorizontalAlignment(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"Left", 0}, {L"Center", 1}, {L"Right", 2}, {L"Stretch", 3}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertVerticalAlignment(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"Top", 0}, {L"Center", 1}, {L"Bottom", 2}, {L"Stretch", 3}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertOrientation(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"Horizontal", 0}, {L"Vertical", 1}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertDock(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"Left", 0}, {L"Top", 1}, {L"Right", 2}, {L"Bottom", 3}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertCursor(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {
        {L"None", 0},          {L"Arrow", 32512},    {L"IBeam", 32513},  {L"Wait", 32514},
        {L"Cross", 32515},     {L"UpArrow", 32516},  {L"SizeNWSE", 32642}, {L"SizeNESW", 32643},
        {L"SizeWE", 32644},    {L"SizeNS", 32645},   {L"SizeAll", 32646}, {L"No", 32648},
        {L"Hand", 32649},      {L"AppStarting", 32650}};
    return ConvertWord(value, table, false);
}

CXTPMarkupObject* MarkupConvertFontWeight(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {
        {L"Thin", 100},     {L"ExtraLight", 200}, {L"Light", 300},     {L"Normal", 400},     {L"Regular", 400},
        {L"Medium", 500},   {L"SemiBold", 600},   {L"DemiBold", 600},  {L"Bold", 700},       {L"ExtraBold", 800},
        {L"UltraBold", 800}, {L"Black", 900},     {L"Heavy", 900},     {L"ExtraBlack", 950}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertFontStyle(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"Normal", 0}, {L"Italic", 1}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertTextDecorations(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"Underline", 1}, {L"Strikethrough", 2}, {L"", 0}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertFontQuality(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"ClearType", 5}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertTextWrapping(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"NoWrap", 0}, {L"Wrap", 1}, {L"WrapWithOverflow", 2}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertTextTrimming(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"None", 0}, {L"CharacterEllipsis", 1}, {L"WordEllipsis", 2}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertTextAlignment(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"Left", 0}, {L"Right", 1}, {L"Center", 2}, {L"Justify", 3}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertBaselineAlignment(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"Top", 0},     {L"Center", 1},     {L"Bottom", 2},    {L"Baseline", 3},
                                      {L"TextTop", 4}, {L"TextBottom", 5}, {L"Subscript", 6}, {L"Superscript", 7}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertScrollBarVisibility(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"Disabled", 0}, {L"Auto", 1}, {L"Visible", 2}};
    return ConvertWord(value, table);
}

CXTPMarkupObject* MarkupConvertStretch(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const WordValue table[] = {{L"None", 0}, {L"Fill", 1}, {L"Uniform", 2}, {L"UniformToFill", 3}};
    return ConvertWord(value, table);
}
