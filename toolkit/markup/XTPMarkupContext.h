#pragma once
// The markup context: the host of markup element trees in one window. It creates the elements of
// a document and binds them to itself (each live input element holds one context reference), hands
// out cached fonts, keeps the handlers that the program attaches to routed events, turns the host
// window's mouse messages into markup mouse events, holds the mouse capture for an element, answers
// the tooltip hit test and asks the host to repaint when an element changes.
//
// The flat functions at the end serve windows that only show a markup text; every one of them
// accepts null. Everything here belongs to the host window's thread; only the reference count is
// interlocked.

#include "toolkit/markup/XTPMarkupDelegate.h"
#include "toolkit/foundation/XTPToolTipContext.h"
#include "toolkit/markup/XTPMarkupRoutedEvent.h"

#include <commctrl.h>

#include <map>
#include <string>
#include <type_traits>
#include <vector>

class CXTPImageManager;
class CXTPMarkupContext;
class CXTPMarkupInputElement;
class CXTPMarkupKeyboardNavigation;
class CXTPMarkupUIElement;

// Sent to the host window (wParam 0, lParam 0) after every invalidation, so that a host can react to
// changed markup; hosts need not handle it.
constexpr UINT XTP_MARKUP_WM_INVALIDATED = 0x2A5C;

// A font made by a context for one LOGFONT. The context's cache lists it without a reference; it
// leaves the cache when it dies.
class CXTPMarkupFont : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupFont)
public:
    HFONT GetHandle() const { return m_hFont; }
    const LOGFONTW& GetLogFont() const { return m_lf; }
    CXTPMarkupContext* GetContext() const { return m_pContext; }

protected:
    ~CXTPMarkupFont() override;

private:
    friend class CXTPMarkupContext;
    CXTPMarkupFont() = default;

    HFONT m_hFont = nullptr;                 // owned
    LOGFONTW m_lf = {};
    CXTPMarkupFont* m_pNextChain = nullptr;  // the cache's list
    CXTPMarkupContext* m_pContext = nullptr; // the context whose cache lists this font
};

// Calls a member function of a target object (not counted) with the sender and the arguments.
template <class T>
class CXTPMarkupClassDelegate : public CXTPMarkupDelegate {
public:
    using Handler = void (T::*)(CXTPMarkupObject* sender, CXTPMarkupRoutedEventArgs* args);

    CXTPMarkupClassDelegate(T* target, Handler handler) : m_pTarget(target), m_pfnHandler(handler) {}

    void Invoke(CXTPMarkupObject* sender, CXTPMarkupRoutedEventArgs* args) override
    {
        if (m_pTarget && m_pfnHandler)
            (m_pTarget->*m_pfnHandler)(sender, args);
    }

private:
    T* m_pTarget;
    Handler m_pfnHandler;
};

// A new class delegate (count 1), to be handed to AddHandler. The class is the member function's,
// so a target of a derived class may be passed.
template <class T>
CXTPMarkupDelegate* CreateMarkupClassDelegate(std::type_identity_t<T>* target,
                                              void (T::*handler)(CXTPMarkupObject*, CXTPMarkupRoutedEventArgs*))
{
    return new CXTPMarkupClassDelegate<T>(target, handler);
}

class CXTPMarkupContext {
public:
    // The toolkit's tooltip controller in its markup kind: tips of elements whose ToolTip is a
    // string, laid out as markup, found by the markup hit test.
    class CTooltipContext : public CXTPToolTipContext {
    public:
        explicit CTooltipContext(CXTPMarkupContext* context);
        CTooltipContext(const CTooltipContext&) = delete;
        CTooltipContext& operator=(const CTooltipContext&) = delete;

        using CXTPToolTipContext::RelayMouseMessage;
        // Mouse messages of the host window (WM_MOUSEFIRST..WM_MOUSEWHEEL and WM_MOUSELEAVE), in
        // the order the host received them; they drive the tip window.
        void RelayMouseMessage(HWND host, UINT message, WPARAM wParam, LPARAM lParam);

        // The tool under the mouse: fills info (text, rectangle in host coordinates, the element
        // as identifier, pointer-sized) and returns the identifier; -1 when there is no tool.
        // info->lpszText points into this object and stays valid until the next hit test.
        INT_PTR OnToolHitTest(HWND host, POINT point, TOOLINFOW* info);
        // The tip controller's form: the same, but the text is a malloc'd copy, because the
        // controller frees every text a hit test hands it.
        INT_PTR OnToolHitTest(CWnd* wnd, CPoint point, TOOLINFOW* info) override;

        CXTPMarkupContext* GetMarkupContext() const { return m_pMarkupContext; }
        // How many mouse messages arrived.
        int GetRelayedCount() const { return m_nRelayed; }

    private:
        friend class CXTPMarkupContext;    // lets go of it when the context dies first
        CXTPMarkupContext* m_pMarkupContext;
        std::wstring m_strText; // the text info points to, valid until the next hit test
        int m_nRelayed = 0;
    };

    explicit CXTPMarkupContext(HWND host = nullptr);
    CXTPMarkupContext(const CXTPMarkupContext&) = delete;
    CXTPMarkupContext& operator=(const CXTPMarkupContext&) = delete;

protected:
    // Contexts die through Release; a window that embeds one deletes it with the window.
    virtual ~CXTPMarkupContext();

public:
    // Routes a message of the host window into the tree under root; true when handled. A null root
    // only ends the mouse-over state.
    virtual BOOL HandleMessage(CXTPMarkupUIElement* root, UINT message, WPARAM wParam, LPARAM lParam,
                               LRESULT* result);
    // Invalidates the element's rectangle (without erasing), then sends XTP_MARKUP_WM_INVALIDATED.
    virtual void InvalidateElement(CXTPMarkupUIElement* element);
    // Invalidates the whole client area (without erasing), then sends XTP_MARKUP_WM_INVALIDATED.
    virtual void InvalidateAll();

    // Interlocked; a count already 0 is left alone; at 0 the context deletes itself.
    LONG AddRef();
    LONG Release();
    LONG GetRefCount() const { return m_dwRef; }

    // Builds a document (the caller owns the root) or answers null. Forgets the mouse-over element
    // and the capture first, without events.
    CXTPMarkupUIElement* Parse(const wchar_t* text);
    // A new object of the type; an input element is bound to this context (one more reference).
    CXTPMarkupObject* CreateObject(CXTPMarkupType* type);
    // Called by a dying input element of this context.
    void OnElementFinalRelease(CXTPMarkupInputElement* element);

    // Lists the delegate for the event after those already listed; takes over the reference.
    void AddHandler(CXTPMarkupRoutedEvent* event, CXTPMarkupDelegate* handler);
    // Runs every delegate listed for the arguments' event, in order, with source as sender.
    void RaiseEvent(CXTPMarkupObject* source, CXTPMarkupRoutedEventArgs* args);
    // The delegate of that name for event attributes, or null.
    CXTPMarkupDelegate* FindDelegate(const wchar_t* name) const;

    // A cached font for the LOGFONT (one reference for the caller).
    CXTPMarkupFont* GetFont(const LOGFONTW* lf);
    // How many fonts the cache lists.
    int GetFontCount() const;

    void CaptureMouse(CXTPMarkupInputElement* element);
    void ReleaseMouseCapture();
    // Asks the mouse-over chain for a cursor; true when one was set.
    BOOL UpdateCursor();
    // The element's rectangle in host-window coordinates.
    RECT GetElementRect(CXTPMarkupInputElement* element) const;
    // The tool of the element under the mouse (see CTooltipContext::OnToolHitTest).
    INT_PTR OnToolHitTest(POINT point, TOOLINFOW* info, std::wstring& text);

    // The manager that images given by command id come from: the context's own when one is set,
    // else the toolkit's global one. Lent.
    CXTPImageManager* GetImageManager() const;

    HWND GetHostWindow() const { return m_hContextWnd; }
    COLORREF GetDefaultForeground() const { return m_clrForeground; }
    void SetDefaultForeground(COLORREF color) { m_clrForeground = color; }
    const LOGFONTW& GetDefaultLogFont() const { return m_logFont; }
    void SetDefaultLogFont(const LOGFONTW& lf) { m_logFont = lf; }
    BOOL IsGdiPlusEnabled() const { return m_bEnableGdiPlus; }
    void EnableGdiPlus(BOOL enable) { m_bEnableGdiPlus = enable; }

    CXTPMarkupInputElement* GetMouseOverElement() const { return m_pMouseOver; }
    CXTPMarkupInputElement* GetCapturedElement() const { return m_pCapturedElement; }
    CXTPMarkupKeyboardNavigation* GetKeyboardNavigation() const { return m_pKeyboardNavigation; }
    CTooltipContext* GetToolTipContext() const { return m_pTooltipContext; }

protected:
    void HandleMouseMove(CXTPMarkupUIElement* root, int x, int y);
    void HandleMouseOver(CXTPMarkupInputElement* element, int x, int y);
    BOOL HandleMouseButton(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL HandleMouseWheel(WPARAM wParam);
    void HandleCaptureChanged();
    // Ends the mouse-over state when a mouse-over root is remembered.
    void EndMouseOver();

    HWND m_hContextWnd = nullptr;
    COLORREF m_clrForeground = 0;
    LOGFONTW m_logFont = {};
    CXTPMarkupInputElement* m_pMouseOver = nullptr;       // not counted
    CXTPMarkupInputElement* m_pCapturedElement = nullptr; // not counted
    CXTPMarkupUIElement* m_pMouseOverRoot = nullptr;      // not counted
    CXTPMarkupFont* m_pFontChain = nullptr;               // not counted
    std::map<CXTPMarkupRoutedEvent*, std::vector<CXTPMarkupDelegate*>>* m_pHandlers = nullptr; // one ref each
    std::map<std::wstring, CXTPMarkupDelegate*> m_mapDelegates; // one ref each; nothing fills it
    CXTPMarkupKeyboardNavigation* m_pKeyboardNavigation = nullptr; // owned
    CTooltipContext* m_pTooltipContext = nullptr;                   // owned
    volatile LONG m_dwRef = 1;
    CXTPImageManager* m_pImageManager = nullptr; // one reference when set
    BOOL m_bEnableGdiPlus = TRUE;

private:
    friend class CXTPMarkupFont;
    void RemoveFont(CXTPMarkupFont* font);
};

// ---- The flat interface

CXTPMarkupContext* CreateMarkupContext(HWND host);
void ReleaseMarkupContext(CXTPMarkupContext** context);
CXTPMarkupUIElement* ParseMarkupText(CXTPMarkupContext* context, const wchar_t* text);
// The element's remaining count after one Release; 0 for a null variable.
LONG ReleaseMarkupElement(CXTPMarkupUIElement** element);
CXTPMarkupContext* GetMarkupElementContext(CXTPMarkupUIElement* element);
// A non-null font becomes the default font; a colour other than -1 the default text colour.
void SetMarkupContextDefaults(CXTPMarkupContext* context, HFONT font, COLORREF color);
BOOL RelayMessageToElementContext(CXTPMarkupUIElement* element, UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT* result);
BOOL RelayMessageToMarkupContext(CXTPMarkupContext* context, UINT message, WPARAM wParam, LPARAM lParam,
                                 LRESULT* result);
SIZE MeasureMarkupElement(CXTPMarkupUIElement* element, int availableWidth, int availableHeight);
void RenderMarkupElement(CXTPMarkupUIElement* element, HDC dc, const RECT* rect);
