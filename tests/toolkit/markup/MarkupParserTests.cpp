// The markup tokenizer, one table: each row is an input and the tokens it must give, written as
// "kind:text" joined by "|" (an error also shows the line and position where it was found).

#include "tests/support/TestSupport.h"
#include "toolkit/markup/XTPMarkupParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::Utf8;

namespace {

// The text each token kind carries: tag names for tags, "name=value" for attributes, the value
// buffer for the rest; errors add "@line,position".
std::wstring DumpTokens(CXTPMarkupParser& parser)
{
    std::wstring dump;
    for (int guard = 0; guard < 10000; ++guard) {
        const int token = parser.NextToken();
        if (!dump.empty())
            dump += L'|';
        dump += std::to_wstring(token) + L':';
        switch (token) {
        case CXTPMarkupParser::tokenStartTag:
        case CXTPMarkupParser::tokenEndTag:
            dump += parser.GetTagName();
            break;
        case CXTPMarkupParser::tokenAttribute:
            dump += std::wstring(parser.GetAttributeName()) + L"=" + parser.GetValue();
            break;
        case CXTPMarkupParser::tokenText:
        case CXTPMarkupParser::tokenSpace:
        case CXTPMarkupParser::tokenData:
        case CXTPMarkupParser::tokenPIEnd:
            dump.append(parser.GetValue(), static_cast<size_t>(parser.GetValueLength()));
            break;
        case CXTPMarkupParser::tokenError:
            dump += std::wstring(parser.GetValue()) + L"@" + std::to_wstring(parser.GetLine()) + L"," +
                    std::to_wstring(parser.GetPosition());
            return dump;
        case CXTPMarkupParser::tokenEof:
            return dump;
        default:
            break;
        }
    }
    return dump + L"|(no end)";
}

std::wstring Tokenize(const std::wstring& input)
{
    CXTPMarkupParser parser;
    parser.SetBuffer(input.data(), input.data() + input.size());
    return DumpTokens(parser);
}

std::wstring Repeat(wchar_t ch, size_t count)
{
    return std::wstring(count, ch);
}

struct Row {
    const char* name;
    std::wstring input;
    std::wstring expected;
};

const wchar_t kQuoteError[] = L"Unexpected token. The expected token is '\"' or '''";

std::vector<Row> TokenizerRows()
{
    const std::wstring name127 = Repeat(L'n', 127);
    const std::wstring long2100 = Repeat(L'c', 2100);
    return {
        // Tags
        {"empty-element tag", L"<Page/>", L"1:Page|2:Page|0:"},
        {"start and end tag", L"<Page></Page>", L"1:Page|2:Page|0:"},
        {"attributes of both quote kinds, no space between",
         L"<T a=\"1\"b='2' c = \"3\" />", L"1:T|3:a=1|3:b=2|3:c=3|2:T|0:"},
        {"other quote kept inside a value", L"<T a='x\"y'/>", L"1:T|3:a=x\"y|2:T|0:"},
        {"angle brackets inside a value", L"<T a=\"<>\"/>", L"1:T|3:a=<>|2:T|0:"},
        {"white space after < gives an empty tag name", L"< >", L"1:|0:"},
        {"200-character tag name keeps 127", L"<" + Repeat(L'n', 200) + L"/>",
         L"1:" + name127 + L"|2:" + name127 + L"|0:"},
        {"200-character attribute name keeps 127", L"<T " + Repeat(L'a', 200) + L"='v'/>",
         L"1:T|3:" + Repeat(L'a', 127) + L"=v|2:T|0:"},
        {"document type declaration is a tag", L"<!DOCTYPE x>",
         L"1:!DOCTYPE|-1:'>' is an unexpected token. The expected token is '='@0,12"},
        // Text
        {"text alternates white and non-white", L"<T> a\tb \r\n</T>", L"1:T|5: |4:a|5:\t|4:b|5: \r\n|2:T|0:"},
        {"entity between spaces: five tokens", L"<T>a &amp; b</T>", L"1:T|4:a|5: |4:&|5: |4:b|2:T|0:"},
        {"each entity starts a token, text after it joins", L"x&lt;y&gt;", L"4:x|4:<y|4:>|0:"},
        {"the five named entities", L"&amp;&lt;&gt;&apos;&quot;", L"4:&|4:<|4:>|4:'|4:\"|0:"},
        {"named entities are case-sensitive", L"&AMP;", L"4:&AMP;|0:"},
        {"unknown entity stays as written", L"<T>&unknown;</T>", L"1:T|4:&unknown;|2:T|0:"},
        {"decimal and lower-case hexadecimal references", L"&#65;&#x42;", L"4:A|4:B|0:"},
        {"upper-case X stays as written", L"&#X43;", L"4:&#X43;|0:"},
        {"number read as %i reads it", L"&#0x41;&#065;&#65abc;&#+66;", L"4:A|4:5|4:A|4:B|0:"},
        {"character reference to a space is text", L"a&#32;b", L"4:a|4: b|0:"},
        {"entities in attribute values", L"<T a='&lt;&#x41;&quot;'/>", L"1:T|3:a=<A\"|2:T|0:"},
        {"text of 5000 characters grows the buffer", Repeat(L'x', 5000), L"4:" + Repeat(L'x', 5000) + L"|0:"},
        {"attribute value of 3000 characters", L"<T a='" + Repeat(L'v', 3000) + L"'/>",
         L"1:T|3:a=" + Repeat(L'v', 3000) + L"|2:T|0:"},
        // Sections
        {"comment", L"<!-- hi --><T/>", L"7:|6: hi |8:|1:T|2:T|0:"},
        {"comment of 2100 characters in chunks of 1023", L"<!--" + long2100 + L"--><T/>",
         L"7:|6:" + Repeat(L'c', 1023) + L"|6:" + Repeat(L'c', 1023) + L"|6:" + Repeat(L'c', 54) +
             L"|8:|1:T|2:T|0:"},
        {"character data", L"<T><![CDATA[a<b&c]]></T>", L"1:T|9:|6:a<b&c|10:|2:T|0:"},
        {"processing instruction drops white space, end keeps the last chunk",
         L"<?xml version=\"1.0\" ?><T/>", L"11:|6:xmlversion=\"1.0\"|12:xmlversion=\"1.0\"|1:T|2:T|0:"},
        {"end of input inside a comment", L"<!-- open", L"7:|0:"},
        // Errors, with line and position of the reader
        {"end of input after <", L"<", L"-1:Unexpected end of file has occurred.@0,1"},
        {"end of input inside a tag name", L"<Page", L"-1:Unexpected end of file has occurred.@0,5"},
        {"end of input after a tag name and white space", L"<Page  ",
         L"-1:Unexpected end of file has occurred.@0,7"},
        {"end tag with an attribute", L"</T x>", L"-1:Unexpected token. The expected token is '>'@0,5"},
        {"slash not followed by >", L"<T / >", L"1:T|-1:Unexpected token. The expected token is '>'@0,5"},
        {"attribute without =, then >", L"<T a>",
         L"1:T|-1:'>' is an unexpected token. The expected token is '='@0,5"},
        {"attribute without =, then <", L"<T a<",
         L"1:T|-1:'<' is an unexpected token. The expected token is '='@0,5"},
        {"two names without =", L"<T a b='1'>", L"1:T|-1:Unexpected token. The expected token is '='@0,6"},
        {"unquoted value", L"<T a=1/>", L"1:T|-1:" + std::wstring(kQuoteError) + L"@0,6"},
        {"unterminated value", L"<T a='1", L"1:T|-1:" + std::wstring(kQuoteError) + L"@0,7"},
        {"end of input in an attribute name", L"<T a", L"1:T|0:"},
        {"CR and LF each count a line",
         L"<A>\r\n \n</A b>", L"1:A|5:\r\n \n|-1:Unexpected token. The expected token is '>'@3,5"},
        {"a 0 inside the range ends the input", std::wstring(L"<T/>\0<X/>", 9), L"1:T|2:T|0:"},
        // Mended faults
        {"unterminated entity keeps the end tag", L"<TextBlock>a & b</TextBlock>",
         L"1:TextBlock|4:a|5: |4:&|5: |4:b|2:TextBlock|0:"},
        {"unterminated entity before another entity", L"&a&amp;", L"4:&a|4:&|0:"},
        {"unterminated reference at the end of input", L"x&#65", L"4:x|4:&#65|0:"},
        {"unterminated entity before <", L"<T>x&y</T>", L"1:T|4:x|4:&y|2:T|0:"},
        {"unterminated entity keeps the closing quote", L"<T a='x &amp' b=\"&y\"/>",
         L"1:T|3:a=x &amp|3:b=&y|2:T|0:"},
        {"entity stopped by the other quote, which stays in the value", L"<T a=\"x &b'c\"/>",
         L"1:T|3:a=x &b'c|2:T|0:"},
        {"unterminated entity at the end of input inside a value", L"<T a='&amp",
         L"1:T|-1:" + std::wstring(kQuoteError) + L"@0,10"},
        {"entity name ends after 31 characters", L"&" + Repeat(L'a', 40) + L";",
         L"4:&" + Repeat(L'a', 40) + L";|0:"},
        {"entity of 31 characters and ; is decoded", L"&#x" + Repeat(L'0', 27) + L"41;", L"4:A|0:"},
        {"reference above U+FFFF gives a surrogate pair", L"&#x1F600;&#128512;",
         L"4:\xD83D\xDE00|4:\xD83D\xDE00|0:"},
        {"references to 0, surrogates and past U+10FFFF stay literal",
         L"&#0;&#xD800;&#xDFFF;&#x110000;&#-65;&#99999999999;",
         L"4:&#0;|4:&#xD800;|4:&#xDFFF;|4:&#x110000;|4:&#-65;|4:&#99999999999;|0:"},
        {"highest code point", L"&#x10FFFF;", L"4:\xDBFF\xDFFF|0:"},
        {"comment end split after one dash", L"<!--" + Repeat(L'x', 1022) + L"--><T/>",
         L"7:|6:" + Repeat(L'x', 1022) + L"|6:|8:|1:T|2:T|0:"},
        {"comment end split after two dashes", L"<!--" + Repeat(L'x', 1021) + L"--><T/>",
         L"7:|6:" + Repeat(L'x', 1021) + L"|6:|8:|1:T|2:T|0:"},
        {"dashes at a chunk end that are no end marker", L"<!--" + Repeat(L'x', 1021) + L"--y-->",
         L"7:|6:" + Repeat(L'x', 1021) + L"|6:--y|8:|0:"},
        {"character-data end split", L"<![CDATA[" + Repeat(L'x', 1022) + L"]]><T/>",
         L"9:|6:" + Repeat(L'x', 1022) + L"|6:|10:|1:T|2:T|0:"},
        {"instruction end split", L"<?" + Repeat(L'x', 1022) + L"?><T/>",
         L"11:|6:" + Repeat(L'x', 1022) + L"|6:|12:|1:T|2:T|0:"},
    };
}

TEST(MarkupParser, TokenTable)
{
    for (const Row& row : TokenizerRows())
        EXPECT_EQ(Utf8(row.expected), Utf8(Tokenize(row.input))) << row.name;
}

TEST(MarkupParser, FirstTagAcceptsOnlyWhiteSpaceBeforeTheFirstTag)
{
    struct Case {
        const wchar_t* input;
        BOOL expected;
    } cases[] = {
        {L"<T/>", TRUE},
        {L" \t\r\n<T/>", TRUE},
        {L"\xFEFF<T/>", FALSE},
        {L"x<T/>", FALSE},
        {L"", FALSE},
        {L"   ", FALSE},
    };
    for (const Case& c : cases) {
        CXTPMarkupParser parser;
        const std::wstring input = c.input;
        parser.SetBuffer(input.data(), input.data() + input.size());
        EXPECT_EQ(c.expected, parser.FirstTag()) << Utf8(input);
        if (c.expected) { // the "<" is read again by the first token
            EXPECT_EQ(L"1:T|2:T|0:", DumpTokens(parser)) << Utf8(input);
        }
    }
}

// An application may decode more names; what it declines stays as written.
class CNbspParser : public CXTPMarkupParser {
protected:
    UINT DecodeEntity(const wchar_t* name, int length) override
    {
        if (length == 4 && std::wstring(name) == L"nbsp")
            return 0xA0;
        return CXTPMarkupParser::DecodeEntity(name, length);
    }
};

TEST(MarkupParser, DecodeEntityIsOverridable)
{
    const std::wstring input = L"&nbsp;&#65;&shy;";
    CNbspParser parser;
    parser.SetBuffer(input.data(), input.data() + input.size());
    EXPECT_EQ(Utf8(L"4:\xA0|4:A|4:&shy;|0:"), Utf8(DumpTokens(parser)));
    EXPECT_EQ(Utf8(L"4:&nbsp;|4:A|4:&shy;|0:"), Utf8(Tokenize(input)));
}

TEST(MarkupParser, PositionsFollowTheReader)
{
    const std::wstring input = L"<A>\n  <B c='1'/>";
    CXTPMarkupParser parser;
    parser.SetBuffer(input.data(), input.data() + input.size());
    EXPECT_EQ(CXTPMarkupParser::tokenStartTag, parser.NextToken());
    EXPECT_EQ(CXTPMarkupParser::tokenSpace, parser.NextToken());
    EXPECT_EQ(1, parser.GetLine());
    EXPECT_EQ(3, parser.GetPosition()); // the "<" after the run was read and pushed back
    EXPECT_EQ(CXTPMarkupParser::tokenStartTag, parser.NextToken());
    EXPECT_EQ(CXTPMarkupParser::tokenAttribute, parser.NextToken());
    EXPECT_EQ(1, parser.GetLine());
    EXPECT_EQ(10, parser.GetPosition());
}

} // namespace
