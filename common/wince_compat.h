// What differs between Windows CE and desktop Win32 for these tools, kept in one place so the
// sources build unchanged against a Windows CE SDK and against MinGW for the desktop. A Windows
// CE build defines UNDER_CE and _WIN32_WCE (0x410 for the terminal) on the command line, as
// every Windows CE project does; the desktop build defines neither.
#pragma once

// The CE cross compiler drops its own UNDER_CE in strict C++98 mode, and without the two
// definitions its headers declare an old narrow WinMain that the link cannot find.
#if defined(__MINGW32CE__) && !(defined(UNDER_CE) && defined(_WIN32_WCE))
#error "Windows CE builds define UNDER_CE and _WIN32_WCE=0x410 (see cmake/wince-arm.cmake)"
#endif

#ifndef RC_INVOKED
// MinGW's C++ runtime headers, which windows.h reaches on the desktop, switch sprintf to MinGW's
// own printf (some 24 KB, and imports the terminal lacks). Declared first, with
// __USE_MINGW_ANSI_STDIO=0, it stays the platform's, as on the terminal.
#include <stdio.h>
#endif
#include <windows.h>

#ifdef _WIN32_WCE

// The access mask of RegOpenKeyExW is reserved on Windows CE and must be 0.
#define REG_READ_ACCESS 0
#define REG_WRITE_ACCESS 0

// WinMain is the entry point, with a UTF-16 command line.

#else

// Desktop Win32 refuses value reads and writes on a key opened with access 0.
#define REG_READ_ACCESS KEY_READ
#define REG_WRITE_ACCESS KEY_SET_VALUE

// Windows CE's WinMain takes a UTF-16 command line; on the desktop that entry point is wWinMain
// (linked with -municode).
#define WinMain wWinMain

#endif

// Windows CE extended styles, which desktop headers (and some CE ones) lack: an OK button in
// the caption, and a caption that cannot be dragged.
#ifndef WS_EX_CAPTIONOKBTN
#define WS_EX_CAPTIONOKBTN 0x80000000L
#endif
#ifndef WS_EX_NODRAG
#define WS_EX_NODRAG 0x40000000L
#endif
