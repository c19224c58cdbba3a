#pragma once
// The markup context's keyboard-focus object and the owner of the attached tab-order properties.
// Markup may set the properties on any object (KeyboardNavigation.TabIndex="2"); they are stored
// and read back but move no focus: key and focus messages are left unhandled and Focus changes
// nothing, so no element ever becomes keyboard-focused.

#include "toolkit/markup/XTPMarkupObject.h"

class CXTPMarkupContext;
class CXTPMarkupInputElement;

class CXTPMarkupKeyboardNavigation : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupKeyboardNavigation)
public:
    explicit CXTPMarkupKeyboardNavigation(CXTPMarkupContext* context = nullptr) : m_pMarkupContext(context) {}

    // WM_KEYDOWN, WM_SETFOCUS and WM_KILLFOCUS from the context: never handled.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void Focus(CXTPMarkupInputElement* element);

    static CXTPMarkupDependencyProperty* m_pIsTabStopProperty;
    static CXTPMarkupDependencyProperty* m_pTabNavigationProperty;
    static CXTPMarkupDependencyProperty* m_pTabIndexProperty;
    static void RegisterMarkupClass();

protected:
    ~CXTPMarkupKeyboardNavigation() override;

private:
    CXTPMarkupInputElement* m_pFocused = nullptr;  // never set: focus does not move
    CXTPMarkupInputElement* m_pRestore = nullptr;
    CXTPMarkupContext* m_pMarkupContext;           // not counted
};
