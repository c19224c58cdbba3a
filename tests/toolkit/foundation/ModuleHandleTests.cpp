// Optional system libraries: versions, the minimum-version refusal, and which handles are freed.

#include "toolkit/foundation/XTPModuleHandle.h"

#include "tests/support/TestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

TEST(ModuleHandle, ComCtlVersionAndTheMinimumVersionRefusal)
{
    CXTPModuleHandle comctl(L"COMCTL32.DLL");
    ASSERT_TRUE(comctl.GetHandle());
    const DWORD version = comctl.GetVersion();
    EXPECT_EQ(20u, comctl.GetVersionInfo().cbSize);
    ASSERT_NE(0u, version) << "comctl32 exports DllGetVersion";
    EXPECT_EQ(version, GetComCtlVersion());
    EXPECT_EQ(GetComCtlVersion(), GetComCtlVersion()) << "cached";

    // Wine's comctl32 reports 5.81 even with a version 6 manifest: a caller that needs 6.0
    // gets nothing, and the pointer it passed is cleared, not left as it was.
    ASSERT_LT(version, 0x60000u) << "this prefix's comctl32 reports " << (version >> 16) << "."
                                 << (version & 0xFFFF);
    FARPROC proc = reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&GetComCtlVersion));
    EXPECT_FALSE(comctl.GetProcAddress(&proc, "InitCommonControlsEx", 0x60000));
    EXPECT_EQ(nullptr, proc);

    EXPECT_TRUE(comctl.GetProcAddress(&proc, "InitCommonControlsEx", version));
    EXPECT_NE(nullptr, proc);
    EXPECT_TRUE(comctl.GetProcAddress(&proc, "InitCommonControlsEx"));
    EXPECT_FALSE(comctl.GetProcAddress(&proc, "NoSuchExport"));
    EXPECT_EQ(nullptr, proc);
}

TEST(ModuleHandle, ALibraryWithoutDllGetVersionTellsNoVersion)
{
    CXTPModuleHandle kernel(L"kernel32.dll");
    EXPECT_EQ(CXTPModuleHandle::KindFound, kernel.GetKind());
    EXPECT_FALSE(kernel.GetDllVersion());
    EXPECT_EQ(0u, kernel.GetVersion());
    FARPROC proc = nullptr;
    EXPECT_FALSE(kernel.GetProcAddress(&proc, "GetTickCount", 0x10000)) << "version 0 is too old";
    EXPECT_TRUE(kernel.GetProcAddress(&proc, "GetTickCount"));

    // The common-controls question counts a library without DllGetVersion as version 4.0.
    EXPECT_EQ(0x40000u, ReadComCtlVersion(L"kernel32.dll"));
    EXPECT_EQ(0x40000u, ReadComCtlVersion(L"no-such-library.dll"));
    EXPECT_EQ(GetComCtlVersion(), ReadComCtlVersion(L"COMCTL32.DLL"));

    CXTPModuleHandle empty;
    proc = reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&GetComCtlVersion));
    EXPECT_FALSE(empty.GetProcAddress(&proc, "GetTickCount"));
    EXPECT_EQ(nullptr, proc);
    EXPECT_FALSE(empty.GetDllVersion());
    EXPECT_EQ(0u, empty.GetVersion());
}

TEST(ModuleHandle, OnlyALoadedLibraryIsFreed)
{
    // A library nothing else in this program loads.
    const wchar_t* const name = L"msimg32.dll";
    ASSERT_EQ(nullptr, GetModuleHandleW(name));
    {
        CXTPModuleHandle found;
        EXPECT_FALSE(found.GetModule(name)) << "GetModule does not load";
        EXPECT_EQ(CXTPModuleHandle::KindNone, found.GetKind());
    }
    {
        CXTPModuleHandle loaded(name);
        EXPECT_EQ(CXTPModuleHandle::KindLoaded, loaded.GetKind());
        EXPECT_EQ(CString(name), loaded.GetName());
        ASSERT_NE(nullptr, GetModuleHandleW(name));

        // Found, not loaded: this holder's end leaves the library alone.
        {
            CXTPModuleHandle found;
            EXPECT_TRUE(found.Init(name));
            EXPECT_EQ(CXTPModuleHandle::KindFound, found.GetKind());
        }
        EXPECT_NE(nullptr, GetModuleHandleW(name));
    }
    EXPECT_EQ(nullptr, GetModuleHandleW(name)) << "the loading holder freed it";

    CXTPModuleHandle holder(name);
    EXPECT_TRUE(holder.Free());
    EXPECT_EQ(nullptr, holder.GetHandle());
    EXPECT_TRUE(holder.GetName().IsEmpty());
    EXPECT_EQ(nullptr, GetModuleHandleW(name));
}

} // namespace
