#pragma once
// The text block: the framework element that shows text, given in "Text" or as a tree of inlines.
// Measure breaks the leaf inlines into pieces (a range of one inline each) and the pieces into
// lines, with optional wrapping, ellipsis trimming and a baseline shared by pieces of different
// fonts; arrange aligns the lines; render draws backgrounds, text and decorations; the hit test
// answers the inline under the point, so hyperlinks and embedded elements receive the mouse.
//
// The lines are a cache. They are kept across paints and rebuilt when the available width
// changes (for any width when neither wrapping nor trimming is on they cannot depend on it), and
// after every measure invalidation.

#include "toolkit/markup/XTPMarkupInline.h"

#include <deque>
#include <vector>

class CXTPMarkupThickness;

// One drawn piece: the range [from, to) of one inline, measured, placed on a line.
struct MARKUP_TEXT_PIECE {
    MARKUP_TEXT_PIECE() = default;
    MARKUP_TEXT_PIECE(CXTPMarkupInline* inl, MarkupTextPosition start, MarkupTextPosition end);
    MARKUP_TEXT_PIECE(const MARKUP_TEXT_PIECE& other);
    MARKUP_TEXT_PIECE& operator=(const MARKUP_TEXT_PIECE& other);
    ~MARKUP_TEXT_PIECE();

    RECT GetRect() const { return RECT{x + offsetX, y + offsetY, x + offsetX + width, y + offsetY + height}; }

    CXTPMarkupInline* pInline = nullptr; // one reference
    MarkupTextPosition from = XTP_MARKUP_NO_POSITION;
    MarkupTextPosition to = XTP_MARKUP_NO_POSITION;
    int x = 0;       // from the line start
    int y = 0;       // top of the line
    int offsetX = 0; // padding, alignment and justification
    int offsetY = 0; // padding and baseline
    int width = 0;
    int height = 0;
    int descent = 0;
    BOOL afterLineFeed = FALSE; // the first piece after a hard line break
};

struct MARKUP_TEXT_LINE {
    std::vector<MARKUP_TEXT_PIECE> pieces;
    int width = 0;
    int height = 0;
    int descent = 0;        // the largest piece descent
    BOOL wrapped = FALSE;   // ended because the next word did not fit
};

class CXTPMarkupTextBlock : public CXTPMarkupFrameworkElement {
    DECLARE_MARKUPCLASS(CXTPMarkupTextBlock)
public:
    enum TextWrapping { wrapNone = 0, wrapWrap = 1, wrapWithOverflow = 2 };
    enum TextTrimming { trimNone = 0, trimCharacterEllipsis = 1, trimWordEllipsis = 2 };
    enum TextAlignment { alignTextLeft = 0, alignTextRight = 1, alignTextCenter = 2, alignTextJustify = 3 };

    CXTPMarkupTextBlock();

    CXTPMarkupInlineCollection* GetInlines() const { return m_pInlines; }
    void SetText(const wchar_t* text);
    void SetTextWrapping(TextWrapping wrapping);
    void SetTextTrimming(TextTrimming trimming);
    void SetTextAlignment(TextAlignment alignment);
    void SetPadding(int left, int top, int right, int bottom);
    void SetFontSize(int size);

    // The lines of the last layout (read by tests and hosts that draw carets).
    const std::vector<MARKUP_TEXT_LINE>& GetLines() const { return m_lines; }
    SIZE GetLayoutSize() const { return SIZE{m_nLayoutWidth, m_nLayoutHeight}; }

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;
    void OnRender(CXTPMarkupDrawingContext* dc) override;
    CXTPMarkupInputElement* InputHitTestOverride(int x, int y) const override;
    void RemeasureUpward(CXTPMarkupDrawingContext* dc) override;
    void OnPropertyChanged(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* oldValue,
                           CXTPMarkupObject* newValue) override;

    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;
    BOOL HasContentObject() const override;
    BOOL AllowWhiteSpaceContent() const override { return TRUE; }
    int GetLogicalChildrenCount() const override { return 1; }
    CXTPMarkupObject* GetLogicalChild(int index) const override { return index == 0 ? m_pInlines : nullptr; }

    static CXTPMarkupDependencyProperty* m_pTextWrappingProperty;
    static CXTPMarkupDependencyProperty* m_pTextTrimmingProperty;
    static CXTPMarkupDependencyProperty* m_pTextAlignmentProperty;
    static CXTPMarkupDependencyProperty* m_pPaddingProperty;
    static CXTPMarkupDependencyProperty* m_pTextProperty;
    static void RegisterMarkupClass();

protected:
    ~CXTPMarkupTextBlock() override;

private:
    struct Layout;
    void LayoutLines(CXTPMarkupDrawingContext* dc, int available);
    void Flush(Layout& layout);
    void FinishLine(Layout& layout);
    void Trim(Layout& layout);
    void MeasurePiece(Layout& layout, MARKUP_TEXT_PIECE& piece) const;
    // A run of the given text bound like the block's own content, logical parent this block.
    CXTPMarkupRun* CreateHelperRun(const wchar_t* text);
    const CXTPMarkupThickness* GetPadding() const;
    int GetEnumValue(CXTPMarkupDependencyProperty* property) const;
    void DrawDecorations(CXTPMarkupDrawingContext* dc, const MARKUP_TEXT_LINE& line, const MARKUP_TEXT_PIECE& piece,
                         CXTPMarkupBrush* defaultBrush);

    CXTPMarkupInlineCollection* m_pInlines; // owned, logical parent this block
    std::vector<MARKUP_TEXT_LINE> m_lines;
    int m_nCachedWidth = -1; // the available width of the last layout; -1: none
    int m_nLayoutWidth = 0;
    int m_nLayoutHeight = 0;
};
