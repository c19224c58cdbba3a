#include "framework/ResourceHandle.h"

#include "framework/String.h"

#include <atomic>

// The image this code is linked into: the linker defines it for every exe and DLL.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

std::atomic<HINSTANCE> g_resourceHandle{nullptr}; // null: the instance handle

// The bytes of string id in module's string table: units and their count, or null.
const wchar_t* FindStringEntry(HINSTANCE module, UINT id, int& length)
{
    length = 0;
    if (!module)
        return nullptr;
    // RT_STRING is type 6; each block resource holds 16 strings, block n holding ids 16(n-1)...
    const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW((id >> 4) + 1), MAKEINTRESOURCEW(6));
    if (!resource)
        return nullptr;
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const DWORD bytes = ::SizeofResource(module, resource);
    const auto* units = loaded ? static_cast<const wchar_t*>(::LockResource(loaded)) : nullptr;
    if (!units)
        return nullptr;
    // Each entry is a length unit followed by that many units; an absent string has length 0.
    const size_t total = bytes / sizeof(wchar_t);
    size_t at = 0;
    for (UINT skip = id & 15; skip > 0; --skip) {
        if (at >= total)
            return nullptr;
        at += 1 + static_cast<size_t>(static_cast<WORD>(units[at]));
    }
    if (at >= total)
        return nullptr;
    const size_t count = static_cast<WORD>(units[at]);
    if (count == 0 || at + 1 + count > total)
        return nullptr;
    length = static_cast<int>(count);
    return units + at + 1;
}

} // namespace

HINSTANCE AfxGetInstanceHandle()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

HINSTANCE AfxGetResourceHandle()
{
    const HINSTANCE set = g_resourceHandle.load();
    return set ? set : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE module)
{
    g_resourceHandle.store(module);
}

HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type)
{
    const HINSTANCE first = AfxGetResourceHandle();
    if (::FindResourceW(first, name, type))
        return first;
    const HINSTANCE instance = AfxGetInstanceHandle();
    if (instance != first && ::FindResourceW(instance, name, type))
        return instance;
    return nullptr;
}

HINSTANCE AfxFindStringResourceHandle(UINT id)
{
    int length = 0;
    const HINSTANCE first = AfxGetResourceHandle();
    if (FindStringEntry(first, id, length))
        return first;
    const HINSTANCE instance = AfxGetInstanceHandle();
    if (instance != first && FindStringEntry(instance, id, length))
        return instance;
    return nullptr;
}

bool AfxReadStringResource(HINSTANCE module, UINT id, CString& text)
{
    int length = 0;
    const wchar_t* units = FindStringEntry(module, id, length);
    if (!units)
        return false;
    text = CString(units, length);
    return true;
}
