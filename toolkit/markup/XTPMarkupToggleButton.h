#pragma once
// Buttons with a checked state. A click toggles first, so the checked-state event ("Checked",
// "Unchecked" or "Indeterminate") runs before "Click". Every change of "IsChecked", by a click or
// by a local value, raises exactly one of the three; setting the value it already has raises none.
//
// Radio buttons form groups by their visual parent: checking one unchecks every other radio
// button among that parent's visual children, and no others.

#include "toolkit/markup/XTPMarkupButton.h"

class CXTPMarkupToggleButton : public CXTPMarkupButtonBase {
    DECLARE_MARKUPCLASS(CXTPMarkupToggleButton)
public:
    enum CheckState { unchecked = 0, checked = 1, indeterminate = 2 };

    CXTPMarkupToggleButton() = default;

    // The next state of a click: checked becomes indeterminate with "IsThreeState", else
    // unchecked; indeterminate becomes unchecked; unchecked becomes checked.
    virtual void OnToggle();
    virtual void OnChecked(CXTPMarkupRoutedEventArgs* args);
    virtual void OnUnchecked(CXTPMarkupRoutedEventArgs* args);
    virtual void OnIndeterminate(CXTPMarkupRoutedEventArgs* args);

    void OnClick() override;

    // The "IsChecked" value: 0 unchecked, 1 checked, any other value indeterminate.
    int GetChecked() const;
    // Sets "IsChecked" as a local value.
    void SetChecked(int state);
    BOOL IsThreeState() const;

    static CXTPMarkupRoutedEvent* m_pCheckedEvent;
    static CXTPMarkupRoutedEvent* m_pUncheckedEvent;
    static CXTPMarkupRoutedEvent* m_pIndeterminateEvent;
    static CXTPMarkupDependencyProperty* m_pIsCheckedProperty;
    static CXTPMarkupDependencyProperty* m_pIsThreeStateProperty;
    static void RegisterMarkupClass();

private:
    static void OnIsCheckedChanged(CXTPMarkupObject* object, CXTPMarkupPropertyChangedEventArgs* e);
};

// A glyph box of 13 x 13 at the left, vertically centred, and the content 16 pixels further
// right.
class CXTPMarkupCheckBox : public CXTPMarkupToggleButton {
    DECLARE_MARKUPCLASS(CXTPMarkupCheckBox)
public:
    CXTPMarkupCheckBox() = default;

    void OnRender(CXTPMarkupDrawingContext* dc) override;
    void OnRenderFocusVisual(CXTPMarkupDrawingContext* dc) override;
    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;

    // The glyph's square, in element coordinates, for an element of that height.
    static RECT GetGlyphRect(int height);
    static constexpr int kGlyphSize = 13;
    static constexpr int kContentOffset = 16;
};

class CXTPMarkupRadioButton : public CXTPMarkupToggleButton {
    DECLARE_MARKUPCLASS(CXTPMarkupRadioButton)
public:
    CXTPMarkupRadioButton() = default;

    void OnRender(CXTPMarkupDrawingContext* dc) override;
    void OnRenderFocusVisual(CXTPMarkupDrawingContext* dc) override;
    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;
    // A click always checks: a radio button is unchecked only by checking a sibling.
    void OnToggle() override;
    // Unchecks the checked radio buttons that share this one's visual parent, then raises
    // "Checked".
    void OnChecked(CXTPMarkupRoutedEventArgs* args) override;
};

// "True" 1, "False" 0 and the empty text 2 (indeterminate), in any letter case; null otherwise.
CXTPMarkupObject* MarkupConvertIsChecked(CXTPMarkupBuilder* builder, CXTPMarkupObject* value);
