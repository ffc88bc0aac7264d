// Resource and command identifiers shared by the modem tools' application shell.
#pragma once

#define IDS_MAIN_TITLE 1
#define IDS_MAIN_CLASS 3

#define IDR_MAIN_ACCEL 3

#define IDI_APP 101
#define IDD_ABOUT 103
#define IDD_MAIN 104

#define IDM_EXIT 40002
#define IDM_ABOUT 40003

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
