#pragma once
// CXTPModuleHandle: a system library the toolkit uses only when it is there. The holder finds
// the library already loaded or loads it, can ask its DllGetVersion, and looks exports up by
// name, optionally refusing a library older than a given version. Only a library it loaded
// itself is freed again.

#include "framework/Base.h"
#include "framework/String.h"

#include <shlwapi.h>

class CXTPModuleHandle {
public:
    // How the handle was obtained: only a loaded one is freed.
    enum Kind { KindNone = 0, KindFound = 1, KindLoaded = 2 };

    CXTPModuleHandle();
    explicit CXTPModuleHandle(const wchar_t* moduleName);
    CXTPModuleHandle(const CXTPModuleHandle&) = delete;
    CXTPModuleHandle& operator=(const CXTPModuleHandle&) = delete;
    virtual ~CXTPModuleHandle();

    // The loaded module when there is one, else loads it; TRUE when either worked.
    BOOL Init(const wchar_t* moduleName);
    // GetModuleHandleW only (the module must be loaded already).
    BOOL GetModule(const wchar_t* moduleName);
    // LoadLibraryW; the handle is freed by Free or the destructor.
    BOOL LoadModule(const wchar_t* moduleName);
    // Forgets the module, freeing it when this holder loaded it; FreeLibrary's result then.
    BOOL Free();

    // Asks the module's DllGetVersion; FALSE without a handle or without that export.
    BOOL GetDllVersion();
    // major << 16 | minor (low 16 bits); 0 when the module tells no version.
    DWORD GetVersion();

    // Looks an export up. FALSE, with the pointer cleared, without a module, when the module's
    // version is below minVersion (major << 16 | minor; 0 accepts any) or when it has no such
    // export.
    template <class Fn>
    BOOL GetProcAddress(Fn* proc, const char* exportName, DWORD minVersion = 0)
    {
        FARPROC found = LookUp(exportName, minVersion);
        *proc = reinterpret_cast<Fn>(reinterpret_cast<void*>(found));
        return found != nullptr;
    }

    HMODULE GetHandle() const { return m_module; }
    Kind GetKind() const { return m_kind; }
    const CString& GetName() const { return m_name; }
    const DLLVERSIONINFO& GetVersionInfo() const { return m_version; }

private:
    FARPROC LookUp(const char* exportName, DWORD minVersion);

    CString m_name;
    HMODULE m_module = nullptr;
    Kind m_kind = KindNone;
    DLLVERSIONINFO m_version{};   // cbSize 0 until DllGetVersion was asked
};

// Version of "COMCTL32.DLL" as major << 16 | minor, asked once and cached; 4.0 (0x40000) when
// the library tells no version (the first releases had no DllGetVersion).
DWORD GetComCtlVersion();
// The uncached question behind it, for any module name: its version, or 4.0 when it tells none.
DWORD ReadComCtlVersion(const wchar_t* moduleName);
