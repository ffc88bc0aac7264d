// What identview hands the application shell.
#include "../common/app_shell.h"
#include "identity_viewer.h"

const WCHAR ToolMutexName[] = L"QZ508RB_IdentView";
const DLGPROC ToolMainDialog = InfoDlgProc;
