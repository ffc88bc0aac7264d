// Times SurveyComPorts over a HKLM\Drivers\Active of a given size, on a list dialog created from
// template 101. Prints one JSON line. Rebuilds HKLM\Drivers\Active: run it only in the
// simulated terminal's prefix, and reseed the registry afterwards.
#include "port_list.h"
#include "resource.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

static const WCHAR ActiveKey[] = L"Drivers\\Active";

static void SetText(HKEY key, const WCHAR *name, const WCHAR *text) {
    (void)RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                         static_cast<DWORD>((wcslen(text) + 1) * sizeof(WCHAR)));
}

// Entries like the device manager's: most drivers hold a COM port, from the built-in or the PC
// Card keys, some are other stream devices.
static bool FillActiveDrivers(int entries) {
    (void)RegDeleteTreeW(HKEY_LOCAL_MACHINE, ActiveKey);
    for (int i = 1; i <= entries; ++i) {
        WCHAR path[64], name[16], key[64];
        wsprintfW(path, L"%s\\%03d", ActiveKey, i);
        HKEY entry;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &entry,
                            NULL) != ERROR_SUCCESS) {
            return false;
        }
        if (i % 4 == 0) {
            wsprintfW(name, L"DEV%d:", i % 10);
        } else {
            wsprintfW(name, L"COM%d:", i % 9 + 1);
        }
        if (i % 3 == 0) {
            wsprintfW(key, L"Drivers\\PCMCIA\\Card%d", i);
        } else {
            wsprintfW(key, L"Drivers\\Builtin\\Driver%d", i);
        }
        SetText(entry, L"Name", name);
        SetText(entry, L"Key", key);
        RegCloseKey(entry);
    }
    return true;
}

static INT_PTR CALLBACK PlainDlgProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

int wmain(int argc, wchar_t **argv) {
    int entries = argc > 1 ? _wtoi(argv[1]) : 10;
    int repeats = argc > 2 ? _wtoi(argv[2]) : 50;
    if (entries < 0 || repeats < 1 || !FillActiveDrivers(entries)) {
        fprintf(stderr, "usage: portswap_survey_bench ENTRIES REPEATS\n");
        return 2;
    }
    AppInstance = GetModuleHandleW(NULL);
    HRSRC found = FindResourceW(AppInstance, MAKEINTRESOURCEW(IDD_PORT_LIST), RT_DIALOG);
    HWND dialog = CreateDialogIndirectParamW(
        AppInstance, static_cast<LPCDLGTEMPLATEW>(LoadResource(AppInstance, found)), NULL,
        PlainDlgProc, 0);
    if (dialog == NULL) {
        fprintf(stderr, "no dialog\n");
        return 1;
    }

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    double first = 0;
    for (int r = 0; r <= repeats; ++r) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        SurveyComPorts(dialog);
        QueryPerformanceCounter(&end);
        double elapsed =
            1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
        // The first survey also warms the registry up; it is reported on its own.
        if (r == 0) {
            first = elapsed;
        } else {
            ms.push_back(elapsed);
        }
    }
    std::sort(ms.begin(), ms.end());
    int taken = 0;
    for (int flag : ComPortInUse) {
        taken += flag;
    }
    printf("{\"entries\": %d, \"repeats\": %d, \"first_ms\": %.3f, \"min_ms\": %.3f, "
           "\"median_ms\": %.3f, \"max_ms\": %.3f, \"ports_taken\": %d, \"irda\": %d}\n",
           entries, repeats, first, ms.front(), ms[ms.size() / 2], ms.back(), taken, IrdaComIndex);
    DestroyWindow(dialog);
    return 0;
}
