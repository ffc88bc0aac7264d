// The signal dialog's procedure and the poller behind it.
#pragma once

#include "../common/wince_compat.h"

INT_PTR CALLBACK SignalDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
