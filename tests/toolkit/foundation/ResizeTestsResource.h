#pragma once
// Templates and control ids of the resizable-dialog tests.
#define IDD_RESIZABLE 700
#define IDD_FIXED 701
#define IDC_GROWS 1001
#define IDC_CORNER 1002
#define IDC_HALF 1003
#define IDC_TWICE 1004
#define IDC_GROUP 1005
#define IDC_LATE 1006
