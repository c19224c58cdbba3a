#include "toolkit/markup/XTPMarkupContext.h"

#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/foundation/XTPMarkupServices.h"
#include "toolkit/foundation/XTPResourceManager.h"
#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupInline.h"
#include "toolkit/markup/XTPMarkupInputElement.h"
#include "toolkit/markup/XTPMarkupKeyboardNavigation.h"
#include "toolkit/markup/XTPMarkupParser.h"
#include "toolkit/markup/XTPMarkupTypeRegistry.h"
#include "toolkit/markup/XTPMarkupUIElement.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <cwchar>
#include <string.h>

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupFont, CXTPMarkupObject, nullptr, nullptr)

namespace {

// The input elements from an element up its logical parents, innermost first. Each is held for as
// long as the chain lives, so a handler may release the whole document while events are delivered.
class CInputElementChain {
public:
    explicit CInputElementChain(CXTPMarkupObject* start)
    {
        for (CXTPMarkupObject* walk = start; walk; walk = walk->GetLogicalParent()) {
            if (CXTPMarkupInputElement* element = MarkupDynamicCast<CXTPMarkupInputElement>(walk)) {
                element->AddRef();
                m_elements.push_back(element);
            }
        }
    }
    CInputElementChain(const CInputElementChain&) = delete;
    CInputElementChain& operator=(const CInputElementChain&) = delete;
    ~CInputElementChain() { Clear(); }

    void Clear()
    {
        for (CXTPMarkupInputElement* element : m_elements)
            element->Release();
        m_elements.clear();
    }
    int GetCount() const { return static_cast<int>(m_elements.size()); }
    CXTPMarkupInputElement* Get(int index) const { return m_elements[index]; }
    CXTPMarkupInputElement* Outermost() const { return m_elements.back(); }
    void DropOutermost()
    {
        m_elements.back()->Release();
        m_elements.pop_back();
    }

private:
    std::vector<CXTPMarkupInputElement*> m_elements;
};

// The message font of the system's non-client metrics in the resource manager's character set.
LOGFONTW ReadDefaultFont()
{
    // The structure as the system reads it, padded to the size the context asks for so that a
    // system with a larger structure finds room for it.
    union {
        NONCLIENTMETRICSW metrics;
        BYTE raw[500];
    } buffer = {};
    buffer.metrics.cbSize = 500;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &buffer, 0)) {
        buffer.metrics.cbSize = sizeof(NONCLIENTMETRICSW);
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(NONCLIENTMETRICSW), &buffer, 0);
    }
    LOGFONTW lf = buffer.metrics.lfMessageFont;
    if (CXTPResourceManager* manager = GetResourceManager())
        lf.lfCharSet = manager->GetFontCharset();
    return lf;
}

} // namespace

// ---- Fonts

CXTPMarkupFont::~CXTPMarkupFont()
{
    if (m_pContext)
        m_pContext->RemoveFont(this);
    if (m_hFont)
        DeleteObject(m_hFont);
}

// ---- Tooltip seam

CXTPMarkupContext::CTooltipContext::CTooltipContext(CXTPMarkupContext* context) : m_pMarkupContext(context)
{
    SetStyle(xtpToolTipMarkup);
}

void CXTPMarkupContext::CTooltipContext::RelayMouseMessage(HWND host, UINT message, WPARAM wParam, LPARAM lParam)
{
    ++m_nRelayed;
    if (host && ::IsWindow(host))
        CXTPToolTipContext::RelayMouseMessage(CWnd::FromHandle(host), message, wParam, lParam);
}

INT_PTR CXTPMarkupContext::CTooltipContext::OnToolHitTest(CWnd* wnd, CPoint point, TOOLINFOW* info)
{
    const INT_PTR tool = OnToolHitTest(wnd ? wnd->GetSafeHwnd() : nullptr, point, info);
    // Handing the controller our own buffer would have it free memory it does not own.
    if (tool != -1 && info && info->lpszText && info->lpszText != LPSTR_TEXTCALLBACKW)
        info->lpszText = _wcsdup(info->lpszText);
    return tool;
}

INT_PTR CXTPMarkupContext::CTooltipContext::OnToolHitTest(HWND host, POINT point, TOOLINFOW* info)
{
    if (!m_pMarkupContext)
        return -1;
    const INT_PTR tool = m_pMarkupContext->OnToolHitTest(point, info, m_strText);
    if (tool != -1 && info)
        info->hwnd = host;
    return tool;
}

// ---- Context

CXTPMarkupContext::CXTPMarkupContext(HWND host) : m_hContextWnd(host)
{
    m_logFont = ReadDefaultFont();
    m_pKeyboardNavigation = new CXTPMarkupKeyboardNavigation(this);
    m_pTooltipContext = new CTooltipContext(this);
    RegisterMarkupTypesOnce();
    MarkupGdiPlus::AddRef(true);
}

CXTPMarkupContext::~CXTPMarkupContext()
{
    if (m_pImageManager) {
        m_pImageManager->InternalRelease();
        m_pImageManager = nullptr;
    }
    MarkupRelease(m_pKeyboardNavigation);
    if (m_pHandlers) {
        for (auto& entry : *m_pHandlers) {
            for (CXTPMarkupDelegate* handler : entry.second)
                handler->Release();
        }
        delete m_pHandlers;
        m_pHandlers = nullptr;
    }
    for (auto& entry : m_mapDelegates)
        entry.second->Release();
    m_mapDelegates.clear();
    // Fonts that outlive the context (a caller still holds one) stop pointing at it.
    for (CXTPMarkupFont* font = m_pFontChain; font;) {
        CXTPMarkupFont* next = font->m_pNextChain;
        font->m_pContext = nullptr;
        font->m_pNextChain = nullptr;
        font = next;
    }
    m_pFontChain = nullptr;
    // the tip controller is reference counted: a tip window being shown may still hold it
    if (m_pTooltipContext) {
        m_pTooltipContext->m_pMarkupContext = nullptr;
        m_pTooltipContext->InternalRelease();
    }
    MarkupGdiPlus::AddRef(false);
}

LONG CXTPMarkupContext::AddRef()
{
    return InterlockedIncrement(&m_dwRef);
}

LONG CXTPMarkupContext::Release()
{
    if (m_dwRef == 0)
        return 0;
    const LONG count = InterlockedDecrement(&m_dwRef);
    if (count == 0)
        delete this;
    return count;
}

CXTPMarkupUIElement* CXTPMarkupContext::Parse(const wchar_t* text)
{
    m_pMouseOver = nullptr;
    m_pMouseOverRoot = nullptr;
    if (m_pCapturedElement) {
        m_pCapturedElement = nullptr;
        ::ReleaseCapture();
    }
    if (!text)
        return nullptr;
    CXTPMarkupParser parser;
    parser.SetBuffer(text, text + wcslen(text));
    CXTPMarkupBuilder builder(this);
    return builder.Parse(&parser);
}

CXTPMarkupObject* CXTPMarkupContext::CreateObject(CXTPMarkupType* type)
{
    CXTPMarkupObject* object = type ? type->CreateObject() : nullptr;
    if (CXTPMarkupInputElement* element = MarkupDynamicCast<CXTPMarkupInputElement>(object)) {
        element->m_pMarkupContext = this;
        AddRef();
    }
    return object;
}

void CXTPMarkupContext::OnElementFinalRelease(CXTPMarkupInputElement* element)
{
    if (!element)
        return;
    if (m_pMouseOver == element) {
        m_pMouseOver = nullptr;
        m_pMouseOverRoot = nullptr;
    }
    if (static_cast<CXTPMarkupObject*>(m_pMouseOverRoot) == element)
        m_pMouseOverRoot = nullptr;
    if (m_pCapturedElement == element) {
        m_pCapturedElement = nullptr;
        ::ReleaseCapture();
    }
    element->m_pMarkupContext = nullptr;
    Release();
}

void CXTPMarkupContext::AddHandler(CXTPMarkupRoutedEvent* event, CXTPMarkupDelegate* handler)
{
    if (!event || !handler) {
        MarkupRelease(handler);
        return;
    }
    if (!m_pHandlers)
        m_pHandlers = new std::map<CXTPMarkupRoutedEvent*, std::vector<CXTPMarkupDelegate*>>();
    (*m_pHandlers)[event].push_back(handler);
}

void CXTPMarkupContext::RaiseEvent(CXTPMarkupObject* source, CXTPMarkupRoutedEventArgs* args)
{
    if (!m_pHandlers || !args)
        return;
    auto found = m_pHandlers->find(args->GetEvent());
    if (found == m_pHandlers->end())
        return;
    // The list as it stood when the event arrived; each delegate is kept alive for its call.
    std::vector<CXTPMarkupDelegate*> handlers = found->second;
    for (CXTPMarkupDelegate* handler : handlers)
        handler->AddRef();
    for (CXTPMarkupDelegate* handler : handlers) {
        handler->Invoke(source, args);
        handler->Release();
    }
}

CXTPMarkupDelegate* CXTPMarkupContext::FindDelegate(const wchar_t* name) const
{
    if (!name)
        return nullptr;
    auto found = m_mapDelegates.find(name);
    return found == m_mapDelegates.end() ? nullptr : found->second;
}

CXTPMarkupFont* CXTPMarkupContext::GetFont(const LOGFONTW* lf)
{
    if (!lf)
        return nullptr;
    // Width, escapement, orientation, underline, strike-out, character set, precisions, pitch and
    // family do not tell fonts apart here.
    for (CXTPMarkupFont* font = m_pFontChain; font; font = font->m_pNextChain) {
        const LOGFONTW& cached = font->m_lf;
        if (cached.lfHeight == lf->lfHeight && cached.lfWeight == lf->lfWeight && cached.lfItalic == lf->lfItalic &&
            cached.lfQuality == lf->lfQuality && wcscmp(cached.lfFaceName, lf->lfFaceName) == 0) {
            font->AddRef();
            return font;
        }
    }
    CXTPMarkupFont* font = new CXTPMarkupFont();
    font->m_lf = *lf;
    font->m_hFont = CreateFontIndirectW(lf);
    font->m_pContext = this;
    // Appended, so that the oldest font is found first.
    CXTPMarkupFont** tail = &m_pFontChain;
    while (*tail)
        tail = &(*tail)->m_pNextChain;
    *tail = font;
    return font;
}

int CXTPMarkupContext::GetFontCount() const
{
    int count = 0;
    for (CXTPMarkupFont* font = m_pFontChain; font; font = font->m_pNextChain)
        ++count;
    return count;
}

void CXTPMarkupContext::RemoveFont(CXTPMarkupFont* font)
{
    for (CXTPMarkupFont** link = &m_pFontChain; *link; link = &(*link)->m_pNextChain) {
        if (*link == font) {
            *link = font->m_pNextChain;
            break;
        }
    }
    font->m_pNextChain = nullptr;
    font->m_pContext = nullptr;
}

void CXTPMarkupContext::CaptureMouse(CXTPMarkupInputElement* element)
{
    if (m_pCapturedElement == element)
        return;
    if (m_hContextWnd)
        ::SetCapture(m_hContextWnd);
    m_pCapturedElement = element;
}

void CXTPMarkupContext::ReleaseMouseCapture()
{
    // Forgotten before the capture goes, so the WM_CAPTURECHANGED this causes raises nothing.
    m_pCapturedElement = nullptr;
    ::ReleaseCapture();
}

BOOL CXTPMarkupContext::UpdateCursor()
{
    if (!m_pMouseOver)
        return FALSE;
    CXTPMarkupQueryCursorEventArgs args(nullptr, m_pMouseOver, m_hContextWnd);
    CInputElementChain chain(m_pMouseOver);
    for (int i = 0; i < chain.GetCount(); ++i) {
        chain.Get(i)->OnQueryCursor(&args);
        if (args.IsHandled()) {
            if (!args.m_hCursor)
                return FALSE;
            ::SetCursor(args.m_hCursor);
            return TRUE;
        }
    }
    return FALSE;
}

CXTPImageManager* CXTPMarkupContext::GetImageManager() const
{
    return m_pImageManager ? m_pImageManager : GetGlobalImageManager();
}

RECT CXTPMarkupContext::GetElementRect(CXTPMarkupInputElement* element) const
{
    RECT rc = {};
    CXTPMarkupVisual* visual = MarkupDynamicCast<CXTPMarkupVisual>(element);
    // Text content has no box of its own: it stands for the framework element that lays it out.
    if (CXTPMarkupFrameworkContentElement* content = MarkupDynamicCast<CXTPMarkupFrameworkContentElement>(element))
        visual = content->GetParentFrameworkElement();
    if (!visual)
        return rc;
    rc = visual->GetBoundRect();
    for (CXTPMarkupVisual* walk = visual; walk; walk = walk->GetVisualParent()) {
        const POINT offset = walk->GetVisualOffset();
        OffsetRect(&rc, offset.x, offset.y);
    }
    return rc;
}

INT_PTR CXTPMarkupContext::OnToolHitTest(POINT, TOOLINFOW* info, std::wstring& text)
{
    if (!m_pMouseOver)
        return -1;
    CInputElementChain chain(m_pMouseOver);
    for (int i = 0; i < chain.GetCount(); ++i) {
        CXTPMarkupInputElement* element = chain.Get(i);
        const CXTPMarkupString* tip =
            MarkupDynamicCast<CXTPMarkupString>(element->GetValue(CXTPMarkupInputElement::m_pToolTipProperty));
        if (!tip)
            continue;
        // The element's address names the tool; it stays pointer-sized from here to the tooltip
        // window, where a cut to 32 bits would name another element or none.
        const INT_PTR tool = reinterpret_cast<INT_PTR>(element);
        if (info) {
            text = tip->GetBuffer();
            info->hwnd = m_hContextWnd;
            info->uId = static_cast<UINT_PTR>(tool);
            info->rect = GetElementRect(element);
            info->lpszText = const_cast<wchar_t*>(text.c_str());
        }
        return tool;
    }
    return -1;
}

void CXTPMarkupContext::InvalidateElement(CXTPMarkupUIElement* element)
{
    if (!m_hContextWnd || !element)
        return;
    const RECT rc = GetElementRect(element);
    ::InvalidateRect(m_hContextWnd, &rc, FALSE);
    ::SendMessageW(m_hContextWnd, XTP_MARKUP_WM_INVALIDATED, 0, 0);
}

void CXTPMarkupContext::InvalidateAll()
{
    if (!m_hContextWnd)
        return;
    ::InvalidateRect(m_hContextWnd, nullptr, FALSE);
    ::SendMessageW(m_hContextWnd, XTP_MARKUP_WM_INVALIDATED, 0, 0);
}

// ---- Messages

void CXTPMarkupContext::EndMouseOver()
{
    if (m_pMouseOverRoot || m_pMouseOver) {
        HandleMouseOver(nullptr, -1, -1);
        m_pMouseOverRoot = nullptr;
    }
}

BOOL CXTPMarkupContext::HandleMessage(CXTPMarkupUIElement* root, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT* result)
{
    if (!m_hContextWnd)
        return FALSE;
    if (!root) {
        EndMouseOver();
        return FALSE;
    }
    // The root is held while its events run: a handler may release the document.
    root->AddRef();
    BOOL handled = FALSE;

    switch (message) {
    case WM_DESTROY:
    case WM_MOUSELEAVE:
        EndMouseOver();
        break;
    case WM_MOUSEMOVE:
        HandleMouseMove(root, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        break;
    default:
        break;
    }
    if ((message >= WM_MOUSEFIRST && message <= WM_MOUSEWHEEL) || message == WM_MOUSELEAVE) {
        if (m_pTooltipContext)
            m_pTooltipContext->RelayMouseMessage(m_hContextWnd, message, wParam, lParam);
    }

    switch (message) {
    case WM_SETCURSOR:
        if (UpdateCursor()) {
            if (result)
                *result = 1;
            handled = TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        handled = HandleMouseButton(message, wParam, lParam);
        break;
    case WM_MOUSEWHEEL:
        if (HandleMouseWheel(wParam)) {
            if (result)
                *result = 1;
            handled = TRUE;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_KEYDOWN:
        if (m_pKeyboardNavigation)
            m_pKeyboardNavigation->OnWndMsg(message, wParam, lParam, result);
        break;
    case WM_CAPTURECHANGED:
        HandleCaptureChanged();
        break;
    default:
        break;
    }
    root->Release();
    return handled;
}

void CXTPMarkupContext::HandleMouseMove(CXTPMarkupUIElement* root, int x, int y)
{
    CXTPMarkupInputElement* hit = root->InputHitTest(x, y);
    if (m_pCapturedElement) {
        bool inside = false;
        for (CXTPMarkupObject* walk = hit; walk; walk = walk->GetLogicalParent()) {
            if (walk == m_pCapturedElement) {
                inside = true;
                break;
            }
        }
        hit = inside ? m_pCapturedElement : nullptr;
    }
    if (hit != m_pMouseOver) {
        HandleMouseOver(hit, x, y);
        if (m_pMouseOver) {
            TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hContextWnd, 0};
            ::TrackMouseEvent(&track);
        }
        if (!UpdateCursor())
            ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
    }
    m_pMouseOverRoot = m_pMouseOver ? root : nullptr;
    if (!m_pMouseOver)
        return;
    CXTPMarkupMouseEventArgs args(CXTPMarkupInputElement::m_pMouseMoveEvent, m_pMouseOver, m_hContextWnd, x, y);
    CInputElementChain chain(m_pMouseOver);
    for (int i = 0; i < chain.GetCount(); ++i) {
        CXTPMarkupInputElement* element = chain.Get(i);
        element->RaiseEvent(&args);
        if (args.IsHandled())
            return;
        element->OnMouseMove(&args);
        if (args.IsHandled())
            return;
    }
}

void CXTPMarkupContext::HandleMouseOver(CXTPMarkupInputElement* element, int x, int y)
{
    if (element == m_pMouseOver)
        return;
    if (!element)
        m_pMouseOverRoot = nullptr;
    CInputElementChain oldChain(m_pMouseOver);
    CInputElementChain newChain(element);
    // Common ancestors neither leave nor enter.
    while (oldChain.GetCount() > 0 && newChain.GetCount() > 0 && oldChain.Outermost() == newChain.Outermost()) {
        oldChain.DropOutermost();
        newChain.DropOutermost();
    }
    CXTPMarkupMouseEventArgs leave(CXTPMarkupInputElement::m_pMouseLeaveEvent, m_pMouseOver, m_hContextWnd, x, y);
    CXTPMarkupMouseEventArgs enter(CXTPMarkupInputElement::m_pMouseEnterEvent, element, m_hContextWnd, x, y);
    m_pMouseOver = element;
    for (int i = 0; i < oldChain.GetCount(); ++i) {
        CXTPMarkupInputElement* walk = oldChain.Get(i);
        walk->RaiseEvent(&leave);
        if (leave.IsHandled())
            break;
        walk->OnMouseLeave(&leave);
        if (leave.IsHandled())
            break;
    }
    for (int i = 0; i < newChain.GetCount(); ++i) {
        CXTPMarkupInputElement* walk = newChain.Get(i);
        walk->RaiseEvent(&enter);
        if (enter.IsHandled())
            break;
        walk->OnMouseEnter(&enter);
        if (enter.IsHandled())
            break;
    }
}

BOOL CXTPMarkupContext::HandleMouseButton(UINT message, WPARAM, LPARAM lParam)
{
    CXTPMarkupInputElement* target = m_pCapturedElement ? m_pCapturedElement : m_pMouseOver;
    if (!target)
        return FALSE;
    CXTPMarkupRoutedEvent* event = nullptr;
    void (CXTPMarkupInputElement::*handler)(CXTPMarkupMouseButtonEventArgs*) = nullptr;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        event = CXTPMarkupInputElement::m_pMouseLeftButtonDownEvent;
        handler = &CXTPMarkupInputElement::OnMouseLeftButtonDown;
        break;
    case WM_LBUTTONUP:
        event = CXTPMarkupInputElement::m_pMouseLeftButtonUpEvent;
        handler = &CXTPMarkupInputElement::OnMouseLeftButtonUp;
        break;
    case WM_RBUTTONDOWN:
        event = CXTPMarkupInputElement::m_pMouseRightButtonDownEvent;
        handler = &CXTPMarkupInputElement::OnMouseRightButtonDown;
        break;
    case WM_RBUTTONUP:
        event = CXTPMarkupInputElement::m_pMouseRightButtonUpEvent;
        handler = &CXTPMarkupInputElement::OnMouseRightButtonUp;
        break;
    default:
        return FALSE;
    }
    CXTPMarkupMouseButtonEventArgs args(event, target, m_hContextWnd, static_cast<short>(LOWORD(lParam)),
                                        static_cast<short>(HIWORD(lParam)));
    CInputElementChain chain(target);
    for (int i = 0; i < chain.GetCount(); ++i) {
        CXTPMarkupInputElement* element = chain.Get(i);
        element->RaiseEvent(&args);
        if (args.IsHandled())
            break;
        (element->*handler)(&args);
        if (args.IsHandled())
            break;
    }
    return args.IsHandled();
}

BOOL CXTPMarkupContext::HandleMouseWheel(WPARAM wParam)
{
    if (!m_pMouseOver)
        return FALSE;
    CXTPMarkupMouseWheelEventArgs args(nullptr, m_pMouseOver, m_hContextWnd);
    args.m_nDelta = static_cast<short>(HIWORD(wParam));
    CInputElementChain chain(m_pMouseOver);
    for (int i = 0; i < chain.GetCount(); ++i) {
        chain.Get(i)->OnMouseWheel(&args);
        if (args.IsHandled())
            return TRUE;
    }
    return FALSE;
}

void CXTPMarkupContext::HandleCaptureChanged()
{
    CXTPMarkupInputElement* element = m_pCapturedElement;
    if (!element)
        return;
    // The capture is already gone; the element is told, then forgotten.
    element->AddRef();
    CXTPMarkupMouseEventArgs args(CXTPMarkupInputElement::m_pLostMouseCaptureEvent, element, m_hContextWnd);
    element->RaiseEvent(&args);
    if (!args.IsHandled())
        element->OnLostMouseCapture(&args);
    if (m_pCapturedElement == element)
        m_pCapturedElement = nullptr;
    element->Release();
}

// ---- The flat interface

CXTPMarkupContext* CreateMarkupContext(HWND host)
{
    return new CXTPMarkupContext(host);
}

void ReleaseMarkupContext(CXTPMarkupContext** context)
{
    if (!context || !*context)
        return;
    (*context)->Release();
    *context = nullptr;
}

CXTPMarkupUIElement* ParseMarkupText(CXTPMarkupContext* context, const wchar_t* text)
{
    return context ? context->Parse(text) : nullptr;
}

LONG ReleaseMarkupElement(CXTPMarkupUIElement** element)
{
    if (!element || !*element)
        return 0;
    const LONG remaining = (*element)->Release();
    *element = nullptr;
    return remaining;
}

CXTPMarkupContext* GetMarkupElementContext(CXTPMarkupUIElement* element)
{
    return element ? element->GetMarkupContext() : nullptr;
}

void SetMarkupContextDefaults(CXTPMarkupContext* context, HFONT font, COLORREF color)
{
    if (!context)
        return;
    if (font) {
        LOGFONTW lf = {};
        if (GetObjectW(font, sizeof(lf), &lf))
            context->SetDefaultLogFont(lf);
    }
    if (color != static_cast<COLORREF>(-1))
        context->SetDefaultForeground(color);
}

BOOL RelayMessageToElementContext(CXTPMarkupUIElement* element, UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT* result)
{
    if (!element || !element->GetMarkupContext())
        return FALSE;
    return element->GetMarkupContext()->HandleMessage(element, message, wParam, lParam, result);
}

BOOL RelayMessageToMarkupContext(CXTPMarkupContext* context, UINT message, WPARAM wParam, LPARAM lParam,
                                 LRESULT* result)
{
    return context ? context->HandleMessage(nullptr, message, wParam, lParam, result) : FALSE;
}

SIZE MeasureMarkupElement(CXTPMarkupUIElement* element, int availableWidth, int availableHeight)
{
    if (!element)
        return SIZE{0, 0};
    CXTPMarkupDrawingContext dc(element->GetMarkupContext());
    element->Measure(&dc, availableWidth, availableHeight);
    return element->GetDesiredSize();
}

void RenderMarkupElement(CXTPMarkupUIElement* element, HDC dc, const RECT* rect)
{
    if (!element || !dc || !rect)
        return;
    CXTPMarkupDrawingContext drawing(element->GetMarkupContext(), dc, nullptr);
    element->Arrange(*rect);
    element->Render(&drawing);
}

// Foundation's tip windows, buttons and status bar reach the engine through its seam table; linking
// this file in fills it.
namespace {
const XTP_MARKUP_SERVICES kMarkupServices = {
    CreateMarkupContext,          ReleaseMarkupContext,         ReleaseMarkupElement,
    ParseMarkupText,              SetMarkupContextDefaults,     RelayMessageToElementContext,
    RelayMessageToMarkupContext,  MeasureMarkupElement,         RenderMarkupElement,
};
[[maybe_unused]] const bool kMarkupServicesInstalled = (XTPSetMarkupServices(&kMarkupServices), true);
} // namespace
