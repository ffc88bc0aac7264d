// The signal dialog as the tests open it: dialog 104 from this program's resources, run
// modeless with SignalDlgProc, and what of it is visible.
#pragma once

#include <windows.h>

#include <vector>

// Opens the dialog (not shown) with the given owner; its pictures exist afterwards.
HWND OpenSignalDialog(HWND owner = NULL);

// Indexes of the pictures and of the badges whose windows have WS_VISIBLE set.
std::vector<int> VisiblePictures();
std::vector<int> VisibleBadges();
