#include "framework/Exception.h"
#include "framework/String.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

std::wstring W(const CString& s)
{
    return std::wstring(s.GetString(), static_cast<size_t>(s.GetLength()));
}

TEST(CStringFormat, PercentSIsWide)
{
    struct Case { CString actual; const wchar_t* expected; };
    CString a, b, c, d, e;
    a.Format(L"%s(%d)", L"abc", 5);
    b.Format(L"%ls|%-4s|%5s", L"x", L"ab", L"cd");
    c.Format(L"%08X %u %c %%", 0xBEEFu, 42u, L'Z');
    d.Format(L"%s", L"");
    e.Format(L"> %s: %s", CString(L"Building").GetString(), CString(L"\x00e9t\x00e9").GetString());
    const Case cases[] = {
        {a, L"abc(5)"},
        {b, L"x|ab  |   cd"},
        {c, L"0000BEEF 42 Z %"},
        {d, L""},
        {e, L"> Building: \x00e9t\x00e9"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(std::wstring(k.expected), W(k.actual));
}

TEST(CStringFormat, LongOutputAndAppend)
{
    CString s;
    s.Format(L"%s", std::wstring(5000, L'q').c_str());
    EXPECT_EQ(5000, s.GetLength());
    s.AppendFormat(L"-%d", 7);
    EXPECT_EQ(L"-7", W(s.Right(2)));
}

TEST(CStringFormat, ArgumentMayBeTheStringItself)
{
    CString s = L"self";
    s.Format(L"[%s]", s.GetString());
    EXPECT_EQ(L"[self]", W(s));
}

TEST(CString, EmbeddedNulsSurviveCopiesAndComparisons)
{
    const CString text(L"ab\0cd", 5);
    CString copy = text;
    EXPECT_EQ(5, copy.GetLength());
    EXPECT_TRUE(copy == text);
    EXPECT_FALSE(copy == CString(L"ab"));
    EXPECT_EQ(L'c', copy.GetAt(3));
    EXPECT_EQ(2, copy.Find(L'\0'));
    EXPECT_EQ(std::wstring(L"\0cd", 3), W(copy.Mid(2)));
}

TEST(CString, BufferAccess)
{
    CString s;
    wchar_t* buffer = s.GetBuffer(10);
    wcscpy(buffer, L"hello");
    s.ReleaseBuffer();
    EXPECT_EQ(L"hello", W(s));
    buffer = s.GetBuffer(3);
    buffer[2] = L'\0';
    s.ReleaseBuffer();
    EXPECT_EQ(L"he", W(s));
    buffer = s.GetBufferSetLength(4);
    buffer[2] = L'y';
    buffer[3] = L'!';
    s.ReleaseBuffer(4);
    EXPECT_EQ(L"hey!", W(s));
}

TEST(CString, ExtractionClampsOutOfRange)
{
    const CString s = L"abcdef";
    EXPECT_EQ(L"cd", W(s.Mid(2, 2)));
    EXPECT_EQ(L"", W(s.Mid(10)));
    EXPECT_EQ(L"abcdef", W(s.Mid(-3)));
    EXPECT_EQ(L"ef", W(s.Mid(4, 100)));
    EXPECT_EQ(L"", W(s.Left(-1)));
    EXPECT_EQ(L"abcdef", W(s.Left(99)));
    EXPECT_EQ(L"def", W(s.Right(3)));
    EXPECT_EQ(L"abcdef", W(s.Right(99)));
    EXPECT_EQ(L"abc", W(s.SpanIncluding(L"cba")));
    EXPECT_EQ(L"ab", W(s.SpanExcluding(L"dc")));
}

TEST(CString, SearchAndEdit)
{
    CString s = L"C:\\Program Files\\App\\";
    EXPECT_EQ(20, s.ReverseFind(L'\\'));
    EXPECT_EQ(3, s.Find(L"Program"));
    EXPECT_EQ(-1, s.Find(L"program"));
    EXPECT_EQ(-1, s.Find(L'x', 100));
    EXPECT_EQ(1, s.FindOneOf(L":\\"));
    EXPECT_EQ(3, s.Replace(L"\\", L"/"));
    EXPECT_EQ(L"C:/Program Files/App/", W(s));
    s.TrimRight(L'/');
    EXPECT_EQ(L"C:/Program Files/App", W(s));
    EXPECT_EQ(0, s.Replace(L"", L"x"));
    s.Delete(0, 3);
    s.Insert(0, L"D:/");
    EXPECT_EQ(L"D:/Program Files/App", W(s));
    EXPECT_EQ(2, s.Remove(L'/'));
    CString padded = L" \t x y \r\n";
    EXPECT_EQ(L"x y", W(padded.Trim()));
    CString dots = L"..a..";
    EXPECT_EQ(L"a..", W(CString(dots).TrimLeft(L".")));
    EXPECT_EQ(L"a", W(dots.Trim(L'.')));
}

TEST(CString, CaseAndComparison)
{
    CString s = L"MixedCase";
    EXPECT_EQ(0, s.CompareNoCase(L"mixedcase"));
    EXPECT_LT(CString(L"abc").Compare(L"abd"), 0);
    EXPECT_GT(CString(L"b").Compare(L"abc"), 0);
    EXPECT_EQ(L"MIXEDCASE", W(CString(s).MakeUpper()));
    EXPECT_EQ(L"mixedcase", W(s.MakeLower()));
    EXPECT_TRUE(CString(L"a") < CString(L"b"));
}

TEST(CString, Tokenize)
{
    const CString s = L";;one;two;;three;";
    std::vector<std::wstring> tokens;
    int position = 0;
    for (CString token = s.Tokenize(L";", position); position != -1; token = s.Tokenize(L";", position))
        tokens.push_back(W(token));
    EXPECT_EQ((std::vector<std::wstring>{L"one", L"two", L"three"}), tokens);
}

TEST(CString, ConcatenationAndNarrowConversion)
{
    const CString a = "narrow";
    EXPECT_EQ(L"narrow", W(a));
    EXPECT_EQ(L"x-narrow-y", W(L"x-" + a + L'-' + CString(L"y")));
    CString empty = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(CString, OutOfRangeCharacterAccessThrows)
{
    CString s = L"ab";
    EXPECT_THROW(s.GetAt(2), CInvalidArgException);
    EXPECT_THROW(s.SetAt(-1, L'x'), CInvalidArgException);
}

TEST(CString, CopiesAreIndependentAcrossThreads)
{
    const CString shared = CString(L'z', 1000);
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&shared, &failures, t] {
            for (int i = 0; i < 2000; ++i) {
                CString copy = shared;
                copy.SetAt(i % 1000, L'a');
                copy += L"tail";
                if (copy.GetLength() != 1004 || shared.GetAt(i % 1000) != L'z')
                    ++failures[static_cast<size_t>(t)];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int f : failures)
        EXPECT_EQ(0, f);
    EXPECT_TRUE(shared == CString(L'z', 1000));
}

} // namespace
