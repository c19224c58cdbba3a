#pragma once
// Resource ids of the test setup program, shared by its resource script and its source.

#define IDD_MAIN 100
#define IDD_PAGE 101
#define IDD_CONFIRM 102

#define IDC_TITLE 1000
#define IDC_NAME 1001
#define IDC_AGREE 1002
#define IDC_TYPEGROUP 1003
#define IDC_TYPICAL 1004
#define IDC_CUSTOM 1005
#define IDC_LANGUAGE 1006
#define IDC_FOLDERS 1007
#define IDC_COMPONENTS 1008
#define IDC_FEATURES 1009
#define IDC_STEP 1010
#define IDC_NEXT 1011
#define IDC_PAGEFRAME 1012

#define IDC_DESTLABEL 1100
#define IDC_DESTINATION 1101
#define IDC_BROWSE 1102

#define IDC_QUESTION 1200

#ifndef RC_INVOKED
// The registry keys its own install writes and its uninstall removes (the product key under both
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, the uninstall entry under HKEY_LOCAL_MACHINE).
inline constexpr wchar_t kSetupProgProductKey[] = L"Software\\TarnwickTest\\SetupProg";
inline constexpr wchar_t kSetupProgUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TarnwickTestSetup";
// Where the program takes its switches from when it is started without any.
inline constexpr wchar_t kSetupProgSwitchesVariable[] = L"TARNWICK_SETUPPROG_SWITCHES";
#endif
