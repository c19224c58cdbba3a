// Version tests answered from a cached record: the branches of older systems through records
// built by hand, and the running system through its own record.

#include "toolkit/foundation/XTPOsVersion.h"

#include <gtest/gtest.h>

namespace {

OSVERSIONINFOW Record(DWORD platform, DWORD major, DWORD minor)
{
    OSVERSIONINFOW info{};
    info.dwPlatformId = platform;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    return info;
}

struct VersionCase {
    const char* name;
    DWORD platform, major, minor;
    // Expected answers, in the order of the predicates below.
    bool win95, win9x, win98, nt4OrLater, nt4, w2kOrLater, w2k, xp, xpOrLater, vistaOrLater, win7OrLater;
};

const VersionCase kCases[] = {
    // name          plat maj min  95     9x     98     NT4+   NT4    2K+    2K     XP     XP+    Vista+ 7+
    {"Windows 95",      1, 4, 0,  true,  true,  false, false, false, false, false, false, false, false, false},
    {"Windows 98",      1, 4, 10, false, true,  true,  false, false, false, false, false, false, false, false},
    {"Windows Me",      1, 4, 90, false, true,  false, false, false, false, false, false, false, false, false},
    {"Windows NT 4",    2, 4, 0,  false, false, false, true,  true,  false, false, false, false, false, false},
    {"Windows 2000",    2, 5, 0,  false, false, false, true,  false, true,  true,  false, false, false, false},
    {"Windows XP",      2, 5, 1,  false, false, false, true,  false, true,  false, true,  true,  false, false},
    {"Windows XP x64",  2, 5, 2,  false, false, false, true,  false, true,  false, false, true,  false, false},
    {"Windows Vista",   2, 6, 0,  false, false, false, true,  false, true,  false, false, true,  true,  false},
    {"Windows 7",       2, 6, 1,  false, false, false, true,  false, true,  false, false, true,  true,  true},
    {"Windows 10",      2, 10, 0, false, false, false, true,  false, true,  false, false, true,  true,  true},
    // Win32s (platform 0) is neither family.
    {"Win32s 6.1",      0, 6, 1,  false, false, false, false, false, false, false, false, false, false, false},
};

TEST(OsVersionCache, PredicatesOfEachSystemFamily)
{
    for (const VersionCase& c : kCases) {
        const CXTPOsVersionCache cache(Record(c.platform, c.major, c.minor));
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.win95, !!cache.IsWin95());
        EXPECT_EQ(c.win9x, !!cache.IsWin9x());
        EXPECT_EQ(c.win98, !!cache.IsWin98());
        EXPECT_EQ(c.nt4OrLater, !!cache.IsWinNT4OrLater());
        EXPECT_EQ(c.nt4, !!cache.IsWinNT4());
        EXPECT_EQ(c.w2kOrLater, !!cache.IsWin2000OrLater());
        EXPECT_EQ(c.w2k, !!cache.IsWin2000());
        EXPECT_EQ(c.xp, !!cache.IsWinXP());
        EXPECT_EQ(c.xpOrLater, !!cache.IsWinXPOrLater());
        EXPECT_EQ(c.xpOrLater ? 1 : 0, cache.IsWinXPOrLaterWide());
        EXPECT_EQ(c.vistaOrLater, !!cache.IsVistaOrLater());
        EXPECT_EQ(c.win7OrLater, !!cache.IsWin7OrLater());
        EXPECT_EQ(276u, cache.GetRecord().dwOSVersionInfoSize);
    }
}

TEST(OsVersionCache, VersionComparisonsIgnoreThePlatform)
{
    const CXTPOsVersionCache me(Record(1, 4, 90));
    EXPECT_TRUE(me.IsVersionAtLeast(4, 10));
    EXPECT_TRUE(me.IsVersionAtLeast(4, 90));
    EXPECT_FALSE(me.IsVersionAtLeast(4, 91));
    EXPECT_FALSE(me.IsVersionAtLeast(5, 0));
    EXPECT_TRUE(me.IsVersionAtLeast(3, 95)) << "a higher major wins whatever the minor";
    EXPECT_TRUE(me.IsVersion(4, 90));
    EXPECT_FALSE(me.IsVersion(4, 9));
}

TEST(OsVersionCache, TheProcessCacheHoldsWhatTheSystemReports)
{
    OSVERSIONINFOW system{};
    system.dwOSVersionInfoSize = sizeof(system);
    ASSERT_TRUE(GetVersionExW(&system));
    const CXTPOsVersionCache& cache = GetOsVersionCache();
    EXPECT_EQ(&cache, &GetOsVersionCache()) << "one instance per process";
    EXPECT_EQ(system.dwMajorVersion, cache.GetRecord().dwMajorVersion);
    EXPECT_EQ(system.dwMinorVersion, cache.GetRecord().dwMinorVersion);
    EXPECT_EQ(system.dwPlatformId, cache.GetRecord().dwPlatformId);
    EXPECT_TRUE(cache.IsWinXPOrLater()) << "the program runs on NT systems only";
}

} // namespace
