// What differs between Windows CE and desktop Win32 for these tools, kept in one place so the
// sources build unchanged against a Windows CE SDK and against MinGW for the desktop.
#pragma once

#include <windows.h>

#ifdef _WIN32_WCE

// The access mask of RegOpenKeyExW is reserved on Windows CE and must be 0.
#define REG_READ_ACCESS 0
#define REG_WRITE_ACCESS 0

#else

// Desktop Win32 refuses value reads and writes on a key opened with access 0.
#define REG_READ_ACCESS KEY_READ
#define REG_WRITE_ACCESS KEY_SET_VALUE

// Windows CE extended styles: an OK button in the caption, and a caption that cannot be dragged.
#ifndef WS_EX_CAPTIONOKBTN
#define WS_EX_CAPTIONOKBTN 0x80000000L
#endif
#ifndef WS_EX_NODRAG
#define WS_EX_NODRAG 0x40000000L
#endif

// Windows CE's WinMain takes a UTF-16 command line; on the desktop that entry point is wWinMain
// (linked with -municode).
#define WinMain wWinMain

#endif
