#pragma once
// Draws RTF or plain text into any device context without a window, through the windowless
// rich-edit text services of RICHED20.dll. The renderer is its own text host: it answers the
// services' questions with fixed values (transparent background, no scroll bars, word wrap, the
// system message font) and records the size the text asks for.

#include "framework/CmdTarget.h"
#include "framework/Rect.h"

#include <windows.h>
#include <richedit.h>
#include <textserv.h>

class CDC;

class CXTPRichRender : public CCmdTarget {
public:
    CXTPRichRender();
    ~CXTPRichRender() override;
    CXTPRichRender(const CXTPRichRender&) = delete;
    CXTPRichRender& operator=(const CXTPRichRender&) = delete;

    // The number of characters read; 0 without text services or for an empty text. A text that
    // starts with "{" is tried as RTF first, then as plain Unicode text.
    LRESULT SetText(const wchar_t* text);
    void SetDefaultCharFormat(const CHARFORMATW* format);
    void DrawText(CDC* dc, const RECT& rect);
    // The narrowest layout no taller than the one at maxWidth: (width, height).
    CSize GetTextExtent(CDC* dc, int maxWidth);

    ITextServices* GetTextServices() const { return m_pTextServices; }
    const CHARFORMATW& GetDefaultCharFormat() const { return m_charFormat; }
    ITextHost* GetTextHost() { return &m_xTextHost; }

    // The host part the text services talk to.
    class XTextHost : public ITextHost {
    public:
        explicit XTextHost(CXTPRichRender* owner) : m_pOwner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }

        HDC TxGetDC() override { return nullptr; }
        INT TxReleaseDC(HDC) override { return 0; }
        WINBOOL TxShowScrollBar(INT, WINBOOL) override { return FALSE; }
        WINBOOL TxEnableScrollBar(INT, INT) override { return FALSE; }
        WINBOOL TxSetScrollRange(INT, LONG, INT, WINBOOL) override { return FALSE; }
        WINBOOL TxSetScrollPos(INT, INT, WINBOOL) override { return FALSE; }
        void TxInvalidateRect(LPCRECT, WINBOOL) override {}
        void TxViewChange(WINBOOL) override {}
        WINBOOL TxCreateCaret(HBITMAP, INT, INT) override { return FALSE; }
        WINBOOL TxShowCaret(WINBOOL) override { return FALSE; }
        WINBOOL TxSetCaretPos(INT, INT) override { return FALSE; }
        WINBOOL TxSetTimer(UINT, UINT) override { return FALSE; }
        void TxKillTimer(UINT) override {}
        void TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) override {}
        void TxSetCapture(WINBOOL) override {}
        void TxSetFocus() override {}
        void TxSetCursor(HCURSOR, WINBOOL) override {}
        WINBOOL TxScreenToClient(LPPOINT) override { return FALSE; }
        WINBOOL TxClientToScreen(LPPOINT) override { return FALSE; }
        HRESULT TxActivate(LONG*) override { return E_FAIL; }
        HRESULT TxDeactivate(LONG) override { return E_FAIL; }
        HRESULT TxGetClientRect(LPRECT) override { return E_FAIL; }
        HRESULT TxGetViewInset(LPRECT prc) override;
        HRESULT TxGetCharFormat(const CHARFORMATW** ppCF) override;
        HRESULT TxGetParaFormat(const PARAFORMAT** ppPF) override;
        COLORREF TxGetSysColor(int nIndex) override { return ::GetSysColor(nIndex); }
        HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override;
        HRESULT TxGetMaxLength(DWORD* length) override;
        HRESULT TxGetScrollBars(DWORD* bars) override;
        HRESULT TxGetPasswordChar(WCHAR*) override { return S_FALSE; }
        HRESULT TxGetAcceleratorPos(LONG* pos) override;
        HRESULT TxGetExtent(LPSIZEL) override { return E_NOTIMPL; }
        HRESULT OnTxCharFormatChange(const CHARFORMATW*) override { return E_FAIL; }
        HRESULT OnTxParaFormatChange(const PARAFORMAT*) override { return E_FAIL; }
        HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override;
        HRESULT TxNotify(DWORD code, void* data) override;
        HIMC TxImmGetContext() override { return nullptr; }
        void TxImmReleaseContext(HIMC) override {}
        HRESULT TxGetSelectionBarWidth(LONG* width) override;

    private:
        CXTPRichRender* m_pOwner;
    };

private:
    LRESULT StreamIn(const void* bytes, UINT size, WPARAM format);
    void Draw(HDC dc, const RECT& rect);

    XTextHost m_xTextHost{this};
    ITextServices* m_pTextServices = nullptr;
    CHARFORMATW m_charFormat{};
    PARAFORMAT m_paraFormat{};
    CSize m_szRequest{0, 0};
    HMODULE m_hModule = nullptr;
};
