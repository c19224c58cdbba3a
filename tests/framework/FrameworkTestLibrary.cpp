#include "tests/framework/FrameworkTestLibrary.h"

#include "framework/Profile.h"
#include "framework/ResourceHandle.h"
#include "framework/ThreadLocal.h"

#include <cwchar>

namespace {

struct CSignalOnDeath : CNoTrackObject {
    HANDLE event = nullptr; // not owned
    ~CSignalOnDeath() override
    {
        if (event)
            ::SetEvent(event);
    }
};

CThreadLocal<CSignalOnDeath> g_signal;

} // namespace

extern "C" __declspec(dllexport) HINSTANCE LibraryInstance()
{
    return AfxGetInstanceHandle();
}

extern "C" __declspec(dllexport) void LibraryTouchThreadLocal(HANDLE diedEvent)
{
    g_signal->event = diedEvent;
}

extern "C" __declspec(dllexport) void LibraryProfileName(const wchar_t* key, const wchar_t* appName, wchar_t* out,
                                                         int outUnits)
{
    CAppProfile profile;
    profile.SetRegistryKey(key, appName);
    std::wcsncpy(out, profile.GetProfileName(), static_cast<size_t>(outUnits - 1));
    out[outUnits - 1] = L'\0';
}
