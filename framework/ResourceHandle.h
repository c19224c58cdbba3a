#pragma once
// Which module the program's resources come from. The instance handle is the module this code is
// linked into (the program, or a library such as the custom-action DLL, which must never read the
// host process's resources). The resource handle starts as the same module and can be pointed at
// a resource-only library (a translation); lookups try it first, then the instance.

#include "framework/Base.h"

// The module (exe or DLL) that this copy of the framework is linked into.
HINSTANCE AfxGetInstanceHandle();

// Where resources are looked up first. Setting null goes back to the instance handle.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

// The module that holds resource name of the given type: the resource handle's module, else the
// instance; null when neither has it.
HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type);

// The module whose string table holds a (non-empty) string id; null when none does. A string
// table stores strings in blocks of 16, so a block can exist without the one string asked for.
HINSTANCE AfxFindStringResourceHandle(UINT id);

// The string id of module's string table, exactly as stored (no terminator needed, embedded NULs
// kept); false when the module has no such string.
class CString;
bool AfxReadStringResource(HINSTANCE module, UINT id, CString& text);
