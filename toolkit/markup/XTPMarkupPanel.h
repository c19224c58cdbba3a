#pragma once
// Panels: framework elements that hold any number of children and place them by a rule. The
// base panel places nothing (its children keep 0 x 0 unless arranged by a derived rule); the
// stack, wrap, dock, uniform-grid and canvas panels derive from it. A panel draws its
// "Background" under its children and is hit by the mouse only where it has one.

#include "toolkit/markup/XTPMarkupCollection.h"
#include "toolkit/markup/XTPMarkupFrameworkElement.h"

class CXTPMarkupBrush;

// The children of a panel. Items are UI elements; the collection is their logical parent and the
// panel the collection's, and every change asks the panel to measure again.
class CXTPMarkupUIElementCollection : public CXTPMarkupCollection {
    DECLARE_MARKUPCLASS(CXTPMarkupUIElementCollection)
public:
    CXTPMarkupUIElementCollection();

    CXTPMarkupUIElement* GetElement(int index) const
    {
        return static_cast<CXTPMarkupUIElement*>(GetItem(index));
    }

protected:
    void OnChanged() override;
};

class CXTPMarkupPanel : public CXTPMarkupFrameworkElement {
    DECLARE_MARKUPCLASS(CXTPMarkupPanel)
public:
    CXTPMarkupPanel();

    CXTPMarkupUIElementCollection* GetChildren() const { return m_pChildren; }
    CXTPMarkupBrush* GetBackground() const;
    // Takes over the brush's reference; null clears it.
    void SetBackground(CXTPMarkupBrush* brush);

    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;
    BOOL HasContentObject() const override;
    int GetVisualChildrenCount() const override;
    CXTPMarkupVisual* GetVisualChild(int index) const override;
    void OnRender(CXTPMarkupDrawingContext* dc) override;
    CXTPMarkupInputElement* InputHitTestOverride(int x, int y) const override;

    static CXTPMarkupDependencyProperty* m_pBackgroundProperty;
    static void RegisterMarkupClass();

protected:
    ~CXTPMarkupPanel() override;

    CXTPMarkupUIElementCollection* m_pChildren; // owned
};
