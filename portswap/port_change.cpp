// The port change dialog: offers the free COM numbers and the IrDA port's own, stores the
// chosen one as the IrDA driver's device index and asks the terminal to reset.
#include "port_change.h"
#include "port_list.h"
#include "resource.h"

#include <string.h>

static const WCHAR IrdaDriverKey[] = L"Drivers\\Builtin\\IrDA";
static const WCHAR IrdaIndexValue[] = L"Index";
static const WCHAR SystemControlDevice[] = L"SYX1:";
static const DWORD ResetRequestCode = 257;
static const DWORD ResetPauseMs = 500;
static const int WorkTextUnits = 1024;

void ResetDevice() {
    HANDLE device =
        CreateFileW(SystemControlDevice, 0, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (device == INVALID_HANDLE_VALUE) {
        return;
    }
    // On the terminal the request does not come back; elsewhere its answer means nothing.
    DWORD returned = 0;
    (void)DeviceIoControl(device, ResetRequestCode, NULL, 0, NULL, 0, &returned, NULL);
    CloseHandle(device);
}

static void FillPortChoices(HWND dialog) {
    HWND choices = GetDlgItem(dialog, IDC_IRDA_PORT);
    WCHAR entry[ComEntryUnits];
    // The combobox sorts its entries, so the list reads in ascending order.
    for (int i = 0; i < ComPortCount; ++i) {
        if (ComPortInUse[i] == 0) {
            ComEntryText(i, entry);
            SendMessageW(choices, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        }
    }
    if (IrdaComIndex < 0) {
        return;
    }
    // The survey counts the IrDA port as taken, so it is not among the free ones.
    ComEntryText(IrdaComIndex, entry);
    SendMessageW(choices, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    SendMessageW(choices, CB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(entry));
}

// Stores the chosen COM number, tells the user that a reset follows and requests it. Without a
// chosen number nothing happens, so no index outside 1 to 9 is ever stored.
static void ChangeIrdaPort(HWND dialog) {
    // Zeroed before each use: a failed read leaves an empty entry, which chooses nothing, and
    // a notice that does not load shows empty, never stray memory.
    WCHAR text[WorkTextUnits] = {0};
    (void)GetWindowTextW(GetDlgItem(dialog, IDC_IRDA_PORT), text, WorkTextUnits);
    int comNumber = ComNumberOfEntry(text);
    if (comNumber < 0) {
        return;
    }

    HKEY irda;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, IrdaDriverKey, 0, REG_WRITE_ACCESS, &irda) ==
        ERROR_SUCCESS) {
        DWORD index = static_cast<DWORD>(comNumber);
        // A failed write shows only when the terminal comes up again.
        (void)RegSetValueExW(irda, IrdaIndexValue, 0, REG_DWORD, reinterpret_cast<BYTE *>(&index),
                             sizeof index);
        RegCloseKey(irda);
    }

    memset(text, 0, sizeof text);
    (void)LoadStringW(AppInstance, IDS_RESET_NOTICE, text, WorkTextUnits);
    (void)MessageBoxW(dialog, text, ToolTitle, MB_OK);
    Sleep(ResetPauseMs);
    ResetDevice();
}

INT_PTR CALLBACK PortChangeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        PrepareToolDialog(dialog);
        FillPortChoices(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            // The dialog stays open: where the terminal does not reset, OK may be pressed again.
            ChangeIrdaPort(dialog);
            return FALSE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
