// Program entry of portswap: one instance at a time, whose whole life is the port list dialog.
#include "port_list.h"
#include "resource.h"

static const WCHAR InstanceSemaphoreName[] = L"PORTSWAP2003100601";

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    AppInstance = instance;

    // A semaphore that can't be created makes the wait fail, and the program runs as the first.
    HANDLE semaphore = CreateSemaphoreW(NULL, 1, 1, InstanceSemaphoreName);
    if (WaitForSingleObject(semaphore, 0) == WAIT_TIMEOUT) {
        // Another copy holds the count: raise its dialog and leave.
        HWND running = FindWindowW(NULL, ToolTitle);
        if (running != NULL) {
            SetForegroundWindow(running);
        }
        CloseHandle(semaphore);
        return 0;
    }

    RunPortDialog(NULL, IDD_PORT_LIST, PortListDlgProc);

    LONG previousCount;
    (void)ReleaseSemaphore(semaphore, 1, &previousCount);
    CloseHandle(semaphore);
    return 0;
}
