// Ids of the window's resources and of the commands and controls of its small windows, shared by the
// resource script and the code. The main window's control ids are in engine/ControlIds.h and
// images/CatalogueDisplay.h; the script writes them as numbers, in the order of its template.
#pragma once

#define P25_IDD_ABOUT 100
#define P25_IDD_MAIN 102
#define P25_IDD_PLEASE_WAIT 153
#define P25_IDD_CONTROLS_HELP 177

#define P25_IDI_PROGRAM 128
#define P25_IDR_MAIN_MENU 129
#define P25_IDB_LOGO 146
#define P25_IDS_ABOUT_ENTRY 101

#define P25_IDM_ABOUT_BOX 0x0010
#define P25_ID_HELP_CONTROLS 32772
#define P25_ID_HELP_ABOUT 32775

#define P25_IDC_HELP_TEXT 1070
#define P25_IDC_WAIT_TITLE 1028
#define P25_IDC_WAIT_NOTICE 1029
