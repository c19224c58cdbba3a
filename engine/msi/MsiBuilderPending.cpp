// Steps whose tables are not built yet: shortcuts and icons, services, registry values, the file
// packing, the sequences with the properties and summary information, and the custom actions.
// Each writes nothing and succeeds, so that a package with its features, folders and files builds
// already. Each moves into a file of its own (MsiBuilderShortcuts.cpp, ...) when it is written.

#include "engine/msi/MsiTools.h"

UINT CMsiTools::WriteShortcutTable() { return ERROR_SUCCESS; }
UINT CMsiTools::WriteServicesTable() { return ERROR_SUCCESS; }
UINT CMsiTools::WriteRegistryTable() { return ERROR_SUCCESS; }
UINT CMsiTools::PackFiles() { return ERROR_SUCCESS; }
UINT CMsiTools::WriteSequenceTable() { return ERROR_SUCCESS; }
UINT CMsiTools::AddCustomActionRec() { return ERROR_SUCCESS; }
