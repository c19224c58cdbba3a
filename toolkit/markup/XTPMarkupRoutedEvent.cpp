#include "toolkit/markup/XTPMarkupRoutedEvent.h"

#include "toolkit/markup/XTPMarkupUIElement.h"
#include "toolkit/markup/XTPMarkupValues.h"

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupRoutedEvent, CXTPMarkupDependencyProperty, nullptr, nullptr)

CXTPMarkupRoutedEvent* CXTPMarkupRoutedEvent::RegisterRoutedEvent(const wchar_t* name, DWORD routingFlags,
                                                                  CXTPMarkupType* ownerType)
{
    CXTPMarkupPropertyMetadata* metadata =
        routingFlags ? new CXTPMarkupPropertyMetadata(nullptr, routingFlags) : nullptr;
    return static_cast<CXTPMarkupRoutedEvent*>(
        Register(new CXTPMarkupRoutedEvent(), name, CXTPMarkupString::MarkupType(), ownerType, metadata, FALSE));
}

POINT CXTPMarkupMouseEventArgs::GetPosition(CXTPMarkupObject* relativeTo) const
{
    POINT point = {m_x, m_y};
    for (CXTPMarkupObject* walk = relativeTo; walk; walk = walk->GetLogicalParent()) {
        if (const CXTPMarkupVisual* visual = MarkupDynamicCast<CXTPMarkupVisual>(walk)) {
            const POINT offset = visual->GetVisualOffset();
            point.x -= offset.x;
            point.y -= offset.y;
        }
    }
    return point;
}
