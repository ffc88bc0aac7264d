// Reading texts and class names of windows, including windows of other processes.
#pragma once
#include <windows.h>
#include <string>

// How long a message to another process's window may take before the probe gives up on it.
const UINT MessageTimeoutMs = 3000;

std::wstring WindowTitle(HWND window); // GetWindowTextW: no message, safe on a busy window
std::wstring WindowClassName(HWND window);
std::wstring ControlText(HWND control); // WM_GETTEXT, falling back to WindowTitle
// Both read a resource ordinal held as text (0xFFFF, n) as "#n".
// SendMessageTimeoutW; once a thread has let a message time out it is not asked again.
bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result);
bool ThreadResponds(HWND window); // false after a message to its thread timed out
bool SameClassName(const std::wstring &a, const wchar_t *b); // class names ignore case
