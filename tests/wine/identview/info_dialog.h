// The identity dialog as the tests open it: its template from this program's resources, and
// the text of one of its controls.
#pragma once

#include <windows.h>

#include <string>

LPCDLGTEMPLATEW InfoTemplate();
std::wstring Text(HWND dialog, int id);
