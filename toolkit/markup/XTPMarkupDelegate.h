#pragma once
// A delegate: something to run when a routed event reaches an element that lists it. Handler
// lists hold one reference to each delegate they list.

#include "toolkit/markup/XTPMarkupObject.h"

class CXTPMarkupRoutedEventArgs;

class CXTPMarkupDelegate : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupDelegate)
public:
    CXTPMarkupDelegate() = default;

    // sender: the element whose handler list is being run; args: the event's arguments, whose
    // handled flag the delegate may set.
    virtual void Invoke(CXTPMarkupObject* sender, CXTPMarkupRoutedEventArgs* args) = 0;
};
