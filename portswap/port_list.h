// The port list dialog and the survey of COM1 to COM9 behind it.
#pragma once

#include "../common/wince_compat.h"
#include "port_rules.h"

// Program-wide module instance, used to load the dialog templates and the reset notice.
extern HINSTANCE AppInstance;

// Caption of both dialogs and of the reset notice; a second start looks for it.
extern const WCHAR ToolTitle[];

// Result of the last survey: 1 where COM(i+1) is held by an active driver, and the zero-based
// COM index of the built-in IrDA driver (-1 when none was found).
extern int ComPortInUse[ComPortCount];
extern int IrdaComIndex;

// Value column of the list dialog, by zero-based COM index.
extern const int PortRowIds[ComPortCount];

INT_PTR CALLBACK PortListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Fills the list dialog's rows from HKLM\Drivers\Active and sets ComPortInUse and IrdaComIndex.
void SurveyComPorts(HWND dialog);

// Runs a dialog modally from its template in this module; the end code is not used.
void RunPortDialog(HWND owner, int templateId, DLGPROC procedure);

// What both dialogs do first: the tool's title as caption, and a caption that can't be dragged.
void PrepareToolDialog(HWND dialog);
