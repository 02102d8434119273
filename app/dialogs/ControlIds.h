/* The resource and control IDs of both programs' dialogs. Plain defines, so that the resource
   compiler reads them as well as C++. */
#ifndef VELKOR_APP_DIALOGS_CONTROL_IDS_H
#define VELKOR_APP_DIALOGS_CONTROL_IDS_H

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN_DIALOG 102
#define IDR_MAINFRAME 128
#define IDM_ABOUTBOX 0x0010 /* the system menu's About command */
#define IDC_ABOUT_OK 1      /* IDOK */
#define IDC_NONE (-1)       /* a label nobody addresses */

#define IDC_PLOTTER_LIST 1000
#define IDC_SERIAL_NUMBER 1001
#define IDC_SEND_SERIAL_NUMBER 1002
#define IDC_REFRESH 1003
#define IDC_PLOTTER_TYPE_LABEL 1004
#define IDC_PLOTTER_TYPE 1005
#define IDC_FIRMWARE_LABEL 1006
#define IDC_FIRMWARE 1007
#define IDC_BOOT_PROGRAM_LABEL 1008
#define IDC_BOOT_PROGRAM 1009
#define IDC_HARDWARE_LABEL 1010
#define IDC_HARDWARE 1011
#define IDC_SERIAL_NUMBER_LABEL 1012
#define IDC_READ_FIXTURES 1013
#define IDC_SEND_UPDATE 1014
#define IDC_ABORT_PLOT 1015
#define IDC_STATUS_LINE 1016
#define IDC_FIXTURES 1019
#define IDC_READ_TOOL_TYPE 1020
#define IDC_TOOL_TYPE 1021
#define IDC_READ_STATUS 1023
#define IDC_STATUS 1024
#define IDC_FIRMWARE_PATH 1026
#define IDC_CHOOSE_FIRMWARE_FILE 1027
#define IDC_PLOT_PATH 1028
#define IDC_SEND_PLOT_FILE 1029
#define IDC_CHOOSE_PLOT_FILE 1030

#endif
