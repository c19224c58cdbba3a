#include "toolkit/markup/XTPMarkupTextBlock.h"

#include "toolkit/markup/XTPMarkupBrush.h"
#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupConverters.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupThickness.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>

IMPLEMENT_MARKUPCLASS(L"TextBlock", CXTPMarkupTextBlock, CXTPMarkupFrameworkElement,
                      &CreateMarkupObject<CXTPMarkupTextBlock>, &CXTPMarkupTextBlock::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupTextBlock::m_pTextWrappingProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTextBlock::m_pTextTrimmingProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTextBlock::m_pTextAlignmentProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTextBlock::m_pPaddingProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTextBlock::m_pTextProperty = nullptr;

// ---- Pieces

MARKUP_TEXT_PIECE::MARKUP_TEXT_PIECE(CXTPMarkupInline* inl, MarkupTextPosition start, MarkupTextPosition end)
    : pInline(inl), from(start), to(end)
{
    if (pInline)
        pInline->AddRef();
}

MARKUP_TEXT_PIECE::MARKUP_TEXT_PIECE(const MARKUP_TEXT_PIECE& other)
{
    *this = other;
}

MARKUP_TEXT_PIECE& MARKUP_TEXT_PIECE::operator=(const MARKUP_TEXT_PIECE& other)
{
    if (this == &other)
        return *this;
    if (other.pInline)
        other.pInline->AddRef();
    CXTPMarkupInline* old = pInline;
    pInline = other.pInline;
    from = other.from;
    to = other.to;
    x = other.x;
    y = other.y;
    offsetX = other.offsetX;
    offsetY = other.offsetY;
    width = other.width;
    height = other.height;
    descent = other.descent;
    afterLineFeed = other.afterLineFeed;
    MarkupRelease(old);
    return *this;
}

MARKUP_TEXT_PIECE::~MARKUP_TEXT_PIECE()
{
    MarkupRelease(pInline);
}

// The state of one layout pass.
struct CXTPMarkupTextBlock::Layout {
    int available = 0;         // A: the width the lines have to fit
    int x = 0;                 // used on the current line
    int y = 0;                 // height of the finished lines
    int widest = 0;
    MARKUP_TEXT_LINE line;     // the current line
    MARKUP_TEXT_PIECE piece;   // the current piece, growing over the current inline
    bool hasPiece = false;
    std::deque<MARKUP_TEXT_PIECE> pending; // measured, not yet placed: the current word
    CXTPMarkupDrawingContext* dc = nullptr;
    int wrapping = 0;
    int trimming = 0;
    bool justify = false;
    bool previousWrapped = false; // the last finished line ended at a soft break
};

// ---- Registration and properties

void CXTPMarkupTextBlock::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    CXTPMarkupType* owner = MarkupType();
    CXTPMarkupType::RegisterProperties(CXTPMarkupRun::MarkupType());
    m_pTextWrappingProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"TextWrapping", CXTPMarkupEnum::MarkupType(), owner,
        new Metadata(nullptr, &MarkupConvertTextWrapping, Metadata::flagAffectsMeasure));
    m_pTextTrimmingProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"TextTrimming", CXTPMarkupEnum::MarkupType(), owner,
        new Metadata(nullptr, &MarkupConvertTextTrimming, Metadata::flagAffectsMeasure));
    m_pTextAlignmentProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"TextAlignment", CXTPMarkupEnum::MarkupType(), owner,
        new Metadata(nullptr, &MarkupConvertTextAlignment, Metadata::flagAffectsArrange));
    m_pPaddingProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Padding", CXTPMarkupThickness::MarkupType(), owner,
        new Metadata(CXTPMarkupThickness::GetDefault(), Metadata::flagAffectsMeasure));
    m_pTextProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Text", CXTPMarkupString::MarkupType(), owner, new Metadata(nullptr, Metadata::flagAffectsMeasure));
    for (CXTPMarkupDependencyProperty* property :
         {CXTPMarkupTextElement::m_pBackgroundProperty, CXTPMarkupTextElement::m_pForegroundProperty,
          CXTPMarkupTextElement::m_pFontSizeProperty, CXTPMarkupTextElement::m_pFontWeightProperty,
          CXTPMarkupTextElement::m_pFontFamilyProperty, CXTPMarkupTextElement::m_pFontStyleProperty,
          CXTPMarkupTextElement::m_pTextDecorationsProperty, CXTPMarkupTextElement::m_pFontQualityProperty,
          CXTPMarkupTextElement::m_pFontCharsetProperty})
        property->AddOwner(owner);
}

CXTPMarkupTextBlock::CXTPMarkupTextBlock() : m_pInlines(new CXTPMarkupInlineCollection())
{
    m_pInlines->SetLogicalParent(this);
}

CXTPMarkupTextBlock::~CXTPMarkupTextBlock()
{
    // The pieces hold references to the inlines (and to the helper runs whose parent is this).
    m_lines.clear();
    m_pInlines->SetLogicalParent(nullptr);
    m_pInlines->Release();
}

void CXTPMarkupTextBlock::SetText(const wchar_t* text)
{
    SetValue(m_pTextProperty, text ? CreateMarkupString(text) : nullptr);
}

void CXTPMarkupTextBlock::SetTextWrapping(TextWrapping wrapping)
{
    SetValue(m_pTextWrappingProperty, CreateMarkupEnum(wrapping));
}

void CXTPMarkupTextBlock::SetTextTrimming(TextTrimming trimming)
{
    SetValue(m_pTextTrimmingProperty, CreateMarkupEnum(trimming));
}

void CXTPMarkupTextBlock::SetTextAlignment(TextAlignment alignment)
{
    SetValue(m_pTextAlignmentProperty, CreateMarkupEnum(alignment));
}

void CXTPMarkupTextBlock::SetPadding(int left, int top, int right, int bottom)
{
    SetValue(m_pPaddingProperty, new CXTPMarkupThickness(left, top, right, bottom));
}

void CXTPMarkupTextBlock::SetFontSize(int size)
{
    SetValue(CXTPMarkupTextElement::m_pFontSizeProperty, new CXTPMarkupInt(size));
}

const CXTPMarkupThickness* CXTPMarkupTextBlock::GetPadding() const
{
    return MarkupDynamicCast<CXTPMarkupThickness>(GetValue(m_pPaddingProperty));
}

int CXTPMarkupTextBlock::GetEnumValue(CXTPMarkupDependencyProperty* property) const
{
    const CXTPMarkupEnum* value = MarkupDynamicCast<CXTPMarkupEnum>(GetValue(property));
    return value ? static_cast<int>(*value) : 0;
}

void CXTPMarkupTextBlock::SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content)
{
    m_pInlines->SetContentObject(builder, content);
}

BOOL CXTPMarkupTextBlock::HasContentObject() const
{
    return m_pInlines->HasContentObject();
}

CXTPMarkupRun* CXTPMarkupTextBlock::CreateHelperRun(const wchar_t* text)
{
    CXTPMarkupObject* made = m_pMarkupContext ? m_pMarkupContext->CreateObject(CXTPMarkupRun::MarkupType())
                                              : new CXTPMarkupRun();
    CXTPMarkupRun* run = MarkupDynamicCast<CXTPMarkupRun>(made);
    if (!run) {
        MarkupRelease(made);
        return nullptr;
    }
    run->SetText(text);
    run->SetLogicalParent(this);
    return run;
}

void CXTPMarkupTextBlock::OnPropertyChanged(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* oldValue,
                                            CXTPMarkupObject* newValue)
{
    if (property == m_pTextProperty) {
        // "Text" replaces whatever inlines the block held.
        m_pInlines->RemoveAll();
        CXTPMarkupObject* made = m_pMarkupContext ? m_pMarkupContext->CreateObject(CXTPMarkupRun::MarkupType())
                                                  : new CXTPMarkupRun();
        if (CXTPMarkupRun* run = MarkupDynamicCast<CXTPMarkupRun>(made)) {
            CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(newValue);
            if (text)
                text->AddRef();
            run->SetText(text);
            m_pInlines->Add(run);
        } else {
            MarkupRelease(made);
        }
    }
    CXTPMarkupFrameworkElement::OnPropertyChanged(property, oldValue, newValue);
}

void CXTPMarkupTextBlock::RemeasureUpward(CXTPMarkupDrawingContext* dc)
{
    m_nCachedWidth = -1;
    CXTPMarkupFrameworkElement::RemeasureUpward(dc);
}

// ---- Layout

SIZE CXTPMarkupTextBlock::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int)
{
    const CXTPMarkupThickness* padding = GetPadding();
    const int l = padding ? padding->GetLeft() : 0, t = padding ? padding->GetTop() : 0;
    const int r = padding ? padding->GetRight() : 0, b = padding ? padding->GetBottom() : 0;
    const long long inner = static_cast<long long>(availableWidth) - l - r;
    LayoutLines(dc, static_cast<int>(std::clamp<long long>(inner, 0, XTP_MARKUP_UNBOUNDED)));
    return SIZE{l + r + m_nLayoutWidth, t + b + m_nLayoutHeight};
}

void CXTPMarkupTextBlock::MeasurePiece(Layout& layout, MARKUP_TEXT_PIECE& piece) const
{
    const SIZE size = piece.pInline->MeasureRange(layout.dc, piece.from, piece.to);
    piece.width = size.cx;
    piece.height = size.cy;
    piece.descent = piece.pInline->GetBaselineOffset();
}

void CXTPMarkupTextBlock::LayoutLines(CXTPMarkupDrawingContext* dc, int available)
{
    Layout layout;
    layout.dc = dc;
    layout.available = available;
    layout.wrapping = GetEnumValue(m_pTextWrappingProperty);
    if (layout.wrapping != wrapNone) {
        layout.trimming = trimNone;
        layout.justify = GetEnumValue(m_pTextAlignmentProperty) == alignTextJustify;
    } else {
        layout.trimming = GetEnumValue(m_pTextTrimmingProperty);
    }

    const BOOL forced = dc && dc->IsRemeasureForced();
    if (!forced && (available == m_nCachedWidth ||
                    (layout.wrapping == wrapNone && layout.trimming == trimNone && m_nCachedWidth != -1)))
        return;
    m_nCachedWidth = available;
    m_lines.clear();
    if (!dc) {
        m_nLayoutWidth = m_nLayoutHeight = 0;
        return;
    }

    CXTPMarkupInline* first = m_pInlines->GetCount() > 0 ? m_pInlines->GetInline(0)->GetFirstInline() : nullptr;
    if (!first) {
        // An empty block is one space high.
        if (CXTPMarkupRun* space = CreateHelperRun(L" ")) {
            space->PrepareMeasure(dc);
            const MarkupTextPosition start = space->GetFirstPosition();
            MARKUP_TEXT_PIECE piece(space, start, start);
            MeasurePiece(layout, piece);
            layout.pending.push_back(piece);
            space->Release();
            Flush(layout);
        }
    } else {
        for (CXTPMarkupInline* inl = first; inl; inl = inl->GetNextInline()) {
            inl->PrepareMeasure(dc);
            MarkupTextPosition position = inl->GetFirstPosition();
            layout.piece = MARKUP_TEXT_PIECE(inl, position, position);
            layout.hasPiece = true;
            while (position != XTP_MARKUP_NO_POSITION) {
                layout.piece.to = position;
                if (inl->IsCarriageReturnPosition(position)) {
                    // Never part of a piece: what came before waits as part of the same word.
                    if (layout.piece.from != layout.piece.to || layout.piece.afterLineFeed) {
                        MeasurePiece(layout, layout.piece);
                        layout.pending.push_back(layout.piece);
                    }
                    position = inl->GetNextPosition(position);
                    layout.piece = MARKUP_TEXT_PIECE(inl, position, position);
                    continue;
                }
                if (layout.wrapping != wrapNone && inl->IsWordBreakPosition(position))
                    Flush(layout);
                if (!inl->IsLineBreakPosition(position)) {
                    position = inl->GetNextPosition(position);
                    continue;
                }
                Flush(layout);
                if (layout.line.pieces.empty()) {
                    // An empty line is as high as a space of the inline's font.
                    MARKUP_TEXT_PIECE space(inl, position, position);
                    MeasurePiece(layout, space);
                    layout.pending.push_back(space);
                    layout.hasPiece = false;
                    Flush(layout);
                }
                FinishLine(layout);
                position = inl->GetNextPosition(position);
                layout.piece = MARKUP_TEXT_PIECE(inl, position, position);
                layout.piece.afterLineFeed = TRUE;
                layout.hasPiece = true;
            }
            // A word may go on in the next inline: the piece waits without a flush.
            if (layout.piece.from != layout.piece.to || layout.piece.afterLineFeed) {
                if (layout.piece.to == XTP_MARKUP_NO_POSITION)
                    layout.piece.to = layout.piece.from;
                MeasurePiece(layout, layout.piece);
                layout.pending.push_back(layout.piece);
            }
            layout.piece = MARKUP_TEXT_PIECE();
            layout.hasPiece = false;
        }
        Flush(layout);
    }
    FinishLine(layout);
    if (forced)
        m_nCachedWidth = -1;
    m_nLayoutWidth = layout.widest;
    m_nLayoutHeight = layout.y;
}

void CXTPMarkupTextBlock::Flush(Layout& layout)
{
    if (layout.hasPiece && (layout.piece.from != layout.piece.to || layout.piece.afterLineFeed)) {
        MeasurePiece(layout, layout.piece);
        layout.pending.push_back(layout.piece);
        layout.piece = MARKUP_TEXT_PIECE(layout.piece.pInline, layout.piece.to, layout.piece.to);
    }
    const int A = layout.available;
    if (layout.wrapping != wrapNone && layout.x > 0) {
        long long pendingWidth = 0;
        for (const MARKUP_TEXT_PIECE& piece : layout.pending)
            pendingWidth += piece.width;
        if (A < layout.x + pendingWidth) {
            // The word moves to the next line whole.
            layout.line.wrapped = TRUE;
            FinishLine(layout);
        }
    }
    while (!layout.pending.empty()) {
        MARKUP_TEXT_PIECE piece = layout.pending.front();
        layout.pending.pop_front();
        CXTPMarkupInline* inl = piece.pInline;

        // Leading white space goes at the start of a line that a soft break began.
        if (layout.x == 0 && layout.y > 0 && layout.previousWrapped && layout.line.pieces.empty()) {
            bool dropped = false;
            while (piece.from != piece.to && inl->IsWhiteSpacePosition(piece.from)) {
                piece.from = inl->GetNextPosition(piece.from);
                dropped = true;
            }
            if (dropped && piece.from == piece.to)
                continue;
            if (dropped)
                MeasurePiece(layout, piece);
        }

        if (layout.wrapping == wrapWrap && piece.from != piece.to && A < layout.x + piece.width) {
            // Break inside the word: the longest start that fits, but at least one character.
            MarkupTextPosition end = inl->GetNextPosition(piece.from);
            if (end == XTP_MARKUP_NO_POSITION)
                end = piece.to;
            while (end != piece.to) {
                const MarkupTextPosition next = inl->GetNextPosition(end);
                if (next == XTP_MARKUP_NO_POSITION)
                    break;
                const SIZE size = inl->MeasureRange(layout.dc, piece.from, next);
                if (layout.x + size.cx > A)
                    break;
                end = next;
            }
            MARKUP_TEXT_PIECE head = piece;
            head.to = end;
            MeasurePiece(layout, head);
            head.x = layout.x;
            head.y = layout.y;
            layout.line.pieces.push_back(head);
            layout.x += head.width;
            layout.line.wrapped = TRUE;
            FinishLine(layout);
            if (end != piece.to) {
                MARKUP_TEXT_PIECE rest = piece;
                rest.from = end;
                rest.afterLineFeed = FALSE;
                MeasurePiece(layout, rest);
                layout.pending.push_front(rest);
            }
            continue;
        }

        if (!layout.justify && !layout.line.pieces.empty() && !piece.afterLineFeed) {
            MARKUP_TEXT_PIECE& last = layout.line.pieces.back();
            if (last.pInline == inl && last.to == piece.from) {
                // Consecutive words of one inline are drawn as one piece.
                const int oldWidth = last.width;
                last.to = piece.to;
                MeasurePiece(layout, last);
                layout.x += last.width - oldWidth;
                continue;
            }
        }

        piece.x = layout.x;
        piece.y = layout.y;
        layout.line.pieces.push_back(piece);
        layout.x += piece.width;
    }
}

void CXTPMarkupTextBlock::FinishLine(Layout& layout)
{
    MARKUP_TEXT_LINE& line = layout.line;
    if (line.pieces.empty())
        return;
    if (layout.trimming != trimNone && layout.available < layout.x)
        Trim(layout);
    line.width = 0;
    line.descent = 0;
    for (const MARKUP_TEXT_PIECE& piece : line.pieces) {
        line.width += piece.width;
        line.descent = std::max(line.descent, piece.descent);
    }
    line.height = 0;
    for (const MARKUP_TEXT_PIECE& piece : line.pieces)
        line.height = std::max(line.height, line.descent + piece.height - piece.descent);
    layout.widest = std::max(layout.widest, line.width);
    layout.x = 0;
    layout.y += line.height;
    layout.previousWrapped = line.wrapped != FALSE;
    m_lines.push_back(std::move(line));
    layout.line = MARKUP_TEXT_LINE();
}

void CXTPMarkupTextBlock::Trim(Layout& layout)
{
    MARKUP_TEXT_LINE& line = layout.line;
    const int A = layout.available;
    // The dots take the block's own font and colours, not those of the run being cut.
    CXTPMarkupRun* dots = CreateHelperRun(L"...");
    if (!dots)
        return;
    dots->PrepareMeasure(layout.dc);
    MarkupTextPosition dotsEnd = dots->GetFirstPosition();
    for (int i = 0; i < 3; ++i)
        dotsEnd = dots->GetNextPosition(dotsEnd);
    MARKUP_TEXT_PIECE ellipsis(dots, dots->GetFirstPosition(), dotsEnd);
    dots->Release();
    MeasurePiece(layout, ellipsis);
    const int e = ellipsis.width;

    size_t index = 0;
    for (; index < line.pieces.size(); ++index) {
        const MARKUP_TEXT_PIECE& piece = line.pieces[index];
        if (A - e < piece.x + piece.width)
            break;
    }
    if (index == line.pieces.size())
        index = line.pieces.size() - 1;

    MARKUP_TEXT_PIECE& cut = line.pieces[index];
    CXTPMarkupInline* inl = cut.pInline;
    const int c = cut.x;
    MarkupTextPosition lastFit = cut.from;
    bool breakKnown = c > 0;
    MarkupTextPosition lastBreak = cut.from;
    for (MarkupTextPosition end = cut.from; end != cut.to;) {
        const MarkupTextPosition next = inl->GetNextPosition(end);
        if (next == XTP_MARKUP_NO_POSITION)
            break;
        const SIZE size = inl->MeasureRange(layout.dc, cut.from, next);
        if (c + size.cx > A - e)
            break;
        lastFit = next;
        if (inl->IsWordBreakPosition(next)) {
            lastBreak = next;
            breakKnown = true;
        }
        end = next;
    }
    cut.to = layout.trimming == trimWordEllipsis && breakKnown ? lastBreak : lastFit;
    MeasurePiece(layout, cut);
    line.pieces.erase(line.pieces.begin() + static_cast<long>(index) + 1, line.pieces.end());

    ellipsis.x = c + line.pieces.back().width;
    ellipsis.y = layout.y;
    layout.x = ellipsis.x + ellipsis.width;
    line.pieces.push_back(ellipsis);
}

// ---- Arrange, render, hit test

SIZE CXTPMarkupTextBlock::ArrangeOverride(int finalWidth, int finalHeight)
{
    const CXTPMarkupThickness* padding = GetPadding();
    const int l = padding ? padding->GetLeft() : 0, t = padding ? padding->GetTop() : 0;
    const int r = padding ? padding->GetRight() : 0;
    const int alignment = GetEnumValue(m_pTextAlignmentProperty);
    for (MARKUP_TEXT_LINE& line : m_lines) {
        int free = finalWidth - line.width - r - l;
        int offset = 0;
        if (alignment == alignTextRight)
            offset = free;
        else if (alignment == alignTextCenter)
            offset = free / 2;

        // Justify: the free space goes between the words of a wrapped line, the first word stays.
        const bool justify = line.wrapped && alignment == alignTextJustify && finalWidth - line.width > 0;
        int gaps = 0;
        if (justify) {
            for (const MARKUP_TEXT_PIECE& piece : line.pieces)
                gaps += piece.afterLineFeed ? 0 : 1;
            gaps -= 1;
        }
        int extra = 0;
        bool firstWord = true;
        for (MARKUP_TEXT_PIECE& piece : line.pieces) {
            if (justify && !piece.afterLineFeed) {
                if (firstWord) {
                    firstWord = false;
                } else if (gaps > 0 && free > 0) {
                    const int add = std::max(free / gaps, 1);
                    extra += add;
                    gaps -= 1;
                    free -= add;
                }
            }
            piece.offsetX = l + offset + extra;
            int offsetY = line.height + t - piece.height;
            switch (piece.pInline->GetBaselineAlignment()) {
            case CXTPMarkupInline::baselineTop:
            case CXTPMarkupInline::baselineTextTop:
                offsetY += piece.height - line.height;
                break;
            case CXTPMarkupInline::baselineCenter:
                offsetY += (piece.height - line.height) / 2;
                break;
            case CXTPMarkupInline::baselineSubscript:
                offsetY += piece.descent - line.descent / 2;
                break;
            case CXTPMarkupInline::baselineSuperscript:
                offsetY += line.descent / 2 - piece.descent - line.height + piece.height;
                break;
            case CXTPMarkupInline::baselineBottom:
            case CXTPMarkupInline::baselineTextBottom:
                break;
            default:
                offsetY += piece.descent - line.descent;
                break;
            }
            piece.offsetY = offsetY;
            piece.pInline->ArrangeRange(piece.GetRect(), piece.from, piece.to);
        }
    }
    return SIZE{finalWidth, finalHeight};
}

void CXTPMarkupTextBlock::DrawDecorations(CXTPMarkupDrawingContext* dc, const MARKUP_TEXT_LINE& line,
                                          const MARKUP_TEXT_PIECE& piece, CXTPMarkupBrush* defaultBrush)
{
    CXTPMarkupInline* inl = piece.pInline;
    const CXTPMarkupEnum* value =
        MarkupDynamicCast<CXTPMarkupEnum>(inl->GetValue(CXTPMarkupTextElement::m_pTextDecorationsProperty));
    const int decorations = value ? static_cast<int>(*value) : 0;
    if (decorations == 0)
        return;
    // The bar takes the colour of the element that holds the decoration (an underline span or a
    // hyperlink), not that of a differently coloured run inside it.
    const CXTPMarkupObject* holder = inl->GetValueSource(CXTPMarkupTextElement::m_pTextDecorationsProperty);
    if (!holder)
        return;
    CXTPMarkupBrush* brush =
        MarkupDynamicCast<CXTPMarkupBrush>(holder->GetValue(CXTPMarkupTextElement::m_pForegroundProperty));
    if (!brush)
        brush = defaultBrush;
    const RECT rc = piece.GetRect();
    const int D = line.descent, H = line.height, d = piece.descent;
    const int thickness = std::max(D / 3, 1);
    if (decorations & CXTPMarkupTextElement::decorationUnderline) {
        const int top = rc.bottom - d + thickness;
        dc->FillRectangle(rc.left, top, rc.right, top + thickness, brush);
    }
    if (decorations & CXTPMarkupTextElement::decorationStrikethrough) {
        const int top = rc.bottom - d + D - (H - D) / 2;
        dc->FillRectangle(rc.left, top, rc.right, top + thickness, brush);
    }
}

void CXTPMarkupTextBlock::OnRender(CXTPMarkupDrawingContext* dc)
{
    CXTPMarkupBrush* background = MarkupDynamicCast<CXTPMarkupBrush>(
        CXTPMarkupObject::GetValue(CXTPMarkupTextElement::m_pBackgroundProperty));
    if (background)
        dc->FillRectangle(0, 0, m_szRenderSize.cx, m_szRenderSize.cy, background);
    CXTPMarkupSolidColorBrush* defaultBrush =
        new CXTPMarkupSolidColorBrush(m_pMarkupContext ? m_pMarkupContext->GetDefaultForeground() : 0);
    const RECT clip = dc->GetClipBox();
    CXTPMarkupBrush* lastColor = nullptr;
    for (const MARKUP_TEXT_LINE& line : m_lines) {
        for (const MARKUP_TEXT_PIECE& piece : line.pieces) {
            const RECT rc = piece.GetRect();
            RECT visible;
            if (!IntersectRect(&visible, &rc, &clip))
                continue;
            CXTPMarkupInline* inl = piece.pInline;
            // An inherited background is the block's own, already drawn.
            CXTPMarkupBrush* pieceBackground = inl->GetBackground();
            if (pieceBackground && pieceBackground != background)
                dc->FillRectangle(rc.left, rc.top, rc.right, rc.bottom, pieceBackground);
            CXTPMarkupBrush* color = inl->GetForeground();
            if (!color)
                color = defaultBrush;
            if (!lastColor || (color != lastColor && !color->IsEqual(lastColor))) {
                dc->SetTextColor(color);
                lastColor = color;
            }
            inl->RenderRange(dc, rc, piece.from, piece.to);
            DrawDecorations(dc, line, piece, defaultBrush);
        }
    }
    dc->SetTextColor(nullptr);
    defaultBrush->Release();
}

CXTPMarkupInputElement* CXTPMarkupTextBlock::InputHitTestOverride(int x, int y) const
{
    const POINT point = {x, y};
    for (const MARKUP_TEXT_LINE& line : m_lines) {
        for (const MARKUP_TEXT_PIECE& piece : line.pieces) {
            const RECT rc = piece.GetRect();
            if (PtInRect(&rc, point))
                return piece.pInline->InputHitTest(x, y);
        }
    }
    return const_cast<CXTPMarkupTextBlock*>(this);
}

// ---- The Content converter

CXTPMarkupObject* MarkupConvertContent(CXTPMarkupBuilder* builder, CXTPMarkupObject* value)
{
    CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(value);
    if (!text)
        return nullptr;
    CXTPMarkupType* blockType = CXTPMarkupTextBlock::MarkupType();
    CXTPMarkupTextBlock* block = MarkupDynamicCast<CXTPMarkupTextBlock>(builder ? builder->CreateObject(blockType)
                                                                                : blockType->CreateObject());
    if (!block)
        return nullptr;
    CXTPMarkupObject* made =
        builder ? builder->CreateObject(CXTPMarkupRun::MarkupType()) : CXTPMarkupRun::MarkupType()->CreateObject();
    if (CXTPMarkupRun* run = MarkupDynamicCast<CXTPMarkupRun>(made)) {
        text->AddRef();
        run->SetText(text);
        block->GetInlines()->Add(run);
    }
    return block;
}
