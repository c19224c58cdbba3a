#pragma once
// Text content of a text block: runs of characters, line breaks, spans that group inlines and
// change their font or decoration, hyperlinks that raise Click, and containers that embed a UI
// element in the flow of text. Content elements are not laid out by themselves: the text block
// walks their leaf inlines in document order through the position protocol below, breaks,
// measures, arranges and draws them; their property changes invalidate the nearest framework
// element.
//
// Positions are opaque pointer-sized values, -1 after the last. A run's positions point at its
// characters (then at the terminating null); a surrogate pair is one position, so no piece of a
// line ever begins or ends between its halves. An inline UI container has the positions 0 (before
// its child) and 1 (after it).

#include "toolkit/markup/XTPMarkupCollection.h"
#include "toolkit/markup/XTPMarkupFrameworkElement.h"

class CXTPMarkupBrush;
class CXTPMarkupFont;
class CXTPMarkupInlineCollection;
class CXTPMarkupString;

using MarkupTextPosition = INT_PTR;
constexpr MarkupTextPosition XTP_MARKUP_NO_POSITION = -1;

class CXTPMarkupFrameworkContentElement : public CXTPMarkupInputElement {
    DECLARE_MARKUPCLASS(CXTPMarkupFrameworkContentElement)
public:
    CXTPMarkupFrameworkContentElement() = default;

    // The nearest logical ancestor that is a framework element (the text block), or null.
    CXTPMarkupFrameworkElement* GetParentFrameworkElement() const;
    // The element itself: content elements are hit as a whole.
    CXTPMarkupInputElement* InputHitTest(int x, int y) const override;
    // Re-evaluates triggers, then invalidates the parent framework element by the property's flags.
    void OnPropertyChanged(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* oldValue,
                           CXTPMarkupObject* newValue) override;

    static void RegisterMarkupClass();
};

class CXTPMarkupTextElement : public CXTPMarkupFrameworkContentElement {
    DECLARE_MARKUPCLASS(CXTPMarkupTextElement)
public:
    CXTPMarkupTextElement() = default;

    void SetFontWeight(int weight);
    void SetFontStyle(int style);
    void SetTextDecorations(int decorations);
    CXTPMarkupBrush* GetBackground() const;
    CXTPMarkupBrush* GetForeground() const;

    enum { decorationNone = 0, decorationUnderline = 1, decorationStrikethrough = 2 };

    // Attached and inherited: any element may carry them for everything inside it.
    static CXTPMarkupDependencyProperty* m_pBackgroundProperty;
    static CXTPMarkupDependencyProperty* m_pForegroundProperty;
    static CXTPMarkupDependencyProperty* m_pFontSizeProperty;
    static CXTPMarkupDependencyProperty* m_pFontWeightProperty;
    static CXTPMarkupDependencyProperty* m_pFontFamilyProperty;
    static CXTPMarkupDependencyProperty* m_pFontStyleProperty;
    static CXTPMarkupDependencyProperty* m_pTextDecorationsProperty;
    static CXTPMarkupDependencyProperty* m_pFontQualityProperty;
    static CXTPMarkupDependencyProperty* m_pFontCharsetProperty;
    static void RegisterMarkupClass();
};

class CXTPMarkupInline : public CXTPMarkupTextElement {
    DECLARE_MARKUPCLASS(CXTPMarkupInline)
public:
    enum BaselineAlignment {
        baselineTop = 0,
        baselineCenter = 1,
        baselineBottom = 2,
        baselineBaseline = 3,
        baselineTextTop = 4,
        baselineTextBottom = 5,
        baselineSubscript = 6,
        baselineSuperscript = 7,
    };

    CXTPMarkupInline() = default;

    // The inline protocol, in the order the text block relies on.
    virtual CXTPMarkupInline* GetFirstInline() const;
    virtual MarkupTextPosition GetFirstPosition() const { return XTP_MARKUP_NO_POSITION; }
    virtual MarkupTextPosition GetNextPosition(MarkupTextPosition position) const { return XTP_MARKUP_NO_POSITION; }
    virtual BOOL IsWordBreakPosition(MarkupTextPosition position) const { return FALSE; }
    virtual BOOL IsLineBreakPosition(MarkupTextPosition position) const { return FALSE; }
    virtual BOOL IsCarriageReturnPosition(MarkupTextPosition position) const { return FALSE; }
    virtual BOOL IsWhiteSpacePosition(MarkupTextPosition position) const { return FALSE; }
    virtual void ArrangeRange(const RECT& rc, MarkupTextPosition from, MarkupTextPosition to) {}
    virtual SIZE MeasureRange(CXTPMarkupDrawingContext* dc, MarkupTextPosition from, MarkupTextPosition to);
    virtual void RenderRange(CXTPMarkupDrawingContext* dc, const RECT& rc, MarkupTextPosition from,
                             MarkupTextPosition to) {}
    virtual void PrepareMeasure(CXTPMarkupDrawingContext* dc) {}
    // The distance from the inline's baseline to its bottom.
    virtual int GetBaselineOffset() const { return 0; }

    // The next leaf inline in document order (climbing out of spans), or null.
    CXTPMarkupInline* GetNextInline() const;
    BaselineAlignment GetBaselineAlignment() const;
    int GetIndex() const { return m_nIndex; }
    void SetIndex(int index) { m_nIndex = index; }

    static CXTPMarkupDependencyProperty* m_pBaselineAlignmentProperty;
    static void RegisterMarkupClass();

protected:
    int m_nIndex = -1; // in the parent inline collection
};

class CXTPMarkupRun : public CXTPMarkupInline {
    DECLARE_MARKUPCLASS(CXTPMarkupRun)
public:
    CXTPMarkupRun() = default;

    void SetText(CXTPMarkupString* text); // takes over the reference
    void SetText(const wchar_t* text);
    // The text, or null when unset.
    const wchar_t* GetText() const;

    MarkupTextPosition GetFirstPosition() const override;
    MarkupTextPosition GetNextPosition(MarkupTextPosition position) const override;
    BOOL IsWordBreakPosition(MarkupTextPosition position) const override;
    BOOL IsLineBreakPosition(MarkupTextPosition position) const override;
    BOOL IsCarriageReturnPosition(MarkupTextPosition position) const override;
    BOOL IsWhiteSpacePosition(MarkupTextPosition position) const override;
    SIZE MeasureRange(CXTPMarkupDrawingContext* dc, MarkupTextPosition from, MarkupTextPosition to) override;
    void RenderRange(CXTPMarkupDrawingContext* dc, const RECT& rc, MarkupTextPosition from,
                     MarkupTextPosition to) override;
    void PrepareMeasure(CXTPMarkupDrawingContext* dc) override;
    int GetBaselineOffset() const override { return m_nBaseline; }
    // The font the run's effective properties describe, starting from the context's default.
    virtual void GetLogFont(LOGFONTW* lf) const;

    // A string accepted as content becomes "Text".
    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;
    BOOL HasContentObject() const override;
    void OnFinalRelease() override;

    static CXTPMarkupDependencyProperty* m_pTextProperty;
    static void RegisterMarkupClass();

protected:
    ~CXTPMarkupRun() override;

    int m_nBaseline = 0;                 // descent of the font of the last preparation
    CXTPMarkupFont* m_pFont = nullptr;   // one reference
    // The string the handed-out positions point into, kept until the next GetFirstPosition so that
    // a piece never points into freed text.
    mutable CXTPMarkupString* m_pPositionText = nullptr; // one reference
};

class CXTPMarkupLineBreak : public CXTPMarkupRun {
    DECLARE_MARKUPCLASS(CXTPMarkupLineBreak)
public:
    CXTPMarkupLineBreak();
};

class CXTPMarkupInlineCollection : public CXTPMarkupCollection {
    DECLARE_MARKUPCLASS(CXTPMarkupInlineCollection)
public:
    CXTPMarkupInlineCollection();
    CXTPMarkupInline* GetInline(int index) const { return static_cast<CXTPMarkupInline*>(GetItem(index)); }

    // Strings become runs, UI elements inline UI containers, inlines are added; else a build error.
    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;

protected:
    void OnItemAdded(CXTPMarkupObject* item, int index) override;
    void OnChanged() override;
};

class CXTPMarkupSpan : public CXTPMarkupInline {
    DECLARE_MARKUPCLASS(CXTPMarkupSpan)
public:
    CXTPMarkupSpan();

    CXTPMarkupInlineCollection* GetInlines() const { return m_pInlines; }

    CXTPMarkupInline* GetFirstInline() const override;
    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;
    BOOL HasContentObject() const override;
    BOOL AllowWhiteSpaceContent() const override { return TRUE; }
    int GetLogicalChildrenCount() const override { return 1; }
    CXTPMarkupObject* GetLogicalChild(int index) const override { return index == 0 ? m_pInlines : nullptr; }

protected:
    ~CXTPMarkupSpan() override;

    CXTPMarkupInlineCollection* m_pInlines; // owned, logical parent this span
};

class CXTPMarkupBold : public CXTPMarkupSpan {
    DECLARE_MARKUPCLASS(CXTPMarkupBold)
public:
    CXTPMarkupBold();
};

class CXTPMarkupItalic : public CXTPMarkupSpan {
    DECLARE_MARKUPCLASS(CXTPMarkupItalic)
public:
    CXTPMarkupItalic();
};

class CXTPMarkupUnderline : public CXTPMarkupSpan {
    DECLARE_MARKUPCLASS(CXTPMarkupUnderline)
public:
    CXTPMarkupUnderline();
};

// Underlined, blue and red under the mouse (its type's default style), with the hand cursor. A
// Click needs the left button to go down and come up over it with no leave between: a drag that
// merely ends over a link opens nothing.
class CXTPMarkupHyperlink : public CXTPMarkupSpan {
    DECLARE_MARKUPCLASS(CXTPMarkupHyperlink)
public:
    CXTPMarkupHyperlink() = default;

    void OnMouseLeftButtonDown(CXTPMarkupMouseButtonEventArgs* args) override;
    void OnMouseLeftButtonUp(CXTPMarkupMouseButtonEventArgs* args) override;
    void OnMouseLeave(CXTPMarkupMouseEventArgs* args) override;
    virtual void OnClick();

    BOOL IsPressed() const { return m_bPressed; }

    static CXTPMarkupRoutedEvent* m_pClickEvent;
    static void RegisterMarkupClass();

protected:
    BOOL m_bPressed = FALSE;
};

class CXTPMarkupInlineUIContainer : public CXTPMarkupInline {
    DECLARE_MARKUPCLASS(CXTPMarkupInlineUIContainer)
public:
    CXTPMarkupInlineUIContainer() = default;
    // Takes over the child's reference.
    explicit CXTPMarkupInlineUIContainer(CXTPMarkupUIElement* child);

    CXTPMarkupUIElement* GetChild() const { return m_pChild; }
    // Replaces (and releases) the child; takes over the new one's reference.
    void SetChild(CXTPMarkupUIElement* child);

    MarkupTextPosition GetFirstPosition() const override { return m_pChild ? 0 : XTP_MARKUP_NO_POSITION; }
    MarkupTextPosition GetNextPosition(MarkupTextPosition position) const override;
    BOOL IsWordBreakPosition(MarkupTextPosition position) const override { return position == 0 || position == 1; }
    void ArrangeRange(const RECT& rc, MarkupTextPosition from, MarkupTextPosition to) override;
    SIZE MeasureRange(CXTPMarkupDrawingContext* dc, MarkupTextPosition from, MarkupTextPosition to) override;
    void RenderRange(CXTPMarkupDrawingContext* dc, const RECT& rc, MarkupTextPosition from,
                     MarkupTextPosition to) override;
    // The child's answer, or the container when the child has none.
    CXTPMarkupInputElement* InputHitTest(int x, int y) const override;

    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;
    BOOL HasContentObject() const override { return m_pChild != nullptr; }
    int GetLogicalChildrenCount() const override { return m_pChild ? 1 : 0; }
    CXTPMarkupObject* GetLogicalChild(int index) const override;

protected:
    ~CXTPMarkupInlineUIContainer() override;

    CXTPMarkupUIElement* m_pChild = nullptr; // owned, logical parent this container
};

// The font of a run's LOGFONT: the face is taken only when it fits the 32-unit field with its
// terminating null; a longer name keeps the face already in lf.
void MarkupSetFaceName(LOGFONTW& lf, const wchar_t* face);
