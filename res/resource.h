// Identifiers of the program's resources and controls, shared by the
// resource script and the window code.
#pragma once

// Resources.
#define IDI_APP 1
#define IDM_MAIN 1
#define IDD_MAIN 1
#define IDD_ABOUT 2
#define IDD_FOLDER_SELECT 3
#define IDD_LOGO 9
#define IDD_TITLE_INFO 12

// Menu commands.
#define CM_GET_INFO 1010
#define CM_TITLE_INFO 1020
#define CM_EXECUTE 1050
#define CM_EXIT 1090
#define CM_LOAD_PROJECT 1110
#define CM_SAVE_PROJECT 1120
#define CM_HELP 1910
#define CM_ABOUT 1920

// Main dialog: top area.
#define IDC_BROWSE 111
#define IDC_EXECUTE 112
#define IDC_EDIT_FOLDER 113
#define IDC_GET_INFO 114
#define IDC_TITLE_INFO 115
#define IDC_PAGE_UP 119
#define IDC_PAGE_DOWN 120
#define IDC_HELP_BUTTON 121
#define IDC_VTS_LABEL 169
#define IDC_REGISTER 170
#define IDC_PRESET 171
#define IDC_REFRESH 172
#define IDC_NO_MENU 173
#define IDC_RANDOM_PLAY 174
#define IDC_TITLE_COUNT 1001
#define IDC_TITLE_SET_COUNT 1002
#define IDC_EXIT 2

// Main dialog: the five title rows, row 1 to 5.
#define IDC_ROW1_LABEL 1010
#define IDC_ROW2_LABEL 1011
#define IDC_ROW3_LABEL 1012
#define IDC_ROW4_LABEL 1013
#define IDC_ROW5_LABEL 1014

// About box.
#define IDC_VERSION_LINE 100

// Title information list.
#define IDC_TITLE_LIST 101

// Folder selection dialog.
#define IDC_PATH_LINE 101
#define IDC_FOLDER_LIST 102
#define IDC_DRIVE_LIST 103
#define IDC_PATH_ROOT 104
#define IDC_PATH_GET_INFO 105
