// Drives wavemeter's own poll tick (PollSignal, with the signal dialog and its pictures made from
// the program's resources) against whatever card the terminal has, and prints figures as JSON
// lines. Built and run by wavemeter_bench.py.
//
//   wavemeter_ticks query N     warm up, then time N query ticks (wall and thread CPU time)
//   wavemeter_ticks nocard N    time N ticks that find no card
//   wavemeter_ticks cycle N MS STEP
//                               print the process id, wait for a line on stdin, then run N ticks
//                               MS apart (messages pumped in between), and after every STEP
//                               ticks print what has been done and wait for a line again
#include "app_shell.h"
#include "modem_link.h"
#include "resource.h"
#include "signal_poller.h"

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

namespace {

double Now() {
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * counter.QuadPart / frequency.QuadPart;
}

double ThreadCpu() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return (k.QuadPart + u.QuadPart) / 10000.0;
}

void Pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    do {
        MSG message;
        while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(1);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

void WaitForLine() {
    char line[64];
    (void)fgets(line, sizeof line, stdin);
}

// Times ticks one by one; prints each and the totals.
void TimeTicks(const char *kind, int ticks) {
    double wallTotal = 0, cpuStart = ThreadCpu();
    for (int i = 0; i < ticks; ++i) {
        double start = Now();
        PollSignal();
        double wall = Now() - start;
        wallTotal += wall;
        printf("{\"kind\":\"%s\",\"tick\":%d,\"wall_ms\":%.3f,\"port_open\":%s}\n", kind, i, wall,
               ModemPort != NULL ? "true" : "false");
    }
    printf("{\"kind\":\"%s\",\"ticks\":%d,\"wall_ms\":%.3f,\"cpu_ms\":%.3f}\n", kind, ticks,
           wallTotal, ThreadCpu() - cpuStart);
    fflush(stdout);
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: wavemeter_ticks query|nocard|cycle N [MS]\n");
        return 2;
    }
    int ticks = _wtoi(argv[2]);
    AppInstance = GetModuleHandleW(NULL);
    HWND dialog =
        CreateDialogParamW(AppInstance, MAKEINTRESOURCEW(IDD_MAIN), NULL, SignalDlgProc, 0);
    // The dialog's own timers are not wanted here: ticks are driven below.
    KillTimer(dialog, IDT_START);
    ShowWindow(dialog, SW_SHOW);

    if (wcscmp(argv[1], L"query") == 0) {
        for (int i = 0; i < 20 && (ModemPort == NULL || WarmUpCount > 0); ++i)
            PollSignal();
        if (ModemPort == NULL) {
            fprintf(stderr, "wavemeter_ticks: no card\n");
            return 1;
        }
        TimeTicks("query", ticks);
    } else if (wcscmp(argv[1], L"nocard") == 0) {
        TimeTicks("nocard", ticks);
    } else if (wcscmp(argv[1], L"cycle") == 0 && argc == 5) {
        DWORD gap = static_cast<DWORD>(_wtoi(argv[3]));
        int step = _wtoi(argv[4]);
        Pump(200);
        printf("{\"pid\":%lu}\n", GetCurrentProcessId());
        fflush(stdout);
        WaitForLine();
        int opened = 0, queried = 0;
        for (int i = 1; i <= ticks; ++i) {
            bool wasOpen = ModemPort != NULL, querying = wasOpen && WarmUpCount <= 0;
            PollSignal();
            opened += !wasOpen && ModemPort != NULL;
            queried += querying;
            Pump(gap);
            if (i % step == 0 || i == ticks) {
                printf("{\"ticks\":%d,\"openings\":%d,\"query_ticks\":%d}\n", i, opened, queried);
                fflush(stdout);
                WaitForLine();
            }
        }
    } else {
        fprintf(stderr, "wavemeter_ticks: unknown mode\n");
        return 2;
    }
    DestroyWindow(dialog);
    CloseModemPort();
    return 0;
}
