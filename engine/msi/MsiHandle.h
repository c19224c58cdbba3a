#pragma once
// UniqueMsiHandle: the owner of one Windows Installer handle (database, view, record, summary
// information); 0 means none. Closing a view handle also closes the view, and closing a direct-mode
// database handle keeps what was written (commit first: uncommitted rows are lost).

#include "framework/Handle.h"

#include <msi.h>
#include <msiquery.h>

using UniqueMsiHandle = UniqueHandle<ZeroEmptyTraits<MSIHANDLE, ::MsiCloseHandle>>;
