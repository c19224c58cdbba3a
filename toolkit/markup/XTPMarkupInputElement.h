#pragma once
// The base of every markup object that receives input: it links the object to its markup context,
// keeps its routed-event handlers, answers the cursor query and the mouse-over state, and raises
// routed events. The context turns window messages into calls of the class handlers below; an
// element created without a context (built in code) has none, and every step that needs one then
// does nothing.

#include "toolkit/markup/XTPMarkupRoutedEvent.h"

#include <map>
#include <vector>

class CXTPMarkupContext;
class CXTPMarkupDelegate;

class CXTPMarkupInputElement : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupInputElement)
public:
    CXTPMarkupInputElement() = default;

    // Class handlers, called by the context while it dispatches window messages.
    virtual void OnMouseLeave(CXTPMarkupMouseEventArgs* args);
    virtual void OnMouseEnter(CXTPMarkupMouseEventArgs* args);
    virtual void OnMouseMove(CXTPMarkupMouseEventArgs* args) {}
    virtual void OnQueryCursor(CXTPMarkupQueryCursorEventArgs* args);
    virtual void OnMouseLeftButtonUp(CXTPMarkupMouseButtonEventArgs* args) {}
    virtual void OnMouseRightButtonUp(CXTPMarkupMouseButtonEventArgs* args) {}
    virtual void OnMouseLeftButtonDown(CXTPMarkupMouseButtonEventArgs* args) {}
    virtual void OnMouseRightButtonDown(CXTPMarkupMouseButtonEventArgs* args) {}
    virtual void OnLostMouseCapture(CXTPMarkupMouseEventArgs* args) {}
    virtual void OnMouseWheel(CXTPMarkupMouseWheelEventArgs* args) {}
    // The element under a point given in the visual parent's coordinates; only visuals answer.
    virtual CXTPMarkupInputElement* InputHitTest(int x, int y) const { return nullptr; }
    // After a build (children first): an element without a style takes the one its type names in
    // the resources above it; then the triggers that already match become active.
    virtual void OnApplyStyle();

    // The local value, then the values that active triggers set, then the element's style.
    CXTPMarkupObject* GetLocalValue(CXTPMarkupDependencyProperty* property) const override;
    // An event attribute names a delegate of the markup context; other properties are stored.
    void SetPropertyObject(CXTPMarkupBuilder* builder, CXTPMarkupDependencyProperty* property,
                           CXTPMarkupObject* value) override;
    void OnFinalRelease() override;

    // Lists the delegate for the event, after those already listed; takes over the reference.
    void AddHandler(CXTPMarkupRoutedEvent* event, CXTPMarkupDelegate* handler);
    // Routes args from this element: a direct event runs this element's own delegates only; a
    // bubbling one runs each input element's up the logical parents until one marks it handled,
    // then the context's handlers.
    void RaiseEvent(CXTPMarkupRoutedEventArgs* args);
    BOOL HasHandlers() const { return m_pHandlers != nullptr; }

    void CaptureMouse();
    void ReleaseMouseCapture();
    void Focus();

    CXTPMarkupContext* GetMarkupContext() const { return m_pMarkupContext; }
    CXTPMarkupObject* GetStyle() const { return m_pStyle; }

    // Activates the triggers of the style (its BasedOn chain first) that match: with no property,
    // each against the element's current value of its own property; with one, only the triggers
    // on it, against value. True when any trigger became active.
    bool ApplyTriggers(CXTPMarkupObject* style, CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value);
    // Re-evaluates the triggers after a change of property to value (no property: all of them),
    // updates the values they set and notifies the properties whose values changed.
    void UpdateTriggers(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value);
    // The triggers active now (null when none ever was).
    CXTPMarkupObject* GetActiveTriggers() const { return m_pActiveTriggers; }

    BOOL IsMouseOver() const;

    static CXTPMarkupDependencyProperty* m_pCursorProperty;
    static CXTPMarkupDependencyProperty* m_pIsMouseOverProperty;
    static CXTPMarkupDependencyProperty* m_pStyleProperty;
    static CXTPMarkupDependencyProperty* m_pIsKeyboardFocusedProperty;
    static CXTPMarkupDependencyProperty* m_pIsFocusableProperty;
    static CXTPMarkupDependencyProperty* m_pToolTipProperty;

    static CXTPMarkupRoutedEvent* m_pMouseLeaveEvent;
    static CXTPMarkupRoutedEvent* m_pMouseEnterEvent;
    static CXTPMarkupRoutedEvent* m_pMouseLeftButtonUpEvent;
    static CXTPMarkupRoutedEvent* m_pMouseLeftButtonDownEvent;
    static CXTPMarkupRoutedEvent* m_pMouseRightButtonUpEvent;
    static CXTPMarkupRoutedEvent* m_pMouseRightButtonDownEvent;
    static CXTPMarkupRoutedEvent* m_pMouseMoveEvent;
    static CXTPMarkupRoutedEvent* m_pLostMouseCaptureEvent;

    static void RegisterMarkupClass();

protected:
    friend class CXTPMarkupContext; // binds and unbinds m_pMarkupContext
    ~CXTPMarkupInputElement() override;

    // Runs every delegate listed for the event here, first added first, handled or not.
    void InvokeHandlers(CXTPMarkupRoutedEventArgs* args);

    // The element's style's value for the property, else that of its type's default style.
    virtual CXTPMarkupObject* GetStyleValue(CXTPMarkupDependencyProperty* property) const;
    // Makes style (sealed first) the element's style; null forgets it.
    void SetStyleObject(CXTPMarkupObject* style);

    std::map<CXTPMarkupRoutedEvent*, std::vector<CXTPMarkupDelegate*>>* m_pHandlers = nullptr; // one ref each
    CXTPMarkupContext* m_pMarkupContext = nullptr;  // set when a context creates the element
    CXTPMarkupObject* m_pActiveTriggers = nullptr;   // owned; filled by style triggers
    CXTPMarkupProperties* m_pTriggerProperties = nullptr; // owned; values the active triggers set
    CXTPMarkupObject* m_pStyle = nullptr;            // one reference: an implicit style may outlive its tree

private:
    static void OnCursorChanged(CXTPMarkupObject* object, CXTPMarkupPropertyChangedEventArgs* e);
    static void OnStyleChanged(CXTPMarkupObject* object, CXTPMarkupPropertyChangedEventArgs* e);
    bool ApplyTriggers(CXTPMarkupObject* style, CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value,
                       int depth);
};
