#include "toolkit/markup/XTPMarkupParser.h"

#include <cwchar>

CXTPMarkupParser::CXTPMarkupParser()
{
    m_value.reserve(1024); // grows by doubling: text and attribute values have no length limit
}

void CXTPMarkupParser::SetBuffer(const wchar_t* start, const wchar_t* end)
{
    m_pInput = start;
    m_pInputEnd = start ? end : nullptr;
}

bool CXTPMarkupParser::IsWhiteSpace(wchar_t ch)
{
    return ch == 9 || ch == 10 || ch == 12 || ch == 13 || ch == 32;
}

wchar_t CXTPMarkupParser::GetChar()
{
    if (m_chPushedBack) {
        const wchar_t ch = m_chPushedBack;
        m_chPushedBack = 0;
        return ch;
    }
    if (!m_pInput || m_pInput >= m_pInputEnd || *m_pInput == 0)
        return 0;
    const wchar_t ch = *m_pInput++;
    ++m_nPosition;
    // CR and LF each end a line, so a CR LF pair counts twice.
    if (ch == L'\r' || ch == L'\n') {
        ++m_nLine;
        m_nPosition = 0;
    }
    return ch;
}

wchar_t CXTPMarkupParser::SkipWhiteSpace()
{
    wchar_t ch;
    do {
        ch = GetChar();
    } while (IsWhiteSpace(ch));
    return ch;
}

BOOL CXTPMarkupParser::FirstTag()
{
    const wchar_t ch = SkipWhiteSpace();
    if (ch != L'<')
        return FALSE;
    PushBack(ch);
    return TRUE;
}

int CXTPMarkupParser::Error(const wchar_t* message)
{
    m_value.assign(message, wcsnlen(message, maxChunkLength));
    return tokenError;
}

void CXTPMarkupParser::AppendName(wchar_t* buffer, int& length, wchar_t ch)
{
    if (length < maxNameLength) {
        buffer[length++] = ch;
        buffer[length] = 0;
    }
}

int CXTPMarkupParser::NextToken()
{
    switch (m_state) {
    case stateInTag:
        return ReadInTag();
    case stateComment:
        return ReadSection(L"-->", tokenCommentEnd, false);
    case stateCData:
        return ReadSection(L"]]>", tokenCDataEnd, false);
    case statePI:
        return ReadSection(L"?>", tokenPIEnd, true);
    case stateText:
    default:
        return ReadText();
    }
}

int CXTPMarkupParser::ReadText()
{
    m_value.clear();
    wchar_t ch = GetChar();
    if (!ch)
        return tokenEof;
    if (ch == L'<')
        return ReadTagOpening();

    bool white = false;
    if (ch == L'&') {
        ReadEntity(); // whatever it gives counts as text, even a space written as a reference
    } else {
        white = IsWhiteSpace(ch);
        m_value += ch;
    }
    for (;;) {
        ch = GetChar();
        if (!ch)
            break;
        if (ch == L'<' || ch == L'&' || IsWhiteSpace(ch) != white) {
            PushBack(ch);
            break;
        }
        m_value += ch;
    }
    return white ? tokenSpace : tokenText;
}

int CXTPMarkupParser::ReadTagOpening()
{
    m_nTagNameLength = 0;
    m_szTagName[0] = 0;
    wchar_t ch = GetChar();
    if (ch == L'?') {
        m_state = statePI;
        m_bSectionEnd = false;
        m_carry.clear();
        return tokenPIStart;
    }
    const bool endTag = ch == L'/';
    if (endTag)
        ch = GetChar();

    for (;;) {
        if (!ch)
            return Error(L"Unexpected end of file has occurred.");
        if (IsWhiteSpace(ch)) {
            ch = SkipWhiteSpace();
            if (!ch)
                return Error(L"Unexpected end of file has occurred.");
            break;
        }
        if (ch == L'/' || ch == L'>')
            break;
        AppendName(m_szTagName, m_nTagNameLength, ch);
        if (wcscmp(m_szTagName, L"!--") == 0) {
            m_state = stateComment;
            m_bSectionEnd = false;
            m_carry.clear();
            return tokenCommentStart;
        }
        if (wcscmp(m_szTagName, L"![CDATA[") == 0) {
            m_state = stateCData;
            m_bSectionEnd = false;
            m_carry.clear();
            return tokenCDataStart;
        }
        ch = GetChar();
    }

    if (endTag) {
        if (ch != L'>')
            return Error(L"Unexpected token. The expected token is '>'");
        m_state = stateText;
        return tokenEndTag;
    }
    PushBack(ch);
    m_state = stateInTag;
    return tokenStartTag;
}

int CXTPMarkupParser::ReadInTag()
{
    wchar_t ch = SkipWhiteSpace();
    if (ch == L'>') {
        // No token marks the end of a start tag: the text after it comes at once.
        m_state = stateText;
        return ReadText();
    }
    if (ch == L'/') {
        ch = GetChar();
        if (ch == L'>') {
            m_state = stateText;
            return tokenEndTag; // the tag name still holds the start tag's name
        }
        PushBack(ch);
        return Error(L"Unexpected token. The expected token is '>'");
    }

    m_value.clear();
    m_nAttributeNameLength = 0;
    m_szAttributeName[0] = 0;
    for (;;) {
        if (!ch)
            return tokenEof;
        if (ch == L'=')
            break;
        if (ch == L'>')
            return Error(L"'>' is an unexpected token. The expected token is '='");
        if (ch == L'<')
            return Error(L"'<' is an unexpected token. The expected token is '='");
        if (IsWhiteSpace(ch)) {
            ch = SkipWhiteSpace();
            if (ch == L'=')
                break;
            if (!ch)
                return tokenEof;
            return Error(L"Unexpected token. The expected token is '='");
        }
        AppendName(m_szAttributeName, m_nAttributeNameLength, ch);
        ch = GetChar();
    }

    const wchar_t quote = SkipWhiteSpace();
    if (quote != L'"' && quote != L'\'')
        return Error(L"Unexpected token. The expected token is '\"' or '''");
    for (;;) {
        ch = GetChar();
        if (!ch)
            return Error(L"Unexpected token. The expected token is '\"' or '''");
        if (ch == quote)
            break;
        if (ch == L'&')
            ReadEntity();
        else
            m_value += ch;
    }
    return tokenAttribute;
}

int CXTPMarkupParser::ReadSection(const wchar_t* marker, int endToken, bool dropWhiteSpace)
{
    if (m_bSectionEnd) {
        m_bSectionEnd = false;
        m_state = stateText;
        if (endToken != tokenPIEnd)
            m_value.clear(); // an instruction's end keeps its last chunk for the builder
        return endToken;
    }

    const size_t markerLength = wcslen(marker);
    m_value = m_carry;
    m_carry.clear();
    for (;;) {
        if (m_value.size() >= maxChunkLength) {
            // Hold back a tail that may be the start of the end marker, so that a marker split
            // between two chunks is still found; it opens the next chunk.
            size_t keep = markerLength - 1;
            for (; keep > 0; --keep) {
                if (m_value.compare(m_value.size() - keep, keep, marker, keep) == 0)
                    break;
            }
            m_carry.assign(m_value, m_value.size() - keep, keep);
            m_value.resize(m_value.size() - keep);
            return tokenData;
        }
        const wchar_t ch = GetChar();
        if (!ch)
            return tokenEof;
        if (dropWhiteSpace && IsWhiteSpace(ch))
            continue;
        m_value += ch;
        if (m_value.size() >= markerLength &&
            m_value.compare(m_value.size() - markerLength, markerLength, marker) == 0) {
            // erase, not resize: an optimising build sees a growing copy in resize and warns.
            m_value.erase(m_value.size() - markerLength);
            m_bSectionEnd = true;
            return tokenData;
        }
    }
}

void CXTPMarkupParser::ReadEntity()
{
    // The name ends at ";" or at the first character that cannot belong to it; that character is
    // read again normally, so an unterminated "&" cannot swallow a closing quote or the next tag.
    wchar_t name[maxEntityName + 1];
    int length = 0;
    bool terminated = false;
    for (;;) {
        const wchar_t ch = GetChar();
        if (ch == L';') {
            terminated = true;
            break;
        }
        if (!ch)
            break;
        if (IsWhiteSpace(ch) || ch == L'<' || ch == L'&' || ch == L'"' || ch == L'\'' || length == maxEntityName) {
            PushBack(ch);
            break;
        }
        name[length++] = ch;
    }
    name[length] = 0;

    if (!terminated) {
        m_value += L'&';
        m_value.append(name, static_cast<size_t>(length));
        return;
    }
    UINT codePoint = 0;
    if (wcscmp(name, L"gt") == 0)
        codePoint = L'>';
    else if (wcscmp(name, L"lt") == 0)
        codePoint = L'<';
    else if (wcscmp(name, L"amp") == 0)
        codePoint = L'&';
    else if (wcscmp(name, L"apos") == 0)
        codePoint = L'\'';
    else if (wcscmp(name, L"quot") == 0)
        codePoint = L'"';
    else
        codePoint = DecodeEntity(name, length);

    if (codePoint) {
        AppendCodePoint(codePoint);
    } else {
        m_value += L'&';
        m_value.append(name, static_cast<size_t>(length));
        m_value += L';';
    }
}

void CXTPMarkupParser::AppendCodePoint(UINT codePoint)
{
    if (codePoint > 0xFFFF) {
        codePoint -= 0x10000;
        m_value += static_cast<wchar_t>(0xD800 + (codePoint >> 10));
        m_value += static_cast<wchar_t>(0xDC00 + (codePoint & 0x3FF));
    } else {
        m_value += static_cast<wchar_t>(codePoint);
    }
}

namespace {

int DigitValue(wchar_t ch, int base)
{
    int value = -1;
    if (ch >= L'0' && ch <= L'9')
        value = ch - L'0';
    else if (ch >= L'a' && ch <= L'z')
        value = ch - L'a' + 10;
    else if (ch >= L'A' && ch <= L'Z')
        value = ch - L'A' + 10;
    return value < base ? value : -1;
}

// Reads digits of the base from p up to end; false when there is none. The value saturates just
// past the last code point, so any longer number is simply too large.
bool ReadNumber(const wchar_t*& p, const wchar_t* end, int base, UINT& value)
{
    value = 0;
    bool any = false;
    for (int digit; p < end && (digit = DigitValue(*p, base)) >= 0; ++p) {
        value = value > 0x10FFFF ? 0x110000 : value * static_cast<UINT>(base) + static_cast<UINT>(digit);
        any = true;
    }
    return any;
}

} // namespace

UINT CXTPMarkupParser::DecodeEntity(const wchar_t* name, int length)
{
    if (length < 2 || name[0] != L'#')
        return 0;
    const wchar_t* p = name + 1;
    const wchar_t* end = name + length;
    UINT value = 0;
    bool negative = false;
    if (length > 2 && name[1] == L'x') {
        ++p;
        if (!ReadNumber(p, end, 16, value))
            return 0;
    } else {
        // As the C library's "%i" reads a number: a sign, then hexadecimal after "0x", octal after
        // a leading 0, else decimal; reading stops at the first character that does not fit.
        if (*p == L'-' || *p == L'+')
            negative = *p++ == L'-';
        bool read = false;
        if (end - p > 2 && p[0] == L'0' && (p[1] == L'x' || p[1] == L'X') && DigitValue(p[2], 16) >= 0) {
            p += 2;
            read = ReadNumber(p, end, 16, value);
        } else if (p < end && *p == L'0') {
            read = ReadNumber(p, end, 8, value);
        } else {
            read = ReadNumber(p, end, 10, value);
        }
        if (!read)
            return 0;
    }
    // No character for 0, a negative number, a lone surrogate or anything past U+10FFFF: the
    // reference then stays in the text as written.
    if (negative || value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return value;
}
