#include "toolkit/foundation/XTPWinThemeWrapper.h"

#include "toolkit/foundation/XTPModuleHandle.h"

namespace {

const char* const kEntryNames[CXTPWinThemeTable::EntryCount] = {
    "OpenThemeData",       "CloseThemeData",     "DrawThemeBackground", "DrawThemeTextEx",
    "GetThemeColor",       "GetThemeInt",        "GetThemePartSize",    "GetThemeSysBool",
    "GetCurrentThemeName", "IsAppThemed",        "IsThemeActive",       "BeginBufferedPaint",
    "EndBufferedPaint"};

// Calls a table entry with its arguments; the failure value when the entry is missing or the
// call throws.
template <class Fn, class R, class... Args>
R Guarded(CXTPWinThemeTable& table, CXTPWinThemeTable::Entry entry, R failure, Args... args)
{
    const Fn fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(table.GetEntry(entry)));
    if (!fn)
        return failure;
    try {
        return fn(args...);
    } catch (...) {
        return failure;
    }
}

} // namespace

CXTPWinThemeTable::CXTPWinThemeTable(HMODULE module, DWORD comCtlVersion)
    : m_module(module), m_comCtlVersion(comCtlVersion)
{
}

std::unique_ptr<CXTPWinThemeTable> CXTPWinThemeTable::CreateForSystem()
{
    return std::make_unique<CXTPWinThemeTable>(::LoadLibraryW(L"UXTHEME.DLL"), ::GetComCtlVersion());
}

FARPROC CXTPWinThemeTable::GetEntry(Entry entry)
{
    if (!m_entries[entry] && m_module)
        m_entries[entry] = ::GetProcAddress(m_module, kEntryNames[entry]);
    return m_entries[entry];
}

void CXTPWinThemeTable::RefreshModule(HMODULE currentModule)
{
    if (currentModule == m_module)
        return;
    // Addresses into a library that was unloaded (and maybe loaded elsewhere) are stale.
    m_module = currentModule;
    for (FARPROC& address : m_entries)
        address = nullptr;
}

const char* CXTPWinThemeTable::EntryName(Entry entry)
{
    return kEntryNames[entry];
}

CXTPWinThemeTable& GetWinThemeTableA()
{
    static const std::unique_ptr<CXTPWinThemeTable> table = CXTPWinThemeTable::CreateForSystem();
    return *table;
}

CXTPWinThemeTable& GetWinThemeTableB()
{
    static const std::unique_ptr<CXTPWinThemeTable> table = CXTPWinThemeTable::CreateForSystem();
    return *table;
}

CXTPWinThemeWrapper::CXTPWinThemeWrapper(BOOL useRefreshingTable)
    : m_useRefreshingTable(useRefreshingTable)
{
}

CXTPWinThemeWrapper::CXTPWinThemeWrapper(std::unique_ptr<CXTPWinThemeTable> privateTable)
    : m_useRefreshingTable(FALSE), m_privateTable(std::move(privateTable))
{
}

CXTPWinThemeWrapper::~CXTPWinThemeWrapper()
{
    CloseThemeData();
}

CXTPWinThemeTable& CXTPWinThemeWrapper::GetTable()
{
    if (m_privateTable)
        return *m_privateTable;
    return m_useRefreshingTable ? GetWinThemeTableB() : GetWinThemeTableA();
}

void CXTPWinThemeWrapper::RefreshSharedModule()
{
    if (m_useRefreshingTable)
        GetWinThemeTableB().RefreshModule(::GetModuleHandleA("UXTHEME.DLL"));
}

HTHEME CXTPWinThemeWrapper::OpenThemeData(HWND window, LPCWSTR classList)
{
    RefreshSharedModule();
    CloseThemeData();
    using Fn = HTHEME(WINAPI*)(HWND, LPCWSTR);
    m_theme = Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryOpenThemeData, HTHEME{}, window, classList);
    return m_theme;
}

void CXTPWinThemeWrapper::CloseThemeData()
{
    if (m_theme) {
        using Fn = HRESULT(WINAPI*)(HTHEME);
        (void)Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryCloseThemeData, E_FAIL, m_theme);
    }
    m_theme = nullptr;
}

HRESULT CXTPWinThemeWrapper::DrawThemeBackground(HDC dc, int part, int state, const RECT* rect,
                                                 const RECT* clip)
{
    using Fn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
    return Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryDrawThemeBackground, E_FAIL, m_theme,
                       dc, part, state, rect, clip);
}

HRESULT CXTPWinThemeWrapper::DrawThemeTextEx(HDC dc, int part, int state, LPCWSTR text, int length,
                                             DWORD flags, LPRECT rect, const DTTOPTS* options)
{
    using Fn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, LPRECT, const DTTOPTS*);
    return Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryDrawThemeTextEx, E_FAIL, m_theme, dc,
                       part, state, text, length, flags, rect, options);
}

HRESULT CXTPWinThemeWrapper::GetThemeColor(int part, int state, int property, COLORREF* color)
{
    using Fn = HRESULT(WINAPI*)(HTHEME, int, int, int, COLORREF*);
    return Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryGetThemeColor, E_FAIL, m_theme, part,
                       state, property, color);
}

HRESULT CXTPWinThemeWrapper::GetThemeInt(int part, int state, int property, int* value)
{
    using Fn = HRESULT(WINAPI*)(HTHEME, int, int, int, int*);
    return Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryGetThemeInt, E_FAIL, m_theme, part,
                       state, property, value);
}

HRESULT CXTPWinThemeWrapper::GetThemePartSize(HDC dc, int part, int state, LPCRECT rect,
                                              THEMESIZE kind, SIZE* size)
{
    using Fn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCRECT, THEMESIZE, SIZE*);
    return Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryGetThemePartSize, E_FAIL, m_theme, dc,
                       part, state, rect, kind, size);
}

BOOL CXTPWinThemeWrapper::GetThemeSysBool(int boolId)
{
    using Fn = BOOL(WINAPI*)(HTHEME, int);
    return Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryGetThemeSysBool, BOOL{FALSE}, m_theme,
                       boolId);
}

HRESULT CXTPWinThemeWrapper::GetCurrentThemeName(LPWSTR fileName, int fileNameLength,
                                                 LPWSTR colorName, int colorNameLength,
                                                 LPWSTR sizeName, int sizeNameLength)
{
    RefreshSharedModule();
    using Fn = HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
    return Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryGetCurrentThemeName, E_FAIL, fileName,
                       fileNameLength, colorName, colorNameLength, sizeName, sizeNameLength);
}

BOOL CXTPWinThemeWrapper::IsAppThemed()
{
    // A wrapper that could not open its class draws the classic look, themed program or not.
    if (!m_theme)
        return FALSE;
    using Fn = BOOL(WINAPI*)();
    return Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryIsAppThemed, BOOL{FALSE});
}

BOOL CXTPWinThemeWrapper::IsThemeActive()
{
    if (!m_theme)
        RefreshSharedModule();
    using Fn = BOOL(WINAPI*)();
    return Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryIsThemeActive, BOOL{FALSE});
}

HPAINTBUFFER CXTPWinThemeWrapper::BeginBufferedPaint(HDC target, const RECT* rect,
                                                     BP_BUFFERFORMAT format,
                                                     BP_PAINTPARAMS* params, HDC* paintDc)
{
    using Fn = HPAINTBUFFER(WINAPI*)(HDC, const RECT*, BP_BUFFERFORMAT, BP_PAINTPARAMS*, HDC*);
    return Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryBeginBufferedPaint, HPAINTBUFFER{},
                       target, rect, format, params, paintDc);
}

void CXTPWinThemeWrapper::EndBufferedPaint(HPAINTBUFFER buffer, BOOL updateTarget)
{
    using Fn = HRESULT(WINAPI*)(HPAINTBUFFER, BOOL);
    (void)Guarded<Fn>(GetTable(), CXTPWinThemeTable::EntryEndBufferedPaint, E_FAIL, buffer,
                      updateTarget);
}

CXTPDwmApi::CXTPDwmApi(HMODULE module) : m_module(module)
{
    if (m_module) {
        m_defWindowProc = ::GetProcAddress(m_module, "DwmDefWindowProc");
        m_extendFrame = ::GetProcAddress(m_module, "DwmExtendFrameIntoClientArea");
    }
}

CXTPDwmApi::CXTPDwmApi(FARPROC defWindowProc, FARPROC extendFrame)
    : m_defWindowProc(defWindowProc), m_extendFrame(extendFrame), m_module(nullptr)
{
}

std::unique_ptr<CXTPDwmApi> CXTPDwmApi::CreateForSystem()
{
    return std::make_unique<CXTPDwmApi>(::LoadLibraryW(L"dwmapi.dll"));
}

BOOL CXTPDwmApi::DefWindowProcOf(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 LRESULT* result)
{
    using Fn = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM, LRESULT*);
    const Fn fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(m_defWindowProc));
    // Not E_FAIL: a non-zero answer means "handled", and the message would be swallowed.
    if (!fn)
        return FALSE;
    try {
        return fn(window, message, wParam, lParam, result);
    } catch (...) {
        return FALSE;
    }
}

HRESULT CXTPDwmApi::ExtendFrameIntoClientAreaOf(HWND window, int left, int right, int top, int bottom)
{
    using Fn = HRESULT(WINAPI*)(HWND, const MARGINS*);
    const Fn fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(m_extendFrame));
    if (!fn)
        return E_FAIL;
    const MARGINS margins{left, right, top, bottom};
    try {
        return fn(window, &margins);
    } catch (...) {
        return E_FAIL;
    }
}

CXTPDwmApi& GetDwmApi()
{
    static const std::unique_ptr<CXTPDwmApi> api = CXTPDwmApi::CreateForSystem();
    return *api;
}

BOOL CallDwmDefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return GetDwmApi().DefWindowProcOf(window, message, wParam, lParam, result);
}

HRESULT CallDwmExtendFrameIntoClientArea(HWND window, int left, int right, int top, int bottom)
{
    return GetDwmApi().ExtendFrameIntoClientAreaOf(window, left, right, top, bottom);
}
