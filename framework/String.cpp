#include "framework/String.h"

#include "framework/Exception.h"
#include "framework/ResourceHandle.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace {

std::wstring_view ViewOf(const wchar_t* text)
{
    return text ? std::wstring_view(text) : std::wstring_view();
}

std::wstring FromCodePage(const char* text)
{
    if (!text || !*text)
        return {};
    const int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (units <= 1)
        return {};
    std::wstring result(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, result.data(), units);
    result.resize(static_cast<size_t>(units - 1));
    return result;
}

bool IsSpace(wchar_t ch)
{
    return std::iswspace(ch) != 0;
}

// Appends the formatted text. _vsnwprintf is used on purpose: in mingw's standard-conforming
// mode swprintf reads %s as a narrow string, while the Microsoft routine keeps %s wide.
void AppendFormatted(std::wstring& out, const wchar_t* format, va_list args)
{
    if (!format)
        return;
    va_list counting;
    va_copy(counting, args);
    const int needed = _vscwprintf(format, counting);
    va_end(counting);
    if (needed <= 0)
        return;
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(needed) + 1);
    const int written = _vsnwprintf(out.data() + start, static_cast<size_t>(needed) + 1, format, args);
    out.resize(start + static_cast<size_t>(std::max(written, 0)));
}

} // namespace

CString::CString(const wchar_t* text) : m_str(ViewOf(text)) {}

CString::CString(const wchar_t* text, int length)
{
    if (text && length > 0)
        m_str.assign(text, static_cast<size_t>(length));
}

CString::CString(wchar_t ch, int repeat)
{
    if (repeat > 0)
        m_str.assign(static_cast<size_t>(repeat), ch);
}

CString::CString(const char* text) : m_str(FromCodePage(text)) {}

CString& CString::operator=(const wchar_t* text)
{
    // text may point into this string: build the new value before replacing the old one
    std::wstring copy(ViewOf(text));
    m_str.swap(copy);
    return *this;
}

CString& CString::operator=(wchar_t ch)
{
    m_str.assign(1, ch);
    return *this;
}

CString& CString::operator=(const char* text)
{
    m_str = FromCodePage(text);
    return *this;
}

wchar_t CString::GetAt(int index) const
{
    if (index < 0 || index >= GetLength())
        AfxThrowInvalidArgException();
    return m_str[static_cast<size_t>(index)];
}

void CString::SetAt(int index, wchar_t ch)
{
    if (index < 0 || index >= GetLength())
        AfxThrowInvalidArgException();
    m_str[static_cast<size_t>(index)] = ch;
}

wchar_t* CString::GetBuffer()
{
    return m_str.data();
}

wchar_t* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_str.resize(static_cast<size_t>(minLength));
    return m_str.data();
}

wchar_t* CString::GetBufferSetLength(int length)
{
    m_str.resize(static_cast<size_t>(std::max(length, 0)));
    return m_str.data();
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        newLength = static_cast<int>(wcslen(m_str.c_str())); // bounded: c_str() ends in a NUL
    m_str.resize(std::min(static_cast<size_t>(newLength), m_str.size()));
}

void CString::Preallocate(int length)
{
    if (length > 0)
        m_str.reserve(static_cast<size_t>(length));
}

CString& CString::operator+=(const CString& text)
{
    m_str += text.m_str;
    return *this;
}

CString& CString::operator+=(const wchar_t* text)
{
    std::wstring copy(ViewOf(text)); // text may point into this string
    m_str += copy;
    return *this;
}

CString& CString::operator+=(wchar_t ch)
{
    m_str.push_back(ch);
    return *this;
}

void CString::Append(const wchar_t* text, int length)
{
    if (text && length > 0)
        m_str += std::wstring(text, static_cast<size_t>(length));
}

int CString::Compare(const wchar_t* text) const
{
    const int order = std::wstring_view(m_str).compare(ViewOf(text));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int CString::CompareNoCase(const wchar_t* text) const
{
    const int order = _wcsicmp(m_str.c_str(), text ? text : L"");
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const
{
    first = std::clamp(first, 0, GetLength());
    count = std::clamp(count, 0, GetLength() - first);
    return CString(std::wstring_view(m_str).substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Left(int count) const
{
    return Mid(0, count);
}

CString CString::Right(int count) const
{
    count = std::clamp(count, 0, GetLength());
    return Mid(GetLength() - count, count);
}

CString CString::SpanIncluding(const wchar_t* charSet) const
{
    const size_t end = m_str.find_first_not_of(ViewOf(charSet));
    return CString(std::wstring_view(m_str).substr(0, end));
}

CString CString::SpanExcluding(const wchar_t* charSet) const
{
    const size_t end = m_str.find_first_of(ViewOf(charSet));
    return CString(std::wstring_view(m_str).substr(0, end));
}

CString CString::Tokenize(const wchar_t* delimiters, int& start) const
{
    if (start < 0 || start >= GetLength()) {
        start = -1;
        return CString();
    }
    const std::wstring_view set = ViewOf(delimiters);
    const size_t from = m_str.find_first_not_of(set, static_cast<size_t>(start));
    if (from == std::wstring::npos) {
        start = -1;
        return CString();
    }
    size_t to = m_str.find_first_of(set, from);
    if (to == std::wstring::npos)
        to = m_str.size();
    start = static_cast<int>(std::min(to + 1, m_str.size()));
    return CString(std::wstring_view(m_str).substr(from, to - from));
}

CString& CString::MakeUpper()
{
    if (!m_str.empty())
        CharUpperBuffW(m_str.data(), static_cast<DWORD>(m_str.size()));
    return *this;
}

CString& CString::MakeLower()
{
    if (!m_str.empty())
        CharLowerBuffW(m_str.data(), static_cast<DWORD>(m_str.size()));
    return *this;
}

CString& CString::MakeReverse()
{
    std::reverse(m_str.begin(), m_str.end());
    return *this;
}

int CString::Replace(wchar_t oldChar, wchar_t newChar)
{
    int count = 0;
    for (wchar_t& ch : m_str) {
        if (ch == oldChar) {
            ch = newChar;
            ++count;
        }
    }
    return count;
}

int CString::Replace(const wchar_t* oldText, const wchar_t* newText)
{
    const std::wstring from(ViewOf(oldText));
    const std::wstring to(ViewOf(newText));
    if (from.empty())
        return 0;
    int count = 0;
    std::wstring result;
    size_t pos = 0;
    for (size_t hit; (hit = m_str.find(from, pos)) != std::wstring::npos; pos = hit + from.size()) {
        result.append(m_str, pos, hit - pos);
        result += to;
        ++count;
    }
    if (count) {
        result.append(m_str, pos, std::wstring::npos);
        m_str.swap(result);
    }
    return count;
}

int CString::Remove(wchar_t ch)
{
    const size_t before = m_str.size();
    m_str.erase(std::remove(m_str.begin(), m_str.end(), ch), m_str.end());
    return static_cast<int>(before - m_str.size());
}

int CString::Insert(int index, wchar_t ch)
{
    return Insert(index, std::wstring(1, ch).c_str());
}

int CString::Insert(int index, const wchar_t* text)
{
    index = std::clamp(index, 0, GetLength());
    std::wstring copy(ViewOf(text));
    m_str.insert(static_cast<size_t>(index), copy);
    return GetLength();
}

int CString::Delete(int index, int count)
{
    if (index < 0)
        index = 0;
    if (count > 0 && index < GetLength())
        m_str.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::Trim(wchar_t ch)
{
    return TrimRight(ch).TrimLeft(ch);
}

CString& CString::Trim(const wchar_t* chars)
{
    return TrimRight(chars).TrimLeft(chars);
}

CString& CString::TrimLeft()
{
    m_str.erase(m_str.begin(), std::find_if_not(m_str.begin(), m_str.end(), IsSpace));
    return *this;
}

CString& CString::TrimLeft(wchar_t ch)
{
    m_str.erase(0, m_str.find_first_not_of(ch));
    return *this;
}

CString& CString::TrimLeft(const wchar_t* chars)
{
    m_str.erase(0, m_str.find_first_not_of(ViewOf(chars)));
    return *this;
}

CString& CString::TrimRight()
{
    m_str.erase(std::find_if_not(m_str.rbegin(), m_str.rend(), IsSpace).base(), m_str.end());
    return *this;
}

CString& CString::TrimRight(wchar_t ch)
{
    const size_t last = m_str.find_last_not_of(ch);
    m_str.erase(last == std::wstring::npos ? 0 : last + 1);
    return *this;
}

CString& CString::TrimRight(const wchar_t* chars)
{
    const size_t last = m_str.find_last_not_of(ViewOf(chars));
    m_str.erase(last == std::wstring::npos ? 0 : last + 1);
    return *this;
}

int CString::Find(wchar_t ch, int start) const
{
    if (start < 0 || start > GetLength())
        return -1;
    const size_t hit = m_str.find(ch, static_cast<size_t>(start));
    return hit == std::wstring::npos ? -1 : static_cast<int>(hit);
}

int CString::Find(const wchar_t* text, int start) const
{
    if (start < 0 || start > GetLength() || !text)
        return -1;
    const size_t hit = m_str.find(ViewOf(text), static_cast<size_t>(start));
    return hit == std::wstring::npos ? -1 : static_cast<int>(hit);
}

int CString::ReverseFind(wchar_t ch) const
{
    const size_t hit = m_str.rfind(ch);
    return hit == std::wstring::npos ? -1 : static_cast<int>(hit);
}

int CString::FindOneOf(const wchar_t* charSet) const
{
    const size_t hit = m_str.find_first_of(ViewOf(charSet));
    return hit == std::wstring::npos ? -1 : static_cast<int>(hit);
}

void CString::Format(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const wchar_t* format, va_list args)
{
    std::wstring result;
    AppendFormatted(result, format, args);
    m_str.swap(result); // the arguments may point into this string
}

void CString::AppendFormat(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

void CString::AppendFormatV(const wchar_t* format, va_list args)
{
    std::wstring result(m_str);
    AppendFormatted(result, format, args);
    m_str.swap(result);
}

CString operator+(const CString& a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, const wchar_t* b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const wchar_t* a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, wchar_t b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(wchar_t a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

BOOL CString::LoadString(UINT id)
{
    return LoadString(AfxFindStringResourceHandle(id), id);
}

BOOL CString::LoadString(HINSTANCE module, UINT id)
{
    return AfxReadStringResource(module, id, *this) ? TRUE : FALSE;
}
