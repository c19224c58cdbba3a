#pragma once
// Resource and command ids of the program. The command ids are also what the e2e tests post to
// the main window, so they stay as they are when the menus and toolbar change shape.

// Document template: menu, accelerators, toolbar, icon and the template string.
#define IDR_MAINFRAME 128
#define IDR_ACTIONS_MENU 158
#define IDI_MAINFRAME IDR_MAINFRAME

// Bitmaps: node images of the packages tree, toolbar command icons.
#define IDB_TREE_NODES 130
#define IDB_TOOLBAR_ICONS 138

// Dialogs.
#define IDD_ABOUTBOX 100
#define IDD_PACKAGE_PANEL 105
#define IDD_PROJECT_PANEL 117

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Strings.
#define IDP_OLE_INIT_FAILED 100
#define IDS_CONFIRM_DELETE_ITEM 101
#define IDS_APP_PROFILE 57344        // the framework's application-name string: "tarnwick"

// Controls of the About box.
#define IDC_ABOUT_BUILD 1064
#define IDC_ABOUT_NOTICE 1065

// Controls of the package panel.
#define IDC_PRODUCT_NAME 1009
#define IDC_PRODUCT_VERSION 1010
#define IDC_PACKAGE_DETAILS 1011
#define IDC_COMPANY_NAME 1012
#define IDC_SUPPORT_INFO 1013
#define IDC_SUPPORT_URL 1014
#define IDC_SUPPORT_PHONE 1015
#define IDC_COMMENT 1016
#define IDC_INSTALLER_OPTIONS 1017
#define IDC_NO_REGISTRATION 1018
#define IDC_LAUNCH_CONDITION 1019
#define IDC_HIDDEN_IN_LIST 1021
#define IDC_PER_USER 1098

// Controls of the project panel (1016 and 1019 are shared with the package panel).
#define IDC_PROJECT_GROUP 1079
#define IDC_PROJECT_NAME 1068
#define IDC_PROJECT_DESCRIPTION IDC_COMMENT
#define IDC_PROJECT_CONDITIONS IDC_LAUNCH_CONDITION
#define IDC_PROJECT_OPTIONS 1099

// Commands.
#define ID_NEW_PROJECT 32779
#define ID_OPEN_PROJECT 32775
#define ID_ADD_MSI_PACKAGE 32776
#define ID_DELETE_ITEM 32780
#define ID_VIEW_OUTPUT 32781
#define ID_INSTALLED_PROGRAMS 32783
#define ID_BUILD_PACKAGE 32784
#define ID_PANEL_ENTER 32785
#define ID_PANEL_DELETE 32786
#define ID_NO_ACTIONS 32811
#define ID_MONITOR_SETTINGS 32812
#define ID_OPEN_IN_EXPLORER 32815
#define ID_VIEW_START_PAGE 32821

// The framework's standard command ids that the menus use (guarded: the framework may name them).
#ifndef ID_APP_ABOUT
#define ID_APP_ABOUT 0xE140
#endif
#ifndef ID_APP_EXIT
#define ID_APP_EXIT 0xE141
#endif
#ifndef ID_HELP_INDEX
#define ID_HELP_INDEX 0xE142
#endif
#ifndef ID_VIEW_STATUS_BAR
#define ID_VIEW_STATUS_BAR 0xE801
#endif
#ifndef AFX_IDS_IDLEMESSAGE
#define AFX_IDS_IDLEMESSAGE 0xE001
#endif
#define ID_HELP_CONTENTS ID_HELP_INDEX

// Window messages that worker threads send to the main window.
#define WM_APP_CLEAR_OUTPUT (WM_USER + 1)
#define WM_APP_APPEND_OUTPUT (WM_USER + 2)

// The new-project wizard, the arguments dialog and the build dialog.
#define IDD_ARGS_DIALOG 107
#define IDD_BUILD_DIALOG 108
#define IDD_WIZARD_START 121
#define IDD_WIZARD_MODE 122
#define IDD_WIZARD_FINISH 124
#define IDD_WIZARD_PARAMS 125
#define IDB_BUILD_BANNER 143

#define IDC_ARGUMENTS 1002
#define IDC_INSTALL_ARGUMENTS 1002
#define IDC_UNINSTALL_ARGUMENTS 1003
#define IDC_EDIT_INSTALL_ARGUMENTS 1004
#define IDC_EDIT_UNINSTALL_ARGUMENTS 1005
#define IDC_BROWSE_INSTALLER 1024
#define IDC_BROWSE_OUTPUT_FOLDER 1024
#define IDC_BROWSE_LOCATION 1025
#define IDC_MARKUP_LABEL 1032
#define IDC_MEDIA 1035
#define IDC_PROJECT_LOCATION 1036
#define IDC_OUTPUT_FOLDER 1036
#define IDC_OUTPUT_FILE_NAME 1037
#define IDC_DEPLOYMENT_METHOD 1038
#define IDC_INSTALLER_PATH 1069
#define IDC_MODE_SCRIPT 1087
#define IDC_MODE_REPACKAGE 1088
#define IDC_MODE_COMMAND_LINE 1089
#define IDC_FINISH_TEXT 1091
#define IDC_PACKAGE_CHOICE 1097
#define IDC_DEBUG_MODE 1101
#define IDC_BUILD_BANNER 1102

// The installation monitor's dialogs: its wizard page, the filter settings sheet with the list-item
// dialog, and the installed-programs dialog with its default program image.
#define IDD_INSTALLED_PROGRAMS 111
#define IDD_MONITOR_PAGE 127
#define IDD_FILE_FILTERS 131
#define IDD_REGISTRY_FILTERS 136
#define IDD_EDIT_ITEM 137
#define IDB_DEFAULT_PROGRAM 165

#define IDC_FILTER_LIST 1000
#define IDC_FILTER_ADD 1039
#define IDC_FILTER_REMOVE 1040
#define IDC_ITEM_TEXT 1090

#define IDC_PROGRAMS_LIST 1056
#define IDC_PROGRAMS_REFRESH 1057
#define IDC_UNINSTALL 1039
#define IDC_SHOW_UPDATES 1102
#define IDC_SHOW_MSI 1103

#define IDC_MONITOR_START 1039
#define IDC_MONITOR_ICON 1022
#define IDC_MONITOR_TEXT 1094
#define IDC_MONITOR_PROGRESS 1095
#define IDC_MONITOR_STATUS 1096

// The files editor: the image strip of its trees and lists, the context menus of the folder tree
// and file list, the file and shortcut dialogs, the system-folder dialog, the pickers of file
// entries and folders, and the icon picker.
#define IDB_FILE_IMAGES 152
#define IDR_FILES_ITEM_MENU 153
#define IDR_FILES_EMPTY_MENU 154
#define IDD_FILE_DIALOG 113
#define IDD_SYSTEM_FOLDER 114
#define IDD_SHORTCUT_DIALOG 115
#define IDD_BROWSE_FILES 116
#define IDD_SELECT_ICON 155
#define IDD_BROWSE_FOLDER 161

#define ID_FILES_NEW_FOLDER 32792
#define ID_FILES_ADD_FILES 32793
#define ID_FILES_NEW_SHORTCUT 32794
#define ID_FILES_ADD_SYSTEM_FOLDER 32795
#define ID_FILES_OPEN_IN_EXPLORER 32814
#define ID_FILES_ADD_TO_FILTER 32818
#define ID_FILES_REMOVE_FROM_FILTER 32820

#define IDC_ENTRY_NAME 1068
#define IDC_FILE_READ_ONLY 1072
#define IDC_FILE_HIDDEN 1073
#define IDC_FILE_SYSTEM 1074
#define IDC_FILE_CONDITION 1075
#define IDC_FILE_VITAL 1083
#define IDC_SHORTCUT_TARGET 1069
#define IDC_SHORTCUT_BROWSE_TARGET 1039
#define IDC_SHORTCUT_DIRECTORY 1085
#define IDC_SHORTCUT_BROWSE_DIRECTORY 1040
#define IDC_SHORTCUT_ARGUMENTS 1002
#define IDC_SHORTCUT_ICON 1041
#define IDC_SHORTCUT_ADVERTISED 1100
#define IDC_SYSTEM_FOLDER_NAME 1076
#define IDC_SYSTEM_FOLDER_DESCRIPTION 1077
#define IDC_SYSTEM_FOLDER_PATH 1093
#define IDC_ICON_LIST 1000
#define IDC_ICON_FILE 1104
#define IDC_ICON_BROWSE 1024
#define IDC_PICKER_LIST 1000
#define IDC_PICKER_TREE 1105
#define IDC_PICKER_SPLITTER 1106
// The registry editor: the key and value dialogs, the large value editor, the key and value
// images, and the context menus of a root key, of a key and of the value list.
#define IDD_REG_KEY 119
#define IDD_REG_VALUE 120
#define IDD_EDIT_VALUE 149
#define IDB_REGISTRY_IMAGES 153
#define IDR_REGISTRY_ROOT_MENU 156
#define IDR_REGISTRY_KEY_MENU 157
#define IDR_REGISTRY_VALUE_MENU 159

#define IDC_REG_NAME 1068
#define IDC_REG_CONDITION 1075
#define IDC_REG_VALUE 1081
#define IDC_REG_EDIT_LARGE 1039
#define IDC_REG_ALWAYS_CREATE 1082
#define IDC_REG_DELETE_AT_UNINSTALL 1086
#define IDC_EDIT_VALUE_TEXT 1075

#define ID_REG_NEW_KEY 32804
#define ID_REG_NEW_STRING 32805
#define ID_REG_NEW_BINARY 32806
#define ID_REG_NEW_DWORD 32807
#define ID_REG_RENAME 32809
#define ID_REG_NEW_EXPAND_STRING 32810
#define ID_REG_NEW_MULTI_STRING 32816
#define ID_REG_ADD_TO_FILTER 32818
#define ID_REG_REMOVE_FROM_FILTER 32820
// The install-script recorder and its step editor.
#define IDD_SCRIPT_FINDER 109
#define IDD_SCRIPT_ACTION 110

#define IDC_FINDER_HINT 1047
#define IDC_ACTION_CLICK 1045
#define IDC_ACTION_SET_TEXT 1048
#define IDC_ACTION_SELECT 1049
#define IDC_ACTION_UNSELECT 1050
#define IDC_ACTION_TEXT 1051
#define IDC_ACTION_DELAY 1060
#define IDC_ACTION_CONTINUE 1061
#define IDC_ACTION_DELAY_SPIN 1062
#define IDC_ACTION_CONTROL_TYPE 1063
