#include "toolkit/foundation/XTPModuleHandle.h"

CXTPModuleHandle::CXTPModuleHandle() = default;

CXTPModuleHandle::CXTPModuleHandle(const wchar_t* moduleName)
{
    Init(moduleName);
}

CXTPModuleHandle::~CXTPModuleHandle()
{
    Free();
}

BOOL CXTPModuleHandle::Init(const wchar_t* moduleName)
{
    return GetModule(moduleName) || LoadModule(moduleName);
}

BOOL CXTPModuleHandle::GetModule(const wchar_t* moduleName)
{
    Free();
    m_module = ::GetModuleHandleW(moduleName);
    if (!m_module)
        return FALSE;
    m_kind = KindFound;
    m_name = moduleName;
    return TRUE;
}

BOOL CXTPModuleHandle::LoadModule(const wchar_t* moduleName)
{
    Free();
    m_module = ::LoadLibraryW(moduleName);
    if (!m_module)
        return FALSE;
    m_kind = KindLoaded;
    m_name = moduleName;
    return TRUE;
}

BOOL CXTPModuleHandle::Free()
{
    BOOL result = TRUE;
    if (m_kind == KindLoaded && m_module)
        result = ::FreeLibrary(m_module);
    m_module = nullptr;
    m_kind = KindNone;
    m_name.Empty();
    m_version = {};
    return result;
}

BOOL CXTPModuleHandle::GetDllVersion()
{
    if (!m_module)
        return FALSE;
    m_version = {};
    m_version.cbSize = sizeof(m_version);
    const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(::GetProcAddress(m_module, "DllGetVersion")));
    if (!getVersion)
        return FALSE;
    if (FAILED(getVersion(&m_version))) {
        // Whatever a failing call left in the record is not a version.
        m_version = {};
        m_version.cbSize = sizeof(m_version);
        return FALSE;
    }
    return TRUE;
}

DWORD CXTPModuleHandle::GetVersion()
{
    if (m_version.cbSize == 0)
        GetDllVersion();
    return (m_version.dwMajorVersion << 16) | (m_version.dwMinorVersion & 0xFFFF);
}

FARPROC CXTPModuleHandle::LookUp(const char* exportName, DWORD minVersion)
{
    if (!m_module)
        return nullptr;
    if (minVersion != 0 && GetVersion() < minVersion)
        return nullptr;
    return ::GetProcAddress(m_module, exportName);
}

DWORD ReadComCtlVersion(const wchar_t* moduleName)
{
    CXTPModuleHandle comctl(moduleName);
    const DWORD asked = comctl.GetVersion();
    return asked != 0 ? asked : DWORD{0x40000};
}

DWORD GetComCtlVersion()
{
    static const DWORD version = ReadComCtlVersion(L"COMCTL32.DLL");
    return version;
}
