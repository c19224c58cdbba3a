// Text blocks and text elements under real GDI. The expected lines, piece positions and sizes are
// worked out here from GetTextExtentPoint32W of the same font on a DC of our own, independently of
// the layout code; renderings are compared pixel by pixel (RGB) with a DIB this test draws itself
// with ExtTextOutW at the expected positions. Hyperlinks are driven through the context's message
// handling on a hidden window.

#include "MarkupDocumentSupport.h"

#include "toolkit/foundation/XTPOsVersion.h"
#include "toolkit/markup/XTPMarkupConverters.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupInline.h"
#include "toolkit/markup/XTPMarkupParser.h"
#include "toolkit/markup/XTPMarkupStackPanel.h"
#include "toolkit/markup/XTPMarkupTextBlock.h"

#include <functional>
#include <string>
#include <vector>

using namespace markuptests;

namespace {

constexpr int kFontSize = 16;

// The font a run of FontSize kFontSize gets, measured on a memory DC of our own.
class Oracle {
public:
    explicit Oracle(const LOGFONTW& base)
    {
        LOGFONTW lf = base;
        lf.lfHeight = -kFontSize;
        m_lf = lf;
        m_hDC = CreateCompatibleDC(nullptr);
        m_hFont = CreateFontIndirectW(&lf);
        m_hOld = SelectObject(m_hDC, m_hFont);
        TEXTMETRICW metrics = {};
        GetTextMetricsW(m_hDC, &metrics);
        descent = metrics.tmDescent;
        SIZE space = {};
        GetTextExtentPoint32W(m_hDC, L" ", 1, &space);
        height = space.cy;
    }
    ~Oracle()
    {
        SelectObject(m_hDC, m_hOld);
        DeleteObject(m_hFont);
        DeleteDC(m_hDC);
    }
    Oracle(const Oracle&) = delete;
    Oracle& operator=(const Oracle&) = delete;

    int W(const std::wstring& text) const
    {
        if (text.empty())
            return 0;
        SIZE size = {};
        GetTextExtentPoint32W(m_hDC, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    HFONT Font() const { return m_hFont; }

    int height = 0;  // of a space: every line of one font
    int descent = 0;

private:
    LOGFONTW m_lf = {};
    HDC m_hDC = nullptr;
    HFONT m_hFont = nullptr;
    HGDIOBJ m_hOld = nullptr;
};

// A 32-bit top-down DIB section, white at first.
class Dib {
public:
    Dib(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_hDC = CreateCompatibleDC(nullptr);
        m_hBitmap = CreateDIBSection(m_hDC, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pBits), nullptr, 0);
        m_hOld = SelectObject(m_hDC, m_hBitmap);
        RECT all = {0, 0, width, height};
        FillRect(m_hDC, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        GdiFlush();
    }
    ~Dib()
    {
        SelectObject(m_hDC, m_hOld);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hDC);
    }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    HDC DC() const { return m_hDC; }
    COLORREF Pixel(int x, int y) const
    {
        const DWORD value = m_pBits[y * m_width + x];
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }
    // Pixels that differ in RGB, with the first one named.
    int Differences(const Dib& other, std::string* first) const
    {
        GdiFlush();
        int count = 0;
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                if (Pixel(x, y) == other.Pixel(x, y))
                    continue;
                if (count++ == 0 && first) {
                    char text[96];
                    snprintf(text, sizeof(text), "(%d,%d) %06lX vs %06lX", x, y,
                             static_cast<unsigned long>(Pixel(x, y)), static_cast<unsigned long>(other.Pixel(x, y)));
                    *first = text;
                }
            }
        }
        return count;
    }
    int CountColour(COLORREF colour, const RECT& region) const
    {
        GdiFlush();
        int count = 0;
        for (int y = std::max<int>(0, region.top); y < std::min<int>(m_height, region.bottom); ++y)
            for (int x = std::max<int>(0, region.left); x < std::min<int>(m_width, region.right); ++x)
                count += Pixel(x, y) == colour ? 1 : 0;
        return count;
    }

private:
    int m_width, m_height;
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
    DWORD* m_pBits = nullptr;
};

// The text of a piece: the characters of a run's range.
std::wstring PieceText(const MARKUP_TEXT_PIECE& piece)
{
    if (!MarkupDynamicCast<CXTPMarkupRun>(piece.pInline) || piece.from == XTP_MARKUP_NO_POSITION)
        return L"<ui>";
    const auto* from = reinterpret_cast<const wchar_t*>(piece.from);
    const auto* to = reinterpret_cast<const wchar_t*>(piece.to);
    return std::wstring(from, to);
}

std::vector<std::vector<std::wstring>> Lines(const CXTPMarkupTextBlock* block)
{
    std::vector<std::vector<std::wstring>> lines;
    for (const MARKUP_TEXT_LINE& line : block->GetLines()) {
        lines.emplace_back();
        for (const MARKUP_TEXT_PIECE& piece : line.pieces)
            lines.back().push_back(PieceText(piece));
    }
    return lines;
}

std::string Dump(const std::vector<std::vector<std::wstring>>& lines)
{
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        out += i ? "/" : "";
        for (size_t j = 0; j < lines[i].size(); ++j)
            out += (j ? "|" : "") + Narrow(lines[i][j].c_str());
    }
    return out;
}

class MarkupTextTest : public MarkupTest {
protected:
    void SetUp() override
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TarnwickMarkupTextHost";
        RegisterClassW(&wc);
        m_hWnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 400, 200, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        // The count covers the context too: what it holds (delegates, its tip window) goes with it.
        MarkupTest::SetUp();
        m_pContext = CreateMarkupContext(m_hWnd);
        // Fills through GDI, so that expected pixels are plain GDI too.
        m_pContext->EnableGdiPlus(FALSE);
        m_pOracle = new Oracle(m_pContext->GetDefaultLogFont());
    }
    void TearDown() override
    {
        MarkupRelease(m_pRoot);
        EXPECT_EQ(1, m_pContext->GetRefCount()) << "an element still holds the context";
        delete m_pOracle;
        ReleaseMarkupContext(&m_pContext);
        DestroyWindow(m_hWnd);
        MarkupTest::TearDown();
    }

    CXTPMarkupUIElement* Build(const wchar_t* text)
    {
        MarkupRelease(m_pRoot);
        CXTPMarkupParser parser;
        parser.SetBuffer(text, text + wcslen(text));
        CXTPMarkupBuilder builder(m_pContext);
        m_pRoot = builder.Parse(&parser);
        m_strError = m_pRoot ? std::string() : Narrow(builder.GetLastError());
        return m_pRoot;
    }
    CXTPMarkupTextBlock* NewBlock()
    {
        MarkupRelease(m_pRoot);
        m_pRoot = MarkupDynamicCast<CXTPMarkupTextBlock>(m_pContext->CreateObject(CXTPMarkupTextBlock::MarkupType()));
        Block()->SetFontSize(kFontSize);
        return Block();
    }
    CXTPMarkupTextBlock* Block() const { return MarkupDynamicCast<CXTPMarkupTextBlock>(m_pRoot); }
    // Measures the root for the width and arranges it in its desired size at the origin.
    SIZE Layout(int width)
    {
        CXTPMarkupDrawingContext measuring(m_pContext);
        m_pRoot->Measure(&measuring, width, 1000);
        const SIZE desired = m_pRoot->GetDesiredSize();
        m_pRoot->Arrange(RECT{0, 0, std::max<int>(desired.cx, width), desired.cy});
        return desired;
    }

    HWND m_hWnd = nullptr;
    CXTPMarkupContext* m_pContext = nullptr;
    CXTPMarkupUIElement* m_pRoot = nullptr;
    Oracle* m_pOracle = nullptr;
    std::string m_strError;
};

struct TextCase {
    const char* what;
    const wchar_t* text; // null: no inlines at all
    int wrapping;
    int trimming;
    RECT padding;
    std::function<int(const Oracle&)> width; // the width offered inside the padding
    std::vector<std::vector<std::wstring>> lines;
};

TEST_F(MarkupTextTest, LayoutTable)
{
    const int wrap = CXTPMarkupTextBlock::wrapWrap, overflow = CXTPMarkupTextBlock::wrapWithOverflow;
    const int characters = CXTPMarkupTextBlock::trimCharacterEllipsis, words = CXTPMarkupTextBlock::trimWordEllipsis;
    const RECT none = {0, 0, 0, 0};
    auto wide = [](const Oracle&) { return 1000; };
    const TextCase cases[] = {
        {"no inlines: one empty line a space high", nullptr, 0, 0, none, wide, {{L""}}},
        {"an empty Text: no line", L"", 0, 0, none, wide, {}},
        {"two words wrap into two lines, the space dropped", L"abcd efgh", wrap, 0, none,
         [](const Oracle& o) { return o.W(L"abcd") + 3; }, {{L"abcd"}, {L"efgh"}}},
        {"without wrapping one line overflows", L"abcd efgh", 0, 0, none,
         [](const Oracle& o) { return o.W(L"abcd"); }, {{L"abcd efgh"}}},
        {"a long word is broken between characters", L"aaaaaaa", wrap, 0, none,
         [](const Oracle& o) { return o.W(L"aaa") + 1; }, {{L"aaa"}, {L"aaa"}, {L"a"}}},
        {"at least one character a line", L"aaa", wrap, 0, none, [](const Oracle&) { return 1; },
         {{L"a"}, {L"a"}, {L"a"}}},
        {"WrapWithOverflow keeps the long word whole", L"aaaaaaa bb", overflow, 0, none,
         [](const Oracle& o) { return o.W(L"aaa"); }, {{L"aaaaaaa"}, {L"bb"}}},
        {"a trailing line feed adds an empty line", L"ab\n", 0, 0, none, wide, {{L"ab"}, {L""}}},
        {"two line feeds leave an empty line between", L"a\n\nb", 0, 0, none, wide, {{L"a"}, {L""}, {L"b"}}},
        {"CR LF breaks once", L"ab\r\ncd", 0, 0, none, wide, {{L"ab"}, {L"cd"}}},
        {"a lone CR is never drawn and breaks nothing", L"a\rb", wrap, 0, none, wide, {{L"a", L"b"}}},
        {"padding moves the text", L"ab", 0, 0, RECT{3, 4, 5, 6}, wide, {{L"ab"}}},
        {"leading spaces of the first line stay", L"  ab", wrap, 0, none, wide, {{L"  ab"}}},
        {"indentation after a line feed stays", L"a\n  b", wrap, 0, none, wide, {{L"a"}, {L"  b"}}},
        {"leading spaces of a wrapped line go", L"abcd   efgh", wrap, 0, none,
         [](const Oracle& o) { return o.W(L"abcd") + 3; }, {{L"abcd"}, {L"efgh"}}},
        {"CharacterEllipsis cuts between characters", L"abcdefgh", 0, characters, none,
         [](const Oracle& o) { return o.W(L"abc") + o.W(L"...") + 1; }, {{L"abc", L"..."}}},
        {"CharacterEllipsis in the middle of a word", L"ab cd efgh", 0, characters, none,
         [](const Oracle& o) { return o.W(L"ab cd e") + o.W(L"..."); }, {{L"ab cd e", L"..."}}},
        {"WordEllipsis cuts after the last whole word", L"ab cd efgh", 0, words, none,
         [](const Oracle& o) { return o.W(L"ab cd e") + o.W(L"..."); }, {{L"ab cd", L"..."}}},
        {"a line that fits is not trimmed", L"ab", 0, characters, none, wide, {{L"ab"}}},
        {"trimming does nothing while wrapping", L"ab cd efgh", wrap, characters, none,
         [](const Oracle& o) { return o.W(L"ab cd") + 2; }, {{L"ab cd"}, {L"efgh"}}},
    };
    const Oracle& o = *m_pOracle;
    for (const TextCase& row : cases) {
        SCOPED_TRACE(row.what);
        CXTPMarkupTextBlock* block = NewBlock();
        if (row.text)
            block->SetText(row.text);
        if (row.wrapping)
            block->SetTextWrapping(static_cast<CXTPMarkupTextBlock::TextWrapping>(row.wrapping));
        if (row.trimming)
            block->SetTextTrimming(static_cast<CXTPMarkupTextBlock::TextTrimming>(row.trimming));
        const RECT& pad = row.padding;
        block->SetPadding(pad.left, pad.top, pad.right, pad.bottom);
        const int available = row.width(o);
        const SIZE desired = Layout(available + pad.left + pad.right);
        EXPECT_EQ(Dump(row.lines), Dump(Lines(block)));

        // Every piece where its text puts it, every line one space high (one font).
        int widest = 0;
        const auto& lines = block->GetLines();
        for (size_t i = 0; i < lines.size() && i < row.lines.size(); ++i) {
            int x = pad.left;
            for (size_t j = 0; j < lines[i].pieces.size() && j < row.lines[i].size(); ++j) {
                const RECT rc = lines[i].pieces[j].GetRect();
                const int width = o.W(row.lines[i][j]);
                EXPECT_EQ(x, rc.left) << i << "," << j;
                EXPECT_EQ(pad.top + static_cast<int>(i) * o.height, rc.top) << i << "," << j;
                EXPECT_EQ(width, rc.right - rc.left) << i << "," << j;
                EXPECT_EQ(o.height, rc.bottom - rc.top) << i << "," << j;
                x += width;
            }
            widest = std::max<int>(widest, x - pad.left);
        }
        // The layout may be wider than the width offered (no wrapping, or an unbreakable word);
        // the desired size stops at the offer and the rest is clipped.
        EXPECT_EQ(widest, block->GetLayoutSize().cx);
        EXPECT_EQ(pad.left + pad.right + std::min(widest, available), desired.cx);
        EXPECT_EQ(pad.top + pad.bottom + static_cast<int>(row.lines.size()) * o.height, desired.cy);
    }
}

TEST_F(MarkupTextTest, SurrogatePairsAreNeverSplit)
{
    const std::wstring text = L"a\U0001D11E\U0001D11Eb \U0001D11E\U0001D11E\U0001D11E";
    for (int trimming : {0, 1, 2}) {
        for (int width : {1, 5, 12, 20}) {
            SCOPED_TRACE(std::to_string(trimming) + " " + std::to_string(width));
            CXTPMarkupTextBlock* block = NewBlock();
            block->SetText(text.c_str());
            if (trimming)
                block->SetTextTrimming(static_cast<CXTPMarkupTextBlock::TextTrimming>(trimming));
            else
                block->SetTextWrapping(CXTPMarkupTextBlock::wrapWrap);
            Layout(width);
            std::wstring joined;
            for (const auto& line : Lines(block)) {
                for (const std::wstring& piece : line) {
                    if (piece == L"...")
                        continue;
                    if (!piece.empty()) {
                        EXPECT_FALSE(IS_LOW_SURROGATE(piece.front())) << Narrow(piece.c_str());
                        EXPECT_FALSE(IS_HIGH_SURROGATE(piece.back())) << Narrow(piece.c_str());
                    }
                    joined += piece;
                }
            }
            if (!trimming) {
                // Wrapping drops only the space at the start of a wrapped line.
                std::wstring expected = text;
                expected.erase(expected.find(L' '), 1);
                std::wstring got = joined;
                const size_t space = got.find(L' ');
                if (space != std::wstring::npos)
                    got.erase(space, 1);
                EXPECT_EQ(expected, got);
            }
        }
    }
}

TEST_F(MarkupTextTest, JustifyAndAlignment)
{
    const Oracle& o = *m_pOracle;
    // Justify: the free space of a wrapped line goes between its words; the last line stays left.
    CXTPMarkupTextBlock* block = NewBlock();
    block->SetText(L"aa bb cc dd");
    block->SetTextWrapping(CXTPMarkupTextBlock::wrapWrap);
    block->SetTextAlignment(CXTPMarkupTextBlock::alignTextJustify);
    const int width = o.W(L"aa") + o.W(L" bb") + o.W(L" cc") + 5;
    Layout(width);
    ASSERT_EQ("aa| bb| cc/dd", Dump(Lines(block)));
    const auto& first = block->GetLines()[0].pieces;
    EXPECT_EQ(0, first[0].GetRect().left);
    EXPECT_EQ(o.W(L"aa") + 2, first[1].GetRect().left);           // 5 / 2
    EXPECT_EQ(o.W(L"aa") + o.W(L" bb") + 5, first[2].GetRect().left); // then the remaining 3
    EXPECT_EQ(0, block->GetLines()[1].pieces[0].GetRect().left);

    // Right and Center take the free space before the line.
    for (auto alignment : {CXTPMarkupTextBlock::alignTextRight, CXTPMarkupTextBlock::alignTextCenter}) {
        block = NewBlock();
        block->SetText(L"ab");
        block->SetTextAlignment(alignment);
        CXTPMarkupDrawingContext measuring(m_pContext);
        block->Measure(&measuring, 100, 100);
        block->Arrange(RECT{0, 0, 100, o.height});
        const int free = 100 - o.W(L"ab");
        EXPECT_EQ(alignment == CXTPMarkupTextBlock::alignTextRight ? free : free / 2,
                  block->GetLines()[0].pieces[0].GetRect().left);
    }
}

TEST_F(MarkupTextTest, BaselineTableMovesSubscriptAndSuperscript)
{
    ASSERT_NE(nullptr, Build(L"<TextBlock FontSize='16'><Run>a</Run><Run BaselineAlignment='Subscript'>b</Run>"
                             L"<Run BaselineAlignment='Superscript'>c</Run><Run BaselineAlignment='Top'>d</Run>"
                             L"</TextBlock>"))
        << m_strError;
    const Oracle& o = *m_pOracle;
    Layout(1000);
    ASSERT_EQ("a|b|c|d", Dump(Lines(Block())));
    const auto& pieces = Block()->GetLines()[0].pieces;
    const int D = o.descent;
    EXPECT_EQ(0, pieces[0].GetRect().top);
    EXPECT_EQ(D - D / 2, pieces[1].GetRect().top);
    EXPECT_EQ(D / 2 - D, pieces[2].GetRect().top);
    EXPECT_EQ(0, pieces[3].GetRect().top);
    EXPECT_EQ(o.W(L"a") + o.W(L"b"), pieces[2].GetRect().left);
}

// Draws the expected text with ExtTextOutW at a position, in a colour.
void DrawExpected(const Dib& dib, const Oracle& o, int x, int y, const wchar_t* text, COLORREF colour)
{
    HGDIOBJ old = SelectObject(dib.DC(), o.Font());
    SetBkMode(dib.DC(), TRANSPARENT);
    SetTextColor(dib.DC(), colour);
    ExtTextOutW(dib.DC(), x, y, 0, nullptr, text, static_cast<UINT>(wcslen(text)), nullptr);
    SelectObject(dib.DC(), old);
}

void FillExpected(const Dib& dib, const RECT& rc, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dib.DC(), &rc, brush);
    DeleteObject(brush);
}

TEST_F(MarkupTextTest, RenderingMatchesTextDrawnAtTheExpectedPlaces)
{
    const Oracle& o = *m_pOracle;
    // Two wrapped lines on the block's own background.
    CXTPMarkupTextBlock* block = NewBlock();
    block->SetText(L"abcd efgh");
    block->SetTextWrapping(CXTPMarkupTextBlock::wrapWrap);
    block->SetValue(CXTPMarkupTextElement::m_pForegroundProperty, new CXTPMarkupSolidColorBrush(RGB(0, 0, 0)));
    block->SetValue(CXTPMarkupTextElement::m_pBackgroundProperty, new CXTPMarkupSolidColorBrush(RGB(255, 255, 0)));
    const SIZE size = Layout(o.W(L"abcd") + 3);
    Dib actual(120, 60), expected(120, 60);
    {
        CXTPMarkupDrawingContext drawing(m_pContext, actual.DC(), nullptr);
        block->Render(&drawing);
    }
    FillExpected(expected, RECT{0, 0, block->GetRenderSize().cx, block->GetRenderSize().cy}, RGB(255, 255, 0));
    EXPECT_EQ(2 * o.height, size.cy);
    DrawExpected(expected, o, 0, 0, L"abcd", RGB(0, 0, 0));
    DrawExpected(expected, o, 0, o.height, L"efgh", RGB(0, 0, 0));
    std::string first;
    EXPECT_EQ(0, actual.Differences(expected, &first)) << first;
    EXPECT_GT(actual.CountColour(RGB(0, 0, 0), RECT{0, 0, 120, 60}), 10);
}

TEST_F(MarkupTextTest, HyperlinkUnderlineKeepsTheLinkColourOverARedRun)
{
    ASSERT_NE(nullptr, Build(L"<TextBlock FontSize='16' Foreground='#00FF00'><Hyperlink>ab<Run Foreground='#FF0000'>"
                             L"cd</Run></Hyperlink></TextBlock>"))
        << m_strError;
    const Oracle& o = *m_pOracle;
    Layout(1000);
    ASSERT_EQ("ab|cd", Dump(Lines(Block())));
    Dib actual(120, 40), expected(120, 40);
    {
        CXTPMarkupDrawingContext drawing(m_pContext, actual.DC(), nullptr);
        Block()->Render(&drawing);
    }
    const int ab = o.W(L"ab"), cd = o.W(L"cd");
    const int H = o.height, D = o.descent, T = std::max(D / 3, 1);
    DrawExpected(expected, o, 0, 0, L"ab", RGB(0, 0, 255));
    DrawExpected(expected, o, ab, 0, L"cd", RGB(255, 0, 0));
    const int top = H - D + T;
    FillExpected(expected, RECT{0, top, ab, top + T}, RGB(0, 0, 255));
    FillExpected(expected, RECT{ab, top, ab + cd, top + T}, RGB(0, 0, 255));
    std::string first;
    EXPECT_EQ(0, actual.Differences(expected, &first)) << first;
    // The bar under the red run is blue all along.
    EXPECT_EQ(cd * T, actual.CountColour(RGB(0, 0, 255), RECT{ab, top, ab + cd, top + T}));
}

TEST_F(MarkupTextTest, InlineBackgroundAndStrikethroughBar)
{
    ASSERT_NE(nullptr, Build(L"<TextBlock FontSize='16' Foreground='#000000'>ab<Run Background='#00FF00'"
                             L" TextDecorations='Strikethrough'>cd</Run></TextBlock>"))
        << m_strError;
    const Oracle& o = *m_pOracle;
    Layout(1000);
    ASSERT_EQ("ab|cd", Dump(Lines(Block())));
    Dib actual(120, 40);
    {
        CXTPMarkupDrawingContext drawing(m_pContext, actual.DC(), nullptr);
        Block()->Render(&drawing);
    }
    const int ab = o.W(L"ab"), cd = o.W(L"cd");
    const int H = o.height, D = o.descent, T = std::max(D / 3, 1);
    // The run's background covers its piece only; the bar crosses it in the run's colour.
    EXPECT_EQ(0, actual.CountColour(RGB(0, 255, 0), RECT{0, 0, ab, H}));
    EXPECT_LT(cd * H / 2, actual.CountColour(RGB(0, 255, 0), RECT{ab, 0, ab + cd, H}));
    const int top = H - D + D - (H - D) / 2;
    EXPECT_EQ(cd * T, actual.CountColour(RGB(0, 0, 0), RECT{ab, top, ab + cd, top + T}));
    EXPECT_EQ(0, actual.CountColour(RGB(0, 255, 0), RECT{ab, top, ab + cd, top + T}));
}

TEST_F(MarkupTextTest, ContentConverterMakesABlockOfOneRun)
{
    CXTPMarkupBuilder builder(m_pContext);
    CXTPMarkupString* text = CreateMarkupString(L"Caption");
    CXTPMarkupObject* converted = MarkupConvertContent(&builder, text);
    text->Release();
    CXTPMarkupTextBlock* block = MarkupDynamicCast<CXTPMarkupTextBlock>(converted);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(m_pContext, block->GetMarkupContext());
    ASSERT_EQ(1, block->GetInlines()->GetCount());
    EXPECT_STREQ(L"Caption", MarkupDynamicCast<CXTPMarkupRun>(block->GetInlines()->GetInline(0))->GetText());
    converted->Release();
    EXPECT_EQ(nullptr, MarkupConvertContent(&builder, nullptr));
}

TEST_F(MarkupTextTest, ContentRules)
{
    // Strings become runs, UI elements inline UI containers; a LineBreak is a run of one line feed.
    ASSERT_NE(nullptr, Build(L"<TextBlock>a <Bold>b</Bold><LineBreak/><Span>c<StackPanel/></Span>"
                             L"<InlineUIContainer><StackPanel/><StackPanel x:Name='last'/></InlineUIContainer>"
                             L"</TextBlock>"))
        << m_strError;
    CXTPMarkupInlineCollection* inlines = Block()->GetInlines();
    ASSERT_EQ(5, inlines->GetCount());
    EXPECT_STREQ(L"a ", MarkupDynamicCast<CXTPMarkupRun>(inlines->GetInline(0))->GetText());
    EXPECT_STREQ(L"\n", MarkupDynamicCast<CXTPMarkupLineBreak>(inlines->GetInline(2))->GetText());
    CXTPMarkupSpan* span = MarkupDynamicCast<CXTPMarkupSpan>(inlines->GetInline(3));
    ASSERT_NE(nullptr, span);
    ASSERT_EQ(2, span->GetInlines()->GetCount());
    EXPECT_NE(nullptr, MarkupDynamicCast<CXTPMarkupRun>(span->GetInlines()->GetInline(0)));
    CXTPMarkupInlineUIContainer* wrapped = MarkupDynamicCast<CXTPMarkupInlineUIContainer>(span->GetInlines()->GetInline(1));
    ASSERT_NE(nullptr, wrapped);
    EXPECT_NE(nullptr, MarkupDynamicCast<CXTPMarkupStackPanel>(wrapped->GetChild()));
    CXTPMarkupInlineUIContainer* container = MarkupDynamicCast<CXTPMarkupInlineUIContainer>(inlines->GetInline(4));
    ASSERT_NE(nullptr, container);
    const CXTPMarkupString* name =
        MarkupDynamicCast<CXTPMarkupString>(container->GetChild()->GetValue(CXTPMarkupObject::m_pNameProperty));
    ASSERT_NE(nullptr, name);
    EXPECT_STREQ(L"last", name->GetBuffer());
    // Document order across spans.
    EXPECT_EQ(inlines->GetInline(1)->GetFirstInline(), inlines->GetInline(0)->GetNextInline());
    EXPECT_EQ(wrapped, span->GetInlines()->GetInline(0)->GetNextInline());
    EXPECT_EQ(container, wrapped->GetNextInline());
    EXPECT_EQ(nullptr, container->GetNextInline());

    // "Text" replaces the inlines written in markup.
    Block()->SetText(L"new");
    ASSERT_EQ(1, inlines->GetCount());
    EXPECT_STREQ(L"new", MarkupDynamicCast<CXTPMarkupRun>(inlines->GetInline(0))->GetText());

    const struct {
        const wchar_t* text;
        const char* error;
    } errors[] = {
        {L"<TextBlock><Span><SolidColorBrush/></Span></TextBlock>",
         "'CXTPMarkupSolidColorBrush' object cannot be added to 'CXTPMarkupInlineCollection'. Object cannot be "
         "converted to type 'CXTPMarkupInline'"},
        {L"<TextBlock><InlineUIContainer><SolidColorBrush/></InlineUIContainer></TextBlock>",
         "'CXTPMarkupSolidColorBrush' object cannot be added to 'CXTPMarkupInlineUIContainer'. Object cannot be "
         "converted to type 'CXTPMarkupUIElement'"},
    };
    for (const auto& row : errors) {
        EXPECT_EQ(nullptr, Build(row.text));
        EXPECT_EQ(row.error, m_strError.substr(0, m_strError.find(". Line ")));
    }
}

TEST_F(MarkupTextTest, RunFontsFollowTheirProperties)
{
    ASSERT_NE(nullptr, Build(L"<TextBlock FontSize='12pt' FontFamily='Courier New'><Italic><Bold><Run x:Name='bi'>a</Run>"
                             L"<Run x:Name='normal' FontWeight='Normal'>b</Run></Bold></Italic>"
                             L"<Run x:Name='long' FontFamily='ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef'>c</Run>"
                             L"<Run x:Name='fits' FontFamily='ABCDEFGHIJKLMNOPQRSTUVWXYZabcde' FontQuality='ClearType'"
                             L" FontCharset='2'>d</Run></TextBlock>"))
        << m_strError;
    std::vector<CXTPMarkupRun*> runs;
    for (CXTPMarkupInline* inl = Block()->GetInlines()->GetInline(0)->GetFirstInline(); inl; inl = inl->GetNextInline())
        runs.push_back(MarkupDynamicCast<CXTPMarkupRun>(inl));
    ASSERT_EQ(4u, runs.size());
    LOGFONTW lf = {};
    runs[0]->GetLogFont(&lf);
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_EQ(1, lf.lfItalic);
    EXPECT_EQ(-16, lf.lfHeight);
    EXPECT_STREQ(L"Courier New", lf.lfFaceName);
    runs[1]->GetLogFont(&lf);
    EXPECT_EQ(400, lf.lfWeight);
    EXPECT_EQ(1, lf.lfItalic);
    // A 32-character face does not fit its field: the context's default face stays, nothing is cut.
    runs[2]->GetLogFont(&lf);
    EXPECT_STREQ(m_pContext->GetDefaultLogFont().lfFaceName, lf.lfFaceName);
    runs[3]->GetLogFont(&lf);
    EXPECT_STREQ(L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde", lf.lfFaceName);
    EXPECT_EQ(5, lf.lfQuality);
    EXPECT_EQ(2, lf.lfCharSet);
    // Before Windows XP there is no ClearType quality to ask for.
    const CXTPOsVersionCache saved = GetOsVersionCache();
    OSVERSIONINFOW windows2000 = saved.GetRecord();
    windows2000.dwMajorVersion = 5;
    windows2000.dwMinorVersion = 0;
    windows2000.dwPlatformId = VER_PLATFORM_WIN32_NT;
    GetOsVersionCache() = CXTPOsVersionCache(windows2000);
    runs[3]->GetLogFont(&lf);
    GetOsVersionCache() = saved;
    EXPECT_EQ(m_pContext->GetDefaultLogFont().lfQuality, lf.lfQuality);

    // Preparing takes the font from the context's cache and the descent from its metrics.
    CXTPMarkupDrawingContext measuring(m_pContext);
    const int fonts = m_pContext->GetFontCount();
    runs[0]->PrepareMeasure(&measuring);
    EXPECT_EQ(fonts + 1, m_pContext->GetFontCount());
    TEXTMETRICW metrics = {};
    GetTextMetricsW(measuring.GetDC(), &metrics);
    EXPECT_EQ(metrics.tmDescent, runs[0]->GetBaselineOffset());
    EXPECT_EQ(700, metrics.tmWeight);
}

// A run that counts its font preparations: one per layout of its block.
class CCountingRun : public CXTPMarkupRun {
public:
    void PrepareMeasure(CXTPMarkupDrawingContext* dc) override
    {
        ++m_nPrepared;
        CXTPMarkupRun::PrepareMeasure(dc);
    }
    int m_nPrepared = 0;
};

TEST_F(MarkupTextTest, LinesAreKeptUntilWidthOrContentChanges)
{
    CXTPMarkupTextBlock* block = NewBlock();
    auto* run = new CCountingRun();
    run->SetText(L"abcd efgh");
    run->AddRef();
    block->GetInlines()->Add(run);
    CXTPMarkupDrawingContext measuring(m_pContext);
    block->Measure(&measuring, 200, 100);
    EXPECT_EQ(1, run->m_nPrepared);
    // Neither wrapping nor trimming: the lines do not depend on the width.
    block->Measure(&measuring, 50, 100);
    EXPECT_EQ(1, run->m_nPrepared);
    block->Arrange(RECT{0, 0, 50, 40});
    // A render-only change keeps them; a measure change rebuilds them at once.
    block->SetValue(CXTPMarkupTextElement::m_pForegroundProperty, new CXTPMarkupSolidColorBrush(RGB(1, 2, 3)));
    EXPECT_EQ(1, run->m_nPrepared);
    block->SetFontSize(20);
    EXPECT_LE(2, run->m_nPrepared);
    // A run's own text change reaches its block.
    const int beforeText = run->m_nPrepared;
    run->SetText(L"abcd");
    EXPECT_LT(beforeText, run->m_nPrepared);
    // With wrapping every new width lays out again.
    block->SetTextWrapping(CXTPMarkupTextBlock::wrapWrap);
    const int afterWrap = run->m_nPrepared;
    block->Measure(&measuring, 40, 100);
    EXPECT_EQ(afterWrap + 1, run->m_nPrepared);
    run->Release();
}

// ---- Hyperlinks through the context's message handling

class MarkupHyperlinkTest : public MarkupTextTest {
public:
    void OnClick(CXTPMarkupObject* sender, CXTPMarkupRoutedEventArgs* args)
    {
        m_senders.push_back(sender);
        const CXTPMarkupString* tag =
            MarkupDynamicCast<CXTPMarkupString>(sender->GetValue(CXTPMarkupFrameworkElement::m_pTagProperty));
        m_tags.push_back(tag ? tag->GetBuffer() : L"");
        EXPECT_EQ(CXTPMarkupHyperlink::m_pClickEvent, args->GetEvent());
    }

protected:
    void SetUp() override
    {
        MarkupTextTest::SetUp();
        m_pContext->AddHandler(CXTPMarkupHyperlink::m_pClickEvent,
                               CreateMarkupClassDelegate(this, &MarkupHyperlinkTest::OnClick));
        ASSERT_NE(nullptr, Build(L"<TextBlock FontSize='16'><Hyperlink Tag='x'>link</Hyperlink> more</TextBlock>"))
            << m_strError;
        Layout(1000);
        const Oracle& o = *m_pOracle;
        m_ptLink = POINT{o.W(L"li"), o.height / 2};
        m_ptElsewhere = POINT{o.W(L"link mo"), o.height / 2};
        m_ptEmpty = POINT{o.W(L"link more") + 5, o.height / 2};
    }
    void Send(UINT message, POINT at)
    {
        LRESULT result = 0;
        m_pContext->HandleMessage(m_pRoot, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                                  MAKELPARAM(at.x, at.y), &result);
    }
    CXTPMarkupHyperlink* Link() const
    {
        return MarkupDynamicCast<CXTPMarkupHyperlink>(Block()->GetInlines()->GetInline(0));
    }

    POINT m_ptLink = {}, m_ptElsewhere = {}, m_ptEmpty = {};
    std::vector<CXTPMarkupObject*> m_senders;
    std::vector<std::wstring> m_tags;
};

TEST_F(MarkupHyperlinkTest, HitTestAnswersTheRunOrTheBlock)
{
    CXTPMarkupInputElement* run = Block()->InputHitTest(m_ptLink.x, m_ptLink.y);
    EXPECT_NE(nullptr, MarkupDynamicCast<CXTPMarkupRun>(run));
    EXPECT_EQ(Link(), run->GetLogicalParent()->GetLogicalParent());
    EXPECT_EQ(Block(), Block()->InputHitTest(m_ptEmpty.x, m_ptEmpty.y));
    // Text content reports the box of the block that lays it out (tooltips, invalidation).
    const RECT block = m_pContext->GetElementRect(Block());
    const RECT link = m_pContext->GetElementRect(Link());
    EXPECT_TRUE(EqualRect(&block, &link));
    EXPECT_FALSE(IsRectEmpty(&link));
}

TEST_F(MarkupHyperlinkTest, ClickNeedsDownAndUpOverTheLink)
{
    Send(WM_MOUSEMOVE, m_ptLink);
    EXPECT_TRUE(Link()->IsMouseOver());
    Send(WM_LBUTTONDOWN, m_ptLink);
    EXPECT_TRUE(m_senders.empty());
    Send(WM_LBUTTONUP, m_ptLink);
    ASSERT_EQ(1u, m_senders.size());
    EXPECT_EQ(Link(), m_senders[0]);
    EXPECT_EQ(L"x", m_tags[0]);

    // Pressed on the link, dragged off, released elsewhere: nothing. Then pressed elsewhere and
    // released over the link: still nothing, the earlier press was forgotten when the mouse left.
    Send(WM_LBUTTONDOWN, m_ptLink);
    Send(WM_MOUSEMOVE, m_ptElsewhere);
    EXPECT_FALSE(Link()->IsMouseOver());
    Send(WM_LBUTTONUP, m_ptElsewhere);
    Send(WM_LBUTTONDOWN, m_ptElsewhere);
    Send(WM_MOUSEMOVE, m_ptLink);
    Send(WM_LBUTTONUP, m_ptLink);
    EXPECT_EQ(1u, m_senders.size());
    // A double click arrives as a press and clicks once more.
    Send(WM_LBUTTONDBLCLK, m_ptLink);
    Send(WM_LBUTTONUP, m_ptLink);
    EXPECT_EQ(2u, m_senders.size());
}

TEST_F(MarkupHyperlinkTest, TurnsRedUnderTheMouseAndRepaintsTheBlock)
{
    auto colour = [this] {
        const CXTPMarkupBrush* brush = Link()->GetForeground();
        return brush ? brush->GetColor() : CLR_INVALID;
    };
    EXPECT_EQ(RGB(0, 0, 255), colour());
    Send(WM_MOUSEMOVE, m_ptLink);
    EXPECT_EQ(RGB(255, 0, 0), colour());
    // The run inside inherits the trigger's colour.
    const CXTPMarkupBrush* inner = MarkupDynamicCast<CXTPMarkupRun>(Link()->GetInlines()->GetInline(0))->GetForeground();
    ASSERT_NE(nullptr, inner);
    EXPECT_EQ(RGB(255, 0, 0), inner->GetColor());
    Send(WM_MOUSEMOVE, m_ptEmpty);
    EXPECT_EQ(RGB(0, 0, 255), colour());
}

} // namespace
