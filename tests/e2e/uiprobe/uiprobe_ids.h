// Control ids of the probe dialog; the driver's tests use the same numbers.
#pragma once

#define IDD_PROBE 200
#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif
#define IDC_TEXT 1000
#define IDC_CHECK 1003
#define IDC_NUMBER 1004
#define IDC_MESSAGE 1005
#define IDC_SAVE_AS 1006
#define IDC_DISABLED 1007
#define IDC_FIRST 1010
#define IDC_SECOND 1011
#define IDC_STATUS 1020
#define IDC_CHANGES 1021
#define IDC_COMMAND_LINE 1022
