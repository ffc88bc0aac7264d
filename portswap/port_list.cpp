// The port list dialog: which driver holds each of COM1 to COM9, found in the device manager's
// list of active drivers.
#include "port_list.h"
#include "port_change.h"
#include "resource.h"

HINSTANCE AppInstance;

const WCHAR ToolTitle[] = L"赤外線設定ツール";

int ComPortInUse[ComPortCount];
int IrdaComIndex = -1;

const int PortRowIds[ComPortCount] = {IDC_COM1_DRIVER, IDC_COM2_DRIVER, IDC_COM3_DRIVER,
                                      IDC_COM4_DRIVER, IDC_COM5_DRIVER, IDC_COM6_DRIVER,
                                      IDC_COM7_DRIVER, IDC_COM8_DRIVER, IDC_COM9_DRIVER};

static const WCHAR ActiveDriversKey[] = L"Drivers\\Active";
static const DWORD SubkeyNameUnits = 80;
static const DWORD NameUnits = 80;
static const DWORD KeyUnits = 1024;

void RunPortDialog(HWND owner, int templateId, DLGPROC procedure) {
    // None of the three results is examined: a missing template makes the dialog call fail at
    // once, which the callers treat like a dialog that was closed.
    HRSRC found = FindResourceW(AppInstance, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    HGLOBAL loaded = LoadResource(AppInstance, found);
    (void)DialogBoxIndirectParamW(AppInstance, static_cast<LPCDLGTEMPLATE>(loaded), owner,
                                  procedure, 0);
}

// Reads a string value into buffer, which holds textUnits characters and one more unit for the
// terminator. The read is offered textUnits characters; a longer value fails it.
static bool ReadDriverText(HKEY driver, const WCHAR *valueName, WCHAR *buffer, DWORD textUnits) {
    DWORD type = 0;
    DWORD bytes = textUnits * sizeof(WCHAR);
    if (RegQueryValueExW(driver, valueName, NULL, &type, reinterpret_cast<BYTE *>(buffer),
                         &bytes) != ERROR_SUCCESS) {
        return false;
    }
    return TakeRegistryText(buffer, textUnits, type, bytes);
}

// Records the COM port that one active driver holds and shows its configuration key.
static void SurveyDriver(HWND dialog, HKEY driver) {
    WCHAR name[NameUnits + 1];
    if (!ReadDriverText(driver, L"Name", name, NameUnits)) {
        return;
    }
    int comIndex = ComIndexOfName(name);
    if (comIndex < 0) {
        return;
    }
    ComPortInUse[comIndex] = 1;

    // A port whose Key can't be read, or that lies outside the built-in and PC Card keys,
    // counts as taken with its row left as it is.
    WCHAR key[KeyUnits + 1];
    if (!ReadDriverText(driver, L"Key", key, KeyUnits)) {
        return;
    }
    DriverKeyRow row = RowOfDriverKey(key);
    if (row.rowText == NULL) {
        return;
    }
    SetWindowTextW(GetDlgItem(dialog, PortRowIds[comIndex]), row.rowText);
    if (row.isIrda) {
        IrdaComIndex = comIndex;
    }
}

void SurveyComPorts(HWND dialog) {
    for (int i = 0; i < ComPortCount; ++i) {
        ComPortInUse[i] = 0;
    }
    IrdaComIndex = -1;

    HKEY active;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ActiveDriversKey, 0, REG_READ_ACCESS, &active) !=
        ERROR_SUCCESS) {
        return;
    }
    // The walk ends at the first failed enumeration: no more subkeys, or a name too long for
    // the buffer.
    for (DWORD index = 0;; ++index) {
        WCHAR subkeyName[SubkeyNameUnits];
        DWORD nameUnits = SubkeyNameUnits;
        if (RegEnumKeyExW(active, index, subkeyName, &nameUnits, NULL, NULL, NULL, NULL) !=
            ERROR_SUCCESS) {
            break;
        }
        HKEY driver;
        if (RegOpenKeyExW(active, subkeyName, 0, REG_READ_ACCESS, &driver) != ERROR_SUCCESS) {
            continue;
        }
        SurveyDriver(dialog, driver);
        RegCloseKey(driver);
    }
    RegCloseKey(active);
}

void PrepareToolDialog(HWND dialog) {
    SetWindowTextW(dialog, ToolTitle);
    SetWindowLongW(dialog, GWL_EXSTYLE, GetWindowLongW(dialog, GWL_EXSTYLE) | WS_EX_NODRAG);
}

INT_PTR CALLBACK PortListDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        PrepareToolDialog(dialog);
        SurveyComPorts(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            // The change dialog works on this survey; the rows are not refreshed afterwards.
            RunPortDialog(dialog, IDD_PORT_CHANGE, PortChangeDlgProc);
            return FALSE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
