// Resource and control identifiers of portswap.
#pragma once

#define IDS_RESET_NOTICE 1

#define IDD_PORT_LIST 101
#define IDD_PORT_CHANGE 102
#define IDI_PORTSWAP 103

// Value column of the port list: the driver behind COM1 to COM9.
#define IDC_COM1_DRIVER 1000
#define IDC_COM2_DRIVER 1001
#define IDC_COM3_DRIVER 1002
#define IDC_COM4_DRIVER 1003
#define IDC_COM5_DRIVER 1004
#define IDC_COM6_DRIVER 1005
#define IDC_COM7_DRIVER 1006
#define IDC_COM8_DRIVER 1007
#define IDC_COM9_DRIVER 1008

// The COM number chosen for the IrDA hardware.
#define IDC_IRDA_PORT 1009

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
