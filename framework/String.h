#pragma once
// CString: the framework's UTF-16 string. Lengths are counted, so embedded NULs survive copies,
// comparisons and archives. Storage is a plain std::wstring: a copy is a deep copy, which makes
// copies safe to hand to another thread without the shared-buffer reference counts.

#include "framework/Base.h"

#include <cstdarg>
#include <string>
#include <string_view>

class CString {
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(const wchar_t* text);                 // null gives an empty string
    CString(const wchar_t* text, int length);     // exactly length units, NULs included
    CString(wchar_t ch, int repeat = 1);
    CString(const char* text);                    // converted from the process code page
    explicit CString(std::wstring_view text) : m_str(text) {}
    ~CString() = default;

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const wchar_t* text);
    CString& operator=(wchar_t ch);
    CString& operator=(const char* text);

    // Access
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    wchar_t GetAt(int index) const;
    void SetAt(int index, wchar_t ch);
    wchar_t operator[](int index) const { return GetAt(index); }
    operator const wchar_t*() const { return m_str.c_str(); }
    const wchar_t* GetString() const { return m_str.c_str(); }
    std::wstring_view View() const { return m_str; }

    // Direct buffer access: GetBuffer gives room for at least minLength units plus a terminator;
    // ReleaseBuffer(-1) takes the length up to the first NUL.
    wchar_t* GetBuffer();
    wchar_t* GetBuffer(int minLength);
    wchar_t* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);
    void Preallocate(int length);

    // Appending
    CString& operator+=(const CString& text);
    CString& operator+=(const wchar_t* text);
    CString& operator+=(wchar_t ch);
    void Append(const CString& text) { *this += text; }
    void Append(const wchar_t* text) { *this += text; }
    void Append(const wchar_t* text, int length);
    void AppendChar(wchar_t ch) { m_str.push_back(ch); }

    // Comparison: Compare is ordinal; CompareNoCase folds case the way the system does.
    int Compare(const wchar_t* text) const;
    int CompareNoCase(const wchar_t* text) const;

    // Extraction; out-of-range arguments are clamped, never an error.
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    CString SpanIncluding(const wchar_t* charSet) const;
    CString SpanExcluding(const wchar_t* charSet) const;
    CString Tokenize(const wchar_t* delimiters, int& start) const;

    // Changing in place
    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    int Replace(wchar_t oldChar, wchar_t newChar);
    int Replace(const wchar_t* oldText, const wchar_t* newText);
    int Remove(wchar_t ch);
    int Insert(int index, wchar_t ch);
    int Insert(int index, const wchar_t* text);
    int Delete(int index, int count = 1);
    CString& Trim();
    CString& Trim(wchar_t ch);
    CString& Trim(const wchar_t* chars);
    CString& TrimLeft();
    CString& TrimLeft(wchar_t ch);
    CString& TrimLeft(const wchar_t* chars);
    CString& TrimRight();
    CString& TrimRight(wchar_t ch);
    CString& TrimRight(const wchar_t* chars);

    // Searching; -1 when not found.
    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* text, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    int FindOneOf(const wchar_t* charSet) const;

    // printf-style formatting with wide %s (the Microsoft convention, whatever the C runtime's
    // standard mode says).
    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);
    void AppendFormat(const wchar_t* format, ...);
    void AppendFormatV(const wchar_t* format, va_list args);

    // Loads string id of the program's string tables (the resource handle's module first, then
    // the instance; see ResourceHandle.h), or of one module. False when there is no such string;
    // the string is then left as it was.
    BOOL LoadString(UINT id);
    BOOL LoadString(HINSTANCE module, UINT id);

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, const wchar_t* b);
    friend CString operator+(const wchar_t* a, const CString& b);
    friend CString operator+(const CString& a, wchar_t b);
    friend CString operator+(wchar_t a, const CString& b);

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
    friend bool operator==(const wchar_t* a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
    friend bool operator!=(const wchar_t* a, const CString& b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }
    friend bool operator>(const CString& a, const CString& b) { return b.m_str < a.m_str; }
    friend bool operator<=(const CString& a, const CString& b) { return !(b.m_str < a.m_str); }
    friend bool operator>=(const CString& a, const CString& b) { return !(a.m_str < b.m_str); }

private:
    std::wstring m_str;
};

// Hash of a string key for CMap.
inline UINT HashKey(const CString& key)
{
    return static_cast<UINT>(std::hash<std::wstring_view>{}(key.View()));
}
