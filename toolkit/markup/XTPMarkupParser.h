#pragma once
// The markup tokenizer: an XML subset read from a UTF-16 string in memory, handed to the builder
// as start and end tags, attributes, text and white-space runs, and the chunks of comments,
// character-data sections and processing instructions. It keeps the line and position for error
// messages and knows nothing of markup types.
//
// Text arrives as alternating white and non-white tokens, and every entity reference starts a new
// token. An entity name ends at ";" or at the first character that cannot belong to it, so a
// stray "&" never swallows a closing quote or the next tag. Section chunks hold at most 1023
// characters, and an end marker split between two chunks is still found.

#include "framework/Base.h"

#include <string>

class CXTPMarkupParser {
public:
    enum Token {
        tokenError = -1,
        tokenEof = 0,
        tokenStartTag = 1,
        tokenEndTag = 2,         // also the end of an empty-element tag ("/>")
        tokenAttribute = 3,
        tokenText = 4,
        tokenSpace = 5,
        tokenData = 6,           // a chunk of a comment, character-data section or instruction
        tokenCommentStart = 7,
        tokenCommentEnd = 8,
        tokenCDataStart = 9,
        tokenCDataEnd = 10,
        tokenPIStart = 11,
        tokenPIEnd = 12,         // the value keeps the instruction's last chunk
    };

    enum {
        maxNameLength = 127,     // longer tag and attribute names keep their first 127 characters
        maxChunkLength = 1023,   // section chunks and error messages
        maxEntityName = 31,
    };

    CXTPMarkupParser();
    CXTPMarkupParser(const CXTPMarkupParser&) = delete;
    CXTPMarkupParser& operator=(const CXTPMarkupParser&) = delete;
    virtual ~CXTPMarkupParser() = default;

    // The input is [start, end); a 0 inside the range ends it too. Not owned.
    void SetBuffer(const wchar_t* start, const wchar_t* end);

    // Skips white space; true when the first other character is "<".
    BOOL FirstTag();
    int NextToken();

    // Text of the last token: text, white space, chunk, attribute value or error message.
    const wchar_t* GetValue() const { return m_value.c_str(); }
    int GetValueLength() const { return static_cast<int>(m_value.size()); }
    const wchar_t* GetTagName() const { return m_szTagName; }
    const wchar_t* GetAttributeName() const { return m_szAttributeName; }
    // Line ends read so far (CR and LF each count) and characters since the last one.
    int GetLine() const { return m_nLine; }
    int GetPosition() const { return m_nPosition; }

protected:
    // The code point of an entity that is neither of the five named ones; 0 when the name means
    // nothing, and the reference then stays in the text as written. The default reads "#xHEX" and
    // "#NUMBER" (decimal, 0-prefixed octal, 0x-prefixed hexadecimal) up to U+10FFFF, surrogates
    // and 0 excluded.
    virtual UINT DecodeEntity(const wchar_t* name, int length);

private:
    enum State { stateText, stateInTag, stateComment, stateCData, statePI };

    wchar_t GetChar();
    void PushBack(wchar_t ch) { m_chPushedBack = ch; }
    wchar_t SkipWhiteSpace();
    static bool IsWhiteSpace(wchar_t ch);

    int ReadText();
    int ReadTagOpening();
    int ReadInTag();
    int ReadSection(const wchar_t* marker, int endToken, bool dropWhiteSpace);
    // After "&": appends the decoded character (or the reference as written) to the value.
    void ReadEntity();
    void AppendCodePoint(UINT codePoint);
    static void AppendName(wchar_t* buffer, int& length, wchar_t ch);
    int Error(const wchar_t* message);

    State m_state = stateText;
    std::wstring m_value;
    wchar_t m_szTagName[maxNameLength + 1] = {};
    int m_nTagNameLength = 0;
    wchar_t m_szAttributeName[maxNameLength + 1] = {};
    int m_nAttributeNameLength = 0;
    wchar_t m_chPushedBack = 0;
    bool m_bSectionEnd = false;
    // The tail of the last full chunk that may begin a section's end marker, read again at the
    // start of the next chunk.
    std::wstring m_carry;
    int m_nLine = 0;
    int m_nPosition = 0;
    const wchar_t* m_pInput = nullptr;
    const wchar_t* m_pInputEnd = nullptr;
};
