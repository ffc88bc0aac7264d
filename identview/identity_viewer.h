// The identity dialog procedure and the card query behind it.
#pragma once

#include "../common/wince_compat.h"

INT_PTR CALLBACK InfoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
