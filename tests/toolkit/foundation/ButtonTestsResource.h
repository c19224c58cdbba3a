#pragma once
// The template and control ids of the owner-drawn button tests.
#define IDD_BUTTONS 720
#define IDC_PUSH 1101
#define IDC_DEFPUSH 1102
#define IDC_DROPDOWN 1103
#define IDC_SPLIT 1104
#define IDC_NOGLYPH 1105
#define IDC_CHECK 1106
#define IDC_3STATE 1107
#define IDC_RADIO 1108
#define IDC_GROUP 1109
#define IDC_ICONCHECK 1110
#define IDC_TOGGLE 1111
