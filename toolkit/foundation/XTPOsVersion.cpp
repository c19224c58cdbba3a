#include "toolkit/foundation/XTPOsVersion.h"

CXTPOsVersionCache::CXTPOsVersionCache() : m_info{}
{
    m_info.dwOSVersionInfoSize = sizeof(m_info);
    // A failure leaves the record zeroed: every test then answers FALSE, the oldest system.
    if (!::GetVersionExW(&m_info)) {
        m_info = {};
        m_info.dwOSVersionInfoSize = sizeof(m_info);
    }
}

CXTPOsVersionCache::CXTPOsVersionCache(const OSVERSIONINFOW& record) : m_info(record)
{
    m_info.dwOSVersionInfoSize = sizeof(m_info);
}

BOOL CXTPOsVersionCache::IsWin95() const
{
    return m_info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && m_info.dwMajorVersion == 4 &&
           m_info.dwMinorVersion < 10;
}

BOOL CXTPOsVersionCache::IsWin9x() const
{
    return m_info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

BOOL CXTPOsVersionCache::IsWin98() const
{
    return IsWin9x() && IsVersion(4, 10);
}

BOOL CXTPOsVersionCache::IsWinNT4OrLater() const
{
    return m_info.dwPlatformId >= VER_PLATFORM_WIN32_NT && m_info.dwMajorVersion >= 4;
}

BOOL CXTPOsVersionCache::IsWinNT4() const
{
    return m_info.dwPlatformId == VER_PLATFORM_WIN32_NT && IsVersion(4, 0);
}

BOOL CXTPOsVersionCache::IsWin2000OrLater() const
{
    return m_info.dwPlatformId >= VER_PLATFORM_WIN32_NT && m_info.dwMajorVersion >= 5;
}

BOOL CXTPOsVersionCache::IsWin2000() const
{
    return m_info.dwPlatformId == VER_PLATFORM_WIN32_NT && IsVersion(5, 0);
}

BOOL CXTPOsVersionCache::IsWinXP() const
{
    return m_info.dwPlatformId == VER_PLATFORM_WIN32_NT && IsVersion(5, 1);
}

BOOL CXTPOsVersionCache::IsNtAtLeast(DWORD major, DWORD minor) const
{
    return m_info.dwPlatformId > VER_PLATFORM_WIN32_WINDOWS && IsVersionAtLeast(major, minor);
}

BOOL CXTPOsVersionCache::IsWinXPOrLater() const
{
    return IsNtAtLeast(5, 1);
}

BOOL CXTPOsVersionCache::IsVistaOrLater() const
{
    return IsNtAtLeast(6, 0);
}

BOOL CXTPOsVersionCache::IsWin7OrLater() const
{
    return IsNtAtLeast(6, 1);
}

BOOL CXTPOsVersionCache::IsVersionAtLeast(DWORD major, DWORD minor) const
{
    return m_info.dwMajorVersion > major ||
           (m_info.dwMajorVersion == major && m_info.dwMinorVersion >= minor);
}

BOOL CXTPOsVersionCache::IsVersion(DWORD major, DWORD minor) const
{
    return m_info.dwMajorVersion == major && m_info.dwMinorVersion == minor;
}

CXTPOsVersionCache& GetOsVersionCache()
{
    static CXTPOsVersionCache cache;
    return cache;
}
