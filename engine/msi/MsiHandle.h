#pragma once
// UniqueMsiHandle: the owner of one Windows Installer handle (database, view, record, summary
// information); 0 means none. Closing a view handle also closes the view, and closing a direct-mode
// database handle keeps what was written (commit first: uncommitted rows are lost).

#include "framework/Handle.h"

#include <msi.h>
#include <msiquery.h>

struct MsiHandleTraits {
    using Type = MSIHANDLE;
    static Type Empty() noexcept { return 0; }
    static bool IsValid(Type h) noexcept { return h != 0; }
    static void Close(Type h) noexcept { ::MsiCloseHandle(h); }
};
using UniqueMsiHandle = UniqueHandle<MsiHandleTraits>;
