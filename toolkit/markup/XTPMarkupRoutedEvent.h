#pragma once
// Routed events and their arguments. An event is a dependency property that takes no store slot:
// markup names a delegate in an event attribute, and the element lists that delegate for the
// event. The event's metadata flags say how it travels: flagBubbling goes from the source up the
// logical parents to the markup context; without it the event stays on its source.

#include "toolkit/markup/XTPMarkupDependencyProperty.h"

class CXTPMarkupInputElement;

class CXTPMarkupRoutedEvent : public CXTPMarkupDependencyProperty {
    DECLARE_MARKUPCLASS(CXTPMarkupRoutedEvent)
public:
    enum : DWORD {
        flagBubbling = 0x01,
    };

    // Registers the event under its owner (value type String: the delegate's name); with flags
    // other than 0 the event gets metadata carrying them. Held by the name map like a property.
    static CXTPMarkupRoutedEvent* RegisterRoutedEvent(const wchar_t* name, DWORD routingFlags,
                                                      CXTPMarkupType* ownerType);

    BOOL IsEvent() const override { return TRUE; }
    BOOL IsBubbling() const { return (GetFlags() & flagBubbling) != 0; }

protected:
    CXTPMarkupRoutedEvent() = default;
};

class CXTPMarkupRoutedEventArgs : public CXTPMarkupObject {
public:
    CXTPMarkupRoutedEventArgs(CXTPMarkupRoutedEvent* event = nullptr, CXTPMarkupObject* source = nullptr)
        : m_pEvent(event), m_pSource(source)
    {
    }

    CXTPMarkupRoutedEvent* GetEvent() const { return m_pEvent; }
    CXTPMarkupObject* GetSource() const { return m_pSource; }
    BOOL IsHandled() const { return m_bHandled; }
    void SetHandled(BOOL handled = TRUE) { m_bHandled = handled ? TRUE : FALSE; }

    CXTPMarkupRoutedEvent* m_pEvent;  // not owned: events live in the name map
    CXTPMarkupObject* m_pSource;      // not owned: the element on which the event started
    BOOL m_bHandled = FALSE;
};

class CXTPMarkupMouseEventArgs : public CXTPMarkupRoutedEventArgs {
public:
    CXTPMarkupMouseEventArgs(CXTPMarkupRoutedEvent* event = nullptr, CXTPMarkupObject* source = nullptr,
                             HWND hwnd = nullptr, int x = 0, int y = 0)
        : CXTPMarkupRoutedEventArgs(event, source), m_hWnd(hwnd), m_x(x), m_y(y)
    {
    }

    // The mouse point less the visual offsets of relativeTo and of every visual among its logical
    // ancestors: relativeTo's own coordinates when the root was arranged at the host's origin.
    // Null: host-window coordinates.
    POINT GetPosition(CXTPMarkupObject* relativeTo) const;

    HWND m_hWnd;
    int m_x;
    int m_y;
};

class CXTPMarkupMouseButtonEventArgs : public CXTPMarkupMouseEventArgs {
public:
    using CXTPMarkupMouseEventArgs::CXTPMarkupMouseEventArgs;
};

// The cursor query; it is no routed event: the context walks the chain itself.
class CXTPMarkupQueryCursorEventArgs : public CXTPMarkupMouseEventArgs {
public:
    using CXTPMarkupMouseEventArgs::CXTPMarkupMouseEventArgs;
    HCURSOR m_hCursor = nullptr;
};

class CXTPMarkupMouseWheelEventArgs : public CXTPMarkupMouseEventArgs {
public:
    using CXTPMarkupMouseEventArgs::CXTPMarkupMouseEventArgs;
    int m_nDelta = 0;
};
