#pragma once
// CXTPOsVersionCache: the operating-system version, read once and asked many times. Every test
// answers from the one cached OSVERSIONINFOW, so a record built by hand (a 9x, NT 4 or XP
// machine) can stand in for the running system, which under Wine always reports 6.1.

#include "framework/Base.h"

class CXTPOsVersionCache {
public:
    // Fills the record with GetVersionExW.
    CXTPOsVersionCache();
    // Answers from the given record as if the system had reported it.
    explicit CXTPOsVersionCache(const OSVERSIONINFOW& record);

    const OSVERSIONINFOW& GetRecord() const { return m_info; }

    // The 9x family is platform 1 (VER_PLATFORM_WIN32_WINDOWS), the NT family platform 2.
    BOOL IsWin95() const;
    BOOL IsWin9x() const;
    BOOL IsWin98() const;
    BOOL IsWinNT4OrLater() const;
    BOOL IsWinNT4() const;
    BOOL IsWin2000OrLater() const;
    BOOL IsWin2000() const;
    BOOL IsWinXP() const;
    BOOL IsWinXPOrLater() const;
    // The same answer as a 32-bit value, for callers that keep it in an int field.
    int IsWinXPOrLaterWide() const { return IsWinXPOrLater() ? 1 : 0; }
    BOOL IsVistaOrLater() const;
    BOOL IsWin7OrLater() const;
    // The version alone, whatever the platform.
    BOOL IsVersionAtLeast(DWORD major, DWORD minor) const;
    BOOL IsVersion(DWORD major, DWORD minor) const;

private:
    BOOL IsNtAtLeast(DWORD major, DWORD minor) const;

    OSVERSIONINFOW m_info;
};

static_assert(sizeof(OSVERSIONINFOW) == 276, "the cached record is the 276-byte wide form");

// The process-wide cache, filled on first use.
CXTPOsVersionCache& GetOsVersionCache();
