// The text grammars of markup values: numbers, lists of numbers and colours.

#include "toolkit/markup/XTPMarkupValues.h"

#include <cwchar>

namespace {

bool IsDigit(wchar_t ch)
{
    return ch >= L'0' && ch <= L'9';
}

// Digits with at most one "."; at least one digit is needed (".5" and "5." are numbers, "."
// is not). Accumulated in extended precision: integer part times ten plus the digit, fraction
// digits scaled by successive powers of ten.
bool ReadDigits(const wchar_t*& p, long double& value)
{
    value = 0;
    bool anyDigit = false;
    for (; IsDigit(*p); ++p) {
        value = value * 10 + (*p - L'0');
        anyDigit = true;
    }
    if (*p == L'.') {
        ++p;
        long double scale = 10;
        for (; IsDigit(*p); ++p) {
            value += (*p - L'0') / scale;
            scale *= 10;
            anyDigit = true;
        }
    }
    return anyDigit;
}

int HexDigit(wchar_t ch)
{
    if (ch >= L'0' && ch <= L'9')
        return ch - L'0';
    if (ch >= L'a' && ch <= L'f')
        return ch - L'a' + 10;
    if (ch >= L'A' && ch <= L'F')
        return ch - L'A' + 10;
    return -1;
}

// Exactly two hexadecimal digits: no sign, no space, no "0x" as a scanf field would allow.
bool ReadHexByte(const wchar_t* p, DWORD& value)
{
    const int high = HexDigit(p[0]);
    const int low = high < 0 ? -1 : HexDigit(p[1]);
    if (low < 0)
        return false;
    value = static_cast<DWORD>(high * 16 + low);
    return true;
}

struct NamedColor {
    const wchar_t* name;
    BYTE red, green, blue;
};

// The colour keywords of CSS Color Module Level 3 (SVG 1.1), without the seven spellings of the
// gray names with an e.
const NamedColor kNamedColors[] = {
    {L"AliceBlue", 240, 248, 255},
    {L"AntiqueWhite", 250, 235, 215},
    {L"Aqua", 0, 255, 255},
    {L"Aquamarine", 127, 255, 212},
    {L"Azure", 240, 255, 255},
    {L"Beige", 245, 245, 220},
    {L"Bisque", 255, 228, 196},
    {L"Black", 0, 0, 0},
    {L"BlanchedAlmond", 255, 235, 205},
    {L"Blue", 0, 0, 255},
    {L"BlueViolet", 138, 43, 226},
    {L"Brown", 165, 42, 42},
    {L"BurlyWood", 222, 184, 135},
    {L"CadetBlue", 95, 158, 160},
    {L"Chartreuse", 127, 255, 0},
    {L"Chocolate", 210, 105, 30},
    {L"Coral", 255, 127, 80},
    {L"CornflowerBlue", 100, 149, 237},
    {L"Cornsilk", 255, 248, 220},
    {L"Crimson", 220, 20, 60},
    {L"Cyan", 0, 255, 255},
    {L"DarkBlue", 0, 0, 139},
    {L"DarkCyan", 0, 139, 139},
    {L"DarkGoldenrod", 184, 134, 11},
    {L"DarkGray", 169, 169, 169},
    {L"DarkGreen", 0, 100, 0},
    {L"DarkKhaki", 189, 183, 107},
    {L"DarkMagenta", 139, 0, 139},
    {L"DarkOliveGreen", 85, 107, 47},
    {L"DarkOrange", 255, 140, 0},
    {L"DarkOrchid", 153, 50, 204},
    {L"DarkRed", 139, 0, 0},
    {L"DarkSalmon", 233, 150, 122},
    {L"DarkSeaGreen", 143, 188, 143},
    {L"DarkSlateBlue", 72, 61, 139},
    {L"DarkSlateGray", 47, 79, 79},
    {L"DarkTurquoise", 0, 206, 209},
    {L"DarkViolet", 148, 0, 211},
    {L"DeepPink", 255, 20, 147},
    {L"DeepSkyBlue", 0, 191, 255},
    {L"DimGray", 105, 105, 105},
    {L"DodgerBlue", 30, 144, 255},
    {L"FireBrick", 178, 34, 34},
    {L"FloralWhite", 255, 250, 240},
    {L"ForestGreen", 34, 139, 34},
    {L"Fuchsia", 255, 0, 255},
    {L"Gainsboro", 220, 220, 220},
    {L"GhostWhite", 248, 248, 255},
    {L"Gold", 255, 215, 0},
    {L"Goldenrod", 218, 165, 32},
    {L"Gray", 128, 128, 128},
    {L"Green", 0, 128, 0},
    {L"GreenYellow", 173, 255, 47},
    {L"Honeydew", 240, 255, 240},
    {L"HotPink", 255, 105, 180},
    {L"IndianRed", 205, 92, 92},
    {L"Indigo", 75, 0, 130},
    {L"Ivory", 255, 255, 240},
    {L"Khaki", 240, 230, 140},
    {L"Lavender", 230, 230, 250},
    {L"LavenderBlush", 255, 240, 245},
    {L"LawnGreen", 124, 252, 0},
    {L"LemonChiffon", 255, 250, 205},
    {L"LightBlue", 173, 216, 230},
    {L"LightCoral", 240, 128, 128},
    {L"LightCyan", 224, 255, 255},
    {L"LightGoldenrodYellow", 250, 250, 210},
    {L"LightGray", 211, 211, 211},
    {L"LightGreen", 144, 238, 144},
    {L"LightPink", 255, 182, 193},
    {L"LightSalmon", 255, 160, 122},
    {L"LightSeaGreen", 32, 178, 170},
    {L"LightSkyBlue", 135, 206, 250},
    {L"LightSlateGray", 119, 136, 153},
    {L"LightSteelBlue", 176, 196, 222},
    {L"LightYellow", 255, 255, 224},
    {L"Lime", 0, 255, 0},
    {L"LimeGreen", 50, 205, 50},
    {L"Linen", 250, 240, 230},
    {L"Magenta", 255, 0, 255},
    {L"Maroon", 128, 0, 0},
    {L"MediumAquamarine", 102, 205, 170},
    {L"MediumBlue", 0, 0, 205},
    {L"MediumOrchid", 186, 85, 211},
    {L"MediumPurple", 147, 112, 219},
    {L"MediumSeaGreen", 60, 179, 113},
    {L"MediumSlateBlue", 123, 104, 238},
    {L"MediumSpringGreen", 0, 250, 154},
    {L"MediumTurquoise", 72, 209, 204},
    {L"MediumVioletRed", 199, 21, 133},
    {L"MidnightBlue", 25, 25, 112},
    {L"MintCream", 245, 255, 250},
    {L"MistyRose", 255, 228, 225},
    {L"Moccasin", 255, 228, 181},
    {L"NavajoWhite", 255, 222, 173},
    {L"Navy", 0, 0, 128},
    {L"OldLace", 253, 245, 230},
    {L"Olive", 128, 128, 0},
    {L"OliveDrab", 107, 142, 35},
    {L"Orange", 255, 165, 0},
    {L"OrangeRed", 255, 69, 0},
    {L"Orchid", 218, 112, 214},
    {L"PaleGoldenrod", 238, 232, 170},
    {L"PaleGreen", 152, 251, 152},
    {L"PaleTurquoise", 175, 238, 238},
    {L"PaleVioletRed", 219, 112, 147},
    {L"PapayaWhip", 255, 239, 213},
    {L"PeachPuff", 255, 218, 185},
    {L"Peru", 205, 133, 63},
    {L"Pink", 255, 192, 203},
    {L"Plum", 221, 160, 221},
    {L"PowderBlue", 176, 224, 230},
    {L"Purple", 128, 0, 128},
    {L"Red", 255, 0, 0},
    {L"RosyBrown", 188, 143, 143},
    {L"RoyalBlue", 65, 105, 225},
    {L"SaddleBrown", 139, 69, 19},
    {L"Salmon", 250, 128, 114},
    {L"SandyBrown", 244, 164, 96},
    {L"SeaGreen", 46, 139, 87},
    {L"SeaShell", 255, 245, 238},
    {L"Sienna", 160, 82, 45},
    {L"Silver", 192, 192, 192},
    {L"SkyBlue", 135, 206, 235},
    {L"SlateBlue", 106, 90, 205},
    {L"SlateGray", 112, 128, 144},
    {L"Snow", 255, 250, 250},
    {L"SpringGreen", 0, 255, 127},
    {L"SteelBlue", 70, 130, 180},
    {L"Tan", 210, 180, 140},
    {L"Teal", 0, 128, 128},
    {L"Thistle", 216, 191, 216},
    {L"Tomato", 255, 99, 71},
    {L"Turquoise", 64, 224, 208},
    {L"Violet", 238, 130, 238},
    {L"Wheat", 245, 222, 179},
    {L"White", 255, 255, 255},
    {L"WhiteSmoke", 245, 245, 245},
    {L"Yellow", 255, 255, 0},
    {L"YellowGreen", 154, 205, 50},
};
static_assert(sizeof(kNamedColors) / sizeof(kNamedColors[0]) == 140, "the CSS3 keywords without the grey spellings");

} // namespace

BOOL ParseMarkupNumber(const wchar_t*& cursor, double& value, wchar_t separator, BOOL requireEnd)
{
    const wchar_t* p = cursor;
    if (!p)
        return FALSE;
    while (*p == L' ')
        ++p;
    bool negative = false;
    if (*p == L'-' || *p == L'+') {
        negative = *p == L'-';
        ++p;
    }
    long double number = 0;
    if (!ReadDigits(p, number))
        return FALSE;
    while (*p == L' ')
        ++p;
    if (separator && *p == separator) {
        ++p;
        while (*p == L' ')
            ++p;
    }
    if (requireEnd && *p)
        return FALSE;
    value = static_cast<double>(negative ? -number : number);
    cursor = p;
    return TRUE;
}

BOOL ParseMarkupFloatList(const wchar_t* text, std::vector<float>& values)
{
    values.clear();
    if (!text)
        return FALSE;
    const wchar_t* p = text;
    while (*p) {
        while (*p == L' ')
            ++p;
        if (!*p)
            break; // trailing spaces after the last number
        const bool negative = *p == L'-';
        if (negative)
            ++p;
        long double number = 0;
        if (!ReadDigits(p, number))
            return FALSE; // a separator or another character where a digit was expected
        if (*p == L' ' || *p == L',') {
            ++p;
            while (*p == L' ')
                ++p;
        } else if (*p) {
            return FALSE;
        }
        values.push_back(static_cast<float>(negative ? -number : number));
    }
    return TRUE;
}

BOOL ParseMarkupColor(const wchar_t* text, DWORD& color)
{
    if (!text)
        return FALSE;
    if (text[0] != L'#')
        return ParseMarkupNamedColor(text, color);
    const size_t length = wcslen(text);
    DWORD alpha = 0xFF, red = 0, green = 0, blue = 0;
    if (length == 7) {
        if (!ReadHexByte(text + 1, red) || !ReadHexByte(text + 3, green) || !ReadHexByte(text + 5, blue))
            return FALSE;
    } else if (length == 9) {
        if (!ReadHexByte(text + 1, alpha) || !ReadHexByte(text + 3, red) || !ReadHexByte(text + 5, green) ||
            !ReadHexByte(text + 7, blue))
            return FALSE;
    } else {
        return FALSE;
    }
    color = alpha << 24 | blue << 16 | green << 8 | red;
    return TRUE;
}

BOOL ParseMarkupNamedColor(const wchar_t* text, DWORD& color)
{
    if (!text || !((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z')))
        return FALSE;
    if (_wcsicmp(text, L"Transparent") == 0) {
        color = 0x00FFFFFF; // white with alpha 0
        return TRUE;
    }
    for (const NamedColor& named : kNamedColors) {
        if (_wcsicmp(text, named.name) == 0) {
            color = 0xFF000000 | static_cast<DWORD>(named.blue) << 16 | static_cast<DWORD>(named.green) << 8 |
                    named.red;
            return TRUE;
        }
    }
    return FALSE;
}
