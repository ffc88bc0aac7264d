// A plain Win32 dialog program, the yardstick the tools' start-up time is compared with.
#include <windows.h>

static INT_PTR CALLBACK MinimalDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    DialogBoxParamW(instance, MAKEINTRESOURCEW(1), NULL, MinimalDlgProc, 0);
    return 0;
}
