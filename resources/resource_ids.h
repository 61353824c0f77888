#ifndef TESSALY_RESOURCES_RESOURCE_IDS_H
#define TESSALY_RESOURCES_RESOURCE_IDS_H

/* Identifiers shared by the code and the resource script (which is why this
   header stays plain preprocessor definitions). */

/* The support web page: the About box's link and the version resource's Comments.
   The link's field is 102 dialog units wide and cuts a longer text: keep it short. */
#define TESSALY_SUPPORT_URL "https://tessaly.example/"

/* Resources */
#define IDI_APPICON 1
#define IDD_ABOUT 142
#define IDC_LINKCURSOR 151
#define IDR_MAINMENU 152
#define IDB_DIGITS 154
#define IDR_ACCEL 157

/* Children of the main window */
#define IDC_BOARD 10
#define IDC_SCORE 11

/* Children of the score panel */
#define IDC_COUNTER 10
#define IDC_TIMER 11

/* Controls of the About dialog */
#define IDC_ABOUT_ICON 1006
#define IDC_ABOUT_SYSRES 1007
#define IDC_ABOUT_URL 1008
#define IDC_ABOUT_VERSION 1009

/* Commands */
#define IDM_START 40001
#define IDM_EXIT 40002
#define IDM_LEVEL_1 40010
#define IDM_LEVEL_2 40011
#define IDM_LEVEL_3 40012
#define IDM_LEVEL_4 40013
#define IDM_LEVEL_5 40014
#define IDM_SIZE_1 40020
#define IDM_SIZE_2 40021
#define IDM_SIZE_3 40022
#define IDM_SIZE_4 40023
#define IDM_SIZE_5 40024
#define IDM_TOPMOST 40025
#define IDM_ABOUT 40026
#define IDM_RETRY 40027

#endif
