#pragma once
// The template and control ids of the list box tests.
#define IDD_LISTBOXES 740
#define IDC_OWNERDRAWN_LIST 1201
#define IDC_PLAIN_LIST 1202
#define IDC_OTHER_FOCUS 1203
