#include "app/MarkupStatic.h"

#include <cwctype>

namespace {

// Space between the label's edge and its text, in pixels.
constexpr int kMargin = 2;

CString ResolveEntities(const CString& text)
{
    CString out;
    for (int i = 0; i < text.GetLength(); ++i) {
        if (text[i] != L'&') {
            out += text[i];
            continue;
        }
        const int end = text.Find(L';', i);
        if (end < 0 || end - i > 10) {
            out += text[i];
            continue;
        }
        const CString name = text.Mid(i + 1, end - i - 1);
        wchar_t c = 0;
        if (name == L"lt") c = L'<';
        else if (name == L"gt") c = L'>';
        else if (name == L"amp") c = L'&';
        else if (name == L"apos") c = L'\'';
        else if (name == L"quot") c = L'"';
        else if (name.GetLength() > 1 && name[0] == L'#') {
            const bool hex = name[1] == L'x' || name[1] == L'X';
            c = static_cast<wchar_t>(wcstoul(name.Mid(hex ? 2 : 1).GetString(), nullptr, hex ? 16 : 10));
        }
        if (!c) {
            out += text[i];
            continue;
        }
        out += c;
        i = end;
    }
    return out;
}

// Folds each run of blanks (spaces, tabs, line ends) into one space.
CString FoldBlanks(const CString& text)
{
    CString out;
    bool blank = false;
    for (int i = 0; i < text.GetLength(); ++i) {
        if (std::iswspace(text[i])) {
            blank = true;
            continue;
        }
        if (blank)
            out += L' ';
        blank = false;
        out += text[i];
    }
    if (blank)
        out += L' ';
    return out;
}

// The value of attribute name in a tag's text (quoted with ' or "); empty when missing.
CString AttributeOf(const CString& tagText, const wchar_t* name)
{
    const int length = static_cast<int>(wcslen(name));
    for (int i = 0; i + length < tagText.GetLength(); ++i) {
        if ((i > 0 && !std::iswspace(tagText[i - 1])) || tagText.Mid(i, length).CompareNoCase(name) != 0)
            continue;
        int j = i + length;
        while (j < tagText.GetLength() && std::iswspace(tagText[j]))
            ++j;
        if (j >= tagText.GetLength() || tagText[j] != L'=')
            continue;
        ++j;
        while (j < tagText.GetLength() && std::iswspace(tagText[j]))
            ++j;
        if (j >= tagText.GetLength() || (tagText[j] != L'\'' && tagText[j] != L'"'))
            continue;
        const int close = tagText.Find(tagText[j], j + 1);
        if (close < 0)
            return CString();
        return ResolveEntities(tagText.Mid(j + 1, close - j - 1));
    }
    return CString();
}

CString ElementName(const CString& tagText)
{
    int i = tagText[0] == L'/' ? 1 : 0;
    int end = i;
    while (end < tagText.GetLength() && !std::iswspace(tagText[end]) && tagText[end] != L'/' && tagText[end] != L'>')
        ++end;
    return tagText.Mid(i, end - i);
}

} // namespace

std::vector<MarkupRun> ParseMarkupRuns(const CString& markup)
{
    std::vector<MarkupRun> runs;
    int textDepth = 0;       // open TextBlock elements
    int linkDepth = 0;       // open Hyperlink elements
    CString linkTag;
    bool paragraphs = false;
    const auto add = [&](MarkupRun::Kind kind, const CString& text) {
        if (kind != MarkupRun::Kind::lineBreak && text.IsEmpty())
            return;
        if (kind == MarkupRun::Kind::text && !runs.empty() && runs.back().kind == MarkupRun::Kind::text) {
            runs.back().text += text;
            return;
        }
        runs.push_back({kind, text, kind == MarkupRun::Kind::link ? linkTag : CString()});
    };
    int i = 0;
    while (i < markup.GetLength()) {
        if (markup[i] != L'<') {
            int end = markup.Find(L'<', i);
            if (end < 0)
                end = markup.GetLength();
            if (textDepth > 0) {
                const CString text = FoldBlanks(ResolveEntities(markup.Mid(i, end - i)));
                add(linkDepth > 0 ? MarkupRun::Kind::link : MarkupRun::Kind::text, text);
            }
            i = end;
            continue;
        }
        const int close = markup.Find(L'>', i);
        if (close < 0)
            break;    // an unclosed tag ends the document
        const CString tagText = markup.Mid(i + 1, close - i - 1);
        i = close + 1;
        if (tagText.IsEmpty() || tagText[0] == L'?' || tagText[0] == L'!')
            continue;
        const bool closing = tagText[0] == L'/';
        const bool empty = !closing && tagText[tagText.GetLength() - 1] == L'/';
        const CString name = ElementName(tagText);
        if (name == L"TextBlock") {
            if (closing) {
                textDepth = textDepth > 0 ? textDepth - 1 : 0;
            } else if (!empty) {
                if (paragraphs)
                    add(MarkupRun::Kind::lineBreak, CString());
                paragraphs = true;
                ++textDepth;
            }
        } else if (name == L"Hyperlink") {
            if (closing) {
                linkDepth = linkDepth > 0 ? linkDepth - 1 : 0;
            } else if (!empty) {
                ++linkDepth;
                linkTag = AttributeOf(tagText, L"Tag");
                // a link is its own run even beside another link with the same Tag
                runs.push_back({MarkupRun::Kind::link, CString(), linkTag});
            }
        } else if (name == L"LineBreak" && textDepth > 0 && !closing) {
            add(MarkupRun::Kind::lineBreak, CString());
        }
    }
    // links opened with no text show nothing
    std::vector<MarkupRun> shown;
    for (MarkupRun& run : runs) {
        if (run.kind == MarkupRun::Kind::link && run.text.IsEmpty())
            continue;
        shown.push_back(run);
    }
    return shown;
}

CString MarkupPlainText(const std::vector<MarkupRun>& runs)
{
    CString text;
    for (const MarkupRun& run : runs)
        text += run.kind == MarkupRun::Kind::lineBreak ? CString(L"\r\n") : run.text;
    return text;
}

void CMarkupStatic::SetMarkupText(const CString& markup)
{
    m_markup = markup;
    m_runs = ParseMarkupRuns(markup);
    m_layoutValid = false;
    if (m_hWnd) {
        ::DefWindowProcW(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(MarkupPlainText(m_runs).GetString()));
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

int CMarkupStatic::LinkCount() const
{
    int count = 0;
    for (const MarkupRun& run : m_runs)
        count += run.kind == MarkupRun::Kind::link ? 1 : 0;
    return count;
}

CString CMarkupStatic::LinkTag(int link) const
{
    for (const MarkupRun& run : m_runs)
        if (run.kind == MarkupRun::Kind::link && link-- == 0)
            return run.tag;
    return CString();
}

CRect CMarkupStatic::LinkRect(int link)
{
    if (m_hWnd && !m_layoutValid) {
        HDC dc = ::GetDC(m_hWnd);
        Layout(dc);
        ::ReleaseDC(m_hWnd, dc);
    }
    for (const Piece& piece : m_pieces)
        if (piece.link == link)
            return piece.rect;
    return CRect();
}

void CMarkupStatic::Layout(HDC dc)
{
    m_pieces.clear();
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const int lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    const int right = client.right - kMargin;
    int x = kMargin;
    int y = kMargin;
    int link = -1;
    for (const MarkupRun& run : m_runs) {
        if (run.kind == MarkupRun::Kind::lineBreak) {
            x = kMargin;
            y += lineHeight;
            continue;
        }
        const int thisLink = run.kind == MarkupRun::Kind::link ? ++link : -1;
        // words with the blank before them, so that a wrapped line starts with a word
        int start = 0;
        while (start < run.text.GetLength()) {
            int end = start;
            while (end < run.text.GetLength() && run.text[end] == L' ')
                ++end;
            while (end < run.text.GetLength() && run.text[end] != L' ')
                ++end;
            CString word = run.text.Mid(start, end - start);
            SIZE size{};
            ::GetTextExtentPoint32W(dc, word, word.GetLength(), &size);
            if (x + size.cx > right && x > kMargin) {
                x = kMargin;
                y += lineHeight;
                word.TrimLeft(L' ');
                ::GetTextExtentPoint32W(dc, word, word.GetLength(), &size);
            }
            if (!word.IsEmpty()) {
                // a link's piece after a blank starts at its first letter
                int lead = 0;
                if (thisLink >= 0) {
                    int blanks = 0;
                    while (blanks < word.GetLength() && word[blanks] == L' ')
                        ++blanks;
                    SIZE blankSize{};
                    ::GetTextExtentPoint32W(dc, word, blanks, &blankSize);
                    lead = blankSize.cx;
                }
                m_pieces.push_back({CRect(x + lead, y, x + size.cx, y + lineHeight), word.Mid(0), thisLink});
                if (lead)
                    m_pieces.back().text.TrimLeft(L' ');
            }
            x += size.cx;
            start = end;
        }
    }
    if (old)
        ::SelectObject(dc, old);
    m_layoutValid = true;
}

void CMarkupStatic::Paint()
{
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    HWND parent = ::GetParent(m_hWnd);
    HBRUSH background = parent ? reinterpret_cast<HBRUSH>(::SendMessageW(parent, WM_CTLCOLORSTATIC,
                                                                         reinterpret_cast<WPARAM>(dc),
                                                                         reinterpret_cast<LPARAM>(m_hWnd)))
                               : nullptr;
    ::FillRect(dc, &client, background ? background : ::GetSysColorBrush(COLOR_BTNFACE));
    Layout(dc);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    LOGFONTW underlined{};
    ::GetObjectW(font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT), sizeof(underlined), &underlined);
    underlined.lfUnderline = TRUE;
    HFONT linkFont = ::CreateFontIndirectW(&underlined);
    HGDIOBJ old = ::SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    const COLORREF textColour = ::GetTextColor(dc);
    for (const Piece& piece : m_pieces) {
        ::SelectObject(dc, piece.link >= 0 ? static_cast<HGDIOBJ>(linkFont)
                                           : (font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT)));
        ::SetTextColor(dc, piece.link >= 0 ? ::GetSysColor(COLOR_HOTLIGHT) : textColour);
        ::TextOutW(dc, piece.rect.left, piece.rect.top, piece.text, piece.text.GetLength());
    }
    ::SelectObject(dc, old);
    ::DeleteObject(linkFont);
    ::EndPaint(m_hWnd, &paint);
}

int CMarkupStatic::LinkAt(CPoint point)
{
    if (!m_layoutValid) {
        HDC dc = ::GetDC(m_hWnd);
        Layout(dc);
        ::ReleaseDC(m_hWnd, dc);
    }
    for (const Piece& piece : m_pieces)
        if (piece.link >= 0 && piece.rect.PtInRect(point))
            return piece.link;
    return -1;
}

LRESULT CMarkupStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        m_layoutValid = false;
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        break;
    case WM_NCHITTEST:
        return HTCLIENT;    // a plain static lets clicks through to its parent
    case WM_SETCURSOR: {
        POINT point{};
        ::GetCursorPos(&point);
        ::ScreenToClient(m_hWnd, &point);
        if (LinkAt(point) >= 0) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    case WM_LBUTTONUP: {
        const int link = LinkAt(CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
        if (link >= 0 && m_onClick) {
            // the handler may change the document: it gets its own copy of the Tag
            const CString tag = LinkTag(link);
            m_onClick(tag);
        }
        return 0;
    }
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
