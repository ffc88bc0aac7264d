// Program entry, main window and About box of the modem tools.
#include "app_shell.h"
#include "centering.h"
#include "shell_resource.h"

HINSTANCE AppInstance;

static const int ShellTextUnits = 100;

void RunDialogTemplate(HWND owner, int templateId, DLGPROC procedure) {
    // None of the three results is examined: a missing template makes the dialog call fail at
    // once, which the callers treat like a dialog that was closed.
    HRSRC found = FindResourceW(AppInstance, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    HGLOBAL loaded = LoadResource(AppInstance, found);
    (void)DialogBoxIndirectParamW(AppInstance, reinterpret_cast<LPCDLGTEMPLATE>(loaded), owner,
                                  procedure, 0);
}

void CenterOnParent(HWND dialog, HWND insertAfter, UINT flags) {
    RECT dialogRect;
    if (!GetWindowRect(dialog, &dialogRect)) {
        return;
    }
    RECT client = {0, 0, 0, 0};
    (void)GetClientRect(GetParent(dialog), &client);
    DialogOrigin origin =
        CenteredOrigin(client.right - client.left, client.bottom - client.top,
                       dialogRect.right - dialogRect.left, dialogRect.bottom - dialogRect.top);
    SetWindowPos(dialog, insertAfter, origin.x, origin.y, 0, 0, flags);
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CenterOnParent(dialog, HWND_TOP, SWP_NOSIZE | SWP_NOZORDER);
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

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        // The tool's whole working life is this modal dialog.
        RunDialogTemplate(window, IDD_MAIN, ToolMainDialog);
        DestroyWindow(window);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_EXIT:
            DestroyWindow(window);
            return 0;
        case IDM_ABOUT:
            RunDialogTemplate(window, IDD_ABOUT, AboutDlgProc);
            return 0;
        }
        break;
    case WM_PAINT: {
        // The main window has no content of its own.
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterMainClass(HINSTANCE instance, const WCHAR *className) {
    WNDCLASSW windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    windowClass.hCursor = NULL;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = className;
    // A failed registration shows up as a failed window creation.
    (void)RegisterClassW(&windowClass);
}

bool CreateMainWindow(HINSTANCE instance, int showCommand) {
    AppInstance = instance;

    // Zeroed first: a string that does not load leaves an empty name, never stray memory.
    WCHAR className[ShellTextUnits] = {0};
    (void)LoadStringW(instance, IDS_MAIN_CLASS, className, ShellTextUnits);
    RegisterMainClass(instance, className);

    WCHAR title[ShellTextUnits] = {0};
    (void)LoadStringW(instance, IDS_MAIN_TITLE, title, ShellTextUnits);

    HWND window = CreateWindowExW(0, className, title, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
    if (window == NULL) {
        return false;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return true;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    HANDLE mutex = CreateMutexW(NULL, FALSE, ToolMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another copy runs: bring it forward and leave.
        WCHAR className[ShellTextUnits] = {0};
        (void)LoadStringW(instance, IDS_MAIN_CLASS, className, ShellTextUnits);
        HWND running = FindWindowW(className, NULL);
        if (running != NULL) {
            SetForegroundWindow(running);
        }
        CloseHandle(mutex);
        return 0;
    }

    if (!CreateMainWindow(instance, showCommand)) {
        return 0;
    }

    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_MAIN_ACCEL));
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0)) {
        if (!TranslateAcceleratorW(message.hwnd, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return static_cast<int>(message.wParam);
}
