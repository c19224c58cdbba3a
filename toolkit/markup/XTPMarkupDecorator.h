#pragma once
// Elements that hold at most one child and lay it out inside themselves: the decorator and its
// drawn form, the border; the document root, the page; the control and the content control (the
// base of buttons and scroll viewers); and the window container, which stands in the tree for a
// child window of the host.

#include "toolkit/markup/XTPMarkupFrameworkElement.h"

class CXTPMarkupBrush;
class CXTPMarkupThickness;

// The single-child rules the decorator and the page share: content must be a UI element and only
// one is taken.
class CXTPMarkupDecorator : public CXTPMarkupFrameworkElement {
public:
    CXTPMarkupDecorator() = default;

    CXTPMarkupUIElement* GetChild() const { return m_pChild; }
    // Replaces the child, taking over the new one's reference (null clears); the old child loses
    // its logical parent and this element's reference.
    void SetChild(CXTPMarkupUIElement* child);

    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;
    BOOL HasContentObject() const override { return m_pChild != nullptr; }
    int GetVisualChildrenCount() const override { return m_pChild ? 1 : 0; }
    CXTPMarkupVisual* GetVisualChild(int index) const override { return index == 0 ? m_pChild : nullptr; }

protected:
    ~CXTPMarkupDecorator() override;

    CXTPMarkupUIElement* m_pChild = nullptr; // one reference
};

class CXTPMarkupBorder : public CXTPMarkupDecorator {
    DECLARE_MARKUPCLASS(CXTPMarkupBorder)
public:
    CXTPMarkupBorder() = default;

    CXTPMarkupBrush* GetBackground() const;
    CXTPMarkupBrush* GetBorderBrush() const;
    const CXTPMarkupThickness* GetPadding() const;
    const CXTPMarkupThickness* GetBorderThickness() const;
    const CXTPMarkupThickness* GetCornerRadius() const;
    // Each takes over the reference it is given.
    void SetBackground(CXTPMarkupBrush* brush);
    void SetBorderBrush(CXTPMarkupBrush* brush);
    void SetPadding(CXTPMarkupThickness* padding);
    void SetBorderThickness(CXTPMarkupThickness* thickness);
    void SetCornerRadius(CXTPMarkupThickness* radius);

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;
    void OnRender(CXTPMarkupDrawingContext* dc) override;
    CXTPMarkupInputElement* InputHitTestOverride(int x, int y) const override;

    static CXTPMarkupDependencyProperty* m_pBackgroundProperty;
    static CXTPMarkupDependencyProperty* m_pPaddingProperty;
    static CXTPMarkupDependencyProperty* m_pBorderThicknessProperty;
    static CXTPMarkupDependencyProperty* m_pBorderBrushProperty;
    static CXTPMarkupDependencyProperty* m_pCornerRadiusProperty;
    static void RegisterMarkupClass();
};

// The root of a document: its child gets the whole space the host offers.
class CXTPMarkupPage : public CXTPMarkupDecorator {
    DECLARE_MARKUPCLASS(CXTPMarkupPage)
public:
    CXTPMarkupPage() = default;

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;
};
