// The port change dialog and the reset request that makes a new IrDA port take effect.
#pragma once

#include "../common/wince_compat.h"

INT_PTR CALLBACK PortChangeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Asks the system-control driver to reset the terminal; silent when the driver is absent.
void ResetDevice();
