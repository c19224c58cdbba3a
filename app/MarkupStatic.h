#pragma once
// CMarkupStatic: a label that shows a small markup document, with hyperlinks that report their
// Tag when clicked. It stands in for the toolkit's markup label until that renders here, with the
// same interface (SetMarkupText, a Click handler given the hyperlink's Tag), and understands what
// the program's own documents use: TextBlock (one paragraph each), Hyperlink with a Tag, and
// LineBreak; every other element only passes its content on, and the text outside text blocks
// (the documents' layout tabs) is dropped. Entities (&lt; &gt; &amp; &apos; &quot; and numeric
// ones) become their characters, so escaped text shows as text.
//
// The label draws itself: runs of words wrapped at its width, hyperlinks in the system's hot-track
// colour and underlined. Its window text is the plain text shown (paragraphs on lines of their
// own), so other programs and tests read what it shows with WM_GETTEXT.

#include "app/AppBases.h"

#include <functional>
#include <vector>

// One piece of a parsed document in reading order.
struct MarkupRun {
    enum class Kind { text, link, lineBreak };
    Kind kind = Kind::text;
    CString text;    // shown text, entities resolved, blanks folded
    CString tag;     // a hyperlink's Tag, entities resolved
};

// Parses the document; malformed parts are shown as far as they go, never more.
std::vector<MarkupRun> ParseMarkupRuns(const CString& markup);
// The text the runs show: line breaks as "\r\n".
CString MarkupPlainText(const std::vector<MarkupRun>& runs);

class CMarkupStatic : public CWnd {
public:
    using ClickHandler = std::function<void(const CString& tag)>;

    // Shows the document (an empty text shows nothing) and repaints.
    void SetMarkupText(const CString& markup);
    const CString& GetMarkupText() const { return m_markup; }
    // Called with the Tag of a clicked hyperlink.
    void SetClickHandler(ClickHandler handler) { m_onClick = std::move(handler); }

    const std::vector<MarkupRun>& Runs() const { return m_runs; }
    // The hyperlinks in reading order: their count, Tag and the client rectangle of their first
    // piece (empty before the label has been laid out).
    int LinkCount() const;
    CString LinkTag(int link) const;
    CRect LinkRect(int link);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // A laid-out piece of text: where it is drawn, and the link it belongs to (-1 none).
    struct Piece {
        CRect rect;
        CString text;
        int link = -1;
    };
    void Layout(HDC dc);
    void Paint();
    int LinkAt(CPoint point);

    CString m_markup;
    std::vector<MarkupRun> m_runs;
    std::vector<Piece> m_pieces;
    bool m_layoutValid = false;
    ClickHandler m_onClick;
};
