// Identifiers of the window's resources, as plain numbers that both windres and the
// compiler read. The command numbers repeat shell/resources/Resources.h, which the
// rest of the program uses; ResourceIdsMatch.cpp checks that the two agree.
#ifndef KESTRAVE_WIN32_RESOURCE_IDS_H
#define KESTRAVE_WIN32_RESOURCE_IDS_H

// String table.
#define IDS_TITLE 1
#define IDS_CLASS 3

#define IDR_ACCELERATORS 3
#define IDI_KESTRAVE 101
#define IDR_MENU 102

// Dialogs.
#define IDD_ABOUT 103
#define IDD_STATUS 104
#define IDD_FOLDER 108

// Status dialog controls.
#define IDC_STATUS_BOX 1001
#define IDC_LOG_BOX 1002
#define IDC_FLUSH 1003
#define IDC_NONE_RIGHT 1004
#define IDC_NONE_MIDDLE 1005
#define IDC_STATE_LINE 1014

// Output folder dialog controls.
#define IDC_FOLDER_LIST 1006
#define IDC_PATH_BOX 1007
#define IDC_CREATE 1008
#define IDC_NAME_BOX 1009
#define IDC_FOLDER_OK 1010
#define IDC_FOLDER_CANCEL 1011

// About box.
#define IDC_ABOUT_PRODUCT 1012
#define IDC_ABOUT_TEXT 1013

// Commands of the Tools menu and the accelerators.
#define IDM_CLOSE_NOW 1
#define IDM_ABOUT 40003
#define IDM_EXIT 40004
#define IDM_READ_NMEA 40006
#define IDM_OUTPUT_FOLDER 40007
#define IDM_WRITE_GPX 40008
#define IDM_PORT_NONE 40010
#define IDM_PORT_COM0 40011
#define IDM_PORT_COM15 40026
#define IDM_SPEED_4800 40027
#define IDM_SPEED_115200 40032

// The one-second timer and the notification icon.
#define IDT_TICK 999
#define TICK_PERIOD_MS 1000
#define ID_TRAY_ICON 5000
#define WM_TRAY_CALLBACK 3025

#endif
