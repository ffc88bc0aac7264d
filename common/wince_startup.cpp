// The Windows CE programs' entry point, in place of the C runtime's start-up code. The programs
// need nothing that start-up prepares (no static constructors, no floating point, no atexit,
// no heap), and each function it calls is one more import the terminal's COREDLL must export
// for the program to load at all.
//
// Windows CE calls a program's entry point with WinMain's own arguments. Returning from it ends
// the primary thread with the returned value, and with it the process, whose exit code that
// value becomes; the runtime's start-up ended the process with WinMain's result too.
#include "wince_compat.h"

#ifdef _WIN32_WCE

extern "C" int WINAPI WinMainCRTStartup(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine,
                                        int showCommand) {
    return WinMain(instance, previous, commandLine, showCommand);
}

#endif
