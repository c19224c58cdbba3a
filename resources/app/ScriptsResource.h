#pragma once
// Resource and control ids of the install-script panel (scripts.rc, included by app.rc).

#define IDD_SCRIPT_PANEL 103
#define IDR_SCRIPT_STEP_MENU 148
// The header's image, the step images (click, select or unselect, set text), the button icons.
#define IDB_SCRIPT_HEADER 139
#define IDB_SCRIPT_CLICK 145
#define IDB_SCRIPT_SELECT 146
#define IDB_SCRIPT_SET_TEXT 147
#define IDI_SCRIPT_RECORD 150
#define IDI_SCRIPT_PLAY 151

#define IDC_SCRIPT_STEPS 1000
#define IDC_SCRIPT_ARGUMENTS 1002
#define IDC_SCRIPT_ARGUMENTS_BUTTON 1004
#define IDC_SCRIPT_PLAY 1007
#define IDC_SCRIPT_RECORD 1008
#define IDC_SCRIPT_BROWSE 1024
#define IDC_SCRIPT_GROUP 1031
#define IDC_SCRIPT_HEADER 1032
#define IDC_SCRIPT_SETUP_PATH 1069

// The step menu's commands: the panels' shared Edit and Delete ids.
#define ID_SCRIPT_EDIT_STEP 32785
#define ID_SCRIPT_DELETE_STEP 32786
