#include "tests/toolkit/foundation/AccessibleTestObject.h"

BEGIN_INTERFACE_MAP(CAccessibleTestObject, CCmdTarget)
    INTERFACE_PART(CAccessibleTestObject, __uuidof(IAccessible), Accessible)
END_INTERFACE_MAP()
