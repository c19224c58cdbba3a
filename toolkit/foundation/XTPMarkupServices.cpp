// The markup seam: an empty table until the markup library installs its own.

#include "toolkit/foundation/XTPMarkupServices.h"

namespace {
const XTP_MARKUP_SERVICES* g_services = nullptr;
}

void XTPSetMarkupServices(const XTP_MARKUP_SERVICES* services) { g_services = services; }
const XTP_MARKUP_SERVICES* XTPGetMarkupServices() { return g_services; }

namespace XTPMarkup {

CXTPMarkupContext* CreateContext(HWND host)
{
    return g_services && g_services->pfnCreateMarkupContext ? g_services->pfnCreateMarkupContext(host) : nullptr;
}

void ReleaseContext(CXTPMarkupContext** context)
{
    if (!context || !*context)
        return;
    if (g_services && g_services->pfnReleaseMarkupContext)
        g_services->pfnReleaseMarkupContext(context);
    *context = nullptr;
}

LONG ReleaseElement(CXTPMarkupUIElement** element)
{
    if (!element || !*element)
        return 0;
    LONG count = 0;
    if (g_services && g_services->pfnReleaseMarkupElement)
        count = g_services->pfnReleaseMarkupElement(element);
    *element = nullptr;
    return count;
}

CXTPMarkupUIElement* Parse(CXTPMarkupContext* context, const wchar_t* text)
{
    if (!context || !g_services || !g_services->pfnParseMarkupText)
        return nullptr;
    return g_services->pfnParseMarkupText(context, text);
}

void SetDefaults(CXTPMarkupContext* context, HFONT font, COLORREF color)
{
    if (context && g_services && g_services->pfnSetMarkupContextDefaults)
        g_services->pfnSetMarkupContextDefaults(context, font, color);
}

BOOL RelayToElement(CXTPMarkupUIElement* element, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (!element || !g_services || !g_services->pfnRelayMessageToElementContext)
        return FALSE;
    return g_services->pfnRelayMessageToElementContext(element, message, wParam, lParam, result);
}

BOOL RelayToContext(CXTPMarkupContext* context, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (!context || !g_services || !g_services->pfnRelayMessageToMarkupContext)
        return FALSE;
    return g_services->pfnRelayMessageToMarkupContext(context, message, wParam, lParam, result);
}

SIZE Measure(CXTPMarkupUIElement* element, int availableWidth, int availableHeight)
{
    if (!element || !g_services || !g_services->pfnMeasureMarkupElement)
        return SIZE{0, 0};
    return g_services->pfnMeasureMarkupElement(element, availableWidth, availableHeight);
}

void Render(CXTPMarkupUIElement* element, HDC dc, const RECT* rect)
{
    if (element && dc && rect && g_services && g_services->pfnRenderMarkupElement)
        g_services->pfnRenderMarkupElement(element, dc, rect);
}

} // namespace XTPMarkup
