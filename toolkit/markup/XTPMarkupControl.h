#pragma once
// Controls: framework elements that lay out their first visual child over their whole box and
// borrow "Padding", "Background" and "Foreground" from the border, the panel and the text
// elements. A content control's child is its "Content" property; plain text given as content
// becomes a text block.

#include "toolkit/markup/XTPMarkupFrameworkElement.h"

class CXTPMarkupControl : public CXTPMarkupFrameworkElement {
    DECLARE_MARKUPCLASS(CXTPMarkupControl)
public:
    CXTPMarkupControl() = default;

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;

    static CXTPMarkupDependencyProperty* m_pPaddingProperty;
    static CXTPMarkupDependencyProperty* m_pBackgroundProperty;
    static CXTPMarkupDependencyProperty* m_pForegroundProperty;
    static void RegisterMarkupClass();
};

class CXTPMarkupContentControl : public CXTPMarkupControl {
    DECLARE_MARKUPCLASS(CXTPMarkupContentControl)
public:
    CXTPMarkupContentControl() = default;

    // Lent; null when there is none.
    CXTPMarkupUIElement* GetContent() const;
    // Takes over the reference (null clears).
    void SetContent(CXTPMarkupUIElement* content);

    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;
    BOOL HasContentObject() const override { return GetContent() != nullptr; }
    int GetVisualChildrenCount() const override { return GetContent() ? 1 : 0; }
    CXTPMarkupVisual* GetVisualChild(int index) const override { return index == 0 ? GetContent() : nullptr; }

    static CXTPMarkupDependencyProperty* m_pContentProperty;
    static void RegisterMarkupClass();
};

// Stands in the tree for a child window of the host: it sizes itself to the window's size and
// moves the window over its own rectangle when drawn, hiding it when it is not drawn. Markup
// gives a container no window; code may.
class CXTPMarkupWindowContainer : public CXTPMarkupFrameworkElement {
    DECLARE_MARKUPCLASS(CXTPMarkupWindowContainer)
public:
    CXTPMarkupWindowContainer() = default;

    // The window (not owned) and the size the container asks for it.
    void SetChild(HWND window, int width, int height);
    HWND GetChild() const { return m_hWndChild; }

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    void OnRender(CXTPMarkupDrawingContext* dc) override;
    void OnNotRendered(CXTPMarkupDrawingContext* dc) override;

    // SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER
    static constexpr UINT kShowFlags = 0x254;
    // SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW | SWP_NOOWNERZORDER
    static constexpr UINT kHideFlags = 0x297;

protected:
    HWND m_hWndChild = nullptr;
    int m_nWidth = 0;
    int m_nHeight = 0;
};
