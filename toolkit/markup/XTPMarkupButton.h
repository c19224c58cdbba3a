#pragma once
// Clickable content controls. The button base turns the left mouse button into a "Click": it
// presses and captures on the button down, looks released (but stays armed) while the pointer is
// outside, and clicks on the button up only with the pointer inside. The push button draws itself
// with the visual style of the "BUTTON" class, with classic edges when no style is active, or
// with edges derived from its "Background" when it has one.
//
// Keyboard focus is inert in markup documents, so the focus visuals below exist for a host that
// marks an element focused by hand; nothing in the library ever draws them.

#include "toolkit/markup/XTPMarkupControl.h"

class CXTPWinThemeWrapper;

class CXTPMarkupButtonBase : public CXTPMarkupContentControl {
    DECLARE_MARKUPCLASS(CXTPMarkupButtonBase)
public:
    // The visual states the drawing uses, which are also the state numbers of the push button,
    // check box and radio button parts of the "BUTTON" visual-style class.
    enum VisualState { stateNormal = 1, stateHot = 2, statePressed = 3, stateDisabled = 4 };

    CXTPMarkupButtonBase();

    // Raises "Click" from this button: its handlers and its ancestors' up the tree, then the
    // markup context's when nobody marked it handled.
    virtual void OnClick();

    void OnMouseLeave(CXTPMarkupMouseEventArgs* args) override;
    void OnMouseEnter(CXTPMarkupMouseEventArgs* args) override;
    void OnMouseLeftButtonUp(CXTPMarkupMouseButtonEventArgs* args) override;
    void OnMouseLeftButtonDown(CXTPMarkupMouseButtonEventArgs* args) override;
    void OnLostMouseCapture(CXTPMarkupMouseEventArgs* args) override;

    // "IsPressed": true while the button is pressed with the pointer inside it.
    BOOL IsPressed() const;
    BOOL IsEnabled() const;
    // Disabled, else pressed, else hot (pointer over it), else normal.
    VisualState GetVisualState() const;
    // Whether the button draws with the visual style: the "BUTTON" class opened at the last
    // measure and the application themed.
    BOOL IsThemed() const;

    static CXTPMarkupRoutedEvent* m_pClickEvent;
    static CXTPMarkupDependencyProperty* m_pIsPressedProperty;
    static void RegisterMarkupClass();

protected:
    ~CXTPMarkupButtonBase() override;

    // The pressed flag and "IsPressed" together; releasing also ends a mouse-over state that was
    // kept while the pointer was outside the captured button.
    void SetPressed(BOOL pressed);
    // Opens the "BUTTON" class for no window, replacing what was open.
    void OpenButtonTheme();

    BOOL m_bPushed = FALSE;      // the left button went down here and is still held
    BOOL m_bMouseInside = FALSE; // the pointer is over the button (kept while captured)
    CXTPWinThemeWrapper* m_themeButton; // owned
};

class CXTPMarkupButton : public CXTPMarkupButtonBase {
    DECLARE_MARKUPCLASS(CXTPMarkupButton)
public:
    CXTPMarkupButton() = default;

    void OnRender(CXTPMarkupDrawingContext* dc) override;
    void OnRenderFocusVisual(CXTPMarkupDrawingContext* dc) override;
    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;

    // The room the face takes around the content on each side, in pixels (the edges and a gap).
    static constexpr int kFaceMargin = 4;

    // The edge colours derived from a background colour: light and shadow through hue,
    // luminance and saturation, dark as the shadow at half intensity.
    struct EdgeColors {
        COLORREF light;
        COLORREF shadow;
        COLORREF dark;
    };
    static EdgeColors EdgeColorsOf(COLORREF background);
};
