// Resource numbers of Morvane.exe: dialog templates, control ids, the icon and
// the bitmaps. Included by the resource script and by the program.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialog templates.
#define IDD_MAIN_WINDOW 102
#define IDD_OS_POWER 157
#define IDD_NET_STAT 161
#define IDD_CODE_CLEAN 162
#define IDD_TROJAN_SCAN 163

// Icon of the window and of the program file.
#define IDI_MAIN 128

// Skin of the main window, 850 x 600; magenta where the window is see-through.
#define IDB_SKIN 129

// Page buttons, 150 x 39 each, and their shared shape mask (white = outside).
#define IDB_TAB_SCAN_HOVER 130
#define IDB_TAB_SCAN_NORMAL 131
#define IDB_TAB_SCAN_PRESSED 132
#define IDB_TAB_MASK 133
#define IDB_TAB_CLEAN_HOVER 134
#define IDB_TAB_CLEAN_NORMAL 135
#define IDB_TAB_CLEAN_PRESSED 136
#define IDB_TAB_NET_PRESSED 137
#define IDB_TAB_NET_HOVER 138
#define IDB_TAB_NET_NORMAL 139
#define IDB_TAB_POWER_HOVER 140
#define IDB_TAB_POWER_NORMAL 141
#define IDB_TAB_POWER_PRESSED 142

// Title-bar buttons: strips of four frames (normal, hover, pressed, disabled).
#define IDB_TITLE_MENU 152   // 136 x 20
#define IDB_TITLE_CLOSE 153  // 184 x 20
#define IDB_TITLE_MIN 154    // 132 x 20

// Push buttons of the pages, 93 x 24 each.
#define IDB_BUTTON_HOVER 157
#define IDB_BUTTON_DISABLED 158
#define IDB_BUTTON_PRESSED 159
#define IDB_BUTTON_FOCUS 160
#define IDB_BUTTON_NORMAL 161

// List headers, 2 x 20 each.
#define IDB_HEADER_SEPARATOR 165
#define IDB_HEADER_BACKGROUND 166

// Controls of the main window.
#define IDC_PAGE_SCAN 1000
#define IDC_PAGE_CLEAN 1001
#define IDC_PAGE_NET 1002
#define IDC_PAGE_POWER 1003
#define IDC_TITLE_CLOSE 1007
#define IDC_TITLE_MIN 1008
#define IDC_TITLE_MENU 1009
#define IDC_PAGE_AREA 1010

// Controls of the pages.
#define IDC_RESULT_LIST 1015
#define IDC_REFRESH 1026
#define IDC_PROGRESS_TEXT 1028
#define IDC_SITE_PATH 1029
#define IDC_CLEAN_CODE 1030
#define IDC_CHOOSE_PATH 1031
#define IDC_START_CLEAN 1032
#define IDC_START_SCAN 1033
#define IDC_CHECK_ASP 1034
#define IDC_CHECK_ASPX 1035
#define IDC_CHECK_PHP 1036
#define IDC_CHECK_JSP 1037
