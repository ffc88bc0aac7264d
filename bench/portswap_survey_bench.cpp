// Times SurveyComPorts over a HKLM\Drivers\Active of a given size, on a list dialog created from
// template 101, against a bare walk of the same keys (open, the two value reads, close), the two
// interleaved so that both see the same machine. Prints one JSON line. Rebuilds
// HKLM\Drivers\Active: run it only in the simulated terminal's prefix, and reseed the registry
// afterwards.
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

// The registry work of a survey and nothing else: every subkey opened, Name and Key read, closed.
static void WalkActiveDrivers(HWND) {
    HKEY active;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ActiveKey, 0, KEY_READ, &active) != ERROR_SUCCESS) {
        return;
    }
    WCHAR sub[80];
    for (DWORD index = 0;; ++index) {
        DWORD length = 80;
        if (RegEnumKeyExW(active, index, sub, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) {
            break;
        }
        HKEY entry;
        if (RegOpenKeyExW(active, sub, 0, KEY_READ, &entry) != ERROR_SUCCESS) {
            continue;
        }
        static WCHAR name[80], key[1024];
        DWORD type, size = sizeof(name);
        (void)RegQueryValueExW(entry, L"Name", NULL, &type, reinterpret_cast<BYTE *>(name), &size);
        size = sizeof(key);
        (void)RegQueryValueExW(entry, L"Key", NULL, &type, reinterpret_cast<BYTE *>(key), &size);
        RegCloseKey(entry);
    }
    RegCloseKey(active);
}

static double Milliseconds(void (*work)(HWND), HWND dialog) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    work(dialog);
    QueryPerformanceCounter(&end);
    return 1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

static double Quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(q * double(values.size() - 1) + 0.5)];
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

    // One round of each first warms the registry up; it is reported on its own.
    double first = Milliseconds(SurveyComPorts, dialog);
    (void)Milliseconds(WalkActiveDrivers, dialog);
    std::vector<double> survey, walk, ratio;
    for (int r = 0; r < repeats; ++r) {
        // Alternating the order keeps a drift of the machine from favouring either.
        double s, w;
        if (r % 2 == 0) {
            s = Milliseconds(SurveyComPorts, dialog);
            w = Milliseconds(WalkActiveDrivers, dialog);
        } else {
            w = Milliseconds(WalkActiveDrivers, dialog);
            s = Milliseconds(SurveyComPorts, dialog);
        }
        survey.push_back(s);
        walk.push_back(w);
        ratio.push_back(s / w);
    }
    int taken = 0;
    for (int flag : ComPortInUse) {
        taken += flag;
    }
    printf("{\"entries\": %d, \"repeats\": %d, \"first_ms\": %.3f, \"survey_ms\": %.3f, "
           "\"walk_ms\": %.3f, \"ratio\": %.3f, \"ratio_p10\": %.3f, \"ratio_p90\": %.3f, "
           "\"ports_taken\": %d, \"irda\": %d}\n",
           entries, repeats, first, Quantile(survey, 0.5), Quantile(walk, 0.5),
           Quantile(ratio, 0.5), Quantile(ratio, 0.1), Quantile(ratio, 0.9), taken, IrdaComIndex);
    DestroyWindow(dialog);
    return 0;
}
