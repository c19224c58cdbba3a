// The application object, its names and profile, message boxes and OLE set-up.

#include "framework/window/WinApp.h"

#include "framework/Handle.h"
#include "framework/window/ThreadState.h"
#include "framework/window/Wnd.h"

#include <ole2.h>

#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {

CWinApp* g_app = nullptr;          // not owned
bool g_controlContainer = false;

wchar_t* Duplicate(const wchar_t* text)
{
    return text ? ::_wcsdup(text) : nullptr;
}

void Replace(const wchar_t*& field, const wchar_t* text)
{
    wchar_t* copy = Duplicate(text);
    std::free(const_cast<wchar_t*>(field));
    field = copy;
}

// A string of the program's string table; empty when missing.
CString LoadProgramString(HINSTANCE instance, UINT id)
{
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW answers a read-only pointer to the resource text.
    const int length = ::LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? CString(text, length) : CString();
}

CString ModuleBaseName(HINSTANCE instance)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(instance, path, MAX_PATH);
    CString name(path);
    name = name.Mid(name.ReverseFind(L'\\') + 1);
    const int dot = name.ReverseFind(L'.');
    return dot > 0 ? name.Left(dot) : name;
}

// Binary values in an ini file: two upper-case hexadecimal digits per byte.
CString ToHex(const BYTE* data, UINT size)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    CString text;
    for (UINT i = 0; i < size; ++i) {
        text.AppendChar(digits[data[i] >> 4]);
        text.AppendChar(digits[data[i] & 0x0F]);
    }
    return text;
}

bool FromHex(const CString& text, std::vector<BYTE>& bytes)
{
    auto nibble = [](wchar_t c) -> int {
        if (c >= L'0' && c <= L'9')
            return c - L'0';
        if (c >= L'A' && c <= L'F')
            return c - L'A' + 10;
        if (c >= L'a' && c <= L'f')
            return c - L'a' + 10;
        return -1;
    };
    if (text.GetLength() % 2 != 0)
        return false;
    bytes.clear();
    for (int i = 0; i < text.GetLength(); i += 2) {
        const int high = nibble(text[i]);
        const int low = nibble(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<BYTE>(high << 4 | low));
    }
    return true;
}

} // namespace

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

CWinApp::CWinApp(const wchar_t* lpszAppName)
{
    if (!g_app)
        g_app = this;
    m_nThreadID = ::GetCurrentThreadId();
    CWindowThreadState& state = AfxGetWindowThreadState();
    if (!state.m_pCurrentWinThread)
        state.m_pCurrentWinThread = this;
    m_hInstance = ::GetModuleHandleW(nullptr);
    const CString exeName = ModuleBaseName(m_hInstance);
    Replace(m_pszExeName, exeName);
    CString appName = lpszAppName ? CString(lpszAppName) : LoadProgramString(m_hInstance, AFX_IDS_APP_TITLE);
    if (appName.IsEmpty())
        appName = exeName;
    Replace(m_pszAppName, appName);
    Replace(m_pszProfileName, exeName + L".INI");
}

CWinApp::~CWinApp()
{
    if (m_bOleInitialized && ::GetCurrentThreadId() == m_nThreadID)
        ::OleUninitialize();
    CWindowThreadState& state = AfxGetWindowThreadState();
    if (state.m_pCurrentWinThread == this)
        state.m_pCurrentWinThread = nullptr;
    if (g_app == this)
        g_app = nullptr;
    for (const wchar_t** field : {&m_pszAppName, &m_pszExeName, &m_pszRegistryKey, &m_pszProfileName,
                                  &m_pszHelpFilePath})
        Replace(*field, nullptr);
}

BOOL CWinApp::InitApplication()
{
    return TRUE;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam);
}

int CWinApp::Run()
{
    return CWinThread::Run();
}

BOOL CWinApp::OnIdle(LONG lCount)
{
    return CWinThread::OnIdle(lCount);
}

void CWinApp::SetAppName(const wchar_t* name)
{
    Replace(m_pszAppName, name);
}

int CWinApp::DoMessageBox(const wchar_t* lpszPrompt, UINT nType, UINT)
{
    // The handle only: on another thread the main window's object is not ours to use.
    HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    if (owner && !::IsWindow(owner))
        owner = nullptr;
    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            nType |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            nType |= MB_ICONQUESTION;
            break;
        default:
            break;
        }
    }
    return ::MessageBoxW(owner, lpszPrompt, m_pszAppName, nType);
}

// ---- profile ------------------------------------------------------------------------------------

void CWinApp::SetRegistryKey(const wchar_t* lpszRegistryKey)
{
    Replace(m_pszRegistryKey, lpszRegistryKey);
    // Fixed now: renaming the application later must not move its settings.
    Replace(m_pszProfileName, m_pszAppName);
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey)
{
    SetRegistryKey(LoadProgramString(m_hInstance, nIDRegistryKey));
}

HKEY CWinApp::GetAppRegistryKey()
{
    if (!m_pszRegistryKey || !m_pszProfileName)
        return nullptr;
    UniqueRegKey software, company;
    HKEY app = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_WRITE | KEY_READ, software.Put()) == ERROR_SUCCESS &&
        ::RegCreateKeyExW(software.Get(), m_pszRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE | KEY_READ, nullptr, company.Put(), nullptr) == ERROR_SUCCESS &&
        ::RegCreateKeyExW(company.Get(), m_pszProfileName, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE | KEY_READ, nullptr, &app, nullptr) == ERROR_SUCCESS)
        return app;
    return nullptr;
}

HKEY CWinApp::GetSectionKey(const wchar_t* lpszSection)
{
    if (!lpszSection)
        return nullptr;
    UniqueRegKey app(GetAppRegistryKey());
    if (!app)
        return nullptr;
    HKEY section = nullptr;
    if (::RegCreateKeyExW(app.Get(), lpszSection, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_READ,
                          nullptr, &section, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return section;
}

UINT CWinApp::GetProfileInt(const wchar_t* lpszSection, const wchar_t* lpszEntry, int nDefault)
{
    if (m_pszRegistryKey) {
        UniqueRegKey section(GetSectionKey(lpszSection));
        DWORD value = 0, type = 0, size = sizeof(value);
        if (section && ::RegQueryValueExW(section.Get(), lpszEntry, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                          &size) == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value))
            return value;
        return static_cast<UINT>(nDefault);
    }
    return ::GetPrivateProfileIntW(lpszSection, lpszEntry, nDefault, m_pszProfileName);
}

BOOL CWinApp::WriteProfileInt(const wchar_t* lpszSection, const wchar_t* lpszEntry, int nValue)
{
    if (m_pszRegistryKey) {
        UniqueRegKey section(GetSectionKey(lpszSection));
        const DWORD value = static_cast<DWORD>(nValue);
        return section && ::RegSetValueExW(section.Get(), lpszEntry, 0, REG_DWORD,
                                           reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
    }
    CString text;
    text.Format(L"%d", nValue);
    return ::WritePrivateProfileStringW(lpszSection, lpszEntry, text, m_pszProfileName);
}

CString CWinApp::GetProfileString(const wchar_t* lpszSection, const wchar_t* lpszEntry, const wchar_t* lpszDefault)
{
    if (m_pszRegistryKey) {
        UniqueRegKey section(GetSectionKey(lpszSection));
        DWORD type = 0, size = 0;
        if (section && ::RegQueryValueExW(section.Get(), lpszEntry, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
            if (::RegQueryValueExW(section.Get(), lpszEntry, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                   &size) == ERROR_SUCCESS)
                return CString(buffer.data());
        }
        return CString(lpszDefault);
    }
    for (DWORD capacity = 256;; capacity *= 2) {
        std::vector<wchar_t> buffer(capacity);
        const DWORD copied = ::GetPrivateProfileStringW(lpszSection, lpszEntry, lpszDefault ? lpszDefault : L"",
                                                        buffer.data(), capacity, m_pszProfileName);
        if (copied < capacity - 2)
            return CString(buffer.data(), static_cast<int>(copied));
    }
}

BOOL CWinApp::WriteProfileString(const wchar_t* lpszSection, const wchar_t* lpszEntry, const wchar_t* lpszValue)
{
    if (m_pszRegistryKey) {
        if (!lpszEntry) {
            UniqueRegKey app(GetAppRegistryKey());
            return app && ::RegDeleteKeyW(app.Get(), lpszSection) == ERROR_SUCCESS;
        }
        UniqueRegKey section(GetSectionKey(lpszSection));
        if (!section)
            return FALSE;
        if (!lpszValue)
            return ::RegDeleteValueW(section.Get(), lpszEntry) == ERROR_SUCCESS;
        const DWORD bytes = static_cast<DWORD>((std::wcslen(lpszValue) + 1) * sizeof(wchar_t));
        return ::RegSetValueExW(section.Get(), lpszEntry, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                                bytes) == ERROR_SUCCESS;
    }
    return ::WritePrivateProfileStringW(lpszSection, lpszEntry, lpszValue, m_pszProfileName);
}

BOOL CWinApp::GetProfileBinary(const wchar_t* lpszSection, const wchar_t* lpszEntry, LPBYTE* ppData, UINT* pBytes)
{
    *ppData = nullptr;
    *pBytes = 0;
    std::vector<BYTE> bytes;
    if (m_pszRegistryKey) {
        UniqueRegKey section(GetSectionKey(lpszSection));
        DWORD type = 0, size = 0;
        if (!section || ::RegQueryValueExW(section.Get(), lpszEntry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_BINARY)
            return FALSE;
        bytes.resize(size);
        if (size && ::RegQueryValueExW(section.Get(), lpszEntry, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS)
            return FALSE;
        bytes.resize(size);
    } else {
        const CString text = GetProfileString(lpszSection, lpszEntry, nullptr);
        if (text.IsEmpty() || !FromHex(text, bytes))
            return FALSE;
    }
    *ppData = new BYTE[bytes.empty() ? 1 : bytes.size()];
    std::copy(bytes.begin(), bytes.end(), *ppData);
    *pBytes = static_cast<UINT>(bytes.size());
    return TRUE;
}

BOOL CWinApp::WriteProfileBinary(const wchar_t* lpszSection, const wchar_t* lpszEntry, LPBYTE pData, UINT nBytes)
{
    if (m_pszRegistryKey) {
        UniqueRegKey section(GetSectionKey(lpszSection));
        return section && ::RegSetValueExW(section.Get(), lpszEntry, 0, REG_BINARY, pData, nBytes) == ERROR_SUCCESS;
    }
    return WriteProfileString(lpszSection, lpszEntry, ToHex(pData, nBytes));
}

// ---- free functions -----------------------------------------------------------------------------

CWinApp* AfxGetApp()
{
    return g_app;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_app ? g_app->m_hInstance : ::GetModuleHandleW(nullptr);
}

const wchar_t* AfxGetAppName()
{
    return g_app ? g_app->m_pszAppName : L"";
}

BOOL AfxWinInit(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = g_app;
    if (!app)
        return FALSE;
    if (hInstance)
        app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    app->m_nThreadID = ::GetCurrentThreadId();
    AfxGetWindowThreadState().m_pCurrentWinThread = app;
    return TRUE;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (!app || !AfxWinInit(hInstance, hPrevInstance, lpCmdLine, nCmdShow) || !app->InitApplication())
        return -1;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}

int AfxMessageBox(const wchar_t* lpszText, UINT nType, UINT nIDHelp)
{
    if (CWinApp* app = AfxGetApp())
        return app->DoMessageBox(lpszText, nType, nIDHelp);
    return ::MessageBoxW(nullptr, lpszText, nullptr, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    const CString text = LoadProgramString(AfxGetInstanceHandle(), nIDPrompt);
    return AfxMessageBox(text, nType, nIDHelp == static_cast<UINT>(-1) ? nIDPrompt : nIDHelp);
}

BOOL AfxOleInit()
{
    const HRESULT hr = ::OleInitialize(nullptr);
    if (FAILED(hr))
        return FALSE;
    CWinApp* app = AfxGetApp();
    if (app && ::GetCurrentThreadId() == app->m_nThreadID) {
        if (!app->m_bOleInitialized)
            app->m_bOleInitialized = true;    // the application's end uninitialises
        else
            ::OleUninitialize();    // a second call keeps the one count
    }
    return TRUE;
}

void AfxEnableControlContainer()
{
    g_controlContainer = true;
}

BOOL AfxControlContainerEnabled()
{
    return g_controlContainer;
}
