// The application shell shared by the modem tools: single-instance start, the main window that
// owns the tool's main dialog, the About box and dialog centring.
#pragma once

#include "wince_compat.h"

// Program-wide module instance, used for every resource load.
extern HINSTANCE AppInstance;

// Supplied by each tool: its single-instance mutex name and its main dialog procedure.
extern const WCHAR ToolMutexName[];
extern const DLGPROC ToolMainDialog;

bool CreateMainWindow(HINSTANCE instance, int showCommand);
void RegisterMainClass(HINSTANCE instance, const WCHAR *className);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Moves a dialog to the centre of its owner's client area (counted from the screen origin).
void CenterOnParent(HWND dialog, HWND insertAfter, UINT flags);

// Runs a dialog modally from its template in this module; the end code is not used.
void RunDialogTemplate(HWND owner, int templateId, DLGPROC procedure);
