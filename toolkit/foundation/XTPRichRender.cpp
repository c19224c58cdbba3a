// The windowless rich-text renderer.

#include "toolkit/foundation/XTPRichRender.h"

#include "framework/File.h"
#include "framework/window/Dc.h"
#include "toolkit/foundation/XTPAuxData.h"
#include "toolkit/foundation/XTPResourceManager.h"

#include <cstring>
#include <cwchar>

namespace {

// {8D33F740-CF58-11CE-A89D-00AA006CADC5}
const IID kIidTextServices = {0x8D33F740, 0xCF58, 0x11CE, {0xA8, 0x9D, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
// {C5BDD8D0-D26E-11CE-A89E-00AA006CADC5}
const IID kIidTextHost = {0xC5BDD8D0, 0xD26E, 0x11CE, {0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};

using PFNCREATETEXTSERVICES = HRESULT(WINAPI*)(IUnknown*, ITextHost*, IUnknown**);

DWORD CALLBACK StreamInCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* read)
{
    auto* file = reinterpret_cast<CMemFile*>(cookie);
    *read = static_cast<LONG>(file->Read(buffer, static_cast<UINT>(count)));
    return 0;
}

} // namespace

CXTPRichRender::CXTPRichRender()
{
    static_assert(sizeof(CHARFORMATW) == 92 && sizeof(PARAFORMAT) == 156, "record sizes of the text services");
    NONCLIENTMETRICSW metrics{};
    GetNonClientMetrics(&metrics);
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ::ReleaseDC(nullptr, screen);

    m_charFormat.cbSize = sizeof(CHARFORMATW);
    m_charFormat.dwMask = 0xE800000F;
    m_charFormat.dwEffects = 0;
    m_charFormat.yHeight = -::MulDiv(metrics.lfMessageFont.lfHeight, 1440, dpi);
    m_charFormat.crTextColor = ::GetSysColor(COLOR_BTNTEXT);
    m_charFormat.bCharSet = 0;
    ::wcsncpy(m_charFormat.szFaceName, metrics.lfMessageFont.lfFaceName, LF_FACESIZE - 1);

    m_paraFormat.cbSize = sizeof(PARAFORMAT);
    m_paraFormat.dwMask = 0x8001003F;
    m_paraFormat.wAlignment = PFA_LEFT;

    m_hModule = ::LoadLibraryA("RICHED20.dll");
    if (!m_hModule)
        return;
    auto create = reinterpret_cast<PFNCREATETEXTSERVICES>(
        reinterpret_cast<void*>(::GetProcAddress(m_hModule, "CreateTextServices")));
    IUnknown* unknown = nullptr;
    if (create && SUCCEEDED(create(nullptr, &m_xTextHost, &unknown)) && unknown) {
        unknown->QueryInterface(kIidTextServices, reinterpret_cast<void**>(&m_pTextServices));
        unknown->Release();
    }
}

CXTPRichRender::~CXTPRichRender()
{
    // The services live in the library: they go first.
    if (m_pTextServices) {
        m_pTextServices->Release();
        m_pTextServices = nullptr;
    }
    if (m_hModule)
        ::FreeLibrary(m_hModule);
}

LRESULT CXTPRichRender::StreamIn(const void* bytes, UINT size, WPARAM format)
{
    CMemFile file(static_cast<const BYTE*>(bytes), size);
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&file);
    stream.pfnCallback = StreamInCallback;
    LRESULT read = 0;
    m_pTextServices->TxSendMessage(EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream), &read);
    return read;
}

LRESULT CXTPRichRender::SetText(const wchar_t* text)
{
    if (!m_pTextServices)
        return 0;
    if (!text || !*text) {
        m_pTextServices->TxSetText(L"");
        return 0;
    }
    if (text[0] == L'{') {
        std::unique_ptr<char[]> narrow = GetResourceManager()->ToNarrowTextBuffer(text);
        if (narrow) {
            const LRESULT read = StreamIn(narrow.get(), static_cast<UINT>(std::strlen(narrow.get())), SF_RTF);
            if (read > 0)
                return read;
        }
    }
    return StreamIn(text, static_cast<UINT>(std::wcslen(text) * sizeof(wchar_t)), SF_TEXT | SF_UNICODE);
}

void CXTPRichRender::SetDefaultCharFormat(const CHARFORMATW* format)
{
    if (!format)
        return;
    m_charFormat = *format;
    if (m_pTextServices) {
        LRESULT result = 0;
        m_pTextServices->TxSendMessage(EM_SETCHARFORMAT, 0, reinterpret_cast<LPARAM>(&m_charFormat), &result);
    }
}

void CXTPRichRender::Draw(HDC dc, const RECT& rect)
{
    const RECTL bounds{rect.left, rect.top, rect.right, rect.bottom};
    m_pTextServices->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, dc, nullptr, &bounds, nullptr, nullptr, nullptr, 0,
                            TXTVIEW_ACTIVE);
}

void CXTPRichRender::DrawText(CDC* dc, const RECT& rect)
{
    if (!m_pTextServices || !dc)
        return;
    Draw(dc->GetSafeHdc(), rect);
}

CSize CXTPRichRender::GetTextExtent(CDC* dc, int maxWidth)
{
    if (!m_pTextServices || !dc)
        return CSize(0, 0);
    LRESULT result = 0;
    m_pTextServices->TxSendMessage(EM_SETEVENTMASK, 0, ENM_REQUESTRESIZE, &result);
    m_szRequest = CSize(0, 0);

    int lo = 0, hi = 2 * maxWidth, w = maxWidth;
    int reference = 0;
    bool first = true, taller = false;
    for (int round = 0; round < 64; ++round) {
        Draw(dc->GetSafeHdc(), CRect(0, 0, w, 1));
        const int height = m_szRequest.cy;
        if (first) {
            reference = height;
            first = false;
        }
        taller = height > reference;
        if (taller)
            lo = w + 1;
        else
            hi = w - 1;
        if (lo >= hi)
            break;
        w = (hi + lo) / 2;
    }
    if (taller)
        Draw(dc->GetSafeHdc(), CRect(0, 0, hi + 1, 1));
    if (m_szRequest.cx > 0 && m_szRequest.cy > 0)
        return m_szRequest;
    // Text services that report no usable resize request (Wine's do not for a windowless host)
    // still know the size the text needs within the limit.
    LONG width = maxWidth, height = 0;
    const SIZEL extent{0, 0};
    if (SUCCEEDED(m_pTextServices->TxGetNaturalSize(DVASPECT_CONTENT, dc->GetSafeHdc(), nullptr, nullptr,
                                                    TXTNS_FITTOCONTENT, &extent, &width, &height)) &&
        width > 0 && height > 0)
        return CSize(width, height);
    return CSize(0, 0);
}

// ---- the host part ---------------------------------------------------------------------------------

HRESULT CXTPRichRender::XTextHost::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == kIidTextHost) {
        *ppv = static_cast<ITextHost*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT CXTPRichRender::XTextHost::TxGetViewInset(LPRECT prc)
{
    if (prc)
        ::SetRectEmpty(prc);
    return S_OK;
}

HRESULT CXTPRichRender::XTextHost::TxGetCharFormat(const CHARFORMATW** ppCF)
{
    *ppCF = &m_pOwner->m_charFormat;
    return S_OK;
}

HRESULT CXTPRichRender::XTextHost::TxGetParaFormat(const PARAFORMAT** ppPF)
{
    *ppPF = &m_pOwner->m_paraFormat;
    return S_OK;
}

HRESULT CXTPRichRender::XTextHost::TxGetBackStyle(TXTBACKSTYLE* style)
{
    *style = TXTBACK_TRANSPARENT;
    return S_OK;
}

HRESULT CXTPRichRender::XTextHost::TxGetMaxLength(DWORD* length)
{
    *length = 0x1000000;
    return S_OK;
}

HRESULT CXTPRichRender::XTextHost::TxGetScrollBars(DWORD* bars)
{
    *bars = 0;
    return S_OK;
}

HRESULT CXTPRichRender::XTextHost::TxGetAcceleratorPos(LONG* pos)
{
    *pos = -1;
    return S_OK;
}

HRESULT CXTPRichRender::XTextHost::TxGetPropertyBits(DWORD mask, DWORD* bits)
{
    *bits = mask & (TXTBIT_RICHTEXT | TXTBIT_MULTILINE | TXTBIT_WORDWRAP);
    return S_OK;
}

HRESULT CXTPRichRender::XTextHost::TxNotify(DWORD code, void* data)
{
    if (code == EN_REQUESTRESIZE && data) {
        const RECT& rc = static_cast<REQRESIZE*>(data)->rc;
        m_pOwner->m_szRequest = CSize(rc.right - rc.left, rc.bottom - rc.top);
    }
    return S_OK;
}

HRESULT CXTPRichRender::XTextHost::TxGetSelectionBarWidth(LONG* width)
{
    *width = 0;
    return S_OK;
}
