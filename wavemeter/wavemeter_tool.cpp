// What wavemeter hands the application shell.
#include "../common/app_shell.h"
#include "signal_poller.h"

const WCHAR ToolMutexName[] = L"QZ508RB_WaveMeter";
const DLGPROC ToolMainDialog = SignalDlgProc;
