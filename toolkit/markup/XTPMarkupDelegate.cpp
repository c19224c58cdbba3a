#include "toolkit/markup/XTPMarkupDelegate.h"

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupDelegate, CXTPMarkupObject, nullptr, nullptr)
