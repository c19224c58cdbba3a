#pragma once
// The seam between foundation and the markup engine. Foundation (tip windows, buttons, the status
// bar) reaches markup only through this table of nine operations; the markup library fills it when
// it is linked in. While it is empty every call behaves as for a null context or element: nothing
// is made, parsed, relayed, measured or drawn.

#include <windows.h>

class CXTPMarkupContext;
class CXTPMarkupUIElement;

struct XTP_MARKUP_SERVICES {
    CXTPMarkupContext* (*pfnCreateMarkupContext)(HWND host);
    void (*pfnReleaseMarkupContext)(CXTPMarkupContext** context);
    LONG (*pfnReleaseMarkupElement)(CXTPMarkupUIElement** element);
    CXTPMarkupUIElement* (*pfnParseMarkupText)(CXTPMarkupContext* context, const wchar_t* text);
    void (*pfnSetMarkupContextDefaults)(CXTPMarkupContext* context, HFONT font, COLORREF color);
    BOOL (*pfnRelayMessageToElementContext)(CXTPMarkupUIElement* element, UINT message, WPARAM wParam,
                                            LPARAM lParam, LRESULT* result);
    BOOL (*pfnRelayMessageToMarkupContext)(CXTPMarkupContext* context, UINT message, WPARAM wParam, LPARAM lParam,
                                           LRESULT* result);
    SIZE (*pfnMeasureMarkupElement)(CXTPMarkupUIElement* element, int availableWidth, int availableHeight);
    void (*pfnRenderMarkupElement)(CXTPMarkupUIElement* element, HDC dc, const RECT* rect);
};

// The markup library installs its table (null empties it again). The table must outlive its use.
void XTPSetMarkupServices(const XTP_MARKUP_SERVICES* services);
const XTP_MARKUP_SERVICES* XTPGetMarkupServices();

// The calls, each with the empty table's answer.
namespace XTPMarkup {
CXTPMarkupContext* CreateContext(HWND host);
void ReleaseContext(CXTPMarkupContext** context);
LONG ReleaseElement(CXTPMarkupUIElement** element);
CXTPMarkupUIElement* Parse(CXTPMarkupContext* context, const wchar_t* text);
void SetDefaults(CXTPMarkupContext* context, HFONT font, COLORREF color);
BOOL RelayToElement(CXTPMarkupUIElement* element, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
BOOL RelayToContext(CXTPMarkupContext* context, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
SIZE Measure(CXTPMarkupUIElement* element, int availableWidth, int availableHeight);
void Render(CXTPMarkupUIElement* element, HDC dc, const RECT* rect);
} // namespace XTPMarkup
